#include "core/zel_univconst.hpp"

#include <cmath>

namespace zel {

const std::array<double, uc_LnFactorialMax + 1>& LnFactorialTable() {
  static const std::array<double, uc_LnFactorialMax + 1> table = [] {
    std::array<double, uc_LnFactorialMax + 1> t{};
    // lgammal rather than a running sum of logs: the sum's rounding errors
    // accumulate over 1000 terms and can reach a double ulp near a midpoint.
    for (int32_t n = 0; n <= uc_LnFactorialMax; ++n)
      t[static_cast<size_t>(n)] =
          static_cast<double>(std::lgammal(static_cast<long double>(n) + 1.0L));
    return t;
  }();
  return table;
}

}  // namespace zel
