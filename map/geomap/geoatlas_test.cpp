#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "gui/zel_controls.hpp"
#include "gui/zel_resources.hpp"
#include "map/geomap/zel_geoatlas.hpp"

namespace zel {
namespace {

namespace fs = std::filesystem;

// Three nested sheets of +proj=eqc (WGS84) centred on 0 N, 10 E, 120 x 90
// pixels at 100, 50 and 5 m per pixel; corners and calibration points from
// PROJ (testdata/atlas_make_maps.py).
const fs::path kData = fs::path(ZEL_TESTDATA_DIR) / "map/geomap/testdata";
const char* const kSheets[] = {"atlas_100", "atlas_050", "atlas_005"};

std::string ReadText(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

void WriteText(const fs::path& p, const std::string& text) {
  std::ofstream f(p, std::ios::binary);
  f << text;
}

std::array<int32_t, 4> Bounds(const TControl* c) {
  const TRect r = c->GetBoundsRect();
  return {r.Left, r.Top, r.Right, r.Bottom};
}

std::string Replace(std::string s, const std::string& from, const std::string& to) {
  const size_t p = s.find(from);
  EXPECT_NE(p, std::string::npos) << from;
  if (p != std::string::npos) s.replace(p, from.size(), to);
  return s;
}

struct AtlasFixture : ::testing::Test {
  std::unique_ptr<TGeoAtlas> atlas = std::make_unique<TGeoAtlas>(nullptr);
  fs::path dir =
      fs::temp_directory_path() /
      ("geoatlas_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
       ::testing::UnitTest::GetInstance()->current_test_info()->name());
  TGeoMap& map = *atlas->GetGeoMap();

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
  // The map's picture with the control's own pixels.
  const TBitmap& Picture() {
    map.Repaint();
    return map.GetSurface();
  }
  TPoint CornerOnControl(const TCoords& c) const {
    int32_t x = 0, y = 0;
    EXPECT_TRUE(map.CalcPixelCoords(c.Latit, c.Longit, x, y));
    return map.MapImageToControl(TPoint{x, y});
  }
};

TEST_F(AtlasFixture, RegisteredSheetsCarryTheirCalibration) {
  RegisterSheets();
  ASSERT_EQ(atlas->GetNumRegMaps(), 3);
  const double expect[] = {100, 50, 5};
  for (int32_t i = 1; i <= 3; ++i) {
    const TMapDefinition d = atlas->GetMapDef(i);
    EXPECT_EQ(d.MapFName, Cal(kSheets[i - 1]));
    // geodesic length of the centre line on the equator (pyproj) / width
    EXPECT_NEAR(d.Resolution, expect[i - 1], 1e-6);
    EXPECT_LT(d.Corners[0].Longit, d.Corners[3].Longit);
  }
  EXPECT_EQ(atlas->GetMapSelector()->GetItems(),
            (std::vector<std::string>{"Sheet 100 m", "Sheet 50 m", "Sheet 5 m"}));
  EXPECT_EQ(atlas->GetCurrentMap(), 0);
  EXPECT_EQ(atlas->GetMapSelector()->GetItemIndex(), -1);
  for (int32_t ix : {0, -1, 4, 200, 201}) {
    EXPECT_TRUE(atlas->GetMapDef(ix).MapFName.empty()) << ix;
    EXPECT_EQ(atlas->GetMapDef(ix).Resolution, 0) << ix;
  }
}

TEST_F(AtlasFixture, ZoomChoosesTheNextUsableResolution) {
  RegisterSheets();
  // the 5 m sheet spans +-0.00269 degrees of longitude around 10 E
  struct Case {
    const char* what;
    bool in;
    double r, lon, lat;
    bool ok;
    const char* shown;
  } cases[] = {
      {"100 -> 50", true, 100, 10.0, 0.0, true, "Sheet 50 m"},
      {"52 -> 5 (50 is less than 10 % finer)", true, 52, 10.0, 0.0, true, "Sheet 5 m"},
      {"50 -> 5", true, 50, 10.0, 0.0, true, "Sheet 5 m"},
      {"5 -> nothing finer", true, 5, 10.0, 0.0, false, ""},
      {"just outside the 5 m sheet", true, 52, 10.0028, 0.0, false, ""},
      {"just inside the 5 m sheet", true, 52, 10.0026, 0.0, true, "Sheet 5 m"},
      {"out: 5 -> 50", false, 5, 10.0, 0.0, true, "Sheet 50 m"},
      {"out: 50 -> 100", false, 50, 10.0, 0.0, true, "Sheet 100 m"},
      {"out: 100 -> nothing coarser", false, 100, 10.0, 0.0, false, ""},
      {"out: outside every sheet", false, 5, 11.0, 0.0, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(atlas->SelectMap(1));
    map.SetCaption("before");
    const bool ok = c.in ? atlas->ZoomIn(c.r, c.lon, c.lat) : atlas->ZoomOut(c.r, c.lon, c.lat);
    EXPECT_EQ(ok, c.ok);
    EXPECT_EQ(Shown(), c.ok ? c.shown : "before");
    if (c.ok) {
      EXPECT_EQ(atlas->GetMapSelector()->GetText(), c.shown);
      EXPECT_EQ(map.GetMapImgWidth(), 120);  // the image beside the calibration
    }
  }
  // the 10 % threshold is a property
  ASSERT_TRUE(atlas->SelectMap(1));
  atlas->SetMinResDiff(50);  // 50 m is exactly 50 % finer than 100 m: not enough
  atlas->SetMinResDiff(std::nan(""));
  EXPECT_EQ(atlas->GetMinResDiff(), 50);
  EXPECT_TRUE(atlas->ZoomIn(100, 10.0, 0.0));
  EXPECT_EQ(Shown(), "Sheet 5 m");
}

TEST_F(AtlasFixture, ZoomWithoutACurrentMapOrWithBadInputFails) {
  RegisterSheets();
  const double nan = std::nan("");
  const double inf = HUGE_VAL;
  // no current map: its resolution is 0, which would divide by zero
  EXPECT_EQ(atlas->GetMapDef(atlas->GetCurrentMap()).Resolution, 0);
  for (double r : {0.0, -50.0, nan, inf}) {
    EXPECT_FALSE(atlas->ZoomIn(r, 10.0, 0.0)) << r;
    EXPECT_FALSE(atlas->ZoomOut(r, 10.0, 0.0)) << r;
  }
  EXPECT_FALSE(atlas->ZoomIn(100, nan, 0.0));
  EXPECT_FALSE(atlas->ZoomOut(5, 10.0, nan));
  EXPECT_EQ(atlas->GetCurrentMap(), 0);
  EXPECT_EQ(map.GetMapImgWidth(), 0);
}

TEST_F(AtlasFixture, ZoomInCentresThePosition) {
  RegisterSheets();
  ASSERT_TRUE(atlas->SelectMap(1));
  atlas->SetBounds(0, 0, 100, 33 + 80);  // a view smaller than the image
  ASSERT_EQ(map.GetWidth(), 100);
  ASSERT_EQ(map.GetHeight(), 80);
  // a point right of the centre of the 50 m sheet, still inside the 5 m one
  ASSERT_TRUE(atlas->ZoomIn(52, 10.0004, 0.0002));
  ASSERT_EQ(Shown(), "Sheet 5 m");
  int32_t x = 0, y = 0;
  ASSERT_TRUE(map.CalcPixelCoords(0.0002, 10.0004, x, y));
  // centred as far as the image allows (120 x 90 image, 100 x 80 view)
  EXPECT_EQ(map.GetTopLeft().x, std::min(x - 50, 20));
  EXPECT_EQ(map.GetTopLeft().y, std::min(std::max(y - 40, 0), 10));
}

TEST_F(AtlasFixture, RegisteringKeepsOneEntryPerFileAndStopsAt200) {
  RegisterSheets();
  // the same file in other letters is the same map: updated in place,
  // spelled as first registered
  std::string text = ReadText(Cal("atlas_050"));
  WriteText(Cal("atlas_050"), Replace(text, "caption=\"Sheet 50 m\"", "caption=\"\""));
  const std::string upper = (dir / "ATLAS_050.XML").string();
  ASSERT_TRUE(atlas->RegisterMap(upper));  // found without regard to case
  EXPECT_EQ(atlas->GetNumRegMaps(), 3);
  EXPECT_EQ(atlas->GetMapDef(2).MapFName, Cal("atlas_050"));
  EXPECT_EQ(atlas->GetMapDef(2).Caption, "");
  // an empty caption lists the file name
  EXPECT_EQ(atlas->GetMapSelector()->GetItem(1), Cal("atlas_050"));

  EXPECT_FALSE(atlas->RegisterMap((dir / "missing.xml").string()));
  WriteText(dir / "other.xml", "<geomap sig=\"other\">\n</geomap>\n");
  EXPECT_FALSE(atlas->RegisterMap((dir / "other.xml").string()));
  EXPECT_EQ(atlas->GetNumRegMaps(), 3);

  // the selector keeps showing its entry when the list is refilled
  ASSERT_TRUE(atlas->SelectMap(3));
  text = ReadText(Cal("atlas_005"));
  for (int32_t i = 4; i <= 201; ++i) {
    const std::string name = (dir / ("m" + std::to_string(i) + ".xml")).string();
    WriteText(name, text);
    EXPECT_EQ(atlas->RegisterMap(name), i <= kMaxAtlasMaps) << i;
  }
  EXPECT_EQ(atlas->GetNumRegMaps(), kMaxAtlasMaps);
  EXPECT_EQ(atlas->GetMapSelector()->GetItemIndex(), 2);
  EXPECT_EQ(atlas->GetMapDef(200).MapFName, (dir / "m200.xml").string());
  EXPECT_TRUE(atlas->GetMapDef(201).MapFName.empty());
  // a full table still updates an entry it holds
  EXPECT_TRUE(atlas->RegisterMap(Cal("atlas_100")));
  EXPECT_EQ(atlas->GetNumRegMaps(), kMaxAtlasMaps);
}

TEST_F(AtlasFixture, UnregisteringKeepsTheCurrentMap) {
  RegisterSheets();
  for (int i = 4; i <= 5; ++i) {  // two more entries: 5 maps
    const std::string name = (dir / ("x" + std::to_string(i) + ".xml")).string();
    fs::copy_file(Cal("atlas_005"), name);
    ASSERT_TRUE(atlas->RegisterMap(name));
  }
  auto names = [&] {
    std::vector<std::string> v;
    for (int32_t i = 1; i <= atlas->GetNumRegMaps(); ++i) v.push_back(atlas->GetMapDef(i).MapFName);
    return v;
  };
  const std::string m1 = Cal("atlas_100"), m2 = Cal("atlas_050"), m3 = Cal("atlas_005"),
                    m4 = (dir / "x4.xml").string(), m5 = (dir / "x5.xml").string();
  ASSERT_TRUE(atlas->SelectMap(3));

  atlas->UnregisterMap(0);  // ignored
  atlas->UnregisterMap(6);
  EXPECT_EQ(atlas->GetNumRegMaps(), 5);

  atlas->UnregisterMap(1);  // an earlier entry: the current index follows its map
  EXPECT_EQ(names(), (std::vector<std::string>{m2, m3, m4, m5}));
  EXPECT_EQ(atlas->GetCurrentMap(), 2);
  EXPECT_EQ(atlas->GetMapSelector()->GetItemIndex(), 1);
  EXPECT_EQ(Shown(), "Sheet 5 m");
  EXPECT_TRUE(atlas->GetMapDef(5).MapFName.empty());  // the slot left behind

  atlas->UnregisterMap(4);  // a later one, the last
  EXPECT_EQ(atlas->GetCurrentMap(), 2);
  EXPECT_EQ(names(), (std::vector<std::string>{m2, m3, m4}));

  atlas->UnregisterMap(2);  // the current one: the map now at its place
  EXPECT_EQ(atlas->GetCurrentMap(), 2);
  EXPECT_EQ(map.GetCalibDataFile(), m4);
  EXPECT_EQ(atlas->GetMapSelector()->GetItemIndex(), 1);

  atlas->UnregisterMap(2);  // the current one and the last: the new last
  EXPECT_EQ(atlas->GetCurrentMap(), 1);
  EXPECT_EQ(Shown(), "Sheet 50 m");
  EXPECT_EQ(atlas->GetMapSelector()->GetText(), "Sheet 50 m");

  atlas->UnregisterMap(1);  // the only one: nothing is left to show
  EXPECT_EQ(atlas->GetNumRegMaps(), 0);
  EXPECT_EQ(atlas->GetCurrentMap(), 0);
  EXPECT_EQ(map.GetMapImgWidth(), 0);
  EXPECT_EQ(map.GetCalibData().NumCalQuads, 0);
  EXPECT_EQ(atlas->GetMapSelector()->GetItemCount(), 0);
  EXPECT_FALSE(atlas->ZoomIn(atlas->GetMapDef(atlas->GetCurrentMap()).Resolution, 10, 0));
}

TEST_F(AtlasFixture, SelectingLoadsTheCalibrationAndItsImage) {
  RegisterSheets();
  EXPECT_FALSE(atlas->SelectMap(0));
  EXPECT_FALSE(atlas->SelectMap(4));
  EXPECT_EQ(atlas->GetCurrentMap(), 0);
  // an equirectangular sheet has no graticule lines and loads all the same
  ASSERT_TRUE(atlas->SelectMap(2));
  EXPECT_EQ(map.GetCalibModel(), TCalibModel::cmEquiRect);
  EXPECT_EQ(map.GetMapImgWidth(), 120);
  EXPECT_EQ(atlas->GetMapSelector()->GetItemIndex(), 1);

  // the user's choice in the list
  int changes = 0;
  atlas->OnCBoxMapsChange = [&](TObject* s) {
    EXPECT_EQ(s, atlas.get());
    EXPECT_EQ(Shown(), "Sheet 5 m");  // loaded before the event
    ++changes;
  };
  atlas->GetMapSelector()->UserSelect(2);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(atlas->GetCurrentMap(), 3);

  // a calibration file that vanished: false, the index is taken all the same
  fs::remove(Cal("atlas_100"));
  EXPECT_FALSE(atlas->SelectMap(1));
  EXPECT_EQ(atlas->GetCurrentMap(), 1);
  EXPECT_EQ(atlas->GetMapSelector()->GetItemIndex(), 2);
}

TEST_F(AtlasFixture, ImagesAreFoundBesideTheirCalibration) {
  // a calibration written elsewhere names its image with a foreign path
  const std::string moved = (dir / "Moved.xml").string();
  WriteText(moved, Replace(ReadText(Cal("atlas_100")), "map=\"atlas_100.bmp\"",
                           "map=\"D:\\old\\Place\\ATLAS_100.BMP\""));
  {
    TGeoMap plain(nullptr);  // on its own the map does not find it
    ASSERT_TRUE(plain.LoadCalDataFromXML(moved, ""));
    EXPECT_EQ(plain.GetMapImgWidth(), 0);
  }
  ASSERT_TRUE(atlas->RegisterMap(moved));
  ASSERT_TRUE(atlas->SelectMap(1));
  EXPECT_EQ(map.GetMapImgWidth(), 120);
  EXPECT_EQ(map.GetMapImgHeight(), 90);
  EXPECT_EQ(Picture().GetPixel(60, 45), Picture().GetPixel(10, 80));    // the plain white sheet
  EXPECT_NE(Picture().GetPixel(60, 45), Picture().GetPixel(300, 200));  // background beyond it

  // the redirection follows the current map's directory
  std::string requested = "/nowhere/atlas_050.bmp";
  map.OnMapImageRequest(&map, requested);
  EXPECT_EQ(requested, (dir / "atlas_050.bmp").string());
  requested = "C:\\x\\NOT_THERE.bmp";
  map.OnMapImageRequest(&map, requested);
  EXPECT_EQ(requested, (dir / "NOT_THERE.bmp").string());
}

TEST_F(AtlasFixture, OutlinesTheOtherSheetsOnTheShownOne) {
  RegisterSheets();
  ASSERT_TRUE(atlas->SelectMap(1));
  ASSERT_EQ(atlas->GetMapOutlineColor(), clBlue);
  for (int32_t i = 2; i <= 3; ++i) {
    const TCornerArray c = atlas->GetMapDef(i).Corners;
    for (const TCoords& k : c) {
      const TPoint p = CornerOnControl(k);
      EXPECT_EQ(Picture().GetPixel(p.x, p.y), clBlue) << i << ": " << p.x << "," << p.y;
    }
    // an edge midpoint, and no line through the middle of the 50 m sheet
    const TPoint tl = CornerOnControl(c[0]), bl = CornerOnControl(c[1]);
    EXPECT_EQ(Picture().GetPixel(tl.x, (tl.y + bl.y) / 2), clBlue);
  }
  const TPoint centre = CornerOnControl(TCoords{0.0, 10.0});
  EXPECT_NE(Picture().GetPixel(centre.x - 10, centre.y), clBlue);
  // the shown sheet's own outline (its image edge) is not drawn
  EXPECT_NE(Picture().GetPixel(60, 90), clBlue);
  EXPECT_NE(Picture().GetPixel(120, 45), clBlue);

  atlas->SetMapOutlineColor(clRed);
  const TPoint p = CornerOnControl(atlas->GetMapDef(2).Corners[2]);
  EXPECT_EQ(Picture().GetPixel(p.x, p.y), clRed);
  atlas->SetMapOutlineVisible(false);
  EXPECT_NE(Picture().GetPixel(p.x, p.y), clRed);
}

TEST_F(AtlasFixture, AnOutlineStartsAtItsFirstUsableCorner) {
  // the top right corner of the 50 m sheet cannot be put on the 100 m one
  const std::string text = ReadText(Cal("atlas_050"));
  const size_t a = text.find("<corners>\n") + 10;
  const size_t b = text.find("\n</corners>");
  std::string corners = text.substr(a, b - a);
  corners = corners.substr(0, corners.rfind('[')) + "[1e300,10.0]";
  WriteText(dir / "odd.xml", text.substr(0, a) + corners + text.substr(b));
  ASSERT_TRUE(atlas->RegisterMap(Cal("atlas_100")));
  ASSERT_TRUE(atlas->RegisterMap((dir / "odd.xml").string()));
  ASSERT_TRUE(atlas->SelectMap(1));
  const TCornerArray c = atlas->GetMapDef(2).Corners;
  const TPoint tl = CornerOnControl(c[0]), bl = CornerOnControl(c[1]), br = CornerOnControl(c[2]);
  // exactly the left and bottom edges: nothing from a stale pen position
  const TBitmap& pic = Picture();
  int64_t blue = 0;
  for (int32_t y = 0; y < pic.GetHeight(); ++y)
    for (int32_t x = 0; x < pic.GetWidth(); ++x) blue += pic.GetPixel(x, y) == clBlue;
  // a line without its end point has max(|dx|, |dy|) pixels
  auto len = [](TPoint a, TPoint b) { return std::max(std::abs(b.x - a.x), std::abs(b.y - a.y)); };
  EXPECT_EQ(blue, len(tl, bl) + len(bl, br));
  EXPECT_EQ(pic.GetPixel(tl.x, tl.y), clBlue);
  EXPECT_EQ(pic.GetPixel(bl.x, bl.y), clBlue);
  EXPECT_NE(pic.GetPixel(br.x, br.y), clBlue);
}

TEST_F(AtlasFixture, ZoomButtonMakesPressesChangeMaps) {
  RegisterSheets();
  ASSERT_TRUE(atlas->SelectMap(1));
  atlas->SetBounds(0, 0, 480, 320);
  TControlHost host(atlas.get());
  const int32_t top = map.GetTop();
  ASSERT_EQ(top, kAtlasPanelHeight);
  std::vector<std::string> log;
  atlas->OnClick = [&](TObject* s) { log.push_back(s == atlas.get() ? "click" : "?"); };
  atlas->OnZoomButClick = [&](TObject*) { log.push_back("zoom"); };
  atlas->OnPointerButClick = [&](TObject*) { log.push_back("pointer"); };
  atlas->OnMouseDown = [&](TObject* s, TMouseButton, TShiftState, int32_t X, int32_t Y) {
    log.push_back((s == atlas.get() ? "down " : "? ") + std::to_string(X) + "," +
                  std::to_string(Y) + " " + Shown());
  };

  // with the pointer button down a press pans and keeps the map
  host.SendClick(TMouseButton::mbLeft, {}, 60, top + 45);
  EXPECT_EQ(Shown(), "Sheet 100 m");
  EXPECT_TRUE(map.GetAllowPan());

  const TPoint zoomAt = atlas->GetZoomButton()->ClientToScreen(TPoint{12, 12});
  host.SendClick(TMouseButton::mbLeft, {}, zoomAt.x, zoomAt.y);
  EXPECT_TRUE(atlas->GetZoomButton()->GetDown());
  EXPECT_FALSE(atlas->GetPointerButton()->GetDown());
  EXPECT_FALSE(map.GetAllowPan());
  EXPECT_EQ(host.CursorAt(60, top + 45), crGeoZoom);

  // a left press at the centre of the 100 m sheet: the 50 m sheet
  host.SendClick(TMouseButton::mbLeft, {}, 60, top + 45);
  EXPECT_EQ(Shown(), "Sheet 50 m");
  // the right button zooms out again
  host.SendClick(TMouseButton::mbRight, {}, 60, top + 45);
  EXPECT_EQ(Shown(), "Sheet 100 m");
  // a press where no sheet is finer keeps the map
  host.SendClick(TMouseButton::mbLeft, {}, 5, top + 5);
  EXPECT_EQ(Shown(), "Sheet 100 m");

  const TPoint poiAt = atlas->GetPointerButton()->ClientToScreen(TPoint{12, 12});
  host.SendClick(TMouseButton::mbLeft, {}, poiAt.x, poiAt.y);
  EXPECT_TRUE(map.GetAllowPan());
  EXPECT_EQ(host.CursorAt(60, top + 45), crHandPoint);

  const std::string at = std::to_string(60) + "," + std::to_string(top + 45);
  EXPECT_EQ(
      log, (std::vector<std::string>{
               "down " + at + " Sheet 100 m", "click", "click", "zoom",
               "down " + at + " Sheet 50 m", "click", "down " + at + " Sheet 100 m",
               "down 5," + std::to_string(top + 5) + " Sheet 100 m", "click", "click", "pointer"}));
}

TEST_F(AtlasFixture, LayoutOfPanelButtonsAndSelector) {
  TGeoAtlas& a = *atlas;
  EXPECT_EQ(Bounds(&a), (std::array<int32_t, 4>{100, 50, 580, 370}));
  EXPECT_EQ(Bounds(a.GetCmdPanel()), (std::array<int32_t, 4>{0, 0, 480, 33}));
  EXPECT_EQ(Bounds(&map), (std::array<int32_t, 4>{0, 33, 480, 320}));
  EXPECT_EQ(Bounds(a.GetPointerButton()), (std::array<int32_t, 4>{4, 4, 29, 29}));
  EXPECT_EQ(Bounds(a.GetZoomButton()), (std::array<int32_t, 4>{29, 4, 54, 29}));
  EXPECT_EQ(a.GetMapSelector()->GetLeft(), 64);
  EXPECT_EQ(a.GetMapSelector()->GetTop(), 5);
  EXPECT_EQ(a.GetMapSelector()->GetWidth(), 300);
  EXPECT_EQ(a.GetMapSelector()->GetStyle(), TComboBoxStyle::csDropDownList);
  EXPECT_TRUE(a.GetPointerButton()->GetDown());
  EXPECT_EQ(a.GetZoomButton()->GetGroupIndex(), a.GetPointerButton()->GetGroupIndex());
  EXPECT_EQ(a.GetZoomButton()->GetGlyph().GetPixel(8, 8), ResourceBitmap("ZOOMIN").GetPixel(8, 8));
  ASSERT_NE(Screen().GetCursors(crGeoZoom), nullptr);
  ASSERT_NE(Screen().GetCursors(crGeoHand), nullptr);
  EXPECT_EQ(Screen().GetCursors(crGeoHand)->HotSpot.x, ResourceCursor("CURGEOHAND").HotSpot.x);
  EXPECT_EQ(Screen().GetCursors(crGeoZoom)->HotSpot.y, ResourceCursor("CURGEOZOOM").HotSpot.y);
  a.SetCmdPanelVisible(false);
  EXPECT_EQ(Bounds(&map), (std::array<int32_t, 4>{0, 0, 480, 320}));
  a.SetCmdPanelVisible(true);
  EXPECT_EQ(map.GetTop(), 33);
}

}  // namespace
}  // namespace zel
