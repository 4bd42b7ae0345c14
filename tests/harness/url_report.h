// What the tests' URL recorder saw: the prefix's http handler is
// script_child (the ctest fixture url_recorder installs it), which writes
// its command line to the file named by QUORL_CHILD_REPORT.  A test makes a
// report before it lets anything open an address; programs it starts
// afterwards, and the shell's children of this process, inherit the file's
// name.  Win32, header-only.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

namespace url_test {

class UrlReport {
 public:
  UrlReport() {
    char folder[MAX_PATH] = {}, file[MAX_PATH] = {};
    ::GetTempPathA(sizeof folder, folder);
    ::GetTempFileNameA(folder, "url", 0, file);
    m_path = file;
    Clear();
    ::SetEnvironmentVariableA("QUORL_CHILD_REPORT", m_path.c_str());
    // Report at once: no window, no waiting for anyone's windows.
    ::SetEnvironmentVariableA("QUORL_CHILD_MODE", "quick");
  }
  ~UrlReport() {
    ::SetEnvironmentVariableA("QUORL_CHILD_REPORT", nullptr);
    ::SetEnvironmentVariableA("QUORL_CHILD_MODE", nullptr);
    Clear();
  }
  UrlReport(const UrlReport&) = delete;
  UrlReport& operator=(const UrlReport&) = delete;

  // Forgets what was recorded.
  void Clear() { ::DeleteFileA(m_path.c_str()); }

  // The address that the recorder was started with, waited for up to
  // timeoutMs; "" when it was not started.  pump runs between looks (the
  // caller's messages).
  template <typename Pump>
  std::string WaitForAddress(DWORD timeoutMs, Pump pump) const {
    const DWORD start = ::GetTickCount();
    for (;;) {
      std::string address;
      if (Read(&address)) return address;
      if (::GetTickCount() - start >= timeoutMs) return std::string();
      pump();
      ::Sleep(20);
    }
  }
  std::string WaitForAddress(DWORD timeoutMs) const {
    return WaitForAddress(timeoutMs, [] {});
  }

 private:
  // The last quoted argument of the recorded command line: the handler's
  // command is "PROGRAM" "%1".
  bool Read(std::string* address) const {
    FILE* f = std::fopen(m_path.c_str(), "rb");
    if (f == nullptr) return false;
    char line[4096] = {};
    bool found = false;
    while (std::fgets(line, sizeof line, f) != nullptr) {
      std::string text = line;
      if (text.compare(0, 8, "cmdline=") != 0) continue;
      while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
      const size_t close = text.find_last_of('"');
      const size_t open = close == std::string::npos || close == 0 ? std::string::npos : text.rfind('"', close - 1);
      *address = open == std::string::npos ? text.substr(8) : text.substr(open + 1, close - open - 1);
      found = true;
    }
    std::fclose(f);
    return found;
  }

  std::string m_path;
};

}  // namespace url_test
