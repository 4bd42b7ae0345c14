// Images: 5:5:5 packing and the blend, keyed and palette-mapped copies,
// clipping against both images, the four alpha forms, the outline, BMP
// streams with RLE, colour counts, reference counts and the pixel lock
// over a skin entry.
#include "skin/dib.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "framework/afxfile.h"
#include "framework/byte_order.h"
#include "skin/graphic_data.h"
#include "tools/mkskin/rdl_writer.h"

namespace {

uint16_t Px(CDIB& d, int x, int y) { return static_cast<uint16_t>(d.GetPixel(x, y)); }

TEST(Pixels, PackAndBlend) {
  struct Case {
    uint32_t r, g, b;
    uint16_t want;
  } const packs[] = {
      {255, 255, 255, 0x7FFF}, {8, 8, 8, 0x0421},   {0, 0, 0, 0},        {7, 7, 7, 0},
      {255, 0, 0, 0x7C00},     {0, 255, 0, 0x03E0}, {0, 0, 255, 0x001F}, {300, 1000, 999, 0x7FFF},
  };
  for (const Case& c : packs) {
    SCOPED_TRACE(testing::Message() << c.r << "," << c.g << "," << c.b);
    EXPECT_EQ(c.want, PackRgb555(c.r, c.g, c.b));
  }
  EXPECT_EQ(0x7C1F, PackColorRef555(0xFF00FF));

  // One 1x1 32-bit alpha pixel over a 1x1 destination: (s a + d (255 - a)) / 255.
  struct Blend {
    uint8_t s, a;
    uint16_t dest, want;
  } const blends[] = {
      {255, 128, 0x0000, 0x4210},  // white half over black
      {255, 0, 0x1234, 0x1234},    // alpha 0 leaves the destination
      {200, 255, 0x7FFF, PackRgb555(200, 200, 200)},
      // destination 0x7FFF widens to 248 per channel, no replication:
      // (0 * 100 + 248 * 155) / 255 = 150 -> 144 after packing.
      {0, 100, 0x7FFF, PackRgb555(150, 150, 150)},
  };
  for (const Blend& c : blends) {
    SCOPED_TRACE(testing::Message() << int(c.s) << "@" << int(c.a));
    CRdlWriter w;
    w.AddRaw(1, 1, {c.s, c.s, c.s, c.a});
    std::vector<uint8_t> bytes = w.Build();
    CGraphicData skin(4, 0);
    ASSERT_TRUE(skin.OpenMemory(bytes.data(), bytes.size()));
    CAlphableDIB src;
    src.Create(1, 1, 0, &skin);
    CDIB dest;
    dest.CreateBlank(1, 1, nullptr);
    std::memcpy(dest.GetBits(), &c.dest, 2);
    src.Draw(&dest, 0, 0, 1, 1, 0, 0, CDIB::kNoKey);
    EXPECT_EQ(c.want, Px(dest, 0, 0));
  }
}

TEST(Pixels, KeyedCopiesCompareFifteenBitsAndClearBit15) {
  CDIB src, dest;
  src.CreateBlank(4, 1, nullptr);
  dest.CreateBlank(4, 1, nullptr);
  const uint16_t in[4] = {0x001F, 0x801F, 0x8123, 0x7FFF};
  std::memcpy(src.GetPixelAddress(0, 0), in, sizeof in);
  for (int x = 0; x < 4; ++x) std::memcpy(dest.GetPixelAddress(x, 0), "\x55\x55", 2);
  src.Draw(&dest, 0, 0, 4, 1, 0, 0, 0x801F);
  EXPECT_EQ(0x5555, Px(dest, 0, 0)) << "0x001F is the key";
  EXPECT_EQ(0x5555, Px(dest, 1, 0)) << "0x801F is the key too";
  EXPECT_EQ(0x0123, Px(dest, 2, 0)) << "bit 15 written as 0";
  EXPECT_EQ(0x7FFF, Px(dest, 3, 0));
  // No key: a plain copy of the bytes.
  src.Draw(&dest, 0, 0, 4, 1, 0, 0, CDIB::kNoKey);
  EXPECT_EQ(0x801F, Px(dest, 1, 0));

  // A sprite's key comes from its pixel (0, 0); key -1 means that key.
  CSprite sprite;
  sprite.CreateBlank(2, 1, nullptr);
  const uint16_t sp[2] = {0x7C1F, 0x03E0};
  std::memcpy(sprite.GetPixelAddress(0, 0), sp, sizeof sp);
  sprite.Update();
  EXPECT_EQ(0x7C1Fu, sprite.GetColourKey());
  std::memset(dest.GetBits(), 0, dest.GetImageSize());
  sprite.Draw(&dest, 0, 0, 2, 1, 0, 0, CDIB::kNoKey);
  EXPECT_EQ(0, Px(dest, 0, 0));
  EXPECT_EQ(0x03E0, Px(dest, 1, 0));
  EXPECT_FALSE(sprite.HitTest(0, 0));
  EXPECT_TRUE(sprite.HitTest(1, 0));
  EXPECT_FALSE(sprite.HitTest(2, 0));
  sprite.EnableColourKey(false);
  EXPECT_TRUE(sprite.HitTest(0, 0));
}

// A 16-bit image of w x h inside a block with guard bytes on both sides.
struct Guarded {
  Guarded(int w, int h, uint16_t fill) : width(w), height(h) {
    const size_t stride = ((16u * w + 31) / 32) * 4;
    block.assign(kGuard + stride * h + kGuard, 0xA5);
    for (size_t i = 0; i < stride * h / 2; ++i) std::memcpy(&block[kGuard + 2 * i], &fill, 2);
    dib.CreateBlank(w, h, &block[kGuard]);
  }
  bool GuardsIntact() const {
    for (size_t i = 0; i < kGuard; ++i)
      if (block[i] != 0xA5 || block[block.size() - 1 - i] != 0xA5) return false;
    return true;
  }
  static constexpr size_t kGuard = 64;
  int width, height;
  std::vector<uint8_t> block;
  CDIB dib;
};

TEST(Pixels, DrawsAreClippedToBothImages) {
  struct Case {
    int dx, dy, w, h, sx, sy;
    int cols, rows;  // written
  } const cases[] = {
      {0, 0, 8, 6, 0, 0, 8, 6},           {34, 0, 50, 2, 0, 0, 6, 2},  // dest width 40: 6 columns left
      {0, 0, 8, 6, 5, 0, 3, 6},           {0, 0, 8, 6, 0, 4, 8, 2},    // source offset limits
      {-3, 0, 8, 1, 0, 0, 5, 1},          {0, -2, 1, 6, 0, 0, 1, 4},   // negative positions
      {0, 0, 8, 6, -2, 0, 6, 6},          {0, 0, 8, 6, 8, 0, 0, 0},    // negative source, source past its end
      {40, 0, 5, 5, 0, 0, 0, 0},          {0, 30, 5, 5, 0, 0, 0, 0},   // past the destination
      {0, 0, 0, 5, 0, 0, 0, 0},           {0, 0, 5, -1, 0, 0, 0, 0},  {0, 0, 0x7FFFFFFF, 0x7FFFFFFF, 0, 0, 8, 6},
      {-0x7FFFFFFF, 0, 8, 6, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy << " " << c.w << "x" << c.h << " from " << c.sx << ","
                                    << c.sy);
    Guarded src(8, 6, 0x1111), dest(40, 30, 0);
    src.dib.Draw(&dest.dib, c.dx, c.dy, c.w, c.h, c.sx, c.sy, CDIB::kNoKey);
    int cols = 0, rows = 0;
    for (int y = 0; y < 30; ++y) {
      int inRow = 0;
      for (int x = 0; x < 40; ++x) inRow += Px(dest.dib, x, y) != 0;
      if (inRow) ++rows;
      if (inRow > cols) cols = inRow;
    }
    EXPECT_EQ(c.cols, cols);
    EXPECT_EQ(c.rows, rows);
    EXPECT_TRUE(src.GuardsIntact() && dest.GuardsIntact());
  }
}

// The four skin forms, each a 2x1 image: pixel 0 half-transparent red,
// pixel 1 fully transparent.
std::vector<uint8_t> FormEntry(uint32_t flags) {
  std::vector<uint8_t> e;
  switch (flags) {
    case 1:
      e = {0, 1};
      e.resize(2 + 1024, 0);
      e[2 + 0] = 0, e[2 + 1] = 0, e[2 + 2] = 248, e[2 + 3] = 128;  // {B, G, R, A}
      break;
    case 3:
      e = {0, 1};
      e.resize(2 + 768, 0);
      e[2] = 0x00, e[3] = 0x7C;  // red 0x7C00
      e[2 + 512] = 128;
      break;
    case 2:
      e = {0x00, 0x7C, 0x00, 0x7C, 128, 0};
      break;
    default:
      e = {0, 0, 248, 128, 0, 0, 248, 0};
  }
  return e;
}

TEST(Pixels, EachAlphaFormBlendsAndHitTests) {
  for (uint32_t flags : {1u, 3u, 2u, 0u}) {
    SCOPED_TRACE(flags);
    CRdlWriter w;
    w.AddRaw(2, 1, FormEntry(flags));
    std::vector<uint8_t> bytes = w.Build();
    CGraphicData skin(4, flags);
    ASSERT_TRUE(skin.OpenMemory(bytes.data(), bytes.size()));
    CAlphableDIB img;
    img.Create(2, 1, 0, &skin);
    EXPECT_EQ(flags == 1 || flags == 3 ? 8 : 16, img.GetBitCount());
    EXPECT_EQ(nullptr, img.GetBits()) << "no pixels outside a lock";
    CDIB dest;
    dest.CreateBlank(2, 1, nullptr);
    const uint16_t blue[2] = {0x001F, 0x001F};
    std::memcpy(dest.GetBits(), blue, 4);
    img.Draw(&dest, 0, 0, 2, 1, 0, 0, 0);
    // (248 * 128 + 0 * 127) / 255 = 124 red; (0 * 128 + 248 * 127) / 255 = 123 blue.
    EXPECT_EQ(PackRgb555(124, 0, 123), Px(dest, 0, 0));
    EXPECT_EQ(0x001F, Px(dest, 1, 0));
    EXPECT_TRUE(img.HitTest(0, 0));
    EXPECT_FALSE(img.HitTest(1, 0));
    EXPECT_FALSE(img.HitTest(2, 0));
    EXPECT_EQ(nullptr, img.GetBits());
    EXPECT_EQ(-1, skin.GetRefCount(0) > 0 ? 1 : -1) << "the lock gave the entry back";
  }
}

TEST(Pixels, OutlineMarksOuterPixelsTouchingInner) {
  // I = white, O = magenta; worked by hand with the scan rule.
  const char* before[] = {"OOOO", "OIIO", "OOOO", "OOIO"};
  const char* after[] = {"ONNO", "NIIN", "ONNO", "ONIN"};
  CDIB d;
  d.CreateBlank(4, 4, nullptr);
  const uint16_t I = 0x7FFF, O = 0x7C1F, N = 0;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) std::memcpy(d.GetPixelAddress(x, y), before[y][x] == 'I' ? &I : &O, 2);
  d.OutlineColour(0xFFFFFF, 0x000000, 0xFF00FF);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      SCOPED_TRACE(testing::Message() << x << "," << y);
      const uint16_t want = after[y][x] == 'I' ? I : after[y][x] == 'N' ? N : O;
      EXPECT_EQ(want, Px(d, x, y));
    }
  }
}

TEST(Pixels, FillWithBorderStaysInside) {
  Guarded g(6, 4, 0);
  g.dib.Fill(0x0000FF, 1, 1, 4, 3, 0xFFFFFF);
  EXPECT_EQ(0x7FFF, Px(g.dib, 1, 1));
  EXPECT_EQ(0x7FFF, Px(g.dib, 4, 3));
  EXPECT_EQ(0x7C00, Px(g.dib, 2, 2));
  EXPECT_EQ(0, Px(g.dib, 0, 0));
  g.dib.Fill(0x00FF00, -5, -5, 100, 100, CDIB::kNoKey);
  EXPECT_EQ(0x03E0, Px(g.dib, 5, 3));
  g.dib.Fill(0xFF0000, 0, 0, -1, -1, CDIB::kNoKey);
  EXPECT_EQ(0x001F, Px(g.dib, 0, 0));
  EXPECT_TRUE(g.GuardsIntact());
}

TEST(Pixels, FillWalksOnlyWhatLiesInsideTheImage) {
  // A rectangle far larger than the image, its edges outside: only the
  // image's pixels are visited, so this returns at once.
  Guarded g(4, 2, 0);
  g.dib.Fill(0x0000FF, -0x7FFFFFFD, -1, 0x7FFFFFFF, 0x7FFFFFFF, 0xFFFFFF);
  EXPECT_EQ(0x7C00, Px(g.dib, 0, 0)) << "inside the rectangle's edges";
  EXPECT_EQ(0x7C00, Px(g.dib, 0, 1));
  EXPECT_EQ(0x7FFF, Px(g.dib, 1, 1)) << "its right edge";
  EXPECT_EQ(0, Px(g.dib, 2, 0)) << "right of the rectangle";
  g.dib.Fill(0x00FF00, -100000000, 0, 100000002, 1, CDIB::kNoKey);
  EXPECT_EQ(0x03E0, Px(g.dib, 1, 0));
  EXPECT_EQ(0x7FFF, Px(g.dib, 1, 1));
  EXPECT_EQ(0, Px(g.dib, 2, 0));
  // Clipped on the left and top: the edges that lie inside keep the border.
  g.dib.Fill(0xFF0000, -1, -1, 3, 4, 0xFFFFFF);
  EXPECT_EQ(0x001F, Px(g.dib, 0, 0));
  EXPECT_EQ(0x001F, Px(g.dib, 0, 1));
  EXPECT_EQ(0x7FFF, Px(g.dib, 1, 0)) << "the right edge";
  EXPECT_EQ(0x7FFF, Px(g.dib, 1, 1));
  EXPECT_EQ(0, Px(g.dib, 2, 1));
  // Nothing inside at all.
  g.dib.Fill(0xFFFFFF, 4, 0, 0x7FFFFFFF, 0x7FFFFFFF, 0xFFFFFF);
  g.dib.Fill(0xFFFFFF, -0x7FFFFFFF, -0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0xFFFFFF);
  EXPECT_EQ(0, Px(g.dib, 3, 1));
  EXPECT_TRUE(g.GuardsIntact());
}

TEST(Pixels, RowsArePaddedToFourBytes) {
  struct Case {
    uint16_t bits;
    int width;
    uint32_t stride;
  } const cases[] = {{1, 1, 4},  {1, 32, 4}, {1, 33, 8}, {4, 9, 8},   {8, 5, 8},  {8, 8, 8},
                     {16, 3, 8}, {16, 2, 4}, {24, 1, 4}, {24, 3, 12}, {32, 3, 12}};
  for (const Case& c : cases) {
    SkinBitmapInfoHeader h = {40, c.width, 2, 1, c.bits, 0, 0, 0, 0, 0, 0};
    std::vector<uint8_t> info(40 + 1024, 0);  // room for any colour table
    std::memcpy(info.data(), &h, 40);
    CDIB d;
    d.CreateFromHeader(info.data(), nullptr);
    EXPECT_EQ(c.stride, d.GetRowBytes()) << c.bits << " bits, " << c.width << " wide";
    EXPECT_EQ(2 * c.stride, d.GetImageSize());
  }
  // A 3 x 2 16-bit image over a block of its own: the bottom row at 0, its
  // padding at 6-7, the top row at 8.
  uint8_t block[16];
  std::memset(block, 0xEE, sizeof block);
  const uint16_t top0 = 0x1111, bottom2 = 0x2222;
  std::memcpy(block + 8, &top0, 2);
  std::memcpy(block + 4, &bottom2, 2);
  CDIB d;
  d.CreateBlank(3, 2, block);
  EXPECT_EQ(block + 8, d.GetPixelAddress(0, 0));
  EXPECT_EQ(block + 4, d.GetPixelAddress(2, 1));
  EXPECT_EQ(0x1111u, d.GetPixel(0, 0));
  EXPECT_EQ(0x2222u, d.GetPixel(2, 1));
  CDIB dest;
  dest.CreateBlank(3, 2, nullptr);
  d.Draw(&dest, 0, 0, 3, 2, 0, 0, CDIB::kNoKey);
  EXPECT_EQ(0x1111, Px(dest, 0, 0));
  EXPECT_EQ(0x2222, Px(dest, 2, 1));
  EXPECT_EQ(0xEEEE, Px(dest, 0, 1)) << "row starts from the stride, not the width";
  CMemFile f;
  ASSERT_TRUE(d.Write(&f));
  EXPECT_EQ(54u + 16u, f.GetLength());
}

// An 8-bit 3 x 2 image with three colours: index rows {0, 1, 2} (top) and
// {2, 2, 0}.  Table entries are {B, G, R, unused}.
void PalettedSource(CDIB& d, const uint8_t (&table)[3][4]) {
  std::vector<uint8_t> info(40 + 12, 0);
  SkinBitmapInfoHeader h = {40, 3, 2, 1, 8, 0, 0, 0, 0, 3, 0};
  std::memcpy(info.data(), &h, 40);
  std::memcpy(&info[40], table, 12);
  d.CreateFromHeader(info.data(), nullptr);
  const uint8_t rows[2][3] = {{0, 1, 2}, {2, 2, 0}};
  for (int y = 0; y < 2; ++y) std::memcpy(d.GetPixelAddress(0, y), rows[y], 3);
  d.Update();
}

TEST(Pixels, DrawPalettedMapsIndicesThroughTheTable) {
  const uint8_t warm[3][4] = {{0x10, 0x20, 0xF8, 0}, {0xF8, 0, 0, 0}, {0, 0xF8, 0x40, 0}};
  const uint16_t c0 = PackRgb555(0xF8, 0x20, 0x10), c1 = 0x001F, c2 = PackRgb555(0x40, 0xF8, 0);
  CDIB src;
  PalettedSource(src, warm);
  const uint16_t bg = 0x5555;
  auto freshDest = [&](CDIB& dest) {
    dest.CreateBlank(5, 4, nullptr);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 5; ++x) std::memcpy(dest.GetPixelAddress(x, y), &bg, 2);
  };
  // What the 5 x 4 destination shows after a draw at (1, 1), as rows.
  auto rows = [](CDIB& dest) {
    std::vector<std::vector<uint16_t>> out(4);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 5; ++x) out[y].push_back(Px(dest, x, y));
    return out;
  };
  using Rows = std::vector<std::vector<uint16_t>>;
  {
    CDIB dest;
    freshDest(dest);
    src.DrawPaletted(&dest, 1, 1, 3, 2, 0, 0, CDIB::kNoKey);
    EXPECT_EQ((Rows{{bg, bg, bg, bg, bg}, {bg, c0, c1, c2, bg}, {bg, c2, c2, c0, bg}, {bg, bg, bg, bg, bg}}),
              rows(dest));
  }
  {
    // Index 1 is the key (only its low byte counts); a source offset and
    // the destination's edge clip the rest.
    CDIB dest;
    freshDest(dest);
    src.DrawPaletted(&dest, 3, 2, 9, 9, 1, 0, 0x101);
    EXPECT_EQ((Rows{{bg, bg, bg, bg, bg}, {bg, bg, bg, bg, bg}, {bg, bg, bg, bg, c2}, {bg, bg, bg, c2, c0}}),
              rows(dest));
  }
  {
    // Another image's table is used for its own draw: the mapping is made
    // anew each time.
    const uint8_t cold[3][4] = {{0xF8, 0xF8, 0, 0}, {0, 0, 0, 0}, {0x80, 0x80, 0x80, 0}};
    CDIB other;
    PalettedSource(other, cold);
    CDIB dest;
    freshDest(dest);
    other.DrawPaletted(&dest, 0, 0, 1, 1, 0, 0, CDIB::kNoKey);
    src.DrawPaletted(&dest, 1, 0, 1, 1, 0, 0, CDIB::kNoKey);
    EXPECT_EQ(PackRgb555(0, 0xF8, 0xF8), Px(dest, 0, 0));
    EXPECT_EQ(c0, Px(dest, 1, 0));
  }
  {
    // A sprite's own key (its pixel (0, 0), index 0) when given none.
    CSprite sprite;
    PalettedSource(sprite, warm);
    EXPECT_EQ(0u, sprite.GetColourKey());
    CDIB dest;
    freshDest(dest);
    sprite.DrawPaletted(&dest, 0, 0, 3, 2, 0, 0, CDIB::kNoKey);
    EXPECT_EQ((Rows{{bg, c1, c2, bg, bg}, {c2, c2, bg, bg, bg}, {bg, bg, bg, bg, bg}, {bg, bg, bg, bg, bg}}),
              rows(dest));
  }
  {
    // Only an 8-bit image into a 16-bit one.
    CDIB dest8, dest;
    PalettedSource(dest8, warm);
    freshDest(dest);
    src.DrawPaletted(&dest8, 0, 0, 3, 2, 0, 0, CDIB::kNoKey);
    EXPECT_EQ(1u, dest8.GetPixel(1, 0));
    dest.DrawPaletted(&dest, 0, 0, 3, 2, 1, 1, CDIB::kNoKey);
    EXPECT_EQ(bg, Px(dest, 0, 0));
  }
}

TEST(Pixels, ColourCounts) {
  struct Case {
    uint16_t bits;
    uint32_t used;
    uint32_t want;
  } const cases[] = {{1, 0, 2},    {4, 0, 16},   {8, 0, 256},  {8, 16, 16}, {8, 300, 256},
                     {16, 0, 257}, {24, 0, 257}, {32, 0, 257}, {32, 5, 5},  {255, 0, 257}};
  for (const Case& c : cases) {
    SkinBitmapInfoHeader h = {};
    h.biSize = 40;
    h.biBitCount = c.bits;
    h.biClrUsed = c.used;
    EXPECT_EQ(c.want, GetColourCount(&h)) << c.bits << "/" << c.used;
  }
  SkinBitmapCoreHeader core = {12, 1, 1, 1, 4};
  EXPECT_EQ(16u, GetColourCount(&core));
}

TEST(Images, ReferenceCounts) {
  CDIB* d = new CDIB;
  EXPECT_EQ(1, d->AddRef());
  EXPECT_EQ(2, d->AddRef());
  EXPECT_EQ(1, d->Release());
  EXPECT_EQ(0, d->Release()) << "deleted: LeakSanitizer would report otherwise";
  EXPECT_STREQ("CDIB", RUNTIME_CLASS(CDIB)->m_lpszClassName);
  CObject* s = CRuntimeClass::CreateObject("CSprite");
  ASSERT_NE(nullptr, s);
  EXPECT_TRUE(s->IsKindOf(RUNTIME_CLASS(CDIB)));
  delete s;
}

// ---------------------------------------------------------------------------
// BMP streams

std::vector<uint8_t> FileBytes(CMemFile& f) {
  std::vector<uint8_t> out(static_cast<size_t>(f.GetLength()));
  f.SeekToBegin();
  if (!out.empty()) f.Read(out.data(), static_cast<UINT>(out.size()));
  return out;
}

TEST(Bmp, WriteThenReadEachBitCount) {
  for (uint16_t bits : {1, 4, 8, 16, 24, 32}) {
    SCOPED_TRACE(bits);
    SkinBitmapInfoHeader h = {40, 5, 3, 1, bits, 0, 0, 0, 0, 0, 0};
    std::vector<uint8_t> info(40 + 1024, 0);
    std::memcpy(info.data(), &h, 40);
    for (int i = 0; i < 256; ++i) info[40 + 4 * i] = static_cast<uint8_t>(i);
    CDIB a;
    a.CreateFromHeader(info.data(), nullptr);
    for (uint32_t i = 0; i < a.GetImageSize(); ++i) a.GetBits()[i] = static_cast<uint8_t>(i * 7 + bits);
    CMemFile f;
    ASSERT_TRUE(a.Write(&f));
    std::vector<uint8_t> bytes = FileBytes(f);
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ('B', bytes[0]);
    EXPECT_EQ('M', bytes[1]);
    const uint32_t table = bits <= 8 ? 4u << bits : 0;
    EXPECT_EQ(54 + table + a.GetImageSize(), bytes.size());
    f.SeekToBegin();
    CDIB b;
    ASSERT_TRUE(b.Read(&f));
    EXPECT_EQ(5, b.GetWidth());
    EXPECT_EQ(3, b.GetHeight());
    EXPECT_EQ(bits, b.GetBitCount());
    ASSERT_EQ(a.GetImageSize(), b.GetImageSize());
    EXPECT_EQ(0, std::memcmp(a.GetBits(), b.GetBits(), a.GetImageSize()));
    EXPECT_EQ(0, std::memcmp(a.GetColourTable(), b.GetColourTable(), table));
  }
}

// A BMP of an 8- or 4-bit image with the given RLE stream.
std::vector<uint8_t> RleBmp(int w, int h, uint16_t bits, const std::vector<uint8_t>& stream) {
  const uint32_t table = 4u << bits;
  std::vector<uint8_t> b(54 + table + stream.size(), 0);
  b[0] = 'B';
  b[1] = 'M';
  PutLe32(b.data() + 2, static_cast<uint32_t>(b.size()));
  PutLe32(b.data() + 10, 54 + table);
  PutLe32(b.data() + 14, 40);
  PutLe32(b.data() + 18, static_cast<uint32_t>(w));
  PutLe32(b.data() + 22, static_cast<uint32_t>(h));
  b[26] = 1;
  b[28] = static_cast<uint8_t>(bits);
  PutLe32(b.data() + 30, bits == 8 ? 1 : 2);
  // Sized once and copied in: gcc 12 takes an insert at the end for a write
  // past the block.
  if (!stream.empty()) std::memcpy(b.data() + 54 + table, stream.data(), stream.size());
  return b;
}

bool ReadBytes(CDIB& d, const std::vector<uint8_t>& bytes) {
  CMemFile f;
  f.Write(bytes.data(), static_cast<UINT>(bytes.size()));
  f.SeekToBegin();
  return d.Read(&f) != FALSE;
}

// Row y (top = 0) of a bottom-up 8-bit image as bytes.
std::vector<uint8_t> Row(CDIB& d, int y) {
  std::vector<uint8_t> r;
  for (int x = 0; x < d.GetWidth(); ++x) r.push_back(static_cast<uint8_t>(d.GetPixel(x, y)));
  return r;
}

TEST(Bmp, Rle8) {
  struct Case {
    const char* name;
    std::vector<uint8_t> stream;
    bool ok;
    std::vector<uint8_t> bottom, top;  // rows 1 (bottom) and 0 of a 4 x 2 image
  } const cases[] = {
      {"run then end", {3, 5, 0, 0, 0, 1}, true, {5, 5, 5, 0}, {0, 0, 0, 0}},
      {"odd literal is padded", {0, 3, 1, 2, 3, 0, 0, 0, 2, 9, 0, 1}, true, {1, 2, 3, 0}, {9, 9, 0, 0}},
      {"delta", {0, 2, 1, 1, 2, 7, 0, 1}, true, {0, 0, 0, 0}, {0, 7, 7, 0}},
      {"a run wraps at the padded row", {6, 4, 0, 1}, true, {4, 4, 4, 4}, {4, 4, 0, 0}},
      {"no end of bitmap", {3, 5}, false, {}, {}},
      {"cut after the escape", {3, 5, 0}, false, {}, {}},
      {"delta cut", {0, 2, 1}, false, {}, {}},
      {"literal cut", {0, 4, 1, 2}, false, {}, {}},
      {"past the last row", {0, 0, 0, 0, 1, 1, 0, 1}, false, {}, {}},
      {"delta past the rows, then a pixel", {0, 2, 0, 5, 1, 1, 0, 1}, false, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CDIB d;
    d.CreateBlank(1, 1, nullptr);
    EXPECT_EQ(c.ok, ReadBytes(d, RleBmp(4, 2, 8, c.stream)));
    if (!c.ok) {
      EXPECT_EQ(1, d.GetWidth()) << "the previous picture is kept";
      continue;
    }
    EXPECT_EQ(c.bottom, Row(d, 1));
    EXPECT_EQ(c.top, Row(d, 0));
    EXPECT_EQ(0u, d.GetHeader()->biCompression);
  }
}

TEST(Bmp, Rle4) {
  // Nibbles of a 4-bit image, 8 wide, 1 high: stride 4 bytes.
  struct Case {
    const char* name;
    std::vector<uint8_t> stream;
    bool ok;
    std::vector<uint8_t> bytes;  // the row's 4 bytes
  } const cases[] = {
      {"run alternates high then low", {5, 0x12, 0, 1}, true, {0x12, 0x12, 0x10, 0}},
      {"odd literal count", {0, 3, 0xAB, 0xC0, 0, 1}, true, {0xAB, 0xC0, 0, 0}},
      {"literal of 5 nibbles, padded", {0, 5, 0x12, 0x34, 0x50, 0x00, 2, 0x77, 0, 1}, true, {0x12, 0x34, 0x57, 0x70}},
      {"end of line then end", {2, 0x11, 0, 0, 0, 1}, true, {0x11, 0, 0, 0}},
      {"runs past the row need a second row", {9, 0x22, 0, 1}, false, {}},
      {"no end", {2, 0x11}, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CDIB d;
    EXPECT_EQ(c.ok, ReadBytes(d, RleBmp(8, 1, 4, c.stream)));
    if (c.ok) {
      EXPECT_EQ(c.bytes, std::vector<uint8_t>(d.GetBits(), d.GetBits() + 4));
    }
  }
  // RLE4 compression on an 8-bit image is refused.
  std::vector<uint8_t> wrong = RleBmp(4, 1, 8, {1, 1, 0, 1});
  PutLe32(wrong.data() + 30, 2);
  CDIB d;
  EXPECT_FALSE(ReadBytes(d, wrong));
}

TEST(Bmp, ReadRefusesWhatItCannotTrust) {
  CDIB good;
  good.CreateBlank(4, 3, nullptr);
  CMemFile f;
  ASSERT_TRUE(good.Write(&f));
  const std::vector<uint8_t> base = FileBytes(f);
  struct Case {
    const char* name;
    size_t at;
    uint32_t value;  // written little-endian, 4 bytes
    size_t cut;      // bytes kept (0: all)
  } const cases[] = {
      {"wrong type", 0, 0x4D41, 0},
      {"core header", 14, 12, 0},
      {"width 0", 18, 0, 0},
      {"negative width", 18, 0xFFFFFFFF, 0},
      {"height 0", 22, 0, 0},
      {"bit count 7", 28, 0x00000007, 0},
      {"huge width", 18, 0x40000000, 0},
      {"offset past the size", 10, 0x10000, 0},
      {"offset below the headers", 10, 20, 0},
      {"size past the file", 2, 0x10000, 0},
      {"compression 3", 30, 3, 0},
      {"short pixel block", 0, 0x4D42, 60},
      {"short header", 0, 0x4D42, 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> b = base;
    if (c.at == 28 || c.at == 0) {
      PutLe16(b.data() + c.at, static_cast<uint16_t>(c.value));
    } else {
      PutLe32(b.data() + c.at, c.value);
    }
    if (c.cut) b.resize(c.cut);
    CDIB d;
    d.CreateBlank(2, 2, nullptr);
    EXPECT_FALSE(ReadBytes(d, b));
    EXPECT_EQ(2, d.GetWidth());
    EXPECT_NE(nullptr, d.GetBits());
  }
  // A block shorter than stride x height on its own: padded with zeros.
  std::vector<uint8_t> b = base;
  PutLe32(b.data() + 2, 54 + 4);
  CDIB d;
  ASSERT_TRUE(ReadBytes(d, b));
  EXPECT_EQ(0u, d.GetPixel(3, 0));
}

// ---------------------------------------------------------------------------
// The pixel lock over skin entries

TEST(Lock, EntryShorterThanTheImageIsNotDrawn) {
  // Entry 0: 4 x 2 normal frame; entry 1: a 2 x 1 "hot" frame, as a
  // damaged skin would have it.  The hot frame takes the size of the first.
  std::vector<uint8_t> normal(8 + 1024, 1), hot(2 + 1024, 1);
  normal[8 + 4] = normal[8 + 5] = normal[8 + 6] = 200;  // entry 1 of the table: grey, opaque
  normal[8 + 4 + 3] = 255;
  hot[2 + 4 + 3] = 255;
  CRdlWriter w;
  w.AddRaw(4, 2, normal);
  w.AddRaw(2, 1, hot);
  std::vector<uint8_t> bytes = w.Build();
  CGraphicData skin(4, 1);
  ASSERT_TRUE(skin.OpenMemory(bytes.data(), bytes.size()));
  CAlphableDIB a, b;
  a.Create(4, 2, 0, &skin);
  b.Create(4, 2, 1, &skin);
  CDIB dest;
  dest.CreateBlank(4, 2, nullptr);
  a.Draw(&dest, 0, 0, 4, 2, 0, 0, 0);
  EXPECT_NE(0, Px(dest, 3, 1));
  EXPECT_TRUE(a.HitTest(3, 1));
  std::memset(dest.GetBits(), 0, dest.GetImageSize());
  b.Draw(&dest, 0, 0, 4, 2, 0, 0, 0);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(0, Px(dest, x, y));
  EXPECT_FALSE(b.HitTest(0, 0));
  EXPECT_EQ(-1, skin.GetRefCount(1) > 0 ? 1 : -1);
}

TEST(Lock, NestedLocksKeepThePixelsUntilTheLast) {
  std::vector<uint8_t> e(4 + 1024, 0);
  CRdlWriter w;
  w.AddRaw(2, 2, e);
  std::vector<uint8_t> bytes = w.Build();
  CGraphicData skin(4, 1);
  ASSERT_TRUE(skin.OpenMemory(bytes.data(), bytes.size()));
  CAlphableDIB a;
  a.Create(2, 2, 0, &skin);
  {
    CDIBLock outer(&a);
    ASSERT_TRUE(outer.HasPixels());
    EXPECT_EQ(1, a.GetLockCount());
    {
      CDIBLock inner(&a);
      EXPECT_EQ(2, a.GetLockCount());
    }
    EXPECT_EQ(1, a.GetLockCount());
    EXPECT_NE(nullptr, a.GetBits());
    EXPECT_EQ(1, skin.GetRefCount(0));
  }
  EXPECT_EQ(0, a.GetLockCount());
  EXPECT_EQ(nullptr, a.GetBits());
  EXPECT_EQ(0, skin.GetRefCount(0)) << "released, still cached (free-on-release 0)";
  // Plain pixels given to an alpha image: no skin entry, so no table after
  // the rows to copy, and no room for one after the header.
  CAlphableDIB plain;
  plain.CreateBlank(4, 4, nullptr);
  EXPECT_EQ(0u, plain.GetFlags() & CDIB::kClassFlag);
  // No source at all: nothing to lock, nothing drawn.
  CAlphableDIB orphan;
  orphan.Create(2, 2, 0, nullptr);
  CDIBLock none(&orphan);
  EXPECT_FALSE(none.HasPixels());
}

}  // namespace
