// The system clock's millisecond tick count (wraps at 2^32).
#pragma once

#include <cstdint>

uint32_t GetSystemTickMs();
