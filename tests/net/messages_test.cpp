#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/login_messages.h"
#include "net/utf8_text.h"
#include "tests/net/recording_sink.h"
#include "tests/net/wire_builder.h"

namespace {

std::string Repeat(char c, size_t n) { return std::string(n, c); }

// A valid message 30 with every field set; extra and the tail are optional.
CWire WorldStatus(const std::string& extra, bool withTail, uint8_t tail = 0) {
  CWire w;
  w.U8(30)
      .U16(0xFFFE)
      .U16(7)
      .U32(0xDEADBEEF)
      .Str("W\xC3\xA9lt")
      .U8(9)
      .Str("text")
      .U16(0x8000)
      .U8(0xFF)
      .U16(12)
      .Str(extra);
  if (withTail) w.U8(tail);
  return w;
}

CWire VersionAnswer(int id, uint32_t service, uint32_t component, uint32_t result, uint8_t count, uint8_t number,
                    const std::string& data, const std::string& text1, const std::string& text2) {
  CWire w;
  w.U8(static_cast<uint32_t>(id)).U32(service).U32(component).U32(result).U8(count).U8(number).Str(data).Str(text1);
  if (id == 34) w.Str(text2);
  return w;
}

CWire SiteList(int sites) {
  CWire w;
  w.U8(37).U32(static_cast<uint32_t>(sites));
  for (int i = 0; i < sites; ++i)
    w.U32(100 + i).U32(200 + i).Str("\xEC\x84\x9C\xEB\xB2\x84").Str("site").U8(0xFE).U32(0xFFFFFFFF).U32(5);
  return w;
}

int Dispatch(const CWire& w, CRecordingSink& sink) { return DispatchLoginMessage(w.Data(), w.Size(), sink); }

}  // namespace

// --- text -----------------------------------------------------------------

TEST(Utf8ToUtf16, FollowsTheServerRule) {
  struct Case {
    const char* name;
    std::string in;
    std::u16string out;
  };
  const Case cases[] = {
      {"ascii", "abc", u"abc"},
      {"two-byte", "\xC3\xA9", u"\u00E9"},
      {"three-byte hangul", "\xED\x95\x9C\xEA\xB8\x80", u"\uD55C\uAE00"},
      {"stray continuation stands for itself", "\x80z", std::u16string{char16_t(0x80), u'z'}},
      {"four-byte lead taken as three", "\xF0\x9F\x98", std::u16string{char16_t(0x07D8)}},
      {"zero ends the text", std::string("ab\0cd", 5), u"ab"},
      {"zero is not a continuation byte", std::string("\xC3\0x", 3), u"\uFFFD"},
      {"cut two-byte sequence", "a\xC3", u"a\uFFFD"},
      {"cut three-byte sequence", "a\xE0\x80", u"a\uFFFD"},
      {"no validation of continuation", "\xC3z", std::u16string{char16_t(((0xC3 & 0x1F) << 6) | ('z' & 0x3F))}},
      {"empty", "", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.out, Utf8ToUtf16(c.in));
  }
}

// --- client messages ------------------------------------------------------

TEST(VersionRequest, HasTheExactLayout) {
  const CCheckVerInfo rows[] = {{10100, 1002003}, {10000, 0x01020304}};
  uint8_t buf[kVersionRequestBufferSize];
  const int n = BuildVersionRequest(441397, rows, 2, buf, sizeof buf);
  CWire expected;
  expected.U8(21).U32(2).U32(441397).U32(10100).U32(1002003).U32(441397).U32(10000).U32(0x01020304);
  ASSERT_EQ(expected.Size(), n);
  EXPECT_EQ(expected.Bytes(), std::vector<uint8_t>(buf, buf + n));
}

TEST(VersionRequest, RowLimitsOfTheBuffer) {
  std::vector<CCheckVerInfo> rows(43, CCheckVerInfo{10000, 1});
  uint8_t buf[kVersionRequestBufferSize];
  EXPECT_EQ(509, BuildVersionRequest(1, rows.data(), 42, buf, sizeof buf));
  EXPECT_EQ(-2, BuildVersionRequest(1, rows.data(), 43, buf, sizeof buf));
  EXPECT_EQ(0, BuildVersionRequest(1, rows.data(), 0, buf, sizeof buf));
  EXPECT_EQ(0, BuildVersionRequest(1, rows.data(), -1, buf, sizeof buf));
}

TEST(KeepAlive, IsIdAndTick) {
  uint8_t buf[kKeepAliveSize];
  ASSERT_EQ(5, BuildKeepAlive(0x11223344, buf));
  EXPECT_EQ((std::vector<uint8_t>{29, 0x11, 0x22, 0x33, 0x44}), std::vector<uint8_t>(buf, buf + 5));
}

// --- server messages ------------------------------------------------------

TEST(WorldStatus, DecodesEveryField) {
  CWire extra;
  extra.U8(0x81).U32(0xA0B0C0D0).U32(0xFFFFFFFF).U32(3).Raw("ignored");
  const std::string extraBytes(extra.Bytes().begin(), extra.Bytes().end());
  CRecordingSink sink;
  ASSERT_EQ(0, Dispatch(WorldStatus(extraBytes, true, 0x80), sink));
  ASSERT_EQ(1u, sink.calls.size());
  const CNotifyCall& c = sink.calls[0];
  EXPECT_EQ(kNotifyMessage, c.type);
  EXPECT_EQ(30, c.a);
  EXPECT_EQ(0, c.p);
  ASSERT_TRUE(c.world.has_value());
  const CWorldStatusInfo& s = c.world->m_status;
  EXPECT_EQ(0, c.world->m_nWorldId);
  EXPECT_EQ(1, s.m_bValid);
  EXPECT_EQ(-2, s.m_nField1);
  EXPECT_EQ(7, s.m_nField2);
  EXPECT_EQ(u"W\u00E9lt", s.m_strName);
  EXPECT_STREQ("text", s.m_strText);
  EXPECT_EQ(-32768, s.m_nField3);
  EXPECT_EQ(-1, s.m_nField4);
  EXPECT_EQ(12, s.m_nField5);
  EXPECT_EQ(-128, s.m_nTail);
  EXPECT_EQ(static_cast<int8_t>(0x81), s.m_nExtra0);
  EXPECT_EQ(0xA0B0C0D0u, s.m_nExtra1);
  EXPECT_EQ(int64_t{0xFFFFFFFF}, s.m_nExtra2);
  EXPECT_EQ(3, s.m_nExtra3);
}

TEST(WorldStatus, TailAndExtraRules) {
  struct Case {
    const char* name;
    std::string extra;
    bool withTail;
    int32_t tail;
    bool extraZero;
  };
  const Case cases[] = {
      {"no tail: -1 - field1", "", false, -1 - (-2), true},
      {"tail 0x80", "", true, -128, true},
      {"extra of 5 bytes gives zeros", "12345", false, 1, true},
      {"extra of 12 bytes gives zeros", Repeat('\x01', 12), true, 0, true},
      {"extra of 13 bytes counts", Repeat('\x01', 13), true, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CRecordingSink sink;
    ASSERT_EQ(0, Dispatch(WorldStatus(c.extra, c.withTail, static_cast<uint8_t>(c.tail)), sink));
    ASSERT_EQ(1u, sink.calls.size());
    const CWorldStatusInfo& s = sink.calls[0].world->m_status;
    EXPECT_EQ(c.tail, s.m_nTail);
    if (c.extraZero) {
      EXPECT_EQ(0, s.m_nExtra0);
      EXPECT_EQ(0u, s.m_nExtra1);
      EXPECT_EQ(0, s.m_nExtra2);
      EXPECT_EQ(0, s.m_nExtra3);
    } else {
      EXPECT_EQ(1, s.m_nExtra0);
      EXPECT_EQ(0x01010101u, s.m_nExtra1);
      EXPECT_EQ(0x01010101, s.m_nExtra2);
      EXPECT_EQ(0x01010101, s.m_nExtra3);
    }
  }
}

TEST(WorldId, SignExtendsAndLeavesStatusEmpty) {
  CRecordingSink sink;
  CWire w;
  w.U8(31).U16(0xFFF0).Raw("trailing");
  ASSERT_EQ(0, Dispatch(w, sink));
  ASSERT_EQ(1u, sink.calls.size());
  EXPECT_EQ(31, sink.calls[0].a);
  EXPECT_EQ(-16, sink.calls[0].world->m_nWorldId);
  EXPECT_EQ(0, sink.calls[0].world->m_status.m_bValid);
  EXPECT_TRUE(sink.calls[0].world->m_status.m_strName.empty());
}

TEST(Signal, HasNoObject) {
  for (const std::string& rest : {std::string(), std::string("more")}) {
    CRecordingSink sink;
    CWire w;
    w.U8(32).Raw(rest);
    ASSERT_EQ(0, Dispatch(w, sink));
    ASSERT_EQ(1u, sink.calls.size());
    EXPECT_EQ(kNotifyMessage, sink.calls[0].type);
    EXPECT_EQ(32, sink.calls[0].a);
    EXPECT_EQ(0, sink.calls[0].p);
    EXPECT_EQ(0, sink.calls[0].q);
  }
}

TEST(VersionNotify, LongFormDecodes) {
  const std::string data("HTTPGET a\0b", 11);
  CRecordingSink sink;
  ASSERT_EQ(0, Dispatch(VersionAnswer(34, 441397, 10000, 1, 3, 2, data, "one", "two"), sink));
  ASSERT_EQ(1u, sink.calls.size());
  const CNotifyCall& c = sink.calls[0];
  EXPECT_EQ(34, c.a);
  EXPECT_EQ(1, c.p);
  const CVersionNotifyObj& v = *c.version;
  EXPECT_EQ(441397u, v.m_nServiceCode);
  EXPECT_EQ(10000u, v.m_nComponentId);
  EXPECT_EQ(3, v.m_nChunkCount);
  EXPECT_EQ(2, v.m_nChunkNumber);
  EXPECT_EQ(std::vector<uint8_t>(data.begin(), data.end()), v.m_data);  // zeros kept
  EXPECT_STREQ("one", v.m_strText1);
  EXPECT_STREQ("two", v.m_strText2);
}

TEST(VersionNotify, CountSignednessByForm) {
  CRecordingSink sink;
  ASSERT_EQ(0, Dispatch(VersionAnswer(34, 1, 2, 0xFFFFFF9C, 0xFF, 0x80, "", "", ""), sink));
  ASSERT_EQ(0, Dispatch(VersionAnswer(36, 1, 2, 0xFFFFFF9C, 0xFF, 0x80, "", "", ""), sink));
  ASSERT_EQ(2u, sink.calls.size());
  EXPECT_EQ(-100, sink.calls[0].p);
  EXPECT_EQ(-1, sink.calls[0].version->m_nChunkCount);
  EXPECT_EQ(-128, sink.calls[0].version->m_nChunkNumber);
  EXPECT_EQ(36, sink.calls[1].a);
  EXPECT_EQ(-100, sink.calls[1].p);
  EXPECT_EQ(255, sink.calls[1].version->m_nChunkCount);
  EXPECT_EQ(128, sink.calls[1].version->m_nChunkNumber);
}

TEST(VersionNotify, TextsAtTheirMaximaStayWhole) {
  const std::string text1 = Repeat('a', 256);
  const std::string text2 = Repeat('b', 259);
  const std::string data = Repeat('d', 8192);
  CRecordingSink sink;
  ASSERT_EQ(0, Dispatch(VersionAnswer(34, 1, 2, 1, 1, 1, data, text1, text2), sink));
  ASSERT_EQ(1u, sink.calls.size());
  EXPECT_EQ(8192u, sink.calls[0].version->m_data.size());
  EXPECT_EQ(CString(text1.c_str()), sink.calls[0].version->m_strText1);
  EXPECT_EQ(CString(text2.c_str()), sink.calls[0].version->m_strText2);
}

TEST(VersionNotify, TextStopsAtZeroByte) {
  CRecordingSink sink;
  ASSERT_EQ(0, Dispatch(VersionAnswer(36, 1, 2, 1, 1, 1, "", std::string("ab\0cd", 5), ""), sink));
  EXPECT_STREQ("ab", sink.calls[0].version->m_strText1);
  EXPECT_TRUE(sink.calls[0].version->m_strText2.IsEmpty());
}

TEST(WorldSiteList, DecodesSites) {
  CRecordingSink sink;
  ASSERT_EQ(0, Dispatch(SiteList(2), sink));
  ASSERT_EQ(1u, sink.calls.size());
  const CWorldSiteListNotifyObj& l = *sink.calls[0].sites;
  EXPECT_EQ(2, l.m_nCount);
  ASSERT_EQ(2u, l.m_sites.size());
  EXPECT_EQ(101u, l.m_sites[1].m_nId1);
  EXPECT_EQ(201u, l.m_sites[1].m_nId2);
  EXPECT_EQ(u"\uC11C\uBC84", l.m_sites[1].m_strName1);
  EXPECT_STREQ("site", l.m_sites[1].m_strName2);
  EXPECT_EQ(-2, l.m_sites[1].m_nKind);
  EXPECT_EQ(0xFFFFFFFFu, l.m_sites[1].m_nValue);
  EXPECT_EQ(0, l.m_sites[1].m_nReserved0);
  EXPECT_EQ(0, l.m_sites[1].m_nReserved1);
}

TEST(WorldSiteList, NonPositiveCountReadsNoSite) {
  for (uint32_t n : {0u, 0x80000000u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(n);
    CRecordingSink sink;
    CWire w;
    w.U8(37).U32(n);
    ASSERT_EQ(0, Dispatch(w, sink));
    EXPECT_EQ(static_cast<int32_t>(n), sink.calls[0].sites->m_nCount);
    EXPECT_TRUE(sink.calls[0].sites->m_sites.empty());
  }
}

TEST(WorldSiteList, SecondSiteCutShortFailsWhole) {
  CWire w = SiteList(2);
  CWire cut;
  cut.Raw(std::string(w.Bytes().begin(), w.Bytes().end() - 3));
  CRecordingSink sink;
  EXPECT_EQ(-2, Dispatch(cut, sink));
  EXPECT_TRUE(sink.calls.empty());
}

TEST(WorldSiteList, HugeCountWithoutSitesFailsFast) {
  CWire w;
  w.U8(37).U32(0x7FFFFFFF);
  CRecordingSink sink;
  EXPECT_EQ(-2, Dispatch(w, sink));
  EXPECT_TRUE(sink.calls.empty());
}

TEST(ByteNotify, PassesPointerToValue) {
  CWire w;
  w.U8(38).U8(0xAB).Raw("x");
  CRecordingSink sink;
  ASSERT_EQ(0, Dispatch(w, sink));
  ASSERT_EQ(1u, sink.calls.size());
  EXPECT_EQ(38, sink.calls[0].a);
  EXPECT_EQ(0xAB, *sink.calls[0].byteValue);
}

TEST(FlagNotify, GivesTypeSevenWithFlag) {
  for (uint8_t v : {uint8_t{0}, uint8_t{1}, uint8_t{200}}) {
    CWire w;
    w.U8(40).U8(v);
    CRecordingSink sink;
    ASSERT_EQ(0, ParseFlagNotify(w.Data(), w.Size(), sink));
    ASSERT_EQ(1u, sink.calls.size());
    EXPECT_EQ(kNotifyFlag, sink.calls[0].type);
    EXPECT_EQ(40, sink.calls[0].a);
    EXPECT_EQ(v != 0 ? 1 : 0, sink.calls[0].q);
  }
  CWire shortOne;
  shortOne.U8(40);
  CRecordingSink sink;
  EXPECT_EQ(-2, ParseFlagNotify(shortOne.Data(), shortOne.Size(), sink));
  EXPECT_TRUE(sink.calls.empty());
}

TEST(Dispatcher, RefusesEmptyAndUnlistedIds) {
  CRecordingSink sink;
  EXPECT_EQ(-1, DispatchLoginMessage(nullptr, 0, sink));
  const uint8_t empty[1] = {0};
  EXPECT_EQ(-1, DispatchLoginMessage(empty, 0, sink));
  for (int id : {0, 21, 29, 33, 35, 39, 127, 0x80, 0xFF}) {
    SCOPED_TRACE(id);
    CWire w;
    w.U8(static_cast<uint32_t>(id)).U32(0).U32(0).U32(0).U8(1).U8(1).Str("").Str("").Str("");
    EXPECT_EQ(-1, Dispatch(w, sink));
  }
  EXPECT_TRUE(sink.calls.empty());
}

// --- refusals -------------------------------------------------------------

// Every prefix of a valid message that cuts a field short is refused
// without Notify; only prefixes that end on an optional part pass.
TEST(Refusals, TruncatedMessages) {
  struct Case {
    const char* name;
    CWire full;
    std::vector<int> validPrefixes;  // lengths that are complete messages
  };
  CWire w31;
  w31.U8(31).U16(5);
  CWire w38;
  w38.U8(38).U8(1);
  const CWire w30 = WorldStatus("0123456789abc", true, 1);
  const Case cases[] = {
      {"30 world status", w30, {w30.Size() - 1}},
      {"31 world id", w31, {}},
      {"34 version answer", VersionAnswer(34, 1, 2, 1, 1, 1, "data", "t1", "t2"), {}},
      {"36 short answer", VersionAnswer(36, 1, 2, 1, 1, 1, "data", "t1", ""), {}},
      {"37 site list", SiteList(2), {}},
      {"38 byte", w38, {}},
  };
  for (const Case& c : cases) {
    for (int len = 1; len < c.full.Size(); ++len) {
      SCOPED_TRACE(std::string(c.name) + " cut at " + std::to_string(len));
      CRecordingSink sink;
      const int r = DispatchLoginMessage(c.full.Data(), len, sink);
      bool valid = false;
      for (int v : c.validPrefixes) valid = valid || v == len;
      if (valid) {
        EXPECT_EQ(0, r);
        EXPECT_EQ(1u, sink.calls.size());
      } else {
        EXPECT_TRUE(r == -2 || r == -46) << r;
        EXPECT_TRUE(sink.calls.empty());
      }
    }
    CRecordingSink sink;
    EXPECT_EQ(0, DispatchLoginMessage(c.full.Data(), c.full.Size(), sink)) << c.name;
  }
}

TEST(Refusals, StringsOverTheirMaximum) {
  struct Case {
    const char* name;
    CWire body;
    int expected;
  };
  const std::string ok;
  auto world = [](const std::string& name, const std::string& text, const std::string& extra) {
    CWire w;
    w.U8(30).U16(1).U16(2).U32(3).Str(name).U8(4).Str(text).U16(5).U8(6).U16(7).Str(extra);
    return w;
  };
  auto site = [](const std::string& n1, const std::string& n2) {
    CWire w;
    w.U8(37).U32(1).U32(1).U32(2).Str(n1).Str(n2).U8(1).U32(1).U32(1);
    return w;
  };
  const Case cases[] = {
      {"30 name 64", world(Repeat('n', 64), ok, ok), 0},
      {"30 name 65", world(Repeat('n', 65), ok, ok), -2},
      {"30 text 65", world(ok, Repeat('t', 65), ok), -2},
      {"30 extra 1024", world(ok, ok, Repeat('e', 1024)), 0},
      {"30 extra 1025", world(ok, ok, Repeat('e', 1025)), -2},
      {"34 data 8193", VersionAnswer(34, 1, 2, 1, 1, 1, Repeat('d', 8193), ok, ok), -2},
      {"34 text1 257", VersionAnswer(34, 1, 2, 1, 1, 1, ok, Repeat('a', 257), ok), -2},
      {"34 text2 259", VersionAnswer(34, 1, 2, 1, 1, 1, ok, ok, Repeat('b', 259)), 0},
      {"34 text2 260", VersionAnswer(34, 1, 2, 1, 1, 1, ok, ok, Repeat('b', 260)), -2},
      {"36 text1 257", VersionAnswer(36, 1, 2, 1, 1, 1, ok, Repeat('a', 257), ok), -2},
      {"37 name1 128", site(Repeat('x', 128), ok), 0},
      {"37 name1 129", site(Repeat('x', 129), ok), -2},
      {"37 name2 129", site(ok, Repeat('x', 129)), -2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CRecordingSink sink;
    EXPECT_EQ(c.expected, Dispatch(c.body, sink));
    EXPECT_EQ(c.expected == 0 ? 1u : 0u, sink.calls.size());
  }
}

TEST(Refusals, LengthCodes) {
  struct Case {
    const char* name;
    CWire body;
    int expected;
  };
  auto answerWithDataCode = [](const CWire& code) {
    CWire w;
    w.U8(36).U32(1).U32(2).U32(1).U8(1).U8(1);
    w.Raw(std::string(code.Bytes().begin(), code.Bytes().end()));
    return w;
  };
  CWire five;
  five.U8(253).U32(3).Raw("abc").Str("");
  CWire fiveCut;
  fiveCut.U8(253).U8(0);
  CWire nineHigh;
  nineHigh.U8(254).U32(1).U32(0);
  CWire nineLow;
  nineLow.U8(254).U32(0).U32(2).Raw("ab").Str("");
  CWire bad;
  bad.U8(255).Raw("abc");
  CWire runsPast;
  runsPast.U8(10).Raw("abc");
  const Case cases[] = {
      {"253 form accepted", answerWithDataCode(five), 0},
      {"253 form cut", answerWithDataCode(fiveCut), -46},
      {"254 with high word", answerWithDataCode(nineHigh), -26},
      {"254 with high word 0", answerWithDataCode(nineLow), 0},
      {"255 refused", answerWithDataCode(bad), -26},
      {"string runs past the body", answerWithDataCode(runsPast), -46},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CRecordingSink sink;
    EXPECT_EQ(c.expected, Dispatch(c.body, sink));
    EXPECT_EQ(c.expected == 0 ? 1u : 0u, sink.calls.size());
  }
}

// --- typed receiver -------------------------------------------------------

namespace {

// Hands the decoders' notifications to a typed receiver, as the launcher's
// socket does.
class CForwardSink : public CLoginNotifySink {
 public:
  explicit CForwardSink(CLoginEvents& events) : m_events(events) {}
  int Notify(int t, int a, int b, int p, intptr_t q) override { return DeliverLoginNotify(m_events, t, a, b, p, q); }

 private:
  CLoginEvents& m_events;
};

}  // namespace

TEST(LoginEvents, EveryNotifyBecomesItsTypedCall) {
  // Messages through the decoders, so that their objects are the real ones.
  struct Case {
    const char* name;
    CWire wire;
    std::string event;
  };
  CWire worldId;
  worldId.U8(31).U16(0xFFF9);
  CWire signal;
  signal.U8(32);
  CWire byteMsg;
  byteMsg.U8(38).U8(0x5A);
  const Case cases[] = {
      {"version answer", VersionAnswer(34, 1, 10000, 1, 2, 1, "HTTPGET", "", ""), "version 10000 1/2 result 1 HTTPGET"},
      {"short version answer", VersionAnswer(36, 1, 10100, 0xFFFFFF9C, 0xFF, 0, "n", "", ""),
       "short version 10100 0/255 result -100 n"},
      {"world status", WorldStatus("", false), "world status -2"},
      {"world id", worldId, "world id -7"},
      {"signal", signal, "signal"},
      {"site list", SiteList(2), "sites 2"},
      {"byte", byteMsg, "byte 90"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CEventLog log;
    CForwardSink forward(log);
    ASSERT_EQ(0, DispatchLoginMessage(c.wire.Data(), c.wire.Size(), forward));
    EXPECT_EQ(std::vector<std::string>{c.event}, log.events);
  }
  CEventLog log;
  CForwardSink forward(log);
  CWire flag;
  flag.U8(77).U8(3);
  ASSERT_EQ(0, ParseFlagNotify(flag.Data(), flag.Size(), forward));
  // Socket events carry plain values; other types, other ids and messages
  // without their object go to OnOther, never through a cast.
  DeliverLoginNotify(log, kNotifyConnected, 0, 0, 0, 0);
  DeliverLoginNotify(log, kNotifyConnectFailed, 0, 0, -1, 0);
  DeliverLoginNotify(log, kNotifyClosed, 0, 0, kCloseProtocolError, 0);
  DeliverLoginNotify(log, kNotifyError, 0, 0, 0, 2);
  DeliverLoginNotify(log, 4, 1, 2, 3, 4);
  DeliverLoginNotify(log, kNotifyMessage, kMsgVersionNotify, 0, 1, 0);
  DeliverLoginNotify(log, kNotifyMessage, 33, 0, 0, 0);
  const std::vector<std::string> expected = {
      "flag 77 on", "connected",       "connect failed -1", "closed 196612",
      "error 0 2",  "other 4 1 2 3 4", "other 6 34 0 1 0",  "other 6 33 0 0 0",
  };
  EXPECT_EQ(expected, log.events);
}
