// Modular exponentiation over hexadecimal text: the engine's only use of
// libcrypto, and only of its BIGNUM calls.
#include <openssl/bn.h>
#include <openssl/crypto.h>

#include <cstring>

#include "net/nte/nte_core.h"
#include "net/nte/nte_crypto_state.h"
#include "net/nte/nte_keyex.h"
#include "net/nte/nte_wipe.h"

namespace {

// BN_hex2bn takes a leading '-' and stops quietly at the first other
// character; only a text that is hexadecimal throughout may reach it.
bool all_hex(const char* text) {
  if (text == nullptr || text[0] == '\0') return false;
  for (const char* p = text; *p; ++p) {
    if (!nte_is_hex_digit(static_cast<unsigned char>(*p))) return false;
  }
  return true;
}

}  // namespace

int nte_modexp_hex(const char* base, const char* modulus, const char* exponent, char* out, int size) {
  if (out == nullptr || size <= 0) return -1;
  out[0] = '\0';
  if (!all_hex(base) || !all_hex(modulus) || !all_hex(exponent)) return -1;
  BIGNUM* b = BN_new();
  BIGNUM* m = BN_new();
  BIGNUM* e = BN_new();
  BIGNUM* r = BN_new();
  int result = -1;
  if (b && m && e && r && BN_hex2bn(&b, base) > 0 && BN_hex2bn(&m, modulus) > 0 && BN_hex2bn(&e, exponent) > 0) {
    BN_CTX* ctx = BN_CTX_new();
    // A modulus of 0 makes BN_mod_exp fail: that fails the exchange.
    const int ok = ctx ? BN_mod_exp(r, b, e, m, ctx) : 0;
    if (ctx) BN_CTX_free(ctx);
    if (ok) {
      char* text = BN_bn2hex(r);
      if (text) {
        // A result cut by the bound would key the connection wrongly.
        if (nte_copy_bounded(out, size, text) == 0)
          result = 0;
        else
          out[0] = '\0';
        nte_wipe(text, std::strlen(text));
        OPENSSL_free(text);
      }
    }
  }
  if (b) {
    BN_clear(b);
    BN_free(b);
  }
  if (m) {
    BN_clear(m);
    BN_free(m);
  }
  if (e) {
    BN_clear(e);
    BN_free(e);
  }
  if (r) {
    BN_clear(r);
    BN_free(r);
  }
  return result;
}
