// A stopwatch over a millisecond tick, in whole seconds: the wait for the
// login server's answer and the retry dialog's own minute.  The tick is
// given by the caller (the version check takes its host's), or read from
// the update clock by the forms without one.
#pragma once

#include <cstdint>

#include "framework/afxtypes.h"

class CElapsedTimer {
 public:
  // running := 1, last tick := now.
  void Start(uint32_t now);
  // last tick := now, accumulated := 0; running is left as it is.
  void Reset(uint32_t now);
  // While running, adds the ticks since the last call (one less across the
  // tick counter's wrap, as TickDiff counts); the whole seconds so far.
  uint32_t ElapsedSeconds(uint32_t now);

  // The same with the update clock's tick (UpdateTickNow).
  void Start();
  void Reset();
  uint32_t ElapsedSeconds();

  BOOL IsRunning() const { return m_bRunning; }

 private:
  BOOL m_bRunning = FALSE;
  uint32_t m_lastTick = 0;
  uint32_t m_accumulated = 0;
};
