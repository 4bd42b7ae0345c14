#include "tests/support/dialogs_win.h"

#include "tests/support/test_app_win.h"

#include <algorithm>
#include <cstring>

namespace test_support {

namespace {

std::wstring WidenFrom(UINT codePage, const char* text) {
  const int n = ::MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
  std::wstring out(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) ::MultiByteToWideChar(codePage, 0, text, -1, &out[0], n);
  return out;
}

BOOL CALLBACK CollectDialogs(HWND wnd, LPARAM lParam) {
  if (IsVisibleDialog(wnd)) reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(wnd);
  return TRUE;
}

BOOL CALLBACK FindFirstMessageBox(HWND wnd, LPARAM lParam) {
  if (!IsMessageBox(wnd)) return TRUE;
  *reinterpret_cast<HWND*>(lParam) = wnd;
  return FALSE;
}

}  // namespace

std::wstring Widen(const char* utf8) { return WidenFrom(CP_UTF8, utf8); }

std::wstring WidenAnsi(const char* ansi) { return WidenFrom(CP_ACP, ansi); }

std::wstring WindowTextW(HWND wnd) {
  wchar_t buf[1024] = {};
  ::GetWindowTextW(wnd, buf, 1024);
  return buf;
}

bool IsVisibleDialog(HWND wnd) {
  char cls[32] = {};
  ::GetClassNameA(wnd, cls, sizeof cls);
  return std::strcmp(cls, "#32770") == 0 && ::IsWindowVisible(wnd);
}

bool IsMessageBox(HWND wnd) { return IsVisibleDialog(wnd) && ::GetDlgItem(wnd, 0xFFFF) != nullptr; }

std::vector<HWND> VisibleDialogs(DWORD thread) {
  std::vector<HWND> dialogs;
  ::EnumThreadWindows(thread, &CollectDialogs, reinterpret_cast<LPARAM>(&dialogs));
  return dialogs;
}

HWND FindMessageBox(DWORD thread) {
  HWND box = nullptr;
  ::EnumThreadWindows(thread, &FindFirstMessageBox, reinterpret_cast<LPARAM>(&box));
  return box;
}

OkOnFirstBox::OkOnFirstBox(DWORD uiThread, SeenBox* seen)
    : m_worker([this, uiThread, seen] {
        while (!m_stop) {
          if (HWND box = FindMessageBox(uiThread)) {
            seen->text = WindowTextW(::GetDlgItem(box, 0xFFFF));
            seen->caption = WindowTextW(box);
            seen->seen = true;
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
            return;
          }
          ::Sleep(20);
        }
      }) {}

OkOnFirstBox::~OkOnFirstBox() {
  m_stop = true;
  // It may be reading the box's text from this thread right now.
  JoinAnsweringSentMessages(m_worker);
}

DialogWatcher::DialogWatcher(Handler handler, DWORD thread, int textControl)
    : m_handler(std::move(handler)), m_thread(thread), m_textControl(textControl), m_worker([this] { Loop(); }) {}

DialogWatcher::~DialogWatcher() {
  m_stop = true;
  // It may be reading a dialog's text from this thread right now.
  JoinAnsweringSentMessages(m_worker);
}

std::vector<SeenDialog> DialogWatcher::Seen() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_seen;
}

void DialogWatcher::Loop() {
  while (!m_stop) {
    for (HWND wnd : VisibleDialogs(m_thread)) {
      if (std::find(m_handled.begin(), m_handled.end(), wnd) != m_handled.end()) continue;
      m_handled.push_back(wnd);
      SeenDialog seen;
      seen.hwnd = wnd;
      seen.caption = WindowTextW(wnd);
      HWND text = ::GetDlgItem(wnd, 0xFFFF);
      if (text == nullptr && m_textControl != 0) text = ::GetDlgItem(wnd, m_textControl);
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

}  // namespace test_support
