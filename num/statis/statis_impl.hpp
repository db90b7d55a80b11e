// Private helpers of Zel_statis shared by its source files.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace zel::statis_detail {

inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
inline constexpr double kInf = std::numeric_limits<double>::infinity();
// Relative change at which the series and continued fractions stop.
inline constexpr double kSeriesEps = 1.1102230246251565e-16;  // 2^-53
inline constexpr double kPi = 3.14159265358979323846;
// From here on ln Gamma(a) is taken as Stirling's series (StirlingTail is
// then accurate to 1e-17).
inline constexpr double kStirlingMin = 10.0;

// ln Gamma(a) - ((a - 1/2) ln a - a + ln sqrt(2 pi)) for a >= kStirlingMin.
double StirlingTail(double a);

// t - ln(1 + t) for t > -1, accurate also near t = 0.
double Log1pmx(double t);

// x^a e^-x / Gamma(a) for a, x > 0, accurate to a few units of the last
// place times (1 + |a - x|/sqrt(a)) also for large a.
double GammaPrefix(double a, double x);

// x^a y^b / B(a, b) for a, b > 0 (y = 1 - x, given on its own; lnx and lny
// as for BetaPQ).
double BetaPrefix(double a, double b, double x, double y, double lnx = kNaN, double lny = kNaN);

// Both regularised incomplete gamma functions P(a, x) and Q(a, x) for finite
// a > 0 and x > 0; the smaller one is computed directly, the other as its
// complement, so neither loses relative accuracy in its tail. prefix, when
// not NaN, is GammaPrefix(a, x) computed more accurately by the caller.
void GammaPQ(double a, double x, double& p, double& q, double prefix = kNaN);

// I_x(a, b) and 1 - I_x(a, b) for finite a, b > 0, 0 < x < 1, with y = 1 - x
// given separately so that callers who know 1 - x exactly keep it.
// lnx and lny, when not NaN, are ln x and ln y for callers whose x underflows
// (x = 0 is then taken as a positive x too small for a double).
void BetaPQ(double x, double y, double a, double b, double& p, double& q, double lnx = kNaN,
            double lny = kNaN);

// Abramowitz and Stegun 26.2.23: the upper-tail normal quantile for
// 0 < q <= 0.5, absolute error below 4.5e-4.
double NormalTailApprox(double q);

// Finds x > 0 with tail(x) = target (0 < target <= 0.5) where tail is the
// lower tail (increasing in x) when upper is false and the upper tail
// (decreasing) when it is true; dens is the density. Newton steps on
// ln tail against ln x, safeguarded by a bracket, at most 200 steps.
template <class Tail, class Dens>
double SolveTail(Tail tail, Dens dens, bool upper, double target, double x0) {
  double lo = 0.0;
  double hi = kInf;
  double x = x0 > 0.0 && std::isfinite(x0) ? x0 : 1.0;
  const double lnTarget = std::log(target);
  for (int32_t it = 0; it < 200; ++it) {
    const double t = tail(x);
    if (t == target) return x;
    const bool above = upper ? (t < target) : (t > target);
    if (above) {
      hi = x;
    } else {
      lo = x;
    }
    if (std::fabs(t - target) <= 2e-16 * target) return x;
    double next = kNaN;
    const double f = dens(x);
    if (t > 0.0 && f > 0.0 && std::isfinite(f)) {
      const double step = (std::log(t) - lnTarget) * t / (f * x);
      const double u = upper ? step : -step;
      // A step of more than e^50 at once is a guess, not Newton.
      next = x * std::exp(std::fmax(-50.0, std::fmin(50.0, u)));
    }
    if (!(next > lo && next < hi)) {
      if (std::isinf(hi)) {
        next = x * 4.0;
      } else if (lo > 0.0) {
        next = std::sqrt(lo) * std::sqrt(hi);
      } else {
        next = hi * 0.0625;
      }
    }
    if (next == x || !(hi - lo > 4.0 * std::numeric_limits<double>::epsilon() * x)) return next;
    if (std::fabs(next - x) <= 1e-15 * x) return next;
    x = next;
  }
  return x;
}

}  // namespace zel::statis_detail
