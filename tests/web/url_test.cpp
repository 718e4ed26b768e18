#include "web/url.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cstdint>
#include <optional>
#include <string>

#include "printing.h"

namespace sl {
namespace {

constexpr const char* kAddress = "https://x1.x2.x3:8080/p/q?r";

struct HostCase {
  const char* address;
  bool mainDomainOnly;
  bool keepPort;
  std::optional<int32_t> domainLevels;
  const char* host;
};

void PrintTo(const HostCase& c, std::ostream* os) {
  *os << Shown(c.address) << " main=" << c.mainDomainOnly << " port=" << c.keepPort
      << " levels=" << Shown(c.domainLevels);
}

class UrlHostTest : public testing::TestWithParam<HostCase> {};

TEST_P(UrlHostTest, GivesTheHost) {
  const HostCase& c = GetParam();
  EXPECT_EQ(std::string(UrlHost(c.address, c.mainDomainOnly, c.keepPort, c.domainLevels).View()),
            c.host);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, UrlHostTest,
    testing::Values(HostCase{kAddress, false, false, std::nullopt, "x1.x2.x3"},
                    HostCase{kAddress, false, true, std::nullopt, "x1.x2.x3:8080"},
                    HostCase{kAddress, true, false, std::nullopt, "x2.x3"},
                    HostCase{kAddress, true, true, std::nullopt, "x2.x3:8080"},
                    HostCase{kAddress, false, false, 0, "x2.x3"},
                    HostCase{kAddress, true, false, 0, "x3"},
                    HostCase{kAddress, false, false, 1, "x1.x2.x3"},
                    HostCase{kAddress, true, false, 1, "x2.x3"},
                    HostCase{"HTTP://X1.X2.X3", false, false, std::nullopt, "x1.x2.x3"},
                    HostCase{"x1.x2.x3/p", false, false, std::nullopt, "x1.x2.x3"}));

INSTANTIATE_TEST_SUITE_P(Edges, UrlHostTest,
                         testing::Values(
                             // Method A.
                             HostCase{"", false, false, std::nullopt, ""},
                             HostCase{"http://localhost/x", true, false, std::nullopt, "localhost"},
                             HostCase{"http://a.b.c", false, false, std::nullopt, "a.b.c"},
                             HostCase{"http://a.b.c:81", true, false, std::nullopt, "b.c"},
                             HostCase{"HTTPS://WWW.Example.COM/Path", false, false, std::nullopt,
                                      "www.example.com"},
                             // Method B: fewer labels than asked for gives all of them.
                             HostCase{"http://a.b/x", false, false, 1, "a.b"},
                             HostCase{"http://a.b/x", true, false, 1, "a.b"},
                             HostCase{"http://a.b:81/x", false, true, 0, "a.b:81"},
                             HostCase{"http://a.b.c.d/x", false, false, -3, "c.d"},
                             HostCase{"http://a.b.c.d/x", true, false, INT32_MAX, "a.b.c.d"},
                             HostCase{"a.b.c.d", true, false, 2, "b.c.d"},
                             // The last byte is never a label separator.
                             HostCase{"http://a.b.c./x", true, false, 0, "c."},
                             HostCase{"HTTPS://A.B.C:443/x", false, true, 0, "b.c:443"}));

struct PortPathCase {
  const char* address;
  int32_t port;
  const char* path;
};

void PrintTo(const PortPathCase& c, std::ostream* os) { *os << Shown(c.address); }

class UrlPortPathTest : public testing::TestWithParam<PortPathCase> {};

TEST_P(UrlPortPathTest, GivesPortAndPath) {
  const PortPathCase& c = GetParam();
  EXPECT_EQ(UrlPort(c.address), c.port);
  EXPECT_EQ(std::string(UrlPath(c.address).View()), c.path);
}

INSTANTIATE_TEST_SUITE_P(WorkedExamples, UrlPortPathTest,
                         testing::Values(PortPathCase{"https://x1.x2.x3:8080/p/q?r", 8080,
                                                      "/p/q?r"},
                                         PortPathCase{"https://x1.x2.x3", 443, "/"},
                                         PortPathCase{"http://x1.x2.x3/p", 80, "/p"},
                                         PortPathCase{"x1.x2.x3/p", 80, "/p"},
                                         PortPathCase{"https://X1.x2.x3/X/Y", 443, "/X/Y"}));

INSTANTIATE_TEST_SUITE_P(Edges, UrlPortPathTest,
                         testing::Values(PortPathCase{"", 80, "/"},
                                         PortPathCase{"http://h:/x", 0, "/x"},
                                         PortPathCase{"HTTPS://H.COM:8443/A#Frag", 8443, "/A#Frag"},
                                         PortPathCase{"http://h.com?q=1", 80, "/"},
                                         PortPathCase{"https://x.y/a/b/?c=/d", 443, "/a/b/?c=/d"}));

// A host that also occurs inside the scheme is looked for after it.
INSTANTIATE_TEST_SUITE_P(
    HostInsideScheme, UrlPortPathTest,
    testing::Values(PortPathCase{"http://p/x", 80, "/x"}, PortPathCase{"http://t/a/b", 80, "/a/b"},
                    PortPathCase{"http://tp/x", 80, "/x"}, PortPathCase{"https://s/x", 443, "/x"},
                    PortPathCase{"HTTP://P/X", 80, "/X"}, PortPathCase{"https://h:8/z", 8, "/z"},
                    PortPathCase{"p/x", 80, "/x"}));

}  // namespace
}  // namespace sl
