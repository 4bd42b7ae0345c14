// The launcher screen's logic without a window: the composed picture, hit
// testing, the three frames of a button, press and release, hover, the
// drag, the single Start/Exit, and which skins the screen can show.
#include "skin/launcher_screen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

uint32_t Pixel(uint8_t r, uint8_t g, uint8_t b) { return (uint32_t(r) << 16) | (uint32_t(g) << 8) | b; }

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
// frames at entries 2-4, 14-16 and 17-19 (the rest filler).
std::vector<uint8_t> LauncherSkin() {
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
    w.AddPacked(kButtonW, kButtonH, Image(kButtonW, kButtonH, FrameColour(button, frame), {}, kHalf));
  }
  return w.Build();
}

class LauncherScreenTest : public testing::Test {
 protected:
  void SetUp() override {
    bytes = LauncherSkin();
    ASSERT_TRUE(skin.OpenMemory(bytes.data(), bytes.size()));
    screen.Build(&skin);
    ASSERT_EQ(kW, screen.GetWidth());
  }

  uint32_t At(int x, int y) const { return screen.GetPixels()[static_cast<size_t>(y) * kW + x]; }
  // The colour the inside of button n shows now.
  uint32_t ButtonColour(int n) const {
    const CLauncherScreen::Button& b = screen.GetButtons()[n];
    return At(b.x + 5, b.y + 5);
  }
  uint32_t Expected(int button, int frame) const {
    const Rgba c = FrameColour(button, frame);
    return Pixel(c.r, c.g, c.b);
  }

  std::vector<uint8_t> bytes;
  CGraphicData skin{20, kLauncherFlags};
  CLauncherScreen screen;
};

TEST_F(LauncherScreenTest, ButtonsStandAtTheirPlacesWithTheirFirstFramesSize) {
  ASSERT_EQ(3u, screen.GetButtons().size());
  struct Want {
    int x, y, first;
    uint32_t command;
  } const want[] = {
      {179, 236, 2, ID_LAUNCHER_START},
      {179, 268, 14, ID_LAUNCHER_ENV_SETTINGS},
      {179, 300, 17, ID_LAUNCHER_EXIT},
  };
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const CLauncherScreen::Button& b = screen.GetButtons()[i];
    EXPECT_EQ(want[i].x, b.x);
    EXPECT_EQ(want[i].y, b.y);
    EXPECT_EQ(want[i].first, b.firstEntry);
    EXPECT_EQ(want[i].command, b.command);
    EXPECT_EQ(kButtonW, b.width);
    EXPECT_EQ(kButtonH, b.height);
    EXPECT_EQ(CLauncherScreen::kFrameNormal, b.frame);
  }
  EXPECT_EQ(kH, screen.GetHeight());
  EXPECT_EQ(static_cast<size_t>(kW) * kH, screen.GetPixels().size());
}

TEST_F(LauncherScreenTest, PictureIsTheSkinBlendedInOrder) {
  const uint32_t bg = Pixel(kBackground.r, kBackground.g, kBackground.b);
  // Background; its own transparent pixel at (0, 0) leaves the black below.
  EXPECT_EQ(bg, At(10, 10));
  EXPECT_EQ(0u, At(0, 0));
  // The banner, centred, with its top at 356.
  const int bannerX = (kW - kBannerW) / 2;
  EXPECT_EQ(Pixel(kBanner.r, kBanner.g, kBanner.b), At(bannerX + 3, 356 + 3));
  EXPECT_EQ(bg, At(bannerX + 3, 355));
  EXPECT_EQ(bg, At(bannerX - 1, 360));
  // Buttons in their normal frame; a button's transparent pixel shows the
  // background, its half transparent one a blend of the two:
  // (c * 128 + background * 127) / 255 per channel.
  for (int n = 0; n < 3; ++n) {
    SCOPED_TRACE(n);
    const CLauncherScreen::Button& b = screen.GetButtons()[n];
    EXPECT_EQ(Expected(n, 0), ButtonColour(n));
    EXPECT_EQ(bg, At(b.x, b.y));
    EXPECT_EQ(Pixel((50 * 128 + 30 * 127) / 255, (100 * 128 + 20 * 127) / 255, (200 * 128 + 10 * 127) / 255),
              At(b.x + 1, b.y));
  }
}

TEST_F(LauncherScreenTest, HitTestCoversExactlyTheFirstFramesRectangle) {
  struct Case {
    int x, y, hit;
  } const cases[] = {
      {179, 236, 0},
      {179 + kButtonW - 1, 236 + kButtonH - 1, 0},
      {179 + kButtonW, 240, -1},
      {178, 240, -1},
      {200, 235, -1},
      {200, 236 + kButtonH, -1},
      {200, 268, 1},
      {200, 300, 2},
      {0, 0, -1},
      {-5, -5, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    EXPECT_EQ(c.hit, screen.HitTest(c.x, c.y));
  }
}

TEST_F(LauncherScreenTest, FramesAreConsecutiveEntries) {
  for (int frame : {1, 2, 0}) {
    SCOPED_TRACE(frame);
    EXPECT_TRUE(screen.SetFrame(2, frame));
    EXPECT_EQ(Expected(2, frame), ButtonColour(2));
    EXPECT_EQ(Expected(0, 0), ButtonColour(0));
    EXPECT_FALSE(screen.SetFrame(2, frame)) << "the same frame again is no change";
  }
  EXPECT_FALSE(screen.SetFrame(-1, 1));
  EXPECT_FALSE(screen.SetFrame(3, 1));
}

// One press-and-release sequence: points in client coordinates, and what
// the screen must show and answer.
struct Step {
  enum Kind { kDown, kMove, kUp } kind;
  int x, y;
  int startFrame;    // the Start button's frame afterwards
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
    if (s.kind == Step::kUp) r = screen.ButtonUp(s.x, s.y);
    EXPECT_EQ(s.startFrame, screen.GetButtons()[0].frame);
    EXPECT_EQ(Expected(0, s.startFrame), ButtonColour(0));
    EXPECT_EQ(s.capture, r.capture);
    EXPECT_EQ(s.release, r.release);
    EXPECT_EQ(s.command, r.command);
  }
  EXPECT_EQ(-1, screen.GetPressed());
  EXPECT_FALSE(screen.IsDragging());
}

const int kOnStart = 200, kStartY = 240, kOffX = 20;

INSTANTIATE_TEST_SUITE_P(Sequences, PressReleaseTest,
                         testing::Values(Sequence{"ClickSendsTheCommandOnce",
                                                  {{Step::kDown, kOnStart, kStartY, 2, true, false, 0},
                                                   {Step::kUp, kOnStart, kStartY, 1, false, true, ID_LAUNCHER_START}}},
                                         Sequence{"OffAndBackOnShowsHotThenPressed",
                                                  {{Step::kDown, kOnStart, kStartY, 2, true, false, 0},
                                                   {Step::kMove, kOffX, kStartY, 1, false, false, 0},
                                                   {Step::kMove, kOnStart + 10, kStartY + 2, 2, false, false, 0},
                                                   {Step::kUp, kOnStart + 10, kStartY + 2, 1, false, true,
                                                    ID_LAUNCHER_START}}},
                                         Sequence{"ReleaseBesideTheButtonSendsNothing",
                                                  {{Step::kDown, kOnStart, kStartY, 2, true, false, 0},
                                                   {Step::kMove, kOffX, kStartY, 1, false, false, 0},
                                                   {Step::kUp, kOffX, kStartY, 0, false, true, 0}}},
                                         Sequence{"ReleaseOverAnotherButtonSendsNothing",
                                                  {{Step::kDown, kOnStart, kStartY, 2, true, false, 0},
                                                   {Step::kUp, kOnStart, 305, 0, false, true, 0}}}),
                         [](const testing::TestParamInfo<Sequence>& info) { return std::string(info.param.name); });

TEST_F(LauncherScreenTest, HoverShowsTheHotFrameAndLeavingEndsIt) {
  CLauncherScreen::Reply r = screen.MouseMove(kOnStart, kStartY, false);
  EXPECT_TRUE(r.redraw);
  EXPECT_TRUE(r.trackLeave);
  EXPECT_EQ(Expected(0, 1), ButtonColour(0));
  // Further moves over the same button change nothing.
  r = screen.MouseMove(kOnStart + 1, kStartY, false);
  EXPECT_FALSE(r.redraw);
  // Straight to the Exit button: Start back to normal, Exit hot.
  r = screen.MouseMove(kOnStart, 305, false);
  EXPECT_TRUE(r.redraw);
  EXPECT_EQ(Expected(0, 0), ButtonColour(0));
  EXPECT_EQ(Expected(2, 1), ButtonColour(2));
  r = screen.MouseLeave();
  EXPECT_TRUE(r.redraw);
  EXPECT_EQ(Expected(2, 0), ButtonColour(2));
  EXPECT_EQ(-1, screen.GetHot());
}

TEST_F(LauncherScreenTest, PressOutsideTheButtonsDragsTheWindow) {
  CLauncherScreen::Reply r = screen.ButtonDown(10, 20);
  EXPECT_TRUE(r.capture);
  EXPECT_TRUE(screen.IsDragging());
  r = screen.MouseMove(40, 20, true);
  EXPECT_TRUE(r.moveWindow);
  EXPECT_FALSE(r.redraw);
  // The point where the drag started stays under the pointer: pointer at
  // screen (530, 300), client origin at (100, 50), window at (92, 20).
  int x = 0, y = 0;
  screen.DragPosition(530, 300, 100, 50, 92, 20, &x, &y);
  EXPECT_EQ(530 - 10 - 100 + 92, x);
  EXPECT_EQ(300 - 20 - 50 + 20, y);
  // A press while dragging does not restart the drag.
  r = screen.ButtonDown(60, 60);
  EXPECT_FALSE(r.capture);
  screen.DragPosition(530, 300, 100, 50, 92, 20, &x, &y);
  EXPECT_EQ(530 - 10 - 100 + 92, x);
  r = screen.ButtonUp(40, 20);
  EXPECT_TRUE(r.release);
  EXPECT_EQ(0u, r.command);
  EXPECT_FALSE(screen.IsDragging());
}

TEST_F(LauncherScreenTest, DragEndsWhenTheCaptureIsGone) {
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
    EXPECT_FALSE(screen.ButtonUp(30, 30).release);
  }
}

TEST_F(LauncherScreenTest, CancelModeDropsThePressedButton) {
  screen.ButtonDown(kOnStart, kStartY);
  CLauncherScreen::Reply r = screen.CancelMode();
  EXPECT_TRUE(r.redraw);
  EXPECT_EQ(Expected(0, 0), ButtonColour(0));
  // The release that follows is no click any more.
  r = screen.ButtonUp(kOnStart, kStartY);
  EXPECT_EQ(0u, r.command);
}

TEST_F(LauncherScreenTest, StartAndExitShareOneShot) {
  EXPECT_TRUE(screen.FireOnce());
  EXPECT_FALSE(screen.FireOnce());
  EXPECT_FALSE(screen.FireOnce());
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
    screen.Build(&skin);
    if (c.usable) {
      EXPECT_GT(screen.GetWidth(), 0);
    }
  }
  EXPECT_FALSE(IsUsableLauncherSkin(nullptr));
  CGraphicData closed(20, kLauncherFlags);
  EXPECT_FALSE(IsUsableLauncherSkin(&closed));
}

TEST(LauncherSkin, WithoutASkinTheScreenIsEmpty) {
  CLauncherScreen screen;
  screen.Build(nullptr);
  EXPECT_EQ(0, screen.GetWidth());
  EXPECT_TRUE(screen.GetPixels().empty());
  EXPECT_TRUE(screen.GetButtons().empty());
  EXPECT_EQ(-1, screen.HitTest(200, 240));
  EXPECT_EQ(0u, screen.ButtonUp(200, 240).command);
}

}  // namespace
