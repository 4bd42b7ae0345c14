// The About box of the settings-only mode: the installed launcher version
// and a link to the home page of the application's code page.  It reaches
// the application only through the settings dialog's host.  Win32.
#pragma once

#include "framework/afxwin.h"
#include "settings/env_dialog_host.h"
#include "skin/link_static.h"

class CAboutDialog : public CDialog {
 public:
  // Template IDD_ABOUTBOX, no parent; the version text is built here ("PL"
  // unreadable: version 0).  host must outlive the box.
  explicit CAboutDialog(CEnvDialogHost& host);

  BOOL OnInitDialog() override;

  const CString& GetVersionText() const { return m_strVersion; }
  CLinkURLStatic& GetLink() { return m_link; }

 protected:
  void DoDataExchange(CDataExchange* pDX) override;

 private:
  CLinkURLStatic m_link;
  CString m_strVersion;
  CFont m_fontBold;
  CEnvDialogHost& m_host;
};
