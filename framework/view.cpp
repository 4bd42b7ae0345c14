// Views: CView, CScrollView and CFormView.
#include <windows.h>

#include <algorithm>

#include "framework/afxframe.h"

IMPLEMENT_DYNAMIC(CView, CWnd)
IMPLEMENT_DYNAMIC(CScrollView, CView)
IMPLEMENT_DYNAMIC(CFormView, CScrollView)

const SIZE CScrollView::sizeDefault = {0, 0};

// ---- CView -----------------------------------------------------------------

BEGIN_MESSAGE_MAP(CView, CWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_WM_PAINT()
ON_WM_MOUSEACTIVATE()
ON_MESSAGE(WM_INITIALUPDATE, OnInitialUpdateMessage)
END_MESSAGE_MAP()

CView::~CView() = default;

BOOL CView::PreCreateWindow(CREATESTRUCTA& cs) {
  if (cs.lpszClass == nullptr) {
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, ::LoadCursor(nullptr, IDC_ARROW),
                                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  }
  // A border asked for becomes the sunken client edge.
  if (cs.style & WS_BORDER) {
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
    cs.style &= ~static_cast<DWORD>(WS_BORDER);
  }
  return TRUE;
}

int CView::OnCreate(LPCREATESTRUCTA lpcs) { return CWnd::OnCreate(lpcs) == -1 ? -1 : 0; }

void CView::OnDestroy() {
  CFrameWnd* pFrame = GetParentFrame();
  if (pFrame != nullptr && pFrame->GetActiveView() == this) pFrame->SetActiveView(nullptr, FALSE);
  CWnd::OnDestroy();
}

void CView::OnPaint() {
  CPaintDC dc(this);
  OnPrepareDC(&dc);
  OnDraw(&dc);
}

int CView::OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message) {
  int result = CWnd::OnMouseActivate(pDesktopWnd, nHitTest, message);
  if (result == MA_NOACTIVATE || result == MA_NOACTIVATEANDEAT) return result;
  CFrameWnd* pFrame = GetParentFrame();
  if (pFrame != nullptr && pFrame->GetActiveView() != this) pFrame->SetActiveView(this);
  return result;
}

LRESULT CView::OnInitialUpdateMessage(WPARAM, LPARAM) {
  OnInitialUpdate();
  return 0;
}

void CView::OnInitialUpdate() { Invalidate(TRUE); }

void CView::OnActivateView(BOOL bActivate, CView* pActivateView, CView*) {
  if (bActivate && pActivateView == this) {
    CWnd* pTop = GetTopLevelParent();
    if (pTop != nullptr && ::GetActiveWindow() == pTop->m_hWnd) SetFocus();
  }
}

BOOL CView::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (CWnd::OnCommand(wParam, lParam)) return TRUE;
  // A command the view does not handle goes on as it would from the
  // frame: to the frame's own handlers, then the application's.
  const int nCode = lParam == 0 ? CN_COMMAND : HIWORD(wParam);
  if (nCode != CN_COMMAND) return FALSE;
  const UINT nID = LOWORD(wParam);
  CFrameWnd* pFrame = GetParentFrame();
  if (pFrame != nullptr && pFrame->CWnd::OnCmdMsg(nID, nCode, nullptr, nullptr)) return TRUE;
  CWinApp* pApp = AfxGetApp();
  return pApp != nullptr && pApp->OnCmdMsg(nID, nCode, nullptr, nullptr);
}

void CView::PostNcDestroy() { delete this; }

// ---- CScrollView -----------------------------------------------------------

BEGIN_MESSAGE_MAP(CScrollView, CView)
ON_WM_SIZE()
ON_WM_HSCROLL()
ON_WM_VSCROLL()
END_MESSAGE_MAP()

void CScrollView::SetScrollSizes(int nMapMode, SIZE sizeTotal, const SIZE& sizePage, const SIZE& sizeLine) {
  m_nMapMode = nMapMode;  // MM_TEXT: logical units are pixels
  m_totalDev = CSize(std::max<LONG>(sizeTotal.cx, 0), std::max<LONG>(sizeTotal.cy, 0));
  m_pageDev = sizePage;
  if (m_pageDev.cx == 0) m_pageDev.cx = m_totalDev.cx / 10;
  if (m_pageDev.cy == 0) m_pageDev.cy = m_totalDev.cy / 10;
  m_lineDev = sizeLine;
  if (m_lineDev.cx == 0) m_lineDev.cx = std::max<LONG>(m_pageDev.cx / 10, 1);
  if (m_lineDev.cy == 0) m_lineDev.cy = std::max<LONG>(m_pageDev.cy / 10, 1);
  if (m_hWnd != nullptr) UpdateBars();
}

CPoint CScrollView::GetScrollPosition() const { return CPoint(GetScrollPos(SB_HORZ), GetScrollPos(SB_VERT)); }

void CScrollView::ScrollToPosition(POINT pt) {
  CPoint old = GetScrollPosition();
  SetScrollPos(SB_HORZ, pt.x);
  SetScrollPos(SB_VERT, pt.y);
  CPoint now = GetScrollPosition();
  if (now != old) ::ScrollWindow(m_hWnd, old.x - now.x, old.y - now.y, nullptr, nullptr);
}

void CScrollView::UpdateBars() {
  if (m_bInsideUpdate || m_hWnd == nullptr) return;
  m_bInsideUpdate = TRUE;
  // The area available without any bar.
  CRect rc;
  GetClientRect(&rc);
  const DWORD style = GetStyle();
  const int cxBar = ::GetSystemMetrics(SM_CXVSCROLL);
  const int cyBar = ::GetSystemMetrics(SM_CYHSCROLL);
  int cx = rc.Width() + ((style & WS_VSCROLL) ? cxBar : 0);
  int cy = rc.Height() + ((style & WS_HSCROLL) ? cyBar : 0);
  bool needH = m_totalDev.cx > cx;
  bool needV = m_totalDev.cy > cy;
  if (needH && !needV) needV = m_totalDev.cy > cy - cyBar;
  if (needV && !needH) needH = m_totalDev.cx > cx - cxBar;
  if (needV) cx -= cxBar;
  if (needH) cy -= cyBar;
  CPoint old = GetScrollPosition();
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_PAGE | SIF_RANGE;
  si.nMin = 0;
  si.nMax = needH ? m_totalDev.cx - 1 : 0;
  si.nPage = needH ? static_cast<UINT>(cx) : 0;
  ::SetScrollInfo(m_hWnd, SB_HORZ, &si, TRUE);
  si.nMax = needV ? m_totalDev.cy - 1 : 0;
  si.nPage = needV ? static_cast<UINT>(cy) : 0;
  ::SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
  ::ShowScrollBar(m_hWnd, SB_HORZ, needH);
  ::ShowScrollBar(m_hWnd, SB_VERT, needV);
  CPoint now = GetScrollPosition();
  if (now != old) ::ScrollWindow(m_hWnd, old.x - now.x, old.y - now.y, nullptr, nullptr);
  m_bInsideUpdate = FALSE;
}

void CScrollView::ResizeParentToFit(BOOL bShrinkOnly) {
  CFrameWnd* pFrame = GetParentFrame();
  if (pFrame == nullptr) return;
  // What the view offers without scroll bars, against what it should be.
  CRect rc;
  GetClientRect(&rc);
  const DWORD style = GetStyle();
  int haveX = rc.Width() + ((style & WS_VSCROLL) ? ::GetSystemMetrics(SM_CXVSCROLL) : 0);
  int haveY = rc.Height() + ((style & WS_HSCROLL) ? ::GetSystemMetrics(SM_CYHSCROLL) : 0);
  int wantX = m_totalDev.cx;
  int wantY = m_totalDev.cy;
  if (bShrinkOnly) {
    wantX = std::min(wantX, haveX);
    wantY = std::min(wantY, haveY);
  }
  CRect rf;
  pFrame->GetWindowRect(&rf);
  pFrame->SetWindowPos(nullptr, 0, 0, rf.Width() + (wantX - haveX), rf.Height() + (wantY - haveY),
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CScrollView::OnPrepareDC(CDC* pDC) {
  CPoint pos = GetScrollPosition();
  pDC->SetViewportOrg(-pos.x, -pos.y);
}

void CScrollView::OnSize(UINT nType, int cx, int cy) {
  CView::OnSize(nType, cx, cy);
  UpdateBars();
}

void CScrollView::ScrollBy(int nBar, UINT nSBCode) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  if (!::GetScrollInfo(m_hWnd, nBar, &si)) return;
  const int line = nBar == SB_HORZ ? m_lineDev.cx : m_lineDev.cy;
  const int page = static_cast<int>(si.nPage);
  int pos = si.nPos;
  switch (nSBCode) {
    case SB_LINEUP:
      pos -= line;
      break;
    case SB_LINEDOWN:
      pos += line;
      break;
    case SB_PAGEUP:
      pos -= page;
      break;
    case SB_PAGEDOWN:
      pos += page;
      break;
    case SB_TOP:
      pos = si.nMin;
      break;
    case SB_BOTTOM:
      pos = si.nMax;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      pos = si.nTrackPos;
      break;
    default:
      return;
  }
  const int maxPos = std::max(si.nMax - std::max(page - 1, 0), si.nMin);
  pos = std::max(si.nMin, std::min(pos, maxPos));
  CPoint now = GetScrollPosition();
  if (nBar == SB_HORZ)
    now.x = pos;
  else
    now.y = pos;
  ScrollToPosition(now);
}

void CScrollView::OnHScroll(UINT nSBCode, UINT, CScrollBar* pScrollBar) {
  if (pScrollBar != nullptr) return;  // a control's, not ours
  ScrollBy(SB_HORZ, nSBCode);
}

void CScrollView::OnVScroll(UINT nSBCode, UINT, CScrollBar* pScrollBar) {
  if (pScrollBar != nullptr) return;
  ScrollBy(SB_VERT, nSBCode);
}

// ---- CFormView -------------------------------------------------------------

BOOL CFormView::Create(LPCSTR, LPCSTR, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
                       CCreateContext* pContext) {
  HINSTANCE hInst = AfxGetResourceHandle();
  HRSRC hRes = ::FindResourceA(hInst, MAKEINTRESOURCEA(m_nIDTemplate), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
  HGLOBAL hGlobal = hRes != nullptr ? ::LoadResource(hInst, hRes) : nullptr;
  LPCDLGTEMPLATEA lpTemplate = hGlobal != nullptr ? static_cast<LPCDLGTEMPLATEA>(::LockResource(hGlobal)) : nullptr;
  if (lpTemplate == nullptr) {
    PostNcDestroy();  // as any failed creation: the object is gone
    return FALSE;
  }
  // The styles a view would get from PreCreateWindow (border -> edge).
  CREATESTRUCTA cs{};
  cs.style = dwStyle | WS_CHILD;
  cs.lpszClass = "#32770";
  CView::PreCreateWindow(cs);

  m_pCreateContext = pContext;
  if (!CreateDlgIndirect(lpTemplate, pParentWnd, hInst)) return FALSE;  // `this` is gone
  m_pCreateContext = nullptr;

  // The template's size is the form's scrolling size.
  CRect rcTemplate;
  GetClientRect(&rcTemplate);
  SetScrollSizes(MM_TEXT, rcTemplate.Size());
  ModifyStyle(WS_BORDER | WS_CAPTION, cs.style & (WS_BORDER | WS_CAPTION));
  ModifyStyleEx(WS_EX_CLIENTEDGE, cs.dwExStyle & WS_EX_CLIENTEDGE);
  SetDlgCtrlID(static_cast<int>(nID));
  ::SetWindowPos(m_hWnd, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  if (dwStyle & WS_VISIBLE) ShowWindow(SW_NORMAL);
  return TRUE;
}

void CFormView::OnInitialUpdate() {
  UpdateData(FALSE);
  CScrollView::OnInitialUpdate();
}

BOOL CFormView::PreTranslateMessage(MSG* pMsg) {
  // Keyboard navigation between the form's controls.
  if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && ::IsDialogMessageA(m_hWnd, pMsg)) {
    return TRUE;
  }
  return FALSE;
}
