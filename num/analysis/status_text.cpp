#include "num/analysis/zel_math2.hpp"

namespace zel {

const char* AgglomStatusText(int32_t status) {
  switch (status) {
    case kAgglomOk: return "success";
    case kAgglomAborted: return "the clustering was aborted";
    case kAgglomTooFewObjects: return "there are fewer than two objects to cluster";
    case kAgglomNoPair: return "no pair of clusters with a finite distance was left to merge";
    case kAgglomNoObject: return "the data matrix or an output object is missing";
    default: return "unknown clustering status";
  }
}

}  // namespace zel
