// Helpers shared by the sources of the analysis unit (not installed).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <utility>

#include "core/zel_zelbase.hpp"

namespace zel::math2_detail {

inline bool AllFinite(const TDouble2DArray& a) {
  for (const auto& col : a)
    for (double x : col)
      if (!std::isfinite(x)) return false;
  return true;
}

// Euclidean norm of the differences d(i), i = 0..n-1. The plain sum of
// squares is used while it stays in the normal range; otherwise the sum is
// repeated on values scaled by the largest |d|, so 1e200 or 1e-200 apart
// still gives the right distance.
template <class Diff>
double ScaledNorm(int32_t n, Diff d) {
  double s = 0.0;
  for (int32_t i = 0; i < n; ++i) {
    const double t = d(i);
    s += t * t;
  }
  if (s < 1e300 && s > 1e-290) return std::sqrt(s);
  if (std::isnan(s)) return s;
  double big = 0.0;
  for (int32_t i = 0; i < n; ++i) big = std::max(big, std::fabs(d(i)));
  if (big == 0.0 || std::isinf(big)) return big;
  long double r = 0.0L;
  for (int32_t i = 0; i < n; ++i) {
    const long double t = static_cast<long double>(d(i)) / big;
    r += t * t;
  }
  return static_cast<double>(big * std::sqrt(r));
}

// Order of the nearest-neighbour lists: numbers ascending, NaN after every
// number.
inline bool DistLess(double a, double b) { return a < b || (std::isnan(b) && !std::isnan(a)); }

// Runs a callable when the scope ends, also on an exception.
template <class F>
class ScopeGuard {
 public:
  explicit ScopeGuard(F f) : f_(std::move(f)) {}
  ~ScopeGuard() { f_(); }
  ScopeGuard(const ScopeGuard&) = delete;
  ScopeGuard& operator=(const ScopeGuard&) = delete;

 private:
  F f_;
};

}  // namespace zel::math2_detail
