// The "PL" value's layers without the registry: good values of both
// versions, the field rules, and values cut short or damaged, which must be
// unreadable rather than read past their end or read as other versions.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/localize.h"
#include "tests/update/pl_encoder.h"
#include "update/version_store.h"

namespace {

const uint32_t kKey = GetServiceIdForCodePage(949);

struct Read {
  int result;
  uint32_t game;
  uint32_t launcher;
};

// Decodes from an exact-size heap copy without a terminator, so that a read
// past the stored bytes shows under the sanitizer.
Read Decode(const std::string& stored, uint32_t key = kKey) {
  std::vector<char> bytes(stored.begin(), stored.end());
  Read r{-1, 0xDEADBEEF, 0xDEADBEEF};
  r.result = DecodeInstalledVersions(bytes.data(), bytes.size(), key, &r.game, &r.launcher);
  return r;
}

TEST(VersionStore, GoodValues) {
  struct Case {
    const char* name;
    std::string stored;
    uint32_t game;
    uint32_t launcher;
  };
  pl_encoder::Options noOuterNul;
  noOuterNul.outerTerminator = false;
  pl_encoder::Options otherStart;
  otherStart.start = 0xFF;
  otherStart.seed = 12345;
  const Case cases[] = {
      {"both versions, final bar", pl_encoder::Encode(1002003, 2001000, kKey), 1002003, 2001000},
      {"without the final bar", pl_encoder::Wrap(pl_encoder::PlainFields(7, 8, kKey, false), kKey), 7, 8},
      {"upper-case digits", pl_encoder::Wrap(pl_encoder::PlainFields(0xABCDEF01, 5, kKey, true, true), kKey),
       0xABCDEF01, 5},
      {"versions 0", pl_encoder::Encode(0, 0, kKey), 0, 0},
      {"largest versions", pl_encoder::Encode(0xFFFFFFFF, 0xFFFFFFFF, kKey), 0xFFFFFFFF, 0xFFFFFFFF},
      {"no NUL after the scrambled text", pl_encoder::Encode(3, 4, kKey, noOuterNul), 3, 4},
      {"another start byte and seed", pl_encoder::Encode(1000000, 1001000, kKey, otherStart), 1000000, 1001000},
      {"text ends at a NUL", pl_encoder::Encode(5, 6, kKey) + std::string(1, '\0') + "garbage", 5, 6},
      // Fields written out by hand for key 441397 (0x0006BC35): 1.002.003
      // is 0x000F4A13, swapped 0x134A0F00; 2.001.000 is 0x001E8868,
      // swapped 0x68881E00.
      {"fields of known value", pl_encoder::Wrap("134cb335|97715dca|", kKey), 1002003, 2001000},
  };
  ASSERT_EQ(441397u, kKey) << "the hand-written fields are for this key";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_FALSE(c.stored.empty());
    const Read r = Decode(c.stored);
    EXPECT_EQ(1, r.result);
    EXPECT_EQ(c.game, r.game);
    EXPECT_EQ(c.launcher, r.launcher);
  }
}

TEST(VersionStore, FieldRules) {
  struct Case {
    const char* name;
    std::string plain;
    int fields;  // what DecodeScrambledValues parses
    uint32_t x0, x1;
  };
  const Case cases[] = {
      {"two fields", "12|34", 2, 0x12, 0x34},
      {"two fields, final bar", "12|34|", 2, 0x12, 0x34},
      {"single field", "12", 1, 0x12, 0},
      {"single field and bar", "12|", 1, 0x12, 0},
      {"nine digits shift the first out", "123456789|1", 2, 0x23456789, 1},
      {"a stray character reads as 0 twice", "zz", 2, 0, 0},
      {"stray after the first field", "5|z", 2, 5, 0},
      {"later text ignored", "1|2|3|garbage", 2, 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string stored = pl_encoder::Wrap(c.plain, kKey);
    uint32_t v[2] = {99, 99};
    std::vector<char> bytes(stored.begin(), stored.end());
    EXPECT_EQ(c.fields, DecodeScrambledValues(bytes.data(), bytes.size(), kKey, v, 2));
    EXPECT_EQ(c.x0, v[0]);
    EXPECT_EQ(c.x1, v[1]);
  }
  // One field fails the pair; the output holds the raw field read.
  const Read single = Decode(pl_encoder::Wrap("12|", kKey));
  EXPECT_EQ(0, single.result);
  EXPECT_EQ(0x12u, single.game);
  EXPECT_EQ(0u, single.launcher);
}

TEST(VersionStore, ParseHexFieldPositions) {
  uint32_t v = 1;
  const char text[] = "aB|c";
  const char* next = ParseHexField(text, &v);
  EXPECT_EQ(0xABu, v);
  EXPECT_EQ(text + 3, next);
  EXPECT_EQ(nullptr, ParseHexField(next, &v));
  EXPECT_EQ(0xCu, v);
  const char stray[] = "x1";
  EXPECT_EQ(stray, ParseHexField(stray, &v)) << "not consumed";
  EXPECT_EQ(0u, v);
}

TEST(VersionStore, CutShortIsUnreadableNeverAnotherVersion) {
  // Every shorter prefix of a stored value either still holds the whole
  // scrambled text (only the outer terminator lost) or is unreadable.
  for (bool outerNul : {true, false}) {
    pl_encoder::Options o;
    o.outerTerminator = outerNul;
    const std::string stored = pl_encoder::Encode(1234567, 7654321, kKey, o);
    int readable = 0;
    for (size_t n = 0; n < stored.size(); ++n) {
      SCOPED_TRACE(n);
      const Read r = Decode(stored.substr(0, n));
      if (r.result == 1) {
        ++readable;
        EXPECT_EQ(1234567u, r.game);
        EXPECT_EQ(7654321u, r.launcher);
      }
    }
    // Only the terminator's own symbol can go.
    EXPECT_EQ(outerNul ? 1 : 0, readable) << "outer terminator " << outerNul;
  }
}

TEST(VersionStore, DamagedOrUnreadable) {
  const std::string good = pl_encoder::Encode(1, 2, kKey);
  std::string badSymbol = good;
  badSymbol[good.size() / 2] = '*';
  struct Case {
    const char* name;
    std::string stored;
  };
  const Case cases[] = {
      {"empty", ""},
      {"starts with NUL", std::string(1, '\0') + good},
      {"a symbol outside the alphabet", badSymbol},
      {"a single symbol", "g"},
      {"only the start byte", "gA"},
      {"NUL right after the start byte", pl_encoder::Outer(std::string(1, '\0') + "gIFXgIFX")},
      {"over the length limit", good + std::string(kMaxStoredVersionText, '@')},
      {"a scrambled text of 4 bytes", pl_encoder::Outer("gI1XgA")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Read r = Decode(c.stored);
    EXPECT_EQ(0, r.result);
    EXPECT_EQ(0u, r.game);
    EXPECT_EQ(0u, r.launcher);
  }
  EXPECT_EQ(0, DecodeInstalledVersions(nullptr, 5, kKey, nullptr, nullptr));
}

TEST(VersionStore, WrongKeyGivesOtherVersionsOrNone) {
  const std::string stored = pl_encoder::Encode(1002003, 2001000, kKey);
  for (uint32_t key : {GetServiceIdForCodePage(932), GetServiceIdForCodePage(1252), 0u}) {
    SCOPED_TRACE(key);
    const Read r = Decode(stored, key);
    EXPECT_FALSE(r.result == 1 && r.game == 1002003u && r.launcher == 2001000u);
  }
}

}  // namespace
