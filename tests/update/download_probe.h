// The download workers seen from inside, for the tests under Wine: the
// flags each request was opened with, the end each worker came to (and that
// it ended at all), one injected fault at a step of the run, and a hook at
// each step.  Installed for the
// probe's lifetime; its destructor waits for the workers it has seen start.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "update/http_session.h"

class TestDownloadProbe : public CDownloadProbe {
 public:
  struct End {
    int code;
    LPARAM value;
  };

  TestDownloadProbe() { SetDownloadProbe(this); }
  ~TestDownloadProbe() override {
    SetDownloadProbe(nullptr);
    // A worker still running uses this object: wait for it (a blocked read
    // ends by the receive time-out at the latest).
    WaitFor([this] { return m_ends.size() >= m_starts; }, 150000);
  }
  TestDownloadProbe(const TestDownloadProbe&) = delete;
  TestDownloadProbe& operator=(const TestDownloadProbe&) = delete;

  // The next `times` passes of step fail with error, or throw a
  // std::runtime_error (an exception no platform class throws) when
  // foreign is set.
  void FailAt(DownloadStep step, DWORD error, int times = 1, bool foreign = false) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_step = step;
    m_error = error;
    m_times = times;
    m_foreign = foreign;
  }
  // Every pass of step waits ms first.
  void DelayAt(DownloadStep step, DWORD ms) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_delayStep = step;
    m_delayMs = ms;
  }
  // Runs on the worker's thread once its end code went out.
  std::function<void(int code)> onEnd;
  // Runs on the worker's thread before each step (before any delay or
  // fault of the step); it may block the worker there.
  std::function<void(DownloadStep step)> onStep;

  std::vector<DWORD> Flags() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_flags;
  }
  std::vector<End> Ends() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_ends;
  }
  // Pumps this thread's messages until n workers have ended or timeoutMs
  // passed; true when they have.
  bool WaitForEnds(size_t n, DWORD timeoutMs) {
    return WaitFor([&] { return m_ends.size() >= n; }, timeoutMs);
  }

  void OnRequest(DWORD flags) override {
    std::lock_guard<std::mutex> hold(m_lock);
    m_flags.push_back(flags);
  }
  DWORD Fault(DownloadStep step) override {
    if (onStep) onStep(step);
    DWORD delay = 0;
    {
      std::lock_guard<std::mutex> hold(m_lock);
      if (step == m_delayStep) delay = m_delayMs;
    }
    if (delay != 0) ::Sleep(delay);
    std::lock_guard<std::mutex> hold(m_lock);
    if (step == DownloadStep::kOpenSession) ++m_starts;
    if (step != m_step || m_times <= 0) return 0;
    --m_times;
    if (m_foreign) throw std::runtime_error("injected");
    return m_error;
  }
  void OnWorkerEnd(int code, LPARAM value) override {
    if (onEnd) onEnd(code);
    std::lock_guard<std::mutex> hold(m_lock);
    m_ends.push_back(End{code, value});
  }

 private:
  bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
      {
        std::lock_guard<std::mutex> hold(m_lock);
        if (done()) return true;
      }
      // Reports are sent to the waiting thread: keep delivering them.  A
      // quit is put back for the test to see, and not pumped past.
      MSG msg;
      bool quit = false;
      while (!quit && ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
          ::PostQuitMessage(static_cast<int>(msg.wParam));
          quit = true;
        } else {
          ::DispatchMessageA(&msg);
        }
      }
      if (::GetTickCount() - start >= timeoutMs) return false;
      if (quit) {
        ::Sleep(20);
      } else {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      }
    }
  }

  mutable std::mutex m_lock;
  DownloadStep m_step = DownloadStep::kOpenSession;
  DWORD m_error = 0;
  int m_times = 0;
  bool m_foreign = false;
  DownloadStep m_delayStep = DownloadStep::kOpenSession;
  DWORD m_delayMs = 0;
  size_t m_starts = 0;
  std::vector<DWORD> m_flags;
  std::vector<End> m_ends;
};
