// WebRequest: one blocking HTTP(S) request to an address. Returns the response
// body, whatever its status, and leaves the prepared header block, the raw
// response headers and the cookies the server set in the caller's options.
#pragma once

#include <cstdint>
#include <optional>

#include "text/text.h"
#include "web/transport.h"

namespace sl {

// Every field may be omitted (std::nullopt) and then takes its default. For
// `cookies` being given matters in itself: even an empty text switches off
// the transport's own cookie store and enables the merge.
struct WebRequestOptions {
  // 0 GET, 1 POST, 2 HEAD, 3 PUT, 4 OPTIONS, 5 DELETE, 6 TRACE, 7 CONNECT;
  // anything else is GET. Default 0.
  std::optional<int32_t> method;
  // The body as text, used when `postBytes` is empty.
  std::optional<Text> postText;
  // Cookies to send; out: the merged cookies, when merged.
  std::optional<Text> cookies;
  // Out: the cookies the server set, merged with `cookies` on request.
  std::optional<Text> returnedCookies;
  // In/out: the request header block; on return the block prepared for sending.
  std::optional<Text> headers;
  // Out: the raw response header block, status line first.
  std::optional<Text> rawHeaders;
  // Do not follow redirects. Default false.
  std::optional<bool> noRedirect;
  // In/out: the body as bytes; filled from `postText` when empty and a body is sent.
  std::optional<ByteBuffer> postBytes;
  // Proxy server; empty means a direct connection.
  std::optional<Text> proxy;
  // Merge sent and received cookies into `returnedCookies`. Default true.
  std::optional<bool> mergeCookies;
  // Add the default header lines. Default true.
  std::optional<bool> completeHeaders;
  // Capitalise the words of header names first. Default true.
  std::optional<bool> normalizeHeaderNames;
};

// Over the platform's transport.
ByteBuffer WebRequest(const Text& address, WebRequestOptions& options);

// Over the given transport. The empty buffer when the session, the
// connection or the request cannot be opened.
ByteBuffer WebRequest(const Text& address, WebRequestOptions& options, Transport& transport);

}  // namespace sl
