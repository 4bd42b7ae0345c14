// The server's notice: first component only, at most 8,192 bytes, a cut
// that never leaves half a UTF-8 sequence.
#include <gtest/gtest.h>

#include <string>

#include "update/notice_text.h"

namespace {

void Append(CNoticeText& n, const std::string& s, uint32_t id) { n.Append(s.data(), s.size(), id); }

TEST(NoticeText, KeepsOnlyTheFirstComponentsFragments) {
  CNoticeText n;
  Append(n, "", 10100);  // an empty fragment decides nothing
  EXPECT_EQ(0u, n.GetId());
  Append(n, "under ", 10000);
  Append(n, "ignored", 10100);
  Append(n, "maintenance", 10000);
  EXPECT_EQ("under maintenance", std::string(n.GetText()));
  EXPECT_EQ(10000u, n.GetId());
  n.Append(nullptr, 5, 10000);
  EXPECT_EQ(17u, n.GetLength());
  n.Clear();
  EXPECT_TRUE(n.IsEmpty());
  EXPECT_EQ(0u, n.GetId());
  Append(n, "x", 10100);
  EXPECT_EQ(10100u, n.GetId());
}

TEST(NoticeText, CutAtTheCapacityNeverSplitsASequence) {
  // "점" is three bytes.  Fragments split sequences as the server's chunks
  // do; only the cut at 8,192 bytes must not.
  const std::string jeom = "\xEC\xA0\x90";
  struct Row {
    const char* name;
    std::string fill;  // what comes before the last character
    std::string last;
    size_t kept;
  };
  const Row rows[] = {
      {"one byte of room for a three-byte character", std::string(8191, 'a'), jeom, 8191},
      {"two bytes of room", std::string(8190, 'a'), jeom, 8190},
      {"exactly room", std::string(8189, 'a'), jeom, 8192},
      {"one byte of room for a two-byte character", std::string(8191, 'a'), "\xC3\xA9", 8191},
      {"one byte of room for a four-byte character", std::string(8191, 'a'), "\xF0\x9F\x98\x80", 8191},
      {"three bytes of room for a four-byte character", std::string(8189, 'a'), "\xF0\x9F\x98\x80", 8189},
      {"ASCII cut anywhere", std::string(8191, 'a'), "bc", 8192},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    CNoticeText n;
    const std::string all = r.fill + r.last + "tail";
    // In fragments of 7 bytes, so that sequences straddle fragments.
    for (size_t off = 0; off < all.size(); off += 7) Append(n, all.substr(off, 7), 10100);
    EXPECT_EQ(r.kept, n.GetLength());
    EXPECT_EQ(all.substr(0, r.kept), std::string(n.GetText(), n.GetLength()));
    EXPECT_EQ('\0', n.GetText()[n.GetLength()]);
    EXPECT_TRUE(n.WasCut());
    // Nothing more after a cut, even what would fit.
    Append(n, "z", 10100);
    EXPECT_EQ(r.kept, n.GetLength());
  }
}

TEST(NoticeText, LongKoreanNoticeKeepsWholeCharacters) {
  std::string all;
  for (int i = 0; i < 3000; ++i) all += "\xEC\xA0\x90";  // 9,000 bytes
  CNoticeText n;
  for (size_t off = 0; off < all.size(); off += 2000) Append(n, all.substr(off, 2000), 10100);
  EXPECT_EQ(8190u, n.GetLength());
  EXPECT_EQ(n.GetLength(), Utf8CompleteLength(n.GetText(), n.GetLength()));
}

TEST(NoticeText, CompleteLengthOfEndings) {
  struct Row {
    std::string text;
    size_t complete;
  };
  const Row rows[] = {
      {"", 0},
      {"abc", 3},
      {"a\xEC", 1},
      {"a\xEC\xA0", 1},
      {"a\xEC\xA0\x90", 4},
      {"\xF0\x9F\x98", 0},
      {"\x80\x80", 2},  // stray continuation bytes are left as they are
      {"a\x80\x80\x80\x80", 5},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text.size());
    EXPECT_EQ(r.complete, Utf8CompleteLength(r.text.data(), r.text.size()));
  }
}

}  // namespace
