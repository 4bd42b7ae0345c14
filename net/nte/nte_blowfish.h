// Blowfish, the published algorithm: 64-bit blocks as two 32-bit halves,
// 16 rounds, P-array and S-boxes initialised from the digits of pi, keys of
// 1 to 72 bytes (the engine's contexts allow 4 to 56).
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int BLOWFISH_ROUNDS = 16;
constexpr int BLOWFISH_MAX_KEY = 72;

struct blowfish_state {
  uint32_t p[BLOWFISH_ROUNDS + 2];
  uint32_t s[4][256];
};

// The initial P-array and S-boxes (pi's fraction, generated).
extern const uint32_t blowfish_pi_p[BLOWFISH_ROUNDS + 2];
extern const uint32_t blowfish_pi_s[4][256];

// The key schedule: P and S from pi, the key bytes cycled big-endian into
// P, then P and S replaced by successive encryptions of an all-zero block.
// A null key or a length of 0 or less mixes no key into P; a key longer than
// 72 bytes is used up to its 72nd byte.
void blowfish_initialize(blowfish_state* state, const uint8_t* key, int key_length);
// Enciphers / deciphers one block given as its two halves, in place.
void blowfish_encipher(const blowfish_state* state, uint32_t* left, uint32_t* right);
void blowfish_decipher(const blowfish_state* state, uint32_t* left, uint32_t* right);
// The round function F.
uint32_t blowfish_f(const blowfish_state* state, uint32_t x);
// Enciphers (encipher != 0) or deciphers the whole 8-byte blocks of n bytes
// in place, each block as two 32-bit halves read little-endian (the left
// half from bytes 0-3) and written back the same way: the engine's record
// form.  Two blocks go through the rounds side by side.
void blowfish_ecb_le(const blowfish_state* state, uint8_t* data, size_t n, int encipher);
