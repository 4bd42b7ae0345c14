// The engine over the system's real sockets, against a small loopback
// server on its own thread: connect, records both ways, close reasons, idle
// time-out and a refused port.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "net/nte/nte.h"
#include "tests/nte/engine_fixture.h"
#include "tests/nte/loopback_server.h"

namespace nte_test {
namespace {

using Records = std::vector<std::string>;

class LoopbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rec() = Recorder();
    loopback::startup();
    nte_set_log_sink(on_log, nullptr);
    ASSERT_EQ(0, StartEngine(Transport::kSystem, 2, 4));
    ctx_ = nte_tcpcontext_create(0, nullptr, 0, 2, 256, 36864, 600, 0, 0, 1, 0, 4);
    ASSERT_NE(nullptr, ctx_);
    nte_tcpcontext_set_conn_parser(ctx_, nte_parser_u16_length, on_record);
    nte_tcpcontext_set_conn_closewatcher(ctx_, on_close);
    nte_tcpcontext_set_records_per_pass(ctx_, 10);
  }
  void TearDown() override {
    EXPECT_EQ(0, nte_finalize());
    StopEngine();
  }
  nte_conn_handle connect_to(int port) {
    nte_conn_handle h = tcpcontext_connect(ctx_, "127.0.0.1", port);
    EXPECT_NE(nullptr, h.conn) << nte_strerror(nte_get_last_error());
    if (h.conn) {
      EXPECT_TRUE(pump_until([&] { return nte_conn_writable(h.conn, h.serial) != 0; }));
    }
    return h;
  }
  tcpcontext* ctx_ = nullptr;
};

TEST_F(LoopbackTest, RecordsTravelBothWaysThroughTheSelectPass) {
  const std::string big(20000, 'B');
  std::string big_received;
  loopback::Server server([&](loopback::Peer& peer) {
    // Echo the three small records, then take the big one whole.
    peer.send_all(peer.recv_exactly(7 + 2 + 5, 5000));
    big_received = peer.recv_exactly(20002, 5000);
    peer.wait_eof(5000);
  });
  nte_conn_handle h = connect_to(server.port());
  ASSERT_GT(nte_conn_writable(h.conn, h.serial), 0);
  EXPECT_EQ(1, nte_conn_is_connected(h.conn, h.serial));
  char peer[64];
  EXPECT_EQ("127.0.0.1:" + std::to_string(server.port()), nte_conn_get_peer_text(h.conn, h.serial, peer, sizeof peer));
  EXPECT_EQ(7, nte_send_u16_length(h.conn, h.serial, "hello", 5));
  EXPECT_EQ(2, nte_send_u16_length(h.conn, h.serial, "", 0));
  EXPECT_EQ(5, nte_send_u16_length(h.conn, h.serial, "end", 3));
  ASSERT_TRUE(pump_until([] { return rec().records.size() >= 2; }));
  EXPECT_EQ((Records{"hello", "end"}), rec().records);
  // 20,000 bytes leave in chunks of at most 8192 per pass.
  EXPECT_EQ(20002, nte_send_u16_length(h.conn, h.serial, big.data(), 20000));
  ASSERT_TRUE(pump_until([&] { return nte_conn_pending_output(h.conn, h.serial) == 0; }));
  nte_conn_close(h.conn, h.serial);
  ASSERT_TRUE(pump_until([] { return !rec().closes.empty(); }));
  EXPECT_EQ(NTE_CLOSE_ORDERLY, rec().closes[0].reason);
  EXPECT_TRUE(server.join());
  EXPECT_EQ(u16(big), big_received);
}

TEST_F(LoopbackTest, OrderlyCloseByUsIsSeenByThePeer) {
  bool peer_saw_eof = false;
  std::string received;
  loopback::Server server([&](loopback::Peer& peer) {
    received = peer.recv_exactly(5, 5000);
    peer_saw_eof = peer.wait_eof(5000);
  });
  nte_conn_handle h = connect_to(server.port());
  ASSERT_EQ(5, nte_send_u16_length(h.conn, h.serial, "bye", 3));
  ASSERT_EQ(0, nte_conn_close(h.conn, h.serial));
  ASSERT_TRUE(pump_until([] { return !rec().closes.empty(); }));
  EXPECT_EQ(NTE_CLOSE_ORDERLY, rec().closes[0].reason);
  EXPECT_TRUE(server.join());
  EXPECT_EQ(u16("bye"), received);
  EXPECT_TRUE(peer_saw_eof);
}

TEST_F(LoopbackTest, CloseByThePeerAfterItsLastRecord) {
  loopback::Server server([&](loopback::Peer& peer) { peer.send_all(u16("last words")); });
  nte_conn_handle h = connect_to(server.port());
  ASSERT_TRUE(pump_until([] { return !rec().closes.empty(); }));
  EXPECT_EQ((Records{"last words"}), rec().records);
  EXPECT_EQ(NTE_CLOSE_EOF_OR_IO_ERROR, rec().closes[0].reason);
  EXPECT_EQ(0, nte_conn_is_valid(h.conn, h.serial));
}

TEST_F(LoopbackTest, MalformedBytesCloseAsProtocolErrorAndTheEngineGoesOn) {
  loopback::Server bad([&](loopback::Peer& peer) {
    peer.send_all(u16("fine") + std::string("\xFF\xFF", 2) + "garbage");
    peer.wait_eof(5000);
  });
  nte_conn_handle h = connect_to(bad.port());
  ASSERT_TRUE(pump_until([] { return !rec().closes.empty(); }));
  EXPECT_EQ((Records{"fine"}), rec().records);
  EXPECT_EQ(NTE_CLOSE_PROTOCOL_ERROR, rec().closes[0].reason);
  EXPECT_EQ(0, nte_conn_is_valid(h.conn, h.serial));
  EXPECT_TRUE(bad.join());

  rec().records.clear();
  loopback::Server good([&](loopback::Peer& peer) {
    std::string got = peer.recv_exactly(6, 5000);
    peer.send_all(got);
    peer.wait_eof(5000);
  });
  nte_conn_handle again = connect_to(good.port());
  ASSERT_EQ(6, nte_send_u16_length(again.conn, again.serial, "ping", 4));
  ASSERT_TRUE(pump_until([] { return !rec().records.empty(); }));
  EXPECT_EQ((Records{"ping"}), rec().records);
  nte_conn_close(again.conn, again.serial);
  ASSERT_TRUE(pump_until([] { return rec().closes.size() == 2; }));
  EXPECT_EQ(NTE_CLOSE_ORDERLY, rec().closes[1].reason);
}

TEST_F(LoopbackTest, IdleConnectionTimesOut) {
  nte_set_clock(fake_clock);
  loopback::Server server([&](loopback::Peer& peer) { peer.wait_eof(8000); });
  nte_conn_handle h = connect_to(server.port());
  advance_clock(599);
  for (int i = 0; i < 5; ++i) nte_heartbeat();
  EXPECT_TRUE(rec().closes.empty());
  advance_clock(2);
  ASSERT_TRUE(pump_until([] { return !rec().closes.empty(); }));
  EXPECT_EQ(NTE_CLOSE_ORDERLY, rec().closes[0].reason);
  EXPECT_EQ(0, nte_conn_is_valid(h.conn, h.serial));
  EXPECT_TRUE(server.join());
}

TEST_F(LoopbackTest, RefusedPortGivesConnectFailedQuickly) {
  const int port = loopback::closed_port();
  auto start = std::chrono::steady_clock::now();
  nte_conn_handle h = tcpcontext_connect(ctx_, "127.0.0.1", port);
  if (h.conn) {
    // Started; the refusal must show within a few passes, not after 600 s.
    ASSERT_TRUE(pump_until([&] { return !nte_conn_is_valid(h.conn, h.serial); }, 5000));
    EXPECT_TRUE(rec().closes.empty()) << "a connect that never completed is no close";
  }
  EXPECT_EQ(NTE_ERR_CONNECT, nte_get_last_error());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(0, nte_tcpcontext_connection_count(ctx_));
}

TEST_F(LoopbackTest, ListeningContextServesAnEngineClient) {
  tcpcontext* server = nte_tcpcontext_create(1, "127.0.0.1", 0, 1, 256, 256, 600, 0, 0, 0, 0, 0);
  ASSERT_NE(nullptr, server) << nte_strerror(nte_get_last_error());
  nte_tcpcontext_set_conn_parser(server, nte_parser_u16_length, on_record);
  const int port = nte_tcpcontext_local_port(server);
  ASSERT_GT(port, 0);
  nte_conn_handle h = connect_to(port);
  ASSERT_EQ(6, nte_send_u16_length(h.conn, h.serial, "both", 4));
  ASSERT_TRUE(pump_until([] { return !rec().records.empty(); }));
  EXPECT_EQ((Records{"both"}), rec().records);
  EXPECT_EQ(1, nte_tcpcontext_connection_count(server));
  nte_tcpcontext_cleanup(server);
  ASSERT_TRUE(pump_until([] { return !rec().closes.empty(); }));
  EXPECT_EQ(NTE_CLOSE_EOF_OR_IO_ERROR, rec().closes[0].reason);
}

}  // namespace
}  // namespace nte_test
