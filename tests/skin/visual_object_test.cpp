// Visual objects and their lists: layer order, what each change reports,
// the relayout, the button's frames, hit tests on alpha, and ownership.
// Then the scene: the dirty queue and the composition it keeps.
#include "skin/visual_object.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "skin/game_scene.h"
#include "skin/graphic_data.h"
#include "tools/mkskin/rdl_writer.h"

namespace {

// Records every change and answers a fixed view rectangle.
class CRecorder : public CVisualObjectNotify {
 public:
  void OnChange(CVisualObject*, int code, const SkinRect* r1, const SkinRect* r2) override {
    changes.push_back({code, r1 ? *r1 : SkinRect{-1, -1, -1, -1}, r2 ? *r2 : SkinRect{-1, -1, -1, -1}});
  }
  void GetOrigin(CVisualObject*, int kind, SkinRect* out) override {
    if (kind == 0) *out = view;
  }
  void Update() override {}
  struct Change {
    int code;
    SkinRect r1, r2;
  };
  std::vector<Change> changes;
  SkinRect view = {0, 0, 640, 480};
};

CDIB* Blank(int w, int h) {
  CDIB* d = new CDIB;
  d->CreateBlank(w, h, nullptr);
  d->AddRef();
  return d;
}

bool Same(const SkinRect& a, const SkinRect& b) { return EqualSkinRect(a, b) != FALSE; }

TEST(VisualObjects, LayerOrderKeepsInsertionOrderForEqualLayers) {
  struct Case {
    std::vector<int> layers;
    std::vector<int> order;  // indices of insertion
  } const cases[] = {
      {{5, 1, 5, 3}, {1, 3, 0, 2}},     {{}, {}}, {{2, 2, 2}, {0, 1, 2}}, {{9, 8, 7}, {2, 1, 0}},
      {{0x7FFFFFFE, 0, -5}, {2, 1, 0}},
  };
  for (const Case& c : cases) {
    CVisualObjectList list;
    list.m_bAutoDelete = TRUE;
    std::vector<CVisualObject*> made;
    for (size_t i = 0; i < c.layers.size(); ++i) {
      CVisualObject* o = new CVisualObject;
      o->SetLayer(c.layers[i]);
      made.push_back(o);
      list.Add(o, TRUE);
    }
    std::vector<int> got;
    POSITION pos = list.GetHeadPosition();
    while (pos) {
      CVisualObject* o = list.GetNext(pos);
      for (size_t i = 0; i < made.size(); ++i)
        if (made[i] == o) got.push_back(static_cast<int>(i));
    }
    EXPECT_EQ(c.order, got);
  }
}

TEST(VisualObjects, EachActionReportsItsRectangles) {
  CRecorder rec;
  CVisualObjectList list;
  list.SetNotify(&rec);
  CVisualObject* o = new CVisualObject;
  o->SetImage(Blank(10, 5));  // no notify object yet: nothing reported
  o->SetPosition(3, 4);
  EXPECT_TRUE(rec.changes.empty());
  struct Step {
    const char* name;
    void (*act)(CVisualObjectList&, CVisualObject*&);
    std::vector<CRecorder::Change> want;
  };
  const SkinRect none = {-1, -1, -1, -1};
  const Step steps[] = {
      {"add", [](CVisualObjectList& l, CVisualObject*& v) { l.Add(v, TRUE); }, {{4, {3, 4, 13, 9}, none}}},
      {"move",
       [](CVisualObjectList&, CVisualObject*& v) { v->SetPosition(6, 4); },
       {{2, {3, 4, 13, 9}, {6, 4, 16, 9}}}},
      {"move to the same place", [](CVisualObjectList&, CVisualObject*& v) { v->SetPosition(6, 4); }, {}},
      {"hide", [](CVisualObjectList&, CVisualObject*& v) { EXPECT_TRUE(v->Show(FALSE)); }, {{4, {6, 4, 16, 9}, none}}},
      {"hide again", [](CVisualObjectList&, CVisualObject*& v) { EXPECT_FALSE(v->Show(FALSE)); }, {}},
      {"show", [](CVisualObjectList&, CVisualObject*& v) { EXPECT_TRUE(v->Show(TRUE)); }, {{4, {6, 4, 16, 9}, none}}},
      {"layer", [](CVisualObjectList&, CVisualObject*& v) { v->SetLayer(3); }, {{1, {6, 4, 16, 9}, none}}},
      {"detach",
       [](CVisualObjectList&, CVisualObject*& v) { EXPECT_EQ(0, v->DetachImage()->Release()); },
       {{4, {6, 4, 16, 9}, none}}},
      {"image set", [](CVisualObjectList&, CVisualObject*& v) { v->SetImage(Blank(2, 2)); }, {{4, {6, 4, 8, 6}, none}}},
      {"remove with destroy",
       [](CVisualObjectList& l, CVisualObject*& v) {
         l.Remove(v, TRUE);
         v = nullptr;
       },
       {{4, {6, 4, 8, 6}, none}}},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    rec.changes.clear();
    s.act(list, o);
    ASSERT_EQ(s.want.size(), rec.changes.size());
    for (size_t i = 0; i < s.want.size(); ++i) {
      EXPECT_EQ(s.want[i].code, rec.changes[i].code);
      EXPECT_TRUE(Same(s.want[i].r1, rec.changes[i].r1));
      EXPECT_TRUE(Same(s.want[i].r2, rec.changes[i].r2));
    }
  }
  EXPECT_TRUE(list.IsEmpty());
  CVisualObject bare;
  EXPECT_EQ(0, bare.GetWidth());
  EXPECT_EQ(0, bare.GetHeight());
}

TEST(VisualObjects, RelayoutAnchorsTheLayoutRectangle) {
  struct Case {
    uint32_t flags;
    SkinRect layout, view;
    int x, y;  // where an object with offset (0, 0) lands
  } const cases[] = {
      {0x14, {0, 0, 152, 14}, {0, 0, 640, 480}, 488, 0},
      {0x01 | 0x08, {0, 0, 100, 80}, {0, 0, 640, 480}, 270, 200},
      {0x01, {0, 0, 101, 10}, {0, 0, 640, 480}, 269, 0},
      {0x02 | 0x20, {50, 50, 150, 70}, {0, 0, 640, 480}, 0, 460},
      {0, {50, 60, 150, 70}, {0, 0, 640, 480}, 50, 60},
      {0x04, {0, 0, 500, 400}, {0, 0, 500, 400}, 0, 0},
      {0x04, {0, 0, 10, 10}, {100, 20, 300, 220}, 190 + 100, 20},  // the view's top-left is added by the object
      {0x8000 | 0x04, {0, 0, 10, 10}, {0, 0, 640, 480}, 0, 0},     // absolute: offsets alone
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.flags);
    CRecorder rec;
    rec.view = c.view;
    CRelativeVOList list;
    list.m_bAutoDelete = TRUE;
    list.SetNotify(&rec);
    list.SetAlign(c.flags);
    list.SetLayoutRect(&c.layout);
    CRelativeVisualObject* o = new CRelativeVisualObject;
    o->SetOffset(0, 0);
    list.Add(o, FALSE);
    list.Relayout();
    EXPECT_EQ(c.x, o->GetX());
    EXPECT_EQ(c.y, o->GetY());
  }
  // Without a notify object only an absolute layout does anything.
  CRelativeVOList orphan;
  orphan.m_bAutoDelete = TRUE;
  CRelativeVisualObject* o = new CRelativeVisualObject;
  o->SetOffset(7, 8);
  orphan.Add(o, FALSE);
  orphan.SetAlign(0x14);
  orphan.Relayout();
  EXPECT_EQ(0, o->GetX());
  orphan.SetAlign(0x8000);
  orphan.Relayout();
  EXPECT_EQ(7, o->GetX());
  EXPECT_EQ(8, o->GetY());
}

CHilightButtonVO* ThreeFrameButton(int w, int h) {
  CDIBComboArray frames(FALSE);
  for (int i = 0; i < 3; ++i) frames.Add(CDIBCombo{Blank(w, h), 0, 0});
  CHilightButtonVO* b = new CHilightButtonVO;
  b->Create(frames, 32773);
  return b;
}

TEST(VisualObjects, ButtonStateTable) {
  enum Op { kHot, kCold, kPressed, kRefresh, kDisable, kEnable, kFrame3, kFrame1 };
  struct Step {
    Op op;
    int frame;
    BOOL answer;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
  } const cases[] = {
      {"first hot tick keeps frame 0", {{kHot, 0, FALSE}, {kHot, 1, TRUE}, {kHot, 1, FALSE}}},
      {"leaving shows frame 0", {{kHot, 0, FALSE}, {kHot, 1, TRUE}, {kCold, 0, TRUE}, {kCold, 0, FALSE}}},
      {"pressed and back",
       {{kPressed, 2, TRUE}, {kRefresh, 0, TRUE}, {kHot, 0, FALSE}, {kRefresh, 1, TRUE}, {kPressed, 2, TRUE}}},
      {"out of range", {{kFrame3, 0, FALSE}, {kFrame1, 1, TRUE}, {kFrame1, 1, FALSE}}},
      {"disable sets its frame once",
       {{kFrame1, 1, TRUE}, {kDisable, 0, FALSE}, {kDisable, 0, FALSE}, {kEnable, 0, FALSE}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CRecorder rec;
    CVisualObjectList list;
    list.m_bAutoDelete = TRUE;
    list.SetNotify(&rec);
    CHilightButtonVO* b = ThreeFrameButton(20, 10);
    list.Add(b, FALSE);
    EXPECT_EQ(CHilightButtonVO::kButtonLayer, b->GetLayer());
    EXPECT_EQ(32773, b->GetCommandId());
    for (const Step& s : c.steps) {
      BOOL answer = FALSE;
      switch (s.op) {
        case kHot:
          answer = b->SetHot(TRUE, 0);
          break;
        case kCold:
          answer = b->SetHot(FALSE, 0);
          break;
        case kPressed:
          answer = b->ShowPressed();
          break;
        case kRefresh:
          answer = b->RefreshFrame();
          break;
        case kDisable:
          b->Enable(FALSE, 0);
          break;
        case kEnable:
          b->Enable(TRUE, 0);
          break;
        case kFrame3:
          answer = b->SetFrame(3);
          break;
        case kFrame1:
          answer = b->SetFrame(1);
          break;
      }
      EXPECT_EQ(s.frame, b->GetFrameShown()) << s.op;
      EXPECT_EQ(s.answer, answer) << s.op;
    }
  }
  // Without a notify object SetFrame changes the frame but answers FALSE.
  CHilightButtonVO* lone = ThreeFrameButton(4, 4);
  EXPECT_FALSE(lone->SetFrame(2));
  EXPECT_EQ(2, lone->GetFrameShown());
  lone->Destroy();
}

TEST(VisualObjects, ButtonHitsOnlyOpaquePixelsOfAlphaFrames) {
  // 3 x 1: alpha 0, 255, 0.
  std::vector<uint8_t> e = {0, 1, 0};
  e.resize(3 + 1024, 0);
  e[3 + 4 + 3] = 255;
  CRdlWriter w;
  for (int i = 0; i < 3; ++i) w.AddRaw(3, 1, e);
  std::vector<uint8_t> bytes = w.Build();
  CGraphicData skin(4, 1);
  ASSERT_TRUE(skin.OpenMemory(bytes.data(), bytes.size()));
  CDIBComboArray frames(FALSE);
  for (int i = 0; i < 3; ++i) {
    CAlphableDIB* a = new CAlphableDIB;
    a->Create(3, 1, i, &skin);
    a->AddRef();
    frames.Add(CDIBCombo{a, 0, 0});
  }
  CHilightButtonVO b;
  b.Create(frames, 1);
  b.SetPosition(10, 20);
  EXPECT_FALSE(b.HitTest(10, 20));
  EXPECT_TRUE(b.HitTest(11, 20));
  EXPECT_FALSE(b.HitTest(12, 20));
  EXPECT_FALSE(b.HitTest(11, 21));
  b.Show(FALSE);
  EXPECT_FALSE(b.HitTest(11, 20));
}

TEST(VisualObjects, MatchIdAndFind) {
  CVisualObjectList list, found;
  list.m_bAutoDelete = TRUE;
  for (uint32_t sub : {0u, 2u, 3u}) {
    CVisualObject* o = new CVisualObject;
    o->SetId(7, sub);
    list.Add(o, FALSE);
  }
  EXPECT_TRUE(list.FindById(&found, 7, 0));
  EXPECT_EQ(3, found.GetCount());
  found.RemoveAll(FALSE);
  EXPECT_TRUE(list.FindById(&found, 7, 2));
  EXPECT_EQ(1, found.GetCount());
  found.RemoveAll(FALSE);
  EXPECT_FALSE(list.FindById(&found, 8, 0));
}

// Destroyed objects count themselves; LeakSanitizer catches the rest.
int g_destroyed = 0;
class CCounted : public CVisualObject {
 public:
  ~CCounted() override { ++g_destroyed; }
  BOOL IsFinished() override { return finished; }
  bool finished = false;
};

TEST(VisualObjects, OwnershipUnderAutoDelete) {
  g_destroyed = 0;
  {
    CVisualObjectList owning;
    owning.m_bAutoDelete = TRUE;
    owning.Add(new CCounted, FALSE);
    owning.Add(new CCounted, FALSE);
  }
  EXPECT_EQ(2, g_destroyed);
  CCounted keep;
  {
    CVisualObjectList borrowing;
    borrowing.Add(&keep, FALSE);
  }
  EXPECT_EQ(2, g_destroyed);
  {
    CVisualObjectList ticking;
    ticking.m_bAutoDelete = TRUE;
    CCounted* done = new CCounted;
    done->finished = true;
    ticking.Add(new CCounted, FALSE);
    ticking.Add(done, FALSE);
    EXPECT_TRUE(ticking.Tick());
    EXPECT_EQ(3, g_destroyed);
    EXPECT_FALSE(ticking.Tick());
  }
  EXPECT_EQ(4, g_destroyed);
  {
    CRelativeVODoubleList groups;
    groups.m_bAutoDelete = TRUE;
    CRelativeVOList* l = new CRelativeVOList;  // not owning its objects itself
    l->Add(new CCounted, FALSE);
    groups.AddTail(l);
  }
  EXPECT_EQ(5, g_destroyed) << "the double list's auto-delete reaches the objects";
  // An image is released with its object.
  CDIB* shared = Blank(2, 2);
  shared->AddRef();
  {
    CVisualObject o;
    o.SetImage(shared);
  }
  EXPECT_EQ(0, shared->Release());
}

// ---------------------------------------------------------------------------
// The scene

class CSceneFixture : public CGameScene {
 public:
  CSceneFixture(int w, int h, int screenW, int screenH) {
    SetScreenSize(screenW, screenH);
    SetClientRect({0, 0, w, h});
    InitVisualObjects();
    CDIB* scene = new CDIB;
    scene->CreateBlank(w, h, nullptr);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint16_t v = static_cast<uint16_t>((x * 7 + y * 13) & 0x7FFF);
        std::memcpy(scene->GetPixelAddress(x, y), &v, 2);
      }
    SetScene(scene);
  }
  void Blit(const SkinRect* area) override { blits.push_back(area ? *area : SkinRect{-1, -1, -1, -1}); }
  std::vector<SkinRect> blits;
};

TEST(Scene, DirtyQueueMerges) {
  struct Case {
    const char* name;
    std::vector<SkinRect> added;
    std::vector<SkinRect> queue;  // front first
  } const cases[] = {
      {"overlap merges", {{0, 0, 10, 10}, {5, 5, 20, 20}}, {{0, 0, 20, 20}}},
      {"touching stays apart, later first", {{0, 0, 10, 10}, {10, 0, 20, 10}}, {{10, 0, 20, 10}, {0, 0, 10, 10}}},
      {"outside the view is dropped", {{200, 200, 210, 210}, {-20, 0, 0, 5}}, {}},
      {"merged into the first it meets, not compared again",
       {{0, 0, 10, 10}, {30, 0, 40, 10}, {8, 0, 32, 5}},
       {{8, 0, 40, 10}, {0, 0, 10, 10}}},
      {"partly outside kept whole", {{90, 90, 150, 150}}, {{90, 90, 150, 150}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CSceneFixture s(100, 100, 1024, 768);
    s.ClearDirtyRects();
    for (const SkinRect& r : c.added) s.AddDirtyRect(&r);
    ASSERT_EQ(static_cast<int>(c.queue.size()), s.GetDirtyCount());
    for (size_t i = 0; i < c.queue.size(); ++i) EXPECT_TRUE(Same(c.queue[i], s.GetDirtyRect(static_cast<int>(i))));
    s.blits.clear();
    s.FlushDirtyRects();
    EXPECT_EQ(0, s.GetDirtyCount());
    EXPECT_EQ(c.queue.size(), s.blits.size());
  }
}

TEST(Scene, BackBufferNeverExceedsTheScreen) {
  CSceneFixture s(300, 200, 120, 500);
  ASSERT_NE(nullptr, s.GetBackBuffer());
  EXPECT_EQ(120, s.GetBackBuffer()->GetWidth());
  EXPECT_EQ(200, s.GetBackBuffer()->GetHeight());
  // The same scene again is not deleted.
  CDIB* scene = s.GetScene();
  EXPECT_TRUE(s.SetScene(scene));
  EXPECT_EQ(scene, s.GetScene());
}

// After any changes and flushes, the back buffer equals a fresh full
// composition of the same objects.
TEST(Scene, FlushedBufferEqualsAFullComposition) {
  std::mt19937 rng(7);
  CSceneFixture s(120, 90, 1024, 768);
  s.m_objects.m_bAutoDelete = TRUE;
  std::vector<CVisualObject*> objs;
  for (int i = 0; i < 6; ++i) {
    CSprite* sp = new CSprite;
    sp->CreateBlank(10 + i * 3, 8 + i, nullptr);
    for (int y = 0; y < sp->GetHeight(); ++y)
      for (int x = 0; x < sp->GetWidth(); ++x) {
        const uint16_t v = (x + y) % 3 == 0 ? 0x7C1F : static_cast<uint16_t>(0x0400 * i + x);
        std::memcpy(sp->GetPixelAddress(x, y), &v, 2);
      }
    sp->SetColourKey(0x7C1F);
    sp->AddRef();
    CVisualObject* o = new CVisualObject;
    o->SetImage(sp);
    o->SetLayer(static_cast<int>(rng() % 3));
    o->SetPosition(static_cast<int>(rng() % 110) - 5, static_cast<int>(rng() % 80) - 5);
    s.m_objects.Add(o, TRUE);
    objs.push_back(o);
  }
  s.FlushDirtyRects();
  for (int step = 0; step < 200; ++step) {
    CVisualObject* o = objs[rng() % objs.size()];
    switch (rng() % 4) {
      case 0:
        o->SetPosition(static_cast<int>(rng() % 130) - 10, static_cast<int>(rng() % 100) - 10);
        break;
      case 1:
        o->Show(rng() % 2 == 0);
        break;
      case 2:
        o->SetLayer(static_cast<int>(rng() % 3));
        s.m_objects.Resort(o);
        break;
      default:
        break;
    }
    if (rng() % 3 == 0) s.FlushDirtyRects();
  }
  s.FlushDirtyRects();
  CDIB* bb = s.GetBackBuffer();
  std::vector<uint8_t> kept(bb->GetBits(), bb->GetBits() + bb->GetImageSize());
  s.Redraw(nullptr);
  EXPECT_EQ(0, std::memcmp(kept.data(), bb->GetBits(), kept.size()));
}

}  // namespace
