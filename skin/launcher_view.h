// The first screen: the skin's background with the Start, Settings and Exit
// buttons, the version label and the buttons' tooltips; the window is
// dragged by any point outside the buttons.  The screen's rules are
// CLauncherScreen; this window feeds it the mouse and the hover timer and
// carries out its answers.
#pragma once

#include <cstdint>

#include "framework/afxwin.h"
#include "skin/game_view.h"
#include "skin/launcher_screen.h"
#include "skin/skin_text_win.h"

class CGraphicData;

// What the launcher screen asks of the program around it.  The frame hands
// one over when it creates the view (the application's is in
// app/launcher_view_host_app.cpp); without one those commands do nothing and
// the label shows 0.000/0.000.
class CLauncherViewHost : public CLauncherScreenHost {
 public:
  // The Settings command: runs the environment settings dialog modally.
  virtual void RunEnvSettings() = 0;
  // The web addresses of the application's code page (null: none).
  virtual const char* GetSetupGuideURL() { return nullptr; }
  virtual const char* GetManualURL() { return nullptr; }
  virtual const char* GetHomePageURL() { return nullptr; }
  // The application's code page, for the tooltip's word wrap.
  virtual uint32_t GetCodePage() { return ::GetACP(); }
};

class CQuorlLauncherView : public CGameView {
  DECLARE_DYNCREATE(CQuorlLauncherView)
 public:
  CQuorlLauncherView();
  ~CQuorlLauncherView() override;

  // Both are handed over before the first update; neither is owned.
  void SetSkin(CGraphicData* skin) { GetScreen().SetSkin(skin); }
  void SetHost(CLauncherViewHost* host);

  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  void OnInitialUpdate() override;
  BOOL OnAnimate() override;

  CLauncherScreen& GetScreen() const { return static_cast<CLauncherScreen&>(GetGameScene()); }
  // FindExecutableA answering SE_ERR_NOASSOC: FALSE; otherwise
  // ShellExecuteA "open"; TRUE when it answered above 32.
  static BOOL OpenURL(const char* url);

 protected:
  int OnCreate(LPCREATESTRUCT lpCreateStruct);
  void OnLButtonDown(UINT nFlags, CPoint point);
  void OnMouseMove(UINT nFlags, CPoint point);
  void OnLButtonUp(UINT nFlags, CPoint point);
  void OnCancelMode();
  void OnCaptureChanged(CWnd* pWnd);
  void OnStart();
  void OnSetupGuide();
  void OnManual();
  void OnHomePage();
  void OnEnvSettings();
  void OnExit();
  DECLARE_MESSAGE_MAP()

 private:
  // Does what the screen asked for after a mouse message.
  void Carry(const CLauncherScreen::Reply& reply);
  bool HaveCapture() const { return ::GetCapture() == m_hWnd; }

  CLauncherViewHost* m_pHost = nullptr;
  CSkinTextPainterWin m_painter;
};
