#include "update/update_progress.h"

namespace {
constexpr uint32_t kKilo = 1024u;
constexpr uint32_t kMega = 1048576u;
constexpr uint32_t kGiga = 1073741824u;
}  // namespace

void FormatByteSize(uint32_t n, CString& out) {
  if (n < kKilo) {
    out.Format("%u BYTE", n);
  } else if (n < kMega) {
    out.Format("%u KB", n >> 10);
  } else if (n >= kGiga) {
    out.Format("%u.%03u GB", n >> 30, (((n >> 20) & 1023u) * 1000u) >> 10);
  } else {
    out.Format("%u.%02u MB", n >> 20, ((((n >> 10) & 1023u) * 1000u) >> 10) / 10u);
  }
}

CString FormatByteProgress(uint32_t received, uint32_t length, bool finished) {
  CString text, total;
  FormatByteSize(received, text);
  if (length != 0)
    FormatByteSize(length, total);
  else if (finished)
    FormatByteSize(received, total);
  else
    total = "??? BYTE";
  text += "/";
  text += total;
  return text;
}

int ProgressPercent(uint32_t received, uint32_t length, bool finished) {
  if (length == 0) return finished ? 100 : 0;
  // In 64 bits: received * 100 overflows 32 bits from 42 MB on, and as a
  // signed MulDiv a file past 2 GB would go negative.  Rounded like MulDiv.
  const uint64_t percent = (static_cast<uint64_t>(received) * 100u + length / 2u) / length;
  // A body longer than announced must not push the bar past its end.
  return percent > 100u ? 100 : static_cast<int>(percent);
}

RemainingTime EstimateRemainingTime(uint32_t elapsedMs, uint32_t received, uint32_t length) {
  RemainingTime result;
  const uint32_t seconds = elapsedMs / 1000u;
  if (seconds == 0) return result;
  // Fewer bytes than seconds rounds the speed down to nothing: no
  // estimate rather than a division by zero.
  const uint32_t speed = received / seconds;
  if (speed == 0) return result;
  // Without a length there is nothing to count down from.
  if (length == 0) return result;
  // Signed and in 64 bits, so that a length past 2 GB is not taken for a
  // negative rest; more received than announced counts as none left.
  const int64_t left = static_cast<int64_t>(length) - static_cast<int64_t>(received);
  const uint32_t rest = left <= 0 ? 0u : static_cast<uint32_t>(left / speed);
  if (rest <= 60u) {
    result.valueId = IDS_REMAINING_SECONDS;
    result.first = static_cast<int>(rest);
  } else if (rest <= 3600u) {
    result.valueId = IDS_REMAINING_MINUTES;
    result.first = static_cast<int>(rest / 60u);
  } else {
    result.valueId = IDS_REMAINING_HOURS;
    result.first = static_cast<int>(rest / 3600u);
    result.second = static_cast<int>((rest / 60u) % 60u);
  }
  return result;
}

int NextBusyDotCount(int dots) { return dots > 15 ? 0 : dots + 1; }

CString BusyLabel(const char* label, int dots) {
  CString text(label);
  if (dots > 0) text += CString('.', dots);
  return text;
}
