/// @file
/// Colour helpers: grey value and HSI components of an RGB colour, and a
/// colour table addressed from 1.
#pragma once

#include <cstdint>
#include <vector>

#include "core/zel_classes.hpp"
#include "core/zel_system.hpp"

namespace zel {

// ---------------------------------------------------------------------------
// Conversions. Components are 0..255; values outside are clamped to that
// range first.
// ---------------------------------------------------------------------------

/// Luminance of ITU-R BT.601: 0.299 R + 0.587 G + 0.114 B, in 0..255
/// (white gives 255 up to one rounding of the weighted sum).
double RGBtoGray(int32_t Red, int32_t Green, int32_t Blue);

/// The HSI model (Gonzalez and Woods, "Digital Image Processing", the
/// geometric definition), from r, g, b = R/255, G/255, B/255:
///   Intensity  I = (r + g + b)/3, in 0..1;
///   Saturation S = 1 - min(r, g, b)/I, in 0..1; 0 for black (I = 0);
///   Hue        H = theta when b <= g, else 360 - theta, in degrees 0..<360,
///              theta = arccos(((r - g) + (r - b))/2 / sqrt((r - g)^2 + (r - b)(g - b)));
///              0 for greys (r = g = b), where it is undefined.
/// Red has hue 0, yellow 60, green 120, cyan 180, blue 240, magenta 300.
/// The outputs come in the order intensity, saturation, hue, the order in
/// which the image comparison reads them (first lightness, second saturation,
/// third hue).
void RGBtoHSI(int32_t Red, int32_t Green, int32_t Blue, double& Intensity, double& Saturation,
              double& Hue);

// ---------------------------------------------------------------------------
// TColorArray
// ---------------------------------------------------------------------------

/// A colour table with the entries 1..GetNrOfColors(), black (0) after
/// creation and after growing. Used to map class numbers or levels to colours
/// (array ConvertToColorMap). Entries outside the range read 0 and are
/// ignored when written.
class TColorArray : public TObject {
 public:
  /// NrOfColors entries (0 when negative).
  explicit TColorArray(int32_t NrOfColors = 0);

  /// The nr of colors.
  int32_t GetNrOfColors() const { return static_cast<int32_t>(FColors.size()); }
  /// Resizes (0 when negative); entries 1..min(old, new) keep their colours,
  /// added entries are black.
  void SetNrOfColors(int32_t NrOfColors);

  /// Entry Ix (1-based); 0 when Ix is outside 1..GetNrOfColors().
  TColor GetColorElem(int32_t Ix) const;
  /// Sets entry Ix; ignored when Ix is outside 1..GetNrOfColors().
  void SetColorElem(int32_t Ix, TColor Color);

 private:
  std::vector<TColor> FColors;
};

}  // namespace zel
