#include "tests/e2e/update_install.h"

#include <shlwapi.h>

#include <cstdio>

#include "app/localize.h"
#include "tests/update/pl_encoder.h"
#include "update/crc32.h"
#include "update/version_store.h"

namespace e2e {

const char kUpdateProfile[] = "QuorlSeqE2E";
const uint32_t kUpdateCodePage = 949;

std::string ReadWholeFile(const std::string& path) {
  std::string out;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    std::fclose(f);
  }
  return out;
}

bool FileExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

uint32_t Crc32Of(const std::string& bytes) {
  CCrc32 crc;
  crc.Update(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int>(bytes.size()));
  return crc.GetValue();
}

std::string HttpGetLine(uint16_t port, const std::string& name, uint64_t size, uint32_t crc) {
  char line[256];
  std::snprintf(line, sizeof line, "HTTPGET /127.0.0.1:%u/%s %llu %08x\n", port, name.c_str(),
                static_cast<unsigned long long>(size), crc);
  return line;
}

UpdateInstall::UpdateInstall(const std::string& binDir, const std::string& harnessDir)
    : m_binDir(binDir),
      m_harnessDir(harnessDir),
      m_appKey(std::string("Software\\Halvane\\") + kUpdateProfile),
      m_service(GetServiceIdForCodePage(kUpdateCodePage)) {}

UpdateInstall::~UpdateInstall() { Forget(); }

void UpdateInstall::Forget() { ::SHDeleteKeyA(HKEY_CURRENT_USER, m_appKey.c_str()); }

bool UpdateInstall::Stage(uint16_t loginPort, std::string* error) {
  m_helper = ReadWholeFile(m_harnessDir + "patch.exe");
  if (m_helper.empty()) return *error = "no patch program at " + m_harnessDir + "patch.exe", false;
  m_exe = m_install.File("QuorlLauncher.exe");
  if (!::CopyFileA((m_binDir + "QuorlLauncher.exe").c_str(), m_exe.c_str(), FALSE) ||
      !CopyInto(m_binDir + "QuorlLnchr.rdl", m_install.Path(), "QuorlLnchr.rdl") ||
      !CopyInto(m_harnessDir + "quorl.bin", m_install.Path(), "quorl.bin"))
    return *error = "cannot copy the installation's files", false;
  const std::string record = CLocalizeInfo::EncodeRecord(kUpdateCodePage, kUpdateProfile, kLocalizeInfoServiceId, 4242);
  if (record.empty() || !WriteFileBytes(m_install.File("Quorl.id"), record + "\r\n"))
    return *error = "cannot write the id file", false;

  Forget();
  std::string gameFolder = m_install.Path();
  gameFolder.pop_back();  // the installer writes it without the backslash
  if (!SetRegString(m_appKey, "GameFolder", gameFolder) ||
      !SetRegString(m_appKey + "\\Login", "Server", "127.0.0.1:" + std::to_string(loginPort)) ||
      !SetRegString(m_appKey + "\\Login", "DownloadPath", m_downloads.Path()))
    return *error = "cannot write the registry", false;
  InstallVersions(1000000, 1000000);

  ::SetEnvironmentVariableA("QUORL_PATCH_REGKEY", m_appKey.c_str());
  ::SetEnvironmentVariableA("QUORL_PATCH_SERVICE", std::to_string(m_service).c_str());
  ::SetEnvironmentVariableA("QUORL_PATCH_REPORT", m_reports.File("patch.txt").c_str());
  ::SetEnvironmentVariableA("QUORL_PATCH_SHOW_MS", "100");
  ::SetEnvironmentVariableA("QUORL_CLIENT_REPORT", m_reports.File("client.txt").c_str());
  ::SetEnvironmentVariableA("QUORL_CLIENT_EXIT_MS", "1000");
  return true;
}

void UpdateInstall::InstallVersions(uint32_t game, uint32_t launcher) {
  SetRegString(m_appKey, "PL", pl_encoder::Encode(game, launcher, m_service));
}

uint32_t UpdateInstall::InstalledGame() {
  const std::string pl = GetRegString(m_appKey, "PL");
  uint32_t game = 0, launcher = 0;
  DecodeInstalledVersions(pl.c_str(), pl.size(), m_service, &game, &launcher);
  return game;
}

}  // namespace e2e
