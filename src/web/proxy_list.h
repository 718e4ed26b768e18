// Proxy and bypass lists in the form the Windows Internet functions take them,
// for transports that must pick the proxy of each address themselves.
#pragma once

#include <string>
#include <string_view>

namespace sl {

// The proxy server for an address, as a proxy URL ("http://HOST:PORT"), or
// empty for a direct connection. Entries are separated by blanks or ";":
// "http=SERVER" and "https=SERVER" serve one scheme, a bare "SERVER" every
// scheme, and "socks=SERVER" every scheme that has no other entry.
std::string ProxyForAddress(std::string_view proxyList, bool secure);

// True when the host is in the bypass list: entries separated by blanks, ";"
// or ",", each a host name with "*" wildcards, or "<local>" for every host
// without a dot. Letter case is ignored.
bool ProxyBypassed(std::string_view bypassList, std::string_view host);

}  // namespace sl
