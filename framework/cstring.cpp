#include "framework/cstring.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <stdexcept>

// Defined once per platform (cstring_win.cpp / cstring_posix.cpp).
UINT AfxQuerySystemCodePage();

namespace {

constexpr int kCodePageUnset = -1;
std::atomic<int> g_codePage{kCodePageUnset};

bool IsSpace(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Bytes taken by the character starting at s[i]: 2 for a lead byte followed
// by a trail byte, else 1.  A lead byte at the very end stands alone.
size_t CharLen(const std::string& s, size_t i, UINT cp) {
  if (cp != 0 && i + 1 < s.size() && s[i + 1] != '\0' && AfxIsLeadByteOf(cp, static_cast<unsigned char>(s[i]))) {
    return 2;
  }
  return 1;
}

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

template <typename Pred>
void TrimLeftIf(std::string& s, Pred isTarget) {
  size_t i = 0;
  while (i < s.size() && isTarget(static_cast<unsigned char>(s[i]))) ++i;
  s.erase(0, i);
}

// Walks forward so that a trail byte that looks like a target is never
// mistaken for one.
template <typename Pred>
void TrimRightIf(std::string& s, Pred isTarget) {
  const UINT cp = AfxGetMbcsCodePage();
  size_t runStart = std::string::npos;
  for (size_t i = 0; i < s.size();) {
    size_t len = CharLen(s, i, cp);
    if (len == 1 && isTarget(static_cast<unsigned char>(s[i]))) {
      if (runStart == std::string::npos) runStart = i;
    } else {
      runStart = std::string::npos;
    }
    i += len;
  }
  if (runStart != std::string::npos) s.erase(runStart);
}

struct InSet {
  const char* set;
  bool operator()(unsigned char c) const { return set != nullptr && c != 0 && std::strchr(set, c) != nullptr; }
};

struct IsChar {
  unsigned char ch;
  bool operator()(unsigned char c) const { return c == ch; }
};

struct IsWhite {
  bool operator()(unsigned char c) const { return IsSpace(c); }
};

// vsnprintf into a fresh string; throws on a format error.
std::string FormatToString(const char* fmt, va_list args) {
  if (fmt == nullptr) return std::string();
  char small[256];
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(small, sizeof small, fmt, copy);
  va_end(copy);
  if (n < 0) throw std::invalid_argument("CString::Format: invalid format or argument");
  if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
  std::string out(static_cast<size_t>(n), '\0');
  va_copy(copy, args);
  // n + 1: room for the terminator, which lands on out[n] (allowed for '\0').
  int m = std::vsnprintf(&out[0], static_cast<size_t>(n) + 1, fmt, copy);
  va_end(copy);
  if (m != n) throw std::invalid_argument("CString::Format: invalid format or argument");
  return out;
}

}  // namespace

UINT AfxGetMbcsCodePage() {
  int cp = g_codePage.load(std::memory_order_relaxed);
  return cp == kCodePageUnset ? AfxQuerySystemCodePage() : static_cast<UINT>(cp);
}

void AfxSetMbcsCodePage(UINT codePage) { g_codePage.store(static_cast<int>(codePage)); }

BOOL AfxIsLeadByteOf(UINT codePage, unsigned char ch) {
  switch (codePage) {
    case 932:  // Shift-JIS
      return ((ch >= 0x81 && ch <= 0x9F) || (ch >= 0xE0 && ch <= 0xFC)) ? TRUE : FALSE;
    case 936:  // GBK
    case 949:  // Unified Hangul Code
    case 950:  // Big5
      return (ch >= 0x81 && ch <= 0xFE) ? TRUE : FALSE;
    default:
      return FALSE;
  }
}

// ---- construction ------------------------------------------------------------

CString::CString(const char* psz) {
  if (psz != nullptr) m_str = psz;
}

CString::CString(const char* pch, int nLength) {
  if (pch != nullptr && nLength > 0) m_str.assign(pch, static_cast<size_t>(nLength));
}

CString::CString(char ch, int nRepeat) {
  if (nRepeat > 0) m_str.assign(static_cast<size_t>(nRepeat), ch);
}

CString& CString::operator=(const char* psz) {
  // psz may point into this string: assign copes with overlap.
  if (psz == nullptr) {
    m_str.clear();
  } else {
    m_str.assign(psz);
  }
  return *this;
}

CString& CString::operator=(char ch) {
  m_str.assign(1, ch);
  return *this;
}

// ---- access --------------------------------------------------------------

char CString::GetAt(int nIndex) const {
  if (nIndex < 0 || nIndex > GetLength()) throw std::out_of_range("CString index out of range");
  return m_str.c_str()[nIndex];
}

void CString::SetAt(int nIndex, char ch) {
  if (nIndex < 0 || nIndex >= GetLength()) throw std::out_of_range("CString index out of range");
  m_str[static_cast<size_t>(nIndex)] = ch;
}

CString& CString::operator+=(const char* psz) {
  if (psz != nullptr) m_str.append(psz);
  return *this;
}

void CString::Append(const char* pch, int nLength) {
  if (pch != nullptr && nLength > 0) m_str.append(pch, static_cast<size_t>(nLength));
}

// ---- comparison ----------------------------------------------------------

int CString::Compare(const char* psz) const {
  const unsigned char* a = reinterpret_cast<const unsigned char*>(m_str.c_str());
  const unsigned char* b = reinterpret_cast<const unsigned char*>(psz != nullptr ? psz : "");
  int r = std::strcmp(reinterpret_cast<const char*>(a), reinterpret_cast<const char*>(b));
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CString::CompareNoCase(const char* psz) const {
  const UINT cp = AfxGetMbcsCodePage();
  const char* a = m_str.c_str();
  const char* b = psz != nullptr ? psz : "";
  // Both sides stay on character boundaries: they are equal up to here.
  for (;;) {
    unsigned char ca = static_cast<unsigned char>(*a);
    unsigned char cb = static_cast<unsigned char>(*b);
    if (cp != 0 && AfxIsLeadByteOf(cp, ca) && a[1] != '\0') {
      if (ca != cb) return ca < cb ? -1 : 1;
      unsigned char ta = static_cast<unsigned char>(a[1]);
      unsigned char tb = static_cast<unsigned char>(b[1]);
      if (ta != tb) return ta < tb ? -1 : 1;
      a += 2;
      b += 2;
      continue;
    }
    unsigned char fa = static_cast<unsigned char>(FoldAscii(static_cast<char>(ca)));
    unsigned char fb = static_cast<unsigned char>(FoldAscii(static_cast<char>(cb)));
    if (fa != fb) return fa < fb ? -1 : 1;
    if (ca == 0) return 0;
    ++a;
    ++b;
  }
}

// ---- formatting ----------------------------------------------------------

void CString::Format(const char* pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  try {
    FormatV(pszFormat, args);
  } catch (...) {
    va_end(args);
    throw;
  }
  va_end(args);
}

void CString::AppendFormat(const char* pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  try {
    AppendFormatV(pszFormat, args);
  } catch (...) {
    va_end(args);
    throw;
  }
  va_end(args);
}

// Formatting goes to a separate string first: the arguments may point into
// this one.
void CString::FormatV(const char* pszFormat, va_list args) { m_str = FormatToString(pszFormat, args); }

void CString::AppendFormatV(const char* pszFormat, va_list args) { m_str += FormatToString(pszFormat, args); }

// ---- substrings ------------------------------------------------------------

CString CString::Left(int nCount) const {
  if (nCount <= 0) return CString();
  if (nCount >= GetLength()) return *this;
  return CString(m_str.data(), nCount);
}

CString CString::Mid(int iFirst) const { return Mid(iFirst, GetLength()); }

CString CString::Mid(int iFirst, int nCount) const {
  const int len = GetLength();
  if (iFirst < 0) iFirst = 0;
  if (nCount <= 0 || iFirst >= len) return CString();
  // len - iFirst > 0 here; compare without forming iFirst + nCount.
  if (nCount > len - iFirst) nCount = len - iFirst;
  return CString(m_str.data() + iFirst, nCount);
}

CString CString::Right(int nCount) const {
  const int len = GetLength();
  if (nCount <= 0) return CString();
  if (nCount >= len) return *this;
  return CString(m_str.data() + (len - nCount), nCount);
}

// ---- searching -------------------------------------------------------------

int CString::Find(char ch, int iStart) const {
  if (iStart < 0) iStart = 0;
  const UINT cp = AfxGetMbcsCodePage();
  for (size_t i = 0; i < m_str.size();) {
    size_t len = CharLen(m_str, i, cp);
    if (len == 1 && static_cast<int>(i) >= iStart && m_str[i] == ch) return static_cast<int>(i);
    i += len;
  }
  return -1;
}

int CString::Find(const char* pszSub, int iStart) const {
  if (pszSub == nullptr) return -1;
  if (iStart < 0) iStart = 0;
  if (iStart > GetLength()) return -1;
  const size_t subLen = std::strlen(pszSub);
  if (subLen == 0) return iStart;
  const UINT cp = AfxGetMbcsCodePage();
  for (size_t i = 0; i < m_str.size();) {
    if (static_cast<int>(i) >= iStart && m_str.compare(i, subLen, pszSub) == 0) {
      return static_cast<int>(i);
    }
    i += CharLen(m_str, i, cp);
  }
  return -1;
}

int CString::ReverseFind(char ch) const {
  const UINT cp = AfxGetMbcsCodePage();
  int found = -1;
  for (size_t i = 0; i < m_str.size();) {
    size_t len = CharLen(m_str, i, cp);
    if (len == 1 && m_str[i] == ch) found = static_cast<int>(i);
    i += len;
  }
  return found;
}

int CString::FindOneOf(const char* pszCharSet) const {
  InSet inSet{pszCharSet};
  const UINT cp = AfxGetMbcsCodePage();
  for (size_t i = 0; i < m_str.size();) {
    size_t len = CharLen(m_str, i, cp);
    if (len == 1 && inSet(static_cast<unsigned char>(m_str[i]))) return static_cast<int>(i);
    i += len;
  }
  return -1;
}

// ---- case and trimming -----------------------------------------------------

CString& CString::MakeUpper() {
  const UINT cp = AfxGetMbcsCodePage();
  for (size_t i = 0; i < m_str.size();) {
    size_t len = CharLen(m_str, i, cp);
    char& c = m_str[i];
    if (len == 1 && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    i += len;
  }
  return *this;
}

CString& CString::MakeLower() {
  const UINT cp = AfxGetMbcsCodePage();
  for (size_t i = 0; i < m_str.size();) {
    size_t len = CharLen(m_str, i, cp);
    if (len == 1) m_str[i] = FoldAscii(m_str[i]);
    i += len;
  }
  return *this;
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(char chTarget) { return TrimRight(chTarget).TrimLeft(chTarget); }
CString& CString::Trim(const char* pszTargets) { return TrimRight(pszTargets).TrimLeft(pszTargets); }

CString& CString::TrimLeft() {
  TrimLeftIf(m_str, IsWhite{});
  return *this;
}
CString& CString::TrimLeft(char chTarget) {
  TrimLeftIf(m_str, IsChar{static_cast<unsigned char>(chTarget)});
  return *this;
}
CString& CString::TrimLeft(const char* pszTargets) {
  TrimLeftIf(m_str, InSet{pszTargets});
  return *this;
}

CString& CString::TrimRight() {
  TrimRightIf(m_str, IsWhite{});
  return *this;
}
CString& CString::TrimRight(char chTarget) {
  TrimRightIf(m_str, IsChar{static_cast<unsigned char>(chTarget)});
  return *this;
}
CString& CString::TrimRight(const char* pszTargets) {
  TrimRightIf(m_str, InSet{pszTargets});
  return *this;
}

// ---- editing ---------------------------------------------------------------

int CString::Replace(char chOld, char chNew) {
  const UINT cp = AfxGetMbcsCodePage();
  int count = 0;
  for (size_t i = 0; i < m_str.size();) {
    size_t len = CharLen(m_str, i, cp);
    if (len == 1 && m_str[i] == chOld) {
      m_str[i] = chNew;
      ++count;
    }
    i += len;
  }
  return count;
}

int CString::Replace(const char* pszOld, const char* pszNew) {
  if (pszOld == nullptr || *pszOld == '\0') return 0;
  // Copies first: either argument may point into this string.
  const std::string oldText(pszOld);
  const std::string newText(pszNew != nullptr ? pszNew : "");
  const UINT cp = AfxGetMbcsCodePage();
  std::string out;
  int count = 0;
  for (size_t i = 0; i < m_str.size();) {
    if (m_str.compare(i, oldText.size(), oldText) == 0) {
      out += newText;
      i += oldText.size();
      ++count;
    } else {
      size_t len = CharLen(m_str, i, cp);
      out.append(m_str, i, len);
      i += len;
    }
  }
  if (count > 0) m_str.swap(out);
  return count;
}

int CString::Remove(char ch) {
  const UINT cp = AfxGetMbcsCodePage();
  std::string out;
  int count = 0;
  for (size_t i = 0; i < m_str.size();) {
    size_t len = CharLen(m_str, i, cp);
    if (len == 1 && m_str[i] == ch) {
      ++count;
    } else {
      out.append(m_str, i, len);
    }
    i += len;
  }
  if (count > 0) m_str.swap(out);
  return count;
}

int CString::Insert(int iIndex, char ch) {
  if (iIndex < 0) iIndex = 0;
  if (iIndex > GetLength()) iIndex = GetLength();
  m_str.insert(static_cast<size_t>(iIndex), 1, ch);
  return GetLength();
}

int CString::Insert(int iIndex, const char* psz) {
  if (psz == nullptr) return GetLength();
  if (iIndex < 0) iIndex = 0;
  if (iIndex > GetLength()) iIndex = GetLength();
  const std::string text(psz);  // psz may point into this string
  m_str.insert(static_cast<size_t>(iIndex), text);
  return GetLength();
}

int CString::Delete(int iIndex, int nCount) {
  if (iIndex < 0) iIndex = 0;
  if (nCount > 0 && iIndex < GetLength()) {
    m_str.erase(static_cast<size_t>(iIndex), static_cast<size_t>(nCount));
  }
  return GetLength();
}

// ---- buffer access ---------------------------------------------------------

char* CString::GetBuffer(int nMinBufLength) {
  if (nMinBufLength > GetLength()) m_str.resize(static_cast<size_t>(nMinBufLength));
  return &m_str[0];
}

char* CString::GetBufferSetLength(int nNewLength) {
  m_str.resize(nNewLength > 0 ? static_cast<size_t>(nNewLength) : 0);
  return &m_str[0];
}

void CString::ReleaseBuffer(int nNewLength) {
  size_t n;
  if (nNewLength < 0) {
    const void* nul = std::memchr(m_str.data(), '\0', m_str.size());
    n = nul != nullptr ? static_cast<size_t>(static_cast<const char*>(nul) - m_str.data()) : m_str.size();
  } else {
    n = static_cast<size_t>(nNewLength);
    if (n > m_str.size()) n = m_str.size();
  }
  m_str.resize(n);
}

// ---- concatenation ---------------------------------------------------------

CString operator+(const CString& a, const CString& b) {
  CString r(a);
  r += b;
  return r;
}

CString operator+(const CString& a, const char* b) {
  CString r(a);
  r += b;
  return r;
}

CString operator+(const char* a, const CString& b) {
  CString r(a);
  r += b;
  return r;
}

CString operator+(const CString& a, char b) {
  CString r(a);
  r += b;
  return r;
}

CString operator+(char a, const CString& b) {
  CString r(a);
  r += b;
  return r;
}
