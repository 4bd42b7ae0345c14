// The two visual objects that draw their own images: the tooltip over a
// skinned button and the version label.  Their text is drawn with GDI on
// the Win32 side (CSkinTextPainter); the rules (timing, placement, word
// wrap, the label's picture) are here.  Neutral.
#pragma once

#include <cstdint>

#include "framework/cstring.h"
#include "skin/dib.h"
#include "skin/visual_object.h"

class CGameScene;

// What draws text: the Win32 side's GDI.
class CSkinTextPainter {
 public:
  virtual ~CSkinTextPainter() = default;
  // The tip's picture for a command's string (one reference), or null when
  // there is none to show.
  virtual CSprite* BuildTipSprite(int command) = 0;
  // White, right-aligned text over the label's magenta sprite.
  virtual void DrawLabelText(CSprite* sprite, const char* text) = 0;
};

// The colour key of text sprites: magenta.
constexpr SkinColorRef kTextSpriteKey = 0xFF00FF;

class CToolTipsVO : public CVisualObject {
  DECLARE_DYNAMIC(CToolTipsVO)
 public:
  // Builds the tip for the button (hidden until the delay has passed) and
  // places it in the scene's view.  TRUE when a tip was made.
  BOOL ShowFor(CHilightButtonVO* button, CGameScene* view, CSkinTextPainter* painter);
  // Drops the image (reported); TRUE when there was one.
  virtual BOOL Hide();
  // Advances delay and show time with the pointer at (x, y), scene
  // coordinates; TRUE when something visible changed.
  virtual BOOL Tick(int x, int y, int elapsed);
  // Where a tip of w x h goes for a button at anchor in view v.
  static SkinPoint Place(const SkinRect& anchor, int w, int h, const SkinRect& v);

  SkinRect m_rcAnchor = {0, 0, 0, 0};
  int m_nShowTime = 0;
  int m_nShowLeft = 0;
  int m_nDelay = 0;
  int m_nDelayLeft = 0;
};

// Line-end punctuation of a code page: ",." for 936, 949, 950 and 1252;
// the ideographic comma and full stop of 932 for any other.
const char* GetLineEndPuncts(uint32_t codePage);
// What the word wrap measures and draws with.
class CTextWrapTarget {
 public:
  virtual ~CTextWrapTarget() = default;
  // A lead byte of the application's code page.
  virtual bool IsLeadByte(uint8_t b) = 0;
  virtual void Measure(const char* ch, int length, int* width, int* height) = 0;
  virtual void DrawChar(int x, int y, const char* ch, int length) = 0;
};

// Whether the character p (length bytes) is one of the code page's
// line-end punctuation characters; the table is walked with leadBytes'
// lead bytes (none when null).
BOOL IsLineEndPunct(const char* p, int length, uint32_t codePage, CTextWrapTarget* leadBytes);

// Word-wraps text into lines at most 150 pixels wide and measures (rc
// becomes the size) or draws it at rc's top-left.
void WrapText(CTextWrapTarget* target, uint32_t codePage, const char* text, SkinRect* rc, BOOL measure);

class CVersionInfoVO : public CRelativeVisualObject {
  DECLARE_DYNAMIC(CVersionInfoVO)
 public:
  static constexpr int kWidth = 152, kHeight = 14;
  void SetPainter(CSkinTextPainter* painter) { m_pPainter = painter; }
  void SetVersions(uint32_t game, uint32_t launcher);
  // TRUE also when nothing changed (then nothing is drawn).
  BOOL SetVersionsIfChanged(uint32_t game, uint32_t launcher);
  BOOL BuildImage();
  BOOL HitTest(int, int) override { return FALSE; }
  // "Ver. ", the game's version, "/" and the launcher's (FormatVersion).
  CString GetText() const;
  uint32_t GetGameVersion() const { return m_nGameVersion; }

 private:
  uint32_t m_nGameVersion = 0;
  uint32_t m_nLauncherVersion = 0;
  CSkinTextPainter* m_pPainter = nullptr;
};
