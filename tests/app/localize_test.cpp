#include "app/localize.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "framework/scramble.h"

namespace {

const uint32_t kKey = kLocalizeInfoServiceId;
const uint32_t kSeed = 1700000000;

std::string Le(uint32_t v, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  return s;
}

// A decoded block made into a scrambled record, as the stored records are.
std::string ScrambleBlock(const std::string& block, uint32_t key = kKey) {
  int32_t cap = Get6BitEncodedLength(static_cast<int32_t>(block.size()));
  std::string text(static_cast<size_t>(cap), '\0');
  int32_t n = Encode6BitText(block.data(), static_cast<int32_t>(block.size()), &text[0], cap);
  EXPECT_GT(n, 0);
  text.resize(static_cast<size_t>(n));
  char* out = nullptr;
  EXPECT_EQ(1, ScrambleEncodeStringWithSeed(text.c_str(), key, kSeed, &out));
  std::string s = out ? out : "";
  ScrambleFreeString(out);
  return s;
}

// The decoded block behind a scrambled record.
std::string UnscrambleBlock(const std::string& scrambled, uint32_t key = kKey) {
  char* plain = nullptr;
  EXPECT_EQ(1, ScrambleDecodeString(scrambled.c_str(), key, &plain));
  if (plain == nullptr) return std::string();
  int32_t cap = Get6BitDecodedLength(static_cast<int32_t>(std::strlen(plain)));
  std::string block(static_cast<size_t>(cap), '\0');
  int32_t n = Decode6BitText(plain, &block[0], cap);
  ScrambleFreeString(plain);
  block.resize(static_cast<size_t>(n));
  return block;
}

// ---------------------------------------------------------------------------

TEST(RegionTable, SupportedCodePages) {
  struct Case {
    uint32_t codePage;
    bool supported;
    uint32_t serviceId;
  } cases[] = {
      {932, true, 418762}, {936, true, 427915},     {949, true, 441397},
      {950, true, 449137}, {1252, true, 452679},    {1251, false, 2039746},
      {0, false, 2039746}, {65001, false, 2039746}, {0xFFFFFFFF, false, 2039746},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.codePage);
    EXPECT_EQ(c.supported, IsSupportedCodePage(c.codePage));
    EXPECT_EQ(c.supported ? c.codePage : 932u, ValidateCodePage(c.codePage));
    EXPECT_EQ(c.serviceId, GetServiceIdForCodePage(c.codePage));
    ASSERT_NE(nullptr, GetDefaultLoginHostForCodePage(c.codePage));
    EXPECT_NE(std::string(), GetSetupGuideURLForCodePage(c.codePage));
    EXPECT_NE(std::string(), GetManualURLForCodePage(c.codePage));
    EXPECT_NE(std::string(), GetHomePageURLForCodePage(c.codePage));
    if (c.codePage != 949) {
      EXPECT_NE(std::string(), GetDefaultLoginHostForCodePage(c.codePage));
    }
  }
  EXPECT_EQ(932u, kDefaultCodePage);
  EXPECT_EQ(418762u, kLocalizeInfoServiceId);
}

// The host of an "http://host/..." address.
std::string UrlHost(const std::string& url) {
  const std::string scheme = "http://";
  if (url.compare(0, scheme.size(), scheme) != 0) return std::string();
  const size_t end = url.find_first_of("/:", scheme.size());
  return url.substr(scheme.size(), end == std::string::npos ? std::string::npos : end - scheme.size());
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() > tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Nothing the launcher contacts or shows by default belongs to anyone:
// login hosts cannot resolve, web addresses are examples.
TEST(RegionTable, DefaultHostsAreReservedNames) {
  for (uint32_t cp : {932u, 936u, 949u, 950u, 1252u, 1251u, 0u}) {
    SCOPED_TRACE(cp);
    const std::string login = GetDefaultLoginHostForCodePage(cp);
    if (!login.empty()) {
      EXPECT_TRUE(EndsWith(login, ".invalid")) << login;
    }
    for (const char* url :
         {GetSetupGuideURLForCodePage(cp), GetManualURLForCodePage(cp), GetHomePageURLForCodePage(cp)}) {
      EXPECT_TRUE(EndsWith(UrlHost(url), ".example")) << url;
    }
  }
}

TEST(RegionTable, KoreaHasNoDefaultHost) { EXPECT_STREQ("", GetDefaultLoginHostForCodePage(949)); }

TEST(RegionTable, JapanSharesTheLastRowsAddressesButNotItsHost) {
  const uint32_t other = 1251;
  EXPECT_STREQ(GetSetupGuideURLForCodePage(other), GetSetupGuideURLForCodePage(932));
  EXPECT_STREQ(GetManualURLForCodePage(other), GetManualURLForCodePage(932));
  EXPECT_STREQ(GetHomePageURLForCodePage(other), GetHomePageURLForCodePage(932));
  EXPECT_STRNE(GetDefaultLoginHostForCodePage(other), GetDefaultLoginHostForCodePage(932));
  // Every other listed region has its own three addresses.
  for (uint32_t cp : {936u, 949u, 950u, 1252u}) {
    SCOPED_TRACE(cp);
    EXPECT_STRNE(GetHomePageURLForCodePage(other), GetHomePageURLForCodePage(cp));
    EXPECT_STRNE(GetManualURLForCodePage(other), GetManualURLForCodePage(cp));
    EXPECT_STRNE(GetSetupGuideURLForCodePage(other), GetSetupGuideURLForCodePage(cp));
  }
}

// ---------------------------------------------------------------------------

// A successful load replaces both fields of the record it is given, also
// with an empty name: start-up builds its record with a name and code page
// of its own and must not keep either.
TEST(LocalizeRecord, ALoadReplacesBothFieldsEvenWithAnEmptyName) {
  const unsigned char block[] = {0xA8, 0x03, 0, 0, 0};  // 936, name of length 0
  struct Case {
    const char* source;
    std::function<int(CLocalizeInfo&)> load;
    uint32_t codePage;
  } const cases[] = {
      {"scrambled", [](CLocalizeInfo& i) { return i.DecodeRecord("JKYUkYvi8s@uYKyd", kKey); }, 932},
      {"text form", [](CLocalizeInfo& i) { return i.ParseTextRecord("1252\r\n", "\r\n"); }, 1252},
      {"block", [&](CLocalizeInfo& i) { return i.ReadRecordBlock(block, sizeof block); }, 936},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    CLocalizeInfo info("name", 949);
    ASSERT_EQ(kLocalizeOk, c.load(info));
    EXPECT_EQ(c.codePage, info.GetCodePage());
    EXPECT_EQ("", info.GetProfileName());
  }
}

// Records scrambled apart from this code from the record's definition:
// the encoder must give them, and the decoder must read them.
TEST(LocalizeRecord, KnownAnswers) {
  struct Case {
    uint32_t codePage;
    const char* name;
    uint32_t seed;
    const char* scrambled;
  } const cases[] = {
      {949, "Quorl", 1234567, "MUKE@P8d2iYm0vEXMCL21TaE7A"},
      {1252, "E2EProfile", 1700000000, "JKYUkYfj8s@u2KhJvlEfGnveLa3DNAIL7B"},
      {932, "", 1700000000, "JKYUkYvi8s@uYKyd"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scrambled);
    EXPECT_EQ(c.scrambled, CLocalizeInfo::EncodeRecord(c.codePage, c.name, kKey, c.seed));
    CLocalizeInfo info("before", 1);
    ASSERT_EQ(kLocalizeOk, info.DecodeRecord(c.scrambled, kKey));
    EXPECT_EQ(c.codePage, info.GetCodePage());
    EXPECT_EQ(c.name, info.GetProfileName());
  }
}

TEST(LocalizeRecord, RoundTripsCodePagesAndNames) {
  struct Case {
    uint32_t codePage;
    std::string name;
  } cases[] = {
      {949, "QuorlKR"},
      {932, ""},
      {1251, "Unsupported"},  // stored as read; start-up validates it to 932
      {1252, std::string("a\0b", 3)},
      {936, "\xC4\xFA\xBA\xC3 \x80\xFF"},
      {0xFFFFFFFF, std::string(300, 'x')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.codePage);
    std::string scrambled = CLocalizeInfo::EncodeRecord(c.codePage, c.name, kKey, kSeed);
    ASSERT_FALSE(scrambled.empty());
    CLocalizeInfo info;
    EXPECT_EQ(kLocalizeOk, info.DecodeRecord(scrambled.c_str(), kKey));
    EXPECT_EQ(c.codePage, info.GetCodePage());
    EXPECT_EQ(c.name, info.GetProfileName());
  }
}

TEST(LocalizeRecord, UnsupportedCodePageValidatesToDefault) {
  CLocalizeInfo info;
  ASSERT_EQ(kLocalizeOk, info.DecodeRecord(CLocalizeInfo::EncodeRecord(1251, "P", kKey, kSeed).c_str(), kKey));
  EXPECT_EQ(932u, ValidateCodePage(info.GetCodePage()));
  ASSERT_EQ(kLocalizeOk, info.DecodeRecord(CLocalizeInfo::EncodeRecord(949, "P", kKey, kSeed).c_str(), kKey));
  EXPECT_EQ(949u, ValidateCodePage(info.GetCodePage()));
}

TEST(LocalizeRecord, EncoderPicksTheShortestLengthForm) {
  struct Case {
    size_t nameLen;
    std::string lengthField;
  } cases[] = {
      {0, Le(0, 1)},
      {254, Le(254, 1)},
      {255, Le(0xFF, 1) + Le(255, 2)},
      {65534, Le(0xFF, 1) + Le(65534, 2)},
      {65535, Le(0xFF, 1) + Le(0xFFFF, 2) + Le(65535, 4)},
      {70000, Le(0xFF, 1) + Le(0xFFFF, 2) + Le(70000, 4)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nameLen);
    std::string name(c.nameLen, 'n');
    std::string scrambled = CLocalizeInfo::EncodeRecord(949, name, kKey, kSeed);
    EXPECT_EQ(Le(949, 4) + c.lengthField + name, UnscrambleBlock(scrambled));
    CLocalizeInfo info;
    EXPECT_EQ(kLocalizeOk, info.DecodeRecord(scrambled.c_str(), kKey));
    EXPECT_EQ(name, info.GetProfileName());
  }
}

TEST(LocalizeRecord, ReaderAcceptsLongerLengthFormsAndTrailingBytes) {
  struct Case {
    const char* why;
    std::string block;
  } cases[] = {
      {"u16 form for a short name", Le(950, 4) + Le(0xFF, 1) + Le(4, 2) + "Name"},
      {"u32 form for a short name", Le(950, 4) + Le(0xFF, 1) + Le(0xFFFF, 2) + Le(4, 4) + "Name"},
      {"bytes after the name", Le(950, 4) + Le(4, 1) + "Name" + "extra"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    CLocalizeInfo info;
    EXPECT_EQ(kLocalizeOk, info.DecodeRecord(ScrambleBlock(c.block).c_str(), kKey));
    EXPECT_EQ(950u, info.GetCodePage());
    EXPECT_EQ("Name", info.GetProfileName());
  }
}

struct ShortBlock {
  const char* why;
  std::string block;
  int expected;
};

std::vector<ShortBlock> ShortBlocks() {
  return {
      {"one byte", "\x01", kLocalizeCodePageUnreadable},
      {"three bytes of code page", Le(949, 3), kLocalizeCodePageUnreadable},
      {"code page only", Le(949, 4), kLocalizeNameUnreadable},
      {"u8 length, no name", Le(949, 4) + Le(5, 1), kLocalizeNameUnreadable},
      {"name one byte short", Le(949, 4) + Le(5, 1) + "abcd", kLocalizeNameUnreadable},
      {"u16 escape, no u16", Le(949, 4) + Le(0xFF, 1), kLocalizeNameUnreadable},
      {"u16 escape, half a u16", Le(949, 4) + Le(0xFF, 1) + "\x05", kLocalizeNameUnreadable},
      {"u16 length, name short", Le(949, 4) + Le(0xFF, 1) + Le(300, 2) + "abc", kLocalizeNameUnreadable},
      {"u32 escape, no u32", Le(949, 4) + Le(0xFF, 1) + Le(0xFFFF, 2), kLocalizeNameUnreadable},
      {"u32 escape, three bytes", Le(949, 4) + Le(0xFF, 1) + Le(0xFFFF, 2) + Le(7, 3), kLocalizeNameUnreadable},
      {"u32 length of 4 GB", Le(949, 4) + Le(0xFF, 1) + Le(0xFFFF, 2) + Le(0xFFFFFFFF, 4) + "ab",
       kLocalizeNameUnreadable},
  };
}

TEST(LocalizeRecord, ShortScrambledBlockFailsAndKeepsTheRecord) {
  for (const ShortBlock& c : ShortBlocks()) {
    SCOPED_TRACE(c.why);
    CLocalizeInfo info("kept", 950);
    EXPECT_EQ(c.expected, info.DecodeRecord(ScrambleBlock(c.block).c_str(), kKey));
    EXPECT_EQ(950u, info.GetCodePage());
    EXPECT_EQ("kept", info.GetProfileName());
  }
}

TEST(LocalizeRecord, ShortBlockIsNeverReadPastItsEnd) {
  // Each block sits in a heap buffer of exactly its size: a read past the end
  // is an AddressSanitizer error.
  for (const ShortBlock& c : ShortBlocks()) {
    SCOPED_TRACE(c.why);
    std::vector<unsigned char> exact(c.block.begin(), c.block.end());
    CLocalizeInfo info("kept", 950);
    EXPECT_EQ(c.expected, info.ReadRecordBlock(exact.data(), exact.size()));
    EXPECT_EQ("kept", info.GetProfileName());
  }
  CLocalizeInfo info;
  EXPECT_EQ(kLocalizeCodePageUnreadable, info.ReadRecordBlock(nullptr, 0));
  EXPECT_EQ(kLocalizeCodePageUnreadable, info.ReadRecordBlock("", 0));
}

TEST(LocalizeRecord, UnreadableTextsGiveTheirCodes) {
  struct Case {
    const char* why;
    std::string text;
    int expected;
  } cases[] = {
      {"empty", "", kLocalizeUnscrambleFailed},
      {"too short to scramble", "gI1XgI", kLocalizeUnscrambleFailed},
      {"not a symbol at all", "****", kLocalizeUnscrambleFailed},
      {"unscrambles to no 6-bit text",
       [] {
         char* out = nullptr;
         ScrambleEncodeStringWithSeed("*** not symbols", kKey, kSeed, &out);
         std::string s(out);
         ScrambleFreeString(out);
         return s;
       }(),
       kLocalizeDecodeFailed},
      {"unscrambles to a lone symbol",
       [] {
         char* out = nullptr;
         ScrambleEncodeStringWithSeed("g", kKey, kSeed, &out);
         std::string s(out);
         ScrambleFreeString(out);
         return s;
       }(),
       kLocalizeDecodeFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    CLocalizeInfo info("kept", 950);
    EXPECT_EQ(c.expected, info.DecodeRecord(c.text.c_str(), kKey));
    EXPECT_EQ("kept", info.GetProfileName());
  }
  CLocalizeInfo info;
  EXPECT_EQ(kLocalizeUnscrambleFailed, info.DecodeRecord(nullptr, kKey));
  EXPECT_EQ(kLocalizeUnscrambleFailed, info.DecodeRecord(nullptr, 0, kKey));
}

TEST(LocalizeRecord, BoundedTextNeedsNoNul) {
  const std::string scrambled = CLocalizeInfo::EncodeRecord(949, "Res", kKey, kSeed);
  struct Case {
    const char* why;
    std::string data;
  } cases[] = {
      {"no NUL at all", scrambled},
      {"NUL then junk", scrambled + std::string("\0junk", 5)},
      {"line end", scrambled + "\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    // Exactly the resource's bytes, nothing behind them.
    std::vector<char> exact(c.data.begin(), c.data.end());
    CLocalizeInfo info;
    EXPECT_EQ(kLocalizeOk, info.DecodeRecord(exact.data(), exact.size(), kKey));
    EXPECT_EQ(949u, info.GetCodePage());
    EXPECT_EQ("Res", info.GetProfileName());
  }
}

TEST(LocalizeRecord, TextForm) {
  struct Case {
    const char* line1;
    const char* line2;
    int expected;
    uint32_t codePage;
    std::string name;
  } cases[] = {
      {"949", "QuorlKR", kLocalizeOk, 949, "QuorlKR"},
      {" 1251 Cyrillic\r\n", "name\r\n", kLocalizeOk, 1251, "name"},
      {"no digits", "n\n", kLocalizeOk, 0, "n"},
      {"-1", "", kLocalizeOk, 0xFFFFFFFF, ""},
      {"99999999999999999999", "big", kLocalizeOk, 0x7FFFFFFF, "big"},  // atoi saturates
      {nullptr, "n", kLocalizeCodePageUnreadable, 950, "kept"},
      {"949", nullptr, kLocalizeNameUnreadable, 950, "kept"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line1 ? c.line1 : "(null)");
    CLocalizeInfo info("kept", 950);
    EXPECT_EQ(c.expected, info.ParseTextRecord(c.line1, c.line2));
    EXPECT_EQ(c.codePage, info.GetCodePage());
    EXPECT_EQ(c.name, info.GetProfileName());
  }
}

TEST(LocalizeRecord, FileText) {
  const std::string scrambled = CLocalizeInfo::EncodeRecord(936, "CN", kKey, kSeed);
  struct Case {
    const char* why;
    std::string data;
    uint32_t key;
    int expected;
    uint32_t codePage;
    std::string name;
  } cases[] = {
      {"scrambled first line", scrambled + "\r\nsecond line\r\n", kKey, kLocalizeOk, 936, "CN"},
      {"scrambled, no line end", scrambled, kKey, kLocalizeOk, 936, "CN"},
      {"scrambled, empty file", "", kKey, kLocalizeUnscrambleFailed, 950, "kept"},
      {"scrambled, empty first line", "\r\n" + scrambled, kKey, kLocalizeUnscrambleFailed, 950, "kept"},
      {"text form", "949\r\nQuorlKR\r\n", 0, kLocalizeOk, 949, "QuorlKR"},
      {"text form, LF only", "1252\nEU", 0, kLocalizeOk, 1252, "EU"},
      {"text form, empty name line", "949\n\n", 0, kLocalizeOk, 949, ""},
      {"text form, no name line", "949\r\n", 0, kLocalizeNameUnreadable, 950, "kept"},
      {"text form, empty file", "", 0, kLocalizeCodePageUnreadable, 950, "kept"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::vector<char> exact(c.data.begin(), c.data.end());
    CLocalizeInfo info("kept", 950);
    EXPECT_EQ(c.expected, info.LoadFromFileText(exact.data(), exact.size(), c.key));
    EXPECT_EQ(c.codePage, info.GetCodePage());
    EXPECT_EQ(c.name, info.GetProfileName());
  }
}

TEST(LocalizeRecord, TextFormEncoder) {
  std::string out = "untouched";
  ASSERT_TRUE(CLocalizeInfo::EncodeTextRecord(949, "QuorlKR", &out));
  EXPECT_EQ("949\r\nQuorlKR\r\n", out);
  CLocalizeInfo info;
  EXPECT_EQ(kLocalizeOk, info.LoadFromFileText(out.data(), out.size(), 0));
  EXPECT_EQ("QuorlKR", info.GetProfileName());
  for (const std::string& bad : {std::string("a\nb"), std::string("a\rb"), std::string("a\0b", 3)}) {
    out = "untouched";
    EXPECT_FALSE(CLocalizeInfo::EncodeTextRecord(949, bad, &out));
    EXPECT_EQ("untouched", out);
  }
}

// ---------------------------------------------------------------------------

TEST(ParseIntLikeAtoi, Cases) {
  struct Case {
    const char* text;
    int32_t value;
  } cases[] = {
      {"949", 949},
      {"  -12x", -12},
      {"+7", 7},
      {"", 0},
      {"x1", 0},
      {"- 1", 0},
      {"2147483647", 2147483647},
      {"2147483648", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"-99999999999999", -2147483647 - 1},
      {"000000000000000000949", 949},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.value, ParseIntLikeAtoi(c.text));
  }
  EXPECT_EQ(0, ParseIntLikeAtoi(nullptr));
}

// ---------------------------------------------------------------------------

TEST(LaunchParams, ModeTable) {
  struct Param {
    const char* text;
    bool isFlag;
  };
  struct Case {
    const char* why;
    std::vector<Param> params;
    int mode;
    std::vector<bool> passedOn;
  } cases[] = {
      {"none", {}, 0, {}},
      {"/s", {{"s", true}}, 1, {true}},
      {"/S", {{"S", true}}, 1, {true}},
      {"/e", {{"e", true}}, 2, {true}},
      {"/E", {{"E", true}}, 2, {true}},
      {"/b1", {{"b1", true}}, 1, {false}},
      {"/B2", {{"B2", true}}, 2, {false}},
      {"/s /b7", {{"s", true}, {"b7", true}}, 0, {true, false}},
      {"/s /b alone", {{"s", true}, {"b", true}}, 1, {true, true}},
      {"/S /b0", {{"S", true}, {"b0", true}}, 0, {true, false}},
      {"/e /s last wins", {{"e", true}, {"s", true}}, 1, {true, true}},
      {"/b1 /e last wins", {{"b1", true}, {"e", true}}, 2, {false, true}},
      {"/bx is mode 0", {{"e", true}, {"bx", true}}, 0, {true, false}},
      {"/b+2 through atoi", {{"b+2", true}}, 2, {false}},
      {"/ss is not /s", {{"ss", true}}, 0, {true}},
      {"other flag", {{"x", true}}, 0, {true}},
      {"plain s is no flag", {{"s", false}}, 0, {true}},
      {"/s then portal argument", {{"s", true}, {"portal-key", false}}, 1, {true, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    int mode = kStartModeLauncher;
    std::vector<bool> passedOn;
    for (const Param& p : c.params) passedOn.push_back(ApplyLaunchParam(mode, p.text, p.isFlag));
    EXPECT_EQ(c.mode, mode);
    EXPECT_EQ(c.passedOn, passedOn);
  }
}

TEST(LaunchParams, PlainParameterIsThePortalArgument) {
  EXPECT_TRUE(IsPortalLaunchArgument("portal-key", false));
  EXPECT_FALSE(IsPortalLaunchArgument("s", true));
  EXPECT_FALSE(IsPortalLaunchArgument(nullptr, false));
  int mode = kStartModeSettingsOnly;
  EXPECT_FALSE(ApplyLaunchParam(mode, nullptr, true));
  EXPECT_EQ(kStartModeSettingsOnly, mode);
}

}  // namespace
