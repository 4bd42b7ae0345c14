// Record codecs of a connection: the step between the socket's bytes (the
// encrypted buffers) and the records (the plain buffers).  Plain
// connections copy; Blowfish and Rijndael connections wrap the stream into
// encrypted records once the key exchange (nte_keyex.h) has keyed them.
//
// Each hook takes the connection and returns a value >= 0 on success or
// when it must wait for more bytes or room, else a negative code that it
// also leaves as the last error.  Short input is never an error.
#pragma once

#include "net/nte/nte_tcp.h"

// Record limits: most plain bytes per record and largest padded length the
// decoders take.
constexpr int NTE_BLOWFISH_MAX_PLAIN = 32752;
constexpr int NTE_BLOWFISH_MAX_PADDED = 32760;
constexpr int NTE_RIJNDAEL_MAX_PLAIN = 8168;
constexpr int NTE_RIJNDAEL_MAX_PADDED = 8184;
// Most bytes a plain hook moves per call.
constexpr int NTE_PLAIN_CHUNK = 8192;

// Move min(used, free, 8192) bytes between the buffers; 0.
int nte_plain_decoder(conn_t* conn);
int nte_plain_encoder(conn_t* conn);
// One record per call.  Decoders: the plain bytes delivered, 0 to wait, or
// -22 (L negative as i32), -2 (L over the cipher's limit or larger than the
// encrypted read buffer), -23 (L not a multiple of the block), -24 (P
// negative or over L), -1 (cipher set-up failed).  Encoders: the record's
// bytes queued, 0 to wait, or -1.  Encoders take no more plain bytes than a
// record fitting the empty encrypted write buffer carries; the rest goes
// into the next record.
int nte_blowfish_decoder(conn_t* conn);
int nte_blowfish_encoder(conn_t* conn);
int nte_rijndael_decoder(conn_t* conn);
int nte_rijndael_encoder(conn_t* conn);

// Chooses the codec pair for a context, in this order: the hooks by flags
// (0x1 Blowfish, else 0x2 Rijndael, else 0x4 refused with -26, else plain);
// the key length (Blowfish 4-56 bytes, Rijndael 16, 24 or 32; -37); the
// one-way flags (0x2000 alone: plain encoder, 0x4000 alone: plain decoder,
// both: -6).  0 or the code, which is also the last error.
int nte_cipher_select(int cipher_flags, int key_length, nte_codec_fn* decoder, nte_codec_fn* encoder);
// Cipher block size of a codec: 8 (Blowfish), 16 (Rijndael) or 0 (plain).
int nte_codec_block_size(nte_codec_fn codec);
