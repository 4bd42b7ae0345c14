#include "net/utf8_text.h"

#include <cstdint>
#include <cstring>

std::u16string Utf8ToUtf16(const char* data, size_t n) {
  std::u16string out;
  if (data == nullptr) return out;
  // The zero byte ends the text before any decoding, so that a sequence
  // never borrows the terminator as a continuation byte.
  const void* zero = std::memchr(data, 0, n);
  if (zero != nullptr) n = static_cast<size_t>(static_cast<const char*>(zero) - data);
  out.reserve(n);

  const auto* p = reinterpret_cast<const uint8_t*>(data);
  size_t i = 0;
  while (i < n) {
    const uint8_t lead = p[i];
    if (lead < 0xC0) {
      // ASCII, and a stray continuation byte, both stand for themselves.
      out.push_back(static_cast<char16_t>(lead));
      i += 1;
    } else if (lead < 0xE0) {
      if (n - i < 2) {
        out.push_back(u'\xFFFD');
        break;
      }
      out.push_back(static_cast<char16_t>(((lead & 0x1Fu) << 6) | (p[i + 1] & 0x3Fu)));
      i += 2;
    } else {
      // 0xF0 and above are taken as three-byte sequences too; the
      // unit keeps the low 16 bits of what they give.
      if (n - i < 3) {
        out.push_back(u'\xFFFD');
        break;
      }
      const uint32_t unit = (static_cast<uint32_t>(lead) << 12) | ((p[i + 1] & 0x3Fu) << 6) | (p[i + 2] & 0x3Fu);
      out.push_back(static_cast<char16_t>(unit & 0xFFFFu));
      i += 3;
    }
  }
  return out;
}

std::u16string Utf8ToUtf16(const std::string& text) { return Utf8ToUtf16(text.data(), text.size()); }
