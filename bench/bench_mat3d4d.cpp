// The three- and four-dimensional matrices: the per-pixel layer reductions
// of a 512 x 512 x 16 x 8 TMat4D (256 MiB) with 1 and 2 threads, and the
// TMat3D statistics MeanVar, MinMax and Sum over a whole 256 x 256 x 64
// matrix against a plain loop over the same flat data (GetData) computing
// the same thing: a long double sum, the mean then the centred sum, and
// std::min/std::max.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "core/zel_random.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace {

const zel::TMat4D& Stack() {
  static std::unique_ptr<zel::TMat4D> m;
  if (!m) {
    m = std::make_unique<zel::TMat4D>(nullptr);
    m->Resize(512, 512, 16, 8);
    zel::SetRandSeed(1);
    m->FillRandomUniform(-1, 1);
  }
  return *m;
}

const zel::TMat3D& Cube() {
  static std::unique_ptr<zel::TMat3D> m;
  if (!m) {
    m = std::make_unique<zel::TMat3D>(nullptr);
    m->Resize(256, 256, 64);
    zel::SetRandSeed(2);
    m->FillRandomUniform(-1, 1);
  }
  return *m;
}

template <bool (zel::TMat4D::*Reduce)(zel::TMatrix*, int32_t, int32_t, int32_t, int32_t, int32_t,
                                      int32_t, int32_t, int32_t, int32_t) const>
void BM_Reduce(benchmark::State& state) {
  const auto& m = Stack();
  zel::TMatrix dest(nullptr);
  const auto threads = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    const bool ok = (m.*Reduce)(&dest, 0, 0, 0, 0, 0, 0, 0, 0, threads);
    benchmark::DoNotOptimize(ok);
  }
  state.SetBytesProcessed(state.iterations() * m.GetElemCount() * 8);
}
BENCHMARK_TEMPLATE(BM_Reduce, &zel::TMat4D::MeanOfLayersToMatrix)
    ->Name("Mat4D_MeanOfLayers")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_TEMPLATE(BM_Reduce, &zel::TMat4D::StdDevOfLayersToMatrix)
    ->Name("Mat4D_StdDevOfLayers")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_TEMPLATE(BM_Reduce, &zel::TMat4D::MaximumOfLayersToMatrix)
    ->Name("Mat4D_MaximumOfLayers")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_Mat3DMeanVar(benchmark::State& state) {
  const auto& m = Cube();
  for (auto _ : state) {
    double mean = 0, var = 0;
    m.MeanVar(0, 0, 0, 0, 0, 0, mean, var);
    benchmark::DoNotOptimize(var);
  }
  state.SetItemsProcessed(state.iterations() * m.GetElemCount());
}
BENCHMARK(BM_Mat3DMeanVar)->Unit(benchmark::kMillisecond);

void BM_PlainMeanVar(benchmark::State& state) {
  const auto data = Cube().GetData();
  for (auto _ : state) {
    long double sum = 0;
    for (const double x : data) sum += x;
    const long double mean = sum / static_cast<long double>(data.size());
    long double ss = 0;
    for (const double x : data) ss += (x - mean) * (x - mean);
    const double var = static_cast<double>(ss / static_cast<long double>(data.size() - 1));
    benchmark::DoNotOptimize(var);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(data.size()));
}
BENCHMARK(BM_PlainMeanVar)->Unit(benchmark::kMillisecond);

void BM_Mat3DMinMax(benchmark::State& state) {
  const auto& m = Cube();
  for (auto _ : state) {
    double lo = 0, hi = 0;
    m.MinMax(0, 0, 0, 0, 0, 0, lo, hi);
    benchmark::DoNotOptimize(lo);
    benchmark::DoNotOptimize(hi);
  }
  state.SetItemsProcessed(state.iterations() * m.GetElemCount());
}
BENCHMARK(BM_Mat3DMinMax)->Unit(benchmark::kMillisecond);

void BM_PlainMinMax(benchmark::State& state) {
  const auto data = Cube().GetData();
  for (auto _ : state) {
    double lo = data[0], hi = data[0];
    for (const double x : data) {
      lo = std::min(lo, x);
      hi = std::max(hi, x);
    }
    benchmark::DoNotOptimize(lo);
    benchmark::DoNotOptimize(hi);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(data.size()));
}
BENCHMARK(BM_PlainMinMax)->Unit(benchmark::kMillisecond);

void BM_Mat3DSum(benchmark::State& state) {
  const auto& m = Cube();
  for (auto _ : state) {
    const double s = m.Sum(0, 0, 0, 0, 0, 0);
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * m.GetElemCount());
}
BENCHMARK(BM_Mat3DSum)->Unit(benchmark::kMillisecond);

void BM_PlainSum(benchmark::State& state) {
  const auto data = Cube().GetData();
  for (auto _ : state) {
    long double s = 0;
    for (const double x : data) s += x;
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(data.size()));
}
BENCHMARK(BM_PlainSum)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
