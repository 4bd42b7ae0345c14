#include "skin/launcher_view.h"

#include "res/resource.h"

IMPLEMENT_DYNCREATE(CQuorlLauncherView, CView)

BEGIN_MESSAGE_MAP(CQuorlLauncherView, CView)
ON_WM_ERASEBKGND()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
ON_WM_CANCELMODE()
ON_WM_CAPTURECHANGED()
ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeave)
ON_COMMAND(ID_LAUNCHER_START, OnStart)
ON_COMMAND(ID_LAUNCHER_ENV_SETTINGS, OnEnvSettings)
ON_COMMAND(ID_LAUNCHER_EXIT, OnExit)
END_MESSAGE_MAP()

CQuorlLauncherView::CQuorlLauncherView() = default;
CQuorlLauncherView::~CQuorlLauncherView() = default;

BOOL CQuorlLauncherView::PreCreateWindow(CREATESTRUCT& cs) {
  if (!CView::PreCreateWindow(cs)) return FALSE;
  cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
  return TRUE;
}

void CQuorlLauncherView::OnInitialUpdate() {
  CView::OnInitialUpdate();
  m_screen.Build(m_pSkin);
  Invalidate(FALSE);
}

void CQuorlLauncherView::OnDraw(CDC* pDC) {
  const std::vector<uint32_t>& pixels = m_screen.GetPixels();
  if (pixels.empty()) return;
  const int w = m_screen.GetWidth(), h = m_screen.GetHeight();
  BITMAPINFO bmi = {};
  bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
  bmi.bmiHeader.biWidth = w;
  bmi.bmiHeader.biHeight = -h;  // top-down rows
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  ::SetDIBitsToDevice(pDC->GetSafeHdc(), 0, 0, w, h, 0, 0, 0, h, pixels.data(), &bmi, DIB_RGB_COLORS);
}

BOOL CQuorlLauncherView::OnEraseBkgnd(CDC*) { return TRUE; }

void CQuorlLauncherView::Carry(const CLauncherScreen::Reply& reply) {
  if (reply.redraw) Invalidate(FALSE);
  if (reply.capture) SetCapture();
  if (reply.trackLeave) {
    TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, m_hWnd, 0};
    ::TrackMouseEvent(&track);
  }
  if (reply.release) ::ReleaseCapture();
  if (reply.command != 0) {
    if (CWnd* main = AfxGetMainWnd()) main->PostMessage(WM_COMMAND, reply.command, 0);
  }
}

void CQuorlLauncherView::OnLButtonDown(UINT, CPoint point) { Carry(m_screen.ButtonDown(point.x, point.y)); }

void CQuorlLauncherView::OnMouseMove(UINT, CPoint point) {
  const CLauncherScreen::Reply reply = m_screen.MouseMove(point.x, point.y, CWnd::GetCapture() == this);
  Carry(reply);
  CWnd* main = AfxGetMainWnd();
  if (!reply.moveWindow || main == nullptr) return;
  POINT screen = point;
  ClientToScreen(&screen);
  RECT client, frame;
  GetClientRect(&client);
  ClientToScreen(&client);
  main->GetWindowRect(&frame);
  int x = 0, y = 0;
  m_screen.DragPosition(screen.x, screen.y, client.left, client.top, frame.left, frame.top, &x, &y);
  main->SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

LRESULT CQuorlLauncherView::OnMouseLeave(WPARAM, LPARAM) {
  Carry(m_screen.MouseLeave());
  return 0;
}

void CQuorlLauncherView::OnLButtonUp(UINT, CPoint point) { Carry(m_screen.ButtonUp(point.x, point.y)); }

void CQuorlLauncherView::OnCancelMode() {
  CView::OnCancelMode();
  Carry(m_screen.CancelMode());
}

void CQuorlLauncherView::OnCaptureChanged(CWnd* pWnd) {
  CView::OnCaptureChanged(pWnd);
  if (pWnd != this) m_screen.CaptureLost();
}

void CQuorlLauncherView::OnStart() {
  if (!m_screen.FireOnce()) return;
  if (CWnd* main = AfxGetMainWnd()) main->PostMessage(WM_COMMAND, ID_SHOW_UPDATE_VIEW, 0);
}

void CQuorlLauncherView::OnEnvSettings() {
  if (m_pHost) m_pHost->RunEnvSettings();
}

void CQuorlLauncherView::OnExit() {
  if (!m_screen.FireOnce()) return;
  if (CWnd* main = AfxGetMainWnd()) main->PostMessage(WM_COMMAND, ID_APP_EXIT, 0);
}
