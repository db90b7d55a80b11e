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
    case kMatCopyFromNoStorage: return "the matrix has no dense storage (sparse mode)";
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
    case kMatCopyToNoStorage: return "the matrix has no dense storage (sparse mode)";
    default: return "unknown matrix copy status";
  }
}

const char* MatrixResampleStatusText(int32_t status) {
  switch (status) {
    case kMatResampleOk: return "success";
    case kMatResampleBadColPercent: return "the column percentage selects no column or exceeds 100";
    case kMatResampleBadRowPercent: return "the row percentage selects no row or exceeds 100";
    case kMatResampleNoSource: return "there is no source matrix";
    case kMatResampleTooMany: return "distinct numbers were asked for from more than 1 000 000";
    case kMatResampleEmptyNumbers: return "an array for the chosen numbers is empty on entry";
    case kMatResampleResized: return "an event handler resized the matrix during the copy";
    default: return "unknown matrix resampling status";
  }
}

const char* MatrixHatStatusText(int32_t status) {
  switch (status) {
    case kMatHatOk: return "success";
    case kMatHatNoTarget: return "there is no matrix for the result";
    case kMatHatNoMemory: return "not enough memory for the hat matrix";
    case kMatHatSingular:
      return "the matrix holds NaN or infinity, or its columns are linearly dependent";
    case kMatHatAborted: return "the hat matrix calculation was aborted";
    case kMatHatResized: return "an event handler resized the result matrix while it was stored";
    default: return "unknown hat matrix status";
  }
}

const char* MatrixDuplicateStatusText(int32_t status) {
  switch (status) {
    case kMatDuplicateOk: return "success";
    case kMatDuplicateEmptyDest: return "the destination array is empty on entry";
    case kMatDuplicateNoStorage: return "the matrix has no dense storage (sparse mode)";
    default: return "unknown matrix duplication status";
  }
}

const char* MatrixEdgeStatusText(int32_t status) {
  switch (status) {
    case kMatEdgeOk: return "success";
    case kMatEdgeUnallocated: return "the matrix has no dense storage (sparse mode)";
    case kMatEdgeSkipped: return "an index lay outside the matrix and was skipped";
    case kMatEdgeNoDest: return "there is no vector for the result";
    default: return "unknown matrix edge vector status";
  }
}

const char* MatrixDiffStatusText(int32_t status) {
  switch (status) {
    case kMatDiffOk: return "success";
    case kMatDiffBadOrder: return "the order lies outside 1..10";
    case kMatDiffTooShort: return "the order is not smaller than the number of rows or columns";
    case kMatDiffNoStorage: return "the matrix has no dense storage (sparse mode)";
    default: return "unknown matrix difference status";
  }
}

const char* MatrixDistMatStatusText(int32_t status) {
  switch (status) {
    case kMatDistMatOk: return "success";
    case kMatDistMatBadTarget: return "there is no distance matrix, or it is not square";
    case kMatDistMatWrongSize: return "the distance matrix does not have one column per row";
    default: return "unknown distance matrix status";
  }
}

}  // namespace zel
