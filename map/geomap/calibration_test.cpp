#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "map/geobasics/testdata_impl.hpp"
#include "map/geomap/zel_mapcalib.hpp"

namespace zel {
namespace {

using Rows = std::vector<std::vector<double>>;

// Columns of the synthetic map files (see testdata/make_synthetic_maps.py).
enum { cLat, cLon, cX, cY, cRole, cNorth, cEast };

Rows MapRows(const std::string& Name) {
  return testing::ReadReferenceCsv("../../geomap/testdata/" + Name + ".csv");
}

// Calibrates Cal from the role-0 rows of a synthetic map.
void Calibrate(TMapCalibration& Cal, TCalibModel Model, const Rows& R) {
  Cal.SetImageSize(1800, 1300);
  Cal.SetCalibModel(Model);
  if (Model == TCalibModel::cmUTM) {
    Cal.SetUTMZone(33);
    Cal.SetUTMHemisphere(THemisphere::hemiNorth);
  }
  for (const auto& r : R)
    if (r[cRole] == 0) {
      if (Model == TCalibModel::cmUTM)
        Cal.AddCalibPoint(r[cNorth], r[cEast], 33, THemisphere::hemiNorth, int32_t(r[cX]),
                          int32_t(r[cY]));
      else
        Cal.AddCalibPoint(r[cLat], r[cLon], int32_t(r[cX]), int32_t(r[cY]));
    }
}

struct MapCase {
  const char* File;
  TCalibModel Model;
  double DegTol;   // pixel -> degrees
  int32_t PixTol;  // degrees -> pixel
};

// Each model recovers its own projection: the check pixels come back
// exactly (errors far below the 0.5 px rounding) and the positions to a
// small fraction of a pixel. Lambert's conic through the biquadratic
// polynomial and the conic model is only approximate: measured 2.0e-5 and
// 1.5e-5 degrees (about 0.04 px at 50 m per pixel).
TEST(MapCalibration, RecoversSyntheticMapsOfItsOwnProjection) {
  const MapCase cases[] = {
      {"eqc", TCalibModel::cmEquiRect, 1e-9, 0},
      {"mill", TCalibModel::cmMillerCylindrical, 1e-9, 0},
      {"utm", TCalibModel::cmUTM, 1e-9, 0},
      {"eqdc", TCalibModel::cmConicConformal, 1e-8, 0},
      // the flat cone across the equator has its apex 12000 px away: the
      // integer apex search ends 1.2e-4 degrees (0.005 px) off
      {"eqdcx", TCalibModel::cmConicConformal, 2e-4, 0},
      {"lcc", TCalibModel::cmBiquadraticPn, 5e-5, 0},
      {"lcc", TCalibModel::cmConicConformal, 5e-5, 0},
  };
  for (const MapCase& c : cases) {
    SCOPED_TRACE(std::string(c.File) + " model " + std::to_string(int(c.Model)));
    const Rows R = MapRows(c.File);
    ASSERT_FALSE(R.empty());
    TMapCalibration cal(nullptr);
    Calibrate(cal, c.Model, R);
    for (const auto& r : R) {
      if (r[cRole] != 1) continue;
      bool v1 = false, v2 = false;
      EXPECT_NEAR(cal.CalcLatitude(int32_t(r[cX]), int32_t(r[cY]), v1), r[cLat], c.DegTol);
      EXPECT_NEAR(cal.CalcLongitude(int32_t(r[cX]), int32_t(r[cY]), v2), r[cLon], c.DegTol);
      EXPECT_TRUE(v1 && v2);
      int32_t x = -1, y = -1;
      ASSERT_TRUE(cal.CalcPixelCoords(r[cLat], r[cLon], x, y));
      EXPECT_NEAR(x, r[cX], c.PixTol);
      EXPECT_NEAR(y, r[cY], c.PixTol);
    }
    double qx = -1, qy = -1;
    cal.CalibQuality(qx, qy);
    EXPECT_LE(qx, c.PixTol + 0.5);
    EXPECT_LE(qy, c.PixTol + 0.5);
  }
}

TEST(MapCalibration, FitsMatchNumpy) {
  // Biquadratic parameters are not observable through the interface; its
  // predictions at the calibration points are, and they follow from the
  // parameters numpy.linalg.lstsq found.
  const Rows P = testing::ReadReferenceCsv("../../geomap/testdata/biquad_numpy.csv");
  const Rows R = MapRows("lcc");
  ASSERT_EQ(P.size(), 4u);
  TMapCalibration cal(nullptr);
  Calibrate(cal, TCalibModel::cmBiquadraticPn, R);
  auto eval = [](const std::vector<double>& p, double u, double v) {
    return p[0] + p[1] * u + p[2] * v + p[3] * u * u + p[4] * u * v + p[5] * v * v;
  };
  for (const auto& r : R) {
    bool v = false;
    EXPECT_NEAR(cal.CalcLatitude(int32_t(r[cX]), int32_t(r[cY]), v), eval(P[0], r[cX], r[cY]),
                1e-9);
    EXPECT_NEAR(cal.CalcLongitude(int32_t(r[cX]), int32_t(r[cY]), v), eval(P[1], r[cX], r[cY]),
                1e-9);
    int32_t x = 0, y = 0;
    ASSERT_TRUE(cal.CalcPixelCoords(r[cLat], r[cLon], x, y));
    EXPECT_EQ(x, std::nearbyint(eval(P[2], r[cLat], r[cLon])));
    EXPECT_EQ(y, std::nearbyint(eval(P[3], r[cLat], r[cLon])));
  }
  // Miller: numpy.polyfit lines; inverting them at pixel (0, 0).
  const Rows M = testing::ReadReferenceCsv("../../geomap/testdata/miller_numpy.csv");
  ASSERT_EQ(M.size(), 1u);
  TMapCalibration mil(nullptr);
  Calibrate(mil, TCalibModel::cmMillerCylindrical, MapRows("mill"));
  bool v = false;
  const double lon = -M[0][3] / M[0][2] * 180 / std::numbers::pi;
  const double lat = 2.5 * (std::atan(std::exp(-M[0][1] / M[0][0])) - std::numbers::pi / 4) * 180 /
                     std::numbers::pi;
  EXPECT_NEAR(mil.CalcLongitude(0, 0, v), lon, 1e-10);
  EXPECT_NEAR(mil.CalcLatitude(0, 0, v), lat, 1e-10);
}

TEST(MapCalibration, EquiRectThreePoints) {
  TMapCalibration cal(nullptr);
  cal.SetCalibModel(TCalibModel::cmEquiRect);
  cal.AddCalibPoint(50, 10, 0, 0);
  cal.AddCalibPoint(50, 11, 100, 0);
  cal.AddCalibPoint(49, 10, 0, 100);
  bool v = false;
  EXPECT_NEAR(cal.CalcLatitude(100, 100, v), 49, 1e-12);
  EXPECT_NEAR(cal.CalcLongitude(TPoint{100, 100}, v), 11, 1e-12);
  int32_t x = 0, y = 0;
  ASSERT_TRUE(cal.CalcPixelCoords(49.5, 10.5, x, y));
  EXPECT_EQ(x, 50);
  EXPECT_EQ(y, 50);
  // huge and non-finite results are refused, not converted
  x = y = 7;
  EXPECT_FALSE(cal.CalcPixelCoords(1e12, 10, x, y));
  EXPECT_FALSE(cal.CalcPixelCoords(std::nan(""), 10, x, y));
  EXPECT_EQ(x, 7);
}

// A sheet of zone 33 that reaches into zone 32 keeps its own grid: the
// OUTSIDE rows of utm.csv lie west of 12 degrees east.
TEST(MapCalibration, UtmUsesTheCalibrationZoneOutsideIt) {
  const Rows R = MapRows("utm");
  TMapCalibration cal(nullptr);
  Calibrate(cal, TCalibModel::cmUTM, R);
  int checked = 0;
  for (const auto& r : R)
    if (r[cLon] < 12) {
      int32_t x = 0, y = 0;
      ASSERT_TRUE(cal.CalcPixelCoords(r[cLat], r[cLon], x, y));
      EXPECT_EQ(x, r[cX]);
      EXPECT_EQ(y, r[cY]);
      ++checked;
    }
  EXPECT_EQ(checked, 2);
  // southern hemisphere: a point just north of the equator keeps the false northing
  TMapCalibration s(nullptr);
  s.SetCalibModel(TCalibModel::cmUTM);
  s.SetUTMZone(33);
  s.SetUTMHemisphere(THemisphere::hemiSouth);
  s.AddCalibPoint(10000000.0, 500000.0, 33, THemisphere::hemiSouth, 0, 0);
  s.AddCalibPoint(10000000.0, 510000.0, 33, THemisphere::hemiSouth, 100, 0);
  s.AddCalibPoint(9990000.0, 500000.0, 33, THemisphere::hemiSouth, 0, 100);
  int32_t x = 0, y = 0;
  ASSERT_TRUE(s.CalcPixelCoords(0.01, 15, x, y));  // N about 10001106 m
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, -11);
  EXPECT_THROW(s.AddCalibPoint(1.0, 1.0, 32, THemisphere::hemiSouth, 1, 1), EZELGeoMapError);
}

TEST(MapCalibration, ResolutionOfWideMaps) {
  // equator along the centre line; lon = -180 + x * width / 1000
  const double R = 6378000, C = 2 * std::numbers::pi * R;
  for (double width : {90.0, 181.0, 200.0, 360.0, 400.0}) {
    SCOPED_TRACE(width);
    TMapCalibration cal(nullptr);
    cal.SetCalibModel(TCalibModel::cmEquiRect);
    cal.AddCalibPoint(10, -180, 0, 0);
    cal.AddCalibPoint(10, -180 + width, 1000, 0);
    cal.AddCalibPoint(-10, -180, 0, 200);
    cal.SetImageSize(1000, 200);
    const double expect = width <= 360 ? width / 360 * C : (width - 360) / 360 * C + C;
    EXPECT_NEAR(cal.GetCalibData().Resolution, expect / 1000, 1e-6);
    EXPECT_NEAR(cal.GetCalibData().Corners[int(TCorners::gcoBottomRight)].Longit, -180 + width,
                1e-9);
  }
}

// Graticule interpolation: straight lines of an equirectangular sheet.
void AddLine(TMapCalibration& Cal, TGratLineKind K, double V, std::vector<TPoint> Pts) {
  for (const TPoint& p : Pts) Cal.AddCalibPoint(K, V, p.x, p.y);
}

TEST(MapCalibration, GraticuleCountsOnlyFittedLines) {
  using enum TGratLineKind;
  TMapCalibration cal(nullptr);
  cal.SetCalibModel(TCalibModel::cmParabolicIp);
  AddLine(cal, gtlParallel, 50, {{0, 0}, {500, 0}, {1000, 0}});
  for (int m = 0; m < 3; ++m)
    AddLine(cal, gtlMeridian, 10 + m, {{500 * m, 0}, {500 * m, 400}, {500 * m, 800}});
  bool v = true;
  cal.CalcLatitude(100, 100, v);
  EXPECT_FALSE(v);
  // two points do not make a fitted line
  AddLine(cal, gtlParallel, 49, {{0, 400}, {1000, 400}});
  cal.CalcLatitude(100, 100, v);
  EXPECT_FALSE(v);
  int32_t x = 0, y = 0;
  EXPECT_FALSE(cal.CalcPixelCoords(49.5, 10.5, x, y));
  AddLine(cal, gtlParallel, 49, {{500, 400}});
  EXPECT_NEAR(cal.CalcLatitude(100, 100, v), 49.75, 1e-9);
  EXPECT_TRUE(v);
  EXPECT_NEAR(cal.CalcLongitude(750, 100, v), 11.5, 1e-9);
  ASSERT_TRUE(cal.CalcPixelCoords(49.5, 10.5, x, y));
  EXPECT_EQ(x, 250);
  EXPECT_EQ(y, 200);
  // three parallels and one meridian: no pixel position
  TMapCalibration one(nullptr);
  one.SetCalibModel(TCalibModel::cmParabolicIp);
  for (int p = 0; p < 3; ++p)
    AddLine(one, gtlParallel, 50 - p, {{0, 400 * p}, {500, 400 * p}, {1000, 400 * p}});
  AddLine(one, gtlMeridian, 10, {{0, 0}, {0, 400}, {0, 800}});
  EXPECT_FALSE(one.CalcPixelCoords(49.5, 10.5, x, y));
  // two lines of one value (a duplicate from a file) are no interpolation base
  AddLine(one, gtlMeridian, 10.0, {{0, 10}});
  TMapCalibration dup(nullptr);
  dup.SetCalibModel(TCalibModel::cmParabolicIp);
  AddLine(dup, gtlParallel, 50, {{0, 0}, {500, 0}, {1000, 0}});
  AddLine(dup, gtlParallel, 50, {{0, 0}});  // same line, now 4 points
  AddLine(dup, gtlMeridian, 10, {{0, 0}, {0, 400}, {0, 800}});
  AddLine(dup, gtlMeridian, 11, {{500, 0}, {500, 400}, {500, 800}});
  dup.CalcLatitude(100, 100, v);
  EXPECT_FALSE(v);
}

TEST(MapCalibration, DegenerateFitsReportNotValid) {
  TMapCalibration cal(nullptr);
  cal.SetCalibModel(TCalibModel::cmMillerCylindrical);
  int32_t x = 0, y = 0;
  bool v = true;
  // three points on one meridian: the longitude line is undetermined
  EXPECT_NO_THROW({
    cal.AddCalibPoint(40, 10, 100, 300);
    cal.AddCalibPoint(45, 10, 100, 200);
    cal.AddCalibPoint(50, 10, 100, 100);
  });
  cal.CalcLongitude(100, 100, v);
  EXPECT_FALSE(v);
  // a line through three points that Miller's y does not put on one line
  EXPECT_NEAR(cal.CalcLatitude(100, 200, v), 45, 0.1);
  EXPECT_TRUE(v);
  EXPECT_FALSE(cal.CalcPixelCoords(45, 10, x, y));
  // conic: collinear points, the first trial apex on their line
  cal.ClearCalibData();
  cal.SetCalibModel(TCalibModel::cmConicConformal);
  cal.SetImageSize(100, 100);
  EXPECT_NO_THROW({
    cal.AddCalibPoint(50, 10, 0, 0);
    cal.AddCalibPoint(49, 11, 50, 50);
    cal.AddCalibPoint(48, 12, 100, 100);
  });
  // unfitted conic (two points) reports failure instead of (0, 0)
  TMapCalibration two(nullptr);
  two.SetCalibModel(TCalibModel::cmConicConformal);
  two.AddCalibPoint(50, 10, 0, 0);
  two.AddCalibPoint(49, 11, 50, 50);
  x = y = 5;
  EXPECT_FALSE(two.CalcPixelCoords(49, 11, x, y));
  EXPECT_EQ(x, 5);
  two.CalcLatitude(1, 1, v);
  EXPECT_FALSE(v);
  // conic at its own apex: the angle is 0/0
  // a cone built around the apex (500, -1000): latitude 90 - r/100,
  // longitude 0.7 theta (degrees) + 10
  TMapCalibration con(nullptr);
  con.SetCalibModel(TCalibModel::cmConicConformal);
  con.SetImageSize(1000, 800);
  for (TPoint p :
       {TPoint{0, 0}, TPoint{1000, 0}, TPoint{0, 800}, TPoint{1000, 800}, TPoint{300, 400}}) {
    const double r = std::hypot(p.x - 500.0, p.y + 1000.0);
    const double th = std::atan((p.x - 500.0) / (p.y + 1000.0)) * 180 / std::numbers::pi;
    con.AddCalibPoint(90 - r / 100, 0.7 * th + 10, p.x, p.y);
  }
  EXPECT_NEAR(con.CalcLatitude(500, 0, v), 80, 1e-9);
  con.CalcLongitude(500, -1000, v);
  EXPECT_FALSE(v);
  const int32_t apx = 500, apy = -1000;
  con.CalcLongitude(apx, apy + 1, v);
  EXPECT_TRUE(v);
  // UTM helpers with no fit give 0 instead of dividing by 0
  TMapCalibration utm(nullptr);
  utm.SetCalibModel(TCalibModel::cmUTM);
  EXPECT_EQ(utm.CalcUTMyFromNorthingX(5e6, 10), 0);
  EXPECT_EQ(utm.CalcUTMxFromEastingY(5e5, 10), 0);
  x = y = 5;
  EXPECT_FALSE(utm.CalcPixelCoordsUTM(5e6, 5e5, x, y));
  EXPECT_EQ(x, 0);
  utm.CalcLatitude(1, 1, v);
  EXPECT_FALSE(v);
}

// NaN, infinite and extreme calibration values: never a crash, a hang or a
// value reported as valid that the fit could not give.
TEST(MapCalibration, ExtremePointsGiveNoFitOrFiniteResults) {
  const double nan = std::nan(""), inf = INFINITY;
  for (int m = 1; m <= 5; ++m) {
    const auto model = static_cast<TCalibModel>(m);
    for (double bad : {nan, inf, 1e160}) {
      SCOPED_TRACE(std::to_string(m) + " " + std::to_string(bad));
      TMapCalibration cal(nullptr);
      cal.SetImageSize(100, 100);
      cal.SetCalibModel(model);
      const double pts[4][2] = {{50, 10}, {50, 11}, {49, 10}, {bad, 10.5}};
      for (int i = 0; i < 4; ++i) {
        if (model == TCalibModel::cmUTM)
          cal.AddCalibPoint(pts[i][0], pts[i][1], -1, THemisphere::hemiNorth, 30 * i, (i % 2) * 50);
        else
          cal.AddCalibPoint(pts[i][0], pts[i][1], 30 * i, (i % 2) * 50 + 5 * i);
      }
      bool v = true;
      const double lat = cal.CalcLatitude(10, 10, v);
      EXPECT_TRUE(!v || std::isfinite(lat));
      int32_t x = 0, y = 0;
      cal.CalcPixelCoords(49.5, 10.5, x, y);
      double qx = 0, qy = 0;
      cal.CalibQuality(qx, qy);
      EXPECT_FALSE(std::isnan(cal.GetCalibData().Resolution));
      if (bad != 1e160) {
        EXPECT_FALSE(v);  // a non-finite point leaves no latitude fit
      }
    }
  }
  // 1e154 degrees still squares to a finite basis: the fit exists
  TMapCalibration big(nullptr);
  big.SetCalibModel(TCalibModel::cmEquiRect);
  big.AddCalibPoint(1e154, 0, 0, 0);
  big.AddCalibPoint(0, 1e-160, 10, 0);
  bool v = false;
  big.CalcLatitude(0, 0, v);
  EXPECT_TRUE(v);
}

TEST(MapCalibration, UtmGridLinesAndQuality) {
  const Rows R = MapRows("utm");
  TMapCalibration cal(nullptr);
  Calibrate(cal, TCalibModel::cmUTM, R);
  // row 0 of the sheet: N = northing of the first calibration row
  const double n0 = R[0][cNorth], e0 = R[0][cEast];
  EXPECT_EQ(cal.CalcUTMyFromNorthingX(n0, 700), 0);
  EXPECT_EQ(cal.CalcUTMyFromNorthingX(n0 - 5000, 300), 50);
  EXPECT_EQ(cal.CalcUTMxFromEastingY(e0 + 12300, 999), 123);
  int32_t x = 0, y = 0;
  ASSERT_TRUE(cal.CalcPixelCoordsUTM(n0 - 100, e0 + 200, x, y));
  EXPECT_EQ(x, 2);
  EXPECT_EQ(y, 1);
  double qx = -1, qy = -1;
  cal.CalibQuality(qx, qy);
  EXPECT_LT(qx, 1e-9);
  EXPECT_LT(qy, 1e-9);
  // one point 40 px off in x: the stored pairs are northing and easting and
  // must be converted as such to show the spread
  cal.AddCalibPoint(n0 - 6000, e0 + 9000, 33, THemisphere::hemiNorth, 130, 60);
  cal.CalibQuality(qx, qy);
  EXPECT_GT(qx, 5);
  EXPECT_LT(qx, 40);
  EXPECT_LT(qy, 1);
}

TEST(MapCalibration, AddRemoveRestore) {
  TMapCalibration cal(nullptr);
  cal.SetName("Map1");
  EXPECT_THROW(cal.AddCalibPoint(TGratLineKind::gtlParallel, 1, 1, 1), EZELGeoMapError);
  cal.SetCalibModel(TCalibModel::cmEquiRect);
  try {
    cal.AddCalibPoint(TGratLineKind::gtlParallel, 1, 1, 1);
    ADD_FAILURE();
  } catch (const EZELGeoMapError& e) {
    EXPECT_STREQ(e.what(),
                 "Component \"Map1\": current calibration model does not support this version "
                 "of AddCalibPoint");
  }
  EXPECT_THROW(cal.RemoveCalibPoint(TGratLineKind::gtlParallel, 1, 1, 1), EZELGeoMapError);
  for (int i = 0; i < kMaxCalQuads; ++i)
    EXPECT_TRUE(cal.AddCalibPoint(50 - i * 0.01, 10 + (i % 7) * 0.01, (i % 7) * 10, i));
  EXPECT_FALSE(cal.AddCalibPoint(1, 1, 1, 1));
  EXPECT_EQ(cal.GetCalibData().NumCalQuads, kMaxCalQuads);
  bool v = false;
  const double before = cal.CalcLatitude(33, 77, v);
  // nearest to (1, 3): point 0 at (0, 0), squared distance 10 (point 1 at
  // (10, 1) has 85)
  EXPECT_TRUE(cal.RemoveCalibPoint(1, 3));
  EXPECT_EQ(cal.GetCalibData().NumCalQuads, kMaxCalQuads - 1);
  EXPECT_EQ(cal.GetCalibData().CalQuads[0].MapY, kMaxCalQuads - 1);  // the last took its place
  EXPECT_TRUE(cal.RestoreLastDeletedCalPoint());
  EXPECT_FALSE(cal.RestoreLastDeletedCalPoint());
  EXPECT_NEAR(cal.CalcLatitude(33, 77, v), before, 1e-12);
  // a change of model forgets the removed point
  cal.RemoveCalibPoint(0, 0);
  cal.SetCalibModel(TCalibModel::cmBiquadraticPn);
  EXPECT_FALSE(cal.RestoreLastDeletedCalPoint());

  // lines: the 11th point of a line and the 26th line are refused
  TMapCalibration g(nullptr);
  g.SetCalibModel(TCalibModel::cmParabolicIp);
  for (int i = 0; i < kMaxLinePoints; ++i)
    EXPECT_TRUE(g.AddCalibPoint(TGratLineKind::gtlMeridian, 5, i, 2 * i));
  EXPECT_FALSE(g.AddCalibPoint(TGratLineKind::gtlMeridian, 5, 99, 99));
  for (int k = 1; k < kMaxCalLines; ++k)
    EXPECT_TRUE(g.AddCalibPoint(TGratLineKind::gtlParallel, k, 3 * k, 7));
  EXPECT_FALSE(g.AddCalibPoint(TGratLineKind::gtlParallel, 100, 1, 1));
  EXPECT_EQ(g.GetCalibData().NumCalLines, kMaxCalLines);
  // removing the only point of a line replaces it by the last line
  EXPECT_TRUE(g.RemoveCalibPoint(TGratLineKind::gtlParallel, 1, 3, 7));
  EXPECT_EQ(g.GetCalibData().NumCalLines, kMaxCalLines - 1);
  EXPECT_EQ(g.GetCalibData().CalLines[1].LineValue, kMaxCalLines - 1);
  EXPECT_FALSE(g.RemoveCalibPoint(TGratLineKind::gtlParallel, 1, 3, 7));
  // nearest over all lines, remembered with its line
  EXPECT_TRUE(g.RemoveCalibPoint(4, 9));  // (4, 8) of meridian 5
  EXPECT_EQ(g.GetCalibData().CalLines[0].NumPoints, kMaxLinePoints - 1);
  EXPECT_TRUE(g.RestoreLastDeletedCalPoint());
  EXPECT_EQ(g.GetCalibData().CalLines[0].NumPoints, kMaxLinePoints);
  EXPECT_EQ(g.GetCalibData().CalLines[0].CalPoints[kMaxLinePoints - 1].y, 8);
  int changes = 0;
  g.OnChange = [&](TObject*) { ++changes; };
  g.ClearCalibData();
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(g.GetCalibData().NumCalLines, 0);
  EXPECT_EQ(g.GetUTMZone(), -1);
}

}  // namespace
}  // namespace zel
