#include "framework/afxfile.h"
#include "framework/afxmt.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/files.h"

namespace {

// A file in the test's working folder, removed afterwards.
class TempFile {
 public:
  TempFile(const char* name, const std::string& contents) : m_name(name) {
    std::FILE* f = std::fopen(name, "wb");
    if (f != nullptr) {
      std::fwrite(contents.data(), 1, contents.size(), f);
      std::fclose(f);
    }
  }
  ~TempFile() { std::remove(m_name); }
  const char* name() const { return m_name; }

 private:
  const char* m_name;
};

struct LinesCase {
  const char* name;
  std::string contents;
  std::vector<std::string> lines;
};

TEST(CStdioFile, ReadStringSplitsLines) {
  const LinesCase cases[] = {
      {"crlf", "one\r\ntwo\r\n\r\nfour\r\n", {"one", "two", "", "four"}},
      {"lf", "one\ntwo\n\nfour\n", {"one", "two", "", "four"}},
      {"no final newline", "a\r\nb", {"a", "b"}},
      {"lone cr stays", "a\rb\n", {"a\rb"}},
      {"empty file", "", {}},
      {"korean bytes", "\xC0\xE7\xBD\xC7\r\n\xC7\xE0\n", {"\xC0\xE7\xBD\xC7", "\xC7\xE0"}},
      {"long line", std::string(10000, 'x') + "\r\ny", {std::string(10000, 'x'), "y"}},
  };
  for (const LinesCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempFile tmp("fw_stdio_read.txt", c.contents);
    CStdioFile file;
    ASSERT_TRUE(file.Open(tmp.name(), CFile::modeRead | CFile::shareDenyWrite | CFile::typeText));
    std::vector<std::string> got;
    CString line;
    while (file.ReadString(line)) got.emplace_back(line.GetString(), static_cast<size_t>(line.GetLength()));
    EXPECT_EQ(c.lines, got);
    EXPECT_FALSE(file.ReadString(line));  // stays at the end
    EXPECT_TRUE(line.IsEmpty());
    file.Close();
  }
}

TEST(CStdioFile, ReadStringBufferKeepsNewline) {
  TempFile tmp("fw_stdio_buf.txt", "ab\r\ncdefgh\n");
  CStdioFile file(tmp.name(), CFile::modeRead);
  char buf[5];
  ASSERT_NE(nullptr, file.ReadString(buf, sizeof buf));
  EXPECT_STREQ("ab\n", buf);
  ASSERT_NE(nullptr, file.ReadString(buf, sizeof buf));
  EXPECT_STREQ("cdef", buf);  // cut at the buffer, the rest follows
  ASSERT_NE(nullptr, file.ReadString(buf, sizeof buf));
  EXPECT_STREQ("gh\n", buf);
  EXPECT_EQ(nullptr, file.ReadString(buf, sizeof buf));
}

TEST(CStdioFile, WriteStringTextAndBinary) {
  const char* name = "fw_stdio_write.txt";
  {
    CStdioFile file(name, CFile::modeCreate | CFile::modeWrite | CFile::typeText);
    file.WriteString("one\ntwo\n");
  }
  EXPECT_EQ("one\r\ntwo\r\n", test_support::ReadWholeFile(name));
  {
    CStdioFile file(name, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
    file.WriteString("one\n");
  }
  EXPECT_EQ("one\n", test_support::ReadWholeFile(name));
  std::remove(name);
}

TEST(CStdioFile, PositionFollowsBufferedReads) {
  TempFile tmp("fw_stdio_pos.txt", "line1\nline2\nline3\n");
  CStdioFile file(tmp.name(), CFile::modeRead);
  CString line;
  ASSERT_TRUE(file.ReadString(line));
  EXPECT_EQ(6u, file.GetPosition());
  file.Seek(12, CFile::begin);
  ASSERT_TRUE(file.ReadString(line));
  EXPECT_STREQ("line3", line);
  file.SeekToBegin();
  char raw[5];
  EXPECT_EQ(5u, file.Read(raw, 5));
  EXPECT_EQ(std::string("line1"), std::string(raw, 5));
}

TEST(CFile, ReadIsShortAtEndOfFile) {
  TempFile tmp("fw_file_short.bin", "0123456789");
  CFile file;
  CFileException error;
  ASSERT_TRUE(file.Open(tmp.name(), CFile::modeRead | CFile::shareDenyWrite, &error));
  EXPECT_EQ(10u, file.GetLength());
  char buf[8];
  EXPECT_EQ(8u, file.Read(buf, sizeof buf));
  EXPECT_EQ(8u, file.GetPosition());
  EXPECT_EQ(2u, file.Read(buf, sizeof buf));
  EXPECT_EQ(0u, file.Read(buf, sizeof buf));
  EXPECT_EQ(3u, file.Seek(-7, CFile::end));
  EXPECT_EQ(1u, file.Read(buf, 1));
  EXPECT_EQ('3', buf[0]);
}

TEST(CFile, OpenFailureReportsCause) {
  struct Case {
    const char* name;
    const char* path;
    UINT flags;
    int cause;
  };
  const Case cases[] = {
      {"missing file", "fw_no_such_file.bin", CFile::modeRead, CFileException::fileNotFound},
      {"missing folder", "fw_no_such_dir/x.bin", CFile::modeRead, CFileException::badPath},
      {"missing folder for create", "fw_no_such_dir/x.bin", CFile::modeCreate | CFile::modeWrite,
       CFileException::badPath},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(c.path, c.flags, &error));
    EXPECT_EQ(c.cause, error.m_cause);
    EXPECT_NE(-1, error.m_lOsError);
    EXPECT_STREQ(c.path, error.m_strFileName);
    EXPECT_FALSE(file.IsOpen());
    // The throwing constructor carries the same cause.
    int thrown = -1;
    try {
      CFile again(c.path, c.flags);
    } catch (CFileException* e) {
      thrown = e->m_cause;
      e->Delete();
    }
    EXPECT_EQ(c.cause, thrown);
  }
}

TEST(CFile, MisuseThrowsFileExceptions) {
  struct Case {
    const char* name;
    int cause;
    void (*act)(CFile&);
  };
  TempFile tmp("fw_file_misuse.bin", "abc");
  const Case cases[] = {
      {"read when closed", CFileException::invalidFile,
       [](CFile& f) {
         char b[1];
         f.Read(b, 1);
       }},
      {"write when closed", CFileException::invalidFile, [](CFile& f) { f.Write("x", 1); }},
      {"seek before start", CFileException::badSeek,
       [](CFile& f) {
         ASSERT_TRUE(f.Open("fw_file_misuse.bin", CFile::modeRead));
         f.Seek(-1, CFile::begin);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CFile file;
    int cause = -1;
    try {
      c.act(file);
    } catch (CFileException* e) {
      cause = e->m_cause;
      e->Delete();
    }
    EXPECT_EQ(c.cause, cause);
  }
}

TEST(CFile, StatusOfFilesAndFolders) {
  TempFile tmp("fw_file_status.bin", "12345");
  CFileStatus st;
  ASSERT_TRUE(CFile::GetStatus(tmp.name(), st));
  EXPECT_EQ(5u, st.m_size);
  EXPECT_EQ(0, st.m_attribute & CFile::directory);
  EXPECT_NE(nullptr, std::strstr(st.m_szFullName, "fw_file_status.bin"));
  ASSERT_TRUE(CFile::GetStatus(".", st));
  EXPECT_EQ(CFile::directory, st.m_attribute & CFile::directory);
  EXPECT_FALSE(CFile::GetStatus("fw_no_such_file.bin", st));
}

TEST(CFile, WriteCreateAndRemove) {
  const char* name = "fw_file_write.bin";
  {
    CFile file(name, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive);
    file.Write("hello", 5);
    file.Flush();
  }
  EXPECT_EQ("hello", test_support::ReadWholeFile(name));
  {
    // No truncation: append at the end.
    CFile file(name, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
    file.SeekToEnd();
    file.Write("!", 1);
  }
  EXPECT_EQ("hello!", test_support::ReadWholeFile(name));
  CFile::Remove(name);
  CFileStatus st;
  EXPECT_FALSE(CFile::GetStatus(name, st));
  int cause = -1;
  try {
    CFile::Remove(name);
  } catch (CFileException* e) {
    cause = e->m_cause;
    e->Delete();
  }
  EXPECT_EQ(CFileException::fileNotFound, cause);
}

TEST(CMemFile, ReadsAttachedBlockShortAtEnd) {
  uint8_t block[6] = {1, 2, 3, 4, 5, 6};
  CMemFile mem(block, sizeof block);
  uint8_t out[4] = {};
  EXPECT_EQ(6u, mem.GetLength());
  EXPECT_EQ(4u, mem.Read(out, 4));
  EXPECT_EQ(4, out[3]);
  EXPECT_EQ(2u, mem.Read(out, 4));
  EXPECT_EQ(6, out[1]);
  EXPECT_EQ(0u, mem.Read(out, 4));
  mem.Seek(-1, CFile::end);
  EXPECT_EQ(1u, mem.Read(out, 4));
  // A fixed block refuses to grow; it keeps its contents.
  bool refused = false;
  try {
    mem.Write("x", 1);
  } catch (CMemoryException* e) {
    refused = true;
    e->Delete();
  }
  EXPECT_TRUE(refused);
  EXPECT_EQ(6, block[5]);
  int cause = -1;
  try {
    mem.Seek(-10, CFile::current);
  } catch (CFileException* e) {
    cause = e->m_cause;
    e->Delete();
  }
  EXPECT_EQ(CFileException::badSeek, cause);
  EXPECT_EQ(6u, mem.GetPosition());
}

TEST(CMemFile, GrowsWhenOwnBlock) {
  CMemFile mem(16);
  std::string text(100, 'q');
  mem.Write(text.data(), static_cast<UINT>(text.size()));
  EXPECT_EQ(100u, mem.GetLength());
  mem.Seek(104, CFile::begin);
  mem.Write("z", 1);  // leaves a zero gap
  EXPECT_EQ(105u, mem.GetLength());
  mem.SeekToBegin();
  std::vector<char> back(105);
  EXPECT_EQ(105u, mem.Read(back.data(), 105));
  EXPECT_EQ('q', back[99]);
  EXPECT_EQ('\0', back[102]);
  EXPECT_EQ('z', back[104]);
  uint8_t* block = mem.Detach();
  EXPECT_NE(nullptr, block);
  std::free(block);
  EXPECT_EQ(0u, mem.GetLength());
}

TEST(Sync, CriticalSectionAndEvent) {
  CCriticalSection cs;
  CEvent done(FALSE, TRUE);
  int counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 1000; ++i) {
        CSingleLock lock(&cs, TRUE);
        ASSERT_TRUE(lock.IsLocked());
        ++counter;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(4000, counter);
  // Recursive: the same thread may lock twice.
  EXPECT_TRUE(cs.Lock());
  EXPECT_TRUE(cs.Lock(0));
  cs.Unlock();
  cs.Unlock();
  EXPECT_FALSE(done.Lock(10));
  std::thread setter([&] { done.SetEvent(); });
  EXPECT_TRUE(done.Lock());
  setter.join();
  EXPECT_TRUE(done.Lock(0));  // manual reset: stays signalled
  done.ResetEvent();
  EXPECT_FALSE(done.Lock(0));
  CEvent autoReset;
  autoReset.SetEvent();
  EXPECT_TRUE(autoReset.Lock(0));
  EXPECT_FALSE(autoReset.Lock(0));
}

}  // namespace
