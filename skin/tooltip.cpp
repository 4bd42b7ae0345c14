#include "skin/tooltip.h"

#include <cstring>

#include "framework/version_text.h"
#include "skin/game_scene.h"

IMPLEMENT_DYNAMIC(CToolTipsVO, CVisualObject)
IMPLEMENT_DYNAMIC(CVersionInfoVO, CRelativeVisualObject)

namespace {

constexpr int kWrapWidth = 150;

}  // namespace

// ---------------------------------------------------------------------------
// Tooltip

SkinPoint CToolTipsVO::Place(const SkinRect& anchor, int w, int h, const SkinRect& v) {
  int x = anchor.left + ((anchor.right - anchor.left) - w) / 2;
  if (x < v.left)
    x = v.left;
  else if (x + w > v.right)
    x = v.right - w;
  int y = anchor.top - h - 1;
  if (y < v.top) y = anchor.bottom + 1;
  return {x, y};
}

BOOL CToolTipsVO::ShowFor(CHilightButtonVO* button, CGameScene* view, CSkinTextPainter* painter) {
  if (button == nullptr || button->GetCommandId() == -1 || painter == nullptr) return FALSE;
  CSprite* sprite = painter->BuildTipSprite(button->GetCommandId());
  if (sprite == nullptr) return FALSE;
  SetImage(sprite);
  Show(FALSE);
  button->GetRect(&m_rcAnchor);
  if (IsSkinRectEmpty(m_rcAnchor)) {
    if (CDIB* image = DetachImage()) image->Release();
    return FALSE;
  }
  const SkinRect v = view != nullptr ? view->GetView() : SkinRect{0, 0, 0, 0};
  const SkinPoint at = Place(m_rcAnchor, sprite->GetWidth(), sprite->GetHeight(), v);
  SetPosition(at.x, at.y);
  m_nDelayLeft = m_nDelay;
  return TRUE;
}

BOOL CToolTipsVO::Hide() {
  if (m_pImage == nullptr) return FALSE;
  if (CDIB* image = DetachImage()) image->Release();
  return TRUE;
}

BOOL CToolTipsVO::Tick(int x, int y, int elapsed) {
  if (m_pImage == nullptr) return FALSE;
  const BOOL inside = PtInSkinRect(m_rcAnchor, x, y);
  if (m_nDelayLeft != -1) {
    m_nDelayLeft -= elapsed;
    if (m_nDelayLeft > 0) return FALSE;
    if (!inside) return Hide();
    const BOOL shown = Show(TRUE);
    m_nShowLeft = m_nShowTime;
    m_nDelayLeft = -1;
    return shown;
  }
  if (!inside) return Hide();
  if (m_nShowLeft == -1) return FALSE;
  if (m_nShowLeft > elapsed) {
    m_nShowLeft -= elapsed;
    return FALSE;
  }
  return Hide();
}

// ---------------------------------------------------------------------------
// Word wrap

const char* GetLineEndPuncts(uint32_t codePage) {
  switch (codePage) {
    case 936:
    case 949:
    case 950:
    case 1252:
      return ",.";
    default:
      return "\x81\x41\x81\x42";
  }
}

BOOL IsLineEndPunct(const char* p, int length, uint32_t codePage, CTextWrapTarget* leadBytes) {
  const char* t = GetLineEndPuncts(codePage);
  while (*t != 0) {
    // A lead byte just before the end counts as one byte.
    const int n = leadBytes != nullptr && leadBytes->IsLeadByte(static_cast<uint8_t>(*t)) && t[1] != 0 ? 2 : 1;
    if (n == length && std::memcmp(t, p, static_cast<size_t>(n)) == 0) return TRUE;
    t += n;
  }
  return FALSE;
}

void WrapText(CTextWrapTarget* target, uint32_t codePage, const char* text, SkinRect* rc, BOOL measure) {
  if (measure) *rc = {0, 0, 0, 0};
  int x = rc->left, y = rc->top;
  int lineWidth = 0, lineHeight = 0, lines = 0;
  bool lastWasNewline = false;
  auto endLine = [&] {
    if (measure) {
      if (x > rc->right) rc->right = x;
      rc->bottom += lineHeight;
    }
    y += lineHeight;
    x = rc->left;
    lineWidth = 0;
    lineHeight = 0;
    ++lines;
  };
  const char* p = text;
  while (*p != 0) {
    // A lead byte just before the terminator counts as one byte: the walk
    // never steps past the text.
    const int n = target->IsLeadByte(static_cast<uint8_t>(*p)) && p[1] != 0 ? 2 : 1;
    const bool last = p[n] == 0;
    if (n == 1 && *p == '\n') {
      endLine();
      lastWasNewline = true;
      ++p;
      continue;
    }
    lastWasNewline = false;
    int cw = 0, ch = 0;
    target->Measure(p, n, &cw, &ch);
    if (lineWidth + cw >= kWrapWidth && !IsLineEndPunct(p, n, codePage, target) && !(last && lines == 0)) endLine();
    if (n == 1 && *p == ' ' && lineWidth == 0) {
      p += n;
      continue;
    }
    if (!measure) target->DrawChar(x, y, p, n);
    x += cw;
    lineWidth += cw;
    if (ch > lineHeight) lineHeight = ch;
    p += n;
  }
  if (!lastWasNewline) rc->bottom += lineHeight;
  if (measure && x > rc->right) rc->right = x;
}

// ---------------------------------------------------------------------------
// Version label

CString CVersionInfoVO::GetText() const {
  return "Ver. " + FormatVersion(m_nGameVersion) + "/" + FormatVersion(m_nLauncherVersion);
}

void CVersionInfoVO::SetVersions(uint32_t game, uint32_t launcher) {
  m_nGameVersion = game;
  m_nLauncherVersion = launcher;
  BuildImage();
}

BOOL CVersionInfoVO::SetVersionsIfChanged(uint32_t game, uint32_t launcher) {
  if (game == m_nGameVersion && launcher == m_nLauncherVersion) return TRUE;
  SetVersions(game, launcher);
  return TRUE;
}

BOOL CVersionInfoVO::BuildImage() {
  CSprite* sprite =
      m_pImage != nullptr && m_pImage->IsKindOf(RUNTIME_CLASS(CSprite)) ? static_cast<CSprite*>(m_pImage) : nullptr;
  const bool fresh = sprite == nullptr;
  if (fresh) {
    sprite = new CSprite;
    sprite->CreateBlank(kWidth, kHeight, nullptr);
  }
  sprite->Fill(kTextSpriteKey, 0, 0, sprite->GetWidth(), sprite->GetHeight(), CDIB::kNoKey);
  const CString text = GetText();
  if (m_pPainter != nullptr) m_pPainter->DrawLabelText(sprite, text.GetString());
  sprite->OutlineColour(0xFFFFFF, 0x000000, kTextSpriteKey);
  sprite->SetColourKey(PackRgb555(255, 0, 255));
  if (fresh) {
    sprite->AddRef();
    SetImage(sprite);
  } else if (m_pNotify != nullptr) {
    SkinRect r;
    GetRect(&r);
    m_pNotify->OnChange(this, kVOChangeAppearance, &r, nullptr);
  }
  return TRUE;
}
