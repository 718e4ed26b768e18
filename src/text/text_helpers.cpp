#include "text/text_helpers.h"

#include <algorithm>
#include <string>

namespace sl {

namespace {

// A caller writes a double quote inside a marker as this literal.
constexpr const char* kQuoteMarker = "#引号";

Text ExpandQuoteMarker(const Text& marker) {
  return TextReplace(marker, kQuoteMarker, Text("\""), true);
}

}  // namespace

Text TextBetween(const Text& text, const Text& left, const Text& right, int32_t start,
                 bool ignoreCase) {
  Text leftMarker = ExpandQuoteMarker(left);
  Text rightMarker = ExpandQuoteMarker(right);
  int32_t a = TextFind(text, leftMarker, start, ignoreCase);
  if (a == -1) return Text();
  a += TextLength(leftMarker);
  int32_t b = TextFind(text, rightMarker, a, ignoreCase);
  if (b == -1) return Text();
  return TextMid(text, a, b - a);
}

Text TextBefore(const Text& text, const Text& marker, int32_t start, bool ignoreCase) {
  int64_t length = TextLength(text);
  int32_t p;
  if (start < 0) {
    int64_t k = -int64_t{start};
    if (k == 1) k = 0;
    int64_t from = std::max<int64_t>(length - k, INT32_MIN);
    p = TextFindLast(text, marker, static_cast<int32_t>(from), ignoreCase);
  } else {
    p = TextFind(text, marker, start == 0 ? 1 : start, ignoreCase);
  }
  if (p == -1) return Text();
  return TextLeft(text, p - 1);
}

int32_t TextArrayIndexOf(const TextArray& array, const Text& text) {
  for (int32_t i = 1; i <= ArrayCount(array); ++i) {
    if (TextCompare(array.Member(i), text) == 0) return i;
  }
  return -1;
}

Text TextDistinct(const Text& text, const Text& separator, bool bySeparator) {
  TextArray items;
  if (bySeparator) {
    items = TextSplit(text, separator);
  } else {
    TextToChars(text, items);
  }
  TextArray seen;
  // Collected in one growing buffer: joining item by item with TextConcat
  // would copy the result once per item.
  std::string joined;
  for (const Text& item : items) {
    if (TextArrayIndexOf(seen, item) != -1) continue;
    ArrayAppend(seen, item);
    joined.append(item.View());
    joined.append(separator.View());
  }
  Text result = Text::Result(std::move(joined));
  return TextLeft(result, TextLength(result) - TextLength(separator));
}

int32_t TextToChars(const Text& text, TextArray& chars) {
  chars.Clear();
  ByteBuffer bytes = TextToBytes(text);
  int32_t n = BytesLength(bytes);
  auto byteAt = [&](int32_t i) { return bytes.Span()[static_cast<size_t>(i) - 1]; };
  for (int32_t i = 1; i <= n;) {
    int32_t width = 1;
    if (i != n && (byteAt(i) >= 129 || (byteAt(i) == 13 && byteAt(i + 1) == 10))) width = 2;
    ArrayAppend(chars, BytesToText(BytesMid(bytes, i, width)));
    i += width;
  }
  return ArrayCount(chars);
}

}  // namespace sl
