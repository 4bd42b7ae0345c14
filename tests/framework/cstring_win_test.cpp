#include <windows.h>

#include "framework/afxcore_win.h"
#include "framework/cstring.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/framework/fw_test_res.h"

namespace {

// "재실행(&R)" in code page 949, the test prefix's ANSI code page.
const char kKoreanCp949[] = "\xC0\xE7\xBD\xC7\xC7\xE0(&R)";

TEST(CStringWin, LoadsStringsInTheAnsiCodePage) {
  ASSERT_EQ(949u, GetACP());
  CString s;
  EXPECT_TRUE(s.LoadString(IDS_TEST_ASCII));
  EXPECT_STREQ("Quorl framework", s);
  EXPECT_TRUE(s.LoadString(IDS_TEST_KOREAN));
  EXPECT_STREQ(kKoreanCp949, s);
  EXPECT_EQ(10, s.GetLength());
  // Long strings are not cut at some buffer size.
  EXPECT_TRUE(s.LoadString(IDS_TEST_LONG));
  EXPECT_EQ(260, s.GetLength());
  EXPECT_EQ(256, s.Find("-end"));
  // A missing string empties the target and says so.
  EXPECT_FALSE(s.LoadString(IDS_TEST_MISSING));
  EXPECT_TRUE(s.IsEmpty());
}

TEST(CStringWin, WideConversion) {
  EXPECT_STREQ(kKoreanCp949, CString(L"\xC7AC\xC2E4\xD589(&R)"));
  EXPECT_STREQ("\xC0\xE7", CString(L"\xC7AC\xC2E4", 1));
  EXPECT_STREQ("", CString(static_cast<const wchar_t*>(nullptr)));
  CString s;
  s = L"abc";
  EXPECT_STREQ("abc", s);
}

TEST(CStringWin, StepsOverKoreanCharacters) {
  // The default code page is the system's: 949 here.
  EXPECT_EQ(949u, AfxGetMbcsCodePage());
  // 0xB0 0x61 is one character; its trail byte is no 'a'.
  CString s(
      "\xB0"
      "a"
      "a");
  EXPECT_EQ(2, s.Find('a'));
  s.MakeUpper();
  EXPECT_STREQ(
      "\xB0"
      "aA",
      s);
}

}  // namespace
