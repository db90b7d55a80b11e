#include <cmath>
#include <set>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "map/geobasics/zel_geobasics.hpp"
#include "num/analysis/zel_polygons.hpp"

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
    if (c.Capital.empty()) {
      EXPECT_EQ(c.CapAlt, kCapAltUnknown) << c.Name;
    }
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

// The three rows the library's catalogue gives, every field as given there.
TEST(CountryData, CatalogueRowsKeepTheirValues) {
  struct Row {
    size_t index;
    TCountryData row;
  };
  const Row rows[] = {
      {0, {"Afghanistan", "af", "af", "afg", 33.0, 65.0, "Kabul", 34.5309, 69.1368, 1807}},
      {79, {"Germany", "gm", "de", "deu", 51.0, 9.0, "Berlin", 52.5163, 13.3276, 34}},
      {230, {"Zimbabwe", "zi", "zw", "zwe", -20.0, 30.0, "Harare", -17.8292, 31.054, 1480}},
  };
  for (const Row& r : rows) {
    const TCountryData& c = CountryData[r.index];
    EXPECT_EQ(c.Name, r.row.Name);
    EXPECT_EQ(c.Fips10, r.row.Fips10) << c.Name;
    EXPECT_EQ(c.ISO3166_2, r.row.ISO3166_2) << c.Name;
    EXPECT_EQ(c.ISO3166_3, r.row.ISO3166_3) << c.Name;
    EXPECT_EQ(c.CLat, r.row.CLat) << c.Name;
    EXPECT_EQ(c.CLong, r.row.CLong) << c.Name;
    EXPECT_EQ(c.Capital, r.row.Capital) << c.Name;
    EXPECT_EQ(c.CapLat, r.row.CapLat) << c.Name;
    EXPECT_EQ(c.CapLong, r.row.CapLong) << c.Name;
    EXPECT_EQ(c.CapAlt, r.row.CapAlt) << c.Name;
  }
}

// Faults a sourced row can carry: a point copied from another country (the
// source gave Angola Austria's), a capital of the wrong country or with
// latitude and longitude swapped, an altitude in feet or a no-data value.
TEST(CountryData, SourcedPointsAndCapitalsAreConsistent) {
  // Moscow lies 3,788 km from Russia's central point, the farthest capital.
  constexpr double kMaxCapitalKm = 4000.0;
  constexpr double kEarthKm = 6371.0;
  std::set<std::pair<double, double>> centres, capitals;
  int32_t known = 0;
  for (const TCountryData& c : CountryData) {
    if (!std::isnan(c.CLat)) {
      EXPECT_TRUE(centres.insert({c.CLat, c.CLong}).second) << c.Name;
    }
    if (c.Capital.empty()) {
      EXPECT_TRUE(std::isnan(c.CapLong)) << c.Name;
      continue;
    }
    ++known;
    EXPECT_LE(c.Capital.size(), 31u) << c.Name;
    EXPECT_TRUE(capitals.insert({c.CapLat, c.CapLong}).second) << c.Name;
    EXPECT_LE(std::fabs(c.CapLat), 90.0) << c.Name;
    EXPECT_LE(std::fabs(c.CapLong), 180.0) << c.Name;
    EXPECT_LE(SphereGreatCircleDist(c.CLong, c.CLat, c.CapLong, c.CapLat, kEarthKm), kMaxCapitalKm)
        << c.Name;
    if (c.CapAlt != kCapAltUnknown) {
      // Baku lies below sea level; no capital lies as high as 5,000 m.
      EXPECT_GE(c.CapAlt, -100) << c.Name;
      EXPECT_LE(c.CapAlt, 5000) << c.Name;
    }
  }
  // Antarctica, Israel, Western Sahara and the two withdrawn countries have
  // no capital in the sources.
  EXPECT_EQ(known, kCountryCount - 5);
}

}  // namespace
}  // namespace zel
