#include "tests/e2e/launcher_picture.h"

#include <algorithm>
#include <cstring>

namespace e2e {

const ButtonPlace kLauncherButtons[3] = {{179, 236, 2, 32773}, {179, 268, 14, 32777}, {179, 300, 17, 32778}};

namespace {

// The launcher's code page (the built-in localisation record's).
constexpr UINT kCodePage = 949;

// A 16-bit 5:5:5 top-down DIB section with a memory DC over it.
class CSection16 {
 public:
  CSection16(int w, int h) : m_w(w), m_h(h) {
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 16;
    HDC screen = ::GetDC(nullptr);
    m_dc = ::CreateCompatibleDC(screen);
    m_bitmap = ::CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &m_bits, nullptr, 0);
    ::ReleaseDC(nullptr, screen);
    if (m_bitmap != nullptr) m_old = ::SelectObject(m_dc, m_bitmap);
  }
  ~CSection16() {
    if (m_old != nullptr) ::SelectObject(m_dc, m_old);
    if (m_bitmap != nullptr) ::DeleteObject(m_bitmap);
    ::DeleteDC(m_dc);
  }
  bool Ok() const { return m_bits != nullptr; }
  HDC Dc() const { return m_dc; }
  uint16_t At(int x, int y) const {
    ::GdiFlush();
    const int stride = ((m_w * 2 + 3) / 4) * 4;
    return static_cast<const uint16_t*>(m_bits)[(static_cast<size_t>(y) * stride) / 2 + x] & 0x7FFF;
  }

 private:
  int m_w, m_h;
  HDC m_dc = nullptr;
  HBITMAP m_bitmap = nullptr;
  HGDIOBJ m_old = nullptr;
  void* m_bits = nullptr;
};

bool IsLeadByte(uint8_t b) { return ::IsDBCSLeadByteEx(kCodePage, b) != FALSE; }

// The wrap's measure mode: lines end before the character that brings the
// line to 150 pixels, unless it is the line-end punctuation of the code
// page (949: "," and ".") or the text's last character while no line has
// ended yet; a space that would start a line is dropped.
SIZE MeasureWrapped(HDC dc, const std::string& text) {
  int right = 0, bottom = 0, x = 0, lineWidth = 0, lineHeight = 0, lines = 0;
  auto endLine = [&] {
    right = std::max(right, x);
    bottom += lineHeight;
    x = 0;
    lineWidth = lineHeight = 0;
    ++lines;
  };
  bool lastWasNewline = false;
  for (size_t i = 0; i < text.size();) {
    const size_t n = IsLeadByte(static_cast<uint8_t>(text[i])) && i + 1 < text.size() ? 2 : 1;
    const std::string ch = text.substr(i, n);
    i += n;
    const bool last = i >= text.size();
    lastWasNewline = ch == "\n";
    if (lastWasNewline) {
      endLine();
      continue;
    }
    SIZE size = {0, 0};
    ::GetTextExtentPoint32A(dc, ch.data(), static_cast<int>(n), &size);
    const bool punct = ch == "," || ch == ".";
    if (lineWidth + size.cx >= 150 && !punct && !(last && lines == 0)) endLine();
    if (ch == " " && lineWidth == 0) continue;
    x += size.cx;
    lineWidth += size.cx;
    lineHeight = std::max(lineHeight, static_cast<int>(size.cy));
  }
  if (!lastWasNewline) {
    bottom += lineHeight;
    right = std::max(right, x);
  }
  return {right, bottom};
}

}  // namespace

CLauncherPicture::CLauncherPicture(const std::string& skinPath, const std::string& exePath) : m_exe(exePath) {
  int32_t w1 = 0, h1 = 0;
  m_open = m_skin.Open(skinPath.c_str()) && m_skin.GetImageSize(0, &m_w0, &m_h0) && m_skin.GetImageSize(1, &w1, &h1);
}

RECT CLauncherPicture::ButtonRect(int button) const {
  const ButtonPlace& b = kLauncherButtons[button];
  int32_t w = 0, h = 0;
  m_skin.GetImageSize(b.firstEntry, &w, &h);
  return {b.x, b.y, b.x + w, b.y + h};
}

void CLauncherPicture::BlendEntry(Picture5* out, int entry, int x0, int y0, int w, int h) const {
  // The launcher's skin is of the first form: 8-bit indices, then 256
  // entries {B, G, R, A}.
  CGraphicDataHandle image;
  if (!m_skin.GetImage(entry, &image) || image.size < static_cast<uint64_t>(w) * h + 1024) return;
  const uint8_t* table = image.data + static_cast<size_t>(w) * h;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int dx = x0 + x, dy = y0 + y;
      if (dx < 0 || dy < 0 || dx >= out->width || dy >= out->height) continue;
      const uint8_t* c = table + 4 * image.data[y * w + x];
      const uint32_t a = c[3];
      uint32_t& d = out->At(dx, dy);
      const uint32_t dr = ((d >> 10) & 31) << 3, dg = ((d >> 5) & 31) << 3, db = (d & 31) << 3;
      const uint32_t r = (c[2] * a + dr * (255 - a)) / 255;
      const uint32_t g = (c[1] * a + dg * (255 - a)) / 255;
      const uint32_t b = (c[0] * a + db * (255 - a)) / 255;
      d = ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
    }
  }
}

Picture5 CLauncherPicture::Background() const {
  Picture5 p;
  if (!m_open) return p;
  int32_t w1 = 0, h1 = 0;
  m_skin.GetImageSize(1, &w1, &h1);
  p.width = m_w0;
  p.height = m_h0;
  p.rgb5.assign(static_cast<size_t>(m_w0) * m_h0, 0);
  BlendEntry(&p, 0, 0, 0, m_w0, m_h0);
  BlendEntry(&p, 1, (m_w0 - w1) / 2, 356, w1, h1);
  return p;
}

void CLauncherPicture::BlendButton(Picture5* p, int button, int frame) const {
  const RECT r = ButtonRect(button);
  BlendEntry(p, kLauncherButtons[button].firstEntry + frame, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

std::string CLauncherPicture::ProgramString(UINT id) const {
  HMODULE exe = ::LoadLibraryExA(m_exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (exe == nullptr) return std::string();
  char text[1024] = {};
  const int n = ::LoadStringA(exe, id, text, sizeof text);
  ::FreeLibrary(exe);
  return std::string(text, n > 0 ? n : 0);
}

void CLauncherPicture::DrawLabel(Picture5* p, const std::string& text) const {
  const RECT at = LabelRect();
  const int w = at.right - at.left, h = at.bottom - at.top;
  CSection16 label(w, h);
  if (!label.Ok()) return;
  const uint16_t white = 0x7FFF;
  HBRUSH magenta = ::CreateSolidBrush(RGB(255, 0, 255));
  RECT all = {0, 0, w, h};
  ::FillRect(label.Dc(), &all, magenta);
  ::DeleteObject(magenta);
  LOGFONTA lf = {};
  lf.lfHeight = -12;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = NONANTIALIASED_QUALITY;
  const std::string face = ProgramString(5001);
  std::strncpy(lf.lfFaceName, face.c_str(), sizeof lf.lfFaceName - 1);
  HFONT font = ::CreateFontIndirectA(&lf);
  HGDIOBJ old = ::SelectObject(label.Dc(), font);
  ::SetBkMode(label.Dc(), TRANSPARENT);
  ::SetTextColor(label.Dc(), RGB(255, 255, 255));
  RECT r = {1, 0, w - 1, h};
  ::DrawTextA(label.Dc(), text.c_str(), -1, &r, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  ::SelectObject(label.Dc(), old);
  ::DeleteObject(font);
  auto isWhite = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h && label.At(x, y) == white; };
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int px = at.left + x, py = at.top + y;
      if (px < 0 || py < 0 || px >= p->width || py >= p->height) continue;
      if (isWhite(x, y))
        p->At(px, py) = white;
      else if (isWhite(x - 1, y) || isWhite(x + 1, y) || isWhite(x, y - 1) || isWhite(x, y + 1))
        p->At(px, py) = 0;  // the outline
    }
  }
}

Picture5 CLauncherPicture::Screen(const int frames[3], const std::string& label) const {
  Picture5 p = Background();
  if (p.width == 0) return p;
  for (int b = 0; b < 3; ++b) BlendButton(&p, b, frames[b]);
  DrawLabel(&p, label);
  return p;
}

RECT CLauncherPicture::TipRect(int button) const {
  const std::string text = ProgramString(static_cast<UINT>(kLauncherButtons[button].command));
  if (text.empty()) return {0, 0, 0, 0};
  NONCLIENTMETRICSA m = {};
  m.cbSize = sizeof m;  // without the padded border width (WINVER 0x0501)
  if (!::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, m.cbSize, &m, 0)) return {0, 0, 0, 0};
  m.lfMenuFont.lfWeight = FW_NORMAL;
  HFONT font = ::CreateFontIndirectA(&m.lfMenuFont);
  HDC screen = ::GetDC(nullptr);
  HGDIOBJ old = ::SelectObject(screen, font);
  const SIZE textSize = MeasureWrapped(screen, text);
  ::SelectObject(screen, old);
  ::ReleaseDC(nullptr, screen);
  ::DeleteObject(font);
  const int w = textSize.cx + 12, h = textSize.cy + 12;
  const RECT anchor = ButtonRect(button);
  int x = anchor.left + ((anchor.right - anchor.left) - w) / 2;
  if (x < 0)
    x = 0;
  else if (x + w > m_w0)
    x = m_w0 - w;
  int y = anchor.top - h - 1;
  if (y < 0) y = anchor.bottom + 1;
  return {x, y, x + w, y + h};
}

int CountDifferences(const Capture& shot, const Picture5& expected, const RECT& r, const RECT* skip) {
  if (shot.width != expected.width || shot.height != expected.height) return -1;
  int differ = 0;
  for (int y = std::max(0L, r.top); y < std::min(static_cast<LONG>(shot.height), r.bottom); ++y) {
    for (int x = std::max(0L, r.left); x < std::min(static_cast<LONG>(shot.width), r.right); ++x) {
      if (skip != nullptr && x >= skip->left && x < skip->right && y >= skip->top && y < skip->bottom) continue;
      if (Top5(shot.At(x, y)) != expected.At(x, y)) ++differ;
    }
  }
  return differ;
}

}  // namespace e2e
