// A small program that patch scripts start in the tests (CALL and EXEC).
// It writes what it saw to the file named by QUORL_CHILD_REPORT: its command
// line, its working folder, and whether the windows named by
// QUORL_CHILD_WATCH ("main,popup" as numbers) were hidden while it ran.
// QUORL_CHILD_MODE: "gui" pumps messages (ready for input), "busy" has a
// window but never reads its messages (never ready), "quick" only reports.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HWND WatchedWindow(const char* list, int index) {
  const char* p = list;
  for (int i = 0; i < index && p; ++i) {
    p = std::strchr(p, ',');
    if (p) ++p;
  }
  if (!p || !*p) return nullptr;
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(p, nullptr, 10)));
}

bool Hidden(HWND window) { return window && !::IsWindowVisible(window); }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  char report[MAX_PATH] = {}, mode[32] = {}, watch[128] = {};
  if (!::GetEnvironmentVariableA("QUORL_CHILD_REPORT", report, sizeof report)) return 1;
  ::GetEnvironmentVariableA("QUORL_CHILD_MODE", mode, sizeof mode);
  ::GetEnvironmentVariableA("QUORL_CHILD_WATCH", watch, sizeof watch);
  HWND main = WatchedWindow(watch, 0);
  HWND popup = WatchedWindow(watch, 1);

  bool mainHidden = false, popupHidden = false;
  if (std::strcmp(mode, "quick") != 0) {
    const bool pump = std::strcmp(mode, "gui") == 0;
    HWND own = ::CreateWindowExA(0, "STATIC", "script child", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr, instance,
                                 nullptr);
    // Wait (at most ten seconds) until the launcher has hidden its windows.
    for (int i = 0; i < 500; ++i) {
      if (pump) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
      }
      mainHidden = Hidden(main);
      popupHidden = Hidden(popup);
      if (mainHidden && (popupHidden || !popup)) break;
      // Waiting for messages is what marks a program ready for input.
      if (pump)
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      else
        ::Sleep(20);
    }
    if (own) ::DestroyWindow(own);
  }

  char folder[MAX_PATH] = {};
  ::GetCurrentDirectoryA(sizeof folder, folder);
  // Written under another name and renamed, so that a reader never sees
  // half a report.
  char partial[MAX_PATH + 8];
  std::snprintf(partial, sizeof partial, "%s.part", report);
  FILE* f = std::fopen(partial, "wb");
  if (!f) return 1;
  std::fprintf(f, "cmdline=%s\ncwd=%s\nmain_hidden=%d\npopup_hidden=%d\n", ::GetCommandLineA(), folder,
               mainHidden ? 1 : 0, popupHidden ? 1 : 0);
  std::fclose(f);
  ::MoveFileExA(partial, report, MOVEFILE_REPLACE_EXISTING);
  return 7;  // an exit code nobody looks at
}
