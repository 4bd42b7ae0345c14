// Message maps: each class that handles messages declares a table of
// entries {message, code, id range, handler signature, handler}.  The window
// procedure searches the tables from the most derived class to CCmdTarget
// and calls the handler through one dispatcher keyed by the signature.
// Win32 only.
#pragma once

#include <windows.h>

#include "framework/afxcore.h"
#include "framework/afxres.h"

class CCmdTarget;
class CCmdUI;
class CDC;
class CPoint;
class CScrollBar;
class CWnd;

// The 16-bit era's WM_CTLCOLOR: message maps file every WM_CTLCOLORxxx under
// it, the control type passed as nCtlColor (CTLCOLOR_xxx).
#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019
#endif

typedef void (CCmdTarget::*AFX_PMSG)();

// Handler signatures.  The name spells return and parameter kinds.
enum AfxSig {
  AfxSig_end = 0,
  AfxSig_vv,        // void ()
  AfxSig_bv,        // BOOL ()
  AfxSig_vw,        // void (UINT)               ON_COMMAND_RANGE
  AfxSig_bw,        // BOOL (UINT)               ON_COMMAND_EX
  AfxSig_vCmdUI,    // void (CCmdUI*)            ON_UPDATE_COMMAND_UI
  AfxSig_lwl,       // LRESULT (WPARAM, LPARAM)  ON_MESSAGE
  AfxSig_vNMHDRpl,  // void (NMHDR*, LRESULT*)   ON_NOTIFY
  AfxSig_is,        // int (LPCREATESTRUCT)
  AfxSig_bD,        // BOOL (CDC*)
  AfxSig_vwii,      // void (UINT, int, int)
  AfxSig_vt,        // void (UINT_PTR)
  AfxSig_vwl,       // void (UINT, LPARAM)
  AfxSig_vwp,       // void (UINT, CPoint)
  AfxSig_vW,        // void (CWnd*)
  AfxSig_bWww,      // BOOL (CWnd*, UINT, UINT)
  AfxSig_lp,        // LRESULT (CPoint)
  AfxSig_vWp,       // void (CWnd*, CPoint)
  AfxSig_vwWb,      // void (UINT, CWnd*, BOOL)
  AfxSig_vbw,       // void (BOOL, UINT)
  AfxSig_vwwS,      // void (UINT, UINT, CScrollBar*)
  AfxSig_hDWw,      // HBRUSH (CDC*, CWnd*, UINT)
  AfxSig_hDw,       // HBRUSH (CDC*, UINT)       reflected WM_CTLCOLOR
  AfxSig_vwww,      // void (UINT, UINT, UINT)
  AfxSig_iWww,      // int (CWnd*, UINT, UINT)
  AfxSig_vMINMAX,   // void (MINMAXINFO*)
  AfxSig_vii,       // void (int, int)
  AfxSig_vOWNER,    // void (int, LPDRAWITEMSTRUCT)
  AfxSig_hv,        // HCURSOR ()
};

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;  // WM_xxx; 0xC000 with pnRegMessage for a registered message
  UINT nCode;     // control or notification code
  UINT nID;       // control id, or the first of a range
  UINT nLastID;   // the last id of the range
  int nSig;       // AfxSig
  AFX_PMSG pfn;
  const UINT* pnRegMessage;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

// OnCmdMsg codes: commands, and notifications as MAKELONG(code, WM_NOTIFY).
#define CN_COMMAND 0
#define CN_UPDATE_COMMAND_UI (-1)

struct AFX_NOTIFY {
  LRESULT* pResult;
  NMHDR* pNMHDR;
};

// Filled by OnCmdMsg when asked only whether a handler exists.
struct AFX_CMDHANDLERINFO {
  CCmdTarget* pTarget;
  AFX_PMSG pmf;
};

// Search helper: the entry matching message, code and id, or nullptr.
const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP_ENTRY* lpEntry, UINT nMsg, UINT nCode, UINT nID);

// The base of everything that receives commands.
class CCmdTarget : public CObject {
  DECLARE_DYNAMIC(CCmdTarget)
 public:
  // Calls the handler of command nID with nCode (CN_COMMAND, a control
  // notification code, or MAKELONG(code, WM_NOTIFY) with pExtra an
  // AFX_NOTIFY*).  With pHandlerInfo only reports whether one exists.
  virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

 protected:
  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;
  friend class CWnd;
};

#define DECLARE_MESSAGE_MAP()                       \
 protected:                                         \
  static const AFX_MSGMAP* GetThisMessageMap();     \
  const AFX_MSGMAP* GetMessageMap() const override; \
                                                    \
 public:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                      \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                 \
    typedef theClass ThisClass;                                                     \
    typedef baseClass TheBaseClass;                                                 \
    static_assert(sizeof(ThisClass) > 0, "complete class");                         \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                                       \
  { 0, 0, 0, 0, AfxSig_end, nullptr, nullptr }                                                  \
  }                                                                                             \
  ;                                                                                             \
  static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
  return &messageMap;                                                                           \
  }

// Casts a handler of the given signature to the stored pointer type; the
// dispatcher casts it back.  The static_cast checks the signature.
#define AFX_HANDLER_(type, fn) reinterpret_cast<AFX_PMSG>(static_cast<type>(fn))

#define ON_COMMAND(id, memberFxn)                                                      \
  {WM_COMMAND, CN_COMMAND, (UINT)(id),                                                 \
   (UINT)(id), AfxSig_vv,  AFX_HANDLER_(void(CCmdTarget::*)(), &ThisClass::memberFxn), \
   nullptr},
#define ON_COMMAND_RANGE(id, idLast, memberFxn)                                                \
  {WM_COMMAND,     CN_COMMAND, (UINT)(id),                                                     \
   (UINT)(idLast), AfxSig_vw,  AFX_HANDLER_(void(CCmdTarget::*)(UINT), &ThisClass::memberFxn), \
   nullptr},
#define ON_COMMAND_EX(id, memberFxn)                                                       \
  {WM_COMMAND, CN_COMMAND, (UINT)(id),                                                     \
   (UINT)(id), AfxSig_bw,  AFX_HANDLER_(BOOL(CCmdTarget::*)(UINT), &ThisClass::memberFxn), \
   nullptr},
// Recorded but never sent: the launcher has no menus or toolbars to update.
#define ON_UPDATE_COMMAND_UI(id, memberFxn)                                          \
  {WM_COMMAND,    (UINT)CN_UPDATE_COMMAND_UI,                                        \
   (UINT)(id),    (UINT)(id),                                                        \
   AfxSig_vCmdUI, AFX_HANDLER_(void(CCmdTarget::*)(CCmdUI*), &ThisClass::memberFxn), \
   nullptr},
#define ON_CONTROL(wNotifyCode, id, memberFxn)                                                  \
  {WM_COMMAND, (UINT)(wNotifyCode), (UINT)(id),                                                 \
   (UINT)(id), AfxSig_vv,           AFX_HANDLER_(void(CCmdTarget::*)(), &ThisClass::memberFxn), \
   nullptr},
#define ON_CONTROL_RANGE(wNotifyCode, id, idLast, memberFxn)                                            \
  {WM_COMMAND,     (UINT)(wNotifyCode), (UINT)(id),                                                     \
   (UINT)(idLast), AfxSig_vw,           AFX_HANDLER_(void(CCmdTarget::*)(UINT), &ThisClass::memberFxn), \
   nullptr},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
// Sent only by buttons with BS_NOTIFY.
#define ON_BN_SETFOCUS(id, memberFxn) ON_CONTROL(BN_SETFOCUS, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_SETFOCUS(id, memberFxn) ON_CONTROL(CBN_SETFOCUS, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)
#define ON_NOTIFY(wNotifyCode, id, memberFxn)                                                                   \
  {WM_NOTIFY,  (UINT)(wNotifyCode), (UINT)(id),                                                                 \
   (UINT)(id), AfxSig_vNMHDRpl,     AFX_HANDLER_(void(CCmdTarget::*)(NMHDR*, LRESULT*), &ThisClass::memberFxn), \
   nullptr},
#define ON_MESSAGE(message, memberFxn)                                                                                \
  {(UINT)(message), 0, 0, 0, AfxSig_lwl, AFX_HANDLER_(LRESULT(CCmdTarget::*)(WPARAM, LPARAM), &ThisClass::memberFxn), \
   nullptr},
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn)                      \
  {0xC000,                                                                      \
   0,                                                                           \
   0,                                                                           \
   0,                                                                           \
   AfxSig_lwl,                                                                  \
   AFX_HANDLER_(LRESULT(CCmdTarget::*)(WPARAM, LPARAM), &ThisClass::memberFxn), \
   &(nMessageVariable)},

// Reflected notifications, handled by the control that sent them.
#define ON_CONTROL_REFLECT(wNotifyCode, memberFxn)             \
  {WM_REFLECT_BASE + WM_COMMAND,                               \
   (UINT)(wNotifyCode),                                        \
   0,                                                          \
   0,                                                          \
   AfxSig_vv,                                                  \
   AFX_HANDLER_(void(CCmdTarget::*)(), &ThisClass::memberFxn), \
   nullptr},
#define ON_NOTIFY_REFLECT(wNotifyCode, memberFxn)                              \
  {WM_REFLECT_BASE + WM_NOTIFY,                                                \
   (UINT)(wNotifyCode),                                                        \
   0,                                                                          \
   0,                                                                          \
   AfxSig_vNMHDRpl,                                                            \
   AFX_HANDLER_(void(CCmdTarget::*)(NMHDR*, LRESULT*), &ThisClass::memberFxn), \
   nullptr},
// HBRUSH CtlColor(CDC* pDC, UINT nCtlColor): null lets the parent decide.
#define ON_WM_CTLCOLOR_REFLECT()                                    \
  {WM_REFLECT_BASE + WM_CTLCOLOR,                                   \
   0,                                                               \
   0,                                                               \
   0,                                                               \
   AfxSig_hDw,                                                      \
   AFX_HANDLER_(HBRUSH(CWnd::*)(CDC*, UINT), &ThisClass::CtlColor), \
   nullptr},

// Window messages with their usual handler names and signatures.
#define AFX_ON_WM_(msg, sig, type, fn) {msg, 0, 0, 0, sig, AFX_HANDLER_(type, &ThisClass::fn), nullptr},
#define ON_WM_CREATE() AFX_ON_WM_(WM_CREATE, AfxSig_is, int (CWnd::*)(LPCREATESTRUCTA), OnCreate)
#define ON_WM_DESTROY() AFX_ON_WM_(WM_DESTROY, AfxSig_vv, void (CWnd::*)(), OnDestroy)
#define ON_WM_NCDESTROY() AFX_ON_WM_(WM_NCDESTROY, AfxSig_vv, void (CWnd::*)(), OnNcDestroy)
#define ON_WM_CLOSE() AFX_ON_WM_(WM_CLOSE, AfxSig_vv, void (CWnd::*)(), OnClose)
#define ON_WM_PAINT() AFX_ON_WM_(WM_PAINT, AfxSig_vv, void (CWnd::*)(), OnPaint)
#define ON_WM_ERASEBKGND() AFX_ON_WM_(WM_ERASEBKGND, AfxSig_bD, BOOL (CWnd::*)(CDC*), OnEraseBkgnd)
#define ON_WM_SIZE() AFX_ON_WM_(WM_SIZE, AfxSig_vwii, void (CWnd::*)(UINT, int, int), OnSize)
#define ON_WM_MOVE() AFX_ON_WM_(WM_MOVE, AfxSig_vii, void (CWnd::*)(int, int), OnMove)
#define ON_WM_TIMER() AFX_ON_WM_(WM_TIMER, AfxSig_vt, void (CWnd::*)(UINT_PTR), OnTimer)
#define ON_WM_SYSCOMMAND() AFX_ON_WM_(WM_SYSCOMMAND, AfxSig_vwl, void (CWnd::*)(UINT, LPARAM), OnSysCommand)
#define ON_WM_QUERYENDSESSION() AFX_ON_WM_(WM_QUERYENDSESSION, AfxSig_bv, BOOL (CWnd::*)(), OnQueryEndSession)
#define ON_WM_LBUTTONDOWN() AFX_ON_WM_(WM_LBUTTONDOWN, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_ON_WM_(WM_LBUTTONUP, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() AFX_ON_WM_(WM_LBUTTONDBLCLK, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() AFX_ON_WM_(WM_RBUTTONDOWN, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnRButtonDown)
#define ON_WM_RBUTTONUP() AFX_ON_WM_(WM_RBUTTONUP, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnRButtonUp)
#define ON_WM_MOUSEMOVE() AFX_ON_WM_(WM_MOUSEMOVE, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnMouseMove)
#define ON_WM_CANCELMODE() AFX_ON_WM_(WM_CANCELMODE, AfxSig_vv, void (CWnd::*)(), OnCancelMode)
#define ON_WM_CAPTURECHANGED() AFX_ON_WM_(WM_CAPTURECHANGED, AfxSig_vW, void (CWnd::*)(CWnd*), OnCaptureChanged)
#define ON_WM_SETCURSOR() AFX_ON_WM_(WM_SETCURSOR, AfxSig_bWww, BOOL (CWnd::*)(CWnd*, UINT, UINT), OnSetCursor)
#define ON_WM_NCHITTEST() AFX_ON_WM_(WM_NCHITTEST, AfxSig_lp, LRESULT (CWnd::*)(CPoint), OnNcHitTest)
#define ON_WM_CONTEXTMENU() AFX_ON_WM_(WM_CONTEXTMENU, AfxSig_vWp, void (CWnd::*)(CWnd*, CPoint), OnContextMenu)
#define ON_WM_ACTIVATE() AFX_ON_WM_(WM_ACTIVATE, AfxSig_vwWb, void (CWnd::*)(UINT, CWnd*, BOOL), OnActivate)
#define ON_WM_SHOWWINDOW() AFX_ON_WM_(WM_SHOWWINDOW, AfxSig_vbw, void (CWnd::*)(BOOL, UINT), OnShowWindow)
#define ON_WM_HSCROLL() AFX_ON_WM_(WM_HSCROLL, AfxSig_vwwS, void (CWnd::*)(UINT, UINT, CScrollBar*), OnHScroll)
#define ON_WM_VSCROLL() AFX_ON_WM_(WM_VSCROLL, AfxSig_vwwS, void (CWnd::*)(UINT, UINT, CScrollBar*), OnVScroll)
// HBRUSH OnCtlColor(CDC*, CWnd*, UINT nCtlColor): every WM_CTLCOLORxxx.
#define ON_WM_CTLCOLOR() AFX_ON_WM_(WM_CTLCOLOR, AfxSig_hDWw, HBRUSH (CWnd::*)(CDC*, CWnd*, UINT), OnCtlColor)
#define ON_WM_KEYDOWN() AFX_ON_WM_(WM_KEYDOWN, AfxSig_vwww, void (CWnd::*)(UINT, UINT, UINT), OnKeyDown)
#define ON_WM_KEYUP() AFX_ON_WM_(WM_KEYUP, AfxSig_vwww, void (CWnd::*)(UINT, UINT, UINT), OnKeyUp)
#define ON_WM_CHAR() AFX_ON_WM_(WM_CHAR, AfxSig_vwww, void (CWnd::*)(UINT, UINT, UINT), OnChar)
#define ON_WM_SETFOCUS() AFX_ON_WM_(WM_SETFOCUS, AfxSig_vW, void (CWnd::*)(CWnd*), OnSetFocus)
#define ON_WM_KILLFOCUS() AFX_ON_WM_(WM_KILLFOCUS, AfxSig_vW, void (CWnd::*)(CWnd*), OnKillFocus)
#define ON_WM_MOUSEACTIVATE() \
  AFX_ON_WM_(WM_MOUSEACTIVATE, AfxSig_iWww, int (CWnd::*)(CWnd*, UINT, UINT), OnMouseActivate)
#define ON_WM_GETMINMAXINFO() AFX_ON_WM_(WM_GETMINMAXINFO, AfxSig_vMINMAX, void (CWnd::*)(MINMAXINFO*), OnGetMinMaxInfo)
#define ON_WM_DRAWITEM() AFX_ON_WM_(WM_DRAWITEM, AfxSig_vOWNER, void (CWnd::*)(int, LPDRAWITEMSTRUCT), OnDrawItem)
#define ON_WM_QUERYDRAGICON() AFX_ON_WM_(WM_QUERYDRAGICON, AfxSig_hv, HCURSOR (CWnd::*)(), OnQueryDragIcon)
