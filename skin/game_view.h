// The window of every skinned screen: shows a scene (CGameScene) through a
// 16-bit DIB section back buffer, one BitBlt per dirty rectangle, and
// calls the scene's animation every period from a timer.  The base view
// handles no input.  Win32.
#pragma once

#include "framework/afxwin.h"
#include "skin/game_scene.h"

class CGameView : public CView, public CSceneWindow {
  DECLARE_DYNCREATE(CGameView)
 public:
  static constexpr UINT_PTR kAnimationTimerId = 0x10000001;

  CGameView();
  // Takes ownership of scene.
  explicit CGameView(CGameScene* scene);
  ~CGameView() override;

  CGameScene& GetGameScene() const { return *m_pGameScene; }

  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  void OnInitialUpdate() override;
  void OnDraw(CDC* pDC) override;

  // The scene's window.
  void Blit(const SkinRect* area) override;
  void GetClientRect(SkinRect* out) override;
  BOOL CreateBackBuffer(CGameScene* scene) override;
  // Blit into dc (null: a DC of the window for the call).
  void BlitTo(CDC* dc, const SkinRect* area);

  void StartAnimationTimer(UINT period);
  // The period the animation timer was started with (0: never started).
  UINT GetAnimationPeriod() const { return m_nAnimationPeriod; }
  virtual BOOL OnAnimate() { return m_pGameScene->OnAnimate(); }
  HBITMAP GetBackBufferBitmap() const { return m_hBackBufferBitmap; }
  // The game view of a window the animation timer fires for; null for any
  // other window.
  static CGameView* FromTimerWindow(HWND hwnd);

 protected:
  void OnDestroy();
  BOOL OnEraseBkgnd(CDC* pDC);
  static void CALLBACK AnimationTimerProc(HWND hwnd, UINT message, UINT_PTR id, DWORD time);
  // The back buffer's DIB section (null when it cannot be made).
  virtual HBITMAP CreateSection(HDC dc, const BITMAPINFO* info, void** bits);
  // The one copy of a clipped rectangle r to the target.
  virtual void CopyToWindow(HDC target, HDC memory, const RECT& r);
  DECLARE_MESSAGE_MAP()

  CGameScene* m_pGameScene;
  HBITMAP m_hBackBufferBitmap = nullptr;
  UINT m_nAnimationPeriod = 0;
};
