#include "skin/game_scene.h"

IMPLEMENT_DYNAMIC(CVisualObjectDocNotify, CObject)

void CVisualObjectDocNotify::OnChange(CVisualObject*, int code, const SkinRect* r1, const SkinRect* r2) {
  if (m_pView == nullptr) return;
  if ((code & kVOChangeMoved) != 0) {
    if (r1 != nullptr) m_pView->AddDirtyRect(r1);
    if (r2 != nullptr) m_pView->AddDirtyRect(r2);
  }
  if ((code & kVOChangeAppearance) != 0 && r1 != nullptr) m_pView->AddDirtyRect(r1);
}

void CVisualObjectDocNotify::GetOrigin(CVisualObject*, int kind, SkinRect* out) {
  if (kind == 0 && m_pView != nullptr) *out = m_pView->GetView();
}

void CVisualObjectDocNotify::Update() {
  if (m_pView != nullptr) m_pView->FlushDirtyRects();
}

// ---------------------------------------------------------------------------

CGameScene::CGameScene() = default;

CGameScene::~CGameScene() {
  DeleteBackBuffer();
  delete m_pScene;
  ClearDirtyRects();
  // The lists report removals to the notify object: it goes last, after
  // the lists have been emptied the way their auto-delete flags say.
  if (m_relativeGroups.m_bAutoDelete) m_relativeGroups.RemoveAll();
  if (m_lowerRelativeObjects.m_bAutoDelete) m_lowerRelativeObjects.DestroyAll();
  if (m_upperRelativeObjects.m_bAutoDelete) m_upperRelativeObjects.DestroyAll();
  if (m_objects.m_bAutoDelete) m_objects.DestroyAll();
  delete m_pNotify;
}

void CGameScene::DeleteBackBuffer() {
  delete m_pBackBuffer;
  m_pBackBuffer = nullptr;
  m_bBackBufferReady = FALSE;
}

BOOL CGameScene::MakeBackBuffer(int width, int height, void* bits) {
  DeleteBackBuffer();
  if (width <= 0 || height <= 0) return FALSE;
  m_pBackBuffer = new CDIB;
  SkinBitmapInfoHeader h = {};
  h.biSize = kBitmapInfoHeaderBytes;
  h.biWidth = width;
  h.biHeight = height;  // positive: rows stored bottom-up
  h.biPlanes = 1;
  h.biBitCount = 16;
  if (!m_pBackBuffer->CreateFromHeader(&h, bits)) {
    DeleteBackBuffer();
    return FALSE;
  }
  m_rcView = {0, 0, 0, 0};
  m_bBackBufferReady = TRUE;
  return TRUE;
}

BOOL CGameScene::CreateBackBuffer() {
  if (m_pScene == nullptr) return FALSE;
  if (m_pWindow != nullptr) return m_pWindow->CreateBackBuffer(this);
  int sw = 0, sh = 0;
  GetScreenSize(&sw, &sh);
  const int w = sw < m_pScene->GetWidth() ? sw : m_pScene->GetWidth();
  const int h = sh < m_pScene->GetHeight() ? sh : m_pScene->GetHeight();
  return MakeBackBuffer(w, h, nullptr);
}

void CGameScene::ResetObjectLists() {
  m_objects.RemoveAll(TRUE);
  m_objects.SetNotify(m_pNotify);
  m_lowerRelativeObjects.RemoveAll(TRUE);
  m_lowerRelativeObjects.SetNotify(m_pNotify);
  m_upperRelativeObjects.RemoveAll(TRUE);
  m_upperRelativeObjects.SetNotify(m_pNotify);
  m_relativeGroups.RemoveAll();
}

void CGameScene::InitVisualObjects() {
  if (m_pNotify == nullptr) {
    m_pNotify = new CVisualObjectDocNotify;
    m_pNotify->m_pView = this;
  }
  ResetObjectLists();
}

BOOL CGameScene::SetScene(CDIB* scene) {
  if (scene != m_pScene) delete m_pScene;
  m_pScene = scene;
  if (!CreateBackBuffer()) return FALSE;
  GetClientRect(&m_rcView);
  Redraw(nullptr);
  Blit(nullptr);
  return TRUE;
}

void CGameScene::DrawSceneArea(int x, int y, const SkinRect* src) {
  if (m_pScene == nullptr || m_pBackBuffer == nullptr) return;
  m_pScene->Draw(m_pBackBuffer, x, y, src->right - src->left, src->bottom - src->top, src->left, src->top,
                 CDIB::kNoKey);
}

void CGameScene::DrawObjects(const SkinRect* area, const SkinRect* view) {
  m_objects.DrawAll(m_pBackBuffer, area, view);
  m_relativeGroups.DrawAll(m_pBackBuffer, area, view);
  m_lowerRelativeObjects.DrawAll(m_pBackBuffer, area, view);
  m_upperRelativeObjects.DrawAll(m_pBackBuffer, area, view);
}

BOOL CGameScene::ResizeView(int cx, int cy) {
  const int left = m_rcView.left, top = m_rcView.top;
  if (!CreateBackBuffer()) return FALSE;
  SkinRect view;
  GetClientRect(&view);
  if (view.right > cx) view.right = cx;
  if (view.bottom > cy) view.bottom = cy;
  OffsetSkinRect(&view, left, top);
  m_rcView = view;
  RefitScene();
  Redraw(nullptr);
  Blit(nullptr);
  return TRUE;
}

void CGameScene::RefitScene() {
  if (m_pScene == nullptr) return;
  LayoutRelativeLists();
  RefreshObjects();
  Redraw(nullptr);
  ClearDirtyRects();
}

BOOL CGameScene::EditObjects(int kind, int a, int b, int c) {
  switch (kind) {
    case 0:
      return RefreshObjects();
    case 1:
      return AddObjects(a, b, c);
    case 2:
      return RemoveObjectsById(a, b, c);
    case 3:
      return ReplaceObjects(a, b, c);
    default:
      return FALSE;
  }
}

BOOL CGameScene::CreateObjects(CVisualObjectList*, int, int, int) { return FALSE; }

BOOL CGameScene::FindObjectsById(CVisualObjectList* out, int id, int subId, int) {
  if (out == nullptr) return FALSE;
  return m_objects.FindById(out, id, static_cast<uint32_t>(subId));
}

BOOL CGameScene::RemoveObjectsById(int id, int subId, int c) {
  CVisualObjectList found;
  if (!FindObjectsById(&found, id, subId, c)) return FALSE;
  while (!found.IsEmpty()) m_objects.Remove(found.RemoveHead(), TRUE);
  return TRUE;
}

BOOL CGameScene::AddObjects(int a, int b, int c) {
  CVisualObjectList made;
  if (!CreateObjects(&made, a, b, c)) {
    // Nothing of a refused creation reaches the lists, nor leaks.
    made.DestroyAll();
    return FALSE;
  }
  while (!made.IsEmpty()) m_objects.Add(made.RemoveHead(), TRUE);
  return TRUE;
}

BOOL CGameScene::ReplaceObjects(int a, int b, int c) {
  RemoveObjectsById(a, b, c);
  return AddObjects(a, b, c);
}

void CGameScene::ClearRelativeLists(BOOL flush) {
  m_lowerRelativeObjects.RemoveAll(TRUE);
  m_upperRelativeObjects.RemoveAll(TRUE);
  if (flush) FlushDirtyRects();
}

void CGameScene::LayoutRelativeLists() {
  m_relativeGroups.Relayout();
  m_lowerRelativeObjects.Relayout();
  m_upperRelativeObjects.Relayout();
}

BOOL CGameScene::OnAnimate() {
  const BOOL removed = m_objects.Tick();
  if (removed) FlushDirtyRects();
  return removed;
}

BOOL CGameScene::GetViewRect(SkinRect* out) {
  *out = m_rcView;
  SkinRect client;
  GetClientRect(&client);
  return EqualSkinRect(client, m_rcView);
}

void CGameScene::AddDirtyRect(const SkinRect* r) {
  if (r == nullptr) return;
  SkinRect view, meet;
  GetViewRect(&view);
  if (!IntersectSkinRect(&meet, *r, view)) return;
  POSITION pos = m_dirtyRects.GetHeadPosition();
  while (pos != nullptr) {
    SkinRect* q = static_cast<SkinRect*>(m_dirtyRects.GetNext(pos));
    if (IntersectSkinRect(&meet, *q, *r)) {
      UnionSkinRect(q, *q, *r);
      return;
    }
  }
  m_dirtyRects.AddHead(new SkinRect(*r));
}

BOOL CGameScene::Redraw(const SkinRect* area) {
  if (!m_bBackBufferReady || m_pBackBuffer == nullptr || m_pScene == nullptr) return FALSE;
  SkinRect visible;
  const SkinRect scene = {0, 0, m_pScene->GetWidth(), m_pScene->GetHeight()};
  if (!IntersectSkinRect(&visible, m_rcView, scene)) return FALSE;
  SkinRect r = visible;
  if (area != nullptr) {
    SkinRect a = *area;
    OffsetSkinRect(&a, m_rcView.left, m_rcView.top);
    if (!IntersectSkinRect(&r, r, a)) return FALSE;
  }
  if (IsSkinRectEmpty(r)) return FALSE;
  DrawSceneArea(r.left - visible.left, r.top - visible.top, &r);
  DrawObjects(&r, &m_rcView);
  return TRUE;
}

void CGameScene::FlushDirtyRects() {
  POSITION pos = m_dirtyRects.GetHeadPosition();
  while (pos != nullptr) {
    SkinRect t = *static_cast<SkinRect*>(m_dirtyRects.GetNext(pos));
    OffsetSkinRect(&t, -m_rcView.left, -m_rcView.top);
    Redraw(&t);
  }
  while (!m_dirtyRects.IsEmpty()) {
    SkinRect* q = static_cast<SkinRect*>(m_dirtyRects.RemoveHead());
    SkinRect t = *q;
    delete q;
    OffsetSkinRect(&t, -m_rcView.left, -m_rcView.top);
    Blit(&t);
  }
}

void CGameScene::ClearDirtyRects() {
  while (!m_dirtyRects.IsEmpty()) delete static_cast<SkinRect*>(m_dirtyRects.RemoveHead());
}

SkinRect CGameScene::GetDirtyRect(int index) const {
  POSITION pos = m_dirtyRects.FindIndex(index);
  return pos != nullptr ? *static_cast<SkinRect*>(m_dirtyRects.GetAt(pos)) : SkinRect{0, 0, 0, 0};
}
