// Least squares by singular value decomposition, the pseudo-inverse and the
// Mahalanobis distance. The decomposition is the matrix unit's SVDecompose.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "num/analysis/math2_impl.hpp"
#include "num/analysis/zel_math2.hpp"

namespace zel {

namespace {

constexpr double kRelSingular = 1e-14;

}  // namespace

bool SVDLeastSquares(const TDouble2DArray& A, const TDoubleArray& y, TDoubleArray& x,
                     TDoubleArray& ScaleFactors, bool& NearSingular) {
  x.clear();
  ScaleFactors.clear();
  NearSingular = false;
  if (A.empty() || A.front().empty() || !IsRectangular(A)) return false;
  const auto k = A.size();
  const auto m = A.front().size();
  if (y.size() != m || !math2_detail::AllFinite(A)) return false;
  for (double v : y)
    if (!std::isfinite(v)) return false;
  TDouble2DArray u = A;
  TDoubleArray w(k);
  TDouble2DArray v(k, TDoubleArray(k));
  if (!SVDecompose(static_cast<int32_t>(m), static_cast<int32_t>(k), u, w, v)) return false;

  const double wmax = *std::max_element(w.begin(), w.end());
  const double cut = kRelSingular * wmax;
  for (double& wj : w)
    if (wj < cut) {
      wj = 0.0;
      NearSingular = true;
    }
  // U^T y divided by w, zeroed directions left out.
  std::vector<long double> uty(k, 0.0L);
  for (size_t j = 0; j < k; ++j) {
    if (w[j] == 0.0) continue;
    long double s = 0.0L;
    for (size_t r = 0; r < m; ++r) s += static_cast<long double>(u[j][r]) * y[r];
    uty[j] = s / w[j];
  }
  x.assign(k, 0.0);
  ScaleFactors.assign(k, 0.0);
  for (size_t i = 0; i < k; ++i) {
    long double s = 0.0L, sc = 0.0L;
    for (size_t j = 0; j < k; ++j) {
      if (w[j] == 0.0) continue;
      s += static_cast<long double>(v[j][i]) * uty[j];
      const long double t = static_cast<long double>(v[j][i]) / w[j];
      sc += t * t;
    }
    x[i] = static_cast<double>(s);
    ScaleFactors[i] = static_cast<double>(std::sqrt(sc));
  }
  return true;
}

bool PseudoInverse(const TMatrix* Mat, TMatrix* PInv, double Thresh) {
  if (Mat == nullptr || PInv == nullptr || Mat->GetMat().empty()) return false;
  const int32_t m = Mat->GetNrOfRows();
  const int32_t n = Mat->GetNrOfColumns();
  TDouble2DArray u = Mat->GetMat();
  if (!math2_detail::AllFinite(u)) return false;
  const auto nn = static_cast<size_t>(n);
  const auto mm = static_cast<size_t>(m);
  TDoubleArray w(nn);
  TDouble2DArray v(nn, TDoubleArray(nn));
  if (!SVDecompose(m, n, u, w, v)) return false;
  if (Thresh == 0.0) Thresh = std::max(m, n) * *std::max_element(w.begin(), w.end()) * 1.2e-16;
  // PInv(col i, row r) = Sum_j V(r, j) / w_j U(i, j); the result has n rows
  // and m columns.
  TDouble2DArray res(mm, TDoubleArray(nn, 0.0));
  for (size_t j = 0; j < nn; ++j) {
    if (!(std::fabs(w[j]) > Thresh) || w[j] == 0.0) continue;
    const double inv = 1.0 / w[j];
    for (size_t i = 0; i < mm; ++i) {
      const double f = u[j][i] * inv;
      if (f == 0.0) continue;
      for (size_t r = 0; r < nn; ++r) res[i][r] += v[j][r] * f;
    }
  }
  PInv->ReplaceData(std::move(res));
  return true;
}

double MahalanobisDistance(const TVector* Vec1, const TVector* Vec2, const TMatrix* InvCovMat) {
  if (Vec1 == nullptr || Vec2 == nullptr || InvCovMat == nullptr) return 0.0;
  const int32_t n = Vec1->GetNrOfElem();
  if (Vec2->GetNrOfElem() != n)
    throw EZELVectorError("MahalanobisDistance: dimensions of vectors do not match");
  if (InvCovMat->GetNrOfColumns() != InvCovMat->GetNrOfRows())
    throw EZELVectorError("MahalanobisDistance: inverse covariance matrix is not quadratric");
  if (InvCovMat->GetNrOfColumns() != n)
    throw EZELVectorError(
        "MahalanobisDistance: dimension of vectors and inverse covariance matrix do not match");
  std::vector<double> d(static_cast<size_t>(n));
  for (int32_t i = 1; i <= n; ++i)
    d[static_cast<size_t>(i - 1)] = Vec1->GetVal(i) - Vec2->GetVal(i);
  long double q = 0.0L;
  for (int32_t i = 1; i <= n; ++i) {
    long double s = 0.0L;
    for (int32_t j = 1; j <= n; ++j)
      s += static_cast<long double>(InvCovMat->GetVal(j, i)) * d[static_cast<size_t>(j - 1)];
    q += static_cast<long double>(d[static_cast<size_t>(i - 1)]) * s;
  }
  if (q < 0.0L)
    throw EZELVectorError(
        "MahalanobisDistance: the inverse covariance matrix must be symmetric and positive "
        "definite");
  return static_cast<double>(std::sqrt(q));
}

}  // namespace zel
