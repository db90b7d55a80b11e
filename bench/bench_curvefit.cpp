// Curve fitting against an established library: a cubic least-squares fit to
// n noisy points by TCurveFit::CalcPolyFit (power-of-two column scaling, SVD,
// significance) and by Eigen's BDCSVD on the same design matrix (solve only),
// plus the cost of entering points (33 running sums) and of the closed-form
// line. Eigen is left out when it is not installed.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/zel_random.hpp"
#include "num/analysis/zel_curvefit.hpp"

#ifdef ZEL_HAVE_EIGEN
#include <Eigen/Dense>
#endif

namespace {

struct Points {
  std::vector<double> x, y;
};

Points MakePoints(int64_t n) {
  zel::SetRandSeed(7);
  Points p;
  for (int64_t i = 0; i < n; ++i) {
    const double x = -3.0 + 6.0 * static_cast<double>(i) / static_cast<double>(n);
    p.x.push_back(x);
    p.y.push_back(0.4 * x * x * x - 2.0 * x + 1.0 + zel::RandG(0.0, 0.3));
  }
  return p;
}

std::unique_ptr<zel::TCurveFit> Filled(const Points& p) {
  auto f = std::make_unique<zel::TCurveFit>(nullptr);
  for (size_t i = 0; i < p.x.size(); ++i) f->EnterStatValue(p.x[i], p.y[i]);
  return f;
}

void BM_CurveFitEnterPoints(benchmark::State& state) {
  const Points p = MakePoints(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(Filled(p));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CurveFitEnterPoints)->Arg(10000);

void BM_CurveFitLinFit(benchmark::State& state) {
  const auto f = Filled(MakePoints(state.range(0)));
  double k = 0, d = 0, q = 0;
  for (auto _ : state) {
    f->CalcLinFit(k, d, q);
    benchmark::DoNotOptimize(k);
  }
}
BENCHMARK(BM_CurveFitLinFit)->Arg(10000);

void BM_CurveFitPolyFit3(benchmark::State& state) {
  const auto f = Filled(MakePoints(state.range(0)));
  zel::TDoubleArray k, alpha;
  double q = 0;
  bool ns = false;
  for (auto _ : state) {
    f->CalcPolyFit(3, k, alpha, q, ns);
    benchmark::DoNotOptimize(k.data());
  }
}
BENCHMARK(BM_CurveFitPolyFit3)->Arg(1000)->Arg(10000);

#ifdef ZEL_HAVE_EIGEN
void BM_EigenBDCSVDPoly3(benchmark::State& state) {
  const Points p = MakePoints(state.range(0));
  const auto n = static_cast<Eigen::Index>(p.x.size());
  const Eigen::Map<const Eigen::VectorXd> y(p.y.data(), n);
  for (auto _ : state) {
    Eigen::MatrixXd a(n, 4);
    for (Eigen::Index r = 0; r < n; ++r) {
      const double x = p.x[static_cast<size_t>(r)];
      a(r, 0) = x;
      a(r, 1) = x * x;
      a(r, 2) = x * x * x;
      a(r, 3) = 1.0;
    }
    Eigen::BDCSVD<Eigen::MatrixXd> svd(a, Eigen::ComputeThinU | Eigen::ComputeThinV);
    Eigen::VectorXd c = svd.solve(y);
    benchmark::DoNotOptimize(c.data());
  }
}
BENCHMARK(BM_EigenBDCSVDPoly3)->Arg(1000)->Arg(10000);
#endif

}  // namespace

BENCHMARK_MAIN();
