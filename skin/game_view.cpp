#include "skin/game_view.h"

#include "framework/scoped_win.h"

IMPLEMENT_DYNCREATE(CGameView, CView)

BEGIN_MESSAGE_MAP(CGameView, CView)
ON_WM_DESTROY()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CGameView::CGameView() : CGameView(new CGameScene) {}

CGameView::CGameView(CGameScene* scene) : m_pGameScene(scene) { m_pGameScene->SetWindow(this); }

CGameView::~CGameView() {
  delete m_pGameScene;
  if (m_hBackBufferBitmap != nullptr) ::DeleteObject(m_hBackBufferBitmap);
}

BOOL CGameView::PreCreateWindow(CREATESTRUCT& cs) {
  if ((cs.style & WS_CHILD) == 0) cs.hMenu = nullptr;
  cs.lpszClass = AfxRegisterWndClass(0, ::LoadCursorA(nullptr, IDC_ARROW),
                                     static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)), nullptr);
  return CView::PreCreateWindow(cs);
}

void CGameView::OnInitialUpdate() {
  CView::OnInitialUpdate();
  m_pGameScene->InitVisualObjects();
}

void CGameView::GetClientRect(SkinRect* out) {
  RECT rc = {0, 0, 0, 0};
  if (m_hWnd != nullptr) ::GetClientRect(m_hWnd, &rc);
  *out = {rc.left, rc.top, rc.right, rc.bottom};
}

BOOL CGameView::CreateBackBuffer(CGameScene* scene) {
  scene->DropBackBuffer();
  if (m_hBackBufferBitmap != nullptr) {
    ::DeleteObject(m_hBackBufferBitmap);
    m_hBackBufferBitmap = nullptr;
  }
  CDIB* picture = scene->GetScene();
  if (picture == nullptr) return FALSE;
  const int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = sw < picture->GetWidth() ? sw : picture->GetWidth();
  info.bmiHeader.biHeight = sh < picture->GetHeight() ? sh : picture->GetHeight();  // bottom-up rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 16;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC dc = ::GetDC(m_hWnd);
  m_hBackBufferBitmap = CreateSection(dc, &info, &bits);
  ::ReleaseDC(m_hWnd, dc);
  // A section that cannot be made leaves no back buffer (a black window),
  // never private pixels that would not reach the screen.
  if (m_hBackBufferBitmap == nullptr || bits == nullptr) {
    if (m_hBackBufferBitmap != nullptr) ::DeleteObject(m_hBackBufferBitmap);
    m_hBackBufferBitmap = nullptr;
    return FALSE;
  }
  return scene->AttachBackBuffer(info.bmiHeader.biWidth, info.bmiHeader.biHeight, bits);
}

HBITMAP CGameView::CreateSection(HDC dc, const BITMAPINFO* info, void** bits) {
  return ::CreateDIBSection(dc, info, DIB_RGB_COLORS, bits, nullptr, 0);
}

void CGameView::CopyToWindow(HDC target, HDC memory, const RECT& r) {
  ::BitBlt(target, r.left, r.top, r.right - r.left, r.bottom - r.top, memory, r.left, r.top, SRCCOPY);
}

void CGameView::Blit(const SkinRect* area) { BlitTo(nullptr, area); }

void CGameView::BlitTo(CDC* dc, const SkinRect* area) {
  CDIB* back = m_pGameScene->GetBackBuffer();
  if (back == nullptr || m_hBackBufferBitmap == nullptr || m_hWnd == nullptr) return;
  HDC target = dc != nullptr ? dc->m_hDC : ::GetDC(m_hWnd);
  if (target == nullptr) return;
  RECT a;
  if (area != nullptr)
    a = {area->left, area->top, area->right, area->bottom};
  else
    ::GetClientRect(m_hWnd, &a);
  RECT clip, r;
  ::GetClipBox(target, &clip);
  const RECT b = {0, 0, back->GetWidth(), back->GetHeight()};
  if (::IntersectRect(&r, &a, &clip) && ::IntersectRect(&r, &r, &b)) {
    const CScopedCreatedDC memory(::CreateCompatibleDC(target));
    if (memory) {
      HGDIOBJ old = ::SelectObject(memory.Get(), m_hBackBufferBitmap);
      CopyToWindow(target, memory.Get(), r);
      ::SelectObject(memory.Get(), old);
    }
  }
  if (dc == nullptr) ::ReleaseDC(m_hWnd, target);
}

void CGameView::OnDraw(CDC* pDC) { BlitTo(pDC, nullptr); }

BOOL CGameView::OnEraseBkgnd(CDC* pDC) {
  // Only where no back buffer covers the window: the class brush.
  if (m_pGameScene->GetBackBuffer() != nullptr) return TRUE;
  return CView::OnEraseBkgnd(pDC);
}

void CGameView::StartAnimationTimer(UINT period) {
  if (::SetTimer(m_hWnd, kAnimationTimerId, period, &AnimationTimerProc) != 0) m_nAnimationPeriod = period;
}

CGameView* CGameView::FromTimerWindow(HWND hwnd) {
  CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
  return wnd != nullptr && wnd->IsKindOf(RUNTIME_CLASS(CGameView)) ? static_cast<CGameView*>(wnd) : nullptr;
}

void CALLBACK CGameView::AnimationTimerProc(HWND hwnd, UINT, UINT_PTR, DWORD) {
  if (CGameView* view = FromTimerWindow(hwnd)) view->OnAnimate();
}

void CGameView::OnDestroy() {
  ::KillTimer(m_hWnd, kAnimationTimerId);
  CView::OnDestroy();
}
