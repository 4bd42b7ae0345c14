// The patch scripts' host in the launcher: the download and game folders
// from the registry, and downloads and the announced versions through the
// main frame, which hands them to the update screen while it is shown.  The
// frame owns one and hands it to each new update screen.
#pragma once

#include "update/patch_script_win.h"

class CLauncherScriptHost : public CScriptHostWin {
 public:
  std::string GetDownloadFolder() override;
  std::string GetGameFolder() override;
  // 0 unless the main frame is the launcher's and shows the update screen.
  int DownloadFile(const char* url, const char* targetPath, uint32_t size, uint32_t crc) override;
  int SetLatestVersion(uint32_t serviceId, uint32_t componentId, uint32_t version) override;
  int SetNextVersion(uint32_t serviceId, uint32_t componentId, uint32_t version) override;
};
