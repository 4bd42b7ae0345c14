// Engine tests of the encrypted stream over the fake transport: helpers to
// make encrypted contexts and connections, to key a connection directly
// and to fix the private exponents of both sides.
#pragma once

#include <string>

#include "net/nte/nte_cipher.h"
#include "net/nte/nte_keyex.h"
#include "tests/nte/crypto_oracle.h"
#include "tests/nte/engine_fixture.h"

namespace nte_test {

// The exponents the seam hands out: client and server.
extern const char kClientExponent[];
extern const char kServerExponent[];
int fixed_exponent(int server_side, char* out, int size);

class CryptoTest : public EngineTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // A client context with these cipher flags, raw framing on the plain side.
  tcpcontext* cipher_context(int flags, int key_length, int read_size = 4096, int write_size = 4096);
  // A listening context with these cipher flags.
  tcpcontext* cipher_server(int flags, int key_length, int read_size = 4096, int write_size = 4096);
  // A connection of ctx as an accepted (server_side 1) or connecting client
  // connection, its socket from the fake transport; nothing queued.
  conn_t* attach(tcpcontext* ctx, int server_side);
  // Keys a connection directly: the secret's bytes in both keys, state 999.
  void key_directly(conn_t* c, const std::string& secret_hex);
  // The bytes held by a byte buffer.
  static std::string held(const nte_sbuf& b);
  static void put(nte_sbuf* b, const std::string& bytes);
  static void clear(nte_sbuf* b);
};

}  // namespace nte_test
