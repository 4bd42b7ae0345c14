// The login server's address from the profile, the region and the portal.
#include <gtest/gtest.h>

#include <string>

#include "net/login_messages.h"
#include "update/login_address.h"

namespace {

struct Row {
  const char* name;
  const char* profile;
  const char* defaultHost;
  const char* portalHost;
  int portalPort;
  std::string host;
  int port;
};

TEST(LoginAddress, FollowsTheProfileTheRegionAndThePortal) {
  const Row rows[] = {
      {"nothing set: the region's host and 9070", "", "login.quorl.invalid", "", 0, "login.quorl.invalid", 9070},
      {"profile equal to the default: still the default", "login.quorl.invalid", "login.quorl.invalid", "", 0,
       "login.quorl.invalid", 9070},
      {"profile host alone", "other.invalid", "login.quorl.invalid", "", 0, "other.invalid", 9070},
      {"profile host and port", "10.0.0.1:7000", "d.invalid", "", 0, "10.0.0.1", 7000},
      {"host, port, a second colon and more", "h.invalid:7001:junk:9", "d.invalid", "", 0, "h.invalid", 7001},
      {"colon after the host keeps 9070", "h.invalid:", "d.invalid", "", 0, "h.invalid", 9070},
      {"colon first: the whole text is the host", ":7000", "d.invalid", "", 0, ":7000", 9070},
      {"blanks trimmed at both ends", " \t h.invalid:7002 \r\n", "d.invalid", "", 0, "h.invalid", 7002},
      {"profile wins over the portal", "h.invalid", "d.invalid", "portal.invalid", 7100, "h.invalid", 9070},
      {"empty profile: the portal's host and port", "", "d.invalid", "portal.invalid", 7100, "portal.invalid", 7100},
      {"default in the profile: the portal's", "d.invalid", "d.invalid", "portal.invalid", 7101, "portal.invalid",
       7101},
      {"portal port 0 as the portal gave it", "", "d.invalid", "portal.invalid", 0, "portal.invalid", 0},
      {"no default host (code page 949) and nothing else", "", "", "", 0, "", 9070},
      {"only blanks: the defaults", "   ", "d.invalid", "", 0, "d.invalid", 9070},
      {"port read as atoi reads it", "h.invalid: 7003xyz", "d.invalid", "", 0, "h.invalid", 7003},
      {"port text without digits gives 0", "h.invalid:abc", "d.invalid", "", 0, "h.invalid", 0},
      {"port above 65535 is no port, not a wrapped one", "h.invalid:70000", "d.invalid", "", 0, "h.invalid", 0},
      {"negative port is no port", "h.invalid:-5", "d.invalid", "", 0, "h.invalid", 0},
      {"a port of 30 digits does not overflow", "h.invalid:999999999999999999999999999999", "d.invalid", "", 0,
       "h.invalid", 0},
      {"null profile and portal", nullptr, "d.invalid", nullptr, 0, "d.invalid", 9070},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    CString host = "untouched";
    uint16_t port = 1;
    ParseLoginServerAddress(r.profile, r.defaultHost, r.portalHost, r.portalPort, host, port);
    EXPECT_EQ(r.host, std::string(host));
    EXPECT_EQ(r.port, port);
  }
  EXPECT_EQ(9070, kDefaultLoginPort);
}

}  // namespace
