#include "tests/nte/engine_fixture.h"

#include <chrono>
#include <thread>

namespace nte_test {

std::string u16(const std::string& body) {
  std::string h;
  h += static_cast<char>((body.size() >> 8) & 0xFF);
  h += static_cast<char>(body.size() & 0xFF);
  return h + body;
}

std::string u32(const std::string& body) {
  std::string h(4, '\0');
  uint32_t n = static_cast<uint32_t>(body.size());
  h[0] = static_cast<char>(n >> 24);
  h[1] = static_cast<char>(n >> 16);
  h[2] = static_cast<char>(n >> 8);
  h[3] = static_cast<char>(n);
  return h + body;
}

bool pump_until(const std::function<bool()>& cond, int ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    nte_heartbeat();
    if (cond()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return cond();
}

namespace {
Recorder g_rec;
int64_t g_now = 1700000000;
}  // namespace

Recorder& rec() { return g_rec; }

int on_record(conn_t* c, uint32_t serial, const uint8_t* data, int length) {
  g_rec.records.emplace_back(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
  if (g_rec.close_in_callback) nte_conn_close(c, serial);
  if (g_rec.cleanup_in_callback) nte_tcpcontext_cleanup(g_rec.ctx);
  if (g_rec.finalize_in_callback) nte_finalize();
  return g_rec.record_result;
}

int on_close(conn_t* c, uint32_t serial, int reason) {
  // The handle is still valid while the watcher runs, but closing.
  EXPECT_EQ(1, nte_conn_is_valid(c, serial));
  EXPECT_EQ(NTE_ERR_WRITE_CLOSING, nte_conn_write(c, serial, "x", 1));
  g_rec.closes.push_back({serial, reason});
  return 0;
}

void on_log(void*, const char* line) { g_rec.log.emplace_back(line); }

void fake_clock(int64_t* seconds, int* ms) {
  *seconds = g_now;
  *ms = 0;
}

void advance_clock(int seconds) {
  g_now += seconds;
  nte_update_time();
}

void EngineTest::SetUp() {
  g_rec = Recorder();
  nte_set_clock(fake_clock);
  nte_set_log_sink(on_log, nullptr);
  ASSERT_EQ(0, StartEngine(Transport::kFake, 4, 8));
}

void EngineTest::TearDown() {
  if (nte_is_started()) {
    EXPECT_EQ(0, nte_finalize());
  }
  EXPECT_EQ(0, fake::open_count()) << "every socket is closed at the end";
  StopEngine();
}

tcpcontext* EngineTest::make_context(int framing, int read_size, int write_size, int timeout, int rpp) {
  tcpcontext* ctx = nte_tcpcontext_create(0, nullptr, 0, 4, read_size, write_size, timeout, 0, 0, 1, 0, 4);
  EXPECT_NE(nullptr, ctx);
  if (!ctx) return nullptr;
  nte_tcpcontext_set_conn_parser(ctx, nte_framing_parser(framing), on_record);
  nte_tcpcontext_set_conn_closewatcher(ctx, on_close);
  nte_tcpcontext_set_records_per_pass(ctx, rpp);
  g_rec.ctx = ctx;
  return ctx;
}

nte_conn_handle EngineTest::connect(tcpcontext* ctx) {
  nte_conn_handle h = tcpcontext_connect(ctx, "127.0.0.1", 9070);
  EXPECT_NE(nullptr, h.conn);
  for (int i = 0; i < 3 && h.conn && nte_conn_writable(h.conn, h.serial) == 0; ++i) pass();
  return h;
}

}  // namespace nte_test
