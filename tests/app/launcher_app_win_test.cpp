// The launcher's Win32 pieces inside one test program: the application
// object's start-up steps and idle and exit contracts, the messages with
// the application title and the main frame's fixed-size, closable-or-not
// window. The program carries the launcher's own resources but no built-in
// localisation record.
#include <windows.h>

#include <objbase.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>

#include "app/launcher_app.h"
#include "app/localize.h"
#include "app/main_frame.h"
#include "tests/app/main_frame_fixture.h"
#include "res/resource.h"
#include "skin/launcher_view.h"
#include "tests/support/dialogs_win.h"
#include "tests/support/stuck_report_win.h"
#include "tests/support/test_app_win.h"

namespace {

// The program's application object, as the launcher has its own, with its
// start-up steps within the tests' reach.
class CTestLauncherApp : public CQuorlLauncherApp {
 public:
  using CQuorlLauncherApp::InitCom;
  using CQuorlLauncherApp::LoadLocalizeInfo;
  using CQuorlLauncherApp::UseProfileOfRecord;
};
CTestLauncherApp theApp;

// Each test takes a second or two; one that has run for a minute waits for
// something that will not come, and says where before the suite's time-out
// ends the program.
const struct StuckTestReport {
  StuckTestReport() { test_support::ReportStuckTests(60000); }
} stuckTestReport;

constexpr UINT kMissingString = 4242;

using test_support::InitTestApp;
using test_support::SeenBox;
using test_support::WidenAnsi;

}  // namespace

TEST(AppTitleMessages, FormatsTheStringWithTheTitle) {
  InitTestApp();
  CString out("untouched");
  ASSERT_TRUE(LoadAndFormatWithAppTitle(IDS_ENV_TITLE, out));
  EXPECT_EQ(L"Quorl 환경설정", WidenAnsi(out));
}

TEST(AppTitleMessages, MissingStringFailsAndLeavesTheOutput) {
  InitTestApp();
  CString out("untouched");
  EXPECT_FALSE(LoadAndFormatWithAppTitle(kMissingString, out));
  EXPECT_STREQ("untouched", out);
}

TEST(AppTitleMessages, MissingStringShowsAnEmptyBoxWithTheTitle) {
  InitTestApp();
  SeenBox seen;
  {
    test_support::OkOnFirstBox ok(::GetCurrentThreadId(), &seen);
    EXPECT_EQ(IDOK, MessageBoxWithAppTitle(kMissingString, MB_OK));
  }
  ASSERT_TRUE(seen.seen);
  EXPECT_EQ(L"", seen.text);
  EXPECT_EQ(L"Quorl", seen.caption);
}

class MainFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(CreateLauncherMainFrame(&m_frame));
    m_hWnd = m_frame->m_hWnd;
  }
  void TearDown() override {
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);  // the frame deletes itself
  }

  CMainFrame* m_frame = nullptr;
  HWND m_hWnd = nullptr;
};

TEST_F(MainFrameTest, SystemMenuKeepsNeitherSizingNorSeparators) {
  HMENU sys = ::GetSystemMenu(m_hWnd, FALSE);
  ASSERT_NE(nullptr, sys);
  const int count = ::GetMenuItemCount(sys);
  ASSERT_GT(count, 0);
  for (int i = 0; i < count; ++i) {
    const UINT id = ::GetMenuItemID(sys, i);
    SCOPED_TRACE(id);
    EXPECT_NE(0u, id) << "a separator is left";
    EXPECT_NE(static_cast<UINT>(SC_SIZE), id);
    EXPECT_NE(static_cast<UINT>(SC_MINIMIZE), id);
    EXPECT_NE(static_cast<UINT>(SC_MAXIMIZE), id);
    EXPECT_NE(static_cast<UINT>(SC_RESTORE), id);
  }
  EXPECT_EQ(nullptr, ::GetMenu(m_hWnd));
  EXPECT_EQ(static_cast<DWORD>(0), m_frame->GetStyle() & WS_CAPTION);
}

TEST_F(MainFrameTest, CloseIsIgnoredWhileItsMenuItemIsGreyed) {
  m_frame->EnableCloseCommand(FALSE);
  HMENU sys = ::GetSystemMenu(m_hWnd, FALSE);
  EXPECT_NE(0u, ::GetMenuState(sys, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
  ::SendMessageA(m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(::IsWindow(m_hWnd));

  m_frame->EnableCloseCommand(TRUE);
  EXPECT_EQ(0u, ::GetMenuState(sys, SC_CLOSE, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
  ::SendMessageA(m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(::IsWindow(m_hWnd));
}

// The About system command (any of its 16 ids) becomes ID_APP_ABOUT posted
// to the main window; without a main window it does nothing.
TEST_F(MainFrameTest, AboutSystemCommandGoesToTheMainWindowWhenThereIsOne) {
  CWinApp* app = AfxGetApp();
  for (CWnd* main : {static_cast<CWnd*>(nullptr), static_cast<CWnd*>(m_frame)}) {
    SCOPED_TRACE(main ? "main window" : "no main window");
    app->m_pMainWnd = main;
    for (UINT id : {static_cast<UINT>(IDM_ABOUTBOX), static_cast<UINT>(IDM_ABOUTBOX | 0xF)}) {
      ::SendMessageA(m_hWnd, WM_SYSCOMMAND, id, 0);
      MSG msg = {};
      const bool posted = ::PeekMessageA(&msg, m_hWnd, WM_COMMAND, WM_COMMAND, PM_REMOVE) != 0;
      EXPECT_EQ(main != nullptr, posted);
      if (posted) {
        EXPECT_EQ(static_cast<WPARAM>(ID_APP_ABOUT), msg.wParam);
      }
    }
    EXPECT_TRUE(::IsWindow(m_hWnd));
  }
  app->m_pMainWnd = nullptr;
}

TEST_F(MainFrameTest, SwitchingToTheShownClassMakesNoNewView) {
  CView* view = m_frame->GetActiveView();
  ASSERT_NE(nullptr, view);
  EXPECT_TRUE(m_frame->SwitchView(RUNTIME_CLASS(CQuorlLauncherView), TRUE));
  EXPECT_EQ(view, m_frame->GetActiveView());
  EXPECT_EQ(view->m_hWnd, ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST));
}

// ---------------------------------------------------------------------------
// The application object

namespace {

// An id file beside the test program for the life of the object.
class CIdFileBesideTheProgram {
 public:
  explicit CIdFileBesideTheProgram(const std::string& text) {
    MakeModulePath(kLocalizeInfoFileName, m_path);
    HANDLE f = ::CreateFileA(m_path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    m_ok = f != INVALID_HANDLE_VALUE &&
           ::WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
    if (f != INVALID_HANDLE_VALUE) ::CloseHandle(f);
  }
  ~CIdFileBesideTheProgram() { ::DeleteFileA(m_path); }
  bool Ok() const { return m_ok; }

 private:
  CString m_path;
  bool m_ok = false;
};

// A DWORD value under HKCU\Software\Halvane\<profile>\<section>, or -1.
long ReadProfileDword(const std::string& profile, const char* section, const char* name) {
  const std::string path = "Software\\Halvane\\" + profile + "\\" + section;
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
  DWORD value = 0, size = sizeof(value), type = 0;
  const LONG rc = ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  ::RegCloseKey(key);
  return rc == ERROR_SUCCESS && type == REG_DWORD ? static_cast<long>(value) : -1;
}

void DeleteProfile(const std::string& profile) {
  const std::string path = "Software\\Halvane\\" + profile;
  ::SHDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
}

}  // namespace

// The id file beside the program names the registry profile and the code
// page: settings land under HKCU\Software\Halvane\<record's profile>, and
// the region follows the record's code page (an unsupported one gives 932).
TEST(LauncherAppStartup, RecordNamesTheProfileAndTheRegion) {
  InitTestApp();
  struct Case {
    uint32_t codePage;
    const char* profile;
    uint32_t adopted;
    uint32_t serviceId;
  } const cases[] = {
      {1252, "QuorlTestEU", 1252, 452679},
      {950, "QuorlTestTW", 950, 449137},
      {1251, "QuorlTestOther", 932, 418762},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.profile);
    DeleteProfile(c.profile);
    const std::string record = CLocalizeInfo::EncodeRecord(c.codePage, c.profile, kLocalizeInfoServiceId, 1700000000);
    CIdFileBesideTheProgram idFile(record + "\r\n");
    ASSERT_TRUE(idFile.Ok());
    ASSERT_TRUE(theApp.LoadLocalizeInfo());
    EXPECT_EQ(c.adopted, theApp.GetCodePage());
    EXPECT_EQ(c.serviceId, theApp.GetServiceId());
    EXPECT_STREQ(c.profile, theApp.GetProfileName());

    theApp.UseProfileOfRecord();
    EXPECT_STREQ(c.profile, theApp.m_pszProfileName);
    ASSERT_TRUE(theApp.WriteProfileInt("window", "probe", 7));
    EXPECT_EQ(7, ReadProfileDword(c.profile, "window", "probe"));
    EXPECT_EQ(7u, theApp.GetProfileInt("window", "probe", 0));
    DeleteProfile(c.profile);
  }
}

// This program carries no built-in record: without an id file there is none.
TEST(LauncherAppStartup, NoRecordWithoutIdFileOrResource) {
  InitTestApp();
  EXPECT_FALSE(theApp.LoadLocalizeInfo());
  CIdFileBesideTheProgram damaged("#### not a record ####\r\n");
  ASSERT_TRUE(damaged.Ok());
  EXPECT_FALSE(theApp.LoadLocalizeInfo());
}

// Idle counts 0 and 1 want more idle time whatever the framework's idle work
// answered (it declines at 1), count 2 pumps the network and wants more,
// 3 and above end the idle phase.
TEST(LauncherAppIdle, ThreePassesThenNoMore) {
  InitTestApp();
  const BOOL expected[] = {TRUE, TRUE, TRUE, FALSE, FALSE, FALSE};
  for (LONG count = 0; count < 6; ++count) {
    SCOPED_TRACE(count);
    EXPECT_EQ(expected[count], theApp.OnIdle(count));
  }
}

// Exit undoes COM only when start-up's initialisation returned S_OK: not when
// it returned S_FALSE because the thread had COM already.  What a new
// CoInitializeEx answers after exit tells which it did.
TEST(LauncherAppExit, UninitialisesComOnlyAfterItsOwnSOk) {
  InitTestApp();
  struct Case {
    const char* name;
    bool comBefore;     // the thread had COM before start-up
    HRESULT afterExit;  // what a new CoInitializeEx says after exit
  } const cases[] = {
      {"start-up initialised COM", false, S_OK},
      {"COM was there already", true, S_FALSE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The test's thread starts without COM.
    ASSERT_EQ(S_OK, ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    ::CoUninitialize();
    if (c.comBefore) {
      ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    }
    EXPECT_TRUE(theApp.InitCom());
    theApp.ExitInstance();
    if (c.comBefore) {
      ::CoUninitialize();  // the test's own
    }
    const HRESULT probe = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ::CoUninitialize();
    if (probe == S_FALSE) {
      ::CoUninitialize();  // start-up's, which exit left alone
    }
    EXPECT_EQ(c.afterExit, probe);
  }
}

// Exit answers the framework's exit code: the WM_QUIT code.
TEST(LauncherAppExit, ReturnsTheQuitCode) {
  InitTestApp();
  theApp.m_msgCur.wParam = 7;
  EXPECT_EQ(7, theApp.ExitInstance());
  theApp.m_msgCur.wParam = 0;
  EXPECT_EQ(0, theApp.ExitInstance());
}
