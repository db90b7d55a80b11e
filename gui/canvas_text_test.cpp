#include <gtest/gtest.h>

#include <string>

#include "gui/zel_fonts.hpp"
#include "gui/zel_graphics.hpp"

namespace zel {
namespace {

struct TInk {
  int Count = 0;
  int Left = 1 << 30, Top = 1 << 30, Right = -1, Bottom = -1;  // inclusive box
};

// Pixels that differ from Background.
TInk InkOf(const TBitmap& b, TColor Background) {
  TInk k;
  for (int y = 0; y < b.GetHeight(); ++y)
    for (int x = 0; x < b.GetWidth(); ++x)
      if (b.GetPixel(x, y) != Background) {
        ++k.Count;
        k.Left = std::min(k.Left, x);
        k.Right = std::max(k.Right, x);
        k.Top = std::min(k.Top, y);
        k.Bottom = std::max(k.Bottom, y);
      }
  return k;
}

TEST(CanvasText, MeasuresThroughTheFontEngine) {
  TBitmap b(10, 10);
  TCanvas& c = b.GetCanvas();
  c.GetFont().SetName("Liberation Mono");
  c.GetFont().SetSize(14);
  const TSize e = FontTextExtent(c.GetFont().GetSpec(), "Hello");
  EXPECT_EQ(c.TextWidth("Hello"), e.cx);
  EXPECT_EQ(c.TextHeight("Hello"), e.cy);
  EXPECT_EQ(c.TextExtent("Hello"), e);
  // A monospaced font: five glyphs are five times one.
  EXPECT_EQ(c.TextWidth("MMMMM"), 5 * c.TextWidth("M"));
  EXPECT_EQ(c.TextWidth(""), 0);
  EXPECT_EQ(c.TextHeight(""), FontGetMetrics(c.GetFont().GetSpec()).Height);
}

TEST(CanvasText, TransparentTextInksOnlyInsideItsCell) {
  TBitmap b(200, 60);
  TCanvas& c = b.GetCanvas();
  c.GetBrush().SetStyle(TBrushStyle::bsClear);
  c.GetFont().SetColor(clRed);
  c.GetFont().SetSize(16);
  c.TextOut(20, 10, "Text");
  const TSize e = c.TextExtent("Text");
  const TInk ink = InkOf(b, clWhite);
  ASSERT_GT(ink.Count, 20);
  EXPECT_GE(ink.Left, 20);
  EXPECT_LT(ink.Right, 20 + e.cx + 2);
  EXPECT_GE(ink.Top, 10);
  EXPECT_LT(ink.Bottom, 10 + e.cy);
  // Fully covered pixels have the font colour exactly; others are blends
  // of red and white (green and blue equal, red at 255).
  int solid = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x) {
      const TColor p = b.GetPixel(x, y);
      if (p == clRed) ++solid;
      EXPECT_EQ(GetRValue(p), 255);
      EXPECT_EQ(GetGValue(p), GetBValue(p));
    }
  EXPECT_GT(solid, 10);
  // The pen moves to the end of the text.
  EXPECT_EQ(c.GetPenPos().x, 20 + e.cx);
  EXPECT_EQ(c.GetPenPos().y, 10);
}

TEST(CanvasText, OpaqueBackgroundFillsTheCellBox) {
  TBitmap b(120, 40);
  TCanvas& c = b.GetCanvas();
  c.GetBrush().SetColor(clBlue);
  c.GetFont().SetColor(clWhite);
  c.TextOut(5, 7, "Box");
  const TSize e = c.TextExtent("Box");
  // Every pixel of the cell is blue or ink; nothing outside changes.
  const TInk changed = InkOf(b, clWhite);
  EXPECT_EQ(changed.Left, 5);
  EXPECT_EQ(changed.Top, 7);
  EXPECT_EQ(changed.Right, 5 + e.cx - 1);
  EXPECT_EQ(changed.Bottom, 7 + e.cy - 1);
  EXPECT_EQ(b.GetPixel(5, 7), clBlue);
  EXPECT_EQ(b.GetPixel(5 + e.cx - 1, 7 + e.cy - 1), clBlue);
}

TEST(CanvasText, RotatedTextTurnsCounterClockwiseAboutItsOrigin) {
  TBitmap b(100, 100);
  TCanvas& c = b.GetCanvas();
  c.GetBrush().SetColor(clBlue);
  c.GetFont().SetOrientation(900);  // runs upward
  c.TextOut(40, 80, "Up");
  const TSize e = c.TextExtent("Up");
  // The cell box turned by 90 degrees: x from 40 to 40 + height, y from
  // 80 - width to 80.
  const TInk k = InkOf(b, clWhite);
  EXPECT_EQ(k.Left, 40);
  EXPECT_EQ(k.Right, 40 + e.cy - 1);
  EXPECT_EQ(k.Top, 80 - e.cx);
  EXPECT_EQ(k.Bottom, 79);
}

TEST(CanvasText, HonoursClipOriginAnd15BitTargets) {
  TBitmap b(80, 30, TPixelFormat::pf15bit);
  TCanvas& c = b.GetCanvas();
  c.GetBrush().SetColor(0x00070707);  // quantises to black
  c.GetFont().SetColor(0x00FCFCFC);
  c.SetOrigin(TPoint{10, 0});
  c.SetClipRect(TRect{0, 0, 20, 30});
  c.TextOut(0, 0, "WWWWWWWWWW");
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 80; ++x) {
      const TColor p = b.GetPixel(x, y);
      if (x < 10 || x >= 30) {
        ASSERT_EQ(p, clWhite) << x << "," << y;
      }
      ASSERT_EQ(static_cast<uint32_t>(p),
                QuantizeColor(TPixelFormat::pf15bit, static_cast<uint32_t>(p)));
    }
  EXPECT_EQ(b.GetPixel(10, 0), clBlack);
}

}  // namespace
}  // namespace zel
