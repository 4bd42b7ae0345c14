#include "settings/env_settings.h"

#include "settings/profile_names.h"

void RunEnvSettingsLoad(bool soundAvailable, uint32_t measuredVideoMemoryMB, CGraphicSettingDevice& device,
                        CProfileStore& profile, CSoundSetting& sound, CGraphicSetting& graphic) {
  sound.SetAvailable(soundAvailable ? 1 : 0);
  sound.SetAvailable2(soundAvailable ? 1 : 0);
  graphic.LoadDeviceOptions(profile, measuredVideoMemoryMB);
  graphic.LoadAll(profile, device);
  // Read once more without a derive: a user value that the derive lowered
  // (the best sea on a device without pixel shader 2.0) is what the pages
  // show and save, while the effective record keeps the lowered one.
  graphic.LoadPresentOptions(profile, kRenderSSection);
  graphic.LoadRenderS(profile, kRenderSSection);
  graphic.LoadRenderD(profile, kRenderDSection);
  sound.Load(profile, kSoundSection);
}
