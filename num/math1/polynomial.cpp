// Polynomials, table interpolation, histogram bins and axis scales.
#include <algorithm>
#include <cmath>
#include <limits>

#include "num/math1/zel_math1.hpp"

namespace zel {
namespace {

double PowerSum(std::span<const double> c, int32_t order, long double x) {
  if (order < 0 || static_cast<size_t>(order) >= c.size())
    throw EZELMath1Error("Polynomial: invalid order of polynomial");
  long double sum = 0;
  long double power = 1;
  for (int32_t k = 0; k <= order; ++k) {
    sum += c[static_cast<size_t>(k)] * power;
    power *= x;
  }
  return static_cast<double>(sum);
}

template <class T>
double InterpolEquidistant(double x, double x1, double x2, const std::vector<T>& values) {
  if (values.size() < 2)
    throw EZELMath1Error("InterpolTable: pivot array must contain at least 2 values");
  if (x1 == x2) throw EZELMath1Error("InterpolTable: specified range of pivot array is zero");
  const size_t n = values.size();
  const long double last = static_cast<long double>(n - 1);
  const long double t =
      (static_cast<long double>(x) - x1) / (static_cast<long double>(x2) - x1) * last;
  // The line through samples i and i + 1, evaluated at t.
  auto line = [&](size_t i) {
    const long double vi = values[i];
    return static_cast<double>(vi + (t - static_cast<long double>(i)) * (values[i + 1] - vi));
  };
  if (!(t >= 0)) return line(0);  // also NaN, which stays NaN
  if (t >= last) return t == last ? static_cast<double>(values[n - 1]) : line(n - 2);
  return line(static_cast<size_t>(t));
}

}  // namespace

double Polynomial(std::span<const double> coefficients, int32_t order, double x) {
  return PowerSum(coefficients, order, x);
}

double CenteredPolynomial(std::span<const double> coefficients, int32_t order, double centre,
                          double x) {
  return PowerSum(coefficients, order, static_cast<long double>(x) - centre);
}

double LinearBetween(double a, double b, double t) {
  if (t == 0 || a == b) return a;
  if (t == 1) return b;
  const double d = b - a;
  if (std::isfinite(d)) return a + d * t;
  return a * (1 - t) + b * t;
}

double InterpolTable(double x, double x1, double x2, const TDoubleArray& values) {
  return InterpolEquidistant(x, x1, x2, values);
}

double InterpolTable(double x, double x1, double x2, const TIntArray& values) {
  return InterpolEquidistant(x, x1, x2, values);
}

double InterpolXYTable(double x, const TDouble2DArray& table, bool extrapolate) {
  const size_t n = table.empty() ? 0 : table[0].size();
  if (n < 2) throw EZELMath1Error("InterpolXYTable: pivot array must contain at least 2 rows");
  if (table.size() != 2)
    throw EZELMath1Error("InterpolXYTable: pivot array must contain 2 columns");
  if (table[1].size() != n)
    throw EZELMath1Error("InterpolXYTable: columns of pivot array differ in length");
  const TDoubleArray& px = table[0];
  const TDoubleArray& py = table[1];

  // Line through point a and point b at x; b's abscissa is the other one.
  auto line = [&](size_t a, size_t b) {
    const long double dx = static_cast<long double>(px[b]) - px[a];
    if (dx == 0) return py[a];
    return static_cast<double>(py[a] + (x - static_cast<long double>(px[a])) *
                                           (py[b] - static_cast<long double>(py[a])) / dx);
  };

  if (px[0] < px[n - 1]) {
    if (x <= px[0]) return extrapolate ? line(0, 1) : 0;
    if (x >= px[n - 1]) return extrapolate ? line(n - 1, n - 2) : 0;
    // Invariant after the scan: px[i] < x <= px[i + 1], so the slope is finite.
    size_t i = 0;
    while (i < n - 2 && px[i + 1] < x) ++i;
    return line(i, i + 1);
  }
  if (x >= px[0]) return extrapolate ? line(0, 1) : 0;
  if (x <= px[n - 1]) return extrapolate ? line(n - 1, n - 2) : 0;
  // Descending: scan from the last (smallest) abscissa; px[j] < x <= px[j - 1].
  size_t j = n - 1;
  while (j > 1 && px[j - 1] < x) --j;
  return line(j, j - 1);
}

double InterpolZofXYRect(double z1, double z2, double z3, double z4, double u, double v) {
  const double a = z1 + (z3 - z1) * u;
  const double b = z2 + (z4 - z2) * u;
  return a + (b - a) * v;
}

double HistoBinRef(double x, double reference, double binWidth, double& offset) {
  const long double w = binWidth;
  const long double edge =
      reference + w * std::floor((static_cast<long double>(x) - reference) / w);
  const double result = static_cast<double>(edge);
  offset = x - result;
  return result;
}

void CalcScalePars(int32_t ticks, long double low, long double high, long double& firstTick,
                   long double& distance, uint16_t& subTicks) {
  firstTick = low;
  distance = 0;
  subTicks = 1;
  if (!std::isfinite(low) || !std::isfinite(high) || low == high) return;
  const long double s = low < high ? 1 : -1;
  const long double range = std::fabs(high - low);
  if (!std::isfinite(range)) return;

  long double d;
  long double first;
  uint16_t sub;
  if (ticks <= 0) {
    d = 1;
    sub = range <= 10 ? 5 : 1;
    first = Int(low) - 1;
    // Descending, the unit step points away from high and the start already
    // lies below low, so it never advances.
    if (s > 0) first = std::max(first, std::ceil(low - 0.001L));
  } else {
    long double g = std::log10(range / ticks);
    const long double h0 = Frac(g);
    if (std::fabs(h0) < 1e-10L || std::fabs(h0) > 0.9999999999L) g = Round(g);
    const long double gf = std::floor(g);
    const long double h = g - gf;
    long double mult;
    if (h < std::log10(2.0L) + 1e-10L) {
      mult = 1;
      sub = 5;
    } else if (h < std::log10(5.0L) + 1e-10L) {
      mult = 2;
      sub = 4;
    } else {
      mult = 5;
      sub = 5;
    }
    // Dividing by an exact power of ten keeps 0.1 as the nearest value to 1/10.
    const long double step = gf >= 0 ? mult * std::pow(10.0L, gf) : mult / std::pow(10.0L, -gf);
    if (step == 0 || !std::isfinite(step)) return;
    d = s * step;
    // The first multiple k*d not more than 0.001 of a step short of low, in
    // closed form: stepping from below by d would never end once d is below
    // the resolution of low. The max keeps the classic start when rounding
    // puts the ceiling lower. "+ 0" turns -0 into +0.
    const long double q = low / d;
    first = std::max(Int(q) - 1, std::ceil(q - 0.001L)) * d + 0.0L;
  }
  // A few corrective steps for rounding in q; none when d is lost in first.
  const long double tolerance = 0.001L * std::fabs(d);
  for (int i = 0; i < 4 && (low - first) * s > tolerance; ++i) {
    const long double next = first + d;
    if (next == first) break;
    first = next;
  }
  firstTick = first;
  distance = d;
  subTicks = sub;
}

}  // namespace zel
