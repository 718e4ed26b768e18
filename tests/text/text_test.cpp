// The Text value and its operations: measuring, cutting, searching, case,
// trimming, replacing, splitting, numbers, comparison and concatenation.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "text/text.h"
#include "text_matchers.h"

namespace sl {
namespace {

using text_test::IsResult;
using text_test::Show;
using text_test::T;

constexpr std::optional<int32_t> kOmitted = std::nullopt;

// ---- The value itself ------------------------------------------------------

TEST(TextValue, AbsentAndEmptyDifferOnlyInTheCString) {
  Text absent;
  Text fromNull(static_cast<const char*>(nullptr));
  Text empty("");
  EXPECT_TRUE(absent.IsAbsent());
  EXPECT_TRUE(fromNull.IsAbsent());
  EXPECT_FALSE(empty.IsAbsent());
  EXPECT_EQ(absent.CStr(), nullptr);
  EXPECT_EQ(fromNull.CStr(), nullptr);
  ASSERT_NE(empty.CStr(), nullptr);
  EXPECT_STREQ(empty.CStr(), "");
  EXPECT_EQ(absent, empty);
  EXPECT_EQ(TextLength(absent), 0);
  EXPECT_EQ(TextLength(empty), 0);
  EXPECT_EQ(TextLength("\xB0\xA1"), 2);
}

TEST(TextValue, NeverHoldsAZeroByte) {
  using namespace std::string_literals;
  EXPECT_TRUE(IsResult(Text(std::string_view("ab\0cd", 5)), "ab"));
  EXPECT_TRUE(IsResult(Text("ab\0cd"s), "ab"));
  // Cut before any byte: still a present text, it was built from a value.
  Text cut(std::string_view("\0x", 2));
  EXPECT_EQ(cut.Length(), 0);
  EXPECT_STREQ(cut.CStr(), "");
}

TEST(TextValue, ResultIsAbsentWhenEmpty) {
  EXPECT_TRUE(IsResult(Text::Result(std::string()), ""));
  EXPECT_TRUE(IsResult(Text::Result(std::string("a")), "a"));
}

// ---- TextLeft, TextRight, TextMid ------------------------------------------

struct CutCase {
  const char* t;
  int32_t n;
  const char* want;
};

TEST(TextCut, LeftClampsItsLength) {
  const CutCase cases[] = {
      {"abc", 1, "a"}, {"abc", 3, "abc"},        {"abc", 4, "abc"},    {"abc", INT_MAX, "abc"},
      {"abc", 0, ""},  {"abc", -1, ""},          {"abc", INT_MIN, ""}, {nullptr, 2, ""},
      {"", 2, ""},     {"\xB0\xA1x", 1, "\xB0"},  // cuts a double-byte character in two
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(IsResult(TextLeft(T(c.t), c.n), c.want)) << Show(c.t ? c.t : "") << " n=" << c.n;
  }
}

TEST(TextCut, RightClampsItsLength) {
  const CutCase cases[] = {
      {"abc", 2, "bc"},        {"abc", 3, "abc"}, {"abc", 4, "abc"},
      {"abc", INT_MAX, "abc"}, {"abc", 0, ""},    {"abc", -1, ""},
      {"abc", INT_MIN, ""},    {nullptr, 1, ""},  {"x\xB0\xA1", 1, "\xA1"},  // the lone second byte
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(IsResult(TextRight(T(c.t), c.n), c.want)) << Show(c.t ? c.t : "") << " n=" << c.n;
  }
}

TEST(TextCut, MidNeverMovesStartUpAndClampsLength) {
  struct Case {
    int32_t start;
    int32_t n;
    const char* want;
  };
  const Case cases[] = {
      {2, 3, "bcd"},          {1, 6, "abcdef"},     {5, 10, "ef"}, {6, 1, "f"},
      {1, INT_MAX, "abcdef"}, {3, INT_MAX, "cdef"}, {7, 1, ""},    {INT_MAX, INT_MAX, ""},
      {INT_MAX, 1, ""},       {0, 3, ""},           {-1, 3, ""},   {INT_MIN, 3, ""},
      {INT_MIN, INT_MAX, ""}, {2, 0, ""},           {2, -1, ""},   {2, INT_MIN, ""},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(IsResult(TextMid("abcdef", c.start, c.n), c.want))
        << "start=" << c.start << " n=" << c.n;
  }
  EXPECT_TRUE(IsResult(TextMid(Text(), 1, 1), ""));
  EXPECT_TRUE(IsResult(TextMid("\xB0\xA1", 2, 1), "\xA1"));
}

// ---- TextCode, TextFromCode, TextBlank -------------------------------------

TEST(TextCode, FirstByteAsSignedValue) {
  const struct {
    const char* t;
    int32_t want;
  } cases[] = {
      {nullptr, 0},   {"", 0},           {"A", 65},    {"\x7F", 127},
      {"\x80", -128}, {"\xB0\xA1", -80}, {"\xFF", -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextCode(T(c.t)), c.want) << Show(c.t ? c.t : "");
  }
}

TEST(TextCode, FromCodeKeepsTheLowByte) {
  const struct {
    int32_t code;
    const char* want;
  } cases[] = {
      {65, "A"},
      {0x141, "A"},
      {0xB0, "\xB0"},
      {-80, "\xB0"},
      {-1, "\xFF"},
      {INT_MAX, "\xFF"},
      {1, "\x01"},
      // A zero low byte cannot be a text: absent, the null pointer of a system call.
      {0, ""},
      {256, ""},
      {INT_MIN, ""},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(IsResult(TextFromCode(c.code), c.want)) << "code=" << c.code;
  }
  EXPECT_EQ(TextFromCode(0).CStr(), nullptr);
}

TEST(TextBlank, SpacesOrAbsent) {
  EXPECT_TRUE(IsResult(TextBlank(3), "   "));
  EXPECT_TRUE(IsResult(TextBlank(1), " "));
  for (int32_t n : {0, -1, INT_MIN}) {
    EXPECT_TRUE(IsResult(TextBlank(n), "")) << "n=" << n;
  }
}

// ---- TextFind ---------------------------------------------------------------

struct FindCase {
  const char* t;
  const char* sought;
  std::optional<int32_t> start;
  bool ignoreCase;
  int32_t want;
};

void PrintTo(const FindCase& c, std::ostream* os) {
  *os << Show(c.t ? c.t : "") << " sought " << Show(c.sought ? c.sought : "") << " start "
      << (c.start ? std::to_string(*c.start) : "omitted") << (c.ignoreCase ? " ignoring case" : "");
}

class TextFindTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(TextFindTest, FirstOccurrence) {
  const FindCase& c = GetParam();
  EXPECT_EQ(TextFind(T(c.t), T(c.sought), c.start, c.ignoreCase), c.want);
}

INSTANTIATE_TEST_SUITE_P(
    StartRules, TextFindTest,
    ::testing::Values(
        // The range starts at start; positions count from the text's start.
        FindCase{"abcabc", "bc", kOmitted, false, 2}, FindCase{"abcabc", "bc", 2, false, 2},
        FindCase{"abcabc", "bc", 3, false, 5}, FindCase{"abcabc", "bc", 6, false, -1},
        FindCase{"abcabc", "c", 6, false, 6}, FindCase{"abcabc", "c", 7, false, -1},
        FindCase{"abcabc", "c", INT_MAX, false, -1},
        // 1 or less: the whole text.
        FindCase{"abcabc", "bc", 1, false, 2}, FindCase{"abcabc", "bc", 0, false, 2},
        FindCase{"abcabc", "bc", -1, false, 2}, FindCase{"abcabc", "bc", INT_MIN, false, 2},
        FindCase{"abc", "abc", kOmitted, false, 1}, FindCase{"abc", "abcd", kOmitted, false, -1},
        FindCase{"abc", "x", kOmitted, false, -1}, FindCase{"", "a", kOmitted, false, -1},
        FindCase{nullptr, "a", kOmitted, false, -1}));

INSTANTIATE_TEST_SUITE_P(EmptySought, TextFindTest,
                         ::testing::Values(FindCase{"0123456789", "", kOmitted, false, 1},
                                           FindCase{"0123456789", "", 5, false, 1},
                                           FindCase{"0123456789", "", 10, false, 1},
                                           FindCase{"0123456789", "", 11, false, -1},
                                           FindCase{"0123456789", "", INT_MAX, false, -1},
                                           FindCase{"0123456789", "", INT_MIN, false, 1},
                                           FindCase{"0123456789", nullptr, kOmitted, false, 1},
                                           FindCase{"", "", kOmitted, false, -1},
                                           FindCase{nullptr, nullptr, kOmitted, false, -1}));

INSTANTIATE_TEST_SUITE_P(DoubleByte, TextFindTest,
                         ::testing::Values(
                             // Never at a second byte.
                             FindCase{"\xB0\xA1", "\xA1", kOmitted, false, -1},
                             FindCase{"\xB0\xA1", "\xB0\xA1", kOmitted, false, 1},
                             FindCase{"\xB0\xA1", "\xB0", kOmitted, false, 1},
                             FindCase{"\xB0\xA1\xA1\xA1", "\xA1\xA1", kOmitted, false, 3},
                             FindCase{"\xB0\x61\x61", "a", kOmitted, false, 3},
                             FindCase{"\xB0\x2C,", ",", kOmitted, false, 3},
                             // 0x80 and 0xFF lead as well, whatever the code page.
                             FindCase{"\x80\x61", "a", kOmitted, false, -1},
                             FindCase{"\xFF\x61", "a", kOmitted, false, -1},
                             // A given start is taken exactly, even on a second byte.
                             FindCase{"\xB0\xA1", "\xA1", 2, false, 2},
                             FindCase{"\xB0\xA1\xA1\xA1", "\xA1\xA1", 2, false, 2},
                             // A lone lead byte at the end is a character start of its own.
                             FindCase{"a\xB0", "\xB0", kOmitted, false, 2},
                             FindCase{"a\xB0", "\xB0\xA1", kOmitted, false, -1},
                             FindCase{"\xB0", "x", kOmitted, false, -1}));

INSTANTIATE_TEST_SUITE_P(
    IgnoreCase, TextFindTest,
    ::testing::Values(FindCase{"host: x\r\nuser-agent: y\r\n", "User-Agent:", kOmitted, true, 10},
                      FindCase{"host: x\r\nuser-agent: y\r\n", "User-Agent:", kOmitted, false, -1},
                      FindCase{"xUSER-AGENT:", "user-agent:", kOmitted, true, 2},
                      FindCase{"aB", "Ab", 2, true, -1},
                      // Only A-Z fold: the neighbours of the letter ranges stay apart.
                      FindCase{"@[", "`{", kOmitted, true, -1},
                      FindCase{"`{", "@[", kOmitted, true, -1},
                      // Full-width A (0xA3 0xC1) and a (0xA3 0xE1) are never folded.
                      FindCase{"\xA3\xC1", "\xA3\xE1", kOmitted, true, -1},
                      // A second byte in the letter range is folded when comparing.
                      FindCase{"\xB0\x41", "\xB0\x61", kOmitted, true, 1},
                      FindCase{"\xB0\x41", "\xB0\x61", kOmitted, false, -1}));

// ---- TextFindLast -----------------------------------------------------------

class TextFindLastTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(TextFindLastTest, LastOccurrenceEndingBeforeStart) {
  const FindCase& c = GetParam();
  EXPECT_EQ(TextFindLast(T(c.t), T(c.sought), c.start, c.ignoreCase), c.want);
}

INSTANTIATE_TEST_SUITE_P(
    StartRules, TextFindLastTest,
    ::testing::Values(
        FindCase{"abcabc", "bc", kOmitted, false, 5}, FindCase{"abcabc", "bc", 7, false, 5},
        FindCase{"abcabc", "bc", INT_MAX, false, 5},
        // Ending on the last byte: not before start = len.
        FindCase{"abcabc", "bc", 6, false, 2}, FindCase{"abcabc", "c", 6, false, 3},
        FindCase{"abcabc", "bc", 4, false, 2},
        // Begins before start but reaches it: not found.
        FindCase{"abcabc", "bc", 3, false, -1}, FindCase{"abcabc", "a", 2, false, 1},
        FindCase{"abcabc", "a", 1, false, -1}, FindCase{"abcabc", "a", 0, false, -1},
        FindCase{"abcabc", "a", -1, false, -1}, FindCase{"abcabc", "a", INT_MIN, false, -1},
        FindCase{"abc", "abcd", kOmitted, false, -1}, FindCase{nullptr, "a", kOmitted, false, -1}));

INSTANTIATE_TEST_SUITE_P(EmptySought, TextFindLastTest,
                         ::testing::Values(FindCase{"abc", "", kOmitted, false, 1},
                                           FindCase{"abc", "", 2, false, 1},
                                           FindCase{"abc", "", 1, false, -1},
                                           FindCase{"abc", "", 0, false, -1},
                                           FindCase{"abc", "", INT_MIN, false, -1},
                                           FindCase{"", "", kOmitted, false, -1},
                                           FindCase{nullptr, nullptr, 5, false, -1}));

INSTANTIATE_TEST_SUITE_P(DoubleByte, TextFindLastTest,
                         ::testing::Values(FindCase{"\xB0\xA1", "\xA1", kOmitted, false, -1},
                                           // 0xA1 0xA1 is one character; position 2 is no start.
                                           FindCase{"\xA1\xA1\xA1", "\xA1\xA1", kOmitted, false, 1},
                                           // The range may end inside a character.
                                           FindCase{"a\xB0\xA1", "\xB0", 3, false, 2}));

INSTANTIATE_TEST_SUITE_P(IgnoreCase, TextFindLastTest,
                         ::testing::Values(FindCase{"xAxa", "A", kOmitted, true, 4},
                                           FindCase{"xAxa", "A", kOmitted, false, 2},
                                           FindCase{"\xB0\x41\xB0\x41", "\xB0\x61", kOmitted, true,
                                                    3},
                                           FindCase{"\xA3\xC1", "\xA3\xE1", kOmitted, true, -1}));

// ---- TextTrim ---------------------------------------------------------------

TEST(TextTrim, SpacesAndIdeographicSpacesOnly) {
  const struct {
    const char* t;
    const char* want;
  } cases[] = {
      {"  a b  ", "a b"},
      {"\xA1\xA1 a\xA1\xA1 ", "a"},
      {"a \r\n", "a \r\n"},
      {"\r\n a", "\r\n a"},
      {"\ta\t", "\ta\t"},
      {"   ", ""},
      {"\xA1\xA1\xA1\xA1", ""},
      {"", ""},
      {nullptr, ""},
      // The walk decides what is a blank: a space or 0xA1 as a second byte is not one.
      {"\xB0 ", "\xB0 "},
      {" \xA1  ", "\xA1 "},
      {"\xB0\xA1\xA1\xA1", "\xB0\xA1"},
      // A trailing lone lead byte is dropped, and the blanks before it stay.
      {"a \xB0", "a "},
      {"\xB0\xA1\xA1", "\xB0\xA1"},
      {"a\xA1\xA1\xA1", "a\xA1\xA1"},
      {" \xB0", ""},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(IsResult(TextTrim(T(c.t)), c.want)) << Show(c.t ? c.t : "");
  }
}

// ---- TextReplace ------------------------------------------------------------

TEST(TextReplace, LeftToRightWithoutOverlap) {
  // `replacement` nullopt: left out; nullptr: given as the absent text.
  const struct {
    const char* t;
    const char* sought;
    std::optional<const char*> replacement;
    bool caseSensitive;
    const char* want;
  } cases[] = {
      {"a-b-c", "-", "+", true, "a+b+c"},
      {"aaa", "aa", "b", true, "ba"},
      {"aaaa", "aa", "b", true, "bb"},
      {"abcab", "abc", "X", true, "Xab"},
      // An inserted replacement is never searched again.
      {"abab", "ab", "abab", true, "abababab"},
      {"a", "a", "aa", true, "aa"},
      // Deleting.
      {"x-y-", "-", std::nullopt, true, "xy"},
      {"x-y-", "-", nullptr, true, "xy"},
      {"x-y-", "-", "", true, "xy"},
      {"---", "-", std::nullopt, true, ""},
      // Nothing to do.
      {"abc", "", "z", true, "abc"},
      {"abc", nullptr, "z", true, "abc"},
      {"abc", "abcd", "z", true, "abc"},
      {"", "a", "b", true, ""},
      {nullptr, "a", "b", true, ""},
      // Letter case.
      {"Set-Cookie: a\r\nSET-COOKIE: b\r\nset-cookie: c", "Set-Cookie:", "X", false,
       "X a\r\nX b\r\nX c"},
      {"Set-Cookie: a\r\nSET-COOKIE: b", "Set-Cookie:", "X", true, "X a\r\nSET-COOKIE: b"},
      {"\xB0\x41", "\xB0\x61", "z", false, "z"},
      {"\xB0\x41", "\xB0\x61", "z", true, "\xB0\x41"},
      {"\xA3\xC1", "\xA3\xE1", "z", false, "\xA3\xC1"},
      // Double-byte walk: no match at a second byte, no byte lost.
      {"\xB0\xA1", "\xA1", "x", true, "\xB0\xA1"},
      {"\xB0\xA1\xA1\x41", "\xA1", "x", true, "\xB0\xA1x\x41"},
      {"ab\xB0", "b", "c", true, "ac\xB0"},
      {"a\xB0", "x", "y", true, "a\xB0"},
  };
  for (const auto& c : cases) {
    std::optional<Text> replacement;
    if (c.replacement) replacement = T(*c.replacement);
    EXPECT_TRUE(IsResult(TextReplace(T(c.t), T(c.sought), replacement, c.caseSensitive), c.want))
        << Show(c.t ? c.t : "") << " sought " << Show(c.sought ? c.sought : "");
  }
}

// ---- TextSplit --------------------------------------------------------------

TEST(TextSplit, MembersBetweenSeparators) {
  const struct {
    const char* t;
    const char* separator;
    std::vector<const char*> want;  // "" marks an absent member
  } cases[] = {
      {"a,b,,c,", ",", {"a", "b", "", "c"}},
      {",a", ",", {"", "a"}},
      {",", ",", {""}},
      {",,", ",", {"", ""}},
      {"a:::b", "::", {"a", ":b"}},
      {"Host: a\r\nAccept: b\r\n", "\r\n", {"Host: a", "Accept: b"}},
      {"abc", ",", {"abc"}},
      {"ab", "abc", {"ab"}},
      {"aXbxc", "x", {"aXb", "c"}},
      {"abc", "", {"abc"}},
      {"abc", nullptr, {"abc"}},
      {"", ",", {}},
      {nullptr, ",", {}},
      {nullptr, nullptr, {}},
      // A comma that is a second byte does not separate.
      {"\xB0,x", ",", {"\xB0,x"}},
      {"\xB0\xA1,x", ",", {"\xB0\xA1", "x"}},
      {"a,b\xB0", ",", {"a", "b\xB0"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Show(c.t ? c.t : "") + " by " + Show(c.separator ? c.separator : ""));
    TextArray got = TextSplit(T(c.t), T(c.separator));
    ASSERT_EQ(ArrayCount(got), static_cast<int32_t>(c.want.size()));
    for (int32_t i = 1; i <= ArrayCount(got); ++i) {
      EXPECT_TRUE(IsResult(got.Member(i), c.want[static_cast<size_t>(i) - 1])) << "member " << i;
    }
  }
}

// ---- TextToLower, TextToUpper -----------------------------------------------

TEST(TextCase, AsciiLettersOfOneByteCharactersOnly) {
  const struct {
    const char* t;
    const char* lower;
    const char* upper;
  } cases[] = {
      {"AZaz@[`{09-", "azaz@[`{09-", "AZAZ@[`{09-"},
      // Second bytes in a letter range, and full-width letters, pass unchanged.
      {"\xB0\x41\xB0\x61", "\xB0\x41\xB0\x61", "\xB0\x41\xB0\x61"},
      {"\xA3\xC1\xA3\xE1", "\xA3\xC1\xA3\xE1", "\xA3\xC1\xA3\xE1"},
      {"\x80\x61\xFF\x41", "\x80\x61\xFF\x41", "\x80\x61\xFF\x41"},
      {"\xB0\xA1Qq", "\xB0\xA1qq", "\xB0\xA1QQ"},
      {"Ab\xB0", "ab\xB0", "AB\xB0"},
      {"", "", ""},
      {nullptr, "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(IsResult(TextToLower(T(c.t)), c.lower)) << Show(c.t ? c.t : "");
    EXPECT_TRUE(IsResult(TextToUpper(T(c.t)), c.upper)) << Show(c.t ? c.t : "");
  }
}

// ---- TextToInt --------------------------------------------------------------

TEST(TextToInt, LeadingDecimalNumber) {
  const struct {
    const char* t;
    int32_t want;
  } cases[] = {
      {"8080/index.html", 8080},
      {"42", 42},
      {"+7", 7},
      {"-7", -7},
      {"-0", 0},
      {" \t\n\v\f\r42", 42},
      {"12abc", 12},
      {"1 2", 1},
      {"007", 7},
      // No number.
      {"abc", 0},
      {"", 0},
      {nullptr, 0},
      {"-", 0},
      {"--7", 0},
      {"+-7", 0},
      {"- 7", 0},
      {"0x1F", 0},
      {"\xB0\xA1", 0},
      // Full-width digits, signs and the ideographic space fold to ASCII.
      {"\xA3\xB8\xA3\xB0\xA3\xB8\xA3\xB0", 8080},
      {"\xA3\xAD\xA3\xB5", -5},
      {"\xA3\xAB"
       "5",
       5},
      {"\xA1\xA1\xA1\xA1"
       "12",
       12},
      {"\xA3\xB1"
       "2\xA3\xB3",
       123},
      {"1\xA3", 1},
      {"\xA3\xA0"
       "5",
       0},
      // 32-bit wrap-around.
      {"2147483647", INT_MAX},
      {"2147483648", INT_MIN},
      {"-2147483648", INT_MIN},
      {"-2147483649", INT_MAX},
      {"4294967296", 0},
      {"4294967297", 1},
      {"12345678901", -539222987},
      {"99999999999999999999", 1661992959},
      {"-99999999999999999999", -1661992959},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextToInt(T(c.t)), c.want) << Show(c.t ? c.t : "");
  }
}

TEST(TextToInt, VeryLongDigitRunWrapsWithoutTrapping) {
  // 10^k for large k is 0 modulo 2^32 once k >= 32.
  EXPECT_EQ(TextToInt(Text("1" + std::string(10000, '0'))), 0);
  EXPECT_EQ(TextToInt(Text("-1" + std::string(10000, '0') + "7")), -7);
}

// ---- TextCompare ------------------------------------------------------------

TEST(TextCompare, UnsignedBytesAndPrefixesFirst) {
  const struct {
    const char* a;
    const char* b;
    int32_t want;
  } cases[] = {
      {"a", "a", 0},       {"", nullptr, 0},   {nullptr, nullptr, 0}, {"a", "b", -1},
      {"b", "a", 1},       {"a", "ab", -1},    {"ab", "a", 1},        {nullptr, "a", -1},
      {"a", "", 1},        {"A", "a", -1},     {"\xB0", "a", 1},      {"a", "\xB0", -1},
      {"\xFF", "\x01", 1}, {"abc", "abd", -1}, {"azzzz", "b", -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextCompare(T(c.a), T(c.b)), c.want)
        << Show(c.a ? c.a : "") << " vs " << Show(c.b ? c.b : "");
  }
}

// ---- TextConcat -------------------------------------------------------------

TEST(TextConcat, AlwaysPresentAndAbsentPartsAddNothing) {
  Text absent;
  Text empty = TextConcat(absent, absent);
  EXPECT_FALSE(empty.IsAbsent());
  ASSERT_NE(empty.CStr(), nullptr);
  EXPECT_STREQ(empty.CStr(), "");

  const char* nullPart = nullptr;
  EXPECT_EQ(TextConcat(Text("a"), absent, "b", nullPart, Text(""), "c").View(), "abc");
  EXPECT_EQ(TextConcat(Text("\xB0"), "\xA1").View(), "\xB0\xA1");
  EXPECT_EQ(TextConcat("1", "2", "3", "4", "5", "6", "7", "8", "9", "10").View(), "12345678910");
  EXPECT_FALSE(TextConcat(absent).IsAbsent());
}

}  // namespace
}  // namespace sl
