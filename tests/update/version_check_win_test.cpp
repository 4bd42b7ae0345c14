// The version check's Win32 side under Wine: the idle message loop, the
// notice in the thread's ANSI code page, the message texts and styles, and
// whole checks over the launcher's own login socket, idle pump and loop
// against the login-server fixture.  The program carries the launcher's
// resources; its message boxes are answered through the check's hook.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/launcher_app.h"
#include "net/nte/nte_core.h"
#include "net/quorl_socket.h"
#include "net/version_update_info.h"
#include "res/resource.h"
#include "tests/support/test_app_win.h"
#include "tools/fixture/login_fixture.h"
#include "update/idle_message_loop.h"
#include "update/network.h"
#include "update/version_check_win.h"

namespace {

using test_support::InitTestApp;
using test_support::PumpPending;

std::string ToAnsi(const std::wstring& w) {
  const int n =
      ::WideCharToMultiByte(CP_THREAD_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_THREAD_ACP, 0, w.data(), static_cast<int>(w.size()), &out[0], n, nullptr, nullptr);
  return out;
}

std::wstring FromUtf8(const std::string& s) {
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &out[0], n);
  return out;
}

// ---- a window that records what reaches it ------------------------------------

std::vector<UINT> g_messages;
std::vector<WPARAM> g_timers;
constexpr UINT_PTR kDestroyTimer = 77;
constexpr UINT_PTR kQuitTimer = 78;

LRESULT CALLBACK RecordingProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_APP || msg == WM_TIMER) g_messages.push_back(msg);
  if (msg == WM_TIMER) {
    g_timers.push_back(wParam);
    if (wParam == kDestroyTimer) {
      ::KillTimer(wnd, kDestroyTimer);
      ::DestroyWindow(wnd);
    } else if (wParam == kQuitTimer) {
      ::KillTimer(wnd, kQuitTimer);
      ::PostQuitMessage(5);
    }
    return 0;
  }
  return ::DefWindowProcA(wnd, msg, wParam, lParam);
}

HWND MakeWindow() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "QuorlCheckTestWindow";
    ::RegisterClassA(&wc);
    registered = true;
  }
  return ::CreateWindowA("QuorlCheckTestWindow", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                         ::GetModuleHandleA(nullptr), nullptr);
}

// ---- the idle loop --------------------------------------------------------------

class CCountingThread : public CWinThread {
 public:
  BOOL OnIdle(LONG count) override {
    counts.push_back(count);
    return count < 2;
  }
  std::vector<LONG> counts;
};

TEST(IdleMessageLoop, IdleWorkThenMessagesThenItsTimerEndsTheWait) {
  InitTestApp();
  PumpPending();
  CCountingThread thread;
  CIdleMessageLoop loop(&thread);
  // Without a main window a thread timer ends the wait.
  EXPECT_EQ(0, loop.Run(20));
  EXPECT_EQ((std::vector<LONG>{0, 1, 2}), thread.counts);

  // A waiting message stops the idle work; it is handled in the same Run.
  HWND wnd = MakeWindow();
  ASSERT_NE(nullptr, wnd);
  thread.counts.clear();
  g_messages.clear();
  loop.Reset();
  ::PostMessageA(wnd, WM_APP, 0, 0);
  EXPECT_EQ(0, loop.Run(20));
  EXPECT_TRUE(thread.counts.empty()) << "a message was waiting";
  ASSERT_FALSE(g_messages.empty());
  EXPECT_EQ(static_cast<UINT>(WM_APP), g_messages[0]);

  // With a main window the timer is its own, and gone afterwards.
  CWnd main;
  main.Attach(wnd);
  thread.m_pMainWnd = &main;
  g_timers.clear();
  EXPECT_EQ(0, loop.Run(20));
  ASSERT_FALSE(g_timers.empty());
  EXPECT_EQ(CIdleMessageLoop::kTimerId, g_timers.back());
  EXPECT_FALSE(::KillTimer(wnd, CIdleMessageLoop::kTimerId)) << "killed by Run";
  thread.m_pMainWnd = nullptr;
  main.Detach();
  ::DestroyWindow(wnd);
  PumpPending();
}

// Idle work that posts a message at its last count: the message comes after
// the idle work has ended, and before the loop's own timer.
class CPostingThread : public CWinThread {
 public:
  BOOL OnIdle(LONG count) override {
    counts.push_back(count);
    if (count == 2) ::PostMessageA(window, WM_APP, 0, 0);
    return count < 2;
  }
  std::vector<LONG> counts;
  HWND window = nullptr;
};

TEST(IdleMessageLoop, AMessageStartsTheIdleWorkAgainInTheNextRun) {
  InitTestApp();
  PumpPending();
  CPostingThread thread;
  thread.window = MakeWindow();
  ASSERT_NE(nullptr, thread.window);
  CIdleMessageLoop loop(&thread);
  g_messages.clear();
  // Long timers: each Run must end with its message, not with the timer.
  for (int run = 0; run < 3; ++run) {
    SCOPED_TRACE(run);
    thread.counts.clear();
    EXPECT_EQ(0, loop.Run(3000));
    EXPECT_EQ((std::vector<LONG>{0, 1, 2}), thread.counts) << "counted from 0 again after the message";
  }
  EXPECT_EQ((std::vector<UINT>{WM_APP, WM_APP, WM_APP}), g_messages);
  ::DestroyWindow(thread.window);
  PumpPending();
}

TEST(IdleMessageLoop, QuitIsSeenAndPostedAgainWithItsCode) {
  InitTestApp();
  PumpPending();
  CCountingThread thread;
  CIdleMessageLoop loop(&thread);
  ::PostQuitMessage(9);
  EXPECT_EQ(1, loop.Run(1000));
  MSG msg;
  ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "posted again";
  EXPECT_EQ(9u, msg.wParam);
}

// ---- the idle network pump -------------------------------------------------------

uint32_t g_pumpTick = 0;
uint32_t PumpTick() { return g_pumpTick; }

TEST(NetworkPump, TheApplicationsIdleWorkPollsOncePerWholePeriodWhileStarted) {
  InitTestApp();
  ASSERT_TRUE(InitNetwork());
  const NetworkPumpClock previous = SetNetworkPumpClock(PumpTick);
  CWinThread* app = AfxGetApp();
  ASSERT_NE(nullptr, app);
  g_pumpTick = 0xFFFFFF00u;  // across the counter's wrap
  StartNetworkPump();
  g_pumpTick += 401;
  const uint32_t start = nte_get_pass_count();
  EXPECT_TRUE(app->OnIdle(0));
  EXPECT_TRUE(app->OnIdle(1));
  EXPECT_EQ(start, nte_get_pass_count()) << "counts 0 and 1 do not pump";
  EXPECT_TRUE(app->OnIdle(2));
  EXPECT_EQ(start + 2, nte_get_pass_count()) << "400 ms of pump: two engine passes";
  EXPECT_TRUE(app->OnIdle(2));
  EXPECT_EQ(start + 2, nte_get_pass_count()) << "no new period";
  g_pumpTick += 400;
  EXPECT_FALSE(app->OnIdle(3));
  EXPECT_EQ(start + 2, nte_get_pass_count()) << "count 3 ends the idle work";
  StopNetworkPump();
  g_pumpTick += 1000;
  EXPECT_TRUE(app->OnIdle(2));
  EXPECT_EQ(start + 2, nte_get_pass_count()) << "none once stopped";
  SetNetworkPumpClock(previous);
  ShutdownNetwork();
}

// ---- texts ---------------------------------------------------------------------

struct CBox {
  std::string text;
  UINT style;
};
std::vector<CBox> g_boxes;
std::vector<int> g_answers;  // pressed in order; then IDNO
int RecordBox(const char* text, UINT style) {
  g_boxes.push_back({text, style});
  if (g_answers.empty()) return IDNO;
  const int a = g_answers.front();
  g_answers.erase(g_answers.begin());
  return a;
}

TEST(CheckTexts, MessagesCarryTheTitleOrTheCodeAndTheirStyles) {
  InitTestApp();
  SetCheckMessageBoxHook(RecordBox);
  g_boxes.clear();
  CLauncherVersionCheckHost host(nullptr);
  host.ShowMessage(IDS_CHECK_NOT_INSTALLED, MB_ICONEXCLAMATION);
  host.ShowMessageWithCode(IDS_CHECK_CANNOT_CONNECT, MB_ICONEXCLAMATION, -17);
  host.ShowMessage(IDS_CHECK_KEEP_WAITING, MB_YESNO | MB_ICONEXCLAMATION);
  const std::string korean = "\xED\x98\x84\xEC\x9E\xAC \xEC\x84\x9C\xEB\xB2\x84 \xEC\xA0\x90\xEA\xB2\x80";
  host.ShowNotice(korean.data(), korean.size());
  SetCheckMessageBoxHook(nullptr);
  ASSERT_EQ(4u, g_boxes.size());
  EXPECT_EQ(ToAnsi(FromUtf8("Quorl\xEC\x9D\xB4 \xEC\xA0\x95\xEC\x83\x81\xEC\xA0\x81\xEC\x9C\xBC\xEB\xA1\x9C "
                            "\xEC\x84\xA4\xEC\xB9\x98\xEB\x90\x98\xEC\x96\xB4 \xEC\x9E\x88\xEC\xA7\x80 "
                            "\xEC\x95\x8A\xEC\x8A\xB5\xEB\x8B\x88\xEB\x8B\xA4.\n")),
            g_boxes[0].text.substr(0, g_boxes[0].text.find('\n') + 1));
  EXPECT_EQ(static_cast<UINT>(MB_ICONEXCLAMATION), g_boxes[0].style);
  EXPECT_NE(std::string::npos, g_boxes[1].text.find("(-17)")) << g_boxes[1].text;
  EXPECT_EQ(std::string::npos, g_boxes[1].text.find('%'));
  EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONEXCLAMATION), g_boxes[2].style);
  // The notice: in the thread's ANSI code page, MB_OK and no icon.
  EXPECT_EQ(ToAnsi(FromUtf8(korean)), g_boxes[3].text);
  EXPECT_EQ(static_cast<UINT>(MB_OK), g_boxes[3].style);
}

TEST(CheckTexts, NoticeCutAtItsCapacityConvertsWithoutGarbage) {
  std::string utf8;
  for (int i = 0; i < 2730; ++i) utf8 += "\xEC\xA0\x90";  // 8,190 bytes: what the notice keeps of a longer one
  const CString ansi = NoticeToAnsi(utf8.data(), utf8.size());
  EXPECT_EQ(ToAnsi(std::wstring(2730, L'\xC810')), std::string(ansi));
  EXPECT_EQ(std::string(), std::string(NoticeToAnsi(nullptr, 0)));
  if (::GetACP() == 949) {
    EXPECT_EQ(2730 * 2, ansi.GetLength()) << "two bytes a character in code page 949";
  }
}

// ---- whole checks ----------------------------------------------------------------

class CTestLauncherHost : public CLauncherVersionCheckHost {
 public:
  explicit CTestLauncherHost(HWND view) : CLauncherVersionCheckHost(view) {}
  bool ReadInstalledVersions(uint32_t* game, uint32_t* launcher) override {
    *game = 1002003;
    *launcher = 2004005;
    return true;
  }
  void GetLoginServerAddress(CString& host, uint16_t& p) override {
    host = "127.0.0.1";
    p = port;
  }
  uint32_t GetServiceId() override { return 441397; }
  uint16_t port = 0;
};

class WholeCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApp();
    PumpPending();
    ASSERT_TRUE(InitNetwork());
    SetCheckMessageBoxHook(RecordBox);
    g_boxes.clear();
    g_answers.clear();
    view = MakeWindow();
    ASSERT_NE(nullptr, view);
  }
  void TearDown() override {
    SetCheckMessageBoxHook(nullptr);
    if (::IsWindow(view)) ::DestroyWindow(view);
    ShutdownNetwork();
    PumpPending();
  }
  int Check(const char* scenario) {
    CFixtureScenario sc;
    std::string error;
    EXPECT_TRUE(FixtureParseScenario(scenario, sc, error)) << error;
    CLoginFixture fixture(sc);
    EXPECT_TRUE(fixture.Start());
    CTestLauncherHost host(view);
    host.port = fixture.GetPort();
    CVersionCheck check(g_quorlSocket, g_versionUpdateInfoList, host);
    const uint32_t passes = nte_get_pass_count();
    const int r = check.CheckVersion(0);
    EXPECT_FALSE(IsNetworkPumpRunning());
    EXPECT_GT(nte_get_pass_count(), passes);
    return r;
  }
  HWND view = nullptr;
};

TEST_F(WholeCheck, AnswersThroughTheLaunchersSocketAndLoop) {
  EXPECT_EQ(1, Check("unlisted 0\n"));
  EXPECT_TRUE(g_boxes.empty());
  ASSERT_EQ(2u, g_versionUpdateInfoList.GetCount());
  EXPECT_EQ(CVersionUpdateInfo::kNoUpdate, g_versionUpdateInfoList.GetAt(1)->GetState());
}

TEST_F(WholeCheck, MaintenanceNoticeShownInTheAnsiCodePage) {
  const std::string notice = "\xED\x98\x84\xEC\x9E\xAC \xEC\xA0\x90\xEA\xB2\x80 \xEC\xA4\x91";
  EXPECT_EQ(
      2,
      Check(
          ("component 10100\n result -100\n notice \"" + notice + "\"\n chunk-size 4\nend\nunlisted -100\n").c_str()));
  ASSERT_EQ(1u, g_boxes.size());
  EXPECT_EQ(ToAnsi(FromUtf8(notice)), g_boxes[0].text);
  EXPECT_EQ(static_cast<UINT>(MB_OK), g_boxes[0].style);
}

TEST_F(WholeCheck, ScreenClosedOrQuitWhileWaitingEndsSilently) {
  for (UINT_PTR timer : {kDestroyTimer, kQuitTimer}) {
    SCOPED_TRACE(timer == kDestroyTimer ? "window destroyed" : "WM_QUIT");
    if (!::IsWindow(view)) view = MakeWindow();
    g_boxes.clear();
    ::SetTimer(view, timer, 300, nullptr);
    EXPECT_EQ(3, Check("on-request hold\n"));
    EXPECT_TRUE(g_boxes.empty());
    MSG msg;
    const BOOL quit = ::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    EXPECT_EQ(timer == kQuitTimer ? TRUE : FALSE, quit) << "a quit is posted again for the caller";
  }
}

}  // namespace
