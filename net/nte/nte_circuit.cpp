// Virtual circuits: a connection's circuit set, open, find, close, the
// close notice and the idle scan.
#include "net/nte/nte_circuit.h"

#include <cstdio>
#include <cstring>

#include "framework/byte_order.h"
#include "net/nte/nte_hash.h"
#include "net/nte/nte_pool.h"
#include "net/nte/nte_records.h"

namespace {

uint32_t g_circ_serial = 0;
int g_live_circuits = 0;  // engine-wide: the pass scans nothing while 0

uint32_t next_serial() {
  if (++g_circ_serial == 0) ++g_circ_serial;
  return g_circ_serial;
}

// The connection whose circuit pool holds circ in use with this serial, or
// null.  The connections are searched first, so that a pointer that is no
// circuit (or one of a released connection) is never read.
conn_t* owner(const nte_circ* circ, uint32_t serial) {
  const int pool = nte_internal::conn_pool();
  if (!circ || serial == 0 || pool < 0 || g_live_circuits == 0) return nullptr;
  for (void* p = nte_array_first_used(pool); p; p = nte_array_next_used(pool, p)) {
    conn_t* c = static_cast<conn_t*>(p);
    if (c->circuits.ring && c->circuits.live > 0 && nte_array_owns_used(c->circuits.circ_pool, circ)) {
      return circ->serial == serial ? c : nullptr;
    }
  }
  return nullptr;
}

void end_set(nte_conn_circuits* s) {
  if (s->hash >= 0) nte_hash_table_destroy(s->hash);
  if (s->circ_pool >= 0) nte_end_array(s->circ_pool);
  if (s->state_pool >= 0) nte_end_array(s->state_pool);
  if (s->buffer_pool >= 0) nte_end_array(s->buffer_pool);
  if (s->ring) nte_free(s->ring);
  const nte_circ_closed_fn closed = s->closed;
  std::memset(s, 0, sizeof *s);
  s->hash = s->circ_pool = s->state_pool = s->buffer_pool = -1;
  s->closed = closed;
}

int make_pool(const char* prefix, int size, int n) {
  char name[32];
  std::snprintf(name, sizeof name, "%s%u", prefix, g_circ_serial);
  return init_array(size, n, name);
}

}  // namespace

namespace nte_internal {

void circuits_reset(conn_t* c, nte_circ_closed_fn closed) {
  std::memset(&c->circuits, 0, sizeof c->circuits);
  c->circuits.hash = c->circuits.circ_pool = c->circuits.state_pool = c->circuits.buffer_pool = -1;
  c->circuits.closed = closed;
}

void circuits_release(conn_t* c) {
  nte_conn_circuits& s = c->circuits;
  if (!s.ring) return;
  // Nothing of a circuit outlives its connection: each goes through the
  // finalizer, the hash removal and the buffers, without a notice.
  for (int i = 0; i < s.ring_size && s.live > 0; ++i) {
    if (nte_circ* circ = s.ring[i]) nte_circ_close(circ, circ->serial);
  }
  end_set(&s);
}

void circuits_scan_all() {
  const int pool = conn_pool();
  if (g_live_circuits == 0 || pool < 0) return;
  void* p = nte_array_first_used(pool);
  while (p && g_live_circuits > 0) {
    void* next = nte_array_next_used(pool, p);
    conn_t* c = static_cast<conn_t*>(p);
    if (!c->ctx->cleanup_pending && c->circuits.live > 0) vec_circ_timeout_scan(c);
    p = next;
  }
}

}  // namespace nte_internal

void nte_tcpcontext_set_circuit_callbacks(tcpcontext* ctx, nte_circ_closed_fn closed, nte_circ_finalizer_fn finalizer) {
  const int pool = nte_internal::context_pool();
  if (!ctx || pool < 0 || !nte_array_owns_used(pool, ctx)) return;
  ctx->circ_closed = closed;
  ctx->circ_finalizer = finalizer;
}

int nte_conn_circuits_init(conn_t* conn, uint32_t serial, int max_circuits, int buckets, int state_size,
                           int buffer_size) {
  if (!nte_conn_is_valid(conn, serial) || conn->circuits.ring || max_circuits < 1 || buckets < 1 || state_size < 0 ||
      buffer_size < 0) {
    return nte_set_last_error(NTE_ERR_INVALID);
  }
  nte_conn_circuits& s = conn->circuits;
  s.hash = nte_hash_table_create(buckets, max_circuits);
  if (s.hash < 0) {
    const int code = s.hash;
    end_set(&s);
    return nte_set_last_error(code);
  }
  ++g_circ_serial;  // names the pools of this set
  s.circ_pool = make_pool("circ", static_cast<int>(sizeof(nte_circ)), max_circuits);
  if (s.circ_pool >= 0 && state_size > 0) s.state_pool = make_pool("circst", state_size, max_circuits);
  if (s.circ_pool >= 0 && buffer_size > 0) s.buffer_pool = make_pool("circb", buffer_size, max_circuits);
  const size_t ring_bytes = sizeof(nte_circ*) * static_cast<size_t>(max_circuits);
  s.ring = static_cast<nte_circ**>(nte_malloc(ring_bytes));
  if (s.circ_pool < 0 || (state_size > 0 && s.state_pool < 0) || (buffer_size > 0 && s.buffer_pool < 0) || !s.ring) {
    end_set(&s);
    return nte_set_last_error(NTE_ERR_NO_ROOM);
  }
  std::memset(s.ring, 0, ring_bytes);
  s.ring_size = max_circuits;
  // The first scan step looks at slot 0.
  s.ring_index = max_circuits - 1;
  s.state_size = state_size;
  return nte_set_last_error(NTE_OK);
}

nte_circ_handle nte_circ_open(conn_t* conn, uint32_t serial, uint32_t id, uint16_t number, int timeout_seconds) {
  nte_circ_handle none = {nullptr, 0};
  if (!nte_conn_is_valid(conn, serial) || !conn->circuits.ring || timeout_seconds < 0) {
    nte_set_last_error(NTE_ERR_INVALID);
    return none;
  }
  nte_conn_circuits& s = conn->circuits;
  int slot = -1;
  for (int i = 0; i < s.ring_size; ++i) {
    if (!s.ring[i]) {
      slot = i;
      break;
    }
  }
  if (slot < 0) {
    nte_set_last_error(NTE_ERR_NO_ROOM);
    return none;
  }
  nte_circ* c = static_cast<nte_circ*>(nte_alloc_array_object(s.circ_pool));
  if (!c) {
    nte_set_last_error(NTE_ERR_NO_ROOM);
    return none;
  }
  std::memset(c, 0, sizeof *c);
  c->buf.pool = -1;
  const int r = nte_hash_insert(s.hash, static_cast<int32_t>(id), number, c);
  if (r < 0) {
    nte_free_array_object(s.circ_pool, c);
    nte_set_last_error(r);
    return none;
  }
  if (s.state_pool >= 0) {
    c->state = nte_alloc_array_object(s.state_pool);
    if (c->state) std::memset(c->state, 0, static_cast<size_t>(s.state_size));
  }
  if (s.buffer_pool >= 0) nte_sbuf_init(&c->buf, s.buffer_pool);
  c->id = id;
  c->number = number;
  c->last_activity = nte_time_seconds();
  c->timeout = timeout_seconds;
  c->conn = conn;
  c->conn_serial = serial;
  c->serial = next_serial();
  c->slot = slot;
  s.ring[slot] = c;
  ++s.live;
  ++g_live_circuits;
  nte_set_last_error(NTE_OK);
  nte_circ_handle h = {c, c->serial};
  return h;
}

nte_circ_handle nte_circ_find(conn_t* conn, uint32_t serial, uint32_t id, uint16_t number) {
  nte_circ_handle none = {nullptr, 0};
  if (!nte_conn_is_valid(conn, serial) || !conn->circuits.ring) return none;
  nte_circ* c = static_cast<nte_circ*>(nte_hash_lookup(conn->circuits.hash, static_cast<int32_t>(id), number));
  if (!c || c->releasing) return none;
  nte_circ_handle h = {c, c->serial};
  return h;
}

int nte_circ_touch(nte_circ* circ, uint32_t serial) {
  if (!owner(circ, serial)) return nte_set_last_error(NTE_ERR_INVALID);
  circ->last_activity = nte_time_seconds();
  return nte_set_last_error(NTE_OK);
}

void* nte_circ_get_state_buffer(nte_circ* circ, uint32_t serial, int* size) {
  if (size) *size = 0;
  conn_t* c = owner(circ, serial);
  if (!c) return nullptr;
  if (size && circ->state) *size = c->circuits.state_size;
  return circ->state;
}

int nte_conn_circuit_count(conn_t* conn, uint32_t serial) {
  if (!nte_conn_is_valid(conn, serial)) return nte_set_last_error(NTE_ERR_INVALID);
  return conn->circuits.live;
}

int vec_make_header(uint8_t* header, const uint32_t* circ_id, int, uint16_t number, uint16_t kind, uint16_t last) {
  PutBe16(header, VEC_MAGIC);
  PutBe16(header + 2, 2);
  PutBe32(header + 4, circ_id ? *circ_id : 0);
  PutBe16(header + 8, number);
  PutBe16(header + 10, kind);
  PutBe16(header + 12, last);
  return VEC_HEADER_SIZE;
}

int vec_send_debug(conn_t* conn, uint32_t serial, const uint8_t* bytes, int length, const char* label) {
  nte_errout("VEC_DEBUG: SEND: %s len:%d\n", label, length);
  const int r = nte_conn_write(conn, serial, bytes, length);
  if (r < 0) nte_errout("VEC_DEBUG: cannot send %s to len:%d\n", label, length);
  return r;
}

tcpcontext* vec_circ_get_tcpcontext(nte_circ* circ, uint32_t serial) {
  conn_t* c = owner(circ, serial);
  return c ? c->ctx : nullptr;
}

int nte_circ_close_internal(nte_circ* circ, uint32_t serial, int notify, int send, int reason) {
  conn_t* c = owner(circ, serial);
  if (!c || circ->releasing) return nte_set_last_error(NTE_ERR_INVALID);
  if (circ->closing) return nte_set_last_error(NTE_ERR_CLOSING);
  circ->closing = 1;
  // The notice is built while the circuit is certainly there: the callback
  // below may release it, and its element may then be reused.
  uint8_t header[VEC_HEADER_SIZE];
  vec_make_header(header, &circ->id, 0, circ->number, VEC_KIND_CLOSED, 0);
  const uint32_t conn_serial = c->serial;
  if (notify && c->circuits.closed) c->circuits.closed(circ, serial, reason);
  // The peer hears of the close even when the callback released the
  // circuit itself; only a connection the callback released has no one to
  // tell.  A refused notice (a closing connection, a full buffer) is logged
  // and the close goes on.
  if (send && nte_conn_is_valid(c, conn_serial)) {
    vec_send_debug(c, conn_serial, header, VEC_HEADER_SIZE, "CLOSED(circ_close)");
  }
  // Released by the callback already, or released here.
  if (owner(circ, serial)) nte_circ_close(circ, serial);
  nte_errout("VEC_DEBUG: nte_circ_close_internal: ok\n");
  return nte_set_last_error(NTE_OK);
}

int nte_circ_close(nte_circ* circ, uint32_t serial) {
  conn_t* c = owner(circ, serial);
  // Inside its own release (a finalizer closing it again) it is gone already.
  if (!c || circ->releasing) return nte_set_last_error(NTE_ERR_INVALID);
  circ->releasing = 1;
  nte_conn_circuits& s = c->circuits;
  if (c->ctx->circ_finalizer) {
    nte_verbose("nte_circ_close: calling finalizer serial: %d\n", static_cast<int>(serial));
    c->ctx->circ_finalizer(circ, serial);
  }
  if (nte_hash_remove(s.hash, static_cast<int32_t>(circ->id), circ->number) < 0) {
    nte_verbose("Bug:7106 vecsv: nte_circ_close fail\n");
  }
  if (s.state_pool >= 0 && circ->state) {
    nte_free_array_object(s.state_pool, circ->state);
    nte_verbose("Note:10349: vec: freed state buffer for a circ\n");
  }
  circ->state = nullptr;
  nte_sbuf_free(&circ->buf);
  // The round-robin array forgets it, so no later scan meets it again.
  if (circ->slot >= 0 && circ->slot < s.ring_size && s.ring[circ->slot] == circ) s.ring[circ->slot] = nullptr;
  circ->serial = 0;
  nte_free_array_object(s.circ_pool, circ);
  --s.live;
  --g_live_circuits;
  return nte_set_last_error(NTE_OK);
}

void vec_circ_timeout_scan(conn_t* conn) {
  if (!conn || !conn->circuits.ring || conn->circuits.live == 0) return;
  nte_conn_circuits& s = conn->circuits;
  s.ring_index = (s.ring_index + 1) % s.ring_size;
  nte_circ* circ = s.ring[s.ring_index];
  if (!circ) return;
  // Idle for longer than the time-out, in wrap-safe unsigned arithmetic;
  // exactly the time-out is not yet too long.
  const uint32_t idle = nte_time_seconds() - circ->last_activity;
  if (idle < 0x80000000u && idle > static_cast<uint32_t>(circ->timeout)) {
    nte_circ_close_internal(circ, circ->serial, 1, 1, NTE_CIRC_CLOSE_TIMEOUT);
  }
}
