#include "skin/visual_object.h"

IMPLEMENT_DYNCREATE(CVisualObject, CObject)
IMPLEMENT_DYNCREATE(CMultiDIBVisualObject, CVisualObject)
IMPLEMENT_DYNCREATE(CRelativeVisualObject, CVisualObject)
IMPLEMENT_DYNAMIC(CHilightButtonVO, CMultiDIBVisualObject)

namespace {

// Same-format copy when the bit counts agree, else the palette-mapped one.
void DrawImage(CDIB* image, CDIB* dest, const SkinRect& r, int sx, int sy) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (image->GetBitCount() == dest->GetBitCount())
    image->Draw(dest, r.left, r.top, w, h, sx, sy, CDIB::kNoKey);
  else
    image->DrawPaletted(dest, r.left, r.top, w, h, sx, sy, CDIB::kNoKey);
}

}  // namespace

// ---------------------------------------------------------------------------
// CVisualObject

CVisualObject::~CVisualObject() {
  if (m_pImage != nullptr) m_pImage->Release();
}

int CVisualObject::GetWidth() const { return m_pImage != nullptr ? m_pImage->GetWidth() : 0; }
int CVisualObject::GetHeight() const { return m_pImage != nullptr ? m_pImage->GetHeight() : 0; }

SkinPoint* CVisualObject::GetPosition(SkinPoint* out) const {
  *out = {m_x, m_y};
  return out;
}

void CVisualObject::GetRect(SkinRect* out) const {
  if (m_pImage == nullptr) {
    *out = {0, 0, 0, 0};
  } else {
    m_pImage->GetRect(out);
  }
  OffsetSkinRect(out, m_x, m_y);
}

void CVisualObject::SetPosition(int x, int y) {
  SkinRect before, after;
  GetRect(&before);
  m_x = x;
  m_y = y;
  GetRect(&after);
  if (!EqualSkinRect(before, after) && m_pNotify != nullptr) m_pNotify->OnChange(this, kVOChangeMoved, &before, &after);
}

void CVisualObject::SetLayer(int layer) {
  if (layer == m_nLayer) return;
  m_nLayer = layer;
  Invalidate(kVOChangeLayer);
}

void CVisualObject::SetImage(CDIB* image) {
  m_pImage = image;
  Invalidate(kVOChangeAppearance);
}

CDIB* CVisualObject::DetachImage() {
  Invalidate(kVOChangeAppearance);
  CDIB* old = m_pImage;
  m_pImage = nullptr;
  return old;
}

int CVisualObject::GetId(uint32_t* subId) const {
  if (subId != nullptr) *subId = m_nSubId;
  return m_nId;
}

void CVisualObject::SetId(int id, uint32_t subId) {
  m_nId = id;
  m_nSubId = subId;
}

BOOL CVisualObject::MatchId(int id, uint32_t subId) const {
  return id == m_nId && (subId == 0 || subId == m_nSubId) ? TRUE : FALSE;
}

void CVisualObject::Draw(CDIB* dest, const SkinRect* area, const SkinRect* view) {
  if (m_pImage == nullptr || !IsVisible() || dest == nullptr) return;
  SkinRect full;
  m_pImage->GetRect(&full);
  OffsetSkinRect(&full, m_x, m_y);
  SkinRect r = full;
  if (area != nullptr && !IntersectSkinRect(&r, r, *area)) return;
  if (view != nullptr) {
    if (!IntersectSkinRect(&r, r, *view)) return;
    OffsetSkinRect(&r, -view->left, -view->top);
    OffsetSkinRect(&full, -view->left, -view->top);
  }
  DrawImage(m_pImage, dest, r, r.left - full.left, r.top - full.top);
}

BOOL CVisualObject::HitTest(int x, int y) {
  if (!IsVisible()) return FALSE;
  SkinRect r;
  GetRect(&r);
  return PtInSkinRect(r, x, y);
}

void CVisualObject::Invalidate(int code) {
  if (m_pNotify == nullptr) return;
  SkinRect r;
  GetRect(&r);
  m_pNotify->OnChange(this, code, &r, nullptr);
}

BOOL CVisualObject::Show(BOOL show) {
  const uint32_t before = m_dwFlags;
  if (show)
    m_dwFlags &= ~kHidden;
  else
    m_dwFlags |= kHidden;
  if (before == m_dwFlags) return FALSE;
  Invalidate(kVOChangeAppearance);
  return TRUE;
}

// ---------------------------------------------------------------------------
// CDIBComboArray, CMultiDIBVisualObject

CDIBComboArray::~CDIBComboArray() {
  if (!m_bReleaseImages) return;
  for (int i = 0; i < GetSize(); ++i)
    if (GetAt(i).dib != nullptr) GetAt(i).dib->Release();
}

void CMultiDIBVisualObject::SetImages(const CDIBComboArray& frames) {
  for (int i = 0; i < frames.GetSize(); ++i) m_frames.Add(frames[i]);
  if (m_nWidth == 0 && m_nHeight == 0) {
    for (int i = 0; i < m_frames.GetSize(); ++i) {
      CDIB* d = m_frames[i].dib;
      if (d == nullptr) continue;
      if (d->GetWidth() > m_nWidth) m_nWidth = d->GetWidth();
      if (d->GetHeight() > m_nHeight) m_nHeight = d->GetHeight();
    }
  }
  if (m_pNotify != nullptr) {
    SkinRect r;
    GetRect(&r);
    m_pNotify->OnChange(this, kVOChangeAppearance, &r, nullptr);
  }
}

void CMultiDIBVisualObject::GetRect(SkinRect* out) const { *out = {m_x, m_y, m_x + m_nWidth, m_y + m_nHeight}; }

BOOL CMultiDIBVisualObject::ClipToView(const SkinRect* area, const SkinRect* view, SkinRect* full,
                                       SkinRect* clip) const {
  GetRect(full);
  *clip = *full;
  if (area != nullptr && !IntersectSkinRect(clip, *clip, *area)) return FALSE;
  if (view != nullptr) {
    if (!IntersectSkinRect(clip, *clip, *view)) return FALSE;
    OffsetSkinRect(clip, -view->left, -view->top);
    OffsetSkinRect(full, -view->left, -view->top);
  }
  return TRUE;
}

void CMultiDIBVisualObject::DrawFrame(CDIB* dest, const CDIBCombo& frame, const SkinRect& full, const SkinRect& clip) {
  if (frame.dib == nullptr) return;
  SkinRect fr = {full.left + frame.x, full.top + frame.y, 0, 0};
  fr.right = fr.left + frame.dib->GetWidth();
  fr.bottom = fr.top + frame.dib->GetHeight();
  SkinRect c;
  if (!IntersectSkinRect(&c, fr, clip)) return;
  DrawImage(frame.dib, dest, c, c.left - fr.left, c.top - fr.top);
}

void CMultiDIBVisualObject::Draw(CDIB* dest, const SkinRect* area, const SkinRect* view) {
  if (!IsVisible() || dest == nullptr) return;
  SkinRect full, clip;
  if (!ClipToView(area, view, &full, &clip)) return;
  for (int i = 0; i < m_frames.GetSize(); ++i) DrawFrame(dest, m_frames[i], full, clip);
}

BOOL CMultiDIBVisualObject::HitTest(int x, int y) {
  if (!IsVisible()) return FALSE;
  for (int i = 0; i < m_frames.GetSize(); ++i) {
    CDIB* d = m_frames[i].dib;
    if (d == nullptr) continue;
    SkinRect r;
    d->GetRect(&r);
    if (PtInSkinRect(r, x - m_x, y - m_y)) return TRUE;
  }
  return FALSE;
}

// ---------------------------------------------------------------------------
// Anchors

void AnchorVisualObject(CVisualObject* obj, int offsetX, int offsetY, int x, int y, BOOL absolute) {
  if (absolute) {
    obj->SetPosition(offsetX, offsetY);
    return;
  }
  CVisualObjectNotify* notify = obj->GetNotify();
  if (notify == nullptr) return;
  SkinRect o = {0, 0, 0, 0};
  notify->GetOrigin(obj, 0, &o);
  int px = offsetX + o.left, py = offsetY + o.top;
  if (x != 0x7FFFFFFF && y != 0x7FFFFFFF) {
    px += x;
    py += y;
  }
  obj->SetPosition(px, py);
}

void CRelativeVisualObject::SetAnchor(int x, int y, BOOL absolute) {
  AnchorVisualObject(this, m_nOffsetX, m_nOffsetY, x, y, absolute);
}

// ---------------------------------------------------------------------------
// CHilightButtonVO

BOOL CHilightButtonVO::Create(const CDIBComboArray& frames, int commandId) {
  m_nCommandId = commandId;
  m_nId = commandId;
  SetImages(frames);
  return TRUE;
}

BOOL CHilightButtonVO::SetFrame(int i) {
  if (i < 0 || i >= m_frames.GetSize() || i == m_nFrame) return FALSE;
  m_nFrame = i;
  Invalidate(kVOChangeAppearance);
  return m_pNotify != nullptr ? TRUE : FALSE;
}

BOOL CHilightButtonVO::SetHot(BOOL hot, int frame) {
  const BOOL was = IsHot();
  if (hot)
    m_dwFlags |= kHot;
  else
    m_dwFlags &= ~kHot;
  if ((was != FALSE) != (hot != FALSE)) return SetFrame(frame);
  return RefreshFrame();
}

void CHilightButtonVO::Enable(BOOL enable, int frame) {
  const BOOL was = IsEnabled();
  if (enable)
    m_dwFlags &= ~kDisabled;
  else
    m_dwFlags |= kDisabled;
  if ((was != FALSE) != (enable != FALSE)) SetFrame(frame);
}

BOOL CHilightButtonVO::CanDrawFrame(int i) const {
  if (i < 0 || i >= m_frames.GetSize() || m_frames[i].dib == nullptr) return FALSE;
  const CDIBLock lock(m_frames[i].dib);
  return lock.HasPixels() ? TRUE : FALSE;
}

namespace {

// The frame a button shows for the one set (which must be in range), with
// its pixels held while it is drawn or hit-tested.  A hot or pressed frame
// that a damaged skin cannot give would make the button vanish and stop
// reacting under a resting pointer (and the hover tick would then flip it
// back and forth): the normal frame stands in for it.
class CShownFrame {
 public:
  CShownFrame(const CDIBComboArray& frames, int set)
      : m_set(frames[set].dib),
        m_normal(m_set.HasPixels() || set == CHilightButtonVO::kFrameNormal
                     ? nullptr
                     : frames[CHilightButtonVO::kFrameNormal].dib) {
    index = !m_set.HasPixels() && m_normal.HasPixels() ? CHilightButtonVO::kFrameNormal : set;
  }
  int index = 0;

 private:
  const CDIBLock m_set;
  const CDIBLock m_normal;
};

}  // namespace

int CHilightButtonVO::GetDrawnFrame() const {
  if (m_nFrame < 0 || m_nFrame >= m_frames.GetSize()) return -1;
  return CShownFrame(m_frames, m_nFrame).index;
}

void CHilightButtonVO::Draw(CDIB* dest, const SkinRect* area, const SkinRect* view) {
  if (!IsVisible() || dest == nullptr || m_nFrame < 0 || m_nFrame >= m_frames.GetSize()) return;
  SkinRect full, clip;
  if (!ClipToView(area, view, &full, &clip)) return;
  const CShownFrame shown(m_frames, m_nFrame);
  DrawFrame(dest, m_frames[shown.index], full, clip);
}

BOOL CHilightButtonVO::HitTest(int x, int y) {
  if (m_nFrame < 0 || m_nFrame >= m_frames.GetSize() || !IsVisible()) return FALSE;
  SkinRect r;
  GetRect(&r);
  if (!PtInSkinRect(r, x, y)) return FALSE;
  const CShownFrame shown(m_frames, m_nFrame);
  CDIB* image = m_frames[shown.index].dib;
  // Shaped buttons: their transparent pixels do not react.
  if (image != nullptr && image->IsKindOf(RUNTIME_CLASS(CAlphableDIB)))
    return static_cast<CAlphableDIB*>(image)->HitTest(x - m_x, y - m_y);
  return TRUE;
}

void CHilightButtonVO::SetAnchor(int x, int y, BOOL absolute) {
  AnchorVisualObject(this, m_nAnchorX, m_nAnchorY, x, y, absolute);
}
