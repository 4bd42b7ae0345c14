// A stored registry value's bytes as the profile functions take them.
#include "framework/registry_value.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// The bytes in a block of exactly their size, so that a read past them is
// caught by the sanitizer.
std::unique_ptr<unsigned char[]> Exact(const std::string& bytes) {
  std::unique_ptr<unsigned char[]> block(new unsigned char[bytes.size() > 0 ? bytes.size() : 1]);
  for (size_t i = 0; i < bytes.size(); ++i) block[i] = static_cast<unsigned char>(bytes[i]);
  return block;
}

TEST(RegistryValue, OnlyAFourByteDwordIsANumber) {
  const struct {
    const char* name;
    uint32_t type;
    std::string bytes;
    bool ok;
    uint32_t value;
  } rows[] = {
      {"a DWORD", kRegDword, std::string("\x78\x56\x34\x12", 4), true, 0x12345678u},
      {"all bits", kRegDword, std::string("\xFF\xFF\xFF\xFF", 4), true, 0xFFFFFFFFu},
      {"one byte", kRegDword, std::string("\x05", 1), false, 0},
      {"no bytes", kRegDword, std::string(), false, 0},
      {"eight bytes", kRegDword, std::string("\x01\0\0\0\0\0\0\0", 8), false, 0},
      {"binary of four bytes", kRegBinary, std::string("\x01\0\0\0", 4), false, 0},
      {"a text", kRegSz, std::string("5\0", 2), false, 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    auto block = Exact(r.bytes);
    uint32_t value = 7;
    EXPECT_EQ(r.ok, RegistryDwordOf(r.type, block.get(), r.bytes.size(), &value));
    EXPECT_EQ(r.ok ? r.value : 7u, value);
  }
}

TEST(RegistryValue, TextsEndAtTheirFirstNulOrTheirLastByte) {
  const struct {
    const char* name;
    uint32_t type;
    bool expandToo;
    std::string bytes;
    bool ok;
    const char* text;
  } rows[] = {
      {"terminated", kRegSz, false, std::string("abc\0", 4), true, "abc"},
      {"without its terminator", kRegSz, false, std::string("abc", 3), true, "abc"},
      {"a NUL inside", kRegSz, false, std::string("ab\0cd", 5), true, "ab"},
      {"no bytes", kRegSz, false, std::string(), true, ""},
      {"an expand string taken as it stands", kRegExpandSz, true, std::string("%TEMP%\0", 7), true, "%TEMP%"},
      {"an expand string where only REG_SZ counts", kRegExpandSz, false, std::string("x\0", 2), false, ""},
      {"a DWORD", kRegDword, true, std::string("\x41\0\0\0", 4), false, ""},
      {"binary", kRegBinary, true, std::string("abc\0", 4), false, ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    auto block = Exact(r.bytes);
    CString text = "old";
    EXPECT_EQ(r.ok, RegistryTextOf(r.type, block.get(), r.bytes.size(), r.expandToo, &text));
    EXPECT_STREQ(r.ok ? r.text : "old", text);
  }
  // 100 KB without a terminator.
  const std::string big(100 * 1024, 'q');
  auto block = Exact(big);
  CString text;
  ASSERT_TRUE(RegistryTextOf(kRegSz, block.get(), big.size(), false, &text));
  EXPECT_EQ(static_cast<int>(big.size()), text.GetLength());
}

}  // namespace
