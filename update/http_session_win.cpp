// The download worker over WinINet.
//
// Stopping a worker that waits inside WinINet: closing its handles ends the
// wait on Windows, but not everywhere (Wine keeps a read waiting until its
// receive time-out).  So everything the worker touches lives in a Job that
// it shares with the session; a stop posts end code 4 itself, and a worker
// that has not ended after a short wait is left to end on its own, with
// its reports switched off and its file already closed and removed.
#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstring>
#include <new>

#include "framework/afxmt.h"
#include "update/http_session.h"

struct CHTTPBinarySession::Job {
  // Fixed before the worker starts.
  CString server;
  CString object;
  INTERNET_PORT port = 0;
  DWORD accessType = INTERNET_OPEN_TYPE_DIRECT;
  CString proxy;
  CString proxyUser;
  CString proxyPassword;
  HWND notify = nullptr;
  UINT message = 0;
  BOOL reload = FALSE;
  DWORD timeoutCap = kReceiveTimeoutCap;
  CDownloadBound bound;
  CDownloadProbe* probe = nullptr;
  CString path;

  // The output file; whoever closes it holds fileLock.
  CCriticalSection fileLock;
  CFile* file = nullptr;

  // The run's state between the worker and the stopping thread.
  CCriticalSection lock;
  std::atomic<BOOL> stop{FALSE};
  std::atomic<BOOL> reporting{FALSE};  // the worker is inside SendMessage
  HINTERNET live[3] = {};              // request, connection, session
  BOOL cut = FALSE;                    // a stop closed them
  BOOL endPosted = FALSE;
  int postedCode = -1;
  BOOL finished = FALSE;         // the worker is past its last use of the thread object
  BOOL detached = FALSE;         // the session left the worker to end on its own
  CWinThread* worker = nullptr;  // the thread object, until it is deleted

  DWORD received = 0;  // unsigned: past 4 GiB the report wraps, nothing overflows
  DWORD lastReported = 0;
  DWORD lastReportTick = 0;

  DWORD timeout = 0;  // the receive time-out of the run's handles

  // The run's parts; each returns its end code, or -1 to go on.  rValue
  // takes the value that goes with the end code.
  UINT Run();
  int Transfer(std::unique_ptr<CInternetSession>& session, std::unique_ptr<CHttpConnection>& connection,
               std::unique_ptr<CHttpFile>& request, LPARAM& rValue);
  // The session, the connection and the GET request with its options.
  int Open(std::unique_ptr<CInternetSession>& session, std::unique_ptr<CHttpConnection>& connection,
           std::unique_ptr<CHttpFile>& request, LPARAM& rValue);
  // Sends the request; a status outside 2xx refuses the file.
  int Send(CHttpFile& request, LPARAM& rValue);
  // The body into the file, up to its end or the announced size.
  int ReadBody(CHttpFile& request, LPARAM& rValue);
  // A failed send or read: code with the error, or stopped when a stop
  // caused it.  Deletes e.
  int FailedOrStopped(CInternetException* e, int code, LPARAM& rValue);
  // Writes the pending bytes of data to the file.
  int Flush(const BYTE* data, UINT& pending, LPARAM& rValue);
  void RequestStop();
  void CutLocked();
  BOOL Publish(HINTERNET hSession, HINTERNET hConnection, HINTERNET hRequest);
  BOOL Withdraw();
  // Posts the run's end code unless one went out already; returns the one
  // that went out.
  int PostEnd(int code, LPARAM value);
  void Report(int kind, LPARAM value);
  DWORD Fault(DownloadStep step) const { return probe != nullptr ? probe->Fault(step) : 0; }
  // Writes under the file lock; FALSE when the file is gone (stopped).
  BOOL Write(const void* data, UINT n);
  // Closes the output file under the file lock: TRUE when this call closed
  // it (else someone did before), with *cause the file error of a failed
  // close or -1.
  BOOL CloseFile(int* cause);
  // Closes the output file, when still open, for a run that did not end
  // with 0 (a stop, a failed start) and removes it.
  void CloseOutput();
};

namespace {
std::atomic<CDownloadProbe*> g_probe{nullptr};
}

void SetDownloadProbe(CDownloadProbe* probe) { g_probe = probe; }

// ---- the session -----------------------------------------------------------

CHTTPBinarySession::~CHTTPBinarySession() {
  // Never free the session under a running worker.
  if (m_pWorker != nullptr || (m_job && m_job->file != nullptr)) Stop();
}

void CHTTPBinarySession::SetNotify(HWND hWnd, UINT nMessage) {
  m_hNotify = hWnd;
  m_nNotifyMessage = nMessage;
}

void CHTTPBinarySession::SetReload(BOOL bReload) { m_bReload = bReload; }

void CHTTPBinarySession::SetAnnouncedSize(uint32_t size) { m_bound = CDownloadBound(size); }

BOOL CHTTPBinarySession::Start(const char* url, const char* path, CFileException* pError) {
  m_dwAccessType = INTERNET_OPEN_TYPE_DIRECT;
  m_strProxy.Empty();
  m_strProxyUser.Empty();
  m_strProxyPassword.Empty();
  return BeginDownload(url, path, pError);
}

BOOL CHTTPBinarySession::StartWithProxy(const char* url, const char* path, CFileException* pError, const char* proxy,
                                        const char* user, const char* password) {
  m_strProxyUser.Empty();
  m_strProxyPassword.Empty();
  if (proxy != nullptr) {
    m_dwAccessType = INTERNET_OPEN_TYPE_PROXY;
    m_strProxy = proxy;
    // The credentials belong to the proxy alone: the update server must
    // never see them (it would get them with any 401 it answers).
    if (user != nullptr) m_strProxyUser = user;
    if (password != nullptr) m_strProxyPassword = password;
  } else {
    m_dwAccessType = INTERNET_OPEN_TYPE_PRECONFIG;
    m_strProxy.Empty();
  }
  return BeginDownload(url, path, pError);
}

BOOL CHTTPBinarySession::BeginDownload(const char* url, const char* path, CFileException* pError) {
  // A session runs once.
  if (m_job) {
    if (pError != nullptr) pError->m_cause = CFileException::genericException;
    return FALSE;
  }
  std::shared_ptr<Job>* param = nullptr;
  try {
    std::shared_ptr<Job> job = std::make_shared<Job>();
    DWORD service = 0;
    if (url == nullptr || !AfxParseURL(url, service, job->server, job->object, job->port) ||
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
    std::unique_ptr<CFile> file(new CFile);
    if (!file->Open(path, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive, pError)) return FALSE;
    job->path = file->GetFilePath();
    job->file = file.release();
    job->accessType = m_dwAccessType;
    job->proxy = m_strProxy;
    job->proxyUser = m_strProxyUser;
    job->proxyPassword = m_strProxyPassword;
    job->notify = m_hNotify;
    job->message = m_nNotifyMessage;
    job->reload = m_bReload;
    job->timeoutCap = m_receiveTimeoutCap;
    job->bound = m_bound;
    job->probe = g_probe;
    m_job = job;
    // Suspended first, so that the thread object is ours (no auto-delete)
    // before the worker can end.
    param = new std::shared_ptr<Job>(job);
    CWinThread* worker =
        AfxBeginThread(&CHTTPBinarySession::DownloadThread, param, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (worker == nullptr) {
      const DWORD err = ::GetLastError();
      delete param;
      job->CloseOutput();
      if (pError != nullptr) {
        pError->m_cause = CFileException::genericException;
        pError->m_lOsError = static_cast<int32_t>(err);
      }
      return FALSE;
    }
    worker->m_bAutoDelete = FALSE;
    job->worker = worker;
    m_pWorker = worker;
    worker->ResumeThread();
    return TRUE;
  } catch (CMemoryException* e) {
    e->Delete();
  } catch (const std::bad_alloc&) {
  }
  delete param;
  if (m_job && m_pWorker == nullptr) m_job->CloseOutput();
  return FALSE;
}

void CHTTPBinarySession::StopLocked() {
  if (m_job) m_job->RequestStop();
}

void CHTTPBinarySession::Stop() {
  if (!m_job) return;
  Job& job = *m_job;
  job.RequestStop();
  // Called from the handler of one of our own reports: the worker waits
  // for that handler to return, so answer it now and let the worker run on.
  if (job.reporting && ::InSendMessage()) ::ReplyMessage(0);
  if (m_pWorker != nullptr) {
    // The worker may be inside SendMessage to this very thread: keep
    // delivering sent messages while waiting, or both would wait for ever.
    HANDLE h = m_pWorker->m_hThread;
    const DWORD start = ::GetTickCount();
    for (;;) {
      const DWORD spent = ::GetTickCount() - start;
      if (spent >= kStopWaitMs) break;
      const DWORD r = ::MsgWaitForMultipleObjects(1, &h, FALSE, kStopWaitMs - spent, QS_SENDMESSAGE);
      if (r == WAIT_OBJECT_0 + 1) {
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        continue;
      }
      break;
    }
    BOOL leave = FALSE;
    {
      CSingleLock lock(&job.lock, TRUE);
      if (!job.finished) {
        // Still held in WinINet: it ends on its own and deletes its thread
        // object then.
        job.detached = TRUE;
        leave = TRUE;
      }
    }
    if (!leave) {
      // Past its last use of the thread object: it ends at once.
      ::WaitForSingleObject(h, INFINITE);
      delete m_pWorker;
    }
    m_pWorker = nullptr;
  }
  job.CloseOutput();
}

UINT __cdecl CHTTPBinarySession::DownloadThread(LPVOID pParam) {
  std::unique_ptr<std::shared_ptr<Job>> param(static_cast<std::shared_ptr<Job>*>(pParam));
  std::shared_ptr<Job> job = *param;
  param.reset();
  const UINT rc = job->Run();
  CSingleLock lock(&job->lock, TRUE);
  // A worker left alone frees its own thread object after this returns
  // (the thread's entry reads the flag only then, on this thread).
  if (job->detached) job->worker->m_bAutoDelete = TRUE;
  job->finished = TRUE;
  return rc;
}

// ---- the job: stopping and reporting -----------------------------------------

void CHTTPBinarySession::Job::CutLocked() {
  // Closing the handles ends a send or read that waits on a silent server,
  // where the platform allows; the worker sees the failure, then stop.
  if (cut) return;
  bool any = false;
  for (HINTERNET h : live) {
    if (h != nullptr) {
      ::InternetCloseHandle(h);
      any = true;
    }
  }
  cut = any;
}

void CHTTPBinarySession::Job::RequestStop() {
  CSingleLock guard(&lock, TRUE);
  stop = TRUE;
  CutLocked();
  // The owner learns of the stop now, whatever WinINet still waits for.
  if (!endPosted) {
    endPosted = TRUE;
    postedCode = kDownloadStopped;
    if (notify != nullptr) ::PostMessageA(notify, message, kDownloadStopped, 0);
  }
}

BOOL CHTTPBinarySession::Job::Publish(HINTERNET hSession, HINTERNET hConnection, HINTERNET hRequest) {
  CSingleLock guard(&lock, TRUE);
  if (stop) return FALSE;
  live[0] = hRequest;
  live[1] = hConnection;
  live[2] = hSession;
  return TRUE;
}

BOOL CHTTPBinarySession::Job::Withdraw() {
  CSingleLock guard(&lock, TRUE);
  for (HINTERNET& h : live) h = nullptr;
  return cut;
}

int CHTTPBinarySession::Job::PostEnd(int code, LPARAM value) {
  CSingleLock guard(&lock, TRUE);
  if (endPosted) return postedCode;
  endPosted = TRUE;
  postedCode = code;
  if (notify != nullptr) ::PostMessageA(notify, message, static_cast<WPARAM>(code), value);
  return code;
}

void CHTTPBinarySession::Job::Report(int kind, LPARAM value) {
  // Once stop is asked nobody waits for progress any more.
  if (notify == nullptr || stop) return;
  reporting = TRUE;
  ::SendMessageA(notify, message, static_cast<WPARAM>(kind), value);
  reporting = FALSE;
}

BOOL CHTTPBinarySession::Job::Write(const void* data, UINT n) {
  CSingleLock guard(&fileLock, TRUE);
  if (file == nullptr || stop) return FALSE;
  if (const DWORD error = Fault(DownloadStep::kWrite)) CFileException::ThrowOsError(static_cast<int32_t>(error), path);
  file->Write(data, n);
  return TRUE;
}

BOOL CHTTPBinarySession::Job::CloseFile(int* cause) {
  CSingleLock guard(&fileLock, TRUE);
  *cause = -1;
  if (file == nullptr) return FALSE;
  try {
    const DWORD error = Fault(DownloadStep::kClose);
    file->Close();
    if (error != 0) *cause = CFileException::OsErrorToException(static_cast<int32_t>(error));
  } catch (CFileException* e) {
    *cause = e->m_cause;
    e->Delete();
  }
  delete file;
  file = nullptr;
  return TRUE;
}

void CHTTPBinarySession::Job::CloseOutput() {
  // Only the one who closed the file removes it: a worker left to end on
  // its own must never remove a file of the same name that the next
  // download has made meanwhile.
  int cause = -1;
  if (CloseFile(&cause)) ::DeleteFileA(path);
}

// ---- the job: the run ----------------------------------------------------------

UINT CHTTPBinarySession::Job::Run() {
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
  } catch (...) {
    // Whatever else went wrong (out of memory, a fault of any library):
    // the owner waits for an end code, so it gets one.
    code = kDownloadOtherError;
    value = 0;
  }
  // Handles that a stop closed are not closed twice.
  if (Withdraw()) {
    if (request) request->m_hFile = nullptr;
    if (connection) connection->m_hConnection = nullptr;
    if (session) session->m_hSession = nullptr;
  }
  request.reset();
  connection.reset();
  session.reset();
  // The file is closed before the end code goes out: a 0 means a whole file
  // on disk that the owner may read at once, and a file that cannot be
  // closed ends the run with 7 instead.
  int cause = -1;
  const BOOL closedHere = CloseFile(&cause);
  if (closedHere && cause >= 0 && code == kDownloadDone) {
    code = kDownloadFileError;
    value = cause;
  }
  // A failed or stopped run leaves nothing that looks like the file.
  if (closedHere && code != kDownloadDone) ::DeleteFileA(path);
  const int posted = PostEnd(code, value);
  if (closedHere && code == kDownloadDone && posted != kDownloadDone) ::DeleteFileA(path);
  if (probe != nullptr) probe->OnWorkerEnd(code, value);
  return 0;
}

int CHTTPBinarySession::Job::Transfer(std::unique_ptr<CInternetSession>& session,
                                      std::unique_ptr<CHttpConnection>& connection, std::unique_ptr<CHttpFile>& request,
                                      LPARAM& rValue) {
  rValue = 0;
  int end = Open(session, connection, request, rValue);
  if (end < 0) end = Send(*request, rValue);
  if (end >= 0) return end;

  Report(kDownloadReportStarted, 0);
  if (stop) return kDownloadStopped;

  DWORD length = 0;
  const BOOL lengthKnown = request->QueryInfo(HTTP_QUERY_CONTENT_LENGTH, length);
  if (lengthKnown) Report(kDownloadReportLength, static_cast<LPARAM>(length));
  // A length other than the announced size cannot give the right file:
  // the body is not read.
  if (!bound.Agrees(lengthKnown != FALSE, length)) {
    rValue = static_cast<LPARAM>(length);
    return kDownloadWrongLength;
  }

  end = ReadBody(*request, rValue);
  if (end >= 0) return end;
  // The connection ended before the announced length: that is a cut
  // transfer, not a whole file.
  if (lengthKnown && received < length) {
    rValue = ERROR_INTERNET_CONNECTION_ABORTED;
    return kDownloadReadError;
  }
  rValue = static_cast<LPARAM>(received);
  return kDownloadDone;
}

int CHTTPBinarySession::Job::Open(std::unique_ptr<CInternetSession>& session,
                                  std::unique_ptr<CHttpConnection>& connection, std::unique_ptr<CHttpFile>& request,
                                  LPARAM& rValue) {
  try {
    if (const DWORD error = Fault(DownloadStep::kOpenSession)) AfxThrowInternetException(1, error);
    session.reset(
        new CInternetSession(nullptr, 1, accessType, proxy.IsEmpty() ? nullptr : proxy.GetString(), nullptr, 0));
  } catch (CInternetException* e) {
    rValue = static_cast<LPARAM>(e->m_dwError);
    e->Delete();
    return kDownloadNoSession;
  }

  // A dead server must end a read within the cap.  Where the current value
  // cannot be read the cap itself is used.
  if (!session->QueryOption(INTERNET_OPTION_RECEIVE_TIMEOUT, timeout) || timeout > timeoutCap) timeout = timeoutCap;
  session->SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, timeout);

  // No user name or password here: on a connection they are the server's
  // credentials, and the proxy's belong to the proxy alone (set below).
  try {
    if (const DWORD error = Fault(DownloadStep::kConnect)) AfxThrowInternetException(1, error);
    connection.reset(session->GetHttpConnection(server, port, nullptr, nullptr));
  } catch (CInternetException* e) {
    rValue = static_cast<LPARAM>(e->m_dwError);
    e->Delete();
    return kDownloadRefused;
  }

  // NB: DONT_CACHE keeps the file out of the cache; RELOAD, after a failed
  // check, also refuses any cached copy on the way.
  const DWORD flags = reload ? INTERNET_FLAG_RELOAD | INTERNET_FLAG_DONT_CACHE : INTERNET_FLAG_DONT_CACHE;
  try {
    if (const DWORD error = Fault(DownloadStep::kOpenRequest)) AfxThrowInternetException(1, error);
    request.reset(connection->OpenRequest(HTTP_VERB_GET, object, nullptr, 1, nullptr, nullptr, flags));
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
  if (probe != nullptr) probe->OnRequest(request->m_dwRequestFlags);
  if (!Publish(*session, *connection, request->m_hFile)) return kDownloadStopped;
  ::InternetSetOptionA(request->m_hFile, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
  // Named proxy only (the others leave these empty), each only when given.
  if (accessType == INTERNET_OPEN_TYPE_PROXY && !proxyUser.IsEmpty()) {
    ::InternetSetOptionA(request->m_hFile, INTERNET_OPTION_PROXY_USERNAME, const_cast<char*>(proxyUser.GetString()),
                         static_cast<DWORD>(proxyUser.GetLength()));
  }
  if (accessType == INTERNET_OPEN_TYPE_PROXY && !proxyPassword.IsEmpty()) {
    ::InternetSetOptionA(request->m_hFile, INTERNET_OPTION_PROXY_PASSWORD, const_cast<char*>(proxyPassword.GetString()),
                         static_cast<DWORD>(proxyPassword.GetLength()));
  }
  return -1;
}

int CHTTPBinarySession::Job::Send(CHttpFile& request, LPARAM& rValue) {
  try {
    request.SendRequest();
  } catch (CInternetException* e) {
    return FailedOrStopped(e, kDownloadRequestError, rValue);
  } catch (CException* e) {
    e->Delete();
    rValue = static_cast<LPARAM>(::GetLastError());
    return kDownloadRequestError;
  }
  // A status that cannot be read counts as success: the body decides.
  DWORD status = 0;
  if (request.QueryInfoStatusCode(status) && (status < 200 || status >= 300)) {
    rValue = static_cast<LPARAM>(status);
    return kDownloadRefused;
  }
  return -1;
}

int CHTTPBinarySession::Job::FailedOrStopped(CInternetException* e, int code, LPARAM& rValue) {
  // A stop closes the handles under a waiting send or read: that failure
  // is the stop, not the server's.
  const BOOL stopped = stop;
  rValue = stopped ? 0 : static_cast<LPARAM>(e->m_dwError);
  e->Delete();
  return stopped ? kDownloadStopped : code;
}

int CHTTPBinarySession::Job::Flush(const BYTE* data, UINT& pending, LPARAM& rValue) {
  if (pending == 0) return -1;
  try {
    if (!Write(data, pending)) return kDownloadStopped;
  } catch (CFileException* e) {
    rValue = e->m_cause;
    e->Delete();
    return kDownloadFileError;
  }
  pending = 0;
  return -1;
}

int CHTTPBinarySession::Job::ReadBody(CHttpFile& request, LPARAM& rValue) {
  received = 0;
  lastReported = 0;
  lastReportTick = ::GetTickCount() - kReportIntervalMs;
  // Reads of 4,096 bytes gather in a 64 KB block that goes to the file in
  // one write: a system call per read costs a tenth of the rate under Wine.
  std::unique_ptr<BYTE[]> block(new BYTE[kBlockSize]);
  UINT pending = 0;
  for (;;) {
    if (stop) return kDownloadStopped;
    UINT got = 0;
    try {
      got = request.Read(block.get() + pending, kReadSize);
    } catch (CInternetException* e) {
      return FailedOrStopped(e, kDownloadReadError, rValue);
    }
    if (stop) return kDownloadStopped;
    if (got == 0) break;
    const bool full = bound.Take(got);
    pending += got;
    if (kBlockSize - pending < kReadSize) {
      const int end = Flush(block.get(), pending, rValue);
      if (end >= 0) return end;
    }
    received += got;
    // Progress after more than one read's worth of new bytes, and at most
    // every kReportIntervalMs: each report is a round trip to the window's
    // thread, which at two reads a report costs more than the transfer
    // itself (half the rate under Wine).
    const DWORD now = ::GetTickCount();
    if (received - lastReported > kReadSize && now - lastReportTick >= kReportIntervalMs) {
      Report(kDownloadReportBytes, static_cast<LPARAM>(received));
      lastReported = received;
      lastReportTick = now;
    }
    // Past the announced size: the rest of the body is never read, however
    // long it runs.
    if (full) break;
  }
  return Flush(block.get(), pending, rValue);
}
