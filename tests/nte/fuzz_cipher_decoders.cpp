// Arbitrary encrypted streams through both record decoders of keyed
// connections.
//
// Input: byte 0 picks the cipher (bit 0: Rijndael); the rest is the stream.
// Invariants: the bytes delivered are the P bytes of exactly the records
// that an independent walk (and libcrypto's decryption) accepts, in order;
// nothing past the buffered bytes is read (the buffer's tail is poisoned
// for the sanitizer).
//
// The engine, both connections and their keys are set up once.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include <sanitizer/asan_interface.h>

#include "net/nte/nte.h"
#include "net/nte/nte_cipher.h"
#include "net/nte/nte_keyex.h"
#include "net/nte/nte_records.h"
#include "tests/nte/crypto_oracle.h"
#include "tests/nte/engine_start.h"

namespace {

constexpr int kReadSize = 36864;
const char kSecret[] = "C0FFEE00112233445566778899AABBCCDDEEFF0123456789ABCDEF0011223344";
conn_t* g_conn[2] = {};

void check(bool ok) {
  if (!ok) std::abort();
}
void quiet(void*, const char*) {}

void set_up_once() {
  nte_set_log_sink(quiet, nullptr);
  if (nte_test::StartEngine(nte_test::Transport::kFake, 2, 2) != 0) std::abort();
  const int flags[2] = {NTE_CIPHER_BLOWFISH, NTE_CIPHER_RIJNDAEL};
  for (int i = 0; i < 2; ++i) {
    tcpcontext* ctx = nte_tcpcontext_create(0, nullptr, 0, 1, kReadSize, 4096, 600, flags[i], 16, 1, 0, 0);
    check(ctx != nullptr);
    nte_sock_t s = NTE_INVALID_SOCKET;
    check(nte_socket_create(&s) == 0);
    conn_t* c = nte_internal::conn_attach(ctx, s, nullptr, nullptr, 1, 0).conn;
    check(c != nullptr);
    nte_conn_set_keys(c, kSecret);
    c->keyex_state = NTE_KEYEX_DONE;
    g_conn[i] = c;
  }
}

// What the decoder must deliver, worked out independently: records are
// taken in order while each header holds (length within the cipher's limit
// and the read size, the whole body present, a whole number of blocks, the
// plain length inside it, room left for the reader), and the first that
// does not stops the walk.
std::string expected(const std::string& in, oracle::Cipher cipher) {
  const bool bf = cipher == oracle::Cipher::kBlowfish;
  const uint32_t block = bf ? 8 : 16;
  const uint32_t limit = bf ? NTE_BLOWFISH_MAX_PADDED : NTE_RIJNDAEL_MAX_PADDED;
  static const oracle::Encoder bf_enc(oracle::Cipher::kBlowfish, oracle::KeyFromSecret(kSecret, 16));
  static const oracle::Encoder aes_enc(oracle::Cipher::kRijndael, oracle::KeyFromSecret(kSecret, 16));
  const oracle::Encoder& enc = bf ? bf_enc : aes_enc;
  std::string out;
  size_t at = 0;
  while (in.size() - at >= 8) {
    const uint32_t l = oracle::ReadBe32(in, at);
    const uint32_t p = oracle::ReadBe32(in, at + 4);
    if (l > limit || l > static_cast<uint32_t>(kReadSize)) break;
    if (in.size() - at - 8 < l) break;
    if (l % block != 0 || p > l) break;
    if (out.size() + p > static_cast<size_t>(kReadSize)) break;  // waits for the reader
    std::string body = in.substr(at + 8, l);
    enc.Crypt(&body, false);
    out += body.substr(0, p);
    at += 8 + l;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool started = false;
  if (!started) {
    set_up_once();
    started = true;
  }
  if (size < 1) return 0;
  const int which = data[0] & 1;
  conn_t* c = g_conn[which];
  nte_sbuf_shift(&c->erbuf, nullptr, nte_sbuf_get_use(&c->erbuf));
  nte_sbuf_shift(&c->rbuf, nullptr, nte_sbuf_get_use(&c->rbuf));
  std::string in(reinterpret_cast<const char*>(data + 1), size - 1);
  if (in.size() > c->erbuf.size) in.resize(c->erbuf.size);
  nte_sbuf_push(&c->erbuf, in.data(), static_cast<int>(in.size()));
  uint8_t* tail = c->erbuf.storage + c->erbuf.end;
  const size_t tail_size = c->erbuf.size - c->erbuf.end;
  ASAN_POISON_MEMORY_REGION(tail, tail_size);
  for (;;) {
    const int before = nte_sbuf_get_use(&c->erbuf);
    const int r = c->decoder(c);
    check(r >= -24);
    if (r < 0 || nte_sbuf_get_use(&c->erbuf) == before) break;
  }
  ASAN_UNPOISON_MEMORY_REGION(tail, tail_size);
  const std::string want = expected(in, which ? oracle::Cipher::kRijndael : oracle::Cipher::kBlowfish);
  uint8_t* p = nullptr;
  int n = 0;
  nte_sbuf_get_buffer(&c->rbuf, &p, &n);
  check(static_cast<size_t>(n) == want.size());
  check(std::memcmp(p, want.data(), want.size()) == 0);
  return 0;
}
