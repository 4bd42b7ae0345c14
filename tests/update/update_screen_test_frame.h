// The update screen as its tests hold it: a plain frame of the framework
// makes the screen and hands it a host of the test's own, as the launcher's
// main frame hands it the launcher's.  Nothing of app/ is linked: what the
// screen would get from the application and the portal is what the test
// puts in the host.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "framework/afxwin.h"
#include "update/update_screen_host.h"

class CQuorlLauncherUpdateView;

namespace update_test {

class CTestUpdateScreenHost : public CUpdateScreenHost {
 public:
  uint32_t GetServiceId() override { return serviceId; }
  void GetLoginServerAddress(CString& host, uint16_t& port) override {
    host = loginHost.c_str();
    port = loginPort;
  }
  bool InitDeviceOrReport() override {
    ++deviceChecks;
    return deviceOk;
  }
  const char* GetClientLaunchKey() override { return launchKey.empty() ? nullptr : launchKey.c_str(); }
  bool HandOffToClient() override {
    ++handOffs;
    return handOff ? handOff() : true;
  }
  CUpdateRunState& GetRunState() override { return runState; }

  uint32_t serviceId = 0;
  std::string loginHost = "127.0.0.1";
  uint16_t loginPort = 0;
  bool deviceOk = true;
  int deviceChecks = 0;
  // The launch key for the client (empty: the portal's data keeps it).
  std::string launchKey;
  // What the hand-off does (null: succeeds without touching the
  // clipboard), and how often it ran.
  std::function<bool()> handOff;
  int handOffs = 0;
  CUpdateRunState runState;
};

// A captioned frame holding one update screen.  ID_SHOW_LAUNCHER_VIEW (the
// screen's way back, also posted by the version check) ends the screen, as
// the main frame's switch to the launcher screen does.
class CUpdateScreenTestFrame : public CFrameWnd {
 public:
  // Makes the frame and its screen, hands the screen the host (which must
  // outlive it), runs its first update and shows the frame; the start
  // message is not posted: the tests drive the screen themselves.
  BOOL Open(CUpdateScreenHost* host);
  CQuorlLauncherUpdateView* GetScreen() const;

 protected:
  void OnShowLauncherView();
  DECLARE_MESSAGE_MAP()
};

}  // namespace update_test
