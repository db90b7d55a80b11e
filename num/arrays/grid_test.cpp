#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <set>
#include <utility>
#include <vector>

#include "num/arrays/zel_openarrays.hpp"

namespace zel {
namespace {

// ---------------------------------------------------------------------------
// DistanceOfObjects
// ---------------------------------------------------------------------------

TEST(DistanceOfObjects, ModesOverAColumnRange) {
  // Rows are objects: row 0 = (1, 2, 3), row 1 = (2, 0, 3), row 2 = zeros.
  const TDouble2DArray a{{1, 2, 0}, {2, 0, 0}, {3, 3, 0}};
  double d = -1;
  ASSERT_EQ(DistanceOfObjects(a, TDistMode::dmManhattan, 0, 1, 0, 2, d), kDistanceOk);
  EXPECT_EQ(d, 3.0);
  ASSERT_EQ(DistanceOfObjects(a, TDistMode::dmSqrEuclid, 0, 1, 0, 2, d), kDistanceOk);
  EXPECT_EQ(d, 5.0);
  ASSERT_EQ(DistanceOfObjects(a, TDistMode::dmEuclid, 0, 1, 0, 2, d), kDistanceOk);
  EXPECT_DOUBLE_EQ(d, std::sqrt(5.0));
  // sum xy = 11, sum x^2 = 14, sum y^2 = 13.
  ASSERT_EQ(DistanceOfObjects(a, TDistMode::dmTanimoto, 0, 1, 0, 2, d), kDistanceOk);
  EXPECT_DOUBLE_EQ(d, 11.0 / 16.0);
  ASSERT_EQ(DistanceOfObjects(a, TDistMode::dmDice, 0, 1, 0, 2, d), kDistanceOk);
  EXPECT_DOUBLE_EQ(d, 22.0 / 27.0);
  // Columns 1..1 only: x = 2, y = 0.
  ASSERT_EQ(DistanceOfObjects(a, TDistMode::dmManhattan, 0, 1, 1, 1, d), kDistanceOk);
  EXPECT_EQ(d, 2.0);
}

TEST(DistanceOfObjects, IdenticalAndAllZeroObjects) {
  const TDouble2DArray a{{1, 1, 0, 0}, {5, 5, 0, 0}};
  double d = -1;
  ASSERT_EQ(DistanceOfObjects(a, TDistMode::dmEuclid, 0, 1, 0, 1, d), kDistanceOk);
  EXPECT_EQ(d, 0.0);
  ASSERT_EQ(DistanceOfObjects(a, TDistMode::dmTanimoto, 0, 1, 0, 1, d), kDistanceOk);
  EXPECT_EQ(d, 1.0);
  // Two all-zero rows: 0/0 in the formula, identical objects by definition.
  ASSERT_EQ(DistanceOfObjects(a, TDistMode::dmTanimoto, 2, 3, 0, 1, d), kDistanceOk);
  EXPECT_EQ(d, 1.0);
  ASSERT_EQ(DistanceOfObjects(a, TDistMode::dmDice, 2, 3, 0, 1, d), kDistanceOk);
  EXPECT_EQ(d, 1.0);
}

TEST(DistanceOfObjects, StatusCodesZeroTheResult) {
  const TDouble2DArray a{{1, 2}, {3, 4}};
  double d = 7;
  EXPECT_EQ(DistanceOfObjects(a, TDistMode::dmEuclid, 0, 2, 0, 1, d), kDistanceBadObject);
  EXPECT_EQ(d, 0.0);
  EXPECT_EQ(DistanceOfObjects(a, TDistMode::dmEuclid, -1, 0, 0, 1, d), kDistanceBadObject);
  EXPECT_EQ(DistanceOfObjects(a, TDistMode::dmEuclid, 0, 1, 0, 2, d), kDistanceBadColumn);
  EXPECT_EQ(DistanceOfObjects(a, TDistMode::dmEuclid, 0, 1, 1, 0, d), kDistanceReversedColumns);
  EXPECT_EQ(DistanceOfObjects(a, TDistMode::dmUserDef, 0, 1, 0, 1, d), kDistanceBadMode);
  EXPECT_EQ(DistanceOfObjects(a, static_cast<TDistMode>(17), 0, 1, 0, 1, d), kDistanceBadMode);
  EXPECT_EQ(DistanceOfObjects(TDouble2DArray{}, TDistMode::dmEuclid, 0, 0, 0, 0, d),
            kDistanceEmpty);
  EXPECT_EQ(DistanceOfObjects(TDouble2DArray{{1, 2}, {3}}, TDistMode::dmEuclid, 0, 0, 0, 0, d),
            kDistanceBadObject);
}

// ---------------------------------------------------------------------------
// BoundingRect
// ---------------------------------------------------------------------------

TEST(BoundingRect, FindsFirstAndLastNonZeroColumnsAndRows) {
  TInt2DArray a(4, TIntArray(5, 0));
  a[3][4] = 1;
  int32_t c1 = 0, c2 = 0, r1 = 0, r2 = 0;
  BoundingRect(a, c1, c2, r1, r2);
  EXPECT_EQ(c1, 3);
  EXPECT_EQ(c2, 3);
  EXPECT_EQ(r1, 4);
  EXPECT_EQ(r2, 4);
  a[1][2] = -5;
  a[2][0] = 9;
  BoundingRect(a, c1, c2, r1, r2);
  EXPECT_EQ(c1, 1);
  EXPECT_EQ(c2, 3);
  EXPECT_EQ(r1, 0);
  EXPECT_EQ(r2, 4);

  TDouble2DArray z(3, TDoubleArray(3, 0.0));
  BoundingRect(z, c1, c2, r1, r2);
  EXPECT_EQ(c1, -1);
  EXPECT_EQ(c2, -1);
  EXPECT_EQ(r1, -1);
  EXPECT_EQ(r2, -1);
  z[0][1] = std::numeric_limits<double>::quiet_NaN();  // counts as non-zero
  BoundingRect(z, c1, c2, r1, r2);
  EXPECT_EQ(c1, 0);
  EXPECT_EQ(r2, 1);
  BoundingRect(TDouble2DArray{}, c1, c2, r1, r2);
  EXPECT_EQ(c1, -1);
}

// ---------------------------------------------------------------------------
// FloodFillArray
// ---------------------------------------------------------------------------

TInt2DArray Chessboard(size_t n) {
  TInt2DArray a(n, TIntArray(n));
  for (size_t c = 0; c < n; ++c)
    for (size_t r = 0; r < n; ++r) a[c][r] = static_cast<int32_t>((c + r) % 2);
  return a;
}

TEST(FloodFillArray, ChessboardFourVersusEightNeighbours) {
  TInt2DArray a = Chessboard(6);
  int32_t hr = 0, lr = 0, lc = 0, hc = 0;
  EXPECT_EQ(FloodFillArray(2, 2, 5, true, a, hr, lr, lc, hc), 1);
  EXPECT_EQ(a[2][2], 5);
  EXPECT_EQ(a[3][3], 0);  // the diagonal neighbour is not reached
  EXPECT_EQ(hr, 2);
  EXPECT_EQ(lr, 2);
  EXPECT_EQ(lc, 2);
  EXPECT_EQ(hc, 2);

  a = Chessboard(6);
  EXPECT_EQ(FloodFillArray(2, 2, 5, false, a, hr, lr, lc, hc), 18);
  for (size_t c = 0; c < 6; ++c)
    for (size_t r = 0; r < 6; ++r) EXPECT_EQ(a[c][r], (c + r) % 2 == 0 ? 5 : 1);
  EXPECT_EQ(lr, 0);
  EXPECT_EQ(hr, 5);
  EXPECT_EQ(lc, 0);
  EXPECT_EQ(hc, 5);
}

TEST(FloodFillArray, FourNeighbourFillDoesNotLeakThroughCorners) {
  // Two regions of 0 touching only at a corner, divided by a wall of 1s.
  //   row 0: 0 0 1 1
  //   row 1: 0 0 1 1
  //   row 2: 1 1 0 0
  //   row 3: 1 1 0 0
  TInt2DArray a{{0, 0, 1, 1}, {0, 0, 1, 1}, {1, 1, 0, 0}, {1, 1, 0, 0}};
  int32_t hr = 0, lr = 0, lc = 0, hc = 0;
  EXPECT_EQ(FloodFillArray(0, 0, 7, true, a, hr, lr, lc, hc), 4);
  EXPECT_EQ(a[2][2], 0);
  EXPECT_EQ(hr, 1);
  EXPECT_EQ(hc, 1);
  EXPECT_EQ(FloodFillArray(0, 0, 9, false, a, hr, lr, lc, hc), 4);  // 7s: their own region
  TInt2DArray b{{0, 0, 1, 1}, {0, 0, 1, 1}, {1, 1, 0, 0}, {1, 1, 0, 0}};
  EXPECT_EQ(FloodFillArray(0, 0, 7, false, b, hr, lr, lc, hc), 8);
  EXPECT_EQ(b[3][3], 7);
}

TEST(FloodFillArray, StatusCodes) {
  TInt2DArray a(3, TIntArray(2, 4));
  int32_t hr = 9, lr = 9, lc = 9, hc = 9;
  EXPECT_EQ(FloodFillArray(3, 0, 1, true, a, hr, lr, lc, hc), kFloodFillSeedOutside);
  EXPECT_EQ(hr, 0);
  EXPECT_EQ(FloodFillArray(0, 2, 1, true, a, hr, lr, lc, hc), kFloodFillSeedOutside);
  EXPECT_EQ(FloodFillArray(-1, 0, 1, true, a, hr, lr, lc, hc), kFloodFillSeedOutside);
  EXPECT_EQ(FloodFillArray(0, 0, 4, true, a, hr, lr, lc, hc), kFloodFillSeedIsFill);
  TInt2DArray ragged{{1, 1}, {1}};
  EXPECT_EQ(FloodFillArray(0, 0, 2, true, ragged, hr, lr, lc, hc), kFloodFillRagged);
  TInt2DArray empty;
  EXPECT_EQ(FloodFillArray(0, 0, 2, true, empty, hr, lr, lc, hc), kFloodFillSeedOutside);
}

TEST(FloodFillArray, SerpentineRegionNeedsNoRecursion) {
  // A one-cell-wide corridor winding through 600 x 600 cells; a recursive
  // fill by runs across the columns would nest once per corridor cell.
  const size_t n = 600;
  TInt2DArray a(n, TIntArray(n, 1));
  int64_t expected = 0;
  for (size_t c = 0; c < n; c += 2) {
    for (size_t r = 0; r < n; ++r) a[c][r] = 0;
    expected += static_cast<int64_t>(n);
    if (c + 2 < n) {
      a[c + 1][(c / 2) % 2 == 0 ? n - 1 : 0] = 0;
      ++expected;
    }
  }
  int32_t hr = 0, lr = 0, lc = 0, hc = 0;
  EXPECT_EQ(FloodFillArray(0, 0, 2, true, a, hr, lr, lc, hc), expected);
  EXPECT_EQ(hc, static_cast<int32_t>(n - 2));
  EXPECT_EQ(hr, static_cast<int32_t>(n - 1));
}

TEST(FloodFillArray, ToleranceFormTerminatesWhenFillMatchesSeed) {
  TDouble2DArray a{{1.0, 1.1, 5.0}, {0.95, 3.0, 1.05}};
  int32_t hr = 0, lr = 0, lc = 0, hc = 0;
  // fill == seed and tolerance 0: the cells equal to 1.0, i.e. the seed.
  EXPECT_EQ(FloodFillArray(0, 0, 0.0, 1.0, true, a, hr, lr, lc, hc), 1);
  // Fill inside the tolerance band: every matching cell once.
  EXPECT_EQ(FloodFillArray(0, 0, -0.15, 1.02, true, a, hr, lr, lc, hc), 3);
  EXPECT_EQ(a, (TDouble2DArray{{1.02, 1.02, 5.0}, {1.02, 3.0, 1.05}}));
  EXPECT_EQ(hr, 1);
  EXPECT_EQ(hc, 1);
  // 1.05 at (1, 2) touches the region only diagonally.
  EXPECT_EQ(FloodFillArray(0, 0, 0.1, 9.0, false, a, hr, lr, lc, hc), 4);
  EXPECT_EQ(a[1][2], 9.0);
  TDouble2DArray n{{std::numeric_limits<double>::quiet_NaN(), 1.0}};
  EXPECT_EQ(FloodFillArray(0, 0, 1e9, 0.0, true, n, hr, lr, lc, hc), 0);
  EXPECT_TRUE(std::isnan(n[0][0]));
  EXPECT_EQ(FloodFillArray(0, 5, 0.1, 1.0, true, a, hr, lr, lc, hc), kFloodFillSeedOutside);
}

// ---------------------------------------------------------------------------
// LocalMean, LocalMedian, CheckLinearity
// ---------------------------------------------------------------------------

TEST(LocalMeanAndMedian, WindowClampedToBoundsAroundCentre) {
  const TDoubleArray d{1, 2, 3, 10, 20};
  EXPECT_DOUBLE_EQ(LocalMean(d, 2, 1, 0, 4), 5.0);        // 2, 3, 10
  EXPECT_DOUBLE_EQ(LocalMean(d, 2, 1, 2, 4), 6.5);        // 3, 10: left neighbour outside lo
  EXPECT_DOUBLE_EQ(LocalMean(d, 0, 10, 4, 3), 31.0 / 3);  // centre 1 always, then 10, 20
  EXPECT_DOUBLE_EQ(LocalMean(d, 99, 1, 0, 99), 15.0);     // centre clamped to 4
  EXPECT_DOUBLE_EQ(LocalMean(d, 1, -3, 0, 4), 2.0);
  EXPECT_EQ(LocalMean(TDoubleArray{}, 0, 1, 0, 0), 0.0);
  EXPECT_DOUBLE_EQ(LocalMedian(d, 2, 2, 0, 4), 3.0);
  EXPECT_DOUBLE_EQ(LocalMedian(d, 3, 1, 0, 4), 10.0);
  EXPECT_DOUBLE_EQ(LocalMedian(d, 3, 1, 3, 4), 15.0);  // even count: mean of 10 and 20
  const TIntArray i{5, 1, 4};
  EXPECT_DOUBLE_EQ(LocalMean(i, 1, 1, 0, 2), 10.0 / 3.0);
  EXPECT_DOUBLE_EQ(LocalMedian(i, 1, 1, 0, 1), 3.0);
  EXPECT_EQ(LocalMedian(TIntArray{}, 0, 0, 0, 0), 0.0);
}

// The window loop visits only the distances that reach lo..hi; the values,
// and their order in the long double sum, must be those of the plain loop
// over every distance up to the half width. Values of very different
// magnitude make the sum's rounding depend on that order.
TEST(LocalMeanAndMedian, ClippedLoopMatchesTheFullLoopBitForBit) {
  const TDoubleArray d{1e17, 3, -1e17, 0.1, 7, 1e-3, 2.5e16, -9, 0.7};
  const auto n = static_cast<int64_t>(d.size());
  const auto reference = [&](int32_t centre, int32_t half, int32_t lo, int32_t hi) {
    const auto clamp = [n](int64_t v) { return std::clamp<int64_t>(v, 0, n - 1); };
    const int64_t c = clamp(centre), w = clamp(half);
    int64_t l = clamp(lo), h = clamp(hi);
    if (l > h) std::swap(l, h);
    std::vector<double> v{d[static_cast<size_t>(c)]};
    for (int64_t k = 1; k <= w; ++k) {
      if (c - k >= l && c - k <= h) v.push_back(d[static_cast<size_t>(c - k)]);
      if (c + k >= l && c + k <= h) v.push_back(d[static_cast<size_t>(c + k)]);
    }
    long double sum = 0;
    for (const double x : v) sum += x;
    std::vector<double> sorted = v;
    std::sort(sorted.begin(), sorted.end());
    const size_t m = sorted.size() / 2;
    double median = sorted[m];
    if (sorted.size() % 2 == 0)
      median = static_cast<double>((static_cast<long double>(sorted[m - 1]) + sorted[m]) / 2);
    return std::pair{static_cast<double>(sum / static_cast<long double>(v.size())), median};
  };
  const int32_t big = std::numeric_limits<int32_t>::max();
  for (int32_t c = -1; c <= 9; ++c)
    for (const int32_t half : {-2, 0, 1, 2, 3, 5, 8, 100, big})
      for (int32_t lo = -1; lo <= 9; ++lo)
        for (int32_t hi = -1; hi <= 9; ++hi) {
          SCOPED_TRACE(::testing::Message() << c << " " << half << " " << lo << " " << hi);
          const auto [mean, median] = reference(c, half, lo, hi);
          ASSERT_EQ(LocalMean(d, c, half, lo, hi), mean);
          ASSERT_EQ(LocalMedian(d, c, half, lo, hi), median);
        }
}

// std::sort with a plain < is undefined with NaN; the window sorts NaN last.
TEST(LocalMeanAndMedian, MedianSortsNaNAfterEveryNumber) {
  const double nan = std::nan("");
  EXPECT_EQ(LocalMedian(TDoubleArray{3, nan, 1}, 1, 1, 0, 2), 3.0);  // 1, 3, NaN
  EXPECT_TRUE(std::isnan(LocalMedian(TDoubleArray{nan, 1, nan}, 1, 1, 0, 2)));
  EXPECT_TRUE(std::isnan(LocalMedian(TDoubleArray{5, nan}, 0, 1, 0, 1)));  // mean of 5, NaN
  // Many NaNs among numbers: the numbers below the middle are still ordered.
  TDoubleArray d;
  for (int i = 0; i < 41; ++i) d.push_back(i % 3 == 0 ? nan : 40.0 - i);
  // 27 numbers and 14 NaNs: the middle (rank 20) is the 21st smallest number.
  std::vector<double> numbers;
  for (const double x : d)
    if (!std::isnan(x)) numbers.push_back(x);
  std::sort(numbers.begin(), numbers.end());
  EXPECT_EQ(LocalMedian(d, 20, 20, 0, 40), numbers[20]);
  EXPECT_TRUE(std::isnan(LocalMean(d, 20, 20, 0, 40)));
}

// A half width of INT32_MAX on a long array with a window of 3 cells.
TEST(LocalMeanAndMedian, HugeHalfWidthOnLongArrayUsesTheWindowOnly) {
  TIntArray d(5'000'000);
  for (size_t i = 0; i < d.size(); ++i) d[i] = static_cast<int32_t>(i % 1000);
  const int32_t big = std::numeric_limits<int32_t>::max();
  EXPECT_EQ(LocalMean(d, 4'000'000, big, 3'999'999, 4'000'001),
            static_cast<double>(1000.0L / 3));  // 999, 0, 1
  EXPECT_EQ(LocalMedian(d, 4'000'000, big, 3'999'999, 4'000'001), 1.0);
  // Centre outside the window: the centre (10) and lo..hi (998, 999, 0).
  EXPECT_EQ(LocalMedian(d, 10, big, 4'000'998, 4'001'000), 504.0);
}

TEST(CheckLinearity, RecordsPositionsWhereTheStepChanges) {
  TIntArray breaks{99};
  EXPECT_EQ(CheckLinearity(TDoubleArray{0, 1, 2, 4, 6, 7}, 0.1, breaks), 2);
  EXPECT_EQ(breaks, (TIntArray{2, 4}));
  EXPECT_EQ(CheckLinearity(TDoubleArray{0, 1, 2.05, 3.1}, 0.1, breaks), 0);
  EXPECT_TRUE(breaks.empty());
  breaks = {99};
  EXPECT_EQ(CheckLinearity(TDoubleArray{0, 1}, 0.1, breaks), 0);
  EXPECT_EQ(breaks, (TIntArray{99}));  // unchanged below 3 values
  EXPECT_EQ(CheckLinearity(TIntArray{3, 5, 7, 8, 9}, breaks), 1);
  EXPECT_EQ(breaks, (TIntArray{2}));
  // Steps -2^31 and 2^31: equal if they wrapped as 32-bit values.
  const int32_t hi = std::numeric_limits<int32_t>::max();
  EXPECT_EQ(CheckLinearity(TIntArray{hi, -1, hi}, breaks), 1);
  EXPECT_EQ(breaks, (TIntArray{1}));
}

// ---------------------------------------------------------------------------
// ListCellPositions
// ---------------------------------------------------------------------------

TEST(ListCellPositions, OneDimensionalWithLimitAndOffset) {
  const TBoolArray a{0, 1, 1, 0, 1};
  TIntArray pos;
  EXPECT_EQ(ListCellPositions(a, true, 0, 0, pos), 3);
  EXPECT_EQ(pos, (TIntArray{1, 2, 4}));
  EXPECT_EQ(ListCellPositions(a, true, 2, 10, pos), 2);
  EXPECT_EQ(pos, (TIntArray{11, 12}));
  EXPECT_EQ(ListCellPositions(a, false, 99, 0, pos), 2);
  EXPECT_EQ(pos, (TIntArray{0, 3}));
  EXPECT_EQ(ListCellPositions(TBoolArray{}, true, 0, 0, pos), -1);
  EXPECT_EQ(pos, (TIntArray{0, 3}));
}

TEST(ListCellPositions, TwoDimensionalScansColumnByColumn) {
  const TBool2DArray a{{0, 1}, {1, 1}};
  TInt2DArray pos;
  EXPECT_EQ(ListCellPositions(a, true, -1, 1, pos), 3);
  EXPECT_EQ(pos, (TInt2DArray{{1, 2, 2}, {2, 1, 2}}));
  EXPECT_EQ(ListCellPositions(a, true, 1, 0, pos), 1);
  EXPECT_EQ(pos, (TInt2DArray{{0}, {1}}));
  EXPECT_EQ(ListCellPositions(TBool2DArray{{1}, {1, 0}}, true, 0, 0, pos), -2);
  EXPECT_EQ(ListCellPositions(TBool2DArray{}, true, 0, 0, pos), -1);
}

// ---------------------------------------------------------------------------
// EdgeVector
// ---------------------------------------------------------------------------

TEST(EdgeVector, ReducesColumnsOrRows) {
  // 3 columns x 4 rows.
  const TDouble2DArray a{{1, 2, 3, 4}, {5, 5, 5, 5}, {-1, 0, 1, 10}};
  TDoubleArray r;
  ASSERT_EQ(EdgeVector(a, TOrientation::orColwise, TEdgeOp::eoSum, r), kEdgeOk);
  EXPECT_EQ(r, (TDoubleArray{10, 20, 10}));
  ASSERT_EQ(EdgeVector(a, TOrientation::orRowwise, TEdgeOp::eoMax, r), kEdgeOk);
  EXPECT_EQ(r, (TDoubleArray{5, 5, 5, 10}));
  ASSERT_EQ(EdgeVector(a, TOrientation::orRowwise, TEdgeOp::eoMin, TIntArray{0, 2}, r), kEdgeOk);
  EXPECT_EQ(r, (TDoubleArray{-1, 0, 1, 4}));
  ASSERT_EQ(EdgeVector(a, TOrientation::orColwise, TEdgeOp::eoMean, TIntArray{1, 3}, r), kEdgeOk);
  EXPECT_EQ(r, (TDoubleArray{3, 5, 5}));
  ASSERT_EQ(EdgeVector(a, TOrientation::orColwise, TEdgeOp::eoStdDev, r), kEdgeOk);
  EXPECT_DOUBLE_EQ(r[0], std::sqrt(5.0 / 3.0));
  EXPECT_EQ(r[1], 0.0);
  // Fewer than 3 cells give 0.
  ASSERT_EQ(EdgeVector(a, TOrientation::orColwise, TEdgeOp::eoStdDev, TIntArray{0, 3}, r), kEdgeOk);
  EXPECT_EQ(r, (TDoubleArray{0, 0, 0}));
  const TInt2DArray b{{1, 2}, {3, 4}};
  ASSERT_EQ(EdgeVector(b, TOrientation::orRowwise, TEdgeOp::eoSum, r), kEdgeOk);
  EXPECT_EQ(r, (TDoubleArray{4, 6}));
}

// Standard deviations take the mean first: one pass gave 0 for the first
// row and 1048576 for the time stamps.
TEST(EdgeVector, StdDevKeepsTheDigitsOfLargeMeans) {
  const double t = 1.7e12;
  const TDouble2DArray a{{1e10 + 1, t, 0.1}, {1e10 + 2, t + 1000, 0.1}, {1e10 + 3, t + 2000, 0.1}};
  TDoubleArray r;
  ASSERT_EQ(EdgeVector(a, TOrientation::orRowwise, TEdgeOp::eoStdDev, r), kEdgeOk);
  EXPECT_EQ(r, (TDoubleArray{1, 1000, 0}));
  const TDouble2DArray b{{1e10 + 1, 1e10 + 2, 1e10 + 3}, {t, t + 1000, t + 2000}};
  ASSERT_EQ(EdgeVector(b, TOrientation::orColwise, TEdgeOp::eoStdDev, TIntArray{2, 0, 1}, r),
            kEdgeOk);
  EXPECT_EQ(r, (TDoubleArray{1, 1000}));
}

TEST(EdgeVector, NaNIsTheMinimumMaximumAndSpreadOfItsColumn) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const TDouble2DArray a{{1, 2, 3}, {nan, 5, 6}, {7, 8, nan}};
  TDoubleArray r;
  for (const TEdgeOp op : {TEdgeOp::eoMin, TEdgeOp::eoMax, TEdgeOp::eoStdDev, TEdgeOp::eoSum}) {
    ASSERT_EQ(EdgeVector(a, TOrientation::orColwise, op, r), kEdgeOk);
    EXPECT_FALSE(std::isnan(r[0])) << static_cast<int>(op);
    EXPECT_TRUE(std::isnan(r[1])) << static_cast<int>(op);
    EXPECT_TRUE(std::isnan(r[2])) << static_cast<int>(op);
  }
}

TEST(EdgeVector, SkippedPositionsGiveStatusAndNoNaN) {
  const TDouble2DArray a{{1, 2}, {3, 4}};
  TDoubleArray r;
  EXPECT_EQ(EdgeVector(a, TOrientation::orColwise, TEdgeOp::eoSum, TIntArray{1, 2, -1}, r),
            kEdgeRaggedOrSkipped);
  EXPECT_EQ(r, (TDoubleArray{2, 4}));
  EXPECT_EQ(EdgeVector(a, TOrientation::orColwise, TEdgeOp::eoMean, TIntArray{5}, r),
            kEdgeRaggedOrSkipped);
  EXPECT_EQ(r, (TDoubleArray{0, 0}));
  EXPECT_EQ(EdgeVector(a, TOrientation::orColwise, TEdgeOp::eoMin, TIntArray{5}, r),
            kEdgeRaggedOrSkipped);
  EXPECT_EQ(r, (TDoubleArray{DBL_MAX, DBL_MAX}));
  r = {42};
  EXPECT_EQ(EdgeVector(a, TOrientation::orColwise, static_cast<TEdgeOp>(9), r), kEdgeBadOp);
  EXPECT_EQ(EdgeVector(TDouble2DArray{{1}, {1, 2}}, TOrientation::orColwise, TEdgeOp::eoSum, r),
            kEdgeRaggedOrSkipped);
  EXPECT_EQ(r, (TDoubleArray{42}));
  EXPECT_EQ(EdgeVector(TDouble2DArray{}, TOrientation::orColwise, TEdgeOp::eoSum, r), kEdgeEmpty);
}

// ---------------------------------------------------------------------------
// CreateMaskShape
// ---------------------------------------------------------------------------

std::set<std::pair<int, int>> TrueCells(const TBool2DArray& m) {
  std::set<std::pair<int, int>> s;
  for (size_t c = 0; c < m.size(); ++c)
    for (size_t r = 0; r < m[c].size(); ++r)
      if (m[c][r]) s.insert({static_cast<int>(c), static_cast<int>(r)});
  return s;
}

TEST(CreateMaskShape, RectangleIsInclusiveAndClippedToTheMask) {
  TBool2DArray m(5, TBoolArray(4, 0));
  ASSERT_EQ(CreateMaskShape(m, TShapeKind::skRectangle, TIntArray{3, 2, 1, 1}), kMaskShapeOk);
  EXPECT_EQ(TrueCells(m),
            (std::set<std::pair<int, int>>{{1, 1}, {1, 2}, {2, 1}, {2, 2}, {3, 1}, {3, 2}}));
  TBool2DArray n(2, TBoolArray(2, 0));
  ASSERT_EQ(CreateMaskShape(n, TShapeKind::skRectangle, TIntArray{1, 1, 100, 100}), kMaskShapeOk);
  EXPECT_EQ(TrueCells(n), (std::set<std::pair<int, int>>{{1, 1}}));
  m[0][0] = 1;  // other cells are left as they are
  ASSERT_EQ(CreateMaskShape(m, TShapeKind::skRectangle, TIntArray{4, 3, 4, 3}), kMaskShapeOk);
  EXPECT_TRUE(m[0][0]);
  EXPECT_TRUE(m[4][3]);
}

TEST(CreateMaskShape, EllipseCentreUsesIntegerDivision) {
  // Columns 0..3, one row: centre column (0 + 3) div 2 = 1, semi-axis 1.5;
  // column 3 lies 2 from the centre and stays out, so the segment is
  // lopsided. A zero height is the centre line.
  TBool2DArray m(4, TBoolArray(1, 0));
  ASSERT_EQ(CreateMaskShape(m, TShapeKind::skEllipse, TIntArray{0, 0, 3, 0}), kMaskShapeOk);
  EXPECT_EQ(m, (TBool2DArray{{1}, {1}, {1}, {0}}));
  // 5 x 5 box: the inscribed ellipse with semi-axes 2 touches the edge
  // midpoints but not the corners.
  TBool2DArray e(5, TBoolArray(5, 0));
  ASSERT_EQ(CreateMaskShape(e, TShapeKind::skEllipse, TIntArray{0, 0, 4, 4}), kMaskShapeOk);
  EXPECT_TRUE(e[2][0]);
  EXPECT_TRUE(e[0][2]);
  EXPECT_TRUE(e[4][2]);
  EXPECT_FALSE(e[0][0]);
  EXPECT_FALSE(e[1][0]);  // (1/2)^2 + 1 > 1
  EXPECT_TRUE(e[1][1]);   // 1/4 + 1/4
  EXPECT_EQ(TrueCells(e).size(), 13u);
}

TEST(CreateMaskShape, DiscAndRing) {
  TBool2DArray m(5, TBoolArray(5, 0));
  ASSERT_EQ(CreateMaskShape(m, TShapeKind::skDisc, TIntArray{2, 2, 1}), kMaskShapeOk);
  EXPECT_EQ(TrueCells(m), (std::set<std::pair<int, int>>{{2, 2}, {1, 2}, {3, 2}, {2, 1}, {2, 3}}));
  TBool2DArray r(5, TBoolArray(5, 0));
  ASSERT_EQ(CreateMaskShape(r, TShapeKind::skRing, TIntArray{2, 2, 2, 1}), kMaskShapeOk);
  // Squared distances 1..4: every cell but the centre and the four corners.
  EXPECT_EQ(TrueCells(r).size(), 12u);
  EXPECT_FALSE(r[2][2]);
  EXPECT_TRUE(r[0][2]);
  EXPECT_TRUE(r[1][1]);
  EXPECT_FALSE(r[0][1]);  // distance^2 = 5
  // A disc centred outside the mask paints only what overlaps.
  TBool2DArray o(3, TBoolArray(3, 0));
  ASSERT_EQ(CreateMaskShape(o, TShapeKind::skDisc, TIntArray{-1, 1, 1}), kMaskShapeOk);
  EXPECT_EQ(TrueCells(o), (std::set<std::pair<int, int>>{{0, 1}}));
  ASSERT_EQ(CreateMaskShape(o, TShapeKind::skDisc, TIntArray{1, 1, 2000000000}), kMaskShapeOk);
  EXPECT_EQ(TrueCells(o).size(), 9u);
}

TEST(CreateMaskShape, ParameterErrors) {
  TBool2DArray m(3, TBoolArray(3, 0));
  EXPECT_EQ(CreateMaskShape(m, TShapeKind::skRectangle, TIntArray{0, 0, 1}),
            kMaskShapeBadParamCount);
  EXPECT_EQ(CreateMaskShape(m, TShapeKind::skEllipse, TIntArray{0, 0, 1, 1, 1}),
            kMaskShapeBadParamCount);
  EXPECT_EQ(CreateMaskShape(m, TShapeKind::skDisc, TIntArray{0, 0, 1, 1}), kMaskShapeBadParamCount);
  EXPECT_EQ(CreateMaskShape(m, TShapeKind::skRing, TIntArray{0, 0, 1}), kMaskShapeBadParamCount);
  EXPECT_EQ(CreateMaskShape(m, TShapeKind::skDisc, TIntArray{0, 0, -1}), kMaskShapeNegativeRadius);
  EXPECT_EQ(CreateMaskShape(m, TShapeKind::skRing, TIntArray{0, 0, 1, -2}),
            kMaskShapeNegativeRadius);
  EXPECT_EQ(CreateMaskShape(m, static_cast<TShapeKind>(4), TIntArray{0, 0, 1}), kMaskShapeBadKind);
  EXPECT_TRUE(TrueCells(m).empty());
}

// ---------------------------------------------------------------------------
// Resample2DArray
// ---------------------------------------------------------------------------

TEST(Resample2DArray, AllColumnsInOrderAndRandomRows) {
  TDouble2DArray src(4, TDoubleArray(10));
  for (size_t c = 0; c < 4; ++c)
    for (size_t r = 0; r < 10; ++r) src[c][r] = static_cast<double>(100 * c + r);
  TDouble2DArray dst{{0}};
  TIntArray cn{0}, rn{0};
  ASSERT_EQ(Resample2DArray(src, dst, 100, 50, false, cn, rn), kResampleOk);
  EXPECT_EQ(cn, (TIntArray{1, 2, 3, 4}));
  ASSERT_EQ(rn.size(), 5u);
  EXPECT_EQ(std::set<int32_t>(rn.begin(), rn.end()).size(), 5u);  // no duplicates
  ASSERT_EQ(dst.size(), 4u);
  for (size_t i = 0; i < 4; ++i)
    for (size_t j = 0; j < 5; ++j) {
      ASSERT_GE(rn[j], 1);
      ASSERT_LE(rn[j], 10);
      EXPECT_EQ(dst[i][j], src[static_cast<size_t>(cn[i] - 1)][static_cast<size_t>(rn[j] - 1)]);
    }
  // Half the columns: distinct random ones.
  ASSERT_EQ(Resample2DArray(src, dst, 50, 100, true, cn, rn), kResampleOk);
  ASSERT_EQ(cn.size(), 2u);
  EXPECT_NE(cn[0], cn[1]);
  EXPECT_EQ(rn.size(), 10u);
}

TEST(Resample2DArray, StatusOrderIncludingEmptyOutputsOnEntry) {
  const TDouble2DArray src(3, TDoubleArray(3, 1.0));
  TDouble2DArray dst{{0}}, none;
  TIntArray cn{0}, rn{0}, empty;
  EXPECT_EQ(Resample2DArray(TDouble2DArray{}, dst, 50, 50, false, cn, rn), kResampleEmptySource);
  EXPECT_EQ(Resample2DArray(TDouble2DArray{{1}, {1, 2}}, dst, 50, 50, false, cn, rn),
            kResampleEmptySource);
  EXPECT_EQ(Resample2DArray(src, none, 50, 50, false, cn, rn), kResampleEmptyDest);
  EXPECT_EQ(Resample2DArray(src, dst, 50, 50, false, empty, rn), kResampleEmptyNumbers);
  EXPECT_EQ(Resample2DArray(src, dst, 50, 50, false, cn, empty), kResampleEmptyNumbers);
  EXPECT_EQ(Resample2DArray(src, dst, 101, 50, false, cn, rn), kResampleBadColPercent);
  EXPECT_EQ(Resample2DArray(src, dst, 10, 50, false, cn, rn),
            kResampleBadColPercent);  // round(0.3) = 0
  EXPECT_EQ(Resample2DArray(src, dst, 50, 16, false, cn, rn),
            kResampleBadRowPercent);  // round(0.48) = 0
  EXPECT_EQ(Resample2DArray(src, dst, 50, std::nan(""), false, cn, rn), kResampleBadRowPercent);
  EXPECT_EQ(dst, (TDouble2DArray{{0}}));
  EXPECT_EQ(cn, (TIntArray{0}));
}

TEST(Resample2DArray, RefusedRandomSelectionIsReported) {
  // Drawing rows without replacement from more than 1 000 000 is refused by
  // the random fill; nothing is read from the source then.
  const TDouble2DArray src(1, TDoubleArray(1000001, 2.0));
  TDouble2DArray dst{{0}};
  TIntArray cn{0}, rn{0};
  EXPECT_EQ(Resample2DArray(src, dst, 100, 1, false, cn, rn), kResampleSelectionFailed);
  EXPECT_EQ(dst, (TDouble2DArray{{0}}));
  EXPECT_EQ(Resample2DArray(src, dst, 100, 0.001, true, cn, rn), kResampleOk);
  EXPECT_EQ(dst[0].size(), 10u);
}

// ---------------------------------------------------------------------------
// ConvertToColorMap
// ---------------------------------------------------------------------------

TEST(ConvertToColorMap, ClampsIndicesIntoTheTable) {
  TColorArray colors(3);
  colors.SetColorElem(1, 0x0000FF);
  colors.SetColorElem(2, 0x00FF00);
  colors.SetColorElem(3, 0xFF0000);
  TInt2DArray a{{-5, 1, 2}, {3, 4, 0}};
  ASSERT_EQ(ConvertToColorMap(a, &colors), 0);
  EXPECT_EQ(a, (TInt2DArray{{0x0000FF, 0x0000FF, 0x00FF00}, {0xFF0000, 0xFF0000, 0x0000FF}}));
  TInt2DArray b{{1}};
  EXPECT_EQ(ConvertToColorMap(b, nullptr), -2);
  TColorArray none;
  EXPECT_EQ(ConvertToColorMap(b, &none), -2);
  EXPECT_EQ(b, (TInt2DArray{{1}}));
  TInt2DArray empty(2);
  EXPECT_EQ(ConvertToColorMap(empty, &colors), -1);
}

}  // namespace
}  // namespace zel
