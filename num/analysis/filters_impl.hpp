// Helpers shared by the filter sources (not installed).
#pragma once

#include <algorithm>
#include <cstdint>
#include <utility>

namespace zel::filters_detail {

// The range rule of the vector filters: both 0 means 1..n; otherwise both
// bounds are clamped into 1..n, then ordered.
inline void ClampOrder(int32_t& first, int32_t& last, int32_t n) {
  if (first == 0 && last == 0) {
    first = 1;
    last = std::max(n, 1);
    return;
  }
  first = std::clamp(first, 1, std::max(n, 1));
  last = std::clamp(last, 1, std::max(n, 1));
  if (first > last) std::swap(first, last);
}

}  // namespace zel::filters_detail
