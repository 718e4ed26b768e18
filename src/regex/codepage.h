// Conversion between the system code page, in which every Text is held, and
// UTF-16, the string form of automation components. Each platform supplies
// its own implementation: on Linux the system code page is UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace sl::codepage {

constexpr bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
constexpr bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// The bytes of `bytes` as UTF-16. A byte sequence that is no character of
// the code page becomes U+FFFD.
std::u16string ToWide(std::string_view bytes);

// The UTF-16 text up to its first NUL in the code page. A code unit that is
// no character (a lone surrogate) becomes U+FFFD.
std::string FromWide(std::u16string_view wide);

}  // namespace sl::codepage
