// Test helpers: small molecules built from element symbols and bond lists.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "mol/cdata/zel_cdata.hpp"
#include "mol/cstruct/zel_cstruct.hpp"

namespace zel::cstruct_test {

struct Bond {
  int32_t a, b, type;
};

/// A table from blank-separated symbols ("C C O", "[D]" style isotopes not
/// needed here) and bonds entered on both sides.
inline std::unique_ptr<TCTab> Mol(const std::string& symbols, std::initializer_list<Bond> bonds) {
  auto t = std::make_unique<TCTab>(nullptr);
  std::istringstream in(symbols);
  std::string s;
  while (in >> s) {
    CTElem r;
    ClearCTElem(r);
    r.atNum = static_cast<uint8_t>(AtomicNumber(s));
    t->AddAtom(r);
  }
  for (const Bond& b : bonds) t->MakeConnection(b.a, b.b, b.type);
  return t;
}

/// A ring of n atoms of element z with alternating (Kekule) or single bonds,
/// appended to t starting at index first.
inline void AddRing(TCTab& t, int32_t z, int32_t n, bool kekule) {
  const int32_t first = t.GetNAtoms() + 1;
  for (int32_t k = 0; k < n; ++k) {
    CTElem r;
    ClearCTElem(r);
    r.atNum = static_cast<uint8_t>(z);
    t.AddAtom(r);
  }
  for (int32_t k = 0; k < n; ++k)
    t.MakeConnection(first + k, first + (k + 1) % n, kekule && k % 2 == 0 ? 2 : 1);
}

inline std::unique_ptr<TCTab> Benzene() {
  auto t = std::make_unique<TCTab>(nullptr);
  AddRing(*t, 6, 6, true);
  return t;
}

/// Formula as "C2 H6 O" (isotopes as "2H"), in the order of the record.
inline std::string FormulaText(const TFormulaRec& f) {
  std::string s;
  for (int32_t e = 0; e < f.FLeng; ++e) {
    if (!s.empty()) s += ' ';
    if (f.AtWgt[e] != IntAtWeight(f.AtNum[e])) s += std::to_string(f.AtWgt[e]);
    s += CElemSymb(f.AtNum[e]);
    if (f.AtCnt[e] != 1) s += std::to_string(f.AtCnt[e]);
  }
  return s;
}

inline std::string Formula(const TCTab& t) {
  TFormulaRec f;
  if (!t.CalcMolecularFormula(f)) return "FAILED";
  return FormulaText(f);
}

}  // namespace zel::cstruct_test
