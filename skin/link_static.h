// A static control that behaves as a hyperlink: its text is drawn
// underlined, blue, red while the pointer is over it or it is pressed, and
// purple once the address has been opened; a click on the text opens the
// address with the shell, and its context menu copies the address.  Bind
// it to a dialog's static (DDX_Control) or create it.  Win32.
#pragma once

#include <windows.h>

#include "framework/afxwin.h"

class CLinkURLStatic : public CStatic {
  DECLARE_DYNCREATE(CLinkURLStatic)
 public:
  static constexpr COLORREF kNormalColour = 0xFF0000;   // blue
  static constexpr COLORREF kHoverColour = 0x0000FF;    // red, also pressed
  static constexpr COLORREF kVisitedColour = 0x800080;  // purple
  // "LRUL": the hover poll, every 50 ms.
  static constexpr UINT_PTR kHoverTimerId = 0x4C55524C;
  static constexpr UINT kHoverPeriod = 50;

  // The address; the window text when none was set (taken when the control
  // is subclassed, and again by a click or a copy while it is empty).
  void SetURL(const char* url) { m_strURL = url != nullptr ? url : ""; }
  const CString& GetURL() const { return m_strURL; }
  BOOL IsVisited() const { return m_bVisited; }
  COLORREF GetTextColour() const { return m_crText; }
  // The hover poll's period while it runs (0 before and after).
  UINT GetHoverPeriod() const { return m_nHoverPeriod; }

  // Whether the client point (x, y) lies on the text itself.
  BOOL HitTestText(int x, int y);

 protected:
  void PreSubclassWindow() override;
  int OnCreate(LPCREATESTRUCTA lpCreateStruct);
  void OnDestroy();
  void OnLButtonDown(UINT nFlags, CPoint point);
  void OnMouseMove(UINT nFlags, CPoint point);
  void OnLButtonUp(UINT nFlags, CPoint point);
  void OnContextMenu(CWnd* pWnd, CPoint point);
  BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  LRESULT OnNcHitTest(CPoint point);
  HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
  void OnCopyURL();
  LRESULT OnSetFont(WPARAM wParam, LPARAM lParam);
  LRESULT OnGetFont(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

 private:
  void StartHoverTimer();
  void UpdateHoverColour();
  // Makes the underlined copy of the control's font (once) and has the
  // control draw with it (without drawing).
  void EnsureUnderlineFont();
  void ShowColour(COLORREF colour);
  // Repaints the control with what lies under it painted again first.
  void Repaint();
  bool HaveCapture() const { return ::GetCapture() == m_hWnd; }
  static void CALLBACK HoverTimerProc(HWND hwnd, UINT message, UINT_PTR id, DWORD time);

  CString m_strURL;
  BOOL m_bVisited = FALSE;
  COLORREF m_crText = kNormalColour;
  CFont m_fontUnderline;
  // The font the control was given (WM_SETFONT, or the one it had when the
  // copy was made; null: the system font): what WM_GETFONT answers, so
  // that the copy never leaves the control.  Not owned.
  HFONT m_hFontGiven = nullptr;
  bool m_bFontGiven = false;
  UINT m_nHoverPeriod = 0;
};
