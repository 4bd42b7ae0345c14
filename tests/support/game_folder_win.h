// A game folder for the client start's tests: a fresh folder under the
// temporary folder, with a blank in its name, that can hold the stand-in
// client (quorl.bin, tests/support/logging_client.cpp) and read what it logged.
#pragma once

#include <windows.h>

#include <string>

namespace test_support {

class GameFolder {
 public:
  // clientProgram: the stand-in client's path, copied in by InstallClient.
  explicit GameFolder(std::string clientProgram);
  // A client still running is let go and given time to end; the folder goes.
  ~GameFolder();
  GameFolder(const GameFolder&) = delete;
  GameFolder& operator=(const GameFolder&) = delete;

  const std::string& Path() const { return m_path; }
  std::string File(const char* name) const { return m_path + "\\" + name; }
  bool InstallClient() const;
  // Lets the client end.
  void Release() const;
  // The client's log, empty while there is none.
  std::string Log() const;
  // Pumps this thread's messages until the log holds line.
  bool WaitForLog(const char* line, DWORD timeoutMs = 20000) const;
  // What the log holds after prefix up to the line's end ("<not logged>").
  std::string Logged(const char* prefix) const;

 private:
  std::string m_client;
  std::string m_path;
};

// The stand-in client's path with backslashes.
std::string WindowsPath(const std::string& path);
// The full path as the client start sees it.
std::string FullPath(const std::string& path);

}  // namespace test_support
