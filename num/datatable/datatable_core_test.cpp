#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "num/datatable/zel_datatable.hpp"

namespace zel {
namespace {

// A cols x rows table whose cell (c, r) holds 10 c + r and state c + r
// (kept below the empty and no-number bits unless asked for).
std::unique_ptr<TDataTable> Numbered(int32_t cols, int32_t rows) {
  auto t = std::make_unique<TDataTable>(nullptr);
  t->Resize(cols, rows);
  for (int32_t c = 1; c <= cols; ++c)
    for (int32_t r = 1; r <= rows; ++r) {
      t->SetElem(c, r, 10.0 * c + r);
      t->SetCellState(c, r, static_cast<uint8_t>(4 * (c + r)));
    }
  return t;
}

std::vector<double> Column(const TDataTable& t, int32_t c) {
  std::vector<double> v;
  for (int32_t r = 1; r <= t.GetNrOfRows(); ++r) v.push_back(t.GetElem(c, r));
  return v;
}

std::vector<std::string> RowNames(const TDataTable& t) {
  std::vector<std::string> v;
  for (int32_t r = 1; r <= t.GetNrOfRows(); ++r) v.push_back(t.GetRowName(r));
  return v;
}

TEST(DataTableCreation, NewTableIsOneCellWithDefaults) {
  TDataTable t(nullptr);
  EXPECT_EQ(t.GetNrOfColumns(), 1);
  EXPECT_EQ(t.GetNrOfRows(), 1);
  EXPECT_EQ(t.GetColName(1), "C-1");
  EXPECT_EQ(t.GetRowName(1), "R-1");
  EXPECT_EQ(t.GetMScaleType(1), TMScaleType::stInterval);
  EXPECT_EQ(t.GetElem(1, 1), 0.0);
  EXPECT_EQ(t.GetCellState(1, 1), 0);
  EXPECT_FALSE(t.GetExtMatAssigned());
  ASSERT_NE(t.GetNumericData(), nullptr);
  EXPECT_EQ(t.GetNumericData()->GetNrOfColumns(), 1);
  // Outside the table: neutral values, ignored writes.
  t.SetElem(2, 1, 5);
  t.SetColName(0, "x");
  EXPECT_EQ(t.GetElem(2, 1), 0.0);
  EXPECT_EQ(t.GetColName(0), "");
  EXPECT_EQ(t.GetMScaleType(9), TMScaleType::stUnknown);
}

TEST(DataTableCreation, CommentLosesControlCharactersAndFiresSetup) {
  TDataTable t(nullptr);
  int setup = 0;
  t.OnChangeSetup = [&](TObject*) { ++setup; };
  t.SetComment("two\tlines\r\nhere");
  EXPECT_EQ(t.GetComment(), "twolineshere");
  EXPECT_EQ(setup, 1);
}

TEST(DataTableResize, GrowingKeepsOldNamesAndNumbersTheNewOnes) {
  auto t = Numbered(2, 2);
  t->SetColName(1, "weight");
  std::vector<int32_t> args;
  int changes = 0;
  t->OnChange = [&](TObject*) { ++changes; };
  t->OnResize = [&](TObject*, int32_t oc, int32_t orr, int32_t nc, int32_t nr) {
    args = {oc, orr, nc, nr};
  };
  EXPECT_TRUE(t->Resize(4, 3));
  EXPECT_EQ(args, (std::vector<int32_t>{2, 2, 4, 3}));
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(t->GetColName(1), "weight");
  EXPECT_EQ(t->GetColName(2), "C-2");
  EXPECT_EQ(t->GetColName(3), "C-3");
  EXPECT_EQ(t->GetColName(4), "C-4");
  EXPECT_EQ(t->GetRowName(3), "R-3");
  EXPECT_EQ(t->GetElem(2, 2), 22.0);
  EXPECT_EQ(t->GetElem(4, 3), 0.0);
  EXPECT_EQ(t->GetCellState(2, 2), 16);
  EXPECT_EQ(t->GetCellState(3, 3), 0);
  EXPECT_EQ(t->GetNumericData()->GetNrOfColumns(), 4);
  EXPECT_EQ(t->GetNumericData()->GetNrOfRows(), 3);
}

TEST(DataTableResize, RefusesSizesBelowOneAndUnchangedSizesSilently) {
  auto t = Numbered(2, 2);
  int events = 0;
  t->OnResize = [&](TObject*, int32_t, int32_t, int32_t, int32_t) { ++events; };
  EXPECT_FALSE(t->Resize(0, 5));
  EXPECT_FALSE(t->Resize(3, -1));
  EXPECT_FALSE(t->Resize(2, 2));
  t->SetNrOfRows(0);
  EXPECT_EQ(events, 0);
  EXPECT_EQ(t->GetNrOfColumns(), 2);
  EXPECT_EQ(t->GetNrOfRows(), 2);
}

TEST(DataTableResize, FollowsTheMatrixWhenItIsResizedDirectly) {
  auto t = Numbered(3, 3);
  std::vector<int32_t> args;
  t->OnResize = [&](TObject*, int32_t oc, int32_t orr, int32_t nc, int32_t nr) {
    args = {oc, orr, nc, nr};
  };
  ASSERT_TRUE(t->GetNumericData()->RemoveRow(1));
  EXPECT_EQ(t->GetNrOfRows(), 2);
  EXPECT_EQ(args, (std::vector<int32_t>{3, 3, 3, 2}));
  t->GetNumericData()->Resize(5, 4);
  EXPECT_EQ(t->GetNrOfColumns(), 5);
  EXPECT_EQ(t->GetColName(5), "C-5");
  // Every index of the new size is usable.
  t->SetCellState(5, 4, 7);
  EXPECT_EQ(t->GetCellState(5, 4), 7);
}

TEST(DataTableResize, CatchesUpWithAMatrixThatLostItsHandlers) {
  auto t = Numbered(3, 3);
  TMatrix small(nullptr);
  small.SetVal(1, 1, 4);
  // The matrix's Assign replaces the table's handlers with small's (none):
  // the table does not hear of the new size, but must not index beyond it.
  t->GetNumericData()->Assign(&small);
  EXPECT_EQ(t->CopyDataColumnFromArray(3, TDoubleArray{1, 2, 3}), kDTCopyBadIndex);
  EXPECT_EQ(t->GetNrOfColumns(), 1);
  EXPECT_EQ(t->GetNrOfRows(), 1);
  auto u = Numbered(2, 2);
  u->GetNumericData()->Assign(&small);
  ASSERT_TRUE(u->Serialize(true, true));
  EXPECT_EQ(u->GetNrOfRows(), 1);
  EXPECT_EQ(u->GetElem(4, 1), 4.0);
}

TEST(DataTableStructure, InsertMovesEverythingAndLeavesAnEmptyNewLine) {
  auto t = Numbered(2, 3);
  t->SetRowAttrib(2, 9);
  int setup = 0;
  t->OnChangeSetup = [&](TObject*) { ++setup; };
  ASSERT_TRUE(t->InsertRow(2));
  EXPECT_EQ(t->GetNrOfRows(), 4);
  EXPECT_EQ(RowNames(*t), (std::vector<std::string>{"R-1", "", "R-2", "R-3"}));
  EXPECT_EQ(Column(*t, 1), (std::vector<double>{11, 0, 12, 13}));
  EXPECT_EQ(t->GetRowAttrib(3), 9);
  EXPECT_EQ(t->GetCellState(1, 3), 12);
  EXPECT_EQ(t->GetCellState(1, 2), 0);
  EXPECT_EQ(setup, 1);
  ASSERT_TRUE(t->InsertColumn(3));  // count + 1 appends
  EXPECT_EQ(t->GetColName(3), "");
  EXPECT_EQ(t->GetMScaleType(3), TMScaleType::stInterval);
  EXPECT_FALSE(t->InsertRow(6));
  EXPECT_FALSE(t->InsertColumn(0));
}

TEST(DataTableStructure, RemoveRowClosesUpAndKeepsTheLastRow) {
  auto t = Numbered(2, 3);
  ASSERT_TRUE(t->RemoveRow(1));
  EXPECT_EQ(RowNames(*t), (std::vector<std::string>{"R-2", "R-3"}));
  EXPECT_EQ(Column(*t, 2), (std::vector<double>{22, 23}));
  EXPECT_EQ(t->GetCellState(2, 1), 16);
  TDataTable one(nullptr);
  EXPECT_FALSE(one.RemoveRow(1));
  EXPECT_FALSE(one.RemoveColumn(1));
  EXPECT_EQ(one.GetNrOfRows(), 1);
  ASSERT_TRUE(t->RemoveColumn(2));
  EXPECT_EQ(t->GetNrOfColumns(), 1);
  EXPECT_EQ(t->GetNumericData()->GetNrOfColumns(), 1);
}

TEST(DataTableStructure, BlockRemovalNeverEmptiesTheTable) {
  auto t = Numbered(2, 5);
  EXPECT_EQ(t->RemoveRows(0, 0), kDTRemoveAll);
  EXPECT_EQ(t->RemoveRows(5, 1), kDTRemoveAll);
  EXPECT_EQ(t->RemoveRows(2, 6), kDTRemoveBadBound);
  EXPECT_EQ(t->GetNrOfRows(), 5);
  EXPECT_EQ(t->RemoveRows(4, 2), 3);
  EXPECT_EQ(Column(*t, 1), (std::vector<double>{11, 15}));
  EXPECT_EQ(t->GetNumericData()->GetNrOfRows(), 2);
}

TEST(DataTableStructure, MarkedRowRemovalInspectsAllColumnsOfTheRangeOnly) {
  auto t = Numbered(3, 5);
  t->SetAllCellStates(0);
  t->SetCellState(3, 2, kCellMark1);  // last column, still counts
  t->SetCellState(1, 5, kCellMark1);  // outside the range below
  int resized = 0;
  t->OnResize = [&](TObject*, int32_t, int32_t, int32_t, int32_t) { ++resized; };
  EXPECT_EQ(t->RemoveMarkedRows(1, 4, kCellMark1), 1);
  EXPECT_EQ(Column(*t, 1), (std::vector<double>{11, 13, 14, 15}));
  EXPECT_EQ(resized, 1);
  EXPECT_EQ(t->RemoveMarkedRows(1, 4, kCellMark2), 0);  // nothing matched
  EXPECT_EQ(resized, 1);
  EXPECT_EQ(t->RemoveMarkedRows(0, 9, kCellMark1), kDTRemoveBadBound);
  // Unmarked: rows 1..3 hold no mark; removing them leaves row 4.
  EXPECT_EQ(t->RemoveUnmarkedRows(0, 0, kCellMark1), 3);
  EXPECT_EQ(Column(*t, 1), (std::vector<double>{15}));
  EXPECT_EQ(t->GetCellState(1, 1), kCellMark1);
}

TEST(DataTableStructure, MarkedRemovalThatWouldTakeEverythingIsRefused) {
  auto t = Numbered(2, 3);
  t->SetAllCellStates(kCellMark2);
  EXPECT_EQ(t->RemoveMarkedRows(0, 0, kCellMark2), kDTRemoveAll);
  EXPECT_EQ(t->RemoveUnmarkedColumns(0, 0, kCellMark1), kDTRemoveAll);
  EXPECT_EQ(t->GetNrOfRows(), 3);
  EXPECT_EQ(t->GetNrOfColumns(), 2);
  t->SetCellState(2, 1, 0);
  t->SetCellState(2, 2, 0);
  t->SetCellState(2, 3, 0);
  t->SetColName(1, "gone");
  t->SetColAttrib(2, 4);
  EXPECT_EQ(t->RemoveMarkedColumns(0, 0, kCellMark2), 1);
  EXPECT_EQ(t->GetNrOfColumns(), 1);
  EXPECT_EQ(t->GetColName(1), "C-2");
  EXPECT_EQ(t->GetColAttrib(1), 4);
  EXPECT_EQ(Column(*t, 1), (std::vector<double>{21, 22, 23}));
}

TEST(DataTableStructure, ExchangeIgnoresIndicesOutsideTheTable) {
  auto t = Numbered(2, 2);
  int events = 0;
  t->OnChange = [&](TObject*) { ++events; };
  t->ExchangeColumns(1, 3);
  t->ExchangeRows(0, 1);
  t->ExchangeRows(2, -7);
  EXPECT_EQ(events, 0);
  EXPECT_EQ(Column(*t, 1), (std::vector<double>{11, 12}));
  t->SetRowName(1, "a");
  t->ExchangeRows(1, 2);
  EXPECT_EQ(events, 1);
  EXPECT_EQ(Column(*t, 1), (std::vector<double>{12, 11}));
  EXPECT_EQ(RowNames(*t), (std::vector<std::string>{"R-2", "a"}));
  EXPECT_EQ(t->GetCellState(1, 1), 12);
  t->SetMScaleType(1, TMScaleType::stNominal);
  t->AddNominalID(1, "lvl");
  t->ExchangeColumns(1, 2);
  EXPECT_EQ(t->GetMScaleType(2), TMScaleType::stNominal);
  EXPECT_EQ(t->GetNominalID(2, 0), "lvl");
  EXPECT_EQ(t->GetColName(1), "C-2");
}

TEST(DataTableStructure, MirrorAndClear) {
  auto t = Numbered(3, 2);
  t->SetColAttrib(1, 5);
  t->MirrorColumns();
  EXPECT_EQ(t->GetElem(1, 1), 31.0);
  EXPECT_EQ(t->GetColName(3), "C-1");
  EXPECT_EQ(t->GetColAttrib(3), 5);
  t->MirrorRows();
  EXPECT_EQ(Column(*t, 1), (std::vector<double>{32, 31}));
  EXPECT_EQ(t->GetRowName(1), "R-2");
  int setup = 0, names = 0;
  t->OnChangeSetup = [&](TObject*) { ++setup; };
  t->OnChangeNames = [&](TObject*) { ++names; };
  t->SetComment("kept");
  t->Clear();
  EXPECT_EQ(t->GetColName(1), "C-1");
  EXPECT_EQ(t->GetRowName(1), "R-1");
  EXPECT_EQ(t->GetColAttrib(3), 0);
  EXPECT_EQ(t->GetElem(1, 1), 0.0);
  EXPECT_EQ(t->GetCellState(3, 2), 0);
  EXPECT_EQ(t->GetComment(), "kept");
  EXPECT_EQ(t->GetNrOfColumns(), 3);
  EXPECT_EQ(setup, 2);
  EXPECT_EQ(names, 1);
}

TEST(DataTableMatrix, BorrowedMatrixIsUsedNotOwnedAndReleasedCleanly) {
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(3, 2);
  m->SetVal(3, 2, 7.5);
  {
    auto t = Numbered(2, 2);
    t->SetMScaleType(1, TMScaleType::stNominal);
    int changes = 0;
    t->OnChange = [&](TObject*) { ++changes; };
    t->AssignAnotherDataMatrix(m.get());
    EXPECT_TRUE(t->GetExtMatAssigned());
    EXPECT_EQ(t->GetNumericData(), m.get());
    EXPECT_EQ(t->GetNrOfColumns(), 3);
    EXPECT_EQ(t->GetElem(3, 2), 7.5);
    EXPECT_EQ(t->GetMScaleType(1), TMScaleType::stInterval);
    const int before = changes;
    m->SetVal(1, 1, 2.0);  // a change through the matrix reaches the table
    EXPECT_EQ(changes, before + 1);
  }
  // The table is gone: the matrix must neither call into it nor be freed.
  m->SetVal(1, 1, 3.0);
  m->Resize(4, 4);
  m->SortRows(1, true, 0, 0, 0, 0);
  EXPECT_EQ(m->GetVal(1, 1), 0.0);
}

TEST(DataTableAssign, CopiesEverythingAndKeepsItsOwnMatrixConnected) {
  auto src = Numbered(2, 3);
  src->SetComment("source");
  src->SetMScaleType(2, TMScaleType::stOrdinal);
  src->SetNominalID(2, 4, "high");
  src->SetRowAttrib(3, 12);
  int srcChanges = 0;
  src->OnChange = [&](TObject*) { ++srcChanges; };
  TDataTable dst(nullptr);
  TMatrix* own = dst.GetNumericData();
  dst.Assign(src.get());
  EXPECT_EQ(dst.GetNumericData(), own);
  EXPECT_EQ(dst.GetNrOfRows(), 3);
  EXPECT_EQ(dst.GetComment(), "source");
  EXPECT_EQ(dst.GetNominalID(2, 4), "high");
  EXPECT_EQ(dst.GetRowAttrib(3), 12);
  EXPECT_EQ(dst.GetCellState(2, 3), 20);
  EXPECT_EQ(srcChanges, 0);
  // The handlers were copied, but the matrix still reports to dst: a sort
  // of dst moves dst's states, and a change of dst's matrix reaches the
  // copied handler once through dst (not through src's table).
  dst.SetCellState(1, 1, kCellMark1);
  dst.SortRows(1, false, 1, 1, 1, 3, false);
  EXPECT_EQ(Column(dst, 1), (std::vector<double>{13, 12, 11}));
  EXPECT_EQ(dst.GetCellState(1, 3), kCellMark1);
  EXPECT_EQ(src->GetCellState(1, 3), 16);
  EXPECT_EQ(srcChanges, 1);
  EXPECT_THROW(dst.Assign(own), Exception);
}

TEST(DataTableCopies, CloneCopiesContentsButNotHandlers) {
  auto src = Numbered(3, 2);
  src->SetColName(3, "z");
  src->OnChange = [](TObject*) { FAIL(); };
  TDataTable dst(nullptr);
  std::vector<int32_t> args;
  dst.OnResize = [&](TObject*, int32_t oc, int32_t orr, int32_t nc, int32_t nr) {
    args = {oc, orr, nc, nr};
  };
  dst.CopyContentsFrom(src.get());
  EXPECT_EQ(args, (std::vector<int32_t>{1, 1, 3, 2}));
  EXPECT_EQ(dst.GetColName(3), "z");
  EXPECT_EQ(dst.GetElem(3, 2), 32.0);
  EXPECT_EQ(dst.GetCellState(3, 2), 20);
  dst.SetElem(1, 1, 0);  // src's handler would fail
}

TEST(DataTableCopies, RectangleCopyWithinTheTableReadsTheSourceFirst) {
  auto t = Numbered(3, 3);
  int changes = 0, states = 0;
  t->OnChange = [&](TObject*) { ++changes; };
  t->OnChangeCellState = [&](TObject*) { ++states; };
  t->CopyFrom(t.get(), 1, 1, 2, 2, 2, 2);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(states, 1);
  EXPECT_EQ(t->GetElem(2, 2), 11.0);
  EXPECT_EQ(t->GetElem(3, 3), 22.0);
  EXPECT_EQ(t->GetElem(3, 2), 21.0);
  EXPECT_EQ(t->GetCellState(3, 3), 16);
  EXPECT_EQ(t->GetCellState(2, 2), 8);
  EXPECT_EQ(t->GetElem(1, 1), 11.0);
}

TEST(DataTableCopies, ColumnCopyTakesHeaderTypeValuesAndStates) {
  auto src = Numbered(2, 4);
  src->SetColName(2, "colour");
  src->AddNominalID(2, "red");
  auto dst = Numbered(3, 2);
  ASSERT_TRUE(dst->CopyColumnFrom(src.get(), 2, 1));
  EXPECT_EQ(dst->GetColName(1), "colour");
  EXPECT_EQ(dst->GetMScaleType(1), TMScaleType::stNominal);
  EXPECT_EQ(dst->GetNominalID(1, 0), "red");
  EXPECT_EQ(Column(*dst, 1), (std::vector<double>{21, 22}));
  EXPECT_EQ(dst->GetCellState(1, 2), 16);
  EXPECT_FALSE(dst->CopyColumnFrom(src.get(), 3, 1));
  EXPECT_FALSE(dst->CopyColumnFrom(nullptr, 1, 1));
}

}  // namespace
}  // namespace zel
