// One large download through CHTTPBinarySession and the file check (size
// and CRC-32, as the update screen does it) against two loops of bare calls
// from the same server in the same run: the same work (4 KB
// InternetReadFile reads gathered into the session's block and written with
// WriteFile, then zlib's crc32 over the file) and a read-only loop of the
// same reads; and the process's peak working set.  The server is lighttpd,
// started around this program by tools/httpfix/with-http-servers.sh with
// QUORL_WEB_BIG_MB set.
#include <windows.h>
#include <wininet.h>

#include <psapi.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/bench_clock.h"
#include "tests/update/report_sink.h"
#include "update/crc32.h"
#include "update/http_session.h"

namespace {

using test_support::BenchNowNs;
using test_support::FormatMs;
using test_support::FormatRatio;
using test_support::MedianNs;

constexpr int kRounds = 5;
// The flags the session opens its request with (no reload: a first try).
constexpr DWORD kRequestFlags = INTERNET_FLAG_DONT_CACHE;

struct Target {
  int port = 0;
  std::string object;
  std::string url;
  std::string path;  // the local file
  uint64_t size = 0;
  uint32_t crc = 0;
};

// The size of a file, or UINT64_MAX when it has none.
uint64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return UINT64_MAX;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Runs the bare GET of the target: each 4 KB read goes to sink.Next() and
// is handed on with sink.Took(bytes); false when the request fails or the
// sink refuses.
template <typename Sink>
bool BareGet(const Target& t, Sink& sink) {
  HINTERNET s = ::InternetOpenA("bench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  HINTERNET c = ::InternetConnectA(s, "127.0.0.1", static_cast<INTERNET_PORT>(t.port), nullptr, nullptr,
                                   INTERNET_SERVICE_HTTP, 0, 1);
  HINTERNET r = ::HttpOpenRequestA(c, "GET", t.object.c_str(), nullptr, nullptr, nullptr, kRequestFlags, 1);
  bool ok = r != nullptr && ::HttpSendRequestA(r, nullptr, 0, nullptr, 0);
  while (ok) {
    DWORD got = 0;
    if (!::InternetReadFile(r, sink.Next(), CHTTPBinarySession::kReadSize, &got)) {
      ok = false;
    } else if (got == 0) {
      break;
    } else if (!sink.Took(got)) {
      ok = false;
    }
  }
  ::InternetCloseHandle(r);
  ::InternetCloseHandle(c);
  ::InternetCloseHandle(s);
  return ok;
}

// The read-only loop: every read into the same 4 KB.
bool ReadOnly(const Target& t) {
  struct Count {
    char* buffer;
    uint64_t total = 0;
    char* Next() { return buffer; }
    bool Took(DWORD got) {
      total += got;
      return true;
    }
  };
  std::vector<char> buffer(CHTTPBinarySession::kReadSize);
  Count count{buffer.data()};
  return BareGet(t, count) && count.total == t.size;
}

// The same work as the session and the screen's check, by bare calls.
bool SameWork(const Target& t) {
  HANDLE file = ::CreateFileA(t.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  struct Gather {
    HANDLE file;
    char* block;
    DWORD pending = 0;
    bool Flush() {
      DWORD written = 0;
      const bool ok = pending == 0 || (::WriteFile(file, block, pending, &written, nullptr) && written == pending);
      pending = 0;
      return ok;
    }
    char* Next() { return block + pending; }
    bool Took(DWORD got) {
      pending += got;
      return CHTTPBinarySession::kBlockSize - pending >= CHTTPBinarySession::kReadSize || Flush();
    }
  };
  std::unique_ptr<char[]> block(new char[CHTTPBinarySession::kBlockSize]);
  Gather gather{file, block.get()};
  bool ok = BareGet(t, gather) && gather.Flush();
  ok = ::CloseHandle(file) != FALSE && ok;
  if (!ok || FileSize(t.path) != t.size) return false;

  file = ::CreateFileA(t.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  uLong crc = crc32(0L, Z_NULL, 0);
  std::unique_ptr<Bytef[]> in(new Bytef[CCrc32::kFileBlock]);
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file, in.get(), CCrc32::kFileBlock, &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    crc = crc32(crc, in.get(), got);
  }
  ::CloseHandle(file);
  return ok && static_cast<uint32_t>(crc) == t.crc;
}

// The session as the update screen runs it, then the screen's check.
bool Session(const Target& t) {
  ReportSink sink;
  CHTTPBinarySession download;
  download.SetNotify(sink.hwnd(), ReportSink::kMessage);
  // As the update screen does: the body is bounded at its announced size.
  download.SetAnnouncedSize(static_cast<uint32_t>(t.size));
  CFileException error;
  if (!download.Start(t.url.c_str(), t.path.c_str(), &error)) return false;
  sink.WaitForEnd(600000);
  download.Stop();
  CCrc32 check;
  return sink.endCode() == kDownloadDone && FileSize(t.path) == t.size && check.UpdateFromFile(t.path.c_str()) &&
         check.GetValue() == t.crc;
}

// Tenths of a MiB with one decimal.
std::string TenthsText(int64_t tenths) {
  char text[40];
  std::snprintf(text, sizeof text, "%lld.%lld", static_cast<long long>(tenths / 10),
                static_cast<long long>(tenths % 10));
  return text;
}

// MiB per second of bytes in ns, with one decimal.
std::string Rate(uint64_t bytes, int64_t ns) {
  if (ns <= 0) return "-";
  return TenthsText(static_cast<int64_t>(bytes * 10 / 1024) * 1000000000 / ns / 1024);
}

}  // namespace

int main() {
  Target t;
  t.port = std::atoi(std::getenv("QUORL_WEB_PORT") != nullptr ? std::getenv("QUORL_WEB_PORT") : "0");
  std::stringstream files(std::getenv("QUORL_WEB_FILES") != nullptr ? std::getenv("QUORL_WEB_FILES") : "");
  std::string entry, name, crcText;
  while (std::getline(files, entry, ';')) {
    std::stringstream f(entry);
    f >> name >> t.size >> crcText;
    if (name == "big.bin") {
      t.crc = static_cast<uint32_t>(std::strtoul(crcText.c_str(), nullptr, 16));
      break;
    }
  }
  if (t.port == 0 || name != "big.bin") {
    std::printf("download: skipped (no web server with big.bin; make bench starts one)\n");
    return 0;
  }
  t.object = "/big.bin";
  t.url = "http://127.0.0.1:" + std::to_string(t.port) + t.object;
  char temp[MAX_PATH];
  ::GetTempPathA(sizeof temp, temp);
  t.path = std::string(temp) + "quorl_bench_download.bin";

  // The three loops alternate, each round starting with the next one, so
  // that none always runs on a warmer (or busier) machine than another.
  bool (*const loops[3])(const Target&) = {&Session, &SameWork, &ReadOnly};
  std::vector<int64_t> times[3];
  bool ok = true;
  for (int round = 0; round < kRounds; ++round) {
    for (int k = 0; k < 3; ++k) {
      const int which = (round + k) % 3;
      const int64_t t0 = BenchNowNs();
      if (!loops[which](t)) ok = false;
      times[which].push_back(BenchNowNs() - t0);
      ::DeleteFileA(t.path.c_str());
    }
  }
  const int64_t session = MedianNs(times[0]);
  const int64_t same = MedianNs(times[1]);
  const int64_t bare = MedianNs(times[2]);
  const uint64_t mib = t.size / (1024 * 1024);
  const char* failed = ok ? "" : "  [FAILED: a download or its check went wrong]";
  std::printf("download %llu MiB, medians of %d rounds:%s\n", static_cast<unsigned long long>(mib), kRounds, failed);
  std::printf("download: read-only loop (4 KB InternetReadFile reads) %s ms, %s MiB/s\n", FormatMs(bare).c_str(),
              Rate(t.size, bare).c_str());
  std::printf(
      "download: same work by bare calls (the reads written with WriteFile in %u KB blocks, then zlib crc32 over "
      "the file) %s ms, %s MiB/s\n",
      CHTTPBinarySession::kBlockSize / 1024, FormatMs(same).c_str(), Rate(t.size, same).c_str());
  std::printf("download: CHTTPBinarySession + size/CRC check %s ms, %s MiB/s\n", FormatMs(session).c_str(),
              Rate(t.size, session).c_str());
  std::printf("download: ratio to the same work %s (goal >= 0.97), to the read-only loop %s (goal >= 0.90)\n",
              FormatRatio(same, session).c_str(), FormatRatio(bare, session).c_str());
  PROCESS_MEMORY_COUNTERS pmc{};
  pmc.cb = sizeof pmc;
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &pmc, sizeof pmc);
  std::printf("download: peak working set %s MiB (goal <= 64 MiB)\n",
              TenthsText(static_cast<int64_t>(pmc.PeakWorkingSetSize / (1024 * 1024 / 10))).c_str());
  return ok ? 0 : 1;
}
