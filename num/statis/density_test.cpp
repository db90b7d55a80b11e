// Kernel density estimation: a reference value from scipy.stats.norm.pdf,
// normalisation, symmetry, progress and the documented failures.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

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

std::unique_ptr<TVector> MakeVector(const std::vector<double>& v) {
  auto r = std::make_unique<TVector>(nullptr);
  r->Resize(static_cast<int32_t>(v.size()));
  for (size_t i = 0; i < v.size(); ++i) r->SetVal(static_cast<int32_t>(i + 1), v[i]);
  return r;
}

TEST(DensityEstimation, MatchesTheKernelSumAndIntegratesToOne) {
  // 0..9 in shuffled order, window 1.5: every spacing is 1, bandwidth 1.
  auto data = MakeVector({7, 2, 9, 0, 4, 5, 1, 8, 3, 6});
  auto dens = std::make_unique<TVector>(nullptr);
  int32_t ixMin = 0, ixMax = 0;
  // Grid -2..11 in 13 steps of 1: t = 4.5 is not a node, so use 26 steps.
  ASSERT_EQ(EstimateProbDensity(*data, dens.get(), -2.0, 11.0, 1.0, 1.5, 26, ixMin, ixMax),
            kDensityOk);
  EXPECT_EQ(data->GetVal(1), 0.0);  // sorted in place
  EXPECT_EQ(data->GetVal(10), 9.0);
  ASSERT_EQ(dens->GetNrOfElem(), 27);
  EXPECT_NEAR(dens->GetVal(14), kDensity[0].value, 1e-15);  // t = 4.5
  EXPECT_NEAR(dens->GetVal(1), kDensity[1].value, 1e-15);   // t = -2
  // Symmetric data: the maximum at the centre, the minimum at the first end.
  EXPECT_EQ(ixMax, 14);
  EXPECT_EQ(ixMin, 1);
  // Over a wide grid the estimate integrates to 1 (trapezoid rule).
  ASSERT_EQ(EstimateProbDensity(*data, dens.get(), -10.0, 19.0, 1.0, 1.5, 2900, ixMin, ixMax),
            kDensityOk);
  double area = 0.0;
  for (int32_t j = 1; j <= 2900; ++j) area += 0.5 * (dens->GetVal(j) + dens->GetVal(j + 1)) * 0.01;
  EXPECT_NEAR(area, 1.0, 1e-6);
}

TEST(DensityEstimation, IsolatedValuesAndProgressStayBounded) {
  // 50 is alone in its window: no gaps, spacing window / 1 instead of 0/0.
  auto data = MakeVector({0, 0.5, 1, 1.5, 2, 50});
  auto dens = std::make_unique<TVector>(nullptr);
  int32_t ixMin = 0, ixMax = 0;
  std::vector<int32_t> seen;
  ASSERT_EQ(EstimateProbDensity(*data, dens.get(), -5, 60, 0.5, 2.0, 10, ixMin, ixMax,
                                [&](TObject* sender, int32_t pct) {
                                  EXPECT_EQ(sender, nullptr);
                                  seen.push_back(pct);
                                }),
            kDensityOk);
  for (int32_t j = 1; j <= 11; ++j) EXPECT_TRUE(std::isfinite(dens->GetVal(j))) << j;
  ASSERT_EQ(seen.size(), 6u + 11u);
  for (size_t i = 1; i < seen.size(); ++i) EXPECT_GE(seen[i], seen[i - 1]);
  EXPECT_EQ(seen.back(), 100);
  // All values equal: spacing window / n.
  auto same = MakeVector({3, 3, 3, 3});
  ASSERT_EQ(EstimateProbDensity(*same, dens.get(), 3, 4, 1.0, 2.0, 10, ixMin, ixMax), kDensityOk);
  EXPECT_NEAR(dens->GetVal(1), nDistriDensity(0.0) / 0.5, 1e-15);
}

TEST(DensityEstimation, RejectsBadArgumentsWithoutChangingAnything) {
  auto data = MakeVector({3, 1, 2});
  auto dens = std::make_unique<TVector>(nullptr);
  int32_t ixMin = 5, ixMax = 5;
  EXPECT_EQ(EstimateProbDensity(*data, dens.get(), 0, 1, 1, 1, 9, ixMin, ixMax), kDensityBadSteps);
  EXPECT_EQ(ixMin, 0);
  EXPECT_EQ(EstimateProbDensity(*data, dens.get(), 0, 1, 1, 1, 10001, ixMin, ixMax),
            kDensityBadSteps);
  EXPECT_EQ(EstimateProbDensity(*data, dens.get(), 0, 1, 0, 1, 10, ixMin, ixMax),
            kDensityBadFactor);
  EXPECT_EQ(EstimateProbDensity(*data, nullptr, 0, 1, 1, 1, 10, ixMin, ixMax), kDensityNoObject);
  EXPECT_EQ(EstimateProbDensity(*data, dens.get(), 0, NAN, 1, 1, 10, ixMin, ixMax),
            kDensityNotFinite);
  data->SetVal(2, std::nan(""));
  EXPECT_EQ(EstimateProbDensity(*data, dens.get(), 0, 1, 1, 1, 10, ixMin, ixMax),
            kDensityNotFinite);
  EXPECT_EQ(data->GetVal(1), 3.0);  // not sorted
  EXPECT_EQ(dens->GetNrOfElem(), 1);
}

}  // namespace
}  // namespace zel
