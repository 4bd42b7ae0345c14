// CHalvaneOnlineGameBaseSocket: the game-server layer over CNteSocket:
// connect modes, host and port, the login-server message dispatcher and one
// notification slot, Notify(type, a, b, p, q) (see net/login_notify.h).
#pragma once

#include <cstdint>
#include <vector>

#include "framework/cstring.h"
#include "net/check_ver_info.h"
#include "net/login_notify.h"
#include "net/nte_socket.h"

// <windows.h> maps DispatchMessage to DispatchMessageA; the member keeps
// its own name whatever the includer saw before.
#pragma push_macro("DispatchMessage")
#undef DispatchMessage

class CHalvaneOnlineGameBaseSocket : public CNteSocket {
  DECLARE_DYNAMIC(CHalvaneOnlineGameBaseSocket)
 public:
  // Connect modes: 1 plain (the launcher's), 2 and 3 encrypted (their
  // receive paths refuse every record).
  enum ConnectMode : int {
    kModePlain = 1,
    kModeCipher2 = 2,
    kModeCipher3 = 3,
  };
  static constexpr int kBufferSize = 36864;

  CHalvaneOnlineGameBaseSocket() = default;
  ~CHalvaneOnlineGameBaseSocket() override;

  // Starts the engine (one connection, no hash tables) and selects the
  // 16-bit length framing both ways.  TRUE on success.
  BOOL Initialize();
  // Connects to host:port in mode 1, 2 or 3: 0 when the connect is under
  // way, -1 for another mode (nothing changed) or when it could not start
  // (Notify(1, 0, 0, -1, 0) was raised).
  int Connect(const char* host, uint16_t port, int mode);
  // The same as Close: ends the connection, the context and the engine.
  void Shutdown() { Close(); }

  // Message 21: 0 when count <= 0, -2 when the rows do not fit the
  // request buffer (nothing sent), else 1 queued / 0 not.
  int SendVersionRequest(uint32_t serviceCode, const CCheckVerInfo* rows, int count);
  int SendVersionRequest(uint32_t serviceCode, const std::vector<CCheckVerInfo>& rows);
  // Mode 1: message 29 with the system tick, Send's result; mode 2:
  // SendKeepAliveMode2 (0); other modes: 1, nothing sent.
  int SendKeepAlive();

  // CNteSocket
  void Close() override;
  const char* GetHost() const override { return m_strHost; }
  uint16_t GetPort() const override { return m_nPort; }
  int GetReadBufferSize() const override { return kBufferSize; }
  int GetWriteBufferSize() const override { return kBufferSize; }
  int GetCipherFlags() const override { return m_nCipherFlags; }
  int GetKeyLength() const override { return m_nKeyLength; }
  // Sends only once connected; before that a set ready flag is cleared
  // with OnError(0, 2).  Nothing is queued in part.
  BOOL Send(const void* data, int length) override;
  void OnConnectResult(int code) override { OnConnected(code); }
  void OnErrorCode(int code) override { OnError(code, 0); }
  int OnReceive(const uint8_t* data, int length) override;
  void OnConnectionClosed(int code) override;

  // The notification slot; see net/login_notify.h for the types.
  virtual int Notify(int nType, int nA, int nB, int nP, intptr_t nQ) = 0;
  // Code 0: ready, Notify(0, ...); else Disconnect and Notify(1, 0, 0, code, 0).
  virtual void OnConnected(int code);
  // Not ready; Disconnect; Notify(2, 0, 0, code, 0).
  virtual void OnClosed(int code);
  // Not ready; Disconnect; Notify(3, 0, 0, a, b).
  virtual void OnError(int a, int b);
  // Mode 1's receive path: the login-server messages.
  virtual int DispatchMessage(const uint8_t* data, int length);
  virtual int DispatchMode3(const uint8_t* data, int length) { return -1; }
  virtual int DispatchMode2(const uint8_t* data, int length) { return -1; }
  // [id][u8 value] -> Notify(7, id, 0, 0, value != 0).
  virtual int ParseFlagNotify(const uint8_t* data, int length);
  virtual int SendKeepAliveMode2() { return 0; }
  virtual int GetMode2CipherFlags() const { return 1; }
  virtual int GetMode2KeyLength() const { return 8; }

  int GetMode() const { return m_nMode & 0x0F; }
  BOOL IsReady() const { return m_bReady != 0 ? TRUE : FALSE; }

 protected:
  uint8_t m_nMode = 0;
  CString m_strHost;
  uint16_t m_nPort = 0;
  int32_t m_nCipherFlags = 0;
  int32_t m_nKeyLength = 0;
  int32_t m_bReady = 0;
  int32_t m_nReserved2 = 0;
};

#pragma pop_macro("DispatchMessage")
