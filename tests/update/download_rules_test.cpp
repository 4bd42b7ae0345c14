// The neutral rules of the download settings.
#include <gtest/gtest.h>

#include "framework/scramble.h"
#include "update/download_rules.h"

namespace {

TEST(ProxyMode, StoredValuesGiveTheirMode) {
  struct Case {
    uint32_t useProxy;
    const char* server;
    int mode;
  };
  const Case cases[] = {
      {1, "", kProxySystem},  // nothing stored: UseProxy defaults to 1
      {1, nullptr, kProxySystem},      {1, "proxy:8080", kProxyNamed},
      {0, "proxy:8080", kProxyDirect},                           // 0 wins whatever the server says
      {0, "", kProxyDirect},           {7, "p:1", kProxyNamed},  // any non-zero value means "use a proxy"
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.useProxy << " '" << (c.server ? c.server : "(null)") << "'");
    EXPECT_EQ(c.mode, ProxyModeFromStored(c.useProxy, c.server));
  }
  EXPECT_EQ(1u, UseProxyValueForMode(kProxySystem));
  EXPECT_EQ(0u, UseProxyValueForMode(kProxyDirect));
  EXPECT_EQ(1u, UseProxyValueForMode(kProxyNamed));
}

TEST(ProxyServer, SplitsAtTheFirstColonAndKeepsThePortAsStored) {
  struct Case {
    const char* text;
    const char* host;
    const char* port;
  };
  const Case cases[] = {
      {"", "", "80"},
      {"proxy.example", "proxy.example", "80"},
      {"proxy.example:3128", "proxy.example", "3128"},
      {"proxy.example:", "proxy.example", "80"},
      {":8080", "", "8080"},
      {"a:1:2", "a", "1:2"},
      {"host:12x", "host", "12x"},
      {"host:-1", "host", "-1"},
      {"host:99999999999999999999", "host", "99999999999999999999"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    CString host = "old";
    CString port = "old";
    SplitProxyServer(c.text, host, port);
    EXPECT_STREQ(c.host, host);
    EXPECT_STREQ(c.port, port);
  }
  EXPECT_STREQ("proxy.example:3128", FormatProxyServer("proxy.example", 3128));
  EXPECT_STREQ(":0", FormatProxyServer(nullptr, 0));
}

TEST(ProxyServer, PortTextIsDigitsUpTo65535) {
  struct Case {
    const char* text;
    bool ok;
    unsigned port;
  };
  const Case cases[] = {
      {"0", true, 0},
      {"80", true, 80},
      {"065535", true, 65535},
      {"65535", true, 65535},
      {"65536", false, 0},
      {"99999", false, 0},
      // Past INT_MAX and past 32 bits: refused, never wrapped.
      {"2147483648", false, 0},
      {"4294967376", false, 0},
      {"99999999999999999999", false, 0},
      {"-1", false, 0},
      {"+80", false, 0},
      {" 80", false, 0},
      {"80 ", false, 0},
      {"80x", false, 0},
      {"0x50", false, 0},
      {"", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    unsigned port = 12345;
    EXPECT_EQ(c.ok, ParseProxyPort(c.text, &port));
    EXPECT_EQ(c.ok ? c.port : 12345u, port);
  }
  unsigned port = 1;
  EXPECT_FALSE(ParseProxyPort(nullptr, &port));
}

TEST(ProxyPassword, RoundTripsAndIsNeverStoredPlain) {
  for (const char* plain : {"x", "secret", "p@ss word:with:colons", "\xB0\xA1\xB3\xAA"}) {
    SCOPED_TRACE(plain);
    CString stored;
    ASSERT_TRUE(ScrambleProxyPassword(plain, stored));
    EXPECT_STRNE(plain, stored);
    CString back;
    ASSERT_TRUE(UnscrambleProxyPassword(stored, back));
    EXPECT_STREQ(plain, back);
  }
  CString empty = "x";
  EXPECT_TRUE(ScrambleProxyPassword("", empty));
  EXPECT_STREQ("", empty);
}

TEST(ProxyPassword, ReadsWhatTheFixedKeyScrambled) {
  // A value as another program with the same key and any clock wrote it.
  char* stored = nullptr;
  ASSERT_TRUE(ScrambleEncodeStringWithSeed("hunter2", 58263914u, 1234567u, &stored));
  CString back;
  EXPECT_TRUE(UnscrambleProxyPassword(stored, back));
  EXPECT_STREQ("hunter2", back);
  ScrambleFreeString(stored);
  // A text that does not unscramble leaves the old value.
  CString kept = "kept";
  EXPECT_FALSE(UnscrambleProxyPassword("@@", kept));
  EXPECT_STREQ("kept", kept);
}

// Shift-JIS: 0x81-0x9F and 0xE0-0xFC lead, and 0x5C may follow a lead.
bool ShiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

TEST(FolderText, EndsWithExactlyOneBackslash) {
  struct Case {
    const char* in;
    LeadBytePredicate lead;
    const char* out;
  };
  const Case cases[] = {
      {"C:\\Games", nullptr, "C:\\Games\\"},
      {"C:\\Games\\", nullptr, "C:\\Games\\"},
      {"C:\\Games\\\\\\", nullptr, "C:\\Games\\"},
      {"C:", nullptr, "C:\\"},
      {"C:\\", nullptr, "C:\\"},
      {"", nullptr, "\\"},
      {"C:\\games/quorl/", nullptr, "C:\\games/quorl\\"},
      {"C:/", nullptr, "C:\\"},
      {"C:\\Games/\\/", nullptr, "C:\\Games\\"},
      // "\x95\x5C" is one character (a kanji) in Shift-JIS: not a backslash.
      {"C:\\\x95\x5C", ShiftJisLead, "C:\\\x95\x5C\\"},
      {"C:\\\x95\x5C\\", ShiftJisLead, "C:\\\x95\x5C\\"},
      // Without the code page's knowledge the same bytes end with 0x5C.
      {"C:\\\x95\x5C", nullptr, "C:\\\x95\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_STREQ(c.out, WithOneTrailingBackslash(c.in, c.lead));
  }
  EXPECT_FALSE(EndsWithBackslash("", nullptr));
  EXPECT_FALSE(EndsWithBackslash(nullptr, nullptr));
  EXPECT_TRUE(EndsWithBackslash("\\", nullptr));
  // A lead byte at the very end stands alone.
  EXPECT_FALSE(EndsWithBackslash("a\x95", ShiftJisLead));
}

}  // namespace
