// Geodesy: the UTM zone and coordinates of a place, back again, its
// Earth-centred coordinates, a datum shift from the British OSGB 1936 to
// WGS 1984, and a polar point in UPS.
#include <cstdio>
#include <string>

#include "map/geobasics/zel_geobasics.hpp"

int main() {
  using namespace zel;
  const auto wgs84 = TGeoEllipsoid::gelWGS84;

  // The Brandenburg Gate, Berlin.
  const double lat = 52.516272, lon = 13.377722;
  int32_t zone = 0;
  double easting = 0, northing = 0;
  LatLongToUTM(lat, lon, wgs84, zone, easting, northing);
  std::printf("%.6f N %.6f E is %s: E %.3f m, N %.3f m\n", lat, lon, GeoToUTMZone(lat, lon).c_str(),
              easting, northing);
  double lat2 = 0, lon2 = 0;
  UTMToLatLong(easting, northing, zone, false, wgs84, lat2, lon2);
  std::printf("and back: %.9f N %.9f E\n", lat2, lon2);

  double x = 0, y = 0, z = 0;
  GeoToCartesian(lat, lon, 34.0, wgs84, x, y, z);
  std::printf("Earth-centred: X %.3f m, Y %.3f m, Z %.3f m\n", x, y, z);

  // Datum 183 is the Ordnance Survey's OSGB 1936, datum 269 WGS 1984.
  double la = 0, lo = 0, h = 0;
  const int32_t status = HelmertTransform(183, 51.4778, -0.0015, 0.0, 269, la, lo, h);
  std::printf("Greenwich on %s (%s) in WGS 1984: %.6f N %.6f E, height %.2f m (%s)\n",
              std::string(DatumName(183)).c_str(), std::string(DatumRegion(183)).c_str(), la, lo, h,
              HelmertTransformStatusText(status));

  LatLongToUPS(-85.0, 45.0, wgs84, easting, northing);
  std::printf("85 S 45 E in UPS: E %.3f m, N %.3f m\n", easting, northing);
  std::printf("WGS 1984: 1/f = %.9f, e^2 = %.12f\n", RecipFlattening(wgs84),
              GeoEllEccSquared(wgs84));
  return 0;
}
