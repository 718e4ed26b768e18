// Serves one file as /sitemap.xml on 127.0.0.1 until its standard input
// closes, and prints the address first:
//   app_sitemap_serve FILE
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

#include "sitemap_server.h"
#include "test_support.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  auto document = sl::test::ReadFile(argv[1]);
  if (!document) {
    std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
    return 1;
  }
  sl::test::SitemapServer server;
  server.Serve("/sitemap.xml", *document);
  std::cout << server.Url("/sitemap.xml") << std::endl;
  std::string ignored(std::istreambuf_iterator<char>(std::cin), {});
  return 0;
}
