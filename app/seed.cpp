#include "app/seed.h"

namespace {

// The cipher's four 256-word SS tables are built at compile time from its
// two S-boxes, so that no table of a thousand literals can hold a typo.
// Each S-box is an affine image of a power map over GF(2^8) with the
// reduction polynomial x^8 + x^6 + x^5 + x + 1:
//   S1(x) = A1 * x^247 + 0xA9,  S2(x) = A2 * x^251 + 0x38,
// A1 and A2 being 8x8 bit matrices, given here by their columns (the images
// of bits 0 to 7). The tests hold the tables to the published first entries,
// the published test vectors and an independent implementation.
constexpr unsigned kGfPolynomial = 0x163;
constexpr uint8_t kA1Columns[8] = {0x2C, 0xD0, 0x69, 0xC2, 0x41, 0x44, 0x58, 0xE2};
constexpr uint8_t kA2Columns[8] = {0xD0, 0x2A, 0xE1, 0x2C, 0x21, 0x30, 0xA2, 0x6C};
constexpr uint8_t kS1Constant = 0xA9;
constexpr uint8_t kS2Constant = 0x38;

// Byte masks that spread an S-box output over the four bytes of a word.
constexpr uint32_t kM0 = 0xFC, kM1 = 0xF3, kM2 = 0xCF, kM3 = 0x3F;

constexpr unsigned GfMul(unsigned a, unsigned b) {
  unsigned r = 0;
  while (b != 0) {
    if (b & 1) r ^= a;
    b >>= 1;
    a <<= 1;
    if (a & 0x100) a ^= kGfPolynomial;
  }
  return r;
}

constexpr unsigned GfPow(unsigned x, unsigned e) {
  unsigned r = 1;
  while (e != 0) {
    if (e & 1) r = GfMul(r, x);
    x = GfMul(x, x);
    e >>= 1;
  }
  return r;
}

constexpr uint32_t Affine(const uint8_t* columns, unsigned v, uint8_t constant) {
  unsigned r = 0;
  for (int bit = 0; bit < 8; ++bit) {
    if ((v >> bit) & 1) r ^= columns[bit];
  }
  return (r ^ constant) & 0xFF;
}

constexpr uint32_t Word(uint32_t b3, uint32_t b2, uint32_t b1, uint32_t b0) {
  return (b3 << 24) | (b2 << 16) | (b1 << 8) | b0;
}

struct SeedTables {
  uint32_t ss[4][256];
  uint32_t kc[16];
};

constexpr SeedTables BuildTables() {
  SeedTables t{};
  for (unsigned x = 0; x < 256; ++x) {
    const uint32_t s1 = Affine(kA1Columns, GfPow(x, 247), kS1Constant);
    const uint32_t s2 = Affine(kA2Columns, GfPow(x, 251), kS2Constant);
    t.ss[0][x] = Word(s1 & kM3, s1 & kM2, s1 & kM1, s1 & kM0);
    t.ss[1][x] = Word(s2 & kM0, s2 & kM3, s2 & kM2, s2 & kM1);
    t.ss[2][x] = Word(s1 & kM1, s1 & kM0, s1 & kM3, s1 & kM2);
    t.ss[3][x] = Word(s2 & kM2, s2 & kM1, s2 & kM0, s2 & kM3);
  }
  // The key-schedule constants: the golden-ratio word rotated left by the
  // round's index.
  const uint32_t golden = 0x9E3779B9u;
  t.kc[0] = golden;
  for (int i = 1; i < 16; ++i) t.kc[i] = (golden << i) | (golden >> (32 - i));
  return t;
}

constexpr SeedTables kTables = BuildTables();
static_assert(kTables.ss[0][0] == 0x2989A1A8u && kTables.ss[1][0] == 0x38380830u && kTables.ss[2][0] == 0xA1A82989u &&
                  kTables.ss[3][0] == 0x08303838u,
              "first entries of the SS tables");
static_assert(kTables.kc[1] == 0x3C6EF373u && kTables.kc[15] == 0xBCDCCF1Bu, "key-schedule constants");

inline uint32_t G(uint32_t x) {
  return kTables.ss[0][x & 0xFF] ^ kTables.ss[1][(x >> 8) & 0xFF] ^ kTables.ss[2][(x >> 16) & 0xFF] ^
         kTables.ss[3][x >> 24];
}

inline uint32_t LoadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

inline void StoreLe32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

// The round function on the right half (r0, r1) with the round's two key
// words; all sums are modulo 2^32.
inline void RoundF(uint32_t k0, uint32_t k1, uint32_t r0, uint32_t r1, uint32_t* f0, uint32_t* f1) {
  const uint32_t a = r0 ^ k0;
  const uint32_t b = r1 ^ k1;
  const uint32_t t = G(a ^ b);
  const uint32_t u = G(t + a);
  *f1 = G(u + t);
  *f0 = u + *f1;
}

// Sixteen Feistel rounds; decrypt walks the round keys backwards. The halves
// are not swapped after the last round.
void Crypt(uint8_t* block, const uint32_t* roundKeys, bool decrypt) {
  uint32_t l0 = LoadLe32(block), l1 = LoadLe32(block + 4);
  uint32_t r0 = LoadLe32(block + 8), r1 = LoadLe32(block + 12);
  for (int i = 0; i < 16; ++i) {
    const int round = decrypt ? 15 - i : i;
    uint32_t f0 = 0, f1 = 0;
    RoundF(roundKeys[2 * round], roundKeys[2 * round + 1], r0, r1, &f0, &f1);
    l0 ^= f0;
    l1 ^= f1;
    if (i < 15) {
      uint32_t t0 = l0, t1 = l1;
      l0 = r0;
      l1 = r1;
      r0 = t0;
      r1 = t1;
    }
  }
  StoreLe32(block, l0);
  StoreLe32(block + 4, l1);
  StoreLe32(block + 8, r0);
  StoreLe32(block + 12, r1);
}

}  // namespace

void SeedRoundKey(const uint8_t key[kSeedKeySize], uint32_t roundKeys[kSeedRoundKeyWords]) {
  uint32_t k0 = LoadLe32(key), k1 = LoadLe32(key + 4);
  uint32_t k2 = LoadLe32(key + 8), k3 = LoadLe32(key + 12);
  for (int i = 0; i < 16; ++i) {
    roundKeys[2 * i] = G(k0 + k2 - kTables.kc[i]);
    roundKeys[2 * i + 1] = G(k1 - k3 + kTables.kc[i]);
    // The 64-bit halves take turns: k0:k1 rotates right by a byte after the
    // odd rounds (counted from 1), k2:k3 left by a byte after the even ones.
    if (i % 2 == 0) {
      const uint32_t t = k0;
      k0 = (k0 >> 8) | (k1 << 24);
      k1 = (k1 >> 8) | (t << 24);
    } else {
      const uint32_t t = k2;
      k2 = (k2 << 8) | (k3 >> 24);
      k3 = (k3 << 8) | (t >> 24);
    }
  }
}

void SeedEncrypt(uint8_t block[kSeedBlockSize], const uint32_t roundKeys[kSeedRoundKeyWords]) {
  Crypt(block, roundKeys, false);
}

void SeedDecrypt(uint8_t block[kSeedBlockSize], const uint32_t roundKeys[kSeedRoundKeyWords]) {
  Crypt(block, roundKeys, true);
}
