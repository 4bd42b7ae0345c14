// The update sequence against a scripted host: each case gives the server's
// answers check by check and what each script does, and reads back every
// call the sequence made, in order.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "update/update_sequence.h"

namespace {

// What one script does when it runs.
struct Script {
  int runResult = 0;       // RunScript's result: 0, -1 or 2
  uint32_t nextVer = 0;    // NEXTVER (0: none)
  uint32_t latestVer = 0;  // LATESTVER (0: none)
  bool installs = false;   // the patch writes newVersion into "PL"
  uint32_t newVersion = 0;
};

// One answer of the server: the check's result and the scripts it carries.
struct Answer {
  int result = kCheckDone;
  bool launcherScript = false;
  Script launcher;
  bool gameScript = false;
  Script game;
};

class ScriptedHost : public CUpdateSequenceHost {
 public:
  std::deque<Answer> answers;
  std::deque<int> buttons;  // answers to the message boxes, in order (default OK / No)
  uint32_t game = 1000000;
  uint32_t launcher = 1000000;
  bool deviceOk = true;
  std::vector<std::string> log;
  // A server that answers every check by the version asked about, in place
  // of the list of answers; after safetyChecks checks the window "goes", so
  // that a sequence that never ends by itself ends the test all the same.
  std::function<Answer(uint32_t version)> server;
  int safetyChecks = 0;
  int checks = 0;

  void SetStatusString(uint32_t id, bool hide) override {
    log.push_back("status " + std::to_string(id) + (hide ? " hide" : " show"));
  }
  void ShowInstalledVersion(uint32_t v) override { log.push_back("show " + std::to_string(v)); }
  void ClearStepTexts() override { log.push_back("clear"); }
  int CheckVersion(uint32_t version) override {
    log.push_back("check " + std::to_string(version));
    ++checks;
    if (server) {
      if (checks > safetyChecks) return kCheckGone;
      current = server(version == 0 ? game : version);
      return current.result;
    }
    if (answers.empty()) {
      current = Answer();  // "no update"
      return kCheckDone;
    }
    current = answers.front();
    answers.pop_front();
    return current.result;
  }
  bool HasUpdateScript(uint32_t component) override {
    return component == kGameComponentId ? current.gameScript : current.launcherScript;
  }
  PatchResult RunPatch(uint32_t component) override {
    log.push_back("run " + std::to_string(component));
    if (!HasUpdateScript(component)) return kPatchNoScript;
    const Script& s = component == kGameComponentId ? current.game : current.launcher;
    if (s.nextVer) next = s.nextVer;
    if (s.latestVer) latest = s.latestVer;
    if (s.installs) game = s.newVersion;
    return PatchResultFromScript(s.runResult);
  }
  void ResetScriptVersions() override {
    log.push_back("reset");
    latest = next = 0;
  }
  uint32_t GetLatestVersion() override { return latest; }
  uint32_t GetNextVersion() override { return next; }
  uint32_t GetInstalledGameVersion() override { return game; }
  uint32_t GetInstalledLauncherVersion() override { return launcher; }
  int ShowMessage(uint32_t id, uint32_t style) override {
    log.push_back("message " + std::to_string(id) + " style " + std::to_string(style));
    if (buttons.empty()) return (style & kMbYesNo) ? 7 : 1;
    const int b = buttons.front();
    buttons.pop_front();
    return b;
  }
  bool InitDeviceOrReport() override {
    log.push_back(deviceOk ? "device ok" : "device failed");
    return deviceOk;
  }
  bool StartClient() override {
    log.push_back("client");
    return true;
  }
  void PostBackToLauncher() override { log.push_back("back"); }
  void PostAppExit() override { log.push_back("exit"); }

 private:
  Answer current;
  uint32_t latest = 0;
  uint32_t next = 0;
};

Script Step(uint32_t next, uint32_t latest, uint32_t installs) {
  Script s;
  s.nextVer = next;
  s.latestVer = latest;
  s.installs = true;
  s.newVersion = installs;
  return s;
}

Answer GameAnswer(const Script& s) {
  Answer a;
  a.gameScript = true;
  a.game = s;
  return a;
}

std::string Join(const std::vector<std::string>& log) {
  std::string out;
  for (const std::string& line : log) out += line + "\n";
  return out;
}

const std::string kStart = "status 6001 hide\ncheck 0\n";
const std::string kGameStart = "reset\nstatus 6002 show\nshow 1000000\nrun 10000\n";
const std::string kPlay = "status 0 hide\ndevice ok\nclient\nexit\n";
// 21101 with MB_ICONEXCLAMATION, then Back.
const std::string kFailed = "message 21101 style 48\nback\n";

struct Case {
  const char* name;
  std::vector<Answer> answers;
  std::vector<int> buttons;
  bool deviceOk;
  std::string expected;
  SequenceEnd end;
  uint32_t finalGame;
};

std::vector<Case> Cases() {
  std::vector<Case> cases;
  { cases.push_back({"no scripts at all", {Answer()}, {}, true, kStart + kPlay, SequenceEnd::kExit, 1000000}); }
  {
    Answer first;
    first.result = kCheckFailed;
    cases.push_back({"first check failed", {first}, {}, true, kStart + "back\n", SequenceEnd::kBack, 1000000});
    first.result = kCheckGone;
    cases.push_back({"window gone in the first check", {first}, {}, true, kStart, SequenceEnd::kReturn, 1000000});
  }
  {
    Answer a;
    a.launcherScript = true;
    a.launcher.runResult = 2;
    a.gameScript = true;  // never looked at
    a.game = Step(1001000, 1001000, 1001000);
    cases.push_back({"launcher script hands over with EXEC",
                     {a},
                     {},
                     true,
                     kStart + "reset\nstatus 6002 show\nshow 1000000\nrun 10100\nexit\n",
                     SequenceEnd::kExit,
                     1000000});
  }
  {
    Answer a;
    a.launcherScript = true;
    a.launcher.runResult = -1;
    cases.push_back({"launcher script fails",
                     {a},
                     {},
                     true,
                     kStart + "reset\nstatus 6002 show\nshow 1000000\nrun 10100\n" + kFailed,
                     SequenceEnd::kBack,
                     1000000});
  }
  {
    Answer a = GameAnswer(Step(1001000, 1001000, 1001000));
    a.launcherScript = true;  // runs to its end
    cases.push_back({"launcher script runs to its end, then one game step",
                     {a},
                     {},
                     true,
                     kStart + "reset\nstatus 6002 show\nshow 1000000\nrun 10100\n" + kGameStart + kPlay,
                     SequenceEnd::kExit,
                     1001000});
  }
  {
    cases.push_back({"one game step",
                     {GameAnswer(Step(1001000, 1001000, 1001000))},
                     {},
                     true,
                     kStart + kGameStart + kPlay,
                     SequenceEnd::kExit,
                     1001000});
  }
  {
    cases.push_back({"one game step, device check fails",
                     {GameAnswer(Step(1001000, 1001000, 1001000))},
                     {},
                     false,
                     kStart + kGameStart + "status 0 hide\ndevice failed\nback\n",
                     SequenceEnd::kBack,
                     1001000});
  }
  {
    cases.push_back({"two steps with a re-check for the middle version",
                     {GameAnswer(Step(1001000, 1002000, 1001000)), GameAnswer(Step(1002000, 0, 1002000))},
                     {},
                     true,
                     kStart + kGameStart + "show 1001000\nclear\ncheck 1001000\nrun 10000\n" + kPlay,
                     SequenceEnd::kExit,
                     1002000});
  }
  {
    // The second script announces no NEXTVER: the one of the first step
    // stays in force, and the version it installs is not that one.
    cases.push_back(
        {"an earlier NEXTVER stays in force",
         {GameAnswer(Step(1001000, 1003000, 1001000)), GameAnswer(Step(0, 0, 1002000))},
         {},
         true,
         kStart + kGameStart + "show 1001000\nclear\ncheck 1001000\nrun 10000\n" + "message 21103 style 48\nexit\n",
         SequenceEnd::kExit,
         1002000});
  }
  {
    cases.push_back({"re-check answers no update before LATESTVER",
                     {GameAnswer(Step(1001000, 1002000, 1001000)), Answer()},
                     {},
                     true,
                     kStart + kGameStart + "show 1001000\nclear\ncheck 1001000\nrun 10000\n" + kFailed,
                     SequenceEnd::kBack,
                     1001000});
  }
  {
    Answer gone;
    gone.result = kCheckGone;
    Answer failed;
    failed.result = kCheckFailed;
    const std::string steps = kStart + kGameStart + "show 1001000\nclear\ncheck 1001000\n";
    cases.push_back({"re-check: window gone",
                     {GameAnswer(Step(1001000, 1002000, 1001000)), gone},
                     {},
                     true,
                     steps,
                     SequenceEnd::kReturn,
                     1001000});
    cases.push_back({"re-check failed",
                     {GameAnswer(Step(1001000, 1002000, 1001000)), failed},
                     {},
                     true,
                     steps + "back\n",
                     SequenceEnd::kBack,
                     1001000});
  }
  {
    Script keep = Step(1001000, 1001000, 0);
    keep.installs = false;
    const std::string unchanged = "message 21102 style 52\n";
    cases.push_back({"version unchanged, No",
                     {GameAnswer(keep)},
                     {7},
                     true,
                     kStart + kGameStart + unchanged + kFailed,
                     SequenceEnd::kBack,
                     1000000});
    cases.push_back({"version unchanged, Yes checks the same version again",
                     {GameAnswer(keep), GameAnswer(Step(1001000, 1001000, 1001000))},
                     {kIdYes},
                     true,
                     kStart + kGameStart + unchanged + "show 1000000\nclear\ncheck 1000000\nrun 10000\n" + kPlay,
                     SequenceEnd::kExit,
                     1001000});
  }
  {
    cases.push_back({"version other than NEXTVER",
                     {GameAnswer(Step(1001000, 1001000, 1005000))},
                     {},
                     true,
                     kStart + kGameStart + "message 21103 style 48\nexit\n",
                     SequenceEnd::kExit,
                     1005000});
    cases.push_back({"no NEXTVER, version changed",
                     {GameAnswer(Step(0, 0, 1001000))},
                     {},
                     true,
                     kStart + kGameStart + "message 21103 style 48\nexit\n",
                     SequenceEnd::kExit,
                     1001000});
  }
  {
    Script exec;
    exec.runResult = 2;
    Script fail;
    fail.runResult = -1;
    cases.push_back({"game script with EXEC",
                     {GameAnswer(exec)},
                     {},
                     true,
                     kStart + kGameStart + kFailed,
                     SequenceEnd::kBack,
                     1000000});
    cases.push_back({"game script fails",
                     {GameAnswer(fail)},
                     {},
                     true,
                     kStart + kGameStart + kFailed,
                     SequenceEnd::kBack,
                     1000000});
  }
  {
    // NEXTVER reached but below LATESTVER: a fresh check, whose script
    // reaches the latest version.
    cases.push_back({"three steps",
                     {GameAnswer(Step(1001000, 1003000, 1001000)), GameAnswer(Step(1002000, 0, 1002000)),
                      GameAnswer(Step(1003000, 0, 1003000))},
                     {},
                     true,
                     kStart + kGameStart + "show 1001000\nclear\ncheck 1001000\nrun 10000\n" +
                         "show 1002000\nclear\ncheck 1002000\nrun 10000\n" + kPlay,
                     SequenceEnd::kExit,
                     1003000});
  }
  {
    // A LATESTVER below the installed version: reaching NEXTVER is enough.
    cases.push_back({"LATESTVER already passed",
                     {GameAnswer(Step(1001000, 900000, 1001000))},
                     {},
                     true,
                     kStart + kGameStart + kPlay,
                     SequenceEnd::kExit,
                     1001000});
  }
  return cases;
}

TEST(UpdateSequence, Scenarios) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    ScriptedHost host;
    host.answers.assign(c.answers.begin(), c.answers.end());
    host.buttons.assign(c.buttons.begin(), c.buttons.end());
    host.deviceOk = c.deviceOk;
    EXPECT_EQ(static_cast<int>(c.end), static_cast<int>(RunUpdateSequence(host)));
    EXPECT_EQ(c.expected, Join(host.log));
    EXPECT_EQ(c.finalGame, host.game);
  }
}

// A server that never lets the game reach its latest version: every step
// moves the installed version to the announced next one, and the next check
// has another step.  One run of the sequence gives up after its bound.
TEST(UpdateSequence, StepsOfOneRunAreBounded) {
  struct Server {
    const char* name;
    std::function<Answer(uint32_t version)> answer;
    std::string tail;  // the end of the log
    SequenceEnd end;
  };
  const Server servers[] = {
      {"a chain of ever newer versions", [](uint32_t v) { return GameAnswer(Step(v + 1000, v + 2000, v + 1000)); },
       "run 10000\n" + kFailed, SequenceEnd::kBack},
      // The last step allowed may still reach the latest version.
      {"a chain whose last allowed step reaches the latest version",
       [](uint32_t v) { return GameAnswer(Step(v + 1000, 1000000 + 1000 * kMaxGameUpdateSteps, v + 1000)); },
       "run 10000\n" + kPlay, SequenceEnd::kExit},
      {"a cycle 1000 -> 900 -> 1000",
       [](uint32_t v) {
         const uint32_t next = v == 1000000 ? 900000 : 1000000;
         return GameAnswer(Step(next, 2000000, next));
       },
       "run 10000\n" + kFailed, SequenceEnd::kBack},
      {"a step that never moves the version, retried with Yes",
       [](uint32_t) {
         Script keep = Step(1001000, 1001000, 0);
         keep.installs = false;
         return GameAnswer(keep);
       },
       "run 10000\nmessage 21102 style 52\n" + kFailed, SequenceEnd::kBack},
  };
  for (const Server& server : servers) {
    SCOPED_TRACE(server.name);
    ScriptedHost host;
    host.server = server.answer;
    host.safetyChecks = 10 * kMaxGameUpdateSteps;
    host.buttons.assign(static_cast<size_t>(2 * kMaxGameUpdateSteps), kIdYes);
    EXPECT_EQ(static_cast<int>(server.end), static_cast<int>(RunUpdateSequence(host)));
    int runs = 0;
    for (const std::string& line : host.log) runs += line == "run 10000" ? 1 : 0;
    EXPECT_EQ(kMaxGameUpdateSteps, runs) << "game script runs";
    EXPECT_EQ(kMaxGameUpdateSteps, host.checks) << "the first check and one after every step but the last";
    const std::string log = Join(host.log);
    ASSERT_GE(log.size(), server.tail.size());
    EXPECT_EQ(server.tail, log.substr(log.size() - server.tail.size()));
  }
}

TEST(UpdateSequence, PatchResultFromScript) {
  EXPECT_EQ(kPatchRanToEnd, PatchResultFromScript(0));
  EXPECT_EQ(kPatchHandedOver, PatchResultFromScript(2));
  EXPECT_EQ(kPatchFailed, PatchResultFromScript(-1));
  EXPECT_EQ(kPatchFailed, PatchResultFromScript(1));
}

}  // namespace
