// The version check as the launcher runs it on Win32: message boxes with
// the application's title, the idle message loop, the update screen's
// window, the tick count, the idle network pump, the installed versions
// from "PL", and the login address from the profile, the region and the
// portal.  The calls into the application object are all in this file's
// "application" section.
#pragma once

#include <windows.h>

#include <cstdint>

#include "update/idle_message_loop.h"
#include "update/version_check.h"

// The update screen's version check over the launcher's login socket and
// version table: 1 answers complete, 2 failed (the user was told), 3 the
// window is gone or the application quits.
int RunVersionCheck(HWND updateView, uint32_t version);

// The login server's address (ParseLoginServerAddress of the profile value
// "Login"/"Server", the region's default host and the portal's host and
// port).
void GetLoginServerAddress(CString& host, uint16_t& port);
// The installed versions through the version store with the region's
// service id: TRUE when both were read.
BOOL ReadInstalledVersions(uint32_t& game, uint32_t& launcher);
// Each version alone: the version, or 0 with failed set to TRUE.
uint32_t GetInstalledGameVersion(BOOL& failed);
uint32_t GetInstalledLauncherVersion(BOOL& failed);
// The region's service id.
uint32_t GetAppServiceId();
// WM_COMMAND 32779 (back to the launcher screen) / ID_APP_EXIT to the main
// window.
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

// The launcher's host of a check.  The application-bound answers (address,
// service id, installed versions) are virtual so that tests can give their
// own while everything else stays the product's.
class CLauncherVersionCheckHost : public CVersionCheckHost {
 public:
  // updateView: the window whose disappearance ends the check.
  explicit CLauncherVersionCheckHost(HWND updateView, CWinThread* thread = nullptr);

  int ShowMessage(uint32_t id, uint32_t style) override;
  int ShowMessageWithCode(uint32_t id, uint32_t style, int code) override;
  void ShowNotice(const char* utf8, size_t length) override;
  int RunIdleLoop(uint32_t ms) override;
  void ResetIdleLoop() override;
  bool IsWindowAlive() override;
  uint32_t GetTickCount() override;
  void StartNetworkPump() override;
  void StopNetworkPump() override;
  bool ReadInstalledVersions(uint32_t& game, uint32_t& launcher) override;
  void GetLoginServerAddress(CString& host, uint16_t& port) override;
  uint32_t GetServiceId() override;

 private:
  HWND m_hView;
  CIdleMessageLoop m_loop;
};
