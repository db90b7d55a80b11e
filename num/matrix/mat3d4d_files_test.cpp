// Tests of the stored forms of TMat3D and TMat4D: the binary record file,
// the layer readers and the XML form.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <tuple>

#include "core/zel_streams.hpp"
#include "core/zel_system.hpp"
#include "num/matrix/matfiles_test_impl.hpp"
#include "num/matrix/zel_mat3d4d.hpp"

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

// A 10 x 10 x 3 x 4 matrix whose elements are their 0-based linear positions.
std::unique_ptr<TMat4D> Serial4D(int32_t Nx = 10, int32_t Ny = 10, int32_t Nz = 3, int32_t Nt = 4) {
  auto m = std::make_unique<TMat4D>(nullptr);
  m->Resize(Nx, Ny, Nz, Nt);
  m->FillSerial(0, 1);
  m->SetDataID("serial");
  return m;
}

double Pos(int64_t x, int64_t y, int64_t z, int64_t t, int64_t Nx = 10, int64_t Ny = 10,
           int64_t Nz = 3) {
  return static_cast<double>((((t - 1) * Nz + z - 1) * Ny + y - 1) * Nx + x - 1);
}

double At(const std::vector<uint8_t>& B, int64_t Pos) {
  double v;
  std::memcpy(&v, B.data() + 4096 + 8 * Pos, 8);
  return v;
}

// ---------------------------------------------------------------------------
// Layout and headers
// ---------------------------------------------------------------------------

TEST(Mat4DBinary, WritesTimeSlotsOutermostInWholeRecords) {
  TempDir dir("4d_layout");
  ASSERT_TRUE(Serial4D()->SaveBinary(dir.File("m.bin"), 0, 0));
  const auto b = ReadBytes(dir.File("m.bin"));
  // 1200 doubles need 3 records of 512 after the header.
  ASSERT_EQ(b.size(), 4u * 4096);
  EXPECT_EQ(Le32(b, 0), 10);
  EXPECT_EQ(Le32(b, 8), 3);
  EXPECT_EQ(Le32(b, 12), 4);
  EXPECT_EQ(Le32(b, 272), 1);
  // The first value of time slot 2 is position 300: record 1, slot 300.
  EXPECT_EQ(At(b, 300), Pos(1, 1, 1, 2));
  EXPECT_EQ(At(b, 1199), 1199.0);
  EXPECT_EQ(At(b, 1200), 0.0);  // padding of the last record
  // A slot range becomes a file of its own: slots 2..3 of the matrix.
  ASSERT_TRUE(Serial4D()->SaveBinary(dir.File("part.bin"), 3, 2));
  const auto p = ReadBytes(dir.File("part.bin"));
  EXPECT_EQ(Le32(p, 12), 2);
  EXPECT_EQ(At(p, 0), 300.0);
  EXPECT_EQ(At(p, 599), 899.0);
}

TEST(Mat3DBinary, LayoutIsLayerThenRowThenColumn) {
  TempDir dir("3d_layout");
  TMat3D m(nullptr);
  m.Resize(3, 2, 4);
  for (int32_t x = 1; x <= 3; ++x)
    for (int32_t y = 1; y <= 2; ++y)
      for (int32_t z = 1; z <= 4; ++z) m.SetVal(x, y, z, 100 * z + 10 * y + x);
  m.SetDataID("cube");
  ASSERT_TRUE(m.SaveBinary(dir.File("c.bin")));
  const auto b = ReadBytes(dir.File("c.bin"));
  ASSERT_EQ(b.size(), 2u * 4096);
  EXPECT_EQ(Le32(b, 8), 4);
  EXPECT_EQ(Le32(b, 12), 0);
  EXPECT_EQ(At(b, 0), 111.0);
  EXPECT_EQ(At(b, 1), 112.0);
  EXPECT_EQ(At(b, 3), 121.0);
  EXPECT_EQ(At(b, 6), 211.0);
  TMat3D back(nullptr);
  ASSERT_TRUE(back.LoadBinary(dir.File("c.bin")));
  EXPECT_TRUE(DataOf(back) == DataOf(m));
  EXPECT_EQ(back.GetDataID(), "cube");
}

TEST(Mat3D4DBinary, EachClassAcceptsItsOwnHeaderOnly) {
  TempDir dir("accept");
  TMat3D cube(nullptr);
  cube.Resize(2, 2, 3);
  ASSERT_TRUE(cube.SaveBinary(dir.File("3d.bin")));
  ASSERT_TRUE(Serial4D()->SaveBinary(dir.File("4d.bin"), 0, 0));
  TMatrix flat(nullptr);
  ASSERT_TRUE(flat.SaveBinary(dir.File("2d.bin")));
  int32_t nx, ny, nz, nt, fmt;
  std::string id;
  const auto h3 = [&](const char* f) {
    return TMat3D::ReadBinaryHeader(dir.File(f), nx, ny, nz, nt, id, fmt);
  };
  const auto h4 = [&](const char* f) {
    return TMat4D::ReadBinaryHeader(dir.File(f), nx, ny, nz, nt, id, fmt);
  };
  EXPECT_TRUE(h3("3d.bin"));
  EXPECT_EQ(std::tie(nx, ny, nz, nt), std::make_tuple(2, 2, 3, 0));
  EXPECT_FALSE(h4("3d.bin"));
  EXPECT_FALSE(h3("4d.bin"));
  EXPECT_TRUE(h4("4d.bin"));
  EXPECT_FALSE(h3("2d.bin"));
  EXPECT_FALSE(h4("2d.bin"));
  EXPECT_FALSE(h3("missing.bin"));
  TMat4D m(nullptr);
  EXPECT_FALSE(m.LoadBinary(dir.File("3d.bin"), 0, 0));
  EXPECT_FALSE(cube.LoadBinary(dir.File("4d.bin")));
  // Without the format check a 3-D and a 2-D file load as one time slot.
  ASSERT_TRUE(m.LoadBinaryNoFmtCheck(dir.File("3d.bin"), 0, 0));
  EXPECT_EQ(m.GetElemCount(), 12);
  ASSERT_TRUE(m.LoadBinaryNoFmtCheck(dir.File("2d.bin"), 0, 0));
  EXPECT_EQ(m.GetElemCount(), 1);
}

TEST(Mat4DBinary, LoadsSlotRangesAndAppends) {
  TempDir dir("4d_load");
  auto src = Serial4D();
  ASSERT_TRUE(src->SaveBinary(dir.File("m.bin"), 1, 1));
  ASSERT_TRUE(src->AppendToBinaryFile(dir.File("m.bin"), 2, 4));
  EXPECT_EQ(ReadBytes(dir.File("m.bin")).size(), 4u * 4096);
  TMat4D m(nullptr);
  std::string events;
  m.OnChange = [&](TObject*) { events += 'C'; };
  m.OnResize = [&](TObject*) { events += 'R'; };
  ASSERT_TRUE(m.LoadBinary(dir.File("m.bin"), 0, 0));
  EXPECT_EQ(events, "CR");
  EXPECT_TRUE(DataOf(m) == DataOf(*src));
  EXPECT_EQ(m.GetDataID(), "serial");
  ASSERT_TRUE(m.LoadBinary(dir.File("m.bin"), 3, 99));  // slots 3..4
  EXPECT_EQ(m.GetNrOfTimeSlots(), 2);
  EXPECT_EQ(m.GetVal(1, 1, 1, 1), Pos(1, 1, 1, 3));
  EXPECT_FALSE(m.LoadBinary(dir.File("m.bin"), 5, 6));
  EXPECT_EQ(m.GetNrOfTimeSlots(), 2);
  // Appending needs the same columns, rows and layers.
  EXPECT_FALSE(Serial4D(10, 10, 2, 1)->AppendToBinaryFile(dir.File("m.bin"), 0, 0));
  EXPECT_FALSE(src->AppendToBinaryFile(dir.File("none.bin"), 0, 0));
  EXPECT_EQ(Le32(ReadBytes(dir.File("m.bin")), 12), 4);
}

// ---------------------------------------------------------------------------
// The element event reader
// ---------------------------------------------------------------------------

TEST(Mat4DReadBinary, ReportsElementsFromTheMiddleOfARecord) {
  TempDir dir("4d_read");
  ASSERT_TRUE(Serial4D()->SaveBinary(dir.File("m.bin"), 0, 0));
  TMat4D m(nullptr);
  int64_t count = 0;
  std::tuple<int32_t, int32_t, int32_t, int32_t, double> first;
  bool inOrder = true;
  std::vector<int32_t> percents;
  m.OnReadElement = [&](TObject*, int32_t ix, int32_t iy, int32_t il, int32_t it, double v) {
    if (count == 0) first = std::make_tuple(ix, iy, il, it, v);
    // it counts from 1 for the first slot read (slot 2 of the file).
    inOrder = inOrder && v == Pos(ix, iy, il, it + 1);
    ++count;
  };
  m.OnPercentDone = [&](TObject*, int32_t p) { percents.push_back(p); };
  EXPECT_EQ(m.ReadBinary(dir.File("m.bin"), 2, 4), kMat4DReadOk);
  EXPECT_EQ(count, 900);
  EXPECT_EQ(first, std::make_tuple(1, 1, 1, 1, 300.0));
  EXPECT_TRUE(inOrder);
  ASSERT_EQ(percents.size(), 100u);
  EXPECT_EQ(percents.front(), 1);
  EXPECT_EQ(percents.back(), 100);
  EXPECT_EQ(m.GetElemCount(), 1);  // the matrix itself is not changed
  count = 0;
  EXPECT_EQ(m.ReadBinary(dir.File("m.bin"), 5, 9), kMat4DReadBadSlot);
  EXPECT_EQ(m.ReadBinary(dir.File("m.bin"), 4, 2), kMat4DReadOk);  // empty range
  EXPECT_EQ(count, 0);
  EXPECT_EQ(m.ReadBinary(dir.File("m.bin"), 0, 2), kMat4DReadOk);  // bound < 1: all
  EXPECT_EQ(count, 1200);
}

TEST(Mat4DReadBinary, RaisesForMissingOrDamagedFilesBeforeAnyEvent) {
  TempDir dir("4d_read_bad");
  ASSERT_TRUE(Serial4D()->SaveBinary(dir.File("m.bin"), 0, 0));
  auto b = ReadBytes(dir.File("m.bin"));
  b.resize(b.size() - 1);
  WriteBytes(dir.File("short.bin"), b);
  TMat4D m(nullptr);
  int64_t count = 0;
  m.OnReadElement = [&](TObject*, int32_t, int32_t, int32_t, int32_t, double) { ++count; };
  EXPECT_THROW(m.ReadBinary(dir.File("short.bin"), 1, 1), EInOutError);
  EXPECT_THROW(m.ReadBinary(dir.File("none.bin"), 1, 1), EInOutError);
  auto zero = ReadBytes(dir.File("m.bin"));
  PutLe32(zero, 8, 0);
  WriteBytes(dir.File("zero.bin"), zero);
  EXPECT_THROW(m.ReadBinary(dir.File("zero.bin"), 1, 1), EInOutError);
  EXPECT_EQ(count, 0);
}

// ---------------------------------------------------------------------------
// Layer readers
// ---------------------------------------------------------------------------

TEST(Mat4DReadLayer, ReadsOneLayerAndChecksFileAndMatrix) {
  TempDir dir("layer");
  ASSERT_TRUE(Serial4D(10, 10, 3, 10)->SaveBinary(dir.File("m.bin"), 0, 0));
  TMat4D m(nullptr);
  m.Resize(10, 10, 3, 4);
  std::string events;
  m.OnChange = [&](TObject*) { events += 'C'; };
  m.OnPercentDone = [&](TObject*, int32_t) { events += 'P'; };
  ASSERT_EQ(m.ReadLayer(dir.File("m.bin"), 2, 3), kMat4DLayerOk);
  EXPECT_EQ(events, std::string(100, 'P') + "C");
  EXPECT_EQ(m.GetVal(4, 7, 2, 3), Pos(4, 7, 2, 3));
  EXPECT_EQ(m.GetVal(4, 7, 1, 3), 0.0);
  EXPECT_EQ(m.GetVal(4, 7, 2, 2), 0.0);
  const std::vector<double> before(m.GetData().begin(), m.GetData().end());
  events.clear();
  // Slot 8 exists in the file but not in this 4-slot matrix.
  EXPECT_EQ(m.ReadLayer(dir.File("m.bin"), 1, 8), kMat4DLayerBadSlot);
  EXPECT_EQ(m.ReadLayer(dir.File("m.bin"), 1, 11), kMat4DLayerBadSlot);
  EXPECT_EQ(m.ReadLayer(dir.File("m.bin"), 4, 1), kMat4DLayerBadLayer);
  EXPECT_EQ(m.ReadLayer(dir.File("m.bin"), 0, 1), kMat4DLayerBadLayer);
  EXPECT_EQ(m.ReadLayer(dir.File("none.bin"), 1, 1), kMat4DLayerIOError);
  m.SetNrOfLayers(2);
  EXPECT_EQ(m.ReadLayer(dir.File("m.bin"), 3, 1), kMat4DLayerBadLayer);
  m.SetNrOfLayers(3);
  const std::vector<double> before3(m.GetData().begin(), m.GetData().end());
  EXPECT_EQ(before3, before);
  events.clear();
  // Rows differing from the matrix's: -3, unchanged.
  ASSERT_TRUE(Serial4D(10, 9, 3, 4)->SaveBinary(dir.File("rows.bin"), 0, 0));
  EXPECT_EQ(m.ReadLayer(dir.File("rows.bin"), 1, 1), kMat4DLayerBadSize);
  // A truncated file: -4, and not a single value of the layer written.
  auto b = ReadBytes(dir.File("m.bin"));
  b.resize(4096 + 8 * static_cast<size_t>(Pos(1, 5, 1, 1)));
  WriteBytes(dir.File("short.bin"), b);
  EXPECT_EQ(m.ReadLayer(dir.File("short.bin"), 1, 1), kMat4DLayerIOError);
  EXPECT_EQ(DataOf(m), before);
  EXPECT_EQ(events.find('C'), std::string::npos);
}

TEST(Mat4DReadLayer, AProgressHandlerThatShrinksTheMatrixStopsTheRead) {
  TempDir dir("layer_shrink");
  ASSERT_TRUE(Serial4D()->SaveBinary(dir.File("m.bin"), 0, 0));
  TMat4D m(nullptr);
  m.Resize(10, 10, 3, 4);
  m.OnPercentDone = [&](TObject*, int32_t) { m.Resize(1, 1, 1, 1); };
  EXPECT_EQ(m.ReadLayer(dir.File("m.bin"), 3, 4), kMat4DLayerBadSlot);
  EXPECT_EQ(m.GetElemCount(), 1);
  EXPECT_EQ(m.GetVal(1, 1, 1, 1), 0.0);
}

TEST(Read4DLayerRoutines, FillOrAccumulateAndKeepTheirOwnCodes) {
  TempDir dir("layer_arr");
  ASSERT_TRUE(Serial4D(5, 4, 3, 2)->SaveBinary(dir.File("m.bin"), 0, 0));
  const std::string f = dir.File("m.bin");
  TDouble2DArray arr = {{7}};
  ASSERT_EQ(Read4DLayer(f, 3, 2, arr), kRead4DOk);
  ASSERT_EQ(arr.size(), 5u);
  ASSERT_EQ(arr[0].size(), 4u);
  EXPECT_EQ(arr[4][1], Pos(5, 2, 3, 2, 5, 4, 3));
  const TDouble2DArray layer = arr;
  TDouble2DArray keep = {{7}};
  EXPECT_EQ(Read4DLayer(f, 1, 3, keep), kRead4DBadSlot);
  EXPECT_EQ(Read4DLayer(f, 4, 1, keep), kRead4DBadLayer);
  EXPECT_EQ(Read4DLayer(dir.File("none.bin"), 1, 1, keep), kRead4DIOError);
  EXPECT_EQ(keep, (TDouble2DArray{{7}}));

  // The accumulating reader has -1 for the layer and -2 for the time slot.
  EXPECT_EQ(Read4DLayerAndAccumulate(f, 4, 1, arr), kAcc4DBadLayer);
  EXPECT_EQ(Read4DLayerAndAccumulate(f, 1, 3, arr), kAcc4DBadSlot);
  EXPECT_EQ(Read4DLayerAndAccumulate(f, 1, 1, keep), kAcc4DBadArray);
  TDouble2DArray ragged = arr;
  ragged[2].pop_back();
  EXPECT_EQ(Read4DLayerAndAccumulate(f, 1, 1, ragged), kAcc4DBadArray);
  ASSERT_EQ(Read4DLayerAndAccumulate(f, 3, 2, arr), kAcc4DOk);
  EXPECT_EQ(arr[4][1], 2 * layer[4][1]);
  auto b = ReadBytes(f);
  b.resize(b.size() - 4096);
  WriteBytes(dir.File("short.bin"), b);
  const TDouble2DArray sum = arr;
  EXPECT_EQ(Read4DLayerAndAccumulate(dir.File("short.bin"), 3, 2, arr), kAcc4DIOError);
  EXPECT_EQ(arr, sum);
}

TEST(Read4DLayerRoutines, PositionsBeyond32BitsReachTheRightBytes) {
  // 1024 x 1024 x 1024 x 3 doubles: a 24 GiB sparse file. Slot 3 starts at
  // position 2^31, byte 2^34 + 4096, which a 32-bit position would miss.
  TempDir dir("huge");
  const std::string f = dir.File("huge.bin");
  {
    TMat4D tiny(nullptr);
    ASSERT_TRUE(tiny.SaveBinary(f, 0, 0));
  }
  auto head = ReadBytes(f);
  PutLe32(head, 0, 1024);
  PutLe32(head, 4, 1024);
  PutLe32(head, 8, 1024);
  PutLe32(head, 12, 3);
  WriteBytes(f, head);
  const int64_t bytes = 4096 + int64_t{3} * 1024 * 1024 * 1024 * 8;
  std::error_code ec;
  std::filesystem::resize_file(f, static_cast<uintmax_t>(bytes), ec);
  if (ec) GTEST_SKIP() << "no sparse file of 24 GiB here: " << ec.message();
  {
    TFileStream s(f, TFileMode::fmOpenReadWrite);
    const double v = 6.25, w = -1.5;
    s.Seek(4096 + (int64_t{1} << 34), TSeekOrigin::soBeginning);
    s.Write(&v, 8);  // element (1, 1, 1, 3)
    s.Seek(4096 + (int64_t{1} << 34) + 8 * (1024 * 5 + 3), TSeekOrigin::soBeginning);
    s.Write(&w, 8);  // element (4, 6, 1, 3)
    ASSERT_TRUE(s.Flush());
  }
  TDouble2DArray arr;
  ASSERT_EQ(Read4DLayer(f, 1, 3, arr), kRead4DOk);
  EXPECT_EQ(arr[0][0], 6.25);
  EXPECT_EQ(arr[3][5], -1.5);
  EXPECT_EQ(arr[1][0], 0.0);
  TMat4D m(nullptr);
  m.Resize(1024, 1024, 1, 3);
  ASSERT_EQ(m.ReadLayer(f, 1, 3), kMat4DLayerOk);
  EXPECT_EQ(m.GetVal(4, 6, 1, 3), -1.5);
  // Sizes whose product passes 2^64 are refused without overflow, even
  // against a file of 1 TiB.
  PutLe32(head, 0, INT32_MAX);
  PutLe32(head, 4, 4);
  PutLe32(head, 8, INT32_MAX);
  PutLe32(head, 12, 1);
  const std::string g = dir.File("tera.bin");
  WriteBytes(g, head);
  std::filesystem::resize_file(g, uintmax_t{1} << 40, ec);
  if (!ec) {
    EXPECT_EQ(Read4DLayer(g, 1, 1, arr), kRead4DIOError);
    EXPECT_EQ(arr[3][5], -1.5);
  }
}

TEST(Read4DLayerRoutines, FuzzedFilesGiveCodesNeverCrashes) {
  TempDir dir("layer_fuzz");
  ASSERT_TRUE(Serial4D(7, 5, 3, 3)->SaveBinary(dir.File("m.bin"), 0, 0));
  const auto good = ReadBytes(dir.File("m.bin"));
  const std::string f = dir.File("f.bin");
  Mix rng{43};
  for (int round = 0; round < 300; ++round) {
    auto b = good;
    if (round % 3 == 0)
      b.resize(rng.Below(b.size()));
    else if (round % 3 == 1)
      b[rng.Below(280)] ^= static_cast<uint8_t>(1u << rng.Below(8));
    else
      PutLe32(b, 4 * rng.Below(4), static_cast<int32_t>(rng.Next() >> rng.Below(40)));
    WriteBytes(f, b);
    TMat4D m(nullptr);
    m.Resize(7, 5, 3, 3);
    const int32_t layer = 1 + static_cast<int32_t>(rng.Below(3));
    const int32_t slot = 1 + static_cast<int32_t>(rng.Below(3));
    if (m.ReadLayer(f, layer, slot) != kMat4DLayerOk) {
      ASSERT_TRUE(
          std::all_of(m.GetData().begin(), m.GetData().end(), [](double v) { return v == 0; }));
    }
    TDouble2DArray arr = {{1}};
    if (Read4DLayer(f, layer, slot, arr) != kRead4DOk) {
      ASSERT_EQ(arr, (TDouble2DArray{{1}}));
    }
    TDouble2DArray acc(7, TDoubleArray(5, 1.0));
    if (Read4DLayerAndAccumulate(f, layer, slot, acc) != kAcc4DOk) {
      ASSERT_EQ(acc, TDouble2DArray(7, TDoubleArray(5, 1.0)));
    }
    TMat4D l(nullptr);
    if (!l.LoadBinary(f, 0, 0)) {
      ASSERT_EQ(l.GetElemCount(), 1);
    }
    TMat3D c(nullptr);
    if (!c.LoadBinary(f)) {
      ASSERT_EQ(c.GetElemCount(), 1);
    }
    try {
      l.ReadBinary(f, 1, 1);
    } catch (const EInOutError&) {
    }
  }
}

// ---------------------------------------------------------------------------
// XML form
// ---------------------------------------------------------------------------

TEST(Mat3D4DXml, RoundTripsWithTheirOwnPositionAttributes) {
  auto m = Serial4D(2, 3, 2, 2);
  m->SetVal(2, 3, 2, 2, -0.125);
  TMemoryStream ms;
  ASSERT_TRUE(m->WriteToXMLStream(ms, false, "four"));
  const std::string text = TextOf(ms);
  EXPECT_NE(text.find("<numtimeslots>2</numtimeslots>"), std::string::npos);
  EXPECT_NE(text.find("<cell ix=\"2\" iy=\"1\" il=\"1\" it=\"1\">1</cell>"), std::string::npos);
  TMat4D back(nullptr);
  ms.SetPosition(0);
  ASSERT_TRUE(back.ReadFromXMLStream(ms, "four"));
  EXPECT_TRUE(DataOf(back) == DataOf(*m));

  TMat3D cube(nullptr);
  cube.Resize(2, 2, 3);
  cube.FillSerial(1, 0.5);
  TMemoryStream cs;
  ASSERT_TRUE(cube.WriteToXMLStream(cs, true, "cube"));
  const std::string ctext = TextOf(cs);
  EXPECT_NE(ctext.find("<cell ix=\"1\" iy=\"1\" iz=\"2\">1.5</cell>"), std::string::npos);
  EXPECT_EQ(ctext.find("numtimeslots"), std::string::npos);
  TMat3D cback(nullptr);
  cs.SetPosition(0);
  ASSERT_TRUE(cback.ReadFromXMLStream(cs, ""));
  EXPECT_TRUE(DataOf(cback) == DataOf(cube));
}

TEST(Mat3D4DXml, HugeAnnouncedSizesAndDamageLeaveTheMatrixAlone) {
  const char* docs[] = {
      "<matrix><numcols>100000</numcols><numrows>100000</numrows><numplanes>100000</numplanes>"
      "<numtimeslots>100000</numtimeslots><cell ix=\"1\" iy=\"1\" il=\"1\" it=\"1\">1</cell>"
      "</matrix>",
      "<matrix><numcols>2</numcols><cell ix=\"1\" iy=\"1\" il=\"1\" it=\"1\">1</cell>",
      "<matrix><numplanes>2</numplanes><bogus>1</bogus></matrix>",
  };
  auto m = Serial4D(2, 2, 2, 2);
  const std::vector<double> before(m->GetData().begin(), m->GetData().end());
  for (const char* d : docs) {
    auto ms = StreamOf(d);
    EXPECT_FALSE(m->ReadFromXMLStream(*ms, "")) << d;
    EXPECT_EQ(DataOf(*m), before);
  }
  // An overflowing time slot is dropped, not wrapped onto slot 1.
  const std::string d =
      "<matrix><cell ix=\"1\" iy=\"1\" il=\"1\" it=\"4294967297\">9</cell></matrix>";
  auto ms = StreamOf(d);
  ASSERT_TRUE(m->ReadFromXMLStream(*ms, ""));
  EXPECT_EQ(DataOf(*m), before);
}

}  // namespace
}  // namespace zel
