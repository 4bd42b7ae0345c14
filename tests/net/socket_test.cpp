// The socket classes over the real engine against the login-server fixture
// on loopback (127.0.0.1, port 0), natively and under Wine; and over the
// fake transport with a fake clock for what a server cannot be made to do.
#ifdef _WIN32
// First, as the launcher's own files have it: the socket headers must hold
// up against its macros (DispatchMessage among them).
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "framework/byte_order.h"
#include "net/nte/nte_core.h"
#include "net/quorl_socket.h"
#include "net/system_tick.h"
#include "tests/net/recording_sink.h"
#include "tests/nte/crypto_oracle.h"
#include "tests/nte/engine_start.h"
#include "tests/nte/loopback_server.h"
#include "tests/nte/fake_transport.h"
#include "tests/net/wire_builder.h"
#include "tools/fixture/login_fixture.h"

namespace {

constexpr uint32_t kService = 441397;
const std::vector<CCheckVerInfo> kRows = {{10100, 1002003}, {10000, 2004005}};

// The launcher's socket with its Notify recorded and a settable time-out.
class CTestSocket : public CQuorlSocket {
 public:
  int GetTimeoutSeconds() const override { return m_nTimeout; }
  int Notify(int nType, int nA, int nB, int nP, intptr_t nQ) override {
    sink.Notify(nType, nA, nB, nP, nQ);
    if (onNotify) onNotify(nType, nP);
    return 0;
  }

  size_t Count(int type) const {
    size_t n = 0;
    for (const CNotifyCall& c : sink.calls) n += c.type == type ? 1 : 0;
    return n;
  }
  const CNotifyCall* Last(int type) const {
    for (auto it = sink.calls.rbegin(); it != sink.calls.rend(); ++it) {
      if (it->type == type) return &*it;
    }
    return nullptr;
  }
  std::vector<const CVersionNotifyObj*> Answers() const {
    std::vector<const CVersionNotifyObj*> out;
    for (const CNotifyCall& c : sink.calls) {
      if (c.type == kNotifyMessage && c.version) out.push_back(&*c.version);
    }
    return out;
  }

  int m_nTimeout = 600;
  CRecordingSink sink;
  std::function<void(int, int)> onNotify;
};

// Polls the socket (one engine pass at a time) until pred holds.
bool PollUntil(CTestSocket& s, const std::function<bool()>& pred, int timeoutMs = 10000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!pred()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    s.Poll(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

class SocketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    nte_test::UseTransport(nte_test::Transport::kSystem);
    ASSERT_TRUE(socket.Initialize());
  }
  void TearDown() override {
    socket.Close();
    nte_test::StopEngine();
  }

  // Starts the fixture with sc and connects the socket to it.
  void ConnectTo(const CFixtureScenario& sc) {
    fixture.SetScenario(sc);
    ASSERT_TRUE(fixture.Start());
    ASSERT_EQ(0, socket.Connect("127.0.0.1", fixture.GetPort(), 1));
    EXPECT_EQ(CNteSocket::kConnecting, socket.GetState());
    ASSERT_TRUE(PollUntil(socket, [&] { return socket.sink.calls.size() > 0; }));
    ASSERT_EQ(kNotifyConnected, socket.sink.calls[0].type);
    ASSERT_EQ(CNteSocket::kConnected, socket.GetState());
    ASSERT_TRUE(socket.IsReady());
  }

  bool WaitClosed() {
    return PollUntil(socket, [&] { return socket.Count(kNotifyClosed) > 0; });
  }

  CTestSocket socket;
  CLoginFixture fixture;
};

CFixtureComponent Script(uint32_t component, const std::string& script, int chunkSize) {
  CFixtureComponent c;
  c.componentId = component;
  c.result = 1;
  c.script = script;
  c.chunkSize = chunkSize;
  return c;
}

std::string LongScript(size_t lines) {
  std::string s;
  for (size_t i = 0; i < lines; ++i)
    s += "HTTPGET $tmp/file" + std::to_string(i) + ".bin http://127.0.0.1/f" + std::to_string(i) + " 1000 12345\n";
  return s;
}

}  // namespace

TEST_F(SocketTest, SendsTheExactVersionRequestAndGetsAnswers) {
  CFixtureScenario sc;
  sc.components.push_back(Script(10000, "NEXTVER 2005000\nLATESTVER 2005000\n", 2048));
  ConnectTo(sc);

  ASSERT_EQ(1, socket.SendVersionRequest(kService, kRows));
  ASSERT_TRUE(PollUntil(socket, [&] { return fixture.GetConnection(0).records.size() >= 1; }));
  CWire expected;
  expected.U8(21).U32(2);
  for (const CCheckVerInfo& r : kRows) expected.U32(kService).U32(r.m_nComponentId).U32(r.m_nVersion);
  const std::vector<uint8_t> frame = Frame(expected.Bytes());
  EXPECT_EQ(std::string(frame.begin(), frame.end()), fixture.GetConnection(0).received);

  ASSERT_TRUE(PollUntil(socket, [&] { return socket.Answers().size() == 2; }));
  const auto answers = socket.Answers();
  EXPECT_EQ(10100u, answers[0]->m_nComponentId);
  EXPECT_EQ(10000u, answers[1]->m_nComponentId);
  EXPECT_EQ(kService, answers[1]->m_nServiceCode);
  EXPECT_EQ("NEXTVER 2005000\nLATESTVER 2005000\n", std::string(answers[1]->m_data.begin(), answers[1]->m_data.end()));
  const CNotifyCall* last = socket.Last(kNotifyMessage);
  ASSERT_NE(nullptr, last);
  EXPECT_EQ(34, last->a);
  EXPECT_EQ(1, last->p);
  EXPECT_TRUE(socket.IsConnected());
}

TEST_F(SocketTest, AnswersSplitOverManySegments) {
  CFixtureScenario sc;
  sc.segmentSize = 7;
  sc.segmentDelayMs = 1;
  const std::string script = LongScript(20);
  sc.components.push_back(Script(10000, script, 300));
  ConnectTo(sc);
  ASSERT_EQ(1, socket.SendVersionRequest(kService, kRows));
  const size_t chunks = (script.size() + 299) / 300;
  ASSERT_TRUE(PollUntil(
      socket, [&] { return socket.Answers().size() == 1 + chunks; }, 60000));
  std::string got;
  for (size_t i = 1; i < socket.Answers().size(); ++i) {
    const CVersionNotifyObj* a = socket.Answers()[i];
    EXPECT_EQ(static_cast<int>(chunks), a->m_nChunkCount);
    EXPECT_EQ(static_cast<int>(i), a->m_nChunkNumber);
    got.append(a->m_data.begin(), a->m_data.end());
  }
  EXPECT_EQ(script, got);
  EXPECT_EQ(0u, socket.Count(kNotifyClosed));
}

TEST_F(SocketTest, OrderlyCloseByTheLauncher) {
  ConnectTo(CFixtureScenario());
  EXPECT_EQ(1, socket.Disconnect());
  ASSERT_TRUE(WaitClosed());
  EXPECT_EQ(0, socket.Last(kNotifyClosed)->p);
  EXPECT_EQ(CNteSocket::kClosed, socket.GetState());
  EXPECT_FALSE(socket.IsConnected());
  EXPECT_FALSE(socket.IsReady());
  ASSERT_TRUE(PollUntil(socket, [&] { return fixture.GetConnection(0).closed; }));
  EXPECT_FALSE(fixture.GetConnection(0).closedByFixture);
  EXPECT_TRUE(fixture.GetConnection(0).peerClosed);
}

// Each row: what the server does after the version request, and the close
// code the launcher must see.
TEST(SocketCloseCodes, ByWhatTheServerDoes) {
  struct Case {
    const char* name;
    std::vector<CFixtureAction> onRequest;
    int closeCode;
    size_t messagesBefore;
  };
  CWire truncated;
  truncated.U8(34).U32(1).U32(2);
  CWire unlisted;
  unlisted.U8(33).U32(0);
  CWire overLong;
  overLong.U8(36).U32(1).U32(10000).U32(1).U8(1).U8(1).Str(std::string(8193, 'x')).Str("");
  // Two sites announced, the second cut inside its second name.
  CWire sites;
  sites.U8(37).U32(2).U32(1).U32(2).Str("a").Str("b").U8(3).U32(4).U32(5).U32(6).U32(7).Str("c");
  auto bytes = [](const CWire& w) { return std::string(w.Bytes().begin(), w.Bytes().end()); };
  const Case cases[] = {
      {"server closes", {CFixtureAction::Close()}, kCloseEndOfStream, 0},
      {"server resets", {CFixtureAction::Reset()}, kCloseEndOfStream, 0},
      {"message 33", {CFixtureAction::Record(bytes(unlisted))}, kCloseProtocolError, 0},
      {"truncated answer", {CFixtureAction::Record(bytes(truncated))}, kCloseProtocolError, 0},
      {"over-long data", {CFixtureAction::Record(bytes(overLong))}, kCloseProtocolError, 0},
      {"answer then close", {CFixtureAction::Answer(), CFixtureAction::Close()}, kCloseEndOfStream, 2},
      {"site list cut short", {CFixtureAction::Record(bytes(sites))}, kCloseProtocolError, 0},
      {"answer then garbage", {CFixtureAction::Answer(), CFixtureAction::Record("\x7F")}, kCloseProtocolError, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CTestSocket socket;
    nte_test::UseTransport(nte_test::Transport::kSystem);
    ASSERT_TRUE(socket.Initialize());
    CFixtureScenario sc;
    sc.onVersionRequest = c.onRequest;
    CLoginFixture fixture(sc);
    ASSERT_TRUE(fixture.Start());
    ASSERT_EQ(0, socket.Connect("127.0.0.1", fixture.GetPort(), 1));
    ASSERT_TRUE(PollUntil(socket, [&] { return socket.Count(kNotifyConnected) == 1; }));
    ASSERT_EQ(1, socket.SendVersionRequest(kService, kRows));
    ASSERT_TRUE(PollUntil(socket, [&] { return socket.Count(kNotifyClosed) > 0; }));
    // Let a few more passes run: the close is reported exactly once.
    socket.Poll(5);
    EXPECT_EQ(1u, socket.Count(kNotifyClosed));
    EXPECT_EQ(c.closeCode, socket.Last(kNotifyClosed)->p);
    EXPECT_EQ(c.messagesBefore, socket.Answers().size());
    EXPECT_EQ(CNteSocket::kClosed, socket.GetState());
    EXPECT_FALSE(socket.IsConnected());
    socket.Close();
  }
}

TEST_F(SocketTest, IdleTimeOutClosesWithCodeZero) {
  socket.m_nTimeout = 1;
  CFixtureScenario sc;
  sc.onVersionRequest = {CFixtureAction::Hold()};
  ConnectTo(sc);
  ASSERT_EQ(1, socket.SendVersionRequest(kService, kRows));
  ASSERT_TRUE(PollUntil(
      socket, [&] { return socket.Count(kNotifyClosed) > 0; }, 20000));
  EXPECT_EQ(0, socket.Last(kNotifyClosed)->p);
  EXPECT_EQ(0u, socket.Count(kNotifyError));
}

TEST_F(SocketTest, RefusedPortReportsConnectFailed) {
  const uint16_t port = fixture_net::FindClosedPort();
  ASSERT_NE(0, port);
  // The idle time-out stays at 600 s: only the engine's own detection of
  // the failed connect can report it within the wait below.
  const int r = socket.Connect("127.0.0.1", port, 1);
  if (r == 0) {
    ASSERT_TRUE(PollUntil(
        socket, [&] { return socket.Count(kNotifyConnectFailed) > 0; }, 30000));
  }
  ASSERT_EQ(1u, socket.Count(kNotifyConnectFailed));
  EXPECT_EQ(-1, socket.Last(kNotifyConnectFailed)->p);
  EXPECT_EQ(0u, socket.Count(kNotifyConnected));
  EXPECT_EQ(0u, socket.Count(kNotifyClosed));
  EXPECT_FALSE(socket.IsConnected());
  EXPECT_EQ(0, socket.SendVersionRequest(kService, kRows));
}

TEST_F(SocketTest, UnresolvableHostFailsAtOnce) {
  EXPECT_EQ(-1, socket.Connect("no-such-host.invalid", 9070, 1));
  ASSERT_EQ(1u, socket.Count(kNotifyConnectFailed));
  EXPECT_EQ(-1, socket.Last(kNotifyConnectFailed)->p);
  EXPECT_NE(0, NteGetLastRecordedError());
}

TEST_F(SocketTest, MalformedRecordThenANewConnectionWorks) {
  CFixtureScenario bad;
  bad.onVersionRequest = {CFixtureAction::Record(std::string("\x22\x00\x00", 3))};
  ConnectTo(bad);
  ASSERT_EQ(1, socket.SendVersionRequest(kService, kRows));
  ASSERT_TRUE(WaitClosed());
  EXPECT_EQ(kCloseProtocolError, socket.Last(kNotifyClosed)->p);
  socket.FreeContext();

  // Same engine, same socket: a fresh connection runs normally.
  fixture.SetScenario(CFixtureScenario());
  socket.sink.calls.clear();
  ASSERT_EQ(0, socket.Connect("127.0.0.1", fixture.GetPort(), 1));
  ASSERT_TRUE(PollUntil(socket, [&] { return socket.Count(kNotifyConnected) == 1; }));
  ASSERT_EQ(1, socket.SendVersionRequest(kService, kRows));
  ASSERT_TRUE(PollUntil(socket, [&] { return socket.Answers().size() == 2; }));
  EXPECT_EQ(0u, socket.Count(kNotifyClosed));
  ASSERT_TRUE(fixture.WaitForConnections(2, 10000));
}

TEST_F(SocketTest, EmptyRecordIsIgnored) {
  CFixtureScenario sc;
  sc.onVersionRequest = {CFixtureAction::Raw(std::string("\x00\x00", 2)), CFixtureAction::Answer()};
  ConnectTo(sc);
  ASSERT_EQ(1, socket.SendVersionRequest(kService, kRows));
  ASSERT_TRUE(PollUntil(socket, [&] { return socket.Answers().size() == 2; }));
  EXPECT_EQ(0u, socket.Count(kNotifyClosed));
  EXPECT_TRUE(socket.IsConnected());
}

TEST_F(SocketTest, OtherServerMessagesReachNotify) {
  CWire world;
  world.U8(30).U16(1).U16(2).U32(3).Str("w").U8(4).Str("t").U16(5).U8(6).U16(7).Str("");
  CWire id;
  id.U8(31).U16(9);
  CWire sites;
  sites.U8(37).U32(1).U32(1).U32(2).Str("a").Str("b").U8(3).U32(4).U32(5);
  CWire byteMsg;
  byteMsg.U8(38).U8(0x5A);
  auto bytes = [](const CWire& w) { return std::string(w.Bytes().begin(), w.Bytes().end()); };
  CFixtureScenario sc;
  sc.onAccept = {CFixtureAction::Record(bytes(world)), CFixtureAction::Record(bytes(id)),
                 CFixtureAction::Record("\x20"), CFixtureAction::Record(bytes(sites)),
                 CFixtureAction::Record(bytes(byteMsg))};
  ConnectTo(sc);
  ASSERT_TRUE(PollUntil(socket, [&] { return socket.Count(kNotifyMessage) == 5; }));
  std::vector<int> ids;
  for (const CNotifyCall& c : socket.sink.calls) {
    if (c.type == kNotifyMessage) ids.push_back(c.a);
  }
  EXPECT_EQ((std::vector<int>{30, 31, 32, 37, 38}), ids);
  // Find the world-id message by its id: what comes before it (the
  // connect report) depends on timing, not on the code under test.
  const CNotifyCall* worldId = nullptr;
  for (const CNotifyCall& c : socket.sink.calls) {
    if (c.type == kNotifyMessage && c.a == 31) worldId = &c;
  }
  ASSERT_NE(nullptr, worldId);
  ASSERT_TRUE(worldId->world.has_value());
  EXPECT_EQ(9, worldId->world->m_nWorldId);
  EXPECT_EQ(0x5A, *socket.Last(kNotifyMessage)->byteValue);
}

TEST_F(SocketTest, ModeTwoAndThreeRefuseEveryRecord) {
  // The encrypted modes' receive paths refuse; the plain one dispatches.
  const uint8_t signal[1] = {32};
  EXPECT_EQ(-1, socket.OnReceive(signal, 1));  // no mode yet
  EXPECT_EQ(-1, socket.DispatchMode2(signal, 1));
  EXPECT_EQ(-1, socket.DispatchMode3(signal, 1));
  EXPECT_EQ(0, socket.SendKeepAliveMode2());
  EXPECT_EQ(1, socket.GetMode2CipherFlags());
  EXPECT_EQ(8, socket.GetMode2KeyLength());
  EXPECT_TRUE(socket.sink.calls.empty());
}

TEST_F(SocketTest, KeepAliveIsIdAndTick) {
  ConnectTo(CFixtureScenario());
  ASSERT_EQ(1, socket.SendKeepAlive());
  ASSERT_TRUE(PollUntil(socket, [&] { return fixture.GetConnection(0).records.size() >= 1; }));
  const std::string rec = fixture.GetConnection(0).records[0];
  ASSERT_EQ(5u, rec.size());
  EXPECT_EQ(29, rec[0]);
}

TEST_F(SocketTest, SendRefusesWhatDoesNotFit) {
  ConnectTo(CFixtureScenario());
  // 36,863 bytes need 36,865 with the header: more than the buffer holds.
  const std::string tooBig(36863, 'x');
  EXPECT_FALSE(socket.Send(tooBig.data(), static_cast<int>(tooBig.size())));
  const std::string fits(36862, 'x');
  EXPECT_TRUE(socket.Send(fits.data(), static_cast<int>(fits.size())));
  EXPECT_EQ(0u, socket.Count(kNotifyError));
}

TEST_F(SocketTest, SendBeforeTheConnectIsReported) {
  ASSERT_TRUE(fixture.Start());
  ASSERT_EQ(0, socket.Connect("127.0.0.1", fixture.GetPort(), 1));
  ASSERT_EQ(CNteSocket::kConnecting, socket.GetState());
  EXPECT_EQ(0, socket.SendVersionRequest(kService, kRows));
  EXPECT_TRUE(socket.sink.calls.empty());
}

TEST_F(SocketTest, ConnectRefusesUnknownModes) {
  for (int mode : {0, 4, -1, 17}) {
    SCOPED_TRACE(mode);
    EXPECT_EQ(-1, socket.Connect("127.0.0.1", 9070, mode));
    EXPECT_EQ(CNteSocket::kIdle, socket.GetState());
    EXPECT_EQ(0, socket.GetMode());
    EXPECT_STREQ("", socket.GetHost());
    EXPECT_EQ(0, socket.GetPort());
  }
  EXPECT_TRUE(socket.sink.calls.empty());
}

TEST_F(SocketTest, PollRunsOneEnginePassEach) {
  const uint32_t before = nte_get_pass_count();
  socket.Poll(0);
  EXPECT_EQ(before, nte_get_pass_count());
  socket.Poll(3);
  EXPECT_EQ(before + 3, nte_get_pass_count());
}

TEST(SocketLayer, CloseCodesOfEngineReasons) {
  const int expected[][2] = {{1, 2},       {2, 0},       {3, 3},  {4, 0x10004}, {5, 0x20004},
                             {6, 0x30004}, {9, 0x60004}, {0, -1}, {10, -1},     {-3, -1}};
  for (const auto& e : expected) EXPECT_EQ(e[1], NteCloseCodeFromReason(e[0])) << e[0];
}

TEST(SocketLayer, NothingRunsWithoutTheEngine) {
  CTestSocket socket;
  EXPECT_FALSE(NteEnginePoll());
  socket.Poll(3);
  EXPECT_EQ(-1, socket.Connect("127.0.0.1", 9070, 1));  // no holder
  EXPECT_EQ(0, socket.Disconnect());
  EXPECT_TRUE(socket.sink.calls.empty());
}

TEST(SocketLayer, NotifyReachesTheReceiverInstalledForTheCheck) {
  CQuorlSocket socket;
  EXPECT_EQ(0, socket.Notify(kNotifyClosed, 0, 0, 0x30004, 0)) << "nobody installed: nothing happens";
  CEventLog outer;
  CEventLog inner;
  {
    CLoginEventsScope check(socket, outer);
    EXPECT_EQ(&outer, socket.GetEventHandler());
    {
      CLoginEventsScope nested(socket, inner);
      socket.Notify(kNotifyConnected, 0, 0, 0, 0);
    }
    EXPECT_EQ(&outer, socket.GetEventHandler()) << "the previous receiver is back";
    socket.Notify(kNotifyClosed, 0, 0, 0x30004, 0);
    socket.Notify(kNotifyError, 0, 0, 0, 2);
  }
  EXPECT_EQ(nullptr, socket.GetEventHandler());
  socket.Notify(kNotifyConnected, 0, 0, 0, 0);
  EXPECT_EQ((std::vector<std::string>{"connected"}), inner.events);
  EXPECT_EQ((std::vector<std::string>{"closed 196612", "error 0 2"}), outer.events);
  EXPECT_EQ(600, socket.GetTimeoutSeconds());
  EXPECT_EQ(10, socket.GetRecordsPerPass());
  EXPECT_EQ(36864, socket.GetReadBufferSize());
  EXPECT_TRUE(socket.IsKindOf(RUNTIME_CLASS(CHalvaneOnlineGameBaseSocket)));
  EXPECT_TRUE(socket.IsKindOf(RUNTIME_CLASS(CNteSocket)));
}

TEST(SocketLayer, InitializeWithoutATransportFails) {
  nte_test::StopEngine();
  CTestSocket socket;
  EXPECT_FALSE(socket.Initialize());
  EXPECT_FALSE(NteEngineIsStarted());
  EXPECT_EQ(-6, NteGetLastRecordedError());
  EXPECT_EQ(-1, socket.Connect("127.0.0.1", 9070, 1));
  EXPECT_TRUE(socket.sink.calls.empty());
}

TEST(SocketLayer, DestroyingAConnectedSocketIsSafe) {
  CLoginFixture fixture;
  ASSERT_TRUE(fixture.Start());
  {
    CTestSocket socket;
    nte_test::UseTransport(nte_test::Transport::kSystem);
    ASSERT_TRUE(socket.Initialize());
    ASSERT_EQ(0, socket.Connect("127.0.0.1", fixture.GetPort(), 1));
    ASSERT_TRUE(PollUntil(socket, [&] { return socket.Count(kNotifyConnected) == 1; }));
  }
  // The engine still runs; passes must not call the dead socket.
  for (int i = 0; i < 20; ++i) NteEnginePoll();
  NteEngineShutdown();
  nte_test::StopEngine();
}

TEST_F(SocketTest, VersionRequestRowLimitsOverTheWire) {
  CFixtureScenario sc;
  sc.onVersionRequest = {CFixtureAction::Hold()};
  ConnectTo(sc);
  std::vector<CCheckVerInfo> rows;
  for (uint32_t i = 0; i < 43; ++i) rows.push_back({10000 + i, 1000000 + i});

  // 43 rows do not fit the request buffer: refused, nothing queued.
  EXPECT_EQ(-2, socket.SendVersionRequest(kService, rows));
  // 42 rows fill it to a 509-byte body.
  rows.pop_back();
  ASSERT_EQ(1, socket.SendVersionRequest(kService, rows));
  ASSERT_TRUE(PollUntil(socket, [&] { return fixture.GetConnection(0).records.size() >= 1; }));
  socket.Poll(5);
  CWire expected;
  expected.U8(21).U32(42);
  for (const CCheckVerInfo& r : rows) expected.U32(kService).U32(r.m_nComponentId).U32(r.m_nVersion);
  ASSERT_EQ(509, expected.Size());
  const std::vector<uint8_t> frame = Frame(expected.Bytes());
  EXPECT_EQ(std::string(frame.begin(), frame.end()), fixture.GetConnection(0).received);
  EXPECT_EQ(0u, socket.Count(kNotifyError));
}

TEST_F(SocketTest, UnknownModeLeavesALiveConnectionAlone) {
  ConnectTo(CFixtureScenario());
  const uint16_t port = fixture.GetPort();
  const size_t calls = socket.sink.calls.size();
  for (int mode : {0, 4}) {
    SCOPED_TRACE(mode);
    EXPECT_EQ(-1, socket.Connect("10.0.0.1", 1234, mode));
    EXPECT_EQ(CNteSocket::kConnected, socket.GetState());
    EXPECT_EQ(1, socket.GetMode());
    EXPECT_STREQ("127.0.0.1", socket.GetHost());
    EXPECT_EQ(port, socket.GetPort());
    EXPECT_EQ(0, socket.GetCipherFlags());
    EXPECT_EQ(0, socket.GetKeyLength());
    EXPECT_TRUE(socket.IsReady());
    EXPECT_TRUE(socket.IsConnected());
  }
  EXPECT_EQ(calls, socket.sink.calls.size());
  ASSERT_EQ(1, socket.SendVersionRequest(kService, kRows));
  ASSERT_TRUE(PollUntil(socket, [&] { return socket.Answers().size() == 2; }));
}

// What the independent peer of an encrypted mode saw and did.
struct CCipherPeerLog {
  std::string hello;
  std::string answer;
  std::string fromSocket;  // the first record's plain bytes
  std::atomic<bool> helloIn{false};
  std::atomic<bool> go{false};
};

// The independent peer (libcrypto, tests/nte/crypto_oracle.h) as the server
// of an encrypted mode: the exchange with status `status`, then one record
// from the socket, then `reply` (raw bytes, encrypted records built with
// the connection key by makeReply).
void ServeCipherPeer(loopback::Peer& p, CCipherPeerLog& log, int keyLength, uint32_t status,
                     const std::function<std::string(const oracle::Encoder&)>& makeReply) {
  const std::string peerExponent = "89abcdef0123456789abcdef0123456789abcdef";
  const std::string& prime = oracle::SkipPrime();
  log.hello = p.recv_exactly(8, 5000);
  log.helloIn = true;
  for (int i = 0; i < 5000 && !log.go; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  p.send_all(oracle::Reply(status, "2", prime, oracle::ModExp("2", prime, peerExponent)));
  if (status != 0) {
    p.wait_eof(5000);
    return;
  }
  const std::string len = p.recv_exactly(4, 5000);
  if (len.size() != 4) return;
  log.answer = len + p.recv_exactly(static_cast<int>(oracle::ReadBe32(len, 0)), 5000);
  const std::string secret = oracle::ModExp(log.answer.substr(4), prime, peerExponent);
  const oracle::Encoder enc(oracle::Cipher::kBlowfish, oracle::KeyFromSecret(secret, keyLength));
  const std::string header = p.recv_exactly(8, 5000);
  if (header.size() == 8) {
    const std::string record = header + p.recv_exactly(static_cast<int>(oracle::ReadBe32(header, 0)), 5000);
    if (!enc.Decode(record, &log.fromSocket)) log.fromSocket = "undecodable";
  }
  p.send_all(makeReply(enc));
  p.wait_eof(5000);
}

TEST_F(SocketTest, EncryptedModesConnectThroughTheKeyExchange) {
  struct Case {
    const char* name;
    int mode;
    int keyLength;
    bool badRecord;  // the peer's record is malformed (decoder) or a message (refused)
    int closeCode;
  } cases[] = {
      {"mode 2, a message", 2, 8, false, 0x30004},
      {"mode 3, a message", 3, 16, false, 0x30004},
      {"mode 3, a malformed record", 3, 16, true, 0x10004},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    socket.sink.calls.clear();
    CCipherPeerLog log;
    loopback::Server peer([&](loopback::Peer& p) {
      ServeCipherPeer(p, log, c.keyLength, 0, [&](const oracle::Encoder& enc) {
        if (c.badRecord) return oracle::Be32(12) + oracle::Be32(4) + std::string(12, '\0');
        return enc.Record(std::string("\x00\x01\x20", 3));  // a framed message
      });
    });
    ASSERT_EQ(0, socket.Connect("127.0.0.1", static_cast<uint16_t>(peer.port()), c.mode));
    EXPECT_EQ(1, socket.GetCipherFlags());
    EXPECT_EQ(c.keyLength, socket.GetKeyLength());
    // Connected, but not keyed: nothing is reported and nothing can be sent.
    ASSERT_TRUE(PollUntil(socket, [&] { return log.helloIn.load(); }));
    socket.Poll(20);
    EXPECT_TRUE(socket.sink.calls.empty());
    EXPECT_EQ(CNteSocket::kConnecting, socket.GetState());
    EXPECT_FALSE(socket.IsReady());
    EXPECT_FALSE(socket.Send("x", 1));
    log.go = true;
    ASSERT_TRUE(PollUntil(socket, [&] { return socket.Count(kNotifyConnected) == 1; }));
    EXPECT_EQ(CNteSocket::kConnected, socket.GetState());
    EXPECT_TRUE(socket.IsReady());
    ASSERT_TRUE(socket.Send("hello", 5));
    ASSERT_TRUE(WaitClosed());
    EXPECT_EQ(c.closeCode, socket.Last(kNotifyClosed)->p);
    EXPECT_EQ(CNteSocket::kClosed, socket.GetState());
    socket.FreeContext();
    ASSERT_TRUE(peer.join());
    EXPECT_EQ(oracle::Hello(0, static_cast<uint32_t>(c.keyLength)), log.hello);
    EXPECT_EQ(std::string("\x00\x05hello", 7), log.fromSocket) << "the framed bytes, deciphered";
  }
}

TEST_F(SocketTest, RefusedKeyExchangeIsAConnectFailure) {
  CCipherPeerLog log;
  log.go = true;
  loopback::Server peer(
      [&](loopback::Peer& p) { ServeCipherPeer(p, log, 16, 4, [](const oracle::Encoder&) { return std::string(); }); });
  ASSERT_EQ(0, socket.Connect("127.0.0.1", static_cast<uint16_t>(peer.port()), 3));
  ASSERT_TRUE(PollUntil(socket, [&] { return !socket.sink.calls.empty(); }));
  ASSERT_EQ(1u, socket.sink.calls.size());
  EXPECT_EQ(kNotifyConnectFailed, socket.sink.calls[0].type);
  EXPECT_EQ(-1, socket.sink.calls[0].p);
  EXPECT_EQ(CNteSocket::kClosed, socket.GetState());
  socket.FreeContext();
  EXPECT_TRUE(peer.join());
}

TEST_F(SocketTest, PlainModeTakesNoCipher) {
  ASSERT_TRUE(fixture.Start());
  socket.Connect("127.0.0.1", fixture.GetPort(), 1);
  EXPECT_EQ(1, socket.GetMode());
  EXPECT_EQ(0, socket.GetCipherFlags());
  EXPECT_EQ(0, socket.GetKeyLength());
  ASSERT_TRUE(PollUntil(socket, [&] { return socket.Count(kNotifyConnected) == 1; }));
}

TEST_F(SocketTest, KeepAliveCarriesTheSystemTick) {
  ConnectTo(CFixtureScenario());
  const uint32_t before = GetSystemTickMs();
  ASSERT_EQ(1, socket.SendKeepAlive());
  const uint32_t after = GetSystemTickMs();
  ASSERT_TRUE(PollUntil(socket, [&] { return fixture.GetConnection(0).records.size() >= 1; }));
  const std::string rec = fixture.GetConnection(0).records[0];
  ASSERT_EQ(5u, rec.size());
  const uint32_t tick = GetBe32(reinterpret_cast<const uint8_t*>(rec.data()) + 1);
  // Differences, so that a wrap of the counter in between still passes.
  EXPECT_LE(tick - before, after - before);
}

namespace {

int64_t g_fakeNow = 1700000000;
void FakeClock(int64_t* seconds, int* ms) {
  *seconds = g_fakeNow;
  *ms = 0;
}

// The launcher's socket over the fake transport, its events logged through
// the typed receiver as the launcher installs it.
class CGuardedSocket : public CQuorlSocket {
 public:
  // The ready flag as a report of an earlier connection would leave it.
  void ForceReady() { m_bReady = 1; }
};

class FakeSocketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    nte_test::UseTransport(nte_test::Transport::kFake);
    nte_set_clock(FakeClock);
    ASSERT_TRUE(socket.Initialize());
  }
  void TearDown() override {
    socket.Close();
    EXPECT_EQ(0, fake::open_count());
    nte_test::StopEngine();
  }
  void Advance(int seconds) {
    g_fakeNow += seconds;
    nte_update_time();
  }

  CGuardedSocket socket;
  CEventLog log;
  CLoginEventsScope scope{socket, log};
};

}  // namespace

TEST_F(FakeSocketTest, ConnectThatNeverCompletesIsReportedAsConnectFailed) {
  fake::next_connect(fake::Connect::kPending);
  ASSERT_EQ(0, socket.Connect("127.0.0.1", 9070, 1));
  socket.Poll(3);
  EXPECT_EQ(CNteSocket::kConnecting, socket.GetState());
  Advance(601);
  socket.Poll(1);
  EXPECT_EQ((std::vector<std::string>{"connect failed -1"}), log.events) << "never an orderly close";
  EXPECT_EQ(CNteSocket::kClosed, socket.GetState());
  EXPECT_FALSE(socket.IsConnected());
  socket.Poll(3);
  EXPECT_EQ(1u, log.events.size());
}

TEST_F(FakeSocketTest, ConnectThatFailsLaterIsReportedAsConnectFailed) {
  fake::next_connect(fake::Connect::kFailsLater);
  ASSERT_EQ(0, socket.Connect("127.0.0.1", 9070, 1));
  socket.Poll(1);
  EXPECT_EQ((std::vector<std::string>{"connect failed -1"}), log.events);
}

TEST_F(FakeSocketTest, MessageOfTheConnectPassIsReportedAfterTheConnect) {
  // The server spoke at once: its message arrives in the very pass that
  // completes the connect.
  ASSERT_EQ(0, socket.Connect("127.0.0.1", 9070, 1));
  fake::last()->inbox = std::string("\x00\x03\x1f\x00\x09", 5);
  socket.Poll(1);
  EXPECT_EQ((std::vector<std::string>{"connected", "world id 9"}), log.events);
  EXPECT_EQ(CNteSocket::kConnected, socket.GetState());
}

TEST_F(FakeSocketTest, ErrorsReachTheReceiverAsTypeThree) {
  ASSERT_EQ(0, socket.Connect("127.0.0.1", 9070, 1));
  socket.Poll(2);
  ASSERT_EQ((std::vector<std::string>{"connected"}), log.events);
  ASSERT_TRUE(socket.IsReady());
  // An error report drops the ready flag and starts an orderly close.
  socket.OnErrorCode(-5);
  EXPECT_FALSE(socket.IsReady());
  socket.Poll(2);
  EXPECT_EQ((std::vector<std::string>{"connected", "error -5 0", "closed 0"}), log.events);
}

TEST_F(FakeSocketTest, SendWhileConnectingWithAStaleReadyFlagIsAnError) {
  fake::next_connect(fake::Connect::kPending);
  ASSERT_EQ(0, socket.Connect("127.0.0.1", 9070, 1));
  socket.ForceReady();
  EXPECT_FALSE(socket.Send("x", 1));
  EXPECT_FALSE(socket.Send("x", 1)) << "the flag is cleared: reported once";
  EXPECT_EQ((std::vector<std::string>{"error 0 2"}), log.events);
  EXPECT_FALSE(socket.IsReady());
}

namespace {

// A bare engine socket that keeps what it receives, for the framings the
// launcher's socket does not use.
class CRawSocket : public CNteSocket {
 public:
  const char* GetHost() const override { return "127.0.0.1"; }
  uint16_t GetPort() const override { return 9070; }
  int OnReceive(const uint8_t* data, int length) override {
    records.emplace_back(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
    return 0;
  }
  std::vector<std::string> records;
};

}  // namespace

TEST(SocketFramings, EveryIndexFramesAndParsesItsOwnWay) {
  struct Case {
    const char* name;
    int sender;
    int parser;
    std::string sent;
    std::string incoming;
    std::vector<std::string> records;
  };
  const Case cases[] = {
      {"16-bit length",
       0,
       0,
       std::string("\x00\x03"
                   "abc",
                   5),
       std::string("\x00\x02"
                   "hi\x00\x01"
                   "z",
                   7),
       {"hi", "z"}},
      {"32-bit length",
       1,
       1,
       std::string("\x00\x00\x00\x03"
                   "abc",
                   7),
       std::string("\x00\x00\x00\x02"
                   "hi",
                   6),
       {"hi"}},
      {"text line", 2, 2, "abc\n", "hi\r\nyo\n", {"hi", "yo"}},
      {"raw", 3, 3, "abc", "hi", {"hi"}},
      {"text out, 16-bit in",
       2,
       0,
       "abc\n",
       std::string("\x00\x02"
                   "hi",
                   4),
       {"hi"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    nte_test::UseTransport(nte_test::Transport::kFake);
    ASSERT_TRUE(NteEngineInit(1, 0));
    CRawSocket socket;
    ASSERT_TRUE(socket.SetFraming(c.sender, c.parser));
    ASSERT_TRUE(socket.Connect());
    socket.Poll(2);
    ASSERT_EQ(CNteSocket::kConnected, socket.GetState());
    fake::Socket* s = fake::last();
    ASSERT_TRUE(socket.Send("abc", 3));
    s->inbox = c.incoming;
    socket.Poll(3);
    EXPECT_EQ(c.sent, s->outbox);
    EXPECT_EQ(c.records, socket.records);
    socket.Close();
    NteEngineShutdown();
    nte_test::StopEngine();
  }
}

TEST(SocketFramings, UnknownIndexesDropTheHolder) {
  nte_test::UseTransport(nte_test::Transport::kFake);
  ASSERT_TRUE(NteEngineInit(1, 0));
  for (const auto& pair : {std::make_pair(4, 0), std::make_pair(0, 4), std::make_pair(-1, 0), std::make_pair(0, -1)}) {
    SCOPED_TRACE(std::to_string(pair.first) + "," + std::to_string(pair.second));
    CRawSocket socket;
    ASSERT_TRUE(socket.SetFraming(0, 0));
    EXPECT_FALSE(socket.SetFraming(pair.first, pair.second));
    EXPECT_FALSE(socket.Connect()) << "no holder left";
    EXPECT_FALSE(socket.Send("x", 1));
    EXPECT_EQ(0, socket.Disconnect());
  }
  EXPECT_EQ(0, fake::open_count());
  NteEngineShutdown();
  nte_test::StopEngine();
}
