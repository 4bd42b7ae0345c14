// Arbitrary bytes through the real client and server steps of the key
// exchange, fed in pieces as a socket would deliver them.
//
// Input: byte 0 picks the side (bit 0: server) and the piece size (the
// other bits); the rest is what the peer sent.  Invariants: results only
// among the listed codes, states only 0, 1 and 999, and a connection keyed
// only after a complete message that an independent check (libcrypto)
// finds valid.  The sanitizers watch every read.
//
// The engine, both contexts and the exponents are set up once; each input
// costs one connection taken from and given back to the pools.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "net/nte/nte.h"
#include "net/nte/nte_keyex.h"
#include "net/nte/nte_records.h"
#include "tests/nte/crypto_oracle.h"
#include "tests/nte/engine_start.h"
#include "tests/nte/fake_transport.h"

namespace {

constexpr int kKeyLength = 16;
constexpr char kExponent[] = "0f1e2d3c4b5a69788796a5b4c3d2e1f00f1e2d3c";
tcpcontext* g_client = nullptr;
tcpcontext* g_server = nullptr;

void check(bool ok) {
  if (!ok) std::abort();
}

int exponent(int, char* out, int size) { return nte_copy_bounded(out, size, kExponent) ? -1 : 0; }
void quiet(void*, const char*) {}

void set_up_once() {
  nte_set_log_sink(quiet, nullptr);
  if (nte_test::StartEngine(nte_test::Transport::kFake, 2, 2) != 0) std::abort();
  nte_set_exponent_source(exponent);
  g_client = nte_tcpcontext_create(0, nullptr, 0, 1, 2048, 2048, 600, NTE_CIPHER_BLOWFISH, kKeyLength, 1, 0, 0);
  g_server = nte_tcpcontext_create(1, "127.0.0.1", 0, 1, 2048, 2048, 600, NTE_CIPHER_BLOWFISH, kKeyLength, 0, 0, 0);
  check(g_client && g_server);
}

// A text the peer may use: hexadecimal throughout, 2 <= value <= p - 2.
bool valid_value(const std::string& v, const std::string& p) {
  if (v.empty() || p.empty()) return false;
  for (char c : v + p) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  BIGNUM* bv = nullptr;
  BIGNUM* bp = nullptr;
  BN_hex2bn(&bv, v.c_str());
  BN_hex2bn(&bp, p.c_str());
  BN_sub_word(bp, 2);
  const bool ok = BN_cmp(bv, BN_value_one()) > 0 && BN_cmp(bv, bp) <= 0;
  BN_free(bv);
  BN_free(bp);
  return ok;
}

// The length of the complete, valid message at the front of in, or 0.
size_t valid_reply(const std::string& in) {
  if (in.size() < 16 || oracle::ReadBe32(in, 0) != 0) return 0;
  size_t at = 4;
  std::string texts[3];
  for (std::string& t : texts) {
    if (in.size() - at < 4) return 0;
    const uint32_t n = oracle::ReadBe32(in, at);
    if (n > 510 || in.size() - at - 4 < n) return 0;
    t = in.substr(at + 4, n);
    at += 4 + n;
  }
  if (texts[0].size() > 15 || !valid_value(texts[0], texts[1]) || !valid_value(texts[2], texts[1])) return 0;
  return at;
}

size_t valid_hello_and_answer(const std::string& in) {
  if (in.size() < 12 || in.substr(0, 8) != oracle::Hello(0, kKeyLength)) return 0;
  const uint32_t n = oracle::ReadBe32(in, 8);
  if (n > 510 || in.size() - 12 < n) return 0;
  return valid_value(in.substr(12, n), oracle::SkipPrime()) ? 12 + n : 0;
}

bool allowed(int r) { return r == 0 || r == -1 || r == -2 || r == -3 || r == -18 || r == -19; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool started = false;
  if (!started) {
    set_up_once();
    started = true;
  }
  if (size < 1) return 0;
  const bool server = data[0] & 1;
  const size_t piece = 1 + (data[0] >> 1) * 9;
  const std::string in(reinterpret_cast<const char*>(data + 1), size - 1);
  nte_sock_t s = NTE_INVALID_SOCKET;
  check(nte_socket_create(&s) == 0);
  nte_conn_handle h = nte_internal::conn_attach(server ? g_server : g_client, s, nullptr, nullptr, 1, server ? 1 : 0);
  check(h.conn != nullptr);
  conn_t* c = h.conn;
  if (!server) check(keyex_start_client(c) == 0);
  nte_sbuf_shift(&c->ewbuf, nullptr, nte_sbuf_get_use(&c->ewbuf));
  size_t fed = 0;
  int r = 0;
  while (c->keyex_state != NTE_KEYEX_DONE) {
    const size_t room = static_cast<size_t>(nte_sbuf_get_rest(&c->erbuf));
    const size_t n = std::min({piece, in.size() - fed, room});
    if (n > 0) nte_sbuf_push(&c->erbuf, in.data() + fed, static_cast<int>(n));
    fed += n;
    const int before = nte_sbuf_get_use(&c->erbuf);
    r = server ? nte_keyex_server(c) : nte_keyex_client(c);
    check(allowed(r));
    check(c->keyex_state == 0 || c->keyex_state == 1 || c->keyex_state == NTE_KEYEX_DONE);
    if (r < 0) break;
    if (n == 0 && nte_sbuf_get_use(&c->erbuf) == before) break;  // waiting for bytes that never come
  }
  if (c->keyex_state == NTE_KEYEX_DONE) {
    const size_t consumed = fed - static_cast<size_t>(nte_sbuf_get_use(&c->erbuf));
    check(consumed == (server ? valid_hello_and_answer(in) : valid_reply(in)));
    check(consumed > 0);
  } else {
    // Not keyed: no key material, whatever happened.
    static const uint8_t zero[NTE_KEY_MAX] = {};
    check(std::memcmp(c->send_key, zero, sizeof zero) == 0 || r < 0);
  }
  nte_internal::conn_free(c, 0, 0);
  fake::forget_closed();
  return 0;
}
