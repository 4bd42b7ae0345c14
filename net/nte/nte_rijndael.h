// Rijndael with 128-bit blocks (AES), in two layers:
// - the block functions over expanded keys (rijndaelKeySetupEnc/Dec,
//   rijndaelEncrypt/Decrypt), table-driven;
// - the programming interface of the algorithm's submission: keys given as
//   hexadecimal text (makeKey), a mode and IV (cipherInit), and block
//   functions that take and return lengths in bits.
// The engine's record hooks use ECB with 128-bit keys only; the other modes
// and key sizes are part of the interface and tested as such.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int RIJNDAEL_MAXNR = 14;
constexpr int RIJNDAEL_MAX_KEY_SIZE = 64;  // hexadecimal digits of a 256-bit key
constexpr int RIJNDAEL_MAX_IV_SIZE = 16;   // bytes

// Expands a 128-, 192- or 256-bit key into rk (4 x (Nr + 1) words) and
// returns the number of rounds Nr (10, 12 or 14); 0 for another size.
int rijndaelKeySetupEnc(uint32_t rk[4 * (RIJNDAEL_MAXNR + 1)], const uint8_t* cipherKey, int keyBits);
// The decryption schedule (equivalent inverse cipher) of the same key.
int rijndaelKeySetupDec(uint32_t rk[4 * (RIJNDAEL_MAXNR + 1)], const uint8_t* cipherKey, int keyBits);
void rijndaelEncrypt(const uint32_t* rk, int Nr, const uint8_t pt[16], uint8_t ct[16]);
void rijndaelDecrypt(const uint32_t* rk, int Nr, const uint8_t ct[16], uint8_t pt[16]);
// ECB over whole blocks, two at a time (input and output may be the same).
void rijndael_ecb_encrypt(const uint32_t* rk, int Nr, const uint8_t* in, uint8_t* out, size_t blocks);
void rijndael_ecb_decrypt(const uint32_t* rk, int Nr, const uint8_t* in, uint8_t* out, size_t blocks);

// The submission interface.  Its codes are fixed by that interface.
enum : int {
  RIJNDAEL_DIR_ENCRYPT = 0,
  RIJNDAEL_DIR_DECRYPT = 1,
  RIJNDAEL_MODE_ECB = 1,
  RIJNDAEL_MODE_CBC = 2,
  RIJNDAEL_MODE_CFB1 = 3,
  RIJNDAEL_TRUE = 1,
  RIJNDAEL_BAD_KEY_DIR = -1,
  RIJNDAEL_BAD_KEY_MAT = -2,
  RIJNDAEL_BAD_KEY_INSTANCE = -3,
  RIJNDAEL_BAD_CIPHER_MODE = -4,
  RIJNDAEL_BAD_CIPHER_STATE = -5,
  RIJNDAEL_BAD_CIPHER_INSTANCE = -7,  // also a bad IV text
};

struct keyInstance {
  uint8_t direction;                            // RIJNDAEL_DIR_*
  int keyLen;                                   // bits: 128, 192 or 256
  char keyMaterial[RIJNDAEL_MAX_KEY_SIZE + 1];  // the key as hexadecimal text
  int Nr;                                       // rounds of this key
  uint32_t rk[4 * (RIJNDAEL_MAXNR + 1)];        // schedule of the key's direction
  uint32_t ek[4 * (RIJNDAEL_MAXNR + 1)];        // encryption schedule (CFB1 uses it both ways)
};

struct cipherInstance {
  uint8_t mode;  // RIJNDAEL_MODE_*
  uint8_t IV[RIJNDAEL_MAX_IV_SIZE];
};

// Sets up a key: direction 0 or 1, keyLen 128/192/256 bits, keyMaterial
// keyLen / 4 hexadecimal digits (either case).  RIJNDAEL_TRUE, or -1 bad
// direction, -2 bad key length or material, -3 null key instance.
int makeKey(keyInstance* key, uint8_t direction, int keyLen, const char* keyMaterial);
// Sets the mode (1 ECB, 2 CBC, 3 CFB1) and the IV: 32 hexadecimal digits,
// or null for zeros.  RIJNDAEL_TRUE, or -4 bad mode, -7 bad IV or null
// cipher instance.
int cipherInit(cipherInstance* cipher, uint8_t mode, const char* IV);
// Processes inputLen / 128 whole blocks (inputLen in bits) into outBuffer
// and returns the bits processed; 0 for a null input or a length below one
// block; -5 for a key of the other direction (CFB1 takes either), a null
// cipher or key, or an unknown mode.  CBC and CFB1 carry their IV on in the
// cipher instance.
int blockEncrypt(cipherInstance* cipher, keyInstance* key, const uint8_t* input, int inputLen, uint8_t* outBuffer);
int blockDecrypt(cipherInstance* cipher, keyInstance* key, const uint8_t* input, int inputLen, uint8_t* outBuffer);
