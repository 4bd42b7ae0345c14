#include "update/version_store.h"

#include <cstring>
#include <string>
#include <vector>

#include "framework/scramble.h"
#include "framework/hex_digit.h"

namespace {

// Bytes that Decode6BitText yields for a scrambled text, or 0.
int32_t DecodedByteCount(const std::string& text) {
  const int32_t cap = Get6BitDecodedLength(static_cast<int32_t>(text.size()) + 1) + 1;
  std::vector<uint8_t> bytes(static_cast<size_t>(cap));
  return Decode6BitText(text.c_str(), bytes.data(), cap);
}

// The plain text of a scrambled text, or false. The scrambler stores the
// text with its terminator; one whose stored bytes hold no terminator has
// lost its end (a value cut short or damaged) and is refused, since its
// last field would read as a shorter number.
bool Unscramble(const std::string& scrambled, uint32_t key, std::string* plain) {
  char* text = nullptr;
  if (!ScrambleDecodeString(scrambled.c_str(), key, &text)) return false;
  plain->assign(text);
  ScrambleFreeString(text);
  // The stored bytes follow the 4-byte seed word.
  const int32_t stored = DecodedByteCount(scrambled) - 4;
  return stored > 0 && plain->size() < static_cast<size_t>(stored);
}

}  // namespace

uint32_t ByteSwap32(uint32_t v) { return (v >> 24) | ((v >> 8) & 0x0000FF00u) | ((v << 8) & 0x00FF0000u) | (v << 24); }

const char* ParseHexField(const char* position, uint32_t* value) {
  uint32_t v = 0;
  for (int d; (d = HexDigitValue(*position)) >= 0; ++position) v = v * 16 + static_cast<uint32_t>(d);
  *value = v;
  if (*position == '|') ++position;
  return *position != '\0' ? position : nullptr;
}

int DecodeScrambledValues(const char* data, size_t size, uint32_t key, uint32_t* values, int count) {
  for (int i = 0; i < count; ++i) values[i] = 0;
  if (data == nullptr || count <= 0) return 0;

  // Layer 1. A registry text need not end with a terminator: it ends at
  // its first NUL or after the stored bytes.
  const void* nul = std::memchr(data, 0, size);
  const size_t length = nul ? static_cast<const char*>(nul) - data : size;
  if (length == 0 || length > kMaxStoredVersionText) return 0;
  const std::string text(data, length);
  const int32_t cap = Get6BitDecodedLength(static_cast<int32_t>(length) + 1);
  std::vector<uint8_t> bytes(static_cast<size_t>(cap) + 1);
  const int32_t m = Decode6BitText(text.c_str(), bytes.data(), cap);
  if (m <= 0) return 0;

  // Layer 2: the running XOR from the start byte.
  uint8_t s = bytes[0];
  for (int32_t i = 1; i < m; ++i) {
    bytes[i] ^= s;
    s = static_cast<uint8_t>(s + 31);
  }

  // Layer 3: B[1] up to the first NUL, or up to B[m-1] when there is none,
  // never beyond the bytes decoded.
  const uint8_t* inner = bytes.data() + 1;
  const size_t available = static_cast<size_t>(m - 1);
  const void* innerNul = std::memchr(inner, 0, available);
  const size_t innerLength = innerNul ? static_cast<const uint8_t*>(innerNul) - inner : available;
  if (innerLength == 0) return 0;
  std::string plain;
  if (!Unscramble(std::string(reinterpret_cast<const char*>(inner), innerLength), key, &plain)) return 0;

  // Layer 4: the hexadecimal fields.
  int parsed = 0;
  for (const char* position = plain.c_str(); parsed < count && position != nullptr; ++parsed)
    position = ParseHexField(position, &values[parsed]);
  return parsed;
}

int DecodeInstalledVersions(const char* data, size_t size, uint32_t key, uint32_t* game, uint32_t* launcher) {
  uint32_t values[2];
  const int parsed = DecodeScrambledValues(data, size, key, values, 2);
  const bool ok = parsed == 2;
  if (ok) {
    values[0] = ByteSwap32(values[0] ^ key);
    values[1] = ByteSwap32(values[1] ^ ~key);
  }
  if (game != nullptr) *game = values[0];
  if (launcher != nullptr) *launcher = values[1];
  return ok ? 1 : 0;
}
