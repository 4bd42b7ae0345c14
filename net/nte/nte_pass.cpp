// The TCP pass and the per-connection I/O step.
#include <cstring>

#include "net/nte/nte_keyex.h"
#include "net/nte/nte_pool.h"
#include "net/nte/nte_records.h"

namespace {

nte_poll_entry* g_entries = nullptr;
uint32_t* g_stamps = nullptr;  // serial of the connection an entry was built for
int g_conn_slots = 0;
int g_ctx_slots = 0;

bool keyed(const conn_t* c) { return c->cipher_flags == 0 || c->keyex_state == NTE_KEYEX_DONE; }

// Idle for longer than the time-out, in wrap-safe unsigned arithmetic.
bool idle_passed(const conn_t* c, uint32_t now) {
  uint32_t idle = now - c->last_activity;
  return idle < 0x80000000u && idle > static_cast<uint32_t>(c->idle_timeout);
}

const char* peer_text(conn_t* c, char* out, int cap) {
  if (!nte_conn_get_peer_text(c, c->serial, out, cap)) nte_copy_bounded(out, cap, "?");
  return out;
}

// Receives into the free tail of the encrypted read buffer directly.
int receive(conn_t* c) {
  nte_sbuf& b = c->erbuf;
  int n = nte_sbuf_get_rest(&b);
  if (n > NTE_IO_CHUNK) n = NTE_IO_CHUNK;
  if (n <= 0) return 1;
  if (b.size - b.end < static_cast<uint32_t>(n)) {
    uint32_t used = b.end - b.start;
    if (used > 0) std::memmove(b.storage, b.storage + b.start, used);
    b.start = 0;
    b.end = used;
  }
  ++c->recv_calls;
  int r = nte_socket_recv(c->sock, b.storage + b.end, n);
  if (r == NTE_IO_AGAIN) return 1;
  if (r <= 0) return r;
  b.end += static_cast<uint32_t>(r);
  c->recv_bytes += static_cast<uint32_t>(r);
  c->ctx->recv_bytes += static_cast<uint32_t>(r);
  c->last_activity = nte_time_seconds();
  return r;
}

}  // namespace

namespace nte_internal {

void fail_pending_connect(conn_t* c) {
  // The connect never completed: this is a failed set-up, not a close.  The
  // owner learns it from the handle gone invalid and the pass's last error.
  nte_verbose("tcp.c: connect failed on fd %d\n", static_cast<int>(c->sock));
  ++stats()->connect_errors;
  conn_free(c, 0, 0);
  note_pass_error(NTE_ERR_CONNECT);
}

int poll_init(int max_connections, int max_contexts) {
  g_conn_slots = max_connections;
  g_ctx_slots = max_contexts;
  size_t n = static_cast<size_t>(max_connections) + static_cast<size_t>(max_contexts);
  if (n == 0) return NTE_OK;
  g_entries = static_cast<nte_poll_entry*>(nte_malloc(sizeof(nte_poll_entry) * n));
  g_stamps = static_cast<uint32_t*>(nte_malloc(sizeof(uint32_t) * n));
  if (!g_entries || !g_stamps) {
    poll_end();
    return NTE_ERR_STARTUP_ALLOC;
  }
  std::memset(g_entries, 0, sizeof(nte_poll_entry) * n);
  std::memset(g_stamps, 0, sizeof(uint32_t) * n);
  return NTE_OK;
}

void poll_end() {
  if (g_entries) nte_free(g_entries);
  if (g_stamps) nte_free(g_stamps);
  g_entries = nullptr;
  g_stamps = nullptr;
  g_conn_slots = g_ctx_slots = 0;
}

void conn_io(conn_t* c, int readable, int writable, int failed) {
  tcpcontext* ctx = c->ctx;
  char text[64];
  const int watch = keyed(c) ? 1 : 0;
  const bool pending_connect = ctx->wait_for_connect && !c->connected;

  if (pending_connect && failed) {
    fail_pending_connect(c);
    return;
  }

  if (readable) {
    int r = receive(c);
    if (r <= 0) {
      ++stats()->recv_errors;
      if (r == 0)
        nte_verbose("Note:10320 conn_t detected EOF on fd %d addr:%s\n", static_cast<int>(c->sock),
                    peer_text(c, text, sizeof text));
      else
        nte_verbose("Note:10321 conn_t detected read error on fd %d addr:%s\n", static_cast<int>(c->sock),
                    peer_text(c, text, sizeof text));
      conn_free(c, watch, NTE_CLOSE_EOF_OR_IO_ERROR);
      return;
    }
    ++stats()->recv_calls;
  }

  if (writable) {
    if (!pending_connect) {
      uint8_t* p = nullptr;
      int n = 0;
      nte_sbuf_get_buffer(&c->ewbuf, &p, &n);
      if (n > NTE_IO_CHUNK) n = NTE_IO_CHUNK;
      if (n > 0) {
        ++c->send_calls;
        ++stats()->send_calls;
        int r = nte_socket_send(c->sock, p, n);
        if (r != NTE_IO_AGAIN) {
          if (r < 1) {
            ++stats()->send_errors;
            nte_verbose("conn.c: os error is '%s' writelen is %d\n", nte_os_error_text(text, sizeof text), n);
            nte_verbose("Note:10322 conn_t detected write error on fd %d (%s) addr:%s\n", static_cast<int>(c->sock),
                        text, peer_text(c, text, sizeof text));
            conn_free(c, watch, NTE_CLOSE_EOF_OR_IO_ERROR);
            return;
          }
          nte_sbuf_shift(&c->ewbuf, nullptr, r);
          c->send_bytes += static_cast<uint32_t>(r);
          ctx->send_bytes += static_cast<uint32_t>(r);
          stats()->send_bytes += static_cast<uint32_t>(r);
        }
      }
    } else {
      // First writability of a pending connect: it completed.
      c->connected = 1;
      const nte_transport* t = nte_get_transport();
      if (!t->local_address || t->local_address(c->sock, &c->local) != 0) {
        nte_verbose("Warning: getsockname() fail: %d\n", static_cast<int>(c->sock));
        std::memset(&c->local, 0, sizeof c->local);
      }
    }
  }

  const int rpp = c->records_per_pass > 0 ? c->records_per_pass : 1;
  if (nte_sbuf_get_use(&c->erbuf) > 0) {
    if (keyed(c)) {
      // Up to rpp + 1 records.  A record may carry no plain bytes and return
      // 0: the loop ends only when a call consumed nothing.
      for (int i = 0; i <= rpp; ++i) {
        const uint32_t before = c->erbuf.end - c->erbuf.start;
        if (before == 0) break;
        int r = c->decoder ? c->decoder(c) : -1;
        if (r < 0) {
          nte_verbose("Note:10324 conn_t detected decoding error on fd %d error code: %d\n", static_cast<int>(c->sock),
                      r);
          conn_free(c, 1, NTE_CLOSE_DECODER_FAILED);
          return;
        }
        if (c->erbuf.end - c->erbuf.start == before) break;
      }
    } else {
      const int r = c->server_side ? nte_keyex_server(c) : nte_keyex_client(c);
      if (r < 0) {
        // An unfinished exchange is no connection yet: no close report.
        nte_verbose("Note:10323 conn_t detected encryption negotiation error on fd %d error code:%d\n",
                    static_cast<int>(c->sock), r);
        conn_free(c, 0, 0);
        return;
      }
    }
  }

  int plain_out = nte_sbuf_get_use(&c->wbuf);
  if (plain_out > 0 && nte_sbuf_get_rest(&c->ewbuf) - 8 >= plain_out) {
    int r = c->encoder ? c->encoder(c) : -1;
    if (r < 0) {
      nte_verbose("Note:10325 conn_t detected encoding error on fd %d error code: %d\n", static_cast<int>(c->sock), r);
      conn_free(c, 1, NTE_CLOSE_ENCODER_FAILED);
      return;
    }
  }

  if (nte_sbuf_get_use(&c->rbuf) > 0) {
    if (!c->parser) {
      nte_verbose("Warning:4300 nte_conn_io: conn does not have parser function. use nte_tcpcontext_set_conn_parser\n");
      return;
    }
    const uint32_t serial = c->serial;
    for (int i = 0; i < rpp; ++i) {
      int before = nte_sbuf_get_use(&c->rbuf);
      if (before == 0) break;
      int r = c->parser(c, serial);
      if (r < 0) {
        nte_verbose("Note:10326 conn_t detected protocol error on fd %d error code: %d\n", static_cast<int>(c->sock),
                    r);
        conn_free(c, 1, NTE_CLOSE_PROTOCOL_ERROR);
        return;
      }
      // Stop when nothing was consumed (no complete record), when the
      // callback closed the connection, or when its context or the engine
      // is to end after this pass.
      if (nte_sbuf_get_use(&c->rbuf) == before || c->closing || ctx->cleanup_pending ||
          nte_internal_finalize_pending()) {
        break;
      }
    }
  }
}

}  // namespace nte_internal

void nte_conn_io(conn_t* conn, int readable, int writable) {
  if (!conn || !nte_conn_is_valid(conn, conn->serial)) return;
  nte_internal::conn_io(conn, readable, writable, 0);
}

void nte_tcp_heartbeat() {
  using namespace nte_internal;
  const int cpool = conn_pool();
  const int xpool = context_pool();
  if (!g_entries) return;
  const int total = g_conn_slots + g_ctx_slots;
  for (int i = 0; i < total; ++i) {
    g_entries[i].want = 0;
    g_entries[i].ready = 0;
    g_stamps[i] = 0;
  }
  const int capacity = nte_get_select_capacity();
  int reads = 0, writes = 0;
  auto want = [&](int slot, nte_sock_t s, uint8_t bits) {
    // A full set takes no more sockets; they are watched in a later pass.
    if ((bits & NTE_POLL_READ) && reads >= capacity) bits &= static_cast<uint8_t>(~NTE_POLL_READ);
    if ((bits & (NTE_POLL_WRITE | NTE_POLL_EXCEPT)) && writes >= capacity) {
      bits &= static_cast<uint8_t>(~(NTE_POLL_WRITE | NTE_POLL_EXCEPT));
    }
    nte_poll_entry& e = g_entries[slot];
    if ((bits & NTE_POLL_READ) && !(e.want & NTE_POLL_READ)) ++reads;
    if ((bits & NTE_POLL_WRITE) && !(e.want & NTE_POLL_WRITE)) ++writes;
    e.sock = s;
    e.want |= bits;
  };

  // Step 1: listening sockets.
  if (xpool >= 0 && listening_contexts() > 0) {
    for (void* p = nte_array_first_used(xpool); p; p = nte_array_next_used(xpool, p)) {
      tcpcontext* ctx = static_cast<tcpcontext*>(p);
      if (ctx->listening && !ctx->cleanup_pending && ctx->listen_sock != NTE_INVALID_SOCKET) {
        want(g_conn_slots + ctx->index, ctx->listen_sock, NTE_POLL_READ);
      }
    }
  }

  // Step 2: release what finished closing; ask for what each connection needs.
  if (cpool >= 0) {
    const uint32_t now = nte_time_seconds();
    void* p = nte_array_first_used(cpool);
    while (p) {
      void* next = nte_array_next_used(cpool, p);
      conn_t* c = static_cast<conn_t*>(p);
      p = next;
      if (c->ctx->cleanup_pending) continue;
      const int watch = keyed(c) ? 1 : 0;
      if (c->closing) {
        if (nte_sbuf_get_use(&c->wbuf) == 0 && nte_sbuf_get_use(&c->ewbuf) == 0) {
          nte_verbose("tcp.c: conn_free(c,%d) and continue 1.\n", watch);
          conn_free(c, watch, NTE_CLOSE_ORDERLY);
          continue;
        }
        if (idle_passed(c, now)) {
          nte_verbose("tcp.c: absolute close_timeout for ser:%d! calling closewatcher 2.\n",
                      static_cast<int>(c->serial));
          nte_verbose("tcp.c: conn_free(c,1) and continue 2.\n");
          conn_free(c, watch, NTE_CLOSE_TIMEOUT_PENDING);
          continue;
        }
        if (nte_sbuf_get_use(&c->ewbuf) > 0) {
          nte_verbose("tcp.c: check if I can write/read some data to client while closed_flag is true.. ser:%d.\n",
                      static_cast<int>(c->serial));
          want(c->index, c->sock, NTE_POLL_READ | NTE_POLL_WRITE);
        }
      } else {
        uint8_t bits = 0;
        const bool pending_connect = c->ctx->wait_for_connect && !c->connected;
        if (nte_sbuf_get_use(&c->ewbuf) > 0 || pending_connect) bits |= NTE_POLL_WRITE;
        // A failed non-blocking connect shows in the exception set only.
        if (pending_connect) bits |= NTE_POLL_EXCEPT;
        if (nte_sbuf_get_rest(&c->erbuf) > 0) bits |= NTE_POLL_READ;
        if (bits) want(c->index, c->sock, bits);
      }
      g_stamps[c->index] = c->serial;
    }
  }

  // Step 3: one select with a zero time-out.
  bool any_ready = false;
  if (reads > 0 || writes > 0) {
    nte_pollset set = {g_entries, total};
    ++stats()->select_calls;
    any_ready = nte_select(&set) > 0;
  }

  // Step 4: one I/O step per connection, or its idle time-out.
  if (cpool >= 0) {
    const uint32_t now = nte_time_seconds();
    void* p = nte_array_first_used(cpool);
    while (p && !nte_internal_finalize_pending()) {
      void* next = nte_array_next_used(cpool, p);
      conn_t* c = static_cast<conn_t*>(p);
      p = next;
      if (c->ctx->cleanup_pending || g_stamps[c->index] != c->serial) continue;
      if (!idle_passed(c, now)) {
        const nte_poll_entry& e = g_entries[c->index];
        const uint8_t ready = any_ready ? e.ready : 0;
        conn_io(c, (ready & NTE_POLL_READ) != 0, (ready & NTE_POLL_WRITE) != 0, (ready & NTE_POLL_EXCEPT) != 0);
      } else {
        nte_verbose("Warning:4105 connection timeout. fd:%d sec:%d\n", static_cast<int>(c->sock), c->idle_timeout);
        if (c->ctx->wait_for_connect && !c->connected) {
          // A connect that neither completed nor failed within the time-out
          // never became a connection: it fails as a connect, as one that the
          // exception set reports does, and is never an orderly close.
          fail_pending_connect(c);
        } else if (!c->closing) {
          nte_conn_close(c, c->serial);
        }
      }
    }
  }

  // Step 5: accepts.
  if (any_ready && xpool >= 0 && listening_contexts() > 0 && !nte_internal_finalize_pending()) {
    for (void* p = nte_array_first_used(xpool); p; p = nte_array_next_used(xpool, p)) {
      tcpcontext* ctx = static_cast<tcpcontext*>(p);
      if (!ctx->listening || ctx->cleanup_pending) continue;
      if (g_entries[g_conn_slots + ctx->index].ready & NTE_POLL_READ) try_accept(ctx);
    }
  }

  // Step 6: the idle scan of the connections that carry circuits.
  if (!nte_internal_finalize_pending()) circuits_scan_all();
}
