// The request header block: lines separated by "\r\n", normally without one
// after the last line. A line is a header line when it holds ":"; its name is
// the text in front of the first ":". Names are found by substring search
// over the whole block, not by parsing lines.
#pragma once

#include <cstdint>

#include "text/text.h"

namespace sl {

// The agent sent when the block names none.
inline constexpr const char* kDefaultUserAgent =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

// The text with its first byte upper-cased (ASCII letters only).
Text CapitalizeFirst(const Text& text);

// The block with the first byte of every header name, and every byte after a
// "-" in a name, upper-cased; lines without ":" are dropped.
Text NormalizeHeaderNames(const Text& block);

// The trimmed text after the first ":", or empty.
Text HeaderValueAfterColon(const Text& text);

// The agent the transport is opened with: the block's own User-Agent, or the
// default agent. The User-Agent line stays in the block.
Text UserAgentFromHeaders(const Text& block);

// The block to send: with `complete`, the default Accept, Referer (the address
// exactly as given), Accept-Language and, for method index 1 (POST),
// Content-Type lines that the block lacks; then the cookie line, if any.
Text CompleteRequestHeaders(const Text& block, const Text& address, int32_t methodIndex,
                            const Text& cookies, bool complete);

}  // namespace sl
