// CRC-32 of IEEE 802.3 (reflected polynomial 0xEDB88320, register preset to
// all ones, complemented at the end): the checksum that the update scripts
// give for every downloaded file.  Platform-neutral.
#pragma once

#include <cstdint>

#include "framework/afxtypes.h"

class CCrc32 {
 public:
  CCrc32() = default;
  virtual ~CCrc32() = default;

  // Adds length bytes of data; no effect for length 0 or less.
  void Update(const uint8_t* data, int length);
  // Adds the whole file, read in 65,536-byte blocks.  FALSE when the file
  // cannot be opened or read; *error (when given) then holds the system's
  // error code, else 0.  The running value is not reset first: use a fresh
  // object (or Reset) for each file.
  BOOL UpdateFromFile(const char* path, uint32_t* error = nullptr);
  // The checksum of everything added since construction or Reset.
  uint32_t GetValue() const { return ~m_value; }
  void Reset() { m_value = 0xFFFFFFFFu; }

  // Size of the blocks UpdateFromFile reads.
  static constexpr uint32_t kFileBlock = 65536;

 private:
  uint32_t m_value = 0xFFFFFFFFu;
};
