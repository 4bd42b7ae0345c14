#include "update/elapsed_timer.h"

#include "framework/tickdiff.h"
#include "update/update_clock.h"

void CElapsedTimer::Start() {
  m_bRunning = TRUE;
  m_lastTick = UpdateTickNow();
}

void CElapsedTimer::Reset() {
  m_lastTick = UpdateTickNow();
  m_accumulated = 0;
}

uint32_t CElapsedTimer::ElapsedSeconds() {
  if (m_bRunning) {
    const uint32_t now = UpdateTickNow();
    // Wraps after 49 days of accumulated waiting; nothing waits that long.
    m_accumulated += TickDiff(m_lastTick, now);
    m_lastTick = now;
  }
  return m_accumulated / 1000u;
}
