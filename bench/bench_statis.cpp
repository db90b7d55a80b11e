// Distribution functions of Zel_statis against Boost.Math (when installed)
// over the same 1e6 arguments per function: normal, t (5 df), chi-square
// (7 df), F (5, 12 df) distribution functions and quantiles, and the
// regularised incomplete gamma (a = 3.5) and beta (a = 2.5, b = 4) functions.
// Arguments cover the bulk and the tails: quantiles take p = u^4 with u
// uniform in (0, 1) mirrored to both tails, distribution functions the
// quantiles of those p. Boost runs twice: with its default policy, which
// evaluates double arguments in long double internally (BM_Boost_*), and
// with promote_double<false>, all in double like ours (BM_BoostD_*).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "num/statis/zel_statis.hpp"

#ifdef ZEL_HAVE_BOOSTMATH
#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/normal.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <boost/math/special_functions/beta.hpp>
#include <boost/math/special_functions/gamma.hpp>
#endif

namespace {

constexpr size_t kCount = 1000000;

// Probabilities spread over (5e-21, 1 - 1e-15), both tails.
const std::vector<double>& Probs() {
  static const std::vector<double> p = [] {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> u(1e-5, 1.0);
    std::vector<double> v(kCount);
    for (size_t i = 0; i < kCount; ++i) {
      const double q = std::pow(u(rng), 4.0) * 0.5;
      // Upper-tail probabilities stop at 1 - 1e-15, where 1 - q is still below 1.
      v[i] = i % 2 ? q : 1.0 - std::max(q, 1e-15);
    }
    return v;
  }();
  return p;
}

template <class F>
const std::vector<double>& Mapped(int id, F f) {
  static std::vector<double> cache[8];
  std::vector<double>& v = cache[id];
  if (v.empty()) {
    v.reserve(kCount);
    for (double p : Probs()) v.push_back(f(p));
  }
  return v;
}

const std::vector<double>& NormalX() {
  return Mapped(0, [](double p) { return zel::nDistriQuantile(p); });
}
const std::vector<double>& TX() {
  return Mapped(1, [](double p) { return zel::tDistriQuantile(p, 5); });
}
const std::vector<double>& Chi2X() {
  return Mapped(2, [](double p) { return zel::chi2DistriQuantile(p, 7); });
}
const std::vector<double>& FX() {
  return Mapped(3, [](double p) { return zel::FDistriQuantile(p, 5, 12); });
}
const std::vector<double>& GammaX() {
  return Mapped(4, [](double p) { return zel::chi2DistriQuantile(p, 7) * 0.5; });
}
const std::vector<double>& BetaX() {
  return Mapped(5, [](double p) {
    const double f = zel::FDistriQuantile(p, 5, 8);
    return 5.0 * f / (5.0 * f + 8.0);
  });
}

template <class Args, class F>
void Run(benchmark::State& state, const Args& args, F f) {
  const std::vector<double>& x = args();
  for (auto _ : state) {
    double sum = 0.0;
    for (double v : x) sum += f(v);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(x.size()));
}

void BM_Zel_NormalCdf(benchmark::State& s) {
  Run(s, NormalX, [](double x) { return zel::nDistriIntegral(x); });
}
void BM_Zel_NormalQuantile(benchmark::State& s) {
  Run(s, Probs, [](double p) { return zel::nDistriQuantile(p); });
}
void BM_Zel_TCdf(benchmark::State& s) {
  Run(s, TX, [](double x) { return zel::tDistriIntegral(x, 5); });
}
void BM_Zel_TQuantile(benchmark::State& s) {
  Run(s, Probs, [](double p) { return zel::tDistriQuantile(p, 5); });
}
void BM_Zel_Chi2Cdf(benchmark::State& s) {
  Run(s, Chi2X, [](double x) { return zel::chi2DistriIntegral(x, 7); });
}
void BM_Zel_Chi2Quantile(benchmark::State& s) {
  Run(s, Probs, [](double p) { return zel::chi2DistriQuantile(p, 7); });
}
void BM_Zel_FCdf(benchmark::State& s) {
  Run(s, FX, [](double x) { return zel::FDistriIntegral(x, 5, 12); });
}
void BM_Zel_FQuantile(benchmark::State& s) {
  Run(s, Probs, [](double p) { return zel::FDistriQuantile(p, 5, 12); });
}
void BM_Zel_GammaP(benchmark::State& s) {
  Run(s, GammaX, [](double x) { return zel::IncompleteGamma(x, 3.5); });
}
void BM_Zel_BetaI(benchmark::State& s) {
  Run(s, BetaX, [](double x) { return zel::IncompleteBeta(x, 2.5, 4.0); });
}

#define ZEL_BENCH_REG(fn)             \
  BENCHMARK(fn)                       \
      ->Unit(benchmark::kMillisecond) \
      ->Iterations(1)                 \
      ->Repetitions(3)                \
      ->ReportAggregatesOnly(true)
ZEL_BENCH_REG(BM_Zel_NormalCdf);
ZEL_BENCH_REG(BM_Zel_NormalQuantile);
ZEL_BENCH_REG(BM_Zel_TCdf);
ZEL_BENCH_REG(BM_Zel_TQuantile);
ZEL_BENCH_REG(BM_Zel_Chi2Cdf);
ZEL_BENCH_REG(BM_Zel_Chi2Quantile);
ZEL_BENCH_REG(BM_Zel_FCdf);
ZEL_BENCH_REG(BM_Zel_FQuantile);
ZEL_BENCH_REG(BM_Zel_GammaP);
ZEL_BENCH_REG(BM_Zel_BetaI);

#ifdef ZEL_HAVE_BOOSTMATH
namespace bm = boost::math;
void BM_Boost_NormalCdf(benchmark::State& s) {
  const bm::normal d;
  Run(s, NormalX, [&](double x) { return bm::cdf(d, x); });
}
void BM_Boost_NormalQuantile(benchmark::State& s) {
  const bm::normal d;
  Run(s, Probs, [&](double p) { return bm::quantile(d, p); });
}
void BM_Boost_TCdf(benchmark::State& s) {
  const bm::students_t d(5);
  Run(s, TX, [&](double x) { return bm::cdf(d, x); });
}
void BM_Boost_TQuantile(benchmark::State& s) {
  const bm::students_t d(5);
  Run(s, Probs, [&](double p) { return bm::quantile(d, p); });
}
void BM_Boost_Chi2Cdf(benchmark::State& s) {
  const bm::chi_squared d(7);
  Run(s, Chi2X, [&](double x) { return bm::cdf(d, x); });
}
void BM_Boost_Chi2Quantile(benchmark::State& s) {
  const bm::chi_squared d(7);
  Run(s, Probs, [&](double p) { return bm::quantile(d, p); });
}
void BM_Boost_FCdf(benchmark::State& s) {
  const bm::fisher_f d(5, 12);
  Run(s, FX, [&](double x) { return bm::cdf(d, x); });
}
void BM_Boost_FQuantile(benchmark::State& s) {
  const bm::fisher_f d(5, 12);
  Run(s, Probs, [&](double p) { return bm::quantile(d, p); });
}
void BM_Boost_GammaP(benchmark::State& s) {
  Run(s, GammaX, [](double x) { return bm::gamma_p(3.5, x); });
}
void BM_Boost_BetaI(benchmark::State& s) {
  Run(s, BetaX, [](double x) { return bm::ibeta(2.5, 4.0, x); });
}
ZEL_BENCH_REG(BM_Boost_NormalCdf);
ZEL_BENCH_REG(BM_Boost_NormalQuantile);
ZEL_BENCH_REG(BM_Boost_TCdf);
ZEL_BENCH_REG(BM_Boost_TQuantile);
ZEL_BENCH_REG(BM_Boost_Chi2Cdf);
ZEL_BENCH_REG(BM_Boost_Chi2Quantile);
ZEL_BENCH_REG(BM_Boost_FCdf);
ZEL_BENCH_REG(BM_Boost_FQuantile);
ZEL_BENCH_REG(BM_Boost_GammaP);
ZEL_BENCH_REG(BM_Boost_BetaI);

using DoublePolicy = bm::policies::policy<bm::policies::promote_double<false>>;
void BM_BoostD_NormalCdf(benchmark::State& s) {
  const bm::normal_distribution<double, DoublePolicy> d;
  Run(s, NormalX, [&](double x) { return bm::cdf(d, x); });
}
void BM_BoostD_NormalQuantile(benchmark::State& s) {
  const bm::normal_distribution<double, DoublePolicy> d;
  Run(s, Probs, [&](double p) { return bm::quantile(d, p); });
}
void BM_BoostD_TCdf(benchmark::State& s) {
  const bm::students_t_distribution<double, DoublePolicy> d(5);
  Run(s, TX, [&](double x) { return bm::cdf(d, x); });
}
void BM_BoostD_TQuantile(benchmark::State& s) {
  const bm::students_t_distribution<double, DoublePolicy> d(5);
  Run(s, Probs, [&](double p) { return bm::quantile(d, p); });
}
void BM_BoostD_Chi2Cdf(benchmark::State& s) {
  const bm::chi_squared_distribution<double, DoublePolicy> d(7);
  Run(s, Chi2X, [&](double x) { return bm::cdf(d, x); });
}
void BM_BoostD_Chi2Quantile(benchmark::State& s) {
  const bm::chi_squared_distribution<double, DoublePolicy> d(7);
  Run(s, Probs, [&](double p) { return bm::quantile(d, p); });
}
void BM_BoostD_FCdf(benchmark::State& s) {
  const bm::fisher_f_distribution<double, DoublePolicy> d(5, 12);
  Run(s, FX, [&](double x) { return bm::cdf(d, x); });
}
void BM_BoostD_FQuantile(benchmark::State& s) {
  const bm::fisher_f_distribution<double, DoublePolicy> d(5, 12);
  Run(s, Probs, [&](double p) { return bm::quantile(d, p); });
}
void BM_BoostD_GammaP(benchmark::State& s) {
  Run(s, GammaX, [](double x) { return bm::gamma_p(3.5, x, DoublePolicy()); });
}
void BM_BoostD_BetaI(benchmark::State& s) {
  Run(s, BetaX, [](double x) { return bm::ibeta(2.5, 4.0, x, DoublePolicy()); });
}
ZEL_BENCH_REG(BM_BoostD_NormalCdf);
ZEL_BENCH_REG(BM_BoostD_NormalQuantile);
ZEL_BENCH_REG(BM_BoostD_TCdf);
ZEL_BENCH_REG(BM_BoostD_TQuantile);
ZEL_BENCH_REG(BM_BoostD_Chi2Cdf);
ZEL_BENCH_REG(BM_BoostD_Chi2Quantile);
ZEL_BENCH_REG(BM_BoostD_FCdf);
ZEL_BENCH_REG(BM_BoostD_FQuantile);
ZEL_BENCH_REG(BM_BoostD_GammaP);
ZEL_BENCH_REG(BM_BoostD_BetaI);
#endif

}  // namespace

BENCHMARK_MAIN();
