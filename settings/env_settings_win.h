// The Win32 side of the environment settings: the registry profile, the
// string table, the sound test and the video-memory measurement put behind
// the neutral records.
#pragma once

#include <windows.h>

#include "framework/afxwin.h"
#include "settings/graphic_device.h"
#include "settings/graphic_setting.h"

// Strings from the program's string table (the resource module's).
class CResourceStringSource : public CStringSource {
 public:
  CString Load(UINT id) const override;
};

// The sound test on the default device: TRUE when there is a window and
// the test gives a non-negative HRESULT.
BOOL IsSoundAvailable(HWND mainWnd);

// The load sequence of the settings dialog with the application's profile:
// sound test on mainWnd, video memory, defaults for the device, every
// section read, the effective record derived.
void LoadEnvSettingsFromProfile(CWinApp& app, HWND mainWnd, CGraphicSettingDevice& device);

// The graphics settings' defaults again (video memory measured anew);
// nothing is written.
void ResetGraphicSettingsToDefaults(CGraphicSettingDevice& device);

// The hint text of a settings item from the string table.
void GetGraphicHintText(CGraphicSettingDevice& device, CString& out, int item);
