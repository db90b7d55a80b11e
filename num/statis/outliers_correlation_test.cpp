// Grubbs' test, correlation, Durbin-Watson and Theil-Sen against scipy
// (testdata/reference_values.py) and published critical values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
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

#include "num/statis/testdata/reference_values.inc"

TDoubleArray Offset(const TDoubleArray& v, double by) {
  TDoubleArray r = v;
  for (double& x : r) x += by;
  return r;
}

const TDoubleArray kX =
    Offset({1.0, 2.0, 3.5, 4.0, 5.5, 6.0, 7.25, 8.0, 9.5, 10.0, 11.0, 12.5}, 1e9);
const TDoubleArray kY = {2.1, 3.9, 6.2, 8.1, 9.8, 12.5, 13.9, 16.2, 18.1, 19.7, 22.4, 24.0};
const TDoubleArray kY2 = {0.5, -1.2, 2.2, 0.1, 1.9, -0.4, 0.8, 2.5, -0.9, 1.1, 0.0, 1.7};

std::unique_ptr<TVector> MakeVector(const TDoubleArray& values) {
  auto v = std::make_unique<TVector>(nullptr);
  v->Resize(static_cast<int32_t>(values.size()));
  for (size_t i = 0; i < values.size(); ++i) v->SetVal(static_cast<int32_t>(i + 1), values[i]);
  return v;
}

std::string DixonMessage(const TDoubleArray& data) {
  double Q = 0;
  try {
    DeanDixonTest(data, TSignifLevelEx::Dot050, Q);
  } catch (const EZELStatisError& e) {
    return e.what();
  }
  return "no exception";
}

TEST(DeanDixon, CriticalValuesKeepThePrintedRowsAndTheCorrectedFivePoint) {
  using L = TSignifLevelEx;
  // Printed rows (Dean and Dixon's table and its extensions).
  EXPECT_EQ(DeanDixonCriticalValues(3, L::Dot001), 0.999);
  EXPECT_EQ(DeanDixonCriticalValues(3, L::Dot050), 0.941);
  EXPECT_EQ(DeanDixonCriticalValues(4, L::Dot500), 0.324);
  EXPECT_EQ(DeanDixonCriticalValues(8, L::Dot010), 0.682);
  EXPECT_EQ(DeanDixonCriticalValues(11, L::Dot020), 0.636);
  EXPECT_EQ(DeanDixonCriticalValues(14, L::Dot100), 0.491);
  EXPECT_EQ(DeanDixonCriticalValues(100, L::Dot001), 0.387);
  EXPECT_EQ(DeanDixonCriticalValues(100, L::Dot500), 0.111);
  // n = 5 at 0.05 is 0.642; 0.710 is the 0.025 point.
  EXPECT_EQ(DeanDixonCriticalValues(5, L::Dot050), 0.642);
  EXPECT_EQ(DeanDixonCriticalValues(2, L::Dot050), -1.0);
  EXPECT_EQ(DeanDixonCriticalValues(101, L::Dot050), -1.0);
  EXPECT_EQ(DeanDixonCriticalValues(10, static_cast<L>(9)), -1.0);
  EXPECT_EQ(DeanDixonCriticalValues(10, static_cast<L>(-1)), -1.0);
  // A shifted or transposed row breaks the order: a smaller level needs a
  // larger ratio, and within one ratio more values need a smaller one (to
  // the 0.002 of the Monte Carlo rows).
  const int32_t familyStart[] = {3, 8, 11, 14};
  for (int32_t n = 3; n <= 100; ++n) {
    for (int32_t j = 1; j < 9; ++j) {
      EXPECT_LT(DeanDixonCriticalValues(n, static_cast<L>(j)),
                DeanDixonCriticalValues(n, static_cast<L>(j - 1)))
          << "n " << n << " level " << j;
    }
    if (std::find(std::begin(familyStart), std::end(familyStart), n) != std::end(familyStart)) {
      continue;
    }
    for (int32_t j = 0; j < 9; ++j) {
      EXPECT_LE(DeanDixonCriticalValues(n, static_cast<L>(j)),
                DeanDixonCriticalValues(n - 1, static_cast<L>(j)) + 0.002)
          << "n " << n << " level " << j;
    }
  }
}

TEST(DeanDixon, FindsTheOutlierOfTheExampleInBothIndexings) {
  double Q = 0;
  EXPECT_EQ(DeanDixonTest(TDoubleArray{1, 2, 3, 4, 100}, TSignifLevelEx::Dot050, Q), 4);
  EXPECT_DOUBLE_EQ(Q, 96.0 / 99.0);
  EXPECT_EQ(DeanDixonTest(*MakeVector({1, 2, 3, 4, 100}), TSignifLevelEx::Dot050, Q), 5);
  // Low side, and no outlier (the negative result is not shifted).
  EXPECT_EQ(DeanDixonTest(TDoubleArray{3, -100, 1, 2, 4}, TSignifLevelEx::Dot050, Q), 1);
  EXPECT_DOUBLE_EQ(Q, 101.0 / 104.0);
  EXPECT_EQ(DeanDixonTest(*MakeVector({1, 2, 3, 4, 5}), TSignifLevelEx::Dot050, Q), kDeanDixonNone);
  EXPECT_DOUBLE_EQ(Q, 0.25);
}

TEST(DeanDixon, UsesTheRatioOfEachSizeRange) {
  // Values 1..n-1 and M: the high ratio by hand for each formula.
  struct Case {
    int32_t n;
    double M, Q;
  };
  const Case cases[] = {
      {3, 20, 18.0 / 19},       // r10 (M - x2)/(M - x1)
      {7, 20, 14.0 / 19},       // r10
      {8, 20, 13.0 / 18},       // r11 (M - x7)/(M - x2)
      {10, 20, 11.0 / 18},      // r11
      {11, 20, 11.0 / 18},      // r21 (M - x9)/(M - x2)
      {13, 20, 9.0 / 18},       // r21
      {14, 20, 8.0 / 17},       // r22 (M - x12)/(M - x3)
      {100, 200, 102.0 / 197},  // r22
  };
  for (const Case& c : cases) {
    TDoubleArray data;
    data.push_back(c.M);  // first, so the position tells the side
    for (int32_t i = 1; i < c.n; ++i) data.push_back(i);
    double Q = 0;
    const int32_t r = DeanDixonTest(data, TSignifLevelEx::Dot050, Q);
    EXPECT_DOUBLE_EQ(Q, c.Q) << "n " << c.n;
    EXPECT_EQ(r, c.Q > DeanDixonCriticalValues(c.n, TSignifLevelEx::Dot050) ? 0 : -1)
        << "n " << c.n;
  }
  EXPECT_EQ(DixonMessage({1, 2}), "DeanDixonTest: number of data points is too low");
  EXPECT_EQ(DixonMessage(TDoubleArray(101, 1.0)),
            "DeanDixonTest: number of data points is too high");
  EXPECT_EQ(DixonMessage(TDoubleArray(100, 1.0)), "no exception");
  double Q = 0;
  EXPECT_THROW(DeanDixonTest(*MakeVector({1, 2}), TSignifLevelEx::Dot050, Q), EZELStatisError);
}

TEST(DeanDixon, ZeroDenominatorsTiesAndHostileValues) {
  double Q = -1;
  EXPECT_EQ(DeanDixonTest(TDoubleArray{5, 5, 5, 5}, TSignifLevelEx::Dot050, Q), kDeanDixonNone);
  EXPECT_EQ(Q, 0.0);
  // n = 8: the low ratio's denominator x7 - x1 is 0, the high ratio is 1.
  EXPECT_EQ(DeanDixonTest(TDoubleArray{0, 0, 0, 0, 0, 0, 0, 5}, TSignifLevelEx::Dot001, Q), 7);
  EXPECT_EQ(Q, 1.0);
  // n = 8: the high ratio's denominator x8 - x2 is 0, the low ratio is 1.
  EXPECT_EQ(DeanDixonTest(TDoubleArray{1, 1, 1, 1, 0, 1, 1, 1}, TSignifLevelEx::Dot001, Q), 4);
  EXPECT_EQ(Q, 1.0);
  // Two equal low outliers (r22 looks past x2): the first position wins.
  const TDoubleArray twin = {1, 2, 3, -50, 4, 5, 6, 7, 8, -50, 9, 10, 11, 12};
  EXPECT_EQ(DeanDixonTest(twin, TSignifLevelEx::Dot050, Q), 3);
  EXPECT_DOUBLE_EQ(Q, 51.0 / 60.0);
  EXPECT_EQ(DeanDixonTest(*MakeVector(twin), TSignifLevelEx::Dot050, Q), 4);
  // Equal ratios: the low side is taken.
  EXPECT_EQ(DeanDixonTest(TDoubleArray{0, 10, 10.5, 11, 21}, TSignifLevelEx::Dot500, Q), 0);
  // Extreme magnitudes: the spread 2e308 is not an overflow.
  EXPECT_EQ(DeanDixonTest(TDoubleArray{-1e308, 0, 1, 2, 1e308}, TSignifLevelEx::Dot050, Q),
            kDeanDixonNone);
  EXPECT_DOUBLE_EQ(Q, 0.5);
  EXPECT_EQ(DeanDixonTest(TDoubleArray{1e-300, 2e-300, 3e-300, 4e-300, 1e-298},
                          TSignifLevelEx::Dot050, Q),
            4);
  for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
    Q = 7;
    EXPECT_EQ(DeanDixonTest(TDoubleArray{1, 2, bad, 4}, TSignifLevelEx::Dot050, Q),
              kDeanDixonBadArgument);
    EXPECT_EQ(Q, 0.0);
  }
  EXPECT_EQ(DeanDixonTest(TDoubleArray{1, 2, 3, 4}, static_cast<TSignifLevelEx>(12), Q),
            kDeanDixonBadArgument);
}

TEST(Grubbs, CriticalValuesMatchScipyAndThePublishedTable) {
  for (const RefRow4& r : kGrubbsCritical) {
    EXPECT_NEAR(GrubbsCriticalValues(static_cast<int32_t>(r.a), r.b, r.c == 2.0), r.value,
                5e-9 * r.value)
        << "n " << r.a << " alpha " << r.b << " sides " << r.c;
  }
  // Grubbs (1969), two-sided 5 %: n = 10: 2.290, n = 20: 2.709.
  EXPECT_NEAR(GrubbsCriticalValues(10, 0.05, true), 2.290, 1e-3);
  EXPECT_NEAR(GrubbsCriticalValues(20, 0.05, true), 2.709, 1e-3);
  EXPECT_EQ(GrubbsCriticalValues(2, 0.05, true), -1.0);
  EXPECT_EQ(GrubbsCriticalValues(10, 0.0, true), -1.0);
  EXPECT_EQ(GrubbsCriticalValues(10, 1.0, false), -1.0);
}

TEST(Grubbs, FindsTheOutlierAndReportsPositions) {
  const TDoubleArray data = {5.1, 4.9, 5.0, 5.2, 4.8, 5.05, 9.0, 4.95, 5.1, 5.0};
  double G = 0;
  int32_t index = 0;
  ASSERT_EQ(GrubbsTest(data, 0.05, G, index), kGrubbsOk);
  EXPECT_GT(G, 2.290);
  EXPECT_EQ(index, 6);
  auto v = std::make_unique<TVector>(nullptr);
  v->Resize(10);
  for (int32_t i = 1; i <= 10; ++i) v->SetVal(i, data[static_cast<size_t>(i - 1)]);
  ASSERT_EQ(GrubbsTest(*v, 0.05, G, index), kGrubbsOk);
  EXPECT_EQ(index, 7);
  // No outlier: index -1, G still reported.
  ASSERT_EQ(GrubbsTest(TDoubleArray{1, 2, 3, 4, 5, 6}, 0.05, G, index), kGrubbsOk);
  EXPECT_EQ(index, -1);
  EXPECT_NEAR(G, 2.5 / std::sqrt(3.5), 1e-12);
  // Constant data: G = 0, no outlier, success.
  ASSERT_EQ(GrubbsTest(TDoubleArray(6, 1e300), 0.05, G, index), kGrubbsOk);
  EXPECT_EQ(G, 0.0);
  EXPECT_EQ(index, -1);
  EXPECT_EQ(GrubbsTest(TDoubleArray{1, 2, 3}, 0.05, G, index), kGrubbsTooFew);
  EXPECT_EQ(GrubbsTest(data, 1.5, G, index), kGrubbsBadAlpha);
  EXPECT_EQ(GrubbsTest(TDoubleArray{1, 2, NAN, 4}, 0.05, G, index), kGrubbsNotFinite);
  EXPECT_EQ(G, 0.0);
  EXPECT_EQ(index, -1);
}

TEST(Correlation, PearsonAndItsTestMatchScipyFarFromTheOrigin) {
  double r = 0, p = 0;
  ASSERT_EQ(PearsonCorrCoeff(kX, kY, r), kCorrOk);
  EXPECT_NEAR(r, kPearson1[0].value, 1e-12);
  ASSERT_EQ(CorrTest(kX, kY2, 0.0, r, p), kCorrOk);
  EXPECT_NEAR(r, kPearson2[0].value, 1e-12);
  EXPECT_NEAR(p, kPearson2P[0].value, 5e-8 * kPearson2P[0].value);
  ASSERT_EQ(CorrTest(kX, kY, 0.0, r, p), kCorrOk);
  EXPECT_NEAR(p / kPearson1P[0].value, 1.0, 5e-8);  // a tiny p, from the t tail
}

TEST(Correlation, DegenerateCasesKeepTheirDocumentedResults) {
  double r = 5, p = 5;
  EXPECT_EQ(PearsonCorrCoeff({1, 2}, {1, 2, 3}, r), kCorrSizeDiffers);
  EXPECT_EQ(r, 0.0);
  EXPECT_EQ(PearsonCorrCoeff({1, 2}, {3, 4}, r), kCorrTooFew);
  ASSERT_EQ(PearsonCorrCoeff({0, 0, 0}, {1, 2, 3}, r), kCorrOk);
  EXPECT_EQ(r, 0.0);
  ASSERT_EQ(PearsonCorrCoeff({5, 5, 5}, {1, 2, 3}, r), kCorrOk);
  EXPECT_EQ(r, 0.0);
  ASSERT_EQ(PearsonCorrCoeff({1, NAN, 3}, {1, 2, 3}, r), kCorrOk);
  EXPECT_TRUE(std::isnan(r));
  EXPECT_EQ(CorrTest({1, 2, 3}, {1, 2, 4}, 1.5, r, p), kCorrBadR0);
  // Perfect sample correlation against rho 0: p = 0; against itself: 1.
  ASSERT_EQ(CorrTest({1, 2, 3, 4}, {2, 4, 6, 8}, 0.0, r, p), kCorrOk);
  EXPECT_EQ(r, 1.0);
  EXPECT_EQ(p, 0.0);
  ASSERT_EQ(CorrTest({1, 2, 3, 4}, {2, 4, 6, 8}, 1.0, r, p), kCorrOk);
  EXPECT_EQ(p, 1.0);
  // rho = +-1 with an imperfect sample divided by zero; p is 0.
  ASSERT_EQ(CorrTest(kX, kY2, 1.0, r, p), kCorrOk);
  EXPECT_EQ(p, 0.0);
  ASSERT_EQ(CorrTest(kX, kY2, -1.0, r, p), kCorrOk);
  EXPECT_EQ(p, 0.0);
}

TEST(DurbinWatson, MatchesNumpyAndKeepsItsEdgeValues) {
  EXPECT_NEAR(DurbinWatson(kY2), kDurbinWatson[0].value, 1e-14);
  TDoubleArray scaled = kY2;
  for (double& e : scaled) e *= 1e-170;  // squares would underflow to 0
  EXPECT_NEAR(DurbinWatson(scaled), kDurbinWatson[0].value, 1e-14);
  for (double& e : scaled) e = e * 1e300 * 1e70;  // about 1e200: squares overflow
  EXPECT_NEAR(DurbinWatson(scaled), kDurbinWatson[0].value, 1e-14);
  EXPECT_EQ(DurbinWatson({1.0, -3.0}), 2.0);
  EXPECT_EQ(DurbinWatson({0.0, 0.0, 0.0, 0.0}), 0.0);
  EXPECT_TRUE(std::isnan(DurbinWatson({1.0, NAN, 2.0})));
}

TEST(DurbinWatson, CriticalBoundsMatchTheClassicTablesAndTheExactValues) {
  double dL = 0, dU = 0;
  // Values of the classic 5 % tables (Durbin and Watson; Savin and White).
  // The table holds the exact bounds rounded to 5 decimals; printed values
  // differ by one in the last place (1.07697 for the exact 1.0769620, 1.20149
  // for 1.2014981), hence 2e-5.
  ASSERT_TRUE(DurbinWatsonCrit5pct(15, 1, dL, dU));
  EXPECT_NEAR(dL, 1.07697, 2e-5);
  EXPECT_NEAR(dU, 1.36054, 1e-5);
  ASSERT_TRUE(DurbinWatsonCrit5pct(15, 2, dL, dU));
  EXPECT_NEAR(dL, 0.94554, 1e-5);
  EXPECT_NEAR(dU, 1.54318, 1e-5);
  ASSERT_TRUE(DurbinWatsonCrit5pct(20, 1, dL, dU));
  EXPECT_NEAR(dL, 1.20149, 2e-5);
  EXPECT_NEAR(dU, 1.41073, 1e-5);
  ASSERT_TRUE(DurbinWatsonCrit5pct(100, 1, dL, dU));
  EXPECT_NEAR(dL, 1.65404, 1e-5);
  EXPECT_NEAR(dU, 1.69439, 1e-5);
  ASSERT_TRUE(DurbinWatsonCrit5pct(50, 5, dL, dU));
  EXPECT_NEAR(dL, 1.335, 1e-3);
  EXPECT_NEAR(dU, 1.771, 1e-3);
  // The fitted ranges against the exact bounds (Imhof's method).
  for (size_t i = 0; i < std::size(kDWExactL); ++i) {
    const auto n = static_cast<int32_t>(kDWExactL[i].a), k = static_cast<int32_t>(kDWExactL[i].b);
    ASSERT_TRUE(DurbinWatsonCrit5pct(n, k, dL, dU)) << n;
    EXPECT_NEAR(dL, kDWExactL[i].value, 2e-4) << n << " " << k;
    EXPECT_NEAR(dU, kDWExactU[i].value, 2e-4) << n << " " << k;
    EXPECT_LT(dL, dU);
  }
  EXPECT_FALSE(DurbinWatsonCrit5pct(10, 6, dL, dU));  // n - k < 5
  EXPECT_EQ(dL, 0.0);
  EXPECT_FALSE(DurbinWatsonCrit5pct(2001, 1, dL, dU));
  EXPECT_FALSE(DurbinWatsonCrit5pct(50, 21, dL, dU));
  EXPECT_FALSE(DurbinWatsonCrit5pct(50, 0, dL, dU));
  EXPECT_TRUE(DurbinWatsonCrit5pct(6, 1, dL, dU));
}

TEST(TheilSen, SlopeAndInterceptMatchScipyAndUseTrueMedians) {
  double b, a, bl, bh, al, ah;
  ASSERT_EQ(TheilSenEstimator(kX, kY, b, a, bl, bh, al, ah), kTheilSenOk);
  EXPECT_NEAR(b, kTheilSenSlope[0].value, 1e-12);
  EXPECT_NEAR(a, kTheilSenIntercept[0].value, 1e-6 * std::fabs(kTheilSenIntercept[0].value));
  EXPECT_LE(bl, b);
  EXPECT_GE(bh, b);
  // Three points: the intercept is the middle residual, not the largest
  // (the 50th percentile of three values is their maximum).
  ASSERT_EQ(TheilSenEstimator({0, 1, 2}, {0, 2, 3}, b, a, bl, bh, al, ah), kTheilSenSmall);
  EXPECT_EQ(b, 1.5);  // slopes 2, 1.5, 1
  EXPECT_EQ(a, 0.0);  // residuals 0, 0.5, 0
  // Four points: the mean of the two middle residuals.
  ASSERT_EQ(TheilSenEstimator({0, 1, 2, 3}, {0, 1, 2, 7}, b, a, bl, bh, al, ah), kTheilSenSmall);
  EXPECT_NEAR(b, 5.0 / 3.0, 1e-15);   // slopes 1, 1, 1, 7/3, 3, 5
  EXPECT_NEAR(a, -1.0 / 3.0, 1e-15);  // residuals 0, -2/3, -4/3, 2
  EXPECT_EQ(TheilSenEstimator({0, 1}, {0, 1}, b, a, bl, bh, al, ah), kTheilSenTooFew);
  EXPECT_EQ(TheilSenEstimator({0, 1, 2}, {0, 1}, b, a, bl, bh, al, ah), kTheilSenSizeDiffers);
  EXPECT_EQ(TheilSenEstimator({0, 2, 1}, {0, 1, 2}, b, a, bl, bh, al, ah), kTheilSenNotMonotone);
  EXPECT_EQ(b, 0.0);
}

}  // namespace
}  // namespace zel
