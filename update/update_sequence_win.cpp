#include "update/update_sequence_win.h"

#include <commctrl.h>

#include "app/launcher_app.h"
#include "net/version_update_info.h"
#include "res/resource.h"
#include "update/patch_script.h"
#include "update/update_view.h"
#include "update/version_check_win.h"

namespace {

bool g_sequenceRunning = false;
// The screen whose sequence runs, and a newer screen whose start came while
// it ran (after a way back and a new Start during the old run's unwinding).
HWND g_runningView = nullptr;
HWND g_pendingStart = nullptr;

// Clears the running state on every way out of a sequence.
class CSequenceRunningScope {
 public:
  explicit CSequenceRunningScope(HWND view) {
    g_sequenceRunning = true;
    g_runningView = view;
  }
  ~CSequenceRunningScope() {
    g_sequenceRunning = false;
    g_runningView = nullptr;
  }
  CSequenceRunningScope(const CSequenceRunningScope&) = delete;
  CSequenceRunningScope& operator=(const CSequenceRunningScope&) = delete;
};

}  // namespace

bool IsUpdateSequenceRunningOn(HWND view) { return g_sequenceRunning && view != nullptr && view == g_runningView; }

bool RunUpdateSequenceOn(CQuorlLauncherUpdateView* view) {
  if (view == nullptr) return false;
  const HWND self = view->GetSafeHwnd();
  if (g_sequenceRunning) {
    // The running screen's own second start is dropped; a new screen's
    // start waits until the old sequence has unwound.
    if (self != g_runningView) g_pendingStart = self;
    return false;
  }
  {
    CSequenceRunningScope running(self);
    CUpdateSequenceHostWin host(view);
    RunUpdateSequence(host);
  }
  const HWND pending = g_pendingStart;
  g_pendingStart = nullptr;
  if (pending != nullptr && pending != self && ::IsWindow(pending)) ::PostMessageA(pending, kStartUpdateMessage, 0, 0);
  return true;
}

CUpdateSequenceHostWin::CUpdateSequenceHostWin(CQuorlLauncherUpdateView* view)
    : m_pView(view), m_hView(view->GetSafeHwnd()) {}

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
  return RunVersionCheck(m_hView, version);
}

bool CUpdateSequenceHostWin::HasUpdateScript(uint32_t component) {
  const CVersionUpdateInfo* info = g_versionUpdateInfoList.Find(GetAppServiceId(), component);
  return info != nullptr && info->HasScript();
}

PatchResult CUpdateSequenceHostWin::RunPatch(uint32_t component) {
  const uint32_t service = GetAppServiceId();
  const CVersionUpdateInfo* info = g_versionUpdateInfoList.Find(service, component);
  if (info == nullptr || !info->HasScript()) return kPatchNoScript;
  // The frame hands the screen the scripts' host; a screen made without one
  // cannot run a script.
  CQuorlLauncherUpdateView* view = View();
  CScriptHost* scriptHost = view ? view->GetScriptHost() : nullptr;
  if (scriptHost == nullptr) return kPatchFailed;
  // The table may be rebuilt by a later check, never while the script runs:
  // the sequence does not start another check from inside a script.
  CPatchScript script(*scriptHost);
  return PatchResultFromScript(script.RunScript(info->GetScript(), service, component));
}

void CUpdateSequenceHostWin::ResetScriptVersions() {
  if (CQuorlLauncherUpdateView* view = View()) view->ResetScriptVersions();
}

uint32_t CUpdateSequenceHostWin::GetLatestVersion() {
  CQuorlLauncherUpdateView* view = View();
  return view ? view->GetLatestVersion() : 0;
}

uint32_t CUpdateSequenceHostWin::GetNextVersion() {
  CQuorlLauncherUpdateView* view = View();
  return view ? view->GetNextVersion() : 0;
}

uint32_t CUpdateSequenceHostWin::GetInstalledGameVersion() {
  BOOL failed = FALSE;
  return ::GetInstalledGameVersion(failed);
}

uint32_t CUpdateSequenceHostWin::GetInstalledLauncherVersion() {
  BOOL failed = FALSE;
  return ::GetInstalledLauncherVersion(failed);
}

int CUpdateSequenceHostWin::ShowMessage(uint32_t stringId, uint32_t style) {
  return MessageBoxWithAppTitle(stringId, style);
}

bool CUpdateSequenceHostWin::InitDeviceOrReport() { return GetLauncherApp()->InitDeviceOrReport() != FALSE; }

bool CUpdateSequenceHostWin::StartClient() {
  CQuorlLauncherUpdateView* view = View();
  return view != nullptr && view->StartClient() != FALSE;
}

void CUpdateSequenceHostWin::PostBackToLauncher() { ::PostBackToLauncher(); }

void CUpdateSequenceHostWin::PostAppExit() { ::PostAppExit(); }
