#include <gtest/gtest.h>

#include <string>

#include "gui/zel_graphics.hpp"

namespace zel {
namespace {

// The four frame colours map to letters: D dark, S shadow, L light,
// H highlight; '.' is the white background.
constexpr TColor kDark = 0x000001, kShadow = 0x000002, kLight = 0x000003, kHigh = 0x000004;

std::string Picture(const TBitmap& b) {
  std::string s;
  for (int y = 0; y < b.GetHeight(); ++y) {
    for (int x = 0; x < b.GetWidth(); ++x) {
      switch (b.GetPixel(x, y)) {
        case kDark: s += 'D'; break;
        case kShadow: s += 'S'; break;
        case kLight: s += 'L'; break;
        case kHigh: s += 'H'; break;
        case clWhite: s += '.'; break;
        default: s += '?';
      }
    }
    s += '\n';
  }
  return s;
}

std::string Frame(TFrameStyle style, const TRect& r, int w = 7, int h = 6) {
  TBitmap b(w, h);
  DrawFrame(b.GetCanvas(), style, r, kDark, kShadow, kLight, kHigh);
  return Picture(b);
}

TEST(DrawFrame, EachStyleHasItsDocumentedRings) {
  const TRect r{0, 0, 5, 4};  // a 6 x 5 frame, corners inclusive
  EXPECT_EQ(Frame(TFrameStyle::fsNone, r),
            ".......\n.......\n.......\n.......\n.......\n.......\n");
  EXPECT_EQ(Frame(TFrameStyle::fsSimple, r),
            "DDDDDD.\n"
            "D....D.\n"
            "D....D.\n"
            "D....D.\n"
            "DDDDDD.\n"
            ".......\n");
  EXPECT_EQ(Frame(TFrameStyle::fsLowered, r),
            "SSSSSH.\n"
            "SDDDLH.\n"
            "SD..LH.\n"
            "SLLLLH.\n"
            "HHHHHH.\n"
            ".......\n");
  EXPECT_EQ(Frame(TFrameStyle::fsRaised, r),
            "LLLLLD.\n"
            "LHHHSD.\n"
            "LH..SD.\n"
            "LSSSSD.\n"
            "DDDDDD.\n"
            ".......\n");
}

TEST(DrawFrame, ReversedRectanglesAndClippingBehave) {
  EXPECT_EQ(Frame(TFrameStyle::fsSimple, TRect{5, 4, 0, 0}),
            Frame(TFrameStyle::fsSimple, TRect{0, 0, 5, 4}));
  // A frame larger than the bitmap shows only its visible part.
  EXPECT_EQ(Frame(TFrameStyle::fsSimple, TRect{-1, 1, 3, 100}, 5, 3),
            ".....\n"
            "DDDD.\n"
            "...D.\n");
  // Collapsed inner ring: a 2 x 2 frame.
  EXPECT_EQ(Frame(TFrameStyle::fsLowered, TRect{1, 1, 2, 2}, 4, 4),
            "....\n"
            ".SH.\n"
            ".HH.\n"
            "....\n");
}

TEST(DrawFrame, UsesNeitherPenNorPenMode) {
  TBitmap b(4, 4);
  TCanvas& c = b.GetCanvas();
  c.GetPen().SetMode(TPenMode::pmXor);
  c.GetPen().SetColor(clRed);
  DrawFrame(c, TFrameStyle::fsSimple, TRect{0, 0, 3, 3}, clBtnShadow, clGray, clSilver, clWhite);
  EXPECT_EQ(b.GetPixel(0, 0), 0xA0A0A0);  // system colours resolved
  EXPECT_EQ(c.GetPen().GetColor(), clRed);
  EXPECT_EQ(c.GetPen().GetMode(), TPenMode::pmXor);
}

}  // namespace
}  // namespace zel
