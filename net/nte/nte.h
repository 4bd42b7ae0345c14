// The network engine: a single-threaded, event-driven TCP engine of free
// functions over plain records reached through handles.
//
//   nte_error.h      status codes, last error, readable texts
//   nte_core.h       limits, start/end, the engine pass, log lines, clocks
//   nte_pool.h       fixed-size element pools
//   nte_buffer.h     byte buffers on pool elements
//   nte_tcp.h        contexts, connections, handles, callbacks
//   nte_framing.h    record framings, wire integers, bounded record reader
//   nte_transport.h  the socket layer under the engine
#pragma once

#include "net/nte/nte_error.h"
#include "net/nte/nte_core.h"
#include "net/nte/nte_pool.h"
#include "net/nte/nte_buffer.h"
#include "net/nte/nte_tcp.h"
#include "net/nte/nte_framing.h"
#include "net/nte/nte_transport.h"
