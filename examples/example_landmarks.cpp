// Landmarks: build a list, save it as XML and read it back, then draw the
// landmarks with their symbols and captions onto a bitmap and save a PNG.
//   example_landmarks [output.png]   (default: example_landmarks.png in the temp directory)
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/zel_system.hpp"
#include "map/geomap/zel_landmarks.hpp"

int main(int argc, char** argv) {
  using namespace zel;
  const std::filesystem::path tmp = std::filesystem::temp_directory_path();
  const std::string png = argc > 1 ? argv[1] : (tmp / "example_landmarks.png").string();
  const std::string xml = (tmp / "example_landmarks.xml").string();

  TLandMarkList list;
  // A handler may veto additions and removals; here it refuses positions
  // south of the equator.
  list.OnLandMarkAction = [](TObject*, bool& allow, const TLandMark& lm, TLandMarkAction a) {
    if (a == TLandMarkAction::lmaAdd && lm.Latitude < 0) allow = false;
  };
  list.AddLandMark(48.21, 16.37, 171, "Vienna", 10, clMaroon);
  list.AddLandMark(47.07, 15.44, 353, "GRZ", 45351.5, "Graz", 9, clNavy);
  list.AddLandMark(47.27, 11.39, 574, TLandMarkElement::lmTriangle, 2, "INN", 0, 7, clBlue,
                   clYellow, 8, false, 0, 0);
  list.AddLandMark(47.80, 13.04, 424, TLandMarkElement::lmArrowTo, 2, "SZG", 0, 8, clRed, clWhite,
                   7, false, 225, 25);
  list.AddLandMark(-33.9, 18.4, 0);  // vetoed
  TLandMark m = list.GetLandMarkData(1);
  m.SymbolProps.Kind = TLandMarkElement::lmCircle;
  m.Caption.Direction = 20;  // rotated counter-clockwise
  list.SetLandMarkData(1, m);
  std::printf("landmarks: %d; nearest to Linz (48.31, 14.29): %d\n", list.GetNumLandMarks(),
              list.FindLandMark(48.31, 14.29, -1));

  if (!list.SaveLandmarks(xml, "austria")) return 1;
  TLandMarkList loaded;
  if (!loaded.LoadLandMarks(xml, "austria")) return 1;
  std::printf("reloaded %d landmarks from %s, first caption \"%s\"\n", loaded.GetNumLandMarks(),
              xml.c_str(), loaded.GetLandMarkData(1).Caption.Text.c_str());

  // A plain equirectangular view of 9..18 E, 46..49.5 N on 480 x 240 pixels.
  TBitmap bmp(480, 240);
  TLandMarkView view;
  view.Width = bmp.GetWidth();
  view.Height = bmp.GetHeight();
  view.ToControl = [&](double lat, double lon, TPoint& p) {
    p = TPoint{RoundToInt32((lon - 9) / 9 * view.Width),
               RoundToInt32((49.5 - lat) / 3.5 * view.Height)};
    return true;
  };
  loaded.SetHighLightLandMark(3);
  loaded.DrawLandMarks(bmp.GetCanvas(), view);
  loaded.DrawHighLightedLandMark(bmp.GetCanvas(), view);
  bmp.SaveToFile(png);
  std::printf("drawn to %s\n", png.c_str());
  return 0;
}
