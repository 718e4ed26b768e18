// The HTTP transport behind WebRequest: the eight operations of the Windows
// Internet functions, with their argument order, their constants and their
// handles. Handles are opaque; the null handle means failure. Texts are
// zero-terminated byte strings and may be null where the operation says so.
//
// The build picks one backend beside this file (transport_curl.cpp on Linux)
// and DefaultTransport() returns its single process-wide instance.
#pragma once

#include <cstdint>

namespace sl {

enum class TransportHandle : std::uintptr_t {};
inline constexpr TransportHandle kNullHandle{};

// Access types of Open.
inline constexpr uint32_t kOpenTypePreconfig = 0;
inline constexpr uint32_t kOpenTypeDirect = 1;
inline constexpr uint32_t kOpenTypeProxy = 3;

// Service of Connect.
inline constexpr uint32_t kServiceHttp = 3;

// Request flags of OpenRequest.
inline constexpr uint32_t kFlagReload = 0x80000000;
inline constexpr uint32_t kFlagNeedFile = 0x10;
inline constexpr uint32_t kFlagNoCookies = 0x80000;
inline constexpr uint32_t kFlagNoAutoRedirect = 0x200000;
inline constexpr uint32_t kFlagSecure = 0x800000;
inline constexpr uint32_t kFlagIgnoreRedirectToHttps = 0x4000;
inline constexpr uint32_t kFlagIgnoreRedirectToHttp = 0x8000;

// SetOption: the certificate errors and redirects a request accepts, as a
// 32-bit value.
inline constexpr uint32_t kOptionSecurityFlags = 31;
inline constexpr uint32_t kSecurityIgnoreRevocation = 0x80;
inline constexpr uint32_t kSecurityIgnoreUnknownCa = 0x100;
inline constexpr uint32_t kSecurityIgnoreWrongUsage = 0x200;
inline constexpr uint32_t kSecurityIgnoreCertCnInvalid = 0x1000;
inline constexpr uint32_t kSecurityIgnoreCertDateInvalid = 0x2000;
inline constexpr uint32_t kSecurityIgnoreRedirectToHttps = 0x4000;
inline constexpr uint32_t kSecurityIgnoreRedirectToHttp = 0x8000;
// A further bit the request always sets; the transport gives it no meaning.
inline constexpr uint32_t kSecurityFlag10000 = 0x10000;

// QueryInfo: the status line and header lines of the response, each ended by
// "\r\n", then an empty line, then a zero byte.
inline constexpr uint32_t kQueryRawHeadersCrlf = 22;

class Transport {
 public:
  virtual ~Transport() = default;

  // A session: the agent (null for none), the access type, and for
  // kOpenTypeProxy the proxy list and the bypass list.
  virtual TransportHandle Open(const char* agent, uint32_t accessType, const char* proxyName,
                               const char* proxyBypass, uint32_t flags) = 0;

  // A connection to a server within a session. Nothing goes over the network
  // yet. A port of 0 is the scheme's default port.
  virtual TransportHandle Connect(TransportHandle session, const char* serverName, int32_t port,
                                  const char* userName, const char* password, uint32_t service,
                                  uint32_t flags, std::uintptr_t context) = 0;

  // A request on a connection. `acceptTypes` is a null-terminated list, or null.
  virtual TransportHandle OpenRequest(TransportHandle connection, const char* verb,
                                      const char* objectName, const char* version,
                                      const char* referrer, const char* const* acceptTypes,
                                      uint32_t flags, std::uintptr_t context) = 0;

  virtual bool SetOption(TransportHandle handle, uint32_t option, const void* buffer,
                         uint32_t length) = 0;

  // Sends the request with the extra header lines (a length of UINT32_MAX:
  // up to the zero byte) and the body, and waits for the response headers.
  virtual bool SendRequest(TransportHandle request, const char* headers, uint32_t headersLength,
                           const void* body, uint32_t bodyLength) = 0;

  // The next bytes of the response body. `bytesRead` is 0 at the end of the
  // data and after any failure.
  virtual bool ReadFile(TransportHandle request, void* buffer, uint32_t bytesToRead,
                        uint32_t* bytesRead) = 0;

  // Writes the asked information with its zero byte when it fits in
  // `*bufferLength` bytes; otherwise leaves the buffer untouched.
  virtual bool QueryInfo(TransportHandle request, uint32_t infoLevel, void* buffer,
                         uint32_t* bufferLength, uint32_t* index) = 0;

  virtual bool CloseHandle(TransportHandle handle) = 0;
};

// The platform's transport, shared by the whole process.
Transport& DefaultTransport();

}  // namespace sl
