// The socket layer under the engine.
//
// The engine's logic (contexts, connections, the select pass) is portable;
// the few operating-system calls it needs go through one table of functions,
// the transport.  The engine has none of its own: whoever owns the sockets
// installs one with nte_set_transport() before the start (the program the
// system's, from quorl_nte's nte_os_transport(); tests an in-memory one),
// and nte_initialize() with none installed fails with -6.
//
// The nte_socket_* functions are the engine's socket layer over the
// transport: each logs its failures and stores its status as last error.
#pragma once

#include <cstdint>

#include "net/nte/nte_error.h"

// A socket value of the operating system; opaque to the engine, which never
// indexes anything by it.
typedef intptr_t nte_sock_t;
constexpr nte_sock_t NTE_INVALID_SOCKET = -1;

// An IPv4 (length 4) or IPv6 (length 16) address in network byte order and
// a port in host order.
struct nte_address {
  uint8_t bytes[16];
  int32_t length;
  uint16_t port;
};

// Socket options the engine sets.
enum nte_sockopt : int {
  NTE_SOCKOPT_KEEPALIVE = 1,
  NTE_SOCKOPT_REUSEADDR = 2,
  NTE_SOCKOPT_NODELAY = 3,
  NTE_SOCKOPT_SNDBUF = 4,
  NTE_SOCKOPT_SNDLOWAT = 5,
};

// Results of recv/send/accept besides a count: the call would block, or
// failed (details through error_text).
constexpr int NTE_IO_FAILED = -1;
constexpr int NTE_IO_AGAIN = -2;

// Results of connect.
constexpr int NTE_CONNECT_DONE = 0;
constexpr int NTE_CONNECT_STARTED = 1;

// One select pass.  Entries whose want is 0 are skipped; select() writes the
// ready bits.  NTE_POLL_EXCEPT is asked for sockets whose connect is
// pending: it reports a connect that failed.
enum : uint8_t { NTE_POLL_READ = 1, NTE_POLL_WRITE = 2, NTE_POLL_EXCEPT = 4 };
struct nte_poll_entry {
  nte_sock_t sock;
  uint8_t want;
  uint8_t ready;
};
struct nte_pollset {
  nte_poll_entry* entries;
  int count;
};

struct nte_transport {
  const char* name;
  // Starts the socket stack: 0, or -41 (start-up goes on all the same).
  int (*startup)();
  void (*cleanup)();
  // 0, or -10.
  int (*socket_create)(nte_sock_t* out);
  // 0, or -16.
  int (*set_nonblock)(nte_sock_t s);
  // 0, or -1 (the OS error stays readable through error_text).
  int (*set_option)(nte_sock_t s, int option, int value);
  int (*get_option)(nte_sock_t s, int option, int* value);
  // Dotted text or a host name to an IPv4 address: 0, or -12.
  int (*resolve)(const char* host, nte_address* out);
  // Binds to addr (any address when null) and port: 0, or -11.
  int (*bind)(nte_sock_t s, const nte_address* addr, int port);
  // 0, or -13.
  int (*listen)(nte_sock_t s, int backlog);
  // NTE_CONNECT_DONE, NTE_CONNECT_STARTED (would block), or -17.
  int (*connect)(nte_sock_t s, const nte_address* addr, int port);
  // 0, or -1.
  int (*local_address)(nte_sock_t s, nte_address* out);
  // 0 with *out and *peer set, NTE_IO_AGAIN, or -38.
  int (*accept)(nte_sock_t s, nte_sock_t* out, nte_address* peer);
  // Bytes (> 0), 0 at end of stream, NTE_IO_AGAIN, or NTE_IO_FAILED.
  int (*recv)(nte_sock_t s, void* buf, int n);
  // Bytes (> 0), NTE_IO_AGAIN, or NTE_IO_FAILED.
  int (*send)(nte_sock_t s, const void* buf, int n);
  void (*shutdown)(nte_sock_t s);
  void (*close)(nte_sock_t s);
  // Polls with a zero time-out; writes ready bits; the number of ready
  // entries or -1.
  int (*select)(nte_pollset* set);
  // "errno:'%s' WSAGetLastError:%d"-style text of the last OS error.
  void (*error_text)(char* out, int cap);
};

// The operating system's transport (defined by quorl_nte, not by the core).
const nte_transport* nte_os_transport();
// Installs the transport the next nte_initialize() starts; null removes it.
// Changing it while the engine runs is refused (-6).
int nte_set_transport(const nte_transport* transport);
// The transport installed, or null.
const nte_transport* nte_get_transport();

// Socket layer (status codes in nte_error.h).  Without a transport every
// operation fails with its own code (or does nothing).
int nte_socket_create(nte_sock_t* out);
int nte_socket_set_nonblock(nte_sock_t s);
int nte_socket_set_keepalive(nte_sock_t s);
int nte_socket_set_reuseaddr(nte_sock_t s);
int nte_socket_set_nodelay(nte_sock_t s);
// Raises SO_SNDBUF to 32768 when smaller, then reads it back: 0 or -1.
int nte_set_so_sndbuf(nte_sock_t s);
// SO_SNDLOWAT 16384, then reads it back: 0 or -1.
int nte_set_so_sndlowat(nte_sock_t s);
int nte_resolve_host(const char* host, nte_address* out);
int nte_socket_bind(nte_sock_t s, const char* host, int port);
int nte_socket_listen(nte_sock_t s);
// Resolves host and connects; "would block" counts as started.  Fills peer
// and (when it can be read) local.  NTE_CONNECT_DONE / NTE_CONNECT_STARTED,
// or -17 (the socket is closed then).
int nte_socket_connect(nte_sock_t s, const char* host, int port, nte_address* peer, nte_address* local);
int nte_socket_accept(nte_sock_t s, nte_sock_t* out, nte_address* peer, nte_address* local);
int nte_socket_recv(nte_sock_t s, void* buf, int n);
int nte_socket_send(nte_sock_t s, const void* buf, int n);
void nte_socket_close(nte_sock_t s);
void nte_socket_shutdown(nte_sock_t s);
// The last OS error as text in out (64 bytes is enough); returns out.
char* nte_os_error_text(char* out, int cap);
int nte_select(nte_pollset* set);
