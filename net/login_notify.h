// How the socket hands events and decoded messages to the launcher:
// Notify(type, a, b, p, q), always on the user-interface thread.
#pragma once

#include <cstdint>

enum LoginNotifyType : int {
  kNotifyConnected = 0,      // (0, 0, 0, 0, 0)
  kNotifyConnectFailed = 1,  // (1, 0, 0, code, 0)
  kNotifyClosed = 2,         // (2, 0, 0, close code, 0); 0 = orderly or idle
  kNotifyError = 3,          // (3, 0, 0, first value, second value)
  kNotifyMessage = 6,        // (6, id, 0, value, notify object or null)
  kNotifyFlag = 7,           // (7, id, 0, 0, flag 0/1)
};

// Close codes of kNotifyClosed besides 0.
enum LoginCloseCode : int {
  kCloseOrderly = 0,
  kCloseEndOfStream = 2,     // end of stream or an I/O error
  kClosePendingTimeout = 3,  // closed with output pending, time-out passed
  kCloseDecodeError = 0x10004,
  kCloseEncodeError = 0x20004,
  kCloseProtocolError = 0x30004,
};

// The receiver of Notify.  q carries a pointer for messages (valid only
// during the call) and a plain value for errors and flags.
class CLoginNotifySink {
 public:
  virtual int Notify(int nType, int nA, int nB, int nP, intptr_t nQ) = 0;

 protected:
  ~CLoginNotifySink() = default;
};
