// Servers on 127.0.0.1 for the transport tests: an HTTP(S) server that records
// every request it receives, a scripted server that answers with exact bytes,
// and listeners that refuse or never complete a connection.
#pragma once

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace sl::testing_web {

struct ReceivedRequest {
  std::string method;
  std::string target;
  std::string version;
  httplib::Headers headers;
  std::string body;

  bool Has(const std::string& name) const { return headers.count(name) > 0; }
  std::string Header(const std::string& name) const {
    const auto found = headers.find(name);
    return found == headers.end() ? std::string() : found->second;
  }
};

// Register routes on Routes(), then Start(). With TLS it presents a
// self-signed certificate for another host name that has expired.
class RecordingServer {
 public:
  enum class Tls { kOff, kOn };
  explicit RecordingServer(Tls tls = Tls::kOff);
  ~RecordingServer();
  RecordingServer(const RecordingServer&) = delete;
  RecordingServer& operator=(const RecordingServer&) = delete;

  httplib::Server& Routes() { return *server_; }
  void Start();
  int Port() const { return port_; }
  // The address of `path` on this server.
  std::string Url(std::string_view path) const;
  std::vector<ReceivedRequest> Received() const;

 private:
  bool tls_;
  std::unique_ptr<httplib::Server> server_;
  int port_ = -1;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<ReceivedRequest> received_;
};

// Answers the n-th connection with the n-th reply, byte for byte, after
// reading its request. A reply that holds the connection keeps it open,
// silent, until the server goes.
class ScriptedServer {
 public:
  struct Reply {
    std::string bytes;
    bool holdOpen = false;
  };
  explicit ScriptedServer(std::vector<Reply> replies);
  ~ScriptedServer();
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  int Port() const { return port_; }
  std::string Url(std::string_view path) const;
  // The request bytes of each connection served so far.
  std::vector<std::string> Received() const;

 private:
  void Serve();
  void Answer(int connection, const Reply& reply);
  bool Stopping() const;

  std::vector<Reply> replies_;
  int listener_ = -1;
  int port_ = -1;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::condition_variable stop_;
  bool stopping_ = false;
  std::vector<std::string> received_;
};

// A port on 127.0.0.1 where nothing listens.
int UnusedPort();

// A listener whose queue is full, so that a new connection is never completed.
class UnansweredListener {
 public:
  UnansweredListener();
  ~UnansweredListener();
  UnansweredListener(const UnansweredListener&) = delete;
  UnansweredListener& operator=(const UnansweredListener&) = delete;
  int Port() const { return port_; }

 private:
  int listener_ = -1;
  int port_ = -1;
  std::vector<int> fillers_;
};

// Until `done` holds or `limit` passes; true when it held.
template <typename Done>
bool WaitFor(Done done, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace sl::testing_web
