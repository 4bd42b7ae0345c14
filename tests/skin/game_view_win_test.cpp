// The game view's window with real GDI: its back buffer as a DIB section,
// the dirty rectangles as the BitBlts they become, Blit's clipping and the
// animation timer's end.
#include "skin/game_view.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

// Found by argument lookup: SkinRect is a global type.
static bool operator==(const SkinRect& a, const SkinRect& b) { return EqualSkinRect(a, b) != FALSE; }
static std::ostream& operator<<(std::ostream& os, const SkinRect& r) {
  return os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

// A game view that records each Blit the scene asks for.
class CRecordingGameView : public CGameView {
  DECLARE_DYNCREATE(CRecordingGameView)
 public:
  void Blit(const SkinRect* area) override {
    blits.push_back(area != nullptr ? *area : SkinRect{-1, -1, -1, -1});
    CGameView::Blit(area);
  }
  std::vector<SkinRect> blits;
};
IMPLEMENT_DYNCREATE(CRecordingGameView, CGameView)

// A 16-bit scene of one colour.
CDIB* NewScene(int w, int h, SkinColorRef colour) {
  CDIB* scene = new CDIB;
  scene->CreateBlank(w, h, nullptr);
  scene->Fill(colour, 0, 0, -1, -1, CDIB::kNoKey);
  return scene;
}

class GameViewTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    AfxWinInit(::GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL);
  }
  void SetUp() override {
    frame = new CFrameWnd;
    CCreateContext context;
    context.m_pNewViewClass = RUNTIME_CLASS(CRecordingGameView);
    ASSERT_TRUE(
        frame->Create(nullptr, "game view test", WS_POPUP, CRect(20, 20, 220, 170), nullptr, nullptr, 0, &context));
    hFrame = frame->m_hWnd;
    view = dynamic_cast<CRecordingGameView*>(CWnd::FromHandlePermanent(::GetDlgItem(hFrame, AFX_IDW_PANE_FIRST)));
    ASSERT_NE(nullptr, view);
    view->SendMessage(WM_INITIALUPDATE, 0, 0);
  }
  void TearDown() override {
    if (hFrame != nullptr && ::IsWindow(hFrame)) ::DestroyWindow(hFrame);
  }
  CGameScene& Scene() { return view->GetGameScene(); }
  SkinRect Client() {
    SkinRect r;
    view->GetClientRect(&r);
    return r;
  }

  CFrameWnd* frame = nullptr;
  HWND hFrame = nullptr;
  CRecordingGameView* view = nullptr;
};

// Queued rectangles merge into the first queued one they overlap (touching
// is not overlapping), new ones go to the front, and a flush blits each
// once, front first.
TEST_F(GameViewTest, DirtyRectanglesBecomeOneBlitEach) {
  ASSERT_TRUE(Scene().SetScene(NewScene(160, 120, 0x00FF00)));
  struct Case {
    const char* name;
    std::vector<SkinRect> queued;
    std::vector<SkinRect> blits;
  } const cases[] = {
      {"nothing queued", {}, {}},
      {"overlapping merge", {{0, 0, 10, 10}, {5, 5, 20, 20}}, {{0, 0, 20, 20}}},
      {"touching stay apart, the later first", {{0, 0, 10, 10}, {10, 0, 20, 10}}, {{10, 0, 20, 10}, {0, 0, 10, 10}}},
      {"outside the view is dropped", {{500, 500, 510, 510}, {0, 0, 4, 4}}, {{0, 0, 4, 4}}},
      {"merged into the front one only",
       {{0, 0, 10, 10}, {30, 30, 40, 40}, {5, 5, 35, 35}},
       {{5, 5, 40, 40}, {0, 0, 10, 10}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    view->blits.clear();
    for (const SkinRect& r : c.queued) Scene().AddDirtyRect(&r);
    Scene().FlushDirtyRects();
    EXPECT_EQ(c.blits, view->blits);
    EXPECT_EQ(0, Scene().GetDirtyCount());
  }
}

// Blit copies area ∩ the DC's clip box ∩ the back buffer, at the same
// place on both sides, and nothing else.
TEST_F(GameViewTest, BlitIsClippedToTheAreaTheClipBoxAndTheBackBuffer) {
  ASSERT_TRUE(Scene().SetScene(NewScene(64, 48, 0x0000FF)));
  ASSERT_NE(nullptr, Scene().GetBackBuffer());
  ASSERT_EQ(64, Scene().GetBackBuffer()->GetWidth());
  constexpr int kW = 100, kH = 80;
  constexpr uint32_t kUntouched = 0x123456;  // no widened 5:5:5 colour
  struct Case {
    const char* name;
    RECT area;
    RECT clip;  // empty: none
    RECT written;
  } const cases[] = {
      {"larger than the back buffer", {0, 0, 200, 200}, {}, {0, 0, 64, 48}},
      {"inside", {10, 10, 30, 20}, {}, {10, 10, 30, 20}},
      {"over its corner", {50, 40, 100, 80}, {}, {50, 40, 64, 48}},
      {"beyond it", {70, 0, 90, 10}, {}, {0, 0, 0, 0}},
      {"before it", {-10, -10, 5, 5}, {}, {0, 0, 5, 5}},
      {"within the clip box", {0, 0, 64, 48}, {20, 20, 40, 30}, {20, 20, 40, 30}},
      {"clip box apart from the area", {0, 0, 10, 10}, {20, 20, 40, 30}, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = kW;
    bmi.bmiHeader.biHeight = -kH;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP target = ::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(nullptr, target);
    uint32_t* px = static_cast<uint32_t*>(bits);
    for (int i = 0; i < kW * kH; ++i) px[i] = kUntouched;
    CDC dc;
    dc.Attach(::CreateCompatibleDC(nullptr));
    HGDIOBJ old = ::SelectObject(dc.m_hDC, target);
    if (!::IsRectEmpty(&c.clip)) {
      HRGN clip = ::CreateRectRgnIndirect(&c.clip);
      dc.SelectClipRgn(clip);
      ::DeleteObject(clip);
    }
    const SkinRect area = {c.area.left, c.area.top, c.area.right, c.area.bottom};
    view->BlitTo(&dc, &area);
    ::GdiFlush();
    int wrong = 0;
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        const POINT at = {x, y};
        const bool inside = ::PtInRect(&c.written, at) != FALSE;
        const uint32_t p = px[y * kW + x] & 0xFFFFFF;
        if (inside != (p != kUntouched)) ++wrong;
        if (inside && p != 0xFF0000 && p != 0xF80000) ++wrong;  // red, widened or not
      }
    }
    EXPECT_EQ(0, wrong);
    ::SelectObject(dc.m_hDC, old);
    dc.DeleteDC();
    ::DeleteObject(target);
  }
}

// The back buffer never exceeds the screen: a larger scene gets one of the
// screen's size, and only that part is ever shown.
TEST_F(GameViewTest, SceneLargerThanTheScreenGetsAScreenSizedBackBuffer) {
  const int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
  ASSERT_TRUE(Scene().SetScene(NewScene(sw + 100, sh + 60, 0xFFFFFF)));
  CDIB* back = Scene().GetBackBuffer();
  ASSERT_NE(nullptr, back);
  EXPECT_EQ(sw, back->GetWidth());
  EXPECT_EQ(sh, back->GetHeight());
  EXPECT_EQ(16, back->GetBitCount());
  BITMAP bm = {};
  ASSERT_TRUE(::GetObjectA(view->GetBackBufferBitmap(), sizeof bm, &bm));
  EXPECT_EQ(sw, bm.bmWidth);
  EXPECT_EQ(sh, bm.bmHeight);
  // The view shows the client area of the scene: that part is composed
  // (white), the rest of the back buffer is never drawn.
  const SkinRect client = Client();
  EXPECT_EQ(client, Scene().GetView());
  EXPECT_EQ(0x7FFFu, back->GetPixel(0, 0));
  EXPECT_EQ(0x7FFFu, back->GetPixel(client.right - 1, client.bottom - 1));
  EXPECT_EQ(0u, back->GetPixel(sw - 1, sh - 1));
}

TEST_F(GameViewTest, TheAnimationTimerEndsWithTheWindow) {
  ASSERT_TRUE(Scene().SetScene(NewScene(40, 30, 0)));
  view->StartAnimationTimer(50);
  // WM_DESTROY kills it: there is none left to kill afterwards.
  view->SendMessage(WM_DESTROY, 0, 0);
  EXPECT_FALSE(::KillTimer(view->m_hWnd, CGameView::kAnimationTimerId));
}

}  // namespace
