// SHA-0: the hash of the first edition of the Secure Hash Standard, kept for
// the key exchange's exponent generator.  It is SHA-1 without the one-bit
// rotation in the message schedule: same initial values, round functions,
// constants, padding and 64-bit bit count.  Not for new uses.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int NTE_SHA_BLOCK = 64;
constexpr int NTE_SHA_DIGEST_WORDS = 5;

struct nte_sha_ctx {
  uint32_t digest[NTE_SHA_DIGEST_WORDS];
  uint32_t count_lo, count_hi;  // message length in bits
  uint32_t data[16];            // the block being filled, bytes in message order
  int local;                    // bytes held in data
};

void nte_sha_init(nte_sha_ctx* ctx);
void nte_sha_update(nte_sha_ctx* ctx, const void* buffer, size_t count);
// Compresses the full block in ctx->data (words already big-endian values).
void nte_sha_transform(nte_sha_ctx* ctx);
// Pads, compresses the last block(s) and leaves the five digest words in
// ctx->digest.
void nte_sha_final(nte_sha_ctx* ctx);
// Turns count bytes of message-order words into their big-endian values in
// place (on a little-endian host it reverses each word's bytes).
void nte_sha_byte_reverse(uint32_t* buffer, int count);
