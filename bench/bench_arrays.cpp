// Array unit against plain standard-library loops over the same data:
// MeanArray vs std::accumulate, MinMaxArray vs std::minmax_element,
// AddArrays vs std::transform (1e7 doubles each), and SortArray with an
// index (comb sort) vs std::sort of (value, index) pairs; PercentileArray
// on many ties vs std::nth_element on a copy; LocalMean with a huge half
// width vs a plain sum over its window.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <map>
#include <numeric>
#include <utility>
#include <vector>

#include "bench/bench_data.hpp"
#include "core/zel_random.hpp"
#include "num/arrays/zel_openarrays.hpp"

namespace {

constexpr int32_t kBig = 10'000'000;
constexpr int32_t kSort = 1'000'000;

using zel_bench::UniformData;

void BM_MeanArray(benchmark::State& state) {
  const auto& a = UniformData(kBig, 1);
  for (auto _ : state) {
    double mean = 0;
    zel::MeanArray(a, 0, kBig - 1, mean);
    benchmark::DoNotOptimize(mean);
  }
  state.SetItemsProcessed(state.iterations() * kBig);
}
BENCHMARK(BM_MeanArray)->Unit(benchmark::kMillisecond);

void BM_StdAccumulate(benchmark::State& state) {
  const auto& a = UniformData(kBig, 1);
  for (auto _ : state) {
    double mean = std::accumulate(a.begin(), a.end(), 0.0) / static_cast<double>(a.size());
    benchmark::DoNotOptimize(mean);
  }
  state.SetItemsProcessed(state.iterations() * kBig);
}
BENCHMARK(BM_StdAccumulate)->Unit(benchmark::kMillisecond);

void BM_MinMaxArray(benchmark::State& state) {
  const auto& a = UniformData(kBig, 1);
  for (auto _ : state) {
    double mn = 0, mx = 0;
    zel::MinMaxArray(a, mn, mx);
    benchmark::DoNotOptimize(mn);
    benchmark::DoNotOptimize(mx);
  }
  state.SetItemsProcessed(state.iterations() * kBig);
}
BENCHMARK(BM_MinMaxArray)->Unit(benchmark::kMillisecond);

void BM_StdMinMaxElement(benchmark::State& state) {
  const auto& a = UniformData(kBig, 1);
  for (auto _ : state) {
    auto [mn, mx] = std::minmax_element(a.begin(), a.end());
    benchmark::DoNotOptimize(*mn);
    benchmark::DoNotOptimize(*mx);
  }
  state.SetItemsProcessed(state.iterations() * kBig);
}
BENCHMARK(BM_StdMinMaxElement)->Unit(benchmark::kMillisecond);

void BM_AddArrays(benchmark::State& state) {
  const auto& a = UniformData(kBig, 1);
  const auto& b = UniformData(kBig, 2);
  zel::TDoubleArray c(a.size());
  for (auto _ : state) {
    zel::AddArrays(a, b, c);
    benchmark::DoNotOptimize(c.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kBig);
}
BENCHMARK(BM_AddArrays)->Unit(benchmark::kMillisecond);

void BM_StdTransform(benchmark::State& state) {
  const auto& a = UniformData(kBig, 1);
  const auto& b = UniformData(kBig, 2);
  zel::TDoubleArray c(a.size());
  for (auto _ : state) {
    std::transform(a.begin(), a.end(), b.begin(), c.begin(), std::plus<>());
    benchmark::DoNotOptimize(c.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kBig);
}
BENCHMARK(BM_StdTransform)->Unit(benchmark::kMillisecond);

void BM_SortArrayWithIndex(benchmark::State& state) {
  const auto& src = UniformData(kSort, 3);
  zel::TDoubleArray d;
  zel::TIntArray idx;
  for (auto _ : state) {
    state.PauseTiming();
    d = src;
    state.ResumeTiming();
    zel::SortArray(true, d, idx);
    benchmark::DoNotOptimize(idx.data());
  }
  state.SetItemsProcessed(state.iterations() * kSort);
}
BENCHMARK(BM_SortArrayWithIndex)->Unit(benchmark::kMillisecond);

void BM_StdSortPairs(benchmark::State& state) {
  const auto& src = UniformData(kSort, 3);
  std::vector<std::pair<double, int32_t>> p(src.size());
  for (auto _ : state) {
    state.PauseTiming();
    for (size_t i = 0; i < src.size(); ++i) p[i] = {src[i], static_cast<int32_t>(i + 1)};
    state.ResumeTiming();
    std::sort(p.begin(), p.end());
    benchmark::DoNotOptimize(p.data());
  }
  state.SetItemsProcessed(state.iterations() * kSort);
}
BENCHMARK(BM_StdSortPairs)->Unit(benchmark::kMillisecond);

// Median of 2e5 random 0/1 values (many ties). PercentileArray copies the
// data and selects on the copy; the peer does the same with
// std::nth_element.
constexpr int32_t kTies = 200'000;

const zel::TDoubleArray& TiesData() {
  static const zel::TDoubleArray data = [] {
    zel::SetRandSeed(11);
    zel::TDoubleArray v(kTies);
    for (double& x : v) x = zel::Random(2);
    return v;
  }();
  return data;
}

void BM_PercentileArrayTies(benchmark::State& state) {
  const auto& a = TiesData();
  for (auto _ : state) benchmark::DoNotOptimize(zel::PercentileArray(50.0, a));
  state.SetItemsProcessed(state.iterations() * kTies);
}
BENCHMARK(BM_PercentileArrayTies)->Unit(benchmark::kMillisecond);

void BM_StdNthElementCopyTies(benchmark::State& state) {
  const auto& a = TiesData();
  for (auto _ : state) {
    std::vector<double> work(a);
    auto k = work.begin() + kTies / 2;  // round(n * 50 / 100)
    std::nth_element(work.begin(), k, work.end());
    benchmark::DoNotOptimize(*k);
  }
  state.SetItemsProcessed(state.iterations() * kTies);
}
BENCHMARK(BM_StdNthElementCopyTies)->Unit(benchmark::kMillisecond);

// LocalMean with a half width of INT32_MAX on 2e7 values whose window lo..hi
// holds 3 cells: the cost must follow the window, as the plain sum of those
// cells does.
constexpr int32_t kLocal = 20'000'000;

void BM_LocalMeanHugeHalfWidth(benchmark::State& state) {
  const auto& a = UniformData(kLocal, 4);
  for (auto _ : state)
    benchmark::DoNotOptimize(zel::LocalMean(a, kLocal / 2, std::numeric_limits<int32_t>::max(),
                                            kLocal / 2 - 1, kLocal / 2 + 1));
}
BENCHMARK(BM_LocalMeanHugeHalfWidth)->Unit(benchmark::kMicrosecond);

void BM_PlainWindowMean(benchmark::State& state) {
  const auto& a = UniformData(kLocal, 4);
  for (auto _ : state) {
    const auto first = a.begin() + (kLocal / 2 - 1);
    long double sum = std::accumulate(first, first + 3, 0.0L);
    benchmark::DoNotOptimize(static_cast<double>(sum / 3));
  }
}
BENCHMARK(BM_PlainWindowMean)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
