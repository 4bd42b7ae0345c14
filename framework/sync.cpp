#include "framework/afxmt.h"

BOOL CCriticalSection::Lock(uint32_t nTimeout) {
  if (nTimeout == AFX_INFINITE) {
    m_mutex.lock();
    return TRUE;
  }
  return m_mutex.try_lock_for(std::chrono::milliseconds(nTimeout)) ? TRUE : FALSE;
}

BOOL CCriticalSection::Unlock() {
  m_mutex.unlock();
  return TRUE;
}

CEvent::CEvent(BOOL bInitiallyOwn, BOOL bManualReset)
    : m_bSignalled(bInitiallyOwn != FALSE), m_bManualReset(bManualReset != FALSE) {}

BOOL CEvent::SetEvent() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bSignalled = true;
  }
  if (m_bManualReset) {
    m_cond.notify_all();
  } else {
    m_cond.notify_one();
  }
  return TRUE;
}

BOOL CEvent::ResetEvent() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bSignalled = false;
  return TRUE;
}

BOOL CEvent::Lock(uint32_t nTimeout) {
  std::unique_lock<std::mutex> lock(m_mutex);
  auto ready = [this] { return m_bSignalled; };
  if (nTimeout == AFX_INFINITE) {
    m_cond.wait(lock, ready);
  } else if (!m_cond.wait_for(lock, std::chrono::milliseconds(nTimeout), ready)) {
    return FALSE;
  }
  if (!m_bManualReset) m_bSignalled = false;
  return TRUE;
}

CSingleLock::CSingleLock(CSyncObject* pObject, BOOL bInitialLock) : m_pObject(pObject) {
  if (bInitialLock) Lock();
}

BOOL CSingleLock::Lock(uint32_t nTimeout) {
  if (m_pObject == nullptr || m_bAcquired) return m_bAcquired;
  m_bAcquired = m_pObject->Lock(nTimeout);
  return m_bAcquired;
}

BOOL CSingleLock::Unlock() {
  if (m_pObject != nullptr && m_bAcquired) {
    m_bAcquired = FALSE;
    return m_pObject->Unlock();
  }
  return TRUE;
}
