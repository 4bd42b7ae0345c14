#include "skin/skin_text_win.h"

#include <cstddef>
#include <cstring>

#include "framework/afxwin.h"
#include "res/resource.h"

namespace {

// A GDI object kept until the process ends.
struct CProcessGdiObject {
  ~CProcessGdiObject() {
    if (handle != nullptr) ::DeleteObject(handle);
  }
  HGDIOBJ handle = nullptr;
};

CProcessGdiObject s_tipBold, s_tipNormal, s_tipBrush, s_labelFont;

// Where the label's text is drawn: a memory DC over a 16-bit section of the
// label's size, made for the first label and kept, like the label's font,
// until the process ends.  Making and freeing a section and a DC for every
// label cost more than the text itself.
struct CLabelSurface {
  ~CLabelSurface() { Free(); }
  void Free() {
    if (dc != nullptr) {
      if (old != nullptr) ::SelectObject(dc, old);
      ::DeleteDC(dc);
    }
    if (section != nullptr) ::DeleteObject(section);
    dc = nullptr;
    section = nullptr;
    old = nullptr;
    bits = nullptr;
    width = height = 0;
  }
  // A surface of the sprite's size, remade when the size differs; false
  // when the sprite is not a plain bottom-up 16-bit image or GDI refuses.
  bool Fit(CSprite* sprite) {
    const SkinBitmapInfoHeader* h = sprite->GetHeader();
    if (h == nullptr || sprite->GetBits() == nullptr || h->biBitCount != 16 || h->biCompression != 0 ||
        (sprite->GetFlags() & (CDIB::kTopDown | CDIB::kPackedRows)) != 0 || h->biWidth <= 0 || h->biHeight <= 0)
      return false;
    if (dc != nullptr && width == h->biWidth && height == h->biHeight) return true;
    Free();
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = h->biWidth;
    info.bmiHeader.biHeight = h->biHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 16;
    info.bmiHeader.biCompression = BI_RGB;
    section = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    dc = section != nullptr && bits != nullptr ? ::CreateCompatibleDC(nullptr) : nullptr;
    if (dc == nullptr) {
      Free();
      return false;
    }
    old = ::SelectObject(dc, section);
    width = h->biWidth;
    height = h->biHeight;
    return true;
  }
  HDC dc = nullptr;
  HBITMAP section = nullptr;
  HGDIOBJ old = nullptr;
  void* bits = nullptr;
  int width = 0, height = 0;
};

CLabelSurface s_labelSurface;

void DrawLabelTextInto(HDC dc, int width, int height, const char* text) {
  HGDIOBJ old = ::SelectObject(dc, s_labelFont.handle);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, 0xFFFFFF);
  RECT r = {1, 0, width - 1, height};
  ::DrawTextA(dc, text, -1, &r, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  ::SelectObject(dc, old);
}

bool MakeToolTipObjects() {
  if (s_tipBold.handle != nullptr && s_tipNormal.handle != nullptr && s_tipBrush.handle != nullptr) return true;
  NONCLIENTMETRICSA metrics = {};
  // The structure without the padded border width that later systems
  // added: every system takes it (the build's WINVER gives that form).
  static_assert(sizeof(NONCLIENTMETRICSA) == 340, "NONCLIENTMETRICSA without iPaddedBorderWidth");
  metrics.cbSize = sizeof(NONCLIENTMETRICSA);
  if (!::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return false;
  LOGFONTA font = metrics.lfMenuFont;
  if (s_tipBold.handle == nullptr) {
    font.lfWeight = FW_BOLD;
    s_tipBold.handle = ::CreateFontIndirectA(&font);
  }
  if (s_tipNormal.handle == nullptr) {
    font.lfWeight = FW_NORMAL;
    s_tipNormal.handle = ::CreateFontIndirectA(&font);
  }
  if (s_tipBrush.handle == nullptr) s_tipBrush.handle = ::CreateSolidBrush(0xE6FBFF);
  return s_tipBold.handle != nullptr && s_tipNormal.handle != nullptr && s_tipBrush.handle != nullptr;
}

// The word wrap over a DC.
class CDCWrap : public CTextWrapTarget {
 public:
  CDCWrap(HDC dc, uint32_t codePage) : m_dc(dc), m_cp(codePage) {}
  bool IsLeadByte(uint8_t b) override { return ::IsDBCSLeadByteEx(m_cp, b) != FALSE; }
  void Measure(const char* ch, int n, int* w, int* h) override {
    SIZE size = {0, 0};
    ::GetTextExtentPoint32A(m_dc, ch, n, &size);
    *w = size.cx;
    *h = size.cy;
  }
  void DrawChar(int x, int y, const char* ch, int n) override {
    ::ExtTextOutA(m_dc, x, y, 0, nullptr, ch, static_cast<UINT>(n), nullptr);
  }

 private:
  HDC m_dc;
  uint32_t m_cp;
};

}  // namespace

HFONT GetToolTipFont(bool bold) { return static_cast<HFONT>(bold ? s_tipBold.handle : s_tipNormal.handle); }
HFONT GetVersionLabelFont() { return static_cast<HFONT>(s_labelFont.handle); }

CSprite* CSkinTextPainterWin::BuildTipSprite(int command) {
  CString all;
  if (command < 0 || !all.LoadString(static_cast<UINT>(command))) return nullptr;
  return BuildTipSpriteFor(all);
}

CSprite* CSkinTextPainterWin::BuildTipSpriteFor(const CString& all) {
  CString text = all, title;
  const int newline = all.Find('\n');
  if (newline >= 0) {
    title = all.Mid(newline + 1);
    text = all.Left(newline);
  }
  if (text.IsEmpty() || !MakeToolTipObjects()) return nullptr;

  HDC screen = ::GetDC(nullptr);
  HGDIOBJ old = ::SelectObject(screen, s_tipBold.handle);
  RECT titleRect = {0, 0, 0, 0};
  if (!title.IsEmpty()) {
    ::DrawTextA(screen, title.GetString(), title.GetLength(), &titleRect, DT_CALCRECT | DT_NOPREFIX);
    titleRect.bottom += 1;  // text follows
  }
  ::SelectObject(screen, s_tipNormal.handle);
  SkinRect textRect = {0, 0, 0, 0};
  CDCWrap measure(screen, m_nCodePage);
  WrapText(&measure, m_nCodePage, text.GetString(), &textRect, TRUE);
  ::SelectObject(screen, old);
  ::ReleaseDC(nullptr, screen);
  const int w = titleRect.right > textRect.right ? titleRect.right : textRect.right;
  const int h = (textRect.bottom - textRect.top) + (titleRect.bottom - titleRect.top);

  CSprite* sprite = new CSprite;
  sprite->CreateBlank(w + 12, h + 12, nullptr);
  CDC* dc = sprite->GetDC(nullptr);
  if (dc == nullptr) {
    delete sprite;
    return nullptr;
  }
  dc->FillSolidRect(0, 0, w + 12, h + 12, 0xFF00FF);
  HRGN region = ::CreateRoundRectRgn(0, 0, w + 12, h + 12, 6, 6);
  if (region == nullptr) {
    sprite->ReleaseDC();
    delete sprite;
    return nullptr;
  }
  ::FillRgn(dc->m_hDC, region, static_cast<HBRUSH>(s_tipBrush.handle));
  ::FrameRgn(dc->m_hDC, region, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)), 1, 1);
  ::DeleteObject(region);
  ::SetBkMode(dc->m_hDC, TRANSPARENT);
  RECT r = {6, 6, w + 6, h + 6};
  HGDIOBJ before = ::SelectObject(dc->m_hDC, s_tipBold.handle);
  if (!title.IsEmpty()) {
    ::SetTextColor(dc->m_hDC, 0x800000);
    ::DrawTextA(dc->m_hDC, title.GetString(), title.GetLength(), &r, DT_NOPREFIX);
    r.top += titleRect.bottom - titleRect.top;
  }
  ::SelectObject(dc->m_hDC, s_tipNormal.handle);
  ::SetTextColor(dc->m_hDC, 0x000000);
  SkinRect at = {r.left, r.top, r.right, r.bottom};
  CDCWrap draw(dc->m_hDC, m_nCodePage);
  WrapText(&draw, m_nCodePage, text.GetString(), &at, FALSE);
  ::SelectObject(dc->m_hDC, before);
  // The sprite takes its key from its magenta top-left pixel: the corners
  // outside the rounded rectangle become transparent.
  sprite->CommitDC();
  sprite->ReleaseDC();
  sprite->AddRef();
  return sprite;
}

void CSkinTextPainterWin::DrawLabelText(CSprite* sprite, const char* text) {
  if (s_labelFont.handle == nullptr) {
    LOGFONTA font = {};
    font.lfHeight = -12;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    // Smoothed edges would be neither the text's colour nor the key, and
    // the outline acts on exact colours only.
    font.lfQuality = NONANTIALIASED_QUALITY;
    CString face;
    if (face.LoadString(IDS_VERSION_FONT_FACE)) {
      std::strncpy(font.lfFaceName, face.GetString(), sizeof font.lfFaceName - 1);
      font.lfFaceName[sizeof font.lfFaceName - 1] = 0;
    }
    s_labelFont.handle = ::CreateFontIndirectA(&font);
  }
  // The kept surface gets the sprite's pixels, the text, and gives them
  // back: what the sprite's own drawing surface would do, without making one.
  if (s_labelSurface.Fit(sprite)) {
    const uint32_t bytes = sprite->GetImageSize();
    std::memcpy(s_labelSurface.bits, sprite->GetBits(), bytes);
    DrawLabelTextInto(s_labelSurface.dc, sprite->GetWidth(), sprite->GetHeight(), text);
    ::GdiFlush();
    std::memcpy(sprite->GetBits(), s_labelSurface.bits, bytes);
    sprite->Update();
    return;
  }
  if (CDC* dc = sprite->GetDC(nullptr)) DrawLabelTextInto(dc->m_hDC, sprite->GetWidth(), sprite->GetHeight(), text);
  sprite->CommitDC();
  sprite->ReleaseDC();
}
