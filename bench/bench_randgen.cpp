// One draw from a tabulated density of 500 bins: TRandGen::GetRandNum
// (rejection on the process-wide generator) against
// std::piecewise_linear_distribution on std::mt19937_64 (inverse CDF over
// the same piecewise-linear density, no rejection). Shapes: a normal bell
// (peak 1, acceptance about 1/2), the t density with 3 degrees of freedom as
// tabulated (peak 0.37, acceptance about 1/6) and the same after
// Standardize.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "core/zel_random.hpp"
#include "num/statis/zel_randgen.hpp"

namespace {

void Fill(zel::TRandGen& g, int shape) {
  g.SetLowBorder(-6);
  g.SetHighBorder(6);
  g.SetResolution(500);
  if (shape == 0)
    g.NormalDistri(0, 1.5);
  else
    g.tDistri(3);
  if (shape == 2) g.Standardize();
}

void BM_ZelRandGen(benchmark::State& state) {
  zel::SetRandSeed(1);
  zel::TRandGen g(nullptr);
  Fill(g, static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(g.GetRandNum());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ZelRandGen)->Arg(0)->Arg(1)->Arg(2);

void BM_StdPiecewiseLinear(benchmark::State& state) {
  zel::TRandGen g(nullptr);
  Fill(g, static_cast<int>(state.range(0)));
  std::vector<double> x, w;
  for (int i = 1; i <= g.GetResolution() + 1; ++i) {
    x.push_back(g.GetLambda(i));
    w.push_back(g.GetProbability(i));  // 0 past the last bin, as TRandGen
  }
  std::piecewise_linear_distribution<double> dist(x.begin(), x.end(), w.begin());
  std::mt19937_64 gen(1);
  for (auto _ : state) benchmark::DoNotOptimize(dist(gen));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StdPiecewiseLinear)->Arg(0)->Arg(1)->Arg(2);

}  // namespace

BENCHMARK_MAIN();
