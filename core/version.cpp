#include "core/zel_version.hpp"

namespace zel {

// Compiled into the library so that it reports the version of the library,
// not of the headers the caller saw.
const char* VersionString() noexcept { return ZEL_VERSION_STRING; }

}  // namespace zel
