#include "d3d/dx_device_memory.h"

#include "d3d/dx3d_device.h"

// --- CDXVertexShader ---

CDXVertexShader::~CDXVertexShader() {
  ReleaseBlocks();
  ReleaseShaders();
}

void CDXVertexShader::ReleaseBlocks() {
  for (IDirect3DStateBlock9*& block : m_apBlocks) {
    if (block != nullptr) {
      block->Release();
      block = nullptr;
    }
  }
}

void CDXVertexShader::ReleaseShaders() {
  for (auto& entry : m_shaders) {
    if (entry.second != nullptr) entry.second->Release();
  }
  m_shaders.clear();
  m_nShaders = 0;
}

void CDXVertexShader::OnLostDevice(CDX3DDevice*) { ReleaseBlocks(); }

BOOL CDXVertexShader::OnResetDevice(CDX3DDevice* device) {
  for (IDirect3DStateBlock9*& slot : m_apBlocks) {
    if (slot != nullptr) continue;
    IDirect3DDevice9* d = device->GetDevice();
    if (d == nullptr || !device->PushState()) return FALSE;
    // Recorded straight on the device: the cache would drop the values it
    // already holds, and the block would record nothing.
    bool ok = SUCCEEDED(d->BeginStateBlock());
    if (ok) {
      DWORD stages = device->GetDeviceCaps().MaxTextureBlendStages;
      if (stages > static_cast<DWORD>(CDXRenderStateTypedefs::kStages)) stages = CDXRenderStateTypedefs::kStages;
      for (DWORD stage = 0; stage < stages; ++stage) {
        d->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, stage);
        d->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, 0);
      }
      CComHolder<IDirect3DStateBlock9> block;
      ok = SUCCEEDED(d->EndStateBlock(block.Receive())) && block;
      if (ok) slot = block.Detach();
    }
    device->PopState();
    if (!ok) return FALSE;
  }
  return TRUE;
}

void CDXVertexShader::OnDestroyDevice(CDX3DDevice*) {
  ReleaseShaders();
  ReleaseBlocks();
}

void CDXVertexShader::AddShader(uint64_t key, IDirect3DVertexShader9* shader) {
  if (shader != nullptr) shader->AddRef();
  auto it = m_shaders.find(key);
  if (it != m_shaders.end()) {
    if (it->second != nullptr) it->second->Release();
    it->second = shader;
  } else {
    m_shaders.emplace(key, shader);
    ++m_nShaders;
  }
}

IDirect3DVertexShader9* CDXVertexShader::FindShader(uint64_t key) const {
  auto it = m_shaders.find(key);
  return it == m_shaders.end() ? nullptr : it->second;
}

void CDXVertexShader::SetFogMode(DWORD mode) {
  uint64_t key = (m_key & ~kFogModeField) | (static_cast<uint64_t>(mode) & kFogModeField);
  if (key == m_key) return;
  m_key = key;
  if (m_interest & kFogModeField) m_dirty |= kFogModeField;
}

void CDXVertexShader::SetAmbient(const float rgba[4]) {
  for (int i = 0; i < 4; ++i) m_ambient[i] = rgba[i];
}

void CDXVertexShader::Refold(DWORD fogMode) { SetFogMode(fogMode); }

// --- CDXPaletteManager ---

CDXPaletteManager::CDXPaletteManager(int capacity) : m_nCapacity(capacity) {}

CDXPaletteManager::~CDXPaletteManager() {
  FreeAll(m_uploaded);
  FreeAll(m_pending);
  FreeAll(m_unassigned);
  FreeAll(m_releasing);
}

void CDXPaletteManager::FreeAll(CLinkedList& list) {
  while (CLinkedListItem* item = list.GetFirst()) delete static_cast<CDXPaletteEntry*>(item);
}

void CDXPaletteManager::OnLostDevice(CDX3DDevice*) {
  while (CLinkedListItem* item = m_uploaded.GetFirst()) {
    CDXPaletteEntry* e = static_cast<CDXPaletteEntry*>(item);
    e->m_nSlot = CDXPaletteEntry::kNoSlot;
    e->m_bUploadNeeded = true;
    m_unassigned.PushBack(e);
  }
  while (CLinkedListItem* item = m_pending.GetFirst()) {
    CDXPaletteEntry* e = static_cast<CDXPaletteEntry*>(item);
    e->m_nSlot = CDXPaletteEntry::kNoSlot;
    m_unassigned.PushBack(e);
  }
  m_nSlotsInUse = 0;
  FreeAll(m_releasing);
  DealSlots();
}

void CDXPaletteManager::DealSlots() {
  while (m_nSlotsInUse < m_nCapacity) {
    CLinkedListItem* item = m_unassigned.GetFirst();
    if (item == nullptr) break;
    CDXPaletteEntry* e = static_cast<CDXPaletteEntry*>(item);
    e->m_nSlot = static_cast<uint16_t>(m_nSlotsInUse++);
    e->m_bUploadNeeded = true;
    m_pending.PushBack(e);
  }
}

CDXPaletteEntry* CDXPaletteManager::NewEntry() {
  CDXPaletteEntry* e = new CDXPaletteEntry;
  m_unassigned.PushBack(e);
  DealSlots();
  return e;
}

void CDXPaletteManager::MarkUploaded(CDXPaletteEntry* entry) {
  if (entry->m_nSlot == CDXPaletteEntry::kNoSlot) return;
  entry->m_bUploadNeeded = false;
  m_uploaded.PushBack(entry);
}

void CDXPaletteManager::ReleaseEntry(CDXPaletteEntry* entry) { m_releasing.PushBack(entry); }
