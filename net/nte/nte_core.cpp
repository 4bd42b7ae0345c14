// Engine start, end and the engine pass.
#include "net/nte/nte_core.h"

#include <cstring>

#include "net/nte/nte_hash.h"
#include "net/nte/nte_pool_table.h"
#include "net/nte/nte_records.h"
#include "net/nte/nte_task.h"
#include "net/nte/nte_transport.h"

namespace {

constexpr nte_limits kDefaults = {16, 16, 1000, 64, 256, 8192, 8192};

nte_limits g_limits = kDefaults;
int g_started = 0;
int g_select_capacity = 0;
uint32_t g_pass_count = 0;
int g_pass_depth = 0;
int g_finalize_pending = 0;
int g_transport_started = 0;
int g_pass_error = 0;
nte_stats g_stats;

int finalize_now() {
  int failed = 0;
  // Contexts first: their connections close their sockets and hand their
  // buffers back before the pools go.  The hash tables end after them: a
  // live circuit leaves its connection's hash table when it is released,
  // and that table must still be there.
  if (nte_internal::tcp_end() < 0) failed = 1;
  if (nte_hash_table_end() < 0) failed = 1;
  if (nte_taskworld_end() < 0) failed = 1;
  if (g_transport_started) {
    const nte_transport* t = nte_get_transport();
    if (t && t->cleanup) t->cleanup();
    g_transport_started = 0;
  }
  if (nte_internal::pool_table_end() < 0) failed = 1;
  g_started = 0;
  g_finalize_pending = 0;
  nte_verbose("Note:10400: nte: finalized\n");
  return nte_set_last_error(failed ? NTE_ERR_FINALIZE : NTE_OK);
}

// Unwinds a failed start in reverse order.  Everything goes, the socket
// stack included: a failed start leaves nothing behind that only a finalize
// could release.
int fail_start(int code) {
  // Each end step does nothing when its part was not built.
  nte_hash_table_end();
  nte_internal::tcp_end();
  nte_taskworld_end();
  nte_internal::pool_table_end();
  if (g_transport_started) {
    const nte_transport* t = nte_get_transport();
    if (t && t->cleanup) t->cleanup();
    g_transport_started = 0;
  }
  return nte_set_last_error(code);
}

}  // namespace

namespace nte_internal {
int in_pass() { return g_pass_depth > 0; }
void note_pass_error(int code) { g_pass_error = code; }
nte_stats* stats() { return &g_stats; }
}  // namespace nte_internal

void nte_limit_clear(nte_limits* limits) {
  if (limits) std::memset(limits, 0xFF, sizeof *limits);
}

int nte_initialize_limited(const nte_limits* limits) {
  if (limits) {
    const int32_t* src = &limits->max_contexts;
    int32_t* dst = &g_limits.max_contexts;
    for (int i = 0; i < 7; ++i) {
      if (src[i] != NTE_LIMIT_DEFAULT) dst[i] = src[i];
    }
    if (g_limits.pool_slots < 8) g_limits.pool_slots = 8;
  }
  return nte_initialize();
}

nte_limits nte_get_limits() { return g_limits; }
int nte_get_select_capacity() { return g_select_capacity; }
int nte_is_started() { return g_started; }
uint32_t nte_get_pass_count() { return g_pass_count; }

int nte_initialize() {
  // A second start would leak every pool of the first.
  if (g_started) return nte_set_last_error(NTE_ERR_INVALID);
  // The engine has no sockets of its own: without the owner's transport
  // there is nothing it could run on, and nothing is built.
  const nte_transport* t = nte_get_transport();
  if (!t) return nte_set_last_error(NTE_ERR_INVALID);
  if (g_limits.pool_slots < 8) g_limits.pool_slots = 8;
  // Negative limits other than "default" make no sense; treat them as 0.
  if (g_limits.max_contexts < 0) g_limits.max_contexts = 0;
  if (g_limits.max_task_worlds < 0) g_limits.max_task_worlds = 0;
  if (g_limits.max_connections < 0) g_limits.max_connections = 0;
  if (g_limits.max_hash_tables < 0) g_limits.max_hash_tables = 0;
  std::memset(&g_stats, 0, sizeof g_stats);

  if (!t->startup || t->startup() != NTE_OK) {
    nte_errout("Fatal:1000 cannot initialize winsock\n");
  } else {
    g_transport_started = 1;
  }
  nte_update_time();

  if (nte_internal::pool_table_create(g_limits.pool_slots) < 0) return fail_start(NTE_ERR_STARTUP_ALLOC);
  if (nte_taskworld_init(g_limits.max_task_worlds) < 0) return fail_start(NTE_ERR_POOL_CREATE);
  if (nte_internal::tcp_init(g_limits.max_connections, g_limits.max_contexts) < 0) {
    return fail_start(NTE_ERR_POOL_CREATE);
  }
  if (nte_hash_table_init(g_limits.max_hash_tables) < 0) return fail_start(NTE_ERR_STARTUP_ALLOC);
  g_select_capacity = g_limits.max_connections + g_limits.max_contexts + 8;
  g_started = 1;
  g_finalize_pending = 0;
  return nte_set_last_error(NTE_OK);
}

int nte_finalize() {
  if (g_pass_depth > 0) {
    // Called from a callback: the pass still holds the connection whose
    // callback is running.  The end happens when the pass returns.
    g_finalize_pending = 1;
    return nte_set_last_error(NTE_OK);
  }
  // Nothing to end: a failed start left nothing behind.
  if (!g_started) return nte_set_last_error(NTE_OK);
  return finalize_now();
}

void nte_heartbeat() {
  // A callback that pumps the engine (a modal wait inside a handler) would
  // run the pass over the very record and buffers its caller is using: the
  // nested pass does nothing, the outer one carries on.
  if (!g_started || g_finalize_pending || g_pass_depth > 0) return;
  ++g_pass_count;
  ++g_pass_depth;
  g_pass_error = 0;
  nte_tcp_heartbeat();
  if (!g_finalize_pending) nte_task_poll();
  --g_pass_depth;
  nte_internal::run_deferred_cleanups();
  nte_update_time();
  if (g_finalize_pending) finalize_now();
  if (g_pass_error != 0) nte_set_last_error(g_pass_error);
}

int nte_internal_finalize_pending() { return g_finalize_pending; }

void nte_get_version(int* major, int* minor, int* patch) {
  if (major) *major = NTE_VERSION_MAJOR;
  if (minor) *minor = NTE_VERSION_MINOR;
  if (patch) *patch = NTE_VERSION_PATCH;
}

const nte_stats* nte_get_stats() { return &g_stats; }
