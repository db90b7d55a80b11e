// Helpers shared by the regression sources (not installed).
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/zel_zelbase.hpp"
#include "num/matrix/zel_matrix.hpp"
#include "num/vector/zel_vector.hpp"

namespace zel::regression_detail {

// Singular values at or below this fraction of the largest count as 0.
constexpr double kRankTol = 1e-13;

// Thin SVD A = U diag(w) V^T of the m x n matrix a (n columns of m rows),
// p = min(m, n): u holds p columns of m rows, v p columns of n rows, w is
// sorted descending and each column of v has its largest-magnitude element
// (the first such) positive.
struct ThinSvd {
  size_t m = 0, n = 0, p = 0;
  TDouble2DArray u, v;
  TDoubleArray w;
  // Number of singular values above kRankTol times the largest.
  size_t Rank() const;
};

// False when a singular value did not converge (a must be finite and
// rectangular with m, n >= 1).
bool ComputeThinSvd(const TDouble2DArray& a, ThinSvd& out);

// The power of two 2^-e with 2^e near |x| (1 for x = 0 or non-finite); long
// double, since the inverse of a subnormal is beyond the double range.
inline long double Pow2Inverse(double x) {
  if (x == 0.0 || !std::isfinite(x)) return 1.0L;
  int e = 0;
  std::frexp(x, &e);
  return std::ldexp(1.0L, -e);
}

inline bool AllFinite(const TDoubleArray& a) {
  for (double x : a)
    if (!std::isfinite(x)) return false;
  return true;
}

inline TDoubleArray VectorValues(const TVector& v) {
  TDoubleArray a(static_cast<size_t>(v.GetNrOfElem()));
  for (size_t i = 0; i < a.size(); ++i) a[i] = v.GetVal(static_cast<int32_t>(i + 1));
  return a;
}

// Stores a into v (resized), with one OnChange and OnResize at most.
void StoreVector(TVector& v, const TDoubleArray& a);

// Column means of a (long double, mean first).
std::vector<long double> ColumnMeans(const TDouble2DArray& a);

// Solution of the (ridge) least-squares problem min |y - Z g|^2 + lambda
// |g|^2 through the thin SVD of Z; with lambda = 0 the directions whose
// singular value is at or below kRankTol times the largest are dropped
// (minimum norm). g has one element per column of Z.
std::vector<long double> RidgeSolve(const ThinSvd& svd, const TDoubleArray& y, long double lambda);

}  // namespace zel::regression_detail
