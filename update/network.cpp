#include "update/network.h"

#include <windows.h>

#include "app/tickdiff.h"
#include "net/nte/nte_transport.h"
#include "net/quorl_socket.h"

namespace {

constexpr uint32_t kPumpInterval = 200;

uint32_t g_pumpInterval = 0;
uint32_t g_pumpBase = 0;

}  // namespace

int InitNetwork() {
  // The program owns the engine's sockets: Windows Sockets.
  if (nte_set_transport(nte_os_transport()) != 0)
    return FALSE;
  return g_quorlSocket.Initialize();
}

void ShutdownNetwork() {
  g_quorlSocket.Shutdown();
}

void StartNetworkPump() {
  g_pumpInterval = kPumpInterval;
  g_pumpBase = ::GetTickCount();
}

void StopNetworkPump() { g_pumpInterval = 0; }

void PumpNetwork() {
  if (g_pumpInterval == 0)
    return;
  const uint32_t elapsed = TickDiff(g_pumpBase, ::GetTickCount());
  if (elapsed < g_pumpInterval)
    return;
  const uint32_t n = elapsed / g_pumpInterval;
  const uint64_t next = static_cast<uint64_t>(g_pumpBase) + static_cast<uint64_t>(n) * g_pumpInterval;
  // Past the top of the tick counter the base skips the odd tick that
  // TickDiff leaves out.
  g_pumpBase = static_cast<uint32_t>(next >= 0xFFFFFFFFull ? next + 1 : next);
  g_quorlSocket.Poll(static_cast<int>(n));
}
