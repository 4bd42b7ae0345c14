// An HTTP/1.1 server for tests, on 127.0.0.1 and a free port, run inside
// the test program (natively and under Wine).  Each path gets a scripted
// answer, good or faulty; every request head it receives is recorded.
// It answers one request per connection ("Connection: close") and also
// takes absolute targets ("GET http://host:port/path"), so that it can
// stand in for a proxy.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tools/fixture/fixture_socket.h"

namespace httpfix {

enum class Answer {
  kOk,            // 200 with Content-Length
  kOkNoLength,    // 200, the body ends where the connection closes
  kChunked,       // 200, Transfer-Encoding: chunked
  kUnauthorized,  // 401 with WWW-Authenticate: Basic
  kNotFound,      // 404
  kServerError,   // 500
  kCutShort,      // Content-Length of the whole body, half of it sent, then closed
  kLonger,        // Content-Length of half the body, the whole body sent
  kStallHeaders,  // the request is read and never answered
  kStallBody,     // headers and half the body, then silence
  kTrickle,       // the body in small pieces with pauses
  kReset,         // headers and half the body, then a reset
  kResetAtOnce,   // a reset right after the request
  kProxyAuth,     // a proxy that wants Basic credentials: 407 without them
  kEndless,       // 200 without a length, GeneratedByte from 0 on in small
                  // pieces with pauses, until the client goes
};

struct Route {
  Answer answer = Answer::kOk;
  std::string body;
  // When above 0 the body is this many bytes of GeneratedByte (for large
  // bodies that are never held in memory).
  uint64_t generatedSize = 0;
  int trickleBytes = 512;
  int trickleDelayMs = 20;
  // kProxyAuth: the credentials it accepts.
  std::string user;
  std::string password;
};

struct Request {
  std::string method;
  std::string target;
  std::string version;
  std::vector<std::pair<std::string, std::string>> headers;
  // The value of a header (names compare case-insensitively); "" if absent.
  std::string Header(const std::string& name) const;
  bool Has(const std::string& name) const;
};

// Byte i of a generated body.
uint8_t GeneratedByte(uint64_t i);
// "Basic " and the base64 of user ":" password.
std::string BasicCredentials(const std::string& user, const std::string& password);

class HttpFixture {
 public:
  HttpFixture() = default;
  ~HttpFixture() { Stop(); }
  HttpFixture(const HttpFixture&) = delete;
  HttpFixture& operator=(const HttpFixture&) = delete;

  // Listens on 127.0.0.1 and a free port; false when it cannot.
  bool Start();
  // Ends every connection (stalled ones included) and waits for them.
  void Stop();
  uint16_t Port() const { return m_port; }
  // "http://127.0.0.1:<port>" + path.
  std::string Url(const std::string& path) const;
  // "127.0.0.1:<port>", for use as a proxy.
  std::string HostPort() const;

  // The answer for a path (the target's path, query included; a path not
  // set answers 404).
  void Set(const std::string& path, Route route);
  std::vector<Request> Requests() const;
  void ClearRequests();
  // Connections accepted so far.
  int Connections() const { return m_connections.load(); }

 private:
  void AcceptLoop();
  void Serve(fixture_net::Socket s);
  bool ReadHead(fixture_net::Socket s, std::string& head);
  bool SendAll(fixture_net::Socket s, const char* data, size_t n);
  bool SendBody(fixture_net::Socket s, const Route& route, uint64_t from, uint64_t to);
  bool SendChunked(fixture_net::Socket s, const Route& route);
  // Waits until the fixture stops or the peer goes away.
  void WaitForEnd(fixture_net::Socket s);
  void Pause(int ms);
  Route Lookup(const std::string& target) const;

  fixture_net::Socket m_listener = fixture_net::kInvalidSocket;
  uint16_t m_port = 0;
  std::atomic<bool> m_stop{false};
  std::atomic<int> m_connections{0};
  std::thread m_acceptThread;
  mutable std::mutex m_mutex;  // routes, requests, workers
  std::map<std::string, Route> m_routes;
  std::vector<Request> m_requests;
  std::vector<std::thread> m_workers;
};

}  // namespace httpfix
