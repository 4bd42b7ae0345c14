// The launcher's Win32 pieces inside one test program: the messages with
// the application title and the main frame's fixed-size, closable-or-not
// window. The program carries the launcher's own resources.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "app/launcher_app.h"
#include "app/main_frame.h"
#include "res/resource.h"
#include "skin/launcher_view.h"

namespace {

// The program's application object, as the launcher has its own.
CQuorlLauncherApp theApp;

constexpr UINT kMissingString = 4242;

void InitApp() {
  static bool done = false;
  if (!done) {
    done = true;
    AfxWinInit(::GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL);
  }
}

std::wstring FromAnsi(const char* text) {
  int n = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring out(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1)
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, &out[0], n);
  return out;
}

// Finds this thread's first message box from another thread, reads it and
// presses OK.
struct BoxSeen {
  std::wstring text, caption;
  bool seen = false;
};

BOOL CALLBACK FindBox(HWND wnd, LPARAM lParam) {
  char cls[32] = {};
  ::GetClassNameA(wnd, cls, sizeof cls);
  if (std::string(cls) == "#32770" && ::GetDlgItem(wnd, 0xFFFF) != nullptr) {
    *reinterpret_cast<HWND*>(lParam) = wnd;
    return FALSE;
  }
  return TRUE;
}

std::thread WatchForBox(DWORD uiThread, BoxSeen* seen) {
  return std::thread([uiThread, seen] {
    for (int i = 0; i < 500; ++i) {
      HWND box = nullptr;
      ::EnumThreadWindows(uiThread, &FindBox, reinterpret_cast<LPARAM>(&box));
      if (box != nullptr) {
        wchar_t buf[512] = {};
        ::GetDlgItemTextW(box, 0xFFFF, buf, 512);
        seen->text = buf;
        ::GetWindowTextW(box, buf, 512);
        seen->caption = buf;
        seen->seen = true;
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        return;
      }
      ::Sleep(20);
    }
  });
}

}  // namespace

TEST(AppTitleMessages, FormatsTheStringWithTheTitle) {
  InitApp();
  CString out("untouched");
  ASSERT_TRUE(LoadAndFormatWithAppTitle(IDS_ENV_TITLE, out));
  EXPECT_EQ(L"Quorl 환경설정", FromAnsi(out));
}

TEST(AppTitleMessages, MissingStringFailsAndLeavesTheOutput) {
  InitApp();
  CString out("untouched");
  EXPECT_FALSE(LoadAndFormatWithAppTitle(kMissingString, out));
  EXPECT_STREQ("untouched", out);
}

TEST(AppTitleMessages, MissingStringShowsAnEmptyBoxWithTheTitle) {
  InitApp();
  BoxSeen seen;
  std::thread watcher = WatchForBox(::GetCurrentThreadId(), &seen);
  EXPECT_EQ(IDOK, MessageBoxWithAppTitle(kMissingString, MB_OK));
  watcher.join();
  ASSERT_TRUE(seen.seen);
  EXPECT_EQ(L"", seen.text);
  EXPECT_EQ(L"Quorl", seen.caption);
}

class MainFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitApp();
    CQuorlLauncherApp* app = GetLauncherApp();
    if (!app->GetGraphicData().IsOpen()) {
      ASSERT_TRUE(app->GetGraphicData().Open(QUORL_TEST_SKIN_FILE));
    }
    ASSERT_TRUE(RegisterWindowClass(kMainFrameClassName, 0, ::LoadCursorA(nullptr, IDC_ARROW),
                                    nullptr, nullptr, nullptr));
    m_frame = static_cast<CMainFrame*>(RUNTIME_CLASS(CMainFrame)->CreateObject());
    ASSERT_NE(nullptr, m_frame);
    CCreateContext context;
    context.m_pNewViewClass = RUNTIME_CLASS(CQuorlLauncherView);
    ASSERT_TRUE(m_frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW, nullptr, &context));
    m_hWnd = m_frame->m_hWnd;
  }
  void TearDown() override {
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd))
      ::DestroyWindow(m_hWnd);  // the frame deletes itself
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

TEST_F(MainFrameTest, ForwardersAnswerZeroOnTheLauncherScreen) {
  EXPECT_NE(nullptr, dynamic_cast<CQuorlLauncherView*>(m_frame->GetActiveView()));
  EXPECT_EQ(0, m_frame->DownloadFile("http://127.0.0.1/x", "C:\\x", 1, 2));
  EXPECT_EQ(0, m_frame->SetLatestVersion(1, 2, 3));
  EXPECT_EQ(0, m_frame->SetNextVersion(1, 2, 3));
}

TEST_F(MainFrameTest, SwitchingToTheShownClassMakesNoNewView) {
  CView* view = m_frame->GetActiveView();
  ASSERT_NE(nullptr, view);
  EXPECT_TRUE(m_frame->SwitchView(RUNTIME_CLASS(CQuorlLauncherView), TRUE));
  EXPECT_EQ(view, m_frame->GetActiveView());
  EXPECT_EQ(view->m_hWnd, ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST));
}
