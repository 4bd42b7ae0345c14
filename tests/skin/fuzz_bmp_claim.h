// What the fuzzers let the BMP reader allocate.  A stream of a few bytes
// may claim a picture of up to the reader's limit (256 MB), which the reader
// allocates zeroed and pads; for the fuzzer each such input is an
// allocation and a zero fill of up to that size and nothing more, as the
// same code runs for a small picture.  Measured, these allocations were
// most of the skin fuzzer's time.  Claims above kFuzzPictureBytes are
// passed over; claims above the reader's limit still reach it (it refuses
// them before allocating).
#pragma once

#include <cstddef>
#include <cstdint>

// Pixels a fuzz input may make the reader allocate.
constexpr uint64_t kFuzzPictureBytes = 64u << 10;
// The reader's own limit (skin/dib_bmp.cpp).
constexpr uint64_t kReaderPictureBytes = 256u << 20;

// Whether the BMP stream at data claims a picture above kFuzzPictureBytes
// that the reader would still allocate.
inline bool ClaimsLargePicture(const uint8_t* data, size_t size) {
  if (size < 30) return false;
  auto le32 = [data](size_t at) {
    return static_cast<uint32_t>(data[at]) | (static_cast<uint32_t>(data[at + 1]) << 8) |
           (static_cast<uint32_t>(data[at + 2]) << 16) | (static_cast<uint32_t>(data[at + 3]) << 24);
  };
  const int64_t width = static_cast<int32_t>(le32(18));
  int64_t height = static_cast<int32_t>(le32(22));
  const uint64_t bits = static_cast<uint64_t>(data[28] | (data[29] << 8));
  if (width <= 0 || height == 0) return false;
  if (height < 0) height = -height;
  const uint64_t w = static_cast<uint64_t>(width), h = static_cast<uint64_t>(height);
  const uint64_t stride = (bits * w + 31) / 32 * 4;
  const uint64_t padded = (w + 3) & ~uint64_t{3};
  const uint64_t claim = (stride > padded ? stride : padded) * h;
  return claim > kFuzzPictureBytes && claim <= kReaderPictureBytes;
}
