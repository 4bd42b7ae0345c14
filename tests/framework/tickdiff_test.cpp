#include "framework/tickdiff.h"

#include <gtest/gtest.h>

namespace {

TEST(TickDiff, Cases) {
  struct Case {
    uint32_t start, now, diff;
  } cases[] = {
      {0xFFFFFFF0u, 16u, 31u},  // across the wrap: one less than the modular 32
      {5, 5, 0},
      {5, 10, 5},
      {0, 0xFFFFFFFFu, 0xFFFFFFFFu},
      {0xFFFFFFFFu, 0, 0},
      {10, 5, 0xFFFFFFFAu},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start << " -> " << c.now);
    EXPECT_EQ(c.diff, TickDiff(c.start, c.now));
  }
}

}  // namespace
