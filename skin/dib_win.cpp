// The Win32 side of the images: a GDI drawing surface over a copy of an
// image's pixels, and the button's click.
#include <windows.h>

#include <cstddef>
#include <cstring>

#include "framework/afxwin.h"
#include "skin/dib.h"
#include "skin/skin_types.h"
#include "skin/visual_object.h"

// The skin's own types are handed to GDI as they are.
static_assert(sizeof(SkinRect) == sizeof(RECT) && offsetof(SkinRect, bottom) == offsetof(RECT, bottom),
              "SkinRect is laid out as RECT");
static_assert(sizeof(SkinPoint) == sizeof(POINT) && offsetof(SkinPoint, y) == offsetof(POINT, y),
              "SkinPoint is laid out as POINT");
static_assert(sizeof(SkinColorRef) == sizeof(COLORREF), "SkinColorRef is a COLORREF");
static_assert(sizeof(SkinBitmapInfoHeader) == sizeof(BITMAPINFOHEADER) &&
                  offsetof(SkinBitmapInfoHeader, biClrImportant) == offsetof(BITMAPINFOHEADER, biClrImportant) &&
                  offsetof(SkinBitmapInfoHeader, biBitCount) == offsetof(BITMAPINFOHEADER, biBitCount),
              "SkinBitmapInfoHeader is laid out as BITMAPINFOHEADER");

namespace {

// A memory DC with a DIB section selected into it.
class CGdiSurface : public CDIB::CSurface {
 public:
  ~CGdiSurface() override {
    if (dc.m_hDC != nullptr && old != nullptr) ::SelectObject(dc.m_hDC, old);
    dc.DeleteDC();
    if (section != nullptr) ::DeleteObject(section);
  }
  CDC dc;
  HBITMAP section = nullptr;
  HGDIOBJ old = nullptr;
  void* bits = nullptr;
};

}  // namespace

CDC* CDIB::GetDC(CDC* reference) {
  if (m_pSurface != nullptr) return &static_cast<CGdiSurface*>(m_pSurface)->dc;
  if (m_pHeader == nullptr) return nullptr;
  CDIBLock lock(this);
  HDC screen = reference == nullptr ? ::GetDC(nullptr) : nullptr;
  HDC ref = reference != nullptr ? reference->m_hDC : screen;
  CGdiSurface* s = new CGdiSurface;
  s->section =
      ::CreateDIBSection(ref, reinterpret_cast<const BITMAPINFO*>(m_pHeader), DIB_RGB_COLORS, &s->bits, nullptr, 0);
  bool ok = s->section != nullptr && s->bits != nullptr;
  if (ok && m_pBits != nullptr) std::memcpy(s->bits, m_pBits, GetImageSize());
  if (ok) {
    s->dc.Attach(::CreateCompatibleDC(ref));
    ok = s->dc.m_hDC != nullptr;
    if (ok) s->old = ::SelectObject(s->dc.m_hDC, s->section);
  }
  if (screen != nullptr) ::ReleaseDC(nullptr, screen);
  if (!ok) {
    delete s;
    return nullptr;
  }
  m_pSurface = s;
  return &s->dc;
}

void CDIB::CommitDC() {
  if (m_pSurface == nullptr) return;
  CDIBLock lock(this);
  ::GdiFlush();
  CGdiSurface* s = static_cast<CGdiSurface*>(m_pSurface);
  if (m_pBits != nullptr) std::memcpy(m_pBits, s->bits, GetImageSize());
  Update();
}

void CDIB::ReleaseDC() {
  delete m_pSurface;
  m_pSurface = nullptr;
}

void CHilightButtonVO::Click() {
  if (CWnd* main = AfxGetMainWnd())
    main->PostMessage(WM_COMMAND, static_cast<WPARAM>(static_cast<uint16_t>(m_nCommandId)), 0);
}
