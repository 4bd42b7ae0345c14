#include "update/elapsed_timer.h"

#include "framework/tickdiff.h"
#include "update/update_clock.h"

void CElapsedTimer::Start(uint32_t now) {
  m_bRunning = TRUE;
  m_lastTick = now;
}

void CElapsedTimer::Reset(uint32_t now) {
  m_lastTick = now;
  m_accumulated = 0;
}

uint32_t CElapsedTimer::ElapsedSeconds(uint32_t now) {
  if (m_bRunning) {
    // Wraps after 49 days of accumulated waiting; nothing waits that long.
    m_accumulated += TickDiff(m_lastTick, now);
    m_lastTick = now;
  }
  return m_accumulated / 1000u;
}

void CElapsedTimer::Start() { Start(UpdateTickNow()); }

void CElapsedTimer::Reset() { Reset(UpdateTickNow()); }

uint32_t CElapsedTimer::ElapsedSeconds() { return ElapsedSeconds(UpdateTickNow()); }
