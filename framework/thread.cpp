// Worker threads: AfxBeginThread and the thread object's life.
#include <windows.h>

#include <process.h>

#include "framework/afxapp.h"

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_pfnThreadProc(pfnThreadProc), m_pThreadParams(pParam) {}

CWinThread::~CWinThread() {
  // The application object's m_hThread is a pseudo handle: nothing to close.
  if (m_hThread != nullptr && m_pfnThreadProc != nullptr) ::CloseHandle(m_hThread);
}

unsigned __stdcall CWinThread::ThreadEntry(void* pParam) {
  CWinThread* pThread = static_cast<CWinThread*>(pParam);
  UINT code = static_cast<UINT>(-1);
  try {
    code = pThread->m_pfnThreadProc(pThread->m_pThreadParams);
  } catch (...) {
    AfxProcessEntryException("thread procedure");
    code = static_cast<UINT>(-1);
  }
  // Read the flag only now: the creator may have switched it off while the
  // thread was suspended or running.
  if (pThread->m_bAutoDelete) delete pThread;
  return code;
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
  if (m_pfnThreadProc == nullptr || m_hThread != nullptr) return FALSE;
  // Always start suspended so that m_hThread and m_nThreadID are set
  // before the procedure runs (and, with auto-delete, before it can end).
  unsigned id = 0;
  uintptr_t h = ::_beginthreadex(lpSecurityAttrs, nStackSize, &CWinThread::ThreadEntry, this, CREATE_SUSPENDED, &id);
  if (h == 0) return FALSE;
  m_hThread = reinterpret_cast<HANDLE>(h);
  m_nThreadID = id;
  if (!(dwCreateFlags & CREATE_SUSPENDED)) ::ResumeThread(m_hThread);
  return TRUE;
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
  if (pfnThreadProc == nullptr) return nullptr;
  CWinThread* pThread = new CWinThread(pfnThreadProc, pParam);
  if (!pThread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs)) {
    delete pThread;
    return nullptr;
  }
  pThread->SetThreadPriority(nPriority);
  if (!(dwCreateFlags & CREATE_SUSPENDED)) pThread->ResumeThread();
  return pThread;
}
