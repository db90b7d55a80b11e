#include <gtest/gtest.h>

#include <vector>

#include "core/zel_zelbase.hpp"

namespace zel {
namespace {

TEST(Rectangularity, DetectsRaggedArraysAtEveryDepth) {
  EXPECT_TRUE(IsRectangular(TDoubleArray{1, 2, 3}));
  EXPECT_TRUE(IsRectangular(TDouble2DArray{}));
  EXPECT_TRUE(IsRectangular(TDouble2DArray{{1, 2}, {3, 4}}));
  EXPECT_FALSE(IsRectangular(TDouble2DArray{{1, 2}, {3}}));
  EXPECT_TRUE(IsRectangular(TInt3DArray{{{1}, {2}}, {{3}, {4}}}));
  EXPECT_FALSE(IsRectangular(TInt3DArray{{{1}, {2}}, {{3}, {4, 5}}}));
  EXPECT_FALSE(IsRectangular(TInt3DArray{{{1}, {2}}, {{3}}}));
  TDouble4DArray a4(2, TDouble3DArray(2, TDouble2DArray(2, TDoubleArray(2))));
  EXPECT_TRUE(IsRectangular(a4));
  a4[1][1][1].push_back(0);
  EXPECT_FALSE(IsRectangular(a4));
  EXPECT_TRUE(IsRectangular(TStr2DArray{{"ab", "c"}, {"", "def"}}));
}

TEST(Ranges, NormalizeTakesWholeRangeExchangesAndClamps) {
  int32_t lo = 0, hi = 0;
  NormalizeRange(lo, hi, 1, 10);
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 10);
  lo = 8, hi = 3;
  NormalizeRange(lo, hi, 1, 10);
  EXPECT_EQ(lo, 3);
  EXPECT_EQ(hi, 8);
  lo = -5, hi = 40;
  NormalizeRange(lo, hi, 1, 10);
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 10);
}

TEST(Progress, ReportProgressCountsAndCallsTheHook) {
  ProcStat = 0;
  std::vector<double> seen;
  MathFeedBackProc = [&](double c) { seen.push_back(c); };
  ReportProgress();
  ReportProgress();
  MathFeedBackProc = nullptr;
  ReportProgress();
  EXPECT_EQ(ProcStat, 3.0);
  EXPECT_EQ(seen, (std::vector<double>{1.0, 2.0}));
  ProcStat = 0;
}

}  // namespace
}  // namespace zel
