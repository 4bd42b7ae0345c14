#include "update/network.h"

#include <windows.h>
#include <mmsystem.h>

#include "net/nte/nte_transport.h"
#include "net/quorl_socket.h"
#include "update/network_pump.h"

namespace {

CNetworkPump g_pump;
NetworkPumpClock g_clock = nullptr;  // null: timeGetTime

uint32_t PumpNow() { return g_clock != nullptr ? g_clock() : ::timeGetTime(); }

}  // namespace

NetworkPumpClock SetNetworkPumpClock(NetworkPumpClock clock) {
  const NetworkPumpClock previous = g_clock;
  g_clock = clock;
  return previous;
}

int InitNetwork() {
  // The program owns the engine's sockets: Windows Sockets.
  if (nte_set_transport(nte_os_transport()) != 0) return FALSE;
  return g_quorlSocket.Initialize();
}

void ShutdownNetwork() {
  g_pump.Stop();
  g_quorlSocket.Shutdown();
}

void StartNetworkPump() { g_pump.Start(PumpNow()); }

void StopNetworkPump() { g_pump.Stop(); }

BOOL IsNetworkPumpRunning() { return g_pump.IsRunning() ? TRUE : FALSE; }

void PumpNetwork() {
  // One engine pass for each whole period since the last poll.
  const uint32_t n = g_pump.TakePeriods(PumpNow());
  if (n > 0) g_quorlSocket.Poll(static_cast<int>(n));
}
