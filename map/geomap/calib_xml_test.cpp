#include <cstdio>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "core/zel_streams.hpp"
#include "map/geomap/zel_mapcalib.hpp"

namespace zel {
namespace {

std::string TempName(const std::string& Leaf) {
  return (std::filesystem::temp_directory_path() /
          ("zel_mapcalib_" + std::to_string(::getpid()) + "_" + Leaf))
      .string();
}

std::string Slurp(TStream& S) {
  S.SetPosition(0);
  std::string r(static_cast<size_t>(S.GetSize()), '\0');
  S.Read(r.data(), static_cast<int64_t>(r.size()));
  S.SetPosition(0);
  return r;
}

void FromText(TMemoryStream& S, const std::string& Text) {
  S.Clear();
  S.Write(Text.data(), static_cast<int64_t>(Text.size()));
  S.SetPosition(0);
}

// One calibration of each model, with lines and points of every kind.
void Fill(TMapCalibration& Cal, TCalibModel Model) {
  Cal.SetImageSize(400, 300);
  Cal.SetMapFName("Maps/Sheet \"A\".PNG");
  Cal.SetCaption("Bl\u00E4tter\nund");
  Cal.SetCalibModel(TCalibModel::cmParabolicIp);
  for (int i = 0; i < 3; ++i)
    for (int k = 0; k < 2; ++k) {
      Cal.AddCalibPoint(TGratLineKind::gtlParallel, 47.25 + k, 10 * i, 250 - 100 * k + i);
      Cal.AddCalibPoint(TGratLineKind::gtlMeridian, k ? 1e-20 : -123.456789012345, 5 + 300 * k,
                        90 * i);
    }
  Cal.SetCalibModel(Model);
  if (Model == TCalibModel::cmUTM) {
    Cal.SetUTMZone(33);
    Cal.SetUTMHemisphere(THemisphere::hemiSouth);
    Cal.SetEllipsoid(TGeoEllipsoid::gelWGS72);
    Cal.AddCalibPoint(5300000.5, 400000.25, 33, THemisphere::hemiSouth, 0, 0);
    Cal.AddCalibPoint(5300000.5, 440000.0, 33, THemisphere::hemiSouth, 400, 0);
    Cal.AddCalibPoint(5270000.0, 400000.25, 33, THemisphere::hemiSouth, 0, 300);
  } else if (Model != TCalibModel::cmParabolicIp && Model != TCalibModel::cmUndefined) {
    Cal.AddCalibPoint(48.12345, 11.5, 0, 0);
    Cal.AddCalibPoint(48.12345, 12.5, 400, 0);
    Cal.AddCalibPoint(47.5, 11.5, 0, 300);
    Cal.AddCalibPoint(47.0, 12.75, 390, 290);
  }
}

void ExpectSame(const TCalibData& a, const TCalibData& b) {
  EXPECT_EQ(a.MapFName, b.MapFName);
  ASSERT_EQ(a.NumCalLines, b.NumCalLines);
  for (int32_t k = 0; k < a.NumCalLines; ++k) {
    EXPECT_EQ(a.CalLines[k].LineType, b.CalLines[k].LineType);
    EXPECT_EQ(a.CalLines[k].LineValue, b.CalLines[k].LineValue);
    ASSERT_EQ(a.CalLines[k].NumPoints, b.CalLines[k].NumPoints);
    for (int32_t i = 0; i < a.CalLines[k].NumPoints; ++i) {
      EXPECT_EQ(a.CalLines[k].CalPoints[i].x, b.CalLines[k].CalPoints[i].x);
      EXPECT_EQ(a.CalLines[k].CalPoints[i].y, b.CalLines[k].CalPoints[i].y);
    }
  }
  ASSERT_EQ(a.NumCalQuads, b.NumCalQuads);
  for (int32_t i = 0; i < a.NumCalQuads; ++i) {
    EXPECT_EQ(a.CalQuads[i].Latitude, b.CalQuads[i].Latitude);
    EXPECT_EQ(a.CalQuads[i].Longitude, b.CalQuads[i].Longitude);
    EXPECT_EQ(a.CalQuads[i].MapX, b.CalQuads[i].MapX);
    EXPECT_EQ(a.CalQuads[i].MapY, b.CalQuads[i].MapY);
  }
  EXPECT_EQ(a.UTMZone, b.UTMZone);
  EXPECT_EQ(a.UTMSouth, b.UTMSouth);
  EXPECT_EQ(a.Ellipsoid, b.Ellipsoid);
  EXPECT_NEAR(a.Resolution, b.Resolution, 5e-4);
  for (int c = 0; c < 4; ++c) EXPECT_NEAR(a.Corners[c].Latit, b.Corners[c].Latit, 5e-6);
}

TEST(MapCalibrationFile, RoundTripsEveryModelThroughFileAndStream) {
  const std::string fn = TempName("rt.xml");
  for (int m = 0; m <= 6; ++m) {
    const auto model = static_cast<TCalibModel>(m);
    SCOPED_TRACE(m);
    TMapCalibration a(nullptr), b(nullptr), c(nullptr);
    Fill(a, model);
    ASSERT_TRUE(a.SaveCalDataAsXML(fn, "Sheet1"));
    int changes = 0;
    b.OnChange = [&](TObject*) { ++changes; };
    // the load succeeds for every model, with or without graticule lines
    ASSERT_TRUE(b.LoadCalDataFromXML(fn, "sheet1"));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(b.GetCalibModel(), model);
    // quotes never cut the attribute; the line break became a blank
    EXPECT_EQ(b.GetCalibData().MapFName, "Maps/Sheet 'A'.PNG");
    EXPECT_EQ(b.GetCalibData().Caption, "Bl\u00E4tter und");
    b.SetImageSize(400, 300);
    b.SetMapFName(a.GetCalibData().MapFName);
    ExpectSame(a.GetCalibData(), b.GetCalibData());
    TCalibData d;
    TCalibModel pm = TCalibModel::cmUndefined;
    ASSERT_TRUE(ParseCalibData(fn, "", d, pm));
    EXPECT_EQ(pm, model);
    // the stream form keeps the UTM fields too
    TMemoryStream s;
    ASSERT_TRUE(a.SaveCalDataAsXML(s, "x"));
    s.SetPosition(0);
    ASSERT_TRUE(c.LoadCalDataFromXML(s, "X"));
    c.SetImageSize(400, 300);
    c.SetMapFName(a.GetCalibData().MapFName);
    ExpectSame(a.GetCalibData(), c.GetCalibData());
    s.SetPosition(0);
    EXPECT_FALSE(c.LoadCalDataFromXML(s, "y"));
  }
  std::remove(fn.c_str());
}

TEST(MapCalibrationFile, WritesTheLayout) {
  TMapCalibration a(nullptr);
  a.SetCalibModel(TCalibModel::cmEquiRect);
  a.AddCalibPoint(50, 10, 0, 0);
  TMemoryStream s;
  ASSERT_TRUE(a.SaveCalDataAsXML(s, "id1"));
  EXPECT_EQ(Slurp(s),
            "<?xml version=\"1.0\"?>\n\n<!-- TGeoMap Calibration / ZEL Component Suite -->\n"
            "<geomap sig=\"ZELCSuite\" vers=\"1.0\" id=\"id1\" model=\"equirect\" map=\"\" "
            "caption=\"\">\n<corners>\n[50.00000,10.00000] [50.00000,10.00000] "
            "[50.00000,10.00000] [50.00000,10.00000] \n</corners>\n"
            "<resolution>0.000</resolution>\n<ellipsoid>gelWGS84</ellipsoid>\n"
            "<calquads npoints=\"1\">\n[50.00000,10.00000,0,0] \n</calquads>\n</geomap>\n");
}

const std::string kHead =
    "<geomap sig=\"ZELCSuite\" vers=\"1.0\" id=\"A\" model=\"EquiRect\" map=\"M.png\">\n";

TEST(MapCalibrationFile, ReaderKeepsToCapacitiesAndDefaults) {
  std::string text = kHead;
  for (int k = 0; k < 30; ++k) {
    text += "<calline type=\"Parallel\" value=\"" + std::to_string(k) + ",5\" npoints=\"12\">\n";
    for (int i = 0; i < 12; ++i) text += "[" + std::to_string(i) + "," + std::to_string(k) + "] ";
    text += "\n</calline>\n";
  }
  text += "<calquads npoints=\"250\">\n";
  for (int i = 0; i < 250; ++i) text += "[1.5,2.5," + std::to_string(i) + ",7] ";
  text +=
      "\n</calquads>\n<utmzone>99</utmzone><ellipsoid>gelMars</ellipsoid>\n"
      "<gmlandmarks><landmark x=\"1\"/></gmlandmarks></geomap>\n";
  TMemoryStream s;
  FromText(s, text);
  TCalibData d;
  TCalibModel m = TCalibModel::cmUndefined;
  ASSERT_TRUE(ParseCalibData(s, "a", d, m));
  EXPECT_EQ(m, TCalibModel::cmEquiRect);
  EXPECT_EQ(d.MapFName, "M.png");
  EXPECT_EQ(d.NumCalLines, kMaxCalLines);
  EXPECT_EQ(d.CalLines[24].LineValue, 24.5);  // ',' accepted in the value
  EXPECT_EQ(d.CalLines[0].NumPoints, kMaxLinePoints);
  EXPECT_EQ(d.NumCalQuads, kMaxCalQuads);
  EXPECT_EQ(d.UTMZone, -1);
  EXPECT_EQ(d.Ellipsoid, TGeoEllipsoid::gelWGS84);
  // without a model attribute ParseCalibData takes the biquadratic model;
  // lines of fewer than 3 points are dropped
  FromText(s,
           "<geomap sig=\"zelcsuite\">\n<calline type=\"meridian\" value=\"1e1\" "
           "npoints=\"2\">[1,2] [3,4]</calline></geomap>");
  ASSERT_TRUE(ParseCalibData(s, "", d, m));
  EXPECT_EQ(m, TCalibModel::cmBiquadraticPn);
  EXPECT_EQ(d.NumCalLines, 0);
}

TEST(MapCalibrationFile, AttributeNamesInsideQuotedValuesAreNotAttributes) {
  TMemoryStream s;
  FromText(s,
           "<geomap sig=\"ZELCSuite\" caption=' id=\"B\" model=\"lambert\"' id=\"A\" "
           "model=\"EquiRect\">\n<calline note=' npoints=\"3\"' type=\"parallel\" "
           "value=\"5\" npoints=\"4\">[1,2] [3,4] [5,6] [7,8]</calline></geomap>");
  TCalibData d;
  TCalibModel m = TCalibModel::cmUndefined;
  EXPECT_FALSE(ParseCalibData(s, "B", d, m));
  s.SetPosition(0);
  ASSERT_TRUE(ParseCalibData(s, "A", d, m));
  EXPECT_EQ(m, TCalibModel::cmEquiRect);
  EXPECT_EQ(d.Caption, "id=\"B\" model=\"lambert\"");  // blanks trimmed
  ASSERT_EQ(d.NumCalLines, 1);
  EXPECT_EQ(d.CalLines[0].NumPoints, 4);
}

TEST(MapCalibrationFile, DamagedFilesFailWithoutChange) {
  TMapCalibration a(nullptr);
  a.SetName("Map1");
  a.SetCalibModel(TCalibModel::cmEquiRect);
  a.AddCalibPoint(50, 10, 0, 0);
  TMemoryStream s;
  const std::string quads = "<calquads npoints=\"3\">\n[1.0,2.0,3,4] [1.0,2.0,3,4]\n</calquads>";
  const struct {
    std::string Body;
    const char* Error;  // nullptr: the load returns false
  } cases[] = {
      {quads + "</geomap>",
       "Component \"Map1\": specified number of calibration points and actual number does not "
       "match"},
      {"<calline type=\"diagonal\" value=\"1\" npoints=\"0\"></calline></geomap>",
       "Component \"Map1\": invalid type of graticule line: type=\"diagonal\""},
      {"<calquads npoints=\"1\">[1.0,2.0,3] </calquads></geomap>", nullptr},
      {"<calquads npoints=\"1\">[1.0,2.0,3,4</calquads></geomap>", nullptr},
      {"<calquads npoints=\"1\">[1e5,2.0,3,4]</calquads></geomap>", nullptr},
      {"<resolution>fast</resolution></geomap>", nullptr},
      {"<corners>[1,2] [3,4]</corners></geomap>", nullptr},
      {"<calquads npoints=\"1\">[1.0,2.0,3,4] </calquads>", nullptr},  // truncated
      {"<utmzone>33</geomap>", nullptr},
      {"<calline type=\"meridian\" value=\"x\" npoints=\"0\"></calline></geomap>", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Body);
    FromText(s, kHead + c.Body);
    if (c.Error) {
      try {
        a.LoadCalDataFromXML(s, "");
        ADD_FAILURE() << "no exception";
      } catch (const EZELGeoMapError& e) {
        EXPECT_STREQ(e.what(), c.Error);
      }
    } else {
      EXPECT_FALSE(a.LoadCalDataFromXML(s, ""));
    }
    EXPECT_EQ(a.GetCalibModel(), TCalibModel::cmEquiRect);
    EXPECT_EQ(a.GetCalibData().NumCalQuads, 1);
  }
  TCalibData d;
  TCalibModel m;
  FromText(s, kHead + quads + "</geomap>");
  EXPECT_THROW(ParseCalibData(s, "", d, m), EZELGeoMapError);
  FromText(s, kHead + "<calline type=\"x\" value=\"1\" npoints=\"0\"></calline></geomap>");
  try {
    ParseCalibData(s, "", d, m);
    ADD_FAILURE();
  } catch (const EZELGeoMapError& e) {
    EXPECT_STREQ(e.what(), "ParseCalibData: invalid type of graticule line: type=\"x");
  }
  EXPECT_FALSE(a.LoadCalDataFromXML(TempName("missing.xml"), ""));
}

TEST(MapCalibrationFile, LocatesFilesWrittenElsewhere) {
  namespace fs = std::filesystem;
  const fs::path dir = TempName("dir");
  fs::create_directories(dir / "Sub");
  const std::string cal = (dir / "Sheet.XML").string();
  TMapCalibration a(nullptr);
  a.SetCalibModel(TCalibModel::cmEquiRect);
  a.AddCalibPoint(50, 10, 0, 0);
  ASSERT_TRUE(a.SaveCalDataAsXML(cal, ""));
  {
    TTextFile f;
    ASSERT_TRUE(f.Rewrite((dir / "Sub" / "Image.PNG").string()));
  }
  EXPECT_EQ(LocateCalibFile(cal), cal);
  EXPECT_EQ(LocateCalibFile((dir / "sheet.xml").string()), cal);
  EXPECT_EQ(LocateCalibFile("sub\\image.png", cal), (dir / "Sub" / "Image.PNG").string());
  EXPECT_EQ(LocateCalibFile("sub/missing.png", cal), "");
  EXPECT_EQ(LocateCalibFile("Sub", cal), "");  // a directory is no file
  TMapCalibration b(nullptr);
  EXPECT_TRUE(b.LoadCalDataFromXML((dir / "SHEET.xml").string(), ""));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace zel
