// The application object: start-up and exit, the idle loop, ID_APP_EXIT,
// profile settings, command line, message boxes and worker threads.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <thread>

#include "tests/framework/fw_test_app.h"
#include "tests/framework/fw_test_res.h"
#include "tests/support/dialogs_win.h"

BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
ON_COMMAND(ID_TEST_APP_CMD, OnAppCommand)
END_MESSAGE_MAP()

namespace {
CTestApp g_app;
}

CTestApp& TestApp() {
  static bool initialised = false;
  if (!initialised) {
    initialised = true;
    AfxWinInit(::GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL);
  }
  return g_app;
}

struct CMessageBoxWatcher::Impl {
  std::thread thread;
  std::atomic<bool> done{false};
  std::atomic<bool> stop{false};
};

namespace {

// A message box shows its icon in a static control of the icon kind; a
// box without an icon has none, or hides it, or leaves it empty.
BOOL CALLBACK FindIconProc(HWND hWnd, LPARAM lParam) {
  char cls[32] = {};
  ::GetClassNameA(hWnd, cls, sizeof cls);
  if (lstrcmpiA(cls, "Static") == 0 && (::GetWindowLongA(hWnd, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
      ::IsWindowVisible(hWnd)) {
    *reinterpret_cast<HICON*>(lParam) = reinterpret_cast<HICON>(::SendMessageA(hWnd, STM_GETICON, 0, 0));
    return FALSE;
  }
  return TRUE;
}

}  // namespace

CMessageBoxWatcher::CMessageBoxWatcher() : m_impl(new Impl) {
  DWORD uiThread = ::GetCurrentThreadId();
  m_impl->thread = std::thread([this, uiThread] {
    for (int i = 0; i < 1000 && !m_impl->stop; ++i) {
      const HWND box = test_support::FindMessageBox(uiThread);
      if (box != nullptr) {
        char buf[512] = {};
        ::GetWindowTextA(box, buf, sizeof buf);
        caption = buf;
        ::GetDlgItemTextA(box, 0xFFFF, buf, sizeof buf);
        text = buf;
        owner = ::GetWindow(box, GW_OWNER);
        ::EnumChildWindows(box, &FindIconProc, reinterpret_cast<LPARAM>(&icon));
        ++seen;
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        m_impl->done = true;
        return;
      }
      ::Sleep(20);
    }
    m_impl->done = true;
  });
}

CMessageBoxWatcher::~CMessageBoxWatcher() {
  m_impl->stop = true;
  // The watcher may be sending WM_GETTEXT to this thread: keep pumping.
  PumpUntil([this] { return m_impl->done.load(); }, 30000);
  m_impl->thread.join();
  delete m_impl;
}

bool CMessageBoxWatcher::Wait(DWORD timeoutMs) {
  PumpUntil([this] { return m_impl->done.load(); }, timeoutMs);
  return seen > 0;
}

namespace {

int g_idleTicks = 0;

void CALLBACK IdleTestTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (++g_idleTicks == 2) ::PostQuitMessage(0);
}

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override { TestApp().Reset(); }
  void TearDown() override {
    TestApp().Reset();
    // Drop any quit request a test left behind.
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
};

TEST_F(AppTest, NamesComeFromTheConstructorAndModule) {
  CTestApp& app = TestApp();
  EXPECT_STREQ("Quorl FW Test", app.m_pszAppName);
  EXPECT_STREQ("fw_win_test", app.m_pszExeName);
  EXPECT_EQ(::GetModuleHandleA(nullptr), AfxGetInstanceHandle());
  EXPECT_EQ(&app, AfxGetApp());
}

TEST_F(AppTest, IdleCountsRiseUntilOnIdleDeclines) {
  CTestApp& app = TestApp();
  std::vector<LONG> counts;
  app.onIdle = [&](LONG n) {
    counts.push_back(n);
    return n < 3 ? TRUE : FALSE;
  };
  app.exitCode = 7;
  // Each tick ends an idle phase; the second one ends the loop.
  g_idleTicks = 0;
  UINT_PTR timer = ::SetTimer(nullptr, 0, 30, &IdleTestTimer);
  int code = app.Run();
  ::KillTimer(nullptr, timer);
  EXPECT_EQ(7, code);
  EXPECT_EQ(1, app.exitCalls);
  ASSERT_GE(counts.size(), 8u);
  const std::vector<LONG> expected = {0, 1, 2, 3, 0, 1, 2, 3};
  EXPECT_EQ(expected, std::vector<LONG>(counts.begin(), counts.begin() + 8));
}

TEST_F(AppTest, BaseOnIdleWantsMoreOnlyAtCountZero) {
  CTestApp& app = TestApp();
  EXPECT_TRUE(app.CWinApp::OnIdle(0));
  EXPECT_FALSE(app.CWinApp::OnIdle(1));
  EXPECT_FALSE(app.CWinApp::OnIdle(2));
}

TEST_F(AppTest, IdleMessagesDoNotRestartTheIdleCount) {
  CTestApp& app = TestApp();
  MSG m{};
  m.message = WM_PAINT;
  EXPECT_FALSE(app.IsIdleMessage(&m));
  m.message = 0x0118;
  EXPECT_FALSE(app.IsIdleMessage(&m));
  m.message = WM_KEYDOWN;
  EXPECT_TRUE(app.IsIdleMessage(&m));
  m.message = WM_MOUSEMOVE;
  m.pt = {5, 6};
  EXPECT_TRUE(app.IsIdleMessage(&m));
  EXPECT_FALSE(app.IsIdleMessage(&m));  // did not move
  m.pt = {5, 7};
  EXPECT_TRUE(app.IsIdleMessage(&m));
}

int g_frames = 0;

class CExitFrame : public CFrameWnd {
 public:
  CExitFrame() { ++g_frames; }
  ~CExitFrame() override { --g_frames; }
};

TEST_F(AppTest, WinMainRunsExitInstanceOnceWhenInitFails) {
  CTestApp& app = TestApp();
  app.onInit = [] { return FALSE; };
  app.exitCode = 5;
  EXPECT_EQ(5, AfxWinMain(::GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOW));
  EXPECT_EQ(1, app.exitCalls);
}

TEST_F(AppTest, WinMainRunsExitInstanceWhenInitThrows) {
  // A start-up that fails by an exception is a failed start-up: the exit
  // still runs (COM and the network are shut down there) and gives the code.
  CTestApp& app = TestApp();
  for (int kind = 0; kind < 2; ++kind) {
    SCOPED_TRACE(kind);
    app.Reset();
    app.exitCode = 7;
    if (kind == 0)
      app.onInit = []() -> BOOL { throw std::runtime_error("start-up failed"); };
    else
      app.onInit = []() -> BOOL { AfxThrowMemoryException(); };
    EXPECT_EQ(7, AfxWinMain(::GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOW));
    EXPECT_EQ(1, app.exitCalls);
  }
}

TEST_F(AppTest, AppExitClosesTheMainWindowAndEndsRun) {
  CTestApp& app = TestApp();
  app.exitCode = 42;
  app.onInit = [&app] {
    CExitFrame* frame = new CExitFrame;
    if (!frame->LoadFrame(IDR_TEST_FRAME, WS_OVERLAPPEDWINDOW)) return FALSE;
    app.m_pMainWnd = frame;
    frame->ShowWindow(SW_SHOW);
    // The command goes frame -> application, which closes the frame.
    frame->PostMessage(WM_COMMAND, ID_APP_EXIT, 0);
    return TRUE;
  };
  EXPECT_EQ(42, AfxWinMain(::GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOW));
  EXPECT_EQ(1, app.exitCalls);
  EXPECT_EQ(0, g_frames);  // the frame deleted itself
  EXPECT_EQ(nullptr, app.m_pMainWnd);
}

// ---- profile ---------------------------------------------------------------

// Each profile case runs twice: the keys opened for every call, and kept by
// a CProfileKeyCache for the whole case.
class ProfileTest : public AppTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    CTestApp& app = TestApp();
    m_savedKey = app.m_pszRegistryKey != nullptr ? _strdup(app.m_pszRegistryKey) : nullptr;
    m_savedProfile = app.m_pszProfileName != nullptr ? _strdup(app.m_pszProfileName) : nullptr;
    ::SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuorlFwTest");
    app.SetRegistryKey("QuorlFwTest");
    // The application replaces the profile name as the launcher does.
    free(const_cast<char*>(app.m_pszProfileName));
    app.m_pszProfileName = _strdup("UnitProfile");
    if (GetParam()) m_cache = std::make_unique<CProfileKeyCache>(&app);
  }
  void TearDown() override {
    m_cache.reset();
    ::SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuorlFwTest");
    CTestApp& app = TestApp();
    free(const_cast<char*>(app.m_pszRegistryKey));
    free(const_cast<char*>(app.m_pszProfileName));
    app.m_pszRegistryKey = m_savedKey;
    app.m_pszProfileName = m_savedProfile;
    AppTest::TearDown();
  }
  char* m_savedKey = nullptr;
  char* m_savedProfile = nullptr;
  std::unique_ptr<CProfileKeyCache> m_cache;
};

INSTANTIATE_TEST_SUITE_P(KeysOpenedOrKept, ProfileTest, ::testing::Bool());

TEST_P(ProfileTest, StringsAndIntsRoundTripUnderTheProfileKey) {
  CTestApp& app = TestApp();
  EXPECT_STREQ("dflt", app.GetProfileString("Login", "Server", "dflt"));
  EXPECT_STREQ("", app.GetProfileString("Login", "Server"));
  EXPECT_EQ(9070u, app.GetProfileInt("Login", "Port", 9070));
  ASSERT_TRUE(app.WriteProfileString("Login", "Server", "login.example:9071"));
  ASSERT_TRUE(app.WriteProfileInt("Login", "Port", -5));
  ASSERT_TRUE(app.WriteProfileString("Login", "Name", "\xC7\xD1\xB1\xDB"));
  EXPECT_STREQ("login.example:9071", app.GetProfileString("Login", "Server", "dflt"));
  EXPECT_EQ(static_cast<UINT>(-5), app.GetProfileInt("Login", "Port", 9070));
  EXPECT_STREQ("\xC7\xD1\xB1\xDB", app.GetProfileString("Login", "Name"));
  // Where it lives: HKCU\Software\<key>\<profile>\<section>.
  char value[64] = {};
  DWORD size = sizeof value;
  EXPECT_EQ(ERROR_SUCCESS, ::SHGetValueA(HKEY_CURRENT_USER, "Software\\QuorlFwTest\\UnitProfile\\Login", "Server",
                                         nullptr, value, &size));
  EXPECT_STREQ("login.example:9071", value);
  // A value of another type reads as the default.
  EXPECT_EQ(3u, app.GetProfileInt("Login", "Server", 3));
  EXPECT_STREQ("x", app.GetProfileString("Login", "Port", "x"));
  // Deleting an entry, then the section.
  ASSERT_TRUE(app.WriteProfileString("Login", "Server", nullptr));
  EXPECT_STREQ("gone", app.GetProfileString("Login", "Server", "gone"));
  ASSERT_TRUE(app.WriteProfileString("Login", nullptr, nullptr));
  EXPECT_EQ(1u, app.GetProfileInt("Login", "Port", 1));
}

TEST_P(ProfileTest, BinaryRoundTrip) {
  CTestApp& app = TestApp();
  BYTE* data = reinterpret_cast<BYTE*>(1);
  UINT bytes = 99;
  EXPECT_FALSE(app.GetProfileBinary("render_s", "Blob", &data, &bytes));
  EXPECT_EQ(nullptr, data);
  EXPECT_EQ(0u, bytes);
  BYTE blob[5] = {0, 1, 0xFE, 0xFF, 7};
  ASSERT_TRUE(app.WriteProfileBinary("render_s", "Blob", blob, sizeof blob));
  ASSERT_TRUE(app.GetProfileBinary("render_s", "Blob", &data, &bytes));
  ASSERT_EQ(5u, bytes);
  EXPECT_EQ(0, std::memcmp(blob, data, 5));
  delete[] data;
  HKEY key = app.GetSectionKey("render_s");
  ASSERT_NE(nullptr, key);
  ::RegCloseKey(key);
}

static DWORD WINAPI ReadPortOnThread(void* out) {
  *static_cast<UINT*>(out) = AfxGetApp()->GetProfileInt("Login", "Port", 5);
  return 0;
}

// The rules of the kept keys: one cache at a time, only on its own thread,
// a deleted section made anew by the next write, and nothing left open.
TEST_P(ProfileTest, KeptKeysServeOnlyTheirThreadAndSurviveADeletedSection) {
  CTestApp& app = TestApp();
  {
    CProfileKeyCache second(&app);  // inside the fixture's own, when it has one
    EXPECT_EQ(GetParam() ? m_cache.get() : &second, app.GetProfileKeyCache());
    ASSERT_TRUE(app.WriteProfileInt("Login", "Port", 9071));
  }
  EXPECT_EQ(m_cache.get(), app.GetProfileKeyCache());
  EXPECT_EQ(9071u, app.GetProfileInt("Login", "Port", 0));

  // Another thread reads through keys of its own and sees the same value.
  UINT seen = 0;
  HANDLE thread = ::CreateThread(nullptr, 0, &ReadPortOnThread, &seen, 0, nullptr);
  ASSERT_NE(nullptr, thread);
  ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread, 10000));
  ::CloseHandle(thread);
  EXPECT_EQ(9071u, seen);

  // The section deleted under a kept key: the next write makes it again
  // and a plain read sees it there.
  ASSERT_TRUE(app.WriteProfileString("Login", nullptr, nullptr));
  EXPECT_EQ(2u, app.GetProfileInt("Login", "Port", 2));
  ASSERT_TRUE(app.WriteProfileInt("Login", "Port", 80));
  DWORD value = 0;
  DWORD size = sizeof value;
  EXPECT_EQ(ERROR_SUCCESS, ::SHGetValueA(HKEY_CURRENT_USER, "Software\\QuorlFwTest\\UnitProfile\\Login", "Port",
                                         nullptr, &value, &size));
  EXPECT_EQ(80u, value);

  m_cache.reset();
  EXPECT_EQ(nullptr, app.GetProfileKeyCache());
  // A new cache may live once the old one has gone.
  CProfileKeyCache next(&app);
  EXPECT_EQ(&next, app.GetProfileKeyCache());
  EXPECT_EQ(80u, app.GetProfileInt("Login", "Port", 0));
}

// ---- command line ----------------------------------------------------------

class CRecordingInfo : public CCommandLineInfo {
 public:
  void ParseParam(const char* p, BOOL bFlag, BOOL bLast) override {
    seen.push_back(std::string(bFlag ? "flag:" : "param:") + p + (bLast ? ":last" : ""));
    CCommandLineInfo::ParseParam(p, bFlag, bLast);
  }
  std::vector<std::string> seen;
};

TEST(CommandLine, FlagsLoseTheirPrefix) {
  char a0[] = "quorl.exe", a1[] = "/s", a2[] = "-B2", a3[] = "portal:key", a4[] = "/e";
  char* argv[] = {a0, a1, a2, a3, a4};
  CRecordingInfo info;
  CWinApp::ParseCommandLine(info, 5, argv);
  const std::vector<std::string> expected = {"flag:s", "flag:B2", "param:portal:key", "flag:e:last"};
  EXPECT_EQ(expected, info.seen);
  EXPECT_STREQ("portal:key", info.m_strFileName);
  EXPECT_EQ(CCommandLineInfo::FileOpen, info.m_nShellCommand);

  CRecordingInfo none;
  CWinApp::ParseCommandLine(none, 1, argv);
  EXPECT_TRUE(none.seen.empty());
  EXPECT_EQ(CCommandLineInfo::FileNew, none.m_nShellCommand);
}

// ---- message boxes ---------------------------------------------------------

TEST_F(AppTest, MessageBoxCaptionAndOwner) {
  CTestApp& app = TestApp();
  CFrameWnd* frame = new CFrameWnd;
  ASSERT_TRUE(frame->LoadFrame(IDR_TEST_FRAME, WS_OVERLAPPEDWINDOW));
  app.m_pMainWnd = frame;
  struct Case {
    const char* name;
    int show;
    BOOL enabled;
    bool owned;
  };
  const Case cases[] = {
      {"hidden main window", SW_HIDE, TRUE, false},
      {"visible main window", SW_SHOW, TRUE, true},
      {"disabled main window", SW_SHOW, FALSE, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    frame->ShowWindow(c.show);
    frame->EnableWindow(c.enabled);
    CMessageBoxWatcher watcher;
    EXPECT_EQ(IDOK, AfxMessageBox("\xC6\xC4\xC0\xCF text", MB_OK));
    ASSERT_TRUE(watcher.Wait());
    EXPECT_EQ("Quorl FW Test", watcher.caption);
    EXPECT_EQ("\xC6\xC4\xC0\xCF text", watcher.text);
    EXPECT_EQ(c.owned ? frame->m_hWnd : nullptr, watcher.owner);
  }
  // By string id; a missing string shows an empty text.
  {
    CMessageBoxWatcher watcher;
    AfxMessageBox(IDS_TEST_ASCII);
    ASSERT_TRUE(watcher.Wait());
    EXPECT_EQ("Quorl framework", watcher.text);
  }
  {
    CMessageBoxWatcher watcher;
    AfxMessageBox(IDS_TEST_MISSING);
    ASSERT_TRUE(watcher.Wait());
    EXPECT_EQ("", watcher.text);
  }
  frame->EnableWindow(TRUE);
  frame->DestroyWindow();
  EXPECT_EQ(nullptr, app.m_pMainWnd);
}

// The style goes through as given: no icon unless the caller names one.
TEST_F(AppTest, MessageBoxShowsExactlyTheIconAskedFor) {
  struct Case {
    const char* name;
    UINT type;
    LPCSTR icon;  // system icon, or null for none
  } const cases[] = {
      {"MB_OK", MB_OK, nullptr},
      {"MB_OKCANCEL", MB_OKCANCEL, nullptr},
      {"MB_ICONERROR", MB_OK | MB_ICONERROR, IDI_HAND},
      {"MB_ICONEXCLAMATION", MB_OK | MB_ICONEXCLAMATION, IDI_EXCLAMATION},
      {"MB_ICONINFORMATION", MB_OK | MB_ICONINFORMATION, IDI_ASTERISK},
      {"MB_ICONQUESTION", MB_OKCANCEL | MB_ICONQUESTION, IDI_QUESTION},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CMessageBoxWatcher watcher;
    AfxMessageBox("icon", c.type);
    ASSERT_TRUE(watcher.Wait());
    EXPECT_EQ(c.icon != nullptr ? ::LoadIconA(nullptr, c.icon) : nullptr, watcher.icon);
  }
}

TEST_F(AppTest, FileExceptionReportShowsCauseAndPath) {
  CFileException e(CFileException::accessDenied, -1, "C:\\quorl\\patch.bin");
  CMessageBoxWatcher watcher;
  EXPECT_EQ(IDOK, e.ReportError(MB_OK));
  ASSERT_TRUE(watcher.Wait());
  EXPECT_EQ("The file could not be accessed: C:\\quorl\\patch.bin.", watcher.text);
  EXPECT_EQ("Quorl FW Test", watcher.caption);
}

// ---- threads ---------------------------------------------------------------

UINT __cdecl AddOne(LPVOID p) {
  ++*static_cast<std::atomic<int>*>(p);
  return 17;
}

UINT __cdecl Throws(LPVOID) { throw std::runtime_error("worker failure"); }

TEST(Threads, SuspendedWorkerWithAutoDeleteOff) {
  std::atomic<int> value{0};
  CWinThread* t = AfxBeginThread(AddOne, &value, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  ASSERT_NE(nullptr, t);
  t->m_bAutoDelete = FALSE;
  ::Sleep(20);
  EXPECT_EQ(0, value.load());  // still suspended
  t->ResumeThread();
  ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(t->m_hThread, 5000));
  DWORD code = 0;
  ::GetExitCodeThread(t->m_hThread, &code);
  EXPECT_EQ(17u, code);
  EXPECT_EQ(1, value.load());
  delete t;
}

TEST(Threads, ExceptionInWorkerIsCaught) {
  int before = AfxGetCaughtExceptionCount();
  CWinThread* t = AfxBeginThread(Throws, nullptr, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  ASSERT_NE(nullptr, t);
  t->m_bAutoDelete = FALSE;
  t->ResumeThread();
  ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(t->m_hThread, 5000));
  DWORD code = 0;
  ::GetExitCodeThread(t->m_hThread, &code);
  EXPECT_EQ(0xFFFFFFFFu, code);
  EXPECT_EQ(before + 1, AfxGetCaughtExceptionCount());
  delete t;
}

}  // namespace
