// The Win32 side of the images: a GDI drawing surface over a copy of an
// image's pixels, the file dialogs of Load and Save, and the button's
// click.
#include <windows.h>
#include <commdlg.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "framework/afxapp.h"
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
  size_t size = 0;  // bytes of the section's pixels
};

// The open and save dialogs, and message boxes with the program's title.
class CImageFileDialogs : public CImageFilePrompt {
 public:
  BOOL AskPath(BOOL save, CString* path) override {
    char file[MAX_PATH] = {};
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    CWnd* main = AfxGetMainWnd();
    ofn.hwndOwner = main != nullptr ? main->GetSafeHwnd() : nullptr;
    ofn.lpstrFilter = "Image files (*.DIB, *.BMP)\0*.DIB;*.BMP\0All files (*.*)\0*.*\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.Flags = OFN_HIDEREADONLY | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const BOOL ok = save ? ::GetSaveFileNameA(&ofn) : ::GetOpenFileNameA(&ofn);
    if (!ok) return FALSE;
    *path = file;
    return TRUE;
  }
  void ShowMessage(const char* text) override { AfxMessageBox(text); }
};

// The section's rows in the image's own order: a top-down image gets a
// top-down section (a negative height), so that its rows are copied as
// they are.
std::vector<uint8_t> SectionHeader(const uint8_t* header, uint32_t flags) {
  uint32_t n = GetColourCount(header);
  if (n > 256) n = 0;
  std::vector<uint8_t> info(header, header + kBitmapInfoHeaderBytes + 4 * n);
  BITMAPINFOHEADER* h = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
  if ((flags & CDIB::kTopDown) != 0) h->biHeight = -h->biHeight;
  return info;
}

}  // namespace

void InstallImageFileDialogs() {
  static CImageFileDialogs dialogs;
  SetImageFilePrompt(&dialogs);
}

CDC* CDIB::GetDC(CDC* reference) {
  if (m_pSurface != nullptr) return &static_cast<CGdiSurface*>(m_pSurface)->dc;
  // Packed rows (the skin's alpha images) are not laid out as GDI's.
  if (m_pHeader == nullptr || (m_dwFlags & kPackedRows) != 0) return nullptr;
  CDIBLock lock(this);
  HDC screen = reference == nullptr ? ::GetDC(nullptr) : nullptr;
  HDC ref = reference != nullptr ? reference->m_hDC : screen;
  CGdiSurface* s = new CGdiSurface;
  const std::vector<uint8_t> info = SectionHeader(m_pHeader, m_dwFlags);
  s->section =
      ::CreateDIBSection(ref, reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &s->bits, nullptr, 0);
  bool ok = s->section != nullptr && s->bits != nullptr;
  if (ok) {
    DIBSECTION ds = {};
    ok = ::GetObjectA(s->section, sizeof ds, &ds) == sizeof ds;
    s->size = ok ? static_cast<size_t>(ds.dsBm.bmWidthBytes) * static_cast<size_t>(ds.dsBm.bmHeight) : 0;
  }
  if (ok && m_pBits != nullptr) std::memcpy(s->bits, m_pBits, GetImageSize() < s->size ? GetImageSize() : s->size);
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
  if (m_pBits != nullptr) std::memcpy(m_pBits, s->bits, GetImageSize() < s->size ? GetImageSize() : s->size);
  Update();
}

void CDIB::ReleaseDC() { DropSurface(); }

void CHilightButtonVO::Click() {
  if (CWnd* main = AfxGetMainWnd())
    main->PostMessage(WM_COMMAND, static_cast<WPARAM>(static_cast<uint16_t>(m_nCommandId)), 0);
}
