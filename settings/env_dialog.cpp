#include "settings/env_dialog.h"

#include "framework/app_util.h"
#include "res/resource.h"

BEGIN_MESSAGE_MAP(CQuorlEnvDialog, CDialog)
END_MESSAGE_MAP()

CQuorlEnvDialog::CQuorlEnvDialog(int standalone, CWnd* pParent)
    : CDialog(IDD_ENV_DIALOG, pParent), m_bStandalone(standalone) {
  if (m_bStandalone) m_hIcon = ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

CQuorlEnvDialog::~CQuorlEnvDialog() = default;

void CQuorlEnvDialog::DoDataExchange(CDataExchange* pDX) { CDialog::DoDataExchange(pDX); }

BOOL CQuorlEnvDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  if (m_bStandalone) {
    CString about;
    HMENU sys = ::GetSystemMenu(m_hWnd, FALSE);
    if (sys && about.LoadString(IDS_ABOUT_MENU) && !about.IsEmpty()) {
      ::AppendMenuA(sys, MF_SEPARATOR, 0, nullptr);
      ::AppendMenuA(sys, MF_STRING, IDM_ABOUTBOX, about);
    }
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
  } else {
    // Opened from the launcher: no taskbar button of its own.
    ModifyStyleEx(WS_EX_APPWINDOW, 0);
  }
  CString title;
  if (LoadAndFormatWithAppTitle(IDS_ENV_TITLE, title)) SetWindowText(title);
  return TRUE;
}
