// The launcher's side of the network: start-up and shut-down of the login
// connection's engine over Windows Sockets, and the idle-time pump.
#pragma once

#include <cstdint>

#include "framework/afxtypes.h"

// Brings the network up once at start-up; FALSE when it cannot.
int InitNetwork();
// Takes it down again at exit (safe without a successful InitNetwork).
void ShutdownNetwork();

// The pump polls the login socket from the application's idle handler, one
// engine pass per whole 200 ms period (timeGetTime), only between
// StartNetworkPump and StopNetworkPump: a version check runs it for its
// duration.
void StartNetworkPump();
void StopNetworkPump();
BOOL IsNetworkPumpRunning();
void PumpNetwork();

// The pump's millisecond clock (timeGetTime).  Tests replace it so that its
// periods pass at their command; null restores timeGetTime.  Returns the
// clock replaced (null when it was timeGetTime).
typedef uint32_t (*NetworkPumpClock)();
NetworkPumpClock SetNetworkPumpClock(NetworkPumpClock clock);
