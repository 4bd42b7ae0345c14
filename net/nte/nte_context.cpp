// TCP contexts: creation, client connect, accept, IPv4 filter, cleanup.
#include <cstdio>
#include <cstring>

#include "framework/byte_order.h"
#include "net/nte/nte_cipher.h"
#include "net/nte/nte_keyex.h"
#include "net/nte/nte_pool.h"
#include "net/nte/nte_records.h"

namespace {

int g_conn_pool = -1;
int g_ctx_pool = -1;
// Kept so that a pass need not visit every context to learn that none
// listens and none waits for its cleanup.
int g_listening_contexts = 0;
int g_deferred_cleanups = 0;

bool is_context(const tcpcontext* ctx) { return ctx && g_ctx_pool >= 0 && nte_array_owns_used(g_ctx_pool, ctx); }

void end_pool(int32_t* pool) {
  if (*pool >= 0) nte_end_array(*pool);
  *pool = -1;
}

void release_context(tcpcontext* ctx) {
  int pool = g_conn_pool;
  if (pool >= 0) {
    // Every connection goes with its context, silently: their buffers live
    // in the context's pools, which end below.
    void* p = nte_array_first_used(pool);
    while (p) {
      void* next = nte_array_next_used(pool, p);
      conn_t* c = static_cast<conn_t*>(p);
      if (c->ctx == ctx) nte_internal::conn_free(c, 0, 0);
      p = next;
    }
  }
  if (ctx->listen_sock != NTE_INVALID_SOCKET) {
    nte_socket_close(ctx->listen_sock);
    ctx->listen_sock = NTE_INVALID_SOCKET;
  }
  end_pool(&ctx->state_pool);
  end_pool(&ctx->rb_pool);
  end_pool(&ctx->erb_pool);
  end_pool(&ctx->wb_pool);
  end_pool(&ctx->ewb_pool);
  if (ctx->listening) --g_listening_contexts;
  nte_free_array_object(g_ctx_pool, ctx);
  ++nte_internal::stats()->ctx_cleanup;
}

int make_pool(const char* prefix, int port, int size, int count) {
  char name[64];
  std::snprintf(name, sizeof name, "%s%d", prefix, port);
  name[NTE_POOL_NAME_MAX] = '\0';
  return init_array(size, count, name);
}

tcpcontext* fail_create(tcpcontext* ctx, int code) {
  release_context(ctx);
  nte_set_last_error(code);
  return nullptr;
}

}  // namespace

namespace nte_internal {

int conn_pool() { return g_conn_pool; }
int context_pool() { return g_ctx_pool; }

int tcp_init(int max_connections, int max_contexts) {
  g_conn_pool = g_ctx_pool = -1;
  if (max_connections > 0) {
    g_conn_pool = init_array(static_cast<int>(sizeof(conn_t)), max_connections, "conn");
    if (g_conn_pool < 0) return nte_set_last_error(NTE_ERR_POOL_CREATE);
  }
  if (max_contexts > 0) {
    g_ctx_pool = init_array(static_cast<int>(sizeof(tcpcontext)), max_contexts, "tcpctx");
    if (g_ctx_pool < 0) {
      tcp_end();
      return nte_set_last_error(NTE_ERR_POOL_CREATE);
    }
  }
  if (poll_init(max_connections > 0 ? max_connections : 0, max_contexts > 0 ? max_contexts : 0) < 0) {
    tcp_end();
    return nte_set_last_error(NTE_ERR_POOL_CREATE);
  }
  return nte_set_last_error(NTE_OK);
}

int tcp_end() {
  int result = NTE_OK;
  if (g_ctx_pool >= 0) {
    void* p = nte_array_first_used(g_ctx_pool);
    while (p) {
      void* next = nte_array_next_used(g_ctx_pool, p);
      release_context(static_cast<tcpcontext*>(p));
      p = next;
    }
    if (nte_end_array(g_ctx_pool) < 0) result = NTE_ERR_FINALIZE;
    g_ctx_pool = -1;
  }
  g_listening_contexts = 0;
  g_deferred_cleanups = 0;
  if (g_conn_pool >= 0) {
    // Connections without a live context cannot exist; this is only a guard.
    if (nte_end_array(g_conn_pool) < 0) result = NTE_ERR_FINALIZE;
    g_conn_pool = -1;
  }
  poll_end();
  return result;
}

int listening_contexts() { return g_listening_contexts; }

void run_deferred_cleanups() {
  if (g_ctx_pool < 0 || g_deferred_cleanups == 0) return;
  g_deferred_cleanups = 0;
  void* p = nte_array_first_used(g_ctx_pool);
  while (p) {
    void* next = nte_array_next_used(g_ctx_pool, p);
    tcpcontext* ctx = static_cast<tcpcontext*>(p);
    if (ctx->cleanup_pending) release_context(ctx);
    p = next;
  }
}

}  // namespace nte_internal

tcpcontext* nte_tcpcontext_create(int listening, const char* address, int port, int max_connections,
                                  int read_buffer_size, int write_buffer_size, int idle_timeout_seconds,
                                  int cipher_flags, int key_length, int wait_for_connect, int no_delay,
                                  int state_buffer_size) {
  if (g_ctx_pool < 0) {
    nte_set_last_error(NTE_ERR_INVALID);
    return nullptr;
  }
  // Buffer sizes get 8 bytes of cipher slack; keep them far from INT_MAX.
  const int kMaxBuffer = 0x10000000;
  if (max_connections <= 0 || read_buffer_size <= 0 || write_buffer_size <= 0 || read_buffer_size > kMaxBuffer ||
      write_buffer_size > kMaxBuffer || state_buffer_size < 0 || port < 0 || port > 65535) {
    nte_set_last_error(NTE_ERR_INVALID);
    return nullptr;
  }
  tcpcontext* ctx = static_cast<tcpcontext*>(nte_alloc_array_object(g_ctx_pool));
  if (!ctx) return nullptr;
  std::memset(ctx, 0, sizeof *ctx);
  ctx->listen_sock = NTE_INVALID_SOCKET;
  ctx->state_pool = ctx->rb_pool = ctx->erb_pool = ctx->wb_pool = ctx->ewb_pool = -1;
  ctx->index = nte_array_index(g_ctx_pool, ctx);
  ctx->listening = listening ? 1 : 0;
  if (ctx->listening) ++g_listening_contexts;
  ctx->idle_timeout = idle_timeout_seconds < 0 ? 0 : idle_timeout_seconds;
  ctx->cipher_flags = cipher_flags;
  ctx->key_length = key_length;
  ctx->max_connections = max_connections;
  ctx->read_buffer_size = read_buffer_size;
  ctx->write_buffer_size = write_buffer_size;
  ctx->state_buffer_size = state_buffer_size;
  ctx->state_count = max_connections;
  ctx->accepting = 1;
  ctx->wait_for_connect = wait_for_connect ? 1 : 0;
  ctx->no_delay = no_delay ? 1 : 0;
  ctx->hiwater = NTE_HIWATER_DEFAULT;
  ctx->records_per_pass = 1;
  // Kept as the wire has it: the two bytes of the port, high byte first.
  PutBe16(reinterpret_cast<uint8_t*>(&ctx->port_net), static_cast<uint16_t>(port));
  ++nte_internal::stats()->ctx_create;

  int r = nte_cipher_select(cipher_flags, key_length, &ctx->decoder, &ctx->encoder);
  if (r < 0) return fail_create(ctx, r);
  // A cipher direction whose buffer cannot hold even a one-block record
  // could never move a byte.
  const int in_block = nte_codec_block_size(ctx->decoder);
  const int out_block = nte_codec_block_size(ctx->encoder);
  if (read_buffer_size < in_block || write_buffer_size < out_block) return fail_create(ctx, NTE_ERR_INVALID);

  if (ctx->listening) {
    char os[64];
    nte_sock_t s = NTE_INVALID_SOCKET;
    if (nte_socket_create(&s) < 0) {
      nte_errout("Fatal:1204 socket() fail addr:%s port:%d os_err:%s\n", address ? address : "", port,
                 nte_os_error_text(os, sizeof os));
      return fail_create(ctx, NTE_ERR_SOCKET);
    }
    ctx->listen_sock = s;
    if (nte_socket_set_reuseaddr(s) < 0) {
      nte_errout("Fatal:1277 setsockopt(SO_REUSEADDR) fail:%s\n", nte_os_error_text(os, sizeof os));
      return fail_create(ctx, NTE_ERR_SOCKOPT);
    }
    if (nte_socket_set_keepalive(s) < 0) {
      nte_verbose("warning: nte_socket_set_keepalive fail (%s)\n", nte_os_error_text(os, sizeof os));
    }
    if (nte_socket_bind(s, address, port) < 0) {
      nte_errout("Fatal:1207 bind() error. os_err:%s addr:%s port:%d\n", nte_os_error_text(os, sizeof os),
                 address ? address : "", port);
      return fail_create(ctx, NTE_ERR_BIND);
    }
    nte_address local;
    std::memset(&local, 0, sizeof local);
    const nte_transport* t = nte_get_transport();
    if (t->local_address && t->local_address(s, &local) == 0)
      ctx->local_port = local.port;
    else
      ctx->local_port = static_cast<uint16_t>(port);
    nte_verbose("nte_tcpcontext bound to local port %d\n", ctx->local_port);
    if (nte_socket_listen(s) < 0) {
      nte_errout("Fatal:1208 listen() error. os_err:%s addr:%s port:%d\n", nte_os_error_text(os, sizeof os),
                 address ? address : "", port);
      return fail_create(ctx, NTE_ERR_LISTEN);
    }
    // Accepting must never block the pass.
    if (nte_socket_set_nonblock(s) < 0) return fail_create(ctx, NTE_ERR_NONBLOCK);
    if (nte_set_so_sndbuf(s) < 0) {
      nte_errout("nte_tcpcontext_create warning: cannot set SNDBUF size. ignoring.\n");
    }
  }

  if (state_buffer_size > 0) {
    ctx->state_pool = make_pool("stateb", port, state_buffer_size, max_connections);
    if (ctx->state_pool < 0) {
      nte_errout("Fatal:1265 Memory shortage when creating tcpcontext state buffer\n");
      return fail_create(ctx, NTE_ERR_POOL_CREATE);
    }
    nte_verbose("Note:10345 nte_tcpcontext_create could allocate state buffer.\n");
  }
  ctx->rb_pool = make_pool("rb", port, read_buffer_size, max_connections);
  if (ctx->rb_pool >= 0) ctx->erb_pool = make_pool("erb", port, read_buffer_size + 8, max_connections);
  if (ctx->erb_pool >= 0) ctx->wb_pool = make_pool("wb", port, write_buffer_size, max_connections);
  if (ctx->wb_pool >= 0) ctx->ewb_pool = make_pool("ewb", port, write_buffer_size + 8, max_connections);
  if (ctx->ewb_pool < 0) return fail_create(ctx, NTE_ERR_POOL_CREATE);
  nte_set_last_error(NTE_OK);
  return ctx;
}

void nte_tcpcontext_set_conn_parser(tcpcontext* ctx, nte_parser_fn parser, nte_record_fn record) {
  if (!is_context(ctx)) return;
  ctx->parser = parser;
  ctx->record = record;
}

void nte_tcpcontext_set_conn_closewatcher(tcpcontext* ctx, nte_closewatcher_fn watcher) {
  if (is_context(ctx)) ctx->close_watcher = watcher;
}

void nte_tcpcontext_set_records_per_pass(tcpcontext* ctx, int n) {
  if (is_context(ctx)) ctx->records_per_pass = n < 1 ? 1 : n;
}

void nte_tcpcontext_set_acceptwatcher(tcpcontext* ctx, nte_acceptwatcher_fn watcher) {
  if (is_context(ctx)) ctx->accept_watcher = watcher;
}

void nte_tcpcontext_set_hiwater(tcpcontext* ctx, int level, nte_hiwater_fn watcher) {
  if (!is_context(ctx)) return;
  ctx->hiwater = level;
  ctx->hiwater_watcher = watcher;
}

void nte_tcpcontext_set_finalizer(tcpcontext* ctx, nte_finalizer_fn finalizer) {
  if (is_context(ctx)) ctx->finalizer = finalizer;
}

void nte_tcpcontext_cleanup(tcpcontext* ctx) {
  if (!is_context(ctx)) return;
  nte_conn_close_tcpcontext_all(ctx);
  if (nte_internal::in_pass()) {
    // A callback of this context may be running: release after the pass.
    if (!ctx->cleanup_pending) ++g_deferred_cleanups;
    ctx->cleanup_pending = 1;
    ctx->accepting = 0;
    return;
  }
  release_context(ctx);
}

int nte_tcpcontext_local_port(const tcpcontext* ctx) {
  if (!is_context(ctx)) return nte_set_last_error(NTE_ERR_INVALID);
  return ctx->listening ? ctx->local_port : 0;
}

int nte_tcpcontext_connection_count(const tcpcontext* ctx) {
  if (!is_context(ctx)) return nte_set_last_error(NTE_ERR_INVALID);
  return ctx->connection_count;
}

nte_conn_handle tcpcontext_connect(tcpcontext* ctx, const char* host, int port) {
  nte_conn_handle none = {nullptr, 0};
  if (!is_context(ctx) || ctx->listening || ctx->cleanup_pending || !host || port <= 0 || port > 65535) {
    nte_set_last_error(NTE_ERR_INVALID);
    return none;
  }
  ++nte_internal::stats()->connects;
  nte_sock_t s = NTE_INVALID_SOCKET;
  if (nte_socket_create(&s) < 0) {
    ++nte_internal::stats()->connect_errors;
    nte_set_last_error(NTE_ERR_SOCKET);
    return none;
  }
  if (ctx->wait_for_connect && nte_socket_set_nonblock(s) < 0) {
    nte_socket_close(s);
    ++nte_internal::stats()->connect_errors;
    nte_set_last_error(NTE_ERR_SOCKOPT);
    return none;
  }
  if (nte_socket_set_keepalive(s) < 0) nte_errout("warning: failed to set KEEPALIVE socket option\n");
  if (ctx->connection_count >= ctx->max_connections) {
    nte_socket_close(s);
    nte_errout("error: cannot over max conn, conn_in_use=%d, max_conn=%d\n", ctx->connection_count,
               ctx->max_connections);
    ++nte_internal::stats()->connect_errors;
    nte_set_last_error(NTE_ERR_NO_ROOM);
    return none;
  }
  nte_address peer, local;
  std::memset(&peer, 0, sizeof peer);
  std::memset(&local, 0, sizeof local);
  int r = nte_socket_connect(s, host, port, &peer, &local);
  if (r < 0) {
    // nte_socket_connect closed the socket.
    nte_verbose("tcp.c : connect: returning null_ct %p, %d\n", static_cast<void*>(nullptr), 0);
    ++nte_internal::stats()->connect_errors;
    nte_set_last_error(NTE_ERR_CONNECT);
    return none;
  }
  nte_verbose("Note:10202 connect ok on %d\n", static_cast<int>(s));
  if (!ctx->wait_for_connect) {
    // The connect above blocked until done; from here on nothing may block.
    nte_socket_set_nonblock(s);
  }
  int connected = (r == NTE_CONNECT_DONE || !ctx->wait_for_connect) ? 1 : 0;
  nte_conn_handle h = nte_internal::conn_attach(ctx, s, &peer, &local, connected, 0);
  if (!h.conn) {
    int code = nte_get_last_error();
    nte_socket_close(s);
    ++nte_internal::stats()->connect_errors;
    nte_set_last_error(code);
    return none;
  }
  if (ctx->no_delay && nte_socket_set_nodelay(s) < 0) {
    char os[64];
    nte_verbose("Fatal:1213 setsockopt() fail: %s\n", nte_os_error_text(os, sizeof os));
    nte_internal::conn_free(h.conn, 0, 0);
    nte_set_last_error(NTE_ERR_SOCKOPT);
    return none;
  }
  if (nte_set_so_sndbuf(s) < 0) nte_verbose("tcpcontext_connect: cannot set so_sndbuf. ignoring.\n");
  if (nte_set_so_sndlowat(s) < 0) nte_verbose("tcpcontext_connect: cannot set so_sndlowat. ignoring.\n");
  if (h.conn->cipher_flags != 0) {
    // The hello waits in the encrypted write buffer until the connect completes.
    const int code = keyex_start_client(h.conn);
    if (code < 0) {
      nte_errout("Fatal:1214 keyex_start_client fail on fd:%d\n", static_cast<int>(s));
      nte_internal::conn_free(h.conn, 0, 0);
      ++nte_internal::stats()->connect_errors;
      nte_set_last_error(code);
      return none;
    }
  }
  nte_set_last_error(NTE_OK);
  return h;
}

namespace nte_internal {

void try_accept(tcpcontext* ctx) {
  nte_sock_t s = NTE_INVALID_SOCKET;
  nte_address peer, local;
  std::memset(&peer, 0, sizeof peer);
  std::memset(&local, 0, sizeof local);
  int r = nte_socket_accept(ctx->listen_sock, &s, &peer, &local);
  if (r == NTE_IO_AGAIN) return;
  if (r < 0) {
    ++stats()->accept_errors;
    return;
  }
  ++stats()->accepts;
  if (!ctx->accepting) {
    nte_verbose("Warning:4312 tcpcontext_try_accept: no more accept\n");
    nte_socket_close(s);
    return;
  }
  if (ctx->connection_count >= ctx->max_connections) {
    nte_verbose("Warning:4225 nte_tcpcontext_create: reached max connection num %d\n", ctx->max_connections);
    nte_socket_close(s);
    return;
  }
  if (nte_tcpcontext_ipfilter_check(ctx, peer.bytes, peer.length) != 0) {
    nte_socket_close(s);
    return;
  }
  if (nte_socket_set_nonblock(s) < 0) {
    nte_socket_close(s);
    return;
  }
  nte_conn_handle h = conn_attach(ctx, s, &peer, &local, 1, 1);
  if (!h.conn) {
    if (nte_get_last_error() == NTE_ERR_NO_ROOM) {
      nte_verbose("Warning:4102 tcp: conn_alloc fail no more accept. max:%d port:%d\n", ctx->max_connections,
                  ctx->local_port);
    }
    nte_socket_close(s);
    return;
  }
  conn_t* c = h.conn;
  nte_verbose("Note:10200 new connection fd:%d I:%d sbuflen:%d\n", static_cast<int>(s), c->index,
              ctx->state_buffer_size);
  if (ctx->no_delay && nte_socket_set_nodelay(s) < 0) {
    char os[64];
    nte_errout("Fatal:1209 setsockopt() fail. os_err:%s\n", nte_os_error_text(os, sizeof os));
  }
  if (nte_set_so_sndlowat(s) < 0) nte_verbose("try_accept: cannot set sndlowat. ignoring.\n");
  if (c->cipher_flags == 0 && c->accept_watcher) {
    int result;
    if (ctx->connection_count < ctx->hiwater - 1) {
      result = c->accept_watcher(c, h.serial);
      if (result < 0) nte_verbose("Warning:4103 tcp: acceptwatcher fail fd:%d\n", static_cast<int>(s));
    } else {
      nte_verbose("try_accept: hiwater (now:%d hiw:%d)\n", ctx->connection_count, ctx->hiwater);
      result = c->hiwater_watcher ? c->hiwater_watcher(c, h.serial, ctx->connection_count) : 0;
      if (result < 0) nte_verbose("Warning: 4106 tcp: hiwater acceptwatcher fail fd:%d\n", static_cast<int>(s));
    }
    if (result < 0 && nte_conn_is_valid(c, h.serial)) conn_free(c, 0, 0);
  }
}

}  // namespace nte_internal

int nte_tcpcontext_ipfilter_add(tcpcontext* ctx, uint32_t flags, const uint8_t* address, const uint8_t* mask) {
  if (!is_context(ctx) || !address || !mask) return nte_set_last_error(NTE_ERR_INVALID);
  if (ctx->ipfilter_count >= NTE_IPFILTER_MAX) return nte_set_last_error(NTE_ERR_NO_ROOM);
  nte_ipfilter_entry& e = ctx->ipfilter[ctx->ipfilter_count++];
  e.flags = flags;
  e.unused = 0;
  e.address = GetBe32(address);
  e.mask = GetBe32(mask);
  return nte_set_last_error(NTE_OK);
}

int nte_tcpcontext_ipfilter_check(tcpcontext* ctx, const uint8_t* address, int length) {
  if (!is_context(ctx)) return 1;
  if (ctx->ipfilter_count == 0) return 0;
  if (length != 4 || !address) {
    nte_errout("ipv4filter_check: fatal: only ipv4 is supported\n");
    return 1;
  }
  uint32_t a = GetBe32(address);
  for (int i = 0; i < ctx->ipfilter_count; ++i) {
    const nte_ipfilter_entry& e = ctx->ipfilter[i];
    if (!(e.flags & 0x1)) continue;
    if ((a & e.mask) == (e.address & e.mask)) {
      if (e.flags & 0x2) {
        char text[32];
        nte_errout("IP filter: ACCEPT %s %08x\n", nte_ipv4_to_text(address, 4, text, sizeof text),
                   static_cast<unsigned>(a));
      }
      return 0;
    }
  }
  nte_verbose("ipv4filter_check: no match: %08x\n", static_cast<unsigned>(a));
  return 1;
}
