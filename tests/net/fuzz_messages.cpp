// Arbitrary bytes through the engine's record reader into the launcher's
// socket and every message decoder.  Byte 0 chooses the receive piece size,
// the rest is the stream from the server; the stream is also given to each
// decoder directly as one message body.
//
// The engine, the socket and its context are set up once; each input costs
// one connection from the engine's pools.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "net/login_events.h"
#include "net/login_messages.h"
#include "net/quorl_socket.h"
#include "net/version_update_info.h"
#include "tests/nte/engine_start.h"
#include "tests/nte/fake_transport.h"

namespace {

// Feeds every version answer into an update-info entry, as the launcher does.
class CAnswerFeeder : public CLoginEvents {
 public:
  void OnVersion(const CVersionNotifyObj& v, int) override { Feed(v); }
  void OnShortVersion(const CVersionNotifyObj& v, int) override { Feed(v); }

  std::unique_ptr<CVersionUpdateInfo> entry;

 private:
  void Feed(const CVersionNotifyObj& v) {
    if (v.m_nChunkNumber > 0)
      entry->AddScriptChunk(v.m_nChunkCount, v.m_nChunkNumber, v.m_data.data(), v.m_data.size());
    // Touch the terminator: it must lie inside the block.
    if (entry->HasScript() && *static_cast<const volatile char*>(entry->GetScript() + entry->GetUsed()) != '\0')
      __builtin_trap();
  }
};

class CNullSink : public CLoginNotifySink {
 public:
  int Notify(int, int, int, int, intptr_t) override { return 0; }
};

void Quiet(void*, const char*) {}

CQuorlSocket* g_socket = nullptr;
CAnswerFeeder* g_feeder = nullptr;

void SetUpOnce() {
  nte_set_log_sink(Quiet, nullptr);
  nte_test::UseTransport(nte_test::Transport::kFake);
  g_socket = new CQuorlSocket;
  g_feeder = new CAnswerFeeder;
  g_socket->SetEventHandler(g_feeder);
  if (!g_socket->Initialize()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool started = false;
  if (!started) {
    SetUpOnce();
    started = true;
  }
  if (size < 1) return 0;
  const int piece = 1 + data[0] % 97;
  const uint8_t* stream = data + 1;
  const int n = static_cast<int>(size - 1);

  // Each decoder on its own, whatever the id byte says.
  CNullSink sink;
  DispatchLoginMessage(stream, n, sink);
  ParseWorldStatus(stream, n, sink);
  ParseWorldId(stream, n, sink);
  ParseVersionNotify(stream, n, sink);
  ParseVersionNotifyShort(stream, n, sink);
  ParseWorldSiteList(stream, n, sink);
  ParseByteNotify(stream, n, sink);
  ParseFlagNotify(stream, n, sink);

  // The whole path: engine framing, socket, dispatcher.  The context of
  // the previous input is reused; only the connection is new.
  g_feeder->entry = std::make_unique<CVersionUpdateInfo>(1, 10000);
  if (g_socket->Connect("127.0.0.1", 9070, 1) != 0) std::abort();
  fake::Socket* s = fake::last();
  s->inbox.assign(reinterpret_cast<const char*>(stream), static_cast<size_t>(n));
  s->recv_chunk = piece;
  s->peer_closed = true;
  // Each pass reads at most one piece; stop once the stream ended and the
  // close was seen, with a bound for safety.
  for (int i = 0; i < n + 16 && g_socket->GetState() != CNteSocket::kClosed; ++i) g_socket->Poll(1);
  if (g_socket->GetState() != CNteSocket::kClosed || g_socket->IsConnected()) __builtin_trap();
  fake::forget_closed();
  return 0;
}
