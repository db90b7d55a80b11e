/// @file
/// Text rendering for the canvas: fonts found by family name through
/// fontconfig, glyphs rasterised by FreeType and cached. The canvas
/// (gui/zel_graphics.hpp) measures and draws text through these routines
/// only; TFont converts itself to a TFontSpec.
///
/// Finding the font file
///   The family names "Arial" and "Helvetica" are looked up as "Liberation
///   Sans", "Times New Roman" and "Times" as "Liberation Serif", "Courier New"
///   and "Courier" as "Liberation Mono" (metric-compatible stand-ins, so text
///   widths come out as with the Windows fonts). Any other name is passed to
///   fontconfig as it is. A match is taken only when the font fontconfig
///   returns really belongs to the family asked for (or the name is one of
///   fontconfig's generic families: "sans-serif", "serif", "monospace",
///   "sans", "mono"); otherwise, and for an empty name, "DejaVu Sans" of the
///   same style is used. Only scalable (outline) fonts are used. Bold asks for
///   weight bold, italic for slant italic; when the file found has no such
///   face, the outlines are emboldened (by max(1, round(em/24)) pixels, which
///   also widens each advance by that much) or slanted (shear 0.2) instead.
///   Characters the font lacks are taken from DejaVu Sans of the same style
///   when it has them, else drawn as the font's missing-glyph box.
///   Results of the lookup are kept for the life of the process; FreeType and
///   every face are opened once.
///
/// Sizes and metrics (all in whole pixels)
///   The em size is round(|Size| * 96 / 72) pixels (Size in points at 96
///   pixels per inch; Size * 4/3 never ends in a half), at least 1 and at
///   most 1000: 10 pt is 13 pixels, 12 pt 16, 14 pt 19. FreeType is set to
///   that pixel size (FT_Set_Pixel_Sizes(face, 0, em)).
///   Ascent and Descent come from the OS/2 table's usWinAscent and
///   usWinDescent (what Windows uses for the line height), or from the hhea
///   ascender and descender when the OS/2 table is missing or holds zeros,
///   scaled by em / unitsPerEm and rounded up: every glyph of a well-made font
///   fits between the cell's top and bottom.
///   Height = Ascent + Descent is the height of a line (TextHeight).
///   The advance of a glyph is what FreeType reports for it with its default
///   hinting (FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP, no transform) rounded to
///   whole pixels; kerning (the font's 'kern' table, FT_KERNING_DEFAULT,
///   grid-fitted) is added between two consecutive glyphs of the same face.
///   The width of a text is the sum of its advances and kernings, so for a
///   font without kerning it is additive over concatenation.
///
/// Reference point and rotation
///   (X, Y) is the top-left corner of the text's cell box: the baseline lies
///   at Y + Ascent, the first glyph's pen origin at (X, Y + Ascent). A
///   rotated text turns about (X, Y) by Orientation tenths of a degree
///   counter-clockwise on the screen (900: the text runs upward). A point
///   (u, v) of the unrotated cell box (u to the right, v downward) lands at
///     x = X + u cos(a) + v sin(a),   y = Y - u sin(a) + v cos(a).
///   Angles that are multiples of 90 degrees use exact sines and cosines, so
///   a text turned by 90 degrees is its unrotated mask transposed.
///   Glyph origins of unrotated text are whole pixels; rotated origins are
///   placed to a quarter pixel.
///
/// Underline and strike-out
///   Both are bars the width of the cell box. The underline's thickness is
///   the post table's underlineThickness (at least 1 pixel) and its centre
///   lies underlinePosition below the baseline (its top rounded to a whole
///   pixel, at least at the baseline row and, where the cell leaves room,
///   inside it). The strike-out bar is the OS/2 table's yStrikeoutSize thick
///   with its top yStrikeoutPosition above the baseline (without those
///   values: the underline's thickness, its top at 0.3 em). Rotated with the
///   text, anti-aliased at their edges.
///
/// Threads
///   Every routine may be called from several threads at once: the font
///   lookup, FreeType and the glyph cache sit behind one mutex; compositing a
///   mask runs outside it.
///
/// Glyph cache
///   Rendered glyphs are kept by (face, em size, orientation, glyph index,
///   synthetic style, quarter-pixel phase). The cache is emptied when its
///   glyph bitmaps exceed 32 MiB.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/zel_system.hpp"
#include "core/zel_zelbase.hpp"

namespace zel {

/// A style of a font.
enum class TFontStyle : int32_t { fsBold = 0, fsItalic = 1, fsUnderline = 2, fsStrikeOut = 3 };
using TFontStyles = TEnumSet<TFontStyle>;  ///< set of TFontStyle

/// Width and height in pixels.
struct TSize {
  int32_t cx = 0;  ///< width
  int32_t cy = 0;  ///< height
  /// Both sizes equal.
  friend bool operator==(const TSize&, const TSize&) = default;
};

/// What a font looks like.
struct TFontSpec {
  /// Family name as fontconfig matches it ("Arial", "Courier New", "Times New
  /// Roman", "Liberation Mono", ...).
  std::string Name = "Arial";
  ///@{
  /// Size in points at 96 pixels per inch (a 12-point font is 16 pixels em).
  int32_t Size = 10;
  TFontStyles Style;
  ///@}
  ///@{
  /// Rotation of the text, tenths of a degree counter-clockwise.
  int32_t Orientation = 0;
  friend bool operator==(const TFontSpec&, const TFontSpec&) = default;
  ///@}
};

/// Raised when no usable font file exists at all (no fontconfig match, not
/// even the fallback family), and for an unclipped mask beyond the size limit
/// of FontRenderText.
class EFontError : public EZELError {
 public:
  using EZELError::EZELError;
};

/// Vertical metrics of a font in pixels: Height = Ascent + Descent is the
/// height of a line of text (what TextHeight reports).
struct TFontMetrics {
  int32_t Ascent = 0;   ///< above the baseline
  int32_t Descent = 0;  ///< below the baseline
  int32_t Height = 0;   ///< Ascent + Descent
};

/// Ascent, Descent and Height of the font (rules above). Orientation plays no
/// part. Raises EFontError when no font file can be found.
TFontMetrics FontGetMetrics(const TFontSpec& Font);

/// Extent of unrotated text: the sum of the glyph advances (with kerning) and
/// the line height. An empty text has width 0 and the line height.
/// Malformed UTF-8 bytes count as U+FFFD each. Orientation plays no part.
/// Raises EFontError when no font file can be found.
TSize FontTextExtent(const TFontSpec& Font, std::string_view Utf8);

/// Rendered text in device coordinates.
struct TTextMask {
  ///@{
  /// The mask covers pixels Left..Left+Width-1, Top..Top+Height-1.
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  ///@}
  /// Width * Height coverage values, row by row from the top: 0 is
  /// background, 255 full ink; values between are anti-aliased edges.
  std::vector<uint8_t> Coverage;
  /// The text's cell box (advance width by line height, with the origin at
  /// its top-left corner) after rotation, corners in the order top-left,
  /// top-right, bottom-right, bottom-left of the unrotated box: the area an
  /// opaque background fills.
  TPointDouble Box[4];
};

/// Renders text whose unrotated cell box has its top-left corner at (X, Y),
/// rotated counter-clockwise about (X, Y) by Font.Orientation, with underline
/// and strike-out drawn into the mask.
/// The mask is the smallest rectangle holding every pixel with ink (Width and
/// Height 0, Coverage empty, when there is none: empty text, blanks only).
/// Overlapping glyphs combine by the larger coverage. Box is filled in every
/// case (an empty text's box has width 0). Raises EFontError when no font file
/// can be found, or when the text is too large to return whole: when the
/// bounding rectangle of Box, widened on every side by the largest distance
/// of ink from a glyph origin (the font's bounding box, turned), covers more
/// than 2^26 pixels, which a long rotated text soon does. A canvas uses the
/// clipped form below.
TTextMask FontRenderText(const TFontSpec& Font, std::string_view Utf8, int32_t X, int32_t Y);

/// The same, with the mask cut to the pixels Clip.Left..Clip.Right-1,
/// Clip.Top..Clip.Bottom-1 (an empty or reversed Clip gives an empty mask).
/// Glyphs entirely outside the clip rectangle are not rasterised, so a very
/// long text costs only what is visible. Box is not clipped.
TTextMask FontRenderText(const TFontSpec& Font, std::string_view Utf8, int32_t X, int32_t Y,
                         const TRect& Clip);

/// The font file fontconfig chose for a font description (for diagnostics and tests).
/// Raises EFontError when there is none.
std::string FontResolvedFile(const TFontSpec& Font);

/// Number of glyph bitmaps in the cache (for tests and diagnostics).
int64_t FontCachedGlyphCount();

/// Empties the glyph cache (the resolved fonts and open faces stay).
void FontClearGlyphCache();

}  // namespace zel
