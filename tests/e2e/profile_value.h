// Values of the default profile that the launcher's end-to-end tests set
// for the launcher and put back afterwards.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

constexpr char kAppKey[] = "Software\\Halvane\\Quorl";
constexpr char kLoginKey[] = "Software\\Halvane\\Quorl\\Login";

inline bool ReadProfileString(const char* subkey, const char* name, std::string* value) {
  char text[512] = {};
  DWORD size = sizeof text - 1, type = 0;
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  const bool ok =
      ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) == ERROR_SUCCESS &&
      type == REG_SZ;
  ::RegCloseKey(key);
  if (ok) *value = text;
  return ok;
}

// value null: the value is deleted.
inline void WriteProfileString(const char* subkey, const char* name, const std::string* value) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, subkey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  if (value)
    ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                     static_cast<DWORD>(value->size() + 1));
  else
    ::RegDeleteValueA(key, name);
  ::RegCloseKey(key);
}

// A profile value as it was before a test, put back when the test ends.
class CSavedProfileString {
 public:
  CSavedProfileString(const char* subkey, const char* name) : m_subkey(subkey), m_name(name) {
    m_had = ReadProfileString(subkey, name, &m_old);
  }
  ~CSavedProfileString() { WriteProfileString(m_subkey, m_name, m_had ? &m_old : nullptr); }
  CSavedProfileString(const CSavedProfileString&) = delete;
  CSavedProfileString& operator=(const CSavedProfileString&) = delete;
  void Set(const std::string& value) { WriteProfileString(m_subkey, m_name, &value); }
  void Delete() { WriteProfileString(m_subkey, m_name, nullptr); }

 private:
  const char* m_subkey;
  const char* m_name;
  bool m_had = false;
  std::string m_old;
};

}  // namespace e2e
