#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "num/arrays/zel_openarrays.hpp"

namespace zel {
namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

TEST(CloneArray, ConvertsElementsAndKeepsShape) {
  TIntArray i;
  ASSERT_EQ(CloneArray(TDoubleArray{2.5, 3.5, -2.5, 1e10, -1e10, std::nan(""), 0.49}, i), 0);
  EXPECT_EQ(i, (TIntArray{2, 4, -2, kMax, kMin, 0, 0}));  // halves to even, saturated
  TDouble3DArray d;
  const TInt3DArray src{{{1, 2}, {3, 4}}, {{5, 6}, {7, 8}}};
  ASSERT_EQ(CloneArray(src, d), 0);
  EXPECT_EQ(d[1][0][1], 6.0);
  EXPECT_EQ(d.size(), 2u);
  EXPECT_EQ(d[1][1].size(), 2u);
  Array2D<float> f;
  ASSERT_EQ(CloneArray(TDouble2DArray{{0.1, 1e300}}, f), 0);
  EXPECT_EQ(f[0][0], 0.1f);
  EXPECT_TRUE(std::isinf(f[0][1]));
  TDouble2DArray back;
  ASSERT_EQ(CloneArray(f, back), 0);
  EXPECT_EQ(back[0][0], static_cast<double>(0.1f));
  TBool2DArray b;
  ASSERT_EQ(CloneArray(TBool2DArray{{1, 0}, {0, 1}}, b), 0);
  EXPECT_EQ(b[1][1], 1);
  TDouble2DArray keep{{9}};
  EXPECT_EQ(CloneArray(TDouble2DArray{{1, 2}, {3}}, keep), -2);
  EXPECT_EQ(CloneArray(TDouble2DArray{}, keep), -1);
  EXPECT_EQ(keep, (TDouble2DArray{{9}}));
}

TEST(CloneAndReverseArray, ReversesWhileConverting) {
  TDoubleArray d;
  ASSERT_EQ(CloneAndReverseArray(TIntArray{1, 2, 3}, d), 0);
  EXPECT_EQ(d, (TDoubleArray{3, 2, 1}));
  TIntArray i;
  ASSERT_EQ(CloneAndReverseArray(TDoubleArray{0.5, 1.5}, i), 0);
  EXPECT_EQ(i, (TIntArray{2, 0}));
  ASSERT_EQ(CloneAndReverseArray(d, d), 0);  // in place
  EXPECT_EQ(d, (TDoubleArray{1, 2, 3}));
  TBoolArray b;
  ASSERT_EQ(CloneAndReverseArray(TBoolArray{1, 0, 0}, b), 0);
  EXPECT_EQ(b, (TBoolArray{0, 0, 1}));
  EXPECT_EQ(CloneAndReverseArray(TSingleArray{}, d), -1);
}

TEST(CopyArray, WholeSourceLandsAtStartPosition) {
  TInt2DArray dst(3, TIntArray(3, 0));
  ASSERT_EQ(CopyArray(TInt2DArray{{1, 2}, {3, 4}}, 1, 0, dst), 0);
  EXPECT_EQ(dst, (TInt2DArray{{0, 0, 0}, {1, 2, 0}, {3, 4, 0}}));
  EXPECT_EQ(CopyArray(TInt2DArray{{1, 2}, {3, 4}}, 2, 0, dst), -2);  // does not fit
  EXPECT_EQ(CopyArray(TInt2DArray{{1, 2}, {3, 4}}, 0, -1, dst), -2);
  EXPECT_EQ(CopyArray(TInt2DArray{{1, 2}, {3, 4}}, 0, 3, dst), -2);
  TInt2DArray empty;
  EXPECT_EQ(CopyArray(TInt2DArray{{1}}, 0, 0, empty), -1);
  EXPECT_EQ(CopyArray(TInt2DArray{}, 0, 0, dst), -1);
  TDoubleArray d(5, 0.0);
  ASSERT_EQ(CopyArray(TDoubleArray{7, 8}, 3, d), 0);
  EXPECT_EQ(d, (TDoubleArray{0, 0, 0, 7, 8}));
  TBoolArray b(3, 0);
  ASSERT_EQ(CopyArray(TBoolArray{1, 1}, 1, b), 0);
  EXPECT_EQ(b, (TBoolArray{0, 1, 1}));
  TDouble4DArray q(2, TDouble3DArray(2, TDouble2DArray(2, TDoubleArray(2, 0.0))));
  ASSERT_EQ(CopyArray(TDouble4DArray{{{{5}}}}, 1, 1, 0, 1, q), 0);
  EXPECT_EQ(q[1][1][0][1], 5.0);
}

TEST(CopyArray, RangedBlocksAndOverlapWithinOneArray) {
  TDouble3DArray src(2, TDouble2DArray(2, TDoubleArray(3)));
  FillArraySerial(src);  // 0..11 column by column
  TDouble3DArray dst(3, TDouble2DArray(3, TDoubleArray(3, -1.0)));
  ASSERT_EQ(CopyArray(src, 1, 0, 1, 1, 1, 2, 0, 1, 0, dst), 0);
  // src[1][0..1][1..2] -> dst[0][1..2][0..1].
  EXPECT_EQ(dst[0][1], (TDoubleArray{7, 8, -1}));
  EXPECT_EQ(dst[0][2], (TDoubleArray{10, 11, -1}));
  EXPECT_EQ(dst[0][0], (TDoubleArray{-1, -1, -1}));
  EXPECT_EQ(CopyArray(src, 1, 0, 1, 1, 1, 2, 0, 2, 0, dst), -2);  // block does not fit
  EXPECT_EQ(CopyArray(src, 0, 0, 0, 2, 0, 0, 0, 0, 0, dst), -2);  // index 2 outside src
  EXPECT_EQ(CopyArray(src, 0, 1, 0, 0, 0, 0, 0, 0, 0, dst), -2);  // reversed
  TIntArray a{1, 2, 3, 4, 5};
  ASSERT_EQ(CopyArray(a, 0, 2, 1, a), 0);  // overlapping move inside one array
  EXPECT_EQ(a, (TIntArray{1, 1, 2, 3, 5}));
  TInt2DArray g{{1, 2}, {3, 4}};
  ASSERT_EQ(CopyArray(g, 0, 0, 0, 1, 1, 0, g), 0);
  EXPECT_EQ(g, (TInt2DArray{{1, 2}, {1, 2}}));
  g = {{1, 2}, {3, 4}};
  ASSERT_EQ(CopyArray(g, 0, 0, 1, 0, 0, 1, g), 0);  // row 0 onto row 1
  EXPECT_EQ(g, (TInt2DArray{{1, 1}, {3, 3}}));
  TInt2DArray ragged{{1, 2}, {3}};
  EXPECT_EQ(CopyArray(TInt2DArray{{1}}, 0, 0, ragged), -2);
}

TEST(CopyArrayColumnAndRow, ColumnIndexCheckedBeforeItsLength) {
  const TInt2DArray a{{1, 2, 3}, {4, 5, 6}};
  TIntArray out{42};
  ASSERT_EQ(CopyArrayColumn(a, 1, 1, 2, out), kLineCopyOk);
  EXPECT_EQ(out, (TIntArray{5, 6}));
  // The column is checked first, though lo/hi are bad too.
  EXPECT_EQ(CopyArrayColumn(a, 2, 0, 9, out), kLineCopyBadIndex);
  EXPECT_EQ(CopyArrayColumn(a, -1, 0, 0, out), kLineCopyBadIndex);
  EXPECT_EQ(CopyArrayColumn(a, 0, 2, 1, out), kLineCopyBadRange);
  EXPECT_EQ(CopyArrayColumn(a, 0, 0, 3, out), kLineCopyBadRange);
  EXPECT_EQ(CopyArrayColumn(TInt2DArray{}, 0, 0, 0, out), kLineCopyEmpty);
  EXPECT_EQ(out, (TIntArray{5, 6}));
  ASSERT_EQ(CopyArrayRow(a, 2, 0, 1, out), kLineCopyOk);
  EXPECT_EQ(out, (TIntArray{3, 6}));
  EXPECT_EQ(CopyArrayRow(a, 3, 0, 1, out), kLineCopyBadIndex);
  EXPECT_EQ(CopyArrayRow(a, 0, 0, 2, out), kLineCopyBadRange);
  TBoolArray bo;
  ASSERT_EQ(CopyArrayRow(TBool2DArray{{1, 0}, {0, 1}}, 1, 0, 1, bo), kLineCopyOk);
  EXPECT_EQ(bo, (TBoolArray{0, 1}));
}

TEST(Copy2DTo1DArray, WritesFromPositionAndShortensToFit) {
  const TDouble2DArray a{{1, 2, 3}, {4, 5, 6}};
  TDoubleArray d(4, 0.0);
  ASSERT_EQ(Copy2DColTo1DArray(a, 1, 0, 2, d, 2), kLineCopyOk);
  EXPECT_EQ(d, (TDoubleArray{0, 0, 4, 5}));
  ASSERT_EQ(Copy2DRowTo1DArray(a, 2, 0, 1, d, 0), kLineCopyOk);
  EXPECT_EQ(d, (TDoubleArray{3, 6, 4, 5}));
  EXPECT_EQ(Copy2DColTo1DArray(a, 2, 5, 1, d, 0), kLineCopyBadIndex);
  EXPECT_EQ(Copy2DColTo1DArray(a, 0, 1, 0, d, 0), kLineCopyBadRange);
  EXPECT_EQ(Copy2DColTo1DArray(a, 0, 0, 1, d, 4), kLineCopyBadPos);
  EXPECT_EQ(Copy2DRowTo1DArray(a, 3, 0, 1, d, 0), kLineCopyBadIndex);
  EXPECT_EQ(Copy2DRowTo1DArray(a, 0, 0, 2, d, 0), kLineCopyBadRange);
  EXPECT_EQ(Copy2DRowTo1DArray(TDouble2DArray{}, 0, 0, 0, d, 0), kLineCopyEmpty);
  TDoubleArray empty;
  EXPECT_EQ(Copy2DRowTo1DArray(a, 0, 0, 1, empty, 0), kLineCopyBadPos);
}

TEST(CopyToArrayColumnAndRow, WholeSourceByDefaultAndStopsAtTheEnd) {
  TDouble2DArray g(2, TDoubleArray(3, 0.0));
  ASSERT_EQ(CopyToArrayColumn(TDoubleArray{7, 8, 9}, 0, 0, 1, 1, g), kLineWriteOk);
  EXPECT_EQ(g, (TDouble2DArray{{0, 0, 0}, {0, 7, 8}}));
  ASSERT_EQ(CopyToArrayRow(TDoubleArray{5, 6, 7}, 1, 2, 2, 0, g), kLineWriteOk);
  EXPECT_EQ(g, (TDouble2DArray{{0, 0, 6}, {0, 7, 7}}));
  EXPECT_EQ(CopyToArrayColumn(TDoubleArray{1}, 0, 1, 0, 0, g), kLineWriteBadRange);
  EXPECT_EQ(CopyToArrayColumn(TDoubleArray{}, 0, 0, 0, 0, g), kLineWriteBadRange);
  EXPECT_EQ(CopyToArrayColumn(TDoubleArray{1, 2}, 1, 0, 0, 0, g), kLineWriteBadRange);
  EXPECT_EQ(CopyToArrayColumn(TDoubleArray{1}, 0, 0, 2, 0, g), kLineWriteBadDest);
  EXPECT_EQ(CopyToArrayColumn(TDoubleArray{1}, 0, 0, 0, 3, g), kLineWriteBadDest);
  EXPECT_EQ(CopyToArrayRow(TDoubleArray{1}, 0, 0, 3, 0, g), kLineWriteBadDest);
  EXPECT_EQ(CopyToArrayRow(TDoubleArray{1}, 0, 0, 0, 2, g), kLineWriteBadDest);
  TInt2DArray h{{1, 2, 3}, {0, 0, 0}};
  ASSERT_EQ(CopyToArrayColumn(h[0], 0, 0, 0, 1, h), kLineWriteOk);  // source is a column of dst
  EXPECT_EQ(h[0], (TIntArray{1, 1, 2}));
  TBool2DArray b(2, TBoolArray(2, 0));
  ASSERT_EQ(CopyToArrayRow(TBoolArray{1, 1}, 0, 0, 1, 0, b), kLineWriteOk);
  EXPECT_EQ(b, (TBool2DArray{{0, 1}, {0, 1}}));
}

TEST(RetiredRoutines, CopyVectorToArrayRaisesDeprecation) {
  TDouble2DArray g(2, TDoubleArray(2));
  TInt2DArray h(2, TIntArray(2));
  TBool2DArray b(2, TBoolArray(2));
  try {
    CopyVectorToArrayColumn(TDoubleArray{1}, 0, 0, 0, 0, g);
    FAIL() << "no exception";
  } catch (const EZELError& e) {
    EXPECT_STREQ(e.what(), "deprecated function, see help for details");
  }
  EXPECT_THROW(CopyVectorToArrayRow(TIntArray{1}, 0, 0, 0, 0, h), EZELError);
  EXPECT_THROW(CopyVectorToArrayColumn(TBoolArray{1}, 0, 0, 0, 0, b), EZELError);
  EXPECT_THROW(CopyVectorToArrayRow(TDoubleArray{1}, 0, 0, 0, 0, g), EZELError);
}

}  // namespace
}  // namespace zel
