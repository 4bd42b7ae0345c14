#include "update/update_view.h"

#include "res/resource.h"
#include "update/version_check_win.h"

namespace {
constexpr UINT kStartUpdateMessage = WM_APP + 0x101;
}

CString FormatVersion(uint32_t version) {
  CString text;
  text.Format("%u.%03u", version / 1000000u, (version / 1000u) % 1000u);
  return text;
}

IMPLEMENT_DYNCREATE(CQuorlLauncherUpdateView, CFormView)

BEGIN_MESSAGE_MAP(CQuorlLauncherUpdateView, CFormView)
  ON_MESSAGE(kStartUpdateMessage, OnStartUpdate)
  ON_BN_CLICKED(IDC_UPDATE_CANCEL, OnCancelUpdate)
END_MESSAGE_MAP()

CQuorlLauncherUpdateView::CQuorlLauncherUpdateView() : CFormView(IDD_UPDATE_VIEW) {}
CQuorlLauncherUpdateView::~CQuorlLauncherUpdateView() = default;

void CQuorlLauncherUpdateView::DoDataExchange(CDataExchange* pDX) {
  CFormView::DoDataExchange(pDX);
}

void CQuorlLauncherUpdateView::OnInitialUpdate() { CFormView::OnInitialUpdate(); }

LRESULT CQuorlLauncherUpdateView::OnStartUpdate(WPARAM, LPARAM) {
  // The version check and the scripts run from here once they exist; until
  // then the screen waits for the user to go back.
  return 0;
}

void CQuorlLauncherUpdateView::OnCancelUpdate() {
  if (CWnd* main = AfxGetMainWnd())
    main->PostMessage(WM_COMMAND, ID_SHOW_LAUNCHER_VIEW, 0);
}

int CQuorlLauncherUpdateView::CheckVersion(uint32_t version) { return RunVersionCheck(m_hWnd, version); }

int CQuorlLauncherUpdateView::DownloadWithRetry(const char*, const char*, uint32_t, uint32_t) {
  return 3;  // no download session yet: give up
}

int CQuorlLauncherUpdateView::SetLatestVersion(uint32_t, uint32_t, uint32_t version) {
  m_latestVersion = version;
  SetDlgItemText(IDC_UPDATE_LATEST, FormatVersion(version));
  return 1;
}

int CQuorlLauncherUpdateView::SetNextVersion(uint32_t, uint32_t, uint32_t version) {
  m_nextVersion = version;
  SetDlgItemText(IDC_UPDATE_NEXT, FormatVersion(version));
  return 1;
}
