#include "tests/support/stuck_report_win.h"

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <mutex>
#include <string>

namespace test_support {

namespace {

// What the watchdog knows of the test that runs; never freed, as the
// watchdog thread lives until the process ends.
struct RunningTest {
  std::mutex mutex;
  std::string name;
  DWORD thread = 0;
  DWORD start = 0;
  bool running = false;
  bool reported = false;
  DWORD afterMs = 0;
};

void WriteErr(const std::string& text) {
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string Utf8(const wchar_t* text) {
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

// A window's class and text.  InternalGetWindowText sends no message: the
// window's thread may be the one that is stuck.
std::string Describe(HWND wnd) {
  if (wnd == nullptr) return "none";
  char cls[64] = {};
  ::GetClassNameA(wnd, cls, sizeof cls);
  wchar_t text[256] = {};
  ::InternalGetWindowText(wnd, text, 256);
  DWORD pid = 0;
  const DWORD tid = ::GetWindowThreadProcessId(wnd, &pid);
  char line[512];
  std::snprintf(line, sizeof line, "%p class \"%s\" text \"%s\" process %lu thread %lu%s", static_cast<void*>(wnd), cls,
                Utf8(text).c_str(), static_cast<unsigned long>(pid), static_cast<unsigned long>(tid),
                ::IsWindow(wnd) ? "" : " (gone)");
  return line;
}

struct WindowList {
  DWORD pid;
  DWORD testThread;
  std::string out;
};

BOOL CALLBACK ListWindow(HWND wnd, LPARAM param) {
  auto* list = reinterpret_cast<WindowList*>(param);
  DWORD pid = 0;
  const DWORD tid = ::GetWindowThreadProcessId(wnd, &pid);
  if (pid != list->pid) return TRUE;
  list->out += "  window " + Describe(wnd);
  if (tid == list->testThread) list->out += " (the test's thread)";
  list->out += ::IsWindowVisible(wnd) ? ", visible" : ", hidden";
  if (!::IsWindowEnabled(wnd)) list->out += ", disabled";
  if (HWND owner = ::GetWindow(wnd, GW_OWNER)) list->out += ", owner " + Describe(owner);
  // A message box's text.
  if (HWND text = ::GetDlgItem(wnd, 0xFFFF)) {
    wchar_t buf[256] = {};
    ::InternalGetWindowText(text, buf, 256);
    list->out += ", says \"" + Utf8(buf) + "\"";
  }
  list->out += "\n";
  return TRUE;
}

std::string DesktopName(HDESK desktop) {
  wchar_t name[128] = {};
  DWORD needed = 0;
  if (desktop == nullptr || !::GetUserObjectInformationW(desktop, UOI_NAME, name, sizeof name, &needed))
    return "(unknown)";
  return name[0] != L'\0' ? Utf8(name) : "(no name)";
}

std::string Processes() {
  std::string out;
  HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return out;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snap, &entry); more; more = ::Process32NextW(snap, &entry)) {
    char line[400];
    std::snprintf(line, sizeof line, "  process %lu (parent %lu) %s\n", static_cast<unsigned long>(entry.th32ProcessID),
                  static_cast<unsigned long>(entry.th32ParentProcessID), Utf8(entry.szExeFile).c_str());
    out += line;
  }
  ::CloseHandle(snap);
  return out;
}

// Under Wine, winedbg prints every thread's stack of every process onto
// this program's stderr; it attaches to each process in turn and lets it
// go on.
void PrintAllStacks() {
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  if (ntdll == nullptr || ::GetProcAddress(ntdll, "wine_get_version") == nullptr) return;
  HANDLE err = nullptr;
  if (!::DuplicateHandle(::GetCurrentProcess(), ::GetStdHandle(STD_ERROR_HANDLE), ::GetCurrentProcess(), &err, 0, TRUE,
                         DUPLICATE_SAME_ACCESS))
    return;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = err;
  startup.hStdError = err;
  PROCESS_INFORMATION process = {};
  char command[] = "winedbg --command \"bt all\"";
  if (::CreateProcessA(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    if (::WaitForSingleObject(process.hProcess, 120000) != WAIT_OBJECT_0) WriteErr("winedbg did not finish\n");
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  } else {
    WriteErr("cannot start winedbg\n");
  }
  ::CloseHandle(err);
}

void Report(const std::string& name, DWORD testThread, DWORD elapsedMs) {
  char head[512];
  std::snprintf(head, sizeof head, "\n=== STUCK: %s has run for %lu s (process %lu, test thread %lu) ===\n",
                name.c_str(), static_cast<unsigned long>(elapsedMs / 1000),
                static_cast<unsigned long>(::GetCurrentProcessId()), static_cast<unsigned long>(testThread));
  std::string out = head;
  WindowList windows = {::GetCurrentProcessId(), testThread, std::string()};
  ::EnumWindows(&ListWindow, reinterpret_cast<LPARAM>(&windows));
  out += windows.out.empty() ? "  no top-level window of this process\n" : windows.out;
  out += "  desktop \"" + DesktopName(::GetThreadDesktop(testThread)) + "\", window " + Describe(::GetDesktopWindow()) +
         "\n";
  out += "  shell window " + Describe(::GetShellWindow()) + "\n";
  out += "  clipboard open by " + Describe(::GetOpenClipboardWindow()) + ", owned by " +
         Describe(::GetClipboardOwner()) + "\n";
  out += Processes();
  WriteErr(out);
  PrintAllStacks();
  WriteErr("=== end of the report on " + name + " ===\n");
}

DWORD WINAPI Watch(LPVOID param) {
  auto* test = static_cast<RunningTest*>(param);
  for (;;) {
    ::Sleep(1000);
    std::string name;
    DWORD thread = 0, elapsed = 0;
    {
      std::lock_guard<std::mutex> lock(test->mutex);
      if (!test->running || test->reported) continue;
      elapsed = ::GetTickCount() - test->start;
      if (elapsed < test->afterMs) continue;
      test->reported = true;
      name = test->name;
      thread = test->thread;
    }
    Report(name, thread, elapsed);
  }
}

class StuckTestListener : public ::testing::EmptyTestEventListener {
 public:
  explicit StuckTestListener(RunningTest* test) : m_test(test) {}
  void OnTestStart(const ::testing::TestInfo& info) override {
    std::lock_guard<std::mutex> lock(m_test->mutex);
    m_test->name = std::string(info.test_suite_name()) + "." + info.name();
    m_test->thread = ::GetCurrentThreadId();
    m_test->start = ::GetTickCount();
    m_test->running = true;
    m_test->reported = false;
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    std::lock_guard<std::mutex> lock(m_test->mutex);
    m_test->running = false;
  }

 private:
  RunningTest* m_test;
};

}  // namespace

void ReportStuckTests(DWORD afterMs) {
  auto* test = new RunningTest;
  test->afterMs = afterMs;
  ::testing::UnitTest::GetInstance()->listeners().Append(new StuckTestListener(test));
  HANDLE watcher = ::CreateThread(nullptr, 0, &Watch, test, 0, nullptr);
  if (watcher != nullptr) ::CloseHandle(watcher);
}

}  // namespace test_support
