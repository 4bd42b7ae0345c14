#include "update/network_pump.h"

#include "framework/tickdiff.h"

void CNetworkPump::Start(uint32_t now) {
  m_nInterval = kInterval;
  m_nBase = now;
}

uint32_t CNetworkPump::TakePeriods(uint32_t now) {
  if (m_nInterval == 0) return 0;
  const uint32_t elapsed = TickDiff(m_nBase, now);
  if (elapsed < m_nInterval) return 0;
  const uint32_t n = elapsed / m_nInterval;
  // Computed in 64 bits: base + n x interval may pass the top of the tick
  // counter, and then the base skips the one tick that TickDiff leaves out
  // across the wrap.
  const uint64_t next = static_cast<uint64_t>(m_nBase) + static_cast<uint64_t>(n) * m_nInterval;
  m_nBase = static_cast<uint32_t>(next >= 0xFFFFFFFFull ? next + 1 : next);
  return n;
}
