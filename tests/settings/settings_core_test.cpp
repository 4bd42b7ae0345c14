// The settings records: defaults from the device, registry loads with
// their clamps, the save groups, the derive step, the load sequence and the
// video-memory sum.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/env_settings.h"
#include "settings/graphic_setting.h"
#include "settings/sound_setting.h"
#include "settings/video_memory.h"
#include "tests/settings/fake_settings_env.h"

namespace {

constexpr int32_t kA8R8G8B8 = 21;
constexpr int32_t kA4R4G4B4 = 26;

// ---------------------------------------------------------------------------
// Defaults from the device

// The device-dependent defaults, in one comparable row.
struct DeviceDefaults {
  int32_t tex2d, tex3dsize, ocean_tex, rt_format, dxt, ocean_type;
  int32_t shoal, wave, reflect, refract, sun;
  int32_t farclip, shadow, sway, maxlod;
  bool operator==(const DeviceDefaults& o) const {
    return tex2d == o.tex2d && tex3dsize == o.tex3dsize && ocean_tex == o.ocean_tex && rt_format == o.rt_format &&
           dxt == o.dxt && ocean_type == o.ocean_type && shoal == o.shoal && wave == o.wave && reflect == o.reflect &&
           refract == o.refract && sun == o.sun && farclip == o.farclip && shadow == o.shadow && sway == o.sway &&
           maxlod == o.maxlod;
  }
};

void PrintTo(const DeviceDefaults& d, std::ostream* os) {
  *os << "{2dtex " << d.tex2d << ", 3dtexsize " << d.tex3dsize << ", ocean_tex " << d.ocean_tex << ", rt "
      << d.rt_format << ", dxt " << d.dxt << ", type " << d.ocean_type << ", shoal " << d.shoal << ", wave " << d.wave
      << ", reflect " << d.reflect << ", refract " << d.refract << ", sun " << d.sun << ", farclip " << d.farclip
      << ", shadow " << d.shadow << ", sway " << d.sway << ", maxlod " << d.maxlod << "}";
}

DeviceDefaults DefaultsOf(const GraphicRecord& r) {
  return {r.tex2d,      r.tex3dsize,   r.ocean_tex,  r.rt_format,     r.dxt,
          r.ocean_type, r.ocean_shoal, r.ocean_wave, r.ocean_reflect, r.ocean_refract,
          r.ocean_sun,  r.farclip,     r.shadow,     r.sway,          r.maxlod};
}

DeviceFacts Facts(uint32_t flags, uint32_t vs, uint32_t ps, uint32_t vendor = 0x1002, uint32_t device = 0x1234) {
  DeviceFacts f;
  f.flags = flags;
  f.vs = vs;
  f.ps = ps;
  f.vendor = vendor;
  f.device = device;
  return f;
}

DeviceFacts WithoutRenderTargets(DeviceFacts f) {
  f.renderTargets.clear();
  return f;
}

DeviceFacts OnlyA4R4G4B4(DeviceFacts f) {
  f.renderTargets = {static_cast<uint32_t>(kA4R4G4B4)};
  return f;
}

DeviceFacts WithoutDxt3(DeviceFacts f) {
  f.dxt3 = false;
  return f;
}

struct DefaultsCase {
  const char* name;
  DeviceFacts facts;
  uint32_t videoMemoryMB;
  DeviceDefaults expected;
};

void PrintTo(const DefaultsCase& c, std::ostream* os) { *os << c.name; }

class DefaultsTest : public testing::TestWithParam<DefaultsCase> {};

TEST_P(DefaultsTest, DeviceDependentValues) {
  const DefaultsCase& c = GetParam();
  CFakeSettingDevice device(c.facts);
  CGraphicSetting setting;
  setting.SetVideoMemoryMB(c.videoMemoryMB);
  GraphicRecord rec;
  setting.ComputeDefaults(rec, device);
  EXPECT_EQ(c.expected, DefaultsOf(rec));

  // The fixed values do not depend on the device.
  EXPECT_EQ(1, rec.mipmap);
  EXPECT_EQ(25, rec.tex_model);
  EXPECT_EQ(50, rec.visible_model);
  EXPECT_EQ(0x7FFFFFFF, rec.particles);
  EXPECT_EQ(0, rec.antialias);
  EXPECT_EQ(1, rec.sync);
  EXPECT_EQ(1, rec.pixelfog);
  EXPECT_EQ(1, rec.bbc);
  EXPECT_EQ(2, rec.dvrst);
  EXPECT_EQ(3, rec.ocean_set);
  EXPECT_EQ(1, rec.lens);
  EXPECT_EQ(0, rec.landreflect);
  EXPECT_EQ(0, rec.landrefract);
  EXPECT_EQ(0, rec.landsurface);
  EXPECT_EQ(4, rec.land_m);
  EXPECT_EQ(4, rec.land_r);
  EXPECT_EQ(1, rec.seafov);
  EXPECT_EQ(1, rec.seafar);
  EXPECT_EQ(1, rec.shootrange);
  EXPECT_EQ(5, rec.fontsample);
  EXPECT_EQ(100, rec.gamma);
}

const uint32_t kVs30 = 0xFFFE0300, kVs20 = 0xFFFE0200, kVs11 = 0xFFFE0101, kVs10 = 0xFFFE0100;
const uint32_t kPs30 = 0xFFFF0300, kPs20 = 0xFFFF0200, kPs14 = 0xFFFF0104;

INSTANTIATE_TEST_SUITE_P(
    Devices, DefaultsTest,
    testing::Values(
        // A modern pure hardware device with plenty of memory: the best of everything.
        DefaultsCase{"PureHardwareShader3",
                     Facts(0x54, kVs30, kPs30),
                     256,
                     {1, 1, 0, kA8R8G8B8, 0, 1, 2, 2, 2, 2, 3, 5, 1, 1, 3}},
        // Not pure: the best sea type needs a pure device.
        DefaultsCase{
            "HardwareNotPure", Facts(0x44, kVs30, kPs30), 256, {1, 1, 0, kA8R8G8B8, 0, 0, 2, 2, 2, 2, 3, 5, 1, 1, 3}},
        // 32 MB is low memory: small textures, the small render target first.
        DefaultsCase{
            "LowMemory32", Facts(0x54, kVs30, kPs30), 32, {2, 2, 1, kA4R4G4B4, 0, 1, 2, 2, 2, 2, 3, 0, 0, 0, 1}},
        DefaultsCase{
            "Memory33IsNotLow", Facts(0x54, kVs30, kPs30), 33, {1, 1, 0, kA8R8G8B8, 0, 1, 2, 2, 2, 2, 3, 5, 1, 1, 3}},
        // Vertex shader 1.1 only: the middle sea.
        DefaultsCase{
            "VertexShader11", Facts(0x54, kVs11, kPs14), 128, {1, 1, 0, kA8R8G8B8, 0, 0, 2, 2, 1, 1, 2, 5, 1, 1, 3}},
        // Hardware vertex processing without a vertex shader 1.1.
        DefaultsCase{
            "HardwareNoShader", Facts(0x44, kVs10, 0), 128, {1, 2, 1, kA8R8G8B8, 0, 0, 0, 2, 1, 1, 0, 5, 1, 1, 3}},
        // Mixed vertex processing: not hardware, so the far land goes.
        DefaultsCase{"Mixed", Facts(0x84, kVs20, kPs20), 128, {1, 2, 0, kA8R8G8B8, 0, 0, 2, 2, 2, 2, 3, 0, 0, 0, 1}},
        // Software vertex processing: no hardware shader at all.
        DefaultsCase{"Software", Facts(0x24, kVs30, kPs30), 128, {2, 2, 0, kA8R8G8B8, 0, 0, 0, 2, 1, 1, 0, 0, 0, 0, 1}},
        // No render-target texture: no reflections, the sun reflection only.
        DefaultsCase{"NoRenderTarget",
                     WithoutRenderTargets(Facts(0x54, kVs30, kPs30)),
                     128,
                     {1, 1, 0, 0, 0, 1, 0, 0, 0, 0, 1, 5, 1, 1, 3}},
        DefaultsCase{"NoRenderTargetSoftware",
                     WithoutRenderTargets(Facts(0x24, kVs30, kPs30)),
                     128,
                     {2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
        DefaultsCase{"OnlySmallRenderTarget",
                     OnlyA4R4G4B4(Facts(0x54, kVs30, kPs30)),
                     128,
                     {1, 1, 0, kA4R4G4B4, 0, 1, 2, 2, 2, 2, 3, 5, 1, 1, 3}},
        DefaultsCase{"NoDxt3",
                     WithoutDxt3(Facts(0x54, kVs30, kPs30)),
                     128,
                     {1, 1, 0, kA8R8G8B8, 1, 1, 2, 2, 2, 2, 3, 5, 1, 1, 3}},
        // An excluded NVIDIA adapter: shader 2.0 reported but not used.
        DefaultsCase{"ExcludedNvidia",
                     Facts(0x54, kVs20, kPs20, 0x10DE, 0x0322),
                     128,
                     {1, 1, 0, kA8R8G8B8, 0, 0, 2, 2, 2, 2, 3, 5, 1, 1, 3}},
        DefaultsCase{"OtherNvidia",
                     Facts(0x54, kVs20, kPs20, 0x10DE, 0x0400),
                     128,
                     {1, 1, 0, kA8R8G8B8, 0, 1, 2, 2, 2, 2, 3, 5, 1, 1, 3}},
        // The Intel adapter counts as capable even with software vertex
        // processing and low memory.
        DefaultsCase{"Intel915Software",
                     Facts(0x24, kVs30, kPs20, 0x8086, 0x2582),
                     128,
                     {1, 1, 0, kA8R8G8B8, 0, 1, 2, 2, 2, 2, 3, 5, 1, 1, 3}},
        DefaultsCase{"Intel915LowMemory",
                     Facts(0x24, 0, 0, 0x8086, 0x2782),
                     16,
                     {2, 2, 1, kA4R4G4B4, 0, 1, 2, 2, 2, 2, 3, 5, 1, 1, 3}},
        DefaultsCase{"OtherIntel",
                     Facts(0x24, kVs30, kPs20, 0x8086, 0x2583),
                     128,
                     {2, 2, 0, kA8R8G8B8, 0, 0, 0, 2, 1, 1, 0, 0, 0, 0, 1}}),
    [](const testing::TestParamInfo<DefaultsCase>& info) { return std::string(info.param.name); });

TEST(Defaults, LowMemoryTriesTheSmallRenderTargetFirst) {
  for (uint32_t mb : {32u, 256u}) {
    SCOPED_TRACE(mb);
    CFakeSettingDevice device(WithoutRenderTargets(Facts(0x54, kVs30, kPs30)));
    CGraphicSetting setting;
    setting.SetVideoMemoryMB(mb);
    GraphicRecord rec;
    setting.ComputeDefaults(rec, device);
    const std::vector<std::pair<uint32_t, uint32_t>> expected =
        mb <= 32 ? std::vector<std::pair<uint32_t, uint32_t>>{{26, 1}, {21, 1}, {dxfmt::kDXT3, 0}}
                 : std::vector<std::pair<uint32_t, uint32_t>>{{21, 1}, {26, 1}, {dxfmt::kDXT3, 0}};
    EXPECT_EQ(expected, device.textureChecks);
  }
}

TEST(Defaults, UnknownAdapterIsNeitherIntelNorExcluded) {
  DeviceFacts f = Facts(0x54, kVs20, kPs20, 0x10DE, 0x0322);
  f.idsKnown = false;
  CFakeSettingDevice device(f);
  EXPECT_FALSE(IsIntel915Adapter(device));
  EXPECT_TRUE(HasUsablePixelShader(device));
}

TEST(Capabilities, ExcludedNvidiaList) {
  // The list's ranges, checked at their edges, and its size.
  const std::vector<std::pair<uint32_t, uint32_t>> ranges = {{0x0170, 0x017A}, {0x0185, 0x0188}, {0x0200, 0x0203},
                                                             {0x0250, 0x0253}, {0x0280, 0x0282}, {0x0308, 0x030A},
                                                             {0x0311, 0x0314}, {0x031A, 0x031F}, {0x0321, 0x0328}};
  for (const auto& r : ranges) {
    SCOPED_TRACE(r.first);
    for (uint32_t id = r.first; id <= r.second; ++id) EXPECT_TRUE(IsExcludedNvidiaAdapter(0x10DE, id)) << id;
  }
  for (uint32_t id : {0x017Bu, 0x0184u, 0x0189u, 0x0204u, 0x0254u, 0x025Au, 0x0283u, 0x0310u, 0x0315u, 0x0320u, 0x0329u,
                      0x032Cu, 0x032Eu, 0x0330u}) {
    EXPECT_FALSE(IsExcludedNvidiaAdapter(0x10DE, id)) << std::hex << id;
  }
  EXPECT_FALSE(IsExcludedNvidiaAdapter(0x8086, 0x0322));
  int count = 0;
  for (uint32_t id = 0; id < 0x10000; ++id) count += IsExcludedNvidiaAdapter(0x10DE, id) ? 1 : 0;
  EXPECT_EQ(85, count);
}

TEST(Capabilities, ShaderTests) {
  struct Row {
    uint32_t flags, vs, ps;
    bool vs11, vs20, ps20;
  };
  const Row rows[] = {
      {0x44, 0xFFFE0101, 0xFFFF0104, true, false, false},
      {0x44, 0xFFFE0200, 0xFFFF0200, true, true, true},
      {0x24, 0xFFFE0300, 0xFFFF0300, false, false, true},  // software processing: no hardware shader
      {0x84, 0xFFFE0300, 0xFFFF0300, true, true, true},    // mixed still runs shaders in hardware
      {0x44, 0, 0, false, false, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << std::hex << r.flags << " " << r.vs << " " << r.ps);
    CFakeSettingDevice device(Facts(r.flags, r.vs, r.ps));
    EXPECT_EQ(r.vs11, HasHardwareVertexShader(device, 1, 1));
    EXPECT_EQ(r.vs20, HasHardwareVertexShader(device, 2, 0));
    EXPECT_EQ(r.ps20, HasPixelShader20(device));
  }
}

// ---------------------------------------------------------------------------
// Construction

TEST(GraphicSetting, ConstructedRecordsHoldOnlyThePresentOptions) {
  CGraphicSetting setting;
  for (const GraphicRecord* rec : {&setting.GetEffective(), &setting.GetUser()}) {
    EXPECT_EQ(0, rec->antialias);
    EXPECT_EQ(1, rec->sync);
    EXPECT_EQ(1, rec->bbc);
    EXPECT_EQ(0, rec->tex2d);
    EXPECT_EQ(0, rec->gamma);
    EXPECT_EQ(0, rec->ocean_set);
    EXPECT_EQ(0, rec->maxlod);
  }
  EXPECT_EQ(0u, setting.GetVideoMemoryMB());
  EXPECT_EQ(&GetGraphicSetting(), &GetGraphicSetting());
}

TEST(SoundSetting, DefaultsAndSetDefaultsKeepsTheDeviceName) {
  CSoundSetting sound;
  EXPECT_EQ(1, sound.GetBgmAvailable());
  EXPECT_EQ(0, sound.GetBgmMute());
  EXPECT_EQ(13, sound.GetBgm());
  EXPECT_EQ(1, sound.GetSeAvailable());
  EXPECT_EQ(0, sound.GetSeMute());
  EXPECT_EQ(13, sound.GetSe());
  EXPECT_EQ(1, sound.GetMovieSet());
  EXPECT_EQ(0, sound.GetSeLocSoftware());
  EXPECT_EQ(1, sound.GetSe3dAlgo());
  EXPECT_TRUE(sound.GetDeviceName().IsEmpty());

  CMapProfileStore profile;
  profile.strings[{"sound", "device_name"}] = "  Speakers\t";
  profile.Set("sound", "se", 4);
  sound.Load(profile, "sound");
  sound.SetAvailable(0);
  sound.SetAvailable2(0);
  sound.SetBgmMute(1);
  EXPECT_EQ(CString("Speakers"), sound.GetDeviceName());
  sound.SetDefaults();
  EXPECT_EQ(1, sound.GetBgmAvailable());
  EXPECT_EQ(1, sound.GetSeAvailable());
  EXPECT_EQ(0, sound.GetBgmMute());
  EXPECT_EQ(13, sound.GetSe());
  EXPECT_EQ(CString("Speakers"), sound.GetDeviceName());
  EXPECT_EQ(&GetSoundSetting(), &GetSoundSetting());
}

// ---------------------------------------------------------------------------
// Loads

// Loads one stored value into a record that holds the defaults.
struct ClampCase {
  const char* section;
  const char* entry;
  int stored;
  int expected;
};

int32_t FieldOf(const GraphicRecord& r, const std::string& entry) {
  if (entry == "3dtexsize") return r.tex3dsize;
  if (entry == "tex_model") return r.tex_model;
  if (entry == "visible_model") return r.visible_model;
  if (entry == "farclip") return r.farclip;
  if (entry == "maxlod") return r.maxlod;
  if (entry == "fontsample") return r.fontsample;
  if (entry == "particles") return r.particles;
  if (entry == "2dtex") return r.tex2d;
  ADD_FAILURE() << "no field for " << entry;
  return 0;
}

TEST(Load, ClampsAndTheByteField) {
  const ClampCase rows[] = {
      {"render_s", "3dtexsize", 7, 2},
      {"render_s", "3dtexsize", -1, 0},
      {"render_s", "3dtexsize", 1, 1},
      {"render_d", "tex_model", 5, 10},
      {"render_d", "tex_model", 500, 100},
      {"render_d", "tex_model", -1, 100},
      {"render_d", "tex_model", 10, 10},
      {"render_d", "tex_model", 100, 100},
      {"render_d", "visible_model", 9, 10},
      {"render_d", "visible_model", -5, 100},
      {"render_d", "visible_model", 77, 77},
      {"render_d", "farclip", -3, 0},
      {"render_d", "farclip", 9, 5},
      {"render_d", "farclip", 4, 4},
      {"render_s", "maxlod", 259, 3},
      {"render_s", "maxlod", 256, 0},
      {"render_s", "maxlod", 255, 255},
      {"render_s", "maxlod", -1, 255},
      // Values without a clamp stay as stored, out of any control's range.
      {"render_d", "fontsample", -7, -7},
      {"render_s", "particles", 12345, 12345},
      {"render_s", "2dtex", 9, 9},
  };
  for (const ClampCase& c : rows) {
    SCOPED_TRACE(testing::Message() << c.entry << " stored " << c.stored);
    CMapProfileStore profile;
    profile.Set(c.section, c.entry, c.stored);
    CFakeSettingDevice device;
    CGraphicSetting setting;
    setting.SetVideoMemoryMB(256);
    setting.LoadAll(profile, device);
    EXPECT_EQ(c.expected, FieldOf(setting.GetUser(), c.entry));
    EXPECT_TRUE(profile.writes.empty());
  }
}

TEST(Load, MissingValuesKeepWhatTheRecordHolds) {
  CMapProfileStore profile;
  CGraphicSetting setting;
  GraphicRecord& user = setting.GetUser();
  user.tex2d = 42;
  user.gamma = 77;
  user.antialias = 4;
  user.maxlod = 200;
  user.ocean_set = 5;
  user.ocean_sun = 9;
  setting.LoadPresentOptions(profile, "render_s");
  setting.LoadRenderS(profile, "render_s");
  setting.LoadRenderD(profile, "render_d");
  EXPECT_EQ(42, user.tex2d);
  EXPECT_EQ(77, user.gamma);
  EXPECT_EQ(4, user.antialias);
  EXPECT_EQ(200, user.maxlod);
  EXPECT_EQ(9, user.ocean_sun);
  // The clamps apply to the kept values too.
  EXPECT_EQ(10, user.tex_model);
}

TEST(Load, SectionsAreTheirOwn) {
  // A value under the other section is not read.
  CMapProfileStore profile;
  profile.Set("render_d", "2dtex", 9);
  profile.Set("render_s", "gamma", 9);
  profile.Set("render_d", "antialias", 4);
  CGraphicSetting setting;
  setting.SetVideoMemoryMB(256);
  CFakeSettingDevice device;
  setting.LoadAll(profile, device);
  EXPECT_EQ(1, setting.GetUser().tex2d);
  EXPECT_EQ(100, setting.GetUser().gamma);
  EXPECT_EQ(0, setting.GetUser().antialias);
}

struct OceanCase {
  int ocean_set;
  int expected[6];  // type, shoal, wave, reflect, refract, sun
};

TEST(Load, OceanSetPresetsIgnoreTheStoredSeaValues) {
  const OceanCase rows[] = {
      {0, {0, 0, 1, 0, 0, 1}},    {1, {0, 2, 2, 2, 2, 2}},    {2, {1, 2, 3, 3, 3, 4}},
      {3, {7, 8, 9, 10, 11, 12}}, {7, {7, 8, 9, 10, 11, 12}}, {-1, {7, 8, 9, 10, 11, 12}},
  };
  const char* seaKeys[6] = {"ocean_type", "ocean_shoal", "ocean_wave", "ocean_reflect", "ocean_refract", "ocean_sun"};
  for (const OceanCase& c : rows) {
    SCOPED_TRACE(c.ocean_set);
    CMapProfileStore profile;
    profile.Set("render_d", "ocean_set", c.ocean_set);
    for (int i = 0; i < 6; ++i) profile.Set("render_d", seaKeys[i], 7 + i);
    CGraphicSetting setting;
    setting.LoadRenderD(profile, "render_d");
    const GraphicRecord& u = setting.GetUser();
    EXPECT_EQ(c.ocean_set, u.ocean_set);
    const int got[6] = {u.ocean_type, u.ocean_shoal, u.ocean_wave, u.ocean_reflect, u.ocean_refract, u.ocean_sun};
    EXPECT_EQ(std::vector<int>(c.expected, c.expected + 6), std::vector<int>(got, got + 6));
  }
}

TEST(Load, SoundValuesAndTheDeviceName) {
  CMapProfileStore profile;
  const char* entries[] = {"se", "se_mute", "bgm", "bgm_mute", "movie_set", "se_loc_software", "se_3d_algo"};
  int v = 20;
  for (const char* e : entries) profile.Set("sound", e, v++);
  profile.strings[{"sound", "device_name"}] = " \t Primary Sound Driver  ";
  CSoundSetting sound;
  sound.Load(profile, "sound");
  EXPECT_EQ(20, sound.GetSe());
  EXPECT_EQ(21, sound.GetSeMute());
  EXPECT_EQ(22, sound.GetBgm());
  EXPECT_EQ(23, sound.GetBgmMute());
  EXPECT_EQ(24, sound.GetMovieSet());
  EXPECT_EQ(25, sound.GetSeLocSoftware());
  EXPECT_EQ(26, sound.GetSe3dAlgo());
  EXPECT_EQ(CString("Primary Sound Driver"), sound.GetDeviceName());
  // Availability is the sound test's, never the registry's.
  EXPECT_EQ(1, sound.GetBgmAvailable());

  // A missing name empties it; missing numbers keep their values.
  CMapProfileStore empty;
  sound.Load(empty, "sound");
  EXPECT_TRUE(sound.GetDeviceName().IsEmpty());
  EXPECT_EQ(20, sound.GetSe());
}

// ---------------------------------------------------------------------------
// Saves

TEST(Save, GroupsWriteTheirValuesInOrder) {
  CMapProfileStore profile;
  CGraphicSetting setting;
  GraphicRecord& u = setting.GetUser();
  u.ocean_set = 3;
  ASSERT_TRUE(setting.SaveRenderS(profile, "render_s"));
  ASSERT_TRUE(setting.SaveRenderD(profile, "render_d"));
  CSoundSetting sound;
  ASSERT_TRUE(sound.Save(profile, "sound"));
  const std::vector<std::string> expected = {
      "render_s/2dtex",         "render_s/mipmap",
      "render_s/3dtexsize",     "render_s/ocean_tex",
      "render_s/dxt",           "render_s/particles",
      "render_s/lens",          "render_s/bbc",
      "render_s/dvrst",         "render_s/antialias",
      "render_s/sync",          "render_s/maxlod",
      "render_s/land_m",        "render_s/land_r",
      "render_d/pixelfog",      "render_d/ocean_set",
      "render_d/ocean_type",    "render_d/ocean_shoal",
      "render_d/ocean_wave",    "render_d/ocean_reflect",
      "render_d/ocean_refract", "render_d/ocean_sun",
      "render_d/seafov",        "render_d/seafar",
      "render_d/shootrange",    "render_d/fontsample",
      "render_d/gamma",         "render_d/landreflect",
      "render_d/landrefract",   "render_d/landsurface",
      "render_d/farclip",       "render_d/shadow",
      "render_d/sway",          "render_d/tex_model",
      "render_d/visible_model", "sound/se",
      "sound/se_mute",          "sound/bgm",
      "sound/bgm_mute",         "sound/movie_set",
  };
  EXPECT_EQ(expected, profile.writes);
}

TEST(Save, PresetOceanSetLeavesTheStoredSeaValuesAlone) {
  for (int set : {0, 1, 2, 3, -1}) {
    SCOPED_TRACE(set);
    CMapProfileStore profile;
    profile.Set("render_d", "ocean_sun", 99);
    CGraphicSetting setting;
    setting.GetUser().ocean_set = set;
    setting.GetUser().ocean_sun = 4;
    setting.SaveRenderD(profile, "render_d");
    const bool custom = set < 0 || set >= 3;
    EXPECT_EQ(custom ? 4 : 99, profile.Get("render_d", "ocean_sun"));
    EXPECT_EQ(custom, profile.Has("render_d", "ocean_type"));
  }
}

TEST(Save, MaxlodIsWrittenAsAByteAndReadBackTheSame) {
  CMapProfileStore profile;
  profile.Set("render_s", "maxlod", 259);
  CGraphicSetting setting;
  setting.LoadRenderS(profile, "render_s");
  setting.SaveRenderS(profile, "render_s");
  EXPECT_EQ(3, profile.Get("render_s", "maxlod"));
  setting.GetUser().maxlod = 255;
  setting.SaveRenderS(profile, "render_s");
  EXPECT_EQ(255, profile.Get("render_s", "maxlod"));
}

TEST(Save, ReadOnlyValuesAreNeverWritten) {
  CMapProfileStore profile;
  CSoundSetting sound;
  sound.Load(profile, "sound");
  sound.Save(profile, "sound");
  for (const char* e : {"se_loc_software", "se_3d_algo", "device_name"}) EXPECT_FALSE(profile.Has("sound", e)) << e;
}

TEST(Save, AFailedWriteIsReported) {
  CMapProfileStore profile;
  profile.failWrites = true;
  CGraphicSetting setting;
  CSoundSetting sound;
  EXPECT_FALSE(setting.SaveRenderS(profile, "render_s"));
  EXPECT_FALSE(setting.SaveRenderD(profile, "render_d"));
  EXPECT_FALSE(sound.Save(profile, "sound"));
  // Every value was still tried.
  EXPECT_EQ(14u + 15u + 5u, profile.writes.size());
}

// ---------------------------------------------------------------------------
// Derive

TEST(Derive, CopiesClampsAndDeviceLimits) {
  CFakeSettingDevice device;
  CGraphicSetting setting;
  GraphicRecord& u = setting.GetUser();
  const GraphicRecord& e = setting.GetEffective();
  setting.SetVideoMemoryMB(256);
  setting.ComputeDefaults(u, device);
  u.tex2d = -4;  // copied without clamp
  u.tex3dsize = 2;
  u.particles = 9;
  u.antialias = 2;
  u.ocean_tex = 5;
  u.ocean_shoal = 1;
  u.ocean_wave = 3;
  u.landreflect = 1;
  u.landrefract = 1;
  u.landsurface = 1;
  u.maxlod = 200;
  u.seafov = -1;
  u.seafar = 3;
  u.shootrange = 2;
  u.fontsample = -1;  // unsigned compare: 10
  u.gamma = 150;
  setting.DeriveEffective(device);
  EXPECT_EQ(-4, e.tex2d);
  EXPECT_EQ(2, e.tex3dsize);
  EXPECT_EQ(9, e.particles);
  EXPECT_EQ(2, e.antialias);
  EXPECT_EQ(1, e.ocean_tex);
  EXPECT_EQ(kA8R8G8B8, e.rt_format);
  EXPECT_EQ(2, e.ocean_shoal);
  EXPECT_EQ(3, e.ocean_wave);
  EXPECT_EQ(1, e.landreflect);
  EXPECT_EQ(1, e.landrefract);
  EXPECT_EQ(1, e.landsurface);
  EXPECT_EQ(3, e.maxlod);
  EXPECT_EQ(0, e.seafov);
  EXPECT_EQ(2, e.seafar);
  EXPECT_EQ(2, e.shootrange);
  EXPECT_EQ(10, e.fontsample);
  EXPECT_EQ(150, e.gamma);
  EXPECT_EQ(std::vector<uint32_t>{2}, device.multisampleChecks);
  EXPECT_EQ(std::vector<bool>{true}, device.tableFog);
  EXPECT_EQ(std::vector<int>{336}, device.gammaScales);
}

TEST(Derive, RefusedAntialiasKeepsTheLevelInUse) {
  DeviceFacts f;
  f.multisample = {0, 2};
  CFakeSettingDevice device(f);
  CGraphicSetting setting;
  setting.GetUser().antialias = 2;
  setting.DeriveEffective(device);
  EXPECT_EQ(2, setting.GetEffective().antialias);
  setting.GetUser().antialias = 4;
  setting.DeriveEffective(device);
  EXPECT_EQ(2, setting.GetEffective().antialias);
  EXPECT_EQ(4, setting.GetUser().antialias);
}

TEST(Derive, WithoutRenderTargetTheSeaAndLandReflectionsGo) {
  CFakeSettingDevice device(WithoutRenderTargets(DeviceFacts{}));
  CGraphicSetting setting;
  GraphicRecord& u = setting.GetUser();
  u.rt_format = kA8R8G8B8;  // chosen on another device
  u.ocean_shoal = 2;
  u.ocean_wave = 3;
  u.ocean_reflect = 3;
  u.ocean_refract = 3;
  u.ocean_sun = 4;
  u.landreflect = 1;
  u.landrefract = 1;
  u.landsurface = 1;
  u.farclip = 4;
  u.shadow = 1;
  setting.DeriveEffective(device);
  const GraphicRecord& e = setting.GetEffective();
  EXPECT_EQ(0, e.rt_format);
  EXPECT_EQ(0, e.ocean_shoal);
  EXPECT_EQ(0, e.ocean_wave);
  EXPECT_EQ(0, e.ocean_reflect);
  EXPECT_EQ(0, e.ocean_refract);
  EXPECT_EQ(1, e.ocean_sun);
  EXPECT_EQ(0, e.landreflect);
  EXPECT_EQ(0, e.landrefract);
  EXPECT_EQ(0, e.landsurface);
  EXPECT_EQ(4, e.farclip);
  EXPECT_EQ(1, e.shadow);
  // The user's choices stay for a better device.
  EXPECT_EQ(kA8R8G8B8, u.rt_format);
  EXPECT_EQ(2, u.ocean_shoal);

  u.ocean_sun = 0;
  u.rt_format = 0;
  setting.DeriveEffective(device);
  EXPECT_EQ(0, e.ocean_sun);
}

TEST(Derive, BestSeaNeedsPixelShader20) {
  struct Row {
    uint32_t ps;
    int user, effective, userAfter;
  };
  const Row rows[] = {
      {0xFFFF0104, 2, 1, 1}, {0xFFFF0200, 2, 2, 2}, {0xFFFF0104, 1, 1, 1}, {0, 0, 0, 0}, {0, 5, 5, 5},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << std::hex << r.ps << std::dec << " user " << r.user);
    DeviceFacts f;
    f.ps = r.ps;
    CFakeSettingDevice device(f);
    CGraphicSetting setting;
    setting.GetUser().ocean_type = r.user;
    setting.DeriveEffective(device);
    EXPECT_EQ(r.effective, setting.GetEffective().ocean_type);
    EXPECT_EQ(r.userAfter, setting.GetUser().ocean_type);
  }
}

TEST(Derive, TableFogFollowsPixelFog) {
  CFakeSettingDevice device;
  CGraphicSetting setting;
  setting.GetUser().pixelfog = 0;
  setting.DeriveEffective(device);
  setting.GetUser().pixelfog = 7;
  setting.DeriveEffective(device);
  EXPECT_EQ((std::vector<bool>{false, true}), device.tableFog);
}

TEST(Derive, GammaScale) {
  const std::pair<int, int> rows[] = {{100, 256}, {0, 96}, {200, 416}, {-20, 96}, {300, 416}, {1, 97}, {50, 176}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.first);
    EXPECT_EQ(r.second, GammaScaleFromSetting(r.first));
    CFakeSettingDevice device;
    CGraphicSetting setting;
    setting.GetUser().gamma = r.first;
    setting.DeriveEffective(device);
    EXPECT_EQ(std::vector<int>{r.second}, device.gammaScales);
    EXPECT_EQ(r.first, setting.GetEffective().gamma);
  }
}

// ---------------------------------------------------------------------------
// Load sequence and reset

TEST(LoadSequence, NothingStoredGivesTheDefaults) {
  CMapProfileStore profile;
  CFakeSettingDevice device;
  CGraphicSetting graphic;
  CSoundSetting sound;
  RunEnvSettingsLoad(true, 256, device, profile, sound, graphic);
  GraphicRecord expected;
  graphic.ComputeDefaults(expected, device);
  EXPECT_EQ(DefaultsOf(expected), DefaultsOf(graphic.GetUser()));
  EXPECT_EQ(DefaultsOf(expected), DefaultsOf(graphic.GetEffective()));
  EXPECT_EQ(256u, graphic.GetVideoMemoryMB());
  EXPECT_EQ(1, sound.GetBgmAvailable());
  EXPECT_EQ(1, sound.GetSeAvailable());
  EXPECT_TRUE(profile.writes.empty());
}

TEST(LoadSequence, LowMemoryDeviceWithNothingStored) {
  CMapProfileStore profile;
  CFakeSettingDevice device;
  CGraphicSetting graphic;
  CSoundSetting sound;
  RunEnvSettingsLoad(true, 32, device, profile, sound, graphic);
  const GraphicRecord& u = graphic.GetUser();
  EXPECT_EQ(2, u.tex2d);
  EXPECT_EQ(2, u.tex3dsize);
  EXPECT_EQ(1, u.ocean_tex);
  EXPECT_EQ(kA4R4G4B4, u.rt_format);
  EXPECT_EQ(0, u.farclip);
  EXPECT_EQ(0, u.shadow);
  EXPECT_EQ(0, u.sway);
  EXPECT_EQ(1, u.maxlod);
}

TEST(LoadSequence, FailedMeasurementCountsAs64MB) {
  CMapProfileStore profile;
  CFakeSettingDevice device;
  CGraphicSetting graphic;
  CSoundSetting sound;
  RunEnvSettingsLoad(true, kVideoMemoryFailed, device, profile, sound, graphic);
  EXPECT_EQ(64u, graphic.GetVideoMemoryMB());
  EXPECT_EQ(1, graphic.GetUser().tex2d);  // 64 MB is not low memory
}

TEST(LoadSequence, FailedSoundTestMakesMusicAndEffectsUnavailable) {
  CMapProfileStore profile;
  CFakeSettingDevice device;
  CGraphicSetting graphic;
  CSoundSetting sound;
  RunEnvSettingsLoad(false, 256, device, profile, sound, graphic);
  EXPECT_EQ(0, sound.GetBgmAvailable());
  EXPECT_EQ(0, sound.GetSeAvailable());
  // A reset makes them available again without a new test.
  sound.SetDefaults();
  EXPECT_EQ(1, sound.GetBgmAvailable());
  EXPECT_EQ(1, sound.GetSeAvailable());
}

TEST(LoadSequence, StoredBestSeaOnADeviceWithoutPixelShader20) {
  CMapProfileStore profile;
  profile.Set("render_d", "ocean_set", 3);
  profile.Set("render_d", "ocean_type", 2);
  DeviceFacts f;
  f.ps = 0xFFFF0104;
  CFakeSettingDevice device(f);
  CGraphicSetting graphic;
  CSoundSetting sound;
  RunEnvSettingsLoad(true, 256, device, profile, sound, graphic);
  EXPECT_EQ(1, graphic.GetEffective().ocean_type);
  EXPECT_EQ(2, graphic.GetUser().ocean_type);
}

TEST(LoadSequence, RunningAgainDropsUnsavedEdits) {
  CMapProfileStore profile;
  profile.Set("render_s", "2dtex", 2);
  profile.Set("sound", "bgm_mute", 1);
  CFakeSettingDevice device;
  CGraphicSetting graphic;
  CSoundSetting sound;
  RunEnvSettingsLoad(true, 256, device, profile, sound, graphic);
  graphic.GetUser().tex2d = 1;
  graphic.GetUser().gamma = 10;
  sound.SetBgmMute(0);
  RunEnvSettingsLoad(true, 256, device, profile, sound, graphic);
  EXPECT_EQ(2, graphic.GetUser().tex2d);
  EXPECT_EQ(100, graphic.GetUser().gamma);
  EXPECT_EQ(1, sound.GetBgmMute());
}

TEST(LoadSequence, StoredValuesReachBothRecords) {
  CMapProfileStore profile;
  profile.Set("render_s", "antialias", 4);
  profile.Set("render_s", "sync", 0);
  profile.Set("render_s", "bbc", 2);
  profile.Set("render_d", "gamma", 200);
  CFakeSettingDevice device;
  CGraphicSetting graphic;
  CSoundSetting sound;
  RunEnvSettingsLoad(true, 256, device, profile, sound, graphic);
  for (const GraphicRecord* r : {&graphic.GetUser(), &graphic.GetEffective()}) {
    EXPECT_EQ(4, r->antialias);
    EXPECT_EQ(0, r->sync);
    EXPECT_EQ(2, r->bbc);
    EXPECT_EQ(200, r->gamma);
  }
  EXPECT_EQ(416, device.gammaScales.back());
}

TEST(Reset, DefaultsIntoBothRecordsAndNothingWritten) {
  CMapProfileStore profile;
  profile.Set("render_s", "2dtex", 2);
  profile.Set("render_d", "gamma", 180);
  CFakeSettingDevice device;
  CGraphicSetting graphic;
  CSoundSetting sound;
  RunEnvSettingsLoad(true, 256, device, profile, sound, graphic);
  ASSERT_EQ(2, graphic.GetUser().tex2d);

  graphic.ResetToDefaults(device, 16);
  EXPECT_EQ(16u, graphic.GetVideoMemoryMB());
  GraphicRecord expected;
  graphic.ComputeDefaults(expected, device);
  EXPECT_EQ(DefaultsOf(expected), DefaultsOf(graphic.GetUser()));
  EXPECT_EQ(DefaultsOf(expected), DefaultsOf(graphic.GetEffective()));
  EXPECT_EQ(100, graphic.GetUser().gamma);
  EXPECT_EQ(256, device.gammaScales.back());
  EXPECT_TRUE(profile.writes.empty());
  EXPECT_EQ(2, profile.Get("render_s", "2dtex"));

  graphic.ResetToDefaults(device, kVideoMemoryFailed);
  EXPECT_EQ(64u, graphic.GetVideoMemoryMB());
}

// ---------------------------------------------------------------------------
// Video memory

TEST(VideoMemory, SumIsTakenWithoutWrapping) {
  struct Row {
    const char* name;
    uint32_t total;
    uint64_t primary;
    uint32_t mb;
  };
  const uint64_t screen = PrimarySurfaceBytes(1024, 768, 1, 32);
  ASSERT_EQ(3145728u, screen);
  const Row rows[] = {
      {"Small", 64u << 20, PrimarySurfaceBytes(800, 600, 1, 32), 65},
      {"Exact", 256u << 20, 0, 256},
      {"JustBelow", (32u << 20) - 1, 0, 31},
      // A sum of exactly 4 GB - 1 bytes is a measurement, not the failure value.
      {"SumIsAllOnes", static_cast<uint32_t>(0xFFFFFFFFu - screen), screen, 4095},
      // A 32-bit sum would wrap to 3 MB here.
      {"SumPasses4GB", 0xFFFFFFFFu, screen, 4098},
      {"Huge", 0xFFFFFFFFu, UINT64_MAX, 1048576 + 4095},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.mb, SumVideoMemoryMB(r.total, r.primary));
    EXPECT_NE(kVideoMemoryFailed, SumVideoMemoryMB(r.total, r.primary));
  }
  EXPECT_EQ(0u, PrimarySurfaceBytes(-1024, 768, 1, 32));
  EXPECT_EQ(720000u, PrimarySurfaceBytes(800, 600, 3, 4));
  EXPECT_EQ(UINT64_MAX / 8, PrimarySurfaceBytes(0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF));
}

}  // namespace
