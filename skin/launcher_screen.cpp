#include "skin/launcher_screen.h"

#include "framework/afxres.h"
#include "framework/tickdiff.h"
#include "res/resource.h"
#include "skin/graphic_data.h"

int CLauncherScreen::s_nLastTipCommand = -1;

bool IsUsableLauncherSkin(CGraphicData* skin) {
  if (skin == nullptr) return false;
  int32_t w = 0, h = 0;
  if (!skin->GetImageSize(CLauncherScreen::kBackgroundEntry, &w, &h) || w <= 0 || h <= 0) return false;
  // Reading it also unpacks it: a damaged block fails here, not at the
  // first paint.
  CGraphicDataHandle handle;
  return skin->GetImage(CLauncherScreen::kBackgroundEntry, &handle);
}

CLauncherScreen::CLauncherScreen() {
  m_objects.m_bAutoDelete = TRUE;
  m_upperRelativeObjects.m_bAutoDelete = TRUE;
  m_lowerRelativeObjects.m_bAutoDelete = TRUE;
  m_relativeGroups.m_bAutoDelete = TRUE;
}

CLauncherScreen::~CLauncherScreen() { delete m_pToolTip; }

void CLauncherScreen::InitVisualObjects() {
  CGameScene::InitVisualObjects();
  int32_t w0 = 0, h0 = 0;
  if (m_pSkin != nullptr) m_pSkin->GetImageSize(kBackgroundEntry, &w0, &h0);
  if (w0 > 0 && h0 > 0) {
    CDIB* scene = new CDIB;
    scene->CreateBlank(w0, h0, nullptr);
    CAlphableDIB background;
    background.Create(w0, h0, kBackgroundEntry, m_pSkin);
    background.Draw(scene, 0, 0, w0, h0, 0, 0, CDIB::kNoKey);
    int32_t w1 = 0, h1 = 0;
    m_pSkin->GetImageSize(kBannerEntry, &w1, &h1);
    CAlphableDIB banner;
    banner.Create(w1, h1, kBannerEntry, m_pSkin);
    banner.Draw(scene, (w0 - w1) / 2, kBannerTop, w1, h1, 0, 0, CDIB::kNoKey);
    scene->AddRef();
    if (scene != m_pScene) delete m_pScene;
    m_pScene = scene;
    if (CreateBackBuffer()) m_rcView = {0, 0, w0, h0};
  }

  m_pVersionLabel = new CVersionInfoVO;
  m_pVersionLabel->SetPainter(m_pPainter);
  m_pVersionLabel->SetVersions(0, 0);
  SkinRect r;
  m_pVersionLabel->GetRect(&r);
  m_pVersionLabel->SetOffset(-16, 18);
  CRelativeVOList* list = new CRelativeVOList;
  list->SetNotify(m_pNotify);
  list->SetAlign(CRelativeVOList::kRight | CRelativeVOList::kTop);
  list->SetLayoutRect(&r);
  list->Add(m_pVersionLabel, FALSE);
  list->Relayout();
  m_relativeGroups.AddTail(list);
  RefreshVersionLabel();

  delete m_pToolTip;
  m_pToolTip = new CToolTipsVO;
  m_pToolTip->SetNotify(m_pNotify);
  m_pToolTip->m_nShowTime = 500;
  m_pToolTip->m_nDelay = 100;

  Redraw(nullptr);
  Blit(nullptr);
}

void CLauncherScreen::RefreshVersionLabel() {
  uint32_t game = 0, launcher = 0;
  if (m_pHost == nullptr || m_pVersionLabel == nullptr || !m_pHost->ReadInstalledVersions(&game, &launcher)) return;
  if (m_pVersionLabel->SetVersionsIfChanged(game, launcher)) FlushDirtyRects();
}

void CLauncherScreen::BuildScreen() {
  ClearRelativeLists(TRUE);
  int32_t w0 = 0, h0 = 0;
  if (m_pSkin != nullptr) m_pSkin->GetImageSize(kBackgroundEntry, &w0, &h0);
  CLauncherButtonDef defs[3];
  const int table[3][4] = {
      {179, 236, 2, ID_LAUNCHER_START},
      {179, 268, 14, ID_LAUNCHER_ENV_SETTINGS},
      {179, 300, 17, ID_LAUNCHER_EXIT},
  };
  for (int i = 0; i < 3; ++i) {
    defs[i].x = table[i][0];
    defs[i].y = table[i][1];
    defs[i].firstEntry = table[i][2];
    defs[i].command = table[i][3];
    defs[i].frames = 3;
    defs[i].enabled = TRUE;
  }
  const SkinRect layout = {0, 0, w0, h0};
  LayoutButtons(defs, 3, &layout, CRelativeVOList::kRight);
  FlushDirtyRects();
}

BOOL CLauncherScreen::LayoutButtons(const CLauncherButtonDef* defs, int count, const SkinRect* layout, uint32_t align) {
  m_lowerRelativeObjects.RemoveAll(TRUE);
  m_lowerRelativeObjects.SetAlign(align);
  m_lowerRelativeObjects.SetLayoutRect(layout);
  for (int i = 0; i < count; ++i) {
    const CLauncherButtonDef& d = defs[i];
    int32_t w = 0, h = 0;
    if (m_pSkin != nullptr) m_pSkin->GetImageSize(d.firstEntry, &w, &h);
    CDIBComboArray frames(FALSE);
    for (int j = 0; j < d.frames; ++j) {
      // Every frame takes the size of the first.
      CAlphableDIB* frame = new CAlphableDIB;
      frame->Create(w, h, d.firstEntry + j, m_pSkin);
      frame->AddRef();
      frames.Add(CDIBCombo{frame, 0, 0});
    }
    CHilightButtonVO* button = new CHilightButtonVO;
    button->Create(frames, d.command);
    if (d.enabled)
      button->Enable(TRUE, 0);
    else
      button->Enable(FALSE, d.frames > 3 ? 3 : 0);
    button->SetAnchorOffset(d.x, d.y);
    m_lowerRelativeObjects.Add(button, FALSE);
  }
  m_lowerRelativeObjects.Relayout();
  return TRUE;
}

CHilightButtonVO* CLauncherScreen::GetButton(int index) const {
  POSITION pos = m_lowerRelativeObjects.FindIndex(index);
  if (pos == nullptr) return nullptr;
  CVisualObject* obj = m_lowerRelativeObjects.GetAt(pos);
  return obj->IsKindOf(RUNTIME_CLASS(CHilightButtonVO)) ? static_cast<CHilightButtonVO*>(obj) : nullptr;
}

CHilightButtonVO* CLauncherScreen::HitTestButton(int x, int y) {
  POSITION pos = m_lowerRelativeObjects.GetHeadPosition();
  while (pos != nullptr) {
    CVisualObject* obj = m_lowerRelativeObjects.GetNext(pos);
    if (obj->IsKindOf(RUNTIME_CLASS(CHilightButtonVO)) && obj->HitTest(x, y))
      return static_cast<CHilightButtonVO*>(obj);
  }
  return nullptr;
}

void CLauncherScreen::DrawObjects(const SkinRect* area, const SkinRect* view) {
  CGameScene::DrawObjects(area, view);
  // The tip lies above everything.
  if (m_pToolTip != nullptr && m_pToolTip->GetImage() != nullptr) m_pToolTip->Draw(m_pBackBuffer, area, view);
}

BOOL CLauncherScreen::OnHoverTick(int clientX, int clientY, bool captured, uint32_t now) {
  if (captured) return FALSE;
  const SkinPoint p = ToScene(clientX, clientY);
  BOOL changed = FALSE;
  POSITION pos = m_lowerRelativeObjects.GetHeadPosition();
  while (pos != nullptr) {
    CVisualObject* obj = m_lowerRelativeObjects.GetNext(pos);
    if (!obj->IsKindOf(RUNTIME_CLASS(CHilightButtonVO))) continue;
    CHilightButtonVO* button = static_cast<CHilightButtonVO*>(obj);
    if (!button->IsEnabled()) continue;
    changed |= button->SetHot(button->HitTest(p.x, p.y), 0);
  }
  if (m_pToolTip != nullptr && TickDiff(m_dwLastTipTick, now) >= static_cast<uint32_t>(kTipPeriod)) {
    m_dwLastTipTick = now;
    changed |= m_pToolTip->Tick(p.x, p.y, kHoverPeriod);
  }
  if (changed) FlushDirtyRects();
  return FALSE;
}

CLauncherScreen::Reply CLauncherScreen::ButtonDown(int x, int y) {
  Reply reply;
  const BOOL hidden = m_pToolTip != nullptr ? m_pToolTip->Hide() : FALSE;
  const SkinPoint p = ToScene(x, y);
  if (CHilightButtonVO* b = HitTestButton(p.x, p.y)) {
    m_pPressedButton = b;
    b->SetHot(TRUE, 0);
    b->ShowPressed();
    reply.capture = true;
    FlushDirtyRects();
    return reply;
  }
  if (!m_bDragging) {
    m_ptDragStart = {x, y};
    m_bDragging = TRUE;
    reply.capture = true;
  }
  if (hidden) FlushDirtyRects();
  return reply;
}

CLauncherScreen::Reply CLauncherScreen::MouseMove(int x, int y, bool haveCapture) {
  Reply reply;
  const SkinPoint p = ToScene(x, y);
  if (m_pPressedButton != nullptr) {
    BOOL changed;
    if (haveCapture) {
      changed =
          m_pPressedButton->HitTest(p.x, p.y) ? m_pPressedButton->ShowPressed() : m_pPressedButton->RefreshFrame();
    } else {
      changed = m_pPressedButton->RefreshFrame();
      m_pPressedButton = nullptr;
    }
    if (changed) FlushDirtyRects();
    return reply;
  }
  if (m_bDragging) {
    if (haveCapture)
      reply.moveWindow = true;
    else
      m_bDragging = FALSE;
    return reply;
  }
  CHilightButtonVO* b = HitTestButton(p.x, p.y);
  if (b == nullptr || m_pToolTip == nullptr) return reply;
  if (m_pToolTip->GetImage() != nullptr && b->GetCommandId() == s_nLastTipCommand) return reply;
  const BOOL hidden = m_pToolTip->Hide();
  s_nLastTipCommand = b->GetCommandId();
  const BOOL shown = m_pToolTip->ShowFor(b, this, m_pPainter);
  if (hidden || shown) FlushDirtyRects();
  return reply;
}

CLauncherScreen::Reply CLauncherScreen::ButtonUp(int x, int y, bool haveCapture) {
  Reply reply;
  if (m_pPressedButton != nullptr) {
    CHilightButtonVO* b = m_pPressedButton;
    b->SetHot(FALSE, 0);
    b->RefreshFrame();
    const SkinPoint p = ToScene(x, y);
    // A command only for a release over the button that was pressed.
    if (haveCapture && b->HitTest(p.x, p.y))
      reply.command = TakeCommand(static_cast<uint32_t>(b->GetCommandId()) & 0xFFFF);
    FlushDirtyRects();
    m_pPressedButton = nullptr;
    reply.release = true;
    return reply;
  }
  if (m_bDragging) {
    m_bDragging = FALSE;
    reply.release = true;
  }
  return reply;
}

void CLauncherScreen::CancelMode() {
  m_pPressedButton = nullptr;
  m_bDragging = FALSE;
}

void CLauncherScreen::CaptureLost() { m_bDragging = FALSE; }

bool CLauncherScreen::FireOnce() {
  if (m_bCommandFired) return false;
  m_bCommandFired = TRUE;
  return true;
}

uint32_t CLauncherScreen::TakeCommand(uint32_t command) {
  // The click carries the frame's own command: posting the button's
  // command instead would come back to this screen through the frame and
  // post a second time.
  if (command == ID_LAUNCHER_START) return FireOnce() ? ID_SHOW_UPDATE_VIEW : 0;
  if (command == ID_LAUNCHER_EXIT) return FireOnce() ? ID_APP_EXIT : 0;
  return command;
}

void CLauncherScreen::DragPosition(int pointerX, int pointerY, int clientLeft, int clientTop, int frameLeft,
                                   int frameTop, int* x, int* y) const {
  *x = pointerX - m_ptDragStart.x - clientLeft + frameLeft;
  *y = pointerY - m_ptDragStart.y - clientTop + frameTop;
}
