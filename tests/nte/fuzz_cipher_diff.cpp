// The same bytes through our Blowfish and Rijndael and through libcrypto's:
// they must agree.
//
// Input: byte 0 picks the cipher and mode (Blowfish, Rijndael ECB, CBC,
// CFB1) and the key size; then the key (and for CBC/CFB1 the IV); the rest
// is the data, cut to whole blocks.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "net/nte/nte_blowfish.h"
#include "net/nte/nte_rijndael.h"
#include "tests/nte/crypto_oracle.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

uint32_t be32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

void blowfish(const uint8_t* key, int key_length, const uint8_t* in, size_t n) {
  blowfish_state ours;
  blowfish_initialize(&ours, key, key_length);
  BF_KEY ref;
  BF_set_key(&ref, key_length, key);
  for (size_t i = 0; i + 8 <= n; i += 8) {
    for (int dir : {BF_ENCRYPT, BF_DECRYPT}) {
      uint8_t expect[8];
      BF_ecb_encrypt(in + i, expect, &ref, dir);
      uint32_t l = be32(in + i), r = be32(in + i + 4);
      if (dir == BF_ENCRYPT)
        blowfish_encipher(&ours, &l, &r);
      else
        blowfish_decipher(&ours, &l, &r);
      check(l == be32(expect) && r == be32(expect + 4));
    }
  }
  // The record form: halves little-endian, blocks side by side.
  const size_t whole = n - n % 8;
  std::string mine(reinterpret_cast<const char*>(in), whole);
  std::string theirs = mine;
  blowfish_ecb_le(&ours, reinterpret_cast<uint8_t*>(&mine[0]), whole, 1);
  for (size_t i = 0; i < whole; i += 8) {
    unsigned char* p = reinterpret_cast<unsigned char*>(&theirs[i]);
    for (int w = 0; w < 8; w += 4) {
      std::swap(p[w], p[w + 3]);
      std::swap(p[w + 1], p[w + 2]);
    }
    BF_ecb_encrypt(p, p, &ref, BF_ENCRYPT);
    for (int w = 0; w < 8; w += 4) {
      std::swap(p[w], p[w + 3]);
      std::swap(p[w + 1], p[w + 2]);
    }
  }
  check(mine == theirs);
}

void rijndael(int mode, const uint8_t* key, int bits, const uint8_t* iv, const uint8_t* in, size_t n) {
  n -= n % 16;
  if (n == 0) return;
  const std::string key_text =
      oracle::ToHex(std::string(reinterpret_cast<const char*>(key), static_cast<size_t>(bits / 8)));
  const std::string iv_text = oracle::ToHex(std::string(reinterpret_cast<const char*>(iv), 16));
  AES_KEY enc, dec;
  AES_set_encrypt_key(key, bits, &enc);
  AES_set_decrypt_key(key, bits, &dec);
  for (uint8_t direction : {RIJNDAEL_DIR_ENCRYPT, RIJNDAEL_DIR_DECRYPT}) {
    std::string expect(n, '\0');
    unsigned char* out = reinterpret_cast<unsigned char*>(&expect[0]);
    unsigned char ivbuf[16];
    std::memcpy(ivbuf, iv, 16);
    int num = 0;
    const int aes_dir = direction == RIJNDAEL_DIR_ENCRYPT ? AES_ENCRYPT : AES_DECRYPT;
    if (mode == RIJNDAEL_MODE_ECB) {
      for (size_t i = 0; i < n; i += 16)
        AES_ecb_encrypt(in + i, out + i, aes_dir == AES_ENCRYPT ? &enc : &dec, aes_dir);
    } else if (mode == RIJNDAEL_MODE_CBC) {
      AES_cbc_encrypt(in, out, n, aes_dir == AES_ENCRYPT ? &enc : &dec, ivbuf, aes_dir);
    } else {
      AES_cfb1_encrypt(in, out, n * 8, &enc, ivbuf, &num, aes_dir);
    }
    keyInstance k;
    cipherInstance c;
    check(makeKey(&k, direction, bits, key_text.c_str()) == RIJNDAEL_TRUE);
    check(cipherInit(&c, static_cast<uint8_t>(mode), mode == RIJNDAEL_MODE_ECB ? nullptr : iv_text.c_str()) ==
          RIJNDAEL_TRUE);
    std::string ours(n, '\0');
    uint8_t* o = reinterpret_cast<uint8_t*>(&ours[0]);
    const int bits_done = direction == RIJNDAEL_DIR_ENCRYPT ? blockEncrypt(&c, &k, in, static_cast<int>(n * 8), o)
                                                            : blockDecrypt(&c, &k, in, static_cast<int>(n * 8), o);
    check(bits_done == static_cast<int>(n * 8));
    check(ours == expect);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int choice = data[0] & 3;
  const uint8_t* rest = data + 1;
  size_t left = size - 1;
  if (choice == 0) {
    const int key_length = 1 + (data[0] >> 2) % 56;  // 1..56 bytes
    if (left < static_cast<size_t>(key_length)) return 0;
    blowfish(rest, key_length, rest + key_length, left - static_cast<size_t>(key_length));
    return 0;
  }
  const int bits = 128 + 64 * ((data[0] >> 2) % 3);
  const size_t key_bytes = static_cast<size_t>(bits / 8);
  if (left < key_bytes + 16) return 0;
  rijndael(choice, rest, bits, rest + key_bytes, rest + key_bytes + 16, left - key_bytes - 16);
  return 0;
}
