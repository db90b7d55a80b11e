// Writes capitals.xml, the landmark file of the tool's sample map: the
// capitals of the library's country table (GeoNames, CC BY 4.0) that lie on
// the map central_europe (44..50 N, 5..17 E), one labelled landmark each.
// Build against a release tree from the repository root:
//   c++ -std=c++20 -I. -Ibuild/release/generated examples/data/make_capitals.cpp \
//     -Lbuild/release -lzelmap_rt -lzelnum_rt -lzelgui_rt -lzelcore_rt \
//     -Wl,-rpath,build/release -o /tmp/make_capitals && /tmp/make_capitals
#include <cmath>
#include <cstdio>
#include <string>

#include "map/geobasics/zel_geobasics.hpp"
#include "map/geomap/zel_landmarks.hpp"

int main() {
  using namespace zel;
  TLandMarkList list;
  for (const TCountryData& c : CountryData) {
    if (!(c.CapLat > 44 && c.CapLat < 50 && c.CapLong > 5 && c.CapLong < 17)) continue;
    list.AddLandMark(c.CapLat, c.CapLong, c.CapAlt == kCapAltUnknown ? 0.0 : c.CapAlt,
                     std::string(c.Capital), 10, 0x000080);
    std::printf("%s %.4f %.4f\n", std::string(c.Capital).c_str(), c.CapLat, c.CapLong);
  }
  return list.SaveLandmarks("examples/data/capitals.xml", "capitals") ? 0 : 1;
}
