#include "net/quorl_socket.h"

IMPLEMENT_DYNAMIC(CQuorlSocket, CHalvaneOnlineGameBaseSocket)

int CQuorlSocket::Notify(int nType, int nA, int nB, int nP, intptr_t nQ)
{
    return m_pfnHandler != nullptr ? m_pfnHandler(nType, nA, nB, nP, nQ) : 0;
}
