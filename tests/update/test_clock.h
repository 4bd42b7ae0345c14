// A settable update clock for tests: the screen's intervals then pass at
// the test's command.
#pragma once

#include <atomic>
#include <cstdint>

#include "update/update_clock.h"

class ScopedTestClock {
 public:
  explicit ScopedTestClock(uint32_t start = 1000) {
    Now().store(start);
    m_previous = SetUpdateTickSource(&Read);
  }
  ~ScopedTestClock() { SetUpdateTickSource(m_previous); }
  ScopedTestClock(const ScopedTestClock&) = delete;
  ScopedTestClock& operator=(const ScopedTestClock&) = delete;

  void Set(uint32_t tick) { Now().store(tick); }
  void Advance(uint32_t ms) { Now().fetch_add(ms); }

 private:
  static std::atomic<uint32_t>& Now() {
    static std::atomic<uint32_t> s_now{0};
    return s_now;
  }
  static uint32_t Read() { return Now().load(); }

  UpdateTickSource m_previous = nullptr;
};
