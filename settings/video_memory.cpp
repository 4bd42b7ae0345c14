#include "settings/video_memory.h"

#include <cstdint>
#include <initializer_list>

namespace {
uint64_t NonNegative(int v) { return v < 0 ? 0 : static_cast<uint64_t>(v); }
}  // namespace

uint64_t PrimarySurfaceBytes(int horzRes, int vertRes, int planes, int bitsPixel) {
  // Four factors below 2^31 can pass 2^64 only for absurd answers:
  // saturate rather than wrap.
  const uint64_t w = NonNegative(horzRes), h = NonNegative(vertRes), p = NonNegative(planes),
                 b = NonNegative(bitsPixel);
  const uint64_t limit = UINT64_MAX;
  uint64_t bits = w;
  for (uint64_t f : {h, p, b}) {
    if (f != 0 && bits > limit / f) return limit / 8;
    bits *= f;
  }
  return bits / 8;
}

uint32_t SumVideoMemoryMB(uint32_t totalVideoMemory, uint64_t primaryBytes) {
  // Cap the primary surface so that the sum cannot wrap; no real display
  // comes near it.
  const uint64_t cap = uint64_t{1} << 40;
  const uint64_t sum = uint64_t{totalVideoMemory} + (primaryBytes < cap ? primaryBytes : cap);
  // A shift, not a division in floating point: on the i686 build a
  // Direct3D device leaves the x87 at single precision, where 4 GB - 1
  // bytes would round up to 4096 MB.
  return static_cast<uint32_t>(sum >> 20);
}
