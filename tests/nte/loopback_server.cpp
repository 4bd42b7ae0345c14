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

int closed_port() {
  int port = 0;
  intptr_t s = listen_any(&port);
  CLOSE_SOCKET(s);
  return port;
}

}  // namespace loopback
