// Answers the dialogs and message boxes that the code under test shows on
// this (the user-interface) thread: a helper thread finds each one, reads
// what it shows and acts on it as a user would.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace update_test {

// What a dialog showed when it was found.
struct SeenDialog {
  std::wstring caption;
  std::wstring text;  // the message: the static 0xFFFF of a message box, else control 1026
  HWND hwnd = nullptr;
};

// A UTF-8 text (the tests' own literals) as wide text.
std::wstring Widen(const char* utf8);
std::wstring WindowTextW(HWND wnd);

// Watches one thread's dialogs.  For each new dialog the handler decides
// what to do (press a button, wait, read its controls); it runs on the
// watcher's thread.  The destructor stops watching.
class DialogWatcher {
 public:
  using Handler = std::function<void(const SeenDialog&)>;
  explicit DialogWatcher(Handler handler, DWORD thread = ::GetCurrentThreadId());
  ~DialogWatcher();
  DialogWatcher(const DialogWatcher&) = delete;
  DialogWatcher& operator=(const DialogWatcher&) = delete;

  std::vector<SeenDialog> Seen();

 private:
  void Loop();

  Handler m_handler;
  DWORD m_thread;
  std::atomic<bool> m_stop{false};
  std::mutex m_mutex;
  std::vector<SeenDialog> m_seen;
  std::vector<HWND> m_handled;
  std::thread m_worker;
};

// Presses a button of a dialog as a click would.
void Press(HWND dialog, int id);

// Runs the thread's messages until pred holds or timeoutMs passes.
bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs);

}  // namespace update_test
