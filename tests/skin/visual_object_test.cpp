// Visual objects and their lists: layer order, what each change reports,
// the relayout, the button's frames, hit tests on alpha, and ownership.
// Then the scene: the dirty queue and the composition it keeps.
#include "skin/visual_object.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
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
      {"the same layer again", [](CVisualObjectList&, CVisualObject*& v) { v->SetLayer(3); }, {}},
      {"spare update", [](CVisualObjectList&, CVisualObject*& v) { v->SpareUpdate(); }, {}},
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
  enum Op { kHot, kCold, kPressed, kRefresh, kDisable, kEnable, kEnableTo2, kFrame3, kFrame1 };
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
       {{kFrame1, 1, TRUE}, {kDisable, 0, FALSE}, {kFrame1, 1, TRUE}, {kDisable, 1, FALSE}, {kEnableTo2, 2, FALSE}}},
      {"enabling an enabled button keeps its frame", {{kFrame1, 1, TRUE}, {kEnableTo2, 1, FALSE}, {kEnable, 1, FALSE}}},
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
        case kEnableTo2:
          b->Enable(TRUE, 2);
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

// ---------------------------------------------------------------------------
// More of the toolkit: re-sorting, the multi-image object, anchors

std::vector<int> Layers(const CVisualObjectList& list, const std::vector<CVisualObject*>& made) {
  std::vector<int> order;
  POSITION pos = list.GetHeadPosition();
  while (pos != nullptr) {
    CVisualObject* o = list.GetNext(pos);
    for (size_t i = 0; i < made.size(); ++i)
      if (made[i] == o) order.push_back(static_cast<int>(i));
  }
  return order;
}

// After a layer change Resort puts the object behind every object of a
// layer not higher than its new one (so last among its equals), and
// reports it taken away and added back.
TEST(VisualObjects, ResortPlacesTheObjectLastAmongItsNewLayer) {
  struct Case {
    const char* name;
    int moved;  // index of the object whose layer changes
    int newLayer;
    std::vector<int> order;
  } const cases[] = {
      {"up into an equal layer", 0, 2, {1, 2, 0, 3}},
      {"down to the front", 3, 0, {3, 0, 1, 2}},
      {"to the top", 1, 9, {0, 2, 3, 1}},
      {"within its own layer", 1, 2, {0, 2, 1, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CRecorder rec;
    CVisualObjectList list;
    list.m_bAutoDelete = TRUE;
    list.SetNotify(&rec);
    std::vector<CVisualObject*> made;
    for (int layer : {1, 2, 2, 3}) {
      CVisualObject* o = new CVisualObject;
      o->SetImage(Blank(2, 2));
      o->SetLayer(layer);
      made.push_back(o);
      list.Add(o, FALSE);
    }
    ASSERT_EQ((std::vector<int>{0, 1, 2, 3}), Layers(list, made));
    made[c.moved]->SetLayer(c.newLayer);
    rec.changes.clear();
    list.Resort(made[c.moved]);
    EXPECT_EQ(c.order, Layers(list, made));
    ASSERT_EQ(2u, rec.changes.size());
    EXPECT_EQ(4, rec.changes[0].code);
    EXPECT_EQ(4, rec.changes[1].code);
  }
  // An object that is not in the list is not added by a resort.
  CVisualObjectList list;
  CVisualObject stranger;
  list.Resort(&stranger);
  EXPECT_TRUE(list.IsEmpty());
}

// SetImages reports the object once (with a notify object); RemoveAll
// reports every object, front first, with its rectangle, and deletes them
// only when asked to.
TEST(VisualObjects, SetImagesAndRemoveAllReportEachObject) {
  CRecorder rec;
  CMultiDIBVisualObject* multi = new CMultiDIBVisualObject;
  multi->SetPosition(5, 6);
  CDIBComboArray frames(FALSE);
  frames.Add(CDIBCombo{Blank(8, 3), 0, 0});
  multi->SetImages(frames);
  EXPECT_TRUE(rec.changes.empty());
  multi->SetNotify(&rec);
  CDIBComboArray more(FALSE);
  more.Add(CDIBCombo{Blank(4, 9), 1, 1});
  multi->SetImages(more);
  ASSERT_EQ(1u, rec.changes.size());
  EXPECT_EQ(4, rec.changes[0].code);
  EXPECT_TRUE(Same({5, 6, 13, 9}, rec.changes[0].r1)) << "the size stays what the first images made it";
  EXPECT_EQ(2, multi->GetFrameCount());

  for (BOOL destroy : {FALSE, TRUE}) {
    SCOPED_TRACE(destroy ? "destroy" : "keep");
    g_destroyed = 0;
    CVisualObjectList list;
    list.SetNotify(&rec);
    CCounted a, b;
    CCounted* pa = destroy ? new CCounted : &a;
    CCounted* pb = destroy ? new CCounted : &b;
    pa->SetImage(Blank(3, 3));
    pb->SetImage(Blank(5, 2));
    pb->SetPosition(10, 0);
    list.Add(pb, FALSE);
    list.Add(pa, FALSE);
    rec.changes.clear();
    list.RemoveAll(destroy);
    EXPECT_TRUE(list.IsEmpty());
    ASSERT_EQ(2u, rec.changes.size());
    EXPECT_EQ(4, rec.changes[0].code);
    EXPECT_TRUE(Same({10, 0, 15, 2}, rec.changes[0].r1)) << "front first";
    EXPECT_EQ(4, rec.changes[1].code);
    EXPECT_TRUE(Same({0, 0, 3, 3}, rec.changes[1].r1));
    EXPECT_EQ(destroy ? 2 : 0, g_destroyed);
  }
  multi->Destroy();
}

// An anchor of 0x7FFFFFFF on either axis means none: the object goes to
// its offset from the view's top-left alone.
TEST(VisualObjects, AnUnsetAnchorLeavesTheOffsetFromTheView) {
  struct Case {
    const char* name;
    int x, y;
    BOOL absolute;
    int wantX, wantY;
  } const cases[] = {
      {"anchored", 30, 40, FALSE, 135, 66},
      {"no anchor across", 0x7FFFFFFF, 40, FALSE, 105, 26},
      {"no anchor down", 30, 0x7FFFFFFF, FALSE, 105, 26},
      {"absolute", 30, 40, TRUE, 5, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CRecorder rec;
    rec.view = {100, 20, 400, 300};
    CRelativeVisualObject label;
    label.SetNotify(&rec);
    label.SetOffset(5, 6);
    label.SetAnchor(c.x, c.y, c.absolute);
    EXPECT_EQ(c.wantX, label.GetX());
    EXPECT_EQ(c.wantY, label.GetY());
    CHilightButtonVO* button = ThreeFrameButton(4, 4);
    button->SetNotify(&rec);
    button->SetAnchorOffset(5, 6);
    button->SetAnchor(c.x, c.y, c.absolute);
    EXPECT_EQ(c.wantX, button->GetX());
    EXPECT_EQ(c.wantY, button->GetY());
    button->Destroy();
  }
}

// A 16-bit image whose every pixel is its own value: base + x + 16 y.
CDIB* Numbered(int w, int h, uint16_t base) {
  CDIB* d = Blank(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint16_t v = static_cast<uint16_t>(base + x + 16 * y);
      std::memcpy(d->GetPixelAddress(x, y), &v, 2);
    }
  return d;
}

// Every frame at the object's place plus its offset, later frames on top,
// each clipped to the object's size (the largest width and height of the
// frames, offsets not counted), to the area and to the view.
TEST(VisualObjects, MultiImageObjectDrawsEachFrameAtItsOffset) {
  constexpr int kX = 4, kY = 3;
  const SkinRect whole = {-100, -100, 100, 100};
  struct Case {
    const char* name;
    SkinRect area, view;
  } const cases[] = {
      {"everything", whole, {0, 0, 20, 20}},
      {"a view scrolled", whole, {1, 2, 21, 22}},
      {"part of the top frame", {7, 5, 9, 7}, {1, 1, 21, 21}},
      {"the area apart", {50, 50, 60, 60}, {0, 0, 20, 20}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CMultiDIBVisualObject obj;
    CDIBComboArray frames(FALSE);
    frames.Add(CDIBCombo{Numbered(6, 4, 0x1000), 0, 0});
    frames.Add(CDIBCombo{Numbered(3, 5, 0x2000), 2, 1});
    obj.SetImages(frames);
    obj.SpareUpdate();
    EXPECT_EQ(6, obj.GetWidth());
    EXPECT_EQ(5, obj.GetHeight());
    obj.SetPosition(kX, kY);
    CDIB* dest = Blank(20, 20);
    obj.Draw(dest, &c.area, &c.view);
    int wrong = 0;
    for (int dy = 0; dy < 20; ++dy) {
      for (int dx = 0; dx < 20; ++dx) {
        const int sx = dx + c.view.left, sy = dy + c.view.top;  // scene coordinates
        const int lx = sx - kX, ly = sy - kY;                   // in the object
        uint16_t want = 0;
        if (lx >= 0 && ly >= 0 && lx < 6 && ly < 5 && PtInSkinRect(c.area, sx, sy)) {
          if (lx < 6 && ly < 4) want = static_cast<uint16_t>(0x1000 + lx + 16 * ly);
          if (lx >= 2 && lx < 5 && ly >= 1 && ly < 6) want = static_cast<uint16_t>(0x2000 + (lx - 2) + 16 * (ly - 1));
        }
        if (dest->GetPixel(dx, dy) != want) ++wrong;
      }
    }
    EXPECT_EQ(0, wrong);
    dest->Release();
  }
}

// ---------------------------------------------------------------------------
// The scene's operations on its objects

// Makes c objects with id a and sub-ids b + 1 ... b + c, 4 x 4 each, the
// i-th at (10 i, 10); a < 0 is refused, leaving a half-made object in the
// list it was handed.
class CEditingScene : public CSceneFixture {
 public:
  CEditingScene() : CSceneFixture(100, 100, 1024, 768) { m_objects.m_bAutoDelete = TRUE; }
  BOOL CreateObjects(CVisualObjectList* out, int a, int b, int c) override {
    ++creations;
    if (a < 0) {
      out->Add(new CCounted, FALSE);
      return FALSE;
    }
    for (int i = 1; i <= c; ++i) {
      CCounted* o = new CCounted;
      o->SetImage(Blank(4, 4));
      o->SetId(a, static_cast<uint32_t>(b + i));
      o->SetPosition(10 * i, 10);
      out->Add(o, FALSE);
    }
    return TRUE;
  }
  BOOL RefreshObjects() override {
    ++refreshes;
    return TRUE;
  }
  int Count(int id) {
    CVisualObjectList found;
    FindObjectsById(&found, id, 0, 0);
    const int n = found.GetCount();
    found.RemoveAll(FALSE);
    return n;
  }
  std::vector<SkinRect> Queue() const {
    std::vector<SkinRect> q;
    for (int i = 0; i < GetDirtyCount(); ++i) q.push_back(GetDirtyRect(i));
    return q;
  }
  int creations = 0;
  int refreshes = 0;
};

bool SameQueue(const std::vector<SkinRect>& a, const std::vector<SkinRect>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (!Same(a[i], b[i])) return false;
  return true;
}

// EditObjects by kind, one step after the other on the same scene: what
// it answers, what the main list holds, what was queued for drawing and
// what was deleted.
TEST(Scene, EditObjectsRefreshesAddsRemovesAndReplaces) {
  CEditingScene s;
  struct Step {
    const char* name;
    int kind, a, b, c;
    BOOL answer;
    int ids7, ids8;  // objects with id 7 and 8 afterwards
    std::vector<SkinRect> queued;
    int deleted;
  } const steps[] = {
      {"refresh", 0, 0, 0, 0, TRUE, 0, 0, {}, 0},
      {"add two", 1, 7, 0, 2, TRUE, 2, 0, {{20, 10, 24, 14}, {10, 10, 14, 14}}, 0},
      {"add one of another id", 1, 8, 0, 1, TRUE, 2, 1, {{10, 10, 14, 14}}, 0},
      {"remove one sub-id", 2, 7, 2, 0, TRUE, 1, 1, {{20, 10, 24, 14}}, 1},
      {"remove what is not there", 2, 9, 0, 0, FALSE, 1, 1, {}, 0},
      {"replace the id 7 objects by three",
       3,
       7,
       0,
       3,
       TRUE,
       3,
       1,
       {{30, 10, 34, 14}, {20, 10, 24, 14}, {10, 10, 14, 14}},
       1},
      {"a refused creation adds nothing", 1, -1, 0, 0, FALSE, 3, 1, {}, 1},
      {"remove every id 8", 2, 8, 0, 0, TRUE, 3, 0, {{10, 10, 14, 14}}, 1},
      {"an unknown kind", 4, 7, 0, 1, FALSE, 3, 0, {}, 0},
      {"a negative kind", -1, 7, 0, 1, FALSE, 3, 0, {}, 0},
  };
  for (const Step& st : steps) {
    SCOPED_TRACE(st.name);
    s.ClearDirtyRects();
    g_destroyed = 0;
    const int refreshes = s.refreshes;
    EXPECT_EQ(st.answer, s.EditObjects(st.kind, st.a, st.b, st.c));
    EXPECT_EQ(st.kind == 0 ? refreshes + 1 : refreshes, s.refreshes);
    EXPECT_EQ(st.ids7, s.Count(7));
    EXPECT_EQ(st.ids8, s.Count(8));
    EXPECT_TRUE(SameQueue(st.queued, s.Queue()));
    EXPECT_EQ(st.deleted, g_destroyed);
    EXPECT_EQ(st.ids7 + st.ids8, s.m_objects.GetCount());
  }
  // The added objects went in through the list, with its notify object.
  POSITION pos = s.m_objects.GetHeadPosition();
  while (pos != nullptr) EXPECT_EQ(s.GetNotify(), s.m_objects.GetNext(pos)->GetNotify());
  EXPECT_EQ(4, s.creations) << "kinds 1 and 3 only, once each";
}

// FindObjectsById appends what matches (sub-id 0: any) and answers
// whether the list grew, whatever it held before.
TEST(Scene, FindObjectsByIdAppends) {
  CEditingScene s;
  ASSERT_TRUE(s.AddObjects(7, 0, 3));
  CVisualObjectList out;
  CVisualObject other;
  out.AddTail(&other);
  EXPECT_TRUE(s.FindObjectsById(&out, 7, 0, 0));
  EXPECT_EQ(4, out.GetCount());
  EXPECT_EQ(&other, out.GetHead());
  EXPECT_TRUE(s.FindObjectsById(&out, 7, 2, 0));
  EXPECT_EQ(5, out.GetCount());
  uint32_t sub = 0;
  EXPECT_EQ(7, out.GetTail()->GetId(&sub));
  EXPECT_EQ(2u, sub);
  EXPECT_FALSE(s.FindObjectsById(&out, 7, 9, 0));
  EXPECT_FALSE(s.FindObjectsById(&out, 6, 0, 0));
  EXPECT_EQ(5, out.GetCount());
  out.RemoveAll(FALSE);
}

// The plain scene makes no objects: adding and replacing answer FALSE
// (a replace still removes), refreshing and the spare query too.
TEST(Scene, ThePlainSceneCreatesNothing) {
  CSceneFixture s(50, 50, 1024, 768);
  s.m_objects.m_bAutoDelete = TRUE;
  CVisualObject* o = new CVisualObject;
  o->SetId(7, 0);
  s.m_objects.Add(o, FALSE);
  s.SpareHook();
  EXPECT_FALSE(s.RefreshObjects());
  EXPECT_FALSE(s.SpareQuery());
  EXPECT_FALSE(s.EditObjects(0, 0, 0, 0));
  EXPECT_FALSE(s.EditObjects(1, 7, 0, 1));
  EXPECT_EQ(1, s.m_objects.GetCount());
  CVisualObjectList out;
  EXPECT_FALSE(s.CreateObjects(&out, 7, 0, 1));
  EXPECT_TRUE(out.IsEmpty());
  EXPECT_FALSE(s.EditObjects(3, 7, 0, 1));
  EXPECT_TRUE(s.m_objects.IsEmpty()) << "the replace removed the old objects";
}

// A scene that logs its drawing and what it shows.
class CLoggingScene : public CSceneFixture {
 public:
  CLoggingScene() : CSceneFixture(100, 100, 1024, 768) {}
  void DrawSceneArea(int x, int y, const SkinRect* src) override {
    log.push_back('d');
    CSceneFixture::DrawSceneArea(x, y, src);
  }
  void Blit(const SkinRect* area) override {
    log.push_back('b');
    CSceneFixture::Blit(area);
  }
  BOOL RefreshObjects() override {
    ++refreshes;
    return TRUE;
  }
  std::string log;
  int refreshes = 0;
};

// A flush renders every queued rectangle before it shows any of them, so
// that no rectangle reaches the window half composed.
TEST(Scene, FlushRendersEveryRectangleBeforeShowingAny) {
  CLoggingScene s;
  const SkinRect rs[] = {{0, 0, 5, 5}, {20, 20, 30, 30}, {50, 0, 60, 10}};
  for (const SkinRect& r : rs) s.AddDirtyRect(&r);
  s.log.clear();
  s.blits.clear();
  s.FlushDirtyRects();
  EXPECT_EQ("dddbbb", s.log);
  ASSERT_EQ(3u, s.blits.size());
  EXPECT_TRUE(Same(rs[2], s.blits[0])) << "front first";
  EXPECT_TRUE(Same(rs[0], s.blits[2]));
}

// ResizeView: a new back buffer, the view of the new size (no larger than
// the client rectangle, keeping its top-left), the relative lists laid out
// in it, the whole view redrawn and shown once, and nothing left queued.
TEST(Scene, ResizeViewRefitsTheScene) {
  struct Case {
    const char* name;
    SkinRect client;
    int cx, cy;
    SkinRect viewBefore, view;
  } const cases[] = {
      {"a smaller window", {0, 0, 80, 60}, 80, 60, {0, 0, 100, 90}, {0, 0, 80, 60}},
      {"a size below the client", {0, 0, 100, 90}, 70, 50, {0, 0, 100, 90}, {0, 0, 70, 50}},
      {"a size above the client", {0, 0, 60, 40}, 500, 500, {0, 0, 100, 90}, {0, 0, 60, 40}},
      {"a scrolled view keeps its top-left", {0, 0, 80, 60}, 80, 60, {10, 5, 110, 95}, {10, 5, 90, 65}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CLoggingScene s;
    s.m_lowerRelativeObjects.m_bAutoDelete = TRUE;
    s.m_lowerRelativeObjects.SetAlign(CRelativeVOList::kRight | CRelativeVOList::kBottom);
    const SkinRect layout = {0, 0, 20, 10};
    s.m_lowerRelativeObjects.SetLayoutRect(&layout);
    CRelativeVisualObject* corner = new CRelativeVisualObject;
    CDIB* image = Blank(20, 10);
    image->Fill(0x0000FF, 0, 0, -1, -1, CDIB::kNoKey);
    corner->SetImage(image);
    corner->SetOffset(0, 0);
    s.m_lowerRelativeObjects.Add(corner, TRUE);
    s.SetView(c.viewBefore);
    s.LayoutRelativeLists();
    s.FlushDirtyRects();
    const SkinRect stale = {0, 0, 5, 5};
    s.AddDirtyRect(&stale);
    s.SetClientRect(c.client);
    CDIB* before = s.GetBackBuffer();
    ASSERT_NE(nullptr, before);
    s.blits.clear();
    s.refreshes = 0;

    ASSERT_TRUE(s.ResizeView(c.cx, c.cy));
    EXPECT_TRUE(Same(c.view, s.GetView()));
    const int W = c.view.right - c.view.left, H = c.view.bottom - c.view.top;
    EXPECT_EQ(c.view.left + W - 20, corner->GetX());
    EXPECT_EQ(c.view.top + H - 10, corner->GetY());
    EXPECT_EQ(1, s.refreshes);
    EXPECT_EQ(0, s.GetDirtyCount()) << "what the relayout reported is not drawn again";
    ASSERT_EQ(1u, s.blits.size());
    EXPECT_TRUE(Same({-1, -1, -1, -1}, s.blits[0])) << "the whole view, once";
    CDIB* back = s.GetBackBuffer();
    ASSERT_NE(nullptr, back);
    EXPECT_EQ(100, back->GetWidth());
    EXPECT_EQ(100, back->GetHeight());
    // In client coordinates: the scene from the view's top-left, the corner
    // object at the new bottom-right, and the rest of the new buffer blank.
    const uint16_t red = PackRgb555(255, 0, 0);
    EXPECT_EQ(static_cast<uint32_t>((c.view.left * 7 + c.view.top * 13) & 0x7FFF), back->GetPixel(0, 0));
    EXPECT_EQ(red, back->GetPixel(W - 1, H - 1));
    EXPECT_EQ(red, back->GetPixel(W - 20, H - 10));
    EXPECT_NE(red, back->GetPixel(W - 21, H - 11));
    if (W < 100) {
      EXPECT_EQ(0u, back->GetPixel(W, 0)) << "a new back buffer, drawn only where the view is";
    }
  }
  // Without a scene there is nothing to fit.
  CGameScene bare;
  EXPECT_FALSE(bare.ResizeView(10, 10));
}

}  // namespace
