// Engine core: limits, start and end, log channels, pools, byte buffers,
// status texts and small utilities.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "net/nte/nte.h"
#include "tests/nte/engine_start.h"
#include "tests/nte/fake_transport.h"

namespace {

std::vector<std::string> g_lines;
void capture(void*, const char* line) { g_lines.emplace_back(line); }

// A started engine with a few pool slots free for the test's own pools.
class CoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_lines.clear();
    nte_set_log_sink(capture, nullptr);
    ASSERT_EQ(0, nte_test::StartEngine(nte_test::Transport::kFake, 2, 4));
  }
  void TearDown() override {
    EXPECT_EQ(0, nte_finalize());
    nte_test::StopEngine();
  }
};

TEST(NteLimits, ClearedRecordGivesDefaultsAndSmallSlotCountIsRaised) {
  fake::install();
  nte_limits l;
  nte_limit_clear(&l);
  EXPECT_EQ(NTE_LIMIT_DEFAULT, l.max_connections);
  EXPECT_EQ(NTE_LIMIT_DEFAULT, l.work_buffer2_size);
  // Defaults first, whatever an earlier start set.
  nte_limits defaults = {16, 16, 1000, 64, 256, 8192, 8192};
  ASSERT_EQ(0, nte_initialize_limited(&defaults));
  ASSERT_EQ(0, nte_finalize());
  l.pool_slots = 3;
  ASSERT_EQ(0, nte_initialize_limited(&l));
  nte_limits in_force = nte_get_limits();
  EXPECT_EQ(16, in_force.max_contexts);
  EXPECT_EQ(16, in_force.max_task_worlds);
  EXPECT_EQ(1000, in_force.max_connections);
  EXPECT_EQ(64, in_force.max_hash_tables);
  EXPECT_EQ(8, in_force.pool_slots);
  EXPECT_EQ(8192, in_force.work_buffer1_size);
  EXPECT_EQ(1000 + 16 + 8, nte_get_select_capacity());
  EXPECT_EQ(1, nte_is_started());
  EXPECT_EQ(0, nte_finalize());
  EXPECT_EQ(0, nte_is_started());
  fake::uninstall();
}

TEST(NteStart, SecondStartIsRefusedSilentlyAndFinalizeIsSilent) {
  fake::install();
  g_lines.clear();
  nte_set_log_sink(capture, nullptr);
  ASSERT_EQ(0, nte_initialize());
  EXPECT_EQ(NTE_ERR_INVALID, nte_initialize());
  EXPECT_EQ(NTE_ERR_INVALID, nte_get_last_error());
  EXPECT_TRUE(g_lines.empty()) << "the engine has no line for this: " << g_lines[0];
  EXPECT_EQ(0, nte_finalize());
  EXPECT_EQ(0, nte_get_last_error());
  EXPECT_TRUE(g_lines.empty()) << "the verbose channel is silent at level 0: " << g_lines[0];
  nte_set_log_sink(nullptr, nullptr);
  fake::uninstall();
}

int g_live_blocks = 0;
void* counting_alloc(size_t n) {
  ++g_live_blocks;
  return std::malloc(n);
}
void* counting_resize(void* p, size_t n) { return std::realloc(p, n); }
void counting_release(void* p) {
  if (p) --g_live_blocks;
  std::free(p);
}

TEST(NteStart, WithoutATransportFailsCleanly) {
  // The engine core has no sockets of its own: the owner installs them.
  nte_set_transport(nullptr);
  g_lines.clear();
  nte_set_log_sink(capture, nullptr);
  const nte_alloc_hooks hooks = {counting_alloc, counting_resize, counting_release};
  g_live_blocks = 0;
  nte_set_alloc_hooks(&hooks);
  EXPECT_EQ(NTE_ERR_INVALID, nte_initialize());
  EXPECT_EQ(NTE_ERR_INVALID, nte_get_last_error());
  EXPECT_EQ(0, nte_is_started());
  EXPECT_EQ(0, g_live_blocks) << "nothing built";
  const uint32_t passes = nte_get_pass_count();
  nte_heartbeat();
  EXPECT_EQ(passes, nte_get_pass_count()) << "no pass without a start";
  EXPECT_EQ(0, nte_finalize());
  // The socket layer refuses politely instead of touching a missing table.
  nte_sock_t s = 5;
  EXPECT_EQ(NTE_ERR_SOCKET, nte_socket_create(&s));
  EXPECT_EQ(NTE_INVALID_SOCKET, s);
  EXPECT_EQ(-1, nte_select(nullptr));
  nte_socket_close(7);
  char text[8] = "x";
  EXPECT_STREQ("", nte_os_error_text(text, sizeof text));
  EXPECT_EQ(0, g_live_blocks);
  nte_set_alloc_hooks(nullptr);
  // Installing one afterwards is all it takes.
  EXPECT_EQ(0, nte_test::StartEngine(nte_test::Transport::kFake, 1, 1));
  EXPECT_EQ(1, nte_is_started());
  EXPECT_EQ(NTE_ERR_INVALID, nte_set_transport(nullptr)) << "not while it runs";
  EXPECT_TRUE(g_lines.empty()) << g_lines[0];
  nte_test::StopEngine();
  EXPECT_EQ(nullptr, nte_get_transport());
}

TEST(NteStart, PoolTableWhoseSizeWouldWrapIsRefused) {
  if (sizeof(void*) != 4) GTEST_SKIP() << "the size wraps only on the 32-bit target";
  fake::install();
  g_lines.clear();
  nte_set_log_sink(capture, nullptr);
  nte_limits l;
  nte_limit_clear(&l);
  // 59,652,324 table entries of 72 bytes are 4 GB + 32 bytes: 32 bytes once wrapped.
  l.pool_slots = 59652324;
  EXPECT_EQ(NTE_ERR_STARTUP_ALLOC, nte_initialize_limited(&l));
  EXPECT_EQ(0, nte_is_started());
  nte_limits defaults = {16, 16, 1000, 64, 256, 8192, 8192};
  EXPECT_EQ(0, nte_initialize_limited(&defaults));
  EXPECT_EQ(0, nte_finalize());
  nte_set_log_sink(nullptr, nullptr);
  fake::uninstall();
}

TEST(NteVersion, NullPointersAreSkipped) {
  int major = -1, minor = -1, patch = -1;
  nte_get_version(&major, nullptr, &patch);
  EXPECT_EQ(0, major);
  EXPECT_EQ(137, patch);
  nte_get_version(nullptr, &minor, nullptr);
  EXPECT_EQ(4, minor);
}

TEST_F(CoreTest, ErrorChannelAlwaysVerboseOnlyAboveLevelZero) {
  nte_errout("Fatal:%d x\n", 1000);
  nte_verbose("Note:%d y\n", 10010);
  ASSERT_EQ(1u, g_lines.size());
  EXPECT_EQ("Fatal:1000 x\n", g_lines[0]);
  nte_set_log_level(1);
  nte_verbose("Note:%d y\n", 10010);
  ASSERT_EQ(2u, g_lines.size());
  EXPECT_EQ("Note:10010 y\n", g_lines[1]);
}

TEST_F(CoreTest, PoolFullReportsItsName) {
  int pool = init_array(16, 3, "widgets");
  ASSERT_GE(pool, 0);
  for (int i = 0; i < 3; ++i) EXPECT_NE(nullptr, nte_alloc_array_object(pool));
  EXPECT_EQ(nullptr, nte_alloc_array_object(pool));
  EXPECT_EQ(NTE_ERR_NO_ROOM, nte_get_last_error());
  ASSERT_FALSE(g_lines.empty());
  EXPECT_EQ("Fatal:1020 array full in widgets\n", g_lines.back());
  EXPECT_EQ(0, nte_end_array(pool));
}

// Stands in for blocks too large to take: never written to.
char g_fake_block;
std::vector<size_t> g_small_requests;
void* large_only_alloc(size_t n) {
  if (n >= (64u << 20)) return &g_fake_block;
  g_small_requests.push_back(n);
  return nullptr;
}
void* passing_resize(void* p, size_t n) { return std::realloc(p, n); }
void fake_aware_release(void* p) {
  if (p != &g_fake_block) std::free(p);
}

TEST_F(CoreTest, PoolWhoseDescriptorSizeWouldWrapIsRefused) {
  if (sizeof(void*) != 4) GTEST_SKIP() << "the sizes wrap only on the 32-bit target";
  // 2^28 one-byte elements: the storage (256 MB) fits 32 bits, the
  // descriptors (16 bytes each) would need 4 GB and wrap to 0.
  const nte_alloc_hooks hooks = {large_only_alloc, passing_resize, fake_aware_release};
  g_small_requests.clear();
  nte_set_alloc_hooks(&hooks);
  const int pool = init_array(1, 0x10000000, "huge");
  nte_set_alloc_hooks(nullptr);
  EXPECT_EQ(NTE_ERR_NO_ROOM, pool);
  EXPECT_EQ(NTE_ERR_NO_ROOM, nte_get_last_error());
  EXPECT_TRUE(g_small_requests.empty()) << "a wrapped request of " << g_small_requests[0] << " bytes";
  // The pool table is unchanged: a normal pool still fits.
  const int ok = init_array(8, 4, "after");
  EXPECT_GE(ok, 0);
  EXPECT_EQ(0, nte_end_array(ok));
}

TEST_F(CoreTest, BadReleasesAreRefusedAndLeaveThePoolUnchanged) {
  int pool = init_array(16, 4, "p");
  ASSERT_GE(pool, 0);
  uint8_t* a = static_cast<uint8_t*>(nte_alloc_array_object(pool));
  uint8_t* b = static_cast<uint8_t*>(nte_alloc_array_object(pool));
  ASSERT_NE(nullptr, b);
  uint8_t outside[16];
  struct Case {
    const char* name;
    void* p;
    int expected;
  } cases[] = {
      {"null", nullptr, NTE_ERR_INVALID},
      {"one byte into an element", b + 1, NTE_ERR_INVALID},
      {"past the last element", a + 16 * 4, NTE_ERR_INVALID},
      {"unrelated memory", outside, NTE_ERR_INVALID},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expected, nte_free_array_object(pool, c.p));
    EXPECT_EQ(2, nte_array_used_count(pool));
  }
  EXPECT_EQ(0, nte_free_array_object(pool, b));
  EXPECT_EQ(NTE_ERR_DOUBLE_FREE, nte_free_array_object(pool, b));
  EXPECT_EQ(1, nte_array_used_count(pool));
  EXPECT_EQ(a, nte_array_first_used(pool));
  EXPECT_EQ(0, nte_end_array(pool));
}

TEST_F(CoreTest, BadPoolIndexesGiveInvalid) {
  for (int index : {-1, 255, 100000}) {
    SCOPED_TRACE(index);
    EXPECT_EQ(nullptr, nte_alloc_array_object(index));
    EXPECT_EQ(NTE_ERR_INVALID, nte_get_last_error());
    EXPECT_EQ(NTE_ERR_INVALID, nte_array_element_size(index));
    EXPECT_EQ(NTE_ERR_INVALID, nte_end_array(index));
  }
  EXPECT_EQ(NTE_ERR_INVALID, init_array(0, 4, "zero"));
}

TEST_F(CoreTest, IterationRunsNewestToOldestInAllocationOrder) {
  int pool = init_array(8, 5, "order");
  ASSERT_GE(pool, 0);
  void* a = nte_alloc_array_object(pool);
  void* b = nte_alloc_array_object(pool);
  void* c = nte_alloc_array_object(pool);
  ASSERT_EQ(0, nte_free_array_object(pool, b));
  std::vector<void*> seen;
  for (void* p = nte_array_first_used(pool); p; p = nte_array_next_used(pool, p)) seen.push_back(p);
  EXPECT_EQ((std::vector<void*>{c, a}), seen);
  // The released element is the next one handed out, at the newest end.
  void* d = nte_alloc_array_object(pool);
  EXPECT_EQ(b, d);
  EXPECT_EQ(d, nte_array_first_used(pool));
  EXPECT_EQ(1, nte_array_index(pool, b));
  EXPECT_EQ(NTE_ERR_UNALIGNED, nte_array_index(pool, static_cast<uint8_t*>(b) + 3));
  EXPECT_EQ(nullptr, nte_array_next_used(pool, static_cast<uint8_t*>(b) + 3));
  EXPECT_EQ(NTE_ERR_UNALIGNED, nte_get_last_error());
  EXPECT_EQ(nullptr, nte_array_used_object_at(pool, 3));
  EXPECT_EQ(0, nte_get_last_error());
  EXPECT_NE(nullptr, nte_array_object_at(pool, 4));
  EXPECT_EQ(nullptr, nte_array_object_at(pool, 5));
  EXPECT_EQ(NTE_ERR_INVALID, nte_get_last_error());
  EXPECT_EQ(0, nte_end_array(pool));
}

TEST_F(CoreTest, PoolInvariantsHoldThroughMixedUse) {
  const int n = 32;
  int pool = init_array(12, n, "mix");
  ASSERT_GE(pool, 0);
  std::vector<void*> held;
  unsigned seed = 12345;
  for (int step = 0; step < 2000; ++step) {
    seed = seed * 1103515245u + 12345u;
    bool alloc = (seed >> 16) % 3 != 0;
    if (alloc && held.size() < static_cast<size_t>(n)) {
      void* p = nte_alloc_array_object(pool);
      ASSERT_NE(nullptr, p);
      for (void* q : held) ASSERT_NE(q, p);
      // Fresh storage of an element lies on a boundary inside the pool.
      ASSERT_GE(nte_array_index(pool, p), 0);
      ASSERT_LT(nte_array_index(pool, p), n);
      held.push_back(p);
    } else if (!held.empty()) {
      size_t k = (seed >> 8) % held.size();
      ASSERT_EQ(0, nte_free_array_object(pool, held[k]));
      held.erase(held.begin() + static_cast<long>(k));
    }
    ASSERT_EQ(static_cast<int>(held.size()), nte_array_used_count(pool));
  }
  // The in-use list holds exactly the held elements, newest first.
  std::vector<void*> listed;
  for (void* p = nte_array_first_used(pool); p; p = nte_array_next_used(pool, p)) listed.push_back(p);
  std::vector<void*> expected(held.rbegin(), held.rend());
  EXPECT_EQ(expected, listed);
  EXPECT_EQ(0, nte_end_array(pool));
}

class BufferTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    pool_ = init_array(16, 2, "buf16");
    ASSERT_GE(pool_, 0);
    ASSERT_EQ(0, nte_sbuf_init(&buf_, pool_));
  }
  void TearDown() override {
    nte_sbuf_free(&buf_);
    EXPECT_EQ(0, nte_array_used_count(pool_));
    nte_end_array(pool_);
    CoreTest::TearDown();
  }
  std::string contents() {
    uint8_t* p = nullptr;
    int n = 0;
    nte_sbuf_get_buffer(&buf_, &p, &n);
    return std::string(reinterpret_cast<char*>(p), static_cast<size_t>(n));
  }
  int pool_ = -1;
  nte_sbuf buf_;
};

TEST_F(BufferTest, PushCompactsOnlyWhenNeededAndRefusesWhatCannotFit) {
  ASSERT_EQ(10, nte_sbuf_push(&buf_, "0123456789", 10));
  char out[8];
  ASSERT_EQ(8, nte_sbuf_shift(&buf_, out, 8));
  EXPECT_EQ("01234567", std::string(out, 8));
  EXPECT_EQ(14, nte_sbuf_get_rest(&buf_));
  // 15 bytes cannot fit even after compaction: refused, contents unchanged.
  EXPECT_EQ(NTE_ERR_NO_ROOM, nte_sbuf_push(&buf_, "abcdefghijklmno", 15));
  EXPECT_EQ("89", contents());
  EXPECT_EQ(14, nte_sbuf_push(&buf_, "abcdefghijklmn", 14));
  EXPECT_EQ("89abcdefghijklmn", contents());
  EXPECT_EQ(0, nte_sbuf_get_rest(&buf_));
}

TEST_F(BufferTest, ShiftEmptiesToTheFront) {
  ASSERT_EQ(5, nte_sbuf_push(&buf_, "hello", 5));
  EXPECT_EQ(3, nte_sbuf_shift(&buf_, nullptr, 3));
  EXPECT_EQ(2, nte_sbuf_shift(&buf_, nullptr, 100));
  EXPECT_EQ(0u, buf_.start);
  EXPECT_EQ(0u, buf_.end);
  EXPECT_EQ(0, nte_sbuf_shift(&buf_, nullptr, 1));
  EXPECT_EQ(NTE_ERR_INVALID, nte_sbuf_push(&buf_, "x", -1));
  EXPECT_EQ(16, nte_sbuf_get_rest(&buf_));
}

TEST_F(BufferTest, InvariantsHoldThroughRandomUse) {
  std::string model;
  unsigned seed = 99;
  for (int step = 0; step < 3000; ++step) {
    seed = seed * 1103515245u + 12345u;
    int n = static_cast<int>((seed >> 16) % 18);
    if ((seed >> 4) & 1) {
      std::string data(static_cast<size_t>(n), static_cast<char>('a' + step % 26));
      int r = nte_sbuf_push(&buf_, data.data(), n);
      if (static_cast<int>(model.size()) + n <= 16) {
        ASSERT_EQ(n, r);
        model += data;
      } else {
        ASSERT_EQ(NTE_ERR_NO_ROOM, r);
      }
    } else {
      char out[32];
      int k = nte_sbuf_shift(&buf_, out, n);
      ASSERT_EQ(std::min<int>(n, static_cast<int>(model.size())), k);
      ASSERT_EQ(model.substr(0, static_cast<size_t>(k)), std::string(out, static_cast<size_t>(k)));
      model.erase(0, static_cast<size_t>(k));
    }
    ASSERT_LE(buf_.start, buf_.end);
    ASSERT_LE(buf_.end, buf_.size);
    if (model.empty()) {
      ASSERT_EQ(0u, buf_.end);
    }
    ASSERT_EQ(model, contents());
  }
}

TEST_F(BufferTest, FullPoolRefusesAThirdBuffer) {
  nte_sbuf second, third;
  ASSERT_EQ(0, nte_sbuf_init(&second, pool_));
  EXPECT_EQ(NTE_ERR_NO_ROOM, nte_sbuf_init(&third, pool_));
  EXPECT_EQ(nullptr, third.storage);
  nte_sbuf_free(&third);  // harmless on a buffer without storage
  nte_sbuf_free(&second);
  EXPECT_EQ(nullptr, second.storage);
}

TEST(NteUtil, HexToBytes) {
  struct Case {
    const char* text;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"0x0A1", {0x0A, 0x10}},
      {"A", {}},
      {"", {}},
      {"0X", {}},
      {"ff00", {0xFF, 0x00}},
      {"abc", {0xAB, 0xC0}},
      {"zz", {0x00}},
      {"0102030405", {1, 2, 3, 4}},  // at most 4 bytes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    uint8_t out[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    int n = nte_hex_to_bytes(out, 4, c.text);
    EXPECT_EQ(c.bytes, std::vector<uint8_t>(out, out + n));
  }
  EXPECT_EQ(1, nte_is_hex_digit('f'));
  EXPECT_EQ(0, nte_is_hex_digit('g'));
  EXPECT_EQ(15, nte_hex_digit_value('F'));
  EXPECT_EQ(0, nte_hex_digit_value('?'));
}

TEST(NteUtil, CopyBoundedAndAddressTexts) {
  char out[4];
  EXPECT_EQ(1, nte_copy_bounded(out, 4, "abcdef"));
  EXPECT_STREQ("abc", out);
  EXPECT_EQ(0, nte_copy_bounded(out, 4, "abc"));
  EXPECT_STREQ("abc", out);
  char text[64];
  const uint8_t v4[4] = {127, 0, 0, 1};
  EXPECT_STREQ("127.0.0.1", nte_ipv4_to_text(v4, 4, text, sizeof text));
  EXPECT_STREQ("ERROR", nte_ipv4_to_text(v4, 3, text, sizeof text));
  uint8_t v6[16] = {0x20, 0x01, 0x0d, 0xb8};
  v6[15] = 1;
  EXPECT_STREQ("2001:db8:0:0:0:0:0:1", nte_ipv6_to_text(v6, 16, text, sizeof text));
  EXPECT_STREQ("ERROR", nte_ipv6_to_text(v6, 4, text, sizeof text));
}

TEST(NteErrors, EveryCodeHasItsOwnText) {
  const int codes[] = {-1,  -2,  -3,  -6,  -7,  -8,  -10, -11, -12, -13, -16, -17, -18, -19, -20, -21, -22,
                       -23, -24, -26, -28, -32, -36, -37, -38, -39, -41, -44, -45, -46, -62, -63, -64, -79};
  std::vector<std::string> seen;
  for (int code : codes) {
    SCOPED_TRACE(code);
    std::string text = nte_strerror(code);
    EXPECT_NE("unknown error", text);
    for (const std::string& s : seen) EXPECT_NE(s, text);
    seen.push_back(text);
  }
  EXPECT_STREQ("unknown error", nte_strerror(-999));
  EXPECT_STREQ("success", nte_strerror(0));
}

}  // namespace

namespace {

// An allocator that fails from the n-th call on and counts live blocks.
int g_alloc_budget = 0;
int g_live = 0;
void* budget_alloc(size_t n) {
  if (g_alloc_budget-- <= 0) return nullptr;
  ++g_live;
  return std::malloc(n);
}
void* budget_resize(void* p, size_t n) { return std::realloc(p, n); }
void budget_release(void* p) {
  if (p) --g_live;
  std::free(p);
}

TEST(NteStart, EveryFailedStartStepUnwindsEverything) {
  fake::install();
  g_lines.clear();
  nte_set_log_sink(capture, nullptr);
  const nte_alloc_hooks hooks = {budget_alloc, budget_resize, budget_release};
  nte_set_alloc_hooks(&hooks);
  nte_limits l;
  nte_limit_clear(&l);
  l.max_task_worlds = 2;
  l.max_hash_tables = 2;
  l.max_connections = 4;
  l.max_contexts = 2;
  bool started = false;
  for (int budget = 0; budget < 64 && !started; ++budget) {
    SCOPED_TRACE(budget);
    g_alloc_budget = budget;
    g_live = 0;
    int r = nte_initialize_limited(&l);
    if (r == 0) {
      started = true;
      EXPECT_EQ(0, nte_finalize());
    } else {
      EXPECT_TRUE(r == NTE_ERR_STARTUP_ALLOC || r == NTE_ERR_POOL_CREATE) << r;
      EXPECT_EQ(r, nte_get_last_error());
      EXPECT_EQ(0, nte_is_started());
    }
    EXPECT_EQ(0, g_live) << "nothing left allocated";
  }
  EXPECT_TRUE(started);
  nte_set_alloc_hooks(nullptr);
  nte_set_log_sink(nullptr, nullptr);
  fake::uninstall();
}

}  // namespace
