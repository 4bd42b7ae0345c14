// Finding, reading and answering the dialogs and message boxes that code
// under test shows on a thread (the user-interface thread): from a helper
// thread, as a user would.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace test_support {

// A UTF-8 text (the tests' own literals) and an ANSI text (what the
// program under test formats) as wide text.
std::wstring Widen(const char* utf8);
std::wstring WidenAnsi(const char* ansi);
std::wstring WindowTextW(HWND wnd);

// A visible dialog window ("#32770"); a message box is one whose text sits
// in static 0xFFFF.
bool IsVisibleDialog(HWND wnd);
bool IsMessageBox(HWND wnd);
// The thread's visible dialogs, and its first visible message box (null:
// none).
std::vector<HWND> VisibleDialogs(DWORD thread);
HWND FindMessageBox(DWORD thread);

// What a message box showed.
struct SeenBox {
  std::wstring text, caption;
  bool seen = false;
};
// Watches the thread for its first message box, keeps what it shows and
// presses OK, for as long as the object lives: however late the box comes
// while the call that shows it runs, it is answered (a watcher that gave up
// first would leave the call waiting for ever).  The destructor, after that
// call has returned, stops watching; seen->seen then tells whether a box
// came.
class OkOnFirstBox {
 public:
  OkOnFirstBox(DWORD uiThread, SeenBox* seen);
  ~OkOnFirstBox();
  OkOnFirstBox(const OkOnFirstBox&) = delete;
  OkOnFirstBox& operator=(const OkOnFirstBox&) = delete;

 private:
  std::atomic<bool> m_stop{false};
  std::thread m_worker;
};

// What a dialog showed when it was found.
struct SeenDialog {
  std::wstring caption;
  std::wstring text;  // a message box's static 0xFFFF, else the watcher's text control
  HWND hwnd = nullptr;
};

// Watches one thread's dialogs.  For each new dialog the handler decides
// what to do (press a button, wait, read its controls); it runs on the
// watcher's thread.  textControl names the control that holds the text of
// a dialog that is not a message box (0: none).  The destructor stops
// watching.
class DialogWatcher {
 public:
  using Handler = std::function<void(const SeenDialog&)>;
  DialogWatcher(Handler handler, DWORD thread, int textControl);
  ~DialogWatcher();
  DialogWatcher(const DialogWatcher&) = delete;
  DialogWatcher& operator=(const DialogWatcher&) = delete;

  std::vector<SeenDialog> Seen();

 private:
  void Loop();

  Handler m_handler;
  DWORD m_thread;
  int m_textControl;
  std::atomic<bool> m_stop{false};
  std::mutex m_mutex;
  std::vector<SeenDialog> m_seen;
  std::vector<HWND> m_handled;
  std::thread m_worker;
};

// Presses a button of a dialog as a click would.
void Press(HWND dialog, int id);

}  // namespace test_support
