#include <windows.h>

#include "framework/afxcore_win.h"
#include "framework/cstring.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/framework/fw_test_res.h"

namespace {

// Text in the ANSI code page as the system converts it (949 in the test
// prefix, whose locale is Korean; asked, not assumed).
std::string Ansi(const wchar_t* text, int n = -1) {
  const int size = ::WideCharToMultiByte(CP_ACP, 0, text, n, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) ::WideCharToMultiByte(CP_ACP, 0, text, n, &out[0], size, nullptr, nullptr);
  if (n < 0 && !out.empty()) out.pop_back();  // the terminator
  return out;
}

// "재실행(&R)", as the string table holds it.
const wchar_t kKorean[] = L"\xC7AC\xC2E4\xD589(&R)";

TEST(CStringWin, LoadsStringsInTheAnsiCodePage) {
  const std::string korean = Ansi(kKorean);
  CString s;
  EXPECT_TRUE(s.LoadString(IDS_TEST_ASCII));
  EXPECT_STREQ("Quorl framework", s);
  EXPECT_TRUE(s.LoadString(IDS_TEST_KOREAN));
  EXPECT_STREQ(korean.c_str(), s);
  EXPECT_EQ(static_cast<int>(korean.size()), s.GetLength());
  // Long strings are not cut at some buffer size.
  EXPECT_TRUE(s.LoadString(IDS_TEST_LONG));
  EXPECT_EQ(260, s.GetLength());
  EXPECT_EQ(256, s.Find("-end"));
  // A missing string empties the target and says so.
  EXPECT_FALSE(s.LoadString(IDS_TEST_MISSING));
  EXPECT_TRUE(s.IsEmpty());
}

TEST(CStringWin, WideConversion) {
  EXPECT_STREQ(Ansi(kKorean).c_str(), CString(kKorean));
  EXPECT_STREQ(Ansi(kKorean, 1).c_str(), CString(kKorean, 1));
  EXPECT_STREQ("", CString(static_cast<const wchar_t*>(nullptr)));
  CString s;
  s = L"abc";
  EXPECT_STREQ("abc", s);
}

TEST(CStringWin, StepsOverKoreanCharacters) {
  // The default code page is the system's.
  EXPECT_EQ(::GetACP(), AfxGetMbcsCodePage());
  CString s(
      "\xB0"
      "a"
      "a");
  if (!::IsDBCSLeadByteEx(::GetACP(), 0xB0)) {
    EXPECT_EQ(1, s.Find('a')) << "a single-byte code page: every byte is a character";
    return;
  }
  // 0xB0 0x61 is one character; its trail byte is no 'a'.
  EXPECT_EQ(2, s.Find('a'));
  s.MakeUpper();
  EXPECT_STREQ(
      "\xB0"
      "aA",
      s);
}

}  // namespace
