#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "num/analysis/analysis_test_impl.hpp"
#include "num/analysis/zel_math2.hpp"

namespace zel {
namespace {

using analysis_test::MakeVector;
using analysis_test::Points;
using analysis_test::ProgressReset;
using analysis_test::RowsMatrix;

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// A KNN list of 2 columns and `rows` rows, every cell -1.
std::unique_ptr<TMatrix> EmptyList(int32_t rows) {
  auto l = std::make_unique<TMatrix>(nullptr);
  l->Resize(2, rows);
  l->Fill(-1.0);
  return l;
}

std::vector<int32_t> ListedRows(const TMatrix& l) {
  std::vector<int32_t> rows;
  for (int32_t i = 1; i <= l.GetNrOfRows(); ++i)
    rows.push_back(static_cast<int32_t>(l.GetVal(1, i)));
  return rows;
}

TEST(FindNearestNeighbors, MatchesScipyCKDTree) {
  auto data = RowsMatrix(3, Points());
  auto pattern = MakeVector({1.0, 1.5, 0.5});
  auto list = EmptyList(6);
  FindNearestNeighbors(6, data.get(), 0, 0, pattern.get(), list.get(), nullptr);
  // scipy.spatial.cKDTree(points).query(pattern, k=6), rows from 0
  // (testdata/reference_values.py).
  const std::vector<double> dist{1.9356910910576615, 1.9866051444612742, 2.211017865147182,
                                 2.9984495993763174, 3.087102201094094,  3.6049410536096147};
  EXPECT_EQ(ListedRows(*list), (std::vector<int32_t>{5, 3, 2, 1, 4, 10}));
  for (int32_t i = 1; i <= 6; ++i) EXPECT_NEAR(list->GetVal(2, i), dist[size_t(i - 1)], 1e-15);
}

TEST(FindNearestNeighbors, EqualDistancesKeepTheEarlierRowFirst) {
  auto data = RowsMatrix(1, {5.0, 1.0, 3.0, 1.0, -1.0});
  auto pattern = MakeVector({2.0});
  auto list = EmptyList(5);
  FindNearestNeighbors(5, data.get(), 0, 0, pattern.get(), list.get(), nullptr);
  EXPECT_EQ(ListedRows(*list), (std::vector<int32_t>{2, 3, 4, 1, 5}));
  // A user distance that is the same for every row lists them in order.
  auto viaFunc = EmptyList(5);
  FindNearestNeighbors(5, data.get(), 0, 0, nullptr, viaFunc.get(), [](int32_t) { return 7.0; });
  EXPECT_EQ(ListedRows(*viaFunc), (std::vector<int32_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(viaFunc->GetVal(2, 5), 7.0);
}

TEST(FindNearestNeighbors, CapsKAtOneHundredRowsAndRange) {
  std::vector<double> x;
  for (int32_t i = 1; i <= 120; ++i) x.push_back(i);
  auto data = RowsMatrix(1, x);
  auto pattern = MakeVector({0.0});
  auto list = EmptyList(101);
  FindNearestNeighbors(150, data.get(), 0, 0, pattern.get(), list.get(), nullptr);
  EXPECT_EQ(list->GetVal(1, 100), 100.0);
  EXPECT_EQ(list->GetVal(1, 101), -1.0);  // only 100 written

  // K beyond the data, and a reversed range outside the matrix: rows 3..8.
  auto small = RowsMatrix(1, {9, 8, 7, 6, 5, 4, 3, 2, 1, 0});
  auto far = MakeVector({100.0});
  auto l2 = EmptyList(10);
  FindNearestNeighbors(10, small.get(), 8, 3, far.get(), l2.get(), nullptr);
  EXPECT_EQ(ListedRows(*l2), (std::vector<int32_t>{3, 4, 5, 6, 7, 8, -1, -1, -1, -1}));
  // One object; K < 1 does nothing.
  auto one = RowsMatrix(2, {3.0, 4.0});
  auto l4 = EmptyList(2);
  FindNearestNeighbors(5, one.get(), 0, 0, MakeVector({0.0, 0.0}).get(), l4.get(), nullptr);
  EXPECT_EQ(l4->GetVal(1, 1), 1.0);
  EXPECT_EQ(l4->GetVal(2, 1), 5.0);
  EXPECT_EQ(l4->GetVal(1, 2), -1.0);
  auto l5 = EmptyList(2);
  FindNearestNeighbors(0, one.get(), 0, 0, MakeVector({0.0, 0.0}).get(), l5.get(), nullptr);
  EXPECT_EQ(l5->GetVal(1, 1), -1.0);
}

TEST(FindNearestNeighbors, NaNRowsComeLastAndExtremeScalesKeepTheirDistance) {
  auto data = RowsMatrix(1, {kNaN, 2.0, 1.0});
  auto list = EmptyList(3);
  FindNearestNeighbors(3, data.get(), 0, 0, MakeVector({0.0}).get(), list.get(), nullptr);
  EXPECT_EQ(ListedRows(*list), (std::vector<int32_t>{3, 2, 1}));
  EXPECT_TRUE(std::isnan(list->GetVal(2, 3)));

  auto huge = RowsMatrix(2, {0.0, 4e200, 3e200, 0.0, 3e-200, 4e-200});
  auto l2 = EmptyList(3);
  FindNearestNeighbors(3, huge.get(), 0, 0, MakeVector({0.0, 0.0}).get(), l2.get(), nullptr);
  EXPECT_EQ(ListedRows(*l2), (std::vector<int32_t>{3, 2, 1}));
  EXPECT_DOUBLE_EQ(l2->GetVal(2, 1), 5e-200);
  EXPECT_DOUBLE_EQ(l2->GetVal(2, 2), 3e200);
  EXPECT_DOUBLE_EQ(l2->GetVal(2, 3), 4e200);
}

TEST(EstimateByKNN, WeightingModes) {
  auto data = RowsMatrix(1, {0.0, 1.0, 3.0, 10.0});
  auto target = MakeVector({1.0, 2.0, 4.0, 100.0});
  auto at = [&](double p, int32_t k, TKnnWMode mode, double width, double& mean) {
    double est = -1.0;
    EstimateByKNN(data.get(), target.get(), k, mode, width, MakeVector({p}).get(), est, mean);
    return est;
  };
  double mean = 0.0;
  // Distances 0 and 1, mean 0.5: weights 1 and exp(-4).
  const double e4 = std::exp(-4.0);
  EXPECT_NEAR(at(0.0, 2, TKnnWMode::kwmGauss, 1.0, mean), (1.0 + 2.0 * e4) / (1.0 + e4), 1e-15);
  EXPECT_EQ(mean, 0.5);
  EXPECT_DOUBLE_EQ(at(0.0, 3, TKnnWMode::kwmAverage, 1.0, mean), 7.0 / 3.0);
  EXPECT_EQ(at(0.0, 3, TKnnWMode::kwmMedian, 1.0, mean), 2.0);
  // Distances 0, 1, 3 with mean 4/3: weights 1, 0.25 and a negative one.
  EXPECT_DOUBLE_EQ(at(0.0, 3, TKnnWMode::kwmLinear, 1.0, mean), 1.5 / 1.25);
  // Width 0 or below counts as 1 (no division by zero).
  EXPECT_DOUBLE_EQ(at(0.0, 3, TKnnWMode::kwmLinear, 0.0, mean), 1.5 / 1.25);
  // K below 1 is one neighbour; K beyond the data is all of it.
  EXPECT_EQ(at(2.9, 0, TKnnWMode::kwmAverage, 1.0, mean), 4.0);
  EXPECT_DOUBLE_EQ(at(2.9, 50, TKnnWMode::kwmAverage, 1.0, mean), 107.0 / 4.0);
}

TEST(EstimateByKNN, DegenerateWeightsGiveZero) {
  auto data = RowsMatrix(1, {0.0, 1.0, 3.0, 10.0});
  auto target = MakeVector({1.0, 2.0, 4.0, 100.0});
  double est = -1.0, mean = -1.0;
  // Equal distances 0.5 and a wide Gaussian: every weight underflows.
  EstimateByKNN(data.get(), target.get(), 2, TKnnWMode::kwmGauss, 1000.0, MakeVector({0.5}).get(),
                est, mean);
  EXPECT_EQ(est, 0.0);
  EXPECT_EQ(mean, 0.5);

  // All points equal: the mean distance is 0 and the weights use 0.001.
  auto same = RowsMatrix(1, {2.0, 2.0, 2.0});
  auto t3 = MakeVector({1.0, 2.0, 6.0});
  EstimateByKNN(same.get(), t3.get(), 3, TKnnWMode::kwmGauss, 1.0, MakeVector({2.0}).get(), est,
                mean);
  EXPECT_DOUBLE_EQ(est, 3.0);
  EXPECT_EQ(mean, 0.0);
  EstimateByKNN(nullptr, t3.get(), 3, TKnnWMode::kwmGauss, 1.0, MakeVector({2.0}).get(), est, mean);
  EXPECT_EQ(est, 0.0);
}

TEST(EstimateByKNN, BiQuadReproducesAQuadraticSurface) {
  std::vector<double> xy, f;
  auto surface = [](double x, double y) {
    return 1.0 + 2.0 * x - y + 0.5 * x * x + 0.25 * y * y + 0.75 * x * y;
  };
  for (int32_t i = 0; i < 5; ++i)
    for (int32_t j = 0; j < 5; ++j) {
      xy.push_back(i * 0.5);
      xy.push_back(j * 0.5 + 0.1 * i);
      f.push_back(surface(xy[xy.size() - 2], xy.back()));
    }
  auto data = RowsMatrix(2, xy);
  auto target = MakeVector(f);
  double est = 0.0, mean = 0.0;
  EstimateByKNN(data.get(), target.get(), 12, TKnnWMode::kwmBiQuad, 1.0,
                MakeVector({0.8, 1.1}).get(), est, mean);
  EXPECT_NEAR(est, surface(0.8, 1.1), 1e-12);
  // Fewer neighbours than terms still fits (minimum-norm) without failing.
  EstimateByKNN(data.get(), target.get(), 3, TKnnWMode::kwmBiQuad, 1.0,
                MakeVector({0.8, 1.1}).get(), est, mean);
  EXPECT_TRUE(std::isfinite(est));
}

TEST(MeanDistanceKNN, MeansOfTheNearestWithinTheRange) {
  auto data = RowsMatrix(1, {0.0, 1.0, 3.0, 7.0});
  auto md = MakeVector({9, 9, 9, 9});
  MeanDistanceKNN(data.get(), 2, 0, 0, md.get());
  EXPECT_EQ(md->GetVal(1), 0.5);
  EXPECT_EQ(md->GetVal(2), 0.5);
  EXPECT_EQ(md->GetVal(3), 1.0);
  EXPECT_EQ(md->GetVal(4), 2.0);
  // Range 3..2 (reversed): only objects 2 and 3, each with itself and the other.
  auto part = MakeVector({9, 9, 9, 9});
  MeanDistanceKNN(data.get(), 2, 3, 2, part.get());
  EXPECT_EQ(part->GetVal(1), 9.0);
  EXPECT_EQ(part->GetVal(2), 1.0);
  EXPECT_EQ(part->GetVal(3), 1.0);
  EXPECT_EQ(part->GetVal(4), 9.0);
  // K = 100 becomes the whole range; a short vector grows.
  auto grow = MakeVector({9});
  MeanDistanceKNN(data.get(), 100, 0, 0, grow.get());
  ASSERT_EQ(grow->GetNrOfElem(), 4);
  EXPECT_EQ(grow->GetVal(1), 11.0 / 4.0);
  // Equal points: every mean distance is 0.
  auto same = RowsMatrix(2, {1, 1, 1, 1, 1, 1});
  auto zero = MakeVector({9, 9, 9});
  MeanDistanceKNN(same.get(), 3, 0, 0, zero.get());
  for (int32_t i = 1; i <= 3; ++i) EXPECT_EQ(zero->GetVal(i), 0.0);
  // Ties at the K-th distance count once: object 1 sees 0, 1, 1, 1.
  auto cross = RowsMatrix(2, {0, 0, 1, 0, 0, 1, -1, 0});
  MeanDistanceKNN(cross.get(), 3, 0, 0, md.get());
  EXPECT_DOUBLE_EQ(md->GetVal(1), 2.0 / 3.0);
}

TEST(FindCenters, MergesClosestPairsOnACopy) {
  ProgressReset reset;
  // Map units: every distance is above 1e10 and every square above 1e20,
  // and the merging must still find its pairs.
  const double u = 1e11;
  auto data = RowsMatrix(2, {0, 0, 2 * u, 0, 5 * u, 0, 0, 3 * u});
  int32_t changes = 0;
  data->OnChange = [&](TObject*) { ++changes; };
  auto centers = std::make_unique<TMatrix>(nullptr);
  double mean = -1.0;
  FindCenters(data.get(), 0, 0, 2, centers.get(), mean);
  ASSERT_EQ(centers->GetNrOfRows(), 2);
  ASSERT_EQ(centers->GetNrOfColumns(), 2);
  // (0,0)+(2u,0) first, then that pair (weight 2) with (0,3u).
  EXPECT_NEAR(centers->GetVal(1, 1), 2 * u / 3.0, 1e-4);
  EXPECT_NEAR(centers->GetVal(2, 1), u, 1e-4);
  EXPECT_EQ(centers->GetVal(1, 2), 5 * u);
  EXPECT_NEAR(mean, std::hypot(5 * u - 2 * u / 3.0, u), 1e-3);
  EXPECT_EQ(ProcStat, 2.0);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(data->GetVal(1, 2), 2 * u);

  // One centre: the mean of all, MeanDist 0; more centres than rows: all rows.
  FindCenters(data.get(), 0, 0, 0, centers.get(), mean);
  EXPECT_EQ(centers->GetNrOfRows(), 1);
  EXPECT_NEAR(centers->GetVal(1, 1), 1.75 * u, 1e-4);
  EXPECT_NEAR(centers->GetVal(2, 1), 0.75 * u, 1e-4);
  EXPECT_EQ(mean, 0.0);
  FindCenters(data.get(), 0, 0, 10, centers.get(), mean);
  EXPECT_EQ(centers->GetNrOfRows(), 4);
  EXPECT_DOUBLE_EQ(mean, 2.5 * u);
  // A range: rows 2..3 only.
  FindCenters(data.get(), 3, 2, 2, centers.get(), mean);
  EXPECT_EQ(centers->GetVal(1, 1), 2 * u);
  EXPECT_EQ(centers->GetVal(1, 2), 5 * u);
  EXPECT_EQ(mean, 3 * u);
}

TEST(FindCenters, AllPointsEqualAndNaN) {
  auto same = RowsMatrix(1, {4, 4, 4, 4});
  auto centers = std::make_unique<TMatrix>(nullptr);
  double mean = -1.0;
  FindCenters(same.get(), 0, 0, 2, centers.get(), mean);
  EXPECT_EQ(centers->GetVal(1, 1), 4.0);
  EXPECT_EQ(centers->GetVal(1, 2), 4.0);
  EXPECT_EQ(mean, 0.0);
  // Only NaN distances left: merging stops and the first rows are taken.
  auto nan = RowsMatrix(1, {kNaN, kNaN, kNaN});
  FindCenters(nan.get(), 0, 0, 1, centers.get(), mean);
  EXPECT_EQ(centers->GetNrOfRows(), 1);
  EXPECT_TRUE(std::isnan(centers->GetVal(1, 1)));
}

}  // namespace
}  // namespace zel
