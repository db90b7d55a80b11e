// The smoothing-spline engine behind PenalizedCubicSpline and SplineValue,
// shared with TCurveFit::SmoothedSpline (not installed).
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/zel_zelbase.hpp"

namespace zel::spline_detail {

// PenalizedCubicSpline on plain arrays (w empty: all weights 1): the same
// checks in the same order and the same kReg results. On success g and
// gamma hold the values and second derivatives at the knots; on a failure
// they are left unchanged.
int32_t SmoothingSpline(std::span<const double> x, std::span<const double> y,
                        std::span<const double> w, double lambda, TDoubleArray& g,
                        TDoubleArray& gamma);

// The cubic with values g0, g1 and second derivatives c0, c1 at x0 < x1,
// at t (beyond the interval it continues as the same cubic).
inline long double CubicOnInterval(long double x0, long double x1, long double g0, long double g1,
                                   long double c0, long double c1, long double t) {
  const long double h = x1 - x0, a = t - x0, b = x1 - t;
  const long double lin = (a * g1 + b * g0) / h;
  const long double cub = a * b / 6.0L * ((1.0L + a / h) * c1 + (1.0L + b / h) * c0);
  return lin - cub;
}

// Value at t of the natural cubic spline on n >= 2 increasing knots with
// values and second derivatives read through xv(i), gv(i), cv(i), i =
// 0..n-1 (long double); the rules of SplineValue (linear beyond the ends,
// NaN for NaN t, the end value for an infinite t on a flat end).
template <class XV, class GV, class CV>
double NaturalSplineAt(size_t n, XV xv, GV gv, CV cv, double t) {
  if (std::isnan(t)) return t;
  const long double tt = t;
  if (tt <= xv(0)) {
    const long double h = xv(1) - xv(0);
    const long double slope = (gv(1) - gv(0)) / h - h * (2.0L * cv(0) + cv(1)) / 6.0L;
    return static_cast<double>(slope == 0.0L ? gv(0) : gv(0) - (xv(0) - tt) * slope);
  }
  if (tt >= xv(n - 1)) {
    const long double h = xv(n - 1) - xv(n - 2);
    const long double slope =
        (gv(n - 1) - gv(n - 2)) / h + h * (cv(n - 2) + 2.0L * cv(n - 1)) / 6.0L;
    return static_cast<double>(slope == 0.0L ? gv(n - 1) : gv(n - 1) + (tt - xv(n - 1)) * slope);
  }
  // Interval with x_lo <= t < x_hi.
  size_t lo = 0, hi = n - 1;
  while (hi - lo > 1) {
    const size_t mid = lo + (hi - lo) / 2;
    if (xv(mid) <= tt)
      lo = mid;
    else
      hi = mid;
  }
  return static_cast<double>(CubicOnInterval(xv(lo), xv(hi), gv(lo), gv(hi), cv(lo), cv(hi), tt));
}

}  // namespace zel::spline_detail
