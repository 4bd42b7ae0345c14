// Where a link static's text lies in its control: only the text is the
// link, not the rest of the control.  The text is measured character by
// character and placed by the control's alignment styles.  Neutral.
#pragma once

#include <cstdint>

#include "skin/skin_types.h"
#include "skin/tooltip.h"

// The static control's alignment styles, with their Win32 values.
constexpr uint32_t kLinkStyleTypeMask = 0x1F;      // SS_TYPEMASK
constexpr uint32_t kLinkStyleCenter = 0x1;         // SS_CENTER
constexpr uint32_t kLinkStyleRight = 0x2;          // SS_RIGHT
constexpr uint32_t kLinkStyleCenterImage = 0x200;  // SS_CENTERIMAGE

// The text's width (the sum of its characters' widths) and height (the
// largest), measured with measure's font.  A lead byte and the byte after
// it are one character; a lead byte just before the end counts as one
// byte, so the walk never steps past the text.  Null or empty text: 0 x 0.
void MeasureLinkText(CTextWrapTarget& measure, const char* text, int32_t* width, int32_t* height);

// The text's rectangle inside client for the style's alignment: centred
// (SS_CENTER) when the client is wider than the text, at the right end
// (SS_RIGHT) when that lies right of the left edge, else at the left;
// vertically centred with SS_CENTERIMAGE when the client is higher than
// the text, else from the top and cut at the client's bottom.
SkinRect PlaceLinkText(uint32_t style, const SkinRect& client, int32_t textWidth, int32_t textHeight);

// Whether the static styles draw text (left, centred or right), the only
// kinds whose colour the link sets.
inline bool IsLinkTextStyle(uint32_t style) { return (style & kLinkStyleTypeMask) <= kLinkStyleRight; }
