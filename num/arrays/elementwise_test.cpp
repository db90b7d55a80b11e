#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "num/arrays/zel_openarrays.hpp"

namespace zel {
namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

TEST(ElementwiseArrays, TwoArrayOperationsCheckEveryDimension) {
  const TDouble2DArray a{{1, 2, 3}, {4, 5, 6}};
  const TDouble2DArray b{{10, 20, 30}, {40, 50, 60}};
  TDouble2DArray c;
  ASSERT_EQ(AddArrays(a, b, c), 0);
  EXPECT_EQ(c, (TDouble2DArray{{11, 22, 33}, {44, 55, 66}}));
  ASSERT_EQ(SubtractArrays(a, b, c), 0);
  EXPECT_EQ(c, (TDouble2DArray{{-9, -18, -27}, {-36, -45, -54}}));
  ASSERT_EQ(MultiplyArraysElemw(a, b, c), 0);
  EXPECT_EQ(c[1][2], 360.0);
  c = {{7}};
  EXPECT_EQ(AddArrays(a, TDouble2DArray{{1, 2, 3}}, c), -2);
  EXPECT_EQ(AddArrays(a, TDouble2DArray{{1, 2}, {3, 4}}, c), -2);  // rows differ
  EXPECT_EQ(c, (TDouble2DArray{{7}}));                             // untouched on failure
  EXPECT_EQ(AddArrays(a, TDouble2DArray{}, c), -1);
  EXPECT_EQ(AddArrays(TDouble2DArray{{1, 2}, {3}}, TDouble2DArray{{1, 2}, {3}}, c), -2);

  TInt4DArray x(2, TInt3DArray(2, TInt2DArray(2, TIntArray(2, 1))));
  TInt4DArray y = x;
  y[1][1][1][1] = 5;
  TInt4DArray z;
  ASSERT_EQ(AddArrays(x, y, z), 0);
  EXPECT_EQ(z[1][1][1][1], 6);
  EXPECT_EQ(z[0][1][0][1], 2);
  y[1][0].pop_back();
  EXPECT_EQ(SubtractArrays(x, y, z), -2);
}

TEST(ElementwiseArrays, ResultMayBeAnOperandAndIntegersWrap) {
  TIntArray a{kMax, kMin, 3};
  const TIntArray b{1, -1, 4};
  ASSERT_EQ(AddArrays(a, b, a), 0);
  EXPECT_EQ(a, (TIntArray{kMin, kMax, 7}));
  TIntArray m;
  ASSERT_EQ(MultiplyArraysElemw(TIntArray{65536}, TIntArray{65536}, m), 0);
  EXPECT_EQ(m[0], 0);  // 2^32 wraps to 0
}

TEST(ElementwiseArrays, ScalarOperationsInPlaceAndIntoResult) {
  TDouble3DArray a(2, TDouble2DArray(2, TDoubleArray(2, 2.0)));
  a[1][0][1] = -3;
  TDouble3DArray r;
  ASSERT_EQ(AddScalarToArray(a, 0.5, r), 0);
  EXPECT_EQ(r[1][0][1], -2.5);
  EXPECT_EQ(r[0][0][0], 2.5);
  ASSERT_EQ(MultiplyArrayByScalar(a, 4.0, r), 0);
  EXPECT_EQ(r[1][0][1], -12.0);
  EXPECT_EQ(a[1][0][1], -3.0);  // source untouched
  ASSERT_EQ(MultiplyArrayByScalar(a, -1.0), 0);
  EXPECT_EQ(a[1][0][1], 3.0);
  ASSERT_EQ(IncArray(a, 1.0), 0);
  EXPECT_EQ(a[0][1][1], -1.0);
  ASSERT_EQ(AbsValArray(a), 0);
  EXPECT_EQ(a[0][1][1], 1.0);
  TIntArray i{-5, kMin, 4};
  ASSERT_EQ(AbsValArray(i), 0);
  EXPECT_EQ(i, (TIntArray{5, kMin, 4}));  // |INT32_MIN| wraps
  EXPECT_EQ(IncArray(i, 1), 0);
  EXPECT_EQ(i[1], kMin + 1);
  TDoubleArray e;
  EXPECT_EQ(IncArray(e, 1.0), -1);
  TInt2DArray ragged{{1}, {1, 2}};
  EXPECT_EQ(MultiplyArrayByScalar(ragged, 2), -2);
}

TEST(ElementwiseArrays, ReciprocalSubstitutesZeros) {
  TDouble2DArray a{{2, 0}, {-4, 0.5}};
  ASSERT_EQ(ReciprocalArray(a, 99.0), 0);
  EXPECT_EQ(a, (TDouble2DArray{{0.5, 99}, {-0.25, 2}}));
}

TEST(NormalizeArrays, UnitLengthAndZeroColumnsReported) {
  TDouble2DArray a{{3, 4}, {0, 0}, {0, -2}};
  EXPECT_EQ(NormalizeColumns(a), -1);
  EXPECT_EQ(a, (TDouble2DArray{{0.6, 0.8}, {0, 0}, {0, -1}}));
  TDouble2DArray b{{3, 0}, {4, 0}};
  EXPECT_EQ(NormalizeRows(b), -1);  // row 1 is all zero
  EXPECT_EQ(b, (TDouble2DArray{{0.6, 0}, {0.8, 0}}));
  TDouble2DArray c{{1, 2}, {1, 2}};
  EXPECT_EQ(NormalizeRows(c), 0);
  EXPECT_DOUBLE_EQ(c[0][1], std::sqrt(0.5));
  TDouble2DArray e;
  EXPECT_EQ(NormalizeColumns(e), -1);
}

// The norm of {1.5e308, 1.5e308} is beyond the double range and the norm of
// subnormals is not exact in double; dividing by either gave 0 or a vector
// off unit length.
TEST(NormalizeArrays, HugeAndSubnormalColumnsAndRowsReachUnitLength) {
  const double r = std::sqrt(0.5);
  for (const double v : {1.5e308, 1e300, 3e-320, std::numeric_limits<double>::denorm_min()}) {
    SCOPED_TRACE(v);
    TDouble2DArray a{{v, v}, {-v, 0}};
    ASSERT_EQ(NormalizeColumns(a), 0);
    EXPECT_EQ(a, (TDouble2DArray{{r, r}, {-1, 0}}));
    TDouble2DArray b{{v, 0}, {v, -v}};
    ASSERT_EQ(NormalizeRows(b), 0);
    EXPECT_EQ(b, (TDouble2DArray{{r, 0}, {r, -1}}));
  }
}

TEST(MeanCenterArrays, MeansReturnedOnlyWhenAsked) {
  TDouble2DArray a{{1, 3}, {10, 20}, {5, 5}};
  TDoubleArray none;
  ASSERT_EQ(MeanCenterColumnsOfArray(a, none), 0);
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(a, (TDouble2DArray{{-1, 1}, {-5, 5}, {0, 0}}));
  TDouble2DArray b{{1, 3}, {10, 20}, {4, 7}};
  TDoubleArray means{0};
  ASSERT_EQ(MeanCenterRowsOfArray(b, means), 0);
  EXPECT_EQ(means, (TDoubleArray{5, 10}));
  EXPECT_EQ(b, (TDouble2DArray{{-4, -7}, {5, 10}, {-1, -3}}));
  means = {1};
  ASSERT_EQ(MeanCenterColumnsOfArray(b, means), 0);
  EXPECT_EQ(means.size(), 3u);
}

TEST(FlipDimArray, ReversesTheNamedDimension) {
  TInt2DArray a{{1, 2, 3}, {4, 5, 6}};
  ASSERT_EQ(FlipDimArray(a, 1), 0);
  EXPECT_EQ(a, (TInt2DArray{{4, 5, 6}, {1, 2, 3}}));
  ASSERT_EQ(FlipDimArray(a, 2), 0);
  EXPECT_EQ(a, (TInt2DArray{{6, 5, 4}, {3, 2, 1}}));
  EXPECT_EQ(FlipDimArray(a, 3), -2);
  EXPECT_EQ(FlipDimArray(a, 0), -2);
  TDouble3DArray b{{{1, 2}, {3, 4}}, {{5, 6}, {7, 8}}};
  ASSERT_EQ(FlipDimArray(b, 3), 0);
  EXPECT_EQ(b[1][0], (TDoubleArray{6, 5}));
  ASSERT_EQ(FlipDimArray(b, 2), 0);
  EXPECT_EQ(b[0][0], (TDoubleArray{4, 3}));
  TInt4DArray c(2, TInt3DArray(1, TInt2DArray(1, TIntArray{1, 2})));
  c[1][0][0] = {3, 4};
  ASSERT_EQ(FlipDimArray(c, 4), 0);
  EXPECT_EQ(c[1][0][0], (TIntArray{4, 3}));
  ASSERT_EQ(FlipDimArray(c, 1), 0);
  EXPECT_EQ(c[0][0][0], (TIntArray{4, 3}));
  EXPECT_EQ(FlipDimArray(c, 5), -2);  // the 4-D form reports it as well
  TIntArray e;
  EXPECT_EQ(FlipDimArray(e, 1), -1);
}

TEST(RemoveRowAndColumn, RemovesAndRejectsBadIndices) {
  TDouble2DArray a{{1, 2, 3}, {4, 5, 6}};
  EXPECT_TRUE(RemoveRow(a, 1));
  EXPECT_EQ(a, (TDouble2DArray{{1, 3}, {4, 6}}));
  EXPECT_FALSE(RemoveRow(a, 2));
  EXPECT_TRUE(RemoveColumn(a, 0));
  EXPECT_EQ(a, (TDouble2DArray{{4, 6}}));
  EXPECT_FALSE(RemoveColumn(a, -1));
  TInt2DArray ragged{{1, 2}, {3}};
  EXPECT_FALSE(RemoveRow(ragged, 0));
}

TEST(SerializeArray, ColumnwiseAndRowwiseOrder) {
  const TInt2DArray a{{1, 2, 3}, {4, 5, 6}};  // 2 columns, 3 rows
  TIntArray out{9};
  ASSERT_EQ(SerializeArray(a, true, out), 0);
  EXPECT_EQ(out, (TIntArray{1, 2, 3, 4, 5, 6}));
  ASSERT_EQ(SerializeArray(a, false, out), 0);
  EXPECT_EQ(out, (TIntArray{1, 4, 2, 5, 3, 6}));
  TIntArray keep{42};
  EXPECT_EQ(SerializeArray(TInt2DArray{}, true, keep), -1);
  EXPECT_EQ(keep, (TIntArray{42}));
}

TEST(BooleanConversions, BoolToNumAndDichotomize) {
  TDoubleArray d;
  ASSERT_EQ(BoolToNumArray<double>(TBoolArray{1, 0, 2}, -1.0, 1.0, d), 0);
  EXPECT_EQ(d, (TDoubleArray{1, -1, 1}));
  TInt2DArray i;
  ASSERT_EQ(BoolToNumArray<int32_t>(TBool2DArray{{0, 1}, {1, 1}}, 0, 7, i), 0);
  EXPECT_EQ(i, (TInt2DArray{{0, 7}, {7, 7}}));
  EXPECT_EQ(BoolToNumArray<int32_t>(TBoolArray{}, 0, 1, i[0]), -1);

  TBool2DArray b;
  ASSERT_EQ(DichotomizeArray(TDouble2DArray{{1, 2}, {3, 4}}, 2.0, b), 0);
  EXPECT_EQ(b, (TBool2DArray{{0, 0}, {1, 1}}));
  ASSERT_EQ(DichotomizeArray(TInt2DArray{{1, 2}, {3, 4}}, 3.0, 2.0, b), 0);  // bounds ordered
  EXPECT_EQ(b, (TBool2DArray{{0, 1}, {1, 0}}));
  TBoolArray b1;
  ASSERT_EQ(DichotomizeArray(TIntArray{5, -5, 0}, 0.0, b1), 0);
  EXPECT_EQ(b1, (TBoolArray{1, 0, 0}));
  EXPECT_EQ(DichotomizeArray(TIntArray{}, 0.0, b1), -1);
}

TEST(DiscretizeArray, MapsToEquallySpacedLevels) {
  TDouble2DArray a{{-1, 0, 0.1, 0.34}, {0.5, 0.9, 0.999999, 1}, {2, std::nan(""), 0.6667, 0.3}};
  ASSERT_EQ(DiscretizeArray(a, 5, 0, 1, 0, 4), kDiscretizeOk);
  // Steps of 1/3 between the thresholds; levels 0, 1, 2, 3, 4.
  EXPECT_EQ(a[0], (TDoubleArray{0, 0, 1, 2}));
  EXPECT_EQ(a[1][0], 2.0);
  EXPECT_EQ(a[1][1], 3.0);
  EXPECT_EQ(a[1][2], 3.0);
  EXPECT_EQ(a[1][3], 4.0);
  EXPECT_EQ(a[2][0], 4.0);
  EXPECT_TRUE(std::isnan(a[2][1]));
  EXPECT_EQ(a[2][2], 3.0);
  EXPECT_EQ(a[2][3], 1.0);
  EXPECT_EQ(DiscretizeArray(a, 5, 1, 1, 0, 4), kDiscretizeBadThresholds);
  EXPECT_EQ(DiscretizeArray(a, 2, 0, 1, 0, 4), kDiscretizeFewLevels);
  TDouble2DArray ragged{{1}, {1, 2}};
  EXPECT_EQ(DiscretizeArray(ragged, 3, 0, 1, 0, 1), kDiscretizeRagged);
  TDouble2DArray big{{0.5}};
  ASSERT_EQ(DiscretizeArray(big, std::numeric_limits<int32_t>::max(), 0, 1, 0, 1), kDiscretizeOk);
  EXPECT_NEAR(big[0][0], 0.5, 1e-9);
}

// level2 - level1 and t2 - t1 overflowed a double: 0.5 became inf or NaN.
TEST(DiscretizeArray, ThresholdsAndLevelsSpanningTheDoubleRange) {
  constexpr double kMax = std::numeric_limits<double>::max();
  TDouble2DArray a{{0.5, 0.25, 0.75}};
  ASSERT_EQ(DiscretizeArray(a, 3, 0, 1, -1e308, 1e308), 0);
  EXPECT_EQ(a[0], (TDoubleArray{0, 0, 0}));  // one step between t1 and t2: the middle level
  a = {{0.1, 0.5, 0.9}};
  ASSERT_EQ(DiscretizeArray(a, 4, 0, 1, -kMax, kMax), 0);
  // Levels -max, -max/3, max/3, max; bins (0, 0.5) and [0.5, 1).
  EXPECT_EQ(a[0][0], -kMax / 3);
  EXPECT_EQ(a[0][1], kMax / 3);
  EXPECT_EQ(a[0][2], kMax / 3);
  a = {{-1e308, 0, 1e307, 1e308}};
  ASSERT_EQ(DiscretizeArray(a, 4, -1e308, 1e308, 0, 3), 0);
  // Thresholds 2e308 apart, two bins of 1e308: 0 and 1e307 fall in the upper.
  EXPECT_EQ(a[0], (TDoubleArray{0, 2, 2, 3}));
  a = {{-1.5e308}};
  ASSERT_EQ(DiscretizeArray(a, 5, -kMax, kMax, 0, 4), 0);
  EXPECT_EQ(a[0][0], 1.0);
}

TEST(MeanAbsDev, OverTheFirstNElements) {
  double d = -1;
  ASSERT_EQ(MeanAbsDev(TDoubleArray{1, 2, 3, 4, 10}, 5, d), 0);
  EXPECT_DOUBLE_EQ(d, 2.4);  // mean 4: (3 + 2 + 1 + 0 + 6) / 5
  ASSERT_EQ(MeanAbsDev(TIntArray{1, 2, 3, 4, 10}, 4, d), 0);
  EXPECT_DOUBLE_EQ(d, 1.0);
  EXPECT_EQ(MeanAbsDev(TIntArray{1}, 2, d), -2);
  EXPECT_EQ(d, 0.0);
  EXPECT_EQ(MeanAbsDev(TIntArray{1}, 0, d), -2);
  EXPECT_EQ(MeanAbsDev(TIntArray{}, 1, d), -1);
}

TEST(AccumulateArray, AddsScaledSourceAndStartsFromEmpty) {
  TDouble2DArray acc;
  const TDouble2DArray s{{1, 2}, {3, 4}};
  ASSERT_EQ(AccumulateArray(acc, s, 2.0), 0);
  ASSERT_EQ(AccumulateArray(acc, s, -0.5), 0);
  EXPECT_EQ(acc, (TDouble2DArray{{1.5, 3}, {4.5, 6}}));
  EXPECT_EQ(AccumulateArray(acc, TDouble2DArray{{1, 2}}, 1.0), -2);
  EXPECT_EQ(AccumulateArray(acc, TDouble2DArray{}, 1.0), -1);
  TIntArray ia{kMax};
  ASSERT_EQ(AccumulateArray(ia, TIntArray{1}, 1), 0);
  EXPECT_EQ(ia[0], kMin);
}

TEST(MultiplyArrays, MatrixProductInColumnStorage) {
  // A (3 x 2) = [1 2; 3 4; 5 6], B (2 x 2) = [7 8; 9 10]; A*B = [25 28; 57 64; 89 100].
  const TDouble2DArray a{{1, 3, 5}, {2, 4, 6}};
  const TDouble2DArray b{{7, 9}, {8, 10}};
  TDouble2DArray c;
  ASSERT_EQ(MultiplyArrays(a, b, c), 0);
  EXPECT_EQ(c, (TDouble2DArray{{25, 57, 89}, {28, 64, 100}}));
  // B (2 x 1) as a single column: A*B is one column of three rows.
  ASSERT_EQ(MultiplyArrays(a, TDouble2DArray{{1, -1}}, c), 0);
  EXPECT_EQ(c, (TDouble2DArray{{-1, -1, -1}}));
  EXPECT_EQ(MultiplyArrays(a, TDouble2DArray{{1, 2, 3}}, c), -2);  // 3 rows, A has 2 columns
  EXPECT_EQ(MultiplyArrays(a, TDouble2DArray{}, c), -1);
  TDouble2DArray sq{{1, 2}, {3, 4}};         // [1 3; 2 4]
  ASSERT_EQ(MultiplyArrays(sq, sq, sq), 0);  // result into an operand
  EXPECT_EQ(sq, (TDouble2DArray{{7, 10}, {15, 22}}));
  TInt2DArray ic;
  ASSERT_EQ(MultiplyArrays(TInt2DArray{{1, 3, 5}, {2, 4, 6}}, TInt2DArray{{7, 9}, {8, 10}}, ic), 0);
  EXPECT_EQ(ic, (TInt2DArray{{25, 57, 89}, {28, 64, 100}}));
  ASSERT_EQ(MultiplyArrays(TInt2DArray{{65536}}, TInt2DArray{{65536}}, ic), 0);
  EXPECT_EQ(ic[0][0], 0);
  ASSERT_EQ(MultiplyArrays(TInt2DArray{{1, 3, 5}, {2, 4, 6}}, b, c), 0);
  EXPECT_EQ(c[1][2], 100.0);
  ASSERT_EQ(MultiplyArrays(a, TInt2DArray{{7, 9}, {8, 10}}, c), 0);
  EXPECT_EQ(c[0][1], 57.0);
}

TEST(MultiplyArrays, OuterProductOfTwoVectors) {
  TDouble2DArray c;
  ASSERT_EQ(MultiplyArrays(TDoubleArray{1, 2, 3}, TDoubleArray{10, 20}, c), 0);
  EXPECT_EQ(c, (TDouble2DArray{{10, 20, 30}, {20, 40, 60}}));
  TInt2DArray ic;
  ASSERT_EQ(MultiplyArrays(TIntArray{2}, TIntArray{3, 4}, ic), 0);
  EXPECT_EQ(ic, (TInt2DArray{{6}, {8}}));
  EXPECT_EQ(MultiplyArrays(TIntArray{}, TIntArray{3, 4}, ic), -1);
}

TEST(PermuteArray, ForwardAndInverseRestoreTheArray) {
  const TDouble2DArray a{{1, 2, 3}, {4, 5, 6}};
  TDouble2DArray r;
  ASSERT_EQ(PermuteArray(a, TInt2DArray{{2, 0, 1}}, TApplyColRow::acrColumns, false, r), 0);
  EXPECT_EQ(r, (TDouble2DArray{{3, 1, 2}, {6, 4, 5}}));
  ASSERT_EQ(PermuteArray(r, TInt2DArray{{2, 0, 1}}, TApplyColRow::acrColumns, true, r), 0);
  EXPECT_EQ(r, a);
  // One permutation per column.
  ASSERT_EQ(PermuteArray(a, TInt2DArray{{0, 1, 2}, {2, 1, 0}}, TApplyColRow::acrColumns, false, r),
            0);
  EXPECT_EQ(r, (TDouble2DArray{{1, 2, 3}, {6, 5, 4}}));
  // Rows: the columns move within each row.
  ASSERT_EQ(PermuteArray(a, TInt2DArray{{1, 0}}, TApplyColRow::acrRows, false, r), 0);
  EXPECT_EQ(r, (TDouble2DArray{{4, 5, 6}, {1, 2, 3}}));
  EXPECT_EQ(PermuteArray(a, TInt2DArray{{0, 0, 1}}, TApplyColRow::acrColumns, false, r), -3);
  EXPECT_EQ(PermuteArray(a, TInt2DArray{{0, 1, 3}}, TApplyColRow::acrColumns, false, r), -3);
  EXPECT_EQ(PermuteArray(a, TInt2DArray{{0, 1}}, TApplyColRow::acrColumns, false, r), -2);
  EXPECT_EQ(PermuteArray(a, TInt2DArray{{0, 1}, {0, 1}, {0, 1}}, TApplyColRow::acrRows, true, r),
            0);
  EXPECT_EQ(PermuteArray(a, TInt2DArray(3, TIntArray{0, 1, 2}), TApplyColRow::acrColumns, false, r),
            -2);
}

TEST(RescaleArray, ModesReturnOffsetAndScale) {
  TDoubleArray a{2, 4, 6, 10, 100};
  double off = -1, sc = -1;
  ASSERT_EQ(RescaleArray(a, 0, 3, TRescaleMode::rmLinear, off, sc), kRescaleOk);
  EXPECT_EQ(off, 2.0);
  EXPECT_EQ(sc, 8.0);
  EXPECT_EQ(a, (TDoubleArray{0, 0.25, 0.5, 1, 100}));  // element 4 outside the range
  TDoubleArray b{1, 2, 3, 4, 5};
  ASSERT_EQ(RescaleArray(b, 0, 4, TRescaleMode::rmStandardize, off, sc), kRescaleOk);
  EXPECT_EQ(off, 3.0);
  EXPECT_NEAR(sc, std::sqrt(2.5), 1e-15);
  double m = 0, v = 0;
  ASSERT_EQ(MeanVarArray(b, 0, 4, m, v), 0);
  EXPECT_NEAR(m, 0, 1e-15);
  EXPECT_NEAR(v, 1, 1e-15);
  TDouble2DArray g{{1, 5}, {3, 7}};
  ASSERT_EQ(RescaleArray(g, 0, 0, 1, 1, TRescaleMode::rmMeanCenter, off, sc), kRescaleOk);
  EXPECT_EQ(off, 4.0);
  EXPECT_EQ(sc, 1.0);
  EXPECT_EQ(g, (TDouble2DArray{{-3, 1}, {-1, 3}}));
  TDoubleArray flat{3, 3, 3};
  EXPECT_EQ(RescaleArray(flat, 0, 2, TRescaleMode::rmLinear, off, sc), kRescaleNoScale);
  EXPECT_EQ(flat, (TDoubleArray{3, 3, 3}));
  EXPECT_EQ(off, 0.0);
  EXPECT_EQ(RescaleArray(flat, 0, 0, TRescaleMode::rmStandardize, off, sc), kRescaleNoScale);
  EXPECT_EQ(RescaleArray(flat, 0, 3, TRescaleMode::rmLinear, off, sc), kRescaleBadRange);
  EXPECT_EQ(RescaleArray(flat, 0, 2, static_cast<TRescaleMode>(7), off, sc), kRescaleBadMode);
}

TEST(VectorProducts, DotAndCrossProducts) {
  double d = -1;
  ASSERT_EQ(VectorDotProduct(TDoubleArray{1, 2, 3}, TDoubleArray{4, -5, 6}, d), 0);
  EXPECT_EQ(d, 12.0);
  EXPECT_EQ(VectorDotProduct(TDoubleArray{1, 2}, TDoubleArray{1}, d), -2);
  EXPECT_EQ(d, 0.0);
  int32_t i = 0;
  ASSERT_EQ(VectorDotProduct(TIntArray{65536, 1}, TIntArray{65536, 5}, i), 0);
  EXPECT_EQ(i, 5);  // 2^32 wraps to 0
  TDoubleArray x{1, 0, 0};
  ASSERT_EQ(VectorCrossProduct(x, TDoubleArray{0, 1, 0}, x), 0);
  EXPECT_EQ(x, (TDoubleArray{0, 0, 1}));
  TIntArray ic;
  ASSERT_EQ(VectorCrossProduct(TIntArray{1, 2, 3}, TIntArray{4, 5, 6}, ic), 0);
  EXPECT_EQ(ic, (TIntArray{-3, 6, -3}));
  EXPECT_EQ(VectorCrossProduct(TIntArray{1, 2}, TIntArray{4, 5}, ic), -2);
  EXPECT_EQ(VectorCrossProduct(TIntArray{}, TIntArray{4, 5, 6}, ic), -1);
}

}  // namespace
}  // namespace zel
