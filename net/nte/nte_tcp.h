// TCP contexts and connections.
//
// A tcpcontext is a client or listening endpoint with its limits, buffer
// pools and callbacks; a connection (conn_t) is one socket with four byte
// buffers.  Everything is non-blocking and driven by nte_heartbeat(): each
// pass polls the sockets with a zero time-out and runs one I/O step per
// connection.
//
// Handles.  A connection is named by {conn_t*, serial}.  The pair is valid
// while the pointer is an element of the connection pool in use and its
// serial matches; a released (and maybe reused) connection fails the test.
//
// Callback contract.
// - Callbacks run inside nte_heartbeat(), on the engine's thread.
// - A call that returns an error never also fires a callback.
// - A connection is released only outside its own callbacks: nte_conn_close()
//   from a callback only flags it; the record data pointer is valid for the
//   length of the record callback.  nte_tcpcontext_cleanup() and
//   nte_finalize() called from a callback are deferred to the end of the pass.
// - The close watcher is called once per connection, just before its release,
//   with one of the NTE_CLOSE_* reasons; the handle is still valid during the
//   call (writes fail with -64).  A connection released during its set-up
//   gets no close-watcher call: so does a connect that fails, or that neither
//   completes nor fails within the idle time-out; the handle goes invalid
//   and the pass leaves -17 as the last error.
#pragma once

#include <cstdint>

#include "net/nte/nte_error.h"

struct conn_t;
struct tcpcontext;

struct nte_conn_handle {
  conn_t* conn;
  uint32_t serial;
};

// Zeroes a handle.
void nte_conn_clear(nte_conn_handle* handle);

// Close reasons passed to a close watcher.
enum nte_close_reason : int {
  NTE_CLOSE_EOF_OR_IO_ERROR = 1,  // end of stream, receive error or send error
  NTE_CLOSE_ORDERLY = 2,          // closed by us (or idle time-out) and all output sent
  NTE_CLOSE_TIMEOUT_PENDING = 3,  // closed with output pending and the time-out passed
  NTE_CLOSE_DECODER_FAILED = 4,
  NTE_CLOSE_ENCODER_FAILED = 5,
  NTE_CLOSE_PROTOCOL_ERROR = 6,  // parser or record callback returned a negative value
};

// Callbacks.  Return values of the int callbacks: negative = fault.
typedef int (*nte_closewatcher_fn)(conn_t* conn, uint32_t serial, int reason);
// data points into the connection's read buffer, valid only during the call.
typedef int (*nte_record_fn)(conn_t* conn, uint32_t serial, const uint8_t* data, int length);
typedef int (*nte_parser_fn)(conn_t* conn, uint32_t serial);
typedef int (*nte_acceptwatcher_fn)(conn_t* conn, uint32_t serial);
typedef int (*nte_hiwater_fn)(conn_t* conn, uint32_t serial, int count);
typedef void (*nte_finalizer_fn)(conn_t* conn, uint32_t serial);
// Decoder: encrypted read buffer -> plain read buffer; encoder: plain write
// buffer -> encrypted write buffer.  Negative = fault.
typedef int (*nte_codec_fn)(conn_t* conn);

// Cipher flags of a context.
constexpr int NTE_CIPHER_BLOWFISH = 0x1;
constexpr int NTE_CIPHER_RIJNDAEL = 0x2;
constexpr int NTE_CIPHER_TWOFISH = 0x4;
constexpr int NTE_BLOCK_CIPHER_ONLY_RECV = 0x2000;
constexpr int NTE_BLOCK_CIPHER_ONLY_SEND = 0x4000;

// Key-exchange state of a connection once keyed.
constexpr int NTE_KEYEX_DONE = 999;
// Most bytes one I/O step receives or sends.
constexpr int NTE_IO_CHUNK = 8192;
// High-water level of a new context.
constexpr int NTE_HIWATER_DEFAULT = 999999999;

// Contexts.
// Creates a context: the new context, or null with the last error set.
// port is in host order (0 for client contexts); address may be null.
tcpcontext* nte_tcpcontext_create(int listening, const char* address, int port, int max_connections,
                                  int read_buffer_size, int write_buffer_size, int idle_timeout_seconds,
                                  int cipher_flags, int key_length, int wait_for_connect, int no_delay,
                                  int state_buffer_size);
void nte_tcpcontext_set_conn_parser(tcpcontext* ctx, nte_parser_fn parser, nte_record_fn record);
void nte_tcpcontext_set_conn_closewatcher(tcpcontext* ctx, nte_closewatcher_fn watcher);
void nte_tcpcontext_set_records_per_pass(tcpcontext* ctx, int n);
void nte_tcpcontext_set_acceptwatcher(tcpcontext* ctx, nte_acceptwatcher_fn watcher);
void nte_tcpcontext_set_hiwater(tcpcontext* ctx, int level, nte_hiwater_fn watcher);
void nte_tcpcontext_set_finalizer(tcpcontext* ctx, nte_finalizer_fn finalizer);
// Releases the context: its connections are released at once (sockets
// closed, no close-watcher calls; their handles become invalid), the
// listening socket is closed, the pools ended.  Deferred to the end of the
// pass when called from a callback.  Null or unknown contexts are ignored.
void nte_tcpcontext_cleanup(tcpcontext* ctx);
// Starts a client connect to host:port (dotted text or a name).  A handle,
// or {null, 0} with the last error set (-10, -16, -39, -2, -17, -36, -7).
nte_conn_handle tcpcontext_connect(tcpcontext* ctx, const char* host, int port);
// 0 = accept the IPv4 address, 1 = refuse.
int nte_tcpcontext_ipfilter_check(tcpcontext* ctx, const uint8_t* address, int length);
// Appends an entry {flags (0x1 accept, 0x2 log), address, mask} to the
// context's IPv4 filter (addresses in network byte order as 4 bytes).
// 0, or -2 when the filter is full.
int nte_tcpcontext_ipfilter_add(tcpcontext* ctx, uint32_t flags, const uint8_t* address, const uint8_t* mask);
// The local port of a listening context (host order), 0 for others.
int nte_tcpcontext_local_port(const tcpcontext* ctx);
// Connections of the context in use.
int nte_tcpcontext_connection_count(const tcpcontext* ctx);

// Connections.
// 1 when the pair names a live connection, else 0.
int nte_conn_is_valid(conn_t* conn, uint32_t serial);
// Appends to the plain write buffer: bytes appended (0 for a null or empty
// write), or -6 null/invalid, -28 serial mismatch, -21 key exchange
// unfinished, -20 connect not completed (wait-for-connect), -64 closing,
// -2 no room (nothing appended).
int nte_conn_write(conn_t* conn, uint32_t serial, const void* data, int length);
// Free bytes of the plain write buffer; 0 while the connect (wait-for-connect
// contexts) or the key exchange is unfinished or the connection is closing;
// -6 for an invalid handle.
int nte_conn_writable(conn_t* conn, uint32_t serial);
// Flags the connection closing; it is released once its output was sent
// (reason 2) or its idle time-out passed (reason 3).  0, -6 invalid, -62
// already closing.
int nte_conn_close(conn_t* conn, uint32_t serial);
// Sets the idle time-out in seconds; 0, or -6.
int nte_conn_set_timeout(conn_t* conn, uint32_t serial, int seconds);
// The connection's zeroed state block (and its size), or null.
void* nte_conn_get_state_buffer(conn_t* conn, uint32_t serial, int* size);
// "%s:%d" of the peer address and port into out; out, or null with -46 (too
// small: IPv4 needs 32, IPv6 50) or -6.
char* nte_conn_get_peer_text(conn_t* conn, uint32_t serial, char* out, int capacity);
// nte_conn_close() on every connection of the context.
void nte_conn_close_tcpcontext_all(tcpcontext* ctx);
// The connection's pool index, or -6.
int nte_conn_index(const conn_t* conn);
// 1 once a client connect completed (accepted connections: always), else 0;
// -6 for an invalid handle.
int nte_conn_is_connected(conn_t* conn, uint32_t serial);
// Bytes waiting to be sent (plain and encrypted write buffers), or -6.
int nte_conn_pending_output(conn_t* conn, uint32_t serial);

// The per-connection I/O step and the TCP pass (driven by nte_heartbeat()).
void nte_conn_io(conn_t* conn, int readable, int writable);
void nte_tcp_heartbeat();
