// The system code page of Linux: UTF-8.
#include "regex/codepage.h"

#include <cstdint>

namespace sl::codepage {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool InRange(unsigned char c, unsigned char low, unsigned char high) {
  return c >= low && c <= high;
}

// The length of the well-formed sequence at `i`, or the length of its longest
// well-formed prefix as a negative number (-1 at the least): that prefix
// becomes one U+FFFD, and decoding goes on after it.
int SequenceLength(std::string_view bytes, size_t i) {
  auto at = [&](size_t k) -> int {
    return i + k < bytes.size() ? static_cast<unsigned char>(bytes[i + k]) : -1;
  };
  auto c = static_cast<unsigned char>(bytes[i]);
  int length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (InRange(c, 0xC2, 0xDF)) {
    length = 2;
  } else if (InRange(c, 0xE0, 0xEF)) {
    length = 3;
    if (c == 0xE0) low = 0xA0;
    if (c == 0xED) high = 0x9F;  // no surrogates
  } else if (InRange(c, 0xF0, 0xF4)) {
    length = 4;
    if (c == 0xF0) low = 0x90;
    if (c == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return -1;
  }
  for (int k = 1; k < length; ++k) {
    int next = at(static_cast<size_t>(k));
    bool fits = next >= 0 && (k == 1 ? InRange(static_cast<unsigned char>(next), low, high)
                                     : InRange(static_cast<unsigned char>(next), 0x80, 0xBF));
    if (!fits) return -k;
  }
  return length;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

std::u16string ToWide(std::string_view bytes) {
  // No byte sequence gives more code units than it has bytes.
  std::u16string out(bytes.size(), u'\0');
  size_t n = 0;
  size_t i = 0;
  while (i < bytes.size()) {
    auto c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      out[n++] = static_cast<char16_t>(c);
      ++i;
      continue;
    }
    int length = SequenceLength(bytes, i);
    if (length < 0) {
      out[n++] = kReplacement;
      i += static_cast<size_t>(-length);
      continue;
    }
    uint32_t cp = c & (0xFF >> (length + 1));
    for (int k = 1; k < length; ++k) {
      cp = (cp << 6) | (static_cast<unsigned char>(bytes[i + static_cast<size_t>(k)]) & 0x3F);
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out[n++] = static_cast<char16_t>(0xD800 + (cp >> 10));
      out[n++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out[n++] = static_cast<char16_t>(cp);
    }
    i += static_cast<size_t>(length);
  }
  out.resize(n);
  return out;
}

std::string FromWide(std::u16string_view wide) {
  std::string out;
  out.reserve(wide.size());
  for (size_t i = 0; i < wide.size(); ++i) {
    char16_t u = wide[i];
    if (u == 0) break;
    if (IsHighSurrogate(u) && i + 1 < wide.size() && IsLowSurrogate(wide[i + 1])) {
      AppendUtf8(out, 0x10000 + ((static_cast<uint32_t>(u) - 0xD800) << 10) +
                          (static_cast<uint32_t>(wide[i + 1]) - 0xDC00));
      ++i;
    } else if (IsHighSurrogate(u) || IsLowSurrogate(u)) {
      AppendUtf8(out, kReplacement);
    } else {
      AppendUtf8(out, u);
    }
  }
  return out;
}

}  // namespace sl::codepage
