// CRC-32 throughput: CCrc32 against zlib's crc32 over the same buffer.
#include <zlib.h>

#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "tests/support/bench_clock.h"
#include "update/crc32.h"

namespace {

using test_support::BenchNowNs;

template <typename F>
int64_t BestNs(int rounds, F&& f) {
  int64_t best = INT64_MAX;
  for (int i = 0; i < rounds; ++i) {
    const int64_t t0 = BenchNowNs();
    f();
    best = std::min(best, BenchNowNs() - t0);
  }
  return best;
}

// Whole MiB per second of bytes (up to 18 GB) in ns.
int64_t MibPerSecond(uint64_t bytes, int64_t ns) {
  if (ns <= 0) return 0;
  return static_cast<int64_t>(bytes * 1000000000u / static_cast<uint64_t>(ns) / 1048576u);
}

}  // namespace

int main() {
  const size_t n = 64u << 20;
  std::vector<uint8_t> buf(n);
  uint32_t x = 1;
  for (auto& b : buf) {
    x = x * 1664525u + 1013904223u;
    b = static_cast<uint8_t>(x >> 24);
  }
  volatile uint32_t sink = 0;
  // Alternate the two, so that neither gets a warmer machine.
  int64_t ours = INT64_MAX;
  int64_t theirs = INT64_MAX;
  for (int round = 0; round < 5; ++round) {
    ours = std::min(ours, BestNs(1, [&] {
                      CCrc32 crc;
                      crc.Update(buf.data(), static_cast<int>(n));
                      sink = crc.GetValue();
                    }));
    theirs = std::min(theirs,
                      BestNs(1, [&] { sink = static_cast<uint32_t>(::crc32(0, buf.data(), static_cast<uInt>(n))); }));
  }
  std::printf("crc32: CCrc32 %" PRId64 " MiB/s, zlib crc32 %" PRId64 " MiB/s, ratio %s (goal >= 1.0)\n",
              MibPerSecond(n, ours), MibPerSecond(n, theirs), test_support::FormatRatio(theirs, ours).c_str());
  return sink == 0xFFFFFFFFu ? 1 : 0;
}
