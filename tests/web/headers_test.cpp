#include "web/headers.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>

#include "printing.h"

namespace sl {
namespace {

TEST(CapitalizeFirstTest, UpperCasesOnlyAnAsciiFirstByte) {
  EXPECT_EQ(S(CapitalizeFirst("abc")), "Abc");
  EXPECT_EQ(S(CapitalizeFirst("aBC")), "ABC");
  EXPECT_EQ(S(CapitalizeFirst("1a")), "1a");
  EXPECT_EQ(S(CapitalizeFirst("\xB0\xA1x")), "\xB0\xA1x");
  EXPECT_EQ(S(CapitalizeFirst("")), "");
}

struct Case {
  const char* in;
  const char* out;
};

void PrintTo(const Case& c, std::ostream* os) { *os << Shown(c.in); }

class NormalizeHeaderNamesTest : public testing::TestWithParam<Case> {};

TEST_P(NormalizeHeaderNamesTest, CapitalisesNameWords) {
  EXPECT_EQ(S(NormalizeHeaderNames(GetParam().in)), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(Blocks, NormalizeHeaderNamesTest,
                         testing::Values(Case{"content-type: text/html", "Content-Type: text/html"},
                                         Case{"x-requested-with: a", "X-Requested-With: a"},
                                         Case{"ACCEPT: b", "ACCEPT: b"}, Case{"x-a-: 1", "X-A-: 1"},
                                         Case{"x--y: 1", "X--Y: 1"}, Case{":x", ":x"}, Case{"", ""},
                                         Case{"no header here", ""},
                                         Case{"a: 1\r\n\r\nnot a header\r\nb-c:2\r\n",
                                              "A: 1\r\nB-C:2"},
                                         // The value keeps its case and its colons.
                                         Case{"referer: http://a.b/c-d", "Referer: http://a.b/c-d"},
                                         // Lines separated by LF alone are one line.
                                         Case{"a-b: 1\nc-d: 2", "A-B: 1\nc-d: 2"}));

TEST(HeaderValueAfterColonTest, TrimsTheRestAfterTheFirstColon) {
  EXPECT_EQ(S(HeaderValueAfterColon("Name:  a b  ")), "a b");
  EXPECT_EQ(S(HeaderValueAfterColon("a: b\r\nc: d")), "b\r\nc: d");
  EXPECT_EQ(S(HeaderValueAfterColon("no colon")), "");
  EXPECT_EQ(S(HeaderValueAfterColon("x:")), "");
}

TEST(UserAgentFromHeadersTest, PrefersTheBlocksOwnAgent) {
  EXPECT_EQ(S(UserAgentFromHeaders("")), kDefaultUserAgent);
  EXPECT_EQ(S(UserAgentFromHeaders("Accept: */*")), kDefaultUserAgent);
  EXPECT_EQ(S(UserAgentFromHeaders("User-Agent: abc")), "abc");
  EXPECT_EQ(S(UserAgentFromHeaders("Accept: x\r\nUser-Agent:  my agent 1.0 \r\nX: y")),
            "my agent 1.0");
  // A name in another case is found, but its value is taken after the
  // block's first colon, line breaks included.
  EXPECT_EQ(S(UserAgentFromHeaders("user-agent: abc")), "abc");
  EXPECT_EQ(S(UserAgentFromHeaders("user-agent: abc\r\nAccept: x")), "abc\r\nAccept: x");
  EXPECT_EQ(S(UserAgentFromHeaders("Accept: x\r\nuser-agent: abc")), "x\r\nuser-agent: abc");
}

struct CompleteCase {
  const char* block;
  int32_t methodIndex;
  const char* cookies;
  bool complete;
  const char* out;
};

void PrintTo(const CompleteCase& c, std::ostream* os) {
  *os << Shown(c.block) << " method=" << c.methodIndex << " cookies=" << Shown(c.cookies)
      << " complete=" << c.complete;
}

class CompleteRequestHeadersTest : public testing::TestWithParam<CompleteCase> {};

TEST_P(CompleteRequestHeadersTest, AddsMissingLines) {
  const CompleteCase& c = GetParam();
  EXPECT_EQ(
      S(CompleteRequestHeaders(c.block, "HTTP://A.b/P?q=1", c.methodIndex, c.cookies, c.complete)),
      c.out);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, CompleteRequestHeadersTest,
    testing::Values(
        CompleteCase{"", 0, "", true,
                     "Accept: */*\r\nReferer: HTTP://A.b/P?q=1\r\nAccept-Language: zh-cn"},
        CompleteCase{"", 1, "", true,
                     "Accept: */*\r\nReferer: HTTP://A.b/P?q=1\r\nAccept-Language: zh-cn"
                     "\r\nContent-Type: application/x-www-form-urlencoded"},
        CompleteCase{"", 3, "", true,
                     "Accept: */*\r\nReferer: HTTP://A.b/P?q=1\r\nAccept-Language: zh-cn"},
        CompleteCase{
            "X-A: 1", 0, "", true,
            "X-A: 1\r\nAccept: */*\r\nReferer: HTTP://A.b/P?q=1\r\nAccept-Language: zh-cn"},
        // Names the block already carries, in any case, get no second line.
        CompleteCase{"accept: a\r\nREFERER: b\r\naccept-language: c\r\ncontent-TYPE: d", 1, "",
                     true, "accept: a\r\nREFERER: b\r\naccept-language: c\r\ncontent-TYPE: d"},
        // Found anywhere in the block, not only as a name.
        CompleteCase{"X: Accept:", 0, "", true,
                     "X: Accept:\r\nReferer: HTTP://A.b/P?q=1\r\nAccept-Language: zh-cn"},
        CompleteCase{"", 0, "a=1", false, "\r\nCookie: a=1"},
        CompleteCase{"X: 1", 0, "Cookie: a=1", false, "X: 1\r\nCookie: a=1"},
        CompleteCase{"X: 1", 1, "", false, "X: 1"},
        CompleteCase{"", 0, "a=1; b=2", true,
                     "Accept: */*\r\nReferer: HTTP://A.b/P?q=1\r\nAccept-Language: zh-cn"
                     "\r\nCookie: a=1; b=2"}));

}  // namespace
}  // namespace sl
