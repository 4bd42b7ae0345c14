// The per-connection state of the stream ciphers and the key exchange,
// embedded in each connection record.  Zero when a connection is set up,
// wiped when it is released.
#pragma once

#include <cstddef>
#include <cstdint>

#include "net/nte/nte_blowfish.h"
#include "net/nte/nte_rijndael.h"

// Key-exchange text fields, NUL-terminated.
constexpr int NTE_KEYEX_G_FIELD = 16;
constexpr int NTE_KEYEX_EXPONENT_FIELD = 128;
constexpr int NTE_KEYEX_TEXT_FIELD = 512;

// One direction's cipher: a Blowfish schedule or a Rijndael cipher and key
// instance, whichever the context chose.
union nte_cipher_block {
  blowfish_state blowfish;
  struct {
    cipherInstance cipher;
    keyInstance key;
  } rijndael;
};
static_assert(sizeof(nte_cipher_block) >= sizeof(blowfish_state), "room for a Blowfish schedule");
static_assert(sizeof(nte_cipher_block) >= sizeof(cipherInstance) + sizeof(keyInstance),
              "room for a Rijndael cipher and key instance");

struct nte_conn_crypto {
  int32_t encoder_ready;  // 1 once the first outgoing record set the encoder up
  int32_t decoder_ready;  // 1 once the first incoming record set the decoder up
  nte_cipher_block encoder_state;
  nte_cipher_block decoder_state;
  char g[NTE_KEYEX_G_FIELD];                // generator
  char exponent[NTE_KEYEX_EXPONENT_FIELD];  // own private exponent
  char p[NTE_KEYEX_TEXT_FIELD];             // prime
  char own_public[NTE_KEYEX_TEXT_FIELD];    // own public value
  char peer_public[NTE_KEYEX_TEXT_FIELD];   // peer's public value
  int32_t reply_status;                     // server: the status its reply carried
};
