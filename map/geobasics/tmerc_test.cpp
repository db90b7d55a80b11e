#include <cmath>
#include <limits>
#include <numbers>

#include <gtest/gtest.h>

#include "map/geobasics/testdata_impl.hpp"
#include "map/geobasics/zel_geobasics.hpp"

namespace zel {
namespace {

using zel::testing::ReadReferenceCsv;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kDeg = std::numbers::pi / 180.0;
constexpr double kMetrePerDegree = 111320.0;

// Largest error of the series against the exact projection by distance from
// the central meridian (GeographicLib's TransverseMercatorExact): the series
// is made for the 3 degrees of a UTM zone and still serves the 6 degrees of
// the Norway and Svalbard zones.
TEST(LatLongToTM, ErrorAgainstTheExactProjectionGrowsAwayFromTheMeridian) {
  const auto rows = ReadReferenceCsv("tm_reference.csv");
  ASSERT_EQ(rows.size(), 360u);
  struct Bound {
    double dlon, metres;
  };
  const Bound bounds[] = {{3.0, 2e-5}, {4.0, 1e-4}, {6.0, 1e-3}, {9.0, 1.5e-2}, {12.0, 0.1}};
  for (const auto& r : rows) {
    const auto ell = static_cast<TGeoEllipsoid>(r[0]);
    double x = 0, y = 0;
    LatLongToTM(r[1] * kDeg, r[2] * kDeg, 0.0, ell, x, y);
    double tol = 0.0;
    for (const Bound& b : bounds) {
      if (std::fabs(r[2]) <= b.dlon) {
        tol = b.metres;
        break;
      }
    }
    EXPECT_LE(std::hypot(x - r[3], y - r[4]), tol) << r[0] << " " << r[1] << " " << r[2];
    // The inverse returns the position to the same order.
    double phi = 0, lambda = 0;
    TMToLatLong(r[3], r[4], 0.0, ell, phi, lambda);
    EXPECT_NEAR(phi / kDeg, r[1], 2 * tol / kMetrePerDegree) << r[1] << " " << r[2];
    EXPECT_NEAR((lambda / kDeg - r[2]) * std::cos(r[1] * kDeg), 0.0, 2 * tol / kMetrePerDegree)
        << r[1] << " " << r[2];
  }
}

TEST(ArcLengthOfMeridian, IsTheNorthingOnTheCentralMeridian) {
  for (const auto& r : ReadReferenceCsv("tm_reference.csv")) {
    if (r[2] == 0.0) {
      EXPECT_NEAR(ArcLengthOfMeridian(r[1] * kDeg, static_cast<TGeoEllipsoid>(r[0])), r[4], 1e-6)
          << r[1];
    }
  }
  EXPECT_EQ(ArcLengthOfMeridian(0.0, TGeoEllipsoid::gelWGS84), 0.0);
  // Quarter meridian of a sphere: pi R / 2.
  EXPECT_NEAR(ArcLengthOfMeridian(std::numbers::pi / 2, TGeoEllipsoid::gelSphere),
              std::numbers::pi / 2 * 6370997.0, 1e-8);
  EXPECT_TRUE(std::isnan(ArcLengthOfMeridian(kNaN, TGeoEllipsoid::gelWGS84)));
}

struct ZoneCase {
  double lat, lon;
  int32_t zone;
  char16_t band;
  const char* text;
};

TEST(GeoToUTMZone, BandsZonesAndTheNorwaySvalbardRules) {
  const ZoneCase cases[] = {
      {84.0, 0.0, 31, u'X', "31X"},   {84.01, 0.0, 0, u' ', ""},
      {0.0, 180.0, 0, u' ', ""},      {0.0, -180.0, 1, u'N', "1N"},
      {60.0, 5.0, 32, u'V', "32V"},   {75.0, 10.0, 33, u'X', "33X"},
      {-80.0, 10.0, 32, u'C', "32C"}, {-80.01, 10.0, 0, u' ', ""},
      {0.0, 0.0, 31, u'N', "31N"},    {-0.5, 0.0, 31, u'M', "31M"},
      {-32.0, 0.0, 31, u'J', "31J"},  {-32.01, 0.0, 31, u'H', "31H"},
      {47.9, 9.0, 32, u'T', "32T"},   {48.0, 9.0, 32, u'U', "32U"},
      {56.0, 2.99, 31, u'V', "31V"},  {63.99, 11.99, 32, u'V', "32V"},
      {64.0, 5.0, 31, u'W', "31W"},   {72.0, 8.99, 31, u'X', "31X"},
      {72.0, 9.0, 33, u'X', "33X"},   {80.0, 21.0, 35, u'X', "35X"},
      {80.0, 33.0, 37, u'X', "37X"},  {80.0, 41.99, 37, u'X', "37X"},
      {80.0, 42.0, 38, u'X', "38X"},  {80.0, -0.01, 30, u'X', "30X"},
      {kNaN, 0.0, 0, u' ', ""},       {0.0, kNaN, 0, u' ', ""},
      {1e308, -1e308, 0, u' ', ""},
  };
  for (const ZoneCase& c : cases) {
    int32_t zone = -1;
    char16_t band = u'?';
    GeoToUTMZone(c.lat, c.lon, zone, band);
    EXPECT_EQ(zone, c.zone) << c.lat << " " << c.lon;
    EXPECT_EQ(band, c.band) << c.lat << " " << c.lon;
    EXPECT_EQ(GeoToUTMZone(c.lat, c.lon), c.text) << c.lat << " " << c.lon;
  }
  EXPECT_EQ(UTMCentralMeridian(32), 9.0 * kDeg);
  EXPECT_EQ(UTMCentralMeridian(1), -177.0 * kDeg);
  EXPECT_EQ(UTMCentralMeridian(0), 0.0);
  EXPECT_EQ(UTMCentralMeridian(61), 0.0);
}

TEST(LatLongToUTM, MatchesProjInsideTheZones) {
  const auto rows = ReadReferenceCsv("utm_reference.csv");
  ASSERT_EQ(rows.size(), 139u);
  for (const auto& r : rows) {
    int32_t zone = 0;
    double e = 0, n = 0;
    LatLongToUTM(r[0], r[1], TGeoEllipsoid::gelWGS84, zone, e, n);
    const auto want_zone = static_cast<int32_t>(r[2]);
    if (r[1] == 180.0 || zone != want_zone) {
      continue;  // 180 lies outside the grid; at 84 N the caller picks the zone
    }
    EXPECT_NEAR(e, r[4], 1e-4) << r[0] << " " << r[1];
    EXPECT_NEAR(n, r[5], 1e-4) << r[0] << " " << r[1];
    double lat = 0, lon = 0;
    UTMToLatLong(r[4], r[5], want_zone, r[3] != 0.0, TGeoEllipsoid::gelWGS84, lat, lon);
    EXPECT_NEAR(lat, r[0], 1e-3 / kMetrePerDegree) << r[0] << " " << r[1];
    EXPECT_NEAR((lon - r[1]) * std::cos(r[0] * kDeg), 0.0, 1e-3 / kMetrePerDegree)
        << r[0] << " " << r[1];
  }
}

TEST(LatLongToUTM, RoundTripAndTheLatitudeOutsideTheGrid) {
  for (double lat = -80.0; lat <= 84.0; lat += 5.5) {
    for (double lon = -180.0; lon < 180.0; lon += 7.3) {
      int32_t zone = 0;
      double e = 0, n = 0, lat2 = 0, lon2 = 0;
      LatLongToUTM(lat, lon, TGeoEllipsoid::gelClrk66, zone, e, n);
      ASSERT_GE(zone, 1);
      UTMToLatLong(e, n, zone, lat < 0.0, TGeoEllipsoid::gelClrk66, lat2, lon2);
      EXPECT_NEAR(lat2, lat, 1e-3 / kMetrePerDegree) << lat << " " << lon;
      EXPECT_NEAR((lon2 - lon) * std::cos(lat * kDeg), 0.0, 1e-3 / kMetrePerDegree)
          << lat << " " << lon;
    }
  }
  // Beyond 84 N the zone is 0 and the projection runs about Greenwich.
  int32_t zone = -1;
  double e = 0, n = 0, x = 0, y = 0;
  LatLongToUTM(85.0, 2.0, TGeoEllipsoid::gelWGS84, zone, e, n);
  LatLongToTM(85.0 * kDeg, 2.0 * kDeg, 0.0, TGeoEllipsoid::gelWGS84, x, y);
  EXPECT_EQ(zone, 0);
  EXPECT_DOUBLE_EQ(e, 0.9996 * x + 500000.0);
  EXPECT_DOUBLE_EQ(n, 0.9996 * y);
  // The equator has northing 0 in the north and 1e7 in the south.
  LatLongToUTM(0.0, 3.0, TGeoEllipsoid::gelWGS84, zone, e, n);
  EXPECT_EQ(n, 0.0);
  EXPECT_EQ(e, 500000.0);
  LatLongToUTM(-1e-9, 3.0, TGeoEllipsoid::gelWGS84, zone, e, n);
  EXPECT_NEAR(n, 1e7, 1e-3);
}

TEST(LatLongToUPS, MatchesProjAndRoundTrips) {
  const auto rows = ReadReferenceCsv("ups_reference.csv");
  ASSERT_EQ(rows.size(), 176u);
  for (const auto& r : rows) {
    const auto ell = static_cast<TGeoEllipsoid>(r[0]);
    double e = 0, n = 0;
    LatLongToUPS(r[1], r[2], ell, e, n);
    EXPECT_NEAR(e, r[3], 1e-8) << r[1] << " " << r[2];
    EXPECT_NEAR(n, r[4], 1e-8) << r[1] << " " << r[2];
    double lat = 0, lon = 0;
    UPSToLatLong(r[3], r[4], r[1] < 0.0, ell, lat, lon);
    EXPECT_NEAR(lat, r[1], 1e-9 / kMetrePerDegree * 10) << r[1] << " " << r[2];
    if (std::fabs(r[1]) < 90.0) {
      const double dl = std::remainder(lon - r[2], 360.0);
      EXPECT_NEAR(dl * std::cos(r[1] * kDeg), 0.0, 1e-8 / kMetrePerDegree) << r[1] << " " << r[2];
    }
  }
}

TEST(LatLongToUPS, PolesAndExactAxes) {
  double e = 0, n = 0;
  LatLongToUPS(90.0, 33.0, TGeoEllipsoid::gelWGS84, e, n);
  EXPECT_EQ(e, 2000000.0);
  EXPECT_EQ(n, 2000000.0);
  LatLongToUPS(-90.0, 0.0, TGeoEllipsoid::gelWGS84, e, n);
  EXPECT_EQ(e, 2000000.0);
  EXPECT_EQ(n, 2000000.0);
  // Exactly on the false origin's axes, and 180 taken as -180.
  LatLongToUPS(85.0, 180.0, TGeoEllipsoid::gelWGS84, e, n);
  EXPECT_EQ(e, 2000000.0);
  EXPECT_GT(n, 2000000.0);
  LatLongToUPS(85.0, 90.0, TGeoEllipsoid::gelWGS84, e, n);
  EXPECT_EQ(n, 2000000.0);
  EXPECT_GT(e, 2000000.0);
  LatLongToUPS(-85.0, -90.0, TGeoEllipsoid::gelWGS84, e, n);
  EXPECT_EQ(n, 2000000.0);
  EXPECT_LT(e, 2000000.0);
  // The pole comes back at latitude 90; its longitude is the angle of a
  // zero vector.
  double lat = 0, lon = 0;
  UPSToLatLong(2000000.0, 2000000.0, false, TGeoEllipsoid::gelWGS84, lat, lon);
  EXPECT_EQ(lat, 90.0);
  EXPECT_EQ(lon, 180.0);
  UPSToLatLong(2000000.0, 2000000.0, true, TGeoEllipsoid::gelWGS84, lat, lon);
  EXPECT_EQ(lat, -90.0);
  // On a sphere the projection is the plain stereographic one.
  LatLongToUPS(60.0, 0.0, TGeoEllipsoid::gelSphere, e, n);
  EXPECT_NEAR(n, 2000000.0 - 2.0 * 0.994 * 6370997.0 * std::tan(15.0 * kDeg), 1e-6);
  UPSToLatLong(kNaN, 2000000.0, false, TGeoEllipsoid::gelWGS84, lat, lon);
  EXPECT_TRUE(std::isnan(lat));
}

}  // namespace
}  // namespace zel
