// Win32 conversions of CString: wide text and string resources, both in the
// thread's ANSI code page, so that Korean text survives on a Korean system.
#include <windows.h>

#include "framework/afxcore_win.h"
#include "framework/cstring.h"

UINT AfxQuerySystemCodePage() { return ::GetACP(); }

namespace {

// Converts nLength wide chars (-1: up to the terminator) to CP_ACP.
std::string WideToAnsi(const wchar_t* pch, int nLength) {
  if (pch == nullptr || nLength == 0) return std::string();
  if (nLength < 0) nLength = static_cast<int>(::wcslen(pch));
  if (nLength == 0) return std::string();
  int n = ::WideCharToMultiByte(CP_ACP, 0, pch, nLength, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, pch, nLength, &out[0], n, nullptr, nullptr);
  return out;
}

}  // namespace

CString::CString(const wchar_t* psz) : m_str(WideToAnsi(psz, -1)) {}

CString::CString(const wchar_t* pch, int nLength) {
  if (nLength > 0) m_str = WideToAnsi(pch, nLength);
}

CString& CString::operator=(const wchar_t* psz) {
  m_str = WideToAnsi(psz, -1);
  return *this;
}

BOOL CString::LoadFromResource(unsigned int nID) {
  // With a zero buffer size LoadStringW hands out a read-only pointer to
  // the resource text itself and returns its length: no size guessing, no
  // truncation of long strings.
  const wchar_t* text = nullptr;
  int n = ::LoadStringW(AfxGetResourceHandle(), nID, reinterpret_cast<LPWSTR>(&text), 0);
  if (n <= 0 || text == nullptr) {
    m_str.clear();
    return FALSE;
  }
  m_str = WideToAnsi(text, n);
  return TRUE;
}
