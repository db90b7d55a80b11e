#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "num/datatable/zel_datatable.hpp"

namespace zel {
namespace {

std::vector<double> Column(const TDataTable& t, int32_t c) {
  std::vector<double> v;
  for (int32_t r = 1; r <= t.GetNrOfRows(); ++r) v.push_back(t.GetElem(c, r));
  return v;
}

std::vector<int32_t> States(const TDataTable& t, int32_t c) {
  std::vector<int32_t> v;
  for (int32_t r = 1; r <= t.GetNrOfRows(); ++r) v.push_back(t.GetCellState(c, r));
  return v;
}

TEST(DataTableLevels, NominalCellsReuseLevelsIgnoringCase) {
  TDataTable t(nullptr);
  t.Resize(2, 3);
  int setup = 0, changes = 0;
  t.OnChangeSetup = [&](TObject*) { ++setup; };
  t.OnChange = [&](TObject*) { ++changes; };
  t.SetElemNominal(2, 1, "Red");
  EXPECT_EQ(t.GetMScaleType(2), TMScaleType::stNominal);
  t.SetElemNominal(2, 2, "green");
  t.SetElemNominal(2, 3, "RED");
  EXPECT_EQ(Column(t, 2), (std::vector<double>{0, 1, 0}));
  EXPECT_EQ(t.GetElemNominal(2, 3), "Red");
  EXPECT_EQ(t.CountNominalIDs(2), 2);
  EXPECT_EQ(setup, 2);  // the first level with the type change, then "green"
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(t.OrdinalOfNominalID(2, "RED", true), 0);
  EXPECT_EQ(t.OrdinalOfNominalID(2, "RED", false), -1);
  EXPECT_EQ(t.OrdinalOfNominalID(2, "", true), -1);
  EXPECT_EQ(t.OrdinalOfNominalID(1, "Red", true), -1);  // not categorical
  EXPECT_EQ(t.GetElemNominal(1, 1), "");
  EXPECT_EQ(t.ListOfCategorialVars(), (TIntArray{2}));
}

TEST(DataTableLevels, TheLevel152IsRefusedWithTheComponentMessage) {
  TDataTable t(nullptr);
  for (int32_t k = 0; k < kMaxNominalIDs; ++k) t.SetElemNominal(1, 1, "L" + std::to_string(k));
  EXPECT_EQ(t.GetElem(1, 1), 150.0);
  EXPECT_EQ(t.AddNominalID(1, "another"), -1);
  try {
    t.SetElemNominal(1, 1, "another");
    FAIL() << "no exception";
  } catch (const EZELDataTableError& e) {
    EXPECT_STREQ(e.what(), "Component \"TDataTable\": number of available nominal values exceeded");
  }
  EXPECT_EQ(t.GetElem(1, 1), 150.0);
  t.SetName("Survey");
  EXPECT_THROW(t.SetElemNominal(1, 1, "x"), EZELDataTableError);
  try {
    t.SetElemNominal(1, 1, "x");
  } catch (const EZELError& e) {
    EXPECT_STREQ(e.what(), "Component \"Survey\": number of available nominal values exceeded");
  }
  t.SetElemNominal(1, 1, "l7");  // known level, no free slot needed
  EXPECT_EQ(t.GetElem(1, 1), 7.0);
}

TEST(DataTableLevels, OrdinalsOutsideTheSlotsReadAsTheirNumber) {
  TDataTable t(nullptr);
  t.SetMScaleType(1, TMScaleType::stOrdinal);
  t.SetElem(1, 1, 200);
  EXPECT_EQ(t.GetElemNominal(1, 1), "200");
  t.SetElem(1, 1, -3.2);
  EXPECT_EQ(t.GetElemNominal(1, 1), "-3");
  t.SetElem(1, 1, 1e300);
  EXPECT_LE(t.GetElemNominal(1, 1).size(), 10u);
  // Categorical values round halves to even.
  t.SetElem(1, 1, 2.5);
  EXPECT_EQ(t.GetElem(1, 1), 2.0);
  t.SetMScaleType(1, TMScaleType::stRatio);
  EXPECT_EQ(t.GetElem(1, 1), 2.5);
}

TEST(DataTableLevels, AddingALevelKeepsAnOrdinalColumnOrdinal) {
  TDataTable t(nullptr);
  t.Resize(2, 1);
  t.SetMScaleType(1, TMScaleType::stOrdinal);
  EXPECT_EQ(t.AddNominalID(1, "low"), 0);
  EXPECT_EQ(t.AddNominalID(1, "LOW"), 0);
  EXPECT_EQ(t.GetMScaleType(1), TMScaleType::stOrdinal);
  EXPECT_EQ(t.AddNominalID(2, "a very long level name"), 0);
  EXPECT_EQ(t.GetMScaleType(2), TMScaleType::stNominal);
  EXPECT_EQ(t.GetNominalID(2, 0), "a very lon");
  EXPECT_EQ(t.AddNominalID(3, "x"), -1);
  EXPECT_EQ(t.AddNominalID(1, ""), -1);
}

TEST(DataTableLevels, SetNominalIDStoresOnlyInCategoricalColumns) {
  TDataTable t(nullptr);
  t.SetNominalID(1, 3, "x");
  EXPECT_EQ(t.GetNominalID(1, 3), "");
  t.SetMScaleType(1, TMScaleType::stNominal);
  t.SetNominalID(1, 3, "x");
  t.SetNominalID(1, 151, "y");
  EXPECT_EQ(t.GetNominalID(1, 3), "x");
  t.SetMScaleType(1, TMScaleType::stInterval);
  t.SetNominalID(1, 3, "");  // clearing works in any column
  EXPECT_EQ(t.GetNominalID(1, 3), "");
  t.SetMScaleType(1, static_cast<TMScaleType>(9));
  EXPECT_EQ(t.GetMScaleType(1), TMScaleType::stInterval);
}

TEST(DataTableLevels, HighestAndLowestScaleOfARange) {
  TDataTable t(nullptr);
  t.Resize(3, 1);
  t.SetMScaleType(1, TMScaleType::stUnknown);
  t.SetMScaleType(2, TMScaleType::stOrdinal);
  t.SetMScaleType(3, TMScaleType::stRatio);
  EXPECT_EQ(t.FindHighestMLevel(1, 1), TMScaleType::stNominal);
  EXPECT_EQ(t.FindHighestMLevel(0, 0), TMScaleType::stRatio);
  EXPECT_EQ(t.FindLowestMLevel(2, 3), TMScaleType::stOrdinal);
  EXPECT_EQ(t.FindLowestMLevel(3, 1), TMScaleType::stUnknown);
}

TEST(DataTableNames, NamesAreCutInCharactersAndFoundWithoutCaseOrBlanks) {
  TDataTable t(nullptr);
  t.Resize(3, 2);
  int names = 0;
  t.OnChangeNames = [&](TObject*) { ++names; };
  std::string longName;
  for (int i = 0; i < 60; ++i) longName += "\u00E4";  // two bytes each
  t.SetColName(1, longName);
  EXPECT_EQ(t.GetColName(1).size(), 100u);
  EXPECT_EQ(t.MaxColNameLength(), 50);
  t.SetColName(2, "  Mass ");
  t.SetColName(2, "  Mass ");  // unchanged: no event
  EXPECT_EQ(names, 2);
  EXPECT_EQ(t.FindColIndex("mass"), 2);
  EXPECT_EQ(t.FindColIndex(" MASS\t"), 2);
  EXPECT_EQ(t.FindColIndex("c-3"), 3);
  EXPECT_EQ(t.FindColIndex("volume"), 0);
  EXPECT_EQ(t.FindRowIndex("r-2"), 2);
  EXPECT_EQ(t.MaxRowNameLength(), 3);
}

TEST(DataTableAttributes, MaskedSettersAndExtremes) {
  TDataTable t(nullptr);
  t.Resize(2, 4);
  t.SetRowAttributes(0x0F);
  t.SetRowAttrib(3, 0x30);
  t.SetRowAttributes(0x50, 0xF0);
  EXPECT_EQ(t.GetRowAttrib(1), 0x5F);
  EXPECT_EQ(t.GetRowAttrib(3), 0x50);
  int32_t ix = 0;
  t.SetRowAttrib(4, 0x5F);
  EXPECT_EQ(t.MaxRowAttrib(0, 0, ix), 0x5F);
  EXPECT_EQ(ix, 1);
  EXPECT_EQ(t.MinRowAttrib(4, 2, ix), 0x50);
  EXPECT_EQ(ix, 3);
  t.SetColAttributes(-1);
  t.SetColAttrib(2, INT32_MIN);
  EXPECT_EQ(t.MinColAttrib(0, 0, ix), INT32_MIN);
  EXPECT_EQ(ix, 2);
  EXPECT_EQ(t.MaxColAttrib(0, 0, ix), -1);
  EXPECT_EQ(ix, 1);
}

TEST(DataTableAttributes, LevelCountsSkipValuesOutside0To255) {
  TDataTable t(nullptr);
  t.Resize(1, 7);
  const int32_t att[7] = {1, 1, 255, -5, 300, INT32_MAX, 2};
  for (int32_t r = 1; r <= 7; ++r) t.SetRowAttrib(r, att[r - 1]);
  EXPECT_EQ(t.RowAttribLevels(0, 0), 3);
  EXPECT_EQ(t.RowAttribLevels(4, 6), 0);
  t.SetColAttrib(1, -1);
  EXPECT_EQ(t.ColAttribLevels(0, 0), 0);
}

TEST(DataTableCellStates, BitsAndCounts) {
  TDataTable t(nullptr);
  t.Resize(3, 2);
  t.SetMScaleType(3, TMScaleType::stNominal);
  int states = 0, changes = 0;
  t.OnChangeCellState = [&](TObject*) { ++states; };
  t.OnChange = [&](TObject*) { ++changes; };
  t.SetIsEmpty(1, 1, true);
  t.SetIsImputed(2, 1, true);
  t.SetCellState(2, 2, kCellNoNumber);
  t.SetCellState(2, 2, kCellNoNumber);  // unchanged: no event
  EXPECT_EQ(states, 1);
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(t.GetIsEmpty(1, 1));
  EXPECT_FALSE(t.GetIsNumber(1, 1));
  EXPECT_TRUE(t.GetIsImputed(2, 1));
  EXPECT_TRUE(t.GetIsNumber(2, 1));
  EXPECT_FALSE(t.GetIsNumber(2, 2));
  EXPECT_EQ(t.CountEmptyCells(0, 0, 0, 0), 1);
  EXPECT_EQ(t.CountImputedCells(0, 0, 0, 0), 1);
  EXPECT_EQ(t.CountValidCells(0, 0, 0, 0), 4);
  EXPECT_EQ(t.CountNumCells(0, 0, 0, 0), 2);  // the nominal column has none
  t.SetIsEmpty(1, 1, false);
  EXPECT_EQ(t.GetCellState(1, 1), 0);
}

TEST(DataTableCellStates, LogicOperationsOnARange) {
  TDataTable t(nullptr);
  t.Resize(2, 2);
  t.SetAllCellStates(0x0C);
  t.SetCellStates(1, 1, 1, 2, 0x06, TLogicOp::loAnd);
  EXPECT_EQ(States(t, 1), (std::vector<int32_t>{0x04, 0x04}));
  t.SetCellStates(2, 2, 2, 2, 0x06, TLogicOp::loOr);
  EXPECT_EQ(t.GetCellState(2, 2), 0x0E);
  t.SetCellStates(2, 2, 2, 2, 0x06, TLogicOp::loXor);
  EXPECT_EQ(t.GetCellState(2, 2), 0x08);
  t.SetCellStates(2, 1, 2, 1, 0x04, TLogicOp::loAndNot);
  EXPECT_EQ(t.GetCellState(2, 1), 0x08);
  t.SetCellStates(2, 1, 2, 1, 0xF0, TLogicOp::loOrNot);
  EXPECT_EQ(t.GetCellState(2, 1), 0x0F);
  t.SetCellStates(2, 1, 2, 1, 0xF0, TLogicOp::loXorNot);
  EXPECT_EQ(t.GetCellState(2, 1), 0x00);
  t.SetCellStates(0, 0, 0, 0, 0xFF, static_cast<TLogicOp>(6));
  EXPECT_EQ(t.GetCellState(2, 1), 0x00);
}

TEST(DataTableCellStates, MarkingsSwapInvertAndCount) {
  TDataTable t(nullptr);
  t.Resize(2, 3);
  t.SetMScaleType(2, TMScaleType::stOrdinal);
  t.SetCellState(1, 1, kCellMark1 | 4);
  t.SetCellState(1, 2, kCellMark2 | kCellEmpty);  // marked but not numeric
  t.SetCellState(2, 1, kCellMark1);               // nominal column
  t.ExchangeMarkings();
  EXPECT_EQ(t.GetCellState(1, 1), kCellMark2 | 4);
  EXPECT_EQ(t.GetCellState(1, 2), kCellMark1 | kCellEmpty);
  EXPECT_EQ(t.CountMarkedCellsInColumn(1, kCellMark1 | kCellMark2), 1);
  EXPECT_EQ(t.CountMarkedCellsInRow(1, kCellMark2), 1);
  // Bits 0 and 1 of the mask select nothing in the marked-cell sense.
  EXPECT_EQ(t.CountMarkedCellsInColumn(1, kCellEmpty), 0);
  EXPECT_TRUE(t.IfRowHasCellState(2, kCellEmpty));
  EXPECT_FALSE(t.IfColHasCellState(2, kCellEmpty));
  EXPECT_TRUE(t.IfAnyCellHasCellState(2, 1, 2, 3, kCellMark2));
  EXPECT_FALSE(t.IfAnyCellHasCellState(1, 3, 2, 3, 0xFF));
  EXPECT_EQ(t.FillMarkedCells(9.5, kCellEmpty), 1);  // any cell whose state shares a bit
  EXPECT_EQ(t.GetElem(1, 2), 9.5);
  t.InvertCellStates(0x01);
  EXPECT_EQ(t.GetCellState(1, 3), 0x01);
  t.UnmarkAllCells();
  EXPECT_EQ(t.GetCellState(1, 1), 4 | 1);
}

// Rows 1..4 with key values 4, 3, 2, 1 in column 3 and states 10 * r + c.
std::unique_ptr<TDataTable> SortFixture() {
  auto t = std::make_unique<TDataTable>(nullptr);
  t->Resize(3, 4);
  for (int32_t r = 1; r <= 4; ++r) {
    for (int32_t c = 1; c <= 3; ++c) {
      t->SetElem(c, r, c == 3 ? 5 - r : 10 * r + c);
      t->SetCellState(c, r, static_cast<uint8_t>(10 * r + c));
    }
    t->SetRowAttrib(r, r);
  }
  return t;
}

TEST(DataTableSort, KeyColumnOutsideTheRangeTakesItsStatesAlong) {
  auto t = SortFixture();
  t->SortRows(3, true, 1, 1, 1, 4, false);  // moves column 1 and the key column 3
  EXPECT_EQ(Column(*t, 3), (std::vector<double>{1, 2, 3, 4}));
  EXPECT_EQ(Column(*t, 1), (std::vector<double>{41, 31, 21, 11}));
  EXPECT_EQ(States(*t, 1), (std::vector<int32_t>{41, 31, 21, 11}));
  EXPECT_EQ(States(*t, 3), (std::vector<int32_t>{43, 33, 23, 13}));
  // Column 2 stayed with its states, names and attributes did not move.
  EXPECT_EQ(States(*t, 2), (std::vector<int32_t>{12, 22, 32, 42}));
  EXPECT_EQ(t->GetRowName(1), "R-1");
  EXPECT_EQ(t->GetRowAttrib(1), 1);
}

TEST(DataTableSort, HeadersMoveWhenIncludedAndEventsFollow) {
  auto t = SortFixture();
  std::vector<std::string> events;
  int exchanges = 0;
  t->OnSortExchange = [&](TObject*, int32_t kind, int32_t, int32_t, int32_t first, int32_t last) {
    EXPECT_EQ(kind, 2);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(last, 3);
    ++exchanges;
  };
  t->OnChange = [&](TObject*) { events.push_back("change"); };
  t->OnChangeNames = [&](TObject*) { events.push_back("names"); };
  t->OnChangeAttrib = [&](TObject*) { events.push_back("attrib"); };
  t->SortRows(3, true, 0, 0, 0, 0, true);
  EXPECT_GT(exchanges, 0);
  EXPECT_EQ(events, (std::vector<std::string>{"change", "names", "attrib"}));
  EXPECT_EQ(t->GetRowName(1), "R-4");
  EXPECT_EQ(t->GetRowAttrib(1), 4);
  EXPECT_EQ(States(*t, 2), (std::vector<int32_t>{42, 32, 22, 12}));
}

TEST(DataTableSort, ColumnSortWithHeadersMovesTypes) {
  TDataTable t(nullptr);
  t.Resize(3, 2);
  for (int32_t c = 1; c <= 3; ++c) {
    t.SetElem(c, 1, 4 - c);
    t.SetCellState(c, 2, static_cast<uint8_t>(c));
  }
  t.SetMScaleType(1, TMScaleType::stRatio);
  t.SortCols(1, true, 0, 2, 0, 2, true);  // key row 1 lies outside rows 2..2
  EXPECT_EQ(t.GetElem(1, 1), 1.0);
  EXPECT_EQ(t.GetColName(1), "C-3");
  EXPECT_EQ(t.GetMScaleType(3), TMScaleType::stRatio);
  EXPECT_EQ(t.GetCellState(1, 2), 3);
  EXPECT_EQ(t.GetCellState(3, 2), 1);
}

TEST(DataTableSort, AHandlerThatShrinksTheTableEndsTheSort) {
  auto t = SortFixture();
  t->OnSortExchange = [&](TObject*, int32_t, int32_t, int32_t, int32_t, int32_t) {
    t->Resize(1, 1);
  };
  t->SortRows(3, true, 0, 0, 0, 0, true);
  EXPECT_EQ(t->GetNrOfRows(), 1);
  auto u = SortFixture();
  u->OnSortExchange = [&](TObject*, int32_t, int32_t, int32_t, int32_t, int32_t) {
    u->Resize(2, 1);
  };
  u->SortRowAttributes(false, 0, 0, 0, 0);
  EXPECT_EQ(u->GetNrOfColumns(), 2);
}

TEST(DataTableSort, ByNamesAndAttributesMovesValuesOfTheRangeOnly) {
  auto t = SortFixture();
  t->SetRowName(1, "delta");
  t->SetRowName(2, "Alpha");
  t->SetRowName(3, "charlie");
  t->SetRowName(4, "bravo");
  t->SortRowNames(true, true, 1, 0, 1, 0);
  EXPECT_EQ(t->GetRowName(1), "Alpha");
  EXPECT_EQ(t->GetRowName(4), "delta");
  EXPECT_EQ(Column(*t, 1), (std::vector<double>{21, 41, 31, 11}));
  EXPECT_EQ(States(*t, 1), (std::vector<int32_t>{21, 41, 31, 11}));
  EXPECT_EQ(Column(*t, 2), (std::vector<double>{12, 22, 32, 42}));
  EXPECT_EQ(t->GetRowAttrib(1), 2);
  // Case-sensitive: upper case sorts before lower case.
  t->SetRowName(3, "Zulu");
  t->SortRowNames(true, 0, 0, 0, 0);
  EXPECT_EQ(t->GetRowName(2), "Zulu");
  t->SortRowAttributes(false, 0, 0, 0, 0);
  EXPECT_EQ(t->GetRowAttrib(1), 4);
  t->SetColAttrib(1, 3);
  t->SetColAttrib(3, 1);
  t->SortColAttributes(true, 0, 0, 0, 0);
  EXPECT_EQ(t->GetColName(1), "C-2");
  EXPECT_EQ(t->GetColName(3), "C-1");
  t->SortColNames(true, 0, 0, 0, 0);
  EXPECT_EQ(t->GetColName(1), "C-1");
}

}  // namespace
}  // namespace zel
