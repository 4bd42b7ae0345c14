// Images in files and archives: Load and Save round trips for each bit
// count, Save's refusals with their messages and no half-written file,
// the prompt for a missing path, Serialize through an archive between
// other data, and packed DIBs used in place.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "framework/afxfile.h"
#include "skin/dib.h"
#include "tests/support/files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace {

using test_support::ReadWholeFile;
using test_support::WriteWholeFile;

bool Exists(const std::string& path) {
  CFileStatus status;
  return CFile::GetStatus(path.c_str(), status) != FALSE;
}

void RemoveIfThere(const std::string& path) {
#ifdef _WIN32
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
#else
  ::chmod(path.c_str(), 0644);
#endif
  std::remove(path.c_str());
}

void MakeReadOnly(const std::string& path) {
#ifdef _WIN32
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
#else
  ::chmod(path.c_str(), 0444);
#endif
}

// Records what Load and Save ask and show; answers with a fixed path (an
// empty one cancels).
class CRecordingPrompt : public CImageFilePrompt {
 public:
  explicit CRecordingPrompt(std::string answer = "") : m_answer(std::move(answer)) {
    m_previous = SetImageFilePrompt(this);
  }
  ~CRecordingPrompt() override { SetImageFilePrompt(m_previous); }
  BOOL AskPath(BOOL save, CString* path) override {
    asked.push_back(save != FALSE);
    if (m_answer.empty()) return FALSE;
    *path = m_answer.c_str();
    return TRUE;
  }
  void ShowMessage(const char* text) override { messages.emplace_back(text); }

  std::vector<bool> asked;
  std::vector<std::string> messages;

 private:
  std::string m_answer;
  CImageFilePrompt* m_previous;
};

// A w x h image of the bit count (negative h: top-down) with every byte of
// its rows, padding included, set from seed; 8 bits and below get a colour
// table.
void MakeImage(CDIB& d, uint16_t bits, int w, int h, int seed) {
  SkinBitmapInfoHeader hd = {40, w, h, 1, bits, 0, 0, 0, 0, 0, 0};
  std::vector<uint8_t> info(40 + 1024, 0);
  std::memcpy(info.data(), &hd, 40);
  for (int i = 0; i < 1024; ++i) info[40 + i] = static_cast<uint8_t>(i * 3 + seed);
  d.CreateFromHeader(info.data(), nullptr);
  for (uint32_t i = 0; i < d.GetImageSize(); ++i) d.GetBits()[i] = static_cast<uint8_t>(i * 7 + seed);
}

// Whether two images show the same rows (top row first), whatever the
// order in memory.
void ExpectSamePicture(CDIB& a, CDIB& b) {
  ASSERT_EQ(a.GetWidth(), b.GetWidth());
  ASSERT_EQ(a.GetHeight(), b.GetHeight());
  ASSERT_EQ(a.GetBitCount(), b.GetBitCount());
  ASSERT_EQ(a.GetRowBytes(), b.GetRowBytes());
  for (int y = 0; y < a.GetHeight(); ++y)
    EXPECT_EQ(0, std::memcmp(a.GetPixelAddress(0, y), b.GetPixelAddress(0, y), a.GetRowBytes())) << "row " << y;
  uint32_t n = GetColourCount(a.GetHeader());
  if (n > 256) n = 0;
  EXPECT_EQ(0, std::memcmp(a.GetColourTable(), b.GetColourTable(), 4 * n));
}

struct Shape {
  uint16_t bits;
  int w, h;
} const kShapes[] = {{1, 13, 3}, {4, 5, 4}, {8, 7, 3}, {16, 3, 5}, {16, 5, -3}, {24, 5, 2}, {32, 2, 3}};

TEST(ImageFiles, SaveThenLoadEachBitCount) {
  CRecordingPrompt prompt;
  const std::string path = "dib_file_test_round.bmp";
  for (const Shape& s : kShapes) {
    SCOPED_TRACE(testing::Message() << s.bits << " bits " << s.w << "x" << s.h);
    CDIB a;
    MakeImage(a, s.bits, s.w, s.h, s.bits);
    ASSERT_TRUE(a.Save(path.c_str()));
    EXPECT_FALSE(Exists(path + ".saving")) << "no scratch file left";
    CDIB b;
    b.CreateBlank(1, 1, nullptr);
    ASSERT_TRUE(b.Load(path.c_str()));
    ExpectSamePicture(a, b);
    EXPECT_EQ(0u, b.GetFlags() & CDIB::kTopDown) << "read rows are bottom-up";
  }
  EXPECT_TRUE(prompt.asked.empty());
  EXPECT_TRUE(prompt.messages.empty());
  RemoveIfThere(path);
}

TEST(ImageFiles, LoadRefusesBadFilesAndKeepsThePicture) {
  CDIB good;
  MakeImage(good, 8, 4, 3, 1);
  CMemFile f;
  ASSERT_TRUE(good.Write(&f));
  std::string bytes(static_cast<size_t>(f.GetLength()), '\0');
  f.SeekToBegin();
  f.Read(&bytes[0], static_cast<UINT>(bytes.size()));
  std::string damaged = bytes, huge = bytes;
  damaged[0] = 'X';
  huge[18] = huge[19] = huge[20] = huge[21] = 0x7F;  // a width beyond what the reader takes
  struct Case {
    const char* name;
    std::string contents;  // none: the file does not exist
    bool write;
  } const cases[] = {
      {"missing", "", false}, {"empty", "", true}, {"damaged", damaged, true}, {"truncated", bytes.substr(0, 70), true},
      {"huge", huge, true},
  };
  const std::string path = "dib_file_test_bad.bmp";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RemoveIfThere(path);
    if (c.write) {
      ASSERT_TRUE(WriteWholeFile(path, c.contents));
    }
    CDIB d;
    MakeImage(d, 16, 2, 2, 9);
    const uint8_t* before = d.GetBits();
    const uint8_t first = before[0];
    EXPECT_FALSE(d.Load(path.c_str()));
    EXPECT_EQ(2, d.GetWidth());
    EXPECT_EQ(before, d.GetBits());
    EXPECT_EQ(first, d.GetBits()[0]);
  }
  RemoveIfThere(path);
}

TEST(ImageFiles, SaveRefusalsShowTheirMessageAndLeaveNoFile) {
  CDIB image;
  MakeImage(image, 16, 4, 4, 3);
  CDIB empty;  // no header: writing it fails
  const std::string old = "the file as it was";
  const std::string existing = "dib_file_test_existing.bmp";
  const std::string folder = "dib_file_test_folder.bmp";
  RemoveIfThere(existing);
  ASSERT_TRUE(WriteWholeFile(existing, old));
#ifdef _WIN32
  ::CreateDirectoryA(folder.c_str(), nullptr);
#else
  ::mkdir(folder.c_str(), 0755);
#endif
  struct Case {
    const char* name;
    CDIB* dib;
    std::string path;
    const char* message;
  } const cases[] = {
      {"a folder that does not exist", &image, "dib_file_test_no_such_folder/x.bmp", kImageFileOpenFailedText},
      {"a folder in the way", &image, folder, kImageFileOpenFailedText},
      {"the writing fails over an existing file", &empty, existing, kImageFileSaveFailedText},
      {"the writing fails on a new file", &empty, "dib_file_test_new.bmp", kImageFileSaveFailedText},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const bool existed = Exists(c.path);
    CRecordingPrompt prompt;
    EXPECT_FALSE(c.dib->Save(c.path.c_str()));
    EXPECT_EQ(std::vector<std::string>{c.message}, prompt.messages);
    EXPECT_EQ(existed, Exists(c.path)) << "no half-written file";
    EXPECT_FALSE(Exists(c.path + ".saving"));
  }
  EXPECT_EQ(old, ReadWholeFile(existing));

  // A read-only file: refused where the system refuses to write it (a
  // superuser may write it anyway, and then the save goes through).
  MakeReadOnly(existing);
  std::FILE* probe = std::fopen(existing.c_str(), "r+b");
  const bool writable = probe != nullptr;
  if (probe != nullptr) std::fclose(probe);
  {
    CRecordingPrompt prompt;
    EXPECT_EQ(writable, image.Save(existing.c_str()) != FALSE);
    EXPECT_EQ(writable ? std::vector<std::string>{} : std::vector<std::string>{kImageFileOpenFailedText},
              prompt.messages);
    if (!writable) {
      EXPECT_EQ(old, ReadWholeFile(existing));
    }
    EXPECT_FALSE(Exists(existing + ".saving"));
  }
  RemoveIfThere(existing);
#ifdef _WIN32
  ::RemoveDirectoryA(folder.c_str());
#else
  ::rmdir(folder.c_str());
#endif
}

TEST(ImageFiles, WithoutAPathThePromptAsks) {
  CDIB image;
  MakeImage(image, 8, 3, 2, 5);
  const std::string path = "dib_file_test_asked.bmp";
  RemoveIfThere(path);
  {
    CRecordingPrompt cancel;
    EXPECT_FALSE(image.Save(nullptr));
    EXPECT_FALSE(image.Load(""));
    EXPECT_EQ((std::vector<bool>{true, false}), cancel.asked);
    EXPECT_TRUE(cancel.messages.empty()) << "cancelling is not a failure to report";
  }
  {
    CRecordingPrompt answer(path);
    ASSERT_TRUE(image.Save(""));
    CDIB loaded;
    ASSERT_TRUE(loaded.Load(nullptr));
    ExpectSamePicture(image, loaded);
    EXPECT_EQ((std::vector<bool>{true, false}), answer.asked);
  }
  {
    // No prompt at all: nothing to ask.
    CImageFilePrompt* previous = SetImageFilePrompt(nullptr);
    EXPECT_FALSE(image.Save(nullptr));
    SetImageFilePrompt(previous);
  }
  RemoveIfThere(path);
}

// The archive holds a marker, the image, and another marker: Serialize
// must leave the archive where the image ends, both ways.
TEST(ImageArchives, SerializeEachBitCountBetweenOtherData) {
  for (const Shape& s : kShapes) {
    SCOPED_TRACE(testing::Message() << s.bits << " bits " << s.w << "x" << s.h);
    CDIB a;
    MakeImage(a, s.bits, s.w, s.h, 11);
    CMemFile f;
    {
      CArchive ar(&f, CArchive::store);
      ar.Write("head", 4);
      a.Serialize(ar);
      ar.Write("tail", 4);
    }
    f.SeekToBegin();
    CDIB b;
    char mark[4];
    {
      CArchive ar(&f, CArchive::load);
      ASSERT_EQ(4u, ar.Read(mark, 4));
      EXPECT_EQ(0, std::memcmp(mark, "head", 4));
      b.Serialize(ar);
      ASSERT_EQ(4u, ar.Read(mark, 4));
      EXPECT_EQ(0, std::memcmp(mark, "tail", 4));
    }
    ExpectSamePicture(a, b);
  }
}

TEST(ImageArchives, TruncatedArchiveThrowsAndKeepsThePicture) {
  CDIB a;
  MakeImage(a, 16, 6, 4, 2);
  CMemFile full;
  {
    CArchive ar(&full, CArchive::store);
    a.Serialize(ar);
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(full.GetLength()));
  full.SeekToBegin();
  full.Read(bytes.data(), static_cast<UINT>(bytes.size()));
  for (size_t keep : {size_t{0}, size_t{10}, size_t{54}, bytes.size() - 1}) {
    SCOPED_TRACE(keep);
    CMemFile f;
    if (keep != 0) f.Write(bytes.data(), static_cast<UINT>(keep));
    f.SeekToBegin();
    CSprite d;
    MakeImage(d, 16, 2, 2, 7);
    const uint8_t* before = d.GetBits();
    int cause = -1;
    try {
      CArchive ar(&f, CArchive::load);
      d.Serialize(ar);
    } catch (CArchiveException* e) {
      cause = e->m_cause;
      e->Delete();
    }
    EXPECT_EQ(CArchiveException::badSchema, cause);
    EXPECT_EQ(2, d.GetWidth());
    EXPECT_EQ(before, d.GetBits());
  }
  // Storing an image that cannot be written is reported too.
  CDIB empty;
  CMemFile f;
  int cause = -1;
  try {
    CArchive ar(&f, CArchive::store);
    empty.Serialize(ar);
  } catch (CArchiveException* e) {
    cause = e->m_cause;
    e->Delete();
  }
  EXPECT_EQ(CArchiveException::genericException, cause);
}

TEST(ImageArchives, SpriteTakesItsKeyAndAlphaImageStoresNothing) {
  CSprite a;
  a.CreateBlank(2, 2, nullptr);
  const uint16_t key = 0x1234;
  std::memcpy(a.GetPixelAddress(0, 0), &key, 2);
  CMemFile f;
  {
    CArchive ar(&f, CArchive::store);
    a.Serialize(ar);
  }
  f.SeekToBegin();
  CSprite b;
  b.CreateBlank(1, 1, nullptr);
  b.SetColourKey(0x7FFF);
  {
    CArchive ar(&f, CArchive::load);
    b.Serialize(ar);
  }
  EXPECT_EQ(0x1234u, b.GetColourKey());

  CAlphableDIB alpha;
  alpha.Create(2, 2, 0, nullptr);
  CMemFile g;
  {
    CArchive ar(&g, CArchive::store);
    alpha.Serialize(ar);
  }
  EXPECT_EQ(0u, g.GetLength());
  g.Write("BM", 2);
  g.SeekToBegin();
  {
    CArchive ar(&g, CArchive::load);
    alpha.Serialize(ar);
    char c[2];
    EXPECT_EQ(2u, ar.Read(c, 2)) << "nothing was read";
  }
  const std::string path = "dib_file_test_alpha.bmp";
  RemoveIfThere(path);
  CRecordingPrompt prompt;
  EXPECT_FALSE(alpha.Save(path.c_str()));
  EXPECT_FALSE(alpha.Load(path.c_str()));
  EXPECT_FALSE(Exists(path));
  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_EQ(2, alpha.GetWidth());
}

// A packed DIB: header, table and rows in one block, used in place.
TEST(PackedDib, UsedInPlaceWhenItHoldsWhatItSays) {
  // 8 bits, 3 x 2, two colours: 40 + 8 + 2 rows of 4 bytes.
  std::vector<uint8_t> block(56, 0);
  SkinBitmapInfoHeader h = {40, 3, 2, 1, 8, 0, 0, 0, 0, 2, 0};
  std::memcpy(block.data(), &h, 40);
  block[48] = 1;      // bottom row, x 0
  block[52 + 2] = 1;  // top row, x 2
  CDIB d;
  ASSERT_TRUE(d.CreateFromPackedDib(block.data(), block.size()));
  EXPECT_EQ(block.data() + 48, d.GetBits());
  EXPECT_EQ(0u, d.GetFlags() & CDIB::kOwnsBits);
  EXPECT_EQ(1u, d.GetPixel(0, 1));
  EXPECT_EQ(1u, d.GetPixel(2, 0));
  block[49] = 1;
  EXPECT_EQ(1u, d.GetPixel(1, 1)) << "the block itself, not a copy";

  // A top-down block: the first row is the top one.
  SkinBitmapInfoHeader top = h;
  top.biHeight = -2;
  std::vector<uint8_t> down = block;
  std::memcpy(down.data(), &top, 40);
  CDIB t;
  ASSERT_TRUE(t.CreateFromPackedDib(down.data(), down.size()));
  EXPECT_EQ(1u, t.GetPixel(0, 0));
  EXPECT_EQ(2, t.GetHeight());

  struct Case {
    const char* name;
    size_t at;
    uint32_t value;
    size_t size;
  } const bad[] = {
      {"one byte short", 0, 40, 55},
      {"core header", 0, 12, 56},
      {"RLE8", 16, 1, 56},
      {"bit count 7", 14, 7, 56},
      {"width 0", 4, 0, 56},
      {"too few bytes for a header", 0, 40, 39},
      {"more colours than held", 32, 3, 56},
  };
  for (const Case& c : bad) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> b = block;
    if (c.at == 14)
      b[14] = static_cast<uint8_t>(c.value);
    else
      std::memcpy(&b[c.at], &c.value, 4);
    CDIB k;
    k.CreateBlank(5, 1, nullptr);
    EXPECT_FALSE(k.CreateFromPackedDib(b.data(), c.size));
    EXPECT_EQ(5, k.GetWidth());
    EXPECT_EQ(0u, k.GetFlags() & CDIB::kTopDown);
  }
}

}  // namespace
