// Runs the zel program on the sample data of examples/data and checks its
// results (text and JSON), exit codes and messages. Reference values: scipy
// 1.10 / scikit-learn (statistics, fit, k-means, principal components),
// GeographicLib's GeoConvert (UTM, UPS), PROJ's cs2cs (datum shift), hand
// computations (formula masses, matrix, spectrum).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

struct Result {
  int code = -1;
  std::string out, err;
  json j() const { return json::parse(out); }
};

std::string Slurp(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

class ZelTool : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("zel_tool_test_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs "zel ARGS" in the source folder, with standard input from a file
  // when one is given.
  Result Run(const std::string& args, const std::string& input = "") {
    const fs::path out = dir_ / "stdout", err = dir_ / "stderr";
    std::string cmd = std::string("cd '") + ZEL_SOURCE_DIR + "' && '" + ZEL_TOOL + "' " + args +
                      " >'" + out.string() + "' 2>'" + err.string() + "'";
    cmd += input.empty() ? " </dev/null" : " <'" + input + "'";
    const int status = std::system(cmd.c_str());
    Result r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = Slurp(out);
    r.err = Slurp(err);
    return r;
  }

  // A copy of a sample file cut to its first bytes, or with one byte changed.
  std::string Damaged(const std::string& sample, size_t keep, long flip = -1) {
    std::string bytes = Slurp(fs::path(ZEL_SOURCE_DIR) / sample);
    if (flip >= 0) bytes[static_cast<size_t>(flip)] ^= 0x20;
    bytes.resize(std::min(keep, bytes.size()));
    const fs::path p = dir_ / ("damaged_" + fs::path(sample).filename().string());
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }

  fs::path dir_;
};

const std::string kData = "examples/data/";

TEST_F(ZelTool, FormulaWeightsCompositionAndStrictReading) {
  Result r = Run("--json formula 'C6 H12 O6'");
  ASSERT_EQ(r.code, 0) << r.err;
  json j = r.j();
  // 6 x 12 + 12 x 1.00782503 + 6 x 15.99491462 (the isotope masses of C, H,
  // O); the element table holds them to 6 decimals.
  EXPECT_NEAR(j["monoisotopic_mass"].get<double>(), 180.0633881, 3e-5);
  EXPECT_EQ(j["nominal_mass"], 180);
  EXPECT_NEAR(j["molecular_weight"].get<double>(), 180.16, 0.01);
  double percent = 0;
  for (const auto& e : j["composition"]) percent += e["mass_percent"].get<double>();
  EXPECT_NEAR(percent, 100.0, 1e-9);
  EXPECT_EQ(j["composition"][0]["symbol"], "C");

  // CO2 is two cobalt atoms in the classic reading, carbon dioxide with --strict.
  EXPECT_EQ(Run("--json formula CO2").j()["normalized"], "Co2");
  EXPECT_EQ(Run("--json formula --strict CO2").j()["normalized"], "C O2");
  r = Run("formula 'C6 H12 Xx O6'");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("at character 8"), std::string::npos) << r.err;
}

TEST_F(ZelTool, StructureFilesRingsSearchAndPictures) {
  Result r = Run("--json rings " + kData + "structures.sdf");
  ASSERT_EQ(r.code, 0) << r.err;
  json j = r.j();
  ASSERT_EQ(j.size(), 6u);
  EXPECT_EQ(j[0]["name"], "Adinazolam");
  EXPECT_EQ(j[0]["sssr"].size(), 4u);  // triazole, diazepine, two benzene rings
  EXPECT_EQ(j[2]["sssr"].size(), 3u);  // Bromazepam
  EXPECT_NE(Run("rings " + kData + "structures.sdf").out.find("1 Adinazolam: 25 atoms, 4 rings"),
            std::string::npos);

  // Every record but Bromazepam (a bromine instead of a chlorine) holds a
  // chlorobenzene; the match maps the chlorine onto a chlorine.
  j = Run("--json search " + kData + "structures.sdf --substructure " + kData + "chlorobenzene.mol")
          .j();
  EXPECT_EQ(j["searched"], 6);
  std::vector<int> records;
  for (const auto& h : j["hits"]) records.push_back(h["record"]);
  EXPECT_EQ(records, (std::vector<int>{1, 2, 4, 5, 6}));
  EXPECT_EQ(j["hits"][0]["match"][6], 25);  // atom 25 of Adinazolam is its Cl

  r = Run("--json mol2png " + kData + "structures.sdf " + (dir_ / "png").string() +
          " --width 200 --height 150");
  ASSERT_EQ(r.code, 0) << r.err;
  j = r.j();
  EXPECT_EQ(j["drawn"], 6);
  for (const auto& f : j["files"]) {
    const std::string png = Slurp(f["file"].get<std::string>());
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    EXPECT_EQ(static_cast<unsigned char>(png[19]), 200);  // width, big-endian at 16..19
  }
}

TEST_F(ZelTool, UtmUpsAndDatumShift) {
  // GeoConvert -u -p 3: 33n 389919.255 5819698.771; 56s 334900.570 6252288.753.
  json j = Run("--json utm 52.516272 13.377722").j();
  EXPECT_EQ(j["zone"], "33U");
  EXPECT_NEAR(j["easting"].get<double>(), 389919.255, 1e-3);
  EXPECT_NEAR(j["northing"].get<double>(), 5819698.771, 1e-3);
  j = Run("--json utm -33.8568 151.2153").j();
  EXPECT_EQ(j["hemisphere"], "S");
  EXPECT_NEAR(j["northing"].get<double>(), 6252288.753, 1e-3);
  j = Run("--json utm 89 10").j();  // GeoConvert: n 2019279.553 1890660.222
  EXPECT_EQ(j["system"], "UPS");
  EXPECT_NEAR(j["easting"].get<double>(), 2019279.553, 1e-3);
  EXPECT_NE(Run("utm 52.516272 13.377722").out.find("UTM 33U  E 389919.255 m  N 5819698.771 m"),
            std::string::npos);

  // cs2cs with the same seven parameters: -0.00311942 51.47831577.
  j = Run("--json geo convert --from 'ordnance gb 1936' --to 269 51.4778 -0.0015").j();
  EXPECT_EQ(j["from"]["index"], 183);
  EXPECT_NEAR(j["points"][0]["latitude"].get<double>(), 51.47831577, 2e-8);
  EXPECT_NEAR(j["points"][0]["longitude"].get<double>(), -0.00311942, 2e-8);
  // Standard input: one line per position, the same shift.
  std::ofstream(dir_ / "points.txt") << "# lat lon\n51.4778 -0.0015\n52 1 10\n";
  EXPECT_EQ(Run("--json geo convert --from 183 --to wgs84 51 0").j()["to"]["index"], 269);
  Result r = Run("geo convert --from 183 --to 'WORLD GEODETIC SYSTEM 1984/world'",
                 (dir_ / "points.txt").string());
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, 24), "51.47831578 -0.00311942 ");
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2);
}

TEST_F(ZelTool, StatisticsFitSpectrumClustersComponents) {
  Result r = Run("--json stats " + kData + "iris.csv petal_length");
  ASSERT_EQ(r.code, 0) << r.err;
  json j = r.j()[0];
  EXPECT_EQ(j["n"], 150);
  EXPECT_NEAR(j["mean"].get<double>(), 3.758, 1e-12);
  // scipy.stats: shapiro W 0.8762685656547546 (p 7.4127e-10; scipy works
  // in single precision), skewtest z -1.3998796028252125, kurtosistest z
  // -14.82321257870397.
  EXPECT_NEAR(j["tests"][0]["W"].get<double>(), 0.87626857, 1e-6);
  EXPECT_NEAR(j["tests"][0]["p"].get<double>(), 7.4127e-10, 1e-13);
  EXPECT_NEAR(j["tests"][2]["z"].get<double>(), -1.3998796028252125, 1e-9);
  EXPECT_NEAR(j["tests"][3]["z"].get<double>(), -14.82321257870397, 1e-9);
  // Too few values for a test: said, not computed.
  std::ofstream(dir_ / "short.csv") << "x\n1\n2\n4\n";
  j = Run("--json stats " + (dir_ / "short.csv").string()).j()[0];
  EXPECT_EQ(j["tests"][0]["p"].is_number(), true);        // Shapiro-Wilk works from 3 values
  EXPECT_EQ(j["tests"][1]["skipped"].is_string(), true);  // Lilliefors needs 6

  // scipy.stats.linregress: slope 0.41575541635241114, intercept -0.36307552131902776.
  j = Run("--json fit " + kData + "iris.csv petal_length petal_width --at 4").j();
  EXPECT_NEAR(j["coefficients"][0]["value"].get<double>(), -0.36307552131902776, 1e-13);
  EXPECT_NEAR(j["coefficients"][1]["value"].get<double>(), 0.41575541635241114, 1e-13);
  EXPECT_NEAR(j["predictions"][0]["y"].get<double>(),
              -0.36307552131902776 + 4 * 0.41575541635241114, 1e-12);
  EXPECT_EQ(
      Run("--json fit " + kData + "iris.csv 3 4 -m poly --order 3").j()["coefficients"].size(), 4u);

  // 2 cos(2 pi 20 t) + 0.5 sin(2 pi 50 t): lines 20 and 50 of magnitudes 2 and 0.5.
  j = Run("--json fft " + kData + "tones.csv signal --dt 0.00390625").j();
  EXPECT_EQ(j["strongest_lines"][0], 20);
  EXPECT_EQ(j["strongest_lines"][1], 50);
  EXPECT_NEAR(j["spectrum"][20]["magnitude"].get<double>(), 2.0, 1e-12);
  EXPECT_NEAR(j["spectrum"][50]["frequency"].get<double>(), 50.0, 1e-12);
  EXPECT_NEAR(j["rms"].get<double>(), std::sqrt((4 + 0.25) / 2), 1e-12);

  // scipy kmeans2(minit='matrix') from the first three rows: sizes 39, 61,
  // 50 and within-cluster sum 78.85566582597724; renumbered by size here.
  j = Run("--json cluster " + kData + "iris.csv -k 3").j();
  EXPECT_NEAR(j["wcss"].get<double>(), 78.85566582597724, 1e-9);
  EXPECT_EQ(j["clusters"][0]["size"], 61);
  EXPECT_EQ(j["clusters"][2]["size"], 39);
  EXPECT_EQ(j["assignment"].size(), 150u);

  // scikit-learn PCA: explained_variance_ratio_ 0.92461872 0.05306648 ...
  j = Run("--json pca " + kData + "iris.csv").j();
  EXPECT_NEAR(j["components"][0]["share"].get<double>(), 0.92461872, 1e-8);
  EXPECT_NEAR(j["components"][1]["variance"].get<double>(), 0.24267075, 1e-8);
}

TEST_F(ZelTool, MatrixAndArrayFiles) {
  // The guide's matrix: determinant 4, inverse [[3 2 1] [2 4 2] [1 2 3]] / 4,
  // singular values 2 + sqrt 2, 2, 2 - sqrt 2.
  json j = Run("--json matrix det " + kData + "guide_matrix.txt").j();
  EXPECT_NEAR(j["determinant"].get<double>(), 4.0, 1e-13);
  const std::string bin = (dir_ / "inverse.bin").string();
  j = Run("--json matrix invert " + kData + "guide_matrix.txt -o " + bin).j();
  EXPECT_NEAR(j["inverse"][1][1].get<double>(), 1.0, 1e-15);
  EXPECT_NEAR(j["inverse"][0][2].get<double>(), 0.25, 1e-15);
  j = Run("--json matrix svd " + bin).j();  // the inverse read back from the binary file
  EXPECT_EQ(j["format"], "binary");
  EXPECT_NEAR(j["singular_values"][0].get<double>(), 1 / (2 - std::sqrt(2.0)), 1e-13);
  EXPECT_NEAR(j["condition"].get<double>(), (2 + std::sqrt(2.0)) / (2 - std::sqrt(2.0)), 1e-12);
  EXPECT_EQ(Run("--json matrix det " + kData + "guide_inverse.bin").j()["format"], "binary");

  j = Run("--json array info " + kData + "iris.arr").j();
  EXPECT_EQ(j["dimensions"], (std::vector<int>{4, 150}));
  EXPECT_EQ(j["min"], 0.1);
  EXPECT_EQ(j["max"], 7.9);
  const std::string arr = (dir_ / "iris_bin.arr").string();
  ASSERT_EQ(Run("array save " + kData + "iris.csv " + arr + " --binary").code, 0);
  EXPECT_EQ(Run("--json array info " + arr).j()["elements"], 600);
}

TEST_F(ZelTool, MapCreateAndRender) {
  const std::string base = (dir_ / "alps").string();
  ASSERT_EQ(Run("map create 45 6 48 14 " + base + " --width 300 --height 200").code, 0);
  Result r = Run("--json map render " + base + ".xml " + (dir_ / "alps.png").string() +
                 " --width 320 --height 240 --grid 0.5");
  ASSERT_EQ(r.code, 0) << r.err;
  json j = r.j();
  EXPECT_EQ(j["image_width"], 300);
  EXPECT_EQ(j["model"], "equirect");
  const std::string png = Slurp(dir_ / "alps.png");
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(static_cast<unsigned char>(png[19]), 320 - 256);
  EXPECT_EQ(static_cast<unsigned char>(png[23]), 240);
  // The shipped sample draws as well, here to standard output, and with
  // its landmarks the picture changes.
  r = Run("-q map render " + kData + "central_europe.xml -");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.substr(1, 3), "PNG");
  const Result marked =
      Run("-q map render " + kData + "central_europe.xml - --landmarks " + kData + "capitals.xml");
  ASSERT_EQ(marked.code, 0) << marked.err;
  EXPECT_NE(marked.out, r.out);
  EXPECT_EQ(Run("--json map render " + kData + "central_europe.xml " +
                (dir_ / "marked.png").string() + " --landmarks " + kData + "capitals.xml")
                .j()["landmarks"],
            6);
}

TEST_F(ZelTool, StandardInputAndQuietProgress) {
  const Result file = Run("--json stats " + kData + "iris.csv");
  const Result piped =
      Run("--json stats -", std::string(ZEL_SOURCE_DIR) + "/" + kData + "iris.csv");
  ASSERT_EQ(piped.code, 0) << piped.err;
  EXPECT_EQ(file.out, piped.out);
  // Standard error is not a terminal here: no progress bar, nothing at all.
  const Result inv = Run("matrix invert " + kData + "guide_matrix.txt");
  EXPECT_EQ(inv.code, 0);
  EXPECT_EQ(inv.err, "");
}

TEST_F(ZelTool, EmptyCellsPairPointsAndLeaveRowsOut) {
  // y = 2 x + 1 where both cells are present; the empty cells sit in
  // different rows of the two columns, so a shifted pairing would break the line.
  std::ofstream(dir_ / "gaps.csv") << "x,y,z\n1,3,0\n,5,1\n3,,2\n4,9,3\n5,11,5\n6,13,8\n";
  const std::string gaps = (dir_ / "gaps.csv").string();
  json j = Run("--json fit " + gaps + " x y").j();
  EXPECT_EQ(j["points"], 4);
  EXPECT_NEAR(j["coefficients"][0]["value"].get<double>(), 1.0, 1e-13);
  EXPECT_NEAR(j["coefficients"][1]["value"].get<double>(), 2.0, 1e-13);
  j = Run("--json stats " + gaps + " y").j()[0];
  EXPECT_EQ(j["missing"], 1);
  EXPECT_NEAR(j["mean"].get<double>(), 41.0 / 5, 1e-13);
  // Rows 2 and 3 are incomplete: the others keep their file row numbers.
  j = Run("--json cluster " + gaps + " -k 2").j();
  EXPECT_EQ(j["rows_left_out"], 2);
  EXPECT_EQ(j["assignment"][1]["row"], 4);
  EXPECT_EQ(Run("--json pca " + gaps).j()["rows"], 4);
  // Five samples are padded to eight for the transform.
  std::ofstream(dir_ / "five.csv") << "s\n1\n1\n1\n1\n1\n";
  j = Run("--json fft " + (dir_ / "five.csv").string() + " -w hann").j();
  EXPECT_EQ(j["size"], 8);
  EXPECT_EQ(j["spectrum"].size(), 5u);
}

TEST_F(ZelTool, InverseReadsBackInEveryMatrixForm) {
  for (const char* ext : {".bin", ".xml", ".txt"}) {
    const std::string out = (dir_ / (std::string("inv") + ext)).string();
    ASSERT_EQ(Run("matrix invert " + kData + "guide_matrix.txt -o " + out).code, 0) << ext;
    const json j = Run("--json matrix det " + out).j();
    EXPECT_NEAR(j["determinant"].get<double>(), 0.25, 1e-15) << ext;
  }
  // A structure file and a query both from files, the SD file from standard input.
  const Result r = Run("--json search - --substructure " + kData + "chlorobenzene.mol",
                       std::string(ZEL_SOURCE_DIR) + "/" + kData + "structures.sdf");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.j()["matches"], 5);
}

TEST_F(ZelTool, OptionsReachTheLibrary) {
  // Datums by NAME/REGION: a full region wins over regions containing it.
  const auto datum = [&](const std::string& name) {
    const Result r = Run("--json geo convert --from '" + name + "' --to wgs84 50 10");
    return r.code == 0 ? r.j()["from"]["index"].get<int>() : -r.code;
  };
  EXPECT_EQ(datum("European Datum 1950/europe"), 59);
  EXPECT_EQ(datum("EUROPEAN DATUM 1950/western"), 60);
  EXPECT_EQ(datum("EUROPEAN DATUM 1950/malta"), 72);
  EXPECT_EQ(datum("EUROPEAN DATUM 1950/Portugal"), -1);  // 65 has no shift parameters
  EXPECT_EQ(datum("EUROPEAN DATUM 1950/Atlantis"), -2);

  // Delimiters and columns by number.
  std::ofstream(dir_ / "semi.csv") << "a;b\n1;10\n2;20\n3;30\n4;50\n";
  std::ofstream(dir_ / "tab.csv") << "a\tb\n1\t10\n2\t20\n3\t30\n4\t50\n";
  const json semi = Run("--json stats -d ';' " + (dir_ / "semi.csv").string() + " 2").j();
  const json tab = Run("--json stats -d tab " + (dir_ / "tab.csv").string() + " b").j();
  EXPECT_EQ(semi[0]["column"], "b");
  EXPECT_EQ(semi[0]["mean"], 27.5);
  EXPECT_EQ(tab, semi);

  // The window option reaches the transform: Hann confines the leakage of
  // an off-grid tone (3.5 periods in 64 samples) far better than the rectangle.
  std::ostringstream tone;
  tone << "s\n";
  for (int t = 0; t < 64; ++t) tone << std::cos(2 * 3.14159265358979 * 3.5 * t / 64) << "\n";
  std::ofstream(dir_ / "tone.csv") << tone.str();
  const auto far = [&](const char* window) {
    return Run("--json fft " + (dir_ / "tone.csv").string() + " -w " + window)
        .j()["spectrum"][20]["magnitude"]
        .get<double>();
  };
  EXPECT_LT(far("hann"), far("rectangle") / 10);

  // A seed gives reproducible random start centres; formulas give one
  // entry each; a model outside its domain fails naming the file.
  const std::string iris = kData + "iris.csv";
  EXPECT_EQ(Run("--json cluster " + iris + " -k 4 --seed 11").out,
            Run("--json cluster " + iris + " -k 4 --seed 11").out);
  EXPECT_EQ(Run("--json formula H2O NaCl").j().size(), 2u);
  std::ofstream(dir_ / "neg.csv") << "x,y\n-1,1\n2,2\n3,3\n4,5\n";
  const Result log = Run("fit " + (dir_ / "neg.csv").string() + " -m log");
  EXPECT_EQ(log.code, 1);
  EXPECT_NE(log.err.find("neg.csv: "), std::string::npos) << log.err;
}

struct Failing {
  const char* args;
  int code;
  const char* message;  // part of standard error
};

TEST_F(ZelTool, FailuresNameTheFileAndUsageErrorsExitWith2) {
  const std::string sd = Damaged(kData + "structures.sdf", 3000);
  const std::string mat = Damaged(kData + "guide_inverse.bin", 6000);
  const std::string arr = Damaged(kData + "iris.arr", 100000, 200);
  const std::string cal = Damaged(kData + "central_europe.xml", 400);
  const std::string lm = Damaged(kData + "capitals.xml", 700);
  std::ofstream(dir_ / "ragged.csv") << "a,b\n1,2\n3\n";
  const std::string ragged = (dir_ / "ragged.csv").string();
  const Failing cases[] = {
      {"stats nosuch.csv", 1, "nosuch.csv: no such file"},
      {"rings nosuch.sdf", 1, "nosuch.sdf: no such file"},
      {"matrix det nosuch.txt", 1, "nosuch.txt: no such file"},
      {"rings DAMAGED_SD", 1, "DAMAGED_SD: record 2:"},
      {"matrix svd DAMAGED_MAT", 1, "DAMAGED_MAT: damaged binary matrix file"},
      {"array info DAMAGED_ARR", 1, "DAMAGED_ARR: "},
      {"map render DAMAGED_CAL out.png", 1, "DAMAGED_CAL: "},
      {"map render examples/data/central_europe.xml out.png --landmarks DAMAGED_LM", 1,
       "DAMAGED_LM: not a landmark file, or damaged"},
      {"stats RAGGED", 1, "RAGGED: "},
      {"matrix det examples/data/iris.csv", 1, "iris.csv: not a matrix file"},
      {"cluster examples/data/iris.csv -k 0", 2, "Run 'zel --help'"},
      {"cluster examples/data/iris.csv -k 151", 2, "more than the 150 complete rows"},
      {"fit examples/data/iris.csv --model nosuch", 2, "--model"},
      {"stats examples/data/iris.csv species", 2, "is not numeric"},
      {"utm 95 0", 2, "LAT must be within"},
      {"geo convert --from 'EUROPEAN DATUM 1950' --to 269 50 10", 2, "names 25 datums"},
      {"nosuch", 2, "Run 'zel --help'"},
      {"", 2, "A subcommand is required"},
  };
  const std::pair<std::string, std::string> files[] = {{"DAMAGED_SD", sd},   {"DAMAGED_MAT", mat},
                                                       {"DAMAGED_ARR", arr}, {"DAMAGED_CAL", cal},
                                                       {"DAMAGED_LM", lm},   {"RAGGED", ragged}};
  const auto substitute = [&](std::string text) {
    for (const auto& [key, path] : files)
      if (const size_t at = text.find(key); at != std::string::npos)
        text.replace(at, key.size(), path);
    return text;
  };
  for (const Failing& c : cases) {
    const std::string args = substitute(c.args), message = substitute(c.message);
    const Result r = Run(args);
    EXPECT_EQ(r.code, c.code) << c.args << "\n" << r.err;
    EXPECT_NE(r.err.find(message), std::string::npos) << c.args << "\n" << r.err;
    // One line for failed work; usage errors add the hint line.
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), c.code == 1 ? 1 : 2) << c.args << r.err;
  }
}

TEST_F(ZelTool, HelpAndVersion) {
  Result r = Run("--version");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out.rfind("zel ", 0), 0u);
  for (const char* sub : {"formula", "mol2png", "rings", "search", "utm", "geo convert", "stats",
                          "fit", "fft", "cluster", "pca", "matrix invert", "matrix svd",
                          "matrix det", "array info", "map render"}) {
    r = Run(std::string(sub) + " --help");
    EXPECT_EQ(r.code, 0) << sub;
    EXPECT_NE(r.out.find("Usage:"), std::string::npos) << sub;
  }
}

}  // namespace
