#include "framework/registry_value.h"

#include <cstring>

bool RegistryDwordOf(uint32_t type, const void* data, size_t size, uint32_t* out) {
  if (type != kRegDword || size != sizeof(uint32_t) || data == nullptr) return false;
  // The bytes are the machine's order (little-endian on every Windows).
  const unsigned char* b = static_cast<const unsigned char*>(data);
  *out = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
         static_cast<uint32_t>(b[3]) << 24;
  return true;
}

bool RegistryTextOf(uint32_t type, const void* data, size_t size, bool expandToo, CString* out) {
  if (type != kRegSz && !(expandToo && type == kRegExpandSz)) return false;
  if (size == 0 || data == nullptr) {
    out->Empty();
    return true;
  }
  const char* text = static_cast<const char*>(data);
  const void* nul = std::memchr(text, '\0', size);
  const size_t length = nul != nullptr ? static_cast<size_t>(static_cast<const char*>(nul) - text) : size;
  *out = CString(text, static_cast<int>(length));
  return true;
}
