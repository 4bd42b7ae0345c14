// The version check as the launcher runs it on Win32: message boxes with
// the application's title, the idle message loop, the update screen's
// window, the tick count, the idle network pump, the installed versions
// from "PL", and the service id and login address from the update screen's
// host (update/update_screen_host.h).
#pragma once

#include <windows.h>

#include <cstdint>

#include "update/idle_message_loop.h"
#include "update/version_check.h"

class CUpdateScreenHost;

// The update screen's version check over the launcher's login socket and
// version table, with the screen's host: 1 answers complete, 2 failed (the
// user was told), 3 the window is gone or the application quits.
int RunVersionCheck(HWND updateView, uint32_t version, CUpdateScreenHost& screenHost);

// The installed versions through the version store with the service id:
// true when both were read (both 0 when not).  The screens' hosts give the
// same with their application's service id.
bool ReadInstalledVersions(uint32_t serviceId, uint32_t* game, uint32_t* launcher);
// Each version alone: the version, or 0 with failed set to TRUE.
uint32_t GetInstalledGameVersion(uint32_t serviceId, BOOL& failed);
uint32_t GetInstalledLauncherVersion(uint32_t serviceId, BOOL& failed);
// WM_COMMAND ID_SHOW_LAUNCHER_VIEW (back to the launcher screen) /
// ID_APP_EXIT to the main window.
void PostBackToLauncher();
void PostAppExit();

// The server's notice as the user reads it: UTF-8 to UTF-16 to the
// thread's ANSI code page.
CString NoticeToAnsi(const char* utf8, size_t length);

// Tests watch the check's message boxes with a hook: it gets the text and
// style the box would have and returns the button pressed.  Null shows
// real boxes.
typedef int (*CheckMessageBoxHook)(const char* text, UINT style);
void SetCheckMessageBoxHook(CheckMessageBoxHook hook);

// The launcher's host of a check.  The answers that come from the update
// screen's host or "PL" (address, service id, installed versions) are
// virtual so that tests can give their own while everything else stays the
// product's.
class CLauncherVersionCheckHost : public CVersionCheckHost {
 public:
  // updateView: the window whose disappearance ends the check; screenHost
  // (may be null when a test answers for it) gives the service id and the
  // address.
  explicit CLauncherVersionCheckHost(HWND updateView, CUpdateScreenHost* screenHost = nullptr,
                                     CWinThread* thread = nullptr);

  int ShowMessage(uint32_t id, uint32_t style) override;
  int ShowMessageWithCode(uint32_t id, uint32_t style, int code) override;
  void ShowNotice(const char* utf8, size_t length) override;
  int RunIdleLoop(uint32_t ms) override;
  void ResetIdleLoop() override;
  bool IsWindowAlive() override;
  uint32_t GetTickCount() override;
  void StartNetworkPump() override;
  void StopNetworkPump() override;
  bool ReadInstalledVersions(uint32_t* game, uint32_t* launcher) override;
  void GetLoginServerAddress(CString& host, uint16_t& port) override;
  uint32_t GetServiceId() override;

 private:
  HWND m_hView;
  CUpdateScreenHost* m_pScreenHost;
  CIdleMessageLoop m_loop;
};
