// The timing of the idle network pump: while a version check runs, the
// application's idle handler polls the login socket once for every whole
// 200 ms period since the last poll.  Neutral: the caller passes the
// millisecond tick (timeGetTime in the program).
#pragma once

#include <cstdint>

class CNetworkPump {
 public:
  static constexpr uint32_t kInterval = 200;

  // Interval 200 ms, counted from now.
  void Start(uint32_t now);
  // Interval 0: the pump does nothing until the next Start.
  void Stop() { m_nInterval = 0; }
  bool IsRunning() const { return m_nInterval != 0; }
  // The whole periods elapsed since the base (TickDiff), with the base
  // moved past them; 0 while stopped or before the first whole period.
  uint32_t TakePeriods(uint32_t now);
  uint32_t GetBase() const { return m_nBase; }

 private:
  uint32_t m_nInterval = 0;
  uint32_t m_nBase = 0;
};
