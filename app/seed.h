// The SEED block cipher (128-bit block, 128-bit key, 16 rounds), as the web
// portal uses it for the launch data it leaves on the clipboard.
//
// The portal takes each 16-byte block and the 16-byte key as four 32-bit
// words in little-endian byte order (word 0 = bytes 0 to 3) and writes the
// result back the same way. The published description of the cipher reads
// its words big-endian; there is no conversion here, so a block ciphered here
// equals the published cipher applied to the block with each 4-byte group
// reversed (and the key likewise), with each 4-byte group of the result
// reversed again. Platform-neutral; no shared state.
#pragma once

#include <cstdint>

constexpr int kSeedBlockSize = 16;
constexpr int kSeedKeySize = 16;
constexpr int kSeedRoundKeyWords = 32;

// Expands a 16-byte key into the 32 round-key words (two per round).
void SeedRoundKey(const uint8_t key[kSeedKeySize], uint32_t roundKeys[kSeedRoundKeyWords]);

// Enciphers / deciphers one 16-byte block in place with round keys from
// SeedRoundKey.
void SeedEncrypt(uint8_t block[kSeedBlockSize], const uint32_t roundKeys[kSeedRoundKeyWords]);
void SeedDecrypt(uint8_t block[kSeedBlockSize], const uint32_t roundKeys[kSeedRoundKeyWords]);
