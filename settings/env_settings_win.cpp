#include "settings/env_settings_win.h"

#include <objbase.h>
#include <process.h>

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

CEnvSettingsLoad::~CEnvSettingsLoad() { Wait(); }

void CEnvSettingsLoad::Start(HWND mainWnd) {
  Wait();
  m_hMainWnd = mainWnd;
  m_bSoundTested = false;
  m_bMemoryMeasured = false;
  const uintptr_t thread = ::_beginthreadex(nullptr, 0, &CEnvSettingsLoad::MeasureThread, this, 0, nullptr);
  m_hThread = reinterpret_cast<HANDLE>(thread);
}

unsigned __stdcall CEnvSettingsLoad::MeasureThread(void* param) {
  static_cast<CEnvSettingsLoad*>(param)->Measure();
  return 0;
}

void CEnvSettingsLoad::Measure() {
  // COM of this thread's own, in the multithreaded apartment (the thread
  // has no message loop): DirectSound is made, asked and released here, and
  // no interface leaves the thread.  Without COM the test is left to
  // Finish, on the dialog's thread.
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (SUCCEEDED(com)) {
    m_bSoundAvailable = IsSoundAvailable(m_hMainWnd) != FALSE;
    m_bSoundTested = true;
    ::CoUninitialize();
  }
  m_nVideoMemoryMB = GetVideoMemoryMB();
  m_bMemoryMeasured = true;
}

void CEnvSettingsLoad::Wait() {
  if (m_hThread == nullptr) return;
  // The sound test hands the main window to DirectSound, which could send
  // it a message: this thread answers sent messages while it waits, and
  // leaves everything posted (input, timers, the dialog's own messages) in
  // the queue, in order.
  for (;;) {
    const DWORD r = ::MsgWaitForMultipleObjects(1, &m_hThread, FALSE, INFINITE, QS_SENDMESSAGE);
    if (r != WAIT_OBJECT_0 + 1) break;
    MSG msg;
    ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  ::WaitForSingleObject(m_hThread, INFINITE);
  ::CloseHandle(m_hThread);
  m_hThread = nullptr;
}

void CEnvSettingsLoad::Finish(CWinApp& app, CGraphicSettingDevice& device) {
  Wait();
  if (!m_bSoundTested) m_bSoundAvailable = IsSoundAvailable(m_hMainWnd) != FALSE;
  if (!m_bMemoryMeasured) m_nVideoMemoryMB = GetVideoMemoryMB();
  m_bSoundTested = false;
  m_bMemoryMeasured = false;
  CAppProfileStore profile(app);
  RunEnvSettingsLoad(m_bSoundAvailable, m_nVideoMemoryMB, device, profile, GetSoundSetting(), GetGraphicSetting());
}

void CEnvSettingsLoad::Abandon() {
  Wait();
  m_bSoundTested = false;
  m_bMemoryMeasured = false;
}

void ResetGraphicSettingsToDefaults(CGraphicSettingDevice& device) {
  GetGraphicSetting().ResetToDefaults(device, GetVideoMemoryMB());
}

void GetGraphicHintText(CGraphicSettingDevice& device, CString& out, int item) {
  GetGraphicSetting().GetHintText(device, out, item, CResourceStringSource());
}
