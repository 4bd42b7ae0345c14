#include "skin/link_static.h"

#include <shellapi.h>

#include <cstring>

#include "res/resource.h"
#include "skin/link_text.h"

IMPLEMENT_DYNCREATE(CLinkURLStatic, CStatic)

BEGIN_MESSAGE_MAP(CLinkURLStatic, CStatic)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
ON_WM_CONTEXTMENU()
ON_WM_SETCURSOR()
ON_WM_NCHITTEST()
ON_WM_CTLCOLOR_REFLECT()
ON_COMMAND(ID_EDIT_COPY, OnCopyURL)
ON_MESSAGE(WM_SETFONT, OnSetFont)
ON_MESSAGE(WM_GETFONT, OnGetFont)
END_MESSAGE_MAP()

namespace {

// The text measured over a DC with the link's font selected.
class CLinkMeasure : public CTextWrapTarget {
 public:
  explicit CLinkMeasure(HDC dc) : m_dc(dc) {}
  bool IsLeadByte(uint8_t b) override { return ::IsDBCSLeadByte(b) != FALSE; }
  void Measure(const char* ch, int n, int* w, int* h) override {
    SIZE size = {0, 0};
    ::GetTextExtentPoint32A(m_dc, ch, n, &size);
    *w = size.cx;
    *h = size.cy;
  }
  void DrawChar(int, int, const char*, int) override {}

 private:
  HDC m_dc;
};

}  // namespace

void CLinkURLStatic::PreSubclassWindow() {
  CStatic::PreSubclassWindow();
  // Also called for a control being created, whose text is not set yet: a
  // click or a copy takes the text then.
  GetWindowText(m_strURL);
  StartHoverTimer();
}

int CLinkURLStatic::OnCreate(LPCREATESTRUCTA lpCreateStruct) {
  if (CStatic::OnCreate(lpCreateStruct) == -1) return -1;
  StartHoverTimer();
  return 0;
}

void CLinkURLStatic::OnDestroy() {
  KillTimer(kHoverTimerId);
  m_nHoverPeriod = 0;
  CStatic::OnDestroy();
}

void CLinkURLStatic::StartHoverTimer() {
  if (SetTimer(kHoverTimerId, kHoverPeriod, &CLinkURLStatic::HoverTimerProc) != 0) m_nHoverPeriod = kHoverPeriod;
}

void CALLBACK CLinkURLStatic::HoverTimerProc(HWND hwnd, UINT, UINT_PTR, DWORD) {
  CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
  if (wnd == nullptr || !wnd->IsKindOf(RUNTIME_CLASS(CLinkURLStatic))) return;
  auto* link = static_cast<CLinkURLStatic*>(wnd);
  // While pressed the button messages set the colour.
  if (!link->HaveCapture()) link->UpdateHoverColour();
}

void CLinkURLStatic::ShowColour(COLORREF colour) {
  if (colour == m_crText) return;
  m_crText = colour;
  Repaint();
}

void CLinkURLStatic::Repaint() {
  // The text is drawn transparently over its parent (a null brush): drawn
  // again over itself, the smoothed edges of each colour would pile up on
  // the last one's.  The parent paints the control's place first.
  HWND parent = ::GetParent(m_hWnd);
  if (parent == nullptr) {
    Invalidate(TRUE);
    return;
  }
  RECT r = {0, 0, 0, 0};
  ::GetWindowRect(m_hWnd, &r);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  ::RedrawWindow(parent, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void CLinkURLStatic::UpdateHoverColour() {
  POINT p = {0, 0};
  ::GetCursorPos(&p);
  ::ScreenToClient(m_hWnd, &p);
  ShowColour(m_bVisited ? kVisitedColour : HitTestText(p.x, p.y) ? kHoverColour : kNormalColour);
}

void CLinkURLStatic::EnsureUnderlineFont() {
  if (m_fontUnderline.GetSafeHandle() != nullptr) return;
  LOGFONTA lf = {};
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT));
  if (!m_bFontGiven) {
    m_hFontGiven = static_cast<HFONT>(font);
    m_bFontGiven = true;
  }
  // Without a font of its own the static draws with the system font.
  if (font == nullptr) font = ::GetStockObject(SYSTEM_FONT);
  if (::GetObjectA(font, sizeof lf, &lf) == 0) return;
  lf.lfUnderline = TRUE;
  if (!m_fontUnderline.CreateFontIndirect(&lf)) return;
  // The static selects its own font after asking its parent for colours,
  // which would undo a font chosen in CtlColor: it draws with the copy.
  DefWindowProc(WM_SETFONT, reinterpret_cast<WPARAM>(m_fontUnderline.GetSafeHandle()), MAKELPARAM(FALSE, 0));
}

BOOL CLinkURLStatic::HitTestText(int x, int y) {
  CString text;
  GetWindowText(text);
  if (text.IsEmpty()) return FALSE;
  EnsureUnderlineFont();
  int32_t width = 0, height = 0;
  {
    CClientDC dc(this);
    HGDIOBJ old =
        m_fontUnderline.GetSafeHandle() != nullptr ? dc.SelectObject(m_fontUnderline.GetSafeHandle()) : nullptr;
    CLinkMeasure measure(dc.m_hDC);
    MeasureLinkText(measure, text.GetString(), &width, &height);
    if (old != nullptr) dc.SelectObject(old);
  }
  RECT client = {0, 0, 0, 0};
  GetClientRect(&client);
  const SkinRect r = PlaceLinkText(GetStyle(), {client.left, client.top, client.right, client.bottom}, width, height);
  return PtInSkinRect(r, x, y);
}

void CLinkURLStatic::OnLButtonDown(UINT, CPoint point) {
  if (!HitTestText(point.x, point.y)) return;
  SetCapture();
  m_crText = m_bVisited ? kVisitedColour : kHoverColour;
  Repaint();
}

void CLinkURLStatic::OnMouseMove(UINT, CPoint) {
  // Only the capture's owner looks at moves; nothing changes on screen.
}

void CLinkURLStatic::OnLButtonUp(UINT, CPoint point) {
  if (!HaveCapture()) return;
  ::ReleaseCapture();
  if (HitTestText(point.x, point.y)) {
    if (m_strURL.IsEmpty()) GetWindowText(m_strURL);
    if (!m_strURL.IsEmpty()) {
      const HINSTANCE result = ::ShellExecuteA(nullptr, "open", m_strURL.GetString(), nullptr, nullptr, SW_SHOWNORMAL);
      if (reinterpret_cast<INT_PTR>(result) > 32) m_bVisited = TRUE;
    }
    m_crText = kHoverColour;
  } else {
    m_crText = kNormalColour;
  }
  if (m_bVisited) m_crText = kVisitedColour;
  Repaint();
}

void CLinkURLStatic::OnContextMenu(CWnd*, CPoint point) {
  POINT p = {point.x, point.y};
  ::ScreenToClient(m_hWnd, &p);
  if (!HitTestText(p.x, p.y)) return;
  CMenu menu;
  if (!menu.LoadMenu(IDR_LINK_CONTEXT_MENU)) return;
  CMenu* popup = menu.GetSubMenu(0);
  if (popup != nullptr) popup->TrackPopupMenu(TPM_RIGHTBUTTON, point.x, point.y, this);
}

void CLinkURLStatic::OnCopyURL() {
  if (m_strURL.IsEmpty()) GetWindowText(m_strURL);
  if (m_strURL.IsEmpty()) return;
  const size_t length = std::strlen(m_strURL.GetString());
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, length + 1);
  if (block == nullptr) return;
  void* bytes = ::GlobalLock(block);
  if (bytes == nullptr) {
    ::GlobalFree(block);
    return;
  }
  std::memcpy(bytes, m_strURL.GetString(), length + 1);
  ::GlobalUnlock(block);
  // The control owns the clipboard while it writes: after an open without
  // an owner, EmptyClipboard leaves it ownerless and SetClipboardData may
  // refuse the text.
  if (!::OpenClipboard(m_hWnd)) {
    ::GlobalFree(block);
    return;
  }
  // From here the clipboard owns the block, unless it refused it.
  if (!::EmptyClipboard() || ::SetClipboardData(CF_TEXT, block) == nullptr) ::GlobalFree(block);
  ::CloseClipboard();
}

BOOL CLinkURLStatic::OnSetCursor(CWnd*, UINT, UINT) {
  POINT p = {0, 0};
  ::GetCursorPos(&p);
  ::ScreenToClient(m_hWnd, &p);
  HCURSOR cursor = nullptr;
  if (HitTestText(p.x, p.y)) {
    cursor = ::LoadCursorA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDC_LINK_HAND));
    // A module without the program's resources still shows a hand.
    if (cursor == nullptr) cursor = ::LoadCursorA(nullptr, IDC_HAND);
  } else {
    cursor = ::LoadCursorA(nullptr, IDC_ARROW);
  }
  ::SetCursor(cursor);
  return TRUE;
}

// A plain static lets clicks fall through to its parent; the link keeps
// them.
LRESULT CLinkURLStatic::OnNcHitTest(CPoint) { return HTCLIENT; }

HBRUSH CLinkURLStatic::CtlColor(CDC* pDC, UINT) {
  if (!IsLinkTextStyle(GetStyle())) return nullptr;
  EnsureUnderlineFont();
  if (m_fontUnderline.GetSafeHandle() != nullptr) pDC->SelectObject(m_fontUnderline.GetSafeHandle());
  pDC->SetTextColor(m_crText);
  pDC->SetBkMode(TRANSPARENT);
  return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

LRESULT CLinkURLStatic::OnSetFont(WPARAM wParam, LPARAM lParam) {
  const BOOL redraw = LOWORD(lParam) != 0 ? TRUE : FALSE;
  // The copy itself handed back: it stays (deleting it would leave the
  // control drawing with a deleted font).
  if (m_fontUnderline.GetSafeHandle() != nullptr &&
      reinterpret_cast<HGDIOBJ>(wParam) == m_fontUnderline.GetSafeHandle()) {
    if (redraw) Repaint();
    return 0;
  }
  // The new font first, without drawing: the underlined copy of it is what
  // the control shows.
  const LRESULT result = DefWindowProc(WM_SETFONT, wParam, FALSE);
  m_hFontGiven = reinterpret_cast<HFONT>(wParam);
  m_bFontGiven = true;
  m_fontUnderline.DeleteObject();
  EnsureUnderlineFont();
  if (redraw) Repaint();
  return result;
}

LRESULT CLinkURLStatic::OnGetFont(WPARAM, LPARAM) {
  if (m_bFontGiven) return reinterpret_cast<LRESULT>(m_hFontGiven);
  return Default();
}
