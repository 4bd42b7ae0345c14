#include "tests/nte/engine_start.h"

#include "net/nte/nte_transport.h"
#include "tests/nte/fake_transport.h"

namespace nte_test {

nte_limits Limits(int contexts, int connections) {
  // Every word given: the engine keeps the limits of an earlier start for
  // the words a record leaves at "default".
  nte_limits l = {contexts, 0, connections, 0, 256, 8192, 8192};
  return l;
}

void UseTransport(Transport transport) {
  if (transport == Transport::kFake) {
    fake::install();
  } else {
    nte_set_transport(nte_os_transport());
  }
}

int StartEngine(Transport transport, const nte_limits& limits) {
  UseTransport(transport);
  return nte_initialize_limited(&limits);
}

int StartEngine(Transport transport, int contexts, int connections) {
  return StartEngine(transport, Limits(contexts, connections));
}

void StopEngine() {
  if (nte_is_started()) nte_finalize();
  nte_set_transport(nullptr);
  nte_set_log_sink(nullptr, nullptr);
  nte_set_log_level(0);
  nte_set_clock(nullptr);
}

}  // namespace nte_test
