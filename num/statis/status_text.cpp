#include "num/statis/zel_statis.hpp"

namespace zel {

const char* DistriQuantileStatusText(int32_t status) {
  switch (status) {
    case kDistriQuantileOk: return "the quantile was found";
    case kDistriQuantileBadCount: return "the number of trials is negative";
    case kDistriQuantileBadProb: return "a probability is not a number between 0 and 1";
    default: return "unknown distribution quantile status";
  }
}

}  // namespace zel
