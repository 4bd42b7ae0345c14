#include "update/login_address.h"

#include <cstring>
#include <string>

#include "net/login_messages.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// atoi's reading without its undefined overflow: saturates instead.
long long ReadDecimal(const char* p) {
  while (IsBlank(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  long long value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    if (value < 1000000) value = value * 10 + (*p - '0');
  }
  return negative ? -value : value;
}

}  // namespace

void ParseLoginServerAddress(const char* profileServer, const char* defaultHost, const char* portalHost, int portalPort,
                             CString& host, uint16_t& port) {
  const char* fallback = defaultHost != nullptr ? defaultHost : "";
  host = fallback;
  port = kDefaultLoginPort;

  CString text;
  if (profileServer != nullptr && profileServer[0] != '\0' && std::strcmp(profileServer, fallback) != 0) {
    text = profileServer;
  } else if (portalHost == nullptr || portalHost[0] == '\0') {
    text = fallback;
  } else {
    text.Format("%s:%d", portalHost, portalPort);
  }

  const char* begin = text;
  const char* end = begin + text.GetLength();
  while (begin < end && IsBlank(*begin)) ++begin;
  while (end > begin && IsBlank(end[-1])) --end;
  if (begin == end) return;
  const std::string trimmed(begin, end);

  const size_t colon = trimmed.find(':');
  if (colon == std::string::npos || colon == 0) {
    host = trimmed.c_str();
    return;
  }
  host = trimmed.substr(0, colon).c_str();
  const size_t second = trimmed.find(':', colon + 1);
  const std::string portText =
      trimmed.substr(colon + 1, second == std::string::npos ? std::string::npos : second - colon - 1);
  if (portText.empty()) return;
  const long long value = ReadDecimal(portText.c_str());
  port = value >= 0 && value <= 65535 ? static_cast<uint16_t>(value) : 0;
}
