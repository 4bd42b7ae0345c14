// The update screen in a test frame with a host of the test's own, inside
// the test program (which carries the launcher's resources).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "framework/afxwin.h"
#include "tests/support/test_app_win.h"
#include "tests/update/update_screen_test_frame.h"
#include "update/update_view.h"

namespace update_test {

using test_support::InitTestApp;

class UpdateScreenFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApp();
    m_frame = new CUpdateScreenTestFrame;
    const BOOL opened = m_frame->Open(&m_host);
    m_hFrame = m_frame->m_hWnd;
    ASSERT_TRUE(opened);
    AfxGetApp()->m_pMainWnd = m_frame;
    m_screen = m_frame->GetScreen();
    ASSERT_NE(nullptr, m_screen);
    m_view = m_screen->m_hWnd;
  }
  void TearDown() override {
    AfxGetApp()->m_pMainWnd = nullptr;
    if (m_hFrame != nullptr && ::IsWindow(m_hFrame))
      ::DestroyWindow(m_hFrame);  // the frame and its screen delete themselves
  }

  CTestUpdateScreenHost m_host;
  CUpdateScreenTestFrame* m_frame = nullptr;
  HWND m_hFrame = nullptr;
  CQuorlLauncherUpdateView* m_screen = nullptr;
  HWND m_view = nullptr;
};

}  // namespace update_test
