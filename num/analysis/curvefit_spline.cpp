// Interpolating and smoothing cubic splines of TCurveFit.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <numeric>
#include <vector>

#include "num/analysis/curvefit_impl.hpp"
#include "num/analysis/spline_impl.hpp"
#include "num/analysis/zel_regression.hpp"
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
  return static_cast<double>(
      spline_detail::CubicOnInterval(xs[i], xs[i + 1], ys[i], ys[i + 1], d2[i], d2[i + 1], x));
}

// Weighted least-squares line through the knots, as values.
void WeightedLine(const std::vector<double>& x, const std::vector<double>& y,
                  const std::vector<double>& w, std::vector<double>& values) {
  const size_t n = x.size();
  long double sw = 0, mx = 0, my = 0;
  for (size_t i = 0; i < n; ++i) {
    sw += w[i];
    mx += static_cast<long double>(w[i]) * x[i];
    my += static_cast<long double>(w[i]) * y[i];
  }
  mx /= sw;
  my /= sw;
  long double sxx = 0, sxy = 0;
  for (size_t i = 0; i < n; ++i) {
    sxx += w[i] * (x[i] - mx) * (x[i] - mx);
    sxy += w[i] * (x[i] - mx) * (y[i] - my);
  }
  const long double b = sxx > 0.0L ? sxy / sxx : 0.0L;
  values.resize(n);
  for (size_t i = 0; i < n; ++i) values[i] = static_cast<double>(my + b * (x[i] - mx));
}

}  // namespace

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
  if (p == 0.0 || FPenX.size() < 3) {
    // The limit of infinite smoothing, and all a spline can be on two knots.
    WeightedLine(FPenX, ys, ws, FPenY);
    FPenD2.assign(FPenX.size(), 0.0);
  } else if (spline_detail::SmoothingSpline(FPenX, ys, ws, (1.0 - p) / p, FPenY, FPenD2) !=
             kRegOk) {
    FPenX.clear();
    return false;
  }
  std::vector<double> fitted(FX.size());
  for (size_t i = 0; i < FX.size(); ++i) fitted[i] = PenSplineAt(FX[i]);
  FPenR2 = curvefit_detail::SquaredCorrelation(fitted, FY);
  return true;
}

double TCurveFit::PenSplineAt(double x) const {
  if (FPenX.size() == 1) return FPenY[0];
  auto at = [](const std::vector<double>& v) {
    return [&v](size_t i) { return static_cast<long double>(v[i]); };
  };
  return spline_detail::NaturalSplineAt(FPenX.size(), at(FPenX), at(FPenY), at(FPenD2), x);
}

double TCurveFit::SmoothedSpline(double x, double& FitQual, bool& valid) {
  FitQual = 0.0;
  valid = BuildPenSpline();
  if (!valid) return 0.0;
  FitQual = FPenR2;
  return PenSplineAt(x);
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
