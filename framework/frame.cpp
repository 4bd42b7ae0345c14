// CFrameWnd: the main window with its active view and command routing.
#include <windows.h>

#include "framework/afxframe.h"

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

const CRect CFrameWnd::rectDefault(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_ERASEBKGND()
ON_WM_SETFOCUS()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CFrameWnd* CWnd::GetParentFrame() const {
  for (HWND h = m_hWnd != nullptr ? ::GetParent(m_hWnd) : nullptr; h != nullptr; h = ::GetParent(h)) {
    CWnd* p = FromHandlePermanent(h);
    if (p != nullptr && p->IsKindOf(RUNTIME_CLASS(CFrameWnd))) return static_cast<CFrameWnd*>(p);
  }
  return nullptr;
}

CFrameWnd* CWnd::GetTopLevelFrame() const {
  CFrameWnd* pFrame = nullptr;
  if (IsKindOf(RUNTIME_CLASS(CFrameWnd))) pFrame = static_cast<CFrameWnd*>(const_cast<CWnd*>(this));
  for (CFrameWnd* p = GetParentFrame(); p != nullptr; p = p->GetParentFrame()) pFrame = p;
  return pFrame;
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTA& cs) {
  if (cs.lpszClass == nullptr) {
    HICON hIcon = m_nIDHelp != 0 ? ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDHelp)) : nullptr;
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), hIcon);
  }
  cs.dwExStyle |= WS_EX_CLIENTEDGE;
  return TRUE;
}

BOOL CFrameWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                       LPCSTR lpszMenuName, DWORD dwExStyle, CCreateContext* pContext) {
  HMENU hMenu = nullptr;
  if (lpszMenuName != nullptr && !(dwStyle & WS_CHILD)) hMenu = ::LoadMenuA(AfxGetResourceHandle(), lpszMenuName);
  m_strTitle = lpszWindowName;
  // rectDefault lets the system choose position and size; computing a
  // width from its CW_USEDEFAULT corners would overflow.
  const bool useDefault = rect.left == CW_USEDEFAULT;
  const int x = useDefault ? CW_USEDEFAULT : rect.left;
  const int y = useDefault ? CW_USEDEFAULT : rect.top;
  const int cx = useDefault ? CW_USEDEFAULT : rect.right - rect.left;
  const int cy = useDefault ? CW_USEDEFAULT : rect.bottom - rect.top;
  if (!CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, x, y, cx, cy,
                pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr, hMenu, pContext)) {
    // `this` is gone; the menu went with the window when it existed.
    if (hMenu != nullptr && ::IsMenu(hMenu)) ::DestroyMenu(hMenu);
    return FALSE;
  }
  m_hMenuDefault = hMenu;
  return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext) {
  m_nIDHelp = nIDResource;
  CString title;
  title.LoadString(nIDResource);
  int nl = title.Find('\n');
  if (nl >= 0) title = title.Left(nl);
  // The menu is optional: LoadMenu of a missing resource gives null.
  if (!Create(nullptr, title, dwDefaultStyle, rectDefault, pParentWnd, MAKEINTRESOURCEA(nIDResource), 0, pContext)) {
    return FALSE;  // `this` may be gone
  }
  m_hAccelTable = ::LoadAcceleratorsA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
  if (pContext == nullptr) SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE, TRUE);
  return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCTA lpcs) {
  if (CWnd::OnCreate(lpcs) == -1) return -1;
  CCreateContext* pContext = static_cast<CCreateContext*>(lpcs->lpCreateParams);
  if (!OnCreateClient(lpcs, pContext)) return -1;
  RecalcLayout();
  return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCTA, CCreateContext* pContext) {
  if (pContext != nullptr && pContext->m_pNewViewClass != nullptr) {
    if (CreateView(pContext, AFX_IDW_PANE_FIRST) == nullptr) return FALSE;
  }
  return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* pContext, UINT nID) {
  if (pContext == nullptr || pContext->m_pNewViewClass == nullptr) return nullptr;
  CObject* pObject = pContext->m_pNewViewClass->CreateObject();
  if (pObject == nullptr) return nullptr;
  if (!pObject->IsKindOf(RUNTIME_CLASS(CWnd))) {
    delete pObject;
    return nullptr;
  }
  CWnd* pView = static_cast<CWnd*>(pObject);
  // The first pane is made at the size the layout gives it, so that the
  // layout that follows finds nothing to move.
  CRect rect(0, 0, 0, 0);
  if (nID == AFX_IDW_PANE_FIRST) GetClientRect(&rect);
  if (!pView->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, rect, this, nID, pContext)) {
    return nullptr;  // the view deleted itself with its window
  }
  // One sunken edge is enough: the view's.
  if (pView->GetExStyle() & WS_EX_CLIENTEDGE) ModifyStyleEx(WS_EX_CLIENTEDGE, 0, SWP_FRAMECHANGED);
  return pView;
}

void CFrameWnd::SetActiveView(CView* pViewNew, BOOL bNotify) {
  CView* pViewOld = m_pViewActive;
  if (pViewOld == pViewNew) return;
  m_pViewActive = pViewNew;
  if (bNotify && pViewOld != nullptr) pViewOld->OnActivateView(FALSE, pViewNew, pViewOld);
  if (bNotify && pViewNew != nullptr) pViewNew->OnActivateView(TRUE, pViewNew, pViewOld);
}

void CFrameWnd::RecalcLayout(BOOL) {
  HWND hPane = ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST);
  if (hPane == nullptr) return;
  CRect rc;
  GetClientRect(&rc);
  // A pane that already fills the client area is left alone: moving it to
  // where it is still costs a round of position messages for nothing.
  RECT pane;
  ::GetWindowRect(hPane, &pane);
  ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&pane), 2);
  if (pane.left == 0 && pane.top == 0 && pane.right == rc.Width() && pane.bottom == rc.Height()) return;
  ::SetWindowPos(hPane, nullptr, 0, 0, rc.Width(), rc.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void CFrameWnd::InitialUpdateFrame(CDocument*, BOOL bMakeVisible) {
  if (m_pViewActive == nullptr) {
    CWnd* pPane = FromHandlePermanent(::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST));
    if (pPane != nullptr && pPane->IsKindOf(RUNTIME_CLASS(CView))) SetActiveView(static_cast<CView*>(pPane), FALSE);
  }
  SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE, TRUE);
  if (bMakeVisible) {
    ActivateFrame();
    if (m_pViewActive != nullptr) m_pViewActive->OnActivateView(TRUE, m_pViewActive, m_pViewActive);
  }
}

void CFrameWnd::ActivateFrame(int nCmdShow) {
  if (nCmdShow == -1) nCmdShow = ::IsIconic(m_hWnd) ? SW_RESTORE : SW_SHOW;
  ShowWindow(nCmdShow);
  BringWindowToTop();
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  // The active view first, then the frame itself, then the application.
  if (m_pViewActive != nullptr && m_pViewActive->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  CWinApp* pApp = AfxGetApp();
  return pApp != nullptr && pApp->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg) {
  if (m_hAccelTable != nullptr && pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) {
    return ::TranslateAcceleratorA(m_hWnd, m_hAccelTable, pMsg);
  }
  return FALSE;
}

void CFrameWnd::OnSize(UINT nType, int cx, int cy) {
  CWnd::OnSize(nType, cx, cy);
  if (nType != SIZE_MINIMIZED) RecalcLayout();
}

BOOL CFrameWnd::OnEraseBkgnd(CDC* pDC) {
  // The view covers the client area and paints it.
  if (m_pViewActive != nullptr) return TRUE;
  return CWnd::OnEraseBkgnd(pDC);
}

void CFrameWnd::OnSetFocus(CWnd* pOldWnd) {
  if (m_pViewActive != nullptr && m_pViewActive->m_hWnd != nullptr) {
    m_pViewActive->SetFocus();
  } else {
    CWnd::OnSetFocus(pOldWnd);
  }
}

void CFrameWnd::OnDestroy() {
  // A default menu that is no longer attached would outlive the window.
  if (m_hMenuDefault != nullptr && ::GetMenu(m_hWnd) != m_hMenuDefault && ::IsMenu(m_hMenuDefault)) {
    ::DestroyMenu(m_hMenuDefault);
  }
  m_hMenuDefault = nullptr;
  CWnd::OnDestroy();
}

void CFrameWnd::PostNcDestroy() { delete this; }
