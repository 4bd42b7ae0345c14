// The launcher screen without its window: the scene composed from the skin
// (background and banner), the Start, Settings and Exit buttons, the
// version label and the tooltip, and the screen's rules: the hover tick,
// press and release, the window drag and the single Start/Exit command.
// The Win32 view (CQuorlLauncherView) feeds it the mouse and the timer and
// carries out what it answers (capture, post a command, move the window).
// Neutral, so that native tests reach all of it.
#pragma once

#include <cstdint>

#include "framework/cstring.h"
#include "skin/game_scene.h"
#include "skin/tooltip.h"

class CGraphicData;

// True when the skin can show the launcher screen: an entry 0 (the
// background) with a size above 0 x 0 whose image can be read.
bool IsUsableLauncherSkin(CGraphicData* skin);

// What the screen reads from the program around it.
class CLauncherScreenHost {
 public:
  virtual ~CLauncherScreenHost() = default;
  // The installed game and launcher versions; false when unreadable.
  virtual bool ReadInstalledVersions(uint32_t* game, uint32_t* launcher) {
    (void)game;
    (void)launcher;
    return false;
  }
};

// A button while the screen is built.
struct CLauncherButtonDef {
  int x = -1, y = -1;
  int firstEntry = -1;
  int command = -1;
  int frames = 0;
  BOOL enabled = TRUE;
};

class CLauncherScreen : public CGameScene {
 public:
  // What the window has to do after a mouse message.
  struct Reply {
    bool capture = false;     // take the mouse capture
    bool release = false;     // give it back
    bool moveWindow = false;  // a drag step: see DragPosition
    uint32_t command = 0;     // post this command to the main window (0: none)
  };

  static constexpr int kBackgroundEntry = 0;
  static constexpr int kBannerEntry = 1;
  static constexpr int kBannerTop = 356;
  static constexpr int kHoverPeriod = 50;  // ms between hover ticks
  static constexpr int kTipPeriod = 500;   // ms between tooltip ticks

  CLauncherScreen();
  ~CLauncherScreen() override;

  // None is owned; the skin must outlive the screen.
  void SetSkin(CGraphicData* skin) { m_pSkin = skin; }
  void SetHost(CLauncherScreenHost* host) { m_pHost = host; }
  void SetPainter(CSkinTextPainter* painter) { m_pPainter = painter; }

  // The scene, the back buffer, the label and the tooltip.
  void InitVisualObjects() override;
  // The three buttons.
  void BuildScreen();
  BOOL LayoutButtons(const CLauncherButtonDef* defs, int count, const SkinRect* layout, uint32_t align);
  // Scene coordinates.
  CHilightButtonVO* HitTestButton(int x, int y);
  void RefreshVersionLabel();
  void DrawObjects(const SkinRect* area, const SkinRect* view) override;

  // The 50 ms tick: pointer in client coordinates; captured: the view holds
  // the mouse capture; now: the tick count.  Always FALSE, as the view's
  // animation answer.
  BOOL OnHoverTick(int clientX, int clientY, bool captured, uint32_t now);
  // Mouse messages, client coordinates.  haveCapture: the view holds the
  // capture at the time of the message.
  Reply ButtonDown(int x, int y);
  Reply MouseMove(int x, int y, bool haveCapture);
  Reply ButtonUp(int x, int y, bool haveCapture);
  // WM_CANCELMODE; WM_CAPTURECHANGED to a window that is not the view.
  void CancelMode();
  void CaptureLost();
  // Start and Exit share one shot: true for the first of them only.
  bool FireOnce();
  // What a button's command asks of the main window, in one post: Start
  // shows the update screen (ID_SHOW_UPDATE_VIEW) and Exit ends the program
  // (ID_APP_EXIT), the first of the two only (0 after it); other commands
  // go as they are, to the active view through the frame.
  uint32_t TakeCommand(uint32_t command);
  // Where the main window goes during a drag: pointer (screen), the view's
  // client origin (screen) and the main window's top-left (screen).
  void DragPosition(int pointerX, int pointerY, int clientLeft, int clientTop, int frameLeft, int frameTop, int* x,
                    int* y) const;

  bool IsDragging() const { return m_bDragging != FALSE; }
  CHilightButtonVO* GetPressedButton() const { return m_pPressedButton; }
  CToolTipsVO* GetToolTip() const { return m_pToolTip; }
  CVersionInfoVO* GetVersionLabel() const { return m_pVersionLabel; }
  // The buttons in list order (Start, Settings, Exit).
  CHilightButtonVO* GetButton(int index) const;

  // The command of the button for which a tooltip was last built;
  // process-wide, -1 at start.
  static int s_nLastTipCommand;

 private:
  SkinPoint ToScene(int x, int y) const { return {x + m_rcView.left, y + m_rcView.top}; }

  CGraphicData* m_pSkin = nullptr;
  CLauncherScreenHost* m_pHost = nullptr;
  CSkinTextPainter* m_pPainter = nullptr;
  CVersionInfoVO* m_pVersionLabel = nullptr;
  CToolTipsVO* m_pToolTip = nullptr;
  uint32_t m_dwLastTipTick = 0;
  CHilightButtonVO* m_pPressedButton = nullptr;
  BOOL m_bDragging = FALSE;
  SkinPoint m_ptDragStart = {0, 0};
  BOOL m_bCommandFired = FALSE;
};
