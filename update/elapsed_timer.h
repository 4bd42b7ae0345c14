// A stopwatch over the update clock's ticks, in whole seconds: the wait for
// the login server's answer and the retry dialog's own minute.
#pragma once

#include <cstdint>

#include "framework/afxtypes.h"

class CElapsedTimer {
 public:
  // running := 1, last tick := now.
  void Start();
  // last tick := now, accumulated := 0; running is left as it is.
  void Reset();
  // While running, adds the ticks since the last call (one less across the
  // tick counter's wrap, as TickDiff counts); the whole seconds so far.
  uint32_t ElapsedSeconds();

  BOOL IsRunning() const { return m_bRunning; }

 private:
  BOOL m_bRunning = FALSE;
  uint32_t m_lastTick = 0;
  uint32_t m_accumulated = 0;
};
