// Fuzzes the portal data parser: clipboard text of any bytes through the
// decipherer (bounded by its size, no terminator needed) and the field
// split, and text through encipher and decipher, which must give the text
// back less each chunk's trailing spaces. The round trip takes at most the
// first 2,100 bytes (one chunk boundary): the cipher under the sanitizers
// would otherwise cost more than the rest together.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/portal.h"
#include "app/portal_cipher.h"

namespace {
const char kKey[] = "fuzz-launch-key";
constexpr size_t kRoundTripMax = 2100;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);

  std::string text;
  if (DecryptPortalText(bytes, size, kKey, &text)) {
    if (text.size() > kPortalMaxTextLength || text.find('\0') != std::string::npos) std::abort();
    PortalRecord record;
    SplitPortalText(text.c_str(), &record);
  }

  // The input itself as deciphered text (up to its first NUL).
  const std::string plain(bytes, strnlen(bytes, size));
  PortalRecord record;
  if (SplitPortalText(plain.c_str(), &record) && record.host.size() > kPortalHostMax) std::abort();

  const std::string sample = plain.substr(0, kRoundTripMax);
  std::string hex;
  EncryptPortalText(sample.c_str(), kKey, &hex);
  if (hex.size() != EncipheredPortalLength(sample.size())) std::abort();
  if (!sample.empty()) {
    std::string back;
    if (!DecryptPortalText(hex.data(), hex.size(), kKey, &back)) std::abort();
    std::string expected;
    for (size_t at = 0; at < sample.size(); at += kPortalChunkSize) {
      std::string chunk = sample.substr(at, kPortalChunkSize);
      TrimTrailingSpaces(&chunk);
      expected += chunk;
    }
    if (back != expected) std::abort();
  }
  return 0;
}
