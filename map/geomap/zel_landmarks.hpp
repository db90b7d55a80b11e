/// @file
/// Zel_geomap, landmarks and symbols: the landmark list of the map display
/// (positions with a symbol, a caption, a class, an identifier and a time),
/// the drawing of symbols and rotated captions, the landmark XML file, and
/// TSymbolRepository, a list of named symbol styles with its own XML file.
///
/// TGeoMap owns one TLandMarkList and forwards its landmark members to it
/// under the same names; the list calls OnChanged where the control repaints
/// and DrawLandMarks / DrawHighLightedLandMark from its rendering.
///
/// Families, in the order of this header:
///   1. Types: kinds, symbol and caption properties, TLandMark, events
///   2. Drawing: DrawLandMarkSymbolOnCanvas, captions, the view of a map
///   3. TLandMarkList: adding, removing, finding, data, classes, highlight,
///      drawing the list, the landmark file
///   4. TSymbolRepository and its file
///
/// Conventions of the unit:
///   - Indices of landmarks and symbols are 1-based; index operations ignore
///     indices outside 1..count, reads outside it give the default record.
///   - Latitudes and longitudes are decimal degrees; distances used for
///     finding and removing are Euclidean in degrees (no geodesy).
///   - Texts are UTF-8 and cut on a character boundary to their capacity:
///     caption 80, identifier 15, symbol name 43 characters. The files are
///     written in Windows-1252 (characters it cannot hold become '?') with
///     XML escaping, and read back the same way.
///   - Colours are TColor values (red in the low byte).
///   - Errors raise EZELGeoMapError with 'Component "\<Name>": \<text>';
///     everything else reports through results.
///   - Not thread-safe: one list belongs to one thread at a time. Nothing
///     here changes the floating-point environment.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/zel_classes.hpp"
#include "core/zel_streams.hpp"
#include "core/zel_zelbase.hpp"
#include "gui/zel_controls.hpp"
#include "gui/zel_graphics.hpp"
#include "map/geomap/zel_mapcalib.hpp"

namespace zel {

// ===========================================================================
// 1. Types
// ===========================================================================

/// The kind of a landmark symbol.
enum class TLandMarkElement : int32_t {
  lmPlus = 0,       ///< upright cross
  lmSquare = 1,     ///< square
  lmTriangle = 2,   ///< triangle pointing to Direction
  lmCircle = 3,     ///< circle
  lmArrowFrom = 4,  ///< arrow leaving the position
  lmArrowTo = 5,    ///< arrow pointing at the position
  lmCrossBox = 6,   ///< square with both diagonals
  lmSpade = 7,      ///< diamond
  lmCross = 8,      ///< diagonal cross
  lmUserDef = 9     ///< nothing (drawn by the application in OnDrawLandmark)
};

/// The names of the kinds, indexed by their ordinal; the files store them.
inline constexpr std::array<std::string_view, 10> LMTypeNames = {
    "Plus",    "Square",   "Triangle", "Circle", "ArrowFrom",
    "ArrowTo", "CrossBox", "Spade",    "Cross",  "User-Defined"};

/// The kind whose LMTypeNames entry equals Name without regard to ASCII case
/// (blanks around Name ignored); lmCross for any other name.
TLandMarkElement LMTypeFromName(std::string_view Name);

/// What OnLandMarkAction is asked about.
enum class TLandMarkAction : int32_t { lmaAdd = 0, lmaRemove = 1 };

/// Vertical placement of a caption: the ordinal o moves the text up by o
/// half text heights (see DrawLandMarkCaption). The names say what the text
/// does relative to its anchor: lvaTop hangs below it, lvaCenter is centred
/// on it, lvaBottom stands on it. (The foundation's TVerticalAlignment has
/// other ordinals; files store these ordinals.)
enum class TLMVertAlignment : int32_t { lvaTop = 0, lvaCenter = 1, lvaBottom = 2 };

///@{
/// Capacities in characters: caption text, identifier, symbol name.
constexpr int32_t kLMTextCapacity = 80;
constexpr int32_t kLMIdentifierCapacity = 15;
constexpr int32_t kSymbolNameCapacity = 43;
///@}

/// Largest symbol Size and Length the drawing uses; larger values (and
/// negative ones, taken as 0) are clamped so that coordinates never overflow.
/// The canvas clips before it rasterises, so a huge symbol costs no more than
/// one the size of the surface.
constexpr int32_t kMaxSymbolExtent = 1 << 28;

/// The look of a symbol. Defaults: those of the default landmark.
struct TSymbolProperties {
  TLandMarkElement Kind = TLandMarkElement::lmCross;  ///< the kind
  int32_t Size = 7;                                   ///< half size in pixels
  TColor FGColor = clBlue;                            ///< pen colour
  TColor BGColor = clWhite;                           ///< fill and halo colour
  bool Transparent = false;                           ///< no fill and no halo
  int32_t Direction = 0;  ///< degrees clockwise from up (triangles, arrows)
  int32_t Length = 10;    ///< shaft length of arrows, pixels
  /// All fields equal.
  friend bool operator==(const TSymbolProperties&, const TSymbolProperties&) = default;
};

/// The caption of a landmark. Defaults: those of the default landmark.
struct TLMTextProperties {
  std::string Text;                              ///< UTF-8, at most 80 characters
  int32_t Size = 8;                              ///< font size, points
  std::string FontName = "MS Sans Serif";        ///< family; unknown names use the bundled font
  TFontStyles FontStyles;                        ///< bold, italic, underline, strike-out
  TColor FGColor = clBlack;                      ///< text colour
  TColor BGColor = clWhite;                      ///< text background unless Transparent
  bool Transparent = true;                       ///< no text background
  int32_t dx = 0;                                ///< offset from the symbol, pixels
  int32_t dy = 8;                                ///< offset from the symbol, pixels
  int32_t Direction = 0;                         ///< rotation, degrees counter-clockwise
  TAlignment HAlignment = TAlignment::taCenter;  ///< horizontal placement
  TLMVertAlignment VAlignment = TLMVertAlignment::lvaTop;  ///< vertical placement
  /// All fields equal.
  friend bool operator==(const TLMTextProperties&, const TLMTextProperties&) = default;
};

/// One landmark.
struct TLandMark {
  double Latitude = 0;            ///< degrees
  double Longitude = 0;           ///< degrees
  double Altitude = 0;            ///< metres (not interpreted)
  uint8_t ClassFlag = 0;          ///< class 0..255
  int32_t Tag = 0;                ///< free for the application
  TSymbolProperties SymbolProps;  ///< the symbol
  TLMTextProperties Caption;      ///< the caption
  std::string Identifier;         ///< UTF-8, at most 15 characters
  TDateTime Time = 0;             ///< days since 1899-12-30
  /// All fields equal.
  friend bool operator==(const TLandMark&, const TLandMark&) = default;
};

/// Asked before a landmark is added (lmaAdd) or removed (lmaRemove); Allow is
/// true on entry, setting it false vetoes the action. LandMark is a copy.
using TLandMarkActionEvent = std::function<void(TObject* Sender, bool& Allow,
                                                const TLandMark& LandMark, TLandMarkAction Action)>;

/// Called for each landmark drawn, at control position Position (which may
/// lie outside the control); Handled is false on entry, setting it true
/// suppresses the standard drawing. The canvas has the list's pen (green).
using TDrawLandMarkEvent = std::function<void(
    TObject* Sender, bool& Handled, const TLandMark& LandMark, TPoint Position, TCanvas& Canvas)>;

// ===========================================================================
// 2. Drawing
// ===========================================================================

/// Draws a symbol centred at (x, y) with s = Size (clamped to
/// 0..kMaxSymbolExtent, Length likewise), pen in ColorFG (width 1, solid,
/// copy) and fill in ColorBG; θ = Direction degrees clockwise from up, a
/// direction point at distance r being (x + round(r·sin θ), y − round(r·cos θ))
/// (round halves to even). Lines exclude their end pixel.
///   - lmPlus: MoveTo(x−s, y)/LineTo(x+s+1, y) and likewise vertically;
///     opaque: first the same lines in ColorBG at the 8 neighbour offsets.
///   - lmSquare: outline through (x±s, y±s) as a closed line path
///     (transparent: in ColorFG; opaque: in ColorBG, then Rectangle(x−s+1,
///     y−s+1, x+s, y+s) with the ColorFG pen and the ColorBG fill).
///   - lmTriangle: polygon through the direction points at distance s for
///     θ, θ+120°, θ−120°; filled unless transparent.
///   - lmCircle: Ellipse(x−s, y−s, x+s+1, y+s+1); clear fill when transparent.
///   - lmArrowFrom: a shaft from (x, y) to the tip at distance Length in θ;
///     head sides of length s from the tip to (tip − round(s·sin(θ±20°)),
///     tip + round(s·cos(θ±20°))): two lines when transparent, a filled
///     triangle otherwise.
///   - lmArrowTo: the shaft from the far point to (x, y), the head at (x, y)
///     with sides to (x + round(s·sin(θ±20°)), y − round(s·cos(θ±20°))).
///   - lmCrossBox: the outline of lmSquare and both diagonals (end pixel
///     excluded); opaque: first Rectangle(x−s−1, y−s−1, x+s+2, y+s+2) in
///     ColorBG (a one-pixel halo ring around the filled square).
///   - lmSpade: polygon (x, y−s), (x+s, y), (x, y+s), (x−s, y); filled
///     unless transparent.
///   - lmCross: the diagonals from (x−s, y−s) to (x+s, y+s) and from (x−s,
///     y+s) to (x+s, y−s) (end pixels excluded); opaque: first the halo of
///     lmPlus.
///   - lmUserDef: nothing. Any other value: a small plus from x−4 to x+5 and
///     y−4 to y+5 in ColorFG.
/// Pen and brush of Canvas are left as the symbol set them.
void DrawLandMarkSymbolOnCanvas(TCanvas& Canvas, int32_t x, int32_t y, TLandMarkElement Element,
                                TColor ColorFG, TColor ColorBG, int32_t Size, int32_t Direction,
                                int32_t Length, bool Transparent);

/// The corner at which a caption of the given text width and height is
/// written for a symbol at (x, y): with θ = Caption.Direction, B = TextWidth
/// div 2, C = TextHeight div 2, h = 0, 2B, B for left, right, centre and
/// v = 0, C, 2C for the VAlignment ordinals 0, 1, 2 (other values count as
/// 0), (x + dx + round(−h·cos θ − v·sin θ), y + dy + round(h·sin θ − v·cos θ)),
/// computed in 64 bits and saturated to int32.
TPoint LMCaptionOrigin(int32_t x, int32_t y, const TLMTextProperties& Caption, int32_t TextWidth,
                       int32_t TextHeight);

/// Draws Caption for a symbol at (x, y) when its text is not empty: the font
/// (name, size, styles, colour) of the caption, rotated by Direction degrees
/// counter-clockwise (orientation 10·Direction), the text background in
/// BGColor unless Transparent, written with TextOut at LMCaptionOrigin of
/// the unrotated text extent. The canvas's font and brush are restored
/// afterwards. Font errors of the graphics layer propagate.
void DrawLandMarkCaption(TCanvas& Canvas, int32_t x, int32_t y, const TLMTextProperties& Caption);

/// What the list needs to know about the control it is drawn on.
struct TLandMarkView {
  int32_t Width = 0;   ///< control width, pixels
  int32_t Height = 0;  ///< control height, pixels
  /// Geographic position to control pixel; false when the conversion fails
  /// (the landmark is then skipped). TGeoMap passes CalcPixelCoords
  /// followed by MapImageToControl.
  std::function<bool(double Latitude, double Longitude, TPoint& Pixel)> ToControl;
  /// True when a position lies inside the quadrilateral of the geographic
  /// positions of the four control corners (TGeoMap: PositionInMap of
  /// those corners). Only the random thinning uses it; when empty every
  /// landmark counts as inside.
  std::function<bool(double Latitude, double Longitude)> InView;
};

// ===========================================================================
// 3. The landmark list
// ===========================================================================

/// The landmark list of a map display, with the events and the file of
/// landmarks. Non-visual: drawing goes to a canvas given by the caller.
///
/// Storage: the capacity is 1000 at creation and grows in steps of 1000 when
/// the count passes a multiple of 1000 (the 1001st landmark makes it 2000);
/// when the list becomes empty it goes back to 1000. Growth that fails
/// raises EZELGeoMapError 'Component "\<Name>": insufficient memory'.
///
/// Notification: OnChanged (where the control repaints) is called once after
/// every operation that changes what is drawn, once at the end of a load,
/// never for vetoed or ignored calls. OnLandMarkAction is asked once per
/// landmark before it is added or removed, never while loading a file.
///
/// Re-entry: a handler of OnLandMarkAction may call the list. When the count
/// changes inside a handler during a removal, the removal stops at once
/// without removing anything further (the marks would be stale); the state
/// stays consistent.
class TLandMarkList : public TObject {
 public:
  /// An empty list. Sender is passed to the events and names the component
  /// in messages (a TComponent's Name, else the class name "TGeoMap");
  /// it may be null and must outlive the list.
  explicit TLandMarkList(TObject* Sender = nullptr);

  ///@{
  /// The object passed as Sender to the events.
  TObject* GetSender() const { return FSender; }
  void SetSender(TObject* Value) { FSender = Value; }
  ///@}

  /// Asked before each add and remove (see the class).
  TLandMarkActionEvent OnLandMarkAction;
  /// Called for each landmark drawn by DrawLandMarks (not for the highlight).
  TDrawLandMarkEvent OnDrawLandmark;
  /// Called once after each change (see the class).
  std::function<void()> OnChanged;

  // --- Adding --------------------------------------------------------------
  ///@{
  /// Appends a copy of the default landmark at (Lat, Long, Altitude) with
  /// the given fields replaced: Identifier (cut to 15 characters) and Time;
  /// the caption text (cut to 80 characters), its size and its text colour;
  /// or all symbol fields and the class, tag, identifier and time (the
  /// caption then comes from the default landmark). OnLandMarkAction
  /// (lmaAdd) is asked first; a veto leaves everything unchanged.
  /// @throws EZELGeoMapError "Component \"<Name>\": insufficient memory"
  void AddLandMark(double Lat, double Long, double Altitude);
  void AddLandMark(double Lat, double Long, double Altitude, const std::string& Identifier,
                   TDateTime Time);
  void AddLandMark(double Lat, double Long, double Altitude, const std::string& CaptionText,
                   int32_t CaptionSize, TColor CaptionColor);
  void AddLandMark(double Lat, double Long, double Altitude, const std::string& Identifier,
                   TDateTime Time, const std::string& CaptionText, int32_t CaptionSize,
                   TColor CaptionColor);
  void AddLandMark(double Lat, double Long, double Altitude, TLandMarkElement Element,
                   uint8_t ClassFlag, const std::string& Identifier, TDateTime Time, int32_t Tag,
                   TColor ColorFG, TColor ColorBG, int32_t Size, bool Transparent,
                   int32_t Direction, int32_t Length);
  ///@}

  // --- Removing ------------------------------------------------------------
  // ClassFlag selects a class 0..255; -1, and any value below -1 or above
  // 255, selects every class. Each matching landmark is offered to
  // OnLandMarkAction (lmaRemove) and removed only when allowed. Freed slots
  // are filled with the last landmarks (the order is not kept). The
  // highlight index becomes 0 whenever something is removed.

  /// Removes the landmarks of the class whose squared distance
  /// (ΔLat² + ΔLong², degrees) is strictly below Radius² (so Radius 0, a
  /// NaN radius or position removes nothing).
  void RemoveLandMark(double Lat, double Long, int32_t ClassFlag, double Radius);
  /// Removes the landmarks of the class with Longitude between Rect.Left
  /// and Rect.Right and Latitude between Rect.Top and Rect.Bottom, bounds
  /// inclusive and in either order.
  void RemoveLandMark(const TRectDouble& Rect, int32_t ClassFlag);
  /// Removes the landmark of the class nearest to the position
  /// (FindLandMark), when there is one and it is allowed.
  void RemoveLandMark(double Lat, double Long, int32_t ClassFlag);
  /// Removes landmark LmIndex (ignored outside 1..count) when allowed: the
  /// last landmark moves into its slot.
  void RemoveLandMark(int32_t LmIndex);
  /// Removes the last landmark when allowed.
  void RemoveLastLandMark();
  /// Removes every allowed landmark of class ClassFlag.
  void RemoveAllLandMarks(uint8_t ClassFlag);
  /// Removes every allowed landmark.
  void RemoveAllLandMarks();

  // --- Finding and data ----------------------------------------------------
  /// 1-based index of the landmark of the class (as for removing) with the
  /// smallest squared distance in degrees from the position, 0 when none is
  /// nearer than 1e10 (an empty list, no landmark of the class, a NaN
  /// position). Of equally near landmarks the first wins.
  int32_t FindLandMark(double Lat, double Long, int32_t ClassFlag) const;
  /// The number of landmarks.
  int32_t GetNumLandMarks() const { return static_cast<int32_t>(FLandMarks.size()); }
  /// The capacity in the steps of the class comment.
  int32_t GetCapacity() const { return FCapacity; }
  /// Landmark i (1-based); the default landmark for i outside 1..count.
  const TLandMark& GetLandMarkData(int32_t i) const;
  /// Copies LandMark into slot i (texts cut to their capacity) and notifies;
  /// ignored outside 1..count.
  void SetLandMarkData(int32_t i, const TLandMark& LandMark);
  ///@{
  /// The template of new landmarks (texts cut to their capacity when set).
  const TLandMark& GetLandMarkDefault() const { return FDefaultLM; }
  void SetLandMarkDefault(const TLandMark& Value);
  ///@}

  // --- Classes, highlight, thinning ----------------------------------------
  ///@{
  /// Whether landmarks of a class are drawn (all true at creation); a change
  /// notifies.
  bool GetClassVisibility(uint8_t ClassFlag) const { return FLMClassVisible[ClassFlag] != 0; }
  void SetClassVisibility(uint8_t ClassFlag, bool Visible);
  ///@}
  ///@{
  /// 1-based index of the highlighted landmark, 0 for none; values below 0
  /// or above the count store 0; a change notifies.
  int32_t GetHighLightLandMark() const { return FHighLM; }
  void SetHighLightLandMark(int32_t Value);
  ///@}
  /// Colours and transparency of the highlighted symbol (default blue on
  /// yellow, opaque); notifies.
  void SetHighLightProperties(TColor ColorFG, TColor ColorBG, bool Transparent);
  ///@{
  /// Highlight colours and transparency as set.
  TColor GetHighLightColorFG() const { return FHighLMColFG; }
  TColor GetHighLightColorBG() const { return FHighLMColBG; }
  bool GetHighLightTransparent() const { return FHighLMTrans; }
  ///@}
  ///@{
  /// Above this many landmarks the drawing thins them at random (default
  /// 20000; negative values store 0).
  int32_t GetLMRandomDisplayThreshold() const { return FLMRandSampleLimit; }
  void SetLMRandomDisplayThreshold(int32_t Value);
  ///@}

  // --- Drawing -------------------------------------------------------------
  /// Draws one landmark at control position (x, y) of a control of Width x
  /// Height: OnDrawLandmark may handle it; otherwise, only when 0 < x <
  /// Width and 0 < y < Height, the symbol and (when its text is not empty)
  /// the caption.
  void DrawLandMark(TCanvas& Canvas, const TLandMark& LandMark, int32_t x, int32_t y, int32_t Width,
                    int32_t Height);
  /// Draws the landmarks of visible classes (the rendering step of the map
  /// display). The pen becomes green ($00FF00), solid, copy. The drawing
  /// probability is 1; when the count exceeds the threshold T, the landmarks
  /// of visible classes inside View.InView are counted, and when that count
  /// L exceeds T it becomes T/L and each landmark is drawn when BRandom
  /// (process generator) returns true. Each drawn landmark is converted with
  /// View.ToControl (skipped when that fails or is empty) and drawn with
  /// DrawLandMark. A handler that changes the list ends the drawing.
  void DrawLandMarks(TCanvas& Canvas, const TLandMarkView& View);
  /// Draws the highlighted landmark (when the index is not 0) in the
  /// highlight colours and transparency, with its caption, without the
  /// event, inside the control as DrawLandMark.
  void DrawHighLightedLandMark(TCanvas& Canvas, const TLandMarkView& View);

  // --- The landmark file ---------------------------------------------------
  /// Reads the landmark section with id DataID (any section when DataID is
  /// empty) from file FName; false when the file cannot be opened, is not a
  /// regular readable file, or the section is missing or damaged.
  bool LoadLandMarks(const std::string& FName, const std::string& DataID);
  /// Reads from an open text file: lines are skipped up to one whose lower-
  /// cased text contains "<gmlandmarks", "zelcsuite" and, when DataID is not
  /// empty, an id attribute equal to DataID (ASCII case ignored). Then tags
  /// are read with ReadNextTagInTextFile up to "/gmlandmarks" (or "/geomap");
  /// each "landmark" element becomes one landmark built from the default
  /// landmark and its attributes: lat, long, alti (numbers with exponent,
  /// "." or ","; a magnitude beyond the double range reads as infinity, and
  /// "inf", "-inf" and "nan" as the writer writes them); class (clamped to
  /// 0..255); usertag; colorfg, colorbg, capfgcol, capbgcol (hexadecimal);
  /// size, dir, leng, capsize, capdir, capdx, capdy (integers); transp,
  /// captransp (true when the lower-cased value contains "true"); element
  /// (LMTypeFromName); id (15 characters); date ("yyyymmddHHMMSS"); captext
  /// (80 characters); capfnm; caphal, capval (ordinals; values outside 0..2
  /// give 0); capfst (four characters "0"/"1" for bold, italic, underline,
  /// strike-out; missing positions count as "0"). Missing attributes keep
  /// the default's value; a number attribute that is not one number gives
  /// false. The result is true when the section was found and closed; the
  /// list is then replaced (highlight 0, one OnChanged, no events). A file
  /// that ends inside the section, or in an unclosed tag, gives false and
  /// leaves the list unchanged. The file is left after the closing tag.
  bool ReadLandMarksFromOpenXMLFile(TTextFile& F, const std::string& DataID);
  /// Writes a file that LoadLandMarks reads back: XML declaration, an empty
  /// line, a comment, then WriteLandMarksToOpenXMLFile. False when the file
  /// cannot be created or a write (Close included) fails.
  bool SaveLandmarks(const std::string& FName, const std::string& DataID);
  /// Writes `<gmlandmarks sig="ZELCSuite" vers="1.0" id="DataID">`, one
  /// line `<landmark .../>` per landmark with every attribute the reader
  /// knows (numbers round-trip exactly, those that are not finite as "inf",
  /// "-inf" or "nan"; colours as 8 hexadecimal digits, the date as
  /// yyyymmddHHMMSS, texts escaped), and `</gmlandmarks>`. False when a
  /// write fails.
  bool WriteLandMarksToOpenXMLFile(TTextFile& F, const std::string& DataID);

 private:
  std::string Msg(const std::string& Text) const;
  bool Ask(const TLandMark& LM, TLandMarkAction Action);
  void Changed();
  void Append(const TLandMark& LM);
  // Marks what Match selects, asks for each, compacts; returns whether
  // anything was removed.
  void RemoveMatching(const std::function<bool(const TLandMark&)>& Match);
  void SetCapacityFor(size_t Count);

  TObject* FSender;
  std::vector<TLandMark> FLandMarks;
  int32_t FCapacity = 1000;
  std::array<uint8_t, 256> FLMClassVisible;
  TLandMark FDefaultLM;
  int32_t FHighLM = 0;
  TColor FHighLMColFG = clBlue;
  TColor FHighLMColBG = clYellow;
  bool FHighLMTrans = false;
  int32_t FLMRandSampleLimit = 20000;
};

// ===========================================================================
// 4. The symbol repository
// ===========================================================================

/// One named symbol style.
struct TSymbol {
  TSymbolProperties Properties;  ///< the look
  std::string Name;              ///< UTF-8, at most 43 characters
  int32_t Category = 0;          ///< free for the application
  /// All fields equal.
  friend bool operator==(const TSymbol&, const TSymbol&) = default;
};

/// DefaultSymbolRecord: lmCross, size 8, black on red, opaque, direction 90,
/// length 40, empty name, category 0.
TSymbol DefaultSymbolRecord();

/// A list of named symbol styles with a backup copy and an XML file. The
/// list grows as needed (the file reader appends without limit other than
/// memory and the int32 count).
class TSymbolRepository : public TComponent {
 public:
  /// An empty repository owned by AOwner (which may be null).
  explicit TSymbolRepository(TComponent* AOwner);

  std::string ClassName() const override { return "TSymbolRepository"; }

  ///@{
  /// The count; writing a value >= 0 sets it (new entries are default
  /// records), negative values are ignored.
  /// @throws EZELGeoMapError "Component \"<Name>\": insufficient memory"
  int32_t GetNumEntries() const { return static_cast<int32_t>(FSymbols.size()); }
  void SetNumEntries(int32_t Value);
  ///@}
  ///@{
  /// Entry ix (1-based): the default record outside 1..count; writes
  /// outside it are ignored (the name is cut to 43 characters).
  TSymbol GetValues(int32_t ix) const;
  void SetValues(int32_t ix, const TSymbol& Value);
  ///@}
  /// Every entry becomes the default record; the count stays.
  void Clear();
  ///@{
  /// Copies all entries and the count to and from the backup.
  void Backup();
  void Restore();
  ///@}
  /// Copies the entries of another TSymbolRepository (the backup stays);
  /// other sources throw as TPersistent::Assign does.
  void Assign(const TPersistent* Source) override;

  /// Writes the repository file (see the format in StoreOnFile's
  /// definition: declaration, empty line, comment, `<lmsymbols sig=
  /// "ZELCSuite" vers="1.0" id="DataID">`, one `<symbol element= name=
  /// category= colorfg= colorbg= size= transp= dir= leng= />` line per
  /// entry, `</lmsymbols>`). False when a write fails.
  bool StoreOnFile(const std::string& FName, const std::string& DataID);
  /// Reads the section DataID of file FName; false when the file cannot be
  /// opened or the section is missing or damaged.
  bool LoadFromFile(const std::string& FName, const std::string& DataID);
  /// Finds the "lmsymbols" line with "zelcsuite" (and the id when DataID is
  /// not empty), then appends one entry per "symbol" element (category,
  /// name, colorfg, colorbg, size, transp, dir, leng, element; missing
  /// attributes keep the default record's values) up to "/lmsymbols". True
  /// when the section was found and closed: the entries are then replaced
  /// (the backup stays). Otherwise false and nothing changes.
  bool ReadFromOpenXMLFile(TTextFile& F, const std::string& DataID);

 private:
  std::vector<TSymbol> FSymbols;
  std::vector<TSymbol> FSymbolsBak;
};

}  // namespace zel
