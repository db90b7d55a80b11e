#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "mol/cdata/zel_cform.hpp"

namespace zel {
namespace {

TFormulaRec Rec(std::initializer_list<std::array<int32_t, 3>> entries) {
  TFormulaRec r;
  for (const auto& e : entries) {
    const auto k = static_cast<size_t>(r.FLeng++);
    r.AtNum[k] = static_cast<uint8_t>(e[0]);
    r.AtWgt[k] = static_cast<uint16_t>(e[1]);
    r.AtCnt[k] = static_cast<uint16_t>(e[2]);
  }
  return r;
}

std::string Counts(const TMolFormula& f) {
  std::string s;
  for (int32_t i = 1; i <= f.GetNumAtoms(); ++i) s += std::to_string(f.GetAtCnt(i)) + " ";
  return s;
}

// Every candidate between the bounds in the finder's order (descending
// odometer, last entry fastest), filtered by the same rules, for comparison.
std::vector<std::string> BruteForce(const TFormulaRec& low, const TFormulaRec& high, double target,
                                    double tol, bool exact, bool plausible) {
  std::vector<std::string> found;
  const auto n = static_cast<size_t>(high.FLeng);
  std::vector<int32_t> c(n);
  for (size_t k = 0; k < n; ++k) c[k] = high.AtCnt[k];
  for (;;) {
    double em = 0;
    int64_t nm = 0;
    int64_t carbon = 0, hyd = 0, nit = 0, hal = 0;
    for (size_t k = 0; k < n; ++k) {
      em += IsotopeExactMass(high.AtNum[k], high.AtWgt[k]) * c[k];
      nm += int64_t{high.AtWgt[k]} * c[k];
      const int32_t z = high.AtNum[k];
      if (z == 6) carbon += c[k];
      if (z == 1) hyd += c[k];
      if (z == 7) nit += c[k];
      if (z == 9 || z == 17 || z == 35 || z == 53) hal += c[k];
    }
    bool ok =
        exact ? std::fabs(em - target) < tol : nm == static_cast<int64_t>(std::nearbyint(target));
    if (ok && plausible) ok = nit + 2 * carbon + 2 >= hyd + hal;
    if (ok) {
      std::string s;
      for (size_t k = 0; k < n; ++k) s += std::to_string(c[k]) + " ";
      found.push_back(s);
    }
    size_t k = n;
    for (;;) {
      if (k == 0) return found;
      --k;
      if (--c[k] >= low.AtCnt[k]) break;
      c[k] = high.AtCnt[k];
    }
  }
}

std::vector<std::string> RunFinder(TMolFormula& f, bool exact, bool plausible) {
  std::vector<std::string> found;
  while (exact ? f.FindFormulaExactMass(plausible) : f.FindFormulaNominalMass(plausible)) {
    found.push_back(Counts(f));
    if (found.size() > 100000) break;
  }
  return found;
}

TEST(CformFinder, YieldsTheUpperBoundThenRunsOut) {
  TMolFormula f;
  ASSERT_TRUE(
      f.InitFindFormula(30, 0.05, Rec({{6, 12, 0}, {1, 1, 0}}), Rec({{6, 12, 2}, {1, 1, 6}})));
  EXPECT_TRUE(f.FindFormulaNominalMass(false));
  EXPECT_EQ(f.AsString(0), "C2 H6 ");
  EXPECT_FALSE(f.FinderExhausted());
  EXPECT_FALSE(f.FindFormulaNominalMass(false));
  EXPECT_TRUE(f.FinderExhausted());
  // Stays at the end; the entries keep the last match.
  EXPECT_FALSE(f.FindFormulaNominalMass(false));
  EXPECT_FALSE(f.FindFormulaExactMass(false));
  EXPECT_EQ(f.AsString(0), "C2 H6 ");
  for (int32_t i = 1; i <= 2; ++i) {
    EXPECT_GE(f.GetPermutCnt(i), 0);
    EXPECT_LE(f.GetPermutCnt(i), f.GetHighBForm().AtCnt[static_cast<size_t>(i - 1)]);
  }
}

TEST(CformFinder, PlausibilityRejectsTooManyHydrogens) {
  TMolFormula f;
  const TFormulaRec low = Rec({{6, 12, 0}, {1, 1, 0}}), high = Rec({{6, 12, 1}, {1, 1, 6}});
  ASSERT_TRUE(f.InitFindFormula(18, 0, low, high));
  EXPECT_FALSE(f.FindFormulaNominalMass(true));
  ASSERT_TRUE(f.InitFindFormula(18, 0, low, high));
  EXPECT_TRUE(f.FindFormulaNominalMass(false));
  EXPECT_EQ(f.AsString(0), "C H6 ");
}

TEST(CformFinder, MatchesBruteForceEnumerationInOrder) {
  const TFormulaRec low = Rec({{6, 12, 0}, {1, 1, 1}, {7, 14, 0}, {8, 16, 0}, {17, 35, 0}});
  const TFormulaRec high = Rec({{6, 12, 4}, {1, 1, 10}, {7, 14, 2}, {8, 16, 3}, {17, 35, 1}});
  for (bool plausible : {false, true}) {
    TMolFormula f;
    ASSERT_TRUE(f.InitFindFormula(60, 0, low, high));
    const auto nominal = RunFinder(f, false, plausible);
    EXPECT_EQ(nominal, BruteForce(low, high, 60, 0, false, plausible));
    EXPECT_GE(nominal.size(), 5u);
    ASSERT_TRUE(f.InitFindFormula(60.03, 0.03, low, high));
    const auto exact = RunFinder(f, true, plausible);
    EXPECT_EQ(exact, BruteForce(low, high, 60.03, 0.03, true, plausible));
    EXPECT_GE(exact.size(), 2u);
  }
}

TEST(CformFinder, ExactModeFindsEthanolFromItsRDKitMass) {
  // RDKit 2022.09.3 ExactMolWt of ethanol: 46.0418648.
  TMolFormula f;
  ASSERT_TRUE(f.InitFindFormula(46.0418648, 1e-3,
                                Rec({{6, 12, 0}, {1, 1, 0}, {7, 14, 0}, {8, 16, 0}}),
                                Rec({{6, 12, 4}, {1, 1, 10}, {7, 14, 2}, {8, 16, 2}})));
  EXPECT_TRUE(f.FindFormulaExactMass(true));
  EXPECT_EQ(f.AsString(0), "C2 H6 O ");  // the zero count writes nothing
  EXPECT_EQ(Counts(f), "2 6 0 1 ");
  EXPECT_FALSE(f.FindFormulaExactMass(true));
}

TEST(CformFinder, ExactModeHonoursIsotopeBounds) {
  TMolFormula f;
  const TFormulaRec low = Rec({{1, 2, 0}, {8, 16, 0}});
  ASSERT_TRUE(f.InitFindFormula(20.0231, 1e-3, low, Rec({{1, 2, 2}, {8, 16, 1}})));
  EXPECT_TRUE(f.FindFormulaExactMass(false));
  EXPECT_EQ(f.AsString(0), "D2 O ");
  ASSERT_TRUE(f.InitFindFormula(20.0231, 1e-3, low, Rec({{1, 1, 2}, {8, 16, 1}})));
  EXPECT_FALSE(f.FindFormulaExactMass(false));
}

TEST(CformFinder, RefusesEmptyOversizedOrCrossedBounds) {
  TMolFormula f;
  const TFormulaRec low = Rec({{6, 12, 0}});
  TFormulaRec big = Rec({{6, 12, 2}});
  big.FLeng = 21;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(f.InitFindFormula(12, 0.1, low, TFormulaRec{}));
  EXPECT_FALSE(f.FindFormulaNominalMass(false));
  EXPECT_FALSE(f.InitFindFormula(12, 0.1, low, big));
  EXPECT_FALSE(f.InitFindFormula(12, 0.1, Rec({{6, 12, 3}}), Rec({{6, 12, 2}})));
  EXPECT_FALSE(f.InitFindFormula(nan, 0.1, low, Rec({{6, 12, 2}})));
  EXPECT_FALSE(f.InitFindFormula(12, INFINITY, low, Rec({{6, 12, 2}})));
  EXPECT_TRUE(f.FinderExhausted());
  EXPECT_FALSE(f.FindFormulaExactMass(false));
  EXPECT_EQ(f.AsString(0), "H2 O ");  // untouched
  // A new model's finder is used up until it is initialised.
  EXPECT_FALSE(TMolFormula().FindFormulaNominalMass(false));
}

TEST(CformFinder, RefusesBoundsWithElementsOutsideTheTable) {
  TMolFormula f;
  const TFormulaRec low = Rec({{6, 12, 0}, {1, 1, 0}});
  for (int32_t z : {0, 104, 200, 255}) {
    // Masses that would match: 30 = 2 x 12 + 6 x 1 with Z in the second
    // entry; an unknown element's matches would write as "".
    EXPECT_FALSE(f.InitFindFormula(30, 0.05, low, Rec({{6, 12, 2}, {z, 1, 6}}))) << z;
    EXPECT_TRUE(f.FinderExhausted()) << z;
    EXPECT_FALSE(f.FindFormulaNominalMass(false)) << z;
    EXPECT_FALSE(f.FindFormulaExactMass(false)) << z;
    EXPECT_FALSE(
        f.InitFindFormula(30, 0.05, Rec({{6, 12, 0}, {z, 1, 0}}), Rec({{6, 12, 2}, {1, 1, 6}})))
        << z;
    EXPECT_FALSE(f.FindFormulaNominalMass(false)) << z;
  }
  EXPECT_EQ(f.AsString(0), "H2 O ");  // untouched
  // Entries beyond FLeng are not looked at; a lower bound longer than 20
  // entries is refused.
  TFormulaRec high = Rec({{6, 12, 2}, {1, 1, 6}});
  high.AtNum[2] = 200;
  TFormulaRec longLow = low;
  longLow.FLeng = 21;
  EXPECT_FALSE(f.InitFindFormula(30, 0.05, longLow, high));
  ASSERT_TRUE(f.InitFindFormula(30, 0.05, low, high));
  EXPECT_TRUE(f.FindFormulaNominalMass(false));
  EXPECT_EQ(f.AsString(0), "C2 H6 ");
  // The table's ends are elements.
  EXPECT_TRUE(f.InitFindFormula(257, 0.05, TFormulaRec{}, Rec({{1, 1, 1}, {103, 256, 1}})));
  EXPECT_TRUE(f.FindFormulaNominalMass(false));
  EXPECT_EQ(f.AsString(0), "H Lr ");
}

TEST(CformFinder, MissingLowerBoundsCountAsZero) {
  TMolFormula f;
  ASSERT_TRUE(f.InitFindFormula(14, 0, Rec({{6, 12, 1}}), Rec({{6, 12, 1}, {1, 1, 4}})));
  EXPECT_TRUE(f.FindFormulaNominalMass(false));
  EXPECT_EQ(Counts(f), "1 2 ");
  EXPECT_FALSE(f.FindFormulaNominalMass(false));
  EXPECT_EQ(f.GetLowBForm().FLeng, 1);
  EXPECT_EQ(f.GetMassBForm(), 14);
}

}  // namespace
}  // namespace zel
