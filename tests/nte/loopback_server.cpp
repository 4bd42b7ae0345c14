#include "tests/nte/loopback_server.h"

#include <chrono>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
typedef int socklen_t;
#define CLOSE_SOCKET closesocket
#define SEND_FLAGS 0
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#define CLOSE_SOCKET ::close
#define SEND_FLAGS MSG_NOSIGNAL
#endif

namespace loopback {
namespace {

// Waits until s is readable; false on time-out.
bool wait_readable(intptr_t s, int timeout_ms) {
#ifdef _WIN32
  fd_set r;
  FD_ZERO(&r);
  FD_SET(static_cast<SOCKET>(s), &r);
  timeval tv = {timeout_ms / 1000, (timeout_ms % 1000) * 1000};
  return select(0, &r, nullptr, nullptr, &tv) > 0;
#else
  pollfd p = {static_cast<int>(s), POLLIN, 0};
  return poll(&p, 1, timeout_ms) > 0;
#endif
}

intptr_t listen_any(int* port) {
  startup();
  intptr_t s = static_cast<intptr_t>(socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(0x7F000001);
  sa.sin_port = 0;
  bind(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
  socklen_t len = sizeof sa;
  getsockname(s, reinterpret_cast<sockaddr*>(&sa), &len);
  *port = ntohs(sa.sin_port);
  return s;
}

}  // namespace

void startup() {
#ifdef _WIN32
  static bool started = false;
  if (!started) {
    WSADATA d;
    WSAStartup(MAKEWORD(2, 2), &d);
    started = true;
  }
#endif
}

bool Peer::send_all(const std::string& bytes) {
  size_t off = 0;
  while (off < bytes.size()) {
    int r = static_cast<int>(send(s_, bytes.data() + off, static_cast<int>(bytes.size() - off), SEND_FLAGS));
    if (r <= 0) return false;
    off += static_cast<size_t>(r);
  }
  return true;
}

std::string Peer::recv_some(int n, int timeout_ms) {
  if (!wait_readable(s_, timeout_ms)) return "";
  std::string buf(static_cast<size_t>(n), '\0');
  int r = static_cast<int>(recv(s_, &buf[0], n, 0));
  if (r <= 0) return "";
  buf.resize(static_cast<size_t>(r));
  return buf;
}

std::string Peer::recv_exactly(int n, int timeout_ms) {
  std::string out;
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (static_cast<int>(out.size()) < n && std::chrono::steady_clock::now() < end) {
    std::string got = recv_some(n - static_cast<int>(out.size()), 200);
    if (got.empty() && wait_readable(s_, 0)) break;  // end of stream
    out += got;
  }
  return out;
}

bool Peer::wait_eof(int timeout_ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (std::chrono::steady_clock::now() < end) {
    if (!wait_readable(s_, 100)) continue;
    char c;
    int r = static_cast<int>(recv(s_, &c, 1, 0));
    if (r <= 0) return true;
  }
  return false;
}

void Peer::close() {
  if (s_ != -1) CLOSE_SOCKET(s_);
  s_ = -1;
}

Server::Server(std::function<void(Peer&)> script) {
  listener_ = listen_any(&port_);
  listen(listener_, 4);
  thread_ = std::thread([this, script]() {
    if (wait_readable(listener_, 10000)) {
      intptr_t c = static_cast<intptr_t>(accept(listener_, nullptr, nullptr));
      Peer peer(c);
      script(peer);
      peer.close();
    }
    done_ = true;
  });
}

Server::~Server() {
  join();
  if (thread_.joinable()) thread_.join();
  CLOSE_SOCKET(listener_);
}

bool Server::join(int timeout_ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!done_ && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  if (done_ && thread_.joinable()) thread_.join();
  return done_;
}

Peer Dial(int port) {
  startup();
  intptr_t s = static_cast<intptr_t>(socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(0x7F000001);
  sa.sin_port = htons(static_cast<uint16_t>(port));
  if (connect(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
    CLOSE_SOCKET(s);
    return Peer(-1);
  }
  return Peer(s);
}

Relay::Relay(int target) {
  listener_ = listen_any(&port_);
  listen(listener_, 1);
  thread_ = std::thread([this, target]() {
    while (!stop_ && !wait_readable(listener_, 50)) {
    }
    if (stop_) return;
    intptr_t in = static_cast<intptr_t>(accept(listener_, nullptr, nullptr));
    Peer out_peer = Dial(target);
    intptr_t out = out_peer.handle();
    char buf[16384];
    bool in_open = true, out_open = out != -1;
    while (!stop_ && in_open && out_open) {
      // Whichever side has bytes: copy them on, keep them.
      bool moved = false;
      for (int dir = 0; dir < 2; ++dir) {
        intptr_t from = dir == 0 ? in : out;
        intptr_t to = dir == 0 ? out : in;
        if (!wait_readable(from, moved ? 0 : 5)) continue;
        int r = static_cast<int>(recv(from, buf, sizeof buf, 0));
        if (r <= 0) {
          (dir == 0 ? in_open : out_open) = false;
          break;
        }
        {
          std::lock_guard<std::mutex> lock(mutex_);
          (dir == 0 ? forward_ : backward_).append(buf, static_cast<size_t>(r));
        }
        Peer(to).send_all(std::string(buf, static_cast<size_t>(r)));
        moved = true;
      }
    }
    CLOSE_SOCKET(in);
    if (out != -1) CLOSE_SOCKET(out);
  });
}

Relay::~Relay() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  CLOSE_SOCKET(listener_);
}

std::string Relay::forward() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return forward_;
}

std::string Relay::backward() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return backward_;
}

int closed_port() {
  int port = 0;
  intptr_t s = listen_any(&port);
  CLOSE_SOCKET(s);
  return port;
}

}  // namespace loopback
