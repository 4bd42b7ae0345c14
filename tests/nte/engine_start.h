// The one way tests start the network engine: install a transport (the
// in-memory fake or the system's sockets), then start the engine with the
// limits the test needs.  Shared by the engine, socket, fixture and version
// check tests, the fuzzers and the benchmarks; no GoogleTest inside.
#pragma once

#include "net/nte/nte_core.h"

namespace nte_test {

enum class Transport {
  kFake,    // tests/nte/fake_transport.h, reset on every install
  kSystem,  // the operating system's sockets (loopback tests)
};

// Limits with max contexts and connections set, no task worlds and no hash
// tables, the rest at their defaults (every word set, so that nothing of an
// earlier test's start carries over).
nte_limits Limits(int contexts, int connections);
// Installs the transport without starting the engine (for code that starts
// it itself, such as the socket classes' Initialize).
void UseTransport(Transport transport);
// Installs the transport and starts the engine: 0 or the engine's code.
int StartEngine(Transport transport, const nte_limits& limits);
int StartEngine(Transport transport, int contexts, int connections);
// Ends the engine when it runs and removes the transport; the log sink, log
// level and clock go back to their defaults.  Code that started the engine through
// the socket classes ends it through them (Close) first.
void StopEngine();

}  // namespace nte_test
