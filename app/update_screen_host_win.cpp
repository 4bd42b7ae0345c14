#include "app/update_screen_host_win.h"

#include "app/launcher_app.h"
#include "app/portal.h"
#include "update/download_setting.h"
#include "update/login_address.h"

uint32_t CLauncherUpdateScreenHost::GetServiceId() {
  CQuorlLauncherApp* app = GetLauncherApp();
  return app != nullptr ? app->GetServiceId() : 0;
}

void CLauncherUpdateScreenHost::GetLoginServerAddress(CString& host, uint16_t& port) {
  CQuorlLauncherApp* app = GetLauncherApp();
  const char* defaultHost = app != nullptr ? app->GetDefaultLoginHost() : "";
  const CString server =
      app != nullptr ? app->GetProfileString(kLoginSubkey, kLoginServerEntry, defaultHost) : CString();
  ParseLoginServerAddress(server, defaultHost, GetPortalHost(), GetPortalPort(), host, port);
}

bool CLauncherUpdateScreenHost::InitDeviceOrReport() {
  CQuorlLauncherApp* app = GetLauncherApp();
  return app != nullptr && app->InitDeviceOrReport() != FALSE;
}

const char* CLauncherUpdateScreenHost::GetClientLaunchKey() {
  return PortalHandsOffToClient() ? GetPortalLaunchKey().c_str() : nullptr;
}

bool CLauncherUpdateScreenHost::HandOffToClient() { return HandOffPortalData(); }
