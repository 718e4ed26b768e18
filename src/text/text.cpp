#include "text/text.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace sl {

namespace {

using Bytes = std::string_view;

unsigned char At(Bytes b, size_t i) { return static_cast<unsigned char>(b[i]); }

// Width of the character that starts at byte index i: a byte of 0x80 or above
// leads a two-byte character, unless it is the last byte of the text.
size_t CharWidth(Bytes b, size_t i) { return (At(b, i) >= 0x80 && i + 1 < b.size()) ? 2 : 1; }

unsigned char FoldAscii(unsigned char c) {
  return static_cast<unsigned char>(AsciiLower(static_cast<char>(c)));
}

// Compares sought with the bytes of b at index i; the caller makes sure they fit.
bool MatchesAt(Bytes b, size_t i, Bytes sought, bool ignoreCase) {
  if (!ignoreCase) return std::memcmp(b.data() + i, sought.data(), sought.size()) == 0;
  for (size_t k = 0; k < sought.size(); ++k) {
    if (FoldAscii(At(b, i + k)) != FoldAscii(At(sought, k))) return false;
  }
  return true;
}

std::string Copy(Bytes b) { return std::string(b); }

// Lengths are 32-bit: a value that cannot be measured is treated like memory
// that cannot be obtained, which ends the program.
void RequireMeasurable(size_t size) {
  if (size > static_cast<size_t>(INT32_MAX)) std::abort();
}

}  // namespace

// ---- Value types -----------------------------------------------------------

Text::Text(const char* s) {
  if (s != nullptr) {
    bytes_ = s;
    present_ = true;
  }
}

Text::Text(std::string_view bytes) : bytes_(bytes.substr(0, bytes.find('\0'))), present_(true) {
  RequireMeasurable(bytes_.size());
}

Text::Text(std::string&& bytes) : bytes_(std::move(bytes)), present_(true) {
  if (size_t zero = bytes_.find('\0'); zero != std::string::npos) bytes_.resize(zero);
  RequireMeasurable(bytes_.size());
}

Text Text::Result(std::string&& bytes) {
  if (bytes.empty()) return Text();
  return Text(std::move(bytes));
}

ByteBuffer::ByteBuffer(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {
  RequireMeasurable(bytes_.size());
}

ByteBuffer::ByteBuffer(const void* data, size_t size) {
  RequireMeasurable(size);
  if (size > 0) {
    const auto* p = static_cast<const uint8_t*>(data);
    bytes_.assign(p, p + size);
  }
}

bool ByteBuffer::Append(std::span<const uint8_t> bytes) {
  if (bytes.size() > static_cast<size_t>(kMaxLength) - bytes_.size()) return false;
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return true;
}

// ---- Text operations -------------------------------------------------------

int32_t TextLength(const Text& t) { return t.Length(); }

Text TextLeft(const Text& t, int32_t n) {
  if (n <= 0) return Text();
  return Text::Result(Copy(t.View().substr(0, static_cast<size_t>(n))));
}

Text TextRight(const Text& t, int32_t n) {
  if (n <= 0) return Text();
  Bytes b = t.View();
  size_t take = std::min(b.size(), static_cast<size_t>(n));
  return Text::Result(Copy(b.substr(b.size() - take)));
}

Text TextMid(const Text& t, int32_t start, int32_t n) {
  if (start <= 0 || start > t.Length() || n <= 0) return Text();
  return Text::Result(
      Copy(t.View().substr(static_cast<size_t>(start) - 1, static_cast<size_t>(n))));
}

int32_t TextCode(const Text& t) {
  if (t.IsEmpty()) return 0;
  return static_cast<int8_t>(t.ByteAt(1));
}

Text TextFromCode(int32_t code) {
  char byte = static_cast<char>(static_cast<uint32_t>(code) & 0xFFu);
  if (byte == 0) return Text();
  return Text(std::string(1, byte));
}

int32_t TextFind(const Text& t, const Text& sought, std::optional<int32_t> start, bool ignoreCase) {
  Bytes b = t.View();
  Bytes s = sought.View();
  size_t begin = 0;
  if (start && *start > 1) begin = std::min(b.size(), static_cast<size_t>(*start) - 1);
  if (s.empty()) return begin < b.size() ? 1 : -1;
  for (size_t i = begin; i < b.size(); i += CharWidth(b, i)) {
    if (b.size() - i < s.size()) break;
    if (MatchesAt(b, i, s, ignoreCase)) return static_cast<int32_t>(i + 1);
  }
  return -1;
}

int32_t TextFindLast(const Text& t, const Text& sought, std::optional<int32_t> start,
                     bool ignoreCase) {
  Bytes b = t.View();
  Bytes s = sought.View();
  size_t range = b.size();
  if (start) range = *start <= 1 ? 0 : std::min(b.size(), static_cast<size_t>(*start) - 1);
  if (s.empty()) return range >= 1 ? 1 : -1;
  int32_t found = -1;
  for (size_t i = 0; i < range && range - i >= s.size(); i += CharWidth(b, i)) {
    if (MatchesAt(b, i, s, ignoreCase)) found = static_cast<int32_t>(i + 1);
  }
  return found;
}

Text TextTrim(const Text& t) {
  Bytes b = t.View();
  auto isWideBlank = [&](size_t i) {
    return At(b, i) == 0xA1 && i + 1 < b.size() && At(b, i + 1) == 0xA1;
  };
  size_t first = 0;
  while (first < b.size()) {
    if (At(b, first) == 0x20) {
      first += 1;
    } else if (isWideBlank(first)) {
      first += 2;
    } else {
      break;
    }
  }
  size_t end = b.size();
  std::optional<size_t> blankRun;
  for (size_t i = first; i < b.size();) {
    if (At(b, i) >= 0x80 && i + 1 == b.size()) {
      // A lone lead byte at the very end is dropped; the blanks before it stay.
      end = i;
      blankRun.reset();
      break;
    }
    size_t w = CharWidth(b, i);
    if (At(b, i) == 0x20 || isWideBlank(i)) {
      if (!blankRun) blankRun = i;
    } else {
      blankRun.reset();
    }
    i += w;
  }
  if (blankRun) end = *blankRun;
  if (end <= first) return Text();
  return Text::Result(Copy(b.substr(first, end - first)));
}

Text TextReplace(const Text& t, const Text& sought, const std::optional<Text>& replacement,
                 bool caseSensitive) {
  Bytes b = t.View();
  Bytes s = sought.View();
  if (b.empty() || s.empty()) return Text::Result(Copy(b));
  Bytes r = replacement ? replacement->View() : Bytes();
  std::string out;
  out.reserve(b.size());
  size_t i = 0;
  while (i < b.size()) {
    if (b.size() - i < s.size()) {
      out.append(b.substr(i));
      break;
    }
    if (MatchesAt(b, i, s, !caseSensitive)) {
      out.append(r);
      i += s.size();
    } else {
      size_t w = CharWidth(b, i);
      out.append(b.substr(i, w));
      i += w;
    }
  }
  return Text::Result(std::move(out));
}

TextArray TextSplit(const Text& t, const Text& separator) {
  TextArray members;
  Bytes b = t.View();
  Bytes s = separator.View();
  if (b.empty()) return members;
  if (s.empty()) {
    members.Append(Text::Result(Copy(b)));
    return members;
  }
  size_t pieceStart = 0;
  size_t i = 0;
  while (i < b.size()) {
    if (b.size() - i >= s.size() && MatchesAt(b, i, s, false)) {
      members.Append(Text::Result(Copy(b.substr(pieceStart, i - pieceStart))));
      i += s.size();
      pieceStart = i;
    } else {
      i += CharWidth(b, i);
    }
  }
  if (pieceStart < b.size()) members.Append(Text::Result(Copy(b.substr(pieceStart))));
  return members;
}

namespace {

template <typename Map>
Text MapSingleByteChars(const Text& t, Map map) {
  std::string out(t.View());
  for (size_t i = 0; i < out.size();) {
    size_t w = CharWidth(out, i);
    if (w == 1 && At(out, i) < 0x80) out[i] = static_cast<char>(map(At(out, i)));
    i += w;
  }
  return Text::Result(std::move(out));
}

}  // namespace

Text TextToLower(const Text& t) {
  return MapSingleByteChars(t, [](unsigned char c) { return FoldAscii(c); });
}

Text TextToUpper(const Text& t) {
  return MapSingleByteChars(t, [](unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 0x20) : c;
  });
}

int32_t TextToInt(const Text& t) {
  // Full-width forms become their ASCII counterparts first.
  Bytes b = t.View();
  std::string folded;
  folded.reserve(b.size());
  for (size_t i = 0; i < b.size();) {
    size_t w = CharWidth(b, i);
    if (w == 2 && At(b, i) == 0xA3 && At(b, i + 1) >= 0xA1 && At(b, i + 1) <= 0xFE) {
      folded.push_back(static_cast<char>(At(b, i + 1) - 0x80));
    } else if (w == 2 && At(b, i) == 0xA1 && At(b, i + 1) == 0xA1) {
      folded.push_back(' ');
    } else {
      folded.append(b.substr(i, w));
    }
    i += w;
  }
  size_t i = 0;
  while (i < folded.size() && (folded[i] == ' ' || (folded[i] >= '\t' && folded[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < folded.size() && (folded[i] == '+' || folded[i] == '-')) {
    negative = folded[i] == '-';
    ++i;
  }
  // Unsigned arithmetic gives the 32-bit wrap-around without overflow.
  uint32_t value = 0;
  for (; i < folded.size() && folded[i] >= '0' && folded[i] <= '9'; ++i) {
    value = value * 10u + static_cast<uint32_t>(folded[i] - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

int32_t TextCompare(const Text& a, const Text& b) {
  int c = a.View().compare(b.View());
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

Text TextBlank(int32_t n) {
  if (n <= 0) return Text();
  return Text(std::string(static_cast<size_t>(n), ' '));
}

Text TextConcatParts(std::initializer_list<std::string_view> parts) {
  size_t total = 0;
  for (std::string_view p : parts) total += p.size();
  RequireMeasurable(total);
  std::string out;
  out.reserve(total);
  for (std::string_view p : parts) out.append(p);
  return Text(std::move(out));
}

// ---- Conversions and byte operations ---------------------------------------

ByteBuffer TextToBytes(const Text& t) { return ByteBuffer(t.View().data(), t.View().size()); }

Text BytesToText(const ByteBuffer& b) {
  std::string_view bytes = b.View();
  return Text::Result(std::string(bytes.substr(0, bytes.find('\0'))));
}

int32_t BytesLength(const ByteBuffer& b) { return b.Length(); }

ByteBuffer BytesLeft(const ByteBuffer& b, int32_t n) {
  size_t take = static_cast<size_t>(std::clamp<int32_t>(n, 0, b.Length()));
  return ByteBuffer(b.Span().data(), take);
}

ByteBuffer BytesMid(const ByteBuffer& b, int32_t start, int32_t n) {
  int64_t offset = std::clamp<int64_t>(int64_t{start} - 1, 0, b.Length());
  int64_t take = std::clamp<int64_t>(n, 0, b.Length() - offset);
  return ByteBuffer(b.Span().data() + offset, static_cast<size_t>(take));
}

ByteBuffer BytesBlank(int32_t n) {
  if (n <= 0) return ByteBuffer();
  return ByteBuffer(std::vector<uint8_t>(static_cast<size_t>(n), 0));
}

ByteBuffer BytesConcatParts(std::initializer_list<std::span<const uint8_t>> parts) {
  size_t total = 0;
  for (auto p : parts) total += p.size();
  RequireMeasurable(total);
  std::vector<uint8_t> out;
  out.reserve(total);
  for (auto p : parts) out.insert(out.end(), p.begin(), p.end());
  return ByteBuffer(std::move(out));
}

bool BytesEqual(const ByteBuffer& a, const ByteBuffer& b) { return a == b; }

// ---- Array operations ------------------------------------------------------

int32_t ArrayCount(const TextArray& array) { return array.Count(); }

void ArrayAppend(TextArray& array, const Text& t) { array.Append(t); }

}  // namespace sl
