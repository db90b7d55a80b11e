#include "core/zel_zelcolors.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zel {

namespace {
double Component(int32_t c) { return std::clamp(c, 0, 255) / 255.0; }
}  // namespace

double RGBtoGray(int32_t Red, int32_t Green, int32_t Blue) {
  return 0.299 * std::clamp(Red, 0, 255) + 0.587 * std::clamp(Green, 0, 255) +
         0.114 * std::clamp(Blue, 0, 255);
}

void RGBtoHSI(int32_t Red, int32_t Green, int32_t Blue, double& Intensity, double& Saturation,
              double& Hue) {
  const double r = Component(Red), g = Component(Green), b = Component(Blue);
  Intensity = (r + g + b) / 3;
  Saturation = 0;
  Hue = 0;
  const double mn = std::min({r, g, b});
  // Greys (black included) have no hue and no saturation; testing equality
  // keeps them exactly 0 instead of 1 - r/((3r)/3) rounding noise.
  if (mn == std::max({r, g, b})) return;
  Saturation = 1 - mn / Intensity;
  // Rounding can push the cosine a hair outside [-1, 1].
  const double den = std::sqrt((r - g) * (r - g) + (r - b) * (g - b));
  if (!(den > 0)) return;
  const double c = std::clamp(((r - g) + (r - b)) / 2 / den, -1.0, 1.0);
  const double theta = std::acos(c) * (180 / std::numbers::pi);
  Hue = b <= g ? theta : 360 - theta;
  if (Hue >= 360) Hue = 0;
}

TColorArray::TColorArray(int32_t NrOfColors) { SetNrOfColors(NrOfColors); }

void TColorArray::SetNrOfColors(int32_t NrOfColors) {
  FColors.resize(static_cast<size_t>(std::max(NrOfColors, 0)), 0);
}

TColor TColorArray::GetColorElem(int32_t Ix) const {
  if (Ix < 1 || Ix > GetNrOfColors()) return 0;
  return FColors[static_cast<size_t>(Ix - 1)];
}

void TColorArray::SetColorElem(int32_t Ix, TColor Color) {
  if (Ix < 1 || Ix > GetNrOfColors()) return;
  FColors[static_cast<size_t>(Ix - 1)] = Color;
}

}  // namespace zel
