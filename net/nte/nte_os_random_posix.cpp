// The system's cryptographic generator: getrandom.
#include <sys/random.h>

#include <cerrno>

#include "net/nte/nte_os_random.h"

int nte_os_random(void* out, int n) {
  unsigned char* p = static_cast<unsigned char*>(out);
  while (n > 0) {
    const ssize_t got = getrandom(p, static_cast<size_t>(n), 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    p += got;
    n -= static_cast<int>(got);
  }
  return 0;
}
