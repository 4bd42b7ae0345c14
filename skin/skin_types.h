// The skin's own rectangle, point, colour and BMP header types.  Fields are
// 32 bits wide on every build (LONG and DWORD are not natively), and on
// Win32 the first three are laid out as RECT, POINT and COLORREF, so that
// the Win32 side hands them to GDI as they are (checked there).  The BMP
// headers are read and written field by field, little-endian: on the host
// an unpacked 14-byte file header is 16 bytes.  Neutral.
#pragma once

#include <cstdint>

#include "framework/afxtypes.h"

struct SkinRect {
  int32_t left, top, right, bottom;
};

struct SkinPoint {
  int32_t x, y;
};

// 0x00BBGGRR.
typedef uint32_t SkinColorRef;

constexpr SkinColorRef SkinRgb(uint32_t r, uint32_t g, uint32_t b) {
  return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}

// BITMAPINFOHEADER: 40 bytes.
struct SkinBitmapInfoHeader {
  uint32_t biSize;
  int32_t biWidth;
  int32_t biHeight;
  uint16_t biPlanes;
  uint16_t biBitCount;
  uint32_t biCompression;
  uint32_t biSizeImage;
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
};
static_assert(sizeof(SkinBitmapInfoHeader) == 40, "laid out as BITMAPINFOHEADER");

// BITMAPCOREHEADER: 12 bytes.
struct SkinBitmapCoreHeader {
  uint32_t bcSize;
  uint16_t bcWidth;
  uint16_t bcHeight;
  uint16_t bcPlanes;
  uint16_t bcBitCount;
};
static_assert(sizeof(SkinBitmapCoreHeader) == 12, "laid out as BITMAPCOREHEADER");

// BITMAPFILEHEADER: 14 bytes in a file (never copied as a struct).
struct SkinBitmapFileHeader {
  uint16_t bfType;
  uint32_t bfSize;
  uint16_t bfReserved1;
  uint16_t bfReserved2;
  uint32_t bfOffBits;
};
constexpr uint32_t kBitmapFileHeaderBytes = 14;
constexpr uint32_t kBitmapInfoHeaderBytes = 40;
constexpr uint32_t kSkinBiRgb = 0, kSkinBiRle8 = 1, kSkinBiRle4 = 2;

// Rectangle rules as the system's: an empty rectangle (right <= left or
// bottom <= top) meets nothing, an empty intersection comes back as
// all-zero, and a union ignores an empty side.
inline BOOL IsSkinRectEmpty(const SkinRect& r) { return r.right <= r.left || r.bottom <= r.top; }
inline BOOL EqualSkinRect(const SkinRect& a, const SkinRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline BOOL PtInSkinRect(const SkinRect& r, int32_t x, int32_t y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}
inline void OffsetSkinRect(SkinRect* r, int32_t dx, int32_t dy) {
  r->left += dx;
  r->right += dx;
  r->top += dy;
  r->bottom += dy;
}
BOOL IntersectSkinRect(SkinRect* out, const SkinRect& a, const SkinRect& b);
BOOL UnionSkinRect(SkinRect* out, const SkinRect& a, const SkinRect& b);
