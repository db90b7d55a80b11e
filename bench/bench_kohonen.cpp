// Training a Kohonen map: 1e4 samples of 2 and of 8 variables on a 20 x 20
// map, ten steps per iteration (NrOfTrnSteps 11), reported as steps per
// second. The peer is the plain loop of the same rule in doubles (winner
// search, clipped square, w += (x - w) a / (sqrt(d - f) + 1)), the
// O(N X Y M) anchor, so the ratio shows what the long double distances and
// the bookkeeping of TKohonen cost.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/zel_random.hpp"
#include "num/analysis/zel_kohonen.hpp"

namespace {

constexpr int32_t kSamples = 10000;
constexpr int32_t kSide = 20;
constexpr int32_t kSteps = 11;  // Trainit does kSteps - 1 steps

std::unique_ptr<zel::TMatrix> Samples(int32_t Dims) {
  zel::SetRandSeed(33);
  auto m = std::make_unique<zel::TMatrix>(nullptr);
  zel::TDouble2DArray cols(static_cast<size_t>(Dims), zel::TDoubleArray(kSamples));
  for (int32_t i = 0; i < kSamples; ++i)
    for (int32_t j = 0; j < Dims; ++j) cols[size_t(j)][size_t(i)] = zel::RandG(0, 1);
  m->ReplaceData(std::move(cols));
  return m;
}

void BM_TKohonenTrain(benchmark::State& state) {
  const auto dims = static_cast<int32_t>(state.range(0));
  const auto data = Samples(dims);
  zel::TKohonen map(nullptr);
  map.SetDataMat(data.get());
  map.StandardizeData();
  map.SetSizeX(kSide);
  map.SetSizeY(kSide);
  map.SetNrOfTrnSteps(kSteps);
  map.SetInitialNeighbors(5);
  for (auto _ : state) benchmark::DoNotOptimize(map.Trainit());
  state.counters["steps/s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * (kSteps - 1), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TKohonenTrain)->Arg(2)->Arg(8)->Unit(benchmark::kMillisecond);

void BM_PlainLoopTrain(benchmark::State& state) {
  const auto dims = static_cast<size_t>(state.range(0));
  const auto data = Samples(static_cast<int32_t>(dims));
  std::vector<double> x(kSamples * dims);
  for (size_t i = 0; i < kSamples; ++i)
    for (size_t j = 0; j < dims; ++j) x[i * dims + j] = data->GetMat()[j][i];
  const size_t n = kSide * kSide;
  std::vector<double> w(n * dims);
  for (auto _ : state) {
    for (double& v : w) v = (zel::Random() - 0.5) * 0.2;
    for (int32_t s = 1; s < kSteps; ++s) {
      const double r = double(kSteps - s) / kSteps, a = r * r;
      const int32_t R = static_cast<int32_t>(r * r * 4 + 1.5);
      for (size_t i = 0; i < kSamples; ++i) {
        const double* xi = &x[i * dims];
        double f = 1e308;
        size_t b = 0;
        for (size_t k = 0; k < n; ++k) {
          double d = 0;
          for (size_t j = 0; j < dims; ++j)
            d += (xi[j] - w[k * dims + j]) * (xi[j] - w[k * dims + j]);
          if (d < f) f = d, b = k;
        }
        const int32_t bx = int32_t(b / kSide), by = int32_t(b % kSide);
        for (int32_t ix = std::max(0, bx - R); ix <= std::min(kSide - 1, bx + R); ++ix)
          for (int32_t iy = std::max(0, by - R); iy <= std::min(kSide - 1, by + R); ++iy) {
            double* wk = &w[size_t(ix * kSide + iy) * dims];
            double d = 0;
            for (size_t j = 0; j < dims; ++j) d += (xi[j] - wk[j]) * (xi[j] - wk[j]);
            const double fac = a / (std::sqrt(d - f) + 1);
            for (size_t j = 0; j < dims; ++j) wk[j] += (xi[j] - wk[j]) * fac;
          }
      }
    }
    benchmark::DoNotOptimize(w.data());
  }
  state.counters["steps/s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * (kSteps - 1), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PlainLoopTrain)->Arg(2)->Arg(8)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
