#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "qt/qt_test_impl.hpp"
#include "qt/zelview/viewer_impl.hpp"

namespace zelview {
namespace {

using zel::qt_test::GrabFromServer;
using zel::qt_test::PostMouse;
using zel::qt_test::PostWheel;
using zel::qt_test::SameAsBitmap;

QString DataPath(const char* Rel) { return QString(ZEL_TESTDATA_DIR) + "/" + Rel; }

// Counts the pixels of exactly the colour C (a TColor, red low).
int CountColour(const QImage& Img, zel::TColor Colour) {
  const auto C = static_cast<uint32_t>(zel::ColorToRGB(Colour));
  const QRgb want = qRgb(C & 0xFF, (C >> 8) & 0xFF, (C >> 16) & 0xFF);
  int n = 0;
  for (int y = 0; y < Img.height(); ++y)
    for (int x = 0; x < Img.width(); ++x) n += (Img.pixel(x, y) & 0xFFFFFF) == (want & 0xFFFFFF);
  return n;
}

// Saves the whole window for the documentation.
void SaveScreenshot(TViewerWindow& W, const char* Name) {
  QDir().mkpath(ZEL_SCREENSHOT_DIR);
  EXPECT_TRUE(GrabFromServer(W).save(QString(ZEL_SCREENSHOT_DIR) + "/" + Name));
}

struct Viewer : testing::Test {
  void SetUp() override {
    w.OnError = [](const QString&, const QString&) { ADD_FAILURE() << "unexpected message box"; };
    w.resize(640, 520);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  }
  TViewerWindow w;
};

TEST_F(Viewer, StructureFileShowsOneRecordAtATimeWithItsBonds) {
  QString error;
  ASSERT_TRUE(w.OpenFile(DataPath("mol/cstruct/testdata/pubchem_sample.sdf"), error))
      << error.toStdString();
  EXPECT_EQ(w.GetPage(), TPage::Structure);
  EXPECT_EQ(w.GetRecordCount(), 40);  // every record of the sample has at most 35 atoms
  EXPECT_TRUE(w.GetStatusText().contains("record 1 of 40"));
  QTest::qWait(20);
  zel::TQtControlWidget& cw = w.GetChemWidget();
  const zel::TBitmap first = cw.GetHost().Snapshot();
  ASSERT_TRUE(SameAsBitmap(cw, first));
  // Bonds are drawn in the structure colour on the background.
  const QImage shown = GrabFromServer(cw);
  EXPECT_GT(CountColour(shown, w.GetChemGraph().GetColorStructure()), 300);
  EXPECT_GT(CountColour(shown, w.GetChemGraph().GetColorBkg()), shown.width() * shown.height() / 2);
  SaveScreenshot(w, "zelview_structure.png");

  EXPECT_FALSE(w.ShowRecord(-1));
  EXPECT_FALSE(w.ShowRecord(40));
  ASSERT_TRUE(w.ShowRecord(1));
  EXPECT_TRUE(w.GetStatusText().contains("record 2 of 40"));
  const zel::TBitmap second = cw.GetHost().Snapshot();
  EXPECT_FALSE(second.SameImage(first));
  EXPECT_TRUE(SameAsBitmap(cw, second));

  // A single Molfile is one record.
  ASSERT_TRUE(w.OpenFile(DataPath("examples/data/chlorobenzene.mol"), error));
  EXPECT_EQ(w.GetRecordCount(), 1);
  EXPECT_EQ(w.GetChemGraph().GetStructure()->GetNAtoms(), 7);  // C6H5Cl without hydrogens
}

TEST_F(Viewer, MapShowsThePositionUnderTheMouseAndZoomsAndPans) {
  QString error;
  ASSERT_TRUE(w.OpenFile(DataPath("examples/data/central_europe.xml"), error))
      << error.toStdString();
  EXPECT_EQ(w.GetPage(), TPage::Map);
  zel::TGeoMap& map = w.GetMap();
  zel::TQtControlWidget& mw = w.GetMapWidget();
  QTest::qWait(20);
  ASSERT_TRUE(SameAsBitmap(mw, mw.GetHost().Snapshot()));
  // The map image (land, sea, rivers, the graticule) shows, not a blank control.
  const QImage shown = GrabFromServer(mw);
  QSet<QRgb> colours;
  for (int y = 0; y < shown.height(); y += 3)
    for (int x = 0; x < shown.width(); x += 3) colours.insert(shown.pixel(x, y));
  EXPECT_GT(colours.size(), 20);

  // The calibration places 47 N 11 E at map pixel (360, 240).
  const double m = map.GetMagnification();
  const int cx = static_cast<int>(std::floor(360 * m)), cy = static_cast<int>(std::floor(240 * m));
  PostMouse(mw, QEvent::MouseMove, Qt::NoButton, cx, cy);
  QCoreApplication::processEvents();
  const QRegularExpressionMatch pos =
      QRegularExpression(u8"([0-9.]+)\u00B0 N, ([0-9.]+)\u00B0 E").match(w.GetStatusText());
  ASSERT_TRUE(pos.hasMatch()) << w.GetStatusText().toStdString();
  // One control pixel spans 1 / m map pixels, about 0.015 degrees at m ~ 0.6.
  EXPECT_NEAR(pos.captured(1).toDouble(), 47.0, 0.03);
  EXPECT_NEAR(pos.captured(2).toDouble(), 11.0, 0.03);
  SaveScreenshot(w, "zelview_map.png");

  // The wheel zooms in around the mouse: the map pixel under it stays.
  const zel::TPoint under = map.ControlToMapImage(zel::TPoint{cx, cy});
  PostWheel(mw, cx, cy, 120, Qt::NoModifier);
  QCoreApplication::processEvents();
  EXPECT_NEAR(map.GetMagnification(), 1.25 * m, 1e-12);
  const zel::TPoint still = map.ControlToMapImage(zel::TPoint{cx, cy});
  EXPECT_LE(std::abs(still.x - under.x), 1);
  EXPECT_LE(std::abs(still.y - under.y), 1);

  // Dragging with the left button pans by the distance in map pixels.
  const zel::TPoint tl = map.GetTopLeft();
  PostMouse(mw, QEvent::MouseButtonPress, Qt::LeftButton, 160, 130);
  PostMouse(mw, QEvent::MouseMove, Qt::NoButton, 161, 131, Qt::LeftButton);
  PostMouse(mw, QEvent::MouseMove, Qt::NoButton, 201, 151, Qt::LeftButton);
  PostMouse(mw, QEvent::MouseButtonRelease, Qt::LeftButton, 201, 151);
  QCoreApplication::processEvents();
  const double mm = map.GetMagnification();
  ASSERT_GT(tl.y, 20);  // room to pan up and left without reaching the edge
  EXPECT_EQ(map.GetTopLeft().x, tl.x - static_cast<int>(zel::Round(40 / mm)));
  EXPECT_EQ(map.GetTopLeft().y, tl.y - static_cast<int>(zel::Round(20 / mm)));
  EXPECT_TRUE(SameAsBitmap(mw, mw.GetHost().Snapshot()));
}

TEST_F(Viewer, FormulaIsDrawnAndAnUnreadableOneExplained) {
  QString error;
  ASSERT_TRUE(w.ShowFormula("C6H12O6", error)) << error.toStdString();
  EXPECT_EQ(w.GetPage(), TPage::Formula);
  EXPECT_EQ(w.GetStatusText().toStdString(), "Formula: C6H12O6");
  EXPECT_EQ(w.GetFormulaEdit().text(), "C6H12O6");
  zel::TQtControlWidget& fw = w.GetFormWidget();
  QTest::qWait(20);
  ASSERT_TRUE(SameAsBitmap(fw, fw.GetHost().Snapshot()));
  // Glyphs in the text colour: "C", "H", "O" and the subscripts.
  EXPECT_GT(CountColour(GrabFromServer(fw), w.GetMolForm().GetColorTxt()), 100);
  SaveScreenshot(w, "zelview_formula.png");

  // Typed into the line edit and confirmed with Return.
  w.GetFormulaEdit().setText("CH4");
  QTest::keyClick(&w.GetFormulaEdit(), Qt::Key_Return);
  EXPECT_EQ(w.GetStatusText().toStdString(), "Formula: CH4");

  // Symbols keep their case: "Co" is cobalt, "CO" carbon and oxygen, "Qq" nothing.
  ASSERT_TRUE(w.ShowFormula("CoCO", error));
  EXPECT_EQ(w.GetMolForm().GetNumAtoms(), 3);
  EXPECT_FALSE(w.ShowFormula("C6Qq", error));
  EXPECT_TRUE(error.contains("character 3")) << error.toStdString();
}

TEST_F(Viewer, UnreadableFilesAreRefusedWithAReasonAndTheViewKept) {
  QString error;
  ASSERT_TRUE(w.OpenFile(DataPath("examples/data/structures.sdf"), error));
  const int records = w.GetRecordCount();
  const auto dir = std::filesystem::temp_directory_path() / "zelview_test";
  std::filesystem::create_directories(dir);
  auto write = [&](const char* name, const std::string& text) {
    std::ofstream(dir / name, std::ios::binary) << text;
    return QString::fromStdString((dir / name).string());
  };
  const struct {
    QString path;
    const char* reason;
  } cases[] = {
      {write("empty.sdf", ""), "no readable structure"},
      {write("cut.sdf", "name\n\n\n  3  2  0  0  0  0  0  0  0  0999 V2000\n$$$$\n"),
       "no readable structure"},
      {write("binary.sdf", std::string(4096, '\0')), "no readable structure"},
      {QString::fromStdString((dir / "missing.mol").string()), "cannot be opened"},
      {write("notmap.xml", "<html>no calibration</html>\n"), "not a readable map calibration"},
  };
  for (const auto& c : cases) {
    error.clear();
    EXPECT_FALSE(w.OpenFile(c.path, error)) << c.path.toStdString();
    EXPECT_TRUE(error.contains(c.reason)) << c.path.toStdString() << ": " << error.toStdString();
  }
  EXPECT_EQ(w.GetRecordCount(), records);
  EXPECT_EQ(w.GetMap().GetMapImgWidth(), 0);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zelview
