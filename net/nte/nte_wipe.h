// Wiping secrets (keys, exponents, cipher states) as they go out of use.
#pragma once

#include <cstddef>

// Overwrites n bytes with zeros through a volatile pointer, so that the
// compiler keeps the stores even when the bytes are never read again.
inline void nte_wipe(void* p, size_t n) {
  volatile unsigned char* b = static_cast<volatile unsigned char*>(p);
  while (n--) *b++ = 0;
}
