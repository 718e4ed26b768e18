// Small routines built only from the text primitives: cutting values out of
// URLs, header blocks and cookie strings.
#pragma once

#include <cstdint>

#include "text/text.h"

namespace sl {

// The text between the first `left` at or after `start` and the next `right`;
// empty when either is missing. "#引号" in a marker stands for a double quote.
Text TextBetween(const Text& text, const Text& left, const Text& right, int32_t start = 0,
                 bool ignoreCase = false);

// The text in front of the occurrence of `marker` found from `start`; a
// negative start searches backwards from the end. Empty when there is none.
Text TextBefore(const Text& text, const Text& marker, int32_t start = 0, bool ignoreCase = false);

// The distinct items in order of first appearance, joined by `separator`.
// Items are the pieces between separators, or the characters of the text.
Text TextDistinct(const Text& text, const Text& separator, bool bySeparator);

// Splits `text` into its characters (two-byte characters and CR LF as one);
// replaces the contents of `chars` and returns their number.
int32_t TextToChars(const Text& text, TextArray& chars);

// 1-based index of the first member equal to `text`, or -1.
int32_t TextArrayIndexOf(const TextArray& array, const Text& text);

}  // namespace sl
