// The formula finder: an odometer over the counts between two bounds that
// stops at candidates whose nominal or exact mass matches a target.
#include <algorithm>
#include <cmath>

#include "mol/cdata/zel_cform.hpp"

namespace zel {
namespace {

int32_t LowCount(const TFormulaRec& LowF, size_t k) {
  return static_cast<int32_t>(k) < LowF.FLeng ? LowF.AtCnt[k] : 0;
}

}  // namespace

int32_t TMolFormula::GetPermutCnt(int32_t i) const {
  return (i >= 1 && i <= kMaxFormulaEntries) ? FPermutCnt[static_cast<size_t>(i - 1)] : 0;
}

bool TMolFormula::InitFindFormula(double Mass, double Tol, const TFormulaRec& LowF,
                                  const TFormulaRec& HighF) {
  FMassBForm = Mass;
  FTolBForm = Tol;
  FLowBForm = LowF;
  FHighBForm = HighF;
  FPermutCnt.fill(0);
  FExhausted = true;
  if (!std::isfinite(Mass) || !std::isfinite(Tol)) return false;
  if (HighF.FLeng < 1 || HighF.FLeng > kMaxFormulaEntries || LowF.FLeng > kMaxFormulaEntries)
    return false;
  // An element outside the table has no symbol and no exact mass: its
  // matches would write as "" and weigh what the mass number says.
  const auto knownElements = [](const TFormulaRec& f) {
    for (size_t k = 0; k < static_cast<size_t>(std::max(f.FLeng, 0)); ++k)
      if (f.AtNum[k] < 1 || f.AtNum[k] > kMaxAtomicNumber) return false;
    return true;
  };
  if (!knownElements(LowF) || !knownElements(HighF)) return false;
  for (size_t k = 0; k < static_cast<size_t>(HighF.FLeng); ++k)
    if (LowCount(LowF, k) > HighF.AtCnt[k]) return false;
  for (size_t k = 0; k < static_cast<size_t>(HighF.FLeng); ++k) FPermutCnt[k] = HighF.AtCnt[k];
  FExhausted = false;
  return true;
}

void TMolFormula::AdvanceCandidate() {
  for (auto k = static_cast<size_t>(FHighBForm.FLeng); k-- > 0;) {
    if (--FPermutCnt[k] >= LowCount(FLowBForm, k)) return;
    FPermutCnt[k] = FHighBForm.AtCnt[k];
  }
  FExhausted = true;
}

bool TMolFormula::FindNext(bool Exact, bool CheckPlausibility) {
  const auto n = static_cast<size_t>(FHighBForm.FLeng);
  const int64_t nominalTarget = Exact ? 0 : RoundToInt64(FMassBForm);
  while (!FExhausted) {
    // Lighter than the target: lower counts of the last entry are lighter
    // still, so its turn can end here.
    bool tooLight = false;
    bool match = false;
    if (Exact) {
      double mass = 0.0;
      for (size_t k = 0; k < n; ++k)
        mass += IsotopeExactMass(FHighBForm.AtNum[k], FHighBForm.AtWgt[k]) * FPermutCnt[k];
      match = std::fabs(mass - FMassBForm) < FTolBForm;
      tooLight = mass <= FMassBForm - FTolBForm;
    } else {
      int64_t mass = 0;
      for (size_t k = 0; k < n; ++k) mass += int64_t{FHighBForm.AtWgt[k]} * FPermutCnt[k];
      match = mass == nominalTarget;
      tooLight = mass < nominalTarget;
    }
    if (match && CheckPlausibility) {
      int64_t c = 0, h = 0, nitrogen = 0, halogens = 0;
      for (size_t k = 0; k < n; ++k) {
        const int64_t cnt = FPermutCnt[k];
        switch (FHighBForm.AtNum[k]) {
          case 6: c += cnt; break;
          case 7: nitrogen += cnt; break;
          case 1: h += cnt; break;
          case 9:
          case 17:
          case 35:
          case 53: halogens += cnt; break;
          default: break;
        }
      }
      match = nitrogen + 2 * c + 2 >= h + halogens;
    }
    if (match) {
      FEntries = TFormulaRec{};
      FEntries.FLeng = FHighBForm.FLeng;
      for (size_t k = 0; k < n; ++k) {
        FEntries.AtNum[k] = FHighBForm.AtNum[k];
        FEntries.AtWgt[k] = FHighBForm.AtWgt[k];
        FEntries.AtCnt[k] = static_cast<uint16_t>(FPermutCnt[k]);
      }
    }
    if (tooLight) FPermutCnt[n - 1] = LowCount(FLowBForm, n - 1);
    AdvanceCandidate();
    if (match) return true;
  }
  return false;
}

bool TMolFormula::FindFormulaNominalMass(bool CheckPlausibility) {
  return FindNext(false, CheckPlausibility);
}

bool TMolFormula::FindFormulaExactMass(bool CheckPlausibility) {
  return FindNext(true, CheckPlausibility);
}

}  // namespace zel
