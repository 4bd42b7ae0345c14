// Fuzzes the readers of the localisation record: the 6-bit decoder, the
// unscrambler, the record reader over scrambled text and over raw blocks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/localize.h"
#include "framework/scramble.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);

  // Resource-style input: not NUL-terminated, read only up to its size.
  CLocalizeInfo record;
  record.DecodeRecord(text, size, kLocalizeInfoServiceId);
  record.ReadRecordBlock(data, size);

  std::string nulTerminated(text, size);
  const char* s = nulTerminated.c_str();
  int32_t len = static_cast<int32_t>(std::strlen(s));
  int32_t cap = Get6BitDecodedLength(len);
  std::vector<uint8_t> decoded(static_cast<size_t>(cap) + 1);
  int32_t n = Decode6BitText(s, decoded.data(), cap);
  if (n < 0 || n > cap) std::abort();

  // What decodes must encode back to the symbols it came from.
  if (n > 0) {
    int32_t encCap = Get6BitEncodedLength(n);
    std::vector<char> encoded(static_cast<size_t>(encCap));
    int32_t m = Encode6BitText(decoded.data(), n, encoded.data(), encCap);
    if (m <= 0 || m > len) std::abort();
  }

  char* plain = nullptr;
  if (ScrambleDecodeString(s, kLocalizeInfoServiceId, &plain)) ScrambleFreeString(plain);

  record.LoadFromFileText(text, size, 0);
  return 0;
}
