// The tooltip's timing and placement, the word wrap with its line-end
// punctuation, ShowFor's refusals and the label's text.
#include "skin/tooltip.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/game_scene.h"

namespace {

CDIB* Sprite(int w, int h) {
  CSprite* s = new CSprite;
  s->CreateBlank(w, h, nullptr);
  s->AddRef();
  return s;
}

TEST(ToolTip, TickTable) {
  struct Case {
    const char* name;
    int delay, showTime;
    std::vector<bool> inside;     // the pointer on each tick
    std::vector<char> afterTick;  // 'w' waiting, 's' shown, 'e' emptied
  } const cases[] = {
      {"shown on the second tick", 100, 500, {true, true, true}, {'w', 's', 's'}},
      {"dropped when the delay ends away", 100, 500, {true, false}, {'w', 'e'}},
      {"emptied on the tenth shown tick",
       0,
       500,
       {true, true, true, true, true, true, true, true, true, true, true},
       {'s', 's', 's', 's', 's', 's', 's', 's', 's', 's', 'e'}},
      {"emptied at the first tick away", 50, 500, {true, true, false}, {'s', 's', 'e'}},
      {"show time -1 stays while inside", 50, -1, {true, true, true, true}, {'s', 's', 's', 's'}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CToolTipsVO tip;
    tip.m_nDelay = c.delay;
    tip.m_nShowTime = c.showTime;
    tip.SetImage(Sprite(10, 10));
    tip.Show(FALSE);
    tip.m_rcAnchor = {100, 100, 200, 130};
    tip.m_nDelayLeft = c.delay;
    for (size_t i = 0; i < c.inside.size(); ++i) {
      const int x = c.inside[i] ? 150 : 20;
      tip.Tick(x, 110, 50);
      const char now = tip.GetImage() == nullptr ? 'e' : tip.IsVisible() ? 's' : 'w';
      EXPECT_EQ(c.afterTick[i], now) << "tick " << i + 1;
    }
  }
  CToolTipsVO empty;
  EXPECT_FALSE(empty.Tick(0, 0, 50));
  EXPECT_FALSE(empty.Hide());
}

TEST(ToolTip, Placement) {
  const SkinRect view = {0, 0, 500, 400};
  struct Case {
    const char* name;
    SkinRect anchor;
    int w, h, x, y;
  } const cases[] = {
      {"centred above", {179, 236, 321, 264}, 100, 30, 200, 205},
      {"odd difference truncates", {10, 100, 21, 110}, 2, 10, 14, 89},
      {"pushed from the left edge", {0, 100, 20, 120}, 100, 30, 0, 69},
      {"pushed from the right edge", {480, 100, 500, 120}, 100, 30, 400, 69},
      {"below when at the top", {200, 5, 300, 25}, 60, 30, 220, 26},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const SkinPoint p = CToolTipsVO::Place(c.anchor, c.w, c.h, view);
    EXPECT_EQ(c.x, p.x);
    EXPECT_EQ(c.y, p.y);
  }
}

// Widths: 10 per single byte, 20 per double byte; height 12.  Code page
// 949: lead bytes 0x81-0xFE.
class CFakeWrap : public CTextWrapTarget {
 public:
  explicit CFakeWrap(bool cp932 = false) : m_932(cp932) {}
  bool IsLeadByte(uint8_t b) override { return m_932 ? ((b >= 0x81 && b <= 0x9F) || b >= 0xE0) : b >= 0x81; }
  void Measure(const char*, int n, int* w, int* h) override {
    *w = n == 2 ? 20 : 10;
    *h = 12;
  }
  void DrawChar(int x, int y, const char* ch, int n) override {
    if (y != lastY) lines.emplace_back();
    lastY = y;
    lines.back().append(ch, static_cast<size_t>(n));
    (void)x;
  }
  std::vector<std::string> lines;
  int lastY = -1;

 private:
  bool m_932;
};

TEST(ToolTip, WrapFollowsTheMeasuredWidths) {
  struct Case {
    const char* name;
    uint32_t cp;
    std::string text;
    std::vector<std::string> lines;
    int w, h;
  } const cases[] = {
      {"fits", 949, "abc", {"abc"}, 30, 12},
      // 15 characters reach 150 on the 15th: it starts the next line.
      {"break before the character that reaches 150", 949, "aaaaaaaaaaaaaaXb", {"aaaaaaaaaaaaaa", "Xb"}, 140, 24},
      {"one long word alone stays on one line", 949, std::string(15, 'w'), {std::string(15, 'w')}, 150, 12},
      {"punctuation stays at the line end (949)",
       949,
       std::string(14, 'a') + ",bc",
       {std::string(14, 'a') + ",", "bc"},
       150,
       24},
      {"the last character stays when no line has ended",
       949,
       std::string(14, 'a') + ",b",
       {std::string(14, 'a') + ",b"},
       160,
       12},
      {"a space starting a line is dropped", 949, std::string(14, 'a') + " b", {std::string(14, 'a'), "b"}, 140, 24},
      {"newline", 949, "ab\ncd", {"ab", "cd"}, 20, 24},
      {"ideographic full stop stays (932)",
       932,
       std::string(14, 'a') + "\x81\x42"
                              "bc",
       {std::string(14, 'a') + "\x81\x42", "bc"},
       160,
       24},
      {"932 comma is no punctuation under 949",
       949,
       std::string(14, 'a') + "\x81\x41"
                              "b",
       {std::string(14, 'a'),
        "\x81\x41"
        "b"},
       140,
       24},
      {"lead byte at the end counts as one byte", 949, "ab\x81", {"ab\x81"}, 30, 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CFakeWrap m(c.cp == 932);
    SkinRect rc = {5, 5, 5, 5};
    WrapText(&m, c.cp, c.text.c_str(), &rc, TRUE);
    EXPECT_EQ(c.w, rc.right);
    EXPECT_EQ(c.h, rc.bottom);
    EXPECT_TRUE(m.lines.empty()) << "measuring draws nothing";
    SkinRect at = {6, 6, 6 + rc.right, 6 + rc.bottom};
    WrapText(&m, c.cp, c.text.c_str(), &at, FALSE);
    EXPECT_EQ(c.lines, m.lines);
  }
}

TEST(ToolTip, LineEndPunctuationByCodePage) {
  CFakeWrap m949, m932(true);
  EXPECT_STREQ(",.", GetLineEndPuncts(949));
  EXPECT_STREQ(",.", GetLineEndPuncts(1252));
  EXPECT_STREQ("\x81\x41\x81\x42", GetLineEndPuncts(932));
  EXPECT_STREQ("\x81\x41\x81\x42", GetLineEndPuncts(874));
  EXPECT_TRUE(IsLineEndPunct(",", 1, 949, &m949));
  EXPECT_TRUE(IsLineEndPunct(".", 1, 949, &m949));
  EXPECT_FALSE(IsLineEndPunct("\x81\x41", 2, 949, &m949));
  EXPECT_TRUE(IsLineEndPunct("\x81\x41", 2, 932, &m932));
  EXPECT_TRUE(IsLineEndPunct("\x81\x42", 2, 932, &m932));
  EXPECT_FALSE(IsLineEndPunct(",", 1, 932, &m932));
}

class CRefusingPainter : public CSkinTextPainter {
 public:
  CSprite* BuildTipSprite(int command) override {
    ++asked;
    if (command != 5) return nullptr;  // the painter has nothing to show for it
    CSprite* s = new CSprite;
    s->CreateBlank(30, 10, nullptr);
    s->AddRef();
    return s;
  }
  void DrawLabelText(CSprite*, const char*) override {}
  int asked = 0;
};

TEST(ToolTip, ShowForRefusals) {
  CGameScene scene;
  scene.SetView({0, 0, 500, 400});
  CRefusingPainter painter;
  struct Case {
    const char* name;
    int command;
    SkinRect button;
    BOOL made;
  } const cases[] = {
      {"command -1", -1, {10, 50, 40, 60}, FALSE},
      {"the painter makes no picture for it", 6, {10, 50, 40, 60}, FALSE},
      {"an empty button", 5, {10, 50, 10, 50}, FALSE},
      {"made", 5, {10, 50, 40, 60}, TRUE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CDIBComboArray frames(FALSE);
    frames.Add(CDIBCombo{Sprite(c.button.right - c.button.left, c.button.bottom - c.button.top), 0, 0});
    CHilightButtonVO button;
    button.Create(frames, c.command);
    button.SetPosition(c.button.left, c.button.top);
    CToolTipsVO tip;
    tip.m_nDelay = 100;
    EXPECT_EQ(c.made, tip.ShowFor(&button, &scene, &painter));
    EXPECT_EQ(c.made, tip.GetImage() != nullptr ? TRUE : FALSE);
    if (c.made) {
      EXPECT_FALSE(tip.IsVisible());
      EXPECT_EQ(100, tip.m_nDelayLeft);
      EXPECT_EQ(10, tip.GetX());
      EXPECT_EQ(39, tip.GetY());
    }
  }
  EXPECT_EQ(3, painter.asked) << "command -1 never asks for a string";
}

// Counts the label's drawings and records what the label reports.
class CLabelPainter : public CSkinTextPainter {
 public:
  CSprite* BuildTipSprite(int) override { return nullptr; }
  void DrawLabelText(CSprite*, const char* text) override {
    ++drawn;
    last = text;
  }
  int drawn = 0;
  std::string last;
};

class CChangeCounter : public CVisualObjectNotify {
 public:
  void OnChange(CVisualObject*, int code, const SkinRect*, const SkinRect*) override {
    if (code == 4) ++changes;
  }
  void GetOrigin(CVisualObject*, int, SkinRect*) override {}
  void Update() override {}
  int changes = 0;
};

TEST(VersionLabel, TextAndRebuild) {
  struct Case {
    uint32_t game, launcher;
    const char* text;
  } const cases[] = {
      {0, 0, "Ver. 0.000/0.000"},
      {1002003, 2004000, "Ver. 1.002/2.004"},
      {1000000, 1000000, "Ver. 1.000/1.000"},
      {4294967295u, 999, "Ver. 4294.967/0.000"},
  };
  for (const Case& c : cases) {
    CVersionInfoVO label;
    CLabelPainter painter;
    CChangeCounter notify;
    label.SetPainter(&painter);
    label.SetVersions(c.game, c.launcher);
    EXPECT_EQ(std::string(c.text), label.GetText().GetString());
    EXPECT_EQ(1, painter.drawn);
    EXPECT_EQ(std::string(c.text), painter.last);
    ASSERT_NE(nullptr, label.GetImage());
    EXPECT_EQ(152, label.GetWidth());
    EXPECT_EQ(14, label.GetHeight());
    label.SetNotify(&notify);
    CDIB* before = label.GetImage();
    // The same versions: TRUE, and nothing drawn or reported.
    EXPECT_TRUE(label.SetVersionsIfChanged(c.game, c.launcher));
    EXPECT_EQ(1, painter.drawn);
    EXPECT_EQ(0, notify.changes);
    // Another version (either of the two): drawn again and reported.
    EXPECT_TRUE(label.SetVersionsIfChanged(c.game + 1000, c.launcher));
    EXPECT_EQ(2, painter.drawn);
    EXPECT_EQ(1, notify.changes);
    EXPECT_EQ(label.GetText().GetString(), painter.last);
    EXPECT_NE(std::string(c.text), painter.last);
    EXPECT_TRUE(label.SetVersionsIfChanged(c.game + 1000, c.launcher + 1000));
    EXPECT_EQ(3, painter.drawn);
    EXPECT_EQ(2, notify.changes);
    EXPECT_EQ(before, label.GetImage()) << "rebuilt in place";
    EXPECT_EQ(0x7C1Fu, static_cast<CSprite*>(label.GetImage())->GetColourKey());
  }
}

}  // namespace
