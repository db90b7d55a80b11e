/// @file
/// Controls of the off-screen framework: TControl and its graphic and
/// container kinds, the three small widgets the atlas needs (TPanel,
/// TSpeedButton, TComboBox), mouse types and events, cursors, the
/// process-wide TScreen and TApplication, and TControlHost, which a test or a
/// host toolkit uses to drive a tree of controls (mouse events, resizing,
/// pictures of the tree).
///
/// The model
///   Every control has a surface of its own: a bitmap of its size with a
///   canvas (GetCanvas). Paint draws the control's picture on it. A control
///   tree's picture is composed from the surfaces: each control's surface at
///   its position, its visible children on top in z-order (the order in which
///   they joined the parent; BringToFront and SendToBack change it), each cut
///   to its parent's rectangle (PaintTo, TControlHost::Snapshot).
///   A graphic control (TGraphicControl) stands for a windowless control that
///   draws on its parent: before its Paint, its surface receives the parent's
///   picture under it, so a control that paints only part of its area (a
///   transparent one) shows its parent through the rest. A container that
///   paints marks its graphic children for painting again.
///   Invalidate marks a control for painting; the painting happens when its
///   picture is next needed (Update, Repaint, PaintTo, a snapshot) - never
///   in the middle of another call. A component may draw on its surface
///   directly between paints (rubber bands in XOR mode, as the map display
///   does): call SurfaceChanged afterwards so that a host shows it.
///
/// Coordinates
///   Left and Top are relative to the parent's top-left corner; mouse
///   positions handed to a control are in its own coordinates (its top-left
///   pixel is (0, 0)). "Screen" coordinates are those of the topmost control
///   of the tree (ClientToScreen, ScreenToClient).
///
/// Threads: controls, TScreen, TApplication and TControlHost belong to the
/// GUI thread (the thread that created them); only drawing on a bitmap that
/// no control holds may happen elsewhere.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/zel_classes.hpp"
#include "core/zel_system.hpp"
#include "core/zel_zelbase.hpp"
#include "gui/zel_graphics.hpp"
#include "gui/zel_resources.hpp"

namespace zel {

class TWinControl;
class TControlHost;

// ---------------------------------------------------------------------------
// Mouse, shift state, alignment, cursors
// ---------------------------------------------------------------------------

/// The mouse button of an event.
enum class TMouseButton : int32_t { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

/// Keys and buttons held during a mouse event; ssDouble marks the second
/// press of a double click.
enum class TShiftStateItem : int32_t {
  ssShift = 0,
  ssAlt = 1,
  ssCtrl = 2,
  ssLeft = 3,
  ssRight = 4,
  ssMiddle = 5,
  ssDouble = 6
};
using TShiftState = TEnumSet<TShiftStateItem>;  ///< set of TShiftStateItem

/// The shift-state value of a held button.
constexpr TShiftStateItem ButtonShift(TMouseButton Button) {
  return Button == TMouseButton::mbLeft    ? TShiftStateItem::ssLeft
         : Button == TMouseButton::mbRight ? TShiftStateItem::ssRight
                                           : TShiftStateItem::ssMiddle;
}

/// Where a control goes inside its parent (see TWinControl::Realign).
enum class TAlign : int32_t {
  alNone = 0,
  alTop = 1,
  alBottom = 2,
  alLeft = 3,
  alRight = 4,
  alClient = 5
};

///@{
/// A cursor identifier. Negative values are the predefined cursors of the
/// system, which a host shows as its own; other identifiers name cursor
/// images registered with TScreen::SetCursors.
using TCursor = int32_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
///@}

///@{
/// Component state flags a control reports (set by whoever loads or designs
/// the control; the framework itself only stores them).
enum class TComponentStateItem : int32_t { csLoading = 0, csDesigning = 1, csDestroying = 2 };
using TComponentState = TEnumSet<TComponentStateItem>;
///@}

/// What the framework does for a control on its own: capture the mouse while
/// a button is held on it, call Click for a left press and release on it,
/// deliver double clicks as such (otherwise as a plain press), accept child
/// controls.
enum class TControlStyleItem : int32_t {
  csCaptureMouse = 0,
  csClickEvents = 1,
  csDoubleClicks = 2,
  csAcceptsControls = 3
};
using TControlStyle = TEnumSet<TControlStyleItem>;  ///< set of TControlStyleItem

///@{
/// Theme elements a control takes from a style: stored only (no styles here).
enum class TStyleElement : int32_t { seFont = 0, seClient = 1, seBorder = 2 };
using TStyleElements = TEnumSet<TStyleElement>;
///@}

///@{
/// Drag and drop: stored and handed on, never started by the framework.
enum class TDragMode : int32_t { dmManual = 0, dmAutomatic = 1 };
enum class TDragState : int32_t { dsDragEnter = 0, dsDragLeave = 1, dsDragMove = 2 };
///@}

// ---------------------------------------------------------------------------
// Events (the first argument is the control that fires)
// ---------------------------------------------------------------------------

/// A button went down or up at (X, Y) in the control's coordinates.
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift,
                                       int32_t X, int32_t Y)>;
/// The mouse moved to (X, Y) in the control's coordinates.
using TMouseMoveEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int32_t X, int32_t Y)>;
///@{
/// WheelDelta: multiples of 120 per notch, positive away from the user.
/// MousePos in the control's coordinates. Setting Handled stops the event.
using TMouseWheelEvent = std::function<void(TObject* Sender, TShiftState Shift, int32_t WheelDelta,
                                            TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent =
    std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
///@}
///@{
/// Asked before a size change; the handler may change the new size or set
/// Resize to false to refuse it.
using TCanResizeEvent =
    std::function<void(TObject* Sender, int32_t& NewWidth, int32_t& NewHeight, bool& Resize)>;
using TStartDragEvent = std::function<void(TObject* Sender, TObject*& DragObject)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int32_t X, int32_t Y)>;
using TDragOverEvent = std::function<void(TObject* Sender, TObject* Source, int32_t X, int32_t Y,
                                          TDragState State, bool& Accept)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int32_t X, int32_t Y)>;
///@}

// ---------------------------------------------------------------------------
// TControl
// ---------------------------------------------------------------------------

/// TControl
class TControl : public TComponent {
 public:
  /// A 64 x 64 control at (0, 0), visible, enabled, button-face coloured,
  /// with the default font and ParentFont set; style csCaptureMouse,
  /// csClickEvents, csDoubleClicks. AOwner owns it (see TComponent); the
  /// parent is set separately (SetParent).
  explicit TControl(TComponent* AOwner);
  /// Leaves the parent, gives up the mouse capture, and tells every
  /// TControlHost and TControlWatch that refer to it.
  ~TControl() override;

  std::string ClassName() const override { return "TControl"; }

  // --- Parent --------------------------------------------------------------
  /// The parent.
  TWinControl* GetParent() const { return FParent; }
  /// Moves the control into Value's children (on top of them), or out of
  /// any parent (nullptr). Both parents realign; a control with ParentFont
  /// takes the new parent's font. Setting a parent that is the control
  /// itself or one of its descendants throws EZELError "Control '\<Name>'
  /// cannot be its own parent"; a parent without csAcceptsControls throws
  /// "Control '\<parent's Name>' does not accept controls".
  virtual void SetParent(TWinControl* Value);

  // --- Bounds --------------------------------------------------------------
  /// The left.
  int32_t GetLeft() const { return FLeft; }
  /// The top.
  int32_t GetTop() const { return FTop; }
  /// The width.
  int32_t GetWidth() const { return FWidth; }
  /// The height.
  int32_t GetHeight() const { return FHeight; }
  /// Sets the left.
  void SetLeft(int32_t Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  /// Sets the top.
  void SetTop(int32_t Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  /// Sets the width.
  void SetWidth(int32_t Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  /// Sets the height.
  void SetHeight(int32_t Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  /// Moves and sizes the control. Negative sizes count as 0. When the size
  /// changes, CanResize is asked first (it may change the size or refuse it;
  /// a refusal keeps the old size but still moves). After a change the
  /// control is invalidated, a size change calls Resize (OnResize) and an
  /// aligned control makes its parent realign. The surface follows the size
  /// (its pixels are kept where the two sizes overlap).
  virtual void SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight);
  ///@{
  /// (Left, Top, Left + Width, Top + Height) in the parent's coordinates;
  /// Right and Bottom saturate at INT32_MAX (the sums are taken in 64 bits).
  TRect GetBoundsRect() const;
  void SetBoundsRect(const TRect& R) {
    SetBounds(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top);
  }
  ///@}
  ///@{
  /// (0, 0, Width, Height).
  TRect GetClientRect() const { return {0, 0, FWidth, FHeight}; }
  int32_t GetClientWidth() const { return FWidth; }
  int32_t GetClientHeight() const { return FHeight; }
  ///@}

  /// The align.
  TAlign GetAlign() const { return FAlign; }
  /// Stores the alignment and lets the parent realign.
  void SetAlign(TAlign Value);

  ///@{
  /// Position of the control's top-left pixel in the coordinates of the
  /// topmost control of its tree, and conversions between the two.
  TPoint GetClientOrigin() const;
  TPoint ClientToScreen(TPoint P) const;
  TPoint ScreenToClient(TPoint P) const;
  ///@}
  /// The topmost control of the tree (this control when it has no parent).
  TControl* GetTopControl();

  // --- Look ----------------------------------------------------------------
  /// The visible.
  bool GetVisible() const { return FVisible; }
  ///@{
  /// Shows or hides the control; the parent realigns (hidden controls take
  /// no space) and repaints.
  void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  ///@}
  /// Visible, and so is every parent.
  bool IsShowing() const;

  ///@{
  /// Disabled controls receive no mouse events (they go to the parent).
  bool GetEnabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);
  ///@}

  /// The color.
  TColor GetColor() const { return FColor; }
  /// Sets the color.
  void SetColor(TColor Value);

  ///@{
  /// The font. Setting it clears ParentFont and hands the font on to the
  /// children that have ParentFont set (recursively). Read-modify-write:
  /// TFont f = c.GetFont(); f.SetSize(14); c.SetFont(f);
  const TFont& GetFont() const { return FFont; }
  void SetFont(const TFont& Value);
  ///@}
  ///@{
  /// While set, the control uses its parent's font (taken when the parent is
  /// set, when ParentFont is switched on, and whenever the parent's font
  /// changes).
  bool GetParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);
  ///@}

  /// The cursor.
  TCursor GetCursor() const { return FCursor; }
  /// Stores the cursor identifier shown over the control; the host asks for
  /// it with TControlHost::CursorAt.
  void SetCursor(TCursor Value) { FCursor = Value; }

  ///@{
  /// Hints: plain properties, shown by nobody here.
  const std::string& GetHint() const { return FHint; }
  void SetHint(const std::string& Value) { FHint = Value; }
  bool GetShowHint() const { return FShowHint; }
  void SetShowHint(bool Value) { FShowHint = Value; }
  bool GetParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool Value) { FParentShowHint = Value; }
  ///@}

  ///@{
  /// Stored only.
  TStyleElements GetStyleElements() const { return FStyleElements; }
  void SetStyleElements(TStyleElements Value) { FStyleElements = Value; }
  TObject* GetPopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TObject* Value) { FPopupMenu = Value; }
  TDragMode GetDragMode() const { return FDragMode; }
  void SetDragMode(TDragMode Value) { FDragMode = Value; }
  TCursor GetDragCursor() const { return FDragCursor; }
  void SetDragCursor(TCursor Value) { FDragCursor = Value; }
  ///@}

  /// The component state.
  TComponentState GetComponentState() const { return FComponentState; }
  /// Sets the component state.
  void SetComponentState(TComponentState Value) { FComponentState = Value; }
  /// csDesigning is in the component state.
  bool IsDesigning() const { return FComponentState.Contains(TComponentStateItem::csDesigning); }
  /// csLoading is in the component state.
  bool IsLoading() const { return FComponentState.Contains(TComponentStateItem::csLoading); }

  /// The control style.
  TControlStyle GetControlStyle() const { return FControlStyle; }
  /// Sets the control style.
  void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }

  // --- Painting ------------------------------------------------------------
  /// The canvas of the control's surface (sized to the control on access).
  TCanvas& GetCanvas();
  /// The surface as it stands (not painted first).
  const TBitmap& GetSurface() const { return FSurface; }
  /// Marks the control for painting and tells its host.
  virtual void Invalidate();
  /// Paints the control now when it is marked.
  void Update();
  ///@{
  /// Invalidate, then Update.
  void Repaint();
  bool NeedsPaint() const { return FNeedsPaint; }
  ///@}
  /// Tells the host that the surface changed without a Paint (drawing on
  /// GetCanvas() between paints).
  void SurfaceChanged();
  /// Draws the picture of the control and its visible children with the
  /// control's top-left pixel at (X, Y) of Canvas, painting marked controls
  /// first; nothing when the control is hidden. The canvas's clip rectangle
  /// is respected, and afterwards it is the one the caller set, exactly (also
  /// one that reaches beyond the bitmap, or on a canvas without pixels), as
  /// are its origin and copy mode.
  void PaintTo(TCanvas& Canvas, int32_t X, int32_t Y);

  // --- Mouse entry points (the host or a test calls them; the defaults fire
  // the events; descendants override them and call the inherited one) ------
  ///@{
  /// A button went down, the mouse moved, a button went up, at (X, Y) in the control's coordinates:
  /// fire OnMouseDown, OnMouseMove and OnMouseUp.
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  virtual void MouseMove(TShiftState Shift, int32_t X, int32_t Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  ///@}
  ///@{
  /// OnMouseWheel; when that leaves Handled false, OnMouseWheelDown
  /// (WheelDelta < 0) or OnMouseWheelUp (otherwise). Returns Handled.
  virtual bool MouseWheel(TShiftState Shift, int32_t WheelDelta, TPoint MousePos);
  virtual void Click();
  virtual void DblClick();
  ///@}

  ///@{
  /// Mouse capture: while a control holds it, every mouse event of its host
  /// goes to it, wherever the mouse is. TControlHost captures the mouse for
  /// a control with csCaptureMouse when a button goes down on it and releases
  /// it when the last button goes up.
  bool GetMouseCapture() const;
  void SetMouseCapture(bool Value);
  ///@}

  // --- Events ---------------------------------------------------------------
  ///@{
  /// Fired by Click, DblClick, MouseDown, MouseMove, MouseUp, MouseWheel (OnMouseWheel, then
  /// OnMouseWheelDown or OnMouseWheelUp), Resize and CanResize.
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TMouseWheelEvent OnMouseWheel;
  TMouseWheelUpDownEvent OnMouseWheelDown;
  TMouseWheelUpDownEvent OnMouseWheelUp;
  TNotifyEvent OnResize;
  TCanResizeEvent OnCanResize;
  ///@}
  ///@{
  /// Stored, never fired by the framework.
  TStartDragEvent OnStartDrag;
  TDragDropEvent OnDragDrop;
  TDragOverEvent OnDragOver;
  TEndDragEvent OnEndDrag;
  ///@}

 protected:
  /// Draws the control on its surface (GetCanvas()). The default draws
  /// nothing.
  virtual void Paint() {}
  /// After a size change: fires OnResize.
  virtual void Resize();
  /// Before a size change: asks OnCanResize; returns false to refuse.
  virtual bool CanResize(int32_t& NewWidth, int32_t& NewHeight);
  /// The font changed (by SetFont or from the parent).
  virtual void FontChanged() { Invalidate(); }
  /// Prepares the surface and calls Paint (see the model above).
  virtual void PaintNow();
  /// Copies the parent's picture under the control onto the surface.
  void FillFromParent();

 private:
  friend class TWinControl;
  void ParentFontChanged(const TFont& Value);
  void PropagateFont();
  void NotifyHost();
  void EnsureSurface();

  TWinControl* FParent = nullptr;
  int32_t FLeft = 0;
  int32_t FTop = 0;
  int32_t FWidth = 64;
  int32_t FHeight = 64;
  TAlign FAlign = TAlign::alNone;
  bool FVisible = true;
  bool FEnabled = true;
  TColor FColor = clBtnFace;
  TFont FFont;
  bool FParentFont = true;
  TCursor FCursor = crDefault;
  std::string FHint;
  bool FShowHint = false;
  bool FParentShowHint = true;
  TStyleElements FStyleElements{TStyleElement::seFont, TStyleElement::seClient,
                                TStyleElement::seBorder};
  TObject* FPopupMenu = nullptr;
  TDragMode FDragMode = TDragMode::dmManual;
  TCursor FDragCursor = crDrag;
  TComponentState FComponentState;
  TControlStyle FControlStyle{TControlStyleItem::csCaptureMouse, TControlStyleItem::csClickEvents,
                              TControlStyleItem::csDoubleClicks};
  bool FNeedsPaint = true;
  bool FPainting = false;
  TBitmap FSurface;
};

// ---------------------------------------------------------------------------
// TGraphicControl: a control without children that draws on its parent (see
// the model above). Descendants override Paint.
// ---------------------------------------------------------------------------

/// TGraphicControl: a control without children that draws on its parent (see
/// the model above). Descendants override Paint.
class TGraphicControl : public TControl {
 public:
  /// A control owned by AOwner (see TControl).
  explicit TGraphicControl(TComponent* AOwner) : TControl(AOwner) {}
  std::string ClassName() const override { return "TGraphicControl"; }

 protected:
  void PaintNow() override;
};

// ---------------------------------------------------------------------------
// TWinControl: a container with children and alignment
// ---------------------------------------------------------------------------

/// A control that holds child controls and lays them out by their Align
/// (top, bottom, left, right, client) when it is resized; it paints its
/// children after itself, bottom of the z-order first.
class TWinControl : public TControl {
 public:
  /// Accepts controls (csAcceptsControls).
  explicit TWinControl(TComponent* AOwner);
  ///@{
  /// The children leave (their parent becomes nullptr); their owners free
  /// them, as with any component. (A child held elsewhere thus survives its
  /// parent.)
  ~TWinControl() override;
  std::string ClassName() const override { return "TWinControl"; }
  ///@}

  /// Children in z-order, bottom first.
  int32_t GetControlCount() const { return static_cast<int32_t>(FControls.size()); }
  /// 0-based; nullptr outside the range.
  TControl* GetControl(int32_t Index) const;
  /// True when Control is a child, grandchild, ... of this one.
  bool ContainsControl(const TControl* Control) const;

  /// Topmost visible (and, unless AllowDisabled, enabled) child whose
  /// rectangle holds P (in this control's coordinates), searching into
  /// containers when Deep; nullptr when there is none.
  TControl* ControlAtPos(TPoint P, bool AllowDisabled = false, bool Deep = false) const;

  ///@{
  /// Z-order.
  void BringToFront(TControl* Child);
  void SendToBack(TControl* Child);
  ///@}

  /// Places the aligned visible children inside GetAlignRect(), in this order
  /// of alignments: alTop, alBottom, alLeft, alRight, alClient, and within one
  /// alignment in z-order (insertion order):
  ///   alTop    full width of the remaining area at its top, own height;
  ///   alBottom full width at its bottom, own height;
  ///   alLeft   full height of the remaining area at its left, own width;
  ///   alRight  full height at its right, own width;
  ///   alClient the whole remaining area (every alClient child gets it).
  /// Each placement shrinks the remaining area (never below zero size); a
  /// child keeps its own height (alTop, alBottom) or width (alLeft, alRight)
  /// even where less is left, so that it gets it back when the container
  /// grows.
  /// Children with alNone keep their bounds. Runs whenever the container's
  /// size, a child's alignment, visibility or aligned size changes; a
  /// realignment that starts while one runs is skipped.
  void Realign();
  /// The area alignment divides (default: the client rectangle).
  virtual TRect GetAlignRect() const { return GetClientRect(); }

 protected:
  ///@{
  /// Fills the surface with the colour.
  void Paint() override;
  void Resize() override;
  void PaintNow() override;
  ///@}

 private:
  friend class TControl;
  void InsertControl(TControl* Child);
  void RemoveControl(TControl* Child);

  std::vector<TControl*> FControls;
  bool FAligning = false;
};

/// A container whose descendants paint themselves (override Paint).
class TCustomControl : public TWinControl {
 public:
  /// A container owned by AOwner (see TControl).
  explicit TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {}
  std::string ClassName() const override { return "TCustomControl"; }
};

// ---------------------------------------------------------------------------
// TPanel
// ---------------------------------------------------------------------------

/// A bevel of TPanel.
enum class TPanelBevel : int32_t { bvNone = 0, bvLowered = 1, bvRaised = 2, bvSpace = 3 };
/// Horizontal alignment of a caption.
enum class TAlignment : int32_t { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };

/// A container with bevels and a caption. Painting: the colour fills the
/// panel; the outer bevel takes BevelWidth rings from the edge (raised:
/// top and left in clBtnHighlight, bottom and right in clBtnShadow; lowered:
/// the reverse; space: the colour), then BorderWidth rings of the colour,
/// then the inner bevel likewise; the caption is drawn in the font inside
/// what remains, vertically centred and aligned by Alignment, with a clear
/// brush. Alignment of the children uses the rectangle inside bevels and
/// border. Default: 185 x 41, outer bevel raised, inner none, BevelWidth 1,
/// BorderWidth 0, caption empty, centred.
class TPanel : public TCustomControl {
 public:
  /// A panel owned by AOwner, with the defaults above.
  explicit TPanel(TComponent* AOwner);
  std::string ClassName() const override { return "TPanel"; }

  /// The caption.
  const std::string& GetCaption() const { return FCaption; }
  /// Sets the caption.
  void SetCaption(const std::string& Value);
  /// The bevel outer.
  TPanelBevel GetBevelOuter() const { return FBevelOuter; }
  /// Sets the bevel outer.
  void SetBevelOuter(TPanelBevel Value);
  /// The bevel inner.
  TPanelBevel GetBevelInner() const { return FBevelInner; }
  /// Sets the bevel inner.
  void SetBevelInner(TPanelBevel Value);
  /// The bevel width.
  int32_t GetBevelWidth() const { return FBevelWidth; }
  ///@{
  /// At least 1. Any value is kept; painting and alignment stop where the
  /// rings have used up the panel, so a width beyond the panel's size costs
  /// no more than one that fills it.
  void SetBevelWidth(int32_t Value);
  int32_t GetBorderWidth() const { return FBorderWidth; }
  ///@}
  ///@{
  /// At least 0; kept like BevelWidth.
  void SetBorderWidth(int32_t Value);
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  ///@}

  /// The client rectangle inset by the bevels and the border (their sum
  /// taken in 64 bits and capped at the larger side of the panel, so the
  /// rectangle never overflows; it is empty or reversed once they take the
  /// whole panel).
  TRect GetAlignRect() const override;

 protected:
  void Paint() override;

 private:
  std::string FCaption;
  TPanelBevel FBevelOuter = TPanelBevel::bvRaised;
  TPanelBevel FBevelInner = TPanelBevel::bvNone;
  int32_t FBevelWidth = 1;
  int32_t FBorderWidth = 0;
  TAlignment FAlignment = TAlignment::taCenter;
};

// ---------------------------------------------------------------------------
// TSpeedButton
// ---------------------------------------------------------------------------

/// A tool button. With GroupIndex 0 it springs back after each click. With
/// GroupIndex > 0 it stays down after a click, and putting it down puts up
/// every other button of its parent with the same GroupIndex; a down button
/// of a group goes up by a click only when AllowAllUp is set (the group's
/// buttons share that setting: setting it on one sets it on all).
///
/// Mouse: a left press shows the button pressed; moving off and back shows it
/// up and pressed again; releasing it over the button completes a click:
/// the Down rule above, then Click (OnClick). Releasing elsewhere does
/// nothing. Disabled buttons ignore the mouse. Click() called directly fires
/// OnClick only (Down stays).
///
/// Painting: the colour fills the button; a raised frame (DrawFrame
/// fsRaised with cl3DDkShadow, clBtnShadow, cl3DLight and clBtnHighlight)
/// when up, a lowered one when pressed or down (down and not pressed fills
/// with clBtnHighlight instead of the colour); Flat buttons draw neither
/// fill nor frame when up (the parent shows through). The glyph is centred (shifted one pixel right
/// and down while
/// pressed or down), drawn without the colour of its bottom-left pixel;
/// disabled, its visible pixels are drawn in clBtnShadow. A caption goes
/// right of the glyph (or centred without one). Default: 23 x 22.
class TSpeedButton : public TGraphicControl {
 public:
  /// A button owned by AOwner.
  explicit TSpeedButton(TComponent* AOwner);
  std::string ClassName() const override { return "TSpeedButton"; }

  /// The group index.
  int32_t GetGroupIndex() const { return FGroupIndex; }
  ///@{
  /// Negative values count as 0; 0 puts the button up.
  void SetGroupIndex(int32_t Value);
  bool GetDown() const { return FDown; }
  ///@}
  ///@{
  /// Ignored with GroupIndex 0 (the button stays up) and for putting a down
  /// button up when AllowAllUp is not set; otherwise sets Down and, when it
  /// goes down, puts the other buttons of the group up.
  void SetDown(bool Value);
  bool GetAllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value);
  bool GetFlat() const { return FFlat; }
  void SetFlat(bool Value);
  const TBitmap& GetGlyph() const { return FGlyph; }
  ///@}
  ///@{
  /// A copy of Value (an empty bitmap removes the glyph).
  void SetGlyph(const TBitmap& Value);
  const std::string& GetCaption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  ///@}
  /// True while a left press on the button is held and the mouse is over it.
  bool GetPressed() const { return FPressed; }

  ///@{
  /// The button's own handling of the mouse (see the class), then TControl's.
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  ///@}
  void SetEnabled(bool Value) override;

 protected:
  void Paint() override;

 private:
  void UpdateExclusive();

  int32_t FGroupIndex = 0;
  bool FDown = false;
  bool FAllowAllUp = false;
  bool FFlat = false;
  TBitmap FGlyph;
  std::string FCaption;
  bool FDragging = false;
  bool FPressed = false;
};

// ---------------------------------------------------------------------------
// TComboBox
// ---------------------------------------------------------------------------

/// csDropDown: an edit field with a list; csDropDownList: the text is always
/// the chosen item.
enum class TComboBoxStyle : int32_t { csDropDown = 0, csSimple = 1, csDropDownList = 2 };

/// A drop-down list. Items are strings; ItemIndex is the chosen one (-1:
/// none). Changing ItemIndex or the items from code fires nothing; a choice
/// by the user (UserSelect, or a mouse press in the open list) sets
/// ItemIndex and fires OnChange (also when the same item is chosen again),
/// then OnClick.
///
/// Mouse: a left press on the closed box opens the list (DroppedDown), which
/// lies below the box, one row (the font's height + 2) per item; while open,
/// the box holds the mouse capture, a left press on a row chooses it, and
/// any left press closes the list. The open list lies outside the control and
/// is not drawn; a host that shows real lists reads GetDroppedDown and the
/// items.
///
/// Painting: a white field with a lowered frame, the text in the font, a
/// button with a down-pointing triangle at the right (width = height - 4).
/// Default: 145 x 23, csDropDown.
class TComboBox : public TWinControl {
 public:
  /// A combo box owned by AOwner.
  explicit TComboBox(TComponent* AOwner);
  std::string ClassName() const override { return "TComboBox"; }

  /// The style.
  TComboBoxStyle GetStyle() const { return FStyle; }
  /// Sets the style.
  void SetStyle(TComboBoxStyle Value);

  /// The item count.
  int32_t GetItemCount() const { return static_cast<int32_t>(FItems.size()); }
  /// The items.
  const std::vector<std::string>& GetItems() const { return FItems; }
  /// Replaces the items; ItemIndex becomes -1.
  void SetItems(const std::vector<std::string>& Value);
  /// Item Index (0-based); "" outside the range.
  std::string GetItem(int32_t Index) const;
  /// Appends an item; returns its index.
  int32_t AddItem(const std::string& Value);
  /// Removes item Index (ignored outside the range); ItemIndex follows the
  /// chosen item (-1 when it was removed).
  void DeleteItem(int32_t Index);
  /// Removes all items; ItemIndex becomes -1.
  void ClearItems();

  /// The item index.
  int32_t GetItemIndex() const { return FItemIndex; }
  /// -1..ItemCount-1; anything else gives -1. Fires nothing.
  void SetItemIndex(int32_t Value);
  /// The chosen item's text (csDropDownList: always; otherwise the edit
  /// text, which choosing an item sets).
  std::string GetText() const;
  /// Sets the edit text (csDropDownList: chooses the first item equal to
  /// Value, or none). Fires nothing.
  void SetText(const std::string& Value);

  /// The user chooses item Index: ignored outside 0..ItemCount-1; otherwise
  /// ItemIndex = Index, the list closes, OnChange, OnClick.
  void UserSelect(int32_t Index);

  /// The dropped down.
  bool GetDroppedDown() const { return FDroppedDown; }
  /// Sets the dropped down.
  void SetDroppedDown(bool Value);

  /// Opens the list, or chooses a row and closes it (see the class).
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  /// While the list is open, takes the mouse capture back after the release
  /// so that the next press, wherever it is, reaches the list.
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;

  ///@{
  /// Fired when the user chooses an item, when the list opens and when it closes.
  TNotifyEvent OnChange;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  ///@}

 protected:
  void Paint() override;

 private:
  int32_t RowHeight() const;

  TComboBoxStyle FStyle = TComboBoxStyle::csDropDown;
  std::vector<std::string> FItems;
  int32_t FItemIndex = -1;
  std::string FText;
  bool FDroppedDown = false;
  int32_t FClosedHeight = 0;
};

// ---------------------------------------------------------------------------
// TControlWatch: a pointer to a control that becomes nullptr when the
// control is destroyed (for code that keeps a control across events that
// may free it).
// ---------------------------------------------------------------------------

/// TControlWatch: a pointer to a control that becomes nullptr when the
/// control is destroyed (for code that keeps a control across events that
/// may free it).
class TControlWatch {
 public:
  /// Watches Control (nullptr: nothing).
  explicit TControlWatch(TControl* Control = nullptr);
  ~TControlWatch();
  TControlWatch(const TControlWatch&) = delete;
  TControlWatch& operator=(const TControlWatch&) = delete;
  ///@{
  /// The  (Get reads it, Set writes it).
  TControl* Get() const { return FControl; }
  void Set(TControl* Control) { FControl = Control; }
  ///@}

 private:
  friend class TScreen;
  TControl* FControl;
};

// ---------------------------------------------------------------------------
// TScreen: process-wide cursor registry and mouse capture
// ---------------------------------------------------------------------------

/// The process-wide screen object (one instance, Screen()): the registry of
/// cursor identifiers and the control that holds the mouse capture.
class TScreen {
 public:
  TScreen(const TScreen&) = delete;
  TScreen& operator=(const TScreen&) = delete;

  /// The cursor image registered under Index; nullptr when there is none
  /// (the predefined cursors have none unless one is registered: a host
  /// shows its own for them).
  const TCursorImage* GetCursors(TCursor Index) const;
  ///@{
  /// Registers (or replaces) the image of cursor Index.
  void SetCursors(TCursor Index, const TCursorImage& Image);
  void RemoveCursor(TCursor Index);
  ///@}
  /// Identifiers with a registered image, ascending.
  std::vector<TCursor> GetCursorIds() const;

  ///@{
  /// A cursor for the whole screen: when not crDefault it overrides every
  /// control's cursor (an hourglass while busy).
  TCursor GetCursor() const { return FCursor; }
  void SetCursor(TCursor Value) { FCursor = Value; }
  ///@}

  ///@{
  /// The control that holds the mouse capture, or nullptr.
  TControl* GetCaptureControl() const { return FCapture; }
  void SetCaptureControl(TControl* Control) { FCapture = Control; }
  ///@}

 private:
  friend TScreen& Screen();
  friend class TControl;
  friend class TControlWatch;
  friend class TControlHost;
  TScreen() = default;
  void ControlDestroyed(TControl* Control);

  std::map<TCursor, TCursorImage> FCursors;
  TCursor FCursor = crDefault;
  TControl* FCapture = nullptr;
  std::vector<TControlWatch*> FWatches;
  std::vector<TControlHost*> FHosts;
};

/// The one screen object.
TScreen& Screen();

// ---------------------------------------------------------------------------
// TApplication: the message queue
// ---------------------------------------------------------------------------

/// Messages are functions queued to run later on the GUI thread (posted
/// mouse events of TControlHost, or anything else). ProcessMessages is what a
/// modal loop (the map display's box entry) calls while it waits.
class TApplication {
 public:
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  /// Queues Message; Tag (any pointer, may be nullptr) lets
  /// CancelMessages remove it again.
  void PostMessage(std::function<void()> Message, const void* Tag = nullptr);
  ///@{
  /// Removes the queued messages with this Tag.
  void CancelMessages(const void* Tag);
  int64_t GetPendingCount() const { return static_cast<int64_t>(FQueue.size()); }
  ///@}
  /// Runs the messages queued before the call, in order (messages they post
  /// wait for the next call), then OnProcessMessages when set (a host
  /// toolkit's own event pump).
  void ProcessMessages();
  /// Runs ProcessMessages until Done() is true or no message is left and
  /// OnProcessMessages is not set; returns Done().
  bool ProcessMessagesUntil(const std::function<bool()>& Done);

  /// Called by ProcessMessages when set: where a host toolkit hands over its pending events.
  std::function<void()> OnProcessMessages;

 private:
  friend TApplication& Application();
  TApplication() = default;
  struct TMessage {
    std::function<void()> Run;
    const void* Tag;
  };
  std::deque<TMessage> FQueue;
};

/// The process's application object.
TApplication& Application();

// ---------------------------------------------------------------------------
// TControlHost: drives a control tree as a window would
// ---------------------------------------------------------------------------

/// Positions are in the coordinates of the root control. Each mouse event
/// goes to the control that holds the capture (when it belongs to this tree),
/// otherwise to the topmost visible enabled control under the point (the root
/// itself when no child is there); events outside the root without a capture
/// are dropped. The target receives the position in its own coordinates and
/// Shift with the buttons held after the event's own press or release added
/// (ssLeft, ssRight, ssMiddle).
///   Press: the button is held; a target with csCaptureMouse captures the
///     mouse; MouseDown.
///   Release: the button is no longer held; when no button is held any
///     more, the capture is released (before the target hears of the
///     release, so that it may capture the mouse again, as an open drop-down
///     list does); for the left button, when the press was on the same
///     target, the target has csClickEvents and the release lies inside it:
///     Click; then MouseUp.
///   Double click (the second press of one): on a target with
///     csDoubleClicks, a press with ssDouble preceded (left button, with
///     csClickEvents) by DblClick; otherwise a plain press.
///   Wheel: MouseWheel of the target, then of its parents while none
///     handles it.
/// Send... runs the event at once; Post... queues it with TApplication (it
/// runs at the next ProcessMessages).
class TControlHost {
 public:
  ///@{
  /// Root must outlive the host.
  explicit TControlHost(TControl* Root);
  ~TControlHost();
  TControlHost(const TControlHost&) = delete;
  TControlHost& operator=(const TControlHost&) = delete;
  ///@}

  /// The root.
  TControl* GetRoot() const { return FRoot.Get(); }

  ///@{
  /// Deliver a mouse event at once, at (X, Y) in the root's coordinates (see the class).
  void SendMouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  void SendMouseMove(TShiftState Shift, int32_t X, int32_t Y);
  void SendMouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  void SendDblClick(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  void SendMouseWheel(TShiftState Shift, int32_t WheelDelta, int32_t X, int32_t Y);
  ///@}
  /// Press and release at one point.
  void SendClick(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);

  ///@{
  /// Queue a mouse event like the Send functions; TApplication::ProcessMessages delivers it.
  void PostMouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  void PostMouseMove(TShiftState Shift, int32_t X, int32_t Y);
  void PostMouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  void PostDblClick(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  void PostMouseWheel(TShiftState Shift, int32_t WheelDelta, int32_t X, int32_t Y);
  ///@}

  /// Buttons held (ssLeft, ssRight, ssMiddle).
  TShiftState GetButtonsHeld() const { return FHeld; }

  /// Sizes the root (SetBounds keeping its position).
  void Resize(int32_t Width, int32_t Height);
  /// The picture of the tree: a 24-bit bitmap of the root's size with
  /// PaintTo at (0, 0).
  TBitmap Snapshot();
  /// The cursor to show at (X, Y): the screen cursor when not crDefault,
  /// else that of the control the mouse events would go to (the capture
  /// control, or the one under the point), else of its parents while the
  /// cursor is crDefault; crDefault outside the root.
  TCursor CursorAt(int32_t X, int32_t Y) const;

  /// Called whenever a control of the tree is invalidated or its surface
  /// changed: the host shows a new Snapshot when it can.
  std::function<void()> OnChange;

 private:
  friend class TControl;
  TControl* Target(int32_t X, int32_t Y) const;
  TPoint Local(const TControl* C, int32_t X, int32_t Y) const;

  TControlWatch FRoot;
  TControlWatch FClicked;
  TShiftState FHeld;
};

}  // namespace zel
