// GDI objects, device contexts and menus.
#include <windows.h>

#include <cstdlib>

#include "framework/afxgdi.h"
#include "framework/afxwnd.h"
#include "framework/handlemap_win.h"

IMPLEMENT_DYNAMIC(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CRgn, CGdiObject)
IMPLEMENT_DYNAMIC(CDC, CObject)
IMPLEMENT_DYNAMIC(CPaintDC, CDC)
IMPLEMENT_DYNAMIC(CClientDC, CDC)
IMPLEMENT_DYNAMIC(CWindowDC, CDC)
IMPLEMENT_DYNAMIC(CMenu, CObject)

void CRect::NormalizeRect() {
  if (left > right) {
    LONG t = left;
    left = right;
    right = t;
  }
  if (top > bottom) {
    LONG t = top;
    top = bottom;
    bottom = t;
  }
}

// ---- GDI objects -----------------------------------------------------------

BOOL CGdiObject::Attach(HGDIOBJ h) {
  if (h == nullptr) return FALSE;
  DeleteObject();
  m_hObject = h;
  return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
  HGDIOBJ h = m_hObject;
  m_hObject = nullptr;
  return h;
}

BOOL CGdiObject::DeleteObject() {
  if (m_hObject == nullptr) return FALSE;
  HGDIOBJ h = Detach();
  return ::DeleteObject(h);  // harmless for stock objects
}

BOOL CGdiObject::CreateStockObject(int nIndex) { return Attach(::GetStockObject(nIndex)); }

CGdiObject* CGdiObject::FromHandle(HGDIOBJ h) { return h == nullptr ? nullptr : afx_internal::TempGdiObject(h); }

BOOL CFont::CreateFontIndirect(const LOGFONTA* lpLogFont) {
  return lpLogFont != nullptr && Attach(::CreateFontIndirectA(lpLogFont));
}

BOOL CFont::CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                       BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                       BYTE nQuality, BYTE nPitchAndFamily, LPCSTR lpszFacename) {
  return Attach(::CreateFontA(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic, bUnderline, cStrikeOut,
                              nCharSet, nOutPrecision, nClipPrecision, nQuality, nPitchAndFamily, lpszFacename));
}

BOOL CFont::CreatePointFont(int nPointSize, LPCSTR lpszFaceName, CDC* pDC) {
  LOGFONTA lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfHeight = nPointSize;
  if (lpszFaceName != nullptr) ::lstrcpynA(lf.lfFaceName, lpszFaceName, LF_FACESIZE);
  return CreatePointFontIndirect(&lf, pDC);
}

BOOL CFont::CreatePointFontIndirect(const LOGFONTA* lpLogFont, CDC* pDC) {
  if (lpLogFont == nullptr) return FALSE;
  HDC hDC = pDC != nullptr ? pDC->m_hDC : ::GetDC(nullptr);
  // Tenths of a point to device pixels (72 points an inch), then to the
  // DC's logical units; negative: a character height, not a cell height.
  LOGFONTA lf = *lpLogFont;
  POINT pt = {0, ::MulDiv(::GetDeviceCaps(hDC, LOGPIXELSY), std::abs(static_cast<int>(lf.lfHeight)), 720)};
  POINT org = {0, 0};
  ::DPtoLP(hDC, &pt, 1);
  ::DPtoLP(hDC, &org, 1);
  lf.lfHeight = -std::abs(static_cast<int>(pt.y - org.y));
  if (pDC == nullptr) ::ReleaseDC(nullptr, hDC);
  return CreateFontIndirect(&lf);
}

BOOL CBitmap::LoadBitmap(UINT nIDResource) {
  return Attach(::LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource)));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight) {
  return pDC != nullptr && Attach(::CreateCompatibleBitmap(pDC->m_hDC, nWidth, nHeight));
}

// ---- device contexts -------------------------------------------------------

CDC::~CDC() {
  if (m_bOwnDC && m_hDC != nullptr) ::DeleteDC(m_hDC);
}

BOOL CDC::Attach(HDC hDC) {
  if (hDC == nullptr || m_hDC != nullptr) return FALSE;
  m_hDC = m_hAttribDC = hDC;
  m_bOwnDC = FALSE;
  return TRUE;
}

HDC CDC::Detach() {
  HDC h = m_hDC;
  m_hDC = m_hAttribDC = nullptr;
  m_bOwnDC = FALSE;
  return h;
}

BOOL CDC::CreateCompatibleDC(CDC* pDC) {
  if (m_hDC != nullptr) return FALSE;
  HDC h = ::CreateCompatibleDC(pDC != nullptr ? pDC->m_hDC : nullptr);
  if (h == nullptr) return FALSE;
  m_hDC = m_hAttribDC = h;
  m_bOwnDC = TRUE;
  return TRUE;
}

BOOL CDC::DeleteDC() {
  if (m_hDC == nullptr) return FALSE;
  HDC h = Detach();
  return ::DeleteDC(h);
}

CDC* CDC::FromHandle(HDC hDC) { return hDC == nullptr ? nullptr : afx_internal::TempDC(hDC); }

CGdiObject* CDC::SelectObject(CGdiObject* pObject) {
  if (pObject == nullptr || pObject->m_hObject == nullptr) return nullptr;
  return CGdiObject::FromHandle(::SelectObject(m_hDC, pObject->m_hObject));
}

CFont* CDC::SelectObject(CFont* pFont) { return static_cast<CFont*>(SelectObject(static_cast<CGdiObject*>(pFont))); }
CBrush* CDC::SelectObject(CBrush* pBrush) {
  return static_cast<CBrush*>(SelectObject(static_cast<CGdiObject*>(pBrush)));
}
CPen* CDC::SelectObject(CPen* pPen) { return static_cast<CPen*>(SelectObject(static_cast<CGdiObject*>(pPen))); }
CBitmap* CDC::SelectObject(CBitmap* pBitmap) {
  return static_cast<CBitmap*>(SelectObject(static_cast<CGdiObject*>(pBitmap)));
}

CGdiObject* CDC::SelectStockObject(int nIndex) {
  HGDIOBJ h = ::GetStockObject(nIndex);
  return h == nullptr ? nullptr : CGdiObject::FromHandle(::SelectObject(m_hDC, h));
}

CSize CDC::GetTextExtent(LPCSTR lpszString, int nCount) const {
  SIZE size = {0, 0};
  if (lpszString != nullptr && nCount > 0) ::GetTextExtentPoint32A(m_hDC, lpszString, nCount, &size);
  return CSize(size);
}

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF color) {
  ::SetBkColor(m_hDC, color);
  ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, lpRect, nullptr, 0, nullptr);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color) {
  RECT r = {x, y, x + cx, y + cy};
  FillSolidRect(&r, color);
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd) { Attach(::BeginPaint(m_hWnd, &m_ps)); }

CPaintDC::~CPaintDC() {
  ::EndPaint(m_hWnd, &m_ps);
  Detach();
}

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd != nullptr ? pWnd->m_hWnd : nullptr) { Attach(::GetDC(m_hWnd)); }

CClientDC::~CClientDC() {
  HDC h = Detach();
  if (h != nullptr) ::ReleaseDC(m_hWnd, h);
}

CWindowDC::CWindowDC(CWnd* pWnd) : m_hWnd(pWnd != nullptr ? pWnd->m_hWnd : nullptr) { Attach(::GetWindowDC(m_hWnd)); }

CWindowDC::~CWindowDC() {
  HDC h = Detach();
  if (h != nullptr) ::ReleaseDC(m_hWnd, h);
}

// ---- menus -----------------------------------------------------------------

BOOL CMenu::Attach(HMENU hMenu) {
  if (hMenu == nullptr || m_hMenu != nullptr) return FALSE;
  m_hMenu = hMenu;
  return TRUE;
}

HMENU CMenu::Detach() {
  HMENU h = m_hMenu;
  m_hMenu = nullptr;
  return h;
}

BOOL CMenu::DestroyMenu() {
  if (m_hMenu == nullptr) return FALSE;
  return ::DestroyMenu(Detach());
}

BOOL CMenu::LoadMenu(UINT nIDResource) {
  if (m_hMenu != nullptr) return FALSE;
  return Attach(::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource)));
}

CMenu* CMenu::FromHandle(HMENU hMenu) { return hMenu == nullptr ? nullptr : afx_internal::TempMenu(hMenu); }

CMenu* CMenu::GetSubMenu(int nPos) const { return FromHandle(::GetSubMenu(m_hMenu, nPos)); }

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect) {
  return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, pWnd != nullptr ? pWnd->m_hWnd : nullptr, lpRect);
}

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const {
  int n = ::GetMenuStringA(m_hMenu, nIDItem, nullptr, 0, nFlags);
  if (n <= 0) {
    rString.Empty();
    return 0;
  }
  int got = ::GetMenuStringA(m_hMenu, nIDItem, rString.GetBuffer(n), n + 1, nFlags);
  rString.ReleaseBuffer(got >= 0 ? got : 0);
  return rString.GetLength();
}
