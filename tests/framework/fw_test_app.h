// Shared by the framework's Win32 test files: the application object and
// a few helpers.
#pragma once

#include "framework/afxwin.h"
#include "tests/support/test_app_win.h"

#include <functional>
#include <string>
#include <vector>

#define ID_TEST_VIEW_CMD 40001
#define ID_TEST_FRAME_CMD 40002
#define ID_TEST_APP_CMD 40003
#define ID_TEST_NOBODY_CMD 40004
#define ID_TEST_RANGE_FIRST 40010
#define ID_TEST_RANGE_LAST 40019

class CTestApp : public CWinApp {
 public:
  CTestApp() : CWinApp("Quorl FW Test") {}

  BOOL InitInstance() override { return onInit ? onInit() : FALSE; }
  BOOL OnIdle(LONG lCount) override { return onIdle ? onIdle(lCount) : CWinApp::OnIdle(lCount); }
  int ExitInstance() override {
    ++exitCalls;
    CWinApp::ExitInstance();
    return exitCode;
  }
  void OnAppCommand() { commands.push_back("app"); }

  // Resets the hooks between tests.
  void Reset() {
    onInit = nullptr;
    onIdle = nullptr;
    exitCode = 0;
    exitCalls = 0;
    commands.clear();
    m_pMainWnd = nullptr;
  }

  std::function<BOOL()> onInit;
  std::function<BOOL(LONG)> onIdle;
  int exitCode = 0;
  int exitCalls = 0;
  std::vector<std::string> commands;  // which handler took a command

  DECLARE_MESSAGE_MAP()
};

// The application object, set up by AfxWinInit on first use.
CTestApp& TestApp();

using test_support::PumpUntil;

// Watches this thread's windows from another thread for the first message
// box, records it and presses its default button.
class CMessageBoxWatcher {
 public:
  CMessageBoxWatcher();
  ~CMessageBoxWatcher();
  // Waits (pumping messages) until a box was seen and closed.
  bool Wait(DWORD timeoutMs = 5000);

  std::string text;
  std::string caption;
  HWND owner = nullptr;
  // The icon the box shows (null when it shows none).
  HICON icon = nullptr;
  int seen = 0;

 private:
  struct Impl;
  Impl* m_impl;
};
