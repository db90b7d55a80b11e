// Comb sort and quickselect of Zel_math1 against the standard library on
// the same data: 1e6 uniform random doubles, and for the selection also
// 4e5 random 0/1 values (many ties); a fresh copy per iteration (the copy is
// not timed).
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

// Many ties: random 0/1 values, where a two-way partition that sends every
// value equal to the pivot to one side turns quadratic.
constexpr size_t kTiesCount = 400000;

const std::vector<double>& TiesData() {
  static const std::vector<double> data = [] {
    std::mt19937_64 rng(7);
    std::bernoulli_distribution coin(0.5);
    std::vector<double> v(kTiesCount);
    for (auto& x : v) x = coin(rng) ? 1.0 : 0.0;
    return v;
  }();
  return data;
}

void BM_ZelQuickSelectTies(benchmark::State& state) {
  std::vector<double> work;
  const int32_t last = static_cast<int32_t>(kTiesCount - 1);
  for (auto _ : state) {
    state.PauseTiming();
    work = TiesData();
    state.ResumeTiming();
    benchmark::DoNotOptimize(zel::QuickSelect(work, last / 2, 0, last));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kTiesCount));
}

void BM_StdNthElementTies(benchmark::State& state) {
  std::vector<double> work;
  for (auto _ : state) {
    state.PauseTiming();
    work = TiesData();
    state.ResumeTiming();
    auto mid = work.begin() + static_cast<std::ptrdiff_t>((kTiesCount - 1) / 2);
    std::nth_element(work.begin(), mid, work.end());
    benchmark::DoNotOptimize(*mid);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kTiesCount));
}

BENCHMARK(BM_ZelSortArray)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdSort)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZelQuickSelect)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdNthElement)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZelQuickSelectTies)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdNthElementTies)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
