/// @file
/// Zel_geomap, the map display: TGeoMap, a control of the off-screen graphics
/// layer (gui/zel_controls.hpp) that shows a raster map image at a
/// magnification, overlays a graticule or UTM grid, the calibration points
/// and a freehand mouse trace, lets the mouse pan and zoom it, and reports
/// positions in degrees through the calibration it owns (TMapCalibration of
/// map/geomap/zel_mapcalib.hpp).
///
/// Families, in the order of this header:
///   1. Types and events
///   2. The control: creation, calibration members (forwarded), look
///   3. The map image: loading, assigning, resizing, saving, renaming
///   4. The view: magnification, top-left pixel, zoom history, conversions
///   5. Mouse interaction, mouse trace and the modal box entry
///   6. Generated empty maps
///   7. Output: clipboard, bitmap, printer
///   8. Landmarks (forwarded to the landmark list, zel_landmarks.hpp)
///
/// Conventions of the unit:
///   - "Map pixels" are integer positions in the full-resolution map image;
///     "control pixels" are positions on the control, (0, 0) at its top
///     left. The view is the map pixel at the control's top-left corner
///     (TopLeft) and the magnification M (control pixels per map pixel):
///     control = round((map - TopLeft) * M), map = round(control / M) +
///     TopLeft, both computed in 80-bit floating point and saturated to the
///     32-bit range, so far-away positions never overflow.
///   - M lies in [kMinMagnification, kMaxMagnification] = [1/1000, 1000];
///     every writer clamps to that range and ignores NaN.
///   - Rendering happens off screen into a 15-bit buffer (pf15bit: 5 bits per
///     channel, so colours and XOR results are those of a 15-bit device),
///     which Paint copies onto the control. Property writers invalidate the
///     control; the picture is drawn when it is next needed (Update, a
///     snapshot of the host).
///   - Mouse feedback (zoom and select rectangles, rubber band line) is drawn
///     in XOR mode directly on the control's surface between paints.
///   - Errors raise EZELGeoMapError with 'Component "\<Name>": \<text>' (the
///     class name when the control has no name).
///   - The control owns a landmark list (zel_landmarks.hpp) and forwards the
///     landmark members under their names; the list draws them at steps 6
///     and 8 of the rendering, converted with CalcPixelCoords and
///     MapImageToControl (landmarks that do not convert are skipped).
///   - Single-threaded: every call belongs to the GUI thread. MouseBox runs
///     the application's message loop re-entrantly.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/zel_zelbase.hpp"
#include "gui/zel_controls.hpp"
#include "gui/zel_graphics.hpp"
#include "gui/zel_printers.hpp"
#include "map/geomap/zel_landmarks.hpp"
#include "map/geomap/zel_mapcalib.hpp"

namespace zel {

// ===========================================================================
// 1. Types and events
// ===========================================================================

/// What the graticule step of the rendering draws.
enum class TShowGrat : int32_t {
  sgNone,             ///< nothing
  sgPoints,           ///< calibration points only
  sgLines,            ///< graticule lines
  sgPointsAndLines,   ///< both
  sgUTMGrid,          ///< UTM grid (cmUTM only)
  sgPointsAndUTMGrid  ///< calibration points and UTM grid
};

/// One entry of the zoom history: the view's top-left map pixel and its
/// magnification. An all-zero entry is unused.
struct TgmZoomStackEntry {
  int32_t Left = 0;  ///< top-left map pixel, x
  int32_t Top = 0;   ///< top-left map pixel, y
  double MagF = 0;   ///< magnification
};

/// One point of the mouse trace.
struct TMTracePoint {
  double x = 0;        ///< map pixel x
  double y = 0;        ///< map pixel y
  uint32_t Flags = 0;  ///< bit 0: the stroke ends here; bit 1: drawn in XOR mode
  TColor Color = 0;    ///< pen colour of the segment ending here
};

///@{
/// Flag bits of TMTracePoint.
inline constexpr uint32_t kMTraceEndOfStroke = 1;
inline constexpr uint32_t kMTraceInvert = 2;
///@}

/// Capacity of the mouse trace.
inline constexpr int32_t kMaxMTracePoints = 5000;
/// Slots of the zoom history ring.
inline constexpr int32_t kZoomStackSize = 16;
/// The largest map image, in pixels (width x height, 64-bit product).
inline constexpr int64_t kMaxMapImagePixels = 3'000'000;
///@{
/// The accepted range of the magnification (control pixels per map pixel).
inline constexpr double kMinMagnification = 1.0 / 1000.0;
inline constexpr double kMaxMagnification = 1000.0;
///@}
/// JPEG quality of SaveMap.
inline constexpr int32_t kMapJPEGQuality = 90;
/// Most graticule lines (or UTM grid lines) drawn per direction.
inline constexpr int32_t kMaxGratLines = 1000;
/// Most divisions by 10 when the graticule spacing is chosen automatically
/// (spacing down to 1e-12 degrees).
inline constexpr int32_t kMaxGratDivisions = 12;

/// OnBeforeRenderData, OnDataRendered: Canvas is the buffer's canvas.
using TRenderEvent = std::function<void(TObject* Sender, TCanvas& Canvas)>;
/// OnMapImageRequest: the handler may replace the image file name.
using TMapImgRequestEvent = std::function<void(TObject* Sender, std::string& FileName)>;
/// The drawing callback of CreateEmptyMapInMemory: Canvas draws on the new
/// Wid x Hgt map image whose bounds are given in degrees.
using TOnDrawMapDataEvent =
    std::function<void(TObject* Sender, TCanvas& Canvas, int32_t Wid, int32_t Hgt, double LatLow,
                       double LongLow, double LatHigh, double LongHigh)>;
/// OnBeginRubberBand, OnContinueRubberBand, OnEndRubberBand: a map pixel.
using TRubberBandEvent = std::function<void(TObject* Sender, TPoint MapPoint)>;
/// OnSelectRect: Geographic true gives (latitude, longitude) of the anchor
/// in (V1, V2) and of the release point in (V3, V4); false gives their map
/// pixels (x1, y1, x2, y2).
using TSelectRectEvent = std::function<void(TObject* Sender, bool Geographic, double V1, double V2,
                                            double V3, double V4)>;

/// PositionInMap: true when (Latit, Longit) lies strictly inside the
/// quadrilateral of the corners (TCorners order). With P = (Longit, Latit)
/// the cross product of the edge from corner 4 to corner 1 with P is the
/// reference, and the cross products of the edges 1-2, 2-3 and 3-4 must each
/// have a strictly positive product with it (a point on an edge is outside;
/// NaN is outside). The cross product of edge A-B is (A.long - P.long)
/// (B.lat - A.lat) + (B.long - A.long) (P.lat - A.lat), in long double.
bool PositionInMap(double Latit, double Longit, const TCornerArray& Corners);

// ===========================================================================
// 2. The control
// ===========================================================================

/// The map display control. See the file comment for the conventions.
///
/// Rendering (Paint), in this order:
///   1. The 15-bit buffer is enlarged to the control's size when smaller.
///   2. Without a map image (or while designing): background colour and
///      EmptyMsg at (10, 10) in the frame colour; steps 4 to 9 are skipped.
///   3. Background colour, then the image. Below CacheMagLimit the view comes
///      1:1 from a cache holding the whole image scaled to round(W M) x
///      round(H M) (rebuilt when M or AntiAlias changed); otherwise the
///      visible source pixels ceil(Width / M) x ceil(Height / M) from
///      TopLeft are stretched to exactly M control pixels each and cut to
///      the control, so the image lies where MapImageToControl puts it.
///      AntiAlias stretches with smHalftone, otherwise smColorOnColor.
///   4. OnBeforeRenderData (buffer canvas).
///   5. Graticule or UTM grid and calibration points (ShowGraticule).
///   6. Landmarks of visible classes (TLandMarkList::DrawLandMarks), thinned
///      at random above LMRandomDisplayThreshold, each through
///      OnDrawLandmark; symbols only strictly inside the control.
///   7. OnDataRendered (buffer canvas).
///   8. The highlighted landmark in the highlight colours, on top.
///   9. The mouse trace.
///   10. The frame (DrawFrame with FrameStyle; black, gray $808080, silver,
///       white).
///
/// Graticule (step 5). cmParabolicIp draws each fitted curve of the
/// calibration across the visible span, one map pixel per point (one point
/// per span/65536 map pixels when the span is wider). The other models
/// (cmBiquadraticPn with more than 5 points, the others with more than 2)
/// take the extent from the corners (latitude from the bottom and top
/// corners, longitude from the left and right ones, each as |max - min|
/// with the lower value as the start, so north-down images draw too); the
/// spacing is GratLineDist, or 1 degree divided by 10 until the extent
/// spans at least one step (at most kMaxGratDivisions times); nothing is
/// drawn for an extent that is 0 or not finite; at most kMaxGratLines lines
/// per direction. Parallels lie at ceil(min/s) s + k s below the maximum (only
/// lines within the extent),
/// meridians likewise; each is a polyline of 100 steps (cmBiquadraticPn,
/// cmMillerCylindrical, the parallels of cmConicConformal), 1 step (the
/// meridians of cmConicConformal) or 10 steps (cmEquiRect, cmUTM); points
/// that do not convert are left out. The UTM grid (cmUTM only) takes the
/// northing and easting range from the four image corners, the spacing
/// UTMGridDist or Round125 of a tenth of the range (at least 1 m), and
/// draws each line of constant northing or easting clipped to the image
/// (TSLine::ClipBox). Calibration points are marked by an axis-aligned
/// cross (8 pixels each way) and three diamonds of radius 8, 9 and 10, the
/// one of 9 in white.
class TGeoMap : public TGraphicControl {
 public:
  /// A 500 x 400 control owned by AOwner (nullptr: the caller owns it), with
  /// an empty calibration (cmUndefined) and the defaults of the setters.
  explicit TGeoMap(TComponent* AOwner);
  ~TGeoMap() override;
  std::string ClassName() const override { return "TGeoMap"; }

  // ---- calibration members, forwarded to the owned TMapCalibration --------

  ///@{
  /// The calibration object itself (its OnChange belongs to the control,
  /// which repaints; do not replace it).
  TMapCalibration& GetCalibration() { return *FCalib; }
  const TMapCalibration& GetCalibration() const { return *FCalib; }
  ///@}
  /// The calibration data.
  const TCalibData& GetCalibData() const { return FCalib->GetCalibData(); }
  /// The calibration model.
  TCalibModel GetCalibModel() const { return FCalib->GetCalibModel(); }
  /// Sets the model (TMapCalibration::SetCalibModel); repaints.
  void SetCalibModel(TCalibModel Value) { FCalib->SetCalibModel(Value); }
  /// The caption of the calibration.
  const std::string& GetCaption() const { return FCalib->GetCalibData().Caption; }
  /// Sets the caption of the calibration.
  void SetCaption(const std::string& Value) { FCalib->SetCaption(Value); }
  /// UTM zone of the calibration.
  int32_t GetUTMZone() const { return FCalib->GetUTMZone(); }
  /// Sets the UTM zone of the calibration; repaints.
  void SetUTMZone(int32_t Value);
  /// UTM hemisphere of the calibration.
  THemisphere GetUTMHemisphere() const { return FCalib->GetUTMHemisphere(); }
  /// Sets the UTM hemisphere of the calibration; repaints.
  void SetUTMHemisphere(THemisphere Value);
  ///@{
  /// TMapCalibration::CalcLatitude, CalcLongitude, CalcPixelCoords on map pixels.
  double CalcLatitude(int32_t x, int32_t y, bool& valid) const {
    return FCalib->CalcLatitude(x, y, valid);
  }
  double CalcLongitude(int32_t x, int32_t y, bool& valid) const {
    return FCalib->CalcLongitude(x, y, valid);
  }
  bool CalcPixelCoords(double Lat, double Long, int32_t& x, int32_t& y) const {
    return FCalib->CalcPixelCoords(Lat, Long, x, y);
  }
  ///@}
  /// The calibration file last given to SetCalibDataFile or loaded by
  /// LoadCalDataFromXML.
  const std::string& GetCalibDataFile() const { return FCalibDataFile; }
  /// An existing file: stored, then LoadCalDataFromXML(Value, "") (which
  /// loads the map image too). A name that does not exist clears the map
  /// image (name, sizes, picture). Repaints. Exceptions of the loaders
  /// propagate.
  void SetCalibDataFile(const std::string& Value);
  /// Loads the calibration (TMapCalibration::LoadCalDataFromXML) and, on
  /// success, the map image it names: MapFName found with LocateCalibFile
  /// beside the calibration file (as written when it is not found), handed
  /// to SetMapImgFile. Returns the calibration's result; an image that
  /// cannot be used raises as SetMapImgFile does (the calibration stays
  /// loaded).
  bool LoadCalDataFromXML(const std::string& FName, const std::string& DataID);
  /// TMapCalibration::SaveCalDataAsXML (the current image size is set first).
  bool SaveCalDataAsXML(const std::string& FileName, const std::string& DataID);

  // ---- look ----------------------------------------------------------------

  /// AllowPan reads true when MouseAction is maPan.
  bool GetAllowPan() const { return FMouseAction == TMouseActMode::maPan; }
  /// True sets MouseAction to maPan, false to maNone.
  void SetAllowPan(bool Value);
  ///@{
  /// Anti-aliased (halftone) scaling of the image; default true. Repaints.
  bool GetAntiAlias() const { return FAntiAlias; }
  void SetAntiAlias(bool Value);
  ///@}
  ///@{
  /// Magnifications below it are served from the cache; clamped to 0..2/3
  /// (NaN ignored), default 2/3. Repaints when M < 2/3.
  double GetCacheMagLimit() const { return FCacheMagLimit; }
  void SetCacheMagLimit(double Value);
  ///@}
  ///@{
  /// Colours (TColor; system colours allowed). Defaults: background silver
  /// $C0C0C0, graticule blue $FF0000, calibration points red $0000FF, frame
  /// (and empty message) black. Each repaints.
  TColor GetColorBackGnd() const { return FColorBakGnd; }
  void SetColorBackGnd(TColor Value);
  TColor GetColorGraticule() const { return FColorGratLine; }
  void SetColorGraticule(TColor Value);
  TColor GetColorCalibPoints() const { return FColorGratPoints; }
  void SetColorCalibPoints(TColor Value);
  TColor GetColorFrame() const { return FFrameColor; }
  void SetColorFrame(TColor Value);
  ///@}
  ///@{
  /// Panning keeps the view on the image (PanMapToFillWindow); default true.
  bool GetConfinePanToMapImage() const { return FConfinePan; }
  void SetConfinePanToMapImage(bool Value) { FConfinePan = Value; }
  ///@}
  ///@{
  /// Text shown without an image; default "GeoMap: empty". Repaints.
  const std::string& GetEmptyMsg() const { return FEmptyMsg; }
  void SetEmptyMsg(const std::string& Value);
  ///@}
  ///@{
  /// Frame style; default fsSimple. Repaints.
  TFrameStyle GetFrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle Value);
  ///@}
  ///@{
  /// Graticule spacing in degrees, clamped to 0..60 (0: automatic; NaN
  /// counts as 0). Repaints.
  double GetGratLineDist() const { return FGratLineDist; }
  void SetGratLineDist(double Value);
  ///@}
  ///@{
  /// UTM grid spacing in metres, clamped to 0..10000000 (0: automatic; NaN
  /// counts as 0). Repaints.
  double GetUTMGridDist() const { return FUTMGridDist; }
  void SetUTMGridDist(double Value);
  ///@}
  ///@{
  /// What the mouse does (TMouseActMode); default maPan. A change ends any
  /// gesture under way.
  TMouseActMode GetMouseAction() const { return FMouseAction; }
  void SetMouseAction(TMouseActMode Value);
  ///@}
  ///@{
  /// Colour of new trace points (default white) and whether they are drawn
  /// in XOR mode (default true).
  TColor GetMouseTraceColor() const { return FColorMTrace; }
  void SetMouseTraceColor(TColor Value) { FColorMTrace = Value; }
  bool GetMouseTraceInvert() const { return FMTraceInvert; }
  void SetMouseTraceInvert(bool Value) { FMTraceInvert = Value; }
  ///@}
  ///@{
  /// What the graticule step draws; default sgNone. Repaints.
  TShowGrat GetShowGraticule() const { return FShowGrat; }
  void SetShowGraticule(TShowGrat Value);
  ///@}
  ///@{
  /// While set, Paint leaves the surface alone; switching it off repaints.
  bool GetSuppressPaint() const { return FSuppressPaint; }
  void SetSuppressPaint(bool Value);
  ///@}

  ///@{
  /// OnBeforeRenderData and OnDataRendered (rendering steps 4 and 7).
  TRenderEvent OnBeforeRenderData;
  TRenderEvent OnDataRendered;
  ///@}
  /// Asked before an image file is loaded; may replace the name.
  TMapImgRequestEvent OnMapImageRequest;
  /// Progress of the image decoder (Sender is the temporary bitmap).
  TProgressEvent OnDataLoading;
  /// After every pan or zoom by the mouse, and after ZoomHistory restores
  /// a view.
  TNotifyEvent OnZoomPan;
  ///@{
  /// Rubber band and selection (see MouseAction).
  TRubberBandEvent OnBeginRubberBand;
  TRubberBandEvent OnContinueRubberBand;
  TRubberBandEvent OnEndRubberBand;
  TSelectRectEvent OnSelectRect;
  ///@}

  // ===========================================================================
  // 3. The map image
  // ===========================================================================

  /// File name of the map image, as given to SetMapImgFile ("$unknown$" for
  /// assigned and generated images; "" without an image).
  const std::string& GetMapImgFile() const { return FMapImgName; }
  /// Loads a map image. OnMapImageRequest may replace the name first; the
  /// cache is invalidated. An existing file is read with its header checked
  /// first: width x height above kMaxMapImagePixels (64-bit product) raises
  /// EZELGeoMapError 'Component "\<Name>": Cannot use map image, maximum of
  /// 3000000 pixels exceeded (size of map is \<W> x \<H>)' before any pixel
  /// is decoded. ".jpg"/".jpeg" (case ignored) is decoded as JPEG, ".bmp"
  /// as BMP, any other extension by its content (BMP, PNG or JPEG), into a
  /// temporary bitmap with OnDataLoading as progress; a file that cannot be
  /// read or decoded raises EZELGeoMapError 'Component "\<Name>": Cannot
  /// load map image "\<file>": \<reason>'. On either error the previous image,
  /// name, sizes and view stay. On success the image (24-bit) replaces the
  /// old one, the name as given before the event is kept, the calibration's
  /// image size is set, the buffer takes the image's size, TopLeft becomes
  /// (0, 0). A file that does not exist clears the image, name and sizes.
  /// Repaints.
  void SetMapImgFile(const std::string& Value);
  /// The map image (empty without one).
  const TBitmap& GetMapBitmap() const { return FGrafBmp; }
  /// Uses a copy of Value (as 24-bit) as the map image under the name
  /// "$unknown$", with the size limit and effects of SetMapImgFile; an empty
  /// bitmap clears the image.
  void SetMapBitmap(const TBitmap& Value);
  ///@{
  /// Size of the map image in pixels (0 without one).
  int32_t GetMapImgWidth() const { return FMapImgWidth; }
  int32_t GetMapImgHeight() const { return FMapImgHeight; }
  ///@}
  /// The 15-bit off-screen buffer (at least the control's size after a paint).
  const TBitmap& GetAuxBitmap() const { return FAuxBmp; }
  /// Removes the image, clears the calibration and the mouse trace, resets
  /// the view (TopLeft (0, 0), M = 1) and repaints.
  void Clear();

  /// Scales the map image itself by Magnification: the result must have at
  /// least 1 x 1 and at most kMaxMapImagePixels pixels (round(W f) x
  /// round(H f), checked in 64 bits before anything is allocated; the size
  /// error above otherwise, naming the new size). The image is stretched
  /// (smHalftone with AntiAlias, else smColorOnColor), every calibration
  /// line point and calibration point is multiplied by the factor and
  /// rounded, the calibration is refitted, the sizes and buffer follow.
  /// Nothing happens without an image or for a factor that is not finite
  /// and positive.
  void ResizeMap(double Magnification);
  /// ResizeMap(LongerEdgeLength / longer image edge); nothing without an
  /// image or for a length below 1. Note the integer overload: ResizeMap(2)
  /// asks for a longer edge of 2 pixels, ResizeMap(2.0) for twice the size.
  void ResizeMap(int32_t LongerEdgeLength);

  /// Saves the map: the image name becomes FileName without directory and
  /// extension plus ".jpg" (also as the calibration's MapFName); the
  /// calibration is written to FileName with the extension ".xml" under
  /// DataID, and the image as JPEG (quality kMapJPEGQuality) into
  /// FileName's directory under that name. True when both files were
  /// written; false (and MapImgFile unchanged) when there is no image or a
  /// write fails.
  bool SaveMap(const std::string& FileName, const std::string& DataID);
  /// Renames the image file: Name is reduced to file-name-safe characters
  /// (ReduceStringToFN83CompliantChars), stripped of directory and
  /// extension, and given the directory and extension of the current image
  /// file. When an image name is set, the new name is not empty, the image
  /// file exists and no file of the new name exists, the file is renamed
  /// (atomically, never replacing an existing file), the new name is
  /// stored and the result is true; otherwise false.
  bool RenameMapImg(const std::string& Name);

  // ===========================================================================
  // 4. The view
  // ===========================================================================

  ///@{
  /// Control pixels per map pixel; clamped to [1/1000, 1000], NaN ignored.
  /// Repaints.
  double GetMagnification() const { return FMagnify; }
  void SetMagnification(double Value);
  ///@}
  ///@{
  /// The map pixel at the control's top-left corner. Repaints.
  TPoint GetTopLeft() const { return FTopLeft; }
  void SetTopLeft(TPoint Value);
  ///@}
  /// M = min(Height / MapImgHeight, Width / MapImgWidth) (clamped),
  /// TopLeft (0, 0), repaint; nothing without an image.
  void ZoomFitPage();
  /// TopLeft.x is clamped to at most MapImgWidth - round(Width / M), then to
  /// at least 0 (y likewise); repaints when it changed.
  void PanMapToFillWindow();
  /// TopLeft = APoint - (round(Width / M / 2), round(Height / M / 2)), then
  /// PanMapToFillWindow; repaints.
  void BringMapPixelToCenter(TPoint APoint);
  /// Centres the pixel of (Latitude, Longitude) (CalcPixelCoords; nothing
  /// when that fails) like BringMapPixelToCenter, clamped so that the view
  /// neither passes the right or bottom edge of the image nor goes below 0;
  /// repaints.
  void BringLocationToCenter(double Latitude, double Longitude);
  /// PositionInMap with the calibration's corners.
  bool IsPositionWithinMap(double Latit, double Longit) const;

  /// Control pixel of a map pixel: round((p - TopLeft) M), saturated.
  TPoint MapImageToControl(TPoint MapPos) const;
  /// The same without rounding (for drawing far-away lines exactly).
  TPointDouble MapImageToControlF(double x, double y) const;
  /// Map pixel of a control pixel: round(c / M) + TopLeft, saturated.
  TPoint ControlToMapImage(TPoint CtrlPos) const;

  /// Stores (TopLeft, M) at the current slot of the 16-entry ring and
  /// advances it (16 wraps to 1); nothing while the control is loading.
  void ZoomStateOnStack();
  /// Zeroes the 16 entries, sets the slot to 1 and stores the current view.
  void ClearZoomHistory();
  /// Index -15..0 (others ignored): slot = current slot + Index - 1 (plus 16
  /// below 1); ZoomHistory(0) is the view stored last. An all-zero entry is
  /// ignored; otherwise the view is restored (M clamped), repainted and
  /// OnZoomPan fires.
  void ZoomHistory(int32_t Index);
  /// The entry ZoomHistory(StackIx) would restore; all zero for an index
  /// outside -15..0.
  TgmZoomStackEntry GetZoomStackEntry(int32_t StackIx) const;
  /// The next slot to be written, 1..16.
  int32_t GetZoomStackPointer() const { return FZStackPoi; }
  /// zsRectStarted while a zoom rectangle is being drawn.
  TZoomState GetZoomState() const { return FZoomState; }

  // ===========================================================================
  // 5. Mouse
  // ===========================================================================

  ///@{
  /// Map pixel of the last press and of the last move.
  int32_t GetLastClickPosX() const { return FLastMClickPosX; }
  int32_t GetLastClickPosY() const { return FLastMClickPosY; }
  int32_t GetLastMousePosX() const { return FLastMMousePosX; }
  int32_t GetLastMousePosY() const { return FLastMMousePosY; }
  ///@}
  ///@{
  /// Latitude and longitude of the last press; 0 when not valid.
  double GetLastClickLatitude() const;
  double GetLastClickLongitude() const;
  ///@}

  /// Mouse entry points. Every press records the last click position, every
  /// move the last mouse position, then the MouseAction runs (see below),
  /// then the inherited event fires (OnMouseDown, OnMouseMove, OnMouseUp).
  ///
  /// - maPan, maPanHoriz, maPanVert: while the left button is held the first
  ///   move anchors (mouse position, TopLeft); later moves inside the control
  ///   set TopLeft = anchor TopLeft + round((anchor - mouse) / M) on the
  ///   allowed axes, PanMapToFillWindow when ConfinePanToMapImage, repaint,
  ///   OnZoomPan. The release stores the view on the zoom history.
  /// - maRubberBand: a left press starts the band (OnBeginRubberBand) or,
  ///   when it is on, ends it (erases the line, OnEndRubberBand); with Ctrl
  ///   held while it is on, OnContinueRubberBand fires and the anchor moves
  ///   there instead. Moves draw the line from the anchor in XOR, white.
  /// - maZoomWindow: a left press starts a rectangle (zsRectStarted), moves
  ///   redraw it in XOR (white), a right release cancels it. On the left
  ///   release a rectangle with extent both ways gives dx, dy (map pixels);
  ///   when both are at least 1, M = min(Width / dx, Height / dy) (clamped;
  ///   the whole selection stays in view), TopLeft = (left + round((dx -
  ///   Width / M) / 2), top + round((dy - Height / M) / 2)), repaint,
  ///   OnZoomPan.
  /// - maZoomDrag: with the left button held, each move multiplies M by
  ///   f = 1 + (x - x') / Width + (y' - y) / Height (x', y' the previous
  ///   position; right and up zoom in), f clamped to [0.5, 2] and M to its
  ///   range, keeping the map point at the control's centre fixed; repaint,
  ///   OnZoomPan. The release stores the view on the zoom history.
  /// - maSelectRect: a left press starts a dotted XOR rectangle and fires
  ///   OnBeginRubberBand; the release fires OnSelectRect with the positions
  ///   of anchor and release point when all four conversions are valid,
  ///   else their map pixels.
  /// - maMouseTrace: while the left button is held, each move appends a
  ///   trace point (up to kMaxMTracePoints) with MouseTraceColor and
  ///   MouseTraceInvert; the release ends the stroke.
  /// Positions outside the control are clamped to it for the rectangle modes.
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  /// See MouseDown.
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  /// See MouseDown.
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;

  /// Modal rectangle entry: the mouse action is switched off, and the
  /// application's message loop (Application().ProcessMessagesUntil) runs
  /// until a box is drawn with the left button (press, moves, release) or
  /// MouseBoxAbort is called, or no message is left. Returns true with the
  /// ordered corners in control pixels (clamped to the control) when a box
  /// was drawn; false otherwise (the corners are not written). The mouse
  /// action is restored either way. A nested call returns false at once.
  bool MouseBox(int32_t& xLo, int32_t& yLo, int32_t& xHi, int32_t& yHi);
  /// Ends a running MouseBox without a box.
  void MouseBoxAbort();
  /// The state of the box entry.
  TMouseBoxState GetMouseBoxState() const { return FMouseBoxState; }

  /// Number of trace points.
  int32_t GetNumMTracePoints() const { return static_cast<int32_t>(FMTrace.size()); }
  /// Trace point Index (0-based); all zero outside the range.
  TMTracePoint GetMTracePoint(int32_t Index) const;
  /// All trace points.
  const std::vector<TMTracePoint>& GetMouseTrace() const { return FMTrace; }
  /// Removes the trace; repaints.
  void ClearMouseTrace();
  /// Draws the trace on Canvas: for every point after the first whose
  /// predecessor does not end a stroke, a segment from the predecessor
  /// (both through MapImageToControl) in the point's colour, XOR when its
  /// bit 1 is set, copy otherwise. Pen and brush are restored afterwards.
  void DrawMouseTrace(TCanvas& Canvas) const;

  // ===========================================================================
  // 6. Generated empty maps
  // ===========================================================================

  /// Generates a map image with an equirectangular calibration.
  /// Bounds are ordered; dLat, dLong not positive or not finite become 1; a
  /// zero span is widened to dLat (dLong) upwards; Wid, Hgt below 100
  /// become 100, and Wid x Hgt above kMaxMapImagePixels raises the size
  /// error. Non-finite bounds raise EZELGeoMapError 'Component "\<Name>":
  /// invalid bounds of the empty map'. With ShowGrid: a solid black
  /// rectangle inset 30 pixels, a dotted one inset 26, dashed silver
  /// parallels at multiples of dLat at y = Hgt - 30 - round((lat - LatLow) /
  /// (LatHigh - LatLow) (Hgt - 60)) strictly between 30 and Hgt - 30,
  /// labelled at x = 36 and right-aligned 36 pixels from the right edge with
  /// " " + DegreeToStr(|lat|, 0 decimals) + " S " or " N "; meridians at x =
  /// 30 + round((long - LongLow) / (LongHigh - LongLow) (Wid - 60)),
  /// labelled at top and bottom with " W " or " E " (at most kMaxGratLines
  /// each). Labels use degrees-minutes-seconds for a spacing <= 0.06,
  /// degrees and minutes for a fractional one, degrees otherwise.
  /// OnDrawMapData then draws on the image. The image becomes the map
  /// ("$unknown$"); the calibration is cleared and gets map name
  /// "$unknown$", caption "Map generated by TGeoMap", model cmEquiRect and
  /// nine points on a 3 x 3 grid (at the grid's corners, edges and centre
  /// with ShowGrid, else at the image's); it is refitted; repaint.
  void CreateEmptyMapInMemory(double LatLow, double LongLow, double LatHigh, double LongHigh,
                              double dLat, double dLong, int32_t Wid, int32_t Hgt, bool ShowGrid,
                              const TOnDrawMapDataEvent& OnDrawMapData = {});
  /// Generates the same map, writes it as FName with the extension ".bmp"
  /// and its calibration (MapFName = that file's name without directory)
  /// as FName with ".xml" under the id "ZEL_geomap_caldata", and loads both
  /// back. False when a file cannot be written or read back.
  bool CreateAndLoadEmptyMap(const std::string& FName, double LatLow, double LongLow,
                             double LatHigh, double LongHigh, double dLat, double dLong,
                             int32_t Wid, int32_t Hgt, bool ShowGrid,
                             const TOnDrawMapDataEvent& OnDrawMapData = {});

  // ===========================================================================
  // 7. Output
  // ===========================================================================

  /// Puts a Width x Height bitmap on the clipboard: the buffer's rectangle
  /// (2, 2, Width - 2, Height - 2) in place, a black frame through (1, 1) and
  /// (Width - 2, Height - 2), white outside it. Paints first when needed.
  void CopyToClipboard();
  /// Puts a copy of the whole map image on the clipboard (nothing without
  /// an image).
  void CopyEntireMapToClipboard();
  /// The current view as the control shows it (24-bit, Width x Height).
  TBitmap CopyToBMP();
  /// Prints the current view on one page of Printer: scaled to fit the page
  /// with 5 % margins, aspect kept, centred (smHalftone). False when the
  /// printer is already printing or the control is empty (0 x 0);
  /// exceptions of the printer's file writing propagate.
  bool PrintIt(TPrinter& Printer);

  // ===========================================================================
  // 8. Landmarks
  // ===========================================================================
  // The control owns one TLandMarkList (map/geomap/zel_landmarks.hpp) and
  // forwards these members to it; the list's documentation there is the full
  // contract. The events go out with this control as Sender, messages name
  // it ('Component "<Name>": insufficient memory'), and every change
  // invalidates the control once (vetoed and ignored calls do not).

  ///@{
  /// TLandMarkList::AddLandMark: a copy of LandMarkDefault at (Lat, Long,
  /// Altitude) with the given fields replaced, after OnLandMarkAction
  /// (lmaAdd) allowed it; repaints.
  /// @throws EZELGeoMapError "Component \"<Name>\": insufficient memory"
  void AddLandMark(double Lat, double Long, double Altitude) {
    FLandMarks.AddLandMark(Lat, Long, Altitude);
  }
  void AddLandMark(double Lat, double Long, double Altitude, const std::string& Identifier,
                   TDateTime Time) {
    FLandMarks.AddLandMark(Lat, Long, Altitude, Identifier, Time);
  }
  void AddLandMark(double Lat, double Long, double Altitude, const std::string& CaptionText,
                   int32_t CaptionSize, TColor CaptionColor) {
    FLandMarks.AddLandMark(Lat, Long, Altitude, CaptionText, CaptionSize, CaptionColor);
  }
  void AddLandMark(double Lat, double Long, double Altitude, const std::string& Identifier,
                   TDateTime Time, const std::string& CaptionText, int32_t CaptionSize,
                   TColor CaptionColor) {
    FLandMarks.AddLandMark(Lat, Long, Altitude, Identifier, Time, CaptionText, CaptionSize,
                           CaptionColor);
  }
  void AddLandMark(double Lat, double Long, double Altitude, TLandMarkElement Element,
                   uint8_t ClassFlag, const std::string& Identifier, TDateTime Time, int32_t Tag,
                   TColor ColorFG, TColor ColorBG, int32_t Size, bool Transparent,
                   int32_t Direction, int32_t Length) {
    FLandMarks.AddLandMark(Lat, Long, Altitude, Element, ClassFlag, Identifier, Time, Tag, ColorFG,
                           ColorBG, Size, Transparent, Direction, Length);
  }
  ///@}
  ///@{
  /// TLandMarkList::RemoveLandMark: within Radius degrees (strictly), inside
  /// a rectangle of degrees (Left/Right longitude, Top/Bottom latitude,
  /// inclusive), the nearest one, or by 1-based index. ClassFlag -1 (or any
  /// value outside 0..255) means every class. Each landmark is offered to
  /// OnLandMarkAction (lmaRemove) first; freed slots take the last
  /// landmarks; the highlight becomes 0; repaints when anything went.
  void RemoveLandMark(double Lat, double Long, int32_t ClassFlag, double Radius) {
    FLandMarks.RemoveLandMark(Lat, Long, ClassFlag, Radius);
  }
  void RemoveLandMark(const TRectDouble& Rect, int32_t ClassFlag) {
    FLandMarks.RemoveLandMark(Rect, ClassFlag);
  }
  void RemoveLandMark(double Lat, double Long, int32_t ClassFlag) {
    FLandMarks.RemoveLandMark(Lat, Long, ClassFlag);
  }
  void RemoveLandMark(int32_t LmIndex) { FLandMarks.RemoveLandMark(LmIndex); }
  ///@}
  /// TLandMarkList::RemoveLastLandMark: the last landmark, when allowed.
  void RemoveLastLandMark() { FLandMarks.RemoveLastLandMark(); }
  ///@{
  /// TLandMarkList::RemoveAllLandMarks: every allowed landmark of the class,
  /// or every allowed landmark.
  void RemoveAllLandMarks(uint8_t ClassFlag) { FLandMarks.RemoveAllLandMarks(ClassFlag); }
  void RemoveAllLandMarks() { FLandMarks.RemoveAllLandMarks(); }
  ///@}
  /// TLandMarkList::FindLandMark: 1-based index of the nearest landmark of
  /// the class (squared distance in degrees; the first of equals), 0 when
  /// none.
  int32_t FindLandMark(double Lat, double Long, int32_t ClassFlag) const {
    return FLandMarks.FindLandMark(Lat, Long, ClassFlag);
  }
  ///@{
  /// LandMarkData[i] (1-based): reading outside 1..count gives the default
  /// landmark; writing copies the record (texts cut to their capacity) and
  /// repaints, and is ignored outside 1..count.
  const TLandMark& GetLandMarkData(int32_t i) const { return FLandMarks.GetLandMarkData(i); }
  void SetLandMarkData(int32_t i, const TLandMark& LandMark) {
    FLandMarks.SetLandMarkData(i, LandMark);
  }
  ///@}
  /// The number of landmarks.
  int32_t GetNumLandMarks() const { return FLandMarks.GetNumLandMarks(); }
  ///@{
  /// LandMarkDefault: the template of new landmarks (texts cut when set; no
  /// repaint, nothing drawn changes).
  const TLandMark& GetLandMarkDefault() const { return FLandMarks.GetLandMarkDefault(); }
  void SetLandMarkDefault(const TLandMark& Value) { FLandMarks.SetLandMarkDefault(Value); }
  ///@}
  ///@{
  /// LMClassVisible[ClassFlag]: whether the landmarks of a class are drawn
  /// (all true at creation); a change repaints.
  bool GetClassVisibility(uint8_t ClassFlag) const {
    return FLandMarks.GetClassVisibility(ClassFlag);
  }
  void SetClassVisibility(uint8_t ClassFlag, bool Visible) {
    FLandMarks.SetClassVisibility(ClassFlag, Visible);
  }
  ///@}
  ///@{
  /// HighLightLandMark: 1-based index of the landmark drawn again on top in
  /// the highlight colours (rendering step 8), 0 for none; SetHighLM stores
  /// 0 for values below 0 or above the count; a change repaints.
  int32_t GetHighLightLandMark() const { return FLandMarks.GetHighLightLandMark(); }
  void SetHighLM(int32_t Value) { FLandMarks.SetHighLightLandMark(Value); }
  ///@}
  /// Colours and transparency of the highlighted symbol (default blue on
  /// yellow, opaque); repaints.
  void SetHighLightProperties(TColor ColorFG, TColor ColorBG, bool Transparent) {
    FLandMarks.SetHighLightProperties(ColorFG, ColorBG, Transparent);
  }
  ///@{
  /// LMRandomDisplayThreshold T (default 20000; negative values store 0):
  /// with more than T landmarks, the L landmarks of visible classes inside
  /// the quadrilateral of the geographic positions of the control's corners
  /// are counted, and when L > T each landmark is drawn with probability
  /// T/L (BRandom of the process generator: seed it for a repeatable
  /// picture). When a corner does not convert, every landmark of a visible
  /// class counts. Takes effect at the next paint.
  int32_t GetLMRandomDisplayThreshold() const { return FLandMarks.GetLMRandomDisplayThreshold(); }
  void SetLMRandomDisplayThreshold(int32_t Value) { FLandMarks.SetLMRandomDisplayThreshold(Value); }
  ///@}
  /// TLandMarkList::LoadLandMarks: replaces the landmarks by the section
  /// DataID of the landmark file FName (no OnLandMarkAction, one repaint);
  /// false, with the landmarks unchanged, when the file cannot be read or
  /// the section is missing or damaged.
  bool LoadLandMarks(const std::string& FName, const std::string& DataID) {
    return FLandMarks.LoadLandMarks(FName, DataID);
  }
  /// TLandMarkList::ReadLandMarksFromOpenXMLFile: the same from an open
  /// text file, which is left after the section's closing tag.
  bool ReadLandMarksFromOpenXMLFile(TTextFile& F, const std::string& DataID) {
    return FLandMarks.ReadLandMarksFromOpenXMLFile(F, DataID);
  }
  /// TLandMarkList::SaveLandmarks: writes the landmark file FName with the
  /// section DataID; false when the file cannot be created or a write fails.
  bool SaveLandmarks(const std::string& FName, const std::string& DataID) {
    return FLandMarks.SaveLandmarks(FName, DataID);
  }
  /// TLandMarkList::WriteLandMarksToOpenXMLFile: the section alone; false
  /// when a write fails.
  bool WriteLandMarksToOpenXMLFile(TTextFile& F, const std::string& DataID) {
    return FLandMarks.WriteLandMarksToOpenXMLFile(F, DataID);
  }

  /// Asked before each landmark is added or removed (never while a file is
  /// loaded), with this control as Sender; Allow is true on entry, false
  /// vetoes. The handler may call the control (see TLandMarkList).
  TLandMarkActionEvent OnLandMarkAction;
  /// Called during rendering step 6 for each landmark about to be drawn
  /// (after the thinning and a successful conversion), with this control
  /// as Sender, the control position (possibly outside the control) and the
  /// buffer's canvas (green pen); Handled is false on entry, true
  /// suppresses the standard drawing. Not called for the highlight.
  TDrawLandMarkEvent OnDrawLandmark;

 protected:
  void Paint() override;

 private:
  void ConstructInternalMapImg();
  void DrawImage(TCanvas& c, int32_t w, int32_t h);
  void DrawGraticule(TCanvas& c, int32_t w, int32_t h);
  void DrawParabolicGrat(TCanvas& c, int32_t w, int32_t h);
  void DrawLatLongGrat(TCanvas& c, int32_t w, int32_t h);
  void DrawUTMGrid(TCanvas& c, int32_t w, int32_t h);
  void DrawCalibPoints(TCanvas& c);
  void DrawCalibMarker(TCanvas& c, TPointDouble p);
  // Rendering steps 6 (the landmarks) and 8 (the highlighted one).
  void DrawLandmarkLayer(TCanvas& c, bool HighlightOnly);
  void WireLandMarks();
  void DrawPolylineF(TCanvas& c, const std::vector<TPointDouble>& pts) const;
  void DrawSegmentF(TCanvas& c, TPointDouble a, TPointDouble b) const;
  void CheckImageSize(int64_t w, int64_t h) const;
  void UseImage(TBitmap&& Image, const std::string& Name);
  void ClearImage();
  void CalibChanged(TObject*);
  void XorRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, bool Dotted);
  void XorLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
  void EndGesture();
  TPoint ClampToControl(int32_t X, int32_t Y) const;
  void ApplyView(TPoint TopLeft, double Mag);
  TBitmap MakeEmptyMap(double& LatLow, double& LongLow, double& LatHigh, double& LongHigh,
                       double dLat, double dLong, int32_t& Wid, int32_t& Hgt, bool ShowGrid,
                       const TOnDrawMapDataEvent& OnDrawMapData);

  std::unique_ptr<TMapCalibration> FCalib;
  std::string FCalibDataFile;
  TBitmap FGrafBmp;
  TBitmap FAuxBmp{0, 0, TPixelFormat::pf15bit};
  TBitmap FImgCache;
  double FCacheMag = 0;
  bool FCacheAA = true;
  double FCacheMagLimit = 2.0 / 3.0;
  std::string FMapImgName;
  int32_t FMapImgWidth = 0;
  int32_t FMapImgHeight = 0;
  TPoint FTopLeft;
  double FMagnify = 1.0;
  std::array<TgmZoomStackEntry, kZoomStackSize> FZoomStack{};
  int32_t FZStackPoi = 1;
  TShowGrat FShowGrat = TShowGrat::sgNone;
  double FGratLineDist = 0;
  double FUTMGridDist = 0;
  TColor FColorBakGnd = clSilver;
  TColor FColorGratLine = clBlue;
  TColor FColorGratPoints = clRed;
  TFrameStyle FFrameStyle = TFrameStyle::fsSimple;
  TColor FFrameColor = clBlack;
  TColor FColBlackLine = clBlack;
  TColor FColGrayLine = clGray;
  TColor FColWhiteLine = clWhite;
  std::string FEmptyMsg = "GeoMap: empty";
  TMouseActMode FMouseAction = TMouseActMode::maPan;
  std::vector<TMTracePoint> FMTrace;
  TColor FColorMTrace = clWhite;
  bool FMTraceInvert = true;
  bool FSuppressPaint = false;
  bool FConfinePan = true;
  bool FAntiAlias = true;
  int32_t FLastMClickPosX = 0;
  int32_t FLastMClickPosY = 0;
  int32_t FLastMMousePosX = 0;
  int32_t FLastMMousePosY = 0;
  // Gesture state.
  TZoomState FZoomState = TZoomState::zsIdle;
  TMouseBoxState FMouseBoxState = TMouseBoxState::mbsOff;
  bool FLeftDown = false;
  bool FPanAnchored = false;
  TPoint FAnchor;         // control pixel where the gesture started
  TPoint FAnchorTopLeft;  // TopLeft when a pan was anchored
  TPoint FLastPos;        // control pixel of the previous move
  bool FFeedbackShown = false;
  bool FRubberBandOn = false;
  bool FRectDrawn = false;
  TPointDouble FDragCentre;  // map point kept at the centre while zoom-dragging
  TPoint FBoxLo, FBoxHi;
  TMouseActMode FBoxSavedAction = TMouseActMode::maPan;
  TLandMarkList FLandMarks{this};
};

}  // namespace zel
