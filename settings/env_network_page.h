// The network page: whether patch downloads go through a proxy (the
// system's settings or a named one with optional user and password), and
// which folder they go to.  It edits the download settings of the "Login"
// subkey and writes them only when the dialog's OK applies it.
#pragma once

#include "framework/afxwin.h"
#include "settings/env_base_page.h"
#include "update/download_setting.h"

class CEnvNetworkPage : public CEnvBasePage {
 public:
  // Reads the stored settings under the host's registry key at once.
  explicit CEnvNetworkPage(CEnvDialogHost& host);

  UINT GetTemplateID() const override;
  BOOL OnInitDialog() override;
  void SetDescription(int stringId) override;
  // Checks the folder (its drive, then each level, made on request) and
  // saves; FALSE, with the reason shown, when a field is wrong or the
  // folder cannot be made.
  BOOL Apply() override;
  // The defaults into the controls (system proxy settings, port 80, the
  // temporary folder); nothing is written.
  void RefreshControls() override;

  // Which controls are usable, from the check boxes and radio buttons.
  void EnableControls();

  // The fields, each bound to its control.
  CString m_strProxyHost;
  CString m_strProxyPassword;
  CString m_strProxyUser;
  CString m_strProxyPort;  // the port edit's text (a stored one as it is)
  UINT m_nProxyPort = 0;   // the port that Apply saves
  int m_bUseProxy = FALSE;
  int m_nProxyKind = 0;  // 0 the system's settings, 1 the named proxy
  int m_bOwnFolder = FALSE;
  CString m_strFolder;
  CBaseBinaryDownloadSetting m_settings;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnClickOption();
  void OnBrowse();
  void OnProxyFocus();
  void OnProxyEditFocus(UINT id);
  void OnFolderFocus();
  DECLARE_MESSAGE_MAP()

 private:
  // The fields from the settings, read from the registry (load) or the
  // defaults.
  void FillFields(bool load);
  // The folder walk with its questions and messages; FALSE when Apply must
  // stop.
  BOOL MakeFolderLevels();

  // The folder that the browser opens on, read by its callback.
  char m_browseFolder[MAX_PATH];
};
