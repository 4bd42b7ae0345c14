// Plain record codecs and the cipher choice of a context.
#include "net/nte/nte_cipher.h"

#include "net/nte/nte_core.h"
#include "net/nte/nte_records.h"

namespace {

int move_bytes(nte_sbuf* from, nte_sbuf* to) {
  uint8_t* p = nullptr;
  int n = 0;
  nte_sbuf_get_buffer(from, &p, &n);
  const int room = nte_sbuf_get_rest(to);
  if (n > room) n = room;
  if (n > NTE_PLAIN_CHUNK) n = NTE_PLAIN_CHUNK;
  if (n > 0) {
    nte_sbuf_push(to, p, n);
    nte_sbuf_shift(from, nullptr, n);
  }
  return nte_set_last_error(NTE_OK);
}

}  // namespace

int nte_plain_decoder(conn_t* conn) { return move_bytes(&conn->erbuf, &conn->rbuf); }

int nte_plain_encoder(conn_t* conn) { return move_bytes(&conn->wbuf, &conn->ewbuf); }

int nte_cipher_select(int flags, int key_length, nte_codec_fn* decoder, nte_codec_fn* encoder) {
  *decoder = nte_plain_decoder;
  *encoder = nte_plain_encoder;
  bool checked_key = true;
  bool ok = true;
  if (flags & NTE_CIPHER_BLOWFISH) {
    *decoder = nte_blowfish_decoder;
    *encoder = nte_blowfish_encoder;
    ok = key_length >= 4 && key_length <= 56;
  } else if (flags & NTE_CIPHER_RIJNDAEL) {
    *decoder = nte_rijndael_decoder;
    *encoder = nte_rijndael_encoder;
    ok = key_length == 16 || key_length == 24 || key_length == 32;
  } else if (flags & NTE_CIPHER_TWOFISH) {
    nte_errout("Fatal: Twofish algorithm is not supported now\n");
    return nte_set_last_error(NTE_ERR_TOO_WIDE);
  } else {
    checked_key = false;
  }
  if (checked_key && !ok) {
    nte_errout("Fatal:1201 tcp: bad secret key length: %d\n", key_length);
    return nte_set_last_error(NTE_ERR_KEY_LENGTH);
  }
  const bool only_recv = (flags & NTE_BLOCK_CIPHER_ONLY_RECV) != 0;
  const bool only_send = (flags & NTE_BLOCK_CIPHER_ONLY_SEND) != 0;
  if (only_recv && only_send) {
    nte_errout("Fatal: cannot use NTE_BLOCK_CIPHER_ONLY_RECV and NTE_BLOCK_CIPHER_ONLY_SEND at the same time\n");
    return nte_set_last_error(NTE_ERR_INVALID);
  }
  if (only_recv) *encoder = nte_plain_encoder;
  if (only_send) *decoder = nte_plain_decoder;
  return nte_set_last_error(NTE_OK);
}

int nte_codec_block_size(nte_codec_fn codec) {
  if (codec == nte_blowfish_decoder || codec == nte_blowfish_encoder) return 8;
  if (codec == nte_rijndael_decoder || codec == nte_rijndael_encoder) return 16;
  return 0;
}
