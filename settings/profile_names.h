// The registry sections of the settings records, under the profile's key
// (HKCU\Software\<company>\<profile>).  Fixed: the game client reads the
// same sections.  Neutral.
#pragma once

// The display mode ("select_device", written by the launcher's device
// requirement).
constexpr const char kWindowSection[] = "window";
// CGraphicSetting's present options and surface settings, and its detail
// and sea settings.
constexpr const char kRenderSSection[] = "render_s";
constexpr const char kRenderDSection[] = "render_d";
// CSoundSetting.
constexpr const char kSoundSection[] = "sound";
// The subkey "Login" belongs to the download settings (kLoginSubkey in
// update/download_setting.h), which also hold the login server's address.
