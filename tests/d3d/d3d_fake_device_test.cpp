// The device library over a fake Direct3D 9 that reports chosen adapters,
// modes, formats and caps and records every call: enumeration and
// selection, creation errors, the launcher's present parameters, windowed
// and full-screen switching with gamma, the mode list and "select_device".
// Every case ends with no fake object alive.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "d3d/dx3d_device.h"
#include "d3d/launcher_device.h"
#include "res/resource.h"
#include "settings/settings_device.h"
#include "tests/d3d/fake_d3d9.h"
#include "tests/d3d/fake_d3d_fixture.h"

class CFakeTestApp : public CWinApp {
 public:
  CFakeTestApp() : CWinApp("QuorlD3DFakeTest") {}
};
CFakeTestApp theTestApp;
CWinApp& g_app = theTestApp;

namespace {

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
      {"one HAL adapter, launcher", [](std::vector<FakeAdapter>& a) { a = {StandardAdapter()}; }, Req::kLauncher, true,
       0, "a0 HAL 0x54 800x600 f22 d75 w f", "a0 HAL 0x54 800x600 f23 d75 f", 1},
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
       [](std::vector<FakeAdapter>& a) {
         a = {StandardAdapter(), StandardAdapter()};
       },
       Req::kLauncher, true, 0, "a0 HAL 0x54 800x600 f22 d75 w f", "a0 HAL 0x54 800x600 f23 d75 f", 1},
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
      {"no adapters", [](std::vector<FakeAdapter>& a) { a.clear(); }, Req::kLauncher, false, 0x82000003, "-", "-", -1},
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
      case Req::kNone:
        req = nullptr;
        break;
      case Req::kBase:
        req = &base;
        break;
      case Req::kLauncher:
        req = &launcher;
        break;
      case Req::kLauncherWindowRequired:
        req = &windowRequired;
        break;
      case Req::kBaseNoDepth:
        req = &baseNoDepth;
        break;
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
  for (const DX3DDeviceRecord& r : records) got.push_back(Describe(r));
  const std::vector<std::string> expected = {"a0 HAL 0x54 800x600 f23 d75 f", "a0 HAL 0x54 800x600 f22 d75 w f",
                                             "a0 HAL 0x54 1024x768 f23 d75 f", "a0 HAL 0x54 1024x768 f22 d75 w f",
                                             "a0 REF 0x44 800x600 f23 d75 f", "a0 REF 0x44 800x600 f22 d75 w f",
                                             "a0 REF 0x44 1024x768 f23 d75 f", "a0 REF 0x44 1024x768 f22 d75 w f",
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
      {"4 samples refused for the depth format",
       4,
       1,
       1,
       {{D3DFMT_X8R8G8B8, 4}},
       TRUE,
       1,
       D3DPRESENT_INTERVAL_ONE,
       D3DMULTISAMPLE_NONE},
      {"4 samples for both formats",
       4,
       1,
       1,
       {{D3DFMT_X8R8G8B8, 4}, {D3DFMT_D24S8, 4}},
       TRUE,
       1,
       D3DPRESENT_INTERVAL_ONE,
       D3DMULTISAMPLE_4_SAMPLES},
      {"multisampling not allowed",
       4,
       1,
       1,
       {{D3DFMT_X8R8G8B8, 4}, {D3DFMT_D24S8, 4}},
       FALSE,
       1,
       D3DPRESENT_INTERVAL_ONE,
       D3DMULTISAMPLE_NONE},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    device.Destroy();
    fake->m_adapters = {StandardAdapter()};
    fake->m_adapters[0].multisample = row.multisample;
    launcher.m_presentSettings.antialias = row.antialias;
    launcher.m_presentSettings.sync = row.sync;
    launcher.m_presentSettings.bbc = row.bbc;
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

// --- What the graphics settings read from the device ---

TEST_F(FakeD3DTest, TheSettingsReadTheCurrentRecordCapsAndChecks) {
  fake->m_adapters = {StandardAdapter()};
  FakeAdapter& a = fake->m_adapters[0];
  a.halCaps.RasterCaps = D3DPRASTERCAPS_FOGTABLE | D3DPRASTERCAPS_WFOG;
  a.halCaps.Caps2 = D3DCAPS2_FULLSCREENGAMMA;
  a.halCaps.PixelShaderVersion = D3DPS_VERSION(3, 0);
  a.identifier.VendorId = 0x10DE;
  a.identifier.DeviceId = 0x0171;
  a.textureFormats = {D3DFMT_A4R4G4B4};
  a.multisample = {{D3DFMT_X8R8G8B8, 2}, {D3DFMT_D24S8, 2}};
  FakeDevice* d = Create();
  ASSERT_NE(nullptr, d);
  CDX3DSettingsDevice settings(device);
  EXPECT_EQ(0x54u, settings.GetBehaviorFlags());
  EXPECT_EQ(static_cast<uint32_t>(D3DVS_VERSION(3, 0)), settings.GetVertexShaderVersion());
  EXPECT_EQ(static_cast<uint32_t>(D3DPS_VERSION(3, 0)), settings.GetPixelShaderVersion());
  uint32_t vendor = 0, id = 0;
  ASSERT_TRUE(settings.GetAdapterIds(&vendor, &id));
  EXPECT_EQ(0x10DEu, vendor);
  EXPECT_EQ(0x0171u, id);
  EXPECT_TRUE(settings.CheckTextureFormat(D3DFMT_A4R4G4B4, D3DUSAGE_RENDERTARGET));
  EXPECT_FALSE(settings.CheckTextureFormat(D3DFMT_A8R8G8B8, D3DUSAGE_RENDERTARGET));
  EXPECT_TRUE(settings.CheckMultiSample(2));
  EXPECT_FALSE(settings.CheckMultiSample(4));

  settings.SetTableFog(false);
  EXPECT_EQ(0u, device.GetCachedStates().stateWord & CDXRenderState::kTableFogWanted);
  settings.SetTableFog(true);
  EXPECT_NE(0u, device.GetCachedStates().stateWord & CDXRenderState::kTableFogWanted);

  // Windowed: the scale is kept but no ramp is sent.
  settings.SetGammaScaleAndApply(320);
  EXPECT_EQ(320, device.GetGammaScale());
  EXPECT_TRUE(d->m_gammaRamps.empty());
  ASSERT_TRUE(device.ToggleFullscreen());
  d->m_gammaRamps.clear();
  settings.SetGammaScaleAndApply(96);
  ASSERT_EQ(2u, d->m_gammaRamps.size());
  EXPECT_EQ(96 * 255, d->m_gammaRamps[1].red[255]);

  // Without a Direct3D object there are no adapter ids.
  device.Destroy();
  EXPECT_FALSE(settings.GetAdapterIds(&vendor, &id));
}

// --- Window-message handlers ---

TEST_F(FakeD3DTest, HandlersResizeSwitchRecordsAndGiveUp) {
  fake->m_adapters = {StandardAdapter()};
  FakeDevice* d = Create();
  ASSERT_NE(nullptr, d);

  // A client area like the back buffer, or empty, changes nothing.
  log.Clear();
  device.OnSize(SIZE_RESTORED, static_cast<int>(d->m_pp.BackBufferWidth), static_cast<int>(d->m_pp.BackBufferHeight));
  device.OnSize(SIZE_RESTORED, 0, 100);
  device.OnSize(SIZE_MINIMIZED, 300, 200);
  EXPECT_TRUE(log.With("Reset").empty());
  // A new size resets the device to the window's client area.
  ::SetWindowPos(window.get(), nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
  SIZE client = window.ClientSize();
  device.OnSize(SIZE_RESTORED, client.cx, client.cy);
  EXPECT_EQ(1u, log.With("Reset").size());
  EXPECT_EQ(static_cast<UINT>(client.cx), d->m_pp.BackBufferWidth);

  // The desktop went to 16 bits: the windowed record follows it.
  fake->m_adapters[0].desktop = Mode(1024, 768, D3DFMT_R5G6B5);
  log.Clear();
  device.OnSettingChange(0, 0);
  EXPECT_EQ(D3DFMT_R5G6B5, device.GetWindowedRecord().format);
  EXPECT_EQ(D3DFMT_R5G6B5, d->m_pp.BackBufferFormat);
  EXPECT_EQ(1u, log.With("Reset").size());

  // Activation with a current record gone switches to full screen; a switch
  // that cannot be made asks the window's thread to quit with -1.
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  fake->m_adapters[0].windowedOk = false;
  fake->m_adapters[0].desktop = Mode(1024, 768, D3DFMT_X8R8G8B8);
  ::ShowWindow(window.get(), SW_SHOWMINIMIZED);
  device.OnSettingChange(0, 0);  // minimised: the windowed record is dropped
  EXPECT_FALSE(device.GetWindowedRecord().valid);
  ::ShowWindow(window.get(), SW_RESTORE);
  device.OnActivate(TRUE, nullptr, FALSE);
  EXPECT_FALSE(device.IsWindowed());
  EXPECT_FALSE(d->m_pp.Windowed);
  EXPECT_FALSE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  // Full screen with no windowed record to go back to.
  EXPECT_FALSE(device.ToggleFullscreen());
  device.OnFatal();
  ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(static_cast<WPARAM>(-1), msg.wParam);
}

// --- The launcher's mode list ---

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
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<missing key>";
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
