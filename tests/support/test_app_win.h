// The framework's start inside a test program: its application object
// (the test's own or the launcher's) set up once, with the common controls
// that the launcher's screens use.
#pragma once

#include <windows.h>

#include <functional>

namespace test_support {

// AfxWinInit for this module and InitCommonControlsEx (progress bar and
// tabs), the first time only.
void InitTestApp();

// Dispatches this thread's messages until pred holds or timeoutMs passed;
// true when it held.  A WM_QUIT in the queue (a test's leftover request to
// end) is dropped.
bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs = 5000);

}  // namespace test_support
