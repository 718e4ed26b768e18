#include "sitemap_server.h"

#include <httplib.h>

#include <chrono>

namespace sl::test {

SitemapServer::SitemapServer() : server_(std::make_unique<httplib::Server>()) {
  server_->Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request.method + " " + request.path);
    auto found = documents_.find(request.path);
    if (found == documents_.end()) {
      response.status = 404;
      return;
    }
    response.set_content(found->second, "application/xml");
  });
  port_ = server_->bind_to_any_port("127.0.0.1");
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  // stop() only reaches a server whose accept loop runs.
  for (int i = 0; i < 1000 && !server_->is_running(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

SitemapServer::~SitemapServer() {
  server_->stop();
  thread_.join();
}

void SitemapServer::Serve(const std::string& path, std::string body) {
  std::lock_guard<std::mutex> lock(mutex_);
  documents_[path] = std::move(body);
}

std::string SitemapServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> SitemapServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

std::string MakeSitemap(int count) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n";
  for (int i = 1; i <= count; ++i) {
    xml += "  <url><loc>http://example.com/page/" + std::to_string(i) +
           "</loc><lastmod>2024-01-01</lastmod></url>\n";
  }
  xml += "</urlset>\n";
  return xml;
}

}  // namespace sl::test
