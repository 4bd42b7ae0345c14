// Downloads on the update screen against the HTTP fixture: what the screen
// shows while a file comes in, Cancel and its question, the Retry/Cancel
// dialog after a failed check (also its own Retry after a minute), the
// stall rule, a screen that goes away in the middle, faults inside the
// worker (through its probe), and bodies that run past the announced size
// on the real web server of the download tests.
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <gtest/gtest.h>
#include <zlib.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "res/resource.h"
#include "tests/support/files.h"
#include "tests/support/test_app_win.h"
#include "tests/update/download_probe.h"
#include "tests/update/dialog_watch.h"
#include "tests/update/test_clock.h"
#include "tests/update/update_win_fixture.h"
#include "tools/httpfix/http_fixture.h"
#include "update/update_sequence_win.h"

using namespace update_test;
using httpfix::Answer;
using httpfix::Route;

namespace {

std::wstring ControlText(HWND view, int id) { return WindowTextW(::GetDlgItem(view, id)); }
bool Enabled(HWND view, int id) { return ::IsWindowEnabled(::GetDlgItem(view, id)) != FALSE; }
int BarPos(HWND view) { return static_cast<int>(::SendDlgItemMessageA(view, IDC_UPDATE_PROGRESS, PBM_GETPOS, 0, 0)); }

uint32_t Crc(const std::string& bytes) {
  return static_cast<uint32_t>(
      crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

std::string Body(size_t n) {
  std::string body(n, '\0');
  for (size_t i = 0; i < n; ++i) body[i] = static_cast<char>(httpfix::GeneratedByte(i));
  return body;
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The update screen with an HTTP fixture, download settings of its own in
// the registry (direct connection unless a test says otherwise) and a
// download folder.
class Downloads : public UpdateScreenFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_http.Start());
    InitTestApp();
    AfxGetApp()->SetRegistryKey("QuorlScreenTest");
    ClearSettings();
    SetDword("UseProxy", 0);
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(MAX_PATH, temp);
    static int counter = 0;
    do {
      m_folder = std::string(temp) + "quorl-dl-" + std::to_string(::GetCurrentProcessId()) + "-" +
                 std::to_string(::GetTickCount()) + "-" + std::to_string(++counter);
    } while (!::CreateDirectoryA(m_folder.c_str(), nullptr));
    m_path = m_folder + "\\patch.bin";
    ::DeleteFileA(m_path.c_str());
    UpdateScreenFixture::SetUp();
  }
  void TearDown() override {
    UpdateScreenFixture::TearDown();
    m_http.Stop();
    ::DeleteFileA(m_path.c_str());
    ::RemoveDirectoryA(m_folder.c_str());
    ClearSettings();
  }
  static void ClearSettings() { ::SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuorlScreenTest"); }
  static void SetDword(const char* name, DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyA(HKEY_CURRENT_USER, "Software\\QuorlScreenTest\\Quorl\\Login", &key));
    ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    ::RegCloseKey(key);
  }
  static void SetString(const char* name, const std::string& value) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyA(HKEY_CURRENT_USER, "Software\\QuorlScreenTest\\Quorl\\Login", &key));
    ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
    ::RegCloseKey(key);
  }

  BOOL Download(const std::string& route, uint32_t size, uint32_t crc) {
    return m_screen->DownloadWithRetry(m_http.Url(route).c_str(), m_path.c_str(), size, crc);
  }

  httpfix::HttpFixture m_http;
  std::string m_folder;
  std::string m_path;
};

TEST_F(Downloads, ScreenShowsTheTransferWhileItRuns) {
  const std::string body = Body(96 * 1024);
  Route route;
  route.answer = Answer::kTrickle;
  route.body = body;
  route.trickleBytes = 8192;
  route.trickleDelayMs = 150;
  m_http.Set("/file.bin", route);

  // Read the screen from another thread while the download waits on this
  // one, as a user would look at it.
  std::atomic<bool> done{false};
  std::atomic<bool> sawRunning{false}, sawDots{false}, sawCancel{false}, sawPartialBar{false};
  std::wstring runningBytes;
  const HWND view = m_view;
  std::thread observer([&] {
    while (!done) {
      const std::wstring bytes = ControlText(view, IDC_UPDATE_BYTES);
      const int bar = BarPos(view);
      if (bytes.find(L"/96 KB") != std::wstring::npos && bytes != L"96 KB/96 KB") {
        sawRunning = true;
        runningBytes = bytes;
      }
      if (bar > 0 && bar < 100) sawPartialBar = true;
      if (ControlText(view, IDC_UPDATE_PROGRESS_LABEL).find(L":.") != std::wstring::npos) sawDots = true;
      if (Enabled(view, IDC_UPDATE_CANCEL)) sawCancel = true;
      ::Sleep(30);
    }
  });
  DialogWatcher watcher([](const SeenDialog& d) {
    ADD_FAILURE() << "unexpected dialog";
    Press(d.hwnd, IDCANCEL);
  });
  const BOOL ok = Download("/file.bin", static_cast<uint32_t>(body.size()), Crc(body));
  done = true;
  test_support::JoinAnsweringSentMessages(observer);

  EXPECT_TRUE(ok);
  EXPECT_EQ(body, test_support::ReadWholeFile(m_path));
  EXPECT_TRUE(sawRunning) << "no byte count with the known total while running";
  EXPECT_TRUE(sawPartialBar);
  EXPECT_TRUE(sawDots) << "no busy dots";
  EXPECT_TRUE(sawCancel) << "Cancel never usable during the transfer";
  // At the end: the whole count, a full bar, no dots, Cancel disabled again.
  EXPECT_EQ(L"96 KB/96 KB", ControlText(m_view, IDC_UPDATE_BYTES));
  EXPECT_EQ(100, BarPos(m_view));
  EXPECT_EQ(L"다운로드 상황 :", ControlText(m_view, IDC_UPDATE_PROGRESS_LABEL));
  EXPECT_FALSE(Enabled(m_view, IDC_UPDATE_CANCEL));
  EXPECT_EQ(1u, m_http.Requests().size());
}

TEST_F(Downloads, WithoutALengthTheEndShowsTheCountOnBothSides) {
  const std::string body = Body(5000);
  Route route;
  route.answer = Answer::kOkNoLength;
  route.body = body;
  m_http.Set("/nolength.bin", route);
  EXPECT_TRUE(Download("/nolength.bin", 5000, Crc(body)));
  EXPECT_EQ(L"4 KB/4 KB", ControlText(m_view, IDC_UPDATE_BYTES));
  EXPECT_EQ(100, BarPos(m_view));
}

TEST_F(Downloads, CancelAsksFirstAndYesStopsAndDeletesThePartialFile) {
  Route route;
  route.answer = Answer::kTrickle;
  route.body = Body(400 * 1024);
  route.trickleBytes = 4096;
  route.trickleDelayMs = 100;
  m_http.Set("/slow.bin", route);

  const HWND view = m_view;
  std::atomic<int> questions{0};
  std::wstring question;
  std::atomic<bool> stillRunningAfterNo{false};
  DialogWatcher watcher([&](const SeenDialog& d) {
    ++questions;
    question = d.text;
    if (questions == 1) {
      Press(d.hwnd, IDNO);
      ::Sleep(500);
      // Answered No: the download goes on.
      stillRunningAfterNo = Enabled(view, IDC_UPDATE_CANCEL);
      Press(view, IDC_UPDATE_CANCEL);
    } else if (questions == 2) {
      Press(d.hwnd, IDYES);
    } else {
      ADD_FAILURE() << "a question after the cancel";
      Press(d.hwnd, IDCANCEL);
    }
  });
  std::thread clicker([&] {
    // Press Cancel once it can be pressed.
    for (int i = 0; i < 500 && !Enabled(view, IDC_UPDATE_CANCEL); ++i) ::Sleep(20);
    Press(view, IDC_UPDATE_CANCEL);
  });
  const DWORD start = ::GetTickCount();
  const int result = m_screen->DownloadOnce(m_http.Url("/slow.bin").c_str(), m_path.c_str(), 400 * 1024, 0, FALSE);
  test_support::JoinAnsweringSentMessages(clicker);
  EXPECT_EQ(3, result);
  EXPECT_EQ(2, questions.load());
  EXPECT_TRUE(stillRunningAfterNo);
  EXPECT_EQ(
      Widen(
          "다운로드를 중지하면 업데이트를 할 수 없게되어\nQuorl을 실행할 수 없게 됩니다.\n다운로드를 중단하겠습니까?"),
      question);
  EXPECT_FALSE(Exists(m_path)) << "the partial file is left";
  EXPECT_LT(::GetTickCount() - start, 30000u) << "stopped only when the trickle ended";
  EXPECT_FALSE(Enabled(m_view, IDC_UPDATE_CANCEL));
}

TEST_F(Downloads, CrcMismatchAsksAndRetryDownloadsAgainBypassingCaches) {
  const std::string good = Body(3000);
  std::string bad = good;
  bad[100] ^= 0x5A;
  Route route;
  route.body = bad;
  m_http.Set("/crc.bin", route);

  std::wstring text;
  DialogWatcher watcher([&](const SeenDialog& d) {
    text = d.text;
    // The server has the right file now.
    Route fixed;
    fixed.body = good;
    m_http.Set("/crc.bin", fixed);
    Press(d.hwnd, IDRETRY);
  });
  TestDownloadProbe probe;
  EXPECT_TRUE(Download("/crc.bin", 3000, Crc(good)));
  EXPECT_EQ(Widen("다운로드한 파일이 정상적이지 않습니다.\n다운로드를 다시 하겠습니까?"), text);
  EXPECT_EQ(2u, m_http.Requests().size());
  EXPECT_EQ(good, test_support::ReadWholeFile(m_path));
  // The second request went out past every cache.
  EXPECT_EQ((std::vector<DWORD>{INTERNET_FLAG_DONT_CACHE, INTERNET_FLAG_RELOAD | INTERNET_FLAG_DONT_CACHE}),
            probe.Flags());
}

TEST_F(Downloads, LeftAloneTheRetryDialogRetriesAfterAMinute) {
  ScopedTestClock clock;
  const std::string good = Body(2000);
  Route route;
  route.body = good.substr(0, 1000) + std::string(1000, 'x');
  m_http.Set("/crc.bin", route);
  std::atomic<int> dialogs{0};
  DialogWatcher watcher([&](const SeenDialog& d) {
    ++dialogs;
    Route fixed;
    fixed.body = good;
    m_http.Set("/crc.bin", fixed);
    // Nobody answers; a minute and a second pass.
    clock.Advance(61000);
  });
  EXPECT_TRUE(Download("/crc.bin", 2000, Crc(good)));
  EXPECT_EQ(1, dialogs.load());
  EXPECT_EQ(2u, m_http.Requests().size());
}

TEST_F(Downloads, FailuresAskWithTheirEndCodeAndCancelGivesUp) {
  struct Case {
    const char* name;
    Answer answer;
    const char* text;
  };
  const Case cases[] = {
      {"not found", Answer::kNotFound, "파일을 다운로드할 곳에 접속할 수 없습니다.(6:404) 다운로드를 다시 하겠습니까?"},
      {"server error", Answer::kServerError,
       "파일을 다운로드할 곳에 접속할 수 없습니다.(6:500) 다운로드를 다시 하겠습니까?"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Route route;
    route.answer = c.answer;
    m_http.Set("/fail.bin", route);
    std::wstring text;
    {
      DialogWatcher watcher([&](const SeenDialog& d) {
        text = d.text;
        Press(d.hwnd, IDCANCEL);
      });
      EXPECT_FALSE(Download("/fail.bin", 10, 0));
    }
    EXPECT_EQ(Widen(c.text), text);
    EXPECT_FALSE(Exists(m_path));
  }
}

TEST_F(Downloads, AWorkerFaultAsksWithItsEndCodeAndRetryWorks) {
  const std::string body = Body(20000);
  Route route;
  route.body = body;
  m_http.Set("/file.bin", route);
  struct Case {
    const char* name;
    DownloadStep step;
    DWORD error;
    bool foreign;
    const char* text;
  };
  const Case cases[] = {
      // A whole body whose file cannot be closed is no finished download.
      {"close fails", DownloadStep::kClose, ERROR_WRITE_FAULT, false,
       "파일을 다운로드하는 중에 에러가 발생하였습니다.(7:10) 다운로드를 다시 하겠습니까?"},
      {"an exception of no platform class", DownloadStep::kWrite, 0, true,
       "파일을 다운로드하는 중에 에러가 발생하였습니다.(10:0) 다운로드를 다시 하겠습니까?"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::wstring> texts;
    DialogWatcher watcher([&](const SeenDialog& d) {
      texts.push_back(d.text);
      Press(d.hwnd, texts.size() == 1 ? IDRETRY : IDCANCEL);
    });
    TestDownloadProbe probe;
    probe.FailAt(c.step, c.error, 1, c.foreign);
    EXPECT_TRUE(Download("/file.bin", static_cast<uint32_t>(body.size()), Crc(body)));
    ASSERT_EQ(1u, texts.size());
    EXPECT_EQ(Widen(c.text), texts[0]);
    EXPECT_EQ(body, test_support::ReadWholeFile(m_path));
    ASSERT_TRUE(probe.WaitForEnds(2, 10000));
    EXPECT_EQ(kDownloadDone, probe.Ends()[1].code);
    // An error keeps the cache; only a failed check reloads.
    EXPECT_EQ((std::vector<DWORD>{INTERNET_FLAG_DONT_CACHE, INTERNET_FLAG_DONT_CACHE}), probe.Flags());
  }
}

TEST_F(Downloads, CancelClickedAsTheDownloadEndsIsIgnored) {
  const std::string body = Body(3000);
  Route route;
  route.body = body;
  m_http.Set("/file.bin", route);
  DialogWatcher watcher([](const SeenDialog& d) {
    ADD_FAILURE() << "unexpected dialog";
    Press(d.hwnd, IDCANCEL);
  });
  // The click comes right behind the end code, so that the screen handles
  // both in the same pass.
  TestDownloadProbe probe;
  const HWND view = m_view;
  probe.onEnd = [view](int) {
    ::PostMessageA(view, WM_COMMAND, MAKEWPARAM(IDC_UPDATE_CANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(view, IDC_UPDATE_CANCEL)));
  };
  EXPECT_TRUE(Download("/file.bin", 3000, Crc(body)));
  // Whatever is still queued runs: the update screen stays.
  update_test::PumpUntil([] { return false; }, 500);
  EXPECT_TRUE(::IsWindow(view));
  EXPECT_EQ(m_screen, m_frame->GetActiveView());
}

TEST_F(Downloads, AWholeFileThatWasNeverCheckedIsNotLeft) {
  // The program quits, or the screen closes, as end code 0 comes: the file
  // is whole, but nobody checked it.
  const std::string body = Body(3000);
  Route route;
  route.body = body;
  m_http.Set("/file.bin", route);
  // The quit first: the closed screen is not made again.
  for (const bool quit : {true, false}) {
    SCOPED_TRACE(quit ? "quit" : "screen closed");
    TestDownloadProbe probe;
    const HWND frame = m_hFrame;
    const DWORD ui = ::GetCurrentThreadId();
    // Posted as the worker closes the whole file, so that it is queued
    // before end code 0: the screen never gets to check the file.
    probe.onStep = [=](DownloadStep step) {
      if (step != DownloadStep::kClose) return;
      if (quit) {
        ::PostThreadMessageA(ui, WM_QUIT, 0, 0);
      } else {
        ::PostMessageA(frame, WM_CLOSE, 0, 0);
      }
    };
    DialogWatcher watcher([](const SeenDialog& d) {
      ADD_FAILURE() << "a question while the program ends";
      Press(d.hwnd, IDCANCEL);
    });
    EXPECT_FALSE(Download("/file.bin", 3000, Crc(body)));
    ASSERT_TRUE(probe.WaitForEnds(1, 10000));
    EXPECT_EQ(kDownloadDone, probe.Ends()[0].code);
    EXPECT_FALSE(Exists(m_path)) << "an unchecked file is left";
    if (!quit) {
      EXPECT_FALSE(::IsWindow(frame));
      m_hFrame = nullptr;
    }
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
}

TEST_F(Downloads, AScreenClosedWhileTheRetryQuestionIsUpLeavesNoUncheckedFile) {
  // The file fails its check; while its question is up the frame goes back
  // to the launcher screen (the update screen goes), then the user answers
  // Retry.  Nothing downloads again, and the file that failed is not left.
  const std::string good = Body(3000);
  std::string bad = good;
  bad[10] ^= 0x21;
  Route route;
  route.body = bad;
  m_http.Set("/crc.bin", route);
  const HWND frame = m_hFrame;
  const HWND view = m_view;
  std::atomic<int> questions{0};
  std::atomic<bool> fileAtQuestion{false};
  const std::string path = m_path;
  DialogWatcher watcher([&](const SeenDialog& d) {
    if (++questions > 1) {
      ADD_FAILURE() << "a second question";
      Press(d.hwnd, IDCANCEL);
      return;
    }
    fileAtQuestion = Exists(path);
    ::SendMessageA(frame, WM_COMMAND, ID_SHOW_LAUNCHER_VIEW, 0);
    Press(d.hwnd, IDRETRY);
  });
  EXPECT_FALSE(Download("/crc.bin", 3000, Crc(good)));
  EXPECT_EQ(1, questions.load());
  EXPECT_FALSE(::IsWindow(view));
  EXPECT_TRUE(fileAtQuestion);
  EXPECT_FALSE(Exists(m_path)) << "the file that failed its check is left";
  EXPECT_EQ(1u, m_http.Requests().size());
}

TEST_F(Downloads, RetryAfterAnErrorAsksAgainUntilItWorks) {
  Route route;
  route.answer = Answer::kNotFound;
  m_http.Set("/later.bin", route);
  const std::string body = Body(1500);
  std::atomic<int> dialogs{0};
  DialogWatcher watcher([&](const SeenDialog& d) {
    if (++dialogs == 2) {
      Route fixed;
      fixed.body = body;
      m_http.Set("/later.bin", fixed);
    }
    Press(d.hwnd, IDRETRY);
  });
  EXPECT_TRUE(Download("/later.bin", 1500, Crc(body)));
  EXPECT_EQ(2, dialogs.load());
  EXPECT_EQ(3u, m_http.Requests().size());
}

TEST_F(Downloads, NoReportForHalfAnHourIsAStall) {
  ScopedTestClock clock;
  Route route;
  route.answer = Answer::kStallBody;
  route.body = Body(64 * 1024);
  m_http.Set("/stall.bin", route);
  const HWND view = m_view;
  std::atomic<bool> ended{false};
  std::thread stall([&] {
    // Once the transfer runs (Cancel usable), half an hour and a moment
    // pass without a report, again and again until the download ends: a
    // report of the bytes that came before the stall can reach the screen
    // after one such step (a loaded machine), and with one step only the
    // screen would wait for ever on a clock that no longer moves.
    for (int i = 0; i < 500 && !Enabled(view, IDC_UPDATE_CANCEL); ++i) ::Sleep(20);
    while (!ended) {
      ::Sleep(300);
      clock.Advance(1800001);
    }
  });
  std::wstring text;
  DialogWatcher watcher([&](const SeenDialog& d) {
    text = d.text;
    Press(d.hwnd, IDCANCEL);
  });
  const DWORD start = ::GetTickCount();
  EXPECT_FALSE(Download("/stall.bin", 64 * 1024, 0));
  ended = true;
  test_support::JoinAnsweringSentMessages(stall);
  EXPECT_EQ(Widen("파일을 다운로드하는 중에 타임아웃이 발생하였습니다.(-2) 다운로드를 다시 하겠습니까?"), text);
  EXPECT_LT(::GetTickCount() - start, 30000u);
  EXPECT_FALSE(Exists(m_path));
}

TEST_F(Downloads, AFileThatCannotBeCreatedIsReportedWithoutARequest) {
  m_http.Set("/file.bin", Route{});
  std::wstring text;
  DialogWatcher watcher([&](const SeenDialog& d) {
    text = d.text;
    Press(d.hwnd, IDOK);
  });
  const std::string path = m_folder + "\\no such folder\\patch.bin";
  EXPECT_FALSE(m_screen->DownloadWithRetry(m_http.Url("/file.bin").c_str(), path.c_str(), 1, 0));
  EXPECT_FALSE(text.empty()) << "no message";
  EXPECT_EQ(0u, m_http.Requests().size());
}

TEST_F(Downloads, ScriptsHostHandsTheScriptsDownloadToTheScreen) {
  const std::string body = Body(700);
  Route route;
  route.body = body;
  m_http.Set("/script.bin", route);
  CUpdateSequenceHostWin sequence(m_screen, *m_screen->GetHost());
  EXPECT_EQ(1,
            sequence.GetScriptHost().DownloadFile(m_http.Url("/script.bin").c_str(), m_path.c_str(), 700, Crc(body)));
  EXPECT_EQ(body, test_support::ReadWholeFile(m_path));
}

TEST_F(Downloads, NamedProxyFromTheSettingsCarriesTheRequest) {
  httpfix::HttpFixture proxy;
  ASSERT_TRUE(proxy.Start());
  const std::string body = Body(1200);
  Route route;
  route.body = body;
  // The proxy answers for the origin's address.
  proxy.Set(m_http.Url("/via.bin"), route);
  proxy.Set("/via.bin", route);
  SetDword("UseProxy", 1);
  SetString("ProxyServer", proxy.HostPort());
  EXPECT_TRUE(Download("/via.bin", 1200, Crc(body)));
  ASSERT_EQ(1u, proxy.Requests().size());
  EXPECT_EQ(0u, m_http.Requests().size());
}

TEST_F(Downloads, ScreenClosedDuringTheDownloadEndsItSilently) {
  Route route;
  route.answer = Answer::kStallBody;
  route.body = Body(64 * 1024);
  m_http.Set("/stall.bin", route);
  const HWND frame = m_hFrame;
  const HWND view = m_view;
  std::thread closer([&] {
    for (int i = 0; i < 500 && !Enabled(view, IDC_UPDATE_CANCEL); ++i) ::Sleep(20);
    ::PostMessageA(frame, WM_CLOSE, 0, 0);
  });
  DialogWatcher watcher([](const SeenDialog& d) {
    ADD_FAILURE() << "a question for a screen that is gone";
    Press(d.hwnd, IDCANCEL);
  });
  EXPECT_FALSE(Download("/stall.bin", 64 * 1024, 0));
  test_support::JoinAnsweringSentMessages(closer);
  EXPECT_FALSE(::IsWindow(frame));
  m_hFrame = nullptr;
  // The main window's end asked the program to quit.
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

TEST_F(Downloads, QuitDuringTheDownloadEndsItAndKeepsTheQuit) {
  Route route;
  route.answer = Answer::kStallBody;
  route.body = Body(64 * 1024);
  m_http.Set("/stall.bin", route);
  const HWND view = m_view;
  const DWORD ui = ::GetCurrentThreadId();
  std::thread quitter([&] {
    for (int i = 0; i < 500 && !Enabled(view, IDC_UPDATE_CANCEL); ++i) ::Sleep(20);
    ::PostThreadMessageA(ui, WM_QUIT, 0, 0);
  });
  EXPECT_FALSE(Download("/stall.bin", 64 * 1024, 0));
  test_support::JoinAnsweringSentMessages(quitter);
  MSG msg;
  EXPECT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit was swallowed";
  EXPECT_TRUE(::IsWindow(m_view));
  EXPECT_FALSE(Enabled(m_view, IDC_UPDATE_CANCEL));
}

// ---- the real web server of the download tests ------------------------------

// Run by the update_screen_http_test entry, beside the servers that
// tools/httpfix/with-http-servers.sh starts.
struct WebFile {
  uint32_t size = 0;
  uint32_t crc = 0;
};

class RealServerDownloads : public Downloads {
 protected:
  void SetUp() override {
    const char* port = std::getenv("QUORL_WEB_PORT");
    const char* files = std::getenv("QUORL_WEB_FILES");
    const char* overlong = std::getenv("QUORL_WEB_OVERLONG");
    if (port == nullptr || files == nullptr || overlong == nullptr) {
      GTEST_SKIP() << "run through tools/httpfix/with-http-servers.sh (ctest does)";
    }
    m_web = "127.0.0.1:" + std::string(port);
    std::stringstream list(files);
    std::string entry;
    while (std::getline(list, entry, ';')) {
      std::stringstream fields(entry);
      std::string name, crc;
      WebFile f;
      fields >> name >> f.size >> crc;
      f.crc = static_cast<uint32_t>(std::strtoul(crc.c_str(), nullptr, 16));
      m_files[name] = f;
    }
    std::stringstream(overlong) >> m_overlong >> m_overlongPrefix;
    Downloads::SetUp();
    // The script's download folder is this test's folder.
    SetString("DownloadPath", m_folder);
  }

  std::string m_web;
  std::map<std::string, WebFile> m_files;
  std::string m_overlong;
  std::string m_overlongPrefix;
};

TEST_F(RealServerDownloads, ABodyPastTheAnnouncedSizeFailsTheCheckAndRunsNothing) {
  const WebFile prefix = m_files[m_overlongPrefix];
  const WebFile big = m_files["one_mb.bin"];
  const WebFile empty = m_files["empty.bin"];
  ASSERT_NE(0u, prefix.size);
  ASSERT_NE(0u, big.size);
  // A body without end, from the fixture: generated bytes in small pieces.
  Route endless;
  endless.answer = Answer::kEndless;
  endless.trickleBytes = 4096;
  endless.trickleDelayMs = 5;
  m_http.Set("/endless.bin", endless);
  const uint32_t endlessAnnounced = 20000;
  constexpr uint64_t kNoFile = UINT64_MAX;
  struct Case {
    const char* name;
    std::string server;
    std::string file;
    uint32_t announced;
    uint32_t crc;
    uint64_t sizeAtQuestion;  // kNoFile: none is left by then
  };
  const Case cases[] = {
      {"no length, tens of MiB past the file", m_web, m_overlong, prefix.size, prefix.crc, prefix.size + 1u},
      {"no length, no end", m_http.HostPort(), "endless.bin", endlessAnnounced, Crc(Body(endlessAnnounced)),
       endlessAnnounced + 1u},
      // A length that differs ends before the body, and leaves no file.
      {"length one over", m_web, "one_mb.bin", big.size - 1, big.crc, kNoFile},
      {"length one under", m_web, "one_mb.bin", big.size + 1, big.crc, kNoFile},
      // An empty file would pass the check of an announced 0 bytes.
      {"announced 0, length given", m_web, m_overlongPrefix, 0, empty.crc, kNoFile},
  };
  // What the script would run after its download: a real program that
  // leaves a log in its working folder (and ends at once, "release" being
  // there).
  const std::string program = m_folder + "\\run.exe";
  ASSERT_TRUE(::CopyFileA(QUORL_LOGGING_CLIENT, program.c_str(), FALSE));
  std::ofstream(m_folder + "\\release").put('1');
  const std::string log = m_folder + "\\client-log.txt";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string target = m_folder + "\\" + c.file;
    std::vector<std::wstring> texts;
    uint64_t sizeAtQuestion = kNoFile;
    std::atomic<bool> ended{false};
    DialogWatcher watcher([&](const SeenDialog& d) {
      if (test_support::IsMessageBox(d.hwnd)) {
        Press(d.hwnd, IDYES);  // the Cancel question of the watchdog below
        return;
      }
      texts.push_back(d.text);
      WIN32_FILE_ATTRIBUTE_DATA data;
      if (::GetFileAttributesExA(target.c_str(), GetFileExInfoStandard, &data))
        sizeAtQuestion = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
      ended = true;
      Press(d.hwnd, IDCANCEL);
    });
    // A download that does not end by itself is cancelled after half a
    // minute, so that the case fails (no question) instead of hanging.
    const HWND view = m_view;
    std::thread watchdog([&] {
      for (int i = 0; i < 3000 && !ended; ++i) ::Sleep(10);
      if (!ended) Press(view, IDC_UPDATE_CANCEL);
    });
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08x", c.crc);
    const std::string script =
        "HTTPGET /" + c.server + "/" + c.file + " " + std::to_string(c.announced) + " " + crc + "\nCALL run.exe\n";
    std::string error;
    CUpdateSequenceHostWin sequence(m_screen, *m_screen->GetHost());
    EXPECT_EQ(kScriptFailed, RunScript(script.c_str(), 0, 0, sequence.GetScriptHost(), &error));
    ended = true;
    test_support::JoinAnsweringSentMessages(watchdog);
    ASSERT_EQ(1u, texts.size());
    EXPECT_EQ(Widen("다운로드한 파일이 정상적이지 않습니다.\n다운로드를 다시 하겠습니까?"), texts[0]);
    EXPECT_EQ(c.sizeAtQuestion, sizeAtQuestion);
    EXPECT_FALSE(Exists(target)) << "the refused file is left";
    EXPECT_FALSE(Exists(log)) << "the program after the download ran";
  }
  ::DeleteFileA(log.c_str());
  ::DeleteFileA((m_folder + "\\release").c_str());
  ::DeleteFileA(program.c_str());
}

}  // namespace
