#include "web/cookies.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>

#include "printing.h"

namespace sl {
namespace {

struct MergeCase {
  const char* sent;
  const char* received;
  const char* merged;
};

void PrintTo(const MergeCase& c, std::ostream* os) {
  *os << Shown(c.sent) << " + " << Shown(c.received);
}

class MergeCookiesTest : public testing::TestWithParam<MergeCase> {};

TEST_P(MergeCookiesTest, ReceivedFirstThenUnsetSent) {
  Text sent = GetParam().sent;
  Text received = GetParam().received;
  EXPECT_EQ(S(MergeCookies(sent, received)), GetParam().merged);
  EXPECT_EQ(S(sent), GetParam().merged);
}

INSTANTIATE_TEST_SUITE_P(WorkedExamples, MergeCookiesTest,
                         testing::Values(MergeCase{"a=1; b=2", "b=3; c=4", "b=3; c=4; a=1"},
                                         MergeCase{"a=1; b=2", "b=deleted; c=4", "c=4; a=1"},
                                         MergeCase{"a=1; a=2;", "", "a=1"},
                                         MergeCase{"", "c=4; c=4", "c=4"},
                                         MergeCase{"", "c=4; c=5", "c=4; c=5"},
                                         MergeCase{"a=1", "", "a=1"}));

INSTANTIATE_TEST_SUITE_P(
    Edges, MergeCookiesTest,
    testing::Values(MergeCase{"", "", ""},
                    // A deleted cookie goes together with the sent one of its name.
                    MergeCase{"a=1", "a=deleted", ""},
                    MergeCase{"  a=1; b=2  ", " b=3; ", "b=3; a=1"},
                    MergeCase{"flag; a=1", "flag", "flag; a=1"}, MergeCase{" a =1", "a=2", "a=2"}));

TEST(MergeCookiesTest, LeavesTheAdjustedReceivedText) {
  Text sent = "a=1";
  Text received = "  b=2;  ";
  MergeCookies(sent, received);
  EXPECT_EQ(S(received), "b=2; ");
}

struct CollectCase {
  const char* block;
  const char* cookies;
};

void PrintTo(const CollectCase& c, std::ostream* os) { *os << Shown(c.block); }

class CollectSetCookiesTest : public testing::TestWithParam<CollectCase> {};

TEST_P(CollectSetCookiesTest, TakesTheFirstPairOfEachLine) {
  EXPECT_EQ(S(CollectSetCookies(GetParam().block)), GetParam().cookies);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, CollectSetCookiesTest,
    testing::Values(CollectCase{"HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n"
                                "Content-Type: text/html\r\n\r\n",
                                "a=1; b=2"},
                    CollectCase{"HTTP/1.1 200 OK\r\nset-cookie: a=1\r\n\r\n", ""},
                    CollectCase{"HTTP/1.1 200 OK\r\nSet-Cookie:a=1\r\n\r\n", ""},
                    CollectCase{
                        "HTTP/1.1 200 OK\r\nSet-Cookie: s=x; Path=/; Expires=Wed, 01 Jan 2031 "
                        "00:00:00 GMT; HttpOnly\r\n\r\n",
                        "s=x"},
                    CollectCase{"Set-Cookie:  spaced=1  \r\nX-Set-Cookie: no=1", "spaced=1"},
                    CollectCase{"", ""}, CollectCase{"     ", ""}));

TEST(CookieNameTest, IsTheTrimmedTextBeforeTheFirstEquals) {
  EXPECT_EQ(S(CookieName("a=1")), "a");
  EXPECT_EQ(S(CookieName(" a =1=2")), "a");
  EXPECT_EQ(S(CookieName("  flag  ")), "flag");
  EXPECT_EQ(S(CookieName("=x")), "");
}

TEST(CookieNameListedTest, MatchesWholeNamesOnly) {
  TextArray items;
  EXPECT_FALSE(CookieNameListed(items, "a"));
  ArrayAppend(items, "ab=1");
  ArrayAppend(items, " c =2");
  EXPECT_FALSE(CookieNameListed(items, "a"));
  EXPECT_FALSE(CookieNameListed(items, "A"));
  EXPECT_TRUE(CookieNameListed(items, "ab"));
  EXPECT_TRUE(CookieNameListed(items, "c"));
}

}  // namespace
}  // namespace sl
