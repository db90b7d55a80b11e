/// @file
/// The pixel layer of the off-screen graphics framework: colours and the
/// system colour table, pens, brushes, fonts, bitmaps in 15-, 24- and 32-bit
/// pixel formats with image files, the canvas that draws on a bitmap, and the
/// frame of the visual components (DrawFrame).
///
/// Everything here is exact: no anti-aliasing except in text, integer
/// geometry, written-down pixel rules (below, with each primitive), so that a
/// test can check every pixel. Image files are read and written by
/// gui/zel_imagefiles.hpp (BMP, PNG, JPEG); TBitmap's LoadFromFile and
/// SaveToFile call it.
///
/// Pixel words. A bitmap stores one 32-bit word per pixel for every pixel
/// format, in the TColor layout 0x00BBGGRR (red in the low byte); the high
/// byte is always 0. Rows are contiguous, top row first, Width words each.
/// A 15-bit bitmap keeps 5 bits per channel: every write quantises a channel
/// v to its top 5 bits and stores them expanded by bit replication,
/// (v & 0xF8) | (v >> 5), so reads give 0, 8, 16, ..., 255 exactly as a
/// 15-bit value expands to 8 bits. 24- and 32-bit bitmaps store the colour
/// unchanged; they differ only in the format they report (and 32-bit has no
/// alpha channel: the high byte stays 0).
///
/// Colours. TColor is 0x00BBGGRR. A value whose high byte is 0xFF names a
/// system colour (low byte = index into the fixed table of ColorToRGB); any
/// other high byte is ignored (the colour is the low 24 bits).
///
/// Errors. Content errors (damaged or unsupported image data, images above
/// the pixel limit, bad sizes) throw EInvalidGraphic; files that cannot be
/// opened, read or written throw the runtime's EInOutError with the errno
/// value. No routine here reports partly decoded data as success.
///
/// Threads: a bitmap and its canvas belong to one thread at a time; distinct
/// bitmaps may be used on distinct threads.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/zel_classes.hpp"
#include "core/zel_system.hpp"
#include "core/zel_zelbase.hpp"
#include "gui/zel_fonts.hpp"

namespace zel {

// ---------------------------------------------------------------------------
// Errors
// ---------------------------------------------------------------------------

/// A graphic that cannot be used: damaged, truncated or unsupported image
/// data, an image above the pixel limit, an unknown file extension, a
/// negative or too large bitmap size, an empty bitmap where one is needed.
class EInvalidGraphic : public EZELError {
 public:
  using EZELError::EZELError;
};

// ---------------------------------------------------------------------------
// Colours
// ---------------------------------------------------------------------------

///@{
/// The sixteen named colours.
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
///@}

/// "No colour": resolves to white (its low 24 bits) where a colour is drawn.
constexpr TColor clNone = 0x1FFFFFFF;

/// The system colour whose table index is Index (0..255).
constexpr TColor SystemColor(int32_t Index) {
  return static_cast<TColor>(0xFF000000u | (static_cast<uint32_t>(Index) & 0xFFu));
}

///@{
/// The system colours (indices of the system's colour table).
constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clActiveBorder = SystemColor(10);
constexpr TColor clInactiveBorder = SystemColor(11);
constexpr TColor clAppWorkSpace = SystemColor(12);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clInactiveCaptionText = SystemColor(19);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);
constexpr TColor clHotLight = SystemColor(26);
constexpr TColor clGradientActiveCaption = SystemColor(27);
constexpr TColor clGradientInactiveCaption = SystemColor(28);
constexpr TColor clMenuHighlight = SystemColor(29);
constexpr TColor clMenuBar = SystemColor(30);
///@}

/// The RGB value of a colour, 0x00BBGGRR. System colours come from one fixed
/// table (the look of a default desktop):
///   0 scroll bar C8C8C8, 1 background 000000, 2 active caption D1B499,
///   3 inactive caption DBCDBF, 4 menu F0F0F0, 5 window FFFFFF,
///   6 window frame 646464, 7 menu text 000000, 8 window text 000000,
///   9 caption text 000000, 10 active border B4B4B4, 11 inactive border
///   FCF7F4, 12 application workspace ABABAB, 13 highlight D77800,
///   14 highlight text FFFFFF, 15 button face F0F0F0, 16 button shadow
///   A0A0A0, 17 grey text 6D6D6D, 18 button text 000000, 19 inactive caption
///   text 000000, 20 button highlight FFFFFF, 21 3-D dark shadow 696969,
///   22 3-D light E3E3E3, 23 info text 000000, 24 info background E1FFFF,
///   26 hot light CC6600, 27 gradient active caption EAD1B9, 28 gradient
///   inactive caption F2E4D7, 29 menu highlight FF9933, 30 menu bar F0F0F0
/// (all as TColor values, blue in the high byte); indices 25 and 31..255 are
/// black. Any other colour gives its low 24 bits.
TColor ColorToRGB(TColor Color);

///@{
/// A colour from its components (each taken modulo 256).
constexpr TColor RGB(int32_t Red, int32_t Green, int32_t Blue) {
  return static_cast<TColor>((static_cast<uint32_t>(Red) & 0xFFu) |
                             ((static_cast<uint32_t>(Green) & 0xFFu) << 8) |
                             ((static_cast<uint32_t>(Blue) & 0xFFu) << 16));
}
constexpr uint8_t GetRValue(TColor Color) { return static_cast<uint8_t>(Color & 0xFF); }
constexpr uint8_t GetGValue(TColor Color) { return static_cast<uint8_t>((Color >> 8) & 0xFF); }
constexpr uint8_t GetBValue(TColor Color) { return static_cast<uint8_t>((Color >> 16) & 0xFF); }
///@}

// ---------------------------------------------------------------------------
// Enumerations of the pixel layer
// ---------------------------------------------------------------------------

/// Bits per pixel of a bitmap (see "Pixel words" above).
enum class TPixelFormat : int32_t { pf15bit = 0, pf24bit = 1, pf32bit = 2 };

/// The stored word of Color (RGB, high byte 0) in a bitmap of Format: 15-bit
/// keeps the top 5 bits of each channel, expanded by bit replication.
constexpr uint32_t QuantizeColor(TPixelFormat Format, uint32_t Rgb) {
  Rgb &= 0xFFFFFFu;
  if (Format != TPixelFormat::pf15bit) return Rgb;
  const uint32_t t = Rgb & 0xF8F8F8u;
  return t | ((t >> 5) & 0x070707u);
}

/// Line style of a pen. Dash patterns, in pixels along the line (on/off):
///   psDash 18/6, psDot 3/3, psDashDot 9/6/3/6, psDashDotDot 9/3/3/3/3/3.
/// psClear draws no line. Gaps are transparent (the pixels are not touched).
enum class TPenStyle : int32_t {
  psSolid = 0,
  psDash = 1,
  psDot = 2,
  psDashDot = 3,
  psDashDotDot = 4,
  psClear = 5
};

/// How a pen (and the interior of a shape) combines its colour P with the
/// destination pixel D, bitwise on the 24 colour bits:
///   pmBlack 0, pmWhite 1s, pmNop D, pmNot ~D, pmCopy P, pmNotCopy ~P,
///   pmMergePenNot P|~D, pmMaskPenNot P&~D, pmMergeNotPen ~P|D,
///   pmMaskNotPen ~P&D, pmMerge P|D, pmNotMerge ~(P|D), pmMask P&D,
///   pmNotMask ~(P&D), pmXor P^D, pmNotXor ~(P^D).
/// In a 15-bit bitmap the result is quantised; since the modes are bitwise,
/// that is the same as combining the 5-bit values, so pmXor twice restores.
enum class TPenMode : int32_t {
  pmBlack = 0,
  pmWhite = 1,
  pmNop = 2,
  pmNot = 3,
  pmCopy = 4,
  pmNotCopy = 5,
  pmMergePenNot = 6,
  pmMaskPenNot = 7,
  pmMergeNotPen = 8,
  pmMaskNotPen = 9,
  pmMerge = 10,
  pmNotMerge = 11,
  pmMask = 12,
  pmNotMask = 13,
  pmXor = 14,
  pmNotXor = 15
};

/// Brush: a solid colour, or clear (interiors are not painted).
enum class TBrushStyle : int32_t { bsSolid = 0, bsClear = 1 };

/// Raster operation of CopyRect, Draw and StretchDraw: how a source pixel S
/// combines with the destination D (and the brush colour P), bitwise on the
/// 24 colour bits. The values are the system's raster-operation codes.
enum class TCopyMode : int32_t {
  cmBlackness = 0x00000042,    ///< 0
  cmDstInvert = 0x00550009,    ///< ~D
  cmMergeCopy = 0x00C000CA,    ///< S & P
  cmMergePaint = 0x00BB0226,   ///< ~S | D
  cmNotSrcCopy = 0x00330008,   ///< ~S
  cmNotSrcErase = 0x001100A6,  ///< ~(S | D)
  cmPatCopy = 0x00F00021,      ///< P
  cmPatInvert = 0x005A0049,    ///< P ^ D
  cmPatPaint = 0x00FB0A09,     ///< P | ~S | D
  cmSrcAnd = 0x008800C6,       ///< S & D
  cmSrcCopy = 0x00CC0020,      ///< S
  cmSrcErase = 0x00440328,     ///< S & ~D
  cmSrcInvert = 0x00660046,    ///< S ^ D
  cmSrcPaint = 0x00EE0086,     ///< S | D
  cmWhiteness = 0x00FF0062     ///< 1s
};

/// How a stretched copy picks source pixels (values as the system numbers
/// them). smColorOnColor: destination pixel i (0-based in the destination
/// rectangle of width dw) takes source pixel sx0 + floor((2i + 1)·sw / (2·dw)),
/// the pixel under its centre; rows likewise. smHalftone: the area-weighted
/// mean of the source pixels under the destination pixel's footprint
/// [i·sw/dw, (i+1)·sw/dw) in x and likewise in y. The weights are the exact
/// overlap lengths, normalised per footprint in 16.16 fixed point so that
/// they sum to exactly 1; the horizontal means are kept to 1/256 of a level
/// and the result is rounded half up. So a uniform area keeps its colour
/// exactly and every result lies within one level of the exact mean.
/// Halftone copies of 2^18 destination pixels or more are computed in bands
/// of rows on ProcessorCount() threads (the result is the same). Besides the
/// weight tables (about one entry per source pixel of a row and a column),
/// a halftone copy holds a few destination rows of scratch per band, however
/// strongly it shrinks.
enum class TStretchMode : int32_t { smColorOnColor = 3, smHalftone = 4 };

/// Stage of a long image load, reported through TProgressEvent.
enum class TProgressStage : int32_t { psStarting = 0, psRunning = 1, psEnding = 2 };

/// Progress of an image load: psStarting with 0 before decoding starts,
/// psRunning whenever PercentDone (0..100) grows, psEnding with 100 after
/// success (not after a failure, which throws). RedrawNow is false, R is
/// empty and Msg is "" (kept for the system's signature). Sender is the
/// bitmap being loaded (its pixels change only after success). An exception
/// thrown by the handler aborts the load and propagates.
using TProgressEvent =
    std::function<void(TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow,
                       const TRect& R, const std::string& Msg)>;

// ---------------------------------------------------------------------------
// TPen, TBrush, TFont: property holders that the canvas reads when it draws
// ---------------------------------------------------------------------------

/// TPen, TBrush, TFont: property holders that the canvas reads when it draws
class TPen {
 public:
  ///@{
  /// Default: black, width 1, solid, copy.
  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value) { FColor = Value; }
  ///@}
  ///@{
  /// Width in pixels; values below 1 are stored as 1.
  int32_t GetWidth() const { return FWidth; }
  void SetWidth(int32_t Value) { FWidth = Value < 1 ? 1 : Value; }
  TPenStyle GetStyle() const { return FStyle; }
  void SetStyle(TPenStyle Value) { FStyle = Value; }
  TPenMode GetMode() const { return FMode; }
  void SetMode(TPenMode Value) { FMode = Value; }
  friend bool operator==(const TPen&, const TPen&) = default;
  ///@}

 private:
  TColor FColor = clBlack;
  int32_t FWidth = 1;
  TPenStyle FStyle = TPenStyle::psSolid;
  TPenMode FMode = TPenMode::pmCopy;
};

/// The fill colour and style of a canvas.
class TBrush {
 public:
  ///@{
  /// Default: white, solid.
  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value) { FColor = Value; }
  TBrushStyle GetStyle() const { return FStyle; }
  void SetStyle(TBrushStyle Value) { FStyle = Value; }
  friend bool operator==(const TBrush&, const TBrush&) = default;
  ///@}

 private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = TBrushStyle::bsSolid;
};

/// A font description plus its colour. Name, Size (points at 96 pixels per
/// inch), Style and Orientation (tenths of a degree counter-clockwise) are
/// those of TFontSpec, whose defaults a new font takes; Color is black.
class TFont {
 public:
  TFont() = default;
  /// The font Face in Color.
  explicit TFont(const TFontSpec& Face, TColor Color = clBlack) : FSpec(Face), FColor(Color) {}

  /// The name.
  const std::string& GetName() const { return FSpec.Name; }
  /// Sets the name.
  void SetName(const std::string& Value) { FSpec.Name = Value; }
  /// The size.
  int32_t GetSize() const { return FSpec.Size; }
  /// Sets the size.
  void SetSize(int32_t Value) { FSpec.Size = Value; }
  /// The color.
  TColor GetColor() const { return FColor; }
  /// Sets the color.
  void SetColor(TColor Value) { FColor = Value; }
  /// The style.
  TFontStyles GetStyle() const { return FSpec.Style; }
  /// Sets the style.
  void SetStyle(TFontStyles Value) { FSpec.Style = Value; }
  /// The orientation.
  int32_t GetOrientation() const { return FSpec.Orientation; }
  /// Sets the orientation.
  void SetOrientation(int32_t Value) { FSpec.Orientation = Value; }

  ///@{
  /// What the font engine needs (everything but the colour).
  const TFontSpec& GetSpec() const { return FSpec; }
  void SetSpec(const TFontSpec& Value) { FSpec = Value; }
  operator const TFontSpec&() const { return FSpec; }
  ///@}

  /// Same description and colour.
  friend bool operator==(const TFont&, const TFont&) = default;

 private:
  TFontSpec FSpec;
  TColor FColor = clBlack;
};

/// Pen, brush and font of a canvas, as SaveState returns them.
struct TCanvasState {
  TPen Pen;      ///< the pen
  TBrush Brush;  ///< the brush
  TFont Font;    ///< the font
  /// All three equal.
  friend bool operator==(const TCanvasState&, const TCanvasState&) = default;
};

class TBitmap;

// ---------------------------------------------------------------------------
// TCanvas: drawing on a bitmap
// ---------------------------------------------------------------------------
///
/// Coordinates. A canvas draws in logical coordinates; a pixel (x, y) is the
/// device pixel (x + Origin.x, y + Origin.y) of the target bitmap, and
/// (0, 0) is its top-left pixel. All geometry is computed in 64-bit integers
/// after adding the origin, and clipped before any pixel loop runs, so
/// coordinates anywhere in the 32-bit range (a line from (-2e9, -2e9) to
/// (2e9, 2e9)) draw correctly and cost only the visible pixels.
///
/// Clipping. Every drawing routine changes only pixels inside the bitmap and
/// inside the clip rectangle when one is set (Right and Bottom exclusive, in
/// logical coordinates). Reads (GetPixels, a CopyRect source) ignore the
/// clip rectangle.
///
/// Colours are resolved with ColorToRGB when drawn. In a 15-bit bitmap every
/// written pixel is quantised (QuantizeColor).
///
/// Pixel rules of the primitives (W = pen width, pen "on" = style not clear):
/// - Lines. LineTo(x1, y1) from the pen position (x0, y0) sets the pixels of
///   the digital line with n = max(|x1 - x0|, |y1 - y0|) steps, i = 0..n-1
///   (the end pixel is excluded): along the major axis the coordinate moves
///   one pixel per step, the minor coordinate is the nearest integer to the
///   exact line, i·|d_minor|/n from the start, halves rounded away from the
///   start (Bresenham). A line of length 0 sets nothing.
/// - Dash patterns count the pixels of consecutive LineTo calls (and of the
///   segments of one Polyline, Polygon or Rectangle outline) continuously:
///   the count restarts at 0 with MoveTo and at the start of every Polyline,
///   Polygon and Rectangle. Pixel i of the path is drawn when the pattern is
///   "on" at position floor(count_i / W).
/// - Wide pens (W > 1) put a W x W square on every drawn pixel of the
///   width-1 path, covering x - (W-1)/2 .. x + W/2 and the same in y (integer
///   division). The union of the squares is filled row by row as spans, so a
///   pen of any width (up to 2^31 - 1) costs the visible pixels it covers.
/// - Polygon fills visit, on each visible row, only the edges that cross it
///   (an edge table sorted by first row with an active edge list): an
///   outline of 10^6 vertices fills in milliseconds.
/// - Once per call. One call (LineTo, Polyline, or a shape) changes each
///   pixel at most once, however its segments and squares overlap, so a
///   pmXor figure drawn twice restores the picture. Consecutive LineTo calls
///   are separate calls (with wide pens their squares overlap at the joins).
/// - Mode. Lines and outlines combine the pen colour with the destination
///   through the pen mode; the interiors of Rectangle, Ellipse and Polygon
///   combine the brush colour through the same pen mode (so an pmXor shape
///   drawn twice restores). In a shape, a pixel belongs to the outline or to
///   the interior, never both. FillRect, FrameRect, SetPixels, and text always
///   replace (copy) the destination.
class TCanvas : public TObject {
 public:
  ///@{
  /// A canvas on Target, which must outlive the canvas (nullptr: the canvas
  /// draws nothing and reads 0).
  explicit TCanvas(TBitmap* Target = nullptr) : FTarget(Target) {}
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;
  ///@}

  /// The target.
  TBitmap* GetTarget() const { return FTarget; }
  /// Sets the target.
  void SetTarget(TBitmap* Target) { FTarget = Target; }

  // --- State ---------------------------------------------------------------
  /// The pen.
  TPen& GetPen() { return FState.Pen; }
  /// The pen.
  const TPen& GetPen() const { return FState.Pen; }
  /// Sets the pen.
  void SetPen(const TPen& Value) { FState.Pen = Value; }
  /// The brush.
  TBrush& GetBrush() { return FState.Brush; }
  /// The brush.
  const TBrush& GetBrush() const { return FState.Brush; }
  /// Sets the brush.
  void SetBrush(const TBrush& Value) { FState.Brush = Value; }
  /// The font.
  TFont& GetFont() { return FState.Font; }
  /// The font.
  const TFont& GetFont() const { return FState.Font; }
  /// Sets the font.
  void SetFont(const TFont& Value) { FState.Font = Value; }
  ///@{
  /// Raster operation of CopyRect, Draw and StretchDraw (default cmSrcCopy).
  TCopyMode GetCopyMode() const { return FCopyMode; }
  void SetCopyMode(TCopyMode Value) { FCopyMode = Value; }
  ///@}
  ///@{
  /// Pixel choice of stretched copies (default smColorOnColor).
  TStretchMode GetStretchMode() const { return FStretchMode; }
  void SetStretchMode(TStretchMode Value) { FStretchMode = Value; }
  ///@}

  ///@{
  /// Pen, brush and font, to put back later with RestoreState (the pen
  /// position, the modes, origin and clip are not part of it).
  TCanvasState SaveState() const { return FState; }
  void RestoreState(const TCanvasState& State) { FState = State; }
  ///@}

  ///@{
  /// Logical (0, 0) lies at device pixel Origin (default (0, 0)).
  TPoint GetOrigin() const { return FOrigin; }
  void SetOrigin(TPoint Value) { FOrigin = Value; }
  ///@}

  /// The clip rectangle in logical coordinates (Right and Bottom exclusive;
  /// an empty or reversed one clips everything away).
  void SetClipRect(const TRect& R);
  ///@{
  /// Back to no clip rectangle (the bitmap bounds alone clip).
  void ClearClipRect() { FHasClip = false; }
  bool HasClipRect() const { return FHasClip; }
  ///@}
  /// The clip rectangle exactly as last given to SetClipRect, not cut to the
  /// bitmap (what to give back to SetClipRect to restore it); meaningful
  /// while HasClipRect().
  TRect GetRequestedClipRect() const { return FClip; }
  /// The area drawing may change, in logical coordinates: the bitmap bounds,
  /// intersected with the clip rectangle when set. Empty (all 0) without a
  /// target or when nothing is visible.
  TRect GetClipRect() const;

  // --- Pixels --------------------------------------------------------------
  /// The colour of logical pixel (X, Y); 0 outside the bitmap or without a
  /// target (the clip rectangle does not matter).
  TColor GetPixels(int32_t X, int32_t Y) const;
  /// Sets logical pixel (X, Y) to Color (copy, quantised in 15-bit bitmaps);
  /// ignored outside the bitmap or the clip rectangle.
  void SetPixels(int32_t X, int32_t Y, TColor Color);

  // --- Lines ---------------------------------------------------------------
  /// The pen pos.
  TPoint GetPenPos() const { return FPenPos; }
  /// Same as MoveTo.
  void SetPenPos(TPoint Value) { MoveTo(Value.x, Value.y); }
  /// Sets the pen position and restarts the dash pattern.
  void MoveTo(int32_t X, int32_t Y);
  /// A line from the pen position to (X, Y), end pixel excluded (pixel rules
  /// above); the pen position becomes (X, Y) and the dash pattern continues.
  void LineTo(int32_t X, int32_t Y);
  /// MoveTo(X1, Y1), then LineTo(X2, Y2).
  void Line(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2);
  ///@{
  /// MoveTo(Points[0]) and LineTo each following point, as one call for the
  /// once-per-pixel rule of wide pens; the pen position becomes the last
  /// point. Fewer than 2 points draw nothing (one point still moves the pen).
  void Polyline(std::span<const TPoint> Points);
  void Polyline(std::initializer_list<TPoint> Points) {
    Polyline(std::span<const TPoint>(Points.begin(), Points.size()));
  }
  ///@}

  // --- Shapes --------------------------------------------------------------
  ///@{
  /// The box of Rectangle and Ellipse is [X1, X2) x [Y1, Y2): right and
  /// bottom excluded; reversed corners are exchanged first; an empty box
  /// draws nothing. The pen position does not change.
  ///
  /// Rectangle: the outline is the closed path through the box's outermost
  /// pixels (columns X1 and X2-1, rows Y1 and Y2-1), walked clockwise from
  /// (X1, Y1) for the dash pattern, with the pen (wide pens as above, so they
  /// extend (W-1)/2 outside); the interior is every other pixel of the box
  /// (with a clear pen: the whole box), painted with the brush unless it is
  /// clear. A box one pixel wide or high is all outline (drawn solid).
  void Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2);
  void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
  ///@}
  ///@{
  /// Ellipse inscribed in the box: the region is every pixel whose centre
  /// (x + 0.5, y + 0.5) lies inside or on the ellipse with centre
  /// ((X1+X2)/2, (Y1+Y2)/2) and semi-axes (X2-X1)/2, (Y2-Y1)/2 (computed
  /// exactly in integers for boxes up to 2^30 pixels, in 80-bit floating
  /// point beyond). The outline is the set of region pixels that have a
  /// 4-neighbour outside the region (a closed 8-connected curve); it is drawn
  /// with the pen, solid for every style except psClear (dash patterns are
  /// not applied to ellipses); the rest of the region is the interior.
  void Ellipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2);
  void Ellipse(const TRect& R) { Ellipse(R.Left, R.Top, R.Right, R.Bottom); }
  ///@}
  ///@{
  /// Polygon through Points, closed back to the first. Interior (even-odd
  /// rule): pixel (x, y) is inside when the point (x, y) lies inside the
  /// polygon whose vertices are the given points (all taken as pixel
  /// centres); on an edge, points are inside on the left and top edges and
  /// outside on the right and bottom ones (half-open spans), so
  /// (0,0) (10,0) (10,10) (0,10) fills pixels 0..9 x 0..9. The outline is
  /// the closed path of lines through the points (so it adds column 10 and
  /// row 10 in the example). Fewer than 2 points draw nothing.
  void Polygon(std::span<const TPoint> Points);
  void Polygon(std::initializer_list<TPoint> Points) {
    Polygon(std::span<const TPoint>(Points.begin(), Points.size()));
  }
  ///@}
  /// Pixels [Left, Right) x [Top, Bottom) with the brush colour, copied; no
  /// exchange of reversed corners (then nothing is drawn); nothing with a
  /// clear brush.
  void FillRect(const TRect& R);
  /// The one-pixel border just inside [Left, Right) x [Top, Bottom) with the
  /// brush colour, copied; nothing with a clear brush or an empty rectangle.
  void FrameRect(const TRect& R);

  // --- Text (fonts from gui/zel_fonts.hpp) ---------------------------------
  /// Draws Utf8 with its unrotated cell's top-left corner at (X, Y), rotated
  /// by Font.Orientation about (X, Y). Unless the brush is clear, the cell
  /// box (TTextMask::Box) is first filled with the brush colour (pixels whose
  /// centre lies inside the box, left and top edges inside). The glyph
  /// coverage c (0..255) then blends the font colour F over the destination:
  /// each channel becomes (D·(255 - c) + F·c + 127) / 255 (copy: the pen mode
  /// does not apply to text). Afterwards the pen position is
  /// (X + TextWidth(Utf8), Y), as after MoveTo. Font errors (EFontError of
  /// gui/zel_fonts.hpp) propagate.
  void TextOut(int32_t X, int32_t Y, std::string_view Utf8);
  ///@{
  /// Advance width and line height of unrotated text in the current font.
  int32_t TextWidth(std::string_view Utf8) const;
  int32_t TextHeight(std::string_view Utf8) const;
  TSize TextExtent(std::string_view Utf8) const;
  ///@}

  // --- Copies --------------------------------------------------------------
  /// Copies SourceRect of Source's bitmap onto Dest of this canvas through
  /// the copy mode. Both rectangles are in the coordinates of their canvas
  /// (each with its own origin); Right and Bottom exclusive; empty or
  /// reversed rectangles copy nothing. Equal sizes copy 1:1; otherwise the
  /// source is stretched with the stretch mode (see TStretchMode). Source
  /// pixels outside the source bitmap are not drawn (their destination pixels
  /// keep their colour; in smHalftone the part of a footprint outside the
  /// source does not count). The source may be this canvas, overlapping
  /// areas included (the source is read before anything is written). The
  /// brush colour is the pattern P of the modes that use one.
  void CopyRect(const TRect& Dest, const TCanvas& Source, const TRect& SourceRect);
  /// The whole of Source with its top-left pixel at (X, Y), through the copy
  /// mode, 1:1.
  void Draw(int32_t X, int32_t Y, const TBitmap& Source);
  /// The whole of Source stretched onto Dest, through the copy mode and the
  /// stretch mode.
  void StretchDraw(const TRect& Dest, const TBitmap& Source);
  /// The whole of Source at (X, Y), 1:1, copying every pixel except those
  /// whose colour equals ColorToRGB(TransparentColor) after quantisation to
  /// Source's format (a glyph with a background colour).
  void DrawTransparent(int32_t X, int32_t Y, const TBitmap& Source, TColor TransparentColor);

 private:
  TBitmap* FTarget;
  TCanvasState FState;
  TCopyMode FCopyMode = TCopyMode::cmSrcCopy;
  TStretchMode FStretchMode = TStretchMode::smColorOnColor;
  TPoint FPenPos;
  ///@{
  /// Pixels of the current dash pattern already drawn since MoveTo.
  int64_t FPatternPos = 0;
  TPoint FOrigin;
  bool FHasClip = false;
  TRect FClip;
  ///@}
};

/// Puts back the pen, brush and font that Canvas had when the guard was made.
class TCanvasStateSaver {
 public:
  /// Saves the state of Canvas, which must outlive the guard.
  explicit TCanvasStateSaver(TCanvas& Canvas) : FCanvas(Canvas), FState(Canvas.SaveState()) {}
  ~TCanvasStateSaver() { FCanvas.RestoreState(FState); }
  TCanvasStateSaver(const TCanvasStateSaver&) = delete;
  TCanvasStateSaver& operator=(const TCanvasStateSaver&) = delete;

 private:
  TCanvas& FCanvas;
  TCanvasState FState;
};

// ---------------------------------------------------------------------------
// TBitmap
// ---------------------------------------------------------------------------

/// An image in memory: Width x Height pixel words (see "Pixel words" above)
/// and a canvas that draws on it. Copying a bitmap copies its size, format
/// and pixels; the copy has a canvas of its own in the default state.
/// Moving moves the pixels; the target keeps its canvas (and its state).
class TBitmap : public TPersistent {
 public:
  /// An empty 24-bit bitmap.
  TBitmap() = default;
  ///@{
  /// Width x Height pixels of Format, white; throws as SetSize.
  TBitmap(int32_t Width, int32_t Height, TPixelFormat Format = TPixelFormat::pf24bit);
  TBitmap(const TBitmap& Other);
  TBitmap(TBitmap&& Other) noexcept;
  TBitmap& operator=(const TBitmap& Other);
  TBitmap& operator=(TBitmap&& Other) noexcept;
  ~TBitmap() override = default;
  ///@}

  std::string ClassName() const override { return "TBitmap"; }

  ///@{
  /// Copies size, format and pixels of a TBitmap; nullptr empties this
  /// bitmap; other sources throw as TPersistent::Assign does.
  void Assign(const TPersistent* Source) override;
  void Assign(const TBitmap& Source) { Assign(static_cast<const TPersistent*>(&Source)); }
  ///@}

  /// The width.
  int32_t GetWidth() const { return FWidth; }
  /// The height.
  int32_t GetHeight() const { return FHeight; }
  /// Sets the width.
  void SetWidth(int32_t Value) { SetSize(Value, FHeight); }
  /// Sets the height.
  void SetHeight(int32_t Value) { SetSize(FWidth, Value); }
  /// New size; the pixels of the common top-left part are kept, new pixels
  /// are white. Throws EInvalidGraphic for a negative size or more than
  /// 2^30 pixels. A size with a zero side is empty.
  void SetSize(int32_t Width, int32_t Height);
  /// True when Width or Height is 0.
  bool GetEmpty() const { return FWidth == 0 || FHeight == 0; }

  /// The pixel format.
  TPixelFormat GetPixelFormat() const { return FFormat; }
  /// Converts the pixels: to pf15bit quantises every pixel; to 24 or 32 bit
  /// keeps them (a 15-bit image stays as it is, expanded).
  void SetPixelFormat(TPixelFormat Value);

  /// Pixel (X, Y) as an RGB colour; 0 outside the bitmap.
  TColor GetPixel(int32_t X, int32_t Y) const;
  /// Sets pixel (X, Y) to ColorToRGB(Color), quantised to the format;
  /// ignored outside the bitmap.
  void SetPixel(int32_t X, int32_t Y, TColor Color);

  ///@{
  /// Scan line Row (0 = top): Width pixel words. Throws EInvalidGraphic for
  /// a row outside 0..Height-1. Words written here must be valid for the
  /// format (high byte 0; in a 15-bit bitmap, quantised: QuantizeColor).
  uint32_t* GetScanLine(int32_t Row);
  const uint32_t* GetScanLine(int32_t Row) const;
  ///@}
  ///@{
  /// All rows, top first, Width words each (nullptr when empty).
  uint32_t* GetBits() { return FPixels.empty() ? nullptr : FPixels.data(); }
  const uint32_t* GetBits() const { return FPixels.empty() ? nullptr : FPixels.data(); }
  ///@}

  /// The canvas that draws on this bitmap.
  TCanvas& GetCanvas() { return FCanvas; }

  /// Same size and the same pixel words (the format is not compared).
  bool SameImage(const TBitmap& Other) const;

  /// Reads a BMP, PNG or JPEG file, the format recognised from its first
  /// bytes (gui/zel_imagefiles.hpp has the details and the pixel limit). On
  /// success the bitmap takes the image's size, pixels and format; on any
  /// error it is unchanged and the call throws (EInOutError when the file
  /// cannot be read or is not a regular file, EInvalidGraphic for its
  /// content or when it is larger than MaxImageFileBytes()).
  void LoadFromFile(const std::string& FileName, const TProgressEvent& OnProgress = {});
  /// The same from bytes in memory.
  void LoadFromMemory(std::span<const uint8_t> Data, const TProgressEvent& OnProgress = {});
  /// Writes the bitmap in the format its file name's extension names (case
  /// ignored): ".bmp", ".dib" or no extension: 24-bit BMP; ".png": 8-bit RGB
  /// PNG; ".jpg", ".jpeg", ".jpe", ".jfif": JPEG of JPEGQuality (1..100,
  /// clamped). Any other extension, or an empty bitmap, throws
  /// EInvalidGraphic; a file that cannot be written throws EInOutError.
  void SaveToFile(const std::string& FileName, int32_t JPEGQuality = 90) const;

 private:
  int32_t FWidth = 0;
  int32_t FHeight = 0;
  TPixelFormat FFormat = TPixelFormat::pf24bit;
  std::vector<uint32_t> FPixels;
  TCanvas FCanvas{this};
};

// ---------------------------------------------------------------------------
// DrawFrame
// ---------------------------------------------------------------------------

/// The frame of a visual component. R's corners are the outermost pixels of
/// the frame, all inclusive (callers pass (0, 0, Width - 1, Height - 1)); a
/// reversed R is exchanged first. The colours are, in order, the darkest
/// (black), the shadow (grey), the light (silver) and the highlight (white).
/// Each ring "A/B" paints its top row and left column (from the top-left
/// corner up to, not including, the other two corners) in A, and its bottom
/// row and right column (corners included) in B:
///   fsNone    nothing;
///   fsSimple  one ring Dark/Dark (a plain rectangle);
///   fsLowered the ring on R Shadow/Highlight, inside it (R inset by 1)
///             Dark/Light: a sunken field;
///   fsRaised  the ring on R Light/Dark, inside it Highlight/Shadow: a raised
///             field.
/// Pixels are copied (pen mode and pen state are neither used nor changed),
/// clipped as any drawing. Rings that collapse (R less than 2 pixels wide or
/// high for the inner ring) draw what remains of their rows and columns.
void DrawFrame(TCanvas& Canvas, TFrameStyle Style, const TRect& R, TColor Dark, TColor Shadow,
               TColor Light, TColor Highlight);

}  // namespace zel
