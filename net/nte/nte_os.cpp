// Process id through the C run-time (no system headers beyond it).
#include "net/nte/nte_os.h"

#if defined(_WIN32)
#include <process.h>
int nte_os_process_id() { return _getpid(); }
#else
#include <unistd.h>
int nte_os_process_id() { return static_cast<int>(getpid()); }
#endif
