#include "tests/update/update_screen_test_frame.h"

#include "res/resource.h"
#include "update/update_view.h"

namespace {

// The test program's application object: the framework's own, titled
// "Quorl" by the resources (its profile under a test's registry key is
// then "Quorl", as the launcher's).
CWinApp theApp;

}  // namespace

namespace update_test {

BEGIN_MESSAGE_MAP(CUpdateScreenTestFrame, CFrameWnd)
ON_COMMAND(ID_SHOW_LAUNCHER_VIEW, OnShowLauncherView)
END_MESSAGE_MAP()

BOOL CUpdateScreenTestFrame::Open(CUpdateScreenHost* host) {
  if (!Create(nullptr, "update screen test", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CRect(40, 30, 640, 530))) {
    return FALSE;
  }
  auto* screen = new CQuorlLauncherUpdateView;
  CCreateContext context;
  context.m_pNewViewClass = RUNTIME_CLASS(CQuorlLauncherUpdateView);
  context.m_pCurrentFrame = this;
  RECT empty = {0, 0, 0, 0};
  if (!screen->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, empty, this, AFX_IDW_PANE_FIRST, &context)) {
    return FALSE;  // the view deleted itself with its failed window
  }
  // What the main frame does with a new update screen: the host first, then
  // its first update, then the layout of its dialog template.
  screen->SetHost(host);
  screen->OnInitialUpdate();
  SetActiveView(screen, TRUE);
  RecalcLayout();
  screen->ResizeParentToFit(FALSE);
  RECT client;
  screen->GetClientRect(&client);
  screen->SetScrollSizes(MM_TEXT, CSize(client.right, client.bottom));
  ShowWindow(SW_SHOW);
  UpdateWindow();
  return TRUE;
}

CQuorlLauncherUpdateView* CUpdateScreenTestFrame::GetScreen() const {
  return dynamic_cast<CQuorlLauncherUpdateView*>(GetActiveView());
}

void CUpdateScreenTestFrame::OnShowLauncherView() {
  CView* screen = GetActiveView();
  if (screen == nullptr) return;
  SetActiveView(nullptr, FALSE);
  screen->DestroyWindow();  // the view deletes itself
}

}  // namespace update_test
