// Growth of the text operations the extraction path leans on: each should be
// linear in its input (compare the fitted complexity against O(N)).

#include <benchmark/benchmark.h>

#include <string>

#include "text/text.h"

namespace {

constexpr int64_t kMin = 1 << 12;
constexpr int64_t kMax = 1 << 20;

sl::Text Filled(int64_t n, const std::string& unit) {
  std::string s;
  while (static_cast<int64_t>(s.size()) < n) s += unit;
  s.resize(static_cast<size_t>(n));
  return sl::Text(std::move(s));
}

void BM_TextConcat(benchmark::State& state) {
  sl::Text half = Filled(state.range(0) / 2, "a");
  for (auto _ : state) benchmark::DoNotOptimize(sl::TextConcat(half, "<loc>", half, "\r\n"));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_TextConcat)->RangeMultiplier(4)->Range(kMin, kMax)->Complexity(benchmark::oN);

// A miss walks the whole text; the sought text is a short tag, as in a sitemap.
void BM_TextFindMiss(benchmark::State& state) {
  sl::Text t = Filled(state.range(0), "<url>xx");
  sl::Text tag("</loc>");
  for (auto _ : state) benchmark::DoNotOptimize(sl::TextFind(t, tag, std::nullopt, true));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_TextFindMiss)->RangeMultiplier(4)->Range(kMin, kMax)->Complexity(benchmark::oN);

void BM_TextFindMissDoubleByte(benchmark::State& state) {
  sl::Text t = Filled(state.range(0), "\xB0\xA1");
  sl::Text tag("</loc>");
  for (auto _ : state) benchmark::DoNotOptimize(sl::TextFind(t, tag));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_TextFindMissDoubleByte)
    ->RangeMultiplier(4)
    ->Range(kMin, kMax)
    ->Complexity(benchmark::oN);

void BM_TextReplaceEveryLine(benchmark::State& state) {
  sl::Text t = Filled(state.range(0), "abc\r\n");
  sl::Text sought("\r\n");
  std::optional<sl::Text> replacement = sl::Text("\n");
  for (auto _ : state) benchmark::DoNotOptimize(sl::TextReplace(t, sought, replacement, true));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_TextReplaceEveryLine)
    ->RangeMultiplier(4)
    ->Range(kMin, kMax)
    ->Complexity(benchmark::oN);

void BM_TextSplitLines(benchmark::State& state) {
  sl::Text t = Filled(state.range(0), "abc\r\n");
  sl::Text separator("\r\n");
  for (auto _ : state) benchmark::DoNotOptimize(sl::TextSplit(t, separator));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_TextSplitLines)->RangeMultiplier(4)->Range(kMin, kMax)->Complexity(benchmark::oN);

}  // namespace
