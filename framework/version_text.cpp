#include "framework/version_text.h"

CString FormatVersion(uint32_t version) {
  CString text;
  text.Format("%u.%03u", version / 1000000u, (version / 1000u) % 1000u);
  return text;
}
