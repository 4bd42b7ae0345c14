// Virtual circuits ("vec"): sub-channels of a connection named by a 32-bit
// id and a 16-bit number, kept in the connection's hash table and scanned
// round-robin for idle time-outs by the TCP pass.  Closing a circuit tells
// the connection's circuit-closed callback, sends the 14-byte close notice
//   07 75 00 02 <id u32> <number u16> 00 02 00 00     (big-endian)
// to the peer and releases the circuit.  The program itself opens none.
//
// Circuits are named by {nte_circ*, serial}; every entry point checks the
// pair, so a circuit is released once whoever closes it first.
#pragma once

#include <cstdint>

#include "net/nte/nte_buffer.h"
#include "net/nte/nte_tcp.h"

struct nte_circ;
typedef void (*nte_circ_closed_fn)(nte_circ* circ, uint32_t serial, int reason);
typedef void (*nte_circ_finalizer_fn)(nte_circ* circ, uint32_t serial);

struct nte_circ_handle {
  nte_circ* circ;
  uint32_t serial;
};

// Close reasons of the circuit-closed callback.
constexpr int NTE_CIRC_CLOSE_BY_CALL = 1;
constexpr int NTE_CIRC_CLOSE_TIMEOUT = 3;
// The notice's fixed words.
constexpr uint16_t VEC_MAGIC = 1909;
constexpr uint16_t VEC_KIND_CLOSED = 2;
constexpr int VEC_HEADER_SIZE = 14;

struct nte_circ {
  uint32_t id;
  uint16_t number;
  nte_sbuf buf;            // the circuit's byte buffer (no storage without a buffer pool)
  void* state;             // from the connection's state-buffer pool, or null
  uint32_t last_activity;  // seconds clock
  int32_t timeout;         // idle seconds before the scan closes it
  conn_t* conn;
  uint32_t conn_serial;
  uint32_t serial;    // 0 while not in use
  int32_t slot;       // place in the connection's round-robin array
  int32_t closing;    // inside nte_circ_close_internal
  int32_t releasing;  // inside nte_circ_close
};

// A connection's circuit set (part of conn_t).
struct nte_conn_circuits {
  nte_circ** ring;  // round-robin array, null while the set is not made
  int32_t ring_size;
  int32_t ring_index;
  int32_t live;  // circuits open
  int32_t hash;  // hash-table index
  int32_t circ_pool;
  int32_t state_pool;   // -1 = none
  int32_t buffer_pool;  // -1 = none
  int32_t state_size;
  nte_circ_closed_fn closed;
};

// Context callbacks: closed is copied into each new connection, the
// finalizer is called for every circuit released.
void nte_tcpcontext_set_circuit_callbacks(tcpcontext* ctx, nte_circ_closed_fn closed, nte_circ_finalizer_fn finalizer);
// Makes a connection's circuit set: up to max_circuits circuits in a hash
// table of buckets chains, each with a state buffer of state_size bytes and
// a byte buffer of buffer_size bytes (0: none).  0, or -6 (invalid handle,
// bad sizes, a set made already) or the hash table's or a pool's code.
int nte_conn_circuits_init(conn_t* conn, uint32_t serial, int max_circuits, int buckets, int state_size,
                           int buffer_size);
// Opens a circuit with an idle time-out in seconds.  {null, 0} with -6 (no
// circuit set), -3 (id and number in use) or -2 (no room).
nte_circ_handle nte_circ_open(conn_t* conn, uint32_t serial, uint32_t id, uint16_t number, int timeout_seconds);
// The open circuit of id and number, or {null, 0}.
nte_circ_handle nte_circ_find(conn_t* conn, uint32_t serial, uint32_t id, uint16_t number);
// Refreshes the circuit's last activity: 0 or -6.
int nte_circ_touch(nte_circ* circ, uint32_t serial);
// The circuit's state buffer (and its size), or null.
void* nte_circ_get_state_buffer(nte_circ* circ, uint32_t serial, int* size);
// Open circuits of a connection, or -6.
int nte_conn_circuit_count(conn_t* conn, uint32_t serial);

// Closes a circuit: the circuit-closed callback (notify), the close notice
// (send), then nte_circ_close.  0, -6 for an invalid pair, -62 while that
// circuit is closing already.
int nte_circ_close_internal(nte_circ* circ, uint32_t serial, int notify, int send, int reason);
// Releases a circuit: the context's circuit finalizer, hash removal, state
// and byte buffers, the circuit element.  0 or -6.
int nte_circ_close(nte_circ* circ, uint32_t serial);
// Writes the 14-byte header: 1909, 2, *circ_id, number, kind, last (the
// third argument is not used).  Returns 14.
int vec_make_header(uint8_t* header, const uint32_t* circ_id, int unused, uint16_t number, uint16_t kind,
                    uint16_t last);
// Writes bytes to the connection, logging the send (and a failure) to the
// error channel: nte_conn_write's result.
int vec_send_debug(conn_t* conn, uint32_t serial, const uint8_t* bytes, int length, const char* label);
// The context of the circuit's connection, or null.
tcpcontext* vec_circ_get_tcpcontext(nte_circ* circ, uint32_t serial);
// One step of the connection's idle scan: the next circuit of the
// round-robin array is closed (reason 3, with notice) when idle for longer
// than its time-out.
void vec_circ_timeout_scan(conn_t* conn);
