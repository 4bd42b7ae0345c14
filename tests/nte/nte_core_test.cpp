// Engine core: limits, start and end, pools, byte buffers, utilities.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/nte/nte.h"

namespace {

TEST(NteLimits, ClearedRecordGivesDefaults) {
  nte_limits l;
  nte_limit_clear(&l);
  EXPECT_EQ(NTE_LIMIT_DEFAULT, l.max_connections);
  l.pool_slots = 3;
  ASSERT_EQ(0, nte_initialize_limited(&l));
  nte_limits in_force = nte_get_limits();
  EXPECT_EQ(16, in_force.max_contexts);
  EXPECT_EQ(1000, in_force.max_connections);
  EXPECT_EQ(8, in_force.pool_slots);
  EXPECT_EQ(1000 + 16 + 8, nte_get_select_capacity());
  EXPECT_EQ(0, nte_finalize());
}

}  // namespace
