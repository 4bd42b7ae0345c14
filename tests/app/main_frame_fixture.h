// The launcher's main frame as start-up makes it, for the launcher's own
// test program: the test application started, the skin open, the window
// class registered, the frame loaded from its resource with the launcher
// screen.  Not shown; the frame and its views delete themselves when the
// window is destroyed.
#pragma once

#include "app/main_frame.h"

// *frame is null when a step fails (the failure is reported to the test).
void CreateLauncherMainFrame(CMainFrame** frame);
