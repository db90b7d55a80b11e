/// @file
/// Zel_geoatlas, the atlas: TGeoAtlas, a container control of the off-screen
/// graphics layer (gui/zel_controls.hpp) that embeds a map display (TGeoMap of
/// map/geomap/zel_geomap.hpp) below a command panel, keeps a table of up to
/// kMaxAtlasMaps registered maps (each described by its calibration file,
/// map/geomap/zel_mapcalib.hpp), zooms by switching to a finer or coarser
/// registered map around a position, lists the maps in a drop-down box and
/// outlines the other registered maps on the one shown.
///
/// Families, in the order of this header:
///   1. Types: the map definition, cursor numbers, capacities
///   2. The control: creation, parts, look
///   3. The map table: registering, unregistering, selecting
///   4. Zooming by changing maps
///
/// Layout (created by the constructor, owned by the atlas):
///   - the command panel (GetCmdPanel): alTop, 33 pixels high;
///   - on it two speed buttons of group 1, 25 x 25 pixels: the pointer
///     button at (4, 4) with the glyph "POINTR" (down at creation) and the
///     zoom button at (29, 4) with the glyph "ZOOMIN" (gui/zel_resources.hpp);
///   - the map selector (GetMapSelector), a csDropDownList combo box 300
///     pixels wide at (64, 5), 10 pixels right of the zoom button;
///   - the embedded map (GetGeoMap): alClient, below the panel.
///   Control defaults: left 100, top 50, width 480, height 320.
///
/// Conventions of the unit:
///   - Map indices are 1-based (1..GetNumRegMaps()); 0 means "none".
///   - File names of calibration files are kept as written (never
///     lower-cased: a name with capitals must stay reachable on a
///     case-sensitive file system); two names are the same map when they
///     are equal without regard to ASCII case.
///   - The atlas owns these handlers of the embedded map and sets them at
///     creation: OnMouseDown, OnMouseMove, OnMouseUp, OnClick, OnDblClick,
///     OnMapImageRequest and OnDataRendered. Replacing them disconnects the
///     atlas; use the atlas's own events (TControl's OnMouseDown ... OnClick,
///     OnDblClick, and the three below) instead. Likewise the atlas owns the
///     OnClick handlers of its two buttons and the OnChange handler of the
///     map selector.
///   - Errors of the parts propagate: the calibration reader's
///     EZELGeoMapError for a damaged file, and the map's EZELGeoMapError for
///     an image it cannot use.
///   - Single-threaded: every call belongs to the GUI thread.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/zel_classes.hpp"
#include "gui/zel_controls.hpp"
#include "map/geomap/zel_geomap.hpp"
#include "map/geomap/zel_mapcalib.hpp"

namespace zel {

// ===========================================================================
// 1. Types
// ===========================================================================

/// One registered map, as read from its calibration file.
struct TMapDefinition {
  std::string MapFName;    ///< the calibration file, as given to RegisterMap
  std::string Caption;     ///< the calibration's caption
  double Resolution = 0;   ///< metres per pixel (the file's resolution element; 0 without it)
  TCornerArray Corners{};  ///< corner positions from the file, TCorners order
};

/// Capacity of the map table.
inline constexpr int32_t kMaxAtlasMaps = 200;

///@{
/// Cursor numbers under which the atlas registers its cursor images with
/// Screen() at creation: the zoom cursor ("CURGEOZOOM") and the hand cursor
/// ("CURGEOHAND").
inline constexpr TCursor crGeoZoom = 1000;
inline constexpr TCursor crGeoHand = 1001;
///@}

///@{
/// Geometry of the command panel and its parts (pixels).
inline constexpr int32_t kAtlasPanelHeight = 33;
inline constexpr int32_t kAtlasButtonSize = 25;
inline constexpr int32_t kAtlasSelectorWidth = 300;
///@}

// ===========================================================================
// 2. The control
// ===========================================================================

/// The atlas control. See the file comment for the layout and conventions.
///
/// Mouse on the map: the atlas hears the embedded map's press, move and
/// release (after the map has recorded the position and run its own mouse
/// action) and, for a press while the zoom button is down, first zooms:
/// the left button calls ZoomIn, any other button ZoomOut, both with the
/// current map's Resolution and the geographic position of the press
/// (the map's calibration at its GetLastClickPosX/Y; no zoom when that
/// position does not convert). Then the atlas fires its own OnMouseDown,
/// OnMouseMove or OnMouseUp with Sender = the atlas and X, Y in the
/// atlas's coordinates (the map's position added). The map's OnClick and
/// OnDblClick become the atlas's Click and DblClick.
///
/// Buttons: a click on either button (after the group has put it down)
/// sets the atlas cursor to crGeoZoom and switches panning of the map off
/// when the zoom button is down, else to crHandPoint with panning on; then
/// OnClick of the atlas fires, then OnZoomButClick or OnPointerButClick of
/// the button clicked.
///
/// Map selector: a choice by the user (OnChange of the combo box) makes the
/// chosen entry current (CurrentMap = position + 1), loads its calibration
/// into the map (TGeoMap::LoadCalDataFromXML, empty data id) and fires
/// OnCBoxMapsChange. The list holds one line per map, its caption or, when
/// that is empty, its file name; the entry shown is the current map's once
/// it has been loaded (ItemIndex -1 before).
///
/// Map images: the atlas answers the map's OnMapImageRequest while a map is
/// current: the requested image name loses its directory ('/' and '\\' both
/// count) and is looked for in the directory of the current map's
/// calibration file (LocateCalibFile, so its letter case may differ); when
/// such a file exists it replaces the name, otherwise the name stays as the
/// map asked for it (an image in a subfolder that the calibration names is
/// still found). Map images are therefore found beside their calibration
/// files, wherever the calibration says they were.
///
/// Outlines (the atlas draws in the map's OnDataRendered, on the map's
/// buffer): when MapOutlineVisible, with a solid pen of width 1 in
/// MapOutlineColor, for every registered map except the entry shown in the
/// map selector, a closed line through its corners gcoTopRight,
/// gcoTopLeft, gcoBottomLeft, gcoBottomRight and gcoTopRight again, each
/// converted with the shown map's CalcPixelCoords and MapImageToControl. A
/// corner that does not convert is left out, and the line starts at the
/// first corner that converts (never at a stale pen position). The pen is
/// restored afterwards.
class TGeoAtlas : public TCustomControl {
 public:
  /// A 480 x 320 atlas at (100, 50) owned by AOwner (nullptr: the caller
  /// owns it) with its map, panel, buttons and selector (see the file
  /// comment); no map registered. Registers the cursor images "CURGEOZOOM"
  /// and "CURGEOHAND" with Screen() under crGeoZoom and crGeoHand
  /// (replacing what was registered there).
  explicit TGeoAtlas(TComponent* AOwner);
  /// Disconnects the handlers it set on its parts; the parts are freed
  /// with the atlas (it owns them).
  ~TGeoAtlas() override;
  std::string ClassName() const override { return "TGeoAtlas"; }

  ///@{
  /// The parts (owned by the atlas; do not free them).
  TGeoMap* GetGeoMap() const { return FGeoMap; }
  TPanel* GetCmdPanel() const { return FCPanel; }
  TComboBox* GetMapSelector() const { return FCboxMaps; }
  TSpeedButton* GetPointerButton() const { return FSBPoint; }
  TSpeedButton* GetZoomButton() const { return FSBZoom; }
  ///@}

  ///@{
  /// Visibility of the command panel (default true); hiding it gives the
  /// map the whole control.
  bool GetCmdPanelVisible() const { return FCPanel->GetVisible(); }
  void SetCmdPanelVisible(bool Value) { FCPanel->SetVisible(Value); }
  ///@}
  ///@{
  /// Colour of the outlines; default clBlue ($FF0000). Repaints the map.
  TColor GetMapOutlineColor() const { return FMapOLColor; }
  void SetMapOutlineColor(TColor Value);
  ///@}
  ///@{
  /// Whether the outlines are drawn; default true. Repaints the map.
  bool GetMapOutlineVisible() const { return FMapOLVisible; }
  void SetMapOutlineVisible(bool Value);
  ///@}
  ///@{
  /// The least improvement of the resolution, in percent, for which ZoomIn
  /// takes a finer map; default 10. Any finite value (NaN and infinities
  /// are ignored).
  double GetMinResDiff() const { return FMinResDiff; }
  void SetMinResDiff(double Value);
  ///@}

  ///@{
  /// Fired after a click on the zoom button, on the pointer button, and
  /// after the user chose an entry of the map selector (see the class).
  TNotifyEvent OnZoomButClick;
  TNotifyEvent OnPointerButClick;
  TNotifyEvent OnCBoxMapsChange;
  ///@}

  // ===========================================================================
  // 3. The map table
  // ===========================================================================

  /// Number of registered maps, 0..kMaxAtlasMaps.
  int32_t GetNumRegMaps() const { return static_cast<int32_t>(FRegMaps.size()); }
  /// Index of the current map, 1..GetNumRegMaps(); 0 when none.
  int32_t GetCurrentMap() const { return FCurrentMapIdx; }
  /// A copy of map ix for 1 <= ix <= GetNumRegMaps(); an empty definition
  /// (empty names, resolution 0, zero corners) for any other ix (also for
  /// a slot that an unregistered map left behind).
  TMapDefinition GetMapDef(int32_t ix) const;

  /// Registers the calibration file MapFName (read with ParseCalibData,
  /// empty data id: the first geomap element). An entry whose file name
  /// equals MapFName without regard to ASCII case is updated in place (it
  /// keeps its first spelling); otherwise a new entry is appended. The
  /// entry takes the caption, resolution and corners of the file; the map
  /// selector is refilled, still showing the entry it showed. True when
  /// stored. False, with nothing changed, when the file cannot be read or
  /// holds no calibration, and when a new entry would exceed kMaxAtlasMaps.
  /// The map shown is not reloaded.
  /// @throws EZELGeoMapError of ParseCalibData for a damaged file (nothing
  /// changed).
  bool RegisterMap(const std::string& MapFName);

  /// Removes map Index (ignored unless 1 <= Index <= GetNumRegMaps()); the
  /// following maps move down one place and the selector is refilled.
  /// CurrentMap keeps naming the same map: it drops by one when an earlier
  /// map goes. When the current map itself goes, map min(Index, new count)
  /// is selected (SelectMap), or, when none is left, CurrentMap becomes 0
  /// and the map is cleared (TGeoMap::Clear). Otherwise the map is
  /// repainted (its outlines change).
  void UnregisterMap(int32_t Index);

  /// Makes map Index current and loads its calibration file into the
  /// embedded map (TGeoMap::LoadCalDataFromXML, empty data id), which loads
  /// the map image too (see the class on image names). On success the
  /// selector shows the entry. Returns the load result: false when the file
  /// cannot be read (CurrentMap is Index all the same), and false, with
  /// nothing changed, for an Index outside 1..GetNumRegMaps(). Exceptions of
  /// the load propagate (CurrentMap is Index).
  bool SelectMap(int32_t Index);

  // ===========================================================================
  // 4. Zooming by changing maps
  // ===========================================================================

  /// Switches to a finer map at (CurrentLat, CurrentLong) (degrees).
  /// Candidates are the registered maps whose corner quadrilateral contains
  /// the position (PositionInMap) and whose resolution b satisfies (R - b) /
  /// R > MinResDiff / 100, R = CurrentResolution; the one with the largest
  /// b wins (the first of equal ones; b must exceed 0). The winner is
  /// selected (SelectMap) and, when that succeeds, the position is brought
  /// to the centre of the view (TGeoMap::BringLocationToCenter). Returns
  /// true when a map was chosen and loaded. False, with nothing changed, when
  /// no map qualifies and when R is not a finite positive number (no map is
  /// current: its resolution is 0).
  bool ZoomIn(double CurrentResolution, double CurrentLong, double CurrentLat);
  /// Switches to a coarser map: candidates contain the position and have
  /// b > R; the smallest b below 1e10 wins (the first of equal ones).
  /// Otherwise as ZoomIn.
  bool ZoomOut(double CurrentResolution, double CurrentLong, double CurrentLat);

 private:
  void FillSelector();
  void ButtonClick(TObject* Sender);
  void SelectorChange();
  void MapImageRequest(std::string& FileName) const;
  void DrawOutlines(TCanvas& Canvas) const;
  void MapMouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  bool ZoomTo(int32_t Index, double Long, double Lat);

  TGeoMap* FGeoMap = nullptr;
  TPanel* FCPanel = nullptr;
  TSpeedButton* FSBPoint = nullptr;
  TSpeedButton* FSBZoom = nullptr;
  TComboBox* FCboxMaps = nullptr;
  TColor FMapOLColor = clBlue;
  bool FMapOLVisible = true;
  double FMinResDiff = 10;
  std::vector<TMapDefinition> FRegMaps;
  int32_t FCurrentMapIdx = 0;
};

}  // namespace zel
