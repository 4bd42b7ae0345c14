// Win32 parts of the core: the resource module that string loading uses.
#include <windows.h>

#include "framework/afxcore_win.h"

namespace {
HINSTANCE g_hResource = nullptr;
}

HINSTANCE AfxGetResourceHandle() { return g_hResource != nullptr ? g_hResource : ::GetModuleHandleA(nullptr); }

void AfxSetResourceHandle(HINSTANCE hResource) { g_hResource = hResource; }
