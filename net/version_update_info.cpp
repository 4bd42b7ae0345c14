#include "net/version_update_info.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

CVersionUpdateInfo::CVersionUpdateInfo(uint32_t serviceCode, uint32_t componentId)
    : m_nServiceCode(serviceCode), m_nComponentId(componentId) {}

CVersionUpdateInfo::~CVersionUpdateInfo() { FreeBuffer(); }

bool CVersionUpdateInfo::AllocChunks(int32_t n) {
  FreeBuffer();
  if (n <= 0) return false;
  // n x kChunkSize + 1 must fit a 32-bit size: n is at most 255 from the
  // wire, but the bound keeps the product honest for any caller.
  if (static_cast<uint32_t>(n) > (UINT32_MAX - 1u) / static_cast<uint32_t>(kChunkSize)) return false;
  const size_t capacity = static_cast<size_t>(n) * static_cast<size_t>(kChunkSize);
  // One byte beyond the chunks stays zero, so the text is terminated
  // however full the chunks are.
  m_pBuffer = static_cast<char*>(std::calloc(capacity + 1, 1));
  if (m_pBuffer == nullptr) return false;
  m_nCapacity = capacity;
  return true;
}

bool CVersionUpdateInfo::AppendData(const void* data, size_t n) {
  if (m_pBuffer == nullptr || data == nullptr) return false;
  // m_nUsed <= m_nCapacity always holds, so the subtraction cannot wrap.
  if (n > m_nCapacity - m_nUsed) return false;
  std::memcpy(m_pBuffer + m_nUsed, data, n);
  m_nUsed += n;
  return true;
}

void CVersionUpdateInfo::SetState(int32_t s) {
  if (s >= kNoUpdate && s <= kError) m_nState = s;
}

void CVersionUpdateInfo::FreeBuffer() {
  std::free(m_pBuffer);
  m_pBuffer = nullptr;
  m_nUsed = 0;
  m_nCapacity = 0;
}

void CVersionUpdateInfo::Invalidate() {
  FreeBuffer();
  m_nChunkCount = 0;
  m_nNextChunk = 1;
  m_nState = kInvalid;
}

int32_t CVersionUpdateInfo::AddScriptChunk(int32_t count, int32_t number, const void* data, size_t n) {
  // A final state is final: a chunk after it is a repeat or a stray.
  if (m_nState != kNoAnswer) {
    if (m_nState != kInvalid) Invalidate();
    return m_nState;
  }
  if (count <= 0 || number < 1 || number > count) {
    Invalidate();
    return m_nState;
  }
  if (number == 1) {
    // A second chunk 1 while the first script is still open is a repeat.
    if (m_pBuffer != nullptr || !AllocChunks(count)) {
      Invalidate();
      return m_nState;
    }
    m_nChunkCount = count;
    m_nNextChunk = 1;
  }
  // The chunks are appended in arrival order, so anything but the next
  // number (a gap, a repeat, a reordering) or a changed count would give a
  // script that is not the one the server meant.
  if (m_pBuffer == nullptr || number != m_nNextChunk || count != m_nChunkCount) {
    Invalidate();
    return m_nState;
  }
  // An empty chunk carries no data pointer worth checking.
  if (n > 0 && !AppendData(data, n)) {
    Invalidate();
    return m_nState;
  }
  if (number == count)
    m_nState = kScriptReceived;
  else
    m_nNextChunk = number + 1;
  return m_nState;
}

CVersionUpdateInfoList::~CVersionUpdateInfoList() { RemoveAllInfo(); }

bool CVersionUpdateInfoList::Build(uint32_t serviceCode, const CCheckVerInfo* rows, size_t count) {
  RemoveAllInfo();
  if (rows == nullptr) return false;
  m_entries.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    auto* entry = new (std::nothrow) CVersionUpdateInfo(serviceCode, rows[i].m_nComponentId);
    if (entry == nullptr) {
      RemoveAllInfo();
      return false;
    }
    m_entries.push_back(entry);
  }
  return !m_entries.empty();
}

bool CVersionUpdateInfoList::Build(uint32_t serviceCode, const std::vector<CCheckVerInfo>& rows) {
  return Build(serviceCode, rows.data(), rows.size());
}

CVersionUpdateInfo* CVersionUpdateInfoList::Find(uint32_t serviceCode, uint32_t componentId) const {
  for (CVersionUpdateInfo* entry : m_entries) {
    if (entry->GetServiceCode() == serviceCode && entry->GetComponentId() == componentId) return entry;
  }
  return nullptr;
}

int32_t CVersionUpdateInfoList::GetMaxState(int32_t& anyPending) const {
  int32_t maxState = 0;
  anyPending = 0;
  for (const CVersionUpdateInfo* entry : m_entries) {
    if (entry->GetState() == CVersionUpdateInfo::kNoAnswer) anyPending = 1;
    if (entry->GetState() > maxState) maxState = entry->GetState();
  }
  return maxState;
}

void CVersionUpdateInfoList::RemoveAllInfo() {
  for (CVersionUpdateInfo* entry : m_entries) {
    entry->FreeBuffer();
    delete entry;
  }
  m_entries.clear();
}
