#include "update/retry_dialog.h"

#include "res/resource.h"

namespace {
// The dialog's one-second tick, and how long it waits for the user.
constexpr UINT_PTR kSelfRetryTimer = 0x20031208;
constexpr uint32_t kSelfRetrySeconds = 60;
}  // namespace

BEGIN_MESSAGE_MAP(CRetryCancelDialog, CDialog)
ON_BN_CLICKED(IDRETRY, OnRetry)
ON_WM_TIMER()
END_MESSAGE_MAP()

CRetryCancelDialog::CRetryCancelDialog(const char* message, CWnd* pParent)
    : CDialog(IDD_RETRY_CANCEL, pParent), m_strMessage(message) {}

void CRetryCancelDialog::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_RETRY_MESSAGE, m_strMessage);
}

BOOL CRetryCancelDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  CString title;
  if (title.LoadString(IDS_APP_TITLE)) SetWindowText(title);
  SendDlgItemMessage(IDC_RETRY_ICON, STM_SETICON, reinterpret_cast<WPARAM>(::LoadIconA(nullptr, IDI_WARNING)), 0);
  SetTimer(kSelfRetryTimer, 1000);
  m_timer.Start();
  return TRUE;
}

void CRetryCancelDialog::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent != kSelfRetryTimer) {
    CDialog::OnTimer(nIDEvent);
    return;
  }
  if (m_timer.ElapsedSeconds() > kSelfRetrySeconds) {
    KillTimer(kSelfRetryTimer);
    EndDialog(IDRETRY);
  }
}

void CRetryCancelDialog::OnRetry() { EndDialog(IDRETRY); }
void CRetryCancelDialog::OnOK() { EndDialog(IDRETRY); }
void CRetryCancelDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL AskRetry(const char* text) {
  CRetryCancelDialog dialog(text);
  return dialog.DoModal() == IDRETRY ? TRUE : FALSE;
}
