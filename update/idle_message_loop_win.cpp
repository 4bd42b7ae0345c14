#include "update/idle_message_loop.h"

CIdleMessageLoop::CIdleMessageLoop(CWinThread* thread) : m_pThread(thread != nullptr ? thread : AfxGetApp()) {}

CIdleMessageLoop::~CIdleMessageLoop() = default;

void CIdleMessageLoop::Reset() {
  m_bIdle = TRUE;
  m_nIdleCount = 0;
}

int CIdleMessageLoop::Run(DWORD ms) {
  if (m_pThread == nullptr) return 0;
  MSG peek;
  while (m_bIdle && !::PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
    if (!m_pThread->OnIdle(m_nIdleCount++)) m_bIdle = FALSE;
  }

  // The timer's WM_TIMER only wakes GetMessage.  On the main window as
  // the launcher has it; a thread without one gets a thread timer, since
  // otherwise nothing would end the wait.
  HWND timerWindow = nullptr;
  UINT_PTR threadTimer = 0;
  if (ms != INFINITE) {
    CWnd* main = m_pThread->GetMainWnd();
    if (main != nullptr && main->m_hWnd != nullptr && ::IsWindow(main->m_hWnd)) {
      timerWindow = main->m_hWnd;
      ::SetTimer(timerWindow, kTimerId, ms, nullptr);
    } else {
      threadTimer = ::SetTimer(nullptr, 0, ms, nullptr);
    }
  }

  int result = 0;
  do {
    if (!m_pThread->PumpMessage()) {
      // The caller's own loop must see the quit too, with its code.
      ::PostQuitMessage(static_cast<int>(m_pThread->m_msgCur.wParam));
      result = 1;
      break;
    }
    if (m_pThread->IsIdleMessage(&m_pThread->m_msgCur)) {
      m_bIdle = TRUE;
      m_nIdleCount = 0;
    }
  } while (::PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE));

  if (timerWindow != nullptr) ::KillTimer(timerWindow, kTimerId);
  if (threadTimer != 0) ::KillTimer(nullptr, threadTimer);
  return result;
}
