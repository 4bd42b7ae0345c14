// Visual objects: positioned, layered images that report every visible
// change to a notify object (which in the game view becomes dirty
// rectangles), the three-frame button, and the object lists (sorted by
// layer, with alignment layout, and a list of such lists).  Neutral.
#pragma once

#include <cstdint>

#include "framework/afxcoll.h"
#include "skin/dib.h"
#include "skin/skin_types.h"

class CVisualObject;

// Change codes, tested as bits.
enum : int {
  kVOChangeLayer = 1,       // the view ignores it
  kVOChangeMoved = 2,       // two rectangles: before and after
  kVOChangeAppearance = 4,  // also added and removed
};

class CVisualObjectNotify : public CObject {
 public:
  virtual void OnChange(CVisualObject* obj, int code, const SkinRect* r1, const SkinRect* r2) = 0;
  // kind 0: the view rectangle; other kinds leave out unchanged.
  virtual void GetOrigin(CVisualObject* obj, int kind, SkinRect* out) = 0;
  virtual void Update() = 0;
};

class CVisualObject : public CObject {
  DECLARE_DYNCREATE(CVisualObject)
 public:
  enum : uint32_t {
    kHidden = 0x80000000u,
    kHot = 0x00200000u,
    kDisabled = 0x00100000u,
  };

  CVisualObject() = default;
  ~CVisualObject() override;
  CVisualObject(const CVisualObject&) = delete;
  CVisualObject& operator=(const CVisualObject&) = delete;

  virtual void Destroy() { delete this; }
  virtual int GetX() const { return m_x; }
  virtual int GetY() const { return m_y; }
  virtual int GetLayer() const { return m_nLayer; }
  // 0 without an image.
  virtual int GetWidth() const;
  virtual int GetHeight() const;
  virtual SkinPoint* GetPosition(SkinPoint* out) const;
  virtual void SetPosition(int x, int y);
  virtual void SetLayer(int layer);
  // Takes over one reference of image; the old image is not released (the
  // caller detaches it first).
  virtual void SetImage(CDIB* image);
  // Returns the image with its reference.
  virtual CDIB* DetachImage();
  virtual int GetId(uint32_t* subId) const;
  virtual void SetId(int id, uint32_t subId);
  virtual BOOL MatchId(int id, uint32_t subId) const;
  virtual void Draw(CDIB* dest, const SkinRect* area, const SkinRect* view);
  virtual void GetRect(SkinRect* out) const;
  virtual BOOL HitTest(int x, int y);
  virtual void SetNotify(CVisualObjectNotify* notify) { m_pNotify = notify; }
  virtual BOOL IsFinished() { return FALSE; }
  virtual void SetAnchor(int, int, BOOL) {}
  virtual BOOL IsVisible() const { return (m_dwFlags & kHidden) == 0; }
  // Kept for derived objects; does nothing.
  virtual void SpareUpdate() {}
  virtual void Invalidate(int code);

  BOOL IsShown() const { return IsVisible(); }
  // TRUE when the visibility changed (reported as code 4).
  BOOL Show(BOOL show);
  CDIB* GetImage() const { return m_pImage; }
  CVisualObjectNotify* GetNotify() const { return m_pNotify; }
  uint32_t GetFlags() const { return m_dwFlags; }

 protected:
  int m_x = 0;
  int m_y = 0;
  int m_nLayer = 0;
  CDIB* m_pImage = nullptr;
  CVisualObjectNotify* m_pNotify = nullptr;
  int m_nId = -1;
  uint32_t m_nSubId = 0;
  uint32_t m_dwFlags = 0;
};

// An image of a multi-image object and its offset.
struct CDIBCombo {
  CDIB* dib;
  int16_t x;
  int16_t y;
};

class CDIBComboArray : public CArray<CDIBCombo> {
 public:
  explicit CDIBComboArray(BOOL releaseImages = FALSE) : m_bReleaseImages(releaseImages) {}
  ~CDIBComboArray() override;
  BOOL m_bReleaseImages;
};

class CMultiDIBVisualObject : public CVisualObject {
  DECLARE_DYNCREATE(CMultiDIBVisualObject)
 public:
  CMultiDIBVisualObject() : m_frames(TRUE) {}
  int GetWidth() const override { return m_nWidth; }
  int GetHeight() const override { return m_nHeight; }
  void Draw(CDIB* dest, const SkinRect* area, const SkinRect* view) override;
  void GetRect(SkinRect* out) const override;
  BOOL HitTest(int x, int y) override;
  // Nothing to bring up to date either: the frames are drawn as they are.
  void SpareUpdate() override {}
  // Appends the frames; their references pass to the object.
  void SetImages(const CDIBComboArray& frames);
  int GetFrameCount() const { return m_frames.GetSize(); }
  CDIB* GetFrame(int i) const { return i >= 0 && i < m_frames.GetSize() ? m_frames[i].dib : nullptr; }

 protected:
  // Draws one frame clipped to clip (view coordinates); full is the
  // object's rectangle in the same coordinates.
  void DrawFrame(CDIB* dest, const CDIBCombo& frame, const SkinRect& full, const SkinRect& clip);
  // The object's rectangle clipped and moved as Draw needs; FALSE: nothing.
  BOOL ClipToView(const SkinRect* area, const SkinRect* view, SkinRect* full, SkinRect* clip) const;

  CDIBComboArray m_frames;
  int m_nWidth = 0;
  int m_nHeight = 0;
};

class CRelativeVisualObject : public CVisualObject {
  DECLARE_DYNCREATE(CRelativeVisualObject)
 public:
  void SetOffset(int x, int y) {
    m_nOffsetX = x;
    m_nOffsetY = y;
  }
  void SetAnchor(int x, int y, BOOL absolute) override;

 protected:
  int m_nOffsetX = -1;
  int m_nOffsetY = -1;
};

// Places an anchored object: absolute takes the offset as the position;
// otherwise the view's top-left plus the offset plus (x, y) unless x or y
// is 0x7FFFFFFF (no anchor).  Needs a notify object unless absolute.
void AnchorVisualObject(CVisualObject* obj, int offsetX, int offsetY, int x, int y, BOOL absolute);

class CHilightButtonVO : public CMultiDIBVisualObject {
  DECLARE_DYNAMIC(CHilightButtonVO)
 public:
  static constexpr int kButtonLayer = 0x7FFFFFFE;
  enum { kFrameNormal = 0, kFrameHot = 1, kFramePressed = 2, kFrameDisabled = 3 };

  CHilightButtonVO() { m_nLayer = kButtonLayer; }
  void Draw(CDIB* dest, const SkinRect* area, const SkinRect* view) override;
  BOOL HitTest(int x, int y) override;
  void SetAnchor(int x, int y, BOOL absolute) override;
  virtual BOOL RefreshFrame() { return SetFrame(IsHot() ? kFrameHot : kFrameNormal); }
  virtual BOOL ShowPressed() { return SetFrame(kFramePressed); }
  virtual void Enable(BOOL enable, int frame);

  BOOL Create(const CDIBComboArray& frames, int commandId);
  // TRUE only when the frame changed and a notify object is set.
  BOOL SetFrame(int i);
  BOOL IsEnabled() const { return (m_dwFlags & kDisabled) == 0; }
  BOOL IsHot() const { return (m_dwFlags & kHot) != 0; }
  BOOL SetHot(BOOL hot, int frame);
  void SetAnchorOffset(int x, int y) {
    m_nAnchorX = x;
    m_nAnchorY = y;
  }
  int GetCommandId() const { return m_nCommandId; }
  int GetFrameShown() const { return m_nFrame; }
  // The frame drawn and hit-tested: the one set, or the normal frame when
  // the set one has no pixels to draw; -1 when the index is out of range.
  int GetDrawnFrame() const;
  BOOL CanDrawFrame(int i) const;
#ifdef _WIN32
  // Posts the command to the application's main window.
  void Click();
#endif

 protected:
  int m_nCommandId = -1;
  int m_nFrame = 0;
  int m_nAnchorX = -1;
  int m_nAnchorY = -1;
};

// Objects in ascending layer order; equal layers in insertion order.
class CVisualObjectList : public CTypedPtrList<CObList, CVisualObject*> {
  DECLARE_DYNCREATE(CVisualObjectList)
 public:
  CVisualObjectList() : CTypedPtrList<CObList, CVisualObject*>(30) {}
  ~CVisualObjectList() override;

  virtual BOOL Add(CVisualObject* obj, BOOL notify);
  virtual void Resort(CVisualObject* obj);
  CVisualObject* Remove(CVisualObject* obj, BOOL destroy);
  CVisualObject* RemoveAt(POSITION pos, CVisualObject* obj, BOOL destroy);
  void RemoveList(const CVisualObjectList& other, BOOL destroy);
  void RemoveAll(BOOL destroy);
  void DestroyAll();
  BOOL Tick();
  BOOL FindById(CVisualObjectList* out, int id, uint32_t subId) const;
  // Draws every object from the front.
  void DrawAll(CDIB* dest, const SkinRect* area, const SkinRect* view) const;

  void SetNotify(CVisualObjectNotify* notify) { m_pNotify = notify; }
  CVisualObjectNotify* GetNotify() const { return m_pNotify; }
  BOOL m_bAutoDelete = FALSE;

 protected:
  CVisualObjectNotify* m_pNotify = nullptr;
};

class CRelativeVOList : public CVisualObjectList {
 public:
  enum : uint32_t {
    kCentreX = 0x1,
    kLeft = 0x2,
    kRight = 0x4,
    kCentreY = 0x8,
    kTop = 0x10,
    kBottom = 0x20,
    kAbsolute = 0x8000,
  };
  void SetAlign(uint32_t flags) { m_dwAlign = flags; }
  void SetLayoutRect(const SkinRect* r) { m_rcLayout = *r; }
  const SkinRect& GetLayoutRect() const { return m_rcLayout; }
  // Aligns the layout rectangle in the view and anchors every object at its
  // top-left.  Without a notify object only an absolute layout is done.
  void Relayout();

 private:
  SkinRect m_rcLayout = {0, 0, 0, 0};
  uint32_t m_dwAlign = 0;
};

class CRelativeVODoubleList : public CTypedPtrList<CPtrList, CRelativeVOList*> {
 public:
  ~CRelativeVODoubleList() override;
  void Relayout();
  void DrawAll(CDIB* dest, const SkinRect* area, const SkinRect* view) const;
  // Deletes every list from the back (with auto-delete, their objects too).
  void RemoveAll();
  BOOL m_bAutoDelete = FALSE;
};
