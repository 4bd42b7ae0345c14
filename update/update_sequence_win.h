// The update sequence on the update screen: the launcher's host of
// RunUpdateSequence (update/update_sequence.h) with the patch scripts' host
// it runs the version table's scripts with, and the start that keeps a
// second sequence from running inside the first one's message loops.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "update/patch_script_win.h"
#include "update/update_sequence.h"

class CQuorlLauncherUpdateView;
class CUpdateScreenHost;

// Runs the whole sequence for the view unless one already runs (the running
// state is the frame's, in the screen's host): a second start of the running
// screen is dropped, a start of another screen (made after the running one
// went back) is posted to it again once the running sequence has ended.
// False when nothing ran (also for a screen without a host).  Returns when
// the sequence has ended; the view may be gone by then.
bool RunUpdateSequenceOn(CQuorlLauncherUpdateView* view);

class CUpdateSequenceHostWin;

// The patch scripts' host of one sequence: the download and game folders
// from the registry, downloads on the update screen (with its Retry/Cancel
// question), and the versions that scripts announce (LATESTVER, NEXTVER),
// kept by the sequence and shown on the screen.
class CUpdateScriptHost : public CScriptHostWin {
 public:
  explicit CUpdateScriptHost(CUpdateSequenceHostWin& sequence) : m_sequence(sequence) {}

  std::string GetDownloadFolder() override;
  std::string GetGameFolder() override;
  // 1 when the file checked out; 0 when the user gave up or the screen is
  // gone.
  int DownloadFile(const char* url, const char* targetPath, uint32_t size, uint32_t crc) override;
  // Kept for the sequence and shown on the screen: 1, or 0 once the screen
  // is gone (the service and component are not used).
  int SetLatestVersion(uint32_t serviceId, uint32_t componentId, uint32_t version) override;
  int SetNextVersion(uint32_t serviceId, uint32_t componentId, uint32_t version) override;

 private:
  CUpdateSequenceHostWin& m_sequence;
};

// The launcher's host: the update screen's controls, the version check over
// the login socket, the version table's scripts, "PL", and the device check
// and client start through the screen's host.  Once the screen's window is
// gone (the frame switched back, or it was destroyed during a wait) the
// host no longer touches the view object, which went with its window.
class CUpdateSequenceHostWin : public CUpdateSequenceHost {
 public:
  // screenHost: the one the frame handed the view.
  CUpdateSequenceHostWin(CQuorlLauncherUpdateView* view, CUpdateScreenHost& screenHost);

  void SetStatusString(uint32_t stringId, bool hideDetails) override;
  void ShowInstalledVersion(uint32_t version) override;
  void ClearStepTexts() override;
  int CheckVersion(uint32_t version) override;
  bool HasUpdateScript(uint32_t component) override;
  PatchResult RunPatch(uint32_t component) override;
  void ResetScriptVersions() override;
  uint32_t GetLatestVersion() override { return m_latestVersion; }
  uint32_t GetNextVersion() override { return m_nextVersion; }
  uint32_t GetInstalledGameVersion() override;
  uint32_t GetInstalledLauncherVersion() override;
  int ShowMessage(uint32_t stringId, uint32_t style) override;
  bool InitDeviceOrReport() override;
  bool StartClient() override;
  void PostBackToLauncher() override;
  void PostAppExit() override;

  // The scripts' host of this sequence.
  CUpdateScriptHost& GetScriptHost() { return m_scriptHost; }

 private:
  friend class CUpdateScriptHost;

  // The view while its window lives, else null.
  CQuorlLauncherUpdateView* View() const;

  CQuorlLauncherUpdateView* m_pView;
  HWND m_hView;
  CUpdateScreenHost& m_screenHost;
  CUpdateScriptHost m_scriptHost;
  // What the scripts announced: LATESTVER and NEXTVER.
  uint32_t m_latestVersion = 0;
  uint32_t m_nextVersion = 0;
};
