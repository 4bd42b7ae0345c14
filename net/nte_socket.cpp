#include "net/nte_socket.h"

#include <climits>
#include <cstring>

#include "net/nte/nte_core.h"
#include "net/nte/nte_error.h"

IMPLEMENT_DYNAMIC(CNteSocket, CObject)

namespace {

bool g_engineStarted = false;
int g_lastEngineError = 0;
// Incremented by every engine shutdown: a context made under an earlier
// generation died with that engine and must not be touched again.
uint32_t g_engineGeneration = 1;

CNteSocket* SocketOf(conn_t* conn, uint32_t serial) {
  int size = 0;
  void* state = nte_conn_get_state_buffer(conn, serial, &size);
  if (state == nullptr || size < static_cast<int>(sizeof(CNteSocket*))) return nullptr;
  CNteSocket* socket = nullptr;
  std::memcpy(&socket, state, sizeof socket);
  return socket;
}

}  // namespace

struct CNteSocket::Holder {
  tcpcontext* context = nullptr;
  nte_conn_handle handle{nullptr, 0};
  nte_parser_fn parser = nullptr;
  nte_sender_fn sender = nullptr;
  int headerLength = 0;
  uint32_t generation = 0;  // engine generation the context belongs to
};

BOOL NteEngineInit(int connections, int hashTables) {
  if (g_engineStarted) return TRUE;
  nte_limits limits;
  nte_limit_clear(&limits);
  limits.max_contexts = 1;
  limits.max_task_worlds = 0;
  limits.max_connections = connections;
  limits.max_hash_tables = hashTables;
  if (nte_initialize_limited(&limits) != 0) {
    NteRecordLastError();
    return FALSE;
  }
  g_engineStarted = true;
  return TRUE;
}

void NteEngineShutdown() {
  if (!g_engineStarted) return;
  nte_finalize();
  g_engineStarted = false;
  ++g_engineGeneration;
}

BOOL NteEnginePoll() {
  if (!g_engineStarted) return FALSE;
  nte_heartbeat();
  return TRUE;
}

BOOL NteEngineIsStarted() { return g_engineStarted ? TRUE : FALSE; }

void NteRecordLastError() { g_lastEngineError = nte_get_last_error(); }

int NteGetLastRecordedError() { return g_lastEngineError; }

int NteCloseCodeFromReason(int reason) {
  switch (reason) {
    case NTE_CLOSE_EOF_OR_IO_ERROR:
      return 2;
    case NTE_CLOSE_ORDERLY:
      return 0;
    case NTE_CLOSE_TIMEOUT_PENDING:
      return 3;
    default:
      if (reason >= 4 && reason <= 9) return ((reason - 3) << 16) | 4;
      return -1;
  }
}

int NteCloseWatcher(conn_t* conn, uint32_t serial, int reason) {
  CNteSocket* socket = SocketOf(conn, serial);
  if (socket == nullptr) return 0;
  socket->OnConnectionClosed(NteCloseCodeFromReason(reason));
  return 0;
}

int NteRecordCallback(conn_t* conn, uint32_t serial, const uint8_t* data, int length) {
  if (!nte_conn_is_valid(conn, serial)) return -1;
  // An empty record carries nothing; the connection stays open.
  if (length <= 0) return 0;
  CNteSocket* socket = SocketOf(conn, serial);
  if (socket == nullptr) return 0;
  // A record can come in the very pass that completes the connect (a
  // server that speaks first): the connect is reported before it.
  socket->PollConnect();
  return socket->OnReceive(data, length);
}

CNteSocket::CNteSocket() = default;

CNteSocket::~CNteSocket() {
  // A context left running would call this object back after its death
  // (the pointer in the state buffer); releasing it calls nobody.
  FreeContext();
  delete m_pHolder;
}

bool CNteSocket::HolderIsCurrent() const {
  return m_pHolder != nullptr && g_engineStarted && m_pHolder->generation == g_engineGeneration;
}

BOOL CNteSocket::SetFraming(int senderIndex, int parserIndex) {
  const nte_sender_fn sender = nte_framing_sender(senderIndex);
  const nte_parser_fn parser = nte_framing_parser(parserIndex);
  if (sender == nullptr || parser == nullptr) {
    FreeContext();
    delete m_pHolder;
    m_pHolder = nullptr;
    return FALSE;
  }
  // A new framing starts from a clean holder; a context of the old one
  // goes first so that nothing is left running without an owner.
  FreeContext();
  delete m_pHolder;
  m_pHolder = new Holder;
  m_pHolder->sender = sender;
  m_pHolder->parser = parser;
  m_pHolder->headerLength = nte_framing_header_bytes[senderIndex];
  return TRUE;
}

BOOL CNteSocket::Connect() {
  if (m_pHolder == nullptr) return FALSE;
  g_lastEngineError = 0;
  if (!HolderIsCurrent()) {
    // The context (if any) died with an earlier engine.
    m_pHolder->context = nullptr;
    nte_conn_clear(&m_pHolder->handle);
  }
  if (!g_engineStarted) {
    g_lastEngineError = NTE_ERR_INVALID;
    return FALSE;
  }

  tcpcontext* ctx = m_pHolder->context;
  if (ctx == nullptr) {
    // The state buffer holds this object's pointer (4 bytes on the
    // 32-bit target).
    ctx = nte_tcpcontext_create(0, nullptr, 0, 1, GetReadBufferSize(), GetWriteBufferSize(), GetTimeoutSeconds(),
                                GetCipherFlags(), GetKeyLength(), 1, 0, static_cast<int>(sizeof(CNteSocket*)));
    if (ctx == nullptr) {
      NteRecordLastError();
      return FALSE;
    }
    m_pHolder->context = ctx;
    m_pHolder->generation = g_engineGeneration;
  }
  nte_tcpcontext_set_conn_parser(ctx, m_pHolder->parser, NteRecordCallback);
  nte_tcpcontext_set_records_per_pass(ctx, GetRecordsPerPass());
  nte_tcpcontext_set_conn_closewatcher(ctx, NteCloseWatcher);

  const nte_conn_handle h = tcpcontext_connect(ctx, GetHost(), GetPort());
  if (nte_conn_is_valid(h.conn, h.serial)) {
    m_pHolder->handle = h;
    int size = 0;
    void* state = nte_conn_get_state_buffer(h.conn, h.serial, &size);
    if (state != nullptr && size >= static_cast<int>(sizeof(CNteSocket*))) {
      CNteSocket* self = this;
      std::memcpy(state, &self, sizeof self);
    }
    m_nState = kConnecting;
    OnConnecting();
    return TRUE;
  }

  NteRecordLastError();
  OnConnectResult(GetConnectFailCode());
  // The report above may already have released the holder (a handler
  // that closes the socket); look again before cleaning up.
  if (m_pHolder != nullptr && m_pHolder->context == ctx) {
    nte_tcpcontext_cleanup(ctx);
    m_pHolder->context = nullptr;
    nte_conn_clear(&m_pHolder->handle);
  }
  return FALSE;
}

int CNteSocket::Disconnect() {
  if (m_pHolder == nullptr) return 0;
  if (HolderIsCurrent() && nte_conn_is_valid(m_pHolder->handle.conn, m_pHolder->handle.serial)) {
    nte_conn_close(m_pHolder->handle.conn, m_pHolder->handle.serial);
    // With no time-out left, output still pending at the next pass
    // ends the connection (close code 3) instead of holding it.
    nte_conn_set_timeout(m_pHolder->handle.conn, m_pHolder->handle.serial, 0);
  }
  return 1;
}

void CNteSocket::FreeContext() {
  if (m_pHolder == nullptr || m_pHolder->context == nullptr) return;
  if (HolderIsCurrent()) nte_tcpcontext_cleanup(m_pHolder->context);
  m_pHolder->context = nullptr;
  nte_conn_clear(&m_pHolder->handle);
  // The connection went with its context, without a close report: the
  // socket must not go on saying it connects or is connected.
  if (m_nState == kConnecting || m_nState == kConnected) m_nState = kClosed;
}

bool CNteSocket::IsConnected() const {
  return HolderIsCurrent() && nte_conn_is_valid(m_pHolder->handle.conn, m_pHolder->handle.serial) != 0;
}

void CNteSocket::Close() {
  Disconnect();
  FreeContext();
}

void CNteSocket::Poll(int n) {
  for (int i = 0; i < n; ++i) {
    if (NteEnginePoll()) PollConnect();
  }
}

void CNteSocket::PollConnect() {
  if (m_nState != kConnecting || m_pHolder == nullptr) return;
  if (!IsConnected()) {
    m_nState = kClosed;
    OnConnectResult(GetConnectFailCode());
  } else if (nte_conn_writable(m_pHolder->handle.conn, m_pHolder->handle.serial) > 0) {
    m_nState = kConnected;
    OnConnectResult(GetConnectOkCode());
  }
}

BOOL CNteSocket::Send(const void* data, int length) {
  if (m_pHolder == nullptr || !HolderIsCurrent() || length < 0) return FALSE;
  if (length > INT_MAX - m_pHolder->headerLength) return FALSE;
  const int needed = length + m_pHolder->headerLength;
  // The room test comes first so that a record is never queued in part.
  if (nte_conn_writable(m_pHolder->handle.conn, m_pHolder->handle.serial) < needed) return FALSE;
  const int r = m_pHolder->sender(m_pHolder->handle.conn, m_pHolder->handle.serial, data, length);
  return r == needed ? TRUE : FALSE;
}
