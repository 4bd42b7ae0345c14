#include "skin/visual_object.h"

IMPLEMENT_DYNCREATE(CVisualObjectList, CObList)

CVisualObjectList::~CVisualObjectList() {
  if (m_bAutoDelete) DestroyAll();
}

BOOL CVisualObjectList::Add(CVisualObject* obj, BOOL notify) {
  obj->SetNotify(m_pNotify);
  // From the back: after the first object whose layer is not higher, so
  // that equal layers keep their insertion order.
  POSITION pos = GetTailPosition();
  POSITION after = nullptr;
  while (pos != nullptr) {
    POSITION at = pos;
    CVisualObject* o = GetPrev(pos);
    if (o->GetLayer() <= obj->GetLayer()) {
      after = at;
      break;
    }
  }
  if (after != nullptr)
    InsertAfter(after, obj);
  else
    AddHead(obj);
  if (notify && m_pNotify != nullptr) {
    SkinRect r;
    obj->GetRect(&r);
    m_pNotify->OnChange(obj, kVOChangeAppearance, &r, nullptr);
  }
  return TRUE;
}

void CVisualObjectList::Resort(CVisualObject* obj) {
  if (Remove(obj, FALSE) != nullptr) Add(obj, TRUE);
}

CVisualObject* CVisualObjectList::Remove(CVisualObject* obj, BOOL destroy) {
  POSITION pos = Find(obj);
  if (pos == nullptr) return nullptr;
  return RemoveAt(pos, obj, destroy);
}

CVisualObject* CVisualObjectList::RemoveAt(POSITION pos, CVisualObject* obj, BOOL destroy) {
  CObList::RemoveAt(pos);
  if (m_pNotify != nullptr) {
    SkinRect r;
    obj->GetRect(&r);
    m_pNotify->OnChange(obj, kVOChangeAppearance, &r, nullptr);
  }
  if (destroy) {
    obj->Destroy();
    return obj;  // a pointer the caller may compare, never use
  }
  return obj;
}

void CVisualObjectList::RemoveList(const CVisualObjectList& other, BOOL destroy) {
  POSITION pos = other.GetHeadPosition();
  while (pos != nullptr) Remove(other.GetNext(pos), destroy);
}

void CVisualObjectList::RemoveAll(BOOL destroy) {
  POSITION pos = GetHeadPosition();
  while (pos != nullptr) {
    CVisualObject* obj = GetNext(pos);
    if (m_pNotify != nullptr) {
      SkinRect r;
      obj->GetRect(&r);
      m_pNotify->OnChange(obj, kVOChangeAppearance, &r, nullptr);
    }
    if (destroy) obj->Destroy();
  }
  CObList::RemoveAll();
}

void CVisualObjectList::DestroyAll() {
  while (!IsEmpty()) RemoveTail()->Destroy();
}

BOOL CVisualObjectList::Tick() {
  BOOL removed = FALSE;
  POSITION pos = GetHeadPosition();
  while (pos != nullptr) {
    POSITION at = pos;
    CVisualObject* obj = GetNext(pos);
    if (obj->IsFinished()) {
      RemoveAt(at, obj, TRUE);
      removed = TRUE;
    }
  }
  return removed;
}

BOOL CVisualObjectList::FindById(CVisualObjectList* out, int id, uint32_t subId) const {
  const int before = out->GetCount();
  POSITION pos = GetHeadPosition();
  while (pos != nullptr) {
    CVisualObject* obj = GetNext(pos);
    if (obj->MatchId(id, subId)) out->AddTail(obj);
  }
  return out->GetCount() > before ? TRUE : FALSE;
}

void CVisualObjectList::DrawAll(CDIB* dest, const SkinRect* area, const SkinRect* view) const {
  POSITION pos = GetHeadPosition();
  while (pos != nullptr) GetNext(pos)->Draw(dest, area, view);
}

// ---------------------------------------------------------------------------

void CRelativeVOList::Relayout() {
  int x = 0, y = 0;
  const BOOL absolute = (m_dwAlign & kAbsolute) != 0 ? TRUE : FALSE;
  if (!absolute) {
    // Aligning needs the view: without a notify object there is none.
    if (m_pNotify == nullptr) return;
    SkinRect v = {0, 0, 0, 0};
    m_pNotify->GetOrigin(nullptr, 0, &v);
    const int W = v.right - v.left, H = v.bottom - v.top;
    const int w = m_rcLayout.right - m_rcLayout.left, h = m_rcLayout.bottom - m_rcLayout.top;
    if ((m_dwAlign & kCentreX) != 0) {
      m_rcLayout.left = (W - w) / 2;
      m_rcLayout.right = m_rcLayout.left + w;
    } else if ((m_dwAlign & kLeft) != 0) {
      m_rcLayout.left = 0;
      m_rcLayout.right = w;
    } else if ((m_dwAlign & kRight) != 0) {
      m_rcLayout.left = W - w;
      m_rcLayout.right = W;
    }
    if ((m_dwAlign & kCentreY) != 0) {
      m_rcLayout.top = (H - h) / 2;
      m_rcLayout.bottom = m_rcLayout.top + h;
    } else if ((m_dwAlign & kTop) != 0) {
      m_rcLayout.top = 0;
      m_rcLayout.bottom = h;
    } else if ((m_dwAlign & kBottom) != 0) {
      m_rcLayout.top = H - h;
      m_rcLayout.bottom = H;
    }
    x = m_rcLayout.left;
    y = m_rcLayout.top;
  }
  POSITION pos = GetHeadPosition();
  while (pos != nullptr) GetNext(pos)->SetAnchor(x, y, absolute);
}

// ---------------------------------------------------------------------------

CRelativeVODoubleList::~CRelativeVODoubleList() {
  if (m_bAutoDelete) RemoveAll();
}

void CRelativeVODoubleList::Relayout() {
  POSITION pos = GetHeadPosition();
  while (pos != nullptr) GetNext(pos)->Relayout();
}

void CRelativeVODoubleList::DrawAll(CDIB* dest, const SkinRect* area, const SkinRect* view) const {
  POSITION pos = GetHeadPosition();
  while (pos != nullptr) {
    // Each list gets its own copies.
    SkinRect a = area != nullptr ? *area : SkinRect{0, 0, 0, 0};
    SkinRect v = view != nullptr ? *view : SkinRect{0, 0, 0, 0};
    GetNext(pos)->DrawAll(dest, area != nullptr ? &a : nullptr, view != nullptr ? &v : nullptr);
  }
}

void CRelativeVODoubleList::RemoveAll() {
  while (!IsEmpty()) {
    CRelativeVOList* list = RemoveTail();
    if (m_bAutoDelete) list->m_bAutoDelete = TRUE;
    delete list;
  }
}
