// WebRequest over the platform transport against servers on 127.0.0.1.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "loopback_server.h"
#include "printing.h"
#include "web/headers.h"
#include "web/transport_timeouts.h"
#include "web/web_request.h"

namespace sl {
namespace {

using namespace std::chrono_literals;
using testing_web::ReceivedRequest;
using testing_web::RecordingServer;
using testing_web::ScriptedServer;

// Bytes of every value, zero among them, in no simple pattern.
std::string MixedBytes(size_t size) {
  std::string bytes(size, '\0');
  uint32_t state = 12345;
  for (size_t i = 0; i < size; ++i) {
    state = state * 1103515245u + 12345u;
    bytes[i] = i % 7 == 0 ? '\0' : static_cast<char>(state >> 24);
  }
  return bytes;
}

std::vector<std::string> HeaderLines(const std::string& request) {
  std::vector<std::string> lines;
  size_t pos = request.find("\r\n") + 2;
  for (size_t end; (end = request.find("\r\n", pos)) != std::string::npos && end > pos;
       pos = end + 2) {
    lines.push_back(request.substr(pos, end - pos));
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

class LoopbackTest : public testing::Test {
 protected:
  // Nothing in these tests may wait long; the tests that need shorter
  // time-outs set their own.
  ScopedTransportTimeouts timeouts_{{5s, 5s}};
  WebRequestOptions options_;
};

TEST_F(LoopbackTest, DefaultGetSendsThePathAsTypedAndTheDefaultLines) {
  ScriptedServer server({{"HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok"}});
  const std::string authority = "127.0.0.1:" + std::to_string(server.Port());
  const std::string address = "HTTP://" + authority + "/Dir/../Map.XML?Q=%41&r=a/b";
  options_.method = 0;

  const ByteBuffer body = WebRequest(address.c_str(), options_);

  EXPECT_EQ(S(body), "ok");
  ASSERT_EQ(server.Received().size(), 1u);
  const std::string request = server.Received()[0];
  EXPECT_EQ(request.substr(0, request.find("\r\n")), "GET /Dir/../Map.XML?Q=%41&r=a/b HTTP/1.1");
  EXPECT_EQ(HeaderLines(request),
            (std::vector<std::string>{"Accept-Language: zh-cn", "Accept: */*", "Host: " + authority,
                                      "Referer: " + address,
                                      std::string("User-Agent: ") + kDefaultUserAgent}));
  EXPECT_TRUE(request.ends_with("\r\n\r\n"));
  EXPECT_EQ(S(*options_.rawHeaders),
            "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\n");
}

// Only Host and the agent join the caller's lines: no Accept, Expect or
// Accept-Encoding of the transport's own.
TEST_F(LoopbackTest, IncompleteHeaderBlockGoesAsGiven) {
  ScriptedServer server({{"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"}});
  options_.headers = "x-only: 1\r\nX-Empty:";
  options_.completeHeaders = false;
  WebRequest(server.Url("/").c_str(), options_);
  ASSERT_EQ(server.Received().size(), 1u);
  EXPECT_EQ(HeaderLines(server.Received()[0]),
            (std::vector<std::string>{"Host: 127.0.0.1:" + std::to_string(server.Port()),
                                      std::string("User-Agent: ") + kDefaultUserAgent,
                                      "X-Empty:", "X-Only: 1"}));
}

TEST_F(LoopbackTest, BytesARequestLineCannotCarryAreEscaped) {
  ScriptedServer server({{"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"}});
  WebRequest(server.Url("/a b?c d").c_str(), options_);
  ASSERT_EQ(server.Received().size(), 1u);
  EXPECT_TRUE(server.Received()[0].starts_with("GET /a%20b?c%20d HTTP/1.1\r\n"));
}

TEST_F(LoopbackTest, HttpsAcceptsTheSelfSignedExpiredCertificateForAnotherName) {
  RecordingServer server(RecordingServer::Tls::kOn);
  server.Routes().Get("/secure", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("over tls", "text/plain");
  });
  server.Start();

  EXPECT_EQ(S(WebRequest(server.Url("/secure").c_str(), options_)), "over tls");
  EXPECT_TRUE(S(*options_.rawHeaders).starts_with("HTTP/1.1 200 OK\r\n"));
}

class RedirectTest : public LoopbackTest {
 protected:
  void SetUp() override {
    server_.Routes().Get("/from", [](const httplib::Request&, httplib::Response& response) {
      response.set_redirect("/to");
      response.set_content("moved", "text/plain");
    });
    server_.Routes().Get("/to", [](const httplib::Request&, httplib::Response& response) {
      response.set_content("arrived", "text/plain");
    });
    server_.Routes().Get(R"(/hop/(\d+))",
                         [](const httplib::Request& request, httplib::Response& response) {
                           const int left = std::stoi(request.matches[1]);
                           if (left == 0) {
                             response.set_content("landed", "text/plain");
                           } else {
                             response.set_redirect("/hop/" + std::to_string(left - 1));
                           }
                         });
    server_.Start();
  }

  std::vector<std::string> Targets() const {
    std::vector<std::string> targets;
    for (const ReceivedRequest& request : server_.Received()) targets.push_back(request.target);
    return targets;
  }

  RecordingServer server_;
};

TEST_F(RedirectTest, IsFollowed) {
  EXPECT_EQ(S(WebRequest(server_.Url("/from").c_str(), options_)), "arrived");
  EXPECT_EQ(Targets(), (std::vector<std::string>{"/from", "/to"}));
  EXPECT_TRUE(S(*options_.rawHeaders).starts_with("HTTP/1.1 200 OK\r\n"));
}

TEST_F(RedirectTest, IsNotFollowedWhenAsked) {
  options_.noRedirect = true;
  EXPECT_EQ(S(WebRequest(server_.Url("/from").c_str(), options_)), "moved");
  EXPECT_EQ(Targets(), (std::vector<std::string>{"/from"}));
  EXPECT_TRUE(S(*options_.rawHeaders).starts_with("HTTP/1.1 302 Found\r\n"));
  EXPECT_NE(S(*options_.rawHeaders).find("\r\nLocation: /to\r\n"), std::string::npos);
}

TEST_F(RedirectTest, FollowsTwentyHopsAndNoMore) {
  EXPECT_EQ(S(WebRequest(server_.Url("/hop/20").c_str(), options_)), "landed");
  EXPECT_EQ(Targets().size(), 21u);

  WebRequestOptions more;
  EXPECT_EQ(S(WebRequest(server_.Url("/hop/21").c_str(), more)), "");
  EXPECT_EQ(Targets().size(), 21u + 21u);
  EXPECT_EQ(Targets().back(), "/hop/1");
}

TEST_F(LoopbackTest, RedirectsChangeSchemeBothWays) {
  RecordingServer plain;
  RecordingServer secure(RecordingServer::Tls::kOn);
  plain.Routes().Get("/up", [&secure](const httplib::Request&, httplib::Response& response) {
    response.set_redirect(secure.Url("/secure"));
  });
  plain.Routes().Get("/plain", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("plain text", "text/plain");
  });
  secure.Routes().Get("/secure", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("secure text", "text/plain");
  });
  secure.Routes().Get("/down", [&plain](const httplib::Request&, httplib::Response& response) {
    response.set_redirect(plain.Url("/plain"));
  });
  plain.Start();
  secure.Start();

  EXPECT_EQ(S(WebRequest(plain.Url("/up").c_str(), options_)), "secure text");
  WebRequestOptions down;
  EXPECT_EQ(S(WebRequest(secure.Url("/down").c_str(), down)), "plain text");
}

TEST_F(LoopbackTest, SetCookieLinesAreCollectedAndMergedWithTheSentCookies) {
  RecordingServer server;
  server.Routes().Get("/cookies", [](const httplib::Request&, httplib::Response& response) {
    response.headers.emplace("Set-Cookie", "a=1; Path=/cookies");
    response.headers.emplace("Set-Cookie", "b=2; Path=/cookies; HttpOnly");
    response.set_content("ok", "text/plain");
  });
  server.Start();
  options_.cookies = "b=0; z=9";

  WebRequest(server.Url("/cookies").c_str(), options_);

  ASSERT_EQ(server.Received().size(), 1u);
  EXPECT_EQ(server.Received()[0].Header("Cookie"), "b=0; z=9");
  EXPECT_EQ(S(*options_.returnedCookies), "a=1; b=2; z=9");
  EXPECT_EQ(S(*options_.cookies), "a=1; b=2; z=9");
}

// The transport's store holds what one hop sets for the next hop and later
// requests, unless the caller manages the cookies itself.
TEST_F(LoopbackTest, TransportCookieStoreIsUsedUnlessCookiesAreGiven) {
  RecordingServer server;
  server.Routes().Get("/jar/set", [](const httplib::Request& request, httplib::Response& response) {
    response.headers.emplace("Set-Cookie", request.get_param_value("name") + "=1; Path=/jar");
    response.set_redirect("/jar/echo");
  });
  server.Routes().Get(
      "/jar/echo", [](const httplib::Request& request, httplib::Response& response) {
        response.set_content("[" + request.get_header_value("Cookie") + "]", "text/plain");
      });
  server.Start();

  EXPECT_EQ(S(WebRequest(server.Url("/jar/set?name=kept").c_str(), options_)), "[kept=1]");
  WebRequestOptions again;
  EXPECT_EQ(S(WebRequest(server.Url("/jar/echo").c_str(), again)), "[kept=1]");

  WebRequestOptions own;
  own.cookies = "";
  EXPECT_EQ(S(WebRequest(server.Url("/jar/set?name=unstored").c_str(), own)), "[]");
  WebRequestOptions after;
  EXPECT_EQ(S(WebRequest(server.Url("/jar/echo").c_str(), after)), "[kept=1]");
}

class BodyTest : public LoopbackTest {
 protected:
  void SetUp() override {
    server_.Routes().Post("/in", Echo);
    server_.Routes().Put("/in", Echo);
    server_.Routes().Get("/in", Echo);
    server_.Start();
  }
  static void Echo(const httplib::Request&, httplib::Response& response) {
    response.set_content("done", "text/plain");
  }
  ReceivedRequest Only() const {
    EXPECT_EQ(server_.Received().size(), 1u);
    return server_.Received().empty() ? ReceivedRequest{} : server_.Received()[0];
  }

  RecordingServer server_;
};

TEST_F(BodyTest, PostSendsThePostTextAsAForm) {
  options_.method = 1;
  options_.postText = "a=1";
  EXPECT_EQ(S(WebRequest(server_.Url("/in").c_str(), options_)), "done");
  const ReceivedRequest request = Only();
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.body, "a=1");
  EXPECT_EQ(request.Header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(request.Header("Content-Length"), "3");
}

TEST_F(BodyTest, PutSendsTheBodyWithoutAContentType) {
  options_.method = 3;
  options_.postText = "x=2";
  WebRequest(server_.Url("/in").c_str(), options_);
  const ReceivedRequest request = Only();
  EXPECT_EQ(request.method, "PUT");
  EXPECT_EQ(request.body, "x=2");
  EXPECT_FALSE(request.Has("Content-Type"));
}

TEST_F(BodyTest, GetSendsNoBody) {
  options_.postText = "a=1";
  WebRequest(server_.Url("/in").c_str(), options_);
  const ReceivedRequest request = Only();
  EXPECT_EQ(request.method, "GET");
  EXPECT_EQ(request.body, "");
  EXPECT_FALSE(request.Has("Content-Length"));
}

TEST_F(BodyTest, HeadGetsTheHeadersWithoutWaitingForABody) {
  options_.method = 2;
  EXPECT_EQ(BytesLength(WebRequest(server_.Url("/in").c_str(), options_)), 0);
  EXPECT_EQ(Only().method, "HEAD");
  EXPECT_NE(S(*options_.rawHeaders).find("\r\nContent-Length: 4\r\n"), std::string::npos);
}

TEST_F(BodyTest, LargeBinaryPostArrivesWholeWithoutWaitingForContinue) {
  const std::string bytes = MixedBytes(2 * 1024 * 1024 + 3);
  options_.method = 1;
  options_.postBytes = ByteBuffer(bytes.data(), bytes.size());
  WebRequest(server_.Url("/in").c_str(), options_);
  const ReceivedRequest request = Only();
  EXPECT_TRUE(request.body == bytes);
  EXPECT_FALSE(request.Has("Expect"));
}

TEST_F(LoopbackTest, ProxyGetsTheAbsoluteFormForPlainAddresses) {
  RecordingServer proxy;
  proxy.Routes().Get(".*", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("via proxy", "text/plain");
  });
  proxy.Start();
  options_.proxy = ("127.0.0.1:" + std::to_string(proxy.Port())).c_str();

  EXPECT_EQ(S(WebRequest("http://upstream.invalid:8080/p?q=1", options_)), "via proxy");
  ASSERT_EQ(proxy.Received().size(), 1u);
  EXPECT_EQ(proxy.Received()[0].target, "http://upstream.invalid:8080/p?q=1");
  EXPECT_EQ(proxy.Received()[0].Header("Host"), "upstream.invalid:8080");
}

TEST_F(LoopbackTest, ProxyIsAskedToTunnelSecureAddresses) {
  ScriptedServer proxy({{"HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\n\r\n"}});
  options_.proxy = ("127.0.0.1:" + std::to_string(proxy.Port())).c_str();

  EXPECT_EQ(S(WebRequest("https://upstream.invalid/p", options_)), "");
  ASSERT_EQ(proxy.Received().size(), 1u);
  EXPECT_TRUE(proxy.Received()[0].starts_with("CONNECT upstream.invalid:443 HTTP/1.1\r\n"));
}

// A block of exactly `size` bytes, "\r\n\r\n" included.
std::string HeaderBlockOf(size_t size) {
  const std::string head =
      "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nSet-Cookie: big=1; Path=/elsewhere\r\nX-Pad: ";
  return head + std::string(size - head.size() - 4, 'p') + "\r\n\r\n";
}

TEST_F(LoopbackTest, RawHeadersAreCapturedOnlyWhenTheyFitWithTheirZeroByte) {
  for (const size_t size : {4999u, 5000u, 6000u}) {
    SCOPED_TRACE(size);
    ScriptedServer server({{HeaderBlockOf(size) + "ok"}});
    WebRequestOptions options;
    EXPECT_EQ(S(WebRequest(server.Url("/h").c_str(), options)), "ok");
    if (size < 5000) {
      EXPECT_EQ(S(*options.rawHeaders), HeaderBlockOf(size));
      EXPECT_EQ(S(*options.returnedCookies), "big=1");
    } else {
      EXPECT_EQ(S(*options.rawHeaders), std::string(5000, ' '));
      EXPECT_EQ(S(*options.returnedCookies), "");
    }
  }
}

TEST_F(LoopbackTest, RawHeadersOfTheFinalResponseEndEveryLineWithCrLf) {
  ScriptedServer server({{"HTTP/1.1 301 Moved\nLocation: /next\nContent-Length: 0\n\n"},
                         {"HTTP/1.1 200 OK\nContent-Length: 2\nX-Last: 1\n\nok"}});
  EXPECT_EQ(S(WebRequest(server.Url("/first").c_str(), options_)), "ok");
  EXPECT_EQ(S(*options_.rawHeaders), "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nX-Last: 1\r\n\r\n");
}

class LargeBodyTest : public LoopbackTest, public testing::WithParamInterface<bool> {};

TEST_P(LargeBodyTest, ArrivesWholeAndByteExact) {
  const bool chunked = GetParam();
  const std::string bytes = MixedBytes(8 * 1024 * 1024 + 17);
  RecordingServer server;
  server.Routes().Get("/big", [&](const httplib::Request&, httplib::Response& response) {
    if (!chunked) {
      response.set_content(bytes, "application/octet-stream");
      return;
    }
    response.set_chunked_content_provider(
        "application/octet-stream", [&bytes](size_t offset, httplib::DataSink& sink) {
          const size_t n = std::min<size_t>(100000, bytes.size() - offset);
          sink.write(bytes.data() + offset, n);
          if (offset + n == bytes.size()) sink.done();
          return true;
        });
  });
  server.Start();

  const ByteBuffer body = WebRequest(server.Url("/big").c_str(), options_);
  EXPECT_EQ(BytesLength(body), static_cast<int32_t>(bytes.size()));
  EXPECT_TRUE(body.View() == bytes);
}

INSTANTIATE_TEST_SUITE_P(Framings, LargeBodyTest, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& p) {
                           return p.param ? "Chunked" : "WithLength";
                         });

TEST_F(LoopbackTest, RefusedConnectionGivesAnEmptyBody) {
  const std::string address =
      "http://127.0.0.1:" + std::to_string(testing_web::UnusedPort()) + "/x";
  EXPECT_EQ(BytesLength(WebRequest(address.c_str(), options_)), 0);
  EXPECT_EQ(S(*options_.rawHeaders), std::string(5000, ' '));
  EXPECT_EQ(S(*options_.returnedCookies), "");
}

TEST_F(LoopbackTest, UnresolvableHostGivesAnEmptyBody) {
  EXPECT_EQ(BytesLength(WebRequest("http://no-such-host.invalid/sitemap.xml", options_)), 0);
  EXPECT_EQ(S(*options_.rawHeaders), std::string(5000, ' '));
}

class TimeoutTest : public LoopbackTest {
 protected:
  std::chrono::steady_clock::duration Timed(const std::string& address) {
    const auto start = std::chrono::steady_clock::now();
    body_ = WebRequest(address.c_str(), options_);
    return std::chrono::steady_clock::now() - start;
  }

  ScopedTransportTimeouts short_{{300ms, 1s}};
  ByteBuffer body_;
};

// The servers below hold their connections for a minute; the bound only
// shows that the request did not wait for them.
TEST_F(TimeoutTest, ServerThatStopsMidBodyGivesWhatArrived) {
  const std::string part = MixedBytes(30000);
  ScriptedServer server(
      {{"HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + part, /*holdOpen=*/true}});
  EXPECT_LT(Timed(server.Url("/slow")), 20s);
  EXPECT_TRUE(body_.View() == part);
  EXPECT_EQ(S(*options_.rawHeaders), "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
}

TEST_F(TimeoutTest, ServerThatNeverAnswersGivesNothing) {
  ScriptedServer server({{"", /*holdOpen=*/true}});
  EXPECT_LT(Timed(server.Url("/silent")), 20s);
  EXPECT_EQ(BytesLength(body_), 0);
  EXPECT_EQ(S(*options_.rawHeaders), std::string(5000, ' '));
}

TEST_F(TimeoutTest, ConnectionThatIsNeverMadeGivesUp) {
  testing_web::UnansweredListener listener;
  EXPECT_LT(Timed("http://127.0.0.1:" + std::to_string(listener.Port()) + "/"), 20s);
  EXPECT_EQ(BytesLength(body_), 0);
}

}  // namespace
}  // namespace sl
