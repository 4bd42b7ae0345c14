// A Direct3D 9 of the tests' own: IDirect3D9 reports the adapters, modes,
// formats and caps a test chooses, IDirect3DDevice9 records every call the
// device layer makes, and every fake object counts itself so that a test
// can prove that nothing was leaked.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/d3d/fake_d3d9_stubs.h"

// The number of fake COM objects alive.
int FakeObjectsAlive();

// The calls of one test, in order.
struct FakeLog {
  std::vector<std::string> calls;
  void Add(const std::string& call) { calls.push_back(call); }
  // The calls that start with prefix.
  std::vector<std::string> With(const std::string& prefix) const;
  void Clear() { calls.clear(); }
};

// IUnknown for a fake: one reference at birth, deleted at the last Release.
template <class Stubs>
class FakeCom : public Stubs {
 public:
  FakeCom();
  virtual ~FakeCom();
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_nRef; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG n = --m_nRef;
    if (n == 0) delete this;
    return n;
  }
  ULONG RefCount() const { return m_nRef; }

 private:
  ULONG m_nRef = 1;
};

class FakeSurface : public FakeCom<FakeSurface9Stubs> {
 public:
  explicit FakeSurface(const D3DSURFACE_DESC& desc) : m_desc(desc) {}
  HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC* desc) override {
    *desc = m_desc;
    return D3D_OK;
  }

 private:
  D3DSURFACE_DESC m_desc;
};

class FakeStateBlock : public FakeCom<FakeStateBlock9Stubs> {
 public:
  FakeStateBlock(FakeLog* log, int id) : m_pLog(log), m_nId(id) {}
  HRESULT STDMETHODCALLTYPE Capture() override;
  HRESULT STDMETHODCALLTYPE Apply() override;

 private:
  FakeLog* m_pLog;
  int m_nId;
};

class FakeVertexShader : public FakeCom<FakeVertexShader9Stubs> {};
class FakePixelShader : public FakeCom<FakePixelShader9Stubs> {};

// Light-weight caps: what the device layer reads.
D3DCAPS9 MakeCaps(D3DDEVTYPE type, UINT adapter, DWORD devCaps, DWORD vertexShaderVersion,
                  DWORD maxVertexBlendMatrices);

class FakeDevice : public FakeCom<FakeDevice9Stubs> {
 public:
  FakeDevice(FakeLog* log, const D3DCAPS9& caps, const D3DPRESENT_PARAMETERS& pp);

  // What the tests set.
  HRESULT m_resetResult = D3D_OK;
  HRESULT m_createStateBlockResult = D3D_OK;
  HRESULT m_renderStateResult = D3D_OK;
  // What the device saw.
  D3DPRESENT_PARAMETERS m_pp;
  std::vector<D3DGAMMARAMP> m_gammaRamps;
  int m_nStateBlocks = 0;

  HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS9* caps) override {
    *caps = m_caps;
    return D3D_OK;
  }
  HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS* pp) override;
  HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT, UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface9** out) override;
  void STDMETHODCALLTYPE SetGammaRamp(UINT swapChain, DWORD flags, const D3DGAMMARAMP* ramp) override;
  HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
  HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT9* viewport) override;
  HRESULT STDMETHODCALLTYPE SetLight(DWORD index, const D3DLIGHT9* light) override;
  HRESULT STDMETHODCALLTYPE LightEnable(DWORD index, WINBOOL enable) override;
  HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
  HRESULT STDMETHODCALLTYPE CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** out) override;
  HRESULT STDMETHODCALLTYPE BeginStateBlock() override;
  HRESULT STDMETHODCALLTYPE EndStateBlock(IDirect3DStateBlock9** out) override;
  HRESULT STDMETHODCALLTYPE SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
  HRESULT STDMETHODCALLTYPE SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
  HRESULT STDMETHODCALLTYPE SetSoftwareVertexProcessing(WINBOOL software) override;
  HRESULT STDMETHODCALLTYPE SetFVF(DWORD fvf) override;
  HRESULT STDMETHODCALLTYPE SetVertexShader(IDirect3DVertexShader9* shader) override;
  HRESULT STDMETHODCALLTYPE SetVertexShaderConstantF(UINT reg, const float* data, UINT count) override;
  HRESULT STDMETHODCALLTYPE SetPixelShader(IDirect3DPixelShader9* shader) override;

  D3DCAPS9 m_caps;

 private:
  FakeLog* m_pLog;
};

// One adapter as the fake reports it.
struct FakeAdapter {
  FakeAdapter();
  D3DDISPLAYMODE desktop;
  std::vector<D3DDISPLAYMODE> modes;  // of every format; counted per format
  D3DADAPTER_IDENTIFIER9 identifier;
  bool hasHal = true;
  bool hasRef = false;
  D3DCAPS9 halCaps;
  D3DCAPS9 refCaps;
  std::vector<D3DFORMAT> depthFormats;                 // usable as depth/stencil with any format
  std::vector<D3DFORMAT> refusedFormats;               // CheckDeviceType refuses these display formats
  bool windowedOk = true;                              // CheckDeviceType in a window
  std::vector<D3DFORMAT> textureFormats;               // CheckDeviceFormat of textures
  std::vector<std::pair<D3DFORMAT, int>> multisample;  // accepted (format, samples); 0 always
};

class FakeD3D9 : public FakeCom<IDirect3D9> {
 public:
  explicit FakeD3D9(FakeLog* log) : m_pLog(log) {}

  std::vector<FakeAdapter> m_adapters;
  HRESULT m_createDeviceResult = D3D_OK;
  // The device each successful CreateDevice made (the fake keeps no
  // reference: a test may look at it while the device layer holds it).
  FakeDevice* m_pLastDevice = nullptr;
  D3DPRESENT_PARAMETERS m_lastPresentParameters = {};
  DWORD m_lastBehaviorFlags = 0;
  int m_nDevicesCreated = 0;

  HRESULT STDMETHODCALLTYPE RegisterSoftwareDevice(void*) override { return E_NOTIMPL; }
  UINT STDMETHODCALLTYPE GetAdapterCount() override { return static_cast<UINT>(m_adapters.size()); }
  HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* id) override;
  UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT adapter, D3DFORMAT format) override;
  HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* out) override;
  HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
  HRESULT STDMETHODCALLTYPE CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT display, D3DFORMAT backBuffer,
                                            WINBOOL windowed) override;
  HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                              D3DRESOURCETYPE rtype, D3DFORMAT format) override;
  HRESULT STDMETHODCALLTYPE CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT format,
                                                       WINBOOL windowed, D3DMULTISAMPLE_TYPE samples,
                                                       DWORD* quality) override;
  HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                                   D3DFORMAT renderTarget, D3DFORMAT depth) override;
  HRESULT STDMETHODCALLTYPE CheckDeviceFormatConversion(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) override;
  HMONITOR STDMETHODCALLTYPE GetAdapterMonitor(UINT) override { return nullptr; }
  HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focus, DWORD flags,
                                         D3DPRESENT_PARAMETERS* pp, IDirect3DDevice9** out) override;

 private:
  const FakeAdapter* Find(UINT adapter) const { return adapter < m_adapters.size() ? &m_adapters[adapter] : nullptr; }
  FakeLog* m_pLog;
};

// A display mode.
D3DDISPLAYMODE Mode(UINT width, UINT height, D3DFORMAT format, UINT refresh = 60);
// A render state's name for the call log ("LIGHTING"), or its number.
std::string RenderStateName(D3DRENDERSTATETYPE state);
