#include "app/launcher_script_host.h"

#include "app/main_frame.h"
#include "update/download_setting.h"

namespace {

// The thread's main window when it is the launcher's frame.
CMainFrame* MainFrame() { return dynamic_cast<CMainFrame*>(AfxGetMainWnd()); }

}  // namespace

std::string CLauncherScriptHost::GetDownloadFolder() {
  CString folder;
  if (!::GetDownloadFolder(folder)) return std::string();
  return std::string(folder.GetString());
}

std::string CLauncherScriptHost::GetGameFolder() {
  CString folder;
  ::ReadGameFolder(folder);
  return std::string(folder.GetString());
}

int CLauncherScriptHost::DownloadFile(const char* url, const char* targetPath, uint32_t size, uint32_t crc) {
  CMainFrame* frame = MainFrame();
  return frame && frame->DownloadFile(url, targetPath, size, crc) ? 1 : 0;
}

int CLauncherScriptHost::SetLatestVersion(uint32_t serviceId, uint32_t componentId, uint32_t version) {
  CMainFrame* frame = MainFrame();
  return frame ? frame->SetLatestVersion(serviceId, componentId, version) : 0;
}

int CLauncherScriptHost::SetNextVersion(uint32_t serviceId, uint32_t componentId, uint32_t version) {
  CMainFrame* frame = MainFrame();
  return frame ? frame->SetNextVersion(serviceId, componentId, version) : 0;
}
