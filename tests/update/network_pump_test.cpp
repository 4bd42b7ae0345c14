// The idle network pump: one engine pass per whole 200 ms period, only
// while a check runs.
#include <gtest/gtest.h>

#include "update/network_pump.h"

namespace {

TEST(NetworkPump, WholePeriodsOnlyWhileRunning) {
  CNetworkPump pump;
  EXPECT_FALSE(pump.IsRunning());
  EXPECT_EQ(0u, pump.TakePeriods(100000)) << "stopped";
  pump.Start(1000);
  struct Step {
    uint32_t now;
    uint32_t periods;
    uint32_t base;
  };
  const Step steps[] = {
      {1000, 0, 1000}, {1199, 0, 1000}, {1200, 1, 1200}, {1399, 0, 1200},
      {2050, 4, 2000}, {2050, 0, 2000}, {2200, 1, 2200},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.now);
    EXPECT_EQ(s.periods, pump.TakePeriods(s.now));
    EXPECT_EQ(s.base, pump.GetBase());
  }
  pump.Stop();
  EXPECT_EQ(0u, pump.TakePeriods(9000));
  EXPECT_EQ(2200u, pump.GetBase());
}

TEST(NetworkPump, AcrossTheWrapOfTheTickCounter) {
  CNetworkPump pump;
  pump.Start(0xFFFFFF00u);
  // 0xFF ticks to the top, then 0x40 more: TickDiff counts one less across
  // the wrap, 0x13E, one whole period.
  EXPECT_EQ(1u, pump.TakePeriods(0x3Fu));
  // The base lands before the top: no skipped tick.
  EXPECT_EQ(0xFFFFFFC8u, pump.GetBase());
  // The next period passes the top: the base skips the tick TickDiff leaves out.
  EXPECT_EQ(1u, pump.TakePeriods(0x100u));
  EXPECT_EQ(0x91u, pump.GetBase());
}

}  // namespace
