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
  virtual BOOL OnAnimate() { return m_pGameScene->OnAnimate(); }
  HBITMAP GetBackBufferBitmap() const { return m_hBackBufferBitmap; }

 protected:
  void OnDestroy();
  BOOL OnEraseBkgnd(CDC* pDC);
  static void CALLBACK AnimationTimerProc(HWND hwnd, UINT message, UINT_PTR id, DWORD time);
  DECLARE_MESSAGE_MAP()

  CGameScene* m_pGameScene;
  HBITMAP m_hBackBufferBitmap = nullptr;
};
