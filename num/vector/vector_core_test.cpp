#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "num/vector/zel_vector.hpp"

namespace zel {
namespace {

constexpr int32_t kIntMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();

// Records the events a vector fires, in order.
struct EventLog {
  std::string Seq;
  template <class V>
  void Attach(V& v) {
    v.OnChange = [this](TObject*) { Seq += 'C'; };
    v.OnResize = [this](TObject*) { Seq += 'R'; };
  }
};

template <class V>
std::vector<typename V::TElem> Elems(const V& v) {
  std::vector<typename V::TElem> out;
  for (int32_t i = 1; i <= v.GetNrOfElem(); ++i) out.push_back(v.GetVal(i));
  return out;
}

std::unique_ptr<TVector> MakeVector(const std::vector<double>& values) {
  auto v = std::make_unique<TVector>(nullptr);
  v->Resize(static_cast<int32_t>(values.size()));
  v->CopyFrom(values, 0, static_cast<int32_t>(values.size()) - 1, 1);
  return v;
}

std::unique_ptr<TIntVector> MakeIntVector(const std::vector<int32_t>& values) {
  auto v = std::make_unique<TIntVector>(nullptr);
  v->Resize(static_cast<int32_t>(values.size()));
  v->CopyFrom(values, 0, static_cast<int32_t>(values.size()) - 1, 1);
  return v;
}

// --- creation, size and access ------------------------------------------------

TEST(VectorSize, NewVectorHasOneZeroElementAndIsEmpty) {
  TVector v(nullptr);
  EXPECT_EQ(v.GetNrOfElem(), 1);
  EXPECT_EQ(v.GetVal(1), 0.0);
  EXPECT_TRUE(v.GetIsEmpty());
  EXPECT_EQ(v.ClassName(), "TVector");
  TIntVector iv(nullptr);
  EXPECT_EQ(iv.ClassName(), "TIntVector");
}

TEST(VectorSize, OwnerDeletesItsVectors) {
  TComponent owner(nullptr);
  auto* v = new TVector(&owner);
  new TIntVector(&owner);
  EXPECT_EQ(owner.GetComponentCount(), 2);
  delete v;  // unregisters itself
  EXPECT_EQ(owner.GetComponentCount(), 1);
}

TEST(VectorSize, ResizeKeepsValuesFiresChangeThenResize) {
  TVector v(nullptr);
  EventLog log;
  log.Attach(v);
  v.SetVal(1, 7.5);
  EXPECT_TRUE(v.Resize(3));
  EXPECT_EQ(log.Seq, "CCR");
  EXPECT_EQ(Elems(v), (std::vector<double>{7.5, 0, 0}));
  log.Seq.clear();
  EXPECT_TRUE(v.Resize(3));   // same size: true, silent
  EXPECT_FALSE(v.Resize(0));  // refused, data kept
  EXPECT_FALSE(v.Resize(-4));
  EXPECT_EQ(log.Seq, "");
  EXPECT_EQ(v.GetNrOfElem(), 3);
  v.SetVecSize(-1);  // ignored
  v.SetNrOfElem(2);
  EXPECT_EQ(v.GetNrOfElem(), 2);
  EXPECT_EQ(log.Seq, "CR");
}

TEST(VectorSize, OutOfRangeAccessReadsZeroAndWritesNothing) {
  auto v = MakeVector({1, 2, 3});
  EventLog log;
  log.Attach(*v);
  EXPECT_EQ(v->GetVal(0), 0.0);
  EXPECT_EQ(v->GetVal(4), 0.0);
  v->SetVal(0, 9);
  v->SetVal(4, 9);
  EXPECT_EQ(log.Seq, "");
  EXPECT_EQ(Elems(*v), (std::vector<double>{1, 2, 3}));
  v->SetVal(2, 5);
  EXPECT_EQ(log.Seq, "C");
  EXPECT_EQ(v->GetVal(2), 5.0);
}

TEST(VectorSize, IsEmptyFollowsStoresAndClear) {
  TVector v(nullptr);
  v.Resize(4);
  EXPECT_TRUE(v.GetIsEmpty());
  v.Fill(2);
  EXPECT_FALSE(v.GetIsEmpty());
  v.Clear();
  EXPECT_TRUE(v.GetIsEmpty());
  EXPECT_EQ(Elems(v), (std::vector<double>(4, 0.0)));
  v.FillSerial(1, 0.5);
  EXPECT_FALSE(v.GetIsEmpty());
  EXPECT_EQ(Elems(v), (std::vector<double>{1, 1.5, 2, 2.5}));
}

// --- ranges ------------------------------------------------------------------

TEST(VectorRange, MakeValidElemRangeNormalisesAndReportsClamping) {
  TVector v(nullptr);
  v.Resize(10);
  struct Case {
    int32_t lo, hi, wantLo, wantHi, result;
  } cases[] = {
      {0, 0, 1, 10, 0},     // both 0: whole vector
      {5, 2, 2, 5, 0},      // an exchange alone keeps 0
      {-3, 20, 1, 10, -1},  // both clamped
      {0, 4, 1, 4, -1},     // a single 0 is clamped, not "whole"
      {12, 3, 3, 10, -1},   // clamped, then exchanged
      {7, 7, 7, 7, 0},
  };
  for (const Case& c : cases) {
    int32_t lo = c.lo, hi = c.hi;
    EXPECT_EQ(v.MakeValidElemRange(lo, hi), c.result) << c.lo << ".." << c.hi;
    EXPECT_EQ(lo, c.wantLo) << c.lo << ".." << c.hi;
    EXPECT_EQ(hi, c.wantHi) << c.lo << ".." << c.hi;
  }
}

// --- assignment and copies ------------------------------------------------------

TEST(VectorCopy, AssignCopiesDataIsEmptyAndHandlers) {
  auto src = MakeVector({1, 2, 3});
  int fired = 0;
  src->OnChange = [&](TObject*) { ++fired; };
  src->OnSortExchange = [](TObject*, int32_t, int32_t, int32_t, int32_t, int32_t) {};
  TVector dst(nullptr);
  dst.Assign(src.get());
  EXPECT_EQ(Elems(dst), (std::vector<double>{1, 2, 3}));
  EXPECT_FALSE(dst.GetIsEmpty());
  EXPECT_EQ(fired, 1);  // the copied handler reports the assignment
  EXPECT_TRUE(static_cast<bool>(dst.OnSortExchange));
  dst.SetVal(1, 4);
  EXPECT_EQ(fired, 2);  // the handler now also serves dst

  TIntVector iv(nullptr);
  EXPECT_THROW(iv.Assign(src.get()), Exception);  // element types differ
  TVector back(nullptr);
  EXPECT_TRUE(dst.AssignTo(&back));
  EXPECT_EQ(back.GetVal(1), 4.0);
  EXPECT_FALSE(dst.AssignTo(&iv));
}

TEST(VectorCopy, CloneCopiesElementsButNotHandlers) {
  auto src = MakeVector({4, 5});
  src->OnChange = [](TObject*) {};
  TVector dst(nullptr);
  EventLog log;
  log.Attach(dst);
  dst.Clone(src.get());
  EXPECT_EQ(Elems(dst), (std::vector<double>{4, 5}));
  EXPECT_EQ(log.Seq, "CR");
  dst.Clone(nullptr);
  EXPECT_EQ(dst.GetNrOfElem(), 2);
}

TEST(VectorCopy, CopyFromVectorStatusCodesAndTruncation) {
  auto src = MakeVector({1, 2, 3, 4});
  TVector dst(nullptr);
  dst.Resize(3);
  EXPECT_EQ(dst.CopyFrom(static_cast<const TVector*>(nullptr), 0, 0, 1), kVecCopyNoSource);
  EXPECT_EQ(dst.CopyFrom(src.get(), 0, 0, 4), kVecCopyBadDest);
  EXPECT_EQ(dst.CopyFrom(src.get(), 0, 0, 0), kVecCopyBadDest);
  EXPECT_EQ(dst.CopyFrom(src.get(), 0, 5, 1), kVecCopyBadBound);
  EXPECT_EQ(dst.CopyFrom(src.get(), 1, 0, 1), kVecCopyBadBound);
  EXPECT_TRUE(dst.GetIsEmpty());                            // nothing happened so far
  EXPECT_EQ(dst.CopyFrom(src.get(), 4, 2, 2), kVecCopyOk);  // reversed bounds, end cut
  EXPECT_EQ(Elems(dst), (std::vector<double>{0, 2, 3}));
  EXPECT_FALSE(dst.GetIsEmpty());
}

TEST(VectorCopy, CopyFromItselfHandlesOverlap) {
  auto v = MakeVector({1, 2, 3, 4, 5});
  EXPECT_EQ(v->CopyFrom(v.get(), 1, 4, 2), kVecCopyOk);  // shift right by one
  EXPECT_EQ(Elems(*v), (std::vector<double>{1, 1, 2, 3, 4}));
  auto w = MakeVector({1, 2, 3, 4, 5});
  EXPECT_EQ(w->CopyFrom(w.get(), 2, 5, 1), kVecCopyOk);  // shift left by one
  EXPECT_EQ(Elems(*w), (std::vector<double>{2, 3, 4, 5, 5}));
}

TEST(VectorCopy, CopyFromArrayUsesZeroBasedBounds) {
  TIntVector v(nullptr);
  v.Resize(3);
  const TIntArray a{10, 20, 30};
  EXPECT_EQ(v.CopyFrom(TIntArray{}, 0, 0, 1), kVecCopyNoSource);
  EXPECT_EQ(v.CopyFrom(a, 0, 3, 1), kVecCopyBadBound);
  EXPECT_EQ(v.CopyFrom(a, -1, 1, 1), kVecCopyBadBound);
  EXPECT_EQ(v.CopyFrom(a, 0, 1, 4), kVecCopyBadDest);
  EXPECT_EQ(v.CopyFrom(a, 0, 0, 2), kVecCopyOk);  // (0, 0) is element 0 only
  EXPECT_EQ(Elems(v), (std::vector<int32_t>{0, 10, 0}));
  EXPECT_EQ(v.CopyFrom(a, 2, 1, 2), kVecCopyOk);
  EXPECT_EQ(Elems(v), (std::vector<int32_t>{0, 20, 30}));
}

TEST(VectorCopy, TwoDimensionalCopiesClampAndSkipEmptyArrays) {
  const TDouble2DArray a{{1, 2, 3}, {4, 5, 6}};  // a[column][row]
  TVector v(nullptr);
  v.Resize(4);
  v.CopyFrom2DArrayColumn(a, 7, 2, 0, 2);  // column clamped to 1, rows ordered
  EXPECT_EQ(Elems(v), (std::vector<double>{0, 4, 5, 6}));
  v.CopyFrom2DArrayRow(a, -5, 0, 1, 3);  // row clamped to 0; last cell dropped
  EXPECT_EQ(Elems(v), (std::vector<double>{0, 4, 1, 4}));
  v.CopyFrom2DArrayColumn(a, 0, 0, 2, 0);  // position 0 skipped
  EXPECT_EQ(Elems(v), (std::vector<double>{2, 3, 1, 4}));

  EventLog log;
  log.Attach(v);
  v.CopyFrom2DArrayColumn(TDouble2DArray{}, 0, 0, 0, 1);
  v.CopyFrom2DArrayColumn(TDouble2DArray{{}}, 0, 0, 0, 1);
  v.CopyFrom2DArrayRow(TDouble2DArray{}, 0, 0, 0, 1);
  v.CopyFrom2DArrayRow(TDouble2DArray{{1, 2}, {3}}, 0, 0, 1, 1);  // ragged
  v.CopyFrom2DArrayColumn(a, 0, 0, 2, 5);                         // beyond the end
  EXPECT_EQ(log.Seq, "");

  TDouble2DArray dest{{0, 0}, {0, 0}, {0, 0}};
  v.CopyToArray(dest, 1, 3, 1, 9, true);  // row clamped to 1, one cell fits
  EXPECT_EQ(dest, (TDouble2DArray{{0, 0}, {0, 2}, {0, 0}}));
  v.CopyToArray(dest, 2, 4, 1, 0, false);  // along row 0 from column 1
  EXPECT_EQ(dest, (TDouble2DArray{{0, 0}, {3, 2}, {1, 0}}));
  TDouble2DArray empty;
  v.CopyToArray(empty, 0, 0, 0, 0, true);
  EXPECT_TRUE(empty.empty());
  TDouble2DArray emptyCol{{}};
  v.CopyToArray(emptyCol, 0, 0, 0, 0, true);
  EXPECT_TRUE(emptyCol[0].empty());
}

TEST(VectorCopy, CopyToArrayResizesFromDestElem) {
  auto v = MakeVector({1, 2, 3});
  TDoubleArray a{9, 9, 9, 9, 9};
  v->CopyToArray(a, 3, 2, 1);
  EXPECT_EQ(a, (TDoubleArray{9, 2, 3}));
  v->CopyToArray(a, 0, 0, -4);
  EXPECT_EQ(a, (TDoubleArray{1, 2, 3}));
}

// --- fills and in-place operations --------------------------------------------

TEST(VectorInPlace, IntegerArithmeticWrapsAround32Bits) {
  auto v = MakeIntVector({kIntMin, -5, kIntMax});
  v->AbsVal();
  EXPECT_EQ(Elems(*v), (std::vector<int32_t>{kIntMin, 5, kIntMax}));
  auto w = MakeIntVector({1, 1, 1});
  v->Add(w.get());
  EXPECT_EQ(Elems(*v), (std::vector<int32_t>{kIntMin + 1, 6, kIntMin}));
  v->Subtract(w.get());
  EXPECT_EQ(Elems(*v), (std::vector<int32_t>{kIntMin, 5, kIntMax}));
  v->SMult(2);
  EXPECT_EQ(Elems(*v), (std::vector<int32_t>{0, 10, -2}));
  TIntVector s(nullptr);
  s.Resize(3);
  s.FillSerial(kIntMax - 1, 1);
  EXPECT_EQ(Elems(s), (std::vector<int32_t>{kIntMax - 1, kIntMax, kIntMin}));
}

TEST(VectorInPlace, MirrorAndShuffleKeepTheElements) {
  auto v = MakeVector({1, 2, 3, 4, 5, 6, 7, 8});
  v->Mirror();
  EXPECT_EQ(Elems(*v), (std::vector<double>{8, 7, 6, 5, 4, 3, 2, 1}));
  EventLog log;
  log.Attach(*v);
  v->ShuffleElems();
  EXPECT_EQ(log.Seq, "C");
  auto e = Elems(*v);
  std::sort(e.begin(), e.end());
  EXPECT_EQ(e, (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(VectorInPlace, SetLengRescalesUnlessLengthIsZero) {
  auto v = MakeVector({3, 4});
  EXPECT_DOUBLE_EQ(v->GetLeng(), 5);
  v->SetLeng(10);
  EXPECT_DOUBLE_EQ(v->GetVal(1), 6);
  EXPECT_DOUBLE_EQ(v->GetVal(2), 8);
  TVector z(nullptr);
  z.Resize(2);
  EventLog log;
  log.Attach(z);
  z.SetLeng(3);
  EXPECT_EQ(log.Seq, "");
  auto iv = MakeIntVector({kIntMin, kIntMin});  // no overflow in the squares
  EXPECT_DOUBLE_EQ(iv->GetLeng(), std::sqrt(2.0) * 2147483648.0);
}

TEST(VectorInPlace, StandardizeOfTwoElementsOnlyCentres) {
  auto v = MakeVector({1, 3});
  double mean = 0, sd = 0;
  v->Standardize(mean, sd);
  EXPECT_EQ(mean, 2);
  EXPECT_EQ(sd, 1);  // variance 1 by convention for fewer than 3 values
  EXPECT_EQ(Elems(*v), (std::vector<double>{-1, 1}));

  auto w = MakeVector({2, 4, 4, 4, 5, 5, 7, 9});
  w->Standardize(mean, sd);
  EXPECT_DOUBLE_EQ(mean, 5);
  EXPECT_DOUBLE_EQ(sd, std::sqrt(32.0 / 7));
  double m2 = 0, var = 0;
  w->MeanVar(0, 0, m2, var);
  EXPECT_NEAR(m2, 0, 1e-14);
  EXPECT_NEAR(var, 1, 1e-14);

  auto c = MakeVector({3, 3, 3});
  c->Standardize(mean, sd);
  EXPECT_EQ(Elems(*c), (std::vector<double>{3, 3, 3}));  // sd 0: unchanged
}

TEST(VectorInPlace, MeanCenterAndQNormalize) {
  auto v = MakeVector({1, 2, 6});
  EXPECT_DOUBLE_EQ(v->MeanCenter(), 3);
  EXPECT_EQ(Elems(*v), (std::vector<double>{-2, -1, 3}));

  auto q = MakeVector({1, 2, 3, 4, 5});
  double median = 0, diff = 0;
  q->QNormalize(75, median, diff);  // median 3, 75th percentile 4
  EXPECT_EQ(median, 3);
  EXPECT_EQ(diff, 1);
  EXPECT_EQ(Elems(*q), (std::vector<double>{-2, -1, 0, 1, 2}));
}

TEST(VectorInPlace, RandomFillsStayInRangeAndMatchMoments) {
  TVector v(nullptr);
  v.Resize(20000);
  v.FillRandomUniform(-2, 6);
  double mn = 0, mx = 0;
  v.MinMax(0, 0, mn, mx);
  EXPECT_GE(mn, -2);
  EXPECT_LT(mx, 6);
  EXPECT_FALSE(v.GetIsEmpty());
  v.FillRandomGauss(10, 2);
  double mean = 0, var = 0;
  v.MeanVar(0, 0, mean, var);
  // Standard error of the mean is 2/sqrt(20000) = 0.014; of the variance
  // about 4*sqrt(2/20000) = 0.04.
  EXPECT_NEAR(mean, 10, 0.1);
  EXPECT_NEAR(var, 4, 0.25);
}

}  // namespace
}  // namespace zel
