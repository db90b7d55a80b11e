// Helpers shared by the curve-fitting sources (not installed).
#pragma once

#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

namespace zel::curvefit_detail {

// |x| at or below this counts as zero for the reciprocal terms.
inline constexpr double kNearZero = 1e-30;

// Mean in long double, corrected by a second pass over the deviations so
// that the rounding of the first sum does not remain. 0 for no values.
inline long double Mean(const std::vector<double>& v) {
  if (v.empty()) return 0.0L;
  const auto n = static_cast<long double>(v.size());
  long double s = 0.0L;
  for (double a : v) s += a;
  const long double m = s / n;
  if (!std::isfinite(m)) return m;
  long double c = 0.0L;
  for (double a : v) c += a - m;
  return m + c / n;
}

// Squared correlation of a and b (centred long double sums); 0 when a
// spread is 0 or the values overflow, NaN when a value is NaN.
inline double SquaredCorrelation(const std::vector<double>& a, const std::vector<double>& b) {
  const size_t n = a.size();
  if (n < 2 || b.size() != n) return 0.0;
  const long double ma = Mean(a), mb = Mean(b);
  long double saa = 0.0L, sbb = 0.0L, sab = 0.0L;
  for (size_t i = 0; i < n; ++i) {
    const long double u = a[i] - ma, w = b[i] - mb;
    saa += u * u;
    sbb += w * w;
    sab += u * w;
  }
  if (std::isnan(saa + sbb + sab)) return std::numeric_limits<double>::quiet_NaN();
  if (saa == 0.0L || sbb == 0.0L || !std::isfinite(saa * sbb)) return 0.0;
  return static_cast<double>((sab / saa) * (sab / sbb));
}

}  // namespace zel::curvefit_detail
