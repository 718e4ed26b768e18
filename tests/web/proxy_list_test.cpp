#include "web/proxy_list.h"

#include <gtest/gtest.h>

#include <ostream>

#include "printing.h"

namespace sl {
namespace {

struct ProxyCase {
  const char* list;
  bool secure;
  const char* proxy;
};

void PrintTo(const ProxyCase& c, std::ostream* os) {
  *os << Shown(c.list) << (c.secure ? " secure" : " plain");
}

class ProxyForAddressTest : public testing::TestWithParam<ProxyCase> {};

TEST_P(ProxyForAddressTest, PicksTheEntryForTheScheme) {
  EXPECT_EQ(ProxyForAddress(GetParam().list, GetParam().secure), GetParam().proxy);
}

INSTANTIATE_TEST_SUITE_P(Lists, ProxyForAddressTest,
                         testing::Values(ProxyCase{"http=h:1", false, "http://h:1"},
                                         ProxyCase{"http=h:1", true, ""},
                                         ProxyCase{"h:1", false, "http://h:1"},
                                         ProxyCase{"h:1", true, "http://h:1"},
                                         ProxyCase{"http=a:1 https=b:2", true, "http://b:2"},
                                         ProxyCase{"HTTP=a:1;b:3", false, "http://a:1"},
                                         ProxyCase{"https=b:2; a:3", false, "http://a:3"},
                                         ProxyCase{"socks=s:1080", true, "socks4://s:1080"},
                                         ProxyCase{"socks=s:1080 c:8", true, "http://c:8"},
                                         ProxyCase{"http=http://a:1", false, "http://a:1"},
                                         ProxyCase{"ftp=f:21", false, ""},
                                         ProxyCase{"http=", false, ""}, ProxyCase{"", false, ""}));

TEST(ProxyBypassedTest, MatchesHostsAndLocalNames) {
  EXPECT_FALSE(ProxyBypassed("", "a"));
  EXPECT_TRUE(ProxyBypassed("<local>", "intranet"));
  EXPECT_FALSE(ProxyBypassed("<LOCAL>", "a.b"));
  EXPECT_TRUE(ProxyBypassed("*.example.com", "www.EXAMPLE.com"));
  EXPECT_FALSE(ProxyBypassed("*.example.com", "example.com"));
  EXPECT_TRUE(ProxyBypassed("a.b; 127.*,localhost", "127.0.0.1"));
  EXPECT_TRUE(ProxyBypassed("http://a.b", "a.b"));
  EXPECT_FALSE(ProxyBypassed("a.b", "a.b.c"));
  EXPECT_TRUE(ProxyBypassed("a*c*e", "abcde"));
}

}  // namespace
}  // namespace sl
