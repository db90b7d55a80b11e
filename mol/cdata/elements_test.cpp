#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <set>
#include <string>

#include "mol/cdata/cdata_tables_impl.hpp"
#include "mol/cdata/zel_cdata.hpp"

namespace zel {
namespace {

using cdata_detail::kElements;

// Electrons per principal quantum number n (index n) of a configuration
// such as "1s2 2s2 2p6 3d10 4s1".
std::array<int32_t, 10> ElectronsPerShell(const std::string& config) {
  std::array<int32_t, 10> shells{};
  size_t i = 0;
  while (i < config.size()) {
    if (config[i] == ' ') {
      ++i;
      continue;
    }
    const int32_t n = config[i] - '0';
    EXPECT_TRUE(n >= 1 && n <= 7) << config;
    ++i;
    EXPECT_TRUE(i < config.size() && std::string("spdf").find(config[i]) != std::string::npos)
        << config;
    ++i;
    int32_t count = 0;
    while (i < config.size() && std::isdigit(static_cast<unsigned char>(config[i])))
      count = count * 10 + (config[i++] - '0');
    if (n >= 1 && n <= 7) shells[static_cast<size_t>(n)] += count;
  }
  return shells;
}

int32_t Period(int32_t z) {
  int32_t col = 0, row = 0;
  EXPECT_TRUE(TryPerSysCoord(z, col, row));
  return row <= 6 ? row + 1 : row - 1;  // lanthanides and actinides
}

// ---------------------------------------------------------------------------
// The tables against their own invariants
// ---------------------------------------------------------------------------

TEST(CdataTable, ConfigurationsHoldZElectronsAndAgreeWithOuterShell) {
  for (int32_t z = 1; z <= kMaxAtomicNumber; ++z) {
    const std::string config = ShortElectronConfig(z);
    EXPECT_LE(config.size(), 22u) << z;
    const auto shells = ElectronsPerShell(FullElectronConfig(z));
    int32_t total = 0;
    for (int32_t e : shells) total += e;
    EXPECT_EQ(total, z) << CElemSymb(z) << " " << config;
    EXPECT_EQ(shells[static_cast<size_t>(Period(z))], NumOuterElectrons(z))
        << CElemSymb(z) << " " << config;
  }
}

TEST(CdataTable, RowsAreWellFormedAndSymbolsDistinct) {
  std::set<std::string> symbols;
  for (int32_t z = 1; z <= kMaxAtomicNumber; ++z) {
    const std::string s = CElemSymb(z), name = CElemName(z);
    ASSERT_TRUE(s.size() >= 1 && s.size() <= 3) << z;
    EXPECT_TRUE(std::isupper(static_cast<unsigned char>(s[0]))) << s;
    EXPECT_TRUE(symbols.insert(s).second) << s;
    EXPECT_EQ(AtomicNumber(s), z);
    EXPECT_TRUE(!name.empty() && name.size() <= 12) << z;
    EXPECT_TRUE(std::all_of(name.begin(), name.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
        << name;
    // The exact mass belongs to the isotope the row names.
    EXPECT_NEAR(ExactAtWeight(z), IntAtWeight(z), 0.1) << s;
    if (ChemAtWeight(z) > 0) {
      EXPECT_NEAR(ChemAtWeight(z), IntAtWeight(z), 3.0) << s;
    }
  }
  EXPECT_EQ(kElements[0].Symbol, "");
}

TEST(CdataTable, GridHoldsEveryElementOnceAndNothingElse) {
  std::array<int32_t, kMaxAtomicNumber + 1> seen{};
  int32_t empty = 0;
  for (uint8_t z : cdata_detail::kPerSysGrid) {
    ASSERT_LE(z, kMaxAtomicNumber);
    if (z == 0)
      ++empty;
    else
      ++seen[z];
  }
  for (int32_t z = 1; z <= kMaxAtomicNumber; ++z) EXPECT_EQ(seen[static_cast<size_t>(z)], 1) << z;
  EXPECT_EQ(empty, 162 - 103);
}

TEST(CdataTable, DictionaryFragmentsAreDistinctLowerCaseAndDescending) {
  const auto& d = cdata_detail::kNameFragments;
  std::set<std::string_view> distinct(d.begin(), d.end());
  EXPECT_EQ(distinct.size(), 128u);
  for (size_t k = 0; k < d.size(); ++k) {
    EXPECT_TRUE(d[k].size() >= 2 && d[k].size() <= 7) << d[k];
    EXPECT_TRUE(std::all_of(d[k].begin(), d[k].end(), [](char c) { return c >= 'a' && c <= 'z'; }))
        << d[k];
    if (k > 0) {
      EXPECT_LE(d[k].size(), d[k - 1].size()) << d[k];
    }
  }
  EXPECT_EQ(d[11], "methyl");
}

TEST(CdataTable, IsotopeTableIsSortedAndHoldsNoMainIsotope) {
  const auto& iso = cdata_detail::kIsotopes;
  for (size_t k = 0; k < iso.size(); ++k) {
    EXPECT_NE(iso[k].A, IntAtWeight(iso[k].Z)) << iso[k].Z;
    EXPECT_NEAR(iso[k].Mass, iso[k].A, 0.1) << iso[k].Z << "-" << iso[k].A;
    if (k > 0) {
      EXPECT_TRUE(iso[k - 1].Z < iso[k].Z || (iso[k - 1].Z == iso[k].Z && iso[k - 1].A < iso[k].A));
    }
  }
}

// ---------------------------------------------------------------------------
// Element routines
// ---------------------------------------------------------------------------

TEST(CdataElements, EveryRoutineGivesItsNeutralValueOutsideTheTable) {
  for (int32_t z : {0, -1, 104, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(CElemSymb(z), "");
    EXPECT_EQ(CElemName(z), "");
    EXPECT_EQ(IntAtWeight(z), 0);
    EXPECT_EQ(ExactAtWeight(z), 0.0);
    EXPECT_EQ(ChemAtWeight(z), 0.0);
    EXPECT_EQ(NumOuterElectrons(z), 0);
    EXPECT_EQ(ShortElectronConfig(z), "");
    EXPECT_EQ(FullElectronConfig(z), "");
    EXPECT_EQ(VDWRadius(z), 0.0);
    EXPECT_EQ(IsotopeExactMass(z, 12), 0.0);
    int32_t col = 7, row = 7;
    PerSysCoord(z, col, row);
    EXPECT_EQ(col, 0);
    EXPECT_EQ(row, 0);
    EXPECT_FALSE(TryPerSysCoord(z, col, row));
  }
}

TEST(CdataElements, SymbolLookupIsExactAndCaseSensitive) {
  EXPECT_EQ(AtomicNumber("Cl"), 17);
  EXPECT_EQ(AtomicNumber("CL"), 0);
  EXPECT_EQ(AtomicNumber("cl"), 0);
  EXPECT_EQ(AtomicNumber("C"), 6);
  EXPECT_EQ(AtomicNumber("Lr"), 103);
  EXPECT_EQ(AtomicNumber(""), 0);
  EXPECT_EQ(AtomicNumber("D"), 0);
  EXPECT_EQ(AtomicNumber("Cl "), 0);
}

TEST(CdataElements, KeepsTheTablesSpellingsAndHistoricWeights) {
  EXPECT_EQ(CElemName(3), "litium");
  EXPECT_EQ(CElemName(9), "flourine");
  EXPECT_EQ(CElemName(23), "vanadin");
  EXPECT_EQ(CElemName(61), "prometium");
  EXPECT_EQ(CElemName(89), "actinum");
  EXPECT_EQ(CElemName(13), "aluminum");
  EXPECT_EQ(CElemName(55), "cesium");
  EXPECT_EQ(ChemAtWeight(6), 12.01115);
  EXPECT_EQ(ChemAtWeight(16), 32.064);
  EXPECT_EQ(IntAtWeight(85), 211);
  EXPECT_EQ(IntAtWeight(99), 254);
  EXPECT_EQ(IntAtWeight(102), 255);
  EXPECT_EQ(IntAtWeight(103), 256);
}

TEST(CdataElements, MendedRowsMatchTheirOwnIsotopes) {
  // Exact masses of the named isotopes from RDKit 2022.09's isotope table.
  EXPECT_EQ(IntAtWeight(91), 231);
  EXPECT_NEAR(ExactAtWeight(91), 231.035884, 1e-6);
  EXPECT_NEAR(ChemAtWeight(91), 231.03588, 1e-6);
  EXPECT_NEAR(ExactAtWeight(43), 96.906365, 1e-3);
  EXPECT_EQ(ChemAtWeight(43), 0.0);
  EXPECT_NEAR(ExactAtWeight(61), 144.912749, 1e-3);
  EXPECT_NEAR(ExactAtWeight(102), 255.093241, 1e-3);
  EXPECT_NEAR(ExactAtWeight(103), 256.09863, 1e-3);
  EXPECT_EQ(ShortElectronConfig(43), "[Kr] 4d5 5s2");
  EXPECT_EQ(ShortElectronConfig(58), "[Xe] 4f1 5d1 6s2");
  EXPECT_EQ(ChemAtWeight(84), 0.0);
  EXPECT_GT(ChemAtWeight(90), 0.0);
  EXPECT_GT(ChemAtWeight(92), 0.0);
}

TEST(CdataElements, FullConfigurationExpandsTheCore) {
  EXPECT_EQ(FullElectronConfig(3), "1s2 2s1");
  EXPECT_EQ(FullElectronConfig(1), "1s1");
  EXPECT_EQ(FullElectronConfig(2), "1s2");
  EXPECT_EQ(FullElectronConfig(26), "1s2 2s2 2p6 3s2 3p6 3d6 4s2");
  EXPECT_EQ(FullElectronConfig(92),
            "1s2 2s2 2p6 3s2 3p6 3d10 4s2 4p6 4d10 5s2 5p6 4f14 5d10 6s2 6p6 5f3 6d1 7s2");
  EXPECT_EQ(NumOuterElectrons(46), 0);  // Pd: the 5s shell is empty
  EXPECT_EQ(NumOuterElectrons(24), 1);
}

TEST(CdataElements, GridPlacesPeriodsAndTheFBlock) {
  const auto at = [](int32_t z) {
    int32_t c = -1, r = -1;
    PerSysCoord(z, c, r);
    return std::pair{c, r};
  };
  EXPECT_EQ(at(1), std::pair(0, 0));
  EXPECT_EQ(at(2), std::pair(17, 0));
  EXPECT_EQ(at(5), std::pair(12, 1));
  EXPECT_EQ(at(18), std::pair(17, 2));
  EXPECT_EQ(at(57), std::pair(2, 5));
  EXPECT_EQ(at(72), std::pair(3, 5));
  EXPECT_EQ(at(89), std::pair(2, 6));
  EXPECT_EQ(at(58), std::pair(4, 7));
  EXPECT_EQ(at(71), std::pair(17, 7));
  EXPECT_EQ(at(103), std::pair(17, 8));
}

TEST(CdataElements, VanDerWaalsRadiiForTheListedElementsOnly) {
  EXPECT_DOUBLE_EQ(VDWRadius(1), 1.20);
  EXPECT_DOUBLE_EQ(VDWRadius(6), 1.80);
  EXPECT_DOUBLE_EQ(VDWRadius(53), 2.15);
  // Mended: B and Si carried covalent-size values below hydrogen's.
  EXPECT_DOUBLE_EQ(VDWRadius(5), 1.92);
  EXPECT_DOUBLE_EQ(VDWRadius(14), 2.10);
  EXPECT_EQ(VDWRadius(2), 0.0);
  EXPECT_EQ(VDWRadius(26), 0.0);
  EXPECT_EQ(VDWRadius(54), 0.0);
  int32_t listed = 0;
  for (int32_t z = 1; z <= 53; ++z) {
    if (VDWRadius(z) > 0) ++listed;
    if (z > 1 && VDWRadius(z) > 0) {
      EXPECT_GT(VDWRadius(z), VDWRadius(1)) << z;
    }
  }
  EXPECT_EQ(listed, 16);
}

TEST(CdataElements, IsotopeMassesUseTableThenEstimate) {
  EXPECT_EQ(IsotopeExactMass(6, 12), 12.0);
  EXPECT_EQ(IsotopeExactMass(8, 16), ExactAtWeight(8));
  // RDKit 2022.09: 2H 2.0141018, 13C 13.0033548, 18O 17.9991610.
  EXPECT_NEAR(IsotopeExactMass(1, 2), 2.0141018, 1e-7);
  EXPECT_NEAR(IsotopeExactMass(6, 13), 13.0033548, 1e-7);
  EXPECT_NEAR(IsotopeExactMass(8, 18), 17.9991610, 1e-7);
  // 33Cl is not in the table: 34.968854 - 2 * 1.003355; RDKit gives 32.9774520,
  // so the estimate is good to about 0.02 u this far from stability.
  EXPECT_NEAR(IsotopeExactMass(17, 33), 34.968854 - 2 * 1.003355, 1e-9);
  EXPECT_NEAR(IsotopeExactMass(17, 33), 32.9774520, 0.02);
  EXPECT_EQ(IsotopeExactMass(6, 0), 0.0);
  EXPECT_EQ(IsotopeExactMass(6, -3), 0.0);
  for (int32_t z = 1; z <= kMaxAtomicNumber; ++z) EXPECT_GE(IsotopeExactMass(z, 1), 0.0);
}

// ---------------------------------------------------------------------------
// X-ray lines
// ---------------------------------------------------------------------------

TEST(CdataXRay, SingleElementFormCountsItsLines) {
  double k = 1, l = 1, m = 1;
  EXPECT_EQ(GetEDXLines(3, k, l, m), kEDXLinesBadZ);
  EXPECT_EQ(k + l + m, 0.0);
  EXPECT_EQ(GetEDXLines(93, k, l, m), kEDXLinesBadZ);
  EXPECT_EQ(GetEDXLines(26, k, l, m), 2);
  EXPECT_EQ(k, 6.398);
  EXPECT_EQ(l, 0.705);
  EXPECT_EQ(m, 0.0);
  EXPECT_EQ(GetEDXLines(4, k, l, m), 1);
  EXPECT_EQ(GetEDXLines(79, k, l, m), 2);
  EXPECT_EQ(GetEDXLines(92, k, l, m), 2);
  EXPECT_EQ(m, 3.164);
}

TEST(CdataXRay, LinesExistExactlyInTheirRanges) {
  const auto inRanges = [](int32_t z, std::initializer_list<std::pair<int32_t, int32_t>> ranges) {
    return std::any_of(ranges.begin(), ranges.end(),
                       [z](auto r) { return z >= r.first && z <= r.second; });
  };
  int32_t total = 0;
  for (int32_t z = 4; z <= 92; ++z) {
    double k = 0, l = 0, m = 0;
    total += GetEDXLines(z, k, l, m);
    EXPECT_EQ(k > 0, z <= 44) << z;
    EXPECT_EQ(l > 0, z >= 21) << z;
    EXPECT_EQ(m > 0, inRanges(z, {{49, 52}, {56, 60}, {62, 83}, {90, 92}})) << z;
  }
  EXPECT_EQ(total, 147);
}

TEST(CdataXRay, WindowCollectsInclusiveSortedLines) {
  TDoubleArray e;
  TIntArray z;
  EXPECT_EQ(GetEDXLines(0.0, 0.2, e, z), 2);
  EXPECT_EQ(e, (TDoubleArray{0.11, 0.183}));
  EXPECT_EQ(z, (TIntArray{4, 5}));
  // Both ends inclusive, bounds exchanged when reversed.
  EXPECT_EQ(GetEDXLines(6.398, 6.398, e, z), 1);
  EXPECT_EQ(z, TIntArray{26});
  EXPECT_EQ(GetEDXLines(0.2, 0.0, e, z), 2);
  EXPECT_EQ(GetEDXLines(-1.0, 100.0, e, z), 147);
  ASSERT_EQ(e.size(), 147u);
  ASSERT_EQ(z.size(), 147u);
  EXPECT_TRUE(std::is_sorted(e.begin(), e.end()));
  EXPECT_EQ(std::adjacent_find(e.begin(), e.end()), e.end());  // no ties
  EXPECT_EQ(GetEDXLines(100.0, 200.0, e, z), 0);
  EXPECT_TRUE(e.empty() && z.empty());
  EXPECT_EQ(GetEDXLines(std::nan(""), 10.0, e, z), 0);
}

TEST(CdataXRay, WindowFormLeavesTheAbortFlagAlone) {
  AbortMathProc = true;
  TDoubleArray e;
  TIntArray z;
  const int32_t n = GetEDXLines(0.0, 1.0, e, z);
  EXPECT_EQ(n, 25);
  EXPECT_EQ(e.size(), 25u);
  EXPECT_TRUE(AbortMathProc);
  AbortMathProc = false;
}

// ---------------------------------------------------------------------------
// Compressed names
// ---------------------------------------------------------------------------

TEST(CdataNames, LongestFragmentsWinAndExpansionLowerCases) {
  const std::string c = CompressChemName("Methylbenzoyl");
  EXPECT_EQ(c, std::string("\x8B\x80"));
  EXPECT_EQ(DeCompressChemName(c), "methylbenzoyl");
  EXPECT_EQ(CompressChemName("di"), std::string("\xFE"));
  EXPECT_EQ(CompressChemName("in"), std::string("\xFF"));
  EXPECT_EQ(CompressChemName("2,4-Dinitrotoluene"),
            "2,4-\xFE\xA3\xD4\xFB"
            "e");
  EXPECT_EQ(DeCompressChemName(CompressChemName("2,4-Dinitrotoluene")), "2,4-dinitrotoluene");
  EXPECT_EQ(CompressChemName(""), "");
}

TEST(CdataNames, RoundTripsUtf8NamesThatUseHighBytes) {
  // The classic coding turned "Äthanol" into "progthanol" (Ä's second byte
  // is a fragment code).
  for (std::string name : {"Äthanol", "Essigsäure", "α-pinene", "β-Carotin",
                           "\x1b"
                           "ethyl\x1b",
                           "ethyl\xc3"}) {
    std::string lower = name;
    for (char& ch : lower)
      if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    EXPECT_EQ(DeCompressChemName(CompressChemName(name)), lower) << name;
  }
}

TEST(CdataNames, RandomByteStringsRoundTrip) {
  std::mt19937 gen(12345);
  std::uniform_int_distribution<int> byte(0, 255), len(0, 40);
  for (int t = 0; t < 400; ++t) {
    std::string s(static_cast<size_t>(len(gen)), '\0');
    for (char& ch : s) {
      // Mostly letters, so that fragments occur.
      const int b = byte(gen);
      ch = static_cast<char>(b < 160 ? 'a' + b % 26 : b);
    }
    std::string lower = s;
    for (char& ch : lower)
      if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    ASSERT_EQ(DeCompressChemName(CompressChemName(s)), lower);
  }
}

TEST(CdataNames, ExpandsAnyByteStringWithinTheDictionary) {
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    const std::string out = DeCompressChemName(one);
    if (b >= 0x80)
      EXPECT_EQ(out, cdata_detail::kNameFragments[static_cast<size_t>(b - 0x80)]);
    else
      EXPECT_EQ(out, one);
  }
  EXPECT_EQ(DeCompressChemName("ab\x1b"), "ab\x1b");
  EXPECT_EQ(DeCompressChemName("\x1b\x80"), "\x80");
}

}  // namespace
}  // namespace zel
