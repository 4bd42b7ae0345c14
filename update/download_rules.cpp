#include "update/download_rules.h"

#include <cstdlib>
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

void SplitProxyServer(const CString& server, CString& host, unsigned* port) {
  const int colon = server.Find(':');
  unsigned value = 80;
  if (colon < 0) {
    host = server;
  } else {
    host = server.Left(colon);
    const char* tail = server.GetString() + colon + 1;
    if (*tail != '\0') value = static_cast<unsigned>(std::atoi(tail));
  }
  if (port != nullptr) *port = value;
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

CString WithOneTrailingBackslash(const char* folder, LeadBytePredicate isLeadByte) {
  CString text(folder != nullptr ? folder : "");
  while (EndsWithBackslash(text, isLeadByte)) text = text.Left(text.GetLength() - 1);
  text += '\\';
  return text;
}
