#include "tools/httpfix/http_fixture.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace httpfix {

using fixture_net::Socket;

namespace {

constexpr size_t kMaxHead = 64 * 1024;
constexpr int kPollMs = 50;

bool EqualNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::string Trim(const std::string& s) {
  size_t b = 0;
  size_t e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

Request ParseHead(const std::string& head) {
  Request r;
  size_t pos = head.find("\r\n");
  const std::string first = head.substr(0, pos);
  const size_t a = first.find(' ');
  const size_t b = a == std::string::npos ? std::string::npos : first.find(' ', a + 1);
  r.method = first.substr(0, a);
  if (a != std::string::npos) r.target = first.substr(a + 1, b == std::string::npos ? std::string::npos : b - a - 1);
  if (b != std::string::npos) r.version = first.substr(b + 1);
  while (pos != std::string::npos) {
    const size_t start = pos + 2;
    pos = head.find("\r\n", start);
    const std::string line = head.substr(start, pos == std::string::npos ? std::string::npos : pos - start);
    if (line.empty()) break;
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    r.headers.emplace_back(Trim(line.substr(0, colon)), Trim(line.substr(colon + 1)));
  }
  return r;
}

// The path of a target; an absolute target (proxy form) loses its scheme
// and authority.
std::string PathOf(const std::string& target) {
  const size_t scheme = target.find("://");
  if (scheme == std::string::npos || target[0] == '/') return target;
  const size_t slash = target.find('/', scheme + 3);
  return slash == std::string::npos ? std::string("/") : target.substr(slash);
}

uint64_t BodySize(const Route& route) {
  return route.generatedSize > 0 ? route.generatedSize : static_cast<uint64_t>(route.body.size());
}

std::string StatusHead(int code, const char* reason, const std::string& extra) {
  char line[64];
  std::snprintf(line, sizeof line, "HTTP/1.1 %d %s\r\n", code, reason);
  return std::string(line) + extra + "Connection: close\r\n\r\n";
}

std::string LengthHeader(uint64_t n) {
  char text[64];
  std::snprintf(text, sizeof text, "Content-Length: %llu\r\n", static_cast<unsigned long long>(n));
  return text;
}

}  // namespace

std::string Request::Header(const std::string& name) const {
  for (const auto& h : headers) {
    if (EqualNoCase(h.first, name)) return h.second;
  }
  return std::string();
}

bool Request::Has(const std::string& name) const {
  for (const auto& h : headers) {
    if (EqualNoCase(h.first, name)) return true;
  }
  return false;
}

uint8_t GeneratedByte(uint64_t i) {
  // Not periodic within 64 KB blocks, so that a misplaced block shows in
  // the CRC.
  const uint32_t x = static_cast<uint32_t>(i) * 2654435761u;
  return static_cast<uint8_t>((x >> 24) ^ static_cast<uint8_t>(i >> 16));
}

std::string BasicCredentials(const std::string& user, const std::string& password) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  const std::string in = user + ":" + password;
  std::string out = "Basic ";
  size_t i = 0;
  for (; i + 2 < in.size(); i += 3) {
    const uint32_t v =
        (static_cast<uint8_t>(in[i]) << 16) | (static_cast<uint8_t>(in[i + 1]) << 8) | static_cast<uint8_t>(in[i + 2]);
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  if (i < in.size()) {
    uint32_t v = static_cast<uint8_t>(in[i]) << 16;
    if (i + 1 < in.size()) v |= static_cast<uint8_t>(in[i + 1]) << 8;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += i + 1 < in.size() ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

bool HttpFixture::Start() {
  if (m_listener != fixture_net::kInvalidSocket) return true;
  m_listener = fixture_net::ListenLoopback(0, &m_port);
  if (m_listener == fixture_net::kInvalidSocket) return false;
  m_stop = false;
  m_acceptThread = std::thread([this] { AcceptLoop(); });
  return true;
}

void HttpFixture::Stop() {
  if (m_listener == fixture_net::kInvalidSocket) return;
  m_stop = true;
  if (m_acceptThread.joinable()) m_acceptThread.join();
  std::vector<std::thread> workers;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    workers.swap(m_workers);
  }
  for (auto& t : workers) t.join();
  fixture_net::Close(m_listener);
  m_listener = fixture_net::kInvalidSocket;
}

std::string HttpFixture::Url(const std::string& path) const { return "http://" + HostPort() + path; }

std::string HttpFixture::HostPort() const { return "127.0.0.1:" + std::to_string(m_port); }

void HttpFixture::Set(const std::string& path, Route route) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_routes[path] = std::move(route);
}

std::vector<Request> HttpFixture::Requests() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_requests;
}

void HttpFixture::ClearRequests() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_requests.clear();
}

Route HttpFixture::Lookup(const std::string& target) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  const std::string path = PathOf(target);
  auto it = m_routes.find(path);
  if (it == m_routes.end()) it = m_routes.find(path.substr(0, path.find('?')));
  if (it != m_routes.end()) return it->second;
  Route missing;
  missing.answer = Answer::kNotFound;
  return missing;
}

void HttpFixture::AcceptLoop() {
  while (!m_stop) {
    std::vector<fixture_net::PollItem> items{{m_listener, true, false, false, false}};
    if (fixture_net::Poll(items, kPollMs) <= 0 || !items[0].readable) continue;
    const Socket s = fixture_net::Accept(m_listener);
    if (s == fixture_net::kInvalidSocket) continue;
    ++m_connections;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_workers.emplace_back([this, s] { Serve(s); });
  }
}

void HttpFixture::Pause(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!m_stop && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, 10)));
  }
}

bool HttpFixture::ReadHead(Socket s, std::string& head) {
  char buf[4096];
  while (!m_stop && head.size() < kMaxHead) {
    const int n = fixture_net::Recv(s, buf, sizeof buf);
    if (n > 0) {
      head.append(buf, static_cast<size_t>(n));
      const size_t end = head.find("\r\n\r\n");
      if (end != std::string::npos) {
        head.resize(end + 4);
        return true;
      }
      continue;
    }
    if (n != fixture_net::kWouldBlock) return false;
    std::vector<fixture_net::PollItem> items{{s, true, false, false, false}};
    fixture_net::Poll(items, kPollMs);
  }
  return false;
}

bool HttpFixture::SendAll(Socket s, const char* data, size_t n) {
  while (n > 0) {
    if (m_stop) return false;
    const int chunk = static_cast<int>(std::min<size_t>(n, 1 << 20));
    const int sent = fixture_net::Send(s, data, chunk);
    if (sent > 0) {
      data += sent;
      n -= static_cast<size_t>(sent);
      continue;
    }
    if (sent != fixture_net::kWouldBlock) return false;
    std::vector<fixture_net::PollItem> items{{s, false, true, false, false}};
    fixture_net::Poll(items, kPollMs);
  }
  return true;
}

bool HttpFixture::SendBody(Socket s, const Route& route, uint64_t from, uint64_t to) {
  if (route.generatedSize == 0) {
    return from >= to || SendAll(s, route.body.data() + from, static_cast<size_t>(to - from));
  }
  std::vector<char> block(64 * 1024);
  while (from < to) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(block.size(), to - from));
    for (size_t i = 0; i < n; ++i) block[i] = static_cast<char>(GeneratedByte(from + i));
    if (!SendAll(s, block.data(), n)) return false;
    from += n;
  }
  return true;
}

bool HttpFixture::SendChunked(Socket s, const Route& route) {
  const uint64_t size = BodySize(route);
  // Uneven chunk sizes, so that a reader that assumes a fixed size fails.
  uint64_t at = 0;
  size_t step = 1000;
  while (at < size) {
    const uint64_t n = std::min<uint64_t>(step, size - at);
    char line[32];
    std::snprintf(line, sizeof line, "%llx\r\n", static_cast<unsigned long long>(n));
    if (!SendAll(s, line, std::strlen(line)) || !SendBody(s, route, at, at + n) || !SendAll(s, "\r\n", 2)) {
      return false;
    }
    at += n;
    step = step == 1000 ? 3333 : 1000;
  }
  return SendAll(s, "0\r\n\r\n", 5);
}

void HttpFixture::WaitForEnd(Socket s) {
  char buf[512];
  while (!m_stop) {
    const int n = fixture_net::Recv(s, buf, sizeof buf);
    if (n == 0 || n == fixture_net::kError) return;
    if (n == fixture_net::kWouldBlock) {
      std::vector<fixture_net::PollItem> items{{s, true, false, false, false}};
      fixture_net::Poll(items, kPollMs);
    }
  }
}

void HttpFixture::Serve(Socket s) {
  std::string head;
  if (!ReadHead(s, head)) {
    fixture_net::Close(s);
    return;
  }
  Request request = ParseHead(head);
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_requests.push_back(request);
  }
  const Route route = Lookup(request.target);
  const uint64_t size = BodySize(route);
  const uint64_t half = size / 2;
  const std::string binary = "Content-Type: application/octet-stream\r\n";
  bool reset = false;
  switch (route.answer) {
    case Answer::kOk: {
      const std::string h = StatusHead(200, "OK", binary + LengthHeader(size));
      if (SendAll(s, h.data(), h.size())) SendBody(s, route, 0, size);
      break;
    }
    case Answer::kOkNoLength: {
      const std::string h = StatusHead(200, "OK", binary);
      if (SendAll(s, h.data(), h.size())) SendBody(s, route, 0, size);
      break;
    }
    case Answer::kChunked: {
      const std::string h = StatusHead(200, "OK", binary + "Transfer-Encoding: chunked\r\n");
      if (SendAll(s, h.data(), h.size())) SendChunked(s, route);
      break;
    }
    case Answer::kUnauthorized: {
      const std::string body = "authorization required";
      const std::string h =
          StatusHead(401, "Unauthorized", "WWW-Authenticate: Basic realm=\"files\"\r\n" + LengthHeader(body.size()));
      if (SendAll(s, h.data(), h.size())) SendAll(s, body.data(), body.size());
      break;
    }
    case Answer::kNotFound:
    case Answer::kServerError: {
      const bool missing = route.answer == Answer::kNotFound;
      const std::string body = missing ? "not found" : "server error";
      const std::string h =
          StatusHead(missing ? 404 : 500, missing ? "Not Found" : "Internal Server Error", LengthHeader(body.size()));
      if (SendAll(s, h.data(), h.size())) SendAll(s, body.data(), body.size());
      break;
    }
    case Answer::kCutShort: {
      const std::string h = StatusHead(200, "OK", binary + LengthHeader(size));
      if (SendAll(s, h.data(), h.size())) SendBody(s, route, 0, half);
      break;
    }
    case Answer::kLonger: {
      const std::string h = StatusHead(200, "OK", binary + LengthHeader(half));
      if (SendAll(s, h.data(), h.size())) SendBody(s, route, 0, size);
      break;
    }
    case Answer::kStallHeaders:
      WaitForEnd(s);
      break;
    case Answer::kStallBody: {
      const std::string h = StatusHead(200, "OK", binary + LengthHeader(size));
      if (SendAll(s, h.data(), h.size()) && SendBody(s, route, 0, half)) WaitForEnd(s);
      break;
    }
    case Answer::kTrickle: {
      const std::string h = StatusHead(200, "OK", binary + LengthHeader(size));
      if (!SendAll(s, h.data(), h.size())) break;
      const uint64_t step = static_cast<uint64_t>(std::max(1, route.trickleBytes));
      for (uint64_t at = 0; at < size && !m_stop; at += step) {
        if (!SendBody(s, route, at, std::min(size, at + step))) break;
        Pause(route.trickleDelayMs);
      }
      break;
    }
    case Answer::kEndless: {
      const std::string h = StatusHead(200, "OK", binary);
      if (!SendAll(s, h.data(), h.size())) break;
      Route generated;
      generated.generatedSize = UINT64_MAX;
      const uint64_t step = static_cast<uint64_t>(std::max(1, route.trickleBytes));
      for (uint64_t at = 0; !m_stop; at += step) {
        if (!SendBody(s, generated, at, at + step)) break;
        Pause(route.trickleDelayMs);
      }
      break;
    }
    case Answer::kReset: {
      const std::string h = StatusHead(200, "OK", binary + LengthHeader(size));
      if (SendAll(s, h.data(), h.size())) SendBody(s, route, 0, half);
      // Let the client take what was sent before the reset throws it away.
      Pause(100);
      reset = true;
      break;
    }
    case Answer::kResetAtOnce:
      reset = true;
      break;
    case Answer::kProxyAuth: {
      if (request.Header("Proxy-Authorization") == BasicCredentials(route.user, route.password)) {
        const std::string h = StatusHead(200, "OK", binary + LengthHeader(size));
        if (SendAll(s, h.data(), h.size())) SendBody(s, route, 0, size);
      } else {
        const std::string body = "proxy authorization required";
        const std::string h = StatusHead(407, "Proxy Authentication Required",
                                         "Proxy-Authenticate: Basic realm=\"proxy\"\r\n" + LengthHeader(body.size()));
        if (SendAll(s, h.data(), h.size())) SendAll(s, body.data(), body.size());
      }
      break;
    }
  }
  if (reset) {
    fixture_net::Reset(s);
    return;
  }
  // An orderly end: the client reads to the close, then both sides go.
  fixture_net::ShutdownSend(s);
  WaitForEnd(s);
  fixture_net::Close(s);
}

}  // namespace httpfix
