// The platform-neutral parts of the file classes: CStdioFile's line
// handling over CFile, and CMemFile.
#include <cstdlib>
#include <cstring>

#include "framework/afxfile.h"

IMPLEMENT_DYNAMIC(CFile, CObject)
IMPLEMENT_DYNAMIC(CStdioFile, CFile)
IMPLEMENT_DYNAMIC(CMemFile, CFile)

CString CFile::GetFileName() const {
  int slash = m_strFileName.ReverseFind('\\');
  int other = m_strFileName.ReverseFind('/');
  if (other > slash) slash = other;
  int colon = m_strFileName.ReverseFind(':');
  if (colon > slash) slash = colon;
  return m_strFileName.Mid(slash + 1);
}

BOOL CFile::GetStatus(CFileStatus& rStatus) const {
  if (!IsOpen()) return FALSE;
  return GetStatus(m_strFileName, rStatus);
}

int AfxOsErrorToFileCause(int32_t lOsError) {
  // Win32 error codes (winerror.h), so that the table serves every build.
  switch (lOsError) {
    case 0:
      return CFileException::none;
    case 2:
      return CFileException::fileNotFound;  // ERROR_FILE_NOT_FOUND
    case 3:
      return CFileException::badPath;  // ERROR_PATH_NOT_FOUND
    case 4:
      return CFileException::tooManyOpenFiles;  // ERROR_TOO_MANY_OPEN_FILES
    case 5:
      return CFileException::accessDenied;  // ERROR_ACCESS_DENIED
    case 6:
      return CFileException::invalidFile;  // ERROR_INVALID_HANDLE
    case 15:
      return CFileException::badPath;  // ERROR_INVALID_DRIVE
    case 16:
      return CFileException::removeCurrentDir;  // ERROR_CURRENT_DIRECTORY
    case 17:
      return CFileException::badPath;  // ERROR_NOT_SAME_DEVICE
    case 18:
      return CFileException::directoryFull;  // ERROR_NO_MORE_FILES
    case 19:
      return CFileException::accessDenied;  // ERROR_WRITE_PROTECT
    case 20:
      return CFileException::hardIO;  // ERROR_BAD_UNIT
    case 21:
      return CFileException::hardIO;  // ERROR_NOT_READY
    case 23:
      return CFileException::hardIO;  // ERROR_CRC
    case 25:
      return CFileException::badSeek;  // ERROR_SEEK
    case 29:
      return CFileException::hardIO;  // ERROR_WRITE_FAULT
    case 30:
      return CFileException::hardIO;  // ERROR_READ_FAULT
    case 32:
      return CFileException::sharingViolation;  // ERROR_SHARING_VIOLATION
    case 33:
      return CFileException::lockViolation;  // ERROR_LOCK_VIOLATION
    case 36:
      return CFileException::sharingViolation;  // ERROR_SHARING_BUFFER_EXCEEDED
    case 38:
      return CFileException::endOfFile;  // ERROR_HANDLE_EOF
    case 39:
      return CFileException::diskFull;  // ERROR_HANDLE_DISK_FULL
    case 53:
      return CFileException::badPath;  // ERROR_BAD_NETPATH
    case 80:
      return CFileException::accessDenied;  // ERROR_FILE_EXISTS
    case 82:
      return CFileException::accessDenied;  // ERROR_CANNOT_MAKE
    case 87:
      return CFileException::invalidFile;  // ERROR_INVALID_PARAMETER
    case 112:
      return CFileException::diskFull;  // ERROR_DISK_FULL
    case 123:
      return CFileException::badPath;  // ERROR_INVALID_NAME
    case 131:
      return CFileException::badSeek;  // ERROR_NEGATIVE_SEEK
    case 145:
      return CFileException::accessDenied;  // ERROR_DIR_NOT_EMPTY
    case 161:
      return CFileException::badPath;  // ERROR_BAD_PATHNAME
    case 183:
      return CFileException::accessDenied;  // ERROR_ALREADY_EXISTS
    case 206:
      return CFileException::badPath;  // ERROR_FILENAME_EXCED_RANGE
    default:
      return CFileException::genericException;
  }
}

// ---- CStdioFile ------------------------------------------------------------

namespace {
constexpr size_t kStdioBuffer = 4096;
}

CStdioFile::CStdioFile(const char* lpszFileName, UINT nOpenFlags) {
  CFileException error;
  if (!Open(lpszFileName, nOpenFlags, &error)) {
    AfxThrowFileException(error.m_cause, error.m_lOsError, lpszFileName);
  }
}

BOOL CStdioFile::Open(const char* lpszFileName, UINT nOpenFlags, CFileException* pError) {
  DropBuffer();
  m_bText = (nOpenFlags & typeBinary) ? FALSE : TRUE;
  return CFile::Open(lpszFileName, nOpenFlags & ~static_cast<UINT>(typeText | typeBinary), pError);
}

void CStdioFile::DropBuffer() {
  m_bufPos = 0;
  m_bufLen = 0;
}

int CStdioFile::GetByte() {
  if (m_bufPos == m_bufLen) {
    if (m_buf.size() < kStdioBuffer) m_buf.resize(kStdioBuffer);
    m_bufPos = 0;
    m_bufLen = CFile::Read(m_buf.data(), static_cast<UINT>(m_buf.size()));
    if (m_bufLen == 0) return -1;
  }
  return static_cast<unsigned char>(m_buf[m_bufPos++]);
}

BOOL CStdioFile::ReadString(CString& rString) {
  rString.Empty();
  int c = GetByte();
  if (c < 0) return FALSE;
  std::string line;
  while (c >= 0 && c != '\n') {
    line += static_cast<char>(c);
    c = GetByte();
  }
  if (c == '\n' && !line.empty() && line.back() == '\r') line.pop_back();
  rString = CString(line.data(), static_cast<int>(line.size()));
  return TRUE;
}

char* CStdioFile::ReadString(char* lpsz, UINT nMax) {
  if (lpsz == nullptr || nMax == 0) return nullptr;
  UINT n = 0;
  while (n + 1 < nMax) {
    int c = GetByte();
    if (c < 0) break;
    if (m_bText && c == '\r') {
      // "\r\n" reads as "\n"; a lone '\r' stays.
      int next = GetByte();
      if (next == '\n') {
        c = '\n';
      } else if (next >= 0) {
        --m_bufPos;  // GetByte just filled or advanced within the buffer
      }
    }
    lpsz[n++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  lpsz[n] = '\0';
  return n == 0 ? nullptr : lpsz;
}

void CStdioFile::WriteString(const char* lpsz) {
  if (lpsz == nullptr) return;
  if (!m_bText) {
    Write(lpsz, static_cast<UINT>(std::strlen(lpsz)));
    return;
  }
  std::string out;
  for (const char* p = lpsz; *p != '\0'; ++p) {
    if (*p == '\n') out += '\r';
    out += *p;
  }
  Write(out.data(), static_cast<UINT>(out.size()));
}

UINT CStdioFile::Read(void* lpBuf, UINT nCount) {
  UINT done = 0;
  char* out = static_cast<char*>(lpBuf);
  // Buffered bytes first, then straight from the file.
  size_t avail = m_bufLen - m_bufPos;
  if (avail > 0 && nCount > 0) {
    size_t n = avail < nCount ? avail : nCount;
    std::memcpy(out, m_buf.data() + m_bufPos, n);
    m_bufPos += n;
    done = static_cast<UINT>(n);
  }
  if (done < nCount) done += CFile::Read(out + done, nCount - done);
  return done;
}

void CStdioFile::Write(const void* lpBuf, UINT nCount) {
  // Bring the system's position back to the logical one first.
  if (m_bufPos != m_bufLen) CFile::Seek(-static_cast<int64_t>(m_bufLen - m_bufPos), current);
  DropBuffer();
  CFile::Write(lpBuf, nCount);
}

uint64_t CStdioFile::Seek(int64_t lOff, UINT nFrom) {
  if (nFrom == current) lOff -= static_cast<int64_t>(m_bufLen - m_bufPos);
  DropBuffer();
  return CFile::Seek(lOff, nFrom);
}

uint64_t CStdioFile::GetPosition() const { return CFile::GetPosition() - (m_bufLen - m_bufPos); }

void CStdioFile::Close() {
  DropBuffer();
  CFile::Close();
}

void CStdioFile::Abort() {
  DropBuffer();
  CFile::Abort();
}

// ---- CMemFile --------------------------------------------------------------

CMemFile::CMemFile(UINT nGrowBytes) : m_nGrowBytes(nGrowBytes) {}

CMemFile::CMemFile(uint8_t* lpBuffer, UINT nBufferSize, UINT nGrowBytes) { Attach(lpBuffer, nBufferSize, nGrowBytes); }

CMemFile::~CMemFile() { Close(); }

void CMemFile::Attach(uint8_t* lpBuffer, UINT nBufferSize, UINT nGrowBytes) {
  Close();
  m_lpBuffer = lpBuffer;
  m_nBufferSize = nBufferSize;
  // A growing file writes over the block's old contents, a fixed one
  // reads what the block holds.
  m_nFileSize = nGrowBytes == 0 ? nBufferSize : 0;
  m_nPosition = 0;
  m_nGrowBytes = nGrowBytes;
  m_bAutoDelete = FALSE;
}

uint8_t* CMemFile::Detach() {
  uint8_t* p = m_lpBuffer;
  m_lpBuffer = nullptr;
  m_nBufferSize = m_nFileSize = m_nPosition = 0;
  m_bAutoDelete = TRUE;
  return p;
}

BOOL CMemFile::Open(const char*, UINT, CFileException* pError) {
  // A memory file has no name to open.
  if (pError != nullptr) pError->m_cause = CFileException::genericException;
  return FALSE;
}

void CMemFile::GrowFile(size_t nNewSize) {
  if (nNewSize <= m_nBufferSize) return;
  if (m_nGrowBytes == 0) AfxThrowMemoryException();  // a fixed block
  // Round up to the growth step without overflowing.
  size_t step = m_nGrowBytes;
  size_t rounded = nNewSize;
  if (nNewSize % step != 0) {
    size_t add = step - nNewSize % step;
    if (add > SIZE_MAX - nNewSize) AfxThrowMemoryException();
    rounded = nNewSize + add;
  }
  uint8_t* p;
  if (m_bAutoDelete) {
    p = static_cast<uint8_t*>(std::realloc(m_lpBuffer, rounded));
  } else {
    // An attached block is the caller's: copy out of it.
    p = static_cast<uint8_t*>(std::malloc(rounded));
    if (p != nullptr && m_nFileSize > 0) std::memcpy(p, m_lpBuffer, m_nFileSize);
  }
  if (p == nullptr) AfxThrowMemoryException();
  m_lpBuffer = p;
  m_nBufferSize = rounded;
  m_bAutoDelete = TRUE;
}

UINT CMemFile::Read(void* lpBuf, UINT nCount) {
  if (nCount == 0 || m_nPosition >= m_nFileSize) return 0;
  size_t avail = m_nFileSize - m_nPosition;
  size_t n = nCount < avail ? nCount : avail;
  std::memcpy(lpBuf, m_lpBuffer + m_nPosition, n);
  m_nPosition += n;
  return static_cast<UINT>(n);
}

void CMemFile::Write(const void* lpBuf, UINT nCount) {
  if (nCount == 0) return;
  if (nCount > SIZE_MAX - m_nPosition) AfxThrowMemoryException();
  size_t end = m_nPosition + nCount;
  GrowFile(end);
  // A position past the end leaves a gap of zeros.
  if (m_nPosition > m_nFileSize) std::memset(m_lpBuffer + m_nFileSize, 0, m_nPosition - m_nFileSize);
  std::memcpy(m_lpBuffer + m_nPosition, lpBuf, nCount);
  m_nPosition = end;
  if (end > m_nFileSize) m_nFileSize = end;
}

uint64_t CMemFile::Seek(int64_t lOff, UINT nFrom) {
  int64_t base = nFrom == begin     ? 0
                 : nFrom == current ? static_cast<int64_t>(m_nPosition)
                                    : static_cast<int64_t>(m_nFileSize);
  if ((lOff < 0 && -lOff > base) || (lOff > 0 && lOff > INT64_MAX - base)) {
    AfxThrowFileException(CFileException::badSeek);
  }
  int64_t pos = base + lOff;
  if (static_cast<uint64_t>(pos) > SIZE_MAX) AfxThrowFileException(CFileException::badSeek);
  m_nPosition = static_cast<size_t>(pos);
  return m_nPosition;
}

void CMemFile::SetLength(uint64_t dwNewLen) {
  if (dwNewLen > SIZE_MAX) AfxThrowMemoryException();
  size_t n = static_cast<size_t>(dwNewLen);
  GrowFile(n);
  if (n > m_nFileSize) std::memset(m_lpBuffer + m_nFileSize, 0, n - m_nFileSize);
  m_nFileSize = n;
  if (m_nPosition > n) m_nPosition = n;
}

void CMemFile::Close() {
  if (m_bAutoDelete) std::free(m_lpBuffer);
  m_lpBuffer = nullptr;
  m_nBufferSize = m_nFileSize = m_nPosition = 0;
  m_bAutoDelete = TRUE;
}
