// CString: a multi-byte (ANSI) string of chars with the familiar interface.
// Platform-neutral; the few Win32 conversions are declared under _WIN32 and
// live in cstring_win.cpp.
//
// Lengths and positions count bytes.  Searching, case mapping and trimming
// step over double-byte characters of the active multi-byte code page (see
// AfxGetMbcsCodePage), so that a trail byte is never taken for an ASCII
// letter or separator.  Case mapping changes ASCII letters only.
#pragma once

#include <cstdarg>
#include <string>
#include <type_traits>
#include <utility>

#include "framework/afxtypes.h"

#if defined(__MINGW_PRINTF_FORMAT)
#define AFX_PRINTF_FORMAT_(fmt, first) __attribute__((format(__MINGW_PRINTF_FORMAT, fmt, first)))
#elif defined(__GNUC__)
#define AFX_PRINTF_FORMAT_(fmt, first) __attribute__((format(printf, fmt, first)))
#else
#define AFX_PRINTF_FORMAT_(fmt, first)
#endif

class CString {
 public:
  CString() = default;
  CString(const CString&) = default;
  CString(CString&&) noexcept = default;
  // A null pointer gives an empty string.
  CString(const char* psz);  // NOLINT: implicit like the original
  // nLength bytes from pch (may hold NULs); null or nLength <= 0 gives "".
  CString(const char* pch, int nLength);
  // nRepeat copies of ch; nRepeat <= 0 gives "".
  explicit CString(char ch, int nRepeat = 1);
#ifdef _WIN32
  // Converted to the thread's ANSI code page (CP_ACP).  Null gives "".
  CString(const wchar_t* psz);  // NOLINT
  CString(const wchar_t* pch, int nLength);
  CString& operator=(const wchar_t* psz);
#endif
  ~CString() = default;

  CString& operator=(const CString&) = default;
  CString& operator=(CString&&) noexcept = default;
  CString& operator=(const char* psz);
  CString& operator=(char ch);

  int GetLength() const { return static_cast<int>(m_str.size()); }
  BOOL IsEmpty() const { return m_str.empty() ? TRUE : FALSE; }
  void Empty() { m_str.clear(); }

  operator const char*() const { return m_str.c_str(); }  // NOLINT
  const char* GetString() const { return m_str.c_str(); }

  // The byte at nIndex; nIndex == GetLength() gives the terminating '\0'.
  // Throws std::out_of_range outside [0, GetLength()].
  char GetAt(int nIndex) const;
  // Replaces the byte at nIndex; throws std::out_of_range outside
  // [0, GetLength()).
  void SetAt(int nIndex, char ch);
  // A template so that s[i] with any integer type beats the built-in
  // subscript through the conversion to const char*.
  template <typename I, typename = typename std::enable_if<std::is_integral<I>::value>::type>
  char operator[](I nIndex) const {
    return GetAt(nIndex < 0 || static_cast<unsigned long long>(nIndex) > 0x7FFFFFFFull ? -1 : static_cast<int>(nIndex));
  }

  CString& operator+=(const CString& str) {
    m_str += str.m_str;
    return *this;
  }
  CString& operator+=(const char* psz);
  CString& operator+=(char ch) {
    m_str += ch;
    return *this;
  }
  // Appends nLength bytes of pch (nLength < 0 or null: nothing).
  void Append(const char* pch, int nLength);
  void AppendChar(char ch) { m_str += ch; }

  // strcmp order (bytes unsigned): < 0, 0 or > 0.  Null compares as "".
  int Compare(const char* psz) const;
  // The same with ASCII letters compared case-insensitively.
  int CompareNoCase(const char* psz) const;

  // printf formatting.  The arguments may point into this string.  A
  // CString argument must be passed as GetString() (or cast to const
  // char*); passing the object itself is a compile error.  An invalid
  // format throws std::invalid_argument and leaves the string unchanged.
  void Format(const char* pszFormat, ...) AFX_PRINTF_FORMAT_(2, 3);
  void AppendFormat(const char* pszFormat, ...) AFX_PRINTF_FORMAT_(2, 3);
  void FormatV(const char* pszFormat, va_list args);
  void AppendFormatV(const char* pszFormat, va_list args);

  // Substrings by byte counts, clamped to the string.
  CString Left(int nCount) const;
  CString Mid(int iFirst) const;
  CString Mid(int iFirst, int nCount) const;
  CString Right(int nCount) const;

  // Position of the first match at or after iStart, or -1.
  int Find(char ch, int iStart = 0) const;
  int Find(const char* pszSub, int iStart = 0) const;
  // Position of the last ch, or -1.
  int ReverseFind(char ch) const;
  // Position of the first byte that is one of pszCharSet, or -1.
  int FindOneOf(const char* pszCharSet) const;

  CString& MakeUpper();
  CString& MakeLower();

  // Removes white space (or ch, or any byte of pszTargets) at the ends.
  CString& Trim();
  CString& Trim(char chTarget);
  CString& Trim(const char* pszTargets);
  CString& TrimLeft();
  CString& TrimLeft(char chTarget);
  CString& TrimLeft(const char* pszTargets);
  CString& TrimRight();
  CString& TrimRight(char chTarget);
  CString& TrimRight(const char* pszTargets);

  // Replaces every occurrence; returns how many were replaced.  An empty or
  // null pszOld replaces nothing; a null pszNew counts as "".
  int Replace(char chOld, char chNew);
  int Replace(const char* pszOld, const char* pszNew);
  // Removes every ch; returns how many were removed.
  int Remove(char ch);
  // Inserts at iIndex (clamped); returns the new length.
  int Insert(int iIndex, char ch);
  int Insert(int iIndex, const char* psz);
  // Deletes nCount bytes at iIndex (clamped); returns the new length.
  int Delete(int iIndex, int nCount = 1);

  // A writable buffer of at least nMinBufLength + 1 bytes, terminator
  // included; the contents are kept.  Until ReleaseBuffer the length is
  // max(old length, nMinBufLength).
  char* GetBuffer(int nMinBufLength);
  char* GetBuffer() { return &m_str[0]; }
  // A writable buffer whose length is exactly nNewLength (+1 terminator).
  char* GetBufferSetLength(int nNewLength);
  // Ends the buffer use: the length becomes nNewLength (clamped to the
  // buffer), or with -1 the length up to the first '\0' in the buffer.
  void ReleaseBuffer(int nNewLength = -1);

#ifdef _WIN32
  // Loads string nID of the resource module (AfxGetResourceHandle) as
  // multi-byte text of the thread's ANSI code page.  FALSE (and the string
  // emptied) when there is no such string.  <windows.h> may or may not have
  // made LoadString a macro for LoadStringA; both names work.
  BOOL LoadFromResource(unsigned int nID);
#ifndef LoadString
  BOOL LoadString(unsigned int nID) { return LoadFromResource(nID); }
#endif
  BOOL LoadStringA(unsigned int nID) { return LoadFromResource(nID); }
#endif

  const std::string& str() const { return m_str; }

 private:
  std::string m_str;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, const char* b);
CString operator+(const char* a, const CString& b);
CString operator+(const CString& a, char b);
CString operator+(char a, const CString& b);

inline bool operator==(const CString& a, const CString& b) { return a.str() == b.str(); }
inline bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
inline bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
inline bool operator!=(const CString& a, const CString& b) { return !(a == b); }
inline bool operator!=(const CString& a, const char* b) { return !(a == b); }
inline bool operator!=(const char* a, const CString& b) { return !(a == b); }
inline bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
inline bool operator<(const CString& a, const char* b) { return a.Compare(b) < 0; }
inline bool operator<(const char* a, const CString& b) { return b.Compare(a) > 0; }
inline bool operator>(const CString& a, const CString& b) { return a.Compare(b) > 0; }
inline bool operator>(const CString& a, const char* b) { return a.Compare(b) > 0; }
inline bool operator>(const char* a, const CString& b) { return b.Compare(a) < 0; }
inline bool operator<=(const CString& a, const CString& b) { return a.Compare(b) <= 0; }
inline bool operator<=(const CString& a, const char* b) { return a.Compare(b) <= 0; }
inline bool operator<=(const char* a, const CString& b) { return b.Compare(a) >= 0; }
inline bool operator>=(const CString& a, const CString& b) { return a.Compare(b) >= 0; }
inline bool operator>=(const CString& a, const char* b) { return a.Compare(b) >= 0; }
inline bool operator>=(const char* a, const CString& b) { return b.Compare(a) <= 0; }

// The code page whose double-byte characters CString steps over: on Win32
// the thread's ANSI code page (GetACP) unless set; natively 0 (none) unless
// set.  Double-byte pages known: 932, 936, 949, 950.
UINT AfxGetMbcsCodePage();
// Overrides the code page (0 = single-byte); for tests and special cases.
void AfxSetMbcsCodePage(UINT codePage);
// TRUE when ch starts a double-byte character in codePage.
BOOL AfxIsLeadByteOf(UINT codePage, unsigned char ch);
