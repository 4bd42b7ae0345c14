// The key exchange: the client's hello and step, the server's step, and the
// connection keys from the shared secret.
#include "net/nte/nte_keyex.h"

#include <cstring>

#include "framework/byte_order.h"
#include "net/nte/nte_records.h"
#include "net/nte/nte_wipe.h"

// The 1024-bit prime published for SKIP, as the server sends it.
const char nte_keyex_generator[] = "2";
const char nte_keyex_prime[] =
    "f488fd584e49dbcd20b49de49107366b336c380d451d0f7c88b31c7c5b2d8ef6"
    "f3c923c043f0a55b188d8ebb558cb85d38d334fd7c175743a31d186cde33212c"
    "b52aff3ce1b1294018118d7c84a70a72d686c40319c807297aca950cd9969fab"
    "d00a509b0246d3083d66a45d419f9c7cbd894b221926baaba25ec355e92f78c7";

namespace {

nte_exponent_source_fn g_exponent_source = nullptr;

// The engine's major version, sent in the hello and checked by the server.
constexpr uint32_t kKeyexVersion = 0;
// The texts' scratch size: a result of nte_modexp_hex before it is stored.
constexpr int kResultSize = 1024;

int fail(int code) { return nte_set_last_error(code); }

// A text the peer sent: at least one digit, hexadecimal throughout.
bool is_hex_text(const char* t) {
  if (t[0] == '\0') return false;
  for (; *t; ++t) {
    if (!nte_is_hex_digit(static_cast<unsigned char>(*t))) return false;
  }
  return true;
}

const char* skip_zeros(const char* t) {
  while (*t == '0') ++t;
  return t;
}

// Compares the values of two hexadecimal texts: <0, 0, >0.
int compare_hex(const char* a, const char* b) {
  a = skip_zeros(a);
  b = skip_zeros(b);
  const size_t la = std::strlen(a);
  const size_t lb = std::strlen(b);
  if (la != lb) return la < lb ? -1 : 1;
  for (size_t i = 0; i < la; ++i) {
    const int da = nte_hex_digit_value(static_cast<unsigned char>(a[i]));
    const int db = nte_hex_digit_value(static_cast<unsigned char>(b[i]));
    if (da != db) return da < db ? -1 : 1;
  }
  return 0;
}

// 2 <= v <= p - 2: the values 0, 1, p - 1 and p (and anything larger) make
// a secret that everyone on the wire knows.  Texts are checked with our own
// code; the only libcrypto calls are those of nte_modexp_hex.
bool in_group_range(const char* v, const char* p) {
  if (compare_hex(p, "4") < 0) return false;  // no value fits
  char p_minus_2[NTE_KEYEX_TEXT_FIELD];
  nte_copy_bounded(p_minus_2, sizeof p_minus_2, skip_zeros(p));
  int borrow = 2;
  for (int i = static_cast<int>(std::strlen(p_minus_2)) - 1; i >= 0 && borrow; --i) {
    int d = nte_hex_digit_value(static_cast<unsigned char>(p_minus_2[i])) - borrow;
    borrow = 0;
    if (d < 0) {
      d += 16;
      borrow = 1;
    }
    p_minus_2[i] = "0123456789ABCDEF"[d];
  }
  return compare_hex(v, "2") >= 0 && compare_hex(v, p_minus_2) <= 0;
}

// Copies a text of n bytes from the wire into a NUL-terminated field (the
// caller checked n against the field).  False, and an empty field, unless
// every byte is a hexadecimal digit: a NUL inside the text would otherwise
// cut it short unseen.
bool store_text(char* field, const uint8_t* bytes, uint32_t n) {
  field[0] = '\0';
  if (n == 0) return false;
  for (uint32_t i = 0; i < n; ++i) {
    if (!nte_is_hex_digit(bytes[i])) return false;
  }
  std::memcpy(field, bytes, n);
  field[n] = '\0';
  return true;
}

int private_exponent(conn_t* c) {
  char* out = c->crypto.exponent;
  // The generator writes into a 64-byte buffer, as the exchange always had.
  char value[64];
  int r =
      g_exponent_source ? g_exponent_source(c->server_side, value, sizeof value) : nte_sha1_keygen(value, sizeof value);
  if (r < 0 || !is_hex_text(value)) r = -1;
  if (r == 0) nte_copy_bounded(out, NTE_KEYEX_EXPONENT_FIELD, value);
  nte_wipe(value, sizeof value);
  return r;
}

void count_exchange(conn_t* c) {
  ++nte_internal::stats()->key_set;
  ++c->ctx->key_set;
}

}  // namespace

void nte_set_exponent_source(nte_exponent_source_fn source) { g_exponent_source = source; }

int nte_conn_set_keys(conn_t* conn, const char* secret) {
  if (conn == nullptr || secret == nullptr) return 0;
  int n = conn->key_length;
  if (n <= 0) return 0;
  if (n > NTE_KEY_MAX) n = NTE_KEY_MAX;
  uint8_t key[NTE_KEY_MAX];
  const int got = nte_hex_to_bytes(key, n, secret);
  std::memcpy(conn->send_key, key, static_cast<size_t>(got));
  std::memcpy(conn->recv_key, key, static_cast<size_t>(got));
  nte_wipe(key, sizeof key);
  return got;
}

int keyex_start_client(conn_t* c) {
  uint8_t hello[8];
  PutBe32(hello, kKeyexVersion);
  PutBe32(hello + 4, static_cast<uint32_t>(c->key_length));
  if (nte_sbuf_push(&c->ewbuf, hello, sizeof hello) < 0) return fail(NTE_ERR_NO_ROOM);
  c->keyex_state = NTE_KEYEX_HELLO_SENT;
  return fail(NTE_OK);
}

int nte_keyex_client(conn_t* c) {
  if (c->keyex_state != NTE_KEYEX_HELLO_SENT) return fail(NTE_ERR_DOUBLE_FREE);
  uint8_t* in = nullptr;
  int have = 0;
  nte_sbuf_get_buffer(&c->erbuf, &in, &have);
  const uint32_t avail = have > 0 ? static_cast<uint32_t>(have) : 0;
  // The whole reply must fit the encrypted read buffer at once; a reply
  // announced longer than that could only wait for the idle time-out.
  const uint32_t capacity = c->erbuf.size;
  if (avail < 16) return 0;
  if (GetBe32(in) != 0) return fail(NTE_ERR_KEYEX_PUBLIC_LENGTH);
  // Each length is checked against its field before it is added: with
  // fields of at most 510 digits the sums below cannot wrap.
  const uint32_t len_g = GetBe32(in + 4);
  if (len_g > NTE_KEYEX_MAX_G_DIGITS) return fail(NTE_ERR_NO_ROOM);
  uint32_t need = 16 + len_g;
  if (need > capacity) return fail(NTE_ERR_NO_ROOM);
  if (avail < need) return 0;
  const uint32_t len_p = GetBe32(in + 8 + len_g);
  if (len_p > NTE_KEYEX_MAX_DIGITS) return fail(NTE_ERR_NO_ROOM);
  need += len_p;
  if (need > capacity) return fail(NTE_ERR_NO_ROOM);
  if (avail < need) return 0;
  const uint32_t len_y = GetBe32(in + 12 + len_g + len_p);
  if (len_y > NTE_KEYEX_MAX_DIGITS) return fail(NTE_ERR_NO_ROOM);
  need += len_y;
  if (need > capacity) return fail(NTE_ERR_NO_ROOM);
  if (avail < need) return 0;

  nte_conn_crypto& k = c->crypto;
  if (!store_text(k.g, in + 8, len_g) || !store_text(k.p, in + 12 + len_g, len_p) ||
      !store_text(k.peer_public, in + 16 + len_g + len_p, len_y) || !in_group_range(k.g, k.p) ||
      !in_group_range(k.peer_public, k.p)) {
    return fail(NTE_ERR_DOUBLE_FREE);
  }

  if (private_exponent(c) < 0) return fail(NTE_ERR_CIPHER_SETUP);
  char result[kResultSize];
  if (nte_modexp_hex(k.g, k.p, k.exponent, result, sizeof result) < 0 ||
      nte_copy_bounded(k.own_public, sizeof k.own_public, result) != 0) {
    return fail(NTE_ERR_CIPHER_SETUP);
  }
  if (nte_modexp_hex(k.peer_public, k.p, k.exponent, result, sizeof result) < 0) {
    nte_wipe(result, sizeof result);
    return fail(NTE_ERR_CIPHER_SETUP);
  }
  nte_conn_set_keys(c, result);
  nte_wipe(result, sizeof result);

  const uint32_t len_x = static_cast<uint32_t>(std::strlen(k.own_public));
  if (static_cast<uint32_t>(nte_sbuf_get_rest(&c->ewbuf)) < 4 + len_x) return fail(NTE_ERR_KEYEX_KEY_LENGTH);
  uint8_t answer[4 + NTE_KEYEX_TEXT_FIELD];
  PutBe32(answer, len_x);
  std::memcpy(answer + 4, k.own_public, len_x);
  nte_sbuf_shift(&c->erbuf, nullptr, static_cast<int>(need));
  nte_sbuf_push(&c->ewbuf, answer, static_cast<int>(4 + len_x));
  c->keyex_state = NTE_KEYEX_DONE;
  nte_verbose("Note:10332 key exchange: encryption negotiation is done on fd %d\n", static_cast<int>(c->sock));
  count_exchange(c);
  return fail(NTE_OK);
}

namespace {

int server_hello(conn_t* c, const uint8_t* in) {
  if (nte_sbuf_get_rest(&c->ewbuf) < NTE_KEYEX_SERVER_ROOM) return fail(NTE_ERR_KEYEX_KEY_LENGTH);
  uint32_t status = 0;
  const uint32_t version = GetBe32(in);
  const uint32_t key_length = GetBe32(in + 4);
  if (version != kKeyexVersion) {
    status = 3;
    nte_verbose("Note:10333 key exchange: bad encryption version %d\n", static_cast<int>(version));
  } else if (key_length != static_cast<uint32_t>(c->key_length)) {
    status = 4;
    nte_verbose("Note:10334 key exchange: bad secret key length: %d\n", static_cast<int>(key_length));
  }
  nte_conn_crypto& k = c->crypto;
  if (private_exponent(c) < 0) return fail(NTE_ERR_CIPHER_SETUP);
  char result[kResultSize];
  if (nte_modexp_hex(nte_keyex_generator, nte_keyex_prime, k.exponent, result, sizeof result) < 0 ||
      nte_copy_bounded(k.own_public, sizeof k.own_public, result) != 0) {
    return fail(NTE_ERR_CIPHER_SETUP);
  }
  nte_copy_bounded(k.g, sizeof k.g, nte_keyex_generator);
  nte_copy_bounded(k.p, sizeof k.p, nte_keyex_prime);

  const uint32_t len_g = static_cast<uint32_t>(std::strlen(k.g));
  const uint32_t len_p = static_cast<uint32_t>(std::strlen(k.p));
  const uint32_t len_y = static_cast<uint32_t>(std::strlen(k.own_public));
  uint8_t reply[16 + NTE_KEYEX_G_FIELD + 2 * NTE_KEYEX_TEXT_FIELD];
  uint8_t* w = reply;
  PutBe32(w, status);
  PutBe32(w + 4, len_g);
  std::memcpy(w + 8, k.g, len_g);
  w += 8 + len_g;
  PutBe32(w, len_p);
  std::memcpy(w + 4, k.p, len_p);
  w += 4 + len_p;
  PutBe32(w, len_y);
  std::memcpy(w + 4, k.own_public, len_y);
  w += 4 + len_y;
  const int size = static_cast<int>(w - reply);
  if (nte_sbuf_get_rest(&c->ewbuf) < size) return fail(NTE_ERR_KEYEX_KEY_LENGTH);
  nte_sbuf_shift(&c->erbuf, nullptr, 8);
  nte_sbuf_push(&c->ewbuf, reply, size);
  k.reply_status = static_cast<int32_t>(status);
  c->keyex_state = NTE_KEYEX_HELLO_SENT;
  return fail(NTE_OK);
}

int server_answer(conn_t* c, const uint8_t* in, uint32_t avail) {
  nte_conn_crypto& k = c->crypto;
  // A client that was refused (version or key length) has nothing to key:
  // the reply stands, and any answer ends the exchange.
  if (k.reply_status != 0) return fail(NTE_ERR_KEYEX_PUBLIC_LENGTH);
  // Checked as soon as its 4 bytes are in: waiting for a length that no
  // field can hold would only end at the idle time-out.
  const uint32_t len_x = GetBe32(in);
  if (len_x > NTE_KEYEX_MAX_DIGITS) {
    nte_verbose("Note:10330 key exchange: bad client public key length: %d\n", static_cast<int>(len_x));
    return fail(NTE_ERR_KEYEX_PUBLIC_LENGTH);
  }
  const uint32_t need = 4 + len_x;
  if (need > c->erbuf.size) return fail(NTE_ERR_NO_ROOM);
  if (avail < need) return 0;
  if (!store_text(k.peer_public, in + 4, len_x) || !in_group_range(k.peer_public, k.p)) {
    return fail(NTE_ERR_DOUBLE_FREE);
  }
  char result[kResultSize];
  if (nte_modexp_hex(k.peer_public, k.p, k.exponent, result, sizeof result) < 0) {
    nte_wipe(result, sizeof result);
    return fail(NTE_ERR_CIPHER_SETUP);
  }
  nte_conn_set_keys(c, result);
  nte_wipe(result, sizeof result);
  nte_sbuf_shift(&c->erbuf, nullptr, static_cast<int>(need));
  c->keyex_state = NTE_KEYEX_DONE;
  nte_verbose("Note:10331 key exchange: encryption negotiation is done on fd %d\n", static_cast<int>(c->sock));
  count_exchange(c);

  // The accepted connection meets its accept watcher only now.  Past the
  // high-water level it meets the high-water watcher instead, by the same
  // rule as a plain connection at its accept.
  tcpcontext* ctx = c->ctx;
  if (c->accept_watcher == nullptr) return fail(NTE_OK);
  int result_code;
  if (static_cast<int64_t>(ctx->connection_count) < static_cast<int64_t>(ctx->hiwater) - 1) {
    result_code = c->accept_watcher(c, c->serial);
    if (result_code < 0) nte_verbose("Warning:4103 tcp: acceptwatcher fail fd:%d\n", static_cast<int>(c->sock));
  } else {
    nte_verbose("try_accept: hiwater (now:%d hiw:%d)\n", ctx->connection_count, ctx->hiwater);
    result_code = c->hiwater_watcher ? c->hiwater_watcher(c, c->serial, ctx->connection_count) : 0;
    if (result_code < 0) {
      nte_verbose("Warning: 4106 tcp: hiwater acceptwatcher fail fd:%d\n", static_cast<int>(c->sock));
    }
  }
  return fail(result_code < 0 ? result_code : NTE_OK);
}

}  // namespace

int nte_keyex_server(conn_t* c) {
  uint8_t* in = nullptr;
  int have = 0;
  nte_sbuf_get_buffer(&c->erbuf, &in, &have);
  const uint32_t avail = have > 0 ? static_cast<uint32_t>(have) : 0;
  if (c->keyex_state == 0) {
    if (avail < 8) return 0;
    return server_hello(c, in);
  }
  if (c->keyex_state == NTE_KEYEX_HELLO_SENT) {
    if (avail < 4) return 0;
    return server_answer(c, in, avail);
  }
  return fail(NTE_ERR_DOUBLE_FREE);
}
