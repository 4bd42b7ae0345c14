// The application object: start-up in a fixed order, idle-time network
// pump, and the orderly exit.
#include "app/launcher_app.h"

#include <commctrl.h>
#include <objbase.h>

#include <cstdlib>
#include <cstring>

#include "app/command_line.h"
#include "app/main_frame.h"
#include "res/resource.h"
#include "settings/env_dialog.h"
#include "settings/graphic_setting.h"
#include "settings/video_memory.h"
#include "skin/launcher_screen.h"
#include "skin/launcher_view.h"
#include "update/network.h"

IMPLEMENT_DYNCREATE(CGameWinApp, CWinApp)

namespace {
// Skin images kept unpacked, and the pixel form of the skin's alpha images.
constexpr int32_t kSkinCacheSize = 20;
constexpr uint32_t kSkinImageFlags = 1;
}  // namespace

// The program's one application object is the framework's application.
CQuorlLauncherApp* GetLauncherApp() { return dynamic_cast<CQuorlLauncherApp*>(AfxGetApp()); }

CQuorlLauncherApp::CQuorlLauncherApp() : m_nCodePage(::GetACP()), m_graphicData(kSkinCacheSize, kSkinImageFlags) {}

CQuorlLauncherApp::~CQuorlLauncherApp() = default;

uint32_t CQuorlLauncherApp::GetServiceId() const { return GetServiceIdForCodePage(m_nCodePage); }
const char* CQuorlLauncherApp::GetDefaultLoginHost() const { return GetDefaultLoginHostForCodePage(m_nCodePage); }
const char* CQuorlLauncherApp::GetSetupGuideURL() const { return GetSetupGuideURLForCodePage(m_nCodePage); }
const char* CQuorlLauncherApp::GetManualURL() const { return GetManualURLForCodePage(m_nCodePage); }
const char* CQuorlLauncherApp::GetHomePageURL() const { return GetHomePageURLForCodePage(m_nCodePage); }

const char* CQuorlLauncherApp::GetLocalizeInfoFileName() const { return kLocalizeInfoFileName; }
uint32_t CQuorlLauncherApp::GetLocalizeInfoServiceId() const { return kLocalizeInfoServiceId; }

BOOL CQuorlLauncherApp::GetLocalizeInfoResource(UINT* id, const char** type) const {
  *id = IDR_LOCALIZE_INFO;
  *type = RT_RCDATA;
  return TRUE;
}

void CQuorlLauncherApp::AdoptLocalizeInfo(const CLocalizeInfo& info) {
  m_nCodePage = ValidateCodePage(info.GetCodePage());
  m_strProfileName = info.GetProfileName().c_str();
}

BOOL CQuorlLauncherApp::LoadLocalizeInfoFromFile(const char* fileName, uint32_t key) {
  CString path;
  MakeModulePath(fileName, path);
  CLocalizeInfo info("", kDefaultCodePage);
  int rc = key != 0 ? LoadLocalizeInfoScrambledFile(info, path, key) : LoadLocalizeInfoTextFile(info, path);
  if (rc != kLocalizeOk) return FALSE;
  AdoptLocalizeInfo(info);
  return TRUE;
}

BOOL CQuorlLauncherApp::LoadLocalizeInfoFromResource(UINT id, uint32_t key, const char* type) {
  CLocalizeInfo info("", kDefaultCodePage);
  if (LoadLocalizeInfoResource(info, id, key, type) != kLocalizeOk) return FALSE;
  AdoptLocalizeInfo(info);
  return TRUE;
}

BOOL CQuorlLauncherApp::InitCom() {
  m_hrCom = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  return SUCCEEDED(m_hrCom);
}

BOOL CQuorlLauncherApp::LoadLocalizeInfo() {
  const uint32_t key = GetLocalizeInfoServiceId();
  if (LoadLocalizeInfoFromFile(GetLocalizeInfoFileName(), key)) return TRUE;
  UINT id = 0;
  const char* type = nullptr;
  return GetLocalizeInfoResource(&id, &type) && LoadLocalizeInfoFromResource(id, key, type);
}

void CQuorlLauncherApp::UseProfileOfRecord() {
  SetRegistryKey("Halvane");
  std::free(const_cast<char*>(m_pszProfileName));
  m_pszProfileName = _strdup(m_strProfileName);
}

BOOL CQuorlLauncherApp::OpenSkin() {
  CString skinPath;
  MakeModulePath(kSkinFileName, skinPath);
  if (!m_graphicData.Open(skinPath)) return FALSE;
  // A file that opens but has no background to show would give a frame of
  // 0 x 0 pixels or a blank screen: it is as unusable as a missing one.
  if (!IsUsableLauncherSkin(&m_graphicData)) {
    m_graphicData.Close();
    return FALSE;
  }
  return TRUE;
}

BOOL CQuorlLauncherApp::InitInstance() {
  // The update screen's template holds a progress bar.
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS | ICC_TAB_CLASSES};
  ::InitCommonControlsEx(&controls);
  if (!InitCom()) return FALSE;

  if (!LoadLocalizeInfo()) {
    AfxMessageBox(IDS_ERR_FATAL_START, MB_ICONERROR);
    return FALSE;
  }

  // All profile access goes to HKCU\Software\Halvane\<profile name>.
  UseProfileOfRecord();

  CQuorlLauncherCommandLineInfo cmdInfo;
  ParseCommandLine(cmdInfo);
  m_nStartMode = cmdInfo.m_nStartMode;

  // The file-repair tool must not run while the launcher patches files.
  if (ActivateRunningInstance(kFileCheckerMutexName, nullptr)) {
    AfxMessageBox(IDS_ERR_CHECKER_RUNNING, MB_ICONEXCLAMATION);
    return FALSE;
  }
  // Only created, never probed: a second launcher is not refused.
  m_instanceMutex.Create(kLauncherMutexName);

  HICON icon = ::LoadIconA(m_hInstance, MAKEINTRESOURCEA(IDR_MAINFRAME));
  HICON smallIcon = ::LoadIconA(m_hInstance, MAKEINTRESOURCEA(IDR_MAINFRAME));
  HCURSOR cursor = ::LoadCursorA(nullptr, IDC_ARROW);
  if (!RegisterWindowClass(kMainFrameClassName, 0, cursor, nullptr, icon, smallIcon)) {
    AfxMessageBox(IDS_ERR_FATAL_START, MB_ICONEXCLAMATION);
    return FALSE;
  }

  if (!OpenSkin()) {
    AfxMessageBox(IDS_ERR_INIT_SKIN, MB_ICONEXCLAMATION);
    return FALSE;
  }

  if (m_nStartMode == kStartModeSettingsOnly) {
    // The settings dialog alone: no network, no frame.
    CQuorlEnvDialog dialog(GetEnvDialogAppHost(), TRUE, nullptr);
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
  }

  if (!InitNetwork()) {
    AfxMessageBox(IDS_ERR_NETWORK_INIT, MB_OK);
    return FALSE;
  }

  CMainFrame* frame = static_cast<CMainFrame*>(RUNTIME_CLASS(CMainFrame)->CreateObject());
  if (!frame) {
    AfxMessageBox(IDS_ERR_FATAL_START, MB_ICONEXCLAMATION);
    return FALSE;
  }
  CCreateContext context;
  context.m_pNewViewClass = RUNTIME_CLASS(CQuorlLauncherView);
  if (!frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW, nullptr, &context)) {
    // A frame that failed to load has deleted itself with its window.
    AfxMessageBox(IDS_ERR_FATAL_START, MB_ICONEXCLAMATION);
    return FALSE;
  }
  m_pMainWnd = frame;
  if (m_nStartMode == kStartModeUpdateAtOnce) {
    // The switch to the update screen shows the frame.
    frame->PostMessage(WM_COMMAND, ID_SHOW_UPDATE_VIEW, 0);
  } else {
    frame->ShowWindow(SW_SHOW);
    frame->UpdateWindow();
  }
  return TRUE;
}

BOOL CQuorlLauncherApp::InitDevice(CString& errorText) {
  // Direct3D is created once per run: a passed check is not repeated.
  if (m_bDeviceInitialized) return TRUE;
  // The present parameters follow the effective graphics settings.
  m_deviceRequirement.m_presentSettings = GetGraphicSetting().GetPresentSettings();
  DWORD error = 0;
  if (!m_device.Initialize(&m_deviceRequirement, &error)) {
    FormatDeviceCheckError(error, errorText);
    return FALSE;
  }
  m_bDeviceInitialized = TRUE;
  return TRUE;
}

BOOL CQuorlLauncherApp::InitDeviceOrReport() {
  CString text;
  if (InitDevice(text)) return TRUE;
  AfxMessageBox(text, MB_ICONERROR);
  return FALSE;
}

BOOL CQuorlLauncherApp::OnIdle(LONG lCount) {
  if (lCount < 2) {
    CGameWinApp::OnIdle(lCount);
    return TRUE;
  }
  if (lCount == 2) {
    PumpNetwork();
    return TRUE;
  }
  return FALSE;
}

int CQuorlLauncherApp::ExitInstance() {
  ShutdownNetwork();
  ReleaseVideoMemoryProbe();
  // Fixed on purpose: only S_OK is undone, not S_FALSE (COM was already
  // there on this thread), although COM counts both.
  if (m_hrCom == S_OK) ::CoUninitialize();
  m_hrCom = S_FALSE;
  return CGameWinApp::ExitInstance();
}
