#include "web/url.h"

#include "text/text_helpers.h"

namespace sl {

namespace {

// Method A: the host between the scheme and the next "/".
Text HostAfterScheme(Text u, bool mainDomainOnly) {
  if (TextRight(u, 1) != Text("/")) u = TextConcat(u, "/");
  if (TextLeft(u, 8) == Text("https://")) {
    u = TextBetween(u, "https://", "/");
  } else {
    if (TextFind(u, "http://") == -1) u = TextConcat("http://", u);
    u = TextBetween(u, "http://", "/");
  }
  if (mainDomainOnly) {
    TextArray labels = TextSplit(u, ".");
    const int32_t count = ArrayCount(labels);
    if (count >= 2) u = TextConcat(labels.Member(count - 1), ".", labels.Member(count));
  }
  return u;
}

// Method B: labels counted from the right. The first search starts at the
// last byte, so a "." there never separates labels.
Text HostByLevels(Text u, bool mainDomainOnly, int32_t levels) {
  u = TextReplace(u, "http://", std::nullopt, true);
  u = TextReplace(u, "https://", std::nullopt, true);
  if (const int32_t slash = TextFind(u, "/"); slash != -1) u = TextLeft(u, slash - 1);
  const int32_t length = TextLength(u);
  int32_t p = length;
  // Once a search fails every later one fails too.
  for (int32_t i = 0; i < levels && p != -1; ++i) p = TextFindLast(u, ".", p);
  const int32_t q = TextFindLast(u, ".", p);
  if (mainDomainOnly) return TextRight(u, length - q);
  if (q != -1) {
    if (const int32_t r = TextFindLast(u, ".", q); r != -1) u = TextRight(u, length - r);
  }
  return u;
}

}  // namespace

Text UrlHost(const Text& address, bool mainDomainOnly, bool keepPort,
             std::optional<int32_t> domainLevels) {
  const Text lower = TextToLower(address);
  Text u = domainLevels ? HostByLevels(lower, mainDomainOnly, *domainLevels)
                        : HostAfterScheme(lower, mainDomainOnly);
  if (keepPort) return u;
  if (const int32_t colon = TextFind(u, ":"); colon != -1) return TextLeft(u, colon - 1);
  return u;
}

int32_t UrlPort(const Text& address) {
  const Text host = UrlHost(address, false, true);
  if (const int32_t colon = TextFindLast(host, ":"); colon != -1) {
    return TextToInt(TextRight(host, TextLength(host) - colon));
  }
  return TextLeft(TextToLower(address), 5) == Text("https") ? 443 : 80;
}

Text UrlPath(const Text& address) {
  const Text host = UrlHost(address);
  // The host is looked for after the scheme: a host such as "p", "t" or "s"
  // also occurs inside "http://" itself.
  const Text scheme = TextLeft(TextToLower(address), 8);
  int32_t from = 1;
  if (scheme == Text("https://")) {
    from = 9;
  } else if (TextLeft(scheme, 7) == Text("http://")) {
    from = 8;
  }
  const int32_t a = TextFind(address, host, from, true);
  const int32_t b = TextFind(address, "/", a, true);
  if (b > 0) return TextRight(address, TextLength(address) - b + 1);
  return "/";
}

}  // namespace sl
