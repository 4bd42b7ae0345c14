#include "tests/support/registry_win.h"

#include <windows.h>
#include <shlwapi.h>

namespace test_support {

bool SetRegString(const std::string& subkey, const char* name, const std::string& value) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  const bool ok = ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                   static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
  ::RegCloseKey(key);
  return ok;
}

std::string GetRegString(const std::string& subkey, const char* name) {
  char value[4096] = {};
  DWORD size = sizeof value - 1;
  DWORD type = 0;
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::string();
  const bool ok =
      ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS &&
      type == REG_SZ;
  ::RegCloseKey(key);
  return ok ? std::string(value) : std::string();
}

ScopedRegString::ScopedRegString(const std::string& subkey, const char* name, const std::string& value)
    : m_subkey(subkey), m_name(name) {
  // The outermost key that is not there yet: it and everything below it
  // go when the guard does.
  for (size_t end = 0; end != std::string::npos;) {
    end = subkey.find('\\', end + 1);
    const std::string prefix = subkey.substr(0, end);
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, prefix.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
      m_firstCreated = prefix;
      break;
    }
    ::RegCloseKey(key);
  }
  if (m_firstCreated.empty()) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
      DWORD type = 0;
      m_hadValue = ::RegQueryValueExA(key, name, nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS;
      ::RegCloseKey(key);
    }
    if (m_hadValue) m_old = GetRegString(subkey, name);
  }
  m_ok = SetRegString(subkey, name, value);
}

ScopedRegString::~ScopedRegString() {
  if (!m_firstCreated.empty()) {
    ::SHDeleteKeyA(HKEY_CURRENT_USER, m_firstCreated.c_str());
  } else if (m_hadValue) {
    SetRegString(m_subkey, m_name.c_str(), m_old);
  } else {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, m_subkey.c_str(), 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
      ::RegDeleteValueA(key, m_name.c_str());
      ::RegCloseKey(key);
    }
  }
}

}  // namespace test_support
