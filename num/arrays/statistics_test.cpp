#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <span>

#include "num/arrays/zel_openarrays.hpp"

namespace zel {
namespace {

// 3 columns of 4 rows; a[c][r] = 10*c + r, so a value names its position.
TDouble2DArray Grid() {
  TDouble2DArray a(3, TDoubleArray(4));
  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 4; ++r) a[c][r] = 10.0 * c + r;
  return a;
}

TEST(MeanArray, AveragesInclusiveRangeAndRejectsBadRanges) {
  const TDoubleArray a{1, 2, 3, 4, 10};
  double m = -1;
  EXPECT_EQ(MeanArray(a, 1, 3, m), 0);
  EXPECT_DOUBLE_EQ(m, 3.0);
  EXPECT_EQ(MeanArray(a, 4, 4, m), 0);  // one element
  EXPECT_DOUBLE_EQ(m, 10.0);
  EXPECT_EQ(MeanArray(a, 0, 0, m), 0);  // 0, 0 is element 0, not "all"
  EXPECT_DOUBLE_EQ(m, 1.0);
  m = 7;
  EXPECT_EQ(MeanArray(a, 3, 2, m), kArrayBadRange);
  EXPECT_EQ(m, 0.0);  // output zeroed first
  EXPECT_EQ(MeanArray(a, 0, 5, m), kArrayBadRange);
  EXPECT_EQ(MeanArray(a, -1, 2, m), kArrayBadRange);
  EXPECT_EQ(MeanArray(TDoubleArray{}, 0, 0, m), kArrayEmpty);
  EXPECT_EQ(MeanArray(TIntArray{1, 2}, 0, 1, m), 0);
  EXPECT_DOUBLE_EQ(m, 1.5);
}

TEST(MeanArray, AccumulatesInExtendedPrecision) {
  // In double 1e16 + 1 rounds back to 1e16 and the mean would be 0.
  const TDoubleArray a{1e16, 1, -1e16};
  double m = 0;
  ASSERT_EQ(MeanArray(a, 0, 2, m), 0);
  EXPECT_DOUBLE_EQ(m, 1.0 / 3.0);
}

TEST(MeanArray, TwoDimensionalRangeIsColumnsThenRows) {
  const TDouble2DArray a = Grid();
  double m = 0;
  // Columns 1..2, rows 0..1: 10, 11, 20, 21.
  ASSERT_EQ(MeanArray(a, 1, 0, 2, 1, m), 0);
  EXPECT_DOUBLE_EQ(m, 15.5);
  // Row index 3 exists, column index 3 does not.
  EXPECT_EQ(MeanArray(a, 0, 3, 0, 3, m), 0);
  EXPECT_DOUBLE_EQ(m, 3.0);
  EXPECT_EQ(MeanArray(a, 3, 0, 3, 0, m), kArrayBadRange);
  TDouble2DArray ragged = Grid();
  ragged[2].pop_back();
  EXPECT_EQ(MeanArray(ragged, 0, 0, 0, 0, m), kArrayBadRange);
  EXPECT_EQ(MeanArray(TDouble2DArray(2), 0, 0, 0, 0, m), kArrayEmpty);  // columns without rows
}

TEST(MeanArray, ThreeAndFourDimensionalRanges) {
  TInt3DArray a(2, TInt2DArray(3, TIntArray(4)));
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 4; ++k) a[i][j][k] = 100 * i + 10 * j + k;
  double m = 0;
  ASSERT_EQ(MeanArray(a, 1, 2, 3, 1, 2, 3, m), 0);
  EXPECT_DOUBLE_EQ(m, 123.0);
  ASSERT_EQ(MeanArray(a, 0, 0, 0, 1, 2, 3, m), 0);
  EXPECT_DOUBLE_EQ(m, 61.5);  // 50 + 10 + 1.5
  EXPECT_EQ(MeanArray(a, 0, 0, 0, 1, 3, 3, m), kArrayBadRange);

  TDouble4DArray b(2, TDouble3DArray(2, TDouble2DArray(2, TDoubleArray(3, 1.0))));
  b[1][0][1][2] = 25;
  ASSERT_EQ(MeanArray(b, 1, 0, 1, 2, 1, 0, 1, 2, m), 0);
  EXPECT_DOUBLE_EQ(m, 25.0);
  ASSERT_EQ(MeanArray(b, 0, 0, 0, 0, 1, 1, 1, 2, m), 0);
  EXPECT_DOUBLE_EQ(m, 2.0);  // (23 + 25) / 24
  b[1][1][0].push_back(0);
  EXPECT_EQ(MeanArray(b, 0, 0, 0, 0, 0, 0, 0, 0, m),
            kArrayBadRange);  // ragged at the deepest level
}

TEST(StdDevArray, SampleDeviationAndSingleElement) {
  const TDoubleArray a{2, 4, 4, 4, 5, 5, 7, 9};
  double sd = 0;
  ASSERT_EQ(StdDevArray(a, 0, 7, sd), 0);
  EXPECT_NEAR(sd, std::sqrt(32.0 / 7.0), 1e-15);  // hand computation: sum of squares 32
  EXPECT_EQ(StdDevArray(a, 3, 3, sd), 0);
  EXPECT_EQ(sd, 0.0);
  EXPECT_EQ(StdDevArray(a, 2, 1, sd), kArrayBadRange);
  const TDouble2DArray g = Grid();
  ASSERT_EQ(StdDevArray(g, 0, 1, 2, 1, sd), 0);  // 1, 11, 21 (rows 1 of each column)
  EXPECT_NEAR(sd, 10.0, 1e-14);
}

TEST(MeanVarArray, VarianceIsOneBelowThreeValues) {
  const TIntArray a{1, 5, 9, 13};
  double m = 0, v = 0;
  ASSERT_EQ(MeanVarArray(a, 0, 1, m, v), 0);
  EXPECT_DOUBLE_EQ(m, 3.0);
  EXPECT_EQ(v, 1.0);
  ASSERT_EQ(MeanVarArray(a, 0, 3, m, v), 0);
  EXPECT_DOUBLE_EQ(m, 7.0);
  EXPECT_DOUBLE_EQ(v, 80.0 / 3.0);
  const TDouble2DArray g = Grid();
  ASSERT_EQ(MeanVarArray(g, 0, 0, 2, 0, m, v), 0);  // 0, 10, 20
  EXPECT_DOUBLE_EQ(m, 10.0);
  EXPECT_DOUBLE_EQ(v, 100.0);
  EXPECT_EQ(MeanVarArray(g, 0, 0, 2, 4, m, v), kArrayBadRange);
  EXPECT_EQ(m, 0.0);
  EXPECT_EQ(v, 0.0);
}

// The deviations are exact doubles here, so the results are exact; a
// constant range has exactly no spread even when its sum rounds.
TEST(MeanVarArray, LargeMeansAndConstantRangesAreExact) {
  double m = 0, v = -1, sd = -1;
  const TDoubleArray stamps{1.7e12, 1.7e12 + 1000, 1.7e12 + 2000};
  ASSERT_EQ(MeanVarArray(stamps, 0, 2, m, v), 0);
  EXPECT_EQ(m, 1.7e12 + 1000);
  EXPECT_EQ(v, 1e6);
  ASSERT_EQ(StdDevArray(stamps, 0, 2, sd), 0);
  EXPECT_EQ(sd, 1000.0);
  const TDouble2DArray flat(30, TDoubleArray(100, 0.1));
  ASSERT_EQ(MeanVarArray(flat, 0, 0, 29, 99, m, v), 0);
  EXPECT_EQ(m, 0.1);
  EXPECT_EQ(v, 0.0);
  ASSERT_EQ(StdDevArray(flat, 0, 0, 29, 99, sd), 0);
  EXPECT_EQ(sd, 0.0);
}

TEST(MeanVarArray, NaNGivesNaNNotZero) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const TDoubleArray a{1, nan, 3, 4};
  double m = 0, v = 0, sd = 0;
  ASSERT_EQ(MeanVarArray(a, 0, 3, m, v), 0);
  EXPECT_TRUE(std::isnan(m));
  EXPECT_TRUE(std::isnan(v));  // was 0
  ASSERT_EQ(StdDevArray(a, 0, 3, sd), 0);
  EXPECT_TRUE(std::isnan(sd));
  ASSERT_EQ(MeanVarArray(a, 2, 3, m, v), 0);  // the range leaves it out
  EXPECT_EQ(m, 3.5);
}

TEST(MinMaxArray, NaNIsBothExtremesAtItsPosition) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const TDoubleArray& a :
       {TDoubleArray{nan, 1, 2}, TDoubleArray{1, nan, 2}, TDoubleArray{1, 2, nan}}) {
    int32_t i = -1;
    const auto at = static_cast<int32_t>(std::isnan(a[0]) ? 0 : std::isnan(a[1]) ? 1 : 2);
    EXPECT_TRUE(std::isnan(MaxArray(a, i)));
    EXPECT_EQ(i, at);
    EXPECT_TRUE(std::isnan(MinArray(a, i)));
    EXPECT_EQ(i, at);
    double mn = 0, mx = 0;
    EXPECT_EQ(MinMaxArray(a, mn, mx), 0);
    EXPECT_TRUE(std::isnan(mn) && std::isnan(mx)) << at;
    EXPECT_EQ(MinMaxArray(std::span<const double>(a), mn, mx), 0);
    EXPECT_TRUE(std::isnan(mn) && std::isnan(mx)) << at;
    int32_t imn = -1, imx = -1;
    EXPECT_EQ(MinMaxArray(a, 0, 2, mn, mx, imn, imx), 0);
    EXPECT_TRUE(std::isnan(mn) && std::isnan(mx)) << at;
    EXPECT_EQ(imn, at);
    EXPECT_EQ(imx, at);
  }
  TDouble2DArray g = Grid();
  g[2][1] = nan;
  int32_t c = -1, r = -1;
  EXPECT_TRUE(std::isnan(MaxArray(g, c, r)));
  EXPECT_EQ(c, 2);
  EXPECT_EQ(r, 1);
  int32_t c1 = -1, r1 = -1, c2 = -1, r2 = -1;
  double mn = 0, mx = 0;
  EXPECT_EQ(MinMaxArray(g, 0, 0, 2, 3, mn, mx, c1, r1, c2, r2), 0);
  EXPECT_TRUE(std::isnan(mn) && std::isnan(mx));
  EXPECT_EQ(c1, 2);
  EXPECT_EQ(r1, 1);
  EXPECT_EQ(MinMaxArray(g, 0, 0, 1, 3, mn, mx, c1, r1, c2, r2), 0);  // NaN outside
  EXPECT_EQ(mx, 13.0);
}

TEST(MinMaxArray, ExtremesReportFirstOccurrenceAndPosition) {
  const TDoubleArray a{3, 9, 1, 9, 1};
  int32_t i = -5;
  EXPECT_EQ(MaxArray(a, i), 9.0);
  EXPECT_EQ(i, 1);
  EXPECT_EQ(MinArray(a, i), 1.0);
  EXPECT_EQ(i, 2);
  EXPECT_EQ(MaxArray(TIntArray{-4, -2, -9}), -2);

  TDouble2DArray g = Grid();
  g[1][3] = 99;
  g[2][0] = -5;
  int32_t c = -1, r = -1;
  EXPECT_EQ(MaxArray(g, c, r), 99.0);
  EXPECT_EQ(c, 1);
  EXPECT_EQ(r, 3);
  EXPECT_EQ(MinArray(g, c, r), -5.0);
  EXPECT_EQ(c, 2);
  EXPECT_EQ(r, 0);
  TInt4DArray d(2, TInt3DArray(2, TInt2DArray(2, TIntArray(2, 0))));
  d[1][0][1][1] = 7;
  EXPECT_EQ(MaxArray(d), 7);
}

TEST(MinMaxArray, EmptyArrayGivesInt32LimitsAndKeepsIndex) {
  int32_t i = 42;
  EXPECT_EQ(MaxArray(TDoubleArray{}, i), -2147483648.0);
  EXPECT_EQ(MinArray(TDoubleArray{}, i), 2147483647.0);
  EXPECT_EQ(i, 42);
  EXPECT_EQ(MaxArray(TIntArray{}), std::numeric_limits<int32_t>::min());
  int32_t c = 8, r = 9;
  EXPECT_EQ(MaxArray(TDouble2DArray(3), c, r), -2147483648.0);
  EXPECT_EQ(c, 8);
  EXPECT_EQ(r, 9);
}

TEST(MinMaxArray, WholeArrayFormsOfEveryType) {
  double mn = 1, mx = 1;
  TDouble3DArray a(2, TDouble2DArray(2, TDoubleArray(2, 0.5)));
  a[1][1][0] = -3;
  a[0][1][1] = 8;
  EXPECT_EQ(MinMaxArray(a, mn, mx), 0);
  EXPECT_EQ(mn, -3.0);
  EXPECT_EQ(mx, 8.0);
  float fmn = 0, fmx = 0;
  EXPECT_EQ(MinMaxArray(TSingleArray{2.5f, -1.5f, 7.f}, fmn, fmx), 0);
  EXPECT_EQ(fmn, -1.5f);
  EXPECT_EQ(fmx, 7.f);
  const double raw[] = {4, -2, 6};
  EXPECT_EQ(MinMaxArray(std::span<const double>(raw), mn, mx), 0);
  EXPECT_EQ(mn, -2.0);
  EXPECT_EQ(mx, 6.0);
  int32_t imn = 1, imx = 1;
  EXPECT_EQ(MinMaxArray(std::span<const int32_t>(), imn, imx), kArrayEmpty);
  EXPECT_EQ(imn, 0);
  TInt2DArray ragged{{1, 2}, {3}};
  EXPECT_EQ(MinMaxArray(ragged, imn, imx), kArrayBadRange);
}

TEST(MinMaxArray, RangedReversedBoundsGiveStartValuesNotError) {
  const TIntArray a{5, -1, 8, 3};
  double mn = 0, mx = 0;
  int32_t imin = -1, imax = -1;
  ASSERT_EQ(MinMaxArray(a, 1, 3, mn, mx, imin, imax), 0);
  EXPECT_EQ(mn, -1.0);
  EXPECT_EQ(mx, 8.0);
  EXPECT_EQ(imin, 1);
  EXPECT_EQ(imax, 2);
  // Reversed: status 0 with the start values (MeanArray would give -2).
  ASSERT_EQ(MinMaxArray(a, 3, 1, mn, mx, imin, imax), 0);
  EXPECT_EQ(mn, DBL_MAX);
  EXPECT_EQ(mx, -DBL_MAX);
  EXPECT_EQ(MinMaxArray(a, 0, 4, mn, mx, imin, imax), kArrayBadRange);
  EXPECT_EQ(MinMaxArray(TIntArray{}, 0, 0, mn, mx, imin, imax), kArrayEmpty);

  TDouble2DArray g = Grid();
  int32_t c1, r1, c2, r2;
  ASSERT_EQ(MinMaxArray(g, 1, 1, 2, 2, mn, mx, c1, r1, c2, r2), 0);
  EXPECT_EQ(mn, 11.0);
  EXPECT_EQ(mx, 22.0);
  EXPECT_EQ(c1, 1);
  EXPECT_EQ(r1, 1);
  EXPECT_EQ(c2, 2);
  EXPECT_EQ(r2, 2);
  EXPECT_EQ(MinMaxArray(g, 0, 0, 0, 4, mn, mx, c1, r1, c2, r2),
            kArrayBadRange);  // row 4 does not exist
}

TEST(PercentileArray, RankRoundsHalfToEvenAndIsCapped) {
  EXPECT_EQ(PercentileArray(50, TDoubleArray{4, 1, 3, 2}), 3.0);  // k = round(2) = 2
  const TDoubleArray a{40, 10, 30, 20};
  EXPECT_EQ(PercentileArray(0, a), 10.0);
  EXPECT_EQ(PercentileArray(100, a), 40.0);   // k = 4 capped at 3
  EXPECT_EQ(PercentileArray(62.5, a), 30.0);  // k = round(2.5) = 2, not 3
  EXPECT_EQ(PercentileArray(87.5, a), 40.0);  // k = round(3.5) = 4 -> 3
  EXPECT_EQ(PercentileArray(37.5, a), 30.0);  // k = round(1.5) = 2
  EXPECT_EQ(PercentileArray(250, a), 40.0);   // p clamped
  EXPECT_EQ(PercentileArray(-5, a), 10.0);
  EXPECT_EQ(PercentileArray(std::nan(""), a), 10.0);  // NaN counts as 0
  EXPECT_EQ(PercentileArray(50, TDoubleArray{}), 0.0);
  EXPECT_EQ(PercentileArray(50, TIntArray{7, 1, 5}), 7.0);  // k = round(1.5) = 2
}

// NaN ranks after every number, whatever its position in the data; many
// ties still give the element of the rank.
TEST(PercentileArray, NaNGivesNaNAndTiesKeepTheRank) {
  const double nan = std::nan("");
  for (const TDoubleArray& a :
       {TDoubleArray{nan, 1, 3}, TDoubleArray{1, nan, 3}, TDoubleArray{3, 1, nan}})
    for (const double p : {0.0, 33.4, 50.0, 100.0})
      EXPECT_TRUE(std::isnan(PercentileArray(p, a))) << p;
  EXPECT_TRUE(std::isnan(PercentileArray(0, TDoubleArray{5, 1, 2, nan}, 0, 3)));
  EXPECT_EQ(PercentileArray(0, TDoubleArray{5, 1, 2, nan}, 0, 2), 1.0);  // NaN outside the range
  // 60000 zeros and 40001 ones, scrambled (7919 is prime to 100001).
  TDoubleArray t(100001);
  for (size_t i = 0; i < t.size(); ++i) t[i] = (i * 7919) % t.size() < 60000 ? 0 : 1;
  EXPECT_EQ(PercentileArray(50, t), 0.0);
  EXPECT_EQ(PercentileArray(59.99, t), 0.0);  // k = round(59990.6) = 59991
  EXPECT_EQ(PercentileArray(60, t), 1.0);     // k = round(60000.6) = 60001
}

TEST(PercentileArray, RangedFormsClampAndSwapBounds) {
  const TDoubleArray a{100, 1, 2, 3, 4, 100};
  EXPECT_EQ(PercentileArray(100, a, 1, 4), 4.0);
  EXPECT_EQ(PercentileArray(100, a, 4, 1), 4.0);    // swapped
  EXPECT_EQ(PercentileArray(0, a, -3, 2), 1.0);     // clamped to 0..2
  EXPECT_EQ(PercentileArray(100, a, 0, 0), 100.0);  // 0, 0: all
  const TDouble2DArray g = Grid();
  // Columns 1..2, rows 2..3: 12, 13, 22, 23; reversed bounds are swapped.
  EXPECT_EQ(PercentileArray(0, g, 2, 3, 1, 2), 12.0);
  EXPECT_EQ(PercentileArray(100, g, 2, 3, 1, 2), 23.0);
  EXPECT_EQ(PercentileArray(100, g, 0, 0, 9, 9), 23.0);  // clamped to the array
  EXPECT_EQ(PercentileArray(50, TDouble2DArray{{1, 2}, {3}}, 0, 0, 1, 1), 0.0);  // ragged
}

TEST(FrequDistOfArray, BinsUnderflowOverflowAndLargestCount) {
  const TDoubleArray a{-0.1, 0, 0.5, 3, 3.9, 10, 10.5, 11, std::nan("")};
  TIntArray f;
  int32_t under = -1, over = -1, maxf = -1;
  ASSERT_EQ(FrequDistOfArray(a, 0, 0, 0, 10, 1, f, under, over, maxf), kFrequDistOk);
  ASSERT_EQ(f.size(), 11u);
  EXPECT_EQ(f[0], 2);
  EXPECT_EQ(f[3], 2);
  EXPECT_EQ(f[10], 2);  // 10 and 10.5 in the last bin
  EXPECT_EQ(under, 1);  // -0.1
  EXPECT_EQ(over, 2);   // 11 and NaN
  EXPECT_EQ(maxf, 2);
  // A sub-range only: elements 2..4.
  ASSERT_EQ(FrequDistOfArray(a, 2, 4, 0, 10, 1, f, under, over, maxf), kFrequDistOk);
  EXPECT_EQ(f[0] + f[3], 3);
  EXPECT_EQ(under + over, 0);
}

TEST(FrequDistOfArray, ValidationOrderAndHugeBinCounts) {
  const TDoubleArray a{1, 2, 3};
  TIntArray f{9};
  int32_t u = 5, o = 5, m = 5;
  EXPECT_EQ(FrequDistOfArray(a, 0, 3, 0, 10, 1, f, u, o, m), kFrequDistBadIndex);  // index outside
  EXPECT_EQ(u + o + m, 0);
  EXPECT_EQ(f.size(), 1u);  // untouched on failure
  EXPECT_EQ(FrequDistOfArray(a, 2, 1, 0, 10, 1, f, u, o, m), kFrequDistReversedIndex);
  EXPECT_EQ(FrequDistOfArray(a, 0, 2, 10, 10, 1, f, u, o, m), kFrequDistBadLimits);
  EXPECT_EQ(FrequDistOfArray(a, 0, 2, 0, 10, 0, f, u, o, m), kFrequDistBadBinWidth);
  EXPECT_EQ(FrequDistOfArray(a, 0, 2, 0, 10, 0.001, f, u, o, m), kFrequDistTooManyBins);
  EXPECT_EQ(FrequDistOfArray(a, 0, 2, 0, 10, 1e-300, f, u, o, m),
            kFrequDistTooManyBins);  // no int overflow
  EXPECT_EQ(FrequDistOfArray(a, 0, 2, 0, 1e308, 1e-10, f, u, o, m), kFrequDistTooManyBins);
  EXPECT_EQ(FrequDistOfArray(a, 0, 2, 0, std::nan(""), 1, f, u, o, m), kFrequDistBadLimits);
  EXPECT_EQ(FrequDistOfArray(TDoubleArray{}, 0, 0, 0, 10, 1, f, u, o, m), kFrequDistBadIndex);
}

TEST(FrequDistOfArray, TwoDimensionalAndMaskedForms) {
  const TDouble2DArray g = Grid();  // values 0..3, 10..13, 20..23
  TIntArray f;
  int32_t u, o, m;
  ASSERT_EQ(FrequDistOfArray(g, 0, 0, 0, 0, 0, 20, 10, f, u, o, m), kFrequDistOk);
  ASSERT_EQ(f.size(), 3u);
  EXPECT_EQ(f[0], 4);
  EXPECT_EQ(f[1], 4);
  EXPECT_EQ(f[2], 4);  // 20..23 < high + width
  EXPECT_EQ(o, 0);
  // Columns 1..2, rows 0..1 only.
  ASSERT_EQ(FrequDistOfArray(g, 1, 0, 2, 1, 0, 20, 10, f, u, o, m), kFrequDistOk);
  EXPECT_EQ(f[0], 0);
  EXPECT_EQ(f[1], 2);
  EXPECT_EQ(f[2], 2);
  EXPECT_EQ(FrequDistOfArray(g, 0, 0, 3, 0, 0, 20, 10, f, u, o, m), kFrequDistBadIndex);
  TBool2DArray mask(3, TBoolArray(4, 0));
  mask[1] = {1, 1, 1, 1};  // excludes column 1
  mask[2][3] = 1;
  ASSERT_EQ(FrequDistOfArray(g, mask, 0, 0, 0, 0, 0, 20, 10, f, u, o, m), kFrequDistOk);
  EXPECT_EQ(f[0], 4);
  EXPECT_EQ(f[1], 0);
  EXPECT_EQ(f[2], 3);
  mask.pop_back();
  EXPECT_EQ(FrequDistOfArray(g, mask, 0, 0, 0, 0, 0, 20, 10, f, u, o, m), kFrequDistMaskSize);
}

TEST(CountValues, RangeIsOnePairPerDimension) {
  const TDouble2DArray g = Grid();
  // Columns 0..1 (pair first), rows 2..3: 2, 3, 12, 13.
  EXPECT_EQ(CountValues(g, 0, 1, 2, 3, 0, 100), 4);
  EXPECT_EQ(CountValues(g, 0, 1, 2, 3, 3, 12), 2);
  EXPECT_EQ(CountValues(g, 0, 2, 0, 3, 10, 13), 4);
  EXPECT_EQ(CountValues(g, 0, 3, 0, 3, 0, 100), kArrayBadRange);  // column 3 does not exist
  EXPECT_EQ(CountValues(g, 0, 1, 0, 3, 5, 4), kArrayBadRange);    // low > high
  EXPECT_EQ(CountValues(TIntArray{1, 2, 3, 2}, 0, 3, 2, 2), 2);
  EXPECT_EQ(CountValues(TIntArray{1, 2}, 1, 0, 0, 9), kArrayBadRange);
  EXPECT_EQ(CountValues(TIntArray{}, 0, 0, 0, 9), kArrayEmpty);
  TInt3DArray c(2, TInt2DArray(2, TIntArray(2, 1)));
  EXPECT_EQ(CountValues(c, 0, 1, 1, 1, 0, 1, 1, 1), 4);
}

TEST(SumOfSquaredDiffs, ErrorsComeBackAsResult) {
  EXPECT_DOUBLE_EQ(SumOfSquaredDiffs(TDoubleArray{1, 2, 3}, TDoubleArray{2, 2, 5}), 5.0);
  EXPECT_EQ(SumOfSquaredDiffs(TDoubleArray{}, TDoubleArray{1}), -1.0);
  EXPECT_EQ(SumOfSquaredDiffs(TDoubleArray{1}, TDoubleArray{1, 2}), -2.0);
  const TDouble2DArray g = Grid();
  EXPECT_DOUBLE_EQ(SumOfSquaredDiffs(TDoubleArray{10, 11, 12, 14}, g, 1), 1.0);
  EXPECT_EQ(SumOfSquaredDiffs(TDoubleArray{1, 2, 3, 4}, g, 3), -3.0);
  EXPECT_EQ(SumOfSquaredDiffs(TDoubleArray{1, 2, 3, 4}, g, -1), -3.0);
  EXPECT_EQ(SumOfSquaredDiffs(TDoubleArray{1, 2}, g, 0), -2.0);
}

TEST(PearsonCorrCoeffColsOfArray, HandValueAndInvalidInputGiveZero) {
  // x = 1..4, y = 2, 4, 5, 4: Sxy = 3.5, Sxx = 5, Syy = 4.75 (by hand).
  const TDouble2DArray a{{1, 2, 3, 4}, {2, 4, 5, 4}, {-2, -4, -6, -8}, {3, 3, 3, 3}};
  EXPECT_NEAR(PearsonCorrCoeffColsOfArray(a, 0, 1), 3.5 / std::sqrt(23.75), 1e-15);
  EXPECT_NEAR(PearsonCorrCoeffColsOfArray(a, 0, 2), -1.0, 1e-15);
  EXPECT_EQ(PearsonCorrCoeffColsOfArray(a, 0, 3), 0.0);  // constant column
  EXPECT_EQ(PearsonCorrCoeffColsOfArray(a, 0, 4), 0.0);  // column outside
  EXPECT_EQ(PearsonCorrCoeffColsOfArray(a, -1, 0), 0.0);
  EXPECT_EQ(PearsonCorrCoeffColsOfArray(TDouble2DArray{{1, 2}, {2, 1}}, 0, 1), 0.0);  // n <= 2
  EXPECT_EQ(PearsonCorrCoeffColsOfArray(TDouble2DArray{{1, 2, 3}, {2, 1}}, 0, 1), 0.0);
}

// x = off + [0, 1, 2, 3, 4], y = off + [0, 2, 2, 6, 4]: by hand Sxx = 10,
// Syy = 20.8, Sxy = 12, r = 3 / sqrt(13) at every offset (one pass over the
// raw sums gave 0.8281 at 1e9 and 0 at 1e10).
TEST(PearsonCorrCoeffColsOfArray, DoesNotDependOnAnOffset) {
  const double r = 3 / std::sqrt(13.0);
  for (const double off : {0.0, 1e9, 1e10, -1e12}) {
    const TDouble2DArray a{{off, off + 1, off + 2, off + 3, off + 4},
                           {off, off + 2, off + 2, off + 6, off + 4}};
    EXPECT_NEAR(PearsonCorrCoeffColsOfArray(a, 0, 1), r, 2e-16) << "offset " << off;
    EXPECT_NEAR(PearsonCorrCoeffColsOfArray(a, 1, 0), r, 2e-16) << "offset " << off;
    EXPECT_EQ(PearsonCorrCoeffColsOfArray(a, 0, 0), 1.0) << "offset " << off;  // was 0 at 1e10
    EXPECT_EQ(PearsonCorrCoeffColsOfArray(a, 1, 1), 1.0) << "offset " << off;
  }
}

TEST(PearsonCorrCoeffColsOfArray, NaNGivesNaN) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const TDouble2DArray a{{1, 2, nan, 4}, {2, 4, 5, 4}, {nan, 0, 0, 0}};
  EXPECT_TRUE(std::isnan(PearsonCorrCoeffColsOfArray(a, 0, 1)));  // was 0
  EXPECT_TRUE(std::isnan(PearsonCorrCoeffColsOfArray(a, 1, 0)));
  EXPECT_TRUE(std::isnan(PearsonCorrCoeffColsOfArray(a, 1, 2)));
}

TEST(SumArrayMasked, TrueExcludesCellsAndOwnCodes) {
  const TDouble2DArray g = Grid();
  double s = -1;
  EXPECT_EQ(SumArrayMasked(g, TBool2DArray{}, s), 12);
  EXPECT_DOUBLE_EQ(s, 6 + 46 + 86);
  TBool2DArray all(3, TBoolArray(4, 1));
  EXPECT_EQ(SumArrayMasked(g, all, s), 0);
  EXPECT_EQ(s, 0.0);
  all[2][1] = 0;
  all[0][3] = 0;
  EXPECT_EQ(SumArrayMasked(g, all, s), 2);
  EXPECT_DOUBLE_EQ(s, 21 + 3);
  EXPECT_EQ(SumArrayMasked(TDouble2DArray{}, all, s), -2);
  EXPECT_EQ(SumArrayMasked(g, TBool2DArray(3, TBoolArray(3)), s), -1);
  EXPECT_EQ(SumArrayMasked(TInt2DArray{{1, 2}, {3}}, TBool2DArray{}, s), -1);  // ragged
  EXPECT_EQ(SumArrayMasked(TInt2DArray{{1, 2}, {3, 4}}, TBool2DArray{}, s), 4);
  EXPECT_EQ(s, 10.0);
}

TEST(CountTrueCellsOfArray, RangedFormTakesColumnPairThenRowPair) {
  EXPECT_EQ(CountTrueCellsOfArray(TBoolArray{1, 0, 1, 1}), 3);
  TBool2DArray b(3, TBoolArray(4, 0));
  b[0][3] = 1;
  b[2][0] = 1;
  b[2][1] = 1;
  EXPECT_EQ(CountTrueCellsOfArray(b), 3);
  EXPECT_EQ(CountTrueCellsOfArray(b, 2, 2, 0, 3), 2);  // column 2, all rows
  EXPECT_EQ(CountTrueCellsOfArray(b, 0, 0, 3, 3), 1);  // all columns, row 3
  EXPECT_EQ(CountTrueCellsOfArray(b, 0, 0, 0, 0), 3);  // zeros: whole extent
  EXPECT_EQ(CountTrueCellsOfArray(b, 2, 1, 1, 0), 2);  // reversed pairs exchanged
  EXPECT_EQ(CountTrueCellsOfArray(b, 0, 3, 0, 0), kArrayBadRange);
  EXPECT_EQ(CountTrueCellsOfArray(TBool2DArray{}, 0, 0, 0, 0), kArrayEmpty);
}

TEST(IsMonotone, DirectionFromFirstNonZeroDifference) {
  EXPECT_TRUE(IsMonotone(TDoubleArray{3, 1}));
  EXPECT_TRUE(IsMonotone(TDoubleArray{1, 2, 2, 3}));
  EXPECT_TRUE(IsMonotone(TIntArray{0, 0, 5, 5, 7}));
  EXPECT_FALSE(IsMonotone(TIntArray{0, 0, 5, 5, 2}));
  EXPECT_TRUE(IsMonotone(TIntArray{9, 9, 5, 5, 2}));
  EXPECT_FALSE(IsMonotone(TDoubleArray{1, 3, 2}));
  EXPECT_TRUE(IsMonotone(TDoubleArray{4, 4, 4}));
  EXPECT_FALSE(IsMonotone(TDoubleArray{1, std::nan(""), 3}));
  EXPECT_FALSE(IsStrictlyMonotone(TDoubleArray{1, 2, 2, 3}));
  EXPECT_TRUE(IsStrictlyMonotone(TIntArray{9, 4, 1, -3}));
  EXPECT_FALSE(IsStrictlyMonotone(TIntArray{1, 2, 1}));
  EXPECT_TRUE(IsStrictlyMonotone(TIntArray{5, 5}));  // up to two elements: always
  EXPECT_TRUE(IsStrictlyMonotone(TIntArray{}));
  EXPECT_TRUE(IsStrictlyMonotone(
      TIntArray{std::numeric_limits<int32_t>::min(), 0, std::numeric_limits<int32_t>::max()}));
}

TEST(IsDichotomous, ExactlyTwoDistinctValuesInAscendingOrder) {
  double a = -1, b = -1;
  EXPECT_TRUE(IsDichotomous(TDoubleArray{3, 1, 3, 1, 1}, a, b));
  EXPECT_EQ(a, 1.0);
  EXPECT_EQ(b, 3.0);
  EXPECT_FALSE(IsDichotomous(TDoubleArray{2, 2, 2}, a, b));  // one value is not enough
  EXPECT_EQ(a, 0.0);
  EXPECT_EQ(b, 0.0);
  EXPECT_FALSE(IsDichotomous(TDoubleArray{1, 2, 3}, a, b));
  EXPECT_FALSE(IsDichotomous(TDoubleArray{1}, a, b));
  EXPECT_FALSE(IsDichotomous(TDoubleArray{1, std::nan("")}, a, b));
  int32_t i = 0, j = 0;
  EXPECT_TRUE(IsDichotomous(TIntArray{7, -7}, i, j));
  EXPECT_EQ(i, -7);
  EXPECT_EQ(j, 7);
}

TEST(EqualArrays, ComparesShapeAtEveryDepth) {
  EXPECT_TRUE(EqualArrays(TIntArray{}, TIntArray{}));
  EXPECT_TRUE(EqualArrays(TInt2DArray{{1, 2}, {3}}, TInt2DArray{{1, 2}, {3}}));
  EXPECT_FALSE(EqualArrays(TInt2DArray{{1, 2}, {3}}, TInt2DArray{{1}, {2, 3}}));
  EXPECT_FALSE(EqualArrays(TInt3DArray{{{1}}}, TInt3DArray{{{2}}}));
}

}  // namespace
}  // namespace zel
