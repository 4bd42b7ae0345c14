// Where a link's text lies in its control: the measure walk over single- and
// double-byte characters, and the placement by the alignment styles.
#include "skin/link_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every character 7 pixels wide, a double-byte one 12 and 15 high; the
// pieces measured are recorded.  Lead bytes are 0x81-0xFE.
class FixedMeasure : public CTextWrapTarget {
 public:
  bool IsLeadByte(uint8_t b) override { return b >= 0x81 && b <= 0xFE; }
  void Measure(const char* ch, int n, int* w, int* h) override {
    pieces.emplace_back(ch, static_cast<size_t>(n));
    *w = n == 2 ? 12 : 7;
    *h = n == 2 ? 15 : 13;
  }
  void DrawChar(int, int, const char*, int) override {}
  std::vector<std::string> pieces;
};

TEST(LinkText, MeasureWalksCharactersAndNeverPastTheEnd) {
  struct Case {
    const char* name;
    std::string text;
    int width, height;
    size_t pieces;
  } const cases[] = {
      {"empty", "", 0, 0, 0},
      {"single bytes", "http://a/", 63, 13, 9},
      {"a double-byte pair is one character", "a\xB0\xA1z", 26, 15, 3},
      {"a lead byte before the end counts one byte", "ab\xB0", 21, 13, 3},
      {"a lead byte alone", "\xB0", 7, 13, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FixedMeasure m;
    // The text sits at the end of its own buffer: AddressSanitizer sees a
    // read past the terminator.
    std::vector<char> buffer(c.text.begin(), c.text.end());
    buffer.push_back('\0');
    int32_t w = -1, h = -1;
    MeasureLinkText(m, buffer.data(), &w, &h);
    EXPECT_EQ(c.width, w);
    EXPECT_EQ(c.height, h);
    EXPECT_EQ(c.pieces, m.pieces.size());
  }
  FixedMeasure m;
  int32_t w = -1, h = -1;
  MeasureLinkText(m, nullptr, &w, &h);
  EXPECT_EQ(0, w);
  EXPECT_EQ(0, h);
}

TEST(LinkText, PlacementByAlignment) {
  const SkinRect client = {0, 0, 200, 40};
  struct Case {
    const char* name;
    uint32_t style;
    SkinRect clientRect;
    int32_t w, h;
    SkinRect expected;
  } const cases[] = {
      {"left, from the top", 0, client, 80, 16, {0, 0, 80, 16}},
      {"centred", kLinkStyleCenter, client, 80, 16, {60, 0, 140, 16}},
      {"centred, odd room rounds left", kLinkStyleCenter, client, 81, 16, {59, 0, 140, 16}},
      {"right end", kLinkStyleRight, client, 80, 16, {120, 0, 200, 16}},
      {"vertically centred", kLinkStyleCenterImage, client, 80, 16, {0, 12, 80, 28}},
      {"right and vertically centred", kLinkStyleRight | kLinkStyleCenterImage, client, 80, 16, {120, 12, 200, 28}},
      {"wider than the control: the control", 0, client, 300, 16, {0, 0, 200, 16}},
      {"wider, centred: the control", kLinkStyleCenter, client, 300, 16, {0, 0, 200, 16}},
      {"wider, right: the control", kLinkStyleRight, client, 300, 16, {0, 0, 200, 16}},
      {"higher than the control: cut at its bottom", 0, client, 80, 60, {0, 0, 80, 40}},
      {"higher, centred image: the control", kLinkStyleCenterImage, client, 80, 60, {0, 0, 80, 40}},
      {"other style bits do not move it", 0x100 /* SS_NOTIFY */, client, 80, 16, {0, 0, 80, 16}},
      {"an offset client", kLinkStyleRight, {10, 5, 110, 25}, 40, 10, {70, 5, 110, 15}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const SkinRect r = PlaceLinkText(c.style, c.clientRect, c.w, c.h);
    EXPECT_EQ(c.expected.left, r.left);
    EXPECT_EQ(c.expected.top, r.top);
    EXPECT_EQ(c.expected.right, r.right);
    EXPECT_EQ(c.expected.bottom, r.bottom);
  }
}

TEST(LinkText, OnlyTextStaticsAreColoured) {
  for (uint32_t type = 0; type <= kLinkStyleTypeMask; ++type) {
    SCOPED_TRACE(type);
    EXPECT_EQ(type <= kLinkStyleRight, IsLinkTextStyle(type | kLinkStyleCenterImage));
  }
}

}  // namespace
