#include "framework/cstring.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

namespace {

// "재실행" in code page 949: three double-byte characters.
const char kKoreanCp949[] = "\xC0\xE7\xBD\xC7\xC7\xE0";

// Forces a code page for one test and restores the default after it.
class CodePageScope {
 public:
  explicit CodePageScope(UINT cp) : m_saved(AfxGetMbcsCodePage()) { AfxSetMbcsCodePage(cp); }
  ~CodePageScope() { AfxSetMbcsCodePage(m_saved); }

 private:
  UINT m_saved;
};

std::string S(const CString& s) { return std::string(s.GetString(), static_cast<size_t>(s.GetLength())); }

TEST(CString, Construction) {
  EXPECT_EQ("", S(CString()));
  EXPECT_EQ("", S(CString(static_cast<const char*>(nullptr))));
  EXPECT_EQ("abc", S(CString("abc")));
  EXPECT_EQ("ab", S(CString("abcdef", 2)));
  EXPECT_EQ("", S(CString("abc", -1)));
  EXPECT_EQ("", S(CString(static_cast<const char*>(nullptr), 5)));
  EXPECT_EQ(std::string("a\0b", 3), S(CString("a\0b", 3)));
  EXPECT_EQ("xxx", S(CString('x', 3)));
  EXPECT_EQ("", S(CString('x', 0)));
  CString a("copy");
  CString b(a);
  b += "!";
  EXPECT_EQ("copy", S(a));
  EXPECT_EQ("copy!", S(b));
  EXPECT_TRUE(CString().IsEmpty());
  EXPECT_FALSE(a.IsEmpty());
  a.Empty();
  EXPECT_EQ(0, a.GetLength());
  EXPECT_STREQ("", static_cast<const char*>(a));
}

TEST(CString, AssignAndConcatenate) {
  CString s;
  s = "one";
  EXPECT_EQ("one", S(s));
  s = 'c';
  EXPECT_EQ("c", S(s));
  s = static_cast<const char*>(nullptr);
  EXPECT_EQ("", S(s));
  s = "ab";
  s += 'c';
  s += CString("de");
  s += static_cast<const char*>(nullptr);
  EXPECT_EQ("abcde", S(s));
  EXPECT_EQ("abcdefg", S(s + "fg"));
  EXPECT_EQ("_abcde", S("_" + s));
  EXPECT_EQ("abcde!", S(s + '!'));
  EXPECT_EQ("!abcde", S('!' + s));
  EXPECT_EQ("abcdeabcde", S(s + s));
  // Self-assignment through the pointer conversion.
  s = s.GetString() + 2;
  EXPECT_EQ("cde", S(s));
  s.Append("xyz", 2);
  s.AppendChar('!');
  EXPECT_EQ("cdexy!", S(s));
}

TEST(CString, IndexAccess) {
  CString s("abc");
  EXPECT_EQ('a', s[0]);
  EXPECT_EQ('c', s[size_t{2}]);
  EXPECT_EQ('\0', s.GetAt(3));  // the terminator
  EXPECT_THROW(s.GetAt(4), std::out_of_range);
  EXPECT_THROW(s.GetAt(-1), std::out_of_range);
  EXPECT_THROW(s[-1], std::out_of_range);
  s.SetAt(1, 'X');
  EXPECT_EQ("aXc", S(s));
  EXPECT_THROW(s.SetAt(3, 'y'), std::out_of_range);
  EXPECT_EQ("aXc", S(s));
}

TEST(CString, Comparisons) {
  struct Row {
    const char* a;
    const char* b;
    int cmp;
    int cmpNoCase;
  };
  const Row rows[] = {
      {"abc", "abc", 0, 0}, {"abc", "abd", -1, -1}, {"abd", "abc", 1, 1}, {"ABC", "abc", -1, 0}, {"abc", "ABCD", 1, -1},
      {"", "", 0, 0},       {"", "a", -1, -1},      {"\xC0", "a", 1, 1},  {"Z", "a", -1, 1},     {"a", "", 1, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.a) + " vs " + r.b);
    CString a(r.a);
    EXPECT_EQ(r.cmp, a.Compare(r.b));
    EXPECT_EQ(r.cmpNoCase, a.CompareNoCase(r.b));
    EXPECT_EQ(r.cmp == 0, a == r.b);
    EXPECT_EQ(r.cmp == 0, r.b == a);
    EXPECT_EQ(r.cmp == 0, a == CString(r.b));
    EXPECT_EQ(r.cmp != 0, a != r.b);
    EXPECT_EQ(r.cmp < 0, a < r.b);
    EXPECT_EQ(r.cmp > 0, a > CString(r.b));
    EXPECT_EQ(r.cmp <= 0, a <= r.b);
    EXPECT_EQ(r.cmp >= 0, r.b <= a);
  }
  EXPECT_EQ(1, CString("a").Compare(nullptr));
  EXPECT_EQ(0, CString().CompareNoCase(nullptr));
}

TEST(CString, CompareNoCaseKeepsDoubleByteCharactersApart) {
  CodePageScope cp(949);
  // Trail bytes 'A' and 'a' belong to different characters.
  EXPECT_NE(0, CString("\x81"
                       "A")
                   .CompareNoCase("\x81"
                                  "a"));
  EXPECT_EQ(0, CString("x\x81"
                       "Ay")
                   .CompareNoCase("X\x81"
                                  "AY"));
}

TEST(CString, Format) {
  CString s;
  s.Format("%u.%03u", 3u, 7u);
  EXPECT_EQ("3.007", S(s));
  s.AppendFormat(" %s=%d", "n", -12);
  EXPECT_EQ("3.007 n=-12", S(s));
  // Longer than any internal first try.
  std::string big(5000, 'q');
  s.Format("[%s]", big.c_str());
  EXPECT_EQ("[" + big + "]", S(s));
  // The arguments may point into the string itself.
  s = "abc";
  s.Format("%s-%s", s.GetString(), s.GetString());
  EXPECT_EQ("abc-abc", S(s));
  s.AppendFormat("%s", s.GetString());
  EXPECT_EQ("abc-abcabc-abc", S(s));
  s.Format("%s", "");
  EXPECT_TRUE(s.IsEmpty());
}

TEST(CString, Substrings) {
  const CString s("abcdef");
  struct Row {
    const char* what;
    CString got;
    const char* want;
  };
  const Row rows[] = {
      {"Left 2", s.Left(2), "ab"},      {"Left 0", s.Left(0), ""},
      {"Left -1", s.Left(-1), ""},      {"Left 99", s.Left(99), "abcdef"},
      {"Mid 2", s.Mid(2), "cdef"},      {"Mid 2,3", s.Mid(2, 3), "cde"},
      {"Mid 4,99", s.Mid(4, 99), "ef"}, {"Mid 6", s.Mid(6), ""},
      {"Mid -3,2", s.Mid(-3, 2), "ab"}, {"Mid 1,0", s.Mid(1, 0), ""},
      {"Mid 99,1", s.Mid(99, 1), ""},   {"Mid 1,INT_MAX", s.Mid(1, 0x7FFFFFFF), "bcdef"},
      {"Right 2", s.Right(2), "ef"},    {"Right 99", s.Right(99), "abcdef"},
      {"Right -2", s.Right(-2), ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(r.want, S(r.got));
  }
}

TEST(CString, Find) {
  const CString s("a\\b\\c.txt");
  EXPECT_EQ(1, s.Find('\\'));
  EXPECT_EQ(3, s.Find('\\', 2));
  EXPECT_EQ(-1, s.Find('\\', 4));
  EXPECT_EQ(-1, s.Find('z'));
  EXPECT_EQ(3, s.ReverseFind('\\'));
  EXPECT_EQ(-1, s.ReverseFind('z'));
  EXPECT_EQ(5, s.Find(".txt"));
  EXPECT_EQ(-1, s.Find(".txt", 6));
  EXPECT_EQ(2, s.Find("", 2));
  EXPECT_EQ(-1, s.Find("x", 99));
  EXPECT_EQ(-1, s.Find(static_cast<const char*>(nullptr)));
  EXPECT_EQ(0, s.Find("a", -5));
  EXPECT_EQ(5, s.FindOneOf(".,"));
  EXPECT_EQ(-1, s.FindOneOf("qz"));
  EXPECT_EQ(-1, s.FindOneOf(nullptr));
}

TEST(CString, SearchSkipsTrailBytes) {
  // In code page 932 the second byte of U+8868 (0x95 0x5C) is a backslash.
  CodePageScope cp(932);
  const CString path("dir\\\x95\\x.txt");
  EXPECT_EQ(3, path.Find('\\'));
  EXPECT_EQ(3, path.ReverseFind('\\'));
  EXPECT_EQ(-1, path.Find('\\', 4));
  EXPECT_EQ(-1, path.Find("\\x"));
  CString t(path);
  EXPECT_EQ(1, t.Replace('\\', '/'));
  EXPECT_EQ("dir/\x95\\x.txt", S(t));
  CString u("\x95\\");
  u.TrimRight('\\');
  EXPECT_EQ("\x95\\", S(u));
  // Natively there are no double-byte characters.
  AfxSetMbcsCodePage(0);
  EXPECT_EQ(5, path.ReverseFind('\\'));
}

TEST(CString, CaseMapping) {
  CString s("Hello, World 123");
  EXPECT_EQ("HELLO, WORLD 123", S(CString(s).MakeUpper()));
  EXPECT_EQ("hello, world 123", S(s.MakeLower()));
  CodePageScope cp(949);
  // Trail bytes in the ASCII letter range stay untouched.
  CString k(std::string(kKoreanCp949)
                .append("\x81"
                        "a"
                        "b")
                .c_str());
  k.MakeUpper();
  EXPECT_EQ(std::string(kKoreanCp949) +
                "\x81"
                "aB",
            S(k));
}

TEST(CString, Trim) {
  struct Row {
    const char* in;
    const char* trim;
    const char* left;
    const char* right;
  };
  const Row rows[] = {
      {"  ab c \t\r\n", "ab c", "ab c \t\r\n", "  ab c"},
      {"", "", "", ""},
      {" \t ", "", "", ""},
      {"x", "x", "x", "x"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.in);
    EXPECT_EQ(r.trim, S(CString(r.in).Trim()));
    EXPECT_EQ(r.left, S(CString(r.in).TrimLeft()));
    EXPECT_EQ(r.right, S(CString(r.in).TrimRight()));
  }
  EXPECT_EQ("b", S(CString("xxbxx").Trim('x')));
  EXPECT_EQ("bxx", S(CString("xxbxx").TrimLeft('x')));
  EXPECT_EQ("a", S(CString("\"a\"\r\n").Trim("\"\r\n")));
  EXPECT_EQ("path", S(CString("path\\\\").TrimRight("\\/")));
  EXPECT_EQ("ab", S(CString("ab").Trim(static_cast<const char*>(nullptr))));
}

TEST(CString, ReplaceRemoveInsertDelete) {
  CString s("a.b.c");
  EXPECT_EQ(2, s.Replace('.', '/'));
  EXPECT_EQ("a/b/c", S(s));
  EXPECT_EQ(2, s.Replace("/", "::"));
  EXPECT_EQ("a::b::c", S(s));
  EXPECT_EQ(0, s.Replace("zz", "y"));
  EXPECT_EQ(0, s.Replace("", "y"));
  EXPECT_EQ(0, s.Replace(static_cast<const char*>(nullptr), "y"));
  EXPECT_EQ(2, s.Replace("::", nullptr));
  EXPECT_EQ("abc", S(s));
  // Replacing with a longer text that contains the old one does not loop.
  EXPECT_EQ(0, s.Replace("", "x"));
  EXPECT_EQ(1, s.Replace("b", "bbb"));
  EXPECT_EQ(1, s.Replace("a", "aa"));
  EXPECT_EQ("aabbbc", S(s));
  // The argument may point into the string.
  EXPECT_EQ(1, s.Replace(s.GetString() + 5, "C"));
  EXPECT_EQ("aabbbC", S(s));
  EXPECT_EQ(3, s.Remove('b'));
  EXPECT_EQ("aaC", S(s));
  EXPECT_EQ(4, s.Insert(1, '-'));
  EXPECT_EQ(6, s.Insert(99, "!?"));
  EXPECT_EQ(7, s.Insert(-4, "<"));
  EXPECT_EQ("<a-aC!?", S(s));
  EXPECT_EQ(5, s.Delete(5, 9));
  EXPECT_EQ(4, s.Delete(0));
  EXPECT_EQ(4, s.Delete(99, 1));
  EXPECT_EQ(4, s.Delete(1, 0));
  EXPECT_EQ("a-aC", S(s));
}

TEST(CString, BufferAccess) {
  CString s("abc");
  char* p = s.GetBuffer(10);
  std::strcpy(p, "0123456789");  // 10 chars and the terminator
  s.ReleaseBuffer();
  EXPECT_EQ("0123456789", S(s));
  p = s.GetBuffer(2);  // never shrinks, keeps the contents
  EXPECT_STREQ("0123456789", p);
  s.ReleaseBuffer(4);
  EXPECT_EQ("0123", S(s));
  p = s.GetBuffer(8);
  p[0] = 'x';
  p[1] = '\0';
  s.ReleaseBuffer();
  EXPECT_EQ("x", S(s));
  p = s.GetBufferSetLength(3);
  EXPECT_EQ(3, s.GetLength());
  std::memcpy(p, "pqr", 3);
  EXPECT_EQ("pqr", S(s));
  // A length beyond the buffer is clamped, never read past it.
  s.GetBuffer(5);
  s.ReleaseBuffer(1000);
  EXPECT_EQ(5, s.GetLength());
  s.GetBufferSetLength(-2);
  EXPECT_EQ(0, s.GetLength());
}

TEST(CString, LeadByteTables) {
  EXPECT_TRUE(AfxIsLeadByteOf(949, 0xB0));
  EXPECT_FALSE(AfxIsLeadByteOf(949, 0x41));
  EXPECT_FALSE(AfxIsLeadByteOf(949, 0xFF));
  EXPECT_TRUE(AfxIsLeadByteOf(932, 0x95));
  EXPECT_FALSE(AfxIsLeadByteOf(932, 0xA5));  // half-width katakana
  EXPECT_FALSE(AfxIsLeadByteOf(1252, 0xC0));
  EXPECT_FALSE(AfxIsLeadByteOf(0, 0xB0));
}

}  // namespace
