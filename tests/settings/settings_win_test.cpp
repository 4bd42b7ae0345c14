// The settings records against the real registry, string table, DirectDraw
// and d3d9 under Wine: what the game client will read back, the reset, the
// hint texts as the user sees them and the defaults on the real adapter.
#include <initguid.h>

#include <windows.h>
#include <ddraw.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "d3d/launcher_device.h"
#include "res/resource.h"
#include "settings/env_settings_win.h"
#include "settings/graphic_setting.h"
#include "settings/profile_store_win.h"
#include "settings/settings_device.h"
#include "settings/sound_setting.h"
#include "settings/video_memory.h"
#include "tests/settings/fake_settings_env.h"
#include "tests/settings/settings_win_fixture.h"

namespace {

using RegistryTest = SettingsWinTest;

// ---------------------------------------------------------------------------
// Registry round trip

struct Stored {
  const char* section;
  const char* name;
  DWORD value;
};

TEST_F(RegistryTest, SavedValuesAreDwordsThatAPlainReadSees) {
  CAppProfileStore profile(SettingsTestApp());
  CGraphicSetting graphic;
  GraphicRecord& u = graphic.GetUser();
  // Distinct values, so that a value under a wrong key shows.
  int32_t* fields[] = {&u.tex2d,     &u.tex3dsize,  &u.mipmap,      &u.dxt,         &u.tex_model,     &u.visible_model,
                       &u.particles, &u.antialias,  &u.sync,        &u.pixelfog,    &u.bbc,           &u.dvrst,
                       &u.ocean_set, &u.ocean_type, &u.ocean_shoal, &u.ocean_wave,  &u.ocean_reflect, &u.ocean_refract,
                       &u.ocean_sun, &u.ocean_tex,  &u.lens,        &u.landreflect, &u.landrefract,   &u.landsurface,
                       &u.farclip,   &u.shadow,     &u.sway,        &u.land_m,      &u.land_r,        &u.seafov,
                       &u.seafar,    &u.shootrange, &u.fontsample,  &u.gamma};
  int32_t next = 101;
  for (int32_t* f : fields) *f = next++;
  u.ocean_set = 3;
  u.gamma = -5;
  u.maxlod = 200;
  ASSERT_TRUE(graphic.SaveRenderS(profile, "render_s"));
  ASSERT_TRUE(graphic.SaveRenderD(profile, "render_d"));
  CSoundSetting sound;
  sound.SetSe(3);
  sound.SetSeMute(1);
  sound.SetBgm(7);
  sound.SetBgmMute(1);
  sound.SetMovieSet(0);
  ASSERT_TRUE(sound.Save(profile, "sound"));

  const Stored expected[] = {
      {"render_s", "2dtex", 101},
      {"render_s", "3dtexsize", 102},
      {"render_s", "mipmap", 103},
      {"render_s", "dxt", 104},
      {"render_d", "tex_model", 105},
      {"render_d", "visible_model", 106},
      {"render_s", "particles", 107},
      {"render_s", "antialias", 108},
      {"render_s", "sync", 109},
      {"render_d", "pixelfog", 110},
      {"render_s", "bbc", 111},
      {"render_s", "dvrst", 112},
      {"render_d", "ocean_set", 3},
      {"render_d", "ocean_type", 114},
      {"render_d", "ocean_shoal", 115},
      {"render_d", "ocean_wave", 116},
      {"render_d", "ocean_reflect", 117},
      {"render_d", "ocean_refract", 118},
      {"render_d", "ocean_sun", 119},
      {"render_s", "ocean_tex", 120},
      {"render_s", "lens", 121},
      {"render_d", "landreflect", 122},
      {"render_d", "landrefract", 123},
      {"render_d", "landsurface", 124},
      {"render_d", "farclip", 125},
      {"render_d", "shadow", 126},
      {"render_d", "sway", 127},
      {"render_s", "land_m", 128},
      {"render_s", "land_r", 129},
      {"render_d", "seafov", 130},
      {"render_d", "seafar", 131},
      {"render_d", "shootrange", 132},
      {"render_d", "fontsample", 133},
      {"render_d", "gamma", 0xFFFFFFFBu},
      {"render_s", "maxlod", 200},
      {"sound", "se", 3},
      {"sound", "se_mute", 1},
      {"sound", "bgm", 7},
      {"sound", "bgm_mute", 1},
      {"sound", "movie_set", 0},
  };
  for (const Stored& s : expected) {
    SCOPED_TRACE(std::string(s.section) + "/" + s.name);
    RegValue v = ReadRegValue(s.section, s.name);
    ASSERT_TRUE(v.present);
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), v.type);
    EXPECT_EQ(sizeof(DWORD), v.data.size());
    EXPECT_EQ(s.value, v.AsDword());
  }
  // Nothing else: rt_format has no key, and the sound section holds only
  // the five values the pages can change.
  EXPECT_FALSE(ReadRegValue("render_s", "rt_format").present);
  for (const char* name : {"se_loc_software", "se_3d_algo", "device_name", "bgm_available", "se_available"}) {
    EXPECT_FALSE(ReadRegValue("sound", name).present) << name;
  }
}

TEST_F(RegistryTest, ReadButNeverWrittenValuesAreLeftAsStored) {
  WriteRegDword("sound", "se_loc_software", 7);
  WriteRegString("sound", "se_3d_algo", "2");  // not a DWORD: read as missing, kept as it is
  WriteRegString("sound", "device_name", "  SB Live! \t");
  const std::string before = SnapshotProfile();

  CAppProfileStore profile(SettingsTestApp());
  CSoundSetting sound;
  sound.Load(profile, "sound");
  EXPECT_EQ(7, sound.GetSeLocSoftware());
  EXPECT_EQ(1, sound.GetSe3dAlgo());
  EXPECT_EQ(CString("SB Live!"), sound.GetDeviceName());
  sound.SetSeLocSoftware(0);
  ASSERT_TRUE(sound.Save(profile, "sound"));

  const std::string after = SnapshotProfile();
  for (const char* name : {"se_loc_software", "se_3d_algo", "device_name"}) {
    std::string line = std::string("sound/") + name + "=";
    size_t a = before.find(line);
    size_t b = after.find(line);
    ASSERT_NE(std::string::npos, a) << name;
    ASSERT_NE(std::string::npos, b) << name;
    EXPECT_EQ(before.substr(a, before.find('\n', a) - a), after.substr(b, after.find('\n', b) - b)) << name;
  }
  EXPECT_EQ(REG_SZ, ReadRegValue("sound", "device_name").type);
}

TEST_F(RegistryTest, PresetOceanSetLeavesTheStoredSeaValues) {
  const char* sea[] = {"ocean_type", "ocean_shoal", "ocean_wave", "ocean_reflect", "ocean_refract", "ocean_sun"};
  for (const char* name : sea) WriteRegDword("render_d", name, 9);
  CAppProfileStore profile(SettingsTestApp());
  CGraphicSetting graphic;
  graphic.GetUser().ocean_set = 1;
  graphic.GetUser().ocean_sun = 4;
  ASSERT_TRUE(graphic.SaveRenderD(profile, "render_d"));
  for (const char* name : sea) EXPECT_EQ(9u, ReadRegValue("render_d", name).AsDword()) << name;
  EXPECT_EQ(1u, ReadRegValue("render_d", "ocean_set").AsDword());

  // Read back: the preset row, whatever is stored.
  graphic.LoadRenderD(profile, "render_d");
  EXPECT_EQ(2, graphic.GetUser().ocean_sun);
}

// The settings dialog's load at its opening, with the application's
// device, its profile and the sound test on its main window (none: no
// test).
void LoadAppEnvSettings() {
  CQuorlLauncherApp& app = *GetLauncherApp();
  CDX3DSettingsDevice device(app.GetDevice());
  LoadEnvSettingsFromProfile(app, app.m_pMainWnd != nullptr ? app.m_pMainWnd->GetSafeHwnd() : nullptr, device);
}

struct LoadCase {
  const char* section;
  const char* name;
  DWORD stored;
  int32_t GraphicRecord::*field;
  int32_t expected;
};

TEST_F(RegistryTest, LoadSequenceReadsStoredValuesWithTheirClamps) {
  // Each value stored by a plain registry write, as the game client or an
  // older launcher may have left it.
  const LoadCase rows[] = {
      {"render_s", "3dtexsize", 7, &GraphicRecord::tex3dsize, 2},
      {"render_d", "tex_model", 5, &GraphicRecord::tex_model, 10},
      {"render_d", "visible_model", 0xFFFFFFFFu, &GraphicRecord::visible_model, 100},
      {"render_d", "farclip", static_cast<DWORD>(-3), &GraphicRecord::farclip, 0},
      {"render_d", "shadow", 0, &GraphicRecord::shadow, 0},
      {"render_d", "gamma", 150, &GraphicRecord::gamma, 150},
      {"render_s", "antialias", 4, &GraphicRecord::antialias, 4},
      {"render_s", "particles", 500, &GraphicRecord::particles, 500},
  };
  for (const LoadCase& c : rows) WriteRegDword(c.section, c.name, c.stored);
  WriteRegDword("render_s", "maxlod", 259);
  WriteRegString("render_s", "2dtex", "2");  // a text where a number belongs: the default stays
  WriteRegString("sound", "device_name", " Speakers ");
  WriteRegDword("sound", "bgm_mute", 1);
  const std::string before = SnapshotProfile();

  std::string message;
  ASSERT_TRUE(InitTestDevice(&message)) << message;
  LoadAppEnvSettings();
  const GraphicRecord& u = GetGraphicSetting().GetUser();
  for (const LoadCase& c : rows) EXPECT_EQ(c.expected, u.*c.field) << c.name;
  EXPECT_EQ(3, u.maxlod);
  EXPECT_EQ(1, u.tex2d);
  EXPECT_EQ(1, GetSoundSetting().GetBgmMute());
  EXPECT_EQ(CString("Speakers"), GetSoundSetting().GetDeviceName());
  EXPECT_EQ(1, GetSoundSetting().GetBgmAvailable());
  EXPECT_EQ(1, GetSoundSetting().GetSeAvailable());
  EXPECT_EQ(336, SettingsTestApp().GetDevice().GetGammaScale());
  // Loading writes nothing.
  EXPECT_EQ(before, SnapshotProfile());

  // Without a main window there is no sound test: both unavailable.
  CQuorlLauncherApp& app = SettingsTestApp();
  CWnd* main = app.m_pMainWnd;
  app.m_pMainWnd = nullptr;
  LoadAppEnvSettings();
  app.m_pMainWnd = main;
  EXPECT_EQ(0, GetSoundSetting().GetBgmAvailable());
  EXPECT_EQ(0, GetSoundSetting().GetSeAvailable());
}

// The dialog's load in two steps: what runs on its own thread only
// measures, and the records change only when the load ends, as the one-call
// load changes them.
TEST_F(RegistryTest, LoadBegunOnItsOwnThreadChangesTheRecordsOnlyAtItsEnd) {
  WriteRegDword("render_d", "gamma", 150);
  WriteRegDword("sound", "bgm_mute", 1);
  const std::string before = SnapshotProfile();
  std::string message;
  ASSERT_TRUE(InitTestDevice(&message)) << message;
  CQuorlLauncherApp& app = SettingsTestApp();
  CDX3DSettingsDevice device(app.GetDevice());
  CSoundSetting& sound = GetSoundSetting();
  CGraphicSetting& graphic = GetGraphicSetting();
  // Marks that only a load replaces.
  sound.SetAvailable(7);
  sound.SetAvailable2(7);
  sound.SetBgmMute(5);
  graphic.GetUser().gamma = 42;

  CEnvSettingsLoad load;
  load.Start(window);
  load.Abandon();  // waits for the measurements, loads nothing
  EXPECT_EQ(7, sound.GetBgmAvailable());
  EXPECT_EQ(7, sound.GetSeAvailable());
  EXPECT_EQ(5, sound.GetBgmMute());
  EXPECT_EQ(42, graphic.GetUser().gamma);

  load.Start(window);
  load.Finish(app, device);
  EXPECT_EQ(1, sound.GetBgmAvailable());
  EXPECT_EQ(1, sound.GetSeAvailable());
  EXPECT_EQ(1, sound.GetBgmMute());
  EXPECT_EQ(150, graphic.GetUser().gamma);
  EXPECT_EQ(336, app.GetDevice().GetGammaScale());
  EXPECT_NE(kVideoMemoryFailed, graphic.GetVideoMemoryMB());

  // Without a main window there is no sound test, as in the one-call load.
  load.Start(nullptr);
  load.Finish(app, device);
  EXPECT_EQ(0, sound.GetBgmAvailable());
  EXPECT_EQ(0, sound.GetSeAvailable());
  EXPECT_EQ(before, SnapshotProfile());
}

TEST_F(RegistryTest, ResetToDefaultsWritesNothing) {
  WriteRegDword("render_s", "2dtex", 2);
  WriteRegDword("render_d", "gamma", 180);
  WriteRegDword("render_d", "ocean_set", 0);
  std::string message;
  ASSERT_TRUE(InitTestDevice(&message)) << message;
  LoadAppEnvSettings();
  ASSERT_EQ(2, GetGraphicSetting().GetUser().tex2d);
  CDX3DSettingsDevice device(SettingsTestApp().GetDevice());
  const std::string before = SnapshotProfile();

  ResetGraphicSettingsToDefaults(device);
  CGraphicSetting& graphic = GetGraphicSetting();
  GraphicRecord defaults;
  graphic.ComputeDefaults(defaults, device);
  EXPECT_EQ(defaults.tex2d, graphic.GetUser().tex2d);
  EXPECT_EQ(100, graphic.GetUser().gamma);
  EXPECT_EQ(3, graphic.GetUser().ocean_set);
  EXPECT_EQ(defaults.ocean_sun, graphic.GetEffective().ocean_sun);
  EXPECT_EQ(256, SettingsTestApp().GetDevice().GetGammaScale());
  EXPECT_NE(kVideoMemoryFailed, graphic.GetVideoMemoryMB());
  EXPECT_EQ(before, SnapshotProfile());
}

// ---------------------------------------------------------------------------
// The real adapter

// The device's facts as the runtime itself answers them, asked straight of
// a Direct3D object of the test's own for the launcher's current record
// (its adapter, device type, formats and windowed state); the behaviour
// flags are the record's.
class CRuntimeSettingDevice : public CGraphicSettingDevice {
 public:
  CRuntimeSettingDevice(IDirect3D9* d3d, const DX3DDeviceRecord& record, bool windowed)
      : m_d3d(d3d), m_record(record), m_windowed(windowed ? TRUE : FALSE) {
    if (FAILED(m_d3d->GetDeviceCaps(record.adapter, record.deviceType, &m_caps))) m_caps = {};
  }
  uint32_t GetBehaviorFlags() override { return m_record.behaviorFlags; }
  uint32_t GetVertexShaderVersion() override { return m_caps.VertexShaderVersion; }
  uint32_t GetPixelShaderVersion() override { return m_caps.PixelShaderVersion; }
  bool GetAdapterIds(uint32_t* vendorId, uint32_t* deviceId) override {
    D3DADAPTER_IDENTIFIER9 id = {};
    if (FAILED(m_d3d->GetAdapterIdentifier(m_record.adapter, 0, &id))) return false;
    *vendorId = id.VendorId;
    *deviceId = id.DeviceId;
    return true;
  }
  bool CheckTextureFormat(uint32_t format, uint32_t usage) override {
    return format != 0 && SUCCEEDED(m_d3d->CheckDeviceFormat(m_record.adapter, m_record.deviceType, m_record.format,
                                                             usage, D3DRTYPE_TEXTURE, static_cast<D3DFORMAT>(format)));
  }
  bool CheckMultiSample(uint32_t type) override {
    const auto t = static_cast<D3DMULTISAMPLE_TYPE>(type);
    return SUCCEEDED(m_d3d->CheckDeviceMultiSampleType(m_record.adapter, m_record.deviceType, m_record.format,
                                                       m_windowed, t, nullptr)) &&
           SUCCEEDED(m_d3d->CheckDeviceMultiSampleType(m_record.adapter, m_record.deviceType, m_record.depthFormat,
                                                       m_windowed, t, nullptr));
  }
  void SetTableFog(bool) override {}
  void SetGammaScaleAndApply(int) override {}

 private:
  IDirect3D9* m_d3d;
  DX3DDeviceRecord m_record;
  BOOL m_windowed;
  D3DCAPS9 m_caps = {};
};

std::vector<int32_t> FieldsOf(const GraphicRecord& r) {
  static_assert(sizeof(GraphicRecord) % sizeof(int32_t) == 0, "a record of 32-bit fields");
  std::vector<int32_t> fields(sizeof r / sizeof(int32_t));
  std::memcpy(fields.data(), &r, sizeof r);
  return fields;
}

// The defaults on the real adapter are the rule's over what the runtime
// answers for it (the rule's own cases are the native suite's): whatever
// adapter, shader versions and formats this Wine reports, the settings see
// them through the device object as the runtime gave them.
TEST_F(RegistryTest, DefaultsOnTheRealAdapter) {
  std::string message;
  ASSERT_TRUE(InitTestDevice(&message)) << message;
  CQuorlDevice& quorl = SettingsTestApp().GetDevice();
  CDX3DSettingsDevice device(quorl);
  ASSERT_TRUE(quorl.IsWindowed());
  D3DADAPTER_IDENTIFIER9 id = {};
  ASSERT_EQ(S_OK, quorl.GetAdapterIdentifier(&id));
  SCOPED_TRACE(id.Description);

  using Create = IDirect3D9*(WINAPI*)(UINT);
  HMODULE d3d9 = ::LoadLibraryA("d3d9.dll");
  ASSERT_NE(nullptr, d3d9);
  auto create = reinterpret_cast<Create>(::GetProcAddress(d3d9, "Direct3DCreate9"));
  ASSERT_NE(nullptr, create);
  IDirect3D9* d3d = create(D3D_SDK_VERSION);
  ASSERT_NE(nullptr, d3d);
  CRuntimeSettingDevice runtime(d3d, quorl.GetCurrentRecord(), quorl.IsWindowed() != FALSE);
  EXPECT_EQ(runtime.GetVertexShaderVersion(), device.GetVertexShaderVersion());
  EXPECT_EQ(runtime.GetPixelShaderVersion(), device.GetPixelShaderVersion());
  uint32_t vendor = 0, deviceId = 0;
  ASSERT_TRUE(runtime.GetAdapterIds(&vendor, &deviceId));
  EXPECT_EQ(id.VendorId, vendor);
  EXPECT_EQ(id.DeviceId, deviceId);

  CGraphicSetting setting;
  setting.SetVideoMemoryMB(GetVideoMemoryMB());
  GraphicRecord rec, asked;
  setting.ComputeDefaults(rec, device);
  setting.ComputeDefaults(asked, runtime);
  EXPECT_EQ(FieldsOf(asked), FieldsOf(rec));
  d3d->Release();
  // No multisampling is always possible: the derive copies anti-alias 0.
  setting.GetUser() = rec;
  setting.GetEffective().antialias = 9;
  setting.DeriveEffective(device);
  EXPECT_EQ(0, setting.GetEffective().antialias);
}

// The x87 control word's precision field: 0 single, 2 double, 3 extended.
unsigned X87PrecisionControl() {
  unsigned short word = 0;
  __asm__ volatile("fnstcw %0" : "=m"(word));
  return (word >> 8) & 3u;
}

TEST_F(RegistryTest, VideoMemoryUnderWineIsAMeasurementNotAFailure) {
  // The device first, as the settings dialog has it: created without
  // D3DCREATE_FPU_PRESERVE, it leaves the x87 at single precision on the
  // i686 build, where a sum in floating point would round 4 GB - 1 bytes
  // up to 4096 MB.
  std::string message;
  ASSERT_TRUE(InitTestDevice(&message)) << message;
  // Wine's device does it on both builds; only the i686 build computes
  // its doubles on the x87, so only there does the row below show it.
  EXPECT_EQ(0u, X87PrecisionControl()) << "the device left the x87 precision alone: the row below no longer "
                                          "measures at single precision";

  // The raw figures: under Wine the total plus the primary surface lands
  // on exactly 4 GB - 1 bytes, the failure value of a 32-bit sum.
  IDirectDraw* dd = nullptr;
  ASSERT_TRUE(SUCCEEDED(::DirectDrawCreate(nullptr, &dd, nullptr)));
  IDirectDraw2* dd2 = nullptr;
  ASSERT_TRUE(SUCCEEDED(dd->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&dd2))));
  DDSCAPS caps = {};
  caps.dwCaps = DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
  DWORD total = 0;
  DWORD free = 0;
  EXPECT_TRUE(SUCCEEDED(dd2->GetAvailableVidMem(&caps, &total, &free)));
  dd2->Release();
  dd->Release();
  HDC ic = ::CreateICA("DISPLAY", nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, ic);
  const uint64_t primary = uint64_t{static_cast<uint32_t>(::GetDeviceCaps(ic, HORZRES))} *
                           static_cast<uint32_t>(::GetDeviceCaps(ic, VERTRES)) *
                           static_cast<uint32_t>(::GetDeviceCaps(ic, PLANES)) *
                           static_cast<uint32_t>(::GetDeviceCaps(ic, BITSPIXEL)) / 8;
  ::DeleteDC(ic);

  const uint32_t mb = GetVideoMemoryMB();
  EXPECT_NE(kVideoMemoryFailed, mb);
  EXPECT_EQ(static_cast<uint32_t>((uint64_t{total} + primary) >> 20), mb);
  if (uint64_t{total} + primary == 0xFFFFFFFFu) {
    EXPECT_EQ(4095u, mb);
  }
}

DWORD WINAPI AskVideoMemoryOnThread(void* answer) {
  *static_cast<uint32_t*>(answer) = GetVideoMemoryMB();
  return 0;
}

// The DirectDraw object of the first measurement is kept and asked again:
// the answer stays the one a fresh object gives, whichever thread asks, and
// after the kept object is released a new one is made.
TEST_F(RegistryTest, VideoMemoryKeptObjectAnswersAsAFreshOne) {
  std::string message;
  ASSERT_TRUE(InitTestDevice(&message)) << message;
  ReleaseVideoMemoryProbe();
  const uint32_t fresh = GetVideoMemoryMB();
  ASSERT_NE(kVideoMemoryFailed, fresh);
  EXPECT_EQ(fresh, GetVideoMemoryMB());

  uint32_t asked = 0;
  HANDLE thread = ::CreateThread(nullptr, 0, &AskVideoMemoryOnThread, &asked, 0, nullptr);
  ASSERT_NE(nullptr, thread);
  ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread, 60000));
  ::CloseHandle(thread);
  EXPECT_EQ(fresh, asked);

  ReleaseVideoMemoryProbe();
  ReleaseVideoMemoryProbe();  // nothing kept: nothing to do
  EXPECT_EQ(fresh, GetVideoMemoryMB());
}

// ---------------------------------------------------------------------------
// Hint texts

// Every hint string, byte for byte (trailing spaces included).
struct HintString {
  UINT id;
  const char* utf8;
};

const HintString kHintStrings[] = {
    {IDS_HINT_TEX2D, u8"2D 그래픽의 해상도를 설정합니다."},
    {IDS_HINT_TEX2D_REC, u8" (권장 : 높음)"},
    {IDS_HINT_TEX2D_REC + 1, u8" (권장 : 보통)"},
    {IDS_HINT_TEX2D_REC + 2, u8" (권장 : 낮음)"},
    {IDS_HINT_TEX3D, u8"3D캐릭터 텍스처의 해상도를 설정합니다."},
    {IDS_HINT_TEX3D_REC, u8" (권장 : 높음)"},
    {IDS_HINT_TEX3D_REC + 1, u8" (권장 : 보통)"},
    {IDS_HINT_TEX3D_REC + 2, u8" (권장 : 낮음)"},
    {IDS_HINT_MIPMAP,
     u8"밉맵을 사용할지의 여부를 설정합니다. 밉맵을 사용하면 텍스처가 아름답게 표시되지만, 속도가 느려집니다."},
    {IDS_HINT_MIPMAP_REC_OFF, u8" (권장 : 사용하지 않음)"},
    {IDS_HINT_MIPMAP_REC_ON, u8" (권장 : 사용)"},
    {IDS_HINT_DXT,
     u8"압축 텍스처를 사용할지의 여부를 설정합니다. 사용하지 않으면 텍스처가 아름답게 표시되지만, 속도가 느려집니다."},
    {IDS_HINT_DXT_REC_OFF, u8" (권장 : 사용하지 않음) "},
    {IDS_HINT_DXT_REC_ON, u8" (권장 : 사용)"},
    {IDS_HINT_ANTIALIAS, u8"폴리곤의 선처리를 부드럽게 할 것인가의 여부를 설정합니다."},
    {IDS_HINT_FOG, u8"포그(안개)의 표시방법을 설정합니다. 픽셀 포그로 하면 오브젝트가 부드럽고 아름답게 표시됩니다."},
    {IDS_HINT_OCEAN, u8"바다의 표시를 설정합니다."},
    {IDS_HINT_OCEAN_REC, u8" (권장 : 낮음/커스텀)"},
    {IDS_HINT_OCEAN_REC + 1, u8" (권장 : 보통/커스텀)"},
    {IDS_HINT_OCEAN_REC + 2, u8" (권장 : 높음/커스텀)"},
    {IDS_HINT_OCEAN_TYPE, u8"파도의 표시를 설정합니다. 리얼, 최상으로 할 수록 바다가 아름답게 표시됩니다."},
    {IDS_HINT_OCEAN_TYPE_REC, u8" (권장 : 표준)"},
    {IDS_HINT_OCEAN_TYPE_REC + 1, u8" (권장 : 리얼)"},
    {IDS_HINT_OCEAN_TYPE_REC + 2, u8" (권장 : 최상)"},
    {IDS_HINT_SHOAL, u8"여울(얕은 바다) 표시의 유무를 설정합니다."},
    {IDS_HINT_SHOAL_REC_OFF, u8" (권장 : 없음)"},
    {IDS_HINT_SHOAL_REC_ON, u8" (권장 : 있음)"},
    {IDS_HINT_WAVE, u8"항해궤적, 거품의 표시를 설정합니다"},
    {IDS_HINT_WAVE_REC, u8" (권장 : 하지 않음)"},
    {IDS_HINT_WAVE_REC + 1, u8" (권장 : 자신만)"},
    {IDS_HINT_WAVE_REC + 2, u8" (권장 : 모든 배)"},
    {IDS_HINT_WAVE_REC + 3, u8" (권장 : 전부)"},
    {IDS_HINT_REFLECT, u8"바다에 반사하는 오브젝트의 표시를 설정합니다."},
    {IDS_HINT_REFLECT_REC, u8" (권장 : 없음)"},
    {IDS_HINT_REFLECT_REC + 1, u8" (권장 : 자신만)"},
    {IDS_HINT_REFLECT_REC + 2, u8" (권장 : 모든 배)"},
    {IDS_HINT_REFLECT_REC + 3, u8" (권장 : 전부)"},
    {IDS_HINT_REFRACT, u8"바다를 통해서 보는 오브젝트의 표시를 설정합니다."},
    {IDS_HINT_REFRACT_REC, u8" (권장 : 없음)"},
    {IDS_HINT_REFRACT_REC + 1, u8" (권장 : 자신만)"},
    {IDS_HINT_REFRACT_REC + 2, u8" (권장 : 모든 배)"},
    {IDS_HINT_REFRACT_REC + 3, u8" (권장 : 전부)"},
    {IDS_HINT_SUN, u8"바다에 표시하는 태양의 반사와 그림자의 표시를 설정합니다"},
    {IDS_HINT_SUN_REC, u8" (권장 : 반사 없음)"},
    {IDS_HINT_SUN_REC + 1, u8" (권장 : 그림자 없음)"},
    {IDS_HINT_SUN_REC + 2, u8" (권장 : 자신만)"},
    {IDS_HINT_SUN_REC + 3, u8" (권장 : 모든 배)"},
    {IDS_HINT_SUN_REC + 4, u8" (권장 : 전부)"},
    {IDS_HINT_OCEAN_TEX, u8"바다 텍스처의 해상도를 설정합니다. 높을수록 바다가 아릅답게 표시됩니다."},
    {IDS_HINT_OCEAN_TEX_REC, u8" (권장 : 높음)"},
    {IDS_HINT_OCEAN_TEX_REC + 1, u8" (권장 : 낮음)"},
    {IDS_HINT_LANDREFLECT, u8"수면 등에 비치는 오브젝트를 그릴지의 여부를 설정합니다."},
    {IDS_HINT_LANDREFLECT_REC_ON, u8" (권장 : 있음)"},
    {IDS_HINT_LANDREFLECT_REC_OFF, u8" (권장 : 없음)"},
    {IDS_HINT_LANDREFRACT, u8"수면 등을 통해서 볼 수 있는 오브젝트를 그릴지의 여부를 설정합니다."},
    {IDS_HINT_LANDREFRACT_REC_ON, u8" (권장 : 있음)"},
    {IDS_HINT_LANDREFRACT_REC_OFF, u8" (권장 : 없음)"},
    {IDS_HINT_LANDSURFACE, u8"수면효과의 여부를 그릴지의 여부를 설정합니다."},
    {IDS_HINT_LANDSURFACE_REC_ON, u8" (권장 : 있음) "},
    {IDS_HINT_LANDSURFACE_REC_OFF, u8" (권장 : 없음) "},
    {IDS_HINT_LENS, u8"렌즈 플레어의 표시여부를 설정합니다."},
    {IDS_HINT_FARCLIP,
     u8"육상에 표시하는 가장 먼 지점까지의 거리를 설정합니다. 처리가 느릴 경우, 가깝게 설정하면 개선될 수도 있습니다."},
    {IDS_HINT_SHADOW, u8"육상에서의 자신의 그림자의 표시방법을 설정합니다."},
    {IDS_HINT_SHADOW_REC_ON, u8" (권장 : 낮음)"},
    {IDS_HINT_SHADOW_REC_OFF, u8" (권장 : 높음)"},
    {IDS_HINT_MAXLOD,
     u8"바다에서 표시할 육지의 동적 랜더링의 해상도를 설정합니다. 높을수록 아름답게 표시되지만, 속도가 느려질 수 "
     u8"있습니다."},
    {IDS_HINT_MAXLOD_REC, u8" (권장 : 없음)"},
    {IDS_HINT_MAXLOD_REC + 1, u8" (권장 : 낮음)"},
    {IDS_HINT_MAXLOD_REC + 2, u8" (권장 : 보통)"},
    {IDS_HINT_MAXLOD_REC + 3, u8" (권장 : 높음)"},
    {IDS_HINT_SEAFOV, u8"바다에서의 시야의 각도를 설정합니다."},
    {IDS_HINT_SEAFAR, u8"바다에서의 시야의 넓고 좁음을 설정합니다. "},
    {IDS_HINT_SHOOTRANGE, u8"해양전투에서의 대포의 사정범위의 색의 옅고 짙음을 설정합니다."},
    {IDS_HINT_OCEAN_TYPE_NOTE, u8"*사용하시는 환경에서는 최고설정과 리얼설정이 같습니다."},
    {IDS_HINT_SYNC, u8"화면 재생 빈도와 그리기를 동기화할 것인가를 설정합니다."},
    {IDS_HINT_BBC, u8"백버퍼 카운트에 관하여 설정합니다. 동작이 불안정한 경우, 설정을 변경해 주세요."},
    {IDS_HINT_DVRST, u8"신의 전환시 디바이스의 초기화에 관해 설정합니다. 동작이 불안정한 경우, 설정을 변경해 주세요."},
    {IDS_HINT_LAND_M, u8"3D배경의 리소스 관리 레벨에 관해 설정합니다. 동작이 불안정한 경우, 설정을 변경해 주세요."},
    {IDS_HINT_LAND_R, u8"3D배경의 그리기 레벨에 관해 설정합니다. 동작이 불안정한 경우, 설정을 변경해 주세요."},
};

TEST(HintStrings, StringTableHoldsEveryTextExactly) {
  SettingsTestApp();
  for (const HintString& s : kHintStrings) {
    SCOPED_TRACE(s.id);
    const wchar_t* text = nullptr;
    int n = ::LoadStringW(::GetModuleHandleA(nullptr), s.id, reinterpret_cast<LPWSTR>(&text), 0);
    ASSERT_GT(n, 0);
    EXPECT_EQ(FromUtf8(s.utf8), std::wstring(text, n));
  }
  EXPECT_EQ(79u, sizeof kHintStrings / sizeof kHintStrings[0]);
}

struct HintRow {
  int item;
  const char* utf8;
};

TEST(HintStrings, ComposedTextsAsTheUserSeesThem) {
  SettingsTestApp();
  // A device without pixel shader 2.0 and with 16 MB: item 14 gets its note.
  DeviceFacts facts;
  facts.flags = 0x44;
  facts.vs = 0xFFFE0101;
  facts.ps = 0xFFFF0104;
  CFakeSettingDevice device(facts);
  GetGraphicSetting().SetVideoMemoryMB(16);
  const HintRow rows[] = {
      {0, u8"2D 그래픽의 해상도를 설정합니다. (권장 : 낮음)"},
      {3,
       u8"압축 텍스처를 사용할지의 여부를 설정합니다. 사용하지 않으면 텍스처가 아름답게 표시되지만, 속도가 느려집니다. "
       u8"(권장 : 사용)"},
      {14,
       u8"파도의 표시를 설정합니다. 리얼, 최상으로 할 수록 바다가 아름답게 표시됩니다. (권장 : 표준)\n"
       u8"*사용하시는 환경에서는 최고설정과 리얼설정이 같습니다."},
      {23, u8"수면효과의 여부를 그릴지의 여부를 설정합니다. (권장 : 없음) "},
      {28,
       u8"바다에서 표시할 육지의 동적 랜더링의 해상도를 설정합니다. 높을수록 아름답게 표시되지만, 속도가 느려질 수 "
       u8"있습니다. (권장 : 낮음)"},
      {30, u8"바다에서의 시야의 넓고 좁음을 설정합니다. "},
      {27, ""},
      {40, ""},
  };
  for (const HintRow& r : rows) {
    SCOPED_TRACE(r.item);
    CString out("stale");
    GetGraphicHintText(device, out, r.item);
    EXPECT_EQ(FromUtf8(r.utf8), FromAnsi(out));
  }
}

}  // namespace
