// The Win32 side of the environment settings: the registry profile, the
// string table, the sound test and the video-memory measurement put behind
// the neutral records.
#pragma once

#include <windows.h>

#include <cstdint>

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

// The load sequence of an opening settings dialog, in two steps so that
// its slow part runs while the dialog builds its tabs and pages.  Start
// hands the sound test on the main window and the video-memory measurement
// to a thread of their own; Finish waits for them and then, on the calling
// thread, does what LoadEnvSettingsFromProfile does with their answers
// (defaults for the device, every section read, the effective record
// derived).  Only Finish touches the records, the device and the profile:
// nothing a page shows changes before it, and the thread only measures.
class CEnvSettingsLoad {
 public:
  CEnvSettingsLoad() = default;
  // Waits for measurements still running.
  ~CEnvSettingsLoad();
  CEnvSettingsLoad(const CEnvSettingsLoad&) = delete;
  CEnvSettingsLoad& operator=(const CEnvSettingsLoad&) = delete;

  // mainWnd: the window of the sound test (null: no test, no sound).  Once
  // per load; when no thread can be had, Finish measures instead.
  void Start(HWND mainWnd);
  // After Start: the load with its measurements (taken here when they could
  // not be taken on their own thread).
  void Finish(CWinApp& app, CGraphicSettingDevice& device);
  // Waits for the measurements and drops them: no load.
  void Abandon();

 private:
  static unsigned __stdcall MeasureThread(void* param);
  void Measure();
  // Until the thread has ended; messages sent to this thread's windows are
  // answered meanwhile, nothing posted is taken from its queue.
  void Wait();

  HWND m_hMainWnd = nullptr;
  HANDLE m_hThread = nullptr;
  // Written by the thread, read once it has ended.
  bool m_bSoundTested = false;
  bool m_bSoundAvailable = false;
  bool m_bMemoryMeasured = false;
  uint32_t m_nVideoMemoryMB = 0;
};

// The graphics settings' defaults again (video memory measured anew);
// nothing is written.
void ResetGraphicSettingsToDefaults(CGraphicSettingDevice& device);

// The hint text of a settings item from the string table.
void GetGraphicHintText(CGraphicSettingDevice& device, CString& out, int item);
