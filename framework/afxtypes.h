// Basic types shared by neutral and Win32 code of the framework layer.
// These are the very typedefs of <windows.h>, so a translation unit may see
// both.  Everything else in neutral code uses <cstdint> types: DWORD and
// LONG change width on a native 64-bit build.
#pragma once

typedef int BOOL;
typedef unsigned int UINT;
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
