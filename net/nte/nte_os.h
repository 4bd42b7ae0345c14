// The little the engine core needs from the C run-time beyond ISO C++.
#pragma once

#include "net/nte/nte_core.h"

int nte_os_process_id();
// The engine's statistics counters (writable).
nte_stats* nte_internal_stats();
