#include "update/network.h"

#include <windows.h>

#include <cstdlib>

#include "framework/tickdiff.h"
#include "net/quorl_socket.h"

namespace {

// The server's notice text, 8,192 bytes and a terminator: the version check
// collects it here and shows it; until that check exists nothing reads it.
constexpr uint32_t kNoticeBlockSize = 8193;
constexpr uint32_t kPumpInterval = 200;

char* g_notice = nullptr;
uint32_t g_pumpInterval = 0;
uint32_t g_pumpBase = 0;


}  // namespace

char* GetNoticeBuffer() { return g_notice; }

int InitNetwork() {
  if (!g_quorlSocket.Initialize())
    return FALSE;
  std::free(g_notice);
  g_notice = static_cast<char*>(std::calloc(1, kNoticeBlockSize));
  return g_notice != nullptr;
}

void ShutdownNetwork() {
  g_quorlSocket.Shutdown();
  std::free(g_notice);
  g_notice = nullptr;
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
