// The portal hand-off against the real clipboard: the launch data read at
// start-up (bounded by its block, cleared after reading) and written back
// for the game client.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/portal.h"
#include "app/portal_cipher.h"

namespace {

const char kKey[] = "portal-key";

UINT PortalFormat() { return ::RegisterClipboardFormatA("Sabrix_ClipFormat"); }

std::string Encrypt(const std::string& text, const char* key = kKey) {
  std::string hex;
  EncryptPortalText(text.c_str(), key, &hex);
  return hex;
}

// Sets the given bytes, exactly as given (no terminator added), as the data
// of a clipboard format.
bool SetRaw(UINT format, const std::string& bytes) {
  if (!::OpenClipboard(nullptr)) return false;
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size() == 0 ? 1 : bytes.size());
  bool ok = false;
  if (block != nullptr) {
    void* p = ::GlobalLock(block);
    std::memcpy(p, bytes.data(), bytes.size());
    ::GlobalUnlock(block);
    ok = ::SetClipboardData(format, block) != nullptr;
    if (!ok) ::GlobalFree(block);
  }
  ::CloseClipboard();
  return ok;
}

// The data of a format as its whole block, or "<none>".
std::string GetRaw(UINT format) {
  std::string out = "<none>";
  if (!::OpenClipboard(nullptr)) return "<cannot open>";
  if (HANDLE h = ::GetClipboardData(format)) {
    const void* p = ::GlobalLock(h);
    if (p != nullptr) {
      out.assign(static_cast<const char*>(p), ::GlobalSize(h));
      ::GlobalUnlock(h);
    }
  }
  ::CloseClipboard();
  return out;
}

class PortalClipboard : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    ::CloseClipboard();
  }
};

TEST_F(PortalClipboard, PutThenGetAndTheTextOnTheClipboard) {
  ASSERT_TRUE(PutPortalClipboard("login.example,9070,a,b,c", kKey));
  // One block: the lower-case hex and its terminator.
  EXPECT_EQ(Encrypt("login.example,9070,a,b,c") + std::string(1, '\0'), GetRaw(PortalFormat()));
  char out[64];
  ASSERT_TRUE(GetPortalClipboard(out, sizeof out, kKey, false));
  EXPECT_STREQ("login.example,9070,a,b,c", out);
  // Not cleared: it reads again.
  ASSERT_TRUE(GetPortalClipboard(out, sizeof out, kKey, false));
}

TEST_F(PortalClipboard, ReadingWithClearLeavesNoData) {
  ASSERT_TRUE(PutPortalClipboard("h,1,a,b,c", kKey));
  char out[64];
  ASSERT_TRUE(GetPortalClipboard(out, sizeof out, kKey, true));
  EXPECT_EQ("<none>", GetRaw(PortalFormat()));
  EXPECT_FALSE(GetPortalClipboard(out, sizeof out, kKey, true));
}

TEST_F(PortalClipboard, DataWithoutTerminatorIsBoundedByItsBlock) {
  // Written by another program: exactly the hex digits, no terminator.
  ASSERT_TRUE(SetRaw(PortalFormat(), Encrypt("host,77,a,b,c") + "|" + Encrypt("more")));
  char out[64];
  ASSERT_TRUE(GetPortalClipboard(out, sizeof out, kKey, false));
  EXPECT_STREQ("host,77,a,b,cmore", out);

  // Without its terminator, a block that ends in the middle of a piece is
  // refused rather than read on.
  const std::string hex = Encrypt("host,77,a,b,c");
  ASSERT_TRUE(SetRaw(PortalFormat(), hex.substr(0, hex.size() - 2)));
  EXPECT_FALSE(GetPortalClipboard(out, sizeof out, kKey, true));
  EXPECT_NE("<none>", GetRaw(PortalFormat())) << "refused data is not cleared";
}

TEST_F(PortalClipboard, RefusedReads) {
  char out[64];
  EXPECT_FALSE(GetPortalClipboard(out, sizeof out, kKey, false)) << "no data";
  EXPECT_FALSE(GetPortalClipboard(nullptr, 10, kKey, false));
  EXPECT_FALSE(GetPortalClipboard(out, 0, kKey, false));

  ASSERT_TRUE(PutPortalClipboard("abcdefghijklmnopqrstuvwxyz", kKey));
  EXPECT_FALSE(GetPortalClipboard(out, 26, kKey, true)) << "26 characters need 27 bytes";
  EXPECT_TRUE(GetPortalClipboard(out, 27, kKey, false));

  // More than the 4,095 bytes of deciphered text the portal ever sends.
  const std::string big = Encrypt(std::string(2000, 'x'));
  ASSERT_TRUE(SetRaw(PortalFormat(), big + "|" + big + "|" + big + std::string(1, '\0')));
  std::vector<char> large(kPortalClipboardBufferSize);
  EXPECT_FALSE(GetPortalClipboard(large.data(), large.size() - 1, kKey, true));
}

TEST_F(PortalClipboard, WriteBackRefusedWhenItWouldNotFitItsBlock) {
  // 2,032 bytes encipher to 4,065 characters; 2,033 bytes to 4,097, which
  // with the terminator pass the 4,096-byte block.
  ASSERT_TRUE(SetRaw(CF_TEXT, std::string("user's text") + std::string(1, '\0')));
  EXPECT_TRUE(PutPortalClipboard(std::string(2032, 'a').c_str(), kKey));
  EXPECT_EQ(4066u, GetRaw(PortalFormat()).size());
  const std::string before = GetRaw(PortalFormat());
  EXPECT_FALSE(PutPortalClipboard(std::string(2033, 'b').c_str(), kKey));
  EXPECT_FALSE(PutPortalClipboard(std::string(4095, 'c').c_str(), kKey));
  EXPECT_FALSE(PutPortalClipboard("", kKey));
  EXPECT_FALSE(PutPortalClipboard(nullptr, kKey));
  EXPECT_EQ(before, GetRaw(PortalFormat())) << "a refused write leaves the data as it was";
  // The clipboard is not emptied: the user's text stays beside it.
  EXPECT_EQ(std::string("user's text") + std::string(1, '\0'), GetRaw(CF_TEXT).substr(0, 12));
}

TEST_F(PortalClipboard, LaunchArgumentReadsClearsAndHandsOff) {
  ASSERT_TRUE(PutPortalClipboard("portal.host,9123,f2,f3,client,f5", kKey));
  ASSERT_TRUE(ParseLaunchArgument(kKey));
  EXPECT_STREQ("portal.host", GetPortalHost());
  EXPECT_EQ(9123, GetPortalPort());
  EXPECT_TRUE(PortalHandsOffToClient());
  EXPECT_EQ("portal.host,9123,f2,f3,client,f5", GetPortalText());
  EXPECT_EQ(kKey, GetPortalLaunchKey());
  EXPECT_EQ("<none>", GetRaw(PortalFormat())) << "cleared after reading";

  // A second plain parameter finds no data: the record is emptied, text and
  // key keep what the first one read.
  EXPECT_FALSE(ParseLaunchArgument("second"));
  EXPECT_STREQ("", GetPortalHost());
  EXPECT_EQ(0, GetPortalPort());
  EXPECT_EQ("portal.host,9123,f2,f3,client,f5", GetPortalText());
  EXPECT_EQ(kKey, GetPortalLaunchKey());

  // The client start puts the text back, enciphered afresh with the key.
  ASSERT_TRUE(HandOffPortalData());
  EXPECT_EQ(Encrypt("portal.host,9123,f2,f3,client,f5") + std::string(1, '\0'), GetRaw(PortalFormat()));
}

TEST_F(PortalClipboard, LaunchArgumentRefusals) {
  struct Case {
    const char* name;
    std::string text;  // put on the clipboard under kKey; empty: nothing
    std::string argument;
    bool cleared;  // whether the clipboard data is gone afterwards
  };
  const Case cases[] = {
      {"no data", "", kKey, true},
      {"four fields", "h,1,a,b", kKey, true},
      {"17-character host", "0123456789abcdefg,1,a,b,c", kKey, true},
      {"key longer than the portal gives", "h,1,a,b,c", std::string(kPortalKeyMax + 1, 'k'), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    ASSERT_TRUE(AdoptPortalText("old.host,1,a,b,c", "old"));
    if (!c.text.empty()) {
      ASSERT_TRUE(PutPortalClipboard(c.text.c_str(), c.argument.substr(0, 16).c_str()));
    }
    EXPECT_FALSE(ParseLaunchArgument(c.argument.c_str()));
    EXPECT_STREQ("", GetPortalHost()) << "the record is emptied first";
    EXPECT_FALSE(PortalHandsOffToClient());
    EXPECT_EQ(c.cleared, GetRaw(PortalFormat()) == "<none>");
  }
}

TEST_F(PortalClipboard, HandOffNeedsTextAndKey) {
  ASSERT_FALSE(AdoptPortalText("", kKey));
  EXPECT_FALSE(HandOffPortalData());
  ASSERT_TRUE(AdoptPortalText("h,1,a,b,c", ""));
  EXPECT_FALSE(HandOffPortalData());
  EXPECT_EQ("<none>", GetRaw(PortalFormat()));
}

}  // namespace
