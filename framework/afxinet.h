// Internet classes over WinINet: a session, an HTTP connection, a request
// file, and their exception.  Failures throw CInternetException* carrying
// the WinINet (or system) error code.  Win32 only.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "framework/afxcore.h"
#include "framework/urlparse.h"

class CInternetException : public CException {
  DECLARE_DYNAMIC(CInternetException)
 public:
  explicit CInternetException(DWORD dwError) : m_dwError(dwError) {}
  // The system's text for the error (WinINet's own messages included).
  BOOL GetErrorMessage(char* lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;

  DWORD_PTR m_dwContext = 0;
  DWORD m_dwError;
};

// Throws a new CInternetException with dwError (0: GetLastError()).
[[noreturn]] void AfxThrowInternetException(DWORD_PTR dwContext, DWORD dwError = 0);

// The same as AfxParseURLParts with the Win32 types.
inline BOOL AfxParseURL(const char* pstrURL, DWORD& dwServiceType, CString& strServer, CString& strObject,
                        INTERNET_PORT& nPort) {
  uint32_t service = 0;
  uint16_t port = 0;
  if (!AfxParseURLParts(pstrURL, service, strServer, strObject, port)) return FALSE;
  dwServiceType = service;
  nPort = port;
  return TRUE;
}

#define HTTP_VERB_POST 0
#define HTTP_VERB_GET 1
#define HTTP_VERB_HEAD 2
#define HTTP_VERB_PUT 3

class CHttpConnection;

// An open request: send it, query its answer, read its body.
class CHttpFile : public CObject {
  DECLARE_DYNAMIC(CHttpFile)
 public:
  CHttpFile(HINTERNET hFile, DWORD_PTR dwContext) : m_hFile(hFile), m_dwContext(dwContext) {}
  ~CHttpFile() override { Close(); }
  CHttpFile(const CHttpFile&) = delete;
  CHttpFile& operator=(const CHttpFile&) = delete;

  operator HINTERNET() const { return m_hFile; }  // NOLINT
  BOOL SendRequest(const char* pstrHeaders = nullptr, DWORD dwHeadersLen = 0, LPVOID lpOptional = nullptr,
                   DWORD dwOptionalLen = 0);
  BOOL QueryInfoStatusCode(DWORD& dwStatusCode) const;
  // dwInfoLevel with HTTP_QUERY_FLAG_NUMBER: the number; FALSE when absent.
  BOOL QueryInfo(DWORD dwInfoLevel, DWORD& dwResult) const;
  BOOL QueryInfo(DWORD dwInfoLevel, CString& str) const;
  // Up to nCount bytes of the body; 0 at its end.
  UINT Read(void* lpBuf, UINT nCount);
  void Close();

  HINTERNET m_hFile;
  DWORD_PTR m_dwContext;
  // The flags that OpenRequest gave HttpOpenRequest for this request.
  DWORD m_dwRequestFlags = 0;
};

class CHttpConnection : public CObject {
  DECLARE_DYNAMIC(CHttpConnection)
 public:
  CHttpConnection(HINTERNET hConnection, DWORD_PTR dwContext) : m_hConnection(hConnection), m_dwContext(dwContext) {}
  ~CHttpConnection() override { Close(); }
  CHttpConnection(const CHttpConnection&) = delete;
  CHttpConnection& operator=(const CHttpConnection&) = delete;

  operator HINTERNET() const { return m_hConnection; }  // NOLINT
  // A new request (caller deletes it); throws on failure.
  CHttpFile* OpenRequest(int nVerb, const char* pstrObjectName, const char* pstrReferer = nullptr,
                         DWORD_PTR dwContext = 1, const char** ppstrAcceptTypes = nullptr,
                         const char* pstrVersion = nullptr, DWORD dwFlags = INTERNET_FLAG_EXISTING_CONNECT);
  void Close();

  HINTERNET m_hConnection;
  DWORD_PTR m_dwContext;
};

class CInternetSession : public CObject {
  DECLARE_DYNAMIC(CInternetSession)
 public:
  // dwAccessType: INTERNET_OPEN_TYPE_PRECONFIG (0), _DIRECT (1) or _PROXY
  // (3).  The agent defaults to the application's name.  Throws on failure.
  explicit CInternetSession(const char* pstrAgent = nullptr, DWORD_PTR dwContext = 1,
                            DWORD dwAccessType = INTERNET_OPEN_TYPE_PRECONFIG, const char* pstrProxyName = nullptr,
                            const char* pstrProxyBypass = nullptr, DWORD dwFlags = 0);
  ~CInternetSession() override { Close(); }
  CInternetSession(const CInternetSession&) = delete;
  CInternetSession& operator=(const CInternetSession&) = delete;

  operator HINTERNET() const { return m_hSession; }  // NOLINT
  BOOL QueryOption(DWORD dwOption, DWORD& dwValue) const;
  BOOL SetOption(DWORD dwOption, DWORD dwValue);
  // A new connection (caller deletes it); throws on failure.
  CHttpConnection* GetHttpConnection(const char* pstrServer, INTERNET_PORT nPort = INTERNET_INVALID_PORT_NUMBER,
                                     const char* pstrUserName = nullptr, const char* pstrPassword = nullptr);
  void Close();

  HINTERNET m_hSession = nullptr;
  DWORD_PTR m_dwContext;
};
