#include "framework/scramble.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "framework/byte_order.h"

namespace {

const char kAlphabet[] = "@ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_";
static_assert(sizeof(kAlphabet) == 65, "the codec alphabet has 64 symbols");

const int32_t kWords = 521;
const int32_t kInt32Max = 0x7FFFFFFF;

// Length of a NUL-terminated text as an int32, or -1 when it does not fit:
// every length formula below works in int32.
int32_t TextLength(const char* text) {
  size_t len = std::strlen(text);
  if (len > static_cast<size_t>(kInt32Max)) return -1;
  return static_cast<int32_t>(len);
}

// Symbol value of position i, or -1 past the end of the text.
int32_t SymbolAt(const char* text, int32_t len, int32_t i) { return i < len ? Decode6BitSymbol(text[i]) : -1; }

// One refill pass. The first loop stops at w[31] on purpose: w[0] is never
// touched, so it keeps the value that seeding gave it.
void Refill(uint32_t* w) {
  for (int32_t i = 1; i <= 31; ++i) w[i] ^= w[i + 489];
  for (int32_t i = 32; i <= 520; ++i) w[i] ^= w[i - 32];
}

uint32_t NextWord(Keystream521* ks) {
  ks->index += 1;
  if (ks->index >= kWords) {
    Refill(ks->words);
    ks->index = 0;
  }
  return ks->words[ks->index];
}

}  // namespace

int32_t Decode6BitSymbol(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  if (u == '@') return 0;
  if (u >= 'A' && u <= 'Z') return 1 + (u - 'A');
  if (u >= 'a' && u <= 'z') return 27 + (u - 'a');
  if (u >= '0' && u <= '9') return 53 + (u - '0');
  if (u == '_') return 63;
  return -1;
}

int32_t Get6BitEncodedLength(int32_t n) {
  if (n < 0) return 0;
  // 4n + 2 overflows int32 from n = 2^29 on; work in 64 bits and refuse
  // results that an int32 cannot hold.
  int64_t len = (4 * static_cast<int64_t>(n) + 2) / 3 + 1;
  if (len > kInt32Max) return 0;
  return static_cast<int32_t>(len);
}

int32_t Get6BitDecodedLength(int32_t L) {
  if (L <= 0) return 0;
  // 3L overflows int32 for large L; the result is below L and always fits.
  return static_cast<int32_t>(3 * static_cast<int64_t>(L) / 4);
}

int32_t Encode6BitText(const void* src, int32_t srcLen, char* dst, int32_t dstCap) {
  if (src == nullptr || dst == nullptr || srcLen < 1) return 0;
  int32_t need = Get6BitEncodedLength(srcLen);
  if (need == 0 || need > dstCap) return 0;

  const unsigned char* s = static_cast<const unsigned char*>(src);
  char* out = dst;
  int32_t i = 0;
  // Whole groups of three bytes: 24 bits, lowest six first.
  for (; srcLen - i >= 3; i += 3) {
    unsigned b0 = s[i], b1 = s[i + 1], b2 = s[i + 2];
    *out++ = kAlphabet[b0 & 63];
    *out++ = kAlphabet[(b0 >> 6) | ((b1 & 15) << 2)];
    *out++ = kAlphabet[(b1 >> 4) | ((b2 & 3) << 4)];
    *out++ = kAlphabet[b2 >> 2];
  }
  // A short final group is not padded.
  int32_t rest = srcLen - i;
  if (rest == 1) {
    unsigned b0 = s[i];
    *out++ = kAlphabet[b0 & 63];
    *out++ = kAlphabet[b0 >> 6];
  } else if (rest == 2) {
    unsigned b0 = s[i], b1 = s[i + 1];
    *out++ = kAlphabet[b0 & 63];
    *out++ = kAlphabet[(b0 >> 6) | ((b1 & 15) << 2)];
    *out++ = kAlphabet[b1 >> 4];
  }
  *out = '\0';
  return static_cast<int32_t>(out - dst);
}

int32_t Decode6BitText(const char* text, void* dst, int32_t dstCap) {
  if (text == nullptr || dst == nullptr) return 0;
  int32_t len = TextLength(text);
  if (len <= 0) return 0;
  if (Get6BitDecodedLength(len) > dstCap) return 0;

  unsigned char* out = static_cast<unsigned char*>(dst);
  int32_t count = 0;
  for (int32_t i = 0; i < len; i += 4) {
    int32_t d0 = SymbolAt(text, len, i);
    int32_t d1 = SymbolAt(text, len, i + 1);
    if (d0 < 0 || d1 < 0) break;
    if (count >= dstCap) return 0;
    out[count++] = static_cast<unsigned char>((d0 | (d1 << 6)) & 255);

    int32_t d2 = SymbolAt(text, len, i + 2);
    if (d2 < 0) break;
    if (count >= dstCap) return 0;
    out[count++] = static_cast<unsigned char>(((d1 >> 2) | (d2 << 4)) & 255);

    int32_t d3 = SymbolAt(text, len, i + 3);
    if (d3 < 0) break;
    if (count >= dstCap) return 0;
    out[count++] = static_cast<unsigned char>(((d2 >> 4) | (d3 << 2)) & 255);
  }
  return count;
}

Keystream521* KeystreamCreate(uint32_t seed) {
  Keystream521* ks = static_cast<Keystream521*>(std::malloc(sizeof(Keystream521)));
  if (ks == nullptr) return nullptr;
  uint32_t* w = ks->words;

  // Each of the first 17 words collects the top bits of 32 steps of a linear
  // congruential sequence; the sequence runs on from word to word.
  uint32_t x = seed;
  for (int32_t i = 0; i <= 16; ++i) {
    uint32_t word = 0;
    for (int32_t bit = 0; bit < 32; ++bit) {
      x = x * 1566083941u + 1u;
      word = (word >> 1) | (x & 0x80000000u);
    }
    w[i] = word;
  }
  // w[16] is replaced before the rest is filled from it.
  w[16] = (w[16] << 23) ^ (w[0] >> 9) ^ w[15];
  for (int32_t k = 1; k <= 504; ++k) w[k + 16] = (w[k - 1] << 23) ^ (w[k] >> 9) ^ w[k + 15];

  Refill(w);
  Refill(w);
  Refill(w);
  ks->index = 520;
  return ks;
}

uint8_t KeystreamNextByte(Keystream521* ks) { return static_cast<uint8_t>(NextWord(ks) & 0xFFu); }

void KeystreamDestroy(Keystream521* ks) { std::free(ks); }

int32_t ScrambleEncodeString(const char* text, uint32_t key, char** out) {
  uint32_t seed = static_cast<uint32_t>(std::time(nullptr));
  return ScrambleEncodeStringWithSeed(text, key, seed, out);
}

int32_t ScrambleEncodeStringWithSeed(const char* text, uint32_t key, uint32_t seed, char** out) {
  if (out == nullptr) return 0;
  *out = nullptr;
  if (text == nullptr) return 0;
  int32_t len = TextLength(text);
  if (len < 1) return 0;
  // The record is the seed word and the text with its NUL: 4 + len + 1 bytes.
  // Refuse lengths whose record or encoding would not fit an int32.
  if (len > kInt32Max - 5) return 0;
  int32_t n = len + 1;
  int32_t recordLen = 4 + n;
  int32_t encodedLen = Get6BitEncodedLength(recordLen);
  if (encodedLen == 0) return 0;

  Keystream521* ks = KeystreamCreate(seed);
  if (ks == nullptr) return 0;
  unsigned char* record = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(recordLen)));
  if (record == nullptr) {
    KeystreamDestroy(ks);
    return 0;
  }

  // The seed word is stored in the clear (only masked with the key), so that
  // the reader can reseed the same keystream.
  uint32_t seedWord = seed ^ key;
  PutLe32(record, seedWord);
  std::memcpy(record + 4, text, static_cast<size_t>(n));
  for (int32_t i = 4; i < recordLen; ++i) record[i] ^= KeystreamNextByte(ks);
  KeystreamDestroy(ks);

  char* encoded = static_cast<char*>(std::malloc(static_cast<size_t>(encodedLen)));
  if (encoded == nullptr) {
    std::free(record);
    return 0;
  }
  int32_t written = Encode6BitText(record, recordLen, encoded, encodedLen);
  std::free(record);
  if (written == 0) {
    std::free(encoded);
    return 0;
  }
  *out = encoded;
  return 1;
}

int32_t ScrambleDecodeString(const char* text, uint32_t key, char** out) {
  if (out == nullptr) return 0;
  *out = nullptr;
  if (text == nullptr) return 0;
  int32_t len = TextLength(text);
  if (len < 1) return 0;

  // floor(3 * (L + 1) / 4) + 1 bytes; computed in 64 bits, since 3 * (L + 1)
  // overflows int32 for long texts. The result stays below L + 2.
  int64_t workLen64 = 3 * (static_cast<int64_t>(len) + 1) / 4 + 1;
  if (workLen64 > kInt32Max) return 0;
  int32_t workLen = static_cast<int32_t>(workLen64);
  unsigned char* work = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(workLen)));
  if (work == nullptr) return 0;

  int32_t m = Decode6BitText(text, work, workLen);
  // Four bytes of seed word and at least one byte of text (its NUL).
  if (m < 5) {
    std::free(work);
    return 0;
  }
  std::memset(work + m, 0, static_cast<size_t>(workLen - m));

  uint32_t seedWord = GetLe32(work);
  Keystream521* ks = KeystreamCreate(seedWord ^ key);
  if (ks == nullptr) {
    std::free(work);
    return 0;
  }
  for (int32_t i = 4; i < m; ++i) work[i] ^= KeystreamNextByte(ks);
  KeystreamDestroy(ks);

  // The m - 4 bytes after the seed word, with a NUL of our own behind them:
  // a wrong key leaves no stored NUL, and the caller still gets a text.
  char* plain = static_cast<char*>(std::malloc(static_cast<size_t>(m - 3)));
  if (plain == nullptr) {
    std::free(work);
    return 0;
  }
  std::memcpy(plain, work + 4, static_cast<size_t>(m - 4));
  plain[m - 4] = '\0';
  std::free(work);
  *out = plain;
  return 1;
}

void ScrambleFreeString(char* text) { std::free(text); }
