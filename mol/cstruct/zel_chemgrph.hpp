/// @file
/// Zel_chemgrph: TChemGraph, the structure drawing control. It owns one
/// connection table (TCTab) and draws it as a 2-D structure diagram: bonds
/// as lines (double and triple bonds as parallel lines, aromatic bonds
/// dashed), atom labels with implicit hydrogens and charges, per-atom colours
/// and text styles. It reports the atom under the mouse, picks the ring or
/// chain nearest to a point, draws the molecule into any box of any canvas
/// and improves a 2-D layout by a random search.
///
/// Families, in the order of this header:
///   1. Types: display modes, directions, the mouse event, the drawing record
///   2. TChemGraph: structure and look (properties)
///   3. TChemGraph: per-atom colours and styles
///   4. TChemGraph: drawing (Paint, ShowMoleculeInABox, labels)
///   5. TChemGraph: picking (mouse, nearest ring, nearest chain)
///   6. TChemGraph: layout optimisation
///
/// Conventions of the unit:
/// - Atoms are numbered 1..NAtoms as in Zel_cstruct. Positions passed to the
///   picking routines are pixels of the last drawing; they are turned back
///   into structure coordinates with the last transformation,
///   (pixel - offset) / scale. The scale is always positive and finite.
/// - Pixel of a coordinate: RoundToInt32(coordinate * scale + offset) (halves
///   to even, saturated), x from coordinate 1, y from coordinate 2 (y is not
///   flipped: structure y grows downwards like pixel y).
/// - Property writes and changes of the owned table mark the control for
///   painting (Invalidate); the picture is drawn when it is next needed
///   (Update, Repaint, a snapshot of the host). Mouse moves and the picking
///   routines paint a marked control first, so the transformation they use
///   is the one of the picture on show.
/// - Every drawing (Paint or ShowMoleculeInABox) records what it drew in
///   GetLastDrawing: the transformation, the font size, the bond lines and
///   the labels.
/// - Nothing here raises besides std::bad_alloc and the font errors of the
///   graphics layer (EFontError). Main thread only, like every control.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/zel_zelbase.hpp"
#include "gui/zel_controls.hpp"
#include "gui/zel_graphics.hpp"
#include "mol/cstruct/zel_cstruct.hpp"

namespace zel {

// ===========================================================================
// 1. Types
// ===========================================================================

/// Which atoms carry labels.
enum class TCGDispMode : int32_t {
  dmSkeleton = 0,    ///< atoms without bonds and charged atoms
  dmHeteroOnly = 1,  ///< as dmSkeleton, plus every atom that is not carbon
  dmAllAtoms = 2,    ///< every atom
  dmNumbers = 3      ///< every atom, labelled with its index
};

/// A side of the clip rectangle of the labels (ClipBoundary).
enum class TDirection : int32_t { diLeft = 0, diTop = 1, diRight = 2, diBottom = 3 };

/// OnMoveOverStruct: the atom closest to the mouse (0 for an empty table),
/// the shift state, the mouse position in structure coordinates and the
/// distance of the atom from it in structure units (uc_MaxReal when empty).
using TMoveOverStructEvent = std::function<void(
    TObject* Sender, int32_t ClosestAtom, TShiftState Shift, double X, double Y, double Dist)>;

/// A chain: entry 0 holds the number of atoms n, entries 1..n the atoms.
using TChainList = std::array<int32_t, kMaxCTAtoms + 1>;

/// One bond as drawn: its atoms (A < B), its type as drawn (types outside
/// 1..4 are drawn as 1) and the end points of the centre line after the
/// shortening at labelled ends.
struct TChemGraphBond {
  int32_t A = 0;     ///< lower-numbered atom
  int32_t B = 0;     ///< other atom
  int32_t Type = 1;  ///< 1 single, 2 double, 3 triple, 4 aromatic (dashed)
  TPoint From;       ///< end at A
  TPoint To;         ///< end at B
};

/// One label as drawn.
struct TChemGraphLabel {
  int32_t Atom = 0;      ///< the atom
  std::string Text;      ///< element symbol and suffix, or the atom index
  TPoint Centre;         ///< the atom's pixel position
  TRect Box;             ///< text cell: Left, Top inside; Right, Bottom outside
  TColor Color = 0;      ///< the label colour
  bool Inverse = false;  ///< drawn in the background colour on a box of Color
};

/// What the last drawing drew.
struct TChemGraphDrawing {
  double Scale = 1;                     ///< pixels per structure unit
  double OffsetX = 0;                   ///< x offset in pixels
  double OffsetY = 0;                   ///< y offset in pixels
  int32_t FontSize = 0;                 ///< label font size in points (0: nothing drawn)
  std::vector<TChemGraphBond> Bonds;    ///< the bonds drawn, in order
  std::vector<TChemGraphLabel> Labels;  ///< the labels drawn, in order
};

// ===========================================================================
// 2. TChemGraph
// ===========================================================================

/// The structure drawing control. Created 300 x 200 with the font "Courier
/// New" (matched to Liberation Mono by the graphics layer), size 14,
/// regular; display mode dmSkeleton, structure colour maroon (clMaroon),
/// background clBtnFace, colour scheme csGrayWhite, frame fsRaised,
/// MaxBondLeng 30. It owns its TCTab (freed with the control), whose OnChange
/// it sets to repaint itself: a caller must not replace that handler.
class TChemGraph : public TGraphicControl {
 public:
  /// A control owned by AOwner (may be null) holding an empty table.
  explicit TChemGraph(TComponent* AOwner);
  ~TChemGraph() override;
  std::string ClassName() const override { return "TChemGraph"; }

  // -------------------------------------------------------------------------
  // Structure and look
  // -------------------------------------------------------------------------

  /// The owned table; the pointer stays the same for the control's life.
  TCTab* GetStructure() const { return FStructure; }
  /// Copies Value into the owned table (TCTab::CopyFrom); a null Value or
  /// the owned table itself does nothing. The pointer is never re-seated.
  void SetStructure(const TCTab* Value);

  ///@{
  /// The label mode.
  TCGDispMode GetDisplayMode() const { return FDispMode; }
  void SetDisplayMode(TCGDispMode Value);
  ///@}
  ///@{
  /// The default colour of bonds and labels.
  TColor GetColorStructure() const { return FMolColor; }
  void SetColorStructure(TColor Value);
  ///@}
  ///@{
  /// The background colour.
  TColor GetColorBkg() const { return FColorBakG; }
  void SetColorBkg(TColor Value);
  ///@}
  ///@{
  /// The frame's grey and white lines: csGrayWhite 0x808080 and 0xFFFFFF,
  /// csSystem clBtnShadow and clBtnHighlight.
  TColorScheme GetColorScheme() const { return FColorScheme; }
  void SetColorScheme(TColorScheme Value);
  ///@}
  ///@{
  /// The frame around the drawing (DrawFrame, the outermost pixels).
  TFrameStyle GetFrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle Value);
  ///@}
  ///@{
  /// The largest drawn bond length in pixels; 0 or less: no limit.
  int32_t GetMaxBondLeng() const { return FMaxBondLeng; }
  void SetMaxBondLeng(int32_t Value);
  ///@}
  ///@{
  /// Draws coordinates as pixels (scale 1, offsets 0).
  bool GetDrawUnscaled() const { return FDrawAsIs; }
  void SetDrawUnscaled(bool Value);
  ///@}
  ///@{
  /// Painting off while true; writing false repaints.
  bool GetSuppressPaint() const { return FSuppressPaint; }
  void SetSuppressPaint(bool Value);
  ///@}
  ///@{
  /// The clip rectangle of the labels (default 0, 0, 800, 600). It applies
  /// only after a caller has written a side: then only atoms whose pixel
  /// lies more than 40 pixels inside it on every side are labelled.
  /// ClearClipBoundary switches it off again. Invalid directions read 0 and
  /// are ignored.
  int32_t GetClipBoundary(TDirection Side) const;
  void SetClipBoundary(TDirection Side, int32_t Value);
  void ClearClipBoundary();
  bool GetClipping() const { return FClipping; }
  ///@}

  // -------------------------------------------------------------------------
  // Per-atom colours and styles (the atom record's dispAttr)
  // -------------------------------------------------------------------------

  ///@{
  /// Atom i's colour (bits 0..23 of dispAttr; 0 for an invalid index).
  /// Writing stores ColorToRGB(Value) there and clears kDispDefaultColor,
  /// keeping the visual attributes; an invalid index is ignored.
  TColor GetAtColor(int32_t i) const;
  void SetAtColor(int32_t i, TColor Value);
  ///@}
  ///@{
  /// Atom i's visual attributes, 0..7 (bits 28..30 of dispAttr): 1 bold,
  /// 2 inverse (label in the background colour on a box of the label
  /// colour), 4 italic. 0 for an invalid index; writes with an invalid
  /// index or a value outside 0..7 are ignored.
  int32_t GetAtVisAttrib(int32_t i) const;
  void SetAtVisAttrib(int32_t i, int32_t Value);
  ///@}

  ///@{
  /// Values of GetAtVisAttrib.
  static constexpr int32_t kVisBold = 1;
  static constexpr int32_t kVisInverse = 2;
  static constexpr int32_t kVisItalic = 4;
  ///@}

  // -------------------------------------------------------------------------
  // Drawing
  // -------------------------------------------------------------------------

  /// Draws the molecule into the box (llx, lly)-(urx, ury) of Canvas, the
  /// corners in either order (the box is normalised). Scale: the smaller of
  /// box width / x range and box height / y range (a zero range uses the
  /// numerator itself, a width or height below 1 counts as 1), limited to
  /// MaxBondLeng / b with b the mean bond length (to MaxBondLeng itself when
  /// there are no bonds) when MaxBondLeng > 0. The molecule's extent centre
  /// lands on the box centre. Labels in "Courier New" at the size
  /// FontSizeFor gives, in DispMode. Nothing for an empty table. Canvas's
  /// pen, brush and font are restored afterwards. Records GetLastDrawing but
  /// leaves the control's own transformation alone.
  void ShowMoleculeInABox(TCanvas& Canvas, TCGDispMode DispMode, int32_t llx, int32_t lly,
                          int32_t urx, int32_t ury, int32_t MaxBondLeng);

  /// The label size in points for a scale and a mean bond length b:
  /// t = round(scale * b / 5); 8 when t < 4, else min(t + 4, 20).
  static int32_t FontSizeFor(double Scale, double MeanBond);

  /// Atom i's label text: the element symbol and a suffix chosen by the
  /// charge q and the bond-type sum s (aromatic bonds count 4), looked up
  /// as the pair (q, s) for s <= 9:
  ///   N, P: q 0: s 0 "H3", 1 "H2", 2 "H", 3 none; q +1: s 0 "H4+", 1 "H3+",
  ///         2 "H2+", 3 "H+", 4 "+"; q -1: s 1 "H-", 2 "-", 3 "-".
  ///   O, S: q 0: s 1 "H", 2 none; q +1: s 1 "H2+", 2 "H+"; q -1: s 1 and
  ///         2 "-".
  ///   others: q -1 "-", q 0 none, q +1 "+".
  /// Any other pair gives the charge alone ("+", "2+", "-", "3-"; none for
  /// q 0), so a pyridinium N (q +1, s 8) reads "N+" and the neutral
  /// bridgehead N of indolizine (s 12) reads "N". Atomic number 0 reads "?".
  /// Empty for an invalid index.
  std::string AtomLabelText(int32_t i) const;

  /// What the last Paint or ShowMoleculeInABox drew.
  const TChemGraphDrawing& GetLastDrawing() const { return FLast; }

  ///@{
  /// The control's last transformation (pixel = coordinate * scale + offset).
  double GetScale() const { return FTransForm; }
  double GetOffsetX() const { return FXOffset; }
  double GetOffsetY() const { return FYOffset; }
  ///@}

  // -------------------------------------------------------------------------
  // Picking
  // -------------------------------------------------------------------------

  /// Fired on every mouse move over the control, after the inherited
  /// handling (OnMouseMove): the position turned back with the last
  /// transformation and the closest atom in the drawing plane
  /// (TCTab::FindClosestAtom, z ignored).
  TMoveOverStructEvent OnMoveOverStruct;

  /// The ring nearest to the pixel (x, y). The five atoms nearest to the
  /// point (squared x/y distance; fewer when the table has fewer) are
  /// found. When the nearest lies in fewer than two shortest rings, Ring is
  /// that ring or empty (Size 0). Otherwise the shortest rings through the
  /// five atoms are collected (same atom set once, at most kMaxRings) and
  /// Ring is the one whose mean of |x - px| + |y - py| over its atoms is
  /// smallest (a mean, so a small ring beside the point does not beat the
  /// ring around it; the first of equals).
  void FindRingNextToCursor(int32_t x, int32_t y, RingType& Ring);

  /// The chain nearest to the pixel (x, y): the seed is the atom nearest to
  /// the point among the atoms with at most two bonds; the chain is followed
  /// both ways through atoms with exactly two bonds, each walk ending with
  /// (and including) the first atom with another bond count or at an atom
  /// already listed (so a ring of two-bonded atoms is listed once). Listed
  /// from one end to the other, the end with the smaller x first. Returns
  /// the count (0 when no atom qualifies), also stored in ChainAtoms[0].
  int32_t FindChainNexttoCursor(int32_t x, int32_t y, TChainList& ChainAtoms);

  /// The inherited handling, then OnMoveOverStruct (see above).
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;

  // -------------------------------------------------------------------------
  // Layout optimisation
  // -------------------------------------------------------------------------

  /// Improves the x/y layout by a random search towards bond length
  /// IdealDist (structure units). Score: over all atom pairs, a bonded pair
  /// adds -(r - d)^2 / 2 and, for every other neighbour k of either atom,
  /// -(r13 - 1.732 d)^2 / 2 with r13 the distance from the partner to k; a
  /// non-bonded pair adds +r (3-D distances). 100 * NAtoms steps; in step i
  /// (1-based) of n steps a random atom moves by (u * f, v * f) with u, v
  /// uniform in [-d, d) and f = (110 - 100 i / n) / 100 (annealing from
  /// 1.1 to 0.1); even steps move a second random atom by an independent
  /// displacement. A step whose score is at least the best so far is kept.
  /// Draws from the process generator (Random(), core/zel_random.hpp), so a
  /// seed fixes the result. Nothing for fewer than two atoms, IdealDist NaN,
  /// <= 0 or above 1e30 (coordinates are floats), or a non-finite coordinate. Fires the table's OnChange
  /// once at the end. Work: O(NAtoms^3) score terms.
  void OptimizeMolShape(double IdealDist);

  /// The score OptimizeMolShape maximises, for the current layout.
  double LayoutScore(double IdealDist) const;

 protected:
  /// Background, frame and molecule (or "no structure loaded").
  void Paint() override;

 private:
  struct TScaling {
    double Scale = 1, OffsetX = 0, OffsetY = 0;
    int32_t FontSize = 8;
  };
  TScaling ScaleInto(double CentreX, double CentreY, double Width, double Height,
                     int32_t MaxBond) const;
  void DrawMolecule(TCanvas& Canvas, const TScaling& S, TCGDispMode Mode, const TFont& Font,
                    TColor Background);
  bool Labelled(int32_t i, TCGDispMode Mode) const;
  TPointDouble ToStructure(int32_t x, int32_t y) const;
  void Changed();

  TCTab* FStructure = nullptr;
  TCGDispMode FDispMode = TCGDispMode::dmSkeleton;
  TColor FMolColor = clMaroon;
  TColor FColorBakG = clBtnFace;
  TColorScheme FColorScheme = TColorScheme::csGrayWhite;
  TColor FColBlackLine = clBlack;
  TColor FColGrayLine = 0x808080;
  TColor FColWhiteLine = 0xFFFFFF;
  TFrameStyle FFrameStyle = TFrameStyle::fsRaised;
  int32_t FMaxBondLeng = 30;
  std::array<int32_t, 4> FClipBounds{0, 0, 800, 600};
  bool FClipping = false;
  double FTransForm = 1, FXOffset = 0, FYOffset = 0;
  bool FDrawAsIs = false;
  bool FSuppressPaint = false;
  TChemGraphDrawing FLast;
};

}  // namespace zel
