#include "update/update_clock.h"

#include <windows.h>

uint32_t SystemUpdateTick() { return ::GetTickCount(); }
