#include "tests/support/game_folder_win.h"

#include <cstring>
#include <fstream>
#include <utility>

#include "tests/support/files.h"
#include "tests/support/test_app_win.h"

namespace test_support {

GameFolder::GameFolder(std::string clientProgram) : m_client(WindowsPath(clientProgram)) {
  char temp[MAX_PATH + 1] = {};
  ::GetTempPathA(MAX_PATH, temp);
  // A folder nobody used before: one left by an earlier run (process ids
  // come round again) would hold its client.
  static int counter = 0;
  do {
    m_path = std::string(temp) + "quorl game " + std::to_string(::GetCurrentProcessId()) + "-" +
             std::to_string(::GetTickCount()) + "-" + std::to_string(++counter);
  } while (!::CreateDirectoryA(m_path.c_str(), nullptr));
}

GameFolder::~GameFolder() {
  const std::string log = Log();
  if (log.find("started") != std::string::npos && log.find("ended") == std::string::npos) {
    Release();
    WaitForLog("ended", 10000);
  }
  for (int i = 0; i < 100; ++i) {
    for (const char* name : {"quorl.bin", "client-log.txt", "release"}) ::DeleteFileA((m_path + "\\" + name).c_str());
    if (::RemoveDirectoryA(m_path.c_str())) break;
    ::Sleep(50);
  }
}

bool GameFolder::InstallClient() const { return ::CopyFileA(m_client.c_str(), File("quorl.bin").c_str(), FALSE) != 0; }

void GameFolder::Release() const { std::ofstream(File("release")) << "go"; }

std::string GameFolder::Log() const { return ReadWholeFile(File("client-log.txt")); }

bool GameFolder::WaitForLog(const char* line, DWORD timeoutMs) const {
  return PumpUntil([&] { return Log().find(line) != std::string::npos; }, timeoutMs);
}

std::string GameFolder::Logged(const char* prefix) const {
  const std::string log = Log();
  const size_t at = log.find(prefix);
  if (at == std::string::npos) return "<not logged>";
  const size_t end = log.find('\n', at);
  return log.substr(at + std::strlen(prefix), end - at - std::strlen(prefix));
}

std::string WindowsPath(const std::string& path) {
  std::string out = path;
  for (char& c : out) {
    if (c == '/') c = '\\';
  }
  return out;
}

std::string FullPath(const std::string& path) {
  char full[MAX_PATH + 1] = {};
  ::GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  return full;
}

}  // namespace test_support
