// Map display: a generated 600 x 400 map of the Alps (45..48 N, 6..14 E)
// with a graticule every degree, shown in a 400 x 300 control. The view is
// zoomed in twice around Innsbruck, a mouse press is converted to latitude
// and longitude, and the control's picture is saved as a PNG (in the
// temporary directory unless a path is given).
#include <cstdio>
#include <filesystem>
#include <string>

#include "gui/zel_controls.hpp"
#include "map/geomap/zel_geomap.hpp"

int main(int argc, char** argv) {
  using namespace zel;
  const std::string png =
      argc > 1 ? argv[1] : (std::filesystem::temp_directory_path() / "example_geomap.png").string();
  TGeoMap map(nullptr);
  map.SetName("AlpsMap");
  map.SetBounds(0, 0, 400, 300);
  map.CreateEmptyMapInMemory(45, 6, 48, 14, 1, 1, 600, 400, true);
  std::printf("map image %d x %d, caption \"%s\"\n", map.GetMapImgWidth(), map.GetMapImgHeight(),
              map.GetCaption().c_str());

  map.ZoomFitPage();
  std::printf("fitted: magnification %.4f\n", map.GetMagnification());
  map.SetMagnification(2 * map.GetMagnification());
  map.BringLocationToCenter(47.27, 11.39);  // Innsbruck
  const TPoint tl = map.GetTopLeft();
  std::printf("zoomed: magnification %.4f, top-left map pixel (%d, %d)\n", map.GetMagnification(),
              tl.x, tl.y);

  // A press at the control's centre, as a window would deliver it.
  TControlHost host(&map);
  host.SendClick(TMouseButton::mbLeft, {}, 200, 150);
  std::printf("press at (200, 150): map pixel (%d, %d) = %.4f N, %.4f E\n", map.GetLastClickPosX(),
              map.GetLastClickPosY(), map.GetLastClickLatitude(), map.GetLastClickLongitude());

  map.SetShowGraticule(TShowGrat::sgPoints);
  host.Snapshot().SaveToFile(png);
  std::printf("saved %s\n", png.c_str());
  return 0;
}
