#include "tests/nte/fake_transport.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <memory>

namespace fake {
namespace {

std::map<nte_sock_t, std::unique_ptr<Socket>> g_sockets;
std::map<nte_sock_t, std::deque<nte_sock_t>> g_backlog;
nte_sock_t g_next_id = 100;
nte_sock_t g_last = NTE_INVALID_SOCKET;
Connect g_next_connect = Connect::kCompletes;
Faults g_faults;

Socket* make() {
  auto s = std::make_unique<Socket>();
  s->id = g_next_id++;
  Socket* raw = s.get();
  g_sockets[raw->id] = std::move(s);
  g_last = raw->id;
  return raw;
}

int f_startup() { return NTE_OK; }
void f_cleanup() {}
int f_socket(nte_sock_t* out) {
  if (g_faults.socket_create) return NTE_ERR_SOCKET;
  *out = make()->id;
  return NTE_OK;
}
int f_nonblock(nte_sock_t) { return g_faults.set_nonblock ? NTE_ERR_NONBLOCK : NTE_OK; }
int f_set_option(nte_sock_t, int option, int) {
  return option == NTE_SOCKOPT_SNDLOWAT || option == g_faults.refused_option ? -1 : 0;
}
int f_get_option(nte_sock_t, int option, int* value) {
  *value = option == NTE_SOCKOPT_SNDBUF ? g_faults.sndbuf : 1;
  return 0;
}
int f_resolve(const char* host, nte_address* out) {
  if (std::strcmp(host, "no.such.host") == 0) return NTE_ERR_RESOLVE;
  std::memset(out, 0, sizeof *out);
  out->bytes[0] = 127;
  out->bytes[3] = 1;
  out->length = 4;
  return NTE_OK;
}
int f_bind(nte_sock_t, const nte_address*, int) { return g_faults.bind ? NTE_ERR_BIND : NTE_OK; }
int f_listen(nte_sock_t s, int) {
  if (g_faults.listen) return NTE_ERR_LISTEN;
  find(s)->listening = true;
  return NTE_OK;
}
int f_connect(nte_sock_t id, const nte_address*, int) {
  Socket* s = find(id);
  switch (g_next_connect) {
    case Connect::kCompletes:
      s->connected = true;
      return NTE_CONNECT_STARTED;
    case Connect::kPending:
      s->connected = false;
      return NTE_CONNECT_STARTED;
    case Connect::kFailsLater:
      s->connected = false;
      s->connect_failed = true;
      return NTE_CONNECT_STARTED;
    case Connect::kFailsAtOnce:
      return NTE_ERR_CONNECT;
  }
  return NTE_ERR_CONNECT;
}
int f_local(nte_sock_t, nte_address* out) {
  std::memset(out, 0, sizeof *out);
  out->bytes[0] = 127;
  out->bytes[3] = 1;
  out->length = 4;
  out->port = 50000;
  return 0;
}
int f_accept(nte_sock_t listener, nte_sock_t* out, nte_address* peer) {
  auto& q = g_backlog[listener];
  if (q.empty()) return NTE_IO_AGAIN;
  *out = q.front();
  q.pop_front();
  f_local(*out, peer);
  peer->port = 40000;
  return NTE_OK;
}
int f_recv(nte_sock_t id, void* buf, int n) {
  Socket* s = find(id);
  ++s->recv_calls;
  if (s->recv_error) return NTE_IO_FAILED;
  if (s->inbox.empty()) return s->peer_closed ? 0 : NTE_IO_AGAIN;
  int k = std::min<int>({n, static_cast<int>(s->inbox.size()), s->recv_chunk});
  std::memcpy(buf, s->inbox.data(), static_cast<size_t>(k));
  s->inbox.erase(0, static_cast<size_t>(k));
  return k;
}
int f_send(nte_sock_t id, const void* buf, int n) {
  Socket* s = find(id);
  if (s->send_error) return NTE_IO_FAILED;
  int k = std::min(n, s->send_chunk);
  s->outbox.append(static_cast<const char*>(buf), static_cast<size_t>(k));
  return k;
}
void f_shutdown(nte_sock_t) {}
void f_close(nte_sock_t id) {
  if (Socket* s = find(id)) s->closed = true;
}
int f_select(nte_pollset* set) {
  int ready = 0;
  for (int i = 0; i < set->count; ++i) {
    nte_poll_entry& e = set->entries[i];
    e.ready = 0;
    if (!e.want) continue;
    Socket* s = find(e.sock);
    if (!s || s->closed) continue;
    if (s->listening) {
      if ((e.want & NTE_POLL_READ) && !g_backlog[s->id].empty()) e.ready |= NTE_POLL_READ;
    } else if (!s->connected) {
      if (s->connect_failed && (e.want & NTE_POLL_EXCEPT)) e.ready |= NTE_POLL_EXCEPT;
    } else {
      if ((e.want & NTE_POLL_READ) && (!s->inbox.empty() || s->peer_closed || s->recv_error)) e.ready |= NTE_POLL_READ;
      if ((e.want & NTE_POLL_WRITE) && !s->send_blocked) e.ready |= NTE_POLL_WRITE;
    }
    if (e.ready) ++ready;
  }
  return ready;
}
void f_error_text(char* out, int cap) {
  std::snprintf(out, static_cast<size_t>(cap), "errno:'fake' WSAGetLastError:0");
}

const nte_transport kFake = {
    "fake",    f_startup,  f_cleanup, f_socket,  f_nonblock,   f_set_option, f_get_option,
    f_resolve, f_bind,     f_listen,  f_connect, f_local,      f_accept,     f_recv,
    f_send,    f_shutdown, f_close,   f_select,  f_error_text,
};

}  // namespace

void install() {
  g_sockets.clear();
  g_backlog.clear();
  g_next_id = 100;
  g_last = NTE_INVALID_SOCKET;
  g_next_connect = Connect::kCompletes;
  g_faults = Faults();
  nte_set_transport(&kFake);
}

Faults& faults() { return g_faults; }

void uninstall() { nte_set_transport(nullptr); }

void next_connect(Connect how) { g_next_connect = how; }

Socket* find(nte_sock_t id) {
  auto it = g_sockets.find(id);
  return it == g_sockets.end() ? nullptr : it->second.get();
}

Socket* last() { return find(g_last); }

int open_count() {
  int n = 0;
  for (auto& kv : g_sockets) n += kv.second->closed ? 0 : 1;
  return n;
}

void forget_closed() {
  for (auto it = g_sockets.begin(); it != g_sockets.end();) {
    if (it->second->closed) {
      g_backlog.erase(it->first);
      it = g_sockets.erase(it);
    } else {
      ++it;
    }
  }
}

Socket* queue_accept(nte_sock_t listener) {
  Socket* s = make();
  g_backlog[listener].push_back(s->id);
  return s;
}

void complete_connect(Socket* s) {
  s->connected = true;
  s->connect_failed = false;
}

void fail_connect(Socket* s) { s->connect_failed = true; }

}  // namespace fake
