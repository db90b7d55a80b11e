#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "mol/cdata/zel_cform.hpp"

namespace zel {
namespace {

TEST(FormulaCompareText, ResultsKeepTheirValuesAndHaveOwnSentences) {
  EXPECT_EQ(kFormulaSame, 0);
  EXPECT_EQ(kFormulaContains, 1);
  EXPECT_EQ(kFormulaContained, 2);
  EXPECT_EQ(kFormulaUnrelated, -1);
  EXPECT_EQ(kFormulaNoEntries, -2);
  const std::string fallback = FormulaCompareText(3);
  std::set<std::string> seen;
  for (int32_t r :
       {kFormulaSame, kFormulaContains, kFormulaContained, kFormulaUnrelated, kFormulaNoEntries}) {
    const std::string s = FormulaCompareText(r);
    EXPECT_FALSE(s.empty()) << r;
    EXPECT_NE(s, fallback) << r;
    EXPECT_TRUE(seen.insert(s).second) << r << ": " << s;
  }
  EXPECT_EQ(FormulaCompareText(-3), fallback);
}

TEST(EDXLinesStatusText, CountsReadAlikeAndTheBadNumberHasItsOwnSentence) {
  EXPECT_EQ(kEDXLinesBadZ, -1);
  const std::string found = EDXLinesStatusText(0);
  EXPECT_EQ(EDXLinesStatusText(3), found);
  const std::string bad = EDXLinesStatusText(kEDXLinesBadZ);
  const std::string unknown = EDXLinesStatusText(-2);
  EXPECT_FALSE(bad.empty());
  EXPECT_NE(bad, found);
  EXPECT_NE(bad, unknown);
  EXPECT_NE(found, unknown);
}

}  // namespace
}  // namespace zel
