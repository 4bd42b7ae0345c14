// The portal's launch data without the clipboard: its text form (chunks,
// padding, hex, "|"), the field split and the process-wide record.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/portal.h"
#include "app/portal_cipher.h"
#include "tests/app/seed_oracle.h"

namespace {

const char kKey[] = "launch-key-0123456789";  // longer than 16: only 16 bytes count

std::string Encrypt(const std::string& text, const char* key = kKey) {
  std::string out;
  EXPECT_TRUE(EncryptPortalText(text.c_str(), key, &out));
  return out;
}

bool Decrypt(const std::string& data, std::string* out, const char* key = kKey) {
  // An exact-size heap copy: a read past the data shows under the sanitizer.
  std::vector<char> bytes(data.begin(), data.end());
  return DecryptPortalText(bytes.data(), bytes.size(), key, out);
}

std::string RandomText(std::mt19937& rng, size_t n) {
  std::uniform_int_distribution<int> byte(1, 255);  // the text is NUL-terminated
  std::string s(n, ' ');
  for (auto& c : s) c = static_cast<char>(byte(rng));
  return s;
}

std::string WithoutTrailingSpacesPerChunk(const std::string& text) {
  std::string out;
  for (size_t at = 0; at < text.size(); at += kPortalChunkSize) {
    std::string chunk = text.substr(at, kPortalChunkSize);
    TrimTrailingSpaces(&chunk);
    out += chunk;
  }
  return out;
}

TEST(PortalCipher, TextFormAgreesWithTheOracleOnRandomTexts) {
  std::mt19937 rng(4269);
  const size_t lengths[] = {1, 15, 16, 17, 31, 32, 1999, 2000, 2001, 2016, 2017, 4000, 4001, 4095};
  for (size_t n : lengths) {
    for (int round = 0; round < 3; ++round) {
      SCOPED_TRACE(n);
      const std::string text = RandomText(rng, n);
      const std::string key = RandomText(rng, 1 + rng() % 20);
      const std::string hex = Encrypt(text, key.c_str());
      ASSERT_EQ(seed_oracle::PortalHex(text, key), hex);
      EXPECT_EQ(EncipheredPortalLength(n), hex.size());
      std::string back;
      ASSERT_TRUE(Decrypt(hex, &back, key.c_str()));
      // Bytes after a zero byte of a block never occur: the text has none.
      EXPECT_EQ(WithoutTrailingSpacesPerChunk(text), back);
    }
  }
}

TEST(PortalCipher, ChunkAndPaddingEdges) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<size_t> pieceLengths;  // hex digits per "|" piece
  };
  const Case cases[] = {
      {"one byte: one padded block", "a", {32}},
      {"a multiple of 16: no padding block", std::string(32, 'x'), {64}},
      {"2,000 bytes: one chunk", std::string(2000, 'y'), {4000}},
      {"2,001 bytes: two chunks", std::string(2001, 'z'), {4000, 32}},
      {"4,001 bytes: three chunks", std::string(4001, 'w'), {4000, 4000, 32}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string hex = Encrypt(c.text);
    std::vector<size_t> pieces;
    size_t at = 0;
    for (size_t bar; (bar = hex.find('|', at)) != std::string::npos; at = bar + 1) pieces.push_back(bar - at);
    pieces.push_back(hex.size() - at);
    EXPECT_EQ(c.pieceLengths, pieces);
    EXPECT_EQ(std::string::npos, hex.find_first_not_of("0123456789abcdef|")) << "lower-case hex only";
  }
  std::string empty = "unchanged";
  EXPECT_TRUE(EncryptPortalText("", kKey, &empty));
  EXPECT_EQ("", empty);
}

TEST(PortalCipher, DecipheringDropsPaddingAndTrailingSpaces) {
  struct Case {
    const char* name;
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {"padding dropped", "host,9070,a,b,c", "host,9070,a,b,c"},
      {"multiple of 16 comes back unchanged", "0123456789abcdef", "0123456789abcdef"},
      {"multiple of 16 loses trailing spaces", "0123456789abc   ", "0123456789abc"},
      {"spaces inside stay", "a b  c", "a b  c"},
      {"spaces at a chunk's end go", std::string(1998, 'q') + "  " + "tail", std::string(1998, 'q') + "tail"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string out;
    ASSERT_TRUE(Decrypt(Encrypt(c.text), &out));
    EXPECT_EQ(c.expected, out);
  }
}

TEST(PortalCipher, ABlockCountsUpToItsFirstZeroByte) {
  // A block "ab\0cd..." enciphered by hand: only "ab" comes back, and the
  // next block goes on after it.
  std::string hex;
  const char first[16] = {'a', 'b', 0, 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l', 'm', 'n', 'o'};
  SeedEncryptToHex(first, 16, kKey, &hex);
  SeedEncryptToHex("next", 4, kKey, &hex);
  std::string out;
  ASSERT_EQ(0, SeedDecryptFromHex(hex.c_str(), hex.size(), kKey, &out));
  EXPECT_EQ("abnext", out);
}

TEST(PortalCipher, KeyIsItsFirstSixteenBytesZeroFilled) {
  const std::string hex = Encrypt("text", "0123456789abcdefIGNORED");
  EXPECT_EQ(hex, Encrypt("text", "0123456789abcdef"));
  EXPECT_NE(Encrypt("text", "short"), Encrypt("text", "shorter"));
  std::string out;
  ASSERT_TRUE(Decrypt(Encrypt("text", "short"), &out, "short"));
  EXPECT_EQ("text", out);
  ASSERT_TRUE(Decrypt(Encrypt("text", ""), &out, nullptr));
  EXPECT_EQ("text", out);
}

TEST(PortalCipher, HexDigitsOfEitherCaseAndStrayCharacters) {
  std::string hex = Encrypt("upper case");
  std::string upper = hex;
  for (auto& c : upper) c = static_cast<char>(toupper(c));
  std::string out;
  ASSERT_TRUE(Decrypt(upper, &out));
  EXPECT_EQ("upper case", out);
  // A pair that is not hexadecimal reads as its leading digits' value: the
  // piece still deciphers (to other bytes) and nothing fails.
  hex[0] = 'g';
  EXPECT_TRUE(Decrypt(hex, &out));
}

TEST(PortalCipher, RefusedClipboardTexts) {
  const std::string good = Encrypt("host,1,a,b,c");
  struct Case {
    const char* name;
    std::string data;
  };
  const Case cases[] = {
      {"empty", ""},
      {"starts with its terminator", std::string(1, '\0') + good},
      {"one digit short", good.substr(0, good.size() - 1)},
      {"one digit too many", good + "0"},
      {"a bad piece after a good one", good + "|abc"},
      {"a piece over 7,999 digits", Encrypt(std::string(4000, 'p')).replace(4000, 1, "")},
      {"a text over 4,095 bytes", Encrypt(std::string(4096, 'f'))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string out = "stale";
    EXPECT_FALSE(Decrypt(c.data, &out));
    EXPECT_EQ("", out);
  }
  std::string out;
  EXPECT_FALSE(DecryptPortalText(nullptr, 10, kKey, &out));
  EXPECT_EQ(-1, SeedDecryptFromHex("abc", 3, kKey, &out));
}

TEST(PortalCipher, AcceptedClipboardTexts) {
  struct Case {
    const char* name;
    std::string data;
    std::string expected;
  };
  const std::string good = Encrypt("h,1,a,b,c");
  const std::string big = std::string(2000, 'b');
  const Case cases[] = {
      {"text ends at its terminator", good + std::string(1, '\0') + "garbage", "h,1,a,b,c"},
      {"empty pieces add nothing", "|" + good + "||", "h,1,a,b,c"},
      {"only separators", "|||", ""},
      {"exactly 4,095 bytes", Encrypt(big + big + std::string(95, 'c')), big + big + std::string(95, 'c')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string out;
    EXPECT_TRUE(Decrypt(c.data, &out));
    EXPECT_EQ(c.expected, out);
  }
}

TEST(PortalCipher, SmallHelpers) {
  EXPECT_EQ(0u, HexToUInt(nullptr));
  EXPECT_EQ(0u, HexToUInt("xyz"));
  EXPECT_EQ(0xABu, HexToUInt("aBz1"));
  EXPECT_EQ(0x23456789u, HexToUInt("123456789"));  // wraps modulo 2^32
  char text[] = "trail  ";
  EXPECT_EQ(5, TrimTrailingSpaces(text));
  EXPECT_STREQ("trail", text);
  char tabs[] = "tab\t";
  EXPECT_EQ(4, TrimTrailingSpaces(tabs));  // spaces only
  char spaces[] = "   ";
  EXPECT_EQ(0, TrimTrailingSpaces(spaces));
  EXPECT_EQ(-1, TrimTrailingSpaces(static_cast<char*>(nullptr)));
}

TEST(PortalTokenizer, EmptyTokensKeptAndNoneAfterAFinalSeparator) {
  struct Case {
    const char* text;
    std::vector<std::string> tokens;
  };
  const Case cases[] = {
      {"", {}},         {"a", {"a"}},
      {",", {""}},      {"a,,b,", {"a", "", "b"}},
      {",,", {"", ""}}, {"a,b,c,d,e,f,g", {"a", "b", "c", "d", "e", "f", "g"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<std::string> got;
    for (const char* t = TokenizeNext(c.text, ','); t != nullptr; t = TokenizeNext(nullptr, ',')) got.push_back(t);
    EXPECT_EQ(c.tokens, got);
    EXPECT_EQ(nullptr, TokenizeNext(nullptr, ','));
  }
}

TEST(PortalRecordSplit, Cases) {
  struct Case {
    const char* name;
    std::string text;
    bool ok;
    std::string host;
    int32_t port;
    std::vector<std::string> fields;
  };
  const std::string longField(2047, 'f');
  const Case cases[] = {
      {"six fields", "login.example,9070,f2,f3,f4,f5", true, "login.example", 9070, {"f2", "f3", "f4", "f5"}},
      {"five fields: field 5 empty", "h,1,f2,f3,f4", true, "h", 1, {"f2", "f3", "f4", ""}},
      {"four fields refused", "h,1,f2,f3", false, "", 0, {}},
      {"four fields and a final comma refused", "h,1,f2,f3,", false, "", 0, {}},
      {"five with a final comma", "h,1,f2,f3,f4,", true, "h", 1, {"f2", "f3", "f4", ""}},
      {"empty second field: port 0", "h,,f2,f3,f4", true, "h", 0, {"f2", "f3", "f4", ""}},
      {"five empty fields", ",,,,,", true, "", 0, {"", "", "", ""}},
      {"four empty fields refused", ",,,,", false, "", 0, {}},
      {"a seventh field ignored", "h,2,a,b,c,d,e", true, "h", 2, {"a", "b", "c", "d"}},
      {"16-character host", "0123456789abcdef,3,a,b,c", true, "0123456789abcdef", 3, {"a", "b", "c", ""}},
      {"17-character host refused", "0123456789abcdefg,3,a,b,c", false, "", 0, {}},
      {"port by atoi", "h, 42x,a,b,c", true, "h", 42, {"a", "b", "c", ""}},
      {"negative port kept as given", "h,-7,a,b,c", true, "h", -7, {"a", "b", "c", ""}},
      {"port out of range saturates", "h,99999999999,a,b,c", true, "h", 2147483647, {"a", "b", "c", ""}},
      {"2,047-character field", "h,1," + longField + ",b,c", true, "h", 1, {longField, "b", "c", ""}},
      {"2,048-character field refused", "h,1," + longField + "f,b,c", false, "", 0, {}},
      {"empty text", "", false, "", 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PortalRecord r;
    r.host = "untouched";
    ASSERT_EQ(c.ok, SplitPortalText(c.text.c_str(), &r));
    if (!c.ok) {
      EXPECT_EQ("untouched", r.host);
      continue;
    }
    EXPECT_EQ(c.host, r.host);
    EXPECT_EQ(c.port, r.port);
    EXPECT_EQ(c.fields, std::vector<std::string>(r.fields, r.fields + 4));
  }
}

TEST(PortalRecordSplit, ProcessWideRecord) {
  ASSERT_TRUE(AdoptPortalText("game.host,7000,a,b,,d", "key1"));
  EXPECT_STREQ("game.host", GetPortalHost());
  EXPECT_EQ(7000, GetPortalPort());
  EXPECT_FALSE(PortalHandsOffToClient()) << "field 4 is empty";
  EXPECT_EQ("game.host,7000,a,b,,d", GetPortalText());
  EXPECT_EQ("key1", GetPortalLaunchKey());

  ASSERT_TRUE(AdoptPortalText("h,1,a,b,launch", "key2"));
  EXPECT_TRUE(PortalHandsOffToClient());

  // A refused record leaves the record empty, but text and key as read.
  EXPECT_FALSE(AdoptPortalText("0123456789abcdefg,1,a,b,launch", "key3"));
  EXPECT_STREQ("", GetPortalHost());
  EXPECT_EQ(0, GetPortalPort());
  EXPECT_FALSE(PortalHandsOffToClient());
  EXPECT_EQ("0123456789abcdefg,1,a,b,launch", GetPortalText());
  EXPECT_EQ("key3", GetPortalLaunchKey());

  EXPECT_FALSE(AdoptPortalText("", "key4"));
  EXPECT_EQ("", GetPortalText());
  EXPECT_EQ("key4", GetPortalLaunchKey());

  ASSERT_TRUE(AdoptPortalText("h,1,a,b,c", "key5"));
  ClearPortalRecord();
  EXPECT_STREQ("", GetPortalHost());
  EXPECT_EQ("key5", GetPortalLaunchKey());
}

}  // namespace
