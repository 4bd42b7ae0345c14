// A message-only window that collects a download session's reports, for
// the tests of the session under Wine.
#pragma once

#include <windows.h>

#include <vector>

struct DownloadReport {
  int kind;      // wParam: report kind or end code
  LPARAM value;  // lParam
  bool sent;     // delivered by SendMessage (else posted)
};

class ReportSink {
 public:
  static constexpr UINT kMessage = WM_APP + 0x201;

  ReportSink();
  ~ReportSink();
  ReportSink(const ReportSink&) = delete;
  ReportSink& operator=(const ReportSink&) = delete;

  HWND hwnd() const { return m_hwnd; }
  const std::vector<DownloadReport>& reports() const { return m_reports; }
  // The first end code (any kind but 1, 2 and 3), or -1 while none came.
  int endCode() const;
  LPARAM endValue() const;
  // Pumps messages until an end code has come or timeoutMs passed; true
  // when it came.
  bool WaitForEnd(DWORD timeoutMs);
  // Pumps messages for ms.
  void Pump(DWORD ms);
  // Called inside the handler of each report (before it returns).
  void (*onReport)(ReportSink& sink, const DownloadReport& report, void* context) = nullptr;
  void* context = nullptr;

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  HWND m_hwnd = nullptr;
  std::vector<DownloadReport> m_reports;
};
