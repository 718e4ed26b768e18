// Shared checks for the text tests: results compared byte for byte, with the
// rule that an empty result must be the absent text (null C string).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "text/text.h"

namespace sl::text_test {

// Bytes as a readable literal: printable ASCII kept, everything else as \xNN.
inline std::string Show(std::string_view bytes) {
  std::string out = "\"";
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out + "\"";
}

// A text returned by an operation: `want` bytes, and absent exactly when empty.
inline ::testing::AssertionResult IsResult(const Text& got, std::string_view want) {
  if (got.View() != want) {
    return ::testing::AssertionFailure() << "got " << Show(got.View()) << ", want " << Show(want);
  }
  if (want.empty() && got.CStr() != nullptr) {
    return ::testing::AssertionFailure() << "empty result is present, want absent (null CStr)";
  }
  if (!want.empty() && got.CStr() == nullptr) {
    return ::testing::AssertionFailure() << "non-empty result has a null CStr";
  }
  return ::testing::AssertionSuccess();
}

// Absent when `s` is null, else a present text.
inline Text T(const char* s) { return Text(s); }

}  // namespace sl::text_test
