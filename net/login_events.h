// The typed face of the socket's fixed notification Notify(type, a, b, p, q).
// The launcher's receiver of socket events and decoded messages implements
// CLoginEvents and sees typed calls; login_events.cpp is the one place that
// turns a message object into the intptr_t that the fixed argument list
// carries and back again.
#pragma once

#include <cstdint>

#include "net/login_notify.h"
#include "net/notify_objects.h"

// Every call runs on the user-interface thread inside the socket's Poll.
// Objects passed by reference live only for the call: copy what you keep.
class CLoginEvents {
 public:
  // Type 0: the connect was reported ready.
  virtual void OnConnected() {}
  // Type 1: the connect failed (code -1, or the code the socket was given).
  virtual void OnConnectFailed(int code) {}
  // Type 2: the connection is gone; 0 orderly, else a LoginCloseCode.
  virtual void OnClosed(int code) {}
  // Type 3: the socket reported an error with two plain values.
  virtual void OnError(int first, intptr_t second) {}
  // Type 6, message 34: a version answer and its result code.
  virtual void OnVersion(const CVersionNotifyObj& answer, int result) {}
  // Type 6, message 36: the short version answer.
  virtual void OnShortVersion(const CVersionNotifyObj& answer, int result) {}
  // Type 6, messages 30 and 31.
  virtual void OnWorldStatus(const CWorldNotifyObj& world) {}
  virtual void OnWorldId(const CWorldNotifyObj& world) {}
  // Type 6, message 32 (no fields).
  virtual void OnSignal() {}
  // Type 6, message 37.
  virtual void OnWorldSiteList(const CWorldSiteListNotifyObj& sites) {}
  // Type 6, message 38.
  virtual void OnByteNotify(uint8_t value) {}
  // Type 7: a flag message.
  virtual void OnFlag(int id, bool flag) {}
  // Anything else: another type, another message id, or a message that
  // came without its object.
  virtual void OnOther(int type, int a, int b, int p, intptr_t q) {}

 protected:
  ~CLoginEvents() = default;
};

// Turns one Notify(type, a, b, p, q) into its typed call on events; 0.
int DeliverLoginNotify(CLoginEvents& events, int type, int a, int b, int p, intptr_t q);

// The decoders' side: hands message id (with its value) and the address of
// its object, or null, to sink as Notify(6, id, 0, value, object); returns
// Notify's result.  object is the CVersionNotifyObj, CWorldNotifyObj or
// CWorldSiteListNotifyObj the id calls for, or the value byte of message 38.
int RaiseLoginMessage(CLoginNotifySink& sink, int id, int value, const void* object);
