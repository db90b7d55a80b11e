// TVector against the equivalent standard-library algorithms over the same
// data: the mean (MeanVar vs std::accumulate), the standard deviation
// (MeanVar: the mean, then the centred sum, vs the one-pass
// std::accumulate plus std::inner_product), Sum and
// DotProduct (vs std::accumulate and std::inner_product) over 1e7 doubles,
// and SortElems (comb sort, no exchange handler) vs std::sort over 1e6.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <numeric>
#include <utility>
#include <vector>

#include "bench/bench_data.hpp"
#include "core/zel_random.hpp"
#include "num/vector/zel_vector.hpp"

namespace {

constexpr int32_t kBig = 10'000'000;
constexpr int32_t kSort = 1'000'000;

using zel_bench::UniformData;

// A TVector holding the same data, built once per (length, seed).
const zel::TVector& Vec(int32_t n, uint64_t seed) {
  static std::map<std::pair<int32_t, uint64_t>, std::unique_ptr<zel::TVector>> cache;
  auto [it, inserted] = cache.try_emplace({n, seed});
  if (inserted) {
    it->second = std::make_unique<zel::TVector>(nullptr);
    it->second->Resize(n);
    it->second->CopyFrom(UniformData(n, seed), 0, n - 1, 1);
  }
  return *it->second;
}

void BM_VectorMean(benchmark::State& state) {
  const auto& v = Vec(kBig, 1);
  for (auto _ : state) {
    double mean = 0, var = 0;
    v.MeanVar(0, 0, mean, var);
    benchmark::DoNotOptimize(mean);
  }
  state.SetItemsProcessed(state.iterations() * kBig);
}
BENCHMARK(BM_VectorMean)->Unit(benchmark::kMillisecond);

void BM_StdMean(benchmark::State& state) {
  const auto& a = UniformData(kBig, 1);
  for (auto _ : state) {
    const double mean = std::accumulate(a.begin(), a.end(), 0.0) / static_cast<double>(a.size());
    benchmark::DoNotOptimize(mean);
  }
  state.SetItemsProcessed(state.iterations() * kBig);
}
BENCHMARK(BM_StdMean)->Unit(benchmark::kMillisecond);

void BM_VectorStdDev(benchmark::State& state) {
  const auto& v = Vec(kBig, 1);
  for (auto _ : state) {
    double mean = 0, var = 0;
    v.MeanVar(0, 0, mean, var);
    const double sd = std::sqrt(var);
    benchmark::DoNotOptimize(sd);
  }
  state.SetItemsProcessed(state.iterations() * kBig);
}
BENCHMARK(BM_VectorStdDev)->Unit(benchmark::kMillisecond);

void BM_StdStdDev(benchmark::State& state) {
  const auto& a = UniformData(kBig, 1);
  for (auto _ : state) {
    const double n = static_cast<double>(a.size());
    const double sum = std::accumulate(a.begin(), a.end(), 0.0);
    const double sumSq = std::inner_product(a.begin(), a.end(), a.begin(), 0.0);
    const double sd = std::sqrt((sumSq - sum * sum / n) / (n - 1));
    benchmark::DoNotOptimize(sd);
  }
  state.SetItemsProcessed(state.iterations() * kBig);
}
BENCHMARK(BM_StdStdDev)->Unit(benchmark::kMillisecond);

void BM_VectorSum(benchmark::State& state) {
  const auto& v = Vec(kBig, 1);
  for (auto _ : state) {
    const double s = v.Sum(0, 0);
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * kBig);
}
BENCHMARK(BM_VectorSum)->Unit(benchmark::kMillisecond);

void BM_StdAccumulate(benchmark::State& state) {
  const auto& a = UniformData(kBig, 1);
  for (auto _ : state) {
    const double s = std::accumulate(a.begin(), a.end(), 0.0);
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * kBig);
}
BENCHMARK(BM_StdAccumulate)->Unit(benchmark::kMillisecond);

void BM_VectorDotProduct(benchmark::State& state) {
  const auto& a = Vec(kBig, 1);
  const auto& b = Vec(kBig, 2);
  for (auto _ : state) {
    const double d = a.DotProduct(&b);
    benchmark::DoNotOptimize(d);
  }
  state.SetItemsProcessed(state.iterations() * kBig);
}
BENCHMARK(BM_VectorDotProduct)->Unit(benchmark::kMillisecond);

void BM_StdInnerProduct(benchmark::State& state) {
  const auto& a = UniformData(kBig, 1);
  const auto& b = UniformData(kBig, 2);
  for (auto _ : state) {
    const double d = std::inner_product(a.begin(), a.end(), b.begin(), 0.0);
    benchmark::DoNotOptimize(d);
  }
  state.SetItemsProcessed(state.iterations() * kBig);
}
BENCHMARK(BM_StdInnerProduct)->Unit(benchmark::kMillisecond);

void BM_VectorSortElems(benchmark::State& state) {
  const auto& src = UniformData(kSort, 3);
  zel::TVector v(nullptr);
  v.Resize(kSort);
  for (auto _ : state) {
    state.PauseTiming();
    v.CopyFrom(src, 0, kSort - 1, 1);
    state.ResumeTiming();
    v.SortElems(true, 0, 0);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSort);
}
BENCHMARK(BM_VectorSortElems)->Unit(benchmark::kMillisecond);

void BM_StdSort(benchmark::State& state) {
  const auto& src = UniformData(kSort, 3);
  zel::TDoubleArray d;
  for (auto _ : state) {
    state.PauseTiming();
    d = src;
    state.ResumeTiming();
    std::sort(d.begin(), d.end());
    benchmark::DoNotOptimize(d.data());
  }
  state.SetItemsProcessed(state.iterations() * kSort);
}
BENCHMARK(BM_StdSort)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
