// Comb sort and quickselect of Zel_math1 against the standard library on
// the same data: 1e6 uniform random doubles, a fresh copy per iteration
// (the copy is not timed).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "num/math1/zel_math1.hpp"

namespace {

constexpr size_t kCount = 1000000;

const std::vector<double>& Data() {
  static const std::vector<double> data = [] {
    std::mt19937_64 rng(42);
    std::uniform_real_distribution<double> u(-1e6, 1e6);
    std::vector<double> v(kCount);
    for (auto& x : v) x = u(rng);
    return v;
  }();
  return data;
}

void BM_ZelSortArray(benchmark::State& state) {
  std::vector<double> work;
  for (auto _ : state) {
    state.PauseTiming();
    work = Data();
    state.ResumeTiming();
    zel::SortArray(work, true);
    benchmark::DoNotOptimize(work.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kCount));
}

void BM_StdSort(benchmark::State& state) {
  std::vector<double> work;
  for (auto _ : state) {
    state.PauseTiming();
    work = Data();
    state.ResumeTiming();
    std::sort(work.begin(), work.end());
    benchmark::DoNotOptimize(work.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kCount));
}

void BM_ZelQuickSelect(benchmark::State& state) {
  std::vector<double> work;
  const int32_t last = static_cast<int32_t>(kCount - 1);
  for (auto _ : state) {
    state.PauseTiming();
    work = Data();
    state.ResumeTiming();
    benchmark::DoNotOptimize(zel::QuickSelect(work, last / 2, 0, last));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kCount));
}

void BM_StdNthElement(benchmark::State& state) {
  std::vector<double> work;
  for (auto _ : state) {
    state.PauseTiming();
    work = Data();
    state.ResumeTiming();
    auto mid = work.begin() + static_cast<std::ptrdiff_t>((kCount - 1) / 2);
    std::nth_element(work.begin(), mid, work.end());
    benchmark::DoNotOptimize(*mid);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kCount));
}

BENCHMARK(BM_ZelSortArray)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdSort)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZelQuickSelect)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdNthElement)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
