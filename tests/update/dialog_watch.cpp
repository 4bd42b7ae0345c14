#include "tests/update/dialog_watch.h"

#include <algorithm>

namespace update_test {

std::wstring Widen(const char* utf8) {
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  std::wstring out(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &out[0], n);
  return out;
}

std::wstring WindowTextW(HWND wnd) {
  wchar_t buf[1024] = {};
  ::GetWindowTextW(wnd, buf, 1024);
  return buf;
}

namespace {

BOOL CALLBACK CollectDialogs(HWND wnd, LPARAM lParam) {
  char cls[32] = {};
  ::GetClassNameA(wnd, cls, sizeof cls);
  if (std::string(cls) == "#32770" && ::IsWindowVisible(wnd))
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(wnd);
  return TRUE;
}

}  // namespace

DialogWatcher::DialogWatcher(Handler handler, DWORD thread)
    : m_handler(std::move(handler)), m_thread(thread), m_worker([this] { Loop(); }) {}

DialogWatcher::~DialogWatcher() {
  m_stop = true;
  m_worker.join();
}

std::vector<SeenDialog> DialogWatcher::Seen() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_seen;
}

void DialogWatcher::Loop() {
  while (!m_stop) {
    std::vector<HWND> dialogs;
    ::EnumThreadWindows(m_thread, &CollectDialogs, reinterpret_cast<LPARAM>(&dialogs));
    for (HWND wnd : dialogs) {
      if (std::find(m_handled.begin(), m_handled.end(), wnd) != m_handled.end()) continue;
      m_handled.push_back(wnd);
      SeenDialog seen;
      seen.hwnd = wnd;
      seen.caption = WindowTextW(wnd);
      HWND text = ::GetDlgItem(wnd, 0xFFFF);
      if (text == nullptr) text = ::GetDlgItem(wnd, 1026);
      if (text != nullptr) seen.text = WindowTextW(text);
      {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_seen.push_back(seen);
      }
      m_handler(seen);
    }
    // Forget dialogs that are gone, so that a reused handle counts as new.
    m_handled.erase(std::remove_if(m_handled.begin(), m_handled.end(), [](HWND wnd) { return !::IsWindow(wnd); }),
                    m_handled.end());
    ::Sleep(20);
  }
}

void Press(HWND dialog, int id) {
  ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (pred()) return true;
    if (::GetTickCount() - start >= timeoutMs) return false;
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    ::Sleep(10);
  }
}

}  // namespace update_test
