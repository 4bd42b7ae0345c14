// Connections: handles, writes, close, release.
#include <cstdio>
#include <cstring>

#include "net/nte/nte_pool.h"
#include "net/nte/nte_records.h"
#include "net/nte/nte_wipe.h"

namespace {

uint32_t g_serial_counter = 0;

uint32_t next_serial() {
  // Serials skip 0 so that a cleared handle never matches a connection.
  if (++g_serial_counter == 0) ++g_serial_counter;
  return g_serial_counter;
}

bool is_pool_element(const conn_t* c) { return c && nte_array_owns_used(nte_internal::conn_pool(), c); }

// An element of the connection pool, in use or not.
bool is_pool_slot(const conn_t* c) {
  const int pool = nte_internal::conn_pool();
  if (!c || pool < 0) return false;
  const int i = nte_array_index(pool, c);
  return i >= 0 && i < nte_array_count(pool);
}

bool keyed(const conn_t* c) { return c->cipher_flags == 0 || c->keyex_state == NTE_KEYEX_DONE; }

}  // namespace

void nte_conn_clear(nte_conn_handle* handle) {
  if (handle) {
    handle->conn = nullptr;
    handle->serial = 0;
  }
}

int nte_conn_is_valid(conn_t* conn, uint32_t serial) {
  if (!conn || serial == 0) return 0;
  if (!is_pool_element(conn)) {
    nte_verbose("conn.c : bad pointer %p\n", static_cast<void*>(conn));
    return 0;
  }
  return conn->serial == serial ? 1 : 0;
}

int nte_conn_write(conn_t* conn, uint32_t serial, const void* data, int length) {
  if (!is_pool_slot(conn)) return nte_set_last_error(NTE_ERR_INVALID);
  // A released element keeps serial 0, so a kept handle meets a mismatch
  // whether or not the element was reused.
  if (conn->serial != serial || serial == 0) return nte_set_last_error(NTE_ERR_STALE);
  if (!keyed(conn)) return nte_set_last_error(NTE_ERR_NOT_KEYED);
  if (conn->ctx->wait_for_connect && !conn->connected) return nte_set_last_error(NTE_ERR_NOT_CONNECTED);
  if (conn->closing) return nte_set_last_error(NTE_ERR_WRITE_CLOSING);
  if (!data || length <= 0) {
    if (length < 0) return nte_set_last_error(NTE_ERR_INVALID);
    return nte_set_last_error(NTE_OK);
  }
  int r = nte_sbuf_push(&conn->wbuf, data, length);
  if (r < 0) return nte_set_last_error(NTE_ERR_NO_ROOM);
  ++conn->writes;
  ++conn->ctx->writes;
  ++nte_internal::stats()->conn_writes;
  nte_set_last_error(NTE_OK);
  return r;
}

int nte_conn_writable(conn_t* conn, uint32_t serial) {
  if (!nte_conn_is_valid(conn, serial)) return nte_set_last_error(NTE_ERR_INVALID);
  nte_set_last_error(NTE_OK);
  if (conn->ctx->wait_for_connect && !conn->connected) return 0;
  if (!keyed(conn) || conn->closing) return 0;
  return nte_sbuf_get_rest(&conn->wbuf);
}

int nte_conn_close(conn_t* conn, uint32_t serial) {
  if (!nte_conn_is_valid(conn, serial)) return nte_set_last_error(NTE_ERR_INVALID);
  if (conn->closing) {
    nte_verbose("nte_conn_close: already closed serial: %d\n", static_cast<int>(serial));
    return nte_set_last_error(NTE_ERR_CLOSING);
  }
  conn->closing = 1;
  ++nte_internal::stats()->conn_close;
  return nte_set_last_error(NTE_OK);
}

int nte_conn_set_timeout(conn_t* conn, uint32_t serial, int seconds) {
  if (!nte_conn_is_valid(conn, serial)) return nte_set_last_error(NTE_ERR_INVALID);
  conn->idle_timeout = seconds < 0 ? 0 : seconds;
  return nte_set_last_error(NTE_OK);
}

void* nte_conn_get_state_buffer(conn_t* conn, uint32_t serial, int* size) {
  if (size) *size = 0;
  if (!nte_conn_is_valid(conn, serial)) {
    nte_set_last_error(NTE_ERR_INVALID);
    return nullptr;
  }
  nte_set_last_error(NTE_OK);
  if (size) *size = conn->state ? conn->state_size : 0;
  return conn->state;
}

char* nte_conn_get_peer_text(conn_t* conn, uint32_t serial, char* out, int capacity) {
  if (!nte_conn_is_valid(conn, serial) || !out) {
    nte_set_last_error(NTE_ERR_INVALID);
    return nullptr;
  }
  char addr[64];
  if (conn->peer.length == 4) {
    if (capacity < 32) {
      nte_set_last_error(NTE_ERR_TRUNCATED);
      return nullptr;
    }
    nte_ipv4_to_text(conn->peer.bytes, 4, addr, sizeof addr);
  } else if (conn->peer.length == 16) {
    if (capacity < 50) {
      nte_set_last_error(NTE_ERR_TRUNCATED);
      return nullptr;
    }
    nte_ipv6_to_text(conn->peer.bytes, 16, addr, sizeof addr);
  } else {
    nte_set_last_error(NTE_ERR_INVALID);
    return nullptr;
  }
  std::snprintf(out, static_cast<size_t>(capacity), "%s:%d", addr, conn->peer.port);
  nte_set_last_error(NTE_OK);
  return out;
}

void nte_conn_close_tcpcontext_all(tcpcontext* ctx) {
  int pool = nte_internal::conn_pool();
  if (!ctx || pool < 0) return;
  int closed = 0;
  for (void* p = nte_array_first_used(pool); p; p = nte_array_next_used(pool, p)) {
    conn_t* c = static_cast<conn_t*>(p);
    if (c->ctx != ctx || c->closing) continue;
    nte_conn_close(c, c->serial);
    nte_verbose("nte_conn_close_tcpcontext_all: closed serial %d\n", static_cast<int>(c->serial));
    ++closed;
  }
  nte_verbose("nte_conn_close_tcpcontext_all: closed %d connections\n", closed);
}

int nte_conn_index(const conn_t* conn) {
  if (!is_pool_element(conn)) return nte_set_last_error(NTE_ERR_INVALID);
  return conn->index;
}

int nte_conn_is_connected(conn_t* conn, uint32_t serial) {
  if (!nte_conn_is_valid(conn, serial)) return nte_set_last_error(NTE_ERR_INVALID);
  nte_set_last_error(NTE_OK);
  return conn->connected ? 1 : 0;
}

int nte_conn_pending_output(conn_t* conn, uint32_t serial) {
  if (!nte_conn_is_valid(conn, serial)) return nte_set_last_error(NTE_ERR_INVALID);
  nte_set_last_error(NTE_OK);
  return nte_sbuf_get_use(&conn->wbuf) + nte_sbuf_get_use(&conn->ewbuf);
}

namespace nte_internal {

void conn_free(conn_t* c, int call_watcher, int reason) {
  if (!c || c->releasing || c->serial == 0) return;
  // Marked first: the watcher may write or close, and must meet a closing
  // connection rather than start a second release.
  c->releasing = 1;
  c->closing = 1;
  tcpcontext* ctx = c->ctx;
  uint32_t serial = c->serial;
  // Once its owner ended the context or the engine (from a callback of this
  // pass) the owner may be gone: the release is silent, as the end would be.
  if (ctx->cleanup_pending || nte_internal_finalize_pending()) call_watcher = 0;
  if (call_watcher && c->close_watcher) c->close_watcher(c, serial, reason);
  // The finalizer sees only connections that were fully set up (the socket
  // is attached last).
  if (ctx->finalizer && c->sock != NTE_INVALID_SOCKET) {
    nte_verbose("nte_conn_free: calling finalizer serial: %d\n", static_cast<int>(serial));
    ctx->finalizer(c, serial);
  }
  circuits_release(c);
  if (c->sock != NTE_INVALID_SOCKET) {
    nte_socket_shutdown(c->sock);
    nte_socket_close(c->sock);
    c->sock = NTE_INVALID_SOCKET;
  }
  nte_sbuf_free(&c->rbuf);
  nte_sbuf_free(&c->wbuf);
  nte_sbuf_free(&c->erbuf);
  nte_sbuf_free(&c->ewbuf);
  // Nothing of the keys outlives the connection.
  nte_wipe(c->send_key, sizeof c->send_key);
  nte_wipe(c->recv_key, sizeof c->recv_key);
  nte_wipe(&c->crypto, sizeof c->crypto);
  c->serial = 0;
  if (c->state && c->state_pool >= 0) {
    nte_free_array_object(c->state_pool, c->state);
    nte_verbose("Note:10347 freed state buffer for conn\n");
  }
  c->state = nullptr;
  if (ctx->connection_count > 0) --ctx->connection_count;
  nte_free_array_object(conn_pool(), c);
  ++stats()->conn_free;
}

nte_conn_handle conn_attach(tcpcontext* ctx, nte_sock_t sock, const nte_address* peer, const nte_address* local,
                            int connected, int server_side) {
  nte_conn_handle none = {nullptr, 0};
  int pool = conn_pool();
  if (pool < 0) {
    nte_set_last_error(NTE_ERR_NO_CONN_POOL);
    return none;
  }
  conn_t* c = static_cast<conn_t*>(nte_alloc_array_object(pool));
  if (!c) {
    nte_set_last_error(NTE_ERR_NO_ROOM);
    return none;
  }
  std::memset(c, 0, sizeof *c);
  c->sock = NTE_INVALID_SOCKET;
  c->state_pool = -1;
  c->rbuf.pool = c->wbuf.pool = c->erbuf.pool = c->ewbuf.pool = -1;
  c->ctx = ctx;
  circuits_reset(c, ctx->circ_closed);
  c->index = nte_array_index(pool, c);
  ++ctx->connection_count;
  ++stats()->conn_alloc;
  // A serial from here on, so that conn_free can undo a half-built record.
  c->serial = next_serial();

  if (ctx->state_pool >= 0) {
    c->state = nte_alloc_array_object(ctx->state_pool);
    if (!c->state) {
      nte_errout(server_side ? "Bug:7109 state buffer is full.(accept)\n" : "Bug:7112 connect: statebuf shortage\n");
      conn_free(c, 0, 0);
      nte_set_last_error(NTE_ERR_STARTUP_ALLOC);
      return none;
    }
    std::memset(c->state, 0, static_cast<size_t>(ctx->state_buffer_size));
    c->state_size = ctx->state_buffer_size;
    c->state_pool = ctx->state_pool;
    if (server_side) nte_verbose("Note:10342 allocated state buffer for conn.\n");
  }
  c->cipher_flags = ctx->cipher_flags;
  c->key_length = ctx->key_length;
  if (peer) c->peer = *peer;
  if (local) c->local = *local;
  c->decoder = ctx->decoder;
  c->encoder = ctx->encoder;
  c->parser = ctx->parser;
  c->record = ctx->record;
  c->close_watcher = ctx->close_watcher;
  c->accept_watcher = ctx->accept_watcher;
  c->hiwater_watcher = ctx->hiwater_watcher;
  nte_update_time();
  c->last_activity = nte_time_seconds();
  c->idle_timeout = ctx->idle_timeout;
  c->keyex_state = 0;
  c->records_per_pass = ctx->records_per_pass;
  c->server_side = server_side;
  c->connected = connected ? 1 : 0;

  if (nte_sbuf_init(&c->rbuf, ctx->rb_pool) < 0 || nte_sbuf_init(&c->erbuf, ctx->erb_pool) < 0 ||
      nte_sbuf_init(&c->wbuf, ctx->wb_pool) < 0 || nte_sbuf_init(&c->ewbuf, ctx->ewb_pool) < 0) {
    nte_verbose(server_side ? "accept: cannot allocate send/recv buf\n" : "connect: cannot allocate send/recv buf\n");
    conn_free(c, 0, 0);
    nte_set_last_error(NTE_ERR_STARTUP_ALLOC);
    return none;
  }
  // The socket is the last thing taken: a failure above leaves it with the caller.
  c->sock = sock;
  nte_set_last_error(NTE_OK);
  nte_conn_handle h = {c, c->serial};
  return h;
}

}  // namespace nte_internal
