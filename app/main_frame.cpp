#include "app/main_frame.h"

#include "app/launcher_app.h"
#include "app/window_geometry.h"
#include "res/resource.h"
#include "skin/launcher_view.h"
#include "app/launcher_view_host_app.h"
#include "update/update_view.h"

namespace {
// Pane ids: the visible pane, a view on its way out, a view being made.
constexpr UINT kPaneId = AFX_IDW_PANE_FIRST;
constexpr UINT kOldPaneId = AFX_IDW_PANE_FIRST + 100;
constexpr UINT kNewPaneId = AFX_IDW_PANE_FIRST + 1;
}  // namespace

IMPLEMENT_DYNCREATE(CMainFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
ON_WM_SYSCOMMAND()
ON_WM_ERASEBKGND()
ON_WM_QUERYENDSESSION()
ON_COMMAND(ID_SHOW_LAUNCHER_VIEW, OnShowLauncherView)
ON_COMMAND(ID_SHOW_UPDATE_VIEW, OnShowUpdateView)
END_MESSAGE_MAP()

CMainFrame::CMainFrame() = default;
CMainFrame::~CMainFrame() = default;

BOOL CMainFrame::PreCreateWindow(CREATESTRUCT& cs) {
  if (!CFrameWnd::PreCreateWindow(cs)) return FALSE;
  cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
  cs.style = WS_SYSMENU;
  cs.lpszClass = kMainFrameClassName;
  return TRUE;
}

void CMainFrame::HandOver(CView* view) {
  // A screen knows nothing of the application: what it shows and whom it
  // calls come from here, before its first update.
  if (auto* launcher = dynamic_cast<CQuorlLauncherView*>(view)) {
    if (CQuorlLauncherApp* app = GetLauncherApp()) launcher->SetSkin(&app->GetGraphicData());
    launcher->SetHost(&GetLauncherViewAppHost());
  }
  if (auto* update = dynamic_cast<CQuorlLauncherUpdateView*>(view)) {
    update->SetHost(&m_updateScreenHost);
  }
}

void CMainFrame::SizeToSkin(CView* pane) {
  int32_t w = 0, h = 0;
  if (CQuorlLauncherApp* app = GetLauncherApp()) app->GetGraphicData().GetImageSize(0, &w, &h);
  RECT rc = {0, 0, w, h};
  if (pane) ::AdjustWindowRectEx(&rc, pane->GetStyle(), FALSE, pane->GetExStyle());
  ::AdjustWindowRectEx(&rc, GetStyle(), FALSE, GetExStyle());
  SetWindowPos(nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CMainFrame::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext) {
  if (!CFrameWnd::LoadFrame(nIDResource, dwDefaultStyle & ~FWS_ADDTOTITLE, pParentWnd, pContext)) return FALSE;

  // No menu bar: the resource menu exists only for the framework.
  ::SetMenu(m_hWnd, nullptr);
  if (m_hMenuDefault) {
    ::DestroyMenu(m_hMenuDefault);
    m_hMenuDefault = nullptr;
  }

  // A fixed-size window: no sizing, minimising or maximising, and no
  // separators left dangling in the system menu.
  if (HMENU sys = ::GetSystemMenu(m_hWnd, FALSE)) {
    ::RemoveMenu(sys, SC_SIZE, MF_BYCOMMAND);
    ::RemoveMenu(sys, SC_MINIMIZE, MF_BYCOMMAND);
    ::RemoveMenu(sys, SC_MAXIMIZE, MF_BYCOMMAND);
    ::RemoveMenu(sys, SC_RESTORE, MF_BYCOMMAND);
    for (int i = ::GetMenuItemCount(sys) - 1; i >= 0; --i) {
      if (::GetMenuItemID(sys, i) == 0) ::RemoveMenu(sys, i, MF_BYPOSITION);
    }
  }

  ModifyStyle(WS_CAPTION, 0);

  CView* pane = static_cast<CView*>(GetDlgItem(kPaneId));
  if (pane && pane->IsKindOf(RUNTIME_CLASS(CView)))
    SetActiveView(pane, FALSE);
  else
    pane = nullptr;
  if (pane) HandOver(pane);
  SizeToSkin(pane);

  CenterWindow();
  SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE, TRUE);
  return TRUE;
}

BOOL CMainFrame::SwitchView(CRuntimeClass* pViewClass, BOOL bRecalcLayout) {
  CView* oldView = GetActiveView();
  if (oldView && oldView->GetRuntimeClass() == pViewClass) return TRUE;

  CObject* object = pViewClass->CreateObject();
  CView* newView = object ? dynamic_cast<CView*>(object) : nullptr;
  if (!newView) {
    delete object;
    return FALSE;
  }
  CCreateContext context;
  context.m_pNewViewClass = pViewClass;
  context.m_pCurrentDoc = GetActiveDocument();
  context.m_pCurrentFrame = this;
  context.m_pLastView = oldView;
  RECT empty = {0, 0, 0, 0};
  if (!newView->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, empty, this, kNewPaneId, &context)) {
    return FALSE;  // the view deleted itself with its failed window
  }
  HandOver(newView);
  newView->OnInitialUpdate();
  if (oldView) oldView->SetDlgCtrlID(kOldPaneId);
  newView->SetDlgCtrlID(kPaneId);
  newView->ShowWindow(SW_SHOW);
  SetActiveView(newView, TRUE);
  if (oldView) {
    oldView->ShowWindow(SW_HIDE);
    oldView->DestroyWindow();
  }
  if (bRecalcLayout) RecalcLayout();
  return TRUE;
}

void CMainFrame::CenterWindowOnRect(const RECT& target, const RECT* window) {
  RECT wr;
  if (window)
    wr = *window;
  else
    GetWindowRect(&wr);
  const int width = wr.right - wr.left;
  const int height = wr.bottom - wr.top;
  if (::IsRectEmpty(&target)) {
    SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  RECT work;
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const GeoPoint at = CenterOnRectInWorkArea({target.left, target.top, target.right, target.bottom}, width, height,
                                             {work.left, work.top, work.right, work.bottom});
  const int x = at.x, y = at.y;
  SetWindowPos(nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMainFrame::EnableCloseCommand(BOOL bEnable) {
  if (HMENU sys = ::GetSystemMenu(m_hWnd, FALSE))
    ::EnableMenuItem(sys, SC_CLOSE, MF_BYCOMMAND | (bEnable ? MF_ENABLED : MF_GRAYED));
}

void CMainFrame::OnShowLauncherView() {
  RECT before;
  GetWindowRect(&before);
  if (!SwitchView(RUNTIME_CLASS(CQuorlLauncherView), TRUE)) return;
  ModifyStyle(WS_CAPTION, 0, SWP_FRAMECHANGED);
  SizeToSkin(GetActiveView());
  RECT after;
  GetWindowRect(&after);
  CenterWindowOnRect(before, &after);
  EnableCloseCommand(TRUE);
}

void CMainFrame::OnShowUpdateView() {
  // The sequence's waits dispatch every message: a second switch command
  // arriving while the update screen runs one would start a second sequence
  // inside the first.
  if (CView* active = GetActiveView()) {
    if (m_updateScreenHost.GetRunState().IsRunningOn(active->GetSafeHwnd())) return;
  }
  RECT before;
  GetWindowRect(&before);
  if (!SwitchView(RUNTIME_CLASS(CQuorlLauncherUpdateView), FALSE)) return;
  ModifyStyle(0, WS_CAPTION, SWP_FRAMECHANGED);
  RecalcLayout();
  if (auto* view = dynamic_cast<CQuorlLauncherUpdateView*>(GetActiveView())) {
    view->ResizeParentToFit(FALSE);
    RECT client;
    view->GetClientRect(&client);
    view->SetScrollSizes(MM_TEXT, CSize(client.right, client.bottom));
  }
  CenterWindowOnRect(before, nullptr);
  EnableCloseCommand(FALSE);
  if (!m_bUpdateScreenShown) {
    m_bUpdateScreenShown = TRUE;
    ShowWindow(SW_SHOW);
    UpdateWindow();
  }
  if (CView* view = GetActiveView()) view->PostMessage(kStartUpdateMessage, 0, 0);
}

void CMainFrame::OnSysCommand(UINT nID, LPARAM lParam) {
  if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
    // Nothing adds this item to the frame's own menu, but any program may
    // send the command, also while there is no main window.
    if (CWnd* main = AfxGetMainWnd()) main->PostMessage(WM_COMMAND, ID_APP_ABOUT, 0);
    return;
  }
  if ((nID & 0xFFF0) == SC_CLOSE) {
    HMENU sys = ::GetSystemMenu(m_hWnd, FALSE);
    if (sys && (::GetMenuState(sys, SC_CLOSE, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED))) return;
  }
  CFrameWnd::OnSysCommand(nID, lParam);
}

BOOL CMainFrame::OnEraseBkgnd(CDC*) { return TRUE; }

BOOL CMainFrame::OnQueryEndSession() {
  if (!CFrameWnd::OnQueryEndSession()) return FALSE;
  CView* view = GetActiveView();
  if (!view) return TRUE;
  // A log-off in the middle of patching would leave a half-updated game.
  return view->IsKindOf(RUNTIME_CLASS(CQuorlLauncherUpdateView)) ? FALSE : TRUE;
}
