// Helpers of the Qt tests: events posted to a widget as the window system
// would deliver them, and the widget's pixels read back from the X server.
#pragma once

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <QWheelEvent>
#include <QWidget>

#include "gui/zel_graphics.hpp"
#include "qt/zel_qthost.hpp"

namespace zel::qt_test {

// Posts a mouse event at (X, Y) of W; Buttons defaults to the event's own
// button for a press and to none otherwise.
inline void PostMouse(QWidget& W, QEvent::Type Type, Qt::MouseButton Button, int X, int Y,
                      Qt::MouseButtons Buttons = Qt::NoButton,
                      Qt::KeyboardModifiers Mods = Qt::NoModifier) {
  if (Buttons == Qt::NoButton &&
      (Type == QEvent::MouseButtonPress || Type == QEvent::MouseButtonDblClick))
    Buttons = Button;
  const QPointF local(X, Y);
  const QPointF global = W.mapToGlobal(local);
  QCoreApplication::postEvent(&W, new QMouseEvent(Type, local, global, Button, Buttons, Mods));
}

// Posts a vertical wheel turn of Delta (120 a notch) at (X, Y) of W.
inline void PostWheel(QWidget& W, int X, int Y, int Delta, Qt::KeyboardModifiers Mods) {
  const QPointF local(X, Y);
  QCoreApplication::postEvent(
      &W, new QWheelEvent(local, W.mapToGlobal(local), QPoint(), QPoint(0, Delta), Qt::NoButton,
                          Mods, Qt::NoScrollPhase, false));
}

// The pixels of W (a window or a widget inside one) as the X server holds
// them: a child is cut from its top-level window, so it stays non-native.
inline QImage GrabFromServer(QWidget& W) {
  QCoreApplication::processEvents();
  QWidget* top = W.window();
  const QPoint at = W.mapTo(top, QPoint(0, 0));
  return top->screen()
      ->grabWindow(top->winId(), at.x(), at.y(), W.width(), W.height())
      .toImage()
      .convertToFormat(QImage::Format_RGB32);
}

// Waits (up to 3 s, for the server to receive the paint) until the window
// shows exactly the bitmap at its top-left corner.
inline bool SameAsBitmap(QWidget& W, const TBitmap& B) {
  const QImage want = BitmapToQImage(B);
  return QTest::qWaitFor(
      [&] {
        const QImage got = GrabFromServer(W);
        if (got.width() < want.width() || got.height() < want.height()) return false;
        return got.copy(0, 0, want.width(), want.height()) == want;
      },
      3000);
}

}  // namespace zel::qt_test
