#include "framework/afxcoll.h"

IMPLEMENT_DYNAMIC(CPtrList, CObject)
IMPLEMENT_DYNAMIC(CObList, CObject)

namespace {

template <class LIST, class T>
POSITION FindIn(const LIST& list, T p, POSITION startAfter) {
  POSITION pos = startAfter;
  if (pos != nullptr) {
    list.GetNext(pos);
  } else {
    pos = list.GetHeadPosition();
  }
  while (pos != nullptr) {
    POSITION at = pos;
    if (list.GetNext(pos) == p) return at;
  }
  return nullptr;
}

}  // namespace

POSITION CPtrList::Find(void* p, POSITION startAfter) const { return FindIn(*this, p, startAfter); }
POSITION CObList::Find(CObject* p, POSITION startAfter) const { return FindIn(*this, p, startAfter); }
