#include "settings/env_settings_win.h"

#include <d3d9.h>

#include "settings/env_settings.h"
#include "settings/profile_store_win.h"
#include "settings/sound_device_win.h"
#include "settings/sound_setting.h"
#include "settings/video_memory.h"

// The neutral rules spell out the Direct3D values they use.
static_assert(d3dval::kCreatePureDevice == D3DCREATE_PUREDEVICE, "pure device flag");
static_assert(d3dval::kCreateSoftwareVertex == D3DCREATE_SOFTWARE_VERTEXPROCESSING, "software flag");
static_assert(d3dval::kCreateHardwareVertex == D3DCREATE_HARDWARE_VERTEXPROCESSING, "hardware flag");
static_assert(d3dval::kUsageRenderTarget == D3DUSAGE_RENDERTARGET, "render-target usage");
static_assert(d3dval::kFormatA8R8G8B8 == D3DFMT_A8R8G8B8, "A8R8G8B8");
static_assert(d3dval::kFormatA4R4G4B4 == D3DFMT_A4R4G4B4, "A4R4G4B4");
static_assert(d3dval::kFormatDxt3 == D3DFMT_DXT3, "DXT3");
static_assert(d3dval::VsVersion(1, 1) == D3DVS_VERSION(1, 1), "vs_1_1");
static_assert(d3dval::VsVersion(2, 0) == D3DVS_VERSION(2, 0), "vs_2_0");
static_assert(d3dval::PsVersion(2, 0) == D3DPS_VERSION(2, 0), "ps_2_0");

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
