// Host, port and object path of an address as the user typed it. Pure text
// work: no URL parser, no percent-decoding, no validation. An address without
// a scheme is taken as plain HTTP; only "http://" and "https://" are known.
#pragma once

#include <cstdint>
#include <optional>

#include "text/text.h"

namespace sl {

// The host in lower case, with ":" and the port when `keepPort` is true.
// `mainDomainOnly` reduces it to its last two labels. Giving `domainLevels`,
// 0 included, counts labels from the right instead: the last N + 1 labels
// with `mainDomainOnly`, the last N + 2 without.
Text UrlHost(const Text& address, bool mainDomainOnly = false, bool keepPort = false,
             std::optional<int32_t> domainLevels = std::nullopt);

// The port written after the host, else 443 for "https" addresses and 80.
int32_t UrlPort(const Text& address);

// Everything from the first "/" after the host, query and fragment included,
// letter case as typed; "/" when there is none.
Text UrlPath(const Text& address);

}  // namespace sl
