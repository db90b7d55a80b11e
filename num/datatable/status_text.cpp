#include "num/datatable/zel_datatable.hpp"

namespace zel {

const char* DataTableRemoveStatusText(int32_t status) {
  if (status >= 0) return "rows or columns removed";
  switch (status) {
    case kDTRemoveBadBound: return "a bound lies outside the table";
    case kDTRemoveAll: return "every row or column would be removed, so none was";
    default: return "unknown data table removal status";
  }
}

const char* DataTableContTabStatusText(int32_t status) {
  switch (status) {
    case kDTContTabOk: return "success";
    case kDTContTabBadColumn: return "a column is not part of the table";
    case kDTContTabNotCategorical: return "a column is neither nominal nor ordinal";
    case kDTContTabOutOfRange:
      return "a value lay outside the ordinals 0 to 150 and was not counted";
    case kDTContTabOrdinalZero:
      return "a pair held ordinal 0, which has no cell, and was not counted";
    default: return "unknown contingency table status";
  }
}

const char* DataTableFindCellsStatusText(int32_t status) {
  if (status >= 0) return "number of cells found";
  switch (status) {
    case kDTFindBadOp: return "the comparison is not known";
    case kDTFindTooManyHits: return "more than 10 000 cells matched; the first 10 000 are listed";
    default: return "unknown cell search status";
  }
}

const char* DataTableCopyStatusText(int32_t status) {
  switch (status) {
    case kDTCopyOk: return "success";
    case kDTCopyBadIndex: return "the column or row is not part of the table";
    case kDTCopyBadBound: return "a bound lies outside the table";
    case kDTCopyBadElement: return "the array or vector index lies outside it";
    case kDTCopyEmpty: return "the array is empty or there is no vector";
    default: return "unknown data table copy status";
  }
}

const char* DataTableSliceStatusText(int32_t status) {
  if (status >= 0) return "number of values copied";
  switch (status) {
    case kDTSliceBadIndex: return "the column or row is not part of the table";
    case kDTSliceBadBound: return "a bound lies outside the table";
    case kDTSliceBadStep: return "the step is not positive";
    default: return "unknown slice status";
  }
}

}  // namespace zel
