// Synchronisation objects.  Platform-neutral (standard library underneath),
// so that neutral code can lock as well.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "framework/afxcore.h"

// Timeout value meaning "wait for ever".
constexpr uint32_t AFX_INFINITE = 0xFFFFFFFFu;

class CSyncObject : public CObject {
 public:
  // TRUE when acquired within nTimeout milliseconds.
  virtual BOOL Lock(uint32_t nTimeout = AFX_INFINITE) = 0;
  virtual BOOL Unlock() = 0;
};

// A recursive lock (the same thread may lock it again).  A failing
// construction throws (std::system_error).
class CCriticalSection : public CSyncObject {
 public:
  BOOL Lock(uint32_t nTimeout = AFX_INFINITE) override;
  BOOL Unlock() override;

 private:
  std::recursive_timed_mutex m_mutex;
};

// A manual- or auto-reset event.
class CEvent : public CSyncObject {
 public:
  explicit CEvent(BOOL bInitiallyOwn = FALSE, BOOL bManualReset = FALSE);
  BOOL SetEvent();
  BOOL ResetEvent();
  // Waits until signalled (an auto-reset event is reset by the waiter).
  BOOL Lock(uint32_t nTimeout = AFX_INFINITE) override;
  BOOL Unlock() override { return TRUE; }

 private:
  std::mutex m_mutex;
  std::condition_variable m_cond;
  bool m_bSignalled;
  bool m_bManualReset;
};

// Holds a lock for a scope; unlocks on destruction.
class CSingleLock {
 public:
  explicit CSingleLock(CSyncObject* pObject, BOOL bInitialLock = FALSE);
  ~CSingleLock() { Unlock(); }
  CSingleLock(const CSingleLock&) = delete;
  CSingleLock& operator=(const CSingleLock&) = delete;

  BOOL Lock(uint32_t nTimeout = AFX_INFINITE);
  BOOL Unlock();
  BOOL IsLocked() const { return m_bAcquired; }

 private:
  CSyncObject* m_pObject;
  BOOL m_bAcquired = FALSE;
};
