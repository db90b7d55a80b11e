// Molecular formulas: parse them in the conventional notation and print
// their masses; a formula that does not read says why.
//
//   example_guide_formula [formula...]     (default: a few examples)
#include <cstdio>
#include <string>
#include <vector>

#include "mol/cdata/zel_cform.hpp"

using namespace zel;

int main(int argc, char** argv) {
  std::vector<std::string> formulas(argv + 1, argv + argc);
  if (formulas.empty())
    formulas = {"C6H12O6", "CH3COOH", "(CH3)3COH", "NaCl", "Ca3(PO4)2", "C2H5Xy"};

  TMolFormula f;
  // Case-sensitive symbols: "CO2" is carbon dioxide, "Co" cobalt. The
  // default, classic reading wants symbols apart ("C O2").
  f.SetStrictSymbols(true);
  int32_t failed = 0;
  for (const std::string& text : formulas) {
    // TryParse keeps the previous formula when the text does not read.
    if (!f.TryParse(text)) {
      std::printf("%-10s %s at character %d\n", text.c_str(),
                  FormulaParseErrorText(f.GetParseError()).c_str(), f.GetParseErrorPos());
      ++failed;
      continue;
    }
    // Average weight from the standard atomic weights; monoisotopic mass
    // from one isotope per element: its principal one, or the one the
    // formula names ("13C").
    std::printf("%-10s M %9.4f g/mol, monoisotopic %10.5f u, nominal %lld\n", text.c_str(),
                f.ChemMolWgt(), f.ExactMolWgt(), static_cast<long long>(f.NominalMolWgt()));
  }
  return failed < static_cast<int32_t>(formulas.size()) ? 0 : 1;
}
