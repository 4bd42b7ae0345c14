#include "tests/settings/settings_win_fixture.h"

#include <shlwapi.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>

namespace {

std::string SectionKey(const char* section) { return std::string(kTestAppKey) + "\\" + section; }

std::wstring ToWide(UINT codePage, const char* text) {
  int n = ::MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
  std::wstring out(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) ::MultiByteToWideChar(codePage, 0, text, -1, &out[0], n);
  return out;
}

}  // namespace

CQuorlLauncherApp& SettingsTestApp() {
  static CWnd* mainWindow = nullptr;
  CQuorlLauncherApp& app = *GetLauncherApp();
  if (mainWindow == nullptr) {
    AfxWinInit(::GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL);
    app.SetRegistryKey("Halvane");
    // As start-up does: the localisation record's profile name replaces
    // the one SetRegistryKey chose.
    std::free(const_cast<char*>(app.m_pszProfileName));
    app.m_pszProfileName = _strdup(kTestProfile);
    mainWindow = new CWnd;
    mainWindow->CreateEx(0, "STATIC", "Quorl", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr);
  }
  app.m_pMainWnd = mainWindow;
  return app;
}

bool InitTestDevice(std::string* message) {
  CString text;
  if (SettingsTestApp().InitDevice(text)) return true;
  *message = text.GetString();
  return false;
}

DWORD RegValue::AsDword() const {
  DWORD v = 0;
  if (data.size() == sizeof v) std::memcpy(&v, data.data(), sizeof v);
  return v;
}

RegValue ReadRegValue(const char* section, const char* name) {
  RegValue out;
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return out;
  DWORD type = 0;
  DWORD size = 0;
  if (::RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    std::string data(size, '\0');
    if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size) == ERROR_SUCCESS) {
      data.resize(size);
      out.present = true;
      out.type = type;
      out.data = data;
    }
  }
  ::RegCloseKey(key);
  return out;
}

namespace {
void WriteRegRaw(const char* section, const char* name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
  EXPECT_EQ(ERROR_SUCCESS, ::RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size));
  ::RegCloseKey(key);
}
}  // namespace

void WriteRegDword(const char* section, const char* name, DWORD value) {
  WriteRegRaw(section, name, REG_DWORD, &value, sizeof value);
}

void WriteRegString(const char* section, const char* name, const char* value) {
  WriteRegRaw(section, name, REG_SZ, value, static_cast<DWORD>(std::strlen(value) + 1));
}

std::string SnapshotProfile() {
  std::ostringstream out;
  HKEY app = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, kTestAppKey, 0, KEY_READ, &app) != ERROR_SUCCESS) return "";
  char section[256];
  for (DWORD i = 0;; ++i) {
    DWORD len = sizeof section;
    if (::RegEnumKeyExA(app, i, section, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(app, section, 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
    std::map<std::string, std::string> values;
    char name[256];
    BYTE data[1024];
    for (DWORD j = 0;; ++j) {
      DWORD nameLen = sizeof name;
      DWORD size = sizeof data;
      DWORD type = 0;
      if (::RegEnumValueA(key, j, name, &nameLen, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
      std::ostringstream v;
      v << type << ":";
      for (DWORD k = 0; k < size; ++k) v << std::hex << static_cast<int>(data[k]) << ".";
      values[name] = v.str();
    }
    ::RegCloseKey(key);
    for (const auto& kv : values) out << section << "/" << kv.first << "=" << kv.second << "\n";
  }
  ::RegCloseKey(app);
  return out.str();
}

void DeleteTestProfile() { ::SHDeleteKeyA(HKEY_CURRENT_USER, kTestAppKey); }

std::wstring FromAnsi(const char* text) { return ToWide(CP_ACP, text); }
std::wstring FromUtf8(const char* text) { return ToWide(CP_UTF8, text); }

void SettingsWinTest::SetUp() {
  comStarted = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  window = SettingsTestApp().m_pMainWnd->GetSafeHwnd();
  ASSERT_NE(nullptr, window);
  DeleteTestProfile();
}

void SettingsWinTest::TearDown() {
  DeleteTestProfile();
  if (comStarted) ::CoUninitialize();
}
