#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <string>

#include "map/geomap/zel_landmarks.hpp"

namespace zel {
namespace {

const std::string kGolden = std::string(ZEL_TESTDATA_DIR) + "/map/geomap/testdata/";

// Compares with the stored image; ZEL_UPDATE_GOLDEN=1 rewrites it instead
// (review the new image before committing it).
void ExpectGolden(const TBitmap& b, const std::string& Leaf) {
  const std::string path = kGolden + Leaf;
  if (const char* u = std::getenv("ZEL_UPDATE_GOLDEN"); u != nullptr && std::string(u) == "1") {
    b.SaveToFile(path);
    return;
  }
  TBitmap g;
  g.LoadFromFile(path);
  EXPECT_TRUE(b.SameImage(g)) << Leaf;
}

TEST(LandMarkSymbols, EveryKindMatchesTheGoldenImage) {
  // Rows: the ten kinds and an unknown value; columns: transparent/opaque at
  // several directions.
  struct TCol {
    bool Transparent;
    int32_t Direction;
  };
  const TCol cols[] = {{true, 0}, {false, 0}, {true, 45}, {false, 135}, {false, 270}};
  TBitmap b(5 * 40, 11 * 40);
  TCanvas& c = b.GetCanvas();
  c.GetBrush().SetColor(clSilver);
  c.FillRect(TRect{0, 0, 200, 440});
  for (int k = 0; k <= 10; ++k)
    for (int j = 0; j < 5; ++j)
      DrawLandMarkSymbolOnCanvas(c, 20 + 40 * j, 20 + 40 * k,
                                 static_cast<TLandMarkElement>(k == 10 ? 42 : k), clBlue, clWhite,
                                 8, cols[j].Direction, 15, cols[j].Transparent);
  ExpectGolden(b, "landmark_symbols.png");
}

TEST(LandMarkSymbols, PixelRulesOfPlusCircleAndSquare) {
  TBitmap b(40, 40);
  TCanvas& c = b.GetCanvas();
  DrawLandMarkSymbolOnCanvas(c, 20, 20, TLandMarkElement::lmPlus, clBlue, clRed, 5, 0, 0, false);
  EXPECT_EQ(b.GetPixel(15, 20), clBlue);
  EXPECT_EQ(b.GetPixel(25, 20), clBlue);  // the far end is drawn
  EXPECT_EQ(b.GetPixel(20, 25), clBlue);
  EXPECT_EQ(b.GetPixel(26, 20), clRed);  // halo
  EXPECT_EQ(b.GetPixel(22, 21), clRed);
  EXPECT_EQ(b.GetPixel(22, 22), clWhite);
  b.GetCanvas().GetBrush().SetColor(clWhite);
  b.GetCanvas().FillRect(TRect{0, 0, 40, 40});
  DrawLandMarkSymbolOnCanvas(c, 20, 20, TLandMarkElement::lmCircle, clBlue, clRed, 6, 0, 0, true);
  for (auto [x, y] : {std::pair{14, 20}, {26, 20}, {20, 14}, {20, 26}})
    EXPECT_EQ(b.GetPixel(x, y), clBlue) << x << "," << y;
  EXPECT_EQ(b.GetPixel(27, 20), clWhite);
  EXPECT_EQ(b.GetPixel(20, 20), clWhite);  // clear fill
  DrawLandMarkSymbolOnCanvas(c, 20, 20, TLandMarkElement::lmSquare, clBlue, clRed, 3, 0, 0, false);
  EXPECT_EQ(b.GetPixel(17, 17), clRed);  // background outline at the full size
  EXPECT_EQ(b.GetPixel(23, 23), clRed);
  EXPECT_EQ(b.GetPixel(18, 18), clBlue);  // Rectangle(18, 18, 23, 23): outline 18..22
  EXPECT_EQ(b.GetPixel(22, 22), clBlue);
  EXPECT_EQ(b.GetPixel(20, 20), clRed);
}

std::pair<int32_t, int32_t> XY(TPoint p) { return {p.x, p.y}; }

TEST(LandMarkCaptions, OriginFollowsAlignmentAndRotation) {
  TLMTextProperties t;
  t.dx = 3;
  t.dy = -2;
  t.HAlignment = TAlignment::taCenter;
  t.VAlignment = TLMVertAlignment::lvaCenter;
  EXPECT_EQ(XY(LMCaptionOrigin(100, 50, t, 41, 15)), std::pair(83, 41));  // B = 20, C = 7
  t.Direction = 90;  // counter-clockwise: the text runs upwards
  EXPECT_EQ(XY(LMCaptionOrigin(100, 50, t, 41, 15)), std::pair(96, 68));
  t.HAlignment = TAlignment::taRightJustify;
  t.VAlignment = TLMVertAlignment::lvaBottom;
  t.Direction = 180;
  EXPECT_EQ(XY(LMCaptionOrigin(100, 50, t, 41, 15)), std::pair(143, 62));
  t.VAlignment = static_cast<TLMVertAlignment>(9);  // unknown: as the first
  t.HAlignment = TAlignment::taLeftJustify;
  EXPECT_EQ(XY(LMCaptionOrigin(100, 50, t, 41, 15)), std::pair(103, 48));
}

TEST(LandMarkCaptions, RotatedOpaqueCaptionCoversTheRotatedCell) {
  TBitmap b(200, 200);
  TLMTextProperties t;
  t.Text = "Wien";
  t.FontName = "Liberation Sans";
  t.Size = 12;
  t.Transparent = false;
  t.BGColor = clYellow;
  t.dx = t.dy = 0;
  t.HAlignment = TAlignment::taLeftJustify;
  t.Direction = 90;
  DrawLandMarkCaption(b.GetCanvas(), 100, 100, t);
  const TFont before = b.GetCanvas().GetFont();
  b.GetCanvas().GetFont().SetName("Liberation Sans");
  b.GetCanvas().GetFont().SetSize(12);
  const TSize e = b.GetCanvas().TextExtent("Wien");
  // The unrotated cell [x, x+w) x [y, y+h) turned 90 degrees counter-
  // clockwise about (100, 100): x in [100, 100+h), y in (100-w, 100].
  int minX = 999, maxX = -1, minY = 999, maxY = -1;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x)
      if (b.GetPixel(x, y) != clWhite) {
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
      }
  EXPECT_NEAR(minX, 100, 1);
  EXPECT_NEAR(maxX, 100 + e.cy - 1, 1);
  EXPECT_NEAR(minY, 100 - e.cx + 1, 1);
  EXPECT_NEAR(maxY, 100, 1);
  EXPECT_EQ(before, TFont());  // the caption's font does not stay on the canvas
}

}  // namespace
}  // namespace zel
