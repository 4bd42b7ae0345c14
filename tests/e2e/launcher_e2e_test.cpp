// The real launcher under Wine, started as a user would start it: from a
// folder holding the program, its skin file and optionally an id file.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "app/localize.h"
#include "app/portal_cipher.h"
#include "app/window_geometry.h"
#include "skin/graphic_data.h"
#include "tests/e2e/win_driver.h"

using namespace e2e;

namespace {

const std::string kBinDir = ToWindowsPath(QUORL_E2E_BIN_DIR) + "\\";
const std::string kShotDir = ToWindowsPath(QUORL_E2E_SHOT_DIR) + "\\";

const char kText20001[] =
    "프로그램의 초기화를 할 수 없습니다.다른 프로그램을\n종료하거나 윈도우를 재시작한 뒤에 다시 한 번 "
    "시도해 주세요.";
const char kText20002[] =
    "치명적인 에러가 발생해서 시작할 수 없습니다.\nWindows를 재시작한 뒤에 다시 한 번 시도해 주세요.";
const char kText20003[] = "파일 복구 툴이 실행되고 있습니다.\n툴을 종료한 뒤에 재실행해 주세요.";

constexpr DWORD kWindowTimeout = 20000;
constexpr DWORD kExitTimeout = 20000;
constexpr UINT kShowLauncher = 32779;
constexpr UINT kShowUpdate = 32780;
constexpr UINT kExit = 32778;

struct Install {
  TempFolder folder;
  std::string exe;
};

// Stages a launcher installation: the program (with or without its built-in
// localisation record), the skin unless left out, and an optional id file.
void Stage(Install& in, bool withSkin = true, const char* program = "QuorlLauncher.exe") {
  in.exe = in.folder.File("QuorlLauncher.exe");
  ASSERT_TRUE(::CopyFileA((kBinDir + program).c_str(), in.exe.c_str(), FALSE)) << kBinDir + program;
  if (withSkin) {
    ASSERT_TRUE(CopyInto(kBinDir + "QuorlLnchr.rdl", in.folder.Path(), "QuorlLnchr.rdl"));
  }
}

bool Launch(Process& p, const Install& in, const std::string& args) {
  return p.Start(in.exe, args, in.folder.Path());
}

HWND WaitForFrame(const Process& p) { return WaitForWindow(p.Pid(), "Quorl Pather MainFrame", kWindowTimeout); }

// Waits for a message box of the process, checks its text and closes it.
void ExpectMessageBoxAndExit(Process& p, const char* expected) {
  HWND box = WaitForWindow(p.Pid(), "#32770", kWindowTimeout);
  ASSERT_NE(nullptr, box) << "no message box appeared";
  EXPECT_EQ(expected, MessageBoxText(box));
  EXPECT_EQ("Quorl", WindowTextUtf8(box));
  PressButton(box, IDOK);
  EXPECT_NE(-1, p.Wait(kExitTimeout)) << "the launcher did not end after its message";
}

void SkinBackgroundSize(int32_t* w, int32_t* h) {
  CGraphicData skin(20, 1);
  ASSERT_TRUE(skin.Open((kBinDir + "QuorlLnchr.rdl").c_str()));
  ASSERT_TRUE(skin.GetImageSize(0, w, h));
}

bool HasCaption(HWND wnd) { return (::GetWindowLongA(wnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION; }

SIZE ClientSize(HWND wnd) {
  RECT rc = {};
  ::GetClientRect(wnd, &rc);
  return {rc.right, rc.bottom};
}

RECT WindowRect(HWND wnd) {
  RECT rc = {};
  ::GetWindowRect(wnd, &rc);
  return rc;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Waits until the frame shows the wanted screen (caption or not) and has
// stopped moving: the switch resizes and moves it in several steps.
bool WaitForScreen(HWND frame, bool updateScreen) {
  RECT last = {-1, -1, -1, -1};
  int steady = 0;
  return WaitUntil(
      [&] {
        RECT now = WindowRect(frame);
        steady = HasCaption(frame) == updateScreen && SameRect(now, last) ? steady + 1 : 0;
        last = now;
        return steady >= 5;
      },
      kWindowTimeout);
}

RECT WorkArea() {
  RECT work = {};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

void MoveWindowTo(HWND wnd, int x, int y) {
  ::SetWindowPos(wnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  WaitUntil([&] { return WindowRect(wnd).left == x && WindowRect(wnd).top == y; }, 5000);
}

// The frame's answer to a log-off request.
LRESULT QueryEndSession(HWND frame) {
  DWORD_PTR answer = 0xBAD;
  if (!::SendMessageTimeoutA(frame, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, kWindowTimeout, &answer))
    return 0xBAD;
  return static_cast<LRESULT>(answer);
}

// A launcher started from its own staged installation, with its main frame.
class LauncherFrame : public ::testing::Test {
 protected:
  void Start(const std::string& args = "") {
    Stage(in);
    ASSERT_TRUE(Launch(p, in, args));
    frame = WaitForFrame(p);
    ASSERT_NE(nullptr, frame);
  }

  Install in;  // outlives the process, which is ended first
  Process p;
  HWND frame = nullptr;
};

}  // namespace

TEST(LauncherStartup, MissingSkinFileShowsInitialisationError) {
  Install in;
  Stage(in, /*withSkin=*/false);
  Process p;
  ASSERT_TRUE(Launch(p, in, ""));
  ExpectMessageBoxAndExit(p, kText20001);
}

TEST(LauncherStartup, DamagedSkinFileShowsInitialisationError) {
  Install in;
  Stage(in, /*withSkin=*/false);
  // A count of 200 entries with the index cut short.
  ASSERT_TRUE(WriteFileBytes(in.folder.File("QuorlLnchr.rdl"), std::string("\xC8\x00\x00\x00", 4)));
  Process p;
  ASSERT_TRUE(Launch(p, in, ""));
  ExpectMessageBoxAndExit(p, kText20001);
}

TEST(LauncherStartup, RunningFileCheckerRefusesTheStart) {
  Install in;
  Stage(in);
  HANDLE checker = ::CreateMutexA(nullptr, FALSE, "Quorl File Checker Mutex");
  ASSERT_NE(nullptr, checker);
  Process p;
  ASSERT_TRUE(Launch(p, in, ""));
  ExpectMessageBoxAndExit(p, kText20003);
  ::CloseHandle(checker);
}

TEST(LauncherStartup, NoLocalisationRecordAnywhereIsFatal) {
  Install in;
  Stage(in, true, "QuorlLauncher_noid.exe");
  Process p;
  ASSERT_TRUE(Launch(p, in, ""));
  ExpectMessageBoxAndExit(p, kText20002);
}

TEST(LauncherStartup, DamagedIdFileFallsBackToTheBuiltInRecord) {
  Install in;
  Stage(in);
  ASSERT_TRUE(WriteFileBytes(in.folder.File("Quorl.id"), "#### not a record ####\r\n"));
  Process p;
  ASSERT_TRUE(Launch(p, in, ""));
  HWND frame = WaitForFrame(p);
  EXPECT_NE(nullptr, frame);
}

TEST(LauncherStartup, IdFileBesideTheProgramIsEnough) {
  Install in;
  Stage(in, true, "QuorlLauncher_noid.exe");
  std::string record = CLocalizeInfo::EncodeRecord(1252, "E2EProfile", kLocalizeInfoServiceId, 1234567);
  ASSERT_FALSE(record.empty());
  ASSERT_TRUE(WriteFileBytes(in.folder.File("Quorl.id"), record + "\r\n"));
  Process p;
  ASSERT_TRUE(Launch(p, in, ""));
  HWND frame = WaitForFrame(p);
  EXPECT_NE(nullptr, frame);
}

TEST_F(LauncherFrame, ShowsTheSkinCaptionlessAndSwitchesScreens) {
  int32_t w = 0, h = 0;
  SkinBackgroundSize(&w, &h);
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_FALSE(HasCaption(frame));
  EXPECT_EQ("Quorl", WindowTextUtf8(frame));

  // The view has a border; the picture fills the view's client area.
  HWND view = ::GetDlgItem(frame, 59648);
  ASSERT_NE(nullptr, view);
  SIZE vs = ClientSize(view);
  EXPECT_EQ(w, vs.cx);
  EXPECT_EQ(h, vs.cy);

  // What the user sees is the skin: compare a patch of the background
  // (top left, away from buttons and label) with the skin's own pixels.
  Capture shot;
  ASSERT_TRUE(WaitUntil([&] { return CaptureClient(view, &shot) && shot.At(w / 2, h / 2) != 0; }, 5000));
  SaveBmp(shot, kShotDir + "launcher-screen.bmp");
  {
    CGraphicData skin(20, 1);
    ASSERT_TRUE(skin.Open((kBinDir + "QuorlLnchr.rdl").c_str()));
    CGraphicDataHandle bg;
    ASSERT_TRUE(skin.GetImage(0, &bg));
    const uint8_t* palette = bg.data + static_cast<size_t>(w) * h;
    int same = 0, total = 0;
    for (int y = 4; y < 60; y += 7) {
      for (int x = 4; x < 160; x += 9) {
        const uint8_t* c = palette + 4 * bg.data[y * w + x];
        uint32_t expect = (uint32_t(c[2]) << 16) | (uint32_t(c[1]) << 8) | c[0];
        ++total;
        if (shot.At(x, y) == expect)
          ++same;
      }
    }
    EXPECT_EQ(total, same) << "the screen does not show the skin's background";
  }

  // To the update screen: a caption, and closing is refused while updating.
  ::PostMessageA(frame, WM_COMMAND, kShowUpdate, 0);
  EXPECT_TRUE(WaitUntil([&] { return HasCaption(frame); }, kWindowTimeout));
  ::PostMessageA(frame, WM_SYSCOMMAND, SC_CLOSE, 0);
  ::Sleep(300);
  EXPECT_TRUE(p.Running());
  EXPECT_TRUE(::IsWindow(frame));
  Capture updateShot;
  if (CaptureClient(frame, &updateShot))
    SaveBmp(updateShot, kShotDir + "update-screen.bmp");

  // And back: no caption, the skin's size again.
  ::PostMessageA(frame, WM_COMMAND, kShowLauncher, 0);
  EXPECT_TRUE(WaitUntil([&] { return !HasCaption(frame); }, kWindowTimeout));
  EXPECT_TRUE(WaitUntil(
      [&] {
        HWND v = ::GetDlgItem(frame, 59648);
        return v && ClientSize(v).cx == w && ClientSize(v).cy == h;
      },
      5000));

  // On the launcher screen the close box works again.
  ::PostMessageA(frame, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(0, p.Wait(kExitTimeout));
}

TEST_F(LauncherFrame, StartAtOnceShowsTheUpdateScreen) {
  ASSERT_NO_FATAL_FAILURE(Start("/s"));
  EXPECT_TRUE(WaitUntil([&] { return HasCaption(frame); }, 5000));
}

TEST_F(LauncherFrame, ExitCommandEndsTheProgram) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ::PostMessageA(frame, WM_COMMAND, kExit, 0);
  EXPECT_EQ(0, p.Wait(kExitTimeout));
}

TEST_F(LauncherFrame, SecondLauncherIsNotRefused) {
  Stage(in);
  Process first, second;
  ASSERT_TRUE(Launch(first, in, ""));
  ASSERT_NE(nullptr, WaitForFrame(first));
  ASSERT_TRUE(Launch(second, in, ""));
  EXPECT_NE(nullptr, WaitForFrame(second));
}

// The portal's launch data on its clipboard format, as the web portal
// leaves it: enciphered under the key, terminated.
bool PutPortalData(const std::string& text, const char* key) {
  std::string hex;
  EncryptPortalText(text.c_str(), key, &hex);
  const UINT format = ::RegisterClipboardFormatA("Sabrix_ClipFormat");
  if (format == 0 || !::OpenClipboard(nullptr))
    return false;
  ::EmptyClipboard();
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, hex.size() + 1);
  bool ok = false;
  if (block != nullptr) {
    std::memcpy(::GlobalLock(block), hex.c_str(), hex.size() + 1);
    ::GlobalUnlock(block);
    ok = ::SetClipboardData(format, block) != nullptr;
    if (!ok)
      ::GlobalFree(block);
  }
  ::CloseClipboard();
  return ok;
}

bool PortalDataPresent() {
  const UINT format = ::RegisterClipboardFormatA("Sabrix_ClipFormat");
  if (!::OpenClipboard(nullptr))
    return false;
  const bool present = ::GetClipboardData(format) != nullptr;
  ::CloseClipboard();
  return present;
}

TEST_F(LauncherFrame, PortalLaunchArgumentTakesTheDataOffTheClipboard) {
  ASSERT_TRUE(PutPortalData("portal.host,9123,a,b,client", "portal-key"));
  ASSERT_NO_FATAL_FAILURE(Start("portal-key"));
  EXPECT_FALSE(PortalDataPresent()) << "read and cleared at start-up";
}

TEST_F(LauncherFrame, WithoutLaunchArgumentThePortalDataStays) {
  ASSERT_TRUE(PutPortalData("portal.host,9123,a,b,client", "portal-key"));
  ASSERT_NO_FATAL_FAILURE(Start("/b0"));
  EXPECT_TRUE(PortalDataPresent());
}

TEST(LauncherSettingsOnly, SwitchERunsTheSettingsDialogAlone) {
  for (const char* args : {"/e", "-E", "/b2"}) {
    SCOPED_TRACE(args);
    Install in;
    Stage(in);
    Process p;
    ASSERT_TRUE(Launch(p, in, args));
    HWND dialog = WaitForWindow(p.Pid(), "#32770", kWindowTimeout);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ("Quorl 환경설정", WindowTextUtf8(dialog));
    EXPECT_EQ(nullptr, ::FindWindowA("Quorl Pather MainFrame", nullptr));
    PressButton(dialog, IDCANCEL);
    EXPECT_NE(-1, p.Wait(kExitTimeout));
  }
}

TEST_F(LauncherFrame, LogOffIsRefusedOnlyDuringTheUpdate) {
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_EQ(TRUE, QueryEndSession(frame));

  ::PostMessageA(frame, WM_COMMAND, kShowUpdate, 0);
  ASSERT_TRUE(WaitForScreen(frame, true));
  EXPECT_EQ(FALSE, QueryEndSession(frame));

  ::PostMessageA(frame, WM_COMMAND, kShowLauncher, 0);
  ASSERT_TRUE(WaitForScreen(frame, false));
  EXPECT_EQ(TRUE, QueryEndSession(frame));
}

TEST_F(LauncherFrame, LauncherCommandOnTheLauncherScreenKeepsTheViewAndRecentres) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(WaitForScreen(frame, false));
  HWND view = ::GetDlgItem(frame, 59648);
  ASSERT_NE(nullptr, view);
  const RECT before = WindowRect(frame);

  // Partly off the work area: centring the frame on its own place must
  // bring it back inside.
  const RECT work = WorkArea();
  MoveWindowTo(frame, work.left - 100, work.top - 50);
  ::PostMessageA(frame, WM_COMMAND, kShowLauncher, 0);
  EXPECT_TRUE(WaitUntil(
      [&] { return WindowRect(frame).left == work.left && WindowRect(frame).top == work.top; },
      kWindowTimeout));
  const RECT after = WindowRect(frame);
  EXPECT_EQ(before.right - before.left, after.right - after.left);
  EXPECT_EQ(before.bottom - before.top, after.bottom - after.top);
  EXPECT_EQ(view, ::GetDlgItem(frame, 59648)) << "the same screen was made again";
  EXPECT_FALSE(HasCaption(frame));
}

TEST_F(LauncherFrame, BackFromTheUpdateCentresOnItsPlaceInsideTheWorkArea) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(WaitForScreen(frame, false));
  const RECT launcher = WindowRect(frame);
  const int lw = launcher.right - launcher.left, lh = launcher.bottom - launcher.top;
  const RECT work = WorkArea();

  struct Place {
    const char* name;
    bool corner;  // bottom right corner of the work area, else near its centre
  };
  for (const Place& place : {Place{"near the centre", false}, Place{"bottom right corner", true}}) {
    SCOPED_TRACE(place.name);
    ::PostMessageA(frame, WM_COMMAND, kShowUpdate, 0);
    ASSERT_TRUE(WaitForScreen(frame, true));
    RECT update = WindowRect(frame);
    const int uw = update.right - update.left, uh = update.bottom - update.top;
    const int x = place.corner ? work.right - uw : (work.left + work.right - uw) / 2 + 24;
    const int y = place.corner ? work.bottom - uh : (work.top + work.bottom - uh) / 2 + 16;
    MoveWindowTo(frame, x, y);
    update = WindowRect(frame);
    ASSERT_EQ(x, update.left);

    ::PostMessageA(frame, WM_COMMAND, kShowLauncher, 0);
    ASSERT_TRUE(WaitForScreen(frame, false));
    const RECT back = WindowRect(frame);
    EXPECT_EQ(lw, back.right - back.left);
    EXPECT_EQ(lh, back.bottom - back.top);
    const GeoPoint expected =
        CenterOnRectInWorkArea({update.left, update.top, update.right, update.bottom}, lw, lh,
                               {work.left, work.top, work.right, work.bottom});
    EXPECT_EQ(expected.x, back.left);
    EXPECT_EQ(expected.y, back.top);
    EXPECT_GE(back.left, work.left);
    EXPECT_GE(back.top, work.top);
    EXPECT_LE(back.right, work.right);
    EXPECT_LE(back.bottom, work.bottom);
    if (place.corner) {
      // The bigger launcher window cannot stand centred there.
      EXPECT_TRUE(back.right == work.right || back.bottom == work.bottom);
    }
  }
}
