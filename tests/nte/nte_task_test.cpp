// Task worlds, hash tables and virtual circuits through the real engine
// pass, over the fake transport with the fake clock.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "net/nte/nte_circuit.h"
#include "net/nte/nte_hash.h"
#include "net/nte/nte_task.h"
#include "tests/nte/engine_fixture.h"
#include "tests/nte/engine_start.h"

namespace nte_test {
namespace {

constexpr int64_t kSecond = 1000000;

// An engine with task worlds and hash tables.
class TaskTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    ASSERT_EQ(0, nte_finalize());
    nte_limits l = Limits(4, 8);
    l.max_task_worlds = 4;
    l.max_hash_tables = 6;
    ASSERT_EQ(0, StartEngine(Transport::kFake, l));
  }
  int count_log(const std::string& line) {
    int n = 0;
    for (const std::string& l : rec().log) n += l == line;
    return n;
  }
};

int g_runs = 0;
int32_t g_result = 0;
std::vector<std::pair<int32_t, int32_t>> g_args;
int32_t count_run(nte_task*, int32_t a, int32_t b) {
  ++g_runs;
  g_args.emplace_back(a, b);
  return g_result;
}

TEST_F(TaskTest, PollTable) {
  struct Case {
    const char* name;
    int64_t world_interval, task_interval;
    int slots, per_scan, tasks;
    std::vector<int> steps;  // seconds before each pass
    uint32_t scans, visits, runs;
    int cursor;
    int trace_lines;
  } cases[] = {
      {"every pass, every slot", 0, 0, 4, 4, 2, {1, 1, 1}, 3, 6, 6, 0, 3},
      {"scan interval not reached", 2 * kSecond, 0, 4, 4, 2, {1}, 0, 0, 0, 0, 0},
      {"scan interval reached", 2 * kSecond, 0, 4, 4, 2, {1, 1}, 1, 2, 2, 0, 1},
      {"two slots per scan walk the cursor", 0, 0, 4, 2, 2, {1, 1, 1}, 3, 4, 4, 2, 1},
      {"task interval not passed", 0, 1 * kSecond, 2, 2, 1, {1}, 1, 1, 0, 0, 1},
      {"task interval passed", 0, 1 * kSecond, 2, 2, 1, {1, 1}, 2, 2, 1, 0, 2},
      {"exactly the task interval waits", 0, 2 * kSecond, 2, 2, 1, {2}, 1, 1, 0, 0, 1},
      {"more per scan than slots", 0, 0, 2, 5, 1, {1}, 1, 3, 1, 1, 2},
  };
  int world_number = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Each case in a fresh engine: worlds live until the engine ends.
    if (world_number++ > 0) {
      ASSERT_EQ(0, nte_finalize());
      nte_limits l = Limits(4, 8);
      l.max_task_worlds = 4;
      l.max_hash_tables = 6;
      ASSERT_EQ(0, StartEngine(Transport::kFake, l));
    }
    rec().log.clear();
    g_runs = 0;
    g_result = 0;
    nte_taskworld* w = nte_taskworld_create("w", c.world_interval, c.slots, c.per_scan, 1);
    ASSERT_NE(nullptr, w);
    for (int i = 0; i < c.tasks; ++i) ASSERT_NE(nullptr, nte_task_create(w, c.task_interval, count_run, i, -i));
    for (int s : c.steps) {
      advance_clock(s);
      pass();
    }
    EXPECT_EQ(c.scans, w->scans);
    EXPECT_EQ(c.visits, w->visits);
    EXPECT_EQ(c.runs, w->runs);
    EXPECT_EQ(static_cast<int>(c.runs), g_runs);
    EXPECT_EQ(c.cursor, w->cursor);
    EXPECT_EQ(c.trace_lines, count_log("[task w scan complete]\n"));
    EXPECT_EQ(c.tasks, w->task_count);
  }
}

TEST_F(TaskTest, CallbackGetsItsArgumentsAndCountsItsCalls) {
  g_args.clear();
  g_result = 0;
  nte_taskworld* w = nte_taskworld_create("args", 0, 2, 2, 0);
  nte_task* t = nte_task_create(w, 0, count_run, 7, -9);
  ASSERT_NE(nullptr, t);
  advance_clock(1);
  pass();
  advance_clock(1);
  pass();
  EXPECT_EQ((std::vector<std::pair<int32_t, int32_t>>{{7, -9}, {7, -9}}), g_args);
  EXPECT_EQ(2u, t->calls);
}

nte_task* g_self = nullptr;
int32_t free_self_and_fail(nte_task* t, int32_t, int32_t) {
  g_self = t;
  nte_task_free(t);
  return -1;
}

TEST_F(TaskTest, NegativeResultFreesTheTaskOnceEvenIfItFreedItself) {
  nte_taskworld* w = nte_taskworld_create("free", 0, 4, 4, 0);
  g_result = -1;
  g_runs = 0;
  nte_task* a = nte_task_create(w, 0, count_run, 0, 0);
  nte_task* b = nte_task_create(w, 0, free_self_and_fail, 0, 0);
  nte_task* keep = nte_task_create(
      w, 0, [](nte_task*, int32_t, int32_t) -> int32_t { return 0; }, 0, 0);
  ASSERT_TRUE(a && b && keep);
  EXPECT_EQ(3, w->task_count);
  advance_clock(1);
  pass();
  EXPECT_EQ(1, g_runs);
  EXPECT_EQ(0, a->in_use);
  EXPECT_EQ(nullptr, a->callback);
  EXPECT_EQ(b, g_self);
  EXPECT_EQ(1, w->task_count) << "each freed task counted out once";
  EXPECT_EQ(1, nte_array_used_count(w->task_pool));
  // Freeing again changes nothing; a pointer that is no task is refused.
  EXPECT_EQ(0, nte_task_free(a));
  EXPECT_EQ(1, w->task_count);
  int not_a_task = 0;
  EXPECT_EQ(NTE_ERR_INVALID, nte_task_free(reinterpret_cast<nte_task*>(&not_a_task)));
  advance_clock(1);
  pass();
  EXPECT_EQ(1, g_runs) << "a freed task never runs again";
}

int g_second_world_runs = 0;
TEST_F(TaskTest, CallbackThatEndsTheEngineIsDeferredToThePassEnd) {
  nte_taskworld* w1 = nte_taskworld_create("first", 0, 1, 1, 0);
  nte_taskworld* w2 = nte_taskworld_create("second", 0, 1, 1, 0);
  g_second_world_runs = 0;
  nte_task_create(
      w1, 0,
      [](nte_task*, int32_t, int32_t) -> int32_t {
        EXPECT_EQ(0, nte_finalize());
        EXPECT_EQ(1, nte_is_started()) << "not inside the pass";
        return 0;
      },
      0, 0);
  nte_task_create(
      w2, 0,
      [](nte_task*, int32_t, int32_t) -> int32_t {
        ++g_second_world_runs;
        return 0;
      },
      0, 0);
  advance_clock(1);
  pass();
  EXPECT_EQ(0, nte_is_started());
  EXPECT_EQ(0, g_second_world_runs) << "the poll stops once the engine is to end";
}

TEST_F(TaskTest, UnreadableSlotLogsAndMovesToTheNextWorld) {
  nte_taskworld* bad = nte_taskworld_create("bad", 0, 2, 2, 0);
  nte_taskworld* good = nte_taskworld_create("good", 0, 2, 2, 0);
  g_runs = 0;
  g_result = 0;
  nte_task_create(good, 0, count_run, 0, 0);
  bad->cursor = 99;
  advance_clock(1);
  pass();
  EXPECT_EQ(1, count_log("Bug: task: nte_task_poll bug 1\n"));
  EXPECT_EQ(1u, good->runs);
  EXPECT_EQ(1, g_runs);
}

TEST_F(EngineTest, WithoutTaskWorldsOrHashTablesNothingExists) {
  EXPECT_EQ(nullptr, nte_taskworld_create("none", 0, 1, 1, 0));
  EXPECT_EQ(NTE_ERR_INVALID, nte_get_last_error());
  EXPECT_EQ(NTE_ERR_INVALID, nte_hash_table_create(4, 4));
  EXPECT_EQ(NTE_ERR_INVALID, nte_hash_remove(0, 1, 2));
  pass(3);  // the poll finds no world
}

// --- hash tables ---------------------------------------------------------------

TEST(HashBucket, SignedSumModuloTheCount) {
  struct Case {
    int32_t k1, k2, count;
    int bucket;
  } cases[] = {
      {5, -7, 4, 2}, {INT_MAX, 2, 4, 3}, {INT_MIN, -1, 4, 3},        {INT_MIN, INT_MIN, 7, 0},    {0, 0, 1, 0},
      {-5, 0, 3, 2}, {9, 0, 4, 1},       {1, 1, 0, NTE_ERR_INVALID}, {1, 1, -4, NTE_ERR_INVALID},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.bucket, nte_hash_bucket(c.k1, c.k2, c.count)) << c.k1 << " + " << c.k2 << " of " << c.count;
  }
}

TEST_F(TaskTest, HashRemovalTable) {
  // One bucket: every node in one chain, newest first (C, B, A).
  struct Case {
    const char* name;
    int32_t k1, k2;
    int result;
    std::vector<int> left;  // the values still found
  } cases[] = {
      {"head", 3, 30, 0, {1, 2}},
      {"middle", 2, 20, 0, {1, 3}},
      {"tail", 1, 10, 0, {2, 3}},
      {"missing", 4, 40, -8, {1, 2, 3}},
      {"key 1 matches, key 2 not", 2, 21, -8, {1, 2, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int values[4] = {0, 1, 2, 3};
    const int t = nte_hash_table_create(1, 8);
    ASSERT_GE(t, 0);
    for (int v = 1; v <= 3; ++v) ASSERT_EQ(0, nte_hash_insert(t, v, 10 * v, &values[v]));
    EXPECT_EQ(c.result, nte_hash_remove(t, c.k1, c.k2));
    std::vector<int> left;
    for (int v = 1; v <= 3; ++v) {
      if (nte_hash_lookup(t, v, 10 * v) == &values[v]) left.push_back(v);
    }
    EXPECT_EQ(c.left, left);
    EXPECT_EQ(0, nte_hash_table_destroy(t));
  }
  EXPECT_EQ(-6, nte_hash_remove(-1, 1, 1)) << "index below the table";
  EXPECT_EQ(-6, nte_hash_remove(6, 1, 1)) << "index past the table";
  EXPECT_EQ(-6, nte_hash_remove(2, 1, 1)) << "an entry not in use";
}

TEST_F(TaskTest, HashTablesCreateInsertAndRunOut) {
  int v = 0;
  const int t = nte_hash_table_create(4, 2);
  ASSERT_GE(t, 0);
  EXPECT_EQ(0, nte_hash_insert(t, 5, -7, &v));
  EXPECT_EQ(-3, nte_hash_insert(t, 5, -7, &v)) << "the key pair is there";
  EXPECT_EQ(0, nte_hash_insert(t, 1, 1, &v));
  EXPECT_EQ(-2, nte_hash_insert(t, 2, 2, &v)) << "node pool full";
  EXPECT_EQ(0, nte_hash_remove(t, 5, -7));
  EXPECT_EQ(0, nte_hash_insert(t, 2, 2, &v)) << "a removed node is back in the pool";
  EXPECT_EQ(-6, nte_hash_table_create(0, 4)) << "no bucket to divide by";
  EXPECT_EQ(-6, nte_hash_table_create(4, 0));
  std::vector<int> made;
  for (int i = 0; i < 5; ++i) made.push_back(nte_hash_table_create(2, 2));
  for (int m : made) EXPECT_GE(m, 0);
  EXPECT_EQ(-8, nte_hash_table_create(2, 2)) << "no free hash table";
}

// --- circuits -------------------------------------------------------------------

struct CircEvent {
  std::string what;
  uint32_t serial;
  int reason;
};
std::vector<CircEvent> g_events;
// What the circuit-closed callback does after it records the call.
enum class InCallback { kNothing, kReleaseCircuit, kCloseConnection, kEndContext, kEndEngine };
InCallback g_in_callback = InCallback::kNothing;
bool g_close_again_in_callback = false;

void on_circ_closed(nte_circ* c, uint32_t serial, int reason) {
  g_events.push_back({"closed", serial, reason});
  if (g_close_again_in_callback) {
    EXPECT_EQ(NTE_ERR_CLOSING, nte_circ_close_internal(c, serial, 1, 1, 1));
  }
  switch (g_in_callback) {
    case InCallback::kNothing:
      break;
    case InCallback::kReleaseCircuit:
      EXPECT_EQ(0, nte_circ_close(c, serial));
      break;
    case InCallback::kCloseConnection:
      EXPECT_EQ(0, nte_conn_close(c->conn, c->conn_serial));
      break;
    case InCallback::kEndContext:
      nte_tcpcontext_cleanup(vec_circ_get_tcpcontext(c, serial));
      break;
    case InCallback::kEndEngine:
      EXPECT_EQ(0, nte_finalize());
      break;
  }
}

void on_circ_final(nte_circ* c, uint32_t serial) {
  g_events.push_back({"final", serial, 0});
  int size = 0;
  EXPECT_NE(nullptr, nte_circ_get_state_buffer(c, serial, &size)) << "the state is still there";
  EXPECT_EQ(16, size);
  EXPECT_EQ(NTE_ERR_INVALID, nte_circ_close(c, serial)) << "released once";
}

std::string Notice(uint32_t id, uint16_t number) {
  const uint8_t b[14] = {0x07,
                         0x75,
                         0x00,
                         0x02,
                         static_cast<uint8_t>(id >> 24),
                         static_cast<uint8_t>(id >> 16),
                         static_cast<uint8_t>(id >> 8),
                         static_cast<uint8_t>(id),
                         static_cast<uint8_t>(number >> 8),
                         static_cast<uint8_t>(number),
                         0x00,
                         0x02,
                         0x00,
                         0x00};
  return std::string(reinterpret_cast<const char*>(b), 14);
}

class CircuitTest : public TaskTest {
 protected:
  void SetUp() override {
    TaskTest::SetUp();
    g_events.clear();
    g_in_callback = InCallback::kNothing;
    g_close_again_in_callback = false;
    ctx_ = make_context(NTE_FRAMING_RAW);
    nte_tcpcontext_set_circuit_callbacks(ctx_, on_circ_closed, on_circ_final);
    h_ = connect(ctx_);
    ASSERT_GT(nte_conn_writable(h_.conn, h_.serial), 0);
    ASSERT_EQ(0, nte_conn_circuits_init(h_.conn, h_.serial, 1, 4, 16, 32));
  }
  fake::Socket* sock() { return fake::find(h_.conn->sock); }
  int used(int pool) { return nte_array_used_count(pool); }
  nte_conn_handle h_{};
};

TEST_F(CircuitTest, IdleExactlyTheTimeoutStaysOneSecondMoreCloses) {
  nte_set_log_level(1);
  nte_circ_handle c = nte_circ_open(h_.conn, h_.serial, 0xA1B2C3D4u, 0x0102, 5);
  ASSERT_NE(nullptr, c.circ);
  const nte_conn_circuits& s = h_.conn->circuits;
  EXPECT_EQ(1, used(s.state_pool));
  EXPECT_EQ(1, used(s.buffer_pool));
  EXPECT_EQ(c.circ, nte_circ_find(h_.conn, h_.serial, 0xA1B2C3D4u, 0x0102).circ);
  EXPECT_EQ(ctx_, vec_circ_get_tcpcontext(c.circ, c.serial));
  advance_clock(5);
  pass(3);
  EXPECT_EQ(1, nte_conn_circuit_count(h_.conn, h_.serial)) << "idle exactly 5 seconds";
  EXPECT_EQ("", sock()->outbox);
  advance_clock(1);
  pass(3);  // closed in the first, sent in the third
  EXPECT_EQ(0, nte_conn_circuit_count(h_.conn, h_.serial));
  EXPECT_EQ(Notice(0xA1B2C3D4u, 0x0102), sock()->outbox);
  ASSERT_EQ(2u, g_events.size());
  EXPECT_EQ("closed", g_events[0].what);
  EXPECT_EQ(NTE_CIRC_CLOSE_TIMEOUT, g_events[0].reason);
  EXPECT_EQ(c.serial, g_events[0].serial);
  EXPECT_EQ("final", g_events[1].what);
  EXPECT_EQ(nullptr, nte_circ_find(h_.conn, h_.serial, 0xA1B2C3D4u, 0x0102).circ) << "out of the hash table";
  EXPECT_EQ(0, used(s.state_pool));
  EXPECT_EQ(0, used(s.buffer_pool));
  EXPECT_EQ(0, used(s.circ_pool));
  EXPECT_EQ(nullptr, s.ring[0]) << "the round-robin array forgets it";
  EXPECT_EQ(NTE_ERR_INVALID, nte_circ_close(c.circ, c.serial));
  EXPECT_EQ(NTE_ERR_INVALID, nte_circ_touch(c.circ, c.serial));
  const std::vector<std::string> expected = {
      "VEC_DEBUG: SEND: CLOSED(circ_close) len:14\n",
      "nte_circ_close: calling finalizer serial: " + std::to_string(c.serial) + "\n",
      "Note:10349: vec: freed state buffer for a circ\n",
      "VEC_DEBUG: nte_circ_close_internal: ok\n",
  };
  std::vector<std::string> vec;
  for (const std::string& l : rec().log) {
    if (l.find("VEC_DEBUG") != std::string::npos || l.find("circ") != std::string::npos) vec.push_back(l);
  }
  EXPECT_EQ(expected, vec);
  // A touch keeps a circuit alive.
  nte_circ_handle d = nte_circ_open(h_.conn, h_.serial, 7, 7, 5);
  advance_clock(4);
  EXPECT_EQ(0, nte_circ_touch(d.circ, d.serial));
  advance_clock(4);
  pass(2);
  EXPECT_EQ(1, nte_conn_circuit_count(h_.conn, h_.serial));
}

TEST_F(CircuitTest, CloseNoticeGoesOutWhateverTheCallbackDid) {
  struct Case {
    const char* name;
    InCallback action;
    bool notice;  // the 14 bytes reach the peer
    int sends;    // "SEND" lines: a notice tried
    int refused;  // "cannot send" lines
  } cases[] = {
      {"callback does nothing", InCallback::kNothing, true, 1, 0},
      {"callback releases the circuit", InCallback::kReleaseCircuit, true, 1, 0},
      {"callback closes the connection", InCallback::kCloseConnection, false, 1, 1},
      {"callback ends the context: no one to tell", InCallback::kEndContext, false, 0, 0},
      {"callback ends the engine (last: nothing runs after it)", InCallback::kEndEngine, false, 0, 0},
  };
  nte_tcpcontext_cleanup(ctx_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_events.clear();
    rec().log.clear();
    ctx_ = make_context(NTE_FRAMING_RAW);
    nte_tcpcontext_set_circuit_callbacks(ctx_, on_circ_closed, on_circ_final);
    h_ = connect(ctx_);
    ASSERT_GT(nte_conn_writable(h_.conn, h_.serial), 0);
    ASSERT_EQ(0, nte_conn_circuits_init(h_.conn, h_.serial, 2, 4, 16, 32));
    fake::Socket* peer = sock();
    const int circ_pool = h_.conn->circuits.circ_pool;
    nte_circ_handle circ = nte_circ_open(h_.conn, h_.serial, 0x0BADF00Du, 0x0304, 0);
    ASSERT_NE(nullptr, circ.circ);
    g_in_callback = c.action;
    g_close_again_in_callback = true;
    EXPECT_EQ(0, nte_circ_close_internal(circ.circ, circ.serial, 1, 1, NTE_CIRC_CLOSE_BY_CALL));
    g_in_callback = InCallback::kNothing;
    g_close_again_in_callback = false;
    pass(3);
    EXPECT_EQ(c.notice ? Notice(0x0BADF00Du, 0x0304) : "", peer->outbox);
    ASSERT_EQ(2u, g_events.size()) << "told once, released once";
    EXPECT_EQ("closed", g_events[0].what);
    EXPECT_EQ(NTE_CIRC_CLOSE_BY_CALL, g_events[0].reason);
    EXPECT_EQ("final", g_events[1].what);
    EXPECT_EQ(c.sends, count_log("VEC_DEBUG: SEND: CLOSED(circ_close) len:14\n"));
    EXPECT_EQ(c.refused, count_log("VEC_DEBUG: cannot send CLOSED(circ_close) to len:14\n"));
    EXPECT_EQ(1, count_log("VEC_DEBUG: nte_circ_close_internal: ok\n"));
    EXPECT_EQ(NTE_ERR_INVALID, nte_circ_close_internal(circ.circ, circ.serial, 1, 1, 1));
    if (c.notice) {
      EXPECT_EQ(0, nte_conn_circuit_count(h_.conn, h_.serial));
      EXPECT_EQ(0, used(circ_pool));
      nte_tcpcontext_cleanup(ctx_);
    } else {
      EXPECT_EQ(0, nte_conn_is_valid(h_.conn, h_.serial)) << "the connection went";
      EXPECT_TRUE(peer->closed);
      if (c.action == InCallback::kCloseConnection) nte_tcpcontext_cleanup(ctx_);
    }
  }
}

TEST_F(CircuitTest, ClosingConnectionRefusesTheNoticeAndTheCloseGoesOn) {
  nte_circ_handle c = nte_circ_open(h_.conn, h_.serial, 9, 9, 1);
  sock()->send_blocked = true;
  ASSERT_EQ(3, nte_conn_write(h_.conn, h_.serial, "out", 3));
  pass();
  ASSERT_EQ(0, nte_conn_close(h_.conn, h_.serial));
  advance_clock(2);
  pass();
  EXPECT_EQ(0, nte_conn_circuit_count(h_.conn, h_.serial));
  EXPECT_EQ(1, count_log("VEC_DEBUG: cannot send CLOSED(circ_close) to len:14\n"));
  EXPECT_EQ(1, count_log("VEC_DEBUG: nte_circ_close_internal: ok\n"));
  EXPECT_EQ(2u, g_events.size());
  (void)c;
}

TEST_F(CircuitTest, ReleasedConnectionTakesItsCircuitsWithoutNotices) {
  ASSERT_EQ(0, nte_finalize());
  nte_limits l = Limits(4, 8);
  l.max_hash_tables = 6;
  ASSERT_EQ(0, StartEngine(Transport::kFake, l));
  ctx_ = make_context(NTE_FRAMING_RAW);
  nte_tcpcontext_set_circuit_callbacks(ctx_, on_circ_closed, on_circ_final);
  h_ = connect(ctx_);
  ASSERT_EQ(0, nte_conn_circuits_init(h_.conn, h_.serial, 3, 2, 16, 0));
  const nte_conn_circuits s = h_.conn->circuits;
  // The peer's socket, kept: once released the connection names no socket.
  fake::Socket* peer = sock();
  ASSERT_NE(nullptr, peer);
  std::vector<nte_circ_handle> cs;
  for (uint16_t n = 0; n < 2; ++n) cs.push_back(nte_circ_open(h_.conn, h_.serial, 42, n, 100));
  // A pair in use is refused while there is room, and takes nothing.
  EXPECT_EQ(nullptr, nte_circ_open(h_.conn, h_.serial, 42, 1, 100).circ);
  EXPECT_EQ(NTE_ERR_DOUBLE_FREE, nte_get_last_error()) << "id and number in use";
  EXPECT_EQ(2, used(s.circ_pool));
  EXPECT_EQ(2, used(s.state_pool));
  EXPECT_EQ(2, nte_conn_circuit_count(h_.conn, h_.serial));
  EXPECT_EQ(cs[1].circ, nte_circ_find(h_.conn, h_.serial, 42, 1).circ) << "the first holder stays";
  cs.push_back(nte_circ_open(h_.conn, h_.serial, 42, 2, 100));
  ASSERT_NE(nullptr, cs.back().circ);
  EXPECT_EQ(nullptr, nte_circ_open(h_.conn, h_.serial, 42, 9, 100).circ);
  EXPECT_EQ(NTE_ERR_NO_ROOM, nte_get_last_error()) << "every slot taken";
  rec().log.clear();
  nte_set_log_level(1);
  ASSERT_EQ(0, nte_conn_close(h_.conn, h_.serial));
  pass();
  EXPECT_EQ(0, nte_conn_is_valid(h_.conn, h_.serial));
  EXPECT_TRUE(peer->closed);
  int finals = 0, closes = 0;
  for (const CircEvent& e : g_events) {
    finals += e.what == "final";
    closes += e.what == "closed";
  }
  EXPECT_EQ(3, finals);
  EXPECT_EQ(0, closes) << "no callback, no notice";
  EXPECT_EQ("", peer->outbox);
  for (const std::string& line : rec().log) {
    EXPECT_EQ(std::string::npos, line.find("VEC_DEBUG")) << "no notice tried: " << line;
  }
  EXPECT_EQ(NTE_ERR_INVALID, nte_array_count(s.circ_pool)) << "its pools ended";
  EXPECT_EQ(NTE_ERR_INVALID, nte_array_count(s.state_pool));
  EXPECT_EQ(NTE_ERR_INVALID, nte_hash_remove(s.hash, 42, 0)) << "its hash table destroyed";
  for (const nte_circ_handle& c : cs) EXPECT_EQ(nullptr, vec_circ_get_tcpcontext(c.circ, c.serial));
}

TEST_F(CircuitTest, FinalizeWithLiveCircuitsReleasesEachQuietly) {
  // A second connection with three circuits beside the fixture's one.
  nte_conn_handle other = connect(ctx_);
  ASSERT_EQ(0, nte_conn_circuits_init(other.conn, other.serial, 3, 2, 16, 32));
  ASSERT_NE(nullptr, nte_circ_open(h_.conn, h_.serial, 1, 1, 100).circ);
  for (uint16_t n = 0; n < 3; ++n) ASSERT_NE(nullptr, nte_circ_open(other.conn, other.serial, 2, n, 100).circ);
  rec().log.clear();
  nte_set_log_level(1);
  EXPECT_EQ(0, nte_finalize());
  EXPECT_EQ(0, count_log("Bug:7106 vecsv: nte_circ_close fail\n")) << "each circuit leaves its hash table";
  EXPECT_EQ(4, count_log("Note:10349: vec: freed state buffer for a circ\n"));
  int finals = 0, closes = 0;
  for (const CircEvent& e : g_events) {
    finals += e.what == "final";
    closes += e.what == "closed";
  }
  EXPECT_EQ(4, finals);
  EXPECT_EQ(0, closes) << "the end tells no callback";
  for (const std::string& line : rec().log) EXPECT_EQ(std::string::npos, line.find("Bug:")) << line;
}

TEST(VecHeader, NoticeBytes) {
  uint8_t h[14];
  const uint32_t id = 0x01020304u;
  EXPECT_EQ(14, vec_make_header(h, &id, 12345, 0xBEEF, VEC_KIND_CLOSED, 0));
  EXPECT_EQ(Notice(0x01020304u, 0xBEEF), std::string(reinterpret_cast<char*>(h), 14));
}

}  // namespace
}  // namespace nte_test
