// An independent encoder for the engine's encrypted stream, written over
// libcrypto (its Blowfish, AES and BIGNUM), for tests only.  Nothing here
// calls engine code: hexadecimal texts, record headers, the Blowfish
// half-order and the Rijndael key mapping are written out again, so that
// a mistake in the engine cannot hide in a shared helper.
#pragma once

#ifndef OPENSSL_SUPPRESS_DEPRECATED
#define OPENSSL_SUPPRESS_DEPRECATED
#endif
#include <openssl/aes.h>
#include <openssl/blowfish.h>
#include <openssl/bn.h>
#include <openssl/crypto.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace oracle {

using Bytes = std::string;  // raw bytes

inline Bytes FromHex(const std::string& hex) {
  Bytes out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    out.push_back(static_cast<char>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  }
  return out;
}

inline std::string ToHex(const Bytes& b, bool upper = false) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string out;
  for (unsigned char c : b) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

inline Bytes Be32(uint32_t v) {
  Bytes b(4, '\0');
  b[0] = static_cast<char>(v >> 24);
  b[1] = static_cast<char>(v >> 16);
  b[2] = static_cast<char>(v >> 8);
  b[3] = static_cast<char>(v);
  return b;
}

inline uint32_t ReadBe32(const Bytes& b, size_t at) {
  return (static_cast<uint32_t>(static_cast<unsigned char>(b[at])) << 24) |
         (static_cast<uint32_t>(static_cast<unsigned char>(b[at + 1])) << 16) |
         (static_cast<uint32_t>(static_cast<unsigned char>(b[at + 2])) << 8) |
         static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3]));
}

inline Bytes Random(std::mt19937& rng, size_t n) {
  Bytes b(n, '\0');
  for (char& c : b) c = static_cast<char>(rng() & 0xFF);
  return b;
}

// --- Diffie-Hellman over text, as the exchange carries it ----------------

inline std::string ModExp(const std::string& base, const std::string& modulus, const std::string& exponent) {
  BIGNUM* b = nullptr;
  BIGNUM* m = nullptr;
  BIGNUM* e = nullptr;
  BN_hex2bn(&b, base.c_str());
  BN_hex2bn(&m, modulus.c_str());
  BN_hex2bn(&e, exponent.c_str());
  BIGNUM* r = BN_new();
  BN_CTX* ctx = BN_CTX_new();
  if (!BN_mod_exp(r, b, e, m, ctx)) throw std::runtime_error("BN_mod_exp");
  char* text = BN_bn2hex(r);
  std::string out = text;
  OPENSSL_free(text);
  BN_CTX_free(ctx);
  BN_free(b);
  BN_free(m);
  BN_free(e);
  BN_free(r);
  return out;
}

// The connection key: the secret's text as pairs of digits, key-length
// bytes (the text is long enough in every use here).
inline Bytes KeyFromSecret(const std::string& secret, int key_length) {
  return FromHex(secret.substr(0, static_cast<size_t>(2 * key_length)));
}

// --- records -------------------------------------------------------------

enum class Cipher { kBlowfish, kRijndael };

class Encoder {
 public:
  Encoder(Cipher cipher, const Bytes& key) : cipher_(cipher) {
    if (cipher == Cipher::kBlowfish) {
      BF_set_key(&bf_, static_cast<int>(key.size()), reinterpret_cast<const unsigned char*>(key.data()));
    } else {
      // The engine feeds each key byte b to Rijndael as
      // (t(b >> 4) << 4) | t(b & 15), t(v) = v < 10 ? v : v - 9, and only
      // the first 16 bytes.
      unsigned char mapped[16];
      for (int i = 0; i < 16; ++i) {
        const unsigned char b = static_cast<unsigned char>(key[static_cast<size_t>(i)]);
        const int hi = b >> 4, lo = b & 15;
        mapped[i] = static_cast<unsigned char>(((hi < 10 ? hi : hi - 9) << 4) | (lo < 10 ? lo : lo - 9));
      }
      AES_set_encrypt_key(mapped, 128, &enc_);
      AES_set_decrypt_key(mapped, 128, &dec_);
    }
  }

  int Block() const { return cipher_ == Cipher::kBlowfish ? 8 : 16; }

  // One record for these plain bytes.
  Bytes Record(const Bytes& plain) const {
    const size_t padded = static_cast<size_t>(Block()) * (plain.size() / static_cast<size_t>(Block()) + 1);
    Bytes body = plain + Bytes(padded - plain.size(), '\0');
    Crypt(&body, true);
    return Be32(static_cast<uint32_t>(padded)) + Be32(static_cast<uint32_t>(plain.size())) + body;
  }

  // Records of a stream cut into pieces of at most max_plain bytes.
  Bytes Records(const Bytes& plain, size_t max_plain) const {
    Bytes out;
    size_t at = 0;
    do {
      const size_t n = std::min(max_plain, plain.size() - at);
      out += Record(plain.substr(at, n));
      at += n;
    } while (at < plain.size());
    return out;
  }

  // The plain bytes of a stream of whole records; false when it is not one.
  bool Decode(const Bytes& wire, Bytes* plain) const {
    size_t at = 0;
    plain->clear();
    while (at < wire.size()) {
      if (wire.size() - at < 8) return false;
      const uint32_t padded = ReadBe32(wire, at);
      const uint32_t p = ReadBe32(wire, at + 4);
      if (padded % static_cast<uint32_t>(Block()) != 0 || p > padded || wire.size() - at - 8 < padded) return false;
      Bytes body = wire.substr(at + 8, padded);
      Crypt(&body, false);
      if (body.substr(p) != Bytes(padded - p, '\0')) return false;
      *plain += body.substr(0, p);
      at += 8 + padded;
    }
    return true;
  }

  void Crypt(Bytes* data, bool encrypt) const {
    unsigned char* p = reinterpret_cast<unsigned char*>(&(*data)[0]);
    for (size_t i = 0; i < data->size(); i += static_cast<size_t>(Block())) {
      if (cipher_ == Cipher::kBlowfish) {
        // libcrypto reads the halves big-endian, the engine little-endian:
        // each 4-byte group is reversed before and after.
        Swap4(p + i);
        BF_ecb_encrypt(p + i, p + i, &bf_, encrypt ? BF_ENCRYPT : BF_DECRYPT);
        Swap4(p + i);
      } else if (encrypt) {
        AES_encrypt(p + i, p + i, &enc_);
      } else {
        AES_decrypt(p + i, p + i, &dec_);
      }
    }
  }

 private:
  static void Swap4(unsigned char* p) {
    for (int w = 0; w < 8; w += 4) {
      std::swap(p[w], p[w + 3]);
      std::swap(p[w + 1], p[w + 2]);
    }
  }

  Cipher cipher_;
  BF_KEY bf_{};
  AES_KEY enc_{};
  AES_KEY dec_{};
};

// --- key-exchange messages -------------------------------------------------

inline Bytes Text(const std::string& t) { return Be32(static_cast<uint32_t>(t.size())) + t; }

inline Bytes Hello(uint32_t version, uint32_t key_length) { return Be32(version) + Be32(key_length); }

inline Bytes Reply(uint32_t status, const std::string& g, const std::string& p, const std::string& y) {
  return Be32(status) + Text(g) + Text(p) + Text(y);
}

inline Bytes Answer(const std::string& x) { return Text(x); }

// The group of the exchange.
inline const std::string& SkipPrime() {
  static const std::string p =
      "f488fd584e49dbcd20b49de49107366b336c380d451d0f7c88b31c7c5b2d8ef6"
      "f3c923c043f0a55b188d8ebb558cb85d38d334fd7c175743a31d186cde33212c"
      "b52aff3ce1b1294018118d7c84a70a72d686c40319c807297aca950cd9969fab"
      "d00a509b0246d3083d66a45d419f9c7cbd894b221926baaba25ec355e92f78c7";
  return p;
}

}  // namespace oracle
