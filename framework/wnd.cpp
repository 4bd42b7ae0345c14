// CWnd core: binding objects to windows, the window procedure, creation,
// subclassing and destruction.
#include <windows.h>

#include <cstdio>
#include <mutex>
#include <set>
#include <string>
#include <utility>

#include "framework/afxapp.h"
#include "framework/afxwnd.h"
#include "framework/handlemap_win.h"

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)
IMPLEMENT_DYNAMIC(CScrollBar, CWnd)

namespace {

// The message being dispatched, saved and restored around each dispatch
// so that Default() inside nested messages sees its own.
thread_local MSG t_currentMsg{};

// Creation hook state of this thread.
thread_local CWnd* t_pWndInit = nullptr;
thread_local HHOOK t_hHookCbt = nullptr;
// The object whose window is being made with a class whose procedure is
// already AfxWndProc: bound by that procedure at the window's first
// message, with no hook.
thread_local CWnd* t_pWndInitByProc = nullptr;

int g_caughtExceptions = 0;

void RemoveCreationHook() {
  if (t_hHookCbt == nullptr) return;
  ::UnhookWindowsHookEx(t_hHookCbt);
  t_hHookCbt = nullptr;
}

// Binds the object a window is being made for to that window, before the
// window's first message reaches its procedure.
void BindWindowBeingCreated(CWnd* pWnd, HWND hWnd, const char* where) {
  try {
    pWnd->Attach(hWnd);
    pWnd->PreSubclassWindow();
  } catch (...) {
    AfxProcessEntryException(where);
  }
}

LRESULT CALLBACK AfxCbtFilterHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && t_pWndInit != nullptr) {
    CWnd* pWnd = t_pWndInit;
    t_pWndInit = nullptr;
    HWND hWnd = reinterpret_cast<HWND>(wParam);
    BindWindowBeingCreated(pWnd, hWnd, "creation hook");
    // Route the window's messages through the framework's procedure from
    // its very first one (WM_NCCREATE).
    WNDPROC old = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC));
    if (old != &AfxWndProc) {
      ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc));
      pWnd->m_pfnSuper = old;
    }
    // The window is bound.  While a hook is set every window event of the
    // thread goes round the hook chain, which under Wine costs each window
    // made (a dialog's controls) about as much again: the hook goes now,
    // before the window makes its children.
    const LRESULT r = ::CallNextHookEx(nullptr, code, wParam, lParam);
    RemoveCreationHook();
    return r;
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Unbinds a window whose last message has been handled: restores its own
// procedure, forgets the binding, ends the application when it was the
// main window, and lets the object delete itself.
void CleanupAfterNcDestroy(HWND hWnd, CWnd* pWnd) {
  if (afx_internal::PermanentLookup(hWnd) != pWnd || pWnd->m_hWnd != hWnd) return;
  if (pWnd->m_pfnSuper != nullptr &&
      reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC)) == &AfxWndProc) {
    ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pWnd->m_pfnSuper));
  }
  pWnd->m_pfnSuper = nullptr;
  pWnd->Detach();
  CWinApp* pApp = AfxGetApp();
  if (pApp != nullptr && pApp->m_pMainWnd == pWnd) {
    pApp->m_pMainWnd = nullptr;
    ::PostQuitMessage(0);
  }
  pWnd->PostNcDestroy();  // may delete pWnd
}

// Stands for a special HWND value; never bound to anything.
class CSpecialWnd : public CWnd {
 public:
  explicit CSpecialWnd(HWND h) { m_hWnd = h; }
  ~CSpecialWnd() override { m_hWnd = nullptr; }
};

const CSpecialWnd s_wndTop(HWND_TOP);
const CSpecialWnd s_wndBottom(HWND_BOTTOM);
const CSpecialWnd s_wndTopMost(HWND_TOPMOST);
const CSpecialWnd s_wndNoTopMost(HWND_NOTOPMOST);

}  // namespace

const CWnd& CWnd::wndTop = s_wndTop;
const CWnd& CWnd::wndBottom = s_wndBottom;
const CWnd& CWnd::wndTopMost = s_wndTopMost;
const CWnd& CWnd::wndNoTopMost = s_wndNoTopMost;

// ---- entry point -----------------------------------------------------------

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
  CWnd* pWnd = afx_internal::PermanentLookup(hWnd);
  if (pWnd == nullptr && t_pWndInitByProc != nullptr) {
    // The first message (before WM_NCCREATE) of a window CreateEx makes
    // with a class of the framework's own: bound here, as the hook would.
    pWnd = std::exchange(t_pWndInitByProc, nullptr);
    BindWindowBeingCreated(pWnd, hWnd, "window creation");
  }
  if (pWnd == nullptr || pWnd->m_hWnd != hWnd) return ::DefWindowProcA(hWnd, nMsg, wParam, lParam);

  const MSG saved = t_currentMsg;
  t_currentMsg.hwnd = hWnd;
  t_currentMsg.message = nMsg;
  t_currentMsg.wParam = wParam;
  t_currentMsg.lParam = lParam;
  afx_internal::EnterDispatch();
  LRESULT result = 0;
  try {
    result = pWnd->WindowProc(nMsg, wParam, lParam);
  } catch (...) {
    AfxProcessEntryException("window procedure");
    // Sensible answers for the messages whose result matters.
    if (nMsg == WM_CREATE) result = -1;
    if (nMsg == WM_NCCREATE) result = FALSE;
    if (nMsg == WM_PAINT) ::ValidateRect(hWnd, nullptr);
  }
  if (nMsg == WM_NCDESTROY) {
    try {
      CleanupAfterNcDestroy(hWnd, pWnd);
    } catch (...) {
      AfxProcessEntryException("window destruction");
    }
  }
  afx_internal::LeaveDispatch();
  t_currentMsg = saved;
  return result;
}

const MSG* AfxGetCurrentMessage() { return &t_currentMsg; }

void AfxProcessEntryException(const char* where) {
  ++g_caughtExceptions;
  char text[160];
  std::snprintf(text, sizeof text, "Quorl framework: exception caught in %s\n", where);
  ::OutputDebugStringA(text);
  // Framework exceptions are thrown by pointer; free the one in flight.
  try {
    throw;
  } catch (CException* e) {
    e->Delete();
  } catch (...) {
  }
}

int AfxGetCaughtExceptionCount() { return g_caughtExceptions; }

void AfxHookWindowCreate(CWnd* pWnd) {
  if (t_hHookCbt == nullptr)
    t_hHookCbt = ::SetWindowsHookExA(WH_CBT, &AfxCbtFilterHook, nullptr, ::GetCurrentThreadId());
  t_pWndInit = pWnd;
}

BOOL AfxUnhookWindowCreate() {
  RemoveCreationHook();
  if (t_pWndInit != nullptr) {
    t_pWndInit = nullptr;
    return FALSE;
  }
  return TRUE;
}

LPCSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon) {
  static std::mutex lock;
  static std::set<std::string> names;  // node-based: c_str() stays valid
  char name[96];
  std::snprintf(name, sizeof name, "QuorlFw:%p:%x:%p:%p:%p", static_cast<void*>(AfxGetInstanceHandle()), nClassStyle,
                static_cast<void*>(hCursor), static_cast<void*>(hbrBackground), static_cast<void*>(hIcon));
  std::lock_guard<std::mutex> guard(lock);
  auto it = names.find(name);
  if (it != names.end()) return it->c_str();
  WNDCLASSA wc{};
  if (!::GetClassInfoA(AfxGetInstanceHandle(), name, &wc)) {
    wc.style = nClassStyle;
    wc.lpfnWndProc = &AfxWndProc;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = hCursor;
    wc.hbrBackground = hbrBackground;
    wc.hIcon = hIcon;
    wc.lpszClassName = name;
    if (!::RegisterClassA(&wc)) return nullptr;
  }
  return names.insert(name).first->c_str();
}

// ---- binding ---------------------------------------------------------------

CWnd::~CWnd() {
  if (m_hWnd != nullptr && afx_internal::PermanentLookup(m_hWnd) == this) {
    // Only this class's handlers run from here on (the derived parts are
    // gone), so the destruction cannot delete the object a second time.
    if (::IsWindow(m_hWnd)) {
      ::DestroyWindow(m_hWnd);
    }
    if (m_hWnd != nullptr) Detach();
  }
}

CWnd* CWnd::FromHandle(HWND hWnd) {
  if (hWnd == nullptr) return nullptr;
  CWnd* p = afx_internal::PermanentLookup(hWnd);
  return p != nullptr ? p : afx_internal::TempWnd(hWnd);
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) { return hWnd == nullptr ? nullptr : afx_internal::PermanentLookup(hWnd); }

BOOL CWnd::Attach(HWND hWndNew) {
  if (hWndNew == nullptr || m_hWnd != nullptr) return FALSE;
  m_hWnd = hWndNew;
  afx_internal::PermanentInsert(hWndNew, this);
  return TRUE;
}

HWND CWnd::Detach() {
  HWND h = m_hWnd;
  if (h != nullptr) {
    if (afx_internal::PermanentLookup(h) == this) afx_internal::PermanentRemove(h);
    m_hWnd = nullptr;
  }
  return h;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
  if (!Attach(hWnd)) return FALSE;
  PreSubclassWindow();
  WNDPROC old =
      reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
  if (old != &AfxWndProc) m_pfnSuper = old;
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
  if (pParent == nullptr) return FALSE;
  HWND hWndControl = ::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID));
  return hWndControl != nullptr && SubclassWindow(hWndControl);
}

HWND CWnd::UnsubclassWindow() {
  if (m_hWnd == nullptr) return nullptr;
  if (m_pfnSuper != nullptr) {
    ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
  }
  return Detach();
}

// ---- creation and destruction ---------------------------------------------

BOOL CWnd::PreCreateWindow(CREATESTRUCTA& cs) {
  if (cs.lpszClass == nullptr) {
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, ::LoadCursor(nullptr, IDC_ARROW),
                                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  }
  return TRUE;
}

BOOL CWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                  UINT nID, CCreateContext* pContext) {
  return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID, pContext);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                    CWnd* pParentWnd, UINT nID, LPVOID lpParam) {
  return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), lpParam);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam) {
  if (m_hWnd != nullptr) return FALSE;
  CREATESTRUCTA cs{};
  cs.dwExStyle = dwExStyle;
  cs.lpszClass = lpszClassName;
  cs.lpszName = lpszWindowName;
  cs.style = dwStyle;
  cs.x = x;
  cs.y = y;
  cs.cx = nWidth;
  cs.cy = nHeight;
  cs.hwndParent = hWndParent;
  cs.hMenu = nIDorHMenu;
  cs.hInstance = AfxGetInstanceHandle();
  cs.lpCreateParams = lpParam;
  if (!PreCreateWindow(cs)) {
    PostNcDestroy();  // as after a destruction: the object may be gone
    return FALSE;
  }
  // A class of the framework's own sends every message, the first one
  // included, to AfxWndProc, which binds the window then.  Only other
  // classes need the creation hook, which costs every window event of the
  // thread a round through the hook chain while it is set.
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  const bool ownProc =
      cs.lpszClass != nullptr && ::GetClassInfoExA(cs.hInstance, cs.lpszClass, &wc) && wc.lpfnWndProc == &AfxWndProc;
  if (ownProc)
    t_pWndInitByProc = this;
  else
    AfxHookWindowCreate(this);
  HWND hWnd = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                                cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
  const bool bound = ownProc ? std::exchange(t_pWndInitByProc, nullptr) == nullptr : AfxUnhookWindowCreate() != FALSE;
  if (!bound) {
    // No window ever existed (unknown class...): nothing will send
    // WM_NCDESTROY, so finish the object's life here.
    PostNcDestroy();
    return FALSE;
  }
  // A window that failed in WM_CREATE has been destroyed already, and a
  // self-deleting object with it: do not touch `this` then.
  return hWnd != nullptr ? TRUE : FALSE;
}

BOOL CWnd::DestroyWindow() {
  if (m_hWnd == nullptr) return FALSE;
  return ::DestroyWindow(m_hWnd);
}

// ---- operations ------------------------------------------------------------

void CWnd::ClientToScreen(LPRECT lpRect) const {
  ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(lpRect));
  ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(lpRect) + 1);
}

void CWnd::ScreenToClient(LPRECT lpRect) const {
  ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(lpRect));
  ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(lpRect) + 1);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
  // &wndTop, &wndBottom... carry the special values; null is HWND_TOP.
  HWND after = pWndInsertAfter != nullptr ? pWndInsertAfter->m_hWnd : nullptr;
  return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, nFlags);
}

BOOL CWnd::ModifyStyle(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
  DWORD style = static_cast<DWORD>(::GetWindowLongA(hWnd, GWL_STYLE));
  DWORD newStyle = (style & ~dwRemove) | dwAdd;
  if (style == newStyle) return FALSE;
  ::SetWindowLongA(hWnd, GWL_STYLE, static_cast<LONG>(newStyle));
  if (nFlags != 0) {
    ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
  }
  return TRUE;
}

BOOL CWnd::ModifyStyleEx(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
  DWORD style = static_cast<DWORD>(::GetWindowLongA(hWnd, GWL_EXSTYLE));
  DWORD newStyle = (style & ~dwRemove) | dwAdd;
  if (style == newStyle) return FALSE;
  ::SetWindowLongA(hWnd, GWL_EXSTYLE, static_cast<LONG>(newStyle));
  if (nFlags != 0) {
    ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
  }
  return TRUE;
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
  return ModifyStyle(m_hWnd, dwRemove, dwAdd, nFlags);
}

BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
  return ModifyStyleEx(m_hWnd, dwRemove, dwAdd, nFlags);
}

void CWnd::GetWindowText(CString& rString) const {
  int n = ::GetWindowTextLengthA(m_hWnd);
  if (n <= 0) {
    rString.Empty();
    return;
  }
  // n + 1: room for the terminator; the text may shrink meanwhile.
  int got = ::GetWindowTextA(m_hWnd, rString.GetBuffer(n), n + 1);
  rString.ReleaseBuffer(got >= 0 ? got : 0);
}

int CWnd::GetDlgItemText(int nID, CString& rString) const {
  HWND h = ::GetDlgItem(m_hWnd, nID);
  if (h == nullptr) {
    rString.Empty();
    return 0;
  }
  CWnd tmp;
  tmp.m_hWnd = h;
  tmp.GetWindowText(rString);
  tmp.m_hWnd = nullptr;
  return rString.GetLength();
}

CWnd* CWnd::GetTopLevelParent() const {
  HWND h = m_hWnd;
  HWND parent;
  while ((::GetWindowLongA(h, GWL_STYLE) & WS_CHILD) && (parent = ::GetParent(h)) != nullptr) h = parent;
  return FromHandle(h);
}

void CWnd::CenterWindow(CWnd* pAlternateOwner) {
  CRect rcWnd;
  GetWindowRect(&rcWnd);
  HWND hCenter = pAlternateOwner != nullptr ? pAlternateOwner->m_hWnd : nullptr;
  const bool child = (GetStyle() & WS_CHILD) != 0;
  if (hCenter == nullptr) hCenter = child ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER);
  CRect rcArea;
  CRect rcCenter;
  if (child) {
    // Within the parent's client area, in its coordinates.
    HWND hParent = ::GetParent(m_hWnd);
    ::GetClientRect(hParent, &rcArea);
    if (hCenter == hParent) {
      rcCenter = rcArea;
    } else {
      ::GetWindowRect(hCenter, &rcCenter);
      ::MapWindowPoints(nullptr, hParent, reinterpret_cast<LPPOINT>(&rcCenter), 2);
    }
    ::MapWindowPoints(nullptr, hParent, reinterpret_cast<LPPOINT>(&rcWnd), 2);
  } else {
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    HMONITOR mon = ::MonitorFromWindow(hCenter != nullptr ? hCenter : m_hWnd, MONITOR_DEFAULTTONEAREST);
    if (mon != nullptr && ::GetMonitorInfoA(mon, &mi)) {
      rcArea = mi.rcWork;
    } else {
      ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcArea, 0);
    }
    if (hCenter != nullptr && ::IsWindowVisible(hCenter) && !::IsIconic(hCenter)) {
      ::GetWindowRect(hCenter, &rcCenter);
    } else {
      rcCenter = rcArea;
    }
  }
  int x = (rcCenter.left + rcCenter.right) / 2 - rcWnd.Width() / 2;
  int y = (rcCenter.top + rcCenter.bottom) / 2 - rcWnd.Height() / 2;
  if (x + rcWnd.Width() > rcArea.right) x = rcArea.right - rcWnd.Width();
  if (x < rcArea.left) x = rcArea.left;
  if (y + rcWnd.Height() > rcArea.bottom) y = rcArea.bottom - rcWnd.Height();
  if (y < rcArea.top) y = rcArea.top;
  ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CWnd::ReleaseDC(CDC* pDC) {
  if (pDC == nullptr) return 0;
  HDC h = pDC->m_hDC;
  int r = ::ReleaseDC(m_hWnd, h);
  afx_internal::ForgetTempDC(h);
  return r;
}

void CWnd::DragAcceptFiles(BOOL bAccept) {
  ModifyStyleEx(bAccept ? 0 : WS_EX_ACCEPTFILES, bAccept ? WS_EX_ACCEPTFILES : 0);
}

int CWnd::MessageBox(LPCSTR lpszText, LPCSTR lpszCaption, UINT nType) {
  if (lpszCaption == nullptr) {
    CWinApp* pApp = AfxGetApp();
    lpszCaption = pApp != nullptr ? pApp->m_pszAppName : nullptr;
  }
  return ::MessageBoxA(m_hWnd, lpszText, lpszCaption, nType);
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep, BOOL bOnlyPerm) {
  for (HWND h = ::GetTopWindow(m_hWnd); h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT)) {
    // Bound windows get it through the window procedure as well, so that
    // an exception in a handler is caught there.
    if (!bOnlyPerm || FromHandlePermanent(h) != nullptr) ::SendMessageA(h, message, wParam, lParam);
    if (bDeep && ::GetTopWindow(h) != nullptr) {
      CWnd tmp;
      tmp.m_hWnd = h;
      tmp.SendMessageToDescendants(message, wParam, lParam, bDeep, bOnlyPerm);
      tmp.m_hWnd = nullptr;
    }
  }
}
