#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "core/zel_random.hpp"
#include "num/matrix/matrix_impl.hpp"
#include "num/matrix/matrix_test_impl.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {
namespace {

using matrix_test::Cols;
using matrix_test::EventLog;
using matrix_test::MakeMatrix;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Columns of random values with a spread of magnitudes, so that the order of
// the additions shows in the last bits.
TDouble2DArray RandomCols(int32_t cols, int32_t rows, uint64_t seed) {
  SetRandSeed(seed);
  TDouble2DArray a(static_cast<size_t>(cols), TDoubleArray(static_cast<size_t>(rows)));
  for (auto& column : a)
    for (double& x : column) x = (Random() - 0.5) * std::pow(10.0, Random(7) - 3);
  return a;
}

// The textbook triple loop: C(c, r) = sum over k of A(k, r) * B(c, k), each
// sum in increasing k. transA / transB read the operands transposed. With
// a start, each cell begins there and, when sub, loses its terms instead.
TDouble2DArray Naive(const TDouble2DArray& a, bool transA, const TDouble2DArray& b, bool transB,
                     const TDouble2DArray* start = nullptr, bool sub = false) {
  const size_t m = transA ? a.size() : a.front().size();
  const size_t k = transA ? a.front().size() : a.size();
  const size_t n = transB ? b.front().size() : b.size();
  TDouble2DArray c(n, TDoubleArray(m));
  for (size_t j = 0; j < n; ++j)
    for (size_t i = 0; i < m; ++i) {
      double s = start != nullptr ? (*start)[j][i] : 0.0;
      for (size_t p = 0; p < k; ++p) {
        const double t = (transA ? a[i][p] : a[p][i]) * (transB ? b[p][j] : b[j][p]);
        if (sub)
          s -= t;
        else
          s += t;
      }
      c[j][i] = s;
    }
  return c;
}

// Bit-for-bit equality (NaNs compare by their pattern).
::testing::AssertionResult SameBits(const TDouble2DArray& x, const TDouble2DArray& y) {
  if (x.size() != y.size()) return ::testing::AssertionFailure() << "column counts differ";
  for (size_t c = 0; c < x.size(); ++c) {
    if (x[c].size() != y[c].size()) return ::testing::AssertionFailure() << "row counts differ";
    for (size_t r = 0; r < x[c].size(); ++r)
      if (std::bit_cast<uint64_t>(x[c][r]) != std::bit_cast<uint64_t>(y[c][r]))
        return ::testing::AssertionFailure()
               << "cell [" << c << "][" << r << "]: " << x[c][r] << " vs " << y[c][r];
  }
  return ::testing::AssertionSuccess();
}

// --- the product kernel ----------------------------------------------------------

TEST(MatrixGemm, EveryPathAddsAndSubtractsAsTheTripleLoopBitForBit) {
  using matrix_detail::TGemmPath;
  std::vector<TGemmPath> paths{TGemmPath::gpAuto, TGemmPath::gpSimple, TGemmPath::gpSse2};
  if (matrix_detail::GemmHasAvx2()) paths.push_back(TGemmPath::gpAvx2);
  // Shapes around the tile (8 x 6, 4 x 6) and block (96 x 256) sizes; 300
  // splits k into two blocks.
  const int32_t shapes[][3] = {{1, 1, 1},    {3, 7, 5},     {8, 6, 4},     {9, 7, 13},
                               {37, 41, 29}, {97, 13, 300}, {100, 61, 257}};
  uint64_t seed = 1;
  for (const auto& s : shapes) {
    const int32_t m = s[0], n = s[1], k = s[2];
    for (const bool transA : {false, true}) {
      for (const bool transB : {false, true}) {
        const auto a = transA ? RandomCols(m, k, seed++) : RandomCols(k, m, seed++);
        const auto b = transB ? RandomCols(k, n, seed++) : RandomCols(n, k, seed++);
        // op(A) is m x k: columns of a are k (or m when transposed), etc.
        const auto want = Naive(a, transA, b, transB);
        const auto start = RandomCols(n, m, seed++);
        const auto wantSub = Naive(a, transA, b, transB, &start, true);
        std::vector<const double*> pa, pb;
        for (const auto& col : a) pa.push_back(col.data());
        for (const auto& col : b) pb.push_back(col.data());
        for (const TGemmPath path : paths) {
          TDouble2DArray c(static_cast<size_t>(n), TDoubleArray(static_cast<size_t>(m), 0.0));
          std::vector<double*> pc;
          for (auto& col : c) pc.push_back(col.data());
          matrix_detail::Gemm(m, n, k, pa.data(), transA, pb.data(), transB, pc.data(), path);
          EXPECT_TRUE(SameBits(c, want))
              << m << "x" << n << "x" << k << " transA " << transA << " transB " << transB
              << " path " << static_cast<int>(path);
          for (size_t j = 0; j < c.size(); ++j)
            std::copy(start[j].begin(), start[j].end(), c[j].begin());
          matrix_detail::GemmSubtract(m, n, k, pa.data(), transA, pb.data(), transB, pc.data(),
                                      path);
          EXPECT_TRUE(SameBits(c, wantSub))
              << "subtract " << m << "x" << n << "x" << k << " transA " << transA << " transB "
              << transB << " path " << static_cast<int>(path);
        }
      }
    }
  }
}

TEST(MatrixGemm, NonFiniteValuesPropagateAsInTheTripleLoop) {
  using matrix_detail::TGemmPath;
  auto a = RandomCols(40, 50, 7);
  auto b = RandomCols(30, 40, 8);
  a[3][5] = kInf;
  a[10][0] = kNaN;
  b[2][3] = 0.0;  // 0 * inf in column 2
  b[7][9] = -kInf;
  const auto want = Naive(a, false, b, false);
  std::vector<const double*> pa, pb;
  for (const auto& col : a) pa.push_back(col.data());
  for (const auto& col : b) pb.push_back(col.data());
  for (const TGemmPath path : {TGemmPath::gpSse2, TGemmPath::gpAvx2, TGemmPath::gpSimple}) {
    TDouble2DArray c(30, TDoubleArray(50, 0.0));
    std::vector<double*> pc;
    for (auto& col : c) pc.push_back(col.data());
    matrix_detail::Gemm(50, 30, 40, pa.data(), false, pb.data(), false, pc.data(), path);
    for (size_t j = 0; j < c.size(); ++j)
      for (size_t i = 0; i < c[j].size(); ++i) {
        if (std::isnan(want[j][i]))
          ASSERT_TRUE(std::isnan(c[j][i])) << j << "," << i;
        else
          ASSERT_EQ(c[j][i], want[j][i]) << j << "," << i;
      }
  }
}

// --- products of TMatrix -----------------------------------------------------------

TEST(MatrixProduct, MultiplyMatchesTheDefinitionAndSizesTheResult) {
  auto a = MakeMatrix({{1, 2}, {3, 4}, {5, 6}});  // 3 columns x 2 rows
  auto b = MakeMatrix({{1, 0, 2}});               // 1 column x 3 rows
  TMatrix res(nullptr);
  ASSERT_TRUE(a->Multiply(b.get(), &res));
  // Row r of A times column 1 of B: 1*1 + 3*0 + 5*2 = 11, 2 + 0 + 12 = 14.
  EXPECT_EQ(Cols(res), (TDouble2DArray{{11, 14}}));
  const auto big = MakeMatrix(RandomCols(70, 90, 3));
  const auto big2 = MakeMatrix(RandomCols(40, 70, 4));
  ASSERT_TRUE(big->Multiply(big2.get(), &res));
  EXPECT_TRUE(SameBits(Cols(res), Naive(Cols(*big), false, Cols(*big2), false)));
  EXPECT_EQ(res.GetNrOfColumns(), 40);
  EXPECT_EQ(res.GetNrOfRows(), 90);
}

TEST(MatrixProduct, MismatchOrNullGivesFalseAndChangesNothing) {
  auto a = MakeMatrix({{1, 2}, {3, 4}, {5, 6}});
  auto b = MakeMatrix({{1, 2}, {3, 4}});
  auto res = MakeMatrix({{9}});
  EventLog log;
  log.Attach(*res);
  EXPECT_FALSE(a->Multiply(b.get(), res.get()));            // 3 columns vs 2 rows
  EXPECT_FALSE(a->MultiplyTransposed(b.get(), res.get()));  // 3 vs 2 columns
  auto tall = MakeMatrix({{1, 2, 3}});
  EXPECT_FALSE(a->TransposeAndMultiply(tall.get(), res.get()));  // 2 vs 3 rows
  EXPECT_FALSE(a->Multiply(static_cast<const TMatrix*>(nullptr), res.get()));
  EXPECT_FALSE(a->Multiply(a.get(), nullptr));
  EXPECT_FALSE(a->EMult(b.get(), res.get()));
  EXPECT_FALSE(a->Add(b.get()));
  EXPECT_FALSE(a->Subtract(nullptr));
  auto v = std::make_unique<TVector>(nullptr);
  v->Resize(2);
  EXPECT_FALSE(a->Multiply(v.get(), v.get()));  // needs 3 elements
  EXPECT_FALSE(b->TransposeAndMultiply(static_cast<const TVector*>(nullptr), v.get()));
  EXPECT_EQ(Cols(*res), (TDouble2DArray{{9}}));
  EXPECT_EQ(log.Seq, "");
  EXPECT_EQ(Cols(*a), (TDouble2DArray{{1, 2}, {3, 4}, {5, 6}}));
}

TEST(MatrixProduct, TransposedFormsMatchTheirDefinitions) {
  const auto a = MakeMatrix(RandomCols(33, 20, 11));
  const auto b = MakeMatrix(RandomCols(33, 17, 12));
  const auto c = MakeMatrix(RandomCols(9, 20, 13));
  TMatrix res(nullptr);
  ASSERT_TRUE(a->MultiplyTransposed(b.get(), &res));  // A x B^T: 17 x 20
  EXPECT_TRUE(SameBits(Cols(res), Naive(Cols(*a), false, Cols(*b), true)));
  ASSERT_TRUE(a->TransposeAndMultiply(c.get(), &res));  // A^T x C: 9 x 33
  EXPECT_TRUE(SameBits(Cols(res), Naive(Cols(*a), true, Cols(*c), false)));
  EXPECT_EQ(res.GetNrOfColumns(), 9);
  EXPECT_EQ(res.GetNrOfRows(), 33);
}

TEST(MatrixProduct, ResultMayBeAnOperand) {
  const auto data = RandomCols(45, 45, 21);
  const auto other = RandomCols(45, 45, 22);
  auto fresh = [&] { return MakeMatrix(data); };
  auto b = MakeMatrix(other);
  TMatrix want(nullptr);
  // A.Multiply(A, A)
  auto a = fresh();
  ASSERT_TRUE(a->Multiply(a.get(), &want));
  ASSERT_TRUE(a->Multiply(a.get(), a.get()));
  EXPECT_TRUE(SameBits(Cols(*a), Cols(want)));
  // A.Multiply(B, B) and A.Multiply(B, A)
  a = fresh();
  ASSERT_TRUE(a->Multiply(b.get(), &want));
  auto b2 = MakeMatrix(other);
  ASSERT_TRUE(a->Multiply(b2.get(), b2.get()));
  EXPECT_TRUE(SameBits(Cols(*b2), Cols(want)));
  ASSERT_TRUE(a->Multiply(b.get(), a.get()));
  EXPECT_TRUE(SameBits(Cols(*a), Cols(want)));
  // The transposed forms and the element-wise product into an operand.
  a = fresh();
  ASSERT_TRUE(a->MultiplyTransposed(a.get(), &want));
  ASSERT_TRUE(a->MultiplyTransposed(a.get(), a.get()));
  EXPECT_TRUE(SameBits(Cols(*a), Cols(want)));
  a = fresh();
  ASSERT_TRUE(a->TransposeAndMultiply(b.get(), &want));
  ASSERT_TRUE(a->TransposeAndMultiply(b.get(), a.get()));
  EXPECT_TRUE(SameBits(Cols(*a), Cols(want)));
  a = fresh();
  ASSERT_TRUE(a->EMult(a.get(), &want));
  ASSERT_TRUE(a->EMult(a.get(), a.get()));
  EXPECT_TRUE(SameBits(Cols(*a), Cols(want)));
}

TEST(MatrixProduct, ResultFiresOncePerCellWithAHandlerAndOnceAtTheEnd) {
  auto a = MakeMatrix({{1, 2}, {3, 4}, {5, 6}});
  auto b = MakeMatrix({{1, 1, 1}, {2, 2, 2}});
  TMatrix res(nullptr);
  EventLog log;
  log.Attach(res);
  ASSERT_TRUE(a->Multiply(b.get(), &res));  // 2 x 2 result
  EXPECT_EQ(log.Seq, "CRCCCCC");
  EXPECT_EQ(Cols(res), (TDouble2DArray{{9, 12}, {18, 24}}));
  log.Seq.clear();
  ASSERT_TRUE(a->Multiply(b.get(), &res));  // same size: no resize
  EXPECT_EQ(log.Seq, "CCCCC");
  // Without an OnChange handler only the size change is reported.
  TMatrix quiet(nullptr);
  int resized = 0;
  quiet.OnResize = [&](TObject*) { ++resized; };
  ASSERT_TRUE(a->Multiply(b.get(), &quiet));
  ASSERT_TRUE(a->Multiply(b.get(), &quiet));
  EXPECT_EQ(resized, 1);
  EXPECT_EQ(Cols(quiet), Cols(res));
}

TEST(MatrixProduct, PerCellEventsSeeTheResultFilledColumnByColumn) {
  auto a = MakeMatrix({{1, 2}, {3, 4}});
  auto id = MakeMatrix({{1, 0}, {0, 1}});
  TMatrix res(nullptr);
  res.Resize(2, 2);
  std::vector<double> seen;
  res.OnChange = [&](TObject*) {
    seen.push_back(res.GetVal(1, 1) + 10 * res.GetVal(1, 2) + 100 * res.GetVal(2, 1) +
                   1000 * res.GetVal(2, 2));
  };
  ASSERT_TRUE(a->Multiply(id.get(), &res));
  EXPECT_EQ(seen, (std::vector<double>{1, 21, 321, 4321, 4321}));
}

TEST(MatrixProduct, VectorProductsAndAliasing) {
  auto a = MakeMatrix({{1, 2}, {3, 4}, {5, 6}});
  auto v = std::make_unique<TVector>(nullptr);
  v->Resize(3);
  v->CopyFrom(TDoubleArray{1, 0, 2}, 0, 2, 1);
  auto res = std::make_unique<TVector>(nullptr);
  ASSERT_TRUE(a->Multiply(v.get(), res.get()));
  EXPECT_EQ(res->GetNrOfElem(), 2);
  EXPECT_EQ(res->GetVal(1), 11.0);
  EXPECT_EQ(res->GetVal(2), 14.0);
  // Result into the operand: read first.
  auto sq = MakeMatrix({{2, 1}, {1, 3}});
  auto w = std::make_unique<TVector>(nullptr);
  w->Resize(2);
  w->CopyFrom(TDoubleArray{1, 2}, 0, 1, 1);
  ASSERT_TRUE(sq->Multiply(w.get(), w.get()));
  EXPECT_EQ(w->GetVal(1), 4.0);                              // 2*1 + 1*2
  EXPECT_EQ(w->GetVal(2), 7.0);                              // 1*1 + 3*2
  ASSERT_TRUE(a->TransposeAndMultiply(res.get(), v.get()));  // A^T x (11, 14)
  EXPECT_EQ(v->GetNrOfElem(), 3);
  EXPECT_EQ(v->GetVal(1), 39.0);
  EXPECT_EQ(v->GetVal(2), 89.0);
  EXPECT_EQ(v->GetVal(3), 139.0);
  ASSERT_TRUE(sq->TransposeAndMultiply(w.get(), w.get()));
  EXPECT_EQ(w->GetVal(1), 15.0);  // (4, 7) . (2, 1)
  EXPECT_EQ(w->GetVal(2), 25.0);  // (4, 7) . (1, 3)
}

// --- element-wise arithmetic -------------------------------------------------------

TEST(MatrixArith, AddSubtractScaleAndShiftFireOnce) {
  auto a = MakeMatrix({{1, 2}, {3, 4}});
  auto b = MakeMatrix({{10, 20}, {30, 40}});
  EventLog log;
  log.Attach(*a);
  ASSERT_TRUE(a->Add(b.get()));
  EXPECT_EQ(Cols(*a), (TDouble2DArray{{11, 22}, {33, 44}}));
  ASSERT_TRUE(a->Subtract(a.get()));
  EXPECT_EQ(Cols(*a), (TDouble2DArray{{0, 0}, {0, 0}}));
  ASSERT_TRUE(a->Add(b.get()));
  ASSERT_TRUE(a->Add(a.get()));
  EXPECT_EQ(Cols(*a), (TDouble2DArray{{20, 40}, {60, 80}}));
  a->SMult(0.5);
  a->SAdd(-1);
  EXPECT_EQ(Cols(*a), (TDouble2DArray{{9, 19}, {29, 39}}));
  EXPECT_EQ(log.Seq, "CCCCCC");
  TMatrix prod(nullptr);
  ASSERT_TRUE(a->EMult(b.get(), &prod));
  EXPECT_EQ(Cols(prod), (TDouble2DArray{{90, 380}, {870, 1560}}));
}

// --- random fills --------------------------------------------------------------

TEST(MatrixFill, RandomUniformDrawsColumnByColumnWithoutReseeding) {
  SetRandSeed(99);
  std::vector<double> u;
  for (int i = 0; i < 6; ++i) u.push_back(Random());
  TMatrix m(nullptr);
  m.Resize(3, 2);
  SetRandSeed(99);
  m.FillRandomUniform(-1, 3);
  for (int32_t c = 1; c <= 3; ++c)
    for (int32_t r = 1; r <= 2; ++r)
      EXPECT_EQ(m.GetVal(c, r), -1 + u[static_cast<size_t>((c - 1) * 2 + r - 1)] * 4);
  SetRandSeed(99);
  m.Fill(7);
  m.FillRandomUniform(2, 3, 2, 2, 0, 1);  // only row 2 of columns 2..3
  EXPECT_EQ(m.GetVal(2, 2), u[0]);
  EXPECT_EQ(m.GetVal(3, 2), u[1]);
  EXPECT_EQ(m.GetVal(2, 1), 7.0);
  EXPECT_EQ(m.GetVal(1, 2), 7.0);
}

TEST(MatrixFill, RandomGaussHasTheRequestedMoments) {
  SetRandSeed(5);
  TMatrix m(nullptr);
  m.Resize(100, 200);
  int fired = 0;
  m.OnChange = [&](TObject*) { ++fired; };
  m.FillRandomGauss(10, 2);
  EXPECT_EQ(fired, 1);
  double mean = 0, var = 0;
  m.MeanVar(0, 0, 0, 0, mean, var);
  // 20000 draws: the standard error of the mean is 2/sqrt(20000) = 0.014.
  EXPECT_NEAR(mean, 10, 0.07);
  EXPECT_NEAR(std::sqrt(var), 2, 0.05);
  m.Fill(0);
  m.FillRandomGauss(1, 1, 1, 1, 5, 0);
  EXPECT_EQ(m.GetVal(1, 1), 5.0);
  EXPECT_EQ(m.GetVal(2, 1), 0.0);
}

}  // namespace
}  // namespace zel
