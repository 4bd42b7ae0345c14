// The login-server fixture itself, driven by a plain loopback client; its
// answers are decoded by the launcher's own message decoders.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "net/login_messages.h"
#include "tests/net/recording_sink.h"
#include "tools/fixture/login_fixture.h"

namespace {

using fixture_net::Socket;

// A blocking-style client over the fixture's shim.
class CTestClient {
 public:
  explicit CTestClient(uint16_t port) : m_socket(fixture_net::ConnectLoopback(port)) {}
  ~CTestClient() { fixture_net::Close(m_socket); }
  bool Ok() const { return m_socket != fixture_net::kInvalidSocket; }

  bool SendAll(const std::string& bytes) {
    size_t off = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (off < bytes.size() && std::chrono::steady_clock::now() < deadline) {
      const int r = fixture_net::Send(m_socket, bytes.data() + off, static_cast<int>(bytes.size() - off));
      if (r > 0)
        off += static_cast<size_t>(r);
      else if (r == fixture_net::kError)
        return false;
      else
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return off == bytes.size();
  }

  // Reads until `want` bytes arrived, the stream ended, or time-out.
  std::string Receive(size_t want, int timeoutMs, bool* ended = nullptr) {
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    if (ended != nullptr) *ended = false;
    while (got.size() < want && std::chrono::steady_clock::now() < deadline) {
      std::vector<fixture_net::PollItem> items{{m_socket, true, false, false, false}};
      fixture_net::Poll(items, 10);
      if (!items[0].readable) continue;
      char buf[4096];
      const int r = fixture_net::Recv(m_socket, buf, sizeof buf);
      if (r > 0) {
        got.append(buf, static_cast<size_t>(r));
        ++reads;
      } else if (r == 0 || r == fixture_net::kError) {
        if (ended != nullptr) *ended = true;
        break;
      }
    }
    return got;
  }

  int reads = 0;

 private:
  Socket m_socket;
};

std::string VersionRequest(uint32_t service, const std::vector<std::pair<uint32_t, uint32_t>>& rows) {
  std::string b(1, '\x15');
  b += FixtureU32(static_cast<uint32_t>(rows.size()));
  for (const auto& r : rows) b += FixtureU32(service) + FixtureU32(r.first) + FixtureU32(r.second);
  return b;
}

// Cuts a byte stream into record bodies; leftover bytes stay in rest.
std::vector<std::string> Records(const std::string& stream, std::string* rest = nullptr) {
  std::vector<std::string> out;
  size_t off = 0;
  while (stream.size() - off >= 2) {
    const size_t len =
        (static_cast<size_t>(static_cast<uint8_t>(stream[off])) << 8) | static_cast<uint8_t>(stream[off + 1]);
    if (stream.size() - off - 2 < len) break;
    out.push_back(stream.substr(off + 2, len));
    off += 2 + len;
  }
  if (rest != nullptr) *rest = stream.substr(off);
  return out;
}

std::vector<CNotifyCall> Decode(const std::vector<std::string>& records) {
  CRecordingSink sink;
  for (const std::string& r : records) {
    EXPECT_EQ(0, DispatchLoginMessage(reinterpret_cast<const uint8_t*>(r.data()), static_cast<int>(r.size()), sink));
  }
  return sink.calls;
}

size_t TotalSize(const std::vector<std::string>& bodies) {
  size_t n = 0;
  for (const std::string& b : bodies) n += 2 + b.size();
  return n;
}

}  // namespace

TEST(LoginFixture, AnswersEachComponentAndRecordsTheRequest) {
  CFixtureScenario sc;
  CFixtureComponent game;
  game.componentId = 10000;
  game.result = 1;
  game.script = "HTTPGET a\nNEXTVER 2\nLATESTVER 2\n";
  game.chunkSize = 10;
  sc.components.push_back(game);
  CLoginFixture fx(sc);
  ASSERT_TRUE(fx.Start());
  ASSERT_NE(0, fx.GetPort());

  CTestClient client(fx.GetPort());
  ASSERT_TRUE(client.Ok());
  const std::string request = VersionRequest(441397, {{10100, 5}, {10000, 7}});
  ASSERT_TRUE(client.SendAll(FixtureFrame(request)));
  // Launcher: one no-update answer; game: four chunks of at most 10 bytes.
  const std::vector<std::string> expected = [&] {
    std::vector<std::string> v;
    v.push_back(FixtureVersionAnswer(34, 441397, 10100, 0, 1, 1, ""));
    for (const std::string& a : FixtureAnswersFor(game, 441397)) v.push_back(a);
    return v;
  }();
  const std::string stream = client.Receive(TotalSize(expected), 5000);
  const std::vector<std::string> records = Records(stream);
  ASSERT_EQ(expected, records);

  const std::vector<CNotifyCall> calls = Decode(records);
  ASSERT_EQ(5u, calls.size());
  EXPECT_EQ(10100u, calls[0].version->m_nComponentId);
  EXPECT_EQ(0, calls[0].p);
  std::string script;
  for (size_t i = 1; i < calls.size(); ++i) {
    EXPECT_EQ(4, calls[i].version->m_nChunkCount);
    EXPECT_EQ(static_cast<int>(i), calls[i].version->m_nChunkNumber);
    script.append(calls[i].version->m_data.begin(), calls[i].version->m_data.end());
  }
  EXPECT_EQ(game.script, script);

  ASSERT_TRUE(fx.WaitForRecords(0, 1, 5000));
  const CFixtureConnectionLog log = fx.GetConnection(0);
  EXPECT_EQ(FixtureFrame(request), log.received);
  ASSERT_EQ(1u, log.records.size());
  CFixtureVersionRequest parsed;
  ASSERT_TRUE(FixtureParseVersionRequest(log.records[0], parsed));
  ASSERT_EQ(2u, parsed.rows.size());
  EXPECT_EQ(10000u, parsed.rows[1].component);
  EXPECT_EQ(7u, parsed.rows[1].version);
}

TEST(LoginFixture, AnswerRulesByResult) {
  struct Case {
    const char* name;
    CFixtureComponent rule;
    std::vector<std::string> bodies;
  };
  auto rule = [](int32_t result, const std::string& notice, const std::string& script = std::string()) {
    CFixtureComponent c;
    c.componentId = 10000;
    c.result = result;
    c.notice = notice;
    c.script = script;
    c.chunkSize = 4;
    return c;
  };
  CFixtureComponent reordered = rule(1, "", "aaaabbbbcc");
  reordered.order = {1, 3, 3};
  reordered.announcedCount = 5;
  CFixtureComponent shortForm = rule(0, "");
  shortForm.form = 36;
  const Case cases[] = {
      {"no update", rule(0, ""), {FixtureVersionAnswer(34, 9, 10000, 0, 1, 1, "")}},
      {"no update with notice",
       rule(2, "hi"),
       {FixtureVersionAnswer(34, 9, 10000, 2, 1, 0, "hi"), FixtureVersionAnswer(34, 9, 10000, 2, 1, 1, "")}},
      {"script with notice",
       rule(1, "note", "abcdef"),
       {FixtureVersionAnswer(34, 9, 10000, 1, 2, 0, "note"), FixtureVersionAnswer(34, 9, 10000, 1, 2, 1, "abcd"),
        FixtureVersionAnswer(34, 9, 10000, 1, 2, 2, "ef")}},
      {"maintenance notice in chunks",
       rule(-100, "closed!"),
       {FixtureVersionAnswer(34, 9, 10000, -100, 2, 1, "clos"), FixtureVersionAnswer(34, 9, 10000, -100, 2, 2, "ed!")}},
      {"not in service", rule(-1, ""), {FixtureVersionAnswer(34, 9, 10000, -1, 1, 1, "")}},
      {"chosen order and count",
       reordered,
       {FixtureVersionAnswer(34, 9, 10000, 1, 5, 1, "aaaa"), FixtureVersionAnswer(34, 9, 10000, 1, 5, 3, "cc"),
        FixtureVersionAnswer(34, 9, 10000, 1, 5, 3, "cc")}},
      {"short form", shortForm, {FixtureVersionAnswer(36, 9, 10000, 0, 1, 1, "")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.bodies, FixtureAnswersFor(c.rule, 9));
  }
}

TEST(LoginFixture, SplitsOutputIntoSegments) {
  CFixtureScenario sc;
  sc.segmentSize = 1;
  sc.segmentDelayMs = 2;
  CFixtureComponent game;
  game.componentId = 10000;
  game.result = 1;
  game.script = "NEXTVER 1\n";
  sc.components.push_back(game);
  CLoginFixture fx(sc);
  ASSERT_TRUE(fx.Start());
  CTestClient client(fx.GetPort());
  ASSERT_TRUE(client.SendAll(FixtureFrame(VersionRequest(1, {{10000, 1}}))));
  const std::string want = FixtureFrame(FixtureVersionAnswer(34, 1, 10000, 1, 1, 1, "NEXTVER 1\n"));
  EXPECT_EQ(want, client.Receive(want.size(), 10000));
  // One byte at a time with pauses: the client saw many separate reads.
  EXPECT_GT(client.reads, 5);
}

TEST(LoginFixture, ActionsRunInOrder) {
  CFixtureScenario sc;
  sc.onAccept = {CFixtureAction::Raw(std::string("\x00\x01\x20", 3)), CFixtureAction::Delay(20),
                 CFixtureAction::Record(std::string("\x26\x07", 2))};
  sc.onVersionRequest = {CFixtureAction::Record("\x20"), CFixtureAction::Close()};
  CLoginFixture fx(sc);
  ASSERT_TRUE(fx.Start());
  CTestClient client(fx.GetPort());
  const std::string first = client.Receive(7, 5000);
  EXPECT_EQ(std::string("\x00\x01\x20\x00\x02\x26\x07", 7), first);
  ASSERT_TRUE(client.SendAll(FixtureFrame(VersionRequest(1, {{10000, 1}}))));
  bool ended = false;
  EXPECT_EQ(std::string("\x00\x01\x20", 3), client.Receive(100, 5000, &ended));
  EXPECT_TRUE(ended);
  ASSERT_TRUE(fx.WaitForClosed(0, 5000));
  EXPECT_TRUE(fx.GetConnection(0).closedByFixture);
}

TEST(LoginFixture, SeesTheClientClose) {
  CLoginFixture fx;
  ASSERT_TRUE(fx.Start());
  {
    CTestClient client(fx.GetPort());
    ASSERT_TRUE(client.Ok());
    ASSERT_TRUE(fx.WaitForConnections(1, 5000));
  }
  ASSERT_TRUE(fx.WaitForClosed(0, 5000));
  const CFixtureConnectionLog log = fx.GetConnection(0);
  EXPECT_TRUE(log.peerClosed || log.peerReset);
  EXPECT_FALSE(log.closedByFixture);
}

TEST(LoginFixture, ClosedPortRefuses) {
  const uint16_t port = fixture_net::FindClosedPort();
  ASSERT_NE(0, port);
  CTestClient client(port);
  EXPECT_FALSE(client.Ok());
}

TEST(LoginFixtureScenario, ParsesTheTextFormat) {
  const std::string text =
      "# a comment\n"
      "segment 3\n"
      "segment-delay 4\n"
      "unlisted -99\n"
      "on-accept raw \"\\x00\\x01\\x20\"   # trailing comment\n"
      "on-request delay 10\n"
      "on-request answer\n"
      "on-request close\n"
      "component 10000\n"
      "  version 1000000\n"
      "  result 1\n"
      "  script \"HTTPGET \\\"x\\\"\\n\"\n"
      "  chunk-size 100\n"
      "  order 2 1\n"
      "  count 3\n"
      "  notice \"\xEC\xA0\x90\xEA\xB2\x80\"\n"
      "  form 36\n"
      "  service 123\n"
      "end\n";
  CFixtureScenario sc;
  std::string error;
  ASSERT_TRUE(FixtureParseScenario(text, sc, error)) << error;
  EXPECT_EQ(3, sc.segmentSize);
  EXPECT_EQ(4, sc.segmentDelayMs);
  EXPECT_EQ(-99, sc.unlistedResult);
  ASSERT_EQ(1u, sc.onAccept.size());
  EXPECT_EQ(std::string("\x00\x01\x20", 3), sc.onAccept[0].bytes);
  ASSERT_EQ(3u, sc.onVersionRequest.size());
  EXPECT_EQ(CFixtureAction::kDelay, sc.onVersionRequest[0].kind);
  EXPECT_EQ(CFixtureAction::kAnswer, sc.onVersionRequest[1].kind);
  EXPECT_EQ(CFixtureAction::kClose, sc.onVersionRequest[2].kind);
  ASSERT_EQ(1u, sc.components.size());
  const CFixtureComponent& c = sc.components[0];
  EXPECT_TRUE(c.matchVersion);
  EXPECT_EQ(1000000u, c.version);
  EXPECT_EQ("HTTPGET \"x\"\n", c.script);
  EXPECT_EQ((std::vector<int>{2, 1}), c.order);
  EXPECT_EQ(3, c.announcedCount);
  EXPECT_EQ(36, c.form);
  EXPECT_EQ(123u, c.service);
}

TEST(LoginFixtureScenario, SampleFilesParse) {
  for (const char* name : {"no_update.scn", "maintenance.scn", "game_update.scn", "slow_split.scn", "busy.scn",
                           "not_in_service.scn", "no_answer.scn"}) {
    SCOPED_TRACE(name);
    std::ifstream f(std::string(QUORL_FIXTURE_SCENARIOS) + "/" + name, std::ios::binary);
    ASSERT_TRUE(f.good());
    std::ostringstream text;
    text << f.rdbuf();
    CFixtureScenario sc;
    std::string error;
    EXPECT_TRUE(FixtureParseScenario(text.str(), sc, error)) << error;
  }
}

TEST(LoginFixtureScenario, ReportsTheBadLine) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"bogus 1\n", "line 1: unknown or malformed directive 'bogus'"},
      {"segment x\n", "line 1: unknown or malformed directive 'segment'"},
      {"\non-accept\n", "line 2: on-accept needs an action"},
      {"on-request jump\n", "line 1: bad action 'jump'"},
      {"on-accept raw \"abc\n", "line 1: unterminated string"},
      {"on-accept raw \"\\q\"\n", "line 1: unknown escape \\q"},
      {"on-accept raw \"\\x4\"\n", "line 1: \\x needs two hex digits"},
      {"component 1\nresult 1\n", "line 2: component block without end"},
      {"component 1\n  form 35\nend\n", "line 2: bad component line 'form'"},
      {"component 1\n  order 1 x\nend\n", "line 2: order takes chunk numbers 0-255"},
      {"unlisted maybe\n", "line 1: unlisted takes a result or none"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    CFixtureScenario sc;
    std::string error;
    EXPECT_FALSE(FixtureParseScenario(c.text, sc, error));
    EXPECT_EQ(c.error, error);
  }
}

// An answer body above 65,535 bytes cannot be framed; the scenario is
// refused instead of putting a wrapped length on the wire.
TEST(LoginFixtureScenario, RefusesAnswersThatDoNotFitARecord) {
  const std::string big(70000, 'x');
  struct Case {
    const char* name;
    std::string text;
    bool ok;
    const char* error;
  };
  const Case cases[] = {
      {"script chunk too big", "component 10000\n result 1\n chunk-size 65535\n script \"" + big + "\"\nend\n", false,
       "line 5: component 10000: an answer of 65557 bytes does not fit a record"},
      {"text1 too big", "component 10000\n result 0\n text1 \"" + big + "\"\nend\n", false,
       "line 4: component 10000: an answer of 70022 bytes does not fit a record"},
      {"script in records that fit", "component 10000\n result 1\n chunk-size 60000\n script \"" + big + "\"\nend\n",
       true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CFixtureScenario sc;
    std::string error;
    EXPECT_EQ(c.ok, FixtureParseScenario(c.text, sc, error));
    if (!c.ok) {
      EXPECT_EQ(c.error, error);
    }
  }
}
