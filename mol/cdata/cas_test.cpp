#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "mol/cdata/zel_cdata.hpp"

namespace zel {
namespace {

TEST(CdataCas, CheckDigitAcceptsRealNumbersAndRejectsNeighbours) {
  // Formaldehyde, ethanol, water, methylamine hydrochloride.
  for (int64_t n : std::initializer_list<int64_t>{50000, 64175, 7732185, 593511}) {
    EXPECT_TRUE(CheckCASNr(n)) << n;
    EXPECT_FALSE(CheckCASNr(n / 10 * 10 + (n % 10 + 1) % 10)) << n;
  }
  EXPECT_TRUE(CheckCASNr(0));
  EXPECT_FALSE(CheckCASNr(-50000));
  // Ten digits, beyond 32 bits; check digit computed by hand:
  // 7*1+8*2+7*3+6*4+4*5+4*6+4*7+2*8+2*9 = 174.
  EXPECT_TRUE(CheckCASNr(2244467874LL));
  EXPECT_FALSE(CheckCASNr(2244467872LL));
}

TEST(CdataCas, FormatsWithHyphensAndPadding) {
  EXPECT_EQ(FormatCASNr(50000), "50-00-0");
  EXPECT_EQ(FormatCASNr(5), "0-00-5");
  EXPECT_EQ(FormatCASNr(0), "0-00-0");
  EXPECT_EQ(FormatCASNr(7732185), "7732-18-5");
  EXPECT_EQ(FormatCASNr(2244467874LL), "2244467-87-4");
  EXPECT_EQ(FormatCASNr(-1), "");
}

TEST(CdataCas, ParsesOnlyTheHyphenatedShape) {
  int64_t n = -1;
  EXPECT_TRUE(ConvertStrToCASNr("  50-00-0 ", n));
  EXPECT_EQ(n, 50000);
  EXPECT_TRUE(ConvertStrToCASNr("\t7732-18-5", n));
  EXPECT_EQ(n, 7732185);
  EXPECT_TRUE(ConvertStrToCASNr("2244467-87-4", n));
  EXPECT_EQ(n, 2244467874LL);
  for (const char* bad : {"5000-0", "50-000-0", "-00-0", "+50-00-0", "50-0-00", "5 0-00-0",
                          "50-0a-0", "", "50000", "1-2-3", "99999999999999999999-00-0"}) {
    n = -1;
    EXPECT_FALSE(ConvertStrToCASNr(bad, n)) << bad;
    EXPECT_EQ(n, 0) << bad;
  }
}

TEST(CdataCas, WrongCheckDigitStillDeliversTheNumber) {
  int64_t n = 0;
  EXPECT_FALSE(ConvertStrToCASNr("50-00-1", n));
  EXPECT_EQ(n, 50001);
}

TEST(CdataCas, FormattedNumbersReadBack) {
  for (int64_t v :
       std::initializer_list<int64_t>{0, 5, 50000, 64175, 7732185, 123456789012, INT64_MAX}) {
    int64_t n = -1;
    EXPECT_EQ(ConvertStrToCASNr(FormatCASNr(v), n), CheckCASNr(v)) << v;
    EXPECT_EQ(n, v);
  }
}

}  // namespace
}  // namespace zel
