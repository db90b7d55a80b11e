#include "mol/cdata/zel_cdata.hpp"
#include "mol/cdata/zel_cform.hpp"

namespace zel {

const char* FormulaCompareText(int32_t result) {
  switch (result) {
    case kFormulaSame: return "both formulas hold the same amounts";
    case kFormulaContains: return "this formula contains the other one";
    case kFormulaContained: return "the other formula contains this one";
    case kFormulaUnrelated: return "neither formula contains the other";
    case kFormulaNoEntries: return "a formula has no entries, or there is no other formula";
    default: return "unknown formula comparison result";
  }
}

const char* EDXLinesStatusText(int32_t status) {
  if (status >= 0) return "lines found";
  if (status == kEDXLinesBadZ) return "the atomic number lies outside 4 to 92";
  return "unknown EDX lines status";
}

}  // namespace zel
