// Engine core: limits, start and end, the engine pass, log lines, clocks,
// allocation wrappers and small text utilities.
//
// The engine is single-threaded: every call comes from the thread that
// drives it (the user-interface thread).  Failures are negative status codes
// (nte_error.h), never exceptions.
#pragma once

#include <cstddef>
#include <cstdint>

#include "net/nte/nte_error.h"

// Limits record: seven signed 32-bit words in this order.  A word holding all
// ones (-1) leaves the default in force.
struct nte_limits {
  int32_t max_contexts;     // 16: elements of the pool "tcpctx"
  int32_t max_task_worlds;  // 16: elements of the pool "taskworld"
  int32_t max_connections;  // 1000: elements of the pool "conn"
  int32_t max_hash_tables;  // 64: entries of the hash-table table
  int32_t pool_slots;       // 256: entries of the pool table (at least 8)
  // Two work-buffer sizes (8192 bytes each) that callers may set: the words
  // stay in the record's layout, but no engine code uses a work buffer, so
  // none is allocated.
  int32_t work_buffer1_size;
  int32_t work_buffer2_size;
};

constexpr int32_t NTE_LIMIT_DEFAULT = -1;
constexpr int NTE_VERSION_MAJOR = 0;
constexpr int NTE_VERSION_MINOR = 4;
constexpr int NTE_VERSION_PATCH = 137;

// Sets all seven words to all ones (every default in force).
void nte_limit_clear(nte_limits* limits);
// Copies every word that is not all ones into the engine's limits (pool
// slots raised to at least 8), then nte_initialize(); returns its result.
int nte_initialize_limited(const nte_limits* limits);
// Starts the engine over the transport installed with nte_set_transport():
// 0, or -6 (no transport installed, or already started; nothing built),
// -7 / -79 (see nte_error.h).  A socket stack that does not start is logged
// ("Fatal:1000") and start-up goes on.
int nte_initialize();
// Ends the engine: releases every context and connection (closing their
// sockets, without close-watcher calls), every pool and buffer.  0, or -63
// when a step failed.  Called from inside a callback of the engine pass, the
// end is deferred until that pass returns (and 0 is returned).
int nte_finalize();
// One engine pass: TCP pass of every context, task poll, clock refresh.
// A pending connect found failed in the pass leaves -17 as the last error.
// Called from inside a callback of a pass, it does nothing.
void nte_heartbeat();
// The limits in force (the defaults until a start changed them).
nte_limits nte_get_limits();
// Sockets a select pass can watch per set: max connections + max contexts + 8.
int nte_get_select_capacity();
// 1 between a successful nte_initialize() and nte_finalize(), else 0.
int nte_is_started();
// Increments at the start of every engine pass.
uint32_t nte_get_pass_count();
// 0, 4, 137; any null pointer is skipped.
void nte_get_version(int* major, int* minor, int* patch);

// Log lines.  The error channel is written at log level 0 or more (always,
// in this program); the verbose channel only above level 0.  Both go to the
// log file when a log directory is set, else to the standard error stream.
// The texts of the engine's lines (typos included) and their channels are
// fixed from outside, for those who read the logs: do not reword them.
void nte_errout(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
void nte_verbose(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
void nte_set_log_level(int level);
// Directory of the rotating log files "%s/stderr.%d.%d"; empty or null = stderr.
void nte_set_log_directory(const char* dir);
void nte_set_log_rotation_size(uint32_t bytes);
// Receives every line written (after the level test) instead of the file or
// stderr; null restores the default.  For tests and tools.
typedef void (*nte_log_sink_fn)(void* user, const char* line);
void nte_set_log_sink(nte_log_sink_fn sink, void* user);

// Clocks: calendar seconds and microseconds (seconds x 1,000,000 + the
// current millisecond x 1000), refreshed at start, after every pass and by
// the connect and accept paths.
void nte_update_time();
uint32_t nte_time_seconds();
int64_t nte_time_microseconds();
// Time shim: the source of the clocks.  Writes calendar seconds and the
// millisecond within that second.  Null restores the system clock.
typedef void (*nte_clock_fn)(int64_t* seconds, int* milliseconds);
void nte_set_clock(nte_clock_fn clock);

// Allocation through the engine's replaceable hooks (default: the C
// run-time).  Both set the last error to 0.
void* nte_malloc(size_t size);
void nte_free(void* p);
struct nte_alloc_hooks {
  void* (*allocate)(size_t);
  void* (*resize)(void*, size_t);
  void (*release)(void*);
};
// Null restores the run-time library's allocator.
void nte_set_alloc_hooks(const nte_alloc_hooks* hooks);

// Engine statistics (nothing in the program reads them).
struct nte_stats {
  uint64_t conn_alloc, conn_free, conn_close;
  uint64_t ctx_create, ctx_cleanup;
  uint64_t key_set;
  uint64_t recv_calls, recv_errors, recv_bytes;
  uint64_t send_calls, send_errors, send_bytes;
  uint64_t conn_writes;
  uint64_t accepts, accept_errors;
  uint64_t connects, connect_errors;
  uint64_t select_calls;
  uint64_t logfile_opens;
};
const nte_stats* nte_get_stats();

// Small utilities.
// Hex text to bytes: skips a 0x/0X prefix; pairs of digits, high digit
// first, at most max bytes; an odd-length text's lone last digit becomes a
// high nibble.  Returns the number of bytes written.
int nte_hex_to_bytes(uint8_t* out, int max, const char* text);
int nte_hex_digit_value(int ch);
int nte_is_hex_digit(int ch);
// Each byte as "%02x " through nte_errout, a line break after every 16th and at the end.
void nte_dump_hex(const void* data, int n);
// "%d.%d.%d.%d" when len is 4, else "ERROR"; returns out (always terminated when cap > 0).
char* nte_ipv4_to_text(const uint8_t* addr, int len, char* out, int cap);
// Eight big-endian 16-bit groups "%x:...:%x" when len is 16, else "ERROR".
char* nte_ipv6_to_text(const uint8_t* addr, int len, char* out, int cap);
// Copies at most cap - 1 characters and always terminates (cap > 0);
// returns 1 when src was cut, else 0.
int nte_copy_bounded(char* dst, int cap, const char* src);
