// The SEED cipher against the published test vectors (through the word
// swaps) and against libcrypto's SEED as an independent implementation.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "app/seed.h"
#include "tests/app/seed_oracle.h"

using namespace seed_oracle;

namespace {

Bytes OurCrypt(const Bytes& key, Bytes block, bool decrypt) {
  uint32_t rk[kSeedRoundKeyWords];
  SeedRoundKey(key.data(), rk);
  if (decrypt)
    SeedDecrypt(block.data(), rk);
  else
    SeedEncrypt(block.data(), rk);
  return block;
}

struct Vector {
  const char* key;
  const char* plain;
  const char* cipher;
};

// The four test vectors published with the cipher (big-endian words).
const Vector kPublished[] = {
    {"00000000000000000000000000000000", "000102030405060708090a0b0c0d0e0f", "5ebac6e0054e166819aff1cc6d346cdb"},
    {"000102030405060708090a0b0c0d0e0f", "00000000000000000000000000000000", "c11f22f20140505084483597e4370f43"},
    {"4706480851e61be85d74bfb3fd956185", "83a2f8a288641fb9a4e9a5cc2f131c7d", "ee54d13ebcae706d226bc3142cd40d4a"},
    {"28dbc3bc49ffd87dcfa509b11d422be7", "b41e6be2eba84a148e2eed84593c5ec7", "9b9b7bfcd1813cb95d0b3618f40f5122"},
};

TEST(Seed, PublishedVectorsThroughTheWordSwaps) {
  for (const Vector& v : kPublished) {
    SCOPED_TRACE(v.key);
    const Bytes key = FromHex(v.key), plain = FromHex(v.plain), cipher = FromHex(v.cipher);
    EXPECT_EQ(v.cipher, ToHex(SwapWords(OurCrypt(SwapWords(key), SwapWords(plain), false))));
    EXPECT_EQ(v.plain, ToHex(SwapWords(OurCrypt(SwapWords(key), SwapWords(cipher), true))));
    // The oracle agrees with the vectors, so a disagreement below is ours.
    EXPECT_EQ(v.cipher, ToHex(PublishedCrypt(key, plain, kEncrypt)));
  }
}

TEST(Seed, WordsAreReadLittleEndian) {
  // Without the swaps the first vector gives another block.
  const Bytes key = FromHex(kPublished[0].key), plain = FromHex(kPublished[0].plain);
  EXPECT_NE(kPublished[0].cipher, ToHex(OurCrypt(key, plain, false)));
  EXPECT_EQ(ToHex(LittleEndianCrypt(key, plain, kEncrypt)), ToHex(OurCrypt(key, plain, false)));
}

TEST(Seed, AgreesWithLibcryptoOnRandomBlocksBothWays) {
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int i = 0; i < 2000; ++i) {
    Bytes key(16), block(16);
    for (auto& b : key) b = static_cast<uint8_t>(byte(rng));
    for (auto& b : block) b = static_cast<uint8_t>(byte(rng));
    SCOPED_TRACE(ToHex(key) + " " + ToHex(block));
    const Bytes ours = OurCrypt(key, block, false);
    ASSERT_EQ(ToHex(LittleEndianCrypt(key, block, kEncrypt)), ToHex(ours));
    ASSERT_EQ(ToHex(LittleEndianCrypt(key, block, kDecrypt)), ToHex(OurCrypt(key, block, true)));
    ASSERT_EQ(ToHex(block), ToHex(OurCrypt(key, ours, true)));
  }
}

}  // namespace
