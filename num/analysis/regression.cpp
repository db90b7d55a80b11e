// Singular value decomposition of a matrix, the thresholded equation solver
// and the linear models (least squares, ridge, variance inflation).
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <numeric>
#include <utility>
#include <vector>

#include "num/analysis/math2_impl.hpp"
#include "num/analysis/regression_impl.hpp"
#include "num/analysis/zel_regression.hpp"

namespace zel {

namespace regression_detail {

size_t ThinSvd::Rank() const {
  if (w.empty() || w.front() == 0.0) return 0;
  const double cut = kRankTol * w.front();
  return static_cast<size_t>(
      std::count_if(w.begin(), w.end(), [cut](double x) { return x > cut; }));
}

bool ComputeThinSvd(const TDouble2DArray& a, ThinSvd& out) {
  const size_t n = a.size();
  const size_t m = a.front().size();
  const size_t p = std::min(m, n);
  TDouble2DArray left, right;
  TDoubleArray w;
  if (m >= n) {
    left = a;
    w.assign(n, 0.0);
    right.assign(n, TDoubleArray(n, 0.0));
    if (!SVDecompose(static_cast<int32_t>(m), static_cast<int32_t>(n), left, w, right))
      return false;
  } else {
    // Decompose the transpose (n x m, tall): A^T = U' W V'^T, so A = V' W U'^T.
    TDouble2DArray at(m, TDoubleArray(n));
    for (size_t c = 0; c < n; ++c)
      for (size_t r = 0; r < m; ++r) at[r][c] = a[c][r];
    w.assign(m, 0.0);
    TDouble2DArray vt(m, TDoubleArray(m, 0.0));
    if (!SVDecompose(static_cast<int32_t>(n), static_cast<int32_t>(m), at, w, vt)) return false;
    left = std::move(vt);
    right = std::move(at);
  }
  std::vector<size_t> order(p);
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&w](size_t i, size_t j) { return w[i] > w[j]; });
  out.m = m;
  out.n = n;
  out.p = p;
  out.u.assign(p, TDoubleArray());
  out.v.assign(p, TDoubleArray());
  out.w.assign(p, 0.0);
  for (size_t k = 0; k < p; ++k) {
    out.w[k] = w[order[k]];
    out.u[k] = std::move(left[order[k]]);
    out.v[k] = std::move(right[order[k]]);
    auto& vk = out.v[k];
    size_t big = 0;
    for (size_t i = 1; i < vk.size(); ++i)
      if (std::fabs(vk[i]) > std::fabs(vk[big])) big = i;
    if (vk[big] < 0.0) {
      for (double& x : vk) x = -x;
      for (double& x : out.u[k]) x = -x;
    }
  }
  return true;
}

void StoreVector(TVector& v, const TDoubleArray& a) {
  v.Resize(static_cast<int32_t>(a.size()));
  v.CopyFrom(a, 0, static_cast<int32_t>(a.size()) - 1, 1);
}

std::vector<long double> ColumnMeans(const TDouble2DArray& a) {
  std::vector<long double> mean(a.size(), 0.0L);
  for (size_t c = 0; c < a.size(); ++c) {
    long double s = 0.0L;
    for (double x : a[c]) s += x;
    mean[c] = s / static_cast<long double>(a[c].size());
  }
  return mean;
}

std::vector<long double> RidgeSolve(const ThinSvd& svd, const TDoubleArray& y, long double lambda) {
  const size_t used = lambda > 0.0L ? svd.p : svd.Rank();
  std::vector<long double> g(svd.n, 0.0L);
  for (size_t k = 0; k < used; ++k) {
    const long double wk = svd.w[k];
    if (wk == 0.0L) continue;
    long double uty = 0.0L;
    for (size_t r = 0; r < svd.m; ++r) uty += static_cast<long double>(svd.u[k][r]) * y[r];
    // w / (w^2 + lambda) as 1 / (w + lambda / w): no square to overflow.
    const long double f = uty / (wk + lambda / wk);
    for (size_t i = 0; i < svd.n; ++i) g[i] += f * svd.v[k][i];
  }
  return g;
}

}  // namespace regression_detail

namespace {

using namespace regression_detail;

// Centred copy of the columns of X, column c multiplied by scale[c].
TDouble2DArray CentredScaled(const TDouble2DArray& x, const std::vector<long double>& mean,
                             const std::vector<long double>& scale) {
  TDouble2DArray z(x.size());
  for (size_t c = 0; c < x.size(); ++c) {
    z[c].resize(x[c].size());
    for (size_t r = 0; r < x[c].size(); ++r)
      z[c][r] = static_cast<double>((x[c][r] - mean[c]) * scale[c]);
  }
  return z;
}

// Per-column power of two that brings the centred column's largest
// magnitude near 1.
std::vector<long double> Pow2ColumnScales(const TDouble2DArray& x,
                                          const std::vector<long double>& mean) {
  std::vector<long double> s(x.size());
  for (size_t c = 0; c < x.size(); ++c) {
    double big = 0.0;
    for (double v : x[c]) big = std::max(big, std::fabs(static_cast<double>(v - mean[c])));
    s[c] = Pow2Inverse(big);
  }
  return s;
}

// Centred y times a power of two; scale receives that power.
TDoubleArray CentredY(const TDoubleArray& y, long double& mean, long double& scale) {
  long double s = 0.0L;
  for (double v : y) s += v;
  mean = s / static_cast<long double>(y.size());
  double big = 0.0;
  for (double v : y) big = std::max(big, std::fabs(static_cast<double>(v - mean)));
  scale = Pow2Inverse(big);
  TDoubleArray yc(y.size());
  for (size_t i = 0; i < y.size(); ++i) yc[i] = static_cast<double>((y[i] - mean) * scale);
  return yc;
}

// Residual sum of squares of y - Z g (all of order 1 after scaling).
long double ResidualSS(const TDouble2DArray& z, const TDoubleArray& y,
                       const std::vector<long double>& g) {
  std::vector<long double> e(y.begin(), y.end());
  for (size_t c = 0; c < z.size(); ++c) {
    if (g[c] == 0.0L) continue;
    for (size_t r = 0; r < y.size(); ++r) e[r] -= g[c] * z[c][r];
  }
  long double rss = 0.0L;
  for (long double v : e) rss += v * v;
  return rss;
}

long double SumSquares(const TDoubleArray& y) {
  long double s = 0.0L;
  for (double v : y) s += static_cast<long double>(v) * v;
  return s;
}

// The checks every linear model shares.
int32_t CheckXY(const TMatrix* X, const TVector* Y, const void* out) {
  if (X == nullptr || Y == nullptr || out == nullptr) return kRegNoObject;
  if (Y->GetNrOfElem() != X->GetNrOfRows()) return kRegBadSize;
  if (!math2_detail::AllFinite(X->GetMat())) return kRegNonFinite;
  for (int32_t i = 1; i <= Y->GetNrOfElem(); ++i)
    if (!std::isfinite(Y->GetVal(i))) return kRegNonFinite;
  return kRegOk;
}

// Raw coefficients (intercept first) from the slopes g in the scaled
// space: b_j = g_j colScale_j / yScale, b_0 = mean y - mean x . b.
TDoubleArray RawCoeffs(const std::vector<long double>& g, const std::vector<long double>& colScale,
                       const std::vector<long double>& xMean, long double yMean,
                       long double yScale) {
  TDoubleArray b(g.size() + 1);
  long double b0 = yMean;
  for (size_t j = 0; j < g.size(); ++j) {
    const long double bj = g[j] * colScale[j] / yScale;
    b[j + 1] = static_cast<double>(bj);
    b0 -= bj * xMean[j];
  }
  b[0] = static_cast<double>(b0);
  return b;
}

}  // namespace

const char* RegressionStatusText(int32_t status) {
  switch (status) {
    case kRegOk: return "success";
    case kRegNoObject: return "a required matrix or vector is missing";
    case kRegBadSize: return "the sizes of the arguments do not match or there are too few rows";
    case kRegNonFinite: return "an input value is not a finite number";
    case kRegNoConvergence: return "the singular value decomposition did not converge";
    case kRegRankDeficient:
      return "the problem is rank-deficient; a minimum-norm result was returned";
    case kRegBadParameter: return "a numeric parameter is out of its range";
    case kRegNotIncreasing: return "the abscissae are not strictly increasing";
    default: return "unknown regression status";
  }
}

bool SingValDecomp(const TMatrix* Mat, TMatrix* U, TVector* W, TMatrix* V) {
  if (Mat == nullptr || U == nullptr || W == nullptr || V == nullptr || U == V) return false;
  const TDouble2DArray& a = Mat->GetMat();
  if (a.empty() || !math2_detail::AllFinite(a)) return false;
  ThinSvd svd;
  if (!ComputeThinSvd(a, svd)) return false;
  TDouble2DArray u = std::move(svd.u), v = std::move(svd.v);
  U->ReplaceData(std::move(u));
  V->ReplaceData(std::move(v));
  StoreVector(*W, svd.w);
  return true;
}

int32_t SingValEquSolve(const TMatrix* A, const TVector* b, double Thresh, TVector* x,
                        int32_t& Rank) {
  Rank = 0;
  if (A == nullptr || b == nullptr || x == nullptr) return kRegNoObject;
  const TDouble2DArray& a = A->GetMat();
  if (b->GetNrOfElem() != A->GetNrOfRows()) return kRegBadSize;
  const TDoubleArray rhs = VectorValues(*b);
  if (!math2_detail::AllFinite(a) || !AllFinite(rhs) || std::isnan(Thresh)) return kRegNonFinite;
  ThinSvd svd;
  if (!ComputeThinSvd(a, svd)) return kRegNoConvergence;
  if (Thresh <= 0.0)
    Thresh = static_cast<double>(std::max(svd.m, svd.n)) * std::numeric_limits<double>::epsilon();
  const double cut = Thresh * svd.w.front();
  // b may be near the top of the double range: scale it by a power of two.
  double big = 0.0;
  for (double v : rhs) big = std::max(big, std::fabs(v));
  const long double s = Pow2Inverse(big);
  std::vector<long double> sol(svd.n, 0.0L);
  size_t kept = 0;
  for (size_t k = 0; k < svd.p; ++k) {
    if (!(svd.w[k] > cut) || svd.w[k] == 0.0) continue;
    ++kept;
    long double uty = 0.0L;
    for (size_t r = 0; r < svd.m; ++r) uty += static_cast<long double>(svd.u[k][r]) * rhs[r] * s;
    const long double f = uty / svd.w[k];
    for (size_t i = 0; i < svd.n; ++i) sol[i] += f * svd.v[k][i];
  }
  TDoubleArray res(svd.n);
  for (size_t i = 0; i < svd.n; ++i) res[i] = static_cast<double>(sol[i] / s);
  StoreVector(*x, res);
  Rank = static_cast<int32_t>(kept);
  return kept < svd.p ? kRegRankDeficient : kRegOk;
}

int32_t MultiLinReg(const TMatrix* X, const TVector* Y, TVector* Coeffs, TVector* StdErrors,
                    double& RSqr) {
  RSqr = 0.0;
  if (const int32_t st = CheckXY(X, Y, Coeffs); st != kRegOk) return st;
  const TDouble2DArray& x = X->GetMat();
  const size_t n = x.front().size(), k = x.size();
  const auto xMean = ColumnMeans(x);
  const auto colScale = Pow2ColumnScales(x, xMean);
  const TDouble2DArray z = CentredScaled(x, xMean, colScale);
  long double yMean = 0.0L, yScale = 1.0L;
  const TDoubleArray yc = CentredY(VectorValues(*Y), yMean, yScale);
  ThinSvd svd;
  if (!ComputeThinSvd(z, svd)) return kRegNoConvergence;
  const size_t rank = svd.Rank();
  const auto g = RidgeSolve(svd, yc, 0.0L);
  const long double rss = ResidualSS(z, yc, g), tss = SumSquares(yc);

  TDoubleArray se(k + 1, std::numeric_limits<double>::quiet_NaN());
  const bool fullRank = rank == k;
  if (fullRank && n > k + 1) {
    // Residual variance in the scaled space; Cov(g) = s2 V W^-2 V^T.
    const long double s2 = rss / static_cast<long double>(n - k - 1);
    long double v0 = 1.0L / static_cast<long double>(n);
    for (size_t j = 0; j < k; ++j) {
      long double vj = 0.0L;
      for (size_t l = 0; l < k; ++l) {
        const long double t = svd.v[l][j] / static_cast<long double>(svd.w[l]);
        vj += t * t;
      }
      se[j + 1] = static_cast<double>(std::sqrt(s2 * vj) * colScale[j] / yScale);
    }
    // Var(b_0) = s2 (1/n + xbar^T D V W^-2 V^T D xbar) with D the column scales.
    for (size_t l = 0; l < k; ++l) {
      long double c = 0.0L;
      for (size_t j = 0; j < k; ++j) c += xMean[j] * colScale[j] * svd.v[l][j];
      c /= svd.w[l];
      v0 += c * c;
    }
    se[0] = static_cast<double>(std::sqrt(s2 * v0) / yScale);
  }
  StoreVector(*Coeffs, RawCoeffs(g, colScale, xMean, yMean, yScale));
  if (StdErrors != nullptr) StoreVector(*StdErrors, se);
  RSqr = tss == 0.0L ? 1.0 : static_cast<double>(1.0L - rss / tss);
  return fullRank ? kRegOk : kRegRankDeficient;
}

int32_t RidgeReg(const TMatrix* X, const TVector* Y, double Lambda, TVector* Coeffs) {
  if (const int32_t st = CheckXY(X, Y, Coeffs); st != kRegOk) return st;
  if (!(Lambda >= 0.0) || std::isinf(Lambda)) return kRegBadParameter;
  const TDouble2DArray& x = X->GetMat();
  const auto xMean = ColumnMeans(x);
  // One power of two for all columns: the penalty treats them alike.
  long double common = 1.0L;
  {
    const auto perCol = Pow2ColumnScales(x, xMean);
    common = *std::min_element(perCol.begin(), perCol.end());
  }
  const std::vector<long double> colScale(x.size(), common);
  const TDouble2DArray z = CentredScaled(x, xMean, colScale);
  long double yMean = 0.0L, yScale = 1.0L;
  const TDoubleArray yc = CentredY(VectorValues(*Y), yMean, yScale);
  ThinSvd svd;
  if (!ComputeThinSvd(z, svd)) return kRegNoConvergence;
  // |yc - Xc b|^2 + L |b|^2 with Xc = Z / s, yc = y' / sy, b = g s / sy
  // is (|y' - Z g|^2 + L s^2 |g|^2) / sy^2.
  const long double lambda = static_cast<long double>(Lambda) * common * common;
  const auto g = RidgeSolve(svd, yc, lambda);
  StoreVector(*Coeffs, RawCoeffs(g, colScale, xMean, yMean, yScale));
  return (Lambda == 0.0 && svd.Rank() < x.size()) ? kRegRankDeficient : kRegOk;
}

int32_t RidgeRegStd(const TMatrix* X, const TVector* Y, double Lambda, TVector* Coeffs,
                    TVector* StdCoeffs) {
  if (const int32_t st = CheckXY(X, Y, Coeffs); st != kRegOk) return st;
  if (!(Lambda >= 0.0) || std::isinf(Lambda)) return kRegBadParameter;
  const TDouble2DArray& x = X->GetMat();
  const size_t n = x.front().size(), k = x.size();
  if (n < 2) return kRegBadSize;
  const auto xMean = ColumnMeans(x);
  std::vector<long double> inv(k), sd(k);
  for (size_t c = 0; c < k; ++c) {
    long double ss = 0.0L;
    for (double v : x[c]) {
      const long double d = v - xMean[c];
      ss += d * d;
    }
    sd[c] = std::sqrt(ss / static_cast<long double>(n - 1));
    inv[c] = sd[c] > 0.0L ? 1.0L / sd[c] : 0.0L;
  }
  const TDouble2DArray z = CentredScaled(x, xMean, inv);
  long double yMean = 0.0L, yScale = 1.0L;
  const TDoubleArray yc = CentredY(VectorValues(*Y), yMean, yScale);
  ThinSvd svd;
  if (!ComputeThinSvd(z, svd)) return kRegNoConvergence;
  // |yc - Z beta|^2 + L |beta|^2 with yc = y' / sy, beta = g / sy.
  auto g = RidgeSolve(svd, yc, Lambda);
  // A constant column is a zero column here: keep rounding off it.
  for (size_t j = 0; j < k; ++j)
    if (inv[j] == 0.0L) g[j] = 0.0L;
  if (StdCoeffs != nullptr) {
    TDoubleArray beta(k);
    for (size_t j = 0; j < k; ++j) beta[j] = static_cast<double>(g[j] / yScale);
    StoreVector(*StdCoeffs, beta);
  }
  StoreVector(*Coeffs, RawCoeffs(g, inv, xMean, yMean, yScale));
  size_t varying = 0;
  for (long double s : sd) varying += s > 0.0L ? 1 : 0;
  return (Lambda == 0.0 && svd.Rank() < varying) ? kRegRankDeficient : kRegOk;
}

int32_t VarInflatFactor(const TMatrix* X, TVector* VIF) {
  if (X == nullptr || VIF == nullptr) return kRegNoObject;
  const TDouble2DArray& x = X->GetMat();
  const size_t n = x.front().size(), k = x.size();
  if (n < 2) return kRegBadSize;
  if (!math2_detail::AllFinite(x)) return kRegNonFinite;
  const auto xMean = ColumnMeans(x);
  const auto colScale = Pow2ColumnScales(x, xMean);
  const TDouble2DArray z = CentredScaled(x, xMean, colScale);
  TDoubleArray vif(k, 1.0);
  for (size_t j = 0; j < k; ++j) {
    const long double tss = SumSquares(z[j]);
    if (tss == 0.0L) {
      vif[j] = std::numeric_limits<double>::quiet_NaN();
      continue;
    }
    if (k == 1) continue;
    TDouble2DArray others;
    others.reserve(k - 1);
    for (size_t c = 0; c < k; ++c)
      if (c != j) others.push_back(z[c]);
    ThinSvd svd;
    if (!ComputeThinSvd(others, svd)) return kRegNoConvergence;
    const auto g = RidgeSolve(svd, z[j], 0.0L);
    const long double rss = ResidualSS(others, z[j], g);
    vif[j] = rss <= kRankTol * kRankTol * tss ? std::numeric_limits<double>::infinity()
                                              : static_cast<double>(tss / rss);
  }
  StoreVector(*VIF, vif);
  return kRegOk;
}

}  // namespace zel
