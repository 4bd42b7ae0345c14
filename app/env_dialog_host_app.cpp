// The settings dialog's calls to the application by name, in one place.
#include "app/launcher_app.h"
#include "settings/env_dialog_host.h"
#include "settings/settings_device.h"
#include "update/version_check_win.h"

namespace {

class CEnvDialogAppHost : public CEnvDialogHost {
 public:
  BOOL InitDevice(CString& errorText) override { return App().InitDevice(errorText); }
  CDX3DDeviceBase& GetDevice() override { return App().GetDevice(); }
  CGraphicSettingDevice& GetSettingsDevice() override {
    static CDX3DSettingsDevice device(App().GetDevice());
    return device;
  }
  HKEY OpenAppRegistryKey() override { return App().GetAppRegistryKey(); }
  bool ReadInstalledVersions(uint32_t* game, uint32_t* launcher) override {
    return ::ReadInstalledVersions(App().GetServiceId(), game, launcher);
  }
  const char* GetHomePageURL() override { return App().GetHomePageURL(); }

 private:
  static CQuorlLauncherApp& App() { return *GetLauncherApp(); }
};

}  // namespace

CEnvDialogHost& GetEnvDialogAppHost() {
  static CEnvDialogAppHost host;
  return host;
}
