// The launcher's skin, drawn procedurally: a sea at dusk with a tall ship,
// the Quorl wordmark, a framed panel for the buttons, a status strip and
// the three buttons in their three states.
#pragma once

#include <string>

#include "tools/mkskin/canvas.h"
#include "tools/mkskin/text.h"

struct CSkinFonts {
  const CFont* title;  // the wordmark (a serif)
  const CFont* label;  // button labels (a bold sans with Hangul)
  const CFont* body;   // the strip's text
};

// Where the launcher places things on the background (its screen code
// fixes these; the art is drawn around them).
constexpr int kSkinWidth = 500;
constexpr int kSkinHeight = 400;
constexpr int kButtonX = 179;
constexpr int kButtonY[3] = {236, 268, 300};
constexpr int kButtonW = 142;
constexpr int kButtonH = 28;
constexpr int kStripY = 356;
constexpr int kStripW = 468;
constexpr int kStripH = 34;

enum ButtonState { kButtonNormal = 0, kButtonHot = 1, kButtonPressed = 2 };

Image DrawBackground(const CSkinFonts& fonts);
Image DrawStrip(const CSkinFonts& fonts);
Image DrawButton(const CSkinFonts& fonts, const std::string& label, ButtonState state);
