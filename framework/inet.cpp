// WinINet wrappers.
#include <windows.h>
#include <wininet.h>

#include <cstring>

#include "framework/afxapp.h"
#include "framework/afxinet.h"

IMPLEMENT_DYNAMIC(CInternetException, CException)
IMPLEMENT_DYNAMIC(CHttpFile, CObject)
IMPLEMENT_DYNAMIC(CHttpConnection, CObject)
IMPLEMENT_DYNAMIC(CInternetSession, CObject)

void AfxThrowInternetException(DWORD_PTR dwContext, DWORD dwError) {
  if (dwError == 0) dwError = ::GetLastError();
  CInternetException* e = new CInternetException(dwError);
  e->m_dwContext = dwContext;
  throw e;
}

BOOL CInternetException::GetErrorMessage(char* lpszError, UINT nMaxError, UINT* pnHelpContext) const {
  if (pnHelpContext != nullptr) *pnHelpContext = 0;
  if (lpszError == nullptr || nMaxError == 0) return FALSE;
  lpszError[0] = '\0';
  // WinINet's codes have their texts in wininet.dll, the others in the system.
  DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             ::GetModuleHandleA("wininet.dll"), m_dwError, 0, lpszError, nMaxError, nullptr);
  if (n == 0) {
    ::wsprintfA(lpszError, nMaxError >= 32 ? "Internet error %lu" : "", m_dwError);
    return nMaxError >= 32;
  }
  // Drop the line break the system appends.
  while (n > 0 && (lpszError[n - 1] == '\n' || lpszError[n - 1] == '\r')) lpszError[--n] = '\0';
  return TRUE;
}

// ---- session ---------------------------------------------------------------

CInternetSession::CInternetSession(const char* pstrAgent, DWORD_PTR dwContext, DWORD dwAccessType,
                                   const char* pstrProxyName, const char* pstrProxyBypass, DWORD dwFlags)
    : m_dwContext(dwContext) {
  if (pstrAgent == nullptr) {
    CWinApp* pApp = AfxGetApp();
    pstrAgent = pApp != nullptr && pApp->m_pszAppName != nullptr ? pApp->m_pszAppName : "Quorl";
  }
  m_hSession = ::InternetOpenA(pstrAgent, dwAccessType, pstrProxyName, pstrProxyBypass, dwFlags);
  if (m_hSession == nullptr) AfxThrowInternetException(dwContext);
}

BOOL CInternetSession::QueryOption(DWORD dwOption, DWORD& dwValue) const {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (!::InternetQueryOptionA(m_hSession, dwOption, &value, &size)) return FALSE;
  dwValue = value;
  return TRUE;
}

BOOL CInternetSession::SetOption(DWORD dwOption, DWORD dwValue) {
  return ::InternetSetOptionA(m_hSession, dwOption, &dwValue, sizeof dwValue);
}

CHttpConnection* CInternetSession::GetHttpConnection(const char* pstrServer, INTERNET_PORT nPort,
                                                     const char* pstrUserName, const char* pstrPassword) {
  HINTERNET h = ::InternetConnectA(m_hSession, pstrServer, nPort, pstrUserName, pstrPassword, INTERNET_SERVICE_HTTP, 0,
                                   m_dwContext);
  if (h == nullptr) AfxThrowInternetException(m_dwContext);
  return new CHttpConnection(h, m_dwContext);
}

void CInternetSession::Close() {
  if (m_hSession != nullptr) {
    ::InternetCloseHandle(m_hSession);
    m_hSession = nullptr;
  }
}

// ---- connection ------------------------------------------------------------

CHttpFile* CHttpConnection::OpenRequest(int nVerb, const char* pstrObjectName, const char* pstrReferer,
                                        DWORD_PTR dwContext, const char** ppstrAcceptTypes, const char* pstrVersion,
                                        DWORD dwFlags) {
  static const char* const verbs[] = {"POST", "GET", "HEAD", "PUT"};
  if (nVerb < 0 || nVerb > HTTP_VERB_PUT) AfxThrowInternetException(dwContext, ERROR_INVALID_PARAMETER);
  HINTERNET h = ::HttpOpenRequestA(m_hConnection, verbs[nVerb], pstrObjectName, pstrVersion, pstrReferer,
                                   ppstrAcceptTypes, dwFlags, dwContext);
  if (h == nullptr) AfxThrowInternetException(dwContext);
  CHttpFile* file = new CHttpFile(h, dwContext);
  file->m_dwRequestFlags = dwFlags;
  return file;
}

void CHttpConnection::Close() {
  if (m_hConnection != nullptr) {
    ::InternetCloseHandle(m_hConnection);
    m_hConnection = nullptr;
  }
}

// ---- request ---------------------------------------------------------------

BOOL CHttpFile::SendRequest(const char* pstrHeaders, DWORD dwHeadersLen, LPVOID lpOptional, DWORD dwOptionalLen) {
  if (!::HttpSendRequestA(m_hFile, pstrHeaders, dwHeadersLen, lpOptional, dwOptionalLen)) {
    AfxThrowInternetException(m_dwContext);
  }
  return TRUE;
}

BOOL CHttpFile::QueryInfoStatusCode(DWORD& dwStatusCode) const {
  return QueryInfo(HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, dwStatusCode);
}

BOOL CHttpFile::QueryInfo(DWORD dwInfoLevel, DWORD& dwResult) const {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (!::HttpQueryInfoA(m_hFile, dwInfoLevel | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr)) return FALSE;
  dwResult = value;
  return TRUE;
}

BOOL CHttpFile::QueryInfo(DWORD dwInfoLevel, CString& str) const {
  DWORD size = 0;
  ::HttpQueryInfoA(m_hFile, dwInfoLevel, nullptr, &size, nullptr);
  if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return FALSE;
  DWORD got = size;
  char* buf = str.GetBuffer(static_cast<int>(size));
  if (!::HttpQueryInfoA(m_hFile, dwInfoLevel, buf, &got, nullptr)) {
    str.ReleaseBuffer(0);
    return FALSE;
  }
  str.ReleaseBuffer(got <= size ? static_cast<int>(got) : static_cast<int>(size));
  return TRUE;
}

UINT CHttpFile::Read(void* lpBuf, UINT nCount) {
  DWORD got = 0;
  if (!::InternetReadFile(m_hFile, lpBuf, nCount, &got)) AfxThrowInternetException(m_dwContext);
  return got;
}

void CHttpFile::Close() {
  if (m_hFile != nullptr) {
    ::InternetCloseHandle(m_hFile);
    m_hFile = nullptr;
  }
}
