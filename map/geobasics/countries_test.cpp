#include <cmath>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "map/geobasics/zel_geobasics.hpp"

namespace zel {
namespace {

TEST(CountryData, OrderCodesAndTheCatalogueRows) {
  std::set<std::string_view> iso2, iso3;
  for (size_t i = 0; i < CountryData.size(); ++i) {
    const TCountryData& c = CountryData[i];
    if (i > 0) {
      EXPECT_LT(CountryData[i - 1].Name, c.Name) << i;
    }
    EXPECT_EQ(c.ISO3166_2.size(), 2u) << c.Name;
    EXPECT_EQ(c.ISO3166_3.size(), 3u) << c.Name;
    EXPECT_TRUE(iso2.insert(c.ISO3166_2).second) << c.Name;
    EXPECT_TRUE(iso3.insert(c.ISO3166_3).second) << c.Name;
    // A known central point lies on the globe; an unknown one is NaN in
    // both coordinates.
    EXPECT_EQ(std::isnan(c.CLat), std::isnan(c.CLong)) << c.Name;
    if (!std::isnan(c.CLat)) {
      EXPECT_LE(std::fabs(c.CLat), 90.0) << c.Name;
      EXPECT_LE(std::fabs(c.CLong), 180.0) << c.Name;
      EXPECT_EQ(c.Fips10.size(), 2u) << c.Name;
    }
    EXPECT_EQ(c.Capital.empty(), c.CapAlt == kCapAltUnknown) << c.Name;
    EXPECT_EQ(c.Capital.empty(), std::isnan(c.CapLat)) << c.Name;
  }
  const TCountryData& de = CountryData[79];
  EXPECT_EQ(de.Name, "Germany");
  EXPECT_EQ(de.Fips10, "gm");
  EXPECT_EQ(de.ISO3166_2, "de");
  EXPECT_EQ(de.ISO3166_3, "deu");
  EXPECT_EQ(de.Capital, "Berlin");
  EXPECT_EQ(de.CapLat, 52.5163);
  EXPECT_EQ(de.CapAlt, 34);
  EXPECT_EQ(CountryData[0].CapAlt, 1807);
  EXPECT_EQ(CountryData[230].Fips10, "zi");
  EXPECT_EQ(CountryData[230].CapLong, 31.054);
  // Rows whose codes differ between FIPS and ISO, and a withdrawn code.
  const auto find = [](std::string_view name) -> const TCountryData* {
    for (const TCountryData& c : CountryData) {
      if (c.Name == name) return &c;
    }
    return nullptr;
  };
  ASSERT_NE(find("Burma;Myanmar"), nullptr);
  EXPECT_EQ(find("Burma;Myanmar")->ISO3166_2, "mm");
  EXPECT_EQ(find("Burma;Myanmar")->Fips10, "bm");
  ASSERT_NE(find("Serbia and Montenegro"), nullptr);
  EXPECT_EQ(find("Serbia and Montenegro")->ISO3166_3, "scg");
  EXPECT_TRUE(std::isnan(find("Serbia and Montenegro")->CLat));
}

}  // namespace
}  // namespace zel
