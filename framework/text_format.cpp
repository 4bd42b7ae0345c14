#include "framework/text_format.h"

namespace {

// The widest field a text may ask for; a longer run of digits is not a
// conversion and stays as it is.
constexpr int kMaxFieldWidth = 99;

// Reads "%d" or "%Nd" (N from 1 to 99, no leading zero) at p; the length of
// the conversion, or 0 when p holds none.
int ReadNumberConversion(const char* p, int* width) {
  if (p[0] != '%') return 0;
  int i = 1;
  int w = 0;
  if (p[i] >= '1' && p[i] <= '9') {
    while (p[i] >= '0' && p[i] <= '9') {
      w = w * 10 + (p[i] - '0');
      if (w > kMaxFieldWidth) return 0;
      ++i;
    }
  }
  if (p[i] != 'd') return 0;
  *width = w;
  return i + 1;
}

}  // namespace

CString FormatTableText(const char* format, const char* text, const int* ints, int count) {
  CString out;
  if (format == nullptr) return out;
  int next = 0;
  for (const char* p = format; *p != '\0';) {
    int width = 0;
    if (const int length = ReadNumberConversion(p, &width)) {
      CString number;
      number.Format("%*d", width, next < count && ints != nullptr ? ints[next] : 0);
      ++next;
      out += number;
      p += length;
    } else if (p[0] == '%' && p[1] == 's' && text != nullptr) {
      out += text;
      p += 2;
    } else if (p[0] == '%' && p[1] == '%') {
      out += '%';
      p += 2;
    } else {
      out += *p++;
    }
  }
  return out;
}
