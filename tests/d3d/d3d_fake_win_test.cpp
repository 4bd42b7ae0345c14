// The device library over a fake Direct3D 9 that reports chosen adapters,
// modes, formats and caps and records every call: enumeration and
// selection, creation errors, reset and re-creation with the device objects,
// the render-state cache, the state stack, lights, fog, depth bias, gamma,
// the launcher's present parameters and mode list.  Every case ends with no
// fake object alive.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "d3d/dx3d_device.h"
#include "d3d/launcher_device.h"
#include "framework/afxwin.h"
#include "res/resource.h"
#include "settings/graphic_setting.h"
#include "tests/d3d/fake_d3d9.h"

namespace {

class CFakeTestApp : public CWinApp {
 public:
  CFakeTestApp() : CWinApp("QuorlD3DFakeTest") {}
};
CFakeTestApp g_app;

// A device whose Direct3D is the fake (null: the runtime is missing).
class FakeBackedDevice : public CQuorlDevice {
 public:
  FakeD3D9* fake = nullptr;
  using CDXRenderState::ApplyAll;

 protected:
  IDirect3D9* NewDirect3D() override {
    if (fake == nullptr)
      return nullptr;
    fake->AddRef();
    return fake;
  }
};

// An ordinary adapter: a 1024 x 768 X8R8G8B8 desktop, three sizes in two
// formats (800 x 600 twice, at two refresh rates), D24S8, a pure HAL with
// vs_3_0 and 4 blend matrices.
FakeAdapter StandardAdapter() {
  FakeAdapter a;
  a.modes = {Mode(640, 480, D3DFMT_X8R8G8B8), Mode(800, 600, D3DFMT_X8R8G8B8), Mode(800, 600, D3DFMT_X8R8G8B8, 75),
             Mode(1024, 768, D3DFMT_X8R8G8B8), Mode(640, 480, D3DFMT_R5G6B5), Mode(800, 600, D3DFMT_R5G6B5),
             Mode(1024, 768, D3DFMT_R5G6B5)};
  a.depthFormats = {D3DFMT_D24S8};
  return a;
}

std::string Describe(const DX3DDeviceRecord& r) {
  if (!r.valid)
    return "-";
  char buf[128];
  std::snprintf(buf, sizeof buf, "a%u %s 0x%02lx %ux%u f%d d%d%s%s", r.adapter,
                r.deviceType == D3DDEVTYPE_HAL ? "HAL" : "REF", static_cast<unsigned long>(r.behaviorFlags),
                r.width, r.height, static_cast<int>(r.format), static_cast<int>(r.depthFormat),
                r.usableWindowed ? " w" : "", r.usableFullscreen ? " f" : "");
  return buf;
}

// A top-level window for the device, destroyed with the fixture.
class DeviceWindow {
 public:
  DeviceWindow() {
    m_hWnd = ::CreateWindowExA(0, "STATIC", "d3d test", WS_OVERLAPPEDWINDOW, 10, 10, 660, 520, nullptr, nullptr,
                               ::GetModuleHandleA(nullptr), nullptr);
  }
  ~DeviceWindow() { ::DestroyWindow(m_hWnd); }
  HWND get() const { return m_hWnd; }
  SIZE ClientSize() const {
    RECT r = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &r);
    return {r.right - r.left, r.bottom - r.top};
  }

 private:
  HWND m_hWnd;
};

// A fresh fake, device and window per test; the last check is that no fake
// object is left.
class FakeD3DTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, FakeObjectsAlive());
    fake = new FakeD3D9(&log);
    device.fake = fake;
    GetGraphicSetting().GetEffective() = GraphicRecord();
    GraphicRecord& eff = GetGraphicSetting().GetEffective();
    eff.antialias = 0;
    eff.sync = 1;
    eff.bbc = 1;
  }
  void TearDown() override {
    device.Destroy();
    fake->Release();
    EXPECT_EQ(0, FakeObjectsAlive());
  }

  // Creates the device on the window with the launcher's requirement (or
  // the one given); the fake device, or null on failure.
  FakeDevice* Create(CDX3DDeviceRequirement* requirement = nullptr) {
    DWORD error = 0;
    if (!device.Create(window.get(), window.get(), requirement != nullptr ? requirement : &launcher, &error)) {
      lastError = error;
      return nullptr;
    }
    return fake->m_pLastDevice;
  }

  FakeLog log;
  FakeD3D9* fake = nullptr;
  FakeBackedDevice device;
  DeviceWindow window;
  CAppDX3DDeviceRequirement launcher;
  DWORD lastError = 0;
};

// --- Enumeration and selection ---

enum class Req { kNone, kBase, kLauncher, kLauncherWindowRequired, kBaseNoDepth };

struct SelectionRow {
  const char* name;
  std::function<void(std::vector<FakeAdapter>&)> adapters;
  Req req;
  bool ok;
  DWORD error;
  const char* windowed;
  const char* fullscreen;
  int createdWindowed;  // pp.Windowed of the created device; -1 when none
};

TEST_F(FakeD3DTest, EnumerationAndSelectionTable) {
  const SelectionRow rows[] = {
      {"one HAL adapter, launcher",
       [](std::vector<FakeAdapter>& a) { a = {StandardAdapter()}; }, Req::kLauncher, true, 0,
       "a0 HAL 0x54 800x600 f22 d75 w f", "a0 HAL 0x54 800x600 f23 d75 f", 1},
      {"one HAL adapter, no requirement: base formats, no minimum, no sort",
       [](std::vector<FakeAdapter>& a) { a = {StandardAdapter()}; }, Req::kNone, true, 0,
       "a0 HAL 0x54 640x480 f22 d75 w f", "a0 HAL 0x54 640x480 f22 d75 w f", 1},
      {"base requirement: preferred 640x480, then lower format",
       [](std::vector<FakeAdapter>& a) { a = {StandardAdapter()}; }, Req::kBase, true, 0,
       "a0 HAL 0x54 640x480 f22 d75 w f", "a0 HAL 0x54 640x480 f22 d75 w f", 1},
      {"no HAL, only REF",
       [](std::vector<FakeAdapter>& a) {
         a = {StandardAdapter()};
         a[0].hasHal = false;
         a[0].hasRef = true;
       },
       Req::kLauncher, true, 0, "a0 REF 0x44 800x600 f22 d75 w f", "a0 REF 0x44 800x600 f23 d75 f", 1},
      {"REF with a null reference driver gives nothing",
       [](std::vector<FakeAdapter>& a) {
         a = {StandardAdapter()};
         a[0].hasHal = false;
         a[0].hasRef = true;
         a[0].refCaps.PrimitiveMiscCaps |= D3DPMISCCAPS_NULLREFERENCE;
       },
       Req::kLauncher, false, 0x82000003, "-", "-", -1},
      {"no 800x600 mode",
       [](std::vector<FakeAdapter>& a) {
         a = {StandardAdapter()};
         a[0].modes = {Mode(640, 480, D3DFMT_X8R8G8B8), Mode(720, 576, D3DFMT_X8R8G8B8)};
       },
       Req::kLauncher, false, 0x82000003, "-", "-", -1},
      {"no depth format",
       [](std::vector<FakeAdapter>& a) {
         a = {StandardAdapter()};
         a[0].depthFormats.clear();
       },
       Req::kLauncher, false, 0x82000003, "-", "-", -1},
      {"no depth format, none searched",
       [](std::vector<FakeAdapter>& a) {
         a = {StandardAdapter()};
         a[0].depthFormats.clear();
       },
       Req::kBaseNoDepth, true, 0, "a0 HAL 0x54 640x480 f22 d0 w f", "a0 HAL 0x54 640x480 f22 d0 w f", 1},
      {"launcher depth order: D24S8 before D32",
       [](std::vector<FakeAdapter>& a) {
         a = {StandardAdapter()};
         a[0].depthFormats = {D3DFMT_D32, D3DFMT_D24S8};
       },
       Req::kLauncher, true, 0, "a0 HAL 0x54 800x600 f22 d75 w f", "a0 HAL 0x54 800x600 f23 d75 f", 1},
      {"base depth order: D32 first",
       [](std::vector<FakeAdapter>& a) {
         a = {StandardAdapter()};
         a[0].depthFormats = {D3DFMT_D16, D3DFMT_D32};
       },
       Req::kNone, true, 0, "a0 HAL 0x54 640x480 f22 d71 w f", "a0 HAL 0x54 640x480 f22 d71 w f", 1},
      {"desktop refused in a window: created full screen",
       [](std::vector<FakeAdapter>& a) {
         a = {StandardAdapter()};
         a[0].windowedOk = false;
       },
       Req::kLauncher, true, 0, "-", "a0 HAL 0x54 800x600 f23 d75 f", 0},
      {"desktop refused in a window, window required",
       [](std::vector<FakeAdapter>& a) {
         a = {StandardAdapter()};
         a[0].windowedOk = false;
       },
       Req::kLauncherWindowRequired, false, 0x82000004, "-", "a0 HAL 0x54 800x600 f23 d75 f", -1},
      {"two adapters, the first unusable",
       [](std::vector<FakeAdapter>& a) {
         a = {StandardAdapter(), StandardAdapter()};
         a[0].depthFormats.clear();
       },
       Req::kLauncher, true, 0, "a1 HAL 0x54 800x600 f22 d75 w f", "a1 HAL 0x54 800x600 f23 d75 f", 1},
      {"two adapters: the first wins",
       [](std::vector<FakeAdapter>& a) { a = {StandardAdapter(), StandardAdapter()}; }, Req::kLauncher, true, 0,
       "a0 HAL 0x54 800x600 f22 d75 w f", "a0 HAL 0x54 800x600 f23 d75 f", 1},
      {"vs_1_0 with transform and lighting: mixed",
       [](std::vector<FakeAdapter>& a) {
         a = {StandardAdapter()};
         a[0].halCaps.VertexShaderVersion = D3DVS_VERSION(1, 0);
       },
       Req::kLauncher, true, 0, "a0 HAL 0x84 800x600 f22 d75 w f", "a0 HAL 0x84 800x600 f23 d75 f", 1},
      {"3 blend matrices, no transform and lighting: software",
       [](std::vector<FakeAdapter>& a) {
         a = {StandardAdapter()};
         a[0].halCaps.DevCaps = 0;
         a[0].halCaps.MaxVertexBlendMatrices = 3;
       },
       Req::kLauncher, true, 0, "a0 HAL 0x24 800x600 f22 d75 w f", "a0 HAL 0x24 800x600 f23 d75 f", 1},
      {"hardware without a pure device",
       [](std::vector<FakeAdapter>& a) {
         a = {StandardAdapter()};
         a[0].halCaps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
       },
       Req::kLauncher, true, 0, "a0 HAL 0x44 800x600 f22 d75 w f", "a0 HAL 0x44 800x600 f23 d75 f", 1},
      {"a 16-bit desktop is the windowed format",
       [](std::vector<FakeAdapter>& a) {
         a = {StandardAdapter()};
         a[0].desktop = Mode(1024, 768, D3DFMT_R5G6B5);
       },
       Req::kLauncher, true, 0, "a0 HAL 0x54 800x600 f23 d75 w f", "a0 HAL 0x54 800x600 f23 d75 w f", 1},
      {"a display format the device refuses",
       [](std::vector<FakeAdapter>& a) {
         a = {StandardAdapter()};
         a[0].refusedFormats = {D3DFMT_R5G6B5};
       },
       Req::kLauncher, true, 0, "a0 HAL 0x54 800x600 f22 d75 w f", "a0 HAL 0x54 800x600 f22 d75 w f", 1},
      {"no adapters", [](std::vector<FakeAdapter>& a) { a.clear(); }, Req::kLauncher, false, 0x82000003, "-",
       "-", -1},
  };
  for (const SelectionRow& row : rows) {
    SCOPED_TRACE(row.name);
    log.Clear();
    device.Destroy();
    row.adapters(fake->m_adapters);
    fake->m_pLastDevice = nullptr;
    CDX3DDeviceRequirement base;
    CDX3DDeviceRequirement baseNoDepth;
    baseNoDepth.m_bSearchDepthFormat = 0;
    CAppDX3DDeviceRequirement windowRequired;
    windowRequired.m_bWindowedRequired = 1;
    CDX3DDeviceRequirement* req = nullptr;
    switch (row.req) {
      case Req::kNone: req = nullptr; break;
      case Req::kBase: req = &base; break;
      case Req::kLauncher: req = &launcher; break;
      case Req::kLauncherWindowRequired: req = &windowRequired; break;
      case Req::kBaseNoDepth: req = &baseNoDepth; break;
    }
    DWORD error = 0;
    BOOL ok = device.Create(window.get(), window.get(), req, &error);
    EXPECT_EQ(row.ok, ok != FALSE);
    EXPECT_EQ(row.error, error);
    EXPECT_EQ(row.windowed, Describe(device.GetWindowedRecord()));
    EXPECT_EQ(row.fullscreen, Describe(device.GetFullscreenRecord()));
    if (row.createdWindowed >= 0) {
      ASSERT_NE(nullptr, fake->m_pLastDevice);
      EXPECT_EQ(row.createdWindowed, fake->m_lastPresentParameters.Windowed);
      EXPECT_EQ(row.createdWindowed, device.IsWindowed());
      EXPECT_EQ(device.GetCurrentRecord().behaviorFlags, fake->m_lastBehaviorFlags);
      EXPECT_NE(nullptr, device.GetDevice());
    } else {
      EXPECT_EQ(nullptr, fake->m_pLastDevice);
      EXPECT_EQ(nullptr, device.GetDevice());
      EXPECT_EQ(nullptr, device.GetDirect3D());  // a failed Create keeps nothing
    }
    device.Destroy();
    EXPECT_EQ(1, FakeObjectsAlive());  // the fake Direct3D alone
  }
}

TEST_F(FakeD3DTest, EnumerationOrderIsAdapterThenTypeThenModeOrder) {
  fake->m_adapters = {StandardAdapter(), StandardAdapter()};
  fake->m_adapters[0].hasRef = true;
  fake->m_adapters[1].modes = {Mode(1024, 768, D3DFMT_X8R8G8B8), Mode(800, 600, D3DFMT_X8R8G8B8, 60),
                               Mode(800, 600, D3DFMT_X8R8G8B8, 85)};
  ASSERT_NE(nullptr, Create());
  std::vector<DX3DDeviceRecord> records;
  ASSERT_EQ(10, device.Enumerate(records, &launcher));
  std::vector<std::string> got;
  for (const DX3DDeviceRecord& r : records)
    got.push_back(Describe(r));
  const std::vector<std::string> expected = {
      "a0 HAL 0x54 800x600 f23 d75 f",   "a0 HAL 0x54 800x600 f22 d75 w f", "a0 HAL 0x54 1024x768 f23 d75 f",
      "a0 HAL 0x54 1024x768 f22 d75 w f", "a0 REF 0x44 800x600 f23 d75 f",   "a0 REF 0x44 800x600 f22 d75 w f",
      "a0 REF 0x44 1024x768 f23 d75 f",   "a0 REF 0x44 1024x768 f22 d75 w f",
      // Two refresh rates of one size make one record.
      "a1 HAL 0x54 800x600 f22 d75 w f", "a1 HAL 0x54 1024x768 f22 d75 w f"};
  EXPECT_EQ(expected, got);
}

TEST_F(FakeD3DTest, CreationErrorsCarryTheirCodes) {
  fake->m_adapters = {StandardAdapter()};
  fake->m_createDeviceResult = D3DERR_OUTOFVIDEOMEMORY;
  EXPECT_EQ(nullptr, Create());
  EXPECT_EQ(static_cast<DWORD>(D3DERR_OUTOFVIDEOMEMORY), lastError);
  EXPECT_EQ(nullptr, device.GetDirect3D());

  // No runtime at all.
  device.fake = nullptr;
  lastError = 0;
  EXPECT_EQ(nullptr, Create());
  EXPECT_EQ(0x82000001u, lastError);

  // The device check's test object goes the same way.
  lastError = 0;
  EXPECT_FALSE(device.Initialize(&launcher, &lastError));
  EXPECT_EQ(0x82000001u, lastError);
  device.fake = fake;
  lastError = 0;
  fake->m_createDeviceResult = D3D_OK;
  EXPECT_TRUE(device.Initialize(&launcher, &lastError));
  EXPECT_EQ(0u, lastError);
}

// --- Present parameters of the launcher ---

TEST_F(FakeD3DTest, LauncherPresentParametersFollowTheEffectiveSettings) {
  struct Row {
    const char* name;
    int antialias, sync, bbc;
    std::vector<std::pair<D3DFORMAT, int>> multisample;
    BOOL allowed;
    UINT backBuffers;
    DWORD interval;
    D3DMULTISAMPLE_TYPE samples;
  };
  const Row rows[] = {
      {"before any load", 0, 1, 1, {}, TRUE, 1, D3DPRESENT_INTERVAL_ONE, D3DMULTISAMPLE_NONE},
      {"bbc 0 gives 1, sync off", 0, 0, 0, {}, TRUE, 1, D3DPRESENT_INTERVAL_IMMEDIATE, D3DMULTISAMPLE_NONE},
      {"bbc 3 gives 2", 0, 1, 3, {}, TRUE, 2, D3DPRESENT_INTERVAL_ONE, D3DMULTISAMPLE_NONE},
      {"4 samples refused for the depth format", 4, 1, 1, {{D3DFMT_X8R8G8B8, 4}}, TRUE, 1,
       D3DPRESENT_INTERVAL_ONE, D3DMULTISAMPLE_NONE},
      {"4 samples for both formats", 4, 1, 1, {{D3DFMT_X8R8G8B8, 4}, {D3DFMT_D24S8, 4}}, TRUE, 1,
       D3DPRESENT_INTERVAL_ONE, D3DMULTISAMPLE_4_SAMPLES},
      {"multisampling not allowed", 4, 1, 1, {{D3DFMT_X8R8G8B8, 4}, {D3DFMT_D24S8, 4}}, FALSE, 1,
       D3DPRESENT_INTERVAL_ONE, D3DMULTISAMPLE_NONE},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    device.Destroy();
    fake->m_adapters = {StandardAdapter()};
    fake->m_adapters[0].multisample = row.multisample;
    GraphicRecord& eff = GetGraphicSetting().GetEffective();
    eff.antialias = row.antialias;
    eff.sync = row.sync;
    eff.bbc = row.bbc;
    launcher.m_bMultiSampleAllowed = row.allowed;
    ASSERT_NE(nullptr, Create());
    const D3DPRESENT_PARAMETERS& pp = fake->m_lastPresentParameters;
    EXPECT_EQ(row.backBuffers, pp.BackBufferCount);
    EXPECT_EQ(row.interval, pp.PresentationInterval);
    EXPECT_EQ(row.samples, pp.MultiSampleType);
    EXPECT_EQ(0u, pp.MultiSampleQuality);
    EXPECT_EQ(0u, pp.FullScreen_RefreshRateInHz);
    EXPECT_EQ(D3DSWAPEFFECT_DISCARD, pp.SwapEffect);
    EXPECT_TRUE(pp.Windowed);
    EXPECT_EQ(D3DFMT_X8R8G8B8, pp.BackBufferFormat);
    EXPECT_TRUE(pp.EnableAutoDepthStencil);
    EXPECT_EQ(D3DFMT_D24S8, pp.AutoDepthStencilFormat);
    SIZE client = window.ClientSize();
    EXPECT_EQ(static_cast<UINT>(client.cx), pp.BackBufferWidth);
    EXPECT_EQ(static_cast<UINT>(client.cy), pp.BackBufferHeight);
  }
  launcher.m_bMultiSampleAllowed = TRUE;
}

TEST_F(FakeD3DTest, MultisampleAndTextureChecksUseTheCurrentRecord) {
  fake->m_adapters = {StandardAdapter()};
  fake->m_adapters[0].multisample = {{D3DFMT_X8R8G8B8, 2}, {D3DFMT_D24S8, 2}, {D3DFMT_X8R8G8B8, 4}};
  fake->m_adapters[0].textureFormats = {D3DFMT_A8R8G8B8, D3DFMT_DXT3};
  EXPECT_FALSE(device.CheckMultiSample(D3DMULTISAMPLE_2_SAMPLES, nullptr));  // no Direct3D yet
  ASSERT_NE(nullptr, Create());
  DWORD quality = 0;
  EXPECT_TRUE(device.CheckMultiSample(D3DMULTISAMPLE_2_SAMPLES, &quality));
  EXPECT_FALSE(device.CheckMultiSample(D3DMULTISAMPLE_4_SAMPLES, nullptr));
  EXPECT_TRUE(device.CheckTextureFormat(D3DFMT_DXT3, 0));
  EXPECT_FALSE(device.CheckTextureFormat(D3DFMT_A4R4G4B4, D3DUSAGE_RENDERTARGET));
  EXPECT_FALSE(device.CheckTextureFormat(D3DFMT_UNKNOWN, 0));
  EXPECT_FALSE(device.IsIntel915());
  fake->m_adapters[0].identifier.VendorId = 0x8086;
  fake->m_adapters[0].identifier.DeviceId = 0x2782;
  EXPECT_TRUE(device.IsIntel915());
  fake->m_adapters[0].identifier.DeviceId = 0x2783;
  EXPECT_FALSE(device.IsIntel915());
}

// --- Re-sending the cache ---

std::vector<std::string> AlwaysSent(const std::string& viewport) {
  std::vector<std::string> calls = {
      "RS LIGHTING 1",          "RS ALPHABLENDENABLE 0",     "RS ALPHATESTENABLE 0", "RS ALPHAREF 0",
      "RS ZENABLE 1",           "RS ZWRITEENABLE 1",         "RS STENCILENABLE 0",   "RS STENCILREF 0",
      "RS STENCILMASK 4294967295", "RS STENCILWRITEMASK 4294967295", "RS FOGENABLE 0", "RS NORMALIZENORMALS 0",
      "RS SPECULARENABLE 0",    "RS COLORWRITEENABLE 15",    "RS DITHERENABLE 0",    "RS MULTISAMPLEANTIALIAS 1",
      "RS AMBIENT 0",           "RS TEXTUREFACTOR 0",        "VS null"};
  for (int stage = 0; stage < 8; ++stage) {
    calls.push_back("TSS " + std::to_string(stage) + " 11 " + std::to_string(stage));
    calls.push_back("TSS " + std::to_string(stage) + " 24 0");
  }
  for (int light = 0; light < 8; ++light)
    calls.push_back("LightEnable " + std::to_string(light) + " 0");
  calls.push_back(viewport);
  return calls;
}

std::string ViewportOf(const D3DPRESENT_PARAMETERS& pp) {
  return "Viewport 0 0 " + std::to_string(pp.BackBufferWidth) + " " + std::to_string(pp.BackBufferHeight) + " 0 1";
}

TEST_F(FakeD3DTest, ApplyAllWithEveryValueUnsetSendsTheAlwaysSentStates) {
  fake->m_adapters = {StandardAdapter()};
  fake->m_adapters[0].halCaps.PrimitiveMiscCaps |= D3DPMISCCAPS_COLORWRITEENABLE;
  FakeDevice* d = Create();
  ASSERT_NE(nullptr, d);
  log.Clear();
  device.ApplyAll();
  EXPECT_EQ(AlwaysSent(ViewportOf(d->m_pp)), log.calls);
}

TEST_F(FakeD3DTest, ApplyAllSendsSetValuesInOrder) {
  fake->m_adapters = {StandardAdapter()};
  fake->m_adapters[0].halCaps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
  fake->m_adapters[0].halCaps.VertexShaderVersion = D3DVS_VERSION(1, 0);  // mixed vertex processing
  FakeDevice* d = Create();
  ASSERT_NE(nullptr, d);
  ASSERT_EQ(0x84u, device.GetCurrentRecord().behaviorFlags);

  device.SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device.SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
  device.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device.SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
  device.SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  device.SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_COLOR1);
  device.SetRenderState(D3DRS_COLORWRITEENABLE, 7);  // not sent again: no caps
  device.SetSoftwareVertexProcessing(TRUE);
  device.SetFog(D3DFOG_LINEAR, 10.0f, 110.0f, 0x00FF0000);
  device.SetFVF(D3DFVF_XYZ);
  device.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device.SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  CDXRenderState::LightBlock lights = {};
  lights.enableMask = 1;
  lights.lights[0].Type = D3DLIGHT_DIRECTIONAL;
  device.SetLights(lights);
  log.Clear();
  device.ApplyAll();

  std::vector<std::string> expected = {
      "RS LIGHTING 1", "RS ALPHABLENDENABLE 1", "RS ALPHATESTENABLE 0", "RS ALPHAFUNC 5", "RS ALPHAREF 0",
      "RS ZENABLE 1", "RS ZWRITEENABLE 1", "RS STENCILENABLE 0", "RS STENCILREF 0", "RS STENCILMASK 4294967295",
      "RS STENCILWRITEMASK 4294967295",
      // The fog, as SetFog sends it (FOGENABLE is on already).
      "RS FOGSTART 1092616192", "RS FOGEND 1121714176", "RS FOGCOLOR 16711680", "RS FOGVERTEXMODE 3",
      "RS FOGTABLEMODE 0", "RS FOGENABLE 1", "RS NORMALIZENORMALS 0", "RS SPECULARENABLE 0", "SoftwareVP 1",
      "RS DITHERENABLE 0", "RS MULTISAMPLEANTIALIAS 1", "RS AMBIENT 0", "RS TEXTUREFACTOR 0", "RS SRCBLEND 5",
      "RS ZFUNC 4", "RS CULLMODE 2", "RS EMISSIVEMATERIALSOURCE 1", "VS null", "FVF 2"};
  for (int stage = 0; stage < 8; ++stage) {
    if (stage == 1)
      expected.push_back("TSS 1 1 4");
    expected.push_back("TSS " + std::to_string(stage) + " 11 " + std::to_string(stage));
    expected.push_back("TSS " + std::to_string(stage) + " 24 0");
  }
  expected.push_back("SS 0 6 2");
  expected.push_back("Light 0 type 3 dir 0 diffuse 0 ambient 0");
  expected.push_back("LightEnable 0 1");
  for (int light = 1; light < 8; ++light)
    expected.push_back("LightEnable " + std::to_string(light) + " 0");
  expected.push_back(ViewportOf(d->m_pp));
  EXPECT_EQ(expected, log.calls);
}

TEST_F(FakeD3DTest, SettersSendOnlyChanges) {
  fake->m_adapters = {StandardAdapter()};
  ASSERT_NE(nullptr, Create());
  log.Clear();
  device.SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  device.SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  device.SetRenderState(D3DRS_LIGHTING, TRUE);  // on already
  device.SetRenderState(D3DRS_LIGHTING, FALSE);
  device.SetRenderState(D3DRS_CLIPPING, TRUE);  // not cached: always sent
  device.SetRenderState(D3DRS_CLIPPING, TRUE);
  device.SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);  // preset
  device.SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  device.SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  EXPECT_EQ((std::vector<std::string>{"RS ZFUNC 2", "RS LIGHTING 0", "RS 136 1", "RS 136 1", "SS 0 1 3"}),
            log.calls);
}

TEST_F(FakeD3DTest, FogDepthBiasAndTableFog) {
  fake->m_adapters = {StandardAdapter()};
  fake->m_adapters[0].halCaps.RasterCaps = D3DPRASTERCAPS_FOGTABLE | D3DPRASTERCAPS_WFOG;
  ASSERT_NE(nullptr, Create());

  log.Clear();
  device.SetFog(D3DFOG_EXP, 0.0f, 100.0f, 0x123456);
  // Table fog is wanted from the start and the device has it.
  EXPECT_EQ((std::vector<std::string>{"RS FOGDENSITY 1022739087", "RS FOGCOLOR 1193046", "RS FOGVERTEXMODE 0",
                                      "RS FOGTABLEMODE 1", "RS FOGENABLE 1"}),
            log.calls);
  log.Clear();
  device.SetTableFog(FALSE);
  device.SetTableFog(FALSE);
  EXPECT_EQ((std::vector<std::string>{"RS FOGVERTEXMODE 1", "RS FOGTABLEMODE 0"}), log.calls);

  // Fog off after fog on: FOGENABLE 0 once and nothing else.
  log.Clear();
  device.SetFog(D3DFOG_NONE, 0.0f, 100.0f, 0);
  device.SetFog(D3DFOG_NONE, 0.0f, 100.0f, 0);
  EXPECT_EQ((std::vector<std::string>{"RS FOGENABLE 0"}), log.calls);

  // No depth-bias state: the bias goes into the projection, once per level:
  // _33 less 8 * level * _34 * 2^-24.
  D3DMATRIX projection = {};
  projection._11 = projection._22 = projection._33 = projection._34 = 1.0f;
  device.SetTransform(D3DTS_PROJECTION, &projection);
  log.Clear();
  device.SetDepthBias(2);
  device.SetDepthBias(2);
  EXPECT_EQ((std::vector<std::string>{"Transform 3 0.999999046"}), log.calls);
  // A projection set while biased carries the bias too.
  log.Clear();
  device.SetTransform(D3DTS_PROJECTION, &projection);
  EXPECT_EQ((std::vector<std::string>{"Transform 3 0.999999046"}), log.calls);
}

TEST_F(FakeD3DTest, DepthBiasStateWhenTheDeviceHasIt) {
  fake->m_adapters = {StandardAdapter()};
  fake->m_adapters[0].halCaps.RasterCaps = D3DPRASTERCAPS_DEPTHBIAS;
  ASSERT_NE(nullptr, Create());
  // D24S8: epsilon 2^-24, so level 3 is -24 * 2^-24 = -1.5 * 2^-20.
  log.Clear();
  device.SetDepthBias(3);
  device.SetDepthBias(3);
  float bias = -1.5f / 1048576.0f;
  DWORD bits;
  std::memcpy(&bits, &bias, sizeof bits);
  EXPECT_EQ((std::vector<std::string>{"RS DEPTHBIAS " + std::to_string(bits)}), log.calls);
  EXPECT_EQ(8u, device.GetStencilBits());
}

TEST_F(FakeD3DTest, TwoSidedLightsTakeIndexesZeroToSix) {
  fake->m_adapters = {StandardAdapter()};
  ASSERT_NE(nullptr, Create());
  D3DLIGHT9 light = {};
  light.Type = D3DLIGHT_POINT;
  light.Direction.x = 1.0f;
  light.Diffuse.r = 0.5f;
  light.Ambient.r = 0.25f;
  for (int index : {-1, 7, 8}) {
    SCOPED_TRACE(index);
    log.Clear();
    EXPECT_FALSE(device.SetTwoSidedLight(index, light));
    EXPECT_TRUE(log.calls.empty());
  }
  for (int index = 0; index <= 6; ++index) {
    SCOPED_TRACE(index);
    log.Clear();
    EXPECT_TRUE(device.SetTwoSidedLight(index, light));
    const std::string i = std::to_string(index), j = std::to_string(index + 1);
    EXPECT_EQ((std::vector<std::string>{"Light " + i + " type 3 dir 1 diffuse 0.5 ambient 0.25",
                                        "Light " + j + " type 3 dir -1 diffuse -0.5 ambient 0",
                                        "LightEnable " + i + " 1", "LightEnable " + j + " 1"}),
              log.calls);
    EXPECT_EQ(3u << index, device.GetLightBlock().enableMask & (3u << index));
    // Off again: both lights of the pair.
    log.Clear();
    EXPECT_TRUE(device.EnableLight(index, FALSE));
    EXPECT_EQ((std::vector<std::string>{"LightEnable " + i + " 0", "LightEnable " + j + " 0"}), log.calls);
  }
  // A pair cached at the last light stays off when the block is sent again.
  CDXRenderState::LightBlock block = {};
  block.enableMask = 0x80;
  block.lights[7].Type = static_cast<D3DLIGHTTYPE>(CDXRenderState::kTwoSidedLightType);
  log.Clear();
  device.SetLights(block);
  EXPECT_EQ("LightEnable 7 0", log.calls.back());
  EXPECT_EQ(0u, device.GetLightBlock().enableMask);
}

// --- State stack ---

TEST_F(FakeD3DTest, StateStackRestoresAndAFailedBlockLeavesNoEntry) {
  fake->m_adapters = {StandardAdapter()};
  FakeDevice* d = Create();
  ASSERT_NE(nullptr, d);
  EXPECT_FALSE(device.PopState());  // empty: refused

  log.Clear();
  ASSERT_TRUE(device.PushState());
  EXPECT_EQ(1, device.GetStateDepth());
  device.SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);

  // A failing CreateStateBlock: FALSE and the stack as it was.
  d->m_createStateBlockResult = E_OUTOFMEMORY;
  EXPECT_FALSE(device.PushState());
  EXPECT_EQ(1, device.GetStateDepth());
  d->m_createStateBlockResult = D3D_OK;

  ASSERT_TRUE(device.PopState());
  EXPECT_EQ(0, device.GetStateDepth());
  EXPECT_EQ(CDXRenderState::kUnsetRenderState, device.GetCachedStates().zFunc);
  EXPECT_EQ((std::vector<std::string>{"CreateStateBlock 1", "Capture 1", "RS ZFUNC 8", "CreateStateBlock 1",
                                      "Apply 1"}),
            log.calls);
  EXPECT_FALSE(device.PopState());

  // Shaders saved with a state keep their references until it is popped.
  FakeVertexShader* vs = new FakeVertexShader;
  device.SetVertexShader(vs);
  EXPECT_EQ(2u, vs->RefCount());
  ASSERT_TRUE(device.PushState());
  EXPECT_EQ(3u, vs->RefCount());
  device.SetVertexShader(nullptr);
  EXPECT_EQ(2u, vs->RefCount());
  ASSERT_TRUE(device.PopState());
  EXPECT_EQ(2u, vs->RefCount());
  EXPECT_EQ(CDXRenderState::kCallerShader, device.GetCachedStates().vertexShaderMode);
  vs->Release();
  // An entry left on the stack goes with the device.
  ASSERT_TRUE(device.PushState());
}

// --- Device objects, reset and re-creation ---

class RecordingObject : public CDXDeviceMemory {
 public:
  RecordingObject(FakeLog* log, int id, BOOL resetResult = TRUE) : m_pLog(log), m_nId(id), m_bReset(resetResult) {}
  void OnLostDevice(CDX3DDevice*) override { m_pLog->Add("obj " + std::to_string(m_nId) + " lost"); }
  BOOL OnResetDevice(CDX3DDevice*) override {
    m_pLog->Add("obj " + std::to_string(m_nId) + " reset");
    return m_bReset;
  }
  void OnDestroyDevice(CDX3DDevice*) override { m_pLog->Add("obj " + std::to_string(m_nId) + " destroyed"); }

 private:
  FakeLog* m_pLog;
  int m_nId;
  BOOL m_bReset;
};

std::vector<std::string> Lifecycle(const FakeLog& log) {
  std::vector<std::string> out;
  for (const std::string& c : log.calls) {
    if (c.compare(0, 4, "obj ") == 0 || c == "Reset" || c.compare(0, 12, "CreateDevice") == 0)
      out.push_back(c.compare(0, 12, "CreateDevice") == 0 ? "CreateDevice" : c);
  }
  return out;
}

TEST_F(FakeD3DTest, DeviceObjectsHearLostResetAndDestroyedInOrder) {
  fake->m_adapters = {StandardAdapter()};
  ASSERT_NE(nullptr, Create());
  RecordingObject one(&log, 1), two(&log, 2, FALSE), three(&log, 3);
  device.LinkDeviceObject(&one);
  device.LinkDeviceObject(&two);
  device.LinkDeviceObject(&three);

  log.Clear();
  // Object 2 refuses: the reset is FALSE, and object 1 still hears it.
  EXPECT_FALSE(device.ResetDevice(FALSE));
  EXPECT_EQ((std::vector<std::string>{"obj 3 lost", "obj 2 lost", "obj 1 lost", "Reset", "obj 3 reset",
                                      "obj 2 reset", "obj 1 reset"}),
            Lifecycle(log));

  two.Unlink();
  log.Clear();
  EXPECT_TRUE(device.ResetDevice(TRUE));
  EXPECT_EQ((std::vector<std::string>{"obj 3 lost", "obj 1 lost", "CreateDevice", "obj 3 reset", "obj 1 reset"}),
            Lifecycle(log));
  EXPECT_EQ(2, fake->m_nDevicesCreated);

  // A failing reset: lost, no reset heard, FALSE.
  fake->m_pLastDevice->m_resetResult = D3DERR_DEVICELOST;
  log.Clear();
  EXPECT_FALSE(device.ResetDevice(FALSE));
  EXPECT_EQ((std::vector<std::string>{"obj 3 lost", "obj 1 lost", "Reset"}), Lifecycle(log));

  log.Clear();
  device.Destroy();
  EXPECT_EQ((std::vector<std::string>{"obj 3 destroyed", "obj 1 destroyed"}), Lifecycle(log));
  EXPECT_FALSE(one.IsLinked());
  EXPECT_FALSE(three.IsLinked());
  log.Clear();
  device.Destroy();
  EXPECT_TRUE(log.calls.empty());
  EXPECT_FALSE(device.ResetDevice(FALSE));  // no device
}

TEST_F(FakeD3DTest, AFailedDeviceCallInsideApplyAllDoesNotFailTheReset) {
  fake->m_adapters = {StandardAdapter()};
  FakeDevice* d = Create();
  ASSERT_NE(nullptr, d);
  d->m_renderStateResult = D3DERR_INVALIDCALL;
  EXPECT_TRUE(device.ResetDevice(FALSE));
}

TEST_F(FakeD3DTest, VertexShaderStoreRecordsItsBlocksAndReleasesItsShaders) {
  fake->m_adapters = {StandardAdapter()};
  FakeDevice* d = Create();
  ASSERT_NE(nullptr, d);
  CDXVertexShader& store = device.GetVertexShaderStore();
  device.LinkDeviceObject(&store);
  FakeVertexShader* vs = new FakeVertexShader;
  store.AddShader(7, vs);
  store.AddShader(7, vs);  // replaces itself: one reference kept
  EXPECT_EQ(2u, vs->RefCount());
  EXPECT_EQ(1, store.GetShaderCount());
  EXPECT_EQ(vs, store.FindShader(7));
  EXPECT_EQ(nullptr, store.FindShader(8));

  log.Clear();
  ASSERT_TRUE(device.ResetDevice(FALSE));
  EXPECT_NE(nullptr, store.GetStateBlock(0));
  EXPECT_NE(nullptr, store.GetStateBlock(1));
  EXPECT_EQ(2u, log.With("BeginStateBlock").size());
  EXPECT_EQ(2u, log.With("Apply").size());  // each recording inside a push and pop
  EXPECT_EQ(0, device.GetStateDepth());

  // A block that cannot be made fails the reset.
  d->m_createStateBlockResult = E_FAIL;
  EXPECT_FALSE(device.ResetDevice(FALSE));

  device.Destroy();
  EXPECT_EQ(0, store.GetShaderCount());
  EXPECT_EQ(nullptr, store.GetStateBlock(0));
  EXPECT_EQ(1u, vs->RefCount());
  vs->Release();
}

TEST_F(FakeD3DTest, PaletteManagerDealsSlotsAgainWhenTheDeviceIsLost) {
  CDXPaletteManager palettes(2);
  CDXPaletteEntry* a = palettes.NewEntry();
  CDXPaletteEntry* b = palettes.NewEntry();
  CDXPaletteEntry* c = palettes.NewEntry();
  EXPECT_EQ(0, a->m_nSlot);
  EXPECT_EQ(1, b->m_nSlot);
  EXPECT_EQ(CDXPaletteEntry::kNoSlot, c->m_nSlot);
  palettes.MarkUploaded(a);
  EXPECT_FALSE(a->m_bUploadNeeded);
  palettes.ReleaseEntry(b);  // freed at the next loss
  palettes.OnLostDevice(nullptr);
  EXPECT_EQ(2, palettes.GetSlotsInUse());
  EXPECT_EQ(0, c->m_nSlot);  // the unassigned one came first in the list
  EXPECT_EQ(1, a->m_nSlot);
  EXPECT_TRUE(a->m_bUploadNeeded);
  EXPECT_TRUE(c->m_bUploadNeeded);
}

// --- Windowed and full screen, gamma ---

TEST_F(FakeD3DTest, GammaOnlyFullScreenWithFullScreenGamma) {
  struct Row {
    const char* name;
    bool windowedOk;  // false: the device is created full screen
    DWORD caps2;
    size_t ramps;
  };
  const Row rows[] = {
      {"windowed", true, D3DCAPS2_FULLSCREENGAMMA, 0},
      {"full screen without the cap", false, 0, 0},
      {"full screen with the cap", false, D3DCAPS2_FULLSCREENGAMMA, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    device.Destroy();
    fake->m_adapters = {StandardAdapter()};
    fake->m_adapters[0].windowedOk = row.windowedOk;
    fake->m_adapters[0].halCaps.Caps2 = row.caps2;
    FakeDevice* d = Create();
    ASSERT_NE(nullptr, d);
    device.SetGammaScale(256);
    device.ApplyGamma();
    ASSERT_EQ(row.ramps, d->m_gammaRamps.size());
    if (row.ramps == 2) {
      // 1 + i * 256, then the identity i * 256.
      EXPECT_EQ(1, d->m_gammaRamps[0].red[0]);
      EXPECT_EQ(65281, d->m_gammaRamps[0].blue[255]);
      EXPECT_EQ(0, d->m_gammaRamps[1].green[0]);
      EXPECT_EQ(65280, d->m_gammaRamps[1].red[255]);
      EXPECT_EQ((std::vector<std::string>{"Gamma 1 1 65281", "Gamma 1 0 65280"}), log.With("Gamma"));
    }
  }
}

TEST_F(FakeD3DTest, ToggleFullscreenAndBackKeepsTheStateInStepWithThePresentParameters) {
  fake->m_adapters = {StandardAdapter()};
  fake->m_adapters[0].halCaps.Caps2 = D3DCAPS2_FULLSCREENGAMMA;
  FakeDevice* d = Create();
  ASSERT_NE(nullptr, d);
  const LONG style = ::GetWindowLongA(window.get(), GWL_STYLE);
  ASSERT_TRUE(device.IsWindowed());

  log.Clear();
  ASSERT_TRUE(device.ToggleFullscreen());
  EXPECT_FALSE(device.IsWindowed());
  EXPECT_FALSE(d->m_pp.Windowed);
  EXPECT_EQ(800u, d->m_pp.BackBufferWidth);
  EXPECT_EQ(D3DFMT_R5G6B5, d->m_pp.BackBufferFormat);
  EXPECT_EQ(static_cast<LONG>(WS_POPUP | WS_VISIBLE), ::GetWindowLongA(window.get(), GWL_STYLE) & ~WS_CLIPSIBLINGS);
  EXPECT_EQ(1u, log.With("Reset").size());  // same adapter and type: no re-creation
  EXPECT_EQ(1, fake->m_nDevicesCreated);
  EXPECT_EQ(2u, log.With("Gamma").size());  // the device's gamma scale after the reset

  log.Clear();
  ASSERT_TRUE(device.ToggleFullscreen());
  EXPECT_TRUE(device.IsWindowed());
  EXPECT_TRUE(d->m_pp.Windowed);
  EXPECT_EQ(D3DFMT_X8R8G8B8, d->m_pp.BackBufferFormat);
  EXPECT_EQ(style, ::GetWindowLongA(window.get(), GWL_STYLE));
  // The identity ramp on the way out of full screen.
  EXPECT_EQ((std::vector<std::string>{"Gamma 1 1 65281", "Gamma 1 0 65280"}), log.With("Gamma"));

  // Only a windowed-usable record can become the windowed one.
  EXPECT_FALSE(device.SwitchRecord(device.GetFullscreenRecord()));
  DX3DDeviceRecord same = device.GetWindowedRecord();
  log.Clear();
  EXPECT_TRUE(device.SwitchRecord(same));
  EXPECT_EQ(1u, log.With("Reset").size());
}

TEST_F(FakeD3DTest, ACreatedDeviceWithoutAWindowedRecordIsFullScreenAndStaysSo) {
  fake->m_adapters = {StandardAdapter()};
  fake->m_adapters[0].windowedOk = false;
  FakeDevice* d = Create();
  ASSERT_NE(nullptr, d);
  EXPECT_FALSE(device.IsWindowed());
  EXPECT_TRUE(device.GetCurrentRecord().valid);
  // A re-creation keeps the state that matches the records.
  ASSERT_TRUE(device.ResetDevice(TRUE));
  EXPECT_FALSE(device.IsWindowed());
  EXPECT_FALSE(fake->m_lastPresentParameters.Windowed);
  // No windowed record to go back to.
  EXPECT_FALSE(device.ToggleFullscreen());
}

// --- The launcher's mode list ---

std::wstring Wide(const CString& s) {
  int n = ::MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
  std::wstring out(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1)
    ::MultiByteToWideChar(CP_ACP, 0, s, -1, &out[0], n);
  return out;
}

TEST_F(FakeD3DTest, ModeListWithLabelsAndTheRunningModeSelected) {
  fake->m_adapters = {StandardAdapter()};
  fake->m_adapters[0].modes.push_back(Mode(1600, 1200, D3DFMT_X8R8G8B8));
  fake->m_adapters[0].modes.push_back(Mode(2048, 1536, D3DFMT_X8R8G8B8));
  fake->m_adapters[0].modes.push_back(Mode(1024, 768, D3DFMT_A2R10G10B10));
  ASSERT_NE(nullptr, Create());

  CAppDX3DDeviceRequirement dialog;
  dialog.SetModeLimits();
  dialog.m_nWindowLimitWidth = 1600;
  dialog.m_nWindowLimitHeight = 1170;
  CApp3DDeviceInfoList list;
  ASSERT_EQ(7, dialog.EnumerateModes(device, list));
  std::vector<std::wstring> names;
  std::vector<BOOL> selected;
  for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) {
    const CApp3DDeviceInfo& info = list.GetNext(pos);
    CString name;
    info.GetDisplayName(name);
    names.push_back(Wide(name));
    selected.push_back(info.m_bSelected);
  }
  EXPECT_EQ((std::vector<std::wstring>{L" 800x 600 32bit 전체화면 표시", L" 800x 600 16bit 전체화면 표시",
                                       L" 800x 600 윈도우 표시", L"1024x 768 32bit 전체화면 표시",
                                       L"1024x 768 16bit 전체화면 표시", L"1024x 768 윈도우 표시",
                                       L"1600x1200 32bit 전체화면 표시"}),
            names);
  // Nothing runs at a listed size in a window (the back buffer is the
  // window's client area): the first windowed entry is the default.
  EXPECT_EQ((std::vector<BOOL>{FALSE, FALSE, TRUE, FALSE, FALSE, FALSE, FALSE}), selected);

  // The same mode list says "not in the list" for a mode it lacks.
  CApp3DDeviceInfo probe;
  probe.m_bWindowed = TRUE;
  probe.m_record.width = 1024;
  probe.m_record.height = 768;
  EXPECT_FALSE(IsModeInList(list, probe));
  probe.m_record.width = 1280;
  EXPECT_TRUE(IsModeInList(list, probe));

  // The launcher's own limits offer 800 x 600 only.
  ASSERT_EQ(3, launcher.EnumerateModes(device, list));
}

TEST_F(FakeD3DTest, AntialiasChoicesAndNames) {
  CDX3DAntialiasInfoList list;
  list.AddTail(CDX3DAntialiasInfo(8));
  ASSERT_EQ(3, FillAntialiasList(list));
  std::vector<std::wstring> names;
  for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) {
    CString name("x");
    GetAntialiasName(list.GetNext(pos), name);
    names.push_back(Wide(name));
  }
  EXPECT_EQ((std::vector<std::wstring>{L"앤티 앨리어스 없음", L"앤티 앨리어스 2배", L"앤티 앨리어스 4배"}), names);
  CString name("x");
  GetAntialiasName(CDX3DAntialiasInfo(3), name);
  EXPECT_TRUE(name.IsEmpty());
}

// --- "select_device" in the registry ---

std::string ReadRegistryString(const char* subkey, const char* value, DWORD* type) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return "<missing key>";
  char buf[256] = {};
  DWORD size = sizeof buf - 1;
  LONG rc = ::RegQueryValueExA(key, value, nullptr, type, reinterpret_cast<BYTE*>(buf), &size);
  ::RegCloseKey(key);
  return rc == ERROR_SUCCESS ? std::string(buf) : "<missing value>";
}

TEST_F(FakeD3DTest, SelectDeviceRoundTripThroughTheProfile) {
  static bool init = false;
  if (!init) {
    init = true;
    AfxWinInit(::GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL);
    g_app.SetRegistryKey("QuorlD3DTest");
  }
  const char kKey[] = "Software\\QuorlD3DTest\\QuorlD3DFakeTest\\window";
  g_app.WriteProfileString("window", nullptr, nullptr);  // a clean section

  int values[6] = {9, 9, 9, 9, 9, 9};
  CAppDX3DDeviceRequirement::LoadSelectDevice("window", values);
  EXPECT_EQ((std::vector<int>{0, 0, 800, 600, 22, 0}), std::vector<int>(values, values + 6));

  CApp3DDeviceInfo entry;
  entry.m_bWindowed = TRUE;
  entry.m_record.width = 1024;
  entry.m_record.height = 768;
  entry.m_record.format = D3DFMT_X8R8G8B8;
  ASSERT_TRUE(CAppDX3DDeviceRequirement::SaveSelectDevice(entry, "window"));
  DWORD type = 0;
  EXPECT_EQ("0,0,1024,768,22,1", ReadRegistryString(kKey, "select_device", &type));
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
  int back[6] = {};
  CAppDX3DDeviceRequirement::LoadSelectDevice("window", back);
  EXPECT_EQ((std::vector<int>{0, 0, 1024, 768, 22, 1}), std::vector<int>(back, back + 6));

  // A value that does not scan leaves the caller's presets, from the first
  // field that fails.
  g_app.WriteProfileString("window", "select_device", "full screen");
  int preset[6] = {0, 0, 0, 0, 0, 0};
  CAppDX3DDeviceRequirement::LoadSelectDevice("window", preset);
  EXPECT_EQ((std::vector<int>{0, 0, 0, 0, 0, 0}), std::vector<int>(preset, preset + 6));
  g_app.WriteProfileString("window", "select_device", "1280 by 1024");
  CAppDX3DDeviceRequirement::LoadSelectDevice("window", preset);
  EXPECT_EQ((std::vector<int>{1280, 0, 0, 0, 0, 0}), std::vector<int>(preset, preset + 6));
  g_app.WriteProfileString("window", nullptr, nullptr);
}

}  // namespace
