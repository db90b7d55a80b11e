// The molecular-formula parser, classic and strict. Whatever was read (a
// complete or an interrupted reading) writes as text that reads back to the
// same elements, masses and counts, with and without masses in front; the
// error position lies inside the text.
#include "fuzz/fuzz_util_impl.hpp"
#include "mol/cdata/zel_cform.hpp"

namespace {

using namespace zel;
using namespace zel::fuzz;

bool SameEntries(const TMolFormula& a, const TMolFormula& b) {
  if (a.GetNumAtoms() != b.GetNumAtoms()) return false;
  for (int32_t i = 1; i <= a.GetNumAtoms(); ++i)
    if (a.GetAtNum(i) != b.GetAtNum(i) || a.GetAtCnt(i) != b.GetAtCnt(i)) return false;
  return true;
}

bool SameMasses(const TMolFormula& a, const TMolFormula& b) {
  for (int32_t i = 1; i <= a.GetNumAtoms(); ++i)
    if (a.GetAtWgt(i) != b.GetAtWgt(i)) return false;
  return true;
}

void Check(const std::string& text, bool strict, bool parens) {
  TMolFormula f;
  f.SetStrictSymbols(strict);
  if (parens)
    f.SetMolFormula(text);
  else
    f.ReadFromString(text);
  if (!f.LastParseComplete())
    Require(
        f.GetParseErrorPos() >= 1 && f.GetParseErrorPos() <= static_cast<int32_t>(text.size()) + 1,
        "formula parser: error position outside the text");
  for (const int32_t mode : {0, 1}) {
    const std::string back = f.AsString(mode);
    TMolFormula g;
    g.SetStrictSymbols(strict);
    g.SetMolFormula(back);
    Require(g.LastParseComplete(), "formula parser: its own text does not parse");
    Require(SameEntries(f, g), "formula parser: its own text reads back to other entries");
    Require(mode == 0 || SameMasses(f, g), "formula parser: its own text reads other masses");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size > 4096) return 0;
  const std::string text = AsText(Data, Size);
  for (const bool strict : {false, true})
    for (const bool parens : {false, true}) Check(text, strict, parens);
  return 0;
}
