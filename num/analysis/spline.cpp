// Penalised cubic (smoothing) spline by Reinsch's algorithm and the value
// of a natural cubic spline given by values and second derivatives.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "num/analysis/regression_impl.hpp"
#include "num/analysis/spline_impl.hpp"
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

namespace spline_detail {

int32_t SmoothingSpline(std::span<const double> x, std::span<const double> y,
                        std::span<const double> w, double lambda, TDoubleArray& g,
                        TDoubleArray& gamma) {
  const size_t n = x.size();
  if (n < 3 || y.size() != n || (!w.empty() && w.size() != n)) return kRegBadSize;
  auto allFinite = [](std::span<const double> a) {
    return std::all_of(a.begin(), a.end(), [](double v) { return std::isfinite(v); });
  };
  if (!allFinite(x) || !allFinite(y) || !allFinite(w)) return kRegNonFinite;
  if (!(lambda >= 0.0) || std::isinf(lambda)) return kRegBadParameter;
  for (double v : w)
    if (!(v > 0.0)) return kRegBadParameter;
  for (size_t i = 1; i < n; ++i)
    if (!(x[i] > x[i - 1])) return kRegNotIncreasing;
  auto weight = [&w](size_t i) { return w.empty() ? 1.0 : w[i]; };

  // Scale x by cx, y by cy and the weights by cw (powers of two); the
  // roughness integral then scales with cx^3, so lambda becomes
  // lambda cx^3 cw.
  const double span = x.back() - x.front();
  const long double cx =
      std::isfinite(span) ? Pow2Inverse(span) : Pow2Inverse(std::max(-x.front(), x.back())) / 2;
  double ybig = 0.0, wbig = 0.0;
  for (size_t i = 0; i < n; ++i) {
    ybig = std::max(ybig, std::fabs(y[i]));
    wbig = std::max(wbig, weight(i));
  }
  const long double cy = Pow2Inverse(ybig), cw = Pow2Inverse(wbig);
  const long double lam = static_cast<long double>(lambda) * cx * cx * cx * cw;
  LVec h(n - 1), ys(n), winv(n);
  for (size_t i = 0; i + 1 < n; ++i) h[i] = (static_cast<long double>(x[i + 1]) - x[i]) * cx;
  for (size_t i = 0; i < n; ++i) {
    ys[i] = y[i] * cy;
    winv[i] = 1.0L / (weight(i) * cw);
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
        (h[j] + h[j + 1]) / 3.0L +
        lam * (qa[j] * qa[j] * winv[j] + qb[j] * qb[j] * winv[j + 1] + qc[j] * qc[j] * winv[j + 2]);
    if (j + 1 < m)
      d1[j] = h[j + 1] / 6.0L +
              lam * (qb[j] * qa[j + 1] * winv[j + 1] + qc[j] * qb[j + 1] * winv[j + 2]);
    if (j + 2 < m) d2[j] = lam * qc[j] * qa[j + 2] * winv[j + 2];
    rhs[j] = qa[j] * ys[j] + qb[j] * ys[j + 1] + qc[j] * ys[j + 2];
  }
  if (!SolvePentadiagonal(d0, d1, d2, rhs)) return kRegBadParameter;

  // g = y - lambda W^-1 Q gamma; gamma is 0 at both ends.
  TDoubleArray gv(n), gam(n, 0.0);
  for (size_t i = 0; i < n; ++i) {
    long double qg = 0.0L;
    if (i < m) qg += qa[i] * rhs[i];
    if (i >= 1 && i - 1 < m) qg += qb[i - 1] * rhs[i - 1];
    if (i >= 2) qg += qc[i - 2] * rhs[i - 2];
    gv[i] = static_cast<double>((ys[i] - lam * winv[i] * qg) / cy);
  }
  for (size_t j = 0; j < m; ++j) gam[j + 1] = static_cast<double>(rhs[j] * cx * cx / cy);
  g.swap(gv);
  gamma.swap(gam);
  return kRegOk;
}

}  // namespace spline_detail

int32_t PenalizedCubicSpline(const TVector* X, const TVector* Y, const TVector* Weights,
                             double Lambda, TVector* Fitted, TVector* SecDeriv) {
  if (X == nullptr || Y == nullptr || Fitted == nullptr) return kRegNoObject;
  const TDoubleArray x = VectorValues(*X), y = VectorValues(*Y);
  const TDoubleArray w = Weights != nullptr ? VectorValues(*Weights) : TDoubleArray{};
  // A present but empty weight vector is a size mismatch, not "all 1".
  if (Weights != nullptr && w.size() != x.size()) return kRegBadSize;
  TDoubleArray g, gam;
  const int32_t res = spline_detail::SmoothingSpline(x, y, w, Lambda, g, gam);
  if (res != kRegOk) return res;
  StoreVector(*Fitted, g);
  if (SecDeriv != nullptr) StoreVector(*SecDeriv, gam);
  return kRegOk;
}

double SplineValue(const TVector* X, const TVector* G, const TVector* Gamma, double t) {
  if (X == nullptr || G == nullptr || Gamma == nullptr) return 0.0;
  const int32_t n = X->GetNrOfElem();
  if (n < 2 || G->GetNrOfElem() != n || Gamma->GetNrOfElem() != n) return 0.0;
  auto at = [](const TVector* v) {
    return
        [v](size_t i) { return static_cast<long double>(v->GetVal(static_cast<int32_t>(i) + 1)); };
  };
  return spline_detail::NaturalSplineAt(static_cast<size_t>(n), at(X), at(G), at(Gamma), t);
}

}  // namespace zel
