#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "core/zel_univconst.hpp"
#include "num/matrix/matrix_test_impl.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zel {
namespace {

using matrix_test::Cols;
using matrix_test::EventLog;
using matrix_test::MakeMatrix;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();

std::unique_ptr<TVector> MakeVector(const std::vector<double>& values) {
  auto v = std::make_unique<TVector>(nullptr);
  v->Resize(static_cast<int32_t>(values.size()));
  v->CopyFrom(values, 0, static_cast<int32_t>(values.size()) - 1, 1);
  return v;
}

std::vector<double> Elems(const TVector& v) {
  std::vector<double> out;
  for (int32_t i = 1; i <= v.GetNrOfElem(); ++i) out.push_back(v.GetVal(i));
  return out;
}

// --- creation, size and access -------------------------------------------------

TEST(MatrixSize, NewMatrixIsOneByOneZeroWithDefaultPrecisions) {
  TMatrix m(nullptr);
  EXPECT_EQ(m.GetNrOfColumns(), 1);
  EXPECT_EQ(m.GetNrOfRows(), 1);
  EXPECT_EQ(m.GetVal(1, 1), 0.0);
  EXPECT_EQ(m.GetPrecision(1), 15);
  EXPECT_EQ(m.GetPrecision(2), -1);
  EXPECT_EQ(m.GetDataID(), "");
  EXPECT_EQ(m.ClassName(), "TMatrix");
  EXPECT_FALSE(m.OnChange || m.OnResize || m.OnSortExchange || m.OnPercentDone || m.OnCalcDistance);
}

TEST(MatrixSize, PrecisionSelectsByIndexAndClampsToMinusOneTo25) {
  TMatrix m(nullptr);
  m.SetPrecision(1, 30);
  EXPECT_EQ(m.GetPrecision(1), 25);
  m.SetPrecision(0, -5);  // ix <= 1 is the first precision
  EXPECT_EQ(m.GetPrecision(1), -1);
  m.SetPrecision(7, 12);  // ix > 1 is the second
  EXPECT_EQ(m.GetPrecision(2), 12);
  EXPECT_EQ(m.GetPrecision(1), -1);
}

TEST(MatrixSize, OwnerDeletesItsMatrices) {
  TComponent owner(nullptr);
  auto* m = new TMatrix(&owner);
  new TMatrix(&owner);
  EXPECT_EQ(owner.GetComponentCount(), 2);
  delete m;
  EXPECT_EQ(owner.GetComponentCount(), 1);
}

TEST(MatrixSize, ResizeKeepsOverlapZeroesNewCellsAndFiresChangeThenResize) {
  auto m = MakeMatrix({{1, 2}, {3, 4}, {5, 6}});
  EventLog log;
  log.Attach(*m);
  EXPECT_TRUE(m->Resize(2, 3));
  EXPECT_EQ(log.Seq, "CR");
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{1, 2, 0}, {3, 4, 0}}));
  EXPECT_TRUE(m->Resize(4, 3));  // columns only: kept columns move over
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{1, 2, 0}, {3, 4, 0}, {0, 0, 0}, {0, 0, 0}}));
  EXPECT_TRUE(m->Resize(1, 3));
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{1, 2, 0}}));
  EXPECT_EQ(log.Seq, "CRCRCR");
}

TEST(MatrixSize, ReplaceDataMovesStorageInWithOneChangeAndRefusesBadShapes) {
  auto m = MakeMatrix({{1, 2}, {3, 4}});
  EventLog log;
  log.Attach(*m);
  TDouble2DArray same{{5, 6}, {7, 8}};
  EXPECT_TRUE(m->ReplaceData(std::move(same)));
  EXPECT_EQ(log.Seq, "C");  // same size: no OnResize
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{5, 6}, {7, 8}}));
  TDouble2DArray wider{{1}, {2}, {3}};
  EXPECT_TRUE(m->ReplaceData(std::move(wider)));
  EXPECT_EQ(log.Seq, "CCR");
  EXPECT_EQ(m->GetNrOfColumns(), 3);
  EXPECT_EQ(m->GetNrOfRows(), 1);
  for (TDouble2DArray bad : {TDouble2DArray{}, TDouble2DArray{{}}, TDouble2DArray{{1, 2}, {3}}}) {
    const TDouble2DArray before = bad;
    EXPECT_FALSE(m->ReplaceData(std::move(bad)));
    EXPECT_EQ(bad, before);  // left as it was
  }
  EXPECT_EQ(log.Seq, "CCR");
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{1}, {2}, {3}}));
}

TEST(MatrixSize, ResizeToNonPositiveOrSameSizeChangesNothingAndIsSilent) {
  auto m = MakeMatrix({{1, 2}, {3, 4}});
  EventLog log;
  log.Attach(*m);
  EXPECT_FALSE(m->Resize(0, 5));
  EXPECT_FALSE(m->Resize(3, -1));
  EXPECT_TRUE(m->Resize(2, 2));
  m->SetNrOfColumns(0);
  m->SetNrOfColumns(-3);
  m->SetNrOfRows(0);
  EXPECT_EQ(log.Seq, "");
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{1, 2}, {3, 4}}));
  m->SetNrOfColumns(3);
  m->SetNrOfRows(1);
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{1}, {3}, {0}}));
  EXPECT_EQ(log.Seq, "CRCR");
}

TEST(MatrixSize, ImpossibleSizeThrowsAndLeavesTheMatrixAsItWas) {
  auto m = MakeMatrix({{1, 2}, {3, 4}}, "Big");
  EventLog log;
  log.Attach(*m);
  try {
    m->Resize(kIntMax, kIntMax);
    FAIL() << "no exception";
  } catch (const EZELMatrixError& e) {
    EXPECT_STREQ(e.what(), "Component \"Big\": not enough memory on heap");
  }
  EXPECT_THROW(m->ResizeAndClear(kIntMax, kIntMax), EZELError);
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{1, 2}, {3, 4}}));
  EXPECT_EQ(log.Seq, "");
}

TEST(MatrixSize, ResizeAndClearZeroesEverything) {
  auto m = MakeMatrix({{1, 2}, {3, 4}});
  m->ResizeAndClear(2, 2);  // same size: only the clear
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{0, 0}, {0, 0}}));
  m->Fill(7);
  m->ResizeAndClear(1, 3);
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{0, 0, 0}}));
}

TEST(MatrixAccess, OutsideReadsZeroAndWritesNothingSilently) {
  auto m = MakeMatrix({{1, 2}, {3, 4}});
  EventLog log;
  log.Attach(*m);
  EXPECT_EQ(m->GetVal(0, 1), 0.0);
  EXPECT_EQ(m->GetVal(3, 1), 0.0);
  EXPECT_EQ(m->GetVal(1, 3), 0.0);
  m->SetVal(0, 1, 9);
  m->SetVal(1, 3, 9);
  m->SetVal(-1, -1, 9);
  EXPECT_EQ(log.Seq, "");
  m->SetVal(2, 1, 9);
  EXPECT_EQ(log.Seq, "C");
  EXPECT_EQ(m->GetVal(2, 1), 9.0);  // column 2, row 1
  EXPECT_EQ(m->GetMat()[1][0], 9.0);
}

// --- ranges ---------------------------------------------------------------------

TEST(MatrixRanges, BothZeroIsTheWholeRangeAndNotACorrection) {
  auto m = MakeMatrix({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {1, 1, 1}, {2, 2, 2}});
  int32_t lo = 0, hi = 0;
  EXPECT_FALSE(m->MakeValidColRange(lo, hi));
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 5);
  lo = 0, hi = 0;
  EXPECT_FALSE(m->MakeValidRowRange(lo, hi));
  EXPECT_EQ(hi, 3);
}

TEST(MatrixRanges, ClampsAndExchangesAndReportsEitherAsCorrection) {
  auto m = MakeMatrix({{1}, {2}, {3}, {4}, {5}});
  struct Case {
    int32_t lo, hi, wantLo, wantHi;
    bool corrected;
  };
  const Case cases[] = {{2, 4, 2, 4, false}, {4, 2, 2, 4, true},  {0, 3, 1, 3, true},
                        {2, 9, 2, 5, true},  {-4, 0, 1, 1, true}, {9, 7, 5, 5, true},
                        {7, 0, 1, 5, true},  {5, 5, 5, 5, false}};
  for (const Case& c : cases) {
    int32_t lo = c.lo, hi = c.hi;
    EXPECT_EQ(m->MakeValidColRange(lo, hi), c.corrected) << c.lo << ".." << c.hi;
    EXPECT_EQ(lo, c.wantLo) << c.lo << ".." << c.hi;
    EXPECT_EQ(hi, c.wantHi) << c.lo << ".." << c.hi;
  }
}

// --- assignment and clone ----------------------------------------------------------

TEST(MatrixCopy, AssignCopiesDataSizesIdPrecisionsAndHandlers) {
  auto src = MakeMatrix({{1, 2}, {3, 4}, {5, 6}});
  src->SetDataID("abc");
  src->SetPrecision(1, 4);
  src->SetPrecision(2, 9);
  int fired = 0;
  src->OnChange = [&](TObject*) { ++fired; };
  src->OnCalcDistance = [](TObject*, int32_t, int32_t, double& d) { d = 42; };
  TMatrix dst(nullptr);
  dst.Assign(src.get());
  EXPECT_EQ(Cols(dst), Cols(*src));
  EXPECT_EQ(dst.GetDataID(), "abc");
  EXPECT_EQ(dst.GetPrecision(1), 4);
  EXPECT_EQ(dst.GetPrecision(2), 9);
  EXPECT_EQ(fired, 1);  // the copied handler fires once
  double d = 0;
  dst.OnCalcDistance(&dst, 1, 2, d);
  EXPECT_EQ(d, 42.0);
  TMatrix other(nullptr);
  TVector v(nullptr);
  EXPECT_TRUE(src->AssignTo(&other));
  EXPECT_EQ(other.GetDataID(), "abc");
  EXPECT_FALSE(src->AssignTo(&v));
  EXPECT_THROW(dst.Assign(&v), Exception);
  dst.Assign(&dst);  // no-op
  EXPECT_EQ(Cols(dst), Cols(*src));
}

TEST(MatrixCopy, CloneCopiesElementsOnlyAndFiresPerCellThenChangeAndResize) {
  auto src = MakeMatrix({{1, 2, 3}, {4, 5, 6}});
  src->SetDataID("src");
  TMatrix dst(nullptr);
  dst.SetPrecision(1, 3);
  EventLog log;
  log.Attach(dst);
  dst.Clone(src.get());
  EXPECT_EQ(Cols(dst), Cols(*src));
  EXPECT_EQ(dst.GetDataID(), "");
  EXPECT_EQ(dst.GetPrecision(1), 3);
  EXPECT_FALSE(src->OnChange);
  // Resize (CR), six stored cells, then the closing OnChange and OnResize.
  EXPECT_EQ(log.Seq, "CR" + std::string(6, 'C') + "CR");
  log.Seq.clear();
  dst.Clone(nullptr);
  EXPECT_EQ(log.Seq, "");
  dst.Clone(&dst);  // into itself: same result and the same events as a copy
  EXPECT_EQ(Cols(dst), Cols(*src));
  EXPECT_EQ(log.Seq, std::string(6, 'C') + "CR");
}

TEST(MatrixCopy, CloneWithoutChangeHandlerStillReportsTheResize) {
  auto src = MakeMatrix({{1, 2, 3}, {4, 5, 6}});
  TMatrix dst(nullptr);
  int resized = 0;
  dst.OnResize = [&](TObject*) { ++resized; };
  dst.Clone(src.get());
  EXPECT_EQ(Cols(dst), Cols(*src));
  EXPECT_EQ(resized, 2);  // the size change and the closing OnResize
}

// --- CopyFrom ------------------------------------------------------------------

TEST(MatrixCopy, CopyFromPlacesTheClampedRectangleAndDropsCellsOutside) {
  auto src = MakeMatrix({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
  TMatrix dst(nullptr);
  dst.Resize(3, 3);
  // Columns 2..3, rows 2..3 to (1, 2): row 3 of the source would land on
  // row 3, still inside; the bound 9 is clamped to 3.
  dst.CopyFrom(src.get(), 2, 2, 9, 3, 1, 2);
  EXPECT_EQ(Cols(dst), (TDouble2DArray{{0, 5, 6}, {0, 8, 9}, {0, 0, 0}}));
  dst.Fill(0);
  dst.CopyFrom(src.get(), 3, 3, 1, 1, 3, 3);  // reversed bounds; only (1,1)->(3,3) fits
  EXPECT_EQ(Cols(dst), (TDouble2DArray{{0, 0, 0}, {0, 0, 0}, {0, 0, 1}}));
  dst.Fill(0);
  dst.CopyFrom(src.get(), 0, 0, 0, 0, 0, -1);  // whole source, shifted up-left
  EXPECT_EQ(Cols(dst), (TDouble2DArray{{6, 0, 0}, {9, 0, 0}, {0, 0, 0}}));
}

TEST(MatrixCopy, CopyFromFiresOncePerStoredCellAndOnceAtTheEnd) {
  auto src = MakeMatrix({{1, 2}, {3, 4}});
  TMatrix dst(nullptr);
  dst.Resize(2, 2);
  EventLog log;
  log.Attach(dst);
  dst.CopyFrom(src.get(), 0, 0, 0, 0, 2, 1);  // two cells fit
  EXPECT_EQ(log.Seq, "CCC");
  EXPECT_EQ(Cols(dst), (TDouble2DArray{{0, 0}, {1, 2}}));
  log.Seq.clear();
  dst.CopyFrom(nullptr, 0, 0, 0, 0, 1, 1);
  EXPECT_EQ(log.Seq, "");
}

TEST(MatrixCopy, CopyFromItselfWithOverlapEqualsCopyFromADistinctMatrix) {
  const TDouble2DArray data{{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}};
  for (const auto& [dc, dr] : std::vector<std::pair<int, int>>{{2, 2}, {1, 2}, {0, 0}, {2, 1}}) {
    auto self = MakeMatrix(data);
    auto target = MakeMatrix(data);
    auto source = MakeMatrix(data);
    self->CopyFrom(self.get(), 1, 1, 2, 3, dc, dr);
    target->CopyFrom(source.get(), 1, 1, 2, 3, dc, dr);
    EXPECT_EQ(Cols(*self), Cols(*target)) << dc << "," << dr;
  }
  // With a handler the per-cell path reads the block first as well.
  auto self = MakeMatrix(data);
  auto target = MakeMatrix(data);
  auto source = MakeMatrix(data);
  int fired = 0;
  self->OnChange = [&](TObject*) { ++fired; };
  self->CopyFrom(self.get(), 1, 1, 3, 4, 1, 2);
  target->CopyFrom(source.get(), 1, 1, 3, 4, 1, 2);
  EXPECT_EQ(Cols(*self), Cols(*target));
  EXPECT_EQ(fired, 3 * 3 + 1);
}

// --- copies to and from vectors and arrays ----------------------------------------

TEST(MatrixCopy, CopyColToVecZeroFillsThenCopiesFromDestElemTruncated) {
  auto m = MakeMatrix({{1, 2, 3}, {4, 5, 6}});
  auto v = MakeVector({9, 9, 9, 9});
  m->CopyColToVec(v.get(), 2, 0, 0);
  EXPECT_EQ(Elems(*v), (std::vector<double>{4, 5, 6, 0}));
  m->CopyColToVec(v.get(), 7, 3, 2, 3);  // column clamped to 2, rows ordered
  EXPECT_EQ(Elems(*v), (std::vector<double>{0, 0, 5, 6}));
  m->CopyColToVec(v.get(), -1, 1, 3, 3);  // column clamped to 1, truncated
  EXPECT_EQ(Elems(*v), (std::vector<double>{0, 0, 1, 2}));
  m->CopyColToVec(v.get(), 1, 1, 3, 5);  // beyond the vector: only the zero fill
  EXPECT_EQ(Elems(*v), (std::vector<double>{0, 0, 0, 0}));
  m->CopyColToVec(v.get(), 1, 1, 3, 0);  // position 0 is skipped
  EXPECT_EQ(Elems(*v), (std::vector<double>{2, 3, 0, 0}));
  m->CopyColToVec(nullptr, 1, 1, 3);
}

TEST(MatrixCopy, CopyRowToVecAndToArrays) {
  auto m = MakeMatrix({{1, 2}, {3, 4}, {5, 6}});
  auto v = MakeVector({9, 9});
  m->CopyRowToVec(v.get(), 2, 0, 0);
  EXPECT_EQ(Elems(*v), (std::vector<double>{2, 4}));  // truncated to the vector
  m->CopyRowToVec(v.get(), 5, 3, 2, 2);               // row clamped to 2
  EXPECT_EQ(Elems(*v), (std::vector<double>{0, 4}));
  TDoubleArray a(5, 9);
  m->CopyRowTo1DArray(a, 1, 0, 0, 1);
  EXPECT_EQ(a, (TDoubleArray{0, 1, 3, 5, 0}));
  m->CopyColTo1DArray(a, 3, 0, 0, 4);
  EXPECT_EQ(a, (TDoubleArray{0, 0, 0, 0, 5}));
  m->CopyColTo1DArray(a, 3, 0, 0, -1);
  EXPECT_EQ(a, (TDoubleArray{6, 0, 0, 0, 0}));
  TDoubleArray empty;
  m->CopyColTo1DArray(empty, 1, 0, 0, 0);
  EXPECT_TRUE(empty.empty());
}

TEST(MatrixCopy, CopyFromVecGoesAlongARowOrDownAColumn) {
  auto v = MakeVector({1, 2, 3});
  TMatrix m(nullptr);
  m.Resize(3, 3);
  EventLog log;
  log.Attach(m);
  m.CopyFromVec(TDims::dimColumns, v.get(), 2, 3, 2, 1);
  EXPECT_EQ(Cols(m), (TDouble2DArray{{0, 0, 0}, {2, 0, 0}, {3, 0, 0}}));
  EXPECT_EQ(log.Seq, "CCC");
  m.Fill(0);
  m.CopyFromVec(v.get(), 0, 0, 1, 2);  // down a column by default; row 4 dropped
  EXPECT_EQ(Cols(m), (TDouble2DArray{{0, 1, 2}, {0, 0, 0}, {0, 0, 0}}));
  m.CopyFromVec(v.get(), 5, 1, 1, 3, false);  // range 1..3 (clamped, ordered)
  EXPECT_EQ(Cols(m), (TDouble2DArray{{0, 1, 1}, {0, 0, 2}, {0, 0, 3}}));
  log.Seq.clear();
  m.CopyFromVec(nullptr, 1, 3, 1, 1, true);
  EXPECT_EQ(log.Seq, "");
}

TEST(MatrixCopy, CopyFromArrayReportsItsCodesInOrder) {
  TMatrix m(nullptr);
  m.Resize(2, 3);
  EventLog log;
  log.Attach(m);
  EXPECT_EQ(m.CopyFromArray(TDoubleArray{}, 0, 0, 1, 1, true), kMatCopyFromEmpty);
  EXPECT_EQ(m.CopyFromArray(TDoubleArray{1, 2}, 0, 2, 1, 1, true), kMatCopyFromBadElement);
  EXPECT_EQ(m.CopyFromArray(TDoubleArray{1, 2}, -1, 1, 1, 1, true), kMatCopyFromBadElement);
  EXPECT_EQ(m.CopyFromArray(TDoubleArray{1, 2}, 0, 1, 3, 1, true), kMatCopyFromOutside);
  EXPECT_EQ(m.CopyFromArray(TDoubleArray{1, 2}, 0, 1, 1, 0, true), kMatCopyFromOutside);
  EXPECT_EQ(log.Seq, "");
  EXPECT_EQ(Cols(m), (TDouble2DArray{{0, 0, 0}, {0, 0, 0}}));
}

TEST(MatrixCopy, CopyFromArrayStartsTheFirstElementAtTheGivenCell) {
  TMatrix m(nullptr);
  m.Resize(3, 3);
  const TDoubleArray src{10, 11, 12, 13};
  // Element FirstElem goes to Row, not to Row + FirstElem.
  EXPECT_EQ(m.CopyFromArray(src, 2, 3, 1, 1, true), kMatCopyFromOk);
  EXPECT_EQ(Cols(m), (TDouble2DArray{{12, 13, 0}, {0, 0, 0}, {0, 0, 0}}));
  EXPECT_EQ(m.CopyFromArray(src, 3, 1, 2, 3, false),
            kMatCopyFromOk);  // reversed; along row 3, cut at column 3
  EXPECT_EQ(Cols(m), (TDouble2DArray{{12, 13, 0}, {0, 0, 11}, {0, 0, 12}}));
  EXPECT_EQ(m.CopyFromArray(TIntArray{7, 8, 9, 10}, 0, 0, 3, 1, true),
            kMatCopyFromOk);  // whole array, cut
  EXPECT_EQ(Cols(m)[2], (TDoubleArray{7, 8, 9}));
}

TEST(MatrixCopy, CopyFrom2DArrayCopiesTheRectangleAndAcceptsItsOwnStorage) {
  TMatrix m(nullptr);
  m.Resize(3, 3);
  const TDouble2DArray src{{1, 2, 3}, {4, 5, 6}};
  EXPECT_EQ(m.CopyFromArray(src, 1, 1, 1, 2, 2, 1), kMatCopyFromOk);  // src[1][1..2] to (2, 1)
  EXPECT_EQ(Cols(m), (TDouble2DArray{{0, 0, 0}, {5, 6, 0}, {0, 0, 0}}));
  EXPECT_EQ(m.CopyFromArray(TInt2DArray{{7, 8}}, 0, 0, 0, 0, 3, 2), kMatCopyFromOk);
  EXPECT_EQ(Cols(m)[2], (TDoubleArray{0, 7, 8}));
  EXPECT_EQ(m.CopyFromArray(TDouble2DArray{}, 0, 0, 0, 0, 1, 1), kMatCopyFromEmpty);
  EXPECT_EQ(m.CopyFromArray(TDouble2DArray{{}}, 0, 0, 0, 0, 1, 1), kMatCopyFromEmpty);
  EXPECT_EQ(m.CopyFromArray(TDouble2DArray{{1, 2}, {3}}, 0, 0, 0, 0, 1, 1), kMatCopyFromRagged);
  // Own storage, shifted down by one row: read completely before written.
  auto a = MakeMatrix({{1, 2, 3}, {4, 5, 6}});
  EXPECT_EQ(a->CopyFromArray(a->GetMat(), 0, 0, 0, 0, 1, 2), kMatCopyFromOk);
  EXPECT_EQ(Cols(*a), (TDouble2DArray{{1, 1, 2}, {4, 4, 5}}));
}

TEST(MatrixCopy, CopyToArrayReportsCorrectedBoundsAndCutsToTheDestination) {
  auto m = MakeMatrix({{1, 2, 3}, {4, 5, 6}});
  TDouble2DArray d(3, TDoubleArray(2, 0));
  EXPECT_EQ(m->CopyToArray(d, 0, 0, 0, 0, 1, 0), kMatCopyToOk);  // cut to 2 columns and 2 rows
  EXPECT_EQ(d, (TDouble2DArray{{0, 0}, {1, 2}, {4, 5}}));
  EXPECT_EQ(m->CopyToArray(d, 2, 1, 1, 3, 0, 0),
            kMatCopyToColsCorrected);  // reversed columns count as corrected
  EXPECT_EQ(m->CopyToArray(d, 1, 0, 2, 3, 0, 0), kMatCopyToRowsCorrected);
  EXPECT_EQ(m->CopyToArray(d, 1, 1, 2, 3, 3, 0), kMatCopyToOutside);
  EXPECT_EQ(m->CopyToArray(d, 1, 1, 2, 3, 0, -1), kMatCopyToOutside);
  TDouble2DArray empty;
  EXPECT_EQ(m->CopyToArray(empty, 0, 0, 0, 0, 0, 0), kMatCopyToBadDest);
  TDouble2DArray ragged{{0, 0}, {0}};
  EXPECT_EQ(m->CopyToArray(ragged, 0, 0, 0, 0, 0, 0), kMatCopyToBadDest);
  EXPECT_EQ(ragged, (TDouble2DArray{{0, 0}, {0}}));
  EXPECT_EQ(d, (TDouble2DArray{{0, 0}, {1, 2}, {4, 5}}));  // untouched by the failures
}

TEST(MatrixCopy, CopyToIntArrayRoundsHalvesToEvenSaturatesAndMapsNaNToZero) {
  auto m = MakeMatrix({{0.5, 1.5, -2.5}, {1e12, -1e12, kNaN}});
  TInt2DArray d(2, TIntArray(3, 9));
  EXPECT_EQ(m->CopyToArray(d, 0, 0, 0, 0, 0, 0), kMatCopyToOk);
  EXPECT_EQ(d, (TInt2DArray{{0, 2, -2}, {kIntMax, std::numeric_limits<int32_t>::min(), 0}}));
}

TEST(MatrixCopy, DuplicateDataAsArrayNeedsANonEmptyDestination) {
  auto m = MakeMatrix({{1, 2}, {3, 4}, {5, 6}});
  TDouble2DArray d;
  EXPECT_EQ(m->DuplicateDataAsArray(d), kMatDuplicateEmptyDest);
  EXPECT_TRUE(d.empty());
  d = {{}};
  EXPECT_EQ(m->DuplicateDataAsArray(d), kMatDuplicateOk);
  EXPECT_EQ(d, Cols(*m));
}

// --- fills --------------------------------------------------------------------

TEST(MatrixFill, RangeFillTakesBothColumnBoundsFirstAndFiresOnce) {
  TMatrix m(nullptr);
  m.Resize(3, 4);
  EventLog log;
  log.Attach(m);
  m.Fill(2, 3, 1, 2, 5.0);  // columns 2..3, rows 1..2
  EXPECT_EQ(Cols(m), (TDouble2DArray{{0, 0, 0, 0}, {5, 5, 0, 0}, {5, 5, 0, 0}}));
  m.Fill(9, 0, 4, 3, 1.0);  // clamped and ordered: columns 1..3, rows 3..4
  EXPECT_EQ(Cols(m), (TDouble2DArray{{0, 0, 1, 1}, {5, 5, 1, 1}, {5, 5, 1, 1}}));
  EXPECT_EQ(log.Seq, "CC");
}

TEST(MatrixFill, FillDiagTouchesOnlyTheDiagonalOfARectangle) {
  TMatrix m(nullptr);
  m.Resize(3, 2);
  m.Fill(7);
  m.FillDiag(1);
  EXPECT_EQ(Cols(m), (TDouble2DArray{{1, 7}, {7, 1}, {7, 7}}));
}

TEST(MatrixFill, FillSerialCountsInColumnMajorOrder) {
  TMatrix m(nullptr);
  m.Resize(2, 3);
  m.FillSerial(10, 0.5);
  EXPECT_EQ(Cols(m), (TDouble2DArray{{10, 10.5, 11}, {11.5, 12, 12.5}}));
}

// --- row and column operations ----------------------------------------------------

TEST(MatrixRowCol, TransposeExchangesSizesAndFiresChangeThenResize) {
  auto m = MakeMatrix({{1, 2, 3}, {4, 5, 6}});
  EventLog log;
  log.Attach(*m);
  m->Transpose();
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{1, 4}, {2, 5}, {3, 6}}));
  EXPECT_EQ(log.Seq, "CR");
  auto sq = MakeMatrix({{1, 2}, {3, 4}});
  sq->Transpose();
  EXPECT_EQ(Cols(*sq), (TDouble2DArray{{1, 3}, {2, 4}}));
  // Larger than one tile of the blocked copy.
  TMatrix big(nullptr);
  big.Resize(70, 45);
  big.FillSerial(0, 1);
  big.Transpose();
  ASSERT_EQ(big.GetNrOfColumns(), 45);
  for (int32_t c = 1; c <= 45; ++c)
    for (int32_t r = 1; r <= 70; ++r) ASSERT_EQ(big.GetVal(c, r), (r - 1) * 45 + (c - 1));
}

TEST(MatrixRowCol, TraceIsZeroUnlessSquare) {
  EXPECT_EQ(MakeMatrix({{1, 2}, {3, 4}})->Trace(), 5.0);
  EXPECT_EQ(MakeMatrix({{1, 2}, {3, 4}, {5, 6}})->Trace(), 0.0);
}

TEST(MatrixRowCol, RemoveColumnAndRowShiftTheRestAndRefuseTheLastOne) {
  auto m = MakeMatrix({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
  EventLog log;
  log.Attach(*m);
  EXPECT_FALSE(m->RemoveColumn(0));
  EXPECT_FALSE(m->RemoveColumn(4));
  EXPECT_FALSE(m->RemoveRow(4));
  EXPECT_EQ(log.Seq, "");
  EXPECT_TRUE(m->RemoveColumn(2));
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{1, 2, 3}, {7, 8, 9}}));
  EXPECT_TRUE(m->RemoveRow(1));
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{2, 3}, {8, 9}}));
  EXPECT_EQ(log.Seq, "CRCR");
  EXPECT_TRUE(m->RemoveColumn(1));
  EXPECT_FALSE(m->RemoveColumn(1));  // a single column stays
  EXPECT_TRUE(m->RemoveRow(2));
  EXPECT_FALSE(m->RemoveRow(1));
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{8}}));
}

TEST(MatrixRowCol, ExchangeIgnoresIndicesOutsideTheMatrix) {
  auto m = MakeMatrix({{1, 2}, {3, 4}, {5, 6}});
  EventLog log;
  log.Attach(*m);
  m->ExchangeColumns(1, 4);
  m->ExchangeColumns(0, 2);
  m->ExchangeRows(1, 3);
  m->ExchangeRows(-1, 1);
  EXPECT_EQ(log.Seq, "");
  m->ExchangeColumns(1, 3);
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{5, 6}, {3, 4}, {1, 2}}));
  m->ExchangeRows(2, 1);
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{6, 5}, {4, 3}, {2, 1}}));
  EXPECT_EQ(log.Seq, "CC");
}

TEST(MatrixRowCol, MirrorReversesColumnsOrRows) {
  auto m = MakeMatrix({{1, 2, 3}, {4, 5, 6}});
  m->MirrorColumns();
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{4, 5, 6}, {1, 2, 3}}));
  m->MirrorRows();
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{6, 5, 4}, {3, 2, 1}}));
}

TEST(MatrixRowCol, DiffTakesRepeatedDifferencesAndDropsOrderRowsOrColumns) {
  auto m = MakeMatrix({{1, 4, 9, 16, 25}, {0, 1, 0, 1, 0}});
  EventLog log;
  log.Attach(*m);
  EXPECT_EQ(m->Diff(2, TApplyColRow::acrColumns), 0);
  EXPECT_EQ(Cols(*m), (TDouble2DArray{{2, 2, 2}, {-2, 2, -2}}));
  EXPECT_EQ(log.Seq, "CR");
  auto r = MakeMatrix({{1, 0}, {3, 5}, {6, 5}, {10, 5}});
  EXPECT_EQ(r->Diff(1, TApplyColRow::acrRows), 0);
  EXPECT_EQ(Cols(*r), (TDouble2DArray{{2, 5}, {3, 0}, {4, 0}}));
}

TEST(MatrixRowCol, DiffRejectsOrdersOutsideOneToTenOrNotBelowTheCount) {
  TMatrix m(nullptr);
  m.Resize(12, 12);
  m.FillSerial(1, 1);
  const auto before = Cols(m);
  EventLog log;
  log.Attach(m);
  EXPECT_EQ(m.Diff(11, TApplyColRow::acrColumns), -1);
  EXPECT_EQ(m.Diff(0, TApplyColRow::acrRows), -1);
  auto small = MakeMatrix({{1, 2, 3}, {4, 5, 6}});
  EXPECT_EQ(small->Diff(3, TApplyColRow::acrColumns), -2);  // order = rows
  EXPECT_EQ(small->Diff(2, TApplyColRow::acrRows), -2);     // order = columns
  EXPECT_EQ(m.Diff(1, static_cast<TApplyColRow>(7)), 0);    // unknown mode: 0, nothing done
  EXPECT_EQ(Cols(m), before);
  EXPECT_EQ(log.Seq, "");
  EXPECT_EQ(Cols(*small), (TDouble2DArray{{1, 2, 3}, {4, 5, 6}}));
}

TEST(MatrixRowCol, DichotomizeMarksValuesAboveTheThreshold) {
  auto m = MakeMatrix({{1, 5, kNaN}, {3, 3.5, 9}});
  TBool2DArray out{{1}};
  EXPECT_EQ(m->Dichotomize(3, out), 3);
  EXPECT_EQ(out, (TBool2DArray{{0, 1, 0}, {0, 1, 1}}));
}

TEST(MatrixSearch, CountValuesCountsTheClosedInterval) {
  auto m = MakeMatrix({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
  EXPECT_EQ(m->CountValues(0, 0, 0, 0, 3, 7), 5);
  EXPECT_EQ(m->CountValues(2, 3, 1, 1, 0, 10), 2);  // both column bounds first
  EXPECT_EQ(m->CountValues(0, 0, 0, 0, 7, 3), 0);
}

TEST(MatrixSearch, FindReportsTheFirstClosestCellInColumnMajorOrder) {
  auto m = MakeMatrix({{1, 6, kNaN}, {4, 4, 9}});
  int32_t c = 0, r = 0;
  m->Find(0, 0, 0, 0, 5, c, r);  // 6 (1,2), 4 (2,1) and 4 (2,2) are all 1 away
  EXPECT_EQ(c, 1);
  EXPECT_EQ(r, 2);
  m->Find(2, 2, 0, 0, 5, c, r);
  EXPECT_EQ(c, 2);
  EXPECT_EQ(r, 1);
  m->Find(1, 1, 3, 3, 5, c, r);  // only a NaN: the range's first cell
  EXPECT_EQ(c, 1);
  EXPECT_EQ(r, 3);
  auto huge = MakeMatrix({{-1.7e308, 1.7e308}});
  huge->Find(0, 0, 0, 0, 1.7e308, c, r);  // differences beyond the double range
  EXPECT_EQ(r, 2);
}

TEST(MatrixSearch, FindInSortedColumnBisectsAndTakesTheCloserBound) {
  auto m = MakeMatrix({{1, 3, 5, 7, 9, 11}, {11, 9, 7, 5, 3, 1}});
  EXPECT_EQ(m->FindInSortedColumn(1, true, 7), 4);
  EXPECT_EQ(m->FindInSortedColumn(1, true, 7.9), 4);
  EXPECT_EQ(m->FindInSortedColumn(1, true, 8.1), 5);
  EXPECT_EQ(m->FindInSortedColumn(1, true, 8), 5);  // tie: the upper bound
  EXPECT_EQ(m->FindInSortedColumn(1, true, -50), 1);
  EXPECT_EQ(m->FindInSortedColumn(1, true, 50), 6);
  EXPECT_EQ(m->FindInSortedColumn(2, false, 7.9), 3);
  EXPECT_EQ(m->FindInSortedColumn(2, false, 0), 6);
  EXPECT_EQ(m->FindInSortedColumn(3, true, 1), 0);
  auto two = MakeMatrix({{10, 20}});
  EXPECT_EQ(two->FindInSortedColumn(1, true, 14), 1);
  EXPECT_EQ(two->FindInSortedColumn(1, true, 15), 2);
  EXPECT_EQ(MakeMatrix({{10}})->FindInSortedColumn(1, true, 99), 1);
}

TEST(MatrixSearch, EdgeVectorReducesRowsOrColumnsOverTheListedIndices) {
  auto m = MakeMatrix({{1, 2, 3}, {4, 6, 8}, {-1, 0, 10}});
  TVector v(nullptr);
  EXPECT_EQ(m->EdgeVector(TOrientation::orRowwise, TEdgeOp::eoSum, &v), kMatEdgeOk);
  EXPECT_EQ(Elems(v), (std::vector<double>{4, 8, 21}));
  EXPECT_EQ(m->EdgeVector(TOrientation::orColwise, TEdgeOp::eoMax, &v), kMatEdgeOk);
  EXPECT_EQ(Elems(v), (std::vector<double>{3, 8, 10}));
  EXPECT_EQ(m->EdgeVector(TOrientation::orColwise, TEdgeOp::eoMean, TIntArray{3, 1}, &v),
            kMatEdgeOk);
  EXPECT_EQ(Elems(v), (std::vector<double>{2, 6, 4.5}));
  EXPECT_EQ(m->EdgeVector(TOrientation::orRowwise, TEdgeOp::eoMin, TIntArray{2, 5, 0}, &v),
            kMatEdgeSkipped);
  EXPECT_EQ(Elems(v), (std::vector<double>{4, 6, 8}));
  EXPECT_EQ(m->EdgeVector(TOrientation::orRowwise, TEdgeOp::eoMin, TIntArray{9}, &v),
            kMatEdgeSkipped);
  EXPECT_EQ(Elems(v), (std::vector<double>(3, uc_MaxDouble)));
  EXPECT_EQ(m->EdgeVector(TOrientation::orRowwise, TEdgeOp::eoMean, TIntArray{9}, &v),
            kMatEdgeSkipped);
  EXPECT_EQ(Elems(v), (std::vector<double>(3, 0.0)));
  EXPECT_EQ(m->EdgeVector(TOrientation::orRowwise, TEdgeOp::eoMax, nullptr), kMatEdgeNoDest);
}

TEST(MatrixSearch, EdgeVectorStdDevNeedsThreeValues) {
  auto m = MakeMatrix({{1, 2, 3}, {4, 6, 8}, {-1, 0, 10}});
  TVector v(nullptr);
  m->EdgeVector(TOrientation::orColwise, TEdgeOp::eoStdDev, &v);
  EXPECT_DOUBLE_EQ(v.GetVal(1), 1.0);
  EXPECT_DOUBLE_EQ(v.GetVal(2), 2.0);
  EXPECT_DOUBLE_EQ(v.GetVal(3), std::sqrt(37.0));
  m->EdgeVector(TOrientation::orColwise, TEdgeOp::eoStdDev, TIntArray{1, 3}, &v);
  EXPECT_EQ(Elems(v), (std::vector<double>{0, 0, 0}));
}

TEST(MatrixChecksum, OneZeroIsEightTimesTheCrcOfAZeroByte) {
  TMatrix m(nullptr);
  std::string want;
  for (int i = 0; i < 8; ++i) want += "D202EF8D";
  EXPECT_EQ(m.CRCofData(), want);
}

TEST(MatrixChecksum, FollowsTheColumnMajorStorageOrder) {
  auto m = MakeMatrix({{1.5, -2, 3e100}, {4, kNaN, 0.25}});
  // A vector holding the elements column by column gives the same registers.
  auto v = MakeVector({1.5, -2, 3e100, 4, kNaN, 0.25});
  EXPECT_EQ(m->CRCofData(), v->CRCofData());
  EXPECT_EQ(m->CRCofData().size(), 64u);
  auto t = MakeMatrix({{1.5, -2, 3e100}, {4, kNaN, 0.25}});
  t->Transpose();
  EXPECT_NE(t->CRCofData(), m->CRCofData());
}

}  // namespace
}  // namespace zel
