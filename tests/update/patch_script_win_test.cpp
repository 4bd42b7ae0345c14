// CALL and EXEC under Wine: a real test program (script_child.exe, built
// beside this test) started from a download folder of its own, with the
// launcher's window and its pop-up hidden while a CALL waits.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "update/patch_script_win.h"

namespace {

std::string ModuleFolder() {
  char path[MAX_PATH + 1] = {};
  const DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path, n);
  return s.substr(0, s.rfind('\\') + 1);
}

bool FileExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The report the child wrote, as key=value pairs; empty when there is none.
std::map<std::string, std::string> ReadReport(const std::string& path) {
  std::map<std::string, std::string> values;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return values;
  char line[2048];
  while (std::fgets(line, sizeof line, f)) {
    std::string s(line);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    const size_t eq = s.find('=');
    if (eq != std::string::npos) values[s.substr(0, eq)] = s.substr(eq + 1);
  }
  std::fclose(f);
  return values;
}

// EXEC does not wait: the report comes when the child gets to it.
std::map<std::string, std::string> WaitForReport(const std::string& path) {
  for (int i = 0; i < 400 && !FileExists(path); ++i) ::Sleep(25);
  return ReadReport(path);
}

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && ::lstrcmpiA(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

std::string HandleNumber(HWND window) {
  return std::to_string(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
}

class ScriptProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(MAX_PATH, temp);
    m_folder = std::string(temp) + "quorl-script-" + std::to_string(::GetCurrentProcessId()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_TRUE(::CreateDirectoryA(m_folder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(::CreateDirectoryA((m_folder + "\\sub").c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
    const std::string child = ModuleFolder() + "script_child.exe";
    ASSERT_TRUE(FileExists(child)) << child;
    for (const char* name : {"child.exe", "with blank.exe", "a..b.exe", "sub\\child.exe"}) {
      const std::string copy = m_folder + "\\" + name;
      ASSERT_TRUE(::CopyFileA(child.c_str(), copy.c_str(), FALSE)) << copy;
      m_files.push_back(copy);
    }
    m_report = m_folder + "\\report.txt";
    m_files.push_back(m_report);
    ::SetEnvironmentVariableA("QUORL_CHILD_REPORT", m_report.c_str());
    SetMode("gui");

    WNDCLASSA wc = {};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "QuorlScriptTestWindow";
    ::RegisterClassA(&wc);
    m_main = ::CreateWindowExA(0, wc.lpszClassName, "launcher", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 150,
                               nullptr, nullptr, wc.hInstance, nullptr);
    m_popup = ::CreateWindowExA(0, wc.lpszClassName, "pop-up", WS_POPUP | WS_CAPTION | WS_VISIBLE, 40, 40, 100, 80,
                                m_main, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(m_main && m_popup);
    ::SetEnvironmentVariableA("QUORL_CHILD_WATCH", (HandleNumber(m_main) + "," + HandleNumber(m_popup)).c_str());
  }

  void TearDown() override {
    if (m_popup) ::DestroyWindow(m_popup);
    if (m_main) ::DestroyWindow(m_main);
    // An EXEC child may still be on its way out and hold its file.
    for (const std::string& file : m_files) {
      for (int i = 0; i < 100 && FileExists(file) && !::DeleteFileA(file.c_str()); ++i) ::Sleep(50);
    }
    ::RemoveDirectoryA((m_folder + "\\sub").c_str());
    ::RemoveDirectoryA(m_folder.c_str());
  }

  static void SetMode(const char* mode) { ::SetEnvironmentVariableA("QUORL_CHILD_MODE", mode); }

  void ExpectStartedFromFolder(const std::map<std::string, std::string>& report) {
    // The download folder is the program's parameters and working folder.
    EXPECT_TRUE(EndsWithNoCase(report.at("cmdline"), " " + m_folder)) << report.at("cmdline");
    EXPECT_EQ(0, ::lstrcmpiA(report.at("cwd").c_str(), m_folder.c_str())) << report.at("cwd");
  }

  std::string m_folder;
  std::string m_report;
  std::vector<std::string> m_files;
  HWND m_main = nullptr;
  HWND m_popup = nullptr;
};

TEST_F(ScriptProgramTest, CallHidesTheWindowsUntilTheProgramEnds) {
  const std::string path = m_folder + "\\child.exe";
  EXPECT_EQ(ScriptCallResult::kEnded, RunProgramAndWait(path.c_str(), m_folder.c_str(), m_main));
  const auto report = ReadReport(m_report);
  ASSERT_FALSE(report.empty());
  EXPECT_EQ("1", report.at("main_hidden"));
  EXPECT_EQ("1", report.at("popup_hidden"));
  ExpectStartedFromFolder(report);
  EXPECT_TRUE(::IsWindowVisible(m_main));
  EXPECT_TRUE(::IsWindowVisible(m_popup));
}

// A program that never reads its messages never becomes ready for input:
// the launcher hides itself after the bounded wait all the same, and the
// program (which waits ten seconds for that) sees it.
TEST_F(ScriptProgramTest, CallOfAProgramThatIsNeverReadyEndsItsWait) {
  SetMode("busy");
  const std::string path = m_folder + "\\child.exe";
  EXPECT_EQ(ScriptCallResult::kEnded, RunProgramAndWait(path.c_str(), m_folder.c_str(), m_main, 300));
  const auto report = ReadReport(m_report);
  ASSERT_FALSE(report.empty());
  EXPECT_EQ("1", report.at("main_hidden"));
  EXPECT_TRUE(::IsWindowVisible(m_main));
}

TEST_F(ScriptProgramTest, CallOfAMissingProgramLeavesTheWindowsAlone) {
  const std::string path = m_folder + "\\missing.exe";
  EXPECT_EQ(ScriptCallResult::kStartFailed, RunProgramAndWait(path.c_str(), m_folder.c_str(), m_main));
  EXPECT_TRUE(::IsWindowVisible(m_main));
  EXPECT_TRUE(::IsWindowVisible(m_popup));
}

// A WM_QUIT that arrives while the program runs is not lost.
TEST_F(ScriptProgramTest, CallKeepsAQuitRequest) {
  ::PostQuitMessage(3);
  const std::string path = m_folder + "\\child.exe";
  EXPECT_EQ(ScriptCallResult::kEnded, RunProgramAndWait(path.c_str(), m_folder.c_str(), m_main));
  MSG msg;
  bool quit = false;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit = true;
      EXPECT_EQ(3u, msg.wParam);
      break;
    }
    ::DispatchMessageA(&msg);  // a paint stays pending until it is handled
  }
  EXPECT_TRUE(quit);
}

TEST_F(ScriptProgramTest, ExecStartsWithoutWaitingOrHiding) {
  SetMode("quick");
  const std::string path = m_folder + "\\with blank.exe";
  EXPECT_TRUE(StartProgram(path.c_str(), m_folder.c_str()));
  EXPECT_TRUE(::IsWindowVisible(m_main));
  const auto report = WaitForReport(m_report);
  ASSERT_FALSE(report.empty());
  ExpectStartedFromFolder(report);
}

TEST_F(ScriptProgramTest, ExecOfAMissingProgramFails) {
  const std::string path = m_folder + "\\missing.exe";
  EXPECT_FALSE(StartProgram(path.c_str(), m_folder.c_str()));
}

// The launcher's host with the download folder of the test; downloads and
// versions are the update screen's and are only recorded here.
class CTestScriptHost : public CScriptHostWin {
 public:
  CTestScriptHost(const std::string& folder, HWND main) : m_folder(folder), m_main(main) {}
  std::string GetDownloadFolder() override { return m_folder + "\\"; }
  std::string GetGameFolder() override { return std::string(); }
  int DownloadFile(const char*, const char*, uint32_t, uint32_t) override { return 0; }
  int SetLatestVersion(uint32_t, uint32_t, uint32_t) override { return 1; }
  int SetNextVersion(uint32_t, uint32_t, uint32_t) override { return 1; }
  void ShowMessage(uint32_t id) override { messages.push_back(id); }

  std::vector<uint32_t> messages;

 protected:
  HWND GetApplicationWindow() override { return m_main; }

 private:
  std::string m_folder;
  HWND m_main;
};

TEST_F(ScriptProgramTest, ScriptsStartOnlyProgramsInTheDownloadFolder) {
  const struct {
    const char* script;
    int result;
    std::vector<uint32_t> messages;
    bool ran;
  } rows[] = {
      {"CALL \"with blank.exe\"\n", 0, {}, true},
      {"CALL a..b.exe \r\nPATCH\n", 0, {}, true},
      {"PATCH\nCALL child.exe extra\nLATESTVER 1", 0, {}, true},
      {"EXEC child.exe\nCALL child.exe", 2, {}, true},
      // A program in a subfolder ran before; now it is refused like a failed
      // start.
      {"CALL sub\\child.exe", -1, {kScriptMsgStartFailed}, false},
      {"CALL $tmp\\child.exe", -1, {kScriptMsgStartFailed}, false},
      {"EXEC sub\\child.exe", -1, {}, false},
      {"CALL missing.exe", -1, {kScriptMsgStartFailed}, false},
      {"CALL", -1, {}, false},
  };
  SetMode("quick");
  for (const auto& row : rows) {
    SCOPED_TRACE(row.script);
    ::DeleteFileA(m_report.c_str());
    CTestScriptHost host(m_folder, m_main);
    std::string error;
    EXPECT_EQ(row.result, RunScript(row.script, 441397, 10000, host, &error)) << error;
    EXPECT_EQ(row.messages, host.messages);
    if (row.ran) {
      const auto report = WaitForReport(m_report);
      ASSERT_FALSE(report.empty());
      ExpectStartedFromFolder(report);
    } else {
      EXPECT_FALSE(FileExists(m_report));
    }
  }
}

// The texts the user reads when a CALL goes wrong, from the launcher's own
// string table (linked into this test).
TEST(ScriptMessages, TextsOfTheStringTable) {
  const struct {
    uint32_t id;
    const wchar_t* text;
  } rows[] = {
      {kScriptMsgStartFailed,
       L"업데이트 중에 장해가 발생하여 처리를 중지하였습니다.\n"
       L"다른 프로그램을 종료하거나 Windows를 재시작한 후에 다시 시도해 주세요."},
      {kScriptMsgWaitFailed,
       L"업데이트 중에 이상이 발생하여 처리를 중지하였습니다.\n"
       L"다른 프로그램을 종료하거나, 윈도우를 재시작한 후에 다시 시도해 주세요."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.id);
    wchar_t text[512] = {};
    ASSERT_GT(::LoadStringW(::GetModuleHandleW(nullptr), row.id, text, 512), 0);
    EXPECT_EQ(std::wstring(row.text), std::wstring(text));
  }
}

}  // namespace
