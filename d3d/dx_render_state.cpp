#include "d3d/dx_render_state.h"

#include <cmath>
#include <cstring>
#include <new>

#include "d3d/dx_device_memory.h"

namespace {

DWORD FloatBits(float f) {
  DWORD d;
  std::memcpy(&d, &f, sizeof d);
  return d;
}

bool IsSet(DWORD value) { return value != CDXRenderStateTypedefs::kUnsetRenderState; }

void SetIdentity(D3DMATRIX& m) {
  std::memset(&m, 0, sizeof m);
  m._11 = m._22 = m._33 = m._44 = 1.0f;
}

// log2(e) = 1 / ln 2, the factor of the exponential fog constants.
const float kLog2E = static_cast<float>(1.0 / std::log(2.0));

}  // namespace

// One saved state: the device's state block and a copy of the cache, with
// its own references to the shaders the copy names.
struct CDXRenderState::StateEntry : CLinkedListItem {
  ~StateEntry() override {
    if (block != nullptr) block->Release();
    if (vertexShader != nullptr) vertexShader->Release();
    if (pixelShader != nullptr) pixelShader->Release();
  }
  IDirect3DStateBlock9* block = nullptr;
  CachedStates cache;
  IDirect3DVertexShader9* vertexShader = nullptr;
  IDirect3DPixelShader9* pixelShader = nullptr;
  CDXVertexShader* vertexShaderCache = nullptr;
};

template <class T>
void CDXRenderState::Hold(T*& slot, T* object) {
  // AddRef first: object may be the one already held.
  if (object != nullptr) object->AddRef();
  if (slot != nullptr) slot->Release();
  slot = object;
}

CDXRenderState::CDXRenderState() {
  std::memset(&m_cache, 0, sizeof m_cache);
  CachedStates& c = m_cache;
  c.stateWord = kInitialStateWord;
  c.shadeMode = c.fillMode = c.cullMode = kUnsetRenderState;
  c.fogMode = 0;
  c.blendOp = c.srcBlend = c.destBlend = c.zFunc = c.alphaFunc = kUnsetRenderState;
  c.alphaRef = 0;
  c.stencilFunc = kUnsetRenderState;
  c.stencilRef = 0;
  c.stencilPass = c.stencilFail = c.stencilZFail = kUnsetRenderState;
  c.stencilMask = c.stencilWriteMask = 0xFFFFFFFF;
  c.ambient = 0;
  c.textureFactor = 0;
  c.diffuseMaterialSource = c.ambientMaterialSource = c.specularMaterialSource = c.emissiveMaterialSource =
      kUnsetRenderState;
  for (int stage = 0; stage < kStages; ++stage) {
    for (int s = 0; s < kStageStates; ++s) c.stageStates[stage][s] = kUnsetStageState;
    for (int s = 0; s < kSamplerStates; ++s) c.samplerStates[stage][s] = kUnsetStageState;
    c.stageStates[stage][D3DTSS_TEXCOORDINDEX - 1] = static_cast<DWORD>(stage);
    c.stageStates[stage][D3DTSS_TEXTURETRANSFORMFLAGS - 1] = 0;
  }
  c.vertexShaderMode = kFixedFunction;

  std::memset(&m_lightBlock, 0, sizeof m_lightBlock);
  std::memset(m_constants, 0, sizeof m_constants);
  m_constants[kRegisterConstants][0] = 0.0f;
  m_constants[kRegisterConstants][1] = 0.5f;
  m_constants[kRegisterConstants][2] = 2.0f;
  m_constants[kRegisterConstants][3] = 1.0f;
  const int matrices[] = {kRegisterWorld, kRegisterView, kRegisterProjection, kRegisterTexture0};
  for (int base : matrices) {
    for (int row = 0; row < 4; ++row) m_constants[base + row][row] = 1.0f;
  }
  SetIdentity(m_projection);
  std::memset(&m_viewport, 0, sizeof m_viewport);
}

CDXRenderState::~CDXRenderState() { ReleaseDeviceObjects(); }

void CDXRenderState::ReleaseDeviceObjects() {
  while (CLinkedListItem* item = m_stateStack.GetFirst()) delete static_cast<StateEntry*>(item);
  m_nStateDepth = 0;
  Hold<IDirect3DVertexDeclaration9>(m_pVertexDeclaration, nullptr);
  Hold<IDirect3DVertexBuffer9>(m_pStreamSource, nullptr);
  Hold<IDirect3DIndexBuffer9>(m_pIndices, nullptr);
  Hold<IDirect3DBaseTexture9>(m_pTexture, nullptr);
  Hold<IDirect3DVertexShader9>(m_pVertexShader, nullptr);
  Hold<IDirect3DPixelShader9>(m_pPixelShader, nullptr);
  if (m_cache.vertexShaderMode == kCallerShader) m_cache.vertexShaderMode = kFixedFunction;
}

BOOL CDXRenderState::SendRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  if (m_pDevice == nullptr) return FALSE;
  return SUCCEEDED(m_pDevice->SetRenderState(state, value)) ? TRUE : FALSE;
}

BOOL CDXRenderState::SetStateBit(DWORD bit, D3DRENDERSTATETYPE state, BOOL on) {
  const bool isOn = (m_cache.stateWord & bit) != 0;
  if (isOn == (on != FALSE)) return TRUE;
  if (on)
    m_cache.stateWord |= bit;
  else
    m_cache.stateWord &= ~bit;
  return SendRenderState(state, on ? TRUE : FALSE);
}

DWORD* CDXRenderState::CachedValueOf(D3DRENDERSTATETYPE state) {
  CachedStates& c = m_cache;
  switch (state) {
    case D3DRS_SHADEMODE:
      return &c.shadeMode;
    case D3DRS_FILLMODE:
      return &c.fillMode;
    case D3DRS_CULLMODE:
      return &c.cullMode;
    case D3DRS_BLENDOP:
      return &c.blendOp;
    case D3DRS_SRCBLEND:
      return &c.srcBlend;
    case D3DRS_DESTBLEND:
      return &c.destBlend;
    case D3DRS_ZFUNC:
      return &c.zFunc;
    case D3DRS_ALPHAFUNC:
      return &c.alphaFunc;
    case D3DRS_ALPHAREF:
      return &c.alphaRef;
    case D3DRS_STENCILFUNC:
      return &c.stencilFunc;
    case D3DRS_STENCILREF:
      return &c.stencilRef;
    case D3DRS_STENCILPASS:
      return &c.stencilPass;
    case D3DRS_STENCILFAIL:
      return &c.stencilFail;
    case D3DRS_STENCILZFAIL:
      return &c.stencilZFail;
    case D3DRS_STENCILMASK:
      return &c.stencilMask;
    case D3DRS_STENCILWRITEMASK:
      return &c.stencilWriteMask;
    case D3DRS_AMBIENT:
      return &c.ambient;
    case D3DRS_TEXTUREFACTOR:
      return &c.textureFactor;
    case D3DRS_DIFFUSEMATERIALSOURCE:
      return &c.diffuseMaterialSource;
    case D3DRS_AMBIENTMATERIALSOURCE:
      return &c.ambientMaterialSource;
    case D3DRS_SPECULARMATERIALSOURCE:
      return &c.specularMaterialSource;
    case D3DRS_EMISSIVEMATERIALSOURCE:
      return &c.emissiveMaterialSource;
    default:
      return nullptr;
  }
}

BOOL CDXRenderState::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  switch (state) {
    case D3DRS_LIGHTING:
      return SetStateBit(kLighting, state, value != 0);
    // ZENABLE is kept as on/off: W-buffering is not cached.
    case D3DRS_ZENABLE:
      return SetStateBit(kZEnable, state, value != 0);
    case D3DRS_ZWRITEENABLE:
      return SetStateBit(kZWriteEnable, state, value != 0);
    case D3DRS_ALPHATESTENABLE:
      return SetStateBit(kAlphaTestEnable, state, value != 0);
    case D3DRS_ALPHABLENDENABLE:
      return SetStateBit(kAlphaBlendEnable, state, value != 0);
    case D3DRS_FOGENABLE:
      return SetStateBit(kFogEnable, state, value != 0);
    case D3DRS_NORMALIZENORMALS:
      return SetStateBit(kNormalizeNormals, state, value != 0);
    case D3DRS_SPECULARENABLE:
      return SetStateBit(kSpecularEnable, state, value != 0);
    case D3DRS_DITHERENABLE:
      return SetStateBit(kDitherEnable, state, value != 0);
    case D3DRS_STENCILENABLE:
      return SetStateBit(kStencilEnable, state, value != 0);
    case D3DRS_MULTISAMPLEANTIALIAS:
      return SetStateBit(kMultisampleAntialias, state, value != 0);
    case D3DRS_COLORWRITEENABLE: {
      // Red, green and blue are switched together, alpha on its own.
      DWORD word = m_cache.stateWord & ~(kColorWriteRGB | kColorWriteA);
      if (value & 7) word |= kColorWriteRGB;
      if (value & 8) word |= kColorWriteA;
      if (word == m_cache.stateWord) return TRUE;
      m_cache.stateWord = word;
      return SendRenderState(state, ((word & kColorWriteRGB) ? 7u : 0u) + ((word & kColorWriteA) ? 8u : 0u));
    }
    default:
      break;
  }
  DWORD* cached = CachedValueOf(state);
  if (cached == nullptr) return SendRenderState(state, value);
  if (*cached == value) return TRUE;
  *cached = value;
  BOOL ok = SendRenderState(state, value);
  if (state == D3DRS_AMBIENT && m_pVertexShaderCache != nullptr) UpdateAmbient();
  return ok;
}

BOOL CDXRenderState::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  if (stage < static_cast<DWORD>(kStages) && type >= 1 && type <= kStageStates) {
    DWORD& cached = m_cache.stageStates[stage][type - 1];
    if (cached == value) return TRUE;
    cached = value;
  }
  if (m_pDevice == nullptr) return FALSE;
  return SUCCEEDED(m_pDevice->SetTextureStageState(stage, type, value)) ? TRUE : FALSE;
}

BOOL CDXRenderState::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
  if (sampler < static_cast<DWORD>(kStages) && type >= 0 && type < kSamplerStates) {
    DWORD& cached = m_cache.samplerStates[sampler][type];
    if (cached == value) return TRUE;
    cached = value;
  }
  if (m_pDevice == nullptr) return FALSE;
  return SUCCEEDED(m_pDevice->SetSamplerState(sampler, type, value)) ? TRUE : FALSE;
}

BOOL CDXRenderState::SetSoftwareVertexProcessing(BOOL software) {
  const bool isOn = (m_cache.stateWord & kSoftwareVertexProcessing) != 0;
  if (isOn == (software != FALSE)) return TRUE;
  m_cache.stateWord ^= kSoftwareVertexProcessing;
  if (m_pDevice == nullptr) return FALSE;
  return SUCCEEDED(m_pDevice->SetSoftwareVertexProcessing(software ? TRUE : FALSE)) ? TRUE : FALSE;
}

BOOL CDXRenderState::SetFVF(DWORD fvf) {
  if (m_cache.fvf == fvf) return TRUE;
  m_cache.fvf = fvf;
  if (m_pDevice == nullptr) return FALSE;
  return SUCCEEDED(m_pDevice->SetFVF(fvf)) ? TRUE : FALSE;
}

BOOL CDXRenderState::SetVertexShader(IDirect3DVertexShader9* shader) {
  Hold(m_pVertexShader, shader);
  if (m_pVertexShaderCache == nullptr) m_cache.vertexShaderMode = shader != nullptr ? kCallerShader : kFixedFunction;
  if (m_pDevice == nullptr) return FALSE;
  return SUCCEEDED(m_pDevice->SetVertexShader(shader)) ? TRUE : FALSE;
}

BOOL CDXRenderState::SetPixelShader(IDirect3DPixelShader9* shader) {
  Hold(m_pPixelShader, shader);
  if (m_pDevice == nullptr) return FALSE;
  return SUCCEEDED(m_pDevice->SetPixelShader(shader)) ? TRUE : FALSE;
}

void CDXRenderState::AttachVertexShaderCache(CDXVertexShader* cache) {
  m_pVertexShaderCache = cache;
  if (cache != nullptr)
    m_cache.vertexShaderMode = kGeneratedShader;
  else
    m_cache.vertexShaderMode = m_pVertexShader != nullptr ? kCallerShader : kFixedFunction;
}

BOOL CDXRenderState::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
  int base = -1;
  if (state == D3DTS_WORLD)
    base = kRegisterWorld;
  else if (state == D3DTS_VIEW)
    base = kRegisterView;
  else if (state == D3DTS_PROJECTION)
    base = kRegisterProjection;
  if (base >= 0) {
    for (int row = 0; row < 4; ++row) std::memcpy(m_constants[base + row], matrix->m[row], sizeof m_constants[0]);
  }
  D3DMATRIX sent = *matrix;
  if (state == D3DTS_PROJECTION) {
    m_projection = *matrix;
    // Without a depth-bias state the bias lives in the projection.
    if (m_cache.depthBiasLevel != 0 && !(m_deviceCaps.RasterCaps & D3DPRASTERCAPS_DEPTHBIAS))
      sent._33 -= 8.0f * static_cast<float>(m_cache.depthBiasLevel) * sent._34 * m_fDepthEpsilon;
  }
  if (m_pDevice == nullptr) return FALSE;
  return SUCCEEDED(m_pDevice->SetTransform(state, &sent)) ? TRUE : FALSE;
}

BOOL CDXRenderState::SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) {
  Hold(m_pVertexDeclaration, declaration);
  if (m_pDevice == nullptr) return FALSE;
  return SUCCEEDED(m_pDevice->SetVertexDeclaration(declaration)) ? TRUE : FALSE;
}

BOOL CDXRenderState::SetStreamSource(IDirect3DVertexBuffer9* buffer, UINT stride) {
  Hold(m_pStreamSource, buffer);
  m_nStreamStride = stride;
  if (m_pDevice == nullptr) return FALSE;
  return SUCCEEDED(m_pDevice->SetStreamSource(0, buffer, 0, stride)) ? TRUE : FALSE;
}

BOOL CDXRenderState::SetIndices(IDirect3DIndexBuffer9* indices) {
  Hold(m_pIndices, indices);
  if (m_pDevice == nullptr) return FALSE;
  return SUCCEEDED(m_pDevice->SetIndices(indices)) ? TRUE : FALSE;
}

BOOL CDXRenderState::SetTexture(IDirect3DBaseTexture9* texture) {
  Hold(m_pTexture, texture);
  if (m_pDevice == nullptr) return FALSE;
  return SUCCEEDED(m_pDevice->SetTexture(0, texture)) ? TRUE : FALSE;
}

// --- Fog ---

bool CDXRenderState::TableFogUsable() const {
  const DWORD needed = D3DPRASTERCAPS_FOGTABLE | D3DPRASTERCAPS_WFOG;
  return (m_cache.stateWord & kTableFogWanted) && m_cache.vertexShaderMode == kFixedFunction &&
         (m_deviceCaps.RasterCaps & needed) == needed;
}

void CDXRenderState::ApplyFogPath() {
  const DWORD mode = m_cache.fogMode;
  // Only a fog that is on has a path; switching fog off sends FOGENABLE
  // alone.
  if (mode < D3DFOG_EXP || mode > D3DFOG_LINEAR) return;
  if (TableFogUsable()) {
    SendRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_NONE);
    SendRenderState(D3DRS_FOGTABLEMODE, mode);
  } else {
    SendRenderState(D3DRS_FOGVERTEXMODE, mode);
    SendRenderState(D3DRS_FOGTABLEMODE, D3DFOG_NONE);
    if (m_pVertexShaderCache != nullptr) m_pVertexShaderCache->SetFogMode(mode);
  }
}

void CDXRenderState::SetFog(DWORD mode, float start, float end, DWORD color) {
  CachedStates& c = m_cache;
  c.fogMode = mode;
  c.fogStart = start;
  c.fogEnd = end;
  c.fogColor = color;
  const bool on = mode >= D3DFOG_EXP && mode <= D3DFOG_LINEAR;
  if (on) {
    float constant[4] = {m_constants[kRegisterFog][0], m_constants[kRegisterFog][1], 0.0f, 0.0f};
    if (mode == D3DFOG_LINEAR) {
      SendRenderState(D3DRS_FOGSTART, FloatBits(start));
      SendRenderState(D3DRS_FOGEND, FloatBits(end));
      // An empty fog range has no slope: the constant keeps its value.
      if (end != start) {
        constant[0] = -1.0f / (end - start);
        constant[1] = end / (end - start);
      }
    } else if (end != 0.0f) {
      float density = (mode == D3DFOG_EXP2 ? 1.73f : 3.0f) / end;
      SendRenderState(D3DRS_FOGDENSITY, FloatBits(density));
      constant[0] = mode == D3DFOG_EXP2 ? -(density * density * kLog2E) : -(density * kLog2E);
      constant[1] = 0.0f;
    }
    SendRenderState(D3DRS_FOGCOLOR, color);
    ApplyFogPath();
    std::memcpy(m_constants[kRegisterFog], constant, sizeof constant);
    if (c.vertexShaderMode == kGeneratedShader && m_pDevice != nullptr)
      m_pDevice->SetVertexShaderConstantF(kRegisterFog, m_constants[kRegisterFog], 1);
  }
  SetStateBit(kFogEnable, D3DRS_FOGENABLE, on ? TRUE : FALSE);
}

void CDXRenderState::SetTableFog(BOOL on) {
  const DWORD needed = D3DPRASTERCAPS_FOGTABLE | D3DPRASTERCAPS_WFOG;
  const bool want = on && m_cache.vertexShaderMode == kFixedFunction && (m_deviceCaps.RasterCaps & needed) == needed;
  const bool have = (m_cache.stateWord & kTableFogWanted) != 0;
  if (want == have) return;
  if (want)
    m_cache.stateWord |= kTableFogWanted;
  else
    m_cache.stateWord &= ~static_cast<DWORD>(kTableFogWanted);
  ApplyFogPath();
}

// --- Depth bias ---

void CDXRenderState::SetDepthBias(DWORD level) {
  if (level == m_cache.depthBiasLevel) return;
  m_cache.depthBiasLevel = level;
  const float bias = 8.0f * static_cast<float>(level) * m_fDepthEpsilon;
  if (m_deviceCaps.RasterCaps & D3DPRASTERCAPS_DEPTHBIAS) {
    SendRenderState(D3DRS_DEPTHBIAS, FloatBits(-bias));
  } else if (m_pDevice != nullptr) {
    D3DMATRIX m = m_projection;
    m._33 -= bias * m._34;
    m_pDevice->SetTransform(D3DTS_PROJECTION, &m);
  }
}

// --- Lights ---

namespace {

D3DLIGHT9 PartnerOf(const D3DLIGHT9& light) {
  D3DLIGHT9 back = light;
  back.Type = D3DLIGHT_DIRECTIONAL;
  back.Direction.x = -back.Direction.x;
  back.Direction.y = -back.Direction.y;
  back.Direction.z = -back.Direction.z;
  back.Diffuse.r = -back.Diffuse.r;
  back.Diffuse.g = -back.Diffuse.g;
  back.Diffuse.b = -back.Diffuse.b;
  back.Ambient.r = back.Ambient.g = back.Ambient.b = back.Ambient.a = 0.0f;
  return back;
}

}  // namespace

void CDXRenderState::SetLights(const LightBlock& block) {
  // A copy: block may be the cached one.
  LightBlock b = block;
  for (int i = 0; i < kLights; ++i) {
    const D3DLIGHT9& light = b.lights[i];
    if (light.Type == static_cast<D3DLIGHTTYPE>(kTwoSidedLightType) && i + 1 < kLights) {
      if (m_pDevice != nullptr) {
        D3DLIGHT9 front = light;
        front.Type = D3DLIGHT_DIRECTIONAL;
        D3DLIGHT9 back = PartnerOf(light);
        m_pDevice->SetLight(static_cast<DWORD>(i), &front);
        m_pDevice->SetLight(static_cast<DWORD>(i + 1), &back);
        m_pDevice->LightEnable(static_cast<DWORD>(i), TRUE);
        m_pDevice->LightEnable(static_cast<DWORD>(i + 1), TRUE);
      }
      b.enableMask |= (3u << i);
      ++i;
      continue;
    }
    // A pair cannot start at the last light: it stays off.
    const bool on =
        (b.enableMask & (1u << i)) && light.Type != 0 && light.Type != static_cast<D3DLIGHTTYPE>(kTwoSidedLightType);
    if (m_pDevice != nullptr) {
      if (on) m_pDevice->SetLight(static_cast<DWORD>(i), &light);
      m_pDevice->LightEnable(static_cast<DWORD>(i), on ? TRUE : FALSE);
    }
    if (on)
      b.enableMask |= 1u << i;
    else
      b.enableMask &= ~(1u << i);
  }
  m_lightBlock = b;
  if (m_pVertexShaderCache != nullptr) UpdateAmbient();
}

BOOL CDXRenderState::SetTwoSidedLight(int index, const D3DLIGHT9& light) {
  // The pair takes index and index + 1, so the last light cannot start one.
  if (index < 0 || index > kLights - 2) return FALSE;
  m_lightBlock.lights[index] = light;
  m_lightBlock.lights[index].Type = static_cast<D3DLIGHTTYPE>(kTwoSidedLightType);
  BOOL ok = m_pDevice != nullptr ? TRUE : FALSE;
  if (m_pDevice != nullptr) {
    D3DLIGHT9 front = light;
    front.Type = D3DLIGHT_DIRECTIONAL;
    D3DLIGHT9 back = PartnerOf(light);
    ok = SUCCEEDED(m_pDevice->SetLight(static_cast<DWORD>(index), &front)) &&
                 SUCCEEDED(m_pDevice->SetLight(static_cast<DWORD>(index + 1), &back))
             ? TRUE
             : FALSE;
  }
  BOOL enabled = EnableLight(index, TRUE);
  return ok && enabled ? TRUE : FALSE;
}

BOOL CDXRenderState::EnableLight(int index, BOOL on) {
  if (index < 0 || index >= kLights) return FALSE;
  const DWORD bit = 1u << index;
  if (((m_lightBlock.enableMask & bit) != 0) == (on != FALSE)) return TRUE;
  const bool pair =
      m_lightBlock.lights[index].Type == static_cast<D3DLIGHTTYPE>(kTwoSidedLightType) && index + 1 < kLights;
  DWORD bits = pair ? (bit | (bit << 1)) : bit;
  if (on)
    m_lightBlock.enableMask |= bits;
  else
    m_lightBlock.enableMask &= ~bits;
  BOOL ok = FALSE;
  if (m_pDevice != nullptr) {
    ok = SUCCEEDED(m_pDevice->LightEnable(static_cast<DWORD>(index), on ? TRUE : FALSE)) ? TRUE : FALSE;
    if (pair && FAILED(m_pDevice->LightEnable(static_cast<DWORD>(index + 1), on ? TRUE : FALSE))) ok = FALSE;
  }
  if (m_pVertexShaderCache != nullptr) UpdateAmbient();
  return ok;
}

void CDXRenderState::UpdateAmbient() {
  const DWORD a = m_cache.ambient;
  float sum[4] = {static_cast<float>((a >> 16) & 0xFF) / 255.0f, static_cast<float>((a >> 8) & 0xFF) / 255.0f,
                  static_cast<float>(a & 0xFF) / 255.0f, static_cast<float>((a >> 24) & 0xFF) / 255.0f};
  for (int i = 0; i < kLights; ++i) {
    if (m_lightBlock.enableMask & (1u << i)) {
      sum[0] += m_lightBlock.lights[i].Ambient.r;
      sum[1] += m_lightBlock.lights[i].Ambient.g;
      sum[2] += m_lightBlock.lights[i].Ambient.b;
      sum[3] += m_lightBlock.lights[i].Ambient.a;
    }
  }
  std::memcpy(m_constants[kRegisterAmbient], sum, sizeof sum);
  if (m_pVertexShaderCache != nullptr) m_pVertexShaderCache->SetAmbient(sum);
  if (m_cache.vertexShaderMode == kGeneratedShader && m_pDevice != nullptr)
    m_pDevice->SetVertexShaderConstantF(kRegisterAmbient, m_constants[kRegisterAmbient], 1);
}

// --- State stack ---

BOOL CDXRenderState::PushState() {
  StateEntry* entry = new (std::nothrow) StateEntry;
  if (entry == nullptr) return FALSE;
  CComHolder<IDirect3DStateBlock9> block;
  // Without a block the entry would restore the cache but not the device:
  // nothing is pushed, so the stack stays as it was.
  if (m_pDevice == nullptr || FAILED(m_pDevice->CreateStateBlock(D3DSBT_ALL, block.Receive())) || !block) {
    delete entry;
    return FALSE;
  }
  block->Capture();
  entry->block = block.Detach();
  entry->cache = m_cache;
  Hold(entry->vertexShader, m_pVertexShader);
  Hold(entry->pixelShader, m_pPixelShader);
  entry->vertexShaderCache = m_pVertexShaderCache;
  m_stateStack.PushFront(entry);
  ++m_nStateDepth;
  ++m_nStatePushes;
  return TRUE;
}

BOOL CDXRenderState::PopState() {
  CLinkedListItem* item = m_stateStack.GetFirst();
  if (item == nullptr) return FALSE;
  StateEntry* entry = static_cast<StateEntry*>(item);
  entry->Unlink();
  --m_nStateDepth;
  m_cache = entry->cache;
  Hold(m_pVertexShader, entry->vertexShader);
  Hold(m_pPixelShader, entry->pixelShader);
  m_pVertexShaderCache = entry->vertexShaderCache;
  entry->block->Apply();
  if (m_pVertexShaderCache != nullptr) m_pVertexShaderCache->Refold(m_cache.fogMode);
  delete entry;  // releases the block and its shader references
  return TRUE;
}

// --- Re-sending everything ---

void CDXRenderState::ApplyAll() {
  if (m_pDevice == nullptr) return;
  IDirect3DDevice9* d = m_pDevice.Get();
  const CachedStates& c = m_cache;
  auto bit = [&c](DWORD b) -> DWORD { return (c.stateWord & b) ? TRUE : FALSE; };
  // ALPHAREF, the stencil reference and masks, AMBIENT and TEXTUREFACTOR
  // start with real values and are always sent: for them 0x7FFFFFFF is a
  // value (a reference, a mask, a colour) like any other.
  auto sendIfSet = [d](D3DRENDERSTATETYPE s, DWORD v) {
    if (IsSet(v)) d->SetRenderState(s, v);
  };

  d->SetRenderState(D3DRS_LIGHTING, bit(kLighting));
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, bit(kAlphaBlendEnable));
  d->SetRenderState(D3DRS_ALPHATESTENABLE, bit(kAlphaTestEnable));
  sendIfSet(D3DRS_ALPHAFUNC, c.alphaFunc);
  d->SetRenderState(D3DRS_ALPHAREF, c.alphaRef);
  d->SetRenderState(D3DRS_ZENABLE, bit(kZEnable));
  d->SetRenderState(D3DRS_ZWRITEENABLE, bit(kZWriteEnable));
  d->SetRenderState(D3DRS_STENCILENABLE, bit(kStencilEnable));
  d->SetRenderState(D3DRS_STENCILREF, c.stencilRef);
  d->SetRenderState(D3DRS_STENCILMASK, c.stencilMask);
  d->SetRenderState(D3DRS_STENCILWRITEMASK, c.stencilWriteMask);
  if (IsSet(c.fogMode)) SetFog(c.fogMode, c.fogStart, c.fogEnd, c.fogColor);
  d->SetRenderState(D3DRS_FOGENABLE, bit(kFogEnable));
  d->SetRenderState(D3DRS_NORMALIZENORMALS, bit(kNormalizeNormals));
  d->SetRenderState(D3DRS_SPECULARENABLE, bit(kSpecularEnable));
  if (GetCurrentRecord().behaviorFlags & D3DCREATE_MIXED_VERTEXPROCESSING)
    d->SetSoftwareVertexProcessing(bit(kSoftwareVertexProcessing));
  if (m_deviceCaps.PrimitiveMiscCaps & D3DPMISCCAPS_COLORWRITEENABLE)
    d->SetRenderState(D3DRS_COLORWRITEENABLE, 7 * bit(kColorWriteRGB) + 8 * bit(kColorWriteA));
  d->SetRenderState(D3DRS_DITHERENABLE, bit(kDitherEnable));
  d->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, bit(kMultisampleAntialias));
  d->SetRenderState(D3DRS_AMBIENT, c.ambient);
  d->SetRenderState(D3DRS_TEXTUREFACTOR, c.textureFactor);
  sendIfSet(D3DRS_BLENDOP, c.blendOp);
  sendIfSet(D3DRS_SRCBLEND, c.srcBlend);
  sendIfSet(D3DRS_DESTBLEND, c.destBlend);
  sendIfSet(D3DRS_ZFUNC, c.zFunc);
  sendIfSet(D3DRS_STENCILFUNC, c.stencilFunc);
  sendIfSet(D3DRS_STENCILPASS, c.stencilPass);
  sendIfSet(D3DRS_STENCILZFAIL, c.stencilZFail);
  sendIfSet(D3DRS_STENCILFAIL, c.stencilFail);
  sendIfSet(D3DRS_SHADEMODE, c.shadeMode);
  sendIfSet(D3DRS_CULLMODE, c.cullMode);
  sendIfSet(D3DRS_FILLMODE, c.fillMode);
  sendIfSet(D3DRS_DIFFUSEMATERIALSOURCE, c.diffuseMaterialSource);
  sendIfSet(D3DRS_SPECULARMATERIALSOURCE, c.specularMaterialSource);
  sendIfSet(D3DRS_AMBIENTMATERIALSOURCE, c.ambientMaterialSource);
  sendIfSet(D3DRS_EMISSIVEMATERIALSOURCE, c.emissiveMaterialSource);

  switch (c.vertexShaderMode) {
    case kFixedFunction:
      d->SetVertexShader(nullptr);
      if (c.fvf != 0) d->SetFVF(c.fvf);
      if (m_pPixelShader != nullptr) d->SetPixelShader(m_pPixelShader);
      break;
    case kCallerShader:
      if (m_pVertexShader != nullptr) {
        d->SetVertexShader(m_pVertexShader);
        if (c.fvf != 0) d->SetFVF(c.fvf);
        if (m_pPixelShader != nullptr) d->SetPixelShader(m_pPixelShader);
      }
      break;
    case kGeneratedShader:
      if (m_pVertexShaderCache != nullptr) {
        if (IDirect3DVertexShader9* shader = m_pVertexShaderCache->GetCurrentShader()) d->SetVertexShader(shader);
        d->SetVertexShaderConstantF(0, &m_constants[0][0], kConstantRegisters);
      }
      break;
    default:
      break;
  }

  DWORD stages = m_deviceCaps.MaxTextureBlendStages;
  if (stages > static_cast<DWORD>(kStages)) stages = kStages;
  for (DWORD stage = 0; stage < stages; ++stage) {
    for (int s = 0; s < kStageStates; ++s) {
      if (c.stageStates[stage][s] != kUnsetStageState)
        d->SetTextureStageState(stage, static_cast<D3DTEXTURESTAGESTATETYPE>(s + 1), c.stageStates[stage][s]);
    }
  }
  for (DWORD sampler = 0; sampler < stages; ++sampler) {
    for (int s = 0; s < kSamplerStates; ++s) {
      if (c.samplerStates[sampler][s] != kUnsetStageState)
        d->SetSamplerState(sampler, static_cast<D3DSAMPLERSTATETYPE>(s), c.samplerStates[sampler][s]);
    }
  }
  SetLights(m_lightBlock);
  SetDepthBias(0);
  m_viewport.X = 0;
  m_viewport.Y = 0;
  m_viewport.Width = m_backBufferDesc.Width;
  m_viewport.Height = m_backBufferDesc.Height;
  m_viewport.MinZ = 0.0f;
  m_viewport.MaxZ = 1.0f;
  d->SetViewport(&m_viewport);
}
