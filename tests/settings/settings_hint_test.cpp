// The hint texts: which strings each settings item shows for a device, and
// how main text, recommendation and note are put together.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "res/resource.h"
#include "settings/graphic_setting.h"
#include "tests/settings/fake_settings_env.h"

namespace {

// Each string is its id in brackets, so that the composed text shows which
// strings were used; ids in `missing` have no string.
class CBracketStrings : public CStringSource {
 public:
  CString Load(UINT id) const override {
    if (missing.count(id) != 0) return CString();
    CString s;
    s.Format("[%u]", id);
    return s;
  }
  std::set<UINT> missing;
};

struct HintCase {
  int item;
  std::string pureHardware;  // PS 3.0, hardware, 256 MB
  std::string weakDevice;    // software processing, no shaders, no render target, 16 MB
};

TEST(HintText, ItemsOnTwoDevices) {
  const HintCase rows[] = {
      {0, "[2001][2003]", "[2001][2004]"},
      {1, "[2005][2007]", "[2005][2008]"},
      {2, "[2009][2011]", "[2009][2011]"},
      {3, "[2012][2014]", "[2012][2013]"},
      {4, "", ""},
      {5, "", ""},
      {6, "[2017]", "[2017]"},
      {7, "[2016]", "[2016]"},
      {8, "[2081]", "[2081]"},
      {9, "[2082]", "[2082]"},
      {10, "[2083]", "[2083]"},
      {11, "[2084]", "[2084]"},
      {12, "[2085]", "[2085]"},
      {13, "[2018][2020]", "[2018][2019]"},
      {14, "[2022][2024]", "[2022][2023]\n[2080]"},
      {15, "[2026][2028]", "[2026][2027]"},
      {16, "[2029][2032]", "[2029][2030]"},
      {17, "[2034][2037]", "[2034][2035]"},
      {18, "[2039][2042]", "[2039][2040]"},
      {19, "[2044][2048]", "[2044][2045]"},
      {20, "[2050][2051]", "[2050][2052]"},
      {21, "[2053][2055]", "[2053][2055]"},
      {22, "[2056][2058]", "[2056][2058]"},
      {23, "[2059][2061]", "[2059][2061]"},
      {24, "[2062]", "[2062]"},
      {25, "[2063]", "[2063]"},
      {26, "[2064][2065]", "[2064][2066]"},
      {27, "", ""},
      {28, "[2067][2071]", "[2067][2069]"},
      {29, "[2072]", "[2072]"},
      {30, "[2073]", "[2073]"},
      {31, "[2074]", "[2074]"},
      {32, "", ""},
      {40, "", ""},
      {-1, "", ""},
  };
  CFakeSettingDevice strong;
  DeviceFacts weakFacts;
  weakFacts.flags = 0x24;
  weakFacts.vs = 0;
  weakFacts.ps = 0;
  weakFacts.renderTargets.clear();
  weakFacts.dxt3 = false;
  CFakeSettingDevice weak(weakFacts);
  CGraphicSetting strongSetting;
  strongSetting.SetVideoMemoryMB(256);
  CGraphicSetting weakSetting;
  weakSetting.SetVideoMemoryMB(16);
  CBracketStrings strings;
  for (const HintCase& c : rows) {
    SCOPED_TRACE(c.item);
    CString out("stale");
    strongSetting.GetHintText(strong, out, c.item, strings);
    EXPECT_EQ(c.pureHardware, out.str());
    out = "stale";
    weakSetting.GetHintText(weak, out, c.item, strings);
    EXPECT_EQ(c.weakDevice, out.str());
  }
}

TEST(HintText, MissingMainTextGivesNothing) {
  CFakeSettingDevice device;
  CGraphicSetting setting;
  CBracketStrings strings;
  strings.missing = {IDS_HINT_TEX2D};
  CString out("stale");
  setting.GetHintText(device, out, 0, strings);
  EXPECT_TRUE(out.IsEmpty());
  // A missing recommendation leaves the main text alone.
  strings.missing = {IDS_HINT_TEX2D_REC + 2};
  setting.GetHintText(device, out, 0, strings);  // 0 MB: low memory, 2dtex default 2
  EXPECT_EQ(std::string("[2001]"), out.str());
}

TEST(HintText, RecommendationsFollowTheDefaultValue) {
  // Values outside the table: below 0 counts as 0 where the text follows
  // the value; a two-way choice outside its values has no recommendation.
  GraphicRecord d{};
  d.tex2d = -3;
  d.ocean_type = 7;
  d.ocean_shoal = 3;
  d.ocean_wave = 4;
  d.ocean_tex = 2;
  d.ocean_sun = -1;
  d.maxlod = 2;
  EXPECT_EQ(static_cast<UINT>(IDS_HINT_TEX2D_REC), SelectHintTextIds(0, d, true).recommendation);
  EXPECT_EQ(0u, SelectHintTextIds(13, d, true).recommendation);
  EXPECT_EQ(static_cast<UINT>(IDS_HINT_OCEAN_TYPE_REC + 7), SelectHintTextIds(14, d, true).recommendation);
  EXPECT_EQ(0u, SelectHintTextIds(15, d, true).recommendation);
  EXPECT_EQ(0u, SelectHintTextIds(16, d, true).recommendation);
  EXPECT_EQ(static_cast<UINT>(IDS_HINT_SUN_REC), SelectHintTextIds(19, d, true).recommendation);
  EXPECT_EQ(0u, SelectHintTextIds(20, d, true).recommendation);
  EXPECT_EQ(static_cast<UINT>(IDS_HINT_MAXLOD_REC + 2), SelectHintTextIds(28, d, true).recommendation);
  d.ocean_shoal = 1;
  EXPECT_EQ(static_cast<UINT>(IDS_HINT_SHOAL_REC_ON), SelectHintTextIds(15, d, true).recommendation);
  EXPECT_EQ(static_cast<UINT>(IDS_HINT_OCEAN_TYPE_NOTE), SelectHintTextIds(14, d, false).note);
  EXPECT_EQ(0u, SelectHintTextIds(14, d, true).note);
}

}  // namespace
