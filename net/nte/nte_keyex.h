// The key exchange of encrypted connections: Diffie-Hellman over
// hexadecimal text in the group g = 2 and the 1024-bit prime published for
// SKIP, right after the TCP connect.  All integers on the wire are u32
// big-endian; texts carry no NUL.
//   hello  (client)  version (0), key length in bytes
//   reply  (server)  status (0 accepted, 3 version differs, 4 key length
//                    differs), len g, g, len p, p, len Y, Y
//   answer (client)  len X, X
// Y and X are public values as upper-case hexadecimal text, two digits per
// byte from the most significant non-zero byte ("0" for zero).  Both sides
// key the connection with the same bytes of the shared secret's text.
//
// Every value from the peer is checked before use: lengths against their
// fields and the read buffer, texts for hexadecimal digits, g and the
// public values for 2 <= v <= p - 2.  Short input is never an error: the
// steps return 0 and wait.
#pragma once

#include <cstdint>

#include "net/nte/nte_tcp.h"

// The group the server offers, as the wire carries it.
extern const char nte_keyex_generator[];  // "2"
extern const char nte_keyex_prime[];      // 256 lower-case digits

// Most digits a text from the peer may have: g, then p and the public values.
// (p and the values stay within 510 digits so that results modulo p fit
// their 512-byte fields too.)
constexpr int NTE_KEYEX_MAX_G_DIGITS = 15;
constexpr int NTE_KEYEX_MAX_DIGITS = 510;
// Free bytes the server wants in the encrypted write buffer before it replies.
constexpr int NTE_KEYEX_SERVER_ROOM = 800;
// Key-exchange state: 0 not started (server: waiting for the hello),
// 1 hello queued (client) or reply queued (server), NTE_KEYEX_DONE keyed.
constexpr int NTE_KEYEX_HELLO_SENT = 1;

// Client side, called by tcpcontext_connect for an encrypted connection:
// queues the hello and sets state 1.  0, or -2 when the encrypted write
// buffer has no room.
int keyex_start_client(conn_t* conn);
// One step of the client (state 1 -> NTE_KEYEX_DONE on a complete reply).
// 0 (done, or waiting for more bytes), or: -3 wrong state or a bad value
// (non-hexadecimal text, g or Y outside 2..p-2), -19 non-zero status, -2 a
// text longer than its field or a reply that can never fit the read
// buffer, -18 no room for the answer, -1 the arithmetic or the exponent
// generator failed.
int nte_keyex_client(conn_t* conn);
// One step of the server (0 -> 1 on the hello, 1 -> NTE_KEYEX_DONE on the
// answer; after the answer the accept watcher, or the high-water watcher
// once the context's count reached its high-water level, is called when the
// context has an accept watcher, and its negative result is returned).
// 0 (done, or waiting), or: -3 wrong state or bad X, -19 a bad length of X
// or an answer after a refusing reply, -18 no room for the reply, -2 an
// answer that can never fit the read buffer, -1 arithmetic failure.
int nte_keyex_server(conn_t* conn);
// Fills the send and receive keys with the same key-length bytes read from
// the secret's hexadecimal text (pairs of digits; "0x" skipped; an odd last
// digit gives digit x 16; a text under two digits changes nothing).  Never
// writes past the 64-byte key fields; a key length of 0 or less writes
// nothing.  The bytes written.
int nte_conn_set_keys(conn_t* conn, const char* secret);
// Writes a 40-digit private exponent (lower-case hexadecimal) into out with
// the bound size: SHA-0 over the time, process id, tick count, a run-time
// random number plus the engine's pass counter (16 bytes) and 32 bytes from
// the system's cryptographic generator.  0, -6 for a null or empty output,
// -1 when the generator fails.  A bound below 41 cuts the text and logs
// "Warning:4220".
int nte_sha1_keygen(char* out, int size);
// out := base ^ exponent mod modulus over hexadecimal text (BIGNUM), the
// result in BN_bn2hex form.  0, or -1 when any step fails (a text that is
// not entirely hexadecimal, modulus 0, allocation) or the result does not
// fit size bytes with its NUL; out is then empty.
int nte_modexp_hex(const char* base, const char* modulus, const char* exponent, char* out, int size);

// Test seams.
// The 48 input bytes of nte_sha1_keygen; 0, or negative for a failed
// generator.  Null restores the system sources.
typedef int (*nte_keygen_source_fn)(uint8_t input[48]);
void nte_set_keygen_source(nte_keygen_source_fn source);
// Replaces the private exponent of each exchange (server_side 1 for the
// server's); writes the text into out (size bytes); 0 or negative for a
// failure.  Null restores nte_sha1_keygen.
typedef int (*nte_exponent_source_fn)(int server_side, char* out, int size);
void nte_set_exponent_source(nte_exponent_source_fn source);
