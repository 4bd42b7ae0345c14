// The download session under Wine, against the HTTP fixture (in-process)
// and real servers from Debian (lighttpd, tinyproxy) that the wrapper
// script started: every answer and fault of the fixture in the three
// proxy modes, the report protocol, stopping, and proxy credentials.
#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/update/download_probe.h"
#include "tests/update/report_sink.h"
#include "tools/fixture/fixture_socket.h"
#include "tools/httpfix/http_fixture.h"
#include "update/crc32.h"
#include "update/http_session.h"

namespace {

using httpfix::Answer;
using httpfix::Route;

// ---- the real servers the wrapper started -----------------------------------

struct WebFile {
  std::string name;
  uint32_t size;
  uint32_t crc;
};

struct Servers {
  int web = 0;
  int proxy = 0;
  int authProxy = 0;
  std::string user;
  std::string password;
  std::vector<WebFile> files;
  // A body without length: the file overlongPrefix, then far more.
  std::string overlong;
  std::string overlongPrefix;
  const WebFile* Find(const std::string& name) const {
    for (const WebFile& f : files) {
      if (f.name == name) return &f;
    }
    return nullptr;
  }
  bool ok() const { return web > 0 && proxy > 0 && authProxy > 0 && !files.empty(); }
};

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr ? v : "";
}

const Servers& RealServers() {
  static const Servers s = [] {
    Servers r;
    r.web = std::atoi(Env("QUORL_WEB_PORT").c_str());
    r.proxy = std::atoi(Env("QUORL_PROXY_PORT").c_str());
    r.authProxy = std::atoi(Env("QUORL_AUTH_PROXY_PORT").c_str());
    r.user = Env("QUORL_AUTH_PROXY_USER");
    r.password = Env("QUORL_AUTH_PROXY_PASSWORD");
    std::stringstream list(Env("QUORL_WEB_FILES"));
    std::string entry;
    while (std::getline(list, entry, ';')) {
      WebFile f;
      std::stringstream fields(entry);
      std::string crc;
      fields >> f.name >> f.size >> crc;
      f.crc = static_cast<uint32_t>(std::strtoul(crc.c_str(), nullptr, 16));
      r.files.push_back(f);
    }
    std::stringstream overlong(Env("QUORL_WEB_OVERLONG"));
    overlong >> r.overlong >> r.overlongPrefix;
    return r;
  }();
  return s;
}

#define REQUIRE_REAL_SERVERS()                                                     \
  if (!RealServers().ok()) {                                                       \
    GTEST_SKIP() << "run through tools/httpfix/with-http-servers.sh (ctest does)"; \
  }

std::string Loopback(int port) { return "127.0.0.1:" + std::to_string(port); }

// The system's proxy settings (Wine's Internet Settings) for one test.
class SystemProxy {
 public:
  explicit SystemProxy(const std::string& server) {
    ::RegCreateKeyExA(HKEY_CURRENT_USER, kPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key, nullptr);
    Save("ProxyEnable", m_enable);
    Save("ProxyServer", m_server);
    Save("ProxyOverride", m_override);
    const DWORD one = 1;
    ::RegSetValueExA(m_key, "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    ::RegSetValueExA(m_key, "ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                     static_cast<DWORD>(server.size() + 1));
    ::RegSetValueExA(m_key, "ProxyOverride", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
  }
  ~SystemProxy() {
    Restore("ProxyEnable", m_enable);
    Restore("ProxyServer", m_server);
    Restore("ProxyOverride", m_override);
    ::RegCloseKey(m_key);
  }
  SystemProxy(const SystemProxy&) = delete;
  SystemProxy& operator=(const SystemProxy&) = delete;

 private:
  struct Saved {
    bool present = false;
    DWORD type = 0;
    std::vector<BYTE> data;
  };
  void Save(const char* name, Saved& s) {
    DWORD size = 0;
    if (::RegQueryValueExA(m_key, name, nullptr, &s.type, nullptr, &size) != ERROR_SUCCESS) return;
    s.data.resize(size);
    s.present = ::RegQueryValueExA(m_key, name, nullptr, &s.type, s.data.data(), &size) == ERROR_SUCCESS;
  }
  void Restore(const char* name, const Saved& s) {
    if (s.present) {
      ::RegSetValueExA(m_key, name, 0, s.type, s.data.data(), static_cast<DWORD>(s.data.size()));
    } else {
      ::RegDeleteValueA(m_key, name);
    }
  }
  static constexpr const char* kPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
  HKEY m_key = nullptr;
  Saved m_enable, m_server, m_override;
};

// ---- running one download ---------------------------------------------------

enum class Mode { kDirect, kSystem, kNamed };
const char* ModeName(Mode m) { return m == Mode::kDirect ? "direct" : m == Mode::kSystem ? "system" : "named"; }

struct Outcome {
  int code = -1;
  LPARAM value = 0;
  std::vector<DownloadReport> reports;
  bool fileLeft = false;
  std::string content;
};

struct Options {
  Mode mode = Mode::kDirect;
  std::string proxy;  // named mode
  const char* user = nullptr;
  const char* password = nullptr;
  BOOL reload = FALSE;
  DWORD timeoutCap = 1500;
  bool announced = false;  // SetAnnouncedSize(announcedSize)
  uint32_t announcedSize = 0;
};

class Download : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_server.Start());
    char temp[MAX_PATH];
    ::GetTempPathA(sizeof temp, temp);
    m_path = std::string(temp) + "quorl_download_" + std::to_string(::GetCurrentProcessId()) + ".bin";
  }
  void TearDown() override { ::DeleteFileA(m_path.c_str()); }

  Outcome Run(const std::string& url, const Options& o = Options()) {
    Outcome out;
    ReportSink sink;
    CHTTPBinarySession session;
    session.SetNotify(sink.hwnd(), ReportSink::kMessage);
    session.SetReload(o.reload);
    session.SetReceiveTimeoutCap(o.timeoutCap);
    if (o.announced) session.SetAnnouncedSize(o.announcedSize);
    CFileException error;
    BOOL started = FALSE;
    switch (o.mode) {
      case Mode::kDirect:
        started = session.Start(url.c_str(), m_path.c_str(), &error);
        break;
      case Mode::kSystem:
        started = session.StartWithProxy(url.c_str(), m_path.c_str(), &error, nullptr, o.user, o.password);
        break;
      case Mode::kNamed:
        started = session.StartWithProxy(url.c_str(), m_path.c_str(), &error, o.proxy.c_str(), o.user, o.password);
        break;
    }
    EXPECT_TRUE(started) << url;
    if (!started) return out;
    EXPECT_TRUE(sink.WaitForEnd(30000)) << "no end code for " << url;
    session.Stop();
    sink.Pump(20);  // a second end code (a failed close) would be here now
    out.code = sink.endCode();
    out.value = sink.endValue();
    out.reports = sink.reports();
    out.fileLeft = ::GetFileAttributesA(m_path.c_str()) != INVALID_FILE_ATTRIBUTES;
    out.content = test_support::ReadWholeFile(m_path);
    ::DeleteFileA(m_path.c_str());
    return out;
  }

  void Serve(const std::string& path, Answer answer, const std::string& body) {
    Route r;
    r.answer = answer;
    r.body = body;
    m_server.Set(path, r);
  }

  httpfix::HttpFixture m_server;
  std::string m_path;
};

// Checks the report protocol of a run: 3, then 1 (when the length is
// known), then 2 with growing counts, all sent; then one posted end code.
void ExpectReportProtocol(const Outcome& o, bool lengthKnown, LPARAM length) {
  ASSERT_FALSE(o.reports.empty());
  size_t i = 0;
  if (o.reports[0].kind == kDownloadReportStarted) {
    EXPECT_TRUE(o.reports[0].sent);
    EXPECT_EQ(0, o.reports[0].value);
    ++i;
    if (lengthKnown) {
      ASSERT_LT(i, o.reports.size());
      EXPECT_EQ(kDownloadReportLength, o.reports[i].kind);
      EXPECT_EQ(length, o.reports[i].value);
      EXPECT_TRUE(o.reports[i].sent);
      ++i;
    }
    LPARAM last = 0;
    for (; i < o.reports.size() && o.reports[i].kind == kDownloadReportBytes; ++i) {
      EXPECT_TRUE(o.reports[i].sent);
      EXPECT_GT(o.reports[i].value, last + static_cast<LPARAM>(CHTTPBinarySession::kReadSize));
      last = o.reports[i].value;
    }
  }
  ASSERT_EQ(i + 1, o.reports.size()) << "one end code, last";
  EXPECT_FALSE(o.reports[i].sent) << "end codes are posted";
}

// ---- every answer of the fixture in every proxy mode -------------------------

constexpr LPARAM kSomeError = -1;  // any non-zero error code

struct FaultCase {
  const char* name;
  Answer answer;
  // End code and value straight to the fixture, and through a proxy (the
  // named proxy and the system's settings both lead to tinyproxy).
  int directCode;
  LPARAM directValue;
  int proxyCode;
  LPARAM proxyValue;
};

std::ostream& operator<<(std::ostream& os, const FaultCase& c) { return os << c.name; }

class DownloadFaults : public Download, public ::testing::WithParamInterface<FaultCase> {};

const std::string kBody = [] {
  std::string b;
  for (int i = 0; i < 100000; ++i) b += static_cast<char>('a' + (i * 7) % 26);
  return b;
}();
const LPARAM kSize = static_cast<LPARAM>(kBody.size());

TEST_P(DownloadFaults, EndCodeAndFile) {
  const FaultCase& c = GetParam();
  Serve("/file.bin", c.answer, kBody);
  std::vector<Mode> modes{Mode::kDirect};
  if (RealServers().ok()) {
    modes.push_back(Mode::kNamed);
    modes.push_back(Mode::kSystem);
  }
  for (Mode mode : modes) {
    SCOPED_TRACE(ModeName(mode));
    Options o;
    o.mode = mode;
    o.proxy = Loopback(RealServers().proxy);
    std::unique_ptr<SystemProxy> system;
    if (mode == Mode::kSystem) system.reset(new SystemProxy(Loopback(RealServers().proxy)));
    m_server.ClearRequests();
    const Outcome out = Run(m_server.Url("/file.bin"), o);
    const int code = mode == Mode::kDirect ? c.directCode : c.proxyCode;
    const LPARAM value = mode == Mode::kDirect ? c.directValue : c.proxyValue;
    EXPECT_EQ(code, out.code);
    if (value == kSomeError) {
      EXPECT_NE(0, out.value);
    } else {
      EXPECT_EQ(value, out.value);
    }
    // Only a whole file stays; a failed run leaves nothing behind.
    EXPECT_EQ(code == kDownloadDone, out.fileLeft);
    if (code == kDownloadDone) {
      EXPECT_EQ(kBody.substr(0, static_cast<size_t>(out.value)), out.content);
    }
    // The request reached the fixture straight or through the proxy.
    const auto requests = m_server.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(mode != Mode::kDirect, requests[0].Has("Via")) << requests[0].Header("Via");
    EXPECT_FALSE(requests[0].Has("Authorization"));
  }
}

const FaultCase kFaults[] = {
    {"ok", Answer::kOk, kDownloadDone, kSize, kDownloadDone, kSize},
    {"ok_without_length", Answer::kOkNoLength, kDownloadDone, kSize, kDownloadDone, kSize},
    {"chunked", Answer::kChunked, kDownloadDone, kSize, kDownloadDone, kSize},
    {"unauthorized", Answer::kUnauthorized, kDownloadRefused, 401, kDownloadRefused, 401},
    {"not_found", Answer::kNotFound, kDownloadRefused, 404, kDownloadRefused, 404},
    {"server_error", Answer::kServerError, kDownloadRefused, 500, kDownloadRefused, 500},
    {"cut_short", Answer::kCutShort, kDownloadReadError, ERROR_INTERNET_CONNECTION_ABORTED, kDownloadReadError,
     ERROR_INTERNET_CONNECTION_ABORTED},
    {"longer_than_announced", Answer::kLonger, kDownloadDone, kSize / 2, kDownloadDone, kSize / 2},
    {"stall_before_headers", Answer::kStallHeaders, kDownloadRequestError, kSomeError, kDownloadRequestError,
     kSomeError},
    {"stall_in_body", Answer::kStallBody, kDownloadReadError, kSomeError, kDownloadReadError, kSomeError},
    {"slow_trickle", Answer::kTrickle, kDownloadDone, kSize, kDownloadDone, kSize},
    {"reset_in_body", Answer::kReset, kDownloadReadError, kSomeError, kDownloadReadError, kSomeError},
    // tinyproxy closes without an answer: Wine reads that as status 0.
    {"reset_at_once", Answer::kResetAtOnce, kDownloadRequestError, kSomeError, kDownloadRefused, 0},
};

INSTANTIATE_TEST_SUITE_P(Fixture, DownloadFaults, ::testing::ValuesIn(kFaults),
                         [](const ::testing::TestParamInfo<FaultCase>& i) { return std::string(i.param.name); });

// ---- the report protocol ----------------------------------------------------

TEST_F(Download, ReportsAreSentInOrderAndTheEndIsPosted) {
  Serve("/ok", Answer::kOk, kBody);
  Serve("/empty", Answer::kOk, "");
  Serve("/chunked", Answer::kChunked, kBody);
  Serve("/nolength", Answer::kOkNoLength, kBody);
  Route trickle;
  trickle.answer = Answer::kTrickle;
  trickle.body = kBody;
  trickle.trickleBytes = 10000;
  trickle.trickleDelayMs = 80;
  m_server.Set("/trickle", trickle);
  struct Case {
    const char* path;
    bool lengthKnown;
    LPARAM size;
  };
  const Case cases[] = {
      {"/ok", true, kSize},        {"/empty", true, 0},       {"/chunked", false, kSize},
      {"/nolength", false, kSize}, {"/trickle", true, kSize},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const Outcome out = Run(m_server.Url(c.path));
    EXPECT_EQ(kDownloadDone, out.code);
    EXPECT_EQ(c.size, out.value);
    EXPECT_EQ(c.size, static_cast<LPARAM>(out.content.size()));
    ExpectReportProtocol(out, c.lengthKnown, c.size);
    size_t progress = 0;
    for (const DownloadReport& r : out.reports) progress += r.kind == kDownloadReportBytes;
    // A slow transfer reports along the way (at most every 50 ms).
    if (std::string(c.path) == "/trickle") {
      EXPECT_GE(progress, 3u);
    }
  }
}

TEST_F(Download, ARefusedFileGetsOnlyItsEndCode) {
  Serve("/missing", Answer::kNotFound, "");
  const Outcome out = Run(m_server.Url("/missing"));
  ASSERT_EQ(1u, out.reports.size());
  EXPECT_EQ(kDownloadRefused, out.reports[0].kind);
  EXPECT_EQ(404, out.reports[0].value);
  EXPECT_FALSE(out.reports[0].sent);
  EXPECT_FALSE(out.fileLeft);
}

TEST_F(Download, TheEndComesWithTheFileClosedAndWhole) {
  // The owner reads the file as soon as end code 0 arrives: by then the
  // worker must have let go of it.  The close is held back a moment, so
  // that an end code sent before it would arrive while the file is open.
  Serve("/ok", Answer::kOk, kBody);
  TestDownloadProbe probe;
  probe.DelayAt(DownloadStep::kClose, 300);
  ReportSink sink;
  CHTTPBinarySession session;
  session.SetNotify(sink.hwnd(), ReportSink::kMessage);
  struct Seen {
    std::string path;
    bool exclusive = false;
    std::string content;
  } seen;
  seen.path = m_path;
  sink.context = &seen;
  sink.onReport = [](ReportSink&, const DownloadReport& report, void* context) {
    if (report.kind != kDownloadDone) return;
    Seen& s = *static_cast<Seen*>(context);
    // No sharing at all: fails while the worker still holds the file.
    HANDLE h = ::CreateFileA(s.path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    s.exclusive = h != INVALID_HANDLE_VALUE;
    if (s.exclusive) ::CloseHandle(h);
    s.content = test_support::ReadWholeFile(s.path);
  };
  CFileException error;
  ASSERT_TRUE(session.Start(m_server.Url("/ok").c_str(), m_path.c_str(), &error));
  ASSERT_TRUE(sink.WaitForEnd(30000));
  session.Stop();
  EXPECT_EQ(kDownloadDone, sink.endCode());
  EXPECT_TRUE(seen.exclusive) << "end code 0 came while the file was still open";
  EXPECT_EQ(kBody, seen.content);
}

// ---- faults inside the worker ------------------------------------------------

struct WorkerFault {
  const char* name;
  DownloadStep step;
  DWORD error;   // the Win32 error the step fails with
  bool foreign;  // a std::runtime_error instead
  int code;      // the one end code
  LPARAM value;
  bool started;  // report 3 came before the end
};

TEST_F(Download, EveryFaultOfTheWorkerEndsWithOneEndCode) {
  const WorkerFault cases[] = {
      {"session cannot be opened", DownloadStep::kOpenSession, ERROR_INTERNET_INTERNAL_ERROR, false, kDownloadNoSession,
       ERROR_INTERNET_INTERNAL_ERROR, false},
      {"no connection", DownloadStep::kConnect, ERROR_INTERNET_NAME_NOT_RESOLVED, false, kDownloadRefused,
       ERROR_INTERNET_NAME_NOT_RESOLVED, false},
      {"request cannot be opened", DownloadStep::kOpenRequest, ERROR_INTERNET_INVALID_URL, false, kDownloadRequestError,
       ERROR_INTERNET_INVALID_URL, false},
      {"write fails", DownloadStep::kWrite, ERROR_HANDLE_DISK_FULL, false, kDownloadFileError, CFileException::diskFull,
       true},
      {"close fails", DownloadStep::kClose, ERROR_WRITE_FAULT, false, kDownloadFileError, CFileException::hardIO, true},
      {"foreign exception", DownloadStep::kWrite, 0, true, kDownloadOtherError, 0, true},
  };
  Serve("/ok", Answer::kOk, kBody);
  for (const WorkerFault& c : cases) {
    SCOPED_TRACE(c.name);
    TestDownloadProbe probe;
    probe.FailAt(c.step, c.error, 1, c.foreign);
    const Outcome out = Run(m_server.Url("/ok"));
    ASSERT_TRUE(probe.WaitForEnds(1, 10000)) << "the worker never ended";
    EXPECT_EQ(c.code, out.code);
    EXPECT_EQ(c.value, out.value);
    // The worker came to that end itself, and it is the only one posted.
    ASSERT_EQ(1u, probe.Ends().size());
    EXPECT_EQ(c.code, probe.Ends()[0].code);
    size_t ends = 0;
    for (const DownloadReport& r : out.reports) ends += r.kind != 1 && r.kind != 2 && r.kind != 3;
    EXPECT_EQ(1u, ends);
    EXPECT_EQ(c.started, !out.reports.empty() && out.reports[0].kind == kDownloadReportStarted);
    EXPECT_FALSE(out.fileLeft) << "a failed run left its file";
  }
}

TEST_F(Download, NoServerIsARequestError) {
  const uint16_t closed = fixture_net::FindClosedPort();
  const Outcome out = Run("http://127.0.0.1:" + std::to_string(closed) + "/x.bin");
  EXPECT_EQ(kDownloadRequestError, out.code);
  EXPECT_EQ(ERROR_INTERNET_CANNOT_CONNECT, static_cast<DWORD>(out.value));
  EXPECT_FALSE(out.fileLeft);
}

TEST_F(Download, StartRefusesWhatItCannotDownload) {
  struct Case {
    const char* url;
    std::string path;
    int cause;  // CFileException cause left in the error
  };
  const std::string good = m_path;
  const Case cases[] = {
      {"ftp://127.0.0.1/file.bin", good, CFileException::genericException},
      {"https://127.0.0.1/file.bin", good, CFileException::genericException},
      {"not a url", good, CFileException::genericException},
      {nullptr, good, CFileException::genericException},
      {"http://127.0.0.1:1/file.bin", "Z:\\no\\such\\folder\\file.bin", CFileException::badPath},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url != nullptr ? c.url : "(null)");
    ReportSink sink;
    CHTTPBinarySession session;
    session.SetNotify(sink.hwnd(), ReportSink::kMessage);
    CFileException error;
    EXPECT_FALSE(session.Start(c.url, c.path.c_str(), &error));
    EXPECT_EQ(c.cause, error.m_cause);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(c.path.c_str()));
    session.Stop();
    sink.Pump(50);
    EXPECT_TRUE(sink.reports().empty());
  }
}

TEST_F(Download, ASessionRunsOnce) {
  Serve("/ok", Answer::kOk, kBody);
  ReportSink sink;
  CHTTPBinarySession session;
  session.SetNotify(sink.hwnd(), ReportSink::kMessage);
  CFileException error;
  ASSERT_TRUE(session.Start(m_server.Url("/ok").c_str(), m_path.c_str(), &error));
  const std::string other = m_path + ".2";
  EXPECT_FALSE(session.Start(m_server.Url("/ok").c_str(), other.c_str(), &error));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(other.c_str()));
  ASSERT_TRUE(sink.WaitForEnd(30000));
  session.Stop();
  EXPECT_EQ(kDownloadDone, sink.endCode());
  EXPECT_EQ(kBody, test_support::ReadWholeFile(m_path));
}

// ---- stopping ---------------------------------------------------------------

// Starts a download of an answer that stalls in the body and waits for its
// length report.  The receive time-out is 5 s: longer than Stop waits, so
// a Stop that waited for the read would show, and short enough to see the
// worker end where closing its handles does not end the read (Wine: there
// the read ends with the time-out, and the worker with it).
class StalledDownload : public Download {
 protected:
  void SetUp() override {
    Download::SetUp();
    Serve("/stall", Answer::kStallBody, kBody);
    m_probe.reset(new TestDownloadProbe);
    m_session.reset(new CHTTPBinarySession);
    m_session->SetNotify(m_sink.hwnd(), ReportSink::kMessage);
    m_session->SetReceiveTimeoutCap(kReceiveTimeoutMs);
    CFileException error;
    ASSERT_TRUE(m_session->Start(m_server.Url("/stall").c_str(), m_path.c_str(), &error));
    const DWORD start = ::GetTickCount();
    while (!HasReport(kDownloadReportLength) && ::GetTickCount() - start < 10000) m_sink.Pump(10);
    ASSERT_TRUE(HasReport(kDownloadReportLength));
    m_sink.Pump(200);  // the worker is now inside a read that waits
  }
  bool HasReport(int kind) const {
    for (const DownloadReport& r : m_sink.reports()) {
      if (r.kind == kind) return true;
    }
    return false;
  }
  void TearDown() override {
    m_session.reset();
    m_probe.reset();
    Download::TearDown();
  }

 public:
  static constexpr DWORD kReceiveTimeoutMs = 5000;
  static constexpr DWORD kWorkerEndMs = kReceiveTimeoutMs + 5000;

 protected:
  std::unique_ptr<TestDownloadProbe> m_probe;
  ReportSink m_sink;
  std::unique_ptr<CHTTPBinarySession> m_session;
};

// The owner hears 4 at once (the stop posts it); the worker itself must
// still come to its end, and to 4, not to a failure.
void ExpectWorkerEndsStopped(TestDownloadProbe& probe) {
  ASSERT_TRUE(probe.WaitForEnds(1, StalledDownload::kWorkerEndMs)) << "the worker never ended";
  EXPECT_EQ(kDownloadStopped, probe.Ends()[0].code);
  EXPECT_EQ(0, probe.Ends()[0].value);
}

// Stop does not wait for the read (it ends where the platform ends it: at
// once where closing the handles ends it, at the time-out under Wine).
TEST_F(StalledDownload, StopDoesNotWaitForABlockedRead) {
  const DWORD t0 = ::GetTickCount();
  m_session->Stop();
  EXPECT_LT(::GetTickCount() - t0, 3000u) << "Stop waited for the blocked read";
  ASSERT_TRUE(m_sink.WaitForEnd(2000));
  EXPECT_EQ(kDownloadStopped, m_sink.endCode());
  EXPECT_EQ(0, m_sink.endValue());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(m_path.c_str()));
  ExpectWorkerEndsStopped(*m_probe);
}

TEST_F(StalledDownload, StopLockedReturnsAndTheWorkerEndsWithFour) {
  const DWORD t0 = ::GetTickCount();
  m_session->StopLocked();
  EXPECT_LT(::GetTickCount() - t0, 1000u);
  ASSERT_TRUE(m_sink.WaitForEnd(5000));
  EXPECT_EQ(kDownloadStopped, m_sink.endCode());
  ExpectWorkerEndsStopped(*m_probe);
  m_session->Stop();
  m_session->Stop();  // a second stop finds nothing to do
}

TEST_F(StalledDownload, DeletingARunningSessionStopsItFirst) {
  m_session.reset();
  ASSERT_TRUE(m_sink.WaitForEnd(2000));
  EXPECT_EQ(kDownloadStopped, m_sink.endCode());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(m_path.c_str()));
  ExpectWorkerEndsStopped(*m_probe);
}

TEST_F(Download, AWorkerLeftToEndOnItsOwnLeavesTheNextDownloadsFileAlone) {
  // The first worker is held where a stop cannot reach it, so that Stop
  // leaves it to end on its own; the next download of the same file runs
  // meanwhile, and only then does the first worker come to its end.
  Serve("/ok", Answer::kOk, kBody);
  TestDownloadProbe probe;
  const HANDLE gate = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> held{false};
  probe.onStep = [&](DownloadStep step) {
    if (step == DownloadStep::kOpenRequest && !held.exchange(true)) ::WaitForSingleObject(gate, 60000);
  };
  ReportSink firstSink;
  CHTTPBinarySession first;
  first.SetNotify(firstSink.hwnd(), ReportSink::kMessage);
  CFileException error;
  ASSERT_TRUE(first.Start(m_server.Url("/ok").c_str(), m_path.c_str(), &error));
  while (!held) ::Sleep(5);
  first.Stop();
  EXPECT_TRUE(probe.Ends().empty()) << "the first worker was not left running";
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(m_path.c_str()));

  ReportSink nextSink;
  CHTTPBinarySession next;
  next.SetNotify(nextSink.hwnd(), ReportSink::kMessage);
  ASSERT_TRUE(next.Start(m_server.Url("/ok").c_str(), m_path.c_str(), &error));
  EXPECT_TRUE(nextSink.WaitForEnd(30000));
  next.Stop();
  EXPECT_EQ(kDownloadDone, nextSink.endCode());

  ::SetEvent(gate);
  ASSERT_TRUE(probe.WaitForEnds(2, 10000)) << "a worker never ended";
  ::CloseHandle(gate);
  EXPECT_EQ(kDownloadStopped, probe.Ends()[1].code) << "the held worker did not end last";
  firstSink.Pump(20);
  EXPECT_EQ(kDownloadStopped, firstSink.endCode());
  EXPECT_EQ(kBody, test_support::ReadWholeFile(m_path)) << "the late worker removed the next download's file";
}

TEST_F(Download, StopWhileTheWorkerWaitsToReportToThisThread) {
  Route r;
  r.answer = Answer::kTrickle;
  r.generatedSize = 4 * 1024 * 1024;
  r.trickleBytes = 16384;
  r.trickleDelayMs = 1;
  m_server.Set("/trickle", r);
  TestDownloadProbe probe;
  ReportSink sink;
  CHTTPBinarySession session;
  session.SetNotify(sink.hwnd(), ReportSink::kMessage);
  CFileException error;
  ASSERT_TRUE(session.Start(m_server.Url("/trickle").c_str(), m_path.c_str(), &error));
  const DWORD start = ::GetTickCount();
  while (sink.reports().size() < 4 && ::GetTickCount() - start < 10000) sink.Pump(5);
  // Not pumping: the worker is soon stuck in SendMessage to this thread.
  ::Sleep(300);
  const DWORD t0 = ::GetTickCount();
  session.Stop();
  EXPECT_LT(::GetTickCount() - t0, 5000u);
  ASSERT_TRUE(sink.WaitForEnd(2000));
  EXPECT_EQ(kDownloadStopped, sink.endCode());
  ExpectWorkerEndsStopped(probe);
}

TEST_F(Download, StopFromInsideAReportHandler) {
  Route r;
  r.answer = Answer::kTrickle;
  r.generatedSize = 1024 * 1024;
  r.trickleBytes = 16384;
  r.trickleDelayMs = 2;
  m_server.Set("/trickle", r);
  TestDownloadProbe probe;
  ReportSink sink;
  CHTTPBinarySession session;
  session.SetNotify(sink.hwnd(), ReportSink::kMessage);
  sink.context = &session;
  sink.onReport = [](ReportSink&, const DownloadReport& report, void* context) {
    if (report.kind == kDownloadReportBytes) static_cast<CHTTPBinarySession*>(context)->Stop();
  };
  CFileException error;
  ASSERT_TRUE(session.Start(m_server.Url("/trickle").c_str(), m_path.c_str(), &error));
  ASSERT_TRUE(sink.WaitForEnd(10000));
  EXPECT_EQ(kDownloadStopped, sink.endCode());
  size_t progress = 0;
  for (const DownloadReport& rep : sink.reports()) progress += rep.kind == kDownloadReportBytes;
  EXPECT_EQ(1u, progress);
  ExpectWorkerEndsStopped(probe);
}

// ---- proxy credentials ------------------------------------------------------

// The fixture stands in for the proxy here, so that the test sees exactly
// what the client sends to it.
class ProxyCredentials : public Download {
 protected:
  void SetUp() override {
    Download::SetUp();
    Route r;
    r.answer = Answer::kProxyAuth;
    r.body = kBody;
    r.user = "proxyuser";
    r.password = "proxypass";
    m_server.Set("/file.bin", r);
    Serve("/protected.bin", Answer::kUnauthorized, "");
  }
  // The address of some origin; the proxy (the fixture) answers for it.
  const std::string m_url = "http://origin.invalid:8080/file.bin";
};

TEST_F(ProxyCredentials, GoToTheProxyOnlyInNamedMode) {
  struct Case {
    const char* name;
    Mode mode;
    const char* user;
    const char* password;
    int code;
    LPARAM value;
    bool proxyAuthorization;  // the proxy saw Proxy-Authorization
  };
  const Case cases[] = {
      {"user and password", Mode::kNamed, "proxyuser", "proxypass", kDownloadDone, kSize, true},
      {"none", Mode::kNamed, "", "", kDownloadRefused, 407, false},
      {"null", Mode::kNamed, nullptr, nullptr, kDownloadRefused, 407, false},
      {"password only", Mode::kNamed, "", "proxypass", kDownloadRefused, 407, false},
      {"wrong password", Mode::kNamed, "proxyuser", "nope", kDownloadRefused, 407, true},
      {"system settings ignore them", Mode::kSystem, "proxyuser", "proxypass", kDownloadRefused, 407, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_server.ClearRequests();
    Options o;
    o.mode = c.mode;
    o.proxy = m_server.HostPort();
    o.user = c.user;
    o.password = c.password;
    std::unique_ptr<SystemProxy> system;
    if (c.mode == Mode::kSystem) system.reset(new SystemProxy(m_server.HostPort()));
    const Outcome out = Run(m_url, o);
    EXPECT_EQ(c.code, out.code);
    EXPECT_EQ(c.value, out.value);
    EXPECT_EQ(c.code == kDownloadDone, out.fileLeft);
    const auto requests = m_server.Requests();
    ASSERT_FALSE(requests.empty());
    bool sawProxyAuth = false;
    for (const auto& req : requests) {
      EXPECT_EQ(m_url, req.target);  // the proxy form of the target
      EXPECT_FALSE(req.Has("Authorization")) << req.Header("Authorization");
      sawProxyAuth = sawProxyAuth || req.Has("Proxy-Authorization");
    }
    EXPECT_EQ(c.proxyAuthorization, sawProxyAuth);
  }
}

TEST_F(ProxyCredentials, AnOriginAsking401NeverGetsTheProxyPassword) {
  m_server.ClearRequests();
  Options o;
  o.mode = Mode::kNamed;
  o.proxy = m_server.HostPort();
  o.user = "proxyuser";
  o.password = "proxypass";
  const Outcome out = Run("http://origin.invalid/protected.bin", o);
  EXPECT_EQ(kDownloadRefused, out.code);
  EXPECT_EQ(401, out.value);
  const auto requests = m_server.Requests();
  ASSERT_FALSE(requests.empty());
  for (const auto& req : requests) EXPECT_FALSE(req.Has("Authorization")) << req.Header("Authorization");
}

TEST_F(Download, EveryDownloadReachesTheServerWithOrWithoutReload) {
  // DONT_CACHE on every request, RELOAD on a retry: no download is answered
  // from a cache, so the server sees each one.
  Serve("/same.bin", Answer::kOk, kBody);
  TestDownloadProbe probe;
  for (BOOL reload : {FALSE, FALSE, TRUE, TRUE}) {
    Options o;
    o.reload = reload;
    EXPECT_EQ(kDownloadDone, Run(m_server.Url("/same.bin"), o).code);
  }
  EXPECT_EQ(4u, m_server.Requests().size());
  const DWORD plain = INTERNET_FLAG_DONT_CACHE, reload = INTERNET_FLAG_RELOAD | INTERNET_FLAG_DONT_CACHE;
  EXPECT_EQ((std::vector<DWORD>{plain, plain, reload, reload}), probe.Flags());
}

// ---- real servers ------------------------------------------------------------

TEST_F(Download, RealWebServerGoodPathInEveryMode) {
  REQUIRE_REAL_SERVERS();
  const Servers& s = RealServers();
  for (Mode mode : {Mode::kDirect, Mode::kNamed, Mode::kSystem}) {
    SCOPED_TRACE(ModeName(mode));
    std::unique_ptr<SystemProxy> system;
    if (mode == Mode::kSystem) system.reset(new SystemProxy(Loopback(s.proxy)));
    for (const WebFile& f : s.files) {
      SCOPED_TRACE(f.name);
      Options o;
      o.mode = mode;
      o.proxy = Loopback(s.proxy);
      const Outcome out = Run("http://" + Loopback(s.web) + "/" + f.name, o);
      EXPECT_EQ(kDownloadDone, out.code);
      EXPECT_EQ(static_cast<LPARAM>(f.size), out.value);
      ASSERT_EQ(f.size, out.content.size());
      CCrc32 crc;
      crc.Update(reinterpret_cast<const uint8_t*>(out.content.data()), static_cast<int>(out.content.size()));
      EXPECT_EQ(f.crc, crc.GetValue());
    }
    const Outcome missing = Run("http://" + Loopback(s.web) + "/no_such_file.bin");
    EXPECT_EQ(kDownloadRefused, missing.code);
    EXPECT_EQ(404, missing.value);
  }
}

uint32_t CrcOf(const std::string& bytes) {
  CCrc32 crc;
  crc.Update(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int>(bytes.size()));
  return crc.GetValue();
}

TEST_F(Download, RealWebServerBodiesStopAtTheAnnouncedSize) {
  REQUIRE_REAL_SERVERS();
  const Servers& s = RealServers();
  const WebFile* prefix = s.Find(s.overlongPrefix);
  const WebFile* big = s.Find("one_mb.bin");
  const WebFile* empty = s.Find("empty.bin");
  ASSERT_TRUE(prefix != nullptr && big != nullptr && empty != nullptr && !s.overlong.empty());
  struct Case {
    const char* name;
    std::string file;
    uint32_t announced;
    // A finished download (the owner's size check refuses a wrong one), or
    // a length that differs, which ends before the body with no file left.
    int code;
    LPARAM value;
    size_t written;        // bytes in the file at the end
    const WebFile* whole;  // the file they are (or start with)
  };
  const LPARAM bigSize = static_cast<LPARAM>(big->size);
  const LPARAM prefixSize = static_cast<LPARAM>(prefix->size);
  const Case cases[] = {
      {"no length, tens of MiB past the file", s.overlong, prefix->size, kDownloadDone, prefixSize + 1,
       prefix->size + 1u, prefix},
      {"length one over", big->name, big->size - 1, kDownloadWrongLength, bigSize, 0, nullptr},
      {"length one under", big->name, big->size + 1, kDownloadWrongLength, bigSize, 0, nullptr},
      {"length as announced", big->name, big->size, kDownloadDone, bigSize, big->size, big},
      {"announced 0, length 0", empty->name, 0, kDownloadDone, 0, 0, nullptr},
      {"announced 0, length given", prefix->name, 0, kDownloadWrongLength, prefixSize, 0, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Options o;
    o.announced = true;
    o.announcedSize = c.announced;
    const Outcome out = Run("http://" + Loopback(s.web) + "/" + c.file, o);
    EXPECT_EQ(c.code, out.code);
    EXPECT_EQ(c.value, out.value);
    EXPECT_EQ(c.code == kDownloadDone, out.fileLeft);
    ASSERT_EQ(c.written, out.content.size());
    if (c.whole != nullptr) {
      EXPECT_EQ(c.whole->crc, CrcOf(out.content.substr(0, c.whole->size)));
    }
  }
}

TEST_F(Download, ABodyWithoutEndStopsOneBytePastTheAnnouncedSize) {
  // The worker stops reading at the bound: else this download never ends.
  Route r;
  r.answer = Answer::kEndless;
  r.trickleBytes = 4096;
  r.trickleDelayMs = 5;
  m_server.Set("/endless", r);
  Options o;
  o.announced = true;
  o.announcedSize = 10000;
  const Outcome out = Run(m_server.Url("/endless"), o);
  EXPECT_EQ(kDownloadDone, out.code);
  EXPECT_EQ(10001, out.value);
  std::string expected(10001, '\0');
  for (size_t i = 0; i < expected.size(); ++i) expected[i] = static_cast<char>(httpfix::GeneratedByte(i));
  EXPECT_EQ(expected.size(), out.content.size());
  EXPECT_TRUE(expected == out.content) << "not the body's first bytes";
}

TEST_F(Download, RealAuthenticatingProxy) {
  REQUIRE_REAL_SERVERS();
  const Servers& s = RealServers();
  const WebFile& file = s.files.back();
  // "localhost", not the address the other tests use: Wine pools kept-alive
  // connections by the origin's name, and would send this request down a
  // connection that another test opened through the open proxy.
  const std::string url = "http://localhost:" + std::to_string(s.web) + "/" + file.name;
  Options o;
  o.mode = Mode::kNamed;
  o.proxy = Loopback(s.authProxy);

  // Without credentials its 407 ends the download.  (First: WinINet may
  // reuse a connection that the proxy has already let through.)
  o.user = "";
  o.password = "";
  Outcome out = Run(url, o);
  EXPECT_EQ(kDownloadRefused, out.code);
  EXPECT_EQ(407, out.value);
  EXPECT_FALSE(out.fileLeft);

  // With them the proxy lets the request through.
  o.user = s.user.c_str();
  o.password = s.password.c_str();
  out = Run(url, o);
  EXPECT_EQ(kDownloadDone, out.code);
  ASSERT_EQ(file.size, out.content.size());
  CCrc32 crc;
  crc.Update(reinterpret_cast<const uint8_t*>(out.content.data()), static_cast<int>(out.content.size()));
  EXPECT_EQ(file.crc, crc.GetValue());

  // An origin behind the proxy that asks for a password never gets the
  // proxy's.
  Serve("/protected.bin", Answer::kUnauthorized, "");
  m_server.ClearRequests();
  o.user = s.user.c_str();
  o.password = s.password.c_str();
  out = Run(m_server.Url("/protected.bin"), o);
  EXPECT_EQ(kDownloadRefused, out.code);
  EXPECT_EQ(401, out.value);
  const auto requests = m_server.Requests();
  ASSERT_FALSE(requests.empty());
  for (const auto& req : requests) {
    EXPECT_TRUE(req.Has("Via"));  // it came through the proxy
    EXPECT_FALSE(req.Has("Authorization")) << req.Header("Authorization");
    EXPECT_FALSE(req.Has("Proxy-Authorization"));
  }
}

}  // namespace
