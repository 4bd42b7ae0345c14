// The launcher screen of the real program under Wine, as a user meets it:
// the pointer moved and the button pressed through the system's input
// queue, and what the screen shows read back from the screen and compared
// with the picture composed here from the skin file
// (tests/e2e/launcher_picture.h).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "app/launcher_names.h"
#include "app/localize.h"
#include "framework/afxres.h"
#include "res/resource.h"
#include "tests/e2e/launcher_picture.h"
#include "tests/e2e/profile_value.h"
#include "tests/e2e/win_driver.h"
#include "tests/update/pl_encoder.h"
#include "tools/fixture/login_fixture.h"

using namespace e2e;

namespace {

const std::string kBinDir = ToWindowsPath(QUORL_E2E_BIN_DIR) + "\\";
const std::string kShotDir = ToWindowsPath(QUORL_E2E_SHOT_DIR) + "\\";

constexpr DWORD kWindowTimeout = 20000;
// The tooltip shows 0.5 to 1 s after it was built and goes about 5 s after
// it showed: generous bounds for a loaded machine, never a timing check.
constexpr DWORD kTipTimeout = 10000;
constexpr DWORD kShowTimeTimeout = 20000;

const int kNormalFrames[3] = {kFrameNormal, kFrameNormal, kFrameNormal};

std::string PL(uint32_t game, uint32_t launcher) {
  return pl_encoder::Encode(game, launcher, GetServiceIdForCodePage(949));
}

RECT WindowRect(HWND wnd) {
  RECT rc = {};
  ::GetWindowRect(wnd, &rc);
  return rc;
}

bool HasCaption(HWND wnd) { return (::GetWindowLongA(wnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION; }

// Waits until the frame shows the wanted screen and has stopped moving.
bool WaitForScreen(HWND frame, bool updateScreen) {
  RECT last = {-1, -1, -1, -1};
  int steady = 0;
  return WaitUntil(
      [&] {
        const RECT now = WindowRect(frame);
        steady = HasCaption(frame) == updateScreen && ::EqualRect(&now, &last) ? steady + 1 : 0;
        last = now;
        return steady >= 5;
      },
      kWindowTimeout);
}

// The window that holds the mouse capture in the thread of wnd.
HWND CaptureOf(HWND wnd) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(wnd, nullptr), &info)) return nullptr;
  return info.hwndCapture;
}

class LauncherScreenE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(picture.IsOpen());
    // The update screen's login server takes the version request and never
    // answers, so that the update screen stays as it is.
    CFixtureScenario silent;
    silent.onVersionRequest = {CFixtureAction::Hold()};
    login.SetScenario(silent);
    ASSERT_TRUE(login.Start());
    server.Set("127.0.0.1:" + std::to_string(login.GetPort()));
    installed.Set(PL(1000000, 1000000));
  }
  void TearDown() override {
    MouseLeftButton(false);
    p.Kill();
  }

  void Start() {
    exe = folder.File("QuorlLauncher.exe");
    ASSERT_TRUE(::CopyFileA((kBinDir + "QuorlLauncher.exe").c_str(), exe.c_str(), FALSE));
    ASSERT_TRUE(CopyInto(kBinDir + kSkinFileName, folder.Path(), kSkinFileName));
    ASSERT_TRUE(p.Start(exe, "", folder.Path()));
    frame = WaitForWindow(p.Pid(), kMainFrameClassName, kWindowTimeout);
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(WaitForScreen(frame, false));
    ASSERT_NO_FATAL_FAILURE(FindView());
  }

  void FindView() {
    view = ::GetDlgItem(frame, AFX_IDW_PANE_FIRST);
    ASSERT_NE(nullptr, view);
    const SIZE scene = picture.SceneSize();
    RECT client;
    ::GetClientRect(view, &client);
    ASSERT_EQ(scene.cx, client.right);
    ASSERT_EQ(scene.cy, client.bottom);
  }

  // Moves the pointer to a point of the view's client area.
  bool PointAt(int x, int y) {
    POINT at = {x, y};
    ::ClientToScreen(view, &at);
    return MoveMouseTo(at.x, at.y);
  }
  bool PointAtButton(int button) {
    const RECT r = picture.ButtonRect(button);
    return PointAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  // A point on the background: on no button, no tip and not the label.
  bool PointAway() { return PointAt(20, 200); }

  Capture Shot() {
    Capture shot;
    CaptureClient(view, &shot);
    return shot;
  }
  int Differences(const Picture5& expected, const RECT& r, const RECT* skip = nullptr) {
    return CountDifferences(Shot(), expected, r, skip);
  }
  bool Shows(const Picture5& expected, const RECT& r, const RECT* skip = nullptr) {
    return Differences(expected, r, skip) == 0;
  }

  const CLauncherPicture picture{kBinDir + kSkinFileName, kBinDir + "QuorlLauncher.exe"};
  CLoginFixture login;
  CSavedProfileString server{kLoginKey, "Server"};
  CSavedProfileString installed{kAppKey, "PL"};
  TempFolder folder;  // outlives the process, which is ended first
  std::string exe;
  Process p;
  HWND frame = nullptr;
  HWND view = nullptr;
};

// What is wrong with the tooltip box at tip in the capture, against the
// picture without it (empty: it stands there as drawn): a 1-pixel black
// frame round a pale-yellow rounded box, a 6-pixel margin free of text,
// text inside it, and the corners outside the rounded rectangle and the
// pixels round the box showing what lies below.
std::string TipFault(const Capture& shot, const Picture5& below, const RECT& tip) {
  if (shot.width != below.width || shot.height != below.height) return "no capture";
  const uint32_t yellow = ColorRef5(0xE6FBFF), black = 0;
  auto px = [&](int x, int y) { return Top5(shot.At(x, y)); };
  auto inside = [&](int x, int y) { return x >= 0 && y >= 0 && x < shot.width && y < shot.height; };
  const int l = tip.left, t = tip.top, r = tip.right, b = tip.bottom;
  const int xm = (l + r) / 2, ym = (t + b) / 2;
  char where[64];
  auto at = [&](const char* what, int x, int y) {
    std::snprintf(where, sizeof where, "%s at (%d, %d)", what, x, y);
    return std::string(where);
  };
  // Round the box: what lies below.
  const int around[4][2] = {{l - 1, ym}, {r, ym}, {xm, t - 1}, {xm, b}};
  for (const auto& a : around)
    if (inside(a[0], a[1]) && px(a[0], a[1]) != below.At(a[0], a[1]))
      return at("not the picture round the box", a[0], a[1]);
  const int corners[4][2] = {{l, t}, {r - 1, t}, {l, b - 1}, {r - 1, b - 1}};
  for (const auto& c : corners)
    if (px(c[0], c[1]) != below.At(c[0], c[1])) return at("a corner not transparent", c[0], c[1]);
  // The frame: the first pixel in from the left and the top; on the right
  // and the bottom within the last two (the rounded region's edge).
  if (px(l, ym) != black) return at("no frame", l, ym);
  if (px(xm, t) != black) return at("no frame", xm, t);
  if (px(r - 1, ym) != black && px(r - 2, ym) != black) return at("no frame", r - 1, ym);
  if (px(xm, b - 1) != black && px(xm, b - 2) != black) return at("no frame", xm, b - 1);
  // The margin: pale yellow all round, away from the rounded corners.
  for (int y = t + 1; y < t + 6; ++y)
    for (int x = l + 4; x < r - 4; ++x)
      if (px(x, y) != yellow) return at("margin not pale yellow", x, y);
  for (int y = b - 5; y < b - 2; ++y)
    for (int x = l + 4; x < r - 4; ++x)
      if (px(x, y) != yellow) return at("margin not pale yellow", x, y);
  for (int y = t + 4; y < b - 4; ++y) {
    for (int x = l + 1; x < l + 6; ++x)
      if (px(x, y) != yellow) return at("margin not pale yellow", x, y);
    for (int x = r - 5; x < r - 2; ++x)
      if (px(x, y) != yellow) return at("margin not pale yellow", x, y);
  }
  int text = 0;
  for (int y = t + 6; y < b - 6; ++y)
    for (int x = l + 6; x < r - 6; ++x)
      if (px(x, y) != yellow) ++text;
  if (text == 0) return "no text in the box";
  return std::string();
}

const char* ButtonName(int button) {
  static const char* const names[3] = {"Start", "Settings", "Exit"};
  return names[button];
}

}  // namespace

// Pointing at each button builds its tip from the button's command string;
// the tip shows after its delay, centred above the button, sized by that
// string as this prefix's menu font measures it, and goes at the first
// tooltip tick after the pointer has left.
TEST_F(LauncherScreenE2E, TooltipShowsOverThePointedButtonAndGoesWhenThePointerLeaves) {
  ASSERT_NO_FATAL_FAILURE(Start());
  const Picture5 screen = picture.Screen(kNormalFrames, "Ver. 1.000/1.000");
  for (int button : {kStartButton, kSettingsButton, kExitButton}) {
    SCOPED_TRACE(ButtonName(button));
    const RECT tip = picture.TipRect(button);
    ASSERT_FALSE(::IsRectEmpty(&tip)) << "no string for the button's command";
    const RECT anchor = picture.ButtonRect(button);
    EXPECT_EQ(anchor.top - 1, tip.bottom) << "just above the button";
    ASSERT_TRUE(PointAway());
    ASSERT_TRUE(WaitUntil([&] { return Shows(screen, tip); }, kTipTimeout)) << "a tip stays up";

    const DWORD pointed = ::GetTickCount();
    ASSERT_TRUE(PointAtButton(button));
    std::string fault;
    const bool shown = WaitUntil([&] { return (fault = TipFault(Shot(), screen, tip)).empty(); }, kTipTimeout);
    const DWORD took = ::GetTickCount() - pointed;
    if (!shown) SaveBmp(Shot(), kShotDir + "tooltip-" + ButtonName(button) + ".bmp");
    EXPECT_TRUE(shown) << fault;
    std::printf("[ tooltip ] %s: shown %lu ms after the pointer came\n", ButtonName(button),
                static_cast<unsigned long>(took));

    ASSERT_TRUE(PointAway());
    EXPECT_TRUE(WaitUntil([&] { return Shows(screen, tip); }, kTipTimeout)) << "the tip stays after the pointer left";
  }
}

// A tip under a pointer that does not move goes after its show time, and
// the button stays hot.
TEST_F(LauncherScreenE2E, TooltipGoesAfterItsShowTimeWhileThePointerStays) {
  ASSERT_NO_FATAL_FAILURE(Start());
  const Picture5 screen = picture.Screen(kNormalFrames, "Ver. 1.000/1.000");
  const RECT tip = picture.TipRect(kStartButton);
  ASSERT_TRUE(PointAway());
  ASSERT_TRUE(PointAtButton(kStartButton));
  std::string fault;
  ASSERT_TRUE(WaitUntil([&] { return (fault = TipFault(Shot(), screen, tip)).empty(); }, kTipTimeout)) << fault;
  const DWORD shownAt = ::GetTickCount();
  EXPECT_TRUE(WaitUntil([&] { return Shows(screen, tip); }, kShowTimeTimeout)) << "the tip never went";
  std::printf("[ tooltip ] shown for %lu ms\n", static_cast<unsigned long>(::GetTickCount() - shownAt));
  const int hotFrames[3] = {kFrameHot, kFrameNormal, kFrameNormal};
  const Picture5 hot = picture.Screen(hotFrames, "Ver. 1.000/1.000");
  EXPECT_TRUE(Shows(hot, picture.ButtonRect(kStartButton))) << "the button under the pointer is no longer hot";
}

// The label reads the installed versions from "PL", and shows 0.000/0.000
// without it; its pixels are the composed text with its outline, exactly.
TEST_F(LauncherScreenE2E, VersionLabelShowsTheInstalledVersions) {
  struct Row {
    const char* name;
    bool written;
    uint32_t game, launcher;
    const char* text;
  } const rows[] = {
      {"PL 1.002003 / 2.004000", true, 1002003, 2004000, "Ver. 1.002/2.004"},
      {"no PL", false, 0, 0, "Ver. 0.000/0.000"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.written)
      installed.Set(PL(row.game, row.launcher));
    else
      installed.Delete();
    ASSERT_NO_FATAL_FAILURE(Start());
    Picture5 expected = picture.Background();
    picture.DrawLabel(&expected, row.text);
    const RECT label = picture.LabelRect();
    const bool same = WaitUntil([&] { return Shows(expected, label); }, kTipTimeout);
    if (!same) SaveBmp(Shot(), kShotDir + "label-" + (row.written ? "pl" : "none") + ".bmp");
    EXPECT_TRUE(same) << Differences(expected, label) << " pixels of the label differ from \"" << row.text << "\"";
    p.Kill();
  }
}

// Back from the update screen the launcher screen is made anew and reads
// "PL" again.
TEST_F(LauncherScreenE2E, VersionLabelIsReadAgainAfterBackFromTheUpdateScreen) {
  ASSERT_NO_FATAL_FAILURE(Start());
  const RECT label = picture.LabelRect();
  Picture5 before = picture.Background(), after = picture.Background();
  picture.DrawLabel(&before, "Ver. 1.000/1.000");
  picture.DrawLabel(&after, "Ver. 1.002/2.004");
  ASSERT_TRUE(WaitUntil([&] { return Shows(before, label); }, kTipTimeout));

  ::PostMessageA(frame, WM_COMMAND, ID_SHOW_UPDATE_VIEW, 0);
  ASSERT_TRUE(WaitForScreen(frame, true));
  installed.Set(PL(1002003, 2004000));
  ::PostMessageA(frame, WM_COMMAND, ID_SHOW_LAUNCHER_VIEW, 0);
  ASSERT_TRUE(WaitForScreen(frame, false));
  ASSERT_NO_FATAL_FAILURE(FindView());
  EXPECT_TRUE(WaitUntil([&] { return Shows(after, label); }, kTipTimeout))
      << Differences(after, label) << " pixels of the label differ from \"Ver. 1.002/2.004\"";
}

// Pressing on the background and moving the pointer by 30 pixels moves the
// window by 30 pixels: the point where the drag started stays under the
// pointer.
TEST_F(LauncherScreenE2E, DraggingTheBackgroundMovesTheWindowWithThePointer) {
  ASSERT_NO_FATAL_FAILURE(Start());
  struct Row {
    const char* name;
    int dx, dy;
  } const rows[] = {{"right", 30, 0}, {"down", 0, 30}, {"up and left", -30, -30}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const RECT before = WindowRect(frame);
    POINT start = {20, 200};
    ::ClientToScreen(view, &start);
    ASSERT_TRUE(MoveMouseTo(start.x, start.y));
    ASSERT_TRUE(MouseLeftButton(true));
    ASSERT_TRUE(WaitUntil([&] { return CaptureOf(view) == view; }, kWindowTimeout)) << "the press took no capture";
    // In steps, as a hand moves: each step's message is taken where the
    // window then is.
    for (int step = 1; step <= 3; ++step) {
      const int dx = row.dx * step / 3, dy = row.dy * step / 3;
      ASSERT_TRUE(MoveMouseTo(start.x + dx, start.y + dy));
      EXPECT_TRUE(WaitUntil(
          [&] {
            const RECT now = WindowRect(frame);
            return now.left == before.left + dx && now.top == before.top + dy;
          },
          kWindowTimeout))
          << "step " << step;
    }
    ASSERT_TRUE(MouseLeftButton(false));
    EXPECT_TRUE(WaitUntil([&] { return CaptureOf(view) == nullptr; }, kWindowTimeout)) << "the capture stays";
    const RECT after = WindowRect(frame);
    EXPECT_EQ(before.left + row.dx, after.left);
    EXPECT_EQ(before.top + row.dy, after.top);
    EXPECT_EQ(before.right - before.left, after.right - after.left);
    EXPECT_EQ(before.bottom - before.top, after.bottom - after.top);
    // And the pointer still stands on the same point of the window.
    POINT client = {start.x + row.dx, start.y + row.dy};
    ::ScreenToClient(view, &client);
    EXPECT_EQ(20, client.x);
    EXPECT_EQ(200, client.y);
  }
}

// A real click on Settings opens the settings dialog over the launcher;
// once it is closed the screen shows its picture again, the Settings
// button in its normal or hot frame (the hover tick keeps running while
// the dialog is up, and the pointer is still on the button).
TEST_F(LauncherScreenE2E, AfterTheSettingsDialogTheScreenIsRedrawn) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(PointAway());
  ASSERT_TRUE(PointAtButton(kSettingsButton));
  Picture5 pressed = picture.Background();
  picture.BlendButton(&pressed, kSettingsButton, kFramePressed);
  ASSERT_TRUE(MouseLeftButton(true));
  EXPECT_TRUE(WaitUntil([&] { return Shows(pressed, picture.ButtonRect(kSettingsButton)); }, kWindowTimeout))
      << "pressing Settings does not show its pressed frame";
  ASSERT_TRUE(MouseLeftButton(false));

  HWND dialog = WaitForWindow(p.Pid(), "#32770", kWindowTimeout);
  ASSERT_NE(nullptr, dialog) << "no settings dialog";
  EXPECT_EQ("Quorl 환경설정", WindowTextUtf8(dialog));
  EXPECT_EQ(frame, ::GetWindow(dialog, GW_OWNER)) << "owned by the launcher's window";
  RECT shown = {}, over = {};
  ::GetWindowRect(view, &shown);
  const RECT dialogRect = WindowRect(dialog);
  EXPECT_TRUE(::IntersectRect(&over, &shown, &dialogRect)) << "the dialog does not cover the screen";
  PressButton(dialog, IDCANCEL);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }, kWindowTimeout));

  // The Settings button's own tip may come up meanwhile: its place is left
  // out of the comparison.
  const RECT tip = picture.TipRect(kSettingsButton);
  const Picture5 normal = picture.Screen(kNormalFrames, "Ver. 1.000/1.000");
  const int hotFrames[3] = {kFrameNormal, kFrameHot, kFrameNormal};
  const Picture5 hot = picture.Screen(hotFrames, "Ver. 1.000/1.000");
  const RECT all = WholeOf(normal);
  const bool redrawn = WaitUntil([&] { return Shows(normal, all, &tip) || Shows(hot, all, &tip); }, kWindowTimeout);
  if (!redrawn) SaveBmp(Shot(), kShotDir + "after-settings.bmp");
  EXPECT_TRUE(redrawn) << Differences(hot, all, &tip) << " pixels differ from the screen with Settings hot";
  EXPECT_TRUE(p.Running());
}
