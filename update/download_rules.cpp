#include "update/download_rules.h"

#include <cstring>

#include "framework/scramble.h"

int ProxyModeFromStored(uint32_t useProxy, const char* proxyServer) {
  if (useProxy == 0) return kProxyDirect;
  return proxyServer != nullptr && proxyServer[0] != '\0' ? kProxyNamed : kProxySystem;
}

uint32_t UseProxyValueForMode(int mode) { return mode == kProxyDirect ? 0u : 1u; }

CString FormatProxyServer(const char* host, unsigned port) {
  CString text;
  text.Format("%s:%u", host != nullptr ? host : "", port);
  return text;
}

void SplitProxyServer(const CString& server, CString& host, CString& port) {
  const int colon = server.Find(':');
  if (colon < 0) {
    host = server;
    port = "80";
    return;
  }
  host = server.Left(colon);
  port = server.Mid(colon + 1);
  if (port.IsEmpty()) port = "80";
}

bool ParseProxyPort(const char* text, unsigned* port) {
  if (text == nullptr || *text == '\0') return false;
  unsigned value = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    value = value * 10 + static_cast<unsigned>(*p - '0');
    // Checked at every digit, so that the sum never leaves the range.
    if (value > kMaxProxyPort) return false;
  }
  *port = value;
  return true;
}

BOOL ScrambleProxyPassword(const char* plain, CString& out) {
  if (plain == nullptr || plain[0] == '\0') {
    out.Empty();
    return TRUE;
  }
  char* text = nullptr;
  if (!ScrambleEncodeString(plain, kProxyPasswordKey, &text) || text == nullptr) return FALSE;
  out = text;
  ScrambleFreeString(text);
  return TRUE;
}

BOOL UnscrambleProxyPassword(const char* stored, CString& out) {
  if (stored == nullptr || stored[0] == '\0') {
    out.Empty();
    return TRUE;
  }
  char* text = nullptr;
  if (!ScrambleDecodeString(stored, kProxyPasswordKey, &text) || text == nullptr) return FALSE;
  out = text;
  ScrambleFreeString(text);
  return TRUE;
}

namespace {

// Offset of the last character of text (a lead byte and its partner count
// as one), or -1 for an empty text.
int LastCharOffset(const char* text, LeadBytePredicate isLeadByte) {
  int last = -1;
  int i = 0;
  while (text[i] != '\0') {
    last = i;
    const unsigned char c = static_cast<unsigned char>(text[i]);
    // A lead byte at the very end has no partner: it stands alone.
    i += (isLeadByte != nullptr && isLeadByte(c) && text[i + 1] != '\0') ? 2 : 1;
  }
  return last;
}

}  // namespace

BOOL EndsWithBackslash(const char* text, LeadBytePredicate isLeadByte) {
  if (text == nullptr) return FALSE;
  const int last = LastCharOffset(text, isLeadByte);
  if (last < 0) return FALSE;
  // A two-byte character starts with its lead byte, never a backslash.
  return text[last] == '\\';
}

namespace {

// Windows takes '/' for a separator as well.
bool EndsWithSeparator(const char* text, LeadBytePredicate isLeadByte) {
  const int last = LastCharOffset(text, isLeadByte);
  return last >= 0 && (text[last] == '\\' || text[last] == '/');
}

}  // namespace

CString WithOneTrailingBackslash(const char* folder, LeadBytePredicate isLeadByte) {
  CString text(folder != nullptr ? folder : "");
  while (EndsWithSeparator(text, isLeadByte)) text = text.Left(text.GetLength() - 1);
  text += '\\';
  return text;
}
