// Tests of the stream, text, ASC and sparse files of TMatrix and TIntMatrix.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "core/zel_filesys.hpp"
#include "core/zel_streams.hpp"
#include "num/matrix/matfiles_test_impl.hpp"
#include "num/matrix/zel_intmatrix.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {
namespace {

using matfiles_test::Le32;
using matfiles_test::Mix;
using matfiles_test::PutLe32;
using matfiles_test::ReadBytes;
using matfiles_test::TempDir;
using matfiles_test::WriteBytes;

std::string Text(const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); }
std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

// Element (c, r) = c + r / 10 of a Cols x Rows matrix.
std::unique_ptr<TMatrix> Grid(int32_t Cols, int32_t Rows) {
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(Cols, Rows);
  for (int32_t c = 1; c <= Cols; ++c)
    for (int32_t r = 1; r <= Rows; ++r) m->SetVal(c, r, c + r / 10.0);
  return m;
}

// ---------------------------------------------------------------------------
// Stream
// ---------------------------------------------------------------------------

TEST(MatrixStream, WritesBoundsThenColumnsAndReadsThemBack) {
  auto m = Grid(4, 3);
  m->SetVal(3, 2, std::numeric_limits<double>::quiet_NaN());
  TMemoryStream ms;
  ASSERT_TRUE(m->SaveToStream(ms, 2, 2, 3, 3));
  ASSERT_EQ(ms.GetSize(), 16 + 4 * 8);
  const std::vector<uint8_t> b(ms.GetMemory(), ms.GetMemory() + ms.GetSize());
  EXPECT_EQ(std::make_tuple(Le32(b, 0), Le32(b, 4), Le32(b, 8), Le32(b, 12)),
            std::make_tuple(2, 2, 3, 3));
  double second;
  std::memcpy(&second, b.data() + 24, 8);
  EXPECT_EQ(second, 2.3);  // (2, 3): columns outer, rows inner
  TMatrix back(nullptr);
  ms.SetPosition(0);
  EXPECT_FALSE(back.LoadFromStream(ms, false));  // 1 x 1 cannot hold (3, 3)
  EXPECT_EQ(back.GetNrOfColumns(), 1);
  ms.SetPosition(0);
  ASSERT_TRUE(back.LoadFromStream(ms, true));
  EXPECT_EQ(back.GetNrOfColumns(), 3);
  EXPECT_EQ(back.GetVal(2, 2), 2.2);
  EXPECT_TRUE(std::isnan(back.GetVal(3, 2)));
  EXPECT_EQ(back.GetVal(1, 1), 0.0);

  TIntMatrix im(nullptr);
  im.Resize(2, 2);
  im.SetVal(2, 2, INT32_MIN);
  TStream* out = nullptr;
  ASSERT_TRUE(im.SaveToStream(out, 0, 0, 0, 0));
  std::unique_ptr<TStream> owned(out);
  ASSERT_EQ(owned->GetSize(), 16 + 4 * 4);
  TIntMatrix iback(nullptr);
  owned->SetPosition(0);
  ASSERT_TRUE(iback.LoadFromStream(owned.get(), true));
  EXPECT_EQ(iback.GetMat(), im.GetMat());
  EXPECT_FALSE(iback.LoadFromStream(nullptr, true));
}

TEST(MatrixStream, RejectsBadBoundsShortDataAndUnboundedGrowth) {
  const auto stream = [](int32_t lc, int32_t lr, int32_t hc, int32_t hr, int32_t values) {
    auto s = std::make_unique<TMemoryStream>();
    for (int32_t v : {lc, lr, hc, hr}) WriteLongIntToStream(*s, v);
    for (int32_t k = 0; k < values; ++k) WriteDoubleToStream(*s, 1.0);
    s->SetPosition(0);
    return s;
  };
  auto m = Grid(3, 3);
  const TDouble2DArray before = m->GetMat();
  EXPECT_FALSE(m->LoadFromStream(stream(0, 1, 1, 1, 1).get(), true));
  EXPECT_FALSE(m->LoadFromStream(stream(2, 1, 1, 1, 1).get(), true));
  EXPECT_FALSE(m->LoadFromStream(stream(1, 1, 2, 2, 3).get(), true));  // one value short
  EXPECT_FALSE(m->LoadFromStream(stream(1, 1, INT32_MAX, 2, 2).get(), true));
  // One value at (50000, 50000) fits the stream, but 2.5e9 cells do not.
  EXPECT_FALSE(m->LoadFromStream(stream(50000, 50000, 50000, 50000, 1).get(), true));
  EXPECT_EQ(m->GetMat(), before);
  ASSERT_TRUE(m->LoadFromStream(stream(2, 2, 2, 2, 1).get(), false));
  EXPECT_EQ(m->GetVal(2, 2), 1.0);
  EXPECT_EQ(m->GetNrOfColumns(), 3);
}

// ---------------------------------------------------------------------------
// Text
// ---------------------------------------------------------------------------

TEST(MatrixText, StoresRowsWithThePrecisionPropertiesAndReadsThemBack) {
  TempDir dir("text");
  auto m = Grid(3, 2);
  m->SetVal(1, 1, -1.0 / 3);
  m->SetPrecision(1, 8);
  m->SetPrecision(2, 3);
  ASSERT_TRUE(m->StoreOnFile(2, 1, 3, 2, dir.File("m.txt")));
  EXPECT_EQ(Text(ReadBytes(dir.File("m.txt"))), "2 1 3 2\n   2.100    3.100\n   2.200    3.200\n");
  m->SetPrecision(1, 25);
  m->SetPrecision(2, -1);
  ASSERT_TRUE(m->StoreOnFile(0, 0, 0, 0, dir.File("all.txt")));
  TMatrix back(nullptr);
  ASSERT_TRUE(back.LoadFromFile(dir.File("all.txt"), true));
  EXPECT_EQ(back.GetMat(), m->GetMat());  // 18 significant digits: exact
  EXPECT_FALSE(back.LoadFromFile(dir.File("none.txt"), true));
}

TEST(MatrixText, MalformedFilesFailWithoutChange) {
  TempDir dir("text_bad");
  const char* files[] = {
      "1 1 2 1\n1 2,5\n",        // a decimal comma
      "1 1 2 2\n1 2 3\n",        // a value short
      "1 1 2\n1 2\n",            // three bounds
      "1 1 2 1 x\n1 2\n",        // trailing text after the bounds
      "0 1 1 1\n5\n",            // a bound below 1
      "1 1 99999 99999\n1 2\n",  // far more values than bytes
  };
  auto m = Grid(2, 2);
  const TDouble2DArray before = m->GetMat();
  for (const char* t : files) {
    WriteBytes(dir.File("bad.txt"), Bytes(t));
    EXPECT_FALSE(m->LoadFromFile(dir.File("bad.txt"), true)) << t;
    EXPECT_EQ(m->GetMat(), before) << t;
  }
  // The integer matrix rounds halves to even and saturates.
  WriteBytes(dir.File("i.txt"), Bytes("1 1 4 1\n2.5 -3.5 1e12 nan\n"));
  TIntMatrix im(nullptr);
  ASSERT_TRUE(im.LoadFromFile(dir.File("i.txt"), true));
  EXPECT_EQ(im.GetMat(), (TInt2DArray{{2}, {-4}, {INT32_MAX}, {0}}));
}

TEST(MatrixText, AutoDetectReadsPlainTables) {
  TempDir dir("text_auto");
  WriteBytes(dir.File("t.txt"), Bytes("x y z\nrow: 1 2 3\n\n4 5 6 end\n"));
  TMatrix m(nullptr);
  ASSERT_TRUE(m.LoadFromFile(dir.File("t.txt"), true, true));
  EXPECT_EQ(m.GetMat(), (TDouble2DArray{{1, 4}, {2, 5}, {3, 6}}));
  TMatrix small(nullptr);
  small.Resize(2, 3);
  small.Fill(-1);
  ASSERT_TRUE(small.LoadFromFile(dir.File("t.txt"), false, true));
  EXPECT_EQ(small.GetMat(), (TDouble2DArray{{1, 4, -1}, {2, 5, -1}}));
  WriteBytes(dir.File("ragged.txt"), Bytes("1 2 3\n4 5\n"));
  EXPECT_FALSE(m.LoadFromFile(dir.File("ragged.txt"), true, true));
  WriteBytes(dir.File("comma.txt"), Bytes("1 2,5 3\n"));
  EXPECT_FALSE(m.LoadFromFile(dir.File("comma.txt"), true, true));
  EXPECT_EQ(m.GetNrOfColumns(), 3);
}

// ---------------------------------------------------------------------------
// ASC
// ---------------------------------------------------------------------------

TEST(MatrixAsc, ExportsTheSharedHeaderAndCustomData) {
  TempDir dir("asc");
  auto m = Grid(2, 3);
  const TStr2DArray cust = {{"a \"quoted\" name", "line\nbreak"}, {}, {"x"}};
  ASSERT_EQ(m->ExportAsASC(dir.File("m.asc"), 2, "first\nline", cust), 0);
  const std::string text = Text(ReadBytes(dir.File("m.asc")));
  EXPECT_EQ(text.substr(0, text.find("#custdata")),
            "first line\n2\t;nr. of columns\n3\t;nr. of rows\n"
            "FALSE FALSE FALSE FALSE\t;row attributes, column names, row names, nominal "
            "variables\n"
            "        1.10         2.10\n        1.20         2.20\n        1.30         2.30\n");
  TAscHeader h;
  ASSERT_EQ(ReadHeaderOfASC(dir.File("m.asc"), h), kAscOk);
  TMatrix back(nullptr);
  std::string comment;
  TStr2DArray got = {{"stale"}};
  ASSERT_EQ(back.ImportASC(dir.File("m.asc"), comment, got), 0);
  EXPECT_EQ(back.GetMat(), m->GetMat());
  EXPECT_EQ(comment, "first line");
  EXPECT_EQ(got, cust);
  ASSERT_EQ(m->ExportAsASC(dir.File("plain.asc"), -2, ""), 0);
  EXPECT_EQ(back.ImportASC(dir.File("plain.asc"), comment, got), 0);
  EXPECT_TRUE(got.empty());
  EXPECT_EQ(comment, "Exported by ZEL TMatrix component: " + dir.File("plain.asc"));
  EXPECT_EQ(back.GetMat(), m->GetMat());

  TIntMatrix im(nullptr);
  im.Resize(2, 1);
  im.SetVal(1, 1, -5);
  ASSERT_EQ(im.ExportAsASC(dir.File("i.asc"), ""), 0);
  TIntMatrix iback(nullptr);
  ASSERT_EQ(iback.ImportASC(dir.File("i.asc"), comment), 0);
  EXPECT_EQ(iback.GetMat(), im.GetMat());
  EXPECT_EQ(m->ExportAsASC(dir.File("no/dir/m.asc"), 2, ""), -1);
}

TEST(MatrixAsc, ReadsFlaggedFilesAndReportsEachDamage) {
  TempDir dir("asc_bad");
  const std::string head = "c\n2\t;cols\n2\t;rows\n";
  const struct {
    std::string text;
    int32_t want;
  } cases[] = {
      {head + "TRUE TRUE TRUE FALSE\n\"A\" \"B\"\n7 \"r1\" 1 2\n8 \"r2\" 3 ###\n", 0},
      {head + "FALSE FALSE FALSE FALSE\n1 2\n3 x\n", kMatAscBadValue},
      {head + "FALSE FALSE FALSE FALSE\n1 2\n3\n", kMatAscBadValue},
      {head + "TRUE FALSE FALSE FALSE\n1 1 2\nq 3 4\n", kMatAscBadRowAttribute},
      {head + "FALSE FALSE FALSE TRUE\n1 2\n3 4\n", kMatAscBadValue},
      {head + "FALSE FALSE FALSE FALSE\n1 2\n3 4\ntrailing\n", kMatAscBadCustData},
      {head + "FALSE FALSE FALSE FALSE\n1 2\n3 4\n#custdata\n1\n2\n\"only one\"\n",
       kMatAscBadCustData},
      {head + "FALSE FALSE FALSE FALSE\n1 2\n3 4\n#custdata\n99999999\n", kMatAscBadCustData},
      {"c\n0\t;cols\n0\t;rows\nFALSE FALSE FALSE FALSE\n", kMatAscEmpty},
      {"c\n2\t;cols\n", kAscBadRowCount},
  };
  TMatrix m(nullptr);
  m.SetVal(1, 1, 42);
  std::string comment;
  for (const auto& c : cases) {
    WriteBytes(dir.File("f.asc"), Bytes(c.text));
    const int32_t got = m.ImportASC(dir.File("f.asc"), comment);
    EXPECT_EQ(got, c.want) << c.text;
    if (got != 0) {
      EXPECT_EQ(comment, "");
    }
  }
  EXPECT_EQ(m.ImportASC(dir.File("none.asc"), comment), kMatAscNoFile);
  EXPECT_STREQ(MatrixImportStatusText(kMatAscBadCustData), "the custom data are malformed");
  EXPECT_STREQ(MatrixImportStatusText(kAscBadFlags), AscHeaderStatusText(kAscBadFlags));
  // Only the first, good file changed the matrix.
  EXPECT_EQ(m.GetMat(), (TDouble2DArray{{1, 3}, {2, 0}}));
}

TEST(MatrixAsc, TruncatedFilesNeverHalfLoad) {
  TempDir dir("asc_fuzz");
  auto src = Grid(5, 4);
  ASSERT_EQ(src->ExportAsASC(dir.File("m.asc"), -2, "c", TStr2DArray{{"p", "q"}}), 0);
  ASSERT_TRUE(src->StoreOnFile(0, 0, 0, 0, dir.File("m.txt")));
  const auto asc = ReadBytes(dir.File("m.asc"));
  const auto txt = ReadBytes(dir.File("m.txt"));
  Mix rng{7};
  for (int round = 0; round < 120; ++round) {
    auto a = asc, t = txt;
    a.resize(rng.Below(a.size()));
    t[rng.Below(t.size())] ^= static_cast<uint8_t>(1u << rng.Below(8));
    WriteBytes(dir.File("a.asc"), a);
    WriteBytes(dir.File("t.txt"), t);
    TMatrix m(nullptr);
    m.SetVal(1, 1, 42);
    std::string comment;
    if (m.ImportASC(dir.File("a.asc"), comment) != 0) {
      ASSERT_EQ(m.GetMat(), (TDouble2DArray{{42}})) << round;
    }
    TMatrix n(nullptr);
    n.SetVal(1, 1, 42);
    if (!n.LoadFromFile(dir.File("t.txt"), true)) {
      ASSERT_EQ(n.GetMat(), (TDouble2DArray{{42}})) << round;
    }
  }
}

// ---------------------------------------------------------------------------
// Sparse file
// ---------------------------------------------------------------------------

TEST(IntMatrixSparseFile, RoundTripsEntriesAndRefusesDamage) {
  TempDir dir("sparse");
  TIntMatrix dense(nullptr);
  dense.Resize(3, 4);
  dense.SetVal(3, 1, 7);
  dense.SetVal(1, 4, -2);
  ASSERT_TRUE(dense.StoreSparseMat(dir.File("s.bin")));
  const auto b = ReadBytes(dir.File("s.bin"));
  ASSERT_EQ(b.size(), 16u + 2 * 12);
  EXPECT_EQ(std::make_tuple(Le32(b, 0), Le32(b, 4), Le32(b, 8), Le32(b, 16), Le32(b, 20)),
            std::make_tuple(3, 4, 2, 1, 4));  // (1, 4) comes before (3, 1)
  EXPECT_FALSE(dense.IsSparse());
  TIntMatrix s(nullptr);
  std::string events;
  s.OnResize = [&](TObject*) { events += 'R'; };
  ASSERT_TRUE(s.LoadSparseMat(dir.File("s.bin")));
  EXPECT_EQ(events, "R");
  EXPECT_TRUE(s.IsSparse());
  EXPECT_EQ(s.GetNrOfColumns(), 3);
  EXPECT_EQ(s.GetVal(3, 1), 7);
  EXPECT_EQ(s.GetVal(1, 4), -2);
  EXPECT_EQ(s.GetSparseHighCol(), 3);
  s.SetVal(2, 2, 0);  // an explicit zero is an entry and is stored
  ASSERT_TRUE(s.StoreSparseMat(dir.File("s2.bin")));
  EXPECT_EQ(Le32(ReadBytes(dir.File("s2.bin")), 8), 3);

  const auto with = [&](size_t at, int32_t v) {
    auto x = b;
    PutLe32(x, at, v);
    return x;
  };
  auto trailing = b;
  trailing.push_back(0);
  const std::vector<std::vector<uint8_t>> bad = {
      with(16, 4),           // column beyond 3
      with(20, 0),           // row 0
      with(16, 3),           // (3, 4) after (3, 4)? unsorted against (3, 1)
      with(8, 3),            // more entries announced than present
      with(12, 0x7FFFFFFF),  // a huge 64-bit count
      with(0, -1),           // negative columns
      trailing,
  };
  TIntMatrix keep(nullptr);
  keep.Resize(2, 2);
  keep.SetVal(1, 1, 5);
  for (size_t k = 0; k < bad.size(); ++k) {
    WriteBytes(dir.File("bad.bin"), bad[k]);
    EXPECT_FALSE(keep.LoadSparseMat(dir.File("bad.bin"))) << k;
    EXPECT_FALSE(keep.IsSparse());
    EXPECT_EQ(keep.GetVal(1, 1), 5);
  }
  EXPECT_FALSE(keep.LoadSparseMat(dir.File("none.bin")));
}

}  // namespace
}  // namespace zel
