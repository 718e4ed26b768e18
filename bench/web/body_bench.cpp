// WebRequest's read loop over a transport that hands out a body in 1024-byte
// reads without a network: the time per byte stays flat as bodies grow,
// since the body grows in amortised linear time (a 50 MB sitemap is 50,000
// reads).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "web/web_request.h"

namespace {

class StreamingTransport final : public sl::Transport {
 public:
  explicit StreamingTransport(size_t bodySize) : left_(bodySize) {}

  sl::TransportHandle Open(const char*, uint32_t, const char*, const char*, uint32_t) override {
    return sl::TransportHandle{1};
  }
  sl::TransportHandle Connect(sl::TransportHandle, const char*, int32_t, const char*, const char*,
                              uint32_t, uint32_t, std::uintptr_t) override {
    return sl::TransportHandle{2};
  }
  sl::TransportHandle OpenRequest(sl::TransportHandle, const char*, const char*, const char*,
                                  const char*, const char* const*, uint32_t,
                                  std::uintptr_t) override {
    return sl::TransportHandle{3};
  }
  bool SetOption(sl::TransportHandle, uint32_t, const void*, uint32_t) override { return true; }
  bool SendRequest(sl::TransportHandle, const char*, uint32_t, const void*, uint32_t) override {
    return true;
  }
  bool ReadFile(sl::TransportHandle, void* buffer, uint32_t bytesToRead,
                uint32_t* bytesRead) override {
    const size_t n = std::min<size_t>(left_, bytesToRead);
    std::memset(buffer, 'x', n);
    left_ -= n;
    *bytesRead = static_cast<uint32_t>(n);
    return true;
  }
  bool QueryInfo(sl::TransportHandle, uint32_t, void*, uint32_t*, uint32_t*) override {
    return false;
  }
  bool CloseHandle(sl::TransportHandle) override { return true; }

 private:
  size_t left_;
};

void BM_WebRequestBody(benchmark::State& state) {
  const auto size = static_cast<size_t>(state.range(0));
  for (auto _ : state) {
    StreamingTransport transport(size);
    sl::WebRequestOptions options;
    options.method = 0;
    sl::ByteBuffer body = sl::WebRequest("http://example.com/sitemap.xml", options, transport);
    benchmark::DoNotOptimize(body.Data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

BENCHMARK(BM_WebRequestBody)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Arg(50 << 20)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
