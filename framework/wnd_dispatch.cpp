// Message-map dispatch: finding the handler of a message, command or
// notification, calling it through its signature, reflection to child
// controls, and the default handlers.
#include <windows.h>

#include "framework/afxapp.h"
#include "framework/afxwnd.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

// ---- map search ------------------------------------------------------------

const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP_ENTRY* lpEntry, UINT nMsg, UINT nCode, UINT nID) {
  for (; lpEntry->nSig != AfxSig_end; ++lpEntry) {
    if (lpEntry->nMessage == nMsg && lpEntry->nCode == nCode && nID >= lpEntry->nID && nID <= lpEntry->nLastID) {
      return lpEntry;
    }
  }
  return nullptr;
}

namespace {

// A registered message (0xC000 and above) names its entry through the
// variable that holds the registered value.
const AFX_MSGMAP_ENTRY* FindRegisteredEntry(const AFX_MSGMAP_ENTRY* lpEntry, UINT nMsg) {
  for (; lpEntry->nSig != AfxSig_end; ++lpEntry) {
    if (lpEntry->nMessage == 0xC000 && lpEntry->pnRegMessage != nullptr && *lpEntry->pnRegMessage == nMsg) {
      return lpEntry;
    }
  }
  return nullptr;
}

template <typename F>
F Handler(const AFX_MSGMAP_ENTRY* e) {
  return reinterpret_cast<F>(e->pfn);
}

// A DC wrapper for the duration of one handler call.
class CTempDC : public CDC {
 public:
  explicit CTempDC(HDC h) { m_hDC = m_hAttribDC = h; }
  ~CTempDC() override { m_hDC = m_hAttribDC = nullptr; }
};

}  // namespace

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, AfxSig_end, nullptr, nullptr}};
  static const AFX_MSGMAP map = {nullptr, &entries[0]};
  return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  const bool notify = HIWORD(static_cast<UINT>(nCode)) == WM_NOTIFY;
  const UINT nMsg = notify ? WM_NOTIFY : WM_COMMAND;
  for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
       map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nSig != AfxSig_end; ++e) {
      if (e->nMessage != nMsg || nID < e->nID || nID > e->nLastID) continue;
      if (notify ? LOWORD(e->nCode) != LOWORD(static_cast<UINT>(nCode)) : e->nCode != static_cast<UINT>(nCode)) {
        continue;
      }
      if (pHandlerInfo != nullptr) {
        pHandlerInfo->pTarget = this;
        pHandlerInfo->pmf = e->pfn;
        return TRUE;
      }
      switch (e->nSig) {
        case AfxSig_vv:
          (this->*Handler<void (CCmdTarget::*)()>(e))();
          return TRUE;
        case AfxSig_vw:
          (this->*Handler<void (CCmdTarget::*)(UINT)>(e))(nID);
          return TRUE;
        case AfxSig_bw:
          // ON_COMMAND_EX: FALSE passes the command on.
          if ((this->*Handler<BOOL (CCmdTarget::*)(UINT)>(e))(nID)) return TRUE;
          continue;
        case AfxSig_vNMHDRpl: {
          auto* n = static_cast<AFX_NOTIFY*>(pExtra);
          if (n == nullptr) return FALSE;
          (this->*Handler<void (CCmdTarget::*)(NMHDR*, LRESULT*)>(e))(n->pNMHDR, n->pResult);
          return TRUE;
        }
        default:
          return FALSE;  // update-UI entries are never sent
      }
    }
  }
  return FALSE;
}

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

// ---- window messages -------------------------------------------------------

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper != nullptr) return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
  const MSG* m = AfxGetCurrentMessage();
  return DefWindowProc(m->message, m->wParam, m->lParam);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  LRESULT dummy = 0;
  if (pResult == nullptr) pResult = &dummy;
  if (message == WM_COMMAND) {
    if (!OnCommand(wParam, lParam)) return FALSE;
    *pResult = 1;
    return TRUE;
  }
  if (message == WM_NOTIFY) {
    LRESULT r = 0;
    if (!OnNotify(wParam, lParam, &r)) return FALSE;
    *pResult = r;
    return TRUE;
  }
  // Every WM_CTLCOLORxxx goes to the WM_CTLCOLOR handler (and by default
  // is reflected to the control).
  UINT lookup = message;
  if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) lookup = WM_CTLCOLOR;

  for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
       map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr) {
    const AFX_MSGMAP_ENTRY* e = message >= 0xC000 ? FindRegisteredEntry(map->lpEntries, message)
                                                  : AfxFindMessageEntry(map->lpEntries, lookup, 0, 0);
    if (e != nullptr) return DispatchEntry(e, message, wParam, lParam, pResult);
  }
  if (lookup == WM_CTLCOLOR) {
    // No handler: offer the message to the control, then the default.
    CTempDC dc(reinterpret_cast<HDC>(wParam));
    *pResult = reinterpret_cast<LRESULT>(
        OnCtlColor(&dc, FromHandle(reinterpret_cast<HWND>(lParam)), message - WM_CTLCOLORMSGBOX));
    return TRUE;
  }
  return FALSE;
}

BOOL CWnd::DispatchEntry(const AFX_MSGMAP_ENTRY* e, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  LRESULT r = 0;
  switch (e->nSig) {
    case AfxSig_vv:
      (this->*Handler<void (CWnd::*)()>(e))();
      break;
    case AfxSig_bv:
      r = (this->*Handler<BOOL (CWnd::*)()>(e))();
      break;
    case AfxSig_lwl:
      r = (this->*Handler<LRESULT (CWnd::*)(WPARAM, LPARAM)>(e))(wParam, lParam);
      break;
    case AfxSig_is:
      r = (this->*Handler<int (CWnd::*)(LPCREATESTRUCTA)>(e))(reinterpret_cast<LPCREATESTRUCTA>(lParam));
      break;
    case AfxSig_bD: {
      CTempDC dc(reinterpret_cast<HDC>(wParam));
      r = (this->*Handler<BOOL (CWnd::*)(CDC*)>(e))(&dc);
      break;
    }
    case AfxSig_vwii:
      (this->*Handler<void (CWnd::*)(UINT, int, int)>(e))(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
      break;
    case AfxSig_vii:
      (this->*Handler<void (CWnd::*)(int, int)>(e))(static_cast<short>(LOWORD(lParam)),
                                                    static_cast<short>(HIWORD(lParam)));
      break;
    case AfxSig_vt:
      (this->*Handler<void (CWnd::*)(UINT_PTR)>(e))(static_cast<UINT_PTR>(wParam));
      break;
    case AfxSig_vwl:
      (this->*Handler<void (CWnd::*)(UINT, LPARAM)>(e))(static_cast<UINT>(wParam), lParam);
      break;
    case AfxSig_vwp:
      (this->*Handler<void (CWnd::*)(UINT, CPoint)>(e))(static_cast<UINT>(wParam), CPoint(lParam));
      break;
    case AfxSig_vW:
      (this->*Handler<void (CWnd::*)(CWnd*)>(e))(
          FromHandle(reinterpret_cast<HWND>(message == WM_CAPTURECHANGED ? static_cast<WPARAM>(lParam) : wParam)));
      break;
    case AfxSig_bWww:
      r = (this->*Handler<BOOL (CWnd::*)(CWnd*, UINT, UINT)>(e))(FromHandle(reinterpret_cast<HWND>(wParam)),
                                                                 LOWORD(lParam), HIWORD(lParam));
      break;
    case AfxSig_lp:
      r = (this->*Handler<LRESULT (CWnd::*)(CPoint)>(e))(CPoint(lParam));
      break;
    case AfxSig_vWp:
      (this->*Handler<void (CWnd::*)(CWnd*, CPoint)>(e))(FromHandle(reinterpret_cast<HWND>(wParam)), CPoint(lParam));
      break;
    case AfxSig_vwWb:
      (this->*Handler<void (CWnd::*)(UINT, CWnd*, BOOL)>(e))(LOWORD(wParam), FromHandle(reinterpret_cast<HWND>(lParam)),
                                                             HIWORD(wParam) != 0);
      break;
    case AfxSig_vbw:
      (this->*Handler<void (CWnd::*)(BOOL, UINT)>(e))(static_cast<BOOL>(wParam), static_cast<UINT>(lParam));
      break;
    case AfxSig_vwwS:
      (this->*Handler<void (CWnd::*)(UINT, UINT, CScrollBar*)>(e))(
          LOWORD(wParam), HIWORD(wParam), static_cast<CScrollBar*>(FromHandle(reinterpret_cast<HWND>(lParam))));
      break;
    case AfxSig_hDWw: {
      CTempDC dc(reinterpret_cast<HDC>(wParam));
      UINT nCtlColor = message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC ? message - WM_CTLCOLORMSGBOX : 0;
      r = reinterpret_cast<LRESULT>((this->*Handler<HBRUSH (CWnd::*)(CDC*, CWnd*, UINT)>(e))(
          &dc, FromHandle(reinterpret_cast<HWND>(lParam)), nCtlColor));
      break;
    }
    case AfxSig_vwww:
      (this->*Handler<void (CWnd::*)(UINT, UINT, UINT)>(e))(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
      break;
    case AfxSig_iWww:
      r = (this->*Handler<int (CWnd::*)(CWnd*, UINT, UINT)>(e))(FromHandle(reinterpret_cast<HWND>(wParam)),
                                                                LOWORD(lParam), HIWORD(lParam));
      break;
    case AfxSig_vMINMAX:
      (this->*Handler<void (CWnd::*)(MINMAXINFO*)>(e))(reinterpret_cast<MINMAXINFO*>(lParam));
      break;
    case AfxSig_vOWNER:
      (this->*Handler<void (CWnd::*)(int, LPDRAWITEMSTRUCT)>(e))(static_cast<int>(wParam),
                                                                 reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
      r = TRUE;
      break;
    case AfxSig_hv:
      r = reinterpret_cast<LRESULT>((this->*Handler<HCURSOR (CWnd::*)()>(e))());
      break;
    default:
      return FALSE;
  }
  *pResult = r;
  return TRUE;
}

// ---- commands, notifications, reflection ----------------------------------

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  UINT nID = LOWORD(wParam);
  HWND hWndCtrl = reinterpret_cast<HWND>(lParam);
  int nCode = HIWORD(wParam);
  if (hWndCtrl == nullptr) {
    nCode = CN_COMMAND;  // menu, accelerator or posted command
  } else if (ReflectLastMsg(hWndCtrl)) {
    return TRUE;  // the control handled its own notification
  }
  return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  NMHDR* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
  if (pNMHDR == nullptr) return FALSE;
  if (ReflectLastMsg(pNMHDR->hwndFrom, pResult)) return TRUE;
  AFX_NOTIFY notify{pResult, pNMHDR};
  UINT nID = static_cast<UINT>(pNMHDR->idFrom);
  return OnCmdMsg(nID, static_cast<int>(MAKELONG(LOWORD(pNMHDR->code), WM_NOTIFY)), &notify, nullptr);
}

BOOL CWnd::ReflectLastMsg(HWND hWndChild, LRESULT* pResult) {
  CWnd* pChild = FromHandlePermanent(hWndChild);
  return pChild != nullptr && pChild->SendChildNotifyLastMsg(pResult);
}

BOOL CWnd::SendChildNotifyLastMsg(LRESULT* pResult) {
  const MSG* m = AfxGetCurrentMessage();
  return OnChildNotify(m->message, m->wParam, m->lParam, pResult);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  UINT reflected;
  UINT nCode = 0;
  if (message == WM_COMMAND) {
    reflected = WM_REFLECT_BASE + WM_COMMAND;
    nCode = HIWORD(wParam);
  } else if (message == WM_NOTIFY) {
    reflected = WM_REFLECT_BASE + WM_NOTIFY;
    nCode = reinterpret_cast<NMHDR*>(lParam)->code;
  } else if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
    reflected = WM_REFLECT_BASE + WM_CTLCOLOR;
  } else {
    return FALSE;
  }
  for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
       map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr) {
    const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(map->lpEntries, reflected, nCode, 0);
    if (e == nullptr) continue;
    switch (e->nSig) {
      case AfxSig_vv:
        (this->*Handler<void (CWnd::*)()>(e))();
        if (pResult != nullptr) *pResult = 0;
        return TRUE;
      case AfxSig_vNMHDRpl: {
        LRESULT r = 0;
        (this->*Handler<void (CWnd::*)(NMHDR*, LRESULT*)>(e))(reinterpret_cast<NMHDR*>(lParam), &r);
        if (pResult != nullptr) *pResult = r;
        return TRUE;
      }
      case AfxSig_hDw: {
        CTempDC dc(reinterpret_cast<HDC>(wParam));
        HBRUSH hbr = (this->*Handler<HBRUSH (CWnd::*)(CDC*, UINT)>(e))(&dc, message - WM_CTLCOLORMSGBOX);
        if (hbr == nullptr) return FALSE;  // the parent decides
        if (pResult != nullptr) *pResult = reinterpret_cast<LRESULT>(hbr);
        return TRUE;
      }
      default:
        return FALSE;
    }
  }
  return FALSE;
}

BOOL CWnd::PreTranslateMessage(MSG* pMsg) { return FALSE; }

// ---- default handlers ------------------------------------------------------

int CWnd::OnCreate(LPCREATESTRUCTA) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnNcDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnMove(int, int) { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
BOOL CWnd::OnQueryEndSession() { return static_cast<BOOL>(Default()); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnCancelMode() { Default(); }
void CWnd::OnCaptureChanged(CWnd*) { Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
LRESULT CWnd::OnNcHitTest(CPoint) { return Default(); }
void CWnd::OnContextMenu(CWnd*, CPoint) { Default(); }
void CWnd::OnActivate(UINT, CWnd*, BOOL) { Default(); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnVScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
int CWnd::OnMouseActivate(CWnd*, UINT, UINT) { return static_cast<int>(Default()); }
void CWnd::OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT) { Default(); }
HCURSOR CWnd::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }

HBRUSH CWnd::OnCtlColor(CDC*, CWnd* pWnd, UINT) {
  LRESULT r = 0;
  if (pWnd != nullptr && ReflectLastMsg(pWnd->m_hWnd, &r)) return reinterpret_cast<HBRUSH>(r);
  return reinterpret_cast<HBRUSH>(Default());
}
