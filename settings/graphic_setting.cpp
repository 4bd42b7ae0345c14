#include "settings/graphic_setting.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <cstring>

#include "d3d/dx_formats.h"
#include "d3d/dx_rules.h"
#include "settings/profile_names.h"

namespace {

// The six sea values of the presets, by ocean_set 0, 1, 2: type, shoal,
// wave, reflect, refract, sun.
constexpr int32_t kSeaPresets[kOceanSetCustom][6] = {
    {0, 0, 1, 0, 0, 1},
    {0, 2, 2, 2, 2, 2},
    {1, 2, 3, 3, 3, 4},
};

// NVIDIA adapters whose pixel shader 2.0 is not used (device ids).
constexpr uint16_t kExcludedNvidiaIds[] = {
    0x0020, 0x0028, 0x0029, 0x002C, 0x002D, 0x00A0, 0x0100, 0x0101, 0x0103, 0x0110, 0x0111, 0x0112, 0x0113,
    0x0150, 0x0151, 0x0152, 0x0153, 0x0170, 0x0171, 0x0172, 0x0173, 0x0174, 0x0175, 0x0176, 0x0177, 0x0178,
    0x0179, 0x017A, 0x017C, 0x017D, 0x0181, 0x0182, 0x0185, 0x0186, 0x0187, 0x0188, 0x018A, 0x018B, 0x01A0,
    0x01F0, 0x0200, 0x0201, 0x0202, 0x0203, 0x0250, 0x0251, 0x0252, 0x0253, 0x0258, 0x0259, 0x025B, 0x0280,
    0x0281, 0x0282, 0x0286, 0x0288, 0x0289, 0x028C, 0x0308, 0x0309, 0x030A, 0x0311, 0x0312, 0x0313, 0x0314,
    0x0316, 0x0317, 0x031A, 0x031B, 0x031C, 0x031D, 0x031E, 0x031F, 0x0321, 0x0322, 0x0323, 0x0324, 0x0325,
    0x0326, 0x0327, 0x0328, 0x032A, 0x032B, 0x032D, 0x032F,
};
static_assert(sizeof kExcludedNvidiaIds / sizeof kExcludedNvidiaIds[0] == 85, "85 excluded NVIDIA devices");

constexpr uint32_t kVendorNvidia = 0x10DE;
constexpr uint32_t kVendorIntel = 0x8086;

void SetSeaValues(GraphicRecord& rec, const int32_t (&v)[6]) {
  rec.ocean_type = v[0];
  rec.ocean_shoal = v[1];
  rec.ocean_wave = v[2];
  rec.ocean_reflect = v[3];
  rec.ocean_refract = v[4];
  rec.ocean_sun = v[5];
}

int32_t ClampSigned(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

// The game client reads these with unsigned compares, so a negative stored
// value is "large" and lands on the upper bound.
int32_t ClampUnsigned(int32_t v, uint32_t lo, uint32_t hi) {
  uint32_t u = static_cast<uint32_t>(v);
  return static_cast<int32_t>(u < lo ? lo : (u > hi ? hi : u));
}

// One integer read: the current value is the default.
void ReadInt(CProfileStore& profile, const char* section, const char* entry, int32_t& field) {
  field = static_cast<int32_t>(profile.GetInt(section, entry, field));
}

bool WriteInt(CProfileStore& profile, const char* section, const char* entry, int32_t value) {
  return profile.WriteInt(section, entry, value) != FALSE;
}

void ZeroRecord(GraphicRecord& rec) { std::memset(&rec, 0, sizeof rec); }

}  // namespace

bool IsLowVideoMemory(uint32_t videoMemoryMB) { return videoMemoryMB <= 32; }

bool IsIntel915Adapter(CGraphicSettingDevice& device) {
  uint32_t vendor = 0;
  uint32_t id = 0;
  if (!device.GetAdapterIds(&vendor, &id)) return false;
  return vendor == kVendorIntel && (id == 0x2582 || id == 0x2782);
}

bool IsExcludedNvidiaAdapter(uint32_t vendorId, uint32_t deviceId) {
  if (vendorId != kVendorNvidia) return false;
  return std::find(std::begin(kExcludedNvidiaIds), std::end(kExcludedNvidiaIds), deviceId) !=
         std::end(kExcludedNvidiaIds);
}

bool HasHardwareVertexShader(CGraphicSettingDevice& device, uint32_t major, uint32_t minor) {
  return device.GetVertexShaderVersion() >= VsVersion(major, minor) &&
         (device.GetBehaviorFlags() & kCreateSoftwareVP) == 0;
}

bool HasUsablePixelShader(CGraphicSettingDevice& device) {
  if (device.GetPixelShaderVersion() < PsVersion(2, 0)) return false;
  uint32_t vendor = 0;
  uint32_t id = 0;
  return !device.GetAdapterIds(&vendor, &id) || !IsExcludedNvidiaAdapter(vendor, id);
}

bool HasPixelShader20(CGraphicSettingDevice& device) { return device.GetPixelShaderVersion() >= PsVersion(2, 0); }

int GammaScaleFromSetting(int32_t gamma) { return ClampSigned(gamma, 0, 200) * 320 / 200 + 96; }

CGraphicSetting::CGraphicSetting() {
  for (GraphicRecord* rec : {&m_effective, &m_user}) {
    ZeroRecord(*rec);
    rec->antialias = 0;
    rec->sync = 1;
    rec->bbc = 1;
  }
}

void CGraphicSetting::ComputeDefaults(GraphicRecord& rec, CGraphicSettingDevice& device) const {
  const uint32_t flags = device.GetBehaviorFlags();
  const bool low = IsLowVideoMemory(m_videoMemoryMB);
  const bool intel = IsIntel915Adapter(device);
  const bool software = (flags & kCreateSoftwareVP) != 0;
  const bool hardware = (flags & kCreateHardwareVP) != 0;
  const bool pure = (flags & kCreatePure) != 0;
  const bool vs11 = HasHardwareVertexShader(device, 1, 1);
  const bool vs20 = HasHardwareVertexShader(device, 2, 0);

  ZeroRecord(rec);
  rec.mipmap = 1;
  rec.tex_model = 25;
  rec.visible_model = 50;
  rec.particles = 0x7FFFFFFF;
  rec.antialias = 0;
  rec.sync = 1;
  rec.pixelfog = 1;
  rec.bbc = 1;
  rec.dvrst = 2;
  rec.ocean_set = 3;
  rec.lens = 1;
  rec.land_m = 4;
  rec.land_r = 4;
  rec.seafov = 1;
  rec.seafar = 1;
  rec.shootrange = 1;
  rec.fontsample = 5;
  rec.gamma = 100;

  rec.tex2d = (low || (software && !intel)) ? 2 : 1;

  rec.tex3dsize = 1;
  rec.ocean_tex = 0;
  if (low || (hardware && !vs11)) {
    rec.ocean_tex = 1;
    rec.tex3dsize = 2;
  }
  if (!hardware && !intel) rec.tex3dsize = 2;

  // Low memory prefers the smaller render-target format.
  const uint32_t order[2] = {low ? dxfmt::kA4R4G4B4 : dxfmt::kA8R8G8B8, low ? dxfmt::kA8R8G8B8 : dxfmt::kA4R4G4B4};
  rec.rt_format = 0;
  for (uint32_t format : order) {
    if (device.CheckTextureFormat(format, kUsageRenderTarget)) {
      rec.rt_format = static_cast<int32_t>(format);
      break;
    }
  }
  rec.dxt = device.CheckTextureFormat(dxfmt::kDXT3, 0) ? 0 : 1;

  rec.ocean_type = ((pure && hardware && vs20 && HasUsablePixelShader(device)) || intel) ? 1 : 0;

  rec.ocean_shoal = 0;
  rec.ocean_sun = 0;
  if (rec.rt_format != 0) {
    rec.ocean_wave = 2;
    rec.ocean_reflect = 1;
    rec.ocean_refract = 1;
    if (vs20 || intel) {
      rec.ocean_shoal = 2;
      rec.ocean_reflect = 2;
      rec.ocean_refract = 2;
      rec.ocean_sun = 3;
    } else if (vs11 || intel) {
      rec.ocean_shoal = 2;
      rec.ocean_sun = 2;
    }
  } else {
    rec.ocean_wave = 0;
    rec.ocean_reflect = 0;
    rec.ocean_refract = 0;
    rec.ocean_sun = (vs11 || intel) ? 1 : 0;
  }

  if (!intel && (low || !hardware)) {
    rec.farclip = 0;
    rec.shadow = 0;
    rec.sway = 0;
    rec.maxlod = 1;
  } else {
    rec.farclip = 5;
    rec.shadow = 1;
    rec.sway = 1;
    rec.maxlod = 3;
  }
}

void CGraphicSetting::LoadPresentOptions(CProfileStore& profile, const char* section) {
  ReadInt(profile, section, "antialias", m_user.antialias);
  ReadInt(profile, section, "sync", m_user.sync);
  ReadInt(profile, section, "bbc", m_user.bbc);
}

void CGraphicSetting::LoadRenderS(CProfileStore& profile, const char* section) {
  ReadInt(profile, section, "2dtex", m_user.tex2d);
  ReadInt(profile, section, "mipmap", m_user.mipmap);
  ReadInt(profile, section, "3dtexsize", m_user.tex3dsize);
  m_user.tex3dsize = ClampSigned(m_user.tex3dsize, 0, 2);
  ReadInt(profile, section, "dxt", m_user.dxt);
  ReadInt(profile, section, "particles", m_user.particles);
  ReadInt(profile, section, "lens", m_user.lens);
  ReadInt(profile, section, "dvrst", m_user.dvrst);
  ReadInt(profile, section, "ocean_tex", m_user.ocean_tex);
  // A byte field: 256 reads as 0, 259 as 3.
  m_user.maxlod = static_cast<uint8_t>(profile.GetInt(section, "maxlod", m_user.maxlod) & 0xFF);
  ReadInt(profile, section, "land_m", m_user.land_m);
  ReadInt(profile, section, "land_r", m_user.land_r);
}

void CGraphicSetting::LoadRenderD(CProfileStore& profile, const char* section) {
  ReadInt(profile, section, "pixelfog", m_user.pixelfog);
  ReadInt(profile, section, "ocean_set", m_user.ocean_set);
  const uint32_t set = static_cast<uint32_t>(m_user.ocean_set);
  if (set < kOceanSetCustom) {
    // A preset: whatever sea values are stored belong to the custom set.
    SetSeaValues(m_user, kSeaPresets[set]);
  } else {
    ReadInt(profile, section, "ocean_type", m_user.ocean_type);
    ReadInt(profile, section, "ocean_shoal", m_user.ocean_shoal);
    ReadInt(profile, section, "ocean_wave", m_user.ocean_wave);
    ReadInt(profile, section, "ocean_reflect", m_user.ocean_reflect);
    ReadInt(profile, section, "ocean_refract", m_user.ocean_refract);
    ReadInt(profile, section, "ocean_sun", m_user.ocean_sun);
  }
  ReadInt(profile, section, "seafov", m_user.seafov);
  ReadInt(profile, section, "seafar", m_user.seafar);
  ReadInt(profile, section, "shootrange", m_user.shootrange);
  ReadInt(profile, section, "fontsample", m_user.fontsample);
  ReadInt(profile, section, "gamma", m_user.gamma);
  ReadInt(profile, section, "tex_model", m_user.tex_model);
  ReadInt(profile, section, "visible_model", m_user.visible_model);
  m_user.tex_model = ClampUnsigned(m_user.tex_model, 10, 100);
  m_user.visible_model = ClampUnsigned(m_user.visible_model, 10, 100);
  ReadInt(profile, section, "landreflect", m_user.landreflect);
  ReadInt(profile, section, "landrefract", m_user.landrefract);
  ReadInt(profile, section, "landsurface", m_user.landsurface);
  ReadInt(profile, section, "farclip", m_user.farclip);
  ReadInt(profile, section, "shadow", m_user.shadow);
  ReadInt(profile, section, "sway", m_user.sway);
  m_user.farclip = ClampSigned(m_user.farclip, 0, 5);
}

BOOL CGraphicSetting::SaveRenderS(CProfileStore& profile, const char* section) const {
  const struct {
    const char* entry;
    int32_t value;
  } values[] = {
      {"2dtex", m_user.tex2d},         {"mipmap", m_user.mipmap}, {"3dtexsize", m_user.tex3dsize},
      {"ocean_tex", m_user.ocean_tex}, {"dxt", m_user.dxt},       {"particles", m_user.particles},
      {"lens", m_user.lens},           {"bbc", m_user.bbc},       {"dvrst", m_user.dvrst},
      {"antialias", m_user.antialias}, {"sync", m_user.sync},     {"maxlod", m_user.maxlod},
      {"land_m", m_user.land_m},       {"land_r", m_user.land_r},
  };
  bool ok = true;
  for (const auto& v : values) ok = WriteInt(profile, section, v.entry, v.value) && ok;
  return ok ? TRUE : FALSE;
}

BOOL CGraphicSetting::SaveRenderD(CProfileStore& profile, const char* section) const {
  bool ok = true;
  ok = WriteInt(profile, section, "pixelfog", m_user.pixelfog) && ok;
  ok = WriteInt(profile, section, "ocean_set", m_user.ocean_set) && ok;
  // A preset leaves the stored custom values alone, so that choosing the
  // custom set again brings them back.
  if (static_cast<uint32_t>(m_user.ocean_set) >= kOceanSetCustom) {
    ok = WriteInt(profile, section, "ocean_type", m_user.ocean_type) && ok;
    ok = WriteInt(profile, section, "ocean_shoal", m_user.ocean_shoal) && ok;
    ok = WriteInt(profile, section, "ocean_wave", m_user.ocean_wave) && ok;
    ok = WriteInt(profile, section, "ocean_reflect", m_user.ocean_reflect) && ok;
    ok = WriteInt(profile, section, "ocean_refract", m_user.ocean_refract) && ok;
    ok = WriteInt(profile, section, "ocean_sun", m_user.ocean_sun) && ok;
  }
  const struct {
    const char* entry;
    int32_t value;
  } rest[] = {
      {"seafov", m_user.seafov},
      {"seafar", m_user.seafar},
      {"shootrange", m_user.shootrange},
      {"fontsample", m_user.fontsample},
      {"gamma", m_user.gamma},
      {"landreflect", m_user.landreflect},
      {"landrefract", m_user.landrefract},
      {"landsurface", m_user.landsurface},
      {"farclip", m_user.farclip},
      {"shadow", m_user.shadow},
      {"sway", m_user.sway},
      {"tex_model", m_user.tex_model},
      {"visible_model", m_user.visible_model},
  };
  for (const auto& v : rest) ok = WriteInt(profile, section, v.entry, v.value) && ok;
  return ok ? TRUE : FALSE;
}

// Ordering: rt_format is decided before the sea and land values that depend
// on it, and the gamma goes to the device last.
void CGraphicSetting::DeriveEffective(CGraphicSettingDevice& device) {
  GraphicRecord& e = m_effective;
  GraphicRecord& u = m_user;

  e.tex2d = u.tex2d;
  e.tex3dsize = u.tex3dsize;
  e.mipmap = u.mipmap;
  e.dxt = u.dxt;
  e.tex_model = u.tex_model;
  e.visible_model = u.visible_model;
  e.particles = u.particles;
  e.lens = u.lens;
  e.bbc = u.bbc;
  e.dvrst = u.dvrst;
  e.sync = u.sync;
  e.pixelfog = u.pixelfog;

  // An anti-alias level the device refuses leaves the one in use.
  if (device.CheckMultiSample(static_cast<uint32_t>(u.antialias))) e.antialias = u.antialias;

  device.SetTableFog(e.pixelfog != 0);

  // The best sea needs pixel shader 2.0; the user's choice is lowered too,
  // so that the page shows what is used.
  if (u.ocean_type == 2 && !HasPixelShader20(device)) {
    u.ocean_type = 1;
    e.ocean_type = 1;
  } else {
    e.ocean_type = u.ocean_type;
  }

  e.rt_format = (u.rt_format != 0 && device.CheckTextureFormat(static_cast<uint32_t>(u.rt_format), kUsageRenderTarget))
                    ? u.rt_format
                    : 0;

  if (e.rt_format != 0) {
    e.ocean_shoal = u.ocean_shoal != 0 ? 2 : 0;
    e.ocean_wave = u.ocean_wave;
    e.ocean_reflect = u.ocean_reflect;
    e.ocean_refract = u.ocean_refract;
    e.ocean_sun = u.ocean_sun;
  } else {
    e.ocean_shoal = 0;
    e.ocean_wave = 0;
    e.ocean_reflect = 0;
    e.ocean_refract = 0;
    e.ocean_sun = u.ocean_sun != 0 ? 1 : 0;
  }

  e.ocean_tex = ClampSigned(u.ocean_tex, 0, 1);

  const bool rt = e.rt_format != 0;
  e.landreflect = rt ? u.landreflect : 0;
  e.landrefract = rt ? u.landrefract : 0;
  e.landsurface = rt ? u.landsurface : 0;
  e.farclip = u.farclip;
  e.shadow = u.shadow;
  e.sway = u.sway;
  e.land_m = u.land_m;
  e.land_r = u.land_r;

  e.maxlod = std::min<uint8_t>(u.maxlod, 3);

  e.seafov = ClampSigned(u.seafov, 0, 2);
  e.seafar = ClampSigned(u.seafar, 0, 2);
  e.shootrange = ClampSigned(u.shootrange, 0, 2);
  e.fontsample = static_cast<int32_t>(std::min<uint32_t>(static_cast<uint32_t>(u.fontsample), 10));
  e.gamma = u.gamma;

  device.SetGammaScaleAndApply(GammaScaleFromSetting(e.gamma));
}

void CGraphicSetting::StoreVideoMemory(uint32_t measuredMB) {
  m_videoMemoryMB = measuredMB == kVideoMemoryFailed ? kVideoMemoryFallbackMB : measuredMB;
}

void CGraphicSetting::LoadDeviceOptions(CProfileStore& profile, uint32_t measuredMB) {
  LoadPresentOptions(profile, kRenderSSection);
  StoreVideoMemory(measuredMB);
  m_effective = m_user;
}

void CGraphicSetting::LoadAll(CProfileStore& profile, CGraphicSettingDevice& device) {
  ComputeDefaults(m_effective, device);
  m_user = m_effective;
  LoadPresentOptions(profile, kRenderSSection);
  LoadRenderS(profile, kRenderSSection);
  LoadRenderD(profile, kRenderDSection);
  DeriveEffective(device);
}

void CGraphicSetting::ResetToDefaults(CGraphicSettingDevice& device, uint32_t measuredMB) {
  StoreVideoMemory(measuredMB);
  ComputeDefaults(m_effective, device);
  m_user = m_effective;
  DeriveEffective(device);
}

CGraphicSetting& GetGraphicSetting() {
  static CGraphicSetting setting;
  return setting;
}
