// The update's Retry/Cancel question.  Left alone it answers Retry by
// itself after a minute, so that an unattended update keeps trying.
#pragma once

#include "framework/afxwin.h"
#include "update/elapsed_timer.h"

class CRetryCancelDialog : public CDialog {
 public:
  explicit CRetryCancelDialog(const char* message, CWnd* pParent = nullptr);

  CString m_strMessage;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  // Enter and the Retry button end with IDRETRY, Escape with IDCANCEL.
  void OnOK() override;
  void OnCancel() override;
  void OnRetry();
  void OnTimer(UINT_PTR nIDEvent);
  DECLARE_MESSAGE_MAP()

 private:
  CElapsedTimer m_timer;
};

// The Retry/Cancel dialog with text, owned by the main window; TRUE when it
// ends with Retry.
BOOL AskRetry(const char* text);
