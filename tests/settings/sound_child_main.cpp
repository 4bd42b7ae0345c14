// Runs the sound test in a process of its own and prints its result, for
// the rows that need Wine's audio set up differently from the test
// program's.  "nodriver": this process sees an empty audio-driver list
// (through a private HKEY_CURRENT_USER), as on a machine without sound.
#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>

#include "settings/env_settings_win.h"
#include "settings/sound_device_win.h"

namespace {

// Points this process's HKEY_CURRENT_USER at a key of its own whose
// Software\Wine\Drivers holds an empty "Audio": nothing else in the prefix
// changes, so tests running beside this one keep their sound.
bool HideAudioDrivers() {
  char name[64];
  std::snprintf(name, sizeof name, "Software\\QuorlTest\\NoAudio%lu", ::GetCurrentProcessId());
  HKEY root = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, name, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &root,
                        nullptr) != ERROR_SUCCESS) {
    return false;
  }
  HKEY drivers = nullptr;
  bool ok = ::RegCreateKeyExA(root, "Software\\Wine\\Drivers", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              &drivers, nullptr) == ERROR_SUCCESS;
  if (ok) {
    ok = ::RegSetValueExA(drivers, "Audio", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1) == ERROR_SUCCESS;
    ::RegCloseKey(drivers);
  }
  ok = ok && ::RegOverridePredefKey(HKEY_CURRENT_USER, root) == ERROR_SUCCESS;
  ::RegCloseKey(root);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
  HWND wnd = ::CreateWindowA("STATIC", "sound test", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  if (wnd == nullptr) return 3;
  if (argc > 1 && std::strcmp(argv[1], "nodriver") == 0 && !HideAudioDrivers()) return 4;
  const HRESULT hr = GetSoundDevice().Test(wnd, nullptr);
  const BOOL available = IsSoundAvailable(wnd);
  std::printf("%08lx %d\n", static_cast<unsigned long>(hr), available);
  // The private key goes with the process's view of it.
  if (argc > 1 && std::strcmp(argv[1], "nodriver") == 0) {
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    char name[64];
    std::snprintf(name, sizeof name, "Software\\QuorlTest\\NoAudio%lu", ::GetCurrentProcessId());
    ::SHDeleteKeyA(HKEY_CURRENT_USER, name);
  }
  std::fflush(stdout);
  ::DestroyWindow(wnd);
  ::CoUninitialize();
  return 0;
}
