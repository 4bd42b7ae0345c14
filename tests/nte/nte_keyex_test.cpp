// The key exchange: both sides' steps byte for byte against the independent
// encoder, one fixed transcript whose values come from neither the engine nor
// libcrypto, the connection keys, the exponent generator, context creation.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "net/nte/nte_sha0.h"
#include "tests/nte/crypto_fixture.h"

namespace nte_test {
namespace {

using oracle::Bytes;

const std::string& P() { return oracle::SkipPrime(); }
std::string Pow(const std::string& base, const std::string& e) { return oracle::ModExp(base, P(), e); }

// p - k for small k (negative: p + |k|), as text (the test's own arithmetic over libcrypto).
std::string PMinus(int k) {
  BIGNUM* p = nullptr;
  BN_hex2bn(&p, P().c_str());
  if (k >= 0)
    BN_sub_word(p, static_cast<BN_ULONG>(k));
  else
    BN_add_word(p, static_cast<BN_ULONG>(-k));
  char* t = BN_bn2hex(p);
  std::string out = t;
  OPENSSL_free(t);
  BN_free(p);
  return out;
}

std::string Pad(const std::string& text, size_t digits) { return std::string(digits - text.size(), '0') + text; }

// The server's public value under the fixed exponent, and the client's.
std::string ServerY() { return Pow("2", kServerExponent); }
std::string ClientX() { return Pow("2", kClientExponent); }

std::string Key(const std::string& secret, int n) { return oracle::KeyFromSecret(secret, n); }
std::string KeyOf(const conn_t* c, int n) {
  return std::string(reinterpret_cast<const char*>(c->send_key), static_cast<size_t>(n));
}

TEST(KeyexGroup, PrimeIsA1024BitSafePrime) {
  BIGNUM* p = nullptr;
  ASSERT_EQ(256, BN_hex2bn(&p, nte_keyex_prime));
  EXPECT_EQ(1024, BN_num_bits(p));
  BN_CTX* ctx = BN_CTX_new();
  EXPECT_EQ(1, BN_check_prime(p, ctx, nullptr));
  BIGNUM* q = BN_dup(p);
  BN_sub_word(q, 1);
  BN_rshift1(q, q);
  EXPECT_EQ(1, BN_check_prime(q, ctx, nullptr)) << "(p - 1) / 2 is prime too";
  BN_free(q);
  BN_free(p);
  BN_CTX_free(ctx);
  EXPECT_STREQ("2", nte_keyex_generator);
}

// --- client step -------------------------------------------------------------

struct ClientCase {
  const char* name;
  Bytes reply;
  int result;
  int state;
  std::string out;  // the answer queued
};

TEST_F(CryptoTest, ClientStepTable) {
  const std::string y = ServerY();
  const std::string ok_answer = oracle::Answer(ClientX());
  // Y inside the group but at its edges, and values everyone knows.
  const std::vector<ClientCase> cases = {
      {"accepted", oracle::Reply(0, "2", P(), y), 0, NTE_KEYEX_DONE, ok_answer},
      {"status 3", oracle::Reply(3, "2", P(), y), -19, 1, ""},
      {"status 4", oracle::Reply(4, "2", P(), y), -19, 1, ""},
      {"g of 15 digits", oracle::Reply(0, Pad("2", 15), P(), y), 0, NTE_KEYEX_DONE, ok_answer},
      {"g of 16 digits", oracle::Reply(0, Pad("2", 16), P(), y), -2, 1, ""},
      {"g of 63 digits", oracle::Reply(0, Pad("2", 63), P(), y), -2, 1, ""},
      {"p of 510 digits", oracle::Reply(0, "2", Pad(P(), 510), y), 0, NTE_KEYEX_DONE, ok_answer},
      {"p of 511 digits", oracle::Reply(0, "2", Pad(P(), 511), y), -2, 1, ""},
      {"p of 1023 digits", oracle::Reply(0, "2", Pad(P(), 1023), y), -2, 1, ""},
      {"Y of 510 digits", oracle::Reply(0, "2", P(), Pad(y, 510)), 0, NTE_KEYEX_DONE, ok_answer},
      {"Y of 511 digits", oracle::Reply(0, "2", P(), Pad(y, 511)), -2, 1, ""},
      {"non-hex g", oracle::Reply(0, "2z", P(), y), -3, 1, ""},
      {"Y with a trailing non-hex digit", oracle::Reply(0, "2", P(), y.substr(0, 254) + "zz"), -3, 1, ""},
      {"negative Y", oracle::Reply(0, "2", P(), "-" + y.substr(1)), -3, 1, ""},
      {"empty Y", oracle::Reply(0, "2", P(), ""), -3, 1, ""},
      {"Y cut by a NUL", oracle::Reply(0, "2", P(), std::string("5\0zz", 4)), -3, 1, ""},
      {"empty g", oracle::Reply(0, "", P(), y), -3, 1, ""},
      {"empty p", oracle::Reply(0, "2", "", y), -3, 1, ""},
      {"Y = 0", oracle::Reply(0, "2", P(), "0"), -3, 1, ""},
      {"Y = 1", oracle::Reply(0, "2", P(), "01"), -3, 1, ""},
      {"Y = p - 1", oracle::Reply(0, "2", P(), PMinus(1)), -3, 1, ""},
      {"Y = p", oracle::Reply(0, "2", P(), P()), -3, 1, ""},
      {"Y = p + 1", oracle::Reply(0, "2", P(), PMinus(-1)), -3, 1, ""},
      {"g = 1", oracle::Reply(0, "1", P(), y), -3, 1, ""},
      {"Y = 2", oracle::Reply(0, "2", P(), "2"), 0, NTE_KEYEX_DONE, ok_answer},
      {"Y = p - 2", oracle::Reply(0, "2", P(), PMinus(2)), 0, NTE_KEYEX_DONE, ok_answer},
  };
  tcpcontext* ctx = cipher_context(NTE_CIPHER_BLOWFISH, 16, 2048, 2048);
  for (const ClientCase& c : cases) {
    SCOPED_TRACE(c.name);
    conn_t* conn = attach(ctx, 0);
    put(&conn->erbuf, c.reply);
    EXPECT_EQ(c.result, nte_keyex_client(conn));
    EXPECT_EQ(c.state, conn->keyex_state);
    EXPECT_EQ(c.out, held(conn->ewbuf));
    if (c.result == 0) {
      EXPECT_EQ("", held(conn->erbuf)) << "the reply is consumed";
      EXPECT_NE(std::string(16, '\0'), KeyOf(conn, 16));
    } else {
      EXPECT_EQ(std::string(16, '\0'), KeyOf(conn, 16)) << "nothing keyed";
    }
    nte_internal::conn_free(conn, 0, 0);
  }
}

TEST_F(CryptoTest, ClientKeysWithTheSharedSecret) {
  tcpcontext* ctx = cipher_context(NTE_CIPHER_BLOWFISH, 56);
  for (const std::string& y : {ServerY(), std::string("2"), PMinus(2)}) {
    SCOPED_TRACE(y.substr(0, 8));
    conn_t* conn = attach(ctx, 0);
    put(&conn->erbuf, oracle::Reply(0, "2", P(), y));
    ASSERT_EQ(0, nte_keyex_client(conn));
    const std::string secret = Pow(y, kClientExponent);
    EXPECT_EQ(Key(secret, 56), KeyOf(conn, 56));
    EXPECT_EQ(0, std::memcmp(conn->send_key, conn->recv_key, sizeof conn->send_key)) << "one key, both ways";
    EXPECT_STREQ(kClientExponent, conn->crypto.exponent);
    EXPECT_EQ(ClientX(), std::string(conn->crypto.own_public));
    nte_internal::conn_free(conn, 0, 0);
  }
}

TEST_F(CryptoTest, ClientWaitsAtEveryCutOfTheReply) {
  tcpcontext* ctx = cipher_context(NTE_CIPHER_RIJNDAEL, 16, 2048, 2048);
  const Bytes reply = oracle::Reply(0, "2", P(), ServerY());
  conn_t* conn = attach(ctx, 0);
  for (size_t cut = 0; cut < reply.size(); ++cut) {
    clear(&conn->erbuf);
    put(&conn->erbuf, reply.substr(0, cut));
    ASSERT_EQ(0, nte_keyex_client(conn)) << cut;
    ASSERT_EQ(1, conn->keyex_state) << cut;
    ASSERT_EQ(cut, held(conn->erbuf).size()) << "nothing consumed at " << cut;
    ASSERT_EQ("", held(conn->ewbuf)) << cut;
  }
  put(&conn->erbuf, reply.substr(reply.size() - 1) + "extra");
  clear(&conn->erbuf);
  put(&conn->erbuf, reply + "rest");
  EXPECT_EQ(0, nte_keyex_client(conn));
  EXPECT_EQ("rest", held(conn->erbuf)) << "bytes after the reply stay for the decoder";
}

TEST_F(CryptoTest, ClientRefusesWhatNeverFitsWrongStatesAndNoRoom) {
  // A read buffer of 256 bytes (264 encrypted) cannot hold a reply with a
  // 256-digit prime: refused as soon as the prime's length is in.
  tcpcontext* small = cipher_context(NTE_CIPHER_BLOWFISH, 8, 256, 256);
  conn_t* conn = attach(small, 0);
  const Bytes reply = oracle::Reply(0, "2", P(), ServerY());
  put(&conn->erbuf, reply.substr(0, 16 + 1));
  EXPECT_EQ(-2, nte_keyex_client(conn));
  nte_internal::conn_free(conn, 0, 0);

  tcpcontext* ctx = cipher_context(NTE_CIPHER_BLOWFISH, 8, 2048, 2048);
  for (int state : {0, NTE_KEYEX_DONE, 7}) {
    conn = attach(ctx, 0);
    conn->keyex_state = state;
    put(&conn->erbuf, reply);
    EXPECT_EQ(-3, nte_keyex_client(conn)) << state;
    nte_internal::conn_free(conn, 0, 0);
  }
  // No room for the answer: -18, the reply left where it was.
  conn = attach(ctx, 0);
  put(&conn->ewbuf, std::string(2048 + 8 - 259, 'w'));
  put(&conn->erbuf, reply);
  EXPECT_EQ(-18, nte_keyex_client(conn));
  EXPECT_EQ(reply, held(conn->erbuf));
  nte_internal::conn_free(conn, 0, 0);
}

// --- server step -------------------------------------------------------------

int g_accept_calls = 0;
int g_hiwater_calls = 0;
int g_watcher_result = 0;
int on_accept(conn_t*, uint32_t) {
  ++g_accept_calls;
  return g_watcher_result;
}
int on_hiwater(conn_t*, uint32_t, int) {
  ++g_hiwater_calls;
  return g_watcher_result;
}

struct ServerCase {
  const char* name;
  Bytes hello;
  Bytes answer;
  int hello_result;
  int answer_result;
  int state;  // after both
  uint32_t status;
};

TEST_F(CryptoTest, ServerStepTable) {
  const std::string x = ClientX();
  const std::vector<ServerCase> cases = {
      {"accepted", oracle::Hello(0, 16), oracle::Answer(x), 0, 0, NTE_KEYEX_DONE, 0},
      {"version 1", oracle::Hello(1, 16), oracle::Answer(x), 0, -19, 1, 3},
      {"key length differs", oracle::Hello(0, 8), oracle::Answer(x), 0, -19, 1, 4},
      {"X of 510 digits", oracle::Hello(0, 16), oracle::Answer(Pad(x, 510)), 0, 0, NTE_KEYEX_DONE, 0},
      {"X of 511 digits", oracle::Hello(0, 16), oracle::Answer(Pad(x, 511)), 0, -19, 1, 0},
      {"X of 1023 digits", oracle::Hello(0, 16), oracle::Answer(Pad(x, 1023)), 0, -19, 1, 0},
      {"X empty", oracle::Hello(0, 16), oracle::Answer(""), 0, -3, 1, 0},
      {"X cut by a NUL", oracle::Hello(0, 16), oracle::Answer(std::string("d\0\xb2\0\x10", 5)), 0, -3, 1, 0},
      {"X non-hex", oracle::Hello(0, 16), oracle::Answer(x.substr(1) + "g"), 0, -3, 1, 0},
      {"X negative", oracle::Hello(0, 16), oracle::Answer("-" + x.substr(1)), 0, -3, 1, 0},
      {"X = 0", oracle::Hello(0, 16), oracle::Answer("0"), 0, -3, 1, 0},
      {"X = 1", oracle::Hello(0, 16), oracle::Answer("1"), 0, -3, 1, 0},
      {"X = p - 1", oracle::Hello(0, 16), oracle::Answer(PMinus(1)), 0, -3, 1, 0},
      {"X = p", oracle::Hello(0, 16), oracle::Answer(P()), 0, -3, 1, 0},
      {"X = 2", oracle::Hello(0, 16), oracle::Answer("2"), 0, 0, NTE_KEYEX_DONE, 0},
  };
  tcpcontext* ctx = cipher_server(NTE_CIPHER_RIJNDAEL, 16, 2048, 2048);
  const std::string y = ServerY();
  for (const ServerCase& c : cases) {
    SCOPED_TRACE(c.name);
    conn_t* conn = attach(ctx, 1);
    put(&conn->erbuf, c.hello);
    EXPECT_EQ(c.hello_result, nte_keyex_server(conn));
    EXPECT_EQ(1, conn->keyex_state);
    EXPECT_EQ(oracle::Reply(c.status, "2", P(), y), held(conn->ewbuf)) << "the reply, byte for byte";
    EXPECT_EQ("", held(conn->erbuf));
    clear(&conn->ewbuf);
    put(&conn->erbuf, c.answer);
    EXPECT_EQ(c.answer_result, nte_keyex_server(conn));
    EXPECT_EQ(c.state, conn->keyex_state);
    EXPECT_EQ("", held(conn->ewbuf)) << "the server sends nothing more";
    if (c.answer_result == 0) {
      const std::string sent_x = c.answer.substr(4);
      EXPECT_EQ(Key(Pow(sent_x, kServerExponent), 16), KeyOf(conn, 16));
    } else {
      EXPECT_EQ(std::string(16, '\0'), KeyOf(conn, 16)) << "never keyed";
    }
    nte_internal::conn_free(conn, 0, 0);
  }
}

TEST_F(CryptoTest, ServerChecksTheLengthOfXAssoonAsItIsIn) {
  tcpcontext* ctx = cipher_server(NTE_CIPHER_BLOWFISH, 16, 2048, 2048);
  for (uint32_t len : {511u, 0x7FFFFFFFu, 0xFFFFFFFCu, 0xFFFFFFFFu}) {
    conn_t* conn = attach(ctx, 1);
    put(&conn->erbuf, oracle::Hello(0, 16));
    ASSERT_EQ(0, nte_keyex_server(conn));
    put(&conn->erbuf, oracle::Be32(len));
    EXPECT_EQ(-19, nte_keyex_server(conn)) << len;
    nte_internal::conn_free(conn, 0, 0);
  }
  // An answer the read buffer can never hold: refused at once with -2.
  tcpcontext* small = cipher_server(NTE_CIPHER_BLOWFISH, 16, 256, 1024);
  conn_t* conn = attach(small, 1);
  put(&conn->erbuf, oracle::Hello(0, 16));
  ASSERT_EQ(0, nte_keyex_server(conn));
  put(&conn->erbuf, oracle::Be32(300));
  EXPECT_EQ(-2, nte_keyex_server(conn));
  nte_internal::conn_free(conn, 0, 0);
}

TEST_F(CryptoTest, ServerWaitsAtEveryCutAndRefusesWithoutRoom) {
  tcpcontext* ctx = cipher_server(NTE_CIPHER_BLOWFISH, 16, 2048, 2048);
  const Bytes hello = oracle::Hello(0, 16);
  const Bytes answer = oracle::Answer(ClientX());
  conn_t* conn = attach(ctx, 1);
  for (size_t cut = 0; cut < hello.size(); ++cut) {
    clear(&conn->erbuf);
    put(&conn->erbuf, hello.substr(0, cut));
    ASSERT_EQ(0, nte_keyex_server(conn));
    ASSERT_EQ(0, conn->keyex_state);
    ASSERT_EQ("", held(conn->ewbuf));
  }
  clear(&conn->erbuf);
  put(&conn->erbuf, hello);
  ASSERT_EQ(0, nte_keyex_server(conn));
  for (size_t cut = 0; cut < answer.size(); ++cut) {
    clear(&conn->erbuf);
    put(&conn->erbuf, answer.substr(0, cut));
    ASSERT_EQ(0, nte_keyex_server(conn)) << cut;
    ASSERT_EQ(1, conn->keyex_state) << cut;
  }
  conn->keyex_state = NTE_KEYEX_DONE;
  EXPECT_EQ(-3, nte_keyex_server(conn)) << "a step in the wrong state";
  nte_internal::conn_free(conn, 0, 0);

  // Fewer than 800 bytes free for the reply: -18 (a 512-byte write buffer
  // has 520 encrypted bytes).
  tcpcontext* small = cipher_server(NTE_CIPHER_BLOWFISH, 16, 1024, 512);
  conn = attach(small, 1);
  put(&conn->erbuf, hello);
  EXPECT_EQ(-18, nte_keyex_server(conn));
  EXPECT_EQ(hello, held(conn->erbuf));
  nte_internal::conn_free(conn, 0, 0);
}

TEST_F(CryptoTest, AcceptedConnectionMeetsItsWatcherAfterTheExchange) {
  struct Case {
    const char* name;
    int hiwater;
    int result;
    int accepts, hiwaters;
    bool stays;
  } cases[] = {
      {"below the high-water level", NTE_HIWATER_DEFAULT, 0, 1, 0, true},
      {"at the high-water level", 1, 0, 0, 1, true},
      {"accept watcher refuses", NTE_HIWATER_DEFAULT, -1, 1, 0, false},
      {"high-water watcher refuses", 1, -5, 0, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tcpcontext* server = cipher_server(NTE_CIPHER_BLOWFISH, 16);
    nte_tcpcontext_set_acceptwatcher(server, on_accept);
    nte_tcpcontext_set_hiwater(server, c.hiwater, on_hiwater);
    g_accept_calls = g_hiwater_calls = 0;
    g_watcher_result = c.result;
    fake::Socket* peer = fake::queue_accept(server->listen_sock);
    pass();
    ASSERT_EQ(1, nte_tcpcontext_connection_count(server));
    EXPECT_EQ(0, g_accept_calls) << "not before the exchange";
    peer->inbox += oracle::Hello(0, 16);
    pass(2);
    EXPECT_EQ(oracle::Reply(0, "2", P(), ServerY()), peer->outbox);
    EXPECT_EQ(0, g_accept_calls + g_hiwater_calls);
    peer->inbox += oracle::Answer(ClientX());
    pass(2);
    EXPECT_EQ(c.accepts, g_accept_calls);
    EXPECT_EQ(c.hiwaters, g_hiwater_calls);
    EXPECT_EQ(c.stays ? 1 : 0, nte_tcpcontext_connection_count(server));
    EXPECT_EQ(c.stays, !peer->closed);
    EXPECT_TRUE(rec().closes.empty()) << "a refused connection goes without a close report";
    nte_tcpcontext_cleanup(server);
  }
}

// --- through the engine pass ---------------------------------------------------

TEST_F(CryptoTest, ClientConnectsThroughTheExchange) {
  tcpcontext* ctx = cipher_context(NTE_CIPHER_BLOWFISH, 16);
  const uint64_t before = nte_get_stats()->key_set;
  nte_conn_handle h = tcpcontext_connect(ctx, "127.0.0.1", 9070);
  ASSERT_NE(nullptr, h.conn);
  EXPECT_EQ(1, h.conn->keyex_state) << "the hello is queued at connect";
  fake::Socket* s = fake::find(h.conn->sock);
  pass(2);
  EXPECT_EQ(oracle::Hello(0, 16), s->outbox);
  EXPECT_EQ(0, nte_conn_writable(h.conn, h.serial));
  EXPECT_EQ(NTE_ERR_NOT_KEYED, nte_conn_write(h.conn, h.serial, "x", 1));
  s->outbox.clear();
  s->inbox += oracle::Reply(0, "2", P(), ServerY());
  pass(2);
  EXPECT_EQ(oracle::Answer(ClientX()), s->outbox);
  EXPECT_GT(nte_conn_writable(h.conn, h.serial), 0);
  EXPECT_EQ(before + 1, nte_get_stats()->key_set);
  EXPECT_EQ(1u, ctx->key_set);
  // The keyed stream: one record each way.
  const oracle::Encoder enc(oracle::Cipher::kBlowfish, Key(Pow(ServerY(), kClientExponent), 16));
  s->outbox.clear();
  ASSERT_EQ(5, nte_conn_write(h.conn, h.serial, "hello", 5));
  pass(2);
  EXPECT_EQ(enc.Record("hello"), s->outbox);
  s->inbox += enc.Record("world");
  pass(2);
  EXPECT_EQ((std::vector<std::string>{"world"}), rec().records);
  EXPECT_TRUE(rec().closes.empty());
}

TEST_F(CryptoTest, FailedExchangeReleasesSilently) {
  nte_set_log_level(1);
  tcpcontext* ctx = cipher_context(NTE_CIPHER_BLOWFISH, 16);
  nte_conn_handle h = tcpcontext_connect(ctx, "127.0.0.1", 9070);
  fake::Socket* s = fake::find(h.conn->sock);
  pass(2);
  s->inbox += oracle::Reply(4, "2", P(), ServerY());
  pass(2);
  EXPECT_EQ(0, nte_conn_is_valid(h.conn, h.serial));
  EXPECT_TRUE(s->closed);
  EXPECT_TRUE(rec().closes.empty()) << "an unfinished exchange gets no close report";
  bool noted = false;
  for (const std::string& line : rec().log) {
    noted |= line == "Note:10323 conn_t detected encryption negotiation error on fd " + std::to_string(s->id) +
                         " error code:-19\n";
  }
  EXPECT_TRUE(noted);
  // An exchange that never ends stops at the idle time-out, as silently.
  nte_conn_handle h2 = tcpcontext_connect(ctx, "127.0.0.1", 9070);
  pass(2);
  advance_clock(601);
  pass(3);
  EXPECT_EQ(0, nte_conn_is_valid(h2.conn, h2.serial));
  EXPECT_TRUE(rec().closes.empty());
}

TEST_F(CryptoTest, HelloThatDoesNotFitFailsTheConnect) {
  // No room for the 8-byte hello: a 4-byte write buffer has 12 encrypted
  // bytes, which a filled buffer cannot spare -- build one by hand.
  tcpcontext* ctx = cipher_context(NTE_CIPHER_BLOWFISH, 16);
  conn_t* conn = attach(ctx, 0);
  put(&conn->ewbuf, std::string(4096 + 8 - 7, 'w'));
  EXPECT_EQ(-2, keyex_start_client(conn));
  nte_internal::conn_free(conn, 0, 0);
}

// --- one fixed transcript -------------------------------------------------------

// One whole exchange with fixed private exponents and a 16-byte Blowfish key,
// every value computed apart from the engine and from libcrypto (integer
// arithmetic of another language, its own Blowfish), then written here.  Each
// side must produce it byte for byte.
namespace transcript {
const char kClientExponent[] = "3a5f0c9e11d2b4c6a8e0f1d3b5c7e9a1c3e5f7a9";  // x
const char kServerExponent[] = "77b1c2d3e4f5061728394a5b6c7d8e9fa0b1c2d3";  // y
// X = 2^x mod p, Y = 2^y mod p, S = Y^x = X^y mod p, as upper-case text.
const char kX[] =
    "567254FF94FB999FBF484A6FF82A8DB6B6BA5530A5A0DF4AAA23DC1FE29CBE594E7E29F5D0C829A9F60886C9807E89CBE914468A303603"
    "496928AE8AB8DD69CDCAF3E7499DD1B4119E77CA1A42328223A786EA8582EDF24DC9ED1F491A6CDB9629A30ECC60D22E4210BA367DB2F5"
    "4999394EFA88B0941404AABF3846E7A1A5CD";
const char kY[] =
    "2F48A5DA3B1A190556C9B39B90D3F85DCBD0A0BB59A0B00B0F087F91D86AA0BD91531A2A6653A2330F71A54867C738751B807F5B28EF8B"
    "1A9E5CB6E1E72B6631AA7C4729495A7D196E78C081D6732C6C4BB9BD0579C115311FE26B126F4D6012935EE69DF70FE4850D0365B26E84"
    "1489ADF22DA2809FDEAE38B7715B737EF171";
const char kSecret[] =
    "DFB961D44CE55AA2F7B98507D4954C1CB778A401732CB3F97181126411FD25D517CE94FD995B93692F857452B2CF3D91D141B110116A2D"
    "F4649F6EEBBF6B0BC734F96FFDA40F6C1190E3983F49EC4F6736BA080214E5C6FEC988E10D8308140E8FF8DDF56FDEADB9CA789879438D"
    "424F115E88847118D93167363E99BC18F203";
// The connection key: the secret's first 16 digit pairs.
const char kKey[] = "dfb961d44ce55aa2f7b98507d4954c1c";
// The messages (texts of 1, 256 and 256 digits).
const Bytes kHello("\0\0\0\0\0\0\0\x10", 8);
Bytes Reply() {
  return Bytes("\0\0\0\0\0\0\0\x01", 8) + "2" + Bytes("\0\0\x01\0", 4) + nte_keyex_prime + Bytes("\0\0\x01\0", 4) + kY;
}
Bytes Answer() { return Bytes("\0\0\x01\0", 4) + kX; }
// The first record each way: L 32, P 26 and 28.
const char kClientPlain[] = "Quorl client, first record";
const char kClientRecord[] = "000000200000001aabf14f85052026e0a1c1a1e77fcb1bce0890668e275f8d9e90a5b591a8639111";
const char kServerPlain[] = "first record from the server";
const char kServerRecord[] = "000000200000001cef053774bb81fd189f11c0b8eac58f8f8fbf222c172441b9fb84498f490b7d66";

int exponent(int server_side, char* out, int size) {
  return nte_copy_bounded(out, size, server_side ? kServerExponent : kClientExponent) == 0 ? 0 : -1;
}

nte_conn_handle g_accepted{};
int remember_accept(conn_t* c, uint32_t serial) {
  g_accepted = {c, serial};
  return 0;
}
}  // namespace transcript

TEST_F(CryptoTest, ClientSideOfTheFixedTranscript) {
  // The arithmetic alone first: both public values and the secret from
  // either side.
  char out[1024];
  ASSERT_EQ(0, nte_modexp_hex("2", nte_keyex_prime, transcript::kClientExponent, out, sizeof out));
  EXPECT_STREQ(transcript::kX, out);
  ASSERT_EQ(0, nte_modexp_hex("2", nte_keyex_prime, transcript::kServerExponent, out, sizeof out));
  EXPECT_STREQ(transcript::kY, out);
  ASSERT_EQ(0, nte_modexp_hex(transcript::kY, nte_keyex_prime, transcript::kClientExponent, out, sizeof out));
  EXPECT_STREQ(transcript::kSecret, out);
  ASSERT_EQ(0, nte_modexp_hex(transcript::kX, nte_keyex_prime, transcript::kServerExponent, out, sizeof out));
  EXPECT_STREQ(transcript::kSecret, out);

  nte_set_exponent_source(transcript::exponent);
  tcpcontext* ctx = cipher_context(NTE_CIPHER_BLOWFISH, 16);
  nte_conn_handle h = tcpcontext_connect(ctx, "127.0.0.1", 9070);
  ASSERT_NE(nullptr, h.conn);
  fake::Socket* server = fake::find(h.conn->sock);
  pass(2);
  EXPECT_EQ(oracle::ToHex(transcript::kHello), oracle::ToHex(server->outbox));
  server->outbox.clear();
  server->inbox += transcript::Reply();
  pass(2);
  ASSERT_EQ(NTE_KEYEX_DONE, h.conn->keyex_state);
  EXPECT_EQ(transcript::Answer(), server->outbox);
  EXPECT_EQ(std::string(transcript::kX), h.conn->crypto.own_public);
  EXPECT_EQ(std::string(transcript::kY), h.conn->crypto.peer_public);
  EXPECT_EQ(transcript::kKey, oracle::ToHex(KeyOf(h.conn, 16)));
  EXPECT_EQ(transcript::kKey, oracle::ToHex(std::string(reinterpret_cast<const char*>(h.conn->recv_key), 16)));
  server->outbox.clear();
  ASSERT_EQ(26, nte_conn_write(h.conn, h.serial, transcript::kClientPlain, 26));
  pass(2);
  EXPECT_EQ(transcript::kClientRecord, oracle::ToHex(server->outbox));
  server->inbox += oracle::FromHex(transcript::kServerRecord);
  pass(2);
  EXPECT_EQ((std::vector<std::string>{transcript::kServerPlain}), rec().records);
  EXPECT_TRUE(rec().closes.empty());
}

TEST_F(CryptoTest, ServerSideOfTheFixedTranscript) {
  nte_set_exponent_source(transcript::exponent);
  tcpcontext* ctx = cipher_server(NTE_CIPHER_BLOWFISH, 16);
  nte_tcpcontext_set_acceptwatcher(ctx, transcript::remember_accept);
  transcript::g_accepted = {};
  fake::Socket* client = fake::queue_accept(ctx->listen_sock);
  pass();
  client->inbox += transcript::kHello;
  pass(2);
  EXPECT_EQ(transcript::Reply(), client->outbox);
  client->outbox.clear();
  client->inbox += transcript::Answer();
  pass(2);
  const nte_conn_handle h = transcript::g_accepted;
  ASSERT_NE(nullptr, h.conn) << "keyed and accepted";
  EXPECT_EQ(std::string(transcript::kY), h.conn->crypto.own_public);
  EXPECT_EQ(std::string(transcript::kX), h.conn->crypto.peer_public);
  EXPECT_EQ(transcript::kKey, oracle::ToHex(KeyOf(h.conn, 16)));
  client->inbox += oracle::FromHex(transcript::kClientRecord);
  pass(2);
  EXPECT_EQ((std::vector<std::string>{transcript::kClientPlain}), rec().records);
  ASSERT_EQ(28, nte_conn_write(h.conn, h.serial, transcript::kServerPlain, 28));
  pass(2);
  EXPECT_EQ(transcript::kServerRecord, oracle::ToHex(client->outbox));
  EXPECT_TRUE(rec().closes.empty());
}

// --- keys ----------------------------------------------------------------------

TEST_F(CryptoTest, SetKeysTable) {
  struct Case {
    const char* name;
    int key_length;
    const char* secret;
    std::string key;  // the first bytes of both keys; the rest stay zero
  } cases[] = {
      {"even", 4, "A1B2C3D4E5", std::string("\xA1\xB2\xC3\xD4", 4)},
      {"odd, past the last pair", 3, "A1B2C", std::string("\xA1\xB2\xC0", 3)},
      {"0x skipped", 2, "0xA1B2C3", std::string("\xA1\xB2", 2)},
      {"shorter than the key", 4, "A1", std::string("\xA1\0\0\0", 4)},
      {"one digit changes nothing", 4, "A", std::string(4, '\0')},
      {"key length 0", 0, "A1B2", std::string(4, '\0')},
      {"negative key length", -3, "A1B2", std::string(4, '\0')},
  };
  tcpcontext* ctx = cipher_context(0, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    conn_t* conn = attach(ctx, 0);
    conn->key_length = c.key_length;
    nte_conn_set_keys(conn, c.secret);
    EXPECT_EQ(oracle::ToHex(c.key), oracle::ToHex(KeyOf(conn, static_cast<int>(c.key.size()))));
    EXPECT_EQ(0, std::memcmp(conn->send_key, conn->recv_key, NTE_KEY_MAX));
    for (size_t i = c.key.size(); i < NTE_KEY_MAX; ++i) ASSERT_EQ(0, conn->send_key[i]) << i;
    nte_internal::conn_free(conn, 0, 0);
  }
  // Key length 100 with a long secret: both 64-byte fields full, nothing
  // written past them (the sanitizer build watches the neighbours).
  conn_t* conn = attach(ctx, 0);
  conn->key_length = 100;
  const std::string secret(400, '7');
  EXPECT_EQ(NTE_KEY_MAX, nte_conn_set_keys(conn, secret.c_str()));
  EXPECT_EQ(std::string(NTE_KEY_MAX, '\x77'), KeyOf(conn, NTE_KEY_MAX));
  EXPECT_EQ(std::string(NTE_KEY_MAX, '\x77'), std::string(reinterpret_cast<char*>(conn->recv_key), NTE_KEY_MAX));
  EXPECT_EQ(0, conn->crypto.encoder_ready);
  nte_internal::conn_free(conn, 0, 0);
}

TEST_F(CryptoTest, KeysAndExchangeTextsAreWipedAtRelease) {
  tcpcontext* ctx = cipher_context(NTE_CIPHER_BLOWFISH, 16);
  conn_t* conn = attach(ctx, 0);
  put(&conn->erbuf, oracle::Reply(0, "2", P(), ServerY()));
  ASSERT_EQ(0, nte_keyex_client(conn));
  ASSERT_NE(std::string(16, '\0'), KeyOf(conn, 16));
  nte_internal::conn_free(conn, 0, 0);
  // The element is back in the pool; its bytes must hold no key material.
  const std::string zero_key(NTE_KEY_MAX, '\0');
  EXPECT_EQ(zero_key, KeyOf(conn, NTE_KEY_MAX));
  EXPECT_EQ(zero_key, std::string(reinterpret_cast<char*>(conn->recv_key), NTE_KEY_MAX));
  const nte_conn_crypto empty{};
  EXPECT_EQ(0, std::memcmp(&empty, &conn->crypto, sizeof empty));
}

// --- the exponent generator ---------------------------------------------------

// An independent SHA-0 (the first edition's schedule, no rotation).
std::string TestSha0(const Bytes& message) {
  uint32_t h[5] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
  Bytes m = message + '\x80';
  while (m.size() % 64 != 56) m += '\0';
  const uint64_t bits = static_cast<uint64_t>(message.size()) * 8;
  for (int i = 7; i >= 0; --i) m += static_cast<char>((bits >> (8 * i)) & 0xFF);
  auto rotl = [](uint32_t x, int n) { return (x << n) | (x >> (32 - n)); };
  for (size_t off = 0; off < m.size(); off += 64) {
    uint32_t w[80];
    for (int t = 0; t < 16; ++t) w[t] = oracle::ReadBe32(m, off + 4 * static_cast<size_t>(t));
    for (int t = 16; t < 80; ++t) w[t] = w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16];
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
    for (int t = 0; t < 80; ++t) {
      const uint32_t f = t < 20   ? ((b & c) | (~b & d))
                         : t < 40 ? (b ^ c ^ d)
                         : t < 60 ? ((b & c) | (b & d) | (c & d))
                                  : (b ^ c ^ d);
      const uint32_t k = t < 20 ? 0x5A827999u : t < 40 ? 0x6ED9EBA1u : t < 60 ? 0x8F1BBCDCu : 0xCA62C1D6u;
      const uint32_t temp = rotl(a, 5) + f + e + w[t] + k;
      e = d;
      d = c;
      c = rotl(b, 30);
      b = a;
      a = temp;
    }
    h[0] += a;
    h[1] += b;
    h[2] += c;
    h[3] += d;
    h[4] += e;
  }
  Bytes digest;
  for (uint32_t v : h) digest += oracle::Be32(v);
  return oracle::ToHex(digest);
}

Bytes g_input;
int fake_source(uint8_t input[48]) {
  std::memcpy(input, g_input.data(), 48);
  return 0;
}
int failing_source(uint8_t*) { return -1; }

TEST_F(CryptoTest, KeygenHashesItsInputsAndFailsWithItsGenerator) {
  std::mt19937 rng(3);
  for (int round = 0; round < 4; ++round) {
    g_input = oracle::Random(rng, 48);
    nte_set_keygen_source(fake_source);
    char out[64];
    ASSERT_EQ(0, nte_sha1_keygen(out, sizeof out));
    EXPECT_EQ(TestSha0(g_input), out);
  }
  // A bound below 41 cuts the text and warns (verbose channel).
  nte_set_log_level(1);
  char small[20];
  ASSERT_EQ(0, nte_sha1_keygen(small, sizeof small));
  EXPECT_EQ(TestSha0(g_input).substr(0, 19), small);
  EXPECT_EQ("Warning:4220 SHA-1 keygen output buffer is smaller than 40byte. It usually needs 40 byte. len:20\n",
            rec().log.back());
  // A failing generator fails the exchange step.
  nte_set_keygen_source(failing_source);
  char out[64];
  EXPECT_EQ(-1, nte_sha1_keygen(out, sizeof out));
  nte_set_exponent_source(nullptr);
  tcpcontext* ctx = cipher_context(NTE_CIPHER_BLOWFISH, 16);
  conn_t* conn = attach(ctx, 0);
  put(&conn->erbuf, oracle::Reply(0, "2", P(), ServerY()));
  EXPECT_EQ(-1, nte_keyex_client(conn));
  EXPECT_EQ(1, conn->keyex_state);
  nte_internal::conn_free(conn, 0, 0);
}

TEST_F(CryptoTest, RealExponentsDifferWithinOnePass) {
  nte_set_exponent_source(nullptr);
  char a[64], b[64];
  ASSERT_EQ(0, nte_sha1_keygen(a, sizeof a));
  ASSERT_EQ(0, nte_sha1_keygen(b, sizeof b));
  EXPECT_EQ(40u, std::strlen(a));
  EXPECT_STRNE(a, b);
  // Two exchanges answered in the same pass.
  tcpcontext* ctx = cipher_context(NTE_CIPHER_BLOWFISH, 16);
  nte_conn_handle h1 = tcpcontext_connect(ctx, "127.0.0.1", 9070);
  nte_conn_handle h2 = tcpcontext_connect(ctx, "127.0.0.1", 9070);
  pass(2);
  for (nte_conn_handle h : {h1, h2}) fake::find(h.conn->sock)->inbox += oracle::Reply(0, "2", P(), ServerY());
  pass();
  ASSERT_EQ(NTE_KEYEX_DONE, h1.conn->keyex_state);
  ASSERT_EQ(NTE_KEYEX_DONE, h2.conn->keyex_state);
  EXPECT_STRNE(h1.conn->crypto.exponent, h2.conn->crypto.exponent);
  EXPECT_NE(KeyOf(h1.conn, 16), KeyOf(h2.conn, 16));
}

TEST(KeyexModexp, FailuresLeaveNoResult) {
  char out[16];
  struct Case {
    const char* name;
    const char* base;
    const char* modulus;
    const char* exponent;
    int size;
    int result;
    const char* text;
  } cases[] = {
      {"2^10 mod 1000", "2", "3E8", "A", 16, 0, "18"},
      {"zero", "0", "7", "3", 16, 0, "0"},
      {"modulus 0", "2", "0", "3", 16, -1, ""},
      {"non-hex base", "2x", "7", "3", 16, -1, ""},
      {"negative base", "-2", "7", "3", 16, -1, ""},
      {"empty exponent", "2", "7", "", 16, -1, ""},
      {"result cut by the bound", "2", "FFFFFFFF", "1F", 4, -1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::memset(out, 'x', sizeof out);
    EXPECT_EQ(c.result, nte_modexp_hex(c.base, c.modulus, c.exponent, out, c.size));
    EXPECT_STREQ(c.text, out);
  }
}

// --- context creation -----------------------------------------------------------

TEST_F(CryptoTest, ContextCreationTable) {
  struct Case {
    const char* name;
    int flags;
    int key_length;
    int read_size, write_size;
    int result;
  } cases[] = {
      {"plain, any key length", 0, 12345, 256, 256, 0},
      {"Blowfish 4", NTE_CIPHER_BLOWFISH, 4, 256, 256, 0},
      {"Blowfish 56", NTE_CIPHER_BLOWFISH, 56, 256, 256, 0},
      {"Blowfish 3", NTE_CIPHER_BLOWFISH, 3, 256, 256, -37},
      {"Blowfish 57", NTE_CIPHER_BLOWFISH, 57, 256, 256, -37},
      {"Rijndael 16", NTE_CIPHER_RIJNDAEL, 16, 256, 256, 0},
      {"Rijndael 24", NTE_CIPHER_RIJNDAEL, 24, 256, 256, 0},
      {"Rijndael 32", NTE_CIPHER_RIJNDAEL, 32, 256, 256, 0},
      {"Rijndael 8", NTE_CIPHER_RIJNDAEL, 8, 256, 256, -37},
      {"both ciphers: Blowfish wins", NTE_CIPHER_BLOWFISH | NTE_CIPHER_RIJNDAEL, 8, 256, 256, 0},
      {"Twofish", NTE_CIPHER_TWOFISH, 16, 256, 256, -26},
      {"Twofish before the one-way flags", 0x6004, 16, 256, 256, -26},
      {"key length before the one-way flags", 0x6001, 2, 256, 256, -37},
      {"both one-way flags", 0x6001, 8, 256, 256, -6},
      {"both one-way flags, no cipher", 0x6000, 0, 256, 256, -6},
      {"receive only", NTE_CIPHER_BLOWFISH | NTE_BLOCK_CIPHER_ONLY_RECV, 8, 256, 256, 0},
      {"send only", NTE_CIPHER_RIJNDAEL | NTE_BLOCK_CIPHER_ONLY_SEND, 16, 256, 256, 0},
      {"one-way flag, no cipher", NTE_BLOCK_CIPHER_ONLY_RECV, 99, 256, 256, 0},
      {"Blowfish write buffer 8", NTE_CIPHER_BLOWFISH, 8, 256, 8, 0},
      {"Blowfish write buffer 7", NTE_CIPHER_BLOWFISH, 8, 256, 7, -6},
      {"Blowfish read buffer 7", NTE_CIPHER_BLOWFISH, 8, 7, 256, -6},
      {"Rijndael write buffer 15", NTE_CIPHER_RIJNDAEL, 16, 256, 15, -6},
      {"Rijndael, receive only, write buffer 15", NTE_CIPHER_RIJNDAEL | NTE_BLOCK_CIPHER_ONLY_RECV, 16, 256, 15, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tcpcontext* ctx =
        nte_tcpcontext_create(0, nullptr, 0, 1, c.read_size, c.write_size, 60, c.flags, c.key_length, 1, 0, 0);
    EXPECT_EQ(c.result, nte_get_last_error());
    EXPECT_EQ(c.result == 0, ctx != nullptr);
    if (ctx) nte_tcpcontext_cleanup(ctx);
  }
  // The codec pairs the flags choose.
  struct Pair {
    int flags;
    nte_codec_fn decoder, encoder;
  } pairs[] = {
      {0, nte_plain_decoder, nte_plain_encoder},
      {NTE_CIPHER_BLOWFISH, nte_blowfish_decoder, nte_blowfish_encoder},
      {NTE_CIPHER_RIJNDAEL, nte_rijndael_decoder, nte_rijndael_encoder},
      {NTE_CIPHER_BLOWFISH | NTE_BLOCK_CIPHER_ONLY_RECV, nte_blowfish_decoder, nte_plain_encoder},
      {NTE_CIPHER_RIJNDAEL | NTE_BLOCK_CIPHER_ONLY_SEND, nte_plain_decoder, nte_rijndael_encoder},
  };
  for (const Pair& p : pairs) {
    nte_codec_fn d = nullptr, e = nullptr;
    ASSERT_EQ(0, nte_cipher_select(p.flags, p.flags & NTE_CIPHER_RIJNDAEL ? 16 : 8, &d, &e));
    EXPECT_EQ(p.decoder, d) << p.flags;
    EXPECT_EQ(p.encoder, e) << p.flags;
  }
}

}  // namespace
}  // namespace nte_test
