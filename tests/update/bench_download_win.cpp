// One large download through CHTTPBinarySession and the file check (size
// and CRC-32, as the update screen does it) against a bare loop of 4 KB
// InternetReadFile calls, from the same server in the same run; and the
// process's peak working set.  The server is lighttpd, started around this
// program by tools/httpfix/with-http-servers.sh with QUORL_WEB_BIG_MB set.
#include <windows.h>
#include <wininet.h>

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "tests/update/report_sink.h"
#include "update/crc32.h"
#include "update/http_session.h"

namespace {

double Now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

// Bytes read by a bare loop of 4 KB reads, or 0 on failure.
uint64_t BareLoop(int port, const std::string& object) {
  HINTERNET s = ::InternetOpenA("bench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  HINTERNET c = ::InternetConnectA(s, "127.0.0.1", static_cast<INTERNET_PORT>(port), nullptr, nullptr,
                                   INTERNET_SERVICE_HTTP, 0, 1);
  HINTERNET r = ::HttpOpenRequestA(c, "GET", object.c_str(), nullptr, nullptr, nullptr,
                                   INTERNET_FLAG_RELOAD | INTERNET_FLAG_DONT_CACHE, 1);
  uint64_t total = 0;
  if (r != nullptr && ::HttpSendRequestA(r, nullptr, 0, nullptr, 0)) {
    char buf[4096];
    DWORD got = 0;
    while (::InternetReadFile(r, buf, sizeof buf, &got) && got > 0) total += got;
  }
  ::InternetCloseHandle(r);
  ::InternetCloseHandle(c);
  ::InternetCloseHandle(s);
  return total;
}

}  // namespace

int main() {
  const int port = std::atoi(std::getenv("QUORL_WEB_PORT") != nullptr ? std::getenv("QUORL_WEB_PORT") : "0");
  std::stringstream files(std::getenv("QUORL_WEB_FILES") != nullptr ? std::getenv("QUORL_WEB_FILES") : "");
  std::string entry, name, crcText;
  uint64_t size = 0;
  uint32_t crc = 0;
  while (std::getline(files, entry, ';')) {
    std::stringstream f(entry);
    f >> name >> size >> crcText;
    if (name == "big.bin") {
      crc = static_cast<uint32_t>(std::strtoul(crcText.c_str(), nullptr, 16));
      break;
    }
  }
  if (port == 0 || name != "big.bin") {
    std::printf("download: skipped (no web server with big.bin; make bench starts one)\n");
    return 0;
  }
  const std::string object = "/big.bin";
  const std::string url = "http://127.0.0.1:" + std::to_string(port) + object;
  char temp[MAX_PATH];
  ::GetTempPathA(sizeof temp, temp);
  const std::string path = std::string(temp) + "quorl_bench_download.bin";

  double bare = 1e30;
  double session = 1e30;
  bool ok = true;
  for (int round = 0; round < 2; ++round) {
    double t0 = Now();
    if (BareLoop(port, object) != size) ok = false;
    bare = std::min(bare, Now() - t0);

    ReportSink sink;
    CHTTPBinarySession download;
    download.SetNotify(sink.hwnd(), ReportSink::kMessage);
    // As the update screen does: the body is bounded at its announced size.
    download.SetAnnouncedSize(static_cast<uint32_t>(size));
    CFileException error;
    t0 = Now();
    if (!download.Start(url.c_str(), path.c_str(), &error)) return 2;
    sink.WaitForEnd(600000);
    download.Stop();
    WIN32_FILE_ATTRIBUTE_DATA data{};
    CCrc32 check;
    const bool good = sink.endCode() == kDownloadDone &&
                      ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
                      ((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) == size &&
                      check.UpdateFromFile(path.c_str()) && check.GetValue() == crc;
    session = std::min(session, Now() - t0);
    ::DeleteFileA(path.c_str());
    if (!good) ok = false;
  }
  PROCESS_MEMORY_COUNTERS pmc{};
  pmc.cb = sizeof pmc;
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &pmc, sizeof pmc);
  const double mb = static_cast<double>(size) / (1024.0 * 1024.0);
  std::printf(
      "download %.0f MiB: bare 4 KB InternetReadFile loop %.0f MiB/s, CHTTPBinarySession + size/CRC check "
      "%.0f MiB/s, ratio %.2f (goal >= 0.9)%s\n",
      mb, mb / bare, mb / session, bare / session, ok ? "" : "  [FAILED: wrong size or CRC]");
  std::printf("download: peak working set %.1f MiB (goal <= 64 MiB)\n",
              static_cast<double>(pmc.PeakWorkingSetSize) / (1024.0 * 1024.0));
  return ok ? 0 : 1;
}
