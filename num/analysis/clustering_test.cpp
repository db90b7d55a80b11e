#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "num/analysis/analysis_test_impl.hpp"
#include "num/analysis/zel_math2.hpp"

namespace zel {
namespace {

using analysis_test::Points;
using analysis_test::ProgressReset;
using analysis_test::RowsMatrix;

struct KMeansOut {
  std::unique_ptr<TMatrix> centers = std::make_unique<TMatrix>(nullptr);
  std::unique_ptr<TIntVector> assign = std::make_unique<TIntVector>(nullptr);
  std::unique_ptr<TIntVector> sizes = std::make_unique<TIntVector>(nullptr);
  double Run(const TMatrix& data, int32_t k, int32_t seed = 0) {
    return kMeansClustering(&data, 0, 0, k, seed, centers.get(), assign.get(), sizes.get());
  }
};

TEST(KMeans, MatchesScipyKmeans2FromTheFirstRows) {
  auto data = RowsMatrix(3, Points());
  KMeansOut out;
  // scipy.cluster.vq.kmeans2(points, points[:3], minit='matrix') run to
  // convergence (testdata/reference_values.py); WCSS from vq.
  const double wcss = out.Run(*data, 3);
  EXPECT_NEAR(wcss, 23.48765, 1e-12);
  const std::vector<double> centres{0.64, -0.44, 1.11, 0.08499999999999996, 4.2925,
                                    1.86, 4.18,  4.16, 3.9025000000000003};
  // All three clusters hold 4 objects: the stable renumbering keeps the
  // start order, which is scipy's numbering.
  for (int32_t c = 1; c <= 3; ++c) {
    EXPECT_EQ(out.sizes->GetVal(c), 4);
    for (int32_t j = 1; j <= 3; ++j)
      EXPECT_NEAR(out.centers->GetVal(j, c), centres[static_cast<size_t>((c - 1) * 3 + j - 1)],
                  1e-12);
  }
  const std::vector<int32_t> labels{1, 2, 1, 1, 1, 3, 3, 3, 3, 2, 2, 2};
  for (int32_t r = 1; r <= 12; ++r) EXPECT_EQ(out.assign->GetVal(r), labels[size_t(r - 1)]) << r;
}

TEST(KMeans, ScaledDataGiveTheSameClustersAtBothEndsOfTheRange) {
  // Squared distances of coordinates near 1e154 overflow a double and those
  // near 1e-160 underflow: the clusters must not change with the scale.
  const std::vector<double> pts = Points();
  auto plain = RowsMatrix(3, pts);
  KMeansOut ref;
  const double wcss = ref.Run(*plain, 3);
  for (const double s : {1e154, 1e150, 1e-150, 1e-160}) {
    std::vector<double> scaled(pts);
    for (double& v : scaled) v *= s;
    auto data = RowsMatrix(3, scaled);
    KMeansOut out;
    const double w = out.Run(*data, 3);
    // The sum itself leaves the double range at the extremes (23.5e308 is
    // inf, 23.5e-320 subnormal); within it, it keeps its digits.
    if (s == 1e150 || s == 1e-150) {
      EXPECT_NEAR(w / s / s, wcss, 1e-12 * wcss) << s;
    }
    for (int32_t r = 1; r <= 12; ++r)
      EXPECT_EQ(out.assign->GetVal(r), ref.assign->GetVal(r)) << s << " row " << r;
  }
}

TEST(KMeans, RenumbersByDecreasingSize) {
  // Groups of 3 (rows 1-3) and 5 (rows 4-8); row 1 seeds the small group.
  auto data = RowsMatrix(1, {0.0, 0.2, 0.4, 10.0, 10.1, 10.2, 10.3, 10.4});
  KMeansOut out;
  const double wcss = out.Run(*data, 2);
  EXPECT_EQ(out.sizes->GetVal(1), 5);
  EXPECT_EQ(out.sizes->GetVal(2), 3);
  EXPECT_NEAR(out.centers->GetVal(1, 1), 10.2, 1e-12);
  EXPECT_NEAR(out.centers->GetVal(1, 2), 0.2, 1e-12);
  for (int32_t r = 1; r <= 8; ++r) EXPECT_EQ(out.assign->GetVal(r), r <= 3 ? 2 : 1) << r;
  EXPECT_NEAR(wcss, 0.08 + 0.1, 1e-12);

  // Equal sizes keep the lower old number first.
  auto pairs = RowsMatrix(1, {5.0, 0.0, 5.5, 0.5});
  KMeansOut eq;
  eq.Run(*pairs, 2);
  EXPECT_NEAR(eq.centers->GetVal(1, 1), 5.25, 1e-12);
  EXPECT_NEAR(eq.centers->GetVal(1, 2), 0.25, 1e-12);
}

TEST(KMeans, OneClusterPerObjectAndAllObjectsEqual) {
  auto data = RowsMatrix(2, {1, 2, 3, 4, 5, 6});
  KMeansOut out;
  EXPECT_EQ(out.Run(*data, 3), 0.0);
  for (int32_t c = 1; c <= 3; ++c) EXPECT_EQ(out.sizes->GetVal(c), 1);

  // Equal rows all go to centre 1 (the lower number wins ties); centre 2
  // has no members and becomes zeros.
  auto same = RowsMatrix(2, {7, 7, 7, 7, 7, 7});
  KMeansOut eq;
  EXPECT_EQ(eq.Run(*same, 2), 0.0);
  EXPECT_EQ(eq.sizes->GetVal(1), 3);
  EXPECT_EQ(eq.sizes->GetVal(2), 0);
  EXPECT_EQ(eq.centers->GetVal(1, 2), 0.0);
  EXPECT_EQ(eq.centers->GetVal(2, 1), 7.0);
}

TEST(KMeans, RejectsClusterCountsOutsideOneToObjects) {
  auto data = RowsMatrix(1, {1, 2, 3});
  KMeansOut out;
  try {
    out.Run(*data, 4);
    FAIL() << "no exception";
  } catch (const EZELMath2Error& e) {
    EXPECT_STREQ(e.what(),
                 "kMeansClustering: number of clusters is greater than number of objects");
  }
  EXPECT_THROW(out.Run(*data, 0), EZELMath2Error);
  EXPECT_THROW(out.Run(*data, -3), EZELMath2Error);
  EXPECT_EQ(out.centers->GetNrOfRows(), 1);  // nothing resized
  EXPECT_EQ(out.assign->GetNrOfElem(), 1);
}

TEST(KMeans, ReusedAssignmentsStillGiveMeansAndSizes) {
  // Seeds rows 1 (10) and 2 (0) already split the data as the result does.
  auto data = RowsMatrix(1, {10.0, 0.0, 11.0, 1.0, 12.0});
  KMeansOut out;
  EXPECT_NEAR(out.Run(*data, 2), 2.5, 1e-12);
  // The second run starts from those assignments: its first pass changes
  // nothing, yet the centres must be means, not the seed rows 10 and 0
  // (which would give 6), and the sizes counted.
  KMeansOut again;
  again.assign = std::move(out.assign);
  EXPECT_NEAR(again.Run(*data, 2), 2.5, 1e-12);
  EXPECT_NEAR(again.centers->GetVal(1, 1), 11.0, 1e-12);
  EXPECT_NEAR(again.centers->GetVal(1, 2), 0.5, 1e-12);
  EXPECT_EQ(again.sizes->GetVal(1), 3);
  EXPECT_EQ(again.sizes->GetVal(2), 2);
}

TEST(KMeans, SeededStartIsReproducible) {
  auto data = RowsMatrix(3, Points());
  KMeansOut a, b;
  EXPECT_EQ(a.Run(*data, 3, 41), b.Run(*data, 3, 41));
  for (int32_t r = 1; r <= 12; ++r) EXPECT_EQ(a.assign->GetVal(r), b.assign->GetVal(r));
  EXPECT_GE(a.sizes->GetVal(1), a.sizes->GetVal(2));
  EXPECT_GE(a.sizes->GetVal(2), a.sizes->GetVal(3));
}

TEST(KMeans, NonFiniteDataAndAbort) {
  ProgressReset reset;
  auto data = RowsMatrix(1, {0.0, 1.0, std::numeric_limits<double>::quiet_NaN(), 3.0});
  KMeansOut out;
  EXPECT_TRUE(std::isnan(out.Run(*data, 2)));
  EXPECT_EQ(out.assign->GetNrOfElem(), 1);  // untouched

  auto fine = RowsMatrix(1, {0.0, 1.0, 2.0, 3.0});
  int32_t calls = 0;
  MathFeedBackProc = [&](double) { ++calls; };
  KMeansOut ok;
  ok.Run(*fine, 2);
  EXPECT_GE(calls, 2);  // at least one changing pass and the final one
  EXPECT_EQ(ProcStat, calls);

  AbortMathProc = true;
  KMeansOut stopped;
  EXPECT_EQ(stopped.Run(*fine, 2), 0.0);
  EXPECT_TRUE(AbortMathProc.load());  // only read, never cleared
}

TEST(KMeans, EstimatedStepsInDouble) {
  EXPECT_EQ(kMeansEstimatedSteps(100, 3, 2), 20);
  EXPECT_EQ(kMeansEstimatedSteps(-5, 7, 1), 20);
  // a b = 1e10 overflows 32 bits: 18232 - 108 - 92.427 - 175.57 + 387.75.
  EXPECT_EQ(kMeansEstimatedSteps(100000, 100000, 10), 18244);
}

// Our dendrogram against scipy's linkage rows [id1, id2, height, size]
// (objects from 0, cluster i as n + i): the same pairs in the same order.
void ExpectLinkage(TClusterMethod method, TDistMode mode, const std::vector<double>& z,
                   bool squareHeights, double flex = 0.5) {
  auto data = RowsMatrix(3, Points());
  TIntMatrix dend(nullptr);
  TVector heights(nullptr), positions(nullptr);
  ASSERT_EQ(AgglomClustering(nullptr, data.get(), mode, method, flex, &dend, &heights, &positions,
                             nullptr, nullptr),
            kAgglomOk);
  ASSERT_EQ(dend.GetNrOfRows(), 11);
  for (int32_t i = 1; i <= 11; ++i) {
    const double* row = &z[static_cast<size_t>(i - 1) * 4];
    const std::set<int32_t> want{static_cast<int32_t>(row[0]) + 1,
                                 static_cast<int32_t>(row[1]) + 1};
    const std::set<int32_t> got{dend.GetVal(1, i), dend.GetVal(2, i)};
    EXPECT_EQ(got, want) << "merge " << i;
    EXPECT_EQ(dend.GetVal(3, i), 12 + i);
    const double h = squareHeights ? row[2] * row[2] : row[2];
    EXPECT_NEAR(heights.GetVal(i), h, 1e-12 * h) << "merge " << i;
  }
}

// scipy.cluster.hierarchy.linkage(points, method, metric='euclidean'),
// testdata/reference_values.py.
TEST(AgglomClustering, MatchesScipyLinkageForEveryMethod) {
  ExpectLinkage(
      TClusterMethod::cmSingleLink, TDistMode::dmEuclid,
      {6,  8,  0.48938737212968614, 2, 7,  12, 0.7433707016018322, 3, 5, 13, 1.0191663259743227, 4,
       10, 11, 1.2776932339180638,  2, 2,  4,  1.3293983601614678, 2, 0, 16, 1.3421624342828256, 3,
       9,  15, 1.4258330898110056,  3, 1,  17, 1.7641428513586987, 4, 3, 19, 2.3971024175032656, 5,
       18, 20, 3.3190661337189407,  8, 14, 21, 3.554560451026258,  12},
      false);
  ExpectLinkage(
      TClusterMethod::cmCompleteLink, TDistMode::dmEuclid,
      {6,  8,  0.48938737212968614, 2, 7,  12, 1.1653754759733015, 3, 10, 11, 1.2776932339180638, 2,
       2,  4,  1.3293983601614678,  2, 9,  14, 1.591383046283955,  3, 0,  15, 1.9438364128701775, 3,
       5,  13, 2.024401146018249,   4, 1,  17, 3.2224990302558663, 4, 3,  19, 4.912331422043916,  5,
       16, 18, 5.110792502146805,   7, 20, 21, 8.414731130582842,  12},
      false);
  const std::vector<double> weighted{
      6,  8,  0.48938737212968614, 2, 7,  12, 0.9543730887875668, 3, 10, 11, 1.2776932339180638, 2,
      2,  4,  1.3293983601614678,  2, 9,  14, 1.5086080680474803, 3, 5,  13, 1.5902954177092494, 4,
      0,  15, 1.6429994235765015,  3, 1,  18, 2.7562871810898986, 4, 3,  19, 4.02384144430202,   5,
      16, 17, 4.193824756671966,   7, 20, 21, 6.023732294543516,  12};
  ExpectLinkage(TClusterMethod::cmAvgLink, TDistMode::dmEuclid, weighted, false);
  // The flexible strategy with a = 0.5 is the weighted average; parameters
  // below 0.5 are clamped to it.
  ExpectLinkage(TClusterMethod::cmFlexLink, TDistMode::dmEuclid, weighted, false, 0.5);
  ExpectLinkage(TClusterMethod::cmFlexLink, TDistMode::dmEuclid, weighted, false, -3.0);
  ExpectLinkage(
      TClusterMethod::cmUpgma, TDistMode::dmEuclid,
      {6,  8,  0.48938737212968614, 2, 7,  12, 0.9543730887875668, 3, 10, 11, 1.2776932339180638, 2,
       2,  4,  1.3293983601614678,  2, 5,  13, 1.445593508272916,  4, 9,  14, 1.5086080680474803, 3,
       0,  15, 1.6429994235765015,  3, 1,  18, 2.6008832313679093, 4, 3,  19, 3.5406456189400997, 5,
       16, 17, 4.292581349777802,   7, 20, 21, 6.062970383154199,  12},
      false);
  // Ward on squared Euclidean distances gives the squares of scipy's heights.
  ExpectLinkage(
      TClusterMethod::cmWard, TDistMode::dmSqrEuclid,
      {6,  8,  0.48938737212968614, 2, 7,  12, 1.0926878175703554, 3, 10, 11, 1.2776932339180638, 2,
       2,  4,  1.3293983601614678,  2, 9,  14, 1.5809807082946965, 3, 5,  13, 1.745360516722357,  4,
       0,  15, 1.7694160995462125,  3, 1,  18, 3.0803841751746917, 4, 3,  19, 4.2989836008061255, 5,
       16, 17, 7.735648001298921,   7, 20, 21, 13.19957600329142,  12},
      true);
}

TEST(AgglomClustering, ThreePointsOnALineGiveTheLeafLayout) {
  auto data = RowsMatrix(1, {0.0, 1.0, 5.0});
  TIntMatrix dend(nullptr);
  TVector heights(nullptr), positions(nullptr);
  std::vector<std::pair<double, double>> feedback;
  const TClusterFeedback fb = [&](TObject*, double pct, double cnt) {
    feedback.emplace_back(pct, cnt);
  };
  ASSERT_EQ(AgglomClustering(nullptr, data.get(), TDistMode::dmEuclid, TClusterMethod::cmSingleLink,
                             0.5, &dend, &heights, &positions, fb, nullptr),
            kAgglomOk);
  EXPECT_EQ(dend.GetMat(), TInt2DArray({{1, 4}, {2, 3}, {4, 5}}));
  EXPECT_EQ(heights.GetVal(1), 1.0);
  EXPECT_EQ(heights.GetVal(2), 4.0);
  ASSERT_EQ(positions.GetNrOfElem(), 5);
  const std::vector<double> want{2, 1, 3, 1.5, 2.25};
  for (int32_t i = 1; i <= 5; ++i) EXPECT_EQ(positions.GetVal(i), want[size_t(i - 1)]) << i;
  EXPECT_EQ(feedback,
            (std::vector<std::pair<double, double>>{{0, 0}, {100.0 / 3, 0}, {200.0 / 3, 1}}));
}

TEST(AgglomClustering, DegenerateInputGivesCodesWithClearedOutputs) {
  TIntMatrix dend(nullptr);
  TVector heights(nullptr), positions(nullptr);
  dend.Resize(3, 2);
  dend.SetVal(1, 1, 9);
  heights.Resize(2);
  heights.SetVal(1, 9);
  auto one = RowsMatrix(2, {1.0, 2.0});
  EXPECT_EQ(AgglomClustering(nullptr, one.get(), TDistMode::dmEuclid, TClusterMethod::cmWard, 0.5,
                             &dend, &heights, &positions, nullptr, nullptr),
            kAgglomTooFewObjects);
  EXPECT_EQ(dend.GetVal(1, 1), 0);
  EXPECT_EQ(heights.GetVal(1), 0.0);
  EXPECT_EQ(AgglomClustering(nullptr, nullptr, TDistMode::dmEuclid, TClusterMethod::cmWard, 0.5,
                             &dend, &heights, &positions, nullptr, nullptr),
            kAgglomNoObject);

  // One NaN row: the finite rows merge, then no pair with a number is left.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  auto data = RowsMatrix(1, {0.0, 1.0, nan, 3.0});
  EXPECT_EQ(
      AgglomClustering(nullptr, data.get(), TDistMode::dmEuclid, TClusterMethod::cmCompleteLink,
                       0.5, &dend, &heights, &positions, nullptr, nullptr),
      kAgglomNoPair);
  EXPECT_EQ(dend.GetMat(), TInt2DArray(3, TIntArray(3, 0)));
  EXPECT_TRUE(heights.GetIsEmpty());
}

TEST(AgglomClustering, AbortClearsTheOutputs) {
  ProgressReset reset;
  auto data = RowsMatrix(1, {0.0, 1.0, 3.0, 7.0});
  TIntMatrix dend(nullptr);
  TVector heights(nullptr), positions(nullptr);
  // Stop from the feedback before the second merge.
  const TClusterFeedback fb = [](TObject*, double, double cnt) {
    if (cnt >= 1) AbortMathProc = true;
  };
  EXPECT_EQ(AgglomClustering(nullptr, data.get(), TDistMode::dmEuclid, TClusterMethod::cmUpgma, 0.5,
                             &dend, &heights, &positions, fb, nullptr),
            kAgglomAborted);
  EXPECT_EQ(dend.GetMat(), TInt2DArray(3, TIntArray(3, 0)));
  EXPECT_TRUE(heights.GetIsEmpty());
  EXPECT_TRUE(positions.GetIsEmpty());
  EXPECT_TRUE(AbortMathProc.load());
}

TEST(AgglomClustering, UserDistanceIsRestoredOnEveryPath) {
  auto data = RowsMatrix(1, {0.0, 0.0, 0.0});
  int32_t ownCalls = 0;
  data->OnCalcDistance = [&](TObject*, int32_t, int32_t, double& d) {
    ++ownCalls;
    d = 1.0;
  };
  // |r1 - r2| squared as the user distance: 1-2 first, then 3 joins.
  const TCalcDistFunc user = [](TObject*, int32_t r1, int32_t r2, double& d) {
    d = double(r1 - r2) * (r1 - r2);
  };
  TIntMatrix dend(nullptr);
  TVector heights(nullptr), positions(nullptr);
  ASSERT_EQ(
      AgglomClustering(nullptr, data.get(), TDistMode::dmUserDef, TClusterMethod::cmCompleteLink,
                       0.5, &dend, &heights, &positions, nullptr, user),
      kAgglomOk);
  EXPECT_EQ(heights.GetVal(1), 1.0);
  EXPECT_EQ(heights.GetVal(2), 4.0);
  EXPECT_EQ(ownCalls, 0);
  const TCalcDistFunc throwing = [](TObject*, int32_t, int32_t, double&) {
    throw std::runtime_error("distance failed");
  };
  EXPECT_THROW(
      AgglomClustering(nullptr, data.get(), TDistMode::dmUserDef, TClusterMethod::cmCompleteLink,
                       0.5, &dend, &heights, &positions, nullptr, throwing),
      std::runtime_error);
  double d = 0.0;
  ASSERT_TRUE(data->OnCalcDistance);
  data->OnCalcDistance(data.get(), 1, 2, d);
  EXPECT_EQ(ownCalls, 1);
}

TEST(AgglomClustering, StatusCodesAndMethodNames) {
  std::set<std::string> texts;
  for (int32_t c :
       {kAgglomOk, kAgglomAborted, kAgglomTooFewObjects, kAgglomNoPair, kAgglomNoObject})
    texts.insert(AgglomStatusText(c));
  texts.insert(AgglomStatusText(1));
  EXPECT_EQ(texts.size(), 6u);  // one sentence each, and one for unknown codes
  EXPECT_STREQ(ClusterMethodID[static_cast<size_t>(TClusterMethod::cmUpgma)],
               "unweighted pair group");
}

}  // namespace
}  // namespace zel
