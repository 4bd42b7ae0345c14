// Native builds: text is UTF-8 or single-byte, whose bytes >= 0x80 never
// look like ASCII, so no double-byte stepping is needed.
#include "framework/cstring.h"

UINT AfxQuerySystemCodePage() { return 0; }
