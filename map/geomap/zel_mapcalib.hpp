/// @file
/// Zel_geomap, calibration: the non-visual part of the map display. A
/// TMapCalibration holds the calibration of one raster map image (graticule
/// lines or calibration points), fits one of six models to it, converts
/// between pixel positions of the image and geographic positions, measures
/// the quality of the fit, and reads and writes the calibration as an
/// XML-like text file. The map display control (TGeoMap) owns one
/// TMapCalibration and forwards its calibration members to it unchanged; the
/// control repaints from OnChange.
///
/// Families, in the order of this header:
///   1. Types: models, graticule lines, calibration points, TCalibData
///   2. The model and its fit (SetCalibModel, RecalcCalibration)
///   3. Conversions pixel <-> geographic
///   4. Adding, removing and restoring points
///   5. Corners, resolution and quality
///   6. The calibration file (write, read, ParseCalibData)
///
/// Conventions of the unit:
///   - Pixel positions are integer positions in the full-resolution map
///     image: x to the right, y downwards, origin at the top left pixel.
///     Latitudes and longitudes are decimal degrees, north and east positive;
///     UTM northings and eastings are metres.
///   - Pixel results are rounded to the nearest integer with halves to even
///     (Round of core). A result that is not finite or exceeds 1e9 pixels in
///     magnitude is never converted: the conversion reports failure.
///   - The tables have fixed capacities (25 lines of up to 10 points, 200
///     calibration points); every writer, the file reader included, stops
///     storing at the capacity.
///   - Errors raise EZELGeoMapError with 'Component "\<Name>": \<text>'
///     (the class name when the object has no Name); ParseCalibData's
///     messages begin with "ParseCalibData: ". Everything else reports
///     through results.
///   - OnChange fires after every change of the calibration (model, points,
///     load, clear), after the fit, corners and resolution are recomputed.
///   - Not thread-safe: one object belongs to one thread at a time. Nothing
///     here changes the floating-point environment.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/zel_classes.hpp"
#include "core/zel_streams.hpp"
#include "core/zel_zelbase.hpp"
#include "map/geobasics/zel_geobasics.hpp"

namespace zel {

/// Raised by the calibration for a call that the current model does not
/// support, a changed UTM zone, and a damaged calibration file (see the
/// members for the exact messages). Derives from EZELError.
class EZELGeoMapError : public EZELError {
 public:
  using EZELError::EZELError;
};

// ===========================================================================
// 1. Types
// ===========================================================================

/// The calibration models.
enum class TCalibModel : int32_t {
  cmParabolicIp,        ///< graticule lines interpolated by parabolas
  cmBiquadraticPn,      ///< second-degree polynomial in both directions
  cmConicConformal,     ///< conic projection (latitude linear in the apex distance)
  cmMillerCylindrical,  ///< Miller cylindrical projection
  cmEquiRect,           ///< equirectangular: affine pixel <-> degrees
  cmUTM,                ///< affine pixel <-> UTM northing and easting
  cmUndefined           ///< no model
};

/// Text names of the models in calibration files, by ordinal.
inline constexpr std::array<std::string_view, 7> CalibModelName = {
    "parabolicip", "biquadraticpn", "conicconformal", "millercylindrical",
    "equirect",    "utm",           "undefined"};

/// Kind of a graticule line.
enum class TGratLineKind : int32_t {
  gtlMeridian,  ///< a line of constant longitude
  gtlParallel   ///< a line of constant latitude
};

/// The four image corners, in the order of TCornerArray.
enum class TCorners : int32_t { gcoTopLeft, gcoBottomLeft, gcoBottomRight, gcoTopRight };

/// A geographic position in degrees.
struct TCoords {
  double Latit = 0;   ///< latitude
  double Longit = 0;  ///< longitude
};

/// Positions of the four corners, indexed by the ordinal of TCorners.
using TCornerArray = std::array<TCoords, 4>;

/// Capacity of the graticule line table.
inline constexpr int32_t kMaxCalLines = 25;
/// Capacity of the point list of one graticule line.
inline constexpr int32_t kMaxLinePoints = 10;
/// Capacity of the calibration point table.
inline constexpr int32_t kMaxCalQuads = 200;

/// One graticule line of cmParabolicIp.
struct TCalibLine {
  TGratLineKind LineType = TGratLineKind::gtlMeridian;  ///< meridian or parallel
  double LineValue = 0;   ///< longitude of a meridian, latitude of a parallel
  int32_t NumPoints = 0;  ///< points in use, 0..kMaxLinePoints
  std::array<TPoint, kMaxLinePoints> CalPoints{};  ///< pixel positions; [0] is point 1
};

/// One calibration point of the other models. With cmUTM, Latitude holds
/// the northing and Longitude the easting (metres).
struct TCalQuad {
  double Latitude = 0;   ///< latitude (degrees) or northing (m)
  double Longitude = 0;  ///< longitude (degrees) or easting (m)
  int32_t MapX = 0;      ///< pixel x
  int32_t MapY = 0;      ///< pixel y
};

/// The calibration of one map. Tables are 0-based: CalLines[0] is line 1.
struct TCalibData {
  std::string MapFName;     ///< file name of the map image, as written
  std::string Caption;      ///< caption of the map
  TCornerArray Corners{};   ///< positions of the image corners (computed)
  double Resolution = 0;    ///< metres per pixel along the horizontal centre line (computed)
  int32_t NumCalLines = 0;  ///< lines in use, 0..kMaxCalLines
  std::array<TCalibLine, kMaxCalLines> CalLines{};  ///< graticule lines
  int32_t NumCalQuads = 0;                          ///< points in use, 0..kMaxCalQuads
  std::array<TCalQuad, kMaxCalQuads> CalQuads{};    ///< calibration points
  int32_t UTMZone = -1;   ///< UTM zone of a cmUTM calibration; -1 when cleared
  bool UTMSouth = false;  ///< southern hemisphere of a cmUTM calibration
  TGeoEllipsoid Ellipsoid = TGeoEllipsoid::gelWGS84;  ///< ellipsoid of a cmUTM calibration
};

// ===========================================================================
// The calibration
// ===========================================================================

/// Calibration data of a map image with its fitted model. Created empty with
/// the model cmUndefined and an image size of 0 x 0; the owner (the map
/// control) sets the image size with SetImageSize when it loads the image.
class TMapCalibration : public TComponent {
 public:
  ///@{
  /// Registers with AOwner (null: the caller owns it) and starts cleared
  /// (ClearCalibData without the event).
  explicit TMapCalibration(TComponent* AOwner);
  ~TMapCalibration() override;
  std::string ClassName() const override { return "TMapCalibration"; }
  ///@}

  /// Fired after every change of the calibration, when the fit, corners and
  /// resolution are up to date (the map control repaints here). A handler
  /// may call any member; the change it reacts to is complete.
  TNotifyEvent OnChange;

  // ---- 2. data, model and fit ---------------------------------------------

  /// The calibration (read only; change it through the members below).
  const TCalibData& GetCalibData() const { return FData; }
  /// The model.
  TCalibModel GetCalibModel() const { return FModel; }
  /// Sets the model and calls RecalcCalibration. A change of model forgets
  /// the point remembered by RemoveCalibPoint. An ordinal outside the
  /// enumeration counts as cmUndefined.
  void SetCalibModel(TCalibModel Value);
  /// Size of the map image in pixels (negative values count as 0); used by
  /// the apex search of cmConicConformal and by CalcExtentsAndResolution.
  /// Recomputes corners and resolution (no event).
  void SetImageSize(int32_t Width, int32_t Height);
  /// Image width set by SetImageSize.
  int32_t GetImageWidth() const { return FWidth; }
  /// Image height set by SetImageSize.
  int32_t GetImageHeight() const { return FHeight; }
  /// Sets MapFName (kept exactly as given; no event).
  void SetMapFName(const std::string& Value) { FData.MapFName = Value; }
  /// Sets Caption (no event).
  void SetCaption(const std::string& Value) { FData.Caption = Value; }
  /// UTM zone of the calibration (CalibData.UTMZone).
  int32_t GetUTMZone() const { return FData.UTMZone; }
  /// Sets CalibData.UTMZone (any value; conversions take the central
  /// meridian 0 for a zone outside 1..60).
  void SetUTMZone(int32_t Value) { FData.UTMZone = Value; }
  /// Hemisphere of the calibration (CalibData.UTMSouth).
  THemisphere GetUTMHemisphere() const {
    return FData.UTMSouth ? THemisphere::hemiSouth : THemisphere::hemiNorth;
  }
  /// Sets CalibData.UTMSouth.
  void SetUTMHemisphere(THemisphere Value) { FData.UTMSouth = Value == THemisphere::hemiSouth; }
  /// Ellipsoid of a cmUTM calibration (CalibData.Ellipsoid).
  TGeoEllipsoid GetEllipsoid() const { return FData.Ellipsoid; }
  /// Sets CalibData.Ellipsoid; an ordinal outside the catalogue is ignored.
  void SetEllipsoid(TGeoEllipsoid Value);

  /// Refits everything: the graticule parabolas (always, whatever the
  /// model), then the fit of the current model, then corners and resolution;
  /// fires OnChange.
  ///
  /// Fits. Least squares by singular value decomposition (SVDLeastSquares:
  /// singular values below 1e-14 of the largest are dropped, which gives the
  /// minimum-norm solution of an underdetermined system):
  ///   - cmBiquadraticPn (at least 1 point): latitude and longitude over
  ///     (1, x, y, x^2, xy, y^2) of the pixel, and x and y over the same
  ///     basis of (latitude, longitude).
  ///   - cmEquiRect, cmUTM (at least 1 point): the affine basis (1, u, v)
  ///     both ways, with (northing, easting) for cmUTM.
  ///   - cmMillerCylindrical (at least 3 points): straight lines x = M3
  ///     lambda + M4 (longitude in radians) and y = M1 ln tan(pi/4 + 0.4 phi)
  ///     + M2 (Miller 1942; PROJ's +proj=mill up to the factor 1.25 absorbed
  ///     by M1).
  ///   - cmConicConformal (at least 3 points): apex search over 20 rounds of
  ///     5 x 5 trial apexes with a step halved from 1e6 pixels to 1, starting
  ///     at the centre of the points' bounding box; for each apex latitude
  ///     is fitted as a line in the distance r from the apex and longitude
  ///     as a line in the angle arctan((x - x0)/(y - y0)); the apex with the
  ///     smallest eLat^2 + eLong^2 (root-mean-square residuals) wins. An
  ///     apex for which a line is undetermined (all r or all angles equal,
  ///     fewer than 2 angles) is skipped. Exact for an equidistant conic,
  ///     approximate for Lambert's conformal conic.
  ///   - cmParabolicIp: each line of at least 3 points gets the parabola y =
  ///     k0 + k1 x + k2 x^2 (parallel) or x = k0 + k1 y + k2 y^2 (meridian);
  ///     only these fitted lines take part in the conversions.
  /// Below the point counts, with a non-finite point (a value beyond about
  /// 1e154 in the biquadratic basis counts, as its square is infinite), or
  /// when the SVD does not converge, the parameters of that fit are 0 and
  /// the conversions of the model report failure.
  void RecalcCalibration();

  // ---- 3. conversions ---------------------------------------------------------

  ///@{
  /// Latitude (CalcLatitude) or longitude (CalcLongitude) in degrees of the
  /// pixel (x, y); valid tells whether it could be computed. Not valid (and
  /// 0): cmUndefined; any model without its fit (cmBiquadraticPn,
  /// cmEquiRect and cmUTM without points); cmParabolicIp with fewer than 2
  /// fitted parallels
  /// (meridians), or when the two nearest curves coincide at the pixel;
  /// cmMillerCylindrical with M1 = 0 (M3 = 0); cmConicConformal before a
  /// successful fit; a non-finite result (such as the angle at the apex).
  /// cmParabolicIp interpolates linearly between the two fitted lines whose
  /// curves pass nearest to the pixel (ties keep the earlier line). cmUTM
  /// converts the fitted northing and easting with UTMToLatLong (UTMZone,
  /// UTMSouth, Ellipsoid).
  double CalcLatitude(int32_t x, int32_t y, bool& valid) const;
  double CalcLatitude(const TPoint& APoint, bool& valid) const;
  double CalcLongitude(int32_t x, int32_t y, bool& valid) const;
  double CalcLongitude(const TPoint& APoint, bool& valid) const;
  ///@}

  /// Pixel position (x, y) of the position (Lat, Long) in degrees. False,
  /// with x and y not written, for cmUndefined, for an unfitted model, for a
  /// non-finite or huge (> 1e9) result, and for cmParabolicIp without 2
  /// fitted parallels and 2 fitted meridians, with coincident line values,
  /// or when the fixed-point intersection (at most 15 rounds from y = 500)
  /// diverges (|x| and |y| beyond 50000).
  /// cmConicConformal puts the point on the side of the apex where the
  /// calibration lies (latitude falls with r when the apex is north).
  /// cmUTM projects with the transverse Mercator of the calibration's
  /// UTMZone (not the zone of the position), so maps that reach past their
  /// zone's edge stay continuous; UTMSouth adds the false northing 1e7.
  bool CalcPixelCoords(double Lat, double Long, int32_t& x, int32_t& y) const;
  /// Pixel position of the UTM position (Northing, Easting) through the
  /// affine fit of cmUTM. Other models and an unfitted cmUTM: x = y = 0 and
  /// false; false also for a non-finite or huge result (x, y not written).
  bool CalcPixelCoordsUTM(double Northing, double Easting, int32_t& x, int32_t& y) const;
  /// UTM position (Northing, Easting) in metres of the pixel (x, y) through
  /// the affine fit of cmUTM (no conversion to degrees; the map display
  /// takes the extent of its UTM grid from it). False, with both outputs 0,
  /// for other models, an unfitted cmUTM and a non-finite result.
  bool CalcUTMCoords(int32_t x, int32_t y, double& Northing, double& Easting) const;
  /// Pixel y on the line of constant Northing at pixel column x (affine fit
  /// of cmUTM, solved for the easting); 0 when the fit cannot be solved
  /// there (a zero coefficient, a non-finite or huge result).
  int32_t CalcUTMyFromNorthingX(double Northing, int32_t x) const;
  /// Pixel x on the line of constant Easting at pixel row y; 0 as above.
  int32_t CalcUTMxFromEastingY(double Easting, int32_t y) const;

  /// A graticule curve of cmParabolicIp as fitted: a parallel y = k0 + k1 x
  /// + k2 x^2 or a meridian x = k0 + k1 y + k2 y^2 in pixels.
  struct TGratCurve {
    bool Parallel = false;  ///< parallel (true) or meridian
    double Value = 0;       ///< latitude of a parallel, longitude of a meridian
    double k0 = 0;          ///< constant coefficient
    double k1 = 0;          ///< linear coefficient
    double k2 = 0;          ///< quadratic coefficient
  };
  /// The fitted graticule curves, in the order of the lines (the map display
  /// draws them). Empty unless more than one parallel and more than one
  /// meridian were fitted (the condition under which cmParabolicIp
  /// converts); lines of fewer than 3 points have no curve.
  std::vector<TGratCurve> GetGratCurves() const;

  // ---- 4. points ------------------------------------------------------------------

  /// Adds the pixel (PixPosX, PixPosY) to the graticule line of the given
  /// kind and exact value (created when missing and fewer than 25 lines
  /// exist). True when stored; false when the line table or the line is
  /// full. Refits and fires OnChange either way.
  /// @throws EZELGeoMapError "...: current calibration model does not support
  /// this version of AddCalibPoint" unless the model is cmParabolicIp.
  bool AddCalibPoint(TGratLineKind GratLineKind, double LineValue, int32_t PixPosX,
                     int32_t PixPosY);
  /// Appends a calibration point (latitude, longitude in degrees) when fewer
  /// than 200 exist (false when full). Refits, fires OnChange.
  /// @throws EZELGeoMapError (as above) unless the model is one of
  /// cmBiquadraticPn, cmConicConformal, cmMillerCylindrical, cmEquiRect.
  bool AddCalibPoint(double Latit, double Longit, int32_t PixPosX, int32_t PixPosY);
  /// Appends a UTM calibration point when fewer than 200 exist (false when
  /// full). Refits, fires OnChange.
  /// @throws EZELGeoMapError (as above) unless the model is cmUTM, and
  /// "...: UTM zone parameter changed" when Zone or Hemisphere differ from
  /// UTMZone and UTMHemisphere (set them first).
  bool AddCalibPoint(double Northing, double Easting, int32_t Zone, THemisphere Hemisphere,
                     int32_t PixPosX, int32_t PixPosY);
  /// Removes the point with exactly this pixel position from the graticule
  /// line of this kind and exact value (the line's last point takes its
  /// place; an emptied line is replaced by the last line). True when
  /// removed. Refits, fires OnChange.
  /// @throws EZELGeoMapError "...: current calibration model does not support
  /// this version of RemoveCalibPoint" unless the model is cmParabolicIp.
  bool RemoveCalibPoint(TGratLineKind GratLineKind, double LineValue, int32_t PixPosX,
                        int32_t PixPosY);
  /// Removes the point nearest to the pixel (squared pixel distance; the
  /// first of equally near points): a line point with cmParabolicIp, a
  /// calibration point with the other models (the last point takes its
  /// place). The point is remembered for RestoreLastDeletedCalPoint. Nothing
  /// happens with cmUndefined. True when removed; refits and fires OnChange.
  bool RemoveCalibPoint(int32_t PixPosX, int32_t PixPosY);
  /// Adds the point removed last by RemoveCalibPoint(x, y) again, with the
  /// AddCalibPoint variant of the current model, and forgets it. The memory
  /// holds one point and is cleared when the model changes. True when a
  /// point was added back.
  bool RestoreLastDeletedCalPoint();
  /// Empties lines and points, clears corners, resolution and every fitted
  /// parameter, sets UTMZone -1, UTMSouth false, Ellipsoid gelWGS84 and
  /// forgets the removed point; MapFName, Caption, the model and the image
  /// size stay. Fires OnChange.
  void ClearCalibData();

  // ---- 5. corners, resolution, quality ------------------------------------------------

  /// Corners = positions of the pixels (0, 0), (0, H), (W, H), (W, 0) (0
  /// where not valid). Resolution = D / W metres per pixel, D the
  /// great-circle distance (sphere of radius 6378000 m) between the
  /// positions of (0, H div 2) and (W, H div 2); with a longitude difference
  /// right minus left above 360 degrees the circumference 2 pi R is added,
  /// between 180 and 360 the distance is taken the long way (2 pi R - D), so
  /// that a world map 360 degrees wide has 2 pi R / W. 0 when W < 1.
  void CalcExtentsAndResolution();

  /// Calibration residuals in pixels: each point of cmBiquadraticPn to
  /// cmUTM is converted back (CalcPixelCoords, CalcPixelCoordsUTM for
  /// cmUTM) and QualX, QualY are TCurveFit's StdevDiff of the pairs
  /// (MapX, computed x) and (MapY, computed y) (the sample standard
  /// deviation of the differences; 0 for fewer than 3 pairs). Points whose
  /// conversion fails give no pair. cmParabolicIp and cmUndefined: 0.
  void CalibQuality(double& QualX, double& QualY) const;

  // ---- 6. files ------------------------------------------------------------------------

  /// Writes the calibration with the header to the file FileName (created
  /// or overwritten) after CalcExtentsAndResolution. False when the file
  /// cannot be created or a write fails.
  bool SaveCalDataAsXML(const std::string& FileName, const std::string& DataID);
  /// The same to a stream, with "resolution" and "calquads" always
  /// written. False when a write fails.
  bool SaveCalDataAsXML(TStream& OutStream, const std::string& DataID);
  /// Recomputes corners and resolution and writes the calibration to an open
  /// text file (WriteRawCalDataToOpenXMLFile). False when a write fails.
  bool WriteCalDataToOpenXMLFile(TTextFile& F, bool WriteHeader, const std::string& DataID);
  /// Loads the calibration with id DataID (compared without ASCII case; an
  /// empty DataID takes the first) from the file FName, found with
  /// LocateCalibFile (see ParseCalibData
  /// for the format rules). On success the calibration, model, MapFName
  /// and Caption are replaced, the model is refitted and OnChange fires.
  /// False, with nothing changed, when the file cannot be opened, has no
  /// matching element or is damaged.
  /// @throws EZELGeoMapError '...: invalid type of graticule line:
  /// type="\<text>"' and "...: specified number of calibration points and
  /// actual number does not match" (nothing changed).
  bool LoadCalDataFromXML(const std::string& FName, const std::string& DataID);
  /// The same from a stream, read from its position.
  bool LoadCalDataFromXML(TStream& InStream, const std::string& DataID);
  /// The same from an open text file, read from its position.
  bool ReadCalDataFromOpenXMLFile(TTextFile& F, const std::string& DataID);

 private:
  struct GratRow {
    bool Parallel = false;
    double Value = 0;
    double k0 = 0, k1 = 0, k2 = 0;
    bool Fitted = false;
  };
  bool RecalcGratMat();
  void FitModel();
  void FitConic();
  void Changed();
  bool LoadParsed(bool Found, TCalibData& Data, TCalibModel Model);
  bool StoreLinePoint(TGratLineKind Kind, double Value, int32_t x, int32_t y);
  bool StoreQuad(double a, double b, int32_t x, int32_t y);
  void RemoveLinePointAt(int32_t Line, int32_t Point);
  bool GratLatLong(bool Latitude, int32_t x, int32_t y, double& Value) const;
  double CalcLatLong(bool Latitude, int32_t x, int32_t y, bool& valid) const;
  bool GratPixel(double Lat, double Long, int32_t& x, int32_t& y) const;

  TCalibData FData;
  TCalibModel FModel = TCalibModel::cmUndefined;
  int32_t FWidth = 0;
  int32_t FHeight = 0;
  std::vector<GratRow> FGratMat;
  double FCalParsPLSP[2][6] = {};
  double FCalParsSPPL[2][6] = {};
  double FEquRectPLSP[2][3] = {};
  double FEquRectSPPL[2][3] = {};
  double FMillercylPar[4] = {};
  double FConicPars[6] = {};
  bool FConicFitted = false;
  bool FLinFitted = false;
  TCalQuad FBiQuadOops{};
  bool FRestoreBiQuadOK = false;
  TPoint FParaIpOops{};
  TGratLineKind FParaIpOopsKind = TGratLineKind::gtlMeridian;
  double FParaIpOopsValue = 0;
  bool FRestoreParaIpOK = false;
};

// ===========================================================================
// 6. The calibration file (free routines)
// ===========================================================================

/// Writes a calibration to an open text file, one element per line ("\n"
/// line ends; MapFName, Caption and DataID converted to Windows-1252 with
/// '"' replaced by "'" and control characters by blanks, so that a value can
/// never cut its attribute or its line):
/// @verbatim
///   [<?xml version="1.0"?>]  (when WriteHeader), then an empty line
///   <!-- TGeoMap Calibration / ZEL Component Suite -->
///   <geomap sig="ZELCSuite" vers="1.0" id="DataID" model="..." map="..." caption="...">
///   <corners> / [lat,long] x 4 in TCorners order (strff, 5 decimals) / </corners>
///   <resolution>r</resolution>            (3 decimals; when Resolution > 0)
///   <utmzone>z</utmzone> <utmsouth>TRUE|FALSE</utmsouth>  (when 1 <= UTMZone <= 60)
///   <ellipsoid>gelWGS84</ellipsoid>       (GeoEllipsoidId)
///   per line: <calline type="meridian|parallel" value="v" npoints="n"> /
///             [x,y] per point / </calline>   (value with 15 significant digits)
///   <calquads npoints="n"> / [lat,long,x,y] per point (5 decimals) /
///             </calquads>                  (when NumCalQuads > 0)
///   </geomap>
/// @endverbatim
/// A model ordinal outside the enumeration is written as "undefined". False
/// when a write fails.
bool WriteRawCalDataToOpenXMLFile(TTextFile& F, bool WriteHeader, const std::string& DataID,
                                  const TCalibData& CalibData, TCalibModel Model);

/// Path of an existing file for a file name stored in a calibration (files
/// written on other systems differ in separators and letter case): '\\' counts
/// as a separator like '/'; the name is tried as given, then, when it is
/// relative and RefFile is not empty, in RefFile's directory (the map
/// control resolves MapFName against the calibration file this way). Exact
/// paths first; then each path component by component, a missing component
/// replaced by the first entry of its directory (in byte order) that equals
/// it without regard to ASCII case. "" when no regular file is found. The name is never lower-cased.
std::string LocateCalibFile(const std::string& Name, const std::string& RefFile = "");

/// Reads the calibration with id DataID from the file FName into CalibData
/// and Model without a component.
///
/// Lines are read until one that holds "\<geomap" and "zelcsuite" (ASCII
/// case ignored) and, when DataID is not empty, an id attribute equal to
/// DataID without regard to ASCII case. Attributes are found as ' name="'
/// and run to the next '"' (blanks trimmed). The model attribute names one
/// of CalibModelName (case ignored; cmBiquadraticPn when absent,
/// cmUndefined when unknown); map and caption are taken as written
/// (Windows-1252 converted to UTF-8). Then the elements up to "\</geomap>"
/// are read with the tag reader of core: calline (type, value with '.' or
/// ',' and exponent, npoints, then [x,y] groups; lines of fewer than 3
/// points are dropped), corners, resolution, calquads (npoints, [lat,long,
/// x,y] groups), utmzone (kept -1 outside 1..60), utmsouth ("true"),
/// ellipsoid (a GeoEllipsoidId text; gelWGS84 when unknown); other tags are
/// skipped. Lines, points and calibration points beyond the capacities are
/// ignored (counts are still checked against npoints).
///
/// FName is found with LocateCalibFile. True when the element was found and
/// read; CalibData and Model are then replaced. False, leaving both
/// unchanged, when the file cannot be opened,
/// holds no matching element, or is damaged (a number or group that does
/// not parse, an element without its closing tag, no "\</geomap>").
/// @throws EZELGeoMapError 'ParseCalibData: invalid type of graticule line:
/// type="\<text>' and "ParseCalibData: specified number of calibration
/// points and actual number does not match".
bool ParseCalibData(const std::string& FName, const std::string& DataID, TCalibData& CalibData,
                    TCalibModel& Model);
/// The same from a stream, read from its position.
bool ParseCalibData(TStream& InStream, const std::string& DataID, TCalibData& CalibData,
                    TCalibModel& Model);

}  // namespace zel
