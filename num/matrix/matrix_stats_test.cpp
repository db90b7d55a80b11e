#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/zel_univconst.hpp"
#include "num/matrix/matrix_test_impl.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {
namespace {

using matrix_test::Cols;
using matrix_test::EventLog;
using matrix_test::MakeMatrix;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::vector<double> Elems(const TVector& v) {
  std::vector<double> out;
  for (int32_t i = 1; i <= v.GetNrOfElem(); ++i) out.push_back(v.GetVal(i));
  return out;
}

// --- sums, extremes, mean and variance -------------------------------------------

TEST(MatrixStats, SumAndMinMaxOverAClampedRange) {
  auto m = MakeMatrix({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
  EXPECT_EQ(m->Sum(0, 0, 0, 0), 45.0);
  EXPECT_EQ(m->Sum(2, 2, 3, 3), 5.0 + 6 + 8 + 9);  // LowCol, LowRow, HighCol, HighRow
  EXPECT_EQ(m->Sum(3, 0, 2, 99), 4.0 + 5 + 6 + 7 + 8 + 9);
  double lo = 0, hi = 0;
  m->MinMax(2, 1, 3, 2, lo, hi);
  EXPECT_EQ(lo, 4.0);
  EXPECT_EQ(hi, 8.0);
  auto nan = MakeMatrix({{kNaN, kNaN}});
  nan->MinMax(0, 0, 0, 0, lo, hi);  // NaN is the result, not the start values
  EXPECT_TRUE(std::isnan(lo));
  EXPECT_TRUE(std::isnan(hi));
}

TEST(MatrixStats, VarianceIsExactlyOneBelowThreeValues) {
  auto m = MakeMatrix({{2, 10, 3}, {4, 6, 7}});
  double mean = 0, var = 0;
  m->MeanVar(1, 1, 1, 2, mean, var);  // 2 and 10
  EXPECT_EQ(mean, 6.0);
  EXPECT_EQ(var, 1.0);
  m->MeanVar(1, 1, 1, 1, mean, var);
  EXPECT_EQ(mean, 2.0);
  EXPECT_EQ(var, 1.0);
  m->MeanVar(0, 0, 0, 0, mean, var);  // 2, 10, 3, 4, 6, 7: mean 32/6
  EXPECT_DOUBLE_EQ(mean, 32.0 / 6);
  EXPECT_DOUBLE_EQ(var, (214.0 - 32.0 * 32 / 6) / 5);
  auto flat = MakeMatrix({{0.1, 0.1, 0.1, 0.1, 0.1}});
  flat->MeanVar(0, 0, 0, 0, mean, var);
  EXPECT_EQ(var, 0.0);
}

// One pass over Sum x^2 - (Sum x)^2/n gave variance 0 for the first case and
// 1048576 for the millisecond time stamps. Data and deviations are exact
// doubles, so mean and variance are exact, whatever the range's shape.
TEST(MatrixStats, MeanVarKeepsEveryDigitWhenTheMeanDwarfsTheSpread) {
  struct Case {
    TDouble2DArray cols;
    double mean, var;
  };
  const double t = 1.7e12;
  const Case cases[] = {
      {{{1e10 + 1, 1e10 + 2, 1e10 + 3}}, 1e10 + 2, 1},
      {{{1e10 + 1}, {1e10 + 2}, {1e10 + 3}}, 1e10 + 2, 1},
      {{{t, t + 1000, t + 2000}}, t + 1000, 1e6},
      {{{t, t + 2000}, {t + 1000, t + 1000}}, t + 1000, 2e6 / 3},
  };
  for (const Case& c : cases) {
    auto m = MakeMatrix(c.cols);
    double mean = -1, var = -1;
    m->MeanVar(0, 0, 0, 0, mean, var);
    EXPECT_EQ(mean, c.mean) << c.cols.size();
    EXPECT_EQ(var, c.var) << c.cols.size();
  }
  // 100 x 100 cells of 0.1: the sum rounds, the constant is still exact.
  auto flat = MakeMatrix(TDouble2DArray(100, TDoubleArray(100, 0.1)));
  double mean = 0, var = -1;
  flat->MeanVar(0, 0, 0, 0, mean, var);
  EXPECT_EQ(mean, 0.1);
  EXPECT_EQ(var, 0.0);
}

TEST(MatrixStats, StandardizationKeepsTheDigitsOfLargeMeans) {
  const TDoubleArray stamps{1.7e12, 1.7e12 + 1000, 1.7e12 + 2000};
  auto byCol = MakeMatrix({stamps, {1e10 + 1, 1e10 + 2, 1e10 + 3}});
  TVector means(nullptr), sds(nullptr);
  byCol->StandardizeColumns(&means, &sds);
  EXPECT_EQ(Elems(means), (std::vector<double>{1.7e12 + 1000, 1e10 + 2}));
  EXPECT_EQ(Elems(sds), (std::vector<double>{1000, 1}));
  EXPECT_EQ(Cols(*byCol), (TDouble2DArray{{-1, 0, 1}, {-1, 0, 1}}));
  auto byRow = MakeMatrix({{stamps[0], 0.1}, {stamps[1], 0.1}, {stamps[2], 0.1}});
  byRow->StandardizeRows(&means, &sds);
  EXPECT_EQ(Elems(means), (std::vector<double>{1.7e12 + 1000, 0.1}));
  EXPECT_EQ(Elems(sds), (std::vector<double>{1000, 0}));  // a constant row has none
  EXPECT_EQ(Cols(*byRow), (TDouble2DArray{{-1, 0.1}, {0, 0.1}, {1, 0.1}}));
}

TEST(MatrixStats, GeometricMeanDividesByTheCellsOfTheRange) {
  auto m = MakeMatrix({{2, 8, 100}, {1, 1, 1}});
  // Rows 1..2 of column 1: sqrt(2 * 8) = 4 (the matrix has 6 cells).
  EXPECT_NEAR(m->GeometricMean(1, 1, 1, 2), 4.0, 1e-15);
  EXPECT_NEAR(m->GeometricMean(0, 0, 0, 0), std::pow(1600.0, 1.0 / 6), 1e-14);
  auto z = MakeMatrix({{2, 0, 5}}, "G");
  EXPECT_EQ(z->GeometricMean(0, 0, 0, 0), 0.0);
  z->SetVal(1, 3, -1);  // a negative anywhere wins over a zero
  try {
    z->GeometricMean(0, 0, 0, 0);
    FAIL() << "no exception";
  } catch (const EZELMatrixError& e) {
    EXPECT_STREQ(e.what(), "Component \"G\": negative argument passed to GeometricMean");
  }
  EXPECT_EQ(z->GeometricMean(1, 1, 1, 2), 0.0);  // the negative cell lies outside
}

TEST(MatrixStats, MeansOfNaNAreNaN) {
  auto m = MakeMatrix({{kNaN, 1, 0}, {4, 9, -1}}, "N");
  EXPECT_TRUE(std::isnan(m->GeometricMean(1, 1, 1, 2)));        // {NaN, 1}
  EXPECT_TRUE(std::isnan(m->GeometricMean(1, 1, 1, 3)));        // a zero does not win over NaN
  EXPECT_THROW(m->GeometricMean(0, 0, 0, 0), EZELMatrixError);  // the negative still does
  EXPECT_NEAR(m->GeometricMean(2, 1, 2, 2), 6.0, 1e-15);
  // NaN is neither negative nor zero: no misleading error, a NaN result.
  EXPECT_TRUE(std::isnan(m->HarmonicMean(1, 1, 1, 2)));
}

// Every statistic of a range holding a NaN gives NaN wherever it stands;
// none skips it.
TEST(MatrixStats, NaNPropagatesThroughEveryRangeStatistic) {
  for (const TDouble2DArray& cols :
       {TDouble2DArray{{kNaN, 1, 2}, {3, 4, 5}}, TDouble2DArray{{1, 2, 3}, {4, kNaN, 5}},
        TDouble2DArray{{1, 2, 3}, {4, 5, kNaN}}}) {
    auto m = MakeMatrix(cols);
    double a = 0, b = 0, c = 0;
    m->MinMax(0, 0, 0, 0, a, b);
    EXPECT_TRUE(std::isnan(a) && std::isnan(b));
    m->MeanVar(0, 0, 0, 0, a, b);
    EXPECT_TRUE(std::isnan(a) && std::isnan(b));
    m->SkewKurt(0, 0, 0, 0, a, b);
    EXPECT_TRUE(std::isnan(a) && std::isnan(b));
    m->SkewKurtSample(0, 0, 0, 0, a, b);
    EXPECT_TRUE(std::isnan(a) && std::isnan(b));
    EXPECT_TRUE(m->Quartiles(0, 0, 0, 0, a, b, c));
    EXPECT_TRUE(std::isnan(a) && std::isnan(b) && std::isnan(c));
    for (const double p : {0.0, 50.0, 100.0})
      EXPECT_TRUE(std::isnan(m->Percentile(p, 0, 0, 0, 0))) << p;
    EXPECT_TRUE(std::isnan(m->Percentile(50, 0, 0, 0, 0, 2)));  // sampled: whatever is drawn
    auto other = MakeMatrix({{1, 2, 3}, {5, 4, 7}});
    EXPECT_TRUE(std::isnan(m->Correlate(other.get())));
    EXPECT_TRUE(std::isnan(other->Correlate(m.get())));
  }
}

TEST(MatrixStats, HarmonicMeanRejectsZeroAndNegativeValues) {
  auto m = MakeMatrix({{1, 2, 4}}, "H");
  EXPECT_DOUBLE_EQ(m->HarmonicMean(0, 0, 0, 0), 3.0 / 1.75);
  m->SetVal(1, 2, 0);
  try {
    m->HarmonicMean(0, 0, 0, 0);
    FAIL() << "no exception";
  } catch (const EZELMatrixError& e) {
    EXPECT_STREQ(e.what(), "Component \"H\": negative or zero argument passed to HarmonicMean");
  }
}

TEST(MatrixStats, SkewKurtMatchesAHandComputation) {
  // 1, 2, 3, 4, 10: mean 4, deviations -3 -2 -1 0 6; Sum d^2 = 50,
  // s^2 = 12.5, Sum d^3 = 180, Sum d^4 = 1394.
  auto d = MakeMatrix({{1, 2, 3, 4, 10}, {99, 0, 99, 0, 99}});
  double g = 0, k = 0;
  d->SkewKurt(1, 0, 1, 0, g, k);  // column 1 only
  const double s3 = std::pow(12.5, 1.5);
  EXPECT_NEAR(g, 36.0 / s3, 1e-14);
  EXPECT_NEAR(k, 278.8 / 156.25 - 3, 1e-14);
  double gs = 0, ks = 0;
  d->SkewKurtSample(1, 0, 1, 0, gs, ks);
  EXPECT_NEAR(gs, 25.0 / 12 * 36.0 / s3, 1e-14);
  EXPECT_NEAR(ks, 25.0 * 6 * (278.8 / 156.25) / 24 - 8, 1e-13);  // 3.152
}

TEST(MatrixStats, SkewKurtNeedsTwoValuesAndTheSampleFormFour) {
  auto m = MakeMatrix({{1, 3, 5, 7}});
  double g = 1, k = 1;
  m->SkewKurt(1, 1, 1, 2, g, k);  // two values a != b: 0 and 1/4 - 3
  EXPECT_EQ(g, 0.0);
  EXPECT_DOUBLE_EQ(k, -2.75);
  m->SkewKurt(1, 1, 1, 1, g, k);
  EXPECT_EQ(g, 0.0);
  EXPECT_EQ(k, 0.0);
  m->SkewKurtSample(1, 1, 1, 3, g, k);
  EXPECT_EQ(g, 0.0);
  EXPECT_EQ(k, 0.0);
  auto flat = MakeMatrix({{2, 2, 2, 2, 2}});
  flat->SkewKurt(0, 0, 0, 0, g, k);
  EXPECT_EQ(k, 0.0);
  flat->SkewKurtSample(0, 0, 0, 0, g, k);
  EXPECT_EQ(g, 0.0);
  EXPECT_EQ(k, 0.0);
}

// --- quartiles and percentiles ------------------------------------------------------

TEST(MatrixStats, QuartilesInterpolateAndNeverPutQ3BelowTheMedian) {
  double q1 = 0, q2 = 0, q3 = 0;
  auto m = MakeMatrix({{4, 2}, {3, 1}});
  ASSERT_TRUE(m->Quartiles(0, 0, 0, 0, q1, q2, q3));
  EXPECT_EQ(q1, 1.25);
  EXPECT_EQ(q2, 2.5);
  EXPECT_EQ(q3, 3.75);
  auto three = MakeMatrix({{3, 1, 2}});
  three->Quartiles(0, 0, 0, 0, q1, q2, q3);
  EXPECT_EQ(q1, 1.0);
  EXPECT_EQ(q2, 2.0);
  EXPECT_EQ(q3, 3.0);
  // An infinite neighbour leaves an exact rank alone (not inf * 0 = NaN).
  auto withInf = MakeMatrix({{2, std::numeric_limits<double>::infinity(), 3}});
  withInf->Quartiles(0, 0, 0, 0, q1, q2, q3);
  EXPECT_EQ(q2, 3.0);
  auto two = MakeMatrix({{5}, {1}});
  two->Quartiles(0, 0, 0, 0, q1, q2, q3);
  EXPECT_EQ(q1, 1.0);
  EXPECT_EQ(q2, 3.0);
  EXPECT_EQ(q3, 5.0);
  auto one = MakeMatrix({{7, 8}});
  one->Quartiles(1, 2, 1, 2, q1, q2, q3);
  EXPECT_EQ(q1, 8.0);
  EXPECT_EQ(q3, 8.0);
}

TEST(MatrixStats, PercentileRankIsCappedAtTheLargestValue) {
  auto four = MakeMatrix({{4, 1}, {3, 2}});
  EXPECT_EQ(four->Percentile(50, 0, 0, 0, 0), 3.0);  // k = 2
  EXPECT_EQ(four->Percentile(90, 0, 0, 0, 0), 4.0);  // k = round(3.6) = 4, capped at 3
  EXPECT_EQ(four->Percentile(100, 0, 0, 0, 0), 4.0);
  EXPECT_EQ(four->Percentile(250, 0, 0, 0, 0), 4.0);  // clamped to 100
  EXPECT_EQ(four->Percentile(-3, 0, 0, 0, 0), 1.0);
  EXPECT_TRUE(std::isnan(four->Percentile(kNaN, 0, 0, 0, 0)));
  TMatrix ten(nullptr);
  ten.Resize(1, 10);
  ten.FillSerial(1, 1);
  EXPECT_EQ(ten.Percentile(95, 0, 0, 0, 0), 10.0);  // round(9.5) = 10, capped at 9
  EXPECT_EQ(ten.Percentile(25, 0, 0, 0, 0), 3.0);   // k = round(2.5) = 2, halves to even
}

TEST(MatrixStats, SampledPercentileFallsBackOrEstimates) {
  TMatrix m(nullptr);
  m.Resize(10, 10);
  m.FillSerial(1, 1);  // 1..100
  // SampleSize 0, negative or not below n: the exact value.
  EXPECT_EQ(m.Percentile(30, 0, 0, 0, 0, 0), 31.0);
  EXPECT_EQ(m.Percentile(30, 0, 0, 0, 0, -5), 31.0);
  EXPECT_EQ(m.Percentile(30, 0, 0, 0, 0, 100), 31.0);
  // A sample of 60 from 1..100: the result is one of the values and near 50.
  const double p = m.Percentile(50, 0, 0, 0, 0, 60);
  EXPECT_EQ(p, std::floor(p));
  EXPECT_GE(p, 20.0);
  EXPECT_LE(p, 80.0);
  // Only columns 3..4: every draw lies in 21..40.
  for (int i = 0; i < 5; ++i) {
    const double q = m.Percentile(100, 3, 0, 4, 0, 7);
    EXPECT_GE(q, 21.0);
    EXPECT_LE(q, 40.0);
  }
}

TEST(MatrixStats, SampledPercentileIsZeroBetweenTheNegativeAndNonPositiveShares) {
  TMatrix m(nullptr);
  m.Resize(10, 10);  // 10 % negative, 80 % zero, 10 % positive
  m.Fill(1, 1, 0, 0, -5.0);
  m.Fill(10, 10, 0, 0, 7.0);
  EXPECT_EQ(m.Percentile(50, 0, 0, 0, 0, 80), 0.0);
  // At the top the selection runs: the largest sample value.
  const double top = m.Percentile(100, 0, 0, 0, 0, 80);
  EXPECT_TRUE(top == 7.0 || top == 0.0);
}

// --- histogram ------------------------------------------------------------------

TEST(MatrixHistogram, CountsBinsUnderAndOverflow) {
  auto m = MakeMatrix({{-1, 0, 0.5, 9.99}, {10, 10.5, 11, 3}});
  TIntArray h;
  int32_t under = -1, over = -1, maxCnt = -1;
  ASSERT_TRUE(m->Histogram(0, 0, 0, 0, 0, 10, 1, h, under, over, maxCnt));
  ASSERT_EQ(h.size(), 11u);
  EXPECT_EQ(h, (TIntArray{2, 0, 0, 1, 0, 0, 0, 0, 0, 1, 2}));  // 10 and 10.5 in bin 10
  EXPECT_EQ(under, 1);
  EXPECT_EQ(over, 1);  // 11
  EXPECT_EQ(maxCnt, 2);
  ASSERT_TRUE(m->Histogram(2, 2, 1, 2, 0, 10, 1, h, under, over, maxCnt));  // column 2, rows 1..2
  EXPECT_EQ(h[10], 2);
  EXPECT_EQ(under + over, 0);
}

TEST(MatrixHistogram, ValuesBeyondTheRoundedBinCountAreOverflowNotAWritePastTheEnd) {
  int32_t under = 0, over = 0, maxCnt = 0;
  TIntArray h;
  auto a = MakeMatrix({{12, 12.5, 11.9}});
  ASSERT_TRUE(a->Histogram(0, 0, 0, 0, 0, 10, 3, h, under, over, maxCnt));  // 4 bins
  EXPECT_EQ(h, (TIntArray{0, 0, 0, 1}));
  EXPECT_EQ(over, 2);
  auto b = MakeMatrix({{12, 13.9, 11.9}});
  ASSERT_TRUE(
      b->Histogram(0, 0, 0, 0, 0, 10, 4, h, under, over, maxCnt));  // round(2.5) = 2: 3 bins
  EXPECT_EQ(h, (TIntArray{0, 0, 1}));
  EXPECT_EQ(over, 2);
  auto c = MakeMatrix({{1.3, 1.1, kNaN}});
  ASSERT_TRUE(c->Histogram(0, 0, 0, 0, 0, 1, 0.4, h, under, over, maxCnt));  // 3 bins
  EXPECT_EQ(h, (TIntArray{0, 0, 1}));
  EXPECT_EQ(over, 2);  // 1.3 and NaN
}

TEST(MatrixHistogram, RefusesBadWidthsAndTooManyBinsWithoutTouchingOutputs) {
  auto m = MakeMatrix({{1, 2}});
  TIntArray h{7};
  int32_t under = 5, over = 5, maxCnt = 5;
  EXPECT_FALSE(m->Histogram(0, 0, 0, 0, 0, 10, 0, h, under, over, maxCnt));
  EXPECT_FALSE(m->Histogram(0, 0, 0, 0, 0, 10, -1, h, under, over, maxCnt));
  EXPECT_FALSE(m->Histogram(0, 0, 0, 0, 0, 500, 1, h, under, over, maxCnt));  // 501 bins
  EXPECT_FALSE(m->Histogram(0, 0, 0, 0, 0, 1, 1e-300, h, under, over, maxCnt));
  EXPECT_FALSE(m->Histogram(0, 0, 0, 0, kNaN, 1, 1, h, under, over, maxCnt));
  EXPECT_EQ(h, (TIntArray{7}));
  EXPECT_EQ(under + over + maxCnt, 15);
  EXPECT_TRUE(m->Histogram(0, 0, 0, 0, 0, 499, 1, h, under, over, maxCnt));  // 500 bins
  TIntVector v(nullptr);
  // Reversed bounds: |LastBin - FirstBin| sizes the bins, but the overflow
  // limit stays LastBin + BinWidth = 1, so 2 is overflow.
  EXPECT_TRUE(m->Histogram(0, 0, 0, 0, 2, 0, 1, &v, under, over, maxCnt));
  EXPECT_EQ(v.GetNrOfElem(), 3);
  EXPECT_EQ(under, 1);
  EXPECT_EQ(over, 1);
  EXPECT_TRUE(m->Histogram(0, 0, 0, 0, 1, 2, 1, &v, under, over, maxCnt));
  EXPECT_EQ(v.GetNrOfElem(), 2);
  EXPECT_EQ(v.GetVal(1), 1);
  EXPECT_EQ(v.GetVal(2), 1);
  EXPECT_FALSE(
      m->Histogram(0, 0, 0, 0, 0, 1, 1, static_cast<TIntVector*>(nullptr), under, over, maxCnt));
}

// --- means per column or row, standardisation -----------------------------------

TEST(MatrixStandardize, MeanVecGivesOneMeanPerColumnOrRow) {
  auto m = MakeMatrix({{1, 2, 3}, {4, 6, 8}});
  TVector v(nullptr);
  m->MeanVec(TDims::dimColumns, &v);
  EXPECT_EQ(Elems(v), (std::vector<double>{2, 6}));
  m->MeanVec(TDims::dimRows, &v);
  EXPECT_EQ(Elems(v), (std::vector<double>{2.5, 4, 5.5}));
  m->MeanVec(TDims::dimRows, nullptr);
}

TEST(MatrixStandardize, ColumnsBecomeZeroMeanUnitVarianceExceptConstantOnes) {
  auto m = MakeMatrix({{1, 2, 3, 4}, {5, 5, 5, 5}, {10, 20, 30, 60}});
  TVector means(nullptr), sds(nullptr);
  EventLog log;
  log.Attach(*m);
  m->StandardizeColumns(&means, &sds);
  EXPECT_EQ(log.Seq, "C");
  EXPECT_EQ(Elems(means), (std::vector<double>{2.5, 5, 30}));
  EXPECT_DOUBLE_EQ(sds.GetVal(1), std::sqrt(5.0 / 3));
  EXPECT_EQ(sds.GetVal(2), 0.0);
  EXPECT_EQ(Cols(*m)[1], (TDoubleArray{5, 5, 5, 5}));  // variance 0: unchanged
  for (int32_t c : {1, 3}) {
    double mean = 1, var = 0;
    m->MeanVar(c, 0, c, 0, mean, var);
    EXPECT_NEAR(mean, 0, 1e-15);
    EXPECT_NEAR(var, 1, 1e-15);
  }
  auto two = MakeMatrix({{1, 5}, {2, 2}});  // two rows: variance 1 by rule, centred only
  two->StandardizeColumns(nullptr, nullptr);
  EXPECT_EQ(Cols(*two), (TDouble2DArray{{-2, 2}, {0, 0}}));
}

TEST(MatrixStandardize, RowsBecomeZeroMeanUnitVariance) {
  auto m = MakeMatrix({{1, 5}, {2, 5}, {3, 5}, {10, 5}});
  TVector means(nullptr), sds(nullptr);
  m->StandardizeRows(&means, &sds);
  EXPECT_EQ(Elems(means), (std::vector<double>{4, 5}));
  EXPECT_DOUBLE_EQ(sds.GetVal(1), std::sqrt(50.0 / 3));  // deviations -3 -2 -1 6
  EXPECT_EQ(sds.GetVal(2), 0.0);
  double mean = 1, var = 0;
  m->MeanVar(0, 1, 0, 1, mean, var);
  EXPECT_NEAR(mean, 0, 1e-15);
  EXPECT_NEAR(var, 1, 1e-15);
  EXPECT_EQ(m->GetVal(1, 2), 5.0);
}

// A spread of 1e200 has a variance beyond the double range but a finite
// standard deviation: both directions still standardise.
TEST(MatrixStandardize, SpreadsBeyondTheSquareRootOfTheDoubleRange) {
  auto cols = MakeMatrix({{-1e200, 0, 1e200}});
  TVector sds(nullptr);
  cols->StandardizeColumns(nullptr, &sds);
  EXPECT_DOUBLE_EQ(sds.GetVal(1), 1e200);
  EXPECT_EQ(Cols(*cols), (TDouble2DArray{{-1, 0, 1}}));
  auto rows = MakeMatrix({{-1e200}, {0}, {1e200}});
  rows->StandardizeRows(nullptr, &sds);
  EXPECT_DOUBLE_EQ(sds.GetVal(1), 1e200);
  EXPECT_EQ(Cols(*rows), (TDouble2DArray{{-1}, {0}, {1}}));
}

TEST(MatrixStandardize, MeanCenterSubtractsColumnOrRowMeans) {
  auto m = MakeMatrix({{1, 2, 3}, {4, 6, 8}});
  TVector means(nullptr);
  m->MeanCenterColumns(&means);
  EXPECT_EQ(Elems(means), (std::vector<double>{2, 6}));
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{-1, 0, 1}, {-2, 0, 2}}));
  m->MeanCenterRows(&means);
  EXPECT_EQ(Elems(means), (std::vector<double>{-1.5, 0, 1.5}));
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{0.5, 0, -0.5}, {-0.5, 0, 0.5}}));
}

TEST(MatrixStandardize, QNormalizeScalesByTheDistanceToAReferenceQuantile) {
  auto m = MakeMatrix({{1, 2, 3, 4, 5}, {7, 7, 7, 7, 7}});
  TVector med(nullptr), diff(nullptr);
  EventLog log;
  log.Attach(*m);
  // Column 1: median k = round(2.5) = 2 -> 3; the 100th percentile is the
  // maximum 5 (rank capped), so d = 2.
  m->QNormalizeColumns(100, &med, &diff);
  EXPECT_EQ(log.Seq, "C");
  EXPECT_EQ(Elems(med), (std::vector<double>{3, 7}));
  EXPECT_EQ(Elems(diff), (std::vector<double>{2, 0}));
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{-1, -0.5, 0, 0.5, 1}, {7, 7, 7, 7, 7}}));
  auto r = MakeMatrix({{1, 0}, {2, 0}, {9, 0}});
  // Row 1 (1, 2, 9): the 50th percentile has rank round(1.5) = 2, the
  // largest value 9; the 0th is the minimum 1, so d = 8.
  r->QNormalizeRows(0, &med, &diff);
  EXPECT_EQ(Elems(med), (std::vector<double>{9, 0}));
  EXPECT_EQ(Elems(diff), (std::vector<double>{8, 0}));
  EXPECT_EQ(Cols(*r), (TDouble2DArray{{-1, 0}, {-0.875, 0}, {0, 0}}));
}

// x = off + [0, 1, 2, 3, 4], y = off + [0, 2, 2, 6, 4] (by hand Sxx = 10,
// Syy = 20.8, Sxy = 12): r = 3 / sqrt(13) for every offset; one pass gave
// 0.8281 at 1e9 and 0 at 1e10.
TEST(MatrixStandardize, CorrelateDoesNotDependOnAnOffset) {
  const double r = 3 / std::sqrt(13.0);
  for (const double off : {0.0, 1e9, 1e10}) {
    const TDoubleArray x{off, off + 1, off + 2, off + 3, off + 4};
    const TDoubleArray y{off, off + 2, off + 2, off + 6, off + 4};
    auto xCol = MakeMatrix({x});
    auto yCol = MakeMatrix({y});
    EXPECT_NEAR(xCol->Correlate(yCol.get()), r, 2e-16) << "offset " << off;
    EXPECT_EQ(xCol->Correlate(xCol.get()), 1.0) << "offset " << off;
    // The same pairs spread over five columns of one row.
    auto xRow = MakeMatrix({{x[0]}, {x[1]}, {x[2]}, {x[3]}, {x[4]}});
    auto yRow = MakeMatrix({{y[0]}, {y[1]}, {y[2]}, {y[3]}, {y[4]}});
    EXPECT_NEAR(xRow->Correlate(yRow.get()), r, 2e-16) << "offset " << off;
  }
}

TEST(MatrixStandardize, CorrelateTreatsAllCellsAsPairs) {
  auto x = MakeMatrix({{1, 2}, {3, 4}}, "X");
  auto y = MakeMatrix({{2, 4}, {6, 8}});
  EXPECT_NEAR(x->Correlate(y.get()), 1.0, 1e-15);
  y->SMult(-1);
  EXPECT_NEAR(x->Correlate(y.get()), -1.0, 1e-15);
  auto flat = MakeMatrix({{3, 3}, {3, 3}});
  EXPECT_EQ(x->Correlate(flat.get()), 0.0);
  EXPECT_EQ(x->Correlate(nullptr), 0.0);
  auto small = MakeMatrix({{1, 2}});
  auto small2 = MakeMatrix({{2, 1}});
  EXPECT_EQ(small->Correlate(small2.get()), 0.0);  // n <= 2
  try {
    x->Correlate(small.get());
    FAIL() << "no exception";
  } catch (const EZELMatrixError& e) {
    EXPECT_STREQ(e.what(), "Component \"X\": matrices do not match");
  }
}

// --- edge vectors at the limits ----------------------------------------------------

// The standard deviation of the rows (columns) takes the mean first: one
// pass gave 0 for these rows.
TEST(MatrixEdgeVector, StdDevKeepsTheDigitsOfLargeMeans) {
  const double t = 1.7e12;
  auto m = MakeMatrix({{1e10 + 1, t, 0.1}, {1e10 + 2, t + 1000, 0.1}, {1e10 + 3, t + 2000, 0.1}});
  TVector v(nullptr);
  EXPECT_EQ(m->EdgeVector(TOrientation::orRowwise, TEdgeOp::eoStdDev, &v), kMatEdgeOk);
  EXPECT_EQ(Elems(v), (std::vector<double>{1, 1000, 0}));
  m->Transpose();
  EXPECT_EQ(m->EdgeVector(TOrientation::orColwise, TEdgeOp::eoStdDev, &v), kMatEdgeOk);
  EXPECT_EQ(Elems(v), (std::vector<double>{1, 1000, 0}));
  // Over listed indices only (columns 3 and 1 of each row of the original).
  m->Transpose();
  EXPECT_EQ(m->EdgeVector(TOrientation::orRowwise, TEdgeOp::eoStdDev, TIntArray{3, 1, 2}, &v),
            kMatEdgeOk);
  EXPECT_EQ(Elems(v), (std::vector<double>{1, 1000, 0}));
}

TEST(MatrixEdgeVector, NaNIsTheMinimumMaximumAndSpreadOfItsRow) {
  auto m = MakeMatrix({{1, kNaN, 7}, {2, 5, 8}, {3, 6, kNaN}});
  TVector v(nullptr);
  for (const TEdgeOp op : {TEdgeOp::eoMin, TEdgeOp::eoMax, TEdgeOp::eoStdDev, TEdgeOp::eoMean}) {
    m->EdgeVector(TOrientation::orRowwise, op, &v);
    EXPECT_FALSE(std::isnan(v.GetVal(1))) << static_cast<int>(op);
    EXPECT_TRUE(std::isnan(v.GetVal(2))) << static_cast<int>(op);
    EXPECT_TRUE(std::isnan(v.GetVal(3))) << static_cast<int>(op);
  }
  m->EdgeVector(TOrientation::orColwise, TEdgeOp::eoMin, &v);
  EXPECT_EQ(v.GetVal(2), 2.0);
  EXPECT_TRUE(std::isnan(v.GetVal(1)));
  EXPECT_TRUE(std::isnan(v.GetVal(3)));
}

// --- random sub-matrix -------------------------------------------------------------

TEST(MatrixResample, ReportsItsCodesInOrderAndChangesNothing) {
  auto src = MakeMatrix({{1, 2, 3, 4}, {5, 6, 7, 8}});
  TMatrix m(nullptr);
  TIntArray ci{0}, ri{0}, none;
  EXPECT_EQ(m.ResampleExtMat(nullptr, 100, 100, false, ci, ri), kMatResampleNoSource);
  EXPECT_EQ(m.ResampleExtMat(src.get(), 100, 100, false, none, ri), kMatResampleEmptyNumbers);
  EXPECT_EQ(m.ResampleExtMat(src.get(), 0, 10, false, ci, ri),
            kMatResampleBadRowPercent);  // round(0.4) = 0 rows
  EXPECT_EQ(m.ResampleExtMat(src.get(), 0, 101, false, ci, ri), kMatResampleBadRowPercent);
  EXPECT_EQ(m.ResampleExtMat(src.get(), 20, 100, false, ci, ri),
            kMatResampleBadColPercent);  // round(0.4) = 0 columns
  EXPECT_EQ(m.ResampleExtMat(src.get(), 150, 100, false, ci, ri), kMatResampleBadColPercent);
  EXPECT_EQ(m.ResampleExtMat(src.get(), kNaN, 100, false, ci, ri), kMatResampleBadColPercent);
  EXPECT_EQ(ci, (TIntArray{0}));
  EXPECT_EQ(ri, (TIntArray{0}));
  EXPECT_EQ(Cols(m), (TDouble2DArray{{0}}));
}

TEST(MatrixResample, CellsComeFromTheDrawnColumnsAndRows) {
  TMatrix src(nullptr);
  src.Resize(6, 20);
  src.FillSerial(0, 1);  // element (c, r) = (c - 1) * 20 + r - 1
  TMatrix m(nullptr);
  EventLog log;
  log.Attach(m);
  TIntArray ci{0}, ri{0};
  ASSERT_EQ(m.ResampleExtMat(&src, 50, 100, false, ci, ri), kMatResampleOk);
  ASSERT_EQ(ci.size(), 3u);
  ASSERT_EQ(ri.size(), 20u);
  EXPECT_EQ(std::set<int32_t>(ci.begin(), ci.end()).size(), 3u);  // distinct columns
  EXPECT_EQ(std::set<int32_t>(ri.begin(), ri.end()).size(),
            20u);  // a permutation without bootstrap
  for (size_t i = 0; i < ci.size(); ++i)
    for (size_t j = 0; j < ri.size(); ++j)
      ASSERT_EQ(m.GetVal(static_cast<int32_t>(i + 1), static_cast<int32_t>(j + 1)),
                (ci[i] - 1) * 20 + ri[j] - 1);
  EXPECT_EQ(log.Seq, "CR" + std::string(60, 'C') + "CR");
  // All columns: 1, 2, ... in order; bootstrap rows lie in 1..20.
  ASSERT_EQ(m.ResampleExtMat(&src, 100, 50, true, ci, ri), kMatResampleOk);
  EXPECT_EQ(ci, (TIntArray{1, 2, 3, 4, 5, 6}));
  ASSERT_EQ(ri.size(), 10u);
  for (int32_t r : ri) EXPECT_TRUE(r >= 1 && r <= 20);
}

TEST(MatrixResample, PassesOnTheRandomFillsLimitOnDistinctRows) {
  // Distinct rows out of more than 1 000 000 are refused by the random fill.
  TMatrix src(nullptr);
  src.Resize(1, 1000001);
  TMatrix m(nullptr);
  TIntArray ci{0}, ri{0};
  EXPECT_EQ(m.ResampleExtMat(&src, 100, 100, false, ci, ri), kMatResampleTooMany);
  EXPECT_EQ(ri, (TIntArray{0}));
  EXPECT_EQ(m.GetNrOfRows(), 1);
  EXPECT_EQ(m.ResampleExtMat(&src, 100, 0.001, false, ci, ri),
            kMatResampleTooMany);  // 10 of them: still refused
  EXPECT_EQ(m.ResampleExtMat(&src, 100, 0.001, true, ci, ri),
            kMatResampleOk);  // with replacement it works
  EXPECT_EQ(m.GetNrOfRows(), 10);
}

TEST(MatrixResample, FromItselfReadsTheSourceFirst) {
  TMatrix m(nullptr);
  m.Resize(4, 30);
  m.FillSerial(0, 1);
  const TDouble2DArray before = Cols(m);
  TIntArray ci{0}, ri{0};
  ASSERT_EQ(m.ResampleExtMat(&m, 100, 100, true, ci, ri), kMatResampleOk);
  for (size_t i = 0; i < ci.size(); ++i)
    for (size_t j = 0; j < ri.size(); ++j)
      ASSERT_EQ(m.GetMat()[i][j],
                before[static_cast<size_t>(ci[i] - 1)][static_cast<size_t>(ri[j] - 1)]);
}

// --- sorting ---------------------------------------------------------------------

TEST(MatrixSort, CombSortShrinksTheGapFromHighMinusLowAndReportsEachExchange) {
  // Keys 5 4 3 2 1: gaps 3, 2, 1, 1 exchange rows (1,4), (2,5), then (1,2),
  // (4,5).
  auto m = MakeMatrix({{5, 4, 3, 2, 1}, {50, 40, 30, 20, 10}});
  EventLog log;
  log.Attach(*m);
  const double before = ProcStat;
  m->SortRows(1, true, 0, 0, 0, 0);
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{1, 2, 3, 4, 5}, {10, 20, 30, 40, 50}}));
  EXPECT_EQ(log.Exchanges,
            (std::vector<std::vector<int32_t>>{
                {2, 1, 4, 1, 2}, {2, 2, 5, 1, 2}, {2, 1, 2, 1, 2}, {2, 4, 5, 1, 2}}));
  EXPECT_EQ(log.Seq, "C");
  EXPECT_EQ(ProcStat - before, 4.0);  // one progress step per pass
}

TEST(MatrixSort, SortRowsMovesOnlyTheRangeAndTheKeyColumn) {
  auto m = MakeMatrix({{3, 1, 2, 0}, {30, 10, 20, 0}, {300, 100, 200, 0}});
  // Rows 1..3 by column 1 descending, moving column 3 and the key column 1;
  // column 2 stays.
  m->SortRows(1, false, 3, 1, 3, 3);
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{3, 2, 1, 0}, {30, 10, 20, 0}, {300, 200, 100, 0}}));
  EventLog log;
  log.Attach(*m);
  m->SortRows(4, true, 0, 0, 0, 0);  // no such column: nothing
  m->SortRows(0, true, 0, 0, 0, 0);
  m->SortRows(1, true, 0, 2, 0, 2);  // one row: nothing
  EXPECT_EQ(log.Seq, "");
  EXPECT_TRUE(log.Exchanges.empty());
}

TEST(MatrixSort, EqualAndNaNKeysAreNeverExchanged) {
  auto m = MakeMatrix({{2, 1, 2, 1}, {1, 2, 3, 4}});
  EventLog log;
  log.Attach(*m);
  // Gap 2 meets only equal pairs; then gap 1 exchanges (1,2), (3,4), (2,3).
  m->SortRows(1, true, 0, 0, 0, 0);
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{1, 1, 2, 2}, {2, 4, 1, 3}}));
  EXPECT_EQ(log.Exchanges,
            (std::vector<std::vector<int32_t>>{{2, 1, 2, 1, 2}, {2, 3, 4, 1, 2}, {2, 2, 3, 1, 2}}));
  auto n = MakeMatrix({{kNaN, 1}});
  n->SortRows(1, true, 0, 0, 0, 0);
  EXPECT_TRUE(std::isnan(n->GetVal(1, 1)));
}

TEST(MatrixSort, SortColsMovesTheRowRangeAndReportsColumnExchanges) {
  // Columns by row 2 ascending over rows 2..3 only; row 1 stays.
  auto m = MakeMatrix({{1, 9, 90}, {2, 7, 70}, {3, 8, 80}});
  EventLog log;
  log.Attach(*m);
  m->SortCols(2, true, 0, 2, 0, 3);
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{1, 7, 70}, {2, 8, 80}, {3, 9, 90}}));
  ASSERT_FALSE(log.Exchanges.empty());
  for (const auto& e : log.Exchanges) {
    EXPECT_EQ(e[0], 1);
    EXPECT_EQ(e[3], 2);
    EXPECT_EQ(e[4], 3);
  }
  // Whole columns, key row outside the moved rows: the key row moves too.
  auto k = MakeMatrix({{5, 1, 0}, {4, 2, 0}, {6, 3, 0}});
  k->SortCols(1, true, 1, 2, 3, 2);
  EXPECT_EQ(Cols(*k), (TDouble2DArray{{4, 2, 0}, {5, 1, 0}, {6, 3, 0}}));
  k->SortCols(4, true, 0, 0, 0, 0);  // no such row
  EXPECT_EQ(Cols(*k), (TDouble2DArray{{4, 2, 0}, {5, 1, 0}, {6, 3, 0}}));
}

}  // namespace
}  // namespace zel
