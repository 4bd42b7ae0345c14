// The cipher cores: Blowfish, Rijndael's submission interface and SHA-0,
// against published vectors and against libcrypto as an oracle.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "net/nte/nte_blowfish.h"
#include "net/nte/nte_rijndael.h"
#include "net/nte/nte_sha0.h"
#include "tests/nte/crypto_oracle.h"

namespace {

using oracle::Bytes;
using oracle::FromHex;
using oracle::ToHex;

const uint8_t* U8(const Bytes& b) { return reinterpret_cast<const uint8_t*>(b.data()); }

uint32_t Be(const Bytes& b, size_t at) { return oracle::ReadBe32(b, at); }

// Blowfish on a big-endian block, as the published vectors are written.
std::string BlowfishHex(const Bytes& key, const Bytes& block, bool encrypt = true) {
  blowfish_state st;
  blowfish_initialize(&st, U8(key), static_cast<int>(key.size()));
  uint32_t l = Be(block, 0), r = Be(block, 4);
  if (encrypt)
    blowfish_encipher(&st, &l, &r);
  else
    blowfish_decipher(&st, &l, &r);
  return ToHex(oracle::Be32(l) + oracle::Be32(r));
}

TEST(Blowfish, PublishedVectors) {
  // Schneier's ECB set: key, plaintext, ciphertext.
  const char* const kEcb[][3] = {
      {"0000000000000000", "0000000000000000", "4ef997456198dd78"},
      {"ffffffffffffffff", "ffffffffffffffff", "51866fd5b85ecb8a"},
      {"3000000000000000", "1000000000000001", "7d856f9a613063f2"},
      {"1111111111111111", "1111111111111111", "2466dd878b963c9d"},
      {"0123456789abcdef", "1111111111111111", "61f9c3802281b096"},
      {"1111111111111111", "0123456789abcdef", "7d0cc630afda1ec7"},
      {"fedcba9876543210", "0123456789abcdef", "0aceab0fc6a0a28d"},
      {"7ca110454a1a6e57", "01a1d6d039776742", "59c68245eb05282b"},
      {"0131d9619dc1376e", "5cd54ca83def57da", "b1b8cc0b250f09a0"},
      {"07a1133e4a0b2686", "0248d43806f67172", "1730e5778bea1da4"},
      {"3849674c2602319e", "51454b582ddf440a", "a25e7856cf2651eb"},
      {"04b915ba43feb5b6", "42fd443059577fa2", "353882b109ce8f1a"},
      {"0113b970fd34f2ce", "059b5e0851cf143a", "48f4d0884c379918"},
      {"0170f175468fb5e6", "0756d8e0774761d2", "432193b78951fc98"},
      {"43297fad38e373fe", "762514b829bf486a", "13f04154d69d1ae5"},
      {"07a7137045da2a16", "3bdd119049372802", "2eedda93ffd39c79"},
      {"04689104c2fd3b2f", "26955f6835af609a", "d887e0393c2da6e3"},
      {"37d06bb516cb7546", "164d5e404f275232", "5f99d04f5b163969"},
      {"1f08260d1ac2465e", "6b056e18759f5cca", "4a057a3b24d3977b"},
      {"584023641aba6176", "004bd6ef09176062", "452031c1e4fada8e"},
      {"025816164629b007", "480d39006ee762f2", "7555ae39f59b87bd"},
      {"49793ebc79b3258f", "437540c8698f3cfa", "53c55f9cb49fc019"},
      {"4fb05e1515ab73a7", "072d43a077075292", "7a8e7bfa937e89a3"},
      {"49e95d6d4ca229bf", "02fe55778117f12a", "cf9c5d7a4986adb5"},
      {"018310dc409b26d6", "1d9d5c5018f728c2", "d1abb290658bc778"},
      {"1c587f1c13924fef", "305532286d6f295a", "55cb3774d13ef201"},
      {"0101010101010101", "0123456789abcdef", "fa34ec4847b268b2"},
      {"1f1f1f1f0e0e0e0e", "0123456789abcdef", "a790795108ea3cae"},
      {"e0fee0fef1fef1fe", "0123456789abcdef", "c39e072d9fac631d"},
      {"0000000000000000", "ffffffffffffffff", "014933e0cdaff6e4"},
      {"ffffffffffffffff", "0000000000000000", "f21e9a77b71c49bc"},
      {"0123456789abcdef", "0000000000000000", "245946885754369a"},
      {"fedcba9876543210", "ffffffffffffffff", "6b5c5a9c5d9e0a5a"},
  };
  for (const auto& v : kEcb) {
    SCOPED_TRACE(v[0]);
    EXPECT_EQ(v[2], BlowfishHex(FromHex(v[0]), FromHex(v[1])));
    EXPECT_EQ(v[1], BlowfishHex(FromHex(v[0]), FromHex(v[2]), false));
  }
  // The variable-key-length set: the first n bytes of one key, one block.
  const Bytes key = FromHex("f0e1d2c3b4a5968778695a4b3c2d1e0f0011223344556677");
  const char* const kVariable[] = {
      "f9ad597c49db005e", "e91d21c1d961a6d6", "e9c2b70a1bc65cf3", "be1e639408640f05", "b39e44481bdb1e6e",
      "9457aa83b1928c0d", "8bb77032f960629d", "e87a244e2cc85e82", "15750e7a4f4ec577", "122ba70b3ab64ae0",
      "3a833c9affc537f6", "9409da87a90f6bf2", "884f80625060b8b4", "1f85031c19e11968", "79d9373a714ca34f",
      "93142887ee3be15c", "03429e838ce2d14b", "a4299e27469ff67b", "afd5aed1c1bc96a8", "10851c0e3858da9f",
      "e6f51ed79b9db21f", "64a6e14afd36b46f", "80c7d7d45a5479ad", "05044b62fa52d080",
  };
  for (size_t n = 1; n <= key.size(); ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(kVariable[n - 1], BlowfishHex(key.substr(0, n), FromHex("fedcba9876543210")));
  }
}

TEST(Blowfish, RecordFormReadsEachHalfLittleEndian) {
  // The record form through the engine's own block routine.  The first rows
  // are published vectors with each 4-byte group reversed by hand (block
  // 0123456789abcdef is written 67452301 efcdab89); the last cuts one
  // stream of five blocks at every length, so that each way the routine
  // groups blocks meets a fixed value (from tests/nte/independent_values.py).
  struct Case {
    const char* key;  // hexadecimal
    const char* in;
    const char* out;
  } cases[] = {
      {"fedcba9876543210", "67452301efcdab89", "0fabce0a8da2a0c6"},
      {"0123456789abcdef", "1111111111111111", "80c3f96196b08122"},
      {"49e95d6d4ca229bf", "7755fe022af11781", "7a5d9ccfb5ad8649"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    const Bytes key = FromHex(c.key);
    blowfish_state st;
    blowfish_initialize(&st, U8(key), static_cast<int>(key.size()));
    Bytes block = FromHex(c.in);
    blowfish_ecb_le(&st, reinterpret_cast<uint8_t*>(&block[0]), block.size(), 1);
    EXPECT_EQ(c.out, ToHex(block));
    blowfish_ecb_le(&st, reinterpret_cast<uint8_t*>(&block[0]), block.size(), 0);
    EXPECT_EQ(c.in, ToHex(block));
  }
  const Bytes key = "Quorl key 16 byt";
  blowfish_state st;
  blowfish_initialize(&st, U8(key), 16);
  const std::string plain = "101112131415161718191a1b1c1d1e1f202122232425262728292a2b2c2d2e2f3031323334353637";
  const std::string cipher = "d60d983119e9eaa8ffc86dbd9732bfd8c7503101c6e7c04342d3a118acfca570f1599075e3dedf77";
  for (size_t blocks = 1; blocks <= 5; ++blocks) {
    SCOPED_TRACE(blocks);
    Bytes data = FromHex(plain.substr(0, 16 * blocks));
    blowfish_ecb_le(&st, reinterpret_cast<uint8_t*>(&data[0]), data.size(), 1);
    EXPECT_EQ(cipher.substr(0, 16 * blocks), ToHex(data));
    blowfish_ecb_le(&st, reinterpret_cast<uint8_t*>(&data[0]), data.size(), 0);
    EXPECT_EQ(plain.substr(0, 16 * blocks), ToHex(data));
  }
}

TEST(Blowfish, AgreesWithLibcryptoForEveryKeyLength) {
  std::mt19937 rng(20240601);
  for (int length = 4; length <= 56; ++length) {
    SCOPED_TRACE(length);
    const Bytes key = oracle::Random(rng, static_cast<size_t>(length));
    BF_KEY ref;
    BF_set_key(&ref, length, U8(key));
    blowfish_state st;
    blowfish_initialize(&st, U8(key), length);
    for (int i = 0; i < 8; ++i) {
      const Bytes block = oracle::Random(rng, 8);
      unsigned char expect[8];
      BF_ecb_encrypt(U8(block), expect, &ref, BF_ENCRYPT);
      EXPECT_EQ(ToHex(Bytes(reinterpret_cast<char*>(expect), 8)), BlowfishHex(key, block));
      BF_ecb_encrypt(U8(block), expect, &ref, BF_DECRYPT);
      EXPECT_EQ(ToHex(Bytes(reinterpret_cast<char*>(expect), 8)), BlowfishHex(key, block, false));
    }
  }
}

TEST(Blowfish, RecordFormOfAnyNumberOfBlocksAgreesWithLibcrypto) {
  // Blocks go through the rounds four, three, two or one at a time.
  std::mt19937 rng(11);
  const Bytes key = oracle::Random(rng, 16);
  const oracle::Encoder ref(oracle::Cipher::kBlowfish, key);
  blowfish_state st;
  blowfish_initialize(&st, U8(key), 16);
  for (size_t blocks = 0; blocks <= 9; ++blocks) {
    SCOPED_TRACE(blocks);
    const Bytes plain = oracle::Random(rng, 8 * blocks);
    Bytes ours = plain, expect = plain;
    blowfish_ecb_le(&st, reinterpret_cast<uint8_t*>(&ours[0]), ours.size(), 1);
    ref.Crypt(&expect, true);
    EXPECT_EQ(ToHex(expect), ToHex(ours));
    blowfish_ecb_le(&st, reinterpret_cast<uint8_t*>(&ours[0]), ours.size(), 0);
    EXPECT_EQ(ToHex(plain), ToHex(ours));
  }
}

// --- Rijndael --------------------------------------------------------------

Bytes RunRijndael(int mode, uint8_t direction, const std::string& key_hex, const char* iv, const Bytes& in) {
  keyInstance key;
  cipherInstance cipher;
  EXPECT_EQ(RIJNDAEL_TRUE, makeKey(&key, direction, static_cast<int>(key_hex.size()) * 4, key_hex.c_str()));
  EXPECT_EQ(RIJNDAEL_TRUE, cipherInit(&cipher, static_cast<uint8_t>(mode), iv));
  Bytes out(in.size(), '\0');
  const int bits = static_cast<int>(in.size()) * 8;
  const int done = direction == RIJNDAEL_DIR_ENCRYPT
                       ? blockEncrypt(&cipher, &key, U8(in), bits, reinterpret_cast<uint8_t*>(&out[0]))
                       : blockDecrypt(&cipher, &key, U8(in), bits, reinterpret_cast<uint8_t*>(&out[0]));
  EXPECT_EQ(bits, done);
  return out;
}

TEST(Rijndael, PublishedVectors) {
  struct Vector {
    const char* name;
    int mode;
    const char* key;
    const char* iv;
    const char* plain;
    const char* cipher;
  };
  const char* kSpKey = "2b7e151628aed2a6abf7158809cf4f3c";
  const char* kSpIv = "000102030405060708090a0b0c0d0e0f";
  const char* kSpPlain =
      "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
      "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710";
  const Vector kVectors[] = {
      // FIPS-197 appendix C (128-, 192-, 256-bit keys) and appendix B.
      {"C.1", RIJNDAEL_MODE_ECB, "000102030405060708090a0b0c0d0e0f", nullptr, "00112233445566778899aabbccddeeff",
       "69c4e0d86a7b0430d8cdb78070b4c55a"},
      {"C.2", RIJNDAEL_MODE_ECB, "000102030405060708090a0b0c0d0e0f1011121314151617", nullptr,
       "00112233445566778899aabbccddeeff", "dda97ca4864cdfe06eaf70a0ec0d7191"},
      {"C.3", RIJNDAEL_MODE_ECB, "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f", nullptr,
       "00112233445566778899aabbccddeeff", "8ea2b7ca516745bfeafc49904b496089"},
      {"B", RIJNDAEL_MODE_ECB, kSpKey, nullptr, "3243f6a8885a308d313198a2e0370734", "3925841d02dc09fbdc118597196a0b32"},
      // SP 800-38A F.2.1 (CBC-AES128) and F.3.1 (CFB1-AES128, 16 bits
      // given as 2 bytes; here a whole 128-bit block of them).
      {"CBC", RIJNDAEL_MODE_CBC, kSpKey, kSpIv, kSpPlain,
       "7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2"
       "73bed6b8e3c1743b7116e69e222295163ff1caa1681fac09120eca307586e1a7"},
  };
  for (const Vector& v : kVectors) {
    SCOPED_TRACE(v.name);
    const Bytes plain = FromHex(v.plain);
    EXPECT_EQ(v.cipher, ToHex(RunRijndael(v.mode, RIJNDAEL_DIR_ENCRYPT, v.key, v.iv, plain)));
    EXPECT_EQ(v.plain, ToHex(RunRijndael(v.mode, RIJNDAEL_DIR_DECRYPT, v.key, v.iv, FromHex(v.cipher))));
  }
  // CFB1: the vector's 16 bits 0110101111000001 -> 0110100010110011 are the
  // first two bytes of a block (the interface takes whole 128-bit blocks).
  const Bytes cfb_plain = FromHex(std::string(kSpPlain).substr(0, 32));
  const Bytes cfb_cipher = RunRijndael(RIJNDAEL_MODE_CFB1, RIJNDAEL_DIR_ENCRYPT, kSpKey, kSpIv, cfb_plain);
  EXPECT_EQ("68b3", ToHex(cfb_cipher.substr(0, 2)));
  EXPECT_EQ(ToHex(cfb_plain), ToHex(RunRijndael(RIJNDAEL_MODE_CFB1, RIJNDAEL_DIR_DECRYPT, kSpKey, kSpIv, cfb_cipher)));
}

TEST(Rijndael, AgreesWithLibcryptoInEveryModeAndKeySize) {
  std::mt19937 rng(7);
  for (int bits : {128, 192, 256}) {
    for (int mode : {RIJNDAEL_MODE_ECB, RIJNDAEL_MODE_CBC, RIJNDAEL_MODE_CFB1}) {
      SCOPED_TRACE(std::to_string(bits) + " mode " + std::to_string(mode));
      for (int round = 0; round < 4; ++round) {
        const Bytes key = oracle::Random(rng, static_cast<size_t>(bits / 8));
        const Bytes iv = oracle::Random(rng, 16);
        const Bytes plain = oracle::Random(rng, 16 * 3);
        // Upper-case key text on odd rounds: either case is hexadecimal.
        std::string key_text = ToHex(key, round % 2 == 1);
        const std::string iv_text = ToHex(iv);
        AES_KEY enc, dec;
        AES_set_encrypt_key(U8(key), bits, &enc);
        AES_set_decrypt_key(U8(key), bits, &dec);
        Bytes expect(plain.size(), '\0');
        unsigned char* out = reinterpret_cast<unsigned char*>(&expect[0]);
        unsigned char ivbuf[16];
        std::memcpy(ivbuf, iv.data(), 16);
        int num = 0;
        if (mode == RIJNDAEL_MODE_ECB) {
          for (size_t i = 0; i < plain.size(); i += 16) AES_ecb_encrypt(U8(plain) + i, out + i, &enc, AES_ENCRYPT);
        } else if (mode == RIJNDAEL_MODE_CBC) {
          AES_cbc_encrypt(U8(plain), out, plain.size(), &enc, ivbuf, AES_ENCRYPT);
        } else {
          AES_cfb1_encrypt(U8(plain), out, plain.size() * 8, &enc, ivbuf, &num, AES_ENCRYPT);
        }
        const char* iv_arg = mode == RIJNDAEL_MODE_ECB ? nullptr : iv_text.c_str();
        EXPECT_EQ(ToHex(expect), ToHex(RunRijndael(mode, RIJNDAEL_DIR_ENCRYPT, key_text, iv_arg, plain)));
        EXPECT_EQ(ToHex(plain), ToHex(RunRijndael(mode, RIJNDAEL_DIR_DECRYPT, key_text, iv_arg, expect)));
      }
    }
  }
}

TEST(Rijndael, InterfaceReturnCodes) {
  keyInstance key;
  cipherInstance cipher;
  const char* k128 = "000102030405060708090a0b0c0d0e0f";
  struct KeyCase {
    const char* name;
    keyInstance* key;
    int direction;
    int bits;
    const char* material;
    int result;
  } key_cases[] = {
      {"ok", &key, 0, 128, k128, RIJNDAEL_TRUE},
      {"null key instance", nullptr, 0, 128, k128, RIJNDAEL_BAD_KEY_INSTANCE},
      {"direction 2", &key, 2, 128, k128, RIJNDAEL_BAD_KEY_DIR},
      {"64 bits", &key, 0, 64, k128, RIJNDAEL_BAD_KEY_MAT},
      {"non-hex digit", &key, 1, 128, "000102030405060708090a0b0c0d0e0g", RIJNDAEL_BAD_KEY_MAT},
      {"too short", &key, 0, 192, k128, RIJNDAEL_BAD_KEY_MAT},
      {"null material", &key, 0, 128, nullptr, RIJNDAEL_BAD_KEY_MAT},
  };
  for (const KeyCase& c : key_cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.result, makeKey(c.key, static_cast<uint8_t>(c.direction), c.bits, c.material));
  }
  EXPECT_EQ(RIJNDAEL_BAD_CIPHER_MODE, cipherInit(&cipher, 4, nullptr));
  EXPECT_EQ(RIJNDAEL_BAD_CIPHER_MODE, cipherInit(&cipher, 0, nullptr));
  EXPECT_EQ(RIJNDAEL_BAD_CIPHER_INSTANCE, cipherInit(&cipher, RIJNDAEL_MODE_CBC, "00112233445566778899aabbccddeexx"));
  EXPECT_EQ(RIJNDAEL_BAD_CIPHER_INSTANCE, cipherInit(&cipher, RIJNDAEL_MODE_CBC, "0011"));
  EXPECT_EQ(RIJNDAEL_BAD_CIPHER_INSTANCE, cipherInit(nullptr, RIJNDAEL_MODE_ECB, nullptr));

  uint8_t in[32] = {}, out[32];
  ASSERT_EQ(RIJNDAEL_TRUE, makeKey(&key, RIJNDAEL_DIR_ENCRYPT, 128, k128));
  ASSERT_EQ(RIJNDAEL_TRUE, cipherInit(&cipher, RIJNDAEL_MODE_ECB, nullptr));
  EXPECT_EQ(256, blockEncrypt(&cipher, &key, in, 256, out));
  EXPECT_EQ(128, blockEncrypt(&cipher, &key, in, 255, out)) << "whole blocks only";
  EXPECT_EQ(0, blockEncrypt(&cipher, &key, in, 127, out));
  EXPECT_EQ(0, blockEncrypt(&cipher, &key, nullptr, 128, out));
  EXPECT_EQ(RIJNDAEL_BAD_CIPHER_STATE, blockDecrypt(&cipher, &key, in, 128, out)) << "an encryption key";
  EXPECT_EQ(RIJNDAEL_BAD_CIPHER_STATE, blockEncrypt(nullptr, &key, in, 128, out));
  EXPECT_EQ(RIJNDAEL_BAD_CIPHER_STATE, blockEncrypt(&cipher, nullptr, in, 128, out));
  ASSERT_EQ(RIJNDAEL_TRUE, makeKey(&key, RIJNDAEL_DIR_DECRYPT, 128, k128));
  EXPECT_EQ(RIJNDAEL_BAD_CIPHER_STATE, blockEncrypt(&cipher, &key, in, 128, out)) << "a decryption key";
  cipher.mode = 9;
  EXPECT_EQ(RIJNDAEL_BAD_CIPHER_STATE, blockDecrypt(&cipher, &key, in, 128, out));
}

// --- SHA-0 -----------------------------------------------------------------

std::string Sha0(const std::string& message, size_t piece) {
  nte_sha_ctx ctx;
  nte_sha_init(&ctx);
  for (size_t at = 0; at < message.size(); at += piece) {
    nte_sha_update(&ctx, message.data() + at, std::min(piece, message.size() - at));
  }
  nte_sha_final(&ctx);
  char text[41];
  for (int i = 0; i < 5; ++i) std::snprintf(text + 8 * i, 9, "%08x", static_cast<unsigned>(ctx.digest[i]));
  return text;
}

TEST(Sha0, PublishedDigests) {
  const std::string million(1000000, 'a');
  struct Case {
    const char* name;
    const std::string* message;
    std::string text;
    const char* digest;
  };
  const std::string abc = "abc";
  const std::string m448 = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
  const Case cases[] = {
      {"abc", &abc, "", "0164b8a914cd2a5e74c4f7ff082c4d97f1edf880"},
      {"448 bits", &m448, "", "d2516ee1acfa5baf33dfc1c471e438449ef134c8"},
      {"a million a", &million, "", "3232affa48628a26653b5aaa44541fd90d690603"},
  };
  for (const Case& c : cases) {
    // Fed whole, byte by byte and in odd pieces: the block boundary must
    // not matter.
    for (size_t piece : {c.message->size(), size_t{1}, size_t{63}, size_t{65}}) {
      if (c.message->size() > 1000 && piece == 1) continue;
      SCOPED_TRACE(std::string(c.name) + " piece " + std::to_string(piece));
      EXPECT_EQ(c.digest, Sha0(*c.message, piece == 0 ? 1 : piece));
    }
  }
}

TEST(Sha0, ByteReverseGivesBigEndianWords) {
  uint32_t words[2];
  const uint8_t bytes[8] = {0x01, 0x02, 0x03, 0x04, 0xA0, 0xB0, 0xC0, 0xD0};
  std::memcpy(words, bytes, 8);
  nte_sha_byte_reverse(words, 8);
  EXPECT_EQ(0x01020304u, words[0]);
  EXPECT_EQ(0xA0B0C0D0u, words[1]);
}

}  // namespace
