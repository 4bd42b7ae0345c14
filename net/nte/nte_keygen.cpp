// The private-exponent generator of the key exchange.
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <cstring>

#include "framework/byte_order.h"
#include "net/nte/nte_core.h"
#include "net/nte/nte_keyex.h"
#include "net/nte/nte_os.h"
#include "net/nte/nte_os_random.h"
#include "net/nte/nte_sha0.h"
#include "net/nte/nte_crypto_state.h"
#include "net/nte/nte_wipe.h"

namespace {

nte_keygen_source_fn g_source = nullptr;

int system_source(uint8_t input[48]) {
  // The first 16 bytes: time, process id, tick count and a run-time random
  // number with the pass counter.  Anyone who watches the traffic can
  // search them, so they only add to the 32 bytes of the system's
  // cryptographic generator after them.
  const uint32_t now = static_cast<uint32_t>(std::time(nullptr));
  const uint32_t tick = static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
  std::srand(now);
  const uint32_t mixed = static_cast<uint32_t>(std::rand()) + nte_get_pass_count();
  PutLe32(input, now);
  PutLe32(input + 4, static_cast<uint32_t>(nte_os_process_id()));
  PutLe32(input + 8, tick);
  PutLe32(input + 12, mixed);
  return nte_os_random(input + 16, 32);
}

}  // namespace

void nte_set_keygen_source(nte_keygen_source_fn source) { g_source = source; }

int nte_sha1_keygen(char* out, int size) {
  if (out == nullptr || size <= 0) return nte_set_last_error(NTE_ERR_INVALID);
  out[0] = '\0';
  uint8_t input[48];
  const int r = g_source ? g_source(input) : system_source(input);
  if (r < 0) {
    nte_wipe(input, sizeof input);
    return nte_set_last_error(NTE_ERR_CIPHER_SETUP);
  }
  nte_sha_ctx sha;
  nte_sha_init(&sha);
  nte_sha_update(&sha, input, sizeof input);
  nte_sha_final(&sha);
  if (size < 41) {
    nte_verbose("Warning:4220 SHA-1 keygen output buffer is smaller than 40byte. It usually needs 40 byte. len:%d\n",
                size);
  }
  std::snprintf(out, static_cast<size_t>(size), "%08" PRIx32 "%08" PRIx32 "%08" PRIx32 "%08" PRIx32 "%08" PRIx32,
                sha.digest[0], sha.digest[1], sha.digest[2], sha.digest[3], sha.digest[4]);
  nte_wipe(input, sizeof input);
  nte_wipe(&sha, sizeof sha);
  return nte_set_last_error(NTE_OK);
}
