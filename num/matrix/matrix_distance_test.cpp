#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>

#include "num/matrix/matrix_test_impl.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {
namespace {

using matrix_test::Cols;
using matrix_test::EventLog;
using matrix_test::MakeMatrix;

// Rows (objects): (1, 2, 3), (2, 0, 4), (0, 0, 0).
std::unique_ptr<TMatrix> Objects() { return MakeMatrix({{1, 2, 0}, {2, 0, 0}, {3, 4, 0}}); }

TEST(MatrixDistance, ComputesEveryMode) {
  auto m = Objects();
  // Sum xy = 14, Sum x^2 = 14, Sum y^2 = 20.
  EXPECT_DOUBLE_EQ(m->DistanceOfObjects(TDistMode::dmTanimoto, 1, 2), 14.0 / 20.0);
  EXPECT_DOUBLE_EQ(m->DistanceOfObjects(TDistMode::dmManhattan, 1, 2), 4.0);
  EXPECT_DOUBLE_EQ(m->DistanceOfObjects(TDistMode::dmEuclid, 1, 2), std::sqrt(6.0));
  EXPECT_DOUBLE_EQ(m->DistanceOfObjects(TDistMode::dmSqrEuclid, 1, 2), 6.0);
  EXPECT_DOUBLE_EQ(m->DistanceOfObjects(TDistMode::dmDice, 1, 2), 28.0 / 34.0);
  EXPECT_EQ(m->DistanceOfObjects(TDistMode::dmEuclid, 1, 4), 0.0);
  EXPECT_EQ(m->DistanceOfObjects(static_cast<TDistMode>(17), 1, 2), 0.0);
}

TEST(MatrixDistance, UserModeAsksTheHandler) {
  auto m = Objects();
  EXPECT_EQ(m->DistanceOfObjects(TDistMode::dmUserDef, 1, 2), 0.0);
  TObject* sender = nullptr;
  m->OnCalcDistance = [&](TObject* s, int32_t r1, int32_t r2, double& d) {
    sender = s;
    d = 10.0 * r1 + r2;
  };
  EXPECT_EQ(m->DistanceOfObjects(TDistMode::dmUserDef, 3, 1), 31.0);
  EXPECT_EQ(sender, m.get());
  auto d = MakeMatrix({{9, 9, 9}, {9, 9, 9}, {9, 9, 9}});
  ASSERT_EQ(m->CalcDistMat(TDistMode::dmUserDef, d.get()), 0);
  EXPECT_EQ(Cols(*d), TDouble2DArray({{0, 12, 13}, {12, 0, 23}, {13, 23, 0}}));
}

TEST(MatrixDistance, DistanceMatrixIsSymmetricWithZeroDiagonal) {
  auto m = Objects();
  auto d = MakeMatrix({{9, 9, 9}, {9, 9, 9}, {9, 9, 9}});
  EventLog log;
  log.Attach(*d);
  ASSERT_EQ(m->CalcDistMat(TDistMode::dmSqrEuclid, d.get()), 0);
  EXPECT_EQ(Cols(*d), TDouble2DArray({{0, 6, 14}, {6, 0, 20}, {14, 20, 0}}));
  EXPECT_EQ(log.Seq, "C");
}

TEST(MatrixDistance, DistanceMatrixNeedsAPresizedSquareTarget) {
  auto m = Objects();
  auto wrongCols = MakeMatrix({{9, 9, 9}, {9, 9, 9}});
  EXPECT_EQ(m->CalcDistMat(TDistMode::dmEuclid, wrongCols.get()), -2);
  EXPECT_EQ(Cols(*wrongCols), TDouble2DArray({{9, 9, 9}, {9, 9, 9}}));
  auto notSquare = MakeMatrix({{9, 9}, {9, 9}, {9, 9}});
  EXPECT_EQ(m->CalcDistMat(TDistMode::dmEuclid, notSquare.get()), -1);
  EXPECT_EQ(Cols(*notSquare), TDouble2DArray({{9, 9}, {9, 9}, {9, 9}}));
  EXPECT_EQ(m->CalcDistMat(TDistMode::dmEuclid, nullptr), -1);
}

}  // namespace
}  // namespace zel
