// An HTTP server on 127.0.0.1 that serves documents put into it, for the
// application's tests, benchmarks and screenshot.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace sl::test {

class SitemapServer {
 public:
  // Listening on a free port when the constructor returns.
  SitemapServer();
  ~SitemapServer();
  SitemapServer(const SitemapServer&) = delete;
  SitemapServer& operator=(const SitemapServer&) = delete;

  void Serve(const std::string& path, std::string body);
  std::string Url(const std::string& path) const;
  int Port() const { return port_; }
  // "METHOD path" of every request so far.
  std::vector<std::string> Requests() const;

 private:
  std::unique_ptr<httplib::Server> server_;
  int port_ = -1;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::map<std::string, std::string> documents_;
  std::vector<std::string> requests_;
};

// A sitemap of `count` addresses http://example.com/page/<n>.
std::string MakeSitemap(int count);

}  // namespace sl::test
