#include "net/game_base_socket.h"

#include "net/login_messages.h"
#include "net/system_tick.h"

IMPLEMENT_DYNAMIC(CHalvaneOnlineGameBaseSocket, CNteSocket)

namespace {

// Hands the decoders' notifications to the socket's own Notify.
class CSocketSink : public CLoginNotifySink {
 public:
  explicit CSocketSink(CHalvaneOnlineGameBaseSocket& socket) : m_socket(socket) {}
  int Notify(int nType, int nA, int nB, int nP, intptr_t nQ) override { return m_socket.Notify(nType, nA, nB, nP, nQ); }

 private:
  CHalvaneOnlineGameBaseSocket& m_socket;
};

}  // namespace

CHalvaneOnlineGameBaseSocket::~CHalvaneOnlineGameBaseSocket() {
  // The context and the engine are the owner's to end (Close) before.
  Disconnect();
}

BOOL CHalvaneOnlineGameBaseSocket::Initialize() {
  if (!NteEngineInit(1, 0)) return FALSE;
  return SetFraming(NTE_FRAMING_U16_LENGTH, NTE_FRAMING_U16_LENGTH);
}

int CHalvaneOnlineGameBaseSocket::Connect(const char* host, uint16_t port, int mode) {
  if (mode < kModePlain || mode > kModeCipher3) return -1;
  m_nMode = static_cast<uint8_t>((m_nMode & 0xF0) | (mode & 0x0F));
  m_strHost = host != nullptr ? host : "";
  m_nPort = port;
  switch (mode) {
    case kModePlain:
      m_nCipherFlags = 0;
      m_nKeyLength = 0;
      break;
    case kModeCipher2:
      m_nCipherFlags = GetMode2CipherFlags();
      m_nKeyLength = GetMode2KeyLength();
      break;
    default:
      m_nCipherFlags = NTE_CIPHER_BLOWFISH;
      m_nKeyLength = 16;
      break;
  }
  m_bReady = 0;
  return CNteSocket::Connect() ? 0 : -1;
}

int CHalvaneOnlineGameBaseSocket::SendVersionRequest(uint32_t serviceCode, const CCheckVerInfo* rows, int count) {
  if (count <= 0 || rows == nullptr) return 0;
  uint8_t body[kVersionRequestBufferSize];
  const int n = BuildVersionRequest(serviceCode, rows, count, body, sizeof body);
  if (n < 0) return n;
  return Send(body, n);
}

int CHalvaneOnlineGameBaseSocket::SendVersionRequest(uint32_t serviceCode, const std::vector<CCheckVerInfo>& rows) {
  return SendVersionRequest(serviceCode, rows.data(), static_cast<int>(rows.size()));
}

int CHalvaneOnlineGameBaseSocket::SendKeepAlive() {
  switch (GetMode()) {
    case kModePlain: {
      uint8_t body[kKeepAliveSize];
      BuildKeepAlive(GetSystemTickMs(), body);
      return Send(body, kKeepAliveSize);
    }
    case kModeCipher2:
      return SendKeepAliveMode2();
    default:
      return 1;
  }
}

void CHalvaneOnlineGameBaseSocket::Close() {
  CNteSocket::Close();
  NteEngineShutdown();
}

BOOL CHalvaneOnlineGameBaseSocket::Send(const void* data, int length) {
  if (m_nState == kConnected || m_nState == kClosed) return CNteSocket::Send(data, length);
  if (m_bReady != 0) {
    m_bReady = 0;
    OnError(0, 2);
  }
  return FALSE;
}

int CHalvaneOnlineGameBaseSocket::OnReceive(const uint8_t* data, int length) {
  switch (GetMode()) {
    case kModePlain:
      return DispatchMessage(data, length);
    case kModeCipher2:
      return DispatchMode2(data, length);
    case kModeCipher3:
      return DispatchMode3(data, length);
    default:
      return -1;
  }
}

void CHalvaneOnlineGameBaseSocket::OnConnectionClosed(int code) {
  m_nState = kClosed;
  OnClosed(code);
}

void CHalvaneOnlineGameBaseSocket::OnConnected(int code) {
  if (code == 0) {
    m_bReady = 1;
    Notify(kNotifyConnected, 0, 0, 0, 0);
  } else {
    Disconnect();
    Notify(kNotifyConnectFailed, 0, 0, code, 0);
  }
}

void CHalvaneOnlineGameBaseSocket::OnClosed(int code) {
  m_bReady = 0;
  Disconnect();
  Notify(kNotifyClosed, 0, 0, code, 0);
}

void CHalvaneOnlineGameBaseSocket::OnError(int a, int b) {
  m_bReady = 0;
  Disconnect();
  Notify(kNotifyError, 0, 0, a, b);
}

int CHalvaneOnlineGameBaseSocket::DispatchMessage(const uint8_t* data, int length) {
  CSocketSink sink(*this);
  return DispatchLoginMessage(data, length, sink);
}

int CHalvaneOnlineGameBaseSocket::ParseFlagNotify(const uint8_t* data, int length) {
  CSocketSink sink(*this);
  return ::ParseFlagNotify(data, length, sink);
}
