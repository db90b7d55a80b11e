#include <cmath>
#include <numbers>
#include <map>

#include <gtest/gtest.h>

#include "map/geobasics/datums_impl.hpp"
#include "map/geobasics/testdata_impl.hpp"
#include "map/geobasics/zel_geobasics.hpp"

namespace zel {
namespace {

using zel::testing::ReadReferenceCsv;
constexpr double kMetrePerDegree = 111320.0;
using E = TGeoEllipsoid;

TEST(DatumTable, RowsAndEllipsoidCounts) {
  std::map<E, int> count;
  for (int32_t i = 1; i <= kDatumCount; ++i) {
    EXPECT_FALSE(DatumName(i).empty()) << i;
    EXPECT_FALSE(DatumRegion(i).empty()) << i;
    ++count[DatumEllipsoid(i)];
  }
  const std::map<E, int> want = {
      {E::gelInt24, 101},     {E::gelClrk80, 42},   {E::gelClrk66, 35},   {E::gelBess41, 19},
      {E::gelWGS84, 15},      {E::gelSAm69, 13},    {E::gelKrass40, 13},  {E::gelEver30Ind, 6},
      {E::gelClrk80IGN, 4},   {E::gelAuNat65, 3},   {E::gelEverest, 2},   {E::gelWarOffice, 1},
      {E::gelWGS72, 1},       {E::gelSGS85, 1},     {E::gelPZ90, 1},      {E::gelNahrwan29, 1},
      {E::gelModifFish60, 1}, {E::gelModifAiry, 1}, {E::gelIndo74, 1},    {E::gelHough60, 1},
      {E::gelHongKong63, 1},  {E::gelHelm06, 1},    {E::gelGRS67, 1},     {E::gelEverPak, 1},
      {E::gelEver56, 1},      {E::gelEver48, 1},    {E::gelBesselMod, 1}, {E::gelBess41Nam, 1},
      {E::gelAiry30, 1}};
  EXPECT_EQ(count, want);
}

// The Indian datums of Bangladesh, Thailand, Vietnam and Sri Lanka lie on
// the 1937 adjustment of Everest 1830 (a = 6377276.345 m); on the 1830
// definition (a = 6377299.366 m) Indian 1954 is 23 m off in height.
TEST(DatumTable, IndianDatumsUseTheEverest1937Adjustment) {
  for (const int32_t i : {112, 115, 116, 117, 118, 123}) {
    EXPECT_EQ(DatumEllipsoid(i), E::gelEver30Ind) << i;
  }
  EXPECT_EQ(DatumEllipsoid(113), E::gelEver56);
  EXPECT_EQ(DatumEllipsoid(114), E::gelEverPak);
  EXPECT_EQ(DatumEllipsoid(124), E::gelEver48);
  for (int32_t i = 1; i <= kDatumCount; ++i) {
    EXPECT_NE(DatumEllipsoid(i), E::gelEver30) << i;
  }
}

// Catches unit slips of the generator (microradians or radians taken as arc
// seconds, a scale as unity instead of ppm) and rows without parameters that
// claim a shift.
TEST(DatumTable, ParametersArePlausibleAndUnsourcedRowsCarryNone) {
  int32_t unsourced = 0;
  for (int32_t i = 1; i <= kDatumCount; ++i) {
    const TDatumRec& d = kDatumTable[static_cast<size_t>(i)];
    if (!d.HasShift) {
      ++unsourced;
      EXPECT_EQ(std::fabs(d.DX) + std::fabs(d.DY) + std::fabs(d.DZ) + std::fabs(d.Scale), 0.0) << i;
      continue;
    }
    EXPECT_LT(std::hypot(d.DX, d.DY, d.DZ), 2500.0) << i;
    EXPECT_LT(std::fabs(d.Scale), 40.0) << i;
    EXPECT_LT(std::hypot(d.RotX, d.RotY, d.RotZ), 15.0) << i;
  }
  EXPECT_EQ(unsourced, 28);
  EXPECT_FALSE(DatumHasShift(105));  // Hong Kong 1963 on its own figure
  EXPECT_TRUE(DatumHasShift(269));
}

// Rows against PROJ's own run of the EPSG transformation they were taken
// from: conventions (coordinate frame turned into position vector), units
// and the ellipsoid all have to agree.
TEST(DatumTable, RowsReproduceTheirEpsgTransformation) {
  const auto rows = ReadReferenceCsv("epsg_reference.csv");
  ASSERT_EQ(rows.size(), 14u);
  for (const auto& r : rows) {
    const auto datum = static_cast<int32_t>(r[0]);
    double lat = 0, lon = 0, h = 0;
    ASSERT_EQ(HelmertTransform(datum, r[2], r[3], 0.0, 269, lat, lon, h), kHelmertOk) << datum;
    EXPECT_NEAR(lat, r[4], 5e-3 / kMetrePerDegree) << datum << " EPSG:" << r[1];
    EXPECT_NEAR((lon - r[5]) * std::cos(r[2] * std::numbers::pi / 180), 0.0, 5e-3 / kMetrePerDegree)
        << datum << " EPSG:" << r[1];
  }
}

}  // namespace
}  // namespace zel
