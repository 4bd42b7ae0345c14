// The resource-data file reader, its image cache and the packed-block
// unpacker.
#include "skin/graphic_data.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include "framework/byte_order.h"
#include "tests/skin/rdl_test_util.h"
#include "tools/mkskin/rdl_writer.h"

namespace {

constexpr uint32_t kLauncherFlags = 1;

std::vector<uint8_t> Bytes(const uint8_t* p, uint32_t n) { return std::vector<uint8_t>(p, p + n); }

// ---------------------------------------------------------------------------
// Count forms and the header length

struct CountCase {
  const char* name;
  uint32_t count;
  std::vector<uint8_t> countBytes;
  uint64_t headerLength;
};

class CountFormTest : public testing::TestWithParam<CountCase> {};

TEST_P(CountFormTest, HeaderLengthAndLastEntryPosition) {
  const CountCase& c = GetParam();
  // All entries but the last are empty; the last one holds four bytes that
  // must be found right after the header.
  CRdlWriter writer;
  for (uint32_t i = 0; i + 1 < c.count; ++i) writer.AddRaw(0, 0, {});
  writer.AddRaw(0, 0, {0xA1, 0xB2, 0xC3, 0xD4});
  const std::vector<uint8_t> file = writer.Build();

  ASSERT_GE(file.size(), c.countBytes.size());
  EXPECT_EQ(c.countBytes, std::vector<uint8_t>(file.begin(), file.begin() + c.countBytes.size()));
  EXPECT_EQ(c.headerLength + 4, file.size());

  CGraphicData data(20, 0);
  ASSERT_TRUE(data.OpenMemory(file.data(), file.size()));
  EXPECT_EQ(static_cast<int32_t>(c.count), data.GetCount());
  EXPECT_EQ(c.headerLength, data.GetHeaderLength());
  CGraphicDataHandle handle;
  ASSERT_TRUE(data.GetImage(static_cast<int32_t>(c.count - 1), &handle));
  EXPECT_EQ((std::vector<uint8_t>{0xA1, 0xB2, 0xC3, 0xD4}), Bytes(handle.data, handle.size));
}

INSTANTIATE_TEST_SUITE_P(
    Forms, CountFormTest,
    testing::Values(CountCase{"Three", 3, {3}, 1 + 24 + 4}, CountCase{"Short254", 254, {254}, 1 + 8 * 254 + 4},
                    CountCase{"Middle255", 255, {0xFF, 0xFF, 0x00}, 3 + 8 * 255 + 4},
                    CountCase{"Middle300", 300, {0xFF, 0x2C, 0x01}, 3 + 2400 + 4},
                    CountCase{"Middle65534", 65534, {0xFF, 0xFE, 0xFF}, 3 + 8 * 65534 + 4},
                    CountCase{"Long65535", 65535, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}, 7 + 8 * 65535 + 4}),
    [](const testing::TestParamInfo<CountCase>& info) { return std::string(info.param.name); });

TEST(GraphicData, ThreeEntryFileByHand) {
  // 3 entries: header 1 + 24 + 4 = 29 bytes, entry 0 at offset 0 starts at 29.
  std::vector<uint8_t> file = {3};
  AppendLe32(&file, 0);
  AppendLe16(&file, 0);
  AppendLe16(&file, 0);
  AppendLe32(&file, 2);
  AppendLe16(&file, 0);
  AppendLe16(&file, 0);
  AppendLe32(&file, 5);
  AppendLe16(&file, 0);
  AppendLe16(&file, 0);
  AppendLe32(&file, 6);
  ASSERT_EQ(29u, file.size());
  file.insert(file.end(), {'a', 'b', 'c', 'd', 'e', 'f'});

  CGraphicData data(20, 0);
  ASSERT_TRUE(data.OpenMemory(file.data(), file.size()));
  EXPECT_EQ(29u, data.GetHeaderLength());
  const std::vector<std::string> expected = {"ab", "cde", "f"};
  for (int32_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    CGraphicData::CDataIndex index;
    ASSERT_TRUE(data.GetIndex(i, &index));
    EXPECT_EQ(expected[static_cast<size_t>(i)].size(), index.size);
    CGraphicDataHandle handle;
    ASSERT_TRUE(data.GetImage(i, &handle));
    EXPECT_EQ(expected[static_cast<size_t>(i)], std::string(reinterpret_cast<const char*>(handle.data), handle.size));
  }
}

// ---------------------------------------------------------------------------
// Raw and packed entries

TEST(GraphicData, RawAndPackedEntriesGiveTheImageBytes) {
  const std::vector<uint8_t> raw = MakeIndexedImage(5, 3, 1);
  const std::vector<uint8_t> packed = MakeIndexedImage(64, 48, 2);
  CRdlWriter writer;
  writer.AddRaw(5, 3, raw);
  writer.AddPacked(64, 48, packed);
  const std::vector<uint8_t> file = writer.Build();

  CGraphicData data(20, kLauncherFlags);
  ASSERT_TRUE(data.OpenMemory(file.data(), file.size()));
  struct Row {
    int32_t entry;
    int32_t w;
    int32_t h;
    const std::vector<uint8_t>* bytes;
  };
  for (const Row& row : {Row{0, 5, 3, &raw}, Row{1, 64, 48, &packed}}) {
    SCOPED_TRACE(row.entry);
    int32_t w = -1, h = -1;
    EXPECT_TRUE(data.GetImageSize(row.entry, &w, &h));
    EXPECT_EQ(row.w, w);
    EXPECT_EQ(row.h, h);
    CGraphicDataHandle handle;
    ASSERT_TRUE(data.GetImage(row.entry, &handle));
    EXPECT_EQ(row.entry, handle.entry);
    EXPECT_EQ(row.w, handle.width);
    EXPECT_EQ(row.h, handle.height);
    EXPECT_EQ(&data, handle.owner);
    EXPECT_EQ(*row.bytes, Bytes(handle.data, handle.size));
  }
}

TEST(GraphicData, ImageSizeOfABadEntryIsZero) {
  CRdlWriter writer;
  writer.AddRaw(7, 9, MakeIndexedImage(7, 9, 0));
  const std::vector<uint8_t> file = writer.Build();
  CGraphicData data(20, kLauncherFlags);
  ASSERT_TRUE(data.OpenMemory(file.data(), file.size()));
  for (int32_t entry : {-1, 1, 1000}) {
    SCOPED_TRACE(entry);
    int32_t w = -1, h = -1;
    EXPECT_FALSE(data.GetImageSize(entry, &w, &h));
    EXPECT_EQ(0, w);
    EXPECT_EQ(0, h);
  }
}

TEST(GraphicData, OpensAFileOnDisk) {
  CRdlWriter writer;
  writer.AddPacked(16, 16, MakeIndexedImage(16, 16, 3));
  const std::string path = testing::TempDir() + "graphic_data_test.rdl";
  ASSERT_TRUE(writer.WriteFile(path));

  CGraphicData data(20, kLauncherFlags);
  ASSERT_TRUE(data.Open(path.c_str()));
  CGraphicDataHandle handle;
  ASSERT_TRUE(data.GetImage(0, &handle));
  EXPECT_EQ(MakeIndexedImage(16, 16, 3), Bytes(handle.data, handle.size));
  handle.Release();
  data.Close();
  EXPECT_FALSE(data.IsOpen());
  EXPECT_EQ(0, std::remove(path.c_str()));
}

TEST(GraphicData, MissingFileFailsToOpen) {
  CGraphicData data(20, kLauncherFlags);
  EXPECT_FALSE(data.Open((testing::TempDir() + "no-such-skin.rdl").c_str()));
  EXPECT_FALSE(data.Open(""));
  EXPECT_FALSE(data.Open(nullptr));
  EXPECT_FALSE(data.IsOpen());
  CGraphicDataHandle handle;
  EXPECT_FALSE(data.GetImage(0, &handle));
}

// ---------------------------------------------------------------------------
// Cache

std::vector<uint8_t> ManyImages(int count) {
  CRdlWriter writer;
  for (int i = 0; i < count; ++i) writer.AddRaw(2, 2, MakeIndexedImage(2, 2, static_cast<uint8_t>(i)));
  return writer.Build();
}

TEST(GraphicDataCache, SameEntryTwiceReadsTheFileOnce) {
  int reads = 0;
  CGraphicData data(20, kLauncherFlags);
  ASSERT_TRUE(data.OpenSource(std::unique_ptr<CGraphicDataSource>(new CCountingSource(ManyImages(3), &reads))));
  const int afterOpen = reads;

  CGraphicDataHandle first, second;
  ASSERT_TRUE(data.GetImage(1, &first));
  EXPECT_EQ(afterOpen + 1, reads);
  ASSERT_TRUE(data.GetImage(1, &second));
  EXPECT_EQ(afterOpen + 1, reads);
  EXPECT_EQ(first.data, second.data);
  EXPECT_EQ(2, data.GetRefCount(1));

  first.Release();
  EXPECT_EQ(1, data.GetRefCount(1));
  first.Release();  // an empty handle gives nothing back
  EXPECT_EQ(1, data.GetRefCount(1));
  second.Release();
  EXPECT_EQ(0, data.GetRefCount(1));
  // Unreferenced entries stay cached for the next draw.
  EXPECT_EQ(1, data.GetCachedCount());
  CGraphicDataHandle third;
  ASSERT_TRUE(data.GetImage(1, &third));
  EXPECT_EQ(afterOpen + 1, reads);
}

TEST(GraphicDataCache, HandleDestructorReleases) {
  CGraphicData data(20, kLauncherFlags);
  const std::vector<uint8_t> file = ManyImages(2);
  ASSERT_TRUE(data.OpenMemory(file.data(), file.size()));
  {
    CGraphicDataHandle handle;
    ASSERT_TRUE(data.GetImage(0, &handle));
    EXPECT_EQ(1, data.GetRefCount(0));
  }
  EXPECT_EQ(0, data.GetRefCount(0));
}

TEST(GraphicDataCache, ReleaseWithFreeFlagDropsTheLastReference) {
  CGraphicData data(20, kLauncherFlags);
  const std::vector<uint8_t> file = ManyImages(2);
  ASSERT_TRUE(data.OpenMemory(file.data(), file.size()));
  CGraphicDataHandle a, b;
  a.freeOnRelease = 1;
  b.freeOnRelease = 1;
  ASSERT_TRUE(data.GetImage(0, &a));
  ASSERT_TRUE(data.GetImage(0, &b));
  a.Release();
  EXPECT_EQ(1, data.GetRefCount(0));  // still held by b
  b.Release();
  EXPECT_EQ(-1, data.GetRefCount(0));
  EXPECT_EQ(0, data.GetCachedCount());
}

TEST(GraphicDataCache, SurplusReleaseDoesNotGoNegative) {
  CGraphicData data(20, kLauncherFlags);
  const std::vector<uint8_t> file = ManyImages(2);
  ASSERT_TRUE(data.OpenMemory(file.data(), file.size()));
  CGraphicDataHandle a;
  ASSERT_TRUE(data.GetImage(0, &a));
  a.Release();
  data.ReleaseImage(0, 0);
  data.ReleaseImage(1, 0);  // not cached: nothing happens
  EXPECT_EQ(0, data.GetRefCount(0));
  EXPECT_EQ(-1, data.GetRefCount(1));
}

TEST(GraphicDataCache, MostRecentlyUsedGoesToTheBack) {
  CGraphicData data(20, kLauncherFlags);
  const std::vector<uint8_t> file = ManyImages(4);
  ASSERT_TRUE(data.OpenMemory(file.data(), file.size()));
  for (int32_t i : {0, 1, 2, 0, 3, 3}) {
    CGraphicDataHandle h;
    ASSERT_TRUE(data.GetImage(i, &h));
  }
  EXPECT_EQ((std::vector<int32_t>{1, 2, 0, 3}), data.GetCacheOrder());
}

TEST(GraphicDataCache, ReferencedEntriesAreNeverEvicted) {
  constexpr int kLimit = 20;
  CGraphicData data(kLimit, kLauncherFlags);
  const std::vector<uint8_t> file = ManyImages(30);
  ASSERT_TRUE(data.OpenMemory(file.data(), file.size()));

  std::vector<std::unique_ptr<CGraphicDataHandle>> held;
  for (int32_t i = 0; i < kLimit; ++i) {
    held.emplace_back(new CGraphicDataHandle);
    ASSERT_TRUE(data.GetImage(i, held.back().get()));
  }
  EXPECT_EQ(kLimit, data.GetCachedCount());

  // All 20 are in use: the 21st is still added and the cache grows.
  held.emplace_back(new CGraphicDataHandle);
  ASSERT_TRUE(data.GetImage(kLimit, held.back().get()));
  EXPECT_EQ(kLimit + 1, data.GetCachedCount());
  for (int32_t i = 0; i <= kLimit; ++i) EXPECT_EQ(1, data.GetRefCount(i)) << i;
  // Every held pointer still shows its own bytes.
  for (int32_t i = 0; i <= kLimit; ++i) {
    EXPECT_EQ(MakeIndexedImage(2, 2, static_cast<uint8_t>(i)),
              Bytes(held[static_cast<size_t>(i)]->data, held[static_cast<size_t>(i)]->size));
  }

  // Release entries 0 to 4; the next add evicts the least recently used
  // unreferenced ones (0, then 1) until fewer than 20 remain, then adds.
  for (int32_t i = 0; i < 5; ++i) held[static_cast<size_t>(i)]->Release();
  CGraphicDataHandle next;
  ASSERT_TRUE(data.GetImage(25, &next));
  EXPECT_EQ(kLimit, data.GetCachedCount());
  EXPECT_EQ(-1, data.GetRefCount(0));
  EXPECT_EQ(-1, data.GetRefCount(1));
  for (int32_t i = 2; i < 5; ++i) EXPECT_EQ(0, data.GetRefCount(i)) << i;
  for (int32_t i = 5; i <= kLimit; ++i) EXPECT_EQ(1, data.GetRefCount(i)) << i;
  EXPECT_EQ(1, data.GetRefCount(25));
}

TEST(GraphicDataCache, ListEvictsFromTheLeastRecentlyUsedEnd) {
  CGraphicDataCashList list(3);
  for (int32_t i = 0; i < 3; ++i) list.Add(i, nullptr, 0);
  list.Find(0)->refCount = 1;           // 0 is in use
  list.MoveToMostRecent(list.Find(1));  // order 0, 2, 1
  list.Add(3, nullptr, 0);              // evicts 2: the oldest unreferenced
  EXPECT_EQ((std::vector<int32_t>{0, 1, 3}), list.GetOrder());
}

TEST(GraphicData, ReopenClearsTheCache) {
  CGraphicData data(20, kLauncherFlags);
  const std::vector<uint8_t> first = ManyImages(3);
  ASSERT_TRUE(data.OpenMemory(first.data(), first.size()));
  {
    CGraphicDataHandle h;
    ASSERT_TRUE(data.GetImage(2, &h));
  }
  EXPECT_EQ(1, data.GetCachedCount());
  const std::vector<uint8_t> second = ManyImages(1);
  ASSERT_TRUE(data.OpenMemory(second.data(), second.size()));
  EXPECT_EQ(0, data.GetCachedCount());
  EXPECT_EQ(1, data.GetCount());
  CGraphicDataHandle h;
  EXPECT_FALSE(data.GetImage(2, &h));
}

// ---------------------------------------------------------------------------
// Damaged files

// A sound three-entry file for the launcher's form: 0 raw 4 x 4, 1 packed
// 8 x 8, 2 raw 2 x 2.  Cases damage one part of it.
struct Sound {
  std::vector<uint8_t> image0 = MakeIndexedImage(4, 4, 10);
  std::vector<uint8_t> image1 = MakeIndexedImage(8, 8, 11);
  std::vector<uint8_t> image2 = MakeIndexedImage(2, 2, 12);
  std::vector<uint8_t> block1 = CRdlWriter::PackBlock(image1);

  // The file with entry 1 stored as the given bytes.
  std::vector<uint8_t> WithEntry1(const std::vector<uint8_t>& stored, uint16_t w = 8, uint16_t h = 8) const {
    CRdlWriter writer;
    writer.AddRaw(4, 4, image0);
    writer.AddRaw(w, h, stored);
    writer.AddRaw(2, 2, image2);
    return writer.Build();
  }
  std::vector<uint8_t> File() const { return WithEntry1(block1); }
};

constexpr size_t kOffset2 = 1 + 16;    // index record 2
constexpr size_t kEndOffset = 1 + 24;  // end offset
constexpr size_t kHeader = 29;

std::vector<uint8_t> Repacked(const std::vector<uint8_t>& block, const std::vector<uint8_t>& stream) {
  std::vector<uint8_t> out(12 + stream.size());
  std::copy(block.begin(), block.begin() + 12, out.begin());
  std::copy(stream.begin(), stream.end(), out.begin() + 12);
  PutLe32(out.data() + 8, static_cast<uint32_t>(stream.size()));
  return out;
}

struct DamageCase {
  const char* name;
  std::function<std::vector<uint8_t>(const Sound&)> make;
  bool opens;     // the index is sound, only the entry is not
  int32_t entry;  // the entry that must fail
};

class DamagedFileTest : public testing::TestWithParam<DamageCase> {};

TEST_P(DamagedFileTest, FailsAndKeepsWhatIsGood) {
  const DamageCase& c = GetParam();
  const Sound sound;
  const std::vector<uint8_t> file = c.make(sound);
  CGraphicData data(20, kLauncherFlags);
  const bool opened = data.OpenMemory(file.data(), file.size());
  EXPECT_EQ(c.opens, opened);
  if (!opened) {
    EXPECT_FALSE(data.IsOpen());
    EXPECT_EQ(0, data.GetCount());
    CGraphicDataHandle h;
    EXPECT_FALSE(data.GetImage(0, &h));
    return;
  }
  // A sound entry first, so that the failure has something to lose.
  CGraphicDataHandle good;
  ASSERT_TRUE(data.GetImage(0, &good));
  EXPECT_EQ(1, data.GetCachedCount());

  CGraphicDataHandle bad;
  EXPECT_FALSE(data.GetImage(c.entry, &bad));
  EXPECT_EQ(nullptr, bad.data);
  EXPECT_EQ(-1, bad.entry);
  EXPECT_EQ(1, data.GetCachedCount());
  EXPECT_EQ(1, data.GetRefCount(0));
  EXPECT_EQ(sound.image0, Bytes(good.data, good.size));
  // Asking again fails again and still caches nothing.
  EXPECT_FALSE(data.GetImage(c.entry, &bad));
  EXPECT_EQ(1, data.GetCachedCount());
  CGraphicDataHandle last;
  EXPECT_TRUE(data.GetImage(2, &last) || c.entry == 2);
}

std::vector<uint8_t> Cut(std::vector<uint8_t> v, size_t n) {
  v.resize(n);
  return v;
}

const DamageCase kDamageCases[] = {
    {"Empty", [](const Sound&) { return std::vector<uint8_t>(); }, false, 0},
    {"MiddleCountCut",
     [](const Sound&) {
       return std::vector<uint8_t>{0xFF, 0x03};
     },
     false, 0},
    {"LongCountCut",
     [](const Sound&) {
       return std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x01, 0x00};
     },
     false, 0},
    {"IndexCut", [](const Sound& s) { return Cut(s.File(), 1 + 12); }, false, 0},
    {"EndOffsetCut", [](const Sound& s) { return Cut(s.File(), 1 + 24 + 2); }, false, 0},
    {"CountFarLargerThanFile",
     [](const Sound&) {
       std::vector<uint8_t> v = {0xFF, 0xFF, 0xFF};
       AppendLe32(&v, 0x7FFFFFFF);
       v.resize(200, 0);
       return v;
     },
     false, 0},
    {"CountMaximal",
     [](const Sound&) {
       std::vector<uint8_t> v = {0xFF, 0xFF, 0xFF};
       AppendLe32(&v, 0xFFFFFFFF);
       v.resize(64, 0);
       return v;
     },
     false, 0},
    {"MiddleCountLargerThanFile",
     [](const Sound& s) {
       std::vector<uint8_t> v = {0xFF, 0xFE, 0xFF};
       std::vector<uint8_t> f = s.File();
       v.insert(v.end(), f.begin() + 1, f.end());
       return v;
     },
     false, 0},
    {"OffsetsDecreasing",
     [](const Sound& s) {
       std::vector<uint8_t> f = s.File();
       PutLe32(f.data() + kOffset2, 10);  // below offset 1 (the size of image 0)
       return f;
     },
     false, 0},
    {"OffsetPastEndOffset",
     [](const Sound& s) {
       std::vector<uint8_t> f = s.File();
       const uint32_t end = static_cast<uint32_t>(f.size() - kHeader);
       PutLe32(f.data() + kOffset2, end + 1);
       return f;
     },
     false, 0},
    {"EndOffsetPastFile",
     [](const Sound& s) {
       std::vector<uint8_t> f = s.File();
       PutLe32(f.data() + kEndOffset, static_cast<uint32_t>(f.size() - kHeader + 1));
       return f;
     },
     false, 0},
    {"EndOffsetWraps",
     [](const Sound& s) {
       std::vector<uint8_t> f = s.File();
       PutLe32(f.data() + kEndOffset, 0xFFFFFFFF);
       return f;
     },
     false, 0},
    {"DataCut",
     [](const Sound& s) {
       std::vector<uint8_t> f = s.File();
       return Cut(f, f.size() - 1);
     },
     false, 0},
    {"PackedSizeTooLarge",
     [](const Sound& s) {
       std::vector<uint8_t> b = s.block1;
       PutLe32(b.data() + 8, static_cast<uint32_t>(b.size() - 12 + 1));
       return s.WithEntry1(b);
     },
     true, 1},
    {"PackedSizeTooSmall",
     [](const Sound& s) {
       std::vector<uint8_t> b = s.block1;
       PutLe32(b.data() + 8, static_cast<uint32_t>(b.size() - 12 - 1));
       return s.WithEntry1(b);
     },
     true, 1},
    {"PackedSizeMaximal",
     [](const Sound& s) {
       std::vector<uint8_t> b = s.block1;
       PutLe32(b.data() + 8, 0xFFFFFFFF);
       return s.WithEntry1(b);
     },
     true, 1},
    {"UnpackedSizeAnnouncedLarger",
     [](const Sound& s) {
       std::vector<uint8_t> b = s.block1;
       PutLe32(b.data() + 4, static_cast<uint32_t>(s.image1.size() + 1));
       return s.WithEntry1(b);
     },
     true, 1},
    {"UnpackedSizeAnnouncedSmaller",
     [](const Sound& s) {
       std::vector<uint8_t> b = s.block1;
       PutLe32(b.data() + 4, static_cast<uint32_t>(s.image1.size() - 1));
       return s.WithEntry1(b);
     },
     true, 1},
    {"UnpackedSizeOverCap",
     [](const Sound& s) {
       std::vector<uint8_t> b = s.block1;
       PutLe32(b.data() + 4, kMaxUnpackedSize + 1);
       return s.WithEntry1(b);
     },
     true, 1},
    {"UnpackedSizeZero",
     [](const Sound& s) {
       std::vector<uint8_t> b = s.block1;
       PutLe32(b.data() + 4, 0);
       return s.WithEntry1(b);
     },
     true, 1},
    {"StreamCut",
     [](const Sound& s) {
       std::vector<uint8_t> stream(s.block1.begin() + 12, s.block1.end() - 6);
       return s.WithEntry1(Repacked(s.block1, stream));
     },
     true, 1},
    {"StreamChecksumCut",
     [](const Sound& s) {
       std::vector<uint8_t> stream(s.block1.begin() + 12, s.block1.end() - 2);
       return s.WithEntry1(Repacked(s.block1, stream));
     },
     true, 1},
    {"TrailingDataAfterStream",
     [](const Sound& s) {
       std::vector<uint8_t> stream(s.block1.begin() + 12, s.block1.end());
       stream.insert(stream.end(), {1, 2, 3});
       return s.WithEntry1(Repacked(s.block1, stream));
     },
     true, 1},
    {"CorruptStreamHeader",
     [](const Sound& s) {
       std::vector<uint8_t> b = s.block1;
       b[12] = 0x00;
       return s.WithEntry1(b);
     },
     true, 1},
    {"CorruptStreamBody",
     [](const Sound& s) {
       std::vector<uint8_t> b = s.block1;
       for (size_t i = 16; i < b.size() - 4; i += 3) b[i] ^= 0x5A;
       return s.WithEntry1(b);
     },
     true, 1},
    {"StreamWithPresetDictionary",
     [](const Sound& s) {
       // A zlib header with FDICT set and a valid check value.
       std::vector<uint8_t> stream = {0x78, 0xBB, 0, 0, 0, 1, 0x03, 0x00, 0, 0, 0, 1};
       std::vector<uint8_t> b = Repacked(s.block1, stream);
       return s.WithEntry1(b);
     },
     true, 1},
    {"MagicOnly",
     [](const Sound& s) { return s.WithEntry1(std::vector<uint8_t>(s.block1.begin(), s.block1.begin() + 4)); }, true,
     1},
    {"HeaderCut",
     [](const Sound& s) { return s.WithEntry1(std::vector<uint8_t>(s.block1.begin(), s.block1.begin() + 11)); }, true,
     1},
    {"RawTooShortForImage",
     [](const Sound& s) { return s.WithEntry1(std::vector<uint8_t>(s.image1.begin(), s.image1.end() - 1)); }, true, 1},
    {"PackedTooShortForImage",
     [](const Sound& s) { return s.WithEntry1(CRdlWriter::PackBlock(std::vector<uint8_t>(100, 7))); }, true, 1},
    {"LargeSizeTinyData", [](const Sound& s) { return s.WithEntry1(s.block1, 0xFFFF, 0xFFFF); }, true, 1},
    {"EmptyEntry", [](const Sound& s) { return s.WithEntry1({}); }, true, 1},
    {"EntryNegative", [](const Sound& s) { return s.File(); }, true, -1},
    {"EntryPastCount", [](const Sound& s) { return s.File(); }, true, 3},
    {"EntryFarPastCount", [](const Sound& s) { return s.File(); }, true, 0x7FFFFFFF},
};

INSTANTIATE_TEST_SUITE_P(Cases, DamagedFileTest, testing::ValuesIn(kDamageCases),
                         [](const testing::TestParamInfo<DamageCase>& info) { return std::string(info.param.name); });

TEST(GraphicData, SoundFixtureReadsBack) {
  const Sound sound;
  const std::vector<uint8_t> file = sound.File();
  CGraphicData data(20, kLauncherFlags);
  ASSERT_TRUE(data.OpenMemory(file.data(), file.size()));
  const std::vector<uint8_t>* images[] = {&sound.image0, &sound.image1, &sound.image2};
  for (int32_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    CGraphicDataHandle h;
    ASSERT_TRUE(data.GetImage(i, &h));
    EXPECT_EQ(*images[i], Bytes(h.data, h.size));
  }
}

TEST(GraphicData, BytesNeededPerForm) {
  EXPECT_EQ(4u * 3 + 1024, CGraphicData::GetImageBytesNeeded(1, 4, 3));
  EXPECT_EQ(4u * 3 + 768, CGraphicData::GetImageBytesNeeded(3, 4, 3));
  EXPECT_EQ(4u * 3 * 3, CGraphicData::GetImageBytesNeeded(2, 4, 3));
  EXPECT_EQ(4u * 3 * 4, CGraphicData::GetImageBytesNeeded(0, 4, 3));
  EXPECT_EQ(65535ull * 65535 * 4, CGraphicData::GetImageBytesNeeded(0, 65535, 65535));
}

// ---------------------------------------------------------------------------
// UnpackBlock

struct UnpackCase {
  const char* name;
  std::function<std::vector<uint8_t>()> make;
  int expected;
};

std::vector<uint8_t> SampleBytes() { return MakeIndexedImage(40, 30, 5); }
std::vector<uint8_t> SampleBlock() { return CRdlWriter::PackBlock(SampleBytes()); }
std::vector<uint8_t> SampleBlockWith(size_t pos, uint32_t v) {
  std::vector<uint8_t> b = SampleBlock();
  PutLe32(b.data() + pos, v);
  return b;
}

class UnpackBlockTest : public testing::TestWithParam<UnpackCase> {};

TEST_P(UnpackBlockTest, ResultCode) {
  const UnpackCase& c = GetParam();
  const std::vector<uint8_t> block = c.make();
  void* out = reinterpret_cast<void*>(1);
  uint32_t outLength = 77;
  const int rc = UnpackBlock(block.empty() ? "" : static_cast<const void*>(block.data()),
                             static_cast<uint32_t>(block.size()), &out, &outLength);
  EXPECT_EQ(c.expected, rc);
  if (rc == kUnpackDone) {
    EXPECT_EQ(SampleBytes(), Bytes(static_cast<uint8_t*>(out), outLength));
  } else {
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(0u, outLength);
  }
  EXPECT_EQ(0, UnpackFree(out));
}

const UnpackCase kUnpackCases[] = {
    {"Done", SampleBlock, kUnpackDone},
    {"EmptyBlock", [] { return std::vector<uint8_t>(); }, kUnpackBadArgs},
    {"NoMagic", [] { return SampleBytes(); }, kUnpackNotPacked},
    {"ShorterThanMagic",
     [] {
       return std::vector<uint8_t>{0x4D, 0x57};
     },
     kUnpackNotPacked},
    {"HeaderCut", [] { return Cut(SampleBlock(), 8); }, kUnpackBadArgs},
    {"PackedSizeMismatch", [] { return SampleBlockWith(8, 3); }, kUnpackBadArgs},
    {"UnpackedSizeZero", [] { return SampleBlockWith(4, 0); }, kUnpackBadArgs},
    {"UnpackedSizeOverCap", [] { return SampleBlockWith(4, 0xFFFFFFFF); }, kUnpackBadArgs},
    // More than deflate can give from the packed bytes: refused before the
    // block is allocated.
    {"UnpackedSizeBeyondDeflatesReach",
     [] {
       const std::vector<uint8_t> b = SampleBlock();
       return SampleBlockWith(4, static_cast<uint32_t>(b.size() - 12) * kMaxDeflateRatio + 1);
     },
     kUnpackBadArgs},
    {"CorruptHeader",
     [] {
       std::vector<uint8_t> b = SampleBlock();
       b[12] ^= 0xFF;
       return b;
     },
     Z_DATA_ERROR},
    {"StreamCut",
     [] {
       std::vector<uint8_t> b = SampleBlock();
       std::vector<uint8_t> stream(b.begin() + 12, b.end() - 20);
       return Repacked(b, stream);
     },
     Z_BUF_ERROR},
    {"ChecksumCut",
     [] {
       std::vector<uint8_t> b = SampleBlock();
       std::vector<uint8_t> stream(b.begin() + 12, b.end() - 1);
       return Repacked(b, stream);
     },
     Z_BUF_ERROR},
    {"AnnouncedLarger", [] { return SampleBlockWith(4, static_cast<uint32_t>(SampleBytes().size() + 1)); },
     Z_DATA_ERROR},
    {"AnnouncedSmaller", [] { return SampleBlockWith(4, static_cast<uint32_t>(SampleBytes().size() - 1)); },
     Z_DATA_ERROR},
    {"TrailingData",
     [] {
       std::vector<uint8_t> b = SampleBlock();
       std::vector<uint8_t> stream(b.begin() + 12, b.end());
       stream.push_back(0);
       return Repacked(b, stream);
     },
     Z_DATA_ERROR},
};

INSTANTIATE_TEST_SUITE_P(Codes, UnpackBlockTest, testing::ValuesIn(kUnpackCases),
                         [](const testing::TestParamInfo<UnpackCase>& info) { return std::string(info.param.name); });

// The densest stream zlib makes (zeros at level 9) stays within the bound
// by which damaged headers are refused.
TEST(UnpackBlock, TheDensestStreamStillUnpacks) {
  const std::vector<uint8_t> zeros(16u << 20, 0);
  const std::vector<uint8_t> block = CRdlWriter::PackBlock(zeros, 9);
  const uint32_t packed = static_cast<uint32_t>(block.size() - kPackedBlockHeader);
  EXPECT_GT(zeros.size() / packed, 1000u) << "not dense enough to test the bound";
  void* out = nullptr;
  uint32_t outLength = 0;
  ASSERT_EQ(kUnpackDone, UnpackBlock(block.data(), static_cast<uint32_t>(block.size()), &out, &outLength));
  EXPECT_EQ(zeros.size(), outLength);
  UnpackFree(out);
}

TEST(UnpackBlock, MissingPointersAreBadArguments) {
  const std::vector<uint8_t> block = SampleBlock();
  void* out = nullptr;
  uint32_t outLength = 0;
  const uint32_t n = static_cast<uint32_t>(block.size());
  EXPECT_EQ(kUnpackBadArgs, UnpackBlock(nullptr, n, &out, &outLength));
  EXPECT_EQ(kUnpackBadArgs, UnpackBlock(block.data(), n, nullptr, &outLength));
  EXPECT_EQ(kUnpackBadArgs, UnpackBlock(block.data(), n, &out, nullptr));
  EXPECT_EQ(0, UnpackFree(nullptr));
}

TEST(UnpackBlock, NotifiesAfterEveryStepAndAtTheEnd) {
  // Incompressible bytes, so that the stream needs several 8196-byte steps.
  std::vector<uint8_t> noise(40000);
  uint32_t x = 12345;
  for (uint8_t& b : noise) {
    x = x * 1103515245u + 12345u;
    b = static_cast<uint8_t>(x >> 24);
  }
  const std::vector<uint8_t> block = CRdlWriter::PackBlock(noise);
  struct Counter {
    int calls = 0;
    uint32_t lastMessage = 0;
  } counter;
  void* out = nullptr;
  uint32_t outLength = 0;
  ASSERT_EQ(kUnpackDone, UnpackBlock(
                             block.data(), static_cast<uint32_t>(block.size()), &out, &outLength,
                             [](void* ctx, uint32_t message) {
                               auto* c = static_cast<Counter*>(ctx);
                               ++c->calls;
                               c->lastMessage = message;
                             },
                             &counter, 0x8123));
  EXPECT_EQ(noise, Bytes(static_cast<uint8_t*>(out), outLength));
  UnpackFree(out);
  // At least ceil(40000 / 8196) = 5 steps, plus the final call.
  EXPECT_GE(counter.calls, 6);
  EXPECT_EQ(0x8123u, counter.lastMessage);
}

}  // namespace
