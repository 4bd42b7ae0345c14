#include "update/update_clock.h"

#include <chrono>

uint32_t SystemUpdateTick() {
  // Milliseconds of a monotonic clock, cut to 32 bits like a tick count.
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
  return static_cast<uint32_t>(ms.count());
}
