// The real launcher under Wine, started as a user would start it: from a
// folder holding the program, its skin file and optionally an id file.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/launcher_names.h"
#include "app/localize.h"
#include "app/portal_cipher.h"
#include "app/window_geometry.h"
#include "framework/afxres.h"
#include "res/resource.h"
#include "skin/graphic_data.h"
#include "tests/e2e/launcher_picture.h"
#include "tests/e2e/profile_value.h"
#include "tests/e2e/win_driver.h"
#include "tests/update/pl_encoder.h"
#include "tools/fixture/login_fixture.h"
#include "tools/mkskin/rdl_writer.h"

using namespace e2e;

namespace {

const std::string kBinDir = ToWindowsPath(QUORL_E2E_BIN_DIR) + "\\";
const std::string kShotDir = ToWindowsPath(QUORL_E2E_SHOT_DIR) + "\\";

// The start-up messages as the user reads them, written out independently of
// the resource script on purpose: the test reads the running program's
// message boxes from outside.
const char kText20001[] =
    "프로그램의 초기화를 할 수 없습니다.다른 프로그램을\n종료하거나 윈도우를 재시작한 뒤에 다시 한 번 "
    "시도해 주세요.";
const char kText20002[] =
    "치명적인 에러가 발생해서 시작할 수 없습니다.\nWindows를 재시작한 뒤에 다시 한 번 시도해 주세요.";
const char kText20003[] = "파일 복구 툴이 실행되고 있습니다.\n툴을 종료한 뒤에 재실행해 주세요.";

constexpr DWORD kWindowTimeout = 20000;
constexpr DWORD kExitTimeout = 20000;

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
    ASSERT_TRUE(CopyInto(kBinDir + kSkinFileName, in.folder.Path(), kSkinFileName));
  }
}

bool Launch(Process& p, const Install& in, const std::string& args) { return p.Start(in.exe, args, in.folder.Path()); }

HWND WaitForFrame(const Process& p) { return WaitForWindow(p.Pid(), kMainFrameClassName, kWindowTimeout); }

// Waits for a message box of the process, checks its text and icon, and
// closes it.
void ExpectMessageBoxAndExit(Process& p, const char* expected, BoxIcon icon) {
  HWND box = WaitForWindow(p.Pid(), "#32770", kWindowTimeout);
  ASSERT_NE(nullptr, box) << "no message box appeared";
  EXPECT_EQ(expected, MessageBoxText(box));
  EXPECT_EQ("Quorl", WindowTextUtf8(box));
  BoxIcon shown = BoxIcon::kOther;
  // The box may still be painting its icon.
  WaitUntil([&] { return (shown = MessageBoxIcon(box)) == icon; }, 3000);
  EXPECT_STREQ(BoxIconName(icon), BoxIconName(shown));
  PressButton(box, IDOK);
  EXPECT_NE(-1, p.Wait(kExitTimeout)) << "the launcher did not end after its message";
}

void SkinBackgroundSize(int32_t* w, int32_t* h) {
  CGraphicData skin(20, 1);
  ASSERT_TRUE(skin.Open((kBinDir + kSkinFileName).c_str()));
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
  if (!::SendMessageTimeoutA(frame, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, kWindowTimeout, &answer)) return 0xBAD;
  return static_cast<LRESULT>(answer);
}

// A launcher started from its own staged installation, with its main frame.
// The update screen runs the update at once: its login server here takes
// the version request and never answers, so that the screen stays as it is
// while a test looks at it.
class LauncherFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    CFixtureScenario silent;
    silent.onVersionRequest = {CFixtureAction::Hold()};
    login.SetScenario(silent);
    ASSERT_TRUE(login.Start());
    server.Set("127.0.0.1:" + std::to_string(login.GetPort()));
    // Installed versions the check can read, so that the update waits for
    // the server instead of stopping at "unreadable versions" with a box.
    installed.Set(pl_encoder::Encode(1000000, 1000000, GetServiceIdForCodePage(949)));
  }
  void TearDown() override { p.Kill(); }

  void Start(const std::string& args = "") {
    Stage(in);
    ASSERT_TRUE(Launch(p, in, args)) << "CreateProcess failed, error " << ::GetLastError();
    frame = WaitForFrame(p);
    ASSERT_NE(nullptr, frame);
  }

  CLoginFixture login;
  CSavedProfileString server{kLoginKey, "Server"};
  CSavedProfileString installed{kAppKey, "PL"};
  Install in;  // outlives the process, which is ended first
  Process p;
  HWND frame = nullptr;
};

// The launcher's picture as the user must see it, composed from the skin
// file (tests/e2e/launcher_picture.h).
const CLauncherPicture& Skin() {
  static const CLauncherPicture skin(kBinDir + kSkinFileName, kBinDir + "QuorlLauncher.exe");
  return skin;
}

// With button >= 0, that button's frame is composed over the scene.
Picture5 ComposeLauncherPicture(int button, int frame) {
  Picture5 p = Skin().Background();
  if (button >= 0 && p.width > 0) Skin().BlendButton(&p, button, frame);
  return p;
}

RECT ButtonRect(int button) { return Skin().ButtonRect(button); }

}  // namespace

// The built skin with its background entry replaced by a packed block whose
// stream is damaged; every other entry as it was.
std::string SkinWithDamagedBackground() {
  CGraphicData skin(20, 1);
  if (!skin.Open((kBinDir + kSkinFileName).c_str())) return std::string();
  CRdlWriter writer;
  for (int32_t i = 0; i < skin.GetCount(); ++i) {
    CGraphicDataHandle image;
    if (!skin.GetImage(i, &image)) return std::string();
    std::vector<uint8_t> bytes(image.data, image.data + image.size);
    if (i == 0) {
      std::vector<uint8_t> block = CRdlWriter::PackBlock(bytes);
      for (size_t k = block.size() / 2; k < block.size() / 2 + 8; ++k) block[k] ^= 0xA5;
      writer.AddRaw(static_cast<uint16_t>(image.width), static_cast<uint16_t>(image.height), block);
    } else {
      writer.AddPacked(static_cast<uint16_t>(image.width), static_cast<uint16_t>(image.height), bytes);
    }
  }
  const std::vector<uint8_t> file = writer.Build();
  return std::string(file.begin(), file.end());
}

// One start of a staged installation: what is in its folder and around it,
// and what the user sees (a message box and the end, or the main frame).
struct StartupCase {
  const char* name;
  const char* program;  // copied in as QuorlLauncher.exe
  bool withSkin;        // the built skin beside it
  // The skin file's bytes written instead (null: none written).
  std::string (*skinBytes)();
  // An id file beside the program (null: none).
  std::string (*idFile)();
  bool fileCheckerRunning;  // another program holds the file checker's mutex
  // The message box's text and icon; null: the main frame comes.
  const char* boxText;
  BoxIcon boxIcon;
};

const StartupCase kStartupCases[] = {
    {"MissingSkinFileShowsInitialisationError", "QuorlLauncher.exe", false, nullptr, nullptr, false, kText20001,
     BoxIcon::kWarning},
    // A count of 200 entries with the index cut short.
    {"DamagedSkinFileShowsInitialisationError", "QuorlLauncher.exe", false,
     [] { return std::string("\xC8\x00\x00\x00", 4); }, nullptr, false, kText20001, BoxIcon::kWarning},
    // Skin files that open but could not show the launcher screen.
    {"SkinWithNoEntriesShowsInitialisationError", "QuorlLauncher.exe", false,
     [] { return std::string("\x00\x00\x00\x00\x00", 5); }, nullptr, false, kText20001, BoxIcon::kWarning},
    {"SkinWithADamagedBackgroundShowsInitialisationError", "QuorlLauncher.exe", false, &SkinWithDamagedBackground,
     nullptr, false, kText20001, BoxIcon::kWarning},
    {"RunningFileCheckerRefusesTheStart", "QuorlLauncher.exe", true, nullptr, nullptr, true, kText20003,
     BoxIcon::kWarning},
    {"NoLocalisationRecordAnywhereIsFatal", "QuorlLauncher_noid.exe", true, nullptr, nullptr, false, kText20002,
     BoxIcon::kError},
    {"DamagedIdFileFallsBackToTheBuiltInRecord", "QuorlLauncher.exe", true, nullptr,
     [] { return std::string("#### not a record ####\r\n"); }, false, nullptr, BoxIcon::kNone},
    {"IdFileBesideTheProgramIsEnough", "QuorlLauncher_noid.exe", true, nullptr,
     [] {
       const std::string record = CLocalizeInfo::EncodeRecord(1252, "E2EProfile", kLocalizeInfoServiceId, 1234567);
       return record.empty() ? record : record + "\r\n";
     },
     false, nullptr, BoxIcon::kNone},
};

class LauncherStartup : public ::testing::TestWithParam<StartupCase> {};

TEST_P(LauncherStartup, StartsAsTheFolderAllows) {
  const StartupCase& c = GetParam();
  Install in;
  Stage(in, c.withSkin, c.program);
  if (c.skinBytes != nullptr) {
    const std::string bytes = c.skinBytes();
    ASSERT_FALSE(bytes.empty());
    ASSERT_TRUE(WriteFileBytes(in.folder.File(kSkinFileName), bytes));
  }
  if (c.idFile != nullptr) {
    const std::string bytes = c.idFile();
    ASSERT_FALSE(bytes.empty());
    ASSERT_TRUE(WriteFileBytes(in.folder.File(kLocalizeInfoFileName), bytes));
  }
  HANDLE checker = nullptr;
  if (c.fileCheckerRunning) {
    checker = ::CreateMutexA(nullptr, FALSE, kFileCheckerMutexName);
    ASSERT_NE(nullptr, checker);
  }
  Process p;
  ASSERT_TRUE(Launch(p, in, ""));
  if (c.boxText != nullptr) {
    ExpectMessageBoxAndExit(p, c.boxText, c.boxIcon);
  } else {
    HWND frame = WaitForFrame(p);
    EXPECT_NE(nullptr, frame);
  }
  if (checker != nullptr) ::CloseHandle(checker);
}

INSTANTIATE_TEST_SUITE_P(Cases, LauncherStartup, ::testing::ValuesIn(kStartupCases),
                         [](const ::testing::TestParamInfo<StartupCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(LauncherFrame, ShowsTheSkinCaptionlessAndSwitchesScreens) {
  int32_t w = 0, h = 0;
  SkinBackgroundSize(&w, &h);
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_FALSE(HasCaption(frame));
  EXPECT_EQ("Quorl", WindowTextUtf8(frame));

  // The view has no border: its client area is the picture's size.
  HWND view = ::GetDlgItem(frame, AFX_IDW_PANE_FIRST);
  ASSERT_NE(nullptr, view);
  SIZE vs = ClientSize(view);
  EXPECT_EQ(w, vs.cx);
  EXPECT_EQ(h, vs.cy);

  // What the user sees is the skin: compare a patch of the background
  // (top left, away from buttons and label) with the skin's own pixels.
  // The first paint reaches the screen some time after the frame shows,
  // and not all at once: a look in between finds the lower rows drawn and
  // the upper ones still black, so one drawn pixel proves nothing. The
  // patch itself is waited for, and the last look is what is reported.
  {
    const Picture5 expected = ComposeLauncherPicture(-1, 0);
    ASSERT_EQ(w, expected.width);
    Capture shot;
    int same = 0, total = 0;
    const bool shown = WaitUntil(
        [&] {
          if (!CaptureClient(view, &shot) || shot.width != w || shot.height != h) return false;
          same = total = 0;
          for (int y = 4; y < 60; y += 7) {
            for (int x = 4; x < 160; x += 9) {
              ++total;
              if (Top5(shot.At(x, y)) == expected.At(x, y)) ++same;
            }
          }
          return same == total;
        },
        kWindowTimeout);
    if (!shot.pixels.empty()) SaveBmp(shot, kShotDir + "launcher-screen.bmp");
    EXPECT_TRUE(shown) << "the screen does not show the skin's background: " << same << " of " << total
                       << " sample pixels match";
  }

  // To the update screen: a caption, and closing is refused while updating.
  ::PostMessageA(frame, WM_COMMAND, ID_SHOW_UPDATE_VIEW, 0);
  EXPECT_TRUE(WaitUntil([&] { return HasCaption(frame); }, kWindowTimeout));
  ::PostMessageA(frame, WM_SYSCOMMAND, SC_CLOSE, 0);
  ::Sleep(300);
  EXPECT_TRUE(p.Running());
  EXPECT_TRUE(::IsWindow(frame));

  // And back: no caption, the skin's size again.
  ::PostMessageA(frame, WM_COMMAND, ID_SHOW_LAUNCHER_VIEW, 0);
  EXPECT_TRUE(WaitUntil([&] { return !HasCaption(frame); }, kWindowTimeout));
  EXPECT_TRUE(WaitUntil(
      [&] {
        HWND v = ::GetDlgItem(frame, AFX_IDW_PANE_FIRST);
        return v && ClientSize(v).cx == w && ClientSize(v).cy == h;
      },
      5000));

  // On the launcher screen the close box works again.
  ::PostMessageA(frame, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(0, p.Wait(kExitTimeout));
}

// Whether the view shows, over a button's rectangle, the picture composed
// from the skin with that button in the given frame.
bool ShowsButtonFrame(HWND view, int button, int frame) {
  const Picture5 expected = ComposeLauncherPicture(button, frame);
  const RECT r = ButtonRect(button);
  Capture shot;
  if (!CaptureClient(view, &shot) || shot.width != expected.width || shot.height != expected.height) return false;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      if (Top5(shot.At(x, y)) != expected.At(x, y)) return false;
    }
  }
  return true;
}

// The user points at Start, presses and releases the left mouse button:
// real input through the system, no command posted by the test.
TEST_F(LauncherFrame, ClickingTheStartButtonShowsTheUpdateScreen) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(WaitForScreen(frame, false));
  HWND view = ::GetDlgItem(frame, AFX_IDW_PANE_FIRST);
  ASSERT_NE(nullptr, view);
  constexpr int kStart = 0;
  constexpr int kNormal = 0, kHot = 1, kPressed = 2;
  const RECT start = ButtonRect(kStart);
  POINT at = {(start.left + start.right) / 2, (start.top + start.bottom) / 2};
  ASSERT_TRUE(::ClientToScreen(view, &at));
  ASSERT_EQ(view, ::WindowFromPoint(at)) << "the launcher is not under the pointer's target";

  // Away from the button first, so that arriving on it is a change.
  POINT away = {(start.left + start.right) / 2, start.top - 20};
  ASSERT_TRUE(::ClientToScreen(view, &away));
  ASSERT_TRUE(MoveMouseTo(away.x, away.y));
  EXPECT_TRUE(WaitUntil([&] { return ShowsButtonFrame(view, kStart, kNormal); }, kWindowTimeout));
  ASSERT_TRUE(MoveMouseTo(at.x, at.y));
  EXPECT_TRUE(WaitUntil([&] { return ShowsButtonFrame(view, kStart, kHot); }, kWindowTimeout))
      << "pointing at Start does not show its hot frame";
  ASSERT_TRUE(MouseLeftButton(true));
  EXPECT_TRUE(WaitUntil([&] { return ShowsButtonFrame(view, kStart, kPressed); }, kWindowTimeout))
      << "pressing Start does not show its pressed frame";
  EXPECT_FALSE(HasCaption(frame)) << "the press alone switched screens";
  ASSERT_TRUE(MouseLeftButton(false));
  EXPECT_TRUE(WaitForScreen(frame, true)) << "releasing on Start did not show the update screen";
  EXPECT_TRUE(p.Running());
}

// The update screen's dialog template as this process lays it out from the
// program's own resources: its client size and the Cancel button's place.
struct TemplateLayout {
  SIZE client = {0, 0};
  RECT cancel = {0, 0, 0, 0};
};

INT_PTR CALLBACK NoDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

bool LayOutUpdateTemplate(TemplateLayout* out) {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&controls);
  HMODULE exe = ::LoadLibraryExA((kBinDir + "QuorlLauncher.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!exe) return false;
  // The template is a child form: it needs a parent, which stays hidden.
  HWND parent = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  HWND form = ::CreateDialogParamA(exe, MAKEINTRESOURCEA(IDD_UPDATE_VIEW), parent, &NoDialogProc, 0);
  bool ok = form != nullptr;
  if (ok) {
    RECT rc;
    ::GetClientRect(form, &rc);
    out->client = {rc.right, rc.bottom};
    HWND cancel = ::GetDlgItem(form, IDC_UPDATE_CANCEL);
    ok = cancel != nullptr && ::GetWindowRect(cancel, &out->cancel);
    ::MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&out->cancel), 2);
    ::DestroyWindow(form);
  }
  ::DestroyWindow(parent);
  ::FreeLibrary(exe);
  return ok;
}

// Start pressed: the frame takes the template's size exactly (no scroll
// bars), stands centred on the launcher's former place, and shows the form
// with its controls where the template puts them.
TEST_F(LauncherFrame, UpdateScreenTakesItsTemplatesSizeCentredWhereTheLauncherWas) {
  TemplateLayout layout;
  ASSERT_TRUE(LayOutUpdateTemplate(&layout));
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(WaitForScreen(frame, false));
  const RECT launcher = WindowRect(frame);

  ::PostMessageA(frame, WM_COMMAND, ID_SHOW_UPDATE_VIEW, 0);
  ASSERT_TRUE(WaitForScreen(frame, true));
  HWND view = ::GetDlgItem(frame, AFX_IDW_PANE_FIRST);
  ASSERT_NE(nullptr, view);
  const SIZE client = ClientSize(view);
  EXPECT_EQ(layout.client.cx, client.cx);
  EXPECT_EQ(layout.client.cy, client.cy);
  EXPECT_EQ(0, ::GetWindowLongA(view, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)) << "a scroll bar shows";

  const RECT update = WindowRect(frame);
  const RECT work = WorkArea();
  const GeoPoint centred =
      CenterOnRectInWorkArea({launcher.left, launcher.top, launcher.right, launcher.bottom}, update.right - update.left,
                             update.bottom - update.top, {work.left, work.top, work.right, work.bottom});
  EXPECT_EQ(centred.x, update.left);
  EXPECT_EQ(centred.y, update.top);

  // What the user sees: the form's face, and the Cancel button drawn at
  // its place (its face differs from the form's somewhere on its edge).
  HWND cancel = ::GetDlgItem(view, IDC_UPDATE_CANCEL);
  ASSERT_NE(nullptr, cancel);
  RECT cancelRect;
  ::GetWindowRect(cancel, &cancelRect);
  ::MapWindowPoints(nullptr, view, reinterpret_cast<POINT*>(&cancelRect), 2);
  EXPECT_EQ(layout.cancel.left, cancelRect.left);
  EXPECT_EQ(layout.cancel.top, cancelRect.top);
  EXPECT_EQ(layout.cancel.right, cancelRect.right);
  EXPECT_EQ(layout.cancel.bottom, cancelRect.bottom);
  // The screen's paint reaches the screen a while after the switch: the
  // look is repeated until both show, or the time runs out.
  const uint32_t face = ::GetSysColor(COLOR_3DFACE);
  const uint32_t faceRgb = ((face & 0xFF) << 16) | (face & 0xFF00) | ((face >> 16) & 0xFF);
  Capture shot;
  bool faceShown = false;
  int drawn = 0;
  WaitUntil(
      [&] {
        if (!CaptureClient(view, &shot) || shot.width != client.cx || shot.height != client.cy) return false;
        faceShown = shot.At(1, client.cy - 2) == faceRgb;
        drawn = 0;
        for (int x = cancelRect.left; x < cancelRect.right; ++x) {
          if (shot.At(x, cancelRect.top) != faceRgb || shot.At(x, cancelRect.bottom - 1) != faceRgb) ++drawn;
        }
        return faceShown && drawn > (cancelRect.right - cancelRect.left) / 2;
      },
      kWindowTimeout);
  ASSERT_EQ(client.cx, shot.width);
  SaveBmp(shot, kShotDir + "update-screen.bmp");
  EXPECT_TRUE(faceShown) << "the form's face";
  EXPECT_GT(drawn, (cancelRect.right - cancelRect.left) / 2) << "no button drawn at the Cancel button's place";
}

TEST_F(LauncherFrame, StartAtOnceShowsTheUpdateScreen) {
  ASSERT_NO_FATAL_FAILURE(Start("/s"));
  EXPECT_TRUE(WaitUntil([&] { return HasCaption(frame); }, 5000));
}

TEST_F(LauncherFrame, ExitCommandEndsTheProgram) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ::PostMessageA(frame, WM_COMMAND, ID_LAUNCHER_EXIT, 0);
  EXPECT_EQ(0, p.Wait(kExitTimeout));
}

// Start-up creates "Quorl Pather Mutex" and holds it until the program ends
// (the mutex is only ever created, never probed).
TEST_F(LauncherFrame, HoldsItsOwnMutexWhileItRuns) {
  auto exists = [] {
    HANDLE m = ::OpenMutexA(SYNCHRONIZE, FALSE, kLauncherMutexName);
    if (m) ::CloseHandle(m);
    return m != nullptr;
  };
  ASSERT_FALSE(exists()) << "another launcher is running";
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_TRUE(exists());
  ::PostMessageA(frame, WM_COMMAND, ID_LAUNCHER_EXIT, 0);
  EXPECT_EQ(0, p.Wait(kExitTimeout));
  EXPECT_FALSE(exists());
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
  if (format == 0 || !::OpenClipboard(nullptr)) return false;
  ::EmptyClipboard();
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, hex.size() + 1);
  bool ok = false;
  if (block != nullptr) {
    std::memcpy(::GlobalLock(block), hex.c_str(), hex.size() + 1);
    ::GlobalUnlock(block);
    ok = ::SetClipboardData(format, block) != nullptr;
    if (!ok) ::GlobalFree(block);
  }
  ::CloseClipboard();
  return ok;
}

bool PortalDataPresent() {
  const UINT format = ::RegisterClipboardFormatA("Sabrix_ClipFormat");
  if (!::OpenClipboard(nullptr)) return false;
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
    EXPECT_EQ(nullptr, ::FindWindowA(kMainFrameClassName, nullptr));
    PressButton(dialog, IDCANCEL);
    EXPECT_NE(-1, p.Wait(kExitTimeout));
  }
}

TEST_F(LauncherFrame, LogOffIsRefusedOnlyDuringTheUpdate) {
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_EQ(TRUE, QueryEndSession(frame));

  ::PostMessageA(frame, WM_COMMAND, ID_SHOW_UPDATE_VIEW, 0);
  ASSERT_TRUE(WaitForScreen(frame, true));
  EXPECT_EQ(FALSE, QueryEndSession(frame));

  ::PostMessageA(frame, WM_COMMAND, ID_SHOW_LAUNCHER_VIEW, 0);
  ASSERT_TRUE(WaitForScreen(frame, false));
  EXPECT_EQ(TRUE, QueryEndSession(frame));
}

TEST_F(LauncherFrame, LauncherCommandOnTheLauncherScreenKeepsTheViewAndRecentres) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(WaitForScreen(frame, false));
  HWND view = ::GetDlgItem(frame, AFX_IDW_PANE_FIRST);
  ASSERT_NE(nullptr, view);
  const RECT before = WindowRect(frame);

  // Partly off the work area: centring the frame on its own place must
  // bring it back inside.
  const RECT work = WorkArea();
  MoveWindowTo(frame, work.left - 100, work.top - 50);
  ::PostMessageA(frame, WM_COMMAND, ID_SHOW_LAUNCHER_VIEW, 0);
  EXPECT_TRUE(WaitUntil([&] { return WindowRect(frame).left == work.left && WindowRect(frame).top == work.top; },
                        kWindowTimeout));
  const RECT after = WindowRect(frame);
  EXPECT_EQ(before.right - before.left, after.right - after.left);
  EXPECT_EQ(before.bottom - before.top, after.bottom - after.top);
  EXPECT_EQ(view, ::GetDlgItem(frame, AFX_IDW_PANE_FIRST)) << "the same screen was made again";
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
    ::PostMessageA(frame, WM_COMMAND, ID_SHOW_UPDATE_VIEW, 0);
    ASSERT_TRUE(WaitForScreen(frame, true));
    RECT update = WindowRect(frame);
    const int uw = update.right - update.left, uh = update.bottom - update.top;
    const int x = place.corner ? work.right - uw : (work.left + work.right - uw) / 2 + 24;
    const int y = place.corner ? work.bottom - uh : (work.top + work.bottom - uh) / 2 + 16;
    MoveWindowTo(frame, x, y);
    update = WindowRect(frame);
    ASSERT_EQ(x, update.left);

    ::PostMessageA(frame, WM_COMMAND, ID_SHOW_LAUNCHER_VIEW, 0);
    ASSERT_TRUE(WaitForScreen(frame, false));
    const RECT back = WindowRect(frame);
    EXPECT_EQ(lw, back.right - back.left);
    EXPECT_EQ(lh, back.bottom - back.top);
    const GeoPoint expected = CenterOnRectInWorkArea({update.left, update.top, update.right, update.bottom}, lw, lh,
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
