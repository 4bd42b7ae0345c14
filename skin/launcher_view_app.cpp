#include "skin/launcher_view_app.h"

#include "settings/env_dialog.h"

namespace {

class CLauncherViewAppHost : public CLauncherViewHost {
 public:
  void RunEnvSettings() override {
    // Not stand-alone, no parent: the dialog takes the main window as its
    // owner.  Its result is not used.
    CQuorlEnvDialog dialog(GetEnvDialogAppHost(), FALSE, nullptr);
    dialog.DoModal();
  }
};

}  // namespace

CLauncherViewHost& GetLauncherViewAppHost() {
  static CLauncherViewAppHost host;
  return host;
}
