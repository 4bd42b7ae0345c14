// Blowfish: key schedule and block functions.
#include "net/nte/nte_blowfish.h"

#include <cstring>

#include "framework/byte_order.h"

namespace {

inline uint32_t f(const blowfish_state* st, uint32_t x) {
  return ((st->s[0][x >> 24] + st->s[1][(x >> 16) & 0xFF]) ^ st->s[2][(x >> 8) & 0xFF]) + st->s[3][x & 0xFF];
}

// Two rounds per step, the halves swapping roles instead of places: the
// unrolled form keeps both halves in registers.
#define BF_ROUND(a, b, n) (a) ^= f(state, (b)) ^ state->p[n]

}  // namespace

uint32_t blowfish_f(const blowfish_state* state, uint32_t x) { return f(state, x); }

void blowfish_encipher(const blowfish_state* state, uint32_t* left, uint32_t* right) {
  uint32_t l = *left ^ state->p[0];
  uint32_t r = *right;
  BF_ROUND(r, l, 1);
  BF_ROUND(l, r, 2);
  BF_ROUND(r, l, 3);
  BF_ROUND(l, r, 4);
  BF_ROUND(r, l, 5);
  BF_ROUND(l, r, 6);
  BF_ROUND(r, l, 7);
  BF_ROUND(l, r, 8);
  BF_ROUND(r, l, 9);
  BF_ROUND(l, r, 10);
  BF_ROUND(r, l, 11);
  BF_ROUND(l, r, 12);
  BF_ROUND(r, l, 13);
  BF_ROUND(l, r, 14);
  BF_ROUND(r, l, 15);
  BF_ROUND(l, r, 16);
  *left = r ^ state->p[BLOWFISH_ROUNDS + 1];
  *right = l;
}

void blowfish_decipher(const blowfish_state* state, uint32_t* left, uint32_t* right) {
  uint32_t l = *left ^ state->p[BLOWFISH_ROUNDS + 1];
  uint32_t r = *right;
  BF_ROUND(r, l, 16);
  BF_ROUND(l, r, 15);
  BF_ROUND(r, l, 14);
  BF_ROUND(l, r, 13);
  BF_ROUND(r, l, 12);
  BF_ROUND(l, r, 11);
  BF_ROUND(r, l, 10);
  BF_ROUND(l, r, 9);
  BF_ROUND(r, l, 8);
  BF_ROUND(l, r, 7);
  BF_ROUND(r, l, 6);
  BF_ROUND(l, r, 5);
  BF_ROUND(r, l, 4);
  BF_ROUND(l, r, 3);
  BF_ROUND(r, l, 2);
  BF_ROUND(l, r, 1);
  *left = r ^ state->p[0];
  *right = l;
}

#undef BF_ROUND

namespace {

// N independent blocks round by round: each round's table reads wait on
// the round before, and the other chains fill those waits.
template <int N>
void blocks(const blowfish_state* st, uint8_t* data, bool encipher) {
  uint32_t l[N], r[N];
  for (int k = 0; k < N; ++k) {
    l[k] = GetLe32(data + 8 * k);
    r[k] = GetLe32(data + 8 * k + 4);
  }
  const uint32_t* p = st->p;
  if (encipher) {
    for (int k = 0; k < N; ++k) l[k] ^= p[0];
    for (int i = 1; i <= BLOWFISH_ROUNDS; i += 2) {
      for (int k = 0; k < N; ++k) r[k] ^= f(st, l[k]) ^ p[i];
      for (int k = 0; k < N; ++k) l[k] ^= f(st, r[k]) ^ p[i + 1];
    }
    for (int k = 0; k < N; ++k) r[k] ^= p[BLOWFISH_ROUNDS + 1];
  } else {
    for (int k = 0; k < N; ++k) l[k] ^= p[BLOWFISH_ROUNDS + 1];
    for (int i = BLOWFISH_ROUNDS; i >= 1; i -= 2) {
      for (int k = 0; k < N; ++k) r[k] ^= f(st, l[k]) ^ p[i];
      for (int k = 0; k < N; ++k) l[k] ^= f(st, r[k]) ^ p[i - 1];
    }
    for (int k = 0; k < N; ++k) r[k] ^= p[0];
  }
  // The last round's swap is undone: the halves leave crossed.
  for (int k = 0; k < N; ++k) {
    PutLe32(data + 8 * k, r[k]);
    PutLe32(data + 8 * k + 4, l[k]);
  }
}

}  // namespace

void blowfish_ecb_le(const blowfish_state* state, uint8_t* data, size_t n, int encipher) {
  const bool enc = encipher != 0;
  size_t i = 0;
  for (; i + 32 <= n; i += 32) blocks<4>(state, data + i, enc);
  switch ((n - i) / 8) {
    case 3:
      blocks<3>(state, data + i, enc);
      break;
    case 2:
      blocks<2>(state, data + i, enc);
      break;
    case 1:
      blocks<1>(state, data + i, enc);
      break;
    default:
      break;
  }
}
void blowfish_initialize(blowfish_state* state, const uint8_t* key, int key_length) {
  std::memcpy(state->p, blowfish_pi_p, sizeof state->p);
  std::memcpy(state->s, blowfish_pi_s, sizeof state->s);
  if (key_length > BLOWFISH_MAX_KEY) key_length = BLOWFISH_MAX_KEY;
  if (key && key_length > 0) {
    int k = 0;
    for (int i = 0; i < BLOWFISH_ROUNDS + 2; ++i) {
      uint32_t word = 0;
      for (int j = 0; j < 4; ++j) {
        word = (word << 8) | key[k];
        if (++k == key_length) k = 0;
      }
      state->p[i] ^= word;
    }
  }
  uint32_t l = 0, r = 0;
  for (int i = 0; i < BLOWFISH_ROUNDS + 2; i += 2) {
    blowfish_encipher(state, &l, &r);
    state->p[i] = l;
    state->p[i + 1] = r;
  }
  for (int b = 0; b < 4; ++b) {
    for (int i = 0; i < 256; i += 2) {
      blowfish_encipher(state, &l, &r);
      state->s[b][i] = l;
      state->s[b][i + 1] = r;
    }
  }
}
