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
constexpr double kMetrePerDegree = 111320.0;
constexpr int32_t kWGS84Datum = 269;

TEST(HelmertTransform, ForwardMatchesProjAndInverseIsFirstOrder) {
  const auto rows = ReadReferenceCsv("helmert_reference.csv");
  ASSERT_EQ(rows.size(), 10u);
  for (const auto& r : rows) {
    const auto src = static_cast<int32_t>(r[0]);
    const auto dst = static_cast<int32_t>(r[1]);
    double lat = 0, lon = 0, h = 0;
    ASSERT_EQ(HelmertTransform(src, r[2], r[3], r[4], dst, lat, lon, h), kHelmertOk);
    // Towards WGS 84 the transform is PROJ's to a millimetre; away from it
    // the negated parameters differ from the exact inverse by up to 1.1 cm.
    const double tol = dst == kWGS84Datum ? 1e-3 : 2e-2;
    EXPECT_NEAR(lat, r[5], tol / kMetrePerDegree) << src << " -> " << dst;
    EXPECT_NEAR(lon * std::cos(r[2] * std::numbers::pi / 180),
                r[6] * std::cos(r[2] * std::numbers::pi / 180), tol / kMetrePerDegree)
        << src << " -> " << dst;
    EXPECT_NEAR(h, r[7], tol) << src << " -> " << dst;
  }
}

TEST(HelmertTransform, IdentityAndRoundTrip) {
  double lat = 0, lon = 0, h = 0;
  EXPECT_EQ(HelmertTransform(kWGS84Datum, 48.1, 11.6, 520.0, kWGS84Datum, lat, lon, h), kHelmertOk);
  EXPECT_NEAR(lat, 48.1, 2e-6 / kMetrePerDegree);
  EXPECT_NEAR(lon, 11.6, 1e-12);
  EXPECT_NEAR(h, 520.0, 2e-6);
  // Germany (DHDN) -> Great Britain (OSGB 1936) -> DHDN: the two
  // first-order inverses leave about a centimetre.
  double lat2 = 0, lon2 = 0, h2 = 0;
  ASSERT_EQ(HelmertTransform(217, 51.0, 1.0, 50.0, 183, lat, lon, h), kHelmertOk);
  ASSERT_EQ(HelmertTransform(183, lat, lon, h, 217, lat2, lon2, h2), kHelmertOk);
  EXPECT_GT(std::fabs(lat - 51.0) * kMetrePerDegree, 1.0);
  EXPECT_NEAR(lat2, 51.0, 2e-2 / kMetrePerDegree);
  EXPECT_NEAR(lon2, 1.0, 2e-2 / kMetrePerDegree / 0.63);
  EXPECT_NEAR(h2, 50.0, 2e-2);
}

// An index error is never overwritten by a position check, and leaves the
// outputs alone; a bad position still gives a computed shift.
TEST(HelmertTransform, StatusCodesKeepIndexErrorsApart) {
  double lat = 7.0, lon = 8.0, h = 9.0;
  EXPECT_EQ(HelmertTransform(0, 10.0, 10.0, 0.0, kWGS84Datum, lat, lon, h), kHelmertBadSource);
  EXPECT_EQ(HelmertTransform(kWGS84Datum, 10.0, 10.0, 0.0, 272, lat, lon, h), kHelmertBadTarget);
  EXPECT_EQ(HelmertTransform(-5, 10.0, 10.0, 0.0, 272, lat, lon, h), kHelmertBadTarget);
  EXPECT_EQ(HelmertTransform(0, 91.0, 200.0, 0.0, kWGS84Datum, lat, lon, h), kHelmertBadSource);
  EXPECT_EQ(HelmertTransform(kWGS84Datum, kNaN, kNaN, 0.0, 272, lat, lon, h), kHelmertBadTarget);
  EXPECT_EQ(lat, 7.0);
  EXPECT_EQ(lon, 8.0);
  EXPECT_EQ(h, 9.0);

  EXPECT_EQ(HelmertTransform(183, 91.0, 1.0, 0.0, kWGS84Datum, lat, lon, h), kHelmertBadLatitude);
  EXPECT_TRUE(std::isfinite(lat) && lat > 80.0);
  EXPECT_EQ(HelmertTransform(183, 50.0, 180.5, 0.0, kWGS84Datum, lat, lon, h),
            kHelmertBadLongitude);
  EXPECT_NEAR(lon, -179.5, 1e-2);
  EXPECT_EQ(HelmertTransform(183, 95.0, -181.0, 0.0, kWGS84Datum, lat, lon, h),
            kHelmertBadLongitude);
  EXPECT_EQ(HelmertTransform(183, kNaN, 1.0, 0.0, kWGS84Datum, lat, lon, h), kHelmertBadLatitude);
  EXPECT_TRUE(std::isnan(lat));
  EXPECT_EQ(HelmertTransform(183, 1.0, kNaN, 0.0, kWGS84Datum, lat, lon, h), kHelmertBadLongitude);
  EXPECT_EQ(HelmertTransform(183, 90.0, -180.0, 0.0, kWGS84Datum, lat, lon, h), kHelmertOk);
  EXPECT_STREQ(HelmertTransformStatusText(kHelmertBadTarget),
               "the target datum index is outside 1..271");
  EXPECT_STREQ(HelmertTransformStatusText(42), "unknown datum shift status");
}

TEST(HelmertTransform, DatumWithoutParametersIsRefused) {
  int32_t missing = 0;
  for (int32_t i = 1; i <= kDatumCount && missing == 0; ++i) {
    if (!DatumHasShift(i)) {
      missing = i;
    }
  }
  if (missing == 0) {
    GTEST_SKIP() << "every datum has parameters";
  }
  double lat = 1.0, lon = 2.0, h = 3.0;
  EXPECT_EQ(HelmertTransform(missing, 10.0, 10.0, 0.0, kWGS84Datum, lat, lon, h),
            kHelmertNoParameters);
  EXPECT_EQ(HelmertTransform(kWGS84Datum, 10.0, 10.0, 0.0, missing, lat, lon, h),
            kHelmertNoParameters);
  EXPECT_EQ(HelmertTransform(missing, 10.0, 10.0, 0.0, 0, lat, lon, h), kHelmertBadTarget);
  EXPECT_EQ(lat, 1.0);
  EXPECT_EQ(lon, 2.0);
  EXPECT_EQ(h, 3.0);
}

TEST(DatumTable, AccessorsOutsideTheTable) {
  EXPECT_EQ(DatumName(0), "");
  EXPECT_EQ(DatumRegion(272), "");
  EXPECT_FALSE(DatumHasShift(-1));
  EXPECT_EQ(DatumEllipsoid(1000), TGeoEllipsoid::gelWGS84);
  EXPECT_EQ(DatumName(183), "ORDNANCE GB 1936");
  EXPECT_EQ(DatumRegion(183), "GB - Great Britain");
  EXPECT_EQ(DatumEllipsoid(183), TGeoEllipsoid::gelAiry30);
  EXPECT_EQ(DatumName(271), "ZANDERIJ");
}

}  // namespace
}  // namespace zel
