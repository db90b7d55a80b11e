#include "core/zel_filesys.hpp"

namespace zel {

const char* AscHeaderStatusText(int32_t status) {
  switch (status) {
    case kAscOk: return "success";
    case kAscCannotRead: return "the ASC file is missing, unreadable or empty";
    case kAscBadColumnCount: return "the ASC header has no valid column count";
    case kAscBadRowCount: return "the ASC header has no valid row count, or too many rows";
    case kAscBadFlags: return "the ASC header has no valid line of four TRUE/FALSE flags";
    default: return "unknown ASC header status";
  }
}

}  // namespace zel
