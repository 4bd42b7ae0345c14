// The load sequence of the environment settings, run each time the
// settings dialog opens: every default is computed again and every value
// read again, so edits that were not saved are dropped.
#pragma once

#include <cstdint>

#include "settings/graphic_device.h"
#include "settings/graphic_setting.h"
#include "settings/profile_store.h"
#include "settings/sound_setting.h"

// soundAvailable: the sound test passed; measuredVideoMemoryMB: the raw
// video memory estimate (0xFFFFFFFF when it failed).
void RunEnvSettingsLoad(bool soundAvailable, uint32_t measuredVideoMemoryMB, CGraphicSettingDevice& device,
                        CProfileStore& profile, CSoundSetting& sound, CGraphicSetting& graphic);
