// The engine's transport over BSD sockets (the native build), the twin of
// nte_transport_win.cpp, so that the engine and its users can be tested
// natively against real loopback sockets.
#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "net/nte/nte_transport.h"

namespace {

int ps_startup() { return NTE_OK; }
void ps_cleanup() {}

int ps_socket(nte_sock_t* out) {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  if (s < 0) return NTE_ERR_SOCKET;
#ifdef SO_NOSIGPIPE
  int one = 1;
  setsockopt(s, SOL_SOCKET, SO_NOSIGPIPE, &one, sizeof one);
#endif
  *out = s;
  return NTE_OK;
}

int ps_nonblock(nte_sock_t s) {
  int flags = fcntl(static_cast<int>(s), F_GETFL, 0);
  if (flags < 0 || fcntl(static_cast<int>(s), F_SETFL, flags | O_NONBLOCK) < 0) return NTE_ERR_NONBLOCK;
  return NTE_OK;
}

bool option_of(int option, int* level, int* name) {
  switch (option) {
    case NTE_SOCKOPT_KEEPALIVE:
      *level = SOL_SOCKET;
      *name = SO_KEEPALIVE;
      return true;
    case NTE_SOCKOPT_REUSEADDR:
      *level = SOL_SOCKET;
      *name = SO_REUSEADDR;
      return true;
    case NTE_SOCKOPT_NODELAY:
      *level = IPPROTO_TCP;
      *name = TCP_NODELAY;
      return true;
    case NTE_SOCKOPT_SNDBUF:
      *level = SOL_SOCKET;
      *name = SO_SNDBUF;
      return true;
    case NTE_SOCKOPT_SNDLOWAT:
      *level = SOL_SOCKET;
      *name = SO_SNDLOWAT;
      return true;
    default:
      return false;
  }
}

int ps_set_option(nte_sock_t s, int option, int value) {
  int level = 0, name = 0;
  if (!option_of(option, &level, &name)) return -1;
  return setsockopt(static_cast<int>(s), level, name, &value, sizeof value) == 0 ? 0 : -1;
}

int ps_get_option(nte_sock_t s, int option, int* value) {
  int level = 0, name = 0;
  if (!option_of(option, &level, &name)) return -1;
  int v = 0;
  socklen_t len = sizeof v;
  if (getsockopt(static_cast<int>(s), level, name, &v, &len) != 0) return -1;
  *value = v;
  return 0;
}

int ps_resolve(const char* host, nte_address* out) {
  in_addr a;
  if (inet_pton(AF_INET, host, &a) != 1) {
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* res = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &res) != 0 || !res) return NTE_ERR_RESOLVE;
    a = reinterpret_cast<sockaddr_in*>(res->ai_addr)->sin_addr;
    freeaddrinfo(res);
  }
  std::memset(out, 0, sizeof *out);
  std::memcpy(out->bytes, &a, 4);
  out->length = 4;
  return NTE_OK;
}

sockaddr_in to_sockaddr(const nte_address* addr, int port) {
  sockaddr_in sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sin_family = AF_INET;
  sa.sin_port = htons(static_cast<uint16_t>(port));
  if (addr && addr->length == 4)
    std::memcpy(&sa.sin_addr, addr->bytes, 4);
  else
    sa.sin_addr.s_addr = htonl(INADDR_ANY);
  return sa;
}

void from_sockaddr(const sockaddr_in& sa, nte_address* out) {
  std::memset(out, 0, sizeof *out);
  std::memcpy(out->bytes, &sa.sin_addr, 4);
  out->length = 4;
  out->port = ntohs(sa.sin_port);
}

int ps_bind(nte_sock_t s, const nte_address* addr, int port) {
  sockaddr_in sa = to_sockaddr(addr, port);
  return bind(static_cast<int>(s), reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0 ? NTE_OK : NTE_ERR_BIND;
}

int ps_listen(nte_sock_t s, int backlog) { return listen(static_cast<int>(s), backlog) == 0 ? NTE_OK : NTE_ERR_LISTEN; }

int ps_connect(nte_sock_t s, const nte_address* addr, int port) {
  sockaddr_in sa = to_sockaddr(addr, port);
  if (connect(static_cast<int>(s), reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0) return NTE_CONNECT_DONE;
  if (errno == EINPROGRESS || errno == EWOULDBLOCK) return NTE_CONNECT_STARTED;
  return NTE_ERR_CONNECT;
}

int ps_local(nte_sock_t s, nte_address* out) {
  sockaddr_in sa;
  socklen_t len = sizeof sa;
  if (getsockname(static_cast<int>(s), reinterpret_cast<sockaddr*>(&sa), &len) != 0 || sa.sin_family != AF_INET) {
    return -1;
  }
  from_sockaddr(sa, out);
  return 0;
}

int ps_accept(nte_sock_t s, nte_sock_t* out, nte_address* peer) {
  sockaddr_in sa;
  socklen_t len = sizeof sa;
  int c = accept(static_cast<int>(s), reinterpret_cast<sockaddr*>(&sa), &len);
  if (c < 0) return (errno == EAGAIN || errno == EWOULDBLOCK) ? NTE_IO_AGAIN : NTE_ERR_ACCEPT;
  *out = c;
  if (peer) from_sockaddr(sa, peer);
  return NTE_OK;
}

int ps_recv(nte_sock_t s, void* buf, int n) {
  ssize_t r = recv(static_cast<int>(s), buf, static_cast<size_t>(n), 0);
  if (r < 0) return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? NTE_IO_AGAIN : NTE_IO_FAILED;
  return static_cast<int>(r);
}

int ps_send(nte_sock_t s, const void* buf, int n) {
#ifdef MSG_NOSIGNAL
  const int flags = MSG_NOSIGNAL;  // a peer that went away must not kill the process
#else
  const int flags = 0;
#endif
  ssize_t r = send(static_cast<int>(s), buf, static_cast<size_t>(n), flags);
  if (r < 0) return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? NTE_IO_AGAIN : NTE_IO_FAILED;
  return static_cast<int>(r);
}

void ps_shutdown(nte_sock_t s) { shutdown(static_cast<int>(s), SHUT_RDWR); }
void ps_close(nte_sock_t s) { close(static_cast<int>(s)); }

std::vector<pollfd> g_fds;
std::vector<int> g_slot;

int ps_select(nte_pollset* set) {
  g_fds.clear();
  g_slot.clear();
  for (int i = 0; i < set->count; ++i) {
    nte_poll_entry& e = set->entries[i];
    e.ready = 0;
    if (!e.want) continue;
    pollfd p;
    p.fd = static_cast<int>(e.sock);
    p.events = 0;
    if (e.want & NTE_POLL_READ) p.events |= POLLIN;
    if (e.want & (NTE_POLL_WRITE | NTE_POLL_EXCEPT)) p.events |= POLLOUT;
    p.revents = 0;
    g_fds.push_back(p);
    g_slot.push_back(i);
  }
  if (g_fds.empty()) return 0;
  int got = poll(g_fds.data(), g_fds.size(), 0);
  if (got <= 0) return got < 0 ? -1 : 0;
  int ready = 0;
  for (size_t k = 0; k < g_fds.size(); ++k) {
    nte_poll_entry& e = set->entries[g_slot[k]];
    short rev = g_fds[k].revents;
    if (!rev) continue;
    if (e.want & NTE_POLL_EXCEPT) {
      // A pending connect: BSD sockets report a failed one as writable with
      // SO_ERROR set; Winsock reports it in the exception set.  Report it
      // the Winsock way so the engine sees one behaviour.
      int err = 0;
      socklen_t len = sizeof err;
      if (getsockopt(g_fds[k].fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0) {
        e.ready = NTE_POLL_EXCEPT;
        ++ready;
        continue;
      }
    }
    if ((e.want & NTE_POLL_READ) && (rev & (POLLIN | POLLHUP | POLLERR))) e.ready |= NTE_POLL_READ;
    if ((e.want & NTE_POLL_WRITE) && (rev & (POLLOUT | POLLERR | POLLHUP))) e.ready |= NTE_POLL_WRITE;
    if (e.ready) ++ready;
  }
  return ready;
}

void ps_error_text(char* out, int cap) {
  int e = errno;
  std::snprintf(out, static_cast<size_t>(cap), "errno:'%s' WSAGetLastError:%d", std::strerror(e), 0);
}

const nte_transport kPosix = {
    "bsd",      ps_startup,  ps_cleanup, ps_socket,  ps_nonblock,   ps_set_option, ps_get_option,
    ps_resolve, ps_bind,     ps_listen,  ps_connect, ps_local,      ps_accept,     ps_recv,
    ps_send,    ps_shutdown, ps_close,   ps_select,  ps_error_text,
};

}  // namespace

const nte_transport* nte_os_transport() { return &kPosix; }
