#include "web/proxy_list.h"

#include "text/text.h"

#include <algorithm>
#include <vector>

namespace sl {

namespace {

std::vector<std::string_view> SplitEntries(std::string_view list, std::string_view separators) {
  std::vector<std::string_view> entries;
  size_t pos = 0;
  while (pos < list.size()) {
    const size_t end = std::min(list.find_first_of(separators, pos), list.size());
    if (end > pos) entries.push_back(list.substr(pos, end - pos));
    pos = end + 1;
  }
  return entries;
}

// "*" stands for any run of bytes, also an empty one.
bool WildcardMatch(std::string_view pattern, std::string_view text) {
  size_t p = 0;
  size_t t = 0;
  size_t starAt = std::string_view::npos;
  size_t resumeAt = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starAt = p++;
      resumeAt = t;
    } else if (p < pattern.size() && AsciiLower(pattern[p]) == AsciiLower(text[t])) {
      ++p;
      ++t;
    } else if (starAt != std::string_view::npos) {
      p = starAt + 1;
      t = ++resumeAt;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::string AsProxyUrl(std::string_view server, std::string_view scheme) {
  if (server.find("://") != std::string_view::npos) return std::string(server);
  return std::string(scheme) + "://" + std::string(server);
}

}  // namespace

std::string ProxyForAddress(std::string_view proxyList, bool secure) {
  const std::string_view wanted = secure ? "https" : "http";
  std::string_view forScheme;
  std::string_view forAll;
  std::string_view socks;
  for (const std::string_view entry : SplitEntries(proxyList, " \t;")) {
    const size_t equals = entry.find('=');
    if (equals == std::string_view::npos) {
      if (forAll.empty()) forAll = entry;
      continue;
    }
    const std::string_view scheme = entry.substr(0, equals);
    const std::string_view server = entry.substr(equals + 1);
    if (server.empty()) continue;
    if (EqualsIgnoringAsciiCase(scheme, wanted) && forScheme.empty()) forScheme = server;
    if (EqualsIgnoringAsciiCase(scheme, "socks") && socks.empty()) socks = server;
  }
  if (!forScheme.empty()) return AsProxyUrl(forScheme, "http");
  if (!forAll.empty()) return AsProxyUrl(forAll, "http");
  if (!socks.empty()) return AsProxyUrl(socks, "socks4");
  return {};
}

bool ProxyBypassed(std::string_view bypassList, std::string_view host) {
  for (std::string_view entry : SplitEntries(bypassList, " \t;,")) {
    if (EqualsIgnoringAsciiCase(entry, "<local>")) {
      if (host.find('.') == std::string_view::npos) return true;
      continue;
    }
    if (const size_t scheme = entry.find("://"); scheme != std::string_view::npos) {
      entry.remove_prefix(scheme + 3);
    }
    if (WildcardMatch(entry, host)) return true;
  }
  return false;
}

}  // namespace sl
