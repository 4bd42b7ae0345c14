// The internet classes against a one-shot HTTP server on 127.0.0.1.
#include <winsock2.h>
#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "framework/afxinet.h"

namespace {

// Answers one request with a fixed response; records the request head.
class OneShotServer {
 public:
  explicit OneShotServer(std::string response) : m_response(std::move(response)) {
    WSADATA wsa;
    ::WSAStartup(MAKEWORD(2, 2), &wsa);
    m_listen = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(m_listen, 1);
    int len = sizeof addr;
    ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { Serve(); });
  }
  ~OneShotServer() {
    ::closesocket(m_listen);  // ends a pending accept
    m_thread.join();
    ::WSACleanup();
  }
  INTERNET_PORT port() const { return m_port; }
  std::string request;

 private:
  void Serve() {
    SOCKET s = ::accept(m_listen, nullptr, nullptr);
    if (s == INVALID_SOCKET) return;
    char buf[1024];
    while (request.find("\r\n\r\n") == std::string::npos) {
      int n = ::recv(s, buf, sizeof buf, 0);
      if (n <= 0) break;
      request.append(buf, static_cast<size_t>(n));
    }
    ::send(s, m_response.data(), static_cast<int>(m_response.size()), 0);
    ::shutdown(s, SD_SEND);
    ::closesocket(s);
  }

  std::string m_response;
  SOCKET m_listen;
  INTERNET_PORT m_port = 0;
  std::thread m_thread;
};

std::string ReadBody(CHttpFile& file) {
  std::string body;
  char buf[4];  // small reads: the loop must gather the pieces
  UINT n;
  while ((n = file.Read(buf, sizeof buf)) > 0) body.append(buf, n);
  return body;
}

TEST(Internet, GetsAFileOverLoopback) {
  OneShotServer server("HTTP/1.0 200 OK\r\nContent-Length: 11\r\nConnection: close\r\n\r\nhello world");
  CInternetSession session(nullptr, 1, INTERNET_OPEN_TYPE_DIRECT);
  // Wine answers this query only on request handles; a failed query must
  // leave the value alone.
  DWORD timeout = 12345;
  if (!session.QueryOption(INTERNET_OPTION_RECEIVE_TIMEOUT, timeout)) {
    EXPECT_EQ(12345u, timeout);
  }
  session.SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, 5000);
  std::unique_ptr<CHttpConnection> conn(session.GetHttpConnection("127.0.0.1", server.port()));
  std::unique_ptr<CHttpFile> file(conn->OpenRequest(HTTP_VERB_GET, "/dir/file.bin?x=1", nullptr, 1, nullptr, nullptr,
                                                    INTERNET_FLAG_RELOAD | INTERNET_FLAG_DONT_CACHE));
  ASSERT_NE(nullptr, file->m_hFile);
  file->SendRequest();
  DWORD status = 0;
  ASSERT_TRUE(file->QueryInfoStatusCode(status));
  EXPECT_EQ(200u, status);
  DWORD length = 0;
  ASSERT_TRUE(file->QueryInfo(HTTP_QUERY_CONTENT_LENGTH, length));
  EXPECT_EQ(11u, length);
  EXPECT_EQ("hello world", ReadBody(*file));
  EXPECT_EQ(0, server.request.find("GET /dir/file.bin?x=1 HTTP/1.1\r\n"));
  EXPECT_NE(std::string::npos, server.request.find("User-Agent: "));
}

TEST(Internet, RefusedFileGivesItsStatus) {
  OneShotServer server("HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
  CInternetSession session(nullptr, 1, INTERNET_OPEN_TYPE_DIRECT);
  std::unique_ptr<CHttpConnection> conn(session.GetHttpConnection("127.0.0.1", server.port()));
  std::unique_ptr<CHttpFile> file(conn->OpenRequest(HTTP_VERB_GET, "/missing"));
  file->SendRequest();
  DWORD status = 0;
  ASSERT_TRUE(file->QueryInfoStatusCode(status));
  EXPECT_EQ(404u, status);
}

TEST(Internet, NoServerThrowsWithTheErrorCode) {
  // A port that was just free: nothing listens there.
  INTERNET_PORT port;
  {
    OneShotServer probe("");
    port = probe.port();
  }
  CInternetSession session(nullptr, 7, INTERNET_OPEN_TYPE_DIRECT);
  std::unique_ptr<CHttpConnection> conn(session.GetHttpConnection("127.0.0.1", port));
  std::unique_ptr<CHttpFile> file(conn->OpenRequest(HTTP_VERB_GET, "/x", nullptr, 7));
  DWORD error = 0;
  DWORD_PTR context = 0;
  try {
    file->SendRequest();
  } catch (CInternetException* e) {
    error = e->m_dwError;
    context = e->m_dwContext;
    char text[256];
    EXPECT_TRUE(e->GetErrorMessage(text, sizeof text));
    EXPECT_NE('\0', text[0]);
    e->Delete();
  }
  EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_CANNOT_CONNECT), error);
  EXPECT_EQ(7u, context);
}

TEST(Internet, ParseUrlWithWin32Types) {
  DWORD service = 0;
  CString server, object;
  INTERNET_PORT port = 0;
  ASSERT_TRUE(AfxParseURL("http://127.0.0.1:8080/p", service, server, object, port));
  EXPECT_EQ(static_cast<DWORD>(AFX_INET_SERVICE_HTTP), service);
  EXPECT_EQ(8080, port);
  EXPECT_FALSE(AfxParseURL("not a url", service, server, object, port));
}

}  // namespace
