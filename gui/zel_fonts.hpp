// Text rendering for the canvas: fonts found by family name through
// fontconfig, glyphs rasterised by FreeType and cached. The canvas
// (gui/zel_graphics.hpp) measures and draws text through these routines
// only; TFont converts itself to a TFontSpec.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/zel_system.hpp"
#include "core/zel_zelbase.hpp"

namespace zel {

enum class TFontStyle : int32_t { fsBold = 0, fsItalic = 1, fsUnderline = 2, fsStrikeOut = 3 };
using TFontStyles = TEnumSet<TFontStyle>;

// Width and height in pixels.
struct TSize {
  int32_t cx = 0;
  int32_t cy = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

// What a font looks like.
struct TFontSpec {
  // Family name as fontconfig matches it ("Arial", "Courier New", "Times New
  // Roman", "Liberation Mono", ...).
  std::string Name = "Arial";
  // Size in points at 96 pixels per inch (a 12-point font is 16 pixels em).
  int32_t Size = 10;
  TFontStyles Style;
  // Rotation of the text, tenths of a degree counter-clockwise.
  int32_t Orientation = 0;
  friend bool operator==(const TFontSpec&, const TFontSpec&) = default;
};

// Vertical metrics of a font in pixels: Height = Ascent + Descent is the
// height of a line of text (what TextHeight reports).
struct TFontMetrics {
  int32_t Ascent = 0;
  int32_t Descent = 0;
  int32_t Height = 0;
};

TFontMetrics FontGetMetrics(const TFontSpec& Font);

// Extent of unrotated text: the sum of the glyph advances (with kerning) and
// the line height. An empty text has width 0 and the line height.
TSize FontTextExtent(const TFontSpec& Font, std::string_view Utf8);

// Rendered text in device coordinates.
struct TTextMask {
  // The mask covers pixels Left..Left+Width-1, Top..Top+Height-1.
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  // Width * Height coverage values, row by row from the top: 0 is
  // background, 255 full ink; values between are anti-aliased edges.
  std::vector<uint8_t> Coverage;
  // The text's cell box (advance width by line height, with the origin at
  // its top-left corner) after rotation, corners in the order top-left,
  // top-right, bottom-right, bottom-left of the unrotated box: the area an
  // opaque background fills.
  TPointDouble Box[4];
};

// Renders text whose unrotated cell box has its top-left corner at (X, Y),
// rotated counter-clockwise about (X, Y) by Font.Orientation, with underline
// and strike-out drawn into the mask.
TTextMask FontRenderText(const TFontSpec& Font, std::string_view Utf8, int32_t X, int32_t Y);

// The font file fontconfig chose for a spec (for diagnostics and tests).
std::string FontResolvedFile(const TFontSpec& Font);

}  // namespace zel
