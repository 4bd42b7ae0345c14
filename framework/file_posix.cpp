// CFile over POSIX descriptors, for the native build (tests and tools).
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/afxfile.h"

void* const CFile::hFileNull = reinterpret_cast<void*>(static_cast<intptr_t>(-1));

namespace {

int Fd(void* h) { return static_cast<int>(reinterpret_cast<intptr_t>(h)); }
void* Handle(int fd) { return reinterpret_cast<void*>(static_cast<intptr_t>(fd)); }

// errno to the Win32 code whose cause it is, so that callers see the same
// values on both builds.
int32_t ErrnoToOsError(int e) {
  switch (e) {
    case ENOENT:
      return 2;
    case ENOTDIR:
      return 3;
    case EMFILE:
    case ENFILE:
      return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return 5;
    case EBADF:
      return 6;
    case EEXIST:
      return 80;
    case ENOSPC:
      return 112;
    case ENAMETOOLONG:
      return 206;
    case EINVAL:
      return 87;
    case EIO:
      return 30;
    default:
      return 31;  // ERROR_GEN_FAILURE
  }
}

// ENOENT stands for both a missing file and a missing folder; Win32 tells
// them apart, and so do we.
int32_t OpenErrorToOsError(int e, const char* path) {
  if (e != ENOENT) return ErrnoToOsError(e);
  std::string dir(path);
  size_t slash = dir.find_last_of('/');
  if (slash == std::string::npos) return 2;
  dir.resize(slash == 0 ? 1 : slash);
  struct stat st;
  return (::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ? 2 : 3;
}

[[noreturn]] void ThrowErrno(int e, const CString& name) {
  int32_t os = ErrnoToOsError(e);
  AfxThrowFileException(AfxOsErrorToFileCause(os), os, name);
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

void CFile::ThrowLastError() const { ThrowErrno(errno, m_strFileName); }

BOOL CFile::Open(const char* lpszFileName, UINT nOpenFlags, CFileException* pError) {
  if (m_hFile != hFileNull || lpszFileName == nullptr) {
    if (pError != nullptr) {
      pError->m_cause = lpszFileName == nullptr ? CFileException::badPath : CFileException::genericException;
      pError->m_lOsError = -1;
      pError->m_strFileName = lpszFileName;
    }
    return FALSE;
  }
  int flags;
  switch (nOpenFlags & 3) {
    case modeRead:
      flags = O_RDONLY;
      break;
    case modeWrite:
      flags = O_WRONLY;
      break;
    default:
      flags = O_RDWR;
      break;
  }
  if (nOpenFlags & modeCreate) flags |= O_CREAT | ((nOpenFlags & modeNoTruncate) ? 0 : O_TRUNC);
  flags |= O_CLOEXEC;
  // Sharing modes have no POSIX counterpart: they are not enforced here.
  int fd = ::open(lpszFileName, flags, 0666);
  if (fd < 0) {
    int32_t os = OpenErrorToOsError(errno, lpszFileName);
    if (pError != nullptr) {
      pError->m_cause = AfxOsErrorToFileCause(os);
      pError->m_lOsError = os;
      pError->m_strFileName = lpszFileName;
    }
    return FALSE;
  }
  m_hFile = Handle(fd);
  char full[PATH_MAX];
  m_strFileName = ::realpath(lpszFileName, full) != nullptr ? full : lpszFileName;
  return TRUE;
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
  if (m_hFile == hFileNull) AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
  UINT done = 0;
  while (done < nCount) {
    ssize_t n = ::read(Fd(m_hFile), static_cast<char*>(lpBuf) + done, nCount - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowLastError();
    }
    if (n == 0) break;
    done += static_cast<UINT>(n);
  }
  return done;
}

void CFile::Write(const void* lpBuf, UINT nCount) {
  if (m_hFile == hFileNull) AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
  UINT done = 0;
  while (done < nCount) {
    ssize_t n = ::write(Fd(m_hFile), static_cast<const char*>(lpBuf) + done, nCount - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowLastError();
    }
    if (n == 0) AfxThrowFileException(CFileException::diskFull, -1, m_strFileName);
    done += static_cast<UINT>(n);
  }
}

uint64_t CFile::Seek(int64_t lOff, UINT nFrom) {
  if (m_hFile == hFileNull) AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
  int whence = nFrom == begin ? SEEK_SET : nFrom == current ? SEEK_CUR : SEEK_END;
  off_t r = ::lseek(Fd(m_hFile), static_cast<off_t>(lOff), whence);
  if (r < 0) {
    if (errno == EINVAL) AfxThrowFileException(CFileException::badSeek, 131, m_strFileName);
    ThrowLastError();
  }
  return static_cast<uint64_t>(r);
}

uint64_t CFile::GetPosition() const {
  if (m_hFile == hFileNull) AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
  off_t r = ::lseek(Fd(m_hFile), 0, SEEK_CUR);
  if (r < 0) ThrowLastError();
  return static_cast<uint64_t>(r);
}

uint64_t CFile::GetLength() const {
  if (m_hFile == hFileNull) AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
  struct stat st;
  if (::fstat(Fd(m_hFile), &st) != 0) ThrowLastError();
  return static_cast<uint64_t>(st.st_size);
}

void CFile::SetLength(uint64_t dwNewLen) {
  if (m_hFile == hFileNull) AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
  if (::ftruncate(Fd(m_hFile), static_cast<off_t>(dwNewLen)) != 0) ThrowLastError();
  Seek(static_cast<int64_t>(dwNewLen), begin);
}

void CFile::Flush() {
  if (m_hFile == hFileNull) return;
  if (::fsync(Fd(m_hFile)) != 0 && errno != EINVAL) ThrowLastError();
}

void CFile::Close() {
  if (m_hFile == hFileNull) return;
  int fd = Fd(m_hFile);
  m_hFile = hFileNull;
  if (::close(fd) != 0) ThrowLastError();
}

void CFile::Abort() {
  if (m_hFile == hFileNull) return;
  ::close(Fd(m_hFile));
  m_hFile = hFileNull;
}

BOOL CFile::GetStatus(const char* lpszFileName, CFileStatus& rStatus) {
  if (lpszFileName == nullptr) return FALSE;
  struct stat st;
  if (::stat(lpszFileName, &st) != 0) return FALSE;
  char full[PATH_MAX];
  if (::realpath(lpszFileName, full) == nullptr) return FALSE;
  size_t n = std::strlen(full);
  if (n >= sizeof rStatus.m_szFullName) return FALSE;
  std::memcpy(rStatus.m_szFullName, full, n + 1);
  rStatus.m_size = static_cast<uint64_t>(st.st_size);
  rStatus.m_attribute = S_ISDIR(st.st_mode) ? CFile::directory : CFile::normal;
  if (!(st.st_mode & S_IWUSR)) rStatus.m_attribute |= CFile::readOnly;
  rStatus.m_mtime = static_cast<int64_t>(st.st_mtime);
  return TRUE;
}

void CFile::Remove(const char* lpszFileName) {
  if (::unlink(lpszFileName) != 0) ThrowErrno(errno, lpszFileName);
}

void CFile::Rename(const char* lpszOldName, const char* lpszNewName) {
  if (::rename(lpszOldName, lpszNewName) != 0) ThrowErrno(errno, lpszOldName);
}

// rename replaces the new name already, in one step.
void CFile::RenameReplacing(const char* lpszOldName, const char* lpszNewName) { Rename(lpszOldName, lpszNewName); }
