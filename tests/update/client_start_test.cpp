#include "update/client_start.h"

#include <gtest/gtest.h>

namespace {

struct FolderCase {
  const char* in;
  const char* out;
};

TEST(ClientStart, GameFolderGetsOneBackslashUnlessEmpty) {
  const FolderCase cases[] = {
      {"", ""},
      {"C:\\Games\\Quorl", "C:\\Games\\Quorl\\"},
      {"C:\\Games\\Quorl\\", "C:\\Games\\Quorl\\"},
      {"C:\\", "C:\\"},
  };
  for (const FolderCase& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_STREQ(c.out, EnsureTrailingBackslash(c.in));
  }
}

TEST(ClientStart, DoubleByteTrailByteIsNoBackslash) {
  const UINT before = AfxGetMbcsCodePage();
  AfxSetMbcsCodePage(932);
  // "表" in Shift-JIS is 0x95 0x5C: the folder still needs its backslash.
  EXPECT_STREQ("C:\\\x95\x5C\\", EnsureTrailingBackslash("C:\\\x95\x5C"));
  EXPECT_STREQ("C:\\\x95\x5C\\", FolderOfPath("C:\\\x95\x5C\\quorl.bin"));
  AfxSetMbcsCodePage(before);
}

TEST(ClientStart, WorkingFolderIsTheFolderOfTheFullPath) {
  const FolderCase cases[] = {
      {"C:\\Games\\Quorl\\quorl.bin", "C:\\Games\\Quorl\\"},   {"C:\\quorl.bin", "C:\\"}, {"C:quorl.bin", "C:\\"},
      {"\\\\server\\share\\quorl.bin", "\\\\server\\share\\"}, {"quorl.bin", ""},
  };
  for (const FolderCase& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_STREQ(c.out, FolderOfPath(c.in));
  }
}

TEST(ClientStart, CommandLineIsTheQuotedPathASpaceAndTheKey) {
  EXPECT_STREQ("\"C:\\Game Folder\\quorl.bin\" ", BuildClientCommandLine("C:\\Game Folder\\quorl.bin", "", nullptr));
  EXPECT_STREQ("\"C:\\G\\quorl.bin\" KEY-123", BuildClientCommandLine("C:\\G\\quorl.bin", "", "KEY-123"));
  EXPECT_STREQ("\"C:\\G\\quorl.bin\" xk", BuildClientCommandLine("C:\\G\\quorl.bin", "x", "k"));
  // Percent signs in a path are text, not conversions.
  EXPECT_STREQ("\"C:\\100%s\\quorl.bin\" ", BuildClientCommandLine("C:\\100%s\\quorl.bin", nullptr, nullptr));
  EXPECT_STREQ("quorl.bin", kClientFileName);
}

}  // namespace
