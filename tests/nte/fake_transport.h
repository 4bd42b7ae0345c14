// The in-memory transport of every test that must not depend on a network:
// each fake socket has an inbox (what the engine will receive), an outbox
// (what the engine sent) and a scripted connect.  Installed with
// nte_set_transport() before the engine starts (tests/nte/engine_start.h);
// the engine's logic runs unchanged above it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "net/nte/nte_transport.h"

namespace fake {

enum class Connect { kCompletes, kPending, kFailsLater, kFailsAtOnce };

struct Socket {
  nte_sock_t id = NTE_INVALID_SOCKET;
  std::string inbox;
  std::string outbox;
  bool peer_closed = false;   // recv gives 0 once the inbox is drained
  bool recv_error = false;    // recv fails
  bool send_error = false;    // send fails
  bool send_blocked = false;  // never writable (output stays pending)
  bool connected = true;
  bool connect_failed = false;
  bool closed = false;
  bool listening = false;
  int recv_chunk = 1 << 30;  // most bytes one recv returns
  int send_chunk = 1 << 30;  // most bytes one send takes
  int recv_calls = 0;
};

// Operations made to fail, for the engine's error paths (reset by install()).
struct Faults {
  bool socket_create = false;
  bool set_nonblock = false;
  bool bind = false;
  bool listen = false;
  int refused_option = 0;  // an NTE_SOCKOPT_* that set_option refuses; 0 none
  int sndbuf = 65536;      // what get_option reports for SO_SNDBUF
};
Faults& faults();

// Resets every socket and fault and installs the fake transport (the engine
// must be stopped).
void install();
// Removes it again (no transport is installed then).
void uninstall();
// How the next connect behaves.
void next_connect(Connect how);
// The socket with this id, or null.
Socket* find(nte_sock_t id);
// The most recently created socket.
Socket* last();
// Sockets not yet closed.
int open_count();
// Drops the records of closed sockets (their pointers become invalid), so
// that a long run does not pile them up.
void forget_closed();
// A connection waiting on a listening socket (it gets a new fake socket).
Socket* queue_accept(nte_sock_t listener);
// Lets a pending connect complete or fail.
void complete_connect(Socket* s);
void fail_connect(Socket* s);

}  // namespace fake
