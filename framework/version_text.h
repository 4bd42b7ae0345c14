// How the launcher shows a version number.  Neutral.
#pragma once

#include <cstdint>

#include "framework/cstring.h"

// "%u.%03u" of the version's millions and thousands: 1002003 -> "1.002";
// the last three digits are not shown.
CString FormatVersion(uint32_t version);
