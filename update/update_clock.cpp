#include "update/update_clock.h"

#include <atomic>

namespace {
// Read on the user-interface thread, replaced by tests from theirs.
std::atomic<UpdateTickSource> g_source{nullptr};
}  // namespace

uint32_t UpdateTickNow() {
  UpdateTickSource source = g_source.load();
  return source != nullptr ? source() : SystemUpdateTick();
}

UpdateTickSource SetUpdateTickSource(UpdateTickSource source) { return g_source.exchange(source); }
