#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "gui/zel_controls.hpp"
#include "map/geomap/zel_geoatlas.hpp"

namespace zel {
namespace {

namespace fs = std::filesystem;

// Three nested sheets of +proj=eqc (WGS84) centred on 0 N, 10 E, 120 x 90
// pixels at 100, 50 and 5 m per pixel; corners and calibration points from
// PROJ (testdata/atlas_make_maps.py).
const fs::path kData = fs::path(ZEL_TESTDATA_DIR) / "map/geomap/testdata";
const char* const kSheets[] = {"atlas_100", "atlas_050", "atlas_005"};

// Writes the file From with the first From-text replaced into To.
void EditFile(const fs::path& From, const std::string& What, const std::string& By,
              const fs::path& To) {
  std::ifstream in(From, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  std::string text = s.str();
  const size_t p = text.find(What);
  ASSERT_NE(p, std::string::npos) << What;
  std::ofstream(To, std::ios::binary) << text.replace(p, What.size(), By);
}

struct AtlasFixture : ::testing::Test {
  std::unique_ptr<TGeoAtlas> atlas = std::make_unique<TGeoAtlas>(nullptr);
  TGeoMap& map = *atlas->GetGeoMap();
  fs::path dir =
      fs::temp_directory_path() /
      ("geoatlas_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
       ::testing::UnitTest::GetInstance()->current_test_info()->name());

  void SetUp() override {
    fs::create_directories(dir);
    for (const char* s : kSheets)
      for (const char* ext : {".xml", ".bmp"})
        fs::copy_file(kData / (std::string(s) + ext), dir / (std::string(s) + ext));
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string Cal(const std::string& name) const { return (dir / (name + ".xml")).string(); }
  void RegisterSheets() {
    for (const char* s : kSheets) ASSERT_TRUE(atlas->RegisterMap(Cal(s)));
  }
  // The caption names the sheet whose calibration the map holds.
  std::string Shown() const { return map.GetCaption(); }
  const TBitmap& Picture() {
    map.Repaint();
    return map.GetSurface();
  }
  TPoint OnControl(const TCoords& c) const {
    int32_t x = 0, y = 0;
    EXPECT_TRUE(map.CalcPixelCoords(c.Latit, c.Longit, x, y));
    return map.MapImageToControl(TPoint{x, y});
  }
};

TEST_F(AtlasFixture, ZoomChoosesTheNextUsableResolution) {
  RegisterSheets();
  // the 5 m sheet spans +-0.00269 degrees of longitude around 10 E
  struct Case {
    bool in;
    double r, lon;
    const char* shown;  // nullptr: no map chosen
  } cases[] = {
      {true, 100, 10.0, "Sheet 50 m"}, {true, 52, 10.0, "Sheet 5 m"},  // 50 is < 10 % finer
      {true, 50, 10.0, "Sheet 5 m"},   {true, 5, 10.0, nullptr},
      {true, 52, 10.0028, nullptr},    {true, 52, 10.0026, "Sheet 5 m"},  // the 5 m edge
      {false, 5, 10.0, "Sheet 50 m"},  {false, 50, 10.0, "Sheet 100 m"},
      {false, 100, 10.0, nullptr},     {false, 5, 11.0, nullptr},  // outside every sheet
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.r) + (c.in ? " in at " : " out at ") + std::to_string(c.lon));
    ASSERT_TRUE(atlas->SelectMap(1));
    map.SetCaption("before");
    const bool ok = c.in ? atlas->ZoomIn(c.r, c.lon, 0.0) : atlas->ZoomOut(c.r, c.lon, 0.0);
    EXPECT_EQ(ok, c.shown != nullptr);
    EXPECT_EQ(Shown(), c.shown ? c.shown : "before");
    if (c.shown) {
      EXPECT_EQ(atlas->GetMapSelector()->GetText(), c.shown);
    }
  }
  ASSERT_TRUE(atlas->SelectMap(1));
  atlas->SetMinResDiff(50);  // 50 m is exactly 50 % finer than 100 m: not enough
  atlas->SetMinResDiff(std::nan(""));
  EXPECT_TRUE(atlas->ZoomIn(100, 10.0, 0.0));
  EXPECT_EQ(Shown(), "Sheet 5 m");

  // the position comes to the centre of a view smaller than the image
  atlas->SetBounds(0, 0, 100, kAtlasPanelHeight + 80);
  ASSERT_TRUE(atlas->ZoomOut(5, 10.0004, 0.0002));
  ASSERT_EQ(map.GetMapImgWidth(), 120);
  int32_t x = 0, y = 0;
  ASSERT_TRUE(map.CalcPixelCoords(0.0002, 10.0004, x, y));
  EXPECT_EQ(map.GetTopLeft().x, std::clamp(x - 50, 0, 20));
  EXPECT_EQ(map.GetTopLeft().y, std::clamp(y - 40, 0, 10));
}

TEST_F(AtlasFixture, ZoomFailsWithoutACurrentMapOrWithBadInput) {
  RegisterSheets();
  // no current map: its resolution is 0
  for (double r :
       {atlas->GetMapDef(atlas->GetCurrentMap()).Resolution, -50.0, std::nan(""), HUGE_VAL}) {
    EXPECT_FALSE(atlas->ZoomIn(r, 10.0, 0.0)) << r;
    EXPECT_FALSE(atlas->ZoomOut(r, 10.0, 0.0)) << r;
  }
  EXPECT_FALSE(atlas->ZoomIn(100, std::nan(""), 0.0));
  EXPECT_EQ(atlas->GetCurrentMap(), 0);
  EXPECT_EQ(map.GetMapImgWidth(), 0);
}

TEST_F(AtlasFixture, RegisteringKeepsOneEntryPerFileAndStopsAt200) {
  RegisterSheets();
  EXPECT_EQ(atlas->GetMapSelector()->GetItems(),
            (std::vector<std::string>{"Sheet 100 m", "Sheet 50 m", "Sheet 5 m"}));
  // geodesic length of the centre line (pyproj) / width
  EXPECT_NEAR(atlas->GetMapDef(3).Resolution, 5.0, 1e-6);
  // the same file in other letters is the same map: updated in place and
  // spelled as first registered; an empty caption lists the file name
  EditFile(Cal("atlas_050"), "caption=\"Sheet 50 m\"", "caption=\"\"", Cal("atlas_050"));
  ASSERT_TRUE(atlas->RegisterMap((dir / "ATLAS_050.XML").string()));
  EXPECT_EQ(atlas->GetNumRegMaps(), 3);
  EXPECT_EQ(atlas->GetMapDef(2).MapFName, Cal("atlas_050"));
  EXPECT_EQ(atlas->GetMapSelector()->GetItem(1), Cal("atlas_050"));

  EXPECT_FALSE(atlas->RegisterMap((dir / "missing.xml").string()));
  std::ofstream(dir / "other.xml") << "<geomap sig=\"other\">\n</geomap>\n";
  EXPECT_FALSE(atlas->RegisterMap((dir / "other.xml").string()));
  EXPECT_EQ(atlas->GetNumRegMaps(), 3);

  ASSERT_TRUE(atlas->SelectMap(3));
  for (int32_t i = 4; i <= 201; ++i) {
    const fs::path name = dir / ("m" + std::to_string(i) + ".xml");
    fs::copy_file(Cal("atlas_005"), name);
    EXPECT_EQ(atlas->RegisterMap(name.string()), i <= kMaxAtlasMaps) << i;
  }
  EXPECT_EQ(atlas->GetNumRegMaps(), kMaxAtlasMaps);
  EXPECT_EQ(atlas->GetMapSelector()->GetItemIndex(), 2);  // refilling keeps the entry shown
  EXPECT_EQ(atlas->GetMapDef(200).MapFName, (dir / "m200.xml").string());
  for (int32_t ix : {0, -1, 201}) {
    EXPECT_TRUE(atlas->GetMapDef(ix).MapFName.empty()) << ix;
    EXPECT_EQ(atlas->GetMapDef(ix).Resolution, 0) << ix;
  }
  EXPECT_TRUE(atlas->RegisterMap(Cal("atlas_100")));  // a full table still updates
}

TEST_F(AtlasFixture, UnregisteringKeepsTheCurrentMap) {
  RegisterSheets();
  const std::string m4 = (dir / "x4.xml").string(), m5 = (dir / "x5.xml").string();
  for (const std::string& m : {m4, m5}) {
    fs::copy_file(Cal("atlas_005"), m);
    ASSERT_TRUE(atlas->RegisterMap(m));
  }
  ASSERT_TRUE(atlas->SelectMap(3));
  atlas->UnregisterMap(0);  // ignored
  atlas->UnregisterMap(6);
  ASSERT_EQ(atlas->GetNumRegMaps(), 5);

  atlas->UnregisterMap(1);  // an earlier map: the index follows the current one
  EXPECT_EQ(atlas->GetCurrentMap(), 2);
  EXPECT_EQ(atlas->GetMapDef(2).MapFName, Cal("atlas_005"));
  EXPECT_EQ(atlas->GetMapSelector()->GetItemIndex(), 1);
  EXPECT_TRUE(atlas->GetMapDef(5).MapFName.empty());  // no stale copy in the slot left

  atlas->UnregisterMap(4);  // a later one (the last)
  EXPECT_EQ(atlas->GetCurrentMap(), 2);
  EXPECT_EQ(atlas->GetMapDef(3).MapFName, m4);

  atlas->UnregisterMap(2);  // the current one: the map now at its place
  EXPECT_EQ(atlas->GetCurrentMap(), 2);
  EXPECT_EQ(map.GetCalibDataFile(), m4);
  EXPECT_EQ(atlas->GetMapSelector()->GetItemIndex(), 1);

  atlas->UnregisterMap(2);  // the current one and the last: the new last
  EXPECT_EQ(atlas->GetCurrentMap(), 1);
  EXPECT_EQ(Shown(), "Sheet 50 m");
  EXPECT_EQ(atlas->GetMapSelector()->GetText(), "Sheet 50 m");

  atlas->UnregisterMap(1);  // the only one
  EXPECT_EQ(atlas->GetCurrentMap(), 0);
  EXPECT_EQ(map.GetMapImgWidth(), 0);
  EXPECT_EQ(map.GetCalibData().NumCalQuads, 0);
  EXPECT_EQ(atlas->GetMapSelector()->GetItemCount(), 0);
}

TEST_F(AtlasFixture, SelectorChoiceLoadsTheMapBeforeItsEvent) {
  RegisterSheets();
  EXPECT_FALSE(atlas->SelectMap(4));
  int changes = 0;
  atlas->OnCBoxMapsChange = [&](TObject* s) {
    EXPECT_EQ(s, atlas.get());
    EXPECT_EQ(Shown(), "Sheet 5 m");
    ++changes;
  };
  atlas->GetMapSelector()->UserSelect(2);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(atlas->GetCurrentMap(), 3);
  // a calibration file that vanished: false, but the index is taken
  fs::remove(Cal("atlas_100"));
  EXPECT_FALSE(atlas->SelectMap(1));
  EXPECT_EQ(atlas->GetCurrentMap(), 1);
  EXPECT_EQ(atlas->GetMapSelector()->GetItemIndex(), 2);
}

TEST_F(AtlasFixture, ImagesAreFoundBesideTheirCalibration) {
  // a calibration written elsewhere names its image with a foreign path
  const fs::path moved = dir / "Moved.xml";
  EditFile(Cal("atlas_100"), "map=\"atlas_100.bmp\"", "map=\"D:\\old\\Place\\ATLAS_100.BMP\"",
           moved);
  {
    TGeoMap plain(nullptr);  // on its own the map does not find it
    ASSERT_TRUE(plain.LoadCalDataFromXML(moved.string(), ""));
    EXPECT_EQ(plain.GetMapImgWidth(), 0);
  }
  ASSERT_TRUE(atlas->RegisterMap(moved.string()));
  ASSERT_TRUE(atlas->SelectMap(1));
  EXPECT_EQ(map.GetMapImgWidth(), 120);
  std::string requested = "/nowhere/atlas_050.bmp";
  map.OnMapImageRequest(&map, requested);
  EXPECT_EQ(requested, (dir / "atlas_050.bmp").string());

  // an image in a subfolder named by the calibration is kept
  fs::create_directories(dir / "img");
  fs::rename(dir / "atlas_050.bmp", dir / "img" / "atlas_050.bmp");
  EditFile(Cal("atlas_050"), "map=\"atlas_050.bmp\"", "map=\"img/atlas_050.bmp\"",
           Cal("atlas_050"));
  ASSERT_TRUE(atlas->RegisterMap(Cal("atlas_050")));
  ASSERT_TRUE(atlas->SelectMap(2));
  EXPECT_EQ(map.GetMapImgWidth(), 120);
}

TEST_F(AtlasFixture, OutlinesTheOtherSheetsOnTheShownOne) {
  RegisterSheets();
  ASSERT_TRUE(atlas->SelectMap(1));
  for (int32_t i = 2; i <= 3; ++i)
    for (const TCoords& k : atlas->GetMapDef(i).Corners) {
      const TPoint p = OnControl(k);
      EXPECT_EQ(Picture().GetPixel(p.x, p.y), clBlue) << i << ": " << p.x << "," << p.y;
    }
  const TPoint centre = OnControl(TCoords{0.0, 10.0});
  EXPECT_NE(Picture().GetPixel(centre.x - 10, centre.y), clBlue);
  // not the shown sheet's own outline (its image edge)
  EXPECT_NE(Picture().GetPixel(60, 90), clBlue);
  EXPECT_NE(Picture().GetPixel(120, 45), clBlue);

  atlas->SetMapOutlineColor(clRed);
  const TPoint p = OnControl(atlas->GetMapDef(2).Corners[2]);
  EXPECT_EQ(Picture().GetPixel(p.x, p.y), clRed);
  atlas->SetMapOutlineVisible(false);
  EXPECT_NE(Picture().GetPixel(p.x, p.y), clRed);
}

TEST_F(AtlasFixture, AnOutlineStartsAtItsFirstUsableCorner) {
  // the top right corner of the 50 m sheet cannot be put on the 100 m one
  EditFile(Cal("atlas_050"), "[0.020212094,10.026949459]\n", "[1e300,10.0]\n", dir / "odd.xml");
  ASSERT_TRUE(atlas->RegisterMap(Cal("atlas_100")));
  ASSERT_TRUE(atlas->RegisterMap((dir / "odd.xml").string()));
  ASSERT_TRUE(atlas->SelectMap(1));
  const TCornerArray c = atlas->GetMapDef(2).Corners;
  ASSERT_EQ(c[3].Latit, 1e300);
  const TPoint tl = OnControl(c[0]), bl = OnControl(c[1]), br = OnControl(c[2]);
  const TBitmap& pic = Picture();
  int64_t blue = 0;
  for (int32_t y = 0; y < pic.GetHeight(); ++y)
    for (int32_t x = 0; x < pic.GetWidth(); ++x) blue += pic.GetPixel(x, y) == clBlue;
  // the left and bottom edges only (a line has max(|dx|, |dy|) pixels
  // without its end point): nothing from a stale pen position
  auto len = [](TPoint a, TPoint b) { return std::max(std::abs(b.x - a.x), std::abs(b.y - a.y)); };
  EXPECT_EQ(blue, len(tl, bl) + len(bl, br));
  EXPECT_EQ(pic.GetPixel(tl.x, tl.y), clBlue);
}

TEST_F(AtlasFixture, ZoomButtonMakesPressesChangeMaps) {
  RegisterSheets();
  ASSERT_TRUE(atlas->SelectMap(1));
  TControlHost host(atlas.get());
  const int32_t top = map.GetTop();
  ASSERT_EQ(top, kAtlasPanelHeight);
  std::vector<std::string> log;
  atlas->OnClick = [&](TObject*) { log.push_back("click"); };
  atlas->OnZoomButClick = [&](TObject*) { log.push_back("zoom"); };
  atlas->OnPointerButClick = [&](TObject*) { log.push_back("pointer"); };
  atlas->OnMouseDown = [&](TObject* s, TMouseButton, TShiftState, int32_t X, int32_t Y) {
    EXPECT_EQ(s, atlas.get());
    log.push_back(std::to_string(X) + "," + std::to_string(Y) + " " + Shown());
  };
  auto press = [&](TControl* c, TMouseButton b, int32_t x, int32_t y) {
    const TPoint p = c->ClientToScreen(TPoint{x, y});
    host.SendClick(b, {}, p.x, p.y);
  };
  press(&map, TMouseButton::mbLeft, 60, 45);  // the pointer button is down: no zoom
  press(atlas->GetZoomButton(), TMouseButton::mbLeft, 12, 12);
  EXPECT_FALSE(map.GetAllowPan());
  EXPECT_EQ(host.CursorAt(60, top + 45), crGeoZoom);
  press(&map, TMouseButton::mbLeft, 60, 45);   // finer
  press(&map, TMouseButton::mbRight, 60, 45);  // coarser
  press(&map, TMouseButton::mbLeft, 2, 2);     // no finer sheet there
  press(atlas->GetPointerButton(), TMouseButton::mbLeft, 12, 12);
  EXPECT_TRUE(map.GetAllowPan());
  EXPECT_EQ(host.CursorAt(60, top + 45), crHandPoint);
  const std::string at = "60," + std::to_string(top + 45) + " Sheet ";
  EXPECT_EQ(log,
            (std::vector<std::string>{at + "100 m", "click", "click", "zoom", at + "50 m", "click",
                                      at + "100 m", "2," + std::to_string(top + 2) + " Sheet 100 m",
                                      "click", "click", "pointer"}));
}

}  // namespace
}  // namespace zel
