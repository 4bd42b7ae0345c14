#include "tests/d3d/fake_d3d9.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

int g_alive = 0;

std::string Num(unsigned long long v) { return std::to_string(v); }

bool Contains(const std::vector<D3DFORMAT>& list, D3DFORMAT f) {
  return std::find(list.begin(), list.end(), f) != list.end();
}

}  // namespace

int FakeObjectsAlive() { return g_alive; }

template <class Stubs>
FakeCom<Stubs>::FakeCom() {
  ++g_alive;
}

template <class Stubs>
FakeCom<Stubs>::~FakeCom() {
  --g_alive;
}

template class FakeCom<FakeSurface9Stubs>;
template class FakeCom<FakeStateBlock9Stubs>;
template class FakeCom<FakeVertexShader9Stubs>;
template class FakeCom<FakePixelShader9Stubs>;
template class FakeCom<FakeDevice9Stubs>;
template class FakeCom<IDirect3D9>;

std::vector<std::string> FakeLog::With(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const std::string& c : calls) {
    if (c.compare(0, prefix.size(), prefix) == 0) out.push_back(c);
  }
  return out;
}

D3DDISPLAYMODE Mode(UINT width, UINT height, D3DFORMAT format, UINT refresh) {
  D3DDISPLAYMODE m;
  m.Width = width;
  m.Height = height;
  m.RefreshRate = refresh;
  m.Format = format;
  return m;
}

std::string RenderStateName(D3DRENDERSTATETYPE state) {
  struct Named {
    D3DRENDERSTATETYPE state;
    const char* name;
  };
#define NAME(x) \
  { D3DRS_##x, #x }
  static const Named kNames[] = {
      NAME(ZENABLE),
      NAME(FILLMODE),
      NAME(SHADEMODE),
      NAME(ZWRITEENABLE),
      NAME(ALPHATESTENABLE),
      NAME(SRCBLEND),
      NAME(DESTBLEND),
      NAME(CULLMODE),
      NAME(ZFUNC),
      NAME(ALPHAREF),
      NAME(ALPHAFUNC),
      NAME(DITHERENABLE),
      NAME(ALPHABLENDENABLE),
      NAME(FOGENABLE),
      NAME(SPECULARENABLE),
      NAME(FOGCOLOR),
      NAME(FOGTABLEMODE),
      NAME(FOGSTART),
      NAME(FOGEND),
      NAME(FOGDENSITY),
      NAME(STENCILENABLE),
      NAME(STENCILFAIL),
      NAME(STENCILZFAIL),
      NAME(STENCILPASS),
      NAME(STENCILFUNC),
      NAME(STENCILREF),
      NAME(STENCILMASK),
      NAME(STENCILWRITEMASK),
      NAME(TEXTUREFACTOR),
      NAME(LIGHTING),
      NAME(AMBIENT),
      NAME(FOGVERTEXMODE),
      NAME(NORMALIZENORMALS),
      NAME(DIFFUSEMATERIALSOURCE),
      NAME(SPECULARMATERIALSOURCE),
      NAME(AMBIENTMATERIALSOURCE),
      NAME(EMISSIVEMATERIALSOURCE),
      NAME(MULTISAMPLEANTIALIAS),
      NAME(COLORWRITEENABLE),
      NAME(BLENDOP),
      NAME(DEPTHBIAS),
  };
#undef NAME
  for (const Named& n : kNames)
    if (n.state == state) return n.name;
  return Num(state);
}

D3DCAPS9 MakeCaps(D3DDEVTYPE type, UINT adapter, DWORD devCaps, DWORD vertexShaderVersion,
                  DWORD maxVertexBlendMatrices) {
  D3DCAPS9 c;
  std::memset(&c, 0, sizeof c);
  c.DeviceType = type;
  c.AdapterOrdinal = adapter;
  c.DevCaps = devCaps;
  c.VertexShaderVersion = vertexShaderVersion;
  c.MaxVertexBlendMatrices = maxVertexBlendMatrices;
  c.MaxTextureBlendStages = 8;
  c.PixelShaderVersion = D3DPS_VERSION(2, 0);
  return c;
}

// --- State blocks ---

HRESULT FakeStateBlock::Capture() {
  m_pLog->Add("Capture " + Num(m_nId));
  return D3D_OK;
}

HRESULT FakeStateBlock::Apply() {
  m_pLog->Add("Apply " + Num(m_nId));
  return D3D_OK;
}

// --- Device ---

FakeDevice::FakeDevice(FakeLog* log, const D3DCAPS9& caps, const D3DPRESENT_PARAMETERS& pp)
    : m_pp(pp), m_caps(caps), m_pLog(log) {}

HRESULT FakeDevice::Reset(D3DPRESENT_PARAMETERS* pp) {
  m_pLog->Add("Reset");
  if (SUCCEEDED(m_resetResult)) m_pp = *pp;
  return m_resetResult;
}

HRESULT FakeDevice::GetBackBuffer(UINT, UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface9** out) {
  D3DSURFACE_DESC d;
  std::memset(&d, 0, sizeof d);
  d.Format = m_pp.BackBufferFormat;
  d.Type = D3DRTYPE_SURFACE;
  d.Usage = D3DUSAGE_RENDERTARGET;
  d.Width = m_pp.BackBufferWidth;
  d.Height = m_pp.BackBufferHeight;
  *out = new FakeSurface(d);
  return D3D_OK;
}

void FakeDevice::SetGammaRamp(UINT, DWORD flags, const D3DGAMMARAMP* ramp) {
  m_pLog->Add("Gamma " + Num(flags) + " " + Num(ramp->red[0]) + " " + Num(ramp->red[255]));
  m_gammaRamps.push_back(*ramp);
}

HRESULT FakeDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "Transform %d %.9g", static_cast<int>(state), static_cast<double>(matrix->_33));
  m_pLog->Add(buf);
  return D3D_OK;
}

HRESULT FakeDevice::SetViewport(const D3DVIEWPORT9* v) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "Viewport %lu %lu %lu %lu %g %g", static_cast<unsigned long>(v->X),
                static_cast<unsigned long>(v->Y), static_cast<unsigned long>(v->Width),
                static_cast<unsigned long>(v->Height), static_cast<double>(v->MinZ), static_cast<double>(v->MaxZ));
  m_pLog->Add(buf);
  return D3D_OK;
}

HRESULT FakeDevice::SetLight(DWORD index, const D3DLIGHT9* light) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "Light %lu type %d dir %g diffuse %g ambient %g", static_cast<unsigned long>(index),
                static_cast<int>(light->Type), static_cast<double>(light->Direction.x),
                static_cast<double>(light->Diffuse.r), static_cast<double>(light->Ambient.r));
  m_pLog->Add(buf);
  return D3D_OK;
}

HRESULT FakeDevice::LightEnable(DWORD index, WINBOOL enable) {
  m_pLog->Add("LightEnable " + Num(index) + " " + Num(enable ? 1 : 0));
  return D3D_OK;
}

HRESULT FakeDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  m_pLog->Add("RS " + RenderStateName(state) + " " + Num(value));
  return m_renderStateResult;
}

HRESULT FakeDevice::CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** out) {
  m_pLog->Add("CreateStateBlock " + Num(type));
  *out = nullptr;
  if (FAILED(m_createStateBlockResult)) return m_createStateBlockResult;
  *out = new FakeStateBlock(m_pLog, ++m_nStateBlocks);
  return D3D_OK;
}

HRESULT FakeDevice::BeginStateBlock() {
  m_pLog->Add("BeginStateBlock");
  return D3D_OK;
}

HRESULT FakeDevice::EndStateBlock(IDirect3DStateBlock9** out) {
  m_pLog->Add("EndStateBlock");
  *out = nullptr;
  if (FAILED(m_createStateBlockResult)) return m_createStateBlockResult;
  *out = new FakeStateBlock(m_pLog, ++m_nStateBlocks);
  return D3D_OK;
}

HRESULT FakeDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  m_pLog->Add("TSS " + Num(stage) + " " + Num(type) + " " + Num(value));
  return D3D_OK;
}

HRESULT FakeDevice::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
  m_pLog->Add("SS " + Num(sampler) + " " + Num(type) + " " + Num(value));
  return D3D_OK;
}

HRESULT FakeDevice::SetSoftwareVertexProcessing(WINBOOL software) {
  m_pLog->Add("SoftwareVP " + Num(software ? 1 : 0));
  return D3D_OK;
}

HRESULT FakeDevice::SetFVF(DWORD fvf) {
  m_pLog->Add("FVF " + Num(fvf));
  return D3D_OK;
}

HRESULT FakeDevice::SetVertexShader(IDirect3DVertexShader9* shader) {
  m_pLog->Add(shader != nullptr ? "VS shader" : "VS null");
  return D3D_OK;
}

HRESULT FakeDevice::SetVertexShaderConstantF(UINT reg, const float*, UINT count) {
  m_pLog->Add("VSConst " + Num(reg) + " " + Num(count));
  return D3D_OK;
}

HRESULT FakeDevice::SetPixelShader(IDirect3DPixelShader9* shader) {
  m_pLog->Add(shader != nullptr ? "PS shader" : "PS null");
  return D3D_OK;
}

// --- IDirect3D9 ---

FakeAdapter::FakeAdapter() {
  desktop = Mode(1024, 768, D3DFMT_X8R8G8B8);
  std::memset(&identifier, 0, sizeof identifier);
  std::strcpy(identifier.Description, "Fake adapter");
  halCaps = MakeCaps(D3DDEVTYPE_HAL, 0, D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE, D3DVS_VERSION(3, 0), 4);
  refCaps = MakeCaps(D3DDEVTYPE_REF, 0, D3DDEVCAPS_HWTRANSFORMANDLIGHT, D3DVS_VERSION(3, 0), 4);
}

HRESULT FakeD3D9::GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER9* id) {
  const FakeAdapter* a = Find(adapter);
  if (a == nullptr) return D3DERR_INVALIDCALL;
  *id = a->identifier;
  return D3D_OK;
}

UINT FakeD3D9::GetAdapterModeCount(UINT adapter, D3DFORMAT format) {
  const FakeAdapter* a = Find(adapter);
  if (a == nullptr) return 0;
  UINT n = 0;
  for (const D3DDISPLAYMODE& m : a->modes) n += m.Format == format ? 1 : 0;
  return n;
}

HRESULT FakeD3D9::EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* out) {
  const FakeAdapter* a = Find(adapter);
  if (a == nullptr) return D3DERR_INVALIDCALL;
  UINT i = 0;
  for (const D3DDISPLAYMODE& m : a->modes) {
    if (m.Format != format) continue;
    if (i++ == mode) {
      *out = m;
      return D3D_OK;
    }
  }
  return D3DERR_INVALIDCALL;
}

HRESULT FakeD3D9::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
  const FakeAdapter* a = Find(adapter);
  if (a == nullptr) return D3DERR_INVALIDCALL;
  *mode = a->desktop;
  return D3D_OK;
}

HRESULT FakeD3D9::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT display, D3DFORMAT, WINBOOL windowed) {
  const FakeAdapter* a = Find(adapter);
  if (a == nullptr || Contains(a->refusedFormats, display)) return D3DERR_NOTAVAILABLE;
  if (windowed && (!a->windowedOk || display != a->desktop.Format)) return D3DERR_NOTAVAILABLE;
  return (type == D3DDEVTYPE_HAL ? a->hasHal : a->hasRef) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT FakeD3D9::CheckDeviceFormat(UINT adapter, D3DDEVTYPE, D3DFORMAT, DWORD usage, D3DRESOURCETYPE rtype,
                                    D3DFORMAT format) {
  const FakeAdapter* a = Find(adapter);
  if (a == nullptr) return D3DERR_INVALIDCALL;
  if (usage & D3DUSAGE_DEPTHSTENCIL) return Contains(a->depthFormats, format) ? D3D_OK : D3DERR_NOTAVAILABLE;
  if (rtype == D3DRTYPE_TEXTURE) return Contains(a->textureFormats, format) ? D3D_OK : D3DERR_NOTAVAILABLE;
  return D3DERR_NOTAVAILABLE;
}

HRESULT FakeD3D9::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE, D3DFORMAT format, WINBOOL,
                                             D3DMULTISAMPLE_TYPE samples, DWORD* quality) {
  m_pLog->Add("CheckMultiSample " + Num(format) + " " + Num(samples));
  const FakeAdapter* a = Find(adapter);
  if (a == nullptr) return D3DERR_INVALIDCALL;
  if (quality != nullptr) *quality = 1;
  if (samples == D3DMULTISAMPLE_NONE) return D3D_OK;
  for (const auto& ok : a->multisample) {
    if (ok.first == format && ok.second == static_cast<int>(samples)) return D3D_OK;
  }
  return D3DERR_NOTAVAILABLE;
}

HRESULT FakeD3D9::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT depth) {
  const FakeAdapter* a = Find(adapter);
  return a != nullptr && Contains(a->depthFormats, depth) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT FakeD3D9::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) {
  const FakeAdapter* a = Find(adapter);
  if (a == nullptr) return D3DERR_INVALIDCALL;
  if (type == D3DDEVTYPE_HAL && a->hasHal) {
    *caps = a->halCaps;
  } else if (type == D3DDEVTYPE_REF && a->hasRef) {
    *caps = a->refCaps;
  } else {
    return D3DERR_NOTAVAILABLE;
  }
  caps->AdapterOrdinal = adapter;
  caps->DeviceType = type;
  return D3D_OK;
}

HRESULT FakeD3D9::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND, DWORD flags, D3DPRESENT_PARAMETERS* pp,
                               IDirect3DDevice9** out) {
  m_pLog->Add("CreateDevice " + Num(adapter) + " " + Num(type) + " " + Num(flags) + " windowed " +
              Num(pp->Windowed ? 1 : 0));
  *out = nullptr;
  m_lastPresentParameters = *pp;
  m_lastBehaviorFlags = flags;
  if (FAILED(m_createDeviceResult)) return m_createDeviceResult;
  D3DCAPS9 caps;
  if (FAILED(GetDeviceCaps(adapter, type, &caps))) return D3DERR_INVALIDCALL;
  FakeDevice* d = new FakeDevice(m_pLog, caps, *pp);
  m_pLastDevice = d;
  ++m_nDevicesCreated;
  *out = d;
  return D3D_OK;
}
