// Tests of the stored forms of TMatrix and TIntMatrix: the number parsers of
// the XML form, the binary record file and the XML readers and writers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "core/zel_streams.hpp"
#include "core/zel_system.hpp"
#include "core/zel_univconst.hpp"
#include "num/matrix/matfiles_test_impl.hpp"
#include "num/matrix/zel_intmatrix.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {
namespace {

using matfiles_test::DataOf;
using matfiles_test::Le32;
using matfiles_test::Mix;
using matfiles_test::PutLe32;
using matfiles_test::ReadBytes;
using matfiles_test::StreamOf;
using matfiles_test::TempDir;
using matfiles_test::TextOf;
using matfiles_test::WriteBytes;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// A 3 x 2 matrix: element (c, r) = 10 c + r, with a few awkward values.
std::unique_ptr<TMatrix> Sample() {
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(3, 2);
  for (int32_t c = 1; c <= 3; ++c)
    for (int32_t r = 1; r <= 2; ++r) m->SetVal(c, r, 10.0 * c + r);
  m->SetVal(2, 1, 0.1);
  m->SetVal(3, 2, -0.0);
  return m;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool SameMatrix(const TMatrix& a, const TMatrix& b) {
  if (a.GetNrOfColumns() != b.GetNrOfColumns() || a.GetNrOfRows() != b.GetNrOfRows()) return false;
  for (int32_t c = 1; c <= a.GetNrOfColumns(); ++c)
    for (int32_t r = 1; r <= a.GetNrOfRows(); ++r)
      if (!SameBits(a.GetVal(c, r), b.GetVal(c, r))) return false;
  return true;
}

// ---------------------------------------------------------------------------
// Parsers
// ---------------------------------------------------------------------------

TEST(MatXmlParsers, NumbersFollowTheStateMachine) {
  const struct {
    const char* text;
    double want;
  } cases[] = {
      {"1.5E3", 1500},
      {"1,5", 1},
      {"-", 0},
      {"", 0},
      {"  42", 42},
      {"\n-2.5\n", -2.5},
      {".5", 0.5},
      {"5.", 5},
      {".", 0},
      {"1.2.3", 0},
      {"- 5", 0},
      {"+-5", 0},
      {"E5", 0},
      {"e5", 0},
      {"2x", 2},
      {"1e5.3", 1e5},
      {"1e", 1},
      {"1e+", 1},
      {"+7", 7},
      {"0.1", 0.1},
      {"-1e-3", -1e-3},
      {"1e-400", 0},
      {"123456789012345678901", 123456789012345678901.0},
  };
  for (const auto& c : cases) EXPECT_EQ(MatXmlStrToNum(c.text), c.want) << c.text;
}

TEST(MatXmlParsers, NumbersClampFiniteOverflowButKeepWrittenInfinities) {
  EXPECT_EQ(MatXmlStrToNum("1e400"), uc_MaxDouble);
  EXPECT_EQ(MatXmlStrToNum("-1e400"), -uc_MaxDouble);
  // Exponent digits stop at 4200: 1e99999 is read as 1e999, still clamped.
  EXPECT_EQ(MatXmlStrToNum("1e99999"), uc_MaxDouble);
  EXPECT_EQ(MatXmlStrToNum("1e-99999"), 0.0);
  // Leading zeros never raise the exponent, so every digit is taken.
  EXPECT_EQ(MatXmlStrToNum("1e00000000000000000005"), 1e5);
  // Thousands of exponent digits neither overflow nor take long.
  EXPECT_EQ(MatXmlStrToNum("1e" + std::string(5000, '9')), uc_MaxDouble);
  EXPECT_EQ(MatXmlStrToNum("1e-" + std::string(5000, '9')), 0.0);
  EXPECT_TRUE(std::isnan(MatXmlStrToNum("NAN")));
  EXPECT_TRUE(std::isnan(MatXmlStrToNum(" nan")));
  EXPECT_EQ(MatXmlStrToNum("INF"), kInf);
  EXPECT_EQ(MatXmlStrToNum("-Inf"), -kInf);
  EXPECT_TRUE(std::signbit(MatXmlStrToNum("-0")));
}

TEST(MatXmlParsers, IntegersNeverWrap) {
  const struct {
    const char* text;
    int32_t want;
  } cases[] = {
      {"12abc", 12},
      {" +7", 7},
      {"-", 0},
      {"", 0},
      {"99999999999", 0},
      {"2147483648", 0},
      {"-2147483648", INT32_MIN},
      {"2147483647", INT32_MAX},
      {"\t-3", -3},
      {"x1", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(MatXmlStrToInt(c.text), c.want) << c.text;
}

// ---------------------------------------------------------------------------
// Binary file
// ---------------------------------------------------------------------------

TEST(MatrixBinary, WritesTheRecordLayoutByteForByte) {
  TempDir dir("bin_layout");
  auto m = Sample();
  m->SetDataID("W\u00E4rme \u20AC \u4E2D");
  ASSERT_TRUE(m->SaveBinary(dir.File("m.bin")));
  const auto b = ReadBytes(dir.File("m.bin"));
  ASSERT_EQ(b.size(), 8192u);
  EXPECT_EQ(Le32(b, 0), 3);
  EXPECT_EQ(Le32(b, 4), 2);
  EXPECT_EQ(Le32(b, 8), 0);
  EXPECT_EQ(Le32(b, 12), 0);
  // Windows-1252: a-umlaut 0xE4, euro 0x80, a CJK character becomes '?'.
  const std::vector<uint8_t> id = {'W', 0xE4, 'r', 'm', 'e', ' ', 0x80, ' ', '?'};
  ASSERT_EQ(b[16], id.size());
  EXPECT_TRUE(std::equal(id.begin(), id.end(), b.begin() + 17));
  EXPECT_EQ(Le32(b, 272), kMatFormatDouble);
  EXPECT_TRUE(std::all_of(b.begin() + 276, b.begin() + 4096, [](uint8_t x) { return x == 0; }));
  // Row by row, the column index innermost.
  const double want[] = {11, 0.1, 31, 12, 22, -0.0};
  for (int k = 0; k < 6; ++k) {
    double v;
    std::memcpy(&v, b.data() + 4096 + 8 * k, 8);
    EXPECT_TRUE(SameBits(v, want[k])) << k;
  }
  EXPECT_TRUE(std::all_of(b.begin() + 4096 + 48, b.end(), [](uint8_t x) { return x == 0; }));

  TMatrix back(nullptr);
  ASSERT_TRUE(back.LoadBinary(dir.File("m.bin")));
  EXPECT_TRUE(SameMatrix(back, *m));
  EXPECT_EQ(back.GetDataID(), "W\u00E4rme \u20AC ?");
  // Saving what was read gives the same bytes.
  ASSERT_TRUE(back.SaveBinary(dir.File("again.bin")));
  EXPECT_EQ(ReadBytes(dir.File("again.bin")), b);
}

TEST(MatrixBinary, DataIdIsCutTo255BytesAfterEncoding) {
  TempDir dir("bin_id");
  TMatrix m(nullptr);
  std::string id;
  for (int k = 0; k < 200; ++k) id += "\u00E9";  // 400 UTF-8 bytes, 200 on disk
  id += std::string(100, 'x');
  m.SetDataID(id);
  ASSERT_TRUE(m.SaveBinary(dir.File("m.bin")));
  int32_t nc = 0, nr = 0, fmt = 0;
  std::string got;
  ASSERT_TRUE(TMatrix::ReadBinaryHeader(dir.File("m.bin"), nc, nr, got, fmt));
  std::string want;
  for (int k = 0; k < 200; ++k) want += "\u00E9";
  want += std::string(55, 'x');
  EXPECT_EQ(got, want);
}

TEST(MatrixBinary, IntegerMatrixUsesFormat2And1024PerRecord) {
  TempDir dir("bin_int");
  TIntMatrix m(nullptr);
  m.Resize(40, 30);  // 1200 elements: two data records
  for (int32_t c = 1; c <= 40; ++c)
    for (int32_t r = 1; r <= 30; ++r) m.SetVal(c, r, (c * 1000 + r) * (r % 2 ? 1 : -1));
  m.SetVal(40, 30, INT32_MIN);
  ASSERT_TRUE(m.SaveBinary(dir.File("i.bin")));
  const auto b = ReadBytes(dir.File("i.bin"));
  ASSERT_EQ(b.size(), 3u * 4096);
  EXPECT_EQ(Le32(b, 272), kMatFormatInt);
  EXPECT_EQ(Le32(b, 4096 + 4 * (1 * 40 + 2)), -(3 * 1000 + 2));  // element (3, 2)
  EXPECT_EQ(Le32(b, 4096 + 4 * 1199), INT32_MIN);

  int32_t nc = 0, nr = 0, fmt = 0;
  std::string id;
  EXPECT_TRUE(TIntMatrix::ReadBinaryHeader(dir.File("i.bin"), nc, nr, id, fmt));
  EXPECT_EQ(fmt, 2);
  // The same header is refused by the double matrix, and the other way round.
  EXPECT_FALSE(TMatrix::ReadBinaryHeader(dir.File("i.bin"), nc, nr, id, fmt));
  EXPECT_EQ(nc, 40);
  TMatrix d(nullptr);
  EXPECT_FALSE(d.LoadBinary(dir.File("i.bin")));
  TIntMatrix back(nullptr);
  ASSERT_TRUE(back.LoadBinary(dir.File("i.bin")));
  EXPECT_EQ(back.GetMat(), m.GetMat());

  ASSERT_TRUE(Sample()->SaveBinary(dir.File("d.bin")));
  EXPECT_FALSE(TIntMatrix::ReadBinaryHeader(dir.File("d.bin"), nc, nr, id, fmt));
  EXPECT_FALSE(back.LoadBinary(dir.File("d.bin")));
}

TEST(MatrixBinary, HeaderReaderFalseForMissingFileAndThrowsForShortOne) {
  TempDir dir("bin_hdr");
  int32_t nc = -5, nr = -5, fmt = -5;
  std::string id = "keep";
  EXPECT_FALSE(TMatrix::ReadBinaryHeader(dir.File("none.bin"), nc, nr, id, fmt));
  EXPECT_EQ(nc, -5);
  EXPECT_EQ(id, "keep");
  WriteBytes(dir.File("short.bin"), std::vector<uint8_t>(4095, 0));
  EXPECT_THROW(TMatrix::ReadBinaryHeader(dir.File("short.bin"), nc, nr, id, fmt), EInOutError);
  // A loader turns the same file into false.
  TMatrix m(nullptr);
  EXPECT_FALSE(m.LoadBinary(dir.File("short.bin")));
}

TEST(MatrixBinary, DamagedFilesLeaveTheMatrixAsItWas) {
  TempDir dir("bin_damaged");
  ASSERT_TRUE(Sample()->SaveBinary(dir.File("good.bin")));
  const auto good = ReadBytes(dir.File("good.bin"));
  auto headerWith = [&](size_t at, int32_t v) {
    auto b = good;
    PutLe32(b, at, v);
    return b;
  };
  auto truncated = good;
  truncated.resize(4096 + 40);
  const std::vector<std::vector<uint8_t>> bad = {
      truncated,
      headerWith(0, 0),           // no columns
      headerWith(4, -3),          // negative rows
      headerWith(0, 2000000000),  // far more than the file holds
      headerWith(8, 1),           // a layer count: not a 2-D file
      headerWith(272, 3),         // unknown format
  };
  auto m = Sample();
  m->Resize(2, 2);
  const TDouble2DArray before = m->GetMat();
  std::string events;
  m->OnChange = [&](TObject*) { events += 'C'; };
  for (size_t k = 0; k < bad.size(); ++k) {
    WriteBytes(dir.File("bad.bin"), bad[k]);
    EXPECT_FALSE(m->LoadBinary(dir.File("bad.bin"))) << k;
    EXPECT_EQ(m->GetMat(), before) << k;
  }
  EXPECT_EQ(events, "");
}

TEST(MatrixBinary, WriterReportsAFileThatCannotBeCreated) {
  TempDir dir("bin_write");
  EXPECT_FALSE(Sample()->SaveBinary(dir.File("no/such/dir/m.bin")));
  EXPECT_FALSE(Sample()->SaveAsXMLFile(dir.File("no/such/dir/m.xml"), "x"));
  if (std::filesystem::exists("/dev/full")) {
    EXPECT_FALSE(Sample()->SaveBinary("/dev/full"));
    EXPECT_FALSE(Sample()->SaveAsXMLFile("/dev/full", "x"));
  }
}

TEST(MatrixBinary, SparseIntegerMatrixHasNoStoredForm) {
  TempDir dir("bin_sparse");
  TIntMatrix s(nullptr, 4);
  EXPECT_FALSE(s.SaveBinary(dir.File("s.bin")));
  TIntMatrix d(nullptr);
  ASSERT_TRUE(d.SaveBinary(dir.File("d.bin")));
  EXPECT_FALSE(s.LoadBinary(dir.File("d.bin")));
  EXPECT_TRUE(s.IsSparse());
}

// ---------------------------------------------------------------------------
// XML form
// ---------------------------------------------------------------------------

TEST(MatrixXml, RoundTripsEveryDoubleExactly) {
  auto m = Sample();
  m->Resize(4, 2);
  m->SetVal(4, 1, kNaN);
  m->SetVal(4, 2, -kInf);
  m->SetVal(1, 1, 5e-324);
  m->SetVal(1, 2, -uc_MaxDouble);
  TMemoryStream ms;
  ASSERT_TRUE(m->WriteToXMLStream(ms, true, "a&b \"c\""));
  const std::string text = TextOf(ms);
  EXPECT_NE(text.find("<matrix sig=\"ZELCSuite\" vers=\"1.0\" id=\"a&amp;b &quot;c&quot;\">"),
            std::string::npos);
  EXPECT_NE(text.find("<cell ix=\"2\" iy=\"1\">0.1</cell>"), std::string::npos);
  EXPECT_NE(text.find("<cell ix=\"4\" iy=\"2\">-INF</cell>"), std::string::npos);

  TMatrix back(nullptr);
  std::string events;
  back.OnChange = [&](TObject*) { events += 'C'; };
  back.OnResize = [&](TObject*) { events += 'R'; };
  ms.SetPosition(0);
  ASSERT_TRUE(back.ReadFromXMLStream(ms, "a&b \"c\""));
  EXPECT_TRUE(SameMatrix(back, *m));
  EXPECT_EQ(back.GetDataID(), "a&b \"c\"");
  EXPECT_EQ(events, "CR");  // once, not per cell
}

TEST(MatrixXml, GoldenDocumentOfAnIntegerMatrix) {
  TIntMatrix m(nullptr);
  m.Resize(2, 2);
  m.SetVal(1, 1, -7);
  m.SetVal(2, 1, INT32_MAX);
  m.SetVal(1, 2, INT32_MIN);
  TMemoryStream ms;
  ASSERT_TRUE(m.WriteToXMLStream(ms, false, "ids"));
  const std::string text = TextOf(ms);
  EXPECT_EQ(text,
            "<matrix sig=\"ZELCSuite\" vers=\"1.0\" id=\"ids\">\n"
            "<numcols>2</numcols>\n<numrows>2</numrows>\n"
            "<cell ix=\"1\" iy=\"1\">-7</cell>\n<cell ix=\"1\" iy=\"2\">-2147483648</cell>\n"
            "<cell ix=\"2\" iy=\"1\">2147483647</cell>\n<cell ix=\"2\" iy=\"2\">0</cell>\n"
            "</matrix>\n");
  TIntMatrix back(nullptr);
  ms.SetPosition(0);
  ASSERT_TRUE(back.ReadFromXMLStream(ms, ""));
  EXPECT_EQ(back.GetMat(), m.GetMat());
}

TEST(MatrixXml, ReaderPicksTheMatrixWithTheRequestedId) {
  TempDir dir("xml_pick");
  const std::string doc =
      "<doc><!-- two matrices -->\n"
      "<matrix sig=\"ZELCSuite\" vers=\"1.0\" id=\"first\"><numcols>1</numcols>"
      "<numrows>1</numrows><cell ix=\"1\" iy=\"1\">1</cell></matrix>\n"
      "<matrix sig=\"ZELCSuite\" vers=\"1.0\" id=\"second\"><numcols>2</numcols>"
      "<numrows>1</numrows><cell ix=\"2\" iy=\"1\">2.5</cell></matrix></doc>";
  WriteBytes(dir.File("m.xml"), std::vector<uint8_t>(doc.begin(), doc.end()));
  TMatrix m(nullptr);
  ASSERT_TRUE(m.LoadFromXMLFile(dir.File("m.xml"), "second"));
  EXPECT_EQ(m.GetNrOfColumns(), 2);
  EXPECT_EQ(m.GetVal(2, 1), 2.5);
  EXPECT_EQ(m.GetDataID(), "second");
  ASSERT_TRUE(m.LoadFromXMLFile(dir.File("m.xml"), ""));
  EXPECT_EQ(m.GetNrOfColumns(), 1);
  EXPECT_FALSE(m.LoadFromXMLFile(dir.File("m.xml"), "third"));
  EXPECT_EQ(m.GetDataID(), "first");
  // The text file reader leaves the file after the matrix it read.
  TTextFile f;
  ASSERT_TRUE(f.Reset(dir.File("m.xml")));
  ASSERT_TRUE(m.ReadFromOpenXMLFile(f, "first"));
  ASSERT_TRUE(m.ReadFromOpenXMLFile(f, "second"));
  EXPECT_EQ(m.GetVal(2, 1), 2.5);
  EXPECT_FALSE(m.ReadFromOpenXMLFile(f, "first"));
}

TEST(MatrixXml, OverflowingPositionsAreDroppedNotWrapped) {
  // 4294967297 would wrap to 1 in 32 bits.
  const std::string doc =
      "<matrix id=\"\"><numcols>2</numcols><numrows>2</numrows>"
      "<cell ix=\"4294967297\" iy=\"1\">9</cell><cell ix=\"1\" iy=\"99999999999\">9</cell>"
      "<cell ix=\"2\" iy=\"2\">3</cell><cell iy=\"1\">9</cell></matrix>";
  auto ms = StreamOf(doc);
  TMatrix m(nullptr);
  ASSERT_TRUE(m.ReadFromXMLStream(*ms, ""));
  EXPECT_EQ(m.GetMat(), (TDouble2DArray{{0, 0}, {0, 3}}));
}

TEST(MatrixXml, PositionsComeFromTheirOwnAttributes) {
  // "six" ends in "ix", and the quoted note holds ix="2": neither is the position.
  const std::string doc =
      "<matrix id=\"\"><numcols>2</numcols><numrows>2</numrows>"
      "<cell six=\"2\" ix=\"1\" iy=\"1\">5</cell>"
      "<cell note='ix=\"2\" iy=\"2\"' ix=\"1\" iy=\"2\">7</cell></matrix>";
  auto ms = StreamOf(doc);
  TMatrix m(nullptr);
  ASSERT_TRUE(m.ReadFromXMLStream(*ms, ""));
  EXPECT_EQ(m.GetVal(1, 1), 5);
  EXPECT_EQ(m.GetVal(1, 2), 7);
  EXPECT_EQ(m.GetVal(2, 1), 0);
  EXPECT_EQ(m.GetVal(2, 2), 0);
}

TEST(MatrixXml, AnnouncedSizesBeyondTheInputAreRefused) {
  auto m = Sample();
  const TDouble2DArray before = m->GetMat();
  const std::string doc =
      "<matrix><numcols>100000</numcols><numrows>100000</numrows>"
      "<cell ix=\"1\" iy=\"1\">1</cell></matrix>";
  auto ms = StreamOf(doc);
  EXPECT_FALSE(m->ReadFromXMLStream(*ms, ""));
  EXPECT_EQ(m->GetMat(), before);
  // Called directly, the tag handler refuses them as well, unchanged.
  m->ProcessXmlTag(TMatXmlTag::xmlMatBegin, "", "");
  m->ProcessXmlTag(TMatXmlTag::xmlMatNumCols, "", "100000");
  m->ProcessXmlTag(TMatXmlTag::xmlMatNumRows, "", "100000");
  EXPECT_EQ(m->ProcessXmlTag(TMatXmlTag::xmlMatCell, "ix=\"1\" iy=\"1\"", "5"), kMatXmlTooLarge);
  EXPECT_EQ(m->GetMat(), before);
}

TEST(MatrixXml, AnnouncedSizesDoNotCarryOverToTheNextMatrix) {
  TMatrix m(nullptr);
  m.ProcessXmlTag(TMatXmlTag::xmlMatBegin, "", "");
  m.ProcessXmlTag(TMatXmlTag::xmlMatNumCols, "", "5");
  m.ProcessXmlTag(TMatXmlTag::xmlMatNumRows, "", "4");
  EXPECT_EQ(m.ProcessXmlTag(TMatXmlTag::xmlMatEnd, "", ""), kMatXmlComplete);
  // A second matrix without size elements keeps the size it has.
  m.ProcessXmlTag(TMatXmlTag::xmlMatBegin, "", "");
  m.ProcessXmlTag(TMatXmlTag::xmlMatCell, "ix=\"1\" iy=\"1\"", "7");
  EXPECT_EQ(m.GetNrOfColumns(), 1);
  EXPECT_EQ(m.GetVal(1, 1), 7);
  EXPECT_EQ(m.ProcessXmlTag(TMatXmlTag::xmlInvalid, "", ""), kMatXmlInvalid);
  EXPECT_EQ(m.ProcessXmlTag(TMatXmlTag::xmlMatNumLayers, "", "3"), kMatXmlContinue);
}

TEST(MatrixXml, CellsNotListedKeepTheirValuesAndNonPositiveSizesKeepTheSize) {
  auto m = Sample();  // 3 x 2
  const std::string grow =
      "<matrix><numcols>4</numcols><numrows>2</numrows><cell ix=\"4\" iy=\"2\">8</cell></matrix>";
  auto ms = StreamOf(grow);
  ASSERT_TRUE(m->ReadFromXMLStream(*ms, ""));
  EXPECT_EQ(m->GetMat(), (TDouble2DArray{{11, 12}, {0.1, 22}, {31, -0.0}, {0, 8}}));
  const std::string keep =
      "<matrix><numcols>-4</numcols><numrows>9</numrows><cell ix=\"1\" iy=\"1\">-1</cell></matrix>";
  auto ks = StreamOf(keep);
  ASSERT_TRUE(m->ReadFromXMLStream(*ks, ""));
  EXPECT_EQ(m->GetNrOfColumns(), 4);
  EXPECT_EQ(m->GetVal(1, 1), -1);
}

TEST(MatrixXml, DamagedDocumentsFailWithoutChangeOrEvent) {
  const char* docs[] = {
      "<matrix><numcols>2</numcols><numrows>2</numrows><cell ix=\"1\" iy=\"1\">1</cell>",
      "<matrix><numcols>2</numcols><unknown/></matrix>",
      "<matrix><numcols>2<numrows>2</numrows></matrix>",
      "<matrix><cell ix=\"1\" iy=\"1\">1</row></matrix>",
      "<matrix><matrix></matrix></matrix>",
      "<matrix><numcols>2</numcols></numrows></matrix>",
      "<matrix><cell ix=\"1\" iy=\"1\">1</cell",
      "no matrix at all",
  };
  auto m = Sample();
  const TDouble2DArray before = m->GetMat();
  std::string events;
  m->OnChange = [&](TObject*) { events += 'C'; };
  for (const char* d : docs) {
    auto ms = StreamOf(d);
    EXPECT_FALSE(m->ReadFromXMLStream(*ms, "")) << d;
    EXPECT_EQ(m->GetMat(), before) << d;
  }
  EXPECT_EQ(events, "");
}

TEST(MatrixXml, FuzzedDocumentsNeverCrashOrHalfLoad) {
  auto src = Sample();
  TMemoryStream ms;
  ASSERT_TRUE(src->WriteToXMLStream(ms, true, "id"));
  const std::string doc = TextOf(ms);
  Mix rng{29};
  for (int round = 0; round < 600; ++round) {
    std::string d = doc;
    if (round < 200) {
      d.resize(rng.Below(d.size()));
    } else if (round < 450) {
      for (int k = 0; k < 3; ++k) d[rng.Below(d.size())] ^= static_cast<char>(1u << rng.Below(8));
    } else {
      const size_t at = d.find('>', rng.Below(d.size()));
      if (at != std::string::npos) d.insert(at, "99999999999999999999");
    }
    TMatrix m(nullptr);
    m.Resize(2, 2);
    m.SetVal(1, 1, 42);
    auto in = StreamOf(d);
    if (!m.ReadFromXMLStream(*in, "")) {
      ASSERT_EQ(m.GetMat(), (TDouble2DArray{{42, 0}, {0, 0}})) << round;
    } else {
      ASSERT_LE(int64_t{m.GetNrOfColumns()} * m.GetNrOfRows(), static_cast<int64_t>(d.size()));
    }
  }
}

TEST(MatrixBinary, FuzzedFilesNeverCrashOrHalfLoad) {
  TempDir dir("bin_fuzz");
  auto src = Sample();
  src->Resize(40, 20);
  src->FillRandomUniform(-1, 1);
  ASSERT_TRUE(src->SaveBinary(dir.File("good.bin")));
  const auto good = ReadBytes(dir.File("good.bin"));
  Mix rng{4096};
  for (int round = 0; round < 300; ++round) {
    auto b = good;
    if (round % 3 == 0)
      b.resize(rng.Below(b.size()));
    else if (round % 3 == 1)
      b[rng.Below(280)] ^= static_cast<uint8_t>(1u << rng.Below(8));
    else
      PutLe32(b, 4 * rng.Below(4), static_cast<int32_t>(rng.Next()));
    WriteBytes(dir.File("f.bin"), b);
    TMatrix m(nullptr);
    m.SetVal(1, 1, 42);
    const bool ok = m.LoadBinary(dir.File("f.bin"));
    if (!ok) {
      ASSERT_EQ(m.GetMat(), (TDouble2DArray{{42}})) << round;
    }
    int32_t nc, nr, fmt;
    std::string id;
    try {
      TMatrix::ReadBinaryHeader(dir.File("f.bin"), nc, nr, id, fmt);
    } catch (const EInOutError&) {
      ASSERT_LT(b.size(), 4096u);
    }
  }
}

}  // namespace
}  // namespace zel
