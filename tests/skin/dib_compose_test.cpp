// The composition of skin images into 16-bit images against a plain
// per-pixel composition written here from the rules: each alpha form,
// alpha 0, 255 and between, and draws placed inside, across the edges and
// outside both images.  Every destination pixel is compared, and the bytes
// around the destination stay untouched.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "skin/dib.h"
#include "skin/graphic_data.h"
#include "tools/mkskin/rdl_writer.h"

namespace {

// A small deterministic generator, so that a failure repeats.
struct Lcg {
  uint32_t state;
  uint32_t Next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
  uint8_t Byte() { return static_cast<uint8_t>(Next()); }
};

enum class Alphas { kTransparent, kOpaque, kBetween, kMixed };

const char* AlphasName(Alphas a) {
  switch (a) {
    case Alphas::kTransparent:
      return "alpha 0";
    case Alphas::kOpaque:
      return "alpha 255";
    case Alphas::kBetween:
      return "alpha 1-254";
    default:
      return "alpha mixed";
  }
}

uint8_t PickAlpha(Alphas kind, Lcg* rng) {
  switch (kind) {
    case Alphas::kTransparent:
      return 0;
    case Alphas::kOpaque:
      return 255;
    case Alphas::kBetween:
      return static_cast<uint8_t>(1 + rng->Next() % 254);
    default: {
      // A third each of 0, 255 and the values between.
      const uint32_t pick = rng->Next() % 3;
      return pick == 0 ? 0 : pick == 1 ? 255 : static_cast<uint8_t>(1 + rng->Next() % 254);
    }
  }
}

// A skin entry of form `form` (0-3), w x h, and its pixels read back the
// way the skin file lays them out.
struct Entry {
  uint32_t form;
  int w, h;
  std::vector<uint8_t> bytes;

  Entry(uint32_t f, int width, int height, Alphas alphas, uint32_t seed) : form(f), w(width), h(height) {
    Lcg rng{seed};
    const size_t n = static_cast<size_t>(w) * h;
    switch (form) {
      case 1:
        bytes.resize(n + 1024);
        for (size_t i = 0; i < n; ++i) bytes[i] = rng.Byte();
        for (size_t c = 0; c < 256; ++c) {
          for (int k = 0; k < 3; ++k) bytes[n + 4 * c + k] = rng.Byte();
          bytes[n + 4 * c + 3] = PickAlpha(alphas, &rng);
        }
        break;
      case 3:
        bytes.resize(n + 768);
        for (size_t i = 0; i < n; ++i) bytes[i] = rng.Byte();
        for (size_t c = 0; c < 256; ++c) {
          bytes[n + 2 * c] = rng.Byte();
          bytes[n + 2 * c + 1] = rng.Byte();  // bit 15 set on some: ignored
          bytes[n + 512 + c] = PickAlpha(alphas, &rng);
        }
        break;
      case 2:
        bytes.resize(n * 3);
        for (size_t i = 0; i < 2 * n; ++i) bytes[i] = rng.Byte();
        for (size_t i = 0; i < n; ++i) bytes[2 * n + i] = PickAlpha(alphas, &rng);
        break;
      default:
        bytes.resize(n * 4);
        for (size_t i = 0; i < n; ++i) {
          for (int k = 0; k < 3; ++k) bytes[4 * i + k] = rng.Byte();
          bytes[4 * i + 3] = PickAlpha(alphas, &rng);
        }
    }
  }

  // 8-bit colour and alpha of pixel (x, y); a 5-bit channel widens by a
  // plain shift.
  void Read(int x, int y, uint32_t* r, uint32_t* g, uint32_t* b, uint32_t* a) const {
    const size_t n = static_cast<size_t>(w) * h, at = static_cast<size_t>(y) * w + x;
    auto widen = [&](uint32_t v) {
      *r = ((v >> 10) & 31) << 3;
      *g = ((v >> 5) & 31) << 3;
      *b = (v & 31) << 3;
    };
    switch (form) {
      case 1: {
        const uint8_t* c = &bytes[n + 4 * bytes[at]];
        *b = c[0], *g = c[1], *r = c[2], *a = c[3];
        return;
      }
      case 3: {
        const size_t k = bytes[at];
        widen(static_cast<uint32_t>(bytes[n + 2 * k] | (bytes[n + 2 * k + 1] << 8)));
        *a = bytes[n + 512 + k];
        return;
      }
      case 2:
        widen(static_cast<uint32_t>(bytes[2 * at] | (bytes[2 * at + 1] << 8)));
        *a = bytes[2 * n + at];
        return;
      default:
        *b = bytes[4 * at], *g = bytes[4 * at + 1], *r = bytes[4 * at + 2], *a = bytes[4 * at + 3];
    }
  }
};

// One pixel composed by the rule: alpha 0 keeps the destination, else each
// channel is (s a + d (255 - a)) / 255 in integers, d widened by a shift,
// and the result keeps its top five bits.
uint16_t ReferencePixel(uint16_t dest, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  if (a == 0) return dest;
  const uint32_t dr = ((dest >> 10) & 31) << 3, dg = ((dest >> 5) & 31) << 3, db = (dest & 31) << 3;
  const uint32_t orr = (r * a + dr * (255 - a)) / 255;
  const uint32_t og = (g * a + dg * (255 - a)) / 255;
  const uint32_t ob = (b * a + db * (255 - a)) / 255;
  return static_cast<uint16_t>(((orr >> 3) << 10) | ((og >> 3) << 5) | (ob >> 3));
}

// A 16-bit destination with guard bytes on both sides: rows bottom-up as
// the back buffer has them, or top-down.
struct Dest {
  Dest(int w, int h, bool topDown, uint32_t seed) : width(w), height(h) {
    const size_t stride = ((16u * w + 31) / 32) * 4;
    block.assign(kGuard + stride * h + kGuard, 0xA5);
    Lcg rng{seed};
    for (size_t i = 0; i < stride * h; ++i) block[kGuard + i] = rng.Byte();
    SkinBitmapInfoHeader info = {};
    info.biSize = kBitmapInfoHeaderBytes;
    info.biWidth = w;
    info.biHeight = topDown ? -h : h;
    info.biPlanes = 1;
    info.biBitCount = 16;
    dib.CreateFromHeader(&info, &block[kGuard]);
  }
  uint16_t At(int x, int y) {
    uint16_t v;
    std::memcpy(&v, dib.GetPixelAddress(x, y), 2);
    return v;
  }
  std::vector<uint16_t> Pixels() {
    std::vector<uint16_t> out;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) out.push_back(At(x, y));
    return out;
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

struct Placement {
  const char* name;
  int dx, dy, w, h, sx, sy;
};

// Placements for a w x h source over a 23 x 11 destination.
std::vector<Placement> Placements(int w, int h) {
  return {
      {"whole at the origin", 0, 0, w, h, 0, 0},
      {"inside, offset", 3, 2, w, h, 0, 0},
      {"part of the source", 1, 1, w - 1, h - 1, 1, h > 1 ? 1 : 0},
      {"across the right and bottom", 23 - w / 2 - 1, 11 - h / 2 - 1, w, h, 0, 0},
      {"negative destination", -2, -1, w, h, 0, 0},
      {"far negative destination", -w + 1, -h + 1, w, h, 0, 0},
      {"negative source", 4, 3, w, h, -2, -1},
      {"source offset past its end", 0, 0, w, h, w, 0},
      {"wider than both", -5, -5, 100, 100, 0, 0},
      {"huge size", 0, 0, 0x7FFFFFFF, 0x7FFFFFFF, 0, 0},
      {"huge negative position", -0x7FFFFFFF, 0, w, h, 0, 0},
      {"outside right", 23, 0, w, h, 0, 0},
      {"outside bottom", 0, 11, w, h, 0, 0},
      {"zero width", 0, 0, 0, h, 0, 0},
      {"negative height", 0, 0, w, -1, 0, 0},
  };
}

// What a draw must leave: the reference rule applied to every destination
// pixel that the placement maps inside the source.
std::vector<uint16_t> ReferenceDraw(const Entry& e, std::vector<uint16_t> dest, int dw, int dh, const Placement& p) {
  for (int y = 0; y < dh; ++y) {
    for (int x = 0; x < dw; ++x) {
      const int64_t i = static_cast<int64_t>(x) - p.dx, j = static_cast<int64_t>(y) - p.dy;
      if (i < 0 || j < 0 || i >= p.w || j >= p.h) continue;
      const int64_t u = p.sx + i, v = p.sy + j;
      if (u < 0 || v < 0 || u >= e.w || v >= e.h) continue;
      uint32_t r, g, b, a;
      e.Read(static_cast<int>(u), static_cast<int>(v), &r, &g, &b, &a);
      uint16_t& d = dest[static_cast<size_t>(y) * dw + x];
      d = ReferencePixel(d, r, g, b, a);
    }
  }
  return dest;
}

TEST(Compose, EveryFormAlphaAndPlacementMatchesThePlainRule) {
  struct Size {
    int w, h;
  } const sizes[] = {{1, 1}, {3, 2}, {17, 5}, {30, 13}};
  const Alphas alphaKinds[] = {Alphas::kTransparent, Alphas::kOpaque, Alphas::kBetween, Alphas::kMixed};
  uint32_t seed = 1;
  for (uint32_t form : {0u, 1u, 2u, 3u}) {
    for (const Size& size : sizes) {
      for (Alphas alphas : alphaKinds) {
        const Entry entry(form, size.w, size.h, alphas, seed++);
        CRdlWriter writer;
        writer.AddRaw(static_cast<uint16_t>(size.w), static_cast<uint16_t>(size.h), entry.bytes);
        const std::vector<uint8_t> file = writer.Build();
        CGraphicData skin(4, form);
        ASSERT_TRUE(skin.OpenMemory(file.data(), file.size()));
        CAlphableDIB image;
        image.Create(size.w, size.h, 0, &skin);
        for (const Placement& p : Placements(size.w, size.h)) {
          for (bool topDown : {false, true}) {
            SCOPED_TRACE(testing::Message()
                         << "form " << form << ", " << size.w << "x" << size.h << ", " << AlphasName(alphas) << ", "
                         << p.name << (topDown ? ", top-down destination" : ""));
            Dest dest(23, 11, topDown, seed++);
            const std::vector<uint16_t> want = ReferenceDraw(entry, dest.Pixels(), 23, 11, p);
            image.Draw(&dest.dib, p.dx, p.dy, p.w, p.h, p.sx, p.sy, CDIB::kNoKey);
            ASSERT_EQ(want, dest.Pixels());
            ASSERT_TRUE(dest.GuardsIntact());
          }
        }
      }
    }
  }
}

}  // namespace
