#include "update/update_sequence.h"

PatchResult PatchResultFromScript(int runScriptResult) {
  switch (runScriptResult) {
    case 0:
      return kPatchRanToEnd;
    case 2:
      return kPatchHandedOver;
    default:
      return kPatchFailed;
  }
}

namespace {

SequenceEnd Back(CUpdateSequenceHost& host) {
  host.PostBackToLauncher();
  return SequenceEnd::kBack;
}

SequenceEnd Exit(CUpdateSequenceHost& host) {
  host.PostAppExit();
  return SequenceEnd::kExit;
}

SequenceEnd FailedUpdate(CUpdateSequenceHost& host) {
  host.ShowMessage(IDS_ERR_UPDATE_FAILED, kMbIconExclamation);
  return Back(host);
}

// The device check before the client: a client that cannot start reports
// its own message and the launcher ends all the same.
SequenceEnd StartTheGame(CUpdateSequenceHost& host) {
  host.SetStatusString(0, true);
  if (!host.InitDeviceOrReport()) return Back(host);
  host.StartClient();
  return Exit(host);
}

SequenceEnd AfterCheck(int check, CUpdateSequenceHost& host, bool* goOn) {
  *goOn = check == kCheckDone;
  if (check == kCheckDone) return SequenceEnd::kReturn;
  // A failed check has shown its message; a window that went away (or a
  // quitting application) ends the run without a word.
  return check == kCheckGone ? SequenceEnd::kReturn : Back(host);
}

}  // namespace

SequenceEnd RunUpdateSequence(CUpdateSequenceHost& host) {
  host.SetStatusString(IDS_STATUS_CHECKING, true);
  bool goOn = false;
  SequenceEnd end = AfterCheck(host.CheckVersion(0), host, &goOn);
  if (!goOn) return end;

  // The launcher first: a new launcher may be needed to update the game.
  if (host.HasUpdateScript(kLauncherComponentId)) {
    host.ResetScriptVersions();
    host.SetStatusString(IDS_STATUS_UPDATING, false);
    host.ShowInstalledVersion(host.GetInstalledLauncherVersion());
    const PatchResult p = host.RunPatch(kLauncherComponentId);
    if (p == kPatchHandedOver) return Exit(host);  // the new launcher carries on
    if (p == kPatchFailed) return FailedUpdate(host);
    // No script after all, or one that ran to its end: the game entry of the
    // first check still stands.
  }

  if (!host.HasUpdateScript(kGameComponentId)) return StartTheGame(host);

  // The announced versions are cleared once: a NEXTVER or LATESTVER of an
  // earlier step stays in force until a later script announces another.
  host.ResetScriptVersions();
  uint32_t v = host.GetInstalledGameVersion();
  host.SetStatusString(IDS_STATUS_UPDATING, false);
  host.ShowInstalledVersion(v);
  for (int steps = 1;; ++steps) {
    const uint32_t previous = v;
    const PatchResult p = host.RunPatch(kGameComponentId);
    // No script, a failed command, or a program that wants to take over in
    // the middle of the game's update: all count as a failed update.
    if (p != kPatchRanToEnd) break;
    v = host.GetInstalledGameVersion();
    if (v == previous) {
      if (host.ShowMessage(IDS_ASK_UPDATE_AGAIN, kMbYesNo | kMbIconExclamation) != kIdYes) break;
      // Yes: the same version is checked again and its script tried anew.
    } else {
      if (v != host.GetNextVersion()) {
        host.ShowMessage(IDS_ERR_UPDATE_ABORTED, kMbIconExclamation);
        return Exit(host);
      }
      if (v >= host.GetLatestVersion()) return StartTheGame(host);
    }
    // Bounded: a server that answers every step with another one (a chain
    // or a cycle of versions) would keep the launcher here for ever.  The
    // last step may still have started the game above.
    if (steps >= kMaxGameUpdateSteps) break;
    host.ShowInstalledVersion(v);
    host.ClearStepTexts();
    end = AfterCheck(host.CheckVersion(v), host, &goOn);
    if (!goOn) return end;
  }
  return FailedUpdate(host);
}
