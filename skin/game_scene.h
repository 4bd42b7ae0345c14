// The composition behind every skinned screen: a background image (the
// scene), four lists of visual objects drawn over it, a 16-bit back buffer
// and the queue of dirty rectangles that object changes turn into.  A
// change is rendered into the back buffer and then shown through Blit,
// which the window (CGameView) carries out.  Neutral, so that the
// composition rules are tested natively.
#pragma once

#include <cstdint>

#include "framework/afxcoll.h"
#include "skin/dib.h"
#include "skin/visual_object.h"

class CGameScene;

// Turns object changes into the scene's dirty rectangles.
class CVisualObjectDocNotify : public CVisualObjectNotify {
  DECLARE_DYNAMIC(CVisualObjectDocNotify)
 public:
  void OnChange(CVisualObject* obj, int code, const SkinRect* r1, const SkinRect* r2) override;
  void GetOrigin(CVisualObject* obj, int kind, SkinRect* out) override;
  void Update() override;
  CGameScene* m_pView = nullptr;
};

// The window a scene is shown in (CGameView): where Blit goes and what
// the back buffer's pixels are.
class CSceneWindow {
 public:
  virtual ~CSceneWindow() = default;
  virtual void Blit(const SkinRect* area) = 0;
  virtual void GetClientRect(SkinRect* out) = 0;
  // Makes the scene's back buffer (AttachBackBuffer) over pixels the
  // window can show; FALSE leaves it without one.
  virtual BOOL CreateBackBuffer(CGameScene* scene) = 0;
};

class CGameScene {
 public:
  CGameScene();
  virtual ~CGameScene();
  CGameScene(const CGameScene&) = delete;
  CGameScene& operator=(const CGameScene&) = delete;

  // ---- the window's side (CGameView); natively: a screen of its own ------
  // Copies the back buffer's area (client coordinates; null: everything)
  // to the window.
  virtual void Blit(const SkinRect* area) {
    if (m_pWindow != nullptr) m_pWindow->Blit(area);
  }
  // The window's client rectangle.
  virtual void GetClientRect(SkinRect* out) {
    if (m_pWindow != nullptr)
      m_pWindow->GetClientRect(out);
    else
      *out = m_rcClient;
  }
  // The screen's size, which the back buffer never exceeds.
  virtual void GetScreenSize(int* width, int* height) {
    *width = m_nScreenWidth;
    *height = m_nScreenHeight;
  }
  // A back buffer of min(screen, scene) over its own pixels; the window's
  // side makes a DIB section instead.
  virtual BOOL CreateBackBuffer();

  // ---- composition -------------------------------------------------------
  // Kept for derived screens; does nothing.
  virtual void SpareHook() {}
  virtual void ResetObjectLists();
  virtual void InitVisualObjects();
  // A new back buffer and view rectangle for a window of cx x cy: the view
  // keeps its top-left and is no larger than the client rectangle; the
  // scene is refitted, redrawn and shown whole.
  virtual BOOL ResizeView(int cx, int cy);
  // Takes ownership of scene (the old one is deleted unless it is the same).
  virtual BOOL SetScene(CDIB* scene);
  virtual void DrawSceneArea(int x, int y, const SkinRect* src);
  virtual void DrawObjects(const SkinRect* area, const SkinRect* view);
  // kind 0: RefreshObjects; 1: AddObjects; 2: RemoveObjectsById; 3:
  // ReplaceObjects (a, b, c); any other kind: FALSE.
  virtual BOOL EditObjects(int kind, int a, int b, int c);
  // A derived screen rebuilds what depends on the view; FALSE here.
  virtual BOOL RefreshObjects() { return FALSE; }
  // A derived screen puts the objects (a, b, c) asks for into out; FALSE
  // here.  Objects left in out on FALSE are deleted.
  virtual BOOL CreateObjects(CVisualObjectList* out, int a, int b, int c);
  // Removes (reported) and deletes every object of m_objects with that id
  // (subId 0: any); TRUE when there was one.
  virtual BOOL RemoveObjectsById(int id, int subId, int c);
  // Adds what CreateObjects makes to m_objects, each reported.
  virtual BOOL AddObjects(int a, int b, int c);
  virtual BOOL ReplaceObjects(int a, int b, int c);
  // Appends the objects of m_objects with that id to out; TRUE when out grew.
  virtual BOOL FindObjectsById(CVisualObjectList* out, int id, int subId, int extra);
  virtual void ClearRelativeLists(BOOL flush);
  virtual void LayoutRelativeLists();
  // After a resize: lays the relative lists out again and redraws the whole
  // view; what they reported on the way is dropped, not drawn twice.
  virtual void RefitScene();
  // Kept for derived screens; FALSE.
  virtual BOOL SpareQuery() { return FALSE; }
  // The animation tick: removes finished objects.
  virtual BOOL OnAnimate();

  // out := the view rectangle; TRUE when it equals the client rectangle.
  BOOL GetViewRect(SkinRect* out);
  // Queues a scene-coordinate rectangle: merged into the first queued one
  // it overlaps, else put at the front.
  void AddDirtyRect(const SkinRect* r);
  // Renders area (client coordinates; null: everything) into the back
  // buffer.
  BOOL Redraw(const SkinRect* area);
  // Renders every queued rectangle, then shows each; empties the queue.
  void FlushDirtyRects();
  void ClearDirtyRects();

  CDIB* GetBackBuffer() const { return m_bBackBufferReady ? m_pBackBuffer : nullptr; }
  CDIB* GetScene() const { return m_pScene; }
  const SkinRect& GetView() const { return m_rcView; }
  void SetView(const SkinRect& r) { m_rcView = r; }
  // The queue, front first (for checks).
  int GetDirtyCount() const { return m_dirtyRects.GetCount(); }
  SkinRect GetDirtyRect(int index) const;
  CVisualObjectDocNotify* GetNotify() const { return m_pNotify; }
  void SetScreenSize(int width, int height) {
    m_nScreenWidth = width;
    m_nScreenHeight = height;
  }
  void SetClientRect(const SkinRect& r) { m_rcClient = r; }
  void SetWindow(CSceneWindow* window) { m_pWindow = window; }
  // The back buffer: width x height over bits (not owned), or over pixels
  // of its own when bits is null.
  BOOL AttachBackBuffer(int width, int height, void* bits) { return MakeBackBuffer(width, height, bits); }
  void DropBackBuffer() { DeleteBackBuffer(); }

  CVisualObjectList m_objects;
  CRelativeVOList m_upperRelativeObjects;
  CRelativeVOList m_lowerRelativeObjects;
  CRelativeVODoubleList m_relativeGroups;

 protected:
  // Makes the back buffer of that size over bits (not owned), or over
  // pixels of its own when bits is null.
  BOOL MakeBackBuffer(int width, int height, void* bits);
  void DeleteBackBuffer();

  CDIB* m_pBackBuffer = nullptr;
  BOOL m_bBackBufferReady = FALSE;
  SkinRect m_rcView = {0, 0, 0, 0};
  CPtrList m_dirtyRects;
  CDIB* m_pScene = nullptr;
  CVisualObjectDocNotify* m_pNotify = nullptr;

 private:
  CSceneWindow* m_pWindow = nullptr;
  SkinRect m_rcClient = {0, 0, 0, 0};
  int m_nScreenWidth = 1024;
  int m_nScreenHeight = 768;
};
