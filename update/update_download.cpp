// One download of the update screen: the session on its worker thread, the
// wait that keeps the screen alive, the stall and cancel rules, and the
// check of the file with its Retry/Cancel questions.
#include "update/update_view.h"

#include <memory>

#include "framework/tickdiff.h"
#include "update/crc32.h"
#include "update/download_outcome.h"
#include "update/download_setting.h"
#include "update/http_session.h"
#include "update/idle_message_loop.h"
#include "update/retry_dialog.h"
#include "update/update_clock.h"

namespace {

// No report for half an hour after the transfer started: the download is
// stalled.
constexpr uint32_t kStallMs = 1800000;
// One step of the wait: the network pump and every message run meanwhile.
constexpr uint32_t kWaitStepMs = 500;

// The questions of the download's end: string table texts, answered by the
// Retry/Cancel dialog.
class CScreenQuestions : public CDownloadQuestions {
 public:
  CString LoadText(unsigned id) override {
    CString text;
    text.LoadString(id);
    return text;
  }
  BOOL AskRetry(const char* text) override { return ::AskRetry(text); }
};

// A download that ends without its check (the screen went away, the
// program quits) leaves no file that looks downloaded: it may be whole and
// still wrong.
void RemoveUnverified(const char* path) { ::DeleteFileA(path); }

BOOL CrcOfFile(const char* path, uint32_t* crc) {
  CCrc32 sum;
  if (!sum.UpdateFromFile(path)) return FALSE;
  *crc = sum.GetValue();
  return TRUE;
}

}  // namespace

BOOL CQuorlLauncherUpdateView::DownloadWithRetry(const char* url, const char* path, uint32_t size, uint32_t crc) {
  const HWND self = m_hWnd;
  bool attempted = false;
  return RunDownloadAttempts([&](BOOL reload) {
    // A screen that went away during a question has taken this object
    // with it, and the file of the last attempt failed its check.
    if (!::IsWindow(self)) {
      if (attempted) RemoveUnverified(path);
      return static_cast<int>(kDownloadGiveUp);
    }
    attempted = true;
    return static_cast<int>(DownloadOnce(url, path, size, crc, reload));
  });
}

DownloadResult CQuorlLauncherUpdateView::DownloadOnce(const char* url, const char* path, uint32_t size, uint32_t crc,
                                                      BOOL reload) {
  m_nEndCode = kDownloadRunning;
  m_nEndValue = 0;
  m_bTransferStarted = FALSE;
  m_bCancelRequested = FALSE;
  m_nLength = 0;
  m_wndBytes.SetWindowText("");
  m_wndProgress.SetPos(0);
  m_wndCancel.EnableWindow(FALSE);
  m_nDots = 0;
  ShowBusyDots();

  CBaseBinaryDownloadSetting settings(AfxGetApp()->GetAppRegistryKey(), TRUE, TRUE);

  // Stopped and released on every way out; m_pSession only borrows it while
  // the wait below runs.
  const auto session = std::make_unique<CHTTPBinarySession>();
  session->SetNotify(m_hWnd, WM_APP_DOWNLOAD_PROGRESS);
  session->SetReload(reload);
  // The body is cut one byte past the announced size: a server that never
  // ends its answer cannot fill the disk, and the check below refuses it.
  session->SetAnnouncedSize(size);
  m_startTick = m_speedTick = m_reportTick = UpdateTickNow();
  m_wndRemaining.SetWindowText("");

  CFileException error;
  BOOL started = FALSE;
  if (settings.m_nProxyMode == kProxyDirect) {
    started = session->Start(url, path, &error);
  } else {
    started = session->StartWithProxy(
        url, path, &error, settings.m_nProxyMode == kProxyNamed ? settings.m_strProxyServer.GetString() : nullptr,
        settings.m_strProxyUser, settings.m_strProxyPassword);
  }
  if (!started) {
    CFileException report(error.m_cause, -1, path);
    report.ReportError(MB_OK);
    // Stop releases an output file that was opened before the start failed.
    session->Stop();
    return kDownloadGiveUp;
  }

  m_pSession = session.get();
  SetTimer(kBusyDotsTimer, 300);
  const HWND self = m_hWnd;
  CIdleMessageLoop loop;
  BOOL stopAsked = FALSE, stalled = FALSE, cancelEnabled = FALSE, quit = FALSE;
  for (;;) {
    quit = loop.Run(kWaitStepMs);
    if (!::IsWindow(self)) {
      // The screen is gone and this object with it: only locals remain.
      session->Stop();
      RemoveUnverified(path);
      return kDownloadGiveUp;
    }
    if (quit) break;
    if (!stopAsked) {
      if (m_bCancelRequested) {
        session->StopLocked();
        stopAsked = TRUE;
      } else if (m_bTransferStarted && TickDiff(m_reportTick, UpdateTickNow()) > kStallMs) {
        session->StopLocked();
        stopAsked = TRUE;
        stalled = TRUE;
      }
    }
    if (m_bTransferStarted && !cancelEnabled) {
      m_wndCancel.EnableWindow(TRUE);
      cancelEnabled = TRUE;
    }
    if (m_nEndCode != kDownloadRunning) break;
  }

  KillTimer(kBusyDotsTimer);
  m_nDots = 0;
  ShowBusyDots();
  m_wndCancel.EnableWindow(FALSE);
  m_pSession = nullptr;
  session->Stop();
  // A report of this download still queued (the wait left on a quit before
  // the end code came) must not end the next download.  PeekMessage hands
  // out WM_QUIT whatever the filter: put it back.
  MSG stale;
  while (::PeekMessageA(&stale, self, WM_APP_DOWNLOAD_PROGRESS, WM_APP_DOWNLOAD_PROGRESS, PM_REMOVE)) {
    if (stale.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(stale.wParam));
      quit = TRUE;
      break;
    }
  }
  // The program is quitting: no questions, and no file that nobody checked.
  if (quit) {
    RemoveUnverified(path);
    return kDownloadGiveUp;
  }

  if (m_bCancelRequested)
    m_nEndCode = kDownloadStopped;
  else if (stalled)
    m_nEndCode = kDownloadStalled;

  CScreenQuestions questions;
  return ResolveDownloadEnd(m_nEndCode, m_nEndValue, path, size, crc, questions, &CrcOfFile);
}
