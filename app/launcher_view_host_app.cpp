#include "app/launcher_view_host_app.h"

#include "app/launcher_app.h"
#include "settings/env_dialog.h"
#include "update/version_check_win.h"

namespace {

class CLauncherViewAppHost : public CLauncherViewHost {
 public:
  void RunEnvSettings() override {
    // Not stand-alone, no parent: the dialog takes the main window as its
    // owner.  Its result is not used.
    CQuorlEnvDialog dialog(GetEnvDialogAppHost(), FALSE, nullptr);
    dialog.DoModal();
  }
  bool ReadInstalledVersions(uint32_t* game, uint32_t* launcher) override {
    return ::ReadInstalledVersions(App() ? App()->GetServiceId() : 0, game, launcher);
  }
  const char* GetSetupGuideURL() override { return App() ? App()->GetSetupGuideURL() : nullptr; }
  const char* GetManualURL() override { return App() ? App()->GetManualURL() : nullptr; }
  const char* GetHomePageURL() override { return App() ? App()->GetHomePageURL() : nullptr; }
  uint32_t GetCodePage() override { return App() ? App()->GetCodePage() : ::GetACP(); }

 private:
  static CQuorlLauncherApp* App() { return GetLauncherApp(); }
};

}  // namespace

CLauncherViewHost& GetLauncherViewAppHost() {
  static CLauncherViewAppHost host;
  return host;
}
