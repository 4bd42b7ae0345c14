// The encrypted record hooks: Blowfish and Rijndael in ECB over records
//   [u32 BE padded length L][u32 BE plain length P][L bytes of ciphertext]
// whose plaintext is the P data bytes and L - P zero bytes.
#include <cstring>

#include "framework/byte_order.h"
#include "net/nte/nte_cipher.h"
#include "net/nte/nte_records.h"
#include "net/nte/nte_wipe.h"

namespace {

struct CipherKind {
  int block;       // bytes per cipher block
  int max_plain;   // most plain bytes in one record
  int max_padded;  // largest L the decoder takes
};
constexpr CipherKind kBlowfish = {8, NTE_BLOWFISH_MAX_PLAIN, NTE_BLOWFISH_MAX_PADDED};
constexpr CipherKind kRijndael = {16, NTE_RIJNDAEL_MAX_PLAIN, NTE_RIJNDAEL_MAX_PADDED};

int fail(int code) { return nte_set_last_error(code); }

// n contiguous free bytes at the buffer's tail, compacting when the tail is
// short (the caller checked that n bytes are free).
uint8_t* reserve_tail(nte_sbuf* b, uint32_t n) {
  if (b->size - b->end < n) {
    const uint32_t used = b->end - b->start;
    if (used > 0) std::memmove(b->storage, b->storage + b->start, used);
    b->start = 0;
    b->end = used;
  }
  return b->storage + b->end;
}

// Plain bytes for the next record: no more than one record carries, and no
// more than a record that fits the empty encrypted write buffer can carry.
// (A record sized for a fuller buffer would wait for room that an
// application filling its write buffer never leaves.)
int plain_take(const conn_t* c, const CipherKind& kind, int used) {
  const int fit = kind.block * ((static_cast<int>(c->ewbuf.size) - 8) / kind.block) - 1;
  int n = used;
  if (n > kind.max_plain) n = kind.max_plain;
  if (n > fit) n = fit;
  return n;
}

// Decoder steps shared by both ciphers, up to the set-up of the cipher.
// 1 with L and P set when a whole record is in and may be delivered, 0 to
// wait, or a negative code.  (The buffers' fields are read directly: this
// runs once per record.)
int decode_header(conn_t* c, const CipherKind& kind, uint32_t* padded, uint32_t* plain) {
  const nte_sbuf& b = c->erbuf;
  const uint32_t have = b.end - b.start;
  if (have < 8) return 0;
  const uint8_t* in = b.storage + b.start;
  const uint32_t l = GetBe32(in);
  if (static_cast<int32_t>(l) < 0) return fail(NTE_ERR_BAD_CIPHER_RECORD);
  if (l > static_cast<uint32_t>(kind.max_padded)) return fail(NTE_ERR_NO_ROOM);
  // A record larger than the encrypted read buffer could only wait for the
  // idle time-out, which would then pass for an orderly close.
  if (l > b.size - 8) return fail(NTE_ERR_NO_ROOM);
  if (have - 8 < l) return 0;
  if (l % static_cast<uint32_t>(kind.block) != 0) return fail(NTE_ERR_BAD_CIPHER_PADDING);
  const uint32_t p = GetBe32(in + 4);
  if (static_cast<int32_t>(p) < 0 || p > l) return fail(NTE_ERR_RECORD_TOO_LONG);
  // Wait until the application has read enough.
  const nte_sbuf& out = c->rbuf;
  if (p > out.size - out.end + out.start) return 0;
  *padded = l;
  *plain = p;
  return 1;
}

// Delivers the P plain bytes of the record at the front of the encrypted
// read buffer (deciphered in place) and drops the record.  decode_header
// made sure that they fit.
int deliver(conn_t* c, uint32_t padded, uint32_t plain) {
  nte_sbuf& in = c->erbuf;
  nte_sbuf& out = c->rbuf;
  if (out.size - out.end < plain) {
    const uint32_t used = out.end - out.start;
    if (used > 0) std::memmove(out.storage, out.storage + out.start, used);
    out.start = 0;
    out.end = used;
  }
  std::memcpy(out.storage + out.end, in.storage + in.start + 8, plain);
  out.end += plain;
  in.start += 8 + padded;
  if (in.start == in.end) in.start = in.end = 0;
  return static_cast<int>(plain);
}

// Encoder steps shared by both ciphers: the record's frame in the encrypted
// write buffer, the plain bytes copied and padded.  The record's body, or
// null to wait.
uint8_t* encode_frame(conn_t* c, const CipherKind& kind, uint32_t* padded, uint32_t* plain) {
  uint8_t* src = nullptr;
  int used = 0;
  nte_sbuf_get_buffer(&c->wbuf, &src, &used);
  if (used <= 0) return nullptr;
  const int n = plain_take(c, kind, used);
  if (n < 0) return nullptr;
  const uint32_t l = static_cast<uint32_t>(kind.block * (n / kind.block + 1));
  if (static_cast<uint32_t>(nte_sbuf_get_rest(&c->ewbuf)) < l + 8) return nullptr;
  uint8_t* out = reserve_tail(&c->ewbuf, l + 8);
  PutBe32(out, l);
  PutBe32(out + 4, static_cast<uint32_t>(n));
  std::memcpy(out + 8, src, static_cast<size_t>(n));
  std::memset(out + 8 + n, 0, l - static_cast<uint32_t>(n));
  *padded = l;
  *plain = static_cast<uint32_t>(n);
  return out + 8;
}

// Commits the record built by encode_frame and drops its plain bytes.
int commit(conn_t* c, uint32_t padded, uint32_t plain) {
  c->ewbuf.end += 8 + padded;
  nte_sbuf_shift(&c->wbuf, nullptr, static_cast<int>(plain));
  return static_cast<int>(8 + padded);
}

// The Rijndael key: each key byte as two lower-case digits, each digit then
// replaced by the upper-case digit of its character code's low four bits,
// so that a-f become 1-6: byte b enters as (t(b >> 4) << 4) | t(b & 15)
// with t(v) = v below 10 and v - 9 above.  Peers depend on this mapping.
int rijndael_setup(conn_t* c, nte_cipher_block* block, uint8_t direction, const uint8_t* key) {
  if (cipherInit(&block->rijndael.cipher, RIJNDAEL_MODE_ECB, nullptr) != RIJNDAEL_TRUE) return -1;
  if (c->key_length > 16) c->key_length = 16;
  const int n = c->key_length;
  static const char kLower[] = "0123456789abcdef";
  static const char kUpper[] = "0123456789ABCDEF";
  char text[2 * 16 + 1];
  int i = 0;
  for (; i < n && i < 16; ++i) {
    text[2 * i] = kUpper[kLower[key[i] >> 4] & 15];
    text[2 * i + 1] = kUpper[kLower[key[i] & 15] & 15];
  }
  text[2 * i] = '\0';
  const int r = makeKey(&block->rijndael.key, direction, n * 8, text);
  nte_wipe(text, sizeof text);
  return r == RIJNDAEL_TRUE ? 0 : -1;
}

}  // namespace

int nte_blowfish_encoder(conn_t* c) {
  uint32_t padded = 0, plain = 0;
  uint8_t* body = encode_frame(c, kBlowfish, &padded, &plain);
  if (body == nullptr) return 0;
  nte_conn_crypto& k = c->crypto;
  if (!k.encoder_ready) {
    blowfish_initialize(&k.encoder_state.blowfish, c->send_key, c->key_length);
    k.encoder_ready = 1;
    nte_verbose("Note:10011 init blowfish encoder on fd:%d\n", static_cast<int>(c->sock));
  }
  blowfish_ecb_le(&k.encoder_state.blowfish, body, padded, 1);
  return commit(c, padded, plain);
}

int nte_blowfish_decoder(conn_t* c) {
  uint32_t padded = 0, plain = 0;
  const int r = decode_header(c, kBlowfish, &padded, &plain);
  if (r <= 0) return r;
  nte_conn_crypto& k = c->crypto;
  if (!k.decoder_ready) {
    blowfish_initialize(&k.decoder_state.blowfish, c->recv_key, c->key_length);
    k.decoder_ready = 1;
    nte_verbose("Note:10010 init blowfish decoder on fd:%d\n", static_cast<int>(c->sock));
  }
  blowfish_ecb_le(&k.decoder_state.blowfish, c->erbuf.storage + c->erbuf.start + 8, padded, 0);
  return deliver(c, padded, plain);
}

int nte_rijndael_encoder(conn_t* c) {
  if (nte_sbuf_get_rest(&c->ewbuf) < 24) return 0;
  uint32_t padded = 0, plain = 0;
  uint8_t* body = encode_frame(c, kRijndael, &padded, &plain);
  if (body == nullptr) return 0;
  nte_conn_crypto& k = c->crypto;
  if (!k.encoder_ready) {
    if (rijndael_setup(c, &k.encoder_state, RIJNDAEL_DIR_ENCRYPT, c->send_key) < 0) return fail(NTE_ERR_CIPHER_SETUP);
    k.encoder_ready = 1;
    nte_verbose("Note:10013 init rijndael encoder on fd:%d\n", static_cast<int>(c->sock));
  }
  // The record's blocks in one call (ECB: the same as one call per block).
  const int bits = static_cast<int>(padded) * 8;
  if (blockEncrypt(&k.encoder_state.rijndael.cipher, &k.encoder_state.rijndael.key, body, bits, body) != bits) {
    return fail(NTE_ERR_CIPHER_SETUP);
  }
  return commit(c, padded, plain);
}

int nte_rijndael_decoder(conn_t* c) {
  uint32_t padded = 0, plain = 0;
  const int r = decode_header(c, kRijndael, &padded, &plain);
  if (r <= 0) return r;
  nte_conn_crypto& k = c->crypto;
  if (!k.decoder_ready) {
    if (rijndael_setup(c, &k.decoder_state, RIJNDAEL_DIR_DECRYPT, c->recv_key) < 0) return fail(NTE_ERR_CIPHER_SETUP);
    k.decoder_ready = 1;
    // The text of this note is fixed (its spelling included).
    nte_verbose("Note:10012 init rijindael decoder on fd:%d\n", static_cast<int>(c->sock));
  }
  uint8_t* in = c->erbuf.storage + c->erbuf.start;
  const int bits = static_cast<int>(padded) * 8;
  if (blockDecrypt(&k.decoder_state.rijndael.cipher, &k.decoder_state.rijndael.key, in + 8, bits, in + 8) != bits) {
    return fail(NTE_ERR_CIPHER_SETUP);
  }
  return deliver(c, padded, plain);
}
