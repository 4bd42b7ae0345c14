// The device layer's neutral rules: mode order and collection, the order of
// vertex-processing tries, the choice of combinations, depth precision,
// gamma ramp, the launcher requirement's rules, the display-mode list and
// "select_device".
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "d3d/dx_formats.h"
#include "d3d/dx_rules.h"
#include "d3d/linked_list.h"
#include "d3d/mode_list.h"
#include "res/resource.h"

namespace {

using namespace dxfmt;

DX3DMode M(uint32_t w, uint32_t h, uint32_t f, uint32_t r = 60) { return {w, h, r, f}; }

TEST(ModeOrder, BaseOrderTakesTheFirstDifference) {
  struct Case {
    const char* name;
    DX3DMode a, b;
    uint32_t prefFormat;
    bool aFirst, bFirst;
  };
  const Case cases[] = {
      {"preferred size wins over format", M(640, 480, kX8R8G8B8), M(800, 600, kR5G6B5), 0, true, false},
      {"preferred format next", M(800, 600, kX8R8G8B8), M(800, 600, kR5G6B5), kX8R8G8B8, true, false},
      {"without a preferred format: lower format", M(800, 600, kX8R8G8B8), M(800, 600, kR5G6B5), 0, true, false},
      {"lower format is a signed comparison", M(800, 600, 0x80000000u), M(800, 600, kR5G6B5), 0, true, false},
      {"then the larger width", M(1024, 768, kR5G6B5), M(800, 768, kR5G6B5), 0, true, false},
      {"then the larger height", M(1024, 768, kR5G6B5), M(1024, 600, kR5G6B5), 0, true, false},
      {"equal modes: neither", M(1024, 768, kR5G6B5), M(1024, 768, kR5G6B5, 75), 0, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.aFirst, BaseModeComesBefore(c.a, c.b, 640, 480, c.prefFormat));
    EXPECT_EQ(c.bFirst, BaseModeComesBefore(c.b, c.a, 640, 480, c.prefFormat));
  }
}

TEST(ModeOrder, LauncherOrderIsSizeThenLargerFormat) {
  struct Case {
    const char* name;
    DX3DMode a, b;
    bool aFirst;
  };
  const Case cases[] = {
      {"smaller width", M(800, 1200, kX8R8G8B8), M(1024, 600, kX8R8G8B8), true},
      {"same width, smaller height", M(1024, 600, kX8R8G8B8), M(1024, 768, kR5G6B5), true},
      {"same size: larger format first", M(1024, 768, kR5G6B5), M(1024, 768, kX8R8G8B8), true},
      {"same size: smaller format later", M(1024, 768, kX8R8G8B8), M(1024, 768, kR5G6B5), false},
      {"same size and format", M(1024, 768, kR5G6B5), M(1024, 768, kR5G6B5), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.aFirst, AppModeComesBefore(c.a, c.b));
  }
}

TEST(ModeCollection, DropsDuplicatesBySizeAndFormatAndClearsTheRefreshRate) {
  std::vector<DX3DMode> modes;
  EXPECT_TRUE(AddUniqueMode(modes, M(800, 600, kX8R8G8B8, 60)));
  EXPECT_FALSE(AddUniqueMode(modes, M(800, 600, kX8R8G8B8, 75)));
  EXPECT_TRUE(AddUniqueMode(modes, M(800, 600, kR5G6B5, 75)));
  EXPECT_TRUE(AddUniqueMode(modes, M(800, 601, kX8R8G8B8, 75)));
  ASSERT_EQ(3u, modes.size());
  for (const DX3DMode& m : modes) EXPECT_EQ(0u, m.refreshRate);
}

TEST(ModeCollection, SortStaysInBoundsWithAnyPredicate) {
  std::vector<DX3DMode> modes;
  for (uint32_t i = 0; i < 40; ++i) modes.push_back(M(640 + i, 480, kX8R8G8B8, 0));
  // A predicate that is no order at all must neither crash nor lose modes.
  SortModes(modes, [](const DX3DMode&, const DX3DMode&) { return true; });
  ASSERT_EQ(40u, modes.size());
  uint32_t sum = 0;
  for (const DX3DMode& m : modes) sum += m.width - 640;
  EXPECT_EQ(40u * 39u / 2u, sum);

  SortModes(modes, &AppModeComesBefore);
  for (size_t i = 0; i < modes.size(); ++i) EXPECT_EQ(640u + i, modes[i].width);
}

TEST(VertexProcessing, TriesTheModesInOrderAndKeepsTheFirstAccepted) {
  struct Case {
    const char* name;
    uint32_t devCaps;
    std::vector<uint32_t> accepted;  // flags that confirm() accepts
    std::vector<uint32_t> tried;
    uint32_t flags, mask;
  };
  const uint32_t hw = kDevCapsHwTransformAndLight, pure = kDevCapsPureDevice;
  const Case cases[] = {
      {"pure hardware", hw | pure, {0x54, 0x44}, {0x54}, 0x54, 3},
      {"hardware without pure", hw, {0x54, 0x44}, {0x44}, 0x44, 3},
      {"pure refused: hardware", hw | pure, {0x44}, {0x54, 0x44}, 0x44, 3},
      {"mixed", hw | pure, {0x84}, {0x54, 0x44, 0x84}, 0x84, 3},
      {"software after all hardware tries", hw | pure, {0x24}, {0x54, 0x44, 0x84, 0x24}, 0x24, 3},
      {"no transform and lighting: software only", pure, {0x54, 0x44, 0x24}, {0x24}, 0x24, 3},
      {"all refused", hw, {}, {0x44, 0x84, 0x24}, 0x24, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint32_t> tried;
    DX3DBehavior b = ChooseBehavior(c.devCaps, [&](uint32_t flags) -> uint32_t {
      tried.push_back(flags);
      for (uint32_t a : c.accepted) {
        if (a == flags) return 3;
      }
      return 0;
    });
    EXPECT_EQ(c.tried, tried);
    EXPECT_EQ(c.flags, b.flags);
    EXPECT_EQ(c.mask, b.mask);
  }
}

TEST(Selection, FirstWindowedAndFirstFullscreenInEnumerationOrder) {
  struct Case {
    const char* name;
    std::vector<DX3DUsage> usages;
    bool windowedRequired;
    int windowed, fullscreen;
    bool ok;
    uint32_t error;
  };
  const Case cases[] = {
      {"both in one record", {{true, true}, {true, true}}, false, 0, 0, true, 0},
      {"full screen first, windowed later", {{false, true}, {true, false}, {true, true}}, false, 1, 0, true, 0},
      {"windowed only", {{true, false}}, true, 0, -1, true, 0},
      {"nothing usable", {{false, false}}, false, -1, -1, false, kDX3DErrNoDevice},
      {"no records", {}, false, -1, -1, false, kDX3DErrNoDevice},
      {"full screen only, allowed", {{false, true}}, false, -1, 0, true, 0},
      {"full screen only, window required", {{false, true}}, true, -1, 0, false, kDX3DErrNoWindowed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DX3DSelection s = SelectFirstUsable(c.usages, c.windowedRequired);
    EXPECT_EQ(c.windowed, s.windowed);
    EXPECT_EQ(c.fullscreen, s.fullscreen);
    EXPECT_EQ(c.ok, s.ok);
    EXPECT_EQ(c.error, s.error);
  }
}

TEST(DepthPrecision, EpsilonAndStencilBitsByFormat) {
  struct Case {
    uint32_t format;
    int depthBits;  // epsilon 2^-depthBits; 0 for epsilon 1.0
    uint32_t stencil;
  };
  const Case cases[] = {{kD16Lockable, 16, 0}, {kD32, 32, 0}, {kD15S1, 15, 1}, {kD24S8, 24, 8},      {kD24X8, 24, 0},
                        {kD24X4S4, 24, 4},     {kD16, 16, 0}, {kD24FS8, 0, 0}, {kD32FLockable, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    float eps = -1;
    uint32_t stencil = 99;
    ASSERT_TRUE(GetDepthFormatPrecision(c.format, &eps, &stencil));
    EXPECT_EQ(c.depthBits ? std::ldexp(1.0f, -c.depthBits) : 1.0f, eps);
    EXPECT_EQ(c.stencil, stencil);
  }
  float eps = 0.25f;
  uint32_t stencil = 7;
  EXPECT_FALSE(GetDepthFormatPrecision(kUnknown, &eps, &stencil));
  EXPECT_EQ(0.25f, eps);
  EXPECT_EQ(7u, stencil);
}

TEST(Formats, BitsPerPixelOfTheLabels) {
  struct Case {
    uint32_t format;
    int bits;
  };
  const Case cases[] = {
      {kR8G8B8, 24},      {kX8R8G8B8, 32}, {kA2R10G10B10, 32}, {kD24S8, 32},         {kR5G6B5, 16},
      {kX1R5G5B5, 16},    {kUYVY, 16},     {kYUY2, 16},        {kD16, 16},           {kP8, 8},
      {kDXT3, 8},         {kDXT5, 8},      {kDXT1, 4},         {kA16B16G16R16F, 64}, {kA32B32G32R32F, 128},
      {kD32FLockable, 0}, {kUnknown, 0},   {12345, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    EXPECT_EQ(c.bits, GetFormatBitsPerPixel(c.format));
  }
}

TEST(Gamma, RampEntriesAreScaledAndClamped) {
  uint16_t ramp[256];
  FillGammaChannel(ramp, 256, 0);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(i * 256, ramp[i]);
  EXPECT_EQ(65280, ramp[255]);

  FillGammaChannel(ramp, 256, 1);
  EXPECT_EQ(1, ramp[0]);
  EXPECT_EQ(65281, ramp[255]);

  FillGammaChannel(ramp, 416, 0);
  EXPECT_EQ(416 * 157, ramp[157]);
  EXPECT_EQ(65535, ramp[158]);  // 416 * 158 = 65728
  EXPECT_EQ(65535, ramp[255]);

  FillGammaChannel(ramp, -5, 1);
  EXPECT_EQ(1, ramp[0]);
  EXPECT_EQ(0, ramp[1]);

  // A huge scale must clamp, not wrap.
  FillGammaChannel(ramp, 0x7FFFFFFF, 0);
  EXPECT_EQ(0, ramp[0]);
  EXPECT_EQ(65535, ramp[255]);
}

TEST(LauncherRequirement, ConfirmsByShaderAndBlendMatrices) {
  struct Case {
    const char* name;
    uint32_t vs, blend, flags, mask;
  };
  const Case cases[] = {
      {"vs_1_1 and 4 matrices", 0xFFFE0101, 4, 0x54, 3},   {"vs_3_0 and 8 matrices", 0xFFFE0300, 8, 0x44, 3},
      {"vs_1_0 refuses hardware", 0xFFFE0100, 4, 0x44, 0}, {"3 matrices refuse pure hardware", 0xFFFE0200, 3, 0x54, 0},
      {"mixed is accepted", 0xFFFE0100, 0, 0x84, 3},       {"software is accepted", 0, 0, 0x24, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.mask, AppConfirmDevice(c.vs, c.blend, c.flags));
  }
}

TEST(LauncherRequirement, LackingCapsGivesMixedWithTransformAndLightingElseSoftware) {
  auto confirm = [](uint32_t flags) { return AppConfirmDevice(0xFFFE0100, 2, flags); };
  EXPECT_EQ(0x84u, ChooseBehavior(kDevCapsHwTransformAndLight | kDevCapsPureDevice, confirm).flags);
  EXPECT_EQ(0x24u, ChooseBehavior(0, confirm).flags);
}

TEST(LauncherRequirement, BackBuffersAndIntervalFromTheSettings) {
  const struct {
    int32_t bbc;
    uint32_t count;
  } counts[] = {{0, 1}, {1, 1}, {2, 2}, {3, 2}, {1000, 2}, {-1, 2}};
  for (const auto& c : counts) {
    SCOPED_TRACE(c.bbc);
    EXPECT_EQ(c.count, BackBufferCountFromSetting(c.bbc));
  }
  EXPECT_EQ(kPresentIntervalOne, PresentIntervalFromSetting(1));
  EXPECT_EQ(kPresentIntervalOne, PresentIntervalFromSetting(-7));
  EXPECT_EQ(0x80000000u, PresentIntervalFromSetting(0));
}

// --- Display-mode list ---

DX3DModeCandidate C(uint32_t w, uint32_t h, uint32_t f, bool win, bool full) { return {w, h, f, win, full}; }

const DX3DModeLimits kLauncherLimits = {800, 600, 800, 600, 800, 600, false};
const DX3DModeLimits kDialogLimits = {800, 600, 1920, 1920, 1600, 1170, false};
const DX3DCurrentMode kNoDevice = {true, 0, 0, 0};

std::string Describe(const std::vector<DX3DModeEntry>& entries) {
  std::string s;
  for (const DX3DModeEntry& e : entries) {
    s += std::to_string(e.width) + "x" + std::to_string(e.height) + (e.windowed ? "w" : "f") +
         std::to_string(e.format) + (e.selected ? "*" : "") + " ";
  }
  return s;
}

TEST(ModeList, EntriesByLimitsFormatsAndUsage) {
  struct Case {
    const char* name;
    std::vector<DX3DModeCandidate> candidates;
    DX3DModeLimits limits;
    DX3DCurrentMode current;
    std::string expected;
  };
  const Case cases[] = {
      {"launcher limits keep 800x600 only",
       {C(640, 480, 22, true, true), C(800, 600, 22, true, true), C(1024, 768, 22, true, true)},
       kLauncherLimits,
       kNoDevice,
       "800x600f22 800x600w22* "},
      {"work area 1600x1170: 1600x1200 full screen only",
       {C(1600, 1200, 22, true, true), C(1600, 1024, 22, true, true)},
       kDialogLimits,
       kNoDevice,
       "1600x1024f22 1600x1024w22* 1600x1200f22 "},
      {"bounds are inclusive",
       {C(1920, 1920, 22, false, true), C(1921, 1080, 22, false, true)},
       kDialogLimits,
       kNoDevice,
       "1920x1920f22* "},
      {"A2R10G10B10 is never offered", {C(800, 600, kA2R10G10B10, true, true)}, kDialogLimits, kNoDevice, ""},
      {"windowed entries of one size collapse into the first",
       {C(1024, 768, 23, true, true), C(1024, 768, 22, true, true)},
       kDialogLimits,
       kNoDevice,
       "1024x768f22 1024x768f23 1024x768w23* "},
      {"the running mode is selected",
       {C(800, 600, 22, true, true), C(1024, 768, 22, true, true)},
       kDialogLimits,
       {false, 1024, 768, 22},
       "800x600f22 800x600w22 1024x768f22* 1024x768w22 "},
      {"default: same state and size",
       {C(800, 600, 22, true, true), C(1024, 768, 22, true, true)},
       kDialogLimits,
       {true, 1024, 768, 21},
       "800x600f22 800x600w22 1024x768f22 1024x768w22* "},
      {"default: same state when no size matches",
       {C(800, 600, 22, false, true), C(1024, 768, 22, true, false)},
       kDialogLimits,
       {false, 640, 480, 22},
       "800x600f22* 1024x768w22 "},
      {"default: the head when no state matches",
       {C(1024, 768, 22, false, true)},
       kDialogLimits,
       {true, 0, 0, 0},
       "1024x768f22* "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expected, Describe(BuildModeEntries(c.candidates, c.limits, c.current)));
  }
}

TEST(ModeList, Windows8SkipsSixteenBitModes) {
  DX3DModeLimits limits = kDialogLimits;
  limits.skip16Bit = true;
  std::vector<DX3DModeCandidate> cands = {C(800, 600, kR5G6B5, true, true), C(800, 600, kX8R8G8B8, false, true)};
  EXPECT_EQ("800x600f22* ", Describe(BuildModeEntries(cands, limits, kNoDevice)));
  limits.skip16Bit = false;
  EXPECT_EQ("800x600f22 800x600f23 800x600w23* ", Describe(BuildModeEntries(cands, limits, kNoDevice)));
}

TEST(ModeList, SameModeRules) {
  DX3DModeEntry a = {true, false, 800, 600, 22, 0};
  DX3DModeEntry b = a;
  b.format = 23;
  EXPECT_TRUE(IsSameModeEntry(a, b));  // windowed: format does not count
  a.windowed = b.windowed = false;
  EXPECT_FALSE(IsSameModeEntry(a, b));
  b.format = 22;
  EXPECT_TRUE(IsSameModeEntry(a, b));
  b.windowed = true;
  EXPECT_FALSE(IsSameModeEntry(a, b));
}

// --- "select_device" ---

TEST(SelectDevice, ReadsScansAndKeepsPresets) {
  struct Case {
    const char* name;
    const char* text;
    std::vector<int> expected;  // presets are 7s
  };
  const Case cases[] = {
      {"empty gives the defaults", "", {0, 0, 800, 600, 22, 0}},
      {"full value", "0,0,1024,768,21,1", {0, 0, 1024, 768, 21, 1}},
      {"first two fields as stored", "3,-4,1024,768,21,1", {3, -4, 1024, 768, 21, 1}},
      {"unscannable keeps the presets", "garbage", {7, 7, 7, 7, 7, 7}},
      {"blank only keeps the presets", "  ", {7, 7, 7, 7, 7, 7}},
      {"stops at the first bad field", "0,0,1280,x,22,1", {0, 0, 1280, 7, 7, 7}},
      {"blanks before a number are allowed", " 0, 0, 1280, 1024, 22, 0", {0, 0, 1280, 1024, 22, 0}},
      {"a blank before a comma stops", "0 ,0,1280,1024,22,0", {0, 7, 7, 7, 7, 7}},
      {"short value", "0,0,640", {0, 0, 640, 7, 7, 7}},
      {"extra text after six fields is ignored", "0,0,640,480,22,1,9,9", {0, 0, 640, 480, 22, 1}},
      {"the int range is kept", "-2147483648,2147483647,1,1,1,1", {INT_MIN, INT_MAX, 1, 1, 1, 1}},
      {"a number beyond int stops", "0,0,99999999999,480,22,1", {0, 0, 7, 7, 7, 7}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int v[kSelectDeviceFields] = {7, 7, 7, 7, 7, 7};
    ReadSelectDevice(c.text, v);
    EXPECT_EQ(c.expected, std::vector<int>(v, v + kSelectDeviceFields));
  }
  int v[kSelectDeviceFields] = {7, 7, 7, 7, 7, 7};
  ReadSelectDevice(nullptr, v);
  EXPECT_EQ(800, v[2]);
}

TEST(SelectDevice, WritesZerosThenTheMode) {
  EXPECT_EQ("0,0,1024,768,22,1", FormatSelectDevice(1024, 768, 22, true));
  EXPECT_EQ("0,0,800,600,23,0", FormatSelectDevice(800, 600, 23, false));
  // What is written scans back the same.
  int v[kSelectDeviceFields] = {};
  EXPECT_EQ(6, ScanSelectDevice(FormatSelectDevice(1920, 1080, 21, false).c_str(), v));
  EXPECT_EQ(1920, v[2]);
  EXPECT_EQ(0, v[5]);
}

TEST(Antialias, ChoicesAndNames) {
  EXPECT_EQ(3u, sizeof kAntialiasChoices / sizeof kAntialiasChoices[0]);
  EXPECT_EQ(unsigned{IDS_ANTIALIAS_NONE}, AntialiasNameId(0));
  EXPECT_EQ(unsigned{IDS_ANTIALIAS_2X}, AntialiasNameId(2));
  EXPECT_EQ(unsigned{IDS_ANTIALIAS_4X}, AntialiasNameId(4));
  EXPECT_EQ(0u, AntialiasNameId(8));
  EXPECT_EQ(0u, AntialiasNameId(-1));
}

// --- Intrusive list ---

struct Node : CLinkedListItem {
  explicit Node(int v) : value(v) {}
  int value;
};

std::vector<int> Values(const CLinkedList& list) {
  std::vector<int> out;
  for (CLinkedListItem* i = list.GetFirst(); i != nullptr; i = list.GetNextOf(i))
    out.push_back(static_cast<Node*>(i)->value);
  return out;
}

TEST(LinkedList, PushUnlinkAndDestroyWhileLinked) {
  CLinkedList list;
  EXPECT_TRUE(list.IsEmpty());
  Node a(1), b(2), c(3);
  list.PushBack(&a);
  list.PushBack(&b);
  list.PushFront(&c);
  EXPECT_EQ((std::vector<int>{3, 1, 2}), Values(list));
  a.Unlink();
  EXPECT_FALSE(a.IsLinked());
  EXPECT_EQ((std::vector<int>{3, 2}), Values(list));
  {
    Node d(4);
    list.PushBack(&d);
    EXPECT_EQ((std::vector<int>{3, 2, 4}), Values(list));
  }  // d leaves the list as it goes
  EXPECT_EQ((std::vector<int>{3, 2}), Values(list));
  b.InsertAfter(&c);  // moves within the list
  EXPECT_EQ((std::vector<int>{3, 2}), Values(list));
  a.InsertAfter(&c);
  EXPECT_EQ((std::vector<int>{3, 1, 2}), Values(list));
}

}  // namespace
