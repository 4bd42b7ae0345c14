// CFile over the Win32 file functions.
#include <windows.h>

#include <cstring>

#include "framework/afxfile.h"

void* const CFile::hFileNull = INVALID_HANDLE_VALUE;

namespace {

[[noreturn]] void ThrowOsError(DWORD err, const CString& name) {
  AfxThrowFileException(AfxOsErrorToFileCause(static_cast<int32_t>(err)), static_cast<int32_t>(err), name);
}

int64_t FileTimeToUnix(const FILETIME& ft) {
  ULARGE_INTEGER u;
  u.LowPart = ft.dwLowDateTime;
  u.HighPart = ft.dwHighDateTime;
  // 100 ns units since 1601 to seconds since 1970.
  return static_cast<int64_t>(u.QuadPart / 10000000ULL) - 11644473600LL;
}

}  // namespace

CFile::CFile(const char* lpszFileName, UINT nOpenFlags) {
  CFileException error;
  if (!Open(lpszFileName, nOpenFlags, &error)) {
    AfxThrowFileException(error.m_cause, error.m_lOsError, lpszFileName);
  }
}

CFile::~CFile() {
  if (m_hFile != hFileNull) Abort();
}

void CFile::ThrowLastError() const { ThrowOsError(::GetLastError(), m_strFileName); }

BOOL CFile::Open(const char* lpszFileName, UINT nOpenFlags, CFileException* pError) {
  if (m_hFile != hFileNull || lpszFileName == nullptr) {
    if (pError != nullptr) {
      pError->m_cause = lpszFileName == nullptr ? CFileException::badPath : CFileException::genericException;
      pError->m_lOsError = -1;
      pError->m_strFileName = lpszFileName;
    }
    return FALSE;
  }
  DWORD access;
  switch (nOpenFlags & 3) {
    case modeRead:
      access = GENERIC_READ;
      break;
    case modeWrite:
      access = GENERIC_WRITE;
      break;
    default:
      access = GENERIC_READ | GENERIC_WRITE;
      break;
  }
  DWORD share;
  switch (nOpenFlags & 0x70) {
    case shareDenyWrite:
      share = FILE_SHARE_READ;
      break;
    case shareDenyRead:
      share = FILE_SHARE_WRITE;
      break;
    case shareDenyNone:
      share = FILE_SHARE_READ | FILE_SHARE_WRITE;
      break;
    default:
      share = 0;
      break;  // shareExclusive, shareCompat
  }
  DWORD creation = OPEN_EXISTING;
  if (nOpenFlags & modeCreate) creation = (nOpenFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
  SECURITY_ATTRIBUTES sa{};
  sa.nLength = sizeof sa;
  sa.bInheritHandle = (nOpenFlags & modeNoInherit) ? FALSE : TRUE;
  HANDLE h = ::CreateFileA(lpszFileName, access, share, &sa, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD err = ::GetLastError();
    if (pError != nullptr) {
      pError->m_cause = AfxOsErrorToFileCause(static_cast<int32_t>(err));
      pError->m_lOsError = static_cast<int32_t>(err);
      pError->m_strFileName = lpszFileName;
    }
    return FALSE;
  }
  m_hFile = h;
  // Keep the full path, as the status and the messages want it.
  char full[MAX_PATH + 1];
  DWORD n = ::GetFullPathNameA(lpszFileName, sizeof full, full, nullptr);
  m_strFileName = (n > 0 && n < sizeof full) ? full : lpszFileName;
  return TRUE;
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
  if (m_hFile == hFileNull) AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
  if (nCount == 0) return 0;
  DWORD got = 0;
  if (!::ReadFile(m_hFile, lpBuf, nCount, &got, nullptr)) {
    DWORD err = ::GetLastError();
    if (err == ERROR_HANDLE_EOF || err == ERROR_BROKEN_PIPE) return 0;
    ThrowOsError(err, m_strFileName);
  }
  return got;
}

void CFile::Write(const void* lpBuf, UINT nCount) {
  if (m_hFile == hFileNull) AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
  if (nCount == 0) return;
  DWORD written = 0;
  if (!::WriteFile(m_hFile, lpBuf, nCount, &written, nullptr)) ThrowLastError();
  // A short write means the disk is full.
  if (written != nCount) AfxThrowFileException(CFileException::diskFull, -1, m_strFileName);
}

uint64_t CFile::Seek(int64_t lOff, UINT nFrom) {
  if (m_hFile == hFileNull) AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
  LARGE_INTEGER li;
  li.QuadPart = lOff;
  DWORD method = nFrom == begin ? FILE_BEGIN : nFrom == current ? FILE_CURRENT : FILE_END;
  li.LowPart = ::SetFilePointer(m_hFile, static_cast<LONG>(li.LowPart), &li.HighPart, method);
  if (li.LowPart == INVALID_SET_FILE_POINTER) {
    DWORD err = ::GetLastError();
    if (err != NO_ERROR) ThrowOsError(err, m_strFileName);
  }
  return static_cast<uint64_t>(li.QuadPart);
}

uint64_t CFile::GetPosition() const {
  if (m_hFile == hFileNull) AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
  LONG high = 0;
  DWORD low = ::SetFilePointer(m_hFile, 0, &high, FILE_CURRENT);
  if (low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR) ThrowLastError();
  return (static_cast<uint64_t>(static_cast<DWORD>(high)) << 32) | low;
}

uint64_t CFile::GetLength() const {
  if (m_hFile == hFileNull) AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
  DWORD high = 0;
  DWORD low = ::GetFileSize(m_hFile, &high);
  if (low == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) ThrowLastError();
  return (static_cast<uint64_t>(high) << 32) | low;
}

void CFile::SetLength(uint64_t dwNewLen) {
  Seek(static_cast<int64_t>(dwNewLen), begin);
  if (!::SetEndOfFile(m_hFile)) ThrowLastError();
}

void CFile::Flush() {
  if (m_hFile == hFileNull) return;
  if (!::FlushFileBuffers(m_hFile)) ThrowLastError();
}

void CFile::Close() {
  if (m_hFile == hFileNull) return;
  HANDLE h = m_hFile;
  m_hFile = hFileNull;
  if (!::CloseHandle(h)) ThrowLastError();
}

void CFile::Abort() {
  if (m_hFile == hFileNull) return;
  ::CloseHandle(m_hFile);
  m_hFile = hFileNull;
}

BOOL CFile::GetStatus(const char* lpszFileName, CFileStatus& rStatus) {
  if (lpszFileName == nullptr) return FALSE;
  char full[MAX_PATH + 1];
  DWORD n = ::GetFullPathNameA(lpszFileName, sizeof full, full, nullptr);
  if (n == 0 || n >= sizeof full) return FALSE;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExA(full, GetFileExInfoStandard, &data)) return FALSE;
  std::memcpy(rStatus.m_szFullName, full, n + 1);
  rStatus.m_size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  rStatus.m_attribute = static_cast<uint8_t>(data.dwFileAttributes & 0xFF);
  rStatus.m_mtime = FileTimeToUnix(data.ftLastWriteTime);
  return TRUE;
}

void CFile::Remove(const char* lpszFileName) {
  if (!::DeleteFileA(lpszFileName)) ThrowOsError(::GetLastError(), lpszFileName);
}

void CFile::Rename(const char* lpszOldName, const char* lpszNewName) {
  if (!::MoveFileA(lpszOldName, lpszNewName)) ThrowOsError(::GetLastError(), lpszOldName);
}

void CFile::RenameReplacing(const char* lpszOldName, const char* lpszNewName) {
  if (!::MoveFileExA(lpszOldName, lpszNewName, MOVEFILE_REPLACE_EXISTING)) ThrowOsError(::GetLastError(), lpszNewName);
}
