// Downloads wait for the HTTP session; until it is there every download
// gives up.
#include "update/download_outcome.h"
#include "update/update_view.h"

BOOL CQuorlLauncherUpdateView::DownloadWithRetry(const char*, const char*, uint32_t, uint32_t) {
  return FALSE;
}

int CQuorlLauncherUpdateView::DownloadFile(const char*, const char*, uint32_t, uint32_t, BOOL) {
  return kDownloadGiveUp;
}
