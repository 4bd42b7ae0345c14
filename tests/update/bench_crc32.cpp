// CRC-32 throughput: CCrc32 against zlib's crc32 over the same buffer.
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "update/crc32.h"

namespace {

template <typename F>
double BestSeconds(int rounds, F&& f) {
  double best = 1e30;
  for (int i = 0; i < rounds; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    const std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
    best = std::min(best, d.count());
  }
  return best;
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
  double ours = 1e30;
  double theirs = 1e30;
  for (int round = 0; round < 5; ++round) {
    ours = std::min(ours, BestSeconds(1, [&] {
                      CCrc32 crc;
                      crc.Update(buf.data(), static_cast<int>(n));
                      sink = crc.GetValue();
                    }));
    theirs = std::min(
        theirs, BestSeconds(1, [&] { sink = static_cast<uint32_t>(::crc32(0, buf.data(), static_cast<uInt>(n))); }));
  }
  const double mb = static_cast<double>(n) / (1024.0 * 1024.0);
  std::printf("crc32: CCrc32 %.0f MiB/s, zlib crc32 %.0f MiB/s, ratio %.2f (goal >= 1.0)\n", mb / ours, mb / theirs,
              theirs / ours);
  return sink == 0xFFFFFFFFu ? 1 : 0;
}
