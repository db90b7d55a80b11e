#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include "gui/zel_clipbrd.hpp"
#include "map/geomap/zel_geomap.hpp"
#include "qt/zel_qthost.hpp"
#include "qt/qt_test_impl.hpp"

namespace zel {
namespace {

using qt_test::PostMouse;
using qt_test::PostWheel;
using qt_test::SameAsBitmap;

// A map of the Alps generated in memory, fitted to a 300 x 200 control.
void MakeMap(TGeoMap& map) {
  map.SetBounds(0, 0, 300, 200);
  map.CreateEmptyMapInMemory(45, 6, 48, 14, 1, 1, 600, 400, true);
  map.ZoomFitPage();
}

TEST(QtImages, BitmapAndQImageKeepEveryColourBothWays) {
  TBitmap b(3, 2);
  const std::vector<TColor> colours = {0x000000, 0x0000FF, 0x00FF00, 0xFF0000, 0x123456, 0xFFFFFF};
  for (int i = 0; i < 6; ++i) b.SetPixel(i % 3, i / 3, colours[static_cast<size_t>(i)]);
  const QImage img = BitmapToQImage(b);
  ASSERT_EQ(img.size(), QSize(3, 2));
  // Red sits in the low byte of a TColor: pure red must come out red.
  EXPECT_EQ(img.pixelColor(1, 0), QColor(255, 0, 0));
  EXPECT_EQ(img.pixelColor(1, 1), QColor(0x56, 0x34, 0x12));
  EXPECT_TRUE(QImageToBitmap(img).SameImage(b));
  EXPECT_TRUE(BitmapToQImage(TBitmap()).isNull());
  EXPECT_EQ(QImageToBitmap(QImage()).GetWidth(), 0);
}

TEST(QtCursors, PredefinedAndRegisteredCursorsMapToQt) {
  EXPECT_EQ(QtCursorFor(crHourGlass).shape(), Qt::WaitCursor);
  EXPECT_EQ(QtCursorFor(12345).shape(), Qt::ArrowCursor);
  TCursorImage ci;
  ci.Image = TBitmap(16, 16);
  ci.Image.GetCanvas().GetBrush().SetColor(clFuchsia);
  ci.Image.GetCanvas().FillRect(TRect{0, 0, 16, 16});
  ci.Image.SetPixel(3, 4, clBlack);
  ci.HotSpot = TPoint{3, 4};
  Screen().SetCursors(77, ci);
  const QCursor qc = QtCursorFor(77);
  Screen().RemoveCursor(77);
  EXPECT_EQ(qc.hotSpot(), QPoint(3, 4));
  const QImage pic = qc.pixmap().toImage();
  EXPECT_EQ(qAlpha(pic.pixel(0, 0)), 0);  // the transparent colour
  EXPECT_EQ(pic.pixelColor(3, 4), QColor(0, 0, 0));
}

TEST(QtWidget, ShowsTheHostSnapshotAndFollowsChangesAndResizes) {
  TGeoMap map(nullptr);
  MakeMap(map);
  TQtControlWidget w(&map);
  EXPECT_EQ(w.sizeHint(), QSize(300, 200));
  w.resize(300, 200);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  EXPECT_TRUE(SameAsBitmap(w, w.GetHost().Snapshot()));

  // A change of the component repaints the window.
  const TBitmap before = w.GetHost().Snapshot();
  map.SetMagnification(2 * map.GetMagnification());
  const TBitmap after = w.GetHost().Snapshot();
  ASSERT_FALSE(after.SameImage(before));
  EXPECT_TRUE(SameAsBitmap(w, after));

  w.resize(360, 150);
  QTest::qWait(20);
  EXPECT_EQ(map.GetWidth(), 360);
  EXPECT_EQ(map.GetHeight(), 150);
  EXPECT_TRUE(SameAsBitmap(w, w.GetHost().Snapshot()));
}

TEST(QtWidget, PostedMouseEventsZoomTheMapAsTheOffscreenHostDoes) {
  TGeoMap ref(nullptr), map(nullptr);
  MakeMap(ref);
  MakeMap(map);
  ref.SetMouseAction(TMouseActMode::maZoomWindow);
  map.SetMouseAction(TMouseActMode::maZoomWindow);
  TControlHost host(&ref);
  host.SendMouseDown(TMouseButton::mbLeft, {}, 40, 30);
  host.SendMouseMove({}, 120, 90);
  host.SendMouseUp(TMouseButton::mbLeft, {}, 120, 90);
  ASSERT_GT(ref.GetMagnification(), 1.5 * map.GetMagnification());

  TQtControlWidget w(&map);
  w.resize(300, 200);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  PostMouse(w, QEvent::MouseButtonPress, Qt::LeftButton, 40, 30);
  PostMouse(w, QEvent::MouseMove, Qt::NoButton, 120, 90, Qt::LeftButton);
  PostMouse(w, QEvent::MouseButtonRelease, Qt::LeftButton, 120, 90);
  QCoreApplication::processEvents();
  EXPECT_EQ(map.GetMagnification(), ref.GetMagnification());
  EXPECT_EQ(map.GetTopLeft().x, ref.GetTopLeft().x);
  EXPECT_EQ(map.GetTopLeft().y, ref.GetTopLeft().y);
  EXPECT_TRUE(SameAsBitmap(w, host.Snapshot()));
}

TEST(QtWidget, ModalBoxEntryOfTheMapRunsOnQtEvents) {
  TGeoMap map(nullptr);
  MakeMap(map);
  TQtControlWidget w(&map);
  w.resize(300, 200);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  // The box is drawn with Qt events that arrive while the map's loop waits.
  PostMouse(w, QEvent::MouseButtonPress, Qt::LeftButton, 90, 80);
  PostMouse(w, QEvent::MouseMove, Qt::NoButton, 30, 20, Qt::LeftButton);
  PostMouse(w, QEvent::MouseButtonRelease, Qt::LeftButton, 30, 20);
  int32_t a = -1, b = -1, c = -1, d = -1;
  ASSERT_TRUE(map.MouseBox(a, b, c, d));
  EXPECT_EQ(std::vector<int32_t>({a, b, c, d}), std::vector<int32_t>({30, 20, 90, 80}));

  // Aborted from a Qt timer: the loop ends although no mouse event comes.
  QTimer::singleShot(30, [&] { map.MouseBoxAbort(); });
  EXPECT_FALSE(map.MouseBox(a, b, c, d));
}

TEST(QtWidget, PressesReleasesAndDoubleClicksReachTheControlWithItsCursor) {
  TPanel panel(nullptr);
  panel.SetBounds(0, 0, 120, 80);
  panel.SetCursor(crHandPoint);
  std::vector<std::string> log;
  panel.OnMouseDown = [&](TObject*, TMouseButton b, TShiftState s, int32_t x, int32_t y) {
    log.push_back("down" + std::to_string(static_cast<int>(b)) +
                  (s.Contains(TShiftStateItem::ssDouble) ? "d" : "") +
                  (s.Contains(TShiftStateItem::ssAlt) ? "a" : "") + "@" + std::to_string(x) + "," +
                  std::to_string(y));
  };
  panel.OnMouseUp = [&](TObject*, TMouseButton b, TShiftState, int32_t, int32_t) {
    log.push_back("up" + std::to_string(static_cast<int>(b)));
  };
  panel.OnDblClick = [&](TObject*) { log.push_back("dbl"); };
  panel.OnMouseWheel = [&](TObject*, TShiftState s, int32_t delta, TPoint p, bool& handled) {
    log.push_back("wheel" + std::to_string(delta) +
                  (s.Contains(TShiftStateItem::ssShift) ? "s@" : "@") + std::to_string(p.x));
    handled = true;
  };
  TQtControlWidget w(&panel);
  w.resize(120, 80);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  PostMouse(w, QEvent::MouseButtonPress, Qt::RightButton, 5, 6, Qt::NoButton, Qt::AltModifier);
  PostMouse(w, QEvent::MouseButtonRelease, Qt::RightButton, 5, 6);
  PostMouse(w, QEvent::MouseButtonPress, Qt::LeftButton, 7, 8);
  PostMouse(w, QEvent::MouseButtonRelease, Qt::LeftButton, 7, 8);
  PostMouse(w, QEvent::MouseButtonDblClick, Qt::LeftButton, 7, 8);
  PostMouse(w, QEvent::MouseButtonRelease, Qt::LeftButton, 7, 8);
  PostMouse(w, QEvent::MouseMove, Qt::NoButton, 9, 9);
  PostWheel(w, 11, 12, -240, Qt::ShiftModifier);
  PostWheel(w, 11, 12, 0, Qt::NoModifier);  // horizontal only: not forwarded
  QCoreApplication::processEvents();
  EXPECT_EQ(log, (std::vector<std::string>{"down1a@5,6", "up1", "down0@7,8", "up0", "dbl",
                                           "down0d@7,8", "up0", "wheel-240s@11"}));
  EXPECT_EQ(w.cursor().shape(), Qt::PointingHandCursor);
  EXPECT_TRUE(w.GetHost().GetButtonsHeld().Empty());
}

TEST(QtClipboard, LayerAndDesktopClipboardsMeetBothWays) {
  InstallQtClipboard();
  QClipboard* cb = QGuiApplication::clipboard();
  Clipboard().SetAsText("C6H6 from the layer");
  EXPECT_EQ(cb->text().toStdString(), "C6H6 from the layer");

  cb->setText("from the desktop");
  EXPECT_EQ(Clipboard().GetAsText(), "from the desktop");

  TBitmap b(4, 3);
  b.GetCanvas().GetBrush().SetColor(0x00336699);
  b.GetCanvas().FillRect(TRect{0, 0, 4, 3});
  Clipboard().Assign(b);
  const QImage img = cb->image();
  ASSERT_EQ(img.size(), QSize(4, 3));
  EXPECT_EQ(img.pixelColor(2, 1), QColor(0x99, 0x66, 0x33));

  QImage desk(5, 2, QImage::Format_RGB32);
  desk.fill(QColor(10, 20, 30));
  cb->setImage(desk);
  TBitmap got;
  ASSERT_TRUE(Clipboard().GetBitmap(got));
  EXPECT_EQ(got.GetWidth(), 5);
  EXPECT_EQ(got.GetPixel(4, 1), TColor{10 | (20 << 8) | (30 << 16)});
  RemoveQtClipboard();
  cb->clear();
}

}  // namespace
}  // namespace zel
