// The transport on libcurl, standing in for the Windows Internet functions.
//
// Sessions and connections only hold settings; a request owns one curl
// transfer on a multi handle of its own, which SendRequest runs up to the
// first body bytes and ReadFile runs further whenever its bytes are used up,
// so that a body is never held whole in the transport. Nothing is cached:
// every request is a fresh download. Redirects, TLS and the process-wide
// in-memory cookie store are curl's; the time-outs are checked here, at
// millisecond precision.
#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

#include "text/text.h"
#include "web/proxy_list.h"
#include "web/transport.h"
#include "web/transport_timeouts.h"

namespace sl {

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<int64_t> connectTimeoutMs{60000};
std::atomic<int64_t> stallTimeoutMs{30000};

constexpr long kMaxRedirects = 20;

struct EasyDeleter {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct ShareDeleter {
  void operator()(CURLSH* share) const { curl_share_cleanup(share); }
};
using EasyPtr = std::unique_ptr<CURL, EasyDeleter>;
using MultiPtr = std::unique_ptr<CURLM, MultiDeleter>;
using SlistPtr = std::unique_ptr<curl_slist, SlistDeleter>;
using SharePtr = std::unique_ptr<CURLSH, ShareDeleter>;

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string Copy(const char* s) { return s ? std::string(s) : std::string(); }

// A value that goes into a header line of curl's own ends at a line break, so
// that it cannot add lines of its own.
std::string FirstLine(const char* s) {
  std::string line = Copy(s);
  line.resize(std::min(line.find_first_of("\r\n"), line.size()));
  return line;
}

// Host names and bracketed IPv6 literals only: anything else (a "@", "/",
// "?" or blank) would make the URL name another server than the one given.
bool PlausibleHost(std::string_view host) {
  if (host.empty() || host.size() > 253) return false;
  if (host.front() == '[') {
    if (host.size() < 3 || host.back() != ']') return false;
    return std::all_of(host.begin() + 1, host.end() - 1, [](char c) {
      return (c >= '0' && c <= '9') || (AsciiLower(c) >= 'a' && AsciiLower(c) <= 'f') || c == ':' ||
             c == '.';
    });
  }
  return std::all_of(host.begin(), host.end(), [](char c) {
    return (c >= '0' && c <= '9') || (AsciiLower(c) >= 'a' && AsciiLower(c) <= 'z') || c == '-' ||
           c == '.' || c == '_';
  });
}

// An HTTP token: what a request line may carry as its method.
bool PlausibleVerb(std::string_view verb) {
  return !verb.empty() && std::all_of(verb.begin(), verb.end(), [](char c) {
    return (c >= '0' && c <= '9') || (AsciiLower(c) >= 'a' && AsciiLower(c) <= 'z') ||
           std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
  });
}

// The path goes out as given, except the bytes a request line cannot carry.
std::string BuildUrl(bool secure, const std::string& host, int32_t port, std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string url = secure ? "https://" : "http://";
  url += host;
  if (port != 0) url += ":" + std::to_string(port);
  if (path.empty() || path.front() != '/') url += '/';
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F) {
      url += '%';
      url += kHex[byte >> 4];
      url += kHex[byte & 0xF];
    } else {
      url += c;
    }
  }
  return url;
}

struct Session {
  std::string agent;
  bool hasAgent = false;
  uint32_t accessType = kOpenTypeDirect;
  std::string proxyList;
  std::string bypassList;
};

struct Connection {
  Session session;
  std::string host;
  int32_t port = 0;
};

class Request {
 public:
  Request(Connection connection, std::string verb, std::string path, bool http10,
          std::string referrer, std::string acceptTypes, uint32_t flags, CURLSH* cookieStore)
      : connection_(std::move(connection)),
        verb_(std::move(verb)),
        path_(std::move(path)),
        http10_(http10),
        referrer_(std::move(referrer)),
        acceptTypes_(std::move(acceptTypes)),
        flags_(flags),
        cookieStore_(cookieStore) {}

  ~Request() { Detach(); }
  Request(const Request&) = delete;
  Request& operator=(const Request&) = delete;

  void SetSecurityFlags(uint32_t flags) { securityFlags_ = flags; }

  bool Send(std::string_view headerBlock, std::span<const uint8_t> body) {
    if (easy_) return false;
    easy_.reset(curl_easy_init());
    multi_.reset(curl_multi_init());
    if (!easy_ || !multi_) return Fail();
    body_.assign(body.begin(), body.end());
    stallTimeout_ = std::chrono::milliseconds(stallTimeoutMs.load());
    if (!Configure(headerBlock)) return Fail();
    if (curl_multi_add_handle(multi_.get(), easy_.get()) != CURLM_OK) return Fail();
    attached_ = true;
    Drive();
    return haveResponse_;
  }

  uint32_t Read(std::span<uint8_t> out, bool& ok) {
    if (!easy_) {
      ok = false;
      return 0;
    }
    Drive();
    const size_t available = pending_.size() - pendingOffset_;
    const size_t n = std::min(available, out.size());
    std::memcpy(out.data(), pending_.data() + pendingOffset_, n);
    pendingOffset_ += n;
    if (pendingOffset_ == pending_.size()) {
      pending_.clear();
      pendingOffset_ = 0;
    }
    ok = n > 0 || result_ == CURLE_OK;
    return static_cast<uint32_t>(n);
  }

  bool RawHeaders(std::span<char> buffer, uint32_t& length) const {
    if (!haveResponse_) return false;
    const size_t needed = finalBlock_.size() + 1;
    if (buffer.size() < needed) {
      length = static_cast<uint32_t>(needed);
      return false;
    }
    std::memcpy(buffer.data(), finalBlock_.c_str(), needed);
    length = static_cast<uint32_t>(finalBlock_.size());
    return true;
  }

 private:
  bool Fail() {
    finished_ = true;
    result_ = CURLE_FAILED_INIT;
    return false;
  }

  void Detach() {
    if (attached_) curl_multi_remove_handle(multi_.get(), easy_.get());
    attached_ = false;
  }

  // Ends the transfer; bytes already received stay readable.
  void Finish(CURLcode result) {
    finished_ = true;
    result_ = result;
    Detach();
  }

  void Touch() { lastActivity_ = Clock::now(); }

  // Runs the transfer until there are body bytes to hand out or it has ended.
  void Drive() {
    while (!finished_ && pendingOffset_ == pending_.size()) {
      int running = 0;
      if (curl_multi_perform(multi_.get(), &running) != CURLM_OK) {
        Finish(CURLE_FAILED_INIT);
        break;
      }
      int queued = 0;
      while (CURLMsg* message = curl_multi_info_read(multi_.get(), &queued)) {
        if (message->msg == CURLMSG_DONE) Finish(message->data.result);
      }
      if (!finished_ && running == 0) Finish(CURLE_OK);
      if (finished_ || pendingOffset_ != pending_.size()) break;
      int waitMs = 1000;
      if (stallArmed_) {
        const auto idle = Clock::now() - lastActivity_;
        if (idle >= stallTimeout_) {
          Finish(CURLE_OPERATION_TIMEDOUT);
          break;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(stallTimeout_ - idle);
        waitMs = static_cast<int>(std::clamp<int64_t>(left.count(), 1, 1000));
      }
      curl_multi_poll(multi_.get(), nullptr, 0, waitMs, nullptr);
    }
  }

  bool Configure(std::string_view headerBlock) {
    CURL* easy = easy_.get();
    const bool secure = (flags_ & kFlagSecure) != 0;
    const std::string url = BuildUrl(secure, connection_.host, connection_.port, path_);
    bool ok = curl_easy_setopt(easy, CURLOPT_URL, url.c_str()) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK;
    curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION,
                     http10_ ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
    // The body is handed on as the server sent it.
    curl_easy_setopt(easy, CURLOPT_HTTP_CONTENT_DECODING, 0L);
    if (connection_.session.hasAgent) {
      curl_easy_setopt(easy, CURLOPT_USERAGENT, connection_.session.agent.c_str());
    }
    if (!referrer_.empty()) curl_easy_setopt(easy, CURLOPT_REFERER, referrer_.c_str());

    ConfigureMethod(easy);
    ConfigureRedirects(easy, secure);
    ConfigureProxy(easy, secure);
    ConfigureTls(easy);
    if ((flags_ & kFlagNoCookies) == 0) {
      curl_easy_setopt(easy, CURLOPT_SHARE, cookieStore_);
      curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");  // the cookie engine, without a file
    }

    headerList_ = BuildHeaderList(headerBlock);
    if (!headerList_ && !headerBlock.empty()) return false;
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList_.get());

    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectTimeoutMs.load()));
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Request::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Request::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &Request::OnProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(easy, CURLOPT_SOCKOPTFUNCTION, &Request::OnSocket);
    curl_easy_setopt(easy, CURLOPT_SOCKOPTDATA, this);
    curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &Request::OnConnected);
    curl_easy_setopt(easy, CURLOPT_PREREQDATA, this);
    return ok;
  }

  bool SendsBody() const { return verb_ != "HEAD" && (!body_.empty() || verb_ == "POST"); }

  void ConfigureMethod(CURL* easy) {
    // A HEAD request carries no body, and its response has none.
    if (verb_ == "HEAD") {
      curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
      return;
    }
    if (SendsBody()) {
      curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body_.size()));
      curl_easy_setopt(easy, CURLOPT_POSTFIELDS,
                       body_.empty() ? "" : reinterpret_cast<const char*>(body_.data()));
      if (verb_ != "POST") curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, verb_.c_str());
      return;
    }
    if (verb_ == "GET") {
      curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    } else {
      curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, verb_.c_str());
    }
  }

  // A change of scheme on a redirect is followed only where the flags allow it.
  void ConfigureRedirects(CURL* easy, bool secure) {
    if ((flags_ & kFlagNoAutoRedirect) != 0) {
      curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
      return;
    }
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    const bool toHttps = (flags_ & kFlagIgnoreRedirectToHttps) != 0 ||
                         (securityFlags_ & kSecurityIgnoreRedirectToHttps) != 0;
    const bool toHttp = (flags_ & kFlagIgnoreRedirectToHttp) != 0 ||
                        (securityFlags_ & kSecurityIgnoreRedirectToHttp) != 0;
    const char* allowed =
        secure ? (toHttp ? "https,http" : "https") : (toHttps ? "http,https" : "http");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, allowed);
  }

  void ConfigureProxy(CURL* easy, bool secure) {
    const Session& session = connection_.session;
    if (session.accessType == kOpenTypePreconfig) return;  // the environment's proxy settings
    std::string proxy;
    if (session.accessType == kOpenTypeProxy &&
        !ProxyBypassed(session.bypassList, connection_.host)) {
      proxy = ProxyForAddress(session.proxyList, secure);
    }
    // An empty proxy also keeps curl from taking one from the environment.
    curl_easy_setopt(easy, CURLOPT_PROXY, proxy.c_str());
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  }

  // OpenSSL cannot accept an unknown issuer but refuse an expired certificate,
  // so the chain goes unchecked only when all chain errors are accepted.
  void ConfigureTls(CURL* easy) {
    constexpr uint32_t kChainErrors =
        kSecurityIgnoreUnknownCa | kSecurityIgnoreWrongUsage | kSecurityIgnoreCertDateInvalid;
    const bool checkChain = (securityFlags_ & kChainErrors) != kChainErrors;
    const bool checkName = (securityFlags_ & kSecurityIgnoreCertCnInvalid) == 0;
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, checkChain ? 1L : 0L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, checkName ? 2L : 0L);
  }

  // The caller's lines, one header each; curl adds Host, the agent and the
  // body's length. Its other defaults (Accept, Expect, a form Content-Type)
  // are switched off unless the block names them.
  SlistPtr BuildHeaderList(std::string_view block) const {
    std::vector<std::string> lines;
    bool hasAccept = false;
    bool hasExpect = false;
    bool hasContentType = false;
    size_t pos = 0;
    while (pos < block.size()) {
      const size_t end = std::min(block.find_first_of("\r\n", pos), block.size());
      const std::string_view line = block.substr(pos, end - pos);
      pos = end + 1;
      const size_t colon = line.find(':');
      if (colon == std::string_view::npos) continue;
      const std::string_view name = TrimBlanks(line.substr(0, colon));
      if (name.empty()) continue;
      hasAccept = hasAccept || EqualsIgnoringAsciiCase(name, "Accept");
      hasExpect = hasExpect || EqualsIgnoringAsciiCase(name, "Expect");
      hasContentType = hasContentType || EqualsIgnoringAsciiCase(name, "Content-Type");
      // curl drops "Name:" without a value; "Name;" sends it empty.
      if (TrimBlanks(line.substr(colon + 1)).empty()) {
        lines.push_back(std::string(name) + ";");
      } else {
        lines.emplace_back(line);
      }
    }
    if (!hasAccept) lines.push_back(acceptTypes_.empty() ? "Accept:" : "Accept: " + acceptTypes_);
    if (SendsBody() && !hasExpect) lines.emplace_back("Expect:");
    if (SendsBody() && !hasContentType) lines.emplace_back("Content-Type:");
    curl_slist* list = nullptr;
    for (const std::string& line : lines) {
      curl_slist* longer = curl_slist_append(list, line.c_str());
      if (!longer) {
        curl_slist_free_all(list);
        return nullptr;
      }
      list = longer;
    }
    return SlistPtr(list);
  }

  // Keeps the header block of the latest response: a status line starts a
  // block, an empty line ends it, and lines after its end (trailers) are not
  // part of it. Lines are stored with "\r\n" whatever the server used.
  void NoteHeaderLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (line.starts_with("HTTP/")) {
      block_.assign(line);
      block_ += "\r\n";
      blockEnded_ = false;
      return;
    }
    if (blockEnded_ || block_.empty()) return;
    block_.append(line);
    block_ += "\r\n";
    if (line.empty()) {
      blockEnded_ = true;
      finalBlock_ = block_;
      haveResponse_ = true;
    }
  }

  static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
    auto& request = *static_cast<Request*>(self);
    request.Touch();
    request.NoteHeaderLine(std::string_view(data, size * count));
    return size * count;
  }

  static size_t OnBody(char* data, size_t size, size_t count, void* self) {
    auto& request = *static_cast<Request*>(self);
    request.Touch();
    request.pending_.append(data, size * count);
    return size * count;
  }

  static int OnProgress(void* self, curl_off_t, curl_off_t downloaded, curl_off_t,
                        curl_off_t uploaded) {
    auto& request = *static_cast<Request*>(self);
    if (downloaded != request.downloaded_ || uploaded != request.uploaded_) {
      request.downloaded_ = downloaded;
      request.uploaded_ = uploaded;
      request.Touch();
    }
    return 0;
  }

  // A new connection is being made: the connect time-out rules until it stands.
  static int OnSocket(void* self, curl_socket_t, curlsocktype) {
    static_cast<Request*>(self)->stallArmed_ = false;
    return CURL_SOCKOPT_OK;
  }

  // The connection stands (TLS included) and the request goes out now.
  static int OnConnected(void* self, char*, char*, int, int) {
    auto& request = *static_cast<Request*>(self);
    request.stallArmed_ = true;
    request.Touch();
    return CURL_PREREQFUNC_OK;
  }

  const Connection connection_;
  const std::string verb_;
  const std::string path_;
  const bool http10_;
  const std::string referrer_;
  const std::string acceptTypes_;
  const uint32_t flags_;
  CURLSH* const cookieStore_;
  uint32_t securityFlags_ = 0;

  // multi_ outlives easy_: the handle leaves the multi handle before either goes.
  MultiPtr multi_;
  EasyPtr easy_;
  SlistPtr headerList_;
  std::vector<uint8_t> body_;
  bool attached_ = false;
  bool finished_ = false;
  CURLcode result_ = CURLE_OK;

  std::string pending_;
  size_t pendingOffset_ = 0;

  std::string block_;
  bool blockEnded_ = false;
  std::string finalBlock_;
  bool haveResponse_ = false;

  std::chrono::milliseconds stallTimeout_{30000};
  bool stallArmed_ = false;
  Clock::time_point lastActivity_ = Clock::now();
  curl_off_t downloaded_ = 0;
  curl_off_t uploaded_ = 0;
};

using Object = std::variant<Session, Connection, std::unique_ptr<Request>>;

class CurlTransport final : public Transport {
 public:
  CurlTransport() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    cookieStore_.reset(curl_share_init());
    if (cookieStore_) {
      curl_share_setopt(cookieStore_.get(), CURLSHOPT_LOCKFUNC, &CurlTransport::Lock);
      curl_share_setopt(cookieStore_.get(), CURLSHOPT_UNLOCKFUNC, &CurlTransport::Unlock);
      curl_share_setopt(cookieStore_.get(), CURLSHOPT_USERDATA, this);
      curl_share_setopt(cookieStore_.get(), CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    }
  }

  ~CurlTransport() override {
    objects_.clear();
    cookieStore_.reset();
    curl_global_cleanup();
  }

  CurlTransport(const CurlTransport&) = delete;
  CurlTransport& operator=(const CurlTransport&) = delete;

  TransportHandle Open(const char* agent, uint32_t accessType, const char* proxyName,
                       const char* proxyBypass, uint32_t) override {
    Session session;
    session.hasAgent = agent != nullptr;
    session.agent = FirstLine(agent);
    session.accessType = accessType;
    if (accessType == kOpenTypeProxy) {
      session.proxyList = Copy(proxyName);
      session.bypassList = Copy(proxyBypass);
    }
    return Add(std::move(session));
  }

  TransportHandle Connect(TransportHandle sessionHandle, const char* serverName, int32_t port,
                          const char*, const char*, uint32_t service, uint32_t,
                          std::uintptr_t) override {
    if (service != kServiceHttp || !serverName || port < 0 || port > 65535) return kNullHandle;
    if (!PlausibleHost(serverName)) return kNullHandle;
    std::lock_guard lock(mutex_);
    const Session* session = Find<Session>(sessionHandle);
    if (!session) return kNullHandle;
    return AddLocked(Connection{*session, serverName, port});
  }

  TransportHandle OpenRequest(TransportHandle connectionHandle, const char* verb,
                              const char* objectName, const char* version, const char* referrer,
                              const char* const* acceptTypes, uint32_t flags,
                              std::uintptr_t) override {
    const std::string method = verb ? verb : "GET";
    if (!PlausibleVerb(method)) return kNullHandle;
    std::string accept;
    for (const char* const* type = acceptTypes; type && *type; ++type) {
      if (!accept.empty()) accept += ", ";
      accept += FirstLine(*type);
    }
    const bool http10 = version && std::string_view(version) == "HTTP/1.0";
    std::lock_guard lock(mutex_);
    const Connection* connection = Find<Connection>(connectionHandle);
    if (!connection) return kNullHandle;
    return AddLocked(std::make_unique<Request>(*connection, method, Copy(objectName), http10,
                                               FirstLine(referrer), accept, flags,
                                               cookieStore_.get()));
  }

  bool SetOption(TransportHandle handle, uint32_t option, const void* buffer,
                 uint32_t length) override {
    Request* request = FindRequest(handle);
    if (!request || option != kOptionSecurityFlags || !buffer || length != sizeof(uint32_t)) {
      return false;
    }
    uint32_t flags = 0;
    std::memcpy(&flags, buffer, sizeof flags);
    request->SetSecurityFlags(flags);
    return true;
  }

  bool SendRequest(TransportHandle handle, const char* headers, uint32_t headersLength,
                   const void* body, uint32_t bodyLength) override {
    Request* request = FindRequest(handle);
    if (!request) return false;
    // A length of all ones stands for a zero-terminated block.
    const std::string_view block = !headers ? std::string_view()
                                   : headersLength == UINT32_MAX
                                       ? std::string_view(headers)
                                       : std::string_view(headers, headersLength);
    const std::span<const uint8_t> bytes =
        body ? std::span(static_cast<const uint8_t*>(body), bodyLength)
             : std::span<const uint8_t>();
    return request->Send(block, bytes);
  }

  bool ReadFile(TransportHandle handle, void* buffer, uint32_t bytesToRead,
                uint32_t* bytesRead) override {
    if (!bytesRead) return false;
    *bytesRead = 0;
    Request* request = FindRequest(handle);
    if (!request || !buffer) return false;
    bool ok = false;
    *bytesRead = request->Read(std::span(static_cast<uint8_t*>(buffer), bytesToRead), ok);
    return ok;
  }

  bool QueryInfo(TransportHandle handle, uint32_t infoLevel, void* buffer, uint32_t* bufferLength,
                 uint32_t*) override {
    Request* request = FindRequest(handle);
    if (!request || !bufferLength || infoLevel != kQueryRawHeadersCrlf) return false;
    const std::span<char> space =
        buffer ? std::span(static_cast<char*>(buffer), *bufferLength) : std::span<char>();
    return request->RawHeaders(space, *bufferLength);
  }

  bool CloseHandle(TransportHandle handle) override {
    Object closed;
    {
      std::lock_guard lock(mutex_);
      const auto found = objects_.find(static_cast<std::uintptr_t>(handle));
      if (found == objects_.end()) return false;
      closed = std::move(found->second);
      objects_.erase(found);
    }
    return true;  // a request's transfer ends as `closed` goes
  }

 private:
  TransportHandle Add(Object object) {
    std::lock_guard lock(mutex_);
    return AddLocked(std::move(object));
  }

  TransportHandle AddLocked(Object object) {
    const std::uintptr_t id = ++lastId_;
    objects_.emplace(id, std::move(object));
    return TransportHandle{id};
  }

  template <typename T>
  const T* Find(TransportHandle handle) const {
    const auto found = objects_.find(static_cast<std::uintptr_t>(handle));
    return found == objects_.end() ? nullptr : std::get_if<T>(&found->second);
  }

  // The request lives until its handle is closed; its own calls run unlocked.
  Request* FindRequest(TransportHandle handle) {
    std::lock_guard lock(mutex_);
    const auto* request = Find<std::unique_ptr<Request>>(handle);
    return request ? request->get() : nullptr;
  }

  static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* self) {
    static_cast<CurlTransport*>(self)->shareLocks_[LockIndex(data)].lock();
  }
  static void Unlock(CURL*, curl_lock_data data, void* self) {
    static_cast<CurlTransport*>(self)->shareLocks_[LockIndex(data)].unlock();
  }
  static size_t LockIndex(curl_lock_data data) {
    return std::min(static_cast<size_t>(data), static_cast<size_t>(CURL_LOCK_DATA_LAST));
  }

  std::array<std::mutex, CURL_LOCK_DATA_LAST + 1> shareLocks_;
  SharePtr cookieStore_;
  std::mutex mutex_;
  std::uintptr_t lastId_ = 0;
  std::unordered_map<std::uintptr_t, Object> objects_;
};

}  // namespace

Transport& DefaultTransport() {
  static CurlTransport transport;
  return transport;
}

void SetTransportTimeouts(const TransportTimeouts& timeouts) {
  connectTimeoutMs = std::max<int64_t>(timeouts.connect.count(), 1);
  stallTimeoutMs = std::max<int64_t>(timeouts.stall.count(), 1);
}

TransportTimeouts CurrentTransportTimeouts() {
  return {std::chrono::milliseconds(connectTimeoutMs.load()),
          std::chrono::milliseconds(stallTimeoutMs.load())};
}

}  // namespace sl
