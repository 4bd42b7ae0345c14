#include "settings/env_network_page.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "framework/text_format.h"
#include "res/resource.h"
#include "settings/network_page_rules.h"
#include "update/download_rules.h"

namespace {

CString LoadText(UINT id) {
  CString s;
  s.LoadString(id);
  return s;
}

// The walk's file system: the real one, with the question and CharNextA.
class CWin32FolderWalk : public CFolderWalkSystem {
 public:
  explicit CWin32FolderWalk(const CString& folder) : m_folder(folder) {}

  Kind Probe(const std::string& path) override {
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return kMissing;
    ::FindClose(find);
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? kFolder : kFile;
  }
  bool MakeFolder(const std::string& path) override { return ::CreateDirectoryA(path.c_str(), nullptr) != FALSE; }
  bool ConfirmCreate() override {
    const CString text = FormatTableText(LoadText(IDS_ASK_MAKE_FOLDER), m_folder.GetString());
    return AfxMessageBox(text, MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
  }
  const char* Next(const char* p) override { return ::CharNextA(p); }

 private:
  const CString& m_folder;
};

// Opens the folder browser on the folder that the page put in its buffer.
int CALLBACK BrowseCallback(HWND wnd, UINT message, LPARAM, LPARAM data) {
  const char* folder = reinterpret_cast<const char*>(data);
  if (message == BFFM_INITIALIZED && folder != nullptr && folder[0] != '\0')
    ::SendMessageA(wnd, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(folder));
  return 0;
}

}  // namespace

BEGIN_MESSAGE_MAP(CEnvNetworkPage, CEnvBasePage)
ON_BN_CLICKED(IDC_NET_USE_PROXY, OnClickOption)
ON_BN_CLICKED(IDC_NET_PROXY_SYSTEM, OnClickOption)
ON_BN_CLICKED(IDC_NET_PROXY_NAMED, OnClickOption)
ON_BN_CLICKED(IDC_NET_OWN_FOLDER, OnClickOption)
ON_BN_CLICKED(IDC_NET_BROWSE, OnBrowse)
ON_BN_SETFOCUS(IDC_NET_USE_PROXY, OnProxyFocus)
ON_BN_SETFOCUS(IDC_NET_PROXY_SYSTEM, OnProxyFocus)
ON_BN_SETFOCUS(IDC_NET_PROXY_NAMED, OnProxyFocus)
ON_CONTROL_RANGE(EN_SETFOCUS, IDC_NET_PROXY_HOST, IDC_NET_PROXY_PASSWORD, OnProxyEditFocus)
ON_BN_SETFOCUS(IDC_NET_OWN_FOLDER, OnFolderFocus)
ON_BN_SETFOCUS(IDC_NET_BROWSE, OnFolderFocus)
ON_EN_SETFOCUS(IDC_NET_FOLDER, OnFolderFocus)
END_MESSAGE_MAP()

CEnvNetworkPage::CEnvNetworkPage(CEnvDialogHost& host)
    : CEnvBasePage(host), m_settings(host.OpenAppRegistryKey(), FALSE, TRUE) {
  m_browseFolder[0] = '\0';
  FillFields(true);
}

UINT CEnvNetworkPage::GetTemplateID() const { return IDD_ENV_NETWORK_PAGE; }

void CEnvNetworkPage::FillFields(bool load) {
  if (load) {
    m_settings.Load();
  } else {
    m_settings.Clear();
  }
  NetworkProxyFields proxy;
  proxy.proxyKind = m_nProxyKind;
  ProxyFieldsFromSettings(m_settings.m_nProxyMode, m_settings.m_strProxyServer, m_settings.m_strProxyUser,
                          m_settings.m_strProxyPassword, &proxy);
  m_bUseProxy = proxy.useProxy ? TRUE : FALSE;
  m_nProxyKind = proxy.proxyKind;
  m_strProxyHost = proxy.host;
  m_strProxyPort = proxy.portText;
  m_nProxyPort = proxy.port;
  m_strProxyUser = proxy.user;
  m_strProxyPassword = proxy.password;
  // The temporary folder is never shown: without a folder of the user's
  // own the text stays empty.
  m_bOwnFolder = m_settings.GetDownloadFolder(m_strFolder);
  if (!m_bOwnFolder) m_strFolder.Empty();
}

void CEnvNetworkPage::DoDataExchange(CDataExchange* pDX) {
  CEnvBasePage::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_NET_PROXY_HOST, m_strProxyHost);
  DDX_Text(pDX, IDC_NET_PROXY_PASSWORD, m_strProxyPassword);
  DDX_Text(pDX, IDC_NET_PROXY_USER, m_strProxyUser);
  DDX_Text(pDX, IDC_NET_PROXY_PORT, m_strProxyPort);
  // Only a port the user can edit is checked: a disabled one (no proxy, or
  // the system's settings) keeps what was stored, whatever that is.
  if (pDX->m_bSaveAndValidate && ::IsWindowEnabled(::GetDlgItem(m_hWnd, IDC_NET_PROXY_PORT))) {
    unsigned port = 0;
    // The prompt must be about a field in front of the user: this page
    // comes to the front first (OK may be pressed on any tab).
    if (!ParseProxyPort(m_strProxyPort, &port)) ShowOwnTab();
    DDX_Text(pDX, IDC_NET_PROXY_PORT, m_nProxyPort);
    DDV_MinMaxUInt(pDX, m_nProxyPort, 0, kMaxProxyPort);
  }
  DDX_Check(pDX, IDC_NET_USE_PROXY, m_bUseProxy);
  DDX_Radio(pDX, IDC_NET_PROXY_SYSTEM, m_nProxyKind);
  DDX_Check(pDX, IDC_NET_OWN_FOLDER, m_bOwnFolder);
  DDX_Text(pDX, IDC_NET_FOLDER, m_strFolder);
}

BOOL CEnvNetworkPage::OnInitDialog() {
  // The folder must fit the MAX_PATH buffers it is copied into.
  ::SendDlgItemMessageA(m_hWnd, IDC_NET_FOLDER, EM_LIMITTEXT, kMaxFolderText, 0);
  CEnvBasePage::OnInitDialog();
  EnableControls();
  return TRUE;
}

void CEnvNetworkPage::SetDescription(int stringId) { ShowDescriptionText(*this, stringId); }

void CEnvNetworkPage::EnableControls() {
  const bool useProxy = ::IsDlgButtonChecked(m_hWnd, IDC_NET_USE_PROXY) == BST_CHECKED;
  const bool named = ::IsDlgButtonChecked(m_hWnd, IDC_NET_PROXY_NAMED) == BST_CHECKED;
  const bool ownFolder = ::IsDlgButtonChecked(m_hWnd, IDC_NET_OWN_FOLDER) == BST_CHECKED;
  const NetworkEnabling e = ComputeNetworkEnabling(useProxy, named, ownFolder);
  auto enable = [this](int id, bool on) { ::EnableWindow(::GetDlgItem(m_hWnd, id), on ? TRUE : FALSE); };
  enable(IDC_NET_PROXY_SYSTEM, e.proxyKinds);
  enable(IDC_NET_PROXY_NAMED, e.proxyKinds);
  for (int id = IDC_NET_PROXY_HOST; id <= IDC_NET_PROXY_PASSWORD; ++id) enable(id, e.proxyFields);
  enable(IDC_NET_FOLDER, e.folder);
  enable(IDC_NET_BROWSE, e.folder);
}

void CEnvNetworkPage::OnClickOption() { EnableControls(); }

void CEnvNetworkPage::RefreshControls() {
  FillFields(false);
  UpdateData(FALSE);
  EnableControls();
}

BOOL CEnvNetworkPage::MakeFolderLevels() {
  CWin32FolderWalk fs(m_strFolder);
  std::string failed;
  switch (WalkDownloadFolder(m_strFolder, fs, &failed)) {
    case kWalkCannotMake:
      AfxMessageBox(IDS_NET_CANNOT_MAKE_FOLDER, MB_ICONERROR);
      return FALSE;
    case kWalkFileInTheWay: {
      const CString text = FormatTableText(LoadText(IDS_NET_FILE_IN_THE_WAY), failed.c_str());
      AfxMessageBox(text, MB_ICONERROR);
      return FALSE;
    }
    case kWalkDeclined:  // the folder rule below drops the missing folder
    case kWalkDone:
      break;
  }
  return TRUE;
}

BOOL CEnvNetworkPage::Apply() {
  // A field that does not take its value (a port outside 0..65535) has been
  // shown to the user: the dialog stays open on this page.
  if (!UpdateData(TRUE)) return FALSE;
  if (m_bOwnFolder) {
    // Longer texts do not fit the MAX_PATH buffers of the checks below.
    if (static_cast<size_t>(m_strFolder.GetLength()) > kMaxFolderText) {
      AfxMessageBox(IDS_NET_CANNOT_MAKE_FOLDER, MB_ICONERROR);
      return FALSE;
    }
    const DriveVerdict drive = JudgeDownloadDrive(m_settings.CheckDrive(m_strFolder));
    if (!drive.keepFolder) {
      if (drive.messageId != 0) AfxMessageBox(drive.messageId, MB_ICONEXCLAMATION);
      m_bOwnFolder = FALSE;
    } else if (!MakeFolderLevels()) {
      return FALSE;
    }
  }
  m_settings.SetProxy(m_bUseProxy, m_nProxyKind == 0, m_strProxyHost, m_nProxyPort, m_strProxyUser, m_strProxyPassword);
  // A folder that still fails the folder rule is dropped: the temporary
  // folder is saved.
  m_settings.CheckFolder(!m_bOwnFolder, m_strFolder);
  return SavedOrTold(m_settings.Save() != FALSE);
}

void CEnvNetworkPage::OnBrowse() {
  // The folder is all the browser needs: another field that is wrong is
  // for OK to tell.
  CString folder;
  GetDlgItemText(IDC_NET_FOLDER, folder);
  m_strFolder = folder;
  // Only a text that fits is preselected.
  if (static_cast<size_t>(m_strFolder.GetLength()) < sizeof m_browseFolder) {
    std::memcpy(m_browseFolder, m_strFolder.GetString(), static_cast<size_t>(m_strFolder.GetLength()) + 1);
  } else {
    m_browseFolder[0] = '\0';
  }
  CString title = LoadText(IDS_NET_BROWSE_TITLE);
  BROWSEINFOA info;
  std::memset(&info, 0, sizeof info);
  info.hwndOwner = m_hWnd;
  info.lpszTitle = title;
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
  info.lpfn = &BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(m_browseFolder);
  LPITEMIDLIST chosen = ::SHBrowseForFolderA(&info);
  if (chosen == nullptr) return;
  char path[MAX_PATH];
  if (::SHGetPathFromIDListA(chosen, path)) ::SetDlgItemTextA(m_hWnd, IDC_NET_FOLDER, path);
  ::CoTaskMemFree(chosen);
}

void CEnvNetworkPage::OnProxyFocus() { SetDescription(IDS_DESC_PROXY); }
void CEnvNetworkPage::OnProxyEditFocus(UINT) { SetDescription(IDS_DESC_PROXY); }
void CEnvNetworkPage::OnFolderFocus() { SetDescription(IDS_DESC_DOWNLOAD_FOLDER); }
