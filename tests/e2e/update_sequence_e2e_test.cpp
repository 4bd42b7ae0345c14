// The update sequence end to end: the real launcher under Wine, started
// from a staged installation, against the login-server fixture, the HTTP
// fixture holding our patch program, and our stand-in game client.  Each
// scenario gives the server's answers and scripts and checks what a user
// and the installation see: the message boxes in order, the requests made,
// the programs started, the final "PL", and whether the client started.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlwapi.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "framework/afxres.h"
#include "res/resource.h"
#include "tests/e2e/update_install.h"
#include "tests/e2e/win_driver.h"
#include "tools/fixture/login_fixture.h"
#include "tools/httpfix/http_fixture.h"

using namespace e2e;

namespace {

const std::string kBinDir = ToWindowsPath(QUORL_E2E_BIN_DIR) + "\\";
const std::string kHarnessDir = ToWindowsPath(QUORL_E2E_HARNESS_DIR) + "\\";

constexpr uint32_t kV1000 = 1000000;
constexpr uint32_t kV1001 = 1001000;
constexpr uint32_t kV1002 = 1002000;
constexpr UINT kShowUpdate = ID_SHOW_UPDATE_VIEW;
// The update screen's start message, written out on purpose: this test
// drives the program from outside, as another program would, and pins the
// value the running program answers to.
constexpr UINT kStartUpdateMessage = WM_APP + 0x101;
constexpr DWORD kRunTimeout = 90000;

// The texts the user reads (UTF-8; "%s" filled with the title "Quorl"),
// written out independently of the resource script on purpose: the test
// reads the program's windows from outside and checks what a user sees.
const char kText21101[] =
    "업데이트가 올바로 행해지지 않았습니다.\nQuorl을 플레이하기 위해서는 다시 시도하거나 언인스톨한 후 다시 "
    "설치하여야 합니다.";
const char kText21102[] = "업데이트 중에 이상이 발생하여 갱신이 완료되지 않았습니다.\n다시 시도하겠습니까?";
const char kText21103[] =
    "업데이트 중에 이상이 발생하여 처리를 중지하였습니다.\n다른 프로그램을 종료하거나, 윈도우를 재시작한 후에 다시 "
    "시도해 주세요.";
const char kText21111[] = "다운로드한 파일이 정상적이지 않습니다.\n다운로드를 다시 하겠습니까?";
const char kText22002NoCombination[] =
    "DirectX의 초기화를 할 수 없습니다. DirectX를 사용할 디바이스를 찾지 못했습니다.(-2113929213)";

bool HasCaption(HWND wnd) { return (::GetWindowLongA(wnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION; }

// The text of a message box (its static) or of the retry dialog (1026).
std::string DialogText(HWND box) {
  const std::string text = MessageBoxText(box);
  if (!text.empty()) return text;
  HWND message = ::GetDlgItem(box, 1026);
  return message ? WindowTextUtf8(message) : std::string();
}

// The first visible dialog of the process, or null.
HWND FindDialog(DWORD pid) { return WaitForWindow(pid, "#32770", 0); }

// What one box gets: the button, and something to do before pressing it.
struct Reply {
  int button = IDOK;
  std::function<void()> before;
};

struct Outcome {
  std::vector<std::string> boxes;  // texts, in order
  bool exited = false;             // the launcher ended
  bool back = false;               // the launcher screen came back
};

CFixtureComponent Component(uint32_t id, int32_t result, const std::string& script = std::string(),
                            uint32_t version = 0) {
  CFixtureComponent c;
  c.componentId = id;
  c.result = result;
  c.script = script;
  if (version != 0) {
    c.matchVersion = true;
    c.version = version;
  }
  return c;
}

CFixtureScenario Scenario(std::vector<CFixtureComponent> components) {
  CFixtureScenario s;
  s.components = std::move(components);
  s.answerUnlisted = true;
  s.unlistedResult = 0;  // everything else: no update
  return s;
}

class UpdateSequence : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(web.Start());
    ASSERT_TRUE(login.Start());
    std::string error;
    ASSERT_TRUE(in.Stage(login.GetPort(), &error)) << error;
    helper = in.Helper();
  }

  void TearDown() override {
    launcher.Kill();
    // The client ends itself; give it the time before its folder goes.
    WaitUntil([&] { return !::FindWindowA("QuorlStandInClient", nullptr); }, 5000);
  }

  void InstallVersions(uint32_t game, uint32_t launcherVersion) { in.InstallVersions(game, launcherVersion); }
  uint32_t InstalledGame() { return in.InstalledGame(); }

  // Serves our patch program under name; its CRC-32 for the script.
  uint32_t Serve(const std::string& name) {
    httpfix::Route route;
    route.body = helper;
    web.Set("/" + name, route);
    return Crc32Of(helper);
  }

  // One game step: NEXTVER, LATESTVER, the download and the CALL.
  std::string Step(uint32_t next, uint32_t latest, const std::string& patch) {
    std::string s;
    if (next) s += "NEXTVER " + std::to_string(next) + "\n";
    if (latest) s += "LATESTVER " + std::to_string(latest) + "\n";
    s += HttpGet(patch, Serve(patch));
    s += "CALL " + patch + "\n";
    return s;
  }

  std::string HttpGet(const std::string& name, uint32_t crc) {
    return HttpGetLine(web.Port(), name, helper.size(), crc);
  }

  void Launch(const std::string& args = "/s") { ASSERT_TRUE(launcher.Start(in.Exe(), args, in.Install().Path())); }

  HWND Frame(DWORD timeout = 20000) { return WaitForWindow(launcher.Pid(), "Quorl Pather MainFrame", timeout); }

  // Answers every box with the next reply (OK when none is left) until the
  // launcher ends or shows its launcher screen again.
  Outcome Run(std::vector<Reply> replies = {}, const std::function<void(HWND frame)>& whileUpdating = nullptr) {
    Outcome out;
    bool sawUpdateScreen = false;
    HWND frame = nullptr;
    size_t next = 0;
    bool poked = false;
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < kRunTimeout) {
      if (!launcher.Running()) {
        out.exited = true;
        break;
      }
      if (!frame) frame = Frame(0);
      if (HWND box = FindDialog(launcher.Pid())) {
        // Let the box settle (its text is set right after it shows).
        ::Sleep(100);
        out.boxes.push_back(DialogText(box));
        Reply reply = next < replies.size() ? replies[next] : Reply();
        ++next;
        if (reply.before) reply.before();
        PressButton(box, reply.button);
        WaitUntil([&] { return !::IsWindow(box) || !::IsWindowVisible(box); }, 10000);
        continue;
      }
      if (frame && ::IsWindowVisible(frame)) {
        if (HasCaption(frame)) {
          sawUpdateScreen = true;
          if (whileUpdating && !poked) {
            poked = true;
            whileUpdating(frame);
          }
        } else if (sawUpdateScreen) {
          out.back = true;
          break;
        }
      }
      ::Sleep(20);
    }
    return out;
  }

  std::vector<CFixtureVersionRequest> Requests() {
    std::vector<CFixtureVersionRequest> out;
    for (size_t i = 0; i < login.GetConnectionCount(); ++i) {
      for (const std::string& body : login.GetConnection(i).records) {
        CFixtureVersionRequest r;
        if (FixtureParseVersionRequest(body, r)) out.push_back(r);
      }
    }
    return out;
  }

  // "component:version" of each row of each request, one request a line.
  std::string RequestRows() {
    std::string s;
    for (const CFixtureVersionRequest& r : Requests()) {
      for (const auto& row : r.rows) s += std::to_string(row.component) + ":" + std::to_string(row.version) + " ";
      s += "\n";
    }
    return s;
  }

  std::vector<std::string> WebPaths() {
    std::vector<std::string> out;
    for (const httpfix::Request& r : web.Requests()) out.push_back(r.target);
    return out;
  }

  bool ClientStarted() {
    return WaitUntil([&] { return FileExists(in.Reports().File("client.txt")); }, 5000);
  }

  std::string PatchReport() { return in.PatchReport(); }

  httpfix::HttpFixture web;
  CLoginFixture login;
  UpdateInstall in{kBinDir, kHarnessDir};
  std::string helper;
  Process launcher;
};

// The first check's request: the launcher and the game at their versions.
const std::string kFirstRequest = "10100:1000000 10000:1000000 \n";

TEST_F(UpdateSequence, NoScriptsStartsTheClientAndEnds) {
  login.SetScenario(Scenario({}));
  ASSERT_NO_FATAL_FAILURE(Launch());
  const Outcome out = Run();
  EXPECT_TRUE(out.exited);
  EXPECT_TRUE(out.boxes.empty());
  EXPECT_EQ(kFirstRequest, RequestRows());
  ASSERT_TRUE(ClientStarted());
  // The client's command line is its quoted path and one space; it runs in
  // the game folder.
  const std::string report = in.ClientReport();
  EXPECT_NE(std::string::npos, report.find("cmdline=\"" + in.Install().File("quorl.bin") + "\" \n")) << report;
  EXPECT_TRUE(WebPaths().empty());
  EXPECT_EQ(kV1000, InstalledGame());
}

TEST_F(UpdateSequence, PortalDataGoesOnToTheClient) {
  // The portal puts its data on the clipboard under the launch key and
  // starts the launcher with the key; a non-empty fifth field asks for the
  // hand-off to the client.
  const std::string key = "e2e-launch-key";
  const std::string text = "127.0.0.1," + std::to_string(login.GetPort()) + ",user,session,play";
  Process portal;
  ASSERT_TRUE(portal.Start(in.Install().File("quorl.bin"), "--put-portal " + key + " " + text, ""));
  ASSERT_EQ(0, portal.Wait(20000));
  login.SetScenario(Scenario({Component(10000, 1, Step(kV1001, kV1001, "patch-1001000.exe"))}));
  ASSERT_NO_FATAL_FAILURE(Launch("/s " + key));
  const Outcome out = Run();
  EXPECT_TRUE(out.exited);
  EXPECT_TRUE(out.boxes.empty());
  ASSERT_TRUE(ClientStarted());
  const std::string report = in.ClientReport();
  EXPECT_NE(std::string::npos, report.find("quorl.bin\" " + key + "\n")) << report;
  EXPECT_NE(std::string::npos, report.find("portal=" + text + "\n")) << report;
  EXPECT_EQ(kV1001, InstalledGame());
}

TEST_F(UpdateSequence, LauncherScriptWithExecHandsOver) {
  const std::string script = HttpGet("launcher-new.exe", Serve("launcher-new.exe")) + "EXEC launcher-new.exe\n";
  login.SetScenario(
      Scenario({Component(10100, 1, script), Component(10000, 1, Step(kV1001, kV1001, "patch-1001000.exe"))}));
  ASSERT_NO_FATAL_FAILURE(Launch());
  const Outcome out = Run();
  EXPECT_TRUE(out.exited);
  EXPECT_TRUE(out.boxes.empty());
  EXPECT_EQ(kFirstRequest, RequestRows());
  EXPECT_EQ((std::vector<std::string>{"/launcher-new.exe"}), WebPaths());
  // The new program got the download folder as parameter and working folder.
  ASSERT_TRUE(WaitUntil([&] { return !PatchReport().empty(); }, 10000));
  std::string folder = in.Downloads().Path();
  folder.pop_back();
  const std::string report = PatchReport();
  EXPECT_NE(std::string::npos, report.find("launcher-new.exe\" " + folder + " cwd=" + folder + " wrote=keep"))
      << report;
  EXPECT_FALSE(ClientStarted());
  EXPECT_EQ(kV1000, InstalledGame());
}

TEST_F(UpdateSequence, LauncherScriptRunsToItsEndThenTheGameUpdates) {
  login.SetScenario(Scenario(
      {Component(10100, 1, "PATCH launcher.bin\n"), Component(10000, 1, Step(kV1001, kV1001, "patch-1001000.exe"))}));
  ASSERT_NO_FATAL_FAILURE(Launch());
  const Outcome out = Run();
  EXPECT_TRUE(out.exited);
  EXPECT_TRUE(out.boxes.empty());
  EXPECT_EQ(kFirstRequest, RequestRows());
  EXPECT_TRUE(ClientStarted());
  EXPECT_EQ(kV1001, InstalledGame());
}

TEST_F(UpdateSequence, FailedLauncherScriptGoesBack) {
  login.SetScenario(Scenario(
      {Component(10100, 1, "UNHEARD-OF command\n"), Component(10000, 1, Step(kV1001, kV1001, "patch-1001000.exe"))}));
  ASSERT_NO_FATAL_FAILURE(Launch());
  const Outcome out = Run();
  EXPECT_TRUE(out.back);
  EXPECT_EQ((std::vector<std::string>{kText21101}), out.boxes);
  EXPECT_TRUE(WebPaths().empty());
  EXPECT_FALSE(ClientStarted());
  EXPECT_EQ(kV1000, InstalledGame());
}

TEST_F(UpdateSequence, OneGameStep) {
  login.SetScenario(Scenario({Component(10000, 1, Step(kV1001, kV1001, "patch-1001000.exe"))}));
  ASSERT_NO_FATAL_FAILURE(Launch());
  const Outcome out = Run();
  EXPECT_TRUE(out.exited);
  EXPECT_TRUE(out.boxes.empty());
  EXPECT_EQ(kFirstRequest, RequestRows());
  EXPECT_EQ((std::vector<std::string>{"/patch-1001000.exe"}), WebPaths());
  EXPECT_NE(std::string::npos, PatchReport().find("wrote=1001000"));
  EXPECT_TRUE(ClientStarted());
  EXPECT_EQ(kV1001, InstalledGame());
}

TEST_F(UpdateSequence, TwoStepsWithARecheckOnANewConnection) {
  login.SetScenario(Scenario({Component(10000, 1, Step(kV1001, kV1002, "patch-1001000.exe"), kV1000),
                              Component(10000, 1, Step(kV1002, 0, "patch-1002000.exe"), kV1001)}));
  ASSERT_NO_FATAL_FAILURE(Launch());
  const Outcome out = Run();
  EXPECT_TRUE(out.exited);
  EXPECT_TRUE(out.boxes.empty());
  EXPECT_EQ(kFirstRequest + "10000:1001000 \n", RequestRows());
  EXPECT_EQ(2u, login.GetConnectionCount());
  EXPECT_EQ((std::vector<std::string>{"/patch-1001000.exe", "/patch-1002000.exe"}), WebPaths());
  EXPECT_TRUE(ClientStarted());
  EXPECT_EQ(kV1002, InstalledGame());
}

TEST_F(UpdateSequence, UnchangedVersionAsksAndYesChecksTheSameVersionAgain) {
  login.SetScenario(Scenario({Component(10000, 1, Step(kV1001, kV1001, "patch-keep.exe"))}));
  Reply yes;
  yes.button = IDYES;
  // The server answers differently the second time.
  yes.before = [&] { login.SetScenario(Scenario({Component(10000, 1, Step(kV1001, kV1001, "patch-1001000.exe"))})); };
  ASSERT_NO_FATAL_FAILURE(Launch());
  const Outcome out = Run({yes});
  EXPECT_TRUE(out.exited);
  EXPECT_EQ((std::vector<std::string>{kText21102}), out.boxes);
  EXPECT_EQ(kFirstRequest + "10000:1000000 \n", RequestRows());
  EXPECT_TRUE(ClientStarted());
  EXPECT_EQ(kV1001, InstalledGame());
}

TEST_F(UpdateSequence, UnchangedVersionAnsweredNoGoesBack) {
  login.SetScenario(Scenario({Component(10000, 1, Step(kV1001, kV1001, "patch-keep.exe"))}));
  Reply no;
  no.button = IDNO;
  ASSERT_NO_FATAL_FAILURE(Launch());
  const Outcome out = Run({no});
  EXPECT_TRUE(out.back);
  EXPECT_EQ((std::vector<std::string>{kText21102, kText21101}), out.boxes);
  EXPECT_EQ(kFirstRequest, RequestRows());
  EXPECT_FALSE(ClientStarted());
  EXPECT_EQ(kV1000, InstalledGame());
}

TEST_F(UpdateSequence, VersionAstrayEndsTheLauncher) {
  struct Case {
    const char* name;
    uint32_t next;
  };
  // A helper that installs 1.002 where NEXTVER said 1.001; and one with no
  // NEXTVER at all.
  for (const Case& c : {Case{"other than NEXTVER", kV1001}, Case{"no NEXTVER", 0}}) {
    SCOPED_TRACE(c.name);
    InstallVersions(kV1000, kV1000);
    ::DeleteFileA(in.Reports().File("client.txt").c_str());
    login.SetScenario(Scenario({Component(10000, 1, Step(c.next, 0, "patch-1002000.exe"))}));
    ASSERT_NO_FATAL_FAILURE(Launch());
    const Outcome out = Run();
    EXPECT_TRUE(out.exited);
    EXPECT_EQ((std::vector<std::string>{kText21103}), out.boxes);
    EXPECT_FALSE(ClientStarted());
    EXPECT_EQ(kV1002, InstalledGame());
  }
}

TEST_F(UpdateSequence, GameScriptWithExecFails) {
  const std::string script = HttpGet("game-new.exe", Serve("game-new.exe")) + "EXEC game-new.exe\n";
  login.SetScenario(Scenario({Component(10000, 1, script)}));
  ASSERT_NO_FATAL_FAILURE(Launch());
  const Outcome out = Run();
  EXPECT_TRUE(out.back);
  EXPECT_EQ((std::vector<std::string>{kText21101}), out.boxes);
  EXPECT_FALSE(ClientStarted());
}

TEST_F(UpdateSequence, RecheckWithoutUpdateBeforeTheLatestVersionFails) {
  login.SetScenario(Scenario({Component(10000, 1, Step(kV1001, kV1002, "patch-1001000.exe"), kV1000)}));
  ASSERT_NO_FATAL_FAILURE(Launch());
  const Outcome out = Run();
  EXPECT_TRUE(out.back);
  EXPECT_EQ((std::vector<std::string>{kText21101}), out.boxes);
  EXPECT_EQ(kFirstRequest + "10000:1001000 \n", RequestRows());
  EXPECT_FALSE(ClientStarted());
  EXPECT_EQ(kV1001, InstalledGame());
}

TEST_F(UpdateSequence, BadCrcCancelledInTheRetryDialog) {
  const uint32_t crc = Serve("patch-1001000.exe");
  const std::string script =
      "NEXTVER 1001000\nLATESTVER 1001000\n" + HttpGet("patch-1001000.exe", crc ^ 1u) + "CALL patch-1001000.exe\n";
  login.SetScenario(Scenario({Component(10000, 1, script)}));
  Reply cancel;
  cancel.button = IDCANCEL;
  ASSERT_NO_FATAL_FAILURE(Launch());
  const Outcome out = Run({cancel});
  EXPECT_TRUE(out.back);
  EXPECT_EQ((std::vector<std::string>{kText21111, kText21101}), out.boxes);
  // The script stopped at the download: the patch never ran.
  EXPECT_EQ("", PatchReport());
  EXPECT_FALSE(ClientStarted());
  EXPECT_EQ(kV1000, InstalledGame());
}

TEST_F(UpdateSequence, DeviceCheckFailureGoesBack) {
  // Wine's Direct3D without a renderer (no usable combination), for the
  // launcher's program name only and only for this test: the prefix-wide
  // key stays as it is for every other device test of the prefix, and the
  // guard puts the program's key back however the test ends.
  const std::string prefixWide = "Software\\Wine\\Direct3D";
  const std::string before = GetRegString(prefixWide, "renderer");
  const ScopedRegString no3d("Software\\Wine\\AppDefaults\\QuorlLauncher.exe\\Direct3D", "renderer", "no3d");
  ASSERT_TRUE(no3d.Ok());
  login.SetScenario(Scenario({}));
  ASSERT_NO_FATAL_FAILURE(Launch());
  EXPECT_EQ(before, GetRegString(prefixWide, "renderer")) << "the prefix-wide renderer changed";
  const Outcome out = Run();
  EXPECT_TRUE(out.back);
  EXPECT_EQ((std::vector<std::string>{kText22002NoCombination}), out.boxes);
  EXPECT_FALSE(ClientStarted());
}

TEST(RegistryGuard, PutsBackWhatWasThere) {
  const std::string root = "Software\\Halvane\\QuorlGuardTest";
  ::SHDeleteKeyA(HKEY_CURRENT_USER, root.c_str());
  HKEY parent = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Halvane", 0, nullptr, 0, KEY_READ, nullptr,
                                             &parent, nullptr));
  ::RegCloseKey(parent);
  auto keyExists = [](const std::string& subkey) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
  };
  // Keys that were not there go again.
  {
    const ScopedRegString guard(root + "\\App\\Direct3D", "renderer", "no3d");
    ASSERT_TRUE(guard.Ok());
    EXPECT_EQ("no3d", GetRegString(root + "\\App\\Direct3D", "renderer"));
  }
  EXPECT_FALSE(keyExists(root));
  EXPECT_TRUE(keyExists("Software\\Halvane"));

  // A value that was there comes back; one that was not goes, and its key
  // with its other values stays.
  ASSERT_TRUE(SetRegString(root, "renderer", "gl"));
  ASSERT_TRUE(SetRegString(root, "other", "kept"));
  {
    const ScopedRegString guard(root, "renderer", "no3d");
    EXPECT_EQ("no3d", GetRegString(root, "renderer"));
  }
  EXPECT_EQ("gl", GetRegString(root, "renderer"));
  {
    const ScopedRegString guard(root, "added", "x");
    EXPECT_EQ("x", GetRegString(root, "added"));
  }
  EXPECT_EQ("", GetRegString(root, "added"));
  EXPECT_EQ("kept", GetRegString(root, "other"));
  ::SHDeleteKeyA(HKEY_CURRENT_USER, root.c_str());
}

TEST_F(UpdateSequence, StartRequestsDuringARunAreIgnored) {
  ::SetEnvironmentVariableA("QUORL_PATCH_SHOW_MS", "1500");
  login.SetScenario(Scenario({Component(10000, 1, Step(kV1001, kV1001, "patch-1001000.exe"))}));
  ASSERT_NO_FATAL_FAILURE(Launch());
  LRESULT endSession = -1;
  const Outcome out = Run({}, [&](HWND frame) {
    HWND view = ::GetDlgItem(frame, AFX_IDW_PANE_FIRST);
    ::PostMessageA(frame, WM_COMMAND, kShowUpdate, 0);
    if (view) ::PostMessageA(view, kStartUpdateMessage, 0, 0);
    // The close box and a log-off are refused while the update screen is up.
    ::PostMessageA(frame, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD_PTR answer = 1;
    if (::SendMessageTimeoutA(frame, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 10000, &answer))
      endSession = static_cast<LRESULT>(answer);
  });
  EXPECT_TRUE(out.exited);
  EXPECT_TRUE(out.boxes.empty());
  EXPECT_EQ(0, endSession);
  EXPECT_EQ(kFirstRequest, RequestRows());
  EXPECT_EQ(1u, login.GetConnectionCount());
  EXPECT_EQ((std::vector<std::string>{"/patch-1001000.exe"}), WebPaths());
  EXPECT_TRUE(ClientStarted());
  EXPECT_EQ(kV1001, InstalledGame());
}

TEST_F(UpdateSequence, QuitDuringTheServerWaitEndsSilently) {
  // The server never answers; the application is told to quit meanwhile.
  CFixtureScenario silent = Scenario({});
  silent.onVersionRequest = {CFixtureAction::Hold()};
  login.SetScenario(silent);
  ASSERT_NO_FATAL_FAILURE(Launch());
  const Outcome out = Run({}, [&](HWND frame) {
    ASSERT_TRUE(login.WaitForRecords(0, 1, 20000));
    ::PostThreadMessageA(::GetWindowThreadProcessId(frame, nullptr), WM_QUIT, 0, 0);
  });
  EXPECT_TRUE(out.exited);
  EXPECT_TRUE(out.boxes.empty());
  EXPECT_FALSE(ClientStarted());
}

TEST_F(UpdateSequence, BackThenStartRunsTheWholeSequenceAgain) {
  login.SetScenario(Scenario({Component(10000, 1, "EXEC nothing.exe\n")}));
  // From the launcher screen, as the Start button does.
  ASSERT_NO_FATAL_FAILURE(Launch(""));
  HWND frame = Frame();
  ASSERT_NE(nullptr, frame);
  ::PostMessageA(frame, WM_COMMAND, kShowUpdate, 0);
  Outcome out = Run();
  ASSERT_TRUE(out.back);
  EXPECT_EQ((std::vector<std::string>{kText21101}), out.boxes);
  EXPECT_EQ(1u, login.GetConnectionCount());

  login.SetScenario(Scenario({Component(10000, 1, Step(kV1001, kV1001, "patch-1001000.exe"))}));
  ::PostMessageA(frame, WM_COMMAND, kShowUpdate, 0);
  out = Run();
  EXPECT_TRUE(out.exited);
  EXPECT_TRUE(out.boxes.empty());
  EXPECT_EQ(kFirstRequest + kFirstRequest, RequestRows());
  EXPECT_EQ(2u, login.GetConnectionCount());
  EXPECT_TRUE(ClientStarted());
  EXPECT_EQ(kV1001, InstalledGame());
}

}  // namespace
