// Rijndael's block functions with 32-bit lookup tables: each round is
// sixteen table reads combining SubBytes, ShiftRows and MixColumns.  The
// tables are computed at compile time from the field arithmetic of GF(2^8)
// with the polynomial x^8 + x^4 + x^3 + x + 1.
#include "net/nte/nte_rijndael.h"

#include "framework/byte_order.h"

namespace {

constexpr uint8_t xtime(uint8_t x) { return static_cast<uint8_t>((x << 1) ^ ((x & 0x80) ? 0x1B : 0)); }

constexpr uint8_t gmul(uint8_t a, uint8_t b) {
  uint8_t r = 0;
  while (b) {
    if (b & 1) r ^= a;
    a = xtime(a);
    b >>= 1;
  }
  return r;
}

constexpr uint32_t word(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
  return (static_cast<uint32_t>(a) << 24) | (static_cast<uint32_t>(b) << 16) | (static_cast<uint32_t>(c) << 8) | d;
}

constexpr uint32_t ror8(uint32_t x) { return (x >> 8) | (x << 24); }

struct Tables {
  uint8_t sbox[256] = {};
  uint8_t inv_sbox[256] = {};
  uint32_t te[4][256] = {};
  uint32_t td[4][256] = {};
  uint32_t rcon[10] = {};
};

constexpr Tables make_tables() {
  Tables t;
  // Powers of the generator 3 give the multiplicative inverses.
  uint8_t exp[256] = {};
  uint8_t log[256] = {};
  uint8_t x = 1;
  for (int i = 0; i < 255; ++i) {
    exp[i] = x;
    log[x] = static_cast<uint8_t>(i);
    x = static_cast<uint8_t>(x ^ xtime(x));
  }
  for (int a = 0; a < 256; ++a) {
    uint8_t inv = a == 0 ? 0 : exp[(255 - log[a]) % 255];
    uint8_t s = inv;
    // The affine map: s = inv ^ rotl(inv,1..4) ^ 0x63.
    for (int r = 1; r <= 4; ++r) s ^= static_cast<uint8_t>((inv << r) | (inv >> (8 - r)));
    s ^= 0x63;
    t.sbox[a] = s;
    t.inv_sbox[s] = static_cast<uint8_t>(a);
  }
  for (int a = 0; a < 256; ++a) {
    const uint8_t s = t.sbox[a];
    const uint8_t i = t.inv_sbox[a];
    t.te[0][a] = word(gmul(s, 2), s, s, gmul(s, 3));
    t.td[0][a] = word(gmul(i, 14), gmul(i, 9), gmul(i, 13), gmul(i, 11));
    for (int k = 1; k < 4; ++k) {
      t.te[k][a] = ror8(t.te[k - 1][a]);
      t.td[k][a] = ror8(t.td[k - 1][a]);
    }
  }
  uint8_t rc = 1;
  for (int i = 0; i < 10; ++i) {
    t.rcon[i] = static_cast<uint32_t>(rc) << 24;
    rc = xtime(rc);
  }
  return t;
}

constexpr Tables kT = make_tables();
#define Te0 kT.te[0]
#define Te1 kT.te[1]
#define Te2 kT.te[2]
#define Te3 kT.te[3]
#define Td0 kT.td[0]
#define Td1 kT.td[1]
#define Td2 kT.td[2]
#define Td3 kT.td[3]
#define SB kT.sbox
#define ISB kT.inv_sbox

inline uint32_t sub_word(uint32_t w) {
  return word(SB[w >> 24], SB[(w >> 16) & 0xFF], SB[(w >> 8) & 0xFF], SB[w & 0xFF]);
}

}  // namespace

int rijndaelKeySetupEnc(uint32_t rk[4 * (RIJNDAEL_MAXNR + 1)], const uint8_t* cipherKey, int keyBits) {
  if (keyBits != 128 && keyBits != 192 && keyBits != 256) return 0;
  const int nk = keyBits / 32;
  const int nr = nk + 6;
  const int total = 4 * (nr + 1);
  for (int i = 0; i < nk; ++i) rk[i] = GetBe32(cipherKey + 4 * i);
  for (int i = nk; i < total; ++i) {
    uint32_t temp = rk[i - 1];
    if (i % nk == 0) {
      temp = sub_word((temp << 8) | (temp >> 24)) ^ kT.rcon[i / nk - 1];
    } else if (nk > 6 && i % nk == 4) {
      temp = sub_word(temp);
    }
    rk[i] = rk[i - nk] ^ temp;
  }
  return nr;
}

int rijndaelKeySetupDec(uint32_t rk[4 * (RIJNDAEL_MAXNR + 1)], const uint8_t* cipherKey, int keyBits) {
  const int nr = rijndaelKeySetupEnc(rk, cipherKey, keyBits);
  if (nr == 0) return 0;
  // Round keys in reverse order ...
  for (int i = 0, j = 4 * nr; i < j; i += 4, j -= 4) {
    for (int k = 0; k < 4; ++k) {
      uint32_t t = rk[i + k];
      rk[i + k] = rk[j + k];
      rk[j + k] = t;
    }
  }
  // ... and InvMixColumns on all but the first and last, so that decryption
  // runs the same table structure as encryption.  Td[k][S[b]] is
  // InvMixColumns of b in byte position k.
  for (int i = 4; i < 4 * nr; ++i) {
    const uint32_t w = rk[i];
    rk[i] = Td0[SB[w >> 24]] ^ Td1[SB[(w >> 16) & 0xFF]] ^ Td2[SB[(w >> 8) & 0xFF]] ^ Td3[SB[w & 0xFF]];
  }
  return nr;
}

void rijndaelEncrypt(const uint32_t* rk, int Nr, const uint8_t pt[16], uint8_t ct[16]) {
  uint32_t s0 = GetBe32(pt) ^ rk[0];
  uint32_t s1 = GetBe32(pt + 4) ^ rk[1];
  uint32_t s2 = GetBe32(pt + 8) ^ rk[2];
  uint32_t s3 = GetBe32(pt + 12) ^ rk[3];
  uint32_t t0, t1, t2, t3;
  for (int r = 1; r < Nr; ++r) {
    rk += 4;
    t0 = Te0[s0 >> 24] ^ Te1[(s1 >> 16) & 0xFF] ^ Te2[(s2 >> 8) & 0xFF] ^ Te3[s3 & 0xFF] ^ rk[0];
    t1 = Te0[s1 >> 24] ^ Te1[(s2 >> 16) & 0xFF] ^ Te2[(s3 >> 8) & 0xFF] ^ Te3[s0 & 0xFF] ^ rk[1];
    t2 = Te0[s2 >> 24] ^ Te1[(s3 >> 16) & 0xFF] ^ Te2[(s0 >> 8) & 0xFF] ^ Te3[s1 & 0xFF] ^ rk[2];
    t3 = Te0[s3 >> 24] ^ Te1[(s0 >> 16) & 0xFF] ^ Te2[(s1 >> 8) & 0xFF] ^ Te3[s2 & 0xFF] ^ rk[3];
    s0 = t0;
    s1 = t1;
    s2 = t2;
    s3 = t3;
  }
  rk += 4;
  PutBe32(ct, word(SB[s0 >> 24], SB[(s1 >> 16) & 0xFF], SB[(s2 >> 8) & 0xFF], SB[s3 & 0xFF]) ^ rk[0]);
  PutBe32(ct + 4, word(SB[s1 >> 24], SB[(s2 >> 16) & 0xFF], SB[(s3 >> 8) & 0xFF], SB[s0 & 0xFF]) ^ rk[1]);
  PutBe32(ct + 8, word(SB[s2 >> 24], SB[(s3 >> 16) & 0xFF], SB[(s0 >> 8) & 0xFF], SB[s1 & 0xFF]) ^ rk[2]);
  PutBe32(ct + 12, word(SB[s3 >> 24], SB[(s0 >> 16) & 0xFF], SB[(s1 >> 8) & 0xFF], SB[s2 & 0xFF]) ^ rk[3]);
}

void rijndaelDecrypt(const uint32_t* rk, int Nr, const uint8_t ct[16], uint8_t pt[16]) {
  uint32_t s0 = GetBe32(ct) ^ rk[0];
  uint32_t s1 = GetBe32(ct + 4) ^ rk[1];
  uint32_t s2 = GetBe32(ct + 8) ^ rk[2];
  uint32_t s3 = GetBe32(ct + 12) ^ rk[3];
  uint32_t t0, t1, t2, t3;
  for (int r = 1; r < Nr; ++r) {
    rk += 4;
    t0 = Td0[s0 >> 24] ^ Td1[(s3 >> 16) & 0xFF] ^ Td2[(s2 >> 8) & 0xFF] ^ Td3[s1 & 0xFF] ^ rk[0];
    t1 = Td0[s1 >> 24] ^ Td1[(s0 >> 16) & 0xFF] ^ Td2[(s3 >> 8) & 0xFF] ^ Td3[s2 & 0xFF] ^ rk[1];
    t2 = Td0[s2 >> 24] ^ Td1[(s1 >> 16) & 0xFF] ^ Td2[(s0 >> 8) & 0xFF] ^ Td3[s3 & 0xFF] ^ rk[2];
    t3 = Td0[s3 >> 24] ^ Td1[(s2 >> 16) & 0xFF] ^ Td2[(s1 >> 8) & 0xFF] ^ Td3[s0 & 0xFF] ^ rk[3];
    s0 = t0;
    s1 = t1;
    s2 = t2;
    s3 = t3;
  }
  rk += 4;
  PutBe32(pt, word(ISB[s0 >> 24], ISB[(s3 >> 16) & 0xFF], ISB[(s2 >> 8) & 0xFF], ISB[s1 & 0xFF]) ^ rk[0]);
  PutBe32(pt + 4, word(ISB[s1 >> 24], ISB[(s0 >> 16) & 0xFF], ISB[(s3 >> 8) & 0xFF], ISB[s2 & 0xFF]) ^ rk[1]);
  PutBe32(pt + 8, word(ISB[s2 >> 24], ISB[(s1 >> 16) & 0xFF], ISB[(s0 >> 8) & 0xFF], ISB[s3 & 0xFF]) ^ rk[2]);
  PutBe32(pt + 12, word(ISB[s3 >> 24], ISB[(s2 >> 16) & 0xFF], ISB[(s1 >> 8) & 0xFF], ISB[s0 & 0xFF]) ^ rk[3]);
}

namespace {

// Two blocks side by side through the rounds: the table reads of one chain
// fill the waits of the other.
template <bool kEncrypt>
void two_blocks(const uint32_t* rk, int Nr, const uint8_t* in, uint8_t* out) {
  uint32_t a0 = GetBe32(in) ^ rk[0], a1 = GetBe32(in + 4) ^ rk[1], a2 = GetBe32(in + 8) ^ rk[2],
           a3 = GetBe32(in + 12) ^ rk[3];
  uint32_t b0 = GetBe32(in + 16) ^ rk[0], b1 = GetBe32(in + 20) ^ rk[1], b2 = GetBe32(in + 24) ^ rk[2],
           b3 = GetBe32(in + 28) ^ rk[3];
  const uint32_t(&T0)[256] = kEncrypt ? Te0 : Td0;
  const uint32_t(&T1)[256] = kEncrypt ? Te1 : Td1;
  const uint32_t(&T2)[256] = kEncrypt ? Te2 : Td2;
  const uint32_t(&T3)[256] = kEncrypt ? Te3 : Td3;
  // Encryption takes columns (0,1,2,3) for output word 0, decryption
  // (0,3,2,1): the inverse ShiftRows.
#define RJ_ROUND(s0, s1, s2, s3, t0, t1, t2, t3)                                              \
  if (kEncrypt) {                                                                             \
    t0 = T0[s0 >> 24] ^ T1[(s1 >> 16) & 0xFF] ^ T2[(s2 >> 8) & 0xFF] ^ T3[s3 & 0xFF] ^ rk[0]; \
    t1 = T0[s1 >> 24] ^ T1[(s2 >> 16) & 0xFF] ^ T2[(s3 >> 8) & 0xFF] ^ T3[s0 & 0xFF] ^ rk[1]; \
    t2 = T0[s2 >> 24] ^ T1[(s3 >> 16) & 0xFF] ^ T2[(s0 >> 8) & 0xFF] ^ T3[s1 & 0xFF] ^ rk[2]; \
    t3 = T0[s3 >> 24] ^ T1[(s0 >> 16) & 0xFF] ^ T2[(s1 >> 8) & 0xFF] ^ T3[s2 & 0xFF] ^ rk[3]; \
  } else {                                                                                    \
    t0 = T0[s0 >> 24] ^ T1[(s3 >> 16) & 0xFF] ^ T2[(s2 >> 8) & 0xFF] ^ T3[s1 & 0xFF] ^ rk[0]; \
    t1 = T0[s1 >> 24] ^ T1[(s0 >> 16) & 0xFF] ^ T2[(s3 >> 8) & 0xFF] ^ T3[s2 & 0xFF] ^ rk[1]; \
    t2 = T0[s2 >> 24] ^ T1[(s1 >> 16) & 0xFF] ^ T2[(s0 >> 8) & 0xFF] ^ T3[s3 & 0xFF] ^ rk[2]; \
    t3 = T0[s3 >> 24] ^ T1[(s2 >> 16) & 0xFF] ^ T2[(s1 >> 8) & 0xFF] ^ T3[s0 & 0xFF] ^ rk[3]; \
  }
  uint32_t x0, x1, x2, x3, y0, y1, y2, y3;
  for (int r = 1; r < Nr; ++r) {
    rk += 4;
    RJ_ROUND(a0, a1, a2, a3, x0, x1, x2, x3)
    RJ_ROUND(b0, b1, b2, b3, y0, y1, y2, y3)
    a0 = x0, a1 = x1, a2 = x2, a3 = x3;
    b0 = y0, b1 = y1, b2 = y2, b3 = y3;
  }
#undef RJ_ROUND
  rk += 4;
  const uint8_t* S = kEncrypt ? SB : ISB;
  if (kEncrypt) {
    PutBe32(out, word(S[a0 >> 24], S[(a1 >> 16) & 0xFF], S[(a2 >> 8) & 0xFF], S[a3 & 0xFF]) ^ rk[0]);
    PutBe32(out + 4, word(S[a1 >> 24], S[(a2 >> 16) & 0xFF], S[(a3 >> 8) & 0xFF], S[a0 & 0xFF]) ^ rk[1]);
    PutBe32(out + 8, word(S[a2 >> 24], S[(a3 >> 16) & 0xFF], S[(a0 >> 8) & 0xFF], S[a1 & 0xFF]) ^ rk[2]);
    PutBe32(out + 12, word(S[a3 >> 24], S[(a0 >> 16) & 0xFF], S[(a1 >> 8) & 0xFF], S[a2 & 0xFF]) ^ rk[3]);
    PutBe32(out + 16, word(S[b0 >> 24], S[(b1 >> 16) & 0xFF], S[(b2 >> 8) & 0xFF], S[b3 & 0xFF]) ^ rk[0]);
    PutBe32(out + 20, word(S[b1 >> 24], S[(b2 >> 16) & 0xFF], S[(b3 >> 8) & 0xFF], S[b0 & 0xFF]) ^ rk[1]);
    PutBe32(out + 24, word(S[b2 >> 24], S[(b3 >> 16) & 0xFF], S[(b0 >> 8) & 0xFF], S[b1 & 0xFF]) ^ rk[2]);
    PutBe32(out + 28, word(S[b3 >> 24], S[(b0 >> 16) & 0xFF], S[(b1 >> 8) & 0xFF], S[b2 & 0xFF]) ^ rk[3]);
  } else {
    PutBe32(out, word(S[a0 >> 24], S[(a3 >> 16) & 0xFF], S[(a2 >> 8) & 0xFF], S[a1 & 0xFF]) ^ rk[0]);
    PutBe32(out + 4, word(S[a1 >> 24], S[(a0 >> 16) & 0xFF], S[(a3 >> 8) & 0xFF], S[a2 & 0xFF]) ^ rk[1]);
    PutBe32(out + 8, word(S[a2 >> 24], S[(a1 >> 16) & 0xFF], S[(a0 >> 8) & 0xFF], S[a3 & 0xFF]) ^ rk[2]);
    PutBe32(out + 12, word(S[a3 >> 24], S[(a2 >> 16) & 0xFF], S[(a1 >> 8) & 0xFF], S[a0 & 0xFF]) ^ rk[3]);
    PutBe32(out + 16, word(S[b0 >> 24], S[(b3 >> 16) & 0xFF], S[(b2 >> 8) & 0xFF], S[b1 & 0xFF]) ^ rk[0]);
    PutBe32(out + 20, word(S[b1 >> 24], S[(b0 >> 16) & 0xFF], S[(b3 >> 8) & 0xFF], S[b2 & 0xFF]) ^ rk[1]);
    PutBe32(out + 24, word(S[b2 >> 24], S[(b1 >> 16) & 0xFF], S[(b0 >> 8) & 0xFF], S[b3 & 0xFF]) ^ rk[2]);
    PutBe32(out + 28, word(S[b3 >> 24], S[(b2 >> 16) & 0xFF], S[(b1 >> 8) & 0xFF], S[b0 & 0xFF]) ^ rk[3]);
  }
}

}  // namespace

void rijndael_ecb_encrypt(const uint32_t* rk, int Nr, const uint8_t* in, uint8_t* out, size_t blocks) {
  size_t i = 0;
  for (; i + 2 <= blocks; i += 2) two_blocks<true>(rk, Nr, in + 16 * i, out + 16 * i);
  if (i < blocks) rijndaelEncrypt(rk, Nr, in + 16 * i, out + 16 * i);
}

void rijndael_ecb_decrypt(const uint32_t* rk, int Nr, const uint8_t* in, uint8_t* out, size_t blocks) {
  size_t i = 0;
  for (; i + 2 <= blocks; i += 2) two_blocks<false>(rk, Nr, in + 16 * i, out + 16 * i);
  if (i < blocks) rijndaelDecrypt(rk, Nr, in + 16 * i, out + 16 * i);
}
