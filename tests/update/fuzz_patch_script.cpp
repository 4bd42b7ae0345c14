// Fuzzes the patch-script lexer and interpreter with a host that only checks
// what it is asked: every file and program must lie directly in the download
// folder, and the results must be the three the caller knows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "update/patch_script.h"

namespace {

const char kDownloadFolder[] = "C:\\DL\\";

void CheckInFolder(const char* path) {
  const size_t n = std::strlen(kDownloadFolder);
  if (std::strncmp(path, kDownloadFolder, n) != 0 || !IsBareFileName(path + n)) std::abort();
}

// Answers in turn success and failure, so that both paths of every command
// are reached without a second fuzzer input byte for it.
class CCheckingHost : public CScriptHost {
 public:
  std::string GetDownloadFolder() override { return kDownloadFolder; }
  std::string GetTempFolder() override { return "C:\\Temp\\"; }
  std::string GetGameFolder() override { return "C:\\Game\\"; }
  int DownloadFile(const char* url, const char* target, uint32_t, uint32_t) override {
    if (std::strncmp(url, "http:/", 6) != 0) std::abort();
    CheckInFolder(target);
    return Next() ? 1 : 0;
  }
  ScriptCallResult RunProgramAndWait(const char* path, const char* folder) override {
    CheckInFolder(path);
    if (std::strcmp(folder, "C:\\DL") != 0) std::abort();
    switch (m_turn++ % 3) {
      case 0:
        return ScriptCallResult::kEnded;
      case 1:
        return ScriptCallResult::kStartFailed;
      default:
        return ScriptCallResult::kWaitFailed;
    }
  }
  int StartProgram(const char* path, const char*) override {
    CheckInFolder(path);
    return Next() ? 1 : 0;
  }
  int SetLatestVersion(uint32_t, uint32_t, uint32_t) override { return Next() ? 1 : 0; }
  int SetNextVersion(uint32_t, uint32_t, uint32_t) override { return Next() ? 1 : 0; }
  void ShowMessage(uint32_t id) override {
    if (id != kScriptMsgStartFailed && id != kScriptMsgWaitFailed) std::abort();
  }

 private:
  bool Next() { return (m_turn++ & 1) == 0; }
  unsigned m_turn = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Set up once: the host and the interpreter live across inputs, as the
  // launcher's do across scripts.
  static CCheckingHost host;
  static CPatchScript script(host);

  const std::string text(reinterpret_cast<const char*>(data), size);

  const int result = script.RunScript(text.c_str(), 441397, 10000);
  if (result != kScriptDone && result != kScriptFailed && result != kScriptHandedOver) std::abort();
  if ((result == kScriptFailed) == script.GetLastError().empty()) std::abort();

  // The lexer alone: every token fits and every call moves on or ends.
  script.BeginText(text.c_str(), "C:\\DL", "C:\\Game");
  for (;;) {
    const size_t before = script.GetPosition();
    const int kind = script.ScriptNextToken();
    if (std::strlen(script.GetToken()) > kScriptTokenMax) std::abort();
    if (kind == kScriptTokenEnd) {
      if (text.c_str()[script.GetPosition()] != '\0') std::abort();
      break;
    }
    if (script.GetPosition() == before) std::abort();
  }
  if (script.ScriptExpandVars(text.c_str()).size() > kScriptTokenMax) std::abort();
  return 0;
}
