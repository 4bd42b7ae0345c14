// The images' Win32 parts that need no window: bitmaps from the module's
// resources and device-dependent bitmaps.  Part of the core's Win32 build,
// so that every image class links without the Win32 layer.
#include <windows.h>

#include <cstring>
#include <vector>

#include "framework/afxcore_win.h"
#include "framework/afxgdi.h"
#include "skin/dib.h"

BOOL CDIB::LoadFromResource(UINT id) {
  HINSTANCE module = AfxGetResourceHandle();
  HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_BITMAP));
  if (found == nullptr) return FALSE;
  HGLOBAL loaded = ::LoadResource(module, found);
  void* block = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  const DWORD size = ::SizeofResource(module, found);
  if (block == nullptr || size == 0) return FALSE;
  // The image draws into its pixels in place: the resource's pages are
  // made writable (a private copy of each page written).
  DWORD old = 0;
  if (!::VirtualProtect(block, size, PAGE_WRITECOPY, &old) && !::VirtualProtect(block, size, PAGE_READWRITE, &old))
    return FALSE;
  return CreateFromPackedDib(block, size);
}

HBITMAP CDIB::CreateDDB(CDC* dc, UINT usage) {
  CDIBLock lock(this);
  if (!lock.HasPixels() || m_pHeader == nullptr || (m_dwFlags & kPackedRows) != 0) return nullptr;
  uint32_t n = GetColourCount(m_pHeader);
  if (n > 256) n = 0;
  // The header as GDI must see it: a top-down image says so by a negative
  // height.
  std::vector<uint8_t> info(m_pHeader, m_pHeader + kBitmapInfoHeaderBytes + 4 * n);
  BITMAPINFOHEADER* h = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
  if ((m_dwFlags & kTopDown) != 0) h->biHeight = -h->biHeight;
  return ::CreateDIBitmap(dc != nullptr ? dc->GetSafeHdc() : nullptr, h, CBM_INIT, m_pBits,
                          reinterpret_cast<const BITMAPINFO*>(info.data()), usage);
}
