// What the profile functions make of a stored registry value: its type and
// its bytes exactly as the registry hands them over (any size, a text with
// or without its terminator).  Neutral, so that a hostile profile can be
// fed to the same rules natively.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/cstring.h"

// The registry's value types that the rules tell apart (winnt.h numbers).
enum : uint32_t {
  kRegNone = 0,
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
};

// A REG_DWORD of exactly four bytes: true with its value.  Any other type or
// size is not a number (the caller keeps its default).
bool RegistryDwordOf(uint32_t type, const void* data, size_t size, uint32_t* out);

// A REG_SZ (and, when expandToo, a REG_EXPAND_SZ, taken as it stands): true
// with the text up to its first NUL, or up to the end of the data when it
// has none.  Never reads past size bytes.
bool RegistryTextOf(uint32_t type, const void* data, size_t size, bool expandToo, CString* out);
