// Contexts, connections and framings through the real engine pass, over the
// in-memory transport with a fake clock.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/nte/engine_fixture.h"

namespace nte_test {
namespace {

using Records = std::vector<std::string>;

fake::Socket* sock_of(const nte_conn_handle& h) { return fake::find(h.conn->sock); }

// Feeds the bytes and runs passes until everything was taken in.
void feed(EngineTest* t, fake::Socket* s, const std::string& bytes) {
  s->inbox += bytes;
  for (int i = 0; i < 100000 && !s->inbox.empty(); ++i) nte_heartbeat();
  for (int i = 0; i < 50; ++i) nte_heartbeat();
}

struct FramingCase {
  const char* name;
  int framing;
  std::string wire;
  Records expected;
};

TEST_F(EngineTest, FramingsReassembleRecordsWhateverTheReadSizes) {
  const FramingCase cases[] = {
      {"u16",
       NTE_FRAMING_U16_LENGTH,
       u16("hello") + u16("") + u16(std::string(200, 'x')) + u16("z"),
       {"hello", std::string(200, 'x'), "z"}},
      {"u32",
       NTE_FRAMING_U32_LENGTH,
       u32("abc") + u32(std::string(250, 'q')) + u32(""),
       {"abc", std::string(250, 'q')}},
      {"text", NTE_FRAMING_TEXT_LINE, "abc\r\nde\nf\rg\n\n", {"abc", "de", "f\rg", ""}},
  };
  for (const FramingCase& c : cases) {
    for (int chunk : {1, 2, 3, 7, 100000}) {
      SCOPED_TRACE(std::string(c.name) + " read size " + std::to_string(chunk));
      rec().records.clear();
      tcpcontext* ctx = make_context(c.framing, 256, 256, 600, 10);
      nte_conn_handle h = connect(ctx);
      ASSERT_GT(nte_conn_writable(h.conn, h.serial), 0);
      fake::Socket* s = sock_of(h);
      s->recv_chunk = chunk;
      feed(this, s, c.wire);
      EXPECT_EQ(c.expected, rec().records);
      EXPECT_EQ(1, nte_conn_is_valid(h.conn, h.serial)) << "still open";
      EXPECT_TRUE(rec().closes.empty());
      nte_tcpcontext_cleanup(ctx);
      EXPECT_EQ(0, nte_conn_is_valid(h.conn, h.serial));
    }
  }
}

TEST_F(EngineTest, RawFramingDeliversWhatEachReadBrought) {
  tcpcontext* ctx = make_context(NTE_FRAMING_RAW);
  nte_conn_handle h = connect(ctx);
  fake::Socket* s = sock_of(h);
  s->recv_chunk = 4;
  feed(this, s, "0123456789");
  EXPECT_EQ((Records{"0123", "4567", "89"}), rec().records);
}

// The parser's code in the protocol-error line the I/O step writes on the
// verbose channel ("Note:10326 ... error code: %d"); 1 when there is none.
int protocol_error_code() {
  for (const std::string& line : rec().log) {
    if (line.rfind("Note:10326 ", 0) != 0) continue;
    const size_t at = line.rfind("error code: ");
    return at == std::string::npos ? 1 : std::stoi(line.substr(at + 12));
  }
  return 1;
}

TEST_F(EngineTest, LargestRecordThatFitsIsDeliveredOneMoreClosesAtOnce) {
  // A record that can never fit the read buffer fails with -2; only a 32-bit
  // length beyond the framing's own limit fails with -24, whatever the
  // buffer: the two checks are told apart by the code.
  struct Case {
    const char* name;
    int framing;
    std::string fits;
    std::string too_large_header;
    int code;
  } cases[] = {
      {"u16", NTE_FRAMING_U16_LENGTH, u16(std::string(254, 'a')), std::string("\x00\xFF", 2), NTE_ERR_NO_ROOM},
      {"u32", NTE_FRAMING_U32_LENGTH, u32(std::string(252, 'b')), std::string("\x00\x00\x00\xFD", 4), NTE_ERR_NO_ROOM},
      {"u32 at the framing's limit", NTE_FRAMING_U32_LENGTH, u32("c"), std::string("\x40\x00\x00\x00", 4),
       NTE_ERR_NO_ROOM},
      {"u32 above the framing's limit", NTE_FRAMING_U32_LENGTH, u32("c"), std::string("\x40\x00\x00\x01", 4),
       NTE_ERR_RECORD_TOO_LONG},
      {"u32 far above the limit", NTE_FRAMING_U32_LENGTH, u32("c"), std::string("\xFF\xFF\xFF\xFF", 4),
       NTE_ERR_RECORD_TOO_LONG},
      {"text line filling the buffer", NTE_FRAMING_TEXT_LINE, std::string(255, 'd') + "\n", std::string(256, 'e'),
       NTE_ERR_NO_ROOM},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rec() = Recorder();
    tcpcontext* ctx = make_context(c.framing, 256, 256);
    nte_conn_handle h = connect(ctx);
    fake::Socket* s = sock_of(h);
    feed(this, s, c.fits);
    ASSERT_EQ(1u, rec().records.size());
    EXPECT_EQ(c.fits.size() - (c.framing == NTE_FRAMING_TEXT_LINE    ? 1
                               : c.framing == NTE_FRAMING_U16_LENGTH ? 2
                                                                     : 4),
              rec().records[0].size());
    // Only the header of the record that can never fit: closed at once.
    s->inbox += c.too_large_header;
    nte_set_log_level(1);
    nte_heartbeat();
    nte_set_log_level(0);
    ASSERT_EQ(1u, rec().closes.size());
    EXPECT_EQ(NTE_CLOSE_PROTOCOL_ERROR, rec().closes[0].reason);
    EXPECT_EQ(c.code, protocol_error_code());
    EXPECT_EQ(0, nte_conn_is_valid(h.conn, h.serial));
    EXPECT_TRUE(s->closed);
    EXPECT_EQ(1u, rec().records.size());
    nte_tcpcontext_cleanup(ctx);
  }
}

TEST_F(EngineTest, EmptyRecordIsSkippedAndTheConnectionStays) {
  tcpcontext* ctx = make_context(NTE_FRAMING_U16_LENGTH);
  nte_conn_handle h = connect(ctx);
  feed(this, sock_of(h), u16("") + u16("") + u16("a"));
  EXPECT_EQ((Records{"a"}), rec().records);
  EXPECT_EQ(1, nte_conn_is_valid(h.conn, h.serial));
}

TEST_F(EngineTest, RecordsPerPassLimitsDeliveries) {
  tcpcontext* ctx = make_context(NTE_FRAMING_U16_LENGTH, 256, 256, 600, 10);
  nte_conn_handle h = connect(ctx);
  std::string wire;
  for (int i = 0; i < 25; ++i) wire += u16(std::string(1, static_cast<char>('A' + i)));
  sock_of(h)->inbox = wire;
  std::vector<size_t> after;
  for (int i = 0; i < 4; ++i) {
    nte_heartbeat();
    after.push_back(rec().records.size());
  }
  EXPECT_EQ((std::vector<size_t>{10, 20, 25, 25}), after);
}

TEST_F(EngineTest, LargestRecordsPerPassDeliversWhatIsBuffered) {
  tcpcontext* ctx = make_context(NTE_FRAMING_U16_LENGTH, 256, 256, 600, 0x7FFFFFFF);
  nte_conn_handle h = connect(ctx);
  sock_of(h)->inbox = u16("a") + u16("b") + u16("c");
  nte_heartbeat();
  EXPECT_EQ((Records{"a", "b", "c"}), rec().records);
  EXPECT_EQ(1, nte_conn_is_valid(h.conn, h.serial));
}

TEST_F(EngineTest, SendersQueueWholeRecordsOrNothing) {
  tcpcontext* ctx = make_context(NTE_FRAMING_U16_LENGTH, 256, 16);
  nte_conn_handle h = connect(ctx);
  fake::Socket* s = sock_of(h);
  s->send_blocked = true;
  EXPECT_EQ(16, nte_conn_writable(h.conn, h.serial));
  struct Case {
    const char* name;
    nte_sender_fn sender;
    int body;
    int result;
  } cases[] = {
      {"u16 needs body + 2", nte_send_u16_length, 15, NTE_ERR_WRITE_ROOM},
      {"u32 needs body + 4", nte_send_u32_length, 13, NTE_ERR_WRITE_ROOM},
      {"text needs body + 1", nte_send_text_line, 16, NTE_ERR_WRITE_ROOM},
      {"raw cannot overfill", nte_send_raw, 17, NTE_ERR_NO_ROOM},
      {"u16 body above 65535", nte_send_u16_length, 65536, NTE_ERR_BODY_TOO_LONG},
      {"negative length", nte_send_u16_length, -1, NTE_ERR_INVALID},
  };
  std::string body(70000, 'b');
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.result, c.sender(h.conn, h.serial, body.data(), c.body));
    EXPECT_EQ(c.result, nte_get_last_error());
    EXPECT_EQ(0, nte_conn_pending_output(h.conn, h.serial)) << "nothing queued";
  }
  EXPECT_EQ(16, nte_send_u16_length(h.conn, h.serial, body.data(), 14));
  EXPECT_EQ(0, nte_conn_writable(h.conn, h.serial));
  EXPECT_EQ(NTE_ERR_WRITE_ROOM, nte_send_u16_length(h.conn, h.serial, "", 0));
  s->send_blocked = false;
  pass(3);
  EXPECT_EQ(u16(std::string(14, 'b')), s->outbox);
  EXPECT_EQ(0, nte_conn_pending_output(h.conn, h.serial));
  s->outbox.clear();
  EXPECT_EQ(4, nte_send_text_line(h.conn, h.serial, "abc", 3));
  EXPECT_EQ(4, nte_send_u32_length(h.conn, h.serial, "", 0));
  EXPECT_EQ(2, nte_send_raw(h.conn, h.serial, "zz", 2));
  pass(3);
  EXPECT_EQ(std::string("abc\n\0\0\0\0zz", 10), s->outbox);
}

TEST_F(EngineTest, LargestU16BodyGoesOutWithHeaderFFFF) {
  tcpcontext* ctx = make_context(NTE_FRAMING_U16_LENGTH, 256, 65537);
  nte_conn_handle h = connect(ctx);
  fake::Socket* s = sock_of(h);
  const std::string body(65535, 'm');
  EXPECT_EQ(NTE_ERR_BODY_TOO_LONG, nte_send_u16_length(h.conn, h.serial, (body + "!").data(), 65536));
  EXPECT_EQ(0, nte_conn_pending_output(h.conn, h.serial));
  ASSERT_EQ(65537, nte_send_u16_length(h.conn, h.serial, body.data(), 65535));
  for (int i = 0; i < 20 && nte_conn_pending_output(h.conn, h.serial) > 0; ++i) pass();
  EXPECT_EQ("\xFF\xFF" + body, s->outbox);
}

TEST_F(EngineTest, WritesWaitForThePendingConnect) {
  tcpcontext* ctx = make_context(NTE_FRAMING_U16_LENGTH);
  fake::next_connect(fake::Connect::kPending);
  nte_conn_handle h = tcpcontext_connect(ctx, "127.0.0.1", 9070);
  ASSERT_NE(nullptr, h.conn);
  pass(2);
  EXPECT_EQ(0, nte_conn_writable(h.conn, h.serial));
  EXPECT_EQ(NTE_ERR_NOT_CONNECTED, nte_conn_write(h.conn, h.serial, "x", 1));
  EXPECT_EQ(NTE_ERR_WRITE_ROOM, nte_send_u16_length(h.conn, h.serial, "x", 1));
  EXPECT_EQ(0, nte_conn_is_connected(h.conn, h.serial));
  fake::complete_connect(sock_of(h));
  pass();
  EXPECT_EQ(1, nte_conn_is_connected(h.conn, h.serial));
  EXPECT_EQ(256, nte_conn_writable(h.conn, h.serial));
  char peer[32];
  EXPECT_STREQ("127.0.0.1:9070", nte_conn_get_peer_text(h.conn, h.serial, peer, sizeof peer));
  EXPECT_EQ(nullptr, nte_conn_get_peer_text(h.conn, h.serial, peer, 31));
  EXPECT_EQ(NTE_ERR_TRUNCATED, nte_get_last_error());
}

TEST_F(EngineTest, ConnectThatFailsLaterIsReportedInTheNextPass) {
  tcpcontext* ctx = make_context(NTE_FRAMING_U16_LENGTH);
  fake::next_connect(fake::Connect::kFailsLater);
  nte_conn_handle h = tcpcontext_connect(ctx, "127.0.0.1", 9070);
  ASSERT_NE(nullptr, h.conn);
  fake::Socket* s = fake::last();
  pass();
  EXPECT_EQ(0, nte_conn_is_valid(h.conn, h.serial));
  EXPECT_EQ(NTE_ERR_CONNECT, nte_get_last_error());
  EXPECT_TRUE(rec().closes.empty()) << "a failed set-up is no close";
  EXPECT_TRUE(s->closed);
  EXPECT_EQ(0, nte_tcpcontext_connection_count(ctx));
}

TEST_F(EngineTest, ConnectFailuresAtOnceReturnANullHandle) {
  tcpcontext* ctx = make_context(NTE_FRAMING_U16_LENGTH);
  struct Case {
    const char* name;
    const char* host;
    int port;
    int error;
  } cases[] = {
      {"refused at once", "127.0.0.1", 9070, NTE_ERR_CONNECT},
      {"unknown host", "no.such.host", 9070, NTE_ERR_CONNECT},
      {"port 0", "127.0.0.1", 0, NTE_ERR_INVALID},
      {"null host", nullptr, 9070, NTE_ERR_INVALID},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::next_connect(fake::Connect::kFailsAtOnce);
    nte_conn_handle h = tcpcontext_connect(ctx, c.host, c.port);
    EXPECT_EQ(nullptr, h.conn);
    EXPECT_EQ(0u, h.serial);
    EXPECT_EQ(c.error, nte_get_last_error());
    EXPECT_EQ(0, fake::open_count());
  }
  fake::next_connect(fake::Connect::kCompletes);
  for (int i = 0; i < 4; ++i) EXPECT_NE(nullptr, tcpcontext_connect(ctx, "127.0.0.1", 1).conn);
  EXPECT_EQ(nullptr, tcpcontext_connect(ctx, "127.0.0.1", 1).conn);
  EXPECT_EQ(NTE_ERR_NO_ROOM, nte_get_last_error()) << "the context's limit of 4";
  EXPECT_EQ(4, fake::open_count());
}

TEST_F(EngineTest, StaleHandlesAreRefusedWithTheirCodes) {
  tcpcontext* ctx = make_context(NTE_FRAMING_U16_LENGTH);
  nte_conn_handle old = connect(ctx);
  ASSERT_EQ(0, nte_conn_close(old.conn, old.serial));
  EXPECT_EQ(NTE_ERR_CLOSING, nte_conn_close(old.conn, old.serial));
  pass();
  ASSERT_EQ(1u, rec().closes.size());
  EXPECT_EQ(NTE_CLOSE_ORDERLY, rec().closes[0].reason);
  nte_conn_handle now = connect(ctx);
  ASSERT_EQ(old.conn, now.conn) << "the element is reused";
  ASSERT_NE(old.serial, now.serial);
  EXPECT_EQ(0, nte_conn_is_valid(old.conn, old.serial));
  EXPECT_EQ(NTE_ERR_STALE, nte_conn_write(old.conn, old.serial, "x", 1));
  EXPECT_EQ(NTE_ERR_INVALID, nte_conn_writable(old.conn, old.serial));
  EXPECT_EQ(NTE_ERR_INVALID, nte_conn_close(old.conn, old.serial));
  EXPECT_EQ(NTE_ERR_INVALID, nte_conn_set_timeout(old.conn, old.serial, 5));
  EXPECT_EQ(NTE_ERR_INVALID, nte_send_u16_length(old.conn, old.serial, "x", 1));
  int size = -1;
  EXPECT_EQ(nullptr, nte_conn_get_state_buffer(old.conn, old.serial, &size));
  EXPECT_EQ(0, size);
  EXPECT_EQ(NTE_ERR_INVALID, nte_parser_u16_length(old.conn, old.serial));
  nte_conn_handle cleared = now;
  nte_conn_clear(&cleared);
  EXPECT_EQ(nullptr, cleared.conn);
  EXPECT_EQ(NTE_ERR_INVALID, nte_conn_write(cleared.conn, cleared.serial, "x", 1));
  // A pointer that is no connection at all.
  alignas(conn_t) unsigned char junk[sizeof(conn_t)] = {};
  conn_t* bogus = reinterpret_cast<conn_t*>(junk);
  EXPECT_EQ(0, nte_conn_is_valid(bogus, 1));
  EXPECT_EQ(NTE_ERR_INVALID, nte_conn_write(bogus, 1, "x", 1));
  // The live handle is untouched by all this.
  EXPECT_EQ(1, nte_conn_write(now.conn, now.serial, "x", 1));
  int state_size = 0;
  EXPECT_NE(nullptr, nte_conn_get_state_buffer(now.conn, now.serial, &state_size));
  EXPECT_EQ(4, state_size);
}

TEST_F(EngineTest, WriteOnAReleasedConnectionIsAStaleHandle) {
  // Released and not (yet) reused: the element's serial no longer matches.
  tcpcontext* ctx = make_context(NTE_FRAMING_U16_LENGTH);
  nte_conn_handle h = connect(ctx);
  ASSERT_EQ(0, nte_conn_close(h.conn, h.serial));
  pass();
  ASSERT_EQ(0, nte_conn_is_valid(h.conn, h.serial));
  EXPECT_EQ(NTE_ERR_STALE, nte_conn_write(h.conn, h.serial, "x", 1));
  EXPECT_EQ(NTE_ERR_STALE, nte_get_last_error());
}

TEST_F(EngineTest, CloseReasons) {
  struct Case {
    const char* name;
    void (*act)(nte_conn_handle h, fake::Socket* s);
    int passes;
    int reason;
  } cases[] = {
      {"orderly close by us", [](nte_conn_handle h, fake::Socket*) { nte_conn_close(h.conn, h.serial); }, 1,
       NTE_CLOSE_ORDERLY},
      {"close by us after the output went out",
       [](nte_conn_handle h, fake::Socket*) {
         nte_send_u16_length(h.conn, h.serial, "bye", 3);
         nte_conn_close(h.conn, h.serial);
       },
       3, NTE_CLOSE_ORDERLY},
      {"close by us with output stuck, time-out 0",
       [](nte_conn_handle h, fake::Socket* s) {
         s->send_blocked = true;
         nte_send_u16_length(h.conn, h.serial, "bye", 3);
         nte_conn_close(h.conn, h.serial);
         nte_conn_set_timeout(h.conn, h.serial, 0);
         advance_clock(1);
       },
       3, NTE_CLOSE_TIMEOUT_PENDING},
      {"peer closes", [](nte_conn_handle, fake::Socket* s) { s->peer_closed = true; }, 1, NTE_CLOSE_EOF_OR_IO_ERROR},
      {"receive error", [](nte_conn_handle, fake::Socket* s) { s->recv_error = true; }, 1, NTE_CLOSE_EOF_OR_IO_ERROR},
      {"send error",
       [](nte_conn_handle h, fake::Socket* s) {
         s->send_error = true;
         nte_send_u16_length(h.conn, h.serial, "x", 1);
       },
       3, NTE_CLOSE_EOF_OR_IO_ERROR},
      {"record callback fails",
       [](nte_conn_handle, fake::Socket* s) {
         rec().record_result = -1;
         s->inbox = u16("m1") + u16("m2");
       },
       1, NTE_CLOSE_PROTOCOL_ERROR},
      {"idle time-out", [](nte_conn_handle, fake::Socket*) { advance_clock(601); }, 2, NTE_CLOSE_ORDERLY},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rec() = Recorder();
    tcpcontext* ctx = make_context(NTE_FRAMING_U16_LENGTH, 256, 256, 600, 10);
    nte_conn_handle h = connect(ctx);
    fake::Socket* s = sock_of(h);
    c.act(h, s);
    pass(c.passes);
    ASSERT_EQ(1u, rec().closes.size());
    EXPECT_EQ(c.reason, rec().closes[0].reason);
    EXPECT_EQ(h.serial, rec().closes[0].serial);
    EXPECT_EQ(0, nte_conn_is_valid(h.conn, h.serial));
    EXPECT_TRUE(s->closed);
    pass(2);
    EXPECT_EQ(1u, rec().closes.size()) << "one report per connection";
    nte_tcpcontext_cleanup(ctx);
  }
  // The failing callback saw its record once; the second was never handed out.
}

TEST_F(EngineTest, IdleTimeoutCountsFromTheLastReceivedBytes) {
  tcpcontext* ctx = make_context(NTE_FRAMING_U16_LENGTH, 256, 256, 10);
  nte_conn_handle h = connect(ctx);
  fake::Socket* s = sock_of(h);
  advance_clock(8);
  feed(this, s, u16("keep"));
  advance_clock(8);
  nte_send_u16_length(h.conn, h.serial, "sending does not count", 22);
  pass(3);
  EXPECT_TRUE(rec().closes.empty());
  advance_clock(3);
  pass(2);
  ASSERT_EQ(1u, rec().closes.size());
  EXPECT_EQ(NTE_CLOSE_ORDERLY, rec().closes[0].reason);
}

TEST_F(EngineTest, ShutdownWithAConnectionOpenReleasesEverything) {
  tcpcontext* ctx = make_context(NTE_FRAMING_U16_LENGTH);
  nte_conn_handle a = connect(ctx);
  nte_conn_handle b = connect(ctx);
  nte_send_u16_length(a.conn, a.serial, "pending", 7);
  sock_of(b)->inbox =
      "\x00\x05"
      "ab";  // half a record
  pass();
  EXPECT_EQ(2, fake::open_count());
  EXPECT_EQ(0, nte_finalize());
  EXPECT_EQ(0, fake::open_count());
  EXPECT_TRUE(rec().closes.empty()) << "no callbacks during the end";
  EXPECT_EQ(0, nte_is_started());
  EXPECT_EQ(0, nte_conn_is_valid(a.conn, a.serial));
  nte_heartbeat();  // stopped: does nothing
}

TEST_F(EngineTest, ContextCleanupReleasesItsConnectionsSilently) {
  tcpcontext* ctx = make_context(NTE_FRAMING_U16_LENGTH);
  tcpcontext* other = make_context(NTE_FRAMING_U16_LENGTH);
  nte_conn_handle a = connect(ctx);
  nte_conn_handle b = connect(other);
  nte_tcpcontext_cleanup(ctx);
  EXPECT_EQ(0, nte_conn_is_valid(a.conn, a.serial));
  EXPECT_EQ(1, nte_conn_is_valid(b.conn, b.serial));
  EXPECT_EQ(1, fake::open_count());
  EXPECT_TRUE(rec().closes.empty());
  nte_tcpcontext_cleanup(ctx);  // a second cleanup is ignored
  pass();
  EXPECT_EQ(1, nte_conn_is_valid(b.conn, b.serial));
}

TEST_F(EngineTest, CallbacksMayEndTheContextOrTheEngine) {
  for (int which = 0; which < 3; ++which) {
    SCOPED_TRACE(which == 0 ? "close" : which == 1 ? "context cleanup" : "engine finalize");
    if (!nte_is_started()) {
      nte_limits l;
      nte_limit_clear(&l);
      ASSERT_EQ(0, nte_initialize_limited(&l));
    }
    rec() = Recorder();
    tcpcontext* ctx = make_context(NTE_FRAMING_U16_LENGTH, 256, 256, 600, 10);
    nte_conn_handle h = connect(ctx);
    rec().close_in_callback = which == 0;
    rec().cleanup_in_callback = which == 1;
    rec().finalize_in_callback = which == 2;
    sock_of(h)->inbox = u16("one") + u16("two");
    pass();
    // The callback ran once; the second record was not handed out after it.
    EXPECT_EQ((Records{"one"}), rec().records);
    if (which == 0) {
      pass();
      ASSERT_EQ(1u, rec().closes.size());
      EXPECT_EQ(NTE_CLOSE_ORDERLY, rec().closes[0].reason);
      nte_tcpcontext_cleanup(ctx);
    } else {
      EXPECT_EQ(0, nte_conn_is_valid(h.conn, h.serial));
      EXPECT_TRUE(rec().closes.empty());
      EXPECT_EQ(which == 2 ? 0 : 1, nte_is_started());
    }
    EXPECT_EQ(0, fake::open_count());
  }
}

TEST_F(EngineTest, CallbackThatEndsItsContextAndFailsGetsNoCloseReport) {
  // The owner ended the context (or the engine) from its record callback and
  // then reported a fault: it may already be gone, so nothing calls it back.
  for (int which = 0; which < 2; ++which) {
    SCOPED_TRACE(which == 0 ? "context cleanup" : "engine finalize");
    if (!nte_is_started()) {
      nte_limits l;
      nte_limit_clear(&l);
      ASSERT_EQ(0, nte_initialize_limited(&l));
    }
    rec() = Recorder();
    tcpcontext* ctx = make_context(NTE_FRAMING_U16_LENGTH, 256, 256, 600, 10);
    nte_conn_handle h = connect(ctx);
    rec().cleanup_in_callback = which == 0;
    rec().finalize_in_callback = which == 1;
    rec().record_result = -1;
    sock_of(h)->inbox = u16("one") + u16("two");
    pass();
    EXPECT_EQ((Records{"one"}), rec().records);
    EXPECT_TRUE(rec().closes.empty());
    EXPECT_EQ(0, nte_conn_is_valid(h.conn, h.serial));
    EXPECT_EQ(0, fake::open_count());
  }
}

int g_nested_valid = -1;
int on_record_running_a_pass(conn_t* c, uint32_t serial, const uint8_t* data, int length) {
  // A callback that pumps the engine (a modal wait, say) must not see its
  // own connection released or its record moved under it.
  const std::string before(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
  nte_heartbeat();
  g_nested_valid = nte_conn_is_valid(c, serial);
  EXPECT_EQ(before, std::string(reinterpret_cast<const char*>(data), static_cast<size_t>(length)));
  return on_record(c, serial, data, length);
}

TEST_F(EngineTest, PassRunFromInsideACallbackDoesNothing) {
  tcpcontext* ctx = make_context(NTE_FRAMING_U16_LENGTH, 256, 256, 600, 10);
  nte_tcpcontext_set_conn_parser(ctx, nte_parser_u16_length, on_record_running_a_pass);
  nte_conn_handle h = connect(ctx);
  fake::Socket* s = sock_of(h);
  g_nested_valid = -1;
  s->inbox = u16("first");
  s->recv_chunk = 7;
  nte_heartbeat();
  s->inbox = u16("second");
  s->peer_closed = true;
  nte_heartbeat();
  EXPECT_EQ(1, g_nested_valid);
  EXPECT_EQ((Records{"first"}), rec().records);
  EXPECT_TRUE(rec().closes.empty()) << "no report while the callback runs";
  pass(2);
  EXPECT_EQ((Records{"first", "second"}), rec().records);
  ASSERT_EQ(1u, rec().closes.size());
  EXPECT_EQ(NTE_CLOSE_EOF_OR_IO_ERROR, rec().closes[0].reason);
}

int g_accepted = 0;
int on_accept(conn_t*, uint32_t) {
  ++g_accepted;
  return 0;
}

TEST_F(EngineTest, ListeningContextAcceptsAndServes) {
  tcpcontext* server = nte_tcpcontext_create(1, "127.0.0.1", 0, 2, 256, 256, 600, 0, 0, 0, 0, 0);
  ASSERT_NE(nullptr, server);
  nte_tcpcontext_set_conn_parser(server, nte_parser_text_line, on_record);
  nte_tcpcontext_set_acceptwatcher(server, on_accept);
  g_accepted = 0;
  fake::Socket* peer = fake::queue_accept(server->listen_sock);
  pass();
  EXPECT_EQ(1, g_accepted);
  EXPECT_EQ(1, nte_tcpcontext_connection_count(server));
  feed(this, peer, "hi\n");
  EXPECT_EQ((Records{"hi"}), rec().records);
  // Beyond the context's limit of 2 the socket is closed at once.
  fake::queue_accept(server->listen_sock);
  fake::Socket* third = fake::queue_accept(server->listen_sock);
  pass(3);
  EXPECT_EQ(2, nte_tcpcontext_connection_count(server));
  EXPECT_TRUE(third->closed);
  nte_tcpcontext_cleanup(server);
}

TEST_F(EngineTest, Ipv4FilterAcceptsTheFirstMatchingEntry) {
  tcpcontext* ctx = make_context(NTE_FRAMING_RAW);
  const uint8_t local[4] = {127, 0, 0, 1};
  const uint8_t other[4] = {10, 1, 2, 3};
  EXPECT_EQ(0, nte_tcpcontext_ipfilter_check(ctx, other, 4)) << "no entries: accept all";
  const uint8_t net[4] = {127, 0, 0, 0};
  const uint8_t mask[4] = {255, 0, 0, 0};
  ASSERT_EQ(0, nte_tcpcontext_ipfilter_add(ctx, 0x0, other, mask));  // not an accepting entry
  ASSERT_EQ(0, nte_tcpcontext_ipfilter_add(ctx, 0x1, net, mask));
  EXPECT_EQ(0, nte_tcpcontext_ipfilter_check(ctx, local, 4));
  EXPECT_EQ(1, nte_tcpcontext_ipfilter_check(ctx, other, 4));
  EXPECT_EQ(1, nte_tcpcontext_ipfilter_check(ctx, local, 16));
}

TEST_F(EngineTest, ContextCreationRefusesBadArguments) {
  struct Case {
    const char* name;
    int max_conn, rbuf, wbuf, cipher, key;
    int error;
  } cases[] = {
      {"no connections", 0, 256, 256, 0, 0, NTE_ERR_INVALID},
      {"read buffer 0", 1, 0, 256, 0, 0, NTE_ERR_INVALID},
      {"write buffer negative", 1, 256, -5, 0, 0, NTE_ERR_INVALID},
      {"Blowfish key of 3 bytes", 1, 256, 256, NTE_CIPHER_BLOWFISH, 3, NTE_ERR_KEY_LENGTH},
      {"Blowfish key of 57 bytes", 1, 256, 256, NTE_CIPHER_BLOWFISH, 57, NTE_ERR_KEY_LENGTH},
      {"Rijndael key of 20 bytes", 1, 256, 256, NTE_CIPHER_RIJNDAEL, 20, NTE_ERR_KEY_LENGTH},
      {"key length before the one-way flags", 1, 256, 256,
       NTE_CIPHER_BLOWFISH | NTE_BLOCK_CIPHER_ONLY_RECV | NTE_BLOCK_CIPHER_ONLY_SEND, 2, NTE_ERR_KEY_LENGTH},
      {"Blowfish write buffer under one block", 1, 256, 7, NTE_CIPHER_BLOWFISH, 8, NTE_ERR_INVALID},
      {"Twofish", 1, 256, 256, NTE_CIPHER_TWOFISH, 16, NTE_ERR_TOO_WIDE},
      {"both one-way flags", 1, 256, 256, NTE_BLOCK_CIPHER_ONLY_RECV | NTE_BLOCK_CIPHER_ONLY_SEND, 0, NTE_ERR_INVALID},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(nullptr, nte_tcpcontext_create(0, nullptr, 0, c.max_conn, c.rbuf, c.wbuf, 60, c.cipher, c.key, 1, 0, 4));
    EXPECT_EQ(c.error, nte_get_last_error());
  }
  // Nothing leaked: all four context elements can still be had.
  tcpcontext* made[4];
  for (tcpcontext*& m : made) {
    m = nte_tcpcontext_create(0, nullptr, 0, 1, 64, 64, 60, 0, 0, 1, 0, 0);
    EXPECT_NE(nullptr, m);
  }
  for (tcpcontext* m : made) nte_tcpcontext_cleanup(m);
}

TEST_F(EngineTest, ConnectThatNeverCompletesFailsAtTheIdleTimeOut) {
  // Neither completed nor failed: the idle time-out ends it as a failed
  // connect, never as an orderly close of a connection that never was.
  tcpcontext* ctx = make_context(NTE_FRAMING_U16_LENGTH, 256, 256, 600);
  fake::next_connect(fake::Connect::kPending);
  nte_conn_handle h = tcpcontext_connect(ctx, "127.0.0.1", 9070);
  ASSERT_NE(nullptr, h.conn);
  fake::Socket* s = fake::last();
  advance_clock(600);
  pass(2);
  EXPECT_EQ(1, nte_conn_is_valid(h.conn, h.serial)) << "600 s are not more than the time-out";
  advance_clock(1);
  pass();
  EXPECT_EQ(0, nte_conn_is_valid(h.conn, h.serial));
  EXPECT_EQ(NTE_ERR_CONNECT, nte_get_last_error());
  EXPECT_TRUE(s->closed);
  EXPECT_EQ(0, nte_tcpcontext_connection_count(ctx));
  pass(2);
  EXPECT_TRUE(rec().closes.empty()) << "reason " << rec().closes[0].reason;
}

TEST_F(EngineTest, LogLinesGoToTheirChannels) {
  // The error channel prints at log level 0, the verbose one does not: each
  // row drives one line whose channel is fixed, and lists what is printed.
  struct Case {
    const char* name;
    void (*act)();
    std::vector<std::string> printed;
  } cases[] = {
      {"send buffer of a listening socket that cannot be raised",
       [] {
         fake::faults().sndbuf = 1024;
         fake::faults().refused_option = NTE_SOCKOPT_SNDBUF;
         tcpcontext* c = nte_tcpcontext_create(1, "127.0.0.1", 0, 1, 64, 64, 60, 0, 0, 0, 0, 0);
         EXPECT_NE(nullptr, c);
         nte_tcpcontext_cleanup(c);
       },
       {"nte_tcpcontext_create warning: cannot set SNDBUF size. ignoring.\n"}},
      {"connecting socket that cannot be made non-blocking",
       [] {
         fake::faults().set_nonblock = true;
         tcpcontext* c = nte_tcpcontext_create(0, nullptr, 0, 1, 64, 64, 60, 0, 0, 1, 0, 0);
         EXPECT_EQ(nullptr, tcpcontext_connect(c, "127.0.0.1", 9070).conn);
         EXPECT_EQ(NTE_ERR_SOCKOPT, nte_get_last_error());
         nte_tcpcontext_cleanup(c);
       },
       {"osdep.c: cannot ioctlsocket for FIONBIO\n"}},
      {"TCP_NODELAY refused on a connect",
       [] {
         fake::faults().refused_option = NTE_SOCKOPT_NODELAY;
         tcpcontext* c = nte_tcpcontext_create(0, nullptr, 0, 1, 64, 64, 60, 0, 0, 1, 1, 0);
         EXPECT_EQ(nullptr, tcpcontext_connect(c, "127.0.0.1", 9070).conn);
         EXPECT_EQ(NTE_ERR_SOCKOPT, nte_get_last_error());
         nte_tcpcontext_cleanup(c);
       },
       {}},
      {"keep-alive refused on a listening socket",
       [] {
         fake::faults().refused_option = NTE_SOCKOPT_KEEPALIVE;
         tcpcontext* c = nte_tcpcontext_create(1, "127.0.0.1", 0, 1, 64, 64, 60, 0, 0, 0, 0, 0);
         EXPECT_NE(nullptr, c);
         nte_tcpcontext_cleanup(c);
       },
       {}},
      {"keep-alive refused on a connect",
       [] {
         fake::faults().refused_option = NTE_SOCKOPT_KEEPALIVE;
         tcpcontext* c = nte_tcpcontext_create(0, nullptr, 0, 1, 64, 64, 60, 0, 0, 1, 0, 0);
         EXPECT_NE(nullptr, tcpcontext_connect(c, "127.0.0.1", 9070).conn);
         nte_tcpcontext_cleanup(c);
       },
       {"warning: failed to set KEEPALIVE socket option\n"}},
      {"a key length the cipher does not allow",
       [] {
         EXPECT_EQ(nullptr, nte_tcpcontext_create(0, nullptr, 0, 1, 64, 64, 60, NTE_CIPHER_RIJNDAEL, 20, 1, 0, 0));
       },
       {"Fatal:1201 tcp: bad secret key length: 20\n"}},
      {"Twofish",
       [] { EXPECT_EQ(nullptr, nte_tcpcontext_create(0, nullptr, 0, 1, 64, 64, 60, NTE_CIPHER_TWOFISH, 16, 1, 0, 0)); },
       {"Fatal: Twofish algorithm is not supported now\n"}},
      {"both one-way flags",
       [] {
         EXPECT_EQ(nullptr, nte_tcpcontext_create(0, nullptr, 0, 1, 64, 64, 60,
                                                  NTE_BLOCK_CIPHER_ONLY_RECV | NTE_BLOCK_CIPHER_ONLY_SEND, 0, 1, 0, 0));
       },
       {"Fatal: cannot use NTE_BLOCK_CIPHER_ONLY_RECV and NTE_BLOCK_CIPHER_ONLY_SEND at the same time\n"}},
      {"an encrypted context and its connect",
       [] {
         tcpcontext* c = nte_tcpcontext_create(0, nullptr, 0, 1, 64, 64, 60, NTE_CIPHER_RIJNDAEL, 16, 1, 0, 0);
         EXPECT_NE(nullptr, c);
         EXPECT_NE(nullptr, tcpcontext_connect(c, "127.0.0.1", 9070).conn);
         nte_tcpcontext_cleanup(c);
       },
       {}},
      {"a second start", [] { EXPECT_EQ(NTE_ERR_INVALID, nte_initialize()); }, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rec().log.clear();
    fake::faults() = fake::Faults();
    c.act();
    fake::faults() = fake::Faults();
    EXPECT_EQ(c.printed, rec().log);
    EXPECT_EQ(0, fake::open_count());
  }
}

TEST_F(EngineTest, ListeningContextFailuresReleaseEverything) {
  struct Case {
    const char* name;
    void (*fault)();
    int error;
    std::string line;
  } cases[] = {
      {"socket()", [] { fake::faults().socket_create = true; }, NTE_ERR_SOCKET,
       "Fatal:1204 socket() fail addr:127.0.0.1 port:0 os_err:errno:'fake' WSAGetLastError:0\n"},
      {"SO_REUSEADDR", [] { fake::faults().refused_option = NTE_SOCKOPT_REUSEADDR; }, NTE_ERR_SOCKOPT,
       "Fatal:1277 setsockopt(SO_REUSEADDR) fail:errno:'fake' WSAGetLastError:0\n"},
      {"bind()", [] { fake::faults().bind = true; }, NTE_ERR_BIND,
       "Fatal:1207 bind() error. os_err:errno:'fake' WSAGetLastError:0 addr:127.0.0.1 port:0\n"},
      {"listen()", [] { fake::faults().listen = true; }, NTE_ERR_LISTEN,
       "Fatal:1208 listen() error. os_err:errno:'fake' WSAGetLastError:0 addr:127.0.0.1 port:0\n"},
      {"non-blocking", [] { fake::faults().set_nonblock = true; }, NTE_ERR_NONBLOCK,
       "osdep.c: cannot ioctlsocket for FIONBIO\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rec().log.clear();
    fake::faults() = fake::Faults();
    c.fault();
    EXPECT_EQ(nullptr, nte_tcpcontext_create(1, "127.0.0.1", 0, 2, 256, 256, 600, 0, 0, 0, 0, 4));
    EXPECT_EQ(c.error, nte_get_last_error());
    EXPECT_EQ(std::vector<std::string>{c.line}, rec().log);
    EXPECT_EQ(0, fake::open_count()) << "the listening socket is closed again";
  }
  // Nothing leaked: all four context elements, with their pools, can be had.
  fake::faults() = fake::Faults();
  std::vector<tcpcontext*> made;
  for (int i = 0; i < 4; ++i) {
    made.push_back(nte_tcpcontext_create(1, "127.0.0.1", 0, 2, 256, 256, 600, 0, 0, 0, 0, 4));
    EXPECT_NE(nullptr, made.back());
  }
  for (tcpcontext* m : made) nte_tcpcontext_cleanup(m);
}

// Pools the pool table can still take (probing leaves it as it was).
int free_pool_slots() {
  std::vector<int> made;
  for (int p = init_array(8, 1, "probe"); p >= 0; p = init_array(8, 1, "probe")) made.push_back(p);
  for (int p : made) nte_end_array(p);
  return static_cast<int>(made.size());
}

void* refuse_large(size_t n) { return n >= (1u << 20) ? nullptr : std::malloc(n); }
void* plain_resize(void* p, size_t n) { return std::realloc(p, n); }
void plain_release(void* p) { std::free(p); }

TEST_F(EngineTest, ContextWhosePoolsCannotBeMadeIsRefusedAndGivesThemBack) {
  // A context takes five pools: state, read, encrypted read, write,
  // encrypted write.  With fewer slots left, the first one missing fails it.
  const int slots = free_pool_slots();
  ASSERT_GE(slots, 5);
  for (int left = 0; left < 5; ++left) {
    SCOPED_TRACE(std::to_string(left) + " slots left");
    std::vector<int> fill;
    for (int i = 0; i < slots - left; ++i) fill.push_back(init_array(8, 1, "fill"));
    rec().log.clear();
    EXPECT_EQ(nullptr, nte_tcpcontext_create(0, nullptr, 0, 2, 256, 256, 600, 0, 0, 1, 0, 4));
    EXPECT_EQ(NTE_ERR_POOL_CREATE, nte_get_last_error());
    std::vector<std::string> expected = {"Fatal:1003 array table scarcity (init_array)\n"};
    if (left == 0) expected.push_back("Fatal:1265 Memory shortage when creating tcpcontext state buffer\n");
    EXPECT_EQ(expected, rec().log);
    for (int p : fill) nte_end_array(p);
    rec().log.clear();
    EXPECT_EQ(slots, free_pool_slots()) << "the failed context gave its pools back";
  }
  // Storage that cannot be allocated: the pool's own line, the same result.
  const nte_alloc_hooks hooks = {refuse_large, plain_resize, plain_release};
  nte_set_alloc_hooks(&hooks);
  rec().log.clear();
  EXPECT_EQ(nullptr, nte_tcpcontext_create(0, nullptr, 0, 2, 1 << 20, 256, 600, 0, 0, 1, 0, 4));
  nte_set_alloc_hooks(nullptr);
  EXPECT_EQ(NTE_ERR_POOL_CREATE, nte_get_last_error());
  ASSERT_EQ(1u, rec().log.size());
  EXPECT_EQ(0u, rec().log[0].rfind("Fatal:1010 MALLOC fail (index=", 0)) << rec().log[0];
  rec().log.clear();
  EXPECT_EQ(slots, free_pool_slots());
  EXPECT_NE(nullptr, make_context(NTE_FRAMING_U16_LENGTH));
}

}  // namespace
}  // namespace nte_test
