// The launcher screen's window without the application: a plain frame
// holds it, the test hands it the skin and a host of its own, and checks
// what the window does with mouse messages and commands.
#include "skin/launcher_view.h"

#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "skin/graphic_data.h"
#include "skin/skin_text_win.h"
#include "tests/e2e/win_driver.h"
#include "tests/harness/url_report.h"
#include "tests/support/test_app_win.h"

#ifndef QUORL_SKIN_FILE
#error "QUORL_SKIN_FILE must name the generated QuorlLnchr.rdl"
#endif

namespace {

class CViewTestApp : public CWinApp {
 public:
  CViewTestApp() : CWinApp("Quorl view test") {}
};
CViewTestApp theApp;

class CRecordingHost : public CLauncherViewHost {
 public:
  void RunEnvSettings() override { ++settingsRuns; }
  int settingsRuns = 0;
};

class CWebHost : public CRecordingHost {
 public:
  const char* GetSetupGuideURL() override { return setupGuide; }
  const char* GetManualURL() override { return manual; }
  const char* GetHomePageURL() override { return homePage; }
  const char* setupGuide = "http://kr.quorl.example/guide/setup.html";
  const char* manual = "http://kr.quorl.example/manual/";
  const char* homePage = "http://kr.quorl.example/";
};

// The commands posted to a window, taken off the queue.
std::vector<WPARAM> TakeCommands(HWND wnd) {
  std::vector<WPARAM> commands;
  MSG msg;
  while (::PeekMessageA(&msg, wnd, WM_COMMAND, WM_COMMAND, PM_REMOVE)) commands.push_back(msg.wParam);
  return commands;
}

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

class LauncherViewTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    AfxWinInit(::GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL);
  }

  void SetUp() override {
    ASSERT_TRUE(skin.Open(QUORL_SKIN_FILE));
    frame = new CFrameWnd;
    CCreateContext context;
    context.m_pNewViewClass = RUNTIME_CLASS(CQuorlLauncherView);
    ASSERT_TRUE(frame->Create(nullptr, "view test", WS_OVERLAPPED | WS_SYSMENU, CRect(40, 30, 640, 530), nullptr,
                              nullptr, 0, &context));
    hFrame = frame->m_hWnd;
    view = dynamic_cast<CQuorlLauncherView*>(CWnd::FromHandlePermanent(::GetDlgItem(hFrame, AFX_IDW_PANE_FIRST)));
    ASSERT_NE(nullptr, view);
    hView = view->m_hWnd;
    AfxGetApp()->m_pMainWnd = frame;
  }

  // What the frame does for the launcher: hand over, then the first update.
  void HandOver(CLauncherViewHost* host) {
    view->SetSkin(&skin);
    view->SetHost(host);
    view->SendMessage(WM_INITIALUPDATE, 0, 0);
  }

  void TearDown() override {
    ::ReleaseCapture();
    AfxGetApp()->m_pMainWnd = nullptr;
    if (hFrame != nullptr && ::IsWindow(hFrame)) ::DestroyWindow(hFrame);
    TakeCommands(nullptr);
  }

  CGraphicData skin{20, 1};
  CFrameWnd* frame = nullptr;
  HWND hFrame = nullptr;
  CQuorlLauncherView* view = nullptr;
  HWND hView = nullptr;
};

TEST_F(LauncherViewTest, ShowsTheScreenOfTheSkinItWasHanded) {
  EXPECT_EQ(nullptr, view->GetScreen().GetBackBuffer()) << "nothing before the hand-over";
  HandOver(nullptr);
  int32_t w = 0, h = 0;
  ASSERT_TRUE(skin.GetImageSize(0, &w, &h));
  CDIB* back = view->GetScreen().GetBackBuffer();
  ASSERT_NE(nullptr, back) << "a 16-bit DIB section back buffer";
  EXPECT_EQ(w, back->GetWidth());
  EXPECT_EQ(h, back->GetHeight());
  EXPECT_EQ(16, back->GetBitCount());
  EXPECT_NE(nullptr, view->GetBackBufferBitmap());
  for (int i = 0; i < 3; ++i) EXPECT_NE(nullptr, view->GetScreen().GetButton(i));
  EXPECT_EQ(nullptr, view->GetScreen().GetButton(3));
  // The window class of a game view: no class style, the black brush.
  EXPECT_EQ(0u, static_cast<UINT>(::GetClassLongPtrA(hView, GCL_STYLE)));
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(::GetStockObject(BLACK_BRUSH)), ::GetClassLongPtrA(hView, GCLP_HBRBACKGROUND));
  // No sunken edge (which the frame gives its other views): the skin
  // fills the window to its border.
  EXPECT_EQ(0, ::GetWindowLongPtrA(hView, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  RECT window, client;
  ::GetWindowRect(hView, &window);
  ::GetClientRect(hView, &client);
  EXPECT_EQ(window.right - window.left, client.right);
  EXPECT_EQ(window.bottom - window.top, client.bottom);
}

TEST_F(LauncherViewTest, TheFirstUpdateStartsTheAnimationTimer) {
  EXPECT_FALSE(::KillTimer(hView, CGameView::kAnimationTimerId));
  HandOver(nullptr);
  EXPECT_EQ(50u, view->GetAnimationPeriod()) << "the hover tick, every 50 ms";
  // Killing a timer that exists answers TRUE.
  EXPECT_TRUE(::KillTimer(hView, CGameView::kAnimationTimerId));
}

// The descriptions of the screen's commands (the first three are the
// buttons' tooltips), as the program's string table holds them.
TEST(LauncherStrings, CommandDescriptions) {
  struct Case {
    UINT id;
    const wchar_t* text;
  } const cases[] = {
      {ID_LAUNCHER_START, L"게임을 시작합니다."},
      {ID_LAUNCHER_ENV_SETTINGS, L"사용하는 환경에 맞추어서 각종 환경을 변경해 주세요."},
      {ID_LAUNCHER_EXIT, L"게임을 종료합니다."},
      {ID_LAUNCHER_SETUP_GUIDE, L"처음 시작하시는 분은 여기를 클릭해 주세요."},
      {ID_LAUNCHER_MANUAL, L"온라인 메뉴얼로 이동합니다."},
      {ID_LAUNCHER_HOMEPAGE, L"공식 사이트로 이동합니다."},
  };
  EXPECT_EQ(32773u, static_cast<UINT>(ID_LAUNCHER_START));
  EXPECT_EQ(32777u, static_cast<UINT>(ID_LAUNCHER_ENV_SETTINGS));
  EXPECT_EQ(32778u, static_cast<UINT>(ID_LAUNCHER_EXIT));
  EXPECT_EQ(32774u, static_cast<UINT>(ID_LAUNCHER_SETUP_GUIDE));
  EXPECT_EQ(32775u, static_cast<UINT>(ID_LAUNCHER_MANUAL));
  EXPECT_EQ(32776u, static_cast<UINT>(ID_LAUNCHER_HOMEPAGE));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    wchar_t text[256] = {};
    ASSERT_GT(::LoadStringW(::GetModuleHandleA(nullptr), c.id, text, 256), 0);
    EXPECT_EQ(std::wstring(c.text), std::wstring(text));
  }
}

// The real pointer (SendInput) on a shown screen: press Start, move off
// it, back onto it, release: pressed, hot while off, pressed again, and
// one command on the release.
TEST_F(LauncherViewTest, PressMoveOffAndBackThenReleaseWithTheRealPointer) {
  HandOver(nullptr);
  ASSERT_TRUE(::SetWindowPos(hFrame, HWND_TOPMOST, 40, 30, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW));
  CHilightButtonVO* start = view->GetScreen().GetButton(0);
  ASSERT_NE(nullptr, start);
  std::vector<WPARAM> posted;
  // The thread's messages, with the commands for the main window kept
  // instead of carried out.
  auto pump = [&] {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.hwnd == hFrame && msg.message == WM_COMMAND) {
        posted.push_back(msg.wParam);
        continue;
      }
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  };
  auto until = [&](auto pred) {
    return e2e::WaitUntil(
        [&] {
          pump();
          return pred();
        },
        5000);
  };
  auto moveTo = [&](int x, int y) {
    POINT p = {x, y};
    ::ClientToScreen(hView, &p);
    return e2e::MoveMouseTo(p.x, p.y);
  };
  const int onX = start->GetX() + start->GetWidth() / 2, onY = start->GetY() + start->GetHeight() / 2;
  ASSERT_NE(start, view->GetScreen().HitTestButton(20, 20));
  ASSERT_TRUE(moveTo(onX, onY));
  EXPECT_TRUE(until([&] { return start->IsHot(); }));
  ASSERT_TRUE(e2e::MouseLeftButton(true));
  EXPECT_TRUE(until([&] { return ::GetCapture() == hView; }));
  EXPECT_EQ(CHilightButtonVO::kFramePressed, start->GetFrameShown());
  ASSERT_TRUE(moveTo(20, 20));
  EXPECT_TRUE(until([&] { return start->GetFrameShown() == CHilightButtonVO::kFrameHot; }));
  ASSERT_TRUE(moveTo(onX + 3, onY + 1));
  EXPECT_TRUE(until([&] { return start->GetFrameShown() == CHilightButtonVO::kFramePressed; }));
  EXPECT_TRUE(posted.empty());
  ASSERT_TRUE(e2e::MouseLeftButton(false));
  EXPECT_TRUE(until([&] { return ::GetCapture() == nullptr && !posted.empty(); }));
  EXPECT_EQ(std::vector<WPARAM>{ID_SHOW_UPDATE_VIEW}, posted);
  EXPECT_NE(CHilightButtonVO::kFramePressed, start->GetFrameShown());
  ASSERT_TRUE(e2e::MoveMouseTo(5, 5));
}

TEST_F(LauncherViewTest, SettingsCommandGoesToTheHost) {
  CRecordingHost host;
  HandOver(&host);
  view->SendMessage(WM_COMMAND, ID_LAUNCHER_ENV_SETTINGS, 0);
  view->SendMessage(WM_COMMAND, ID_LAUNCHER_ENV_SETTINGS, 0);
  EXPECT_EQ(2, host.settingsRuns);
}

TEST_F(LauncherViewTest, SettingsCommandWithoutAHostDoesNothing) {
  HandOver(nullptr);
  view->SendMessage(WM_COMMAND, ID_LAUNCHER_ENV_SETTINGS, 0);
  EXPECT_TRUE(::IsWindow(hView));
  EXPECT_TRUE(TakeCommands(hFrame).empty());
}

// Start, then Start or Exit again: only the first reaches the main window.
TEST_F(LauncherViewTest, StartAndExitPostOnlyTheFirstCommand) {
  struct Case {
    const char* name;
    UINT first, second;
    WPARAM posted;
  } const cases[] = {
      {"Start twice", ID_LAUNCHER_START, ID_LAUNCHER_START, ID_SHOW_UPDATE_VIEW},
      {"Start then Exit", ID_LAUNCHER_START, ID_LAUNCHER_EXIT, ID_SHOW_UPDATE_VIEW},
      {"Exit then Start", ID_LAUNCHER_EXIT, ID_LAUNCHER_START, ID_APP_EXIT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    HandOver(nullptr);
    view->SendMessage(WM_COMMAND, c.first, 0);
    view->SendMessage(WM_COMMAND, c.second, 0);
    EXPECT_EQ(std::vector<WPARAM>{c.posted}, TakeCommands(hFrame));
  }
}

TEST_F(LauncherViewTest, ClickOnAButtonPostsItsCommandToTheMainWindow) {
  HandOver(nullptr);
  CHilightButtonVO* exit = view->GetScreen().GetButton(2);
  const int x = exit->GetX() + exit->GetWidth() / 2, y = exit->GetY() + exit->GetHeight() / 2;
  view->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
  EXPECT_EQ(hView, ::GetCapture());
  EXPECT_EQ(CHilightButtonVO::kFramePressed, exit->GetFrameShown());
  EXPECT_TRUE(TakeCommands(hFrame).empty());
  view->SendMessage(WM_LBUTTONUP, 0, At(x, y));
  EXPECT_EQ(nullptr, ::GetCapture());
  // One post: the frame's own command, not the button's to come back here.
  EXPECT_EQ(std::vector<WPARAM>{ID_APP_EXIT}, TakeCommands(hFrame));
}

TEST_F(LauncherViewTest, DragOutsideTheButtonsMovesTheMainWindowByThePointersWay) {
  HandOver(nullptr);
  frame->ShowWindow(SW_SHOWNOACTIVATE);
  RECT before;
  ::GetWindowRect(hFrame, &before);
  view->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
  ASSERT_EQ(hView, ::GetCapture());
  // The window moves under the pointer: the next point is taken in the
  // client area where it is now, 30 pixels right and 12 down of the start.
  view->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(50, 32));
  RECT after;
  ::GetWindowRect(hFrame, &after);
  EXPECT_EQ(before.left + 30, after.left);
  EXPECT_EQ(before.top + 12, after.top);
  EXPECT_EQ(before.right - before.left, after.right - after.left);
  view->SendMessage(WM_LBUTTONUP, 0, At(50, 32));
  EXPECT_EQ(nullptr, ::GetCapture());
  EXPECT_TRUE(TakeCommands(hFrame).empty());
}

// The web commands have no buttons: posted to the main window, as a menu
// or another program would, they reach the view and open the host's
// address through the shell, whose http handler here is the recorder.
TEST_F(LauncherViewTest, PostedWebCommandsOpenTheirAddresses) {
  CWebHost host;
  HandOver(&host);
  // As the main frame does: the view routes the frame's commands.
  frame->SetActiveView(view, FALSE);
  url_test::UrlReport report;
  struct Case {
    UINT command;
    const char* address;
  } const cases[] = {
      {ID_LAUNCHER_SETUP_GUIDE, host.setupGuide},
      {ID_LAUNCHER_MANUAL, host.manual},
      {ID_LAUNCHER_HOMEPAGE, host.homePage},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    report.Clear();
    ASSERT_TRUE(::PostMessageA(hFrame, WM_COMMAND, c.command, 0));
    EXPECT_EQ(c.address, report.WaitForAddress(10000, test_support::PumpPending));
  }
  // Start and Exit still work after them: the web commands set no flag.
  view->SendMessage(WM_COMMAND, ID_LAUNCHER_EXIT, 0);
  EXPECT_EQ(std::vector<WPARAM>{ID_APP_EXIT}, TakeCommands(hFrame));
}

TEST_F(LauncherViewTest, WebCommandsWithoutAnAddressOpenNothing) {
  CRecordingHost host;  // no addresses
  HandOver(&host);
  url_test::UrlReport report;
  for (UINT command : {ID_LAUNCHER_SETUP_GUIDE, ID_LAUNCHER_MANUAL, ID_LAUNCHER_HOMEPAGE}) {
    view->SendMessage(WM_COMMAND, command, 0);
  }
  EXPECT_EQ("", report.WaitForAddress(1000));
}

// FindExecutableA answers SE_ERR_NOASSOC only for a file whose kind has no
// program (for an address Wine answers "file not found", handler or not).
TEST(OpenURL, AnswerTable) {
  url_test::UrlReport report;
  char folder[MAX_PATH] = {};
  ::GetTempPathA(sizeof folder, folder);
  const std::string orphan = std::string(folder) + "quorl-open-url.qzzx";
  HANDLE f = ::CreateFileA(orphan.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, f);
  ::CloseHandle(f);
  // The shell is asked what it has for a kind nobody registered; only where
  // it answers "no program" does the launcher's refusal show.
  char program[MAX_PATH] = {};
  const bool noProgram =
      reinterpret_cast<INT_PTR>(::FindExecutableA(orphan.c_str(), nullptr, program)) == SE_ERR_NOASSOC;
  if (noProgram) {
    EXPECT_FALSE(CQuorlLauncherView::OpenURL(orphan.c_str())) << "no program for the file";
  }
  EXPECT_FALSE(CQuorlLauncherView::OpenURL(nullptr));
  EXPECT_FALSE(CQuorlLauncherView::OpenURL(""));
  EXPECT_EQ("", report.WaitForAddress(1000)) << "nothing was started";
  EXPECT_TRUE(CQuorlLauncherView::OpenURL("http://www.quorl.example/manual/"));
  EXPECT_EQ("http://www.quorl.example/manual/", report.WaitForAddress(10000));
  ::DeleteFileA(orphan.c_str());
}

TEST_F(LauncherViewTest, LosingTheCaptureEndsTheDrag) {
  HandOver(nullptr);
  view->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
  ASSERT_TRUE(view->GetScreen().IsDragging());
  ::ReleaseCapture();  // WM_CAPTURECHANGED to the view
  EXPECT_FALSE(view->GetScreen().IsDragging());
  RECT before, after;
  ::GetWindowRect(hFrame, &before);
  view->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(60, 60));
  ::GetWindowRect(hFrame, &after);
  EXPECT_EQ(before.left, after.left);
}

}  // namespace

namespace {

uint16_t SpritePixel(CSprite* s, int x, int y) { return static_cast<uint16_t>(s->GetPixel(x, y)); }

// The label's real GDI text: white pixels, each touching the black
// outline, on the magenta key, and no colour in between left over.
TEST(SkinText, LabelTextIsOutlinedWithoutFringes) {
  CSkinTextPainterWin painter(949);
  CVersionInfoVO label;
  label.SetPainter(&painter);
  label.SetVersions(1002003, 2004000);
  CSprite* sprite = static_cast<CSprite*>(label.GetImage());
  ASSERT_NE(nullptr, sprite);
  ASSERT_EQ(152, sprite->GetWidth());
  const uint16_t white = 0x7FFF, black = 0, magenta = 0x7C1F;
  int whites = 0, others = 0, lonely = 0;
  for (int y = 0; y < sprite->GetHeight(); ++y) {
    for (int x = 0; x < sprite->GetWidth(); ++x) {
      const uint16_t p = SpritePixel(sprite, x, y);
      if (p == white) {
        ++whites;
        bool touches = false;
        const int d[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
        for (const auto& o : d) {
          const int nx = x + o[0], ny = y + o[1];
          if (nx >= 0 && ny >= 0 && nx < sprite->GetWidth() && ny < sprite->GetHeight() &&
              SpritePixel(sprite, nx, ny) != magenta)
            touches = true;
        }
        if (!touches) ++lonely;
      } else if (p != black && p != magenta) {
        ++others;
      }
    }
  }
  EXPECT_GT(whites, 20) << "the text was drawn";
  EXPECT_EQ(0, others) << "smoothed fringes";
  EXPECT_EQ(0, lonely);
  EXPECT_EQ(magenta, sprite->GetColourKey());
  // Right-aligned: the last white column lies in the right part.
  int right = -1;
  for (int x = 0; x < sprite->GetWidth(); ++x)
    for (int y = 0; y < sprite->GetHeight(); ++y)
      if (SpritePixel(sprite, x, y) == white) right = x;
  EXPECT_GE(right, 140);
}

std::vector<uint16_t> SpritePixels(CSprite* s) {
  std::vector<uint16_t> pixels;
  for (int y = 0; y < s->GetHeight(); ++y)
    for (int x = 0; x < s->GetWidth(); ++x) pixels.push_back(SpritePixel(s, x, y));
  return pixels;
}

// The label's text as the sprite's own GDI surface draws it.
std::vector<uint16_t> LabelDrawnOnItsOwnSurface(const char* text) {
  CSprite sprite;
  sprite.CreateBlank(CVersionInfoVO::kWidth, CVersionInfoVO::kHeight, nullptr);
  sprite.Fill(0xFF00FF, 0, 0, sprite.GetWidth(), sprite.GetHeight(), CDIB::kNoKey);
  CDC* dc = sprite.GetDC(nullptr);
  EXPECT_NE(nullptr, dc);
  if (dc != nullptr) {
    HGDIOBJ old = ::SelectObject(dc->m_hDC, GetVersionLabelFont());
    ::SetBkMode(dc->m_hDC, TRANSPARENT);
    ::SetTextColor(dc->m_hDC, 0xFFFFFF);
    RECT r = {1, 0, sprite.GetWidth() - 1, sprite.GetHeight()};
    ::DrawTextA(dc->m_hDC, text, -1, &r, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    ::SelectObject(dc->m_hDC, old);
  }
  sprite.CommitDC();
  sprite.ReleaseDC();
  sprite.OutlineColour(0xFFFFFF, 0x000000, 0xFF00FF);
  return SpritePixels(&sprite);
}

// Labels share one drawing surface: each shows exactly its own text, the
// pixels the sprite's own surface gives, also when rebuilt in place.
TEST(SkinText, LabelsDrawTheirOwnTextOnly) {
  CSkinTextPainterWin painter(949);
  CVersionInfoVO first, second;
  first.SetPainter(&painter);
  second.SetPainter(&painter);
  first.SetVersions(1002003, 2004000);
  const std::vector<uint16_t> firstPixels = SpritePixels(static_cast<CSprite*>(first.GetImage()));
  EXPECT_EQ(LabelDrawnOnItsOwnSurface("Ver. 1.002/2.004"), firstPixels);
  second.SetVersions(0, 0);
  EXPECT_EQ(LabelDrawnOnItsOwnSurface("Ver. 0.000/0.000"), SpritePixels(static_cast<CSprite*>(second.GetImage())));
  first.SetVersionsIfChanged(0, 0);
  EXPECT_EQ(SpritePixels(static_cast<CSprite*>(second.GetImage())),
            SpritePixels(static_cast<CSprite*>(first.GetImage())));
  first.SetVersionsIfChanged(1002003, 2004000);
  EXPECT_EQ(firstPixels, SpritePixels(static_cast<CSprite*>(first.GetImage())));
}

// The tip's balloon: pale yellow inside a black frame, the corners outside
// the rounded rectangle on the key, its size from the measured text.
TEST(SkinText, TipIsAFramedBalloonWithTransparentCorners) {
  CSkinTextPainterWin painter(949);
  CSprite* tip = painter.BuildTipSprite(ID_LAUNCHER_START);
  ASSERT_NE(nullptr, tip);
  const int w = tip->GetWidth(), h = tip->GetHeight();
  // "게임을 시작합니다." in the menu font, measured here character by
  // character, plus the margins: a line of the widths' sum unless that
  // reaches 150 pixels.
  NONCLIENTMETRICSA m = {};
  m.cbSize = sizeof m;
  ASSERT_TRUE(::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, m.cbSize, &m, 0));
  char text[256] = {};
  ASSERT_GT(::LoadStringA(::GetModuleHandleA(nullptr), ID_LAUNCHER_START, text, sizeof text), 0);
  m.lfMenuFont.lfWeight = FW_NORMAL;
  HFONT font = ::CreateFontIndirectA(&m.lfMenuFont);
  ASSERT_NE(nullptr, font);
  HDC screen = ::GetDC(nullptr);
  HGDIOBJ old = ::SelectObject(screen, font);
  int width = 0, height = 0;
  for (const char* p = text; *p != 0;) {
    const int n = ::IsDBCSLeadByteEx(949, static_cast<BYTE>(*p)) && p[1] != 0 ? 2 : 1;
    SIZE one = {0, 0};
    ::GetTextExtentPoint32A(screen, p, n, &one);
    width += one.cx;
    if (one.cy > height) height = one.cy;
    p += n;
  }
  ::SelectObject(screen, old);
  ::ReleaseDC(nullptr, screen);
  ::DeleteObject(font);
  ASSERT_GT(width, 0);
  if (width < 150) {
    EXPECT_EQ(width + 12, w);
    EXPECT_EQ(height + 12, h);
  } else {
    EXPECT_LE(w, 150 + 12);
    EXPECT_GE(h, 2 * height + 12);
  }
  EXPECT_EQ(0x7C1Fu, tip->GetColourKey()) << "the key is the magenta corner";
  EXPECT_EQ(0x7C1F, SpritePixel(tip, 0, 0));
  EXPECT_EQ(0x7C1F, SpritePixel(tip, w - 1, h - 1));
  EXPECT_EQ(0, SpritePixel(tip, w / 2, 0)) << "the frame";
  EXPECT_EQ(0, SpritePixel(tip, 0, h / 2));
  EXPECT_EQ(PackColorRef555(0xE6FBFF), SpritePixel(tip, 3, 3)) << "inside, by the margin";
  EXPECT_FALSE(tip->HitTest(0, 0));
  EXPECT_TRUE(tip->HitTest(3, 3));
  EXPECT_EQ(0, tip->Release());
  // No string for the command, or command -1: no tip.
  EXPECT_EQ(nullptr, painter.BuildTipSprite(1));
  EXPECT_EQ(nullptr, painter.BuildTipSprite(-1));
}

// Pixels of one 5:5:5 colour in a row range of a sprite, inside its
// 6-pixel margins (the black frame lies outside them).
int CountIn(CSprite* s, uint16_t colour, int top, int bottom) {
  int n = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = 6; x < s->GetWidth() - 6; ++x) n += SpritePixel(s, x, y) == colour ? 1 : 0;
  return n;
}

// A text with a newline: the part after it is the title, drawn bold in
// dark blue on top; the part before it is drawn in black below.  A text
// that begins with the newline, or an empty one, makes no tip.
TEST(SkinText, TipTitleIsTheBoldDarkBluePartAfterTheNewline) {
  CSkinTextPainterWin painter(949);
  CSprite* plain = painter.BuildTipSpriteFor("Body");
  ASSERT_NE(nullptr, plain);
  CSprite* titled = painter.BuildTipSpriteFor("Body\nTitle");
  ASSERT_NE(nullptr, titled);
  // The title's height as DrawText measures it in the bold font, plus one.
  HFONT bold = GetToolTipFont(true);
  ASSERT_NE(nullptr, bold);
  LOGFONTA lf = {};
  ASSERT_TRUE(::GetObjectA(bold, sizeof lf, &lf));
  EXPECT_EQ(FW_BOLD, lf.lfWeight);
  HDC screen = ::GetDC(nullptr);
  HGDIOBJ old = ::SelectObject(screen, bold);
  RECT title = {0, 0, 0, 0};
  ::DrawTextA(screen, "Title", -1, &title, DT_CALCRECT | DT_NOPREFIX);
  ::SelectObject(screen, old);
  ::ReleaseDC(nullptr, screen);
  EXPECT_EQ(plain->GetHeight() + title.bottom + 1, titled->GetHeight());
  EXPECT_GE(titled->GetWidth(), title.right + 12);

  const uint16_t darkBlue = PackColorRef555(0x800000), black = 0;
  const int titleBottom = 6 + title.bottom + 1;
  EXPECT_GT(CountIn(titled, darkBlue, 6, titleBottom), 5) << "the title";
  EXPECT_EQ(0, CountIn(titled, darkBlue, titleBottom, titled->GetHeight()));
  EXPECT_GT(CountIn(titled, black, titleBottom, titled->GetHeight() - 6), 5) << "the text below it";
  EXPECT_EQ(0, CountIn(plain, darkBlue, 0, plain->GetHeight())) << "no title, no dark blue";
  EXPECT_EQ(0, plain->Release());
  EXPECT_EQ(0, titled->Release());

  EXPECT_EQ(nullptr, painter.BuildTipSpriteFor("\nTitle only"));
  EXPECT_EQ(nullptr, painter.BuildTipSpriteFor(""));
}

}  // namespace
