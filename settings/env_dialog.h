// The environment settings dialog: run alone (settings-only start) or from
// the launcher screen's Settings button.
#pragma once

#include "framework/afxwin.h"

class CQuorlEnvDialog : public CDialog {
 public:
  // standalone: the dialog is the program's only window (own icon, About
  // item in its system menu, a taskbar button).
  CQuorlEnvDialog(int standalone, CWnd* pParent);
  ~CQuorlEnvDialog() override;

  BOOL OnInitDialog() override;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  DECLARE_MESSAGE_MAP()

 private:
  int m_bStandalone;
  HICON m_hIcon = nullptr;
};
