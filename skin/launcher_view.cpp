#include "skin/launcher_view.h"

#include <shellapi.h>

#include "res/resource.h"

IMPLEMENT_DYNCREATE(CQuorlLauncherView, CGameView)

BEGIN_MESSAGE_MAP(CQuorlLauncherView, CGameView)
ON_WM_CREATE()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
ON_WM_CANCELMODE()
ON_WM_CAPTURECHANGED()
ON_COMMAND(ID_LAUNCHER_START, OnStart)
ON_COMMAND(ID_LAUNCHER_SETUP_GUIDE, OnSetupGuide)
ON_COMMAND(ID_LAUNCHER_MANUAL, OnManual)
ON_COMMAND(ID_LAUNCHER_HOMEPAGE, OnHomePage)
ON_COMMAND(ID_LAUNCHER_ENV_SETTINGS, OnEnvSettings)
ON_COMMAND(ID_LAUNCHER_EXIT, OnExit)
END_MESSAGE_MAP()

CQuorlLauncherView::CQuorlLauncherView() : CGameView(new CLauncherScreen) { GetScreen().SetPainter(&m_painter); }

CQuorlLauncherView::~CQuorlLauncherView() = default;

void CQuorlLauncherView::SetHost(CLauncherViewHost* host) {
  m_pHost = host;
  GetScreen().SetHost(host);
  if (host != nullptr) m_painter.SetCodePage(host->GetCodePage());
}

BOOL CQuorlLauncherView::PreCreateWindow(CREATESTRUCT& cs) {
  if (!CGameView::PreCreateWindow(cs)) return FALSE;
  cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
  return TRUE;
}

int CQuorlLauncherView::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  return CGameView::OnCreate(lpCreateStruct) == -1 ? -1 : 0;
}

void CQuorlLauncherView::OnInitialUpdate() {
  CGameView::OnInitialUpdate();
  GetScreen().BuildScreen();
  StartAnimationTimer(CLauncherScreen::kHoverPeriod);
}

BOOL CQuorlLauncherView::OnAnimate() {
  POINT p = {0, 0};
  ::GetCursorPos(&p);
  ::ScreenToClient(m_hWnd, &p);
  return GetScreen().OnHoverTick(p.x, p.y, HaveCapture(), ::GetTickCount());
}

void CQuorlLauncherView::Carry(const CLauncherScreen::Reply& reply) {
  if (reply.capture) SetCapture();
  if (reply.command != 0) {
    if (CWnd* main = AfxGetMainWnd()) main->PostMessage(WM_COMMAND, reply.command, 0);
  }
  if (reply.release) ::ReleaseCapture();
}

void CQuorlLauncherView::OnLButtonDown(UINT, CPoint point) { Carry(GetScreen().ButtonDown(point.x, point.y)); }

void CQuorlLauncherView::OnMouseMove(UINT, CPoint point) {
  const CLauncherScreen::Reply reply = GetScreen().MouseMove(point.x, point.y, HaveCapture());
  Carry(reply);
  CWnd* main = AfxGetMainWnd();
  if (!reply.moveWindow || main == nullptr) return;
  POINT screen = point;
  ClientToScreen(&screen);
  RECT client, frame;
  CWnd::GetClientRect(&client);
  ClientToScreen(&client);
  main->GetWindowRect(&frame);
  int x = 0, y = 0;
  GetScreen().DragPosition(screen.x, screen.y, client.left, client.top, frame.left, frame.top, &x, &y);
  main->SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void CQuorlLauncherView::OnLButtonUp(UINT, CPoint point) {
  Carry(GetScreen().ButtonUp(point.x, point.y, HaveCapture()));
}

void CQuorlLauncherView::OnCancelMode() {
  CGameView::OnCancelMode();
  GetScreen().CancelMode();
}

void CQuorlLauncherView::OnCaptureChanged(CWnd* pWnd) {
  CGameView::OnCaptureChanged(pWnd);
  if (pWnd != this) GetScreen().CaptureLost();
}

// Start and Exit sent by others (a click carries the frame's command
// itself): the same one shot as the buttons.
void CQuorlLauncherView::OnStart() {
  CLauncherScreen::Reply reply;
  reply.command = GetScreen().TakeCommand(ID_LAUNCHER_START);
  Carry(reply);
}

void CQuorlLauncherView::OnExit() {
  CLauncherScreen::Reply reply;
  reply.command = GetScreen().TakeCommand(ID_LAUNCHER_EXIT);
  Carry(reply);
}

void CQuorlLauncherView::OnEnvSettings() {
  if (m_pHost) m_pHost->RunEnvSettings();
}

void CQuorlLauncherView::OnSetupGuide() {
  if (m_pHost) OpenURL(m_pHost->GetSetupGuideURL());
}

void CQuorlLauncherView::OnManual() {
  if (m_pHost) OpenURL(m_pHost->GetManualURL());
}

void CQuorlLauncherView::OnHomePage() {
  if (m_pHost) OpenURL(m_pHost->GetHomePageURL());
}

BOOL CQuorlLauncherView::OpenURL(const char* url) {
  if (url == nullptr || *url == 0) return FALSE;
  char program[MAX_PATH] = {};
  if (reinterpret_cast<INT_PTR>(::FindExecutableA(url, nullptr, program)) == SE_ERR_NOASSOC) return FALSE;
  const HINSTANCE result = ::ShellExecuteA(nullptr, "open", url, nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32 ? TRUE : FALSE;
}
