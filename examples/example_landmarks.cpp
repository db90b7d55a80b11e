// Landmarks on a map: a generated map of Austria (46..49.5 N, 9..18 E) with
// a few landmarks of different kinds, one of them highlighted. The landmarks
// are saved as XML and read back into a second map, and the view is saved
// as a PNG.
//   example_landmarks [output.png]   (default: example_landmarks.png in the temp directory)
#include <cstdio>
#include <filesystem>
#include <string>

#include "gui/zel_controls.hpp"
#include "map/geomap/zel_geomap.hpp"

int main(int argc, char** argv) {
  using namespace zel;
  const std::filesystem::path tmp = std::filesystem::temp_directory_path();
  const std::string png = argc > 1 ? argv[1] : (tmp / "example_landmarks.png").string();
  const std::string xml = (tmp / "example_landmarks.xml").string();

  TGeoMap map(nullptr);
  map.SetName("Austria");
  map.SetBounds(0, 0, 540, 260);
  map.CreateEmptyMapInMemory(46, 9, 49.5, 18, 1, 1, 540, 260, true);

  // A handler may veto additions and removals; here it refuses positions
  // south of the equator. The map is the sender.
  map.OnLandMarkAction = [](TObject* sender, bool& allow, const TLandMark& lm, TLandMarkAction a) {
    if (a == TLandMarkAction::lmaAdd && lm.Latitude < 0) {
      allow = false;
      std::printf("%s refused a landmark at %.1f N\n",
                  static_cast<TComponent*>(sender)->GetName().c_str(), lm.Latitude);
    }
  };
  map.AddLandMark(48.21, 16.37, 171, "Vienna", 10, clMaroon);
  map.AddLandMark(47.07, 15.44, 353, "GRZ", 45351.5, "Graz", 9, clNavy);
  map.AddLandMark(47.27, 11.39, 574, TLandMarkElement::lmTriangle, 2, "INN", 0, 7, clBlue, clYellow,
                  8, false, 0, 0);
  map.AddLandMark(47.80, 13.04, 424, TLandMarkElement::lmArrowTo, 2, "SZG", 0, 8, clRed, clWhite, 7,
                  false, 225, 25);
  map.AddLandMark(-33.9, 18.4, 0);  // vetoed
  TLandMark m = map.GetLandMarkData(1);
  m.SymbolProps.Kind = TLandMarkElement::lmCircle;
  m.Caption.Direction = 20;  // rotated counter-clockwise
  map.SetLandMarkData(1, m);
  std::printf("landmarks: %d; nearest to Linz (48.31, 14.29): %d\n", map.GetNumLandMarks(),
              map.FindLandMark(48.31, 14.29, -1));

  if (!map.SaveLandmarks(xml, "austria")) return 1;
  TGeoMap shown(nullptr);
  shown.SetBounds(0, 0, 540, 260);
  shown.CreateEmptyMapInMemory(46, 9, 49.5, 18, 1, 1, 540, 260, true);
  if (!shown.LoadLandMarks(xml, "austria")) return 1;
  std::printf("reloaded %d landmarks from %s, first caption \"%s\"\n", shown.GetNumLandMarks(),
              xml.c_str(), shown.GetLandMarkData(1).Caption.Text.c_str());

  shown.SetHighLightProperties(clRed, clYellow, false);
  shown.SetHighLM(2);  // Graz, drawn again on top in the highlight colours
  TControlHost host(&shown);
  host.Snapshot().SaveToFile(png);
  std::printf("drawn to %s\n", png.c_str());
  return 0;
}
