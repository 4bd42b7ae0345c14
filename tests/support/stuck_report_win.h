// A test program that stops in a wait that never ends is ended by the
// suite's time-out with nothing to show: the suite asks for brief output,
// and what the C library holds of stdout is lost with the process.  Once a
// test has run for longer than any of the program's tests should, the
// reporter says on stderr which test it is, where this process's windows
// and the desktop stand and, under Wine, every thread's stack (winedbg's
// "bt all"); the test itself is left to the time-out.
#pragma once

#include <windows.h>

namespace test_support {

// Installs the reporter for the program's tests; call it once before they
// run (from a static object's constructor, as the program's main is
// gtest's).
void ReportStuckTests(DWORD afterMs);

}  // namespace test_support
