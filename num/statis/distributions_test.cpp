// Distribution functions against scipy 1.10 (testdata/reference_values.py
// writes the tables), against Boost.Math in long double on the same grids
// (testdata/reference_boost_ld.cpp), and against exact counts. scipy works
// in double and loses up to 1e-10 relative at large parameters; the long
// double values settle the last digits, so their tolerances are the tight
// ones. Each tolerance is the largest error measured times about 3.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <span>
#include <string>

#include "num/statis/zel_statis.hpp"

namespace zel {
namespace {

struct RefRow4 {
  double a, b, c, value;
};
struct RefRow5 {
  double a, b, c, d, value;
};

#include "num/statis/testdata/reference_boost_ld.inc"
#include "num/statis/testdata/reference_values.inc"

// Largest relative error of f over the table; every row must be within
// tol relative (or 1e-300 absolute where the reference is 0).
template <class Row>
double CheckTable(const char* name, const char* source, std::span<const Row> rows, double tol,
                  const std::function<double(const Row&)>& f) {
  double worst = 0.0;
  for (const Row& r : rows) {
    const double got = f(r);
    const double err =
        r.value == 0.0 ? std::fabs(got) : std::fabs(got - r.value) / std::fabs(r.value);
    if (r.value == 0.0) {
      EXPECT_LE(std::fabs(got), 1e-300) << name << "(" << r.a << ", " << r.b << ", " << r.c << ")";
    } else {
      worst = std::max(worst, err);
      EXPECT_LE(err, tol) << name << "(" << r.a << ", " << r.b << ", " << r.c << ") = " << got
                          << ", " << source << " " << r.value;
    }
  }
  std::printf("[ accuracy ] %-24s largest relative error %.2e against %s over %zu values\n", name,
              worst, source, rows.size());
  return worst;
}

// The same function against scipy and against Boost's long double values.
template <class Row>
void Check(const char* name, std::span<const Row> scipy, double tolScipy, std::span<const Row> ld,
           double tolLD, const std::function<double(const Row&)>& f) {
  CheckTable<Row>(name, "scipy", scipy, tolScipy, f);
  CheckTable<Row>(name, "Boost long double", ld, tolLD, f);
}

int32_t I(double v) { return static_cast<int32_t>(v); }

TEST(SpecialFunctions, MatchScipyAndLongDoubleOverTheGrid) {
  Check<RefRow4>("LnGamma", kLnGamma, 1.5e-14, kLnGammaLD, 1e-15,
                 [](const RefRow4& r) { return LnGamma(r.a); });
  Check<RefRow4>("IncompleteGamma", kIncompleteGamma, 1.5e-12, kIncompleteGammaLD, 8e-13,
                 [](const RefRow4& r) { return IncompleteGamma(r.a, r.b); });
  Check<RefRow4>("IncompleteGammaCompl", kIncompleteGammaCompl, 1.2e-11, kIncompleteGammaComplLD,
                 1.8e-12, [](const RefRow4& r) { return IncompleteGammaCompl(r.a, r.b); });
  Check<RefRow4>("Erf", kErf, 1e-15, kErfLD, 1e-15, [](const RefRow4& r) { return Erf(r.a); });
  Check<RefRow4>("IncompleteBeta", kIncompleteBeta, 6e-11, kIncompleteBetaLD, 3.5e-13,
                 [](const RefRow4& r) { return IncompleteBeta(r.a, r.b, r.c); });
}

TEST(NormalDistribution, MatchesScipyAndLongDoubleIntoTheFarTails) {
  Check<RefRow4>("nDistriIntegral", knDistriIntegral, 3.5e-13, knDistriIntegralLD, 2.5e-15,
                 [](const RefRow4& r) { return nDistriIntegral(r.a); });
  CheckTable<RefRow4>("nDistriDensity", "scipy", knDistriDensity, 1e-15,
                      [](const RefRow4& r) { return nDistriDensity(r.a); });
  Check<RefRow4>("nDistriQuantile", knDistriQuantile, 8e-16, knDistriQuantileLD, 8e-16,
                 [](const RefRow4& r) { return nDistriQuantile(r.a); });
}

TEST(ContinuousDistributions, MatchScipyAndLongDoubleIntoTheTails) {
  Check<RefRow4>("chi2DistriIntegral", kchi2DistriIntegral, 8e-13, kchi2DistriIntegralLD, 2e-13,
                 [](const RefRow4& r) { return chi2DistriIntegral(r.a, I(r.b)); });
  Check<RefRow4>("Chi2DistriDensity", kChi2DistriDensity, 1e-12, kChi2DistriDensityLD, 2e-13,
                 [](const RefRow4& r) { return Chi2DistriDensity(r.a, I(r.b)); });
  Check<RefRow4>("chi2DistriQuantile", kchi2DistriQuantile, 2.5e-13, kchi2DistriQuantileLD, 1.5e-13,
                 [](const RefRow4& r) { return chi2DistriQuantile(r.a, I(r.b)); });
  Check<RefRow4>("tDistriIntegral", ktDistriIntegral, 1.6e-13, ktDistriIntegralLD, 8e-14,
                 [](const RefRow4& r) { return tDistriIntegral(r.a, I(r.b)); });
  Check<RefRow4>("tDistriDensity", ktDistriDensity, 1.3e-12, ktDistriDensityLD, 4e-13,
                 [](const RefRow4& r) { return tDistriDensity(r.a, I(r.b)); });
  Check<RefRow4>("tDistriQuantile", ktDistriQuantile, 1.1e-11, ktDistriQuantileLD, 3e-14,
                 [](const RefRow4& r) { return tDistriQuantile(r.a, I(r.b)); });
  Check<RefRow4>("FDistriIntegral", kFDistriIntegral, 1.5e-12, kFDistriIntegralLD, 1.5e-13,
                 [](const RefRow4& r) { return FDistriIntegral(r.a, I(r.b), I(r.c)); });
  Check<RefRow4>("FDistriDensity", kFDistriDensity, 2.2e-12, kFDistriDensityLD, 3e-13,
                 [](const RefRow4& r) { return FDistriDensity(r.a, I(r.b), I(r.c)); });
  Check<RefRow4>("FDistriQuantile", kFDistriQuantile, 1.7e-12, kFDistriQuantileLD, 6e-14,
                 [](const RefRow4& r) { return FDistriQuantile(r.a, I(r.b), I(r.c)); });
  CheckTable<RefRow4>("WeibullDensity", "scipy", kWeibullDensity, 5e-15,
                      [](const RefRow4& r) { return WeibullDensity(r.a, r.b, r.c); });
}

TEST(DiscreteDistributions, MatchScipyLongDoubleAndExactCounts) {
  Check<RefRow4>("BinomDistriDensity", kBinomDistriDensity, 7e-13, kBinomDistriDensityLD, 5e-13,
                 [](const RefRow4& r) { return BinomDistriDensity(I(r.a), r.b, I(r.c)); });
  Check<RefRow4>("BinomDistriIntegral", kBinomDistriIntegral, 8.5e-13, kBinomDistriIntegralLD,
                 2.2e-13,
                 [](const RefRow4& r) { return BinomDistriIntegral(I(r.a), r.b, I(r.c)); });
  CheckTable<RefRow4>("BinomDistriQuantile", "scipy", kBinomDistriQuantile, 0.0,
                      [](const RefRow4& r) {
                        double k = -1.0;
                        EXPECT_EQ(BinomDistriQuantile(I(r.a), r.b, r.c, k), kDistriQuantileOk);
                        return k;
                      });
  Check<RefRow5>(
      "HyperGeoDistriDensity", kHyperGeoDistriDensity, 3.7e-10, kHyperGeoDistriDensityLD, 1.8e-13,
      [](const RefRow5& r) { return HyperGeoDistriDensity(r.a, I(r.b), I(r.c), I(r.d)); });
  CheckTable<RefRow4>("UDistriDensity", "exact counts", kUDistriDensity, 1e-12,
                      [](const RefRow4& r) { return UDistriDensity(I(r.a), I(r.b), I(r.c)); });
  CheckTable<RefRow4>("UDistriIntegral", "exact counts", kUDistriIntegral, 1e-12,
                      [](const RefRow4& r) { return UDistriIntegral(I(r.a), I(r.b), I(r.c)); });
}

TEST(SpecialFunctions, KeepTheDocumentedEdgeValues) {
  EXPECT_NEAR(LnGamma(1.0), 0.0, 1e-9);
  EXPECT_NEAR(LnGamma(2.0), 0.0, 1e-9);
  EXPECT_EQ(LnGamma(0.0), 0.0);
  EXPECT_EQ(LnGamma(-3.5), 0.0);
  EXPECT_TRUE(std::isnan(LnGamma(std::nan(""))));
  EXPECT_EQ(IncompleteGamma(0.0, 2.0), 0.0);
  EXPECT_EQ(IncompleteGamma(3.0, -1.0), 0.0);
  EXPECT_EQ(IncompleteGamma(INFINITY, 2.0), 1.0);
  EXPECT_EQ(IncompleteGammaCompl(INFINITY, 2.0), 0.0);
  EXPECT_EQ(IncompleteBeta(-0.5, 2.0, 3.0), 0.0);
  EXPECT_EQ(IncompleteBeta(1.5, 2.0, 3.0), 1.0);
  EXPECT_EQ(LnBeta(-1.0, 2.0), 0.0);
  EXPECT_NEAR(LnBeta(2.0, 3.0), std::log(1.0 / 12.0), 1e-9);
  EXPECT_NEAR(ErfApprox(0.5), 0.5204998778130465, 1.2e-7);  // scipy.special.erf(0.5)
  EXPECT_NEAR(ErfApprox(-2.0), -0.9953222650189527, 1.2e-7);
  EXPECT_NEAR(Erf(-0.5), -0.5204998778130465, 1e-9);
  // Near its zeros ln Gamma keeps relative accuracy (the six-term series
  // was only good to 2e-10 absolute there): -gamma h + pi^2/12 h^2.
  for (double step : {1e-10, -1e-7, 1e-5}) {
    const double x = 1.0 + step;
    const double h = x - 1.0;  // exact
    const double want = -0.5772156649015329 * h + 0.8224670334241132 * h * h;
    EXPECT_NEAR(LnGamma(x), want, 1e-9 * std::fabs(want)) << h;
  }
  const double h2 = (2.0 + 1e-9) - 2.0;
  EXPECT_NEAR(LnGamma(2.0 + 1e-9), 0.42278433509846713 * h2, 1e-9 * h2);
}

TEST(SpecialFunctions, NonFiniteParametersEndInsteadOfLooping) {
  // An infinite or huge shape made the series stop test 0 < 0 or let a'
  // stop growing; both must come back (NaN or a capped sum).
  EXPECT_TRUE(std::isnan(IncompleteGamma(2.0, INFINITY)));
  EXPECT_TRUE(std::isnan(IncompleteGamma(std::nan(""), 2.0)));
  EXPECT_TRUE(std::isnan(IncompleteGammaCompl(2.0, std::nan(""))));
  const double big = IncompleteGamma(1e12, 1e12 + 1e3);
  EXPECT_TRUE(big >= 0.0 && big <= 1.0);
  // The fraction divides by a and b: no silent 0/0.
  EXPECT_TRUE(std::isnan(IncompleteBeta(0.5, 0.0, 2.0)));
  EXPECT_TRUE(std::isnan(IncompleteBeta(0.5, 2.0, 0.0)));
  EXPECT_TRUE(std::isnan(IncompleteBeta(0.5, -1.0, 2.0)));
  EXPECT_TRUE(std::isnan(IncompleteBeta(std::nan(""), 1.0, 2.0)));
  EXPECT_TRUE(std::isnan(Erf(std::nan(""))));
}

TEST(NormalDistribution, QuantileEndsAndInvertsTinyProbabilities) {
  EXPECT_EQ(nDistriQuantile(0.5), 0.0);
  EXPECT_NEAR(nDistriQuantile(0.975), 1.959963984540054, 1e-7);
  EXPECT_EQ(nDistriQuantile(0.0), 0.0);
  EXPECT_EQ(nDistriQuantile(1.0), 0.0);
  EXPECT_EQ(nDistriQuantile(-0.1), 0.0);
  EXPECT_EQ(nDistriQuantile(std::nan("")), 0.0);
  // Below 1.1e-16 the start value used to take ln 0, and below ~1e-9 the
  // cancelling lower tail kept the bisection from ever stopping.
  for (double p = 1e-300; p < 0.5; p *= 7.3) {
    const double x = nDistriQuantile(p);
    ASSERT_TRUE(std::isfinite(x)) << p;
    EXPECT_LT(x, 0.0) << p;
    // The tail moves x^2 times as much as x in relative terms; near x =
    // -1.7 the lower tail is 1 - P(1/2, h) with P about 0.9.
    EXPECT_NEAR(nDistriIntegral(x) / p, 1.0, 1e-14 + 4e-16 * x * x) << p;
    if (p > 1e-6) {  // 1 - p keeps p's digits only down to there
      EXPECT_NEAR(nDistriQuantile(1.0 - p) + x, 0.0, 1e-10 * std::fabs(x)) << p;
    }
  }
  EXPECT_EQ(nDistriIntegral(-40.0), 0.0);
  EXPECT_EQ(nDistriIntegral(-INFINITY), 0.0);
  EXPECT_EQ(nDistriIntegral(INFINITY), 1.0);
  EXPECT_GT(nDistriIntegral(-37.0), 0.0);
}

TEST(BinomialCoefficients, AreExactUpToTheInt32Limit) {
  EXPECT_EQ(BinomCoeff(5, 2), 10);
  EXPECT_EQ(BinomCoeff(3, 5), 0);
  EXPECT_EQ(BinomCoeff(-1, 0), 0);
  EXPECT_EQ(BinomCoeff(4, -1), 0);
  EXPECT_EQ(BinomCoeff(0, 0), 1);
  // math.comb: the log-gamma route missed these by one or more.
  EXPECT_EQ(BinomCoeff(55302, 2), 1529127951);
  EXPECT_EQ(BinomCoeff(100000000, 1), 100000000);
  EXPECT_EQ(BinomCoeff(2000000000, 1), 2000000000);
  EXPECT_EQ(BinomCoeff(2000000000, 1999999999), 2000000000);
  EXPECT_EQ(BinomCoeff(33, 16), 1166803110);
  EXPECT_EQ(BinomCoeff(34, 17), -1);  // 2333606220
  EXPECT_EQ(BinomCoeff(65536, 2), 2147450880);
  EXPECT_EQ(BinomCoeff(65537, 2), -1);  // 2147516416
  EXPECT_EQ(BinomCoeff(2147483647, 2147483646), 2147483647);
  EXPECT_NEAR(LnBinomCoeff(55302, 2), std::log(1529127951.0), 1e-9);
  EXPECT_EQ(LnBinomCoeff(3, 5), -1.0);
}

TEST(DiscreteDistributions, RejectBadArgumentsWithTheDocumentedResults) {
  EXPECT_THROW(
      {
        try {
          HyperGeoDistriDensity(1.5, 10, 3, 1);
        } catch (const EZELStatisError& e) {
          EXPECT_STREQ(e.what(),
                       "HyperGeoDistriDensity: probability p must be between 0.0 and 1.0");
          throw;
        }
      },
      EZELStatisError);
  auto message = [](auto&& call) {
    try {
      call();
    } catch (const EZELError& e) {
      return std::string(e.what());
    }
    return std::string("no exception");
  };
  EXPECT_EQ(message([] { HyperGeoDistriDensity(std::nan(""), 10, 3, 1); }),
            "HyperGeoDistriDensity: probability p must be between 0.0 and 1.0");
  EXPECT_EQ(message([] { HyperGeoDistriDensity(0.5, 0, 3, 1); }),
            "HyperGeoDistriDensity: npop must be greater than 0");
  EXPECT_EQ(message([] { HyperGeoDistriDensity(0.5, 10, 11, 1); }),
            "HyperGeoDistriDensity: nsample must not be greater than npop");
  EXPECT_EQ(message([] { HyperGeoDistriDensity(0.5, 10, 0, 1); }),
            "HyperGeoDistriDensity: nsample must not be less than 1");
  EXPECT_EQ(HyperGeoDistriDensity(0.3, 20, 5, 6), 0.0);  // k > nsample
  EXPECT_EQ(HyperGeoDistriDensity(0.1, 20, 5, 3), 0.0);  // k > M = 2
  EXPECT_EQ(HyperGeoDistriDensity(0.9, 20, 5, 2), 0.0);  // k < n + M - N = 3

  double k = 7.0;
  EXPECT_EQ(BinomDistriQuantile(-1, 0.5, 0.5, k), kDistriQuantileBadCount);
  EXPECT_EQ(k, 0.0);
  EXPECT_EQ(BinomDistriQuantile(10, 1.5, 0.5, k), kDistriQuantileBadProb);
  EXPECT_EQ(BinomDistriQuantile(10, 0.5, std::nan(""), k), kDistriQuantileBadProb);
  EXPECT_STREQ(DistriQuantileStatusText(kDistriQuantileBadProb),
               "a probability is not a number between 0 and 1");
  EXPECT_STREQ(DistriQuantileStatusText(42), "unknown distribution quantile status");
  EXPECT_TRUE(std::isnan(BinomDistriDensity(10, -0.1, 2)));
  EXPECT_EQ(BinomDistriDensity(10, 0.0, 0), 1.0);
  EXPECT_EQ(BinomDistriDensity(10, 1.0, 9), 0.0);
  EXPECT_EQ(BinomDistriIntegral(10, 0.3, 10), 1.0);
  EXPECT_EQ(BinomDistriIntegral(10, 0.3, -1), 0.0);
  // P(X <= 999) for 1000 trials at 0.999: the upper term p^n alone is tiny.
  EXPECT_NEAR(BinomDistriIntegral(1000, 0.999, 999), 1.0 - std::pow(0.999, 1000), 1e-9);
}

TEST(DiscreteDistributions, MannWhitneyCriticalValuesMatchTheTables) {
  // Published one-sided 5 % and 1 % critical values (Mann and Whitney 1947;
  // exact counts: P(U <= 4) = 0.0476, P(U <= 5) = 0.0754 for 5 and 5).
  EXPECT_EQ(UDistriQuantile(5, 5, 0.05), 4);
  EXPECT_EQ(UDistriQuantile(5, 5, 0.01), 1);
  EXPECT_EQ(UDistriQuantile(8, 8, 0.025), 13);
  EXPECT_EQ(UDistriQuantile(2, 2, 0.05), kUQuantileNone);  // P(U = 0) = 1/6
  EXPECT_EQ(UDistriQuantile(5, 5, 1.5), kUQuantileBadArgs);
  EXPECT_EQ(UDistriQuantile(-1, 5, 0.05), kUQuantileBadArgs);
  EXPECT_TRUE(std::isnan(UDistriDensity(0, 0, 0)));
  EXPECT_TRUE(std::isnan(UDistriIntegral(70, 70, 3)));  // C(140, 70) is beyond the exact range
  EXPECT_EQ(UDistriDensity(3, 4, 13), 0.0);
  EXPECT_EQ(UDistriIntegral(3, 4, 12), 1.0);
  // Near the size limit the counts stay exact: normalised and symmetric
  // (in doubles the alternating signs cancelled to garbage here).
  EXPECT_NEAR(UDistriIntegral(60, 62, 1860), 0.5 + 0.5 * UDistriDensity(60, 62, 1860), 1e-14);
  // U = 3 arises from the 3 partitions of 3: 3 / C(122, 60) (math.comb).
  EXPECT_NEAR(UDistriDensity(60, 62, 3) / 7.955242628156515e-36, 1.0, 1e-14);
}

TEST(ContinuousDistributions, EdgesAndDegenerateDegreesOfFreedom) {
  EXPECT_TRUE(std::isnan(chi2DistriIntegral(1.0, 0)));
  EXPECT_TRUE(std::isnan(tDistriIntegral(1.0, -2)));
  EXPECT_TRUE(std::isnan(FDistriIntegral(1.0, 3, 0)));
  EXPECT_TRUE(std::isnan(tDistriQuantile(std::nan(""), 3)));
  EXPECT_EQ(chi2DistriIntegral(-1.0, 3), 0.0);
  EXPECT_EQ(chi2DistriIntegral(INFINITY, 3), 1.0);
  EXPECT_EQ(chi2DistriQuantile(0.0, 3), 0.0);
  EXPECT_TRUE(std::isinf(chi2DistriQuantile(1.0, 3)));
  EXPECT_EQ(tDistriQuantile(0.5, 7), 0.0);
  EXPECT_EQ(tDistriQuantile(0.0, 7), -INFINITY);
  EXPECT_EQ(tDistriIntegral(INFINITY, 7), 1.0);
  EXPECT_EQ(tDistriIntegral(-INFINITY, 7), 0.0);
  EXPECT_EQ(tDistriIntegral(0.0, 7), 0.5);
  EXPECT_EQ(FDistriIntegral(0.0, 3, 4), 0.0);
  EXPECT_EQ(Chi2DistriDensity(0.0, 2), 0.5);
  EXPECT_EQ(FDistriDensity(0.0, 2, 7), 1.0);
  EXPECT_EQ(FDistriDensity(-1.0, 2, 7), 0.0);
  // The t tail beyond 1e154, where t^2 overflows, still follows C t^-df.
  EXPECT_NEAR(tDistriIntegral(-1e200, 1) * 1e200 * M_PI, 1.0, 1e-8);
  // Quantile round trips deep in both tails.
  for (int32_t df : {1, 4, 37, 500}) {
    for (double p : {1e-100, 1e-30, 0.02, 0.98, 1.0 - 1e-11}) {
      const double c = chi2DistriQuantile(p, df);
      const double t = tDistriQuantile(p, df);
      const double f = FDistriQuantile(p, df, 9);
      const double tail = p < 0.5 ? p : 1.0 - p;
      auto back = [&](double v) { return p < 0.5 ? v : 1.0 - v; };
      EXPECT_NEAR(back(chi2DistriIntegral(c, df)) / tail, 1.0, 1e-6) << df << " " << p;
      EXPECT_NEAR(back(tDistriIntegral(t, df)) / tail, 1.0, 1e-6) << df << " " << p;
      EXPECT_NEAR(back(FDistriIntegral(f, df, 9)) / tail, 1.0, 1e-6) << df << " " << p;
    }
  }
}

TEST(DescriptiveHelpers, GuardTheirDomains) {
  EXPECT_NEAR(FisherTransform(0.5), 0.5493061443340549, 1e-15);
  EXPECT_NEAR(FisherTransformInv(FisherTransform(-0.73)), -0.73, 1e-15);
  EXPECT_EQ(FisherTransformInv(1000.0), 1.0);
  EXPECT_THROW(FisherTransform(1.0), EZELStatisError);
  try {
    FisherTransform(std::nan(""));
    ADD_FAILURE() << "no exception for NaN";
  } catch (const EZELStatisError& e) {
    EXPECT_STREQ(e.what(), "FisherTransform: argument out of range");
  }
  EXPECT_DOUBLE_EQ(CalcFishQ(3.0, 1.0, 0.0, 0.0), 4.0 / 1e-6);
  EXPECT_DOUBLE_EQ(CalcFishQ(3.0, 1.0, 1.0, 1.0), 2.0);
  EXPECT_NEAR(AkaikeInfCrit(10, 3, 5.0), 10.0 * std::log(0.5) + 6.0, 1e-12);
  EXPECT_TRUE(std::isnan(AkaikeInfCrit(0, 3, 5.0)));
  EXPECT_TRUE(std::isnan(AkaikeInfCrit(10, 3, 0.0)));
  EXPECT_NEAR(ConfidenceInterval(0.05, 2.0, 16), 1.959963984540054 * 0.5, 1e-7);
  EXPECT_EQ(ConfidenceInterval(0.05, 2.0, 0), 0.0);
  EXPECT_EQ(ConfidenceInterval(0.0, 2.0, 10), 0.0);
}

TEST(LeastSquaresParabola, RecoversAParabolaFarFromTheOrigin) {
  const double x[] = {1e6, 1e6 + 1, 1e6 + 2, 1e6 + 3, 1e6 + 5};
  double y[5];
  // y = 2 + 3 (x - 1e6) - 0.5 (x - 1e6)^2
  for (int i = 0; i < 5; ++i) {
    const double u = x[i] - 1e6;
    y[i] = 2.0 + 3.0 * u - 0.5 * u * u;
  }
  double k0, k1, k2;
  ASSERT_TRUE(LeastSquaresParabola(x, y, k0, k1, k2));
  EXPECT_NEAR(k2, -0.5, 1e-9);
  for (double u : {0.5, 4.0, 10.0}) {
    const double xv = 1e6 + u;
    EXPECT_NEAR(k0 + k1 * xv + k2 * xv * xv, 2.0 + 3.0 * u - 0.5 * u * u, 1e-3);
  }
  // A noisy line: least squares, not interpolation (numpy.polyfit, deg 2).
  const double lx[] = {0, 1, 2, 3, 4};
  const double ly[] = {1, 3, 2, 5, 4};
  ASSERT_TRUE(LeastSquaresParabola(lx, ly, k0, k1, k2));
  EXPECT_NEAR(k0, 1.1142857142857123, 1e-12);
  EXPECT_NEAR(k1, 1.3714285714285706, 1e-12);
  EXPECT_NEAR(k2, -0.14285714285714277, 1e-12);
  const double two[] = {1, 1, 2, 2};
  const double vals[] = {1, 2, 3, 4};
  EXPECT_FALSE(LeastSquaresParabola(two, vals, k0, k1, k2));
  EXPECT_EQ(k0, 0.0);
  const double nanx[] = {0, 1, std::nan("")};
  EXPECT_FALSE(LeastSquaresParabola(nanx, std::span<const double>(vals, 3), k0, k1, k2));
  EXPECT_FALSE(LeastSquaresParabola(std::span<const double>(lx, 2), std::span<const double>(ly, 2),
                                    k0, k1, k2));
}

}  // namespace
}  // namespace zel
