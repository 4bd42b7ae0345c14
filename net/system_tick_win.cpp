#include "net/system_tick.h"

#include <windows.h>

uint32_t GetSystemTickMs() { return GetTickCount(); }
