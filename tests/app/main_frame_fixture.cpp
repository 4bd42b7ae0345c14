#include "tests/app/main_frame_fixture.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "app/launcher_app.h"
#include "app/launcher_names.h"
#include "res/resource.h"
#include "skin/launcher_view.h"
#include "tests/support/test_app_win.h"

void CreateLauncherMainFrame(CMainFrame** frame) {
  *frame = nullptr;
  test_support::InitTestApp();
  CQuorlLauncherApp* app = GetLauncherApp();
  if (!app->GetGraphicData().IsOpen()) {
    ASSERT_TRUE(app->GetGraphicData().Open(QUORL_TEST_SKIN_FILE));
  }
  ASSERT_TRUE(
      RegisterWindowClass(kMainFrameClassName, 0, ::LoadCursorA(nullptr, IDC_ARROW), nullptr, nullptr, nullptr));
  CMainFrame* created = static_cast<CMainFrame*>(RUNTIME_CLASS(CMainFrame)->CreateObject());
  ASSERT_NE(nullptr, created);
  CCreateContext context;
  context.m_pNewViewClass = RUNTIME_CLASS(CQuorlLauncherView);
  ASSERT_TRUE(created->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW, nullptr, &context));
  *frame = created;
}
