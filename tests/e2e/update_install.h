// A staged installation for runs of the real launcher's update: program,
// skin, an id file naming a profile of its own (so the registry key is
// nobody else's), the stand-in client in the game folder, a download
// folder, and the registry values the game's installer would write.  The
// harness programs' settings go into the environment, which the launcher
// hands on to the programs it starts.  Shared by the end-to-end test and
// the benchmark.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "tests/e2e/win_driver.h"
#include "tests/support/registry_win.h"

namespace e2e {

extern const char kUpdateProfile[];
extern const uint32_t kUpdateCodePage;

std::string ReadWholeFile(const std::string& path);
bool FileExists(const std::string& path);
uint32_t Crc32Of(const std::string& bytes);

using test_support::GetRegString;
using test_support::ScopedRegString;
using test_support::SetRegString;

// A script line that downloads name from the HTTP fixture on port.
std::string HttpGetLine(uint16_t port, const std::string& name, uint64_t size, uint32_t crc);

class UpdateInstall {
 public:
  // binDir and harnessDir end in a backslash.
  UpdateInstall(const std::string& binDir, const std::string& harnessDir);
  ~UpdateInstall();
  UpdateInstall(const UpdateInstall&) = delete;
  UpdateInstall& operator=(const UpdateInstall&) = delete;

  // Stages everything, installed game and launcher 1.000, login server at
  // 127.0.0.1:loginPort; false with a reason.
  bool Stage(uint16_t loginPort, std::string* error);
  // Removes the profile's registry key.
  void Forget();

  void InstallVersions(uint32_t game, uint32_t launcher);
  uint32_t InstalledGame();

  const std::string& Exe() const { return m_exe; }
  const std::string& Helper() const { return m_helper; }  // the patch program's bytes
  const std::string& AppKey() const { return m_appKey; }
  uint32_t Service() const { return m_service; }
  TempFolder& Install() { return m_install; }
  TempFolder& Downloads() { return m_downloads; }
  TempFolder& Reports() { return m_reports; }
  std::string PatchReport() const { return ReadWholeFile(m_reports.File("patch.txt")); }
  std::string ClientReport() const { return ReadWholeFile(m_reports.File("client.txt")); }

 private:
  std::string m_binDir, m_harnessDir;
  std::string m_appKey;
  uint32_t m_service;
  std::string m_exe, m_helper;
  TempFolder m_install, m_downloads, m_reports;
};

}  // namespace e2e
