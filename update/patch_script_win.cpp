#include "update/patch_script_win.h"

#include <shellapi.h>

#include <algorithm>

#include "framework/afxwin.h"
#include "framework/scoped_win.h"

namespace {

// A WM_QUIT taken from the queue during a wait, to be posted again after it:
// dispatching it would lose the request to end.
struct QuitSeen {
  bool seen = false;
  WPARAM code = 0;
};

void DispatchPending(QuitSeen* quit) {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit->seen = true;
      quit->code = msg.wParam;
      continue;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

// Waits at most limitMs for the program to be ready for input, keeping this
// thread's windows alive meanwhile. A program without a message queue fails
// the wait at once (or never gets ready), so the limit is what ends it.
void WaitUntilReady(HANDLE process, DWORD limitMs, QuitSeen* quit) {
  constexpr DWORD kSliceMs = 100;
  const DWORD start = ::GetTickCount();
  for (;;) {
    const DWORD elapsed = ::GetTickCount() - start;  // unsigned: right across the wrap
    if (elapsed >= limitMs) return;
    const DWORD result = ::WaitForInputIdle(process, std::min(kSliceMs, limitMs - elapsed));
    if (result != WAIT_TIMEOUT) return;                              // ready, or it never can be
    if (::WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return;  // already over
    DispatchPending(quit);
  }
}

void FillExecuteInfo(SHELLEXECUTEINFOA* info, const char* path, const char* folder) {
  ZeroMemory(info, sizeof(*info));
  info->cbSize = sizeof(*info);
  // The shell's own error box (or its "open with" choice for a file of no
  // known type) would come before, or instead of, the launcher's message.
  info->fMask = SEE_MASK_FLAG_NO_UI;
  info->lpFile = path;
  // The program learns the download folder from its command line; it is
  // passed as it stands, unquoted, as the patch programs expect it.
  if (folder && *folder) {
    info->lpParameters = folder;
    info->lpDirectory = folder;
  }
}

}  // namespace

void HideApplicationWindows(HWND mainWnd) {
  if (!mainWnd) return;
  ::ShowOwnedPopups(mainWnd, FALSE);
  ::ShowWindow(mainWnd, SW_HIDE);
  ::SetWindowPos(mainWnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void ShowApplicationWindows(HWND mainWnd) {
  if (!mainWnd) return;
  ::ShowWindow(mainWnd, SW_SHOW);
  ::UpdateWindow(mainWnd);
  ::SetForegroundWindow(mainWnd);
  ::ShowOwnedPopups(mainWnd, TRUE);
}

ScriptCallResult RunProgramAndWait(const char* path, const char* folder, HWND mainWnd, DWORD idleWaitMs) {
  SHELLEXECUTEINFOA info;
  FillExecuteInfo(&info, path, folder);
  info.fMask |= SEE_MASK_NOCLOSEPROCESS;
  info.nShow = SW_SHOWDEFAULT;
  if (!::ShellExecuteExA(&info)) return ScriptCallResult::kStartFailed;
  // The shell gives the process handle back: closed on every path.
  CScopedKernelHandle process(info.hProcess);
  // A document opened by a program that was already running gives no
  // process to wait for.
  if (!process.Get()) return ScriptCallResult::kWaitFailed;

  QuitSeen quit;
  WaitUntilReady(process.Get(), idleWaitMs, &quit);
  HideApplicationWindows(mainWnd);

  // Sleep until the program ends or a message arrives, rather than polling
  // the handle in a busy loop for the whole run of an installer.
  ScriptCallResult result;
  for (;;) {
    DispatchPending(&quit);
    HANDLE handle = process.Get();
    const DWORD wait = ::MsgWaitForMultipleObjectsEx(1, &handle, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (wait == WAIT_OBJECT_0) {
      result = ScriptCallResult::kEnded;
      break;
    }
    if (wait != WAIT_OBJECT_0 + 1) {
      result = ScriptCallResult::kWaitFailed;
      break;
    }
  }

  ShowApplicationWindows(mainWnd);
  if (quit.seen) ::PostQuitMessage(static_cast<int>(quit.code));
  return result;
}

BOOL StartProgram(const char* path, const char* folder) {
  SHELLEXECUTEINFOA info;
  FillExecuteInfo(&info, path, folder);
  info.nShow = SW_SHOW;
  return ::ShellExecuteExA(&info) ? TRUE : FALSE;
}

std::string CScriptHostWin::GetTempFolder() {
  char buffer[MAX_PATH + 1] = {};
  const DWORD n = ::GetTempPathA(sizeof buffer, buffer);
  if (n == 0 || n >= sizeof buffer) return std::string();
  return std::string(buffer, n);
}

ScriptCallResult CScriptHostWin::RunProgramAndWait(const char* path, const char* folder) {
  return ::RunProgramAndWait(path, folder, GetApplicationWindow(), m_idleWaitMs);
}

int CScriptHostWin::StartProgram(const char* path, const char* folder) { return ::StartProgram(path, folder) ? 1 : 0; }

void CScriptHostWin::ShowMessage(uint32_t stringId) { AfxMessageBox(static_cast<UINT>(stringId), MB_ICONEXCLAMATION); }

HWND CScriptHostWin::GetApplicationWindow() {
  CWnd* main = AfxGetMainWnd();
  return main ? main->GetSafeHwnd() : nullptr;
}
