// The launcher's only top-level window: it holds the skinned launcher screen
// or the captioned update screen and switches between them on commands.
#pragma once

#include <cstdint>

#include "app/update_screen_host_win.h"
#include "framework/afxwin.h"

class CMainFrame : public CFrameWnd {
  DECLARE_DYNCREATE(CMainFrame)
 public:
  CMainFrame();
  ~CMainFrame() override;

  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                 CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr) override;

  // Replaces the active view by a new one of that class (TRUE when it
  // already is one); FALSE leaves the old view in place.
  BOOL SwitchView(CRuntimeClass* pViewClass, BOOL bRecalcLayout);
  // Centres the frame (of the given size, else its own) on target, inside
  // the work area; an empty target only resizes.
  void CenterWindowOnRect(const RECT& target, const RECT* window);
  void EnableCloseCommand(BOOL bEnable);

 protected:
  void OnSysCommand(UINT nID, LPARAM lParam);
  BOOL OnEraseBkgnd(CDC* pDC);
  BOOL OnQueryEndSession();
  void OnShowLauncherView();
  void OnShowUpdateView();
  DECLARE_MESSAGE_MAP()

 private:
  // The update screen's host with the sequence's running state, handed to
  // each new update screen.
  CLauncherUpdateScreenHost m_updateScreenHost;
  // Set the first time the frame switches to the update screen: in the
  // start-at-once mode the frame was never shown before that.
  BOOL m_bUpdateScreenShown = FALSE;

  // Hands a new view what it needs (the skin, the application's side of
  // its commands) right after its window is made.
  void HandOver(CView* view);
  // Sizes the frame so that its client area holds the skin's background.
  void SizeToSkin(CView* pane);
};
