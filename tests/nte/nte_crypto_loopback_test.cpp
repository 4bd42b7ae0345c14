// The encrypted stream over real loopback sockets: engine to engine through
// a recording relay, checked byte for byte against the independent encoder;
// the independent encoder as the peer of each engine side; a circuit's
// close notice reaching a real peer.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "net/nte/nte.h"
#include "net/nte/nte_circuit.h"
#include "tests/nte/crypto_fixture.h"
#include "tests/nte/engine_start.h"
#include "tests/nte/loopback_server.h"

namespace nte_test {
namespace {

using oracle::Bytes;
using oracle::Cipher;

const std::string& P() { return oracle::SkipPrime(); }

struct Side {
  std::string received;
  conn_t* conn = nullptr;
  uint32_t serial = 0;
  int accepts = 0;
};
Side g_client, g_server;

int client_record(conn_t*, uint32_t, const uint8_t* d, int n) {
  g_client.received.append(reinterpret_cast<const char*>(d), static_cast<size_t>(n));
  return 0;
}
int server_record(conn_t*, uint32_t, const uint8_t* d, int n) {
  g_server.received.append(reinterpret_cast<const char*>(d), static_cast<size_t>(n));
  return 0;
}
int server_accept(conn_t* c, uint32_t serial) {
  g_server.conn = c;
  g_server.serial = serial;
  ++g_server.accepts;
  return 0;
}

class CryptoLoopbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_client = Side();
    g_server = Side();
    loopback::startup();
    nte_limits l = Limits(3, 6);
    l.max_hash_tables = 2;
    ASSERT_EQ(0, StartEngine(Transport::kSystem, l));
    nte_set_exponent_source(fixed_exponent);
  }
  void TearDown() override {
    nte_set_exponent_source(nullptr);
    EXPECT_EQ(0, nte_finalize());
    StopEngine();
  }
  // The key exchange takes longer than a plain connection: ten seconds.
  bool pump_until(const std::function<bool()>& cond, int ms = 10000) { return nte_test::pump_until(cond, ms); }
  tcpcontext* client(int flags, int key_length) {
    tcpcontext* ctx = nte_tcpcontext_create(0, nullptr, 0, 2, 4096, 4096, 600, flags, key_length, 1, 0, 0);
    EXPECT_NE(nullptr, ctx);
    if (ctx) nte_tcpcontext_set_conn_parser(ctx, nte_parser_raw, client_record);
    return ctx;
  }
  tcpcontext* server(int flags, int key_length) {
    tcpcontext* ctx = nte_tcpcontext_create(1, "127.0.0.1", 0, 2, 4096, 4096, 600, flags, key_length, 0, 0, 0);
    EXPECT_NE(nullptr, ctx);
    if (!ctx) return nullptr;
    nte_tcpcontext_set_conn_parser(ctx, nte_parser_raw, server_record);
    nte_tcpcontext_set_acceptwatcher(ctx, server_accept);
    return ctx;
  }
  nte_conn_handle connect(tcpcontext* ctx, int port) {
    nte_conn_handle h = tcpcontext_connect(ctx, "127.0.0.1", port);
    EXPECT_NE(nullptr, h.conn);
    return h;
  }
  static bool keyed(const nte_conn_handle& h) { return nte_conn_writable(h.conn, h.serial) > 0; }
};

std::string Secret() { return oracle::ModExp(oracle::ModExp("2", P(), kServerExponent), P(), kClientExponent); }

TEST_F(CryptoLoopbackTest, EngineToEngineTranscriptIsByteExact) {
  struct Case {
    const char* name;
    int client_flags, server_flags, key_length;
    Cipher cipher;
    bool client_sends_encrypted, server_sends_encrypted;
  } cases[] = {
      {"Blowfish", NTE_CIPHER_BLOWFISH, NTE_CIPHER_BLOWFISH, 16, Cipher::kBlowfish, true, true},
      {"Blowfish 8-byte key", NTE_CIPHER_BLOWFISH, NTE_CIPHER_BLOWFISH, 8, Cipher::kBlowfish, true, true},
      {"Rijndael", NTE_CIPHER_RIJNDAEL, NTE_CIPHER_RIJNDAEL, 32, Cipher::kRijndael, true, true},
      {"client sends encrypted only", NTE_CIPHER_BLOWFISH | NTE_BLOCK_CIPHER_ONLY_SEND,
       NTE_CIPHER_BLOWFISH | NTE_BLOCK_CIPHER_ONLY_RECV, 16, Cipher::kBlowfish, true, false},
      {"server sends encrypted only", NTE_CIPHER_RIJNDAEL | NTE_BLOCK_CIPHER_ONLY_RECV,
       NTE_CIPHER_RIJNDAEL | NTE_BLOCK_CIPHER_ONLY_SEND, 16, Cipher::kRijndael, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_client = Side();
    g_server = Side();
    tcpcontext* srv = server(c.server_flags, c.key_length);
    tcpcontext* cli = client(c.client_flags, c.key_length);
    ASSERT_TRUE(srv && cli);
    loopback::Relay relay(nte_tcpcontext_local_port(srv));
    nte_conn_handle h = connect(cli, relay.port());
    ASSERT_TRUE(pump_until([&] { return keyed(h) && g_server.accepts == 1; }));
    const Bytes up = "client says hello " + std::string(300, 'u');
    const Bytes down = "server answers " + std::string(4000, 'd');
    ASSERT_EQ(static_cast<int>(up.size()), nte_conn_write(h.conn, h.serial, up.data(), static_cast<int>(up.size())));
    ASSERT_EQ(static_cast<int>(down.size()),
              nte_conn_write(g_server.conn, g_server.serial, down.data(), static_cast<int>(down.size())));
    ASSERT_TRUE(
        pump_until([&] { return g_server.received.size() == up.size() && g_client.received.size() == down.size(); }));
    EXPECT_EQ(up, g_server.received);
    EXPECT_EQ(down, g_client.received);

    // The transcript, built by the test alone.
    const std::string x = oracle::ModExp("2", P(), kClientExponent);
    const std::string y = oracle::ModExp("2", P(), kServerExponent);
    const oracle::Encoder enc(c.cipher, oracle::KeyFromSecret(Secret(), c.key_length));
    const size_t max_plain = 4095;  // a record of a 4096-byte write buffer
    const Bytes expect_up = oracle::Hello(0, static_cast<uint32_t>(c.key_length)) + oracle::Answer(x) +
                            (c.client_sends_encrypted ? enc.Records(up, max_plain) : up);
    const Bytes expect_down =
        oracle::Reply(0, "2", P(), y) + (c.server_sends_encrypted ? enc.Records(down, max_plain) : down);
    ASSERT_TRUE(pump_until(
        [&] { return relay.forward().size() >= expect_up.size() && relay.backward().size() >= expect_down.size(); }));
    EXPECT_EQ(oracle::ToHex(expect_up), oracle::ToHex(relay.forward()));
    EXPECT_EQ(oracle::ToHex(expect_down), oracle::ToHex(relay.backward()));
    nte_tcpcontext_cleanup(cli);
    nte_tcpcontext_cleanup(srv);
  }
}

// The independent peer as the server of an engine client.
TEST_F(CryptoLoopbackTest, IndependentServerAndEngineClient) {
  for (Cipher cipher : {Cipher::kBlowfish, Cipher::kRijndael}) {
    const bool bf = cipher == Cipher::kBlowfish;
    SCOPED_TRACE(bf ? "Blowfish" : "Rijndael");
    g_client = Side();
    const int key_length = bf ? 16 : 24;
    const std::string peer_exponent = "0123456789abcdef0123456789abcdef01234567";
    const std::string y = oracle::ModExp("2", P(), peer_exponent);
    Bytes hello, answer, from_engine;
    loopback::Server peer([&](loopback::Peer& p) {
      hello = p.recv_exactly(8, 5000);
      p.send_all(oracle::Reply(0, "2", P(), y));
      const Bytes len = p.recv_exactly(4, 5000);
      if (len.size() != 4) return;
      answer = len + p.recv_exactly(static_cast<int>(oracle::ReadBe32(len, 0)), 5000);
      const std::string x = answer.substr(4);
      const oracle::Encoder enc(cipher, oracle::KeyFromSecret(oracle::ModExp(x, P(), peer_exponent), key_length));
      const Bytes header = p.recv_exactly(8, 5000);
      if (header.size() != 8) return;
      const Bytes record = header + p.recv_exactly(static_cast<int>(oracle::ReadBe32(header, 0)), 5000);
      if (!enc.Decode(record, &from_engine)) from_engine = "undecodable";
      p.send_all(enc.Record("peer to engine"));
      p.wait_eof(5000);
    });
    tcpcontext* cli = client(bf ? NTE_CIPHER_BLOWFISH : NTE_CIPHER_RIJNDAEL, key_length);
    nte_conn_handle h = connect(cli, peer.port());
    ASSERT_TRUE(pump_until([&] { return keyed(h); }));
    ASSERT_EQ(14, nte_conn_write(h.conn, h.serial, "engine to peer", 14));
    ASSERT_TRUE(pump_until([&] { return g_client.received == "peer to engine"; }));
    nte_conn_close(h.conn, h.serial);
    ASSERT_TRUE(pump_until([&] { return !nte_conn_is_valid(h.conn, h.serial); }));
    ASSERT_TRUE(peer.join());
    EXPECT_EQ(oracle::Hello(0, static_cast<uint32_t>(key_length)), hello);
    EXPECT_EQ(oracle::Answer(oracle::ModExp("2", P(), kClientExponent)), answer);
    EXPECT_EQ("engine to peer", from_engine);
    nte_tcpcontext_cleanup(cli);
  }
}

// The independent peer as the client of an engine server.
TEST_F(CryptoLoopbackTest, IndependentClientAndEngineServer) {
  for (Cipher cipher : {Cipher::kBlowfish, Cipher::kRijndael}) {
    const bool bf = cipher == Cipher::kBlowfish;
    SCOPED_TRACE(bf ? "Blowfish" : "Rijndael");
    g_server = Side();
    const int key_length = bf ? 56 : 16;
    tcpcontext* srv = server(bf ? NTE_CIPHER_BLOWFISH : NTE_CIPHER_RIJNDAEL, key_length);
    const int port = nte_tcpcontext_local_port(srv);
    const std::string peer_exponent = "fedcba9876543210fedcba9876543210fedcba98";
    Bytes reply, from_engine;
    bool sent = false;
    std::thread peer([&]() {
      loopback::Peer p = loopback::Dial(port);
      p.send_all(oracle::Hello(0, static_cast<uint32_t>(key_length)));
      // The reply: status, then three texts, each read by its length.
      reply = p.recv_exactly(4, 5000);
      for (int i = 0; i < 3; ++i) {
        const Bytes len = p.recv_exactly(4, 5000);
        if (len.size() != 4) break;
        reply += len + p.recv_exactly(static_cast<int>(oracle::ReadBe32(len, 0)), 5000);
      }
      p.send_all(oracle::Answer(oracle::ModExp("2", P(), peer_exponent)));
      const std::string y = oracle::ModExp("2", P(), kServerExponent);
      const oracle::Encoder enc(cipher, oracle::KeyFromSecret(oracle::ModExp(y, P(), peer_exponent), key_length));
      p.send_all(enc.Record("client peer to engine"));
      sent = true;
      const Bytes header = p.recv_exactly(8, 5000);
      if (header.size() == 8) {
        const Bytes record = header + p.recv_exactly(static_cast<int>(oracle::ReadBe32(header, 0)), 5000);
        if (!enc.Decode(record, &from_engine)) from_engine = "undecodable";
      }
      p.close();
    });
    ASSERT_TRUE(pump_until([&] { return g_server.received == "client peer to engine"; }));
    EXPECT_EQ(1, g_server.accepts);
    ASSERT_EQ(15, nte_conn_write(g_server.conn, g_server.serial, "engine to peer!", 15));
    pump_until([&] { return !nte_conn_is_valid(g_server.conn, g_server.serial); }, 5000);
    peer.join();
    EXPECT_TRUE(sent);
    EXPECT_EQ(oracle::Reply(0, "2", P(), oracle::ModExp("2", P(), kServerExponent)), reply);
    EXPECT_EQ("engine to peer!", from_engine);
    nte_tcpcontext_cleanup(srv);
  }
}

TEST_F(CryptoLoopbackTest, CircuitCloseNoticeReachesARealPeer) {
  const Bytes notice = oracle::FromHex(
      "07750002cafebabe0007"
      "00020000");
  for (bool encrypted : {false, true}) {
    SCOPED_TRACE(encrypted ? "encrypted" : "plain");
    const std::string peer_exponent = "1111111111111111111111111111111111111111";
    Bytes got;
    loopback::Server peer([&](loopback::Peer& p) {
      if (!encrypted) {
        got = p.recv_exactly(14, 5000);
        return;
      }
      p.recv_exactly(8, 5000);
      p.send_all(oracle::Reply(0, "2", P(), oracle::ModExp("2", P(), peer_exponent)));
      const Bytes len = p.recv_exactly(4, 5000);
      if (len.size() != 4) return;
      const std::string x = p.recv_exactly(static_cast<int>(oracle::ReadBe32(len, 0)), 5000);
      const oracle::Encoder enc(Cipher::kBlowfish, oracle::KeyFromSecret(oracle::ModExp(x, P(), peer_exponent), 16));
      const Bytes record = p.recv_exactly(8 + 16, 5000);
      if (!enc.Decode(record, &got)) got = "undecodable";
    });
    tcpcontext* cli = client(encrypted ? NTE_CIPHER_BLOWFISH : 0, encrypted ? 16 : 0);
    nte_conn_handle h = connect(cli, peer.port());
    ASSERT_TRUE(pump_until([&] { return keyed(h); }));
    ASSERT_EQ(0, nte_conn_circuits_init(h.conn, h.serial, 2, 2, 0, 0));
    nte_circ_handle c = nte_circ_open(h.conn, h.serial, 0xCAFEBABEu, 7, 60);
    ASSERT_NE(nullptr, c.circ);
    ASSERT_EQ(0, nte_circ_close_internal(c.circ, c.serial, 1, 1, NTE_CIRC_CLOSE_BY_CALL));
    ASSERT_TRUE(pump_until([&] { return peer.done(); }));
    EXPECT_EQ(oracle::ToHex(notice), oracle::ToHex(got));
    nte_tcpcontext_cleanup(cli);
  }
}

}  // namespace
}  // namespace nte_test
