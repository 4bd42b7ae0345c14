// Windows: message-map dispatch and chaining, reflection, exceptions in
// handlers, command routing, frames and views and their self-deletion.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/framework/fw_test_app.h"
#include "tests/framework/fw_test_res.h"

namespace {

const UINT g_registeredMessage = ::RegisterWindowMessageA("QuorlFwTestMessage");

// ---- dispatch and chaining -------------------------------------------------

class CBaseTestWnd : public CWnd {
 public:
  std::vector<std::string> log;
  int OnCreate(LPCREATESTRUCTA lpcs) {
    log.push_back(std::string("create:") + lpcs->lpszName);
    return CWnd::OnCreate(lpcs);
  }
  void OnSize(UINT, int cx, int cy) { log.push_back("size:" + std::to_string(cx) + "x" + std::to_string(cy)); }
  LRESULT OnBaseOnly(WPARAM w, LPARAM) { return 100 + static_cast<LRESULT>(w); }
  LRESULT OnOverridden(WPARAM, LPARAM) { return 1; }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseTestWnd, CWnd)
ON_WM_CREATE()
ON_WM_SIZE()
ON_MESSAGE(WM_APP + 1, OnBaseOnly)
ON_MESSAGE(WM_APP + 3, OnOverridden)
END_MESSAGE_MAP()

class CDerivedTestWnd : public CBaseTestWnd {
 public:
  LRESULT OnDerivedOnly(WPARAM, LPARAM) { return 200; }
  LRESULT OnOverriddenHere(WPARAM, LPARAM) { return 2; }
  LRESULT OnRegistered(WPARAM, LPARAM) { return 77; }
  LRESULT OnThrowStd(WPARAM, LPARAM) { throw std::runtime_error("handler failure"); }
  LRESULT OnThrowFramework(WPARAM, LPARAM) { AfxThrowFileException(CFileException::diskFull); }
  void OnLButtonDown(UINT nFlags, CPoint p) {
    log.push_back("down:" + std::to_string(nFlags) + ":" + std::to_string(p.x) + "," + std::to_string(p.y));
  }
  void OnTimer(UINT_PTR id) { log.push_back("timer:" + std::to_string(id)); }
  void OnClicked() { log.push_back("clicked"); }
  void OnReflectingClicked() { log.push_back("parent saw reflected click"); }
  void OnRange(UINT id) { log.push_back("range:" + std::to_string(id)); }
  void OnNotifyClick(NMHDR* pNMHDR, LRESULT* pResult) {
    log.push_back("notify:" + std::to_string(pNMHDR->idFrom));
    *pResult = 55;
  }
  BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
    log.push_back("cursor:" + std::to_string(nHitTest) + ":" + std::to_string(message));
    return TRUE;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedTestWnd, CBaseTestWnd)
ON_MESSAGE(WM_APP + 2, OnDerivedOnly)
ON_MESSAGE(WM_APP + 3, OnOverriddenHere)
ON_MESSAGE(WM_APP + 5, OnThrowStd)
ON_MESSAGE(WM_APP + 6, OnThrowFramework)
ON_REGISTERED_MESSAGE(g_registeredMessage, OnRegistered)
ON_WM_LBUTTONDOWN()
ON_WM_TIMER()
ON_WM_SETCURSOR()
ON_BN_CLICKED(1234, OnClicked)
ON_BN_CLICKED(1235, OnReflectingClicked)
ON_COMMAND_RANGE(2000, 2009, OnRange)
ON_NOTIFY(NM_CLICK, 1234, OnNotifyClick)
END_MESSAGE_MAP()

class CReflectButton : public CButton {
 public:
  int clicks = 0;
  CBrush brush{RGB(1, 2, 3)};
  void OnReflectedClick() { ++clicks; }
  HBRUSH CtlColor(CDC* pDC, UINT nCtlColor) {
    pDC->SetTextColor(RGB(255, 0, 0));
    return nCtlColor == CTLCOLOR_BTN ? static_cast<HBRUSH>(brush) : nullptr;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CReflectButton, CButton)
ON_CONTROL_REFLECT(BN_CLICKED, OnReflectedClick)
ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

class MessageMapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "maps", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr, nullptr));
  }
  void TearDown() override {
    if (wnd.m_hWnd != nullptr) wnd.DestroyWindow();
  }
  CDerivedTestWnd wnd;
};

TEST_F(MessageMapTest, HandlersAndChainingToTheBase) {
  ASSERT_FALSE(wnd.log.empty());
  EXPECT_EQ("create:maps", wnd.log.front());
  struct Case {
    const char* name;
    UINT msg;
    WPARAM w;
    LRESULT result;
  };
  const Case cases[] = {
      {"base only", WM_APP + 1, 5, 105},
      {"derived only", WM_APP + 2, 0, 200},
      {"derived wins over base", WM_APP + 3, 0, 2},
      {"registered message", g_registeredMessage, 0, 77},
      {"nobody: default", WM_APP + 9, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.result, wnd.SendMessage(c.msg, c.w, 0));
  }
}

TEST_F(MessageMapTest, ArgumentsAreCrackedAsTheSignatureSays) {
  wnd.log.clear();
  wnd.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(static_cast<WORD>(-3), 7));
  wnd.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(120, 80));
  EXPECT_EQ(TRUE,
            wnd.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd.m_hWnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  const std::vector<std::string> expected = {"down:1:-3,7", "size:120x80", "cursor:1:" + std::to_string(WM_MOUSEMOVE)};
  EXPECT_EQ(expected, wnd.log);
  wnd.log.clear();
  wnd.SetTimer(9, 10);
  ASSERT_TRUE(PumpUntil([&] { return !wnd.log.empty(); }));
  wnd.KillTimer(9);
  EXPECT_EQ("timer:9", wnd.log.front());
}

TEST_F(MessageMapTest, ControlNotificationsCommandsAndNotify) {
  HWND hButton = ::CreateWindowA("BUTTON", "b", WS_CHILD, 0, 0, 10, 10, wnd.m_hWnd, reinterpret_cast<HMENU>(1234),
                                 nullptr, nullptr);
  ASSERT_NE(nullptr, hButton);
  wnd.log.clear();
  wnd.SendMessage(WM_COMMAND, MAKEWPARAM(1234, BN_CLICKED), reinterpret_cast<LPARAM>(hButton));
  wnd.SendMessage(WM_COMMAND, MAKEWPARAM(1234, BN_SETFOCUS), reinterpret_cast<LPARAM>(hButton));  // no handler
  wnd.SendMessage(WM_COMMAND, 2003, 0);
  NMHDR nm{hButton, 1234, static_cast<UINT>(NM_CLICK)};
  EXPECT_EQ(55, wnd.SendMessage(WM_NOTIFY, 1234, reinterpret_cast<LPARAM>(&nm)));
  const std::vector<std::string> expected = {"clicked", "range:2003", "notify:1234"};
  EXPECT_EQ(expected, wnd.log);
}

TEST_F(MessageMapTest, ControlsHandleReflectedNotificationsFirst) {
  CReflectButton button;
  ASSERT_TRUE(button.Create("r", WS_CHILD, CRect(0, 0, 20, 20), &wnd, 1235));
  EXPECT_EQ(&button, CWnd::FromHandlePermanent(button.m_hWnd));
  wnd.log.clear();
  wnd.SendMessage(WM_COMMAND, MAKEWPARAM(1235, BN_CLICKED), reinterpret_cast<LPARAM>(button.m_hWnd));
  EXPECT_EQ(1, button.clicks);
  EXPECT_TRUE(wnd.log.empty());  // the parent's handler was not asked

  HDC hdc = ::GetDC(wnd.m_hWnd);
  LRESULT brush =
      wnd.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(button.m_hWnd));
  EXPECT_EQ(reinterpret_cast<LRESULT>(static_cast<HBRUSH>(button.brush)), brush);
  EXPECT_EQ(RGB(255, 0, 0), ::GetTextColor(hdc));
  // A null answer leaves the decision to the parent's default.
  LRESULT other =
      wnd.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(button.m_hWnd));
  EXPECT_NE(brush, other);
  ::ReleaseDC(wnd.m_hWnd, hdc);
  button.DestroyWindow();
  EXPECT_EQ(nullptr, button.m_hWnd);
}

TEST_F(MessageMapTest, ExceptionsStayInsideTheWindowProcedure) {
  const int before = AfxGetCaughtExceptionCount();
  EXPECT_EQ(0, wnd.SendMessage(WM_APP + 5));
  EXPECT_EQ(0, wnd.SendMessage(WM_APP + 6));
  EXPECT_EQ(before + 2, AfxGetCaughtExceptionCount());
  // The window goes on working.
  EXPECT_EQ(105, wnd.SendMessage(WM_APP + 1, 5));
}

TEST_F(MessageMapTest, SubclassAndUnsubclassExistingWindow) {
  HWND hEdit = ::CreateWindowA("EDIT", "text", WS_CHILD, 0, 0, 50, 20, wnd.m_hWnd, reinterpret_cast<HMENU>(77), nullptr,
                               nullptr);
  CEdit edit;
  ASSERT_TRUE(edit.SubclassDlgItem(77, &wnd));
  EXPECT_EQ(&edit, CWnd::FromHandle(hEdit));
  EXPECT_EQ(77, edit.GetDlgCtrlID());
  CString text;
  edit.GetWindowText(text);
  EXPECT_STREQ("text", text);  // the control's own procedure still works
  EXPECT_EQ(hEdit, edit.UnsubclassWindow());
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hEdit));
  // Unbound handles get a temporary wrapper.
  CWnd* temp = CWnd::FromHandle(hEdit);
  ASSERT_NE(nullptr, temp);
  EXPECT_EQ(hEdit, temp->m_hWnd);
}

TEST_F(MessageMapTest, StylesAndSpecialInsertAfterWindows) {
  wnd.SetWindowPos(&CWnd::wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_TRUE(wnd.GetExStyle() & WS_EX_TOPMOST);
  wnd.SetWindowPos(&CWnd::wndNoTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_FALSE(wnd.GetExStyle() & WS_EX_TOPMOST);
  EXPECT_TRUE(wnd.ModifyStyle(WS_CAPTION, 0, SWP_FRAMECHANGED));
  EXPECT_FALSE(wnd.GetStyle() & WS_CAPTION);
  EXPECT_FALSE(wnd.ModifyStyle(WS_CAPTION, 0));  // nothing left to change
  EXPECT_TRUE(wnd.ModifyStyleEx(0, WS_EX_TOOLWINDOW));
  EXPECT_TRUE(wnd.GetExStyle() & WS_EX_TOOLWINDOW);
}

// Counts the messages it sees and its own end.
class CCreationWnd : public CWnd {
 public:
  std::vector<UINT> seen;
  int ends = 0;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    seen.push_back(message);
    return CWnd::WindowProc(message, wParam, lParam);
  }
  void PostNcDestroy() override { ++ends; }
};

// A refused creation ends the object's life once, whether the class goes
// through the creation hook (any class not the framework's) or is the
// framework's own (bound by its procedure, with no hook), and leaves
// nothing behind: the next window is bound to its own object from its
// very first message.
TEST(WindowCreation, RefusedCreationsEndTheObjectAndLeaveNothingBound) {
  TestApp();
  const char* ownClass = AfxRegisterWndClass(0);
  ASSERT_NE(nullptr, ownClass);
  // The platform's answer first: a child style without a parent makes no
  // window, and sends nothing.
  HWND raw =
      ::CreateWindowExA(0, ownClass, "", WS_CHILD, 0, 0, 10, 10, nullptr, nullptr, AfxGetInstanceHandle(), nullptr);
  if (raw != nullptr) {
    ::DestroyWindow(raw);
    GTEST_SKIP() << "this system makes a child window without a parent";
  }
  struct Case {
    const char* name;
    const char* className;
    DWORD style;
  };
  const Case cases[] = {
      {"a class nobody registered", "QuorlNoSuchClass", WS_POPUP},
      {"the framework's class, refused before any message", ownClass, WS_CHILD},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CCreationWnd refused;
    EXPECT_FALSE(refused.CreateEx(0, c.className, "", c.style, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(1, refused.ends);
    EXPECT_EQ(nullptr, refused.m_hWnd);
    CCreationWnd next;
    ASSERT_TRUE(next.CreateEx(0, ownClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(&next, CWnd::FromHandlePermanent(next.m_hWnd));
    ASSERT_FALSE(next.seen.empty());
    EXPECT_NE(next.seen.end(), std::find(next.seen.begin(), next.seen.end(), static_cast<UINT>(WM_NCCREATE)));
    EXPECT_TRUE(refused.seen.empty());
    next.DestroyWindow();
    EXPECT_EQ(1, next.ends);
  }
}

// ---- frames, views, routing ------------------------------------------------

int g_liveFrames = 0;
int g_liveViews = 0;
int g_initialUpdates = 0;

class CRouteView : public CView {
  DECLARE_DYNCREATE(CRouteView)
 public:
  CRouteView() { ++g_liveViews; }
  ~CRouteView() override { --g_liveViews; }
  void OnInitialUpdate() override {
    ++g_initialUpdates;
    CView::OnInitialUpdate();
  }
  void OnViewCommand() { TestApp().commands.push_back("view"); }
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CRouteView, CView)
BEGIN_MESSAGE_MAP(CRouteView, CView)
ON_COMMAND(ID_TEST_VIEW_CMD, OnViewCommand)
END_MESSAGE_MAP()

class CRouteFrame : public CFrameWnd {
  DECLARE_DYNCREATE(CRouteFrame)
 public:
  CRouteFrame() { ++g_liveFrames; }
  ~CRouteFrame() override { --g_liveFrames; }
  void OnFrameCommand() { TestApp().commands.push_back("frame"); }
  void OnFrameRange(UINT id) { TestApp().commands.push_back("frame range " + std::to_string(id)); }
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CRouteFrame, CFrameWnd)
BEGIN_MESSAGE_MAP(CRouteFrame, CFrameWnd)
ON_COMMAND(ID_TEST_FRAME_CMD, OnFrameCommand)
ON_COMMAND_RANGE(ID_TEST_RANGE_FIRST, ID_TEST_RANGE_LAST, OnFrameRange)
END_MESSAGE_MAP()

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp().Reset();
    g_initialUpdates = 0;
    CCreateContext context;
    context.m_pNewViewClass = RUNTIME_CLASS(CRouteView);
    frame = static_cast<CRouteFrame*>(RUNTIME_CLASS(CRouteFrame)->CreateObject());
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(frame->LoadFrame(IDR_TEST_FRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context));
    view = static_cast<CRouteView*>(CWnd::FromHandlePermanent(::GetDlgItem(frame->m_hWnd, AFX_IDW_PANE_FIRST)));
  }
  void TearDown() override {
    if (g_liveFrames > 0) frame->DestroyWindow();
    TestApp().Reset();
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  CRouteFrame* frame = nullptr;
  CRouteView* view = nullptr;
};

TEST_F(FrameTest, LoadFrameTakesTitleMenuAndFirstView) {
  CString title;
  frame->GetWindowText(title);
  EXPECT_STREQ("Quorl Test Frame", title);  // up to the first '\n'
  EXPECT_NE(nullptr, frame->m_hMenuDefault);
  EXPECT_EQ(frame->m_hMenuDefault, ::GetMenu(frame->m_hWnd));
  ASSERT_NE(nullptr, view);
  EXPECT_TRUE(view->IsKindOf(RUNTIME_CLASS(CRouteView)));
  EXPECT_EQ(frame, view->GetParentFrame());
  EXPECT_EQ(static_cast<DWORD>(WS_CHILD | WS_VISIBLE), view->GetStyle() & (WS_CHILD | WS_VISIBLE | WS_BORDER));
  EXPECT_TRUE(view->GetExStyle() & WS_EX_CLIENTEDGE);
  EXPECT_FALSE(frame->GetExStyle() & WS_EX_CLIENTEDGE);
  EXPECT_EQ(nullptr, frame->GetActiveDocument());
  // The pane fills the client area, also after a resize.
  frame->SetWindowPos(nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
  CRect client, pane;
  frame->GetClientRect(&client);
  view->GetWindowRect(&pane);
  EXPECT_EQ(client.Size(), pane.Size());
  // With a context, the initial update is the caller's to send.
  EXPECT_EQ(0, g_initialUpdates);
  frame->InitialUpdateFrame(nullptr, FALSE);
  EXPECT_EQ(1, g_initialUpdates);
  EXPECT_EQ(view, frame->GetActiveView());
}

TEST_F(FrameTest, CommandsRouteViewFrameApplication) {
  frame->SetActiveView(view);
  struct Case {
    const char* name;
    bool toView;
    UINT id;
    const char* handler;
  };
  const Case cases[] = {
      {"frame: view's command", false, ID_TEST_VIEW_CMD, "view"},
      {"frame: own command", false, ID_TEST_FRAME_CMD, "frame"},
      {"frame: application's command", false, ID_TEST_APP_CMD, "app"},
      {"frame: range", false, ID_TEST_RANGE_FIRST + 4, "frame range 40014"},
      {"frame: nobody's", false, ID_TEST_NOBODY_CMD, ""},
      {"view: own command", true, ID_TEST_VIEW_CMD, "view"},
      {"view: frame's command", true, ID_TEST_FRAME_CMD, "frame"},
      {"view: application's command", true, ID_TEST_APP_CMD, "app"},
      {"view: nobody's", true, ID_TEST_NOBODY_CMD, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestApp().commands.clear();
    CWnd* target = c.toView ? static_cast<CWnd*>(view) : frame;
    target->SendMessage(WM_COMMAND, c.id, 0);
    EXPECT_EQ(c.handler, TestApp().commands.empty() ? std::string() : TestApp().commands.front());
    EXPECT_LE(TestApp().commands.size(), 1u);
  }
  // Without an active view the frame's own and the application's remain.
  frame->SetActiveView(nullptr);
  TestApp().commands.clear();
  frame->SendMessage(WM_COMMAND, ID_TEST_VIEW_CMD, 0);
  frame->SendMessage(WM_COMMAND, ID_TEST_APP_CMD, 0);
  EXPECT_EQ(std::vector<std::string>{"app"}, TestApp().commands);
}

TEST_F(FrameTest, FrameAndViewDeleteThemselves) {
  EXPECT_EQ(1, g_liveFrames);
  EXPECT_EQ(1, g_liveViews);
  frame->SetActiveView(view);
  frame->DestroyWindow();
  EXPECT_EQ(0, g_liveFrames);
  EXPECT_EQ(0, g_liveViews);
}

TEST_F(FrameTest, ReplacingTheViewDeletesTheOldOne) {
  frame->SetActiveView(view);
  CCreateContext context;
  context.m_pNewViewClass = RUNTIME_CLASS(CRouteView);
  context.m_pCurrentFrame = frame;
  context.m_pLastView = view;
  CWnd* created = frame->CreateView(&context, AFX_IDW_PANE_FIRST + 1);
  ASSERT_NE(nullptr, created);
  EXPECT_EQ(2, g_liveViews);
  frame->SetActiveView(static_cast<CView*>(created));
  view->DestroyWindow();
  EXPECT_EQ(1, g_liveViews);
  EXPECT_EQ(created, frame->GetActiveView());
  // A view destroyed while active leaves the frame with none.
  created->DestroyWindow();
  EXPECT_EQ(0, g_liveViews);
  EXPECT_EQ(nullptr, frame->GetActiveView());
}

TEST_F(FrameTest, ViewOfAClassThatIsNoWindowIsRefused) {
  CCreateContext context;
  context.m_pNewViewClass = RUNTIME_CLASS(CException);  // not creatable
  EXPECT_EQ(nullptr, frame->CreateView(&context, AFX_IDW_PANE_FIRST + 2));
}

// ---- form view ---------------------------------------------------------------

int g_formExchanges = 0;

class CTestFormView : public CFormView {
  DECLARE_DYNCREATE(CTestFormView)
 public:
  CTestFormView() : CFormView(IDD_TEST_FORM) {}
  void DoDataExchange(CDataExchange* pDX) override {
    ++g_formExchanges;
    DDX_Control(pDX, IDC_FORM_BUTTON, m_button);
  }
  void OnPress() { TestApp().commands.push_back("form button"); }
  CButton m_button;
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CTestFormView, CFormView)
BEGIN_MESSAGE_MAP(CTestFormView, CFormView)
ON_BN_CLICKED(IDC_FORM_BUTTON, OnPress)
END_MESSAGE_MAP()

TEST(FormView, IsTheDialogWindowAndFitsItsFrame) {
  TestApp().Reset();
  g_formExchanges = 0;
  CCreateContext context;
  context.m_pNewViewClass = RUNTIME_CLASS(CTestFormView);
  CFrameWnd* frame = new CFrameWnd;
  ASSERT_TRUE(frame->LoadFrame(IDR_TEST_FRAME, WS_OVERLAPPEDWINDOW, nullptr, &context));
  auto* form = static_cast<CTestFormView*>(CWnd::FromHandlePermanent(::GetDlgItem(frame->m_hWnd, AFX_IDW_PANE_FIRST)));
  ASSERT_NE(nullptr, form);
  ASSERT_TRUE(form->IsKindOf(RUNTIME_CLASS(CFormView)));
  char cls[16] = {};
  ::GetClassNameA(form->m_hWnd, cls, sizeof cls);
  EXPECT_STREQ("#32770", cls);
  EXPECT_NE(nullptr, ::GetDlgItem(form->m_hWnd, IDC_FORM_TEXT));
  CSize total = form->GetTotalSize();
  EXPECT_GT(total.cx, 0);
  EXPECT_GT(total.cy, 0);

  frame->InitialUpdateFrame(nullptr, TRUE);
  EXPECT_EQ(1, g_formExchanges);
  EXPECT_NE(nullptr, form->m_button.m_hWnd);

  form->ResizeParentToFit(FALSE);
  CRect client;
  form->GetClientRect(&client);
  EXPECT_EQ(total, client.Size());

  form->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_FORM_BUTTON, BN_CLICKED),
                    reinterpret_cast<LPARAM>(form->m_button.m_hWnd));
  EXPECT_EQ(std::vector<std::string>{"form button"}, TestApp().commands);
  frame->DestroyWindow();
  TestApp().Reset();
}

}  // namespace
