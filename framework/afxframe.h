// Frame windows and views.  A frame holds one active view in the pane
// AFX_IDW_PANE_FIRST, which fills its client area; commands that reach the
// frame go to the active view, then the frame, then the application.
// Frames and views delete themselves once their window is destroyed.
// Win32 only.
#pragma once

#include <windows.h>

#include "framework/afxapp.h"
#include "framework/afxwnd.h"

class CView;
class CDocument;  // no documents in this framework: always null
class CDocTemplate;

// What a frame needs to create its first view.
struct CCreateContext {
  CRuntimeClass* m_pNewViewClass = nullptr;
  CDocument* m_pCurrentDoc = nullptr;
  CDocTemplate* m_pNewDocTemplate = nullptr;
  CView* m_pLastView = nullptr;
  CFrameWnd* m_pCurrentFrame = nullptr;
};

class CFrameWnd : public CWnd {
  DECLARE_DYNCREATE(CFrameWnd)
 public:
  CFrameWnd() = default;
  ~CFrameWnd() override = default;

  // Title from string nIDResource (up to its first '\n'), menu and icon
  // nIDResource when they exist, the window class from PreCreateWindow,
  // the first view from pContext.  Without a context the descendants get
  // WM_INITIALUPDATE.
  virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                         CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);
  BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle = WS_OVERLAPPEDWINDOW,
              const RECT& rect = rectDefault, CWnd* pParentWnd = nullptr, LPCSTR lpszMenuName = nullptr,
              DWORD dwExStyle = 0, CCreateContext* pContext = nullptr);

  CView* GetActiveView() const { return m_pViewActive; }
  // Makes pViewNew the active view; with bNotify both views hear of it.
  virtual void SetActiveView(CView* pViewNew, BOOL bNotify = TRUE);
  CDocument* GetActiveDocument() { return nullptr; }
  // Puts the pane AFX_IDW_PANE_FIRST over the whole client area.
  virtual void RecalcLayout(BOOL bNotify = TRUE);
  // Makes the first pane the active view if there is none, sends
  // WM_INITIALUPDATE to the descendants, and shows the frame if asked.
  void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);
  virtual void ActivateFrame(int nCmdShow = -1);
  // Creates the context's view as pane nID; nullptr on failure.
  CWnd* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);

  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
  void PostNcDestroy() override;
  BOOL PreTranslateMessage(MSG* pMsg) override;

  virtual BOOL OnCreateClient(LPCREATESTRUCTA lpcs, CCreateContext* pContext);

  int OnCreate(LPCREATESTRUCTA lpCreateStruct);
  void OnSize(UINT nType, int cx, int cy);
  BOOL OnEraseBkgnd(CDC* pDC);
  void OnSetFocus(CWnd* pOldWnd);
  void OnDestroy();

  static const CRect rectDefault;
  HMENU m_hMenuDefault = nullptr;  // the frame's menu from LoadFrame
  CString m_strTitle;
  UINT m_nIDHelp = 0;  // the resource id of LoadFrame

 protected:
  CView* m_pViewActive = nullptr;
  HACCEL m_hAccelTable = nullptr;

  DECLARE_MESSAGE_MAP()
};

class CView : public CWnd {
  DECLARE_DYNAMIC(CView)
 public:
  CView() = default;
  ~CView() override;

  CDocument* GetDocument() const { return nullptr; }
  virtual void OnInitialUpdate();
  virtual void OnDraw(CDC* pDC) {}
  virtual void OnPrepareDC(CDC* pDC) {}
  // The frame made this view active (bActivate) or inactive.
  virtual void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView);

  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void PostNcDestroy() override;

  int OnCreate(LPCREATESTRUCTA lpCreateStruct);
  void OnDestroy();
  void OnPaint();
  int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message);
  LRESULT OnInitialUpdateMessage(WPARAM, LPARAM);

  DECLARE_MESSAGE_MAP()
};

class CScrollView : public CView {
  DECLARE_DYNAMIC(CScrollView)
 public:
  static const SIZE sizeDefault;
  // Only MM_TEXT: sizes are pixels.  Scroll bars show where the client
  // area is smaller than sizeTotal.
  void SetScrollSizes(int nMapMode, SIZE sizeTotal, const SIZE& sizePage = sizeDefault,
                      const SIZE& sizeLine = sizeDefault);
  CSize GetTotalSize() const { return m_totalDev; }
  CPoint GetScrollPosition() const;
  void ScrollToPosition(POINT pt);
  // Sizes the parent frame so that this view's client area is the total
  // size; with bShrinkOnly the frame never grows.
  void ResizeParentToFit(BOOL bShrinkOnly = TRUE);

  void OnPrepareDC(CDC* pDC) override;

  void OnSize(UINT nType, int cx, int cy);
  void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);

 protected:
  void UpdateBars();
  void ScrollBy(int nBar, UINT nSBCode);

  int m_nMapMode = 0;
  CSize m_totalDev;
  CSize m_pageDev;
  CSize m_lineDev;
  BOOL m_bInsideUpdate = FALSE;

  DECLARE_MESSAGE_MAP()
};

// A view made from a dialog template (a child dialog that is the view).
class CFormView : public CScrollView {
  DECLARE_DYNAMIC(CFormView)
 public:
  explicit CFormView(UINT nIDTemplate) : m_nIDTemplate(nIDTemplate) {}

  BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
              CCreateContext* pContext = nullptr) override;
  void OnInitialUpdate() override;
  BOOL PreTranslateMessage(MSG* pMsg) override;

  UINT m_nIDTemplate;

 protected:
  CCreateContext* m_pCreateContext = nullptr;
};
