// Atlas: three generated maps of one region at different scales (the Alps,
// Tyrol, Innsbruck) are written with their calibrations into a temporary
// folder and registered with a TGeoAtlas. The atlas zooms in twice and out
// once around Innsbruck by changing maps, once through its methods and once
// by a press with the zoom button down, then saves its picture (panel, map
// and the outlines of the other maps) as example_geoatlas.png in the temporary
// directory.
#include <cstdio>
#include <filesystem>
#include <string>

#include "gui/zel_controls.hpp"
#include "map/geomap/zel_geoatlas.hpp"

namespace {

void Report(const zel::TGeoAtlas& atlas, const char* what) {
  const zel::TMapDefinition m = atlas.GetMapDef(atlas.GetCurrentMap());
  std::printf("%-22s map %d \"%s\", %.1f m per pixel\n", what, atlas.GetCurrentMap(),
              m.Caption.c_str(), m.Resolution);
}

}  // namespace

int main() {
  using namespace zel;
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "zel_example_geoatlas";
  fs::create_directories(dir);

  struct Sheet {
    const char* name;
    double latLo, longLo, latHi, longHi, step;
  } sheets[] = {{"Alps", 45.0, 6.0, 48.0, 14.0, 1.0},
                {"Tyrol", 46.6, 10.0, 47.8, 13.0, 0.5},
                {"Innsbruck", 47.2, 11.25, 47.35, 11.55, 0.05}};

  TGeoAtlas atlas(nullptr);
  atlas.SetBounds(0, 0, 640, 480);
  {
    TGeoMap maker(nullptr);  // a scratch map that writes the sheets
    for (const Sheet& s : sheets) {
      const std::string base = (dir / s.name).string();
      if (!maker.CreateAndLoadEmptyMap(base, s.latLo, s.longLo, s.latHi, s.longHi, s.step, s.step,
                                       600, 400, true)) {
        std::printf("cannot write %s\n", base.c_str());
        return 1;
      }
      maker.SetCaption(s.name);
      maker.SaveCalDataAsXML(base + ".xml", "ZEL_geomap_caldata");
      atlas.RegisterMap(base + ".xml");
    }
  }
  std::printf("%d maps registered\n", atlas.GetNumRegMaps());

  const double lat = 47.27, lon = 11.39;  // Innsbruck
  atlas.SelectMap(1);
  Report(atlas, "selected:");
  auto resolution = [&] { return atlas.GetMapDef(atlas.GetCurrentMap()).Resolution; };
  std::printf("zoom in: %s\n", atlas.ZoomIn(resolution(), lon, lat) ? "yes" : "no");
  Report(atlas, "after zoom in:");
  std::printf("zoom in: %s\n", atlas.ZoomIn(resolution(), lon, lat) ? "yes" : "no");
  Report(atlas, "after zoom in:");
  std::printf("zoom in: %s (no finer map)\n", atlas.ZoomIn(resolution(), lon, lat) ? "yes" : "no");
  std::printf("zoom out: %s\n", atlas.ZoomOut(resolution(), lon, lat) ? "yes" : "no");
  Report(atlas, "after zoom out:");

  // The same with the mouse: the zoom button down, a right press zooms out.
  TControlHost host(&atlas);
  const TPoint button = atlas.GetZoomButton()->ClientToScreen(TPoint{12, 12});
  host.SendClick(TMouseButton::mbLeft, {}, button.x, button.y);
  const TGeoMap& map = *atlas.GetGeoMap();
  host.SendClick(TMouseButton::mbRight, {}, map.GetLeft() + 200, map.GetTop() + 150);
  Report(atlas, "after a right press:");

  const fs::path png = fs::temp_directory_path() / "example_geoatlas.png";
  host.Snapshot().SaveToFile(png.string());
  std::printf("saved %s\n", png.string().c_str());
  fs::remove_all(dir);
  return 0;
}
