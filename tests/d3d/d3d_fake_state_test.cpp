// The render-state cache over the fake Direct3D 9: what a reset sends again
// and in which order, the setters that send only changes, fog, depth bias,
// lights, the state stack, and the device objects that hear of lost, reset
// and destroyed devices.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "d3d/dx3d_device.h"
#include "d3d/launcher_device.h"
#include "res/resource.h"
#include "tests/d3d/fake_d3d9.h"
#include "tests/d3d/fake_d3d_fixture.h"

namespace {

// --- Re-sending the cache ---

std::vector<std::string> AlwaysSent(const std::string& viewport) {
  std::vector<std::string> calls = {"RS LIGHTING 1",
                                    "RS ALPHABLENDENABLE 0",
                                    "RS ALPHATESTENABLE 0",
                                    "RS ALPHAREF 0",
                                    "RS ZENABLE 1",
                                    "RS ZWRITEENABLE 1",
                                    "RS STENCILENABLE 0",
                                    "RS STENCILREF 0",
                                    "RS STENCILMASK 4294967295",
                                    "RS STENCILWRITEMASK 4294967295",
                                    "RS FOGENABLE 0",
                                    "RS NORMALIZENORMALS 0",
                                    "RS SPECULARENABLE 0",
                                    "RS COLORWRITEENABLE 15",
                                    "RS DITHERENABLE 0",
                                    "RS MULTISAMPLEANTIALIAS 1",
                                    "RS AMBIENT 0",
                                    "RS TEXTUREFACTOR 0",
                                    "VS null"};
  for (int stage = 0; stage < 8; ++stage) {
    calls.push_back("TSS " + std::to_string(stage) + " 11 " + std::to_string(stage));
    calls.push_back("TSS " + std::to_string(stage) + " 24 0");
  }
  for (int light = 0; light < 8; ++light) calls.push_back("LightEnable " + std::to_string(light) + " 0");
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
    if (stage == 1) expected.push_back("TSS 1 1 4");
    expected.push_back("TSS " + std::to_string(stage) + " 11 " + std::to_string(stage));
    expected.push_back("TSS " + std::to_string(stage) + " 24 0");
  }
  expected.push_back("SS 0 6 2");
  expected.push_back("Light 0 type 3 dir 0 diffuse 0 ambient 0");
  expected.push_back("LightEnable 0 1");
  for (int light = 1; light < 8; ++light) expected.push_back("LightEnable " + std::to_string(light) + " 0");
  expected.push_back(ViewportOf(d->m_pp));
  EXPECT_EQ(expected, log.calls);
}

// The states that start with a value are sent again whatever it is: for a
// reference, a mask or a colour, 0x7FFFFFFF is a value like any other.
TEST_F(FakeD3DTest, ApplyAllSendsTheAlwaysSentStatesEvenAtTheUnsetMarker) {
  fake->m_adapters = {StandardAdapter()};
  FakeDevice* d = Create();
  ASSERT_NE(nullptr, d);
  const struct {
    D3DRENDERSTATETYPE state;
    const char* sent;
  } rows[] = {
      {D3DRS_ALPHAREF, "RS ALPHAREF 2147483647"},       {D3DRS_STENCILREF, "RS STENCILREF 2147483647"},
      {D3DRS_STENCILMASK, "RS STENCILMASK 2147483647"}, {D3DRS_STENCILWRITEMASK, "RS STENCILWRITEMASK 2147483647"},
      {D3DRS_AMBIENT, "RS AMBIENT 2147483647"},         {D3DRS_TEXTUREFACTOR, "RS TEXTUREFACTOR 2147483647"},
  };
  for (const auto& row : rows) ASSERT_TRUE(device.SetRenderState(row.state, CDXRenderState::kUnsetRenderState));
  log.Clear();
  device.ApplyAll();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.sent);
    EXPECT_EQ(1, std::count(log.calls.begin(), log.calls.end(), std::string(row.sent)));
  }

  // AMBIENT 0x7FFFFFFF is a colour in the summed ambient too: alpha 0x7F,
  // white.
  device.AttachVertexShaderCache(&device.GetVertexShaderStore());
  CDXRenderState::LightBlock lights = {};
  device.SetLights(lights);
  const float* ambient = device.GetConstantRegister(CDXRenderState::kRegisterAmbient);
  EXPECT_EQ(1.0f, ambient[0]);
  EXPECT_EQ(1.0f, ambient[1]);
  EXPECT_EQ(1.0f, ambient[2]);
  EXPECT_EQ(127.0f / 255.0f, ambient[3]);
  device.AttachVertexShaderCache(nullptr);
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
  EXPECT_EQ((std::vector<std::string>{"RS ZFUNC 2", "RS LIGHTING 0", "RS 136 1", "RS 136 1", "SS 0 1 3"}), log.calls);
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
  EXPECT_EQ(
      (std::vector<std::string>{"CreateStateBlock 1", "Capture 1", "RS ZFUNC 8", "CreateStateBlock 1", "Apply 1"}),
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
  EXPECT_EQ((std::vector<std::string>{"obj 3 lost", "obj 2 lost", "obj 1 lost", "Reset", "obj 3 reset", "obj 2 reset",
                                      "obj 1 reset"}),
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

}  // namespace
