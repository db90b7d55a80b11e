// Full forward plus inverse wavelet transform (all log2 N levels, periodic
// continuation) of 2^10, 2^16 and 2^20 values with the D2, D4 and D6
// filters: TWavelet1D (80-bit arithmetic) against GSL's
// gsl_wavelet_transform_forward/inverse (double, Haar and Daubechies 4 and
// 6, periodic). The pair keeps the data bounded from one iteration to the
// next. GSL is left out when it is not installed.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "num/signal/zel_wavelet.hpp"

#ifdef ZEL_HAVE_GSL
#include <gsl/gsl_wavelet.h>
#endif

namespace {

std::vector<double> RandomData(int64_t n) {
  std::mt19937_64 gen(42);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<double> v(static_cast<size_t>(n));
  for (double& x : v) x = u(gen);
  return v;
}

int32_t Log2(int64_t n) {
  int32_t l = 0;
  while ((int64_t{1} << l) < n) ++l;
  return l;
}

void BM_ZelWaveletRoundTrip(benchmark::State& state) {
  const auto n = static_cast<int32_t>(state.range(0));
  zel::TWavelet1D w(nullptr);
  w.SetNumData(n);
  w.SetOrder(static_cast<int32_t>(state.range(1)));
  const auto data = RandomData(n);
  for (int32_t i = 0; i < n; ++i) w.SetData(i + 1, data[static_cast<size_t>(i)]);
  const int32_t levels = Log2(n);
  for (auto _ : state) {
    w.Transform(levels);
    w.InverseTransform(levels);
    benchmark::ClobberMemory();
  }
  benchmark::DoNotOptimize(w.GetData(1));
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ZelWaveletRoundTrip)
    ->ArgsProduct({{1 << 10, 1 << 16, 1 << 20}, {1, 2, 3}})
    ->Unit(benchmark::kMicrosecond);

#ifdef ZEL_HAVE_GSL
void BM_GslWaveletRoundTrip(benchmark::State& state) {
  const auto n = static_cast<size_t>(state.range(0));
  const int K = static_cast<int>(state.range(1));
  gsl_wavelet* w = K == 1 ? gsl_wavelet_alloc(gsl_wavelet_haar, 2)
                          : gsl_wavelet_alloc(gsl_wavelet_daubechies, 2 * K);
  gsl_wavelet_workspace* ws = gsl_wavelet_workspace_alloc(n);
  auto data = RandomData(static_cast<int64_t>(n));
  for (auto _ : state) {
    gsl_wavelet_transform_forward(w, data.data(), 1, n, ws);
    gsl_wavelet_transform_inverse(w, data.data(), 1, n, ws);
    benchmark::ClobberMemory();
  }
  benchmark::DoNotOptimize(data[0]);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(n));
  gsl_wavelet_workspace_free(ws);
  gsl_wavelet_free(w);
}
BENCHMARK(BM_GslWaveletRoundTrip)
    ->ArgsProduct({{1 << 10, 1 << 16, 1 << 20}, {1, 2, 3}})
    ->Unit(benchmark::kMicrosecond);
#endif

}  // namespace

BENCHMARK_MAIN();
