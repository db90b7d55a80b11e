#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "num/math1/zel_math1.hpp"

namespace zel {
namespace {

// Kinds by ordinal, as the untyped routines read them.
const TVarKind kKindDouble = static_cast<TVarKind>(0);
const TVarKind kKindDouble2 = static_cast<TVarKind>(1);
const TVarKind kKindSingle = static_cast<TVarKind>(2);
const TVarKind kKindInt = static_cast<TVarKind>(3);
const TVarKind kKindInt2 = static_cast<TVarKind>(4);
const TVarKind kKindUnknown = static_cast<TVarKind>(7);

double NthElement(std::vector<double> v, size_t low, size_t high, size_t k) {
  std::nth_element(v.begin() + low, v.begin() + k, v.begin() + high + 1);
  return v[k];
}

TEST(Math1QuickSelect, AgreesWithNthElementOnRandomData) {
  std::mt19937 rng(17);
  for (int n = 1; n <= 60; ++n) {
    for (const int distinct : {3, 1000000}) {  // many ties, then few
      std::uniform_int_distribution<int> value(0, distinct - 1);
      std::vector<double> data(n);
      for (auto& x : data) x = value(rng) * 0.5;
      for (int trial = 0; trial < 5; ++trial) {
        std::uniform_int_distribution<int> index(0, n - 1);
        int low = index(rng), high = index(rng);
        if (low > high) std::swap(low, high);
        std::uniform_int_distribution<int> kIndex(low, high);
        const int k = kIndex(rng);
        std::vector<double> work = data;
        EXPECT_EQ(QuickSelect(work, k, low, high), NthElement(data, low, high, k))
            << "n=" << n << " k=" << k << " range " << low << ".." << high;
        // Only the range is reordered, and it keeps its elements.
        EXPECT_TRUE(std::equal(work.begin(), work.begin() + low, data.begin()));
        EXPECT_TRUE(std::is_permutation(work.begin(), work.end(), data.begin()));
      }
    }
  }
}

// A NaN pivot used to sort as the smallest value and a numeric pivot sent
// NaNs to the large side, so the result depended on where the NaNs stood.
TEST(Math1QuickSelect, OrdersNaNAfterEveryNumber) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::mt19937 rng(29);
  std::uniform_int_distribution<int> pick(0, 3);
  for (int n = 2; n <= 40; ++n) {
    std::vector<double> data(n);
    for (auto& x : data) x = pick(rng) == 3 ? nan : pick(rng) - 1.0;
    std::vector<double> sorted = data;
    std::stable_partition(sorted.begin(), sorted.end(), [](double v) { return !std::isnan(v); });
    const auto numbers =
        std::count_if(data.begin(), data.end(), [](double v) { return !std::isnan(v); });
    std::sort(sorted.begin(), sorted.begin() + numbers);
    for (int k = 0; k < n; ++k) {
      std::vector<double> work = data;
      const double got = QuickSelect(work, k, 0, n - 1);
      if (std::isnan(sorted[k]))
        EXPECT_TRUE(std::isnan(got)) << "n=" << n << " k=" << k << " got " << got;
      else
        EXPECT_EQ(got, sorted[k]) << "n=" << n << " k=" << k;
    }
  }
  // A NaN in the middle is the first pivot.
  std::vector<double> v{3, 1, nan, 2, 0};
  EXPECT_EQ(QuickSelect(v, 0, 0, 4), 0.0);
  v = {3, 1, nan, 2, 0};
  EXPECT_EQ(QuickSelect(v, 3, 0, 4), 3.0);
  v = {3, 1, nan, 2, 0};
  EXPECT_TRUE(std::isnan(QuickSelect(v, 4, 0, 4)));
}

// Larger ranges with few or many distinct values and some NaNs, against a
// full sort with NaNs last; sub-ranges keep the rest of the array in place.
TEST(Math1QuickSelect, MatchesTheSortedRangeOnLargerData) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::mt19937 rng(37);
  const auto nanLast = [](double x, double y) {
    return !std::isnan(x) && (std::isnan(y) || x < y);
  };
  const auto same = [](double x, double y) { return x == y || (std::isnan(x) && std::isnan(y)); };
  for (const int n : {100, 1000, 5000}) {
    for (const int distinct : {1, 2, 3, 10, 1 << 30}) {
      std::uniform_int_distribution<int> value(0, distinct - 1);
      std::uniform_int_distribution<int> percent(0, 99);
      std::vector<double> data(static_cast<size_t>(n));
      for (auto& x : data) x = percent(rng) < 3 ? nan : value(rng);
      for (int trial = 0; trial < 4; ++trial) {
        std::uniform_int_distribution<int> index(0, n - 1);
        int low = index(rng), high = index(rng);
        if (low > high) std::swap(low, high);
        const int k = std::uniform_int_distribution<int>(low, high)(rng);
        std::vector<double> sorted(data.begin() + low, data.begin() + high + 1);
        std::sort(sorted.begin(), sorted.end(), nanLast);
        std::vector<double> work = data;
        const double got = QuickSelect(work, k, low, high);
        const double want = sorted[static_cast<size_t>(k - low)];
        if (std::isnan(want))
          EXPECT_TRUE(std::isnan(got)) << n << " " << distinct << " k=" << k;
        else
          EXPECT_EQ(got, want) << n << " " << distinct << " k=" << k;
        EXPECT_TRUE(std::equal(work.begin(), work.begin() + low, data.begin(), same));
        EXPECT_TRUE(std::equal(work.begin() + high + 1, work.end(), data.begin() + high + 1, same));
      }
    }
  }
}

// A large range of two values exercises the equal block: every k must still
// be the sorted value, and the range keeps its elements.
TEST(Math1QuickSelect, ManyTiesGiveTheSortedValue) {
  std::mt19937 rng(31);
  std::bernoulli_distribution coin(0.5);
  std::vector<double> data(20001);
  for (auto& x : data) x = coin(rng) ? 1.0 : 0.0;
  const auto zeros = std::count(data.begin(), data.end(), 0.0);
  for (const int64_t k : {int64_t{0}, zeros - 1, zeros, int64_t{10000}, int64_t{20000}}) {
    std::vector<double> work = data;
    EXPECT_EQ(QuickSelect(work, static_cast<int32_t>(k), 0, 20000), k < zeros ? 0.0 : 1.0) << k;
    EXPECT_EQ(std::count(work.begin(), work.end(), 0.0), zeros);
  }
}

// k outside low..high, or bounds outside the array, used to index past the
// range (k = n on n elements is what a percentile at 100% passes).
TEST(Math1QuickSelect, ReturnsZeroForIndicesOutsideTheArray) {
  std::vector<double> v{5, 1, 4, 2, 3};
  EXPECT_EQ(QuickSelect(v, 5, 0, 4), 0.0);
  EXPECT_EQ(QuickSelect(v, 2, 0, 5), 0.0);
  EXPECT_EQ(QuickSelect(v, 0, -1, 4), 0.0);
  EXPECT_EQ(QuickSelect(v, 1, 2, 4), 0.0);  // k left of low
  EXPECT_EQ(QuickSelect(v, 3, 3, 2), 0.0);  // high < low
  EXPECT_EQ(QuickSelect(std::span<double>{}, 0, 0, 0), 0.0);
  EXPECT_EQ(QuickSelect(v, 4, 0, 4), 5.0);
  std::vector<double> same(7, 2.5);
  EXPECT_EQ(QuickSelect(same, 3, 1, 6), 2.5);
}

TEST(Math1QuickSelect, BulkTiesFormMatchesSortedOrder) {
  std::mt19937 rng(23);
  std::uniform_real_distribution<double> value(-5, 5);
  for (int n = 1; n <= 40; ++n) {
    std::vector<double> data(n);
    for (auto& x : data) x = rng() % 2 ? 0.0 : value(rng);  // about half are x
    const std::vector<double> original = data;
    std::vector<double> sorted = data;
    std::sort(sorted.begin(), sorted.end());
    for (int k = 0; k < n; ++k)
      EXPECT_EQ(QuickSelect(data, k, 0, 0, 0.0), sorted[k]) << n << " " << k;
    EXPECT_EQ(data, original);  // works on a copy
    EXPECT_EQ(QuickSelect(data, n, 0, 0, 0.0), 0.0);
    EXPECT_EQ(QuickSelect(data, -1, 0, 0, 1.0), 0.0);
  }
  // The value in bulk need not occur at all.
  const std::vector<double> v{3, 1, 2};
  EXPECT_EQ(QuickSelect(v, 2, 0, 0, 7.0), 3.0);
}

// Restores the progress globals a test changes.
class Math1SortProgress : public testing::Test {
 protected:
  void SetUp() override {
    savedProc_ = MathFeedBackProc;
    savedStat_ = ProcStat;
    MathFeedBackProc = [this](double counter) { counters_.push_back(counter); };
  }
  void TearDown() override {
    MathFeedBackProc = savedProc_;
    ProcStat = savedStat_;
  }
  std::vector<double> counters_;

 private:
  TMathFeedBackProc savedProc_;
  double savedStat_ = 0;
};

// Gaps for 10 elements: 7, 5, 3, 2, 1; sorted input ends after the first
// gap-1 pass, so exactly five passes report.
TEST_F(Math1SortProgress, ReportsOncePerCombPass) {
  std::vector<double> sorted{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  ProcStat = 100;
  SortArray(sorted, true);
  EXPECT_EQ(counters_, (std::vector<double>{101, 102, 103, 104, 105}));
  EXPECT_EQ(ProcStat, 105);

  counters_.clear();
  std::vector<int32_t> two{2, 1};  // gap 1 exchanges, a second gap-1 pass confirms
  SortArray(two, true);
  EXPECT_EQ(counters_.size(), 2u);
  EXPECT_EQ(two, (std::vector<int32_t>{1, 2}));

  counters_.clear();
  std::vector<float> one{3};
  SortArray(one, true);
  SortArray(nullptr, 5, kKindDouble, true);
  EXPECT_TRUE(counters_.empty());
}

TEST_F(Math1SortProgress, SortsEveryElementTypeBothWays) {
  std::mt19937 rng(29);
  std::uniform_real_distribution<double> value(-1e3, 1e3);
  for (const int n : {2, 3, 10, 1000}) {
    std::vector<double> d(n);
    for (auto& x : d) x = value(rng);
    std::vector<float> f(d.begin(), d.end());
    std::vector<int32_t> i(n);
    std::transform(d.begin(), d.end(), i.begin(), [](double x) { return static_cast<int32_t>(x); });

    auto d2 = d;
    SortArray(d2, true);
    EXPECT_TRUE(std::is_sorted(d2.begin(), d2.end()));
    EXPECT_TRUE(std::is_permutation(d2.begin(), d2.end(), d.begin()));
    SortArray(d2, false);
    EXPECT_TRUE(std::is_sorted(d2.rbegin(), d2.rend()));
    auto f2 = f;
    SortArray(f2, false);
    EXPECT_TRUE(std::is_sorted(f2.rbegin(), f2.rend()));
    auto i2 = i;
    SortArray(i2, true);
    EXPECT_TRUE(std::is_sorted(i2.begin(), i2.end()));
    EXPECT_TRUE(std::is_permutation(i2.begin(), i2.end(), i.begin()));

    // Untyped buffers, both ordinals of each element type.
    auto d3 = d;
    SortArray(d3.data(), n, kKindDouble2, true);
    EXPECT_TRUE(std::is_sorted(d3.begin(), d3.end()));
    auto f3 = f;
    SortArray(f3.data(), n, kKindSingle, true);
    EXPECT_TRUE(std::is_sorted(f3.begin(), f3.end()));
    auto i3 = i;
    SortArray(i3.data(), n, kKindInt2, false);
    EXPECT_TRUE(std::is_sorted(i3.rbegin(), i3.rend()));
    auto i4 = i;
    SortArray(i4.data(), n, kKindUnknown, true);
    EXPECT_EQ(i4, i);
  }
}

TEST(Math1SortIntoArray, InsertsAtTheFirstNotSmallerElement) {
  std::vector<double> a{1, 3, 5};
  EXPECT_EQ(SortIntoArray(a, 4, true, false), 2);
  EXPECT_EQ(a, (std::vector<double>{1, 3, 4}));
  EXPECT_EQ(SortIntoArray(a, 6, true, false), -1);
  EXPECT_EQ(a, (std::vector<double>{1, 3, 4}));
  EXPECT_EQ(SortIntoArray(a, 3, true, false), -1);  // duplicate refused
  EXPECT_EQ(SortIntoArray(a, 3, true, true), 1);
  EXPECT_EQ(a, (std::vector<double>{1, 3, 3}));
  EXPECT_EQ(SortIntoArray(a, 0, true, false), 0);
  EXPECT_EQ(a, (std::vector<double>{0, 1, 3}));

  std::vector<int32_t> d{9, 5, 1};
  EXPECT_EQ(SortIntoArray(d, 6, false, false), 1);
  EXPECT_EQ(d, (std::vector<int32_t>{9, 6, 5}));
  EXPECT_EQ(SortIntoArray(std::span<int32_t>{}, 6, false, false), -1);

  std::vector<float> f{1, 2, 4, 8};
  const float value = 3;
  EXPECT_EQ(SortIntoArray(f.data(), 4, kKindSingle, &value, true, false), 2);
  EXPECT_EQ(f, (std::vector<float>{1, 2, 3, 4}));
  const int32_t iv = 7;
  std::vector<int32_t> iz{9, 8, 6};
  EXPECT_EQ(SortIntoArray(iz.data(), 3, kKindInt, &iv, false, false), 2);
  EXPECT_EQ(iz, (std::vector<int32_t>{9, 8, 7}));
  EXPECT_EQ(SortIntoArray(iz.data(), 3, kKindInt, nullptr, false, false), -1);
  EXPECT_EQ(SortIntoArray(iz.data(), 3, kKindUnknown, &iv, false, false), -1);
}

// A negative position used to write before the array.
TEST(Math1InsertIntoArray, ShiftsUpAndIgnoresPositionsOutsideTheArray) {
  std::vector<double> a{1, 2, 3};
  InsertIntoArray(a, 9, 0);
  EXPECT_EQ(a, (std::vector<double>{9, 1, 2}));
  InsertIntoArray(a, 7, 2);
  EXPECT_EQ(a, (std::vector<double>{9, 1, 7}));
  InsertIntoArray(a, 5, 3);
  InsertIntoArray(a, 5, -1);
  EXPECT_EQ(a, (std::vector<double>{9, 1, 7}));

  std::vector<int32_t> i{1, 2, 3, 4};
  const int32_t v = 0;
  InsertIntoArray(i.data(), 4, kKindInt2, &v, 1);
  EXPECT_EQ(i, (std::vector<int32_t>{1, 0, 2, 3}));
  InsertIntoArray(i.data(), 4, kKindInt2, &v, -3);
  InsertIntoArray(i.data(), 4, kKindUnknown, &v, 0);
  EXPECT_EQ(i, (std::vector<int32_t>{1, 0, 2, 3}));
  std::vector<double> d{1, 2};
  const double dv = 0.5;
  InsertIntoArray(d.data(), 2, kKindDouble, &dv, 0);
  EXPECT_EQ(d, (std::vector<double>{0.5, 1}));
}

// Documented asymmetry: ascending exchanges equal values, descending not.
TEST(Math1SortSwap, ExchangesEqualValuesOnlyWhenAscending) {
  double a = 1, b = 2;
  EXPECT_FALSE(SortSwap(a, b, true));
  EXPECT_TRUE(SortSwap(a, b, false));
  EXPECT_EQ(a, 2.0);
  EXPECT_EQ(b, 1.0);
  EXPECT_TRUE(SortSwap(a, b, true));
  EXPECT_EQ(a, 1.0);
  a = b = 3;
  EXPECT_TRUE(SortSwap(a, b, true));
  EXPECT_FALSE(SortSwap(a, b, false));
}

TEST(Math1ExChange, SwapsValuesAndRawBlocks) {
  std::string s = "left", t = "right";
  ExChange(s, t);
  EXPECT_EQ(s, "right");
  long double x = 1.5L, y = -2.5L;
  ExChange(x, y);
  EXPECT_EQ(x, -2.5L);
  uint8_t p = 1, q = 200;
  ExChange(p, q);
  EXPECT_EQ(p, 200);

  unsigned char m[6] = {1, 2, 3, 4, 5, 6};
  unsigned char n[6] = {9, 8, 7, 6, 5, 4};
  ExChange(m, n, 4);
  EXPECT_EQ(std::vector<unsigned char>(m, m + 6), (std::vector<unsigned char>{9, 8, 7, 6, 5, 6}));
  EXPECT_EQ(std::vector<unsigned char>(n, n + 6), (std::vector<unsigned char>{1, 2, 3, 4, 5, 4}));
  ExChange(m, nullptr, 4);
  ExChange(m, n, 0);
  EXPECT_EQ(m[0], 9);
}

}  // namespace
}  // namespace zel
