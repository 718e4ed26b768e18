// A transport that records every call and answers from a script, for tests of
// the request logic without a network.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "web/transport.h"

namespace sl {

// A text argument as passed: std::nullopt for a null pointer.
using PassedText = std::optional<std::string>;

inline PassedText Passed(const char* s) { return s ? PassedText(s) : std::nullopt; }

class FakeTransport final : public Transport {
 public:
  static constexpr TransportHandle kSession{1};
  static constexpr TransportHandle kConnection{2};
  static constexpr TransportHandle kRequest{3};

  // The script.
  bool failOpen = false;
  bool failConnect = false;
  bool failOpenRequest = false;
  std::vector<std::string> bodyChunks;    // handed out by ReadFile, one per call
  std::optional<std::string> rawHeaders;  // std::nullopt: the query fails

  // What the request passed.
  std::vector<std::string> calls;
  struct {
    PassedText agent;
    uint32_t accessType = 0;
    PassedText proxyName;
    PassedText proxyBypass;
    uint32_t flags = 99;
  } open;
  struct {
    TransportHandle session{};
    PassedText serverName;
    int32_t port = -1;
    PassedText userName;
    PassedText password;
    uint32_t service = 0;
    uint32_t flags = 99;
    std::uintptr_t context = 99;
  } connect;
  struct {
    TransportHandle connection{};
    PassedText verb;
    PassedText objectName;
    PassedText version;
    PassedText referrer;
    bool acceptTypesNull = false;
    uint32_t flags = 0;
    std::uintptr_t context = 99;
  } request;
  struct {
    uint32_t option = 0;
    uint32_t value = 0;
    uint32_t length = 0;
  } option;
  struct {
    PassedText headers;
    uint32_t headersLength = 0;
    std::optional<std::string> body;  // std::nullopt: a null pointer
    uint32_t bodyLength = 0;
  } send;
  struct {
    uint32_t infoLevel = 0;
    uint32_t bufferLength = 0;
    bool indexNull = false;
  } query;
  std::vector<uint32_t> readSizes;
  std::vector<TransportHandle> closed;

  TransportHandle Open(const char* agent, uint32_t accessType, const char* proxyName,
                       const char* proxyBypass, uint32_t flags) override {
    calls.push_back("Open");
    open = {Passed(agent), accessType, Passed(proxyName), Passed(proxyBypass), flags};
    return failOpen ? kNullHandle : kSession;
  }

  TransportHandle Connect(TransportHandle session, const char* serverName, int32_t port,
                          const char* userName, const char* password, uint32_t service,
                          uint32_t flags, std::uintptr_t context) override {
    calls.push_back("Connect");
    connect = {
        session, Passed(serverName), port, Passed(userName), Passed(password), service, flags,
        context};
    return failConnect ? kNullHandle : kConnection;
  }

  TransportHandle OpenRequest(TransportHandle connection, const char* verb, const char* objectName,
                              const char* version, const char* referrer,
                              const char* const* acceptTypes, uint32_t flags,
                              std::uintptr_t context) override {
    calls.push_back("OpenRequest");
    request = {connection,      Passed(verb),     Passed(objectName),
               Passed(version), Passed(referrer), acceptTypes == nullptr,
               flags,           context};
    return failOpenRequest ? kNullHandle : kRequest;
  }

  bool SetOption(TransportHandle handle, uint32_t id, const void* buffer,
                 uint32_t length) override {
    calls.push_back("SetOption");
    option.option = id;
    option.length = length;
    if (handle == kRequest && buffer && length == 4) std::memcpy(&option.value, buffer, 4);
    return true;
  }

  bool SendRequest(TransportHandle, const char* headers, uint32_t headersLength, const void* body,
                   uint32_t bodyLength) override {
    calls.push_back("SendRequest");
    send.headers = headers ? PassedText(std::string(headers, headersLength)) : std::nullopt;
    send.headersLength = headersLength;
    send.body =
        body ? std::optional<std::string>(std::string(static_cast<const char*>(body), bodyLength))
             : std::nullopt;
    send.bodyLength = bodyLength;
    return true;
  }

  bool ReadFile(TransportHandle, void* buffer, uint32_t bytesToRead, uint32_t* bytesRead) override {
    if (calls.empty() || calls.back() != "ReadFile") calls.push_back("ReadFile");
    readSizes.push_back(bytesToRead);
    *bytesRead = 0;
    if (nextChunk_ >= bodyChunks.size()) return true;
    const std::string& chunk = bodyChunks[nextChunk_++];
    const size_t n = std::min<size_t>(chunk.size(), bytesToRead);
    std::memcpy(buffer, chunk.data(), n);
    *bytesRead = static_cast<uint32_t>(n);
    return true;
  }

  bool QueryInfo(TransportHandle, uint32_t infoLevel, void* buffer, uint32_t* bufferLength,
                 uint32_t* index) override {
    calls.push_back("QueryInfo");
    query = {infoLevel, *bufferLength, index == nullptr};
    if (!rawHeaders) return false;
    if (rawHeaders->size() + 1 > *bufferLength) {
      *bufferLength = static_cast<uint32_t>(rawHeaders->size() + 1);
      return false;
    }
    std::memcpy(buffer, rawHeaders->c_str(), rawHeaders->size() + 1);
    *bufferLength = static_cast<uint32_t>(rawHeaders->size());
    return true;
  }

  bool CloseHandle(TransportHandle handle) override {
    calls.push_back("CloseHandle");
    closed.push_back(handle);
    return true;
  }

 private:
  size_t nextChunk_ = 0;
};

}  // namespace sl
