#include "update/elapsed_timer.h"

#include <gtest/gtest.h>

#include "tests/update/test_clock.h"

TEST(ElapsedTimer, CountsWholeSecondsOnlyWhileRunning) {
  ScopedTestClock clock(5000);
  CElapsedTimer timer;
  EXPECT_FALSE(timer.IsRunning());
  clock.Advance(3000);
  EXPECT_EQ(0u, timer.ElapsedSeconds());

  timer.Start();
  clock.Advance(1999);
  EXPECT_EQ(1u, timer.ElapsedSeconds());
  clock.Advance(118001);
  EXPECT_EQ(120u, timer.ElapsedSeconds());
  clock.Advance(999);
  EXPECT_EQ(120u, timer.ElapsedSeconds());
  clock.Advance(1);
  EXPECT_EQ(121u, timer.ElapsedSeconds());

  // Reset clears the count and keeps the timer running.
  timer.Reset();
  EXPECT_TRUE(timer.IsRunning());
  EXPECT_EQ(0u, timer.ElapsedSeconds());
  clock.Advance(61000);
  EXPECT_EQ(61u, timer.ElapsedSeconds());
}

TEST(ElapsedTimer, ResetBeforeStartDoesNotStartIt) {
  ScopedTestClock clock;
  CElapsedTimer timer;
  timer.Reset();
  clock.Advance(5000);
  EXPECT_EQ(0u, timer.ElapsedSeconds());
  EXPECT_FALSE(timer.IsRunning());
}

TEST(ElapsedTimer, LosesOneTickAcrossTheWrap) {
  ScopedTestClock clock(0xFFFFFFFFu - 999u);
  CElapsedTimer timer;
  timer.Start();
  // 2,000 ticks of the counter across its wrap count as 1,999 ms.
  clock.Advance(2000);
  EXPECT_EQ(1u, timer.ElapsedSeconds());
  clock.Advance(1);
  EXPECT_EQ(2u, timer.ElapsedSeconds());
}

TEST(UpdateClock, RestoresTheSystemSourceWhenReplacedByNull) {
  {
    ScopedTestClock clock(42);
    EXPECT_EQ(42u, UpdateTickNow());
  }
  EXPECT_EQ(nullptr, SetUpdateTickSource(nullptr));
}
