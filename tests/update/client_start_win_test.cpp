// The game client's start, with a stand-in client (quorl.bin) that records
// its command line, working folder and the portal's clipboard data: alone,
// and as the update screen runs it with its host's key and hand-off.
#include <windows.h>

#include <gtest/gtest.h>

#include <shlwapi.h>

#include <fstream>
#include <string>

#include "res/resource.h"
#include "tests/support/game_folder_win.h"
#include "tests/update/dialog_watch.h"
#include "tests/update/update_win_fixture.h"
#include "update/client_start.h"

using namespace update_test;

namespace {

// A game folder for the stand-in client that this program's build made.
class GameFolder : public test_support::GameFolder {
 public:
  GameFolder() : test_support::GameFolder(QUORL_LOGGING_CLIENT) {}
};

using test_support::FullPath;

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
// registry, the launch key and the hand-off from the screen's host (the
// launcher's host takes them from the portal: tests/app).
class ScreenClientStart : public UpdateScreenFixture {
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
  }
  void TearDown() override {
    ::SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuorlScreenTest");
    UpdateScreenFixture::TearDown();
  }

  GameFolder m_game;
};

TEST_F(ScreenClientStart, TheHostsKeyJoinsTheCommandLineAfterItsHandOff) {
  m_host.launchKey = "portal-launch-key";
  m_host.handOff = &HandOffOk;
  g_handOffs = 0;
  EXPECT_TRUE(m_screen->StartClient());
  EXPECT_EQ(1, m_host.handOffs);
  EXPECT_EQ(1, g_handOffs);
  ASSERT_TRUE(m_game.WaitForLog("started"));
  EXPECT_EQ("\"" + FullPath(m_game.File("quorl.bin")) + "\" portal-launch-key", m_game.Logged("cmd="));
  EXPECT_EQ("0123456789abcdef", m_game.Logged("clip="));
}

TEST_F(ScreenClientStart, WithoutAKeyTheHostIsNotAskedToHandOff) {
  EXPECT_TRUE(m_screen->StartClient());
  EXPECT_EQ(0, m_host.handOffs);
  ASSERT_TRUE(m_game.WaitForLog("started"));
  EXPECT_EQ("\"" + FullPath(m_game.File("quorl.bin")) + "\" ", m_game.Logged("cmd="));
}

TEST_F(ScreenClientStart, AHandOffThatFailsIsRefusedWith20006) {
  m_host.launchKey = "portal-launch-key";
  m_host.handOff = [] { return false; };
  std::wstring shown;
  {
    DialogWatcher watcher([&](const SeenDialog& d) {
      shown = d.text;
      Press(d.hwnd, IDOK);
    });
    EXPECT_FALSE(m_screen->StartClient());
  }
  EXPECT_EQ(1, m_host.handOffs);
  EXPECT_EQ(
      Widen("Quorl을 시작할 수 없습니다.\n다른 프로그램을 종료하거나, 윈도우를 다시 시작한 뒤에 다시 시도해 주세요"),
      shown);
  ::Sleep(300);
  EXPECT_EQ("", m_game.Log()) << "a client was started";
}

}  // namespace
