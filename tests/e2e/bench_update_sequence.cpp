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

#include <cstdio>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/update_install.h"
#include "tests/e2e/win_driver.h"
#include "tools/fixture/login_fixture.h"
#include "tools/httpfix/http_fixture.h"
#include "update/crc32.h"

using namespace e2e;

namespace {

const std::string kBinDir = ToWindowsPath(QUORL_E2E_BIN_DIR) + "\\";
const std::string kHarnessDir = ToWindowsPath(QUORL_E2E_HARNESS_DIR) + "\\";
constexpr int kFiles = 10;
constexpr uint64_t kFileSize = 10ull * 1000 * 1000;  // 100 MB in all
constexpr UINT kShowUpdate = ID_SHOW_UPDATE_VIEW;

double g_qpcPerMs = 0;

long long Qpc() {
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return t.QuadPart;
}

double Ms(long long from, long long to) { return static_cast<double>(to - from) / g_qpcPerMs; }

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
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  g_qpcPerMs = static_cast<double>(frequency.QuadPart) / 1000.0;

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
  const long long start = Qpc();
  ::PostMessageA(frame, WM_COMMAND, kShowUpdate, 0);

  long long firstRequest = 0, markerRequest = 0;
  const DWORD began = ::GetTickCount();
  while (::GetTickCount() - began < 300000) {
    const size_t n = web.Requests().size();
    const long long now = Qpc();
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
  const long long callEnd = ReportValue(in.PatchReport(), "qpc_end");
  const long long clientStart = ReportValue(in.ClientReport(), "qpc");
  if (callEnd < 0 || clientStart < 0) return Fail("no time in the helpers' reports");

  // The client start alone, the same way the launcher starts it.
  ::DeleteFileA(in.Reports().File("client.txt").c_str());
  std::string commandLine = "\"" + in.Install().File("quorl.bin") + "\" ";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  const long long spawn = Qpc();
  if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NEW_PROCESS_GROUP, nullptr,
                        in.Install().Path().c_str(), &startup, &process))
    return Fail("the client could not be started by the bench");
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  if (!WaitUntil([&] { return FileExists(in.Reports().File("client.txt")); }, 20000))
    return Fail("the client started by the bench did not report");
  const double clientAlone = Ms(spawn, ReportValue(in.ClientReport(), "qpc"));

  // The bare loop over the same files from the same server.
  HINTERNET session = ::InternetOpenA("QuorlBench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  if (!session) return Fail("InternetOpen failed");
  const long long bareStart = Qpc();
  uint64_t bareBytes = 0;
  for (const std::string& name : names)
    bareBytes += BareDownload(session, web.Url("/" + name), in.Downloads().File("bare.bin"));
  const long long bareEnd = Qpc();
  ::InternetCloseHandle(session);
  if (bareBytes != kFileSize * kFiles) return Fail("the bare loop got " + std::to_string(bareBytes) + " bytes");

  const double download = Ms(firstRequest, markerRequest);
  const double bare = Ms(bareStart, bareEnd);
  const double deviceAndClient = Ms(callEnd, clientStart);
  std::printf("update sequence, %d files of %llu bytes, Start to client:\n", kFiles,
              static_cast<unsigned long long>(kFileSize));
  std::printf("  download phase     %9.1f ms  (bare 4 KB WinINet loop %9.1f ms, ratio %.3f, goal <= 1.2)\n", download,
              bare, download / bare);
  std::printf("  version check      %9.1f ms  (Start command to the first file's request)\n", Ms(start, firstRequest));
  std::printf("  CALL               %9.1f ms  (last file verified to the patch program's end)\n",
              Ms(markerRequest, callEnd));
  std::printf("  device check       %9.1f ms  (the next phase less the client start alone)\n",
              deviceAndClient - clientAlone);
  std::printf("  client start       %9.1f ms  (CreateProcess to the client's first line, measured alone)\n",
              clientAlone);
  std::printf("  device check and client start %9.1f ms  (patch program's end to the client's first line)\n",
              deviceAndClient);
  std::printf("  whole update       %9.1f ms\n", Ms(start, clientStart));
  return 0;
}
