// An in-memory transport for engine tests: each fake socket has an inbox
// (what the engine will receive), an outbox (what the engine sent) and a
// scripted connect.  Installed with nte_set_transport() before the engine
// starts; the engine's logic runs unchanged above it.
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
  int recv_chunk = 1 << 30;   // most bytes one recv returns
  int send_chunk = 1 << 30;   // most bytes one send takes
  int recv_calls = 0;
};

// Resets every socket and installs the fake transport (engine must be stopped).
void install();
// Removes it again (the OS transport is back).
void uninstall();
// How the next connect behaves.
void next_connect(Connect how);
// The socket with this id, or null.
Socket* find(nte_sock_t id);
// The most recently created socket.
Socket* last();
// Sockets not yet closed.
int open_count();
// A connection waiting on a listening socket (it gets a new fake socket).
Socket* queue_accept(nte_sock_t listener);
// Lets a pending connect complete or fail.
void complete_connect(Socket* s);
void fail_connect(Socket* s);

}  // namespace fake
