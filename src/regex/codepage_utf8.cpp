// The system code page of Linux: UTF-8.
#include "regex/codepage.h"

#include <cstdint>
#include <cstring>

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

// Text is mostly ASCII, which both directions copy eight units at a time: a
// block is taken only when every unit in it is plain ASCII, and each of its
// units then maps to exactly one unit on the other side. The tests look at
// whole 64-bit words of a local copy, whatever the byte order.
constexpr size_t kBlock = 8;

// The eight bytes at `p` widened into `wide`, when they are all ASCII.
bool WidenAsciiBlock(const char* p, char16_t* wide) {
  unsigned char bytes[kBlock];
  std::memcpy(bytes, p, kBlock);
  uint64_t word = 0;
  std::memcpy(&word, bytes, kBlock);
  if ((word & 0x8080808080808080u) != 0) return false;
  for (size_t k = 0; k < kBlock; ++k) wide[k] = bytes[k];
  return true;
}

// The eight units at `p` narrowed into `narrow`, when they are all ASCII and
// none is the NUL that ends the conversion.
bool NarrowAsciiBlock(const char16_t* p, char* narrow) {
  char16_t units[kBlock];
  std::memcpy(units, p, sizeof units);
  uint64_t words[2];
  std::memcpy(words, units, sizeof words);
  constexpr uint64_t kNonAscii = 0xFF80FF80FF80FF80u;
  if (((words[0] | words[1]) & kNonAscii) != 0) return false;
  // With every unit below 0x80, a unit borrows on subtracting one, and so
  // sets its top bit, only when it is zero.
  constexpr uint64_t kOnes = 0x0001000100010001u;
  constexpr uint64_t kTops = 0x8000800080008000u;
  if ((((words[0] - kOnes) | (words[1] - kOnes)) & kTops) != 0) return false;
  for (size_t k = 0; k < kBlock; ++k) narrow[k] = static_cast<char>(units[k]);
  return true;
}

}  // namespace

std::u16string ToWide(std::string_view bytes) {
  // No byte sequence gives more code units than it has bytes.
  std::u16string out(bytes.size(), u'\0');
  size_t n = 0;
  size_t i = 0;
  while (i < bytes.size()) {
    if (bytes.size() - i >= kBlock && WidenAsciiBlock(bytes.data() + i, out.data() + n)) {
      n += kBlock;
      i += kBlock;
      continue;
    }
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
    char narrow[kBlock];
    if (wide.size() - i >= kBlock && NarrowAsciiBlock(wide.data() + i, narrow)) {
      out.append(narrow, kBlock);
      i += kBlock - 1;
      continue;
    }
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
