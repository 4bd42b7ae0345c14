#include "skin/dib.h"

#include <cstdlib>
#include <cstring>

#include "skin/graphic_data.h"

IMPLEMENT_DYNCREATE(CDIB, CObject)
IMPLEMENT_DYNCREATE(CSprite, CDIB)
IMPLEMENT_DYNAMIC(CAlphableDIB, CDIB)

namespace {

SkinBitmapInfoHeader* HeaderOf(uint8_t* block) { return reinterpret_cast<SkinBitmapInfoHeader*>(block); }

// One channel of a 5:5:5 pixel back to 8 bits: a plain shift, no
// replication of the top bits.
inline uint32_t Expand5(uint32_t v) { return (v & 31u) << 3; }

// Shared by every image, refilled on every call.
uint16_t s_paletteTable[256];

}  // namespace

uint16_t PackRgb555(uint32_t r, uint32_t g, uint32_t b) {
  const uint32_t r8 = r < 255 ? (r & 0xF8) : 0xF8;
  const uint32_t g8 = g < 255 ? (g & 0xF8) : 0xF8;
  const uint32_t b5 = ((b < 255 ? b : 255) >> 3) & 31;
  return static_cast<uint16_t>((r8 << 7) | (g8 << 2) | b5);
}

uint16_t PackColorRef555(SkinColorRef c) { return PackRgb555(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

uint32_t GetColourCount(const void* header) {
  const uint8_t* p = static_cast<const uint8_t*>(header);
  uint32_t size = 0;
  std::memcpy(&size, p, sizeof size);
  if (size == sizeof(SkinBitmapCoreHeader)) {
    SkinBitmapCoreHeader core;
    std::memcpy(&core, p, sizeof core);
    // Counts of 9 bits and more have no table; never shift by 32 or more.
    return core.bcBitCount < 9 ? (1u << core.bcBitCount) : 257u;
  }
  SkinBitmapInfoHeader info;
  std::memcpy(&info, p, sizeof info);
  uint32_t n = info.biBitCount < 9 ? (1u << info.biBitCount) : 257u;
  if (info.biClrUsed != 0 && info.biClrUsed < n) n = info.biClrUsed;
  return n;
}

// ---------------------------------------------------------------------------
// CDIBLock

CDIBLock::CDIBLock(CDIB* dib) : m_dib(dib) {
  if (m_dib == nullptr) return;
  if (m_dib->m_pBits != nullptr) {
    if (m_dib->m_nLockCount < 1) return;  // the image's own pixels
    ++m_dib->m_nLockCount;
    m_taken = true;
    return;
  }
  CGraphicData* source = m_dib->m_pSource;
  if (source == nullptr || m_dib->m_nEntry < 0) return;
  if (!source->GetImage(m_dib->m_nEntry, &m_handle)) return;
  // The image may be larger than its entry (a button's frames all take
  // the first frame's size): an entry too short for the image is treated
  // as one that cannot be loaded, so that no draw reads past it.
  const int w = m_dib->GetWidth(), h = m_dib->GetHeight();
  const uint64_t needed = CGraphicData::GetImageBytesNeeded(source->GetFlags(), w > 0 ? static_cast<uint32_t>(w) : 0,
                                                            h > 0 ? static_cast<uint32_t>(h) : 0);
  if (w <= 0 || h <= 0 || m_handle.size < needed) {
    m_handle.Release();
    return;
  }
  m_dib->m_pBits = m_handle.data;
  m_dib->OnUpdate();
  m_dib->m_nLockCount = 1;
  m_taken = true;
}

CDIBLock::~CDIBLock() {
  if (m_taken && m_dib->m_nLockCount > 0) {
    if (--m_dib->m_nLockCount == 0) m_dib->m_pBits = nullptr;
  }
  m_handle.Release();  // free-on-release 0: the cache keeps the bytes
}

// ---------------------------------------------------------------------------
// CDIB

CDIB::CDIB() = default;

CDIB::~CDIB() {
  DropSurface();
  FreeBits();
  std::free(m_pHeader);
}

int CDIB::Release() {
  const int count = --m_nRefCount;
  if (count == 0) delete this;
  return count;
}

void CDIB::DropSurface() {
  delete m_pSurface;
  m_pSurface = nullptr;
}

void CDIB::FreeBits() {
  if ((m_dwFlags & kOwnsBits) != 0) std::free(m_pBits);
  m_pBits = nullptr;
  m_dwFlags &= ~kOwnsBits;
}

int CDIB::GetWidth() const { return m_pHeader != nullptr ? GetHeader()->biWidth : 0; }
int CDIB::GetHeight() const { return m_pHeader != nullptr ? GetHeader()->biHeight : 0; }
int CDIB::GetBitCount() const { return m_pHeader != nullptr ? GetHeader()->biBitCount : 0; }

int CDIB::GetRect(SkinRect* out) const {
  *out = {0, 0, GetWidth(), GetHeight()};
  return out->right;
}

uint32_t CDIB::GetRowBytes() const {
  const uint64_t bits = static_cast<uint64_t>(GetBitCount()) * static_cast<uint32_t>(GetWidth() > 0 ? GetWidth() : 0);
  return static_cast<uint32_t>((bits + 31) / 32 * 4);
}

uint32_t CDIB::GetImageSize() const { return GetRowBytes() * static_cast<uint32_t>(GetHeight() > 0 ? GetHeight() : 0); }

BOOL CDIB::CreateHeader(int width, int height, uint32_t headerBytes) {
  if (headerBytes < kBitmapInfoHeaderBytes) headerBytes = kBitmapInfoHeaderBytes;
  uint8_t* block = static_cast<uint8_t*>(std::calloc(1, headerBytes));
  if (block == nullptr) AfxThrowMemoryException();
  SkinBitmapInfoHeader* h = HeaderOf(block);
  h->biSize = kBitmapInfoHeaderBytes;
  h->biWidth = width;
  h->biHeight = height < 0 ? -height : height;
  h->biPlanes = 1;
  h->biBitCount = 8;
  if (height < 0)
    m_dwFlags |= kTopDown;
  else
    m_dwFlags &= ~kTopDown;
  // Every creation passes here: a surface made for the old header would
  // hand GDI the wrong size and rows.
  DropSurface();
  std::free(m_pHeader);
  m_pHeader = block;
  return TRUE;
}

BOOL CDIB::CreateFromHeader(const void* info, void* bits) {
  const SkinBitmapInfoHeader* in = static_cast<const SkinBitmapInfoHeader*>(info);
  uint32_t n = GetColourCount(info);
  if (n > 256) n = 0;
  const uint32_t bytes = kBitmapInfoHeaderBytes + 4 * n;
  CreateHeader(in->biWidth, in->biHeight, bytes);
  std::memcpy(m_pHeader, info, bytes);
  SkinBitmapInfoHeader* h = HeaderOf(m_pHeader);
  if (h->biHeight < 0) h->biHeight = -h->biHeight;
  FreeBits();
  if (bits != nullptr) {
    m_pBits = static_cast<uint8_t*>(bits);
  } else {
    const uint32_t size = GetImageSize();
    m_pBits = static_cast<uint8_t*>(std::calloc(1, size != 0 ? size : 1));
    if (m_pBits == nullptr) AfxThrowMemoryException();
    m_dwFlags |= kOwnsBits;
  }
  m_nEntry = -1;
  m_pSource = nullptr;
  Update();
  return TRUE;
}

BOOL CDIB::CreateFromPackedDib(void* block, size_t size) {
  if (block == nullptr || size < kBitmapInfoHeaderBytes) return FALSE;
  SkinBitmapInfoHeader h;
  std::memcpy(&h, block, sizeof h);
  if (h.biSize != kBitmapInfoHeaderBytes || h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) return FALSE;
  if (h.biCompression != kSkinBiRgb) return FALSE;
  const uint16_t bc = h.biBitCount;
  if (bc != 1 && bc != 4 && bc != 8 && bc != 16 && bc != 24 && bc != 32) return FALSE;
  uint32_t n = GetColourCount(&h);
  if (n > 256) n = 0;
  const uint64_t height = static_cast<uint64_t>(h.biHeight < 0 ? -static_cast<int64_t>(h.biHeight) : h.biHeight);
  const uint64_t stride = (static_cast<uint64_t>(bc) * static_cast<uint32_t>(h.biWidth) + 31) / 32 * 4;
  const uint64_t table = kBitmapInfoHeaderBytes + 4u * n;
  if (table + stride * height > size) return FALSE;
  uint8_t* bytes = static_cast<uint8_t*>(block);
  return CreateFromHeader(bytes, bytes + table);
}

BOOL CDIB::CreateBlank(int width, int height, void* bits) {
  SkinBitmapInfoHeader h = {};
  h.biSize = kBitmapInfoHeaderBytes;
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = 16;
  return CreateFromHeader(&h, bits);
}

uint8_t* CDIB::RowAddress(int y) {
  if (m_pBits == nullptr || y < 0 || y >= GetHeight()) return nullptr;
  if ((m_dwFlags & kPackedRows) != 0) return m_pBits + static_cast<size_t>(GetWidth()) * y;
  const int row = (m_dwFlags & kTopDown) != 0 ? y : GetHeight() - 1 - y;
  return m_pBits + static_cast<size_t>(row) * GetRowBytes();
}

uint8_t* CDIB::GetPixelAddress(int x, int y) {
  if (x < 0 || x >= GetWidth()) return nullptr;
  uint8_t* row = RowAddress(y);
  if (row == nullptr) return nullptr;
  if ((m_dwFlags & kPackedRows) != 0) return row + x;
  return row + (static_cast<size_t>(GetBitCount()) * x) / 8;
}

uint32_t CDIB::GetPixel(int x, int y) {
  CDIBLock lock(this);
  const uint8_t* p = GetPixelAddress(x, y);
  if (p == nullptr) return kNoKey;
  if (GetBitCount() == 8) return *p;
  if (GetBitCount() == 16) {
    uint16_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }
  return kNoKey;
}

BOOL CDIB::ClipDraw(CDIB* src, CDIB* dest, int* dx, int* dy, int* w, int* h, int* sx, int* sy) {
  // Every edge is clipped: the source offset and negative positions too,
  // so that no argument makes a draw read or write outside either image.
  const int64_t srcW = src->GetWidth(), srcH = src->GetHeight();
  const int64_t dstW = dest->GetWidth(), dstH = dest->GetHeight();
  int64_t x = *dx, y = *dy, cw = *w, ch = *h, u = *sx, v = *sy;
  if (u < 0) {
    x -= u;
    cw += u;
    u = 0;
  }
  if (v < 0) {
    y -= v;
    ch += v;
    v = 0;
  }
  if (x < 0) {
    u -= x;
    cw += x;
    x = 0;
  }
  if (y < 0) {
    v -= y;
    ch += y;
    y = 0;
  }
  if (cw > srcW - u) cw = srcW - u;
  if (cw > dstW - x) cw = dstW - x;
  if (ch > srcH - v) ch = srcH - v;
  if (ch > dstH - y) ch = dstH - y;
  if (cw < 1 || ch < 1) return FALSE;
  *dx = static_cast<int>(x);
  *dy = static_cast<int>(y);
  *w = static_cast<int>(cw);
  *h = static_cast<int>(ch);
  *sx = static_cast<int>(u);
  *sy = static_cast<int>(v);
  return TRUE;
}

void CDIB::Draw(CDIB* dest, int dx, int dy, int w, int h, int sx, int sy, uint32_t key) {
  if (dest == nullptr) return;
  CDIBLock lock(this);
  CDIBLock destLock(dest);
  if (!lock.HasPixels() || !destLock.HasPixels()) return;
  if (GetBitCount() != dest->GetBitCount()) return;
  if (!ClipDraw(this, dest, &dx, &dy, &w, &h, &sx, &sy)) return;
  const int bpp = GetBitCount();
  for (int r = dy + h - 1; r >= dy; --r) {
    uint8_t* d = dest->GetPixelAddress(dx, r);
    const uint8_t* s = GetPixelAddress(sx, sy + (r - dy));
    if (d == nullptr || s == nullptr) continue;
    if (key == kNoKey) {
      std::memmove(d, s, static_cast<size_t>(bpp) * w / 8);
    } else if (bpp == 8) {
      for (int i = 0; i < w; ++i)
        if (s[i] != (key & 0xFF)) d[i] = s[i];
    } else if (bpp == 16) {
      const uint16_t k = static_cast<uint16_t>(key & 0x7FFF);
      for (int i = 0; i < w; ++i) {
        uint16_t p;
        std::memcpy(&p, s + 2 * i, 2);
        p &= 0x7FFF;
        if (p != k) std::memcpy(d + 2 * i, &p, 2);
      }
    }
  }
}

void CDIB::DrawPaletted(CDIB* dest, int dx, int dy, int w, int h, int sx, int sy, uint32_t key) {
  if (dest == nullptr) return;
  CDIBLock lock(this);
  CDIBLock destLock(dest);
  if (!lock.HasPixels() || !destLock.HasPixels()) return;
  if (GetBitCount() != 8 || dest->GetBitCount() != 16) return;
  if (!ClipDraw(this, dest, &dx, &dy, &w, &h, &sx, &sy)) return;
  uint32_t n = GetColourCount(m_pHeader);
  if (n > 256) n = 0;
  const uint8_t* table = GetColourTable();
  for (uint32_t i = 0; i < n; ++i) s_paletteTable[i] = PackRgb555(table[4 * i + 2], table[4 * i + 1], table[4 * i]);
  for (uint32_t i = n; i < 256; ++i) s_paletteTable[i] = 0;
  for (int r = dy + h - 1; r >= dy; --r) {
    uint8_t* d = dest->GetPixelAddress(dx, r);
    const uint8_t* s = GetPixelAddress(sx, sy + (r - dy));
    if (d == nullptr || s == nullptr) continue;
    for (int i = 0; i < w; ++i) {
      if (key != kNoKey && s[i] == (key & 0xFF)) continue;
      std::memcpy(d + 2 * i, &s_paletteTable[s[i]], 2);
    }
  }
}

void CDIB::Fill(SkinColorRef colour, int x, int y, int w, int h, SkinColorRef border) {
  CDIBLock lock(this);
  if (!lock.HasPixels() || GetBitCount() != 16) return;
  if (w < 0) w = GetWidth();
  if (h < 0) h = GetHeight();
  const uint16_t c = PackColorRef555(colour);
  const uint16_t b = PackColorRef555(border);
  // The rectangle's edges, then the part of it inside the image: only that
  // part is walked, whatever the rectangle's size.
  const int64_t left = x, top = y, right = left + w, bottom = top + h;
  const int64_t x0 = left > 0 ? left : 0, y0 = top > 0 ? top : 0;
  const int64_t x1 = right < GetWidth() ? right : GetWidth(), y1 = bottom < GetHeight() ? bottom : GetHeight();
  for (int64_t py = y0; py < y1; ++py) {
    const bool edgeRow = py == top || py == bottom - 1;
    uint8_t* row = GetPixelAddress(0, static_cast<int>(py));
    if (row == nullptr) continue;
    for (int64_t px = x0; px < x1; ++px) {
      const bool edge = border != kNoKey && (edgeRow || px == left || px == right - 1);
      std::memcpy(row + 2 * px, edge ? &b : &c, 2);
    }
  }
}

void CDIB::OutlineColour(SkinColorRef inner, SkinColorRef outline, SkinColorRef outer) {
  CDIBLock lock(this);
  if (!lock.HasPixels() || GetBitCount() != 16) return;
  const uint16_t I = PackColorRef555(inner), N = PackColorRef555(outline), O = PackColorRef555(outer);
  // Pixel x of a row: rows are found once, pixels by their offset in it.
  auto get = [](const uint8_t* row, int x) {
    uint16_t v;
    std::memcpy(&v, row + 2 * x, 2);
    return v;
  };
  auto put = [](uint8_t* row, int x, uint16_t v) { std::memcpy(row + 2 * x, &v, 2); };
  const int w = GetWidth(), h = GetHeight();
  uint8_t* above = nullptr;
  for (int y = 0; y < h; ++y) {
    uint8_t* row = GetPixelAddress(0, y);
    if (row == nullptr) return;
    for (int x = 0; x < w; ++x) {
      const uint16_t P = get(row, x);
      if (x > 0) {
        const uint16_t L = get(row, x - 1);
        if (L == O && P == I)
          put(row, x - 1, N);
        else if (L == I && P == O)
          put(row, x, N);
      }
      if (above != nullptr) {
        const uint16_t U = get(above, x), now = get(row, x);
        if (U == O && now == I)
          put(above, x, N);
        else if (U == I && now == O)
          put(row, x, N);
      }
    }
    above = row;
  }
}

// ---------------------------------------------------------------------------
// CSprite

CSprite::CSprite() { m_dwFlags |= kClassFlag; }

void CSprite::OnUpdate() {
  if (m_pBits != nullptr) m_colourKey = CDIB::GetPixel(0, 0);
}

BOOL CSprite::Read(CFile* file) { return CDIB::Read(file); }

void CSprite::Draw(CDIB* dest, int dx, int dy, int w, int h, int sx, int sy, uint32_t key) {
  CDIB::Draw(dest, dx, dy, w, h, sx, sy, key == kNoKey ? m_colourKey : key);
}

void CSprite::DrawPaletted(CDIB* dest, int dx, int dy, int w, int h, int sx, int sy, uint32_t key) {
  CDIB::DrawPaletted(dest, dx, dy, w, h, sx, sy, key == kNoKey ? m_colourKey : key);
}

BOOL CSprite::HitTest(int x, int y) {
  SkinRect r;
  GetRect(&r);
  if (!PtInSkinRect(r, x, y)) return FALSE;
  if ((m_dwFlags & kClassFlag) == 0) return TRUE;
  return GetPixel(x, y) != m_colourKey ? TRUE : FALSE;
}

void CSprite::EnableColourKey(bool enable) {
  if (enable)
    m_dwFlags |= kClassFlag;
  else
    m_dwFlags &= ~kClassFlag;
}

// ---------------------------------------------------------------------------
// CAlphableDIB

uint32_t CAlphableDIB::GetForm() const { return m_pSource != nullptr ? (m_pSource->GetFlags() & 3u) : 1u; }

uint32_t CAlphableDIB::GetPixelBits() const {
  switch (GetForm()) {
    case 1:
    case 3:
      return 8;
    case 2:
      return 16;
    default:
      return 32;
  }
}

BOOL CAlphableDIB::Create(int width, int height, int32_t entry, CGraphicData* source) {
  m_pSource = source;
  const uint32_t form = GetForm();
  const uint32_t table = form == 1 ? 1024 : form == 3 ? 768 : 0;
  CreateHeader(width, height, kBitmapInfoHeaderBytes + table);
  HeaderOf(m_pHeader)->biBitCount = static_cast<uint16_t>(form == 1 || form == 3 ? 8 : 16);
  m_nEntry = entry;
  m_pSource = source;
  FreeBits();
  m_dwFlags &= ~(kOwnsBits | kClassFlag);
  m_dwFlags |= kPackedRows;
  Update();
  return TRUE;
}

uint32_t CAlphableDIB::GetRowBytes() const {
  return GetPixelBits() * static_cast<uint32_t>(GetWidth() > 0 ? GetWidth() : 0) / 8;
}

uint32_t CAlphableDIB::GetImageSize() const {
  return GetRowBytes() * static_cast<uint32_t>(GetHeight() > 0 ? GetHeight() : 0);
}

void CAlphableDIB::OnUpdate() {
  const uint32_t form = GetForm();
  if ((form != 1 && form != 3) || m_pBits == nullptr || (m_dwFlags & kClassFlag) != 0) return;
  // Only an image over a skin entry has the table after its rows and room
  // for it after its header; one given plain pixels (CreateBlank) has not.
  if ((m_dwFlags & kPackedRows) == 0) return;
  m_dwFlags |= kClassFlag;
  std::memcpy(GetColourTable(), m_pBits + static_cast<size_t>(GetRowBytes()) * GetHeight(), form == 1 ? 1024 : 768);
}

uint8_t* CAlphableDIB::GetPixelAddress(int x, int y) {
  if (m_pBits == nullptr || x < 0 || y < 0 || x >= GetWidth() || y >= GetHeight()) return nullptr;
  return m_pBits + static_cast<size_t>(GetRowBytes()) * y + static_cast<size_t>(x) * (GetPixelBits() / 8);
}

uint32_t CAlphableDIB::GetPixel(int x, int y) {
  CDIBLock lock(this);
  const uint8_t* p = GetPixelAddress(x, y);
  if (p == nullptr) return kNoKey;
  switch (GetPixelBits()) {
    case 8:
      return *p;
    case 16:
      return static_cast<uint32_t>(p[0] | (p[1] << 8));
    default:
      return SkinRgb(p[2], p[1], p[0]);
  }
}

void CAlphableDIB::ReadPixel(int x, int y, uint32_t* r, uint32_t* g, uint32_t* b, uint32_t* a) {
  const uint8_t* p = GetPixelAddress(x, y);
  const uint8_t* table = GetColourTable();
  switch (GetForm()) {
    case 1: {
      const uint8_t* c = table + 4 * *p;
      *b = c[0];
      *g = c[1];
      *r = c[2];
      *a = c[3];
      return;
    }
    case 3: {
      const uint32_t v = static_cast<uint32_t>(table[2 * *p] | (table[2 * *p + 1] << 8));
      *b = Expand5(v);
      *g = Expand5(v >> 5);
      *r = Expand5(v >> 10);
      *a = table[512 + *p];
      return;
    }
    case 2: {
      const uint32_t v = static_cast<uint32_t>(p[0] | (p[1] << 8));
      *b = Expand5(v);
      *g = Expand5(v >> 5);
      *r = Expand5(v >> 10);
      *a = m_pBits[static_cast<size_t>(GetRowBytes()) * GetHeight() + static_cast<size_t>(GetWidth()) * y + x];
      return;
    }
    default:
      *b = p[0];
      *g = p[1];
      *r = p[2];
      *a = p[3];
  }
}

namespace {

// (s a + d (255 - a)) / 255 per channel, d widened from its five bits.
// Every result fits 8 bits, so packing keeps its top five bits, as
// PackRgb555 does for values below 256.
inline uint16_t Blend555(uint32_t sr, uint32_t sg, uint32_t sb, uint32_t a, uint16_t dv) {
  const uint32_t na = 255 - a;
  const uint32_t r = (sr * a + Expand5(dv >> 10) * na) / 255;
  const uint32_t g = (sg * a + Expand5(dv >> 5) * na) / 255;
  const uint32_t b = (sb * a + Expand5(dv) * na) / 255;
  return static_cast<uint16_t>(((r & 0xF8) << 7) | ((g & 0xF8) << 2) | (b >> 3));
}

// 8-bit channels straight into 5:5:5: the blend above with alpha 255,
// where (s 255 + d 0) / 255 is s exactly.
inline uint16_t Opaque555(uint32_t r, uint32_t g, uint32_t b) {
  return static_cast<uint16_t>(((r & 0xF8) << 7) | ((g & 0xF8) << 2) | (b >> 3));
}

// One pixel of colour (r, g, b) with alpha a over *d: alpha 0 leaves it,
// 255 replaces it, anything between blends.
inline void Compose(uint8_t* d, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  if (a == 0) return;
  uint16_t out;
  if (a == 255) {
    out = Opaque555(r, g, b);
  } else {
    uint16_t dv;
    std::memcpy(&dv, d, 2);
    out = Blend555(r, g, b, a, dv);
  }
  std::memcpy(d, &out, 2);
}

// An indexed image's colours as the composition needs them, made once per
// draw: each index's channels and alpha, and the 16-bit pixel it writes
// where it is opaque.
struct IndexedColours {
  uint8_t r[256], g[256], b[256], a[256];
  uint16_t opaque[256];

  void Set(uint32_t k, uint32_t cr, uint32_t cg, uint32_t cb, uint32_t ca) {
    r[k] = static_cast<uint8_t>(cr);
    g[k] = static_cast<uint8_t>(cg);
    b[k] = static_cast<uint8_t>(cb);
    a[k] = static_cast<uint8_t>(ca);
    opaque[k] = Opaque555(cr, cg, cb);
  }
  // table: 256 x {B, G, R, A} (form 1), or 256 x u16 5:5:5 then 256
  // alphas (form 3).
  void Read(uint32_t form, const uint8_t* table) {
    for (uint32_t k = 0; k < 256; ++k) {
      if (form == 1) {
        const uint8_t* c = table + 4 * k;
        Set(k, c[2], c[1], c[0], c[3]);
      } else {
        const uint32_t v = static_cast<uint32_t>(table[2 * k] | (table[2 * k + 1] << 8));
        Set(k, Expand5(v >> 10), Expand5(v >> 5), Expand5(v), table[512 + k]);
      }
    }
  }
};

// One row of w pixels of each form into a 16-bit row.  s is the first
// source pixel; alpha the first alpha byte (form 2); colours the indexed
// forms' colours (forms 1 and 3).
void ComposeRowIndexed(uint8_t* d, const uint8_t* s, const IndexedColours& colours, int w) {
  for (int i = 0; i < w; ++i, d += 2) {
    const uint32_t k = s[i];
    const uint32_t a = colours.a[k];
    // The opaque case, by far the most common, straight from the table.
    if (a == 255)
      std::memcpy(d, &colours.opaque[k], 2);
    else
      Compose(d, colours.r[k], colours.g[k], colours.b[k], a);
  }
}

void ComposeRow555(uint8_t* d, const uint8_t* s, const uint8_t* alpha, int w) {
  for (int i = 0; i < w; ++i, d += 2, s += 2) {
    const uint32_t v = static_cast<uint32_t>(s[0] | (s[1] << 8));
    Compose(d, Expand5(v >> 10), Expand5(v >> 5), Expand5(v), alpha[i]);
  }
}

void ComposeRow32(uint8_t* d, const uint8_t* s, int w) {
  for (int i = 0; i < w; ++i, d += 2, s += 4) Compose(d, s[2], s[1], s[0], s[3]);
}

}  // namespace

void CAlphableDIB::Draw(CDIB* dest, int dx, int dy, int w, int h, int sx, int sy, uint32_t) {
  if (dest == nullptr) return;
  CDIBLock lock(this);
  CDIBLock destLock(dest);
  if (!lock.HasPixels() || !destLock.HasPixels() || dest->GetBitCount() != 16) return;
  if (!ClipDraw(this, dest, &dx, &dy, &w, &h, &sx, &sy)) return;
  // Clipped once above: every source row below lies inside the image, so
  // the rows are walked by address, with the form and its tables read once.
  const uint32_t form = GetForm();
  const size_t rowBytes = GetRowBytes();
  const size_t pixelBytes = GetPixelBits() / 8;
  const size_t width = static_cast<size_t>(GetWidth());
  const uint8_t* alphaPlane = m_pBits + rowBytes * static_cast<size_t>(GetHeight());
  IndexedColours colours;
  if (form == 1 || form == 3) colours.Read(form, GetColourTable());
  for (int row = dy + h - 1; row >= dy; --row) {
    uint8_t* d = dest->GetPixelAddress(dx, row);
    if (d == nullptr) continue;
    const size_t srcY = static_cast<size_t>(sy + (row - dy));
    const uint8_t* s = m_pBits + rowBytes * srcY + static_cast<size_t>(sx) * pixelBytes;
    switch (form) {
      case 1:
      case 3:
        ComposeRowIndexed(d, s, colours, w);
        break;
      case 2:
        ComposeRow555(d, s, alphaPlane + width * srcY + static_cast<size_t>(sx), w);
        break;
      default:
        ComposeRow32(d, s, w);
    }
  }
}

BOOL CAlphableDIB::HitTest(int x, int y) {
  SkinRect r;
  GetRect(&r);
  if (!PtInSkinRect(r, x, y)) return FALSE;
  CDIBLock lock(this);
  if (!lock.HasPixels()) return FALSE;
  uint32_t cr, cg, cb, a;
  ReadPixel(x, y, &cr, &cg, &cb, &a);
  return a != 0 ? TRUE : FALSE;
}
