// The Win32 side of the patch scripts that needs no update screen: starting
// CALL and EXEC programs, waiting for them with the launcher hidden, and the
// messages the interpreter asks for.
#pragma once

#include <windows.h>

#include <string>

#include "update/patch_script.h"

// How long CALL waits for a started program to become ready for input
// before it hides the launcher anyway: a program without a message queue
// never becomes ready.
constexpr DWORD kScriptInputIdleWaitMs = 10000;

// Hides the main window with its owned pop-ups and puts it at the bottom of
// the window order; the show undoes it, brings the window to the front and
// shows the pop-ups again. Null is allowed and does nothing.
void HideApplicationWindows(HWND mainWnd);
void ShowApplicationWindows(HWND mainWnd);

// CALL: starts path through the shell with folder as its parameters and
// working folder (neither when folder is empty or null), waits at most
// idleWaitMs for it to become ready for input, hides mainWnd (may be null)
// and dispatches this thread's messages until the program ends; mainWnd is
// shown again before the return. A WM_QUIT seen meanwhile is posted again
// once the wait is over.
ScriptCallResult RunProgramAndWait(const char* path, const char* folder, HWND mainWnd,
                                   DWORD idleWaitMs = kScriptInputIdleWaitMs);
// EXEC: starts path the same way, shown, without waiting: TRUE when started.
BOOL StartProgram(const char* path, const char* folder);

// The process half of the launcher's script host.  The update sequence's
// scripts' host (CUpdateScriptHost, update/update_sequence_win.h) adds the
// folders, the downloads on the update screen and the announced versions.
class CScriptHostWin : public CScriptHost {
 public:
  // GetTempPathA, empty when it fails or does not fit in 260 characters.
  std::string GetTempFolder() override;
  ScriptCallResult RunProgramAndWait(const char* path, const char* folder) override;
  int StartProgram(const char* path, const char* folder) override;
  // The string with MB_ICONEXCLAMATION through the application's message box.
  void ShowMessage(uint32_t stringId) override;

 protected:
  // The window hidden during CALL: the application's main window.
  virtual HWND GetApplicationWindow();

 private:
  DWORD m_idleWaitMs = kScriptInputIdleWaitMs;
};
