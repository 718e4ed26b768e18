#include "loopback_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <openssl/x509.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace sl::testing_web {

namespace {

using namespace std::chrono_literals;

struct X509Deleter {
  void operator()(X509* x) const { X509_free(x); }
};
struct KeyDeleter {
  void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};

// Self-signed, for "wrong-name.invalid", valid from 30 days ago until
// yesterday: an unknown issuer, a wrong host name and an expired date at once.
std::unique_ptr<httplib::Server> MakeTlsServer() {
  std::unique_ptr<EVP_PKEY, KeyDeleter> key(EVP_EC_gen("P-256"));
  std::unique_ptr<X509, X509Deleter> cert(X509_new());
  if (!key || !cert) throw std::runtime_error("cannot make a key");
  X509_set_version(cert.get(), 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), 1);
  X509_gmtime_adj(X509_getm_notBefore(cert.get()), -30L * 24 * 3600);
  X509_gmtime_adj(X509_getm_notAfter(cert.get()), -24L * 3600);
  X509_NAME* name = X509_get_subject_name(cert.get());
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("wrong-name.invalid"), -1, -1,
                             0);
  X509_set_issuer_name(cert.get(), name);
  X509_set_pubkey(cert.get(), key.get());
  if (X509_sign(cert.get(), key.get(), EVP_sha256()) == 0) {
    throw std::runtime_error("cannot sign the certificate");
  }
  auto server = std::make_unique<httplib::SSLServer>(cert.get(), key.get());
  if (!server->is_valid()) throw std::runtime_error("cannot set up TLS");
  return server;
}

int ListenOnLoopback(int backlog, int& port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) throw std::runtime_error("socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(fd, backlog) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(fd);
    throw std::runtime_error("bind");
  }
  port = ntohs(address.sin_port);
  return fd;
}

size_t ContentLength(std::string_view head) {
  std::string lower(head);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const size_t at = lower.find("\r\ncontent-length:");
  if (at == std::string::npos) return 0;
  return std::strtoul(lower.c_str() + at + 17, nullptr, 10);
}

}  // namespace

RecordingServer::RecordingServer(Tls tls)
    : tls_(tls == Tls::kOn), server_(tls_ ? MakeTlsServer() : std::make_unique<httplib::Server>()) {
  // Recorded before routing, so that a request is on record before its answer
  // goes out; the body, read only for the handler, is added after it.
  static thread_local size_t current = 0;
  server_->set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
    std::lock_guard lock(mutex_);
    current = received_.size();
    received_.push_back({request.method, request.target, request.version, request.headers, {}});
    return httplib::Server::HandlerResponse::Unhandled;
  });
  server_->set_post_routing_handler([this](const httplib::Request& request, httplib::Response&) {
    std::lock_guard lock(mutex_);
    if (current < received_.size()) received_[current].body = request.body;
  });
  server_->set_keep_alive_timeout(1);
  port_ = server_->bind_to_any_port("127.0.0.1");
  if (port_ <= 0) throw std::runtime_error("cannot bind the test server");
}

void RecordingServer::Start() {
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  if (!WaitFor([this] { return server_->is_running(); }, 5s)) {
    throw std::runtime_error("the test server does not start");
  }
}

RecordingServer::~RecordingServer() {
  server_->stop();
  if (thread_.joinable()) thread_.join();
}

std::string RecordingServer::Url(std::string_view path) const {
  return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) +
         std::string(path);
}

std::vector<ReceivedRequest> RecordingServer::Received() const {
  std::lock_guard lock(mutex_);
  return received_;
}

ScriptedServer::ScriptedServer(std::vector<Reply> replies) : replies_(std::move(replies)) {
  listener_ = ListenOnLoopback(8, port_);
  thread_ = std::thread([this] { Serve(); });
}

ScriptedServer::~ScriptedServer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  stop_.notify_all();
  thread_.join();
  close(listener_);
}

std::string ScriptedServer::Url(std::string_view path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::vector<std::string> ScriptedServer::Received() const {
  std::lock_guard lock(mutex_);
  return received_;
}

bool ScriptedServer::Stopping() const {
  std::lock_guard lock(mutex_);
  return stopping_;
}

void ScriptedServer::Serve() {
  const auto deadline = std::chrono::steady_clock::now() + 120s;
  for (const Reply& reply : replies_) {
    int connection = -1;
    while (connection < 0) {
      if (Stopping() || std::chrono::steady_clock::now() > deadline) return;
      pollfd waiting{listener_, POLLIN, 0};
      if (poll(&waiting, 1, 20) == 1)
        connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    }
    Answer(connection, reply);
    close(connection);
  }
}

void ScriptedServer::Answer(int connection, const Reply& reply) {
  std::string request;
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  size_t wanted = std::string::npos;
  while (request.size() < wanted && std::chrono::steady_clock::now() < deadline) {
    pollfd readable{connection, POLLIN, 0};
    if (poll(&readable, 1, 20) != 1) continue;
    char buffer[4096];
    const ssize_t n = recv(connection, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    request.append(buffer, static_cast<size_t>(n));
    if (const size_t end = request.find("\r\n\r\n"); end != std::string::npos) {
      wanted = end + 4 + ContentLength(std::string_view(request).substr(0, end + 2));
    }
  }
  {
    std::lock_guard lock(mutex_);
    received_.push_back(request);
  }
  size_t sent = 0;
  while (sent < reply.bytes.size()) {
    const ssize_t n =
        send(connection, reply.bytes.data() + sent, reply.bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) break;
    sent += static_cast<size_t>(n);
  }
  if (reply.holdOpen) {
    std::unique_lock lock(mutex_);
    stop_.wait_for(lock, 60s, [this] { return stopping_; });
  }
}

int UnusedPort() {
  int port = -1;
  close(ListenOnLoopback(1, port));
  return port;
}

UnansweredListener::UnansweredListener() {
  listener_ = ListenOnLoopback(0, port_);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port_));
  // Connections that are never accepted fill the queue; later ones get no answer.
  for (int i = 0; i < 3; ++i) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) continue;
    connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    fillers_.push_back(fd);
  }
  std::this_thread::sleep_for(100ms);
}

UnansweredListener::~UnansweredListener() {
  for (const int fd : fillers_) close(fd);
  close(listener_);
}

}  // namespace sl::testing_web
