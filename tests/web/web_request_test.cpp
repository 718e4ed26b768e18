#include "web/web_request.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

#include "fake_transport.h"
#include "web/headers.h"
#include "web/response_body.h"

#include "printing.h"

namespace sl {
namespace {

using Calls = std::vector<std::string>;

constexpr uint32_t kBaseFlags = 0x80000000 | 0x10;

constexpr const char* kRaw =
    "HTTP/1.1 200 OK\r\nSet-Cookie: b=3; path=/\r\nSet-Cookie: c=4\r\nContent-Length: 5\r\n\r\n";

std::string DefaultBlock(const std::string& address) {
  return "Accept: */*\r\nReferer: " + address + "\r\nAccept-Language: zh-cn";
}

class WebRequestTest : public testing::Test {
 protected:
  void SetUp() override {
    transport.bodyChunks = {"hello"};
    transport.rawHeaders = kRaw;
  }
  ByteBuffer Request(const char* address) { return WebRequest(address, options, transport); }

  FakeTransport transport;
  WebRequestOptions options;
};

TEST_F(WebRequestTest, DefaultsForASecureAddress) {
  const ByteBuffer body = Request("https://x1.x2.x3/p");

  EXPECT_EQ(S(body), "hello");
  EXPECT_EQ(transport.calls,
            (Calls{"Open", "Connect", "OpenRequest", "SetOption", "SendRequest", "ReadFile",
                   "QueryInfo", "CloseHandle", "CloseHandle", "CloseHandle"}));
  EXPECT_EQ(transport.open.agent, kDefaultUserAgent);
  EXPECT_EQ(transport.open.accessType, 1u);
  EXPECT_EQ(transport.open.proxyName, std::nullopt);
  EXPECT_EQ(transport.open.proxyBypass, std::nullopt);
  EXPECT_EQ(transport.open.flags, 0u);

  EXPECT_EQ(transport.connect.session, FakeTransport::kSession);
  EXPECT_EQ(transport.connect.serverName, "x1.x2.x3");
  EXPECT_EQ(transport.connect.port, 443);
  EXPECT_EQ(transport.connect.userName, std::nullopt);
  EXPECT_EQ(transport.connect.password, std::nullopt);
  EXPECT_EQ(transport.connect.service, 3u);
  EXPECT_EQ(transport.connect.flags, 0u);
  EXPECT_EQ(transport.connect.context, 0u);

  EXPECT_EQ(transport.request.connection, FakeTransport::kConnection);
  EXPECT_EQ(transport.request.verb, "GET");
  EXPECT_EQ(transport.request.objectName, "/p");
  EXPECT_EQ(transport.request.version, "HTTP/1.1");
  EXPECT_EQ(transport.request.referrer, std::nullopt);
  EXPECT_TRUE(transport.request.acceptTypesNull);
  EXPECT_EQ(transport.request.flags, kBaseFlags | 0x800000);
  EXPECT_EQ(transport.request.context, 0u);

  EXPECT_EQ(transport.option.option, 31u);
  EXPECT_EQ(transport.option.value, 0x1F380u);
  EXPECT_EQ(transport.option.length, 4u);

  const std::string block = DefaultBlock("https://x1.x2.x3/p");
  EXPECT_EQ(transport.send.headers, block);
  EXPECT_EQ(transport.send.headersLength, block.size());
  EXPECT_EQ(transport.send.body, std::nullopt);
  EXPECT_EQ(transport.send.bodyLength, 0u);

  EXPECT_EQ(transport.readSizes, (std::vector<uint32_t>{1024, 1024}));
  EXPECT_EQ(transport.query.infoLevel, 22u);
  EXPECT_EQ(transport.query.bufferLength, 5000u);
  EXPECT_TRUE(transport.query.indexNull);
  EXPECT_EQ(transport.closed,
            (std::vector<TransportHandle>{FakeTransport::kRequest, FakeTransport::kConnection,
                                          FakeTransport::kSession}));

  EXPECT_EQ(S(*options.headers), block);
  EXPECT_EQ(S(*options.rawHeaders), kRaw);
  EXPECT_EQ(S(*options.returnedCookies), "b=3; c=4");
  EXPECT_FALSE(options.cookies.has_value());
  EXPECT_FALSE(options.postBytes.has_value());
}

TEST_F(WebRequestTest, PlainAddressUsesPort80AndAllowsRedirectsToHttps) {
  Request("http://x1.x2.x3/p");
  EXPECT_EQ(transport.connect.port, 80);
  EXPECT_EQ(transport.request.flags, kBaseFlags | 0x4000);
  EXPECT_EQ(transport.send.headers, DefaultBlock("http://x1.x2.x3/p"));
}

TEST_F(WebRequestTest, HostPortAndPathComeFromTheAddressAsTyped) {
  Request("HTTP://WWW.Example.COM:8080/Dir/Map.XML?Q=1#f");
  EXPECT_EQ(transport.connect.serverName, "www.example.com");
  EXPECT_EQ(transport.connect.port, 8080);
  EXPECT_EQ(transport.request.objectName, "/Dir/Map.XML?Q=1#f");
  EXPECT_EQ(transport.send.headers, DefaultBlock("HTTP://WWW.Example.COM:8080/Dir/Map.XML?Q=1#f"));
}

struct MethodCase {
  int32_t method;
  const char* name;
};

void PrintTo(const MethodCase& c, std::ostream* os) { *os << c.method << " " << c.name; }

class WebRequestMethodTest : public testing::TestWithParam<MethodCase> {};

TEST_P(WebRequestMethodTest, SendsTheMethodName) {
  FakeTransport transport;
  WebRequestOptions options;
  options.method = GetParam().method;
  WebRequest("http://h/", options, transport);
  EXPECT_EQ(transport.request.verb, GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Methods, WebRequestMethodTest,
                         testing::Values(MethodCase{0, "GET"}, MethodCase{1, "POST"},
                                         MethodCase{2, "HEAD"}, MethodCase{3, "PUT"},
                                         MethodCase{4, "OPTIONS"}, MethodCase{5, "DELETE"},
                                         MethodCase{6, "TRACE"}, MethodCase{7, "CONNECT"},
                                         MethodCase{8, "GET"}, MethodCase{9, "GET"},
                                         MethodCase{-1, "GET"}, MethodCase{INT32_MIN, "GET"}));

TEST_F(WebRequestTest, GetSendsNoBodyAndLeavesPostBytes) {
  options.postText = "a=1";
  Request("http://h/");
  EXPECT_EQ(transport.send.body, std::nullopt);
  EXPECT_EQ(transport.send.bodyLength, 0u);
  EXPECT_FALSE(options.postBytes.has_value());

  options.postBytes = ByteBuffer("xyz", 3);
  Request("http://h/");
  EXPECT_EQ(transport.send.body, std::nullopt);
  EXPECT_EQ(S(*options.postBytes), "xyz");
}

TEST_F(WebRequestTest, PostSendsPostTextAndKeepsItsBytes) {
  options.method = 1;
  options.postText = "a=1";
  Request("http://h/");
  EXPECT_EQ(transport.send.body, "a=1");
  EXPECT_EQ(transport.send.bodyLength, 3u);
  EXPECT_EQ(S(*options.postBytes), "a=1");
  EXPECT_EQ(transport.send.headers,
            DefaultBlock("http://h/") + "\r\nContent-Type: application/x-www-form-urlencoded");
}

TEST_F(WebRequestTest, PutSendsTheBodyWithoutAContentTypeLine) {
  options.method = 3;
  options.postText = "a=1";
  Request("http://h/");
  EXPECT_EQ(transport.send.body, "a=1");
  EXPECT_EQ(transport.send.headers, DefaultBlock("http://h/"));
}

TEST_F(WebRequestTest, GivenPostBytesWinOverPostText) {
  options.method = 1;
  options.postText = "text";
  options.postBytes = ByteBuffer(std::string_view("b\0y\xFF", 4).data(), 4);
  Request("http://h/");
  EXPECT_EQ(transport.send.body, std::string("b\0y\xFF", 4));
  EXPECT_EQ(transport.send.bodyLength, 4u);
}

TEST_F(WebRequestTest, PostWithoutAnyBodySendsNone) {
  options.method = 1;
  Request("http://h/");
  EXPECT_EQ(transport.send.body, std::nullopt);
  EXPECT_EQ(transport.send.bodyLength, 0u);
  ASSERT_TRUE(options.postBytes.has_value());
  EXPECT_EQ(BytesLength(*options.postBytes), 0);
}

TEST_F(WebRequestTest, CookiesOmittedLeaveTheTransportsStoreOnAndSkipTheMerge) {
  Request("http://h/");
  EXPECT_EQ(transport.request.flags & 0x80000, 0u);
  EXPECT_EQ(S(*options.returnedCookies), "b=3; c=4");
  EXPECT_FALSE(options.cookies.has_value());
}

TEST_F(WebRequestTest, CookiesGivenEmptySwitchOffTheStoreAndMerge) {
  transport.rawHeaders = "HTTP/1.1 200 OK\r\nSet-Cookie: c=4\r\nSet-Cookie: c=4\r\n\r\n";
  options.cookies = "";
  Request("http://h/");
  EXPECT_EQ(transport.request.flags & 0x80000, 0x80000u);
  EXPECT_EQ(transport.send.headers, DefaultBlock("http://h/"));
  EXPECT_EQ(S(*options.returnedCookies), "c=4");
  EXPECT_EQ(S(*options.cookies), "c=4");
}

TEST_F(WebRequestTest, CookiesGivenAreSentAndMerged) {
  options.cookies = "a=1; b=2";
  Request("http://h/");
  EXPECT_EQ(transport.send.headers, DefaultBlock("http://h/") + "\r\nCookie: a=1; b=2");
  EXPECT_EQ(S(*options.returnedCookies), "b=3; c=4; a=1");
  EXPECT_EQ(S(*options.cookies), "b=3; c=4; a=1");
}

TEST_F(WebRequestTest, NoMergeLeavesTheCollectedCookiesAndTheSentOnes) {
  options.cookies = "a=1; b=2";
  options.mergeCookies = false;
  Request("http://h/");
  EXPECT_EQ(transport.request.flags & 0x80000, 0x80000u);
  EXPECT_EQ(S(*options.returnedCookies), "b=3; c=4");
  EXPECT_EQ(S(*options.cookies), "a=1; b=2");
}

TEST_F(WebRequestTest, ProxyForPlainAddressesIsNamedForHttpOnly) {
  options.proxy = "127.0.0.1:8888";
  Request("http://h/");
  EXPECT_EQ(transport.open.accessType, 3u);
  EXPECT_EQ(transport.open.proxyName, "http=127.0.0.1:8888");
  EXPECT_EQ(transport.open.proxyBypass, "");

  Request("HTTPS://h/");
  EXPECT_EQ(transport.open.accessType, 3u);
  EXPECT_EQ(transport.open.proxyName, "127.0.0.1:8888");
  EXPECT_EQ(transport.open.proxyBypass, "");
}

TEST_F(WebRequestTest, NoRedirectAddsItsFlag) {
  options.noRedirect = true;
  Request("https://h/");
  EXPECT_EQ(transport.request.flags, kBaseFlags | 0x800000 | 0x200000);
}

// The agent is chosen after the names are normalised, from the normalised block.
TEST_F(WebRequestTest, AgentComesFromTheHeaderBlock) {
  options.headers = "user-agent: abc\r\naccept: x";
  Request("http://h/");
  EXPECT_EQ(transport.open.agent, "abc");
  EXPECT_EQ(transport.send.headers,
            "User-Agent: abc\r\nAccept: x\r\nReferer: http://h/"
            "\r\nAccept-Language: zh-cn");

  options.headers = "user-agent: abc\r\naccept: x";
  options.normalizeHeaderNames = false;
  Request("http://h/");
  EXPECT_EQ(transport.open.agent, "abc\r\naccept: x");
  EXPECT_EQ(transport.send.headers,
            "user-agent: abc\r\naccept: x\r\nReferer: http://h/"
            "\r\nAccept-Language: zh-cn");
}

TEST_F(WebRequestTest, IncompleteHeadersGoAsGiven) {
  options.headers = "x-a: 1\r\nbad line";
  options.completeHeaders = false;
  Request("http://h/");
  EXPECT_EQ(transport.send.headers, "X-A: 1");
  EXPECT_EQ(S(*options.headers), "X-A: 1");

  options.headers = std::nullopt;
  options.normalizeHeaderNames = false;
  Request("http://h/");
  EXPECT_EQ(transport.send.headers, std::nullopt);
  EXPECT_EQ(transport.send.headersLength, 0u);
}

TEST_F(WebRequestTest, BodyIsEveryChunkInOrderZeroBytesIncluded) {
  transport.bodyChunks = {std::string(1024, 'a'), std::string("\0b\0", 3), std::string(1000, 'c')};
  const ByteBuffer body = Request("http://h/");
  EXPECT_EQ(S(body), std::string(1024, 'a') + std::string("\0b\0", 3) + std::string(1000, 'c'));
  EXPECT_EQ(transport.readSizes.size(), 4u);
}

TEST_F(WebRequestTest, FailedHeaderQueryLeavesBlanksAndNoCookies) {
  transport.rawHeaders = std::nullopt;
  Request("http://h/");
  EXPECT_EQ(S(*options.rawHeaders), std::string(5000, ' '));
  EXPECT_EQ(S(*options.returnedCookies), "");

  options.cookies = "a=1;";
  Request("http://h/");
  EXPECT_EQ(S(*options.returnedCookies), "a=1");
  EXPECT_EQ(S(*options.cookies), "a=1");
}

TEST_F(WebRequestTest, HeaderBlockThatDoesNotFitIsNotCaptured) {
  const std::string head = "HTTP/1.1 200 OK\r\nSet-Cookie: z=1\r\nX: ";
  transport.rawHeaders = head + std::string(4999 - head.size() - 4, 'x') + "\r\n\r\n";
  ASSERT_EQ(transport.rawHeaders->size(), 4999u);
  Request("http://h/");
  EXPECT_EQ(S(*options.rawHeaders), *transport.rawHeaders);
  EXPECT_EQ(S(*options.returnedCookies), "z=1");

  transport.rawHeaders = head + std::string(5000 - head.size() - 4, 'x') + "\r\n\r\n";
  Request("http://h/");
  EXPECT_EQ(S(*options.rawHeaders), std::string(5000, ' '));
  EXPECT_EQ(S(*options.returnedCookies), "");
}

struct EarlyExitCase {
  const char* failing;
  std::vector<std::string> calls;
  std::vector<TransportHandle> closed;
};

void PrintTo(const EarlyExitCase& c, std::ostream* os) { *os << c.failing << " fails"; }

class WebRequestEarlyExitTest : public testing::TestWithParam<EarlyExitCase> {};

TEST_P(WebRequestEarlyExitTest, ClosesWhatWasOpenedAndKeepsTheCallersValues) {
  FakeTransport transport;
  transport.bodyChunks = {"never read"};
  transport.rawHeaders = kRaw;
  const std::string failing = GetParam().failing;
  transport.failOpen = failing == "Open";
  transport.failConnect = failing == "Connect";
  transport.failOpenRequest = failing == "OpenRequest";

  WebRequestOptions options;
  options.method = 1;
  options.postText = "a=1";
  options.cookies = "k=v";
  options.headers = "x-a: 1";
  options.returnedCookies = "kept";
  options.rawHeaders = "kept too";
  const ByteBuffer body = WebRequest("http://h/", options, transport);

  EXPECT_EQ(BytesLength(body), 0);
  EXPECT_EQ(transport.calls, GetParam().calls);
  EXPECT_EQ(transport.closed, GetParam().closed);
  EXPECT_EQ(S(*options.headers), "X-A: 1");
  EXPECT_EQ(S(*options.returnedCookies), "kept");
  EXPECT_EQ(S(*options.rawHeaders), "kept too");
  EXPECT_EQ(S(*options.cookies), "k=v");
  EXPECT_FALSE(options.postBytes.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Opens, WebRequestEarlyExitTest,
    testing::Values(EarlyExitCase{"Open", {"Open"}, {}},
                    EarlyExitCase{
                        "Connect", {"Open", "Connect", "CloseHandle"}, {FakeTransport::kSession}},
                    EarlyExitCase{"OpenRequest",
                                  {"Open", "Connect", "OpenRequest", "CloseHandle", "CloseHandle"},
                                  {FakeTransport::kConnection, FakeTransport::kSession}}),
    [](const testing::TestParamInfo<EarlyExitCase>& p) { return std::string(p.param.failing); });

TEST(ReadResponseBodyTest, StopsAtTheLastChunkThatFits) {
  FakeTransport transport;
  transport.bodyChunks = {std::string(1024, 'a'), std::string(1024, 'b'), std::string(1024, 'c'),
                          std::string(1024, 'd')};
  const ByteBuffer body = ReadResponseBody(transport, FakeTransport::kRequest, 2500);
  EXPECT_EQ(S(body), std::string(1024, 'a') + std::string(1024, 'b'));
  EXPECT_EQ(transport.readSizes.size(), 3u);

  FakeTransport exact;
  exact.bodyChunks = {std::string(1024, 'a'), std::string(976, 'b'), "never"};
  EXPECT_EQ(BytesLength(ReadResponseBody(exact, FakeTransport::kRequest, 2000)), 2000);
  EXPECT_EQ(exact.readSizes.size(), 3u);
}

}  // namespace
}  // namespace sl
