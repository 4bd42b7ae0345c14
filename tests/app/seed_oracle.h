// libcrypto's SEED as an independent oracle for the tests. libcrypto reads
// the block and the key as big-endian words, the portal's cipher as
// little-endian words: every 4-byte group is reversed on the way in and out.
#pragma once

#ifndef OPENSSL_SUPPRESS_DEPRECATED
#define OPENSSL_SUPPRESS_DEPRECATED
#endif
#include <openssl/seed.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace seed_oracle {

using Bytes = std::vector<uint8_t>;

// SEED_ecb_encrypt's direction argument.
constexpr int kEncrypt = 1;
constexpr int kDecrypt = 0;

inline Bytes FromHex(const std::string& hex) {
  Bytes out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  return out;
}

inline std::string ToHex(const Bytes& b) {
  static const char kDigits[] = "0123456789abcdef";
  std::string s;
  for (uint8_t v : b) {
    s.push_back(kDigits[v >> 4]);
    s.push_back(kDigits[v & 15]);
  }
  return s;
}

// Reverses each 4-byte group: big-endian words <-> little-endian words.
inline Bytes SwapWords(Bytes b) {
  for (size_t i = 0; i + 3 < b.size(); i += 4) {
    std::swap(b[i], b[i + 3]);
    std::swap(b[i + 1], b[i + 2]);
  }
  return b;
}

// libcrypto on big-endian words, as published.
inline Bytes PublishedCrypt(const Bytes& key, const Bytes& block, int enc) {
  SEED_KEY_SCHEDULE ks;
  SEED_set_key(key.data(), &ks);
  Bytes out(16);
  SEED_ecb_encrypt(block.data(), out.data(), &ks, enc);
  return out;
}

// libcrypto on little-endian words: what the portal's cipher must give.
inline Bytes LittleEndianCrypt(const Bytes& key, const Bytes& block, int enc) {
  return SwapWords(PublishedCrypt(SwapWords(key), SwapWords(block), enc));
}

// The portal's clipboard text built with the oracle: chunks of 2,000 bytes,
// zero-padded blocks, lower-case hex, "|" between chunks.
inline std::string PortalHex(const std::string& text, const std::string& launchKey) {
  Bytes key(16, 0);
  for (size_t i = 0; i < 16 && i < launchKey.size(); ++i) key[i] = static_cast<uint8_t>(launchKey[i]);
  std::string out;
  for (size_t at = 0; at < text.size(); at += 2000) {
    if (at > 0) out.push_back('|');
    const std::string chunk = text.substr(at, 2000);
    for (size_t b = 0; b < chunk.size(); b += 16) {
      Bytes block(16, 0);
      for (size_t i = 0; i < 16 && b + i < chunk.size(); ++i) block[i] = static_cast<uint8_t>(chunk[b + i]);
      out += ToHex(LittleEndianCrypt(key, block, kEncrypt));
    }
  }
  return out;
}

}  // namespace seed_oracle
