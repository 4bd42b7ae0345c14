// CQuorlSocket: the launcher's one connection to the login server.  Its
// Notify hands every event, typed, to the receiver installed for the
// duration of a check (CLoginEventsScope); with none installed they go
// nowhere.
#pragma once

#include <cstdint>

#include "net/game_base_socket.h"
#include "net/login_events.h"

class CQuorlSocket : public CHalvaneOnlineGameBaseSocket {
  DECLARE_DYNAMIC(CQuorlSocket)
 public:
  CQuorlSocket() = default;
  ~CQuorlSocket() override = default;

  int GetTimeoutSeconds() const override { return 600; }
  int GetRecordsPerPass() const override { return 10; }
  // Forwards to the installed receiver through DeliverLoginNotify (0).
  int Notify(int nType, int nA, int nB, int nP, intptr_t nQ) override;

  // Installs the receiver of Notify (null removes it); returns the one it
  // replaces.  The receiver must outlive its installation.
  CLoginEvents* SetEventHandler(CLoginEvents* handler);
  CLoginEvents* GetEventHandler() const { return m_pHandler; }

 private:
  CLoginEvents* m_pHandler = nullptr;
};

// Installs a receiver on a socket for the life of the object (one check),
// then puts back whatever was installed before.
class CLoginEventsScope {
 public:
  CLoginEventsScope(CQuorlSocket& socket, CLoginEvents& events)
      : m_socket(socket), m_pPrevious(socket.SetEventHandler(&events)) {}
  ~CLoginEventsScope() { m_socket.SetEventHandler(m_pPrevious); }
  CLoginEventsScope(const CLoginEventsScope&) = delete;
  CLoginEventsScope& operator=(const CLoginEventsScope&) = delete;

 private:
  CQuorlSocket& m_socket;
  CLoginEvents* m_pPrevious;
};

// The launcher's login socket, constructed at start-up, destroyed at exit.
extern CQuorlSocket g_quorlSocket;
