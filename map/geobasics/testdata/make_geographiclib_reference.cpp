// Writes the GeographicLib reference values of the geodesy tests:
//   geocentric_reference.csv  Geocentric::Forward/Reverse
//   tm_reference.csv          TransverseMercatorExact (k0 = 1)
// Built and run once with GeographicLib 2.1.2 (Debian libgeographiclib-dev):
//   g++ -O2 -std=c++17 make_geographiclib_reference.cpp -lGeographicLib -o /tmp/mkref
//   (cd map/geobasics/testdata && /tmp/mkref)
// The ellipsoids are given by the axes of the library's catalogue, with
// f = 1 - b/a.
#include <GeographicLib/Geocentric.hpp>
#include <GeographicLib/TransverseMercatorExact.hpp>

#include <cstdio>
#include <vector>

struct Ell {
  int ordinal;
  double a, b;
};

int main() {
  using namespace GeographicLib;
  // WGS 1984, Clarke 1880, Airy 1830, Normal Sphere, Everest 1830 (India).
  const std::vector<Ell> ells = {
      {0, 6378137.0, 6356752.314245}, {37, 6378249.1448, 6356514.966196},
      {18, 6377563.396, 6356256.91}, {26, 6370997.0, 6370997.0}, {14, 6377276.3452, 6356075.4133}};
  FILE* f = std::fopen("geocentric_reference.csv", "w");
  std::fprintf(f, "ellipsoid,lat,lon,h,x,y,z\n");
  const double lats[] = {-90, -89.9999, -60, -33.3, -1e-7, 0, 1e-7, 15, 45, 72.5, 89.99999, 90};
  const double lons[] = {-180, -135.5, -90, -0.5, 0, 10, 91.25, 179.9999, 180};
  const double hs[] = {-10000, 0, 1234.5, 400000, 36000000};
  for (const Ell& e : ells) {
    const Geocentric g(e.a, 1.0 - e.b / e.a);
    for (double lat : lats) {
      for (double lon : lons) {
        for (double h : hs) {
          double x, y, z;
          g.Forward(lat, lon, h, x, y, z);
          std::fprintf(f, "%d,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g\n", e.ordinal, lat, lon, h, x, y, z);
        }
      }
    }
  }
  std::fclose(f);

  // Reverse of a few points the forward grid does not reach: the axis, the
  // centre and points deep inside.
  f = std::fopen("geocentric_reverse_reference.csv", "w");
  std::fprintf(f, "ellipsoid,x,y,z,lat,lon,h\n");
  const double pts[][3] = {{0, 0, 7e6},    {0, 0, -7e6},        {0, 0, 0},      {0, 0, 1},
                           {1e6, 0, 0},    {-4e6, -1e-3, 5e6},  {3e6, 4e6, -2e6}, {1e9, 1e9, 1e9},
                           {6378137, 0, 0}, {-6378137, 0, 0}};
  for (const Ell& e : ells) {
    const Geocentric g(e.a, 1.0 - e.b / e.a);
    for (const auto& p : pts) {
      double lat, lon, h;
      g.Reverse(p[0], p[1], p[2], lat, lon, h);
      std::fprintf(f, "%d,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g\n", e.ordinal, p[0], p[1], p[2], lat, lon, h);
    }
  }
  std::fclose(f);

  // Exact transverse Mercator on WGS 1984 and Clarke 1866, scale 1, central
  // meridian 0, at growing distances from the central meridian.
  f = std::fopen("tm_reference.csv", "w");
  std::fprintf(f, "ellipsoid,lat,dlon,x,y\n");
  const std::vector<Ell> tmells = {{0, 6378137.0, 6356752.314245}, {5, 6378206.4, 6356583.8}};
  const double tlats[] = {-84, -80, -60, -45, -30, -10, 0, 0.5, 10, 30, 45, 60, 72, 80, 84};
  const double dlons[] = {0, 0.5, -1, 2, -3, 3, 4, -6, 6, 9, -12, 12};
  for (const Ell& e : tmells) {
    const TransverseMercatorExact tm(e.a, 1.0 - e.b / e.a, 1.0);
    for (double lat : tlats) {
      for (double dl : dlons) {
        double x, y;
        tm.Forward(0.0, lat, dl, x, y);
        std::fprintf(f, "%d,%.17g,%.17g,%.17g,%.17g\n", e.ordinal, lat, dl, x, y);
      }
    }
  }
  std::fclose(f);
  return 0;
}
