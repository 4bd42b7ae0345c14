#include "framework/text_format.h"

CString FormatTableText(const char* format, const char* text, const int* ints, int count) {
  CString out;
  if (format == nullptr) return out;
  int next = 0;
  for (const char* p = format; *p != '\0';) {
    if (p[0] == '%' && p[1] == 'd') {
      CString number;
      number.Format("%d", next < count && ints != nullptr ? ints[next] : 0);
      ++next;
      out += number;
      p += 2;
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
