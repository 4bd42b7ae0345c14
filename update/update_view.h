// The captioned update screen shown while the launcher patches itself and
// the game: status line, versions, the progress of the current download
// with its Cancel button, and the operations that the update sequence and
// the patch scripts call (downloads with their check, the client start).
// What it needs of the rest of the program comes through the host that the
// frame hands it (update/update_screen_host.h).
#pragma once

#include <cstdint>

#include "framework/afxwin.h"
#include "update/client_start.h"
#include "update/download_outcome.h"
#include "update/http_session.h"
#include "update/update_screen_host.h"
#include "framework/version_text.h"

// Posted by the frame to a new update screen: starts the update sequence.
constexpr UINT kStartUpdateMessage = WM_APP + 0x101;

class CQuorlLauncherUpdateView : public CFormView {
  DECLARE_DYNCREATE(CQuorlLauncherUpdateView)
 public:
  CQuorlLauncherUpdateView();
  ~CQuorlLauncherUpdateView() override;

  void OnInitialUpdate() override;

  // Status line := text (empty for null).  The other controls are enabled
  // unless hideDetails is set; with it the versions, byte counts and
  // remaining time are emptied and the bar goes to 0.  Cancel stays as the
  // download left it: it is usable only while a transfer runs.
  void SetStatusTexts(const char* text, BOOL hideDetails);
  // The same with string id formatted with the application title (0: none).
  void SetStatusString(UINT id, BOOL hideDetails);
  // "%u.%03u" of the version into control id.
  void ShowVersion(uint32_t version, int id);

  // What the screen needs of the program, handed over by the frame right
  // after it makes the screen; null until then (the start message then
  // runs nothing, and the client starts without the portal's data).
  void SetHost(CUpdateScreenHost* host) { m_pHost = host; }
  CUpdateScreenHost* GetHost() const { return m_pHost; }

  // Downloads url to path until it checks out (size and CRC-32) or the
  // user gives up (FALSE).  Every failure asks Retry/Cancel first.
  BOOL DownloadWithRetry(const char* url, const char* path, uint32_t size, uint32_t crc);
  // One attempt: verified, again (after an error), again bypassing caches
  // (after a failed check) or give up.  Returns only when the session is
  // gone.
  DownloadResult DownloadOnce(const char* url, const char* path, uint32_t size, uint32_t crc, BOOL reload);
  // Starts the game client (StartClientProcess without extra text, with
  // the host's launch key and hand-off).
  BOOL StartClient();

  // Test access: the end code of the running or last download
  // (kDownloadRunning while one waits).
  int GetEndCode() const { return m_nEndCode; }
  // ... and the value that came with it.
  uint32_t GetEndValue() const { return m_nEndValue; }

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnDestroy();
  void OnTimer(UINT_PTR nIDEvent);
  void OnCancel();
  LRESULT OnStartUpdate(WPARAM, LPARAM);
  LRESULT OnDownloadProgress(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

 private:
  CUpdateScreenHost* m_pHost = nullptr;

  // Byte counts and bar for n bytes of the current file.
  void ShowProgress(uint32_t received, BOOL finished);
  // The remaining-time text for n bytes received.
  void ShowRemainingTime(uint32_t received);
  void ShowBusyDots();

  // Timer of the busy dots, 300 ms apart while a download runs.
  static constexpr UINT_PTR kBusyDotsTimer = 0x20040825;

  int32_t m_nEndCode = -1;
  uint32_t m_nEndValue = 0;
  // The running download's session (owned by DownloadOnce), else null.
  CHTTPBinarySession* m_pSession = nullptr;
  BOOL m_bCancelRequested = FALSE;
  uint32_t m_nLength = 0;
  uint32_t m_startTick = 0;
  uint32_t m_speedTick = 0;
  uint32_t m_reportTick = 0;
  BOOL m_bTransferStarted = FALSE;
  CString m_strProgressLabel;
  int32_t m_nDots = 0;

  CStatic m_wndStatus;
  CStatic m_wndLatest;
  CStatic m_wndCurrent;
  CStatic m_wndNext;
  CStatic m_wndProgressLabel;
  CStatic m_wndRemaining;
  CStatic m_wndBytes;
  CProgressCtrl m_wndProgress;
  CButton m_wndCancel;
};
