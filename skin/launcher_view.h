// The first screen: the skin's background with the Start, Settings and Exit
// buttons; the window is dragged by any point outside the buttons.  The
// screen's logic is CLauncherScreen; this window feeds it the mouse and
// carries out its answers.
#pragma once

#include <cstdint>

#include "framework/afxwin.h"
#include "skin/launcher_screen.h"

class CGraphicData;

// What the launcher screen asks of the program around it.  The frame hands
// one over when it creates the view (the application's is in
// skin/launcher_view_app.cpp); without one those commands do nothing.
class CLauncherViewHost {
 public:
  virtual ~CLauncherViewHost() = default;
  // The Settings command: runs the environment settings dialog modally.
  virtual void RunEnvSettings() = 0;
};

class CQuorlLauncherView : public CView {
  DECLARE_DYNCREATE(CQuorlLauncherView)
 public:
  CQuorlLauncherView();
  ~CQuorlLauncherView() override;

  // Both are handed over before the first update; neither is owned.
  void SetSkin(CGraphicData* skin) { m_pSkin = skin; }
  void SetHost(CLauncherViewHost* host) { m_pHost = host; }

  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  void OnInitialUpdate() override;
  void OnDraw(CDC* pDC) override;

  const CLauncherScreen& GetScreen() const { return m_screen; }

 protected:
  BOOL OnEraseBkgnd(CDC* pDC);
  void OnLButtonDown(UINT nFlags, CPoint point);
  void OnMouseMove(UINT nFlags, CPoint point);
  void OnLButtonUp(UINT nFlags, CPoint point);
  LRESULT OnMouseLeave(WPARAM, LPARAM);
  void OnCancelMode();
  void OnCaptureChanged(CWnd* pWnd);
  void OnStart();
  void OnEnvSettings();
  void OnExit();
  DECLARE_MESSAGE_MAP()

 private:
  // Does what the screen asked for after a mouse message.
  void Carry(const CLauncherScreen::Reply& reply);

  CGraphicData* m_pSkin = nullptr;
  CLauncherViewHost* m_pHost = nullptr;
  CLauncherScreen m_screen;
};
