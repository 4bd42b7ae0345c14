#include "settings/sound_setting.h"

namespace {

void ReadInt(CProfileStore& profile, const char* section, const char* entry, int32_t& field) {
  field = static_cast<int32_t>(profile.GetInt(section, entry, field));
}

}  // namespace

CSoundSetting::CSoundSetting() { SetDefaults(); }

void CSoundSetting::SetDefaults() {
  m_bgmAvailable = 1;
  m_bgmMute = 0;
  m_bgm = 13;
  m_seAvailable = 1;
  m_seMute = 0;
  m_se = 13;
  m_movieSet = 1;
  m_seLocSoftware = 0;
  m_se3dAlgo = 1;
}

void CSoundSetting::Load(CProfileStore& profile, const char* section) {
  ReadInt(profile, section, "se", m_se);
  ReadInt(profile, section, "se_mute", m_seMute);
  ReadInt(profile, section, "bgm", m_bgm);
  ReadInt(profile, section, "bgm_mute", m_bgmMute);
  ReadInt(profile, section, "movie_set", m_movieSet);
  m_deviceName = profile.GetString(section, "device_name");
  m_deviceName.Trim();
  ReadInt(profile, section, "se_loc_software", m_seLocSoftware);
  ReadInt(profile, section, "se_3d_algo", m_se3dAlgo);
}

BOOL CSoundSetting::Save(CProfileStore& profile, const char* section) const {
  const struct {
    const char* entry;
    int32_t value;
  } values[] = {
      {"se", m_se}, {"se_mute", m_seMute}, {"bgm", m_bgm}, {"bgm_mute", m_bgmMute}, {"movie_set", m_movieSet},
  };
  bool ok = true;
  for (const auto& v : values) ok = profile.WriteInt(section, v.entry, v.value) != FALSE && ok;
  return ok ? TRUE : FALSE;
}

CSoundSetting& GetSoundSetting() {
  static CSoundSetting setting;
  return setting;
}
