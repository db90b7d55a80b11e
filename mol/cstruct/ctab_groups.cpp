// TCTab: functional groups, fragment codes and atom templates.
#include <algorithm>
#include <functional>

#include "mol/cstruct/cstruct_impl.hpp"
#include "mol/cstruct/zel_cstruct.hpp"

namespace zel {

using cstruct_impl::Graph;

namespace {

// Group tests look at heavy neighbours only, so that explicit hydrogens do
// not change what a group is.
struct Heavy {
  const Graph& g;
  const TCTab& t;

  int32_t Z(int32_t i) const { return t.GetAtNum(i); }

  template <typename F>
  void ForEach(int32_t i, F f) const {
    for (int32_t k = 0; k < g.deg[i]; ++k)
      if (Z(g.nb[i][k]) != 1)
        f(static_cast<int32_t>(g.nb[i][k]), static_cast<int32_t>(g.type[i][k]));
  }
  int32_t Degree(int32_t i) const {
    int32_t n = 0;
    ForEach(i, [&n](int32_t, int32_t) { ++n; });
    return n;
  }
  int32_t Count(int32_t i, int32_t z, int32_t type) const {
    int32_t n = 0;
    ForEach(i, [&](int32_t nb, int32_t t) { n += (Z(nb) == z && t == type); });
    return n;
  }
  bool HasAromaticBond(int32_t i) const {
    for (int32_t k = 0; k < g.deg[i]; ++k)
      if (g.type[i][k] == 4) return true;
    return false;
  }
  // A carbonyl carbon: what the amine groups must not be bonded to.
  bool IsCarbonylC(int32_t i) const { return Z(i) == 6 && Count(i, 8, 2) > 0; }
};

bool CountsAtom(FrgType g, const Heavy& h, int32_t i) {
  const int32_t z = h.Z(i);
  const int32_t d = h.Degree(i);
  switch (g) {
    case FrgType::NBranch: return z != 1 && d > 2;
    case FrgType::XCnt: return z == 17 || z == 35;
    case FrgType::COOH:
    case FrgType::COO: {
      if (z != 6 || d != 3 || h.Count(i, 8, 2) < 1) return false;
      bool hit = false;
      h.ForEach(i, [&](int32_t nb, int32_t t) {
        if (h.Z(nb) == 8 && t == 1 && ((h.Degree(nb) == 1) == (g == FrgType::COOH))) hit = true;
      });
      return hit;
    }
    case FrgType::NO2: {
      if (z != 7 || d != 3) return false;
      const int32_t dbl = h.Count(i, 8, 2), sgl = h.Count(i, 8, 1);
      return dbl == 2 || (dbl == 1 && sgl == 1);
    }
    case FrgType::AnyCO: return z == 6 && d <= 3 && h.Count(i, 8, 2) >= 1;
    case FrgType::AroCl:
    case FrgType::AroBr: {
      if (z != (g == FrgType::AroCl ? 17 : 35)) return false;
      // The first valid neighbour; a free halide ion has none.
      const int32_t nb = h.g.deg[i] > 0 ? h.g.nb[i][0] : 0;
      return nb != 0 && h.HasAromaticBond(nb);
    }
    case FrgType::AnyOH:
    case FrgType::PhOH: {
      if (z != 8 || d != 1) return false;
      bool ok = false;
      h.ForEach(i, [&](int32_t nb, int32_t t) {
        ok = t == 1 && (g == FrgType::AnyOH || (h.Z(nb) == 6 && h.HasAromaticBond(nb)));
      });
      return ok;
    }
    case FrgType::NH2:
    case FrgType::NHR:
    case FrgType::NR2: {
      const int32_t want = g == FrgType::NH2 ? 1 : (g == FrgType::NHR ? 2 : 3);
      if (z != 7 || d != want) return false;
      bool ok = true;
      h.ForEach(i, [&](int32_t nb, int32_t t) {
        if (t != 1 || h.IsCarbonylC(nb) || (g != FrgType::NR2 && h.Z(nb) == 7)) ok = false;
      });
      return ok;
    }
    case FrgType::NCON: return z == 6 && d == 3 && h.Count(i, 8, 2) == 1 && h.Count(i, 7, 1) == 2;
    case FrgType::CONR2: return z == 6 && d == 3 && h.Count(i, 8, 2) == 1 && h.Count(i, 7, 1) == 1;
    case FrgType::CN: return z == 6 && d == 2 && h.Count(i, 7, 3) >= 1;
    case FrgType::CHO: {
      if (z != 6 || d > 2 || h.Count(i, 8, 2) < 1) return false;
      int32_t dbl = 0;
      h.ForEach(i, [&dbl](int32_t, int32_t t) { dbl += t == 2; });
      return dbl < 2;
    }
    case FrgType::COX:
      return z == 6 && d <= 3 && h.Count(i, 8, 2) >= 1 &&
             h.Count(i, 17, 1) + h.Count(i, 35, 1) + h.Count(i, 53, 1) >= 1;
    case FrgType::AnySO: return z == 16 && d <= 3 && h.Count(i, 8, 2) >= 1;
    case FrgType::OCH3: {
      if (z != 8 || d != 2) return false;
      bool ok = false;
      h.ForEach(i, [&](int32_t nb, int32_t) { ok = ok || (h.Z(nb) == 6 && h.Degree(nb) == 1); });
      return ok;
    }
    case FrgType::NO: return z == 7 && d == 2 && h.Count(i, 8, 2) >= 1;
    case FrgType::NNH2: {
      if (z != 7 || d != 2) return false;
      int32_t nTerm = 0, singles = 0;
      h.ForEach(i, [&](int32_t nb, int32_t t) {
        if (nTerm == 0 && h.Z(nb) == 7 && h.Degree(nb) == 1 && (t == 1 || t == 2))
          ++nTerm;
        else
          singles += t == 1;
      });
      return nTerm == 1 && singles == 1;
    }
    default: return false;
  }
}

}  // namespace

int32_t TCTab::FragmentCount(FrgType Group) const {
  const Graph g = cstruct_impl::BuildGraph(*this);
  const Heavy h{g, *this};
  int32_t n = 0;
  auto bonds = [&](int32_t type, bool cc) {
    int32_t c = 0;
    for (int32_t a = 1; a <= g.n; ++a)
      for (int32_t k = 0; k < g.deg[a]; ++k) {
        const int32_t b = g.nb[a][k];
        if (b > a && g.type[a][k] == type && (!cc || (h.Z(a) == 6 && h.Z(b) == 6))) ++c;
      }
    return c;
  };
  switch (Group) {
    case FrgType::NSglBnd: return bonds(1, false);
    case FrgType::NDblBnd: return bonds(2, false);
    case FrgType::NTrplBnd: return bonds(3, false);
    case FrgType::NAroBnd: return bonds(4, false);
    case FrgType::NCCSgl: return bonds(1, true);
    case FrgType::NCCDbl: return bonds(2, true);
    case FrgType::NCCTrpl: return bonds(3, true);
    default: break;
  }
  for (int32_t i = 1; i <= g.n; ++i) n += CountsAtom(Group, h, i);
  return n;
}

namespace {

int32_t AtomType(int32_t z) {
  switch (z) {
    case 1: return 1;
    case 5: return 2;
    case 6: return 3;
    case 7: return 4;
    case 8: return 5;
    case 9: return 6;
    case 14: return 7;
    case 15: return 8;
    case 16: return 9;
    case 17: return 10;
    case 33: return 11;
    case 35: return 12;
    case 50: return 13;
    case 53: return 14;
    case 0: return 15;
    default: return 0;
  }
}

constexpr const char* kTypeSymbol[16] = {"",  "H", "B",  "C",  "N",  "O",  "F", "Si",
                                         "P", "S", "Cl", "As", "Br", "Sn", "I", "RR"};

}  // namespace

int32_t TCTab::FragmentCode(int32_t atom, int32_t& OuterBonds) const {
  OuterBonds = 0;
  const CTElem* a = Atom(atom);
  if (!a) return kFragCodeBadAtom;
  const int32_t central = AtomType(a->atNum);
  if (central == 0) return kFragCodeBadAtom;
  const Graph g = cstruct_impl::BuildGraph(*this);
  if (g.deg[atom] > 4) return kFragCodeTooManyBonds;
  std::array<int32_t, 4> groups{};
  int32_t outer = 0;
  for (int32_t k = 0; k < g.deg[atom]; ++k) {
    const int32_t nb = g.nb[atom][k];
    const int32_t t = AtomType(FAtomEntries[nb - 1].atNum);
    if (t == 0) return kFragCodeBadAtom;
    groups[k] = t * 4 + g.type[atom][k] % 4;
    outer += g.deg[nb] - 1;
  }
  std::sort(groups.begin(), groups.end(), std::greater<>());
  int32_t code = central;
  for (int32_t k = 0; k < 4; ++k) code |= groups[k] << (4 + 6 * k);
  OuterBonds = outer;
  return code;
}

std::string TCTab::FragmentStr(int32_t Code) {
  if (Code < 0) return "ERROR";
  std::string s = kTypeSymbol[Code & 0xF];
  for (int32_t k = 0; k < 4; ++k) {
    const int32_t grp = (Code >> (4 + 6 * k)) & 0x3F;
    if (grp == 0) continue;
    const int32_t bond = grp % 4;
    s += static_cast<char>('0' + (bond == 0 ? 4 : bond));
    s += kTypeSymbol[(grp / 4) & 0xF];
  }
  return s;
}

void TCTab::MatchAtomTemplate(int32_t An, int32_t Nb, const BondListType& TypB,
                              AtListType& AtomsMatched) const {
  AtomsMatched = AtListType{};
  for (int32_t i = 1; i <= FNumValidAtoms; ++i) {
    const CTElem& a = FAtomEntries[i - 1];
    if (An > 0 && a.atNum != An) continue;
    if (An < 0 && a.atNum == -An) continue;
    const int32_t nb = GetNBonds(i);
    if (Nb > 0 && nb != Nb) continue;
    if (Nb < 0 && nb == -Nb) continue;
    bool ok = true;
    for (uint8_t t : TypB) {
      if (t == 0) continue;
      bool present = false;
      for (int k = 0; k < kMaxCTConn; ++k)
        present = present || (a.connTo[k] != 0 && a.typConn[k] == t);
      ok = ok && present;
    }
    if (ok) AtomsMatched.Atoms[AtomsMatched.Count++] = static_cast<uint8_t>(i);
  }
}

}  // namespace zel
