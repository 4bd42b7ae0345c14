// The benchmarks' clock, in integer nanoseconds.
//
// After a Direct3D device exists, the i686 build's x87 runs at single
// precision for the whole process, so a tick count or a difference kept in a
// double is quantised to milliseconds there. Every clock reading, difference,
// median and ratio is therefore an integer; only the printing makes decimals,
// and it does so with integer arithmetic too.
#pragma once

#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <chrono>
#endif

namespace test_support {

inline int64_t BenchNowNs() {
#ifdef _WIN32
  static LARGE_INTEGER frequency;  // never 0 once asked, on every supported Windows
  if (frequency.QuadPart == 0) ::QueryPerformanceFrequency(&frequency);
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  const int64_t f = frequency.QuadPart;
  // Split so that the product cannot overflow: the remainder is below f,
  // and f * 10^9 stays inside int64 for any counter up to 9 GHz.
  return now.QuadPart / f * 1000000000 + now.QuadPart % f * 1000000000 / f;
#else
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
#endif
}

// The median of the samples (the lower of the middle two for an even count,
// so that it is always a measured value); 0 for none.
inline int64_t MedianNs(std::vector<int64_t> samples) {
  if (samples.empty()) return 0;
  std::sort(samples.begin(), samples.end());
  return samples[(samples.size() - 1) / 2];
}

// Milliseconds with three decimals ("12.345"), rounded to the microsecond.
inline std::string FormatMs(int64_t ns) {
  const bool negative = ns < 0;
  const int64_t us = ((negative ? -ns : ns) + 500) / 1000;
  char text[40];
  std::snprintf(text, sizeof text, "%s%" PRId64 ".%03" PRId64, negative ? "-" : "", us / 1000, us % 1000);
  return text;
}

// a / b with two decimals ("2.42"), rounded; "-" when b is not positive.
inline std::string FormatRatio(int64_t a, int64_t b) {
  if (b <= 0 || a < 0) return "-";
  const int64_t hundredths = (a * 100 + b / 2) / b;
  char text[40];
  std::snprintf(text, sizeof text, "%" PRId64 ".%02" PRId64, hundredths / 100, hundredths % 100);
  return text;
}

}  // namespace test_support
