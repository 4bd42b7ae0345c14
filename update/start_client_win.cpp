// The client start as the update screen asks for it: the game folder from
// the registry and, when the portal asked for it, its launch key and the
// hand-off of its data on the clipboard.
#include "app/portal.h"
#include "update/client_start.h"
#include "update/download_setting.h"
#include "update/update_view.h"

namespace {

bool HandOff() { return HandOffPortalData(); }

}  // namespace

BOOL StartClientProcess(const char* extra) {
  CString folder;
  ReadGameFolder(folder);
  const bool handOff = PortalHandsOffToClient();
  return StartClientProcessFrom(folder.GetString(), extra, handOff ? GetPortalLaunchKey().c_str() : nullptr,
                                handOff ? HandOff : nullptr);
}

BOOL CQuorlLauncherUpdateView::StartClient() { return StartClientProcess(""); }
