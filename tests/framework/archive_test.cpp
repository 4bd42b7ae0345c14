// CArchive over a file: buffered reads and writes, Flush bringing the file
// to the archive's position both ways, misuse, and a CObject serialised
// through it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/afxfile.h"

namespace {

std::string Contents(CMemFile& f) {
  std::string out(static_cast<size_t>(f.GetLength()), '\0');
  const uint64_t at = f.GetPosition();
  f.SeekToBegin();
  if (!out.empty()) f.Read(&out[0], static_cast<UINT>(out.size()));
  f.Seek(static_cast<int64_t>(at), CFile::begin);
  return out;
}

TEST(CArchive, StoringBuffersUntilFlushAndKeepsTheOrder) {
  for (UINT bufSize : {16u, 4096u}) {
    SCOPED_TRACE(bufSize);
    CMemFile f;
    {
      CArchive ar(&f, CArchive::store, bufSize);
      EXPECT_TRUE(ar.IsStoring());
      EXPECT_FALSE(ar.IsLoading());
      EXPECT_EQ(&f, ar.GetFile());
      ar.Write("abc", 3);
      EXPECT_EQ("", Contents(f)) << "still in the buffer";
      ar.Flush();
      EXPECT_EQ("abc", Contents(f));
      f.Write("-", 1);  // the file used directly between two flushes
      const std::string big(40, 'x');
      ar.Write("de", 2);
      ar.Write(big.data(), static_cast<UINT>(big.size()));  // larger than the small buffer
      ar.Write("f", 1);
    }  // the destructor flushes
    EXPECT_EQ("abc-de" + std::string(40, 'x') + "f", Contents(f));
  }
}

TEST(CArchive, LoadingFlushHandsBackWhatWasReadAhead) {
  std::string data;
  for (int i = 0; i < 100; ++i) data += static_cast<char>('0' + i % 10);
  CMemFile f;
  f.Write(data.data(), static_cast<UINT>(data.size()));
  f.SeekToBegin();
  CArchive ar(&f, CArchive::load, 16);
  char buf[64] = {};
  ASSERT_EQ(3u, ar.Read(buf, 3));
  EXPECT_EQ(0, std::memcmp(buf, "012", 3));
  EXPECT_EQ(16u, f.GetPosition()) << "a buffer's worth read ahead";
  ar.Flush();
  EXPECT_EQ(3u, f.GetPosition());
  ASSERT_EQ(2u, f.Read(buf, 2));  // the file read directly
  EXPECT_EQ(0, std::memcmp(buf, "34", 2));
  ASSERT_EQ(40u, ar.Read(buf, 40));  // larger than the buffer
  EXPECT_EQ(0, std::memcmp(buf, data.data() + 5, 40));
  EXPECT_EQ(55u, ar.Read(buf, 64)) << "short at the end";
  EXPECT_EQ(0u, ar.Read(buf, 1));
}

TEST(CArchive, WrongDirectionThrows) {
  CMemFile f;
  struct Case {
    UINT mode;
    int cause;
  } const cases[] = {{CArchive::load, CArchiveException::readOnly}, {CArchive::store, CArchiveException::writeOnly}};
  for (const Case& c : cases) {
    CArchive ar(&f, c.mode);
    int cause = -1;
    char b = 0;
    try {
      if (c.mode == CArchive::load)
        ar.Write("x", 1);
      else
        ar.Read(&b, 1);
    } catch (CArchiveException* e) {
      cause = e->m_cause;
      char text[128];
      EXPECT_TRUE(e->GetErrorMessage(text, sizeof text));
      EXPECT_NE('\0', text[0]);
      e->Delete();
    }
    EXPECT_EQ(c.cause, cause);
  }
  // After Close the archive has no file; using it throws, not crashes.
  CArchive ar(&f, CArchive::store);
  ar.Close();
  EXPECT_EQ(nullptr, ar.GetFile());
  bool threw = false;
  try {
    ar.Write("x", 1);
  } catch (CArchiveException* e) {
    threw = true;
    e->Delete();
  }
  EXPECT_TRUE(threw);
}

// A value that stores itself as four bytes.
class CCounter : public CObject {
 public:
  void Serialize(CArchive& ar) override {
    if (ar.IsStoring())
      ar.Write(&m_value, sizeof m_value);
    else if (ar.Read(&m_value, sizeof m_value) != sizeof m_value)
      AfxThrowArchiveException(CArchiveException::endOfFile);
  }
  uint32_t m_value = 0;
};

TEST(CArchive, ObjectsSerialiseThroughIt) {
  CMemFile f;
  CCounter a;
  a.m_value = 0x01020304;
  {
    CArchive ar(&f, CArchive::store);
    a.Serialize(ar);
    struct CPlain : CObject {
    } plain;
    plain.Serialize(ar);  // the root stores nothing
  }
  EXPECT_EQ(sizeof(uint32_t), f.GetLength());
  f.SeekToBegin();
  CCounter b;
  {
    CArchive ar(&f, CArchive::load);
    b.Serialize(ar);
  }
  EXPECT_EQ(0x01020304u, b.m_value);
  // Nothing left: the next load reports the end.
  CArchive ar(&f, CArchive::load);
  int cause = -1;
  try {
    b.Serialize(ar);
  } catch (CArchiveException* e) {
    cause = e->m_cause;
    e->Delete();
  }
  EXPECT_EQ(CArchiveException::endOfFile, cause);
}

}  // namespace
