// Win32 parts of the core.  Include <windows.h> before this header.
#pragma once

#include <windows.h>

// The module whose resources (strings, dialogs, menus, icons) the framework
// loads: the one set by AfxSetResourceHandle, else the executable.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hResource);
