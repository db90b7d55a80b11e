// Helpers shared by the curve-fitting sources (not installed).
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

#include "num/vector/vector_kernels_impl.hpp"

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

// Squared correlation of a and b by the library's correlation kernel: 0
// when a spread is 0 or there are fewer than 2 values, NaN when a value is
// NaN or infinite.
inline double SquaredCorrelation(const std::vector<double>& a, const std::vector<double>& b) {
  const size_t n = a.size();
  if (n < 2 || b.size() != n) return 0.0;
  const double r = vector_detail::PearsonOf(a.data(), b.data(), n);
  return r * r;
}

}  // namespace zel::curvefit_detail
