#include "skin/link_text.h"

void MeasureLinkText(CTextWrapTarget& measure, const char* text, int32_t* width, int32_t* height) {
  *width = *height = 0;
  if (text == nullptr) return;
  for (const char* p = text; *p != 0;) {
    const int n = measure.IsLeadByte(static_cast<uint8_t>(*p)) && p[1] != 0 ? 2 : 1;
    int w = 0, h = 0;
    measure.Measure(p, n, &w, &h);
    *width += w;
    if (h > *height) *height = h;
    p += n;
  }
}

SkinRect PlaceLinkText(uint32_t style, const SkinRect& client, int32_t textWidth, int32_t textHeight) {
  SkinRect r = client;
  switch (style & kLinkStyleTypeMask) {
    case kLinkStyleCenter:
      if (r.right - r.left > textWidth) {
        r.left += (r.right - r.left - textWidth) / 2;
        r.right = r.left + textWidth;
      }
      break;
    case kLinkStyleRight:
      if (r.right - textWidth > r.left) r.left = r.right - textWidth;
      break;
    default:
      if (r.left + textWidth < r.right) r.right = r.left + textWidth;
      break;
  }
  if ((style & kLinkStyleCenterImage) != 0) {
    if (r.bottom - r.top > textHeight) {
      r.top += (r.bottom - r.top - textHeight) / 2;
      r.bottom = r.top + textHeight;
    }
  } else if (r.top + textHeight < r.bottom) {
    r.bottom = r.top + textHeight;
  }
  return r;
}
