/// @file
/// The Qt 6 adapter: a QWidget that shows a control tree of the graphics
/// layer and drives it as a window would.
///
/// TQtControlWidget only translates. It owns a TControlHost on the tree's
/// root and hands it every mouse event (press, move, release, double click,
/// wheel) with the keyboard modifiers as ssShift, ssCtrl and ssAlt (the host
/// adds the buttons held); it sizes the root with the widget, shows the
/// host's Snapshot when the host reports a change (TControlHost::OnChange
/// schedules a repaint), and sets the Qt cursor that TControlHost::CursorAt
/// names after each move. The controls keep all their own logic.
///
/// The modal loops of the layer (TApplication::ProcessMessagesUntil, used by
/// the map display's box entry) need the toolkit's events:
/// InstallQtMessagePump sets TApplication::OnProcessMessages to run Qt's
/// pending events. InstallQtClipboard connects the layer's clipboard to
/// QClipboard (text and image in both directions).
///
/// Threads: everything here belongs to the GUI thread, as the layer's
/// controls do. A QApplication must exist before a widget is created.
#pragma once

#include <QCursor>
#include <QImage>
#include <QWidget>
#include <memory>

#include "gui/zel_controls.hpp"

namespace zel {

/// Copies a bitmap into a QImage of the same size in Format_RGB32; rows are
/// converted word by word (the layer's words hold red in the low byte), so
/// each pixel keeps its exact colour. An empty bitmap gives a null image.
QImage BitmapToQImage(const TBitmap& Bitmap);

/// The reverse: a 24-bit bitmap of the image's colours (any alpha is
/// dropped, not blended). A null image gives an empty bitmap.
TBitmap QImageToBitmap(const QImage& Image);

/// The Qt cursor for a cursor identifier of the layer. A cursor with an
/// image registered in Screen() becomes a pixmap cursor (its transparent
/// colour made transparent, its hot spot kept); the predefined identifiers
/// map to the matching Qt shapes (crHourGlass to Qt::WaitCursor, crDrag to
/// Qt::DragMoveCursor, crNone to Qt::BlankCursor, ...); crDefault and
/// unknown identifiers give the arrow.
QCursor QtCursorFor(TCursor Cursor);

/// Sets Application().OnProcessMessages so that the layer's message loops
/// also run Qt's events: each call waits for the next event, at most 10 ms
/// (so that a loop waiting for the mouse neither spins the processor nor
/// blocks when nothing arrives).
/// Idempotent; RemoveQtMessagePump clears the hook.
void InstallQtMessagePump();
/// Clears the hook InstallQtMessagePump set.
void RemoveQtMessagePump();

/// Connects Clipboard() to QGuiApplication::clipboard(): every change of
/// the layer's clipboard is put on the desktop clipboard (text and image
/// together when both are set), and the layer's reads return what the
/// desktop holds. RemoveQtClipboard disconnects (the process content stays).
void InstallQtClipboard();
/// Disconnects the clipboard InstallQtClipboard connected.
void RemoveQtClipboard();

/// A widget that hosts the control tree below Root (see the file's
/// description). Root must outlive the widget; the widget neither owns nor
/// frees it. The root is resized to the widget's size on every resize (its
/// position is kept); its own size is the widget's size hint.
class TQtControlWidget : public QWidget {
 public:
  /// Hosts Root (not null) in a widget with Parent (may be null). Mouse
  /// tracking is on, so moves without a button reach the tree.
  explicit TQtControlWidget(TControl* Root, QWidget* Parent = nullptr);
  ~TQtControlWidget() override;

  /// The host that drives the tree (for Snapshot and CursorAt).
  TControlHost& GetHost() { return *FHost; }
  /// The root control.
  TControl* GetRoot() const { return FHost->GetRoot(); }
  /// The root's size: when the widget was created, and again after each
  /// paint in which the root changed its own size (a control that sizes
  /// itself; the layout is asked again).
  QSize sizeHint() const override;

  /// The shift state of Qt keyboard modifiers (ssShift, ssCtrl, ssAlt).
  static TShiftState ShiftOf(Qt::KeyboardModifiers Modifiers);

 protected:
  /// Draws the host's Snapshot at (0, 0).
  void paintEvent(QPaintEvent* Event) override;
  /// Resizes the root to the new size.
  void resizeEvent(QResizeEvent* Event) override;
  ///@{
  /// Forwarded to the host at the event's position (left, right and middle
  /// buttons; other buttons are ignored).
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseMoveEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;
  void mouseDoubleClickEvent(QMouseEvent* Event) override;
  ///@}
  /// Forwarded with the vertical angle delta (120 per notch, positive away
  /// from the user); a purely horizontal wheel is ignored.
  void wheelEvent(QWheelEvent* Event) override;

 private:
  void UpdateCursor(int32_t X, int32_t Y);

  std::unique_ptr<TControlHost> FHost;
  QSize FHint;
  TCursor FShownCursor = crDefault;
  bool FCursorSet = false;
  bool FPainting = false;
};

}  // namespace zel
