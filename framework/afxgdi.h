// Geometry helpers and thin owners of GDI objects, device contexts and
// menus.  Win32 only.
#pragma once

#include <windows.h>

#include "framework/afxcore.h"
#include "framework/afxcore_win.h"

class CPoint;
class CSize;

class CSize : public tagSIZE {
 public:
  CSize() {
    cx = 0;
    cy = 0;
  }
  CSize(int x, int y) {
    cx = x;
    cy = y;
  }
  CSize(SIZE s) {
    cx = s.cx;
    cy = s.cy;
  }  // NOLINT
  bool operator==(SIZE s) const { return cx == s.cx && cy == s.cy; }
  bool operator!=(SIZE s) const { return !(*this == s); }
  CSize& operator+=(SIZE s) {
    cx += s.cx;
    cy += s.cy;
    return *this;
  }
  CSize& operator-=(SIZE s) {
    cx -= s.cx;
    cy -= s.cy;
    return *this;
  }
  CSize operator+(SIZE s) const { return CSize(cx + s.cx, cy + s.cy); }
  CSize operator-(SIZE s) const { return CSize(cx - s.cx, cy - s.cy); }
  CSize operator-() const { return CSize(-cx, -cy); }
};

class CPoint : public tagPOINT {
 public:
  CPoint() {
    x = 0;
    y = 0;
  }
  CPoint(int px, int py) {
    x = px;
    y = py;
  }
  CPoint(POINT p) {
    x = p.x;
    y = p.y;
  }  // NOLINT
  // From a mouse-message LPARAM: signed 16-bit coordinates.
  explicit CPoint(LPARAM lParam) {
    x = static_cast<short>(LOWORD(lParam));
    y = static_cast<short>(HIWORD(lParam));
  }
  void Offset(int dx, int dy) {
    x += dx;
    y += dy;
  }
  void Offset(POINT p) {
    x += p.x;
    y += p.y;
  }
  bool operator==(POINT p) const { return x == p.x && y == p.y; }
  bool operator!=(POINT p) const { return !(*this == p); }
  CPoint& operator+=(POINT p) {
    x += p.x;
    y += p.y;
    return *this;
  }
  CPoint& operator-=(POINT p) {
    x -= p.x;
    y -= p.y;
    return *this;
  }
  CPoint& operator+=(SIZE s) {
    x += s.cx;
    y += s.cy;
    return *this;
  }
  CPoint& operator-=(SIZE s) {
    x -= s.cx;
    y -= s.cy;
    return *this;
  }
  CPoint operator+(POINT p) const { return CPoint(x + p.x, y + p.y); }
  CPoint operator-(POINT p) const { return CPoint(x - p.x, y - p.y); }
  CPoint operator+(SIZE s) const { return CPoint(x + s.cx, y + s.cy); }
  CPoint operator-(SIZE s) const { return CPoint(x - s.cx, y - s.cy); }
  CPoint operator-() const { return CPoint(-x, -y); }
};

class CRect : public tagRECT {
 public:
  CRect() { left = top = right = bottom = 0; }
  CRect(int l, int t, int r, int b) {
    left = l;
    top = t;
    right = r;
    bottom = b;
  }
  CRect(const RECT& r) { ::CopyRect(this, &r); }  // NOLINT
  CRect(const RECT* r) {
    if (r != nullptr)
      ::CopyRect(this, r);
    else
      left = top = right = bottom = 0;
  }  // NOLINT
  CRect(POINT topLeft, SIZE size) {
    left = topLeft.x;
    top = topLeft.y;
    right = left + size.cx;
    bottom = top + size.cy;
  }
  CRect(POINT topLeft, POINT bottomRight) {
    left = topLeft.x;
    top = topLeft.y;
    right = bottomRight.x;
    bottom = bottomRight.y;
  }

  operator LPRECT() { return this; }         // NOLINT
  operator LPCRECT() const { return this; }  // NOLINT

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  CSize Size() const { return CSize(Width(), Height()); }
  CPoint TopLeft() const { return CPoint(left, top); }
  CPoint BottomRight() const { return CPoint(right, bottom); }
  CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }
  BOOL IsRectEmpty() const { return ::IsRectEmpty(this); }
  BOOL IsRectNull() const { return left == 0 && right == 0 && top == 0 && bottom == 0; }
  BOOL PtInRect(POINT p) const { return ::PtInRect(this, p); }
  void SetRect(int l, int t, int r, int b) { ::SetRect(this, l, t, r, b); }
  void SetRectEmpty() { ::SetRectEmpty(this); }
  void CopyRect(LPCRECT r) { ::CopyRect(this, r); }
  BOOL EqualRect(LPCRECT r) const { return ::EqualRect(this, r); }
  void InflateRect(int dx, int dy) { ::InflateRect(this, dx, dy); }
  void InflateRect(int l, int t, int r, int b) {
    left -= l;
    top -= t;
    right += r;
    bottom += b;
  }
  void DeflateRect(int dx, int dy) { ::InflateRect(this, -dx, -dy); }
  void DeflateRect(int l, int t, int r, int b) {
    left += l;
    top += t;
    right -= r;
    bottom -= b;
  }
  void OffsetRect(int dx, int dy) { ::OffsetRect(this, dx, dy); }
  void OffsetRect(POINT p) { ::OffsetRect(this, p.x, p.y); }
  void OffsetRect(SIZE s) { ::OffsetRect(this, s.cx, s.cy); }
  void MoveToXY(int x, int y) { OffsetRect(x - left, y - top); }
  void NormalizeRect();
  BOOL IntersectRect(LPCRECT a, LPCRECT b) { return ::IntersectRect(this, a, b); }
  BOOL UnionRect(LPCRECT a, LPCRECT b) { return ::UnionRect(this, a, b); }

  bool operator==(const RECT& r) const { return ::EqualRect(this, &r) != FALSE; }
  bool operator!=(const RECT& r) const { return !(*this == r); }
  CRect& operator+=(POINT p) {
    OffsetRect(p);
    return *this;
  }
  CRect& operator-=(POINT p) {
    OffsetRect(-p.x, -p.y);
    return *this;
  }
  CRect& operator&=(const RECT& r) {
    ::IntersectRect(this, this, &r);
    return *this;
  }
  CRect& operator|=(const RECT& r) {
    ::UnionRect(this, this, &r);
    return *this;
  }
  CRect operator+(POINT p) const {
    CRect r(*this);
    r.OffsetRect(p);
    return r;
  }
  CRect operator-(POINT p) const {
    CRect r(*this);
    r.OffsetRect(-p.x, -p.y);
    return r;
  }
  CRect operator&(const RECT& o) const {
    CRect r;
    ::IntersectRect(&r, this, &o);
    return r;
  }
  CRect operator|(const RECT& o) const {
    CRect r;
    ::UnionRect(&r, this, &o);
    return r;
  }
};

// Owner of one GDI object: deletes it on destruction unless detached.
class CGdiObject : public CObject {
  DECLARE_DYNAMIC(CGdiObject)
 public:
  CGdiObject() = default;
  ~CGdiObject() override { DeleteObject(); }
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;

  HGDIOBJ m_hObject = nullptr;

  HGDIOBJ GetSafeHandle() const { return m_hObject; }
  operator HGDIOBJ() const { return m_hObject; }  // NOLINT
  BOOL Attach(HGDIOBJ h);
  HGDIOBJ Detach();
  // Deletes the object; FALSE when none was held.
  BOOL DeleteObject();
  int GetObject(int nCount, LPVOID lpObject) const { return ::GetObjectA(m_hObject, nCount, lpObject); }
  BOOL CreateStockObject(int nIndex);
  // A temporary wrapper of h (not owning; freed at idle time).
  static CGdiObject* FromHandle(HGDIOBJ h);
};

class CFont : public CGdiObject {
  DECLARE_DYNAMIC(CFont)
 public:
  operator HFONT() const { return static_cast<HFONT>(m_hObject); }  // NOLINT
  BOOL CreateFontIndirect(const LOGFONTA* lpLogFont);
  BOOL CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                  BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                  BYTE nQuality, BYTE nPitchAndFamily, LPCSTR lpszFacename);
  // nPointSize in tenths of a point, converted for pDC (the screen when
  // null).
  BOOL CreatePointFont(int nPointSize, LPCSTR lpszFaceName, class CDC* pDC = nullptr);
  // As CreateFontIndirect, lfHeight being tenths of a point (its sign is
  // ignored).
  BOOL CreatePointFontIndirect(const LOGFONTA* lpLogFont, class CDC* pDC = nullptr);
  int GetLogFont(LOGFONTA* pLogFont) const { return GetObject(sizeof(LOGFONTA), pLogFont); }
  static CFont* FromHandle(HFONT h) { return static_cast<CFont*>(CGdiObject::FromHandle(h)); }
};

class CBrush : public CGdiObject {
  DECLARE_DYNAMIC(CBrush)
 public:
  CBrush() = default;
  explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
  operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }  // NOLINT
  BOOL CreateSolidBrush(COLORREF color) { return Attach(::CreateSolidBrush(color)); }
  BOOL CreateSysColorBrush(int nIndex) { return Attach(::GetSysColorBrush(nIndex)); }
  static CBrush* FromHandle(HBRUSH h) { return static_cast<CBrush*>(CGdiObject::FromHandle(h)); }
};

class CPen : public CGdiObject {
  DECLARE_DYNAMIC(CPen)
 public:
  CPen() = default;
  CPen(int nPenStyle, int nWidth, COLORREF color) { CreatePen(nPenStyle, nWidth, color); }
  operator HPEN() const { return static_cast<HPEN>(m_hObject); }  // NOLINT
  BOOL CreatePen(int nPenStyle, int nWidth, COLORREF color) { return Attach(::CreatePen(nPenStyle, nWidth, color)); }
  static CPen* FromHandle(HPEN h) { return static_cast<CPen*>(CGdiObject::FromHandle(h)); }
};

class CBitmap : public CGdiObject {
  DECLARE_DYNAMIC(CBitmap)
 public:
  operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }  // NOLINT
  BOOL LoadBitmap(UINT nIDResource);
  BOOL CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void* lpBits) {
    return Attach(::CreateBitmap(nWidth, nHeight, nPlanes, nBitcount, lpBits));
  }
  BOOL CreateCompatibleBitmap(class CDC* pDC, int nWidth, int nHeight);
  int GetBitmap(BITMAP* pBitMap) const { return GetObject(sizeof(BITMAP), pBitMap); }
  static CBitmap* FromHandle(HBITMAP h) { return static_cast<CBitmap*>(CGdiObject::FromHandle(h)); }
};

class CRgn : public CGdiObject {
  DECLARE_DYNAMIC(CRgn)
 public:
  operator HRGN() const { return static_cast<HRGN>(m_hObject); }  // NOLINT
  BOOL CreateRectRgn(int x1, int y1, int x2, int y2) { return Attach(::CreateRectRgn(x1, y1, x2, y2)); }
  BOOL CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3) {
    return Attach(::CreateRoundRectRgn(x1, y1, x2, y2, x3, y3));
  }
  BOOL PtInRegion(int x, int y) const { return ::PtInRegion(static_cast<HRGN>(m_hObject), x, y); }
  static CRgn* FromHandle(HRGN h) { return static_cast<CRgn*>(CGdiObject::FromHandle(h)); }
};

class CWnd;

// A device context.  Owns m_hDC only when made by CreateDC or
// CreateCompatibleDC (DeleteDC on destruction); Attach'ed handles are
// released by whoever obtained them.
class CDC : public CObject {
  DECLARE_DYNAMIC(CDC)
 public:
  CDC() = default;
  ~CDC() override;
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  HDC m_hDC = nullptr;
  HDC m_hAttribDC = nullptr;

  HDC GetSafeHdc() const { return m_hDC; }
  operator HDC() const { return m_hDC; }  // NOLINT
  BOOL Attach(HDC hDC);
  HDC Detach();
  BOOL CreateCompatibleDC(CDC* pDC);
  BOOL DeleteDC();
  static CDC* FromHandle(HDC hDC);

  CGdiObject* SelectObject(CGdiObject* pObject);
  CFont* SelectObject(CFont* pFont);
  CBrush* SelectObject(CBrush* pBrush);
  CPen* SelectObject(CPen* pPen);
  CBitmap* SelectObject(CBitmap* pBitmap);
  HGDIOBJ SelectObject(HGDIOBJ hObject) { return ::SelectObject(m_hDC, hObject); }
  CGdiObject* SelectStockObject(int nIndex);

  BOOL BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, DWORD dwRop) {
    return ::BitBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC != nullptr ? pSrcDC->m_hDC : nullptr, xSrc, ySrc, dwRop);
  }
  BOOL StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, int nSrcWidth, int nSrcHeight,
                  DWORD dwRop) {
    return ::StretchBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC != nullptr ? pSrcDC->m_hDC : nullptr, xSrc, ySrc,
                        nSrcWidth, nSrcHeight, dwRop);
  }
  BOOL PatBlt(int x, int y, int nWidth, int nHeight, DWORD dwRop) {
    return ::PatBlt(m_hDC, x, y, nWidth, nHeight, dwRop);
  }
  BOOL TextOut(int x, int y, LPCSTR lpszString, int nCount) { return ::TextOutA(m_hDC, x, y, lpszString, nCount); }
  BOOL TextOut(int x, int y, const CString& str) { return ::TextOutA(m_hDC, x, y, str.GetString(), str.GetLength()); }
  int DrawText(LPCSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat) {
    return ::DrawTextA(m_hDC, lpszString, nCount, lpRect, nFormat);
  }
  int DrawText(const CString& str, LPRECT lpRect, UINT nFormat) {
    return ::DrawTextA(m_hDC, str.GetString(), str.GetLength(), lpRect, nFormat);
  }
  CSize GetTextExtent(LPCSTR lpszString, int nCount) const;
  CSize GetTextExtent(const CString& str) const { return GetTextExtent(str.GetString(), str.GetLength()); }
  BOOL GetTextMetrics(LPTEXTMETRICA lpMetrics) const { return ::GetTextMetricsA(m_hDC, lpMetrics); }
  COLORREF SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
  COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
  COLORREF SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }
  COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
  int SetBkMode(int nBkMode) { return ::SetBkMode(m_hDC, nBkMode); }
  UINT SetTextAlign(UINT nFlags) { return ::SetTextAlign(m_hDC, nFlags); }
  // Fills with a solid colour (the background colour is left set to it).
  void FillSolidRect(LPCRECT lpRect, COLORREF color);
  void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
  void FillRect(LPCRECT lpRect, CBrush* pBrush) {
    ::FillRect(m_hDC, lpRect, static_cast<HBRUSH>(pBrush != nullptr ? pBrush->m_hObject : nullptr));
  }
  BOOL FillRgn(CRgn* pRgn, CBrush* pBrush) {
    return ::FillRgn(m_hDC, static_cast<HRGN>(pRgn->m_hObject), static_cast<HBRUSH>(pBrush->m_hObject));
  }
  BOOL FrameRgn(CRgn* pRgn, CBrush* pBrush, int nWidth, int nHeight) {
    return ::FrameRgn(m_hDC, static_cast<HRGN>(pRgn->m_hObject), static_cast<HBRUSH>(pBrush->m_hObject), nWidth,
                      nHeight);
  }
  BOOL ExtTextOut(int x, int y, UINT nOptions, LPCRECT lpRect, LPCSTR lpszString, UINT nCount, LPINT lpDxWidths) {
    return ::ExtTextOutA(m_hDC, x, y, nOptions, lpRect, lpszString, nCount, lpDxWidths);
  }
  void FrameRect(LPCRECT lpRect, CBrush* pBrush) {
    ::FrameRect(m_hDC, lpRect, static_cast<HBRUSH>(pBrush != nullptr ? pBrush->m_hObject : nullptr));
  }
  BOOL Rectangle(int x1, int y1, int x2, int y2) { return ::Rectangle(m_hDC, x1, y1, x2, y2); }
  BOOL Rectangle(LPCRECT r) { return ::Rectangle(m_hDC, r->left, r->top, r->right, r->bottom); }
  CPoint MoveTo(int x, int y) {
    POINT p{};
    ::MoveToEx(m_hDC, x, y, &p);
    return CPoint(p);
  }
  BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
  COLORREF SetPixel(int x, int y, COLORREF color) { return ::SetPixel(m_hDC, x, y, color); }
  COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
  BOOL DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }
  int GetDeviceCaps(int nIndex) const { return ::GetDeviceCaps(m_hDC, nIndex); }
  int SaveDC() { return ::SaveDC(m_hDC); }
  BOOL RestoreDC(int nSavedDC) { return ::RestoreDC(m_hDC, nSavedDC); }
  int SetMapMode(int nMapMode) { return ::SetMapMode(m_hDC, nMapMode); }
  CPoint SetViewportOrg(int x, int y) {
    POINT p{};
    ::SetViewportOrgEx(m_hDC, x, y, &p);
    return CPoint(p);
  }
  CPoint SetWindowOrg(int x, int y) {
    POINT p{};
    ::SetWindowOrgEx(m_hDC, x, y, &p);
    return CPoint(p);
  }
  int IntersectClipRect(int l, int t, int r, int b) { return ::IntersectClipRect(m_hDC, l, t, r, b); }
  int IntersectClipRect(LPCRECT r) { return ::IntersectClipRect(m_hDC, r->left, r->top, r->right, r->bottom); }
  int ExcludeClipRect(int l, int t, int r, int b) { return ::ExcludeClipRect(m_hDC, l, t, r, b); }
  int GetClipBox(LPRECT lpRect) const { return ::GetClipBox(m_hDC, lpRect); }
  int SelectClipRgn(HRGN hRgn) { return ::SelectClipRgn(m_hDC, hRgn); }
  BOOL DPtoLP(LPPOINT lpPoints, int nCount = 1) const { return ::DPtoLP(m_hDC, lpPoints, nCount); }
  BOOL LPtoDP(LPPOINT lpPoints, int nCount = 1) const { return ::LPtoDP(m_hDC, lpPoints, nCount); }
  int SetStretchBltMode(int nMode) { return ::SetStretchBltMode(m_hDC, nMode); }
  int SetDIBitsToDevice(int x, int y, DWORD dx, DWORD dy, int xSrc, int ySrc, UINT uStartScan, UINT cScanLines,
                        const void* lpvBits, const BITMAPINFO* lpbmi, UINT fuColorUse) {
    return ::SetDIBitsToDevice(m_hDC, x, y, dx, dy, xSrc, ySrc, uStartScan, cScanLines, lpvBits, lpbmi, fuColorUse);
  }
  int StretchDIBits(int x, int y, int dx, int dy, int xSrc, int ySrc, int srcW, int srcH, const void* lpBits,
                    const BITMAPINFO* lpbmi, UINT iUsage, DWORD rop) {
    return ::StretchDIBits(m_hDC, x, y, dx, dy, xSrc, ySrc, srcW, srcH, lpBits, lpbmi, iUsage, rop);
  }

 protected:
  BOOL m_bOwnDC = FALSE;  // DeleteDC on destruction
};

// BeginPaint / EndPaint for a WM_PAINT handler.
class CPaintDC : public CDC {
  DECLARE_DYNAMIC(CPaintDC)
 public:
  explicit CPaintDC(CWnd* pWnd);
  ~CPaintDC() override;
  PAINTSTRUCT m_ps{};

 protected:
  HWND m_hWnd;
};

// GetDC / ReleaseDC of a window's client area.
class CClientDC : public CDC {
  DECLARE_DYNAMIC(CClientDC)
 public:
  explicit CClientDC(CWnd* pWnd);
  ~CClientDC() override;

 protected:
  HWND m_hWnd;
};

// GetWindowDC / ReleaseDC: the whole window, non-client area included.
class CWindowDC : public CDC {
  DECLARE_DYNAMIC(CWindowDC)
 public:
  explicit CWindowDC(CWnd* pWnd);
  ~CWindowDC() override;

 protected:
  HWND m_hWnd;
};

// Owner of a menu handle: destroyed on destruction unless detached.
class CMenu : public CObject {
  DECLARE_DYNAMIC(CMenu)
 public:
  CMenu() = default;
  ~CMenu() override { DestroyMenu(); }
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;

  HMENU m_hMenu = nullptr;

  HMENU GetSafeHmenu() const { return m_hMenu; }
  operator HMENU() const { return m_hMenu; }  // NOLINT
  BOOL Attach(HMENU hMenu);
  HMENU Detach();
  BOOL DestroyMenu();
  BOOL LoadMenu(UINT nIDResource);
  BOOL CreateMenu() { return Attach(::CreateMenu()); }
  BOOL CreatePopupMenu() { return Attach(::CreatePopupMenu()); }
  static CMenu* FromHandle(HMENU hMenu);

  CMenu* GetSubMenu(int nPos) const;
  BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect = nullptr);
  BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = nullptr) {
    return ::AppendMenuA(m_hMenu, nFlags, nIDNewItem, lpszNewItem);
  }
  BOOL InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = nullptr) {
    return ::InsertMenuA(m_hMenu, nPosition, nFlags, nIDNewItem, lpszNewItem);
  }
  BOOL RemoveMenu(UINT nPosition, UINT nFlags) { return ::RemoveMenu(m_hMenu, nPosition, nFlags); }
  BOOL DeleteMenu(UINT nPosition, UINT nFlags) { return ::DeleteMenu(m_hMenu, nPosition, nFlags); }
  UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable) { return ::EnableMenuItem(m_hMenu, nIDEnableItem, nEnable); }
  UINT CheckMenuItem(UINT nIDCheckItem, UINT nCheck) { return ::CheckMenuItem(m_hMenu, nIDCheckItem, nCheck); }
  int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
  UINT GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }
  UINT GetMenuState(UINT nID, UINT nFlags) const { return ::GetMenuState(m_hMenu, nID, nFlags); }
  int GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const;
};
