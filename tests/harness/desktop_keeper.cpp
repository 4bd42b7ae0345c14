// Holds the test prefix's desktop while the Wine suite runs (started and
// ended by tools/wine-suite.sh).  Wine closes a desktop one second after
// the last program on it has gone: explorer.exe, which owns the desktop
// window, is told to quit, and the next program to come gets a new desktop
// and starts a new explorer.  The suite runs its window tests one after
// another, so the next test program starts within about that second and
// meets an explorer on its way out or one still starting; its first window
// waits for the desktop window's answer without a bound.  A Windows session
// keeps its desktop from log-on to log-off; this program keeps the suite's,
// by being on it until it is ended.  It writes "ready" to stdout once it is.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // A message-only window: on the desktop, never shown, never active.
  HWND wnd =
      ::CreateWindowExA(0, "STATIC", "quorl desktop keeper", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (wnd == nullptr) return 1;
  // The desktop window answers: its explorer is up.
  DWORD_PTR answer = 0;
  ::SendMessageTimeoutA(::GetDesktopWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer);
  const char ready[] = "ready\n";
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), ready, sizeof ready - 1, &written, nullptr);
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
  return 0;
}
