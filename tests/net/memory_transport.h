// An in-memory transport for the engine: every socket connects at once and
// receives the bytes of one input stream, in pieces of a chosen size, then
// end of stream; whatever the engine sends is kept.  For the fuzzer and the
// decoder benchmark, which must not depend on a network.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "net/nte/nte_transport.h"

namespace memory_transport {

// Installs the transport (the engine must be stopped).
void Install();
// Gives back the operating system's transport.
void Uninstall();
// The bytes the next connected socket will receive, piece bytes per recv.
void SetInput(const uint8_t* data, size_t n, int piece);
// Bytes the engine sent so far.
const std::string& Sent();
// True once the input was read to its end.
bool Drained();

}  // namespace memory_transport
