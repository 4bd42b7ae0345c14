// Fuzzes the "PL" decoder: any stored bytes, read only up to their size,
// under a fixed key and under the key taken from the input's first bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "update/version_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  uint32_t game = 0, launcher = 0;
  DecodeInstalledVersions(text, size, 441397u, &game, &launcher);

  if (size >= 4) {
    uint32_t key;
    std::memcpy(&key, data, 4);
    uint32_t values[3] = {0, 0, 0};
    const int parsed = DecodeScrambledValues(text + 4, size - 4, key, values, 3);
    if (parsed < 0 || parsed > 3) std::abort();
    for (int i = parsed; i < 3; ++i) {
      if (values[i] != 0) std::abort();
    }
  }
  return 0;
}
