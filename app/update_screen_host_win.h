// The launcher's host of the update screen: the frame owns one, fills it
// from the application and the portal, and hands it to each new update
// screen.  It holds the sequence's running state for the frame.
#pragma once

#include "update/update_screen_host.h"

class CLauncherUpdateScreenHost : public CUpdateScreenHost {
 public:
  // The application's region (service id), its profile value "Login"/
  // "Server" with the region's default host and the portal's host and port.
  uint32_t GetServiceId() override;
  void GetLoginServerAddress(CString& host, uint16_t& port) override;
  // The application's device check (once per run).
  bool InitDeviceOrReport() override;
  // The portal's launch key when its field 4 asks for the hand-off.
  const char* GetClientLaunchKey() override;
  bool HandOffToClient() override;
  CUpdateRunState& GetRunState() override { return m_runState; }

 private:
  CUpdateRunState m_runState;
};
