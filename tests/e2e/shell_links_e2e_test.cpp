// The real launcher's web addresses under Wine, opened through the shell
// (the prefix's http handler is the tests' URL recorder):
// - the launcher screen's web commands, which have no buttons, posted to
//   its main window as another window would;
// - the About box: started with /e, the settings dialog's system-menu item
//   (WM_SYSCOMMAND 0x10, as the menu posts it) opens it; it shows the
//   installed launcher version and the home page of the installation's
//   code page, a real click on the link opens it, and its context menu
//   copies it onto the real clipboard.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/launcher_names.h"
#include "app/localize.h"
#include "res/resource.h"
#include "tests/e2e/profile_value.h"
#include "tests/e2e/win_driver.h"
#include "tests/harness/url_report.h"
#include "tests/update/pl_encoder.h"

using namespace e2e;

namespace {

const std::string kBinDir = ToWindowsPath(QUORL_E2E_BIN_DIR) + "\\";
const std::string kShotDir = ToWindowsPath(QUORL_E2E_SHOT_DIR) + "\\";
// An id file written by mkid at build time for code page 1250, which the
// launcher does not know.
const std::string kUnknownCodePageId = ToWindowsPath(QUORL_E2E_ID_1250);
constexpr DWORD kWindowTimeout = 20000;

struct AboutRun {
  TempFolder folder;
  Process process;
  HWND settings = nullptr;
  HWND box = nullptr;
};

// Stages the launcher (and an id file when given), starts it with /e and
// opens the About box from the settings dialog's system menu.
void OpenAboutBox(AboutRun& run, const std::string& idFile = "") {
  const std::string exe = run.folder.File("QuorlLauncher.exe");
  ASSERT_TRUE(::CopyFileA((kBinDir + "QuorlLauncher.exe").c_str(), exe.c_str(), FALSE));
  ASSERT_TRUE(CopyInto(kBinDir + kSkinFileName, run.folder.Path(), kSkinFileName));
  if (!idFile.empty()) {
    ASSERT_TRUE(::CopyFileA(idFile.c_str(), run.folder.File(kLocalizeInfoFileName).c_str(), FALSE));
  }
  ASSERT_TRUE(run.process.Start(exe, "/e", run.folder.Path()));
  run.settings = WaitForWindow(run.process.Pid(), "#32770", kWindowTimeout);
  ASSERT_NE(nullptr, run.settings);
  ASSERT_EQ("Quorl 환경설정", WindowTextUtf8(run.settings));
  ASSERT_TRUE(::PostMessageA(run.settings, WM_SYSCOMMAND, IDM_ABOUTBOX, 0));
  run.box = WaitForWindowWith(run.process.Pid(), nullptr, IDC_ABOUT_LINK, kWindowTimeout);
  ASSERT_NE(nullptr, run.box) << "no About box came up";
}

void CloseAll(AboutRun& run) {
  PressButton(run.box, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(run.box); }, kWindowTimeout));
  PressButton(run.settings, IDCANCEL);
  EXPECT_NE(-1, run.process.Wait(kWindowTimeout)) << "the program ends with its dialog";
}

std::string ItemText(HWND box, int id) { return WindowTextUtf8(::GetDlgItem(box, id)); }

bool MouseRightButton(bool down) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
  return ::SendInput(1, &in, sizeof(in)) == 1;
}

std::string ClipboardText() {
  std::string text;
  if (!::OpenClipboard(nullptr)) return "<clipboard busy>";
  if (HANDLE h = ::GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(::GlobalLock(h))) {
      text = p;
      ::GlobalUnlock(h);
    }
  }
  ::CloseClipboard();
  return text;
}

bool EmptyTheClipboard() {
  if (!::OpenClipboard(nullptr)) return false;
  const bool ok = ::EmptyClipboard() != FALSE;
  ::CloseClipboard();
  return ok;
}

// A point on the link's first characters: its text starts at the control's
// top-left corner.
POINT OnTheLink(HWND box) {
  RECT r = {};
  ::GetWindowRect(::GetDlgItem(box, IDC_ABOUT_LINK), &r);
  return {r.left + 3, r.top + 5};
}

TEST(AboutBox, ShowsTheVersionAndOpensAndCopiesTheHomePage) {
  CSavedProfileString pl{kAppKey, "PL"};
  pl.Set(pl_encoder::Encode(1001000, 2004000, GetServiceIdForCodePage(949)));
  url_test::UrlReport report;  // the launcher inherits where to report
  AboutRun run;
  ASSERT_NO_FATAL_FAILURE(OpenAboutBox(run));

  EXPECT_EQ("Quorl 버전정보", WindowTextUtf8(run.box));
  EXPECT_EQ("Quorl 런처", ItemText(run.box, IDC_ABOUT_NAME));
  EXPECT_EQ("Version 2.004", ItemText(run.box, IDC_ABOUT_VERSION));
  EXPECT_EQ("http://kr.quorl.example/", ItemText(run.box, IDC_ABOUT_LINK));
  EXPECT_EQ(run.settings, ::GetWindow(run.box, GW_OWNER)) << "owned by the main window, the settings dialog";
  EXPECT_FALSE(::IsWindowEnabled(run.settings)) << "modal";
  // The link as the screen shows it: blue, and underlined (a row of blue
  // as long as a few characters at least).
  Capture shot;
  int longestBlue = 0;
  EXPECT_TRUE(WaitUntil(
      [&] {
        if (!CaptureClient(run.box, &shot)) return false;
        longestBlue = 0;
        for (int y = 0; y < shot.height; ++y) {
          int run = 0;
          for (int x = 0; x < shot.width; ++x) {
            run = (shot.At(x, y) & 0xFFFFFF) == 0x0000FF ? run + 1 : 0;
            longestBlue = run > longestBlue ? run : longestBlue;
          }
        }
        return longestBlue >= 40;
      },
      kWindowTimeout))
      << "longest blue row " << longestBlue;
  SaveBmp(shot, kShotDir + "about-box.bmp");

  // A click on the link.
  const POINT on = OnTheLink(run.box);
  ASSERT_TRUE(MoveMouseTo(on.x, on.y));
  ASSERT_TRUE(MouseLeftButton(true));
  ASSERT_TRUE(MouseLeftButton(false));
  EXPECT_EQ("http://kr.quorl.example/", report.WaitForAddress(kWindowTimeout));

  // The context menu's one item copies the address.
  ASSERT_TRUE(EmptyTheClipboard());
  ::Sleep(::GetDoubleClickTime() + 50);
  ASSERT_TRUE(MouseRightButton(true));
  ASSERT_TRUE(MouseRightButton(false));
  HWND menu = WaitForWindow(run.process.Pid(), "#32768", kWindowTimeout);
  ASSERT_NE(nullptr, menu) << "no context menu";
  RECT m = {};
  ::GetWindowRect(menu, &m);
  ASSERT_TRUE(MoveMouseTo((m.left + m.right) / 2, (m.top + m.bottom) / 2));
  ASSERT_TRUE(MouseLeftButton(true));
  ASSERT_TRUE(MouseLeftButton(false));
  EXPECT_TRUE(WaitUntil([] { return ClipboardText() == "http://kr.quorl.example/"; }, kWindowTimeout))
      << ClipboardText();

  CloseAll(run);
}

// The launcher screen's setup-guide, manual and home-page commands open
// the addresses of the built-in record's code page, 949.
TEST(LauncherWebCommands, PostedToTheMainWindowTheyOpenTheCodePagesAddresses) {
  url_test::UrlReport report;
  TempFolder folder;
  const std::string exe = folder.File("QuorlLauncher.exe");
  ASSERT_TRUE(::CopyFileA((kBinDir + "QuorlLauncher.exe").c_str(), exe.c_str(), FALSE));
  ASSERT_TRUE(CopyInto(kBinDir + kSkinFileName, folder.Path(), kSkinFileName));
  Process p;
  ASSERT_TRUE(p.Start(exe, "", folder.Path()));
  HWND frame = WaitForWindow(p.Pid(), kMainFrameClassName, kWindowTimeout);
  ASSERT_NE(nullptr, frame);
  struct Case {
    UINT command;
    const char* address;
  } const cases[] = {
      {ID_LAUNCHER_SETUP_GUIDE, "http://kr.quorl.example/guide/setup.html"},
      {ID_LAUNCHER_MANUAL, "http://kr.quorl.example/manual/"},
      {ID_LAUNCHER_HOMEPAGE, "http://kr.quorl.example/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    report.Clear();
    ASSERT_TRUE(::PostMessageA(frame, WM_COMMAND, c.command, 0));
    EXPECT_EQ(c.address, report.WaitForAddress(kWindowTimeout));
  }
  EXPECT_TRUE(::IsWindow(frame)) << "the launcher screen stays";
  ::PostMessageA(frame, WM_COMMAND, ID_LAUNCHER_EXIT, 0);
  EXPECT_NE(-1, p.Wait(kWindowTimeout));
}

// An installation whose id file names a code page the launcher does not
// know: the box links the default row's home page, and "PL" is missing.
TEST(AboutBox, UnknownCodePageLinksTheDefaultHomePage) {
  CSavedProfileString pl{kAppKey, "PL"};
  pl.Delete();
  AboutRun run;
  ASSERT_NO_FATAL_FAILURE(OpenAboutBox(run, kUnknownCodePageId));
  EXPECT_EQ("Version 0.000", ItemText(run.box, IDC_ABOUT_VERSION));
  EXPECT_EQ("http://www.quorl.example/", ItemText(run.box, IDC_ABOUT_LINK));
  CloseAll(run);
}

}  // namespace
