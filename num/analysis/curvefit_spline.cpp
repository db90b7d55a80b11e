// Interpolating and smoothing cubic splines of TCurveFit, and the smoothing
// spline routine.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <numeric>
#include <span>
#include <vector>

#include "num/analysis/curvefit_impl.hpp"
#include "num/analysis/zel_curvefit.hpp"

namespace zel {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Value at x of the cubic on knots xs with values ys and second derivatives
// d2; outside the knots the end cubic continues.
double CubicAt(const std::vector<double>& xs, const std::vector<double>& ys,
               const std::vector<double>& d2, double x) {
  const size_t m = xs.size();
  if (m == 1) return ys[0];
  size_t i = static_cast<size_t>(std::upper_bound(xs.begin(), xs.end(), x) - xs.begin());
  i = std::clamp<size_t>(i, 1, m - 1) - 1;
  const long double h = static_cast<long double>(xs[i + 1]) - xs[i];
  const long double a = (xs[i + 1] - static_cast<long double>(x)) / h;
  const long double b = (static_cast<long double>(x) - xs[i]) / h;
  return static_cast<double>(a * ys[i] + b * ys[i + 1] +
                             ((a * a * a - a) * d2[i] + (b * b * b - b) * d2[i + 1]) * h * h /
                                 6.0L);
}

// Weighted least-squares line through the knots, as values.
void WeightedLine(std::span<const double> x, std::span<const double> y, std::span<const double> w,
                  TDoubleArray& values) {
  const size_t n = x.size();
  long double sw = 0, mx = 0, my = 0;
  for (size_t i = 0; i < n; ++i) {
    const long double wi = w.empty() ? 1.0L : w[i];
    sw += wi;
    mx += wi * x[i];
    my += wi * y[i];
  }
  mx /= sw;
  my /= sw;
  long double sxx = 0, sxy = 0;
  for (size_t i = 0; i < n; ++i) {
    const long double wi = w.empty() ? 1.0L : w[i];
    sxx += wi * (x[i] - mx) * (x[i] - mx);
    sxy += wi * (x[i] - mx) * (y[i] - my);
  }
  const long double b = sxx > 0.0L ? sxy / sxx : 0.0L;
  values.resize(n);
  for (size_t i = 0; i < n; ++i) values[i] = static_cast<double>(my + b * (x[i] - mx));
}

}  // namespace

bool PenalizedCubicSpline(std::span<const double> x, std::span<const double> y,
                          std::span<const double> w, double Lambda, TDoubleArray& Values,
                          TDoubleArray& SecondDerivs) {
  Values.clear();
  SecondDerivs.clear();
  const size_t n = x.size();
  if (n == 0 || y.size() != n || (!w.empty() && w.size() != n) || !(Lambda >= 0.0)) return false;
  for (size_t i = 0; i < n; ++i) {
    if (!std::isfinite(x[i]) || !std::isfinite(y[i])) return false;
    if (i > 0 && !(x[i] > x[i - 1])) return false;
    if (!w.empty() && !(w[i] > 0.0 && std::isfinite(w[i]))) return false;
  }
  if (n <= 2 || std::isinf(Lambda)) {
    WeightedLine(x, y, w, Values);
    SecondDerivs.assign(n, 0.0);
    return true;
  }
  const size_t m = n - 2;  // interior knots
  std::vector<long double> h(n - 1), winv(n);
  for (size_t i = 0; i + 1 < n; ++i) h[i] = static_cast<long double>(x[i + 1]) - x[i];
  for (size_t i = 0; i < n; ++i) winv[i] = w.empty() ? 1.0L : 1.0L / w[i];
  // Column j of Q (interior knot j + 1) has entries in rows j, j + 1, j + 2.
  auto q = [&](size_t j, int r) -> long double {
    if (r == 0) return 1.0L / h[j];
    if (r == 1) return -1.0L / h[j] - 1.0L / h[j + 1];
    return 1.0L / h[j + 1];
  };
  // Band of B = R + Lambda Q^T W^-1 Q: band[k][j] = B(j, j + k), k = 0..2.
  std::vector<long double> b0(m), b1(m, 0.0L), b2(m, 0.0L), rhs(m);
  const long double lam = Lambda;
  for (size_t j = 0; j < m; ++j) {
    b0[j] = (h[j] + h[j + 1]) / 3.0L;
    long double s = 0.0L;
    for (int r = 0; r < 3; ++r) s += q(j, r) * q(j, r) * winv[j + static_cast<size_t>(r)];
    b0[j] += lam * s;
    if (j + 1 < m) {
      // Columns j and j + 1 share rows j + 1 and j + 2.
      b1[j] = h[j + 1] / 6.0L +
              lam * (q(j, 1) * q(j + 1, 0) * winv[j + 1] + q(j, 2) * q(j + 1, 1) * winv[j + 2]);
    }
    if (j + 2 < m) b2[j] = lam * q(j, 2) * q(j + 2, 0) * winv[j + 2];
    rhs[j] = q(j, 0) * y[j] + q(j, 1) * y[j + 1] + q(j, 2) * y[j + 2];
  }
  // LDL^T of the symmetric band (bandwidth 2), then the two triangular solves.
  std::vector<long double> d(m), l1(m, 0.0L), l2(m, 0.0L);
  for (size_t j = 0; j < m; ++j) {
    long double dj = b0[j];
    if (j >= 1) dj -= l1[j - 1] * l1[j - 1] * d[j - 1];
    if (j >= 2) dj -= l2[j - 2] * l2[j - 2] * d[j - 2];
    if (!(dj > 0.0L)) return false;
    d[j] = dj;
    if (j + 1 < m) {
      long double v = b1[j];
      if (j >= 1) v -= l1[j - 1] * l2[j - 1] * d[j - 1];
      l1[j] = v / dj;  // L(j + 1, j)
    }
    if (j + 2 < m) l2[j] = b2[j] / dj;  // L(j + 2, j)
  }
  std::vector<long double> g(m);
  for (size_t j = 0; j < m; ++j) {
    long double v = rhs[j];
    if (j >= 1) v -= l1[j - 1] * g[j - 1];
    if (j >= 2) v -= l2[j - 2] * g[j - 2];
    g[j] = v;
  }
  for (size_t j = 0; j < m; ++j) g[j] /= d[j];
  for (size_t jj = m; jj-- > 0;) {
    long double v = g[jj];
    if (jj + 1 < m) v -= l1[jj] * g[jj + 1];
    if (jj + 2 < m) v -= l2[jj] * g[jj + 2];
    g[jj] = v;
  }
  Values.assign(n, 0.0);
  SecondDerivs.assign(n, 0.0);
  for (size_t i = 0; i < n; ++i) {
    long double qg = 0.0L;  // (Q gamma)_i
    for (size_t j = (i >= 2 ? i - 2 : 0); j <= i && j < m; ++j)
      qg += q(j, static_cast<int>(i - j)) * g[j];
    Values[i] = static_cast<double>(y[i] - lam * winv[i] * qg);
  }
  for (size_t j = 0; j < m; ++j) SecondDerivs[j + 1] = static_cast<double>(g[j]);
  return true;
}

// ---------------------------------------------------------------------------
// TCurveFit splines
// ---------------------------------------------------------------------------

void TCurveFit::SortedDistinct(std::vector<double>& xs, std::vector<double>& ys,
                               std::vector<double>& ws) const {
  std::vector<size_t> order(FX.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return FX[a] < FX[b]; });
  xs.clear();
  ys.clear();
  ws.clear();
  for (size_t i = 0; i < order.size();) {
    size_t j = i;
    long double s = 0.0L;
    while (j < order.size() && FX[order[j]] == FX[order[i]]) s += FY[order[j++]];
    xs.push_back(FX[order[i]]);
    ys.push_back(static_cast<double>(s / static_cast<long double>(j - i)));
    ws.push_back(static_cast<double>(j - i));
    i = j;
  }
}

bool TCurveFit::BuildSpline() {
  if (FSplineValid) return !FSplX.empty();
  FSplineValid = true;
  FSplX.clear();
  FSplY.clear();
  FSplD2.clear();
  for (size_t i = 0; i < FX.size(); ++i)
    if (!std::isfinite(FX[i]) || !std::isfinite(FY[i])) return false;
  std::vector<double> ws;
  SortedDistinct(FSplX, FSplY, ws);
  const size_t m = FSplX.size();
  FSplD2.assign(m, 0.0);
  if (m < 2) return m == 1;
  // Tridiagonal system for the second derivatives (Thomas algorithm).
  std::vector<long double> h(m - 1), sub(m, 0.0L), dia(m), sup(m, 0.0L), r(m, 0.0L);
  for (size_t i = 0; i + 1 < m; ++i) h[i] = static_cast<long double>(FSplX[i + 1]) - FSplX[i];
  auto slope = [&](size_t i) { return (static_cast<long double>(FSplY[i + 1]) - FSplY[i]) / h[i]; };
  if (FNatural1) {
    dia[0] = 1.0L;
  } else {
    dia[0] = 2.0L * h[0];
    sup[0] = h[0];
    r[0] = 6.0L * (slope(0) - FY1Dash);
  }
  for (size_t i = 1; i + 1 < m; ++i) {
    sub[i] = h[i - 1];
    dia[i] = 2.0L * (h[i - 1] + h[i]);
    sup[i] = h[i];
    r[i] = 6.0L * (slope(i) - slope(i - 1));
  }
  if (FNaturalN) {
    dia[m - 1] = 1.0L;
  } else {
    sub[m - 1] = h[m - 2];
    dia[m - 1] = 2.0L * h[m - 2];
    r[m - 1] = 6.0L * (FYNDash - slope(m - 2));
  }
  for (size_t i = 1; i < m; ++i) {
    const long double f = sub[i] / dia[i - 1];
    dia[i] -= f * sup[i - 1];
    r[i] -= f * r[i - 1];
  }
  std::vector<long double> d2(m);
  d2[m - 1] = r[m - 1] / dia[m - 1];
  for (size_t i = m - 1; i-- > 0;) d2[i] = (r[i] - sup[i] * d2[i + 1]) / dia[i];
  for (size_t i = 0; i < m; ++i) FSplD2[i] = static_cast<double>(d2[i]);
  return true;
}

double TCurveFit::CubicSpline(double x) {
  if (FX.empty()) return 0.0;
  if (!BuildSpline() || std::isnan(x)) return kNaN;
  return CubicAt(FSplX, FSplY, FSplD2, x);
}

bool TCurveFit::BuildPenSpline() {
  if (FPenSplineValid) return !FPenX.empty();
  FPenSplineValid = true;
  FPenX.clear();
  FPenY.clear();
  FPenD2.clear();
  FPenR2 = 0.0;
  if (FX.empty()) return false;
  for (size_t i = 0; i < FX.size(); ++i)
    if (!std::isfinite(FX[i]) || !std::isfinite(FY[i])) return false;
  std::vector<double> ys, ws;
  SortedDistinct(FPenX, ys, ws);
  const double p = FPSplineSmooth;
  const double lambda = p > 0.0 ? (1.0 - p) / p : std::numeric_limits<double>::infinity();
  if (!PenalizedCubicSpline(FPenX, ys, ws, lambda, FPenY, FPenD2)) {
    FPenX.clear();
    return false;
  }
  std::vector<double> fitted(FX.size());
  for (size_t i = 0; i < FX.size(); ++i) fitted[i] = CubicAt(FPenX, FPenY, FPenD2, FX[i]);
  FPenR2 = curvefit_detail::SquaredCorrelation(fitted, FY);
  return true;
}

double TCurveFit::SmoothedSpline(double x, double& FitQual, bool& valid) {
  FitQual = 0.0;
  valid = BuildPenSpline();
  if (!valid) return 0.0;
  FitQual = FPenR2;
  const size_t m = FPenX.size();
  if (m == 1) return FPenY[0];
  // A natural spline continues as a straight line beyond its end knots.
  const double h0 = FPenX[1] - FPenX[0];
  if (x < FPenX[0]) {
    const double s0 = (FPenY[1] - FPenY[0]) / h0 - h0 * FPenD2[1] / 6.0;
    return FPenY[0] + s0 * (x - FPenX[0]);
  }
  if (x > FPenX[m - 1]) {
    const double h = FPenX[m - 1] - FPenX[m - 2];
    const double s1 = (FPenY[m - 1] - FPenY[m - 2]) / h + h * FPenD2[m - 2] / 6.0;
    return FPenY[m - 1] + s1 * (x - FPenX[m - 1]);
  }
  return CubicAt(FPenX, FPenY, FPenD2, x);
}

void TCurveFit::SetSplineNatural1(bool Value) {
  FNatural1 = Value;
  FSplineValid = false;
}
void TCurveFit::SetSplineNaturalN(bool Value) {
  FNaturalN = Value;
  FSplineValid = false;
}
void TCurveFit::SetSplineDerivY1(double Value) {
  FY1Dash = Value;
  FSplineValid = false;
}
void TCurveFit::SetSplineDerivYN(double Value) {
  FYNDash = Value;
  FSplineValid = false;
}
void TCurveFit::SetSplineSmoothingFactor(double Value) {
  if (std::isnan(Value)) return;
  FPSplineSmooth = std::clamp(Value, 0.0, 1.0);
  FPenSplineValid = false;
}

}  // namespace zel
