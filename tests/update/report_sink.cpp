#include "tests/update/report_sink.h"

namespace {
const char kClassName[] = "QuorlDownloadReportSink";
}

ReportSink::ReportSink() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &ReportSink::WndProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = kClassName;
  ::RegisterClassA(&wc);  // fails harmlessly when already registered
  m_hwnd = ::CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  ::SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

ReportSink::~ReportSink() {
  if (m_hwnd != nullptr) ::DestroyWindow(m_hwnd);
}

LRESULT CALLBACK ReportSink::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kMessage) {
    auto* self = reinterpret_cast<ReportSink*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self != nullptr) {
      const DownloadReport r{static_cast<int>(wParam), lParam, ::InSendMessage() != FALSE};
      self->m_reports.push_back(r);
      if (self->onReport != nullptr) self->onReport(*self, r, self->context);
    }
    return 0;
  }
  return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

int ReportSink::endCode() const {
  for (const DownloadReport& r : m_reports) {
    if (r.kind != 1 && r.kind != 2 && r.kind != 3) return r.kind;
  }
  return -1;
}

LPARAM ReportSink::endValue() const {
  for (const DownloadReport& r : m_reports) {
    if (r.kind != 1 && r.kind != 2 && r.kind != 3) return r.value;
  }
  return 0;
}

void ReportSink::Pump(DWORD ms) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    const DWORD spent = ::GetTickCount() - start;
    if (spent >= ms) return;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
  }
}

bool ReportSink::WaitForEnd(DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (endCode() < 0) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    if (endCode() >= 0) break;
    const DWORD spent = ::GetTickCount() - start;
    if (spent >= timeoutMs) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - spent < 50 ? timeoutMs - spent : 50, QS_ALLINPUT);
  }
  return true;
}
