// The version check against the login-server fixture over loopback (and
// over the fake transport for what a real server cannot be made to do), with
// a host whose clock the test drives: the 120-second waits cost nothing.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <functional>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "net/nte/nte_core.h"
#include "net/quorl_socket.h"
#include "tests/nte/engine_start.h"
#include "tests/nte/fake_transport.h"
#include "tools/fixture/login_fixture.h"
#include "update/version_check.h"

namespace {

constexpr uint32_t kService = 441397;
constexpr int kIdNo = 7;

// What the check showed: a string id with its style (and code), or the
// server's notice (id 0).
struct CShown {
  uint32_t id;
  uint32_t style;
  int code;
  std::string notice;
};

// The nothrow allocations of this program, which a test can make fail: the
// version table allocates its entries so.
int g_failNothrowNew = 0;  // allocations still to fail

}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (g_failNothrowNew > 0) {
    --g_failNothrowNew;
    return nullptr;
  }
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}

namespace {

int64_t g_engineMs = 1700000000000;
void EngineClock(int64_t* seconds, int* ms) {
  *seconds = g_engineMs / 1000;
  *ms = static_cast<int>(g_engineMs % 1000);
}

class CTestHost : public CVersionCheckHost {
 public:
  int ShowMessage(uint32_t id, uint32_t style) override {
    shown.push_back({id, style, 0, {}});
    if (id != IDS_CHECK_KEEP_WAITING) return 1;
    if (keepWaiting.empty()) return kIdNo;
    const int answer = keepWaiting.front();
    keepWaiting.erase(keepWaiting.begin());
    return answer;
  }
  int ShowMessageWithCode(uint32_t id, uint32_t style, int code) override {
    shown.push_back({id, style, code, {}});
    return 1;
  }
  void ShowNotice(const char* utf8, size_t length) override {
    shown.push_back({0, kMbOk, 0, std::string(utf8, length)});
  }
  int RunIdleLoop(uint32_t ms) override {
    EXPECT_EQ(500u, ms);
    EXPECT_TRUE(pumpRunning) << "the pump runs while the check waits";
    ++waits;
    tick += msPerWait;
    if (!freezeEngineClock) g_engineMs += msPerWait;
    nte_update_time();
    if (onWait) onWait();
    if (realSleep) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return quitAtWait >= 0 && waits >= quitAtWait ? 1 : 0;
  }
  void ResetIdleLoop() override { ++idleResets; }
  bool IsWindowAlive() override { return goneAtWait < 0 || waits < goneAtWait; }
  uint32_t GetTickCount() override { return tick; }
  void StartNetworkPump() override {
    pumpRunning = true;
    ++pumpStarts;
  }
  void StopNetworkPump() override { pumpRunning = false; }
  bool ReadInstalledVersions(uint32_t* g, uint32_t* l) override {
    *g = game;
    *l = launcher;
    return versionsReadable;
  }
  void GetLoginServerAddress(CString& h, uint16_t& p) override {
    h = host.c_str();
    p = port;
  }
  uint32_t GetServiceId() override { return kService; }

  std::vector<uint32_t> Ids() const {
    std::vector<uint32_t> ids;
    for (const CShown& s : shown) ids.push_back(s.id);
    return ids;
  }

  std::vector<CShown> shown;
  std::vector<int> keepWaiting;  // answers to 21003, then No
  uint32_t tick = 0xFFFFF000u;   // the tick counter wraps during long waits
  uint32_t msPerWait = 10;
  bool realSleep = true;
  int waits = 0;
  int quitAtWait = -1;
  int goneAtWait = -1;
  int idleResets = 0;
  bool freezeEngineClock = false;
  std::function<void()> onWait;
  bool pumpRunning = false;
  int pumpStarts = 0;
  bool versionsReadable = true;
  uint32_t game = 1002003;
  uint32_t launcher = 2004005;
  std::string host = "127.0.0.1";
  uint16_t port = 0;
};

class VersionCheckTest : public ::testing::Test {
 protected:
  void Start(nte_test::Transport transport) {
    nte_test::UseTransport(transport);
    nte_set_clock(EngineClock);
    // The engine's own lines (an unknown host's Fatal:1260) are not this
    // test's business.
    nte_set_log_sink([](void*, const char*) {}, nullptr);
    ASSERT_TRUE(socket.Initialize());
  }
  void TearDown() override {
    socket.Close();
    nte_test::StopEngine();
  }
  int Check(uint32_t version = 0) {
    CVersionCheck check(socket, table, host);
    const int r = check.CheckVersion(version);
    EXPECT_FALSE(host.pumpRunning) << "the pump stops with the check";
    EXPECT_EQ(nullptr, socket.GetEventHandler()) << "the check's receiver is gone with it";
    EXPECT_FALSE(socket.IsConnected()) << "always disconnected";
    notice = check.GetNotice().GetText();
    return r;
  }

  CQuorlSocket socket;
  CVersionUpdateInfoList table;
  CTestHost host;
  std::string notice;
};

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// One row: how the fixture behaves, what the check returns and shows.
struct Row {
  const char* name;
  std::string scenario;  // the fixture's scenario text
  int result;
  std::vector<uint32_t> shown;  // string ids in order; 0 is the notice
  std::string notice;           // the notice text shown, when 0 is listed
  std::vector<int> keepWaiting;
  uint32_t msPerWait;
};

TEST_F(VersionCheckTest, OutcomeOfEachServerBehaviour) {
  const std::string korean = "\xED\x98\x84\xEC\x9E\xAC \xEC\x84\x9C\xEB\xB2\x84 \xEC\xA0\x90\xEA\xB2\x80 \xEC\xA4\x91";
  const std::string longNotice = Repeat("\xEC\xA0\x90", 3000);  // 9,000 bytes
  const Row rows[] = {
      {"every component current", "unlisted 0\n", 1, {}, "", {}, 10},
      {"a script for the game in chunks",
       "component 10000\n result 1\n script \"NEXTVER 2\\nLATESTVER 2\\n\"\n chunk-size 5\nend\nunlisted 0\n",
       1,
       {},
       "",
       {},
       10},
      {"maintenance with a notice split inside characters",
       "component 10100\n result -100\n notice \"" + korean + "\"\n chunk-size 4\nend\nunlisted -100\n",
       2,
       {0},
       korean,
       {},
       10},
      {"maintenance without a notice", "unlisted -100\n", 2, {IDS_CHECK_MAINTENANCE}, "", {}, 10},
      {"busy with a notice",
       "component 10100\n result -98\n notice \"busy now\"\nend\nunlisted -98\n",
       2,
       {0},
       "busy now",
       {},
       10},
      {"busy without a notice", "unlisted -98\n", 2, {IDS_CHECK_BUSY}, "", {}, 10},
      {"the first component's notice only",
       "component 10100\n result -100\n notice \"first\"\nend\ncomponent 10000\n result -100\n notice "
       "\"second\"\nend\n",
       2,
       {0},
       "first",
       {},
       10},
      {"a notice of 9,000 bytes keeps 8,190 in whole characters",
       "component 10100\n result -100\n notice \"" + longNotice + "\"\n chunk-size 2000\nend\nunlisted -100\n",
       2,
       {0},
       longNotice.substr(0, 8190),
       {},
       10},
      {"no update, result 2", "unlisted 2\n", 1, {}, "", {}, 10},
      {"no update, result 3", "unlisted 3\n", 1, {}, "", {}, 10},
      {"not in service", "component 10000\n result -1\nend\nunlisted 0\n", 2, {IDS_CHECK_NOT_IN_SERVICE}, "", {}, 10},
      // Not in service ends the check at once: the game's answer, which never
      // comes, is not waited for (waiting would ask 21003 first).
      {"not in service before the other component answers",
       "unlisted none\ncomponent 10100\n result -1\nend\n",
       2,
       {IDS_CHECK_NOT_IN_SERVICE},
       "",
       {},
       500},
      {"version information invalid", "unlisted -2\n", 2, {IDS_CHECK_INVALID}, "", {}, 10},
      {"error while checking", "unlisted -99\n", 2, {IDS_CHECK_ERROR}, "", {}, 10},
      {"an unknown result", "unlisted 7\n", 2, {IDS_CHECK_INVALID}, "", {}, 10},
      {"an answer for another service",
       "component 10100\n result 0\n service 1\nend\nunlisted 0\n",
       2,
       {IDS_CHECK_INVALID},
       "",
       {},
       10},
      {"a script whose chunks come out of order",
       "component 10000\n result 1\n script \"0123456789\"\n chunk-size 5\n order 2 1\nend\nunlisted 0\n",
       2,
       {IDS_CHECK_INVALID},
       "",
       {},
       10},
      // Every answer arrived: what the server does with the connection
      // afterwards does not turn them into a failure.
      {"answers, then the server closes at once",
       "unlisted 0\non-request answer\non-request close\n",
       1,
       {},
       "",
       {},
       10},
      {"answers, then the server resets at once",
       "unlisted 0\non-request answer\non-request reset\n",
       1,
       {},
       "",
       {},
       10},
      {"answers, a pause, then the close",
       "unlisted 0\non-request answer\non-request delay 50\non-request close\n",
       1,
       {},
       "",
       {},
       10},
      {"the server closes after the request", "on-request close\n", 2, {IDS_CHECK_BROKE_WAITING}, "", {}, 10},
      {"the server resets the connection", "on-request reset\n", 2, {IDS_CHECK_BROKE_WAITING}, "", {}, 10},
      {"a malformed answer", "on-request record \"\\x22\\x00\"\n", 2, {IDS_CHECK_BROKE_WAITING}, "", {}, 10},
      {"no answer: give up after 120 s",
       "on-request hold\n",
       2,
       {IDS_CHECK_KEEP_WAITING, IDS_CHECK_GAVE_UP_WAITING},
       "",
       {},
       500},
      {"no answer: wait once more, then give up",
       "on-request hold\n",
       2,
       {IDS_CHECK_KEEP_WAITING, IDS_CHECK_KEEP_WAITING, IDS_CHECK_GAVE_UP_WAITING},
       "",
       {kIdYes},
       500},
      {"one component answered, the other never",
       "unlisted none\ncomponent 10100\n result 0\nend\n",
       2,
       {IDS_CHECK_KEEP_WAITING, IDS_CHECK_GAVE_UP_WAITING},
       "",
       {},
       500},
      {"answers in pieces a while apart", "segment 7\nsegment-delay 2\nunlisted 0\n", 1, {}, "", {}, 10},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    CFixtureScenario sc;
    std::string error;
    ASSERT_TRUE(FixtureParseScenario(r.scenario, sc, error)) << error;
    CLoginFixture fixture(sc);
    ASSERT_TRUE(fixture.Start());
    Start(nte_test::Transport::kSystem);
    host = CTestHost();
    host.port = fixture.GetPort();
    host.keepWaiting = r.keepWaiting;
    host.msPerWait = r.msPerWait;
    EXPECT_EQ(r.result, Check());
    EXPECT_EQ(r.shown, host.Ids());
    for (const CShown& s : host.shown) {
      SCOPED_TRACE(s.id);
      const uint32_t style = s.id == 0                        ? kMbOk
                             : s.id == IDS_CHECK_KEEP_WAITING ? (kMbYesNo | kMbIconExclamation)
                                                              : kMbIconExclamation;
      EXPECT_EQ(style, s.style);
      if (s.id == 0) {
        EXPECT_EQ(r.notice, s.notice);
      }
    }
    EXPECT_EQ(1, host.pumpStarts);
    EXPECT_EQ(1, host.idleResets) << "the answer wait starts the idle work afresh, once";
    EXPECT_EQ(1u, fixture.GetConnectionCount());
    TearDown();
  }
}

TEST_F(VersionCheckTest, SampleScenarioFiles) {
  struct File {
    const char* name;
    int result;
    std::vector<uint32_t> shown;
    uint32_t msPerWait;
  };
  const File files[] = {
      {"no_update.scn", 1, {}, 10},
      {"game_update.scn", 1, {}, 10},  // the script is for another installed version
      {"maintenance.scn", 2, {0}, 10},
      {"busy.scn", 2, {0}, 10},
      {"not_in_service.scn", 2, {IDS_CHECK_NOT_IN_SERVICE}, 10},
      {"no_answer.scn", 2, {IDS_CHECK_KEEP_WAITING, IDS_CHECK_GAVE_UP_WAITING}, 500},
  };
  for (const File& f : files) {
    SCOPED_TRACE(f.name);
    std::ifstream in(std::string(QUORL_FIXTURE_SCENARIOS) + "/" + f.name, std::ios::binary);
    ASSERT_TRUE(in.good());
    std::ostringstream text;
    text << in.rdbuf();
    CFixtureScenario sc;
    std::string error;
    ASSERT_TRUE(FixtureParseScenario(text.str(), sc, error)) << error;
    CLoginFixture fixture(sc);
    ASSERT_TRUE(fixture.Start());
    Start(nte_test::Transport::kSystem);
    host = CTestHost();
    host.port = fixture.GetPort();
    host.msPerWait = f.msPerWait;
    EXPECT_EQ(f.result, Check());
    EXPECT_EQ(f.shown, host.Ids());
    TearDown();
  }
}

TEST_F(VersionCheckTest, FirstCheckAsksForLauncherThenGameAReCheckForTheGameAlone) {
  CLoginFixture fixture;
  ASSERT_TRUE(fixture.Start());
  Start(nte_test::Transport::kSystem);
  host.port = fixture.GetPort();
  ASSERT_EQ(1, Check(0));
  ASSERT_EQ(1, Check(3004005));
  ASSERT_EQ(2u, fixture.GetConnectionCount()) << "a new connection per check";
  struct Expected {
    std::vector<uint32_t> components;
    std::vector<uint32_t> versions;
  };
  const Expected expected[] = {{{10100, 10000}, {2004005, 1002003}}, {{10000}, {3004005}}};
  for (size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    const CFixtureConnectionLog log = fixture.GetConnection(i);
    ASSERT_EQ(1u, log.records.size());
    CFixtureVersionRequest request;
    ASSERT_TRUE(FixtureParseVersionRequest(log.records[0], request));
    std::vector<uint32_t> components, versions;
    for (const auto& row : request.rows) {
      EXPECT_EQ(kService, row.service);
      components.push_back(row.component);
      versions.push_back(row.version);
    }
    EXPECT_EQ(expected[i].components, components);
    EXPECT_EQ(expected[i].versions, versions);
    EXPECT_TRUE(fixture.WaitForClosed(i, 5000)) << "the launcher closed it";
  }
  // The table keeps the last check's answers for the update sequence.
  ASSERT_EQ(1u, table.GetCount());
  EXPECT_EQ(10000u, table.GetAt(0)->GetComponentId());
  EXPECT_EQ(CVersionUpdateInfo::kNoUpdate, table.GetAt(0)->GetState());
}

TEST_F(VersionCheckTest, ScriptLandsInTheTable) {
  CFixtureScenario sc;
  std::string error;
  ASSERT_TRUE(
      FixtureParseScenario("component 10100\n result 1\n script \"EXEC x.exe\\n\"\nend\ncomponent 10000\n result 1\n"
                           " script \"NEXTVER 1001000\\nLATESTVER 1001000\\n\"\n chunk-size 7\nend\n",
                           sc, error))
      << error;
  CLoginFixture fixture(sc);
  ASSERT_TRUE(fixture.Start());
  Start(nte_test::Transport::kSystem);
  host.port = fixture.GetPort();
  ASSERT_EQ(1, Check());
  const CVersionUpdateInfo* launcher = table.Find(kService, 10100);
  const CVersionUpdateInfo* game = table.Find(kService, 10000);
  ASSERT_NE(nullptr, launcher);
  ASSERT_NE(nullptr, game);
  ASSERT_TRUE(launcher->HasScript());
  EXPECT_STREQ("EXEC x.exe\n", launcher->GetScript());
  ASSERT_TRUE(game->HasScript());
  EXPECT_STREQ("NEXTVER 1001000\nLATESTVER 1001000\n", game->GetScript());
}

TEST_F(VersionCheckTest, UnreadableInstalledVersionsStopBeforeAnyConnection) {
  CLoginFixture fixture;
  ASSERT_TRUE(fixture.Start());
  Start(nte_test::Transport::kSystem);
  host.port = fixture.GetPort();
  host.versionsReadable = false;
  EXPECT_EQ(2, Check());
  ASSERT_EQ(1u, host.shown.size());
  EXPECT_EQ(uint32_t{IDS_CHECK_NOT_INSTALLED}, host.shown[0].id);
  EXPECT_EQ(kMbIconExclamation, host.shown[0].style);
  EXPECT_EQ(0, host.pumpStarts);
  EXPECT_EQ(0u, fixture.GetConnectionCount());
}

TEST_F(VersionCheckTest, WindowGoneOrQuitEndsSilently) {
  enum When { kAtWait, kOnceAnswered };
  struct Case {
    const char* name;
    const char* scenario;
    int goneAtWait;
    int quitAtWait;
    When when;
  };
  const Case cases[] = {
      {"window gone while the answers are awaited", "on-request hold\n", 3, -1, kAtWait},
      {"WM_QUIT while the answers are awaited", "on-request hold\n", -1, 3, kAtWait},
      {"window gone right away", "on-request hold\n", 1, -1, kAtWait},
      // In the pass that brought the last answer: the answer wait ends on
      // the answers, the disconnect wait sees the window or the quit.
      {"window gone with the answers, seen by the disconnect wait", "unlisted 0\n", 0, -1, kOnceAnswered},
      {"WM_QUIT with the answers, seen by the disconnect wait", "unlisted 0\n", -1, 0, kOnceAnswered},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CFixtureScenario sc;
    std::string error;
    ASSERT_TRUE(FixtureParseScenario(c.scenario, sc, error));
    CLoginFixture fixture(sc);
    ASSERT_TRUE(fixture.Start());
    Start(nte_test::Transport::kSystem);
    host = CTestHost();
    host.port = fixture.GetPort();
    if (c.when == kAtWait) {
      host.goneAtWait = c.goneAtWait;
      host.quitAtWait = c.quitAtWait;
    } else {
      host.onWait = [this, &c] {
        int32_t pending = 1;
        table.GetMaxState(pending);
        if (pending != 0 || host.goneAtWait >= 0 || host.quitAtWait >= 0) return;
        if (c.goneAtWait >= 0) host.goneAtWait = host.waits;
        if (c.quitAtWait >= 0) host.quitAtWait = host.waits;
      };
    }
    EXPECT_EQ(3, Check());
    EXPECT_TRUE(host.shown.empty());
    if (c.when == kOnceAnswered) {
      EXPECT_EQ(CVersionUpdateInfo::kNoUpdate, table.GetAt(0)->GetState()) << "the answers were in";
    }
    host.onWait = nullptr;
    // The next check starts from a fresh connection even though the last
    // one was left before its close was seen.
    host.goneAtWait = host.quitAtWait = -1;
    fixture.SetScenario(CFixtureScenario());
    EXPECT_EQ(1, Check());
    EXPECT_TRUE(host.shown.empty());
    TearDown();
  }
}

TEST_F(VersionCheckTest, ConnectFailures) {
  // Over the fake transport, with the engine's clock following the host's:
  // a connect that never completes meets the engine's idle time-out.
  struct Case {
    const char* name;
    fake::Connect connect;
    const char* host;
    std::vector<uint32_t> shown;
    int code;  // of 21004
    std::vector<int> keepWaiting;
  };
  const Case cases[] = {
      {"refused at once", fake::Connect::kFailsAtOnce, "127.0.0.1", {IDS_CHECK_CANNOT_CONNECT}, -17, {}},
      {"unknown host", fake::Connect::kCompletes, "no.such.host", {IDS_CHECK_CANNOT_CONNECT}, -17, {}},
      {"refused after it started", fake::Connect::kFailsLater, "127.0.0.1", {IDS_CHECK_BROKE_CONNECTING}, 0, {}},
      {"never completes, the user waits it out",
       fake::Connect::kPending,
       "127.0.0.1",
       {IDS_CHECK_KEEP_WAITING, IDS_CHECK_KEEP_WAITING, IDS_CHECK_KEEP_WAITING, IDS_CHECK_KEEP_WAITING,
        IDS_CHECK_BROKE_CONNECTING},
       0,
       {kIdYes, kIdYes, kIdYes, kIdYes}},
      {"never completes, the user gives up",
       fake::Connect::kPending,
       "127.0.0.1",
       {IDS_CHECK_KEEP_WAITING, IDS_CHECK_GAVE_UP_CONNECTING},
       0,
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start(nte_test::Transport::kFake);
    host = CTestHost();
    host.host = c.host;
    host.port = 9070;
    host.msPerWait = 500;
    host.realSleep = false;
    host.keepWaiting = c.keepWaiting;
    fake::next_connect(c.connect);
    EXPECT_EQ(2, Check());
    EXPECT_EQ(c.shown, host.Ids());
    EXPECT_EQ(0, host.idleResets) << "no answer wait without a connection";
    if (c.shown[0] == IDS_CHECK_CANNOT_CONNECT) {
      EXPECT_EQ(c.code, host.shown[0].code);
    }
    TearDown();
  }
}

TEST_F(VersionCheckTest, FailuresAroundTheRequest) {
  // Over the fake transport; each case breaks one step between the rows and
  // the answer wait.
  struct Case {
    const char* name;
    fake::Connect connect;
    std::function<void(CQuorlSocket&, CTestHost&)> arrange;
    std::vector<uint32_t> shown;
    int pumpStarts;
  };
  const Case cases[] = {
      {"the version table cannot be built",
       fake::Connect::kCompletes,
       [](CQuorlSocket&, CTestHost&) { g_failNothrowNew = 1; },
       {IDS_CHECK_TABLE_FAILED},
       0},
      // The connection stands, but its output has no room for the request:
      // records nobody takes fill it as soon as the connect is reported.
      {"the request cannot be queued",
       fake::Connect::kCompletes,
       [](CQuorlSocket& socket, CTestHost& host) {
         host.onWait = [&socket, filled = false]() mutable {
           fake::Socket* peer = fake::last();
           if (peer == nullptr) return;
           if (filled) {
             peer->send_blocked = false;  // the close may go out again
             return;
           }
           if (socket.GetState() != CNteSocket::kConnected) return;
           peer->send_blocked = true;
           const std::string filler(1000, 'x');
           for (size_t size : {1000, 100, 10, 1}) {
             while (socket.Send(filler.data(), static_cast<int>(size))) {
             }
           }
           filled = true;
         };
       },
       {IDS_CHECK_CANNOT_SEND},
       1},
      // A connect that is reported failed while the engine still holds the
      // connection: the connect wait ends, and the state is not "connected".
      {"a failed connect reported while the connection stands",
       fake::Connect::kPending,
       [](CQuorlSocket& socket, CTestHost& host) {
         host.onWait = [&socket, &host] {
           if (host.waits == 2) socket.GetEventHandler()->OnConnectFailed(-1);
         };
       },
       {IDS_CHECK_BROKE_WAITING},
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start(nte_test::Transport::kFake);
    host = CTestHost();
    host.port = 9070;
    host.realSleep = false;
    fake::next_connect(c.connect);
    c.arrange(socket, host);
    EXPECT_EQ(2, Check());
    EXPECT_EQ(c.shown, host.Ids());
    EXPECT_EQ(kMbIconExclamation, host.shown.empty() ? 0 : host.shown[0].style);
    EXPECT_EQ(c.pumpStarts, host.pumpStarts);
    EXPECT_EQ(0, host.idleResets) << "no answer wait";
    EXPECT_EQ(0, fake::open_count()) << "no connection outlives the check";
    EXPECT_EQ(0, g_failNothrowNew);
    host.onWait = nullptr;
    TearDown();
  }
}

TEST_F(VersionCheckTest, CloseThatNeverFinishesAsksTooAndLeavesNoConnection) {
  // The request never leaves (the peer takes nothing) and the engine's
  // clock stands still, so the close waits on its pending output.
  Start(nte_test::Transport::kFake);
  host.port = 9070;
  host.msPerWait = 500;
  host.realSleep = false;
  host.freezeEngineClock = true;
  host.onWait = [this] {
    if (socket.GetState() == CNteSocket::kConnected && fake::last() != nullptr) fake::last()->send_blocked = true;
  };
  EXPECT_EQ(2, Check());
  EXPECT_EQ((std::vector<uint32_t>{IDS_CHECK_KEEP_WAITING, IDS_CHECK_GAVE_UP_WAITING, IDS_CHECK_KEEP_WAITING}),
            host.Ids());
  EXPECT_EQ(0, fake::open_count()) << "the connection went with the check";
  // The next check has a connection of its own.
  host.onWait = nullptr;
  host.shown.clear();
  fake::Socket* previous = fake::last();
  const int r = Check();
  EXPECT_NE(previous, fake::last());
  EXPECT_EQ(2, r) << "the fake peer never answers";
}

TEST_F(VersionCheckTest, RealRefusedPortFailsTheConnect) {
  const uint16_t closed = fixture_net::FindClosedPort();
  ASSERT_NE(0, closed);
  Start(nte_test::Transport::kSystem);
  host.port = closed;
  EXPECT_EQ(2, Check());
  ASSERT_EQ(1u, host.shown.size());
  // Refused while the connect is under way, or at once by some stacks.
  EXPECT_TRUE(host.shown[0].id == IDS_CHECK_BROKE_CONNECTING || host.shown[0].id == IDS_CHECK_CANNOT_CONNECT)
      << host.shown[0].id;
}

TEST_F(VersionCheckTest, ResponseTimeoutAsksAfterMoreThan120Seconds) {
  Start(nte_test::Transport::kFake);
  CVersionCheck check(socket, table, host);
  host.tick = 1000;
  host.keepWaiting = {kIdYes};
  check.RestartResponseTimer();
  host.tick += 120000;
  EXPECT_TRUE(check.CheckResponseTimeout()) << "120 s are not more than 120 s";
  EXPECT_TRUE(host.shown.empty());
  host.tick += 1000;
  EXPECT_TRUE(check.CheckResponseTimeout()) << "Yes waits again";
  EXPECT_EQ(std::vector<uint32_t>{IDS_CHECK_KEEP_WAITING}, host.Ids());
  host.tick += 120000;
  EXPECT_TRUE(check.CheckResponseTimeout()) << "the timer restarted at Yes";
  host.tick += 1000;
  EXPECT_FALSE(check.CheckResponseTimeout()) << "No gives up";
  EXPECT_EQ(2u, host.shown.size());
}

}  // namespace
