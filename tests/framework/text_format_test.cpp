#include "framework/text_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct FormatCase {
  const char* format;
  std::vector<int> args;
  const char* text;
};

TEST(FormatTableText, FillsOnlyDecimalConversionsFromNumbers) {
  const FormatCase cases[] = {
      {"(%d:%d)", {6, 407}, "(6:407)"},          {"(%d)", {-2}, "(-2)"},
      {"(%d:%d)", {11, -1}, "(11:-1)"},          {"%d%%", {5}, "5%"},
      {"%s and %x stay", {1}, "%s and %x stay"}, {"%d %d", {1}, "1 0"},  // a conversion without an argument
      {"trailing %", {}, "trailing %"},          {"", {3}, ""},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.format);
    EXPECT_STREQ(c.text, FormatTableText(c.format, nullptr, c.args.data(), static_cast<int>(c.args.size())));
  }
  EXPECT_STREQ("", FormatTableText(nullptr, nullptr, nullptr, 0));
}

TEST(FormatTableText, PadsNumbersToTheirFieldWidth) {
  struct WidthCase {
    const char* format;
    std::vector<int> args;
    std::string expected;
  };
  const WidthCase cases[] = {
      {"%4dx%4d", {800, 600}, " 800x 600"},
      {"%4dx%4d", {12345, -7}, "12345x  -7"},  // a wider number is not cut
      {"%2dbit", {8}, " 8bit"},
      {"[%1d]", {42}, "[42]"},
      {"[%12d]", {-3}, "[          -3]"},
      {"[%99d]", {}, "[" + std::string(98, ' ') + "0]"},                // no argument: "0"
      {"%100d %05d %-4d %4x %4", {1, 2, 3}, "%100d %05d %-4d %4x %4"},  // not width conversions
  };
  for (const WidthCase& c : cases) {
    SCOPED_TRACE(c.format);
    EXPECT_EQ(c.expected,
              std::string(FormatTableText(c.format, nullptr, c.args.data(), static_cast<int>(c.args.size()))));
  }
  // The display-mode names of the settings dialog.
  const int fullScreen[] = {1024, 768, 32};
  EXPECT_STREQ("1024x 768 32bit 전체화면 표시", FormatTableText("%4dx%4d %2dbit %s", "전체화면 표시", fullScreen, 3));
  const int windowed[] = {800, 600};
  EXPECT_STREQ(" 800x 600 윈도우 표시", FormatTableText("%4dx%4d %s", "윈도우 표시", windowed, 2));
}

TEST(FormatTableText, FillsTextConversionsWithTheText) {
  struct TextCase {
    const char* format;
    const char* text;
    const char* expected;
  };
  const TextCase cases[] = {
      {"%s 환경설정", "Quorl", "Quorl 환경설정"},
      {"%s and %s", "A", "A and A"},  // every %s is the one text
      {"100%% %s", "B", "100% B"},
      {"(%d) %s", "C", "(0) C"},  // a number without an argument
      {"%s", nullptr, "%s"},      // no text: kept as it stands
      {"%x%", "D", "%x%"},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.format);
    EXPECT_STREQ(c.expected, FormatTableText(c.format, c.text));
  }
  // The check's message with a code: "%%" no longer breaks the number's place.
  const int code = 10061;
  EXPECT_STREQ("50%: (10061)", FormatTableText("50%%: (%d)", nullptr, &code, 1));
}

}  // namespace
