// Complex transforms of 2^10, 2^16 and 2^20 points: TFastFourier::DoFFT
// against FFTW 3 with plans made by FFTW_ESTIMATE and by FFTW_MEASURE (plan
// time left out), all in the same run. FFTW runs FFTW_BACKWARD, the sign of
// our forward transform, out of place on fixed input; ours is in place and
// transforms its previous result, its data reloaded (outside the timing)
// every 16 transforms, before the growth by sqrt(N) per transform could
// overflow. FFTW is left out when it is not installed.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "num/signal/zel_fourier.hpp"

#ifdef ZEL_HAVE_FFTW
#include <fftw3.h>
#endif

namespace {

std::vector<double> RandomData(int64_t n) {
  std::mt19937_64 gen(42);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<double> v(2 * static_cast<size_t>(n));
  for (double& x : v) x = u(gen);
  return v;
}

void BM_ZelFFT(benchmark::State& state) {
  const auto n = static_cast<int32_t>(state.range(0));
  zel::TFastFourier f(nullptr);
  f.SetSpectrumSize(n);
  const auto data = RandomData(n);
  auto load = [&] {
    for (int32_t i = 0; i < n; ++i) {
      f.SetRealSpec(i + 1, data[2 * static_cast<size_t>(i)]);
      f.SetImagSpec(i + 1, data[2 * static_cast<size_t>(i) + 1]);
    }
  };
  f.DoFFT(1);  // builds the twiddle table outside the timing
  load();
  int count = 0;
  for (auto _ : state) {
    if (++count == 16) {
      state.PauseTiming();
      load();
      count = 0;
      state.ResumeTiming();
    }
    f.DoFFT(1);
    benchmark::ClobberMemory();
  }
  benchmark::DoNotOptimize(f.GetRealSpec(1));
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ZelFFT)->Arg(1 << 10)->Arg(1 << 16)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

#ifdef ZEL_HAVE_FFTW
void FftwRun(benchmark::State& state, unsigned flags) {
  const auto n = static_cast<int>(state.range(0));
  auto* in = static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * n));
  auto* out = static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * n));
  // FFTW_MEASURE overwrites the arrays while planning: fill afterwards.
  fftw_plan fwd = fftw_plan_dft_1d(n, in, out, FFTW_BACKWARD, flags);
  const auto data = RandomData(n);
  for (int i = 0; i < n; ++i) {
    in[i][0] = data[2 * static_cast<size_t>(i)];
    in[i][1] = data[2 * static_cast<size_t>(i) + 1];
  }
  for (auto _ : state) {
    fftw_execute(fwd);
    benchmark::ClobberMemory();
  }
  benchmark::DoNotOptimize(out[0][0]);
  state.SetItemsProcessed(state.iterations() * n);
  fftw_destroy_plan(fwd);
  fftw_free(in);
  fftw_free(out);
}

void BM_FftwEstimate(benchmark::State& state) { FftwRun(state, FFTW_ESTIMATE); }
void BM_FftwMeasure(benchmark::State& state) { FftwRun(state, FFTW_MEASURE); }
BENCHMARK(BM_FftwEstimate)->Arg(1 << 10)->Arg(1 << 16)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FftwMeasure)->Arg(1 << 10)->Arg(1 << 16)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
#endif

}  // namespace

BENCHMARK_MAIN();
