// GDI text for the skinned screens: the tooltip's balloon and the version
// label's text, drawn into their sprites.  The fonts and the brush are made
// once and shared by the whole process.  Win32.
#pragma once

#include <windows.h>

#include <cstdint>

#include "skin/tooltip.h"

class CSkinTextPainterWin : public CSkinTextPainter {
 public:
  // codePage: the application's, for the word wrap's lead bytes.
  explicit CSkinTextPainterWin(uint32_t codePage = ::GetACP()) : m_nCodePage(codePage) {}
  void SetCodePage(uint32_t codePage) { m_nCodePage = codePage; }
  CSprite* BuildTipSprite(int command) override;
  // The tip for a resource text: the part before a newline wrapped in
  // black, the part after it (the title) in bold dark blue above it; null
  // when the part before is empty.
  CSprite* BuildTipSpriteFor(const CString& all);
  void DrawLabelText(CSprite* sprite, const char* text) override;

 private:
  uint32_t m_nCodePage;
};

// The process-wide tooltip fonts, copied from the menu font with weights
// 700 and 400, and the version label's font (null until first used).
HFONT GetToolTipFont(bool bold);
HFONT GetVersionLabelFont();
