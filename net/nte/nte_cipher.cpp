// Plain record codecs and the cipher choice of a context.
#include "net/nte/nte_cipher.h"

#include "net/nte/nte_core.h"
#include "net/nte/nte_records.h"

int nte_plain_decoder(conn_t* conn) {
  uint8_t* p = nullptr;
  int n = 0;
  nte_sbuf_get_buffer(&conn->erbuf, &p, &n);
  int room = nte_sbuf_get_rest(&conn->rbuf);
  if (n > room) n = room;
  if (n <= 0) return 0;
  nte_sbuf_push(&conn->rbuf, p, n);
  nte_sbuf_shift(&conn->erbuf, nullptr, n);
  return n;
}

int nte_plain_encoder(conn_t* conn) {
  uint8_t* p = nullptr;
  int n = 0;
  nte_sbuf_get_buffer(&conn->wbuf, &p, &n);
  if (n <= 0 || nte_sbuf_get_rest(&conn->ewbuf) < n) return 0;
  nte_sbuf_push(&conn->ewbuf, p, n);
  nte_sbuf_shift(&conn->wbuf, nullptr, n);
  return n;
}

int nte_cipher_select(int flags, nte_codec_fn* decoder, nte_codec_fn* encoder) {
  *decoder = nte_plain_decoder;
  *encoder = nte_plain_encoder;
  if (flags & NTE_CIPHER_BLOWFISH || flags & NTE_CIPHER_RIJNDAEL) {
    // The block ciphers and their key exchange are not part of this engine
    // build; refusing here keeps an encrypted peer from getting plain text.
    // The engine has no log line of its own for this: the code says it.
    return nte_set_last_error(NTE_ERR_TOO_WIDE);
  }
  if (flags & NTE_CIPHER_TWOFISH) {
    nte_errout("Fatal: Twofish algorithm is not supported now\n");
    return nte_set_last_error(NTE_ERR_TOO_WIDE);
  }
  if ((flags & NTE_BLOCK_CIPHER_ONLY_RECV) && (flags & NTE_BLOCK_CIPHER_ONLY_SEND)) {
    nte_errout("Fatal: cannot use NTE_BLOCK_CIPHER_ONLY_RECV and NTE_BLOCK_CIPHER_ONLY_SEND at the same time\n");
    return nte_set_last_error(NTE_ERR_INVALID);
  }
  return nte_set_last_error(NTE_OK);
}

int nte_cipher_check_key_length(int flags, int key_length) {
  bool ok = true;
  if (flags & NTE_CIPHER_BLOWFISH) ok = key_length >= 4 && key_length <= 56;
  else if (flags & (NTE_CIPHER_RIJNDAEL | NTE_CIPHER_TWOFISH)) ok = key_length == 16 || key_length == 24 || key_length == 32;
  if (!ok) {
    nte_errout("Fatal:1201 tcp: bad secret key length: %d\n", key_length);
    return nte_set_last_error(NTE_ERR_KEY_LENGTH);
  }
  return nte_set_last_error(NTE_OK);
}
