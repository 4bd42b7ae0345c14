// The environment settings dialog: five tab pages over the settings
// records, run alone (settings-only start) or from the launcher screen's
// Settings button.  It makes the Direct3D device first and never stays
// open without one.
#pragma once

#include "framework/afxwin.h"
#include "settings/env_dialog_host.h"
#include "settings/env_network_page.h"
#include "settings/env_pages.h"
#include "settings/env_settings_win.h"

// Posted by the dialog to itself when the device check failed: the message
// is shown once the dialog runs, and the dialog is then cancelled.
#define WM_ENV_DEVICE_ERROR (WM_APP + 0x301)

// A tab control that tells its parent when it gets the focus (WM_NOTIFY
// NM_SETFOCUS), so that the page can show the tab's description.
class CFocusNotifyTabCtrl : public CTabCtrl {
 protected:
  void OnSetFocus(CWnd* pOldWnd);
  DECLARE_MESSAGE_MAP()
};

class CQuorlEnvDialog : public CDialog {
 public:
  // standalone: the dialog is the program's only window (own icon, About
  // item in its system menu, a taskbar button).  host must outlive it.
  CQuorlEnvDialog(CEnvDialogHost& host, int standalone, CWnd* pParent);
  ~CQuorlEnvDialog() override;

  BOOL OnInitDialog() override;
  // Applies the pages in tab order; the first that fails keeps the dialog
  // open on the current tab (the sections saved before it stay saved).
  void OnOK() override;
  // Saves nothing.
  void OnCancel() override;

  // The page of tab index (0 global, 1 graphics, 2 detail, 3 sea, 4
  // network), from the tab item; null when the item cannot be read.
  CEnvBasePage* GetTabPage(int index) const;
  CEnvBasePage* GetCurrentPage() const { return m_pCurrentPage; }
  CFocusNotifyTabCtrl& GetTabCtrl() { return m_tab; }
  const CString& GetDeviceError() const { return m_strDeviceError; }

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  int OnCreate(LPCREATESTRUCTA lpCreateStruct);
  void OnSysCommand(UINT nID, LPARAM lParam);
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  void OnReset();
  void OnTabSelChange(NMHDR* pNMHDR, LRESULT* pResult);
  void OnTabSetFocus(NMHDR* pNMHDR, LRESULT* pResult);
  LRESULT OnDeviceError(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

  // Hides the current page and shows the selected tab's.
  void ShowPage();
  // The selected tab's description in the current page.
  void ShowTabDescription();
  // The About box of the settings-only mode (system-menu item 0x10), run
  // modally.
  virtual void RunAboutBox();
  // The settings load of each opening, once the device is there: the sound
  // test on the main window and the video memory (begun in OnCreate), the
  // defaults for the device, every section read again and the effective
  // record derived, so that edits that were not saved are dropped.
  virtual void LoadEnvSettings();

 private:
  // Tab labels, page frames, the layout around the largest page.
  void InsertTabsAndLayout();

  CFocusNotifyTabCtrl m_tab;
  int m_bStandalone;
  CEnvGlobalPage m_globalPage;
  CEnvGraphicsPage m_graphicsPage;
  CEnvGraphicsPage2 m_seaPage;
  CEnvGraphicsPage3 m_detailPage;
  CEnvNetworkPage m_networkPage;
  CEnvBasePage* m_pCurrentPage = nullptr;
  CString m_strDeviceError;
  HICON m_hIcon = nullptr;
  CEnvDialogHost& m_host;
  CEnvSettingsLoad m_load;
};
