// What the update screen shows while a file downloads: byte counts, the
// progress bar's percentage, the remaining-time estimate and the busy dots.
// Platform-neutral; the screen puts the results into its controls.
#pragma once

#include <cstdint>

#include "framework/cstring.h"
#include "res/resource.h"

// The byte count as the screen writes it, truncating at each unit:
// "%u BYTE" below 1 KB, "%u KB" below 1 MB, "%u.%02u MB" below 1 GB, then
// "%u.%03u GB".
void FormatByteSize(uint32_t bytes, CString& out);

// "<received>/<length>": the length's text when it is known, the received
// count again once a download without a length has finished, "??? BYTE"
// while it runs.
CString FormatByteProgress(uint32_t received, uint32_t length, bool finished);

// The progress bar's position, 0 to 100: received against the length,
// rounded; without a length 100 once finished and 0 before.
int ProgressPercent(uint32_t received, uint32_t length, bool finished);

// The remaining-time estimate: the string to show after the label
// (IDS_REMAINING_LABEL) and its numbers: IDS_REMAINING_SECONDS up to a
// minute, IDS_REMAINING_MINUTES up to an hour, IDS_REMAINING_HOURS beyond.
// valueId 0 means the label alone (no estimate can be made yet).
struct RemainingTime {
  unsigned valueId = 0;
  int first = 0;
  int second = 0;
};
// elapsedMs since the download started, received of length bytes.
RemainingTime EstimateRemainingTime(uint32_t elapsedMs, uint32_t received, uint32_t length);

// The busy dots: one more per tick, back to none after sixteen.
int NextBusyDotCount(int dots);
// The progress label followed by that many dots.
CString BusyLabel(const char* label, int dots);
