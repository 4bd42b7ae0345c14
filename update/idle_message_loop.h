// CIdleMessageLoop: the modal wait that every wait of the launcher uses.
// One Run runs the thread's idle work (and with it the network pump) until
// a message waits, then handles every message that comes, woken by a timer
// at the latest after the given milliseconds, so that the windows and the
// engine stay live while the caller waits.
#pragma once

#include <windows.h>

#include "framework/afxapp.h"

class CIdleMessageLoop {
 public:
  // The timer that wakes the loop (on the thread's main window).
  static constexpr UINT_PTR kTimerId = 19990607;

  // Uses the thread's idle handler and message pump; the application's
  // when thread is null.
  explicit CIdleMessageLoop(CWinThread* thread = nullptr);
  virtual ~CIdleMessageLoop();
  CIdleMessageLoop(const CIdleMessageLoop&) = delete;
  CIdleMessageLoop& operator=(const CIdleMessageLoop&) = delete;

  // Idle work while no message waits (OnIdle with a rising count until it
  // answers FALSE), then messages until none waits; unless ms is INFINITE
  // a timer of ms milliseconds makes sure it returns.  1 when WM_QUIT was
  // seen (it is posted again for the caller's loop), else 0.
  int Run(DWORD ms);
  // The idle work starts over at count 0 in the next Run.
  void Reset();

 private:
  CWinThread* m_pThread;
  BOOL m_bIdle = TRUE;
  LONG m_nIdleCount = 0;
};
