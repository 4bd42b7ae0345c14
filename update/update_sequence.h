// The update sequence that the update screen runs when it is shown: the
// version check, the launcher's own update, the game's update one version
// step at a time with a fresh check after each step, the Direct3D device
// check and the client start.  Neutral: everything it touches goes through
// CUpdateSequenceHost (update/update_sequence_win.h is the launcher's).
#pragma once

#include <cstdint>

// The string ids the sequence shows (the texts live in the string table).
#include "res/resource.h"
// The check's results (kCheckDone, kCheckFailed, kCheckGone), the component
// ids, and the message-box styles and answers (kMbYesNo, kMbIconExclamation,
// kIdYes).
#include "update/version_check.h"

// The most game-script runs of one sequence.  A server can otherwise keep
// the launcher in the game's update for ever: a chain of ever newer
// versions, or a cycle, each step a script that only rewrites "PL" (no
// download, so nothing the user could cancel).  Far more steps than any
// real update takes; past it the update has failed (21101, Back).
constexpr int kMaxGameUpdateSteps = 1000;

// What one run of a component's script came to.
enum PatchResult {
  kPatchNoScript = 0,  // the version table holds no script for it
  kPatchRanToEnd = 1,
  kPatchFailed = 2,      // a command failed (its message was shown)
  kPatchHandedOver = 3,  // EXEC started a program that takes over
};

// RunScript's result (0 ran, 2 EXEC, anything else failed) as a PatchResult.
PatchResult PatchResultFromScript(int runScriptResult);

class CUpdateSequenceHost {
 public:
  virtual ~CUpdateSequenceHost() = default;

  // Status line from a string id (0: none); hideDetails disables and empties
  // the version and progress controls.
  virtual void SetStatusString(uint32_t stringId, bool hideDetails) = 0;
  // The installed version in the current-version control.
  virtual void ShowInstalledVersion(uint32_t version) = 0;
  // Empties the next-version, byte-count and remaining-time texts and puts
  // the progress bar at 0, before a re-check.
  virtual void ClearStepTexts() = 0;

  // One version request: version 0 asks for the launcher and the game with
  // their installed versions, another asks for the game at that version.
  // kCheckDone, kCheckFailed or kCheckGone.
  virtual int CheckVersion(uint32_t version) = 0;
  // The version table holds a script for the component.
  virtual bool HasUpdateScript(uint32_t component) = 0;
  // Runs the component's script from the version table.
  virtual PatchResult RunPatch(uint32_t component) = 0;

  // The LATESTVER and NEXTVER values that scripts report.
  virtual void ResetScriptVersions() = 0;
  virtual uint32_t GetLatestVersion() = 0;
  virtual uint32_t GetNextVersion() = 0;

  // The installed versions as "PL" holds them now (0 when unreadable).
  virtual uint32_t GetInstalledGameVersion() = 0;
  virtual uint32_t GetInstalledLauncherVersion() = 0;

  // A message box with the application title: the button pressed.
  virtual int ShowMessage(uint32_t stringId, uint32_t style) = 0;

  // The Direct3D device check; it reports its own failure.
  virtual bool InitDeviceOrReport() = 0;
  // Starts the game client; it reports its own failure.
  virtual bool StartClient() = 0;

  // Back to the launcher screen, and the end of the application (posted).
  virtual void PostBackToLauncher() = 0;
  virtual void PostAppExit() = 0;
};

// How a run of the sequence ended.
enum class SequenceEnd {
  kBack,    // a failure was shown; the launcher screen comes back
  kExit,    // the client started, a program took over or the version went astray
  kReturn,  // the window went away or the application quits: nothing posted
};

// Runs the whole sequence once; posts Back or Exit through the host itself.
SequenceEnd RunUpdateSequence(CUpdateSequenceHost& host);
