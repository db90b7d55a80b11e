// Writes dms_reference.csv, the degree/minute/second split of GeographicLib's
// DMS::Encode for the latitude and longitude text tests.
// Built and run once with GeographicLib 2.1.2 (Debian libgeographiclib-dev):
//   g++ -O2 -std=c++17 make_dms_reference.cpp -lGeographicLib -o /tmp/mkdms
//   (cd map/geodb/testdata && /tmp/mkdms)
// Columns: axis (lat/lon), angle (17 significant digits), trailing component
// (1 minutes, 2 seconds), decimals, and DMS::Encode's text with the
// hemisphere letter, e.g. 47d30'15.5"N.
#include <GeographicLib/DMS.hpp>

#include <cstdio>
#include <string>

int main() {
  using GeographicLib::DMS;
  const double lats[] = {0.0,        1e-9,      0.5,       -0.25,    12.5,          47.0707,
                         -33.86785,  48.2082,   -89.99999, 89.9999999, 10.999999,  -10.999999,
                         59.999999,  45.12345678, -71.3,    0.016666,  23.4392911, 66.5622};
  const double lons[] = {0.0,        -0.000001, 16.3738,  -122.4194, 179.99999,  -179.9999999,
                         151.20929,  -0.1275,   100.5,    -45.254,   13.055,    139.6917};
  FILE* f = std::fopen("dms_reference.csv", "w");
  std::fprintf(f, "axis,angle,format,decimals,text\n");
  for (int axis = 0; axis < 2; ++axis) {
    const double* v = axis == 0 ? lats : lons;
    const size_t n = axis == 0 ? sizeof lats / sizeof *lats : sizeof lons / sizeof *lons;
    for (size_t i = 0; i < n; ++i)
      for (int format = 1; format <= 2; ++format)
        for (unsigned dec = 0; dec <= 4; ++dec) {
          const std::string t =
              DMS::Encode(v[i], format == 1 ? DMS::MINUTE : DMS::SECOND, dec,
                          axis == 0 ? DMS::LATITUDE : DMS::LONGITUDE);
          std::fprintf(f, "%s,%.17g,%d,%u,%s\n", axis == 0 ? "lat" : "lon", v[i], format, dec,
                       t.c_str());
        }
  }
  return std::fclose(f) == 0 ? 0 : 1;
}
