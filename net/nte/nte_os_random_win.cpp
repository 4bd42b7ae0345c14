// The system's cryptographic generator: RtlGenRandom (advapi32's
// SystemFunction036), present since Windows XP.
#include <windows.h>
#include <ntsecapi.h>

#include "net/nte/nte_os_random.h"

int nte_os_random(void* out, int n) {
  if (n < 0) return -1;
  return RtlGenRandom(out, static_cast<ULONG>(n)) ? 0 : -1;
}
