#include "framework/urlparse.h"

#include <cstring>

BOOL AfxParseURLParts(const char* pstrURL, uint32_t& dwServiceType, CString& strServer, CString& strObject,
                      uint16_t& nPort) {
  if (pstrURL == nullptr) return FALSE;
  const CString url(pstrURL);
  for (int i = 0; i < url.GetLength(); ++i) {
    unsigned char c = static_cast<unsigned char>(url[i]);
    if (c <= 0x20 || c == 0x7F) return FALSE;
  }
  const int sep = url.Find("://");
  if (sep <= 0) return FALSE;
  CString scheme = url.Left(sep);
  scheme.MakeLower();
  uint32_t service;
  uint16_t defaultPort;
  if (scheme == "http") {
    service = AFX_INET_SERVICE_HTTP;
    defaultPort = 80;
  } else if (scheme == "https") {
    service = AFX_INET_SERVICE_HTTPS;
    defaultPort = 443;
  } else if (scheme == "ftp") {
    service = AFX_INET_SERVICE_FTP;
    defaultPort = 21;
  } else if (scheme == "gopher") {
    service = AFX_INET_SERVICE_GOPHER;
    defaultPort = 70;
  } else if (scheme == "file") {
    service = AFX_INET_SERVICE_FILE;
    defaultPort = 0;
  } else {
    service = AFX_INET_SERVICE_UNK;
    defaultPort = 0;
  }
  CString rest = url.Mid(sep + 3);
  // The authority ends at the first '/', '?' or '#'.
  int end = rest.FindOneOf("/?#");
  CString authority = end < 0 ? rest : rest.Left(end);
  CString object = end < 0 ? CString("/") : rest.Mid(end);
  if (object[0] != '/') object = "/" + object;
  int at = authority.ReverseFind('@');
  if (at >= 0) authority = authority.Mid(at + 1);  // credentials are not ours to keep
  CString server = authority;
  uint16_t port = defaultPort;
  int colon = authority.ReverseFind(':');
  if (colon >= 0) {
    CString digits = authority.Mid(colon + 1);
    server = authority.Left(colon);
    if (digits.IsEmpty() || digits.GetLength() > 5) return FALSE;
    unsigned long value = 0;
    for (int i = 0; i < digits.GetLength(); ++i) {
      char c = digits[i];
      if (c < '0' || c > '9') return FALSE;
      value = value * 10 + static_cast<unsigned long>(c - '0');
    }
    if (value == 0 || value > 65535) return FALSE;
    port = static_cast<uint16_t>(value);
  }
  if (server.IsEmpty() && service != AFX_INET_SERVICE_FILE) return FALSE;
  dwServiceType = service;
  strServer = server;
  strObject = object;
  nPort = port;
  return TRUE;
}
