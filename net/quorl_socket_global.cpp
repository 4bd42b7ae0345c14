#include "net/quorl_socket.h"

// Constructed before the application starts; the launcher calls Close
// before exit, the destructor only disconnects.
CQuorlSocket g_quorlSocket;
