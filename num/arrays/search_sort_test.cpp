#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>

#include "core/zel_random.hpp"
#include "num/arrays/zel_openarrays.hpp"

namespace zel {
namespace {

TEST(FindInArray, IntegerAndStringSearch) {
  EXPECT_EQ(FindInArray(4, TIntArray{1, 4, 4}), 1);
  EXPECT_EQ(FindInArray(5, TIntArray{1, 4, 4}), -2);
  EXPECT_EQ(FindInArray(5, TIntArray{}), -1);
  const TStrArray s{"Alpha", "beta", "Gamma ray", "\xC3\x84pfel"};
  EXPECT_EQ(FindInArray("beta", s, true, true), 1);
  EXPECT_EQ(FindInArray("BETA", s, true, true), -2);
  EXPECT_EQ(FindInArray("BETA", s, false, true), 1);
  EXPECT_EQ(FindInArray("ray", s, true, true), -2);
  EXPECT_EQ(FindInArray("ray", s, true, false), 2);
  EXPECT_EQ(FindInArray("GAMMA", s, false, false), 2);
  EXPECT_EQ(FindInArray("pfel", s, true, false), 3);
  EXPECT_EQ(FindInArray("x", TStrArray{}, true, true), -1);
}

TEST(FindInSortedArray, NearestElementLaterOnTie) {
  const TDoubleArray a{1, 2, 3};
  EXPECT_EQ(FindInSortedArray(2.6, a, true), 2);
  EXPECT_EQ(FindInSortedArray(2.5, a, true), 2);
  EXPECT_EQ(FindInSortedArray(2.4, a, true), 1);
  EXPECT_EQ(FindInSortedArray(0.5, a, true), -2);
  EXPECT_EQ(FindInSortedArray(3.0, a, true), 2);
  EXPECT_EQ(FindInSortedArray(1.0, a, true), 0);
  EXPECT_EQ(FindInSortedArray(1.0, TDoubleArray{}, true), -1);
  const TDoubleArray d{9, 7, 5, 3, 1};
  EXPECT_EQ(FindInSortedArray(5.0, d, false), 2);
  EXPECT_EQ(FindInSortedArray(6.0, d, false), 2);  // tie: the later element
  EXPECT_EQ(FindInSortedArray(6.5, d, false), 1);
  EXPECT_EQ(FindInSortedArray(10.0, d, false), -2);
  EXPECT_EQ(FindInSortedArray(4.0, TDoubleArray{4}, true), 0);
}

class SortArrayTest : public ::testing::Test {
 protected:
  void TearDown() override {
    MathFeedBackProc = nullptr;
    AbortMathProc = false;
  }
};

TEST_F(SortArrayTest, IndexHoldsOneBasedOriginalPositions) {
  TDoubleArray d{3, 1, 2};
  TIntArray idx{99};
  ASSERT_EQ(SortArray(true, d, idx), 0);
  EXPECT_EQ(d, (TDoubleArray{1, 2, 3}));
  EXPECT_EQ(idx, (TIntArray{2, 3, 1}));
  TIntArray i{5, 9, 5, -1};
  ASSERT_EQ(SortArray(false, i, idx), 0);
  EXPECT_EQ(i, (TIntArray{9, 5, 5, -1}));
  EXPECT_EQ(idx[0], 2);
  EXPECT_EQ(idx[3], 4);
  TDoubleArray one{7};
  EXPECT_EQ(SortArray(true, one, idx), -1);
  EXPECT_EQ(idx, (TIntArray{1}));
}

TEST_F(SortArrayTest, SortsRandomDataWithIndexStillPaired) {
  SetRandSeed(77);
  TDoubleArray d(1000);
  for (double& x : d) x = static_cast<double>(Random(50));  // many duplicates
  const TDoubleArray original = d;
  TIntArray idx;
  ASSERT_EQ(SortArray(true, d, idx), 0);
  TDoubleArray expected = original;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(d, expected);
  TIntArray seen = idx;
  std::sort(seen.begin(), seen.end());
  TIntArray all(1000);
  std::iota(all.begin(), all.end(), 1);
  EXPECT_EQ(seen, all);
  for (size_t k = 0; k < d.size(); ++k) ASSERT_EQ(d[k], original[static_cast<size_t>(idx[k] - 1)]);
}

TEST_F(SortArrayTest, FirstGapIsNMinusOneAndEveryPassIsReported) {
  // Sorted input of 10: gaps 9, 6, 4, 3, 2, 1 and nothing exchanged -> 6 passes.
  TDoubleArray d(10);
  std::iota(d.begin(), d.end(), 0.0);
  TIntArray idx;
  std::vector<double> calls;
  MathFeedBackProc = [&](double counter) { calls.push_back(counter); };
  const double before = ProcStat;
  ASSERT_EQ(SortArray(true, d, idx), 0);
  EXPECT_EQ(ProcStat - before, 6.0);
  ASSERT_EQ(calls.size(), 6u);
  EXPECT_EQ(calls.back(), ProcStat);
}

TEST_F(SortArrayTest, AbortFlagClearedFirstAndPolledBeforeEachPass) {
  TIntArray d{5, 4, 3, 2, 1, 0, 9, 8, 7, 6};
  TIntArray idx;
  AbortMathProc = true;  // left over from earlier work: cleared by the sort
  ASSERT_EQ(SortArray(true, d, idx), 0);
  EXPECT_TRUE(std::is_sorted(d.begin(), d.end()));

  TIntArray e{5, 4, 3, 2, 1, 0, 9, 8, 7, 6};
  const TIntArray original = e;
  int passes = 0;
  MathFeedBackProc = [&](double) {
    if (++passes == 2) AbortMathProc = true;
  };
  EXPECT_EQ(SortArray(true, e, idx), -2);
  EXPECT_EQ(passes, 2);  // stopped before the second pass ran
  EXPECT_TRUE(AbortMathProc);
  EXPECT_FALSE(std::is_sorted(e.begin(), e.end()));
  for (size_t k = 0; k < e.size(); ++k) EXPECT_EQ(e[k], original[static_cast<size_t>(idx[k] - 1)]);
}

TEST(SortAndRemoveDuplicates, ReturnsNumberRemoved) {
  TIntArray a{3, 1, 3, 2, 1, 3};
  EXPECT_EQ(SortAndRemoveDuplicates(a, true), 3);
  EXPECT_EQ(a, (TIntArray{1, 2, 3}));
  TIntArray b{3, 1, 2};
  EXPECT_EQ(SortAndRemoveDuplicates(b, false), 0);
  EXPECT_EQ(b, (TIntArray{3, 2, 1}));
  TIntArray c{4};
  EXPECT_EQ(SortAndRemoveDuplicates(c, true), -1);
}

TEST(ShuffleArray, SattoloGivesOneCycleWithoutFixedPoints) {
  SetRandSeed(2024);
  std::map<TIntArray, int> counts;
  for (int trial = 0; trial < 6000; ++trial) {
    TIntArray a{0, 1, 2, 3};
    ASSERT_EQ(ShuffleArray(a), 0);
    // Follow the cycle from 0: it must visit all four positions.
    size_t len = 0;
    int32_t k = 0;
    do {
      ASSERT_NE(a[static_cast<size_t>(k)], k);
      k = a[static_cast<size_t>(k)];
      ++len;
    } while (k != 0 && len <= 4);
    ASSERT_EQ(len, 4u);
    ++counts[a];
  }
  // (4 - 1)! = 6 cyclic permutations, each about 1000 times (sd ~ 29).
  EXPECT_EQ(counts.size(), 6u);
  for (const auto& [perm, n] : counts) EXPECT_NEAR(n, 1000, 150);
  TDoubleArray d{1.5, 2.5};
  ASSERT_EQ(ShuffleArray(d), 0);
  EXPECT_EQ(d, (TDoubleArray{2.5, 1.5}));
  TDoubleArray one{1};
  EXPECT_EQ(ShuffleArray(one), -1);
}

}  // namespace
}  // namespace zel
