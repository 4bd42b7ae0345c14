#include "update/update_progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct SizeCase {
  uint32_t bytes;
  const char* text;
};

TEST(FormatByteSize, TruncatesAtEachUnit) {
  const SizeCase cases[] = {
      {0, "0 BYTE"},
      {1023, "1023 BYTE"},
      {1024, "1 KB"},
      {2047, "1 KB"},
      {1048575, "1023 KB"},
      {1048576, "1.00 MB"},
      {1572864, "1.50 MB"},
      {1048576 + 103 * 1024, "1.10 MB"},  // 103/1024 of a MB is 0.1005...
      {5 * 1048576 + 10 * 1024, "5.00 MB"},
      {1073741823, "1023.99 MB"},
      {1073741824, "1.000 GB"},
      {1073741824u + 512u * 1048576u, "1.500 GB"},
      {0xFFFFFFFFu, "3.999 GB"},
  };
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(c.bytes);
    CString out("old");
    FormatByteSize(c.bytes, out);
    EXPECT_STREQ(c.text, out);
  }
}

struct ProgressCase {
  uint32_t received, length;
  bool finished;
  const char* text;
  int percent;
};

TEST(ByteProgress, TextAndBarForKnownAndUnknownLengths) {
  const ProgressCase cases[] = {
      {0, 0, false, "0 BYTE/??? BYTE", 0},
      {5000, 0, false, "4 KB/??? BYTE", 0},
      {5000, 0, true, "4 KB/4 KB", 100},
      {0, 0, true, "0 BYTE/0 BYTE", 100},
      {512, 2048, false, "512 BYTE/2 KB", 25},
      {1, 200, false, "1 BYTE/200 BYTE", 1},  // half a percent rounds up
      {2048, 2048, true, "2 KB/2 KB", 100},
      // Past 2 GB the percentage stays right (no signed overflow).
      {3221225472u, 4294967295u, false, "3.000 GB/3.999 GB", 75},
      // A body longer than announced keeps the bar at its end.
      {5000, 4000, false, "4 KB/3 KB", 100},
  };
  for (const ProgressCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.received) + "/" + std::to_string(c.length));
    EXPECT_STREQ(c.text, FormatByteProgress(c.received, c.length, c.finished));
    EXPECT_EQ(c.percent, ProgressPercent(c.received, c.length, c.finished));
  }
}

struct TimeCase {
  const char* name;
  uint32_t elapsedMs, received, length;
  unsigned id;
  int first, second;
};

TEST(RemainingTime, PicksTheUnitByTheSecondsLeft) {
  // 10 s for 10,000 bytes: 1,000 bytes a second.
  const uint32_t got = 10000;
  const TimeCase cases[] = {
      {"nothing elapsed yet", 999, got, got + 5000, 0, 0, 0},
      {"speed rounds to zero", 5000, 4, 100, 0, 0, 0},
      {"no bytes yet", 3000, 0, 100, 0, 0, 0},
      {"length unknown", 10000, got, 0, 0, 0, 0},
      {"done", 10000, got, got, IDS_REMAINING_SECONDS, 0, 0},
      {"more than announced", 10000, got, got - 1, IDS_REMAINING_SECONDS, 0, 0},
      {"60 s", 10000, got, got + 60000, IDS_REMAINING_SECONDS, 60, 0},
      {"61 s", 10000, got, got + 61000, IDS_REMAINING_MINUTES, 1, 0},
      {"150 s", 10000, got, got + 150000, IDS_REMAINING_MINUTES, 2, 0},
      {"3600 s", 10000, got, got + 3600000, IDS_REMAINING_MINUTES, 60, 0},
      {"3601 s", 10000, got, got + 3601000, IDS_REMAINING_HOURS, 1, 0},
      {"3661 s", 10000, got, got + 3661000, IDS_REMAINING_HOURS, 1, 1},
      {"half-second elapsed rounds down", 10999, got, got + 60000, IDS_REMAINING_SECONDS, 60, 0},
      // 4 GB at 1,000 bytes a second: no negative rest past 2 GB.
      {"length past 2 GB", 10000, got, 0xFFFFFFFFu, IDS_REMAINING_HOURS, 1193, 2},
  };
  for (const TimeCase& c : cases) {
    SCOPED_TRACE(c.name);
    const RemainingTime t = EstimateRemainingTime(c.elapsedMs, c.received, c.length);
    EXPECT_EQ(c.id, t.valueId);
    EXPECT_EQ(c.first, t.first);
    EXPECT_EQ(c.second, t.second);
  }
}

TEST(BusyDots, CountUpToSixteenThenStartAgain) {
  std::vector<int> seen;
  int dots = 0;
  for (int i = 0; i < 18; ++i) {
    dots = NextBusyDotCount(dots);
    seen.push_back(dots);
  }
  const std::vector<int> expected = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 0, 1};
  EXPECT_EQ(expected, seen);
  EXPECT_STREQ("label", BusyLabel("label", 0));
  EXPECT_STREQ("label...", BusyLabel("label", 3));
  EXPECT_STREQ("................", BusyLabel("", 16));
}

}  // namespace
