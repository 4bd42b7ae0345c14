// The update sequence on the update screen: the launcher's host of
// RunUpdateSequence (update/update_sequence.h) and the guard that keeps a
// second sequence from starting inside the first one's message loops.
#pragma once

#include <windows.h>

#include <cstdint>

#include "update/update_sequence.h"

class CQuorlLauncherUpdateView;

// True while a sequence runs on that screen.  The waits inside a sequence
// dispatch every message, so a second start request (the start message, or
// the switch command posted again) would otherwise start a second sequence
// nested in the first one, over the same socket, version table and script
// state.
bool IsUpdateSequenceRunningOn(HWND view);

// Runs the whole sequence for the view unless one already runs: a second
// start of the running screen is dropped, a start of another screen (made
// after the running one went back) is posted to it again once the running
// sequence has ended.  False when nothing ran.  Returns when the sequence
// has ended; the view may be gone by then.
bool RunUpdateSequenceOn(CQuorlLauncherUpdateView* view);

// The launcher's host: the update screen's controls, the version check over
// the login socket, the version table's scripts run with the script host
// that the frame handed the screen, "PL", the device check and the client
// start.  Once the screen's window is
// gone (the frame switched back, or it was destroyed during a wait) the
// host no longer touches the view object, which went with its window.
class CUpdateSequenceHostWin : public CUpdateSequenceHost {
 public:
  explicit CUpdateSequenceHostWin(CQuorlLauncherUpdateView* view);

  void SetStatusString(uint32_t stringId, bool hideDetails) override;
  void ShowInstalledVersion(uint32_t version) override;
  void ClearStepTexts() override;
  int CheckVersion(uint32_t version) override;
  bool HasUpdateScript(uint32_t component) override;
  PatchResult RunPatch(uint32_t component) override;
  void ResetScriptVersions() override;
  uint32_t GetLatestVersion() override;
  uint32_t GetNextVersion() override;
  uint32_t GetInstalledGameVersion() override;
  uint32_t GetInstalledLauncherVersion() override;
  int ShowMessage(uint32_t stringId, uint32_t style) override;
  bool InitDeviceOrReport() override;
  bool StartClient() override;
  void PostBackToLauncher() override;
  void PostAppExit() override;

 private:
  // The view while its window lives, else null.
  CQuorlLauncherUpdateView* View() const;

  CQuorlLauncherUpdateView* m_pView;
  HWND m_hView;
};
