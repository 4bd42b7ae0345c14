// The game view's window with real GDI: its back buffer as a DIB section
// (and a section that cannot be made), the dirty rectangles as the BitBlts
// they become, Blit's clipping, a resize of the real window, and the
// animation timer.
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

// A game view that records each Blit the scene asks for, each copy it
// makes to a DC and each animation tick; its DIB section can be made to
// fail.
class CRecordingGameView : public CGameView {
  DECLARE_DYNCREATE(CRecordingGameView)
 public:
  using CGameView::AnimationTimerProc;
  enum class Section { kReal, kNone, kNoBits };

  void Blit(const SkinRect* area) override {
    blits.push_back(area != nullptr ? *area : SkinRect{-1, -1, -1, -1});
    CGameView::Blit(area);
  }
  BOOL OnAnimate() override {
    ++animations;
    return CGameView::OnAnimate();
  }
  std::vector<SkinRect> blits;
  std::vector<RECT> copies;
  int animations = 0;
  Section section = Section::kReal;
  HBITMAP lastSection = nullptr;

 protected:
  HBITMAP CreateSection(HDC dc, const BITMAPINFO* info, void** bits) override {
    if (section == Section::kNone) return nullptr;
    lastSection = CGameView::CreateSection(dc, info, bits);
    if (section == Section::kNoBits) *bits = nullptr;
    return lastSection;
  }
  void CopyToWindow(HDC target, HDC memory, const RECT& r) override {
    copies.push_back(r);
    CGameView::CopyToWindow(target, memory, r);
  }
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
    view->copies.clear();
    view->BlitTo(&dc, &area);
    ::GdiFlush();
    // One copy of exactly the clipped rectangle (GDI would clip a larger
    // one to the clip region itself), or none.
    const size_t copies = ::IsRectEmpty(&c.written) ? 0 : 1;
    EXPECT_EQ(copies, view->copies.size());
    if (copies == 1 && view->copies.size() == 1) {
      const RECT& r = view->copies[0];
      EXPECT_TRUE(::EqualRect(&c.written, &r)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
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

// The frame gives its views a sunken edge; a plain game view keeps it (the
// launcher screen drops it).
TEST_F(GameViewTest, APlainGameViewInAFrameHasTheFramesSunkenEdge) {
  EXPECT_NE(0, ::GetWindowLongPtrA(view->m_hWnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}

TEST_F(GameViewTest, TheAnimationTimerEndsWithTheWindow) {
  ASSERT_TRUE(Scene().SetScene(NewScene(40, 30, 0)));
  EXPECT_EQ(0u, view->GetAnimationPeriod());
  view->StartAnimationTimer(50);
  EXPECT_EQ(50u, view->GetAnimationPeriod());
  // WM_DESTROY kills it: there is none left to kill afterwards.
  view->SendMessage(WM_DESTROY, 0, 0);
  EXPECT_FALSE(::KillTimer(view->m_hWnd, CGameView::kAnimationTimerId));
}

// The timer's procedure animates a game view only: for the frame (a
// window of the framework that is no game view) or a window the framework
// does not know it does nothing.
TEST_F(GameViewTest, TheAnimationTimerAnimatesOnlyAGameView) {
  ASSERT_TRUE(Scene().SetScene(NewScene(40, 30, 0)));
  EXPECT_EQ(view, CGameView::FromTimerWindow(view->m_hWnd));
  EXPECT_EQ(nullptr, CGameView::FromTimerWindow(hFrame));
  EXPECT_EQ(nullptr, CGameView::FromTimerWindow(::GetDesktopWindow()));
  EXPECT_EQ(nullptr, CGameView::FromTimerWindow(nullptr));
  CRecordingGameView::AnimationTimerProc(hFrame, WM_TIMER, CGameView::kAnimationTimerId, 0);
  CRecordingGameView::AnimationTimerProc(::GetDesktopWindow(), WM_TIMER, CGameView::kAnimationTimerId, 0);
  EXPECT_EQ(0, view->animations);
  CRecordingGameView::AnimationTimerProc(view->m_hWnd, WM_TIMER, CGameView::kAnimationTimerId, 0);
  EXPECT_EQ(1, view->animations);
}

// A DIB section that cannot be made (or comes without pixels) leaves no
// back buffer: nothing is composed or shown, the class brush paints the
// window black, and a section made without pixels is not kept.
TEST_F(GameViewTest, ABackBufferSectionThatCannotBeMadeLeavesNone) {
  for (auto section : {CRecordingGameView::Section::kNone, CRecordingGameView::Section::kNoBits}) {
    SCOPED_TRACE(section == CRecordingGameView::Section::kNone ? "no section" : "no pixels");
    view->section = section;
    view->lastSection = nullptr;
    view->blits.clear();
    EXPECT_FALSE(Scene().SetScene(NewScene(64, 48, 0xFFFFFF)));
    EXPECT_EQ(nullptr, Scene().GetBackBuffer());
    EXPECT_EQ(nullptr, view->GetBackBufferBitmap());
    if (section == CRecordingGameView::Section::kNoBits) {
      ASSERT_NE(nullptr, view->lastSection);
      EXPECT_EQ(0u, ::GetObjectType(view->lastSection)) << "the section was deleted";
    }
    EXPECT_FALSE(Scene().Redraw(nullptr));
    EXPECT_TRUE(view->blits.empty());
    // Painted into a white bitmap of the window's size: only the class
    // brush reaches it.
    const SkinRect client = Client();
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP target = ::CreateCompatibleBitmap(screen, client.right, client.bottom);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(memory, target);
    ::PatBlt(memory, 0, 0, client.right, client.bottom, WHITENESS);
    view->SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
    EXPECT_EQ(RGB(0, 0, 0), ::GetPixel(memory, client.right / 2, client.bottom / 2));
    ::SelectObject(memory, old);
    ::DeleteObject(target);
    ::DeleteDC(memory);
  }
  // Once the section can be made again, so can the back buffer.
  view->section = CRecordingGameView::Section::kReal;
  EXPECT_TRUE(Scene().SetScene(NewScene(64, 48, 0xFFFFFF)));
  EXPECT_NE(nullptr, view->GetBackBufferBitmap());
}

// The frame made smaller, then ResizeView with the view's new size: a new
// back buffer (DIB section), the view rectangle of the new client area,
// the right-aligned objects laid out at its new right edge, the whole view
// composed and shown once, and nothing left in the dirty queue.
TEST_F(GameViewTest, ResizeViewRefitsTheSceneToTheResizedWindow) {
  ASSERT_TRUE(Scene().SetScene(NewScene(160, 120, 0x00FF00)));
  CRelativeVOList& lower = Scene().m_lowerRelativeObjects;
  lower.m_bAutoDelete = TRUE;
  lower.SetAlign(CRelativeVOList::kRight | CRelativeVOList::kTop);
  const SkinRect layout = {0, 0, 16, 8};
  lower.SetLayoutRect(&layout);
  CRelativeVisualObject* corner = new CRelativeVisualObject;
  CDIB* red = NewScene(16, 8, 0x0000FF);
  red->AddRef();
  corner->SetImage(red);
  corner->SetOffset(0, 0);
  lower.Add(corner, TRUE);
  Scene().LayoutRelativeLists();
  Scene().FlushDirtyRects();
  const SkinRect before = Client();
  ASSERT_EQ(before.right - 16, corner->GetX());

  // Mark the old section everywhere: a new one starts blank.
  HBITMAP oldSection = view->GetBackBufferBitmap();
  ASSERT_NE(nullptr, oldSection);
  {
    HDC memory = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(memory, oldSection);
    ::PatBlt(memory, 0, 0, 160, 120, WHITENESS);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
  }
  ASSERT_TRUE(::SetWindowPos(hFrame, nullptr, 0, 0, 120, 90, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
  const SkinRect after = Client();
  ASSERT_LT(after.right, before.right);
  ASSERT_GT(after.right, 16);
  const SkinRect stale = {0, 0, 4, 4};
  Scene().AddDirtyRect(&stale);
  view->blits.clear();

  ASSERT_TRUE(Scene().ResizeView(after.right, after.bottom));
  EXPECT_EQ(after, Scene().GetView());
  EXPECT_EQ(after.right - 16, corner->GetX());
  EXPECT_EQ(0, corner->GetY());
  EXPECT_EQ(0, Scene().GetDirtyCount());
  ASSERT_EQ(1u, view->blits.size());
  EXPECT_EQ((SkinRect{-1, -1, -1, -1}), view->blits[0]);

  // The section as GDI sees it: the scene's size (below the screen's),
  // green where the view is, the red object at its new place, blank (not
  // the old mark) beyond the view.
  HBITMAP section = view->GetBackBufferBitmap();
  ASSERT_NE(nullptr, section);
  BITMAP bm = {};
  ASSERT_TRUE(::GetObjectA(section, sizeof bm, &bm));
  EXPECT_EQ(160, bm.bmWidth);
  EXPECT_EQ(120, bm.bmHeight);
  HDC memory = ::CreateCompatibleDC(nullptr);
  HGDIOBJ old = ::SelectObject(memory, section);
  const COLORREF green = ::GetPixel(memory, 2, after.bottom - 2);
  EXPECT_EQ(RGB(0, 0xF8, 0) & 0xF8F8F8, green & 0xF8F8F8);
  EXPECT_EQ(RGB(0xF8, 0, 0) & 0xF8F8F8, ::GetPixel(memory, after.right - 1, 0) & 0xF8F8F8);
  EXPECT_EQ(RGB(0xF8, 0, 0) & 0xF8F8F8, ::GetPixel(memory, after.right - 16, 7) & 0xF8F8F8);
  EXPECT_EQ(RGB(0, 0, 0), ::GetPixel(memory, after.right + 2, 2));
  EXPECT_EQ(RGB(0, 0, 0), ::GetPixel(memory, 2, after.bottom + 2));
  ::SelectObject(memory, old);
  ::DeleteDC(memory);
}

}  // namespace
