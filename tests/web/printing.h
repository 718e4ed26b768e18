// Readable test output: texts and buffers as strings, and test-case names
// with their control bytes written as escapes.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "text/text.h"

namespace sl {

inline std::string S(const Text& t) { return std::string(t.View()); }
inline std::string S(const ByteBuffer& b) { return std::string(b.View()); }

inline std::string Shown(std::string_view text) {
  std::string shown = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\r') {
      shown += "\\r";
    } else if (c == '\n') {
      shown += "\\n";
    } else if (byte < 0x20 || byte >= 0x7F) {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\x%02X", byte);
      shown += escape;
    } else {
      shown += c;
    }
  }
  return shown + "\"";
}

template <typename T>
std::string Shown(const std::optional<T>& value) {
  return value ? std::to_string(*value) : "omitted";
}

}  // namespace sl
