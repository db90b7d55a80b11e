#include <cmath>
#include <numbers>
#include <limits>

#include <gtest/gtest.h>

#include "map/geobasics/testdata_impl.hpp"
#include "map/geobasics/zel_geobasics.hpp"

namespace zel {
namespace {

using zel::testing::ReadReferenceCsv;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Metres per degree of latitude, for turning angle errors into distances.
constexpr double kMetrePerDegree = 111320.0;

TEST(GeoToCartesian, MatchesGeographicLibForward) {
  const auto rows = ReadReferenceCsv("geocentric_reference.csv");
  ASSERT_EQ(rows.size(), 2700u);
  for (const auto& r : rows) {
    double x = 0, y = 0, z = 0;
    GeoToCartesian(r[1], r[2], r[3], static_cast<TGeoEllipsoid>(r[0]), x, y, z);
    const double scale = std::max(1.0, std::hypot(r[4], r[5], r[6]) / 6.4e6);
    EXPECT_NEAR(x, r[4], 2e-9 * scale) << r[0] << " " << r[1] << " " << r[2] << " " << r[3];
    EXPECT_NEAR(y, r[5], 2e-9 * scale) << r[0] << " " << r[1] << " " << r[2] << " " << r[3];
    EXPECT_NEAR(z, r[6], 2e-9 * scale) << r[0] << " " << r[1] << " " << r[2] << " " << r[3];
  }
}

// Bowring's one-step form is good to micrometres up to geostationary
// heights, and exact on the spheres (where 1/RecipFlattening would be 1/0).
TEST(CartesianToGeo, InvertsGeographicLibPointsOnEllipsoidsAndSpheres) {
  const auto rows = ReadReferenceCsv("geocentric_reference.csv");
  for (const auto& r : rows) {
    double lat = 0, lon = 0, h = 0;
    const auto ell = static_cast<TGeoEllipsoid>(r[0]);
    CartesianToGeo(r[4], r[5], r[6], ell, lat, lon, h);
    const bool sphere = ell == TGeoEllipsoid::gelSphere;
    const double tol = sphere ? 1e-8 : 2e-6;
    EXPECT_NEAR(lat, r[1], tol / kMetrePerDegree) << r[0] << " " << r[1] << " " << r[3];
    EXPECT_NEAR(h, r[3], tol) << r[0] << " " << r[1] << " " << r[2] << " " << r[3];
    if (std::fabs(r[1]) < 90.0) {
      // Longitudes come back in (-180, 180]: -180 returns as 180.
      const double want = r[2] == -180.0 ? 180.0 : r[2];
      EXPECT_NEAR(lon * std::cos(r[1] * std::numbers::pi / 180),
                  want * std::cos(r[1] * std::numbers::pi / 180), tol / kMetrePerDegree)
          << r[0] << " " << r[1] << " " << r[2];
      EXPECT_NE(lon, -180.0);
    }
  }
}

// The closed form is one step of Bowring's iteration: round trips are good
// to micrometres (largest error 1.3e-6 m at 45 degrees), not to rounding.
TEST(CartesianToGeo, RoundTripIsGoodToMicrometres) {
  for (const double lat : {-89.9, -45.0, 0.0, 30.0, 89.9}) {
    for (const double lon : {-179.0, -91.0, 0.0, 95.0, 179.5}) {
      for (const double h : {-5000.0, 0.0, 8848.0}) {
        double x = 0, y = 0, z = 0, lat2 = 0, lon2 = 0, h2 = 0;
        GeoToCartesian(lat, lon, h, TGeoEllipsoid::gelWGS84, x, y, z);
        CartesianToGeo(x, y, z, TGeoEllipsoid::gelWGS84, lat2, lon2, h2);
        EXPECT_NEAR(lat2, lat, 2e-6 / kMetrePerDegree);
        EXPECT_NEAR(lon2, lon, 1e-9 / kMetrePerDegree / std::cos(lat * std::numbers::pi / 180));
        EXPECT_NEAR(h2, h, 2e-6);
      }
    }
  }
}

// The literal arctan forms put the north pole at -90 degrees with a height
// of -12.7e6 m and the centre at NaN.
TEST(CartesianToGeo, PolesAxisAndCentreFollowGeographicLib) {
  const auto rows = ReadReferenceCsv("geocentric_reverse_reference.csv");
  ASSERT_EQ(rows.size(), 50u);
  for (const auto& r : rows) {
    double lat = 0, lon = 0, h = 0;
    CartesianToGeo(r[1], r[2], r[3], static_cast<TGeoEllipsoid>(r[0]), lat, lon, h);
    if (std::hypot(r[1], r[2], r[3]) < 2e6) {
      // Inside the Earth only the axis and the centre have one answer.
      if (r[1] == 0.0 && r[2] == 0.0) {
        EXPECT_EQ(lat, r[4]);
        EXPECT_EQ(lon, 0.0);
        EXPECT_NEAR(h, r[6], 1e-9);
      }
      EXPECT_LE(std::fabs(lat), 90.0);
      continue;
    }
    // The point 990 km below the surface is outside the range Bowring's
    // step is made for; it is still good to 4 micrometres.
    EXPECT_NEAR(lat, r[4], 4e-6 / kMetrePerDegree) << r[0] << " " << r[1] << " " << r[3];
    EXPECT_NEAR(lon, r[5], 1e-11) << r[0] << " " << r[1] << " " << r[3];
    EXPECT_NEAR(h, r[6], 2e-6 * std::max(1.0, std::fabs(r[6]) / 1e7));
  }
  double lat = 0, lon = 0, h = 0;
  CartesianToGeo(0.0, 0.0, -1e-300, TGeoEllipsoid::gelClrk66, lat, lon, h);
  EXPECT_EQ(lat, -90.0);
  EXPECT_EQ(h, -6356583.8);
}

TEST(CartesianToGeo, HugeTinyAndNonFiniteCoordinates) {
  double lat = 0, lon = 0, h = 0;
  CartesianToGeo(1e154, 1e154, 1e154, TGeoEllipsoid::gelWGS84, lat, lon, h);
  EXPECT_NEAR(lat, 35.264389682754654, 1e-9);  // atan(1/sqrt 2)
  EXPECT_DOUBLE_EQ(lon, 45.0);
  EXPECT_NEAR(h / 1.7320508075688772e154, 1.0, 1e-12);
  CartesianToGeo(3e-160, 4e-160, 0.0, TGeoEllipsoid::gelWGS84, lat, lon, h);
  EXPECT_EQ(lat, 0.0);
  EXPECT_NEAR(lon, 53.13010235415598, 1e-12);
  EXPECT_NEAR(h, -6378137.0, 1e-6);
  CartesianToGeo(kNaN, 0.0, 0.0, TGeoEllipsoid::gelWGS84, lat, lon, h);
  EXPECT_TRUE(std::isnan(lat) && std::isnan(lon) && std::isnan(h));
  CartesianToGeo(1.0, 0.0, kNaN, TGeoEllipsoid::gelWGS84, lat, lon, h);
  EXPECT_TRUE(std::isnan(lat) && std::isnan(h));
  double x = 0, y = 0, z = 0;
  GeoToCartesian(kNaN, 0.0, 0.0, TGeoEllipsoid::gelWGS84, x, y, z);
  EXPECT_TRUE(std::isnan(x) && std::isnan(z));
}

}  // namespace
}  // namespace zel
