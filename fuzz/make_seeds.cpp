// Writes the generated part of the seed corpora: small files of every format
// written by the library's own writers. Usage: fuzz_make_seeds CORPUS_DIR
// (the folder that holds one folder per target). Not part of the build's
// default targets; run it again when a writer's format changes.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/zel_binary.hpp"
#include "core/zel_streams.hpp"
#include "gui/zel_graphics.hpp"
#include "map/geodb/zel_geodb.hpp"
#include "map/geomap/zel_landmarks.hpp"
#include "map/geomap/zel_mapcalib.hpp"
#include "mol/cstruct/zel_cstruct.hpp"
#include "num/analysis/zel_curvefit.hpp"
#include "num/analysis/zel_kohonen.hpp"
#include "num/analysis/zel_membased.hpp"
#include "num/arrays/zel_openarrays.hpp"
#include "num/datatable/zel_datatable.hpp"
#include "num/matrix/zel_intmatrix.hpp"
#include "num/matrix/zel_matrix.hpp"
#include "num/vector/zel_vector.hpp"

using namespace zel;

namespace {

std::string gDir;

std::string P(const std::string& target, const std::string& name) {
  std::filesystem::create_directories(gDir + "/" + target);
  return gDir + "/" + target + "/" + name;
}

void Put(const std::string& target, const std::string& name, const std::string& bytes) {
  std::ofstream(P(target, name), std::ios::binary) << bytes;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Text(TMemoryStream& s) {
  std::string t(static_cast<size_t>(s.GetSize()), '\0');
  s.SetPosition(0);
  if (!t.empty()) s.ReadBuffer(t.data(), static_cast<int64_t>(t.size()));
  return t;
}

void Arrays() {
  StoreArray(P("arrayfile", "d1.txt"), TDoubleArray{1.5, -2, 1e-300}, "one");
  StoreArray(P("arrayfile", "i2.txt"), TInt2DArray{{1, 2}, {3, 4}}, "two");
  StoreArray(P("arrayfile", "d3.bin"), TDouble3DArray{{{1, 2}}, {{3, 4}}}, true, "three");
  StoreArray(P("arrayfile", "i4.txt"), TInt4DArray{{{{7}}}}, false, "");
  SaveBinaryArray(P("arrayfile", "d2.bin"), TDouble2DArray{{0.25, 8}, {-1, 2}}, "bin");
  SaveBinaryArray(P("arrayfile", "d4.bin"), TDouble4DArray{{{{1, 2}}}}, "four");
}

void Vectors() {
  TVector v(nullptr);
  v.SetNrOfElem(4);
  for (int32_t i = 1; i <= 4; ++i) v.SetVal(i, i * 1.25);
  TMemoryStream s;
  v.SaveToStream(s, 1, 4);
  Put("vectorfile", "stream.bin", Text(s));
  v.StoreOnFile(1, 4, -2, P("vectorfile", "plain.txt"));
  v.ExportAsASC(P("vectorfile", "vec.asc"), 3, "seed");
  TIntVector iv(nullptr);
  iv.SetNrOfElem(3);
  iv.SetVal(2, -5);
  TMemoryStream s2;
  iv.SaveToStream(s2, 1, 3);
  Put("vectorfile", "intstream.bin", Text(s2));
  Put("vectorfile", "autodetect.txt", "Run 1 2.5\nRun 2 3.5\n");
}

void Matrices() {
  TMatrix m(nullptr);
  m.Resize(3, 2);
  m.SetVal(1, 1, 1.5);
  m.SetVal(3, 2, -4);
  m.SaveBinary(P("matrixfile", "m.bin"));
  TMemoryStream x;
  m.WriteToXMLStream(x, true, "seed");
  Put("matrixfile", "m.xml", Text(x));
  TMemoryStream s;
  m.SaveToStream(s, 1, 1, 3, 2);
  Put("matrixfile", "m.stream", Text(s));
  m.StoreOnFile(1, 1, 3, 2, P("matrixfile", "m.txt"));
  m.ExportAsASC(P("matrixfile", "m.asc"), 3, "seed", TStr2DArray{{"a", "b"}});
  TIntMatrix im(nullptr);
  im.Resize(2, 2);
  im.SetVal(2, 1, 9);
  im.StoreSparseMat(P("matrixfile", "im.sparse"));
  im.SaveBinary(P("matrixfile", "im.bin"));
}

void Tables() {
  TDataTable t(nullptr);
  t.Resize(3, 3);
  t.SetElem(1, 1, 2.5);
  t.SetElem(2, 3, -1);
  t.SetElemNominal(3, 2, "red");
  t.SetComment("seed");
  TMemoryStream x;
  t.WriteToXMLStream(x, true, 0, "seed");
  Put("datatable", "t.xml", Text(x));
  TMemoryStream a;
  t.ExportAsASC(a, 0);
  Put("datatable", "t.asc", Text(a));
  t.ExportAsCSV(P("datatable", "t.csv"), 0, TCSVDelimiters::csvComma, true, true, true, true);
  t.ExportAsCSV(P("datatable", "t_semi.csv"), 0, TCSVDelimiters::csvSemicolon, true, true);
  Put("datatable", "quoted.csv", "\"a\",\"b,c\"\n1,\"x\"\"y\"\n2,\"line\nbreak\"\n");
}

void Analysis() {
  TCurveFit f(nullptr);
  f.EnterStatValue(1, 2);
  f.EnterStatValue(2, 4.5);
  f.EnterStatValue(3, 5);
  f.ExportAsASC(P("curvefit", "fit.asc"), "seed", -1);
  f.ExportAsASC(P("curvefit", "fit3.asc"), "seed", 3);

  TMemBasedLearner l(nullptr);
  l.GetModelData()->Resize(3, 4);
  for (int32_t r = 1; r <= 4; ++r)
    for (int32_t c = 1; c <= 3; ++c) l.GetModelData()->SetElem(c, r, r * c * 0.5);
  l.StoreModelXML(P("learner", "model.xml"), "seed");
  l.StoreModelBin(P("learner", "model.bin"), "seed");

  TKohonen k(nullptr);
  k.SetSizeX(2);
  k.SetSizeY(2);
  k.SetNumInsens(2);
  TMemoryStream s;
  k.WriteToXMLStream(s, true, "seed");
  Put("kohonen", "map.xml", Text(s));
}

// The seven files of a database, in the container of the geodb target.
void GeoDB() {
  const std::string dir = gDir + "/../geodb_seed_tmp";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  {
    TGeoDB db(nullptr);
    db.SetGDBName(dir + "/db");
    db.AddTown("Basel", 45000, 0, TSCoords{47.56f, 7.59f}, 260, 1, 0);
    db.AddRiver("Rhein", TgdbPolygon{{47.5f, 7.5f}, {47.6f, 7.7f}, {47.7f, 7.9f}}, 45000, 0, 0, 0,
                0, 0, 250, 2, 0);
    const char blob[] = "blob bytes";
    db.AddBLOB("note", 45000, 0, 47, 48, 7, 8, 0, 3, 0, TMetaInfo{"k", "c", "f", "d", "x"}, blob,
               static_cast<int32_t>(sizeof blob));
    db.Close();
  }
  std::string all;
  for (const char* ext :
       {".zelgds", ".zelgdd", ".zelgi0", ".zelgi1", ".zelgi2", ".zelgi3", ".zelgi4"}) {
    const std::string f = Slurp(dir + "/db" + ext);
    uint8_t len[4];
    StoreLE32(len, static_cast<uint32_t>(f.size()));
    all.append(reinterpret_cast<const char*>(len), 4);
    all += f;
  }
  Put("geodb", "db3.bin", all);
  std::filesystem::remove_all(dir);
}

void Map() {
  TMapCalibration c(nullptr);
  c.SetImageSize(800, 600);
  c.SetCalibModel(TCalibModel::cmBiquadraticPn);
  c.AddCalibPoint(47.0, 7.0, 100, 500);
  c.AddCalibPoint(48.0, 7.0, 100, 100);
  c.AddCalibPoint(47.0, 9.0, 700, 500);
  c.AddCalibPoint(48.0, 9.0, 700, 100);
  c.AddCalibPoint(47.5, 8.0, 400, 300);
  c.AddCalibPoint(47.2, 8.5, 550, 420);
  c.SetCaption("seed");
  TMemoryStream s;
  c.SaveCalDataAsXML(s, "seed");
  Put("calibration", "biquad.xml", Text(s));

  TLandMarkList marks(nullptr);
  marks.AddLandMark(47.5, 7.6, 260);
  marks.AddLandMark(46.2, 6.1, 375, "GVA", 45000.5);
  marks.SaveLandmarks(P("landmarks", "marks.xml"), "seed");
  TSymbolRepository sym(nullptr);
  sym.SetNumEntries(2);
  TSymbol one = DefaultSymbolRecord();
  one.Name = "star";
  one.Category = 3;
  sym.SetValues(2, one);
  sym.StoreOnFile(P("landmarks", "symbols.xml"), "seed");
}

void Structures() {
  TCTab t(nullptr);
  std::ifstream mol(std::string(ZEL_SOURCE_DIR) + "/mol/cstruct/testdata/bzr_q1.mol");
  if (t.ReadFromMDLMolStream(mol)) {
    std::ostringstream ct;
    t.WriteToClearTextStream(ct);
    Put("structfile", "contab.txt", ct.str());
    std::ostringstream ctab;
    t.WriteToMDLCTabStream(ctab);
    Put("structfile", "ctab.txt", ctab.str());
  }
}

void Images() {
  TBitmap b;
  b.SetSize(5, 3);
  for (int32_t x = 0; x < 5; ++x) b.SetPixel(x, x % 3, 0x00102030 * (x + 1));
  b.SaveToFile(P("image", "small.bmp"));
  b.SaveToFile(P("image", "small.png"));
  b.SaveToFile(P("image", "small.jpg"), 75);
  b.SetPixelFormat(TPixelFormat::pf15bit);
  b.SaveToFile(P("image", "small15.bmp"));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
    return 2;
  }
  gDir = argv[1];
  Arrays();
  Vectors();
  Matrices();
  Tables();
  Analysis();
  GeoDB();
  Map();
  Structures();
  Images();
  return 0;
}
