// One HTTP GET of one file into a local file, on a worker thread of its
// own, with reports to a window.  Win32 only (WinINet).
//
// Reports: message m (SetNotify), wParam the kind or end code, lParam the
// value.  While it transfers the worker *sends* 3 (the server accepted the
// request, 0), then 1 (the content length) when the server gave one, then
// 2 (bytes so far) after more than 4,096 new bytes, at most every 50 ms; at
// the end one end code is *posted*:
//   0 done (bytes; the whole body is in the file)   4 stopped (0)
//   5 no internet session (error)                   6 no connection, or the
//     server refused the file (HTTP status or error)
//   7 the file cannot be written or closed (cause)  8 reading failed (error)
//   10 any other failure (0)                        11 the request cannot be
//     opened or sent (error)
//   12 the Content-Length is not the announced size (the length; no body read)
// The output file is closed before the end code goes out: a file that
// cannot be closed ends with 7, never with 0.  Every exception ends with an
// end code (10 when nothing more precise fits).  A run that does not end
// with 0 removes its partial file.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <memory>

#include "framework/afxapp.h"
#include "framework/afxfile.h"
#include "framework/afxinet.h"
#include "framework/cstring.h"
#include "update/download_bound.h"
#include "update/download_end.h"

// The update screen's report message.
constexpr UINT WM_APP_DOWNLOAD_PROGRESS = WM_APP + 0x201;

// Test seam: sees and bends what the download workers of the process do.
// None is installed in the program.
enum class DownloadStep { kOpenSession, kConnect, kOpenRequest, kWrite, kClose };
class CDownloadProbe {
 public:
  virtual ~CDownloadProbe() = default;
  // The flags that the GET request was opened with.
  virtual void OnRequest(DWORD flags) { (void)flags; }
  // Before each step: a non-zero Win32 error makes the step fail as the
  // platform fails it with that error.  It may also throw.
  virtual DWORD Fault(DownloadStep step) {
    (void)step;
    return 0;
  }
  // The worker is done (the end code and value it came to, which a stop
  // may have forestalled) and its thread returns.
  virtual void OnWorkerEnd(int code, LPARAM value) {
    (void)code;
    (void)value;
  }
};
// Installs probe for the sessions started from now on (null: none).  It
// must outlive their workers.
void SetDownloadProbe(CDownloadProbe* probe);

class CHTTPBinarySession {
 public:
  CHTTPBinarySession() = default;
  // Stops a worker that still runs (see Stop) before the object goes.
  virtual ~CHTTPBinarySession();
  CHTTPBinarySession(const CHTTPBinarySession&) = delete;
  CHTTPBinarySession& operator=(const CHTTPBinarySession&) = delete;

  // The receiver of the reports; none while null.  Set before a start.
  void SetNotify(HWND hWnd, UINT nMessage);
  // TRUE: bypass every cache on the way (a download after a failed check).
  void SetReload(BOOL bReload);
  // The size the script announced: the file gets at most that many bytes
  // plus one (the body is not read further), so that a longer body ends as
  // a finished download (0) whose size check fails; an answer whose
  // Content-Length differs ends before its body with 12.  Without a call
  // nothing is cut.  Set before a start.
  void SetAnnouncedSize(uint32_t size);

  // Starts the download of url (http only) into path, directly.  FALSE when
  // the URL is no HTTP URL, the file cannot be created (*pError holds the
  // cause), the session ran before, or no thread can be made; no report
  // comes then.
  BOOL Start(const char* url, const char* path, CFileException* pError);
  // The same through a proxy: proxy null = the system's Internet settings,
  // else the named proxy "host:port" with its user and password (each
  // given to the proxy only when non-empty, never to the server).
  BOOL StartWithProxy(const char* url, const char* path, CFileException* pError, const char* proxy, const char* user,
                      const char* password);

  // Ends the transfer: stops as StopLocked does, then waits for the worker
  // (handling messages sent to this thread meanwhile, so that a worker
  // reporting to it cannot hang the wait) and closes the output file.  A
  // worker still held in a read after a short wait is left to end on its
  // own: it owns what it still uses and reports nothing more.
  virtual void Stop();
  // Asks the worker to stop and returns at once: end code 4 is posted now
  // unless an end code went out already, and the worker's network handles
  // are closed.
  virtual void StopLocked();

  // The receive time-out cap, 120,000 ms.  Tests lower it so that a dead
  // server costs seconds, not minutes.
  void SetReceiveTimeoutCap(DWORD ms) { m_receiveTimeoutCap = ms; }
  static constexpr DWORD kReceiveTimeoutCap = 120000;
  // Bytes per read; a progress report follows more new bytes than this,
  // and comes at most every kReportIntervalMs.
  static constexpr UINT kReadSize = 4096;
  static constexpr DWORD kReportIntervalMs = 50;
  // The reads gather in a block of this size, written to the file at once.
  static constexpr UINT kBlockSize = 16 * kReadSize;
  // How long Stop waits for a worker before leaving it to end on its own.
  static constexpr DWORD kStopWaitMs = 1500;

  // What the worker works on; shared with it, so that it outlives the
  // session when the worker is left to end on its own.
  struct Job;

 private:
  static UINT __cdecl DownloadThread(LPVOID pParam);
  BOOL BeginDownload(const char* url, const char* path, CFileException* pError);

  std::shared_ptr<Job> m_job;
  CWinThread* m_pWorker = nullptr;
  HWND m_hNotify = nullptr;
  UINT m_nNotifyMessage = 0;
  BOOL m_bReload = FALSE;
  CDownloadBound m_bound;
  DWORD m_dwAccessType = INTERNET_OPEN_TYPE_DIRECT;
  CString m_strProxy;
  CString m_strProxyUser;      // given to the proxy when non-empty
  CString m_strProxyPassword;  // given to the proxy when non-empty
  DWORD m_receiveTimeoutCap = kReceiveTimeoutCap;
};
