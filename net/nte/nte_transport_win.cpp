// The engine's transport over Windows Sockets (ws2_32, version 1.1).
//
// Socket sets are built at run time: mingw's fd_set holds 64 sockets, far
// fewer than the engine may watch, so the sets live in arrays sized for the
// pass (count word first, then the sockets, as Winsock reads an fd_set).
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "net/nte/nte_transport.h"

namespace {

const char* wsa_name(int code) {
  switch (code) {
    case 0:
      return "no error";
    case WSAEINTR:
      return "WSAEINTR";
    case WSAEBADF:
      return "WSAEBADF";
    case WSAEACCES:
      return "WSAEACCES";
    case WSAEFAULT:
      return "WSAEFAULT";
    case WSAEINVAL:
      return "WSAEINVAL";
    case WSAEMFILE:
      return "WSAEMFILE";
    case WSAEWOULDBLOCK:
      return "WSAEWOULDBLOCK";
    case WSAEINPROGRESS:
      return "WSAEINPROGRESS";
    case WSAEALREADY:
      return "WSAEALREADY";
    case WSAENOTSOCK:
      return "WSAENOTSOCK";
    case WSAEDESTADDRREQ:
      return "WSAEDESTADDRREQ";
    case WSAEMSGSIZE:
      return "WSAEMSGSIZE";
    case WSAEPROTOTYPE:
      return "WSAEPROTOTYPE";
    case WSAENOPROTOOPT:
      return "WSAENOPROTOOPT";
    case WSAEPROTONOSUPPORT:
      return "WSAEPROTONOSUPPORT";
    case WSAESOCKTNOSUPPORT:
      return "WSAESOCKTNOSUPPORT";
    case WSAEOPNOTSUPP:
      return "WSAEOPNOTSUPP";
    case WSAEAFNOSUPPORT:
      return "WSAEAFNOSUPPORT";
    case WSAEADDRINUSE:
      return "WSAEADDRINUSE";
    case WSAEADDRNOTAVAIL:
      return "WSAEADDRNOTAVAIL";
    case WSAENETDOWN:
      return "WSAENETDOWN";
    case WSAENETUNREACH:
      return "WSAENETUNREACH";
    case WSAENETRESET:
      return "WSAENETRESET";
    case WSAECONNABORTED:
      return "WSAECONNABORTED";
    case WSAECONNRESET:
      return "WSAECONNRESET";
    case WSAENOBUFS:
      return "WSAENOBUFS";
    case WSAEISCONN:
      return "WSAEISCONN";
    case WSAENOTCONN:
      return "WSAENOTCONN";
    case WSAESHUTDOWN:
      return "WSAESHUTDOWN";
    case WSAETIMEDOUT:
      return "WSAETIMEDOUT";
    case WSAECONNREFUSED:
      return "WSAECONNREFUSED";
    case WSAEHOSTDOWN:
      return "WSAEHOSTDOWN";
    case WSAEHOSTUNREACH:
      return "WSAEHOSTUNREACH";
    case WSASYSNOTREADY:
      return "WSASYSNOTREADY";
    case WSAVERNOTSUPPORTED:
      return "WSAVERNOTSUPPORTED";
    case WSANOTINITIALISED:
      return "WSANOTINITIALISED";
    case WSAHOST_NOT_FOUND:
      return "WSAHOST_NOT_FOUND";
    case WSATRY_AGAIN:
      return "WSATRY_AGAIN";
    case WSANO_RECOVERY:
      return "WSANO_RECOVERY";
    case WSANO_DATA:
      return "WSANO_DATA";
    default:
      return "unknown";
  }
}

SOCKET os(nte_sock_t s) { return static_cast<SOCKET>(s); }

int ws_startup() {
  WSADATA data;
  return WSAStartup(MAKEWORD(1, 1), &data) == 0 ? NTE_OK : NTE_ERR_WINSOCK;
}

void ws_cleanup() { WSACleanup(); }

int ws_socket(nte_sock_t* out) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  if (s == INVALID_SOCKET) return NTE_ERR_SOCKET;
  *out = static_cast<nte_sock_t>(s);
  return NTE_OK;
}

int ws_nonblock(nte_sock_t s) {
  u_long one = 1;
  return ioctlsocket(os(s), FIONBIO, &one) == 0 ? NTE_OK : NTE_ERR_NONBLOCK;
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

int ws_set_option(nte_sock_t s, int option, int value) {
  int level = 0, name = 0;
  if (!option_of(option, &level, &name)) return -1;
  return setsockopt(os(s), level, name, reinterpret_cast<const char*>(&value), sizeof value) == 0 ? 0 : -1;
}

int ws_get_option(nte_sock_t s, int option, int* value) {
  int level = 0, name = 0;
  if (!option_of(option, &level, &name)) return -1;
  int v = 0;
  int len = sizeof v;
  if (getsockopt(os(s), level, name, reinterpret_cast<char*>(&v), &len) != 0) return -1;
  *value = v;
  return 0;
}

int ws_resolve(const char* host, nte_address* out) {
  unsigned long a = inet_addr(host);
  if (a == INADDR_NONE) {
    hostent* he = gethostbyname(host);
    if (!he || he->h_addrtype != AF_INET || !he->h_addr_list || !he->h_addr_list[0] || he->h_length != 4) {
      return NTE_ERR_RESOLVE;
    }
    std::memcpy(&a, he->h_addr_list[0], 4);
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
  sa.sin_port = htons(static_cast<u_short>(port));
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

int ws_bind(nte_sock_t s, const nte_address* addr, int port) {
  sockaddr_in sa = to_sockaddr(addr, port);
  return bind(os(s), reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0 ? NTE_OK : NTE_ERR_BIND;
}

int ws_listen(nte_sock_t s, int backlog) { return listen(os(s), backlog) == 0 ? NTE_OK : NTE_ERR_LISTEN; }

int ws_connect(nte_sock_t s, const nte_address* addr, int port) {
  sockaddr_in sa = to_sockaddr(addr, port);
  if (connect(os(s), reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0) return NTE_CONNECT_DONE;
  int e = WSAGetLastError();
  if (e == WSAEWOULDBLOCK || e == WSAEINPROGRESS) return NTE_CONNECT_STARTED;
  return NTE_ERR_CONNECT;
}

int ws_local(nte_sock_t s, nte_address* out) {
  sockaddr_in sa;
  int len = sizeof sa;
  if (getsockname(os(s), reinterpret_cast<sockaddr*>(&sa), &len) != 0 || sa.sin_family != AF_INET) return -1;
  from_sockaddr(sa, out);
  return 0;
}

int ws_accept(nte_sock_t s, nte_sock_t* out, nte_address* peer) {
  sockaddr_in sa;
  int len = sizeof sa;
  SOCKET c = accept(os(s), reinterpret_cast<sockaddr*>(&sa), &len);
  if (c == INVALID_SOCKET) return WSAGetLastError() == WSAEWOULDBLOCK ? NTE_IO_AGAIN : NTE_ERR_ACCEPT;
  *out = static_cast<nte_sock_t>(c);
  if (peer) from_sockaddr(sa, peer);
  return NTE_OK;
}

int ws_recv(nte_sock_t s, void* buf, int n) {
  int r = recvfrom(os(s), static_cast<char*>(buf), n, 0, nullptr, nullptr);
  if (r == SOCKET_ERROR) return WSAGetLastError() == WSAEWOULDBLOCK ? NTE_IO_AGAIN : NTE_IO_FAILED;
  return r;
}

int ws_send(nte_sock_t s, const void* buf, int n) {
  int r = send(os(s), static_cast<const char*>(buf), n, 0);
  if (r == SOCKET_ERROR) return WSAGetLastError() == WSAEWOULDBLOCK ? NTE_IO_AGAIN : NTE_IO_FAILED;
  return r;
}

void ws_shutdown(nte_sock_t s) { shutdown(os(s), SD_BOTH); }
void ws_close(nte_sock_t s) { closesocket(os(s)); }

// Storage of one set: word 0 is the count (Winsock reads an fd_set as a
// u_int count then the sockets; a SOCKET-sized first word keeps the array
// aligned the same way), then the sockets.
struct DynamicSet {
  std::vector<SOCKET> words;
  void reset(size_t capacity) {
    if (words.size() < capacity + 1) words.resize(capacity + 1);
    words[0] = 0;
  }
  fd_set* get() { return reinterpret_cast<fd_set*>(words.data()); }
  void add(SOCKET s) {
    fd_set* f = get();
    f->fd_array[f->fd_count++] = s;
  }
  bool has(SOCKET s) {
    fd_set* f = get();
    for (u_int i = 0; i < f->fd_count; ++i) {
      if (f->fd_array[i] == s) return true;
    }
    return false;
  }
};

DynamicSet g_read, g_write, g_except;

int ws_select(nte_pollset* set) {
  size_t n = static_cast<size_t>(set->count);
  g_read.reset(n);
  g_write.reset(n);
  g_except.reset(n);
  int watched = 0;
  for (int i = 0; i < set->count; ++i) {
    nte_poll_entry& e = set->entries[i];
    e.ready = 0;
    if (!e.want) continue;
    ++watched;
    if (e.want & NTE_POLL_READ) g_read.add(os(e.sock));
    if (e.want & NTE_POLL_WRITE) g_write.add(os(e.sock));
    if (e.want & NTE_POLL_EXCEPT) g_except.add(os(e.sock));
  }
  if (watched == 0) return 0;
  timeval zero = {0, 0};
  fd_set* r = g_read.get()->fd_count ? g_read.get() : nullptr;
  fd_set* w = g_write.get()->fd_count ? g_write.get() : nullptr;
  fd_set* x = g_except.get()->fd_count ? g_except.get() : nullptr;
  int got = select(0, r, w, x, &zero);
  if (got <= 0) return got < 0 ? -1 : 0;
  int ready = 0;
  for (int i = 0; i < set->count; ++i) {
    nte_poll_entry& e = set->entries[i];
    if (!e.want) continue;
    if (r && (e.want & NTE_POLL_READ) && g_read.has(os(e.sock))) e.ready |= NTE_POLL_READ;
    if (w && (e.want & NTE_POLL_WRITE) && g_write.has(os(e.sock))) e.ready |= NTE_POLL_WRITE;
    if (x && (e.want & NTE_POLL_EXCEPT) && g_except.has(os(e.sock))) e.ready |= NTE_POLL_EXCEPT;
    if ((e.want & NTE_POLL_EXCEPT) && (e.ready & NTE_POLL_WRITE)) {
      // A pending connect shown writable has completed only when the socket
      // holds no error: some stacks report a refused connect this way too,
      // as BSD sockets always do.
      int err = 0;
      int len = sizeof err;
      if (getsockopt(os(e.sock), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len) != 0 || err != 0) {
        e.ready = NTE_POLL_EXCEPT;
      }
    }
    if (e.ready) ++ready;
  }
  return ready;
}

void ws_error_text(char* out, int cap) {
  int e = WSAGetLastError();
  std::snprintf(out, static_cast<size_t>(cap), "errno:'%s' WSAGetLastError:%d", wsa_name(e), e);
}

const nte_transport kWinsock = {
    "winsock",  ws_startup,  ws_cleanup, ws_socket,  ws_nonblock,   ws_set_option, ws_get_option,
    ws_resolve, ws_bind,     ws_listen,  ws_connect, ws_local,      ws_accept,     ws_recv,
    ws_send,    ws_shutdown, ws_close,   ws_select,  ws_error_text,
};

}  // namespace

const nte_transport* nte_os_transport() { return &kWinsock; }
