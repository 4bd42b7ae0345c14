// The submission interface of Rijndael over the block functions.
#include <cstring>

#include "framework/hex_digit.h"
#include "net/nte/nte_rijndael.h"

namespace {

// n bytes from 2n hexadecimal digits: false at the first other character
// (the text's end included).
bool parse_hex(const char* text, uint8_t* out, int n) {
  for (int i = 0; i < n; ++i) {
    const int hi = HexDigitValue(text[2 * i]);
    if (hi < 0) return false;
    const int lo = HexDigitValue(text[2 * i + 1]);
    if (lo < 0) return false;
    out[i] = static_cast<uint8_t>((hi << 4) | lo);
  }
  return true;
}

void xor16(uint8_t* out, const uint8_t* a, const uint8_t* b) {
  for (int i = 0; i < 16; ++i) out[i] = static_cast<uint8_t>(a[i] ^ b[i]);
}

// CFB with one-bit feedback: each bit is the input bit XOR the top bit of
// the enciphered shift register, which then takes in the ciphertext bit.
// Each input byte is read before its output byte is written: input and
// output may be the same buffer.
void cfb1(cipherInstance* cipher, const keyInstance* key, const uint8_t* input, int bytes, uint8_t* out, bool decrypt) {
  uint8_t block[16];
  for (int n = 0; n < bytes; ++n) {
    const uint8_t in = input[n];
    uint8_t result = 0;
    for (int shift = 7; shift >= 0; --shift) {
      rijndaelEncrypt(key->ek, key->Nr, cipher->IV, block);
      const int in_bit = (in >> shift) & 1;
      const int out_bit = in_bit ^ (block[0] >> 7);
      const int feedback = decrypt ? in_bit : out_bit;
      result = static_cast<uint8_t>(result | (out_bit << shift));
      for (int i = 0; i < 15; ++i)
        cipher->IV[i] = static_cast<uint8_t>((cipher->IV[i] << 1) | (cipher->IV[i + 1] >> 7));
      cipher->IV[15] = static_cast<uint8_t>((cipher->IV[15] << 1) | feedback);
    }
    out[n] = result;
  }
}

}  // namespace

int makeKey(keyInstance* key, uint8_t direction, int keyLen, const char* keyMaterial) {
  if (key == nullptr) return RIJNDAEL_BAD_KEY_INSTANCE;
  if (direction != RIJNDAEL_DIR_ENCRYPT && direction != RIJNDAEL_DIR_DECRYPT) return RIJNDAEL_BAD_KEY_DIR;
  if (keyLen != 128 && keyLen != 192 && keyLen != 256) return RIJNDAEL_BAD_KEY_MAT;
  if (keyMaterial == nullptr) return RIJNDAEL_BAD_KEY_MAT;
  // Only keyLen / 4 digits are read: text beyond them is no part of the key.
  const int digits = keyLen / 4;
  std::memset(key->keyMaterial, 0, sizeof key->keyMaterial);
  for (int i = 0; i < digits && keyMaterial[i] != '\0'; ++i) key->keyMaterial[i] = keyMaterial[i];
  uint8_t cipher_key[32];
  if (!parse_hex(key->keyMaterial, cipher_key, keyLen / 8)) {
    std::memset(cipher_key, 0, sizeof cipher_key);
    return RIJNDAEL_BAD_KEY_MAT;
  }
  key->direction = direction;
  key->keyLen = keyLen;
  if (direction == RIJNDAEL_DIR_ENCRYPT)
    key->Nr = rijndaelKeySetupEnc(key->rk, cipher_key, keyLen);
  else
    key->Nr = rijndaelKeySetupDec(key->rk, cipher_key, keyLen);
  rijndaelKeySetupEnc(key->ek, cipher_key, keyLen);
  // The schedules are all that is kept of the key bytes.
  volatile uint8_t* wipe = cipher_key;
  for (size_t i = 0; i < sizeof cipher_key; ++i) wipe[i] = 0;
  return RIJNDAEL_TRUE;
}

int cipherInit(cipherInstance* cipher, uint8_t mode, const char* IV) {
  if (cipher == nullptr) return RIJNDAEL_BAD_CIPHER_INSTANCE;
  if (mode != RIJNDAEL_MODE_ECB && mode != RIJNDAEL_MODE_CBC && mode != RIJNDAEL_MODE_CFB1)
    return RIJNDAEL_BAD_CIPHER_MODE;
  uint8_t iv[RIJNDAEL_MAX_IV_SIZE] = {};
  if (IV != nullptr && !parse_hex(IV, iv, RIJNDAEL_MAX_IV_SIZE)) return RIJNDAEL_BAD_CIPHER_INSTANCE;
  cipher->mode = mode;
  std::memcpy(cipher->IV, iv, sizeof iv);
  return RIJNDAEL_TRUE;
}

int blockEncrypt(cipherInstance* cipher, keyInstance* key, const uint8_t* input, int inputLen, uint8_t* outBuffer) {
  if (cipher == nullptr || key == nullptr) return RIJNDAEL_BAD_CIPHER_STATE;
  if (cipher->mode != RIJNDAEL_MODE_CFB1 && key->direction != RIJNDAEL_DIR_ENCRYPT) return RIJNDAEL_BAD_CIPHER_STATE;
  if (input == nullptr || inputLen <= 0) return 0;
  const int blocks = inputLen / 128;
  switch (cipher->mode) {
    case RIJNDAEL_MODE_ECB:
      rijndael_ecb_encrypt(key->rk, key->Nr, input, outBuffer, static_cast<size_t>(blocks));
      break;
    case RIJNDAEL_MODE_CBC: {
      uint8_t block[16];
      for (int i = 0; i < blocks; ++i) {
        xor16(block, input + 16 * i, cipher->IV);
        rijndaelEncrypt(key->rk, key->Nr, block, outBuffer + 16 * i);
        std::memcpy(cipher->IV, outBuffer + 16 * i, 16);
      }
      break;
    }
    case RIJNDAEL_MODE_CFB1:
      cfb1(cipher, key, input, 16 * blocks, outBuffer, false);
      break;
    default:
      return RIJNDAEL_BAD_CIPHER_STATE;
  }
  return 128 * blocks;
}

int blockDecrypt(cipherInstance* cipher, keyInstance* key, const uint8_t* input, int inputLen, uint8_t* outBuffer) {
  if (cipher == nullptr || key == nullptr) return RIJNDAEL_BAD_CIPHER_STATE;
  if (cipher->mode != RIJNDAEL_MODE_CFB1 && key->direction != RIJNDAEL_DIR_DECRYPT) return RIJNDAEL_BAD_CIPHER_STATE;
  if (input == nullptr || inputLen <= 0) return 0;
  const int blocks = inputLen / 128;
  switch (cipher->mode) {
    case RIJNDAEL_MODE_ECB:
      rijndael_ecb_decrypt(key->rk, key->Nr, input, outBuffer, static_cast<size_t>(blocks));
      break;
    case RIJNDAEL_MODE_CBC: {
      // The ciphertext block is kept before the output is written: input
      // and output may be the same buffer.
      uint8_t next_iv[16];
      uint8_t block[16];
      for (int i = 0; i < blocks; ++i) {
        std::memcpy(next_iv, input + 16 * i, 16);
        rijndaelDecrypt(key->rk, key->Nr, input + 16 * i, block);
        xor16(outBuffer + 16 * i, block, cipher->IV);
        std::memcpy(cipher->IV, next_iv, 16);
      }
      break;
    }
    case RIJNDAEL_MODE_CFB1:
      cfb1(cipher, key, input, 16 * blocks, outBuffer, true);
      break;
    default:
      return RIJNDAEL_BAD_CIPHER_STATE;
  }
  return 128 * blocks;
}
