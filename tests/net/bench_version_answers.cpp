// Throughput of version answers (message 34, 2 KB script chunks):
//   decode    the message decoder alone, records handed in memory;
//   engine    the engine's framing, the socket and the decoder over the
//             tests' in-memory transport;
//   loopback  the same over a real loopback connection from the in-process
//             login-server fixture.
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <string>

#include "net/login_events.h"
#include "net/login_messages.h"
#include "net/quorl_socket.h"
#include "tests/nte/engine_start.h"
#include "tests/nte/fake_transport.h"
#include "tests/support/bench_clock.h"
#include "tools/fixture/login_fixture.h"

namespace {

using test_support::BenchNowNs;
using test_support::FormatMs;
using test_support::FormatRatio;

constexpr int kChunkBytes = 2048;

std::string Answer(int number) {
  return FixtureVersionAnswer(34, 441397, 10000, 1, 100, number % 100 + 1, std::string(kChunkBytes, 'S'), "t1", "t2");
}

class CCountingEvents : public CLoginEvents {
 public:
  void OnVersion(const CVersionNotifyObj& answer, int) override {
    bytes += static_cast<long long>(answer.m_data.size());
    ++count;
  }
  void OnConnectFailed(int) override { ended = true; }
  void OnClosed(int) override { ended = true; }
  void OnError(int, intptr_t) override { ended = true; }
  long long count = 0;
  long long bytes = 0;
  bool ended = false;
};

// The decoder's raw notifications, through the typed adapter as the socket
// hands them on.
class CCountingSink : public CLoginNotifySink {
 public:
  int Notify(int nType, int nA, int nB, int nP, intptr_t nQ) override {
    return DeliverLoginNotify(events, nType, nA, nB, nP, nQ);
  }
  CCountingEvents events;
};

class CCountingSocket : public CQuorlSocket {
 public:
  CCountingSocket() { SetEventHandler(&sink); }
  CCountingEvents sink;
};

// The rates from integer nanoseconds; MB here are MiB.
void Report(const char* what, long long records, size_t recordBytes, int64_t ns) {
  const int64_t bytes = static_cast<int64_t>(records) * static_cast<int64_t>(recordBytes);
  std::printf("%-9s %8lld records in %10s ms: %10" PRId64 " records/s %10s MB/s\n", what, records, FormatMs(ns).c_str(),
              ns > 0 ? static_cast<int64_t>(records) * 1000000000 / ns : 0,
              FormatRatio(bytes / 1024 * 1000000 / 1024, ns / 1000).c_str());
}

void BenchDecode() {
  const std::string body = Answer(0);
  CCountingSink sink;
  const auto* data = reinterpret_cast<const uint8_t*>(body.data());
  const int n = static_cast<int>(body.size());
  long long records = 0;
  const int64_t start = BenchNowNs();
  int64_t ns = 0;
  do {
    for (int i = 0; i < 1000; ++i) {
      if (DispatchLoginMessage(data, n, sink) != 0) std::printf("decode failed\n");
    }
    records += 1000;
    ns = BenchNowNs() - start;
  } while (ns < 1000000000);
  Report("decode", records, body.size() + 2, ns);
}

std::string Stream(int records) {
  std::string s;
  for (int i = 0; i < records; ++i) s += FixtureFrame(Answer(i));
  return s;
}

// Connects socket, polls until `records` answers came or the connection
// ended; returns the nanoseconds from the connect on (-1: no connection).
int64_t Drain(CCountingSocket& socket, const char* host, uint16_t port, long long records,
              const std::string* fake_input = nullptr) {
  const int64_t start = BenchNowNs();
  if (socket.Connect(host, port, 1) != 0) return -1;
  if (fake::Socket* s = fake::last(); s != nullptr && fake_input != nullptr) {
    s->inbox = *fake_input;
    s->recv_chunk = 8192;
    s->peer_closed = true;
  }
  while (socket.sink.count < records && !socket.sink.ended) socket.Poll(1);
  return BenchNowNs() - start;
}

void BenchEngine() {
  const int records = 20000;
  const std::string stream = Stream(records);
  nte_test::UseTransport(nte_test::Transport::kFake);
  CCountingSocket socket;
  if (socket.Initialize()) {
    const int64_t s = Drain(socket, "127.0.0.1", 9070, records, &stream);
    if (socket.sink.count == records)
      Report("engine", socket.sink.count, stream.size() / records, s);
    else
      std::printf("engine: only %lld of %d records\n", socket.sink.count, records);
  }
  socket.Close();
  nte_test::StopEngine();
}

void BenchLoopback() {
  const int records = 20000;
  const std::string stream = Stream(records);
  CFixtureScenario sc;
  sc.onAccept = {CFixtureAction::Raw(stream)};
  CLoginFixture fixture(sc);
  if (!fixture.Start()) {
    std::printf("loopback: the fixture cannot listen\n");
    return;
  }
  nte_test::UseTransport(nte_test::Transport::kSystem);
  CCountingSocket socket;
  if (socket.Initialize()) {
    const int64_t s = Drain(socket, "127.0.0.1", fixture.GetPort(), records);
    if (socket.sink.count == records)
      Report("loopback", socket.sink.count, stream.size() / records, s);
    else
      std::printf("loopback: only %lld of %d records\n", socket.sink.count, records);
  }
  socket.Close();
  nte_test::StopEngine();
  fixture.Stop();
}

}  // namespace

int main() {
  std::printf("bench_version_answers: message 34 with %d-byte chunks\n", kChunkBytes);
  BenchDecode();
  BenchEngine();
  BenchLoopback();
  return 0;
}
