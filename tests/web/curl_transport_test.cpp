// The platform transport on its own: what its flags and options mean.
#include <gtest/gtest.h>

#include <ostream>

#include <array>
#include <chrono>
#include <string>

#include "loopback_server.h"
#include "web/transport.h"
#include "web/transport_timeouts.h"

#include "printing.h"

namespace sl {
namespace {

using namespace std::chrono_literals;
using testing_web::RecordingServer;

// One request's handles, closed in reverse order.
class Exchange {
 public:
  Exchange(Transport& transport, const char* proxyList, const char* host, int32_t port,
           const char* path, uint32_t flags)
      : transport_(transport) {
    session_ = proxyList ? transport.Open("agent", kOpenTypeProxy, proxyList, "", 0)
                         : transport.Open("agent", kOpenTypeDirect, nullptr, nullptr, 0);
    connection_ = transport.Connect(session_, host, port, nullptr, nullptr, kServiceHttp, 0, 0);
    request_ =
        transport.OpenRequest(connection_, "GET", path, "HTTP/1.1", nullptr, nullptr, flags, 0);
  }
  ~Exchange() {
    for (const TransportHandle handle : {request_, connection_, session_}) {
      if (handle != kNullHandle) transport_.CloseHandle(handle);
    }
  }
  Exchange(const Exchange&) = delete;
  Exchange& operator=(const Exchange&) = delete;

  TransportHandle Request() const { return request_; }

  void SetSecurityFlags(uint32_t flags) {
    transport_.SetOption(request_, kOptionSecurityFlags, &flags, sizeof flags);
  }

  bool Send() { return transport_.SendRequest(request_, nullptr, 0, nullptr, 0); }

  std::string ReadAll() {
    std::string body;
    std::array<char, 1024> buffer{};
    for (int reads = 0; reads < 100000; ++reads) {
      uint32_t n = 0;
      transport_.ReadFile(request_, buffer.data(), buffer.size(), &n);
      if (n == 0) break;
      body.append(buffer.data(), n);
    }
    return body;
  }

 private:
  Transport& transport_;
  TransportHandle session_{};
  TransportHandle connection_{};
  TransportHandle request_{};
};

class CurlTransportTest : public testing::Test {
 protected:
  ScopedTransportTimeouts timeouts_{{5s, 5s}};
  Transport& transport_ = DefaultTransport();
};

struct CertificateCase {
  uint32_t securityFlags;
  bool accepted;
};

void PrintTo(const CertificateCase& c, std::ostream* os) {
  *os << "0x" << std::hex << c.securityFlags << std::dec;
}

class CertificateTest : public CurlTransportTest,
                        public testing::WithParamInterface<CertificateCase> {};

// The test certificate is self-signed, expired and made out for another name:
// only all three errors accepted let the request through.
TEST_P(CertificateTest, AcceptsOnlyTheNamedErrors) {
  RecordingServer server(RecordingServer::Tls::kOn);
  server.Routes().Get("/", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("in", "text/plain");
  });
  server.Start();
  Exchange exchange(transport_, nullptr, "127.0.0.1", server.Port(), "/",
                    kFlagReload | kFlagSecure);
  if (GetParam().securityFlags != 0) exchange.SetSecurityFlags(GetParam().securityFlags);

  EXPECT_EQ(exchange.Send(), GetParam().accepted);
  EXPECT_EQ(exchange.ReadAll(), GetParam().accepted ? "in" : "");
  EXPECT_EQ(server.Received().size(), GetParam().accepted ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    SecurityFlags, CertificateTest,
    testing::Values(CertificateCase{0, false}, CertificateCase{0x1F380, true},
                    CertificateCase{0x1F380 & ~kSecurityIgnoreCertCnInvalid, false},
                    CertificateCase{0x1F380 & ~kSecurityIgnoreCertDateInvalid, false},
                    CertificateCase{0x1F380 & ~kSecurityIgnoreUnknownCa, false},
                    CertificateCase{kSecurityIgnoreUnknownCa | kSecurityIgnoreWrongUsage |
                                        kSecurityIgnoreCertDateInvalid |
                                        kSecurityIgnoreCertCnInvalid,
                                    true}));

TEST_F(CurlTransportTest, HttpOnlyProxyLeavesSecureAddressesDirect) {
  RecordingServer proxy;
  proxy.Routes().Get(".*", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("via proxy", "text/plain");
  });
  proxy.Start();
  RecordingServer secure(RecordingServer::Tls::kOn);
  secure.Routes().Get("/", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("direct", "text/plain");
  });
  secure.Start();
  const std::string list = "http=127.0.0.1:" + std::to_string(proxy.Port());

  Exchange direct(transport_, list.c_str(), "127.0.0.1", secure.Port(), "/",
                  kFlagReload | kFlagSecure);
  direct.SetSecurityFlags(0x1F380);
  ASSERT_TRUE(direct.Send());
  EXPECT_EQ(direct.ReadAll(), "direct");
  EXPECT_EQ(proxy.Received().size(), 0u);

  Exchange proxied(transport_, list.c_str(), "upstream.invalid", 0, "/x", kFlagReload);
  ASSERT_TRUE(proxied.Send());
  EXPECT_EQ(proxied.ReadAll(), "via proxy");
  ASSERT_EQ(proxy.Received().size(), 1u);
  EXPECT_EQ(proxy.Received()[0].target, "http://upstream.invalid/x");
}

TEST_F(CurlTransportTest, RefusesHostsThatWouldNameAnotherServer) {
  const TransportHandle session = transport_.Open(nullptr, kOpenTypeDirect, nullptr, nullptr, 0);
  ASSERT_NE(session, kNullHandle);
  for (const char* host : {"", "evil.example@127.0.0.1", "a/b", "a b", "a?b", "a#b", "a\r\nb"}) {
    EXPECT_EQ(transport_.Connect(session, host, 80, nullptr, nullptr, kServiceHttp, 0, 0),
              kNullHandle)
        << host;
  }
  EXPECT_EQ(transport_.Connect(session, "h", 65536, nullptr, nullptr, kServiceHttp, 0, 0),
            kNullHandle);
  const TransportHandle connection =
      transport_.Connect(session, "Example-1.COM", 8080, nullptr, nullptr, kServiceHttp, 0, 0);
  EXPECT_NE(connection, kNullHandle);
  EXPECT_EQ(transport_.OpenRequest(connection, "GET /x HTTP/1.1\r\nX:", "/", nullptr, nullptr,
                                   nullptr, 0, 0),
            kNullHandle);
  EXPECT_TRUE(transport_.CloseHandle(connection));
  EXPECT_TRUE(transport_.CloseHandle(session));
  EXPECT_FALSE(transport_.CloseHandle(session));
}

TEST_F(CurlTransportTest, AgentAndReferrerCannotAddHeaderLines) {
  testing_web::ScriptedServer server({{"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"}});
  const TransportHandle session =
      transport_.Open("agent\r\nX-Injected: 1", kOpenTypeDirect, nullptr, nullptr, 0);
  const TransportHandle connection =
      transport_.Connect(session, "127.0.0.1", server.Port(), nullptr, nullptr, kServiceHttp, 0, 0);
  const TransportHandle request = transport_.OpenRequest(
      connection, "GET", "/", "HTTP/1.1", "http://r/\nX-Also: 1", nullptr, kFlagReload, 0);
  EXPECT_TRUE(transport_.SendRequest(request, nullptr, 0, nullptr, 0));
  for (const TransportHandle handle : {request, connection, session}) {
    transport_.CloseHandle(handle);
  }
  ASSERT_EQ(server.Received().size(), 1u);
  const std::string sent = server.Received()[0];
  EXPECT_NE(sent.find("\r\nUser-Agent: agent\r\n"), std::string::npos) << sent;
  EXPECT_NE(sent.find("\r\nReferer: http://r/\r\n"), std::string::npos) << sent;
  EXPECT_EQ(sent.find("X-"), std::string::npos) << sent;
}

TEST_F(CurlTransportTest, ReadsNoMoreThanAskedAndQueriesOnlyWhatFits) {
  RecordingServer server;
  server.Routes().Get("/", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(std::string(3000, 'x'), "text/plain");
  });
  server.Start();
  Exchange exchange(transport_, nullptr, "127.0.0.1", server.Port(), "/", kFlagReload);
  ASSERT_TRUE(exchange.Send());

  std::array<char, 100> buffer{};
  uint32_t n = 0;
  EXPECT_TRUE(transport_.ReadFile(exchange.Request(), buffer.data(), 7, &n));
  EXPECT_EQ(n, 7u);

  std::string small(10, '#');
  uint32_t length = static_cast<uint32_t>(small.size());
  EXPECT_FALSE(transport_.QueryInfo(exchange.Request(), kQueryRawHeadersCrlf, small.data(), &length,
                                    nullptr));
  EXPECT_EQ(small, std::string(10, '#'));
  EXPECT_GT(length, 10u);

  std::string fitting(length, '#');
  EXPECT_TRUE(transport_.QueryInfo(exchange.Request(), kQueryRawHeadersCrlf, fitting.data(),
                                   &length, nullptr));
  EXPECT_EQ(fitting.size(), length + 1u);
  EXPECT_TRUE(fitting.starts_with("HTTP/1.1 200 OK\r\n"));
  EXPECT_EQ(fitting.substr(length - 4), std::string("\r\n\r\n\0", 5));
}

}  // namespace
}  // namespace sl
