#include "update/version_check_win.h"

#include <string>

#include "framework/app_util.h"
#include "framework/afxres.h"
#include "framework/text_format.h"
#include "net/quorl_socket.h"
#include "net/version_update_info.h"
#include "res/resource.h"
#include "update/network.h"
#include "update/update_screen_host.h"
#include "update/version_store_win.h"

static_assert(kMbOk == MB_OK && kMbYesNo == MB_YESNO && kMbIconExclamation == MB_ICONEXCLAMATION,
              "the check's styles are Windows' own");
static_assert(kIdYes == IDYES, "the check's answer is Windows' own");

// ---- the installed versions and the frame's commands -------------------------

bool ReadInstalledVersions(uint32_t serviceId, uint32_t* game, uint32_t* launcher) {
  CMMORPGBaseVersionInfo store;
  *game = *launcher = 0;
  return store.ReadVersions(serviceId, game, launcher, 0) != 0;
}

uint32_t GetInstalledGameVersion(uint32_t serviceId, BOOL& failed) {
  uint32_t game = 0, launcher = 0;
  failed = ReadInstalledVersions(serviceId, &game, &launcher) ? FALSE : TRUE;
  return failed ? 0 : game;
}

uint32_t GetInstalledLauncherVersion(uint32_t serviceId, BOOL& failed) {
  uint32_t game = 0, launcher = 0;
  failed = ReadInstalledVersions(serviceId, &game, &launcher) ? FALSE : TRUE;
  return failed ? 0 : launcher;
}

void PostBackToLauncher() {
  if (CWnd* main = AfxGetMainWnd()) main->PostMessage(WM_COMMAND, ID_SHOW_LAUNCHER_VIEW, 0);
}

void PostAppExit() {
  if (CWnd* main = AfxGetMainWnd()) main->PostMessage(WM_COMMAND, ID_APP_EXIT, 0);
}

// ---- message boxes ------------------------------------------------------------

namespace {

CheckMessageBoxHook g_boxHook = nullptr;

int Box(const char* text, UINT style) {
  if (g_boxHook != nullptr) return g_boxHook(text, style);
  return AfxMessageBox(text, style);
}

}  // namespace

void SetCheckMessageBoxHook(CheckMessageBoxHook hook) { g_boxHook = hook; }

CString NoticeToAnsi(const char* utf8, size_t length) {
  if (utf8 == nullptr || length == 0) return CString();
  // The notice holds at most 8,192 bytes: its UTF-16 form at most as many
  // units, its ANSI form at most two bytes for each.
  const int n = static_cast<int>(length);
  const int units = ::MultiByteToWideChar(CP_UTF8, 0, utf8, n, nullptr, 0);
  if (units <= 0) return CString();
  std::wstring wide(static_cast<size_t>(units), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8, n, &wide[0], units);
  const int bytes = ::WideCharToMultiByte(CP_THREAD_ACP, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return CString();
  std::string ansi(static_cast<size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_THREAD_ACP, 0, wide.data(), units, &ansi[0], bytes, nullptr, nullptr);
  return CString(ansi.data(), bytes);
}

// ---- the host -----------------------------------------------------------------

CLauncherVersionCheckHost::CLauncherVersionCheckHost(HWND updateView, CUpdateScreenHost* screenHost, CWinThread* thread)
    : m_hView(updateView), m_pScreenHost(screenHost), m_loop(thread) {}

int CLauncherVersionCheckHost::ShowMessage(uint32_t id, uint32_t style) {
  CString text;
  if (!LoadAndFormatWithAppTitle(id, text)) text.Empty();
  return Box(text, style);
}

int CLauncherVersionCheckHost::ShowMessageWithCode(uint32_t id, uint32_t style, int code) {
  CString format;
  CString text;
  if (format.LoadString(id)) text = FormatTableText(format, nullptr, &code, 1);
  return Box(text, style);
}

void CLauncherVersionCheckHost::ShowNotice(const char* utf8, size_t length) { Box(NoticeToAnsi(utf8, length), MB_OK); }

int CLauncherVersionCheckHost::RunIdleLoop(uint32_t ms) { return m_loop.Run(ms); }

void CLauncherVersionCheckHost::ResetIdleLoop() { m_loop.Reset(); }

bool CLauncherVersionCheckHost::IsWindowAlive() { return ::IsWindow(m_hView) != FALSE; }

uint32_t CLauncherVersionCheckHost::GetTickCount() { return ::GetTickCount(); }

void CLauncherVersionCheckHost::StartNetworkPump() { ::StartNetworkPump(); }

void CLauncherVersionCheckHost::StopNetworkPump() { ::StopNetworkPump(); }

bool CLauncherVersionCheckHost::ReadInstalledVersions(uint32_t* game, uint32_t* launcher) {
  return ::ReadInstalledVersions(GetServiceId(), game, launcher);
}

void CLauncherVersionCheckHost::GetLoginServerAddress(CString& host, uint16_t& port) {
  // No host, no address: a check that cannot connect says so.
  host.Empty();
  port = 0;
  if (m_pScreenHost != nullptr) m_pScreenHost->GetLoginServerAddress(host, port);
}

uint32_t CLauncherVersionCheckHost::GetServiceId() {
  return m_pScreenHost != nullptr ? m_pScreenHost->GetServiceId() : 0;
}

int RunVersionCheck(HWND updateView, uint32_t version, CUpdateScreenHost& screenHost) {
  CLauncherVersionCheckHost host(updateView, &screenHost);
  CVersionCheck check(g_quorlSocket, g_versionUpdateInfoList, host);
  return check.CheckVersion(version);
}
