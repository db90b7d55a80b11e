#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "core/zel_binary.hpp"
#include "core/zel_random.hpp"
#include "num/matrix/mat3d4d_test_impl.hpp"
#include "num/matrix/matrix_test_impl.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {
namespace {

using mat3d4d_test::EventLog;
using mat3d4d_test::Make3D;
using mat3d4d_test::Tag;

constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(Mat3DSize, StartsAsOneZeroAndResizeKeepsTheOverlap) {
  TMat3D m(nullptr);
  EXPECT_EQ(m.GetElemCount(), 1);
  EXPECT_EQ(m.GetVal(1, 1, 1), 0.0);
  auto a = Make3D(3, 4, 5, [](int32_t x, int32_t y, int32_t z) { return Tag(x, y, z); });
  EventLog log;
  log.Attach(*a);
  ASSERT_TRUE(a->Resize(2, 6, 3));
  EXPECT_EQ(log.Seq, "CR");
  for (int32_t x = 1; x <= 2; ++x)
    for (int32_t y = 1; y <= 6; ++y)
      for (int32_t z = 1; z <= 3; ++z)
        EXPECT_EQ(a->GetVal(x, y, z), y <= 4 ? Tag(x, y, z) : 0.0) << x << y << z;
  // Sizes <= 0 and equal sizes change nothing and fire nothing.
  EXPECT_FALSE(a->Resize(0, 6, 3));
  EXPECT_FALSE(a->Resize(2, 6, -1));
  EXPECT_TRUE(a->Resize(2, 6, 3));
  a->SetNrOfLayers(0);
  EXPECT_EQ(log.Seq, "CR");
  a->SetNrOfLayers(4);
  EXPECT_EQ(a->GetNrOfLayers(), 4);
  EXPECT_EQ(a->GetVal(2, 4, 3), Tag(2, 4, 3));
}

TEST(Mat3DSize, ImpossibleSizeThrowsAndLeavesTheMatrixAsItWas) {
  auto a = Make3D(
      2, 2, 2, [](int32_t x, int32_t y, int32_t z) { return Tag(x, y, z); }, "Big");
  EventLog log;
  log.Attach(*a);
  try {
    a->Resize(kIntMax, kIntMax, kIntMax);  // the count overflows 64 bits
    FAIL() << "no exception";
  } catch (const EZELMatrixError& e) {
    EXPECT_STREQ(e.what(), "Component \"Big\": not enough memory on heap");
  }
  EXPECT_THROW(a->ResizeAndClear(1 << 20, 1 << 20, 1 << 20), EZELError);  // beyond 2^58
  EXPECT_EQ(a->GetNrOfColumns(), 2);
  EXPECT_EQ(a->GetVal(2, 2, 2), Tag(2, 2, 2));
  EXPECT_EQ(log.Seq, "");
}

TEST(Mat3DAccess, StoresLayerInnermostAndIgnoresOutsideIndices) {
  auto a = Make3D(3, 4, 5, [](int32_t x, int32_t y, int32_t z) { return Tag(x, y, z); });
  const auto data = a->GetData();
  for (int32_t x = 1; x <= 3; ++x)
    for (int32_t y = 1; y <= 4; ++y)
      for (int32_t z = 1; z <= 5; ++z)
        EXPECT_EQ(data[static_cast<size_t>(((x - 1) * 4 + (y - 1)) * 5 + (z - 1))], Tag(x, y, z));
  EventLog log;
  log.Attach(*a);
  for (const auto& [x, y, z] : std::vector<std::tuple<int, int, int>>{
           {0, 1, 1}, {4, 1, 1}, {1, 0, 1}, {1, 5, 1}, {1, 1, 0}, {1, 1, 6}}) {
    EXPECT_EQ(a->GetVal(x, y, z), 0.0);
    a->SetVal(x, y, z, 9);
  }
  EXPECT_EQ(log.Seq, "");
  a->SetVal(3, 4, 5, 9);
  EXPECT_EQ(log.Seq, "C");
}

TEST(Mat3DFill, DiagonalAndSerialFollowTheStorageOrder) {
  auto a = Make3D(2, 3, 4, [](int32_t, int32_t, int32_t) { return 5.0; });
  a->FillDiag(-1);
  for (int32_t x = 1; x <= 2; ++x)
    for (int32_t y = 1; y <= 3; ++y)
      for (int32_t z = 1; z <= 4; ++z)
        EXPECT_EQ(a->GetVal(x, y, z), (x == y && y == z) ? -1.0 : 5.0);
  a->FillSerial(10, 0.5);
  EXPECT_EQ(a->GetVal(1, 1, 2), 10.5);  // the layer runs fastest
  EXPECT_EQ(a->GetVal(1, 2, 1), 12.0);
  EXPECT_EQ(a->GetVal(2, 3, 4), 10 + 23 * 0.5);
}

// Naive references over the same box, in long double.
struct BoxRef {
  long double sum = 0, sq = 0;
  double lo = 1e300, hi = -1e300;
  std::vector<double> v;
};

BoxRef Reference(const TMat3D& m, int32_t x0, int32_t x1, int32_t y0, int32_t y1, int32_t z0,
                 int32_t z1) {
  BoxRef r;
  for (int32_t x = x0; x <= x1; ++x)
    for (int32_t y = y0; y <= y1; ++y)
      for (int32_t z = z0; z <= z1; ++z) {
        const double v = m.GetVal(x, y, z);
        r.sum += v;
        r.sq += static_cast<long double>(v) * v;
        r.lo = std::min(r.lo, v);
        r.hi = std::max(r.hi, v);
        r.v.push_back(v);
      }
  return r;
}

TEST(Mat3DStatistics, MatchNaiveSumsOverClampedRanges) {
  SetRandSeed(7);
  auto a = Make3D(6, 5, 7, [](int32_t, int32_t, int32_t) { return Random() * 20 - 10; });
  const BoxRef r = Reference(*a, 2, 5, 1, 3, 4, 7);
  // Reversed and out-of-range bounds are clamped and exchanged.
  EXPECT_NEAR(a->Sum(5, 2, 3, -4, 4, 99), static_cast<double>(r.sum), 1e-12);
  EXPECT_NEAR(a->SquaredSum(2, 5, 0, 3, 7, 4), static_cast<double>(r.sq), 1e-11);
  double lo = 0, hi = 0, mean = 0, var = 0;
  a->MinMax(2, 5, 1, 3, 4, 7, lo, hi);
  EXPECT_EQ(lo, r.lo);
  EXPECT_EQ(hi, r.hi);
  a->MeanVar(2, 5, 1, 3, 4, 7, mean, var);
  const auto n = static_cast<long double>(r.v.size());
  long double ss = 0;
  for (double v : r.v) ss += (v - r.sum / n) * (v - r.sum / n);
  EXPECT_NEAR(mean, static_cast<double>(r.sum / n), 1e-14);
  EXPECT_NEAR(var, static_cast<double>(ss / (n - 1)), 1e-12);
  int64_t inside = 0;
  for (double v : r.v) inside += (v >= -2 && v <= 3) ? 1 : 0;
  EXPECT_EQ(a->CountValues(2, 5, 1, 3, 4, 7, -2, 3), inside);
  // Both 0 means the whole dimension: the whole matrix is one sum.
  const BoxRef all = Reference(*a, 1, 6, 1, 5, 1, 7);
  EXPECT_NEAR(a->Sum(0, 0, 0, 0, 0, 0), static_cast<double>(all.sum), 1e-12);
}

TEST(Mat3DStatistics, VarianceTakesTheMeanFirstAndKeepsItsSpecialRules) {
  // Sum x^2 - (Sum x)^2 / n loses every digit here; the centred sum keeps
  // the exact variance 1.
  auto a = Make3D(1, 1, 3, [](int32_t, int32_t, int32_t z) { return 1e10 + z; });
  double mean = 0, var = 0;
  a->MeanVar(0, 0, 0, 0, 0, 0, mean, var);
  EXPECT_EQ(mean, 1e10 + 2);
  EXPECT_EQ(var, 1.0);
  a->MeanVar(1, 1, 1, 1, 1, 2, mean, var);  // n < 3: exactly 1
  EXPECT_EQ(var, 1.0);
  auto c = Make3D(2, 2, 2, [](int32_t, int32_t, int32_t) { return 0.1; });
  c->MeanVar(0, 0, 0, 0, 0, 0, mean, var);
  EXPECT_EQ(mean, 0.1);
  EXPECT_EQ(var, 0.0);
}

TEST(Mat3DStatistics, NaNPropagatesThroughEveryStatistic) {
  auto a = Make3D(3, 3, 3, [](int32_t x, int32_t y, int32_t z) {
    return (x == 2 && y == 3 && z == 1) ? kNaN : double(x + y + z);
  });
  double lo = 0, hi = 0, mean = 0, var = 0;
  a->MinMax(0, 0, 0, 0, 0, 0, lo, hi);
  EXPECT_TRUE(std::isnan(lo) && std::isnan(hi));
  a->MeanVar(0, 0, 0, 0, 0, 0, mean, var);
  EXPECT_TRUE(std::isnan(mean) && std::isnan(var));
  EXPECT_TRUE(std::isnan(a->Sum(0, 0, 0, 0, 0, 0)));
  EXPECT_TRUE(std::isnan(a->Percentile(50, 0, 0, 0, 0, 0, 0)));
  EXPECT_TRUE(std::isnan(a->Percentile(50, 0, 0, 0, 0, 0, 0, 5)));  // also when not drawn
  // A range without the NaN is unaffected.
  a->MinMax(1, 1, 0, 0, 0, 0, lo, hi);
  EXPECT_EQ(lo, 3.0);
  EXPECT_EQ(hi, 7.0);
  // The NaN anywhere in a run, in its vector part or its tail.
  for (int32_t at = 1; at <= 7; ++at) {
    auto run = Make3D(1, 1, 7, [&](int32_t, int32_t, int32_t z) { return z == at ? kNaN : z; });
    run->MinMax(0, 0, 0, 0, 0, 0, lo, hi);
    EXPECT_TRUE(std::isnan(lo) && std::isnan(hi)) << at;
    run->MinMax(0, 0, 0, 0, at == 1 ? 2 : 1, at == 1 ? 7 : at - 1, lo, hi);
    EXPECT_EQ(lo, at == 1 ? 2.0 : 1.0) << at;
    EXPECT_EQ(hi, at == 1 ? 7.0 : at - 1.0) << at;
  }
}

TEST(Mat3DStatistics, PercentileSelectsTheRankOfTheRange) {
  // Values 1..60 scattered over the box.
  auto a = Make3D(3, 4, 5, [](int32_t x, int32_t y, int32_t z) {
    return double(((x - 1) * 20 + (y - 1) * 5 + (z - 1)) * 37 % 60 + 1);
  });
  EXPECT_EQ(a->Percentile(0, 0, 0, 0, 0, 0, 0), 1.0);
  EXPECT_EQ(a->Percentile(50, 0, 0, 0, 0, 0, 0), 31.0);  // rank Round(30) = 30
  EXPECT_EQ(a->Percentile(100, 0, 0, 0, 0, 0, 0), 60.0);
  EXPECT_EQ(a->Percentile(250, 0, 0, 0, 0, 0, 0), 60.0);  // clamped to 100
  EXPECT_TRUE(std::isnan(a->Percentile(kNaN, 0, 0, 0, 0, 0, 0)));
  // A sample from a box of zeros and negatives: between the two shares
  // the answer is 0 without any selection.
  auto z = Make3D(10, 10, 10, [](int32_t x, int32_t, int32_t) { return x <= 5 ? -1.0 : 0.0; });
  EXPECT_EQ(z->Percentile(80, 0, 0, 0, 0, 0, 0, 500), 0.0);
  EXPECT_EQ(z->Percentile(5, 0, 0, 0, 0, 0, 0, 500), -1.0);
}

TEST(Mat3DSearch, FindReportsTheClosestAndTheFirstOnTies) {
  auto a = Make3D(3, 3, 3, [](int32_t x, int32_t y, int32_t z) { return Tag(x, y, z); });
  int32_t c = 0, r = 0, l = 0;
  a->Find(0, 0, 0, 0, 0, 0, 2231, c, r, l);
  EXPECT_EQ(std::vector<int32_t>({c, r, l}), std::vector<int32_t>({2, 2, 3}));
  a->SetVal(3, 1, 1, 2230.5);  // the same distance as (2, 2, 3)
  a->Find(0, 0, 0, 0, 0, 0, 2231, c, r, l);
  EXPECT_EQ(std::vector<int32_t>({c, r, l}), std::vector<int32_t>({2, 2, 3}));
  a->Find(3, 3, 0, 0, 0, 0, 2231, c, r, l);  // only column 3
  EXPECT_EQ(std::vector<int32_t>({c, r, l}), std::vector<int32_t>({3, 1, 1}));
}

TEST(Mat3DChecksum, FeedsColumnRowLayerOrder) {
  TMat3D zero(nullptr);
  std::string eight;
  for (int i = 0; i < 8; ++i) eight += "D202EF8D";
  EXPECT_EQ(zero.CRCofData(), eight);
  auto a = Make3D(2, 3, 2, [](int32_t x, int32_t y, int32_t z) { return Tag(x, y, z); });
  TDoubleFingerprint f;
  for (int32_t x = 1; x <= 2; ++x)
    for (int32_t y = 1; y <= 3; ++y)
      for (int32_t z = 1; z <= 2; ++z) f.Add(Tag(x, y, z));
  EXPECT_EQ(a->CRCofData(), f.Text());
}

TEST(Mat3DCopies, LayersGoToAndFromMatrices) {
  auto a = Make3D(
      4, 3, 2, [](int32_t x, int32_t y, int32_t z) { return Tag(x, y, z); }, "Cube");
  auto dest = matrix_test::MakeMatrix({{0}});
  a->CopyLayerToMatrix(dest.get(), 3, 2, 0, 0, 2);  // columns 2..3, all rows
  EXPECT_EQ(matrix_test::Cols(*dest), (TDouble2DArray{{Tag(2, 1, 2), Tag(2, 2, 2), Tag(2, 3, 2)},
                                                      {Tag(3, 1, 2), Tag(3, 2, 2), Tag(3, 3, 2)}}));
  a->CopyLayerToMatrix(nullptr, 0, 0, 0, 0, 1);  // nothing
  for (int32_t bad : {0, 3}) {
    try {
      a->CopyLayerToMatrix(dest.get(), 0, 0, 0, 0, bad);
      FAIL() << "no exception";
    } catch (const EZELMatrixError& e) {
      EXPECT_STREQ(e.what(), "Component \"Cube\": specified layer beyond data range");
    }
  }
  // Back into layer 1 from (3, 2) on: what lies beyond is dropped.
  EventLog log;
  log.Attach(*a);
  a->CopyMatrixToLayer(dest.get(), 0, 0, 0, 0, 1, 3, 2);
  EXPECT_EQ(log.Seq, "C");
  EXPECT_EQ(a->GetVal(3, 2, 1), Tag(2, 1, 2));
  EXPECT_EQ(a->GetVal(4, 3, 1), Tag(3, 2, 2));
  EXPECT_EQ(a->GetVal(2, 2, 1), Tag(2, 2, 1));
  EXPECT_EQ(a->GetVal(3, 2, 2), Tag(3, 2, 2));  // other layers untouched
  EXPECT_THROW(a->CopyMatrixToLayer(dest.get(), 0, 0, 0, 0, 3, 1, 1), EZELMatrixError);
  TMat3D unnamed(nullptr);
  try {
    unnamed.CopyLayerToMatrix(dest.get(), 0, 0, 0, 0, 2);
    FAIL() << "no exception";
  } catch (const EZELMatrixError& e) {
    EXPECT_STREQ(e.what(), "Component \"TMat3D\": specified layer beyond data range");
  }
}

TEST(Mat3DCopies, AMatrixCopiesFromOneLayerWithItsOwnBoundsAndPlacement) {
  auto a = Make3D(
      4, 3, 2, [](int32_t x, int32_t y, int32_t z) { return Tag(x, y, z); }, "Cube");
  auto m = matrix_test::MakeMatrix({{0, 0, 0}, {0, 0, 0}});
  int32_t changes = 0;
  m->OnChange = [&](TObject*) { ++changes; };
  // Columns 4..3 reversed, rows 0..2 clamped to 1..2, from layer 2 to (2, 2):
  // only what fits stays.
  m->CopyFrom(a.get(), 4, 0, 3, 2, 2, 2, 2);
  EXPECT_EQ(matrix_test::Cols(*m), (TDouble2DArray{{0, 0, 0}, {0, Tag(3, 1, 2), Tag(3, 2, 2)}}));
  EXPECT_EQ(changes, 3);  // two stored cells and the end
  changes = 0;
  m->CopyFrom(a.get(), 0, 0, 0, 0, 3, 1, 1);  // no layer 3
  m->CopyFrom(static_cast<const TMat3D*>(nullptr), 0, 0, 0, 0, 1, 1, 1);
  EXPECT_EQ(changes, 0);
}

TEST(Mat3DCopies, CloneCopiesSizesAndElementsOnly) {
  auto a = Make3D(2, 3, 4, [](int32_t x, int32_t y, int32_t z) { return Tag(x, y, z); });
  a->SetDataID("source");
  TMat3D b(nullptr);
  EventLog log;
  log.Attach(b);
  b.Clone(a.get());
  EXPECT_EQ(log.Seq, "CR");
  EXPECT_EQ(b.CRCofData(), a->CRCofData());
  EXPECT_EQ(b.GetDataID(), "");
  b.Clone(nullptr);
  EXPECT_EQ(log.Seq, "CR");
}

}  // namespace
}  // namespace zel
