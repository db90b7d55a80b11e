// Contingency tables: chi-square, Yates, Fisher's exact test, adjusted Rand
// index, Goodman-Kruskal lambda.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/zel_univconst.hpp"
#include "num/statis/statis_impl.hpp"
#include "num/statis/zel_statis.hpp"

namespace zel {

using statis_detail::kNaN;

namespace {

// Columns and rows of a rectangular table, 0 x 0 when ragged or empty.
void Shape(const TInt2DArray& t, size_t& cols, size_t& rows) {
  cols = rows = 0;
  if (t.empty() || !IsRectangular(t)) return;
  cols = t.size();
  rows = t[0].size();
}

double UpperChi2(double chi2, int32_t df) {
  if (df < 1) return 1.0;
  return IncompleteGammaCompl(0.5 * chi2, 0.5 * df);
}

bool Is2x2(const TInt2DArray& t) {
  size_t c, r;
  Shape(t, c, r);
  return c == 3 && r == 3;
}

double LnFact(int64_t n) { return uc_LnFactorial[static_cast<size_t>(n)]; }

// The four cells; false for a negative one.
bool Cells(const TInt2DArray& t, int64_t& a, int64_t& b, int64_t& c, int64_t& d) {
  a = t[0][0];
  b = t[1][0];
  c = t[0][1];
  d = t[1][1];
  return a >= 0 && b >= 0 && c >= 0 && d >= 0;
}

int64_t Pairs(int64_t n) { return n * (n - 1) / 2; }

}  // namespace

int32_t Chi2OfContTab(const TInt2DArray& table, double& chi2, double& p) {
  chi2 = p = 0.0;
  size_t cols, rows;
  Shape(table, cols, rows);
  if (cols < 3 || rows < 3) return kContTabBadShape;
  const double grand = table[cols - 1][rows - 1];
  // 0/0 expected counts would turn the statistic into NaN.
  if (!(grand > 0.0)) return kContTabBadShape;
  long double sum = 0.0L;
  for (size_t c = 0; c + 1 < cols; ++c) {
    for (size_t r = 0; r + 1 < rows; ++r) {
      const double e = static_cast<double>(table[c][rows - 1]) * table[cols - 1][r] / grand;
      if (e <= 0.0) continue;
      const long double d = table[c][r] - e;
      sum += d * d / e;
    }
  }
  chi2 = static_cast<double>(sum);
  const int32_t df = static_cast<int32_t>((rows - 2) * (cols - 2));
  p = UpperChi2(chi2, df);
  return kContTabOk;
}

int32_t Chi2OfContTabYates(const TInt2DArray& table, double& chi2, double& p) {
  chi2 = p = 0.0;
  if (!Is2x2(table)) return kContTabBadShape;
  const double a = table[0][0], b = table[1][0], c = table[0][1], d = table[1][1];
  const double margins = static_cast<double>(table[2][0]) * table[2][1] * table[0][2] * table[1][2];
  if (margins == 0.0) return kContTabZeroMargin;
  const double n = table[2][2];
  const double diff = std::max(0.0, std::fabs(a * d - b * c) - 0.5 * n);
  chi2 = diff * diff * n / margins;
  p = UpperChi2(chi2, 1);
  return kContTabOk;
}

int32_t Prob2x2Contingency(const TInt2DArray& table, double& p) {
  p = 0.0;
  if (!Is2x2(table)) return kContTabBadShape;
  int64_t a, b, c, d;
  if (!Cells(table, a, b, c, d)) return kContTabNegative;
  const int64_t n = a + b + c + d;
  if (n > 1000) return kContTabTooLarge;
  p = std::exp(LnFact(a + b) + LnFact(c + d) + LnFact(a + c) + LnFact(b + d) - LnFact(a) -
               LnFact(b) - LnFact(c) - LnFact(d) - LnFact(n));
  return kContTabOk;
}

int32_t FisherExactTest(const TInt2DArray& table, double& pLeft, double& pRight,
                        double& pTwoSided) {
  pLeft = pRight = pTwoSided = 0.0;
  if (!Is2x2(table)) return kContTabBadShape;
  int64_t a, b, c, d;
  const bool nonNegative = Cells(table, a, b, c, d);
  // Sizes first: a huge table is refused before its cells are judged.
  if (nonNegative && a + b + c + d > 1000) return kContTabTooLarge;
  if (!nonNegative) return kContTabNegative;
  const int64_t n = a + b + c + d, r1 = a + b, c1 = a + c, r2 = c + d, c2 = b + d;
  auto prob = [&](int64_t x) {
    return std::exp(LnFact(r1) + LnFact(r2) + LnFact(c1) + LnFact(c2) - LnFact(n) - LnFact(x) -
                    LnFact(r1 - x) - LnFact(c1 - x) - LnFact(r2 - c1 + x));
  };
  const int64_t lo = std::max<int64_t>(0, c1 - r2), hi = std::min(r1, c1);
  const double pObs = prob(a);
  long double left = 0.0L, right = 0.0L, two = 0.0L;
  for (int64_t x = lo; x <= hi; ++x) {
    const double px = prob(x);
    if (x <= a) left += px;
    if (x >= a) right += px;
    if (px <= pObs * (1.0 + 1e-7)) two += px;
  }
  pLeft = std::min(1.0, static_cast<double>(left));
  pRight = std::min(1.0, static_cast<double>(right));
  pTwoSided = std::min(1.0, static_cast<double>(two));
  return kContTabOk;
}

double AdjustedRandIx(const TInt2DArray& table) {
  size_t cols, rows;
  Shape(table, cols, rows);
  if (cols < 2 || rows < 2) return kNaN;
  std::vector<int64_t> rowSum(rows - 1, 0), colSum(cols - 1, 0);
  int64_t n = 0, sumCells = 0;
  for (size_t c = 0; c + 1 < cols; ++c) {
    for (size_t r = 0; r + 1 < rows; ++r) {
      const int64_t v = table[c][r];
      if (v < 0) return kNaN;
      rowSum[r] += v;
      colSum[c] += v;
      n += v;
      sumCells += Pairs(v);
    }
  }
  if (n < 2) return 0.0;
  int64_t sumA = 0, sumB = 0;
  for (int64_t v : rowSum) sumA += Pairs(v);
  for (int64_t v : colSum) sumB += Pairs(v);
  const long double expected =
      static_cast<long double>(sumA) * static_cast<long double>(sumB) / Pairs(n);
  const long double num = sumCells - expected;
  const long double den = 0.5L * (sumA + sumB) - expected;
  if (den == 0.0L) return num == 0.0L ? 1.0 : 0.0;
  return static_cast<double>(num / den);
}

int32_t Lambda(const TInt2DArray& table, double& lambdaRows, double& lambdaCols) {
  lambdaRows = lambdaCols = 0.0;
  size_t cols, rows;
  Shape(table, cols, rows);
  if (cols < 3 || rows < 3) return kContTabLambdaShape;
  const size_t R = rows - 1, C = cols - 1;
  int64_t sumRowMax = 0, sumColMax = 0, maxRowTotal = 0, maxColTotal = 0, grand = 0;
  for (size_t r = 0; r < R; ++r) {
    int64_t s = 0, m = 0;
    for (size_t c = 0; c < C; ++c) {
      s += table[c][r];
      m = std::max<int64_t>(m, table[c][r]);
    }
    if (s != table[C][r]) return kContTabBadTotals;
    sumRowMax += m;
    maxRowTotal = std::max(maxRowTotal, s);
    grand += s;
  }
  for (size_t c = 0; c < C; ++c) {
    int64_t s = 0, m = 0;
    for (size_t r = 0; r < R; ++r) {
      s += table[c][r];
      m = std::max<int64_t>(m, table[c][r]);
    }
    if (s != table[c][R]) return kContTabBadTotals;
    sumColMax += m;
    maxColTotal = std::max(maxColTotal, s);
  }
  // All objects in one category: nothing to predict, lambda 0.
  if (grand - maxColTotal != 0) {
    lambdaRows =
        static_cast<double>(sumRowMax - maxColTotal) / static_cast<double>(grand - maxColTotal);
  }
  if (grand - maxRowTotal != 0) {
    lambdaCols =
        static_cast<double>(sumColMax - maxRowTotal) / static_cast<double>(grand - maxRowTotal);
  }
  return kContTabOk;
}

}  // namespace zel
