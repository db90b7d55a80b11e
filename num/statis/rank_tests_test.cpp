// Wilcoxon, runs and sign tests, Gini coefficient and percentiles against
// scipy, exact enumeration and the published Wilcoxon table
// (testdata/reference_values.py).
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

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

const TDoubleArray kWa = {12.1, 14.3, 9.8, 11.0, 15.2, 13.3, 10.4, 12.9, 14.0, 11.7, 13.8, 12.2};
const TDoubleArray kWb = {11.0, 14.3, 10.9, 9.9, 13.1, 12.2, 10.4, 11.8, 12.9, 12.8, 12.7, 11.1};

TEST(Wilcoxon, QuantilesFollowTheExactTableAndTheNormalLimit) {
  // Published two-sided critical values (n = 20: 60, 52, 43, 37 at 0.1,
  // 0.05, 0.02, 0.01); the parabola may miss a tabled point by 1.
  EXPECT_NEAR(WilcoxonSRQuantile(20, 0.05, true), 52, 1);
  EXPECT_NEAR(WilcoxonSRQuantile(20, 0.01, true), 37, 1);
  EXPECT_NEAR(WilcoxonSRQuantile(20, 0.025, false), 52, 1);
  EXPECT_NEAR(WilcoxonSRQuantile(8, 0.05, true), 3, 1);  // row 5, 3, 1
  EXPECT_NEAR(WilcoxonSRQuantile(100, 0.05, true), 1955, 3);
  for (const RefRow4& r : kWilcoxonLarge) {
    EXPECT_EQ(WilcoxonSRQuantile(static_cast<int32_t>(r.a), r.b, true), r.value) << r.a;
  }
  // From n = 93000 the value no longer fits 32 bits: -1, not a wrapped number.
  EXPECT_EQ(WilcoxonSRQuantile(100000, 0.05, true), -1);
  EXPECT_EQ(WilcoxonSRQuantile(7, 0.05, true), -1);
  EXPECT_EQ(WilcoxonSRQuantile(1000001, 0.05, true), -1);
  EXPECT_EQ(WilcoxonSRQuantile(30, 0.3, true), -1);
  EXPECT_EQ(WilcoxonSRQuantile(30, 0.0001, true), -1);
  EXPECT_EQ(WilcoxonSRQuantile(30, std::nan(""), true), -1);
}

TEST(Wilcoxon, SignedRankTestMatchesScipy) {
  double median = 0, wplus = 0, lo = 0, hi = 0;
  ASSERT_EQ(WilcoxonSignedRankTest(kWa, kWb, 0.05, false, median, wplus, lo, hi), kWilcoxonOk);
  EXPECT_DOUBLE_EQ(wplus, kWilcoxonWplus[0].value);
  EXPECT_NEAR(median, kWilcoxonMedian[0].value, 1e-14);
  // Ten non-zero differences: critHigh = 55 - critLow.
  EXPECT_EQ(lo, WilcoxonSRQuantile(10, 0.05, true));
  EXPECT_EQ(hi, 55.0 - lo);
}

TEST(Wilcoxon, FailuresAreReportedAsFailures) {
  double median = 1, wplus = 1, lo = 1, hi = 1;
  EXPECT_EQ(WilcoxonSignedRankTest({1, 2, 3}, {1, 2, 3}, 0.05, false, median, wplus, lo, hi),
            kWilcoxonTooFew);
  TDoubleArray shortB = kWb;
  shortB.pop_back();
  EXPECT_EQ(WilcoxonSignedRankTest(kWa, shortB, 0.05, false, median, wplus, lo, hi),
            kWilcoxonSizeDiffers);
  EXPECT_EQ(WilcoxonSignedRankTest(kWa, kWb, 0.0, false, median, wplus, lo, hi), kWilcoxonBadAlpha);
  // alpha 0.5 is accepted as a level but has no critical value.
  EXPECT_EQ(WilcoxonSignedRankTest(kWa, kWb, 0.5, false, median, wplus, lo, hi),
            kWilcoxonNoQuantile);
  // Identical samples: every difference is 0, nothing to rank.
  EXPECT_EQ(WilcoxonSignedRankTest(kWa, kWa, 0.05, false, median, wplus, lo, hi),
            kWilcoxonNoQuantile);
  EXPECT_EQ(median, 0.0);
  EXPECT_EQ(hi, 0.0);
  TDoubleArray withNaN = kWa;
  withNaN[3] = std::nan("");
  EXPECT_EQ(WilcoxonSignedRankTest(withNaN, kWb, 0.05, false, median, wplus, lo, hi),
            kWilcoxonNotFinite);
}

TEST(Runs, ExactProbabilitiesMatchEnumeration) {
  for (const RefRow4& r : kExactRuns) {
    const auto n1 = static_cast<int32_t>(r.a), n2 = static_cast<int32_t>(r.b);
    EXPECT_NEAR(ExactRunsTest(n1, n2, static_cast<int32_t>(r.c)), r.value, 1e-15)
        << n1 << " " << n2;
    EXPECT_NEAR(ExactRunsTest(n2, n1, static_cast<int32_t>(r.c)), r.value, 1e-15);
  }
  // 25 and 25: C(50, 25) = 1.26e14 is beyond 32 bits; the two extreme
  // arrangements with 2 runs have probability 2/C(50, 25).
  EXPECT_NEAR(ExactRunsTest(25, 25, 2) * 126410606437752.0, 2.0, 1e-12);
  EXPECT_EQ(ExactRunsTest(0, 5, 1), 1.0);
  EXPECT_EQ(ExactRunsTest(-1, 5, 3), -1.0);
}

TEST(Runs, SequencesAndSerialDataUseTheDocumentedBranches) {
  double p = 0;
  // 12 alternating values: 12 runs, the lower tail is 1 (not too few runs).
  EXPECT_FALSE(RunsTest(TBoolArray{1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0}, p));
  EXPECT_EQ(p, 1.0);
  EXPECT_TRUE(RunsTest(TBoolArray{1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0}, p));
  EXPECT_NEAR(p, kExactRuns[2].value, 1e-15);  // 6 and 6 with 2 runs
  // 60 values in two blocks: the normal branch, a tiny p.
  TBoolArray blocks(60, 0);
  for (size_t i = 0; i < 30; ++i) blocks[i] = 1;
  EXPECT_TRUE(RunsTest(blocks, p));
  const double z = (2.0 - 2.0 * 30 * 30 / 60.0 - 1.0) /
                   std::sqrt(2.0 * 30 * 30 * (2.0 * 30 * 30 - 60) / (60.0 * 60.0 * 59.0));
  EXPECT_NEAR(p / nDistriIntegral(z), 1.0, 1e-12);
  TBitFld bits(60);
  for (int32_t i = 1; i <= 30; ++i) bits.SetBit(i, true);
  double pb = 0;
  EXPECT_TRUE(RunsTest(bits, pb));
  EXPECT_EQ(pb, p);
  // Three values with a true median: one is above it, so the test is not
  // stuck at p = 0 (the 50th percentile of three values is their maximum).
  EXPECT_FALSE(RunsTestSerial(TDoubleArray{1.0, 3.0, 2.0}, p));
  EXPECT_GT(p, 0.0);
  auto v = std::make_unique<TVector>(nullptr);
  v->Resize(3);
  v->SetVal(1, 1.0);
  v->SetVal(2, 3.0);
  v->SetVal(3, 2.0);
  double pv = 0;
  EXPECT_FALSE(RunsTestSerial(*v, pv));
  EXPECT_EQ(pv, p);  // both overloads agree
  EXPECT_FALSE(RunsTestSerial(TDoubleArray{}, p));
  EXPECT_EQ(p, -1.0);
  EXPECT_FALSE(RunsTestSerial(TDoubleArray{1.0, std::nan(""), 2.0}, p));
  EXPECT_EQ(p, -1.0);
}

TEST(SignTest, PointProbabilitiesWithoutUnderflow) {
  for (const RefRow4& r : kBinomSign) {
    const auto n = static_cast<size_t>(r.a), k = static_cast<size_t>(r.b);
    TBoolArray signs(n, 0);
    for (size_t i = 0; i < k; ++i) signs[i * (n / k)] = 1;
    EXPECT_NEAR(BinomSignTest(signs, r.c), r.value, 5e-8 * r.value) << n << " " << k;
  }
  EXPECT_EQ(BinomSignTest({1, 0}, 0.5), -1.0);
  EXPECT_EQ(BinomSignTest({1, 0, 1}, 1.5), -2.0);
  EXPECT_EQ(BinomSignTest({1, 0, 1}, std::nan("")), -2.0);
  EXPECT_EQ(BinomSignTest({1, 0, 1}, 0.0), -2.125);
  EXPECT_EQ(BinomSignTest({1, 0, 1}, 1.0), -2.125);
  EXPECT_NEAR(BinomSignTest({0, 0, 0}, 0.0), 1.0, 1e-9);  // ln C(3, 0) through LnGamma
  EXPECT_NEAR(BinomSignTest({1, 1, 1}, 1.0), 1.0, 1e-9);
}

TEST(Gini, MatchesTheDoubleSumAndGuardsZeroSums) {
  EXPECT_NEAR(GiniCoeff({3, 1, 4, 1, 5, 9, 2, 6, 5, 3}), kGini[0].value, 1e-15);
  EXPECT_EQ(GiniCoeff({}), 0.0);
  EXPECT_EQ(GiniCoeff({0, 0, 0}), 0.0);
  EXPECT_EQ(GiniCoeff({4, 4, 4, 4}), 0.0);
  EXPECT_NEAR(GiniCoeff({0, 0, 0, 10}), 0.75, 1e-15);
  EXPECT_TRUE(std::isnan(GiniCoeff({1, std::nan(""), 3})));
}

TEST(PercentileOfArray, SelectsByRankAndChecksItsArguments) {
  const TDoubleArray d = {9, 1, 8, 2, 7, 3, 6, 4, 5, 5};
  double v = -1;
  ASSERT_EQ(PercentileOfArray(d, 50, 0, 9, v), kPercentileOk);
  EXPECT_EQ(v, 5.0);  // rank round(5) = 5 of 1 2 3 4 5 5 6 7 8 9
  ASSERT_EQ(PercentileOfArray(d, 100, 0, 9, v), kPercentileOk);
  EXPECT_EQ(v, 9.0);  // rank capped at m - 1
  ASSERT_EQ(PercentileOfArray(d, 0, 2, 4, v), kPercentileOk);
  EXPECT_EQ(v, 2.0);  // among 8, 2, 7
  ASSERT_EQ(PercentileOfArray(d, 25, 0, 3, v), kPercentileOk);
  EXPECT_EQ(v, 2.0);  // rank round(1) = 1 of 1 2 8 9
  EXPECT_EQ(PercentileOfArray(d, 50, 0, 10, v), kPercentileBadIndex);
  EXPECT_EQ(v, 0.0);
  EXPECT_EQ(PercentileOfArray(d, 50, -1, 3, v), kPercentileBadIndex);
  EXPECT_EQ(PercentileOfArray(d, 50, 5, 3, v), kPercentileReversed);
  EXPECT_EQ(PercentileOfArray(d, 101, 0, 3, v), kPercentileBadPercent);
  EXPECT_EQ(PercentileOfArray(d, std::nan(""), 0, 3, v), kPercentileBadPercent);
  EXPECT_EQ(d[0], 9.0);  // the caller's array is not reordered
}

}  // namespace
}  // namespace zel
