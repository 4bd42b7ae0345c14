// A tiny blocking TCP server on 127.0.0.1 for engine tests, written with
// the plain socket API of the platform (Winsock or BSD), on its own thread.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace loopback {

// One accepted connection as the server's script sees it.
class Peer {
 public:
  explicit Peer(intptr_t s) : s_(s) {}
  // Sends all bytes; false when the connection failed.
  bool send_all(const std::string& bytes);
  // Reads up to n bytes (blocking, at most timeout_ms); "" at end of stream,
  // time-out or error.
  std::string recv_some(int n, int timeout_ms);
  // Reads exactly n bytes or fewer at end of stream / time-out.
  std::string recv_exactly(int n, int timeout_ms);
  // True when the engine closed its end within timeout_ms.
  bool wait_eof(int timeout_ms);
  void close();
  intptr_t handle() const { return s_; }

 private:
  intptr_t s_;
};

class Server {
 public:
  // Listens on 127.0.0.1, port 0; the script runs on the server's thread
  // for the first accepted connection.
  explicit Server(std::function<void(Peer&)> script);
  ~Server();
  int port() const { return port_; }
  // Waits for the script to end (bounded); false on time-out.
  bool join(int timeout_ms = 10000);
  bool done() const { return done_; }

 private:
  intptr_t listener_ = -1;
  int port_ = 0;
  std::thread thread_;
  std::atomic<bool> done_{false};
};

// A blocking connection to 127.0.0.1:port (the peer of an engine server);
// closed by the Peer's close().  An invalid Peer (send fails) when refused.
Peer Dial(int port);

// A recording relay: listens on 127.0.0.1 (port 0), and for the first
// connection it accepts dials 127.0.0.1:target and copies bytes both ways
// on its own thread, keeping what went in each direction.
class Relay {
 public:
  explicit Relay(int target);
  ~Relay();
  int port() const { return port_; }
  // Bytes from the accepted side to the target, and back.
  std::string forward() const;
  std::string backward() const;

 private:
  intptr_t listener_ = -1;
  int port_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::string forward_, backward_;
};

// A port on 127.0.0.1 that nothing listens on: bound, read back, closed.
int closed_port();
// Platform socket start (Winsock); safe to call repeatedly.
void startup();

}  // namespace loopback
