// The launcher's main frame switched to the update screen, inside the test
// program (which carries the launcher's resources).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "app/launcher_app.h"
#include "app/main_frame.h"
#include "res/resource.h"
#include "skin/launcher_view.h"
#include "tests/support/test_app_win.h"
#include "update/update_view.h"

namespace update_test {

using test_support::InitTestApp;

class UpdateScreenFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApp();
    CQuorlLauncherApp* app = GetLauncherApp();
    if (!app->GetGraphicData().IsOpen()) {
      ASSERT_TRUE(app->GetGraphicData().Open(QUORL_TEST_SKIN_FILE));
    }
    ASSERT_TRUE(
        RegisterWindowClass(kMainFrameClassName, 0, ::LoadCursorA(nullptr, IDC_ARROW), nullptr, nullptr, nullptr));
    m_frame = static_cast<CMainFrame*>(RUNTIME_CLASS(CMainFrame)->CreateObject());
    ASSERT_NE(nullptr, m_frame);
    CCreateContext context;
    context.m_pNewViewClass = RUNTIME_CLASS(CQuorlLauncherView);
    ASSERT_TRUE(m_frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW, nullptr, &context));
    m_hFrame = m_frame->m_hWnd;
    AfxGetApp()->m_pMainWnd = m_frame;
    ::SendMessageA(m_hFrame, WM_COMMAND, ID_SHOW_UPDATE_VIEW, 0);
    m_screen = dynamic_cast<CQuorlLauncherUpdateView*>(m_frame->GetActiveView());
    ASSERT_NE(nullptr, m_screen);
    m_view = m_screen->m_hWnd;
    // The start message is taken out of the queue: the tests drive the
    // screen themselves.
    MSG msg;
    while (::PeekMessageA(&msg, m_view, WM_APP + 0x101, WM_APP + 0x101, PM_REMOVE)) {
    }
  }
  void TearDown() override {
    AfxGetApp()->m_pMainWnd = nullptr;
    if (m_hFrame != nullptr && ::IsWindow(m_hFrame))
      ::DestroyWindow(m_hFrame);  // the frame and its views delete themselves
  }

  CMainFrame* m_frame = nullptr;
  HWND m_hFrame = nullptr;
  CQuorlLauncherUpdateView* m_screen = nullptr;
  HWND m_view = nullptr;
};

}  // namespace update_test
