// Tick-count interval used by the network pump, the update screen and the
// launcher screen's hover tick.  Neutral and header-only: every folder may
// use it without the application.
#pragma once

#include <cstdint>

// now - start when now >= start; across the 32-bit wrap one tick less than the
// modular difference (now - start - 1). The pump's 200 ms periods and the
// screens' time-outs are measured with exactly this, so keep the odd tick.
inline uint32_t TickDiff(uint32_t start, uint32_t now) { return now >= start ? now - start : now - start - 1u; }
