// A whole update through the real launcher: 100 MB in 10 files from the
// HTTP fixture, from the Start command to the client's start.  The download
// phase (first file's request to the last file's verified end) is set
// against a bare WinINet loop of 4 KB reads that fetches the same files from
// the same server in the same run; the fixed phases are printed apart.
//
// Where the phases are seen from outside the launcher:
//   Start command        the bench posts the switch command (32780);
//   file requests        the HTTP fixture's request log, polled;
//   last file verified   the request for a one-byte marker file that the
//                        script fetches right after the last file;
//   CALL                 the patch program reports its end (performance
//                        counter, one clock for every process);
//   client start         the stand-in client reports its start.
#include <windows.h>

#include <wininet.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/update_install.h"
#include "tests/support/bench_clock.h"
#include "tests/e2e/win_driver.h"
#include "tools/fixture/login_fixture.h"
#include "tools/httpfix/http_fixture.h"
#include "update/crc32.h"

using namespace e2e;
using test_support::BenchNowNs;
using test_support::FormatMs;
using test_support::FormatRatio;

namespace {

const std::string kBinDir = ToWindowsPath(QUORL_E2E_BIN_DIR) + "\\";
const std::string kHarnessDir = ToWindowsPath(QUORL_E2E_HARNESS_DIR) + "\\";
constexpr int kFiles = 10;
constexpr uint64_t kFileSize = 10ull * 1000 * 1000;  // 100 MB in all
constexpr UINT kShowUpdate = ID_SHOW_UPDATE_VIEW;

LARGE_INTEGER g_frequency;

// A helper's performance-counter reading (one counter for every process) in
// the nanoseconds of BenchNowNs, converted the same way.
int64_t CounterNs(int64_t ticks) {
  const int64_t f = g_frequency.QuadPart;
  return ticks / f * 1000000000 + ticks % f * 1000000000 / f;
}

// A "name=<number>" value of a report, or -1.
long long ReportValue(const std::string& report, const std::string& name) {
  const size_t at = report.find(name + "=");
  return at == std::string::npos ? -1 : std::atoll(report.c_str() + at + name.size() + 1);
}

uint32_t GeneratedCrc(uint64_t size) {
  CCrc32 crc;
  std::vector<uint8_t> block(65536);
  for (uint64_t at = 0; at < size; at += block.size()) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(block.size(), size - at));
    for (size_t i = 0; i < n; ++i) block[i] = httpfix::GeneratedByte(at + i);
    crc.Update(block.data(), static_cast<int>(n));
  }
  return crc.GetValue();
}

// The bare loop: one URL to a file, 4 KB at a time; the bytes it got.
uint64_t BareDownload(HINTERNET session, const std::string& url, const std::string& path) {
  HINTERNET request =
      ::InternetOpenUrlA(session, url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
  if (!request) return 0;
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  uint64_t total = 0;
  char buffer[4096];
  DWORD got = 0;
  while (file != INVALID_HANDLE_VALUE && ::InternetReadFile(request, buffer, sizeof buffer, &got) && got > 0) {
    DWORD written = 0;
    ::WriteFile(file, buffer, got, &written, nullptr);
    total += got;
  }
  if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
  ::InternetCloseHandle(request);
  return total;
}

int Fail(const std::string& why) {
  std::printf("update sequence bench: %s\n", why.c_str());
  return 1;
}

}  // namespace

int main() {
  ::QueryPerformanceFrequency(&g_frequency);

  httpfix::HttpFixture web;
  CLoginFixture login;
  if (!web.Start() || !login.Start()) return Fail("the fixtures did not start");
  UpdateInstall in(kBinDir, kHarnessDir);
  std::string error;
  if (!in.Stage(login.GetPort(), &error)) return Fail(error);
  ::SetEnvironmentVariableA("QUORL_PATCH_SHOW_MS", "0");
  ::SetEnvironmentVariableA("QUORL_CLIENT_EXIT_MS", "500");

  // Nine data files and the patch program padded to the same size (a
  // program may carry trailing data); a one-byte marker after the last.
  const uint32_t dataCrc = GeneratedCrc(kFileSize);
  std::string patch = in.Helper();
  for (uint64_t i = patch.size(); i < kFileSize; ++i) patch.push_back(static_cast<char>(httpfix::GeneratedByte(i)));
  std::vector<std::string> names;
  std::string script = "NEXTVER 1001000\nLATESTVER 1001000\n";
  for (int i = 0; i < kFiles; ++i) {
    httpfix::Route route;
    const bool last = i == kFiles - 1;
    const std::string name = last ? std::string("patch-1001000.exe") : "data" + std::to_string(i) + ".pak";
    if (last)
      route.body = patch;
    else
      route.generatedSize = kFileSize;
    web.Set("/" + name, route);
    names.push_back(name);
    script += HttpGetLine(web.Port(), name, kFileSize, last ? Crc32Of(patch) : dataCrc);
  }
  httpfix::Route marker;
  marker.body = "m";
  web.Set("/marker.bin", marker);
  script += HttpGetLine(web.Port(), "marker.bin", 1, Crc32Of("m"));
  script += "CALL patch-1001000.exe\n";

  CFixtureScenario scenario;
  CFixtureComponent game;
  game.componentId = 10000;
  game.result = 1;
  game.script = script;
  scenario.components.push_back(game);
  login.SetScenario(scenario);

  // From the launcher screen, as the Start button does.
  Process launcher;
  if (!launcher.Start(in.Exe(), "", in.Install().Path())) return Fail("the launcher did not start");
  HWND frame = WaitForWindow(launcher.Pid(), "Quorl Pather MainFrame", 20000);
  if (!frame) return Fail("no launcher window");
  ::Sleep(500);
  const int64_t start = BenchNowNs();
  ::PostMessageA(frame, WM_COMMAND, kShowUpdate, 0);

  int64_t firstRequest = 0, markerRequest = 0;
  const DWORD began = ::GetTickCount();
  while (::GetTickCount() - began < 300000) {
    const size_t n = web.Requests().size();
    const int64_t now = BenchNowNs();
    if (n >= 1 && firstRequest == 0) firstRequest = now;
    if (n >= static_cast<size_t>(kFiles) + 1) {
      markerRequest = now;
      break;
    }
    if (!launcher.Running()) break;
    ::Sleep(1);
  }
  if (markerRequest == 0) return Fail("the launcher did not download every file");
  if (!WaitUntil([&] { return FileExists(in.Reports().File("client.txt")); }, 60000))
    return Fail("the client did not start");
  launcher.Wait(20000);
  const long long callEndTicks = ReportValue(in.PatchReport(), "qpc_end");
  const long long clientStartTicks = ReportValue(in.ClientReport(), "qpc");
  if (callEndTicks < 0 || clientStartTicks < 0) return Fail("no time in the helpers' reports");
  const int64_t callEnd = CounterNs(callEndTicks), clientStart = CounterNs(clientStartTicks);

  // The client start alone, the same way the launcher starts it.
  ::DeleteFileA(in.Reports().File("client.txt").c_str());
  std::string commandLine = "\"" + in.Install().File("quorl.bin") + "\" ";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  const int64_t spawn = BenchNowNs();
  if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NEW_PROCESS_GROUP, nullptr,
                        in.Install().Path().c_str(), &startup, &process))
    return Fail("the client could not be started by the bench");
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  if (!WaitUntil([&] { return FileExists(in.Reports().File("client.txt")); }, 20000))
    return Fail("the client started by the bench did not report");
  const long long clientAloneTicks = ReportValue(in.ClientReport(), "qpc");
  if (clientAloneTicks < 0) return Fail("no time in the client's report");
  const int64_t clientAlone = CounterNs(clientAloneTicks) - spawn;

  // The bare loop over the same files from the same server.
  HINTERNET session = ::InternetOpenA("QuorlBench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  if (!session) return Fail("InternetOpen failed");
  const int64_t bareStart = BenchNowNs();
  uint64_t bareBytes = 0;
  for (const std::string& name : names)
    bareBytes += BareDownload(session, web.Url("/" + name), in.Downloads().File("bare.bin"));
  const int64_t bareEnd = BenchNowNs();
  ::InternetCloseHandle(session);
  if (bareBytes != kFileSize * kFiles) return Fail("the bare loop got " + std::to_string(bareBytes) + " bytes");

  const int64_t download = markerRequest - firstRequest;
  const int64_t bare = bareEnd - bareStart;
  const int64_t deviceAndClient = clientStart - callEnd;
  std::printf("update sequence, %d files of %llu bytes, Start to client:\n", kFiles,
              static_cast<unsigned long long>(kFileSize));
  std::printf("  download phase     %12s ms  (bare 4 KB WinINet loop %12s ms, ratio %s, goal <= 1.2)\n",
              FormatMs(download).c_str(), FormatMs(bare).c_str(), FormatRatio(download, bare).c_str());
  std::printf("  version check      %12s ms  (Start command to the first file's request)\n",
              FormatMs(firstRequest - start).c_str());
  std::printf("  CALL               %12s ms  (last file verified to the patch program's end)\n",
              FormatMs(callEnd - markerRequest).c_str());
  std::printf("  device check       %12s ms  (the next phase less the client start alone)\n",
              FormatMs(deviceAndClient - clientAlone).c_str());
  std::printf("  client start       %12s ms  (CreateProcess to the client's first line, measured alone)\n",
              FormatMs(clientAlone).c_str());
  std::printf("  device check and client start %12s ms  (patch program's end to the client's first line)\n",
              FormatMs(deviceAndClient).c_str());
  std::printf("  whole update       %12s ms\n", FormatMs(clientStart - start).c_str());
  return 0;
}
