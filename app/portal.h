// The web portal's hand-off: the launch argument from the command line.
#pragma once

#include "framework/cstring.h"

// Remembers the portal's launch argument (a plain command-line parameter).
void ParseLaunchArgument(const char* argument);
// The last launch argument given, empty when none.
const CString& GetLaunchArgument();
