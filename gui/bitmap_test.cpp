#include <gtest/gtest.h>

#include "gui/zel_graphics.hpp"

namespace zel {
namespace {

// Channel v of a 15-bit pixel as the bitmap stores it: top 5 bits,
// expanded by replicating them into the low 3 bits.
uint32_t Expand5(uint32_t v) {
  const uint32_t five = v >> 3;
  return (five << 3) | (five >> 2);
}

TEST(Colors, SystemColoursComeFromTheFixedTable) {
  EXPECT_EQ(ColorToRGB(clBtnFace), 0xF0F0F0);
  EXPECT_EQ(ColorToRGB(clWindow), 0xFFFFFF);
  EXPECT_EQ(ColorToRGB(clWindowText), 0x000000);
  EXPECT_EQ(ColorToRGB(clBtnShadow), 0xA0A0A0);
  EXPECT_EQ(ColorToRGB(clBtnHighlight), 0xFFFFFF);
  // Highlight is RGB 00 78 D7: blue in the high byte of a TColor.
  EXPECT_EQ(ColorToRGB(clHighlight), RGB(0x00, 0x78, 0xD7));
  EXPECT_EQ(ColorToRGB(clInfoBk), RGB(0xFF, 0xFF, 0xE1));
  // Unused and out-of-table indices are black; plain colours pass through.
  EXPECT_EQ(ColorToRGB(SystemColor(25)), 0);
  EXPECT_EQ(ColorToRGB(SystemColor(200)), 0);
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
  EXPECT_EQ(ColorToRGB(clNone), 0xFFFFFF);
  EXPECT_EQ(ColorToRGB(0x12345678), 0x345678);
}

TEST(Colors, ComponentsRoundTrip) {
  const TColor c = RGB(0x12, 0x34, 0x56);
  EXPECT_EQ(c, 0x563412);
  EXPECT_EQ(GetRValue(c), 0x12);
  EXPECT_EQ(GetGValue(c), 0x34);
  EXPECT_EQ(GetBValue(c), 0x56);
}

TEST(Bitmap, NewPixelsAreWhiteAndResizeKeepsTheTopLeft) {
  TBitmap b(3, 2);
  EXPECT_EQ(b.GetWidth(), 3);
  EXPECT_EQ(b.GetHeight(), 2);
  EXPECT_EQ(b.GetPixelFormat(), TPixelFormat::pf24bit);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(b.GetPixel(x, y), clWhite);
  b.SetPixel(0, 0, clRed);
  b.SetPixel(2, 1, clBlue);
  b.SetSize(2, 3);
  EXPECT_EQ(b.GetPixel(0, 0), clRed);
  EXPECT_EQ(b.GetPixel(1, 1), clWhite);
  EXPECT_EQ(b.GetPixel(1, 2), clWhite);  // new row
  b.SetSize(4, 3);
  EXPECT_EQ(b.GetPixel(0, 0), clRed);
  EXPECT_EQ(b.GetPixel(3, 0), clWhite);
}

TEST(Bitmap, RejectsNegativeAndHugeSizes) {
  TBitmap b(2, 2);
  EXPECT_THROW(b.SetSize(-1, 5), EInvalidGraphic);
  EXPECT_THROW(b.SetSize(70000, 70000), EInvalidGraphic);
  // A failed resize leaves the bitmap alone.
  EXPECT_EQ(b.GetWidth(), 2);
  b.SetSize(0, 7);
  EXPECT_TRUE(b.GetEmpty());
  EXPECT_EQ(b.GetBits(), nullptr);
}

TEST(Bitmap, PixelsOutsideReadZeroAndIgnoreWrites) {
  TBitmap b(2, 2);
  b.SetPixel(-1, 0, clRed);
  b.SetPixel(2, 0, clRed);
  b.SetPixel(0, 2, clRed);
  EXPECT_EQ(b.GetPixel(-1, 0), 0);
  EXPECT_EQ(b.GetPixel(0, 2), 0);
  EXPECT_EQ(b.GetPixel(INT32_MAX, INT32_MIN), 0);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) EXPECT_EQ(b.GetPixel(x, y), clWhite);
}

TEST(Bitmap, SystemColoursAreResolvedOnWrite) {
  TBitmap b(1, 1);
  b.SetPixel(0, 0, clBtnFace);
  EXPECT_EQ(b.GetPixel(0, 0), 0xF0F0F0);
}

TEST(Bitmap, FifteenBitQuantisesEveryWriteByBitReplication) {
  for (uint32_t v = 0; v < 256; ++v) {
    TBitmap b(1, 1, TPixelFormat::pf15bit);
    b.SetPixel(0, 0,
               RGB(static_cast<int32_t>(v), static_cast<int32_t>(255 - v),
                   static_cast<int32_t>(v ^ 0x5A)));
    const TColor c = b.GetPixel(0, 0);
    ASSERT_EQ(GetRValue(c), Expand5(v)) << v;
    ASSERT_EQ(GetGValue(c), Expand5(255 - v)) << v;
    ASSERT_EQ(GetBValue(c), Expand5(v ^ 0x5A)) << v;
  }
  // The 32 levels are 0, 8, 16, ... with 255 at the top, and writing a
  // level again keeps it.
  EXPECT_EQ(Expand5(0x08), 0x08u);
  EXPECT_EQ(Expand5(0xFF), 0xFFu);
  EXPECT_EQ(Expand5(0x84), 0x84u);
  TBitmap b(1, 1, TPixelFormat::pf15bit);
  b.SetPixel(0, 0, 0x84FF08);
  EXPECT_EQ(b.GetPixel(0, 0), 0x84FF08);
}

TEST(Bitmap, ConvertingTo15BitQuantisesAndBackKeepsTheLevels) {
  TBitmap b(2, 1);
  b.SetPixel(0, 0, 0x123456);
  b.SetPixel(1, 0, 0xFFFFFF);
  b.SetPixelFormat(TPixelFormat::pf15bit);
  const uint32_t want = Expand5(0x56) | (Expand5(0x34) << 8) | (Expand5(0x12) << 16);
  EXPECT_EQ(static_cast<uint32_t>(b.GetPixel(0, 0)), want);
  EXPECT_EQ(b.GetPixel(1, 0), 0xFFFFFF);
  b.SetPixelFormat(TPixelFormat::pf24bit);
  EXPECT_EQ(static_cast<uint32_t>(b.GetPixel(0, 0)), want);
  b.SetPixel(0, 0, 0x123456);
  EXPECT_EQ(b.GetPixel(0, 0), 0x123456);  // 24-bit is exact again
}

TEST(Bitmap, ScanLinesAreContiguousRowsTopFirst) {
  TBitmap b(3, 2);
  b.GetScanLine(1)[2] = 0x00ABCDEF;
  EXPECT_EQ(b.GetPixel(2, 1), 0x00ABCDEF);
  EXPECT_EQ(b.GetScanLine(1), b.GetBits() + 3);
  EXPECT_THROW(b.GetScanLine(2), EInvalidGraphic);
  EXPECT_THROW(b.GetScanLine(-1), EInvalidGraphic);
  const TBitmap& cb = b;
  EXPECT_EQ(cb.GetScanLine(1)[2], 0x00ABCDEFu);
}

TEST(Bitmap, CopiesAreIndependentAndHaveTheirOwnCanvas) {
  TBitmap a(2, 2, TPixelFormat::pf15bit);
  a.SetPixel(1, 1, clRed);
  TBitmap b(a);
  EXPECT_TRUE(b.SameImage(a));
  EXPECT_EQ(b.GetPixelFormat(), TPixelFormat::pf15bit);
  EXPECT_EQ(b.GetCanvas().GetTarget(), &b);
  b.SetPixel(0, 0, clBlue);
  EXPECT_EQ(a.GetPixel(0, 0), clWhite);

  TBitmap c;
  c.GetCanvas().GetPen().SetColor(clLime);
  c.Assign(a);
  EXPECT_TRUE(c.SameImage(a));
  EXPECT_EQ(c.GetCanvas().GetPen().GetColor(), clLime);  // its canvas state stays

  TBitmap d(std::move(c));
  EXPECT_TRUE(d.SameImage(a));
  EXPECT_TRUE(c.GetEmpty());
  EXPECT_EQ(d.GetCanvas().GetTarget(), &d);

  d.Assign(nullptr);
  EXPECT_TRUE(d.GetEmpty());
  TPersistent other;
  EXPECT_THROW(d.Assign(&other), Exception);
}

TEST(Bitmap, CanvasDrawsOnItsBitmap) {
  TBitmap b(4, 4);
  TCanvas& c = b.GetCanvas();
  c.GetBrush().SetColor(clRed);
  c.FillRect(TRect{1, 1, 3, 3});
  EXPECT_EQ(b.GetPixel(1, 1), clRed);
  EXPECT_EQ(b.GetPixel(3, 3), clWhite);
  // A canvas without a target draws nothing and reads 0.
  TCanvas none;
  none.FillRect(TRect{0, 0, 10, 10});
  none.LineTo(5, 5);
  EXPECT_EQ(none.GetPixels(0, 0), 0);
  EXPECT_EQ(none.GetClipRect().Right, 0);
}

}  // namespace
}  // namespace zel
