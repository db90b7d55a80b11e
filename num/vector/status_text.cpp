#include "core/zel_filesys.hpp"
#include "num/vector/zel_vector.hpp"

namespace zel {

const char* VectorImportStatusText(int32_t status) {
  switch (status) {
    // The header's own failures read as the header reader words them.
    case kAscOk:
    case kAscCannotRead:
    case kAscBadColumnCount:
    case kAscBadRowCount:
    case kAscBadFlags: return AscHeaderStatusText(status);
    case kVecAscBadRowAttribute: return "a row attribute is missing or not a number";
    case kVecAscBadValue: return "a value or a quoted name is missing or malformed";
    case kVecAscNotOneColumn: return "the ASC file does not hold exactly one column";
    case kVecAscNoFile: return "the ASC file does not exist";
    case kVecAscNoRows: return "the ASC file holds no rows";
    default: return "unknown ASC import status";
  }
}

const char* VectorCopyStatusText(int32_t status) {
  switch (status) {
    case kVecCopyOk: return "success";
    case kVecCopyNoSource: return "there is no source, or the source array is empty";
    case kVecCopyBadBound: return "a source bound lies outside the source";
    case kVecCopyBadDest: return "the destination position lies outside the vector";
    default: return "unknown vector copy status";
  }
}

}  // namespace zel
