#include "tools/mkid/mkid.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "tests/support/files.h"

namespace {

bool Parse(std::vector<const char*> args, MkidOptions* o, std::string* error) {
  args.insert(args.begin(), "mkid");
  return ParseMkidArgs(static_cast<int>(args.size()), args.data(), o, error);
}

std::string TempPath(const char* name) {
  return testing::TempDir() + "mkid_test_" + std::to_string(getpid()) + "_" + name;
}

TEST(Mkid, RejectsBadArguments) {
  struct Case {
    std::vector<const char*> args;
    std::string error;
  } cases[] = {
      {{"--profile", "P", "-o", "f"}, "--codepage is required"},
      {{"--codepage", "949", "-o", "f"}, "--profile is required"},
      {{"--codepage", "949", "--profile", "P"}, "-o FILE is required"},
      {{"--codepage", "9x9", "--profile", "P", "-o", "f"}, "bad code page: 9x9"},
      {{"--codepage", "-1", "--profile", "P", "-o", "f"}, "bad code page: -1"},
      {{"--codepage", "949", "--key", "4294967296", "--profile", "P", "-o", "f"}, "bad key: 4294967296"},
      {{"--codepage", "949", "--seed", "", "--profile", "P", "-o", "f"}, "bad seed: "},
      {{"--codepage"}, "--codepage needs a value"},
      {{"--codepage", "949", "--profile", "P", "-o", "f", "--bogus"}, "unknown argument: --bogus"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    MkidOptions o;
    std::string error;
    EXPECT_FALSE(Parse(c.args, &o, &error));
    EXPECT_EQ(c.error, error);
  }
}

TEST(Mkid, DefaultsAndOptions) {
  MkidOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"--codepage", "949", "--profile", "QuorlKR", "-o", "out.id"}, &o, &error));
  EXPECT_EQ(949u, o.codePage);
  EXPECT_EQ("QuorlKR", o.profileName);
  EXPECT_EQ(418762u, o.key);
  EXPECT_FALSE(o.hasSeed);
  EXPECT_FALSE(o.textForm);
  EXPECT_FALSE(o.appendNul);
  EXPECT_EQ("out.id", o.outputPath);
  ASSERT_TRUE(
      Parse({"--codepage", "1", "--profile", "", "--key", "4294967295", "--seed", "7", "--text", "--nul", "-o", "x"},
            &o, &error));
  EXPECT_EQ(0xFFFFFFFFu, o.key);
  EXPECT_EQ(7u, o.seed);
  EXPECT_TRUE(o.hasSeed && o.textForm && o.appendNul);
}

TEST(Mkid, OutputsReadBack) {
  struct Case {
    const char* why;
    std::vector<const char*> args;
    std::string tail;  // what follows the record
    uint32_t key;      // the key the file is read with
  } cases[] = {
      {"id file", {"--seed", "1700000000"}, "\r\n", 418762},
      {"resource", {"--seed", "1700000000", "--nul"}, std::string("\0", 1), 418762},
      {"own key", {"--seed", "1", "--key", "441397"}, "\r\n", 441397},
      {"text form", {"--text"}, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::vector<const char*> args = {"--codepage", "949", "--profile", "QuorlKR", "-o", "f"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    MkidOptions o;
    std::string error, bytes;
    ASSERT_TRUE(Parse(args, &o, &error)) << error;
    ASSERT_TRUE(BuildMkidOutput(o, &bytes, &error)) << error;
    ASSERT_GE(bytes.size(), c.tail.size());
    EXPECT_EQ(c.tail, bytes.substr(bytes.size() - c.tail.size()));
    CLocalizeInfo info;
    if (o.appendNul)
      EXPECT_EQ(kLocalizeOk, info.DecodeRecord(bytes.data(), bytes.size(), c.key));
    else
      EXPECT_EQ(kLocalizeOk, info.LoadFromFileText(bytes.data(), bytes.size(), c.key));
    EXPECT_EQ(949u, info.GetCodePage());
    EXPECT_EQ("QuorlKR", info.GetProfileName());
  }
}

TEST(Mkid, FixedSeedIsReproducible) {
  MkidOptions o;
  std::string error, a, b, c;
  ASSERT_TRUE(Parse({"--codepage", "932", "--profile", "JP", "--seed", "5", "-o", "f"}, &o, &error));
  ASSERT_TRUE(BuildMkidOutput(o, &a, &error));
  ASSERT_TRUE(BuildMkidOutput(o, &b, &error));
  EXPECT_EQ(a, b);
  o.seed = 6;
  ASSERT_TRUE(BuildMkidOutput(o, &c, &error));
  EXPECT_NE(a, c);
}

TEST(Mkid, TextFormRefusesLineBreakInName) {
  MkidOptions o;
  std::string error, bytes = "untouched";
  ASSERT_TRUE(Parse({"--codepage", "949", "--profile", "a\nb", "--text", "-o", "f"}, &o, &error));
  EXPECT_FALSE(BuildMkidOutput(o, &bytes, &error));
  EXPECT_EQ("the text form cannot hold a profile name with a line break", error);
  EXPECT_EQ("untouched", bytes);
}

TEST(Mkid, MainWritesTheFile) {
  const std::string path = TempPath("Quorl.id");
  std::remove(path.c_str());
  const char* argv[] = {"mkid", "--codepage", "950", "--profile", "TW", "-o", path.c_str()};
  ASSERT_EQ(0, MkidMain(7, argv));
  std::string bytes = test_support::ReadWholeFile(path);
  CLocalizeInfo info;
  EXPECT_EQ(kLocalizeOk, info.LoadFromFileText(bytes.data(), bytes.size(), 418762));
  EXPECT_EQ(950u, info.GetCodePage());
  EXPECT_EQ("TW", info.GetProfileName());
  std::ifstream tmp(path + ".tmp");
  EXPECT_FALSE(tmp.good());  // the temporary was renamed away
  std::remove(path.c_str());
}

TEST(Mkid, MainFailsCleanly) {
  const char* usage[] = {"mkid", "--codepage", "950"};
  EXPECT_EQ(2, MkidMain(3, usage));
  // An output folder that does not exist: failure, and no file appears.
  const std::string path = TempPath("no-such-dir/Quorl.id");
  const char* argv[] = {"mkid", "--codepage", "950", "--profile", "TW", "-o", path.c_str()};
  EXPECT_EQ(1, MkidMain(7, argv));
  std::ifstream out(path);
  EXPECT_FALSE(out.good());
}

}  // namespace
