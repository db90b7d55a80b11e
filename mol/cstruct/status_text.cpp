#include "mol/cstruct/zel_cstruct.hpp"

namespace zel {

const char* FragmentCodeStatusText(int32_t status) {
  if (status >= 0) return "fragment code";
  if (status == kFragCodeBadAtom)
    return "the atom index is invalid, or an atom has no fragment type";
  if (status == kFragCodeTooManyBonds) return "the atom has more than four bonds";
  return "unknown fragment code status";
}

}  // namespace zel
