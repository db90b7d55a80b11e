// Connection tables: benzoic acid built atom by atom, its formula, rings,
// attributes and functional groups, and a search for a carboxylic acid.
#include <cstdio>
#include <initializer_list>
#include <memory>

#include "mol/cdata/zel_cdata.hpp"
#include "mol/cstruct/zel_cstruct.hpp"

namespace {

zel::CTElem Atom(int32_t z) {
  zel::CTElem r;
  zel::ClearCTElem(r);
  r.atNum = static_cast<uint8_t>(z);
  return r;
}

}  // namespace

int main() {
  using namespace zel;

  // Benzoic acid without hydrogens, the ring in Kekule form: atoms 1-6 ring,
  // 7 the carboxyl carbon, 8 and 9 its oxygens.
  TCTab acid(nullptr);
  acid.SetStrucName("benzoic acid");
  acid.BeginUpdate();
  for (int32_t z : {6, 6, 6, 6, 6, 6, 6, 8, 8}) acid.AddAtom(Atom(z));
  for (int32_t k = 1; k <= 6; ++k) acid.MakeConnection(k, k % 6 + 1, k % 2 ? 2 : 1);
  acid.MakeConnection(1, 7, 1);
  acid.MakeConnection(7, 8, 2);
  acid.MakeConnection(7, 9, 1);
  acid.SetCASNr("65-85-0");
  acid.EndUpdate();

  TFormulaRec f;
  acid.CalcMolecularFormula(f);
  std::printf("%s (CAS %s):", acid.GetStrucName().c_str(), acid.GetCASNr().c_str());
  for (int32_t e = 0; e < f.FLeng; ++e)
    std::printf(" %s%d", CElemSymb(f.AtNum[e]).c_str(), f.AtCnt[e]);
  std::printf(", %.3f g/mol\n", acid.CalcChemMolWeight());

  RingListType rings;
  const int32_t n = acid.FindSSSR(rings);
  std::printf("%d ring(s), %d independent\n", n, acid.RingsInMolecule());
  for (int32_t k = 0; k < n; ++k) {
    std::printf("  ring of %d:", rings.Rings[k].Size);
    for (int32_t j = 0; j < rings.Rings[k].Size; ++j) std::printf(" %d", rings.Rings[k].Atoms[j]);
    std::printf("\n");
  }
  acid.CalcAttributes();
  std::printf("attributes:");
  for (int32_t i = 1; i <= acid.GetNAtoms(); ++i) std::printf(" %d:0x%02X", i, acid.GetAttrib(i));
  std::printf("\n");

  const struct {
    FrgType g;
    const char* name;
  } groups[] = {{FrgType::COOH, "COOH"},
                {FrgType::AnyCO, "C=O"},
                {FrgType::AnyOH, "OH"},
                {FrgType::NCCDbl, "C=C"},
                {FrgType::NBranch, "branching atoms"}};
  for (const auto& g : groups) std::printf("  %-16s %d\n", g.name, acid.FragmentCount(g.g));
  int32_t outer = 0;
  std::printf("fragment code of atom 7: %s\n",
              TCTab::FragmentStr(acid.FragmentCode(7, outer)).c_str());

  // The query C(=O)-O; bond types compared.
  TCTab query(nullptr);
  for (int32_t z : {6, 8, 8}) query.AddAtom(Atom(z));
  query.MakeConnection(1, 2, 2);
  query.MakeConnection(1, 3, 1);
  TMatchArray match;
  if (acid.SearchSubStruc(&query, match, true))
    std::printf("carboxylic acid found: C=%d, =O %d, -O %d\n", match[1], match[2], match[3]);
  else
    std::printf("no carboxylic acid\n");
  return 0;
}
