// Penalised cubic (smoothing) spline by Reinsch's algorithm and the value
// of a natural cubic spline given by values and second derivatives.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "num/analysis/regression_impl.hpp"
#include "num/analysis/zel_regression.hpp"

namespace zel {

namespace {

using regression_detail::Pow2Inverse;
using regression_detail::StoreVector;
using regression_detail::VectorValues;

using LVec = std::vector<long double>;

// Cholesky factorisation and solution of the symmetric positive definite
// pentadiagonal system with diagonal d0, first and second superdiagonals
// d1, d2 (overwritten by the factor); b is replaced by the solution.
bool SolvePentadiagonal(LVec& d0, LVec& d1, LVec& d2, LVec& b) {
  const size_t n = d0.size();
  // L has diagonal l0, subdiagonals l1 (i, i-1) and l2 (i, i-2).
  LVec l0(n), l1(n, 0.0L), l2(n, 0.0L);
  for (size_t i = 0; i < n; ++i) {
    if (i >= 2) l2[i] = d2[i - 2] / l0[i - 2];
    if (i >= 1) l1[i] = (d1[i - 1] - (i >= 2 ? l2[i] * l1[i - 1] : 0.0L)) / l0[i - 1];
    const long double diag = d0[i] - l1[i] * l1[i] - l2[i] * l2[i];
    if (!(diag > 0.0L)) return false;
    l0[i] = std::sqrt(diag);
  }
  for (size_t i = 0; i < n; ++i) {
    long double s = b[i];
    if (i >= 1) s -= l1[i] * b[i - 1];
    if (i >= 2) s -= l2[i] * b[i - 2];
    b[i] = s / l0[i];
  }
  for (size_t i = n; i-- > 0;) {
    long double s = b[i];
    if (i + 1 < n) s -= l1[i + 1] * b[i + 1];
    if (i + 2 < n) s -= l2[i + 2] * b[i + 2];
    b[i] = s / l0[i];
  }
  return true;
}

}  // namespace

int32_t PenalizedCubicSpline(const TVector* X, const TVector* Y, const TVector* Weights,
                             double Lambda, TVector* Fitted, TVector* SecDeriv) {
  if (X == nullptr || Y == nullptr || Fitted == nullptr) return kRegNoObject;
  const TDoubleArray x = VectorValues(*X), y = VectorValues(*Y);
  const size_t n = x.size();
  if (n < 3 || y.size() != n) return kRegBadSize;
  TDoubleArray w(n, 1.0);
  if (Weights != nullptr) {
    if (static_cast<size_t>(Weights->GetNrOfElem()) != n) return kRegBadSize;
    w = VectorValues(*Weights);
  }
  if (!regression_detail::AllFinite(x) || !regression_detail::AllFinite(y) ||
      !regression_detail::AllFinite(w))
    return kRegNonFinite;
  if (!(Lambda >= 0.0) || std::isinf(Lambda)) return kRegBadParameter;
  for (double v : w)
    if (!(v > 0.0)) return kRegBadParameter;
  for (size_t i = 1; i < n; ++i)
    if (!(x[i] > x[i - 1])) return kRegNotIncreasing;

  // Scale x by cx, y by cy and the weights by cw (powers of two); the
  // roughness integral then scales with cx^3, so lambda becomes
  // lambda cx^3 cw.
  const double span = x.back() - x.front();
  const long double cx =
      std::isfinite(span) ? Pow2Inverse(span) : Pow2Inverse(std::max(-x.front(), x.back())) / 2;
  double ybig = 0.0, wbig = 0.0;
  for (size_t i = 0; i < n; ++i) {
    ybig = std::max(ybig, std::fabs(y[i]));
    wbig = std::max(wbig, w[i]);
  }
  const long double cy = Pow2Inverse(ybig), cw = Pow2Inverse(wbig);
  const long double lambda = static_cast<long double>(Lambda) * cx * cx * cx * cw;
  LVec h(n - 1), ys(n), winv(n);
  for (size_t i = 0; i + 1 < n; ++i) h[i] = (static_cast<long double>(x[i + 1]) - x[i]) * cx;
  for (size_t i = 0; i < n; ++i) {
    ys[i] = y[i] * cy;
    winv[i] = 1.0L / (w[i] * cw);
  }

  // Q (n x (n-2)): column j (0-based, interior knot j+1) has 1/h_j,
  // -1/h_j - 1/h_{j+1}, 1/h_{j+1} in rows j, j+1, j+2.
  const size_t m = n - 2;
  LVec qa(m), qb(m), qc(m);
  for (size_t j = 0; j < m; ++j) {
    qa[j] = 1.0L / h[j];
    qc[j] = 1.0L / h[j + 1];
    qb[j] = -qa[j] - qc[j];
  }
  // R + lambda Q^T W^-1 Q, pentadiagonal.
  LVec d0(m), d1(m, 0.0L), d2(m, 0.0L), rhs(m);
  for (size_t j = 0; j < m; ++j) {
    d0[j] =
        (h[j] + h[j + 1]) / 3.0L + lambda * (qa[j] * qa[j] * winv[j] + qb[j] * qb[j] * winv[j + 1] +
                                             qc[j] * qc[j] * winv[j + 2]);
    if (j + 1 < m)
      d1[j] = h[j + 1] / 6.0L +
              lambda * (qb[j] * qa[j + 1] * winv[j + 1] + qc[j] * qb[j + 1] * winv[j + 2]);
    if (j + 2 < m) d2[j] = lambda * qc[j] * qa[j + 2] * winv[j + 2];
    rhs[j] = qa[j] * ys[j] + qb[j] * ys[j + 1] + qc[j] * ys[j + 2];
  }
  if (!SolvePentadiagonal(d0, d1, d2, rhs)) return kRegBadParameter;

  // g = y - lambda W^-1 Q gamma; gamma is 0 at both ends.
  TDoubleArray g(n), gam(n, 0.0);
  for (size_t i = 0; i < n; ++i) {
    long double qg = 0.0L;
    if (i < m) qg += qa[i] * rhs[i];
    if (i >= 1 && i - 1 < m) qg += qb[i - 1] * rhs[i - 1];
    if (i >= 2) qg += qc[i - 2] * rhs[i - 2];
    g[i] = static_cast<double>((ys[i] - lambda * winv[i] * qg) / cy);
  }
  for (size_t j = 0; j < m; ++j) gam[j + 1] = static_cast<double>(rhs[j] * cx * cx / cy);
  StoreVector(*Fitted, g);
  if (SecDeriv != nullptr) StoreVector(*SecDeriv, gam);
  return kRegOk;
}

double SplineValue(const TVector* X, const TVector* G, const TVector* Gamma, double t) {
  if (X == nullptr || G == nullptr || Gamma == nullptr) return 0.0;
  const int32_t n = X->GetNrOfElem();
  if (n < 2 || G->GetNrOfElem() != n || Gamma->GetNrOfElem() != n) return 0.0;
  if (std::isnan(t)) return t;
  auto xv = [X](int32_t i) { return static_cast<long double>(X->GetVal(i)); };
  auto gv = [G](int32_t i) { return static_cast<long double>(G->GetVal(i)); };
  auto cv = [Gamma](int32_t i) { return static_cast<long double>(Gamma->GetVal(i)); };
  const long double tt = t;
  if (tt <= xv(1)) {
    const long double h = xv(2) - xv(1);
    const long double slope = (gv(2) - gv(1)) / h - h * (2.0L * cv(1) + cv(2)) / 6.0L;
    return slope == 0.0L ? G->GetVal(1) : static_cast<double>(gv(1) - (xv(1) - tt) * slope);
  }
  if (tt >= xv(n)) {
    const long double h = xv(n) - xv(n - 1);
    const long double slope = (gv(n) - gv(n - 1)) / h + h * (cv(n - 1) + 2.0L * cv(n)) / 6.0L;
    return slope == 0.0L ? G->GetVal(n) : static_cast<double>(gv(n) + (tt - xv(n)) * slope);
  }
  // Interval i with x_i <= t < x_{i+1}.
  int32_t lo = 1, hi = n;
  while (hi - lo > 1) {
    const int32_t mid = lo + (hi - lo) / 2;
    if (xv(mid) <= tt)
      lo = mid;
    else
      hi = mid;
  }
  const long double h = xv(hi) - xv(lo), a = tt - xv(lo), b = xv(hi) - tt;
  const long double lin = (a * gv(hi) + b * gv(lo)) / h;
  const long double cub = a * b / 6.0L * ((1.0L + a / h) * cv(hi) + (1.0L + b / h) * cv(lo));
  return static_cast<double>(lin - cub);
}

}  // namespace zel
