// The update screen in a frame on the desktop: its controls and
// texts, the progress display fed with the session's reports, the busy
// dots, the versions and the status line.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "tests/update/dialog_watch.h"
#include "tests/update/test_clock.h"
#include "tests/update/update_win_fixture.h"
#include "update/update_sequence_win.h"
#include "update/update_view.h"

using update_test::DialogWatcher;
using update_test::Press;
using update_test::SeenDialog;
using update_test::Widen;
using update_test::WindowTextW;

namespace {

std::wstring ControlText(HWND view, int id) { return WindowTextW(::GetDlgItem(view, id)); }
bool Enabled(HWND view, int id) { return ::IsWindowEnabled(::GetDlgItem(view, id)) != FALSE; }
int BarPos(HWND view) { return static_cast<int>(::SendDlgItemMessageA(view, IDC_UPDATE_PROGRESS, PBM_GETPOS, 0, 0)); }

void Report(HWND view, WPARAM kind, uint32_t value) {
  ::SendMessageA(view, WM_APP_DOWNLOAD_PROGRESS, kind, static_cast<LPARAM>(value));
}

const int kDetailIds[] = {
    IDC_UPDATE_LATEST,        IDC_UPDATE_CURRENT,        IDC_UPDATE_NEXT,  IDC_UPDATE_ARROW,    IDC_UPDATE_LATEST_LABEL,
    IDC_UPDATE_CURRENT_LABEL, IDC_UPDATE_PROGRESS_LABEL, IDC_UPDATE_BYTES, IDC_UPDATE_PROGRESS, IDC_UPDATE_REMAINING};

using UpdateScreen = update_test::UpdateScreenFixture;

TEST_F(UpdateScreen, StartsWithItsDetailsHiddenAndCancelDisabled) {
  EXPECT_EQ(L"최신 버전:", ControlText(m_view, IDC_UPDATE_LATEST_LABEL));
  EXPECT_EQ(L"현재 버전:", ControlText(m_view, IDC_UPDATE_CURRENT_LABEL));
  EXPECT_EQ(L"->", ControlText(m_view, IDC_UPDATE_ARROW));
  EXPECT_EQ(L"다운로드 상황 :", ControlText(m_view, IDC_UPDATE_PROGRESS_LABEL));
  EXPECT_EQ(L"취소", ControlText(m_view, IDC_UPDATE_CANCEL));
  for (int id : {IDC_UPDATE_STATUS, IDC_UPDATE_LATEST, IDC_UPDATE_CURRENT, IDC_UPDATE_NEXT, IDC_UPDATE_BYTES,
                 IDC_UPDATE_REMAINING}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(L"", ControlText(m_view, id));
  }
  for (int id : kDetailIds) {
    SCOPED_TRACE(id);
    EXPECT_FALSE(Enabled(m_view, id));
  }
  EXPECT_FALSE(Enabled(m_view, IDC_UPDATE_CANCEL));
  EXPECT_EQ(0, BarPos(m_view));
  PBRANGE range = {};
  ::SendDlgItemMessageA(m_view, IDC_UPDATE_PROGRESS, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(0, range.iLow);
  EXPECT_EQ(100, range.iHigh);
  EXPECT_EQ(0, ::GetWindowLongA(m_view, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}

TEST_F(UpdateScreen, VersionsUseTheGulimcheFont) {
  for (int id : {IDC_UPDATE_LATEST, IDC_UPDATE_CURRENT, IDC_UPDATE_NEXT}) {
    SCOPED_TRACE(id);
    HFONT font = reinterpret_cast<HFONT>(::SendDlgItemMessageA(m_view, id, WM_GETFONT, 0, 0));
    ASSERT_NE(nullptr, font);
    LOGFONTA lf = {};
    ASSERT_NE(0, ::GetObjectA(font, sizeof lf, &lf));
    EXPECT_STREQ("Gulimche", lf.lfFaceName);
    EXPECT_EQ(FW_NORMAL, lf.lfWeight);
  }
}

TEST_F(UpdateScreen, StatusStringShowsOrHidesTheDetails) {
  m_screen->SetStatusString(IDS_STATUS_UPDATING, FALSE);
  EXPECT_EQ(L"Quorl의 업데이트를 하고 있습니다. 잠시 기다려 주세요.", ControlText(m_view, IDC_UPDATE_STATUS));
  for (int id : kDetailIds) {
    SCOPED_TRACE(id);
    EXPECT_TRUE(Enabled(m_view, id));
  }
  // Showing the details does not make Cancel usable without a transfer.
  EXPECT_FALSE(Enabled(m_view, IDC_UPDATE_CANCEL));

  m_screen->ShowVersion(2003000, IDC_UPDATE_CURRENT);
  m_screen->SetStatusString(IDS_STATUS_CHECKING, TRUE);
  EXPECT_EQ(L"Quorl의 최신 버전을 확인하고 있습니다. 잠시 기다려 주세요.", ControlText(m_view, IDC_UPDATE_STATUS));
  EXPECT_EQ(L"", ControlText(m_view, IDC_UPDATE_CURRENT));
  EXPECT_FALSE(Enabled(m_view, IDC_UPDATE_PROGRESS));

  m_screen->SetStatusString(0, FALSE);
  EXPECT_EQ(L"", ControlText(m_view, IDC_UPDATE_STATUS));
  m_screen->SetStatusTexts("plain", FALSE);
  EXPECT_EQ(L"plain", ControlText(m_view, IDC_UPDATE_STATUS));
}

TEST_F(UpdateScreen, VersionsAreShownAsMajorAndThousands) {
  struct Case {
    uint32_t version;
    const wchar_t* text;
  };
  for (const Case& c : {Case{0, L"0.000"}, Case{1000000, L"1.000"}, Case{1002003, L"1.002"}, Case{12345678, L"12.345"},
                        Case{4294967295u, L"4294.967"}}) {
    SCOPED_TRACE(c.version);
    // The scripts announce LATESTVER and NEXTVER to the sequence, which
    // shows them on its screen.
    CUpdateSequenceHostWin sequence(m_screen, *m_screen->GetHost());
    EXPECT_TRUE(sequence.GetScriptHost().SetLatestVersion(7, 8, c.version));
    EXPECT_TRUE(sequence.GetScriptHost().SetNextVersion(7, 8, c.version));
    m_screen->ShowVersion(c.version, IDC_UPDATE_CURRENT);
    EXPECT_EQ(c.text, ControlText(m_view, IDC_UPDATE_LATEST));
    EXPECT_EQ(c.text, ControlText(m_view, IDC_UPDATE_NEXT));
    EXPECT_EQ(c.text, ControlText(m_view, IDC_UPDATE_CURRENT));
    EXPECT_EQ(c.version, sequence.GetLatestVersion());
    EXPECT_EQ(c.version, sequence.GetNextVersion());
    sequence.ResetScriptVersions();
    EXPECT_EQ(0u, sequence.GetLatestVersion());
    EXPECT_EQ(0u, sequence.GetNextVersion());
    EXPECT_EQ(c.text, ControlText(m_view, IDC_UPDATE_LATEST)) << "the display stays as it is";
  }
}

// A script that still runs after its screen went away reaches nothing.
TEST_F(UpdateScreen, ScriptsHostAnswersZeroOnceTheScreenIsGone) {
  CUpdateSequenceHostWin sequence(m_screen, *m_screen->GetHost());
  ::SendMessageA(m_hFrame, WM_COMMAND, ID_SHOW_LAUNCHER_VIEW, 0);
  ASSERT_FALSE(::IsWindow(m_view));
  EXPECT_EQ(0, sequence.GetScriptHost().DownloadFile("http://127.0.0.1/x", "C:\\x", 1, 2));
  EXPECT_EQ(0, sequence.GetScriptHost().SetLatestVersion(1, 2, 3));
  EXPECT_EQ(0, sequence.GetScriptHost().SetNextVersion(1, 2, 3));
  EXPECT_EQ(0u, sequence.GetLatestVersion());
  EXPECT_EQ(kCheckGone, sequence.CheckVersion(0));
}

TEST_F(UpdateScreen, ReportsWithALengthFillTheBarAndEstimateOncePerSecond) {
  ScopedTestClock clock(10000);  // ten seconds after the screen's start tick (0)
  Report(m_view, 3, 0);
  Report(m_view, 1, 10000);
  EXPECT_EQ(L"0 BYTE/9 KB", ControlText(m_view, IDC_UPDATE_BYTES));
  EXPECT_EQ(0, BarPos(m_view));

  Report(m_view, 2, 5000);  // 500 bytes a second, 5,000 to go
  EXPECT_EQ(L"4 KB/9 KB", ControlText(m_view, IDC_UPDATE_BYTES));
  EXPECT_EQ(50, BarPos(m_view));
  EXPECT_EQ(L"남은 시간 약 10초", ControlText(m_view, IDC_UPDATE_REMAINING));

  // Within the second the estimate stays as it was.
  clock.Advance(999);
  Report(m_view, 2, 9000);
  EXPECT_EQ(90, BarPos(m_view));
  EXPECT_EQ(L"남은 시간 약 10초", ControlText(m_view, IDC_UPDATE_REMAINING));
  clock.Advance(1);
  Report(m_view, 2, 9000);
  EXPECT_EQ(L"남은 시간 약 1초", ControlText(m_view, IDC_UPDATE_REMAINING));

  Report(m_view, 0, 10000);
  EXPECT_EQ(L"9 KB/9 KB", ControlText(m_view, IDC_UPDATE_BYTES));
  EXPECT_EQ(100, BarPos(m_view));
  EXPECT_EQ(0, m_screen->GetEndCode());
}

TEST_F(UpdateScreen, EstimatesInMinutesAndHours) {
  struct Case {
    uint32_t secondsLeft;
    const wchar_t* text;
  };
  // Received bytes equal to the elapsed milliseconds: 1,000 bytes a second,
  // one second more for each case so that each one updates the estimate.
  ScopedTestClock clock;
  uint32_t tick = 100000;
  for (const Case& c : {Case{150, L"남은 시간 약 2분"}, Case{3661, L"남은 시간 약 1시간 1분"},
                        Case{60, L"남은 시간 약 60초"}, Case{61, L"남은 시간 약 1분"}}) {
    SCOPED_TRACE(c.secondsLeft);
    tick += 1000;
    clock.Set(tick);
    Report(m_view, 1, tick + c.secondsLeft * 1000);
    Report(m_view, 2, tick);
    EXPECT_EQ(c.text, ControlText(m_view, IDC_UPDATE_REMAINING));
  }
}

TEST_F(UpdateScreen, TooSlowForAnEstimateShowsTheLabelAlone) {
  ScopedTestClock clock(5000);
  Report(m_view, 1, 1000);
  Report(m_view, 2, 4);  // under a byte a second
  EXPECT_EQ(L"남은 시간", ControlText(m_view, IDC_UPDATE_REMAINING));
}

TEST_F(UpdateScreen, WithoutALengthTheTotalIsUnknownUntilTheEnd) {
  ScopedTestClock clock(5000);
  Report(m_view, 3, 0);
  Report(m_view, 2, 5000);
  EXPECT_EQ(L"4 KB/??? BYTE", ControlText(m_view, IDC_UPDATE_BYTES));
  EXPECT_EQ(0, BarPos(m_view));
  EXPECT_EQ(L"남은 시간", ControlText(m_view, IDC_UPDATE_REMAINING));
  Report(m_view, 0, 6000);
  EXPECT_EQ(L"5 KB/5 KB", ControlText(m_view, IDC_UPDATE_BYTES));
  EXPECT_EQ(100, BarPos(m_view));
}

TEST_F(UpdateScreen, EndCodesAreKeptWithTheirValues) {
  const struct {
    int code;
    uint32_t value;
  } cases[] = {
      {6, 404}, {11, 12029}, {7, 13}, {4, 0}, {12, 1048593}, {0, 3000}, {8, 0xFFFFFFFFu},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    Report(m_view, static_cast<WPARAM>(c.code), c.value);
    EXPECT_EQ(c.code, m_screen->GetEndCode());
    EXPECT_EQ(c.value, m_screen->GetEndValue());
  }
}

TEST_F(UpdateScreen, BusyDotsGrowToSixteenThenStartAgain) {
  const std::wstring label = L"다운로드 상황 :";
  for (int tick = 1; tick <= 17; ++tick) {
    SCOPED_TRACE(tick);
    ::SendMessageA(m_view, WM_TIMER, 0x20040825, 0);
    EXPECT_EQ(label + std::wstring(tick % 17, L'.'), ControlText(m_view, IDC_UPDATE_PROGRESS_LABEL));
  }
}

// The start message runs the whole update (the end-to-end tests drive it);
// outside a download Cancel is disabled, and a click that still comes does
// nothing: no question, and the update screen stays.
TEST_F(UpdateScreen, CancelOutsideADownloadDoesNothing) {
  EXPECT_FALSE(Enabled(m_view, IDC_UPDATE_CANCEL));
  DialogWatcher watcher([](const SeenDialog& d) {
    ADD_FAILURE() << "a question without a download";
    Press(d.hwnd, IDNO);
  });
  ::SendMessageA(m_view, WM_COMMAND, MAKEWPARAM(IDC_UPDATE_CANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(m_view, IDC_UPDATE_CANCEL)));
  update_test::PumpUntil([] { return false; }, 500);
  EXPECT_TRUE(::IsWindow(m_view));
  EXPECT_EQ(m_screen, m_frame->GetActiveView());
}

}  // namespace
