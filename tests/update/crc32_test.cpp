// CRC-32: known answers, the byte-wise definition over many lengths and
// offsets, pieces against one call, and files read in 64 KB blocks.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "update/crc32.h"

namespace {

// The definition, one bit at a time: an oracle that shares no table or
// library with the code under test.
uint32_t BitwiseCrc32(const uint8_t* p, size_t n) {
  uint32_t r = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    r ^= p[i];
    for (int k = 0; k < 8; ++k) r = (r >> 1) ^ (0xEDB88320u & (0u - (r & 1u)));
  }
  return ~r;
}

std::vector<uint8_t> Pattern(size_t n, uint32_t seed) {
  std::vector<uint8_t> v(n);
  uint32_t x = seed;
  for (auto& b : v) {
    x = x * 1103515245u + 12345u;
    b = static_cast<uint8_t>(x >> 16);
  }
  return v;
}

uint32_t CrcOf(const void* data, int n) {
  CCrc32 crc;
  crc.Update(static_cast<const uint8_t*>(data), n);
  return crc.GetValue();
}

TEST(Crc32, KnownAnswers) {
  struct Case {
    const char* text;
    uint32_t crc;
  };
  // Published check values of CRC-32/ISO-HDLC.
  const Case cases[] = {
      {"", 0x00000000u},
      {"a", 0xE8B7BE43u},
      {"abc", 0x352441C2u},
      {"123456789", 0xCBF43926u},
      {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.crc, CrcOf(c.text, static_cast<int>(std::strlen(c.text))));
  }
  // 32 bytes of 0x00 and of 0xFF.
  const std::vector<uint8_t> zeros(32, 0x00), ones(32, 0xFF);
  EXPECT_EQ(0x190A55ADu, CrcOf(zeros.data(), 32));
  EXPECT_EQ(0xFF6CAB0Bu, CrcOf(ones.data(), 32));
}

TEST(Crc32, MatchesTheDefinitionAtEveryLengthAndOffset) {
  const std::vector<uint8_t> data = Pattern(4096 + 64, 7);
  for (size_t offset = 0; offset < 16; ++offset) {
    for (size_t n = 0; n <= 300; ++n) {
      ASSERT_EQ(BitwiseCrc32(data.data() + offset, n), CrcOf(data.data() + offset, static_cast<int>(n)))
          << "offset " << offset << " length " << n;
    }
  }
  for (size_t n : {1023u, 1024u, 1025u, 4095u, 4096u, 4097u}) {
    SCOPED_TRACE(n);
    EXPECT_EQ(BitwiseCrc32(data.data() + 3, n), CrcOf(data.data() + 3, static_cast<int>(n)));
  }
}

TEST(Crc32, PiecesGiveTheValueOfOneCall) {
  const std::vector<uint8_t> data = Pattern(200000, 11);
  const uint32_t whole = BitwiseCrc32(data.data(), data.size());
  for (size_t piece : {1u, 7u, 4096u, 65536u, 65537u}) {
    SCOPED_TRACE(piece);
    CCrc32 crc;
    for (size_t at = 0; at < data.size(); at += piece) {
      crc.Update(data.data() + at, static_cast<int>(std::min(piece, data.size() - at)));
    }
    EXPECT_EQ(whole, crc.GetValue());
  }
}

TEST(Crc32, EmptyAndNegativeLengthsChangeNothingAndResetStartsOver) {
  CCrc32 crc;
  crc.Update(reinterpret_cast<const uint8_t*>("123456789"), 9);
  crc.Update(reinterpret_cast<const uint8_t*>("x"), 0);
  crc.Update(reinterpret_cast<const uint8_t*>("x"), -5);
  crc.Update(nullptr, 10);
  EXPECT_EQ(0xCBF43926u, crc.GetValue());
  crc.Reset();
  EXPECT_EQ(0u, crc.GetValue());
  crc.Update(reinterpret_cast<const uint8_t*>("a"), 1);
  EXPECT_EQ(0xE8B7BE43u, crc.GetValue());
}

class Crc32File : public ::testing::Test {
 protected:
  void TearDown() override { std::remove(m_path.c_str()); }
  void Write(const std::vector<uint8_t>& data) {
    FILE* f = std::fopen(m_path.c_str(), "wb");
    ASSERT_NE(nullptr, f);
    if (!data.empty()) {
      ASSERT_EQ(data.size(), std::fwrite(data.data(), 1, data.size(), f));
    }
    std::fclose(f);
  }
  std::string m_path =
      std::string("crc32_test_") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".bin";
};

TEST_F(Crc32File, FilesAroundTheBlockSizeGiveTheirMemoryValue) {
  const size_t block = CCrc32::kFileBlock;
  for (size_t n : {size_t{0}, size_t{1}, block - 1, block, block + 1, 3 * block + 5}) {
    SCOPED_TRACE(n);
    const std::vector<uint8_t> data = Pattern(n, static_cast<uint32_t>(n));
    Write(data);
    CCrc32 crc;
    uint32_t error = 12345;
    ASSERT_TRUE(crc.UpdateFromFile(m_path.c_str(), &error));
    EXPECT_EQ(0u, error);
    EXPECT_EQ(BitwiseCrc32(data.data(), data.size()), crc.GetValue());
  }
}

TEST_F(Crc32File, AFileAddsToTheRunningValue) {
  Write({'5', '6', '7', '8', '9'});
  CCrc32 crc;
  crc.Update(reinterpret_cast<const uint8_t*>("1234"), 4);
  ASSERT_TRUE(crc.UpdateFromFile(m_path.c_str()));
  EXPECT_EQ(0xCBF43926u, crc.GetValue());
}

TEST_F(Crc32File, AMissingFileFailsWithTheSystemError) {
  CCrc32 crc;
  uint32_t error = 0;
  EXPECT_FALSE(crc.UpdateFromFile("no_such_folder/no_such_file.bin", &error));
  // ERROR_PATH_NOT_FOUND (3) on Windows, ENOENT (2) elsewhere: some code.
  EXPECT_NE(0u, error);
  EXPECT_FALSE(crc.UpdateFromFile("no_such_file.bin", nullptr));
  EXPECT_EQ(0u, crc.GetValue());  // nothing was added
}

}  // namespace
