// Element data and molecular formulas: looking up elements, reading formulas
// in the formula syntax (symbols separated by counts or blanks, isotope
// masses in front, parentheses with a multiplier), their weights, the
// formula finder, and the formula drawn with sub- and superscripts into a
// PNG file.
#include <cstdio>
#include <filesystem>
#include <string>

#include "gui/zel_controls.hpp"
#include "mol/cdata/zel_cdata.hpp"
#include "mol/cdata/zel_cform.hpp"

int main() {
  using namespace zel;

  const int32_t z = AtomicNumber("Cl");
  std::printf("%s (%s): Z %d, mass number %d, exact mass %.6f, weight %.3f, %s\n",
              CElemSymb(z).c_str(), CElemName(z).c_str(), z, IntAtWeight(z), ExactAtWeight(z),
              ChemAtWeight(z), FullElectronConfig(z).c_str());
  std::printf("CAS %s is %s\n", FormatCASNr(7732185).c_str(),
              CheckCASNr(7732185) ? "valid" : "invalid");

  // A run of letters is one symbol, so symbols are separated by a count or
  // a blank: "C6H12O6" works, "CH4" does not (see below).
  TMolFormula f;
  for (const char* text : {"C6H12O6", "(C H3)2 C O", "D2O", "13C6 H12 O6", "CH4", "C H4"}) {
    f.SetMolFormula(text);
    std::printf("%-12s -> %-20s complete %-3s  M %9.4f g/mol  exact %9.5f u  nominal %lld\n", text,
                f.AsString(1).c_str(), f.LastParseComplete() ? "yes" : "no", f.ChemMolWgt(),
                f.ExactMolWgt(), static_cast<long long>(f.NominalMolWgt()));
  }
  int32_t pos = 1, count = 0, mass = 0, atnum = 0;
  const bool read = TMolFormula::ScanNextFormPart("CH4", pos, count, mass, atnum);
  std::printf("\"CH4\" is read as the symbol \"CH\", which is no element: part read %s\n",
              read ? "yes" : "no");
  // TryParse keeps the previous formula when a text does not read, and says
  // what stopped it and where.
  if (!f.TryParse("C2 H5 Xy"))
    std::printf("\"C2 H5 Xy\": %s at character %d; the formula stays %s\n",
                FormulaParseErrorText(f.GetParseError()).c_str(), f.GetParseErrorPos(),
                f.AsString(0).c_str());
  // The strict reading takes conventional formulas: case-sensitive symbols.
  TMolFormula strict;
  strict.SetStrictSymbols(true);
  for (const char* text : {"CO2", "Co2", "CH4", "NaCl", "(CH3)2CO"}) {
    strict.SetMolFormula(text);
    std::printf("strict %-10s -> %s\n", text, strict.AsString(0).c_str());
  }

  // Which formulas of C, H, N, O have the exact mass 46.0419 (+- 0.001)?
  TFormulaRec low, high;
  const int32_t elements[4][3] = {{6, 12, 4}, {1, 1, 10}, {7, 14, 2}, {8, 16, 2}};
  for (const auto& e : elements) {
    const auto k = static_cast<size_t>(high.FLeng++);
    high.AtNum[k] = static_cast<uint8_t>(e[0]);
    high.AtWgt[k] = static_cast<uint16_t>(e[1]);
    high.AtCnt[k] = static_cast<uint16_t>(e[2]);
  }
  f.InitFindFormula(46.0419, 0.001, low, high);
  while (f.FindFormulaExactMass(true)) std::printf("mass 46.0419 fits %s\n", f.AsString(0).c_str());

  // The display control draws into its own bitmap.
  TMolForm form(nullptr);
  form.SetWidth(160);
  TFont font = form.GetFont();
  font.SetSize(14);
  form.SetFont(font);
  form.SetColorBkg(clWhite);
  form.SetMolFormula("13C6 H12 O6");
  form.Repaint();
  const auto file = std::filesystem::temp_directory_path() / "zel_example_chem.png";
  form.GetSurface().SaveToFile(file.string());
  std::printf("drew %s (%d x %d) into %s\n", form.AsString(1).c_str(), form.GetWidth(),
              form.GetHeight(), file.string().c_str());
  return 0;
}
