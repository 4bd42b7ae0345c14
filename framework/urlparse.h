// URL splitting for the internet classes.  Platform-neutral.
#pragma once

#include <cstdint>

#include "framework/afxcore.h"

// Service types of a URL.
enum : uint32_t {
  AFX_INET_SERVICE_FTP = 1,
  AFX_INET_SERVICE_GOPHER = 2,
  AFX_INET_SERVICE_HTTP = 3,
  AFX_INET_SERVICE_UNK = 0x1000,
  AFX_INET_SERVICE_FILE = 0x1001,
  AFX_INET_SERVICE_HTTPS = 0x1002,
};

// Splits "scheme://[user[:password]@]server[:port][/object]" into its
// service type, server, object (path with query; "/" when absent) and
// port (the scheme's default when absent).  FALSE, with the outputs left
// alone, for text that is no such URL (no scheme, empty server, a port that
// is not a number in 1..65535, white space or control characters).
BOOL AfxParseURLParts(const char* pstrURL, uint32_t& dwServiceType, CString& strServer, CString& strObject,
                      uint16_t& nPort);
