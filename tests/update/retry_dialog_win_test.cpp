// The Retry/Cancel question: how it looks, how each answer ends it, and
// its own Retry after a minute left alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

#include "res/resource.h"
#include "tests/update/dialog_watch.h"
#include "tests/update/test_clock.h"
#include "tests/update/update_win_fixture.h"
#include "update/retry_dialog.h"

using namespace update_test;

namespace {

struct Answer {
  const char* name;
  int command;  // what the user does: a button, or Enter (IDOK) and Escape (IDCANCEL)
  BOOL retry;
};

TEST(RetryCancelDialog, EachAnswerEndsIt) {
  InitTestApp();
  for (const Answer& a :
       {Answer{"Retry button", IDRETRY, TRUE}, Answer{"Enter", IDOK, TRUE}, Answer{"Cancel button", IDCANCEL, FALSE}}) {
    SCOPED_TRACE(a.name);
    DialogWatcher watcher([&](const SeenDialog& d) { Press(d.hwnd, a.command); });
    EXPECT_EQ(a.retry, AskRetry("the question"));
  }
}

TEST(RetryCancelDialog, ShowsTheTextWithAWarningIconAndRetryAsDefault) {
  InitTestApp();
  std::atomic<bool> checked{false};
  DialogWatcher watcher([&](const SeenDialog& d) {
    EXPECT_EQ(L"Quorl", d.caption);
    EXPECT_EQ(Widen("다운로드한 파일이 정상적이지 않습니다.\n다운로드를 다시 하겠습니까?"), d.text);
    EXPECT_NE(nullptr, reinterpret_cast<HICON>(::SendDlgItemMessageA(d.hwnd, IDC_RETRY_ICON, STM_GETICON, 0, 0)));
    EXPECT_EQ(IDRETRY, LOWORD(::SendMessageA(d.hwnd, DM_GETDEFID, 0, 0)));
    EXPECT_EQ(L"재실행(&R)", WindowTextW(::GetDlgItem(d.hwnd, IDRETRY)));
    EXPECT_EQ(L"취소", WindowTextW(::GetDlgItem(d.hwnd, IDCANCEL)));
    checked = true;
    Press(d.hwnd, IDCANCEL);
  });
  CString text;
  ASSERT_TRUE(text.LoadString(IDS_ERR_FILE_CORRUPT));
  EXPECT_FALSE(AskRetry(text));
  EXPECT_TRUE(checked);
}

TEST(RetryCancelDialog, AnswersRetryByItselfAfterMoreThanAMinute) {
  InitTestApp();
  ScopedTestClock clock;
  std::atomic<HWND> shown{nullptr};
  std::atomic<bool> openAfterAMinute{false};
  DialogWatcher watcher([&](const SeenDialog& d) {
    shown = d.hwnd;
    // Exactly a minute (and less than a second more) is not enough.
    clock.Advance(60999);
    ::Sleep(2500);  // two ticks of its timer
    openAfterAMinute = ::IsWindow(d.hwnd) && ::IsWindowVisible(d.hwnd);
    clock.Advance(1);
  });
  const DWORD start = ::GetTickCount();
  EXPECT_TRUE(AskRetry("left alone"));
  EXPECT_NE(nullptr, shown.load());
  EXPECT_TRUE(openAfterAMinute);
  EXPECT_LT(::GetTickCount() - start, 15000u);
}

}  // namespace
