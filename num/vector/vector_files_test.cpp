#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/zel_filesys.hpp"
#include "num/matrix/zel_matrix.hpp"
#include "num/vector/zel_vector.hpp"

namespace zel {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// A directory of its own in the temporary directory, removed at the end.
class TempDir {
 public:
  TempDir() {
    Path =
        std::filesystem::temp_directory_path() / ("zel_vector_files_" + std::to_string(::getpid()));
    std::filesystem::create_directories(Path);
  }
  ~TempDir() { std::filesystem::remove_all(Path); }
  std::string File(const std::string& name) const { return (Path / name).string(); }
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(File(name), std::ios::binary) << bytes;
    return File(name);
  }
  static std::string Read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::filesystem::path Path;
};

template <class V>
std::vector<typename V::TElem> Elems(const V& v) {
  std::vector<typename V::TElem> out;
  for (int32_t i = 1; i <= v.GetNrOfElem(); ++i) out.push_back(v.GetVal(i));
  return out;
}

template <class V>
std::unique_ptr<V> Make(const std::vector<typename V::TElem>& values) {
  auto v = std::make_unique<V>(nullptr);
  v->Resize(static_cast<int32_t>(values.size()));
  v->CopyFrom(values, 0, static_cast<int32_t>(values.size()) - 1, 1);
  return v;
}

bool HaveDevFull() { return std::filesystem::exists("/dev/full"); }

// --- stream format --------------------------------------------------------------

TEST(VectorStream, DoubleVectorWritesExtendedValuesAndReadsThemBack) {
  auto v = Make<TVector>({1.5, -2.25, kInf, 1e300});
  TMemoryStream ms;
  EXPECT_TRUE(v->SaveToStream(ms, 4, 2));  // range normalised to 2..4
  ASSERT_EQ(ms.GetSize(), 2 * 10 + 3 * 10);
  EXPECT_EQ(ExtendedFromBytes(ms.GetMemory()), 2.0L);
  EXPECT_EQ(ExtendedFromBytes(ms.GetMemory() + 10), 4.0L);
  EXPECT_EQ(ExtendedFromBytes(ms.GetMemory() + 20), -2.25L);

  TVector w(nullptr);
  std::string events;
  w.OnChange = [&](TObject*) { events += 'C'; };
  w.OnResize = [&](TObject*) { events += 'R'; };
  ms.SetPosition(0);
  EXPECT_TRUE(w.LoadFromStream(&ms, true));
  EXPECT_EQ(events, "CR");
  EXPECT_EQ(Elems(w), (std::vector<double>{0, -2.25, kInf, 1e300}));
  EXPECT_FALSE(w.GetIsEmpty());
}

TEST(VectorStream, IntVectorWritesLittleEndianInt32) {
  auto v = Make<TIntVector>({-1, 300});
  TStream* out = nullptr;  // a missing stream is created for the caller
  EXPECT_TRUE(v->SaveToStream(out, 0, 0));
  std::unique_ptr<TStream> owned(out);
  auto* ms = dynamic_cast<TMemoryStream*>(out);
  ASSERT_NE(ms, nullptr);
  const std::vector<uint8_t> expect{1, 0, 0, 0, 2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x2C, 1, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(ms->GetMemory(), ms->GetMemory() + ms->GetSize()), expect);
  TIntVector w(nullptr);
  w.Resize(5);
  ms->SetPosition(0);
  EXPECT_TRUE(w.LoadFromStream(*ms, false));  // size kept
  EXPECT_EQ(Elems(w), (std::vector<int32_t>{-1, 300, 0, 0, 0}));
}

TEST(VectorStream, RejectsBadBoundsAndLeavesTheVectorAlone) {
  auto bounds = [](long double lo, long double hi, int values) {
    auto ms = std::make_unique<TMemoryStream>();
    WriteExtendedToStream(*ms, lo);
    WriteExtendedToStream(*ms, hi);
    for (int i = 0; i < values; ++i) WriteExtendedToStream(*ms, 7.0L);
    ms->SetPosition(0);
    return ms;
  };
  auto v = Make<TVector>({1, 2, 3});
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  EXPECT_FALSE(v->LoadFromStream(bounds(0, 2, 3).get(), true));        // LowElem below 1
  EXPECT_FALSE(v->LoadFromStream(bounds(3, 2, 2).get(), true));        // reversed
  EXPECT_FALSE(v->LoadFromStream(bounds(nan, 2, 2).get(), true));      // NaN
  EXPECT_FALSE(v->LoadFromStream(bounds(1, 1e30L, 2).get(), true));    // huge
  EXPECT_FALSE(v->LoadFromStream(bounds(1, 3, 2).get(), true));        // truncated values
  EXPECT_FALSE(v->LoadFromStream(bounds(1, 4, 4).get(), false));       // vector too short
  EXPECT_FALSE(v->LoadFromStream(bounds(2e9L, 2e9L, 1).get(), true));  // growth beyond the input
  EXPECT_FALSE(v->LoadFromStream(static_cast<TStream*>(nullptr), true));
  EXPECT_EQ(Elems(*v), (std::vector<double>{1, 2, 3}));
  // Bounds round halves to even: 1.5 and 2.5 both give 2.
  EXPECT_TRUE(v->LoadFromStream(bounds(1.5L, 2.5L, 1).get(), false));
  EXPECT_EQ(Elems(*v), (std::vector<double>{1, 7, 3}));
  // A range far beyond the input fits a vector that is already large.
  TVector big(nullptr);
  big.Resize(100000);
  EXPECT_TRUE(big.LoadFromStream(bounds(99999, 100000, 2).get(), true));
  EXPECT_EQ(big.GetVal(100000), 7.0);
}

// --- writers report failures ----------------------------------------------------

TEST(VectorWriters, ReportAFullDiskAsFailure) {
  if (!HaveDevFull()) GTEST_SKIP() << "no /dev/full";
  auto v = Make<TVector>({1, 2, 3});
  auto iv = Make<TIntVector>({1, 2, 3});
  EXPECT_FALSE(v->StoreOnFile(0, 0, 3, "/dev/full"));
  EXPECT_FALSE(iv->StoreOnFile(0, 0, "/dev/full"));
  EXPECT_EQ(v->ExportAsASC("/dev/full", 3, ""), -1);
  EXPECT_EQ(iv->ExportAsASC("/dev/full", ""), -1);
  TFileStream fs("/dev/full", TFileMode::fmOpenWrite);
  EXPECT_FALSE(v->SaveToStream(fs, 0, 0));
}

TEST(VectorWriters, ReportAFileThatCannotBeCreated) {
  TempDir dir;
  auto v = Make<TVector>({1});
  const std::string bad = dir.File("missing/sub/x.txt");
  EXPECT_FALSE(v->StoreOnFile(0, 0, 3, bad));
  EXPECT_EQ(v->ExportAsASC(bad, 3, ""), -1);
}

// --- text format --------------------------------------------------------------------

TEST(VectorText, PrecisionSelectsTheNotation) {
  TempDir dir;
  auto v = Make<TVector>({1.23456789, -0.5});
  const std::string f = dir.File("p.txt");
  ASSERT_TRUE(v->StoreOnFile(2, 1, 3, f));  // bounds ordered
  EXPECT_EQ(TempDir::Read(f), "1 2\n1.235\n-0.500\n");
  ASSERT_TRUE(v->StoreOnFile(1, 1, -5, f));  // below -2: 2 decimals
  EXPECT_EQ(TempDir::Read(f), "1 1\n1.23\n");
  ASSERT_TRUE(v->StoreOnFile(1, 1, -1, f));  // scientific, width 13
  EXPECT_EQ(TempDir::Read(f), "1 1\n 1.2346E+0000\n");
  ASSERT_TRUE(v->StoreOnFile(2, 2, 99, f));  // capped at 20 decimals
  EXPECT_EQ(TempDir::Read(f), "2 2\n-0.50000000000000000000\n");
}

TEST(VectorText, ScientificWidth26RestoresEveryDouble) {
  TempDir dir;
  auto v = Make<TVector>({0.1, 1.0 / 3, -1.5e300, 4.9e-324, 2.2250738585072014e-308, kInf, -kInf});
  const std::string f = dir.File("exact.txt");
  ASSERT_TRUE(v->StoreOnFile(0, 0, -2, f));
  TVector w(nullptr);
  ASSERT_TRUE(w.LoadFromFile(f, true));
  EXPECT_EQ(Elems(w), Elems(*v));
  v->SetVal(1, std::nan(""));
  ASSERT_TRUE(v->StoreOnFile(1, 1, -2, f));
  ASSERT_TRUE(w.LoadFromFile(f, false));
  EXPECT_TRUE(std::isnan(w.GetVal(1)));
}

TEST(VectorText, LoadFromFileReadsSignsExponentsAndIgnoresWhatFollows) {
  TempDir dir;
  TVector v(nullptr);
  ASSERT_TRUE(v.LoadFromFile(dir.Write("a.txt", "2 4\r\n1.5\r\n+2\r\n3e1 99 abc\r\n"), true));
  EXPECT_EQ(Elems(v), (std::vector<double>{0, 1.5, 2, 30}));  // 99 and abc are beyond LastElem
  TIntVector iv(nullptr);
  ASSERT_TRUE(iv.LoadFromFile(dir.Write("i.txt", "1 5\n0.5\n1.5\n2.5\n-2.5\n1e12\n"), true));
  EXPECT_EQ(Elems(iv), (std::vector<int32_t>{0, 2, 2, -2, std::numeric_limits<int32_t>::max()}));
}

// A value out of the double range is data: dropping it would shift the
// values after it into the wrong elements.
TEST(VectorText, NumbersBeyondTheDoubleRangeReadAsZeroOrInfinity) {
  TempDir dir;
  TVector v(nullptr);
  ASSERT_TRUE(v.LoadFromFile(dir.Write("r.txt", "1 5\n1e-400\n2\n-1e-400\n1E400\n-2e999\n"), true));
  EXPECT_EQ(Elems(v), (std::vector<double>{0, 2, 0, kInf, -kInf}));
  EXPECT_TRUE(std::signbit(v.GetVal(3)));
  TIntVector iv(nullptr);
  ASSERT_TRUE(iv.LoadFromFile(dir.Write("i.txt", "1 3\n1e-400\n5\n1e400\n"), true));
  EXPECT_EQ(Elems(iv), (std::vector<int32_t>{0, 5, std::numeric_limits<int32_t>::max()}));
  ASSERT_TRUE(v.LoadFromFile(dir.Write("a.txt", "1e-400\n2\n3\n"), true, true));
  EXPECT_EQ(Elems(v), (std::vector<double>{0, 2, 3}));
  std::string comment;
  ASSERT_EQ(v.ImportASC(dir.Write("r.asc",
                                  "c\n1\n3\nTRUE FALSE FALSE FALSE\n1e999 1e-400\n2 5\n3 -1e400\n"),
                        comment),
            kAscOk);
  EXPECT_EQ(Elems(v), (std::vector<double>{0, 5, -kInf}));
}

// A line that does not parse fails the load; it is never skipped.
TEST(VectorText, MalformedNumbersFailTheLoadInsteadOfShiftingValues) {
  TempDir dir;
  auto v = Make<TVector>({7, 8, 9});
  const char* plain[] = {"1 3\n1\n2,5\n3\n4\n", "1 3\n1\nabc\n2\n3\n", "1 2\n1\n0x10\n2\n",
                         "1 2\n1.5.2\n1\n2\n"};
  for (const char* text : plain) {
    EXPECT_FALSE(v->LoadFromFile(dir.Write("p.txt", text), true)) << text;
    EXPECT_FALSE(v->LoadFromFile(dir.Write("p.txt", text), false)) << text;
    EXPECT_EQ(Elems(*v), (std::vector<double>{7, 8, 9})) << text;
  }
  // Auto-detection skips labels, but a word with digits must be a number.
  const char* detected[] = {"1\n2,5\n3\n4\n", "1\n2\n3 x1\n", "Value: 3;\n4\n"};
  for (const char* text : detected) {
    EXPECT_FALSE(v->LoadFromFile(dir.Write("a.txt", text), false, true)) << text;
    EXPECT_FALSE(v->LoadFromFile(dir.Write("a.txt", text), true, true)) << text;
    EXPECT_EQ(Elems(*v), (std::vector<double>{7, 8, 9})) << text;
  }
  TIntVector iv(nullptr);
  EXPECT_FALSE(iv.LoadFromFile(dir.Write("i.txt", "1 2\n1\n2,5\n3\n"), true));
  std::string comment;
  EXPECT_EQ(v->ImportASC(dir.Write("c.asc", "c\n1\n2\nFALSE FALSE FALSE FALSE\n2,5\n3\n"), comment),
            kVecAscBadValue);
  EXPECT_EQ(Elems(*v), (std::vector<double>{7, 8, 9}));
}

// Pipes and FIFOs have no size; they are read as they stream in.
TEST(VectorText, ReadersTakeFifos) {
  TempDir dir;
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const auto feed = [&](const std::string& text) {
    return std::jthread([fifo, text] { std::ofstream(fifo, std::ios::binary) << text; });
  };
  TVector v(nullptr);
  std::jthread writer = feed("2 3\n1.5\n2.5\n");
  EXPECT_TRUE(v.LoadFromFile(fifo, true));
  writer.join();
  EXPECT_EQ(Elems(v), (std::vector<double>{0, 1.5, 2.5}));
  writer = feed("Run 1\n4\n");
  EXPECT_TRUE(v.LoadFromFile(fifo, true, true));
  writer.join();
  EXPECT_EQ(Elems(v), (std::vector<double>{1, 4}));
  std::string comment;
  writer = feed("fifo\n1\n2\nFALSE FALSE FALSE FALSE\n8\n9\n");
  EXPECT_EQ(v.ImportASC(fifo, comment), kAscOk);
  writer.join();
  EXPECT_EQ(Elems(v), (std::vector<double>{8, 9}));
  EXPECT_EQ(comment, "fifo");
  // The growth limit holds against the bytes that came, since no size is known.
  writer = feed("2000000 2000000\n1\n");
  EXPECT_FALSE(v.LoadFromFile(fifo, true));
  writer.join();
  EXPECT_EQ(Elems(v), (std::vector<double>{8, 9}));
}

// Messages of unnamed components carry the class name.
TEST(VectorMessages, UnnamedVectorsAreNamedByTheirClass) {
  TIntVector iv(nullptr);
  iv.Resize(2);
  TIntArray h;
  int32_t under = 0, over = 0, maxCnt = 0;
  try {
    iv.Histogram(0, 0, 0, 1000, 1, h, under, over, maxCnt);
    FAIL() << "more than 500 bins must raise";
  } catch (const EZELVectorError& e) {
    EXPECT_STREQ(e.what(), "Component \"TIntVector.Histogram\": invalid number of bins");
  }
  TVector a(nullptr), b(nullptr);
  a.Resize(2);
  b.Resize(3);
  try {
    a.Add(&b);
    FAIL() << "vectors of different sizes must raise";
  } catch (const EZELVectorError& e) {
    EXPECT_STREQ(e.what(), "Component \"TVector\": vectors have different dimensions");
  }
  TMatrix m(nullptr);
  try {
    m.Resize(std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max());
    FAIL() << "an impossible size must raise";
  } catch (const EZELMatrixError& e) {
    EXPECT_STREQ(e.what(), "Component \"TMatrix\": not enough memory on heap");
  }
}

TEST(VectorText, LoadFromFileRejectsDamagedFilesWithoutChanges) {
  TempDir dir;
  auto v = Make<TVector>({5, 6, 7});
  const char* files[] = {
      "",                            // no header
      "1\n5\n",                      // one bound
      "1 2 3\n5\n6\n",               // three bounds
      "a b\n5\n6\n",                 // not numbers
      "0 2\n5\n6\n7\n",              // FirstElem below 1
      "3 2\n5\n6\n",                 // reversed
      "1 3\n5\n6\n",                 // ends early
      "1 3\n5\nx\n6\n",              // a word that is not a number
      "1 99999\n5\n6\n",             // count cannot fit into the file
      "2000000000 2000000000\n5\n",  // growth beyond the file
  };
  for (const char* text : files) {
    EXPECT_FALSE(v->LoadFromFile(dir.Write("bad.txt", text), true)) << text;
    EXPECT_EQ(Elems(*v), (std::vector<double>{5, 6, 7})) << text;
  }
  EXPECT_FALSE(v->LoadFromFile(dir.Write("short.txt", "1 4\n1\n2\n3\n4\n"), false));  // no room
  EXPECT_FALSE(v->LoadFromFile(dir.File("none.txt"), true));
  EXPECT_EQ(Elems(*v), (std::vector<double>{5, 6, 7}));
}

TEST(VectorText, AutoDetectCountsLinesWithDigits) {
  TempDir dir;
  TVector v(nullptr);
  ASSERT_TRUE(v.LoadFromFile(dir.Write("auto.txt", "Run 1\n1.5\n\n  \n2.5\n"), true, true));
  EXPECT_EQ(Elems(v), (std::vector<double>{1, 1.5, 2.5}));  // "Run" skipped, "1" taken
  // A header is data to auto-detection: 3 lines with digits, numbers 1 2 5 6.
  ASSERT_TRUE(v.LoadFromFile(dir.Write("hdr.txt", "1 2\n5\n6\n"), true, true));
  EXPECT_EQ(Elems(v), (std::vector<double>{1, 2, 5}));
  // Without resizing only the elements the file covers change.
  auto w = Make<TVector>({9, 9, 9, 9});
  ASSERT_TRUE(w->LoadFromFile(dir.Write("two.txt", "4\n3\n"), false, true));
  EXPECT_EQ(Elems(*w), (std::vector<double>{4, 3, 9, 9}));
  EXPECT_FALSE(w->LoadFromFile(dir.Write("none.txt", "abc\n\n"), true, true));
  EXPECT_FALSE(
      w->LoadFromFile(dir.Write("short.txt", "x1\n2\n"), true, true));  // 2 lines, 1 number
  EXPECT_EQ(Elems(*w), (std::vector<double>{4, 3, 9, 9}));
}

// --- ASC format ------------------------------------------------------------------------

TEST(VectorAsc, ExportWritesTheHeaderAndImportRestoresValues) {
  TempDir dir;
  auto v = Make<TVector>({1.23456, -7, 0.5});
  const std::string f = dir.File("v.asc");
  ASSERT_EQ(v->ExportAsASC(f, 4, ""), 0);
  EXPECT_EQ(
      TempDir::Read(f),
      "Exported by ZEL TVector component: " + f +
          "\n1\t;nr. of columns\n3\t;nr. of rows\n"
          "FALSE FALSE FALSE FALSE\t;row attributes, column names, row names, nominal variables\n"
          "      1.2346\n     -7.0000\n      0.5000\n");
  TVector w(nullptr);
  std::string comment = "stale";
  ASSERT_EQ(w.ImportASC(f, comment), kAscOk);
  EXPECT_EQ(comment, "Exported by ZEL TVector component: " + f);
  EXPECT_EQ(Elems(w), (std::vector<double>{1.2346, -7, 0.5}));
}

TEST(VectorAsc, CommentControlCharactersBecomeBlanks) {
  TempDir dir;
  auto v = Make<TVector>({1});
  const std::string f = dir.File("c.asc");
  ASSERT_EQ(v->ExportAsASC(f, 2, "two\r\nlines\tand tab"), 0);
  TVector w(nullptr);
  std::string comment;
  ASSERT_EQ(w.ImportASC(f, comment), kAscOk);
  EXPECT_EQ(comment, "two  lines and tab");
}

TEST(VectorAsc, NonFiniteValuesAndPlaceholders) {
  TempDir dir;
  auto v = Make<TVector>({kInf, std::nan(""), -kInf});
  const std::string f = dir.File("n.asc");
  ASSERT_EQ(v->ExportAsASC(f, 3, "x"), 0);
  TVector w(nullptr);
  std::string comment;
  ASSERT_EQ(w.ImportASC(f, comment), kAscOk);
  EXPECT_EQ(Elems(w), (std::vector<double>{kInf, 0, -kInf}));  // NAN reads as 0
  const std::string g = dir.Write("flags.asc",
                                  "flags\n1\t;c\n3\t;r\nTRUE TRUE TRUE FALSE\t;f\n\"col\"\n"
                                  "1 \"r1\" 4.5\n2 \"r 2\" ###\n3 \"r3\" nan\n");
  ASSERT_EQ(w.ImportASC(g, comment), kAscOk);
  EXPECT_EQ(Elems(w), (std::vector<double>{4.5, 0, 0}));
}

TEST(VectorAsc, IntVectorWritesPlainIntegersAndRoundsOnImport) {
  TempDir dir;
  auto v = Make<TIntVector>({-3, 40});
  const std::string f = dir.File("i.asc");
  ASSERT_EQ(v->ExportAsASC(f, ""), 0);
  EXPECT_EQ(TempDir::Read(f).substr(0, 38), "Exported by ZEL TIntVector component: ");
  EXPECT_NE(TempDir::Read(f).find("\n-3\n40\n"), std::string::npos);
  TIntVector w(nullptr);
  std::string comment;
  ASSERT_EQ(w.ImportASC(f, comment), kAscOk);
  EXPECT_EQ(Elems(w), (std::vector<int32_t>{-3, 40}));
  ASSERT_EQ(w.ImportASC(dir.Write("r.asc", "c\n1\n3\nFALSE FALSE FALSE FALSE\n2.5\n3.5\n-0.5\n"),
                        comment),
            kAscOk);
  EXPECT_EQ(Elems(w), (std::vector<int32_t>{2, 4, 0}));
}

TEST(VectorAsc, ImportReportsEachErrorAndKeepsTheVector) {
  TempDir dir;
  auto v = Make<TVector>({5, 6});
  const std::string head = "c\n1\t;c\n2\t;r\n";
  struct Case {
    std::string Text;
    int32_t Code;
  } cases[] = {
      {"", kAscCannotRead},
      {"c\nx\n", kAscBadColumnCount},
      {"c\n1\nmany\n", kAscBadRowCount},
      {"c\n1\n2\nMAYBE FALSE FALSE FALSE\n1\n2\n", kAscBadFlags},
      {"c\n1\n2\nTRUE FALSE FALSE FALSE\n1 1\nx 2\n", kVecAscBadRowAttribute},
      {head + "FALSE FALSE FALSE FALSE\n1\nabc\n", kVecAscBadValue},
      {head + "FALSE FALSE FALSE FALSE\n1\n", kVecAscBadValue},  // ends early
      {head + "FALSE FALSE TRUE FALSE\n\"a\" 1\nb 2\n", kVecAscBadValue},
      {"c\n2\n2\nFALSE FALSE FALSE FALSE\n1 2\n3 4\n", kVecAscNotOneColumn},
      {"c\n1\n0\nFALSE FALSE FALSE FALSE\n", kVecAscNoRows},
  };
  for (const Case& c : cases) {
    std::string comment = "stale";
    EXPECT_EQ(v->ImportASC(dir.Write("e.asc", c.Text), comment), c.Code) << c.Text;
    EXPECT_EQ(comment, "") << c.Text;
    EXPECT_EQ(Elems(*v), (std::vector<double>{5, 6})) << c.Text;
  }
  std::string comment;
  EXPECT_EQ(v->ImportASC(dir.File("does-not-exist.asc"), comment), kVecAscNoFile);
}

}  // namespace
}  // namespace zel
