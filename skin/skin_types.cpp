#include "skin/skin_types.h"

BOOL IntersectSkinRect(SkinRect* out, const SkinRect& a, const SkinRect& b) {
  SkinRect r = {a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top, a.right < b.right ? a.right : b.right,
                a.bottom < b.bottom ? a.bottom : b.bottom};
  if (IsSkinRectEmpty(a) || IsSkinRectEmpty(b) || IsSkinRectEmpty(r)) {
    *out = {0, 0, 0, 0};
    return FALSE;
  }
  *out = r;
  return TRUE;
}

BOOL UnionSkinRect(SkinRect* out, const SkinRect& a, const SkinRect& b) {
  const BOOL ea = IsSkinRectEmpty(a), eb = IsSkinRectEmpty(b);
  if (ea && eb) {
    *out = {0, 0, 0, 0};
    return FALSE;
  }
  if (ea) {
    *out = b;
    return TRUE;
  }
  if (eb) {
    *out = a;
    return TRUE;
  }
  *out = {a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top, a.right > b.right ? a.right : b.right,
          a.bottom > b.bottom ? a.bottom : b.bottom};
  return TRUE;
}
