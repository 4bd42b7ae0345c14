// Files: CFile (the system's files), CStdioFile (text lines), CMemFile (a
// memory block).  Platform-neutral interface; the system calls live in
// file_win.cpp (CreateFileA and friends) and file_posix.cpp.
//
// Errors throw CFileException* (see afxcore.h) with the cause mapped from
// the system's error; Open reports through its CFileException* argument
// instead.  Read returns the number of bytes read, short (0) at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "framework/afxcore.h"

struct CFileStatus {
  int64_t m_mtime = 0;          // last write, seconds since 1970 (UTC)
  uint64_t m_size = 0;          // bytes
  uint8_t m_attribute = 0;      // CFile::Attribute bits
  char m_szFullName[260] = {};  // absolute path
};

class CFile : public CObject {
  DECLARE_DYNAMIC(CFile)
 public:
  enum OpenFlags : UINT {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareCompat = 0x0000,
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeNoInherit = 0x0080,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    typeText = 0x4000,
    typeBinary = 0x8000,
  };
  enum Attribute : uint8_t {
    normal = 0x00,
    readOnly = 0x01,
    hidden = 0x02,
    system = 0x04,
    volume = 0x08,
    directory = 0x10,
    archive = 0x20,
  };
  enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

  // The handle value of a closed file.
  static void* const hFileNull;

  CFile() = default;
  // Opens or throws CFileException*.
  CFile(const char* lpszFileName, UINT nOpenFlags);
  // Closes without throwing.
  ~CFile() override;
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // FALSE on failure, with *pError (when given) filled: cause, system error
  // and file name.
  virtual BOOL Open(const char* lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
  virtual UINT Read(void* lpBuf, UINT nCount);
  // Writes everything or throws (a disk-full short write included).
  virtual void Write(const void* lpBuf, UINT nCount);
  // The new position; a position before the start throws badSeek.
  virtual uint64_t Seek(int64_t lOff, UINT nFrom);
  void SeekToBegin() { Seek(0, begin); }
  uint64_t SeekToEnd() { return Seek(0, end); }
  virtual uint64_t GetPosition() const;
  virtual uint64_t GetLength() const;
  virtual void SetLength(uint64_t dwNewLen);
  virtual void Flush();
  // Closes; throws when the system reports an error.
  virtual void Close();
  // Closes, ignoring every error.
  virtual void Abort();
  BOOL IsOpen() const { return m_hFile != hFileNull; }

  const CString& GetFilePath() const { return m_strFileName; }
  CString GetFileName() const;
  BOOL GetStatus(CFileStatus& rStatus) const;
  // FALSE when the path does not exist (files and folders both work).
  static BOOL GetStatus(const char* lpszFileName, CFileStatus& rStatus);
  static void Remove(const char* lpszFileName);
  static void Rename(const char* lpszOldName, const char* lpszNewName);
  // Renames, replacing a file that has the new name (in one step where the
  // system can).
  static void RenameReplacing(const char* lpszOldName, const char* lpszNewName);

  void* m_hFile = hFileNull;  // HANDLE on Win32, a descriptor natively
  CString m_strFileName;

 protected:
  [[noreturn]] void ThrowLastError() const;
};

// A file read and written as lines.  With typeText (the default) lines are
// written with "\r\n"; reading accepts "\r\n" and "\n".
class CStdioFile : public CFile {
  DECLARE_DYNAMIC(CStdioFile)
 public:
  CStdioFile() = default;
  CStdioFile(const char* lpszFileName, UINT nOpenFlags);

  BOOL Open(const char* lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override;
  // The next line without its end ("\n" or "\r\n"); FALSE at the end of
  // the file when nothing was left to read.
  virtual BOOL ReadString(CString& rString);
  // Up to nMax - 1 bytes of the next line, its "\n" kept ("\r\n" given as
  // "\n" in text mode); nullptr at the end.
  virtual char* ReadString(char* lpsz, UINT nMax);
  virtual void WriteString(const char* lpsz);

  UINT Read(void* lpBuf, UINT nCount) override;
  void Write(const void* lpBuf, UINT nCount) override;
  uint64_t Seek(int64_t lOff, UINT nFrom) override;
  uint64_t GetPosition() const override;
  void Close() override;
  void Abort() override;

 private:
  // Next byte, or -1 at the end.
  int GetByte();
  void DropBuffer();

  std::vector<char> m_buf;
  size_t m_bufPos = 0;
  size_t m_bufLen = 0;
  BOOL m_bText = TRUE;
};

// A file in memory: over an attached block, or a growing block of its own.
class CMemFile : public CFile {
  DECLARE_DYNAMIC(CMemFile)
 public:
  explicit CMemFile(UINT nGrowBytes = 1024);
  // Over lpBuffer (not owned); nGrowBytes 0: writes may not go past it.
  CMemFile(uint8_t* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0);
  ~CMemFile() override;

  void Attach(uint8_t* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0);
  // Gives the block to the caller (owned blocks: free with free()).
  uint8_t* Detach();

  BOOL Open(const char*, UINT, CFileException* pError = nullptr) override;
  UINT Read(void* lpBuf, UINT nCount) override;
  // Past a fixed block: CMemoryException*.
  void Write(const void* lpBuf, UINT nCount) override;
  uint64_t Seek(int64_t lOff, UINT nFrom) override;
  uint64_t GetPosition() const override { return m_nPosition; }
  uint64_t GetLength() const override { return m_nFileSize; }
  void SetLength(uint64_t dwNewLen) override;
  void Flush() override {}
  void Close() override;
  void Abort() override { Close(); }

 private:
  void GrowFile(size_t nNewSize);

  uint8_t* m_lpBuffer = nullptr;
  size_t m_nBufferSize = 0;
  size_t m_nFileSize = 0;
  size_t m_nPosition = 0;
  UINT m_nGrowBytes = 1024;
  BOOL m_bAutoDelete = TRUE;  // the block is ours
};

// A buffered stream of an object's data over a CFile, either loading or
// storing (CObject::Serialize).  The file stays the caller's.  Reads and
// writes go through the buffer; Flush brings the file to the archive's
// position, so that the file can be used directly in between (a storing
// archive writes its buffer out; a loading one hands back what it read
// ahead).
class CArchive {
 public:
  enum Mode : UINT { store = 0, load = 1, bNoFlushOnDelete = 2 };

  CArchive(CFile* pFile, UINT nMode, UINT nBufSize = 4096);
  // Closes (errors are swallowed) unless Close or Abort ran.
  ~CArchive();
  CArchive(const CArchive&) = delete;
  CArchive& operator=(const CArchive&) = delete;

  BOOL IsLoading() const { return (m_nMode & load) != 0 ? TRUE : FALSE; }
  BOOL IsStoring() const { return IsLoading() ? FALSE : TRUE; }
  CFile* GetFile() const { return m_pFile; }

  // Bytes read, fewer at the end of the file.  A storing archive throws
  // CArchiveException::writeOnly.
  UINT Read(void* lpBuf, UINT nMax);
  // A loading archive throws CArchiveException::readOnly; file errors pass.
  void Write(const void* lpBuf, UINT nCount);
  void Flush();
  // Flushes and lets go of the file.
  void Close();
  // Lets go of the file without flushing.
  void Abort();

 private:
  void FillBuffer();

  CFile* m_pFile;
  UINT m_nMode;
  std::vector<uint8_t> m_buf;
  size_t m_nCur = 0;  // next byte of the buffer
  size_t m_nMax = 0;  // end of the bytes read ahead (loading) or stored (storing)
};

// The cause for a Win32 error code (GetLastError value).
int AfxOsErrorToFileCause(int32_t lOsError);
