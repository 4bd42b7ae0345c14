// Records/s and MB/s through the 16-bit length framing: the engine pass
// (receive, plain codec, parser, record callback) over the in-memory
// transport, and the sender with the pass draining to the socket.
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <string>

#include "net/nte/nte.h"
#include "net/nte/nte_records.h"
#include "tests/nte/engine_start.h"
#include "tests/nte/fake_transport.h"
#include "tests/support/bench_clock.h"

namespace {

long g_records = 0;
long g_bytes = 0;

int on_record(conn_t*, uint32_t, const uint8_t*, int length) {
  ++g_records;
  g_bytes += length;
  return 0;
}

std::string stream_of(int body, int count) {
  std::string one;
  one += static_cast<char>(body >> 8);
  one += static_cast<char>(body & 0xFF);
  one += std::string(static_cast<size_t>(body), 'r');
  std::string all;
  all.reserve(one.size() * static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) all += one;
  return all;
}

using test_support::BenchNowNs;
using test_support::FormatRatio;

// Whole events per second of count in ns.
int64_t per_second(int64_t count, int64_t ns) { return ns > 0 ? count * 1000000000 / ns : 0; }

// Decimal megabytes per second of bytes in ns, two decimals.
std::string mb_per_second(int64_t bytes, int64_t ns) { return FormatRatio(bytes * 1000, ns); }

void bench_receive(int body, int count) {
  // The socket class's sizes: 36,864-byte buffers, 10 records per pass.
  tcpcontext* ctx = nte_tcpcontext_create(0, nullptr, 0, 1, 36864, 36864, 600, 0, 0, 1, 0, 4);
  nte_tcpcontext_set_conn_parser(ctx, nte_parser_u16_length, on_record);
  nte_tcpcontext_set_records_per_pass(ctx, 10);
  nte_conn_handle h = tcpcontext_connect(ctx, "127.0.0.1", 9070);
  fake::Socket* s = fake::find(h.conn->sock);
  // The peer's stream is handed over a batch at a time, as a socket would.
  const int batch = 65536 / (body + 2) > 0 ? 65536 / (body + 2) : 1;
  const std::string chunk = stream_of(body, batch);
  int queued = 0;
  g_records = g_bytes = 0;
  long passes = 0;
  const int64_t t0 = BenchNowNs();
  while (g_records < count && passes < 100000000) {
    if (s->inbox.size() < 16384 && queued < count) {
      s->inbox += chunk;
      queued += batch;
    }
    nte_heartbeat();
    ++passes;
  }
  const int64_t ns = BenchNowNs() - t0;
  std::printf("receive  body %5d B: %10" PRId64 " records/s %10s MB/s (%ld passes)\n", body, per_second(g_records, ns),
              mb_per_second(g_bytes, ns).c_str(), passes);
  nte_tcpcontext_cleanup(ctx);
}

void bench_send(int body, int count) {
  tcpcontext* ctx = nte_tcpcontext_create(0, nullptr, 0, 1, 36864, 36864, 600, 0, 0, 1, 0, 4);
  nte_conn_handle h = tcpcontext_connect(ctx, "127.0.0.1", 9070);
  nte_heartbeat();
  fake::Socket* s = fake::find(h.conn->sock);
  std::string payload(static_cast<size_t>(body), 's');
  long sent = 0;
  const int64_t t0 = BenchNowNs();
  while (sent < count) {
    if (nte_send_u16_length(h.conn, h.serial, payload.data(), body) > 0)
      ++sent;
    else
      nte_heartbeat();
    if (s->outbox.size() > (1u << 24)) s->outbox.clear();
  }
  while (nte_conn_pending_output(h.conn, h.serial) > 0) nte_heartbeat();
  const int64_t ns = BenchNowNs() - t0;
  std::printf("send     body %5d B: %10" PRId64 " records/s %10s MB/s\n", body, per_second(sent, ns),
              mb_per_second(static_cast<int64_t>(sent) * body, ns).c_str());
  nte_tcpcontext_cleanup(ctx);
}

void quiet(void*, const char*) {}

}  // namespace

int main() {
  nte_set_log_sink(quiet, nullptr);
  if (nte_test::StartEngine(nte_test::Transport::kFake, 2, 2) != 0) return 1;
  const struct { int body, count; } runs[] = {{16, 2000000}, {256, 500000}, {4096, 60000}, {36000, 8000}};
  for (const auto& r : runs) bench_receive(r.body, r.count);
  for (const auto& r : runs) bench_send(r.body, r.count);
  nte_test::StopEngine();
  return 0;
}
