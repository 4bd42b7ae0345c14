// The sound settings, section "sound".  The game client reads the same
// values; the launcher writes only the five its pages can change and
// leaves se_loc_software, se_3d_algo and device_name as they are stored.
#pragma once

#include <cstdint>

#include "framework/cstring.h"
#include "settings/profile_store.h"

class CSoundSetting {
 public:
  // The defaults, device name empty.
  CSoundSetting();

  // The defaults of every value, both availability flags set again (no new
  // sound test); the device name is kept.
  void SetDefaults();

  // Music and effects availability: the result of the sound test.
  void SetAvailable(int32_t available) { m_bgmAvailable = available; }
  void SetAvailable2(int32_t available) { m_seAvailable = available; }

  // Reads every value; a missing one keeps the current value (the device
  // name becomes empty).  Leading and trailing white space is cut from the
  // device name.
  void Load(CProfileStore& profile, const char* section);
  // Writes se, se_mute, bgm, bgm_mute and movie_set (REG_DWORD).  TRUE when
  // every write succeeded (all are tried).
  BOOL Save(CProfileStore& profile, const char* section) const;

  int32_t GetBgmAvailable() const { return m_bgmAvailable; }
  int32_t GetBgmMute() const { return m_bgmMute; }
  void SetBgmMute(int32_t v) { m_bgmMute = v; }
  int32_t GetBgm() const { return m_bgm; }
  void SetBgm(int32_t v) { m_bgm = v; }
  int32_t GetSeAvailable() const { return m_seAvailable; }
  int32_t GetSeMute() const { return m_seMute; }
  void SetSeMute(int32_t v) { m_seMute = v; }
  int32_t GetSe() const { return m_se; }
  void SetSe(int32_t v) { m_se = v; }
  int32_t GetMovieSet() const { return m_movieSet; }
  void SetMovieSet(int32_t v) { m_movieSet = v; }
  int32_t GetSeLocSoftware() const { return m_seLocSoftware; }
  void SetSeLocSoftware(int32_t v) { m_seLocSoftware = v; }
  int32_t GetSe3dAlgo() const { return m_se3dAlgo; }
  const CString& GetDeviceName() const { return m_deviceName; }

 private:
  int32_t m_bgmAvailable;
  int32_t m_bgmMute;
  int32_t m_bgm;
  int32_t m_seAvailable;
  int32_t m_seMute;
  int32_t m_se;
  int32_t m_movieSet;
  int32_t m_seLocSoftware;
  int32_t m_se3dAlgo;
  CString m_deviceName;
};

// The program's one sound settings object, made on first use.
CSoundSetting& GetSoundSetting();
