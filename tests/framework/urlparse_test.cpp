#include "framework/urlparse.h"

#include <gtest/gtest.h>

namespace {

struct UrlCase {
  const char* url;
  BOOL ok;
  uint32_t service;
  const char* server;
  const char* object;
  uint16_t port;
};

TEST(UrlParse, SplitsOrRefuses) {
  const UrlCase cases[] = {
      {"http://patch.example.com/game/v1/patch.scr", TRUE, AFX_INET_SERVICE_HTTP, "patch.example.com",
       "/game/v1/patch.scr", 80},
      {"HTTP://Host:8080", TRUE, AFX_INET_SERVICE_HTTP, "Host", "/", 8080},
      {"http://127.0.0.1:9/a?b=c&d", TRUE, AFX_INET_SERVICE_HTTP, "127.0.0.1", "/a?b=c&d", 9},
      {"http://h?q=1", TRUE, AFX_INET_SERVICE_HTTP, "h", "/?q=1", 80},
      {"http://user:pw@h/x", TRUE, AFX_INET_SERVICE_HTTP, "h", "/x", 80},
      {"https://h/x", TRUE, AFX_INET_SERVICE_HTTPS, "h", "/x", 443},
      {"ftp://h/x", TRUE, AFX_INET_SERVICE_FTP, "h", "/x", 21},
      {"gopher://h", TRUE, AFX_INET_SERVICE_GOPHER, "h", "/", 70},
      {"mailto://h", TRUE, AFX_INET_SERVICE_UNK, "h", "/", 0},
      {"patch.example.com/x", FALSE, 0, "", "", 0},
      {"http://", FALSE, 0, "", "", 0},
      {"http://:80/x", FALSE, 0, "", "", 0},
      {"http://h:0/x", FALSE, 0, "", "", 0},
      {"http://h:65536/x", FALSE, 0, "", "", 0},
      {"http://h:8o/x", FALSE, 0, "", "", 0},
      {"http://h:/x", FALSE, 0, "", "", 0},
      {"http://h/a b", FALSE, 0, "", "", 0},
      {"http://h/a\r\nHost: evil", FALSE, 0, "", "", 0},
      {"", FALSE, 0, "", "", 0},
  };
  for (const UrlCase& c : cases) {
    SCOPED_TRACE(c.url);
    uint32_t service = 0;
    CString server, object;
    uint16_t port = 0;
    EXPECT_EQ(c.ok, AfxParseURLParts(c.url, service, server, object, port));
    EXPECT_EQ(c.service, service);
    EXPECT_STREQ(c.server, server);
    EXPECT_STREQ(c.object, object);
    EXPECT_EQ(c.port, port);
  }
  uint32_t service = 0;
  CString server, object;
  uint16_t port = 0;
  EXPECT_FALSE(AfxParseURLParts(nullptr, service, server, object, port));
}

}  // namespace
