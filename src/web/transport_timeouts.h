// How long the platform transport waits before it gives up. The defaults are
// the Windows Internet functions' own: 60 s to make a connection, and 30 s
// without a byte arriving during a transfer, after which the transfer ends
// with what it has read. Process-wide; tests shorten them.
#pragma once

#include <chrono>

namespace sl {

struct TransportTimeouts {
  std::chrono::milliseconds connect{60000};
  std::chrono::milliseconds stall{30000};
};

void SetTransportTimeouts(const TransportTimeouts& timeouts);
TransportTimeouts CurrentTransportTimeouts();

// Sets the time-outs for its own lifetime and restores the previous ones.
class ScopedTransportTimeouts {
 public:
  explicit ScopedTransportTimeouts(const TransportTimeouts& timeouts)
      : previous_(CurrentTransportTimeouts()) {
    SetTransportTimeouts(timeouts);
  }
  ~ScopedTransportTimeouts() { SetTransportTimeouts(previous_); }
  ScopedTransportTimeouts(const ScopedTransportTimeouts&) = delete;
  ScopedTransportTimeouts& operator=(const ScopedTransportTimeouts&) = delete;

 private:
  TransportTimeouts previous_;
};

}  // namespace sl
