// A hostile profile: whatever the game client, other tools or a damaged
// registry left in the settings' sections and in "Login", read by the
// settings dialog's load and by the network page's fields.  The input
// builds a profile of raw registry values (any name, type and size, whole
// sections missing) behind the profile store, the load runs over it, and
// every value must end as stored, clamped or defaulted by the load rules,
// with no read past a value's bytes.
//
// Input: byte 0 the missing sections (one bit each, kSections order), byte
// 1 the sound test's result and the device kind, byte 2 the video memory,
// then values: section byte, name byte (a known name, else a name of its
// own from the next bytes), type byte, size byte (255: 100 KB made of the
// next byte), data.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "framework/registry_value.h"
#include "settings/env_settings.h"
#include "settings/network_page_rules.h"
#include "tests/settings/fake_settings_env.h"
#include "update/download_rules.h"

namespace {

const char* const kSections[] = {"render_s", "render_d", "sound", "Login", "window"};
constexpr int kSectionCount = static_cast<int>(sizeof kSections / sizeof kSections[0]);

const char* const kNames[] = {
    "2dtex",         "mipmap",        "3dtexsize",     "dxt",       "particles",     "lens",
    "dvrst",         "ocean_tex",     "maxlod",        "land_m",    "land_r",        "antialias",
    "sync",          "bbc",           "pixelfog",      "ocean_set", "ocean_type",    "ocean_shoal",
    "ocean_wave",    "ocean_reflect", "ocean_refract", "ocean_sun", "seafov",        "seafar",
    "shootrange",    "fontsample",    "gamma",         "tex_model", "visible_model", "landreflect",
    "landrefract",   "landsurface",   "farclip",       "shadow",    "sway",          "se",
    "se_mute",       "bgm",           "bgm_mute",      "movie_set", "device_name",   "se_loc_software",
    "se_3d_algo",    "UseProxy",      "ProxyServer",   "ProxyUser", "ProxyPasswd",   "DownloadPath",
    "select_device",
};
constexpr int kNameCount = static_cast<int>(sizeof kNames / sizeof kNames[0]);

const uint32_t kTypes[] = {kRegDword, kRegSz, kRegBinary, kRegExpandSz, kRegNone};

// One stored value: its bytes in a block of exactly their size, so that a
// read past them is caught.
struct RawValue {
  uint32_t type = kRegNone;
  size_t size = 0;
  std::unique_ptr<unsigned char[]> bytes;
};

// The profile as the registry holds it, read by the same rules as the
// profile functions (REG_SZ or REG_EXPAND_SZ texts, four-byte REG_DWORDs),
// and "Login" by the download settings' (REG_SZ texts only).
class CRawProfileStore : public CProfileStore {
 public:
  using Key = std::pair<std::string, std::string>;

  UINT GetInt(const char* section, const char* entry, int nDefault) override {
    const RawValue* v = Find(section, entry);
    uint32_t value = 0;
    if (v == nullptr || !RegistryDwordOf(v->type, v->bytes.get(), v->size, &value)) return static_cast<UINT>(nDefault);
    return value;
  }
  BOOL WriteInt(const char*, const char*, int) override { return FALSE; }
  CString GetString(const char* section, const char* entry) override {
    const RawValue* v = Find(section, entry);
    CString text;
    if (v == nullptr || !RegistryTextOf(v->type, v->bytes.get(), v->size, std::strcmp(section, "Login") != 0, &text))
      return CString();
    return text;
  }

  const RawValue* Find(const char* section, const char* entry) const {
    for (int i = 0; i < kSectionCount; ++i) {
      if (std::strcmp(section, kSections[i]) == 0 && (missing & (1u << i)) != 0) return nullptr;
    }
    auto it = values.find({section, entry});
    return it == values.end() ? nullptr : &it->second;
  }
  // The stored number, when there is one.
  bool Dword(const char* section, const char* entry, uint32_t* out) const {
    const RawValue* v = Find(section, entry);
    return v != nullptr && RegistryDwordOf(v->type, v->bytes.get(), v->size, out);
  }

  std::map<Key, RawValue> values;
  unsigned missing = 0;
};

class Input {
 public:
  Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  bool More() const { return m_at < m_size; }
  uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
  size_t Take(size_t n, const uint8_t** out) {
    const size_t got = n < m_size - m_at ? n : m_size - m_at;
    *out = m_data + m_at;
    m_at += got;
    return got;
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_at = 0;
};

void ReadValues(Input& in, CRawProfileStore& profile) {
  while (in.More()) {
    const char* section = kSections[in.Byte() % kSectionCount];
    const uint8_t nameByte = in.Byte();
    std::string name;
    if (nameByte < kNameCount) {
      name = kNames[nameByte];
    } else {
      const uint8_t* p = nullptr;
      const size_t n = in.Take(nameByte % 16, &p);
      name.assign(reinterpret_cast<const char*>(p), n);
    }
    RawValue v;
    v.type = kTypes[in.Byte() % (sizeof kTypes / sizeof kTypes[0])];
    const uint8_t sizeByte = in.Byte();
    if (sizeByte == 255) {
      // A 100 KB text, with or without its terminator.
      const uint8_t fill = in.Byte();
      v.size = 100 * 1024;
      v.bytes.reset(new unsigned char[v.size]);
      std::memset(v.bytes.get(), fill, v.size);
    } else {
      const uint8_t* p = nullptr;
      v.size = in.Take(sizeByte, &p);
      if (v.size > 0) {
        v.bytes.reset(new unsigned char[v.size]);
        std::memcpy(v.bytes.get(), p, v.size);
      }
    }
    profile.values[{section, name}] = std::move(v);
  }
}

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "hostile profile: %s\n", what);
  std::abort();
}

int32_t ClampSigned(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }
int32_t ClampUnsigned(uint32_t v, uint32_t lo, uint32_t hi) {
  return static_cast<int32_t>(v < lo ? lo : (v > hi ? hi : v));
}

// The user record that the load must give: the device's defaults, each
// stored number over its default, then the load clamps.
GraphicRecord ExpectedRecord(const CRawProfileStore& profile, CGraphicSettingDevice& device, uint32_t videoMemoryMB) {
  CGraphicSetting reference;
  reference.SetVideoMemoryMB(videoMemoryMB == kVideoMemoryFailed ? kVideoMemoryFallbackMB : videoMemoryMB);
  GraphicRecord e;
  reference.ComputeDefaults(e, device);
  struct Field {
    const char* section;
    const char* name;
    int32_t GraphicRecord::*field;
  };
  const Field plain[] = {
      {"render_s", "2dtex", &GraphicRecord::tex2d},
      {"render_s", "mipmap", &GraphicRecord::mipmap},
      {"render_s", "3dtexsize", &GraphicRecord::tex3dsize},
      {"render_s", "dxt", &GraphicRecord::dxt},
      {"render_s", "particles", &GraphicRecord::particles},
      {"render_s", "lens", &GraphicRecord::lens},
      {"render_s", "dvrst", &GraphicRecord::dvrst},
      {"render_s", "ocean_tex", &GraphicRecord::ocean_tex},
      {"render_s", "land_m", &GraphicRecord::land_m},
      {"render_s", "land_r", &GraphicRecord::land_r},
      {"render_s", "antialias", &GraphicRecord::antialias},
      {"render_s", "sync", &GraphicRecord::sync},
      {"render_s", "bbc", &GraphicRecord::bbc},
      {"render_d", "pixelfog", &GraphicRecord::pixelfog},
      {"render_d", "ocean_set", &GraphicRecord::ocean_set},
      {"render_d", "seafov", &GraphicRecord::seafov},
      {"render_d", "seafar", &GraphicRecord::seafar},
      {"render_d", "shootrange", &GraphicRecord::shootrange},
      {"render_d", "fontsample", &GraphicRecord::fontsample},
      {"render_d", "gamma", &GraphicRecord::gamma},
      {"render_d", "tex_model", &GraphicRecord::tex_model},
      {"render_d", "visible_model", &GraphicRecord::visible_model},
      {"render_d", "landreflect", &GraphicRecord::landreflect},
      {"render_d", "landrefract", &GraphicRecord::landrefract},
      {"render_d", "landsurface", &GraphicRecord::landsurface},
      {"render_d", "farclip", &GraphicRecord::farclip},
      {"render_d", "shadow", &GraphicRecord::shadow},
      {"render_d", "sway", &GraphicRecord::sway},
  };
  for (const Field& f : plain) {
    uint32_t v = 0;
    if (profile.Dword(f.section, f.name, &v)) e.*f.field = static_cast<int32_t>(v);
  }
  e.tex3dsize = ClampSigned(e.tex3dsize, 0, 2);
  e.tex_model = ClampUnsigned(static_cast<uint32_t>(e.tex_model), 10, 100);
  e.visible_model = ClampUnsigned(static_cast<uint32_t>(e.visible_model), 10, 100);
  e.farclip = ClampSigned(e.farclip, 0, 5);
  uint32_t maxlod = 0;
  if (profile.Dword("render_s", "maxlod", &maxlod)) e.maxlod = static_cast<uint8_t>(maxlod & 0xFF);
  int32_t GraphicRecord::*const sea[] = {&GraphicRecord::ocean_type,    &GraphicRecord::ocean_shoal,
                                         &GraphicRecord::ocean_wave,    &GraphicRecord::ocean_reflect,
                                         &GraphicRecord::ocean_refract, &GraphicRecord::ocean_sun};
  const char* const seaNames[] = {"ocean_type",    "ocean_shoal",   "ocean_wave",
                                  "ocean_reflect", "ocean_refract", "ocean_sun"};
  static const int32_t kPresets[3][6] = {{0, 0, 1, 0, 0, 1}, {0, 2, 2, 2, 2, 2}, {1, 2, 3, 3, 3, 4}};
  const uint32_t set = static_cast<uint32_t>(e.ocean_set);
  for (int i = 0; i < 6; ++i) {
    uint32_t v = 0;
    if (set < 3) {
      e.*sea[i] = kPresets[set][i];
    } else if (profile.Dword("render_d", seaNames[i], &v)) {
      e.*sea[i] = static_cast<int32_t>(v);
    }
  }
  return e;
}

void CheckGraphics(const GraphicRecord& got, const GraphicRecord& want) {
#define QUORL_SAME(f) Check(got.f == want.f, #f)
  QUORL_SAME(tex2d);
  QUORL_SAME(tex3dsize);
  QUORL_SAME(mipmap);
  QUORL_SAME(dxt);
  QUORL_SAME(tex_model);
  QUORL_SAME(visible_model);
  QUORL_SAME(particles);
  QUORL_SAME(antialias);
  QUORL_SAME(sync);
  QUORL_SAME(pixelfog);
  QUORL_SAME(bbc);
  QUORL_SAME(dvrst);
  QUORL_SAME(rt_format);
  QUORL_SAME(ocean_set);
  QUORL_SAME(ocean_type);
  QUORL_SAME(ocean_shoal);
  QUORL_SAME(ocean_wave);
  QUORL_SAME(ocean_reflect);
  QUORL_SAME(ocean_refract);
  QUORL_SAME(ocean_sun);
  QUORL_SAME(ocean_tex);
  QUORL_SAME(lens);
  QUORL_SAME(landreflect);
  QUORL_SAME(landrefract);
  QUORL_SAME(landsurface);
  QUORL_SAME(farclip);
  QUORL_SAME(shadow);
  QUORL_SAME(sway);
  QUORL_SAME(land_m);
  QUORL_SAME(land_r);
  QUORL_SAME(maxlod);
  QUORL_SAME(seafov);
  QUORL_SAME(seafar);
  QUORL_SAME(shootrange);
  QUORL_SAME(fontsample);
  QUORL_SAME(gamma);
#undef QUORL_SAME
  Check(got.tex3dsize >= 0 && got.tex3dsize <= 2, "3dtexsize within 0..2");
  Check(got.tex_model >= 10 && got.tex_model <= 100, "tex_model within 10..100");
  Check(got.visible_model >= 10 && got.visible_model <= 100, "visible_model within 10..100");
  Check(got.farclip >= 0 && got.farclip <= 5, "farclip within 0..5");
}

void CheckSound(const CSoundSetting& got, CRawProfileStore& profile, bool available) {
  const CSoundSetting defaults;
  auto want = [&profile](const char* name, int32_t def) {
    uint32_t v = 0;
    return profile.Dword("sound", name, &v) ? static_cast<int32_t>(v) : def;
  };
  Check(got.GetSe() == want("se", defaults.GetSe()), "se");
  Check(got.GetSeMute() == want("se_mute", defaults.GetSeMute()), "se_mute");
  Check(got.GetBgm() == want("bgm", defaults.GetBgm()), "bgm");
  Check(got.GetBgmMute() == want("bgm_mute", defaults.GetBgmMute()), "bgm_mute");
  Check(got.GetMovieSet() == want("movie_set", defaults.GetMovieSet()), "movie_set");
  Check(got.GetSeLocSoftware() == want("se_loc_software", defaults.GetSeLocSoftware()), "se_loc_software");
  Check(got.GetSe3dAlgo() == want("se_3d_algo", defaults.GetSe3dAlgo()), "se_3d_algo");
  Check(got.GetBgmAvailable() == (available ? 1 : 0) && got.GetSeAvailable() == (available ? 1 : 0), "availability");
  CString name = profile.GetString("sound", "device_name");
  name.Trim();
  Check(got.GetDeviceName() == name, "device_name trimmed");
}

// The network page's proxy fields from "Login" as the download settings
// read it: UseProxy 1 unless a number says otherwise, texts empty unless
// stored, a password that does not unscramble left out.
void CheckNetworkFields(CRawProfileStore& profile) {
  const uint32_t useProxy = profile.GetInt("Login", "UseProxy", 1);
  const CString server = profile.GetString("Login", "ProxyServer");
  const CString user = profile.GetString("Login", "ProxyUser");
  const CString raw = profile.GetString("Login", "ProxyPasswd");
  CString password;
  if (!raw.IsEmpty()) UnscrambleProxyPassword(raw, password);
  const int mode = ProxyModeFromStored(useProxy, server);
  Check(mode == kProxySystem || mode == kProxyDirect || mode == kProxyNamed, "proxy mode");
  NetworkProxyFields fields;
  ProxyFieldsFromSettings(mode, server, user, password, &fields);
  Check(fields.useProxy == (mode != kProxyDirect), "use proxy");
  Check(fields.proxyKind == (mode == kProxyNamed ? 1 : 0), "proxy kind");
  const int colon = server.Find(':');
  const CString host = colon < 0 ? server : server.Left(colon);
  CString port = colon < 0 ? CString() : server.Mid(colon + 1);
  if (port.IsEmpty()) port = "80";
  Check(fields.host == host, "host before the first ':'");
  Check(fields.portText == port, "port text as stored");
  // A port is digits only, at most 65535; anything else is no port.
  bool digits = true;
  for (int i = 0; i < port.GetLength(); ++i) digits = digits && port[i] >= '0' && port[i] <= '9';
  const bool number = digits && port.GetLength() > 0 && std::strtoul(port, nullptr, 10) <= kMaxProxyPort;
  Check(fields.port <= kMaxProxyPort, "port within range");
  Check(fields.port == (number ? static_cast<unsigned>(std::strtoul(port, nullptr, 10)) : 80u), "port value");
  Check(fields.user == user && fields.password == password, "user and password");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  CRawProfileStore profile;
  profile.missing = in.Byte();
  const uint8_t kind = in.Byte();
  const bool sound = (kind & 1) != 0;
  DeviceFacts facts;
  facts.flags = (kind & 2) ? 0x54u : 0x20u;  // pure hardware, or software vertex processing
  facts.ps = (kind & 4) ? 0xFFFF0300u : 0xFFFF0104u;
  facts.vs = (kind & 8) ? 0xFFFE0300u : 0xFFFE0101u;
  if (kind & 16) facts.renderTargets.clear();
  if (kind & 32) {
    facts.vendor = 0x8086;
    facts.device = 0x2582;
  }
  const uint8_t memory = in.Byte();
  const uint32_t videoMemoryMB = memory == 255 ? kVideoMemoryFailed : memory;
  ReadValues(in, profile);

  CFakeSettingDevice device(facts);
  CSoundSetting soundSetting;
  CGraphicSetting graphic;
  RunEnvSettingsLoad(sound, videoMemoryMB, device, profile, soundSetting, graphic);

  CheckGraphics(graphic.GetUser(), ExpectedRecord(profile, device, videoMemoryMB));
  CheckSound(soundSetting, profile, sound);
  CheckNetworkFields(profile);
  return 0;
}
