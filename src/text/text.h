// Text, ByteBuffer and TextArray: the values every subsystem passes around,
// and the primitive operations that measure, cut, search, convert and join them.
//
// All text is 8-bit text in the system's ANSI code page. Positions are 1-based
// byte positions, and a search without a match yields -1. A byte of 0x80 or
// above starts a two-byte character wherever an operation must not cut one in
// two, whatever the active code page says; letter case is folded for A-Z only.
// The absent text equals the empty text everywhere; it differs only where a
// text becomes a C string pointer for a system call (CStr() gives null).
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sl {

class Text {
 public:
  // The absent text.
  Text() = default;
  // A null pointer gives the absent text; anything else a present text.
  Text(const char* s);  // NOLINT(google-explicit-constructor): literals are texts
  // A present text of the bytes before the first zero byte of `bytes`.
  explicit Text(std::string_view bytes);
  explicit Text(std::string&& bytes);

  bool IsAbsent() const { return !present_; }
  bool IsEmpty() const { return bytes_.empty(); }
  int32_t Length() const { return static_cast<int32_t>(bytes_.size()); }
  std::string_view View() const { return bytes_; }
  const std::string& Bytes() const { return bytes_; }
  // Null for the absent text, else the zero-terminated bytes.
  const char* CStr() const { return present_ ? bytes_.c_str() : nullptr; }

  // The byte at 1-based position `pos` (1..Length()).
  unsigned char ByteAt(int32_t pos) const {
    return static_cast<unsigned char>(bytes_[static_cast<size_t>(pos) - 1]);
  }

  // Absent for empty `bytes`, present otherwise: how operations return results.
  static Text Result(std::string&& bytes);

  friend bool operator==(const Text& a, const Text& b) { return a.bytes_ == b.bytes_; }

 private:
  std::string bytes_;
  bool present_ = false;
};

class ByteBuffer {
 public:
  // Lengths are 32-bit and never negative.
  static constexpr int32_t kMaxLength = INT32_MAX;

  ByteBuffer() = default;
  explicit ByteBuffer(std::vector<uint8_t> bytes);
  ByteBuffer(const void* data, size_t size);

  int32_t Length() const { return static_cast<int32_t>(bytes_.size()); }
  bool IsEmpty() const { return bytes_.empty(); }
  // Null for the absent (empty) buffer.
  const uint8_t* Data() const { return bytes_.empty() ? nullptr : bytes_.data(); }
  std::span<const uint8_t> Span() const { return bytes_; }
  std::string_view View() const {
    return {reinterpret_cast<const char*>(bytes_.data()), bytes_.size()};
  }

  // Appends in amortised constant time per byte. Returns false, and leaves the
  // buffer unchanged, when the result would pass kMaxLength.
  bool Append(std::span<const uint8_t> bytes);

  friend bool operator==(const ByteBuffer& a, const ByteBuffer& b) { return a.bytes_ == b.bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

class TextArray {
 public:
  int32_t Count() const { return static_cast<int32_t>(members_.size()); }
  // Member `number`, 1 to Count().
  const Text& Member(int32_t number) const { return members_[static_cast<size_t>(number) - 1]; }
  void Append(Text t) { members_.push_back(std::move(t)); }
  void Clear() { members_.clear(); }

  auto begin() const { return members_.begin(); }
  auto end() const { return members_.end(); }

  friend bool operator==(const TextArray&, const TextArray&) = default;

 private:
  std::vector<Text> members_;
};

// ---- Text operations -------------------------------------------------------

int32_t TextLength(const Text& t);
Text TextLeft(const Text& t, int32_t n);
Text TextRight(const Text& t, int32_t n);
Text TextMid(const Text& t, int32_t start, int32_t n);
int32_t TextCode(const Text& t);
Text TextFromCode(int32_t code);

// First occurrence of `sought` at or after `start` (omitted: the whole text).
int32_t TextFind(const Text& t, const Text& sought, std::optional<int32_t> start = std::nullopt,
                 bool ignoreCase = false);
// Last occurrence of `sought` that ends before `start` (omitted: the whole text).
int32_t TextFindLast(const Text& t, const Text& sought, std::optional<int32_t> start = std::nullopt,
                     bool ignoreCase = false);

Text TextTrim(const Text& t);
// Every occurrence of `sought` replaced by `replacement`; an omitted
// (std::nullopt) replacement deletes them.
Text TextReplace(const Text& t, const Text& sought, const std::optional<Text>& replacement,
                 bool caseSensitive);
TextArray TextSplit(const Text& t, const Text& separator);
Text TextToLower(const Text& t);
Text TextToUpper(const Text& t);
int32_t TextToInt(const Text& t);
int32_t TextCompare(const Text& a, const Text& b);
Text TextBlank(int32_t n);

// Concatenation of any number of parts; always a present text.
Text TextConcatParts(std::initializer_list<std::string_view> parts);

inline std::string_view TextPart(const Text& t) { return t.View(); }
inline std::string_view TextPart(const char* s) {
  return s ? std::string_view(s) : std::string_view();
}

template <typename... Parts>
Text TextConcat(const Parts&... parts) {
  static_assert(sizeof...(Parts) >= 1);
  return TextConcatParts({TextPart(parts)...});
}

// ---- Conversions and byte operations ---------------------------------------

ByteBuffer TextToBytes(const Text& t);
Text BytesToText(const ByteBuffer& b);
int32_t BytesLength(const ByteBuffer& b);
ByteBuffer BytesLeft(const ByteBuffer& b, int32_t n);
ByteBuffer BytesMid(const ByteBuffer& b, int32_t start, int32_t n);
ByteBuffer BytesBlank(int32_t n);
ByteBuffer BytesConcatParts(std::initializer_list<std::span<const uint8_t>> parts);
bool BytesEqual(const ByteBuffer& a, const ByteBuffer& b);

template <typename... Parts>
ByteBuffer BytesConcat(const Parts&... parts) {
  static_assert(sizeof...(Parts) >= 1);
  return BytesConcatParts({parts.Span()...});
}

// ---- Array operations ------------------------------------------------------

int32_t ArrayCount(const TextArray& array);
void ArrayAppend(TextArray& array, const Text& t);

// ---- Letter case of raw bytes ----------------------------------------------

// A to Z become a to z; every other byte stays, whatever the locale.
constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 0x20) : c; }

// Byte strings equal but for the letter case of A to Z.
constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

}  // namespace sl
