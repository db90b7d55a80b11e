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

namespace zel {

const char* NormalityTestStatusText(int32_t status) {
  switch (status) {
    case kNormTestOk: return "the statistic and its p-value were computed";
    case kNormTestTooFew: return "there are too few values";
    case kNormTestNotFinite: return "a value is not a finite number";
    case kNormTestConstant: return "all values are equal";
    default: return "unknown normality test status";
  }
}

}  // namespace zel
