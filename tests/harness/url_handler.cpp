// Makes the tests' URL recorder the machine's web browser, and puts the old
// one back:
//   url_handler install PROGRAM   the http protocol's open command becomes
//                                 "PROGRAM" "%1" (the old command is kept)
//   url_handler restore           the old command again
// PROGRAM is the tests' script_child, which writes its command line to the
// file named by QUORL_CHILD_REPORT: a test sees which address the shell
// opened, and no test starts a browser.  Wine honours only the machine-wide
// class key here (a per-user HKCU\Software\Classes entry is ignored).
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char kCommandKey[] = "Software\\Classes\\http\\shell\\open\\command";
// Beside the default value: the command that was there before install.
const char kSavedValue[] = "QuorlSavedCommand";
const char kNoCommand[] = "<none>";

bool ReadValue(HKEY key, const char* name, std::string* out) {
  char text[2048] = {};
  DWORD size = sizeof text - 1, type = 0;
  if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS)
    return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  *out = text;
  return true;
}

bool WriteValue(HKEY key, const char* name, const std::string& value) {
  return ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

int Install(const char* program) {
  std::string path = program;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    std::fprintf(stderr, "url_handler: no program %s\n", path.c_str());
    return 1;
  }
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kCommandKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    std::fprintf(stderr, "url_handler: cannot open HKLM\\%s\n", kCommandKey);
    return 1;
  }
  // A run that never restored has already saved the real command: keep it.
  std::string saved;
  bool ok = true;
  if (!ReadValue(key, kSavedValue, &saved)) {
    std::string old;
    if (!ReadValue(key, nullptr, &old)) old = kNoCommand;
    ok = WriteValue(key, kSavedValue, old);
  }
  ok = ok && WriteValue(key, nullptr, "\"" + path + "\" \"%1\"");
  ::RegCloseKey(key);
  if (!ok) std::fprintf(stderr, "url_handler: cannot write HKLM\\%s\n", kCommandKey);
  return ok ? 0 : 1;
}

int Restore() {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCommandKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return 0;
  std::string saved;
  bool ok = true;
  if (ReadValue(key, kSavedValue, &saved)) {
    // There was no command before: whether the delete finds one or not,
    // none is left.
    if (saved == kNoCommand)
      ::RegDeleteValueA(key, nullptr);
    else
      ok = WriteValue(key, nullptr, saved);
    ok = ok && ::RegDeleteValueA(key, kSavedValue) == ERROR_SUCCESS;
  }
  ::RegCloseKey(key);
  if (!ok) std::fprintf(stderr, "url_handler: cannot put the old command back\n");
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "install") == 0) return Install(argv[2]);
  if (argc == 2 && std::strcmp(argv[1], "restore") == 0) return Restore();
  std::fprintf(stderr, "usage: url_handler install PROGRAM | url_handler restore\n");
  return 2;
}
