// Record codecs of a connection: the step between the socket's bytes (the
// encrypted buffers) and the records (the plain buffers).  Plain
// connections copy; the block ciphers and the key exchange plug in here.
#pragma once

#include "net/nte/nte_tcp.h"

// Moves what fits from the encrypted read buffer into the plain read
// buffer: bytes moved (0 when nothing fits), never negative.
int nte_plain_decoder(conn_t* conn);
// Moves the plain write buffer into the encrypted write buffer when it fits
// whole: bytes moved, or 0.
int nte_plain_encoder(conn_t* conn);

// Chooses the codec pair for a context's cipher flags.  0, or -26 (cipher
// not supported) / -6 (conflicting one-direction flags).
int nte_cipher_select(int cipher_flags, nte_codec_fn* decoder, nte_codec_fn* encoder);
// Checks a key length for the cipher flags: 0, or -37.
int nte_cipher_check_key_length(int cipher_flags, int key_length);
