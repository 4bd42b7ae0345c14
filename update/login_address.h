// The login server's address for a version check, from what the profile,
// the region and the portal say.
#pragma once

#include <cstdint>

#include "framework/cstring.h"

// The address rule of the version check:
// - host := defaultHost, port := 9070;
// - the address text is profileServer when it is neither empty nor the
//   default host; otherwise "portalHost:portalPort" when the portal gave a
//   host, else the default host;
// - white space is trimmed from both ends; an empty text keeps the defaults;
// - without a ':' (or with ':' first) the whole text is the host; otherwise
//   the host runs to the first ':' and the port text from there to a second
//   ':' (the rest is dropped); a non-empty port text sets the port.
// A port text is read as atoi reads it (leading blanks, a sign, digits), but
// a value outside 0-65535 gives port 0, which no connect accepts, instead of
// a wrapped port number.
void ParseLoginServerAddress(const char* profileServer, const char* defaultHost, const char* portalHost, int portalPort,
                             CString& host, uint16_t& port);
