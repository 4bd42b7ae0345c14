#include "framework/scramble.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const char kAlphabet[] = "@ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_";
const int32_t kInt32Max = 0x7FFFFFFF;

std::string EncodeBytes(const std::string& bytes) {
  int32_t cap = Get6BitEncodedLength(static_cast<int32_t>(bytes.size()));
  std::string out(static_cast<size_t>(cap), '#');
  int32_t n = Encode6BitText(bytes.data(), static_cast<int32_t>(bytes.size()), &out[0], cap);
  EXPECT_GT(n, 0);
  EXPECT_EQ('\0', out[static_cast<size_t>(n)]);
  out.resize(static_cast<size_t>(n));
  return out;
}

// Decodes with exactly the capacity the length formula asks for; a trailing
// guard byte shows that nothing is written past it.
std::string DecodeText(const std::string& text) {
  int32_t cap = Get6BitDecodedLength(static_cast<int32_t>(text.size()));
  std::vector<unsigned char> buf(static_cast<size_t>(cap) + 1, 0xA5);
  int32_t n = Decode6BitText(text.c_str(), buf.data(), cap);
  EXPECT_GE(n, 0);
  EXPECT_LE(n, cap);
  EXPECT_EQ(0xA5, buf[static_cast<size_t>(cap)]);
  return std::string(reinterpret_cast<const char*>(buf.data()), static_cast<size_t>(n));
}

std::string Scramble(const std::string& text, uint32_t key, uint32_t seed) {
  char* out = nullptr;
  EXPECT_EQ(1, ScrambleEncodeStringWithSeed(text.c_str(), key, seed, &out));
  if (out == nullptr) return std::string();
  std::string s(out);
  ScrambleFreeString(out);
  return s;
}

// Test data: every byte value, NULs in the middle, all three group remainders.
std::vector<std::string> CodecTexts() {
  std::vector<std::string> texts = {
      "a",
      "ab",
      "abc",
      "abcd",
      "Quorl launcher",
      std::string("\0", 1),
      std::string("a\0b", 3),
      std::string("\0\0\0\0\0", 5),
      "\x80\x81\xFE\xFF",
      "\xB0\xA1\xC7\xD1\xB1\xB9",  // high bytes, EUC-KR style
  };
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
  texts.push_back(all);
  texts.push_back(all.substr(1));
  texts.push_back(all.substr(2));
  return texts;
}

TEST(TextCodec, ListedVectors) {
  struct Case {
    const char* bytes;
    const char* text;
  } cases[] = {{"abc", "gI1X"}, {"ab", "gIF"}, {"a", "gA"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(c.text, EncodeBytes(c.bytes));
    EXPECT_EQ(c.bytes, DecodeText(c.text));
  }
}

TEST(TextCodec, DecodeEndsQuietlyAtInvalidSymbol) {
  struct Case {
    const char* text;
    std::string bytes;
  } cases[] = {
      {"g", ""},      // lone final symbol
      {"gI*X", "a"},  // third symbol outside the alphabet
      {"*I1X", ""},   // first symbol invalid
      {"g*1X", ""},   // second symbol invalid
      {"gI1XgI1X", "abcabc"},
      {"gI1X*I1X", "abc"},  // stops for good, the rest is not read
      {"gI1Xg", "abc"},     // lone final symbol after a whole group
      {"gI1XgI", "abca"},
      {"gI1XgIF", "abcab"},
      {"gI1\xC0", "ab"},  // bytes 128-255 are not symbols
      {"gI1X\n", "abc"},  // a line end counts as an invalid symbol
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.bytes, DecodeText(c.text));
  }
}

TEST(TextCodec, SymbolValuesFollowTheAlphabet) {
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    const char* pos = b == 0 ? nullptr : std::strchr(kAlphabet, b);
    int32_t expected = pos ? static_cast<int32_t>(pos - kAlphabet) : -1;
    EXPECT_EQ(expected, Decode6BitSymbol(static_cast<char>(b)));
  }
}

TEST(TextCodec, LengthFormulas) {
  const int32_t encoded[] = {3, 4, 5, 7, 8, 9, 11};
  for (int32_t n = 1; n <= 7; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(encoded[n - 1], Get6BitEncodedLength(n));
  }
  const int32_t decoded[] = {0, 1, 2, 3, 3, 4, 5, 6};
  for (int32_t L = 1; L <= 8; ++L) {
    SCOPED_TRACE(L);
    EXPECT_EQ(decoded[L - 1], Get6BitDecodedLength(L));
  }
  EXPECT_EQ(1, Get6BitEncodedLength(0));
  EXPECT_EQ(0, Get6BitDecodedLength(0));
}

TEST(TextCodec, LengthFormulasRefuseOutOfRange) {
  // Negative counts and results beyond int32 give 0 rather than a wrapped
  // value; 4n + 2 would overflow from n = 2^29 on.
  EXPECT_EQ(0, Get6BitEncodedLength(-1));
  EXPECT_EQ(0, Get6BitEncodedLength(kInt32Max));
  EXPECT_EQ(715827884, Get6BitEncodedLength(536870912));   // 2^29: no wrap
  EXPECT_EQ(kInt32Max, Get6BitEncodedLength(1610612734));  // largest that fits
  EXPECT_EQ(0, Get6BitEncodedLength(1610612735));
  EXPECT_EQ(0, Get6BitDecodedLength(-8));
  EXPECT_EQ(1610612735, Get6BitDecodedLength(kInt32Max));  // 3L would overflow
}

TEST(TextCodec, RoundTripsEveryText) {
  for (const std::string& bytes : CodecTexts()) {
    SCOPED_TRACE(testing::PrintToString(bytes));
    std::string text = EncodeBytes(bytes);
    // ceil(4n / 3) symbols, all from the alphabet.
    EXPECT_EQ((4 * bytes.size() + 2) / 3, text.size());
    EXPECT_EQ(std::string::npos, text.find_first_not_of(kAlphabet));
    EXPECT_EQ(bytes, DecodeText(text));
  }
}

TEST(TextCodec, EncodeRefusesBadArguments) {
  char dst[16];
  std::memset(dst, '#', sizeof dst);
  const char src[] = "abcd";
  EXPECT_EQ(0, Encode6BitText(nullptr, 4, dst, 16));
  EXPECT_EQ(0, Encode6BitText(src, 4, nullptr, 16));
  EXPECT_EQ(0, Encode6BitText(src, 0, dst, 16));
  EXPECT_EQ(0, Encode6BitText(src, -1, dst, 16));
  // 4 bytes need 6 symbols + NUL = 7; one short fails and writes nothing.
  EXPECT_EQ(0, Encode6BitText(src, 4, dst, 6));
  EXPECT_EQ(0, Encode6BitText(src, 4, dst, -7));
  // A huge length fails on the formula before any byte is read.
  EXPECT_EQ(0, Encode6BitText(src, kInt32Max, dst, kInt32Max));
  for (char c : dst) EXPECT_EQ('#', c);
  EXPECT_EQ(6, Encode6BitText(src, 4, dst, 7));
  EXPECT_STREQ("gI1XjA", dst);
}

TEST(TextCodec, DecodeRefusesBadArguments) {
  unsigned char dst[8];
  std::memset(dst, 0xA5, sizeof dst);
  EXPECT_EQ(0, Decode6BitText(nullptr, dst, 8));
  EXPECT_EQ(0, Decode6BitText("gI1X", nullptr, 8));
  EXPECT_EQ(0, Decode6BitText("", dst, 8));
  // "gI1XjA" may yield floor(18 / 4) = 4 bytes: a capacity of 3 fails whole.
  EXPECT_EQ(0, Decode6BitText("gI1XjA", dst, 3));
  EXPECT_EQ(0, Decode6BitText("gI1XjA", dst, -1));
  for (unsigned char c : dst) EXPECT_EQ(0xA5, c);
  EXPECT_EQ(4, Decode6BitText("gI1XjA", dst, 4));
  EXPECT_EQ(0, std::memcmp(dst, "abcd", 4));
}

// ---------------------------------------------------------------------------

// Known answers, computed apart from this code from the generator's
// definition: per seed, words 0, 16, 260 and 520 right after seeding, the
// first 16 bytes drawn, bytes 516-527 (the refill comes after byte 520) and
// the FNV-1a hash of the first 4000 bytes.
struct KeystreamVector {
  uint32_t seed;
  uint32_t w0, w16, w260, w520;
  const char* first16;
  const char* around521;
  uint32_t fnv4000;
};

const KeystreamVector kKeystreamVectors[] = {
    {0u, 0x7731AFD4, 0x8D439707, 0x290C664D, 0xBD1AA238, "D40646658925DF6D14BF3A783A518ACB", "03B350A94CD41224BFC68B5D",
     0x8E45D1BC},
    {1u, 0x3B98D7EA, 0x4A80B8A3, 0x251D7405, 0xDE0D0225, "EAD22413C910EE9729FDBCBE16AA4747", "0CD9AB578FEAAA32D4E3452E",
     0x884729A0},
    {418762u, 0x0AD0DAA6, 0x1D1AEDB2, 0x271DAA9F, 0x2D904865, "A68B27472E3B2A9638A43BB723490BB4",
     "EAFD46646FA615C466744CBE", 0x8C839537},
    {1700000000u, 0x27C6E96C, 0xC924AD74, 0x7CCBAD0C, 0x46EE1409, "6CC13D4BFC99727BC80DC4537247A0DF",
     "CBA0E151136C87B411361881", 0x0ADF61F3},
    {0xFFFFFFFFu, 0x8C79806F, 0x10174E6E, 0x10A4B088, 0xC8A94556, "6FD69565A5241F1222FD97538D1AE0F5",
     "E6CA8ED23D6F8228C37E2312", 0x7F2C8D32},
};

std::string Hex(const std::vector<uint8_t>& bytes, size_t from, size_t count) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = from; i < from + count; ++i) {
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 15];
  }
  return out;
}

uint32_t Fnv1a(const std::vector<uint8_t>& bytes) {
  uint32_t h = 0x811C9DC5u;
  for (uint8_t b : bytes) {
    h ^= b;
    h *= 0x01000193u;
  }
  return h;
}

TEST(Keystream, KnownAnswers) {
  for (const KeystreamVector& v : kKeystreamVectors) {
    SCOPED_TRACE(v.seed);
    Keystream521* ks = KeystreamCreate(v.seed);
    ASSERT_NE(nullptr, ks);
    EXPECT_EQ(v.w0, ks->words[0]);
    EXPECT_EQ(v.w16, ks->words[16]);
    EXPECT_EQ(v.w260, ks->words[260]);
    EXPECT_EQ(v.w520, ks->words[520]);
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 4000; ++i) bytes.push_back(KeystreamNextByte(ks));
    KeystreamDestroy(ks);
    EXPECT_EQ(v.first16, Hex(bytes, 0, 16));
    EXPECT_EQ(v.around521, Hex(bytes, 516, 12));
    EXPECT_EQ(v.fnv4000, Fnv1a(bytes));
  }
}

TEST(Keystream, FirstWordSurvivesRefillsAndIsTheFirstByte) {
  for (const KeystreamVector& v : kKeystreamVectors) {
    SCOPED_TRACE(v.seed);
    Keystream521* ks = KeystreamCreate(v.seed);
    ASSERT_NE(nullptr, ks);
    EXPECT_EQ(520, ks->index);
    EXPECT_EQ(static_cast<uint8_t>(v.w0), KeystreamNextByte(ks));
    EXPECT_EQ(0, ks->index);
    // Every 521st byte comes right after a refill and is w[0] again.
    for (int round = 0; round < 4; ++round) {
      for (int i = 0; i < 520; ++i) KeystreamNextByte(ks);
      EXPECT_EQ(520, ks->index);
      EXPECT_EQ(static_cast<uint8_t>(v.w0), KeystreamNextByte(ks));
      EXPECT_EQ(v.w0, ks->words[0]);
    }
    KeystreamDestroy(ks);
  }
  KeystreamDestroy(nullptr);  // ignored
}

TEST(Keystream, SameSeedSameStreamOtherSeedOther) {
  auto draw = [](uint32_t seed) {
    Keystream521* ks = KeystreamCreate(seed);
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 1200; ++i) bytes.push_back(KeystreamNextByte(ks));
    KeystreamDestroy(ks);
    return bytes;
  };
  EXPECT_EQ(draw(12345), draw(12345));
  EXPECT_NE(draw(12345), draw(12346));
}

// ---------------------------------------------------------------------------

// Known answers computed apart from this code from the scrambler's
// definition; each also unscrambles back with its key.
TEST(Scrambler, KnownAnswers) {
  struct Case {
    std::string text;
    uint32_t key, seed;
    const char* scrambled;
  } const cases[] = {
      {"Quorl profile", 418762, 1700000000, "JKYUk0CsRkCj4JPBmtVq_bwQ"},
      {"a", 418762, 1700000000, "JKYUk0Pv"},
      {"abc", 0, 0, "@@@@@TKYkTF"},
      {"Quorl", 2039746, 0xFFFFFFFFu, "8@N3_6yn5eQxj@"},
      {"949", 441397, 1234567, "xpFE@zc@NhM"},
      {"\xC4\xF9\xBF\xEF", 452679, 1700000001, "FkQUkMuGbWll"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scrambled);
    EXPECT_EQ(c.scrambled, Scramble(c.text, c.key, c.seed));
    char* plain = nullptr;
    ASSERT_EQ(1, ScrambleDecodeString(c.scrambled, c.key, &plain));
    EXPECT_EQ(c.text, plain);
    ScrambleFreeString(plain);
  }
}

// A text longer than one round of the generator (521 bytes): 600 bytes
// 1, 2, ..., 255, 1, 2, ...
TEST(Scrambler, KnownAnswerPastOneGeneratorRound) {
  std::string text;
  for (int i = 0; i < 600; ++i) text.push_back(static_cast<char>(1 + i % 255));
  const std::string scrambled = Scramble(text, 418762, 1700000000);
  ASSERT_EQ(807u, scrambled.size());
  EXPECT_EQ("JKYUk01v97T9eV2bAevye8WRu9baqTceoVRfPJy9", scrambled.substr(0, 40));
  EXPECT_EQ("8fERbxmo6A2hVKh4uS6V2yypsGjNJjFjW9y7aGP@", scrambled.substr(807 - 40));
  EXPECT_EQ(0x7D9939FBu, Fnv1a(std::vector<uint8_t>(scrambled.begin(), scrambled.end())));
}

TEST(Scrambler, RecordLengths) {
  struct Case {
    const char* text;
    size_t symbols;
  } cases[] = {{"abc", 11}, {"a", 8}, {"abcdefgh", 18}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    // ceil(4 * (4 + n) / 3) symbols for a record of the seed word and n bytes.
    EXPECT_EQ(c.symbols, Scramble(c.text, 418762, 1700000000).size());
  }
}

TEST(Scrambler, SeedWordIsSeedXorKeyInTheClear) {
  const uint32_t seed = 0x12345678, key = 0x0F0F0F0F;
  std::string scrambled = Scramble("xyz", key, seed);
  std::string record = DecodeText(scrambled);
  ASSERT_EQ(8u, record.size());
  uint32_t word = 0;
  for (int i = 0; i < 4; ++i) word |= static_cast<uint32_t>(static_cast<unsigned char>(record[i])) << (8 * i);
  EXPECT_EQ(seed ^ key, word);
  // The text bytes, NUL included, are XORed with the keystream of the seed.
  Keystream521* ks = KeystreamCreate(seed);
  const char plain[] = "xyz";
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(static_cast<unsigned char>(plain[i] ^ KeystreamNextByte(ks)), static_cast<unsigned char>(record[4 + i]));
  KeystreamDestroy(ks);
}

TEST(Scrambler, RoundTripsTextsAndKeys) {
  std::vector<std::string> texts = {"a", "abc", "949", "Quorl Profile", "\xC4\xF9\xBF\xEF \x80\xFF\x01\x7F"};
  std::string longText;
  for (int i = 0; i < 3000; ++i) longText.push_back(static_cast<char>(1 + i % 255));
  texts.push_back(longText);
  for (const std::string& text : texts) {
    for (uint32_t key : {0u, 1u, 418762u, 2039746u, 0xFFFFFFFFu}) {
      for (uint32_t seed : {0u, 1700000000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(testing::Message() << "len " << text.size() << " key " << key << " seed " << seed);
        std::string scrambled = Scramble(text, key, seed);
        EXPECT_EQ(std::string::npos, scrambled.find_first_not_of(kAlphabet));
        char* plain = nullptr;
        ASSERT_EQ(1, ScrambleDecodeString(scrambled.c_str(), key, &plain));
        EXPECT_EQ(text, plain);
        ScrambleFreeString(plain);
      }
    }
  }
}

TEST(Scrambler, ClockSeededRoundTrip) {
  char* scrambled = nullptr;
  ASSERT_EQ(1, ScrambleEncodeString("launcher", 441397, &scrambled));
  char* plain = nullptr;
  ASSERT_EQ(1, ScrambleDecodeString(scrambled, 441397, &plain));
  EXPECT_STREQ("launcher", plain);
  ScrambleFreeString(plain);
  ScrambleFreeString(scrambled);
}

TEST(Scrambler, SameSecondSameSymbolsOtherSecondOther) {
  EXPECT_EQ(Scramble("Quorl", 418762, 1700000000), Scramble("Quorl", 418762, 1700000000));
  EXPECT_NE(Scramble("Quorl", 418762, 1700000000), Scramble("Quorl", 418762, 1700000001));
}

TEST(Scrambler, WrongKeyGivesOtherBytesNotAnError) {
  std::string scrambled = Scramble("profile", 418762, 1700000000);
  char* plain = nullptr;
  ASSERT_EQ(1, ScrambleDecodeString(scrambled.c_str(), 418763, &plain));
  EXPECT_NE(std::string("profile"), std::string(plain));
  ScrambleFreeString(plain);
}

TEST(Scrambler, RefusesBadInput) {
  char* out = reinterpret_cast<char*>(&out);  // not null, so that clearing shows
  EXPECT_EQ(0, ScrambleEncodeStringWithSeed("", 1, 2, &out));
  EXPECT_EQ(nullptr, out);
  out = reinterpret_cast<char*>(&out);
  EXPECT_EQ(0, ScrambleEncodeString(nullptr, 1, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(0, ScrambleEncodeString("abc", 1, nullptr));

  struct Case {
    const char* text;
    const char* why;
  } bad[] = {
      {"", "empty"},
      {"gI1XgI", "6 symbols give 4 bytes, no text byte"},
      {"gI1Xg", "5 symbols, lone final symbol"},
      {"*I1XgI1X", "first symbol invalid: nothing decodes"},
      {"gI1X*I1X", "stops after the seed word"},
  };
  for (const Case& c : bad) {
    SCOPED_TRACE(c.why);
    out = reinterpret_cast<char*>(&out);
    EXPECT_EQ(0, ScrambleDecodeString(c.text, 418762, &out));
    EXPECT_EQ(nullptr, out);
  }
  out = reinterpret_cast<char*>(&out);
  EXPECT_EQ(0, ScrambleDecodeString(nullptr, 1, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(0, ScrambleDecodeString("gI1XgI1X", 1, nullptr));
  ScrambleFreeString(nullptr);  // ignored
}

TEST(Scrambler, SevenSymbolsAreEnough) {
  // 7 symbols decode to 5 bytes: the seed word and one byte, which the
  // decoder hands back as a text of one byte (whatever the key makes of it).
  char* out = nullptr;
  ASSERT_EQ(1, ScrambleDecodeString("gI1XgIF", 418762, &out));
  ASSERT_NE(nullptr, out);
  EXPECT_LE(std::strlen(out), 1u);
  ScrambleFreeString(out);
}

TEST(Scrambler, TrailingNonSymbolsAreIgnored) {
  // The id file's first line may arrive with its line end still attached.
  std::string scrambled = Scramble("Quorl", 418762, 1700000000);
  for (const char* tail : {"\r\n", "\n", " junk", "*"}) {
    SCOPED_TRACE(testing::PrintToString(std::string(tail)));
    char* plain = nullptr;
    ASSERT_EQ(1, ScrambleDecodeString((scrambled + tail).c_str(), 418762, &plain));
    EXPECT_STREQ("Quorl", plain);
    ScrambleFreeString(plain);
  }
}

}  // namespace
