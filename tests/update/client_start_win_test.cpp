// The game client's start, with a stand-in client (quorl.bin) that records
// its command line, working folder and the portal's clipboard data.
#include <windows.h>

#include <gtest/gtest.h>

#include <shlwapi.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/portal.h"
#include "app/portal_cipher.h"
#include "res/resource.h"
#include "tests/update/dialog_watch.h"
#include "tests/update/update_win_fixture.h"
#include "update/client_start.h"

using namespace update_test;

namespace {

std::string ClientProgram() {
  std::string path = QUORL_TEST_CLIENT;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

// A game folder under the temporary folder, with a blank in its name.
class GameFolder {
 public:
  GameFolder() {
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
  ~GameFolder() {
    // A client still running is let go and given time to end.
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
  const std::string& Path() const { return m_path; }
  std::string File(const char* name) const { return m_path + "\\" + name; }
  bool InstallClient() const { return ::CopyFileA(ClientProgram().c_str(), File("quorl.bin").c_str(), FALSE) != 0; }
  void Release() const { std::ofstream(File("release")) << "go"; }
  std::string Log() const {
    std::ifstream in(File("client-log.txt"), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  bool WaitForLog(const char* line, DWORD timeoutMs = 20000) const {
    return PumpUntil([&] { return Log().find(line) != std::string::npos; }, timeoutMs);
  }

 private:
  std::string m_path;
};

// The full path as the client start sees it.
std::string FullPath(const std::string& path) {
  char full[MAX_PATH + 1] = {};
  ::GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  return full;
}

int g_handOffs = 0;
bool HandOffOk() {
  ++g_handOffs;
  // What the portal's hand-off does: the launch text on the clipboard.
  const UINT format = ::RegisterClipboardFormatA("Sabrix_ClipFormat");
  if (!::OpenClipboard(nullptr)) return false;
  static const char kText[] = "0123456789abcdef";
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof kText);
  memcpy(::GlobalLock(block), kText, sizeof kText);
  ::GlobalUnlock(block);
  const bool ok = ::SetClipboardData(format, block) != nullptr;
  ::CloseClipboard();
  return ok;
}
bool HandOffFails() {
  ++g_handOffs;
  return false;
}

TEST(ClientStart, StartsTheClientWithItsQuotedPathAndTheKeyWithoutWaiting) {
  InitTestApp();
  GameFolder game;
  ASSERT_TRUE(game.InstallClient());
  g_handOffs = 0;
  DialogWatcher watcher([](const SeenDialog& d) {
    ADD_FAILURE() << "unexpected message";
    Press(d.hwnd, IDOK);
  });
  // The folder as the registry may hold it: without its trailing backslash.
  EXPECT_TRUE(StartClientProcessFrom(game.Path().c_str(), "", "LAUNCH-KEY", &HandOffOk));
  EXPECT_EQ(1, g_handOffs);
  ASSERT_TRUE(game.WaitForLog("started"));
  const std::string log = game.Log();
  const std::string full = FullPath(game.File("quorl.bin"));
  EXPECT_NE(std::string::npos, log.find("cmd=\"" + full + "\" LAUNCH-KEY\n")) << log;
  EXPECT_NE(std::string::npos, log.find("cwd=" + game.Path() + "\n")) << log;
  EXPECT_NE(std::string::npos, log.find("clip=0123456789abcdef\n")) << log;
  // The launcher went on while the client still runs.
  EXPECT_EQ(std::string::npos, log.find("ended"));
  game.Release();
  EXPECT_TRUE(game.WaitForLog("ended"));
}

TEST(ClientStart, WithoutPortalDataTheCommandLineEndsWithTheSpace) {
  InitTestApp();
  GameFolder game;
  ASSERT_TRUE(game.InstallClient());
  EXPECT_TRUE(StartClientProcessFrom((game.Path() + "\\").c_str(), "", nullptr, nullptr));
  ASSERT_TRUE(game.WaitForLog("started"));
  EXPECT_NE(std::string::npos, game.Log().find("cmd=\"" + FullPath(game.File("quorl.bin")) + "\" \n")) << game.Log();
}

TEST(ClientStart, EmptyGameFolderLooksInTheCurrentFolder) {
  InitTestApp();
  GameFolder game;
  char before[MAX_PATH + 1] = {};
  ::GetCurrentDirectoryA(MAX_PATH, before);
  ASSERT_TRUE(::SetCurrentDirectoryA(game.Path().c_str()));

  // Not there yet: 20005.
  std::wstring text;
  {
    DialogWatcher watcher([&](const SeenDialog& d) {
      text = d.text;
      Press(d.hwnd, IDOK);
    });
    EXPECT_FALSE(StartClientProcessFrom("", "", nullptr, nullptr));
  }
  EXPECT_EQ(
      Widen(
          "Quorl이 정상적으로 설치되어있지 않아서 게임을 시작할 수 없습니다. 프로그램을 지운 뒤에 다시 설치해 주세요"),
      text);

  ASSERT_TRUE(game.InstallClient());
  EXPECT_TRUE(StartClientProcessFrom("", "", nullptr, nullptr));
  ::SetCurrentDirectoryA(before);
  ASSERT_TRUE(game.WaitForLog("started"));
  EXPECT_NE(std::string::npos, game.Log().find("cmd=\"" + FullPath(game.File("quorl.bin")) + "\" \n")) << game.Log();
}

struct Failure {
  const char* name;
  bool installClient;
  const char* clientBytes;  // written over the client when given
  ClientHandOffFunction handOff;
  const char* text;
  int handOffs;
};

TEST(ClientStart, FailuresShowTheirMessageAndStartNothing) {
  InitTestApp();
  const char* k20005 =
      "Quorl이 정상적으로 설치되어있지 않아서 게임을 시작할 수 없습니다. 프로그램을 지운 뒤에 다시 설치해 주세요";
  const char* k20006 =
      "Quorl을 시작할 수 없습니다.\n다른 프로그램을 종료하거나, 윈도우를 다시 시작한 뒤에 다시 시도해 주세요";
  const Failure cases[] = {
      {"no client", false, nullptr, &HandOffOk, k20005, 0},
      {"hand-off fails", true, nullptr, &HandOffFails, k20006, 1},
      {"client is no program", true, "not a program", nullptr, k20006, 0},
  };
  for (const Failure& c : cases) {
    SCOPED_TRACE(c.name);
    GameFolder game;
    if (c.installClient) {
      ASSERT_TRUE(game.InstallClient());
    }
    if (c.clientBytes != nullptr)
      std::ofstream(game.File("quorl.bin"), std::ios::binary | std::ios::trunc) << c.clientBytes;
    g_handOffs = 0;
    std::wstring text, caption;
    {
      DialogWatcher watcher([&](const SeenDialog& d) {
        text = d.text;
        caption = d.caption;
        Press(d.hwnd, IDOK);
      });
      EXPECT_FALSE(StartClientProcessFrom(game.Path().c_str(), "", "KEY", c.handOff));
    }
    EXPECT_EQ(Widen(c.text), text);
    EXPECT_EQ(L"Quorl", caption);
    EXPECT_EQ(c.handOffs, g_handOffs);
    ::Sleep(300);
    EXPECT_EQ("", game.Log()) << "a client was started";
  }
}

// The client start as the update runs it: the game folder from the
// registry, the portal's data from the record that start-up filled.
class PortalClientStart : public UpdateScreenFixture {
 protected:
  void SetUp() override {
    UpdateScreenFixture::SetUp();
    AfxGetApp()->SetRegistryKey("QuorlScreenTest");
    ::SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuorlScreenTest");
    ASSERT_TRUE(m_game.InstallClient());
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyA(HKEY_CURRENT_USER, "Software\\QuorlScreenTest\\Quorl", &key));
    ::RegSetValueExA(key, "GameFolder", 0, REG_SZ, reinterpret_cast<const BYTE*>(m_game.Path().c_str()),
                     static_cast<DWORD>(m_game.Path().size() + 1));
    ::RegCloseKey(key);
    EmptyPortalFormat();
  }
  void TearDown() override {
    AdoptPortalText("", "");
    EmptyPortalFormat();
    ::SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuorlScreenTest");
    UpdateScreenFixture::TearDown();
  }
  static void EmptyPortalFormat() {
    const UINT format = ::RegisterClipboardFormatA("Sabrix_ClipFormat");
    if (::OpenClipboard(nullptr)) {
      ::SetClipboardData(format, nullptr);
      ::CloseClipboard();
    }
  }
  std::string Logged(const char* prefix) const {
    const std::string log = m_game.Log();
    const size_t at = log.find(prefix);
    if (at == std::string::npos) return "<not logged>";
    const size_t end = log.find('\n', at);
    return log.substr(at + strlen(prefix), end - at - strlen(prefix));
  }

  GameFolder m_game;
};

TEST_F(PortalClientStart, Field4GivesTheClientTheKeyAndTheTextEncipheredAfresh) {
  const char* text = "login.example,9070,two,three,four,five";
  const char* key = "portal-launch-key";
  ASSERT_TRUE(AdoptPortalText(text, key));
  ASSERT_TRUE(PortalHandsOffToClient());
  EXPECT_TRUE(m_screen->StartClient());
  ASSERT_TRUE(m_game.WaitForLog("started"));
  EXPECT_EQ("\"" + FullPath(m_game.File("quorl.bin")) + "\" " + key, Logged("cmd="));
  // What the client found on the clipboard is the text under the key.
  std::string expected;
  EncryptPortalText(text, key, &expected);
  EXPECT_EQ(expected, Logged("clip="));
  char back[4096] = {};
  ASSERT_TRUE(GetPortalClipboard(back, sizeof back, key, false));
  EXPECT_STREQ(text, back);
}

TEST_F(PortalClientStart, EmptyField4KeepsKeyAndClipboardToTheLauncher) {
  ASSERT_TRUE(AdoptPortalText("login.example,9070,two,three,,five", "portal-launch-key"));
  ASSERT_FALSE(PortalHandsOffToClient());
  EXPECT_TRUE(m_screen->StartClient());
  ASSERT_TRUE(m_game.WaitForLog("started"));
  EXPECT_EQ("\"" + FullPath(m_game.File("quorl.bin")) + "\" ", Logged("cmd="));
  EXPECT_EQ("<none>", Logged("clip="));
}

TEST_F(PortalClientStart, TextTooLongForTheClipboardBlockIsRefusedWith20006) {
  // Fields within their limits, but enciphered the text needs more than
  // the 4,096-byte block.
  const std::string text = "login.example,9070," + std::string(2000, 'a') + "," + std::string(1500, 'b') + ",go,";
  ASSERT_TRUE(AdoptPortalText(text.c_str(), "portal-launch-key"));
  ASSERT_TRUE(PortalHandsOffToClient());
  std::wstring shown;
  {
    DialogWatcher watcher([&](const SeenDialog& d) {
      shown = d.text;
      Press(d.hwnd, IDOK);
    });
    EXPECT_FALSE(m_screen->StartClient());
  }
  EXPECT_EQ(
      Widen("Quorl을 시작할 수 없습니다.\n다른 프로그램을 종료하거나, 윈도우를 다시 시작한 뒤에 다시 시도해 주세요"),
      shown);
  ::Sleep(300);
  EXPECT_EQ("", m_game.Log()) << "a client was started";
}

}  // namespace
