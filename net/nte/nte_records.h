// The engine's records.  Internal to the engine (and its tests): users reach
// connections and contexts only through handles and nte_ functions.
#pragma once

#include <cstdint>

#include "net/nte/nte_buffer.h"
#include "net/nte/nte_circuit.h"
#include "net/nte/nte_core.h"
#include "net/nte/nte_crypto_state.h"
#include "net/nte/nte_tcp.h"
#include "net/nte/nte_transport.h"

constexpr int NTE_IPFILTER_MAX = 16;
constexpr int NTE_KEY_MAX = 64;

struct nte_ipfilter_entry {
  uint32_t flags;  // 0x1 accept, 0x2 log
  uint32_t unused;
  uint32_t address;  // network order, as 4 bytes read big-endian
  uint32_t mask;
};

struct conn_t {
  int32_t cipher_flags;  // non-zero: encrypted, keyed by the key exchange first
  nte_sock_t sock;
  int32_t closing;    // set by nte_conn_close
  int32_t connected;  // connect completed
  nte_address peer;
  nte_address local;
  int32_t key_length;
  uint8_t send_key[NTE_KEY_MAX];
  uint8_t recv_key[NTE_KEY_MAX];
  nte_conn_crypto crypto;  // cipher states and key-exchange texts
  uint32_t last_activity;  // seconds clock
  int32_t idle_timeout;    // seconds
  nte_sbuf rbuf;           // plain read buffer
  nte_sbuf wbuf;           // plain write buffer
  nte_sbuf erbuf;          // encrypted read buffer (what the socket gave)
  nte_sbuf ewbuf;          // encrypted write buffer (what goes to the socket)
  tcpcontext* ctx;
  int32_t index;        // own index in the connection pool
  int32_t server_side;  // 1 for accepted connections
  void* state;          // zeroed per-connection user block, or null
  int32_t state_size;
  int32_t state_pool;  // -1 = none
  nte_codec_fn decoder;
  nte_parser_fn parser;
  nte_codec_fn encoder;
  nte_acceptwatcher_fn accept_watcher;
  nte_hiwater_fn hiwater_watcher;
  nte_closewatcher_fn close_watcher;
  nte_record_fn record;
  int32_t keyex_state;  // NTE_KEYEX_DONE once keyed
  uint32_t serial;      // 0 while not in use
  uint64_t recv_bytes, send_bytes, recv_calls, send_calls, writes;
  int32_t records_per_pass;
  int32_t releasing;           // the close watcher is running: no further release
  nte_conn_circuits circuits;  // virtual circuits carried by this connection
};

struct tcpcontext {
  int32_t listening;
  int32_t idle_timeout;
  int32_t cipher_flags;
  int32_t key_length;
  int32_t max_connections;
  int32_t connection_count;
  int32_t read_buffer_size;
  int32_t write_buffer_size;
  int32_t state_buffer_size;
  int32_t state_pool;  // -1 = none
  int32_t state_count;
  int32_t rb_pool, erb_pool, wb_pool, ewb_pool;  // -1 = none
  int32_t accepting;
  nte_sock_t listen_sock;
  int32_t index;
  int32_t wait_for_connect;
  int32_t no_delay;
  nte_codec_fn decoder;
  nte_codec_fn encoder;
  nte_parser_fn parser;
  nte_record_fn record;
  nte_closewatcher_fn close_watcher;
  nte_acceptwatcher_fn accept_watcher;
  nte_hiwater_fn hiwater_watcher;
  nte_finalizer_fn finalizer;
  nte_circ_closed_fn circ_closed;        // copied into each new connection
  nte_circ_finalizer_fn circ_finalizer;  // called for every circuit released
  int32_t hiwater;
  int32_t ipfilter_count;
  nte_ipfilter_entry ipfilter[NTE_IPFILTER_MAX];
  uint16_t port_net;    // network order
  uint16_t local_port;  // bound port of a listening context, host order
  int32_t records_per_pass;
  int32_t cleanup_pending;  // cleanup asked for from inside a pass
  uint64_t recv_bytes, send_bytes, writes;
  uint64_t key_set;  // completed key exchanges
};

// Engine-internal entry points shared by the engine's modules.
namespace nte_internal {
// Pool indexes of "conn" and "tcpctx" (-1 when absent).
int conn_pool();
int context_pool();
// Creates / ends the "conn" and "tcpctx" pools (start and finalize).
int tcp_init(int max_connections, int max_contexts);
int tcp_end();
// Releases a connection: close watcher (when asked and set), finalizer,
// socket closed, buffers and state block returned, serial cleared.
void conn_free(conn_t* conn, int call_watcher, int reason);
// Sets up a connection record around a socket that is connecting
// (connected = 0) or connected; used by connect, accept and tests.
// {null, 0} with the last error set on failure (the socket is then NOT
// closed: the caller owns it).
nte_conn_handle conn_attach(tcpcontext* ctx, nte_sock_t sock, const nte_address* peer, const nte_address* local,
                            int connected, int server_side);
// A fault found by the pass (a connect that failed): left as the last error
// when the pass returns.
void note_pass_error(int code);
// Releases a connection whose connect failed or timed out before it
// completed: no close-watcher call, -17 left as the pass's last error.
void fail_pending_connect(conn_t* c);
// Inside nte_heartbeat: cleanup and finalize are deferred.
int in_pass();
// Runs the deferred context cleanups (nothing when none was deferred).
void run_deferred_cleanups();
// Listening contexts alive (the pass skips its accept steps without one).
int listening_contexts();
// The pass's poll table: one entry per connection and per context,
// allocated once at start.
int poll_init(int max_connections, int max_contexts);
void poll_end();
// One accept on a listening context whose socket is readable.
void try_accept(tcpcontext* ctx);
// The I/O step with the exception flag of a pending connect.
void conn_io(conn_t* conn, int readable, int writable, int failed);
// A new connection's empty circuit set with the context's callback.
void circuits_reset(conn_t* c, nte_circ_closed_fn closed);
// Closes the connection's circuits (finalizer, hash removal, buffers, no
// notice) and ends its circuit set.
void circuits_release(conn_t* c);
// One idle-scan step for every connection that carries circuits (the TCP
// pass's last step; nothing while no circuit is open).
void circuits_scan_all();
// Stores a statistics increment.
nte_stats* stats();
}  // namespace nte_internal

// 1 while an nte_finalize() called from a callback waits for the pass to end.
int nte_internal_finalize_pending();
