// The launcher screen's rules without a window: the composed scene, the
// buttons' places and frames, the hover tick, press and release, the drag,
// the single Start/Exit, the tooltip's life over a button, the label, and
// which skins the screen can show.
#include "skin/launcher_screen.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/afxres.h"
#include "res/resource.h"
#include "skin/graphic_data.h"
#include "tools/mkskin/rdl_writer.h"

namespace {

constexpr uint32_t kLauncherFlags = 1;
constexpr int kW = 320, kH = 400;
constexpr int kButtonW = 100, kButtonH = 24;
constexpr int kBannerW = 120, kBannerH = 20;

struct Rgba {
  uint8_t r, g, b, a;
};

uint16_t Pixel(uint32_t r, uint32_t g, uint32_t b) { return PackRgb555(r, g, b); }

// An image in the launcher's form: every pixel index 1, except index 0 at
// (0, 0) and index 2 at (1, 0); palette entries 0, 1 and 2 as given.
std::vector<uint8_t> Image(int w, int h, Rgba c1, Rgba c0 = {0, 0, 0, 0}, Rgba c2 = {0, 0, 0, 0}) {
  std::vector<uint8_t> bytes(static_cast<size_t>(w) * h + 1024, 0);
  for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) bytes[i] = 1;
  bytes[0] = 0;
  if (w > 1) bytes[1] = 2;
  uint8_t* pal = bytes.data() + static_cast<size_t>(w) * h;
  const Rgba cs[3] = {c0, c1, c2};
  for (int i = 0; i < 3; ++i) {
    pal[4 * i] = cs[i].b;
    pal[4 * i + 1] = cs[i].g;
    pal[4 * i + 2] = cs[i].r;
    pal[4 * i + 3] = cs[i].a;
  }
  return bytes;
}

// Frame f of button n: a colour of its own, opaque.
Rgba FrameColour(int button, int frame) {
  return {static_cast<uint8_t>(100 + 10 * button), static_cast<uint8_t>(50 + 40 * frame), 7, 255};
}

const Rgba kBackground = {30, 20, 10, 255};
const Rgba kBanner = {1, 2, 3, 255};
// Drawn at (1, 0) of every button frame: half transparent.
const Rgba kHalf = {50, 100, 200, 128};

// The launcher's skin in small: background, banner, and the three buttons'
// frames at entries 2-4, 14-16 and 17-19 (the rest filler).  The entries
// in damaged are 6 rows shorter than the rest of their button.
std::vector<uint8_t> LauncherSkin(const std::vector<int>& damaged = {}) {
  CRdlWriter w;
  w.AddPacked(kW, kH, Image(kW, kH, kBackground));
  w.AddRaw(kBannerW, kBannerH, Image(kBannerW, kBannerH, kBanner));
  const int firsts[3] = {2, 14, 17};
  for (int entry = 2; entry < 20; ++entry) {
    int button = -1, frame = 0;
    for (int b = 0; b < 3; ++b) {
      if (entry >= firsts[b] && entry < firsts[b] + 3) {
        button = b;
        frame = entry - firsts[b];
      }
    }
    if (button < 0) {
      w.AddRaw(4, 4, Image(4, 4, {9, 9, 9, 255}));
      continue;
    }
    bool shorter = false;
    for (int d : damaged) shorter = shorter || d == entry;
    const int h = shorter ? kButtonH - 6 : kButtonH;
    w.AddPacked(kButtonW, h, Image(kButtonW, h, FrameColour(button, frame), {}, kHalf));
  }
  return w.Build();
}

class LauncherScreenTest : public testing::Test {
 protected:
  // Builds tips of a fixed size for the strings that have them.
  class CFakePainter : public CSkinTextPainter {
   public:
    CSprite* BuildTipSprite(int command) override {
      ++built;
      if (command != ID_LAUNCHER_START && command != ID_LAUNCHER_ENV_SETTINGS && command != ID_LAUNCHER_EXIT)
        return nullptr;
      CSprite* s = new CSprite;
      s->CreateBlank(40, 20, nullptr);
      s->Fill(0xE6FBFF, 0, 0, -1, -1, 0);
      s->AddRef();
      return s;
    }
    void DrawLabelText(CSprite*, const char* text) override { label = text; }
    int built = 0;
    std::string label;
  };
  class CFakeHost : public CLauncherScreenHost {
   public:
    bool ReadInstalledVersions(uint32_t* g, uint32_t* l) override {
      *g = game;
      *l = launcher;
      return readable;
    }
    bool readable = true;
    uint32_t game = 1002003, launcher = 2004000;
  };

  void SetUp() override {
    bytes = MakeSkin();
    ASSERT_TRUE(skin.OpenMemory(bytes.data(), bytes.size()));
    CLauncherScreen::s_nLastTipCommand = -1;
    screen.SetSkin(&skin);
    screen.SetPainter(&painter);
    screen.SetHost(&host);
    screen.InitVisualObjects();
    screen.BuildScreen();
    ASSERT_NE(nullptr, screen.GetBackBuffer());
  }

  virtual std::vector<uint8_t> MakeSkin() { return LauncherSkin(); }

  uint16_t At(int x, int y) const {
    uint16_t v;
    std::memcpy(&v, screen.GetBackBuffer()->GetPixelAddress(x, y), 2);
    return v;
  }
  uint16_t ButtonColour(int n) const {
    CHilightButtonVO* b = screen.GetButton(n);
    return At(b->GetX() + 5, b->GetY() + 5);
  }
  uint16_t Expected(int button, int frame) const {
    const Rgba c = FrameColour(button, frame);
    return Pixel(c.r, c.g, c.b);
  }
  // Hover ticks 50 ms apart, as the view's timer makes them.
  void Ticks(int x, int y, int n) {
    for (int i = 0; i < n; ++i) {
      now += 50;
      screen.OnHoverTick(x, y, false, now);
    }
  }

  std::vector<uint8_t> bytes;
  CGraphicData skin{20, kLauncherFlags};
  CFakePainter painter;
  CFakeHost host;
  CLauncherScreen screen;
  uint32_t now = 10000;
};

TEST_F(LauncherScreenTest, ButtonsStandAtTheirPlacesWithTheirFirstFramesSize) {
  struct Want {
    int x, y, command;
  } const want[] = {
      {179, 236, ID_LAUNCHER_START},
      {179, 268, ID_LAUNCHER_ENV_SETTINGS},
      {179, 300, ID_LAUNCHER_EXIT},
  };
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    CHilightButtonVO* b = screen.GetButton(i);
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(want[i].x, b->GetX());
    EXPECT_EQ(want[i].y, b->GetY());
    EXPECT_EQ(want[i].command, b->GetCommandId());
    EXPECT_EQ(kButtonW, b->GetWidth());
    EXPECT_EQ(kButtonH, b->GetHeight());
    EXPECT_EQ(3, b->GetFrameCount());
    EXPECT_EQ(0, b->GetFrameShown());
  }
  EXPECT_EQ(nullptr, screen.GetButton(3));
  EXPECT_EQ(kW, screen.GetBackBuffer()->GetWidth());
  EXPECT_EQ(kH, screen.GetBackBuffer()->GetHeight());
}

TEST_F(LauncherScreenTest, PictureIsTheSkinBlendedInOrder) {
  const uint16_t bg = Pixel(kBackground.r, kBackground.g, kBackground.b);
  EXPECT_EQ(bg, At(10, 10));
  EXPECT_EQ(0, At(0, 0)) << "the background's transparent pixel leaves the black scene";
  const int bannerX = (kW - kBannerW) / 2;
  EXPECT_EQ(Pixel(kBanner.r, kBanner.g, kBanner.b), At(bannerX + 3, 356 + 3));
  EXPECT_EQ(bg, At(bannerX + 3, 355));
  EXPECT_EQ(bg, At(bannerX - 1, 360));
  // A button's half-transparent pixel over the background, in 5:5:5: the
  // background comes back as its top five bits shifted by 3.
  const uint32_t br = kBackground.r & 0xF8, bgc = kBackground.g & 0xF8, bb = kBackground.b & 0xF8;
  for (int n = 0; n < 3; ++n) {
    SCOPED_TRACE(n);
    CHilightButtonVO* b = screen.GetButton(n);
    EXPECT_EQ(Expected(n, 0), ButtonColour(n));
    EXPECT_EQ(bg, At(b->GetX(), b->GetY()));
    EXPECT_EQ(Pixel((50 * 128 + br * 127) / 255, (100 * 128 + bgc * 127) / 255, (200 * 128 + bb * 127) / 255),
              At(b->GetX() + 1, b->GetY()));
  }
}

TEST_F(LauncherScreenTest, HitTestCoversTheOpaquePixelsOfTheFrame) {
  struct Case {
    int x, y, hit;
  } const cases[] = {
      {179, 236, -1},  // the frame's transparent corner pixel
      {180, 236, 0},   // half transparent still hits
      {179 + kButtonW - 1, 236 + kButtonH - 1, 0},
      {179 + kButtonW, 240, -1},
      {178, 240, -1},
      {200, 235, -1},
      {200, 236 + kButtonH, -1},
      {200, 268 + 3, 1},
      {200, 300 + 3, 2},
      {0, 0, -1},
      {-5, -5, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    CHilightButtonVO* b = screen.HitTestButton(c.x, c.y);
    EXPECT_EQ(c.hit < 0 ? nullptr : screen.GetButton(c.hit), b);
  }
}

TEST_F(LauncherScreenTest, HoverTickShowsFrame0ThenTheHotFrame) {
  const int x = 200, y = 240;
  Ticks(20, 20, 1);
  Ticks(x, y, 1);
  EXPECT_EQ(Expected(0, 0), ButtonColour(0)) << "the tick where the pointer enters";
  Ticks(x, y, 1);
  EXPECT_EQ(Expected(0, 1), ButtonColour(0));
  Ticks(x + 5, y, 3);
  EXPECT_EQ(Expected(0, 1), ButtonColour(0));
  Ticks(x, 305, 1);  // to Exit
  EXPECT_EQ(Expected(0, 0), ButtonColour(0));
  EXPECT_EQ(Expected(2, 0), ButtonColour(2));
  Ticks(x, 305, 1);
  EXPECT_EQ(Expected(2, 1), ButtonColour(2));
  // Nothing hovers while the view holds the capture.
  now += 50;
  screen.OnHoverTick(x, y, true, now);
  EXPECT_EQ(Expected(2, 1), ButtonColour(2));
  EXPECT_EQ(Expected(0, 0), ButtonColour(0));
}

// One press-and-release sequence in client coordinates.
struct Step {
  enum Kind { kDown, kMove, kUp } kind;
  int x, y;
  int startFrame;    // Start's frame afterwards
  bool capture;      // the reply asks for the capture
  bool release;      // ... gives it back
  uint32_t command;  // ... posts this command
};

struct Sequence {
  const char* name;
  std::vector<Step> steps;
};

class PressReleaseTest : public LauncherScreenTest, public testing::WithParamInterface<Sequence> {};

TEST_P(PressReleaseTest, FramesAndCommand) {
  for (const Step& s : GetParam().steps) {
    SCOPED_TRACE(testing::Message() << s.kind << " at " << s.x << "," << s.y);
    CLauncherScreen::Reply r;
    if (s.kind == Step::kDown) r = screen.ButtonDown(s.x, s.y);
    if (s.kind == Step::kMove) r = screen.MouseMove(s.x, s.y, true);
    if (s.kind == Step::kUp) r = screen.ButtonUp(s.x, s.y, true);
    EXPECT_EQ(s.startFrame, screen.GetButton(0)->GetFrameShown());
    EXPECT_EQ(Expected(0, s.startFrame), ButtonColour(0));
    EXPECT_EQ(s.capture, r.capture);
    EXPECT_EQ(s.release, r.release);
    EXPECT_EQ(s.command, r.command);
  }
  EXPECT_EQ(nullptr, screen.GetPressedButton());
  EXPECT_FALSE(screen.IsDragging());
}

const int kOnStart = 200, kStartY = 240, kOffX = 20;

INSTANTIATE_TEST_SUITE_P(
    Sequences, PressReleaseTest,
    testing::Values(Sequence{"ClickSendsTheCommand",
                             {{Step::kDown, kOnStart, kStartY, 2, true, false, 0},
                              {Step::kUp, kOnStart, kStartY, 0, false, true, ID_SHOW_UPDATE_VIEW}}},
                    Sequence{"OffAndBackOnShowsHotThenPressed",
                             {{Step::kDown, kOnStart, kStartY, 2, true, false, 0},
                              {Step::kMove, kOffX, kStartY, 1, false, false, 0},
                              {Step::kMove, kOnStart + 10, kStartY + 2, 2, false, false, 0},
                              {Step::kUp, kOnStart + 10, kStartY + 2, 0, false, true, ID_SHOW_UPDATE_VIEW}}},
                    Sequence{"ReleaseBesideTheButtonSendsNothing",
                             {{Step::kDown, kOnStart, kStartY, 2, true, false, 0},
                              {Step::kMove, kOffX, kStartY, 1, false, false, 0},
                              {Step::kUp, kOffX, kStartY, 0, false, true, 0}}},
                    Sequence{"ReleaseOverAnotherButtonSendsNothing",
                             {{Step::kDown, kOnStart, kStartY, 2, true, false, 0},
                              {Step::kUp, kOnStart, 305, 0, false, true, 0}}}),
    [](const testing::TestParamInfo<Sequence>& info) { return std::string(info.param.name); });

// A damaged skin: Start's hot and pressed frames (entries 3 and 4) are
// shorter than its normal frame, so they cannot be drawn at the button's
// size.
class DamagedSkinTest : public LauncherScreenTest {
 protected:
  std::vector<uint8_t> MakeSkin() override { return LauncherSkin({3, 4}); }
};

// The button keeps showing its normal frame, and reacts by it, steadily:
// under a resting pointer tick after tick, and to every press.
TEST_F(DamagedSkinTest, AButtonWhoseHotAndPressedFramesCannotBeDrawnStaysSteady) {
  CHilightButtonVO* start = screen.GetButton(0);
  ASSERT_NE(nullptr, start);
  ASSERT_TRUE(start->CanDrawFrame(0));
  ASSERT_FALSE(start->CanDrawFrame(1));
  std::string shown, hits;
  for (int i = 0; i < 12; ++i) {
    Ticks(kOnStart, kStartY, 1);
    shown += ButtonColour(0) == Expected(0, 0) ? 'n' : '-';
    hits += screen.HitTestButton(kOnStart, kStartY) == start ? 'h' : '-';
  }
  EXPECT_EQ(std::string(12, 'n'), shown);
  EXPECT_EQ(std::string(12, 'h'), hits);
  EXPECT_TRUE(start->IsHot());
  EXPECT_EQ(0, start->GetDrawnFrame());
  int pressed = 0, drags = 0;
  for (int i = 0; i < 12; ++i) {
    Ticks(kOnStart, kStartY, 1);
    screen.ButtonDown(kOnStart, kStartY);
    pressed += screen.GetPressedButton() == start ? 1 : 0;
    drags += screen.IsDragging() ? 1 : 0;
    EXPECT_EQ(Expected(0, 0), ButtonColour(0)) << "pressed";
    screen.ButtonUp(kOnStart, kStartY, true);
  }
  EXPECT_EQ(12, pressed);
  EXPECT_EQ(0, drags);
  // The sound Settings button shows its hot frame as ever.
  Ticks(kOnStart, 272, 2);
  EXPECT_EQ(Expected(1, 1), ButtonColour(1));
}

TEST_F(LauncherScreenTest, ReleaseWithoutTheCaptureSendsNothing) {
  screen.ButtonDown(kOnStart, kStartY);
  EXPECT_EQ(0u, screen.ButtonUp(kOnStart, kStartY, false).command);
  // A move after the capture went away drops the held button.
  screen.ButtonDown(kOnStart, kStartY);
  screen.MouseMove(kOnStart, kStartY, false);
  EXPECT_EQ(nullptr, screen.GetPressedButton());
  EXPECT_EQ(1, screen.GetButton(0)->GetFrameShown());
}

TEST_F(LauncherScreenTest, PressOutsideTheButtonsDragsTheWindow) {
  CLauncherScreen::Reply r = screen.ButtonDown(10, 20);
  EXPECT_TRUE(r.capture);
  EXPECT_TRUE(screen.IsDragging());
  r = screen.MouseMove(40, 20, true);
  EXPECT_TRUE(r.moveWindow);
  int x = 0, y = 0;
  screen.DragPosition(530, 300, 100, 50, 92, 20, &x, &y);
  EXPECT_EQ(530 - 10 - 100 + 92, x);
  EXPECT_EQ(300 - 20 - 50 + 20, y);
  r = screen.ButtonDown(60, 60);
  EXPECT_FALSE(r.capture) << "a press while dragging does not restart the drag";
  screen.DragPosition(530, 300, 100, 50, 92, 20, &x, &y);
  EXPECT_EQ(530 - 10 - 100 + 92, x);
  r = screen.ButtonUp(40, 20, true);
  EXPECT_TRUE(r.release);
  EXPECT_EQ(0u, r.command);
  EXPECT_FALSE(screen.IsDragging());
}

TEST_F(LauncherScreenTest, DragAndPressEndWhenTheCaptureIsGone) {
  for (int way = 0; way < 3; ++way) {
    SCOPED_TRACE(way);
    screen.ButtonDown(10, 20);
    ASSERT_TRUE(screen.IsDragging());
    if (way == 0) {
      EXPECT_FALSE(screen.MouseMove(30, 30, false).moveWindow);
    }
    if (way == 1) screen.CaptureLost();
    if (way == 2) screen.CancelMode();
    EXPECT_FALSE(screen.IsDragging());
    EXPECT_FALSE(screen.ButtonUp(30, 30, true).release);
  }
  screen.ButtonDown(kOnStart, kStartY);
  screen.CancelMode();
  EXPECT_EQ(nullptr, screen.GetPressedButton());
  EXPECT_EQ(0u, screen.ButtonUp(kOnStart, kStartY, true).command);
}

TEST_F(LauncherScreenTest, StartAndExitShareOneShot) {
  EXPECT_TRUE(screen.FireOnce());
  EXPECT_FALSE(screen.FireOnce());
  EXPECT_FALSE(screen.FireOnce());
}

// A button's command becomes the one command the main window gets: Start
// and Exit the frame's own, the first of them only; others as they are.
TEST(LauncherScreenCommands, StartAndExitBecomeTheFramesCommandOnce) {
  struct Case {
    const char* name;
    uint32_t first, second;
    uint32_t firstPosted, secondPosted;
  } const cases[] = {
      {"Start twice", ID_LAUNCHER_START, ID_LAUNCHER_START, ID_SHOW_UPDATE_VIEW, 0},
      {"Start then Exit", ID_LAUNCHER_START, ID_LAUNCHER_EXIT, ID_SHOW_UPDATE_VIEW, 0},
      {"Exit then Start", ID_LAUNCHER_EXIT, ID_LAUNCHER_START, ID_APP_EXIT, 0},
      {"Settings, then Start", ID_LAUNCHER_ENV_SETTINGS, ID_LAUNCHER_START, ID_LAUNCHER_ENV_SETTINGS,
       ID_SHOW_UPDATE_VIEW},
      {"Start, then Settings", ID_LAUNCHER_START, ID_LAUNCHER_ENV_SETTINGS, ID_SHOW_UPDATE_VIEW,
       ID_LAUNCHER_ENV_SETTINGS},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CLauncherScreen fresh;
    EXPECT_EQ(c.firstPosted, fresh.TakeCommand(c.first));
    EXPECT_EQ(c.secondPosted, fresh.TakeCommand(c.second));
  }
}

TEST_F(LauncherScreenTest, TooltipIsBuiltOncePerButtonAndFollowsItsTicks) {
  CToolTipsVO* tip = screen.GetToolTip();
  ASSERT_NE(nullptr, tip);
  EXPECT_EQ(500, tip->m_nShowTime);
  EXPECT_EQ(100, tip->m_nDelay);
  screen.MouseMove(kOnStart, kStartY, false);
  EXPECT_EQ(1, painter.built);
  ASSERT_NE(nullptr, tip->GetImage());
  EXPECT_FALSE(tip->IsVisible());
  EXPECT_EQ(ID_LAUNCHER_START, CLauncherScreen::s_nLastTipCommand);
  // Centred above Start.
  EXPECT_EQ(179 + (kButtonW - 40) / 2, tip->GetX());
  EXPECT_EQ(236 - 20 - 1, tip->GetY());
  screen.MouseMove(kOnStart + 3, kStartY, false);
  EXPECT_EQ(1, painter.built) << "not built again while it is built";
  // Tooltip ticks come at most every 500 ms: the delay of 100 passes on
  // the second one.
  Ticks(kOnStart, kStartY, 10);
  EXPECT_FALSE(tip->IsVisible());
  Ticks(kOnStart, kStartY, 10);
  EXPECT_TRUE(tip->IsVisible());
  // Drawn above everything.
  EXPECT_EQ(PackColorRef555(0xE6FBFF), At(tip->GetX() + 5, tip->GetY() + 5));
  // Pressing empties it.
  screen.ButtonDown(kOnStart, kStartY);
  EXPECT_EQ(nullptr, tip->GetImage());
  screen.MouseMove(kOnStart, 305, true);
  EXPECT_EQ(1, painter.built) << "no tip while a button is held";
  screen.ButtonUp(kOnStart, kStartY, true);
  screen.ButtonDown(10, 10);
  screen.MouseMove(kOnStart, 305, true);
  EXPECT_EQ(1, painter.built) << "no tip while the window is dragged";
  screen.ButtonUp(10, 10, true);
  screen.MouseMove(kOnStart, kStartY, false);
  EXPECT_EQ(2, painter.built) << "built anew after it was emptied";
  // Leaving the button: emptied at the first tooltip tick after the wait.
  Ticks(kOnStart, kStartY, 20);
  ASSERT_TRUE(tip->IsVisible());
  Ticks(20, 20, 10);
  EXPECT_EQ(nullptr, tip->GetImage());
}

TEST_F(LauncherScreenTest, LabelShowsTheInstalledVersionsAtTheTopRight) {
  CVersionInfoVO* label = screen.GetVersionLabel();
  ASSERT_NE(nullptr, label);
  EXPECT_EQ(kW - 168, label->GetX());
  EXPECT_EQ(18, label->GetY());
  EXPECT_EQ(152, label->GetWidth());
  EXPECT_EQ(14, label->GetHeight());
  EXPECT_EQ(1002003u, label->GetGameVersion());
  EXPECT_EQ("Ver. 1.002/2.004", painter.label);
  EXPECT_FALSE(label->HitTest(label->GetX() + 5, label->GetY() + 5));
  // Unreadable versions: 0.000/0.000 stays.
  CLauncherScreen other;
  CFakeHost unreadable;
  unreadable.readable = false;
  other.SetSkin(&skin);
  other.SetPainter(&painter);
  other.SetHost(&unreadable);
  other.InitVisualObjects();
  EXPECT_EQ("Ver. 0.000/0.000", painter.label);
  // The label's magenta is its colour key: the background shows through.
  uint16_t v;
  std::memcpy(&v, other.GetBackBuffer()->GetPixelAddress(kW - 168 + 1, 18 + 1), 2);
  EXPECT_EQ(Pixel(kBackground.r, kBackground.g, kBackground.b), v);
}

// ---------------------------------------------------------------------------
// Skins the screen cannot show

struct SkinCase {
  const char* name;
  std::vector<uint8_t> bytes;
  bool usable;
};

std::vector<uint8_t> WithBackground(const std::vector<uint8_t>& stored, uint16_t w, uint16_t h) {
  CRdlWriter writer;
  writer.AddRaw(w, h, stored);
  writer.AddRaw(2, 2, Image(2, 2, kBanner));
  return writer.Build();
}

std::vector<uint8_t> DamagedPackedBackground() {
  std::vector<uint8_t> block = CRdlWriter::PackBlock(Image(kW, kH, kBackground));
  block[block.size() / 2] ^= 0xFF;
  block[block.size() / 2 + 1] ^= 0x5A;
  return WithBackground(block, kW, kH);
}

std::vector<SkinCase> SkinCases() {
  CRdlWriter none;
  return {
      {"LauncherSkin", LauncherSkin(), true},
      {"PackedBackgroundAlone", WithBackground(CRdlWriter::PackBlock(Image(8, 8, kBackground)), 8, 8), true},
      {"NoEntries", none.Build(), false},
      {"BackgroundOfZeroSize", WithBackground(Image(1, 1, kBackground), 0, 0), false},
      {"BackgroundZeroHigh", WithBackground(Image(8, 1, kBackground), 8, 0), false},
      {"DamagedPackedBackground", DamagedPackedBackground(), false},
      {"BackgroundTooShortForItsSize", WithBackground(Image(8, 8, kBackground), 64, 64), false},
  };
}

TEST(LauncherSkin, OnlyASkinWithAReadableBackgroundCanBeShown) {
  for (const SkinCase& c : SkinCases()) {
    SCOPED_TRACE(c.name);
    CGraphicData skin(20, kLauncherFlags);
    ASSERT_TRUE(skin.OpenMemory(c.bytes.data(), c.bytes.size())) << "the file itself opens";
    EXPECT_EQ(c.usable, IsUsableLauncherSkin(&skin));
    // The screen builds from any of them without reading out of bounds.
    CLauncherScreen screen;
    screen.SetSkin(&skin);
    screen.InitVisualObjects();
    screen.BuildScreen();
    if (c.usable) {
      ASSERT_NE(nullptr, screen.GetBackBuffer());
    }
    screen.OnHoverTick(200, 240, false, 1000);
    screen.ButtonDown(200, 240);
    screen.ButtonUp(200, 240, true);
  }
  EXPECT_FALSE(IsUsableLauncherSkin(nullptr));
  CGraphicData closed(20, kLauncherFlags);
  EXPECT_FALSE(IsUsableLauncherSkin(&closed));
}

TEST(LauncherSkin, WithoutASkinTheScreenIsEmpty) {
  CLauncherScreen screen;
  screen.InitVisualObjects();
  screen.BuildScreen();
  EXPECT_EQ(nullptr, screen.GetBackBuffer());
  EXPECT_EQ(nullptr, screen.HitTestButton(200, 240));
  screen.ButtonDown(200, 240);
  EXPECT_EQ(0u, screen.ButtonUp(200, 240, true).command);
}

// A hot frame entry smaller than the normal one: nothing reads past the
// entry, and the button shows and reacts by its normal frame instead.
TEST(LauncherSkin, HotFrameSmallerThanItsNormalFrame) {
  CRdlWriter w;
  w.AddPacked(kW, kH, Image(kW, kH, kBackground));
  w.AddRaw(kBannerW, kBannerH, Image(kBannerW, kBannerH, kBanner));
  for (int entry = 2; entry < 20; ++entry) {
    const bool hot = entry == 3;
    w.AddRaw(hot ? 4 : kButtonW, hot ? 2 : kButtonH, Image(hot ? 4 : kButtonW, hot ? 2 : kButtonH, {90, 90, 90, 255}));
  }
  std::vector<uint8_t> bytes = w.Build();
  CGraphicData skin(20, kLauncherFlags);
  ASSERT_TRUE(skin.OpenMemory(bytes.data(), bytes.size()));
  CLauncherScreen screen;
  screen.SetSkin(&skin);
  screen.InitVisualObjects();
  screen.BuildScreen();
  CHilightButtonVO* start = screen.GetButton(0);
  ASSERT_NE(nullptr, start);
  EXPECT_TRUE(start->HitTest(190, 240));
  screen.OnHoverTick(190, 240, false, 0);
  screen.OnHoverTick(190, 240, false, 50);
  EXPECT_EQ(1, start->GetFrameShown());
  EXPECT_EQ(0, start->GetDrawnFrame());
  EXPECT_TRUE(start->HitTest(190, 240)) << "the normal frame reacts";
  uint16_t v;
  std::memcpy(&v, screen.GetBackBuffer()->GetPixelAddress(190, 240), 2);
  EXPECT_EQ(Pixel(90, 90, 90), v) << "the normal frame is shown";
}

}  // namespace
