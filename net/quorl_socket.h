// CQuorlSocket: the launcher's one connection to the login server.  Its
// Notify forwards to the handler the launcher installs.
#pragma once

#include <cstdint>

#include "net/game_base_socket.h"

// The launcher's receiver of socket events (same arguments as Notify).
typedef int (*QuorlNotifyHandler)(int nType, int nA, int nB, int nP, intptr_t nQ);

class CQuorlSocket : public CHalvaneOnlineGameBaseSocket {
    DECLARE_DYNAMIC(CQuorlSocket)
public:
    CQuorlSocket() = default;
    ~CQuorlSocket() override = default;

    int GetTimeoutSeconds() const override { return 600; }
    int GetRecordsPerPass() const override { return 10; }
    // Forwards to the installed handler (0 when there is none).
    int Notify(int nType, int nA, int nB, int nP, intptr_t nQ) override;

    // Installs the receiver of Notify; null removes it.
    void SetNotifyHandler(QuorlNotifyHandler handler) { m_pfnHandler = handler; }
    QuorlNotifyHandler GetNotifyHandler() const { return m_pfnHandler; }

private:
    QuorlNotifyHandler m_pfnHandler = nullptr;
};

// The launcher's login socket, constructed at start-up, destroyed at exit.
extern CQuorlSocket g_quorlSocket;
