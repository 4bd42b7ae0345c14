#include "settings/env_settings_win.h"

#include "settings/env_settings.h"
#include "settings/profile_store_win.h"
#include "settings/sound_device_win.h"
#include "settings/sound_setting.h"
#include "settings/video_memory.h"

CString CResourceStringSource::Load(UINT id) const {
  CString s;
  s.LoadString(id);
  return s;
}

BOOL IsSoundAvailable(HWND mainWnd) {
  if (mainWnd == nullptr) return FALSE;
  return SUCCEEDED(GetSoundDevice().Test(mainWnd, nullptr)) ? TRUE : FALSE;
}

void LoadEnvSettingsFromProfile(CWinApp& app, HWND mainWnd, CGraphicSettingDevice& device) {
  CAppProfileStore profile(app);
  const bool sound = IsSoundAvailable(mainWnd) != FALSE;
  RunEnvSettingsLoad(sound, GetVideoMemoryMB(), device, profile, GetSoundSetting(), GetGraphicSetting());
}

void ResetGraphicSettingsToDefaults(CGraphicSettingDevice& device) {
  GetGraphicSetting().ResetToDefaults(device, GetVideoMemoryMB());
}

void GetGraphicHintText(CGraphicSettingDevice& device, CString& out, int item) {
  GetGraphicSetting().GetHintText(device, out, item, CResourceStringSource());
}
