// The client start as the launcher runs it: the update screen in the real
// main frame, with the launcher's host of the update screen, so that the
// portal's data reaches the client (launch key and hand-off) through it.
// The stand-in client (quorl.bin) records its command line and what it
// found on the clipboard.
#include <windows.h>

#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>

#include "app/launcher_app.h"
#include "app/main_frame.h"
#include "tests/app/main_frame_fixture.h"
#include "app/portal.h"
#include "app/portal_cipher.h"
#include "res/resource.h"
#include "skin/launcher_view.h"
#include "tests/support/dialogs_win.h"
#include "tests/support/game_folder_win.h"
#include "tests/support/test_app_win.h"
#include "update/update_view.h"

namespace {

using test_support::FullPath;
using test_support::InitTestApp;
using test_support::Press;
using test_support::SeenDialog;
using test_support::Widen;

// The main frame switched to the update screen as Start does it, with the
// start message taken out of the queue: the tests drive the screen.
class PortalClientStart : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(CreateLauncherMainFrame(&m_frame));
    m_hFrame = m_frame->m_hWnd;
    AfxGetApp()->m_pMainWnd = m_frame;
    ::SendMessageA(m_hFrame, WM_COMMAND, ID_SHOW_UPDATE_VIEW, 0);
    m_screen = dynamic_cast<CQuorlLauncherUpdateView*>(m_frame->GetActiveView());
    ASSERT_NE(nullptr, m_screen);
    MSG msg;
    while (::PeekMessageA(&msg, m_screen->m_hWnd, kStartUpdateMessage, kStartUpdateMessage, PM_REMOVE)) {
    }

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
    AfxGetApp()->m_pMainWnd = nullptr;
    if (m_hFrame != nullptr && ::IsWindow(m_hFrame))
      ::DestroyWindow(m_hFrame);  // the frame and its views delete themselves
  }
  static void EmptyPortalFormat() {
    const UINT format = ::RegisterClipboardFormatA("Sabrix_ClipFormat");
    if (::OpenClipboard(nullptr)) {
      ::SetClipboardData(format, nullptr);
      ::CloseClipboard();
    }
  }

  CMainFrame* m_frame = nullptr;
  HWND m_hFrame = nullptr;
  CQuorlLauncherUpdateView* m_screen = nullptr;
  test_support::GameFolder m_game{QUORL_LOGGING_CLIENT};
};

TEST_F(PortalClientStart, Field4GivesTheClientTheKeyAndTheTextEncipheredAfresh) {
  const char* text = "login.example,9070,two,three,four,five";
  const char* key = "portal-launch-key";
  ASSERT_TRUE(AdoptPortalText(text, key));
  ASSERT_TRUE(PortalHandsOffToClient());
  EXPECT_TRUE(m_screen->StartClient());
  ASSERT_TRUE(m_game.WaitForLog("started"));
  EXPECT_EQ("\"" + FullPath(m_game.File("quorl.bin")) + "\" " + key, m_game.Logged("cmd="));
  // What the client found on the clipboard is the text under the key.
  std::string expected;
  EncryptPortalText(text, key, &expected);
  EXPECT_EQ(expected, m_game.Logged("clip="));
  char back[4096] = {};
  ASSERT_TRUE(GetPortalClipboard(back, sizeof back, key, false));
  EXPECT_STREQ(text, back);
}

TEST_F(PortalClientStart, EmptyField4KeepsKeyAndClipboardToTheLauncher) {
  ASSERT_TRUE(AdoptPortalText("login.example,9070,two,three,,five", "portal-launch-key"));
  ASSERT_FALSE(PortalHandsOffToClient());
  EXPECT_TRUE(m_screen->StartClient());
  ASSERT_TRUE(m_game.WaitForLog("started"));
  EXPECT_EQ("\"" + FullPath(m_game.File("quorl.bin")) + "\" ", m_game.Logged("cmd="));
  EXPECT_EQ("<none>", m_game.Logged("clip="));
}

TEST_F(PortalClientStart, TextTooLongForTheClipboardBlockIsRefusedWith20006) {
  // Fields within their limits, but enciphered the text needs more than
  // the 4,096-byte block.
  const std::string text = "login.example,9070," + std::string(2000, 'a') + "," + std::string(1500, 'b') + ",go,";
  ASSERT_TRUE(AdoptPortalText(text.c_str(), "portal-launch-key"));
  ASSERT_TRUE(PortalHandsOffToClient());
  std::wstring shown;
  {
    test_support::DialogWatcher watcher(
        [&](const SeenDialog& d) {
          shown = d.text;
          Press(d.hwnd, IDOK);
        },
        ::GetCurrentThreadId(), IDC_RETRY_MESSAGE);
    EXPECT_FALSE(m_screen->StartClient());
  }
  EXPECT_EQ(
      Widen("Quorl을 시작할 수 없습니다.\n다른 프로그램을 종료하거나, 윈도우를 다시 시작한 뒤에 다시 시도해 주세요"),
      shown);
  ::Sleep(300);
  EXPECT_EQ("", m_game.Log()) << "a client was started";
}

}  // namespace
