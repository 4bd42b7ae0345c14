// Wire integers, length codes, length-coded strings and the bounded reader.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "net/nte/nte.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(NteWire, PushAndPopIntegersBigEndian) {
  uint8_t b[8] = {};
  EXPECT_EQ(4, nte_binary_push_u32(b, 0, 8, 0x01020304u));
  EXPECT_EQ(6, nte_binary_push_u16(b, 4, 8, 0xA0B0));
  EXPECT_EQ(7, nte_binary_push_u8(b, 6, 8, 0x7F));
  EXPECT_EQ((Bytes{1, 2, 3, 4, 0xA0, 0xB0, 0x7F, 0}), Bytes(b, b + 8));
  uint32_t u32 = 0;
  uint16_t u16 = 0;
  uint8_t u8 = 0;
  EXPECT_EQ(4, nte_binary_pop_u32(b, 8, 0, &u32));
  EXPECT_EQ(0x01020304u, u32);
  EXPECT_EQ(6, nte_binary_pop_u16(b, 8, 4, &u16));
  EXPECT_EQ(0xA0B0, u16);
  EXPECT_EQ(7, nte_binary_pop_u8(b, 8, 6, &u8));
  EXPECT_EQ(0x7F, u8);
}

TEST(NteWire, ItemsOutsideTheBufferAreRefused) {
  uint8_t b[8] = {};
  uint32_t u32;
  uint16_t u16;
  uint8_t u8;
  struct Case {
    const char* name;
    int result;
  } cases[] = {
      {"push u32 at capacity - 3", nte_binary_push_u32(b, 5, 8, 1)},
      {"push u32 at a negative offset", nte_binary_push_u32(b, -1, 8, 1)},
      {"push u32 near INT_MAX", nte_binary_push_u32(b, 0x7FFFFFFE, 8, 1)},
      {"pop u8 at the length", nte_binary_pop_u8(b, 8, 8, &u8)},
      {"pop u16 at length - 1", nte_binary_pop_u16(b, 8, 7, &u16)},
      {"pop u32 at length - 3", nte_binary_pop_u32(b, 8, 5, &u32)},
      {"pop u32 from a negative offset", nte_binary_pop_u32(b, 8, -4, &u32)},
      {"pop u32 of a short buffer", nte_binary_pop_u32(b, 3, 0, &u32)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(NTE_ERR_NO_ROOM, c.result);
  }
  EXPECT_EQ(NTE_ERR_NO_ROOM, nte_get_last_error());
  EXPECT_EQ(8, nte_binary_pop_u32(b, 8, 4, &u32));
  EXPECT_EQ(0, nte_get_last_error());
}

TEST(NteWire, LengthCodeForms) {
  struct Case {
    const char* name;
    Bytes data;
    int used;
    uint32_t high, low;
  } cases[] = {
      {"one byte 0", {0}, 1, 0, 0},
      {"one byte 252", {252}, 1, 0, 252},
      {"253 with u32", {253, 0, 1, 0, 0}, 5, 0, 65536},
      {"253 short", {253, 0, 1}, NTE_ERR_TRUNCATED, 0, 0},
      {"253 alone", {253}, NTE_ERR_TRUNCATED, 0, 0},
      {"254 high 0", {254, 0, 0, 0, 0, 0, 0, 0, 7}, 9, 0, 7},
      {"254 high 1", {254, 0, 0, 0, 1, 0, 0, 0, 7}, 9, 1, 7},
      {"254 short", {254, 0, 0, 0, 0, 0, 0, 0}, NTE_ERR_TRUNCATED, 0, 0},
      {"255 refused", {255, 1, 2, 3, 4}, NTE_ERR_TOO_WIDE, 0, 0},
      {"empty input", {}, NTE_ERR_TRUNCATED, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    uint32_t high = 99, low = 99;
    int used = nte_read_length_code(c.data.data(), static_cast<int>(c.data.size()), &high, &low);
    EXPECT_EQ(c.used, used);
    EXPECT_EQ(c.used < 0 ? 0u : c.high, high);
    EXPECT_EQ(c.used < 0 ? 0u : c.low, low);
    EXPECT_EQ(c.used < 0 ? c.used : 0, nte_get_last_error());
  }
}

TEST(NteWire, PopBytesChecksEveryBound) {
  struct Case {
    const char* name;
    Bytes data;
    int offset;
    int capacity;
    int result;
    std::string text;
  } cases[] = {
      {"short form", {3, 'a', 'b', 'c', 'x'}, 0, 8, 4, "abc"},
      {"exactly the capacity", {3, 'a', 'b', 'c'}, 0, 3, 4, "abc"},
      {"one more than the capacity", {3, 'a', 'b', 'c'}, 0, 2, NTE_ERR_NO_ROOM, ""},
      {"253 form", {253, 0, 0, 0, 2, 'h', 'i'}, 0, 8, 7, "hi"},
      {"254 form high 0", {254, 0, 0, 0, 0, 0, 0, 0, 1, 'z'}, 0, 8, 10, "z"},
      {"254 form high 1", {254, 0, 0, 0, 1, 0, 0, 0, 1, 'z'}, 0, 8, NTE_ERR_TOO_WIDE, ""},
      {"255", {255, 'a'}, 0, 8, NTE_ERR_TOO_WIDE, ""},
      {"string past the end", {5, 'a', 'b'}, 0, 8, NTE_ERR_TRUNCATED, ""},
      {"huge 253 length", {253, 0xFF, 0xFF, 0xFF, 0xFF, 'a'}, 0, 8, NTE_ERR_TRUNCATED, ""},
      {"code cut off", {253, 0}, 0, 8, NTE_ERR_TRUNCATED, ""},
      {"offset at the end", {1, 'a'}, 2, 8, NTE_ERR_TRUNCATED, ""},
      {"offset past the end", {1, 'a'}, 9, 8, NTE_ERR_TRUNCATED, ""},
      {"negative offset", {1, 'a'}, -1, 8, NTE_ERR_NO_ROOM, ""},
      {"empty string", {0, 'q'}, 0, 0, 1, ""},
      {"at an offset", {9, 2, 'o', 'k'}, 1, 8, 4, "ok"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    uint8_t out[8];
    std::memset(out, '#', sizeof out);
    int cap = c.capacity;
    int r = nte_binary_pop_bytes(c.data.data(), static_cast<int>(c.data.size()), c.offset, out, &cap);
    EXPECT_EQ(c.result, r);
    if (r >= 0) {
      EXPECT_EQ(c.text, std::string(reinterpret_cast<char*>(out), static_cast<size_t>(cap)));
    } else {
      EXPECT_EQ(c.capacity, cap) << "a failure leaves the capacity alone";
      EXPECT_EQ('#', out[0]) << "and copies nothing";
    }
  }
}

TEST(NteWire, PushBytesUsesTheShortestCode) {
  uint8_t b[300];
  std::string s(252, 'x');
  EXPECT_EQ(253, nte_binary_push_bytes(b, 0, sizeof b, s.data(), 252));
  EXPECT_EQ(252, b[0]);
  s += 'y';
  EXPECT_EQ(258, nte_binary_push_bytes(b, 0, sizeof b, s.data(), 253));
  EXPECT_EQ(253, b[0]);
  int cap = 300;
  uint8_t out[300];
  EXPECT_EQ(258, nte_binary_pop_bytes(b, 258, 0, out, &cap));
  EXPECT_EQ(253, cap);
  EXPECT_EQ(NTE_ERR_NO_ROOM, nte_binary_push_bytes(b, 0, 257, s.data(), 253));
}

TEST(NteReader, StickyErrorAndNeverPastTheRecord) {
  const uint8_t rec[] = {0x12, 0x34, 0x56, 2, 'o', 'k', 0xAA};
  nte_reader r;
  nte_reader_init(&r, rec, sizeof rec);
  EXPECT_EQ(0x12, nte_reader_u8(&r));
  EXPECT_EQ(0x3456, nte_reader_u16(&r));
  const uint8_t* view = nullptr;
  EXPECT_EQ(2, nte_reader_bytes_view(&r, &view, 16));
  EXPECT_EQ(0, std::memcmp(view, "ok", 2));
  EXPECT_EQ(1, nte_reader_remaining(&r));
  // Only one byte is left: the u32 fails as the wire-integer readers do,
  // gives 0, and every later read fails with that first code.
  EXPECT_EQ(0u, nte_reader_u32(&r));
  EXPECT_EQ(NTE_ERR_NO_ROOM, nte_reader_error(&r));
  const uint8_t* late = rec;
  EXPECT_EQ(0, nte_reader_bytes_view(&r, &late, 16));
  EXPECT_EQ(nullptr, late);
  EXPECT_EQ(0, nte_reader_u8(&r));
  EXPECT_EQ(NTE_ERR_NO_ROOM, nte_reader_error(&r));
  EXPECT_EQ(0, nte_reader_remaining(&r));
}

TEST(NteReader, StringLimits) {
  const uint8_t rec[] = {4, 'a', 'b', 'c', 'd'};
  struct Case {
    const char* name;
    int capacity;
    int length;
    int error;
  } cases[] = {
      {"room to spare", 8, 4, 0},
      {"exact room", 4, 4, 0},
      {"too little room", 3, 0, NTE_ERR_NO_ROOM},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    nte_reader r;
    nte_reader_init(&r, rec, sizeof rec);
    uint8_t out[8] = {};
    EXPECT_EQ(c.length, nte_reader_bytes(&r, out, c.capacity));
    EXPECT_EQ(c.error, nte_reader_error(&r));
  }
  nte_reader r;
  nte_reader_init(&r, rec, 3);  // the record ends inside the string
  uint8_t out[8];
  EXPECT_EQ(0, nte_reader_bytes(&r, out, 8));
  EXPECT_EQ(NTE_ERR_TRUNCATED, nte_reader_error(&r));
  nte_reader_init(&r, nullptr, 5);
  EXPECT_EQ(0, nte_reader_u8(&r));
  EXPECT_EQ(NTE_ERR_NO_ROOM, nte_reader_error(&r));
  nte_reader_init(&r, rec, sizeof rec);
  nte_reader_skip(&r, 6);
  EXPECT_EQ(NTE_ERR_NO_ROOM, nte_reader_error(&r));
}

}  // namespace
