#include "web/web_request.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "web/cookies.h"
#include "web/headers.h"
#include "web/response_body.h"
#include "web/url.h"

namespace sl {

namespace {

constexpr std::array<const char*, 8> kMethodNames = {"GET",     "POST",   "HEAD",  "PUT",
                                                     "OPTIONS", "DELETE", "TRACE", "CONNECT"};
constexpr const char* kHttpVersion = "HTTP/1.1";
constexpr uint32_t kSecurityFlags =
    kSecurityIgnoreRevocation | kSecurityIgnoreUnknownCa | kSecurityIgnoreWrongUsage |
    kSecurityIgnoreCertCnInvalid | kSecurityIgnoreCertDateInvalid | kSecurityIgnoreRedirectToHttps |
    kSecurityIgnoreRedirectToHttp | kSecurityFlag10000;
constexpr int32_t kRawHeaderBufferLength = 5000;

// Empty texts travel to the transport as null pointers.
const char* NullWhenEmpty(const Text& t) { return TextLength(t) == 0 ? nullptr : t.CStr(); }
// Texts that the transport always gets as a string, empty or not.
const char* NeverNull(const Text& t) { return t.Bytes().c_str(); }

// Closes its handle when asked or when it goes out of scope, so that every
// exit closes what was opened, the later handles first.
class OwnedHandle {
 public:
  OwnedHandle(Transport& transport, TransportHandle handle)
      : transport_(transport), handle_(handle) {}
  ~OwnedHandle() { Close(); }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;

  TransportHandle Get() const { return handle_; }
  bool IsNull() const { return handle_ == kNullHandle; }
  void Close() {
    if (handle_ != kNullHandle) transport_.CloseHandle(std::exchange(handle_, kNullHandle));
  }

 private:
  Transport& transport_;
  TransportHandle handle_;
};

}  // namespace

ByteBuffer ReadResponseBody(Transport& transport, TransportHandle request, int32_t maxLength) {
  ByteBuffer body;
  std::array<uint8_t, kReadChunk> buffer{};
  for (;;) {
    uint32_t count = 0;
    transport.ReadFile(request, buffer.data(), kReadChunk, &count);
    if (count == 0) break;
    const uint32_t n = std::min(count, kReadChunk);
    if (static_cast<int64_t>(body.Length()) + n > maxLength) break;
    if (!body.Append(std::span<const uint8_t>(buffer.data(), n))) break;
  }
  return body;
}

ByteBuffer WebRequest(const Text& address, WebRequestOptions& options) {
  return WebRequest(address, options, DefaultTransport());
}

ByteBuffer WebRequest(const Text& address, WebRequestOptions& options, Transport& transport) {
  const int32_t method = options.method.value_or(0);
  const Text postText = options.postText.value_or(Text());
  const bool cookiesGiven = options.cookies.has_value();
  const Text cookies = options.cookies.value_or(Text());
  Text headers = options.headers.value_or(Text());
  const bool noRedirect = options.noRedirect.value_or(false);
  const Text proxy = options.proxy.value_or(Text());
  const bool mergeCookies = options.mergeCookies.value_or(true);
  const bool completeHeaders = options.completeHeaders.value_or(true);

  if (options.normalizeHeaderNames.value_or(true)) {
    headers = NormalizeHeaderNames(headers);
    options.headers = headers;
  }

  const int32_t methodIndex = method < 0 || method > 7 ? 0 : method;
  const bool secure = TextToLower(TextLeft(address, 8)) == Text("https://");
  const Text agent = UserAgentFromHeaders(headers);

  TransportHandle session = kNullHandle;
  if (TextLength(proxy) == 0) {
    session = transport.Open(NullWhenEmpty(agent), kOpenTypeDirect, nullptr, nullptr, 0);
  } else {
    const Text proxyName = secure ? proxy : TextConcat("http=", proxy);
    session = transport.Open(NullWhenEmpty(agent), kOpenTypeProxy, NeverNull(proxyName), "", 0);
  }
  OwnedHandle internet(transport, session);
  if (internet.IsNull()) return ByteBuffer();

  const Text host = UrlHost(address);
  OwnedHandle connection(
      transport, transport.Connect(internet.Get(), NeverNull(host), UrlPort(address), nullptr,
                                   nullptr, kServiceHttp, 0, 0));
  if (connection.IsNull()) return ByteBuffer();

  uint32_t flags = kFlagReload | kFlagNeedFile;
  if (cookiesGiven) flags |= kFlagNoCookies;
  if (noRedirect) flags |= kFlagNoAutoRedirect;
  flags |= secure ? kFlagSecure : kFlagIgnoreRedirectToHttps;
  const Text path = UrlPath(address);
  OwnedHandle request(
      transport, transport.OpenRequest(connection.Get(), kMethodNames[methodIndex], NeverNull(path),
                                       kHttpVersion, nullptr, nullptr, flags, 0));
  if (request.IsNull()) return ByteBuffer();

  transport.SetOption(request.Get(), kOptionSecurityFlags, &kSecurityFlags, sizeof kSecurityFlags);

  headers = CompleteRequestHeaders(headers, address, methodIndex, cookies, completeHeaders);
  options.headers = headers;

  const auto headerLength = static_cast<uint32_t>(TextLength(headers));
  if (methodIndex == 0) {
    transport.SendRequest(request.Get(), headers.CStr(), headerLength, nullptr, 0);
  } else {
    if (!options.postBytes || BytesLength(*options.postBytes) == 0) {
      options.postBytes = TextToBytes(postText);
    }
    const ByteBuffer& postBytes = *options.postBytes;
    transport.SendRequest(request.Get(), headers.CStr(), headerLength, postBytes.Data(),
                          static_cast<uint32_t>(BytesLength(postBytes)));
  }

  ByteBuffer body = ReadResponseBody(transport, request.Get());

  std::string rawBuffer(kRawHeaderBufferLength, ' ');
  uint32_t rawLength = kRawHeaderBufferLength;
  transport.QueryInfo(request.Get(), kQueryRawHeadersCrlf, rawBuffer.data(), &rawLength, nullptr);
  // The block ends at the zero byte the transport wrote; without one the
  // buffer keeps its blanks.
  const Text rawHeaders(std::string_view{rawBuffer});
  options.rawHeaders = rawHeaders;

  request.Close();
  connection.Close();
  internet.Close();

  Text returnedCookies = CollectSetCookies(rawHeaders);
  if (mergeCookies && cookiesGiven) {
    Text sent = cookies;
    returnedCookies = MergeCookies(sent, returnedCookies);
    options.cookies = sent;
  }
  options.returnedCookies = returnedCookies;
  return body;
}

}  // namespace sl
