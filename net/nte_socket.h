// CNteSocket: an object face on the network engine.  It owns one engine
// context and one connection and turns the engine's callbacks into virtual
// calls.  Everything runs on the thread that calls Poll.
#pragma once

#include <cstdint>

#include "framework/afxcore.h"
#include "net/nte/nte_framing.h"
#include "net/nte/nte_tcp.h"

// --- process-wide socket layer --------------------------------------------

// Starts the engine for at most `connections` connections, one context, no
// task worlds and `hashTables` hash tables, over the transport its owner
// installed (nte_set_transport).  TRUE on success (also when it already
// runs); FALSE with the engine's error kept (NteRecordLastError): -6 when no
// transport is installed.
BOOL NteEngineInit(int connections, int hashTables);
// Stops the engine when it runs.  Contexts and connections die with it.
void NteEngineShutdown();
// One engine pass when the engine runs: TRUE; else FALSE.
BOOL NteEnginePoll();
// TRUE between NteEngineInit and NteEngineShutdown.
BOOL NteEngineIsStarted();
// Copies the engine's last error into the socket layer's last error.
void NteRecordLastError();
// The socket layer's last engine error (shown with a connect failure).
int NteGetLastRecordedError();
// The close code a socket reports for an engine close reason:
// 1 -> 2, 2 -> 0, 3 -> 3, 4..9 -> ((reason - 3) << 16) | 4, other -> -1.
int NteCloseCodeFromReason(int reason);
// Engine callbacks installed by CNteSocket::Connect.  The socket is the
// pointer kept in the connection's state buffer.
int NteCloseWatcher(conn_t* conn, uint32_t serial, int reason);
int NteRecordCallback(conn_t* conn, uint32_t serial, const uint8_t* data, int length);

class CNteSocket : public CObject {
  DECLARE_DYNAMIC(CNteSocket)
 public:
  enum SocketState : int32_t {
    kIdle = 0,
    kConnecting = 1,
    kConnected = 2,
    kClosed = 3,
  };

  CNteSocket();
  ~CNteSocket() override;
  CNteSocket(const CNteSocket&) = delete;
  CNteSocket& operator=(const CNteSocket&) = delete;

  // Chooses the framing of both directions by index (0 16-bit length,
  // 1 32-bit length, 2 text line, 3 raw).  FALSE for another index, which
  // also drops the holder (and its context).
  virtual BOOL SetFraming(int senderIndex, int parserIndex);
  // Disconnect, then FreeContext.
  virtual void Close();
  // n times: one engine pass, then PollConnect.
  virtual void Poll(int n);
  // While connecting: reports connect failure when the connection is gone,
  // or success once it is writable.
  virtual void PollConnect();

  virtual const char* GetHost() const { return nullptr; }
  virtual uint16_t GetPort() const { return 0; }
  virtual int GetTimeoutSeconds() const { return 120; }
  virtual int GetReadBufferSize() const { return 4096; }
  virtual int GetWriteBufferSize() const { return 4096; }
  virtual int GetCipherFlags() const { return 0; }
  virtual int GetKeyLength() const { return 0; }
  virtual int GetRecordsPerPass() const { return 1; }
  virtual void OnConnecting() {}
  // Queues one whole record: TRUE, or FALSE with nothing queued (no
  // holder, not connected, or not room for the record and its header).
  virtual BOOL Send(const void* data, int length);
  virtual void OnConnectResult(int code) {}
  virtual void OnErrorCode(int code) {}
  virtual int GetConnectOkCode() const { return 0; }
  virtual int GetConnectFailCode() const { return -1; }
  // One received record; a negative result closes the connection as a
  // protocol error.
  virtual int OnReceive(const uint8_t* data, int length) { return 0; }
  // The engine released the connection with this close code.
  virtual void OnConnectionClosed(int code) { m_nState = kClosed; }

  // Starts a connect to GetHost():GetPort().  TRUE while it is under way
  // (state 1); FALSE when there is no holder or it could not start (then
  // OnConnectResult(GetConnectFailCode()) was called).
  BOOL Connect();
  // Starts an orderly close of the connection: 1, or 0 without a holder.
  // The close is reported by a later Poll.
  int Disconnect();
  // Releases the engine context (after the close was reported).  A
  // connection still open goes with it, unreported; the state becomes
  // "closed" if it said connecting or connected.
  void FreeContext();
  // TRUE while the connection handle is valid.
  bool IsConnected() const;
  int GetState() const { return m_nState; }

 protected:
  struct Holder;

  Holder* m_pHolder = nullptr;  // owned
  int32_t m_nState = kIdle;
  int32_t m_nReserved = 0;

 private:
  friend int NteCloseWatcher(conn_t*, uint32_t, int);
  bool HolderIsCurrent() const;
};
