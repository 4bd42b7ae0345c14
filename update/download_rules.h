// The platform-neutral rules of the download settings: proxy modes and how
// they are stored, the proxy server text, the scrambled proxy password and
// folder texts with one trailing backslash.  The registry and file-system
// side lives in download_setting_win.cpp.
#pragma once

#include <cstdint>

#include "framework/cstring.h"

// Proxy modes of the download settings.
enum : int {
  kProxySystem = 0,  // the system's Internet settings
  kProxyDirect = 1,  // no proxy
  kProxyNamed = 2,   // the proxy server of the settings, host:port
};

// Key of the stored proxy password's scrambling.  Fixed: passwords saved
// by earlier launchers must still read back.
constexpr uint32_t kProxyPasswordKey = 58263914u;

// The mode that the stored values mean: "UseProxy" 0 is direct whatever the
// server says; otherwise a named proxy when a server is stored, else the
// system's settings.
int ProxyModeFromStored(uint32_t useProxy, const char* proxyServer);
// The "UseProxy" value that a mode is stored as (0 for direct, else 1).
uint32_t UseProxyValueForMode(int mode);

// "host:port" as stored.
CString FormatProxyServer(const char* host, unsigned port);
// Splits a stored "host:port" at its first ':' into the host and the port
// text as stored (whatever follows the ':'); no ':' or nothing after it:
// "80".  The text is shown as it is, so that a port that is no port
// ("-1", "99999", "80x") is refused where the user can see it.
void SplitProxyServer(const CString& server, CString& host, CString& port);
// The highest port number.
constexpr unsigned kMaxProxyPort = 65535;
// A port text: decimal digits only (no sign, no blanks), at most 65535.
// False for anything else, and *port is left alone.
bool ParseProxyPort(const char* text, unsigned* port);

// The password as stored (scrambled text) and back.  Empty in, empty out;
// a stored text that does not unscramble gives FALSE and leaves out alone.
BOOL ScrambleProxyPassword(const char* plain, CString& out);
BOOL UnscrambleProxyPassword(const char* stored, CString& out);

// Tells whether a byte starts a two-byte character of the current code page.
typedef bool (*LeadBytePredicate)(unsigned char byte);
// The folder text with its trailing separators ('\\', and '/', which
// Windows takes as one too) replaced by exactly one backslash.
// The last character is found by walking from the start, so that the second
// byte of a two-byte character (0x5C in some code pages) is not taken for
// a backslash; isLeadByte null means a single-byte code page.
CString WithOneTrailingBackslash(const char* folder, LeadBytePredicate isLeadByte);
// TRUE when the text's last character is a backslash (same walk).
BOOL EndsWithBackslash(const char* text, LeadBytePredicate isLeadByte);
