#include "app/portal_cipher.h"

#include <cstring>

#include "app/seed.h"
#include "framework/hex_digit.h"

namespace {

void RoundKeysFor(const char* launchKey, uint32_t roundKeys[kSeedRoundKeyWords]) {
  uint8_t key[kSeedKeySize];
  PortalKeyBytes(launchKey, key);
  SeedRoundKey(key, roundKeys);
}

}  // namespace

uint32_t HexToUInt(const char* text) {
  uint32_t value = 0;
  if (text == nullptr) return 0;
  for (int d; (d = HexDigitValue(*text)) >= 0; ++text) value = value * 16 + static_cast<uint32_t>(d);
  return value;
}

int TrimTrailingSpaces(char* text) {
  if (text == nullptr) return -1;
  size_t n = std::strlen(text);
  while (n > 0 && text[n - 1] == ' ') text[--n] = '\0';
  return static_cast<int>(n);
}

void TrimTrailingSpaces(std::string* text) {
  size_t n = text->size();
  while (n > 0 && (*text)[n - 1] == ' ') --n;
  text->resize(n);
}

void PortalKeyBytes(const char* launchKey, uint8_t out[16]) {
  std::memset(out, 0, 16);
  if (launchKey == nullptr) return;
  for (int i = 0; i < 16 && launchKey[i] != '\0'; ++i) out[i] = static_cast<uint8_t>(launchKey[i]);
}

void SeedEncryptToHex(const char* chunk, size_t length, const char* launchKey, std::string* out) {
  static const char kDigits[] = "0123456789abcdef";
  uint32_t roundKeys[kSeedRoundKeyWords];
  RoundKeysFor(launchKey, roundKeys);
  out->reserve(out->size() + (length + 15) / 16 * 32);
  for (size_t at = 0; at < length; at += kSeedBlockSize) {
    // The last block is filled up with zero bytes, which deciphering drops.
    uint8_t block[kSeedBlockSize] = {};
    const size_t n = length - at < kSeedBlockSize ? length - at : kSeedBlockSize;
    std::memcpy(block, chunk + at, n);
    SeedEncrypt(block, roundKeys);
    for (uint8_t b : block) {
      out->push_back(kDigits[b >> 4]);
      out->push_back(kDigits[b & 15]);
    }
  }
}

int SeedDecryptFromHex(const char* hex, size_t length, const char* launchKey, std::string* out) {
  out->clear();
  if (length % 32 != 0) return -1;
  uint32_t roundKeys[kSeedRoundKeyWords];
  RoundKeysFor(launchKey, roundKeys);
  for (size_t at = 0; at < length; at += 32) {
    uint8_t block[kSeedBlockSize];
    for (int i = 0; i < kSeedBlockSize; ++i) {
      // Each pair on its own, so that a stray character only spoils its byte.
      const char pair[3] = {hex[at + 2 * i], hex[at + 2 * i + 1], '\0'};
      block[i] = static_cast<uint8_t>(HexToUInt(pair));
    }
    SeedDecrypt(block, roundKeys);
    // A block counts up to its first zero byte: that drops the padding.
    const void* zero = std::memchr(block, 0, sizeof block);
    const size_t n = zero ? static_cast<const uint8_t*>(zero) - block : sizeof block;
    out->append(reinterpret_cast<const char*>(block), n);
  }
  TrimTrailingSpaces(out);
  return 0;
}

bool EncryptPortalText(const char* text, const char* launchKey, std::string* out) {
  out->clear();
  const size_t length = text ? std::strlen(text) : 0;
  for (size_t at = 0; at < length; at += kPortalChunkSize) {
    if (at > 0) out->push_back('|');
    const size_t n = length - at < kPortalChunkSize ? length - at : kPortalChunkSize;
    SeedEncryptToHex(text + at, n, launchKey, out);
  }
  return true;
}

size_t EncipheredPortalLength(size_t n) {
  if (n == 0) return 0;
  const size_t chunks = (n + kPortalChunkSize - 1) / kPortalChunkSize;
  const size_t last = n - (chunks - 1) * kPortalChunkSize;
  const size_t fullChunkDigits = kPortalChunkSize / kSeedBlockSize * 32;
  return (chunks - 1) * (fullChunkDigits + 1) + (last + 15) / 16 * 32;
}

bool DecryptPortalText(const char* data, size_t size, const char* launchKey, std::string* out) {
  out->clear();
  if (data == nullptr) return false;
  // Any process may write this clipboard format: the text ends at its first
  // NUL or at the end of its block, whichever comes first.
  const void* nul = std::memchr(data, 0, size);
  const size_t length = nul ? static_cast<const char*>(nul) - data : size;
  if (length == 0) return false;
  std::string piece;
  size_t at = 0;
  for (;;) {
    const void* bar = std::memchr(data + at, '|', length - at);
    const size_t end = bar ? static_cast<const char*>(bar) - data : length;
    if (end - at > kPortalMaxPieceLength || SeedDecryptFromHex(data + at, end - at, launchKey, &piece) != 0 ||
        piece.size() > kPortalMaxTextLength - out->size()) {
      out->clear();
      return false;
    }
    out->append(piece);
    if (bar == nullptr) break;
    at = end + 1;
  }
  return true;
}
