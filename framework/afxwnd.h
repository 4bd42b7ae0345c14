// CWnd: a C++ object bound to one window.  The binding is made once, when
// the framework creates the window (a CBT hook catches its first message)
// or subclasses it, and from then on every message goes through the one
// window procedure (AfxWndProc) to the object's message map.  Win32 only.
#pragma once

#include <windows.h>

#include "framework/afxgdi.h"
#include "framework/afxmsg.h"

struct CCreateContext;
class CDataExchange;
class CFrameWnd;
class CScrollBar;

// The framework's window procedure, for window classes registered by the
// application (RegisterClassEx with lpfnWndProc = AfxWndProc).
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);

// Registers (once) and names a window class that uses AfxWndProc.  The name
// stays valid for the process's lifetime.
LPCSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr, HBRUSH hbrBackground = nullptr,
                           HICON hIcon = nullptr);

class CWnd : public CCmdTarget {
  DECLARE_DYNCREATE(CWnd)
 public:
  CWnd() = default;
  // Destroys the window when the object still owns one.
  ~CWnd() override;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;
  operator HWND() const { return m_hWnd; }  // NOLINT
  HWND GetSafeHwnd() const { return m_hWnd; }
  // Insert-after values for SetWindowPos (HWND_TOP, HWND_BOTTOM, ...).
  static const CWnd& wndTop;
  static const CWnd& wndBottom;
  static const CWnd& wndTopMost;
  static const CWnd& wndNoTopMost;

  bool operator==(const CWnd& w) const { return m_hWnd == w.m_hWnd; }
  bool operator!=(const CWnd& w) const { return m_hWnd != w.m_hWnd; }

  // The object bound to hWnd, else a temporary wrapper that the framework
  // deletes at idle time (do not keep it); nullptr for a null hWnd.
  static CWnd* FromHandle(HWND hWnd);
  // The object bound to hWnd, or nullptr.
  static CWnd* FromHandlePermanent(HWND hWnd);
  // Binds without subclassing (no messages are routed to the object).
  BOOL Attach(HWND hWndNew);
  HWND Detach();
  // Binds and routes the window's messages through the message map.
  BOOL SubclassWindow(HWND hWnd);
  BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
  HWND UnsubclassWindow();

  // Creation.  When it fails the window is gone and, for classes that
  // delete themselves in PostNcDestroy, so is the object.
  virtual BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                      UINT nID, CCreateContext* pContext = nullptr);
  BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, int x, int y, int nWidth,
                int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam = nullptr);
  BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                CWnd* pParentWnd, UINT nID, LPVOID lpParam = nullptr);
  virtual BOOL DestroyWindow();

  // Overridables.
  virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
  virtual void PreSubclassWindow() {}
  virtual void PostNcDestroy() {}
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  // A notification this control sent to its parent, offered back to it
  // first; TRUE when handled (then the parent does nothing).
  virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  virtual BOOL PreTranslateMessage(MSG* pMsg);
  virtual void DoDataExchange(CDataExchange* pDX) {}
  // The nearest CFrameWnd among the ancestors, or nullptr.
  CFrameWnd* GetParentFrame() const;
  CFrameWnd* GetTopLevelFrame() const;

  // DDX: FALSE when a value failed validation (the user was told).
  BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
  // The default handling of the message being dispatched.
  LRESULT Default();

  // Offers the current message to the child that sent it.
  static BOOL ReflectLastMsg(HWND hWndChild, LRESULT* pResult = nullptr);
  BOOL SendChildNotifyLastMsg(LRESULT* pResult = nullptr);
  // Sends to every child (and with bDeep their children); with
  // bOnlyPerm only to windows bound to objects, straight to WindowProc.
  void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, BOOL bDeep = TRUE,
                                BOOL bOnlyPerm = FALSE);

  // ---- operations --------------------------------------------------------
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
  }
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
  }
  BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
  void UpdateWindow() { ::UpdateWindow(m_hWnd); }
  void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
  void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, lpRect, bErase); }
  void ValidateRect(LPCRECT lpRect) { ::ValidateRect(m_hWnd, lpRect); }
  BOOL RedrawWindow(LPCRECT lpRectUpdate = nullptr, HRGN hrgn = nullptr,
                    UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE) {
    return ::RedrawWindow(m_hWnd, lpRectUpdate, hrgn, flags);
  }
  void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
  void GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
  void ClientToScreen(LPPOINT lpPoint) const { ::ClientToScreen(m_hWnd, lpPoint); }
  void ClientToScreen(LPRECT lpRect) const;
  void ScreenToClient(LPPOINT lpPoint) const { ::ScreenToClient(m_hWnd, lpPoint); }
  void ScreenToClient(LPRECT lpRect) const;
  BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
  void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE) {
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
  }
  void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE) {
    ::MoveWindow(m_hWnd, lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top,
                 bRepaint);
  }
  DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
  DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_EXSTYLE)); }
  // Removes then adds style bits; with nFlags also SetWindowPos(nFlags |
  // SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE).  FALSE when
  // nothing changed.
  BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
  BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
  static BOOL ModifyStyle(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags);
  static BOOL ModifyStyleEx(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags);
  void SetWindowText(LPCSTR lpszString) { ::SetWindowTextA(m_hWnd, lpszString); }
  int GetWindowText(LPSTR lpszStringBuf, int nMaxCount) const {
    return ::GetWindowTextA(m_hWnd, lpszStringBuf, nMaxCount);
  }
  void GetWindowText(CString& rString) const;
  int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
  CWnd* GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
  void SetDlgItemText(int nID, LPCSTR lpszString) { ::SetDlgItemTextA(m_hWnd, nID, lpszString); }
  int GetDlgItemText(int nID, CString& rString) const;
  UINT GetDlgItemInt(int nID, BOOL* lpTrans = nullptr, BOOL bSigned = TRUE) const {
    return ::GetDlgItemInt(m_hWnd, nID, lpTrans, bSigned);
  }
  void SetDlgItemInt(int nID, UINT nValue, BOOL bSigned = TRUE) { ::SetDlgItemInt(m_hWnd, nID, nValue, bSigned); }
  void CheckDlgButton(int nIDButton, UINT nCheck) { ::CheckDlgButton(m_hWnd, nIDButton, nCheck); }
  UINT IsDlgButtonChecked(int nIDButton) const { return ::IsDlgButtonChecked(m_hWnd, nIDButton); }
  LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendDlgItemMessageA(m_hWnd, nID, message, wParam, lParam);
  }
  int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
  int SetDlgCtrlID(int nID) {
    return static_cast<int>(::SetWindowLongPtrA(m_hWnd, GWLP_ID, static_cast<LONG_PTR>(nID)));
  }
  CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
  CWnd* SetParent(CWnd* pWndNewParent) {
    return FromHandle(::SetParent(m_hWnd, pWndNewParent != nullptr ? pWndNewParent->m_hWnd : nullptr));
  }
  CWnd* GetOwner() const { return FromHandle(::GetWindow(m_hWnd, GW_OWNER)); }
  CWnd* GetWindow(UINT nCmd) const { return FromHandle(::GetWindow(m_hWnd, nCmd)); }
  CWnd* GetTopLevelParent() const;
  CWnd* GetLastActivePopup() const { return FromHandle(::GetLastActivePopup(m_hWnd)); }
  CMenu* GetSystemMenu(BOOL bRevert) const { return CMenu::FromHandle(::GetSystemMenu(m_hWnd, bRevert)); }
  BOOL SetMenu(CMenu* pMenu) { return ::SetMenu(m_hWnd, pMenu != nullptr ? pMenu->m_hMenu : nullptr); }
  CMenu* GetMenu() const { return CMenu::FromHandle(::GetMenu(m_hWnd)); }
  void DrawMenuBar() { ::DrawMenuBar(m_hWnd); }
  UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer = nullptr) {
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
  }
  BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }
  CWnd* SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
  static CWnd* GetCapture() { return FromHandle(::GetCapture()); }
  CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
  static CWnd* GetFocus() { return FromHandle(::GetFocus()); }
  static CWnd* GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
  static CWnd* GetForegroundWindow() { return FromHandle(::GetForegroundWindow()); }
  static CWnd* GetDesktopWindow() { return FromHandle(::GetDesktopWindow()); }
  static CWnd* FindWindow(LPCSTR lpszClassName, LPCSTR lpszWindowName) {
    return FromHandle(::FindWindowA(lpszClassName, lpszWindowName));
  }
  BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
  CWnd* SetActiveWindow() { return FromHandle(::SetActiveWindow(m_hWnd)); }
  void BringWindowToTop() { ::BringWindowToTop(m_hWnd); }
  // Centres over pAlternateOwner, else the owner or parent, else the
  // monitor's work area; kept inside the work area.
  void CenterWindow(CWnd* pAlternateOwner = nullptr);
  BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
  BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
  BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
  BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
  BOOL IsZoomed() const { return ::IsZoomed(m_hWnd); }
  BOOL IsChild(const CWnd* pWnd) const { return ::IsChild(m_hWnd, pWnd->m_hWnd); }
  void SetFont(CFont* pFont, BOOL bRedraw = TRUE) {
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(pFont != nullptr ? pFont->m_hObject : nullptr), bRedraw);
  }
  CFont* GetFont() const { return CFont::FromHandle(reinterpret_cast<HFONT>(SendMessage(WM_GETFONT))); }
  HICON SetIcon(HICON hIcon, BOOL bBigIcon) {
    return reinterpret_cast<HICON>(SendMessage(WM_SETICON, bBigIcon, reinterpret_cast<LPARAM>(hIcon)));
  }
  HICON GetIcon(BOOL bBigIcon) const { return reinterpret_cast<HICON>(SendMessage(WM_GETICON, bBigIcon)); }
  CDC* GetDC() { return CDC::FromHandle(::GetDC(m_hWnd)); }
  CDC* GetWindowDC() { return CDC::FromHandle(::GetWindowDC(m_hWnd)); }
  int ReleaseDC(CDC* pDC);
  // MessageBoxA with this window as owner; the caption defaults to the
  // application's title.
  int MessageBox(LPCSTR lpszText, LPCSTR lpszCaption = nullptr, UINT nType = MB_OK);
  void ShowCaret() { ::ShowCaret(m_hWnd); }
  void HideCaret() { ::HideCaret(m_hWnd); }
  void CreateSolidCaret(int nWidth, int nHeight) { ::CreateCaret(m_hWnd, nullptr, nWidth, nHeight); }
  static void SetCaretPos(POINT point) { ::SetCaretPos(point.x, point.y); }
  int GetScrollPos(int nBar) const { return ::GetScrollPos(m_hWnd, nBar); }
  int SetScrollPos(int nBar, int nPos, BOOL bRedraw = TRUE) { return ::SetScrollPos(m_hWnd, nBar, nPos, bRedraw); }
  void ShowScrollBar(UINT nBar, BOOL bShow = TRUE) { ::ShowScrollBar(m_hWnd, nBar, bShow); }
  void DragAcceptFiles(BOOL bAccept = TRUE);
  BOOL OpenClipboard() { return ::OpenClipboard(m_hWnd); }

  // ---- default message handlers (each does the default handling) ---------
  int OnCreate(LPCREATESTRUCTA lpCreateStruct);
  void OnDestroy();
  void OnNcDestroy();
  void OnClose();
  void OnPaint();
  BOOL OnEraseBkgnd(CDC* pDC);
  void OnSize(UINT nType, int cx, int cy);
  void OnMove(int x, int y);
  void OnTimer(UINT_PTR nIDEvent);
  void OnSysCommand(UINT nID, LPARAM lParam);
  BOOL OnQueryEndSession();
  void OnLButtonDown(UINT nFlags, CPoint point);
  void OnLButtonUp(UINT nFlags, CPoint point);
  void OnLButtonDblClk(UINT nFlags, CPoint point);
  void OnRButtonDown(UINT nFlags, CPoint point);
  void OnRButtonUp(UINT nFlags, CPoint point);
  void OnMouseMove(UINT nFlags, CPoint point);
  void OnCancelMode();
  void OnCaptureChanged(CWnd* pWnd);
  BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  LRESULT OnNcHitTest(CPoint point);
  void OnContextMenu(CWnd* pWnd, CPoint pos);
  void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
  void OnShowWindow(BOOL bShow, UINT nStatus);
  void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  // Offers the message to the control first (reflection), else default.
  HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
  void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
  void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
  void OnSetFocus(CWnd* pOldWnd);
  void OnKillFocus(CWnd* pNewWnd);
  int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message);
  void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
  void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
  HCURSOR OnQueryDragIcon();

  WNDPROC m_pfnSuper = nullptr;  // the window's own procedure when subclassed

 protected:
  // Dispatches one map entry; pResult receives the handler's result.
  BOOL DispatchEntry(const AFX_MSGMAP_ENTRY* lpEntry, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  // Runs the reflected form of message against this window's own map.
  BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  BOOL CreateDlgIndirect(LPCDLGTEMPLATEA lpDialogTemplate, CWnd* pParentWnd, HINSTANCE hInst);

  DECLARE_MESSAGE_MAP()

  friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
};

// Thin helper class used as the type of scroll-bar handler parameters.
class CScrollBar : public CWnd {
  DECLARE_DYNAMIC(CScrollBar)
 public:
  int GetScrollPos() const { return ::GetScrollPos(m_hWnd, SB_CTL); }
  int SetScrollPos(int nPos, BOOL bRedraw = TRUE) { return ::SetScrollPos(m_hWnd, SB_CTL, nPos, bRedraw); }
  void SetScrollRange(int nMin, int nMax, BOOL bRedraw = TRUE) {
    ::SetScrollRange(m_hWnd, SB_CTL, nMin, nMax, bRedraw);
  }
};

// ---- framework internals shared by the Win32 files -------------------------

// The message being dispatched on this thread (for Default()).
const MSG* AfxGetCurrentMessage();
// Deletes the temporary wrappers (FromHandle) unless a message is being
// dispatched on this thread; called at idle time.
void AfxDeleteTempMaps();
// Called by every entry point that Windows calls when a C++ exception
// escapes a handler: releases a framework exception and records it.
void AfxProcessEntryException(const char* where);
// Number of exceptions caught at entry points so far (for tests).
int AfxGetCaughtExceptionCount();
// Binds the next window this thread creates to pWnd (CBT hook).
void AfxHookWindowCreate(CWnd* pWnd);
// Ends the binding; FALSE when no window was created meanwhile.
BOOL AfxUnhookWindowCreate();
