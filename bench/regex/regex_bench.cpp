// One run of the system's pattern over a large sitemap and the read-back of
// every sub-match by number. The cost must grow linearly with the subject:
// matching resumes without re-validating the subject, and "Item" reaches a
// match directly instead of rescanning.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "regex/regex_matcher.h"
#include "text/text.h"

namespace {

constexpr const char* kLocPattern = "<loc>(.*?)</loc>";
constexpr size_t kBytesPerMatch = 100;

// `matches` sitemap entries of exactly kBytesPerMatch bytes each, CR LF ended.
const sl::Text& Sitemap(int64_t matches) {
  static std::map<int64_t, sl::Text> made;
  auto it = made.find(matches);
  if (it != made.end()) return it->second;
  std::string bytes;
  bytes.reserve(static_cast<size_t>(matches) * kBytesPerMatch);
  char entry[kBytesPerMatch + 1];
  for (int64_t i = 0; i < matches; ++i) {
    int n = std::snprintf(entry, sizeof entry, "<url><loc>https://example.com/page/%08lld</loc>",
                          static_cast<long long>(i));
    std::string line(entry, static_cast<size_t>(n));
    line.append(kBytesPerMatch - 2 - line.size() - 6, ' ');
    line += "</url>\r\n";
    bytes += line;
  }
  return made.emplace(matches, sl::Text(std::move(bytes))).first->second;
}

void RunAndReadEverySubmatch(benchmark::State& state) {
  const sl::Text& subject = Sitemap(state.range(0));
  sl::RegexMatcher matcher;
  int64_t linkBytes = 0;
  for (auto _ : state) {
    matcher.CreateAndExecute(kLocPattern, subject, false, false, true, true);
    const int32_t count = matcher.MatchCount();
    for (int32_t i = 1; i <= count; ++i) linkBytes += matcher.SubmatchText(i, 1).Length();
    if (count != state.range(0)) state.SkipWithError("wrong number of matches");
  }
  benchmark::DoNotOptimize(linkBytes);
  state.SetBytesProcessed(state.iterations() * subject.Length());
  state.SetComplexityN(subject.Length());
  state.counters["matches"] = static_cast<double>(state.range(0));
}
BENCHMARK(RunAndReadEverySubmatch)
    ->Arg(50'000)
    ->Arg(150'000)
    ->Arg(500'000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void RunOnly(benchmark::State& state) {
  const sl::Text& subject = Sitemap(state.range(0));
  sl::RegexMatcher matcher;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        matcher.CreateAndExecute(kLocPattern, subject, false, false, true, true));
  }
  state.SetBytesProcessed(state.iterations() * subject.Length());
}
BENCHMARK(RunOnly)->Arg(50'000)->Arg(500'000)->Unit(benchmark::kMillisecond);

void ReadEverySubmatch(benchmark::State& state) {
  const sl::Text& subject = Sitemap(state.range(0));
  sl::RegexMatcher matcher;
  matcher.CreateAndExecute(kLocPattern, subject, false, false, true, true);
  const int32_t count = matcher.MatchCount();
  int64_t linkBytes = 0;
  for (auto _ : state) {
    for (int32_t i = 1; i <= count; ++i) linkBytes += matcher.SubmatchText(i, 1).Length();
  }
  benchmark::DoNotOptimize(linkBytes);
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(ReadEverySubmatch)->Arg(50'000)->Arg(500'000)->Unit(benchmark::kMillisecond);

}  // namespace
