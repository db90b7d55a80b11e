// Data shared by the regression tests (not installed: *_impl.hpp).
#pragma once

#include <cstdint>
#include <vector>

#include "core/zel_zelbase.hpp"
#include "num/vector/zel_vector.hpp"

namespace zel::regression_test {

// The 12 objects in 3 variables and the response of
// testdata/regression_reference.py, row by row.
inline const std::vector<double>& XData() {
  static const std::vector<double> x{-2.8,  -2.41, -2.6,  -1.25, 2.89,  -3.2,  1.89,  2.52,  -0.71,
                                     -1.4,  0.94,  2.43,  4.31,  1.78,  3.19,  -0.9,  -1.75, -3.44,
                                     -2.31, -0.73, 0.39,  -2.63, 1.63,  -0.21, -1.28, -1.53, 4.04,
                                     0.34,  -1.8,  -1.91, 3.68,  -1.16, 2.38,  2.85,  -4.65, 2.7};
  return x;
}

inline const std::vector<double>& YData() {
  static const std::vector<double> y{1.27, -4.47, -0.5, 0.26, 3.96, 2.06,
                                     0.28, -1.98, 4.28, 4.28, 7.05, 11.12};
  return y;
}

inline std::vector<double> Scaled(std::vector<double> v, double s) {
  for (double& x : v) x *= s;
  return v;
}

inline std::vector<double> Values(const TVector& v) {
  std::vector<double> a;
  for (int32_t i = 1; i <= v.GetNrOfElem(); ++i) a.push_back(v.GetVal(i));
  return a;
}

}  // namespace zel::regression_test
