// The encrypted stream's speed beside the plain framing's, in one run:
//   - cipher cores over a 4 KB buffer against libcrypto's raw ECB;
//   - records/s and MB/s of 16 B, 256 B and 4 KB bodies (16-bit framing,
//     36,864-byte buffers, 10 records per pass) through the real engine pass
//     over the fake transport, Blowfish and Rijndael, send and receive,
//     against the plain framing and libcrypto's raw ECB over the same bytes;
//   - full key exchanges per second against a bare loop of the four
//     BN_mod_exp calls they contain.
// Each figure is the best of five timed runs; the goals are printed beside
// the ratios (held under Wine, where both sides are portable C).
#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "net/nte/nte.h"
#include "net/nte/nte_blowfish.h"
#include "net/nte/nte_keyex.h"
#include "net/nte/nte_records.h"
#include "net/nte/nte_rijndael.h"
#include "tests/nte/crypto_oracle.h"
#include "tests/nte/engine_start.h"
#include "tests/nte/fake_transport.h"
#include "tests/support/bench_clock.h"

namespace {

using test_support::BenchNowNs;
using test_support::FormatRatio;
const char kSecret[] = "C0FFEE00112233445566778899AABBCCDDEEFF0123456789ABCDEF0011223344";
constexpr int kBuffer = 36864;

// Picoseconds per call of fn (a call can take less than a nanosecond's
// worth of resolution), the best of five runs of at least min_ns.
int64_t per_call(const std::function<void()>& fn, int64_t min_ns = 200000000) {
  int64_t best = INT64_MAX;
  for (int round = 0; round < 5; ++round) {
    int64_t calls = 0;
    const int64_t t0 = BenchNowNs();
    int64_t elapsed = 0;
    do {
      fn();
      ++calls;
      elapsed = BenchNowNs() - t0;
    } while (elapsed < min_ns);
    best = std::min(best, elapsed * 1000 / calls);
  }
  return best;
}

// Whole calls per second of ps per call.
int64_t per_second(int64_t ps) { return ps > 0 ? 1000000000000 / ps : 0; }

// Decimal megabytes per second of bytes per ps, one call.
std::string mb_per_second(int64_t bytes, int64_t ps) { return FormatRatio(bytes * 1000000, ps); }

// The ratio a / b against a goal in tenths.
void verdict(const char* what, int64_t a, int64_t b, int goal_tenths) {
  const bool ok = b > 0 && a * 10 >= goal_tenths * b;
  std::printf("  %-58s %6sx  (goal >= %d.%dx) %s\n", what, FormatRatio(a, b).c_str(), goal_tenths / 10,
              goal_tenths % 10, ok ? "ok" : "BELOW");
}

// --- cipher cores ----------------------------------------------------------

void cores() {
  std::printf("cipher cores over 4 KB\n");
  std::string buf(4096, '\x5a');
  uint8_t* p = reinterpret_cast<uint8_t*>(&buf[0]);
  const oracle::Bytes key = oracle::KeyFromSecret(kSecret, 16);
  const uint8_t* k = reinterpret_cast<const uint8_t*>(key.data());

  blowfish_state bf;
  blowfish_initialize(&bf, k, 16);
  const int64_t ours_bf = per_call([&] { blowfish_ecb_le(&bf, p, 4096, 1); });
  BF_KEY ref_bf;
  BF_set_key(&ref_bf, 16, k);
  const oracle::Encoder bf_oracle(oracle::Cipher::kBlowfish, key);
  const int64_t ref_bf_t = per_call([&] { bf_oracle.Crypt(&buf, true); });
  std::printf("  Blowfish  ours %9s MB/s   libcrypto (with the swaps) %9s MB/s\n", mb_per_second(4096, ours_bf).c_str(),
              mb_per_second(4096, ref_bf_t).c_str());
  verdict("Blowfish core vs libcrypto", ref_bf_t, ours_bf, 8);

  keyInstance ki;
  cipherInstance ci;
  makeKey(&ki, RIJNDAEL_DIR_ENCRYPT, 128, oracle::ToHex(key).c_str());
  cipherInit(&ci, RIJNDAEL_MODE_ECB, nullptr);
  const int64_t ours_aes = per_call([&] { blockEncrypt(&ci, &ki, p, 4096 * 8, p); });
  AES_KEY aes;
  AES_set_encrypt_key(k, 128, &aes);
  const int64_t ref_aes = per_call([&] {
    for (size_t i = 0; i < 4096; i += 16) AES_ecb_encrypt(p + i, p + i, &aes, AES_ENCRYPT);
  });
  std::printf("  Rijndael  ours %9s MB/s   libcrypto AES_ecb_encrypt  %9s MB/s\n",
              mb_per_second(4096, ours_aes).c_str(), mb_per_second(4096, ref_aes).c_str());
  verdict("Rijndael core vs libcrypto", ref_aes, ours_aes, 8);
}

// --- records through the engine pass -----------------------------------------

long g_records = 0;
int on_record(conn_t*, uint32_t, const uint8_t*, int) {
  ++g_records;
  return 0;
}

struct Kind {
  const char* name;
  int flags;
  oracle::Cipher cipher;
};

conn_t* keyed_connection(tcpcontext* ctx) {
  nte_conn_handle h = tcpcontext_connect(ctx, "127.0.0.1", 9070);
  nte_heartbeat();
  nte_heartbeat();
  if (ctx->cipher_flags) {
    nte_conn_set_keys(h.conn, kSecret);
    h.conn->keyex_state = NTE_KEYEX_DONE;
    nte_sbuf_shift(&h.conn->ewbuf, nullptr, nte_sbuf_get_use(&h.conn->ewbuf));
    fake::find(h.conn->sock)->outbox.clear();
  }
  return h.conn;
}

tcpcontext* context(int flags) {
  tcpcontext* ctx = nte_tcpcontext_create(0, nullptr, 0, 1, kBuffer, kBuffer, 600, flags, 16, 1, 0, 4);
  nte_tcpcontext_set_conn_parser(ctx, nte_parser_u16_length, on_record);
  nte_tcpcontext_set_records_per_pass(ctx, 10);
  return ctx;
}

std::string frame(int body) {
  std::string f;
  f += static_cast<char>(body >> 8);
  f += static_cast<char>(body & 0xFF);
  return f + std::string(static_cast<size_t>(body), 'r');
}

// Picoseconds per record received: the peer's records handed over a batch at a
// time; each frame in a record of its own, as a peer sending one message
// per pass would.
int64_t receive(const Kind& kind, int body) {
  tcpcontext* ctx = context(kind.flags);
  conn_t* c = keyed_connection(ctx);
  fake::Socket* s = fake::find(c->sock);
  const oracle::Encoder enc(kind.cipher, oracle::KeyFromSecret(kSecret, 16));
  const std::string one = kind.flags ? enc.Record(frame(body)) : frame(body);
  std::string batch;
  const int per_batch = std::max(1, 65536 / static_cast<int>(one.size()));
  for (int i = 0; i < per_batch; ++i) batch += one;
  const int64_t t = per_call([&] {
    g_records = 0;
    s->inbox = batch;
    while (g_records < per_batch) nte_heartbeat();
  });
  nte_tcpcontext_cleanup(ctx);
  return t / per_batch;
}

// Picoseconds per record sent: frames queued while they fit, passes drain them.
int64_t send(const Kind& kind, int body) {
  tcpcontext* ctx = context(kind.flags);
  conn_t* c = keyed_connection(ctx);
  const uint32_t serial = c->serial;
  fake::Socket* s = fake::find(c->sock);
  const std::string payload(static_cast<size_t>(body), 's');
  const int per_round = std::max(1, 65536 / (body + 2));
  const int64_t t = per_call([&] {
    int sent = 0;
    while (sent < per_round) {
      if (nte_send_u16_length(c, serial, payload.data(), body) > 0)
        ++sent;
      else
        nte_heartbeat();
    }
    while (nte_conn_pending_output(c, serial) > 0) nte_heartbeat();
    s->outbox.clear();
  });
  nte_tcpcontext_cleanup(ctx);
  return t / per_round;
}

// Picoseconds for libcrypto's raw ECB over the bytes one record of this body
// enciphers.
int64_t raw_ecb(oracle::Cipher cipher, int body) {
  const int block = cipher == oracle::Cipher::kBlowfish ? 8 : 16;
  const int padded = block * ((body + 2) / block + 1);
  std::string bytes(static_cast<size_t>(padded), '\x33');
  const oracle::Encoder enc(cipher, oracle::KeyFromSecret(kSecret, 16));
  return per_call([&] { enc.Crypt(&bytes, true); }, 100000000);
}

void records() {
  const Kind plain = {"plain", 0, oracle::Cipher::kBlowfish};
  const Kind kinds[] = {{"Blowfish", NTE_CIPHER_BLOWFISH, oracle::Cipher::kBlowfish},
                        {"Rijndael", NTE_CIPHER_RIJNDAEL, oracle::Cipher::kRijndael}};
  std::printf("records through the engine pass (16-bit framing, %d-byte buffers, 10 records per pass)\n", kBuffer);
  for (int body : {16, 256, 4096}) {
    const int64_t plain_rx = receive(plain, body), plain_tx = send(plain, body);
    std::printf("  body %4d B  plain     receive %9" PRId64 " rec/s %9s MB/s   send %9" PRId64 " rec/s %9s MB/s\n",
                body, per_second(plain_rx), mb_per_second(body, plain_rx).c_str(), per_second(plain_tx),
                mb_per_second(body, plain_tx).c_str());
    for (const Kind& k : kinds) {
      const int64_t rx = receive(k, body), tx = send(k, body);
      std::printf("  body %4d B  %-9s receive %9" PRId64 " rec/s %9s MB/s   send %9" PRId64 " rec/s %9s MB/s\n", body,
                  k.name, per_second(rx), mb_per_second(body, rx).c_str(), per_second(tx),
                  mb_per_second(body, tx).c_str());
      char what[96];
      if (body == 16) {
        std::snprintf(what, sizeof what, "%s 16 B receive vs plain framing (records/s)", k.name);
        verdict(what, plain_rx, rx, 3);
        std::snprintf(what, sizeof what, "%s 16 B send vs plain framing (records/s)", k.name);
        verdict(what, plain_tx, tx, 3);
      }
      if (body == 4096) {
        const int64_t raw = raw_ecb(k.cipher, body);
        std::snprintf(what, sizeof what, "%s 4 KB receive vs libcrypto raw ECB, same bytes", k.name);
        verdict(what, raw, rx, 7);
        std::snprintf(what, sizeof what, "%s 4 KB send vs libcrypto raw ECB, same bytes", k.name);
        verdict(what, raw, tx, 7);
      }
    }
  }
}

// --- key exchanges ---------------------------------------------------------------

void exchanges() {
  tcpcontext* client = nte_tcpcontext_create(0, nullptr, 0, 1, 4096, 4096, 600, NTE_CIPHER_BLOWFISH, 16, 1, 0, 0);
  tcpcontext* server = nte_tcpcontext_create(1, "127.0.0.1", 0, 1, 4096, 4096, 600, NTE_CIPHER_BLOWFISH, 16, 0, 0, 0);
  // One whole exchange, step by step, between two connections.
  const int64_t full = per_call(
      [&] {
        nte_sock_t a = NTE_INVALID_SOCKET, b = NTE_INVALID_SOCKET;
        nte_socket_create(&a);
        nte_socket_create(&b);
        conn_t* c = nte_internal::conn_attach(client, a, nullptr, nullptr, 1, 0).conn;
        conn_t* s = nte_internal::conn_attach(server, b, nullptr, nullptr, 1, 1).conn;
        keyex_start_client(c);
        auto move = [](conn_t* from, conn_t* to) {
          uint8_t* p = nullptr;
          int n = 0;
          nte_sbuf_get_buffer(&from->ewbuf, &p, &n);
          nte_sbuf_push(&to->erbuf, p, n);
          nte_sbuf_shift(&from->ewbuf, nullptr, n);
        };
        move(c, s);
        nte_keyex_server(s);
        move(s, c);
        nte_keyex_client(c);
        move(c, s);
        nte_keyex_server(s);
        if (c->keyex_state != NTE_KEYEX_DONE || s->keyex_state != NTE_KEYEX_DONE) std::printf("exchange failed\n");
        nte_internal::conn_free(c, 0, 0);
        nte_internal::conn_free(s, 0, 0);
        fake::forget_closed();
      },
      1000000000);
  // The four exponentiations it contains: the same sizes (160-bit exponents
  // of a 1024-bit modulus).
  BIGNUM *p = nullptr, *g = nullptr, *x = nullptr, *y = nullptr;
  BN_hex2bn(&p, nte_keyex_prime);
  BN_hex2bn(&g, "2");
  BN_hex2bn(&x, "3a5f0c9e11d2b4c6a8e0f1d3b5c7e9a1c3e5f7a9");
  BN_hex2bn(&y, "77b1c2d3e4f5061728394a5b6c7d8e9fa0b1c2d3");
  BIGNUM* gx = BN_new();
  BIGNUM* gy = BN_new();
  BIGNUM* r = BN_new();
  BN_CTX* ctx = BN_CTX_new();
  BN_mod_exp(gx, g, x, p, ctx);
  BN_mod_exp(gy, g, y, p, ctx);
  const int64_t bare = per_call(
      [&] {
        BN_mod_exp(r, g, y, p, ctx);
        BN_mod_exp(r, g, x, p, ctx);
        BN_mod_exp(r, gy, x, p, ctx);
        BN_mod_exp(r, gx, y, p, ctx);
      },
      1000000000);
  std::printf("key exchanges\n  full exchanges %10s/s   bare loop of 4 BN_mod_exp %10s/s\n",
              FormatRatio(1000000000000, full).c_str(), FormatRatio(1000000000000, bare).c_str());
  verdict("exchanges vs the bare BN_mod_exp loop", bare, full, 8);
  BN_CTX_free(ctx);
  for (BIGNUM* b : {p, g, x, y, gx, gy, r}) BN_free(b);
  nte_tcpcontext_cleanup(client);
  nte_tcpcontext_cleanup(server);
}

void quiet(void*, const char*) {}

}  // namespace

int main() {
  nte_set_log_sink(quiet, nullptr);
  if (nte_test::StartEngine(nte_test::Transport::kFake, 4, 4) != 0) return 1;
  cores();
  records();
  exchanges();
  nte_test::StopEngine();
  return 0;
}
