// REG_SZ values under HKEY_CURRENT_USER for tests: plain writes and reads,
// and a guard that puts a value (or its absence) back however a test ends.
#pragma once

#include <string>

namespace test_support {

// REG_SZ values under HKCU.
bool SetRegString(const std::string& subkey, const char* name, const std::string& value);
std::string GetRegString(const std::string& subkey, const char* name);

// A REG_SZ value under HKCU for one scope: the value that was there, or
// its absence, comes back when the guard goes, and the keys it had to
// create are removed again, however the scope ends.
class ScopedRegString {
 public:
  ScopedRegString(const std::string& subkey, const char* name, const std::string& value);
  ~ScopedRegString();
  ScopedRegString(const ScopedRegString&) = delete;
  ScopedRegString& operator=(const ScopedRegString&) = delete;
  bool Ok() const { return m_ok; }

 private:
  std::string m_subkey;
  std::string m_name;
  bool m_ok = false;
  bool m_hadValue = false;
  std::string m_old;
  std::string m_firstCreated;  // the outermost key the guard created, or empty
};

}  // namespace test_support
