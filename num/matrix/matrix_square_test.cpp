#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <utility>

#include "core/zel_random.hpp"
#include "core/zel_zelbase.hpp"
#include "num/matrix/matrix_test_impl.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {
namespace {

using matrix_test::Cols;
using matrix_test::EventLog;
using matrix_test::MakeMatrix;

TDouble2DArray RandomCols(size_t cols, size_t rows, uint64_t seed) {
  SetRandSeed(seed);
  TDouble2DArray a(cols, TDoubleArray(rows));
  for (auto& col : a)
    for (double& x : col) x = (Random() - 0.5) * std::pow(10.0, Random(5) - 2);
  return a;
}

// Restores the progress globals whatever a test does.
struct ProgressGuard {
  ~ProgressGuard() {
    MathFeedBackProc = nullptr;
    AbortMathProc = false;
  }
};

TEST(MatrixSquare, ComputesTheScaledCrossProduct) {
  auto a = MakeMatrix({{1, 2, 3}, {4, 5, 6}});
  auto r = MakeMatrix({{0}});
  ASSERT_TRUE(a->Square(r.get(), 2.0, 1));
  EXPECT_EQ(Cols(*r), TDouble2DArray({{7, 16}, {16, 38.5}}));
}

TEST(MatrixSquare, GivesIdenticalResultsForAnyThreadCount) {
  auto a = MakeMatrix(RandomCols(37, 53, 3));
  auto r1 = MakeMatrix({{0}});
  ASSERT_TRUE(a->Square(r1.get(), 3.0, 1));
  for (int32_t nt : {2, 3, 8, 100}) {
    auto rn = MakeMatrix({{0}});
    const double before = ProcStat;
    ASSERT_TRUE(a->Square(rn.get(), 3.0, nt));
    EXPECT_EQ(Cols(*rn), Cols(*r1)) << nt << " threads";
    EXPECT_EQ(ProcStat - before, 37.0) << "one step per column";
  }
  auto rd = MakeMatrix({{0}});
  ASSERT_TRUE(a->Square(rd.get(), 3.0));
  EXPECT_EQ(Cols(*rd), Cols(*r1));
  // Below 1 thread counts as 1; the result may replace the source.
  auto r0 = MakeMatrix({{0}});
  ASSERT_TRUE(a->Square(r0.get(), 3.0, 0));
  EXPECT_EQ(Cols(*r0), Cols(*r1));
  ASSERT_TRUE(a->Square(a.get(), 3.0, 2));
  EXPECT_EQ(Cols(*a), Cols(*r1));
}

// Several blocks of columns with ragged edges, on the packed kernel: every
// cell must be the plain loop's sum bit for bit, mirrored exactly.
TEST(MatrixSquare, EqualsThePlainLoopOnManyBlocks) {
  // The last shape has columns long enough for narrower blocks.
  for (const auto& [cols, rows] :
       {std::pair<size_t, size_t>{131, 67}, {97, 1}, {49, 300}, {50, 57000}}) {
    const TDouble2DArray src = RandomCols(cols, rows, cols);
    TDouble2DArray want(cols, TDoubleArray(cols));
    for (size_t i = 0; i < cols; ++i)
      for (size_t j = i; j < cols; ++j) {
        double s = 0.0;
        for (size_t r = 0; r < rows; ++r) {
          const volatile double t = src[i][r] * src[j][r];  // no fused multiply-add
          s += t;
        }
        want[j][i] = want[i][j] = s / 0.7;
      }
    auto a = MakeMatrix(src);
    for (int32_t nt : {1, 2, 5}) {
      auto r = MakeMatrix({{0}});
      ASSERT_TRUE(a->Square(r.get(), 0.7, nt));
      EXPECT_EQ(Cols(*r), want) << cols << " x " << rows << ", " << nt << " threads";
    }
  }
}

TEST(MatrixSquare, RejectsNullResultAndZeroNorm) {
  auto a = MakeMatrix(RandomCols(3, 4, 1));
  auto r = MakeMatrix({{5}});
  EventLog log;
  log.Attach(*r);
  EXPECT_FALSE(a->Square(nullptr, 1.0, 2));
  EXPECT_FALSE(a->Square(r.get(), 0.0, 2));
  EXPECT_FALSE(a->Square(r.get(), std::nan(""), 1));
  EXPECT_EQ(Cols(*r), TDouble2DArray({{5}}));
  EXPECT_EQ(log.Seq, "");
  ASSERT_TRUE(a->Square(r.get(), 1.0, 2));
  EXPECT_EQ(log.Seq, "CR");
}

TEST(MatrixSquare, AbortsWhileThreadsRunAndJoinsThem) {
  ProgressGuard guard;
  auto a = MakeMatrix(RandomCols(400, 300, 5));
  int32_t calls = 0;
  MathFeedBackProc = [&](double) {
    if (++calls == 2) AbortMathProc = true;
  };
  {
    auto r = std::make_unique<TMatrix>(nullptr);
    EXPECT_FALSE(a->Square(r.get(), 1.0, 3));
    EXPECT_EQ(r->GetNrOfColumns(), 400);
    // Freed right away: no worker may still write into it (ASan would see it).
  }
  AbortMathProc = true;
  auto r1 = MakeMatrix({{0}});
  EXPECT_FALSE(a->Square(r1.get(), 1.0, 1));
  EXPECT_FALSE(a->Square(r1.get(), 1.0, 2));
}

TEST(MatrixSquare, JoinsWorkersWhenTheProgressHookThrows) {
  ProgressGuard guard;
  auto a = MakeMatrix(RandomCols(300, 300, 6));
  MathFeedBackProc = [](double) { throw std::runtime_error("hook"); };
  auto r = MakeMatrix({{0}});
  EXPECT_THROW(a->Square(r.get(), 1.0, 2), std::runtime_error);
}

}  // namespace
}  // namespace zel
