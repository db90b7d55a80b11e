#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <thread>

#include "map/geomap/zel_landmarks.hpp"
#include "num/math1/zel_math1.hpp"

namespace zel {
namespace {

std::string TempName(const std::string& Leaf) {
  return (std::filesystem::temp_directory_path() /
          ("zel_lm_" + std::to_string(::getpid()) + "_" + Leaf))
      .string();
}

void WriteText(const std::string& Path, const std::string& Text) {
  std::ofstream(Path, std::ios::binary) << Text;
}

const std::string kHead = "<?xml version=\"1.0\"?>\n<!-- x -->\n";

TEST(LandMarkFile, RoundTripKeepsEveryAttribute) {
  TLandMarkList L;
  int32_t pos = 1;
  TLandMark a;
  a.Latitude = 47.123456789012345;
  a.Longitude = -1e-300;
  a.Altitude = 1e300;
  a.ClassFlag = 255;
  a.Tag = -2147483647 - 1;
  a.SymbolProps = {TLandMarkElement::lmArrowTo, 12, 0x12345678, -1, true, -45, 33};
  a.Caption.Text = "A<b>&\"c\" \u00E9\u20AC\tline";
  a.Caption.Size = 14;
  a.Caption.FontName = "Liberation Sans";
  a.Caption.FontStyles = TFontStyles{TFontStyle::fsItalic, TFontStyle::fsStrikeOut};
  a.Caption.FGColor = 0x00ABCDEF;
  a.Caption.BGColor = 0x00010203;
  a.Caption.Transparent = false;
  a.Caption.dx = -7;
  a.Caption.dy = 9;
  a.Caption.Direction = 30;
  a.Caption.HAlignment = TAlignment::taRightJustify;
  a.Caption.VAlignment = TLMVertAlignment::lvaBottom;
  a.Identifier = "ID 'x'";
  a.Time = ScanDateTime("20240229153007", "yyyymmddHHMMSS", TLanguage::lanEnglish, pos);
  ASSERT_GT(a.Time, 45351.0);
  L.AddLandMark(0, 0, 0);
  L.SetLandMarkData(1, a);
  for (int k = 0; k < 10; ++k)
    L.AddLandMark(k, -k, 0, static_cast<TLandMarkElement>(k), 1, "", -1.75, k, 0, 0, 1, false, 0,
                  0);
  const std::string f = TempName("rt.xml");
  ASSERT_TRUE(L.SaveLandmarks(f, "Set \"1\""));
  TLandMarkList R;
  int changes = 0;
  R.OnChanged = [&] { ++changes; };
  R.OnLandMarkAction = [](TObject*, bool& allow, const TLandMark&, TLandMarkAction) {
    allow = false;  // loading asks no one
  };
  ASSERT_TRUE(R.LoadLandMarks(f, "set \"1\""));
  EXPECT_EQ(changes, 1);
  ASSERT_EQ(R.GetNumLandMarks(), 11);
  for (int i = 1; i <= 11; ++i) EXPECT_EQ(R.GetLandMarkData(i), L.GetLandMarkData(i)) << i;
  EXPECT_FALSE(R.LoadLandMarks(f, "other"));
  std::filesystem::remove(f);
}

TEST(LandMarkFile, ReadsOnlyTheSelectedSection) {
  const std::string f = TempName("sections.xml");
  WriteText(f, kHead +
                   "<gmlandmarks sig=\"ZELCSuite\" id=\"A\">\n<landmark lat=\"1\" />\n"
                   "<landmark lat=\"2\"/></gmlandmarks>\n"
                   "<gmlandmarks sig=\"ZELCSuite\" id=\"B\">\n<landmark lat=\"3\" />\n"
                   "</gmlandmarks>\n");
  TLandMarkList L;
  ASSERT_TRUE(L.LoadLandMarks(f, "b"));
  ASSERT_EQ(L.GetNumLandMarks(), 1);
  EXPECT_EQ(L.GetLandMarkData(1).Latitude, 3);
  ASSERT_TRUE(L.LoadLandMarks(f, ""));  // the first section, and only it
  EXPECT_EQ(L.GetNumLandMarks(), 2);
  std::filesystem::remove(f);
}

TEST(LandMarkFile, ClampsHostileValues) {
  const std::string f = TempName("hostile.xml");
  WriteText(f, kHead +
                   "<gmlandmarks sig=\"ZELCSuite\">\n"
                   "<landmark class=\"300\" caphal=\"7\" capval=\"-1\" capfst=\"1\" "
                   "element=\" plus \" size=\"1000000000\" lat=\"1,5\" long=\"1e400\"/>\n"
                   "<landmark class=\"-5\" capval=\"2\" capfst=\"0101\" element=\"Blob\" "
                   "id=\"0123456789abcdefgh\"/>\n"
                   "</gmlandmarks>\n");
  TLandMarkList L;
  ASSERT_TRUE(L.LoadLandMarks(f, ""));
  ASSERT_EQ(L.GetNumLandMarks(), 2);
  const TLandMark& a = L.GetLandMarkData(1);
  EXPECT_EQ(a.ClassFlag, 255);
  EXPECT_EQ(a.Caption.HAlignment, TAlignment::taLeftJustify);
  EXPECT_EQ(a.Caption.VAlignment, TLMVertAlignment::lvaTop);
  EXPECT_EQ(a.Caption.FontStyles, TFontStyles{TFontStyle::fsBold});
  EXPECT_EQ(a.SymbolProps.Kind, TLandMarkElement::lmPlus);
  EXPECT_EQ(a.Latitude, 1.5);
  EXPECT_EQ(a.Longitude, std::numeric_limits<double>::infinity());
  const TLandMark& b = L.GetLandMarkData(2);
  EXPECT_EQ(b.ClassFlag, 0);
  EXPECT_EQ(b.Caption.VAlignment, TLMVertAlignment::lvaBottom);
  EXPECT_EQ(b.Caption.FontStyles, (TFontStyles{TFontStyle::fsItalic, TFontStyle::fsStrikeOut}));
  EXPECT_EQ(b.SymbolProps.Kind, TLandMarkElement::lmCross);
  EXPECT_EQ(b.Identifier, "0123456789abcde");
  // A huge symbol is drawn clipped, in the time of a small one.
  TBitmap bmp(40, 40);
  L.SetHighLightLandMark(1);
  TLandMarkView v{40, 40, [](double, double, TPoint& p) { return p = {20, 20}, true; }, {}};
  for (auto k :
       {TLandMarkElement::lmCircle, TLandMarkElement::lmSpade, TLandMarkElement::lmSquare}) {
    TLandMark m = L.GetLandMarkData(1);
    m.SymbolProps.Kind = k;
    L.SetLandMarkData(1, m);
    L.DrawHighLightedLandMark(bmp.GetCanvas(), v);
    EXPECT_EQ(bmp.GetPixel(0, 39), L.GetHighLightColorBG());
  }
  std::filesystem::remove(f);
}

// An overflowing coordinate reads as infinity; saving used to drop it, so
// the file read back with the default latitude 0 in its place.
TEST(LandMarkFile, CoordinatesThatAreNotFiniteReadBack) {
  const std::string f = TempName("nonfinite.xml");
  WriteText(f, kHead +
                   "<gmlandmarks sig=\"ZELCSuite\">\n"
                   "<landmark lat=\"46.1e3082\" long=\"-1e400\" alti=\" NaN \"/>\n"
                   "</gmlandmarks>\n");
  TLandMarkList L;
  ASSERT_TRUE(L.LoadLandMarks(f, ""));
  const double inf = std::numeric_limits<double>::infinity();
  ASSERT_EQ(L.GetNumLandMarks(), 1);
  EXPECT_EQ(L.GetLandMarkData(1).Latitude, inf);
  EXPECT_EQ(L.GetLandMarkData(1).Longitude, -inf);
  EXPECT_TRUE(std::isnan(L.GetLandMarkData(1).Altitude));
  L.AddLandMark(-std::numeric_limits<double>::quiet_NaN(), inf, -inf);
  ASSERT_TRUE(L.SaveLandmarks(f, ""));
  TLandMarkList R;
  R.AddLandMark(1, 2, 3);
  ASSERT_TRUE(R.LoadLandMarks(f, ""));
  ASSERT_EQ(R.GetNumLandMarks(), 2);
  for (int i = 1; i <= 2; ++i) {
    const TLandMark &a = L.GetLandMarkData(i), &b = R.GetLandMarkData(i);
    for (auto [x, y] : {std::pair{a.Latitude, b.Latitude}, std::pair{a.Longitude, b.Longitude},
                        std::pair{a.Altitude, b.Altitude}})
      EXPECT_TRUE(std::isnan(x) ? std::isnan(y) : x == y) << i << ": " << x << " read as " << y;
  }
  std::filesystem::remove(f);
}

TEST(LandMarkFile, DamagedInputFailsAndKeepsTheList) {
  TLandMarkList L;
  L.AddLandMark(1, 2, 3);
  const std::string f = TempName("damaged.xml");
  const std::string open = kHead + "<gmlandmarks sig=\"ZELCSuite\">\n";
  for (const std::string& body :
       {std::string("<landmark lat=\"1\"/>\n"),                   // never closed
        std::string("<landmark lat=\"1\"/>\n<landmark lat=\"2"),  // ends in a tag
        std::string("<landmark lat=\"x\"/>\n</gmlandmarks>\n"),   // not a number
        std::string("<landmark date=\"2024\"/>\n</gmlandmarks>\n")}) {
    WriteText(f, open + body);
    EXPECT_FALSE(L.LoadLandMarks(f, "")) << body;
  }
  EXPECT_FALSE(L.LoadLandMarks(TempName("missing.xml"), ""));
  EXPECT_FALSE(L.LoadLandMarks(std::filesystem::temp_directory_path().string(), ""));
  EXPECT_FALSE(L.LoadLandMarks("/dev/zero", ""));
  // A pipe whose writer stops inside the section.
  const std::string fifo = TempName("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::thread w([&] { WriteText(fifo, open + "<landmark lat=\"5\"/>\n"); });
  EXPECT_FALSE(L.LoadLandMarks(fifo, ""));
  w.join();
  ASSERT_EQ(L.GetNumLandMarks(), 1);
  EXPECT_EQ(L.GetLandMarkData(1).Altitude, 3);
  std::filesystem::remove(fifo);
  std::filesystem::remove(f);
}

TEST(SymbolRepository, FileRoundTripGrowsBeyondTheInitialCapacity) {
  TSymbolRepository R(nullptr);
  R.SetNumEntries(1500);
  for (int i = 1; i <= 1500; ++i)
    R.SetValues(i, TSymbol{{static_cast<TLandMarkElement>(i % 10), i, i * 7, -i, i % 2 == 0,
                            i % 360, i / 3},
                           "sym <" + std::to_string(i) + ">",
                           i - 700});
  const std::string f = TempName("symbols.xml");
  ASSERT_TRUE(R.StoreOnFile(f, "lib"));
  TSymbolRepository S(nullptr);
  S.SetNumEntries(3);
  S.Backup();
  ASSERT_TRUE(S.LoadFromFile(f, "LIB"));
  ASSERT_EQ(S.GetNumEntries(), 1500);
  for (int i = 1; i <= 1500; i += 149) EXPECT_EQ(S.GetValues(i), R.GetValues(i)) << i;
  EXPECT_FALSE(S.LoadFromFile(f, "other"));
  S.Restore();
  EXPECT_EQ(S.GetNumEntries(), 3);
  std::filesystem::remove(f);
}

TEST(SymbolRepository, EntriesOutsideTheRangeAndClear) {
  TSymbolRepository R(nullptr);
  R.SetNumEntries(2);
  TSymbol s;
  s.Name = std::string(50, 'n');
  s.Category = 4;
  R.SetValues(2, s);
  R.SetValues(3, s);
  EXPECT_EQ(R.GetValues(2).Name.size(), 43u);
  EXPECT_EQ(R.GetValues(0), DefaultSymbolRecord());
  EXPECT_EQ(DefaultSymbolRecord().Properties.BGColor, clRed);
  TSymbolRepository C(nullptr);
  C.Assign(&R);
  R.Clear();
  EXPECT_EQ(R.GetNumEntries(), 2);
  EXPECT_EQ(R.GetValues(2), DefaultSymbolRecord());
  EXPECT_EQ(C.GetValues(2).Category, 4);
  R.SetNumEntries(-1);
  EXPECT_EQ(R.GetNumEntries(), 2);
}

}  // namespace
}  // namespace zel
