#include "settings/env_dialog.h"

#include <cstring>

#include "framework/app_util.h"
#include "res/resource.h"
#include "settings/about_dialog.h"
#include "settings/env_settings_win.h"
#include "settings/sound_setting.h"

namespace {

// Tab index -> description string; -1 shows nothing.
int TabDescriptionId(int index) {
  static const int kIds[] = {IDS_DESC_TAB_GLOBAL, IDS_DESC_TAB_GRAPHICS, IDS_DESC_TAB_DETAIL, IDS_DESC_TAB_SEA,
                             IDS_DESC_TAB_NETWORK};
  return index >= 0 && index < static_cast<int>(sizeof kIds / sizeof kIds[0]) ? kIds[index] : -1;
}

// A child's window rectangle in its parent's client coordinates.
RECT ChildRect(HWND parent, HWND child) {
  RECT r = {0, 0, 0, 0};
  ::GetWindowRect(child, &r);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace

// --- CFocusNotifyTabCtrl ---

BEGIN_MESSAGE_MAP(CFocusNotifyTabCtrl, CTabCtrl)
ON_WM_SETFOCUS()
END_MESSAGE_MAP()

void CFocusNotifyTabCtrl::OnSetFocus(CWnd* pOldWnd) {
  CTabCtrl::OnSetFocus(pOldWnd);
  NMHDR hdr;
  hdr.hwndFrom = m_hWnd;
  hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
  hdr.code = NM_SETFOCUS;
  ::SendMessageA(::GetParent(m_hWnd), WM_NOTIFY, static_cast<WPARAM>(hdr.idFrom), reinterpret_cast<LPARAM>(&hdr));
}

// --- CQuorlEnvDialog ---

BEGIN_MESSAGE_MAP(CQuorlEnvDialog, CDialog)
ON_WM_CREATE()
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_ENV_RESET, OnReset)
ON_NOTIFY(TCN_SELCHANGE, IDC_ENV_TAB, OnTabSelChange)
ON_NOTIFY(NM_SETFOCUS, IDC_ENV_TAB, OnTabSetFocus)
ON_MESSAGE(WM_ENV_DEVICE_ERROR, OnDeviceError)
END_MESSAGE_MAP()

CQuorlEnvDialog::CQuorlEnvDialog(CEnvDialogHost& host, int standalone, CWnd* pParent)
    : CDialog(IDD_ENV_DIALOG, pParent),
      m_bStandalone(standalone),
      m_globalPage(host),
      m_graphicsPage(host),
      m_seaPage(host),
      m_detailPage(host),
      m_networkPage(host),
      m_host(host) {
  if (m_bStandalone) m_hIcon = ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

CQuorlEnvDialog::~CQuorlEnvDialog() = default;

void CQuorlEnvDialog::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_ENV_TAB, m_tab);
}

int CQuorlEnvDialog::OnCreate(LPCREATESTRUCTA lpCreateStruct) {
  if (CDialog::OnCreate(lpCreateStruct) == -1) return -1;
  // The slow part of the settings load (the sound test above all) runs
  // while the pages and the tabs are made; OnInitDialog waits for it before
  // any page takes the loaded values.
  CWnd* mainWnd = AfxGetMainWnd();
  m_load.Start(mainWnd != nullptr ? mainWnd->GetSafeHwnd() : nullptr);
  // The pages read stored values as they are made, the load and the pages'
  // filling read the rest, OK writes them all: each burst opens the
  // profile's keys once.
  const CProfileKeyCache keys(AfxGetApp());
  // Member order; the tabs show them in another.
  CEnvBasePage* pages[] = {&m_globalPage, &m_graphicsPage, &m_seaPage, &m_detailPage, &m_networkPage};
  for (CEnvBasePage* page : pages) {
    if (!page->Create(this)) {
      m_load.Abandon();
      return -1;
    }
  }
  return 0;
}

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

  InsertTabsAndLayout();

  // The device first: the pages show what it can do.  A failure is told
  // once the dialog runs, and closes it.
  if (m_host.InitDevice(m_strDeviceError)) {
    const CProfileKeyCache keys(AfxGetApp());
    LoadEnvSettings();
    CEnvBasePage* tabs[] = {&m_globalPage, &m_graphicsPage, &m_detailPage, &m_seaPage, &m_networkPage};
    for (CEnvBasePage* page : tabs) page->InitControls();
  } else {
    m_load.Abandon();
    PostMessage(WM_ENV_DEVICE_ERROR);
  }
  return TRUE;
}

void CQuorlEnvDialog::LoadEnvSettings() { m_load.Finish(*AfxGetApp(), m_host.GetSettingsDevice()); }

void CQuorlEnvDialog::InsertTabsAndLayout() {
  CEnvBasePage* tabs[] = {&m_globalPage, &m_graphicsPage, &m_detailPage, &m_seaPage, &m_networkPage};
  int maxWidth = 0;
  int maxHeight = 0;
  int index = 0;
  for (CEnvBasePage* page : tabs) {
    CString label;
    page->GetWindowText(label);
    // The caption gives the tab its label; the page itself shows none.
    page->ModifyStyle(WS_CAPTION, 0, SWP_FRAMECHANGED);
    RECT r = {0, 0, 0, 0};
    ::GetWindowRect(page->GetSafeHwnd(), &r);
    if (r.right - r.left > maxWidth) maxWidth = r.right - r.left;
    if (r.bottom - r.top > maxHeight) maxHeight = r.bottom - r.top;
    TCITEMA item;
    std::memset(&item, 0, sizeof item);
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = const_cast<char*>(label.GetString());
    item.lParam = reinterpret_cast<LPARAM>(page);
    m_tab.InsertItem(index++, &item);
  }

  // Grow the tab control until its display area holds the largest page;
  // its top-left corner stays.
  const RECT tabBefore = ChildRect(m_hWnd, m_tab.GetSafeHwnd());
  RECT wanted = {tabBefore.left, tabBefore.top, tabBefore.left + maxWidth, tabBefore.top + maxHeight};
  m_tab.AdjustRect(TRUE, &wanted);
  const int tabWidth = wanted.right - wanted.left;
  const int tabHeight = wanted.bottom - wanted.top;
  const int dx = tabWidth - (tabBefore.right - tabBefore.left);
  const int dy = tabHeight - (tabBefore.bottom - tabBefore.top);
  m_tab.SetWindowPos(nullptr, 0, 0, tabWidth, tabHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  // Every page in the display area, just behind the tab control, so that
  // Tab moves from the tabs into the page.
  RECT display = ChildRect(m_hWnd, m_tab.GetSafeHwnd());
  m_tab.AdjustRect(FALSE, &display);
  for (CEnvBasePage* page : tabs)
    page->SetWindowPos(&m_tab, display.left, display.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);

  m_tab.SetCurSel(0);
  ShowPage();

  const int buttons[] = {IDC_ENV_RESET, IDOK, IDCANCEL};
  for (int id : buttons) {
    HWND button = ::GetDlgItem(m_hWnd, id);
    if (button == nullptr) continue;
    const RECT r = ChildRect(m_hWnd, button);
    ::SetWindowPos(button, nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RECT client = {0, 0, 0, 0};
  ::GetClientRect(m_hWnd, &client);
  RECT frame = {0, 0, client.right + dx, client.bottom + dy};
  ::AdjustWindowRectEx(&frame, static_cast<DWORD>(GetStyle()), FALSE, static_cast<DWORD>(GetExStyle()));
  SetWindowPos(nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CenterWindow();
}

CEnvBasePage* CQuorlEnvDialog::GetTabPage(int index) const {
  TCITEMA item;
  std::memset(&item, 0, sizeof item);
  item.mask = TCIF_PARAM;
  if (index < 0 || !const_cast<CFocusNotifyTabCtrl&>(m_tab).GetItem(index, &item)) return nullptr;
  return reinterpret_cast<CEnvBasePage*>(item.lParam);
}

void CQuorlEnvDialog::ShowPage() {
  CEnvBasePage* page = GetTabPage(m_tab.GetCurSel());
  if (page == nullptr) return;
  if (m_pCurrentPage != nullptr && m_pCurrentPage != page) {
    m_pCurrentPage->ShowWindow(SW_HIDE);
    m_pCurrentPage->OnPageHide();
  }
  page->OnPageShow();
  page->ShowWindow(SW_SHOW);
  m_pCurrentPage = page;
  ShowTabDescription();
}

void CQuorlEnvDialog::ShowTabDescription() {
  // No page is shown while the selected tab's item cannot be read.
  if (m_pCurrentPage == nullptr) return;
  m_pCurrentPage->SetDescription(TabDescriptionId(m_tab.GetCurSel()));
}

void CQuorlEnvDialog::OnTabSelChange(NMHDR*, LRESULT* pResult) {
  ShowPage();
  *pResult = 0;
}

void CQuorlEnvDialog::OnTabSetFocus(NMHDR*, LRESULT* pResult) {
  ShowTabDescription();
  *pResult = 0;
}

LRESULT CQuorlEnvDialog::OnDeviceError(WPARAM, LPARAM) {
  AfxMessageBox(m_strDeviceError, MB_ICONEXCLAMATION);
  OnCancel();
  return 0;
}

void CQuorlEnvDialog::OnOK() {
  const CProfileKeyCache keys(AfxGetApp());
  CEnvBasePage* tabs[] = {&m_globalPage, &m_graphicsPage, &m_detailPage, &m_seaPage, &m_networkPage};
  for (CEnvBasePage* page : tabs) {
    if (!page->Apply()) return;
  }
  CDialog::OnOK();
}

void CQuorlEnvDialog::OnCancel() { CDialog::OnCancel(); }

void CQuorlEnvDialog::OnReset() {
  const CProfileKeyCache keys(AfxGetApp());
  ResetGraphicSettingsToDefaults(m_host.GetSettingsDevice());
  GetSoundSetting().SetDefaults();
  const int count = m_tab.GetItemCount();
  for (int i = 0; i < count; ++i) {
    CEnvBasePage* page = GetTabPage(i);
    if (page != nullptr) page->RefreshControls();
  }
  if (m_pCurrentPage != nullptr) m_pCurrentPage->RefreshControls();
}

void CQuorlEnvDialog::OnSysCommand(UINT nID, LPARAM lParam) {
  if (m_bStandalone && (nID & 0xFFF0) == IDM_ABOUTBOX) {
    RunAboutBox();
    return;
  }
  CDialog::OnSysCommand(nID, lParam);
}

void CQuorlEnvDialog::RunAboutBox() {
  // Modal, no parent: the box takes the main window (this dialog, in the
  // settings-only mode) as its owner, and is destroyed when it closes.
  CAboutDialog about(m_host);
  about.DoModal();
}

void CQuorlEnvDialog::OnPaint() {
  if (!m_bStandalone || !IsIconic()) {
    CDialog::OnPaint();
    return;
  }
  CPaintDC dc(this);
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
  RECT client = {0, 0, 0, 0};
  ::GetClientRect(m_hWnd, &client);
  const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  ::DrawIcon(dc.GetSafeHdc(), x, y, m_hIcon);
}

HCURSOR CQuorlEnvDialog::OnQueryDragIcon() {
  if (m_bStandalone) return reinterpret_cast<HCURSOR>(m_hIcon);
  return CDialog::OnQueryDragIcon();
}
