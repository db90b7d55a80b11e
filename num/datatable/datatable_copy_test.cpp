#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "num/datatable/zel_datatable.hpp"

namespace zel {
namespace {

// 3 columns x 4 rows, cell (c, r) = 10 c + r + 0.5, state 4.
std::unique_ptr<TDataTable> Fixture() {
  auto t = std::make_unique<TDataTable>(nullptr);
  t->Resize(3, 4);
  for (int32_t c = 1; c <= 3; ++c)
    for (int32_t r = 1; r <= 4; ++r) t->SetElem(c, r, 10.0 * c + r + 0.5);
  t->SetAllCellStates(4);
  return t;
}

TEST(DataTableCopyOut, WholeFormsSizeTheDestination) {
  auto t = Fixture();
  TDoubleArray d(1, 99.0);
  EXPECT_EQ(t->CopyDataColumnToArray(2, d), kDTCopyOk);
  EXPECT_EQ(d, (TDoubleArray{21.5, 22.5, 23.5, 24.5}));
  TIntArray i;
  EXPECT_EQ(t->CopyDataRowToArray(3, i), kDTCopyOk);
  EXPECT_EQ(i, (TIntArray{14, 24, 34}));  // 13.5 -> 14, 23.5 -> 24, 33.5 -> 34 (halves to even)
  EXPECT_EQ(t->CopyDataColumnToArray(4, d), kDTCopyBadIndex);
  TVector v(nullptr);
  EXPECT_EQ(t->CopyDataRowToVector(1, &v), kDTCopyOk);
  EXPECT_EQ(v.GetNrOfElem(), 3);
  EXPECT_EQ(v.GetVal(3), 31.5);
  EXPECT_EQ(t->CopyDataRowToVector(1, static_cast<TVector*>(nullptr)), kDTCopyEmpty);
  t->SetElem(1, 1, std::numeric_limits<double>::quiet_NaN());
  t->SetElem(1, 2, 1e30);
  TIntVector iv(nullptr);
  EXPECT_EQ(t->CopyDataColumnToVector(1, &iv), kDTCopyOk);
  EXPECT_EQ(iv.GetVal(1), 0);
  EXPECT_EQ(iv.GetVal(2), INT32_MAX);
}

TEST(DataTableCopyOut, RangedFormsCheckInOrderAndCutAtTheDestination) {
  auto t = Fixture();
  TDoubleArray d(3, -1.0);
  EXPECT_EQ(t->CopyDataColumnToArray(0, 1, 2, d, 0), kDTCopyBadIndex);
  EXPECT_EQ(t->CopyDataColumnToArray(1, 0, 5, d, 0), kDTCopyBadBound);
  TDoubleArray empty;
  EXPECT_EQ(t->CopyDataColumnToArray(1, 1, 2, empty, 0), kDTCopyEmpty);
  EXPECT_EQ(t->CopyDataColumnToArray(1, 1, 2, d, 3), kDTCopyBadElement);
  EXPECT_EQ(d, (TDoubleArray{-1, -1, -1}));
  EXPECT_EQ(t->CopyDataColumnToArray(1, 4, 2, d, 1), kDTCopyOk);  // reversed bounds
  EXPECT_EQ(d, (TDoubleArray{-1, 12.5, 13.5}));
  EXPECT_EQ(t->CopyDataRowToArray(2, 0, 0, d, 0), kDTCopyOk);
  EXPECT_EQ(d, (TDoubleArray{12.5, 22.5, 32.5}));
  TVector v(nullptr);
  v.Resize(3);
  EXPECT_EQ(t->CopyDataColumnToVector(3, 1, 4, &v, 4), kDTCopyBadElement);
  EXPECT_EQ(t->CopyDataColumnToVector(3, 1, 4, &v, 2), kDTCopyOk);
  EXPECT_EQ(v.GetVal(1), 0.0);
  EXPECT_EQ(v.GetVal(3), 32.5);
  EXPECT_EQ(v.GetNrOfElem(), 3);
}

TEST(DataTableCopyIn, ArraysAndVectorsFillLinesWithOneEvent) {
  auto t = Fixture();
  int changes = 0;
  t->OnChange = [&](TObject*) { ++changes; };
  EXPECT_EQ(t->CopyDataColumnFromArray(1, TDoubleArray{1, 2}), kDTCopyOk);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(t->GetElem(1, 2), 2.0);
  EXPECT_EQ(t->GetElem(1, 3), 13.5);  // beyond the source: untouched
  EXPECT_EQ(t->CopyDataRowFromArray(4, 2, 3, TIntArray{7, 8, 9}, 1), kDTCopyOk);
  EXPECT_EQ(t->GetElem(2, 4), 8.0);
  EXPECT_EQ(t->GetElem(3, 4), 9.0);
  EXPECT_EQ(t->CopyDataRowFromArray(4, 2, 3, TIntArray{7}, 1), kDTCopyBadElement);
  EXPECT_EQ(t->CopyDataRowFromArray(4, 2, 3, TIntArray{}, 0), kDTCopyEmpty);
  EXPECT_EQ(t->CopyDataRowFromArray(5, TDoubleArray{1}), kDTCopyBadIndex);
  TVector v(nullptr);
  v.Resize(3);
  v.FillSerial(100, 1);
  EXPECT_EQ(t->CopyDataColumnFromVector(3, 2, 4, &v, 2), kDTCopyOk);
  EXPECT_EQ(t->GetElem(3, 2), 101.0);
  EXPECT_EQ(t->GetElem(3, 3), 102.0);
  EXPECT_EQ(t->GetElem(3, 4), 9.0);
  EXPECT_EQ(t->CopyDataColumnFromVector(3, static_cast<const TVector*>(nullptr)), kDTCopyEmpty);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(t->GetCellState(3, 3), 4);  // states are not touched
}

TEST(DataTableCopyIn, MatrixRoutinesFireOneTableEvent) {
  auto t = Fixture();
  int changes = 0;
  t->OnChange = [&](TObject*) { ++changes; };
  EXPECT_EQ(t->CopyDataFromArray(TDouble2DArray{{1, 2}, {3, 4}}, 0, 0, 0, 0, 2, 3), kMatCopyFromOk);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(t->GetElem(3, 4), 4.0);
  EXPECT_EQ(t->CopyDataFromArray(TDoubleArray{5, 6}, 0, 0, 1, 4, false), kMatCopyFromOk);
  EXPECT_EQ(t->GetElem(2, 4), 6.0);
  EXPECT_EQ(t->CopyDataFromArray(TIntArray{}, 0, 0, 1, 1, true), kMatCopyFromEmpty);
  TMatrix m(nullptr);
  t->CopyDataToMatrix(&m);
  EXPECT_EQ(m.GetNrOfColumns(), 3);
  EXPECT_EQ(m.GetVal(3, 4), 4.0);
  m.SetVal(1, 1, -8);
  t->CopyDataFromMatrix(&m, 1, 1, 1, 1, 3, 1);
  EXPECT_EQ(t->GetElem(3, 1), -8.0);
  TInt2DArray ia(2, TIntArray(2, 0));
  EXPECT_EQ(t->CopyDataToArray(ia, 1, 1, 2, 2, 0, 0), kMatCopyToOk);
  EXPECT_EQ(ia[1][1], 22);
}

TEST(DataTableCopyOut, MarkedCellsAndSlices) {
  auto t = Fixture();
  t->SetMScaleType(2, TMScaleType::stNominal);
  t->SetCellState(1, 2, kCellMark1);
  t->SetCellState(1, 3, kCellMark1 | kCellNoNumber);
  t->SetCellState(2, 1, kCellMark1);  // nominal column: not numeric
  t->SetCellState(3, 4, kCellMark1);
  TVector v(nullptr);
  EXPECT_EQ(t->CopyCellsToVector(0, 0, 0, 0, kCellMark1, &v), 2);
  EXPECT_EQ(v.GetNrOfElem(), 2);
  EXPECT_EQ(v.GetVal(1), 12.5);
  EXPECT_EQ(v.GetVal(2), 34.5);
  EXPECT_EQ(t->CopyCellsToVector(0, 0, 0, 0, kCellMark2, &v), 0);
  EXPECT_EQ(v.GetNrOfElem(), 2);
  TDoubleArray s;
  EXPECT_EQ(t->SliceCol(1, 4, 1, 2, s), 2);
  EXPECT_EQ(s, (TDoubleArray{11.5, 13.5}));
  EXPECT_EQ(t->SliceRow(1, 0, 0, 5, s), 1);
  EXPECT_EQ(s, (TDoubleArray{11.5}));
  EXPECT_EQ(t->SliceCol(4, 1, 2, 1, s), kDTSliceBadIndex);
  EXPECT_EQ(t->SliceCol(1, 1, 5, 1, s), kDTSliceBadBound);
  EXPECT_EQ(t->SliceCol(1, 1, 2, 0, s), kDTSliceBadStep);
  EXPECT_EQ(s, (TDoubleArray{11.5}));
}

TEST(DataTableStatusText, EveryCodeHasItsOwnSentence) {
  const auto check = [](const char* (*text)(int32_t), const std::vector<int32_t>& codes,
                        int32_t unknown) {
    std::set<std::string> seen;
    for (int32_t c : codes) {
      const std::string s = text(c);
      EXPECT_FALSE(s.empty());
      EXPECT_NE(s, text(unknown)) << c;
      EXPECT_TRUE(seen.insert(s).second) << s;
    }
  };
  check(DataTableCopyStatusText, {0, -1, -2, -3, -4}, -5);
  check(DataTableRemoveStatusText, {3, -1, -2}, -3);
  check(DataTableContTabStatusText, {0, -1, -2, -3, -4}, -5);
  check(DataTableFindCellsStatusText, {12, -1, -2}, -3);
  check(DataTableSliceStatusText, {2, -1, -2, -3}, -4);
}

}  // namespace
}  // namespace zel
