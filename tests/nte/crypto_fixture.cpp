#include "tests/nte/crypto_fixture.h"

#include <cstring>

namespace nte_test {

const char kClientExponent[] = "3a5f0c9e11d2b4c6a8e0f1d3b5c7e9a1c3e5f7a9";
const char kServerExponent[] = "77b1c2d3e4f5061728394a5b6c7d8e9fa0b1c2d3";

int fixed_exponent(int server_side, char* out, int size) {
  return nte_copy_bounded(out, size, server_side ? kServerExponent : kClientExponent) == 0 ? 0 : -1;
}

void CryptoTest::SetUp() {
  EngineTest::SetUp();
  nte_set_exponent_source(fixed_exponent);
}

void CryptoTest::TearDown() {
  nte_set_exponent_source(nullptr);
  nte_set_keygen_source(nullptr);
  nte_set_log_level(0);
  EngineTest::TearDown();
}

tcpcontext* CryptoTest::cipher_context(int flags, int key_length, int read_size, int write_size) {
  tcpcontext* ctx = nte_tcpcontext_create(0, nullptr, 0, 4, read_size, write_size, 600, flags, key_length, 1, 0, 4);
  EXPECT_NE(nullptr, ctx) << nte_get_last_error();
  if (!ctx) return nullptr;
  nte_tcpcontext_set_conn_parser(ctx, nte_parser_raw, on_record);
  nte_tcpcontext_set_conn_closewatcher(ctx, on_close);
  nte_tcpcontext_set_records_per_pass(ctx, 10);
  rec().ctx = ctx;
  return ctx;
}

tcpcontext* CryptoTest::cipher_server(int flags, int key_length, int read_size, int write_size) {
  tcpcontext* ctx = nte_tcpcontext_create(1, "127.0.0.1", 0, 4, read_size, write_size, 600, flags, key_length, 0, 0, 4);
  EXPECT_NE(nullptr, ctx) << nte_get_last_error();
  if (!ctx) return nullptr;
  nte_tcpcontext_set_conn_parser(ctx, nte_parser_raw, on_record);
  nte_tcpcontext_set_conn_closewatcher(ctx, on_close);
  nte_tcpcontext_set_records_per_pass(ctx, 10);
  return ctx;
}

conn_t* CryptoTest::attach(tcpcontext* ctx, int server_side) {
  nte_sock_t s = NTE_INVALID_SOCKET;
  EXPECT_EQ(0, nte_socket_create(&s));
  nte_conn_handle h = nte_internal::conn_attach(ctx, s, nullptr, nullptr, 1, server_side);
  EXPECT_NE(nullptr, h.conn);
  if (h.conn && !server_side) h.conn->keyex_state = NTE_KEYEX_HELLO_SENT;
  return h.conn;
}

void CryptoTest::key_directly(conn_t* c, const std::string& secret_hex) {
  EXPECT_GT(nte_conn_set_keys(c, secret_hex.c_str()), 0);
  c->keyex_state = NTE_KEYEX_DONE;
}

std::string CryptoTest::held(const nte_sbuf& b) {
  uint8_t* p = nullptr;
  int n = 0;
  nte_sbuf_get_buffer(&b, &p, &n);
  return std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(n));
}

void CryptoTest::put(nte_sbuf* b, const std::string& bytes) {
  ASSERT_EQ(static_cast<int>(bytes.size()), nte_sbuf_push(b, bytes.data(), static_cast<int>(bytes.size())));
}

void CryptoTest::clear(nte_sbuf* b) { nte_sbuf_shift(b, nullptr, nte_sbuf_get_use(b)); }

}  // namespace nte_test
