#include "update/update_sequence_win.h"

#include <commctrl.h>

#include "framework/app_util.h"
#include "net/version_update_info.h"
#include "res/resource.h"
#include "update/download_setting.h"
#include "update/patch_script.h"
#include "update/update_screen_host.h"
#include "update/update_view.h"
#include "update/version_check_win.h"

namespace {

// Clears the running state on every way out of a sequence.
class CSequenceRunningScope {
 public:
  CSequenceRunningScope(CUpdateRunState& state, HWND view) : m_state(state) { m_state.runningView = view; }
  ~CSequenceRunningScope() { m_state.runningView = nullptr; }
  CSequenceRunningScope(const CSequenceRunningScope&) = delete;
  CSequenceRunningScope& operator=(const CSequenceRunningScope&) = delete;

 private:
  CUpdateRunState& m_state;
};

}  // namespace

bool RunUpdateSequenceOn(CQuorlLauncherUpdateView* view) {
  if (view == nullptr || view->GetHost() == nullptr) return false;
  CUpdateScreenHost& screenHost = *view->GetHost();
  CUpdateRunState& state = screenHost.GetRunState();
  const HWND self = view->GetSafeHwnd();
  if (state.IsRunning()) {
    // The running screen's own second start is dropped; a new screen's
    // start waits until the old sequence has unwound.
    if (self != state.runningView) state.pendingStart = self;
    return false;
  }
  {
    CSequenceRunningScope running(state, self);
    CUpdateSequenceHostWin host(view, screenHost);
    RunUpdateSequence(host);
  }
  const HWND pending = state.pendingStart;
  state.pendingStart = nullptr;
  if (pending != nullptr && pending != self && ::IsWindow(pending)) ::PostMessageA(pending, kStartUpdateMessage, 0, 0);
  return true;
}

// ---- the scripts' host ---------------------------------------------------------

std::string CUpdateScriptHost::GetDownloadFolder() {
  CString folder;
  if (!::GetDownloadFolder(folder)) return std::string();
  return std::string(folder.GetString());
}

std::string CUpdateScriptHost::GetGameFolder() {
  CString folder;
  ::ReadGameFolder(folder);
  return std::string(folder.GetString());
}

int CUpdateScriptHost::DownloadFile(const char* url, const char* targetPath, uint32_t size, uint32_t crc) {
  CQuorlLauncherUpdateView* view = m_sequence.View();
  return view != nullptr && view->DownloadWithRetry(url, targetPath, size, crc) ? 1 : 0;
}

int CUpdateScriptHost::SetLatestVersion(uint32_t, uint32_t, uint32_t version) {
  CQuorlLauncherUpdateView* view = m_sequence.View();
  if (view == nullptr) return 0;
  m_sequence.m_latestVersion = version;
  view->ShowVersion(version, IDC_UPDATE_LATEST);
  return 1;
}

int CUpdateScriptHost::SetNextVersion(uint32_t, uint32_t, uint32_t version) {
  CQuorlLauncherUpdateView* view = m_sequence.View();
  if (view == nullptr) return 0;
  m_sequence.m_nextVersion = version;
  view->ShowVersion(version, IDC_UPDATE_NEXT);
  return 1;
}

// ---- the sequence's host -------------------------------------------------------

CUpdateSequenceHostWin::CUpdateSequenceHostWin(CQuorlLauncherUpdateView* view, CUpdateScreenHost& screenHost)
    : m_pView(view), m_hView(view->GetSafeHwnd()), m_screenHost(screenHost), m_scriptHost(*this) {}

CQuorlLauncherUpdateView* CUpdateSequenceHostWin::View() const {
  // A view deletes itself with its window: the permanent map tells whether
  // this one still lives.
  if (m_hView == nullptr || !::IsWindow(m_hView) || CWnd::FromHandlePermanent(m_hView) != m_pView) return nullptr;
  return m_pView;
}

void CUpdateSequenceHostWin::SetStatusString(uint32_t stringId, bool hideDetails) {
  if (CQuorlLauncherUpdateView* view = View()) view->SetStatusString(stringId, hideDetails ? TRUE : FALSE);
}

void CUpdateSequenceHostWin::ShowInstalledVersion(uint32_t version) {
  if (CQuorlLauncherUpdateView* view = View()) view->ShowVersion(version, IDC_UPDATE_CURRENT);
}

void CUpdateSequenceHostWin::ClearStepTexts() {
  CQuorlLauncherUpdateView* view = View();
  if (!view) return;
  view->SetDlgItemText(IDC_UPDATE_NEXT, "");
  view->SetDlgItemText(IDC_UPDATE_BYTES, "");
  view->SetDlgItemText(IDC_UPDATE_REMAINING, "");
  view->SendDlgItemMessage(IDC_UPDATE_PROGRESS, PBM_SETPOS, 0, 0);
}

int CUpdateSequenceHostWin::CheckVersion(uint32_t version) {
  if (!View()) return kCheckGone;
  return RunVersionCheck(m_hView, version, m_screenHost);
}

bool CUpdateSequenceHostWin::HasUpdateScript(uint32_t component) {
  const CVersionUpdateInfo* info = g_versionUpdateInfoList.Find(m_screenHost.GetServiceId(), component);
  return info != nullptr && info->HasScript();
}

PatchResult CUpdateSequenceHostWin::RunPatch(uint32_t component) {
  const uint32_t service = m_screenHost.GetServiceId();
  const CVersionUpdateInfo* info = g_versionUpdateInfoList.Find(service, component);
  if (info == nullptr || !info->HasScript()) return kPatchNoScript;
  // A script's downloads go to the screen: without it there is nothing to
  // run one on.
  if (!View()) return kPatchFailed;
  // The table may be rebuilt by a later check, never while the script runs:
  // the sequence does not start another check from inside a script.
  CPatchScript script(m_scriptHost);
  return PatchResultFromScript(script.RunScript(info->GetScript(), service, component));
}

void CUpdateSequenceHostWin::ResetScriptVersions() {
  // The display stays as it is; only the sequence forgets.
  m_latestVersion = 0;
  m_nextVersion = 0;
}

uint32_t CUpdateSequenceHostWin::GetInstalledGameVersion() {
  BOOL failed = FALSE;
  return ::GetInstalledGameVersion(m_screenHost.GetServiceId(), failed);
}

uint32_t CUpdateSequenceHostWin::GetInstalledLauncherVersion() {
  BOOL failed = FALSE;
  return ::GetInstalledLauncherVersion(m_screenHost.GetServiceId(), failed);
}

int CUpdateSequenceHostWin::ShowMessage(uint32_t stringId, uint32_t style) {
  return MessageBoxWithAppTitle(stringId, style);
}

bool CUpdateSequenceHostWin::InitDeviceOrReport() { return m_screenHost.InitDeviceOrReport(); }

bool CUpdateSequenceHostWin::StartClient() {
  CQuorlLauncherUpdateView* view = View();
  return view != nullptr && view->StartClient() != FALSE;
}

void CUpdateSequenceHostWin::PostBackToLauncher() { ::PostBackToLauncher(); }

void CUpdateSequenceHostWin::PostAppExit() { ::PostAppExit(); }
