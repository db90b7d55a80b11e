// Map calibration: a 1000 x 800 pixel sheet in UTM zone 32 (10 m per
// pixel) is calibrated from four corner points given in UTM with the affine
// UTM model, and from the same corners in latitude and longitude with the
// equirectangular model; a pixel is then converted both ways, and the
// calibration is written to a stream and read back.
#include <cstdio>

#include "core/zel_streams.hpp"
#include "map/geobasics/zel_geobasics.hpp"
#include "map/geomap/zel_mapcalib.hpp"

int main() {
  using namespace zel;
  const auto wgs84 = TGeoEllipsoid::gelWGS84;
  // Pixel (x, y) lies at Easting 480000 + 10 x, Northing 5400000 - 10 y.
  const int32_t px[4] = {0, 1000, 0, 1000}, py[4] = {0, 0, 800, 800};

  TMapCalibration utm(nullptr), eqr(nullptr);
  utm.SetName("UtmSheet");
  utm.SetImageSize(1000, 800);
  eqr.SetImageSize(1000, 800);
  utm.SetCalibModel(TCalibModel::cmUTM);
  utm.SetUTMZone(32);
  eqr.SetCalibModel(TCalibModel::cmEquiRect);
  for (int i = 0; i < 4; ++i) {
    const double e = 480000.0 + 10 * px[i], n = 5400000.0 - 10 * py[i];
    utm.AddCalibPoint(n, e, 32, THemisphere::hemiNorth, px[i], py[i]);
    double lat = 0, lon = 0;
    UTMToLatLong(e, n, 32, false, wgs84, lat, lon);
    eqr.AddCalibPoint(lat, lon, px[i], py[i]);
  }

  bool ok1 = false, ok2 = false;
  const double lat = utm.CalcLatitude(250, 600, ok1), lon = utm.CalcLongitude(250, 600, ok2);
  std::printf("UTM model: pixel (250, 600) is %.6f N %.6f E (%s)\n", lat, lon,
              ok1 && ok2 ? "valid" : "not valid");
  int32_t x = 0, y = 0;
  if (utm.CalcPixelCoords(lat, lon, x, y)) std::printf("  and back: pixel (%d, %d)\n", x, y);
  std::printf("  resolution %.3f m per pixel\n", utm.GetCalibData().Resolution);

  const double blat = eqr.CalcLatitude(250, 600, ok1), blon = eqr.CalcLongitude(250, 600, ok2);
  std::printf("equirectangular model (an approximation here): %.6f N %.6f E\n", blat, blon);
  if (eqr.CalcPixelCoords(lat, lon, x, y)) std::printf("  and back: pixel (%d, %d)\n", x, y);
  double qx = 0, qy = 0;
  eqr.CalibQuality(qx, qy);
  std::printf("  residual spread at the points: %.3f px, %.3f px\n", qx, qy);

  TMemoryStream s;
  if (!utm.SaveCalDataAsXML(s, "sheet1")) return 1;
  s.SetPosition(0);
  TMapCalibration copy(nullptr);
  if (!copy.LoadCalDataFromXML(s, "sheet1")) return 1;
  std::printf("read back: zone %d, %d points\n", copy.GetUTMZone(),
              copy.GetCalibData().NumCalQuads);
  return 0;
}
