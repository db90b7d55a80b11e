#include "num/matrix/zel_matrix.hpp"

namespace zel {

const char* MatrixCopyFromStatusText(int32_t status) {
  switch (status) {
    case kMatCopyFromOk: return "success";
    case kMatCopyFromEmpty: return "the source array is empty";
    case kMatCopyFromRagged: return "the source array is ragged";
    case kMatCopyFromBadElement: return "an element index lies outside the source array";
    case kMatCopyFromOutside: return "the target cell lies outside the matrix";
    case kMatCopyFromResized: return "an event handler resized the matrix during the copy";
    default: return "unknown matrix copy status";
  }
}

const char* MatrixCopyToStatusText(int32_t status) {
  switch (status) {
    case kMatCopyToOk: return "success";
    case kMatCopyToBadDest: return "the destination array is empty or ragged";
    case kMatCopyToColsCorrected: return "the column bounds lay outside the matrix";
    case kMatCopyToRowsCorrected: return "the row bounds lay outside the matrix";
    case kMatCopyToOutside: return "the target cell lies outside the destination array";
    default: return "unknown matrix copy status";
  }
}

}  // namespace zel
