#include <cmath>
#include <limits>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "map/geobasics/zel_geobasics.hpp"

namespace zel {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The message must be exactly the text, without a routine name.
template <typename F>
void ExpectGeoError(F f, const std::string& Message) {
  try {
    f();
    ADD_FAILURE() << "no exception, expected \"" << Message << "\"";
  } catch (const EZELGeoBasicsError& e) {
    EXPECT_EQ(e.what(), Message);
  }
}

TEST(GeoEllipsoidCatalogue, NamesIdsAndSpheresAreConsistent) {
  std::set<std::string_view> ids(GeoEllipsoidId.begin(), GeoEllipsoidId.end());
  EXPECT_EQ(ids.size(), 61u);
  EXPECT_EQ(GeoEllipsoidId[0], "gelWGS84");
  EXPECT_EQ(GeoEllipsoidName[static_cast<int>(TGeoEllipsoid::gelNahrwan29)], "Nahrwan 1929");
  EXPECT_EQ(GeoEllipsoidId[static_cast<int>(TGeoEllipsoid::gelEver30Ind)], "gelEver30Ind");
  int spheres = 0;
  for (const TEllAxes& ax : GeoEllipsoidData) {
    EXPECT_GE(ax.a, ax.b);
    EXPECT_GT(ax.b, 6.35e6);
    spheres += ax.a == ax.b;
  }
  EXPECT_EQ(spheres, 4);
  EXPECT_EQ(GeoEllAxes(TGeoEllipsoid::gelAiry30).a, 6377563.396);
  EXPECT_EQ(GeoEllAxes(static_cast<TGeoEllipsoid>(99)).a, 6378137.0);
}

TEST(GeoEllipsoidHelpers, FlatteningAndEccentricityOfTheCatalogue) {
  // WGS 1984 defines 1/f = 298.257223563; its b as tabulated gives
  // 298.2572235605 (8 decimals agree).
  EXPECT_NEAR(RecipFlattening(TGeoEllipsoid::gelWGS84), 298.25722356, 5e-9);
  EXPECT_NEAR(GeoEllEccSquared(TGeoEllipsoid::gelWGS84), 0.00669437999014, 1e-13);
  EXPECT_EQ(RecipFlattening(TGeoEllipsoid::gelSphere), 0.0);
  EXPECT_EQ(GeoEllEccSquared(TGeoEllipsoid::gelPopVisSphere), 0.0);
  // The helpers invert each other.
  const double e2 = GeoEllEccSquared(298.257223563);
  EXPECT_NEAR(RecipFlattening(e2), 298.257223563, 1e-6);
  EXPECT_NEAR(EllipsoidMinAxEcc(6378137.0, e2), 6356752.314245, 1e-6);
  EXPECT_NEAR(EllipsoidMinAxFlat(6378137.0, 298.257223563), 6356752.314245, 1e-6);
}

TEST(GeoEllipsoidHelpers, EdgeValuesOfTheFormulas) {
  EXPECT_EQ(GeoEllEccSquared(6378137.0, 6356752.314245),
            GeoEllEccSquared(6356752.314245, 6378137.0));
  EXPECT_EQ(GeoEllEccSquared(0.0, 0.0), 0.0);
  EXPECT_EQ(GeoEllEccSquared(5.0, 0.0), 1.0);
  EXPECT_TRUE(std::isnan(GeoEllEccSquared(kNaN, 1.0)));
  EXPECT_TRUE(std::isnan(GeoEllEccSquared(1.0, kNaN)));
  EXPECT_EQ(GeoEllEccSquared(0.0), 0.0);
  EXPECT_EQ(GeoEllEccSquared(1.0), 1.0);
  EXPECT_TRUE(std::isnan(GeoEllEccSquared(kNaN)));
  EXPECT_EQ(RecipFlattening(7.0, 7.0), 0.0);
  EXPECT_DOUBLE_EQ(RecipFlattening(2.0, 1.0), 2.0);
  EXPECT_EQ(RecipFlattening(0.0), 0.0);
  EXPECT_EQ(RecipFlattening(1.0), 1.0);
  EXPECT_EQ(EllipsoidMinAxFlat(6371000.0, 0.0), 6371000.0);
  EXPECT_EQ(EllipsoidMinAxFlat(10.0, 1.0), 0.0);
  EXPECT_EQ(EllipsoidMinAxEcc(10.0, 1.0), 0.0);
  // Scale-free: tiny and huge axes give the same eccentricity.
  EXPECT_DOUBLE_EQ(GeoEllEccSquared(3e-160, 5e-160), 0.64);
  EXPECT_DOUBLE_EQ(GeoEllEccSquared(3e300, 5e300), 0.64);
}

TEST(GeoEllipsoidHelpers, RaiseOnParametersWithoutAnEllipsoid) {
  ExpectGeoError([] { RecipFlattening(-0.1); }, "invalid eccentricity");
  ExpectGeoError([] { RecipFlattening(1.5); }, "invalid eccentricity");
  ExpectGeoError([] { RecipFlattening(kNaN); }, "invalid eccentricity");
  ExpectGeoError([] { EllipsoidMinAxEcc(1.0, -1e-9); }, "invalid eccentricity");
  ExpectGeoError([] { EllipsoidMinAxEcc(1.0, 1.0000001); }, "invalid eccentricity");
  ExpectGeoError([] { EllipsoidMinAxEcc(1.0, kNaN); }, "invalid eccentricity");
  ExpectGeoError([] { EllipsoidMinAxFlat(1.0, -298.0); }, "invalid reciprocal flattening");
  ExpectGeoError([] { EllipsoidMinAxFlat(1.0, 0.5); }, "invalid reciprocal flattening");
  ExpectGeoError([] { EllipsoidMinAxFlat(1.0, kNaN); }, "invalid reciprocal flattening");
  ExpectGeoError([] { RecipFlattening(0.0, 0.0); }, "invalid reciprocal flattening");
  ExpectGeoError([] { RecipFlattening(-1.0, -2.0); }, "invalid reciprocal flattening");
  ExpectGeoError([] { RecipFlattening(kNaN, 1.0); }, "invalid reciprocal flattening");
  // Caught as any library error.
  EXPECT_THROW(RecipFlattening(2.0), EZELError);
}

}  // namespace
}  // namespace zel
