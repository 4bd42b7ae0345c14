// A stand-in patch program: what a real patch does after it has applied its
// files, it does to the installation's "PL" value, writing the game version
// that its own file name carries ("patch-1001000.exe" installs 1.001); a
// name without digits ("patch-keep.exe") leaves "PL" as it is, like a patch
// that failed quietly.  The launcher's version stays what it was.
//
// Patch scripts CALL it after downloading it, so it behaves as a patch
// program does: a small window that takes input while it works, the
// download folder as its parameter.  Settings come from the environment,
// which the launcher hands on to the programs it starts:
//   QUORL_PATCH_REGKEY   the application key under HKCU (default the
//                        launcher's, Software\Halvane\Quorl)
//   QUORL_PATCH_SERVICE  the key of the stored form (default code page 949's
//                        service id)
//   QUORL_PATCH_REPORT   a file that gets one line per run (see Report)
//   QUORL_PATCH_SHOW_MS  how long the window stays up (default 200 ms)
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/localize.h"
#include "tests/update/pl_encoder.h"
#include "update/version_store.h"

namespace {

std::string Env(const char* name, const char* fallback) {
  char value[1024] = {};
  const DWORD n = ::GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : std::string(fallback);
}

// The version named by the program's file name: the last run of digits
// before the extension; false when the name has none.
bool VersionFromOwnName(uint32_t* version) {
  char path[MAX_PATH + 1] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name = path;
  const size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  size_t end = name.size();
  while (end > 0 && !std::isdigit(static_cast<unsigned char>(name[end - 1]))) --end;
  size_t begin = end;
  while (begin > 0 && std::isdigit(static_cast<unsigned char>(name[begin - 1]))) --begin;
  if (begin == end) return false;
  *version = static_cast<uint32_t>(std::strtoul(name.substr(begin, end - begin).c_str(), nullptr, 10));
  return true;
}

// Writes the game version into "PL", keeping the launcher version that the
// value held (0 when it held none that reads).
bool WriteGameVersion(const std::string& keyPath, uint32_t service, uint32_t game) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
    return false;
  uint32_t oldGame = 0, launcher = 0;
  char old[kMaxStoredVersionText] = {};
  DWORD type = 0, size = sizeof old - 1;
  if (::RegQueryValueExA(key, "PL", nullptr, &type, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS &&
      type == REG_SZ) {
    if (!DecodeInstalledVersions(old, size, service, &oldGame, &launcher)) launcher = 0;
  }
  const std::string text = pl_encoder::Encode(game, launcher, service);
  const bool ok = !text.empty() && ::RegSetValueExA(key, "PL", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                                    static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
  ::RegCloseKey(key);
  return ok;
}

long long Now() {
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return t.QuadPart;
}

// One line: "patch cmdline=<...> cwd=<...> wrote=<version or keep>
// qpc_start=<counter> qpc_end=<counter>"; the performance counter is the
// same clock in every process, so a benchmark can place the run in time.
void Report(const std::string& wrote, long long started) {
  const std::string path = Env("QUORL_PATCH_REPORT", "");
  if (path.empty()) return;
  char cwd[MAX_PATH + 1] = {};
  ::GetCurrentDirectoryA(MAX_PATH, cwd);
  if (FILE* f = std::fopen(path.c_str(), "ab")) {
    std::fprintf(f, "patch cmdline=%s cwd=%s wrote=%s qpc_start=%lld qpc_end=%lld\n", ::GetCommandLineA(), cwd,
                 wrote.c_str(), started, Now());
    std::fclose(f);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  const long long started = Now();
  const std::string keyPath = Env("QUORL_PATCH_REGKEY", "Software\\Halvane\\Quorl");
  const uint32_t service = static_cast<uint32_t>(std::strtoul(Env("QUORL_PATCH_SERVICE", "0").c_str(), nullptr, 10));
  const uint32_t key = service != 0 ? service : GetServiceIdForCodePage(949);
  const DWORD showMs = static_cast<DWORD>(std::strtoul(Env("QUORL_PATCH_SHOW_MS", "200").c_str(), nullptr, 10));

  uint32_t version = 0;
  const bool writes = VersionFromOwnName(&version);
  char title[96];
  if (writes)
    std::snprintf(title, sizeof title, "Quorl patch: installing %u.%03u", version / 1000000u,
                  (version / 1000u) % 1000u);
  else
    std::snprintf(title, sizeof title, "Quorl patch: nothing to install");

  // A window that reads its messages: the launcher waits until the program
  // is ready for input before it hides itself.
  HWND wnd = ::CreateWindowExA(0, "STATIC", title, WS_OVERLAPPEDWINDOW | SS_CENTER, CW_USEDEFAULT, CW_USEDEFAULT, 360,
                               90, nullptr, nullptr, instance, nullptr);
  if (wnd) ::ShowWindow(wnd, show);
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < showMs) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }

  bool ok = true;
  if (writes) ok = WriteGameVersion(keyPath, key, version);
  Report(writes ? (ok ? std::to_string(version) : std::string("failed")) : std::string("keep"), started);
  if (wnd) ::DestroyWindow(wnd);
  return ok ? 0 : 1;
}
