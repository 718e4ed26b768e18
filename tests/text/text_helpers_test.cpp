// The helpers that cut values out of URLs, header blocks and cookie strings.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "text/text.h"
#include "text/text_helpers.h"
#include "text_matchers.h"

namespace sl {
namespace {

using text_test::IsResult;
using text_test::Show;
using text_test::T;

TextArray ArrayOf(std::initializer_list<const char*> members) {
  TextArray array;
  for (const char* m : members) ArrayAppend(array, T(m));
  return array;
}

// ---- TextBetween ------------------------------------------------------------

TEST(TextBetween, BetweenLeftMarkerAndTheNextRightMarker) {
  const struct {
    const char* text;
    const char* left;
    const char* right;
    int32_t start;
    bool ignoreCase;
    const char* want;
  } cases[] = {
      {"ab12cd", "ab", "cd", 0, false, "12"},
      {"xx12cd", "ab", "cd", 0, false, ""},
      {"cdab12", "ab", "cd", 0, false, ""},
      {"abcd", "ab", "cd", 0, false, ""},
      {"abXab", "ab", "ab", 0, false, "X"},
      // An empty right marker never yields anything.
      {"ab12cd", "ab", "", 0, false, ""},
      {"ab12cd", "ab", nullptr, 0, false, ""},
      // An empty left marker starts at position 1, whatever the start.
      {"xy12cd", "", "cd", 0, false, "xy12"},
      {"xy12cd", "", "cd", 4, false, "xy12"},
      {"xy12cd", nullptr, "cd", INT_MIN, false, "xy12"},
      {"abc", "", "c", 10, false, ""},
      // Start: 0, 1 and negative values search the whole text.
      {"ab12cdab34cd", "ab", "cd", 1, false, "12"},
      {"ab12cdab34cd", "ab", "cd", -5, false, "12"},
      {"ab12cdab34cd", "ab", "cd", INT_MIN, false, "12"},
      {"ab12cdab34cd", "ab", "cd", 2, false, "34"},
      {"ab12cdab34cd", "ab", "cd", 7, false, "34"},
      {"ab12cdab34cd", "ab", "cd", 8, false, ""},
      {"ab12cdab34cd", "ab", "cd", INT_MAX, false, ""},
      // Letter case, for both markers.
      {"AB12cd", "ab", "CD", 0, true, "12"},
      {"AB12cd", "ab", "CD", 0, false, ""},
      // A marker byte that is a second byte is not a marker.
      {"\xB0<x>", "<", ">", 0, false, ""},
      {"<\xB0\xA1>", "<", ">", 0, false, "\xB0\xA1"},
      // The quote escape, in either marker.
      {"say \"hi\" now", "#引号", "#引号", 0, false, "hi"},
      {"k=\"v\";", "k=#引号", "#引号;", 0, false, "v"},
      {"a#引号b#引号c", "#引号", "#引号", 0, false, ""},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(
        IsResult(TextBetween(T(c.text), T(c.left), T(c.right), c.start, c.ignoreCase), c.want))
        << Show(c.text) << " between " << Show(c.left ? c.left : "") << " and "
        << Show(c.right ? c.right : "") << " from " << c.start;
  }
  EXPECT_TRUE(IsResult(TextBetween("ab12cd", "ab", "cd"), "12"));
}

// ---- TextBefore -------------------------------------------------------------

TEST(TextBefore, ForwardsAndBackwards) {
  const struct {
    const char* text;
    const char* marker;
    int32_t start;
    bool ignoreCase;
    const char* want;
  } cases[] = {
      {"key: value", ": ", 0, false, "key"},
      {"abc", "a", 0, false, ""},
      {"abc", "x", 0, false, ""},
      {"abc", "", 0, false, ""},
      {"", ":", 0, false, ""},
      {nullptr, ":", -1, false, ""},
      // Forwards from start.
      {"a:b:c", ":", 1, false, "a"},
      {"a:b:c", ":", 2, false, "a"},
      {"a:b:c", ":", 3, false, "a:b"},
      {"a:b:c", ":", 5, false, ""},
      {"a:b:c", ":", INT_MAX, false, ""},
      // Backwards: -1 leaves out the last byte, -k (k >= 2) the last k + 1.
      {"abc:", ":", 0, false, "abc"},
      {"abc:", ":", -1, false, ""},
      {"a:b:c", ":", -1, false, "a:b"},
      {"a:b:", ":", -1, false, "a"},
      {"a:b:c", ":", -2, false, "a"},
      {"a:b:c", ":", -3, false, ""},
      {"a:b:c", ":", INT_MIN + 1, false, ""},
      {"a:b:c", ":", INT_MIN, false, ""},
      // Letter case and the double-byte walk, both directions.
      {"xKEY: v", "key:", 0, true, "x"},
      {"xKEY: v", "key:", 0, false, ""},
      {"aXbx", "x", -1, true, "a"},
      {"\xB0:x:", ":", -1, false, ""},
      {"\xB0:x:", ":", 0, false, "\xB0:x"},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(IsResult(TextBefore(T(c.text), T(c.marker), c.start, c.ignoreCase), c.want))
        << Show(c.text ? c.text : "") << " before " << Show(c.marker) << " from " << c.start;
  }
  EXPECT_TRUE(IsResult(TextBefore("key: value", ": "), "key"));
}

// ---- TextDistinct -----------------------------------------------------------

TEST(TextDistinct, FirstAppearancesJoined) {
  const struct {
    const char* text;
    const char* separator;
    bool bySeparator;
    const char* want;
  } cases[] = {
      {"a; b; a; c", "; ", true, "a; b; c"},
      {"x", "; ", true, "x"},
      {"A,a,A", ",", true, "A,a"},
      {"abab", "", true, "abab"},
      // Empty items take part like any other.
      {"a;;a;", ";", true, "a;"},
      {";a;", ";", true, ";a"},
      {"", "; ", true, ""},
      {nullptr, ",", false, ""},
      // By characters.
      {"aabc", "", false, "abc"},
      {"abca", ",", false, "a,b,c"},
      {"\xB0\xA1\xB0\xA1x", "", false, "\xB0\xA1x"},
      {"\r\n\r\n\r", "|", false, "\r\n|\r"},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(IsResult(TextDistinct(T(c.text), T(c.separator), c.bySeparator), c.want))
        << Show(c.text ? c.text : "") << " by " << Show(c.separator);
  }
}

// ---- TextToChars ------------------------------------------------------------

TEST(TextToChars, CharactersWithCrLfAsOne) {
  const struct {
    const char* text;
    std::vector<const char*> want;
  } cases[] = {
      {"a\xB0\xA1"
       "b",
       {"a", "\xB0\xA1", "b"}},
      {"\r\n", {"\r\n"}},
      {"\rx", {"\r", "x"}},
      {"\n\r", {"\n", "\r"}},
      {"x\r", {"x", "\r"}},
      {"\x81\r\n", {"\x81\r", "\n"}},
      // A lone lead byte at the end is a character; 0x80 never leads.
      {"ab\xB0", {"a", "b", "\xB0"}},
      {"\xFF\xFF\xFF", {"\xFF\xFF", "\xFF"}},
      {"\x80"
       "a",
       {"\x80", "a"}},
      {"\x81"
       "a",
       {"\x81"
        "a"}},
      {"", {}},
      {nullptr, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Show(c.text ? c.text : ""));
    TextArray chars = ArrayOf({"stale", "members", "here"});
    ASSERT_EQ(TextToChars(T(c.text), chars), static_cast<int32_t>(c.want.size()));
    ASSERT_EQ(ArrayCount(chars), static_cast<int32_t>(c.want.size()));
    for (int32_t i = 1; i <= ArrayCount(chars); ++i) {
      EXPECT_TRUE(IsResult(chars.Member(i), c.want[static_cast<size_t>(i) - 1])) << "item " << i;
    }
  }
}

// ---- TextArrayIndexOf -------------------------------------------------------

TEST(TextArrayIndexOf, FirstEqualMember) {
  const TextArray abA = ArrayOf({"a", "b", "a"});
  const TextArray withAbsent = ArrayOf({"a", nullptr, "b"});
  EXPECT_EQ(TextArrayIndexOf(TextArray(), "a"), -1);
  EXPECT_EQ(TextArrayIndexOf(TextArray(), Text()), -1);
  EXPECT_EQ(TextArrayIndexOf(abA, "a"), 1);
  EXPECT_EQ(TextArrayIndexOf(abA, "b"), 2);
  EXPECT_EQ(TextArrayIndexOf(abA, "A"), -1);
  EXPECT_EQ(TextArrayIndexOf(abA, "ab"), -1);
  EXPECT_EQ(TextArrayIndexOf(withAbsent, Text("")), 2);
  EXPECT_EQ(TextArrayIndexOf(withAbsent, Text()), 2);
  EXPECT_EQ(TextArrayIndexOf(ArrayOf({"a", ""}), Text()), 2);
}

}  // namespace
}  // namespace sl
