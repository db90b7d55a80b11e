#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "core/zel_binary.hpp"
#include "core/zel_random.hpp"
#include "num/matrix/mat3d4d_impl.hpp"
#include "num/matrix/mat3d4d_test_impl.hpp"
#include "num/matrix/matrix_test_impl.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {
namespace {

using mat3d4d_test::EventLog;
using mat3d4d_test::Make3D;
using mat3d4d_test::Make4D;
using mat3d4d_test::Tag;

constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();

auto Tagged(int32_t nx, int32_t ny, int32_t nz, int32_t nt, const std::string& name = "M4") {
  return Make4D(
      nx, ny, nz, nt, [](int32_t x, int32_t y, int32_t z, int32_t t) { return Tag(x, y, z, t); },
      name);
}

TEST(Mat4DSize, StoresColumnInnermostAndResizeKeepsTheOverlap) {
  auto a = Tagged(3, 4, 2, 3);
  const auto data = a->GetData();
  for (int32_t t = 1; t <= 3; ++t)
    for (int32_t z = 1; z <= 2; ++z)
      for (int32_t y = 1; y <= 4; ++y)
        for (int32_t x = 1; x <= 3; ++x)
          ASSERT_EQ(data[static_cast<size_t>((((t - 1) * 2 + (z - 1)) * 4 + (y - 1)) * 3 + x - 1)],
                    Tag(x, y, z, t));
  EventLog log;
  log.Attach(*a);
  ASSERT_TRUE(a->Resize(4, 2, 3, 2));
  EXPECT_EQ(log.Seq, "CR");
  for (int32_t t = 1; t <= 2; ++t)
    for (int32_t z = 1; z <= 3; ++z)
      for (int32_t y = 1; y <= 2; ++y)
        for (int32_t x = 1; x <= 4; ++x)
          EXPECT_EQ(a->GetVal(x, y, z, t), (x <= 3 && z <= 2) ? Tag(x, y, z, t) : 0.0);
  EXPECT_FALSE(a->Resize(4, 2, 3, 0));
  EXPECT_TRUE(a->Resize(4, 2, 3, 2));
  EXPECT_EQ(log.Seq, "CR");
  EXPECT_THROW(a->Resize(kIntMax, kIntMax, kIntMax, kIntMax), EZELMatrixError);
  EXPECT_EQ(a->GetNrOfTimeSlots(), 2);
  EXPECT_EQ(a->GetVal(0, 1, 1, 1), 0.0);
  EXPECT_EQ(a->GetVal(1, 1, 1, 3), 0.0);
}

TEST(Mat4DAddressing, LinearAddressesInSixtyFourBits) {
  auto a = Tagged(3, 4, 5, 2);
  EXPECT_EQ(a->Lin3DAddr(1, 1, 1), 0);
  EXPECT_EQ(a->Lin3DAddr(2, 3, 4), 3 + (2 * 3 + 1) * 5);
  for (const auto& [x, y, l] :
       std::vector<std::tuple<int, int, int>>{{0, 1, 1}, {4, 1, 1}, {1, 5, 1}, {1, 1, 6}})
    EXPECT_EQ(a->Lin3DAddr(x, y, l), kLin3DAddrOutside);
  // Every address comes back to its indices; the count itself, anything
  // beyond it and negative addresses are refused.
  int32_t x = 0, y = 0, l = 0;
  for (int64_t addr = 0; addr < 60; ++addr) {
    ASSERT_TRUE(a->ConvertLinTo3DAddr(addr, x, y, l));
    EXPECT_EQ(a->Lin3DAddr(x, y, l), addr);
  }
  for (int64_t bad : {int64_t{60}, int64_t{65}, int64_t{-1}, int64_t{1} << 40}) {
    EXPECT_FALSE(a->ConvertLinTo3DAddr(bad, x, y, l)) << bad;
    EXPECT_EQ(x + y + l, 0);
  }
  // Sizes no test can allocate, through the same arithmetic: the product
  // taken in 32 bits would wrap and pass.
  namespace d = mat3d4d_detail;
  EXPECT_EQ(d::Lin3DAddr(46340, 46340, 1, 46340, 46340, 1), 46340 * 46340 - 1);
  EXPECT_EQ(d::Lin3DAddr(46341, 46341, 1, 1, 1, 1), kLin3DAddrTooLarge);
  EXPECT_EQ(d::Lin3DAddr(65536, 65536, 1, 1, 1, 1), kLin3DAddrTooLarge);  // 2^32 wraps to 0
  EXPECT_EQ(d::Lin3DAddr(65536, 32768, 2, 1, 1, 1), kLin3DAddrTooLarge);
  ASSERT_TRUE(d::ConvertLinTo3DAddr(100000, 100000, 3, 3 * int64_t{10000000000} - 1, x, y, l));
  EXPECT_EQ(std::vector<int32_t>({x, y, l}), std::vector<int32_t>({100000, 100000, 3}));
  EXPECT_FALSE(d::ConvertLinTo3DAddr(100000, 100000, 3, 3 * int64_t{10000000000}, x, y, l));
}

TEST(Mat4DAddressing, MemoryConsumedIsInFloatingPointMiB) {
  TMat4D a(nullptr);
  a.Resize(1024, 1024, 1, 1);
  EXPECT_EQ(a.MemoryConsumed(), 8.0);
  a.Resize(3, 5, 7, 11);
  EXPECT_DOUBLE_EQ(a.MemoryConsumed(), 3.0 * 5 * 7 * 11 * 8 / 1048576);
}

TEST(Mat4DResample, PicksEveryDivisorthElementFromTheNormalisedOffset) {
  auto a = Make4D(5, 1, 1, 1, [](int32_t x, int32_t, int32_t, int32_t) { return double(x); });
  a->Resample(2, 1, 1, 0, 1, 0, 1, 0, false);
  ASSERT_EQ(a->GetNrOfColumns(), 2);
  EXPECT_EQ(a->GetVal(1, 1, 1, 1), 2.0);
  EXPECT_EQ(a->GetVal(2, 1, 1, 1), 4.0);
  // A negative offset is taken modulo the divisor mathematically: -1 is 1,
  // and so is 3.
  for (int32_t offset : {-1, 3, -5}) {
    auto b = Make4D(5, 1, 1, 1, [](int32_t x, int32_t, int32_t, int32_t) { return double(x); });
    b->Resample(2, offset, 1, 0, 1, -7, 1, 0, false);
    ASSERT_EQ(b->GetNrOfColumns(), 2) << offset;
    EXPECT_EQ(b->GetVal(1, 1, 1, 1), 2.0);
    EXPECT_EQ(b->GetVal(2, 1, 1, 1), 4.0);
  }
  // A divisor larger than the matrix keeps one element.
  auto c = Make4D(3, 1, 1, 1, [](int32_t x, int32_t, int32_t, int32_t) { return double(x); });
  c->Resample(kIntMax, -1, 1, 0, 1, 0, 1, 0, true);
  EXPECT_EQ(c->GetNrOfColumns(), 1);
  EXPECT_EQ(c->GetVal(1, 1, 1, 1), 0.0);  // its block starts beyond the matrix
}

TEST(Mat4DResample, DivisorsBelowOneDoNothing) {
  auto a = Tagged(4, 3, 2, 2);
  EventLog log;
  log.Attach(*a);
  const std::vector<double> before(a->GetData().begin(), a->GetData().end());
  for (const auto& divs : std::vector<std::vector<int32_t>>{
           {0, 1, 1, 1}, {1, -2, 1, 1}, {1, 1, 0, 1}, {1, 1, 1, -1}, {-kIntMax, 2, 2, 2}})
    a->Resample(divs[0], 0, divs[1], 0, divs[2], 0, divs[3], 0, true);
  a->Resample(2, 0, 2, 0, 2, 0, 0, 0, false);
  EXPECT_EQ(std::vector<double>(a->GetData().begin(), a->GetData().end()), before);
  EXPECT_EQ(a->GetNrOfColumns(), 4);
  EXPECT_EQ(log.Seq, "");
  EXPECT_TRUE(log.Percents.empty());
}

TEST(Mat4DResample, AverageDividesByTheFullBlockAlsoAtTheEdges) {
  auto a = Make4D(5, 1, 1, 1, [](int32_t x, int32_t, int32_t, int32_t) { return double(x); });
  a->Resample(2, 0, 1, 0, 1, 0, 1, 0, true);
  ASSERT_EQ(a->GetNrOfColumns(), 3);
  EXPECT_EQ(a->GetVal(1, 1, 1, 1), 1.5);
  EXPECT_EQ(a->GetVal(2, 1, 1, 1), 3.5);
  EXPECT_EQ(a->GetVal(3, 1, 1, 1), 2.5);  // 5 / 2: the missing 6th column counts as 0
  // All four dimensions against a direct sum over each block.
  SetRandSeed(3);
  auto b = Make4D(7, 5, 4, 3, [](int32_t, int32_t, int32_t, int32_t) { return Random(); });
  auto src = Make4D(7, 5, 4, 3, [&](int32_t x, int32_t y, int32_t z, int32_t t) {
    return b->GetVal(x, y, z, t);
  });
  EventLog log;
  log.Attach(*b);
  b->Resample(3, -1, 2, 1, 3, 0, 2, 4, true);  // offsets 2, 1, 0, 0
  ASSERT_EQ(std::vector<int32_t>(
                {b->GetNrOfColumns(), b->GetNrOfRows(), b->GetNrOfLayers(), b->GetNrOfTimeSlots()}),
            std::vector<int32_t>({2, 2, 2, 2}));
  EXPECT_EQ(log.Seq, "CR");
  EXPECT_EQ(log.Percents, std::vector<int32_t>({25, 50, 75, 100}));
  const int32_t div[4] = {3, 2, 3, 2}, off[4] = {2, 1, 0, 0};
  for (int32_t x = 1; x <= 2; ++x)
    for (int32_t y = 1; y <= 2; ++y)
      for (int32_t z = 1; z <= 2; ++z)
        for (int32_t t = 1; t <= 2; ++t) {
          long double sum = 0;
          const int32_t k[4] = {x, y, z, t};
          int32_t p[4], q[4];
          for (int32_t d = 0; d < 4; ++d) {
            p[d] = off[d] + (k[d] - 1) * div[d] + 1;
            q[d] = off[d] + k[d] * div[d];
          }
          for (int32_t i = p[0]; i <= q[0]; ++i)
            for (int32_t j = p[1]; j <= q[1]; ++j)
              for (int32_t m = p[2]; m <= q[2]; ++m)
                for (int32_t n = p[3]; n <= q[3]; ++n) sum += src->GetVal(i, j, m, n);
          EXPECT_NEAR(b->GetVal(x, y, z, t), static_cast<double>(sum / 36), 1e-15);
        }
}

TEST(Mat4DLayers, FillLayerIgnoresBadArgumentsAndReportsTheirCodes) {
  auto a = Tagged(3, 2, 3, 2);
  EventLog log;
  log.Attach(*a);
  const std::string before = a->CRCofData();
  EXPECT_EQ(a->FillLayer(1, 1, 3, 0, 0), kMat4DFillBadMode);
  EXPECT_EQ(a->FillLayer(1, 1, -1, 0, 0), kMat4DFillBadMode);
  EXPECT_EQ(a->FillLayer(0, 1, 0, 0, 0), kMat4DFillBadLayer);
  EXPECT_EQ(a->FillLayer(1, 3, 0, 0, 0), kMat4DFillBadTimeSlot);
  for (int32_t bad : {-3, 0, 4}) a->FillLayer(bad, 7.0);
  EXPECT_EQ(a->CRCofData(), before);
  EXPECT_EQ(log.Seq, "");
  EXPECT_EQ(a->FillLayer(2, 2, 0, -3, 0), kMat4DFillOk);
  a->FillLayer(3, 7.0);
  EXPECT_EQ(log.Seq, "CC");
  for (int32_t x = 1; x <= 3; ++x)
    for (int32_t y = 1; y <= 2; ++y) {
      EXPECT_EQ(a->GetVal(x, y, 2, 2), -3.0);
      EXPECT_EQ(a->GetVal(x, y, 2, 1), Tag(x, y, 2, 1));
      EXPECT_EQ(a->GetVal(x, y, 3, 1), 7.0);
      EXPECT_EQ(a->GetVal(x, y, 3, 2), 7.0);
    }
  SetRandSeed(11);
  ASSERT_EQ(a->FillLayer(1, 1, 1, 2, 4), kMat4DFillOk);
  for (int32_t x = 1; x <= 3; ++x) {
    EXPECT_GE(a->GetVal(x, 1, 1, 1), 2.0);
    EXPECT_LT(a->GetVal(x, 1, 1, 1), 4.0);
  }
}

TEST(Mat4DLayers, AccumulateAndMultiplyCheckShapesAndBounds) {
  auto a = Tagged(3, 2, 2, 2);
  const TDouble2DArray ones{{1, 1}, {1, 1}, {1, 1}};
  const TDouble2DArray ragged{{1, 1}, {1}, {1, 1}};
  EXPECT_EQ(a->AccumulateLayer(1, 1, {{1, 1}, {1, 1}}), kMat4DAccumBadArray);
  EXPECT_EQ(a->AccumulateLayer(1, 1, ragged), kMat4DAccumBadArray);
  EXPECT_EQ(a->AccumulateLayer(3, 1, ones), kMat4DAccumBadLayer);
  EXPECT_EQ(a->AccumulateLayer(1, 0, ones), kMat4DAccumBadTimeSlot);
  EXPECT_EQ(a->AccumulateLayer(2, 1, ones), kMat4DAccumOk);
  EXPECT_EQ(a->GetVal(3, 2, 2, 1), Tag(3, 2, 2, 1) + 1);
  EXPECT_EQ(a->GetVal(3, 2, 2, 2), Tag(3, 2, 2, 2));

  const TDouble2DArray f{{2, 3}, {4, 5}, {6, 7}};
  struct Case {
    std::vector<int32_t> b;
    int32_t code;
  };
  for (const Case& c : std::vector<Case>{{{0, 4, 0, 0, 0, 0, 0, 0}, kMat4DMultBadColumns},
                                         {{-1, 2, 0, 0, 0, 0, 0, 0}, kMat4DMultBadColumns},
                                         {{0, 0, 1, 3, 0, 0, 0, 0}, kMat4DMultBadRows},
                                         {{0, 0, 0, 0, 0, 3, 0, 0}, kMat4DMultBadLayers},
                                         {{0, 0, 0, 0, 0, 0, 2, 3}, kMat4DMultBadTimeSlots}})
    EXPECT_EQ(
        a->MultiplyLayersByArray(f, c.b[0], c.b[1], c.b[2], c.b[3], c.b[4], c.b[5], c.b[6], c.b[7]),
        c.code);
  EXPECT_EQ(a->MultiplyLayersByArray(ragged, 0, 0, 0, 0, 0, 0, 0, 0), kMat4DMultBadArray);
  EXPECT_EQ(a->GetVal(1, 1, 1, 1), Tag(1, 1, 1, 1));  // nothing changed by the errors
  // Reversed bounds are exchanged; both 0 is the whole dimension.
  EXPECT_EQ(a->MultiplyLayersByArray(f, 3, 2, 0, 0, 2, 2, 0, 0), kMat4DMultOk);
  EXPECT_EQ(a->GetVal(2, 2, 2, 2), Tag(2, 2, 2, 2) * 5);
  EXPECT_EQ(a->GetVal(3, 1, 2, 1), (Tag(3, 1, 2, 1) + 1) * 6);
  EXPECT_EQ(a->GetVal(1, 1, 2, 1), Tag(1, 1, 2, 1) + 1);  // column 1 outside the range
  EXPECT_EQ(a->GetVal(2, 2, 1, 2), Tag(2, 2, 1, 2));      // layer 1 outside
}

TEST(Mat4DLayers, LayerCopiesRaiseTheirMessages) {
  auto a = Tagged(3, 2, 2, 2, "Stack");
  auto dest = matrix_test::MakeMatrix({{0}});
  a->CopyLayerToMatrix(dest.get(), 2, 3, 0, 0, 2, 1);
  EXPECT_EQ(matrix_test::Cols(*dest), (TDouble2DArray{{Tag(2, 1, 2, 1), Tag(2, 2, 2, 1)},
                                                      {Tag(3, 1, 2, 1), Tag(3, 2, 2, 1)}}));
  auto expectMessage = [&](auto call, const char* text) {
    try {
      call();
      ADD_FAILURE() << "no exception for " << text;
    } catch (const EZELMatrixError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("Component \"Stack\": ") + text);
    }
  };
  const char* kLayer = "specified layer beyond data range";
  const char* kSlot = "specified time slot beyond data range";
  expectMessage([&] { a->CopyLayerToMatrix(dest.get(), 0, 0, 0, 0, 3, 1); }, kLayer);
  expectMessage([&] { a->CopyLayerToMatrix(dest.get(), 0, 0, 0, 0, 0, 9); }, kLayer);
  expectMessage([&] { a->CopyLayerToMatrix(dest.get(), 0, 0, 0, 0, 1, 3); }, kSlot);
  expectMessage([&] { a->CopyMatrixToLayer(dest.get(), 0, 0, 0, 0, 1, 0, 1, 1); }, kSlot);
  TMat3D cube(nullptr);
  expectMessage([&] { a->CopyTimeSlotToMat3D(&cube, 0, 0, 0, 0, 0, 0, 5); }, kSlot);
  expectMessage([&] { a->CopyMat3DToTimeSlot(&cube, 0, 0, 0, 0, 0, 0, -1, 1, 1, 1); }, kSlot);
  EXPECT_EQ(matrix_test::Cols(*dest).size(), 2u);  // untouched by the failed calls
  // The matrix back into layer 1 of slot 2 from (2, 2) on.
  a->CopyMatrixToLayer(dest.get(), 0, 0, 0, 0, 1, 2, 2, 2);
  EXPECT_EQ(a->GetVal(2, 2, 1, 2), Tag(2, 1, 2, 1));
  EXPECT_EQ(a->GetVal(3, 2, 1, 2), Tag(3, 1, 2, 1));
  EXPECT_EQ(a->GetVal(2, 1, 1, 2), Tag(2, 1, 1, 2));
}

TEST(Mat4DBlocks, CutKeepsTheBlockAndReportsProgress) {
  auto a = Tagged(5, 4, 3, 2);
  EventLog log;
  log.Attach(*a);
  a->Cut(4, 2, 3, 3, 0, 0, 2, 9);  // columns 2..4, row 3, all layers, slot 2
  ASSERT_EQ(std::vector<int32_t>(
                {a->GetNrOfColumns(), a->GetNrOfRows(), a->GetNrOfLayers(), a->GetNrOfTimeSlots()}),
            std::vector<int32_t>({3, 1, 3, 1}));
  for (int32_t x = 1; x <= 3; ++x)
    for (int32_t z = 1; z <= 3; ++z) EXPECT_EQ(a->GetVal(x, 1, z, 1), Tag(x + 1, 3, z, 2));
  EXPECT_EQ(log.Seq, "CR");
  EXPECT_EQ(log.Percents, std::vector<int32_t>({33, 66, 100}));
}

TEST(Mat4DBlocks, TransposeAndMirrorsMoveEveryLayerAndSlot) {
  auto a = Tagged(3, 2, 2, 3);
  EventLog log;
  log.Attach(*a);
  a->Transpose();
  EXPECT_EQ(log.Seq, "CR");
  ASSERT_EQ(a->GetNrOfColumns(), 2);
  ASSERT_EQ(a->GetNrOfRows(), 3);
  for (int32_t x = 1; x <= 2; ++x)
    for (int32_t y = 1; y <= 3; ++y)
      for (int32_t z = 1; z <= 2; ++z)
        for (int32_t t = 1; t <= 3; ++t) EXPECT_EQ(a->GetVal(x, y, z, t), Tag(y, x, z, t));
  struct Mirror {
    void (TMat4D::*op)();
    int32_t dim;
  };
  for (const Mirror& m : {Mirror{&TMat4D::MirrorColumns, 0}, Mirror{&TMat4D::MirrorRows, 1},
                          Mirror{&TMat4D::MirrorLayers, 2}, Mirror{&TMat4D::MirrorTimeSlots, 3}}) {
    auto b = Tagged(3, 4, 2, 5);
    const int32_t n[4] = {3, 4, 2, 5};
    EventLog mlog;
    mlog.Attach(*b);
    (b.get()->*m.op)();
    EXPECT_EQ(mlog.Seq, "C");
    for (int32_t x = 1; x <= 3; ++x)
      for (int32_t y = 1; y <= 4; ++y)
        for (int32_t z = 1; z <= 2; ++z)
          for (int32_t t = 1; t <= 5; ++t) {
            int32_t k[4] = {x, y, z, t};
            k[m.dim] = n[m.dim] + 1 - k[m.dim];
            ASSERT_EQ(b->GetVal(x, y, z, t), Tag(k[0], k[1], k[2], k[3])) << m.dim;
          }
  }
}

TEST(Mat4DBlocks, CopyFromReadsAnOverlappingBlockFirst) {
  auto a = Tagged(4, 3, 2, 2);
  auto ref = Tagged(4, 3, 2, 2);
  a->CopyFrom(a.get(), 1, 3, 0, 0, 0, 0, 1, 1, 2, 1, 1, 2);  // shift right into slot 2
  for (int32_t x = 1; x <= 4; ++x)
    for (int32_t y = 1; y <= 3; ++y)
      for (int32_t z = 1; z <= 2; ++z) {
        EXPECT_EQ(a->GetVal(x, y, z, 2), x == 1 ? Tag(1, y, z, 2) : Tag(x - 1, y, z, 1));
        EXPECT_EQ(a->GetVal(x, y, z, 1), Tag(x, y, z, 1));
      }
  a->CopyFrom(nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1);
  ref->CopyFrom(a.get(), 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1);
  EXPECT_EQ(ref->CRCofData(), a->CRCofData());
}

TEST(Mat4DCopies, PixelsArraysAndTimeSlotsRoundTrip) {
  auto a = Tagged(3, 2, 4, 2);
  TDoubleArray px;
  EXPECT_EQ(a->CopyPixelTo1DArray(px, 4, 1, 1), kMat4DCopyBadColumn);
  EXPECT_EQ(a->CopyPixelTo1DArray(px, 1, 0, 1), kMat4DCopyBadRow);
  EXPECT_EQ(a->CopyPixelTo1DArray(px, 1, 1, 3), kMat4DCopyBadTimeSlot);
  EXPECT_TRUE(px.empty());
  ASSERT_EQ(a->CopyPixelTo1DArray(px, 2, 1, 2), kMat4DCopyOk);
  EXPECT_EQ(px, TDoubleArray({Tag(2, 1, 1, 2), Tag(2, 1, 2, 2), Tag(2, 1, 3, 2), Tag(2, 1, 4, 2)}));
  TVector vec(nullptr);
  EXPECT_EQ(a->CopyPixelToVector(nullptr, 1, 1, 1), kMat4DCopyNoData);
  ASSERT_EQ(a->CopyPixelToVector(&vec, 3, 2, 1), kMat4DCopyOk);
  EXPECT_EQ(vec.GetNrOfElem(), 4);
  EXPECT_EQ(vec.GetVal(4), Tag(3, 2, 4, 1));
  // Writing a pixel: values beyond the last layer are dropped, bad indices
  // write nothing.
  EventLog log;
  log.Attach(*a);
  const TDoubleArray three{-1, -2, -3};
  EXPECT_EQ(a->Copy1DArrayToPixel(three, 1, 1, 0, 1), kMat4DCopyBadLayer);
  EXPECT_EQ(a->Copy1DArrayToPixel(three, 1, 1, 5, 1), kMat4DCopyBadLayer);
  EXPECT_EQ(a->Copy1DArrayToPixel(three, 1, 3, 1, 1), kMat4DCopyBadRow);
  EXPECT_EQ(a->Copy1DArrayToPixel(three, 1, 1, 1, 0), kMat4DCopyBadTimeSlot);
  EXPECT_EQ(a->Copy1DArrayToPixel({}, 1, 1, 1, 1), kMat4DCopyNoData);
  EXPECT_EQ(a->CopyVectorToPixel(nullptr, 1, 1, 1, 1), kMat4DCopyNoData);
  EXPECT_EQ(log.Seq, "");
  EXPECT_EQ(a->Copy1DArrayToPixel(three, 1, 2, 3, 2), kMat4DCopyOk);
  EXPECT_EQ(a->GetVal(1, 2, 2, 2), Tag(1, 2, 2, 2));
  EXPECT_EQ(a->GetVal(1, 2, 3, 2), -1.0);
  EXPECT_EQ(a->GetVal(1, 2, 4, 2), -2.0);
  EXPECT_EQ(a->CopyVectorToPixel(&vec, 2, 2, 1, 1), kMat4DCopyOk);
  EXPECT_EQ(a->GetVal(2, 2, 4, 1), Tag(3, 2, 4, 1));
  EXPECT_EQ(log.Seq, "CC");

  // A time slot out to an array ([column][row][layer]) and into the other slot.
  TDouble3DArray slot;
  EXPECT_EQ(a->CopyTimeSlotToArray(slot, 0, 0, 0, 0, 0, 0, 0), kMat4DCopyBadTimeSlot);
  ASSERT_EQ(a->CopyTimeSlotToArray(slot, 2, 3, 0, 0, 3, 4, 1), kMat4DCopyOk);
  ASSERT_EQ(slot.size(), 2u);
  EXPECT_EQ(slot[1][0][1], a->GetVal(3, 1, 4, 1));
  EXPECT_EQ(a->CopyArrayToTimeSlot(TDouble3DArray{{{1}}, {{2, 3}}}, 2), kMat4DCopyNoData);
  ASSERT_EQ(a->CopyArrayToTimeSlot(slot, 2), kMat4DCopyOk);
  EXPECT_EQ(a->GetVal(2, 2, 2, 2), slot[1][1][1]);
  EXPECT_EQ(a->GetVal(3, 2, 2, 2), Tag(3, 2, 2, 2));  // beyond the array: untouched
  TDouble2DArray layer;
  EXPECT_EQ(a->CopyLayerToArray(layer, 0, 0, 0, 0, 5, 1), kMat4DCopyBadLayer);
  EXPECT_EQ(a->CopyLayerToArray(layer, 0, 0, 0, 0, 1, 5), kMat4DCopyBadTimeSlot);
  ASSERT_EQ(a->CopyLayerToArray(layer, 0, 0, 2, 2, 2, 1), kMat4DCopyOk);
  EXPECT_EQ(layer, (TDouble2DArray{{Tag(1, 2, 2, 1)}, {a->GetVal(2, 2, 2, 1)}, {Tag(3, 2, 2, 1)}}));
  EXPECT_EQ(a->CopyArrayToLayer(TDouble2DArray{}, 1, 1), kMat4DCopyNoData);
  ASSERT_EQ(a->CopyArrayToLayer(TDouble2DArray{{9}, {8}, {7}, {6}}, 1, 1), kMat4DCopyOk);
  EXPECT_EQ(a->GetVal(3, 1, 1, 1), 7.0);
  EXPECT_EQ(a->GetVal(3, 2, 1, 1), Tag(3, 2, 1, 1));

  // To a TMat3D and back into another slot.
  TMat3D cube(nullptr);
  EventLog clog;
  clog.Attach(cube);
  a->CopyTimeSlotToMat3D(&cube, 0, 0, 2, 2, 0, 0, 1);
  EXPECT_EQ(clog.Seq, "CR");
  ASSERT_EQ(cube.GetNrOfRows(), 1);
  EXPECT_EQ(cube.GetVal(3, 1, 4), a->GetVal(3, 2, 4, 1));
  a->CopyMat3DToTimeSlot(&cube, 0, 0, 0, 0, 0, 0, 2, 1, 1, 2);
  EXPECT_EQ(a->GetVal(3, 1, 2, 2), cube.GetVal(3, 1, 1));
  EXPECT_EQ(a->GetVal(3, 1, 4, 2), cube.GetVal(3, 1, 3));  // layer 4 of the cube dropped
}

TEST(Mat4DChecksum, SamplesLayersAndReportsPercentOfPositions) {
  auto a = Tagged(4, 5, 5, 2);
  auto expected = [&](int32_t sample) {
    TDoubleFingerprint f;
    for (int32_t x = 1; x <= 4; ++x)
      for (int32_t y = 1; y <= 5; ++y)
        for (int32_t z = sample; z <= 5; z += sample)
          for (int32_t t = 1; t <= 2; ++t) f.Add(Tag(x, y, z, t));
    return f.Text();
  };
  EventLog log;
  log.Attach(*a);
  EXPECT_EQ(a->CRCofData(), expected(1));
  ASSERT_EQ(log.Percents.size(), 20u);  // 20 positions: 5 % each
  EXPECT_EQ(log.Percents.back(), 100);
  EXPECT_EQ(a->CRCofData(2), expected(2));
  EXPECT_EQ(a->CRCofData(9), expected(2));  // at most NrOfLayers div 2
  EXPECT_EQ(a->CRCofData(0), expected(1));
  EXPECT_EQ(a->CRCofData(-4), expected(1));
  EXPECT_NE(expected(1), expected(2));
  auto big = Tagged(30, 10, 1, 1);
  EventLog blog;
  blog.Attach(*big);
  big->CRCofData(5);  // one layer: the sample becomes 1
  EXPECT_EQ(blog.Percents.size(), 100u);
}

TEST(Mat4DBlocks, AProgressHandlerThatResizesStopsTheOperation) {
  for (int32_t op = 0; op < 3; ++op) {
    auto a = Tagged(6, 5, 4, 3);
    std::string seq;
    a->OnChange = [&](TObject*) { seq += 'C'; };
    a->OnPercentDone = [&](TObject*, int32_t) {
      seq += 'P';
      a->Resize(2, 2, 1, 1);
    };
    if (op == 0) a->Resample(2, 0, 2, 0, 2, 0, 1, 0, true);
    if (op == 1) a->Cut(2, 4, 0, 0, 0, 0, 0, 0);
    if (op == 2) {
      EXPECT_EQ(a->CRCofData(2), "");
    }
    EXPECT_EQ(seq, "PC") << op;  // the handler's own resize, nothing after it
    EXPECT_EQ(a->GetElemCount(), 4) << op;
    EXPECT_EQ(a->GetVal(2, 2, 1, 1), Tag(2, 2, 1, 1)) << op;
  }
}

TEST(Mat4DStatistics, FourDimensionalRangesAndTheAbundantValue) {
  SetRandSeed(5);
  auto a = Make4D(6, 5, 4, 3, [](int32_t, int32_t, int32_t, int32_t) {
    return Random() < 0.7 ? 0.0 : std::floor(Random() * 100) - 30;
  });
  std::vector<double> v;
  long double sum = 0, sq = 0;
  for (int32_t x = 2; x <= 5; ++x)
    for (int32_t y = 1; y <= 5; ++y)
      for (int32_t z = 2; z <= 3; ++z)
        for (int32_t t = 1; t <= 2; ++t) {
          const double e = a->GetVal(x, y, z, t);
          v.push_back(e);
          sum += e;
          sq += static_cast<long double>(e) * e;
        }
  EXPECT_NEAR(a->Sum(2, 5, 0, 0, 3, 2, 1, 2), static_cast<double>(sum), 1e-9);
  EXPECT_NEAR(a->SquaredSum(2, 5, 0, 0, 3, 2, 1, 2), static_cast<double>(sq), 1e-7);
  std::sort(v.begin(), v.end());
  for (double prob : {0.0, 10.0, 50.0, 75.0, 99.0}) {
    const auto k =
        static_cast<size_t>(std::min<double>(Round(v.size() * prob / 100), v.size() - 1));
    EXPECT_EQ(a->Percentile(prob, 2, 5, 0, 0, 2, 3, 1, 2), v[k]) << prob;
    EXPECT_EQ(a->Percentile(prob, 2, 5, 0, 0, 2, 3, 1, 2, 0, 0.0), v[k]) << prob;
  }
  int32_t c = 0, r = 0, l = 0, t = 0;
  // A tie: (6, 5, 4, 2) comes first in storage, (1, 1, 1, 3) in column order.
  a->SetVal(6, 5, 4, 2, 1e6);
  a->SetVal(1, 1, 1, 3, 1e6);
  a->Find(0, 0, 0, 0, 0, 0, 0, 0, 2e6, c, r, l, t);
  EXPECT_EQ(std::vector<int32_t>({c, r, l, t}), std::vector<int32_t>({1, 1, 1, 3}));
  EXPECT_EQ(a->CountValues(0, 0, 0, 0, 0, 0, 0, 0, 1e6, 1e6), 2);
}

TEST(Mat4DAssign, CopiesDataIdAndHandlers) {
  auto a = Tagged(2, 2, 2, 2);
  a->SetDataID("scan");
  int32_t reads = 0;
  a->OnReadElement = [&](TObject*, int32_t, int32_t, int32_t, int32_t, double) { ++reads; };
  TMat4D b(nullptr);
  EventLog log;
  log.Attach(*a);
  b.Assign(a.get());
  EXPECT_EQ(b.GetDataID(), "scan");
  EXPECT_EQ(b.CRCofData(), a->CRCofData());
  EXPECT_EQ(log.Seq, "CR");  // the copied handlers fire
  b.ReadElement(&b, 1, 1, 1, 1, 0.5);
  EXPECT_EQ(reads, 1);
  TMat3D cube(nullptr);
  EXPECT_THROW(b.Assign(&cube), Exception);
}

TEST(Mat4DStatusText, CodesHaveTheirOwnSentences) {
  auto distinct = [](const char* (*text)(int32_t), const std::vector<int32_t>& codes) {
    const std::string fallback = text(1 << 20 | 1);
    std::set<std::string> seen;
    for (int32_t code : codes) {
      const std::string s = text(code);
      EXPECT_FALSE(s.empty());
      EXPECT_NE(s, fallback) << code;
      EXPECT_TRUE(seen.insert(s).second) << code;
    }
  };
  distinct(Mat4DCopyStatusText, {0, -1, -2, -3, -4, -5});
  distinct(Mat4DFillLayerStatusText, {0, -1, -2, -3});
  distinct(Mat4DAccumulateStatusText, {0, -1, -2, -3});
  distinct(Mat4DMultiplyStatusText, {0, -1, -2, -3, -4, -5});
  distinct(MatArrCopyStatusText, {0, -1, -2, -3});
  EXPECT_NE(std::string(Lin3DAddrStatusText(-1)), Lin3DAddrStatusText(-2));
  EXPECT_EQ(std::string(Lin3DAddrStatusText(17)), Lin3DAddrStatusText(0));
}

TEST(Mat3D4DArrays, UnitRoutinesCopyLayersOfPlainArrays) {
  // [column][row][layer]: 3 columns, 2 rows, 2 layers.
  const TDouble3DArray arr{{{1, 2}, {3, 4}}, {{5, 6}, {7, 8}}, {{9, 10}, {11, 12}}};
  TDouble2DArray d;
  EXPECT_EQ(CopyArr3DLayerToArr2D(arr, d, 0, 0, 0, 0, 3), kMatArrCopyBadLayer);
  EXPECT_EQ(CopyArr3DLayerToArr2D({{{1}, {2}}, {{3}}}, d, 0, 0, 0, 0, 1), kMatArrCopyBadArray);
  EXPECT_EQ(CopyArr3DLayerToArr2D({}, d, 0, 0, 0, 0, 1), kMatArrCopyBadArray);
  ASSERT_EQ(CopyArr3DLayerToArr2D(arr, d, 3, 2, 0, 9, 2), kMatArrCopyOk);
  EXPECT_EQ(d, (TDouble2DArray{{6, 8}, {10, 12}}));
  auto m = matrix_test::MakeMatrix({{0}});
  EXPECT_EQ(CopyArr3DLayerToMatrix(arr, nullptr, 0, 0, 0, 0, 1), kMatArrCopyNoMatrix);
  ASSERT_EQ(CopyArr3DLayerToMatrix(arr, m.get(), 0, 0, 2, 2, 1), kMatArrCopyOk);
  EXPECT_EQ(matrix_test::Cols(*m), (TDouble2DArray{{3}, {7}, {11}}));
  EXPECT_EQ(CopyMatrixToArray(nullptr, d, 0, 0, 0, 0), kMatArrCopyNoMatrix);
  ASSERT_EQ(CopyMatrixToArray(m.get(), d, 2, 3, 0, 0), kMatArrCopyOk);
  EXPECT_EQ(d, (TDouble2DArray{{7}, {11}}));
}

}  // namespace
}  // namespace zel
