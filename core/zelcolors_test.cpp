#include "core/zel_zelcolors.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace zel {
namespace {

TEST(Colors, GrayUsesBT601Weights) {
  EXPECT_NEAR(RGBtoGray(255, 0, 0), 0.299 * 255, 1e-12);
  EXPECT_NEAR(RGBtoGray(0, 255, 0), 0.587 * 255, 1e-12);
  EXPECT_NEAR(RGBtoGray(0, 0, 255), 0.114 * 255, 1e-12);
  EXPECT_NEAR(RGBtoGray(255, 255, 255), 255, 1e-12);
  EXPECT_NEAR(RGBtoGray(128, 128, 128), 128, 1e-12);
  EXPECT_EQ(RGBtoGray(0, 0, 0), 0);
  // Components are clamped to 0..255.
  EXPECT_NEAR(RGBtoGray(300, -20, 255), RGBtoGray(255, 0, 255), 1e-12);
}

TEST(Colors, HsiOfPrimariesSecondariesAndGreys) {
  struct Case {
    int r, g, b;
    double i, s, h;
  };
  const Case cases[] = {
      {255, 0, 0, 1.0 / 3, 1, 0},
      {255, 255, 0, 2.0 / 3, 1, 60},
      {0, 255, 0, 1.0 / 3, 1, 120},
      {0, 255, 255, 2.0 / 3, 1, 180},
      {0, 0, 255, 1.0 / 3, 1, 240},
      {255, 0, 255, 2.0 / 3, 1, 300},
      {0, 0, 0, 0, 0, 0},
      {255, 255, 255, 1, 0, 0},
      {77, 77, 77, 77.0 / 255, 0, 0},
  };
  for (const auto& c : cases) {
    double i, s, h;
    RGBtoHSI(c.r, c.g, c.b, i, s, h);
    EXPECT_NEAR(i, c.i, 1e-15) << c.r << "," << c.g << "," << c.b;
    EXPECT_NEAR(s, c.s, 1e-15) << c.r << "," << c.g << "," << c.b;
    EXPECT_NEAR(h, c.h, 1e-12) << c.r << "," << c.g << "," << c.b;
  }
}

TEST(Colors, HsiHueAgreesWithTheAtan2Form) {
  // The same geometric hue written independently: atan2(sqrt(3)(g - b), 2r - g - b).
  for (int r = 0; r < 256; r += 17)
    for (int g = 3; g < 256; g += 23)
      for (int b = 5; b < 256; b += 29) {
        double i, s, h;
        RGBtoHSI(r, g, b, i, s, h);
        double ref = std::atan2(std::sqrt(3.0) * (g - b), 2.0 * r - g - b) * 180 / std::numbers::pi;
        if (ref < 0) ref += 360;
        const double diff = std::fabs(h - ref);
        EXPECT_LT(std::fmin(diff, 360 - diff), 1e-6) << r << "," << g << "," << b;
        EXPECT_GE(h, 0);
        EXPECT_LT(h, 360);
        EXPECT_GE(s, 0);
        EXPECT_LE(s, 1);
        EXPECT_NEAR(i, (r + g + b) / 765.0, 1e-15);
      }
}

TEST(Colors, ColorArrayIsOneBasedAndIgnoresOutOfRange) {
  TColorArray t(3);
  EXPECT_EQ(t.GetNrOfColors(), 3);
  t.SetColorElem(1, 0x0000FF);
  t.SetColorElem(3, 0xFF0000);
  t.SetColorElem(0, 0x123456);
  t.SetColorElem(4, 0x123456);
  EXPECT_EQ(t.GetColorElem(1), 0x0000FF);
  EXPECT_EQ(t.GetColorElem(2), 0);
  EXPECT_EQ(t.GetColorElem(3), 0xFF0000);
  EXPECT_EQ(t.GetColorElem(0), 0);
  EXPECT_EQ(t.GetColorElem(4), 0);
  t.SetNrOfColors(5);
  EXPECT_EQ(t.GetColorElem(3), 0xFF0000);
  EXPECT_EQ(t.GetColorElem(5), 0);
  t.SetNrOfColors(-1);
  EXPECT_EQ(t.GetNrOfColors(), 0);
  EXPECT_EQ(t.GetColorElem(1), 0);
}

}  // namespace
}  // namespace zel
