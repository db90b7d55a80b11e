#include "core/zel_filesys.hpp"
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

const char* DataTableAscStatusText(int32_t status) {
  switch (status) {
    case kDTAscOk: return "success";
    case kAscCannotRead:
    case kAscBadColumnCount:
    case kAscBadRowCount:
    case kAscBadFlags: return AscHeaderStatusText(status);
    case kDTAscBadRowAttribute: return "a row attribute is missing or not an integer";
    case kDTAscBadValue: return "a value or quoted name is missing or malformed";
    case kDTAscBadTypes: return "the section of scale types and levels is malformed";
    case kDTAscNoFile: return "the file does not exist";
    case kDTAscNoCells: return "the column or row count is 0";
    case kDTAscBadTrailer:
      return "the text after the rows is no valid state or custom data section";
    case kDTAscBadPosition:
      return "the start column or row is below 1, or the table would grow too large";
    case kDTAscNoText: return "the clipboard holds no text";
    default: return "unknown data table ASC status";
  }
}

const char* DataTableCsvStatusText(int32_t status) {
  switch (status) {
    case kDTCsvOk: return "success";
    case kDTCsvCannotRead: return "the file is missing or cannot be read";
    case kDTCsvNoData: return "the text holds no data line";
    case kDTCsvOpenQuote: return "a quoted field is not closed";
    case kDTCsvRagged: return "a line holds another number of fields than the first";
    case kDTCsvTooManyLevels: return "a text column holds more than 151 distinct levels";
    case kDTCsvBadAttribute: return "a row attribute is not a 32-bit integer";
    case kDTCsvBadArgument:
      return "the number of lines to skip is negative or the delimiter unknown";
    case kDTCsvBadQuote: return "text follows a closing quote before the delimiter";
    case kDTCsvTooLarge: return "the text holds more rows or columns than a table can hold";
    default: return "unknown data table CSV status";
  }
}

const char* DataTableSplitStatusText(int32_t status) {
  if (status > 0) return "number of parts";
  switch (status) {
    case kDTSplitOk: return "success";
    case kDTSplitBadMode: return "the split or selection mode is not known";
    case kDTSplitBadSize: return "the split size does not suit the mode and the table";
    case kDTSplitExists: return "a target file exists, so nothing was written";
    case kDTSplitWriteFailed: return "a file could not be written, so none was kept";
    case kDTSplitBadName: return "the file name template names no file";
    default: return "unknown data table split status";
  }
}

}  // namespace zel
