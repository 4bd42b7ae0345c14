// A tiny blocking TCP server on 127.0.0.1 for engine tests, written with
// the plain socket API of the platform (Winsock or BSD), on its own thread.
#pragma once

#include <atomic>
#include <functional>
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

// A port on 127.0.0.1 that nothing listens on: bound, read back, closed.
int closed_port();
// Platform socket start (Winsock); safe to call repeatedly.
void startup();

}  // namespace loopback
