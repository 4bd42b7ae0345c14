// The download worker over WinINet.
#include <windows.h>
#include <wininet.h>

#include <cstring>
#include <new>

#include "update/http_session.h"

CHTTPBinarySession::~CHTTPBinarySession() {
  // Never free the object under a running worker: it works on our fields.
  if (m_pWorker != nullptr || m_pFile != nullptr) Stop();
}

void CHTTPBinarySession::SetNotify(HWND hWnd, UINT nMessage) {
  m_hNotify = hWnd;
  m_nNotifyMessage = nMessage;
}

void CHTTPBinarySession::SetReload(BOOL bReload) { m_bReload = bReload; }

BOOL CHTTPBinarySession::Start(const char* url, const char* path, CFileException* pError) {
  m_dwAccessType = INTERNET_OPEN_TYPE_DIRECT;
  m_strProxy.Empty();
  m_strProxyUser.Empty();
  m_strProxyPassword.Empty();
  m_pszProxyUser = nullptr;
  m_pszProxyPassword = nullptr;
  return BeginDownload(url, path, pError);
}

BOOL CHTTPBinarySession::StartWithProxy(const char* url, const char* path, CFileException* pError, const char* proxy,
                                        const char* user, const char* password) {
  m_strProxyUser = user != nullptr ? user : "";
  m_strProxyPassword = password != nullptr ? password : "";
  m_pszProxyUser = nullptr;
  m_pszProxyPassword = nullptr;
  if (proxy != nullptr) {
    m_dwAccessType = INTERNET_OPEN_TYPE_PROXY;
    m_strProxy = proxy;
    // The credentials belong to the proxy alone; the update server must
    // never see them (it would get them on any 401 it answers).
    if (!m_strProxyUser.IsEmpty()) m_pszProxyUser = m_strProxyUser;
    if (!m_strProxyPassword.IsEmpty()) m_pszProxyPassword = m_strProxyPassword;
  } else {
    m_dwAccessType = INTERNET_OPEN_TYPE_PRECONFIG;
    m_strProxy.Empty();
  }
  return BeginDownload(url, path, pError);
}

BOOL CHTTPBinarySession::BeginDownload(const char* url, const char* path, CFileException* pError) {
  // A session runs once.
  if (m_pWorker != nullptr || m_pFile != nullptr) {
    if (pError != nullptr) pError->m_cause = CFileException::genericException;
    return FALSE;
  }
  try {
    DWORD service = 0;
    if (url == nullptr || !AfxParseURL(url, service, m_strServer, m_strObject, m_nPort) ||
        service != AFX_INET_SERVICE_HTTP) {
      if (pError != nullptr) {
        pError->m_cause = CFileException::genericException;
        pError->m_lOsError = -1;
        pError->m_strFileName = path;
      }
      return FALSE;
    }
    // The file exists before the request goes out: a path that cannot be
    // written costs no download.
    CFile* file = new CFile;
    if (!file->Open(path, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive, pError)) {
      delete file;
      return FALSE;
    }
    m_pFile = file;
    m_strPath = file->GetFilePath();
    m_bStop = FALSE;
    m_bLiveRequestCut = FALSE;
    // Suspended first, so that the thread object is ours (no auto-delete)
    // before the worker can end.
    CWinThread* worker = AfxBeginThread(&CHTTPBinarySession::DownloadThread, this, THREAD_PRIORITY_NORMAL, 0,
                                        CREATE_SUSPENDED);
    if (worker == nullptr) {
      CloseOutput(TRUE);
      if (pError != nullptr) {
        pError->m_cause = CFileException::genericException;
        pError->m_lOsError = static_cast<int32_t>(::GetLastError());
      }
      return FALSE;
    }
    worker->m_bAutoDelete = FALSE;
    m_pWorker = worker;
    worker->ResumeThread();
    return TRUE;
  } catch (CMemoryException* e) {
    e->Delete();
  } catch (const std::bad_alloc&) {
  }
  if (m_pWorker == nullptr) CloseOutput(TRUE);
  return FALSE;
}

// ---- stopping --------------------------------------------------------------

BOOL CHTTPBinarySession::StopRequested() { return m_bStop.load(); }

void CHTTPBinarySession::CutRequestLocked() {
  // Closing the request handle ends a send or read that waits on a silent
  // server; the worker sees the failure, then the stop flag.
  if (m_hLiveRequest != nullptr && !m_bLiveRequestCut) {
    ::InternetCloseHandle(m_hLiveRequest);
    m_bLiveRequestCut = TRUE;
  }
}

void CHTTPBinarySession::StopLocked() {
  CSingleLock lock(&m_stopLock, TRUE);
  m_bStop = TRUE;
  CutRequestLocked();
}

void CHTTPBinarySession::Stop() {
  StopLocked();
  if (m_pWorker != nullptr) {
    // The worker may be inside SendMessage to this very thread: keep
    // delivering sent messages until it ends, or both would wait for ever.
    HANDLE h = m_pWorker->m_hThread;
    for (;;) {
      const DWORD r = ::MsgWaitForMultipleObjects(1, &h, FALSE, INFINITE, QS_SENDMESSAGE);
      if (r == WAIT_OBJECT_0) break;
      if (r == WAIT_OBJECT_0 + 1) {
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        continue;
      }
      ::WaitForSingleObject(h, INFINITE);
      break;
    }
    delete m_pWorker;
    m_pWorker = nullptr;
  }
  CSingleLock lock(&m_fileLock, TRUE);
  if (m_pFile != nullptr) {
    m_pFile->Abort();
    delete m_pFile;
    m_pFile = nullptr;
  }
}

BOOL CHTTPBinarySession::PublishRequest(HINTERNET hRequest) {
  CSingleLock lock(&m_stopLock, TRUE);
  if (m_bStop) return FALSE;
  m_hLiveRequest = hRequest;
  m_bLiveRequestCut = FALSE;
  return TRUE;
}

BOOL CHTTPBinarySession::WithdrawRequest() {
  CSingleLock lock(&m_stopLock, TRUE);
  m_hLiveRequest = nullptr;
  return m_bLiveRequestCut;
}

// ---- reports ---------------------------------------------------------------

void CHTTPBinarySession::PostResult(int code, LPARAM value) {
  if (m_hNotify != nullptr) ::PostMessageA(m_hNotify, m_nNotifyMessage, static_cast<WPARAM>(code), value);
}

void CHTTPBinarySession::SendReport(int kind, LPARAM value) {
  // Once stop is asked nobody waits for progress any more.
  if (m_hNotify == nullptr || StopRequested()) return;
  ::SendMessageA(m_hNotify, m_nNotifyMessage, static_cast<WPARAM>(kind), value);
}

// ---- the worker ------------------------------------------------------------

UINT __cdecl CHTTPBinarySession::DownloadThread(LPVOID pParam) {
  return static_cast<CHTTPBinarySession*>(pParam)->Run();
}

UINT CHTTPBinarySession::Run() {
  std::unique_ptr<CInternetSession> session;
  std::unique_ptr<CHttpConnection> connection;
  std::unique_ptr<CHttpFile> request;
  LPARAM value = 0;
  int code = kDownloadOtherError;
  try {
    code = Transfer(session, connection, request, value);
  } catch (CException* e) {
    e->Delete();
    code = kDownloadOtherError;
    value = 0;
  } catch (const std::bad_alloc&) {
    code = kDownloadOtherError;
    value = 0;
  }
  // A handle that Stop closed is not closed twice.
  if (WithdrawRequest() && request) request->m_hFile = nullptr;
  request.reset();
  connection.reset();
  session.reset();
  PostResult(code, value);
  CloseOutput(code != kDownloadDone);
  return 0;
}

int CHTTPBinarySession::Transfer(std::unique_ptr<CInternetSession>& session,
                                 std::unique_ptr<CHttpConnection>& connection, std::unique_ptr<CHttpFile>& request,
                                 LPARAM& rValue) {
  rValue = 0;
  try {
    session.reset(new CInternetSession(nullptr, 1, m_dwAccessType, m_strProxy.IsEmpty() ? nullptr : m_strProxy.GetString(),
                                       nullptr, 0));
  } catch (CInternetException* e) {
    rValue = static_cast<LPARAM>(e->m_dwError);
    e->Delete();
    return kDownloadNoSession;
  }

  // A dead server must end a read within the cap.  Where the current value
  // cannot be read the cap itself is used.
  DWORD timeout = 0;
  if (!session->QueryOption(INTERNET_OPTION_RECEIVE_TIMEOUT, timeout) || timeout > m_receiveTimeoutCap) {
    timeout = m_receiveTimeoutCap;
  }
  session->SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, timeout);

  // No user name or password here: on a connection they are the server's
  // credentials, and the proxy's belong to the proxy alone (set below).
  try {
    connection.reset(session->GetHttpConnection(m_strServer, m_nPort, nullptr, nullptr));
  } catch (CInternetException* e) {
    rValue = static_cast<LPARAM>(e->m_dwError);
    e->Delete();
    return kDownloadRefused;
  }

  // NB: DONT_CACHE keeps the file out of the cache; RELOAD, after a failed
  // check, also refuses any cached copy on the way.
  const DWORD flags = m_bReload ? INTERNET_FLAG_RELOAD | INTERNET_FLAG_DONT_CACHE : INTERNET_FLAG_DONT_CACHE;
  try {
    request.reset(connection->OpenRequest(HTTP_VERB_GET, m_strObject, nullptr, 1, nullptr, nullptr, flags));
  } catch (CInternetException* e) {
    rValue = static_cast<LPARAM>(e->m_dwError);
    e->Delete();
    return kDownloadRequestError;
  } catch (CException* e) {
    e->Delete();
    rValue = static_cast<LPARAM>(::GetLastError());
    return kDownloadRequestError;
  }
  if (!request || request->m_hFile == nullptr) {
    rValue = static_cast<LPARAM>(::GetLastError());
    return kDownloadRequestError;
  }
  if (!PublishRequest(request->m_hFile)) return kDownloadStopped;
  ::InternetSetOptionA(request->m_hFile, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
  if (m_pszProxyUser != nullptr) {
    ::InternetSetOptionA(request->m_hFile, INTERNET_OPTION_PROXY_USERNAME, const_cast<char*>(m_pszProxyUser),
                         static_cast<DWORD>(std::strlen(m_pszProxyUser)));
  }
  if (m_pszProxyPassword != nullptr) {
    ::InternetSetOptionA(request->m_hFile, INTERNET_OPTION_PROXY_PASSWORD, const_cast<char*>(m_pszProxyPassword),
                         static_cast<DWORD>(std::strlen(m_pszProxyPassword)));
  }

  try {
    request->SendRequest();
  } catch (CInternetException* e) {
    rValue = static_cast<LPARAM>(e->m_dwError);
    e->Delete();
    if (StopRequested()) {
      rValue = 0;
      return kDownloadStopped;
    }
    return kDownloadRequestError;
  } catch (CException* e) {
    e->Delete();
    rValue = static_cast<LPARAM>(::GetLastError());
    return kDownloadRequestError;
  }
  // A status that cannot be read counts as success: the body decides.
  DWORD status = 0;
  if (request->QueryInfoStatusCode(status) && (status < 200 || status >= 300)) {
    rValue = static_cast<LPARAM>(status);
    return kDownloadRefused;
  }

  SendReport(kDownloadReportStarted, 0);
  if (StopRequested()) return kDownloadStopped;

  DWORD length = 0;
  const BOOL lengthKnown = request->QueryInfo(HTTP_QUERY_CONTENT_LENGTH, length);
  if (lengthKnown) SendReport(kDownloadReportLength, static_cast<LPARAM>(length));

  m_nReceived = 0;
  m_nLastReported = 0;
  BYTE buffer[kReadSize];
  for (;;) {
    if (StopRequested()) return kDownloadStopped;
    UINT got = 0;
    try {
      got = request->Read(buffer, sizeof buffer);
    } catch (CInternetException* e) {
      rValue = static_cast<LPARAM>(e->m_dwError);
      e->Delete();
      if (StopRequested()) {
        rValue = 0;
        return kDownloadStopped;
      }
      return kDownloadReadError;
    }
    if (StopRequested()) return kDownloadStopped;
    if (got == 0) break;
    try {
      m_pFile->Write(buffer, got);
    } catch (CFileException* e) {
      rValue = e->m_cause;
      e->Delete();
      return kDownloadFileError;
    }
    m_nReceived += got;
    if (m_nReceived - m_nLastReported > kReadSize) {
      SendReport(kDownloadReportBytes, static_cast<LPARAM>(m_nReceived));
      m_nLastReported = m_nReceived;
    }
  }
  // The connection ended before the announced length: that is a cut
  // transfer, not a whole file.
  if (lengthKnown && m_nReceived < length) {
    rValue = ERROR_INTERNET_CONNECTION_ABORTED;
    return kDownloadReadError;
  }
  rValue = static_cast<LPARAM>(m_nReceived);
  return kDownloadDone;
}

void CHTTPBinarySession::CloseOutput(BOOL bRemove) {
  CSingleLock lock(&m_fileLock, TRUE);
  if (m_pFile == nullptr) return;
  int cause = -1;
  try {
    m_pFile->Close();
  } catch (CFileException* e) {
    cause = e->m_cause;
    e->Delete();
  }
  delete m_pFile;
  m_pFile = nullptr;
  // A failed run leaves nothing that looks like the file.
  if (bRemove) ::DeleteFileA(m_strPath);
  if (cause >= 0) PostResult(kDownloadFileError, cause);
}
