// A stand-in for the game client "quorl.bin": a small window that shows the
// command line it was started with, its working folder and the portal data
// it found on the clipboard (deciphered with the launch key that ends its
// command line), as a real client would take them.
//
// The environment, handed on by the launcher, adds what tests need:
//   QUORL_CLIENT_REPORT   a file that gets "cmdline=", "cwd=" and "portal="
//                         lines once the client has read its start-up data,
//                         and "qpc=", the performance counter as it started
//   QUORL_CLIENT_EXIT_MS  ends the client after that many milliseconds
//                         (default: it stays until its window is closed)
//
// "quorl.bin --put-portal KEY TEXT" plays the web portal instead: it puts
// TEXT on the clipboard enciphered with KEY, as the portal does before it
// starts the launcher with KEY, and ends.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/portal.h"

namespace {

// The window class, fixed so that tests and the demo find the client.
const char kClientClass[] = "QuorlStandInClient";
constexpr UINT_PTR kExitTimer = 1;

std::string Env(const char* name) {
  char value[MAX_PATH + 1] = {};
  const DWORD n = ::GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

// The launch key: what follows the quoted program path and its one space.
std::string LaunchKey(const char* commandLine) {
  std::string line = commandLine;
  size_t at = 0;
  if (!line.empty() && line[0] == '"') {
    const size_t close = line.find('"', 1);
    at = close == std::string::npos ? line.size() : close + 1;
  } else {
    const size_t space = line.find(' ');
    at = space == std::string::npos ? line.size() : space;
  }
  if (at < line.size() && line[at] == ' ') ++at;
  return line.substr(at);
}

// The portal data, deciphered with the key; the clipboard may be busy for a
// moment while the launcher that started us still holds it.
std::string PortalData(const std::string& key) {
  if (key.empty()) return "(no launch key)";
  char text[kPortalClipboardBufferSize] = {};
  for (int attempt = 0; attempt < 25; ++attempt) {
    if (GetPortalClipboard(text, sizeof text, key.c_str(), false)) return text;
    ::Sleep(20);
  }
  return "(none)";
}

LRESULT CALLBACK ClientProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_TIMER:
      if (wParam == kExitTimer) ::DestroyWindow(wnd);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcA(wnd, msg, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  LARGE_INTEGER started;
  ::QueryPerformanceCounter(&started);
  if (__argc == 4 && std::strcmp(__argv[1], "--put-portal") == 0)
    return PutPortalClipboard(__argv[3], __argv[2]) ? 0 : 1;
  const char* commandLine = ::GetCommandLineA();
  char cwd[MAX_PATH + 1] = {};
  ::GetCurrentDirectoryA(MAX_PATH, cwd);
  const std::string key = LaunchKey(commandLine);
  const std::string portal = PortalData(key);

  const std::string report = Env("QUORL_CLIENT_REPORT");
  if (!report.empty()) {
    // Written under another name and renamed: a reader never sees half.
    const std::string partial = report + ".part";
    if (FILE* f = std::fopen(partial.c_str(), "wb")) {
      std::fprintf(f, "cmdline=%s\ncwd=%s\nportal=%s\nqpc=%lld\n", commandLine, cwd, portal.c_str(),
                   static_cast<long long>(started.QuadPart));
      std::fclose(f);
      ::MoveFileExA(partial.c_str(), report.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
  }

  WNDCLASSA wc = {};
  wc.lpfnWndProc = ClientProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kClientClass;
  if (!::RegisterClassA(&wc)) return 1;
  HWND wnd = ::CreateWindowExA(0, kClientClass, "Quorl (stand-in game client)", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                               CW_USEDEFAULT, CW_USEDEFAULT, 560, 200, nullptr, nullptr, instance, nullptr);
  if (!wnd) return 1;
  const std::string text = std::string("The game would start here.\r\n\r\nCommand line: ") + commandLine +
                           "\r\nFolder: " + cwd + "\r\nPortal data: " + portal;
  RECT client;
  ::GetClientRect(wnd, &client);
  ::CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE, 10, 10, client.right - 20, client.bottom - 20,
                    wnd, nullptr, instance, nullptr);
  ::ShowWindow(wnd, show);
  ::UpdateWindow(wnd);
  const std::string exitMs = Env("QUORL_CLIENT_EXIT_MS");
  if (!exitMs.empty())
    ::SetTimer(wnd, kExitTimer, static_cast<UINT>(std::strtoul(exitMs.c_str(), nullptr, 10)), nullptr);

  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return 0;
}
