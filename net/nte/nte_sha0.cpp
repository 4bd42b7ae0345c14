// SHA-0.
#include "net/nte/nte_sha0.h"

#include <cstring>

#include "framework/byte_order.h"

namespace {

inline uint32_t rotl(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

}  // namespace

void nte_sha_byte_reverse(uint32_t* buffer, int count) {
  // Reads each word's bytes in memory order whatever the host's order is.
  uint8_t* p = reinterpret_cast<uint8_t*>(buffer);
  for (int i = 0; i + 4 <= count; i += 4) {
    const uint32_t v = GetBe32(p + i);
    std::memcpy(p + i, &v, 4);
  }
}

void nte_sha_init(nte_sha_ctx* ctx) {
  ctx->digest[0] = 0x67452301u;
  ctx->digest[1] = 0xEFCDAB89u;
  ctx->digest[2] = 0x98BADCFEu;
  ctx->digest[3] = 0x10325476u;
  ctx->digest[4] = 0xC3D2E1F0u;
  ctx->count_lo = ctx->count_hi = 0;
  std::memset(ctx->data, 0, sizeof ctx->data);
  ctx->local = 0;
}

void nte_sha_transform(nte_sha_ctx* ctx) {
  uint32_t w[80];
  for (int t = 0; t < 16; ++t) w[t] = ctx->data[t];
  // The first edition's schedule: no rotation here (SHA-1 adds rotl 1).
  for (int t = 16; t < 80; ++t) w[t] = w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16];
  uint32_t a = ctx->digest[0], b = ctx->digest[1], c = ctx->digest[2], d = ctx->digest[3], e = ctx->digest[4];
  for (int t = 0; t < 80; ++t) {
    uint32_t f, k;
    if (t < 20) {
      f = (b & c) | (~b & d);
      k = 0x5A827999u;
    } else if (t < 40) {
      f = b ^ c ^ d;
      k = 0x6ED9EBA1u;
    } else if (t < 60) {
      f = (b & c) | (b & d) | (c & d);
      k = 0x8F1BBCDCu;
    } else {
      f = b ^ c ^ d;
      k = 0xCA62C1D6u;
    }
    const uint32_t temp = rotl(a, 5) + f + e + w[t] + k;
    e = d;
    d = c;
    c = rotl(b, 30);
    b = a;
    a = temp;
  }
  ctx->digest[0] += a;
  ctx->digest[1] += b;
  ctx->digest[2] += c;
  ctx->digest[3] += d;
  ctx->digest[4] += e;
}

void nte_sha_update(nte_sha_ctx* ctx, const void* buffer, size_t count) {
  const uint8_t* in = static_cast<const uint8_t*>(buffer);
  // The 64-bit bit count, carried by hand.
  const uint64_t bits = static_cast<uint64_t>(count) << 3;
  const uint32_t lo = ctx->count_lo + static_cast<uint32_t>(bits);
  if (lo < ctx->count_lo) ++ctx->count_hi;
  ctx->count_lo = lo;
  ctx->count_hi += static_cast<uint32_t>(bits >> 32);
  uint8_t* block = reinterpret_cast<uint8_t*>(ctx->data);
  while (count > 0) {
    size_t take = static_cast<size_t>(NTE_SHA_BLOCK - ctx->local);
    if (take > count) take = count;
    std::memcpy(block + ctx->local, in, take);
    ctx->local += static_cast<int>(take);
    in += take;
    count -= take;
    if (ctx->local == NTE_SHA_BLOCK) {
      nte_sha_byte_reverse(ctx->data, NTE_SHA_BLOCK);
      nte_sha_transform(ctx);
      ctx->local = 0;
    }
  }
}

void nte_sha_final(nte_sha_ctx* ctx) {
  const uint32_t lo = ctx->count_lo;
  const uint32_t hi = ctx->count_hi;
  uint8_t* block = reinterpret_cast<uint8_t*>(ctx->data);
  block[ctx->local++] = 0x80;
  if (ctx->local > NTE_SHA_BLOCK - 8) {
    std::memset(block + ctx->local, 0, static_cast<size_t>(NTE_SHA_BLOCK - ctx->local));
    nte_sha_byte_reverse(ctx->data, NTE_SHA_BLOCK);
    nte_sha_transform(ctx);
    ctx->local = 0;
  }
  std::memset(block + ctx->local, 0, static_cast<size_t>(NTE_SHA_BLOCK - 8 - ctx->local));
  nte_sha_byte_reverse(ctx->data, NTE_SHA_BLOCK - 8);
  ctx->data[14] = hi;
  ctx->data[15] = lo;
  nte_sha_transform(ctx);
  ctx->local = 0;
}
