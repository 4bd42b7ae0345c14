// The framework's start inside a test program: its application object
// (the test's own or the launcher's) set up once, with the common controls
// that the launcher's screens use.
#pragma once

#include <windows.h>

#include <functional>
#include <thread>

namespace test_support {

// AfxWinInit for this module and InitCommonControlsEx (progress bar and
// tabs), the first time only.
void InitTestApp();

// Dispatches the messages now in this thread's queue.  A WM_QUIT in the
// queue (a test's leftover request to end) is dropped.
void PumpPending();

// Dispatches this thread's messages until pred holds or timeoutMs passed;
// true when it held.  A WM_QUIT is dropped as by PumpPending.
bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs = 5000);

// Dispatches this thread's messages for ms milliseconds.
void PumpFor(DWORD ms);

// Joins a helper thread that may send messages to this thread's windows
// (GetWindowText of a control is a WM_GETTEXT sent to its owner): a plain
// join would wait for a thread that waits for this one.  Only sent messages
// are answered meanwhile; posted ones, WM_QUIT included, stay queued.
void JoinAnsweringSentMessages(std::thread& thread);

}  // namespace test_support
