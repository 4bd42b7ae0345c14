// The engine's socket layer over the transport in force.
#include <cstring>

#include "net/nte/nte_core.h"
#include "net/nte/nte_transport.h"

namespace {

const nte_transport* g_transport = nullptr;

// Every operation below the first line of each function runs only with a
// transport: the sockets it would touch can exist only under one.
const nte_transport* t() { return g_transport; }

}  // namespace

int nte_set_transport(const nte_transport* transport) {
  if (nte_is_started()) return nte_set_last_error(NTE_ERR_INVALID);
  g_transport = transport;
  return nte_set_last_error(NTE_OK);
}

const nte_transport* nte_get_transport() { return g_transport; }

int nte_socket_create(nte_sock_t* out) {
  *out = NTE_INVALID_SOCKET;
  if (!t() || t()->socket_create(out) < 0) {
    *out = NTE_INVALID_SOCKET;
    return nte_set_last_error(NTE_ERR_SOCKET);
  }
  return nte_set_last_error(NTE_OK);
}

int nte_socket_set_nonblock(nte_sock_t s) {
  if (!t() || t()->set_nonblock(s) < 0) {
    nte_errout("osdep.c: cannot ioctlsocket for FIONBIO\n");
    return nte_set_last_error(NTE_ERR_NONBLOCK);
  }
  return nte_set_last_error(NTE_OK);
}

namespace {
int set_flag(nte_sock_t s, int option) {
  if (!t() || t()->set_option(s, option, 1) < 0) return nte_set_last_error(NTE_ERR_SOCKOPT);
  return nte_set_last_error(NTE_OK);
}
}  // namespace

int nte_socket_set_keepalive(nte_sock_t s) { return set_flag(s, NTE_SOCKOPT_KEEPALIVE); }
int nte_socket_set_reuseaddr(nte_sock_t s) { return set_flag(s, NTE_SOCKOPT_REUSEADDR); }
int nte_socket_set_nodelay(nte_sock_t s) { return set_flag(s, NTE_SOCKOPT_NODELAY); }

int nte_set_so_sndbuf(nte_sock_t s) {
  const int desired = 32768;
  char os[64];
  int now = 0;
  if (!t()) return nte_set_last_error(NTE_ERR_CIPHER_SETUP);
  if (t()->get_option(s, NTE_SOCKOPT_SNDBUF, &now) < 0) {
    nte_errout("nte_set_so_sndbuf: cannot getsockopt():%s\n", nte_os_error_text(os, sizeof os));
    return nte_set_last_error(NTE_ERR_CIPHER_SETUP);
  }
  if (now >= desired) return nte_set_last_error(NTE_OK);
  if (t()->set_option(s, NTE_SOCKOPT_SNDBUF, desired) < 0) {
    nte_verbose("nte_set_so_sndbuf: cannot setsockopt():%s\n", nte_os_error_text(os, sizeof os));
    return nte_set_last_error(NTE_ERR_CIPHER_SETUP);
  }
  if (t()->get_option(s, NTE_SOCKOPT_SNDBUF, &now) < 0 || now < desired) {
    nte_errout("nte_set_so_sndbuf: cannot set SO_SNDBUF to %d ( now %d )\n", desired, now);
    return nte_set_last_error(NTE_ERR_CIPHER_SETUP);
  }
  nte_verbose("nte_set_so_sndbuf: SO_SNDBUF is set %d. desired:%d\n", now, desired);
  return nte_set_last_error(NTE_OK);
}

int nte_set_so_sndlowat(nte_sock_t s) {
  const int desired = 16384;
  char os[64];
  if (!t()) return nte_set_last_error(NTE_ERR_CIPHER_SETUP);
  if (t()->set_option(s, NTE_SOCKOPT_SNDLOWAT, desired) < 0) {
    nte_verbose("cannot setsockopt(SO_SNDLOWAT):%s\n", nte_os_error_text(os, sizeof os));
    return nte_set_last_error(NTE_ERR_CIPHER_SETUP);
  }
  int now = 0;
  if (t()->get_option(s, NTE_SOCKOPT_SNDLOWAT, &now) < 0) {
    nte_errout("cannot getsockopt(SO_SNDLOWAT):%s\n", nte_os_error_text(os, sizeof os));
    return nte_set_last_error(NTE_ERR_CIPHER_SETUP);
  }
  if (now != desired) {
    nte_errout("cannot set SO_SNDLOWAT to %d\n", desired);
    return nte_set_last_error(NTE_ERR_CIPHER_SETUP);
  }
  return nte_set_last_error(NTE_OK);
}

int nte_resolve_host(const char* host, nte_address* out) {
  std::memset(out, 0, sizeof *out);
  if (!host || !t() || t()->resolve(host, out) < 0) {
    char os[64];
    nte_errout("Fatal:1260 win32 fatal: gethostbyname() error:%s\n", nte_os_error_text(os, sizeof os));
    return nte_set_last_error(NTE_ERR_RESOLVE);
  }
  return nte_set_last_error(NTE_OK);
}

int nte_socket_bind(nte_sock_t s, const char* host, int port) {
  nte_address addr;
  const nte_address* where = nullptr;
  if (host && host[0]) {
    if (nte_resolve_host(host, &addr) < 0) return nte_set_last_error(NTE_ERR_BIND);
    where = &addr;
  }
  if (!t() || t()->bind(s, where, port) < 0) return nte_set_last_error(NTE_ERR_BIND);
  return nte_set_last_error(NTE_OK);
}

int nte_socket_listen(nte_sock_t s) {
  if (!t() || t()->listen(s, 5) < 0) return nte_set_last_error(NTE_ERR_LISTEN);
  return nte_set_last_error(NTE_OK);
}

int nte_socket_connect(nte_sock_t s, const char* host, int port, nte_address* peer, nte_address* local) {
  nte_address addr;
  if (nte_resolve_host(host, &addr) < 0) {
    nte_socket_close(s);
    return nte_set_last_error(NTE_ERR_CONNECT);
  }
  int r = t()->connect(s, &addr, port);
  if (r < 0) {
    nte_socket_close(s);
    return nte_set_last_error(NTE_ERR_CONNECT);
  }
  if (peer) {
    *peer = addr;
    peer->port = static_cast<uint16_t>(port);
  }
  if (local && (!t()->local_address || t()->local_address(s, local) < 0)) {
    nte_verbose("Warning: getosockname() fail(connect):%d\n", static_cast<int>(s));
    std::memset(local, 0, sizeof *local);
  }
  nte_set_last_error(NTE_OK);
  return r;
}

int nte_socket_accept(nte_sock_t s, nte_sock_t* out, nte_address* peer, nte_address* local) {
  *out = NTE_INVALID_SOCKET;
  if (!t()) return nte_set_last_error(NTE_ERR_ACCEPT);
  int r = t()->accept(s, out, peer);
  if (r == NTE_IO_AGAIN) return nte_set_last_error(NTE_OK), NTE_IO_AGAIN;
  if (r < 0) {
    char os[64];
    nte_verbose("Warning:4101 tcp: accept() error. os_err:%s port:%d\n", nte_os_error_text(os, sizeof os), 0);
    return nte_set_last_error(NTE_ERR_ACCEPT);
  }
  if (local && (!t()->local_address || t()->local_address(*out, local) < 0)) {
    nte_verbose("Warning: getsockname() fail: %d\n", static_cast<int>(*out));
    std::memset(local, 0, sizeof *local);
  }
  return nte_set_last_error(NTE_OK);
}

int nte_socket_recv(nte_sock_t s, void* buf, int n) { return t() ? t()->recv(s, buf, n) : NTE_IO_FAILED; }
int nte_socket_send(nte_sock_t s, const void* buf, int n) { return t() ? t()->send(s, buf, n) : NTE_IO_FAILED; }
void nte_socket_close(nte_sock_t s) {
  if (s != NTE_INVALID_SOCKET && t()) t()->close(s);
}
void nte_socket_shutdown(nte_sock_t s) {
  if (s != NTE_INVALID_SOCKET && t()) t()->shutdown(s);
}

char* nte_os_error_text(char* out, int cap) {
  if (!out || cap <= 0) return out;
  out[0] = '\0';
  if (t() && t()->error_text) t()->error_text(out, cap);
  return out;
}

int nte_select(nte_pollset* set) { return t() ? t()->select(set) : -1; }
