// Small text utilities of the engine.
#include <cstdio>
#include <cstring>

#include "framework/byte_order.h"
#include "net/nte/nte_core.h"

int nte_hex_digit_value(int ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  return 0;
}

int nte_is_hex_digit(int ch) {
  return (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F') || (ch >= 'a' && ch <= 'f');
}

int nte_hex_to_bytes(uint8_t* out, int max, const char* text) {
  if (!out || !text || max <= 0) return 0;
  size_t total = std::strlen(text);
  if (total < 2) return 0;
  const char* p = text;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) p += 2;
  int n = 0;
  while (n < max && p[0] != '\0') {
    int high = nte_hex_digit_value(static_cast<unsigned char>(p[0]));
    if (p[1] == '\0') {
      // The whole text has an odd length: the lone digit is a high nibble.
      out[n++] = static_cast<uint8_t>(high << 4);
      break;
    }
    out[n++] = static_cast<uint8_t>((high << 4) | nte_hex_digit_value(static_cast<unsigned char>(p[1])));
    p += 2;
  }
  return n;
}

void nte_dump_hex(const void* data, int n) {
  const uint8_t* b = static_cast<const uint8_t*>(data);
  for (int i = 0; b && i < n; ++i) {
    nte_errout("%02x ", b[i]);
    if ((i + 1) % 16 == 0) nte_errout("\n");
  }
  nte_errout("\n");
}

char* nte_ipv4_to_text(const uint8_t* addr, int len, char* out, int cap) {
  if (!out || cap <= 0) return out;
  if (addr && len == 4) {
    std::snprintf(out, static_cast<size_t>(cap), "%d.%d.%d.%d", addr[0], addr[1], addr[2], addr[3]);
  } else {
    nte_copy_bounded(out, cap, "ERROR");
  }
  return out;
}

char* nte_ipv6_to_text(const uint8_t* addr, int len, char* out, int cap) {
  if (!out || cap <= 0) return out;
  if (addr && len == 16) {
    unsigned g[8];
    for (int i = 0; i < 8; ++i) g[i] = GetBe16(addr + 2 * i);
    std::snprintf(out, static_cast<size_t>(cap), "%x:%x:%x:%x:%x:%x:%x:%x", g[0], g[1], g[2], g[3], g[4], g[5], g[6],
                  g[7]);
  } else {
    nte_copy_bounded(out, cap, "ERROR");
  }
  return out;
}

int nte_copy_bounded(char* dst, int cap, const char* src) {
  if (!dst || cap <= 0) return src && src[0] ? 1 : 0;
  if (!src) src = "";
  int i = 0;
  for (; i < cap - 1 && src[i] != '\0'; ++i) dst[i] = src[i];
  dst[i] = '\0';
  return src[i] != '\0' ? 1 : 0;
}
