#include "net/quorl_socket.h"

IMPLEMENT_DYNAMIC(CQuorlSocket, CHalvaneOnlineGameBaseSocket)

int CQuorlSocket::Notify(int nType, int nA, int nB, int nP, intptr_t nQ) {
  return m_pHandler != nullptr ? DeliverLoginNotify(*m_pHandler, nType, nA, nB, nP, nQ) : 0;
}

CLoginEvents* CQuorlSocket::SetEventHandler(CLoginEvents* handler) {
  CLoginEvents* previous = m_pHandler;
  m_pHandler = handler;
  return previous;
}
