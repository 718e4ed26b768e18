// The Linux system code page: UTF-8 to UTF-16 and back.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "regex/codepage.h"

namespace sl::codepage {
namespace {

struct DecodeCase {
  const char* name;
  std::string_view bytes;
  std::u16string_view wide;
};

// Each maximal ill-formed subsequence becomes one U+FFFD.
const DecodeCase kDecodeCases[] = {
    {"empty", "", u""},
    {"ascii", "abc", u"abc"},
    {"two bytes", "\xC3\xA9", u"\u00E9"},
    {"three bytes", "\xE4\xB8\xAD", u"\u4E2D"},
    {"four bytes to a pair", "\xF0\x9F\x98\x80", u"\U0001F600"},
    {"lone continuation", "a\x80z", u"a\uFFFDz"},
    {"truncated sequence", "\xE4\xB8z", u"\uFFFDz"},
    {"truncated at end", "z\xF0\x9F\x98", u"z\uFFFD"},
    {"overlong", "\xC0\xAF", u"\uFFFD\uFFFD"},
    {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
    {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
    {"byte FF", "\xFF", u"\uFFFD"},
    {"two-byte code page text", "\xD6\xD0\xCE\xC4", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
    // Runs of ASCII are converted eight bytes at a time: what follows a run,
    // and what interrupts one, must still be decoded one by one.
    {"ill-formed after a long run", "https://x/\xFFy", u"https://x/\uFFFDy"},
    {"sequence across a block edge",
     "1234567\xE4\xB8\xAD"
     "89abcdefgh",
     u"1234567\u4E2D89abcdefgh"},
};

TEST(CodePage, DecodesUtf8AndReplacesIllFormedSequences) {
  for (const DecodeCase& c : kDecodeCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ToWide(c.bytes), c.wide);
  }
}

TEST(CodePage, ValidTextSurvivesTheRoundTrip) {
  const std::string_view text =
      "<loc>http://例子.com/é?q=😀</loc>\r\n<loc>https://example.com/a/b</loc>";
  EXPECT_EQ(FromWide(ToWide(text)), text);
}

TEST(CodePage, EncodingGivesValidUtf8) {
  struct Case {
    const char* name;
    std::u16string_view wide;
    std::string_view bytes;
  };
  const Case cases[] = {
      {"pair", u"\U0001F600", "\xF0\x9F\x98\x80"},
      {"lone high surrogate", std::u16string_view(u"a\xD800z"), "a\xEF\xBF\xBDz"},
      {"lone low surrogate", std::u16string_view(u"a\xDC00z"), "a\xEF\xBF\xBDz"},
      {"high surrogate at end", std::u16string_view(u"a\xD83D"), "a\xEF\xBF\xBD"},
      {"reversed pair", std::u16string_view(u"\xDE00\xD83D"), "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"stops at NUL", std::u16string_view(u"ab\0cd", 5), "ab"},
      {"stops at NUL inside a long run", std::u16string_view(u"0123456789\0abcdefgh", 19),
       "0123456789"},
      {"pair after a long run", u"0123456789abcdef\U0001F600", "0123456789abcdef\xF0\x9F\x98\x80"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FromWide(c.wide), c.bytes);
  }
}

}  // namespace
}  // namespace sl::codepage
