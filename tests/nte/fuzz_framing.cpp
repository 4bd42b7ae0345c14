// Arbitrary bytes through the record readers of every framing, through the
// real engine pass over the in-memory transport, and through the wire
// readers on every record delivered.
//
// Input: byte 0 picks the framing (low 2 bits) and the read size (high
// bits); byte 1 the read buffer size (one of kReadSizes); the rest is the
// peer's stream.
//
// The engine and one context per framing and buffer size are made once;
// each input costs one connection taken from and given back to the pools.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "net/nte/nte.h"
#include "net/nte/nte_records.h"
#include "tests/nte/engine_start.h"
#include "tests/nte/fake_transport.h"

namespace {

// Read buffer sizes around the framings' header lengths and a record of a
// few hundred bytes.
constexpr int kReadSizes[] = {8, 9, 13, 64, 255, 256, 258, 512};
constexpr int kSizeCount = sizeof kReadSizes / sizeof kReadSizes[0];
tcpcontext* g_contexts[NTE_FRAMING_COUNT][kSizeCount];

void check(bool ok) {
  if (!ok) std::abort();
}

int on_record(conn_t* c, uint32_t serial, const uint8_t* data, int length) {
  // The record lies inside the connection's read buffer.
  check(length > 0 || c->ctx->parser == nte_parser_text_line);
  check(data >= c->rbuf.storage && length >= 0 && static_cast<uint32_t>(length) <= c->rbuf.size &&
        data + length <= c->rbuf.storage + c->rbuf.size);
  // Take the record apart as a message parser would.
  nte_reader r;
  nte_reader_init(&r, data, length);
  uint8_t id = nte_reader_u8(&r);
  uint8_t text[64];
  if (id & 1) nte_reader_u32(&r);
  nte_reader_bytes(&r, text, sizeof text);
  const uint8_t* view = nullptr;
  int n = nte_reader_bytes_view(&r, &view, length);
  if (view) check(view >= data && view + n <= data + length);
  nte_reader_u16(&r);
  check(r.offset >= 0 && r.offset <= length);
  int cap = sizeof text;
  nte_binary_pop_bytes(data, length, 1, text, &cap);
  uint32_t high, low;
  nte_read_length_code(data, length, &high, &low);
  // A reply must never be queued partly.
  int before = nte_conn_pending_output(c, serial);
  int sent = nte_send_u16_length(c, serial, data, length);
  int after = nte_conn_pending_output(c, serial);
  check(sent < 0 ? after == before : after == before + sent);
  return (id == 0xEE) ? -1 : 0;
}

int on_close(conn_t*, uint32_t, int reason) {
  check(reason >= NTE_CLOSE_EOF_OR_IO_ERROR && reason <= NTE_CLOSE_PROTOCOL_ERROR);
  return 0;
}

void quiet(void*, const char*) {}

void set_up_once() {
  nte_set_log_sink(quiet, nullptr);
  const int contexts = NTE_FRAMING_COUNT * kSizeCount;
  // One connection at a time: the pass visits one slot per connection.
  if (nte_test::StartEngine(nte_test::Transport::kFake, contexts, 1) != 0) std::abort();
  for (int f = 0; f < NTE_FRAMING_COUNT; ++f) {
    for (int k = 0; k < kSizeCount; ++k) {
      tcpcontext* ctx = nte_tcpcontext_create(0, nullptr, 0, 1, kReadSizes[k], 512, 600, 0, 0, 1, 0, 4);
      check(ctx != nullptr);
      nte_tcpcontext_set_conn_parser(ctx, nte_framing_parser(f), on_record);
      nte_tcpcontext_set_conn_closewatcher(ctx, on_close);
      nte_tcpcontext_set_records_per_pass(ctx, 4);
      g_contexts[f][k] = ctx;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool started = false;
  if (!started) {
    set_up_once();
    started = true;
  }
  if (size < 2) return 0;
  const int framing = data[0] & 3;
  const int chunk = 1 + (data[0] >> 2) * 4;
  tcpcontext* ctx = g_contexts[framing][data[1] % kSizeCount];
  nte_conn_handle h = tcpcontext_connect(ctx, "127.0.0.1", 9070);
  check(h.conn != nullptr);
  fake::Socket* s = fake::find(h.conn->sock);
  s->recv_chunk = chunk;
  s->inbox.assign(reinterpret_cast<const char*>(data + 2), size - 2);
  s->peer_closed = true;
  // Every pass takes at least one byte or ends the connection.
  for (size_t i = 0; i < 2 * size + 16 && nte_conn_is_valid(h.conn, h.serial); ++i) nte_heartbeat();
  check(!nte_conn_is_valid(h.conn, h.serial));
  check(nte_tcpcontext_connection_count(ctx) == 0);
  check(fake::open_count() == 0);
  fake::forget_closed();
  return 0;
}
