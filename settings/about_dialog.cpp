#include "settings/about_dialog.h"

#include "framework/text_format.h"
#include "framework/version_text.h"
#include "res/resource.h"

CAboutDialog::CAboutDialog(CEnvDialogHost& host) : CDialog(IDD_ABOUTBOX, nullptr), m_host(host) {
  uint32_t game = 0, launcher = 0;
  if (!m_host.ReadInstalledVersions(&game, &launcher)) launcher = 0;
  CString format;
  if (!format.LoadString(IDS_ABOUT_VERSION)) format = "Version %s";
  m_strVersion = FormatTableText(format, FormatVersion(launcher));
}

void CAboutDialog::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_ABOUT_LINK, m_link);
  DDX_Text(pDX, IDC_ABOUT_VERSION, m_strVersion);
}

BOOL CAboutDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  // The link shows the address it opens.
  const char* home = m_host.GetHomePageURL();
  m_link.SetURL(home);
  m_link.SetWindowText(home != nullptr ? home : "");

  // The program's name in a bold copy of the dialog's font.
  LOGFONTA lf = {};
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT));
  if (font != nullptr && ::GetObjectA(font, sizeof lf, &lf) != 0) {
    lf.lfWeight = FW_BOLD;
    if (m_fontBold.CreateFontIndirect(&lf)) {
      if (CWnd* name = GetDlgItem(IDC_ABOUT_NAME)) name->SetFont(&m_fontBold, TRUE);
    }
  }
  return TRUE;
}
