// The first screen: the skin's background with the Start, Settings and Exit
// buttons; the window is dragged by any point outside the buttons.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/afxwin.h"

class CQuorlLauncherView : public CView {
  DECLARE_DYNCREATE(CQuorlLauncherView)
 public:
  CQuorlLauncherView();
  ~CQuorlLauncherView() override;

  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  void OnInitialUpdate() override;
  void OnDraw(CDC* pDC) override;

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
  struct Button {
    int x, y;
    int firstEntry;
    UINT command;
    int width, height;
    int frame;  // 0 normal, 1 hot, 2 pressed
  };

  void Compose();
  // Alpha-blends one skin entry into the back buffer at (x, y).
  void BlendEntry(int entry, int x, int y);
  int HitTestButton(CPoint point) const;
  void SetFrame(int button, int frame);

  std::vector<Button> m_buttons;
  std::vector<uint32_t> m_pixels;  // back buffer, 0x00RRGGBB, top-down
  int m_width = 0;
  int m_height = 0;
  int m_pressed = -1;
  int m_hot = -1;
  BOOL m_bDragging = FALSE;
  CPoint m_ptDragStart;
  BOOL m_bCommandFired = FALSE;
};
