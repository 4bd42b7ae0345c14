// The millisecond tick count that the update screen measures its intervals
// with (GetTickCount on Windows).  Tests replace the source so that the
// half-hour stall and the one-minute self-retry run in moments.
#pragma once

#include <cstdint>

typedef uint32_t (*UpdateTickSource)();

// The current tick (wraps at 2^32).
uint32_t UpdateTickNow();
// Replaces the tick source; null restores the system's.  Returns the one
// replaced (null when it was the system's).
UpdateTickSource SetUpdateTickSource(UpdateTickSource source);
// The system's tick count itself.
uint32_t SystemUpdateTick();
